// Windows: the system's own code page 936 (GBK) tables, through UTF-16.
#include "link/text_codec.h"

#include <windows.h>

#include <climits>

namespace orven::link {
namespace {

constexpr UINT kGbk = 936;

// Malformed input becomes U+FFFD on the way in and '?' (the code page's default character) on the way out.
std::string Convert(std::string_view in, UINT from, UINT to) {
  if (in.empty() || in.size() > INT_MAX / 2) return {};
  int inLength = static_cast<int>(in.size());
  int wideLength = MultiByteToWideChar(from, 0, in.data(), inLength, nullptr, 0);
  if (wideLength <= 0) return std::string(in.size(), '?');
  std::wstring wide(static_cast<size_t>(wideLength), L'\0');
  MultiByteToWideChar(from, 0, in.data(), inLength, wide.data(), wideLength);
  for (wchar_t& c : wide) {
    if (c == 0xFFFD) c = L'?';
  }
  int outLength = WideCharToMultiByte(to, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  if (outLength <= 0) return std::string(in.size(), '?');
  std::string out(static_cast<size_t>(outLength), '\0');
  WideCharToMultiByte(to, 0, wide.data(), wideLength, out.data(), outLength, nullptr, nullptr);
  return out;
}

}  // namespace

std::string Utf8ToGbk(std::string_view utf8) { return Convert(utf8, CP_UTF8, kGbk); }

std::string GbkToUtf8(std::string_view gbk) { return Convert(gbk, kGbk, CP_UTF8); }

}  // namespace orven::link
