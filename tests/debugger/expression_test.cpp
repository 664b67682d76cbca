// Expressions, values and their text over an in-memory 8051 image with debug records written here: every kind
// of variable and location, C's arithmetic on 16-bit int, gdb's messages, assignment, and how many requests
// the target sees.
#include <gtest/gtest.h>

#include <bit>

#include "debugger/evaluator.h"
#include "debugger/expr_parser.h"
#include "debugger/expression_texts.h"
#include "debugger/frame_variables.h"
#include "debugger/value_formatter.h"
#include "debugger/variable_tree.h"
#include "debuginfo/cdb_parser.h"
#include "tests/debugger/memory_image_target.h"

namespace orven::debugger {
namespace {

// f(int a, unsigned char b) at 0x100-0x120 with a block at 0x110; reentrant r(p) at 0x200 with a stack array;
// globals in every space.
constexpr const char* kRecords = R"(M:t
F:G$f$0_0$0({2}DF,SI:S),C,0,0,0,0,0
S:Lt.f$b$1_0$2({1}SC:U),E,0,0
S:Lt.f$a$1_0$2({2}SI:S),R,0,0,[r6,r7]
S:Lt.f$n$1_0$3({1}SC:S),R,0,0,[r5]
S:Lt.f$gone$1_0$3({2}SI:S),R,0,0,[]
S:Lt.f$total$1_0$3({4}SL:S),E,0,0
S:Lt.f$n$2_0$4({2}SI:U),E,0,0
F:G$r$0_0$0({2}DF,SC:U),C,0,2,0,0,0
S:Lt.r$q$1_0$5({2}SI:S),B,1,-4
S:Lt.r$p$1_0$5({1}SC:U),R,0,0,[r7]
S:Lt.r$arr$1_0$6({2}DA2d,SC:U),B,1,1
T:Ft$pkt[({0}S:S$len$0_0$0({1}SC:U),Z,0,0)({1}S:S$kind$0_0$0({2}SI:S),Z,0,0)({3}S:S$stamp$0_0$0({4}SL:S),Z,0,0)]
T:Ft$bits[({0}S:S$ready$0_0$0({1}SB0$1:U),Z,0,0)({0}S:S$mode$0_0$0({1}SB1$3:U),Z,0,0)({0}S:S$count$0_0$0({1}SB4$4:S),Z,0,0)]
T:Ft$word[({0}S:S$w$0_0$0({2}SI:U),Z,0,0)({0}S:S$b$0_0$0({2}DA2d,SC:U),Z,0,0)]
T:Ft$outer[({0}S:S$in$0_0$0({7}STpkt:S),Z,0,0)({7}S:S$next$0_0$0({2}DX,STouter:S),Z,0,0)({9}S:S$fn$0_0$0({2}DC,DF,SV:S),Z,0,0)]
S:G$dc$0_0$0({1}SC:U),E,0,0
S:G$sc$0_0$0({1}SC:S),E,0,0
S:G$i16$0_0$0({2}SI:S),E,0,0
S:G$u16$0_0$0({2}SI:U),E,0,0
S:G$l32$0_0$0({4}SL:S),E,0,0
S:G$f32$0_0$0({4}SF:S),E,0,0
S:G$ok$0_0$0({1}:S),E,0,0
S:G$gp$0_0$0({3}DG,SC:U),E,0,0
S:G$xp$0_0$0({2}DX,SC:U),E,0,0
S:G$dp$0_0$0({1}DD,SC:U),E,0,0
S:G$cp$0_0$0({2}DC,SC:U),E,0,0
S:G$op$0_0$0({2}DX,STouter:S),E,0,0
S:G$ibuf$0_0$0({4}DA4d,SC:U),G,0,0
S:G$buf$0_0$0({16}DA16d,SC:U),F,0,0
S:G$big$0_0$0({300}DA300d,SC:U),F,0,0
S:G$pk$0_0$0({7}STpkt:S),F,0,0
S:G$fl$0_0$0({1}STbits:S),F,0,0
S:G$wd$0_0$0({2}STword:S),F,0,0
S:G$ou$0_0$0({11}STouter:S),F,0,0
S:G$pb$0_0$0({1}SC:U),P,0,0
S:G$tbl$0_0$0({4}DA4d,SC:U),D,0,0
S:G$done$0_0$0({1}SB0$1:U),H,0,0
S:G$LED$0_0$0({1}SX:U),J,0,0
S:G$P1$0_0$0({1}SC:U),I,0,0
S:G$f$0_0$0({2}DF,SI:S),C,0,0
L:G$dc$0_0$0:8
L:G$sc$0_0$0:9
L:G$i16$0_0$0:A
L:G$u16$0_0$0:C
L:G$l32$0_0$0:E
L:G$f32$0_0$0:12
L:G$ok$0_0$0:16
L:G$gp$0_0$0:17
L:G$xp$0_0$0:1A
L:G$dp$0_0$0:1C
L:G$cp$0_0$0:1D
L:G$op$0_0$0:1F
L:Lt.f$b$1_0$2:30
L:Lt.f$total$1_0$3:31
L:Lt.f$n$2_0$4:35
L:G$ibuf$0_0$0:80
L:G$buf$0_0$0:10
L:G$big$0_0$0:100
L:G$pk$0_0$0:40
L:G$fl$0_0$0:50
L:G$wd$0_0$0:52
L:G$ou$0_0$0:60
L:G$pb$0_0$0:5
L:G$tbl$0_0$0:800
L:G$done$0_0$0:B
L:G$LED$0_0$0:97
L:G$P1$0_0$0:90
L:G$f$0$0:100
L:C$t.c$10$1_0$3:100
L:C$t.c$12$2_0$4:110
L:C$t.c$14$1_0$3:118
L:XG$f$0$0:120
L:G$r$0$0:200
L:C$t.c$20$1_0$6:200
L:XG$r$0$0:220
)";

constexpr uint32_t kInF = 0x118;      // f, outside the block
constexpr uint32_t kInBlock = 0x110;  // f, inside the block that shadows n
constexpr uint32_t kInR = 0x208;

class ExpressionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    debuginfo::CdbParser parser("t.cdb");
    info_ = parser.Parse(kRecords);
    for (const auto& d : parser.Diagnostics()) ADD_FAILURE() << d.ToString();
    auto put = [](auto& memory, uint32_t at, std::initializer_list<uint8_t> bytes) {
      for (uint8_t b : bytes) memory[at++] = b;
    };
    auto& ram = target_.iram;
    put(ram, 0x08, {65, 0xFD, 0xD4, 0xFE, 0x60, 0xEA, 0xA0, 0x86, 0x01, 0x00});  // 'A', -3, -300, 60000, 100000
    uint32_t ratio = std::bit_cast<uint32_t>(1.5f);
    put(ram, 0x12, {uint8_t(ratio), uint8_t(ratio >> 8), uint8_t(ratio >> 16), uint8_t(ratio >> 24), 1});
    put(ram, 0x17, {0x13, 0x00, 0x00, 0x13, 0x00, 0x84, 0x02, 0x08, 0x60, 0x00});  // gp xp dp cp op
    put(ram, 0x30, {200, 0xA0, 0x86, 0x01, 0x00, 0x34, 0x12});                     // b, total, block's n
    put(ram, 0x21, {0x08});                                                        // done: bit 0x0B
    put(ram, 0x80, {9, 8, 7, 6});                                                  // ibuf (idata)
    put(ram, 0x84, {0x55});                                                        // data pointer target
    put(ram, 0x40, {0x40});  // _bp of r's frame points at itself: arr at 0x41, q at 0x3C
    put(ram, 0x3C, {0x10, 0x27});
    put(ram, 0x41, {3, 4});
    // Bank 0: R5 = -2, R6:R7 = 1234.
    put(ram, 5, {0xFE, 0xD2, 0x04});
    target_.Sfr(0x90) = 0x80;  // P1.7 set
    target_.Sfr(0xE0) = 0x42;
    target_.Sfr(0x82) = 0x34;
    target_.Sfr(0x83) = 0x12;
    target_.pc = 0x0114;
    const uint8_t fib[16] = {0, 1, 1, 2, 3, 5, 8, 13, 21, 34, 55, 89, 144, 233, 121, 98};
    for (int i = 0; i < 16; ++i) target_.xdata[0x10 + i] = fib[i];
    put(target_.xdata, 0x40, {3, 2, 0, 0xA0, 0x86, 0x01, 0x00});              // pk
    put(target_.xdata, 0x50, {0x9B});                                         // fl: ready 1, mode 5, count -7 (1001)
    put(target_.xdata, 0x52, {0x34, 0x12});                                   // wd
    put(target_.xdata, 0x60, {1, 2, 0, 0, 0, 0, 0, 0x60, 0x00, 0x00, 0x02});  // ou: next -> itself, fn -> r
    put(target_.xdata, 0x05, {7});                                            // pb
    put(target_.code, 0x800, {1, 2, 4, 8});
  }

  FrameContext Frame(uint32_t pc) const {
    FrameContext frame;
    frame.pc = pc;
    frame.framePointerAddress = 0x40;  // the frame pointer byte; holds 0x40 itself here
    return frame;
  }

  // What print shows, or the error it reports.
  std::string Print(const std::string& expression, uint32_t pc = kInF, bool hex = false) {
    MemoryReader memory(target_);
    Evaluator evaluator(info_, memory, Frame(pc));
    Outcome<Value> v = evaluator.Evaluate(expression);
    if (!v) return "error: " + v.error;
    FormatOptions options;
    options.hex = hex;
    Outcome<std::string> text = ValueFormatter(evaluator.Access(), options).Format(*v);
    return text ? *text : "error: " + text.error;
  }

  debuginfo::DebugInfo info_;
  testing::MemoryImageTarget target_;
};

