#include "print/Zenpagex_Vdb.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrinterInfo>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <system_error>

#include "print/Zenpagex_Colors.h"
#include "print/Zenpagex_Function.h"
#include "print/Zenpagex_Pages.h"

namespace {

// The papers of the PDF pseudo-printer: the engine's paper table.
struct PdfPaper {
  int number;
  const char* name;
};
constexpr PdfPaper kPdfPapers[] = {
    {8, "A3"}, {9, "A4"}, {11, "A5"}, {12, "B4"}, {13, "B5"}, {16, "10x14"},
    {17, "11x17"}, {44, "9x11"}, {45, "10x11"}, {46, "15x11"}, {90, "12x11"},
};

// The engine's paper numbers by size, for the pages a system printer lists.
int NumberBySize(int widthMM, int lengthMM) {
  for (const auto& p : kPdfPapers) {
    const TPaperMM size = PaperSizeMM(p.number);
    if (std::abs(size.Width - widthMM) <= 1 && std::abs(size.Height - lengthMM) <= 1) return p.number;
  }
  return 0;
}

void LogFailure(const char* context, const std::exception& e) { WriteErrorLog(std::string(context) + ":" + e.what()); }

}  // namespace

TVDBPrint::TVDBPrint(std::string pdfFile) {
  if (pdfFile.empty()) {
    if (const char* configured = std::getenv("RENDO_PRINT_PDF"); configured && *configured) pdfFile = configured;
  }
  pdf_ = !pdfFile.empty() || QPrinterInfo::availablePrinterNames().isEmpty();
  pdfFile_ = !pdfFile.empty() ? pdfFile : SpecialFolderPath(CSIDL_PERSONAL) + "/Zenpagex_Print.pdf";
  index_ = -1;
  DevMode().TTOption = 1;
}

TVDBPrint::~TVDBPrint() {
  if (painter_.isActive()) Abort();
}

std::vector<std::string> TVDBPrint::Printers() const {
  if (pdf_) return {"PDF"};
  std::vector<std::string> names;
  for (const QString& n : QPrinterInfo::availablePrinterNames()) names.push_back(n.toStdString());
  return names;
}

std::string TVDBPrint::PrinterName() const {
  if (pdf_) return "PDF";
  const auto names = Printers();
  if (index_ >= 0 && index_ < static_cast<int>(names.size())) return names[static_cast<std::size_t>(index_)];
  return QPrinterInfo::defaultPrinterName().toStdString();
}

void TVDBPrint::SetPrinterIndex(int index) {
  const int count = static_cast<int>(Printers().size());
  index_ = index >= 0 && index < count ? index : -1;
}

TDevMode& TVDBPrint::DevMode() {
  const std::string name = PrinterName();
  auto it = devModes_.find(name);
  if (it == devModes_.end()) {
    TDevMode dm;
    dm.DeviceName = JobText(name).substr(0, 31);
    it = devModes_.emplace(name, dm).first;
  }
  return it->second;
}

std::vector<TPaperInfo> TVDBPrint::Papers() const {
  std::vector<TPaperInfo> papers;
  if (pdf_) {
    for (const auto& p : kPdfPapers) {
      const TPaperMM size = PaperSizeMM(p.number);
      papers.push_back({p.number, p.name, size.Width * 10, size.Height * 10});
    }
    return papers;
  }
  const QPrinterInfo info = QPrinterInfo::printerInfo(QString::fromStdString(PrinterName()));
  for (const QPageSize& ps : info.supportedPageSizes()) {
    const QSizeF mm = ps.size(QPageSize::Millimeter);
    const int w = static_cast<int>(mm.width() * 10 + 0.5), l = static_cast<int>(mm.height() * 10 + 0.5);
    int number = NumberBySize(Nearest(mm.width()), Nearest(mm.height()));
    if (number == 0) number = ps.windowsId();
    papers.push_back({number, ps.name().toStdString(), w, l});
  }
  return papers;
}

