#include "ui/QtUiServices.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/TextLines.h"
#include "ui/forms/Application.h"
#include "ui/forms/Button.h"
#include "ui/forms/CheckBox.h"
#include "ui/forms/Edit.h"
#include "ui/forms/Form.h"
#include "ui/forms/Label.h"
#include "ui/forms/Panel.h"
#include "ui/z5InputDlg.h"
#include "ui/z5MessageDlg2.h"

using namespace forms;

namespace {

// Runs `fn` on the GUI thread; a caller on another thread waits for it.
void OnGuiThread(const std::function<void()>& fn) {
  if (!qApp || QThread::currentThread() == qApp->thread()) {
    fn();
    return;
  }
  QMetaObject::invokeMethod(qApp, fn, Qt::BlockingQueuedConnection);
}

QWidget* ActiveOwner() {
  if (!qApp) return nullptr;
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return QApplication::activeWindow();
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

TMsgDlgButtons ButtonSet(uis::Buttons buttons) {
  switch (buttons) {
    case uis::Buttons::Ok: return {mbOK};
    case uis::Buttons::OkCancel: return {mbOK, mbCancel};
    case uis::Buttons::YesNo: return {mbYes, mbNo};
    case uis::Buttons::YesNoCancel: return {mbYes, mbNo, mbCancel};
    case uis::Buttons::RetryCancel: return {mbRetry, mbCancel};
    case uis::Buttons::AbortRetryIgnore: return {mbAbort, mbRetry, mbIgnore};
    case uis::Buttons::Yes: return {mbYes};
  }
  return {mbOK};
}

// The answer of Esc and the close box: Cancel where there is one, the lone button of a box
// with one, none (the box stays) where the user must choose.
int EscapeResult(uis::Buttons buttons) {
  switch (buttons) {
    case uis::Buttons::Ok: return mrOk;
    case uis::Buttons::Yes: return mrYes;
    case uis::Buttons::OkCancel:
    case uis::Buttons::YesNoCancel:
    case uis::Buttons::RetryCancel: return mrCancel;
    default: return 0;
  }
}

std::uint8_t KindOf(uis::MsgKind kind) {
  switch (kind) {
    case uis::MsgKind::Warning: return 0;
    case uis::MsgKind::Error: return 1;
    case uis::MsgKind::Information: return 2;
    case uis::MsgKind::Confirmation: return 3;
  }
  return 2;
}

// The request as the stand-alone message form's record: the lines, then after a blank line
// the detail. Lines past the tenth share the last line of the form, so no text is lost.
TMessage2InfoRec MessageRecord(const uis::MessageRequest& request) {
  TMessage2InfoRec info;
  InitMessage2Info(KindOf(request.kind), info);
  info.Buttons = ButtonSet(request.buttons);
  if (!request.caption.empty()) info.Caption = request.caption;
  std::vector<std::string> lines = request.lines;
  if (!request.detail.empty()) {
    lines.emplace_back();
    for (auto& line : textlines::Split(request.detail)) lines.push_back(std::move(line));
  }
  const size_t count = info.Lines.size();
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string& text = info.Lines[std::min(i, count - 1)].Text;
    if (i >= count) text += "\n";
    text += lines[i];
  }
  return info;
}

int RunMessageBox(const uis::MessageRequest& request) {
  const std::vector<int> results = [&] {
    std::vector<int> r;
    const TMsgDlgButtons set = ButtonSet(request.buttons);
    for (int b = mbYes; b <= mbHelp; ++b) {
      if (set.Contains(static_cast<TMsgDlgBtn>(b))) r.push_back(MsgDlgBtnResult(static_cast<TMsgDlgBtn>(b)));
    }
    return r;
  }();
  const int escape = EscapeResult(request.buttons);
  auto answered = [&](int result) { return std::find(results.begin(), results.end(), result) != results.end(); };

  auto* form = CreateForm<TMessageBox2>(ActiveOwner());
  int result = escape;
  try {
    form->ApplyInfo(MessageRecord(request));
    form->Setup(1);
    // A last line holding several lines grows the form downwards.
    TLabel* last = form->Labels.back();
    const int need = last->Top() + last->Height() + 8 - form->pnlClient->Height();
    if (!last->Caption().empty() && need > 0) form->SetClientHeight(form->ClientHeight() + need);
    for (TButton* button : form->Buttons) {
      if (button->Visible() && button->ModalResult() == request.defaultResult) form->SetActiveControl(button);
    }
    // Where the user must choose, Esc and the close box leave the box up.
    form->OnCloseQuery = [&](QObject*, bool& canClose) { canClose = escape != 0 || answered(form->ModalResult()); };
    const int shown = form->ShowModal();
    result = answered(shown) ? shown : escape;
  } catch (...) {
    form->Free();
    throw;
  }
  form->Free();
  return result;
}

// A number field of the print dialog: digits only, typed or pasted.
class TNumberEdit final : public TEdit {
 public:
  explicit TNumberEdit(QWidget* parent) : TEdit(parent) {
    SetMaxLength(4);
    SetImeMode(imDisable);
  }
  bool AcceptText(const QString& text) const override {
    if (!TEdit::AcceptText(text)) return false;
    for (QChar c : text) {
      if (c < u'0' || c > u'9') return false;
    }
    return true;
  }
  int Value(int def) const {
    bool ok = false;
    const int v = text().toInt(&ok);
    return ok ? v : def;
  }
};

// The print dialog: the printer, all pages or a range, copies and collation, orientation.
class TPrintRangeDialog final : public TForm {
 public:
  explicit TPrintRangeDialog(QWidget* owner) : TForm(owner) {
    SetName("PrintRangeDialog");
    SetCaption("印刷");
    SetBorderStyle(bsDialog);
    SetBorderIcons(biSystemMenu);
    SetPosition(owner ? poOwnerFormCenter : poScreenCenter);
    SetKeyPreview(true);
    SetFont(TFontSpec{.Height = -12});
    SetClientSize(420, 262);

    auto* printer = Group("gbPrinter", "プリンタ", 8, 8, 404, 46);
    lblPrinter = Label(printer, "lblPrinter", "", 12, 20);

    auto* range = Group("gbRange", "印刷範囲", 8, 62, 236, 110);
    rbAll = Radio(range, "rbAll", "すべて(&A)", 12, 20);
    rbPages = Radio(range, "rbPages", "ページ指定(&G)", 12, 44);
    Label(range, "lblFrom", "開始(&F):", 12, 72);
    edFrom = Number(range, "edFrom", 66, 68);
    Label(range, "lblTo", "終了(&T):", 118, 72);
    edTo = Number(range, "edTo", 172, 68);
    lblPages = Label(range, "lblPages", "", 12, 92);
    // Typing a page number chooses the range.
    for (TEdit* e : {edFrom, edTo}) {
      e->OnChange = [this](QObject*) {
        if (!loading_) rbPages->SetChecked(true);
      };
    }

    auto* copies = Group("gbCopies", "印刷部数", 252, 62, 160, 110);
    Label(copies, "lblCopies", "部数(&C):", 12, 24);
    edCopies = Number(copies, "edCopies", 66, 20);
    edCopies->SetMaxLength(2);
    cbCollate = new TCheckBox(copies);
    cbCollate->SetName("cbCollate");
    cbCollate->SetCaption("部単位で印刷(&O)");
    cbCollate->SetBounds(12, 52, 140, 20);

    auto* orientation = Group("gbOrientation", "印刷の向き", 8, 180, 236, 48);
    rbPortrait = Radio(orientation, "rbPortrait", "縦(&P)", 12, 20);
    rbLandscape = Radio(orientation, "rbLandscape", "横(&L)", 100, 20);

    btnOK = new TButton(this);
    btnOK->SetName("btnOK");
    btnOK->SetCaption("OK");
    btnOK->SetBounds(248, 226, 78, 26);
    btnOK->SetDefault(true);
    btnOK->SetModalResult(mrOk);
    btnCancel = new TButton(this);
    btnCancel->SetName("btnCancel");
    btnCancel->SetCaption("キャンセル");
    btnCancel->SetBounds(334, 226, 78, 26);
    btnCancel->SetCancel(true);
    btnCancel->SetModalResult(mrCancel);
  }

