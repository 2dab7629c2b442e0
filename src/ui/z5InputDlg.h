#pragma once
// The framework's single-value input dialog: a text, a password, a choice from a list or an
// amount. The caller creates it, sets the public fields, optionally a character filter, calls
// Setup, shows it modally, reads Value after OK (result 1) and frees it.
//
//   auto* dlg = forms::CreateForm<TInputDlgBox>(nullptr);
//   dlg->InputMode = 0;
//   dlg->CaptionText = "新規フォルダ";
//   dlg->Message = "フォルダ名を入力して下さい。";
//   dlg->InputRequired = true;
//   dlg->SetCharFilter(40);                     // characters allowed in file names
//   dlg->Setup(1);
//   if (dlg->ShowModal() == mrOk) name = dlg->Value;
//   dlg->Free();
//
// OK refuses an empty entry where one is required (a password always), and an entry with a
// character the filter does not allow (pasted text, or a value given by the caller), with an
// information box; the dialog then stays open. Esc and the close box answer 2 (Cancel).
#include <cstdint>
#include <string>
#include <vector>

#include "ui/TallixEdit.h"
#include "ui/forms/Form.h"
#include "ui/forms/Label.h"
#include "ui/forms/Memo.h"
#include "ui/forms/Panel.h"
#include "ui/xCheckBox.h"
#include "ui/xComboBox.h"
#include "ui/xEdit.h"
#include "ui/xPlButton.h"

// Whether the key filter `filter` of the input dialog lets `ch` through: 10 digits, "-" and
// "."; 20 letters; 30 letters and digits (all three with Backspace); 40 everything except
// " * , / : ; < > ? \ |; any other filter everything. Enter always passes.
bool InputFilterAccepts(int filter, char32_t ch);

class TInputDlgBox : public forms::TForm {
 public:
  explicit TInputDlgBox(QWidget* owner);

  forms::TPanel* pnlClient;
  forms::TLabel* lblMain;
  forms::TPanel* pnlText;
  TxEdit* txtInput;
  TxCheckBox* btnFuseji;
  forms::TPanel* pnlCombo;
  TxComboBox* cmbInput;
  forms::TPanel* pnlKingaku;
  TTallixEdit* txtKingaku;
  forms::TLabel* lblKingakuTani;
  forms::TPanel* pnlBottom;
  forms::TPanel* PanelHint;
  forms::TMemo* HintArea;
  TxPlButton* F1;
  TxPlButton* btnOK;
  TxPlButton* btnCancel;

  // ---- fields the caller sets before Setup ----
  std::uint8_t SetupValue = 0;  // the value last passed to Setup
  std::int32_t InputMode = 0;   // 0 text, 1 password, 2 choice from Items, 3 amount
  std::string CaptionText;
  std::string Message;
  forms::TColor MessageColor = forms::clWindowText;
  std::string Value;            // in: the initial value; out: the entry after OK
  std::string InputHint;        // "short|long"; the long part shows in the hint area
  std::int32_t MaxLength = 0;   // 0: no limit
  forms::TImeMode InputIme = forms::imDontCare;
  bool InputRequired = false;   // always true for a password
  std::vector<std::string> Items;

  std::int32_t CharFilter() const { return charFilter_; }
  // 10 digits, 20 letters, 30 letters and digits, 40 file-name characters, 0 none.
  void SetCharFilter(std::int32_t filter);
  // Applies the fields to the controls of the input mode.
  void Setup(std::uint8_t value);

 protected:
  void CMShowingChanged() override;
  void CMFocusChanged(forms::TControl* control) override;

 private:
  void btnOKClick(QObject* sender);
  void txtInputKeyPress(QObject* sender, char32_t& key);
  void btnFusejiClick(QObject* sender);
  void FormKeyUp(int& key, forms::TShiftState shift);
  void ApplyFilter();
  // An information box; the focus goes back to `control`.
  void Refuse(const char* text, forms::TControl* control);

  std::int32_t charFilter_ = 0;
};
