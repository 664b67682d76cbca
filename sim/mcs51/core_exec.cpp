// The instruction set: one switch over the opcode. Each case carries its mnemonic and bit pattern
// (rrr = register R0-R7, i = R0/R1 for @Ri, aaa = the top three bits of an 11-bit address).
#include "sim/mcs51/core.h"
#include "sim/mcs51/cycle_table.h"

namespace orven::mcs51 {

// Eight register forms of one instruction: the low three bits of the opcode name Rn.
#define ORVEN_RN_CASES(base)                                                                              \
  case (base) + 0: case (base) + 1: case (base) + 2: case (base) + 3: case (base) + 4: case (base) + 5: \
  case (base) + 6: case (base) + 7
// The eight AJMP/ACALL opcodes: aaa in the top three bits.
#define ORVEN_PAGE_CASES(low)                                                                               \
  case 0x00 | (low): case 0x20 | (low): case 0x40 | (low): case 0x60 | (low): case 0x80 | (low):          \
  case 0xA0 | (low): case 0xC0 | (low): case 0xE0 | (low)

namespace {
inline uint8_t U8(unsigned v) { return static_cast<uint8_t>(v); }
inline int8_t Rel(uint8_t v) { return static_cast<int8_t>(v); }
}  // namespace

void Core::Add(uint8_t v, bool carryIn) {
  const unsigned a = A();
  const unsigned c = carryIn ? 1 : 0;
  const unsigned sum = a + v + c;
  const bool cy = sum > 0xFF;
  const bool ac = ((a & 0x0F) + (v & 0x0F) + c) > 0x0F;
  const bool c6 = ((a & 0x7F) + (v & 0x7F) + c) > 0x7F;
  uint8_t& psw = Ref(kPsw);
  psw = U8((psw & ~(kPswCy | kPswAc | kPswOv)) | (cy ? kPswCy : 0) | (ac ? kPswAc : 0) |
           (c6 != cy ? kPswOv : 0));
  A() = U8(sum);
}

void Core::Subb(uint8_t v) {
  const int a = A();
  const int c = Carry() ? 1 : 0;
  const int diff = a - v - c;
  const bool cy = diff < 0;
  const bool ac = ((a & 0x0F) - (v & 0x0F) - c) < 0;
  const bool b6 = ((a & 0x7F) - (v & 0x7F) - c) < 0;
  uint8_t& psw = Ref(kPsw);
  psw = U8((psw & ~(kPswCy | kPswAc | kPswOv)) | (cy ? kPswCy : 0) | (ac ? kPswAc : 0) |
           (b6 != cy ? kPswOv : 0));
  A() = U8(diff);
}

unsigned Core::Execute() {
  const uint8_t op = Fetch();
  switch (op) {
    case 0x00:  // NOP                      0000 0000
    case 0xA5:  // (undefined)              1010 0101
      break;
    ORVEN_PAGE_CASES(0x01): {  // AJMP addr11    aaa0 0001
      const uint8_t low = Fetch();
      pc_ = static_cast<uint16_t>((pc_ & 0xF800) | ((op & 0xE0) << 3) | low);
      break;
    }
    ORVEN_PAGE_CASES(0x11): {  // ACALL addr11   aaa1 0001
      const uint8_t low = Fetch();
      Push(U8(pc_));
      Push(U8(pc_ >> 8));
      pc_ = static_cast<uint16_t>((pc_ & 0xF800) | ((op & 0xE0) << 3) | low);
      break;
    }
    case 0x02: {  // LJMP addr16                0000 0010
      const uint8_t hi = Fetch();
      pc_ = static_cast<uint16_t>(hi << 8 | code_[pc_]);
      break;
    }
    case 0x12: {  // LCALL addr16               0001 0010
      const uint8_t hi = Fetch();
      const uint8_t lo = Fetch();
      Push(U8(pc_));
      Push(U8(pc_ >> 8));
      pc_ = static_cast<uint16_t>(hi << 8 | lo);
      break;
    }
    case 0x22:    // RET                        0010 0010
    case 0x32: {  // RETI                       0011 0010
      const uint8_t hi = Pop();
      const uint8_t lo = Pop();
      pc_ = static_cast<uint16_t>(hi << 8 | lo);
      if (op == 0x32) {
        inService_ &= (inService_ & 2) ? 1 : 0;
        irqHold_ = true;
      }
      break;
    }
    case 0x80: {  // SJMP rel                   1000 0000
      const int8_t rel = Rel(Fetch());
      Jump(rel);
      break;
    }
    case 0x73:  // JMP @A+DPTR                  0111 0011
      pc_ = static_cast<uint16_t>(Dptr() + A());
      break;

    // Conditional jumps
    case 0x40: case 0x50: {  // JC rel 0100 0000 / JNC rel 0101 0000
      const int8_t rel = Rel(Fetch());
      if (Carry() == (op == 0x40)) Jump(rel);
      break;
    }
    case 0x60: case 0x70: {  // JZ rel 0110 0000 / JNZ rel 0111 0000
      const int8_t rel = Rel(Fetch());
      if ((A() == 0) == (op == 0x60)) Jump(rel);
      break;
    }
    case 0x20: case 0x30: {  // JB bit,rel 0010 0000 / JNB bit,rel 0011 0000
      const uint8_t bit = Fetch();
      const int8_t rel = Rel(Fetch());
      if (ReadBit(bit) == (op == 0x20)) Jump(rel);
      break;
    }
    case 0x10: {  // JBC bit,rel                0001 0000
      const uint8_t bit = Fetch();
      const int8_t rel = Rel(Fetch());
      if (ReadBit(bit)) {
        WriteBit(bit, false);
        Jump(rel);
      }
      break;
    }
    case 0xB4: {  // CJNE A,#data,rel           1011 0100
      const uint8_t v = Fetch();
      const int8_t rel = Rel(Fetch());
      SetCarry(A() < v);
      if (A() != v) Jump(rel);
      break;
    }
    case 0xB5: {  // CJNE A,direct,rel          1011 0101
      const uint8_t v = ReadDirect(Fetch());
      const int8_t rel = Rel(Fetch());
      SetCarry(A() < v);
      if (A() != v) Jump(rel);
      break;
    }
    case 0xB6: case 0xB7: {  // CJNE @Ri,#data,rel  1011 011i
      const uint8_t x = iram_[Rn(op & 1)];
      const uint8_t v = Fetch();
      const int8_t rel = Rel(Fetch());
      SetCarry(x < v);
      if (x != v) Jump(rel);
      break;
    }
    ORVEN_RN_CASES(0xB8): {  // CJNE Rn,#data,rel  1011 1rrr
      const uint8_t x = Rn(op & 7);
      const uint8_t v = Fetch();
      const int8_t rel = Rel(Fetch());
      SetCarry(x < v);
      if (x != v) Jump(rel);
      break;
    }
    case 0xD5: {  // DJNZ direct,rel            1101 0101
      const uint8_t d = Fetch();
      const int8_t rel = Rel(Fetch());
      const uint8_t v = U8(ReadDirect(d) - 1);
      WriteDirect(d, v);
      if (v != 0) Jump(rel);
      break;
    }
    ORVEN_RN_CASES(0xD8): {  // DJNZ Rn,rel        1101 1rrr
      const int8_t rel = Rel(Fetch());
      if (--Rn(op & 7) != 0) Jump(rel);
      break;
    }

    // Arithmetic
    case 0x24: Add(Fetch(), false); break;                        // ADD A,#data      0010 0100
    case 0x25: Add(ReadDirect(Fetch()), false); break;            // ADD A,direct     0010 0101
    case 0x26: case 0x27: Add(iram_[Rn(op & 1)], false); break;   // ADD A,@Ri        0010 011i
    ORVEN_RN_CASES(0x28): Add(Rn(op & 7), false); break;          // ADD A,Rn         0010 1rrr
    case 0x34: Add(Fetch(), Carry()); break;                      // ADDC A,#data     0011 0100
    case 0x35: Add(ReadDirect(Fetch()), Carry()); break;          // ADDC A,direct    0011 0101
    case 0x36: case 0x37: Add(iram_[Rn(op & 1)], Carry()); break; // ADDC A,@Ri       0011 011i
    ORVEN_RN_CASES(0x38): Add(Rn(op & 7), Carry()); break;        // ADDC A,Rn        0011 1rrr
    case 0x94: Subb(Fetch()); break;                              // SUBB A,#data     1001 0100
    case 0x95: Subb(ReadDirect(Fetch())); break;                  // SUBB A,direct    1001 0101
    case 0x96: case 0x97: Subb(iram_[Rn(op & 1)]); break;         // SUBB A,@Ri       1001 011i
    ORVEN_RN_CASES(0x98): Subb(Rn(op & 7)); break;                // SUBB A,Rn        1001 1rrr
    case 0x04: ++A(); break;                                      // INC A            0000 0100
    case 0x05: {                                                  // INC direct       0000 0101
      const uint8_t d = Fetch();
      WriteDirect(d, U8(ReadDirect(d) + 1));
      break;
    }
    case 0x06: case 0x07: ++iram_[Rn(op & 1)]; break;             // INC @Ri          0000 011i
    ORVEN_RN_CASES(0x08): ++Rn(op & 7); break;                    // INC Rn           0000 1rrr
    case 0xA3: {                                                  // INC DPTR         1010 0011
      const uint16_t dptr = static_cast<uint16_t>(Dptr() + 1);
      Ref(kDpl) = U8(dptr);
      Ref(kDph) = U8(dptr >> 8);
      break;
    }
    case 0x14: --A(); break;                                      // DEC A            0001 0100
    case 0x15: {                                                  // DEC direct       0001 0101
      const uint8_t d = Fetch();
      WriteDirect(d, U8(ReadDirect(d) - 1));
      break;
    }
    case 0x16: case 0x17: --iram_[Rn(op & 1)]; break;             // DEC @Ri          0001 011i
    ORVEN_RN_CASES(0x18): --Rn(op & 7); break;                    // DEC Rn           0001 1rrr
    case 0xA4: {  // MUL AB                     1010 0100
      const unsigned product = static_cast<unsigned>(A()) * Get(kB);
      A() = U8(product);
      Ref(kB) = U8(product >> 8);
      Ref(kPsw) = U8((Get(kPsw) & ~(kPswCy | kPswOv)) | (product > 0xFF ? kPswOv : 0));
      break;
    }
    case 0x84: {  // DIV AB                     1000 0100
      const uint8_t divisor = Get(kB);
      uint8_t psw = U8(Get(kPsw) & ~(kPswCy | kPswOv));
      if (divisor == 0) {
        psw |= kPswOv;  // A and B are left as they were
      } else {
        const uint8_t a = A();
        A() = U8(a / divisor);
        Ref(kB) = U8(a % divisor);
      }
      Ref(kPsw) = psw;
      break;
    }
    case 0xD4: {  // DA A                       1101 0100
      unsigned a = A();
      uint8_t psw = Get(kPsw);
      if ((a & 0x0F) > 9 || (psw & kPswAc)) {
        a += 0x06;
        if (a > 0xFF) psw |= kPswCy;
        a &= 0xFF;
      }
      if ((a >> 4) > 9 || (psw & kPswCy)) {
        a += 0x60;
        if (a > 0xFF) psw |= kPswCy;
      }
      A() = U8(a);
      Ref(kPsw) = psw;
      break;
    }

    // Logic on A and direct bytes
    case 0x42: { const uint8_t d = Fetch(); WriteDirect(d, ReadDirect(d) | A()); break; }  // ORL direct,A 0100 0010
    case 0x43: {                                                  // ORL direct,#data 0100 0011
      const uint8_t d = Fetch();
      const uint8_t v = Fetch();
      WriteDirect(d, ReadDirect(d) | v);
      break;
    }
    case 0x44: A() |= Fetch(); break;                             // ORL A,#data      0100 0100
    case 0x45: A() |= ReadDirect(Fetch()); break;                 // ORL A,direct     0100 0101
    case 0x46: case 0x47: A() |= iram_[Rn(op & 1)]; break;        // ORL A,@Ri        0100 011i
    ORVEN_RN_CASES(0x48): A() |= Rn(op & 7); break;               // ORL A,Rn         0100 1rrr
    case 0x52: { const uint8_t d = Fetch(); WriteDirect(d, ReadDirect(d) & A()); break; }  // ANL direct,A 0101 0010
    case 0x53: {                                                  // ANL direct,#data 0101 0011
      const uint8_t d = Fetch();
      const uint8_t v = Fetch();
      WriteDirect(d, ReadDirect(d) & v);
      break;
    }
    case 0x54: A() &= Fetch(); break;                             // ANL A,#data      0101 0100
    case 0x55: A() &= ReadDirect(Fetch()); break;                 // ANL A,direct     0101 0101
    case 0x56: case 0x57: A() &= iram_[Rn(op & 1)]; break;        // ANL A,@Ri        0101 011i
    ORVEN_RN_CASES(0x58): A() &= Rn(op & 7); break;               // ANL A,Rn         0101 1rrr
    case 0x62: { const uint8_t d = Fetch(); WriteDirect(d, ReadDirect(d) ^ A()); break; }  // XRL direct,A 0110 0010
    case 0x63: {                                                  // XRL direct,#data 0110 0011
      const uint8_t d = Fetch();
      const uint8_t v = Fetch();
      WriteDirect(d, ReadDirect(d) ^ v);
      break;
    }
    case 0x64: A() ^= Fetch(); break;                             // XRL A,#data      0110 0100
    case 0x65: A() ^= ReadDirect(Fetch()); break;                 // XRL A,direct     0110 0101
    case 0x66: case 0x67: A() ^= iram_[Rn(op & 1)]; break;        // XRL A,@Ri        0110 011i
    ORVEN_RN_CASES(0x68): A() ^= Rn(op & 7); break;               // XRL A,Rn         0110 1rrr
    case 0xE4: A() = 0; break;                                    // CLR A            1110 0100
    case 0xF4: A() = U8(~A()); break;                             // CPL A            1111 0100
    case 0x23: A() = U8(A() << 1 | A() >> 7); break;              // RL A             0010 0011
    case 0x03: A() = U8(A() >> 1 | A() << 7); break;              // RR A             0000 0011
    case 0x33: {                                                  // RLC A            0011 0011
      const bool c = Carry();
      SetCarry(A() & 0x80);
      A() = U8(A() << 1 | (c ? 1 : 0));
      break;
    }
    case 0x13: {                                                  // RRC A            0001 0011
      const bool c = Carry();
      SetCarry(A() & 0x01);
      A() = U8(A() >> 1 | (c ? 0x80 : 0));
      break;
    }
    case 0xC4: A() = U8(A() << 4 | A() >> 4); break;              // SWAP A           1100 0100

    // Boolean processor
    case 0xC3: SetCarry(false); break;                            // CLR C            1100 0011
    case 0xD3: SetCarry(true); break;                             // SETB C           1101 0011
    case 0xB3: SetCarry(!Carry()); break;                         // CPL C            1011 0011
    case 0xC2: WriteBit(Fetch(), false); break;                   // CLR bit          1100 0010
    case 0xD2: WriteBit(Fetch(), true); break;                    // SETB bit         1101 0010
    case 0xB2: { const uint8_t b = Fetch(); WriteBit(b, !ReadBit(b)); break; }  // CPL bit 1011 0010
    case 0x72: { const bool v = ReadBit(Fetch()); SetCarry(Carry() || v); break; }    // ORL C,bit  0111 0010
    case 0xA0: { const bool v = ReadBit(Fetch()); SetCarry(Carry() || !v); break; }   // ORL C,/bit 1010 0000
    case 0x82: { const bool v = ReadBit(Fetch()); SetCarry(Carry() && v); break; }    // ANL C,bit  1000 0010
    case 0xB0: { const bool v = ReadBit(Fetch()); SetCarry(Carry() && !v); break; }   // ANL C,/bit 1011 0000
    case 0xA2: SetCarry(ReadBit(Fetch())); break;                 // MOV C,bit        1010 0010
    case 0x92: WriteBit(Fetch(), Carry()); break;                 // MOV bit,C        1001 0010

    // Data transfer
    case 0x74: A() = Fetch(); break;                              // MOV A,#data      0111 0100
    case 0xE5: A() = ReadDirect(Fetch()); break;                  // MOV A,direct     1110 0101
    case 0xE6: case 0xE7: A() = iram_[Rn(op & 1)]; break;         // MOV A,@Ri        1110 011i
    ORVEN_RN_CASES(0xE8): A() = Rn(op & 7); break;                // MOV A,Rn         1110 1rrr
    case 0xF5: WriteDirect(Fetch(), A()); break;                  // MOV direct,A     1111 0101
    case 0xF6: case 0xF7: iram_[Rn(op & 1)] = A(); break;         // MOV @Ri,A        1111 011i
    ORVEN_RN_CASES(0xF8): Rn(op & 7) = A(); break;                // MOV Rn,A         1111 1rrr
    case 0x75: {                                                  // MOV direct,#data 0111 0101
      const uint8_t d = Fetch();
      WriteDirect(d, Fetch());
      break;
    }
    case 0x76: case 0x77: iram_[Rn(op & 1)] = Fetch(); break;     // MOV @Ri,#data    0111 011i
    ORVEN_RN_CASES(0x78): Rn(op & 7) = Fetch(); break;            // MOV Rn,#data     0111 1rrr
    case 0x85: {                                                  // MOV direct,direct 1000 0101 (src, dst)
      const uint8_t src = Fetch();
      const uint8_t dst = Fetch();
      WriteDirect(dst, ReadDirect(src));
      break;
    }
    case 0x86: case 0x87: WriteDirect(Fetch(), iram_[Rn(op & 1)]); break;  // MOV direct,@Ri 1000 011i
    ORVEN_RN_CASES(0x88): WriteDirect(Fetch(), Rn(op & 7)); break;         // MOV direct,Rn  1000 1rrr
    case 0xA6: case 0xA7: iram_[Rn(op & 1)] = ReadDirect(Fetch()); break;  // MOV @Ri,direct 1010 011i
    ORVEN_RN_CASES(0xA8): Rn(op & 7) = ReadDirect(Fetch()); break;         // MOV Rn,direct  1010 1rrr
    case 0x90: {                                                  // MOV DPTR,#data16 1001 0000
      Ref(kDph) = Fetch();
      Ref(kDpl) = Fetch();
      break;
    }
    case 0x93: A() = code_[static_cast<uint16_t>(Dptr() + A())]; break;  // MOVC A,@A+DPTR 1001 0011
    case 0x83: A() = code_[static_cast<uint16_t>(pc_ + A())]; break;     // MOVC A,@A+PC   1000 0011
    case 0xE0: A() = xdata_[Dptr()]; break;                       // MOVX A,@DPTR     1110 0000
    case 0xE2: case 0xE3:                                         // MOVX A,@Ri       1110 001i
      A() = xdata_[static_cast<uint16_t>(Get(kP2) << 8 | Rn(op & 1))];
      break;
    case 0xF0: xdata_[Dptr()] = A(); break;                       // MOVX @DPTR,A     1111 0000
    case 0xF2: case 0xF3:                                         // MOVX @Ri,A       1111 001i
      xdata_[static_cast<uint16_t>(Get(kP2) << 8 | Rn(op & 1))] = A();
      break;
    case 0xC0: {                                                  // PUSH direct      1100 0000
      const uint8_t d = Fetch();
      ++Ref(kSp);
      iram_[Get(kSp)] = ReadDirect(d);
      break;
    }
    case 0xD0: {                                                  // POP direct       1101 0000
      const uint8_t d = Fetch();
      const uint8_t v = iram_[Get(kSp)];
      --Ref(kSp);
      WriteDirect(d, v);
      break;
    }
    case 0xC5: {                                                  // XCH A,direct     1100 0101
      const uint8_t d = Fetch();
      const uint8_t v = ReadDirect(d);
      WriteDirect(d, A());
      A() = v;
      break;
    }
    case 0xC6: case 0xC7: {                                       // XCH A,@Ri        1100 011i
      uint8_t& m = iram_[Rn(op & 1)];
      const uint8_t v = m;
      m = A();
      A() = v;
      break;
    }
    ORVEN_RN_CASES(0xC8): {                                       // XCH A,Rn         1100 1rrr
      uint8_t& r = Rn(op & 7);
      const uint8_t v = r;
      r = A();
      A() = v;
      break;
    }
    case 0xD6: case 0xD7: {                                       // XCHD A,@Ri       1101 011i
      uint8_t& m = iram_[Rn(op & 1)];
      const uint8_t a = A();
      A() = U8((a & 0xF0) | (m & 0x0F));
      m = U8((m & 0xF0) | (a & 0x0F));
      break;
    }
    default:
      // Unreachable: all 256 opcodes have a case above.
      break;
  }
  return kCycles[op];
}

#undef ORVEN_RN_CASES
#undef ORVEN_PAGE_CASES

}  // namespace orven::mcs51
