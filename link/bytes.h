// Little-endian field access for wire reports and file records. Every reader takes the buffer's size, so a
// field that would lie past the end reads as 0 and a store past the end is dropped.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orven {

inline uint16_t GetU16Le(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

inline uint32_t GetU32Le(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

inline void PutU16Le(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

inline void PutU32Le(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

// A bounded forward reader over received bytes: reads past the end fail and leave the output untouched.
class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t Remaining() const { return size_ - pos_; }
  size_t Position() const { return pos_; }
  const uint8_t* Current() const { return data_ + pos_; }

  bool U8(uint8_t& out) {
    if (Remaining() < 1) return false;
    out = data_[pos_++];
    return true;
  }
  bool U16(uint16_t& out) {
    if (Remaining() < 2) return false;
    out = GetU16Le(data_ + pos_);
    pos_ += 2;
    return true;
  }
  bool U32(uint32_t& out) {
    if (Remaining() < 4) return false;
    out = GetU32Le(data_ + pos_);
    pos_ += 4;
    return true;
  }
  // Hands out a view of the next n bytes and steps over them.
  bool Bytes(size_t n, const uint8_t*& out) {
    if (Remaining() < n) return false;
    out = data_ + pos_;
    pos_ += n;
    return true;
  }
  bool Skip(size_t n) {
    if (Remaining() < n) return false;
    pos_ += n;
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

}  // namespace orven