  void Load(const uis::PrintRangeRequest& r) {
    loading_ = true;
    lblPrinter->SetCaption("プリンタ名:  " + r.printerName);
    lblPages->SetCaption("(" + std::to_string(r.minPage) + "～" + std::to_string(r.maxPage) + " ページ)");
    edFrom->SetText(std::to_string(r.fromPage));
    edTo->SetText(std::to_string(r.toPage));
    edCopies->SetText(std::to_string(std::clamp(r.copies, 1, 99)));
    loading_ = false;
    rbPages->SetChecked(r.pageRange);
    rbAll->SetChecked(!r.pageRange);
    cbCollate->SetChecked(r.collate);
    rbLandscape->SetChecked(r.orientation == 1);
    rbPortrait->SetChecked(r.orientation != 1);
  }

  // The choices into `r`; a range outside the pages, or backwards, is brought inside them.
  void Store(uis::PrintRangeRequest& r) const {
    r.pageRange = rbPages->Checked();
    const int lo = std::min(r.minPage, r.maxPage), hi = std::max(r.minPage, r.maxPage);
    r.fromPage = std::clamp(edFrom->Value(lo), lo, hi);
    r.toPage = std::clamp(edTo->Value(hi), r.fromPage, hi);
    r.copies = std::clamp(edCopies->Value(1), 1, 99);
    r.collate = cbCollate->Checked();
    r.orientation = rbLandscape->Checked() ? 1 : 0;
  }

