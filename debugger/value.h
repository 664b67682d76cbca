// A value the evaluator works with: its C type, where it lives on the target (so it can be read late, read
// once for a whole struct, and assigned) and its bytes once read, least significant first as the 8051 keeps
// them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "debugger/target_port.h"
#include "debuginfo/type.h"

namespace orven::debugger {

enum class LocationKind : uint8_t {
  kNone,          // computed: not in the target
  kMemory,        // space:address, type.size bytes
  kBit,           // a bit address (bit-addressable RAM 0x00-0x7F, SFR bits 0x80-0xFF)
  kRegisters,     // bytes scattered over registers of a bank (and ACC, B, DPL, DPH), each by its D: address
  kCpuRegister,   // $acc, $pc, ...: through the register set
  kOptimizedOut,  // the compiler kept no copy
  kNotSaved,      // in registers of a frame further out: the callee has reused them
};

struct Location {
  LocationKind kind = LocationKind::kNone;
  Space space = Space::kData;
  uint32_t address = 0;                // kMemory: first byte; kBit: the bit address
  std::vector<uint8_t> registerBytes;  // kRegisters: D: address of each byte, least significant first
  std::string registerName;            // kRegisters: the first register's name, for messages
  RegisterId cpu = RegisterId::kAcc;   // kCpuRegister
};

struct Value {
  debuginfo::Type type;
  Location location;
  std::vector<uint8_t> bytes;  // the contents once loaded; for a bit-field its storage unit
  bool loaded = false;

  bool IsLvalue() const {
    return location.kind != LocationKind::kNone && location.kind != LocationKind::kOptimizedOut &&
           location.kind != LocationKind::kNotSaved;
  }
};

// A result or the message that says why there is none.
template <class T>
struct Outcome {
  std::optional<T> value;
  std::string error;

  Outcome() = default;
  Outcome(T v) : value(std::move(v)) {}  // NOLINT: a value converts to its outcome
  static Outcome Fail(std::string why) {
    Outcome o;
    o.error = std::move(why);
    return o;
  }
  explicit operator bool() const { return value.has_value(); }
  T& operator*() { return *value; }
  T* operator->() { return &*value; }
};

}  // namespace orven::debugger
