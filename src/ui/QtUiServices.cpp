#include "ui/QtUiServices.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QStyle>
#include <QThread>
#include <QValidator>
#include <algorithm>
#include <functional>
#include <vector>

#include "ui/forms/Application.h"
#include "ui/forms/Button.h"
#include "ui/forms/Edit.h"
#include "ui/forms/Form.h"
#include "ui/forms/Image.h"
#include "ui/forms/Label.h"
#include "ui/forms/Memo.h"

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

std::vector<int> ButtonResults(uis::Buttons buttons) {
  switch (buttons) {
    case uis::Buttons::Ok: return {mrOk};
    case uis::Buttons::OkCancel: return {mrOk, mrCancel};
    case uis::Buttons::YesNo: return {mrYes, mrNo};
    case uis::Buttons::YesNoCancel: return {mrYes, mrNo, mrCancel};
    case uis::Buttons::RetryCancel: return {mrRetry, mrCancel};
    case uis::Buttons::AbortRetryIgnore: return {mrAbort, mrRetry, mrIgnore};
  }
  return {mrOk};
}

// The answer of Esc and the close box: Cancel where there is one, OK for a lone OK, none
// (the box stays) where the user must choose.
int EscapeResult(uis::Buttons buttons) {
  switch (buttons) {
    case uis::Buttons::Ok: return mrOk;
    case uis::Buttons::OkCancel:
    case uis::Buttons::YesNoCancel:
    case uis::Buttons::RetryCancel: return mrCancel;
    default: return 0;
  }
}

QStyle::StandardPixmap IconOf(uis::MsgKind kind) {
  switch (kind) {
    case uis::MsgKind::Warning: return QStyle::SP_MessageBoxWarning;
    case uis::MsgKind::Error: return QStyle::SP_MessageBoxCritical;
    case uis::MsgKind::Confirmation: return QStyle::SP_MessageBoxQuestion;
    default: return QStyle::SP_MessageBoxInformation;
  }
}

constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 8;

class MessageDialog final : public TForm {
 public:
  MessageDialog(QWidget* owner, const uis::MessageRequest& request) : TForm(owner) {
    SetName("MessageDialog");
    SetBorderStyle(bsDialog);
    SetBorderIcons(biSystemMenu);
    SetPosition(owner ? poOwnerFormCenter : poScreenCenter);
    SetCaption(request.caption.empty() ? MessageCaption(request.kind) : request.caption);
    results_ = ButtonResults(request.buttons);
    escape_ = EscapeResult(request.buttons);

    auto* icon = new TImage(this);
    icon->SetName("Image1");
    icon->SetBounds(16, 16, 32, 32);
    TPicture picture;
    picture.Assign(style()->standardIcon(IconOf(request.kind)).pixmap(32, 32).toImage(), TGraphicKind::Icon);
    icon->SetPicture(picture);

    auto* text = new TLabel(this);
    text->SetName("lblMessage");
    text->SetShowAccelChar(false);
    std::string joined;
    for (size_t i = 0; i < request.lines.size(); ++i) joined += (i ? "\n" : "") + request.lines[i];
    text->SetCaption(joined);
    text->SetLeft(64);
    text->SetTop(22);

    const int buttonsWidth = static_cast<int>(results_.size()) * (kButtonWidth + kButtonGap) - kButtonGap;
    const int clientWidth = std::max({64 + text->Width() + 24, buttonsWidth + 32, 280});
    int y = std::max(text->Top() + text->Height(), 16 + 32);
    if (!request.detail.empty()) {
      auto* detail = new TMemo(this);
      detail->SetName("MessageArea");
      detail->SetReadOnly(true);
      detail->SetTabStop(false);
      detail->SetScrollBars(ssVertical);
      detail->SetText(request.detail);
      detail->SetBounds(64, y + 10, clientWidth - 64 - 16, 80);
      y = detail->Top() + detail->Height();
    }
    const int buttonsTop = y + 16;
    int x = (clientWidth - buttonsWidth) / 2;
    for (int result : results_) {
      auto* button = new TButton(this);
      button->SetName("btn" + std::to_string(result));
      button->SetCaption(ButtonCaption(result));
      button->SetModalResult(result);
      button->SetBounds(x, buttonsTop, kButtonWidth, kButtonHeight);
      button->SetCancel(result == escape_);
      if (result == request.defaultResult) {
        button->SetDefault(true);
        SetActiveControl(button);
      }
      x += kButtonWidth + kButtonGap;
    }
    SetClientSize(clientWidth, buttonsTop + kButtonHeight + 12);
    OnCloseQuery = [this](QObject*, bool& canClose) { canClose = Answered() || escape_ != 0; };
  }

  int Run() {
    const int result = ShowModal();
    return std::find(results_.begin(), results_.end(), result) != results_.end() ? result : escape_;
  }

