#include "ui/z5PrnColorSet.h"

#include <QColorDialog>
#include <cstdio>

#include "data/DataModule.h"
#include "data/uAccRecord.h"
#include "platform/UiServices.h"
#include "ui/forms/Application.h"

using namespace forms;

namespace {

constexpr int kCustomCount = 16;  // the colour dialog's custom colour slots

}  // namespace

TPrnColorSetBox::TPrnColorSetBox(QWidget* owner) : TBSDI(owner) {
  SetName("PrnColorSetBox");
  SetCaption("帳票色の選択");
  SetBorderStyle(bsDialog);
  SetBorderIcons(biSystemMenu);
  SetPosition(poOwnerFormCenter);
  SetFont(TFontSpec{.Name = "ＭＳ Ｐゴシック", .Height = -12});
  SetClientSize(333, 231);

  pnlBottom = new TPanel(this);
  pnlBottom->SetName("pnlBottom");
  pnlBottom->SetCaption("");
  pnlBottom->SetBounds(0, 187, 333, 44);
  pnlBottom->SetAlign(alBottom);
  pnlClient = new TPanel(this);
  pnlClient->SetName("pnlClient");
  pnlClient->SetCaption("");
  pnlClient->SetAlign(alClient);

  auto row = [this](const char* labelName, const char* caption, const char* panelName, const char* buttonName,
                    int top, TLabel*& label, TPanel*& panel, TxPlButton*& button) {
    label = new TLabel(pnlClient);
    label->SetName(labelName);
    label->SetBounds(37, top + 4, 0, 0);
    label->SetCaption(caption);
    panel = new TPanel(pnlClient);
    panel->SetName(panelName);
    panel->SetCaption("");
    panel->SetBevelOuter(bvLowered);
    panel->SetBounds(105, top, 105, 20);
    button = new TxPlButton(pnlClient);
    button->SetName(buttonName);
    button->SetBounds(216, top - 1, 54, 21);
    button->CaptionA().SetCaption("変更");
    button->OnClick = [this](QObject* s) { btnLineColor1Click(s); };
  };
  row("Label8", "枠線:", "pnlLineColor1", "btnLineColor1", 26, Label8, pnlLineColor1, btnLineColor1);
  row("Label9", "縦横線:", "pnlLineColor2", "btnLineColor2", 58, Label9, pnlLineColor2, btnLineColor2);
  row("Label6", "見出し行:", "pnlNetColor1", "btnNetColor1", 90, Label6, pnlNetColor1, btnNetColor1);
  row("Label7", "合計行:", "pnlNetColor2", "btnNetColor2", 122, Label7, pnlNetColor2, btnNetColor2);

  lblKankyoColor = new TLabel(pnlClient);
  lblKankyoColor->SetName("lblKankyoColor");
  lblKankyoColor->SetBounds(163, 160, 0, 0);
  lblKankyoColor->SetCaption("環境設定の色に戻す");
  lblKankyoColor->setCursor(Qt::PointingHandCursor);
  lblKankyoColor->OnClick = [this](QObject* s) { lblKankyoColorClick(s); };

  auto button = [this](const char* name, int left, const char* caption, int result) {
    auto* b = new TxPlButton(pnlBottom);
    b->SetName(name);
    b->SetBounds(left, 6, 90, 26);
    b->CaptionA().SetCaption(caption);
    b->SetModalResult(result);
    return b;
  };
  btnOK = button("btnOK", 55, "OK", mrOk);
  btnOK->OnClick = [this](QObject* s) { btnOKClick(s); };
  btnCancel = button("btnCancel", 183, "キャンセル", mrCancel);
  btnCancel->SetCancel(true);

  ColorDialog1 = new QColorDialog(this);
  ColorDialog1->setObjectName("ColorDialog1");
  ColorDialog1->setOption(QColorDialog::DontUseNativeDialog);
}

void TPrnColorSetBox::FormCreate(QObject* Sender) {
  TBSDI::FormCreate(Sender);
  ModeByte = 0;
  ReportColours = 0;
  Panels = {pnlLineColor1, pnlLineColor2, pnlNetColor1, pnlNetColor2};
  LineColor1 = SystemDef.PLineColor1;
  LineColor2 = SystemDef.PLineColor2;
  NetColor1 = SystemDef.NetColor1;
  NetColor2 = SystemDef.NetColor2;
  btnLineColor1->SetTag(0);
  btnLineColor2->SetTag(1);
  btnNetColor1->SetTag(2);
  btnNetColor2->SetTag(3);
  FCreatedOK = true;
}

void TPrnColorSetBox::SetLineColor1(TColor value) {
  LineColor1 = value;
  pnlLineColor1->SetColor(value);
}
void TPrnColorSetBox::SetLineColor2(TColor value) {
  LineColor2 = value;
  pnlLineColor2->SetColor(value);
}
void TPrnColorSetBox::SetNetColor1(TColor value) {
  NetColor1 = value;
  pnlNetColor1->SetColor(value);
}
void TPrnColorSetBox::SetNetColor2(TColor value) {
  NetColor2 = value;
  pnlNetColor2->SetColor(value);
}

