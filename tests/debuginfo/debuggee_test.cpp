// The model of a program SDCC compiled here with --debug, checked against the linker's map, the program's own
// code bytes and its source.
#include <gtest/gtest.h>

#include <fstream>

#include "debuginfo/cdb_file.h"
#include "debuginfo/texts.h"
#include "tests/support/sdcc_program.h"

namespace orven::debuginfo {
namespace {

class DebuggeeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string(ORVEN_DEBUGGEE).empty()) GTEST_SKIP() << "SDCC is not installed";
    ASSERT_TRUE(program_.Load(ORVEN_DEBUGGEE));
    load_ = LoadCdbFile(std::string(ORVEN_DEBUGGEE) + ".cdb");
    ASSERT_TRUE(load_.info);
    for (const Diagnostic& d : load_.diagnostics) ADD_FAILURE() << d.ToString();
    info_ = &*load_.info;
    std::ifstream source(ORVEN_DEBUGGEE_SOURCE);
    for (std::string line; std::getline(source, line);) source_.push_back(line);
  }

  // The line of the source that holds `text` (1-based).
  uint32_t LineOf(std::string_view text) const {
    for (size_t i = 0; i < source_.size(); ++i) {
      if (source_[i].find(text) != std::string::npos) return static_cast<uint32_t>(i + 1);
    }
    ADD_FAILURE() << "not in the source: " << text;
    return 0;
  }
  // The only address the line compiled to.
  uint32_t AddressOf(std::string_view text) const {
    auto addresses = info_->AddressesOfLine("debuggee.c", LineOf(text));
    EXPECT_EQ(addresses.size(), 1u) << text;
    return addresses.empty() ? 0 : addresses[0];
  }
  uint8_t Code(uint32_t address) const { return address < program_.code.size() ? program_.code[address] : 0; }

  testing::SdccProgram program_;
  CdbLoad load_;
  const DebugInfo* info_ = nullptr;
  std::vector<std::string> source_;
};

TEST_F(DebuggeeTest, GlobalsOfEverySpaceAndType) {
  using enum TypeCode;
  const struct {
    const char* name;
    AddressSpace space;
    uint32_t size;
    std::vector<TypeCode> chain;
    PointerKind pointer;  // when the chain starts with a pointer
  } globals[] = {
      {"dcount", AddressSpace::kData, 1, {kChar}, {}},
      {"ibuf", AddressSpace::kIdata, 8, {kArray, kChar}, {}},
      {"buf", AddressSpace::kXdata, 16, {kArray, kChar}, {}},
      {"pbyte", AddressSpace::kPdata, 1, {kChar}, {}},
      {"table", AddressSpace::kCodeStatic, 4, {kArray, kChar}, {}},
      {"done", AddressSpace::kBit, 1, {kBitField}, {}},
      {"PORT1", AddressSpace::kSfr, 1, {kChar}, {}},
      {"LED", AddressSpace::kSbit, 1, {kSbit}, {}},
      {"packet", AddressSpace::kXdata, 7, {kStruct}, {}},
      {"word", AddressSpace::kXdata, 2, {kStruct}, {}},
      {"flags", AddressSpace::kXdata, 1, {kStruct}, {}},
      {"total", AddressSpace::kData, 4, {kLong}, {}},
      {"ratio", AddressSpace::kData, 4, {kFloat}, {}},
      {"delta", AddressSpace::kData, 1, {kChar}, {}},
      {"sval", AddressSpace::kData, 2, {kInt}, {}},
      {"gptr", AddressSpace::kData, 3, {kPointer, kChar}, PointerKind::kGeneric},
      {"dptr_", AddressSpace::kData, 1, {kPointer, kChar}, PointerKind::kData},
      {"iptr", AddressSpace::kData, 1, {kPointer, kChar}, PointerKind::kIdata},
      {"xptr", AddressSpace::kData, 2, {kPointer, kChar}, PointerKind::kXdata},
      {"pptr", AddressSpace::kData, 1, {kPointer, kChar}, PointerKind::kPdata},
      {"cptr", AddressSpace::kData, 2, {kPointer, kChar}, PointerKind::kCode},
      {"main", AddressSpace::kCode, 2, {kFunction, kVoid}, {}},
  };
  for (const auto& g : globals) {
    SCOPED_TRACE(g.name);
    const Symbol* s = info_->GlobalSymbol(g.name);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->space, g.space);
    EXPECT_EQ(s->type.size, g.size);
    ASSERT_EQ(s->type.chain.size(), g.chain.size());
    for (size_t i = 0; i < g.chain.size(); ++i) EXPECT_EQ(s->type.chain[i].code, g.chain[i]);
    if (g.chain[0] == kPointer) {
      EXPECT_EQ(s->type.chain[0].pointer, g.pointer);
    }
    ASSERT_TRUE(s->address);
    uint32_t mapped = program_.At("_" + std::string(g.name));
    if (mapped != 0xFFFFFFFF) {
      EXPECT_EQ(*s->address, mapped);
    }
  }
  EXPECT_FALSE(info_->GlobalSymbol("delta")->type.isUnsigned);
  EXPECT_FALSE(info_->GlobalSymbol("hidden")) << "a file static needs its module";
  const Symbol* hidden = info_->GlobalSymbol("hidden", "debuggee");
  ASSERT_TRUE(hidden);
  EXPECT_EQ(hidden->scope, ScopeKind::kFile);
  EXPECT_EQ(load_.withoutAddress, 0u);
}

