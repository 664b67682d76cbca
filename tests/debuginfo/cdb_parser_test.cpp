// The record grammar and the model built from it, on records as SDCC 4.2 writes them for two modules.
#include <gtest/gtest.h>

#include "debuginfo/cdb_parser.h"
#include "debuginfo/texts.h"

namespace orven::debuginfo {
namespace {

// Two modules: a reentrant function with a stack parameter and a stack array, an interrupt handler using
// bank 2, a static function, file and function statics, register locals, nested blocks, and a struct of the
// second module that points to itself.
constexpr const char* kTwoModules = R"(M:two
F:G$sum$0_0$0({2}DF,SL:S),C,0,12,0,0,0
S:Ltwo.sum$b$1_0$3({4}SL:S),B,1,-6
S:Ltwo.sum$a$1_0$3({4}SL:S),R,0,0,[r4,r5,r6,r7]
S:Ltwo.sum$t$1_0$4({12}DA3d,SL:S),B,1,1
F:Ftwo$helper$0_0$0({2}DF,SC:U),C,0,0,0,0,0
F:G$isr2$0_0$0({2}DF,SV:S),C,0,0,1,3,2
F:G$main$0_0$0({2}DF,SV:S),C,0,0,0,0,0
S:Ftwo$counter$0_0$0({2}SI:S),E,0,0
S:Ltwo.isr2$calls$1_0$2({1}SC:U),E,0,0
S:Ltwo.main$v$1_0$13({1}SC:U),R,0,0,[r7]
S:Ltwo.main$w$2_0$14({1}SC:U),R,0,0,[r6]
S:Ltwo.main$v$3_0$15({2}SI:S),R,0,0,[]
S:Ltwo.main$u$2_0$16({1}SC:U),E,0,0
S:G$flagA$0_0$0({1}SB0$1:U),H,0,0
S:G$other$0_0$0({2}DF,SI:S),C,0,0
M:other
F:G$other$0_0$0({2}DF,SI:S),C,0,0,0,0,0
T:Fother$node[({0}S:S$next$0_0$0({3}DG,STnode:S),Z,0,0)({3}S:S$v$0_0$0({1}SC:U),Z,0,0)]
S:G$nodes$0_0$0({8}DA2d,STnode:S),F,0,0
S:G$other$0_0$0({2}DF,SI:S),C,0,0
L:Ftwo$counter$0_0$0:8
L:Ltwo.isr2$calls$1_0$2:A
L:Ltwo.main$u$2_0$16:C
L:G$nodes$0_0$0:1
L:C$two.c$11$1_0$4:96
L:G$sum$0$0:96
L:C$two.c$13$1_0$4:A8
L:C$two.c$15$1_0$4:10D
L:XG$sum$0$0:10D
L:Ftwo$helper$0$0:10E
L:C$two.c$16$1_0$6:113
L:XFtwo$helper$0$0:113
L:G$isr2$0$0:114
L:C$two.c$17$1_0$8:124
L:XG$isr2$0$0:124
L:A$two$800:181
L:C$two.c$24$1_0$13:181
L:C$two.c$25$1_0$13:181
L:G$main$0$0:181
L:C$two.c$27$2_0$14:185
L:C$two.c$28$3_0$15:189
L:C$two.c$30$2_0$16:190
L:C$two.c$31$1_0$13:1A0
L:C$two.c$31$1_0$13:1A8
L:XG$main$0$0:1AA
L:C$other.c$3$0_0$2:1F0
L:G$other$0$0:1F0
L:C$other.c$3$1_0$2:210
L:XG$other$0$0:210
)";

DebugInfo ParseClean(std::string_view text) {
  CdbParser parser("two.cdb");
  DebugInfo info = parser.Parse(text);
  for (const Diagnostic& d : parser.Diagnostics()) ADD_FAILURE() << d.ToString();
  return info;
}

TEST(CdbParserTest, FunctionsWithRangesAndAttributes) {
  DebugInfo info = ParseClean(kTwoModules);
  ASSERT_EQ(info.Modules(), (std::vector<std::string>{"two", "other"}));

  const Function* sum = info.FunctionByName("sum");
  ASSERT_TRUE(sum);
  EXPECT_EQ(sum->begin, 0x96u);
  EXPECT_EQ(sum->end, 0x10Du);
  EXPECT_EQ(sum->stackSize, 12u);
  EXPECT_EQ(sum->file, "two.c");
  EXPECT_TRUE(sum->type.Is(TypeCode::kLong, 1));

  const Function* isr = info.FunctionByName("isr2");
  ASSERT_TRUE(isr);
  EXPECT_TRUE(isr->isInterrupt);
  EXPECT_EQ(isr->interruptNumber, 3);
  EXPECT_EQ(isr->registerBank, 2);

  const Function* helper = info.FunctionByName("helper");
  ASSERT_TRUE(helper);
  EXPECT_TRUE(helper->isStatic);
  EXPECT_EQ(helper->module, "two");
  EXPECT_EQ(helper->begin, 0x10Eu);  // linker records write the level as "0", symbol records as "0_0"

  const struct {
    uint32_t pc;
    const char* function;
  } at[] = {{0x95, nullptr}, {0x96, "sum"}, {0x10D, "sum"}, {0x10E, "helper"}, {0x1AA, "main"},
            {0x1AB, nullptr}, {0x1F0, "other"}, {0x210, "other"}, {0x211, nullptr}};
  for (const auto& c : at) {
    const Function* f = info.FunctionAt(c.pc);
    EXPECT_EQ(f ? f->name : "", c.function ? c.function : "") << std::hex << c.pc;
  }
}

TEST(CdbParserTest, SymbolLocations) {
  DebugInfo info = ParseClean(kTwoModules);
  const Function* sum = info.FunctionByName("sum");
  ASSERT_TRUE(sum);
  ASSERT_EQ(sum->locals.size(), 3u);
  const Symbol& b = info.Symbols()[sum->locals[0]];
  EXPECT_EQ(b.name, "b");
  EXPECT_EQ(b.space, AddressSpace::kInternalStack);
  EXPECT_TRUE(b.onStack);
  EXPECT_EQ(b.stackOffset, -6);  // a parameter: below the saved frame pointer and the return address
  const Symbol& a = info.Symbols()[sum->locals[1]];
  EXPECT_EQ(a.space, AddressSpace::kRegister);
  EXPECT_EQ(a.registers,
            (std::vector<Register>{Register::kR4, Register::kR5, Register::kR6, Register::kR7}));
  const Symbol& t = info.Symbols()[sum->locals[2]];
  EXPECT_EQ(t.stackOffset, 1);
  EXPECT_EQ(info.SizeOf(t.type, 1), 4u);

  const Symbol* counter = info.GlobalSymbol("counter", "two");
  ASSERT_TRUE(counter);
  EXPECT_EQ(counter->scope, ScopeKind::kFile);
  EXPECT_EQ(counter->address, 0x08u);
  EXPECT_FALSE(info.GlobalSymbol("counter", "other")) << "a file static is not seen from another module";

  const Symbol* calls = info.FindSymbol("calls", 0x114);
  ASSERT_TRUE(calls);
  EXPECT_EQ(calls->address, 0x0Au);
  EXPECT_EQ(calls->function, "isr2");

  // A global every module declares: the entry with an address is the definition.
  const Symbol* other = info.GlobalSymbol("other");
  ASSERT_TRUE(other);
  EXPECT_EQ(other->module, "other");
  EXPECT_EQ(other->address, 0x1F0u);

  // The bit variable has no linker record here: it waits for the linker's files.
  ASSERT_EQ(info.SymbolsWithoutAddress().size(), 1u);
  EXPECT_EQ(info.SymbolsWithoutAddress()[0]->name, "flagA");
}

TEST(CdbParserTest, StructsOfTheirModule) {
  DebugInfo info = ParseClean(kTwoModules);
  const StructType* node = info.StructByName("node", "other");
  ASSERT_TRUE(node);
  EXPECT_EQ(node->size, 4u);
  EXPECT_FALSE(node->isUnion);
  ASSERT_EQ(node->members.size(), 2u);
  EXPECT_EQ(node->members[1].name, "v");
  EXPECT_EQ(node->members[1].offset, 3u);
  const Symbol* nodes = info.GlobalSymbol("nodes");
  ASSERT_TRUE(nodes);
  EXPECT_EQ(info.SizeOf(nodes->type, 1), 4u);  // one element
}

TEST(CdbParserTest, LinesBothWays) {
  DebugInfo info = ParseClean(kTwoModules);
  const struct {
    uint32_t pc;
    uint32_t line;  // 0: none
  } at[] = {
      {0x96, 11},  {0xA7, 11},  {0xA8, 13},  {0x10D, 15},
      {0x181, 25},  // the function's opening line shares the address with the first statement
      {0x188, 27},  {0x1A9, 31}, {0x1AA, 31},
      {0x1AB, 0},   // past the function
      {0x50, 0},    // no function, no record
  };
  for (const auto& c : at) {
    const LineRecord* r = info.LineAt(c.pc);
    EXPECT_EQ(r ? r->line : 0u, c.line) << std::hex << c.pc;
  }
  EXPECT_EQ(info.AddressesOfLine("two.c", 31), (std::vector<uint32_t>{0x1A0, 0x1A8}));
  EXPECT_EQ(info.AddressesOfLine("src/two.c", 13), (std::vector<uint32_t>{0xA8}));
  EXPECT_TRUE(info.AddressesOfLine("two.c", 12).empty());
  EXPECT_EQ(info.Lines().NextLineWithCode(*info.FileIndex("two.c"), 12), 13u);
  EXPECT_EQ(info.LinesOfFile("other.c"), (std::vector<uint32_t>{3}));
  EXPECT_FALSE(info.FileIndex("three.c"));
}

TEST(CdbParserTest, ScopesFollowTheBlocks) {
  DebugInfo info = ParseClean(kTwoModules);
  // main: v (level 1, block 13); w in block 14 (level 2); an inner v in block 15 (level 3, inside 14);
  // u in block 16, a sibling of 14.
  const struct {
    uint32_t pc;
    const char* name;
    uint16_t level;  // of the symbol found; 0: none
  } cases[] = {
      {0x181, "v", 1}, {0x181, "w", 0}, {0x185, "w", 2}, {0x185, "v", 1}, {0x189, "v", 3},
      {0x189, "w", 2}, {0x190, "w", 0}, {0x190, "u", 2}, {0x190, "v", 1}, {0x1A0, "u", 0},
  };
  for (const auto& c : cases) {
    const Symbol* s = info.FindSymbol(c.name, c.pc);
    EXPECT_EQ(s ? s->level : 0, c.level) << c.name << " at " << std::hex << c.pc;
  }
  // Program scope from anywhere, file scope from the file's functions only.
  EXPECT_TRUE(info.FindSymbol("nodes", 0x181));
  EXPECT_TRUE(info.FindSymbol("counter", 0x181));
  EXPECT_FALSE(info.FindSymbol("counter", 0x1F0));

  auto chain = info.ScopeChainAt(0x189);
  ASSERT_EQ(chain.size(), 5u);
  EXPECT_EQ(chain[0].kind, Scope::Kind::kBlock);
  EXPECT_EQ(chain[0].block, 15u);
  EXPECT_EQ(chain[1].block, 14u);
  EXPECT_EQ(chain[2].kind, Scope::Kind::kFunction);
  EXPECT_EQ(chain[3].kind, Scope::Kind::kFile);
  ASSERT_EQ(chain[3].symbols.size(), 1u);
  EXPECT_EQ(chain[3].symbols[0]->name, "counter");
  EXPECT_EQ(chain[4].kind, Scope::Kind::kGlobal);
  EXPECT_EQ(info.ScopeChainAt(0x50).size(), 1u) << "outside every function only the program's scope";
}

TEST(CdbParserTest, MalformedRecordsAreSkippedAndNamed) {
  const char* bad[] = {
      "X:what",
      "S",
      "M:",
      "S:G$x$0_0$0({1}SC:U),Q,0,0",               // unknown space
      "S:G$x$0_0$0({1}SC:U),E,2,0",               // on-stack flag not 0/1
      "S:G$x$0_0$0({1}SC:U),E,0",                 // stack offset missing
      "S:G$x$0_0$0({1}SC:U),R,0,0,[r9]",          // no such register
      "S:G$x$0_0$0({1}SC:U),R,0,0,[r1,r2",        // unclosed register list
      "S:G$x$0_0$0({1}SC:U),R,0,0,[r0,r1,r2,r3,r4,r5,r6,r7,r0]",
      "S:Q$x$0_0$0({1}SC:U),E,0,0",               // unknown scope
      "S:L$x$0_0$0({1}SC:U),E,0,0",               // local without its function
      "S:G$$0_0$0({1}SC:U),E,0,0",                // no name
      "S:G$x$70000_0$0({1}SC:U),E,0,0",           // level past 16 bits
      "S:G$x$0_0$0({1}SC:U,E,0,0",                // type not closed
      "F:G$f$0_0$0({2}SI:S),C,0,0,0,0,0",         // a function whose type is no function
      "F:G$f$0_0$0({2}DF,SV:S),C,0,0,0,0,4",      // bank 4
      "F:G$f$0_0$0({2}DF,SV:S),C,0,0,0,0",        // field missing
      "T:Fm$s[({0}S:S$a$0_0$0({1}SC:U),Z,0,0)",   // unclosed member list
      "T:Fm$s[({0}S:G$a$0_0$0({1}SC:U),Z,0,0)]",  // a member that is not a member
      "T:G$s[]",
      "L:C$f.c$x$1_0$1:10",
      "L:C$f.c$1$1_0$1:XYZ",
      "L:G$x$0_0$0",
      "L:G$x$0_0$0:123456789",  // address past 32 bits
      "L:Zzz:10",
  };
  std::string text = "M:m\n";
  for (const char* record : bad) text += std::string(record) + "\n";
  text += "S:G$good$0_0$0({1}SC:U),E,0,0\nL:G$good$0_0$0:30\n";
  CdbParser parser("bad.cdb");
  DebugInfo info = parser.Parse(text);
  ASSERT_EQ(parser.Diagnostics().size(), std::size(bad));
  for (size_t i = 0; i < std::size(bad); ++i) {
    EXPECT_EQ(parser.Diagnostics()[i].file, "bad.cdb");
    EXPECT_EQ(parser.Diagnostics()[i].line, i + 2) << bad[i];
  }
  EXPECT_EQ(parser.Diagnostics()[3].ToString(), std::string("bad.cdb:5: ") + texts::kBadSymbol);
  // The good record after them still counts.
  const Symbol* good = info.GlobalSymbol("good");
  ASSERT_TRUE(good);
  EXPECT_EQ(good->address, 0x30u);
}

TEST(CdbParserTest, BoundsOnRecordsAndReports) {
  std::string text = "M:m\nS:G$x$0_0$0({1}ST" + std::string(kMaxRecordLength, 'a') + ":S),E,0,0\n";
  for (int i = 0; i < 150; ++i) text += "junk\n";
  CdbParser parser("big.cdb");
  parser.Parse(text);
  EXPECT_EQ(parser.MalformedRecords(), 151u);
  ASSERT_EQ(parser.Diagnostics().size(), kMaxDiagnostics + 1);
  EXPECT_EQ(parser.Diagnostics()[0].message, texts::kRecordTooLong);
  EXPECT_EQ(parser.Diagnostics().back().message, std::string("51 ") + texts::kMoreDiagnostics);
}

TEST(CdbParserTest, StructThatContainsItselfLosesThatMember) {
  CdbParser parser("loop.cdb");
  DebugInfo info = parser.Parse(
      "M:m\n"
      "T:Fm$a[({0}S:S$b$0_0$0({2}STb:S),Z,0,0)({2}S:S$n$0_0$0({1}SC:U),Z,0,0)]\n"
      "T:Fm$b[({0}S:S$a$0_0$0({4}DA2d,STa:S),Z,0,0)]\n"
      "T:Fm$c[({0}S:S$p$0_0$0({3}DG,STc:S),Z,0,0)]\n");  // through a pointer is fine
  ASSERT_EQ(parser.Diagnostics().size(), 2u);
  EXPECT_EQ(parser.Diagnostics()[0].ToString(), std::string("loop.cdb:2: ") + texts::kSelfContaining + ": a");
  const StructType* a = info.StructByName("a");
  ASSERT_TRUE(a);
  ASSERT_EQ(a->members.size(), 1u);
  EXPECT_EQ(a->members[0].name, "n");
  ASSERT_TRUE(info.StructByName("c"));
  EXPECT_EQ(info.StructByName("c")->members.size(), 1u);
}

TEST(CdbParserTest, OverlappingFunctionRangesAreMadeDisjoint) {
  // A damaged file: a claims 0x10-0x40, b sits inside it at 0x20-0x30, c claims b's exact start.
  CdbParser parser("overlap.cdb");
  DebugInfo info = parser.Parse(
      "M:m\n"
      "F:G$a$0_0$0({2}DF,SV:S),C,0,0,0,0,0\nF:G$b$0_0$0({2}DF,SV:S),C,0,0,0,0,0\n"
      "F:G$c$0_0$0({2}DF,SV:S),C,0,0,0,0,0\n"
      "L:G$a$0$0:10\nL:XG$a$0$0:40\nL:G$b$0$0:20\nL:XG$b$0$0:30\nL:G$c$0$0:20\nL:XG$c$0$0:50\n");
  const struct {
    uint32_t pc;
    const char* function;
  } at[] = {{0x10, "a"}, {0x1F, "a"}, {0x20, "c"}, {0x35, "c"}, {0x50, "c"}, {0x51, ""}};
  for (const auto& c : at) {
    const Function* f = info.FunctionAt(c.pc);
    EXPECT_EQ(f ? f->name : "", c.function) << std::hex << c.pc;
  }
  EXPECT_FALSE(info.FunctionByName("b")->end) << "b is left with no code of its own";
}

TEST(CdbParserTest, CanonicalLinkKeys) {
  EXPECT_EQ(CanonicalLinkKey("G$main$0$0"), "G$main$0_0$0");
  EXPECT_EQ(CanonicalLinkKey("G$main$0_0$0"), "G$main$0_0$0");
  EXPECT_EQ(CanonicalLinkKey("Lprog.f$x$12$3"), "Lprog.f$x$12_0$3");
  EXPECT_EQ(CanonicalLinkKey("_main"), "_main");
}

}  // namespace
}  // namespace orven::debuginfo
