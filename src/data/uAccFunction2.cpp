#include "data/uAccFunction2.h"

#include <cmath>
#include <vector>

#include "data/uAccFunction.h"
#include "platform/AsciiCase.h"
#include "platform/Encoding.h"
#include "platform/TextLines.h"
#include "platform/UiServices.h"

namespace {

// Thickness of a sizing frame (SM_CYFRAME) on this platform.
constexpr std::int32_t kFrameThickness = 4;

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  std::string out;
  if (from.empty()) return std::string(text);
  for (std::size_t i = 0;;) {
    std::size_t pos = text.find(from, i);
    if (pos == std::string_view::npos) {
      out.append(text.substr(i));
      return out;
    }
    out.append(text.substr(i, pos - i)).append(to);
    i = pos + from.size();
  }
}

// --- UTF-8 code points, for the full-width mapping ---------------------------------------

// Decodes the character at text[i]; a malformed byte comes back as -1 with length 1, so the
// caller copies it through unchanged.
char32_t DecodeUtf8(std::string_view text, std::size_t i, std::size_t& len) {
  const auto b = static_cast<unsigned char>(text[i]);
  std::size_t n = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
  len = 1;
  if (n == 0 || i + n > text.size()) return static_cast<char32_t>(-1);
  char32_t cp = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
  for (std::size_t k = 1; k < n; ++k) {
    const auto c = static_cast<unsigned char>(text[i + k]);
    if ((c & 0xC0) != 0x80) return static_cast<char32_t>(-1);
    cp = (cp << 6) | (c & 0x3F);
  }
  len = n;
  return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Full-width forms of the half-width katakana block U+FF61 (｡) to U+FF9F (ﾟ).
constexpr char16_t kHalfKanaToFull[] = {
    u'。', u'「', u'」', u'、', u'・', u'ヲ', u'ァ', u'ィ', u'ゥ', u'ェ', u'ォ', u'ャ', u'ュ', u'ョ', u'ッ',
    u'ー', u'ア', u'イ', u'ウ', u'エ', u'オ', u'カ', u'キ', u'ク', u'ケ', u'コ', u'サ', u'シ', u'ス', u'セ',
    u'ソ', u'タ', u'チ', u'ツ', u'テ', u'ト', u'ナ', u'ニ', u'ヌ', u'ネ', u'ノ', u'ハ', u'ヒ', u'フ', u'ヘ',
    u'ホ', u'マ', u'ミ', u'ム', u'メ', u'モ', u'ヤ', u'ユ', u'ヨ', u'ラ', u'リ', u'ル', u'レ', u'ロ', u'ワ',
    u'ン', u'゛', u'゜'};
static_assert(sizeof kHalfKanaToFull / sizeof kHalfKanaToFull[0] == 0xFF9F - 0xFF61 + 1);

constexpr char32_t kHalfVoiced = 0xFF9E;      // ﾞ
constexpr char32_t kHalfSemiVoiced = 0xFF9F;  // ﾟ

// The full-width kana with the voiced (or semi-voiced) mark, or 0 when it takes none.
char32_t WithSoundMark(char32_t kana, bool semiVoiced) {
  const bool haRow = kana >= u'ハ' && kana <= u'ホ' && (kana - u'ハ') % 3 == 0;
  if (semiVoiced) return haRow ? kana + 2 : 0;
  if (kana == u'ウ') return u'ヴ';
  // カ to チ: every other code point; ツ, テ, ト after the small ッ broke the pattern.
  if (kana >= u'カ' && kana <= u'チ' && (kana - u'カ') % 2 == 0) return kana + 1;
  if (kana == u'ツ' || kana == u'テ' || kana == u'ト') return kana + 1;
  if (haRow) return kana + 1;
  return 0;
}

std::string ToFullWidth(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (std::size_t i = 0; i < text.size();) {
    std::size_t len = 1;
    const char32_t cp = DecodeUtf8(text, i, len);
    if (cp == static_cast<char32_t>(-1)) {
      out.push_back(text[i]);
    } else if (cp == U' ') {
      AppendUtf8(out, U'\u3000');
    } else if (cp >= 0x21 && cp <= 0x7E) {
      AppendUtf8(out, cp - 0x21 + 0xFF01);
    } else if (cp >= 0xFF61 && cp <= 0xFF9F) {
      char32_t full = kHalfKanaToFull[cp - 0xFF61];
      // A sound mark that follows its kana joins it into one character.
      std::size_t nextLen = 0;
      if (i + len < text.size()) {
        const char32_t next = DecodeUtf8(text, i + len, nextLen);
        if (next == kHalfVoiced || next == kHalfSemiVoiced) {
          if (char32_t joined = WithSoundMark(full, next == kHalfSemiVoiced)) {
            full = joined;
            len += nextLen;
          }
        }
      }
      AppendUtf8(out, full);
    } else {
      out.append(text.substr(i, len));
    }
    i += len;
  }
  return out;
}

}  // namespace

