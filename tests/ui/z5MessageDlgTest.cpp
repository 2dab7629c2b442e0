// The framework message dialog driven as a user would: the buttons of each kind with the
// answers of Enter, Esc and the buttons, the agree box that keeps OK disabled, and a kept
// form shown again with and without detail lines. The agree confirmation is written as a
// picture (ui_message_agree.png) into the build folder.
#include <QImage>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "ui/z5MessageDlg.h"

using namespace forms;

namespace {

struct Shown {
  std::vector<std::string> buttons;  // visible, left to right
  bool agree = false;
  bool okEnabled = false;
  std::string focus;
  std::string caption, message;
};

int ShowBox(const TMessageInfoRec& info, const std::function<void(TMessageBox&)>& act, Shown* shown = nullptr) {
  uitest::ModalScript script({[&](TForm& f) {
    auto& box = dynamic_cast<TMessageBox&>(f);
    if (shown) {
      for (TxPlButton* b : {box.btnOK, box.btnCancel}) {
        if (b->Visible()) shown->buttons.push_back(b->CaptionA().Caption());
      }
      shown->agree = box.cboxAgree->Visible();
      shown->okEnabled = box.btnOK->Enabled();
      shown->focus = uitest::FocusedName();
      shown->caption = box.Caption();
      shown->message = box.lblMain->Caption();
    }
    act(box);
  }});
  const int result = ShowMessageBox(info);
  EXPECT_FALSE(script.WatchdogFired());
  return result;
}

TEST(MessageBoxDialog, KindsShowTheirButtonsAndAnswer) {
  const auto enter = [](TMessageBox&) { uitest::Key(Qt::Key_Return); };
  const auto esc = [](TMessageBox&) { uitest::Key(Qt::Key_Escape); };
  const auto closeBox = [](TMessageBox& b) { b.close(); };
  const auto ok = [](TMessageBox& b) { uitest::Click(b.btnOK); };
  const auto cancelPos = [](TMessageBox& b) { uitest::Click(b.btnCancel); };
  struct Case {
    const char* what;
    int kind;
    std::function<void(TMessageBox&)> act;
    int result;
    std::vector<std::string> buttons;
    bool agree;
  } cases[] = {
      {"0 Enter answers Cancel", 0, enter, mrCancel, {"OK", "キャンセル"}, false},
      {"0 OK", 0, ok, mrOk, {"OK", "キャンセル"}, false},
      {"0 Esc", 0, esc, mrCancel, {"OK", "キャンセル"}, false},
      {"1 Enter on the lone OK", 1, enter, mrOk, {"OK"}, false},
      {"1 the lone OK", 1, cancelPos, mrOk, {"OK"}, false},
      {"1 Esc", 1, esc, mrCancel, {"OK"}, false},
      {"1 close box", 1, closeBox, mrCancel, {"OK"}, false},
      {"3 OK without ticking", 3, ok, mrOk, {"OK", "キャンセル"}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TMessageInfoRec info;
    InitMessageInfo(info);
    info.Kind = c.kind;
    info.Caption = "データの削除";
    info.Message = "選択したデータを削除します。";
    Shown shown;
    EXPECT_EQ(ShowBox(info, c.act, &shown), c.result);
    EXPECT_EQ(shown.buttons, c.buttons);
    EXPECT_EQ(shown.agree, c.agree);
    EXPECT_EQ(shown.focus, "btnCancel") << "the Cancel-position button has the focus";
    EXPECT_EQ(shown.caption, "データの削除");
    EXPECT_EQ(shown.message, "選択したデータを削除します。");
  }
}

TEST(MessageBoxDialog, AgreeBoxKeepsOkDisabledUntilTicked) {
  TMessageInfoRec info;
  InitMessageInfo(info);
  info.Kind = 2;
  info.Message = "選択したデータを削除します。";
  info.AgreeCaption = "削除に同意する";
  std::vector<bool> okEnabled;
  bool cancelEnabled = false;
  const int result = ShowBox(info, [&](TMessageBox& b) {
    okEnabled.push_back(b.btnOK->Enabled());
    uitest::Click(b.btnOK);  // a disabled button does not answer
    uitest::Click(b.cboxAgree, QPoint(6, 8));
    okEnabled.push_back(b.btnOK->Enabled());
    uitest::Click(b.cboxAgree, QPoint(6, 8));
    okEnabled.push_back(b.btnOK->Enabled());
    cancelEnabled = b.btnCancel->Enabled();
    uitest::Click(b.cboxAgree, QPoint(6, 8));
    uitest::Click(b.btnOK);
  });
  EXPECT_EQ(result, mrOk);
  EXPECT_EQ(okEnabled, (std::vector<bool>{false, true, false}));
  EXPECT_TRUE(cancelEnabled);
}

TEST(MessageBoxDialog, KeptFormShowsDetailLinesExactlyWhenItHasThem) {
  auto* box = CreateForm<TMessageBox>(nullptr);
  const int designClient = box->ClientHeight();
  const int memoHeight = box->MessageArea->Height();
  struct Step {
    std::vector<std::string> lines;
    bool memo;
    int clientHeight;
  } steps[] = {
      {{}, false, designClient - memoHeight},
      {{"会社名：株式会社テスト商事", "年度：令和6年度"}, true, designClient},
      {{}, false, designClient - memoHeight},
      {{"データ：0001"}, true, designClient},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.lines.size());
    box->Kind = 1;
    box->Message = "データは使用中です。";
    box->SetLines(s.lines);
    box->Setup(1);
    std::vector<std::string> memoLines;
    bool memoVisible = false;
    uitest::ModalScript script({[&](TForm&) {
      memoVisible = box->MessageArea->isVisible();
      memoLines = box->MessageArea->Lines();
      uitest::Key(Qt::Key_Return);
    }});
    EXPECT_EQ(box->ShowModal(), mrOk);
    EXPECT_EQ(memoVisible, s.memo);
    EXPECT_EQ(box->ClientHeight(), s.clientHeight);
    if (s.memo) {
      EXPECT_EQ(memoLines, s.lines);
      EXPECT_EQ(box->MessageArea->Height(), memoHeight);
    }
  }
  box->Free();
}

TEST(MessageBoxDialog, PictureOfTheAgreeConfirmation) {
  TMessageInfoRec info;
  InitMessageInfo(info);
  info.Kind = 2;
  info.Caption = "データの削除";
  info.Message = "次のデータを削除します。削除したデータは元に戻せません。";
  info.Lines = {"コード：0001", "会社名：株式会社テスト商事", "年度　：令和6年4月1日～令和7年3月31日"};
  info.AgreeCaption = "データの削除に同意する";
  QImage image;
  ShowBox(info, [&](TMessageBox& b) {
    image = b.grab().toImage();
    uitest::Key(Qt::Key_Escape);
  });
  ASSERT_FALSE(image.isNull());
  EXPECT_TRUE(image.save(QStringLiteral("ui_message_agree.png")));
}

}  // namespace