TEST_F(DebuggeeTest, BitAddressesComeFromTheListing) {
  // The .cdb and the map leave the bit variable out; the listing has it. The program's own instructions
  // confirm both bit addresses: setb bit (D2 bb) and clr bit (C2 bb).
  EXPECT_GE(load_.completedFromLinker, 1u);
  uint32_t setDone = AddressOf("done = 1;");
  EXPECT_EQ(Code(setDone), 0xD2);
  EXPECT_EQ(info_->GlobalSymbol("done")->address, Code(setDone + 1));
  uint32_t clearLed = AddressOf("LED = 0;");
  EXPECT_EQ(Code(clearLed), 0xC2);
  EXPECT_EQ(info_->GlobalSymbol("LED")->address, Code(clearLed + 1));
}

TEST_F(DebuggeeTest, FunctionsMatchTheMap) {
  const struct {
    const char* name;
    bool interrupt;
  } functions[] = {{"timer0_isr", true}, {"fib", false}, {"level3", false},
                   {"level2", false},    {"level1", false}, {"main", false}};
  uint32_t previousEnd = 0;
  for (const auto& f : functions) {
    SCOPED_TRACE(f.name);
    const Function* fn = info_->FunctionByName(f.name);
    ASSERT_TRUE(fn);
    ASSERT_TRUE(fn->begin && fn->end);
    EXPECT_EQ(*fn->begin, program_.At("_" + std::string(f.name)));
    EXPECT_GT(*fn->begin, previousEnd) << "ranges do not overlap";
    previousEnd = *fn->end;
    EXPECT_EQ(Code(*fn->end), f.interrupt ? 0x32 : 0x22) << "ends on reti / ret";
    EXPECT_EQ(info_->FunctionAt(*fn->begin), fn);
    EXPECT_EQ(info_->FunctionAt(*fn->end), fn);
    EXPECT_EQ(fn->isInterrupt, f.interrupt);
    EXPECT_EQ(fn->file, "debuggee.c");
  }
  EXPECT_EQ(info_->FunctionByName("timer0_isr")->interruptNumber, 1);
}

TEST_F(DebuggeeTest, LocalsInRegistersAndOnTheStack) {
  const Function* fib = info_->FunctionByName("fib");
  ASSERT_TRUE(fib);
  const Symbol* n = info_->FindSymbol("n", *fib->begin);
  ASSERT_TRUE(n);
  EXPECT_EQ(n->space, AddressSpace::kRegister);
  EXPECT_EQ(n->registers, std::vector<Register>{Register::kR7});
  const Symbol* parts = info_->FindSymbol("parts", *fib->begin);
  ASSERT_TRUE(parts);
  EXPECT_EQ(parts->space, AddressSpace::kInternalStack);
  EXPECT_TRUE(parts->onStack);
  EXPECT_EQ(parts->stackOffset, 1);
  EXPECT_EQ(fib->stackSize, 2u);
  const Symbol* r = info_->FindSymbol("r", *info_->FunctionByName("level2")->begin);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->registers, (std::vector<Register>{Register::kR6, Register::kR7}));  // low byte first
}

