#include "print/Zenpagex_PrintIng.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>
#include <filesystem>
#include <fstream>

#include "platform/UiServices.h"
#include "print/Zenpagex_Colors.h"
#include "print/Zenpagex_Function.h"
#include "print/Zenpagex_Hensuu.h"
#include "print/Zenpagex_Imagedsp.h"
#include "print/Zenpagex_Pages.h"
#include "print/Zenpagex_Paint.h"
#include "print/Zenpagex_State.h"
#include "print/Zenpagex_Vdb.h"

namespace {

std::function<void(TZPGXDEF&)>& PreviewEntry() {
  static std::function<void(TZPGXDEF&)> entry;
  return entry;
}

bool FileExists(const std::string& name) {
  std::error_code ec;
  return !name.empty() && std::filesystem::is_regular_file(std::filesystem::u8path(name), ec);
}

void NotFound(const std::string& name) { uis::ShowMessage(uis::MsgKind::Error, "<" + name + "> が見つかりません。"); }

bool IsDataFile(const std::string& name) {
  std::ifstream in(std::filesystem::u8path(name), std::ios::binary);
  std::string first;
  std::getline(in, first);
  return first.compare(0, kDataFileMagic.size(), kDataFileMagic) == 0;
}

// The settings of a job the print entry takes over; files, titles, the buttons, the
// permission and the printer's own field mask stay with the engine's job.
void TakeOver(TZPGXDEF& cur, const TZPGXDEF& job) {
  TakeOverPageSetup(cur, job);
  cur.OcrGreen = job.OcrGreen;
  cur.OcrBlue = job.OcrBlue;
  cur.OcrBrown = job.OcrBrown;
  cur.OcrPink = job.OcrPink;
  cur.OcrOrange = job.OcrOrange;
  cur.OcrViolet = job.OcrViolet;
  cur.OcrPurple = job.OcrPurple;
  cur.PageBango = job.PageBango;
  cur.VRATIO = job.VRATIO;
  cur.HRATIO = job.HRATIO;
  cur.GrayScale = job.GrayScale;
}

// The printer index of the job, keeping the paper the printer has (printing from the preview).
void KeepPaperAcrossIndex(TVDBPrint& vdb, int printerNum) {
  const int paper = vdb.GetPaper();
  vdb.SetPrinterIndex(printerNum);
  vdb.SetPaper(paper);
}

// The loop told the user why it stopped.
bool loopReported = false;

// Runs the printing dialog, or the loop directly where no widgets exist.
bool RunPrintingDialog(const TPrintRange& range) {
  loopReported = false;
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return RunPrintLoop(range, nullptr);
  TNowPrintingdlg dlg(range);
  dlg.exec();
  return dlg.Succeeded();
}

int OrientationAt(const std::vector<int>& list, int index, int def) {
  if (index >= 0 && index < static_cast<int>(list.size())) return list[static_cast<std::size_t>(index)];
  return def;
}

}  // namespace

void SetPreviewEntry(std::function<void(TZPGXDEF&)> preview) { PreviewEntry() = std::move(preview); }

