/* Shared by the differential test programs: the 8052's registers and the end marker. The test runs each
   program until the PC reaches done(), so every program calls it last. */
#ifndef MCS51_DIFF_H
#define MCS51_DIFF_H

#include <8052.h>

void done(void) {
  for (;;) {
  }
}

#endif
