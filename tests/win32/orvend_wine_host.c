/* A small Windows debugger host for orvend.dll, written against the public header only. It loads the DLL by
 * name the way the IDE does, binds a real (hidden) window and a message identifier, and drives one session:
 * initialise, load a program, set a breakpoint, go, read registers and memory, download to the pod, shut
 * down. Every message, callback and answer is printed, so the run's transcript can be compared with a
 * known-good one. The user interface hook is deliberately not installed: message boxes are the DLL's own
 * Win32 boxes, which a watchdog thread reads and answers (Yes / OK) as a user would.
 *
 *   orvend_wine_host PROGRAM.hex        (ORVEN_DEVICE=sim selects the simulated emulator)
 */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "orvend/orvend.h"

#define HOST_MESSAGE (WM_APP + 0x31)

typedef uint32_t(ORVEND_CDECL* InitFn)(uint16_t, void*);
typedef uint16_t(ORVEND_CDECL* MemAccFn)(uint16_t, uint8_t*, OrvendAddress*, uint32_t);
typedef uint16_t(ORVEND_CDECL* RegAccFn)(uint16_t, uint32_t, void*);
typedef uint32_t(ORVEND_CDECL* BpInfoFn)(uint16_t, void*);
typedef OrvendBreakpoint*(ORVEND_CDECL* BreakFuncFn)(uint16_t, uint16_t, OrvendAddress*, OrvendBreakpoint*);
typedef uint32_t(ORVEND_CDECL* GoStepFn)(uint16_t, uint32_t, OrvendAddress*);
typedef uint32_t(ORVEND_CDECL* EnumFn)(void*, uint32_t);
typedef uint32_t(ORVEND_CDECL* CapFn)(uint32_t, void*);

static const char* const kExports[] = {"AG_Init",   "AG_MemAcc",  "AG_RegAcc",   "AG_AllReg", "AG_MemAtt",
                                       "AG_BpInfo", "AG_BreakFunc", "AG_GoStep", "AG_Serial", "AG_HistFunc",
                                       "DllUv3Cap", "EnumUv351",  "OrvendSetUi"};

static InitFn Init;
static MemAccFn MemAcc;
static RegAccFn RegAcc;
static BpInfoFn BpInfo;
static BreakFuncFn BreakFunc;
static GoStepFn GoStep;
static EnumFn Enum;
static CapFn Cap;

/* The host's memory: code bank 0, xdata segment 0, the special function registers and internal RAM. */
static uint8_t codeImage[65536], xdataImage[65536], sfrImage[256], iramImage[256];
static uint16_t codeAttr[65536], xdataAttr[65536], sfrAttr[256], iramAttr[256];

/* The program as loaded from the HEX file, and its download segments (contiguous runs). */
static uint8_t program[65536];
static uint8_t used[65536];
#define MAX_SEGMENTS 64
static OrvendFlashSegment segments[MAX_SEGMENTS];
static int segmentCount;
static uint32_t programBytes;

static OrvendBreakpoint* breakpointHead;
static uint32_t currentPc;
static OrvendRegisterView* registerView;
static HWND mainWindow;
static DWORD mainThread;
static volatile LONG fatalNotices;
static int failures;

static void Expect(int ok, const char* what) {
  if (!ok) {
    printf("FAIL %s\n", what);
    ++failures;
  }
}

