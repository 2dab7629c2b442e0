#pragma once
// The choice between taking a server data set out to this computer and bringing it back:
// "データの持ち出し／持ち帰り". A data set already taken out can only be brought back.
//
//   auto* box = forms::CreateForm<TWhichDataSetBox>(owner);
//   box->Choice = 0;
//   box->Locked = rowIsTakenOut ? 1 : 0;
//   box->Setup(1);
//   if (box->ShowModal() == mrOk) use(box->Choice);   // 0 take-out, 1 bring-back
//   box->Free();
#include <cstdint>

#include "ui/SDI.h"
#include "ui/forms/Label.h"
#include "ui/forms/Memo.h"
#include "ui/forms/Panel.h"
#include "ui/xPlButton.h"

class TxRadioButton;

class TWhichDataSetBox : public TBSDI {
 public:
  explicit TWhichDataSetBox(QWidget* owner);

  forms::TLabel* Label1;
  forms::TGroupBox* GroupBox1;
  TxRadioButton* btnMochidashi;
  TxRadioButton* btnMochikaeri;
  forms::TMemo* HintArea;
  TxPlButton* btnOK;
  TxPlButton* btnCancel;

  int32_t Choice = 0;   // 0 take-out, 1 bring-back
  int32_t Locked = 0;   // 1: the data set is taken out
  uint8_t SetupValue = 0;

  void Setup(uint8_t Value);
  void ApplyChoice();
  void LoadHints();
  void btnOKClick(QObject* Sender);

  void FormCreate(QObject* Sender) override;
  void FormClose(QObject* Sender, forms::TCloseAction& Action) override;
  void FormKeyUp(QObject* Sender, int& Key, forms::TShiftState Shift) override;

 protected:
  void CMShowingChanged() override;
};