int StartPrint(TZPGXDEF& job) {
  TZenpagexState& s = Zpx();
  if (!s.EngineReady) return 0;
  if (!job.Permit) {
    if (PreviewEntry()) {
      PreviewEntry()(job);
    } else {
      ShowPreview(job);
    }
    return 0;
  }
  TVDBPrint* vdb = Vdb();
  if (!vdb) return 0;
  int result = -1;
  try {
    s.CancelRequested = false;
    s.PaintFailed = false;
    s.FormFileName = TrimBlanks(job.FormFile);
    s.DataFileName = job.DataFile;
    s.DataPageNo = 1;
    if (!FileExists(s.DataFileName)) {
      NotFound(s.DataFileName);
      return 0;
    }
    if (!IsDataFile(s.DataFileName)) {
      uis::ShowMessage(uis::MsgKind::Error, "<ZENPAGEX>印刷データではありません。");
      return 0;
    }
    if (!s.FormFileName.empty() && !FileExists(s.FormFileName)) {
      NotFound(s.FormFileName);
      return 0;
    }
    TZPGXDEF& cur = s.CurrentJob;
    if (&job == &cur) {
      KeepPaperAcrossIndex(*vdb, job.PrinterNum);
    } else {
      TakeOver(cur, job);
      vdb->SetPrinterIndex(cur.PrinterNum);
      if (cur.PaperSize == 0) cur.PaperSize = vdb->GetPaperNumber(cur.PaperName, cur.PaperLength, 9, cur.PaperWidth);
      vdb->SetPaper(cur.OutPutPaper != 0 ? cur.OutPutPaper : cur.PaperSize);
    }
    vdb->SetDevMode(job);
    if (cur.Copies < 1 || cur.Copies > 99) cur.Copies = 1;
    if (cur.Zoom < 5 || cur.Zoom > 15) cur.Zoom = 10;
    SetPageTotals();
    vdb->SetOrientation(cur.Orientation);
    vdb->SetCopies(cur.Copies < 2 ? 1 : cur.Copies);

    TPrintRange range;
    range.MaxPage = CountPages(s.DataFileName, true);
    range.ToPage = range.MaxPage;
    bool go = true;
    s.OwnCollate = false;
    if (cur.PrnDlg) {
      uis::PrintRangeRequest req;
      req.printerName = vdb->PrinterName();
      req.maxPage = range.MaxPage;
      req.toPage = range.MaxPage;
      req.copies = vdb->DevMode().Copies;
      req.orientation = vdb->Orientation();
      go = uis::Ui().PrintRange(req);
      if (go) {
        if (req.pageRange) {
          range.PageNums = true;
          range.FromPage = std::clamp(req.fromPage, 1, range.MaxPage);
          range.ToPage = std::clamp(req.toPage, range.FromPage, range.MaxPage);
        }
        s.DataPageNo = range.FromPage;
        s.OwnCollate = req.collate;
        TDevMode& dm = vdb->DevMode();
        dm.Copies = std::clamp(req.copies, 1, 99);
        dm.Collate = req.collate ? 1 : 0;
        vdb->SetOrientation(req.orientation);
        vdb->GetDevMode(job);
        if (&job != &cur) {
          cur.Copies = job.Copies;
          cur.Collate = job.Collate;
          cur.ColorMode = job.ColorMode;
        }
      }
    }
    UpdateScaleRatios();
    bool printed = false;
    if (go) printed = RunPrintingDialog(range);
    if (!go || (s.CancelRequested && !s.PaintFailed)) {
      vdb->SetOrientation(cur.Orientation);
      return 0;
    }
    if (loopReported) return 0;
    if (!printed || s.PaintFailed) {
      uis::ShowMessage(uis::MsgKind::Error, "印刷できなかった部分があります。",
                       "詳しくは Zenpagex_Error.log をご覧ください。");
      result = 0;
    }
  } catch (const std::exception& e) {
    WriteErrorLog(std::string("PRINT.開始:") + e.what());
    result = 0;
  }
  return result;
}

void PrintCurrentPage(TZPGXDEF& job, int page, int orientation) {
  TZenpagexState& s = Zpx();
  s.DataPageNo = page;
  TVDBPrint* vdb = Vdb();
  if (!s.EngineReady || !vdb) return;
  try {
    s.CancelRequested = false;
    s.PaintFailed = false;
    s.FormFileName = TrimBlanks(job.FormFile);
    s.DataFileName = job.DataFile;
    KeepPaperAcrossIndex(*vdb, job.PrinterNum);
    job.Copies = 1;
    if (&job != &s.CurrentJob) {
      s.CurrentJob.ColorMode = job.ColorMode;
      s.CurrentJob.Copies = 1;
    }
    vdb->SetOrientation(orientation);
    vdb->SetCopies(1);
    TPrintRange range;
    range.MaxPage = CountPages(s.DataFileName, true);
    range.PageNums = true;
    range.FromPage = page;
    range.ToPage = page;
    UpdateScaleRatios();
    const bool printed = RunPrintingDialog(range);
    if ((!printed || s.PaintFailed) && !loopReported && (!s.CancelRequested || s.PaintFailed)) {
      uis::ShowMessage(uis::MsgKind::Error, "印刷できなかった部分があります。",
                       "詳しくは Zenpagex_Error.log をご覧ください。");
    }
  } catch (const std::exception& e) {
    WriteErrorLog(std::string("PRINT.現在のページ:") + e.what());
  }
  vdb->SetOrientation(orientation);
}

