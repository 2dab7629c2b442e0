#include "print/Zenpagex_Imagedsp.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <filesystem>

#include "platform/Encoding.h"
#include "platform/FileReplace.h"
#include "platform/UiServices.h"
#include "print/Zenpagex_ChartPaint.h"
#include "print/Zenpagex_Colors.h"
#include "print/Zenpagex_Function.h"
#include "print/Zenpagex_Hensuu.h"
#include "print/Zenpagex_Pages.h"
#include "print/Zenpagex_Paint.h"
#include "print/Zenpagex_PrintIng.h"
#include "print/Zenpagex_State.h"
#include "print/Zenpagex_Vdb.h"
#include "print/Zenpagex_yohaku.h"
#include "ui/forms/Application.h"
#include "ui/forms/Label.h"

using namespace forms;

namespace {

TImageDispForm* g_preview = nullptr;
int g_createAttempts = 0;

bool FileExists(const std::string& name) {
  std::error_code ec;
  return !name.empty() && std::filesystem::is_regular_file(std::filesystem::u8path(name), ec);
}

void NotFound(const std::string& name) { uis::ShowMessage(uis::MsgKind::Error, "<" + name + "> が見つかりません。"); }

void Log(const char* context, const std::exception& e) { WriteErrorLog(std::string(context) + ":" + e.what()); }

// The orientation of the engine's printer (0 portrait, 1 landscape). An engine printer that is
// not the settings wrapper has none of its own; the preview then keeps one here.
int g_orientation = 0;
int PrinterOrientation() {
  if (TVDBPrint* vdb = Vdb()) return vdb->Orientation();
  return g_orientation;
}
void SetPrinterOrientation(int o) {
  if (TVDBPrint* vdb = Vdb()) vdb->SetOrientation(o);
  g_orientation = o;
}
int PrinterPaper() { return Zpx().Printer ? Zpx().Printer->GetPaper() : 9; }
int HorzSize() { return Zpx().Printer ? Zpx().Printer->PrintableWidthMM() : 0; }
int VertSize() { return Zpx().Printer ? Zpx().Printer->PrintableHeightMM() : 0; }

// The fields the preview takes from a job record that is not the engine's own.
void TakeOver(TZPGXDEF& cur, const TZPGXDEF& job) {
  TakeOverPageSetup(cur, job);
  cur.FormFile = job.FormFile;
  cur.DataFile = job.DataFile;
  cur.Permit = job.Permit;
}

TSpeedButton* SpeedButton(TPanel* bar, const char* name, int left, const char* caption, const char* hint) {
  auto* b = new TSpeedButton(bar);
  b->SetName(name);
  b->SetBounds(left, 2, 26, 26);
  b->SetFlat(true);
  b->SetCaption(caption);
  b->SetHint(hint);
  b->SetShowHint(true);
  return b;
}

TPanel* ValuePanel(TPanel* bar, const char* name, int left, int width) {
  auto* p = new TPanel(bar);
  p->SetName(name);
  p->SetBounds(left, 3, width, 24);
  p->SetColor(clWhite);
  p->SetBevelOuter(bvLowered);
  return p;
}

}  // namespace

// ---- small controls ----

void TBigHintWindow::Install() {
  if (qApp) QToolTip::setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
}

TScrollBox::TScrollBox(QWidget* parent) : TWidgetControl<QScrollArea>(parent) {
  SetTabStop(false);
  setWidgetResizable(false);
}

TPaintBox::TPaintBox(QWidget* parent) : TWidgetControl<QWidget>(parent) {
  SetWindowed(false);
  setFocusPolicy(Qt::NoFocus);
}

void TPaintBox::paintEvent(QPaintEvent*) {
  Guard([&] {
    if (OnPaint) OnPaint(this);
  });
  QPainter p(this);
  p.drawImage(0, 0, canvas_);
}

// ---- printer set-up ----

TPrinterSetupDialog::TPrinterSetupDialog(QWidget* owner) : TForm(owner) {
  SetName("PrinterSetupDialog");
  SetCaption("プリンタの設定");
  SetBorderStyle(bsDialog);
  SetBorderIcons(biSystemMenu);
  SetPosition(poOwnerFormCenter);
  SetFont(TFontSpec{.Name = "ＭＳ Ｐゴシック", .Height = -12});
  SetClientSize(360, 170);
  auto label = [this](const char* caption, int top) {
    auto* l = new TLabel(this);
    l->SetBounds(16, top + 4, 0, 0);
    l->SetCaption(caption);
  };
  label("プリンタ名:", 16);
  PrinterCombo = new TComboBox(this);
  PrinterCombo->SetName("PrinterCombo");
  PrinterCombo->SetStyle(csDropDownList);
  PrinterCombo->SetBounds(100, 16, 240, 22);
  PrinterCombo->OnChange = [this](QObject*) { FillPapers(); };
  label("用紙サイズ:", 48);
  PaperCombo = new TComboBox(this);
  PaperCombo->SetName("PaperCombo");
  PaperCombo->SetStyle(csDropDownList);
  PaperCombo->SetBounds(100, 48, 240, 22);
  label("印刷の向き:", 82);
  PortraitButton = new TRadioButton(this);
  PortraitButton->SetName("PortraitButton");
  PortraitButton->SetCaption("縦");
  PortraitButton->SetBounds(100, 82, 60, 20);
  LandscapeButton = new TRadioButton(this);
  LandscapeButton->SetName("LandscapeButton");
  LandscapeButton->SetCaption("横");
  LandscapeButton->SetBounds(170, 82, 60, 20);
  OkButton = new TButton(this);
  OkButton->SetName("OkButton");
  OkButton->SetCaption("OK");
  OkButton->SetBounds(184, 132, 75, 25);
  OkButton->SetModalResult(mrOk);
  OkButton->SetDefault(true);
  CancelButton = new TButton(this);
  CancelButton->SetName("CancelButton");
  CancelButton->SetCaption("キャンセル");
  CancelButton->SetBounds(268, 132, 75, 25);
  CancelButton->SetModalResult(mrCancel);
  CancelButton->SetCancel(true);
}

