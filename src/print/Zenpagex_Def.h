#pragma once
// The settings of one print job, as every part of the print engine reads them: file names,
// paper, margins and corrections, colours, printer options, switches of the preview window
// and the automatic page number. The engine's own instance is CurrentJob in the engine state
// (print/Zenpagex_State.h); writers and callers of the print entry fill records of their own.
//
// Positions and margins are in 0.1 mm, scale corrections per mille (1000 = none), colours
// $00BBGGRR or $FF0000nn for system colour nn. A default-constructed record holds the values
// the engine starts with.
//
// File paths are kept whole, however long. The display texts (titles, device, form and paper
// names) hold at most JobTextBytes CP932 bytes; whoever stores one cuts it with JobText.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The engine's version text, written into every print data file's header and into the
// default job name.
inline constexpr std::string_view EngineVersion = "VCL.2.5";

// The automatic page number printed on every numbered data page.
struct TPAGEBANGO {
  bool Switch = false;
  int Left = 0;           // x of the number
  int Top = 0;            // y of the number
  int Alignment = 2;      // 0 left, 1 centre, 2 right, applied at Left
  std::string FontName = "ＭＳ 明朝";
  int FontSize = 10;      // points
  std::string Format = "(%d/%d)";  // the page number and, optionally, the numbered pages
  int Count = 0;          // how many "%d" Format holds; a number is printed only for 1 or 2

  bool operator==(const TPAGEBANGO&) const = default;
};

struct TZPGXDEF {
  std::string FormFile;     // form drawn under the data; empty: no form layer
  std::string DataFile;     // the print data file
  std::string Title;
  std::string DeviceName;   // as read from the printer
  std::string FormName;     // paper form name as read from the printer
  std::string DocTitle;     // name of the print job in the printer queue
  int PrinterNum = -1;      // index in the printer list; -1 the default printer
  int PaperSize = 0;        // paper number (8 A3, 9 A4, 11 A5, 12 B4, 13 B5 ...); 0: find it
  int OutPutPaper = 0;      // paper to put into the printer instead; 0: PaperSize
  int VRATIO = 1000;        // vertical correction on the job's own paper, per mille
  int HRATIO = 1000;        // horizontal correction, per mille
  std::string PaperName = "A4";
  int Orientation = 0;      // 0 portrait, 1 landscape
  int TopMargin = 0;
  int LeftMargin = 0;
  int EvenShift = 0;        // extra left shift of even pages
  int TopCorrect = 0;       // applied when printing only
  int LeftCorrect = 0;      // applied when printing only
  int FormTopMargin = 0;    // extra offsets of the form layer
  int FormLeftMargin = 0;
  int BinNum = 7;           // paper source; 7 automatic
  std::int32_t NetColor1 = 0xC0C0C0;   // "薄網掛"
  std::int32_t NetColor2 = 0xC0C0C0;   // "濃網掛"
  std::int32_t UserColor1 = 0x000000;  // "UCOLOR1"
  std::int32_t UserColor2 = 0x000000;  // "UCOLOR2"
  std::int32_t OcrGreen = 0x2CBE00;
  std::int32_t OcrBlue = 0xAC661F;
  std::int32_t OcrBrown = 0x23234D;
  std::int32_t OcrPink = 0x7F02F0;
  std::int32_t OcrOrange = 0x41B3FE;
  std::int32_t OcrViolet = 0x903D57;
  std::int32_t OcrPurple = 0x741A82;
  bool PrintFom = true;     // print the form; off: shown light grey on screen, not printed
  bool PrnDlg = true;       // page-range dialog before printing
  int Zoom = 10;            // 5..20, 10 = 100 %
  bool SizeChange = false;  // carried only
  bool ImageOut = false;    // carried only
  bool CurrentPage = true;  // the preview offers printing the shown page
  bool PrevPaperButton = false;
  bool NextPaperButton = false;
  bool ModeSw = true;       // carried only
  int PaperLength = 2970;
  int PaperWidth = 2100;
  int Scale = 100;          // per cent
  int Copies = 1;
  int PrintQuality = -4;    // -4 high ... -1 draft, or dots per inch
  int ColorMode = 0;        // 0 leave, 1 monochrome, 2 colour
  int Duplex = 1;           // 1 simplex, 2 vertical, 3 horizontal
  int Collate = 0;
  int YResolution = 0;
  bool Permit = true;       // printing allowed from the preview
  bool GrayScale = false;   // every colour drawn as its grey
  int DevFields = 0;        // the printer's field mask as read
  TPAGEBANGO PageBango;

  bool operator==(const TZPGXDEF&) const = default;
};

// The most CP932 bytes a display text of the record holds.
inline constexpr std::size_t JobTextBytes = 63;

// `text` cut to JobTextBytes CP932 bytes, never inside a character.
std::string JobText(std::string_view text);

// The page set-up a caller's job hands on to the engine's own: title, printer, paper, margins
// and corrections, colours, zoom, copies and the printer's modes. Files, buttons, the
// permission, the OCR colours and the page-number record are left to each caller.
void TakeOverPageSetup(TZPGXDEF& cur, const TZPGXDEF& job);
