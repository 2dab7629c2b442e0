// The stand-alone message form driven as a user would: each kind's caption, icon and
// buttons with the answers of Enter, Esc and the buttons; a canned message; the button sets;
// the agree box; the height that keeps every line on the form; Ctrl+C; links. Each kind is
// also written as a picture (ui_message2_<kind>.png) into the build folder.
#include <QClipboard>
#include <QGuiApplication>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "ui/z5HtmlHelp.h"
#include "ui/z5MessageDlg2.h"

using namespace forms;

namespace {

// What the form showed while it was up.
struct Shown {
  std::string caption;
  bool icon = false;
  std::vector<std::string> buttons;  // visible, left to right
  std::vector<int> results;
  std::vector<bool> enabled;
  bool agreeShown = false;
  std::string focus;
};

Shown Look(TForm& f) {
  auto& box = dynamic_cast<TMessageBox2&>(f);
  Shown s;
  s.caption = box.Caption();
  s.icon = !box.Image1->Picture().Empty();
  for (TButton* b : box.Buttons) {
    if (!b->Visible()) continue;
    s.buttons.push_back(b->Caption());
    s.results.push_back(b->ModalResult());
    s.enabled.push_back(b->Enabled());
  }
  s.agreeShown = box.pnlAgree->Visible();
  s.focus = uitest::FocusedName();
  return s;
}

// Shows `info` and runs `act` on the form; returns ShowMessage2's result.
int Show(TMessage2InfoRec& info, const std::function<void(TMessageBox2&)>& act, Shown* shown = nullptr) {
  uitest::ModalScript script({[&](TForm& f) {
    if (shown) *shown = Look(f);
    act(dynamic_cast<TMessageBox2&>(f));
  }});
  const int result = ShowMessage2(info);
  EXPECT_FALSE(script.WatchdogFired());
  return result;
}

TButton* VisibleButton(TMessageBox2& box, int index) {
  int i = 0;
  for (TButton* b : box.Buttons) {
    if (b->Visible() && i++ == index) return b;
  }
  return nullptr;
}

TEST(MessageBox2, EachKindShowsItsCaptionIconAndButtonsAndAnswers) {
  const auto enter = [](TMessageBox2&) { uitest::Key(Qt::Key_Return); };
  const auto esc = [](TMessageBox2&) { uitest::Key(Qt::Key_Escape); };
  const auto closeBox = [](TMessageBox2& b) { b.close(); };
  const auto first = [](TMessageBox2& b) { uitest::Click(VisibleButton(b, 0)); };
  const auto second = [](TMessageBox2& b) { uitest::Click(VisibleButton(b, 1)); };
  struct Case {
    uint8_t kind;
    const char* caption;
    std::vector<std::string> buttons;
    std::vector<std::pair<const char*, std::function<void(TMessageBox2&)>>> actions;
    std::vector<int> results;
  } cases[] = {
      {0, "警告", {"OK(&O)"}, {{"Enter", enter}, {"Esc", esc}, {"OK", first}, {"close box", closeBox}}, {1, 2, 1, 2}},
      {1, "エラー", {"OK(&O)"}, {{"Enter", enter}, {"Esc", esc}, {"OK", first}}, {1, 2, 1}},
      {2, "情報", {"OK(&O)"}, {{"Enter", enter}, {"Esc", esc}, {"OK", first}}, {1, 2, 1}},
      {3, "確認", {"OK(&O)", "ｷｬﾝｾﾙ(&C)"}, {{"Enter", enter}, {"Esc", esc}, {"OK", first}, {"Cancel", second}}, {1, 2, 1, 2}},
  };
  for (const auto& c : cases) {
    for (size_t a = 0; a < c.actions.size(); ++a) {
      SCOPED_TRACE(std::string(c.caption) + " " + c.actions[a].first);
      TMessage2InfoRec info;
      InitMessage2Info(c.kind, info);
      info.Lines[0].Text = "データの処理を続行します。";
      Shown shown;
      EXPECT_EQ(Show(info, c.actions[a].second, &shown), c.results[a]);
      EXPECT_EQ(shown.caption, c.caption);
      EXPECT_TRUE(shown.icon);
      EXPECT_EQ(shown.buttons, c.buttons);
      EXPECT_EQ(shown.focus, "btnButton1");
    }
  }
  // Any other kind: no icon, no caption.
  TMessage2InfoRec info;
  InitMessage2Info(9, info);
  Shown shown;
  EXPECT_EQ(Show(info, enter, &shown), mrOk);
  EXPECT_FALSE(shown.icon);
  EXPECT_EQ(shown.caption, "");
}

TEST(MessageBox2, CannedMessageFillsTheForm) {
  TMessage2InfoRec info;
  InitMessage2Info(0, info);
  info.MessageNo = 0x1011;
  std::vector<std::string> lines;
  Shown shown;
  EXPECT_EQ(Show(info,
                [&](TMessageBox2& b) {
                  for (TLabel* l : b.Labels) lines.push_back(l->Caption());
                  uitest::Key(Qt::Key_Return);
                },
                &shown),
            mrOk);
  EXPECT_EQ(shown.caption, "情報");
  EXPECT_EQ(shown.buttons, (std::vector<std::string>{"OK(&O)"}));
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0], "このデータは、「データの更新」処理を行うことが禁止されています。");
  EXPECT_EQ(lines[2], "開き、[データの更新: 禁止する]項目のチェックを外して下さい。");
  EXPECT_EQ(lines[3], "");
}

