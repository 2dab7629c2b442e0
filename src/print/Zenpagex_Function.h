#pragma once
// Small utilities the print engine's parts share: special folders, tolerant number reading,
// the field splitter for record lines, and the engine's rounding rules.
#include <string>
#include <string_view>
#include <vector>

// Shell folder numbers SpecialFolderPath knows.
enum : int {
  CSIDL_DESKTOP = 0x00,
  CSIDL_PERSONAL = 0x05,  // the user's documents
  CSIDL_DESKTOPDIRECTORY = 0x10,
  CSIDL_APPDATA = 0x1A,
  CSIDL_COMMON_APPDATA = 0x23,
  CSIDL_SYSTEM = 0x25,
};

// The path of a special folder (platform/Folders.h), not created; empty for a number it does
// not know. A failure is shown in an error box and gives an empty path.
std::string SpecialFolderPath(int csidl);

// `text` as a floating-point number ('.' as the decimal point, blanks around allowed); 0 when
// it is not one.
double StrToFloatDef0(std::string_view text);
// `text` as a decimal integer (leading blanks and a sign allowed); `def` when it is empty, not
// a number or out of range.
int StrToIntDef(std::string_view text, int def);

// Splits `line` at every `sep`. Everything from the first "//" on is a comment and is removed
// first. An empty line gives 0 and leaves `fields` as they were; otherwise `fields` becomes the
// pieces 0..n, where n (the result) is the number of separators: the text before the first
// separator, between the separators, and after the last (possibly empty).
int SplitFields(std::string_view line, char sep, std::vector<std::string>& fields);
// Field n of `line` (0 = the text before the first separator), trimmed of blanks; empty when
// the line has fewer than n separators.
std::string FieldAt(std::string_view line, char sep, int n);

// `text` without the characters up to ' ' (blanks, tabs, controls) at both ends.
std::string TrimBlanks(std::string_view text);

// The engine's rounding of real numbers: to the nearest integer, halves to the even neighbour.
int Nearest(double value);
// a × b ÷ c in 64 bits, rounded to the nearest integer with halves away from zero; -1 when c
// is 0 or the result does not fit (the platform's MulDiv; defined once, in ui/SDILayout.cpp).
int MulDiv(int a, int b, int c);
