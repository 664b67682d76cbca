/*
 * ORVEND: the 8051 target driver of the ORVEN emulators, as a shared library a debugger host loads.
 *
 * This header is the whole contract between the library and a host: the entry points, the records the two
 * sides exchange, the Linux host window record and the user-interface hook. It is C99 and C++ clean, uses
 * fixed-width types and includes nothing of the library's own sources.
 *
 * Record layouts follow the 32-bit Windows host the driver was made for; on x86_64 pointers are 8 bytes,
 * 32-bit fields stay 32 bits, alignment is natural and packed records stay packed. Every offset is checked
 * at compile time below for x86_64 and i686.
 */
#ifndef ORVEND_ORVEND_H
#define ORVEND_ORVEND_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32) && defined(__i386__)
#define ORVEND_CDECL __cdecl
#else
#define ORVEND_CDECL
#endif

#if defined(__GNUC__) && !defined(_WIN32)
#define ORVEND_EXPORT __attribute__((visibility("default")))
#else
#define ORVEND_EXPORT /* Windows: names come from the module definition file */
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---------------------------------------------------------------------------------------------------------
 * Constants a host needs
 * ------------------------------------------------------------------------------------------------------- */

/* Tagged address: the top byte names the 8051 memory space, bits 16-23 the bank or xdata segment. */
#define ORVEND_SPACE_XDATA 0x01u  /* external data, low 16 bits */
#define ORVEND_SPACE_PDATA 0xFEu  /* paged external data, low 8 bits */
#define ORVEND_SPACE_DATA 0xF0u   /* direct: 0x00-0x7F internal RAM, 0x80-0xFF special function registers */
#define ORVEND_SPACE_IDATA 0xF3u  /* indirect internal RAM */
#define ORVEND_SPACE_CODE 0xFFu   /* code, bits 16-23 the bank */
#define ORVEND_TAG(space, address) ((((uint32_t)(space)) << 24) | ((uint32_t)(address) & 0x00FFFFFFu))

/* Memory table: 256 code banks, 256 xdata segments, the special function registers, internal RAM. */
#define ORVEND_MEMORY_SLOTS 514
#define ORVEND_SLOT_XDATA_FIRST 256
#define ORVEND_SLOT_SFR 512
#define ORVEND_SLOT_IRAM 513

/* Attribute word bits (one 16-bit word per image byte). */
#define ORVEND_ATTR_VALID 0x8000u       /* the image byte holds the target's current value */
#define ORVEND_ATTR_BP_ENABLED 0x0008u  /* an enabled breakpoint at this address */
#define ORVEND_ATTR_BP_DISABLED 0x0040u /* a disabled breakpoint at this address */
#define ORVEND_ATTR_BP_QUERY 0x0058u    /* the bits breakpoint queries report */

/* AG_Init codes. */
#define ORVEND_INIT_CONNECT 0x0100u
#define ORVEND_INIT_FEATURE_FIRST 0x0201u /* 0x0201-0x0207: feature queries 1-7 */
#define ORVEND_INIT_EXTENSION_MENU 0x0307u
#define ORVEND_INIT_UPDATE_DIALOGS 0x0308u
#define ORVEND_INIT_DIALOG_SLOT 0x0309u
#define ORVEND_INIT_MAIN_WINDOW 0x030Au /* Linux: pointer to an OrvendHostWindow */
#define ORVEND_INIT_INSTANCE 0x030Bu
#define ORVEND_INIT_BREAKPOINT_LIST 0x030Eu /* pointer to the head pointer of the breakpoint list */
#define ORVEND_INIT_CURRENT_PC 0x030Fu      /* pointer to the host's 32-bit current-PC variable */
#define ORVEND_INIT_MESSAGE_ID 0x0311u      /* the identifier itself, cast to a pointer */
#define ORVEND_INIT_CALLBACK 0x0312u        /* an OrvendHostCallback */
#define ORVEND_INIT_PREPARE_DOWNLOAD 0x0313u
#define ORVEND_INIT_DOWNLOAD 0x0314u
#define ORVEND_INIT_LOAD_BEGIN 0x0321u
#define ORVEND_INIT_LOAD_END 0x0322u
#define ORVEND_INIT_SHUTDOWN 0x040Cu
#define ORVEND_INIT_RESET 0x040Du