TEST(MessageBox2, ButtonSetsTakeUpToThreeButtonsInBitOrder) {
  struct Case {
    TMsgDlgButtons set;
    std::vector<std::string> captions;
    std::vector<int> results;
  } cases[] = {
      {{mbYes, mbNo, mbCancel}, {"はい(&Y)", "いいえ(&N)", "ｷｬﾝｾﾙ(&C)"}, {6, 7, 2}},
      {{mbCancel, mbYes, mbOK, mbNo}, {"はい(&Y)", "いいえ(&N)", "OK(&O)"}, {6, 7, 1}},
      {{mbRetry, mbAbort, mbIgnore}, {"中断(&A)", "再試行(&R)", "無視(&I)"}, {3, 4, 5}},
      {{mbAll, mbNoToAll, mbYesToAll}, {"すべて(&A)", "すべていいえ", "すべてはい"}, {8, 9, 10}},
      {{}, {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.set.Bits());
    TMessage2InfoRec info;
    InitMessage2Info(3, info);
    info.Buttons = c.set;
    info.Lines[0].Text = "text";
    Shown shown;
    int middleCentre = 0, clientCentre = 0;
    const int result = Show(
        info,
        [&](TMessageBox2& b) {
          if (c.captions.size() == 3) {
            TButton* middle = VisibleButton(b, 1);
            middleCentre = middle->Left() + middle->Width() / 2;
            clientCentre = b.ClientWidth() / 2;
          }
          if (c.captions.empty()) uitest::Key(Qt::Key_Escape);
          else uitest::Click(VisibleButton(b, static_cast<int>(c.captions.size()) - 1));
        },
        &shown);
    EXPECT_EQ(shown.buttons, c.captions);
    EXPECT_EQ(shown.results, c.results);
    EXPECT_EQ(result, c.results.empty() ? mrCancel : c.results.back());
    if (c.captions.size() == 3) {
      EXPECT_NEAR(middleCentre, clientCentre, 1) << "the middle button is centred";
    }
  }
}

TEST(MessageBox2, AgreeBoxEnablesTheFirstButtonAndReportsItsState) {
  TMessage2InfoRec info;
  InitMessage2Info(3, info);
  info.Lines[0].Text = "データを削除します。";
  info.AgreeMode = 1;
  info.AgreeCaption = "削除に同意する";
  std::vector<bool> firstEnabled;
  const int result = Show(info, [&](TMessageBox2& b) {
    firstEnabled.push_back(b.Buttons[0]->Enabled());
    uitest::Click(b.btnAgree, QPoint(6, 8));
    firstEnabled.push_back(b.Buttons[0]->Enabled());
    uitest::Click(b.btnAgree, QPoint(6, 8));
    firstEnabled.push_back(b.Buttons[0]->Enabled());
    uitest::Click(b.btnAgree, QPoint(6, 8));
    uitest::Click(b.Buttons[0]);
  });
  EXPECT_EQ(result, mrOk);
  EXPECT_EQ(firstEnabled, (std::vector<bool>{false, true, false}));
  EXPECT_TRUE(info.AgreeResult);

  // A blank caption switches the box off; the first button stays enabled.
  info.AgreeCaption = "  ";
  info.AgreeResult = false;
  Shown shown;
  EXPECT_EQ(Show(info, [](TMessageBox2&) { uitest::Key(Qt::Key_Return); }, &shown), mrOk);
  EXPECT_FALSE(shown.agreeShown);
  EXPECT_EQ(shown.enabled, (std::vector<bool>{true, true}));
}

TEST(MessageBox2, TheFormReachesDownToTheLastLine) {
  struct Case {
    std::vector<std::string> lines;
    int textHeight;  // the client height less the button panel
  } cases[] = {
      {{"A"}, 72},
      {{"A", "B", "C"}, 120},
      {{"A", "", "B", "", "C"}, 168},  // the empty lines keep their places
      {{"1", "2", "3", "4", "5", "6", "7", "8", "9"}, 265},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines.size());
    TMessage2InfoRec info;
    InitMessage2Info(2, info);
    for (size_t i = 0; i < c.lines.size(); ++i) info.Lines[i].Text = c.lines[i];
    auto* box = CreateForm<TMessageBox2>(nullptr);
    box->ApplyInfo(info);
    box->Setup(1);
    EXPECT_EQ(box->ClientHeight() - box->pnlBottom->Height(), c.textHeight);
    for (TLabel* label : box->Labels) {
      if (label->Caption().empty()) continue;
      EXPECT_LE(label->Top() + label->Height(), box->pnlClient->Height()) << label->Caption() << " lies on the form";
    }
    box->Free();
  }
}