  TLabel* lblPrinter;
  TLabel* lblPages;
  TRadioButton* rbAll;
  TRadioButton* rbPages;
  TNumberEdit* edFrom;
  TNumberEdit* edTo;
  TNumberEdit* edCopies;
  TCheckBox* cbCollate;
  TRadioButton* rbPortrait;
  TRadioButton* rbLandscape;
  TButton* btnOK;
  TButton* btnCancel;

 private:
  TGroupBox* Group(const char* name, const char* caption, int left, int top, int width, int height) {
    auto* g = new TGroupBox(this);
    g->SetName(name);
    g->SetCaption(caption);
    g->SetBounds(left, top, width, height);
    return g;
  }
  static TLabel* Label(TControl* parent, const char* name, const char* caption, int left, int top) {
    auto* l = new TLabel(parent->Widget());
    l->SetName(name);
    l->SetCaption(caption);
    l->SetBounds(left, top, 0, 0);
    return l;
  }
  static TRadioButton* Radio(TControl* parent, const char* name, const char* caption, int left, int top) {
    auto* b = new TRadioButton(parent->Widget());
    b->SetName(name);
    b->SetCaption(caption);
    b->SetBounds(left, top, b->sizeHint().width(), 20);
    return b;
  }
  static TNumberEdit* Number(TControl* parent, const char* name, int left, int top) {
    auto* e = new TNumberEdit(parent->Widget());
    e->SetName(name);
    e->SetBounds(left, top, 40, 21);
    return e;
  }

  bool loading_ = false;
};

}  // namespace

std::string QtFileFilter(const std::string& filter) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    const size_t bar = filter.find('|', start);
    parts.push_back(filter.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  std::string out;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (!out.empty()) out += ";;";
    // Qt takes the patterns from the last parentheses of each entry.
    std::string patterns = parts[i + 1];
    std::replace(patterns.begin(), patterns.end(), ';', ' ');
    out += parts[i] + " (" + patterns + ")";
  }
  return out;
}

QtUiServices::QtUiServices() = default;

QtUiServices::~QtUiServices() {
  if (progress_) ProgressClose();
}

int QtUiServices::MessageBox(const uis::MessageRequest& request) {
  int result = request.defaultResult;
  OnGuiThread([&] { result = RunMessageBox(request); });
  return result;
}

bool QtUiServices::InputText(uis::InputRequest& request) {
  bool ok = false;
  OnGuiThread([&] {
    auto* dialog = CreateForm<TInputDlgBox>(ActiveOwner());
    try {
      dialog->InputMode = request.mode == 1 ? 1 : 0;
      dialog->CaptionText = request.caption;
      dialog->Message = request.message;
      if (request.messageRed) dialog->MessageColor = clRed;
      dialog->Value = request.value;
      dialog->InputHint = request.hint;
      dialog->MaxLength = request.maxLength;
      // A password is typed without the input method, and nothing can be pasted into it.
      if (request.mode == 1) dialog->InputIme = imDisable;
      dialog->SetCharFilter(request.charFilter);
      dialog->Setup(1);
      ok = dialog->ShowModal() == mrOk;
      if (ok) request.value = dialog->Value;
    } catch (...) {
      dialog->Free();
      throw;
    }
    dialog->Free();
  });
  return ok;
}

bool QtUiServices::PrintRange(uis::PrintRangeRequest& request) {
  bool ok = false;
  OnGuiThread([&] {
    auto* dialog = CreateForm<TPrintRangeDialog>(ActiveOwner());
    try {
      dialog->Load(request);
      ok = dialog->ShowModal() == mrOk;
      if (ok) dialog->Store(request);
    } catch (...) {
      dialog->Free();
      throw;
    }
    dialog->Free();
  });
  return ok;
}

