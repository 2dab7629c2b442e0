#include "data/uAccFunction.h"

#include <cstdint>

#include "platform/Encoding.h"

namespace {

constexpr std::string_view kFullWidthSpace = "\xE3\x80\x80";  // U+3000, CP932 0x81 0x40

// Length in bytes of the CP932 character starting at s[i]; the input comes from the encoder,
// so a lead byte always has its second byte unless the text ends there.
std::size_t Cp932CharLen(const std::string& s, std::size_t i) {
  return sjis::IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

}  // namespace

Currency RoundCurrency(int mode, Currency amount) {
  const RoundMode m = mode == 0   ? RoundMode::TowardZero
                      : mode == 2 ? RoundMode::AwayFromZero
                                  : RoundMode::HalfAwayFromZero;
  return Round(amount, m, Currency::FromYen(1));
}

std::string FormatDateText(int style, TDateTime date) {
  if (date == 0) return {};
  switch (style) {
    case 2: return FormatDateTime("yy/mm/dd", date);
    case 4: return FormatDateTime("yyyy/mm/dd", date);
    default: return FormatDateTime("yyyy/mm/dd hh:nn", date);
  }
}

std::string TrimZenkaku(std::string_view text) {
  // Working on UTF-8 here is exact: no byte of a multi-byte UTF-8 character is <= 0x20 and
  // U+3000 cannot be matched across a character boundary, unlike the byte pair in CP932.
  for (;;) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 0x20) text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 0x20) text.remove_suffix(1);
    if (text.starts_with(kFullWidthSpace)) {
      text.remove_prefix(kFullWidthSpace.size());
    } else if (text.ends_with(kFullWidthSpace)) {
      text.remove_suffix(kFullWidthSpace.size());
    } else {
      return std::string(text);
    }
  }
}

std::string RemoveBlanks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == ' ') {
      ++i;
    } else if (text.substr(i).starts_with(kFullWidthSpace)) {
      i += kFullWidthSpace.size();
    } else {
      out.push_back(text[i++]);
    }
  }
  return out;
}

std::string MakeBlanks(int count) {
  return count > 0 ? std::string(static_cast<std::size_t>(count), ' ') : std::string();
}

std::string PadRightSJIS(std::string_view text, int width) {
  if (width <= 0) return {};
  const auto w = static_cast<std::size_t>(width);
  std::string s = sjis::FromUtf8(text);
  if (s.size() < w) s.append(w - s.size(), ' ');
  else s.resize(w);
  return sjis::ToUtf8(BlankSplitSJISBytes(s));
}

std::string PadLeft(std::string_view text, int width) {
  if (width <= 0) return {};
  const auto w = static_cast<std::size_t>(width);
  std::string s = sjis::FromUtf8(text);
  if (s.size() <= w) return std::string(w - s.size(), ' ') + sjis::ToUtf8(s);
  const std::size_t start = s.size() - w;
  std::size_t i = 0;
  while (i < start) i += Cp932CharLen(s, i);
  std::string kept = s.substr(start);
  // The cut fell inside a double-byte character: its orphaned second byte would read back as
  // a different character, so it becomes a blank and the field keeps its width.
  if (i != start) kept[0] = ' ';
  return sjis::ToUtf8(kept);
}

int BoolToInt(bool value) { return value ? 1 : 0; }

bool IsNotEmpty(std::string_view text) { return !text.empty(); }
bool IsNotEmpty(int value) { return value != 0; }

int SplitText(std::string_view text, std::string_view separator, std::vector<std::string>& parts,
              std::size_t capacity) {
  parts.clear();
  if (auto comment = text.find("//"); comment != std::string_view::npos) text = text.substr(0, comment);
  if (text.empty()) return 0;
  auto put = [&](std::string_view part) {
    if (parts.size() < capacity) parts.emplace_back(part);
  };
  int n = 0;
  if (!separator.empty()) {
    for (auto pos = text.find(separator); pos != std::string_view::npos; pos = text.find(separator)) {
      put(text.substr(0, pos));
      text.remove_prefix(pos + separator.size());
      ++n;
    }
  }
  put(text);
  return n;
}

bool IsSJISLeadByte(unsigned char b) { return sjis::IsLeadByte(b); }
bool IsSJISTrailByte(unsigned char b) { return sjis::IsTrailByte(b); }

std::string BlankSplitSJISBytes(std::string_view cp932) {
  std::string s(cp932);
  bool leadWaiting = false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (!leadWaiting) {
      leadWaiting = sjis::IsLeadByte(b);
      if (leadWaiting && i + 1 == s.size()) s[i] = ' ';
    } else {
      if (!sjis::IsTrailByte(b)) {
        s[i - 1] = ' ';
        s[i] = ' ';
      }
      leadWaiting = false;
    }
  }
  return s;
}

std::string BlankSplitSJIS(std::string_view text) {
  return sjis::ToUtf8(BlankSplitSJISBytes(sjis::FromUtf8(text)));
}

bool TextIsTrue(std::string_view text) {
  if (text.size() != 4) return false;
  for (std::size_t i = 0; i < 4; ++i) {
    char c = text[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != "TRUE"[i]) return false;
  }
  return true;
}

std::string BoolToText(bool value) { return value ? "TRUE" : "FALSE"; }

Currency SafeStrToCurr(std::string_view text) {
  Currency value;
  return Currency::TryParse(text, value) ? value : Currency();
}

TDateTime SafeStrToDate(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  // A date only: a time of day or any other character makes the text no date.
  if (text.empty() || text.find_first_not_of("0123456789/") != std::string_view::npos) return 0;
  TDateTime date = 0;
  return TryStrToDate(text, date) ? date : 0;
}
