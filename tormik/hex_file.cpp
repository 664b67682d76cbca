#include "tormik/hex_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "tormik/texts.h"

namespace orven::app {
namespace {

// A line is read at most this many characters at a time (its newline counting as one, "\r\n" as one); the rest
// of a longer line is read as the next line and counted as one.
constexpr size_t kMaxLineRead = 525;

enum RecordType : uint8_t {
  kData = 0,
  kEndOfFile = 1,
  kExtendedSegment = 2,
  kExtendedLinear = 4,
};

// Value of a hexadecimal digit, or 0xFF for any other character.
constexpr std::array<uint8_t, 256> MakeHexTable() {
  std::array<uint8_t, 256> t{};
  for (auto& v : t) v = 0xFF;
  for (int c = '0'; c <= '9'; ++c) t[c] = static_cast<uint8_t>(c - '0');
  for (int c = 'A'; c <= 'F'; ++c) t[c] = static_cast<uint8_t>(c - 'A' + 10);
  for (int c = 'a'; c <= 'f'; ++c) t[c] = static_cast<uint8_t>(c - 'a' + 10);
  return t;
}
constexpr std::array<uint8_t, 256> kHexValue = MakeHexTable();

// Two digits at p (the caller has checked that they lie within the line). False on a non-digit.
inline bool HexByte(const char* p, uint8_t& out) {
  uint8_t hi = kHexValue[static_cast<unsigned char>(p[0])];
  uint8_t lo = kHexValue[static_cast<unsigned char>(p[1])];
  out = static_cast<uint8_t>((hi << 4) | (lo & 0x0F));
  return ((hi | lo) & 0xF0) == 0;
}

// Splits the text into the lines the loader reads, one at a time.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}

