// Conversion between the UTF-8 used inside the programs and GBK, the Chinese code page the debugger host shows
// the driver's texts in. Characters GBK cannot hold become '?'; malformed input bytes become '?' too.
#pragma once

#include <string>
#include <string_view>

namespace orven::link {

std::string Utf8ToGbk(std::string_view utf8);
std::string GbkToUtf8(std::string_view gbk);

}  // namespace orven::link