 private:
  bool Answered() const { return std::find(results_.begin(), results_.end(), ModalResult()) != results_.end(); }

  std::vector<int> results_;
  int escape_ = 0;
};

// Characters a text entry accepts: 10 digits, 20 letters, 30 letters and digits, 40 file-name
// characters; anything for 0.
bool Accepts(int filter, QChar c) {
  const char16_t u = c.unicode();
  const bool digit = u >= '0' && u <= '9';
  const bool letter = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
  switch (filter) {
    case 10: return digit;
    case 20: return letter;
    case 30: return letter || digit;
    case 40: return QStringLiteral("\"*,/:;<>?\\|").indexOf(c) < 0;
    default: return true;
  }
}

// The filter checks the whole text, so pasted text is held to it as typed text is.
class CharFilter final : public QValidator {
 public:
  CharFilter(QObject* parent, int filter) : QValidator(parent), filter_(filter) {}
  State validate(QString& input, int&) const override {
    for (QChar c : input) {
      if (!Accepts(filter_, c)) return Invalid;
    }
    return Acceptable;
  }

 private:
  int filter_;
};

class InputDialog final : public TForm {
 public:
  InputDialog(QWidget* owner, const uis::InputRequest& request) : TForm(owner) {
    SetName("InputDialog");
    SetBorderStyle(bsDialog);
    SetBorderIcons(biSystemMenu);
    SetPosition(owner ? poOwnerFormCenter : poScreenCenter);
    SetCaption(request.caption);

    auto* message = new TLabel(this);
    message->SetName("lblMessage");
    message->SetShowAccelChar(false);
    message->SetCaption(request.message);
    message->SetBounds(16, 16, 0, 0);
    message->SetAutoSize(true);
    if (request.messageRed) {
      TFontSpec font = message->Font();
      font.Color = clRed;
      message->SetFont(font);
    }

    edit = new TEdit(this);
    edit->SetName("txtInput");
    edit->SetBounds(16, message->Top() + std::max(message->Height(), 13) + 8, 360, 21);
    if (request.mode == 1) edit->SetPasswordChar(U'*');
    if (request.maxLength > 0) edit->setMaxLength(request.maxLength);
    if (request.charFilter != 0) edit->setValidator(new CharFilter(edit, request.charFilter));
    edit->SetText(request.value);
    int y = edit->Top() + edit->Height();
    if (!request.hint.empty()) {
      auto* hint = new TLabel(this);
      hint->SetName("lblHint");
      hint->SetShowAccelChar(false);
      hint->SetCaption(request.hint);
      hint->SetBounds(16, y + 8, 0, 0);
      hint->SetAutoSize(true);
      y = hint->Top() + hint->Height();
    }
    const int clientWidth = 392;
    const int top = y + 16;
    auto* ok = new TButton(this);
    ok->SetName("btnOK");
    ok->SetCaption(ButtonCaption(mrOk));
    ok->SetModalResult(mrOk);
    ok->SetDefault(true);
    ok->SetBounds(clientWidth - 2 * kButtonWidth - kButtonGap - 16, top, kButtonWidth, kButtonHeight);
    auto* cancel = new TButton(this);
    cancel->SetName("btnCancel");
    cancel->SetCaption(ButtonCaption(mrCancel));
    cancel->SetModalResult(mrCancel);
    cancel->SetCancel(true);
    cancel->SetBounds(clientWidth - kButtonWidth - 16, top, kButtonWidth, kButtonHeight);
    SetClientSize(clientWidth, top + kButtonHeight + 12);
    SetActiveControl(edit);
  }

  TEdit* edit = nullptr;
};

}  // namespace

std::string MessageCaption(uis::MsgKind kind) {
  switch (kind) {
    case uis::MsgKind::Warning: return "警告";
    case uis::MsgKind::Error: return "エラー";
    case uis::MsgKind::Information: return "情報";
    case uis::MsgKind::Confirmation: return "確認";
  }
  return "";
}

std::string ButtonCaption(int result) {
  switch (result) {
    case mrOk: return "OK(&O)";
    case mrCancel: return "ｷｬﾝｾﾙ(&C)";
    case mrYes: return "はい(&Y)";
    case mrNo: return "いいえ(&N)";
    case mrAbort: return "中断(&A)";
    case mrRetry: return "再試行(&R)";
    case mrIgnore: return "無視(&I)";
    default: return "";
  }
}

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
  OnGuiThread([&] {
    auto* dialog = new MessageDialog(ActiveOwner(), request);
    dialog->AfterConstruction();
    result = dialog->Run();
    dialog->Free();
  });
  return result;
}

bool QtUiServices::InputText(uis::InputRequest& request) {
  bool ok = false;
  OnGuiThread([&] {
    auto* dialog = new InputDialog(ActiveOwner(), request);
    dialog->AfterConstruction();
    ok = dialog->ShowModal() == mrOk;
    if (ok) request.value = dialog->edit->Text();
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
