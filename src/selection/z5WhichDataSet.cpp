#include "selection/z5WhichDataSet.h"

#include "platform/UiServices.h"
#include "ui/forms/Keys.h"
#include "ui/xRadioButton.h"

using namespace forms;

TWhichDataSetBox::TWhichDataSetBox(QWidget* owner) : TBSDI(owner) {
  SetName("WhichDataSetBox");
  SetCaption("データの持ち出し／持ち帰り");
  SetBorderStyle(bsDialog);
  SetBorderIcons(biSystemMenu);
  SetPosition(poOwnerFormCenter);
  SetShowHint(true);
  SetClientSize(492, 246);

  Label1 = new TLabel(this);
  Label1->SetName("Label1");
  Label1->SetCaption("データの処理方法:");
  Label1->SetBounds(16, 16, 0, 0);
  GroupBox1 = new TGroupBox(this);
  GroupBox1->SetName("GroupBox1");
  GroupBox1->SetCaption("");
  GroupBox1->SetBounds(16, 36, 460, 76);
  btnMochidashi = new TxRadioButton(GroupBox1);
  btnMochidashi->SetName("btnMochidashi");
  btnMochidashi->SetCaption("データを持ち出します");
  btnMochidashi->SetBounds(20, 18, 300, 17);
  btnMochikaeri = new TxRadioButton(GroupBox1);
  btnMochikaeri->SetName("btnMochikaeri");
  btnMochikaeri->SetCaption("データを持ち帰りました");
  btnMochikaeri->SetBounds(20, 46, 300, 17);

  HintArea = new TMemo(this);
  HintArea->SetName("HintArea");
  HintArea->SetReadOnly(true);
  HintArea->SetTabStop(false);
  HintArea->SetBounds(16, 124, 460, 64);

  auto button = [this](const char* name, int left, const char* caption) {
    auto* b = new TxPlButton(this);
    b->SetName(name);
    b->SetBounds(left, 204, 97, 28);
    b->CaptionA().SetCaption(caption);
    return b;
  };
  btnOK = button("btnOK", 274, "OK");
  btnOK->SetModalResult(mrOk);
  btnOK->OnClick = [this](QObject* s) { btnOKClick(s); };
  btnCancel = button("btnCancel", 379, "キャンセル");
  btnCancel->SetCancel(true);
  btnCancel->SetModalResult(mrCancel);
}

void TWhichDataSetBox::FormCreate(QObject* Sender) {
  TBSDI::FormCreate(Sender);
  UsePlainDialogFlags(FHintMemo);
  Choice = 0;
  Locked = 0;
  SetupValue = 0;
  FHintMemo = HintArea;
  btnMochidashi->SetChecked(true);
  FCreatedOK = true;
}

void TWhichDataSetBox::Setup(uint8_t Value) {
  SetupValue = Value;
  ApplyChoice();
  FSetupPending = false;
}

void TWhichDataSetBox::ApplyChoice() {
  LoadHints();
  btnMochidashi->SetEnabled(true);
  btnMochikaeri->SetEnabled(true);
  // Data already taken out can only come back.
  if (Locked == 1) btnMochidashi->SetEnabled(false);
  if (Locked != 0 || Choice != 0) btnMochikaeri->SetChecked(true);
  else btnMochidashi->SetChecked(true);
}

void TWhichDataSetBox::LoadHints() {
  btnMochidashi->SetHint(
      "データの処理方法を選択します。|データを持ち出すため、「データ選択（サーバ）」画面で選択した場所にあるデータをコンピュータ内のデータエリアへコピーします。");
  btnMochikaeri->SetHint(
      "データの処理方法を選択します。|データを持ち帰ったため、「データ選択（サーバ）」画面で選択した場所へコンピュータ内のデータエリアよりコピーします。");
  btnOK->SetHint("内容を保存して画面を閉じます。|内容を保存して画面を閉じます。");
  btnCancel->SetHint("画面を閉じます。|画面を閉じます。");
}

void TWhichDataSetBox::CMShowingChanged() {
  TBSDI::CMShowingChanged();
  if (!Showing() || !FCreatedOK) return;
  if (btnMochidashi->Checked() && btnMochidashi->Enabled()) btnMochidashi->SetFocus();
  else btnMochikaeri->SetFocus();
}

void TWhichDataSetBox::btnOKClick(QObject*) {
  if (btnMochidashi->Enabled() && btnMochidashi->Checked()) Choice = 0;
  else if (btnMochikaeri->Enabled() && btnMochikaeri->Checked()) Choice = 1;
}

void TWhichDataSetBox::FormKeyUp(QObject* Sender, int& Key, TShiftState Shift) {
  if ((Key >= VK_F1 && Key <= VK_F8) || Key == VK_F12) {
    Key = 0;
    return;
  }
  TBSDI::FormKeyUp(Sender, Key, Shift);
}

void TWhichDataSetBox::FormClose(QObject* Sender, TCloseAction& Action) {
  TBSDI::FormClose(Sender, Action);
  Action = caHide;
}