/* AG_MemAcc codes. */
#define ORVEND_MEM_READ 1u
#define ORVEND_MEM_WRITE 2u
#define ORVEND_MEM_WRITE_CODE 3u
#define ORVEND_MEM_READ_CODE 4u

/* AG_RegAcc register numbers: 0-7 R0-R7, then ACC, DPTR and the tagged PC. */
#define ORVEND_REG_ACC 0x14u
#define ORVEND_REG_DPTR 0x18u
#define ORVEND_REG_PC 0x500u

/* AG_GoStep codes. */
#define ORVEND_GO_STOP 1u
#define ORVEND_GO_STEP 2u
#define ORVEND_GO_UNTIL 3u
#define ORVEND_GO 4u

/* Host callback codes and host window message kinds. */
#define ORVEND_CALLBACK_PROGRESS 2u      /* OrvendProgressBar* */
#define ORVEND_CALLBACK_REGISTER_VIEW 3u /* OrvendRegisterView* */
#define ORVEND_CALLBACK_COMMAND 4u       /* const char*: a breakpoint's command text, GBK */
#define ORVEND_CALLBACK_REFRESH 5u       /* null: a go request has ended */
#define ORVEND_CALLBACK_MEMORY_TABLE 12u /* OrvendMemorySlot[514]: fill it */
#define ORVEND_CALLBACK_NEXT_SEGMENT 15u /* previous OrvendFlashSegment* or null; answer the next or null */
#define ORVEND_KIND_SERIAL 3u            /* sent, argument OrvendSerialOutput* */
#define ORVEND_KIND_FATAL 5u             /* posted, argument 0: the link was closed after a failure */
#define ORVEND_KIND_PROGRESS_TEXT 6u     /* sent, NUL-terminated GBK text */
#define ORVEND_KIND_OUTPUT_TEXT 12u      /* sent, NUL-terminated GBK text */

/* Register window get function codes (top four bits of the code). */
#define ORVEND_REGVIEW_REFRESH 0x80000000u
#define ORVEND_REGVIEW_IGNORE 0x40000000u

/* Breakpoint record flags. */
#define ORVEND_BP_KIND_MASK 0x0Fu /* 0 address breakpoint, 1 and 2 conditional kinds */
#define ORVEND_BP_ENABLED 0x10u

/* Capability and enumeration answers. */
#define ORVEND_TARGET_8051 8051u
#define ORVEND_ENUM_OPTION_OFFSET 1300
#define ORVEND_OPTION_TEXT_MAX 56 /* the driver writes at most 55 characters and the NUL */

/* Message box kinds of OrvendUi. */
#define ORVEND_BOX_ERROR 0
#define ORVEND_BOX_WARNING 1
#define ORVEND_BOX_QUESTION 2

/* ---------------------------------------------------------------------------------------------------------
 * Records
 * ------------------------------------------------------------------------------------------------------- */

/* Address descriptor. AG_MemAtt code 2 replaces the address by a pointer to its attribute word. */
typedef struct OrvendAddress {
  union {
    uint32_t tagged;
    uint16_t* attribute;
  } address;
  uint32_t error_address; /* 0 after success, else the failing tagged address */
  uint32_t host_length;   /* not used by the driver */
} OrvendAddress;

/* Breakpoint record of the host's list. The driver writes only the remaining count and the enabled bit. */
typedef struct OrvendBreakpoint {
  struct OrvendBreakpoint* next; /* null at the end */
  uint8_t host_span_a[4];
  uint32_t flags;           /* bits 0-3 kind, bit 4 enabled */
  uint32_t address;         /* tagged */
  uint8_t host_span_b[24];
  int32_t remaining_count;  /* stops when 1 */
  uint8_t host_span_c[8];
  char* command;            /* NUL-terminated GBK command text or null */
} OrvendBreakpoint;