/* ---- Host window: the driver's messages arrive here ---- */

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == HOST_MESSAGE) {
    switch (wParam) {
      case ORVEND_KIND_SERIAL: {
        const OrvendSerialOutput* out = (const OrvendSerialOutput*)lParam;
        printf("message 3 (sent): serial channel %u, %u bytes\n", (unsigned)out->channel, (unsigned)out->count);
        return 0;
      }
      case ORVEND_KIND_FATAL:
        printf("message 5 (posted, from the queue): fatal notice, argument %ld\n", (long)lParam);
        InterlockedIncrement(&fatalNotices);
        return 0;
      case ORVEND_KIND_PROGRESS_TEXT:
      case ORVEND_KIND_OUTPUT_TEXT:
        /* GBK text, printed as it comes; the driver's lines end with their own newline. */
        printf("message %u (sent): %s", (unsigned)wParam,
               (const char*)lParam);
        if (strchr((const char*)lParam, '\n') == NULL) printf("\n");
        return 0;
      default:
        printf("message %u: unexpected kind\n", (unsigned)wParam);
        ++failures;
        return 0;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

/* Handles what is queued for the window (posted messages) for up to `ms` milliseconds or until a fatal
 * notice has come. */
static void PumpMessages(DWORD ms, LONG untilNotices) {
  DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    if (fatalNotices >= untilNotices) return;
    DWORD spent = GetTickCount() - start;
    if (spent >= ms) return;
    MsgWaitForMultipleObjects(0, NULL, FALSE, ms - spent, QS_ALLINPUT);
  }
}

/* ---- Host callback ---- */

static void* ORVEND_CDECL HostCallback(uint32_t code, void* argument) {
  switch (code) {
    case ORVEND_CALLBACK_MEMORY_TABLE: {
      OrvendMemorySlot* slots = (OrvendMemorySlot*)argument;
      slots[0].image = codeImage;
      slots[0].attributes = codeAttr;
      slots[ORVEND_SLOT_XDATA_FIRST].image = xdataImage;
      slots[ORVEND_SLOT_XDATA_FIRST].attributes = xdataAttr;
      slots[ORVEND_SLOT_SFR].image = sfrImage;
      slots[ORVEND_SLOT_SFR].attributes = sfrAttr;
      slots[ORVEND_SLOT_IRAM].image = iramImage;
      slots[ORVEND_SLOT_IRAM].attributes = iramAttr;
      printf("callback 12: memory table filled\n");
      return NULL;
    }
    case ORVEND_CALLBACK_REGISTER_VIEW:
      registerView = (OrvendRegisterView*)argument;
      printf("callback 3: register view, %u groups, %u items\n", (unsigned)registerView->group_count,
             (unsigned)registerView->item_count);
      return NULL;
    case ORVEND_CALLBACK_REFRESH:
      printf("callback 5: go ended, refresh\n");
      return NULL;
    case ORVEND_CALLBACK_COMMAND:
      printf("callback 4: command %s\n", (const char*)argument);
      return NULL;
    case ORVEND_CALLBACK_PROGRESS: {
      const OrvendProgressBar* bar = (const OrvendProgressBar*)argument;
      /* Positions depend on block sizes; the job sequence and the label are what matter here. */
      if (bar->job != 3) printf("callback 2: progress job %d%s%s\n", (int)bar->job, bar->label ? " " : "",
                                bar->label ? bar->label : "");
      return NULL;
    }
    case ORVEND_CALLBACK_NEXT_SEGMENT: {
      const OrvendFlashSegment* previous = (const OrvendFlashSegment*)argument;
      int next = previous == NULL ? 0 : (int)(previous - segments) + 1;
      if (next >= segmentCount) {
        printf("callback 15: no more segments\n");
        return NULL;
      }
      printf("callback 15: segment %d at 0x%04X, %u bytes of %u\n", next, (unsigned)segments[next].start,
             (unsigned)segments[next].length, (unsigned)segments[next].total);
      return &segments[next];
    }
    default:
      printf("callback %u: unexpected\n", (unsigned)code);
      ++failures;
      return NULL;
  }
}

/* ---- Message box watchdog: reads the DLL's Win32 boxes and answers them ---- */

static void PrintUtf8(const wchar_t* text) {
  char buf[1024];
  int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, buf, sizeof buf, NULL, NULL);
  if (n <= 0) buf[0] = 0;
  /* One line per box: line breaks inside the text become " / ". */
  for (char* p = buf; *p; ++p) {
    if (*p == '\r') *p = ' ';
    if (*p == '\n') *p = '/';
  }
  printf("%s", buf);
}

