// Feeds arbitrary text to the HEX loader, and checks that any bytes written as HEX load back unchanged.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "tormik/hex_file.h"
#include "tormik/image_buffer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static orven::app::ImageBuffer buffer;
  using orven::app::ImageBuffer;

  std::string_view text(reinterpret_cast<const char*>(data), size);
  buffer.FillImage();
  size_t logLines = 0;
  orven::app::HexLoadStats all;
  const bool loaded = orven::app::LoadHexText(text, buffer.Image(), ImageBuffer::kImageSize,
                                              [&](const std::string&) { ++logLines; }, &all);
  if (logLines > 1) std::abort();  // a load stops at its first complaint
  if (all.bytesBeyond > all.dataBytes) std::abort();

  // With a 4 KiB chip the same records are counted, and what the chip cannot hold is counted as beyond.
  orven::app::HexLoadStats small;
  buffer.FillImage();
  if (orven::app::LoadHexText(text, buffer.Image(), 0x1000, nullptr, &small) != loaded) std::abort();
  if (small.dataBytes != all.dataBytes || small.bytesBeyond < all.bytesBeyond) std::abort();

  // Any bytes round-trip through the writer and the loader.
  if (size <= 4096) {
    std::string hex = orven::app::FormatHexText(data, static_cast<uint32_t>(size));
    buffer.FillImage();
    if (!orven::app::LoadHexText(hex, buffer.Image(), ImageBuffer::kImageSize, nullptr)) std::abort();
    if (size != 0 && std::memcmp(buffer.Image(), data, size) != 0) std::abort();
    if (buffer.Image()[size] != ImageBuffer::kErased) std::abort();
  }
  return 0;
}
