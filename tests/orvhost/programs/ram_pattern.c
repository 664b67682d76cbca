/* Leaves a recognisable state in the registers and in all of internal RAM, then stops in done(), where the
   debugger's breakpoint and the core's stop address meet. */
#include <8052.h>

__idata __at(0xA0) unsigned char upper[32];
unsigned char lower[24];

void done(void) {
  for (;;) {
  }
}

void main(void) {
  unsigned char i;
  for (i = 0; i < sizeof lower; ++i) lower[i] = (unsigned char)(i * 7 + 3);
  for (i = 0; i < sizeof upper; ++i) upper[i] = (unsigned char)(0xF0 - i);
  B = 0x5A;
  done();
}