void TPrnColorSetBox::Setup(std::uint8_t value) {
  ModeByte = value;
  ShowColors();
  FSetupPending = false;
}

std::string TPrnColorSetBox::CustomColorsText() const {
  std::string text;
  for (int i = 0; i < kCustomCount; ++i) {
    char line[32];
    std::snprintf(line, sizeof line, "Color%c=%06X\r", 'A' + i,
                  static_cast<unsigned>(FromQColor(QColorDialog::customColor(i))) & 0xFFFFFFu);
    text += line;
  }
  return text;
}

void TPrnColorSetBox::SetCustomColorsText(const std::string& text) {
  for (int i = 0; i < kCustomCount; ++i) QColorDialog::setCustomColor(i, Qt::white);
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    // "ColorX=BBGGRR", X from A to P.
    if (line.size() < 8 || line.compare(0, 5, "Color") != 0 || line[6] != '=') continue;
    const int slot = line[5] - 'A';
    if (slot < 0 || slot >= kCustomCount) continue;
    unsigned value = 0;
    int used = 0;
    const std::string hex = line.substr(7);
    if (hex.empty() || hex.size() > 8 || std::sscanf(hex.c_str(), "%x%n", &value, &used) != 1 ||
        used != static_cast<int>(hex.size()))
      continue;
    QColorDialog::setCustomColor(slot, ToQColor(static_cast<TColor>(value & 0xFFFFFFu)));
  }
}

void TPrnColorSetBox::ShowColors() {
  const TColor colours[4] = {LineColor1, LineColor2, NetColor1, NetColor2};
  for (int i = 0; i < 4; ++i) Panels[static_cast<std::size_t>(i)]->SetColor(colours[i]);

  TFontSpec font = lblKankyoColor->Font();
  font.Color = clBlue;
  font.Style |= fsUnderline;
  lblKankyoColor->SetFont(font);
  lblKankyoColor->SetVisible(ReportColours == 1);

  PaletteText.clear();
  if (DM) DM->GetStyleColor(SystemDef.LogonId, kCustomColorStyle, PaletteText);
  if (PaletteText.empty()) {
    for (int i = 0; i < kCustomCount; ++i) PaletteText += std::string("Color") + static_cast<char>('A' + i) + "=FFFFFF\r";
  }
  SetCustomColorsText(PaletteText);
}

void TPrnColorSetBox::btnLineColor1Click(QObject* Sender) {
  int tag = -1;
  for (TxPlButton* b : {btnLineColor1, btnLineColor2, btnNetColor1, btnNetColor2}) {
    if (b->Object() == Sender) tag = b->Tag();
  }
  if (tag < 0 || tag > 3) return;
  TPanel* panel = Panels[static_cast<std::size_t>(tag)];
  ColorDialog1->setCurrentColor(ToQColor(panel->Color()));
  if (ColorDialog1->exec() == QDialog::Accepted) panel->SetColor(FromQColor(ColorDialog1->selectedColor()));
}

void TPrnColorSetBox::lblKankyoColorClick(QObject* Sender) {
  if (Sender != lblKankyoColor->Object()) return;
  if (uis::ShowMessage(uis::MsgKind::Confirmation, "帳票の色を環境設定の色に戻します。\r\nよろしいですか？", {},
                       uis::Buttons::YesNo, uis::mrYes) != uis::mrYes)
    return;
  TFontSpec font = lblKankyoColor->Font();
  font.Color = clPurple;
  lblKankyoColor->SetFont(font);
  SetLineColor1(SystemDef.PLineColor1);
  SetLineColor2(SystemDef.PLineColor2);
  SetNetColor1(SystemDef.NetColor1);
  SetNetColor2(SystemDef.NetColor2);
}

void TPrnColorSetBox::btnOKClick(QObject*) {
  LineColor1 = pnlLineColor1->Color();
  LineColor2 = pnlLineColor2->Color();
  NetColor1 = pnlNetColor1->Color();
  NetColor2 = pnlNetColor2->Color();
  if (ReportColours == 0) SetEnvironmentColours();
}

void TPrnColorSetBox::SetEnvironmentColours() {
  SystemDef.PLineColor1 = LineColor1;
  SystemDef.PLineColor2 = LineColor2;
  SystemDef.NetColor1 = NetColor1;
  SystemDef.NetColor2 = NetColor2;
  if (DM) DM->fnPutSysDef();
}

void TPrnColorSetBox::FormActivate(QObject* Sender) {
  TBSDI::FormActivate(Sender);
  if (Showing()) btnOK->SetFocus();
  Screen().SetCursor(crDefault);
}

void TPrnColorSetBox::CMShowingChanged() {
  TBSDI::CMShowingChanged();
  if (!FCreatedOK) {
    ReportInitFailed();
    Close();
  }
}

void TPrnColorSetBox::FormClose(QObject* Sender, TCloseAction& Action) {
  TBSDI::FormClose(Sender, Action);
  Action = caHide;  // the caller reads the colours and frees the form
  PaletteText = CustomColorsText();
  if (DM) DM->PutStyleColor(SystemDef.LogonId, kCustomColorStyle, PaletteText);
}
