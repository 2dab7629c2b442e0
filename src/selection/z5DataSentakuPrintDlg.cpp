#include "selection/z5DataSentakuPrintDlg.h"

#include <charconv>

#include "platform/AsciiCase.h"

using namespace forms;

TDataSentakuPrintDlg::TDataSentakuPrintDlg(QWidget* owner) : TPrintDlgBox(owner) {
  SetName("DataSentakuPrintDlg");
  SetClientSize(457, 219);
  pnlClient->SetHeight(100);

  Label2 = new TLabel(pnlClient);
  Label2->SetName("Label2");
  Label2->SetBounds(24, 66, 0, 0);
  Label2->SetCaption("用紙向き:");
  GroupBox1 = new TGroupBox(pnlClient);
  GroupBox1->SetName("GroupBox1");
  GroupBox1->SetCaption("");
  GroupBox1->SetBounds(96, 54, 201, 33);
  btnYousiTate = new TxRadioButton(GroupBox1);
  btnYousiTate->SetName("btnYousiTate");
  btnYousiTate->SetBounds(12, 10, 60, 17);
  btnYousiTate->SetCaption("縦");
  btnYousiTate->SetChecked(true);
  btnYousiYoko = new TxRadioButton(GroupBox1);
  btnYousiYoko->SetName("btnYousiYoko");
  btnYousiYoko->SetBounds(104, 10, 60, 17);
  btnYousiYoko->SetCaption("横");
  btnYousiYoko->SetTag(1);

  // The inherited options sit below the orientation; they stay hidden here.
  grpColor->SetTop(100);
  txtStartPage->SetTop(143);
  chkBoth->SetTop(171);
  lblColor->SetTop(111);
  btnColorSelect->SetBounds(304, 106, btnColorSelect->Width(), btnColorSelect->Height());
  lblStartPage->SetTop(148);
}

void TDataSentakuPrintDlg::Setup(std::uint8_t value) {
  ShowColor = ShowStartPage = ShowBothSides = false;
  TPrintDlgBox::Setup(value);
}

void TDataSentakuPrintDlg::ApplyInfo() {
  // The orientation is kept whatever the caller chose.
  StyleStorage = true;
  TPrintDlgBox::ApplyInfo();
  Orientation = 0;
  btnYousiTate->SetChecked(true);
  HozonFukugenOrientation("Fukugen");
}

void TDataSentakuPrintDlg::LoadHints() {
  TPrintDlgBox::LoadHints();
  const char* orientation =
      "印刷帳票の用紙の向きを選択します。|印刷帳票の用紙の向きを選択します。\r\n"
      "[横]を選択したときに限り、帳票上にコード情報を出力します。";
  btnYousiTate->SetHint(orientation);
  btnYousiYoko->SetHint(orientation);
  for (TxPlButton* b : {btnPreview, btnOK, btnCancel})
    b->SetHint("|[ﾌﾟﾚﾋﾞｭｰ]ﾎﾞﾀﾝを押すと画面上に印刷ｲﾒｰｼﾞを出力します。");
}

void TDataSentakuPrintDlg::btnOKClick(QObject* Sender) {
  Orientation = btnYousiYoko->Checked() ? 1 : 0;
  TPrintDlgBox::btnOKClick(Sender);
  HozonFukugenOrientation("Hozon");
}

void TDataSentakuPrintDlg::HozonFukugenOrientation(const std::string& mode) {
  const std::string m = ascii::Upper(mode);
  if (m == "FUKUGEN") {
    LoadGamenValue();
    const std::string text = SettingValue("P010");
    int32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    // Anything but a stored 1 is the portrait default.
    Orientation = (ec == std::errc() && end == text.data() + text.size() && value == 1) ? 1 : 0;
    btnYousiTate->SetChecked(true);
    if (Orientation == 1) btnYousiYoko->SetChecked(true);
  } else if (m == "HOZON") {
    FGamenValue.clear();
    SettingsList.push_back("P010=" + std::to_string(Orientation));
    StoreSettingsList();
    SaveGamenValue();
  }
}