TEST_F(DebuggeeTest, BlockScopeShadowsTheParameter) {
  uint32_t inBlock = AddressOf("r = level2(x);");
  uint32_t after = AddressOf("return r;");
  const Symbol* x = info_->FindSymbol("x", inBlock);
  ASSERT_TRUE(x);
  EXPECT_EQ(x->level, 2);
  EXPECT_TRUE(info_->FindSymbol("r2", inBlock));
  x = info_->FindSymbol("x", after);
  ASSERT_TRUE(x);
  EXPECT_EQ(x->level, 1);
  EXPECT_FALSE(info_->FindSymbol("r2", after));
  EXPECT_EQ(info_->FindSymbol("ticks", after), info_->GlobalSymbol("ticks"));
}

TEST_F(DebuggeeTest, StructsUnionsAndBitFields) {
  const StructType* packet = info_->StructByName("packet");
  ASSERT_TRUE(packet);
  EXPECT_FALSE(packet->isUnion);
  EXPECT_EQ(packet->size, 7u);
  ASSERT_EQ(packet->members.size(), 3u);
  EXPECT_EQ(packet->members[1].name, "kind");
  EXPECT_EQ(packet->members[1].offset, 1u);
  EXPECT_EQ(packet->members[2].offset, 3u);
  EXPECT_EQ(packet->members[2].type.chain[0].code, TypeCode::kLong);

  const StructType* word = info_->StructByName("word");
  ASSERT_TRUE(word);
  EXPECT_TRUE(word->isUnion);
  EXPECT_EQ(word->size, 2u);

  const StructType* flags = info_->StructByName("flags");
  ASSERT_TRUE(flags);
  EXPECT_FALSE(flags->isUnion);
  const std::tuple<const char*, uint8_t, uint8_t> bits[] = {{"ready", 0, 1}, {"mode", 1, 3}, {"count", 4, 4}};
  ASSERT_EQ(flags->members.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    const TypeElement& e = flags->members[i].type.chain[0];
    EXPECT_EQ(flags->members[i].name, std::get<0>(bits[i]));
    EXPECT_EQ(e.code, TypeCode::kBitField);
    EXPECT_EQ(e.bitOffset, std::get<1>(bits[i]));
    EXPECT_EQ(e.bitWidth, std::get<2>(bits[i]));
  }
}

TEST_F(DebuggeeTest, LinesBothWays) {
  // Every address a line compiled to maps back to a record at that address; the function's first address
  // shows its first statement.
  auto lines = info_->LinesOfFile("debuggee.c");
  ASSERT_GT(lines.size(), 40u);
  for (uint32_t line : lines) {
    for (uint32_t address : info_->AddressesOfLine("debuggee.c", line)) {
      const LineRecord* back = info_->LineAt(address);
      ASSERT_TRUE(back) << line;
      EXPECT_EQ(back->address, address) << line;
    }
  }
  EXPECT_EQ(info_->LineAt(*info_->FunctionByName("main")->begin)->line, LineOf("TMOD = 0x01;"));
  // A PC in the middle of a line's code is on that line.
  uint32_t stamp = AddressOf("packet.stamp = 100000;");
  EXPECT_EQ(info_->LineAt(stamp + 1)->line, LineOf("packet.stamp = 100000;"));
  // The initialiser of a global runs before main, outside every function.
  EXPECT_EQ(info_->LineAt(AddressOf("signed char delta = -3;"))->line, LineOf("signed char delta = -3;"));
  // A line without code moves to the next one that has some.
  EXPECT_EQ(info_->Lines().NextLineWithCode(*info_->FileIndex("debuggee.c"), LineOf("unsigned char i;")),
            LineOf("TMOD = 0x01;"));
}

TEST(CdbFileTest, MissingFileIsNamed) {
  CdbLoad load = LoadCdbFile("/nonexistent/prog.cdb");
  EXPECT_FALSE(load.info);
  ASSERT_EQ(load.diagnostics.size(), 1u);
  EXPECT_EQ(load.diagnostics[0].ToString(), std::string("/nonexistent/prog.cdb:0: ") + texts::kCannotOpen);
}

}  // namespace
}  // namespace orven::debuginfo
