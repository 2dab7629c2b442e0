#pragma once
// The margin dialog of the preview window ("設定"): the top and left margin in 0.1 mm
// (−100..100) and, when the printer holds the job's own paper, the vertical and horizontal
// scale corrections in tenths of a per cent (−50..50). Each value has an edit field with an
// up-down beside it. The dialog has no cancel button; its close box ends it without result 1,
// and the caller then keeps its values.
#include <string_view>

#include "print/Zenpagex_Edit.h"
#include "ui/forms/Button.h"
#include "ui/forms/Form.h"
#include "ui/forms/Label.h"
#include "ui/forms/Memo.h"
#include "ui/forms/Panel.h"

// The key filter of the engine's number fields. Mode 0 digits, 1 digits and backspace,
// 2 unsigned decimal, 3 signed integer, 4 signed decimal; `allSelected` tells that the key
// replaces the whole text. The key to let through, or 0 to swallow it.
char32_t CharFilter(std::string_view text, char32_t key, int mode, bool allSelected);

// Arrow buttons that step a number between Min and Max by Increment, shown in the edit field
// it is bound to (its Associate), which it sits beside. A step starts from the number in the
// field, so typed values step on.
class TUpDown : public forms::TWidgetControl<QWidget> {
 public:
  explicit TUpDown(QWidget* parent);

  int Min() const { return min_; }
  int Max() const { return max_; }
  void SetRange(int min, int max);
  int Increment() const { return increment_; }
  void SetIncrement(int v) { increment_ = v; }
  int Position() const { return position_; }
  // Limited to Min..Max and shown in the associate.
  void SetPosition(int v);
  forms::TEdit* Associate() const { return associate_; }
  void SetAssociate(forms::TEdit* edit);
  // One step up (true) or down, as a click on that arrow does.
  void Step(bool up);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  int min_ = 0, max_ = 100, increment_ = 1, position_ = 0;
  forms::TEdit* associate_ = nullptr;
};

class Tfmyohaku : public forms::TForm {
 public:
  explicit Tfmyohaku(QWidget* owner);

  forms::TGroupBox* GroupBox2;
  forms::TLabel* Label1;
  forms::TLabel* Label6;
  forms::TLabel* Label7;
  TUpDown* UpDown1;
  TUpDown* UpDown2;
  forms::TMemo* Memo1;
  forms::TGroupBox* GroupBox3;
  forms::TLabel* Label2;
  forms::TLabel* Label4;
  forms::TLabel* Label3;
  forms::TLabel* Label5;
  TUpDown* UpDown3;
  TUpDown* UpDown4;
  forms::TPanel* Panel1;
  forms::TButton* Button1;

  TEditZpx* ED_TOP = nullptr;
  TEditZpx* ED_LEFT = nullptr;
  TEditZpx* ED_VRATIO = nullptr;
  TEditZpx* ED_HRATIO = nullptr;

  // Set before showing: margins in 0.1 mm (an unchanged value is skipped), corrections per
  // mille (1000 none; outside 950..1050 shown as 0).
  void SetTopMargin(int v);
  void SetLeftMargin(int v);
  void SetVRatio(int r);
  void SetHRatio(int r);
  // Read after a modal result of 1.
  int TopMargin() const { return topMargin_; }
  int LeftMargin() const { return leftMargin_; }
  int VRatio() const { return vRatio_; }
  int HRatio() const { return hRatio_; }

  void FormCreate(QObject* sender);
  void ED_TOPExit(QObject* sender);
  void ED_TOPKeyPress(QObject* sender, char32_t& key);
  void Button1Click(QObject* sender);

 private:
  TEditZpx* MakeField(QWidget* parent, const char* name, int left, int top, int tabOrder, TUpDown* upDown);

  int leftMargin_ = 0, topMargin_ = 0, vRatio_ = 0, hRatio_ = 0;
};