// ---- the printing dialog ----

TNowPrintingdlg::TNowPrintingdlg(const TPrintRange& range, QWidget* parent) : QDialog(parent), range_(range) {
  setWindowTitle(QStringLiteral("印刷"));
  setFixedSize(315, 141);
  auto* layout = new QVBoxLayout(this);
  auto* message = new QLabel(QStringLiteral(" 印刷中です。"), this);
  message->setAlignment(Qt::AlignCenter);
  pageMessage_ = new QLabel(this);
  pageMessage_->setAlignment(Qt::AlignCenter);
  cancelButton_ = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
  layout->addWidget(message);
  layout->addWidget(pageMessage_);
  layout->addWidget(cancelButton_, 0, Qt::AlignCenter);
  connect(cancelButton_, &QPushButton::clicked, this, [this] { CancelButtonClick(); });
  QTimer::singleShot(500, this, [this] {
    ok_ = PrintStart();
    accept();
  });
}

void TNowPrintingdlg::CancelButtonClick() {
  if (uis::ShowMessage(uis::MsgKind::Confirmation, "印刷を中止しますか？", {}, uis::Buttons::YesNo, uis::mrNo) ==
      uis::mrYes) {
    Zpx().CancelRequested = true;
    reject();
  }
}

bool TNowPrintingdlg::PrintStart() {
  if (started_ || Zpx().CancelRequested) return false;
  started_ = true;
  return RunPrintLoop(range_, pageMessage_);
}

