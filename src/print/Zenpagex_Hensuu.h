#pragma once
// Form variables. A form file may define, page by page, named places where data go ("&"
// lines: a position and a full set of text attributes), a line pitch for the page (a "&" line
// named "行間" or "0", the pitch in its width field) and total fields ("$" lines, recorded,
// never drawn). HensuuYomikomi reads the definitions of a whole form file into the engine's
// tables (Zenpagex_State.h); the renderer draws an "@" record of a data page with the
// attributes of the variable it names on the matching form page.
//
// The tables hold form pages 0..4. A form page outside them has no variables: its "@"
// records draw nothing.
#include <string>
#include <string_view>

#include "platform/Currency.h"

inline constexpr int kFormPages = 5;
inline constexpr int kFieldSlots = 202;
// The "&" and "$" lines of a page beyond these are ignored.
inline constexpr int kVariableLimit = 200;  // variables take entries 1..199
inline constexpr int kTotalLimit = 200;     // totals take entries 0..199
// Lookups by name see only the first entries of a page.
inline constexpr int kFindLimit = 100;

// One variable definition. The defaults are the values of an unused entry.
struct TDataField {
  int UseCount = 0;  // uses so far on the page being drawn
  std::string Name;  // upper-cased
  int X = 0;         // 0.1 mm, the reading offset included
  int Y = 0;
  std::string FontName = "ＭＳ 明朝";  // as written
  int FontSize = 10;                   // points; a definition with 0 gets 12
  std::string Style;                   // upper-cased
  int Colour = 0;      // looked up by ColorByName without a layer
  int Background = 0;  // looked up by BackgroundByName: 1 transparent, $FFFFFF white, a colour
  int Alignment = 0;   // 0 left, 1 centre, 2 right
  int Width = 0;       // above 0 the text is spread over it; in entry 0 the page's line pitch
  int Once = 0;        // 1: drawn only at the first use on a page
  int Anchor = 0;      // 1: the position is the centre of the first character

  bool operator==(const TDataField&) const = default;
};

// One total-field definition.
struct TTotalField {
  std::string Name;  // upper-cased
  int X = 0;
  int Y = 0;
  Currency Total;
  bool Used = false;  // a later "$" line named it again

  bool operator==(const TTotalField&) const = default;
};

// Replaces all tables by the definitions of `fileName`, positions offset by (offsetX,
// offsetY) in 0.1 mm. A missing file is reported and leaves the tables empty; a failure while
// reading is logged and keeps what was read. Always true.
bool HensuuYomikomi(const std::string& fileName, int offsetX, int offsetY);
// The entry 1..100 of `formPage` whose name equals `name` upper-cased; 0 when none, and for a
// page outside the tables.
int FindDataField(int formPage, std::string_view name);
// True when entries 0..100 of the page's totals hold `name` (upper-cased); the entry found is
// marked Used.
bool FindTotalField(int formPage, std::string_view name);
// FormVersion: the number between the first two double quotes of the first line containing
// "VER" that holds one above 0; 1.75 without such a line or file.
void ReadFormVersion(const std::string& fileName);

// The use of a variable by an "@" record on `formPage`.
struct TVariableUse {
  bool Draw = false;  // false: nothing is drawn for the record
  TDataField Field;   // the attributes to draw with, the line advance applied to Y
};
// Resolves an "@" record naming `name`: the record's `size` and `style` replace the
// variable's when non-zero and non-empty. With a line pitch p on the page, the n-th use (from
// 0) lies n × p lower, at most at `bottomLimit` (0.1 mm), and counts as a use even when a
// variable drawn once draws nothing. Unknown names, and pages outside the tables, draw nothing.
TVariableUse UseDataField(int formPage, std::string_view name, int size, std::string_view style, int bottomLimit);
// Every variable of `formPage` unused again (at the start of each drawn page).
void ResetUseCounts(int formPage);
