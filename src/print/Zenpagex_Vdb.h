#pragma once
// The printer the engine prints on, and its device settings: the paper, the user paper size,
// the TrueType option and the job values (scale, copies, quality, colour, duplex, collation)
// of the printer currently selected, kept per printer, plus the paper lists the printers offer.
//
// Printers are those the system lists (index 0.., -1 the default). Where none is installed, or
// where a PDF file is configured (the constructor's argument, else RENDO_PRINT_PDF in the
// environment), the only printer is a PDF pseudo-printer writing that file. Output goes to a
// temporary file beside the target and takes the target's name only when the print ended
// well, so an aborted or failed print never leaves a half-written file under that name.
//
// A printed job is one output: ending a document and beginning the next one (an orientation
// change, a message between documents, a further copy) continues the same file on a new sheet,
// and the sheet numbers start over at 1.
#include <QPainter>
#include <QPrinter>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "print/Zenpagex_Canvas.h"
#include "print/Zenpagex_Def.h"
#include "print/Zenpagex_State.h"

// Field-mask bits of the device settings.
enum : int {
  DM_ORIENTATION = 0x00000001,
  DM_PAPERSIZE = 0x00000002,
  DM_PAPERLENGTH = 0x00000004,
  DM_PAPERWIDTH = 0x00000008,
  DM_SCALE = 0x00000010,
  DM_COPIES = 0x00000100,
  DM_DEFAULTSOURCE = 0x00000200,
  DM_PRINTQUALITY = 0x00000400,
  DM_COLOR = 0x00000800,
  DM_DUPLEX = 0x00001000,
  DM_YRESOLUTION = 0x00002000,
  DM_TTOPTION = 0x00004000,
  DM_COLLATE = 0x00008000,
};

// The device settings of one printer.
struct TDevMode {
  std::string DeviceName;
  std::string FormName;
  int Fields = DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES | DM_COLOR | DM_DUPLEX;
  int Orientation = 1;  // 1 portrait, 2 landscape
  int PaperSize = 9;
  int PaperLength = 0;  // 0.1 mm, with DM_PAPERLENGTH
  int PaperWidth = 0;
  int Scale = 100;
  int Copies = 1;
  int DefaultSource = 7;
  int PrintQuality = -4;
  int Color = 2;  // 1 monochrome, 2 colour
  int Duplex = 1;
  int YResolution = 0;
  int TTOption = 1;
  int Collate = 0;
};

// One paper a printer offers: its number, name and size in 0.1 mm.
struct TPaperInfo {
  int Number = 0;
  std::string Name;
  int Width = 0;
  int Length = 0;
};

class TVDBPrint : public TEnginePrinter {
 public:
  // The default printer, TrueType option 1.
  explicit TVDBPrint(std::string pdfFile = {});
  ~TVDBPrint() override;

  // The paper named `name` exactly, else the first of `length` × `width` (0.1 mm) within 1 mm,
  // else `def`.
  int GetPaperNumber(const std::string& name, int length, int def, int width);
  int GetPaper() override;
  void SetPaper(int value);
  void SetTTOption(int value) override;
  void SetUserPaperSize(int length, int width);
  void ResetUserPaperSize();
  // The printer's settings into `job`; ColorMode stays as it is.
  void GetDevMode(TZPGXDEF& job);
  // The job's scale, copies, colour, duplex, collation and quality into the printer's settings;
  // colour, duplex and quality only when not 0.
  void SetDevMode(const TZPGXDEF& job);
  int PrintableWidthMM() override;
  int PrintableHeightMM() override;

  // ---- the printer object ----
  std::vector<std::string> Printers() const;
  int PrinterIndex() const { return index_; }
  void SetPrinterIndex(int index);
  std::string PrinterName() const;
  bool IsPdf() const { return pdf_; }
  const std::string& PdfFileName() const { return pdfFile_; }
  void SetPdfFileName(std::string name) { pdfFile_ = std::move(name); }
  std::vector<TPaperInfo> Papers() const;
  TDevMode& DevMode();
  // 0 portrait, 1 landscape.
  int Orientation() { return DevMode().Orientation == 2 ? 1 : 0; }
  void SetOrientation(int orientation) { DevMode().Orientation = orientation == 1 ? 2 : 1; }
  void SetCopies(int copies) { DevMode().Copies = copies; }
  void SetTitle(const std::string& title) { title_ = title; }

  // ---- printing ----
  // Begins a document: the output is opened on the first, later ones continue it on a new sheet
  // in the current orientation. False when the output cannot be opened.
  bool BeginDoc();
  void NewPage();
  // Ends the current document; the output stays open for the next one until Finish.
  void EndDoc();
  // Closes the output and gives it its name; false when nothing could be written.
  bool Finish();
  // Discards the output.
  void Abort();
  bool Printing() const { return painter_.isActive(); }
  // The sheet of the current document, from 1.
  int PageNumber() const { return page_; }
  int LogPixelsX() const;
  int LogPixelsY() const;
  TCanvas& Canvas();

 private:
  void ApplyToPrinter();
  QPageSize PageSizeOf(const TDevMode& dm) const;

  bool pdf_ = false;
  std::string pdfFile_;
  std::string tempFile_;
  int index_ = -1;
  std::map<std::string, TDevMode> devModes_;
  std::string title_;
  QPrinter printer_{QPrinter::HighResolution};
  QPainter painter_;
  std::unique_ptr<TQtCanvas> canvas_;
  int page_ = 0;
};

// The engine's printer as the settings wrapper; nullptr when the engine has another or none.
TVDBPrint* Vdb();
