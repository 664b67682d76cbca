// The host's code image of a program: an Intel HEX file read into address-ordered segments, as the debugger
// loads it into the pod (byte by byte through the driver) and hands it out for a flash download.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orven::host {

struct HexSegment {
  uint32_t start = 0;          // 32-bit linear address (extended address records included)
  std::vector<uint8_t> bytes;  // never empty
};

class HexImage {
 public:
  // Largest file and address range read; a program for a 64 KiB 8051 is far below both.
  static constexpr size_t kMaxFileBytes = 4u << 20;
  static constexpr uint64_t kMaxAddress = 0x1000000;  // 24-bit code addresses (bank in bits 16-23)

  // Parses HEX text. On failure returns false, leaves the image empty and puts a one-line reason (with the
  // line number) into error. Data records that overlap keep the later bytes; touching or overlapping records
  // join into one segment. Records after the end-of-file record are ignored.
  bool Parse(const std::string& text, std::string& error);
  // Reads and parses a file (at most kMaxFileBytes).
  bool LoadFile(const std::string& path, std::string& error);

  // Segments in ascending address order, never touching each other.
  const std::vector<HexSegment>& Segments() const { return segments_; }
  size_t TotalBytes() const;
  bool Empty() const { return segments_.empty(); }

 private:
  std::vector<HexSegment> segments_;
};

}  // namespace orven::host
