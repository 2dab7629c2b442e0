// The scripting of modal forms that the GUI tests rely on: a dialog opened from inside another
// modal form goes to the script waiting for its caption or class, and a dialog that nobody
// answers fails the test instead of hanging it.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "UiTestSupport.h"
#include "support/ScriptedUi.h"

using namespace forms;

namespace {

class TOuterBox : public TForm {
 public:
  using TForm::TForm;
};
class TQuestionBox : public TForm {
 public:
  using TForm::TForm;
};

// Shows a TQuestionBox captioned `caption` modally over `owner` and returns its result.
int Ask(TForm& owner, const char* caption) {
  auto* box = CreateForm<TQuestionBox>(&owner);
  box->SetCaption(caption);
  const int result = box->ShowModal();
  box->Free();
  return result;
}

// Runs an outer box modally; `steps` work it. Returns its result.
int RunOuter(std::vector<uitest::Step> steps) {
  auto* outer = CreateForm<TOuterBox>(nullptr);
  outer->SetCaption("外側");
  uitest::ModalScript script(std::move(steps));
  const int result = outer->ShowModal();
  EXPECT_FALSE(script.WatchdogFired());
  outer->Free();
  return result;
}

TEST(ModalScript, NestedDialogsGoToTheScriptsWaitingForThemInOrder) {
  // Declared before the outer box is shown: each takes only a form it matches, the oldest
  // matching script first, whatever the order in which the forms open.
  uitest::ModalScript byClass(uitest::Dialog::Of<TQuestionBox>(), {[](TForm& f) { f.SetModalResult(mrYes); }});
  uitest::ModalScript byCaption(uitest::Dialog::Captioned("確認"), {[](TForm& f) { f.SetModalResult(mrNo); }});
  std::vector<int> answers;
  const int outer = RunOuter({
      [&](TForm& f) { answers.push_back(Ask(f, "確認")); },
      [&](TForm& f) {
        answers.push_back(Ask(f, "確認"));
        f.SetModalResult(mrOk);
      },
  });
  EXPECT_EQ(outer, mrOk);
  EXPECT_EQ(answers, (std::vector<int>{mrYes, mrNo}));
  EXPECT_TRUE(byClass.Taken());
  EXPECT_TRUE(byCaption.Taken());
}

TEST(ModalScript, ADialogNobodyAnswersOrAStepThatThrowsFailsTheTestAtOnce) {
  ScriptedUi ui;
  ScopedUi use(ui);
  int inner = 0;
  int outer = 0;
  // No script is left for the question: it ends with mrAbort and the failure names it.
  EXPECT_NONFATAL_FAILURE(outer = RunOuter({[&](TForm& f) {
                            inner = Ask(f, "予期しない確認");
                            f.SetModalResult(mrOk);
                          }}),
                          "TQuestionBox \"予期しない確認\"");
  EXPECT_EQ(inner, mrAbort);
  EXPECT_EQ(outer, mrOk);
  // A step that throws ends its form and names it.
  EXPECT_NONFATAL_FAILURE(outer = RunOuter({[](TForm&) { throw std::runtime_error("壊れた手順"); }}),
                          "TOuterBox \"外側\" threw: 壊れた手順");
  EXPECT_EQ(outer, mrAbort);
}

}  // namespace
