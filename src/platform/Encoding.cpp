#include "platform/Encoding.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace sjis {
namespace {

// One converter per direction and thread; iconv handles are not shareable between threads.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open failed for CP932");
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts `in`; on a sequence that cannot be converted, calls skip(rest) which returns
  // how many input bytes to drop, and appends '?'. Returns false when anything was dropped.
  template <typename Skip>
  bool Run(std::string_view in, std::string& out, Skip skip) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    out.clear();
    bool clean = true;
    char* src = const_cast<char*>(in.data());
    size_t left = in.size();
    char buf[1024];
    while (left > 0) {
      char* dst = buf;
      size_t room = sizeof buf;
      size_t r = iconv(cd_, &src, &left, &dst, &room);
      out.append(buf, static_cast<size_t>(dst - buf));
      if (r != static_cast<size_t>(-1)) continue;
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL (incomplete sequence at the end): drop it and substitute.
      size_t n = skip(std::string_view(src, left));
      if (n == 0 || n > left) n = left < 1 ? left : 1;
      src += n;
      left -= n;
      out.push_back('?');
      clean = false;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    char* dst = buf;
    size_t room = sizeof buf;
    iconv(cd_, nullptr, nullptr, &dst, &room);
    out.append(buf, static_cast<size_t>(dst - buf));
    return clean;
  }

 private:
  iconv_t cd_;
};

Converter& ToCp932() {
  thread_local Converter c("CP932", "UTF-8");
  return c;
}
Converter& FromCp932() {
  thread_local Converter c("UTF-8", "CP932");
  return c;
}

// Length of the UTF-8 character starting the text (1 for a stray byte).
size_t Utf8CharLen(std::string_view s) {
  unsigned char b = static_cast<unsigned char>(s[0]);
  size_t n = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 1;
  if (n > s.size()) return 1;
  for (size_t i = 1; i < n; ++i)
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return 1;
  return n;
}

size_t Cp932CharLen(std::string_view s) {
  unsigned char b = static_cast<unsigned char>(s[0]);
  if (IsLeadByte(b) && s.size() > 1 && IsTrailByte(static_cast<unsigned char>(s[1]))) return 2;
  return 1;
}

}  // namespace

bool TryFromUtf8(std::string_view utf8, std::string& cp932) { return ToCp932().Run(utf8, cp932, Utf8CharLen); }

std::string FromUtf8(std::string_view utf8) {
  std::string out;
  TryFromUtf8(utf8, out);
  return out;
}

bool TryToUtf8(std::string_view cp932, std::string& utf8) { return FromCp932().Run(cp932, utf8, Cp932CharLen); }

std::string ToUtf8(std::string_view cp932) {
  std::string out;
  TryToUtf8(cp932, out);
  return out;
}

std::size_t ByteLength(std::string_view utf8) { return FromUtf8(utf8).size(); }

std::string CutToBytes(std::string_view utf8, std::size_t bytes) {
  std::string s = FromUtf8(utf8);
  if (s.size() <= bytes) return std::string(utf8);
  size_t i = 0;
  while (i < bytes) {
    size_t n = IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
    if (i + n > bytes) break;
    i += n;
  }
  return ToUtf8(std::string_view(s).substr(0, i));
}

}  // namespace sjis
