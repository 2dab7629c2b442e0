// A disabled control takes no mouse clicks: a greyed OK of a confirmation (OK only once the
// agree box is ticked) must not end the dialog or run its handler.
#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "ui/xPlButton.h"

using namespace forms;

namespace {

TEST(DisabledClick, AGreyedButtonNeitherClicksNorEndsTheDialog) {
  auto* form = CreateForm<TForm>(nullptr);
  form->SetClientSize(200, 80);
  auto* ok = new TxPlButton(form);
  ok->SetBounds(10, 20, 80, 26);
  ok->SetModalResult(mrOk);
  int clicks = 0;
  ok->OnClick = [&](QObject*) { ++clicks; };
  ok->SetEnabled(false);
  int resultAfterGreyedClick = -1;
  uitest::ModalScript script({[&](TForm& f) {
    uitest::Click(ok);
    resultAfterGreyedClick = f.ModalResult();
    ok->SetEnabled(true);
    uitest::Click(ok);
  }});
  EXPECT_EQ(form->ShowModal(), mrOk);
  EXPECT_EQ(resultAfterGreyedClick, mrNone);
  EXPECT_EQ(clicks, 1) << "only the click on the enabled button counts";
  form->Free();
}

}  // namespace
