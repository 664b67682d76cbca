#include "c_host.h"

#include <stdlib.h>
#include <string.h>

static TestHost* current_host;

static void Append(char* text, size_t* length, const char* more) {
  size_t n = strlen(more);
  if (*length + n + 1 > TEST_HOST_TEXT) n = TEST_HOST_TEXT - 1 - *length;
  memcpy(text + *length, more, n);
  *length += n;
  text[*length] = '\0';
}

static intptr_t HostSend(void* context, uint32_t message, uintptr_t kind, intptr_t argument) {
  TestHost* host = (TestHost*)context;
  if (message != TEST_HOST_MESSAGE_ID) return 0;
  if (kind == ORVEND_KIND_OUTPUT_TEXT || kind == ORVEND_KIND_PROGRESS_TEXT) {
    Append(host->output, &host->output_length, (const char*)argument);
  } else if (kind == ORVEND_KIND_SERIAL) {
    const OrvendSerialOutput* record = (const OrvendSerialOutput*)argument;
    host->serial_channel = record->channel;
    host->serial_count = record->count;
  }
  return 0;
}

static void HostPost(void* context, uint32_t message, uintptr_t kind, intptr_t argument) {
  TestHost* host = (TestHost*)context;
  (void)argument;
  if (message == TEST_HOST_MESSAGE_ID && kind == ORVEND_KIND_FATAL) host->fatal_notices++;
}

static void* HostCallback(uint32_t code, void* argument) {
  TestHost* host = current_host;
  switch (code) {
    case ORVEND_CALLBACK_PROGRESS:
      host->progress_calls++;
      return NULL;
    case ORVEND_CALLBACK_REGISTER_VIEW:
      host->view = (OrvendRegisterView*)argument;
      return NULL;
    case ORVEND_CALLBACK_COMMAND: {
      size_t length = strlen(host->executed);
      Append(host->executed, &length, (const char*)argument);
      Append(host->executed, &length, "\n");
      return NULL;
    }
    case ORVEND_CALLBACK_REFRESH:
      host->refreshes++;
      return NULL;
    case ORVEND_CALLBACK_MEMORY_TABLE: {
      OrvendMemorySlot* table = (OrvendMemorySlot*)argument;
      host->memory_table_calls++;
      if (!host->fill_memory_table) return NULL;
      table[0].image = host->code_image;
      table[0].attributes = host->code_attributes;
      table[ORVEND_SLOT_XDATA_FIRST].image = host->xdata_image;
      table[ORVEND_SLOT_XDATA_FIRST].attributes = host->xdata_attributes;
      table[ORVEND_SLOT_SFR].image = host->sfr_image;
      table[ORVEND_SLOT_SFR].attributes = host->sfr_attributes;
      table[ORVEND_SLOT_IRAM].image = host->iram_image;
      table[ORVEND_SLOT_IRAM].attributes = host->iram_attributes;
      return NULL;
    }
    case ORVEND_CALLBACK_NEXT_SEGMENT: {
      const OrvendFlashSegment* previous = (const OrvendFlashSegment*)argument;
      int next = previous == NULL ? 0 : (int)(previous - host->segments) + 1;
      if (previous == NULL && host->return_null_segment_first) return NULL;
      return next < host->segment_count ? &host->segments[next] : NULL;
    }
    default:
      return NULL;
  }
}

void TestHostInit(TestHost* host) {
  memset(host, 0, sizeof *host);
  host->code_image = (uint8_t*)calloc(0x10000, 1);
  host->code_attributes = (uint16_t*)calloc(0x10000, sizeof(uint16_t));
  host->xdata_image = (uint8_t*)calloc(0x10000, 1);
  host->xdata_attributes = (uint16_t*)calloc(0x10000, sizeof(uint16_t));
  host->fill_memory_table = 1;
  host->window.context = host;
  host->window.send = HostSend;
  host->window.post = HostPost;
  current_host = host;
}

void TestHostFree(TestHost* host) {
  free(host->code_image);
  free(host->code_attributes);
  free(host->xdata_image);
  free(host->xdata_attributes);
  if (current_host == host) current_host = NULL;
}

