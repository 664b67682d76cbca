// diff: trace=5000 max=300000
/* Timer 0 in modes 0, 2 and 3 polled on its flags, and timer 2 auto-reload driving its interrupt. */
#include "diff.h"

volatile unsigned char t2Count;
volatile unsigned char log[16];

void Timer2Isr(void) __interrupt(5) {
  TF2 = 0;
  t2Count++;
}

void main(void) {
  unsigned char i;
  /* Mode 0: 13 bits. */
  TMOD = 0x00;
  TH0 = 0xFF;
  TL0 = 0x10;
  TR0 = 1;
  while (!TF0) {
  }
  TR0 = 0;
  TF0 = 0;
  log[0] = TL0;
  log[1] = TH0;
  /* Mode 2: auto-reload from TH0. */
  TMOD = 0x02;
  TH0 = 0xF0;
  TL0 = 0xF0;
  TR0 = 1;
  for (i = 0; i < 4; i++) {
    while (!TF0) {
    }
    TF0 = 0;
    log[2 + i] = TL0;
  }
  TR0 = 0;
  /* Mode 3: TL0 under TR0 with TF0, TH0 under TR1 with TF1. */
  TMOD = 0x03;
  TL0 = 0xE0;
  TH0 = 0xC0;
  TR0 = 1;
  TR1 = 1;
  while (!TF1) {
  }
  TR0 = 0;
  TR1 = 0;
  log[6] = TL0;
  log[7] = TH0;
  log[8] = TCON;
  TCON = 0;
  /* While timer 0 is split, timer 1 runs without TR1 on the chip; s51 keeps it under TR1. Leave the split
     and zero timer 1 so the two agree from here on. */
  TMOD = 0x00;
  TL1 = 0;
  TH1 = 0;
  /* Timer 2: 16-bit auto-reload, interrupt on every overflow. */
  RCAP2H = 0xFF;
  RCAP2L = 0x80;
  TH2 = 0xFF;
  TL2 = 0xF0;
  ET2 = 1;
  EA = 1;
  TR2 = 1;
  while (t2Count < 5) {
  }
  TR2 = 0;
  EA = 0;
  log[9] = TL2;
  log[10] = TH2;
  log[11] = T2CON;
  done();
}