/* Argument of host window kind 3. */
typedef struct OrvendSerialOutput {
  uint32_t channel;
  uint32_t count;
  uint8_t unset[8];
  void* data;
} OrvendSerialOutput;

/* One flash segment, handed out by the host on callback code 15. */
typedef struct OrvendFlashSegment {
  uint32_t start;
  uint32_t length;
  uint8_t* data;
  uint32_t total;
} OrvendFlashSegment;

/* Progress bar, callback code 2. Job 1 show, 2 remove, 3 set position. */
typedef struct OrvendProgressBar {
  int32_t job;
  int32_t position;
  int32_t low;
  int32_t high;
  char* label; /* GBK */
} OrvendProgressBar;

/* One slot of the memory table; either pointer null: no memory there. */
typedef struct OrvendMemorySlot {
  uint8_t* image;       /* 65,536 bytes (256 for slots 512 and 513 are enough) */
  uint16_t* attributes; /* one word per image byte */
} OrvendMemorySlot;

#pragma pack(push, 1)

/* The driver's 8051 register record. */
typedef struct OrvendRegisterRecord {
  uint8_t r[16]; /* R0-R7 of the current bank, then unused */
  uint32_t pc;   /* tagged code address, top byte 0xFF */
  uint8_t sp;
  uint8_t psw;
  uint8_t b;
  uint8_t acc;
  uint8_t dpl;
  uint8_t dph;
  uint8_t unused[16];
} OrvendRegisterRecord;

typedef struct OrvendRegisterGroup {
  uint8_t description;
  uint8_t shown;
  const char* name;
} OrvendRegisterGroup;

typedef struct OrvendRegisterItem {
  uint8_t description;
  uint16_t group;
  uint16_t item;
  char name[16];
  uint8_t is_pc;
  uint8_t changeable;
  uint8_t highlight;
  uint8_t redraw;
  char value_text[32];
  uint64_t value;
} OrvendRegisterItem;

#pragma pack(pop)

typedef void* (ORVEND_CDECL* OrvendHostCallback)(uint32_t code, void* argument);
typedef void(ORVEND_CDECL* OrvendRegisterGet)(OrvendRegisterItem* item, uint32_t code);
typedef int(ORVEND_CDECL* OrvendRegisterSet)(OrvendRegisterItem* item, void* value);
typedef void(ORVEND_CDECL* OrvendUpdateDialogs)(void);

/* Handed to the host with callback code 3 after a successful initialisation. */
typedef struct OrvendRegisterView {
  uint32_t group_count; /* 2 */
  uint32_t item_count;  /* 22 */
  OrvendRegisterGroup* groups;
  OrvendRegisterItem* items;
  OrvendRegisterGet get;
  OrvendRegisterSet set;
} OrvendRegisterView;

struct OrvendDialogDescriptor;

typedef struct OrvendRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
} OrvendRect;

/* A host-defined dialog descriptor of an extension menu entry. */
typedef struct OrvendDialogDescriptor {
  uint32_t open;
  void* window;
  void* procedure;
  OrvendRect rect;
  void(ORVEND_CDECL* update)(void);
  void(ORVEND_CDECL* close)(struct OrvendDialogDescriptor* descriptor);
} OrvendDialogDescriptor;

/* Extension menu entry (AG_Init 0x0307); a delimiter of -1 ends the list. */
typedef struct OrvendExtensionMenu {
  int32_t delimiter;
  const char* text;
  void* handler;
  uint32_t item_id;
  uint32_t dialog_id;
  OrvendDialogDescriptor* descriptor;
} OrvendExtensionMenu;

/* Enumeration record of EnumUv351: the option text lies inline at offset 1300. The host owns the record
 * until shutdown; the driver reads the text up to its NUL and writes back at most 56 bytes. */
