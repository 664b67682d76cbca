/* Counts timer-0 overflows in an interrupt handler: timer 0 in mode 2 reloads 0, so it overflows every 256
   machine cycles. The main loop ends in done() after 1000 ticks; the tests watch the count grow with the
   device's clock and stop at done(). */
#include <8052.h>

volatile unsigned int ticks;

void timer0(void) __interrupt(1) { ticks++; }

void done(void) {
  for (;;) {
  }
}

/* The count is two bytes: read it with the timer interrupt held off, or a carry between them tears it. */
unsigned int read_ticks(void) {
  unsigned int t;
  ET0 = 0;
  t = ticks;
  ET0 = 1;
  return t;
}

void main(void) {
  ticks = 0;
  TMOD = 0x02;
  TH0 = 0;
  TL0 = 0;
  ET0 = 1;
  EA = 1;
  TR0 = 1;
  while (read_ticks() < 1000) {
  }
  done();
}
