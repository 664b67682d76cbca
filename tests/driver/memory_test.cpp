#include <gtest/gtest.h>

#include <cstring>

#include "driver/entry.h"
#include "driver/memory_access.h"
#include "driver/run_control.h"
#include "driver_fixture.h"

namespace orven::driver::testing {
namespace {

TEST(TaggedAddress, NamesItsSlotAndOffset) {
  struct Case {
    uint32_t tagged;
    uint32_t slot, offset;
  } cases[] = {
      {0x01001234, 256, 0x1234}, {0x01031234, 259, 0x1234}, {0xFE0212F0, 258, 0xF0},
      {0xF0000085, 512, 0x85},   {0xF000007F, 513, 0x7F},   {0xF3000085, 513, 0x85},
      {0xFF00ABCD, 0, 0xABCD},   {0xFF05ABCD, 5, 0xABCD},   {0x00000010, 0, 0x10},
      {0x42120010, 0x12, 0x10},
  };
  for (const Case& c : cases) {
    Location at = LocationOf(c.tagged);
    EXPECT_EQ(at.slot, c.slot) << std::hex << c.tagged;
    EXPECT_EQ(at.offset, c.offset) << std::hex << c.tagged;
  }
}

class Memory : public DriverFixture {
 protected:
  bool Read(uint32_t a, uint32_t n, uint8_t* b, uint32_t* failed = nullptr) {
    uint32_t f = 0;
    bool ok = ReadMemory(state(), target, b, a, n, &f);
    if (failed != nullptr) *failed = f;
    return ok;
  }
  std::vector<std::string> Calls() {
    auto c = target.calls;
    target.calls.clear();
    return c;
  }
  // Through the entry point, with a stale error address left in the descriptor by an earlier request.
  uint16_t Access(uint16_t request, uint32_t tagged, uint32_t count, uint32_t* error) {
    OrvendAddress address{};
    address.address.tagged = tagged;
    address.error_address = 0xDEADBEEF;
    uint16_t result = MemAcc(request, buffer, &address, count);
    *error = address.error_address;
    return result;
  }
  uint8_t buffer[1024] = {};
};

TEST_F(Memory, ChunksFollowTheSpacesAndStopAtTheirEnds) {
  struct Case {
    uint32_t address, count;
    std::vector<std::string> calls;
  } cases[] = {
      // direct data across 0x80: internal RAM part, then special function registers
      {0xF0000070, 0x20, {"ReadIdata F0000070 16", "ReadData F0000080 16"}},
      // idata stops at 0xFF
      {0xF30000F0, 0x20, {"ReadIdata F30000F0 16"}},
      {0x01000000, 600, {"ReadXdata 01000000 256", "ReadXdata 01000100 256", "ReadXdata 01000200 88"}},
      // xdata at a segment's end: only the bytes inside it
      {0x0100FFF0, 0x20, {"ReadXdata 0100FFF0 16"}},
      // pdata holds 256 bytes
      {0xFE0000F8, 0x10, {"ReadXdata FE0000F8 8"}},
      // code in bank 1: nothing asked of the pod
      {0xFF010000, 0x40, {}},
      // a tag that names no space: nothing
      {0x42000000, 0x10, {}},
  };
  for (const Case& c : cases) {
    std::memset(buffer, 0, sizeof buffer);
    EXPECT_TRUE(Read(c.address, c.count, buffer)) << std::hex << c.address;
    EXPECT_EQ(Calls(), c.calls) << std::hex << c.address;
  }
}

TEST_F(Memory, CacheMarksOnlyTransferredBytes) {
  target.xdata[0xFFF0] = 0x5A;
  ASSERT_TRUE(Read(0x0100FFF0, 0x20, buffer));
  EXPECT_EQ(xdata0[0xFFF0], 0x5A);
  EXPECT_TRUE(xdata0Attr[0xFFFF] & kAttrValid);
  EXPECT_FALSE(xdata1Attr[0x0000] & kAttrValid) << "no carry into the next segment";
  EXPECT_FALSE(xdata0Attr[0x0000] & kAttrValid);

  ASSERT_TRUE(Read(0xF30000F0, 0x20, buffer));
  EXPECT_TRUE(iramAttr[0xFF] & kAttrValid);
  EXPECT_FALSE(iramAttr[0x00] & kAttrValid);
  EXPECT_FALSE(sfrAttr[0x00] & kAttrValid);

  // Bank 1 code reads as 0x99 in its first 31 bytes, succeeds, and is never taken as valid.
  OrvendMemorySlot* table = state().memory.Table();
  std::vector<uint8_t> bank1(0x10000);
  std::vector<uint16_t> bank1Attr(0x10000);
  table[1] = {bank1.data(), bank1Attr.data()};
  std::memset(buffer, 0x11, sizeof buffer);
  ASSERT_TRUE(Read(0xFF010000, 0x40, buffer));
  EXPECT_EQ(buffer[0], 0x99);
  EXPECT_EQ(buffer[30], 0x99);
  EXPECT_EQ(buffer[31], 0x11);
  EXPECT_EQ(bank1Attr[0], 0);
  table[1] = {};

  // Direct data below 0x80 and the registers behind it go to their own slots.
  target.iram[0x7F] = 0x12;
  target.sfr[0x80] = 0x34;
  ASSERT_TRUE(Read(0xF000007F, 2, buffer));
  EXPECT_EQ(iram[0x7F], 0x12);
  EXPECT_EQ(sfr[0x80], 0x34);
  EXPECT_TRUE(sfrAttr[0x80] & kAttrValid);
}

TEST_F(Memory, CodeIsServedFromTheImageOnceValid) {
  target.code[0x100] = 0xA5;
  ASSERT_TRUE(Read(0xFF000100, 4, buffer));
  EXPECT_EQ(Calls(), std::vector<std::string>{"ReadCode 00000100 4"});
  ASSERT_TRUE(Read(0xFF000100, 4, buffer));
  EXPECT_TRUE(Calls().empty());
  EXPECT_EQ(buffer[0], 0xA5);

  // After a program load every byte of bank 0 is valid; data spaces are always asked for.
  state().memory.MarkCodeBank0Valid();
  ASSERT_TRUE(Read(0xFF00F000, 256, buffer));
  EXPECT_TRUE(Calls().empty());
  ASSERT_TRUE(Read(0xF0000010, 1, buffer));
  ASSERT_TRUE(Read(0xF0000010, 1, buffer));
  EXPECT_EQ(Calls().size(), 2u);

  // A step keeps code marks and drops the volatile ones.
  InvalidateVolatile(state());
  EXPECT_TRUE(codeAttr[0x100] & kAttrValid);
  EXPECT_FALSE(iramAttr[0x10] & kAttrValid);
}

TEST_F(Memory, AStepClearsEveryVolatileMarkOnceThenOnlyTheBytesReadSince) {
  // Marks the arrays held before they were bound are cleared by the first step after binding.
  xdata0Attr[0xFFFF] = kAttrValid | kAttrBpEnabled;
  sfrAttr[0x90] = kAttrValid;
  InvalidateVolatile(state());
  EXPECT_EQ(xdata0Attr[0xFFFF], kAttrBpEnabled) << "the breakpoint bit stays";
  EXPECT_FALSE(sfrAttr[0x90] & kAttrValid);

  // Afterwards the bytes read from either end of a segment, and in RAM and the registers, lose their marks.
  ASSERT_TRUE(Read(0x01000000, 4, buffer));
  ASSERT_TRUE(Read(0x0100FFF0, 16, buffer));
  ASSERT_TRUE(Read(0xF0000070, 0x20, buffer));
  EXPECT_TRUE(xdata0Attr[0x0000] & kAttrValid);
  EXPECT_TRUE(xdata0Attr[0xFFFF] & kAttrValid);
  EXPECT_TRUE(iramAttr[0x7F] & kAttrValid);
  EXPECT_TRUE(sfrAttr[0x8F] & kAttrValid);
  InvalidateVolatile(state());
  for (uint32_t at : {0x0000u, 0x0003u, 0xFFF0u, 0xFFFFu}) EXPECT_FALSE(xdata0Attr[at] & kAttrValid) << at;
  EXPECT_FALSE(iramAttr[0x70] & kAttrValid);
  EXPECT_FALSE(sfrAttr[0x8F] & kAttrValid);
  EXPECT_EQ(xdata0Attr[0xFFFF], kAttrBpEnabled);

  // A new table (a new initialisation) is cleared whole again.
  state().memory.Table();
  xdata0Attr[0x8000] = kAttrValid;
  InvalidateVolatile(state());
  EXPECT_FALSE(xdata0Attr[0x8000] & kAttrValid);
}

TEST_F(Memory, AFailedReadClearsTheRequestsMarksAndSetsFatal) {
  ASSERT_TRUE(Read(0x01000000, 0x200, buffer));
  target.failReads = true;
  uint32_t failed = 0;
  EXPECT_FALSE(Read(0x01000000, 0x200, buffer, &failed));
  EXPECT_EQ(failed, 0x01000000u);
  EXPECT_FALSE(xdata0Attr[0x1FF] & kAttrValid);
  EXPECT_TRUE(state().fatal.load());

  state().fatal = false;
  EXPECT_FALSE(Read(0xFE000010, 4, buffer, &failed));
  EXPECT_EQ(failed, 0xFE000010u) << "pdata failures keep their own tag";
}

TEST_F(Memory, WritesGoToTheTargetAndCodeStaysInBankZero) {
  uint8_t data[300];
  for (int i = 0; i < 300; ++i) data[i] = static_cast<uint8_t>(i);
  uint32_t failed = 0;
  ASSERT_TRUE(WriteMemory(state(), target, data, 0xFF000100, 300, &failed));
  EXPECT_EQ(Calls(), (std::vector<std::string>{"WriteCode 00000100 256", "WriteCode 00000200 44"}));
  EXPECT_EQ(code[0x101], 1);
  EXPECT_TRUE(codeAttr[0x22B] & kAttrValid);

  // Bank 1 would land in bank 0: refused without a transfer and without fatal.
  EXPECT_FALSE(WriteMemory(state(), target, data, 0xFF010100, 4, &failed));
  EXPECT_EQ(failed, 0xFF010100u);
  EXPECT_TRUE(Calls().empty());
  EXPECT_FALSE(state().fatal.load());
  EXPECT_EQ(target.code[0x100], 0);

  // A tag naming no space writes code; the code image there is not trusted afterwards.
  codeAttr[0x40] = kAttrValid;
  ASSERT_TRUE(WriteMemory(state(), target, data, 0x00000040, 2, &failed));
  EXPECT_EQ(Calls(), std::vector<std::string>{"WriteCode 00000040 2"});
  EXPECT_FALSE(codeAttr[0x40] & kAttrValid);

  // A write into a register bank means the next register read asks the target.
  state().registersWritten = true;
  ASSERT_TRUE(WriteMemory(state(), target, data, 0xF0000005, 1, &failed));
  EXPECT_FALSE(state().registersWritten.load());
}

TEST_F(Memory, WritesPastTheEndOfTheirSpaceFailAtTheFirstByteLeftOut) {
  struct Case {
    uint16_t code;
    uint32_t address, count;
    std::vector<std::string> calls;
    uint16_t result;
    uint32_t error;
  } cases[] = {
      {ORVEND_MEM_WRITE, 0x0100FFF0, 0x10, {"WriteXdata 0100FFF0 16"}, 0, 0},  // up to the end: fine
      {ORVEND_MEM_WRITE, 0x0100FFF0, 0x20, {"WriteXdata 0100FFF0 16"}, 5, 0x01010000},
      {ORVEND_MEM_WRITE, 0x0100FF00, 600, {"WriteXdata 0100FF00 256"}, 5, 0x01010000},
      {ORVEND_MEM_WRITE, 0xFE0000F8, 0x10, {"WriteXdata FE0000F8 8"}, 5, 0xFE000100},
      {ORVEND_MEM_WRITE, 0xFF00FFF0, 0x20, {"WriteCode 0000FFF0 16"}, 5, 0xFF010000},
      {ORVEND_MEM_WRITE_CODE, 0x0000FFF0, 0x20, {"WriteCode 0000FFF0 16"}, 5, 0xFF010000},
      {ORVEND_MEM_WRITE, 0x4200FFFF, 2, {"WriteCode 0000FFFF 1"}, 5, 0xFF010000},  // no space: code
      {ORVEND_MEM_WRITE, 0xF00000F0, 0x20, {"WriteData F00000F0 16"}, 5, 0xF0000100},
      {ORVEND_MEM_WRITE, 0xF30000F0, 0x20, {"WriteIdata F30000F0 16"}, 5, 0xF3000100},
      // Reads keep the bytes of the space and succeed.
      {ORVEND_MEM_READ, 0x0100FFF0, 0x20, {"ReadXdata 0100FFF0 16"}, 0, 0},
      {ORVEND_MEM_READ, 0xF30000F0, 0x20, {"ReadIdata F30000F0 16"}, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::hex << c.address << " +" << c.count);
    uint32_t error = 0;
    EXPECT_EQ(Access(c.code, c.address, c.count, &error), c.result);
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(Calls(), c.calls);
    EXPECT_FALSE(state().fatal.load()) << "the link is fine";
  }
}

TEST_F(Memory, AFailingSfrPartNamesItsOwnAddress) {
  struct Case {
    uint16_t code;
    uint32_t address, count;
    bool onlySfrFails;
    uint32_t error;
  } cases[] = {
      {ORVEND_MEM_READ, 0xF0000070, 0x20, true, 0xF0000080},
      {ORVEND_MEM_WRITE, 0xF0000070, 0x20, true, 0xF0000080},
      {ORVEND_MEM_READ, 0xF0000090, 4, true, 0xF0000090},
      {ORVEND_MEM_READ, 0xF0000070, 0x20, false, 0xF0000070},  // the internal RAM part fails first
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::hex << c.address << " code " << c.code);
    target.failSfr = c.onlySfrFails;
    target.failReads = !c.onlySfrFails;
    uint32_t error = 0;
    EXPECT_EQ(Access(c.code, c.address, c.count, &error), c.code == ORVEND_MEM_READ ? 2 : 5);
    EXPECT_EQ(error, c.error);
    EXPECT_TRUE(state().fatal.load());
    state().fatal = false;
  }
}

TEST_F(Memory, WritesOverTheCopiedRegistersMakeTheNextRegisterReadAskTheTarget) {
  struct Case {
    uint32_t address, count;
    bool stale;
  } cases[] = {
      {0xF0000081, 1, true},     {0xF0000082, 1, true},     {0xF0000083, 1, true},  // SP, DPL, DPH
      {0xF00000D0, 1, true},     {0xF00000E0, 1, true},     {0xF00000F0, 1, true},  // PSW, ACC, B
      {0xF0000070, 0x20, true},  {0xF0000005, 1, true},     {0xF3000018, 1, true},  // over SP; banks
      {0xF0000080, 1, false},    {0xF0000084, 0x4C, false}, {0xF0000090, 1, false},
      {0xF3000081, 1, false},    {0xF30000E0, 1, false},    {0xF0000020, 1, false},  // I: 0x80 up is RAM
      {0x01000081, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::hex << c.address << " +" << c.count);
    state().registersWritten = true;
    uint32_t error = 0;
    ASSERT_EQ(Access(ORVEND_MEM_WRITE, c.address, c.count, &error), 0);
    EXPECT_EQ(state().registersWritten.load(), !c.stale);
  }
}

TEST_F(Memory, DataSpacesAreReadFromTheTargetEveryTime) {
  for (uint32_t tagged : {0x01000010u, 0xFE000010u, 0xF0000010u, 0xF0000090u, 0xF3000010u, 0xF3000090u}) {
    ASSERT_TRUE(Read(tagged, 1, buffer));
    ASSERT_TRUE(Read(tagged, 1, buffer));
    EXPECT_EQ(Calls().size(), 2u) << std::hex << tagged;
    EXPECT_FALSE(state().memory.CacheRead(buffer, tagged, 1)) << "marked valid, still not served";
  }
}

TEST_F(Memory, AStepLeavesTheWordsBelow0x80OfTheSfrSlotAlone) {
  sfrAttr[0x00] = sfrAttr[0x7F] = sfrAttr[0x80] = sfrAttr[0xFF] = kAttrValid;
  iramAttr[0x00] = kAttrValid;
  InvalidateVolatile(state());
  EXPECT_EQ(sfrAttr[0x00], kAttrValid);
  EXPECT_EQ(sfrAttr[0x7F], kAttrValid);
  EXPECT_EQ(sfrAttr[0x80], 0);
  EXPECT_EQ(sfrAttr[0xFF], 0);
  EXPECT_EQ(iramAttr[0x00], 0);
}

TEST_F(Memory, AttributePointersStayInsideTheSlot) {
  OrvendAddress address{};
  address.address.tagged = 0xF0000090;
  ASSERT_EQ(MemAtt(2, 0, &address), 0u);
  EXPECT_EQ(address.address.attribute, sfrAttr.data() + 0x90);
  address.address.tagged = 0xFE0012F0;  // pdata: 8-bit offset
  MemAtt(2, 0, &address);
  EXPECT_EQ(address.address.attribute, xdata0Attr.data() + 0xF0);
  address.address.tagged = 0xFF070000;  // no slot
  MemAtt(2, 0, &address);
  EXPECT_EQ(address.address.attribute, nullptr);
  EXPECT_EQ(MemAtt(2, 0, nullptr), 0u);

  // Code 1 clears the error address; a running target refuses first.
  address.error_address = 0xFF001234;
  state().running = true;
  EXPECT_EQ(MemAtt(1, 0, &address), 1u);
  EXPECT_EQ(address.error_address, 0xFF001234u);
  state().running = false;
  EXPECT_EQ(MemAtt(1, 0, &address), 0u);
  EXPECT_EQ(address.error_address, 0u);
}

TEST_F(Memory, EntryPointRefusesWhileRunningOrDeadAndChecksNullHostPointers) {
  state().running = true;
  OrvendAddress address{};
  address.address.tagged = 0xF0000010;
  EXPECT_EQ(MemAcc(ORVEND_MEM_READ, buffer, &address, 1), 1);
  state().running = false;
  EXPECT_EQ(MemAcc(ORVEND_MEM_READ, buffer, nullptr, 1), 2);
  EXPECT_EQ(MemAcc(ORVEND_MEM_WRITE, nullptr, &address, 1), 5);
  EXPECT_EQ(MemAcc(9, buffer, &address, 1), 3);
  address.address.tagged = 0x00000123;
  EXPECT_EQ(MemAcc(ORVEND_MEM_READ_CODE, buffer, &address, 1), 0);
  EXPECT_EQ(address.address.tagged, 0xFF000123u);
  state().host.window = nullptr;
  EXPECT_EQ(MemAcc(ORVEND_MEM_READ, buffer, &address, 1), 0);
  EXPECT_TRUE(Calls().size() == 1);
}

}  // namespace
}  // namespace orven::driver::testing
