#pragma once
// The wizard notebook: a stack of named pages that drives a [Back] and a [Next] button placed
// elsewhere on the form. [Next] moves one page on (the form may veto the move first), and on
// the last page it turns into the finishing button; [Back] moves one page back and hides
// itself on the first page. Optional labels show a header and an information text per page.
#include <functional>
#include <string>
#include <vector>

#include "ui/forms/Notebook.h"

namespace forms {
class TButton;
class TLabel;
}  // namespace forms

// After an allowed [Next] click; FinalState is true when it was the click on the last page.
using TNextClickEvent = std::function<void(QObject* Sender, bool FinalState)>;
// Before a [Next] click moves the page; clearing AllowChange keeps the page. FinalState is
// always false here, also on the last page.
using TNextClickingEvent = std::function<void(QObject* Sender, bool FinalState, bool& AllowChange)>;

class TxWizard : public forms::TNotebook {
 public:
  explicit TxWizard(QWidget* parent);

  // Caption texts; a form sets them before binding the buttons.
  std::string NextButtonCap;
  std::string NextButtonFinCap;
  std::string BackButtonCap;

  forms::TButton* NextButton() const { return nextButton_; }
  // Binds the button's click to NextButtonClick and gives it the caption for the page count.
  void SetNextButton(forms::TButton* button);
  forms::TButton* BackButton() const { return backButton_; }
  // Binds the button's click to BackButtonClick, hides it and gives it BackButtonCap.
  void SetBackButton(forms::TButton* button);
  forms::TLabel* LblHeader() const { return lblHeader_; }
  void SetLblHeader(forms::TLabel* label);
  forms::TLabel* LblInfo() const { return lblInfo_; }
  void SetLblInfo(forms::TLabel* label);
  // Header and information text per page index; a page without an entry leaves its label.
  const std::vector<std::string>& HeaderCaption() const { return headerCaption_; }
  void SetHeaderCaption(const std::vector<std::string>& lines);
  const std::vector<std::string>& InfoCaption() const { return infoCaption_; }
  void SetInfoCaption(const std::vector<std::string>& lines);

  forms::TNotifyEvent OnBackClick;
  TNextClickEvent OnNextClick;
  TNextClickingEvent OnNextClicking;

  void NextButtonClick(QObject* Sender);
  void BackButtonClick(QObject* Sender);

 private:
  void ShowPageTexts();

  forms::TButton* nextButton_ = nullptr;
  forms::TButton* backButton_ = nullptr;
  forms::TLabel* lblHeader_ = nullptr;
  forms::TLabel* lblInfo_ = nullptr;
  std::vector<std::string> headerCaption_;
  std::vector<std::string> infoCaption_;
};
