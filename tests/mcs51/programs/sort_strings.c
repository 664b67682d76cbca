// diff: trace=3000 max=800000
/* Library string and memory routines, a bubble sort of records, and 32-bit long arithmetic. */
#include <string.h>
#include "diff.h"

struct Item {
  unsigned char key;
  char name[6];
};

__xdata struct Item items[10];
__xdata char joined[64];
volatile unsigned long acc32;
volatile int cmpResult;

static const char* const kNames[10] = {"pear", "fig", "kiwi", "lime", "plum", "date", "sloe", "yuzu", "nut", "cob"};

void main(void) {
  unsigned char i, j;
  for (i = 0; i < 10; i++) {
    items[i].key = (unsigned char)((i * 73 + 11) & 0x3F);
    strcpy(items[i].name, kNames[i]);
  }
  for (i = 0; i < 9; i++) {
    for (j = 0; j < 9 - i; j++) {
      if (items[j].key > items[j + 1].key) {
        struct Item t;
        memcpy(&t, &items[j], sizeof t);
        memcpy(&items[j], &items[j + 1], sizeof t);
        memcpy(&items[j + 1], &t, sizeof t);
      }
    }
  }
  joined[0] = 0;
  for (i = 0; i < 10; i++) {
    strcat(joined, items[i].name);
  }
  cmpResult = strcmp(items[0].name, items[1].name);
  acc32 = 1;
  for (i = 1; i < 13; i++) acc32 = acc32 * i + strlen(items[i % 10].name);
  done();
}
