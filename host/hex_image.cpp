#include "host/hex_image.h"

#include <cstdio>
#include <map>

namespace orven::host {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Decodes the hex digits after ':' into bytes; false on an odd count or a non-digit.
bool DecodeRecord(const std::string& line, std::vector<uint8_t>& out) {
  out.clear();
  if (line.size() < 1 || line[0] != ':' || (line.size() - 1) % 2 != 0) return false;
  for (size_t i = 1; i + 1 < line.size(); i += 2) {
    const int hi = HexDigit(line[i]);
    const int lo = HexDigit(line[i + 1]);
    if (hi < 0 || lo < 0) return false;
    out.push_back(static_cast<uint8_t>(hi << 4 | lo));
  }
  return true;
}

std::string LineError(size_t lineNo, const char* what) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "line %zu: %s", lineNo, what);
  return buf;
}

}  // namespace

bool HexImage::Parse(const std::string& text, std::string& error) {
  segments_.clear();
  // Byte map first: later records overwrite earlier ones, then runs become segments.
  std::map<uint32_t, uint8_t> bytes;
  uint32_t base = 0;
  size_t lineNo = 0;
  size_t pos = 0;
  bool ended = false;
  std::vector<uint8_t> rec;
  while (pos < text.size() && !ended) {
    size_t eol = text.find('\n', pos);
    if (eol == std::string::npos) eol = text.size();
    std::string line = text.substr(pos, eol - pos);
    pos = eol + 1;
    ++lineNo;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
    if (line.empty()) continue;
    if (!DecodeRecord(line, rec) || rec.size() < 5) {
      error = LineError(lineNo, "not an Intel HEX record");
      return false;
    }
    const size_t count = rec[0];
    if (rec.size() != count + 5) {
      error = LineError(lineNo, "record length does not match its byte count");
      return false;
    }
    uint8_t sum = 0;
    for (uint8_t b : rec) sum = static_cast<uint8_t>(sum + b);
    if (sum != 0) {
      error = LineError(lineNo, "checksum error");
      return false;
    }
    const uint32_t offset = static_cast<uint32_t>(rec[1] << 8 | rec[2]);
    const uint8_t type = rec[3];
    const uint8_t* data = rec.data() + 4;
    switch (type) {
      case 0x00:
        for (size_t i = 0; i < count; ++i) {
          // The 16-bit offset wraps inside its 64 KiB segment, as in a plain 8051 file.
          const uint64_t addr = base + ((offset + i) & 0xFFFF);
          if (addr >= kMaxAddress) {
            error = LineError(lineNo, "address beyond 0xFFFFFF");
            return false;
          }
          bytes[static_cast<uint32_t>(addr)] = data[i];
        }
        break;
      case 0x01:
        ended = true;
        break;
      case 0x02:
      case 0x04:
        if (count != 2) {
          error = LineError(lineNo, "extended address record without two bytes");
          return false;
        }
        base = type == 0x02 ? static_cast<uint32_t>(data[0] << 8 | data[1]) << 4
                            : static_cast<uint32_t>(data[0] << 8 | data[1]) << 16;
        break;
      case 0x03:
      case 0x05:
        break;  // start address: the 8051 starts at 0 after reset
      default:
        error = LineError(lineNo, "unknown record type");
        return false;
    }
  }
  for (const auto& [addr, value] : bytes) {
    if (segments_.empty() || segments_.back().start + segments_.back().bytes.size() != addr) {
      segments_.push_back(HexSegment{addr, {}});
    }
    segments_.back().bytes.push_back(value);
  }
  return true;
}

bool HexImage::LoadFile(const std::string& path, std::string& error) {
  segments_.clear();
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    error = "cannot open " + path;
    return false;
  }
  std::string text;
  char buf[65536];
  size_t n;
  bool tooLarge = false;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
    if (text.size() + n > kMaxFileBytes) {
      tooLarge = true;
      break;
    }
    text.append(buf, n);
  }
  const bool readError = std::ferror(f) != 0;
  std::fclose(f);
  if (tooLarge || readError) {
    error = path + (tooLarge ? ": file too large" : ": read error");
    return false;
  }
  if (!Parse(text, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

size_t HexImage::TotalBytes() const {
  size_t total = 0;
  for (const HexSegment& s : segments_) total += s.bytes.size();
  return total;
}

}  // namespace orven::host
