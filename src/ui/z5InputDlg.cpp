#include "ui/z5InputDlg.h"

#include "data/uAccFunction.h"
#include "data/uAccRecord.h"
#include "platform/UiServices.h"
#include "ui/forms/Application.h"

using namespace forms;

namespace {

constexpr const char* kEnterPlease = "入力してから[OK]ボタンを押して下さい。";
constexpr const char* kEnterOrChoosePlease = "入力または選択してから[OK]ボタンを押して下さい。";
constexpr const char* kCharacterRefused = "入力できない文字が含まれています。";

bool IsDigit(char32_t c) { return c >= U'0' && c <= U'9'; }
bool IsLetter(char32_t c) { return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z'); }

// The text input: what the user brings in other than by typing (a paste, a drop, the input
// method) follows the dialog's key filter too.
class TInputEdit final : public TxEdit {
 public:
  explicit TInputEdit(QWidget* parent, const TInputDlgBox& dialog) : TxEdit(parent), dialog_(dialog) {}

  bool AcceptText(const QString& text) const override {
    if (!TxEdit::AcceptText(text)) return false;
    for (char32_t c : InsertedPart(text).toUcs4()) {
      if (!InputFilterAccepts(dialog_.CharFilter(), c)) return false;
    }
    return true;
  }

 private:
  const TInputDlgBox& dialog_;
};

// The long part of the control's hint into the hint area: the text after the first "|", the
// whole hint without one; an empty hint clears the area, no control leaves it.
void ShowLongHint(TControl* control, TMemo* target) {
  if (!control || !target) return;
  target->SetText(GetLongHint(control->Hint()));
}

}  // namespace

bool InputFilterAccepts(int filter, char32_t ch) {
  if (ch == U'\r') return true;
  switch (filter) {
    case 10: return ch == 8 || ch == U'-' || ch == U'.' || IsDigit(ch);
    case 20: return ch == 8 || IsLetter(ch);
    case 30: return ch == 8 || IsDigit(ch) || IsLetter(ch);
    case 40: return std::u32string_view(U"\"*,/:;<>?\\|").find(ch) == std::u32string_view::npos;
    default: return true;
  }
}

TInputDlgBox::TInputDlgBox(QWidget* owner) : TForm(owner) {
  SetName("InputDlgBox");
  SetCaption("InputDlgBox");
  SetBorderStyle(bsDialog);
  SetBorderIcons(biSystemMenu);
  SetPosition(poOwnerFormCenter);
  SetKeyPreview(true);
  SetFont(TFontSpec{.Height = -13});
  SetShowHint(SystemDef.ShowHint != 0);
  SetClientSize(427, 242);

  pnlClient = new TPanel(this);
  pnlClient->SetName("pnlClient");
  pnlClient->SetBevelOuter(bvNone);
  pnlClient->SetAlign(alClient);
  pnlBottom = new TPanel(this);
  pnlBottom->SetName("pnlBottom");
  pnlBottom->SetBounds(0, 114, 427, 128);
  pnlBottom->SetAlign(alBottom);

  lblMain = new TLabel(pnlClient);
  lblMain->SetName("lblMain");
  lblMain->SetShowAccelChar(false);
  lblMain->SetAutoSize(false);
  lblMain->SetWordWrap(true);
  lblMain->SetBounds(16, 16, 393, 49);
  lblMain->SetCaption("メッセージ");

  auto panel = [this](const char* name) {
    auto* p = new TPanel(pnlClient);
    p->SetName(name);
    p->SetBevelOuter(bvNone);
    p->SetCaption("");
    p->SetBounds(24, 72, 385, 33);
    return p;
  };
  pnlText = panel("pnlText");
  auto* input = new TInputEdit(pnlText, *this);
  txtInput = input;
  txtInput->SetName("txtInput");
  txtInput->SetBounds(0, 0, 250, 21);
  txtInput->SetKeyEdit3D(bsNone);
  txtInput->SetKeyStyles({ksEnter});
  btnFuseji = new TxCheckBox(pnlText);
  btnFuseji->SetName("btnFuseji");
  btnFuseji->SetBounds(256, 2, 121, 17);
  btnFuseji->SetCaption("伏字にせず入力");
  btnFuseji->SetTabStop(false);
  btnFuseji->SetKeyStyles({ksEnter});
  btnFuseji->OnClick = [this](QObject* sender) { btnFusejiClick(sender); };

  pnlCombo = panel("pnlCombo");
  pnlCombo->SetVisible(false);
  cmbInput = new TxComboBox(pnlCombo);
  cmbInput->SetName("cmbInput");
  cmbInput->SetBounds(0, 0, 265, 21);
  cmbInput->SetDropDownCount(16);
  cmbInput->setAttribute(Qt::WA_InputMethodEnabled, false);
  cmbInput->SetKeyTerm(":");
  cmbInput->OnKeyUp = [](QObject*, int&, TShiftState) {};

  pnlKingaku = panel("pnlKingaku");
  pnlKingaku->SetVisible(false);
  txtKingaku = new TTallixEdit(pnlKingaku);
  txtKingaku->SetName("txtKingaku");
  txtKingaku->SetBounds(0, 0, 120, 21);
  txtKingaku->SetMaxLength(11);
  txtKingaku->SetImeMode(imDisable);
  txtKingaku->SetAlignment(taRightJustify);
  txtKingaku->SetEditStyle(esNumericMinus);
  txtKingaku->SetOutputFormat("#,##0");
  txtKingaku->SetComma(true);
  txtKingaku->SetZero3Key(zkDot);
  txtKingaku->SetKeyStyles({ksEnter, ksUp});
  txtKingaku->SetAutoNextCtls({});
  lblKingakuTani = new TLabel(pnlKingaku);
  lblKingakuTani->SetName("lblKingakuTani");
  lblKingakuTani->SetBounds(128, 4, 0, 0);
  lblKingakuTani->SetCaption("円");

  PanelHint = new TPanel(pnlBottom);
  PanelHint->SetName("PanelHint");
  PanelHint->SetCaption("");
  PanelHint->SetBounds(1, 1, 425, 81);
  PanelHint->SetAlign(alTop);
  HintArea = new TMemo(PanelHint);
  HintArea->SetName("HintArea");
  HintArea->SetBounds(16, 8, 394, 65);
  HintArea->SetReadOnly(true);
  HintArea->SetTabStop(false);
  // The hint panel takes no input. It is not disabled in Qt's sense, which would grey the
  // hint text; the platform's disabled panel leaves the text of its children as it is.
  PanelHint->setAttribute(Qt::WA_TransparentForMouseEvents);
  HintArea->setFocusPolicy(Qt::NoFocus);
  HintArea->SetParentColor(true);
  HintArea->SetBorderStyle(bsNone);

  auto button = [this](const char* name, int left, const char* caption) {
    auto* b = new TxPlButton(pnlBottom);
    b->SetName(name);
    b->SetBounds(left, 88, 90, 26);
    b->CaptionA().SetCaption(caption);
    return b;
  };
  F1 = button("F1", 16, "F1:ヘルプ");
  F1->SetVisible(false);
  btnOK = button("btnOK", 217, "OK");
  btnOK->OnClick = [this](QObject* sender) { btnOKClick(sender); };
  btnCancel = button("btnCancel", 321, "キャンセル");
  btnCancel->SetModalResult(mrCancel);

  OnKeyUp = [this](QObject*, int& key, TShiftState shift) { FormKeyUp(key, shift); };
  // The creator frees the form.
  OnClose = [](QObject*, TCloseAction& action) { action = caHide; };
  MessageColor = Font().Color;
}

void TInputDlgBox::SetCharFilter(std::int32_t filter) {
  charFilter_ = filter;
  ApplyFilter();
}

void TInputDlgBox::ApplyFilter() {
  if (charFilter_ != 0) txtInput->OnKeyPress = [this](QObject* sender, char32_t& key) { txtInputKeyPress(sender, key); };
  else txtInput->OnKeyPress = nullptr;
}

void TInputDlgBox::Setup(std::uint8_t value) {
  SetupValue = value;
  SetCaption(CaptionText);
  lblMain->SetCaption(Message);
  TFontSpec font = lblMain->Font();
  font.Color = MessageColor;
  lblMain->SetFont(font);

  const QRect textBounds(pnlText->Left(), pnlText->Top(), pnlText->Width(), pnlText->Height());
  if (InputMode == 2) {
    pnlCombo->SetBounds(textBounds.x(), textBounds.y(), textBounds.width(), textBounds.height());
    pnlCombo->SetVisible(true);
    pnlText->SetVisible(false);
    pnlKingaku->SetVisible(false);
    cmbInput->SetItems(Items);
    cmbInput->SetText(Value);
    cmbInput->SetHint(InputHint);
    cmbInput->SetMaxLength(MaxLength);
    cmbInput->setAttribute(Qt::WA_InputMethodEnabled, InputIme != imDisable);
  } else if (InputMode == 3) {
    pnlKingaku->SetBounds(textBounds.x(), textBounds.y(), textBounds.width(), textBounds.height());
    pnlKingaku->SetVisible(true);
    pnlText->SetVisible(false);
    pnlCombo->SetVisible(false);
    txtKingaku->SetText(Value);
    txtKingaku->SetHint(InputHint);
    txtKingaku->SetMaxLength(MaxLength);
    txtKingaku->SetImeMode(imDisable);
  } else {
    pnlText->SetVisible(true);
    pnlCombo->SetVisible(false);
    pnlKingaku->SetVisible(false);
    txtInput->SetText(Value);
    txtInput->SetHint(InputHint);
    txtInput->SetMaxLength(MaxLength);
    txtInput->SetImeMode(InputIme);
    txtInput->SetPasswordChar(0);
    btnFuseji->SetVisible(false);
    if (InputMode == 1) {
      InputRequired = true;
      btnFuseji->SetVisible(true);
      btnFusejiClick(btnFuseji);
    }
  }
  ApplyFilter();
  btnFuseji->SetHint("パスワードを伏字にせず入力します。|チェックを入れるとパスワードを伏字にしないで入力が行えます。");
  btnOK->SetHint("内容を確定します。|内容を確定します。");
  btnCancel->SetHint("画面を閉じます。|画面を閉じます。");
}

void TInputDlgBox::btnFusejiClick(QObject*) { txtInput->SetPasswordChar(btnFuseji->Checked() ? 0 : U'*'); }

void TInputDlgBox::txtInputKeyPress(QObject*, char32_t& key) {
  if (!InputFilterAccepts(charFilter_, key)) key = 0;
}

void TInputDlgBox::Refuse(const char* text, TControl* control) {
  uis::ShowMessage(uis::MsgKind::Information, text);
  control->SetFocus();
}

void TInputDlgBox::btnOKClick(QObject*) {
  SetModalResult(mrNone);
  if (InputMode == 2) {
    if (InputRequired && TrimZenkaku(cmbInput->Text()).empty()) return Refuse(kEnterOrChoosePlease, cmbInput);
    Value = cmbInput->Text();
  } else if (InputMode == 3) {
    if (TrimZenkaku(txtKingaku->Text()).empty()) txtKingaku->SetText("0");
    Value = txtKingaku->Text();
  } else {
    const std::string text = txtInput->Text();
    if (InputRequired && TrimZenkaku(text).empty()) return Refuse(kEnterPlease, txtInput);
    // The filter holds for the whole entry, however the characters came in.
    for (char32_t c : QString::fromStdString(text).toUcs4()) {
      if (!InputFilterAccepts(charFilter_, c)) return Refuse(kCharacterRefused, txtInput);
    }
    Value = text;
  }
  SetModalResult(mrOk);
}

void TInputDlgBox::CMShowingChanged() {
  if (!Showing()) return;
  repaint();
  if (InputMode == 2) cmbInput->SetFocus();
  else if (InputMode == 3) txtKingaku->SetFocus();
  else txtInput->SetFocus();
  Screen().SetCursor(crDefault);
}

void TInputDlgBox::CMFocusChanged(TControl* control) { ShowLongHint(control, HintArea); }

void TInputDlgBox::FormKeyUp(int& key, TShiftState shift) {
  if ((shift & kModifierKeys) != 0) return;
  if (key == VK_ESCAPE) Close();
}