TEST(MessageBox2, CtrlCCopiesCaptionAndAllTenLines) {
  TMessage2InfoRec info;
  InitMessage2Info(1, info);
  info.Lines[0].Text = "一行目";
  info.Lines[1].Text = "二行目";
  info.Lines[2].Text = "三行目";
  QGuiApplication::clipboard()->clear();
  Show(info, [](TMessageBox2&) {
    uitest::Key(Qt::Key_C, Qt::ControlModifier, QStringLiteral("\x03"));
    uitest::Key(Qt::Key_Escape);
  });
  const std::string dashes(27, '-');
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(),
            dashes + "\r\nエラー\r\n" + dashes + "\r\n一行目\r\n二行目\r\n三行目\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n");
}

TEST(MessageBox2, LinkLineOpensItsTargetAndTurnsPurple) {
  std::vector<std::string> opened;
  const THlinkNavigator previous = SetHlinkNavigator([&](const std::string& target) {
    opened.push_back(target);
    return kHlinkOk;
  });
  TMessage2InfoRec info;
  InitMessage2Info(2, info);
  info.Lines[0].Text = "詳しくはサポートページをご覧下さい。";
  info.Lines[1].Text = "https://support.example.jp/faq";
  info.Lines[1].Link = "https://support.example.jp/faq";
  TColor before = 0, after = 0;
  Show(info, [&](TMessageBox2& b) {
    before = b.Labels[1]->Font().Color;
    uitest::Click(b.Labels[0]);
    uitest::Click(b.Labels[1]);
    after = b.Labels[1]->Font().Color;
    uitest::Key(Qt::Key_Return);
  });
  SetHlinkNavigator(previous);
  EXPECT_EQ(opened, (std::vector<std::string>{"https://support.example.jp/faq"}));
  EXPECT_EQ(before, RGB(0, 0, 255));
  EXPECT_EQ(after, RGB(128, 0, 128));
}

TEST(MessageBox2, PicturesOfEachKind) {
  const char* names[] = {"warning", "error", "information", "confirmation"};
  for (uint8_t kind = 0; kind < 4; ++kind) {
    TMessage2InfoRec info;
    InitMessage2Info(kind, info);
    info.Lines[0].Text = "連動データの作成を開始します。";
    info.Lines[1].Text = "会社データ：株式会社テスト商事（令和6年度）";
    info.Lines[2] = {"注意）処理中は他のプログラムを終了して下さい。", RGB(255, 0, 0), {}};
    if (kind == 3) {
      info.AgreeMode = 1;
      info.AgreeCaption = "内容を確認しました";
    }
    QImage image;
    Show(info, [&](TMessageBox2& b) {
      image = b.grab().toImage();
      uitest::Key(Qt::Key_Escape);
    });
    ASSERT_FALSE(image.isNull());
    EXPECT_TRUE(image.save(QStringLiteral("ui_message2_%1.png").arg(names[kind])));
  }
}

}  // namespace