TEST_F(ExpressionTest, PrintsEveryKindOfValueAsGdbDoes) {
  const struct {
    const char* expression;
    const char* text;
    uint32_t pc = kInF;
  } cases[] = {
      // basic types in data
      {"dc", "65 'A'"},
      {"sc", "-3 '\\375'"},
      {"i16", "-300"},
      {"u16", "60000"},
      {"l32", "100000"},
      {"f32", "1.5"},
      {"ok", "true"},
      // arrays and structs in each space; chars in them are numbers
      {"buf", "{0, 1, 1, 2, 3, 5, 8, 13, 21, 34, 55, 89, 144, 233, 121, 98}"},
      {"ibuf", "{9, 8, 7, 6}"},
      {"tbl", "{1, 2, 4, 8}"},
      {"big", "{0 <repeats 300 times>}"},
      {"pk", "{len = 3, kind = 2, stamp = 100000}"},
      {"fl", "{ready = 1, mode = 5, count = -7}"},
      {"wd", "{w = 4660, b = {52, 18}}"},
      {"ou", "{in = {len = 1, kind = 2, stamp = 0}, next = 0x0060, fn = 0x0200 <r>}"},
      {"pb", "7 '\\a'"},
      // bits, SFRs, sbits
      {"done", "1"},
      {"LED", "1"},
      {"P1", "128 '\\200'"},
      // pointers of each kind, and following them
      {"gp", "(unsigned char *) 0x000013"},
      {"xp", "(unsigned char __xdata *) 0x0013"},
      {"dp", "(unsigned char __data *) 0x84"},
      {"cp", "(unsigned char __code *) 0x0802"},
      {"*gp", "2 '\\002'"},
      {"*xp", "2 '\\002'"},
      {"*dp", "85 'U'"},
      {"cp[1]", "8 '\\b'"},
      {"xp[-1]", "1 '\\001'"},
      {"op->in.kind", "2"},
      {"op->next->next->in", "{len = 1, kind = 2, stamp = 0}"},
      {"(*op).in.len", "1 '\\001'"},
      {"&buf[3]", "(unsigned char __xdata *) 0x0013"},
      {"&pk.stamp", "(long __xdata *) 0x0043"},
      {"&ibuf", "(unsigned char (__idata *)[4]) 0x80"},
      {"buf + 2", "(unsigned char __xdata *) 0x0012"},
      {"&buf[5] - &buf[1]", "4"},
      {"*&l32", "100000"},
      {"f", "{int (void)} 0x0100 <f>"},
      {"ou.fn", "(void (__code *)(void)) 0x0200 <r>"},
      // locals: registers of the function's bank, data, blocks, the stack of a reentrant function
      {"a", "1234"},
      {"b", "200 '\\310'"},
      {"n", "-2 '\\376'"},
      {"n", "4660", kInBlock},
      {"total", "100000"},
      {"gone", "<optimized out>"},
      {"arr", "{3, 4}", kInR},
      {"q", "10000", kInR},
      {"p", "4 '\\004'", kInR},
      // registers and raw memory
      {"$acc", "66 'B'"},
      {"$r6", "210 '\\322'"},
      {"$dptr", "4660"},
      {"$pc", "(void (__code *)(void)) 0x0114 <f+20>"},
      {"X:0x12", "1 '\\001'"},
      {"D:0x0A + 1", "213"},
      {"I:0x80", "9 '\\t'"},
      {"C:0x803", "8 '\\b'"},
      {"P:5", "7 '\\a'"},
      {"D:0x90", "128 '\\200'"},
      // literals and C's arithmetic with a 16-bit int
      {"'A'", "65 'A'"},
      {"'\\n' + 0", "10"},
      {"30000 + 30000", "-5536"},
      {"30000 + 30000L", "60000"},
      {"40000", "40000"},
      {"0xFFFF", "65535"},
      {"-1 < 0u", "0"},
      {"-1 < 0", "1"},
      {"dc * 1000", "-536"},  // 65000 wraps in 16 bits
      {"dc << 8", "16640"},
      {"u16 + 1", "60001"},
      {"sc >> 1", "-2"},
      {"~0", "-1"},
      {"!0 + !5", "1"},
      {"7 / 2", "3"},
      {"-7 % 3", "-1"},
      {"7.0 / 2", "3.5"},
      {"f32 * 2", "3"},
      {"(unsigned char)300", "44 ','"},
      {"(int)f32", "1"},
      {"(float)7 / 2", "3.5"},
      {"(long)i16 * 1000", "-300000"},
      {"(unsigned char __xdata *)0x10", "(unsigned char __xdata *) 0x0010"},
      {"*(unsigned char __xdata *)0x13", "2 '\\002'"},
      {"*(struct pkt __xdata *)0x40", "{len = 3, kind = 2, stamp = 100000}"},
      {"sizeof(struct outer)", "11"},
      {"sizeof buf", "16"},
      {"0 && *(unsigned char __xdata *)0x70000", "0"},
      {"1 || 1 / 0", "1"},
      {"(5 & 3) | (8 ^ 12)", "5"},
      // gdb's artificial arrays
      {"*xp@4", "{2, 3, 5, 8}"},
      {"buf[1]@2 + 1", "{1, 1, 2}"},  // @ binds looser than +
      {"pk.kind@2", "{2, -31072}"},
      {"X:0x10@1+3", "{0, 1, 1, 2}"},
      {"X:0x100@10", "{0, 0, 0, 0, 0, 0, 0, 0, 0, 0}"},
      {"X:0x1F@12", "{98, 0 <repeats 11 times>}"},
      {"u16 >= 60000 && i16 != -300", "0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Print(c.expression, c.pc), c.text) << c.expression;
  }
}

TEST_F(ExpressionTest, HexFormatAppliesToEveryNumber) {
  const std::pair<const char*, const char*> cases[] = {
      {"i16", "0xfed4"},
      {"dc", "0x41"},
      {"-1", "0xffff"},
      {"l32", "0x186a0"},
      {"pk", "{len = 0x3, kind = 0x2, stamp = 0x186a0}"},
      {"xp", "0x0013"},
      {"f32", "0x1"},
      {"ibuf", "{0x9, 0x8, 0x7, 0x6}"},
  };
  for (const auto& [expression, text] : cases) EXPECT_EQ(Print(expression, kInF, true), text) << expression;
}

TEST_F(ExpressionTest, ErrorsAreGdbsMessages) {
  const std::pair<const char*, const char*> cases[] = {
      {"nosuch", "No symbol \"nosuch\" in current context."},
      {"n", "No symbol \"n\" in current context."},  // r has no n
      {"pk.nosuch", "There is no member named nosuch."},
      {"dc.len", "Attempt to extract a component of a value that is not a structure."},
      {"pk->len", "The -> operator is applied to a value that is not a pointer to a structure."},
      {"*dc", "Attempt to take contents of a non-pointer value."},
      {"dc[1]", "cannot subscript something of type `unsigned char'"},
      {"&a", "Address requested for identifier \"a\" which is in register $r6"},
      {"&fl.mode", "Attempt to take address of value not located in memory."},
      {"&5", "Attempt to take address of value not located in memory."},
      {"1 / 0", "Division by zero"},
      {"i16 % (dc - 65)", "Division by zero"},
      {"pk + 1", "Argument to arithmetic operation not a number or boolean."},
      {"gone + 1", "value has been optimized out"},
      {"1 +", "A syntax error in expression, near `'."},
      {"(1", "A syntax error in expression, near `'."},
      {"buf[1", "A syntax error in expression, near `'."},
      {"1 2", "A syntax error in expression, near `2'."},
      {")", "A syntax error in expression, near `)'."},
      {"a # b", "Invalid character '#' in expression."},
      {"0x1g", "Invalid number \"0x1g\"."},
      {"09", "Invalid number \"09\"."},
      {"'a", "Unmatched single quote."},
      {"$foo", "Invalid register \"$foo\"."},
      {"X:0x10000", "Cannot access memory at address X:0x10000"},
      {"D:256", "Cannot access memory at address D:0x100"},
      {"5 = 3", "Left operand of assignment is not an lvalue."},
      {"(struct nosuch)pk", "No struct type named nosuch."},
      {"(int)pk", "Invalid cast."},
      {"a@2", "Only values in memory can be extended with '@'."},
      {"buf@0", "Invalid number 0 of repetitions."},
      {"big@300", "Invalid number 300 of repetitions."},
      {"pk = wd", "Invalid assignment: the types do not match."},
  };
  for (const auto& [expression, error] : cases) {
    EXPECT_EQ(Print(expression, std::string_view(expression) == "n" ? kInR : kInF), std::string("error: ") + error)
        << expression;
  }
}

TEST_F(ExpressionTest, BreakpointConditions) {
  const struct {
    const char* condition;
    bool truth;
    const char* error;
  } cases[] = {
      {"dc == 'A'", true, ""},
      {"i16 > 0", false, ""},
      {"f32", true, ""},
      {"xp", true, ""},
      {"(unsigned char __xdata *)0", false, ""},
      {"pk", false, "Argument to arithmetic operation not a number or boolean."},
      {"nosuch > 1", false, "No symbol \"nosuch\" in current context."},
  };
  MemoryReader memory(target_);
  Evaluator evaluator(info_, memory, Frame(kInF));
  for (const auto& c : cases) {
    Outcome<bool> truth = evaluator.Condition(c.condition);
    EXPECT_EQ(truth.error, c.error) << c.condition;
    EXPECT_EQ(truth.value.value_or(false), c.truth) << c.condition;
  }
}

TEST_F(ExpressionTest, ParserIsBounded) {
  EXPECT_EQ(ParseExpression(std::string(kMaxExpressionLength + 1, '1')).error,
            "Expression too long (more than 1024 characters).");
  std::string deep = std::string(100, '(') + "1" + std::string(100, ')');
  EXPECT_EQ(ParseExpression(deep).error, "Expression nested too deeply (more than 64 levels).");
  EXPECT_EQ(ParseExpression(std::string(200, '-') + "1").error, "Expression nested too deeply (more than 64 levels).");
  std::string postfix = "op";
  for (int i = 0; i < 100; ++i) postfix += "->next";
  EXPECT_FALSE(ParseExpression(postfix).root);
  EXPECT_TRUE(ParseExpression(std::string(30, '(') + "1" + std::string(30, ')')).root);
}

TEST_F(ExpressionTest, AssignmentWritesThroughThePort) {
  const struct {
    const char* assignment;
    const char* check;
    const char* text;
    uint32_t pc = kInF;
  } cases[] = {
      {"i16 = -2", "i16", "-2"},
      {"dc = 300", "dc", "44 ','"},
      {"l32 = 70000", "D:0x0F", "17 '\\021'"},  // 0x011170, little-endian
      {"f32 = 2.5", "f32", "2.5"},
      {"f32 = 7", "f32", "7"},
      {"i16 = f32", "i16", "1"},
      {"buf[3] = 99", "buf[3]", "99 'c'"},
      {"pk.kind = -5", "pk", "{len = 3, kind = -5, stamp = 100000}"},
      {"fl.mode = 2", "fl", "{ready = 1, mode = 2, count = -7}"},
      {"fl.count = 3", "X:0x50", "59 ';'"},  // 0011 101 1
      {"done = 0", "D:0x21", "0 '\\000'"},
      {"LED = 0", "P1", "0 '\\000'"},
      {"a = -1", "D:0x06", "255 '\\377'"},  // R6
      {"arr[1] = 9", "arr", "{3, 9}", kInR},
      {"$acc = 7", "$acc", "7 '\\a'"},
      {"$pc = 0x200", "$pc", "(void (__code *)(void)) 0x0200 <r>"},
      {"X:0x20 = 0x1FF", "X:0x20", "255 '\\377'"},
      {"*xp = 5", "buf[3]", "5 '\\005'"},
      {"ou.in = pk", "ou.in", "{len = 3, kind = 2, stamp = 100000}"},
      {"gp = xp + 1", "*gp", "3 '\\003'"},
      {"gp = &dc", "*gp", "65 'A'"},  // the generic pointer gets the data tag
      {"gp = ibuf", "gp", "(unsigned char *) 0x400080"},
      {"gp = tbl + 1", "gp", "(unsigned char *) 0x800801"},
      {"xp = (unsigned char *)0x800801", "xp", "(unsigned char __xdata *) 0x0801"},
  };
  for (const auto& c : cases) {
    SetUp();
    std::string assigned = Print(c.assignment, c.pc);
    EXPECT_EQ(assigned.rfind("error", 0), std::string::npos) << c.assignment << ": " << assigned;
    EXPECT_EQ(Print(c.check, c.pc), c.text) << c.assignment;
  }
}

TEST_F(ExpressionTest, ValuesAreReadWithOneRequestEach) {
  const std::pair<const char*, size_t> cases[] = {
      {"pk", 1},
      {"buf", 1},
      {"ou", 1},
      {"big", 1},
      {"pk.stamp", 1},
      {"buf[dc - 60]", 2},
      {"op->next->in.len", 3},
      {"a", 1},
      {"arr", 2},  // the frame pointer, then the array
      {"i16 + u16 * l32", 3},
      {"0 && buf[0]", 0},
  };
  for (const auto& [expression, requests] : cases) {
    target_.reads = 0;
    EXPECT_NE(Print(expression, std::string_view(expression) == "arr" ? kInR : kInF).rfind("error", 0), 0u);
    EXPECT_EQ(target_.reads, requests) << expression;
  }
}

TEST_F(ExpressionTest, LostRepliesAreErrorsNeverValues) {
  target_.refuse = Space::kXdata;
  EXPECT_EQ(Print("pk"), "error: Cannot access memory at address X:0x0040 (no reply from the pod)");
  EXPECT_EQ(Print("*xp"), "error: Cannot access memory at address X:0x0013 (no reply from the pod)");
  EXPECT_EQ(Print("buf[1] = 3"), "error: Cannot access memory at address X:0x0011 (no reply from the pod)");
  target_.refuse = Space::kData;
  EXPECT_EQ(Print("$acc"), "error: Cannot read the registers (no reply from the pod)");
  EXPECT_EQ(Print("$dptr = 1"), "error: Cannot write register $dptr (no reply from the pod)");
  EXPECT_EQ(Print("arr", kInR), "error: Cannot access memory at address D:0x40 (no reply from the pod)");
  EXPECT_EQ(Print("i16"), "error: Cannot access memory at address D:0x0A (no reply from the pod)");
}

TEST_F(ExpressionTest, OuterFramesDoNotShowReusedRegisters) {
  MemoryReader memory(target_);
  FrameContext outer = Frame(kInF);
  outer.innermost = false;
  Evaluator evaluator(info_, memory, outer);
  Outcome<Value> a = evaluator.Evaluate("a");
  ASSERT_TRUE(a);
  EXPECT_EQ(*ValueFormatter(evaluator.Access()).Format(*a), "<not saved>");
  EXPECT_EQ(evaluator.Evaluate("a + 1").error, texts::kNotSaved);
  EXPECT_EQ(*ValueFormatter(evaluator.Access()).Format(*evaluator.Evaluate("total")), "100000");
  EXPECT_EQ(evaluator.Evaluate("$pc").value->bytes, (std::vector<uint8_t>{0x18, 0x01})) << "the frame's own PC";

  // A reentrant function's locals need its frame pointer: given, read from where the compiler keeps it, or
  // missing.
  FrameContext given = Frame(kInR);
  given.frameBase = 0x3E;  // arr at 0x3F-0x40
  Evaluator withBase(info_, memory, given);
  EXPECT_EQ(*ValueFormatter(withBase.Access()).Format(*withBase.Evaluate("arr")), "{0, 64}");
  FrameContext unknown = Frame(kInR);
  unknown.framePointerAddress.reset();
  EXPECT_EQ(Evaluator(info_, memory, unknown).Evaluate("arr").error,
            "Cannot find the frame of \"arr\": no frame pointer for this frame.");
}

TEST_F(ExpressionTest, InfoLocalsAndArgs) {
  MemoryReader memory(target_);
  Evaluator inBlock(info_, memory, Frame(kInBlock));
  FrameVariables block(inBlock);
  EXPECT_EQ(block.Locals(),
            (std::vector<std::string>{"n = 4660", "n = -2 '\\376'", "gone = <optimized out>", "total = 100000"}));
  EXPECT_EQ(block.Args(), (std::vector<std::string>{"a = 1234", "b = 200 '\\310'"}));
  EXPECT_EQ(block.ArgumentList(), "a=1234, b=200 '\\310'");

  Evaluator inR(info_, memory, Frame(kInR));
  FrameVariables r(inR);
  EXPECT_EQ(r.Locals(), (std::vector<std::string>{"arr = {3, 4}"}));
  EXPECT_EQ(r.Args(), (std::vector<std::string>{"p = 4 '\\004'", "q = 10000"}));

  Evaluator nowhere(info_, memory, Frame(0x0700));
  EXPECT_EQ(FrameVariables(nowhere).Locals(), std::vector<std::string>{"No symbol table info available."});
}

// A function with 20 locals in one space, laid out as the compiler's overlay lays them (one after the other)
// or split in two distant groups: their values take one request per group, not one per local.
TEST(FrameVariablesTest, TwentyLocalsOfOneSpaceInFewRequests) {
  const struct {
    const char* space;
    uint32_t secondGroupAt;  // where locals 10-19 start (a small gap is read through)
    size_t requests;
  } layouts[] = {{"E", 0, 1}, {"E", 0x60, 1}, {"F", 0x400, 2}, {"G", 0, 1}};
  for (const auto& layout : layouts) {
    std::string records = "M:g\nF:G$g$0_0$0({2}DF,SV:S),C,0,0,0,0,0\n";
    std::string addresses;
    uint32_t at = 0x30;
    for (int i = 0; i < 20; ++i) {
      if (i == 10 && layout.secondGroupAt) at = layout.secondGroupAt;
      const char* type = i % 3 == 0 ? "{1}SC:U" : i % 3 == 1 ? "{2}SI:S" : "{4}SL:S";
      std::string key = "Lg.g$v" + std::to_string(i) + "$1_0$1";
      records += "S:" + key + "(" + type + ")," + layout.space + ",0,0\n";
      char line[64];
      std::snprintf(line, sizeof line, "L:%s:%X\n", key.c_str(), at);
      addresses += line;
      at += i % 3 == 0 ? 1 : i % 3 == 1 ? 2 : 4;
    }
    records += addresses + "L:G$g$0$0:100\nL:C$g.c$3$1_0$1:100\nL:XG$g$0$0:120\n";
    debuginfo::CdbParser parser("g.cdb");
    debuginfo::DebugInfo info = parser.Parse(records);
    ASSERT_TRUE(parser.Diagnostics().empty()) << parser.Diagnostics()[0].ToString();
    testing::MemoryImageTarget target;
    MemoryReader memory(target);
    FrameContext frame;
    frame.pc = 0x100;
    Evaluator evaluator(info, memory, frame);
    auto locals = FrameVariables(evaluator).Locals();
    EXPECT_EQ(locals.size(), 20u);
    EXPECT_EQ(locals[19], "v19 = 0");
    EXPECT_EQ(target.reads, layout.requests) << layout.space << " " << layout.secondGroupAt;
  }
}

TEST_F(ExpressionTest, VariableTreeReadsChildrenWhenAsked) {
  MemoryReader memory(target_);
  Evaluator evaluator(info_, memory, Frame(kInF));
  VariableTree tree(evaluator.Access());
  VariableNode ou = tree.Make("ou", *evaluator.Evaluate("ou"));
  EXPECT_EQ(ou.type, "struct outer");
  EXPECT_EQ(ou.childCount, 3u);
  size_t before = target_.reads;
  auto children = tree.Children(ou);
  EXPECT_EQ(target_.reads, before) << "members come from the struct's bytes";
  ASSERT_EQ(children.size(), 3u);
  EXPECT_EQ(children[0].name, "in");
  EXPECT_EQ(children[0].value, "{len = 1, kind = 2, stamp = 0}");
  EXPECT_EQ(children[1].type, "struct outer __xdata *");
  EXPECT_EQ(children[1].value, "(struct outer __xdata *) 0x0060");
  ASSERT_EQ(children[1].childCount, 1u);
  auto pointee = tree.Children(children[1]);
  ASSERT_EQ(pointee.size(), 1u);
  EXPECT_EQ(pointee[0].name, "*next");
  EXPECT_EQ(pointee[0].expression, "*ou.next");
  auto deeper = tree.Children(tree.Children(pointee[0])[1]);
  ASSERT_EQ(deeper.size(), 1u);
  EXPECT_EQ(deeper[0].expression, "*((*ou.next).next)");
  EXPECT_EQ(Print(deeper[0].expression), deeper[0].value) << "a child's expression evaluates to it again";
  EXPECT_EQ(children[2].childCount, 0u) << "a function pointer leads nowhere to expand";

  VariableNode big = tree.Make("big", *evaluator.Evaluate("big"));
  EXPECT_EQ(big.childCount, 300u);
  before = target_.reads;
  auto page = tree.Children(big, 250, 20);
  ASSERT_EQ(page.size(), 20u);
  EXPECT_EQ(page[0].name, "[250]");
  EXPECT_EQ(page[0].expression, "big[250]");
  EXPECT_EQ(target_.reads, before) << "elements come from the array read once";
}

}  // namespace
}  // namespace orven::debugger
