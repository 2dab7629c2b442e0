#pragma once
// The framework's message dialog: a caption, a main message in a chosen colour, an optional
// read-only area of detail lines, an optional agree box and one or two buttons. Confirmations
// of destructive steps use it with an agree box that must be ticked before OK.
//
//   TMessageInfoRec info;
//   InitMessageInfo(info);
//   info.Kind = 2;                                  // agree box; OK only while it is ticked
//   info.Caption = "データの削除";
//   info.Message = "選択したデータを削除します。";
//   info.Lines = {"会社名: ..."};
//   info.AgreeCaption = "削除に同意する";
//   if (ShowMessageBox(info) == mrOk) ...
//
// Callers that keep the form create it, set its fields, call SetLines and Setup, show it
// modally and free it; Setup may be called again for the next message. Esc and the close box
// answer 2 (Cancel).
#include <cstdint>
#include <string>
#include <vector>

#include "ui/forms/Form.h"
#include "ui/forms/Label.h"
#include "ui/forms/Memo.h"
#include "ui/forms/Panel.h"
#include "ui/xCheckBox.h"
#include "ui/xPlButton.h"

struct TMessageInfoRec {
  // 0 OK and Cancel; 1 one OK button; 2 agree box, OK enabled only while it is ticked;
  // 3 agree box, OK always enabled.
  std::int32_t Kind = 0;
  forms::TPosition Position = forms::poOwnerFormCenter;
  std::string Caption;
  std::string Message;
  forms::TColor MessageColor = forms::clRed;
  std::vector<std::string> Lines;  // detail lines
  std::string AgreeCaption;
};

// The defaults above, with an empty list of lines.
void InitMessageInfo(TMessageInfoRec& info);

// Shows the dialog for `info` modally (owned by the main form) and returns 1 (OK) or 2
// (Cancel, Esc or the close box). The form is freed in every case.
int ShowMessageBox(const TMessageInfoRec& info);

class TMessageBox : public forms::TForm {
 public:
  explicit TMessageBox(QWidget* owner);

  forms::TPanel* pnlClient;
  forms::TLabel* lblMain;
  forms::TMemo* MessageArea;
  TxCheckBox* cboxAgree;
  forms::TPanel* pnlBottom;
  TxPlButton* btnOK;
  TxPlButton* btnCancel;

  // ---- fields the caller sets before Setup ----
  std::int32_t Kind = 0;
  std::string CaptionText;
  std::string Message;
  forms::TColor MessageColor = forms::clWindowText;
  bool AgreeVisible = false;
  std::string AgreeCaption = "同意する";
  bool AgreeChecked = false;  // the agree box's initial state
  int DesignWidth = 0;        // the form's size after creation
  int DesignHeight = 0;
  int FocusSelect = 3;        // 2 puts the focus on OK, anything else on the Cancel-position button

  // The detail lines (a copy of `lines`).
  void SetLines(const std::vector<std::string>& lines);
  const std::vector<std::string>& Lines() const { return lines_; }
  // Puts the form back to its design size and applies the fields.
  void Setup(std::uint8_t value);

 protected:
  void CMShowingChanged() override;

 private:
  void ApplyInfo();
  void cboxAgreeClick(QObject* sender);
  void btnOKClick(QObject* sender);
  void FormKeyUp(int& key, forms::TShiftState shift);

  std::vector<std::string> lines_;
  std::uint8_t setupValue_ = 0;
};
