// diff: trace=3000 max=100000
/* Bit variables, bit-addressable bytes, boolean logic through the carry, shifts and rotations. */
#include "diff.h"

__bit b0, b1, b2;
__data __at(0x22) volatile unsigned char flagsByte;
__sbit __at(0x10) f0;   /* bit 0 of 0x22 */
__sbit __at(0x17) f7;   /* bit 7 of 0x22 */
volatile unsigned char out[16];

unsigned char Rotate(unsigned char v) __naked {
  (void)v;
  __asm
    mov a, dpl
    setb c
    rlc a
    rlc a
    rrc a
    cpl c
    rrc a
    rl a
    rr a
    rr a
    swap a
    mov dpl, a
    ret
  __endasm;
}

void main(void) {
  unsigned char i, v = 0x5A;
  flagsByte = 0;
  for (i = 0; i < 8; i++) {
    b0 = (v >> i) & 1;
    b1 = !b0;
    b2 = b0 ^ b1 ^ (i & 1);
    f0 = b2;
    f7 = b0 && (i > 3);
    out[i] = flagsByte | ((unsigned char)b1 << 3);
    flagsByte ^= 0x42;
    P1 ^= (1 << i);
  }
  P1_3 = 0;
  P1_4 = !P1_4;
  out[8] = P1;
  out[9] = Rotate(0x96);
  out[10] = Rotate(0x01);
  out[11] = (unsigned char)(0xF0u >> 3) | (unsigned char)(0x0Fu << 5);
  out[12] = (unsigned char)((signed char)-64 >> 2);
  done();
}
