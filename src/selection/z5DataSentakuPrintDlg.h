#pragma once
// The data list's print dialog: the print options dialog without colour, start-page and
// both-sides options, with the paper orientation (縦 portrait, 横 landscape; only landscape
// prints the code column). The orientation chosen last is kept per operator as "P010=<n>" in
// the report's STYLECOLOR row, whatever the caller set for StyleStorage.
//
//   TDefaultPrintRec rec;
//   SetDefaultPrintRec(rec);
//   rec.Name = "DataSentakuList";
//   auto* dlg = forms::CreateForm<TDataSentakuPrintDlg>(owner);
//   dlg->Rec = &rec;
//   dlg->CaptionText = "データリストの印刷";
//   dlg->ShowPreview = true;
//   dlg->Setup(1);
//   if (dlg->ShowModal() == mrOk) ... dlg->Result, dlg->Orientation ...
//   dlg->Free();
#include <cstdint>
#include <string>

#include "ui/z5PrintDlg.h"

class TDataSentakuPrintDlg : public TPrintDlgBox {
 public:
  explicit TDataSentakuPrintDlg(QWidget* owner);

  forms::TLabel* Label2;
  forms::TGroupBox* GroupBox1;
  TxRadioButton* btnYousiTate;
  TxRadioButton* btnYousiYoko;

  std::int32_t Orientation = 0;  // 0 portrait, 1 landscape

  void Setup(std::uint8_t value) override;
  void ApplyInfo() override;
  void LoadHints() override;
  // The orientation into the option text ("HOZON") or out of it ("FUKUGEN"); beside the
  // inherited options, which the inherited HozonFukugen handles.
  void HozonFukugenOrientation(const std::string& mode);

 protected:
  void btnOKClick(QObject* Sender) override;
};
