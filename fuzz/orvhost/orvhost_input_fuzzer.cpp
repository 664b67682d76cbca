// orvhost's outside input: a HEX file read into segments, and the same text as command lines.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/hex_image.h"
#include "tools/orvhost/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orven::orvhost;
  using orven::host::HexImage;
  using orven::host::HexSegment;
  const std::string text(reinterpret_cast<const char*>(data), size);

  HexImage image;
  std::string error;
  if (image.Parse(text, error)) {
    // Segments ascend, never touch, are never empty and stay inside 24-bit code addresses.
    uint64_t end = 0;
    bool first = true;
    for (const HexSegment& s : image.Segments()) {
      if (s.bytes.empty() || (!first && s.start <= end) || s.start + s.bytes.size() > HexImage::kMaxAddress) {
        std::abort();
      }
      end = s.start + s.bytes.size();
      first = false;
    }
  } else if (!image.Empty() || error.empty()) {
    std::abort();
  }

  size_t pos = 0;
  while (pos <= text.size()) {
    size_t eol = text.find('\n', pos);
    if (eol == std::string::npos) eol = text.size();
    std::vector<std::string> words;
    if (SplitWords(text.substr(pos, eol - pos), words, error)) {
      for (const std::string& w : words) {
        if (const auto ref = ParseMemoryRef(w)) {
          const uint32_t top = ref->Tagged() >> 24;
          if (top != 0xFF && top != 0xF0 && top != 0xF3 && top != 0x01) std::abort();
        }
        if (const auto v = ParseNumber(w, 0xFFFF); v && *v > 0xFFFF) std::abort();
        ParseHexByte(w);
        ParseCodeAddress(w);
      }
    }
    pos = eol + 1;
  }
  return 0;
}
