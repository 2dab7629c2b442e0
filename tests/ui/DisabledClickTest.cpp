// Clicks as the platform's controls take them: a disabled control takes none (a greyed OK of a
// confirmation, OK only once the agree box is ticked, must not end the dialog), and a check box
// takes one anywhere on its rectangle, also right of a short caption.
#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "ui/forms/CheckBox.h"
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

TEST(DisabledClick, ACheckBoxTakesAClickAnywhereOnItUnlessDisabled) {
  auto* form = CreateForm<TForm>(nullptr);
  form->SetClientSize(480, 60);
  auto* agree = new TCheckBox(form);
  agree->SetBounds(10, 20, 441, 17);
  agree->SetCaption("同意します");
  uitest::ShowActive(*form);
  uitest::Click(agree, QPoint(400, 8));  // far right of the caption
  EXPECT_TRUE(agree->Checked());
  agree->SetEnabled(false);
  uitest::Click(agree, QPoint(6, 8));  // on the box itself
  EXPECT_TRUE(agree->Checked()) << "a disabled check box keeps its state";
  form->Free();
}

}  // namespace