bool RunPrintLoop(const TPrintRange& range_, QLabel* pageMessage_) {
  TZenpagexState& s = Zpx();
  TVDBPrint* vdb = Vdb();
  if (!vdb) return false;
  TZPGXDEF& job = s.CurrentJob;
  bool ok = true;
  try {
    int copies = 1;
    if (job.Collate == 1 || (job.Copies > 1 && s.OwnCollate)) {
      s.OwnCollate = true;
      copies = job.Copies;
      job.Collate = 0;
      job.Copies = 1;
      vdb->SetDevMode(job);
    } else if ((job.DevFields & DM_COLLATE) && job.ColorMode == 1) {
      vdb->SetDevMode(job);
    }
    vdb->SetTitle(JobText(job.DocTitle));

    if (s.FormFileName.empty()) {
      ReadFormVersion(s.DataFileName);
    } else {
      ReadFormVersion(s.FormFileName);
      if (!FileExists(s.FormFileName)) {
        NotFound(s.FormFileName);
        loopReported = true;
      return false;
      }
      HensuuYomikomi(s.FormFileName, 0, 0);
    }
    if (s.DataFileName.empty()) {
      uis::ShowMessage(uis::MsgKind::Error, "印刷ファイルの指定がありません。");
      loopReported = true;
      return false;
    }
    if (!FileExists(s.DataFileName)) {
      NotFound(s.DataFileName);
      loopReported = true;
      return false;
    }
    TTextFile data;
    data.Assign(s.DataFileName);
    data.Reset();
    const std::vector<int> orientations = ReadOrientations(s.DataFileName, job.Orientation);
    const bool withForm = job.PrintFom && !s.FormFileName.empty();
    TTextFile form;
    if (withForm) form.Assign(s.FormFileName);

    // The origin: the margins less the edge the printer cannot print on.
    TPaperMM paper = PaperSizeMM(vdb->GetPaper());
    vdb->ResetUserPaperSize();
    const int startPage = s.DataPageNo;
    // The first sheet turns only for a page with an orientation of its own; otherwise it keeps
    // the orientation the entry gave the printer (the job's, or the preview's for one page).
    const int ownFirst = OrientationAt(ReadOrientations(s.DataFileName, -1), startPage - 1, -1);
    const int firstOrientation = ownFirst == 0 || ownFirst == 1 ? ownFirst : vdb->Orientation();
    if (firstOrientation != vdb->Orientation()) vdb->SetOrientation(firstOrientation);
    const int horz = vdb->PrintableWidthMM(), vert = vdb->PrintableHeightMM();
    if (s.PaperMode < 2 && vdb->Orientation() == 1) std::swap(paper.Width, paper.Height);
    if (s.PaperMode == 2) paper = {horz + 20, vert + 20};
    s.LeftBase = job.LeftMargin - Nearest((paper.Width - horz) / 2.0) * 10;
    s.TopBase = job.TopMargin - Nearest((paper.Height - vert) / 2.0) * 10;
    s.EvenShiftCur = job.EvenShift;

    vdb->SetTTOption(1);
    if (!vdb->BeginDoc()) {
      uis::ShowMessage(uis::MsgKind::Error, "印刷を開始できません。", vdb->PrinterName());
      loopReported = true;
      return false;
    }
    const int lpx = vdb->LogPixelsX();
    const double hf = lpx / 254.0, vf = vdb->LogPixelsY() / 254.0;
    const int n = s.FormPageCount + 1;
    const auto paintForm = [&] {
      return PaintPart(kLayerForm, form, vdb->Canvas(), lpx, hf, vf, job.Zoom, vdb->PageNumber() % 2 == 0, 0, 0, 0);
    };
    const auto showPage = [&] {
      if (pageMessage_) pageMessage_->setText(QStringLiteral("(Page=%1)").arg(vdb->PageNumber()));
    };
    const auto showMessage = [&] {
      if (!s.MessageText.empty()) uis::ShowMessage(uis::MsgKind::Information, s.MessageText);
    };
    try {
      while (copies > 0) {
        data.Reset();
        s.DataPageNo = startPage;
        s.RangeMode = range_.PageNums;
        s.PagesLeft = s.RangeMode ? range_.ToPage - range_.FromPage + 1 : range_.MaxPage;
        if (pageMessage_) pageMessage_->clear();
        bool formAtEnd = true;
        if (withForm) {
          form.Reset();
          if (s.RangeMode && CountPages(s.FormFileName, false) > 1) SkipToPage(form, range_.FromPage, true);
          formAtEnd = paintForm();
        }
        int i = 0;
        if (s.RangeMode) {
          SkipToPage(data, range_.FromPage, false);
          i = range_.FromPage - 1;
        }
        while (!s.CancelRequested) {
          if (data.Eof() || s.PagesLeft < 1) break;
          --s.PagesLeft;
          const int p = range_.FromPage == 1 ? vdb->PageNumber() : vdb->PageNumber() + range_.FromPage - 1;
          int k = p % n;
          if (k == 0) k = n;
          const bool atEnd = PaintPart(kLayerData, data, vdb->Canvas(), lpx, hf, vf, job.Zoom,
                                       vdb->PageNumber() % 2 == 0, k - 1, 0, 0);
          ++i;
          if (!atEnd && s.PagesLeft > 0) {
            const int next = OrientationAt(orientations, i, vdb->Orientation());
            if (i < static_cast<int>(orientations.size()) && next != vdb->Orientation()) {
              vdb->EndDoc();
              vdb->SetOrientation(next);
              showMessage();
              vdb->BeginDoc();
            } else if (!s.MessageText.empty()) {
              vdb->EndDoc();
              showMessage();
              vdb->BeginDoc();
            } else {
              vdb->NewPage();
            }
            showPage();
            if (withForm) {
              if (formAtEnd) form.Reset();
              formAtEnd = paintForm();
            }
          }
          ++s.DataPageNo;
        }
        if (withForm && !s.CancelRequested && !s.RangeMode) {
          while (!formAtEnd) {
            vdb->NewPage();
            showPage();
            formAtEnd = paintForm();
          }
        }
        --copies;
        if (s.CancelRequested) copies = 0;
        if (copies > 0) {
          vdb->EndDoc();
          vdb->SetOrientation(firstOrientation);
          vdb->BeginDoc();
        }
      }
    } catch (...) {
      s.CancelRequested = true;
      s.PaintFailed = true;
      vdb->Abort();
      throw;
    }
    if (s.CancelRequested) {
      vdb->Abort();
      ok = false;
    } else {
      vdb->EndDoc();
      ok = vdb->Finish() && ok;
    }
    data.Close();
    form.Close();
  } catch (const std::exception& e) {
    WriteErrorLog(std::string("PRINT.メイン:") + e.what());
    s.PaintFailed = true;
    ok = false;
  }
  return ok;
}
