#pragma once
// The step window of the relay chains: up to five steps as a column of check boxes with a
// busy animation beside them. A step is waiting (black, unchecked), running (blue, checked)
// or finished (grey, checked); the caption carries the step's own wording ("… 実行中").
//
//   auto* w = CreateWaitMess(form);       // owned by the calling form, centred on the screen
//   w->SetStep(w->CheckBox1, "送信用データ保存　実行中", TfmWaitMess::Running);
//   ...
//   w->Free();
//
// The window never takes input; it is repainted by SetStep, so a caller that then waits
// without processing events still shows the current step.
#include "ui/forms/Form.h"
#include "ui/forms/Timer.h"
#include "ui/xCheckBox.h"

class TxBusyAnime;

class TfmWaitMess : public forms::TForm {
 public:
  explicit TfmWaitMess(QWidget* owner);

  enum TStepState { Waiting, Running, Finished };

  TxCheckBox* CheckBox1;
  TxCheckBox* CheckBox2;
  TxCheckBox* CheckBox3;
  TxCheckBox* CheckBox4;
  TxCheckBox* CheckBox5;
  forms::TTimer* Timer1;
  TxBusyAnime* Animate1 = nullptr;

  void FormCreate(QObject* Sender);
  void FormActivate(QObject* Sender);
  void Timer1Timer(QObject* Sender);

  // Caption, tick and colour of one step, then an immediate repaint.
  void SetStep(TxCheckBox* box, const std::string& caption, TStepState state);
  // The five boxes by number 1..5.
  TxCheckBox* Box(int n) const;
  // The window's size at 96 dots per inch, scaled to the screen (and the animation centred).
  void SizeTo(int width, int height);
};

// The step window over `owner`, shown.
TfmWaitMess* CreateWaitMess(QWidget* owner, int width, int height);
