/* A program with one variable of every kind a debugger shows: globals in each memory space, structs, a union,
 * bit-fields, pointers of each kind, long and float; three functions calling each other, a reentrant recursion
 * with locals on the stack, a block that shadows a local, and a timer interrupt. */
#include <8052.h>

struct packet {
  unsigned char len;
  int kind;
  long stamp;
};

union word {
  unsigned int w;
  unsigned char b[2];
};

struct flags {
  unsigned int ready : 1;
  unsigned int mode : 3;
  unsigned int count : 4;
};

__data unsigned char dcount;
__idata unsigned char ibuf[8];
__xdata unsigned char buf[16];
__pdata unsigned char pbyte;
__code const unsigned char table[4] = {1, 2, 4, 8};
__bit done;
__sfr __at(0x90) PORT1;
__sbit __at(0x97) LED;
__xdata struct packet packet;
__xdata union word word;
__xdata struct flags flags;
long total;
float ratio;
signed char delta = -3;
short sval;
static unsigned char hidden;
volatile unsigned char ticks;

unsigned char *gptr;
__data unsigned char *dptr_;
__idata unsigned char *iptr;
__xdata unsigned char *xptr;
__pdata unsigned char *pptr;
__code const unsigned char *cptr;

void timer0_isr(void) __interrupt(1) {
  ticks++;
}

unsigned char fib(unsigned char n) __reentrant {
  unsigned char parts[2];
  if (n < 2) return n;
  parts[0] = fib(n - 1);
  parts[1] = fib(n - 2);
  return parts[0] + parts[1];
}

int level3(int x) {
  int y = x * 3;
  return y + 1;
}

int level2(int x) {
  int r = level3(x + 1);
  return r * 2;
}

int level1(int x) {
  int r = 0;
  {
    unsigned char r2 = (unsigned char)x;
    int x = r2 + 1;
    r = level2(x);
  }
  return r;
}

void main(void) {
  unsigned char i;
  TMOD = 0x01;
  ET0 = 1;
  EA = 1;
  TR0 = 1;
  for (i = 0; i < 16; i++) buf[i] = fib(i);
  packet.len = 3;
  packet.kind = 2;
  packet.stamp = 100000;
  word.w = 0x1234;
  flags.ready = 1;
  flags.mode = 5;
  flags.count = 9;
  total = level1(7);
  ratio = 1.5f;
  dcount = table[2];
  ibuf[1] = dcount;
  pbyte = 7;
  done = 1;
  LED = 0;
  sval = -300;
  hidden = 1;
  gptr = buf;
  dptr_ = &dcount;
  iptr = ibuf;
  xptr = buf + 3;
  pptr = &pbyte;
  cptr = table;
  while (1) {
    PORT1 = ticks;
  }
}
