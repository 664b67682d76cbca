// The C types the evaluator builds and shows, over the debug records' type chains: basic types, pointers to
// each memory space, what a pointer or array leads to, and C's spelling of a type.
#pragma once

#include <cstdint>
#include <string>

#include "debugger/target_port.h"
#include "debuginfo/debug_info.h"

namespace orven::debugger {

using debuginfo::DebugInfo;
using debuginfo::PointerKind;
using debuginfo::Type;
using debuginfo::TypeCode;

// int is 16 bits, long 32, long long 64 on this compiler.
Type BasicType(TypeCode code, bool isUnsigned = false);
// An integer type of `size` bytes (1, 2, 4 or 8).
Type IntegerType(uint32_t size, bool isUnsigned);
// A pointer of `kind` to `target`.
Type PointerTo(const Type& target, PointerKind kind);
// A function returning `result` (its parameters are not recorded).
Type FunctionReturning(const Type& result);
// What a pointer points to, or an array's element: the chain without its first element, sized.
Type TargetOf(const Type& type, const DebugInfo& info);
// The type with its size computed from its chain (for types the parser built).
Type Sized(Type type, const DebugInfo& info);

bool IsIntegral(const Type& type);  // char, int, long, long long, _Bool, bit-fields, bits
bool IsFloating(const Type& type);
bool IsPointer(const Type& type);
bool IsArray(const Type& type);
bool IsStruct(const Type& type);
bool IsFunction(const Type& type);
// A single char (signed or not): shown with its character.
bool IsCharacter(const Type& type);

// The kind of pointer that reaches an object in this space (data and idata both through @Ri).
PointerKind PointerKindOfSpace(Space space);
// Where a pointer of this kind with this value points; a generic pointer's third byte names the space.
Space SpaceOfPointer(PointerKind kind, uint32_t value);
// The address part of a pointer value (a generic pointer without its tag).
uint32_t AddressOfPointer(PointerKind kind, uint32_t value);

// C's spelling: "unsigned char", "unsigned char __xdata *", "struct packet", "int [4]", "void (*)(void)".
std::string TypeName(const Type& type, const DebugInfo& info);

}  // namespace orven::debugger