void TPrinterSetupDialog::FillPapers() {
  TVDBPrint* vdb = Vdb();
  if (!vdb) return;
  const int keep = vdb->PrinterIndex();
  const int chosen = vdb->IsPdf() ? -1 : PrinterCombo->ItemIndex();
  if (chosen != keep) vdb->SetPrinterIndex(chosen);
  std::vector<std::string> names;
  int current = 0;
  const int paper = vdb->GetPaper();
  for (const auto& p : vdb->Papers()) {
    if (p.Number == paper) current = static_cast<int>(names.size());
    names.push_back(p.Name);
  }
  if (chosen != keep) vdb->SetPrinterIndex(keep);
  PaperCombo->SetItems(names);
  PaperCombo->SetItemIndex(names.empty() ? -1 : current);
}

bool TPrinterSetupDialog::Execute() {
  TVDBPrint* vdb = Vdb();
  if (!vdb) return false;
  PrinterCombo->SetItems(vdb->Printers());
  PrinterCombo->SetItemIndex(std::max(vdb->PrinterIndex(), 0));
  FillPapers();
  PortraitButton->SetChecked(vdb->Orientation() == 0);
  LandscapeButton->SetChecked(vdb->Orientation() == 1);
  if (ShowModal() != mrOk) return false;
  if (!vdb->IsPdf()) vdb->SetPrinterIndex(PrinterCombo->ItemIndex());
  const auto papers = vdb->Papers();
  const int i = PaperCombo->ItemIndex();
  if (i >= 0 && i < static_cast<int>(papers.size())) vdb->SetPaper(papers[static_cast<std::size_t>(i)].Number);
  vdb->SetOrientation(LandscapeButton->Checked() ? 1 : 0);
  return true;
}

// ---- the window ----

