// diff: trace=4000 max=400000
/* Calls, recursion on a reentrant stack, function pointers. */
#include "diff.h"

volatile unsigned int results[8];

unsigned int Fib(unsigned char n) __reentrant { return n < 2 ? n : Fib(n - 1) + Fib(n - 2); }

unsigned char Ack(unsigned char m, unsigned char n) __reentrant {
  if (m == 0) return n + 1;
  if (n == 0) return Ack(m - 1, 1);
  return Ack(m - 1, Ack(m, n - 1));
}

unsigned int Twice(unsigned int v) { return v * 2; }
unsigned int Plus7(unsigned int v) { return v + 7; }

unsigned int (*const ops[2])(unsigned int) = {Twice, Plus7};

void main(void) {
  unsigned char i;
  results[0] = Fib(12);
  results[1] = Ack(2, 3);
  for (i = 0; i < 6; i++) results[2 + i] = ops[i & 1](i * 100u);
  done();
}