int TVDBPrint::GetPaperNumber(const std::string& name, int length, int def, int width) {
  int result = def;
  try {
    const auto papers = Papers();
    if (!name.empty()) {
      for (const auto& p : papers) {
        if (p.Name == name) return p.Number;
      }
    }
    if (length > 0 && width > 0) {
      for (const auto& p : papers) {
        if (length - 10 < p.Length && p.Length < length + 10 && width - 10 < p.Width && p.Width < width + 10) {
          return p.Number;
        }
      }
    }
  } catch (const std::exception& e) {
    LogFailure("Vdb.GetPaperNumber", e);
  }
  return result;
}

int TVDBPrint::GetPaper() {
  try {
    return DevMode().PaperSize;
  } catch (const std::exception& e) {
    LogFailure("Vdb.GetPaper", e);
    return 0;
  }
}

void TVDBPrint::SetPaper(int value) { DevMode().PaperSize = value; }

void TVDBPrint::SetTTOption(int value) { DevMode().TTOption = value; }

void TVDBPrint::SetUserPaperSize(int length, int width) {
  TDevMode& dm = DevMode();
  dm.Fields |= DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH;
  dm.PaperLength = length;
  dm.PaperWidth = width;
}

void TVDBPrint::ResetUserPaperSize() {
  TDevMode& dm = DevMode();
  dm.Fields &= ~(DM_PAPERLENGTH | DM_PAPERWIDTH);
  dm.PaperLength = 0;
  dm.PaperWidth = 0;
}

void TVDBPrint::GetDevMode(TZPGXDEF& job) {
  try {
    TDevMode& dm = DevMode();
    job.DeviceName = dm.DeviceName;
    job.FormName = dm.FormName;
    job.PrinterNum = index_;
    job.PaperLength = dm.PaperLength;
    job.PaperWidth = dm.PaperWidth;
    job.Orientation = dm.Orientation - 1;
    job.Scale = dm.Scale;
    job.Copies = dm.Copies;
    job.PrintQuality = dm.PrintQuality;
    job.Duplex = dm.Duplex;
    job.Collate = dm.Collate;
    job.BinNum = dm.DefaultSource;
    job.YResolution = dm.YResolution;
    job.DevFields = dm.Fields;
  } catch (const std::exception& e) {
    LogFailure("Vdb.GetDevMode", e);
  }
}

void TVDBPrint::SetDevMode(const TZPGXDEF& job) {
  try {
    TDevMode& dm = DevMode();
    dm.Fields |= DM_COLLATE;
    dm.Scale = static_cast<std::int16_t>(job.Scale);
    dm.Copies = static_cast<std::int16_t>(job.Copies);
    if (job.ColorMode != 0) dm.Color = job.ColorMode;
    if (job.Duplex != 0) dm.Duplex = job.Duplex;
    dm.Collate = static_cast<std::int16_t>(job.Collate);
    if (job.PrintQuality != 0) dm.PrintQuality = static_cast<std::int16_t>(job.PrintQuality);
  } catch (const std::exception& e) {
    LogFailure("Vdb.SetDevMode", e);
  }
}

QPageSize TVDBPrint::PageSizeOf(const TDevMode& dm) const {
  if ((dm.Fields & DM_PAPERLENGTH) && (dm.Fields & DM_PAPERWIDTH) && dm.PaperLength > 0 && dm.PaperWidth > 0) {
    return QPageSize(QSizeF(dm.PaperWidth / 10.0, dm.PaperLength / 10.0), QPageSize::Millimeter, "User",
                     QPageSize::ExactMatch);
  }
  for (const auto& p : Papers()) {
    if (p.Number == dm.PaperSize) {
      return QPageSize(QSizeF(p.Width / 10.0, p.Length / 10.0), QPageSize::Millimeter, QString::fromStdString(p.Name),
                       QPageSize::ExactMatch);
    }
  }
  return QPageSize(QPageSize::A4);
}

