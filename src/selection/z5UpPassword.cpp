#include "selection/z5UpPassword.h"

#include <tuple>
#include <utility>

#include "data/uAccFunction.h"
#include "platform/UiServices.h"
#include "ui/forms/Application.h"

using namespace forms;

namespace {

constexpr const char* kNoCurrent = "現在のパスワードが入力されていません。";
constexpr const char* kWrongCurrent = "現在のパスワードが入力されたパスワードと一致しません。";
constexpr const char* kNoNew = "新しいパスワードが入力されていません。両方のボックスに入力して下さい。";
constexpr const char* kNewDiffer = "入力されたパスワードは一致しません。";

// Rows of the three edits at 96 dpi.
constexpr int kRowTop[3] = {24, 56, 88};

}  // namespace

bool PasswordKeyAccepted(char32_t key) {
  return key == U'\r' || key == 8 || (key >= U'0' && key <= U'9') || (key >= U'A' && key <= U'Z') ||
         (key >= U'a' && key <= U'z');
}

TUpPasswordBox::TUpPasswordBox(QWidget* owner) : TBSDI(owner) {
  SetName("UpPasswordBox");
  SetCaption("パスワードの変更");
  SetBorderStyle(bsDialog);
  SetBorderIcons(biSystemMenu);
  SetPosition(poScreenCenter);
  SetShowHint(true);
  SetClientSize(403, 262);

  pnlTop = new TPanel(this);
  pnlTop->SetName("pnlTop");
  pnlTop->SetCaption("");
  pnlTop->SetBevelOuter(bvNone);
  pnlTop->SetColor(clWhite);
  pnlTop->SetBounds(0, 0, 403, 57);
  pnlTop->SetAlign(alTop);
  Label1 = new TLabel(pnlTop);
  Label1->SetName("Label1");
  Label1->SetBounds(24, 22, 0, 0);

  GroupBox1 = new TGroupBox(this);
  GroupBox1->SetName("GroupBox1");
  GroupBox1->SetCaption("");
  GroupBox1->SetBounds(12, 68, 379, 137);

  auto row = [this](const char* labelName, const char* caption, const char* editName, const char* hint) {
    auto* l = new TLabel(GroupBox1);
    l->SetName(labelName);
    l->SetCaption(caption);
    auto* e = new TxEdit(GroupBox1);
    e->SetName(editName);
    e->SetMaxLength(10);
    e->SetImeMode(imDisable);
    e->SetPasswordChar(U'*');
    e->SetKeyStyles({ksEnter, ksUp});
    e->SetHint(hint);
    e->OnKeyPress = [this](QObject* s, char32_t& k) { PasswordKeyPress(s, k); };
    return std::pair{l, e};
  };
  std::tie(Label2, txtPasswordNow) = row("Label2", "現在のパスワード:", "txtPasswordNow", "現在のパスワードを入力します。");
  std::tie(Label3, txtPasswordNew1) = row("Label3", "新しいパスワード:", "txtPasswordNew1", "新しいパスワードを入力します。");
  std::tie(Label4, txtPasswordNew2) =
      row("Label4", "新しいパスワード(確認):", "txtPasswordNew2", "もう一度、新しいパスワードを入力します。");

  auto button = [this](const char* name, int left, const char* caption) {
    auto* b = new TxPlButton(this);
    b->SetName(name);
    b->SetBounds(left, 222, 97, 28);
    b->CaptionA().SetCaption(caption);
    return b;
  };
  btnOk = button("btnOk", 189, "OK");
  btnOk->OnClick = [this](QObject* s) { btnOkClick(s); };
  btnCancel = button("btnCancel", 294, "キャンセル");
  btnCancel->SetCancel(true);
  btnCancel->SetModalResult(mrCancel);
}

void TUpPasswordBox::FormCreate(QObject* Sender) {
  TBSDI::FormCreate(Sender);
  FKeepOnClose = true;  // the logon owns the dialog and shows it again
  FCreatedOK = true;
}

void TUpPasswordBox::Setup(const std::string& currentPassword) {
  CurrentPassword = currentPassword;
  HasCurrent = !currentPassword.empty();
  NewPassword.clear();
  TLabel* labels[3] = {Label2, Label3, Label4};
  TxEdit* edits[3] = {txtPasswordNow, txtPasswordNew1, txtPasswordNew2};
  const int first = HasCurrent ? 0 : 1;
  SetCaption(HasCurrent ? "パスワードの変更" : "パスワードの設定");
  Label1->SetCaption(HasCurrent ? "パスワードを変更します。" : "パスワードを設定します。");
  Label2->SetVisible(HasCurrent);
  txtPasswordNow->SetVisible(HasCurrent);
  for (int i = first; i < 3; ++i) {
    const int top = kRowTop[i - first] * PixelsPerInch() / 96;
    labels[i]->SetBounds(16 * PixelsPerInch() / 96, top + 4 * PixelsPerInch() / 96, 0, 0);
    edits[i]->SetBounds(176 * PixelsPerInch() / 96, top, 185 * PixelsPerInch() / 96, edits[i]->Height());
  }
  for (TxEdit* e : edits) e->SetText("");
  FSetupPending = false;
}

void TUpPasswordBox::CMShowingChanged() {
  TBSDI::CMShowingChanged();
  if (!Showing()) return;
  repaint();
  (HasCurrent ? txtPasswordNow : txtPasswordNew1)->SetFocus();
}

void TUpPasswordBox::PasswordKeyPress(QObject*, char32_t& key) {
  if (!PasswordKeyAccepted(key)) key = 0;
}

void TUpPasswordBox::Refuse(const char* text, TxEdit* focus) {
  uis::ShowMessage(uis::MsgKind::Warning, text);
  focus->SetFocus();
}

void TUpPasswordBox::btnOkClick(QObject*) {
  SetModalResult(mrNone);
  if (HasCurrent) {
    const std::string now = txtPasswordNow->Text();
    if (TrimZenkaku(now).empty()) return Refuse(kNoCurrent, txtPasswordNow);
    if (now != CurrentPassword) return Refuse(kWrongCurrent, txtPasswordNow);
  }
  const std::string new1 = txtPasswordNew1->Text();
  const std::string new2 = txtPasswordNew2->Text();
  if (TrimZenkaku(new1).empty() || TrimZenkaku(new2).empty()) return Refuse(kNoNew, txtPasswordNew1);
  if (new1 != new2) return Refuse(kNewDiffer, txtPasswordNew1);
  NewPassword = new1;
  SetModalResult(mrOk);
}