  bool Next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    const char* start = text_.data() + pos_;
    size_t avail = text_.size() - pos_;
    size_t window = avail < kMaxLineRead + 1 ? avail : kMaxLineRead + 1;
    if (const void* nl = std::memchr(start, '\n', window)) {
      size_t k = static_cast<size_t>(static_cast<const char*>(nl) - start);
      size_t contentEnd = (k > 0 && start[k - 1] == '\r') ? k - 1 : k;
      if (contentEnd + 1 <= kMaxLineRead) {
        line = std::string_view(start, contentEnd);
        pos_ += k + 1;
        return true;
      }
    }
    size_t take = avail < kMaxLineRead ? avail : kMaxLineRead;
    line = std::string_view(start, take);
    pos_ += take;
    return true;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

void Log(const LogFn& log, const std::string& text) {
  if (log) log(text);
}

void LogLineFormatError(const LogFn& log, uint64_t lineNo) {
  std::string text = texts::kHexLineFormatError;
  size_t at = text.find("%d");
  if (at != std::string::npos) text.replace(at, 2, std::to_string(lineNo));
  Log(log, text);
}

// Reads the whole file into memory. False when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::unique_ptr<char[]>& data, size_t& size) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  size_t capacity = 64 * 1024;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) capacity = static_cast<size_t>(st.st_size) + 1;
  data.reset(new (std::nothrow) char[capacity]);
  size = 0;
  bool ok = data != nullptr;
  while (ok) {
    if (size == capacity) {  // the file grew, or is not a regular file
      size_t bigger = capacity * 2;
      std::unique_ptr<char[]> grown(new (std::nothrow) char[bigger]);
      if (!grown) {
        ok = false;
        break;
      }
      std::memcpy(grown.get(), data.get(), size);
      data = std::move(grown);
      capacity = bigger;
    }
    ssize_t n = ::read(fd, data.get() + size, capacity - size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    size += static_cast<size_t>(n);
  }
  ::close(fd);
  return ok;
}

}  // namespace

bool LoadHexText(std::string_view text, uint8_t* image, uint32_t limit, const LogFn& log) {
  return LoadHexText(text, image, limit, log, nullptr);
}

bool LoadHexText(std::string_view text, uint8_t* image, uint32_t limit, const LogFn& log, HexLoadStats* stats) {
  uint64_t linearBase = 0;   // U × 65536
  uint64_t segmentBase = 0;  // G × 16
  uint64_t lineNo = 0;
  LineReader reader(text);
  std::string_view line;
  while (reader.Next(line)) {
    ++lineNo;
    if (line.empty() || line[0] != ':') continue;

    // @0 ':'  @1 count N  @3 address  @7 type  @9 N data bytes  @9+2N checksum
    const char* p = line.data();
    uint8_t count = 0, addrHi = 0, addrLo = 0, type = 0;
    if (line.size() < 9 || !HexByte(p + 1, count) || !HexByte(p + 3, addrHi) || !HexByte(p + 5, addrLo) ||
        !HexByte(p + 7, type) || line.size() < 11 + 2 * static_cast<size_t>(count)) {
      LogLineFormatError(log, lineNo);
      return false;
    }
    uint8_t data[255];
    unsigned sum = count + addrHi + addrLo + type;
    bool digitsOk = true;
    for (unsigned i = 0; i < count; ++i) {
      digitsOk &= HexByte(p + 9 + 2 * i, data[i]);
      sum += data[i];
    }
    uint8_t checksum = 0;
    digitsOk &= HexByte(p + 9 + 2 * count, checksum);
    sum += checksum;
    if (!digitsOk || (sum & 0xFF) != 0) {
      LogLineFormatError(log, lineNo);
      return false;
    }

    const unsigned address = (static_cast<unsigned>(addrHi) << 8) | addrLo;
    switch (type) {
      case kData: {
        // Not wrapped at 64 KiB: a record may run across the page boundary.
        uint64_t at = linearBase + segmentBase + address;
        for (unsigned i = 0; i < count && at + i < limit; ++i) image[at + i] = data[i];
        if (stats != nullptr) {
          stats->dataBytes += count;
          stats->bytesBeyond += at >= limit ? count : (at + count > limit ? at + count - limit : 0);
        }
        break;
      }
      case kEndOfFile:
        return true;
      case kExtendedSegment:
      case kExtendedLinear: {
        // Both need their two data bytes; a shorter record is as malformed as one with an address.
        if (address != 0 || count < 2) {
          Log(log, texts::kHexFileFormatError);
          return false;
        }
        uint64_t value = (static_cast<uint64_t>(data[0]) << 8) | data[1];
        if (type == kExtendedSegment)
          segmentBase = value << 4;
        else
          linearBase = value << 16;
        break;
      }
      default:  // start addresses and unknown types carry nothing for the image
        break;
    }
  }
  return true;
}

bool LoadHexFile(const std::string& path, uint8_t* image, uint32_t limit, const LogFn& log) {
  return LoadHexFile(path, image, limit, log, nullptr);
}

bool LoadHexFile(const std::string& path, uint8_t* image, uint32_t limit, const LogFn& log, HexLoadStats* stats) {
  std::unique_ptr<char[]> data;
  size_t size = 0;
  if (!ReadWholeFile(path, data, size)) return false;
  return LoadHexText(std::string_view(data.get(), size), image, limit, log, stats);
}

std::string FormatHexText(const uint8_t* data, uint32_t size) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  constexpr uint32_t kRecordBytes = 16;
  std::string out;
  // 45 characters per full data record, 17 per page record, 13 for the end record.
  out.reserve(static_cast<size_t>(size / kRecordBytes + 1) * 45 + (size >> 16) * 17 + 13);

  auto record = [&](uint8_t type, uint16_t address, const uint8_t* bytes, uint32_t n) {
    // @0 ':'  @1 count  @3 address (big-endian)  @7 type  @9 data  then the two's-complement checksum
    uint8_t fields[4] = {static_cast<uint8_t>(n), static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address),
                         type};
    unsigned sum = 0;
    out.push_back(':');
    auto put = [&](uint8_t b) {
      out.push_back(kDigits[b >> 4]);
      out.push_back(kDigits[b & 0x0F]);
      sum += b;
    };
    for (uint8_t b : fields) put(b);
    for (uint32_t i = 0; i < n; ++i) put(bytes[i]);
    put(static_cast<uint8_t>(0x100 - (sum & 0xFF)));
    out += "\r\n";
  };

  for (uint32_t offset = 0; offset < size; offset += kRecordBytes) {
    if (offset != 0 && (offset & 0xFFFF) == 0) {
      uint8_t page[2] = {static_cast<uint8_t>(offset >> 24), static_cast<uint8_t>(offset >> 16)};
      record(kExtendedLinear, 0, page, 2);
    }
    uint32_t n = size - offset < kRecordBytes ? size - offset : kRecordBytes;
    record(kData, static_cast<uint16_t>(offset), data + offset, n);
    if (offset > UINT32_MAX - kRecordBytes) break;
  }
  record(kEndOfFile, 0, nullptr, 0);
  return out;
}

bool WriteHexFile(const std::string& path, const uint8_t* data, uint32_t size) {
  std::string text = FormatHexText(data, size);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  ok &= std::fclose(f) == 0;
  return ok;
}

}  // namespace orven::app
