#pragma once
// Shift-JIS (code page 932) stand-in. Texts inside the program are UTF-8; files and
// databases that hold Shift-JIS are converted here, in one place, and every length that
// counts "bytes" counts the CP932 bytes of the text.
#include <cstddef>
#include <string>
#include <string_view>

namespace sjis {

// UTF-8 -> CP932. A character CP932 cannot hold (and a malformed UTF-8 byte) becomes '?',
// the way the Windows conversion substitutes its default character.
std::string FromUtf8(std::string_view utf8);
// UTF-8 -> CP932; false when any character cannot be held or the input is malformed.
bool TryFromUtf8(std::string_view utf8, std::string& cp932);

// CP932 -> UTF-8. A byte sequence that is not CP932 becomes '?' (one per broken character).
std::string ToUtf8(std::string_view cp932);
// CP932 -> UTF-8; false when the input holds a sequence that is not CP932.
bool TryToUtf8(std::string_view cp932, std::string& utf8);

// Number of CP932 bytes the UTF-8 text takes (a substituted character counts one byte).
std::size_t ByteLength(std::string_view utf8);

// CP932 byte classes: lead bytes 0x81-0x9F and 0xE0-0xFC; trail bytes 0x40-0x7E and 0x80-0xFC.
constexpr bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
constexpr bool IsTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// Whole UTF-8 text cut to at most `bytes` CP932 bytes, never splitting a character.
std::string CutToBytes(std::string_view utf8, std::size_t bytes);

}  // namespace sjis