typedef struct OrvendEnumRecord {
  uint8_t host_span[ORVEND_ENUM_OPTION_OFFSET];
  char option_text[256];
} OrvendEnumRecord;

/* Capability record of DllUv3Cap: a pointer to the option text at offset 20 (i686) / 24 (x86_64). */
typedef struct OrvendCapRecord {
  uint8_t host_span[20];
  char* option_text;
} OrvendCapRecord;

/* ---------------------------------------------------------------------------------------------------------
 * Host window (Linux): passed with AG_Init 0x030A instead of a window handle, valid until shutdown.
 * ------------------------------------------------------------------------------------------------------- */
typedef struct OrvendHostWindow {
  void* context;
  /* kinds 3, 6, 12: returns when the host has handled the message */
  intptr_t (*send)(void* context, uint32_t message, uintptr_t kind, intptr_t argument);
  /* kind 5: must not call back into the driver; the host handles it after the call returns */
  void (*post)(void* context, uint32_t message, uintptr_t kind, intptr_t argument);
} OrvendHostWindow;

/* ---------------------------------------------------------------------------------------------------------
 * User interface: message boxes and the setup dialog. Texts are UTF-8.
 * ------------------------------------------------------------------------------------------------------- */
struct OrvendSetupDialog; /* the setup dialog's model, declared with its view */

typedef struct OrvendUi {
  void* context;
  /* kind 0 error box, 1 warning box (OK only), 2 yes/no question; returns 1 for OK or Yes, 0 for No */
  int (*message_box)(void* context, int kind, const char* caption, const char* text);
  /* runs the setup dialog modally over the driver's dialog model; 1 after OK, 0 after Cancel. May be null. */
  int (*setup_dialog)(void* context, struct OrvendSetupDialog* dialog);
} OrvendUi;

/* The setup dialog as the driver hands it to setup_dialog: what each control shows, and the handlers the view
 * calls when the user acts. The record and everything it points to belong to the driver and stay valid until
 * setup_dialog returns. The view shows the record, and after every handler it calls it shows the record again
 * (a handler may refill the model list, move a selection or enable the chip lists). Texts are UTF-8; a line
 * break in a text is "\r\n". The view answers 1 from setup_dialog after it has called `ok`, 0 after `cancel`
 * or when the dialog is closed any other way. */
typedef struct OrvendSetupDialog {
  void* context;                   /* @0   the driver's: pass it to every handler */

  /* Fixed texts of the dialog. */
  const char* caption;             /* @8   window caption */
  const char* emulation_group;     /* @16  group box around the pause box and its note */
  const char* pause_label;         /* @24  check box: the stop-while-running feature */
  const char* pause_note;          /* @32  note under the pause box (starts with a line break) */
  const char* download_group;      /* @40  group box around the download choices */
  const char* vendor_label;        /* @48  label over the vendor list */
  const char* model_label;         /* @56  label over the model list */
  const char* pod_label;           /* @64  check box: download to the VELM5 pod */
  const char* product_group;       /* @72  group box around the product information */
  const char* ok_label;            /* @80  default button */
  const char* cancel_label;        /* @88  */

  /* What the controls show. Selections are list indexes, -1 for none; flags are 0 or 1. */
  const char* product_text;        /* @96  read-only, several lines */
  const char* const* vendor_names; /* @104 vendor_count names, in list order */
  const char* const* model_names;  /* @112 model_count names, in list order */
  uint32_t vendor_count;           /* @120 */
  int32_t vendor_selection;        /* @124 */
  uint32_t model_count;            /* @128 */
  int32_t model_selection;         /* @132 */
  int32_t pause_checked;           /* @136 */
  int32_t pod_checked;             /* @140 */
  int32_t chip_lists_enabled;      /* @144 both lists and their labels */
  uint32_t model_list_serial;      /* @148 changes whenever the model list has been refilled */

  /* Handlers. */
  void (*pause_box_clicked)(void* context, int32_t checked); /* @152 the pause box now shows checked */
  void (*pod_box_clicked)(void* context, int32_t checked);   /* @160 the pod box now shows checked */
  void (*vendor_selected)(void* context, int32_t index);     /* @168 the user chose vendor index */
  void (*model_selected)(void* context, int32_t index);      /* @176 the user chose model index */
  void (*ok)(void* context);                                 /* @184 OK: the driver takes the controls */
  void (*cancel)(void* context);                             /* @192 Cancel: nothing changes */
} OrvendSetupDialog;                                         /* size 200 (i686: 116) */

