// Messages of expression evaluation, worded as gdb words them where gdb has one, kept in one place so tests and
// readers find them. Each %s is filled in by Fill.
#pragma once

#include <string>
#include <string_view>

namespace orven::debugger::texts {

inline constexpr const char* kNoSymbol = "No symbol \"%s\" in current context.";
inline constexpr const char* kSyntaxNear = "A syntax error in expression, near `%s'.";
inline constexpr const char* kInvalidCharacter = "Invalid character '%s' in expression.";
inline constexpr const char* kInvalidNumber = "Invalid number \"%s\".";
inline constexpr const char* kUnmatchedQuote = "Unmatched single quote.";
inline constexpr const char* kEmptyCharacter = "Empty character constant.";
inline constexpr const char* kTooLong = "Expression too long (more than %s characters).";
inline constexpr const char* kTooDeep = "Expression nested too deeply (more than %s levels).";
inline constexpr const char* kInvalidRegister = "Invalid register \"$%s\".";
inline constexpr const char* kNoCalls = "Calling functions of the program is not supported.";
inline constexpr const char* kRepeatNotInMemory = "Only values in memory can be extended with '@'.";
inline constexpr const char* kRepeatCount = "Invalid number %s of repetitions.";
inline constexpr const char* kNoMember = "There is no member named %s.";
inline constexpr const char* kNotStruct = "Attempt to extract a component of a value that is not a structure.";
inline constexpr const char* kNotStructPointer =
    "The -> operator is applied to a value that is not a pointer to a structure.";
inline constexpr const char* kNotPointer = "Attempt to take contents of a non-pointer value.";
inline constexpr const char* kVoidDeref = "Attempt to take contents of a pointer to void.";
inline constexpr const char* kCannotSubscript = "cannot subscript something of type `%s'";
inline constexpr const char* kNotInMemory = "Attempt to take address of value not located in memory.";
inline constexpr const char* kAddressOfRegister = "Address requested for identifier \"%s\" which is in register $%s";
inline constexpr const char* kNotLvalue = "Left operand of assignment is not an lvalue.";
inline constexpr const char* kDivisionByZero = "Division by zero";
inline constexpr const char* kNotNumber = "Argument to arithmetic operation not a number or boolean.";
inline constexpr const char* kInvalidCast = "Invalid cast.";
inline constexpr const char* kNoStruct = "No struct type named %s.";
inline constexpr const char* kOptimizedOut = "value has been optimized out";
inline constexpr const char* kNotSaved = "value is not available: its registers were not saved in this frame";
inline constexpr const char* kNoAddress = "Symbol \"%s\" has no address in the debug information.";
inline constexpr const char* kNoFrame = "Cannot find the frame of \"%s\": no frame pointer for this frame.";
inline constexpr const char* kCannotAccess = "Cannot access memory at address %s";
inline constexpr const char* kCannotAccessBecause = "Cannot access memory at address %s (%s)";
inline constexpr const char* kCannotReadRegisters = "Cannot read the registers (%s)";
inline constexpr const char* kCannotWriteRegister = "Cannot write register $%s (%s)";
inline constexpr const char* kIncompatibleAssign = "Invalid assignment: the types do not match.";

// Value text.
inline constexpr const char* kOptimizedOutValue = "<optimized out>";
inline constexpr const char* kNotSavedValue = "<not saved>";
inline constexpr const char* kNoLocals = "No locals.";
inline constexpr const char* kNoArguments = "No arguments.";
inline constexpr const char* kNoSymbolTable = "No symbol table info available.";

// The message with its first %s replaced by `a` and its second by `b`.
std::string Fill(const char* pattern, std::string_view a = {}, std::string_view b = {});

}  // namespace orven::debugger::texts
