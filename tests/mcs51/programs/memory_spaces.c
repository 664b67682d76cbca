// diff: trace=3000 max=200000
/* xdata through DPTR, pdata through MOVX @Ri with P2 as the page, idata above 0x80 through @Ri. */
#include "diff.h"

__xdata unsigned char xbuf[64];
__xdata __at(0x0200) unsigned int xwords[8];
__pdata unsigned char pbuf[16];
__idata __at(0x90) unsigned char ibuf[32];
volatile unsigned char sum;

void main(void) {
  unsigned char i;
  P2 = 0x01; /* pdata page 0x0100 */
  for (i = 0; i < 64; i++) xbuf[i] = (unsigned char)(i * 7 + 3);
  for (i = 0; i < 8; i++) xwords[i] = (unsigned int)xbuf[i] << 8 | xbuf[63 - i];
  for (i = 0; i < 16; i++) pbuf[i] = xbuf[i] ^ 0xA5;
  for (i = 0; i < 32; i++) ibuf[i] = pbuf[i & 15] + i;
  sum = 0;
  for (i = 0; i < 32; i++) sum += ibuf[i];
  for (i = 0; i < 8; i++) sum ^= (unsigned char)xwords[i];
  done();
}
