#pragma once
// The print engine's process-wide state: the job being previewed or printed, the page
// bookkeeping, the paper-scale ratios, the installed-font lists, the form-variable tables and
// the printer the engine works with. The preview, the printing loop and the renderer share it;
// everything runs on the main thread. Tests put it back to its first values with Reset.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "print/Zenpagex_Def.h"
#include "print/Zenpagex_Hensuu.h"

class TChartPanelProvider;

// What the engine asks of the printer currently selected: the paper set in it, its printable
// area and the TrueType option. The printer-settings wrapper implements it.
class TEnginePrinter {
 public:
  virtual ~TEnginePrinter() = default;
  // The paper number set in the printer; 0 when it cannot be read.
  virtual int GetPaper() = 0;
  virtual void SetTTOption(int value) = 0;
  // The printable area in whole millimetres.
  virtual int PrintableWidthMM() = 0;
  virtual int PrintableHeightMM() = 0;
};

struct TZenpagexState {
  TZPGXDEF CurrentJob;

  // Start-up succeeded; preview and printing do nothing without it.
  bool EngineReady = false;
  std::unique_ptr<TEnginePrinter> Printer;

  // Cursor of NextField and FirstField: 1-based position in the line being split.
  int FieldPos = 1;
  // One entry per data page: its automatic page number, or "0" for none.
  std::vector<std::string> PageNumberList;
  int NumberedPages = 1;
  int TotalPages = 1;
  int ShownPage = 1;   // the page the preview shows, the first page of a print
  int PreviewZoom = 10;  // the preview's magnification, 5..20 (10 = 100 %)
  // A paint of the preview is under way; a paint asked for meanwhile only clears it.
  bool PaintBusy = false;
  int DataPageNo = 1;  // the data page being drawn, 1-based index into PageNumberList
  // 2 once PaperSizeMM met a paper outside its table.
  std::uint8_t PaperMode = 0;
  int UserPaperWidth = 0;
  int UserPaperLength = 0;

  // The files of the job being previewed or printed.
  std::string FormFileName;
  std::string DataFileName;

  // Paper-scale ratios per mille; 0 means no scaling.
  double VRatioCur = 0;
  double HRatioCur = 0;

  // Installed faces by character set: Japanese (128), symbol (2), Central European (238),
  // OEM (255) and every face (default).
  std::vector<std::string> FontsShiftJis;
  std::vector<std::string> FontsSymbol;
  std::vector<std::string> FontsEastEurope;
  std::vector<std::string> FontsOem;
  std::vector<std::string> FontsDefault;

  // Form variables, per form page 0..4: variable entry 0 holds the line pitch, entries 1..199
  // the variables in file order; total entries 0..199 the total fields.
  std::array<std::array<TDataField, kFieldSlots>, kFormPages> DataFields;
  std::array<std::array<TTotalField, kFieldSlots>, kFormPages> TotalFields;
  // Page ends read from the form file (0..5).
  int FormPageCount = 0;
  double FormVersion = 0;

  // Origin of the page in 0.1 mm (the margins less the printer's unprintable edge), the extra
  // left shift of even pages; set by the preview and the printing loop.
  int LeftBase = 0;
  int TopBase = 0;
  int EvenShiftCur = 0;
  // The text of the last MESSAGE record drawn on the printer's page.
  std::string MessageText;
  // Set when a record could not be drawn; the printing loop reports the print as failed.
  bool PaintFailed = false;

  // The printing loop: cancel asked for, a page range chosen, pages still to print, the engine
  // repeating the document for copies itself.
  bool CancelRequested = false;
  bool RangeMode = false;
  int PagesLeft = 0;
  bool OwnCollate = false;

  // The registered chart panels (not owned); none in this program.
  TChartPanelProvider* ChartForm = nullptr;

  // Everything back to its first values; the printer is released.
  void Reset();
};

// The one engine state.
TZenpagexState& Zpx();
