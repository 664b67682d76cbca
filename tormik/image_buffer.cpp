#include "tormik/image_buffer.h"

#include <cstring>

namespace orven::app {

ImageBuffer::ImageBuffer() : block_(new uint8_t[kBlockSize]) {
  FillImage();
  FillConfig();
}

void ImageBuffer::FillImage(uint8_t value) { std::memset(Image(), value, kImageSize); }

void ImageBuffer::FillConfig(uint8_t value) { std::memset(Config(), value, kConfigSize); }

}  // namespace orven::app