bool QtUiServices::FileDialog(uis::FileDialogRequest& request) {
  bool ok = false;
  OnGuiThread([&] {
    QFileDialog dialog(ActiveOwner(), Q(request.caption));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);  // asked below, in Japanese
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setLabelText(QFileDialog::Accept, request.save ? "保存(&S)" : "開く(&O)");
    dialog.setLabelText(QFileDialog::Reject, "キャンセル");
    dialog.setLabelText(QFileDialog::LookIn, "ファイルの場所(&I):");
    dialog.setLabelText(QFileDialog::FileName, "ファイル名(&N):");
    dialog.setLabelText(QFileDialog::FileType, "ファイルの種類(&T):");
    if (!request.filter.empty()) dialog.setNameFilter(Q(QtFileFilter(request.filter)));
    if (!request.defaultExt.empty()) dialog.setDefaultSuffix(Q(request.defaultExt));
    if (!request.initialDir.empty()) dialog.setDirectory(Q(request.initialDir));
    if (!request.fileName.empty()) dialog.selectFile(Q(request.fileName));
    while (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
      const QString file = dialog.selectedFiles().front();
      if (request.save && request.overwritePrompt && QFileInfo::exists(file)) {
        const int answer = uis::ShowMessage(uis::MsgKind::Confirmation,
                                            QFileInfo(file).fileName().toStdString() + " は既に存在します。\r上書きしますか？",
                                            {}, uis::Buttons::YesNo, mrNo);
        if (answer != mrYes) continue;
      }
      request.fileName = file.toStdString();
      ok = true;
      break;
    }
  });
  return ok;
}

bool QtUiServices::FolderDialog(uis::FolderDialogRequest& request) {
  bool ok = false;
  OnGuiThread([&] {
    QFileDialog dialog(ActiveOwner(), Q(request.caption));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setLabelText(QFileDialog::Accept, "OK");
    dialog.setLabelText(QFileDialog::Reject, "キャンセル");
    dialog.setLabelText(QFileDialog::LookIn, "フォルダの場所(&I):");
    dialog.setLabelText(QFileDialog::FileName, "フォルダ(&F):");
    dialog.setDirectory(Q(!request.folder.empty() ? request.folder : !request.root.empty() ? request.root : std::string("/")));
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
      request.folder = dialog.selectedFiles().front().toStdString();
      ok = true;
    }
  });
  return ok;
}

void QtUiServices::ProgressShow(const std::string& caption, const std::string& text) {
  OnGuiThread([&] {
    if (!progress_) {
      // Parented to the active (modal) window: a window outside it would be blocked by it.
      QWidget* owner = ActiveOwner();
      auto* form = new TForm(owner);
      form->SetName("ProgressWindow");
      form->SetBorderStyle(bsDialog);
      form->SetBorderIcons(0);
      form->SetPosition(owner ? poOwnerFormCenter : poScreenCenter);
      form->OnCloseQuery = [](QObject*, bool& canClose) { canClose = false; };
      progressLabel_ = new TLabel(form);
      progressLabel_->SetName("InfoLabel");
      progressLabel_->SetShowAccelChar(false);
      progressLabel_->SetAutoSize(false);
      progressLabel_->SetBounds(20, 24, 340, 40);
      progressLabel_->SetWordWrap(true);
      form->SetClientSize(380, 88);
      form->AfterConstruction();
      progress_ = form;
      progressOwner_ = owner;
      if (owner) EnableWindow(owner, false);
    }
    auto* form = dynamic_cast<TForm*>(progress_.data());
    form->SetCaption(caption);
    progressLabel_->SetCaption(text);
    form->Show();
    form->repaint();
  });
}

void QtUiServices::ProgressText(const std::string& text) {
  OnGuiThread([&] {
    if (!progress_) return;
    progressLabel_->SetCaption(text);
    progressLabel_->repaint();
  });
}

void QtUiServices::ProgressClose() {
  OnGuiThread([&] {
    if (progressOwner_) EnableWindow(progressOwner_, true);
    progressOwner_ = nullptr;
    if (auto* form = dynamic_cast<TForm*>(progress_.data())) {
      form->OnCloseQuery = nullptr;
      form->Free();
    }
    progress_ = nullptr;
    progressLabel_ = nullptr;
  });
}

TForm* QtUiServices::ProgressWindow() const { return dynamic_cast<TForm*>(progress_.data()); }

void QtUiServices::ProcessPendingEvents() {
  OnGuiThread([] { Application().ProcessMessages(); });
}

int QtUiServices::ScreenDpi() { return Screen().PixelsPerInch(); }

bool QtUiServices::IsBusyCursor() { return Screen().Cursor() == crHourGlass; }

void QtUiServices::RequestQuit() {
  OnGuiThread([] { Application().Terminate(); });
}
