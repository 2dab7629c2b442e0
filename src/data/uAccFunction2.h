#pragma once
// Text, number, flag and screen helpers: amount texts with the Japanese minus sign "△",
// items of separated texts, zero filling, full-width mapping and upper-casing for searches,
// name=value lookup, rounding to digits, bits of flag words, and DPI and colour helpers.
// Texts are UTF-8; lengths and positions count CP932 bytes (see data/uAccFunction.h).
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Currency.h"

// Mapping flag of LCMapText: half-width characters to full-width ones.
constexpr std::uint32_t LCMAP_FULLWIDTH = 0x00800000;

// The amount of a text such as "△1,234" ("△" is a minus sign, "," is ignored); 0 when the
// text is not a valid amount.
Currency TextToAmount(std::string_view text);

// n in the format "#,##0": "1,234,567", "-1,234".
std::string FormatAmount(std::int32_t n);

// Item index (the first is 1) of a text whose items are split by separator; CR, LF and CR LF
// also split items. An index outside the items gives an empty text.
std::string GetSeparatedItem(std::string_view text, std::string_view separator, std::int32_t index);

// The text with zeros in front, as a field of the last width bytes ("7", 3 -> "007"; "12345",
// 3 -> "345"). Up to 256 zeros are put in front.
std::string ZeroPad(std::string_view text, std::int32_t width);

// The text without any TAB, CR or LF.
std::string RemoveTabCrLf(std::string_view text);

// The text mapped by the locale mapping flags. LCMAP_FULLWIDTH turns half-width characters
// into full-width ones: ASCII into the full-width forms, the blank into the full-width
// space, half-width katakana into katakana with a following voiced or semi-voiced sound mark
// joined to its kana. Without that flag the text is returned unchanged.
std::string LCMapText(std::uint32_t flags, std::string_view text);

// Full-width small Latin letters (ａ-ｚ) made capitals (Ａ-Ｚ); every other character,
// half-width letters included, is kept. The CP932 length does not change.
std::string ZenToUpper(std::string_view text);

// The first line of a name=value text whose name equals name (case-insensitive), whole, as
// "name=value"; empty when there is none or either argument is empty.
std::string GetValueOfText(std::string_view text, std::string_view name);

// value cut to a number of digits: digits 1 keeps whole units, 2 one decimal, and so on.
// Positive values are cut down after adding a tolerance of 0.000001; negative values go to
// the next lower step (-2.5 with digits 1 gives -3).
long double RoundToDigits(std::int16_t digits, long double value);

// base to the power exponent, as 2 ^ (exponent × log2(base)); 0 when base is 0. Only
// positive bases are meaningful.
long double PowerOf(long double base, long double exponent);

// Sets bit kind - 1 for kind 1 to 24; any other kind leaves flags unchanged.
void SetFlagBit(std::int32_t& flags, std::uint32_t kind);
// Bit (bit - 1) and 31 of flags as 0 or 1: bit 1 is the lowest, bit 32 the highest.
int TestFlagBit(std::uint32_t flags, std::uint8_t bit);

// value scaled from base DPI to target DPI (integer part). A base of 0 means the screen's
// pixels per inch.
std::int32_t ScaleByDpi(std::int32_t value, std::int32_t target, std::int32_t base);

// A design height corrected for sizing frames thicker than four pixels: kind 0 for one frame,
// kind 1 for two, any other kind unchanged.
std::int32_t GetSysMetric(std::int32_t value, std::uint8_t kind);
// The same correction for a given frame thickness (GetSysMetric uses this system's frame).
std::int32_t GetSysMetricForFrame(std::int32_t value, std::uint8_t kind, std::int32_t frame);

// The grey of the same brightness as a colour (0x00BBGGRR); white and black are kept.
std::uint32_t GrayColor(std::uint32_t colour);
