#pragma once
// The options of one report as the print options dialog edits them and the report writers read
// them: the report's settings name, black-and-white or colour, the first page number, margins
// for both sides, the font and its sizes, the four report colours and the report's own option
// text ("key=value" lines). Headless: the report writers of other layers use it too.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// Face names of the report fonts by print font index.
inline constexpr std::array<const char*, 4> PrintFontNames = {"ＭＳ 明朝", "ＭＳ ゴシック", "ＭＳ Ｐ明朝",
                                                               "ＭＳ Ｐゴシック"};
// The face name of a print font index; index 0's for an index outside the table.
std::string PrintFontName(std::int32_t index);

struct TDefaultPrintRec {
  std::string Name;             // settings name of the report; the key of its STYLECOLOR row
  std::int32_t ColorMode = 0;   // 0 black and white, 1 colour
  std::int32_t StartPage = 1;   // number printed on the first page
  bool BothSides = false;       // the margin of even pages on the right
  std::int32_t FontIndex = 0;   // into PrintFontNames
  std::int32_t TitleSize = 16;  // points
  std::int32_t HeadingSize = 9;
  std::int32_t BodySize = 10;
  std::int32_t LineColor1 = 0;  // frame lines ($00BBGGRR)
  std::int32_t LineColor2 = 0;  // grid lines
  std::int32_t NetColor1 = 0;   // heading-row shading
  std::int32_t NetColor2 = 0;   // total-row shading
  std::string Settings;         // "key=value" lines, each ended by CR LF
};

// The defaults: everything as above, the four colours the operator's environment colours
// (SystemDef.PLineColor1, PLineColor2, NetColor1, NetColor2).
void SetDefaultPrintRec(TDefaultPrintRec& rec);

// The STYLECOLOR name of a report: `prefix` and the name with its ASCII letters upper-cased,
// cut to 40 Shift-JIS bytes (a double-byte character cut in half becomes a blank), without
// blanks at either end. "DataSentakuList" gives "020-DATASENTAKULIST".
std::string MakeStyleName(std::string_view name, std::string_view prefix = "020-");