/* ---------------------------------------------------------------------------------------------------------
 * Entry points
 * ------------------------------------------------------------------------------------------------------- */
/* Every pointer a host passes stays the host's; the driver keeps the bound ones (window, breakpoint list,
 * current-PC variable, memory arrays, enumeration record) until shutdown and never frees them. Null pointers
 * are accepted: nothing is read or written through them. */

/* Binding items 0x03xx (answer 0), 0x0100 initialise and connect (0 connected, 1 failed), feature queries
 * 0x0201-0x0207 (0 or 1), 0x0313/0x0314 prepare and perform a download (0 or 1), 0x0321/0x0322 program load,
 * 0x040C shutdown, 0x040D reset. */
ORVEND_EXPORT uint32_t ORVEND_CDECL AG_Init(uint16_t code, void* argument);
/* Codes 1 read, 2 write, 3 write code, 4 read code of count bytes at address->address.tagged: 0 done, 2 read
 * failed, 5 write failed (address->error_address names where), 1 refused (running or dead), 3 unknown code.
 * A write that runs past the end of its space writes what fits and fails at the first byte left out. */
ORVEND_EXPORT uint16_t ORVEND_CDECL AG_MemAcc(uint16_t code, uint8_t* buffer, OrvendAddress* address,
                                              uint32_t count);
/* Code 1 reads, 2 writes register reg (0-7 R0-R7, 0x14 ACC, 0x18 DPTR, 0x500 tagged PC): 0, 1 refused (or, code
 * 1, the registers could not be read from the target: nothing stored), 3. */
ORVEND_EXPORT uint16_t ORVEND_CDECL AG_RegAcc(uint16_t code, uint32_t reg, void* value);
/* Code 1 refreshes the driver's registers, 2 writes them all back (block not used): 0, 1 refused (or, code 1,
 * the registers could not be read from the target), 3. */
ORVEND_EXPORT uint16_t ORVEND_CDECL AG_AllReg(uint16_t code, void* block);
/* Code 1 clears the error address; code 2 replaces the address by a pointer to its attribute word (or null). */
ORVEND_EXPORT uint32_t ORVEND_CDECL AG_MemAtt(uint16_t code, uint32_t attribute, OrvendAddress* address);
/* Breakpoint marks in the attribute words: queries (1, 7), all (5 disable, 6 remove: the count), one address
 * (8 enable, 9 disable, 10 remove, 11 set). 0x80000000 when the address has no attribute word. */
ORVEND_EXPORT uint32_t ORVEND_CDECL AG_BpInfo(uint16_t code, void* argument);
/* A breakpoint record was changed (1, 4), removed (2) or is offered (5: null refuses a kind-2 record). */
ORVEND_EXPORT OrvendBreakpoint* ORVEND_CDECL AG_BreakFunc(uint16_t code, uint16_t ignored, OrvendAddress* address,
                                                          OrvendBreakpoint* bp);
/* 1 stop (from another thread while a go runs: 1 stopped, 0 still running), 2 count single steps, 3 go until
 * the code address in address, 4 go. Blocks until the target halts; the current-PC variable then holds it. */
