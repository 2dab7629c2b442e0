#include "print/Zenpagex_Function.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <exception>
#include <limits>

#include "platform/Folders.h"
#include "platform/UiServices.h"

std::string SpecialFolderPath(int csidl) {
  try {
    switch (csidl) {
      case CSIDL_PERSONAL: return folders::DocumentsDir();
      case CSIDL_DESKTOP:
      case CSIDL_DESKTOPDIRECTORY: return folders::DesktopDir();
      case CSIDL_APPDATA: return folders::UserAppDataDir();
      case CSIDL_COMMON_APPDATA: return folders::CommonAppDataDir();
      case CSIDL_SYSTEM: return folders::SystemDir();
      default: return {};
    }
  } catch (const std::exception& e) {
    uis::ShowMessage(uis::MsgKind::Error, e.what());
    return {};
  }
}

std::string TrimBlanks(std::string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
  return std::string(text.substr(b, e - b));
}

double StrToFloatDef0(std::string_view text) {
  const std::string t = TrimBlanks(text);
  std::string_view s = t;
  bool negative = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  // Only digits and a decimal point may start a number here (no "inf", "nan" or hex).
  if (s.empty() || !(std::isdigit(static_cast<unsigned char>(s[0])) || s[0] == '.')) return 0;
  double value = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::general);
  if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(value)) return 0;
  return negative ? -value : value;
}

int StrToIntDef(std::string_view text, int def) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  std::string_view s = text.substr(i);
  bool negative = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  if (s.empty()) return def;
  std::int64_t value = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return def;
    value = value * 10 + (c - '0');
    if (value > static_cast<std::int64_t>(std::numeric_limits<int>::max()) + 1) return def;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min()) return def;
  return static_cast<int>(value);
}

int SplitFields(std::string_view line, char sep, std::vector<std::string>& fields) {
  if (const auto comment = line.find("//"); comment != std::string_view::npos) line = line.substr(0, comment);
  if (line.empty()) return 0;
  std::vector<std::string> pieces;
  std::size_t start = 0;
  for (std::size_t p = line.find(sep); p != std::string_view::npos; p = line.find(sep, start)) {
    pieces.emplace_back(line.substr(start, p - start));
    start = p + 1;
  }
  pieces.emplace_back(line.substr(start));
  fields = std::move(pieces);
  return static_cast<int>(fields.size()) - 1;
}

std::string FieldAt(std::string_view line, char sep, int n) {
  std::vector<std::string> fields;
  const int count = SplitFields(line, sep, fields);
  if (n < 0 || count < n || static_cast<std::size_t>(n) >= fields.size()) return {};
  return TrimBlanks(fields[static_cast<std::size_t>(n)]);
}

int Nearest(double value) {
  const double r = std::nearbyint(value);
  if (!(r >= std::numeric_limits<int>::min() && r <= std::numeric_limits<int>::max())) {
    return r > 0 ? std::numeric_limits<int>::max() : std::numeric_limits<int>::min();
  }
  return static_cast<int>(r);
}