Currency TextToAmount(std::string_view text) {
  return SafeStrToCurr(ReplaceAll(ReplaceAll(text, "△", "-"), ",", ""));
}

std::string FormatAmount(std::int32_t n) {
  const std::string digits = std::to_string(n < 0 ? -static_cast<std::int64_t>(n) : n);
  std::string out = n < 0 ? "-" : "";
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out.push_back(',');
    out.push_back(digits[i]);
  }
  return out;
}

std::string GetSeparatedItem(std::string_view text, std::string_view separator, std::int32_t index) {
  const std::string replaced = ReplaceAll(text, separator, "\r\n");
  const auto lines = textlines::FromText(replaced);
  if (index < 1 || static_cast<std::size_t>(index) > lines.size()) return {};
  return lines[static_cast<std::size_t>(index) - 1];
}

std::string ZeroPad(std::string_view text, std::int32_t width) {
  return PadLeft(std::string(256, '0') + std::string(text), width);
}

std::string RemoveTabCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (c != '\t' && c != '\r' && c != '\n') out.push_back(c);
  return out;
}

std::string LCMapText(std::uint32_t flags, std::string_view text) {
  if ((flags & LCMAP_FULLWIDTH) == 0) return std::string(text);
  return ToFullWidth(text);
}

std::string ZenToUpper(std::string_view text) {
  std::string s = sjis::FromUtf8(text);
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (!sjis::IsLeadByte(static_cast<unsigned char>(s[i])) || i + 1 == s.size()) continue;
    const auto lead = static_cast<unsigned char>(s[i]);
    const auto second = static_cast<unsigned char>(s[i + 1]);
    if (lead == 0x82 && second >= 0x81 && second <= 0x9A) s[i + 1] = static_cast<char>(second - 0x21);
    ++i;  // the second byte belongs to this character
  }
  return sjis::ToUtf8(s);
}

std::string GetValueOfText(std::string_view text, std::string_view name) {
  if (text.empty() || name.empty()) return {};
  for (const std::string& line : textlines::FromText(text)) {
    const std::size_t eq = line.find('=');
    if (eq != std::string::npos && ascii::SameText(std::string_view(line).substr(0, eq), name)) return line;
  }
  return {};
}

long double RoundToDigits(std::int16_t digits, long double value) {
  const long double e = value * PowerOf(10.0L, digits - 1);
  long double r = 0;
  if (e > 0) r = std::trunc(e + 0.000001L);
  else if (e < 0) r = std::trunc(e + 0.000001L) - 1;
  return r * PowerOf(10.0L, 1 - digits);
}

long double PowerOf(long double base, long double exponent) {
  if (base == 0) return 0;
  // Kept as 2 ^ (exponent × log2(base)): callers' tolerances are tuned to its inexactness.
  return std::exp2(exponent * std::log2(base));
}

void SetFlagBit(std::int32_t& flags, std::uint32_t kind) {
  if (kind >= 1 && kind <= 24) flags |= static_cast<std::int32_t>(1u << (kind - 1));
}

int TestFlagBit(std::uint32_t flags, std::uint8_t bit) {
  return static_cast<int>((flags >> ((bit - 1) & 31)) & 1u);
}

std::int32_t ScaleByDpi(std::int32_t value, std::int32_t target, std::int32_t base) {
  if (base == 0) base = uis::Ui().ScreenDpi();
  if (target == base || base == 0) return value;
  return static_cast<std::int32_t>(std::trunc(value * (static_cast<long double>(target) / base)));
}

std::int32_t GetSysMetric(std::int32_t value, std::uint8_t kind) {
  return GetSysMetricForFrame(value, kind, kFrameThickness);
}

std::int32_t GetSysMetricForFrame(std::int32_t value, std::uint8_t kind, std::int32_t frame) {
  const std::int32_t twice = 2 * frame;
  if (twice == 8 || twice <= 6) return value;
  switch (kind) {
    case 0: return value - twice + 8;
    case 1: return value - 2 * twice + 16;
    default: return value;
  }
}

std::uint32_t GrayColor(std::uint32_t colour) {
  if (colour == 0xFFFFFF || colour == 0) return colour;
  const std::uint32_t r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
  // The sum divided by 3 is never a half, so rounding to the nearest needs no tie rule.
  const std::uint32_t grey = (r + g + b + 1) / 3;
  return grey | (grey << 8) | (grey << 16);
}