ORVEND_EXPORT uint32_t ORVEND_CDECL AG_GoStep(uint16_t code, uint32_t count, OrvendAddress* address);
/* Code 1: count bytes at data go to the host's serial window (window kind 3). Always 0. */
ORVEND_EXPORT uint32_t ORVEND_CDECL AG_Serial(uint16_t code, uint32_t channel, uint32_t count, void* data);
/* No trace history is recorded: always 0. Callers may pass arguments; they are ignored. */
ORVEND_EXPORT uint32_t ORVEND_CDECL AG_HistFunc(void);
/* 1 and 110 run the setup dialog over the OrvendCapRecord's option text (1 after OK, the text rewritten; 0
 * after Cancel, the text unchanged); 2 answers 8051; 100 and 109 answer 1; others 0. */
ORVEND_EXPORT uint32_t ORVEND_CDECL DllUv3Cap(uint32_t code, void* record);
/* Code 2: reads the options from the OrvendEnumRecord and keeps it to write them back at shutdown; 8051. */
ORVEND_EXPORT uint32_t ORVEND_CDECL EnumUv351(void* record, uint32_t code);
/* Installs the user interface (the record is copied; null removes it). May be called before anything else. */
ORVEND_EXPORT void ORVEND_CDECL OrvendSetUi(const OrvendUi* ui);

/* ---------------------------------------------------------------------------------------------------------
 * Layout checks
 * ------------------------------------------------------------------------------------------------------- */
