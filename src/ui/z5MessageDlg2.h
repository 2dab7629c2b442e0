#pragma once
// The stand-alone message form: a stay-on-top form with a system icon, up to ten lines of
// text (each with its own colour and an optional hyperlink), up to three buttons taken from
// the message-dialog button set, and an optional agree box. It does not rest on the dialog
// base form, so any code can show it, the start-up included.
//
//   TMessage2InfoRec info;
//   InitMessage2Info(3, info);                 // "確認", question icon, OK and Cancel
//   info.Lines[0].Text = "データを削除します。";
//   if (ShowMessage2(info) == mrOk) ...
//
// A record may instead name a canned message by number (SetMessageNo); the form then fills
// itself from the table of canned messages. Esc and the close box answer 2 (Cancel), whatever
// buttons are shown. Ctrl+C copies the caption and the ten lines to the clipboard.
#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "ui/forms/Button.h"
#include "ui/forms/EnumSet.h"
#include "ui/forms/Form.h"
#include "ui/forms/Image.h"
#include "ui/forms/Label.h"
#include "ui/forms/Panel.h"
#include "ui/xCheckBox.h"

// The buttons of the message-dialog button set, in their bit order.
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };

// A set of TMsgDlgBtn, one bit each (16 bits).
using TMsgDlgButtons = forms::TEnumSet<TMsgDlgBtn, std::uint16_t, 0x7FF>;

// Caption and modal result of a button of the set ("はい(&Y)" 6 ... "ヘルプ(&H)" 0).
std::string MsgDlgBtnCaption(TMsgDlgBtn button);
int MsgDlgBtnResult(TMsgDlgBtn button);

struct TMessage2Line {
  std::string Text;
  forms::TColor Color = 0;
  std::string Link;  // a file or URL; a non-empty link makes the line a hyperlink
};

struct TMessage2InfoRec {
  std::int32_t MessageNo = 0;  // 0: the record as given; otherwise a canned message
  // 0 warning, 1 error, 2 information, 3 question; any other value no icon.
  std::uint8_t IconKind = 4;
  TMsgDlgButtons Buttons{mbOK};
  std::string Caption;
  std::array<TMessage2Line, 10> Lines;
  // 0 no agree box; 1 an agree box that enables the first button only while ticked; any
  // other value an agree box shown only. An empty or blank caption switches the box off.
  std::int32_t AgreeMode = 0;
  std::string AgreeCaption;
  bool AgreeResult = false;  // in: the box's initial state; out: its state at the close
};

// Prepares a record for kind 0 "警告", 1 "エラー", 2 "情報" (each with an OK button) or
// 3 "確認" (OK and Cancel); any other kind leaves no icon and no caption. Lines and the agree
// box are cleared.
void InitMessage2Info(std::uint8_t kind, TMessage2InfoRec& info);

// Shows the form modally (owned by the main form) and returns the modal result of the button
// pressed (2 for Esc or the close box); the agree box's state is written to AgreeResult.
int ShowMessage2(TMessage2InfoRec& info);

class TMessageBox2 : public forms::TForm {
 public:
  explicit TMessageBox2(QWidget* owner);

  forms::TPanel* pnlClient;
  forms::TImage* Image1;
  std::array<forms::TLabel*, 10> Labels;  // Label1 ... Label10
  forms::TPanel* pnlAgree;
  TxCheckBox* btnAgree;
  forms::TPanel* pnlBottom;
  std::array<forms::TButton*, 3> Buttons;  // btnButton1 ... btnButton3

  // The form's copy of the record (filled by ApplyInfo and SetMessageNo).
  const TMessage2InfoRec& Info() const { return info_; }
  std::int32_t MessageNo() const { return messageNo_; }

  // Stores the number; a non-zero number fills the form's record from the canned messages
  // (an unknown number leaves an information box without text).
  void SetMessageNo(std::int32_t number);
  // Takes the record and lays the form out for it: caption, icon, lines, width, height and
  // the buttons.
  void ApplyInfo(const TMessage2InfoRec& info);
  // Applies the form's own record again and then the agree box.
  void Setup(std::uint8_t value);
  // The state of the agree box.
  bool AgreeChecked() const { return btnAgree->Checked(); }

  // Ctrl+C's text: dashes, the caption, dashes and the ten lines, each followed by CR LF.
  std::string ClipboardText() const;

 private:
  void btnButton1Click(QObject* sender);
  void btnAgreeClick(QObject* sender);
  void LinkClick(QObject* sender);
  void FormKeyDown(int& key, forms::TShiftState shift);
  void FormKeyUp(int& key, forms::TShiftState shift);

  TMessage2InfoRec info_;
  std::int32_t messageNo_ = 0;
  std::uint8_t setupValue_ = 0;
  std::int32_t agreeMode_ = 0;
  std::string agreeCaption_;
  bool agreeResult_ = false;
};
