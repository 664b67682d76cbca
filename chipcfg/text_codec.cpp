#include "chipcfg/text_codec.h"

#include <iconv.h>

#include <cerrno>
#include <cstdlib>

namespace orven::chipcfg {
namespace {

// Owns one conversion descriptor for the length of a call.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

constexpr const char* kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// Converts in one pass; on an undefined or cut-off sequence either stops (strict) or emits U+FFFD and goes on
// one byte later. Returns false when something had to be replaced.
bool Convert(iconv_t cd, const uint8_t* bytes, size_t size, std::string& out) {
  bool clean = true;
  char* in = const_cast<char*>(reinterpret_cast<const char*>(bytes));
  size_t inLeft = size;
  char chunk[512];
  while (inLeft > 0) {
    char* o = chunk;
    size_t oLeft = sizeof(chunk);
    size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
    out.append(chunk, static_cast<size_t>(o - chunk));
    if (r != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL: the sequence at `in` is not a character of the code page.
    clean = false;
    out += kReplacement;
    ++in;
    --inLeft;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  return clean;
}

}  // namespace

bool DecodeText(const uint8_t* bytes, size_t size, const std::string& codePage, std::string& out) {
  out.clear();
  Converter conv("UTF-8", codePage.c_str());
  if (!conv.ok()) return false;
  Convert(conv.get(), bytes, size, out);
  return true;
}

bool DecodeTextStrict(const uint8_t* bytes, size_t size, const std::string& codePage, std::string& out) {
  out.clear();
  Converter conv("UTF-8", codePage.c_str());
  if (!conv.ok()) return false;
  return Convert(conv.get(), bytes, size, out);
}

bool EncodeText(const std::string& utf8, const std::string& codePage, std::vector<uint8_t>& out) {
  out.clear();
  Converter conv(codePage.c_str(), "UTF-8");
  if (!conv.ok()) return false;
  std::string encoded;
  if (!Convert(conv.get(), reinterpret_cast<const uint8_t*>(utf8.data()), utf8.size(), encoded)) return false;
  out.assign(encoded.begin(), encoded.end());
  return true;
}

namespace {

// Length of the UTF-8 sequence that starts with lead byte c (1 for stray bytes, so counting never stalls).
size_t SequenceLength(unsigned char c) {
  if (c >= 0xF0) return 4;
  if (c >= 0xE0) return 3;
  if (c >= 0xC0) return 2;
  return 1;
}

}  // namespace

size_t Utf16Length(const std::string& utf8) {
  size_t units = 0;
  for (size_t i = 0; i < utf8.size();) {
    const size_t n = SequenceLength(static_cast<unsigned char>(utf8[i]));
    units += (n == 4) ? 2 : 1;
    i += n;
  }
  return units;
}

std::string TruncateUtf16(const std::string& utf8, size_t maxUnits) {
  size_t units = 0;
  size_t i = 0;
  while (i < utf8.size()) {
    const size_t n = SequenceLength(static_cast<unsigned char>(utf8[i]));
    const size_t u = (n == 4) ? 2 : 1;
    if (units + u > maxUnits) break;
    units += u;
    i += n;
  }
  return utf8.substr(0, i < utf8.size() ? i : utf8.size());
}

const std::string& ConfiguredCodePage() {
  static const std::string codePage = [] {
    const char* fromEnvironment = std::getenv("ORVEN_CFG_CODEPAGE");
    return std::string(fromEnvironment != nullptr && *fromEnvironment != '\0' ? fromEnvironment : kDefaultCodePage);
  }();
  return codePage;
}

}  // namespace orven::chipcfg