#if defined(__cplusplus)
#define ORVEND_ASSERT(cond, name) static_assert(cond, #name)
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define ORVEND_ASSERT(cond, name) _Static_assert(cond, #name)
#else
#define ORVEND_ASSERT(cond, name) typedef char orvend_assert_##name[(cond) ? 1 : -1]
#endif

#if defined(__x86_64__) || defined(_M_X64)
ORVEND_ASSERT(offsetof(OrvendAddress, error_address) == 8, addr_err);
ORVEND_ASSERT(offsetof(OrvendAddress, host_length) == 12, addr_len);
ORVEND_ASSERT(offsetof(OrvendBreakpoint, flags) == 12, bp_flags);
ORVEND_ASSERT(offsetof(OrvendBreakpoint, address) == 16, bp_address);
ORVEND_ASSERT(offsetof(OrvendBreakpoint, remaining_count) == 44, bp_count);
ORVEND_ASSERT(offsetof(OrvendBreakpoint, command) == 56, bp_command);
ORVEND_ASSERT(offsetof(OrvendSerialOutput, data) == 16, serial_data);
ORVEND_ASSERT(offsetof(OrvendFlashSegment, data) == 8, seg_data);
ORVEND_ASSERT(offsetof(OrvendFlashSegment, total) == 16, seg_total);
ORVEND_ASSERT(offsetof(OrvendProgressBar, label) == 16, bar_label);
ORVEND_ASSERT(sizeof(OrvendMemorySlot) == 16, slot_size);
ORVEND_ASSERT(offsetof(OrvendRegisterView, groups) == 8, view_groups);
ORVEND_ASSERT(offsetof(OrvendRegisterView, items) == 16, view_items);
ORVEND_ASSERT(offsetof(OrvendRegisterView, get) == 24, view_get);
ORVEND_ASSERT(offsetof(OrvendRegisterView, set) == 32, view_set);
ORVEND_ASSERT(sizeof(OrvendRegisterGroup) == 10, group_size);
ORVEND_ASSERT(offsetof(OrvendExtensionMenu, text) == 8, menu_text);
ORVEND_ASSERT(offsetof(OrvendExtensionMenu, handler) == 16, menu_handler);
ORVEND_ASSERT(offsetof(OrvendExtensionMenu, item_id) == 24, menu_item);
ORVEND_ASSERT(offsetof(OrvendExtensionMenu, dialog_id) == 28, menu_dialog);
ORVEND_ASSERT(offsetof(OrvendExtensionMenu, descriptor) == 32, menu_descriptor);
ORVEND_ASSERT(offsetof(OrvendDialogDescriptor, window) == 8, dlg_window);
ORVEND_ASSERT(offsetof(OrvendDialogDescriptor, procedure) == 16, dlg_procedure);
ORVEND_ASSERT(offsetof(OrvendDialogDescriptor, rect) == 24, dlg_rect);
ORVEND_ASSERT(offsetof(OrvendDialogDescriptor, update) == 40, dlg_update);
ORVEND_ASSERT(offsetof(OrvendDialogDescriptor, close) == 48, dlg_close);
ORVEND_ASSERT(offsetof(OrvendCapRecord, option_text) == 24, cap_text);
ORVEND_ASSERT(sizeof(OrvendAddress) == 16 && sizeof(OrvendBreakpoint) == 64 && sizeof(OrvendSerialOutput) == 24,
              sizes_a);
ORVEND_ASSERT(sizeof(OrvendFlashSegment) == 24 && sizeof(OrvendProgressBar) == 24 && sizeof(OrvendRegisterView) == 40,
              sizes_b);
ORVEND_ASSERT(sizeof(OrvendExtensionMenu) == 40 && sizeof(OrvendDialogDescriptor) == 56, sizes_c);
#elif defined(__i386__) || defined(_M_IX86)
ORVEND_ASSERT(offsetof(OrvendAddress, error_address) == 4, addr_err);
ORVEND_ASSERT(offsetof(OrvendAddress, host_length) == 8, addr_len);
ORVEND_ASSERT(offsetof(OrvendBreakpoint, flags) == 8, bp_flags);
ORVEND_ASSERT(offsetof(OrvendBreakpoint, address) == 12, bp_address);
ORVEND_ASSERT(offsetof(OrvendBreakpoint, remaining_count) == 40, bp_count);
ORVEND_ASSERT(offsetof(OrvendBreakpoint, command) == 52, bp_command);
ORVEND_ASSERT(offsetof(OrvendSerialOutput, data) == 16, serial_data);
ORVEND_ASSERT(offsetof(OrvendFlashSegment, data) == 8, seg_data);
ORVEND_ASSERT(offsetof(OrvendFlashSegment, total) == 12, seg_total);
ORVEND_ASSERT(offsetof(OrvendProgressBar, label) == 16, bar_label);
ORVEND_ASSERT(sizeof(OrvendMemorySlot) == 8, slot_size);
ORVEND_ASSERT(offsetof(OrvendRegisterView, groups) == 8, view_groups);
ORVEND_ASSERT(offsetof(OrvendRegisterView, items) == 12, view_items);
ORVEND_ASSERT(offsetof(OrvendRegisterView, get) == 16, view_get);
ORVEND_ASSERT(offsetof(OrvendRegisterView, set) == 20, view_set);
ORVEND_ASSERT(sizeof(OrvendRegisterGroup) == 6, group_size);
ORVEND_ASSERT(offsetof(OrvendExtensionMenu, text) == 4, menu_text);
ORVEND_ASSERT(offsetof(OrvendExtensionMenu, handler) == 8, menu_handler);
ORVEND_ASSERT(offsetof(OrvendExtensionMenu, item_id) == 12, menu_item);
ORVEND_ASSERT(offsetof(OrvendExtensionMenu, dialog_id) == 16, menu_dialog);
ORVEND_ASSERT(offsetof(OrvendExtensionMenu, descriptor) == 20, menu_descriptor);
ORVEND_ASSERT(offsetof(OrvendDialogDescriptor, window) == 4, dlg_window);
ORVEND_ASSERT(offsetof(OrvendDialogDescriptor, procedure) == 8, dlg_procedure);
ORVEND_ASSERT(offsetof(OrvendDialogDescriptor, rect) == 12, dlg_rect);
ORVEND_ASSERT(offsetof(OrvendDialogDescriptor, update) == 28, dlg_update);
ORVEND_ASSERT(offsetof(OrvendDialogDescriptor, close) == 32, dlg_close);
ORVEND_ASSERT(offsetof(OrvendCapRecord, option_text) == 20, cap_text);
ORVEND_ASSERT(sizeof(OrvendAddress) == 12 && sizeof(OrvendBreakpoint) == 56 && sizeof(OrvendSerialOutput) == 20,
              sizes_a);
ORVEND_ASSERT(sizeof(OrvendFlashSegment) == 16 && sizeof(OrvendProgressBar) == 20 && sizeof(OrvendRegisterView) == 24,
              sizes_b);
ORVEND_ASSERT(sizeof(OrvendExtensionMenu) == 24 && sizeof(OrvendDialogDescriptor) == 36, sizes_c);
#endif
/* Identical on both. */
ORVEND_ASSERT(offsetof(OrvendSerialOutput, count) == 4, serial_count);
ORVEND_ASSERT(offsetof(OrvendFlashSegment, length) == 4, seg_length);
ORVEND_ASSERT(offsetof(OrvendProgressBar, high) == 12, bar_high);
ORVEND_ASSERT(sizeof(OrvendRegisterRecord) == 42, regrec_size);
ORVEND_ASSERT(offsetof(OrvendRegisterRecord, pc) == 16, regrec_pc);
ORVEND_ASSERT(offsetof(OrvendRegisterRecord, dph) == 25, regrec_dph);
ORVEND_ASSERT(sizeof(OrvendRegisterItem) == 65, item_size);
ORVEND_ASSERT(offsetof(OrvendRegisterItem, name) == 5, item_name);
ORVEND_ASSERT(offsetof(OrvendRegisterItem, value_text) == 25, item_text);
ORVEND_ASSERT(offsetof(OrvendRegisterItem, value) == 57, item_value);
ORVEND_ASSERT(offsetof(OrvendRegisterView, items) - offsetof(OrvendRegisterView, groups) == sizeof(void*),
              view_pointers);
ORVEND_ASSERT(offsetof(OrvendEnumRecord, option_text) == 1300, enum_text);

/* The setup dialog record. */
#if defined(__x86_64__) || defined(_M_X64)
ORVEND_ASSERT(offsetof(OrvendSetupDialog, cancel_label) == 88, setup_cancel_label);
ORVEND_ASSERT(offsetof(OrvendSetupDialog, product_text) == 96, setup_product_text);
ORVEND_ASSERT(offsetof(OrvendSetupDialog, vendor_count) == 120, setup_vendor_count);
ORVEND_ASSERT(offsetof(OrvendSetupDialog, model_selection) == 132, setup_model_selection);
ORVEND_ASSERT(offsetof(OrvendSetupDialog, model_list_serial) == 148, setup_serial);
ORVEND_ASSERT(offsetof(OrvendSetupDialog, pause_box_clicked) == 152, setup_pause_handler);
ORVEND_ASSERT(offsetof(OrvendSetupDialog, cancel) == 192, setup_cancel);
ORVEND_ASSERT(sizeof(OrvendSetupDialog) == 200, setup_size);
#elif defined(__i386__) || defined(_M_IX86)
ORVEND_ASSERT(offsetof(OrvendSetupDialog, cancel_label) == 44, setup_cancel_label);
ORVEND_ASSERT(offsetof(OrvendSetupDialog, product_text) == 48, setup_product_text);
ORVEND_ASSERT(offsetof(OrvendSetupDialog, vendor_count) == 60, setup_vendor_count);
ORVEND_ASSERT(offsetof(OrvendSetupDialog, model_selection) == 72, setup_model_selection);
ORVEND_ASSERT(offsetof(OrvendSetupDialog, model_list_serial) == 88, setup_serial);
ORVEND_ASSERT(offsetof(OrvendSetupDialog, pause_box_clicked) == 92, setup_pause_handler);
ORVEND_ASSERT(offsetof(OrvendSetupDialog, cancel) == 112, setup_cancel);
ORVEND_ASSERT(sizeof(OrvendSetupDialog) == 116, setup_size);
#endif

#undef ORVEND_ASSERT

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* ORVEND_ORVEND_H */