static BOOL CALLBACK FindBox(HWND window, LPARAM found) {
  char cls[16];
  if (GetClassNameA(window, cls, sizeof cls) && strcmp(cls, "#32770") == 0 && IsWindowVisible(window)) {
    *(HWND*)found = window;
    return FALSE;
  }
  return TRUE;
}

/* Setup dialog mode: how long the dialog stays up before the watchdog works it (for a screenshot). */
static DWORD dialogHoldMs;

static void PrintCombo(HWND dialog, int id, const char* what) {
  HWND list = GetDlgItem(dialog, id);
  LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
  LRESULT selection = SendMessageW(list, CB_GETCURSEL, 0, 0);
  wchar_t text[64] = L"";
  if (selection >= 0) SendMessageW(list, CB_GETLBTEXT, (WPARAM)selection, (LPARAM)text);
  printf("  %s: %ld entries, %s, selected ", what, (long)count, IsWindowEnabled(list) ? "enabled" : "disabled");
  PrintUtf8(selection >= 0 ? text : L"(none)");
  printf("\n");
}

/* One line per control of the dialog, in its order: identifier, window class and text. */
static BOOL CALLBACK PrintControl(HWND control, LPARAM unused) {
  char cls[32];
  wchar_t text[256];
  (void)unused;
  if (!GetClassNameA(control, cls, sizeof cls)) cls[0] = 0;
  if (!GetWindowTextW(control, text, 256)) text[0] = 0;
  printf("  control %d %s ", (int)(short)GetDlgCtrlID(control), cls);
  if (text[0] == 0xFFFF) { /* a picture: the text names its bitmap resource */
    printf("bitmap %d\n", (int)text[1]);
    return TRUE;
  }
  printf("\"");
  PrintUtf8(text);
  printf("\"\n");
  return TRUE;
}

/* Collects the identifiers of the disabled controls (group boxes and pictures have none of their own). */
static BOOL CALLBACK ListDisabled(HWND control, LPARAM list) {
  char* out = (char*)list;
  int id = (short)GetDlgCtrlID(control);
  if (!IsWindowEnabled(control) && id > 0 && strlen(out) < 200) sprintf(out + strlen(out), " %d", id);
  return TRUE;
}

static void PrintDialog(HWND dialog) {
  wchar_t text[512];
  char disabled[256] = "";
  printf("  pause box %s, pod box %s\n", IsDlgButtonChecked(dialog, 5002) ? "checked" : "clear",
         IsDlgButtonChecked(dialog, 5007) ? "checked" : "clear");
  EnumChildWindows(dialog, ListDisabled, (LPARAM)disabled);
  printf("  disabled controls:%s\n", disabled[0] ? disabled : " none");
  PrintCombo(dialog, 5015, "vendors");
  PrintCombo(dialog, 5000, "models");
  GetDlgItemTextW(dialog, 5026, text, 512);
  printf("  product information: ");
  PrintUtf8(text);
  printf("\n");
}

/* Works the setup dialog through its real controls, as a user would: vendor STC, the pod box, OK. */
static void WorkSetupDialog(HWND dialog) {
  wchar_t caption[128], note[256];
  RECT rect;
  GetWindowTextW(dialog, caption, 128);
  GetDlgItemTextW(dialog, 5022, note, 256);
  GetWindowRect(dialog, &rect);
  printf("setup dialog [");
  PrintUtf8(caption);
  printf("] %ldx%ld pixels (owner %s), note: ", (long)(rect.right - rect.left), (long)(rect.bottom - rect.top),
         GetWindow(dialog, GW_OWNER) == mainWindow ? "main window" : "desktop");
  PrintUtf8(note);
  printf("\n");
  EnumChildWindows(dialog, PrintControl, 0);
  PrintDialog(dialog);
  Sleep(dialogHoldMs);
  SendDlgItemMessageW(dialog, 5015, CB_SETCURSEL, 2, 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(5015, CBN_SELCHANGE), (LPARAM)GetDlgItem(dialog, 5015));
  printf("vendor 2 chosen:\n");
  PrintDialog(dialog);
  SendDlgItemMessageW(dialog, 5007, BM_CLICK, 0, 0);
  printf("pod box clicked:\n");
  PrintDialog(dialog);
  printf("OK clicked\n");
  SendDlgItemMessageW(dialog, IDOK, BM_CLICK, 0, 0);
}

