// diff: trace=3000 max=300000
/* MUL AB and DIV AB through 8/16/32-bit multiply, divide and modulo, and DIV by zero. */
#include "diff.h"

volatile unsigned char r8[16];
volatile unsigned int r16[8];
volatile unsigned long r32[6];
volatile unsigned char zeroFlags;

unsigned char DivByZero(void) __naked {
  __asm
    mov a, #0x37
    mov b, #0x00
    div ab
    mov _zeroFlags, psw
    mov dpl, a
    ret
  __endasm;
}

void main(void) {
  unsigned char i;
  unsigned int a = 1234;
  unsigned long l = 123456789UL;
  for (i = 0; i < 8; i++) {
    r8[i] = (unsigned char)((i + 3) * (i * 29 + 7));
    r8[8 + i] = (unsigned char)(250 / (i + 1)) + (unsigned char)(250 % (i + 3));
    r16[i] = a * (i + 17) / (i + 1) + a % (i + 7);
  }
  r32[0] = l * 7;
  r32[1] = l / 1000;
  r32[2] = l % 9973;
  r32[3] = (unsigned long)a * a * 3;
  r32[4] = (long)-123456 / 77;
  r32[5] = DivByZero();
  done();
}
