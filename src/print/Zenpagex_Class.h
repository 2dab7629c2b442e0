#pragma once
// The writer component: a client sets its properties, opens a print data file, writes text,
// line and box records and page ends, closes the file and previews or prints it.
//
//   TZenpagex zp;
//   zp.DataFile = folder + "/list.zpx";
//   zp.Title = "データリスト";
//   zp.OpenDataFile(true);            // a fresh unique name in that folder
//   zp.WriteText(100, 200, "見出し", "ＭＳ 明朝", 12, "B", "黒", "OFF", "LEFT", 0);
//   zp.NewPage();
//   ...
//   zp.CloseDataFile();
//   zp.Preview();
//
// The file is CP932 on disk, one record per line, CR LF line ends. Texts are UTF-8 here; the
// widths that fit a text count CP932 bytes and never cut a character. A CR, LF or NUL inside
// any text written is turned into a blank, so one record always stays one line (a line break
// would otherwise let the tail of a text become a record of its own).
//
// Properties whose setter has a rule are methods; the others are plain members. Positions and
// margins are in 0.1 mm, colours $00BBGGRR.
#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "print/Zenpagex_Def.h"

class TZenpagex {
 public:
  TZenpagex();
  ~TZenpagex();
  TZenpagex(const TZenpagex&) = delete;
  TZenpagex& operator=(const TZenpagex&) = delete;

  // ---- plain properties ----
  std::string DataFile;
  std::string FormFile;
  std::string Title;
  std::string DocTitle;  // the job's name in the printer queue; empty: Title
  std::int32_t OcrGreen = 0x2CBE00, OcrBlue = 0xAC661F, OcrBrown = 0x23234D, OcrPink = 0x7F02F0,
               OcrOrange = 0x41B3FE, OcrViolet = 0x903D57, OcrPurple = 0x741A82;
  int Orientation = 0;  // 0 portrait, 1 landscape
  int PaperSize = 9;
  int OutPutPaper = 0;  // 0: PaperSize
  std::string PaperName = "A4";
  int LeftMargin = 0, TopMargin = 0;
  int EvenLeftMargin = 0;  // 0: LeftMargin
  int LeftCorrect = 0, TopCorrect = 0;
  int FormLeftMargin = 0, FormTopMargin = 0;
  int PageNo = 1;  // counted up by NewPage
  bool PrintFom = true;
  bool PrnDlg = true;
  int PrinterNum = -1;  // set at creation to the engine printer's index
  int BinNum = 0;       // carried only
  std::int32_t NetColor1 = 0xC0C0C0, NetColor2 = 0xC0C0C0;
  std::int32_t UserColor1 = 0, UserColor2 = 0;
  bool SizeChange = false;  // carried only
  int PaperLength = 2970, PaperWidth = 2100;
  bool ModeSw = false;  // carried only
  bool Permit = true;   // printing allowed from the preview
  int PosCenter = 0;    // carried only
  bool CurrentPage = true;
  bool ImageOut = false;  // carried only
  int LineMaxCount = 0;   // carried only
  bool DelFile = true;    // delete the data file after Preview or Print
  int BlankPage = 0;      // non-zero: every page gets an invisible box, so none counts as blank
  bool GrayScale = false;
  bool PageBango = false;  // switched off again after every Preview and Print
  int PageBangoLeft = 0, PageBangoTop = 0;
  std::string PageBangoFontName = "ＭＳ 明朝";
  int PageBangoFontSize = 10;
  bool PrevPaperButton = false, NextPaperButton = false;