TImageDispForm::TImageDispForm(QWidget* owner) : TForm(owner) {
  SetName("ImageDispForm");
  SetCaption("印刷ﾌﾟﾚﾋﾞｭｰ");
  SetFont(TFontSpec{.Name = "ＭＳ 明朝", .Height = -16});
  SetKeyPreview(true);
  SetBounds(0, 0, 787, 459);

  SpeedBar = new TPanel(this);
  SpeedBar->SetName("SpeedBar");
  SpeedBar->SetCaption("");
  SpeedBar->SetBevelOuter(bvNone);
  SpeedBar->SetHeight(30);
  SpeedBar->SetAlign(alTop);
  SpeedBar->SetFont(TFontSpec{.Name = "ＭＳ Ｐゴシック", .Height = -12});
  CloseButton = SpeedButton(SpeedBar, "CloseButton", 6, "×", "プレビューを中止する。");
  PrintButton = SpeedButton(SpeedBar, "PrintButton", 34, "印", "印刷");
  PrintSetupButton = SpeedButton(SpeedBar, "PrintSetupButton", 60, "設", "ﾌﾟﾘﾝﾀ設定");
  SB_MARGIN = SpeedButton(SpeedBar, "SB_MARGIN", 96, "余", "上余白・左余白を設定します");
  ZoomJustButton = SpeedButton(SpeedBar, "ZoomJustButton", 123, "全", "全体を表示する");
  SpeedButton3 = SpeedButton(SpeedBar, "SpeedButton3", 150, "1:1", "１００％表示");
  ZoomInButton = SpeedButton(SpeedBar, "ZoomInButton", 176, "＋", "拡大");
  ZoomOutButton = SpeedButton(SpeedBar, "ZoomOutButton", 203, "－", "縮小");
  DispZoom = ValuePanel(SpeedBar, "DispZoom", 230, 47);
  DispZoom->SetCaption("100%");
  PgJump = SpeedButton(SpeedBar, "PgJump", 293, "Jmp", "ﾍﾟｰｼﾞ指定");
  PgJump->SetFont(TFontSpec{.Name = "ＭＳ Ｐゴシック", .Height = -12, .Color = clRed});
  TopPage = SpeedButton(SpeedBar, "TopPage", 320, "|◀", "先頭ﾍﾟｰｼﾞ");
  PrevPage = SpeedButton(SpeedBar, "PrevPage", 347, "◀", "前ﾍﾟｰｼﾞ");
  NextPage = SpeedButton(SpeedBar, "NextPage", 374, "▶", "次ﾍﾟｰｼﾞ");
  LastPage = SpeedButton(SpeedBar, "LastPage", 401, "▶|", "最終ﾍﾟｰｼﾞ");
  CurrentPage = SpeedButton(SpeedBar, "CurrentPage", 429, "頁", "現在のページを印刷");
  WherePage = ValuePanel(SpeedBar, "WherePage", 457, 90);
  PrevPaper = SpeedButton(SpeedBar, "PrevPaper", 567, "前の帳票", "");
  PrevPaper->SetWidth(80);
  NextPaper = SpeedButton(SpeedBar, "NextPaper", 649, "次の帳票", "");
  NextPaper->SetWidth(80);
  ImageOut = SpeedButton(SpeedBar, "ImageOut", 740, "保", "ファイルに保存");
  ImageOpen = SpeedButton(SpeedBar, "ImageOpen", 740, "読", "ファイルの読込");
  ImageOpenCancel = SpeedButton(SpeedBar, "ImageOpenCancel", 740, "戻", "ファイルの読込を取り消す");
  for (TSpeedButton* b : {ImageOut, ImageOpen, ImageOpenCancel}) {
    b->SetVisible(false);
    b->SetEnabled(false);
  }

  ImagePaintScrollBox = new TScrollBox(this);
  ImagePaintScrollBox->SetName("ImagePaintScrollBox");
  ImagePaintScrollBox->SetAlign(alClient);
  ScrollContent = new TPanel(ImagePaintScrollBox);
  ScrollContent->SetName("ScrollContent");
  ScrollContent->SetCaption("");
  ScrollContent->SetBevelOuter(bvNone);
  ImagePaintScrollBox->setWidget(ScrollContent);
  PaperPanel = new TPanel(ScrollContent);
  PaperPanel->SetName("PaperPanel");
  PaperPanel->SetCaption("");
  PaperPanel->SetColor(clWhite);
  PaperPanel->SetBevelOuter(bvNone);
  PaperPanel->SetBorderStyle(bsSingle);
  PaperPanel->SetBorderWidth(2);
  PaperPanel->SetBounds(15, 8, 100, 100);
  ImagePaintBox = new TPaintBox(PaperPanel);
  ImagePaintBox->SetName("ImagePaintBox");
  ImagePaintBox->SetHint("印刷可能範囲");
  ImagePaintBox->OnPaint = [this](QObject* s) { ImagePaintBoxPaint(s); };
  ImagePaintBox->OnMouseDown = [this](QObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    ImagePaintBoxMouseDown(s, b, sh, x, y);
  };
  ImagePaintBox->OnMouseMove = [this](QObject* s, TShiftState sh, int x, int y) { ImagePaintBoxMouseMove(s, sh, x, y); };
  ImagePaintBox->OnMouseUp = [this](QObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    ImagePaintBoxMouseUp(s, b, sh, x, y);
  };

  CloseButton->OnClick = [this](QObject* s) { CloseButtonClick(s); };
  PrintButton->OnClick = [this](QObject* s) { PrintButtonClick(s); };
  PrintSetupButton->OnClick = [this](QObject* s) { PrintSetupButtonClick(s); };
  SB_MARGIN->OnClick = [this](QObject* s) { SB_MARGINClick(s); };
  ZoomJustButton->OnClick = [this](QObject* s) { ZoomJustButtonClick(s); };
  SpeedButton3->OnClick = [this](QObject* s) { SpeedButton3Click(s); };
  ZoomInButton->OnClick = [this](QObject* s) { ZoomInButtonClick(s); };
  ZoomOutButton->OnClick = [this](QObject* s) { ZoomOutButtonClick(s); };
  PgJump->OnClick = [this](QObject* s) { PgJumpClick(s); };
  TopPage->OnClick = [this](QObject* s) { Top_PageClick(s); };
  PrevPage->OnClick = [this](QObject* s) { DispPrev(s); };
  NextPage->OnClick = [this](QObject* s) { DispNext(s); };
  LastPage->OnClick = [this](QObject* s) { Bottom_PageClick(s); };
  CurrentPage->OnClick = [this](QObject* s) { CurrentPageClick(s); };
  PrevPaper->OnClick = [this](QObject* s) { PrevPaperClick(s); };
  NextPaper->OnClick = [this](QObject* s) { NextPaperClick(s); };
  ImageOut->OnClick = [this](QObject* s) { ImageSave_Click(s); };
  ImageOpen->OnClick = [this](QObject* s) { ImageOpen_Click(s); };
  ImageOpenCancel->OnClick = [this](QObject* s) { ImageOpenCancel_Click(s); };

  OnActivate = [this](QObject* s) { FormCreate(s); };
  OnShow = [this](QObject* s) {
    FormShow(s);
    // The set-up belongs to the first activation; where no window system activates the
    // window it runs once the shown window has its size.
    QTimer::singleShot(0, this, [this] { FormCreate(this); });
  };
  OnClose = [this](QObject* s, TCloseAction& a) { FormClose(s, a); };
  OnDeactivate = [this](QObject* s) { FormDeactivate(s); };
  OnResize = [this](QObject* s) { FormResize(s); };
  RunPrinterSetup = [](TImageDispForm& form) {
    auto* dialog = CreateForm<TPrinterSetupDialog>(&form);
    try {
      dialog->Execute();
    } catch (...) {
      dialog->Free();
      throw;
    }
    dialog->Free();
  };
}

TImageDispForm::~TImageDispForm() = default;

double TImageDispForm::PixelsPerInch() const { return Screen().PixelsPerInch(); }

void TImageDispForm::FormCreate(QObject*) {
  if (created_) return;
  created_ = true;
  TZenpagexState& s = Zpx();
  try {
    PreviewCloseNum = PrevPaper->isVisibleTo(SpeedBar) ? 0 : 1;
    s.PreviewZoom = s.CurrentJob.Zoom;
    DispZoom->SetCaption(std::to_string(s.PreviewZoom * 10) + "%");
    SetPageTotals();
    FormResize(this);
    ShowWherePage();
    SetFormStyle(fsNormal);
    int w = 0, h = 0;
    if (const int n = FitZoom(w, h); n > 0) {
      s.PreviewZoom = n;
      DispZoom->SetCaption(std::to_string(s.PreviewZoom * 10) + "%");
      FormResize(this);
    }
    yohaku_ = CreateForm<Tfmyohaku>(this);
    orientations_ = ReadOrientations(s.DataFileName, s.CurrentJob.Orientation);
    SyncOrientation();
  } catch (const std::exception& e) {
    Log("PREVIEW.FormCreate", e);
  }
}

