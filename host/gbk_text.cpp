#include "host/gbk_text.h"

#include <iconv.h>

#include <cerrno>

namespace orven::host {

namespace {

std::string Convert(const char* to, const char* from, const std::string& text) {
  // ASCII is the same in both; skip iconv for the driver's many English lines.
  bool ascii = true;
  for (char c : text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) return text;

  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return text;
  std::string out;
  char buf[512];
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  while (inLeft > 0) {
    char* o = buf;
    size_t oLeft = sizeof buf;
    const size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
    out.append(buf, static_cast<size_t>(o - buf));
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      // EILSEQ or a sequence cut at the end: one '?' for the byte, then resynchronise.
      out += '?';
      ++in;
      --inLeft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string GbkToUtf8(const std::string& gbk) { return Convert("UTF-8", "GBK", gbk); }

std::string Utf8ToGbk(const std::string& utf8) { return Convert("GBK", "UTF-8", utf8); }

}  // namespace orven::host
