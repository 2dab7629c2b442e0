#include <gtest/gtest.h>

#include "platform/UiServices.h"
#include "support/ScriptedUi.h"

namespace {

TEST(UiServices, ShowMessageSplitsLinesAndReachesTheInstalledUi) {
  ScriptedUi ui;
  {
    ScopedUi use(ui);
    ui.messageAnswers = {uis::mrNo};
    EXPECT_EQ(uis::ShowMessage(uis::MsgKind::Confirmation, "保存しますか？\r\n続行", "D:1",
                               uis::Buttons::YesNo, uis::mrYes),
              uis::mrNo);
    // The queue is empty now: the default button answers.
    EXPECT_EQ(uis::ShowMessage(uis::MsgKind::Error, "不正な引数が渡されました。\r\rアプリケーションを強制終了します。"),
              uis::mrOk);
    uis::InputRequest input;
    input.value = "initial";
    EXPECT_FALSE(uis::Ui().InputText(input));
    EXPECT_EQ(input.value, "initial");
  }
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].kind, uis::MsgKind::Confirmation);
  EXPECT_EQ(ui.messages[0].buttons, uis::Buttons::YesNo);
  EXPECT_EQ(ui.messages[0].detail, "D:1");
  EXPECT_EQ(ui.MessageText(0), "保存しますか？\n続行");
  EXPECT_EQ(ui.messages[1].lines,
            (std::vector<std::string>{"不正な引数が渡されました。", "", "アプリケーションを強制終了します。"}));
  EXPECT_EQ(ui.log.back(), "input ");

  // The guard put the headless default back: it answers every request's default.
  EXPECT_NE(&uis::Ui(), &ui);
  EXPECT_EQ(uis::ShowMessage(uis::MsgKind::Warning, "headless", {}, uis::Buttons::YesNo, uis::mrNo), uis::mrNo);
  uis::FileDialogRequest file;
  EXPECT_FALSE(uis::Ui().FileDialog(file));
  EXPECT_EQ(uis::Ui().ScreenDpi(), 96);
  EXPECT_EQ(ui.messages.size(), 2u);
}

}  // namespace
