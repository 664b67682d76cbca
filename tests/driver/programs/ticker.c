/* A main loop that calls one function per pass and marks the end of each pass with another; each pass leaves
 * a trace in data, idata and xdata. */
#include <8052.h>

volatile unsigned char counter;
volatile unsigned char hits;
__xdata unsigned char xbuf[16];
__idata unsigned char ibuf[8];

void tick(void) {
  counter++;
  xbuf[counter & 15] = counter;
  ibuf[counter & 7] = counter;
}

void mark(void) { hits++; }

void main(void) {
  EA = 1; /* the pod's stop-while-running mechanism needs interrupts */
  counter = 0;
  hits = 0;
  while (1) {
    tick();
    P1 = counter;
    mark();
  }
}
