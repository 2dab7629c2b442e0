#include "app/xWizard.h"

#include "ui/forms/Button.h"
#include "ui/forms/Label.h"

namespace {

void ShowEntry(forms::TLabel* label, const std::vector<std::string>& lines, int index) {
  if (label && index >= 0 && index < static_cast<int>(lines.size())) label->SetCaption(lines[static_cast<size_t>(index)]);
}

}  // namespace

TxWizard::TxWizard(QWidget* parent) : forms::TNotebook(parent) {
  if (NextButtonCap.empty()) NextButtonCap = "次へ(&N) >";
  if (NextButtonFinCap.empty()) NextButtonFinCap = "完了(&F)";
  if (BackButtonCap.empty()) BackButtonCap = "< 戻る(&B)";
}

void TxWizard::SetNextButton(forms::TButton* button) {
  nextButton_ = button;
  if (!button) return;
  button->OnClick = [this](QObject* sender) { NextButtonClick(sender); };
  button->SetCaption(PageCount() == 1 ? NextButtonFinCap : NextButtonCap);
}

void TxWizard::SetBackButton(forms::TButton* button) {
  backButton_ = button;
  if (!button) return;
  button->OnClick = [this](QObject* sender) { BackButtonClick(sender); };
  button->SetVisible(false);
  button->SetCaption(BackButtonCap);
}

void TxWizard::SetLblHeader(forms::TLabel* label) {
  lblHeader_ = label;
  ShowEntry(lblHeader_, headerCaption_, PageIndex());
}

void TxWizard::SetLblInfo(forms::TLabel* label) {
  lblInfo_ = label;
  ShowEntry(lblInfo_, infoCaption_, PageIndex());
}

void TxWizard::SetHeaderCaption(const std::vector<std::string>& lines) { headerCaption_ = lines; }

void TxWizard::SetInfoCaption(const std::vector<std::string>& lines) { infoCaption_ = lines; }

void TxWizard::ShowPageTexts() {
  ShowEntry(lblHeader_, headerCaption_, PageIndex());
  ShowEntry(lblInfo_, infoCaption_, PageIndex());
}

void TxWizard::NextButtonClick(QObject* Sender) {
  const int count = PageCount();
  const int index = PageIndex();
  bool finalState = false;
  bool allowChange = true;
  if (OnNextClicking) OnNextClicking(Sender, false, allowChange);
  if (!allowChange) return;
  if (count == 1 || index == count - 1) {
    finalState = true;
  } else {
    SetPageIndex(PageIndex() + 1);
    ShowPageTexts();
    if (backButton_) backButton_->SetVisible(true);
  }
  if (PageIndex() == PageCount() - 1 && nextButton_) nextButton_->SetCaption(NextButtonFinCap);
  if (OnNextClick) OnNextClick(Sender, finalState);
}

void TxWizard::BackButtonClick(QObject* Sender) {
  if (PageCount() == 1 || PageIndex() == 0) {
    if (backButton_) backButton_->SetVisible(false);
  } else {
    SetPageIndex(PageIndex() - 1);
    ShowPageTexts();
    if (nextButton_) nextButton_->SetCaption(NextButtonCap);
  }
  if (PageIndex() == 0 && PageCount() > 1 && backButton_) backButton_->SetVisible(false);
  if (OnBackClick) OnBackClick(Sender);
}
