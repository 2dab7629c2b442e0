#include "comm/z5HikakuMess2.h"

#include <algorithm>
#include <vector>

#include "data/uAccFunction2.h"
#include "platform/UiServices.h"

using namespace forms;

int HikakuMess2Answer = 1;

TfmHikakuMess2::TfmHikakuMess2(QWidget* owner) : TForm(owner) {
  SetName("fmHikakuMess2");
  SetCaption("確認");
  SetBorderStyle(bsDialog);
  SetBorderIcons(0);
  SetPosition(poScreenCenter);
  SetClientSize(456, 190);
  auto label = [this](const char* name, const char* caption) {
    auto* l = new TLabel(this);
    l->SetName(name);
    l->SetCaption(caption);
    l->SetAutoSize(true);
    return l;
  };
  Label1 = label("Label1", "");
  Label2 = label("Label2", "");
  Label3 = label("Label3", "パスワードが違います。");
  Label4 = label("Label4", "商号が違います。");
  Label5 = label("Label5", "");
  Label6 = label("Label6", "");
  Label7 = label("Label7", "会計期間が違います。");
  Label8 = label("Label8", "");
  Label9 = label("Label9", "");
  Button1 = new TButton(this);
  Button1->SetName("Button1");
  Button1->SetCaption("はい");
  Button2 = new TButton(this);
  Button2->SetName("Button2");
  Button2->SetCaption("いいえ");
  OnCreate = [this](QObject* s) { FormCreate(s); };
  Button1->OnClick = [this](QObject* s) { Button1Click(s); };
  Button2->OnClick = [this](QObject* s) { Button2Click(s); };
}

void TfmHikakuMess2::FormCreate(QObject*) { HikakuMess2Answer = 1; }

void TfmHikakuMess2::Button1Click(QObject*) {
  HikakuMess2Answer = 1;
  SetModalResult(mrOk);
  Close();
}

void TfmHikakuMess2::Button2Click(QObject*) {
  HikakuMess2Answer = 0;
  SetModalResult(mrCancel);
  Close();
}

void TfmHikakuMess2::Arrange(bool password, bool name, bool period, bool question, bool note) {
  const int dpi = uis::Ui().ScreenDpi();
  auto s = [dpi](int v) { return ScaleByDpi(v, dpi, 96); };
  Label3->SetVisible(password);
  Label4->SetVisible(name);
  Label5->SetVisible(name);
  Label6->SetVisible(name);
  Label7->SetVisible(period);
  Label8->SetVisible(period);
  Label9->SetVisible(period);
  int y = 16;
  auto place = [&](TLabel* l, int x, int step) {
    l->SetBounds(s(x), s(y), 0, 0);
    y += step;
  };
  place(Label1, 16, 24);
  if (password) place(Label3, 32, 24);
  if (name) {
    place(Label4, 32, 20);
    place(Label5, 48, 20);
    place(Label6, 48, 24);
  }
  if (period) {
    place(Label7, 32, 20);
    place(Label8, 48, 20);
    place(Label9, 48, 24);
  }
  // A question given as the headline leaves Label2 empty: no blank line for it.
  const bool second = (question || note) && !Label2->Caption().empty();
  Label2->SetVisible(second);
  if (second) place(Label2, 16, 28);
  y += 4;
  int width = 456;
  for (TLabel* l : {Label1, Label2, Label5, Label6, Label8, Label9})
    if (!l->isHidden()) width = std::max(width, l->x() * 96 / dpi + l->width() * 96 / dpi + 24);
  if (question) {
    Button1->SetCaption("はい");
    Button2->SetVisible(true);
    Button1->SetBounds(s(width / 2 - 96), s(y), s(88), s(28));
    Button2->SetBounds(s(width / 2 + 8), s(y), s(88), s(28));
  } else {
    Button1->SetCaption("ＯＫ");
    Button2->SetVisible(false);
    Button1->SetBounds(s(width / 2 - 44), s(y), s(88), s(28));
  }
  y += 28 + 16;
  SetClientSize(s(width), s(y));
}

std::string HikakuOpenName(const std::string& name) { return "現在利用中の商号　：　" + name; }
std::string HikakuRelayName(const std::string& name) { return "中継サーバーの商号：　" + name; }
std::string HikakuOpenPeriod(const std::string& start, const std::string& end) {
  return "現在利用中の会計期間　：　" + start + " ～ " + end;
}
std::string HikakuRelayPeriod(const std::string& start, const std::string& end) {
  return "中継サーバーの会計期間：　" + start + " ～ " + end;
}
