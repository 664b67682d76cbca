/* Fills a pattern into xdata, then counts for ever: a function to break in, memory to read back, and an
 * endless loop to pause. */
#include <8052.h>

volatile unsigned char counter;
__xdata unsigned char pattern[8];

void fill(void) {
  unsigned char i;
  for (i = 0; i < sizeof pattern; ++i) pattern[i] = (unsigned char)(0x11 * i);
}

void tick(void) {
  counter++;
  P1 = counter;
}

void main(void) {
  EA = 1; /* the pod's stop-while-running mechanism needs interrupts */
  fill();
  B = 0x5A;
  for (;;) tick();
}
