// diff: trace=3000 max=100000
/* Dense switch statements, compiled to jump tables (JMP @A+DPTR). */
#include "diff.h"

volatile unsigned char out[32];

unsigned char Classify(unsigned char v) {
  switch (v) {
    case 0: return 10;
    case 1: return 21;
    case 2: return 32;
    case 3: return 43;
    case 4: return 54;
    case 5: return 65;
    case 6: return 76;
    case 7: return 87;
    case 8: return 98;
    case 9: return 9;
    case 10: return 110;
    case 11: return 121;
    default: return 0xEE;
  }
}

unsigned char Step(unsigned char state, unsigned char input) {
  switch (state) {
    case 0: return input ? 1 : 0;
    case 1: return input ? 2 : 0;
    case 2: return input ? 2 : 3;
    case 3: return input ? 4 : 0;
    case 4: return 5;
    case 5: return input ? 1 : 6;
    case 6: return 0;
    default: return 7;
  }
}

void main(void) {
  unsigned char i, state = 0;
  for (i = 0; i < 16; i++) out[i] = Classify((unsigned char)(i * 5 % 14));
  for (i = 0; i < 16; i++) {
    state = Step(state, (unsigned char)((0xB6D3u >> i) & 1));
    out[16 + i] = state;
  }
  done();
}
