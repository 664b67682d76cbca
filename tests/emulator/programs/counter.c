/* Runs for ever, calling checkpoint() every 64 passes of its loop; the tests put a breakpoint on checkpoint()
   and stop the run from another thread. EA is set once at the start, so a test that clears IE afterwards
   leaves a program the stop request cannot reach. */
#include <8052.h>

volatile unsigned int loops;
volatile unsigned char hits;

void checkpoint(void) { hits++; }

void main(void) {
  EA = 1;
  for (;;) {
    loops++;
    if ((loops & 0x3F) == 0) checkpoint();
  }
}
