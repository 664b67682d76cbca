// diff: trace=6000 max=200000
/* Timer 0 (high priority) interrupts a timer 1 handler (low priority) that runs long; both count events. */
#include "diff.h"

volatile unsigned char t0Count;
volatile unsigned char t1Count;
volatile unsigned char nested;
volatile unsigned char inT1;
volatile unsigned int work;

void Timer0Isr(void) __interrupt(1) {
  TH0 = 0xFF;
  TL0 = 0x40;
  t0Count++;
  if (inT1) nested++;
}

void Timer1Isr(void) __interrupt(3) {
  unsigned char i;
  inT1 = 1;
  for (i = 0; i < 40; i++) work += i;
  inT1 = 0;
  t1Count++;
}

void main(void) {
  TMOD = 0x21;     /* timer 1 mode 2, timer 0 mode 1 */
  TH1 = 0x80;
  TL1 = 0x80;
  TH0 = 0xFF;
  TL0 = 0x40;
  PT0 = 1;         /* timer 0 high priority */
  ET0 = 1;
  ET1 = 1;
  EA = 1;
  TR0 = 1;
  TR1 = 1;
  while (t1Count < 6) {
  }
  EA = 0;
  TR0 = 0;
  TR1 = 0;
  done();
}
