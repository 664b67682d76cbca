// Instruction families, each as tiny programs of commented opcode bytes: step, then check registers and flags.
#include <gtest/gtest.h>

#include "sim/mcs51/cycle_table.h"
#include "tests/mcs51/core_test_support.h"

namespace orven::mcs51test {
namespace {

using mcs51::kPswAc;
using mcs51::kPswCy;
using mcs51::kPswOv;

struct AluCase {
  const char* what;
  uint8_t opcode;  // ADD/ADDC/SUBB A,#data
  uint8_t a;
  uint8_t operand;
  bool carryIn;
  uint8_t result;
  uint8_t flags;  // CY, AC, OV as in PSW
};

TEST(InstructionTest, AddAddcSubbFlags) {
  const AluCase cases[] = {
      {"ADD no flags", 0x24, 0x12, 0x34, false, 0x46, 0},
      {"ADD half carry", 0x24, 0x0F, 0x01, false, 0x10, kPswAc},
      {"ADD carry out", 0x24, 0xFF, 0x01, false, 0x00, kPswCy | kPswAc},
      {"ADD signed overflow", 0x24, 0x7F, 0x01, false, 0x80, kPswAc | kPswOv},
      {"ADD negative overflow", 0x24, 0x80, 0x80, false, 0x00, kPswCy | kPswOv},
      {"ADD ignores carry", 0x24, 0x01, 0x01, true, 0x02, 0},
      {"ADDC adds carry", 0x34, 0x01, 0x01, true, 0x03, 0},
      {"ADDC carry makes AC", 0x34, 0x0F, 0x00, true, 0x10, kPswAc},
      {"ADDC carry makes OV", 0x34, 0x7F, 0x00, true, 0x80, kPswAc | kPswOv},
      {"SUBB plain", 0x94, 0x50, 0x20, false, 0x30, 0},
      {"SUBB borrow", 0x94, 0x00, 0x01, false, 0xFF, kPswCy | kPswAc},
      {"SUBB with carry in", 0x94, 0x10, 0x10, true, 0xFF, kPswCy | kPswAc},
      {"SUBB signed overflow", 0x94, 0x80, 0x01, false, 0x7F, kPswAc | kPswOv},
      {"SUBB positive minus negative", 0x94, 0x7F, 0xFF, false, 0x80, kPswCy | kPswOv},
  };
  for (const AluCase& c : cases) {
    SCOPED_TRACE(c.what);
    auto core = CoreWith({
        0x74, c.a,                                    // MOV A,#a
        static_cast<uint8_t>(c.carryIn ? 0xD3 : 0xC3),  // SETB C / CLR C
        c.opcode, c.operand,                          // op A,#operand
    });
    Steps(*core, 3);
    EXPECT_EQ(core->Acc(), c.result);
    EXPECT_EQ(core->Psw() & (kPswCy | kPswAc | kPswOv), c.flags);
  }
}

TEST(InstructionTest, DecimalAdjustAfterBcdAdd) {
  struct Case {
    uint8_t a, b;
    uint8_t result;
    bool carry;
  } cases[] = {
      {0x19, 0x28, 0x47, false},  // low digit carries through AC
      {0x45, 0x45, 0x90, false},  // low digit > 9
      {0x56, 0x67, 0x23, true},   // both digits adjust, carry out
      {0x99, 0x99, 0x98, true},   // carry out of ADD kept
      {0x50, 0x50, 0x00, true},   // high digit > 9
      {0x00, 0x00, 0x00, false},
  };
  for (const Case& c : cases) {
    auto core = CoreWith({
        0x74, c.a,  // MOV A,#a
        0x24, c.b,  // ADD A,#b
        0xD4,       // DA A
    });
    Steps(*core, 3);
    EXPECT_EQ(core->Acc(), c.result) << std::hex << int(c.a) << "+" << int(c.b);
    EXPECT_EQ((core->Psw() & kPswCy) != 0, c.carry) << std::hex << int(c.a) << "+" << int(c.b);
  }
}

TEST(InstructionTest, MultiplyAndDivide) {
  auto core = CoreWith({
      0x74, 0x40, 0x75, 0xF0, 0x09,  // MOV A,#40h; MOV B,#09h
      0xA4,                          // MUL AB     -> 0x0240: OV
      0x74, 0x64, 0x75, 0xF0, 0x07,  // MOV A,#100; MOV B,#7
      0x84,                          // DIV AB     -> 14 r 2
      0x74, 0x37, 0x75, 0xF0, 0x00,  // MOV A,#37h; MOV B,#0
      0xD3, 0x84,                    // SETB C; DIV AB -> OV, CY clear, A and B kept
  });
  Steps(*core, 3);
  EXPECT_EQ(core->Acc(), 0x40);
  EXPECT_EQ(core->SfrValue(mcs51::kB), 0x02);
  EXPECT_EQ(core->Psw() & (kPswOv | kPswCy), kPswOv);
  Steps(*core, 3);
  EXPECT_EQ(core->Acc(), 14);
  EXPECT_EQ(core->SfrValue(mcs51::kB), 2);
  EXPECT_EQ(core->Psw() & (kPswOv | kPswCy), 0);
  Steps(*core, 4);
  EXPECT_EQ(core->Acc(), 0x37);
  EXPECT_EQ(core->SfrValue(mcs51::kB), 0x00);
  EXPECT_EQ(core->Psw() & (kPswOv | kPswCy), kPswOv);
}

TEST(InstructionTest, ParityFollowsAcc) {
  auto core = CoreWith({0x74, 0x07, 0x04, 0xE4});  // MOV A,#7; INC A; CLR A
  core->Step();
  EXPECT_EQ(core->Psw() & mcs51::kPswP, 1);
  core->Step();
  EXPECT_EQ(core->Psw() & mcs51::kPswP, 1);  // 0x08
  core->Step();
  EXPECT_EQ(core->Psw() & mcs51::kPswP, 0);
}

TEST(InstructionTest, MovToPswChangesRegisterBank) {
  auto core = CoreWith({
      0x78, 0x11,        // MOV R0,#11h   (bank 0: 0x00)
      0x75, 0xD0, 0x08,  // MOV PSW,#08h  (bank 1)
      0x78, 0x22,        // MOV R0,#22h   (0x08)
      0xD2, 0xD4,        // SETB RS1      (bank 3)
      0x78, 0x33,        // MOV R0,#33h   (0x18)
      0xE6,              // MOV A,@R0     (reads 0x33 = RAM 0x33)
  });
  Steps(*core, 6);
  EXPECT_EQ(core->Iram(0x00), 0x11);
  EXPECT_EQ(core->Iram(0x08), 0x22);
  EXPECT_EQ(core->Iram(0x18), 0x33);
  EXPECT_EQ(core->R(0), 0x33);
  EXPECT_EQ(core->Psw() & mcs51::kPswBank, 0x18);
}

TEST(InstructionTest, StackWrapsAtTopOfRam) {
  auto core = CoreWith({
      0x75, 0x81, 0xFE,  // MOV SP,#FEh
      0x74, 0xA1,        // MOV A,#A1h
      0xC0, 0xE0,        // PUSH ACC      -> [FF]
      0x04, 0xC0, 0xE0,  // INC A; PUSH ACC -> SP wraps to 00
      0xD0, 0xF0,        // POP B         <- [00]
      0xD0, 0x30,        // POP 30h       <- [FF]
  });
  Steps(*core, 3);
  EXPECT_EQ(core->Sp(), 0xFF);
  EXPECT_EQ(core->Iram(0xFF), 0xA1);  // upper RAM, reached only indirectly
  Steps(*core, 2);
  EXPECT_EQ(core->Sp(), 0x00);
  EXPECT_EQ(core->Iram(0x00), 0xA2);
  Steps(*core, 2);
  EXPECT_EQ(core->SfrValue(mcs51::kB), 0xA2);
  EXPECT_EQ(core->Iram(0x30), 0xA1);
  EXPECT_EQ(core->Sp(), 0xFE);
}

TEST(InstructionTest, UpperRamIsIndirectOnly) {
  auto core = CoreWith({
      0x78, 0x90,  // MOV R0,#90h
      0x76, 0x5A,  // MOV @R0,#5Ah  (RAM 0x90)
      0x75, 0x90, 0x3C,  // MOV 90h,#3Ch (P1)
  });
  Steps(*core, 3);
  EXPECT_EQ(core->Iram(0x90), 0x5A);
  EXPECT_EQ(core->SfrValue(mcs51::kP1), 0x3C);
}

TEST(InstructionTest, JumpsCallsAndTables) {
  auto core = CoreWith({
      0x12, 0x01, 0x00,  // 0000 LCALL 0100h
      0x80, 0xFE,        // 0003 SJMP $
  });
  const uint8_t sub[] = {
      0x90, 0x01, 0x10,  // 0100 MOV DPTR,#0110h
      0x74, 0x02,        // 0103 MOV A,#2
      0x73,              // 0105 JMP @A+DPTR -> 0112
  };
  core->LoadCode(0x100, sub, sizeof sub);
  const uint8_t table[] = {
      0x80, 0xFE,  // 0110 (not taken)
      0x74, 0x01,  // 0112 MOV A,#1
      0x93,        // 0114 MOVC A,@A+DPTR -> code[0111] = 0xFE
      0x22,        // 0115 RET
  };
  core->LoadCode(0x110, table, sizeof table);
  Steps(*core, 4);
  EXPECT_EQ(core->Pc(), 0x0112);
  EXPECT_EQ(core->Sp(), 0x09);
  EXPECT_EQ(core->Iram(0x08), 0x03);  // return address, low byte first
  Steps(*core, 3);
  EXPECT_EQ(core->Acc(), 0xFE);
  EXPECT_EQ(core->Pc(), 0x0003);
  EXPECT_EQ(core->Sp(), 0x07);
}

TEST(InstructionTest, CompareDecrementAndBitJumps) {
  auto core = CoreWith({
      0x7A, 0x03,        // 0000 MOV R2,#3
      0x05, 0x30,        // 0002 INC 30h
      0xDA, 0xFC,        // 0004 DJNZ R2,0002
      0xE5, 0x30,        // 0006 MOV A,30h
      0xB4, 0x05, 0x00,  // 0008 CJNE A,#5,+0 -> CY (3 < 5)
      0xD2, 0x00,        // 000B SETB 20h.0
      0x10, 0x00, 0x01,  // 000D JBC 20h.0,+1 -> 0011, bit cleared
      0x00,              // 0010 NOP (skipped)
      0x20, 0x00, 0x02,  // 0011 JB 20h.0,+2 (not taken)
      0x80, 0xFE,        // 0014 SJMP $
  });
  Steps(*core, 1 + 3 * 2 + 1);
  EXPECT_EQ(core->Acc(), 3);
  core->Step();
  EXPECT_TRUE(core->Psw() & kPswCy);
  Steps(*core, 2);
  EXPECT_EQ(core->Pc(), 0x0011);
  EXPECT_EQ(core->Iram(0x20), 0x00);
  core->Step();
  EXPECT_EQ(core->Pc(), 0x0014);
}

TEST(InstructionTest, CycleCountsPerStep) {
  struct Case {
    std::initializer_list<uint8_t> code;
    unsigned cycles;
  } cases[] = {
      {{0x00}, 1},              // NOP
      {{0xA5}, 1},              // undefined opcode: one-cycle no-op
      {{0x02, 0x00, 0x10}, 2},  // LJMP
      {{0xA4}, 4},              // MUL AB
      {{0x84}, 4},              // DIV AB
      {{0xE0}, 2},              // MOVX A,@DPTR
      {{0x85, 0x30, 0x31}, 2},  // MOV dir,dir
  };
  for (const Case& c : cases) {
    auto core = CoreWith(c.code);
    EXPECT_EQ(core->Step(), c.cycles) << std::hex << int(*c.code.begin());
  }
}

TEST(InstructionTest, EveryOpcodeAdvancesByItsLength) {
  // Straight-line opcodes (no jumps, calls or returns) move the PC by their length.
  for (unsigned op = 0; op < 256; ++op) {
    const bool control = (op & 0x1F) == 0x01 || (op & 0x1F) == 0x11 || op == 0x02 || op == 0x12 || op == 0x22 ||
                         op == 0x32 || op == 0x73 || op == 0x80 || op == 0x10 || op == 0x20 || op == 0x30 ||
                         op == 0x40 || op == 0x50 || op == 0x60 || op == 0x70 || (op >= 0xB4 && op <= 0xBF) ||
                         op == 0xD5 || (op >= 0xD8 && op <= 0xDF);
    if (control) continue;
    auto core = CoreWith({static_cast<uint8_t>(op), 0x30, 0x31});
    core->Step();
    EXPECT_EQ(core->Pc(), mcs51::kLengths[op]) << std::hex << op;
  }
}

}  // namespace
}  // namespace orven::mcs51test
