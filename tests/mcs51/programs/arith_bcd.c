// diff: trace=3000 max=100000
/* 8- and 16-bit arithmetic with signed overflow, and BCD addition through DA A. */
#include "diff.h"

volatile unsigned char results[24];
volatile unsigned char flags[8];

/* Adds two packed-BCD bytes with ADDC and DA; returns the BCD sum, carry into flags[0]. */
unsigned char BcdAdd(unsigned char a, unsigned char b) __naked {
  (void)a;
  (void)b;
  __asm
    mov a, dpl
    add a, _BcdAdd_PARM_2
    da a
    mov dpl, a
    mov _flags, psw
    ret
  __endasm;
}

unsigned char BcdSub9(unsigned char a) __naked {
  (void)a;
  __asm
    mov a, dpl
    clr c
    addc a, #0x99
    da a
    mov dpl, a
    mov (_flags + 1), psw
    ret
  __endasm;
}

void main(void) {
  unsigned char i;
  signed char s = 100;
  unsigned int u = 0xFFF0;
  for (i = 0; i < 8; i++) {
    results[i] = BcdAdd(0x19 + i * 0x11, 0x28 + i);
    flags[2 + (i & 3)] ^= flags[0];
  }
  results[8] = BcdSub9(0x45);
  results[9] = BcdAdd(0x99, 0x99);
  results[10] = BcdAdd(0x09, 0x01);
  s = s + 50;           /* signed overflow */
  results[11] = (unsigned char)s;
  s = -100;
  s = s - 60;
  results[12] = (unsigned char)s;
  u += 0x20;
  results[13] = (unsigned char)u;
  results[14] = (unsigned char)(u >> 8);
  u -= 0x31;
  results[15] = (unsigned char)u;
  results[16] = (unsigned char)(u >> 8);
  for (i = 0; i < 7; i++) results[17 + i] = (unsigned char)(i * 37 - (i ^ 0x5A) + (results[i] >> 1));
  done();
}