void TVDBPrint::ApplyToPrinter() {
  const TDevMode& dm = DevMode();
  if (pdf_) {
    printer_.setOutputFormat(QPrinter::PdfFormat);
    printer_.setFullPage(true);
  } else {
    printer_.setPrinterName(QString::fromStdString(PrinterName()));
    printer_.setFullPage(false);
  }
  const QPageLayout::Orientation o = dm.Orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait;
  printer_.setPageLayout(QPageLayout(PageSizeOf(dm), o, QMarginsF(0, 0, 0, 0)));
  printer_.setCopyCount(std::max(1, dm.Copies));
  printer_.setCollateCopies(dm.Collate == 1);
  if (dm.Color == 1) printer_.setColorMode(QPrinter::GrayScale);
  else if (dm.Color == 2) printer_.setColorMode(QPrinter::Color);
  printer_.setDuplex(dm.Duplex == 2 ? QPrinter::DuplexLongSide
                     : dm.Duplex == 3 ? QPrinter::DuplexShortSide
                                       : QPrinter::DuplexNone);
  printer_.setDocName(QString::fromStdString(title_));
}

int TVDBPrint::PrintableWidthMM() {
  if (pdf_) return Orientation() == 1 ? PaperSizeMM(GetPaper()).Height : PaperSizeMM(GetPaper()).Width;
  ApplyToPrinter();
  return static_cast<int>(printer_.pageLayout().paintRect(QPageLayout::Millimeter).width());
}

int TVDBPrint::PrintableHeightMM() {
  if (pdf_) return Orientation() == 1 ? PaperSizeMM(GetPaper()).Width : PaperSizeMM(GetPaper()).Height;
  ApplyToPrinter();
  return static_cast<int>(printer_.pageLayout().paintRect(QPageLayout::Millimeter).height());
}

int TVDBPrint::LogPixelsX() const { return printer_.logicalDpiX(); }
int TVDBPrint::LogPixelsY() const { return printer_.logicalDpiY(); }

bool TVDBPrint::BeginDoc() {
  if (painter_.isActive()) {
    // The next document continues the output on a new sheet, turned as the printer now is.
    const QPageLayout::Orientation o = DevMode().Orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait;
    printer_.setPageOrientation(o);
    printer_.newPage();
    page_ = 1;
    return true;
  }
  ApplyToPrinter();
  if (pdf_) {
    tempFile_ = pdfFile_ + ".part";
    std::error_code ec;
    std::filesystem::remove(std::filesystem::u8path(tempFile_), ec);
    printer_.setOutputFileName(QString::fromStdString(tempFile_));
  } else {
    printer_.setOutputFileName({});
  }
  if (!painter_.begin(&printer_)) {
    WriteErrorLog("PRINT.BeginDoc:" + PrinterName());
    return false;
  }
  canvas_ = std::make_unique<TQtCanvas>(painter_, true);
  page_ = 1;
  return true;
}

void TVDBPrint::NewPage() {
  if (!painter_.isActive()) return;
  printer_.newPage();
  ++page_;
}

void TVDBPrint::EndDoc() {}

bool TVDBPrint::Finish() {
  if (!painter_.isActive()) return false;
  canvas_.reset();
  const bool ok = painter_.end();
  if (!pdf_) return ok;
  std::error_code ec;
  if (!ok) {
    std::filesystem::remove(std::filesystem::u8path(tempFile_), ec);
    return false;
  }
  std::filesystem::rename(std::filesystem::u8path(tempFile_), std::filesystem::u8path(pdfFile_), ec);
  if (ec) {
    WriteErrorLog("PRINT.EndDoc:" + pdfFile_ + " " + ec.message());
    std::filesystem::remove(std::filesystem::u8path(tempFile_), ec);
    return false;
  }
  return true;
}

void TVDBPrint::Abort() {
  canvas_.reset();
  if (painter_.isActive()) {
    printer_.abort();
    painter_.end();
  }
  if (pdf_ && !tempFile_.empty()) {
    std::error_code ec;
    std::filesystem::remove(std::filesystem::u8path(tempFile_), ec);
  }
}

TCanvas& TVDBPrint::Canvas() { return *canvas_; }

TVDBPrint* Vdb() { return dynamic_cast<TVDBPrint*>(Zpx().Printer.get()); }
