// Texts the link layer hands to its owner for showing.
#pragma once

namespace orven::link::texts {

inline constexpr const char* kEmulatorCommError = "仿真器通讯错误!";

}  // namespace orven::link::texts
