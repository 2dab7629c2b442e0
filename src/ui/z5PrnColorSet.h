#pragma once
// The report colour dialog "帳票色の選択": frame lines, grid lines, the shading of heading
// rows and of total rows. Each row shows its colour and a "変更" button that opens the
// platform's colour dialog.
//
//   auto* box = forms::CreateForm<TPrnColorSetBox>(owner);
//   box->ReportColours = 1;                  // colours of one report: nothing else changes
//   box->SetLineColor1(rec.LineColor1); ...  // the four colours to start from
//   box->Setup(1);
//   if (box->ShowModal() == mrOk) rec.LineColor1 = box->LineColor1; ...
//   box->Free();
//
// With ReportColours 0 the colours are the operator's environment colours: OK writes them
// into SystemDef and stores them (SYSDEF). With 1 OK only hands them back, and the link
// "環境設定の色に戻す" puts the environment's colours back (after a question). In both
// modes the sixteen custom colours of the colour dialog are kept per operator (STYLECOLOR
// "Pallet_CustomColor", lines "ColorA=BBGGRR" .. "ColorP=BBGGRR") and stored on every close.
#include <array>
#include <cstdint>
#include <string>

#include "ui/SDI.h"
#include "ui/forms/Label.h"
#include "ui/forms/Panel.h"
#include "ui/xPlButton.h"

class QColorDialog;

// The style name under which the custom colours are kept.
inline constexpr const char* kCustomColorStyle = "Pallet_CustomColor";

class TPrnColorSetBox : public TBSDI {
 public:
  explicit TPrnColorSetBox(QWidget* owner);

  forms::TPanel* pnlClient;
  forms::TLabel* Label8;
  forms::TPanel* pnlLineColor1;
  TxPlButton* btnLineColor1;
  forms::TLabel* Label9;
  forms::TPanel* pnlLineColor2;
  TxPlButton* btnLineColor2;
  forms::TLabel* Label6;
  forms::TPanel* pnlNetColor1;
  TxPlButton* btnNetColor1;
  forms::TLabel* Label7;
  forms::TPanel* pnlNetColor2;
  TxPlButton* btnNetColor2;
  forms::TLabel* lblKankyoColor;
  forms::TPanel* pnlBottom;
  TxPlButton* btnOK;
  TxPlButton* btnCancel;
  QColorDialog* ColorDialog1;  // not the platform's native one

  std::uint8_t ModeByte = 0;       // the value last passed to Setup
  std::int32_t ReportColours = 0;  // 1: the colours of one report; 0: the environment's
  std::array<forms::TPanel*, 4> Panels{};  // by the Tag of a "変更" button
  forms::TColor LineColor1 = 0, LineColor2 = 0, NetColor1 = 0, NetColor2 = 0;
  std::string PaletteText;  // the custom colours as "ColorA=..." lines

  void SetLineColor1(forms::TColor value);
  void SetLineColor2(forms::TColor value);
  void SetNetColor1(forms::TColor value);
  void SetNetColor2(forms::TColor value);
  void Setup(std::uint8_t value);
  // The colours to the panels, the link for report mode, the operator's custom colours.
  void ShowColors();

  // The colour dialog's sixteen custom colours as text, and set from a text (a missing or
  // unreadable line gives white).
  std::string CustomColorsText() const;
  void SetCustomColorsText(const std::string& text);

  void FormCreate(QObject* Sender) override;
  void FormActivate(QObject* Sender) override;
  void FormClose(QObject* Sender, forms::TCloseAction& Action) override;

 protected:
  void CMShowingChanged() override;

 private:
  void btnLineColor1Click(QObject* Sender);
  void lblKankyoColorClick(QObject* Sender);
  void btnOKClick(QObject* Sender);
  void SetEnvironmentColours();
};
