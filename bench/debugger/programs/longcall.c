/* A line that calls a short function and one that calls a function running about 10,000 instructions: a
 * `next` over either should cost the debugger the same number of emulator requests. */
volatile unsigned int sink;

void spin(unsigned int n) {
  unsigned int i;
  for (i = 0; i < n; i++) sink += i;
}

void main(void) {
  spin(1);
  spin(720);
  while (1) {
  }
}