static DWORD WINAPI BoxWatchdog(LPVOID unused) {
  (void)unused;
  for (;;) {
    HWND box = NULL;
    EnumThreadWindows(mainThread, FindBox, (LPARAM)&box);
    if (box != NULL && GetDlgItem(box, 5015) != NULL) {
      WorkSetupDialog(box);
      Sleep(200);
    } else if (box != NULL) {
      wchar_t caption[256], text[1024];
      GetWindowTextW(box, caption, 256);
      if (!GetDlgItemTextW(box, 0xFFFF, text, 1024)) text[0] = 0;
      printf("box [");
      PrintUtf8(caption);
      printf("] ");
      PrintUtf8(text);
      printf(" (owner %s)", GetWindow(box, GW_OWNER) == mainWindow ? "main window" : "other");
      /* Yes where there is a Yes button, else OK. */
      int answer = GetDlgItem(box, IDYES) != NULL ? IDYES : IDOK;
      printf(" -> %s\n", answer == IDYES ? "Yes" : "OK");
      fflush(stdout);
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), (LPARAM)GetDlgItem(box, answer));
      Sleep(200);
    }
    Sleep(20);
  }
  return 0;
}

/* ---- Intel HEX: data and end records; anything malformed stops the load ---- */

static int Hex(const char* s, int digits, unsigned* out) {
  unsigned v = 0;
  for (int i = 0; i < digits; ++i) {
    char c = s[i];
    v <<= 4;
    if (c >= '0' && c <= '9') v |= (unsigned)(c - '0');
    else if (c >= 'A' && c <= 'F') v |= (unsigned)(c - 'A' + 10);
    else if (c >= 'a' && c <= 'f') v |= (unsigned)(c - 'a' + 10);
    else return 0;
  }
  *out = v;
  return 1;
}

static int LoadHex(const char* path) {
  FILE* f = fopen(path, "r");
  if (f == NULL) return 0;
  char line[600];
  int ok = 1;
  while (ok && fgets(line, sizeof line, f)) {
    if (line[0] != ':') continue;
    size_t len = strcspn(line, "\r\n");
    unsigned count, address, type;
    if (len < 11 || !Hex(line + 1, 2, &count) || !Hex(line + 3, 4, &address) || !Hex(line + 7, 2, &type) ||
        len < 11 + 2 * count) {
      ok = 0;
      break;
    }
    if (type == 1) break;
    if (type != 0) continue;
    for (unsigned i = 0; i < count; ++i) {
      unsigned byte;
      if (!Hex(line + 9 + 2 * i, 2, &byte) || address + i > 0xFFFF) {
        ok = 0;
        break;
      }
      program[address + i] = (uint8_t)byte;
      used[address + i] = 1;
    }
  }
  fclose(f);
  for (uint32_t a = 0; ok && a < 65536;) {
    if (!used[a]) {
      ++a;
      continue;
    }
    uint32_t end = a;
    while (end < 65536 && used[end]) ++end;
    if (segmentCount == MAX_SEGMENTS) return 0;
    segments[segmentCount].start = a;
    segments[segmentCount].length = end - a;
    segments[segmentCount].data = program + a;
    ++segmentCount;
    programBytes += end - a;
    a = end;
  }
  for (int i = 0; i < segmentCount; ++i) segments[i].total = programBytes;
  return ok && segmentCount > 0;
}

