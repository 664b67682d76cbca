// diff: trace=2000 max=3000000
/* A long CPU-bound loop: sieve of Eratosthenes in xdata and a 16-bit checksum; also the speed benchmark. */
#include "diff.h"

#define kLimit 2000
__xdata unsigned char composite[kLimit];
volatile unsigned int primes;
volatile unsigned int checksum;

void main(void) {
  unsigned int i, j;
  unsigned char round;
  for (round = 0; round < 2; round++) {
    for (i = 0; i < kLimit; i++) composite[i] = 0;
    primes = 0;
    checksum = 0;
    for (i = 2; i < kLimit; i++) {
      if (composite[i]) continue;
      primes++;
      checksum = (checksum << 1 | checksum >> 15) ^ i;
      for (j = i + i; j < kLimit; j += i) composite[j] = 1;
    }
  }
  done();
}