void TImageDispForm::FormShow(QObject*) {
  hPixels_ = vPixels_ = PixelsPerInch() / 254.0;
  ReadFormVersion(Zpx().FormFileName);
  HensuuYomikomi(Zpx().FormFileName, 0, 0);
}

void TImageDispForm::FormClose(QObject*, TCloseAction&) { orientations_.clear(); }

void TImageDispForm::ShowPreviewsAgain() {
  // A dialog the preview opened stays in front of it.
  QWidget* modal = QApplication::activeModalWidget();
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->objectName() != "ImageDispForm" || !w->isVisible()) continue;
    if (modal && modal != w) continue;
    w->raise();
  }
}

void TImageDispForm::FormDeactivate(QObject*) {
  try {
    ShowPreviewsAgain();
  } catch (const std::exception& e) {
    Log("PREVIEW.FormDeactivate", e);
  }
}

void TImageDispForm::FormResize(QObject*) {
  if (!ImagePaintScrollBox) return;
  TZenpagexState& s = Zpx();
  try {
    ImagePaintScrollBox->horizontalScrollBar()->setValue(0);
    ImagePaintScrollBox->verticalScrollBar()->setValue(0);
    TPaperMM paper = PaperSizeMM(PrinterPaper());
    if (TVDBPrint* vdb = Vdb()) vdb->ResetUserPaperSize();
    const double ppi = PixelsPerInch();
    const int zoom = s.PreviewZoom;
    const int horz = HorzSize(), vert = VertSize();
    int pw = 0, ph = 0;
    if (s.PaperMode < 2) {
      if (PrinterOrientation() == 1) std::swap(paper.Width, paper.Height);
      pw = Nearest(ppi * paper.Width / 25.4 * zoom / 10);
      ph = Nearest(ppi * paper.Height / 25.4 * zoom / 10);
    } else {
      pw = Nearest((horz + 10) / 25.4 * ppi * zoom / 10) + 2;
      ph = Nearest((vert + 10) / 25.4 * ppi * zoom / 10) + 2;
    }
    int left = Nearest((Width() - pw - 15) / 2.0);
    if (left < 16) left = 15;
    PaperPanel->SetBounds(left, PaperPanel->Top(), pw, ph);
    const int bw = Nearest(horz / 25.4 * ppi * zoom / 10) + 2;
    const int bh = Nearest(vert / 25.4 * ppi * zoom / 10) + 2;
    ImagePaintBox->SetBounds(Nearest((pw - bw) / 2.0), Nearest((ph - bh) / 2.0), bw, bh);
    ScrollContent->resize(std::max(left + pw + 14, ImagePaintScrollBox->viewport()->width()),
                          std::max(PaperPanel->Top() + ph + 22, ImagePaintScrollBox->viewport()->height()));
    s.LeftBase = s.CurrentJob.LeftMargin - Nearest((paper.Width - horz) / 2.0) * 10;
    s.TopBase = s.CurrentJob.TopMargin - Nearest((paper.Height - vert) / 2.0) * 10;
    s.EvenShiftCur = s.CurrentJob.EvenShift;
    ImagePaintBox->update();
  } catch (const std::exception& e) {
    Log("PREVIEW.FormResize", e);
  }
}

int TImageDispForm::FitZoom(int& w, int& h) const {
  TPaperMM paper = PaperSizeMM(PrinterPaper());
  if (PrinterOrientation() == 1) std::swap(paper.Width, paper.Height);
  const double ppi = PixelsPerInch();
  for (int n = 20; n >= 5; --n) {
    const int pw = Nearest(ppi * paper.Width / 25.4 * n / 10);
    const int ph = Nearest(ppi * paper.Height / 25.4 * n / 10);
    if (pw + 15 <= ImagePaintScrollBox->Width() && ph + PaperPanel->Top() <= ImagePaintScrollBox->Height()) {
      w = pw;
      h = ph;
      return n;
    }
  }
  return 0;
}

