// Messages about debug information, kept in one place so tests and readers find them.
#pragma once

namespace orven::debuginfo::texts {

inline constexpr const char* kRecordTooLong = "record too long";
inline constexpr const char* kUnknownRecord = "unknown record type";
inline constexpr const char* kBadModule = "malformed module record";
inline constexpr const char* kBadFunction = "malformed function record";
inline constexpr const char* kBadSymbol = "malformed symbol record";
inline constexpr const char* kBadStruct = "malformed type record";
inline constexpr const char* kBadLinker = "malformed linker record";
inline constexpr const char* kSelfContaining = "struct contains itself";
inline constexpr const char* kMoreDiagnostics = "further malformed records not listed";
inline constexpr const char* kCannotOpen = "cannot open";
inline constexpr const char* kTooLarge = "file too large";

}  // namespace orven::debuginfo::texts
