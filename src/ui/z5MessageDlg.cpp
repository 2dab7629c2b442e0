#include "ui/z5MessageDlg.h"

#include "ui/forms/Application.h"

using namespace forms;

namespace {

constexpr TColor kButtonGradEnd = 11974326;

}  // namespace

void InitMessageInfo(TMessageInfoRec& info) { info = TMessageInfoRec{}; }

int ShowMessageBox(const TMessageInfoRec& info) {
  auto* form = CreateForm<TMessageBox>(Application().MainForm());
  int result = mrCancel;
  try {
    form->Kind = info.Kind;
    form->CaptionText = info.Caption;
    form->Message = info.Message;
    form->MessageColor = info.MessageColor;
    form->SetLines(info.Lines);
    form->AgreeCaption = info.AgreeCaption;
    form->SetPosition(info.Position);
    form->Setup(1);
    result = form->ShowModal();
  } catch (...) {
    form->Free();
    throw;
  }
  form->Free();
  return result;
}

TMessageBox::TMessageBox(QWidget* owner) : TForm(owner) {
  SetName("MessageBox");
  SetCaption("");
  SetBorderStyle(bsDialog);
  SetBorderIcons(biSystemMenu);
  SetPosition(poOwnerFormCenter);
  SetKeyPreview(true);
  SetFont(TFontSpec{.Height = -13});
  SetClientSize(492, 267);

  pnlClient = new TPanel(this);
  pnlClient->SetName("pnlClient");
  pnlClient->SetBevelOuter(bvNone);
  pnlClient->SetAlign(alClient);
  pnlBottom = new TPanel(this);
  pnlBottom->SetName("pnlBottom");
  pnlBottom->SetBevelOuter(bvNone);
  pnlBottom->SetBounds(0, 226, 492, 41);
  pnlBottom->SetAlign(alBottom);

  // The client panel has its final size now, so the anchored controls keep the right distances.
  lblMain = new TLabel(pnlClient);
  lblMain->SetName("lblMain");
  lblMain->SetShowAccelChar(false);
  lblMain->SetAutoSize(false);
  lblMain->SetWordWrap(true);
  lblMain->SetBounds(24, 16, 445, 49);
  lblMain->SetCaption("メッセージ");
  MessageArea = new TMemo(pnlClient);
  MessageArea->SetName("MessageArea");
  MessageArea->SetBounds(24, 72, 445, 130);
  MessageArea->SetAnchors(akLeft | akTop | akRight | akBottom);
  MessageArea->SetReadOnly(true);
  MessageArea->SetScrollBars(ssVertical);
  MessageArea->SetTabStop(false);
  cboxAgree = new TxCheckBox(pnlClient);
  cboxAgree->SetName("cboxAgree");
  cboxAgree->SetBounds(24, 208, 441, 17);
  cboxAgree->SetAnchors(akLeft | akBottom);
  cboxAgree->SetCaption("同意する。");
  cboxAgree->OnClick = [this](QObject* sender) { cboxAgreeClick(sender); };

  auto button = [this](const char* name, int left, int result, const char* caption) {
    auto* b = new TxPlButton(pnlBottom);
    b->SetName(name);
    b->SetBounds(left, 6, 90, 26);
    b->SetAnchors(akTop | akRight);
    b->SetModalResult(result);
    b->CaptionA().SetCaption(caption);
    b->SetGradEndColor(kButtonGradEnd);
    return b;
  };
  btnOK = button("btnOK", 275, mrOk, "OK");
  btnOK->OnClick = [this](QObject* sender) { btnOKClick(sender); };
  btnCancel = button("btnCancel", 379, mrCancel, "キャンセル");

  OnKeyUp = [this](QObject*, int& key, TShiftState shift) { FormKeyUp(key, shift); };
  // The creator frees the form.
  OnClose = [](QObject*, TCloseAction& action) { action = caHide; };

  MessageColor = Font().Color;
  DesignWidth = Width();
  DesignHeight = Height();
}

void TMessageBox::SetLines(const std::vector<std::string>& lines) { lines_ = lines; }

void TMessageBox::Setup(std::uint8_t value) {
  setupValue_ = value;
  AgreeVisible = Kind == 2 || Kind == 3;
  SetBounds(Left(), Top(), DesignWidth, DesignHeight);
  ApplyInfo();
}

void TMessageBox::ApplyInfo() {
  btnOK->SetVisible(true);
  btnCancel->SetVisible(true);
  btnOK->CaptionA().SetCaption("OK");
  btnOK->SetModalResult(mrOk);
  btnCancel->CaptionA().SetCaption("キャンセル");
  btnCancel->SetModalResult(mrCancel);
  if (Kind == 1) {
    btnOK->SetVisible(false);
    btnCancel->CaptionA().SetCaption("OK");
    btnCancel->SetModalResult(mrOk);
  }

  SetCaption(CaptionText);
  lblMain->SetCaption(Message);
  TFontSpec font = lblMain->Font();
  font.Color = MessageColor;
  lblMain->SetFont(font);

  // The detail area shows exactly when there are lines, also on a form shown before.
  MessageArea->SetLines(lines_);
  MessageArea->SetVisible(!lines_.empty());
  if (lines_.empty()) SetClientHeight(ClientHeight() - MessageArea->Height());

  cboxAgree->SetVisible(AgreeVisible);
  cboxAgree->SetCaption(AgreeCaption);
  cboxAgree->SetChecked(AgreeChecked);

  btnOK->SetEnabled(true);
  if (Kind == 2) btnOK->SetEnabled(!cboxAgree->Visible());
}

void TMessageBox::CMShowingChanged() {
  if (!Showing()) return;
  repaint();
  if (FocusSelect == 2) btnOK->SetFocus();
  else btnCancel->SetFocus();
  Screen().SetCursor(crDefault);
}

void TMessageBox::cboxAgreeClick(QObject*) {
  if (Kind == 2) btnOK->SetEnabled(cboxAgree->Checked());
}

void TMessageBox::btnOKClick(QObject*) { SetModalResult(btnOK->ModalResult()); }

void TMessageBox::FormKeyUp(int& key, TShiftState shift) {
  if ((shift & kModifierKeys) != 0) return;
  if (key == VK_ESCAPE) Close();
}
