/* A host in plain C99 that links liborvend.so and uses nothing but its public header: enumerates the driver,
 * binds it, connects to the device ORVEN_DEVICE names, reads registers and memory, and shuts it down. Exit
 * status 0 when every answer is the documented one. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "orvend/orvend.h"

static int failures;
static int fatal_notices;
static OrvendRegisterView* view;
static uint8_t code_image[0x10000];
static uint16_t code_attributes[0x10000];
static uint8_t iram_image[256];
static uint16_t iram_attributes[256];

#define CHECK(cond)                                                  \
  do {                                                               \
    if (!(cond)) {                                                   \
      fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #cond);     \
      failures++;                                                    \
    }                                                                \
  } while (0)

static intptr_t Send(void* context, uint32_t message, uintptr_t kind, intptr_t argument) {
  (void)context;
  (void)message;
  if (kind == ORVEND_KIND_OUTPUT_TEXT) printf("output: %s", (const char*)argument);
  return 0;
}

static void Post(void* context, uint32_t message, uintptr_t kind, intptr_t argument) {
  (void)context;
  (void)message;
  (void)argument;
  if (kind == ORVEND_KIND_FATAL) fatal_notices++;
}

static void* Callback(uint32_t code, void* argument) {
  if (code == ORVEND_CALLBACK_MEMORY_TABLE) {
    OrvendMemorySlot* table = (OrvendMemorySlot*)argument;
    table[0].image = code_image;
    table[0].attributes = code_attributes;
    table[ORVEND_SLOT_IRAM].image = iram_image;
    table[ORVEND_SLOT_IRAM].attributes = iram_attributes;
  } else if (code == ORVEND_CALLBACK_REGISTER_VIEW) {
    view = (OrvendRegisterView*)argument;
  }
  return NULL;
}

int main(void) {
  static OrvendEnumRecord record;
  OrvendHostWindow window;
  OrvendBreakpoint* breakpoints = NULL;
  uint32_t pc = 0x12345678u;
  OrvendExtensionMenu* menu = NULL;
  OrvendAddress address;
  uint8_t buffer[256];
  void* callback;
  OrvendHostCallback function = Callback;
  char cap_text[64] = "-E0 -F16";
  OrvendCapRecord cap;

  OrvendSetUi(NULL);
  strcpy(record.option_text, "-E0 -F16 -V2 -C1");
  CHECK(EnumUv351(&record, 2) == ORVEND_TARGET_8051);
  CHECK(DllUv3Cap(2, NULL) == ORVEND_TARGET_8051);
  CHECK(DllUv3Cap(100, NULL) == 1);
  memset(&cap, 0, sizeof cap);
  cap.option_text = cap_text;
  CHECK(DllUv3Cap(1, &cap) == 0); /* no UI: Cancel, the text stays */
  CHECK(strcmp(cap_text, "-E0 -F16") == 0);
  CHECK(AG_Init(0x0207, NULL) == 0); /* before initialisation every feature query answers 0 */

  window.context = NULL;
  window.send = Send;
  window.post = Post;
  memcpy(&callback, &function, sizeof callback);
  AG_Init(ORVEND_INIT_MAIN_WINDOW, &window);
  AG_Init(ORVEND_INIT_MESSAGE_ID, (void*)(uintptr_t)0x400u);
  AG_Init(ORVEND_INIT_CALLBACK, callback);
  AG_Init(ORVEND_INIT_BREAKPOINT_LIST, &breakpoints);
  AG_Init(ORVEND_INIT_CURRENT_PC, &pc);
  AG_Init(ORVEND_INIT_EXTENSION_MENU, &menu);
  CHECK(menu != NULL && menu->delimiter == -1);

  CHECK(AG_Init(ORVEND_INIT_CONNECT, NULL) == 0);
  CHECK(view != NULL && view->group_count == 2 && view->item_count == 22);
  CHECK(AG_Init(0x0207, NULL) == 1 && AG_Init(0x0201, NULL) == 0 && AG_Init(0x0208, NULL) == 0);
  if (view != NULL) view->get(NULL, ORVEND_REGVIEW_REFRESH);
  CHECK((pc & 0xFF000000u) == 0xFF000000u);

  memset(&address, 0, sizeof address);
  address.address.tagged = ORVEND_TAG(ORVEND_SPACE_IDATA, 0);
  CHECK(AG_MemAcc(ORVEND_MEM_READ, buffer, &address, 256) == 0);
  CHECK(address.error_address == 0);
  CHECK((iram_attributes[0x42] & ORVEND_ATTR_VALID) != 0);
  CHECK(AG_HistFunc() == 0);

  /* Load a four-instruction loop and run to a breakpoint in it:
   *   0000 74 42   MOV A,#42h
   *   0002 08      INC R0
   *   0003 80 FD   SJMP 0002h */
  {
    static const uint8_t program[5] = {0x74, 0x42, 0x08, 0x80, 0xFD};
    OrvendBreakpoint bp;
    uint8_t acc = 0;
    uint8_t r0 = 0;
    AG_Init(ORVEND_INIT_LOAD_BEGIN, NULL);
    memset(&address, 0, sizeof address);
    CHECK(AG_MemAcc(ORVEND_MEM_WRITE_CODE, (uint8_t*)program, &address, sizeof program) == 0);
    AG_Init(ORVEND_INIT_LOAD_END, NULL);
    memset(&bp, 0, sizeof bp);
    bp.flags = ORVEND_BP_ENABLED;
    bp.address = ORVEND_TAG(ORVEND_SPACE_CODE, 3);
    bp.remaining_count = 1;
    breakpoints = &bp;
    address.address.tagged = bp.address;
    CHECK(AG_BreakFunc(1, 0, &address, &bp) == &bp);
    CHECK((code_attributes[3] & ORVEND_ATTR_BP_QUERY) == ORVEND_ATTR_BP_ENABLED);
    if (view != NULL) view->get(NULL, ORVEND_REGVIEW_REFRESH);
    CHECK(AG_GoStep(ORVEND_GO, 0, NULL) == 0);
    CHECK(pc == ORVEND_TAG(ORVEND_SPACE_CODE, 3));
    CHECK(AG_RegAcc(1, ORVEND_REG_ACC, &acc) == 0 && acc == 0x42);
    CHECK(AG_RegAcc(1, 0, &r0) == 0 && r0 == 1);
    breakpoints = NULL;
  }

  CHECK(AG_Init(ORVEND_INIT_SHUTDOWN, NULL) == 0);
  CHECK(strcmp(record.option_text, "-E0 -F16 -V2 -C1") == 0);
  CHECK(fatal_notices == 1);
  CHECK(AG_MemAcc(ORVEND_MEM_READ, buffer, &address, 1) == 1);
  printf("%s\n", failures == 0 ? "abi host: all answers as documented" : "abi host: FAILED");
  return failures == 0 ? 0 : 1;
}
