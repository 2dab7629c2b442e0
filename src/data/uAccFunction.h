#pragma once
// Text, amount and Shift-JIS string helpers used throughout the program.
//
// Texts are UTF-8. Every width, length and position below counts CP932 (Shift-JIS) bytes:
// a full-width character takes two bytes, a half-width katakana one. Fixed-width work is done
// on the CP932 form of the text, so a double-byte character is never left cut in half; a
// character CP932 cannot hold comes back as '?' from the functions that work on that form.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Currency.h"
#include "platform/DateTime.h"

// Rounds an amount to whole yen. Mode 0 drops the fraction (toward zero); mode 2 moves any
// fraction to the next whole yen away from zero; every other mode rounds half away from zero.
// Throws std::overflow_error when the rounded amount does not fit an amount.
Currency RoundCurrency(int mode, Currency amount);

// Display text of a date: style 2 "yy/mm/dd", style 4 "yyyy/mm/dd", any other style
// "yyyy/mm/dd hh:nn". The zero date gives an empty text.
std::string FormatDateText(int style, TDateTime date);

// The text without half-width blanks (and any other character up to the blank: tabs, line
// breaks, control characters) and full-width spaces at both ends.
std::string TrimZenkaku(std::string_view text);

// The text without any half-width or full-width space, wherever it stands.
std::string RemoveBlanks(std::string_view text);

// A run of count half-width spaces; empty for a count of 0 or less.
std::string MakeBlanks(int count);

// Left-aligned field of exactly width bytes: padded with blanks or cut, and a double-byte
// character cut in half at the end becomes a blank. Empty for a width of 0 or less.
std::string PadRightSJIS(std::string_view text, int width);

// Right-aligned field of exactly width bytes: blanks in front of a shorter text, the last
// width bytes of a longer one. Empty for a width of 0 or less.
std::string PadLeft(std::string_view text, int width);

int BoolToInt(bool value);

bool IsNotEmpty(std::string_view text);
// Flag-word form used by the neighbouring subsystems: true for any non-zero value.
bool IsNotEmpty(int value);

// Splits text at every occurrence of separator, after cutting off a "//" comment. parts is
// replaced by the parts found, but never receives more than capacity of them. Returns the
// number of separators found (so a text with n separators has n + 1 parts); an empty text (or
// one that is only a comment) returns 0 and leaves parts empty.
int SplitText(std::string_view text, std::string_view separator, std::vector<std::string>& parts,
              std::size_t capacity);

bool IsSJISLeadByte(unsigned char b);
bool IsSJISTrailByte(unsigned char b);

// CP932 bytes with every byte of a broken double-byte pair replaced by a blank (a lead byte
// at the end, or a lead byte followed by a byte that cannot follow it). The length never
// changes. For callers holding raw Shift-JIS bytes (file and database images).
std::string BlankSplitSJISBytes(std::string_view cp932);
// The same repair on a UTF-8 text, applied to its CP932 form.
std::string BlankSplitSJIS(std::string_view text);

// Conversions of the typed settings stores.
// True when the text, upper-cased, is "TRUE".
bool TextIsTrue(std::string_view text);
// "TRUE" or "FALSE".
std::string BoolToText(bool value);
// The amount the text holds; 0 when the text is not a valid amount.
Currency SafeStrToCurr(std::string_view text);
// The date of a "yyyy/mm/dd" text (the form FormatDateText style 4 writes); the zero date
// when the text is not a valid date.
TDateTime SafeStrToDate(std::string_view text);
