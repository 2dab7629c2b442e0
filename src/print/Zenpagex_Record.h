#pragma once
// The record files of the print engine: print data files (a 26-line settings header, then the
// records of every page) and form files (a page design drawn under the data, with variable
// definitions). Both are CP932 text on disk, one record per line, CR LF line ends; here they
// are read as UTF-8 lines.
//
// A record is "KIND;field;field;...;": every field, the last one included, is followed by ";".
// There is no escape: a writer turns ";" inside a text into ":", and readers delete every
// double quote, so no field ever holds one. ";" and '"' never occur inside a CP932 or UTF-8
// character, so splitting the converted text gives the same fields as splitting the bytes.
//
// Pages are separated by "E" records; a writer writes the line "E;" between pages and none
// after the last. For counting and skipping pages a line is a page end when its first two
// characters, upper-cased, are "E;" (a bare "E" ends a page when drawn but is not counted).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// ---- record kinds ----

enum class TRecordKind {
  Unknown,      // blank lines, header lines ("*..."), comments, anything else: skipped
  Text,         // TEXT  x; y; text; font; size(10); style; colour; background; alignment; width; anchor
  NText,        // NTEXT as TEXT
  UText,        // UTEXT as TEXT, spread over width
  VText,        // VTEXT as TEXT, set downwards over width
  Memo,         // MEMO x1; y1; x2; y2; text; frame width; font; size; style; colour
  Line,         // LINE x1; y1; x2; y2; width(1) 0.1 mm; pen style; colour
  ELine,        // ELINE as LINE, width in 0.01 mm
  Box,          // BOX x1; y1; x2; y2; width(1); pen style; pen colour; brush colour; brush style
  RRect,        // RRECT x1; y1; x2; y2; corner w; corner h; width; pen style; pen colour; brush colour;
                //   brush style
  Circle,       // CIRCLE x1; y1; x2; y2; width; pen style; pen colour; brush colour; brush style
  FRect,        // FRECT x1; y1; x2; y2; colour; mode (1 first, 0 in order, 2 AND)
  SLine,        // SLINE x; y1; y2; count; width; pen style; colour; font; size
  MaruMoji,     // MARUMOJI x; y; diameter; text; font; size(10); style; colour
  BasePoint,    // BP x; y; width; pen style; colour
  LineB,        // LINEB x; y
  Image,        // IMAGE x1; y1; x2; y2; file; mode
  Chart,        // CHART name; x1; y1; x2; y2; panel
  Form,         // FORM file; variables ("TRUE"); x; y
  Message,      // MESSAGE text
  TopMargin,    // TOPMARGIN value
  LeftMargin,   // LEFTMARGIN value
  Orientation,  // ORIENTATION value (default the job's)
  Variable,     // @ name; text; size(0); style; line offset
  PageEnd,      // E
  VariableDef,  // & (form files) x; y; name; font; size(0 -> 12); style; colour; background; alignment;
                //   width; once; anchor
  TotalDef,     // $ (form files) x; y; name
};

// The kind named by a record's first field, upper-cased ("TEXT", "@", "E" ...).
TRecordKind KindOf(std::string_view upperKind);

// ---- vocabularies ----

struct TNamedColor {
  std::string_view Name;
  std::int32_t Color;  // $00BBGGRR
};
// The sixteen colour names, in the order of their numbers 0..15.
inline constexpr TNamedColor kNamedColors[16] = {
    {"黒", 0x000000},   {"栗", 0x000080}, {"緑", 0x008000},   {"黄緑", 0x008080},
    {"濃紺", 0x800000}, {"紫", 0x800080}, {"暗青緑", 0x808000}, {"灰", 0x808080},
    {"銀", 0xC0C0C0},   {"赤", 0x0000FF}, {"濃緑", 0x00FF00}, {"青", 0xFF0000},
    {"赤紫", 0xFF00FF}, {"空", 0xFFFF00}, {"白", 0xFFFFFF},   {"黄", 0x00FFFF},
};
inline constexpr std::string_view kNetColor1Name = "薄網掛";  // the job's NetColor1, number 40
inline constexpr std::string_view kNetColor2Name = "濃網掛";  // the job's NetColor2, number 41

// Pen style numbers of the line and frame records.
enum TPenStyleCode {
  psSolid = 0, psDash = 1, psDot = 2, psDashDot = 3, psDashDotDot = 4, psClear = 5, psInsideFrame = 6
};
// Brush style numbers of the filled records.
enum TBrushStyleCode {
  bsSolid = 0, bsClear = 1, bsHorizontal = 2, bsVertical = 3,
  bsFDiagonal = 4, bsBDiagonal = 5, bsCross = 6, bsDiagCross = 7
};

// The face an empty font field selects.
inline constexpr std::string_view kDefaultFontName = "ＭＳ 明朝";
// The twelfth field that marks the page-number line the renderer adds itself.
inline constexpr std::string_view kAutoPageMark = "*AUTO*";
// The first ten characters of every print data file.
inline constexpr std::string_view kDataFileMagic = "*ZENPAGEX*";
inline constexpr int kHeaderLineCount = 26;
// First and last line of the header block, 70 characters each.
std::string HeaderFirstLine();
std::string HeaderLastLine();

// True for a line that ends a page when pages are counted or skipped.
bool IsPageEndLine(std::string_view line);

// ---- reading records ----

// The field of `line` that starts at the 1-based position `fieldPos`: the text up to the next
// `sep`, after which the cursor stands one past that separator. A field that runs to the end
// of the line without a separator is returned whole and leaves the cursor past the end; past
// the end every field is empty and the cursor stays. Nothing past the line is ever read.
std::string ReadField(std::string_view line, char sep, int& fieldPos);

// One record line, read field by field from the kind on.
//
//   TRecordLine r(line);
//   if (r.Kind() == "TEXT") { int x = r.NextInt(); int y = r.NextInt(); std::string t = r.Next(); ... }
//
// The line is prepared as every reader of the engine prepares it: a trailing CR is dropped,
// `terminator` is appended unless the line ends with ";" (";" for page records; the reader
// of form variables appends ";0;"), and every double quote is deleted. Fields past the end
// read as empty, so a record that stops early gives every later field its default.
class TRecordLine {
 public:
  explicit TRecordLine(std::string_view line, std::string_view terminator = ";");

  const std::string& Text() const { return text_; }
  // The first field, upper-cased.
  const std::string& Kind() const { return kind_; }
  TRecordKind KindCode() const { return KindOf(kind_); }
  // The next field as written.
  std::string Next();
  // The next field as a number; `def` when it is empty or not a number.
  int NextInt(int def = 0);

  int FieldPos = 1;  // 1-based byte position of the next field

 private:
  std::string text_;
  std::string kind_;
};

// ---- record files ----

// A record file read forward line by line. Assign names the file; Reset reads it (CP932 on
// disk) and stands at the first line, also again later to start over. Lines end at CR LF, LF
// or CR; a break at the very end of the file does not start another line.
class TTextFile {
 public:
  void Assign(std::string path);
  const std::string& Name() const { return path_; }
  // Throws std::runtime_error when the file cannot be read.
  void Reset();
  void Close();
  bool IsOpen() const { return open_; }
  // True when no line is left to read (and when the file is not open).
  bool Eof() const { return !open_ || next_ >= lines_.size(); }
  // The next line without its break; empty at the end.
  std::string ReadLn();

 private:
  std::string path_;
  std::vector<std::string> lines_;
  std::size_t next_ = 0;
  bool open_ = false;
};