  // ---- properties with a setter rule ----
  const std::string& OcrFontName() const { return ocrFontName_; }
  // Empty: the first installed of "OCR-B", "OCRB", else "ＭＳ ゴシック"; another name only
  // when that font is installed.
  void SetOcrFontName(std::string_view name);
  int Copie() const { return copie_; }
  void SetCopie(int v);  // 1..99, else ignored
  int Zoom() const { return zoom_; }
  void SetZoom(int v);  // 5..20, else ignored
  int Scale() const { return scale_; }
  void SetScale(int v);  // 50..150, else ignored
  int PrintQuality() const { return printQuality_; }
  void SetPrintQuality(int v);  // -4..-1, else ignored
  int ColorMode() const { return colorMode_; }
  void SetColorMode(int v);  // above 2 or negative: 0
  int Duplex() const { return duplex_; }
  void SetDuplex(int v);  // 1..3, else ignored
  int Collate() const { return collate_; }
  void SetCollate(int v);  // 0 or 1, else ignored
  int VRATIO() const { return vratio_; }
  void SetVRATIO(int v);  // -50..50: 1000 + v; outside 950..1050 afterwards: 1000
  int HRATIO() const { return hratio_; }
  void SetHRATIO(int v);
  const std::string& PageBangoFormat() const { return pageBangoFormat_; }
  // Takes a format with one or two "%d" (any case) that formats; anything else switches the
  // page numbers off and puts back "(%d/%d)".
  void SetPageBangoFormat(std::string_view format);
  int PlaceholderCount() const { return placeholderCount_; }
  enum TPageBangoAlignment { pbLeft = 0, pbCenter = 1, pbRight = 2 };
  int PageBangoAlignment() const { return pageBangoAlignment_; }
  void SetPageBangoAlignment(int code);  // 0 left, 1 centre, 2 right; else ignored
  // Result of the last Preview (0 closed, -1 previous report, 1 next) or Print (1 printed).
  int PreviewCloseNum() const { return previewCloseNum_; }

  // ---- writing ----
  // With `useTempName`, DataFile becomes a new unique file in DataFile's folder first. Creates
  // or empties DataFile and writes the header. Throws std::ios_base::failure when the file
  // cannot be created.
  void OpenDataFile(bool useTempName);
  // The 26 header lines, once per opened file.
  void WriteHeader();
  void CloseDataFile();
  void NewPage();
  void WriteText(int x, int y, std::string_view text, std::string_view fontName, int fontSize, std::string_view style,
                 std::string_view colour, std::string_view background, std::string_view align, int width);
  void WriteTextEx(int x, int y, std::string_view text, std::string_view fontName, int fontSize,
                   std::string_view style, std::string_view colour, std::string_view background,
                   std::string_view align, int anchor, int width);
  // ELINE (width in 0.01 mm) when `extended`, else LINE.
  void WriteLine(int x1, int y1, int x2, int y2, int width, int penStyle, std::string_view colour, bool extended);
  void WriteBox(int x1, int y1, int x2, int y2, int width, int penStyle, std::string_view penColour,
                std::string_view brushColour, int brushStyle);

  // Shows the file in the preview window; true unless the preview did not run or was
  // closed with result 0.
  bool Preview();
  // Prints the file; true when it was printed.
  bool Print();

  // ---- helpers ----
  // ";" turned into ":".
  static std::string SafeText(std::string_view text);
  // "OFF" and "ON" both as "1" (transparent); anything else unchanged.
  static std::string BackgroundText(std::string_view value);
  // Fitted to `width` CP932 bytes: padded behind, or cut keeping the start.
  static std::string PadLeftText(std::string_view text, int width);
  // Fitted to `width` CP932 bytes: padded in front, or cut keeping the end.
  static std::string PadRightText(std::string_view text, int width);
  // Up to 126 blanks; nothing for a larger count.
  static std::string SpaceText(int count);
  // A new, empty file with a unique name starting with "~" in `folder`, created exclusively;
  // its full path. Throws std::ios_base::failure when none can be created.
  static std::string MakeTempFileName(const std::string& folder);
  static std::string BoolText(bool value) { return value ? "TRUE" : "FALSE"; }
  // `format` with its conversions filled from `numbers` by the engine's own formatter; nullopt
  // when the format does not fit them (too few numbers, a conversion that takes no number).
  static std::optional<std::string> TryFormat(std::string_view format, std::initializer_list<int> numbers);

 private:
  // One record line, written as CP932 with CR LF.
  void WriteRecord(std::string_view line);
  void FillJob(TZPGXDEF& job) const;
  void AfterSteps(const TZPGXDEF& job);
  // The open file is given up: closed, and removed when the writer created it under a
  // temporary name.
  void Abandon();

  std::string ocrFontName_;
  int copie_ = 1;
  int zoom_ = 10;
  int scale_ = 100;
  int printQuality_ = 0;
  int colorMode_ = 0;
  int duplex_ = 0;
  int collate_ = 0;
  int vratio_ = 1000;
  int hratio_ = 1000;
  std::string pageBangoFormat_ = "(%d/%d)";
  int placeholderCount_ = 2;
  int pageBangoAlignment_ = pbRight;
  int previewCloseNum_ = 0;

  std::ofstream out_;
  bool headerWritten_ = false;
  bool tempFile_ = false;  // the open file was created under a temporary name
};
