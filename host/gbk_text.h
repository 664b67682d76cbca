// The driver's texts to the host are GBK, the Chinese code page; the host hands them on as UTF-8.
#pragma once

#include <string>

namespace orven::host {

// Converts GBK to UTF-8. A byte sequence that is not GBK becomes '?' and the conversion goes on after it.
std::string GbkToUtf8(const std::string& gbk);
// Converts UTF-8 to GBK (texts the host hands the driver, such as breakpoint commands). A character GBK
// lacks, or a byte that is not UTF-8, becomes '?'.
std::string Utf8ToGbk(const std::string& utf8);

}  // namespace orven::host