/* ---- The session ---- */

static void PrintRegisters(void) {
  for (uint32_t i = 0; registerView != NULL && i < registerView->item_count; ++i) {
    OrvendRegisterItem* item = &registerView->items[i];
    registerView->get(item, 0);
    if (item->name[0] != 0) printf("  %-6.16s %s\n", item->name, item->value_text);
  }
}

static void PrintBytes(const char* what, uint32_t tagged, uint32_t count) {
  uint8_t buf[32];
  OrvendAddress address;
  memset(&address, 0, sizeof address);
  address.address.tagged = tagged;
  uint16_t r = MemAcc(ORVEND_MEM_READ, buf, &address, count);
  printf("AG_MemAcc read %s %08X, %u bytes: %u, error address %08X:", what, (unsigned)tagged, (unsigned)count,
         (unsigned)r, (unsigned)address.error_address);
  for (uint32_t i = 0; i < count; ++i) printf(" %02X", buf[i]);
  printf("\n");
}

static int SetupDialogSession(void) {
  /* The IDE's settings button: capability code 1 with the project's option text. The vendor is out of
   * range, so the dialog opens on the first vendor. */
  static char optionText[64] = "-E1 -F15 -V7 -C0";
  static OrvendCapRecord cap;
  cap.option_text = optionText;
  uint32_t r = Cap(1, &cap);
  printf("DllUv3Cap(1): %u, option text %s\n", (unsigned)r, optionText);
  Expect(r == 1 && strcmp(optionText, "-E1 -F16 -V2 -C0") == 0, "OK in the dialog writes the chosen options");
  return failures == 0 ? 0 : 1;
}

static int NoDeviceSession(void) {
  /* Real USB through the HID class driver, with no emulator attached: the connection fails with its box and
   * nothing is written anywhere. */
  uint32_t r = Init(ORVEND_INIT_CONNECT, NULL);
  printf("AG_Init(0x0100) without an emulator: %u\n", (unsigned)r);
  Expect(r == 1, "initialisation reports the missing emulator");
  LONG before = fatalNotices;
  Init(ORVEND_INIT_SHUTDOWN, NULL);
  PumpMessages(5000, before + 1);
  return failures == 0 ? 0 : 1;
}

