#pragma once
// The print options dialog that stands before a report: a caption and a message of the
// caller's, the options the caller switches on (black and white or colour with a colour
// choice, the first page number, margins for both sides), and three ways out: print (OK),
// preview or copy. The dialog edits the caller's TDefaultPrintRec in place.
//
//   TDefaultPrintRec rec;
//   SetDefaultPrintRec(rec);
//   rec.Name = "KamokuList";
//   auto* dlg = forms::CreateForm<TPrintDlgBox>(owner);
//   dlg->StyleStorage = true;                 // options and colours kept per operator
//   dlg->Rec = &rec;
//   dlg->CaptionText = "科目情報の印刷";
//   dlg->Message = "科目情報を印刷します。";
//   dlg->ShowColor = dlg->ShowStartPage = dlg->ShowPreview = true;
//   dlg->Setup(1);
//   if (dlg->ShowModal() == mrOk && dlg->Result == 1) Print(rec);   // 2 preview, 3 copy
//   dlg->Free();
//
// With StyleStorage the options ("C010=1" colour, "C020=1" both sides; derived dialogs add
// their own keys) and the four colours are read from the operator's STYLECOLOR row of the
// report ("020-" + the name) when the dialog is set up, and written back whenever it closes,
// Cancel included. A colour equal to the operator's environment colour is stored as -1, so it
// follows later changes of the environment. A record with an empty name is never stored.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/db/IBSQL.h"
#include "ui/SDI.h"
#include "ui/forms/Button.h"
#include "ui/forms/Label.h"
#include "ui/forms/Memo.h"
#include "ui/forms/Panel.h"
#include "ui/xCheckBox.h"
#include "ui/xEdit.h"
#include "ui/xPlButton.h"
#include "ui/xRadioButton.h"
#include "ui/z5PrintDlgRec.h"

// The start page typed into the dialog: 1 for a text that is not an integer and for 0.
std::int32_t StartPageOf(const std::string& text);

class TPrintDlgBox : public TBSDI {
 public:
  explicit TPrintDlgBox(QWidget* owner);
  ~TPrintDlgBox() override;

  // ---- controls ----
  forms::TPanel* pnlClient;
  forms::TLabel* lblMain;
  forms::TLabel* lblColor;
  forms::TGroupBox* grpColor;
  TxRadioButton* btnMono;
  TxRadioButton* btnColor;
  forms::TSpeedButton* btnColorSelect;
  forms::TLabel* lblStartPage;
  TxEdit* txtStartPage;
  TxCheckBox* chkBoth;
  forms::TPanel* pnlBottom;
  forms::TPanel* PanelHint;
  forms::TMemo* HintArea;
  TxPlButton* btnPreview;
  TxPlButton* btnCopy;
  TxPlButton* btnOK;
  TxPlButton* btnCancel;
  TIBSQL IBSQL1;  // on the system database, in its shared transaction

  // ---- fields the caller sets between creation and Setup ----
  std::uint8_t OptionByte = 0;  // the value last passed to Setup
  std::int32_t Reserved = 0;
  bool StyleStorage = false;    // read and write the report's STYLECOLOR row
  TDefaultPrintRec* Rec = nullptr;
  std::string CaptionText;
  std::string Message;
  forms::TColor MessageColor = forms::clWindowText;
  std::string GuideText;        // kept for the caller; not shown
  bool ShowColor = false;
  bool ShowStartPage = false;
  bool ShowBothSides = false;
  bool ShowPreview = false;
  bool ShowCopy = false;
  // ---- results ----
  std::uint8_t Result = 0;      // 0 none, 1 print, 2 preview, 3 copy
  std::string StylePrefix = "020-";
  std::string StyleName;        // the STYLECOLOR name last computed
  std::vector<std::string> SettingsList;  // work list of the option text

  virtual void Setup(std::uint8_t value);
  // The caller's fields to the controls, then the stored options restored.
  virtual void ApplyInfo();
  virtual void LoadHints();
  // "HOZON" (any case) stores the options into the record's option text, "FUKUGEN" restores
  // them from it; anything else does nothing.
  virtual void HozonFukugen(const std::string& mode);

  // The report's STYLECOLOR row into the record (colours stored as -1 keep the record's). A
  // failure is reported and leaves the record as it was.
  void GetStyleColorRec();
  // The record's colours and options into the row. False only when writing failed (reported).
  bool PutStyleColorRec();

  void FormCreate(QObject* Sender) override;
  void FormActivate(QObject* Sender) override;
  void FormDestroy(QObject* Sender) override;
  void FormClose(QObject* Sender, forms::TCloseAction& Action) override;

 protected:
  void CMShowingChanged() override;
  // OK, preview and copy: the options into the record, Result set, the dialog ends with 1.
  virtual void btnOKClick(QObject* Sender);
  void btnColorSelectClick(QObject* Sender);
  // The value of `key` in SettingsList ("" when missing).
  std::string SettingValue(const std::string& key) const;
  // SettingsList joined into the record's option text (lines ended by CR LF).
  void StoreSettingsList();
};
