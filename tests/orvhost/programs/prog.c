/* main fills a buffer in external RAM with Fibonacci numbers (the low byte of each), then stops in a loop. */
__xdata unsigned char buf[16];
__data unsigned char done;
unsigned char fib(unsigned char n) __reentrant { return n < 2 ? n : fib(n - 1) + fib(n - 2); }
void main(void) {
  unsigned char i;
  for (i = 0; i < 16; i++) buf[i] = fib(i);
  done = 1;
  while (1) {
  }
}
