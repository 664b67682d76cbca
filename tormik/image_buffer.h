// The chip image the operations program from, verify against and read into, with the 32-byte configuration
// (fuse) buffer directly behind it in the same block. Chip address A is image offset A.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace orven::app {

class ImageBuffer {
 public:
  static constexpr uint32_t kImageSize = 0x40000;  // 262,144 bytes
  static constexpr uint32_t kConfigSize = 32;
  static constexpr uint32_t kBlockSize = kImageSize + kConfigSize;
  static constexpr uint8_t kErased = 0xFF;

  // Image all 0xFF, configuration all 0.
  ImageBuffer();

  ImageBuffer(const ImageBuffer&) = delete;
  ImageBuffer& operator=(const ImageBuffer&) = delete;

  // The pointers stay valid for the buffer's whole life; the configuration starts at Image() + kImageSize.
  uint8_t* Image() { return block_.get(); }
  const uint8_t* Image() const { return block_.get(); }
  uint8_t* Config() { return block_.get() + kImageSize; }
  const uint8_t* Config() const { return block_.get() + kImageSize; }

  // Fills the image (not the configuration) with value, as before a data file is loaded.
  void FillImage(uint8_t value = kErased);
  void FillConfig(uint8_t value = 0);

 private:
  std::unique_ptr<uint8_t[]> block_;
};

}  // namespace orven::app
