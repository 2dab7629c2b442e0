#include "comm/z5WaitMess.h"

#include "data/uAccFunction2.h"
#include "platform/UiServices.h"
#include "ui/xAnimeProgressDialog.h"

using namespace forms;

namespace {
// Step colours ($00BBGGRR).
constexpr TColor kRunning = 0xFF0000;   // blue
constexpr TColor kFinished = 0x808080;  // grey
constexpr TColor kWaiting = 0x000000;   // black
}  // namespace

TfmWaitMess::TfmWaitMess(QWidget* owner) : TForm(owner) {
  SetName("fmWaitMess");
  SetCaption("");
  SetBorderStyle(bsDialog);
  SetBorderIcons(0);
  SetPosition(poScreenCenter);
  SetClientSize(435, 194);
  const char* captions[5] = {"送信用データ保存", "送信用データ圧縮", "送信用データ暗号化", "中継サーバーへデータ送信",
                             "経営Velkoran（クラウド）へデータ送信"};
  TxCheckBox** boxes[5] = {&CheckBox1, &CheckBox2, &CheckBox3, &CheckBox4, &CheckBox5};
  for (int i = 0; i < 5; ++i) {
    auto* b = new TxCheckBox(this);
    b->SetName("CheckBox" + std::to_string(i + 1));
    b->SetCaption(captions[i]);
    b->SetBounds(96, 24 + i * 30, 320, 20);
    b->SetTabStop(false);
    *boxes[i] = b;
  }
  CheckBox1->SetChecked(true);
  Timer1 = new TTimer(this);
  Timer1->SetInterval(100);
  OnCreate = [this](QObject* s) { FormCreate(s); };
  OnActivate = [this](QObject* s) { FormActivate(s); };
  Timer1->OnTimer = [this](QObject* s) { Timer1Timer(s); };
}

void TfmWaitMess::FormCreate(QObject*) {
  Animate1 = new TxBusyAnime(this);
  Animate1->setGeometry(40, 16, 32, 32);
  Animate1->SetActive(true);
}

void TfmWaitMess::FormActivate(QObject*) {
  if (Animate1) Animate1->SetActive(true);
}

void TfmWaitMess::Timer1Timer(QObject*) {
  if (!Animate1) return;
  if (!Animate1->Active()) Animate1->SetActive(true);
  Animate1->update();
}

TxCheckBox* TfmWaitMess::Box(int n) const {
  switch (n) {
    case 1: return CheckBox1;
    case 2: return CheckBox2;
    case 3: return CheckBox3;
    case 4: return CheckBox4;
    default: return CheckBox5;
  }
}

void TfmWaitMess::SetStep(TxCheckBox* box, const std::string& caption, TStepState state) {
  box->SetCaption(caption);
  TFontSpec f = box->Font();
  f.Color = state == Running ? kRunning : state == Finished ? kFinished : kWaiting;
  box->SetFont(f);
  box->SetChecked(state != Waiting);
  box->repaint();
  repaint();
}

void TfmWaitMess::SizeTo(int width, int height) {
  const int dpi = uis::Ui().ScreenDpi();
  SetClientSize(ScaleByDpi(width, dpi, 96), ScaleByDpi(height, dpi, 96));
  if (Animate1) Animate1->move(40, height / 2 - ScaleByDpi(20, dpi, 96));
}

TfmWaitMess* CreateWaitMess(QWidget* owner, int width, int height) {
  auto* w = CreateForm<TfmWaitMess>(owner);
  w->SizeTo(width, height);
  w->Show();
  w->repaint();
  return w;
}
