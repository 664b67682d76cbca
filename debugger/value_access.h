// Reads and writes values where they live on the target — memory of each space, bits, a bank's registers, the
// core's own registers — and turns them into numbers and back. Whole values are read with one request; the
// parts of a read value (members, elements) are cut from its bytes without another.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "debugger/memory_reader.h"
#include "debugger/scalar.h"
#include "debugger/value.h"

namespace orven::debugger {

// The most bytes a value is read with at once (a larger array is shown in part).
inline constexpr uint32_t kMaxValueBytes = 0x10000;

class ValueAccess {
 public:
  ValueAccess(const DebugInfo& info, MemoryReader& memory) : info_(info), memory_(memory) {}

  // Reads the value's bytes unless it holds them; at most `limit` bytes of a large one. Empty when it worked,
  // else the reason.
  std::string Load(Value& value, uint32_t limit = kMaxValueBytes);
  // The ranges Load would read for these values, for MemoryReader::Prefetch.
  static void CollectRanges(const Value& value, uint32_t limit, std::vector<MemoryRange>& out);

  // The value as a number: integers, floats, pointers; an array stands for its first element's address and a
  // function for its entry.
  Outcome<Scalar> ToScalar(Value& value);
  // A computed value holding the number.
  static Value FromScalar(const Scalar& scalar);

  // Assigns: converts `from` to the place's type and writes it (a bit-field or a bit by reading its byte
  // first). Returns the place as read back from what was written.
  Outcome<Value> Assign(Value& place, Value& from);

  // A struct or union member, and an array element: a place inside the parent, with its bytes when the parent
  // was read.
  Value Member(const Value& parent, const debuginfo::StructMember& member) const;
  Value Element(const Value& parent, uint32_t index) const;
  // What a pointer value points to.
  Outcome<Value> Dereference(const Scalar& pointer) const;

  const DebugInfo& Info() const { return info_; }
  MemoryReader& Memory() { return memory_; }

  // "X:0x1234" as messages name a place.
  static std::string PlaceName(Space space, uint32_t address);

 private:
  std::string StoreBytes(const Location& location, std::span<const uint8_t> bytes);
  std::string ReadFailure(Space space, uint32_t address, const PortResult& result) const;

  const DebugInfo& info_;
  MemoryReader& memory_;
};

}  // namespace orven::debugger
