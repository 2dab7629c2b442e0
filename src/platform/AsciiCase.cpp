#include "platform/AsciiCase.h"

namespace ascii {
namespace {

char UpperChar(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char LowerChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string Upper(std::string_view text) {
  std::string r(text);
  for (char& c : r) c = UpperChar(c);
  return r;
}

std::string Lower(std::string_view text) {
  std::string r(text);
  for (char& c : r) c = LowerChar(c);
  return r;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::string_view::size_type i = 0; i < a.size(); ++i)
    if (UpperChar(a[i]) != UpperChar(b[i])) return false;
  return true;
}

}  // namespace ascii
