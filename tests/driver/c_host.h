/* A debugger host written in C against the library's public header only, as a host by someone else would be:
 * it binds what an IDE binds, keeps a memory image with attribute words, a breakpoint list and a current-PC
 * variable, and records what the driver tells it. One host at a time (the callback has no context). */
#ifndef ORVEND_TEST_C_HOST_H
#define ORVEND_TEST_C_HOST_H

#include <stddef.h>
#include <stdint.h>

#include "orvend/orvend.h"

#ifdef __cplusplus
extern "C" {
#endif

#define TEST_HOST_MAX_BREAKPOINTS 16
#define TEST_HOST_TEXT 65536
#define TEST_HOST_MESSAGE_ID 0x4711u

typedef struct TestHost {
  OrvendHostWindow window;
  uint32_t current_pc;
  OrvendBreakpoint* breakpoint_head;
  OrvendBreakpoint breakpoints[TEST_HOST_MAX_BREAKPOINTS];
  int breakpoint_count;
  char commands[TEST_HOST_MAX_BREAKPOINTS][32];

  /* What the host gave the driver's memory table: code bank 0, xdata segment 0, SFR, internal RAM. */
  uint8_t* code_image;
  uint16_t* code_attributes;
  uint8_t* xdata_image;
  uint16_t* xdata_attributes;
  uint8_t sfr_image[256];
  uint16_t sfr_attributes[256];
  uint8_t iram_image[256];
  uint16_t iram_attributes[256];
  int fill_memory_table; /* 0: leave the table empty on callback 12 */

  /* Recorded from the driver. */
  char output[TEST_HOST_TEXT]; /* kinds 6 and 12, in order, GBK as received */
  size_t output_length;
  int fatal_notices;           /* kind 5 */
  int refreshes;               /* callback 5 */
  int memory_table_calls;      /* callback 12 */
  char executed[TEST_HOST_TEXT]; /* callback 4 texts, each followed by '\n' */
  OrvendRegisterView* view;    /* callback 3 */
  int progress_calls;          /* callback 2 */
  uint32_t serial_channel;
  uint32_t serial_count;

  /* Flash segments handed out on callback 15. */
  OrvendFlashSegment segments[8];
  int segment_count;
  int return_null_segment_first;

  /* The register window the host shows, refreshed through the view's get function. */
  OrvendRegisterItem items[22];
} TestHost;

/* Allocates the images and makes this the current host. */
void TestHostInit(TestHost* host);
void TestHostFree(TestHost* host);
/* Binds window, message id, callback, breakpoint list and current-PC variable (AG_Init 0x03xx). */
void TestHostBind(TestHost* host);
/* AG_Init 0x0100; after success refreshes the register window once. Returns AG_Init's result. */
uint32_t TestHostConnect(TestHost* host);
/* Program load: 0x0321, the bytes written to code with AG_MemAcc 3 in 128-byte pieces, 0x0322. 0 on success. */
int TestHostLoad(TestHost* host, const uint8_t* code, uint32_t length);
/* Appends a breakpoint record (kind 0 unless given, enabled) and marks it with AG_BreakFunc 1. */
OrvendBreakpoint* TestHostAddBreakpoint(TestHost* host, uint32_t code_address, int32_t count, const char* command,
                                        uint32_t kind);
/* Refreshes the register window (get with the refresh code, then every item). */
void TestHostRefreshRegisters(TestHost* host);
/* The register window item with this item number, or null. */
OrvendRegisterItem* TestHostItem(TestHost* host, uint16_t number);
/* AG_MemAcc read into buffer; returns the result code. */
uint16_t TestHostRead(uint32_t tagged, uint8_t* buffer, uint32_t count, uint32_t* error_address);
uint16_t TestHostWrite(uint32_t tagged, const uint8_t* buffer, uint32_t count, uint32_t* error_address);
/* AG_GoStep with a code address (go-until) or none. */
uint32_t TestHostGoStep(uint16_t code, uint32_t count, uint32_t tagged);

#ifdef __cplusplus
}
#endif

#endif
