// Base64 (the standard alphabet with '=' padding) for the memory requests' data.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orven::orvdap {

std::string EncodeBase64(const uint8_t* bytes, size_t count);
// The bytes, or nullopt for a character outside the alphabet, misplaced padding or a length that does not
// end on a whole group (missing padding at the end is accepted). The result is at most 3/4 of the text.
std::optional<std::vector<uint8_t>> DecodeBase64(std::string_view text);

}  // namespace orven::orvdap
