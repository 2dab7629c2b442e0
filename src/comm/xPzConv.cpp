#include "comm/xPzConv.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int ValueOf(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

std::string TxPzConv::EncodeBase64(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) | (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                 static_cast<unsigned char>(bytes[i + 2]);
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  const std::size_t rest = bytes.size() - i;
  if (rest > 0) {
    unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
    if (rest == 2) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

std::string TxPzConv::DecodeBase64(std::string_view text) {
  std::string out;
  const std::size_t groups = text.size() / 4;
  out.reserve(groups * 3);
  for (std::size_t g = 0; g < groups; ++g) {
    const std::string_view q = text.substr(g * 4, 4);
    const bool last = g + 1 == groups;
    int pad = 0;
    if (q[3] == '=') pad = q[2] == '=' ? 2 : 1;
    if (pad > 0 && !last) throw EBase64Error("padding inside the Base64 text");
    unsigned v = 0;
    for (int k = 0; k < 4; ++k) {
      int d = 0;
      if (k < 4 - pad) {
        d = ValueOf(q[k]);
        if (d < 0) throw EBase64Error("character outside the Base64 alphabet");
      }
      v = (v << 6) | static_cast<unsigned>(d);
    }
    out += static_cast<char>((v >> 16) & 0xFF);
    if (pad < 2) out += static_cast<char>((v >> 8) & 0xFF);
    if (pad < 1) out += static_cast<char>(v & 0xFF);
  }
  return out;
}
