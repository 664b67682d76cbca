#include "tools/orvdap/base64.h"

namespace orven::orvdap {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

std::string EncodeBase64(const uint8_t* bytes, size_t count) {
  std::string out;
  out.reserve((count + 2) / 3 * 4);
  for (size_t i = 0; i < count; i += 3) {
    const size_t n = count - i < 3 ? count - i : 3;
    uint32_t group = static_cast<uint32_t>(bytes[i]) << 16;
    if (n > 1) group |= static_cast<uint32_t>(bytes[i + 1]) << 8;
    if (n > 2) group |= bytes[i + 2];
    out += kAlphabet[(group >> 18) & 63];
    out += kAlphabet[(group >> 12) & 63];
    out += n > 1 ? kAlphabet[(group >> 6) & 63] : '=';
    out += n > 2 ? kAlphabet[group & 63] : '=';
  }
  return out;
}

std::optional<std::vector<uint8_t>> DecodeBase64(std::string_view text) {
  // Padding only at the very end: strip it, then every character must be of the alphabet.
  size_t padding = 0;
  while (!text.empty() && text.back() == '=' && padding < 2) {
    text.remove_suffix(1);
    ++padding;
  }
  if (text.size() % 4 == 1 || (padding > 0 && (text.size() + padding) % 4 != 0)) return std::nullopt;
  std::vector<uint8_t> out;
  out.reserve(text.size() / 4 * 3 + 2);
  uint32_t group = 0;
  size_t bits = 0;
  for (char c : text) {
    const int v = Value(c);
    if (v < 0) return std::nullopt;
    group = (group << 6) | static_cast<uint32_t>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out.push_back(static_cast<uint8_t>(group >> bits));
      group &= (1u << bits) - 1;
    }
  }
  return out;
}

}  // namespace orven::orvdap