void TestHostBind(TestHost* host) {
  AG_Init(ORVEND_INIT_MAIN_WINDOW, &host->window);
  AG_Init(ORVEND_INIT_MESSAGE_ID, (void*)(uintptr_t)TEST_HOST_MESSAGE_ID);
  {
    void* callback;
    OrvendHostCallback function = HostCallback;
    memcpy(&callback, &function, sizeof callback);
    AG_Init(ORVEND_INIT_CALLBACK, callback);
  }
  AG_Init(ORVEND_INIT_BREAKPOINT_LIST, &host->breakpoint_head);
  AG_Init(ORVEND_INIT_CURRENT_PC, &host->current_pc);
}

uint32_t TestHostConnect(TestHost* host) {
  uint32_t result = AG_Init(ORVEND_INIT_CONNECT, NULL);
  if (result == 0 && host->view != NULL) {
    uint32_t i;
    for (i = 0; i < host->view->item_count && i < 22; ++i) host->items[i] = host->view->items[i];
    TestHostRefreshRegisters(host);
  }
  return result;
}

int TestHostLoad(TestHost* host, const uint8_t* code, uint32_t length) {
  uint32_t at;
  (void)host;
  AG_Init(ORVEND_INIT_LOAD_BEGIN, NULL);
  for (at = 0; at < length; at += 128) {
    uint32_t n = length - at < 128 ? length - at : 128;
    OrvendAddress address;
    memset(&address, 0, sizeof address);
    address.address.tagged = at;
    if (AG_MemAcc(ORVEND_MEM_WRITE_CODE, (uint8_t*)(code + at), &address, n) != 0) return 1;
  }
  AG_Init(ORVEND_INIT_LOAD_END, NULL);
  return 0;
}

OrvendBreakpoint* TestHostAddBreakpoint(TestHost* host, uint32_t code_address, int32_t count, const char* command,
                                        uint32_t kind) {
  OrvendBreakpoint* bp;
  OrvendBreakpoint** link = &host->breakpoint_head;
  OrvendAddress address;
  if (host->breakpoint_count == TEST_HOST_MAX_BREAKPOINTS) return NULL;
  bp = &host->breakpoints[host->breakpoint_count];
  memset(bp, 0, sizeof *bp);
  bp->flags = (kind & ORVEND_BP_KIND_MASK) | ORVEND_BP_ENABLED;
  bp->address = ORVEND_TAG(ORVEND_SPACE_CODE, code_address);
  bp->remaining_count = count;
  if (command != NULL) {
    strncpy(host->commands[host->breakpoint_count], command, 31);
    bp->command = host->commands[host->breakpoint_count];
  }
  host->breakpoint_count++;
  while (*link != NULL) link = &(*link)->next;
  *link = bp;
  memset(&address, 0, sizeof address);
  address.address.tagged = bp->address;
  AG_BreakFunc(1, 0, &address, bp);
  return bp;
}

void TestHostRefreshRegisters(TestHost* host) {
  uint32_t i;
  if (host->view == NULL) return;
  host->view->get(NULL, ORVEND_REGVIEW_REFRESH);
  for (i = 0; i < 22; ++i) host->view->get(&host->items[i], 0);
}

OrvendRegisterItem* TestHostItem(TestHost* host, uint16_t number) {
  int i;
  for (i = 0; i < 22; ++i) {
    if (host->items[i].item == number) return &host->items[i];
  }
  return NULL;
}

uint16_t TestHostRead(uint32_t tagged, uint8_t* buffer, uint32_t count, uint32_t* error_address) {
  OrvendAddress address;
  uint16_t result;
  memset(&address, 0, sizeof address);
  address.address.tagged = tagged;
  address.error_address = 0xDEADBEEFu;
  result = AG_MemAcc(ORVEND_MEM_READ, buffer, &address, count);
  if (error_address != NULL) *error_address = address.error_address;
  return result;
}

uint16_t TestHostWrite(uint32_t tagged, const uint8_t* buffer, uint32_t count, uint32_t* error_address) {
  OrvendAddress address;
  uint16_t result;
  memset(&address, 0, sizeof address);
  address.address.tagged = tagged;
  result = AG_MemAcc(ORVEND_MEM_WRITE, (uint8_t*)buffer, &address, count);
  if (error_address != NULL) *error_address = address.error_address;
  return result;
}

uint32_t TestHostGoStep(uint16_t code, uint32_t count, uint32_t tagged) {
  OrvendAddress address;
  memset(&address, 0, sizeof address);
  address.address.tagged = tagged;
  return AG_GoStep(code, count, &address);
}