void TImageDispForm::ImagePaintBoxPaint(QObject*) {
  TZenpagexState& s = Zpx();
  if (s.PaintBusy) {
    s.PaintBusy = false;
    return;
  }
  s.PaintBusy = true;
  struct Done {
    ~Done() { Zpx().PaintBusy = false; }
  } done;
  try {
    QImage& image = ImagePaintBox->Canvas();
    image = QImage(ImagePaintBox->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    // A file that went away since the preview started: the page stays blank, and the log
    // says so once (a message box here would come back with every repaint).
    const bool withForm = !s.FormFileName.empty() && FileExists(s.FormFileName);
    const bool missingForm = !s.FormFileName.empty() && !withForm;
    const bool missingData = !FileExists(s.DataFileName);
    if (missingForm || missingData) {
      if (!missingLogged_) {
        WriteErrorLog("PREVIEW.ImageBoxPaint:" +
                      (s.DataFileName.empty() ? std::string("印刷ファイルの指定がありません。")
                                              : "\"" + (missingData ? s.DataFileName : s.FormFileName) + "\"が見つかりません。"));
      }
      missingLogged_ = true;
      if (missingData) return;
    }
    QPainter painter(&image);
    painter.setPen(QPen(QColor(0, 0, 255), 0, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, image.width() - 1, image.height() - 1);
    painter.setPen(QPen(Qt::black, 0, Qt::SolidLine));
    TQtCanvas canvas(painter, false);
    const int n = s.FormPageCount + 1;
    int k = s.ShownPage % n;
    if (k == 0) k = n;
    const bool even = s.ShownPage % 2 == 0;
    const int ppi = static_cast<int>(PixelsPerInch());
    if (withForm) {
      TTextFile form;
      form.Assign(s.FormFileName);
      form.Reset();
      if (SkipToPage(form, s.ShownPage, true)) {
        PaintPart(kLayerForm, form, canvas, ppi, hPixels_, vPixels_, s.PreviewZoom, even, 0, 0, 0);
      }
      form.Close();
    }
    TTextFile data;
    data.Assign(s.DataFileName);
    data.Reset();
    if (SkipToPage(data, s.ShownPage, false)) {
      PaintPart(kLayerData, data, canvas, ppi, hPixels_, vPixels_, s.PreviewZoom, even, k - 1, 0, 0);
    }
    data.Close();
  } catch (const std::exception& e) {
    Log("PREVIEW.ImageBoxPaint", e);
  }
}

void TImageDispForm::ImagePaintBoxMouseDown(QObject*, TMouseButton button, TShiftState, int x, int y) {
  if (button != mbLeft) return;
  dragX_ = x;
  dragY_ = y;
  dragging_ = true;
  ImagePaintBox->setCursor(Qt::SizeAllCursor);
}

void TImageDispForm::ImagePaintBoxMouseMove(QObject*, TShiftState, int x, int y) {
  if (!dragging_) return;
  QScrollBar* h = ImagePaintScrollBox->horizontalScrollBar();
  QScrollBar* v = ImagePaintScrollBox->verticalScrollBar();
  h->setValue(std::max(0, h->value() + dragX_ - x));
  v->setValue(std::max(0, v->value() + dragY_ - y));
}

void TImageDispForm::ImagePaintBoxMouseUp(QObject*, TMouseButton, TShiftState, int, int) {
  dragging_ = false;
  dragX_ = dragY_ = 0;
  ImagePaintBox->setCursor(Qt::ArrowCursor);
}

// ---- printing ----

void TImageDispForm::PrintButtonClick(QObject*) {
  TZenpagexState& s = Zpx();
  TZPGXDEF& cur = s.CurrentJob;
  if (!cur.Permit) return;
  const std::string formFile = cur.FormFile, dataFile = cur.DataFile;
  const int orientation = PrinterOrientation();
  const int page = s.ShownPage;
  const bool prnDlg = cur.PrnDlg;
  auto restore = [&] {
    s.ShownPage = page;
    s.DataPageNo = page;
    cur.FormFile = formFile;
    cur.DataFile = dataFile;
    cur.PrnDlg = prnDlg;
    SetPrinterOrientation(orientation);
    ShowWherePage();
    FormResize(this);
  };
  try {
    cur.FormFile = s.FormFileName;
    cur.DataFile = s.DataFileName;
    cur.PrnDlg = true;
    cur.Zoom = 10;
    if (TVDBPrint* vdb = Vdb()) cur.PrinterNum = vdb->PrinterIndex();
    UpdateScaleRatios();
    StartPrint(cur);
  } catch (const std::exception& e) {
    Log("PREVIEW.印刷", e);
  }
  restore();
  UpdateScaleRatios();
}

void TImageDispForm::CurrentPageClick(QObject*) {
  TZenpagexState& s = Zpx();
  TZPGXDEF& cur = s.CurrentJob;
  if (!cur.Permit) return;
  const std::string formFile = cur.FormFile, dataFile = cur.DataFile;
  try {
    cur.FormFile = s.FormFileName;
    cur.DataFile = s.DataFileName;
    cur.Zoom = 10;
    if (TVDBPrint* vdb = Vdb()) cur.PrinterNum = vdb->PrinterIndex();
    UpdateScaleRatios();
    PrintCurrentPage(cur, s.ShownPage, PrinterOrientation());
    s.DataPageNo = s.ShownPage;
  } catch (const std::exception& e) {
    Log("PRINT.現在のページ", e);
  }
  cur.FormFile = formFile;
  cur.DataFile = dataFile;
  FormResize(this);
}

void TImageDispForm::PrintSetupButtonClick(QObject*) {
  try {
    if (RunPrinterSetup) RunPrinterSetup(*this);
  } catch (const std::exception& e) {
    Log("PREVIEW.ﾌﾟﾘﾝﾀ設定", e);
  }
  UpdateScaleRatios();
  FormResize(this);
}

void TImageDispForm::SB_MARGINClick(QObject*) {
  TZPGXDEF& cur = Zpx().CurrentJob;
  try {
    yohaku_->SetTopMargin(cur.TopMargin);
    yohaku_->SetLeftMargin(cur.LeftMargin);
    const bool ownPaper = PrinterPaper() == cur.PaperSize;
    yohaku_->GroupBox3->SetVisible(ownPaper);
    yohaku_->SetHeight(ownPaper ? 320 : 220);
    if (ownPaper) {
      yohaku_->SetVRatio(cur.VRATIO);
      yohaku_->SetHRatio(cur.HRATIO);
    }
    if (yohaku_->ShowModal() == mrOk) {
      cur.TopMargin = yohaku_->TopMargin();
      cur.LeftMargin = yohaku_->LeftMargin();
      if (PrinterPaper() == cur.PaperSize) {
        cur.VRATIO = yohaku_->VRatio() == 0 ? 1000 : yohaku_->VRatio();
        cur.HRATIO = yohaku_->HRatio() == 0 ? 1000 : yohaku_->HRatio();
      }
    }
  } catch (const std::exception& e) {
    Log("PREVIEW.余白設定", e);
  }
  ShowPreviewsAgain();
  UpdateScaleRatios();
  FormResize(this);
  ImagePaintBox->update();
}

// ---- zoom ----

void TImageDispForm::ZoomDisp(QObject*) {
  ImagePaintBox->Canvas().fill(Qt::white);
  DispZoom->SetCaption(std::to_string(Zpx().PreviewZoom * 10) + "%");
  FormResize(this);
}

void TImageDispForm::ZoomInButtonClick(QObject* sender) {
  if (Zpx().PreviewZoom < 20) {
    ++Zpx().PreviewZoom;
    ZoomDisp(sender);
  }
}

void TImageDispForm::ZoomOutButtonClick(QObject* sender) {
  if (Zpx().PreviewZoom > 5) {
    --Zpx().PreviewZoom;
    ZoomDisp(sender);
  }
}

void TImageDispForm::SpeedButton3Click(QObject* sender) {
  const bool changed = Zpx().PreviewZoom != 10;
  Zpx().PreviewZoom = 10;
  if (changed) ZoomDisp(sender);
}

void TImageDispForm::ZoomJustButtonClick(QObject* sender) {
  int w = 0, h = 0;
  const int n = FitZoom(w, h);
  if (n == 0) return;
  PaperPanel->SetBounds(PaperPanel->Left(), PaperPanel->Top(), w, h);
  Zpx().PreviewZoom = n;
  ZoomDisp(sender);
}

// ---- pages ----

void TImageDispForm::ShowWherePage() {
  WherePage->SetCaption(std::to_string(Zpx().ShownPage) + "/" + std::to_string(Zpx().TotalPages));
}

void TImageDispForm::PageChanged() {
  Zpx().DataPageNo = Zpx().ShownPage;
  ShowWherePage();
  SyncOrientation();
  ImagePaintBox->update();
}

void TImageDispForm::Top_PageClick(QObject*) {
  Zpx().ShownPage = 1;
  PageChanged();
}

void TImageDispForm::DispPrev(QObject*) {
  TZenpagexState& s = Zpx();
  if (s.TotalPages > 1 && s.ShownPage > 1) {
    NextPage->SetEnabled(true);
    --s.ShownPage;
  }
  PageChanged();
}

void TImageDispForm::DispNext(QObject*) {
  TZenpagexState& s = Zpx();
  if (s.TotalPages > 1 && s.ShownPage < s.TotalPages) {
    PrevPage->SetEnabled(true);
    ++s.ShownPage;
  }
  PageChanged();
}

void TImageDispForm::Bottom_PageClick(QObject*) {
  Zpx().ShownPage = Zpx().TotalPages;
  PageChanged();
}

void TImageDispForm::PgJumpClick(QObject*) {
  TZenpagexState& s = Zpx();
  try {
    uis::InputRequest request;
    request.caption = "ページ指定";
    request.message = "表示したいページ番号を入力してください";
    request.value = "1";
    // A cancelled box answers its default.
    if (!uis::Ui().InputText(request)) request.value = "1";
    const int page = StrToIntDef(request.value, 1);
    if (page >= 1 && page <= s.TotalPages) s.ShownPage = page;
    PageChanged();
  } catch (const std::exception& e) {
    Log("ImageDispForm.PgJumpClick", e);
  }
  ShowPreviewsAgain();
}

void TImageDispForm::SyncOrientation() {
  const int page = Zpx().ShownPage;
  if (page <= 0 || static_cast<int>(orientations_.size()) < page) return;
  const int o = orientations_[static_cast<std::size_t>(page - 1)];
  if (o != PrinterOrientation()) {
    SetPrinterOrientation(o);
    FormResize(this);
  }
}

// ---- closing ----

void TImageDispForm::CloseButtonClick(QObject*) {
  PreviewCloseNum = 0;
  Close();
}

void TImageDispForm::PrevPaperClick(QObject*) {
  PreviewCloseNum = -1;
  Close();
}

void TImageDispForm::NextPaperClick(QObject*) {
  PreviewCloseNum = 1;
  Close();
}

// ---- snapshot tools (their buttons are hidden and disabled in this program) ----

namespace {

std::vector<std::string> ReadLines(const std::string& file) {
  std::vector<std::string> lines;
  TTextFile f;
  f.Assign(file);
  f.Reset();
  while (!f.Eof()) lines.push_back(f.ReadLn());
  return lines;
}

void WriteLines(const std::string& file, const std::vector<std::string>& lines) {
  std::string bytes;
  for (const auto& l : lines) bytes += sjis::FromUtf8(l) + "\r\n";
  if (const auto r = filereplace::Replace(file, bytes); !r) {
    throw std::runtime_error(file + ": " + std::strerror(r.error));
  }
}

void CopyOver(const std::string& from, const std::string& to) {
  std::filesystem::copy_file(std::filesystem::u8path(from), std::filesystem::u8path(to),
                             std::filesystem::copy_options::overwrite_existing);
}

std::string NamePart(const std::string& path) { return std::filesystem::u8path(path).filename().string(); }
std::string StemPart(const std::string& path) { return std::filesystem::u8path(path).stem().string(); }

// The rest of the first line starting with `key`, trimmed; empty when there is none.
std::string SnapshotValue(const std::vector<std::string>& lines, std::string_view key) {
  for (const auto& l : lines) {
    if (l.compare(0, key.size(), key) == 0) return TrimBlanks(std::string_view(l).substr(key.size()));
  }
  return {};
}

// A number of the snapshot's header, "$" for hexadecimal.
int SnapshotNumber(const std::vector<std::string>& lines, std::string_view key, int def) {
  const std::string v = SnapshotValue(lines, key);
  if (!v.empty() && v[0] == '$') {
    try {
      return static_cast<int>(std::stoul(v.substr(1), nullptr, 16));
    } catch (const std::exception&) {
      return def;
    }
  }
  return StrToIntDef(v, def);
}

}  // namespace

void SaveSnapshotLines(std::vector<std::string>& lines, std::string_view prefix, const std::string& folder,
                       const std::string& stem) {
  TZenpagexState& s = Zpx();
  int formNumber = 0;
  for (auto& line : lines) {
    if (line.compare(0, prefix.size(), prefix) != 0) continue;
    if (prefix == "*FORMFILE=") {
      // The job's form is copied as "<stem>.zpf"; the line names that copy.
      line = s.FormFileName.empty() ? "*FORMFILE=" : "*FORMFILE=" + folder + "/" + stem + ".zpf";
      return;
    }
    if (prefix == "FORM;") {
      const std::string file = FieldAt(line, ';', 1), flag = FieldAt(line, ';', 2);
      const std::string copy = folder + "/" + stem + "_FORMAT-" + std::to_string(++formNumber) + ".zpf";
      line = "FORM;" + copy + ";" + flag + ";" + std::to_string(StrToIntDef(FieldAt(line, ';', 3), 0)) + ";" +
             std::to_string(StrToIntDef(FieldAt(line, ';', 4), 0)) + ";";
      CopyOver(file, copy);
    } else if (prefix == "IMAGE;") {
      std::string rect;
      for (int i = 1; i <= 4; ++i) rect += std::to_string(StrToIntDef(FieldAt(line, ';', i), 0)) + ";";
      const std::string file = FieldAt(line, ';', 5);
      const std::string copy = folder + "/" + stem + "_" + NamePart(file);
      line = "IMAGE;" + rect + copy + ";0;";
      CopyOver(file, copy);
    } else if (prefix == "CHART;") {
      std::string rect;
      for (int i = 2; i <= 5; ++i) rect += std::to_string(StrToIntDef(FieldAt(line, ';', i), 0)) + ";";
      const std::string copy = folder + "/" + stem + "_CHART.WMF";
      line = "IMAGE;" + rect + copy + ";0;";
      SaveChartMetafile(copy);
      return;
    }
  }
}

void TImageDispForm::SnapshotTool(const char* context, const std::function<void()>& work) {
  TZenpagexState& s = Zpx();
  if (s.PaintBusy) return;
  s.PaintBusy = true;
  auto paint = std::move(ImagePaintBox->OnPaint);
  ImagePaintBox->OnPaint = nullptr;
  try {
    work();
  } catch (const std::exception& e) {
    Log(context, e);
  }
  ImagePaintBox->OnPaint = std::move(paint);
  s.PaintBusy = false;
  FormResize(this);
  ImagePaintBox->update();
}

void TImageDispForm::FilesChanged() {
  TZenpagexState& s = Zpx();
  SetPageTotals();
  ShowWherePage();
  ReadFormVersion(s.FormFileName);
  HensuuYomikomi(s.FormFileName, 0, 0);
  orientations_ = ReadOrientations(s.DataFileName, s.CurrentJob.Orientation);
  SyncOrientation();
}

void TImageDispForm::ImageSave_Click(QObject*) {
  SnapshotTool("PREVIEW.Text作成", [this] {
    TZenpagexState& s = Zpx();
    uis::FileDialogRequest request;
    request.save = true;
    request.defaultExt = "zpx";
    request.filter = "印刷（プレビュー）ファイルの保存 |*.zpx;";
    request.initialDir = SpecialFolderPath(CSIDL_PERSONAL);
    request.fileName = request.initialDir + "/" + StemPart(NamePart(s.CurrentJob.Title)) + ".zpx";
    if (!uis::Ui().FileDialog(request)) return;
    std::vector<std::string> lines = ReadLines(s.DataFileName);
    const std::string folder = std::filesystem::u8path(request.fileName).parent_path().string();
    const std::string stem = StemPart(request.fileName);
    for (std::string_view prefix : {"*FORMFILE=", "FORM;", "IMAGE;", "CHART;"}) {
      SaveSnapshotLines(lines, prefix, folder, stem);
    }
    WriteLines(folder + "/" + stem + ".zpx", lines);
    if (!s.FormFileName.empty()) CopyOver(s.FormFileName, folder + "/" + stem + ".zpf");
  });
}

void TImageDispForm::ImageOpen_Click(QObject*) {
  SnapshotTool("PREVIEW.Text読込", [this] {
    TZenpagexState& s = Zpx();
    TZPGXDEF& cur = s.CurrentJob;
    uis::FileDialogRequest request;
    request.defaultExt = "zpx";
    request.filter = "プレビュー画面の復元 (zpx)|*.zpx;";
    request.initialDir = SpecialFolderPath(CSIDL_PERSONAL);
    if (!uis::Ui().FileDialog(request)) return;
    kept_ = {cur.PaperSize, cur.OutPutPaper, cur.Orientation, cur.TopMargin, cur.LeftMargin,
             cur.NetColor1, cur.NetColor2, cur.UserColor1, cur.UserColor2, cur.PrintFom};
    const std::vector<std::string> lines = ReadLines(request.fileName);
    if (lines.empty() || lines[0].compare(0, kDataFileMagic.size(), kDataFileMagic) != 0) {
      uis::ShowMessage(uis::MsgKind::Error, "[ZENPAGEX]印刷ファイルではありません。");
      return;
    }
    const std::string form = SnapshotValue(lines, "*FORMFILE=");
    if (!form.empty() && !FileExists(form)) return;
    s.DataFileName = request.fileName;
    s.FormFileName = form;
    cur.PaperSize = SnapshotNumber(lines, "*PAPERSIZE=", 9);
    cur.OutPutPaper = SnapshotNumber(lines, "*OUTPUTPAPER=", 9);
    cur.Orientation = SnapshotNumber(lines, "*ORIENTATION=", 0);
    cur.TopMargin = SnapshotNumber(lines, "*TOPMARGIN=", 0);
    cur.LeftMargin = SnapshotNumber(lines, "*LEFTMARGIN=", 0);
    cur.NetColor1 = SnapshotNumber(lines, "*NETC1=", 0);
    cur.NetColor2 = SnapshotNumber(lines, "*NETC2=", 0);
    cur.UserColor1 = SnapshotNumber(lines, "*USERC1=", 0);
    cur.UserColor2 = SnapshotNumber(lines, "*USERC2=", 0);
    cur.PrintFom = SnapshotValue(lines, "*FORMPRINT=") == "TRUE";
    FilesChanged();
    ImageOpenCancel->SetEnabled(true);
  });
}

void TImageDispForm::ImageOpenCancel_Click(QObject*) {
  SnapshotTool("PREVIEW.読込取消", [this] {
    TZenpagexState& s = Zpx();
    TZPGXDEF& cur = s.CurrentJob;
    ImageOpenCancel->SetEnabled(false);
    if (s.DataFileName == cur.DataFile) return;
    s.DataFileName = cur.DataFile;
    s.FormFileName = TrimBlanks(cur.FormFile);
    cur.PaperSize = kept_.PaperSize;
    cur.OutPutPaper = kept_.OutPutPaper;
    cur.Orientation = kept_.Orientation;
    cur.TopMargin = kept_.TopMargin;
    cur.LeftMargin = kept_.LeftMargin;
    cur.NetColor1 = kept_.NetColor1;
    cur.NetColor2 = kept_.NetColor2;
    cur.UserColor1 = kept_.UserColor1;
    cur.UserColor2 = kept_.UserColor2;
    cur.PrintFom = kept_.PrintFom;
    FilesChanged();
  });
}

// ---- entry ----

TImageDispForm* ImageDispForm() { return g_preview; }

void CreatePreviewForm() {
  for (;;) {
    try {
      g_preview = CreateForm<TImageDispForm>(nullptr);
      return;
    } catch (const std::exception& e) {
      if (++g_createAttempts > 5) throw;
      WriteErrorLog(std::string("PREVIEW.CreateForm:") + e.what() + "(" + std::to_string(g_createAttempts) + ")");
    }
  }
}

int ShowPreview(TZPGXDEF& job) {
  TZenpagexState& s = Zpx();
  if (!s.EngineReady) return 0;
  int result = 0;
  try {
    TBigHintWindow::Install();
    s.FormFileName = TrimBlanks(job.FormFile);
    s.DataFileName = job.DataFile;
    TZPGXDEF& cur = s.CurrentJob;
    if (&job != &cur) TakeOver(cur, job);
    s.DataPageNo = 1;
    s.VRatioCur = s.HRatioCur = 0;
    if (!FileExists(s.DataFileName)) {
      NotFound(s.DataFileName);
      return 0;
    }
    if (!s.FormFileName.empty() && !FileExists(s.FormFileName)) {
      NotFound(s.FormFileName);
      return 0;
    }
    TVDBPrint* vdb = Vdb();
    if (vdb) vdb->SetPrinterIndex(job.PrinterNum);
    if (cur.Copies < 1 || cur.Copies > 99) cur.Copies = 1;
    if (cur.Zoom < 5 || cur.Zoom > 20) cur.Zoom = 10;
    if (cur.PaperSize == 0 && vdb) cur.PaperSize = vdb->GetPaperNumber(cur.PaperName, cur.PaperLength, 9, cur.PaperWidth);
    g_createAttempts = 0;
    CreatePreviewForm();
    TImageDispForm& form = *g_preview;
    form.SetCaption(JobText(cur.Title));
    const bool reports = job.PrevPaperButton || job.NextPaperButton;
    form.PrevPaper->SetVisible(reports);
    form.NextPaper->SetVisible(reports);
    if (reports) {
      form.PrevPaper->SetEnabled(job.PrevPaperButton);
      form.NextPaper->SetEnabled(job.NextPaperButton);
    }
    if (!cur.Permit) {
      form.PrintButton->SetEnabled(false);
      form.PrintSetupButton->SetEnabled(false);
      form.CurrentPage->SetEnabled(false);
    }
    form.CurrentPage->SetVisible(cur.CurrentPage);
    form.PrevPaper->SetLeft(form.WherePage->Left() + form.WherePage->Width() + 20);
    form.NextPaper->SetLeft(form.WherePage->Left() + form.WherePage->Width() + 102);
    if (vdb) {
      vdb->SetPaper(cur.OutPutPaper != 0 ? cur.OutPutPaper : cur.PaperSize);
      vdb->SetDevMode(job);
    }
    SetPrinterOrientation(cur.Orientation);
    UpdateScaleRatios();
    // Maximized; laid out at that size now, since the window system may maximize it only
    // after the first activation, where the zoom is fitted to the window.
    const QRect work = Screen().WorkArea();
    if (!work.isEmpty()) form.SetBounds(work.left(), work.top(), work.width(), work.height());
    form.FormResize(&form);
    form.SetWindowState(wsMaximized);
    form.ShowModal();
    result = form.PreviewCloseNum;
  } catch (const std::exception& e) {
    Log("PREVIEW.開始", e);
  }
  if (g_preview) {
    TImageDispForm* form = g_preview;
    g_preview = nullptr;
    form->Free();
  }
  return result;
}