int main(int argc, char** argv) {
  setvbuf(stdout, NULL, _IONBF, 0);
  const char* mode = argc == 3 ? argv[1] : "";
  if (argc == 3 && strcmp(mode, "--setup-dialog") == 0) {
    dialogHoldMs = (DWORD)atoi(argv[2]);
  } else if (!(argc == 2 || (argc == 3 && strcmp(mode, "--no-device") == 0))) {
    fprintf(stderr, "usage: orvend_wine_host [--no-device] PROGRAM.hex | --setup-dialog HOLD_MS\n");
    return 2;
  }
  if (strcmp(mode, "--setup-dialog") != 0 && !LoadHex(argv[argc - 1])) {
    fprintf(stderr, "cannot load %s\n", argv[1]);
    return 2;
  }
  if (segmentCount > 0) printf("program: %d segments, %u bytes\n", segmentCount, (unsigned)programBytes);

  HMODULE dll = LoadLibraryA("orvend.dll");
  if (dll == NULL) {
    printf("FAIL LoadLibrary(orvend.dll): error %lu\n", (unsigned long)GetLastError());
    return 1;
  }
  int found = 0;
  for (size_t i = 0; i < sizeof kExports / sizeof kExports[0]; ++i) found += GetProcAddress(dll, kExports[i]) != NULL;
  printf("orvend.dll loaded: %d of 13 entry points found\n", found);
  Expect(found == 13, "every entry point is exported by name");
  Init = (InitFn)(void (*)(void))GetProcAddress(dll, "AG_Init");
  MemAcc = (MemAccFn)(void (*)(void))GetProcAddress(dll, "AG_MemAcc");
  RegAcc = (RegAccFn)(void (*)(void))GetProcAddress(dll, "AG_RegAcc");
  BpInfo = (BpInfoFn)(void (*)(void))GetProcAddress(dll, "AG_BpInfo");
  BreakFunc = (BreakFuncFn)(void (*)(void))GetProcAddress(dll, "AG_BreakFunc");
  GoStep = (GoStepFn)(void (*)(void))GetProcAddress(dll, "AG_GoStep");
  Enum = (EnumFn)(void (*)(void))GetProcAddress(dll, "EnumUv351");
  Cap = (CapFn)(void (*)(void))GetProcAddress(dll, "DllUv3Cap");
  if (found != 13) return 1;

  WNDCLASSA wc;
  memset(&wc, 0, sizeof wc);
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = GetModuleHandleA(NULL);
  wc.lpszClassName = "OrvendWineHost";
  RegisterClassA(&wc);
  mainWindow = CreateWindowA("OrvendWineHost", "orvend host", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, NULL, NULL,
                             wc.hInstance, NULL);
  if (mainWindow == NULL) {
    printf("FAIL no window: error %lu\n", (unsigned long)GetLastError());
    return 1;
  }
  mainThread = GetCurrentThreadId();
  CreateThread(NULL, 0, BoxWatchdog, NULL, 0, NULL);
  if (strcmp(mode, "--setup-dialog") == 0) return SetupDialogSession();

  /* The project's options: the stop-while-running feature on (so the first go asks about C:0x003B) and
   * downloads to the VELM5 pod. */
  static OrvendEnumRecord project;
  strcpy(project.option_text, "-E1 -F16 -V0 -C0");
  printf("EnumUv351(2): %u\n", (unsigned)Enum(&project, 2));

  Init(ORVEND_INIT_MAIN_WINDOW, mainWindow);
  Init(ORVEND_INIT_INSTANCE, wc.hInstance);
  Init(ORVEND_INIT_BREAKPOINT_LIST, &breakpointHead);
  Init(ORVEND_INIT_CURRENT_PC, &currentPc);
  Init(ORVEND_INIT_MESSAGE_ID, (void*)(uintptr_t)HOST_MESSAGE);
  /* The callback goes through the pointer-sized argument; ISO C has no cast between the two pointer kinds. */
  OrvendHostCallback callback = HostCallback;
  void* callbackArgument;
  memcpy(&callbackArgument, &callback, sizeof callbackArgument);
  Init(ORVEND_INIT_CALLBACK, callbackArgument);

  if (strcmp(mode, "--no-device") == 0) return NoDeviceSession();

  uint32_t r = Init(ORVEND_INIT_CONNECT, NULL);
  printf("AG_Init(0x0100): %u\n", (unsigned)r);
  Expect(r == 0, "initialisation connects to the simulated emulator");
  Expect(registerView != NULL, "the register window is registered");
  if (r != 0 || registerView == NULL) return 1;
  registerView->get(NULL, ORVEND_REGVIEW_REFRESH);
  printf("register refresh: PC variable %08X\n", (unsigned)currentPc);

  /* Load for debugging: the program's bytes through write-to-code, 256 at a time. */
  Init(ORVEND_INIT_LOAD_BEGIN, NULL);
  int pieces = 0;
  for (int s = 0; s < segmentCount; ++s) {
    for (uint32_t off = 0; off < segments[s].length; off += 256) {
      OrvendAddress address;
      memset(&address, 0, sizeof address);
      address.address.tagged = ORVEND_TAG(ORVEND_SPACE_CODE, segments[s].start + off);
      uint32_t n = segments[s].length - off < 256 ? segments[s].length - off : 256;
      uint16_t w = MemAcc(ORVEND_MEM_WRITE_CODE, segments[s].data + off, &address, n);
      Expect(w == 0, "write to code");
      ++pieces;
    }
  }
  Init(ORVEND_INIT_LOAD_END, NULL);
  printf("program loaded in %d writes; code valid at C:0x0000: %s\n", pieces,
         (codeAttr[0] & ORVEND_ATTR_VALID) ? "yes" : "no");

  /* A breakpoint on main (C:0x00AA), the host's record first, then the driver told. */
  static OrvendBreakpoint bp;
  memset(&bp, 0, sizeof bp);
  bp.flags = ORVEND_BP_ENABLED;
  bp.address = ORVEND_TAG(ORVEND_SPACE_CODE, 0x00AA);
  bp.remaining_count = 1;
  breakpointHead = &bp;
  OrvendAddress bpAddress;
  memset(&bpAddress, 0, sizeof bpAddress);
  bpAddress.address.tagged = bp.address;
  Expect(BreakFunc(5, 0, &bpAddress, &bp) == &bp, "the breakpoint is accepted");
  Expect(BreakFunc(1, 0, &bpAddress, &bp) == &bp, "the breakpoint is set");
  printf("breakpoint at C:0x00AA: attribute bits %02X\n", (unsigned)BpInfo(1, &bp.address));

  OrvendAddress none;
  memset(&none, 0, sizeof none);
  r = GoStep(ORVEND_GO, 0, &none);
  printf("AG_GoStep(go): %u, PC variable %08X\n", (unsigned)r, (unsigned)currentPc);
  Expect(currentPc == 0xFF0000AAu, "the run stops on the breakpoint at main");

  uint32_t pc = 0;
  uint8_t acc = 0;
  uint16_t dptr = 0;
  RegAcc(1, ORVEND_REG_PC, &pc);
  RegAcc(1, ORVEND_REG_ACC, &acc);
  RegAcc(1, ORVEND_REG_DPTR, &dptr);
  printf("AG_RegAcc: PC %08X, ACC %02X, DPTR %04X\n", (unsigned)pc, (unsigned)acc, (unsigned)dptr);
  registerView->get(NULL, ORVEND_REGVIEW_REFRESH);
  printf("register window:\n");
  PrintRegisters();
  PrintBytes("code", ORVEND_TAG(ORVEND_SPACE_CODE, 0x00AA), 8);
  PrintBytes("data", ORVEND_TAG(ORVEND_SPACE_DATA, 0x80), 4);
  PrintBytes("idata", ORVEND_TAG(ORVEND_SPACE_IDATA, 0x00), 8);
  PrintBytes("xdata", ORVEND_TAG(ORVEND_SPACE_XDATA, 0x0000), 8);

  /* Flash download: the options send it to the pod. */
  r = Init(ORVEND_INIT_PREPARE_DOWNLOAD, NULL);
  printf("AG_Init(0x0313): %u\n", (unsigned)r);
  Expect(r == 0, "download prepared");
  r = Init(ORVEND_INIT_DOWNLOAD, NULL);
  printf("AG_Init(0x0314): %u\n", (unsigned)r);
  Expect(r == 0, "program downloaded to the pod");
  PumpMessages(0, 0);

  LONG before = fatalNotices;
  r = Init(ORVEND_INIT_SHUTDOWN, NULL);
  printf("AG_Init(0x040C): %u; notices handled before returning: %ld\n", (unsigned)r, (long)(fatalNotices - before));
  PumpMessages(5000, before + 1);
  Expect(fatalNotices == before + 1, "shutdown's fatal notice arrives through the message queue");
  printf("options written back: %s\n", project.option_text);

  DestroyWindow(mainWindow);
  /* The IDE unloads the driver when the project closes: its static state must go quietly under the loader
   * lock. */
  printf("FreeLibrary: %s\n", FreeLibrary(dll) ? "unloaded" : "failed");
  printf("%s\n", failures == 0 ? "session passed" : "session FAILED");
  return failures == 0 ? 0 : 1;
}
