// diff: trace=2500 max=400000
/* Serial mode 1 at 9600 baud from timer 1 (mode 2): a greeting and a number in decimal. Each byte is given a
   fixed delay longer than its frame before TI is checked, so the run does not depend on how long a simulator
   takes to shift a frame out (s51 takes half the chip's time). */
#include "diff.h"

void PutChar(char c) {
  unsigned char i;
  SBUF = c;
  for (i = 0; i < 250; i++) {
    __asm
      nop
      nop
    __endasm;
  }
  while (!TI) {
  }
  TI = 0;
}

void PutText(const char* s) {
  while (*s) PutChar(*s++);
}

void PutNumber(unsigned int v) {
  char digits[6];
  unsigned char n = 0;
  do {
    digits[n++] = (char)('0' + v % 10);
    v /= 10;
  } while (v);
  while (n) PutChar(digits[--n]);
}

void main(void) {
  SCON = 0x50;
  TMOD = 0x20;
  TH1 = 0xFD;
  TL1 = 0xFD;
  TR1 = 1;
  PutText("VELM5\r\n");
  PutNumber(40961);
  PCON |= 0x80; /* SMOD: double rate */
  PutChar('!');
  done();
}
