/* Example program for an AT89S52: a running light on port 1 with a timer-0 delay, and a greeting sent once
   through the serial port at 9600 baud (11.0592 MHz crystal). Build: sdcc -mmcs51 blink.c && packihx blink.ihx > blink.hex */
#include <8052.h>

static const char greeting[] = "ORVEN blink example\r\n";

static void delay_ms(unsigned int ms) {
  TMOD = (TMOD & 0xF0) | 0x01;
  while (ms--) {
    TH0 = 0xFC;
    TL0 = 0x66;
    TR0 = 1;
    while (!TF0) {
    }
    TR0 = 0;
    TF0 = 0;
  }
}

static void serial_init(void) {
  SCON = 0x50;
  TMOD = (TMOD & 0x0F) | 0x20;
  TH1 = 0xFD;
  TR1 = 1;
  TI = 1;
}

static void put(char c) {
  while (!TI) {
  }
  TI = 0;
  SBUF = c;
}

void main(void) {
  unsigned char pattern = 0x01;
  const char* p;
  serial_init();
  for (p = greeting; *p; ++p) put(*p);
  for (;;) {
    P1 = (unsigned char)~pattern;
    pattern = (unsigned char)((pattern << 1) | (pattern >> 7));
    delay_ms(200);
  }
}
