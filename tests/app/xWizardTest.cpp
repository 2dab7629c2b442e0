#include "app/xWizard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/UiTestSupport.h"
#include "ui/forms/Button.h"
#include "ui/forms/Form.h"
#include "ui/forms/Label.h"

namespace {

// A form with a wizard of `pages` pages, its two buttons and both labels, recording the events.
class WizardForm : public forms::TForm {
 public:
  WizardForm(QWidget* owner, int pages) : forms::TForm(owner) {
    SetClientSize(400, 300);
    wizard = new TxWizard(this);
    wizard->SetBounds(0, 0, 400, 240);
    for (int i = 0; i < pages; ++i) wizard->AddPage("page" + std::to_string(i + 1));
    back = new forms::TButton(this);
    back->SetBounds(100, 250, 90, 25);
    next = new forms::TButton(this);
    next->SetBounds(200, 250, 90, 25);
    header = new forms::TLabel(this);
    info = new forms::TLabel(this);
    header->SetCaption("-");
    info->SetCaption("-");
    wizard->SetHeaderCaption({"H1", "H2"});
    wizard->SetInfoCaption({"I1"});
    wizard->SetNextButton(next);
    wizard->SetBackButton(back);
    wizard->SetLblHeader(header);
    wizard->SetLblInfo(info);
    wizard->OnNextClicking = [this](QObject*, bool finalState, bool& allow) {
      log.push_back(std::string("clicking ") + (finalState ? "final" : "-"));
      allow = allowNext;
    };
    wizard->OnNextClick = [this](QObject*, bool finalState) {
      log.push_back(std::string("click ") + (finalState ? "final" : "-"));
    };
    wizard->OnBackClick = [this](QObject*) { log.push_back("back"); };
  }
  TxWizard* wizard = nullptr;
  forms::TButton* back = nullptr;
  forms::TButton* next = nullptr;
  forms::TLabel* header = nullptr;
  forms::TLabel* info = nullptr;
  bool allowNext = true;
  std::vector<std::string> log;
};

struct WizardFixture : ::testing::Test {
  WizardForm* Make(int pages) {
    form = forms::CreateForm<WizardForm>(nullptr, pages);
    uitest::ShowActive(*form);
    return form;
  }
  void TearDown() override {
    if (form) form->Free();
  }
  WizardForm* form = nullptr;
};

TEST_F(WizardFixture, WalksForwardToTheFinishingClickAndBackAgain) {
  WizardForm& f = *Make(3);
  EXPECT_EQ(f.next->Caption(), "次へ(&N) >");
  EXPECT_EQ(f.back->Caption(), "< 戻る(&B)");
  EXPECT_FALSE(f.back->isVisible());
  EXPECT_EQ(f.header->Caption(), "H1");

  uitest::Click(f.next);
  EXPECT_EQ(f.wizard->ActivePage(), "page2");
  EXPECT_TRUE(f.back->isVisible());
  EXPECT_EQ(f.header->Caption(), "H2");
  EXPECT_EQ(f.info->Caption(), "I1") << "no information entry for page 2: the label keeps its text";

  uitest::Click(f.next);
  EXPECT_EQ(f.wizard->ActivePage(), "page3");
  EXPECT_EQ(f.next->Caption(), "完了(&F)");

  // On the last page the click is final: the page stays, the vote still says not final.
  uitest::Click(f.next);
  EXPECT_EQ(f.wizard->ActivePage(), "page3");
  EXPECT_EQ(f.log, (std::vector<std::string>{"clicking -", "click -", "clicking -", "click -", "clicking -",
                                             "click final"}));

  uitest::Click(f.back);
  EXPECT_EQ(f.wizard->ActivePage(), "page2");
  EXPECT_EQ(f.next->Caption(), "次へ(&N) >");
  uitest::Click(f.back);
  EXPECT_EQ(f.wizard->ActivePage(), "page1");
  EXPECT_FALSE(f.back->isVisible());
  EXPECT_EQ(f.log.back(), "back");
}

TEST_F(WizardFixture, AVetoedNextChangesNeitherPageNorCaptions) {
  WizardForm& f = *Make(2);
  f.allowNext = false;
  uitest::Click(f.next);
  EXPECT_EQ(f.wizard->ActivePage(), "page1");
  EXPECT_EQ(f.next->Caption(), "次へ(&N) >");
  EXPECT_FALSE(f.back->isVisible());
  EXPECT_EQ(f.log, std::vector<std::string>{"clicking -"});
}

TEST_F(WizardFixture, WithOnePageNextIsFinalAtOnceAndBackStaysHidden) {
  WizardForm& f = *Make(1);
  EXPECT_EQ(f.next->Caption(), "完了(&F)");
  uitest::Click(f.next);
  EXPECT_EQ(f.log, (std::vector<std::string>{"clicking -", "click final"}));
  f.wizard->BackButtonClick(f.back);
  EXPECT_FALSE(f.back->isVisible());
}

}  // namespace
