#include "link/text_codec.h"

#include <iconv.h>

#include <cerrno>

namespace orven::link {
namespace {

// One converter per thread and direction: iconv descriptors carry state and must not be shared.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  std::string Convert(std::string_view in) {
    std::string out;
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      // Without the converter only plain ASCII passes.
      for (char c : in) out.push_back(static_cast<unsigned char>(c) < 0x80 ? c : '?');
      return out;
    }
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    out.resize(in.size() * 2 + 8);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    size_t used = 0;
    while (srcLeft > 0) {
      if (out.size() - used < 8) out.resize(out.size() * 2);
      char* dst = out.data() + used;
      size_t dstLeft = out.size() - used;
      size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      used = out.size() - dstLeft;
      if (r != static_cast<size_t>(-1)) break;
      if (errno == E2BIG) {
        out.resize(out.size() * 2);
      } else {
        // EILSEQ or EINVAL: an unconvertible or incomplete sequence; replace one byte (or one UTF-8
        // character) and go on.
        size_t skip = 1;
        auto lead = static_cast<unsigned char>(*src);
        if (lead >= 0xC0 && lead < 0xF8) {
          while (skip < srcLeft && (static_cast<unsigned char>(src[skip]) & 0xC0) == 0x80 && skip < 4) ++skip;
        }
        src += skip;
        srcLeft -= skip;
        if (out.size() - used < 1) out.resize(out.size() * 2);
        out[used++] = '?';
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
      }
    }
    out.resize(used);
    return out;
  }

 private:
  iconv_t cd_;
};

}  // namespace

std::string Utf8ToGbk(std::string_view utf8) {
  thread_local Converter converter("GBK", "UTF-8");
  return converter.Convert(utf8);
}

std::string GbkToUtf8(std::string_view gbk) {
  thread_local Converter converter("UTF-8", "GBK");
  return converter.Convert(gbk);
}

}  // namespace orven::link
