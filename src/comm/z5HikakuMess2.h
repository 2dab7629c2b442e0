#pragma once
// The difference notice: how a relay folder differs from the open data (password, company
// name, fiscal period), with a yes/no question or, as a plain notice, one ＯＫ button.
//
//   auto* m = CreateForm<TfmHikakuMess2>(owner);
//   m->Label1->SetCaption(headline); m->Label2->SetCaption(question);
//   m->Arrange(passwordDiffers, nameDiffers, periodDiffers, /*question=*/true);
//   m->ShowModal();  // HikakuMess2Answer: 1 yes (or OK), 0 no
//   m->Free();
#include "ui/forms/Button.h"
#include "ui/forms/Form.h"
#include "ui/forms/Label.h"

// The answer of the last notice; 1 from creation until a button says otherwise.
extern int HikakuMess2Answer;

class TfmHikakuMess2 : public forms::TForm {
 public:
  explicit TfmHikakuMess2(QWidget* owner);

  forms::TLabel* Label1;  // headline
  forms::TLabel* Label2;  // question
  forms::TLabel* Label3;  // "パスワードが違います。"
  forms::TLabel* Label4;  // "商号が違います。"
  forms::TLabel* Label5;  // the open data's company
  forms::TLabel* Label6;  // the relay folder's company
  forms::TLabel* Label7;  // "会計期間が違います。"
  forms::TLabel* Label8;  // the open data's period
  forms::TLabel* Label9;  // the relay folder's period
  forms::TButton* Button1;
  forms::TButton* Button2;

  void FormCreate(QObject* Sender);
  void Button1Click(QObject* Sender);
  void Button2Click(QObject* Sender);

  // Hides the lines that do not apply, stacks the others in the order password, company
  // name, period under the headline, scales every position to the screen and sizes the
  // window to fit. Without a question only Button1 shows, captioned "ＯＫ"; `note` then still
  // shows Label2 (a hint instead of a question) above it.
  void Arrange(bool password, bool name, bool period, bool question, bool note = false);
};

// The label texts of the two sides.
std::string HikakuOpenName(const std::string& name);
std::string HikakuRelayName(const std::string& name);
std::string HikakuOpenPeriod(const std::string& start, const std::string& end);
std::string HikakuRelayPeriod(const std::string& start, const std::string& end);
