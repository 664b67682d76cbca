// Conversion between the single-byte/double-byte code page of chip configuration files and the UTF-8 used
// inside the program. The files come from a Simplified Chinese system, so GBK is the default code page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orven::chipcfg {

inline constexpr const char* kDefaultCodePage = "GBK";

// The code page the programs read configuration files in: ORVEN_CFG_CODEPAGE from the environment (any name
// iconv knows, e.g. GB18030 or BIG5), else GBK. Read once.
const std::string& ConfiguredCodePage();

// Decodes bytes in the given code page into UTF-8. A byte sequence the code page does not define becomes
// U+FFFD and decoding goes on with the next byte, so a damaged text still shows. False only when the code
// page is unknown to the system (out is then empty).
bool DecodeText(const uint8_t* bytes, size_t size, const std::string& codePage, std::string& out);

// Decodes with replacement; true only if every byte was a defined character of the code page.
bool DecodeTextStrict(const uint8_t* bytes, size_t size, const std::string& codePage, std::string& out);

// Encodes UTF-8 text into the code page. False if the text is not valid UTF-8, holds a character the code
// page cannot represent, or the code page is unknown; out is then unspecified.
bool EncodeText(const std::string& utf8, const std::string& codePage, std::vector<uint8_t>& out);

// Length of UTF-8 text in UTF-16 code units (what the editor's character limits count).
size_t Utf16Length(const std::string& utf8);

// Keeps at most maxUnits UTF-16 code units of UTF-8 text, cutting only between characters.
std::string TruncateUtf16(const std::string& utf8, size_t maxUnits);

}  // namespace orven::chipcfg
