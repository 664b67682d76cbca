// diff: trace=3000 max=200000
/* Constant tables in code memory read with MOVC, and a CRC-8 over a string. */
#include "diff.h"

static const __code unsigned char kSquares[16] = {0, 1, 4, 9, 16, 25, 36, 49, 64, 81, 100, 121, 144, 169, 196, 225};
static const __code char kText[] = "ORVEN pod core: MOVC table walk";
static const __code unsigned int kWords[4] = {0x1234, 0xBEEF, 0x0F0F, 0x8001};

volatile unsigned char out[24];

unsigned char Nibble(unsigned char v) __naked {
  (void)v;
  __asm
    mov a, dpl
    anl a, #0x0F
    add a, #(00001$ - 00002$)
    movc a, @a+pc
00002$:
    mov dpl, a
    ret
00001$:
    .db 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46
  __endasm;
}

void main(void) {
  unsigned char i, crc = 0;
  const __code char* p;
  for (i = 0; i < 16; i++) out[i] = kSquares[15 - i] ^ kSquares[i];
  for (p = kText; *p; p++) {
    crc ^= (unsigned char)*p;
    for (i = 0; i < 8; i++) crc = (crc & 0x80) ? (unsigned char)((crc << 1) ^ 0x07) : (unsigned char)(crc << 1);
  }
  out[16] = crc;
  out[17] = (unsigned char)(kWords[1] >> 8) + (unsigned char)kWords[3];
  out[18] = Nibble(0x3C);
  out[19] = Nibble(0x0A);
  done();
}
