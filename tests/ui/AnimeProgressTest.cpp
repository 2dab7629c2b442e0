// The progress dialog: the modeless window blocks input to its form until Close (or until
// the component goes), sits centred over it and lays out its parts; the modal run calls
// OnShow inside the loop and hands its exception to the caller.
#include <gtest/gtest.h>
#include <stdexcept>

#include "UiTestSupport.h"
#include "support/TempDir.h"
#include "ui/forms/Application.h"
#include "ui/forms/Button.h"
#include "ui/forms/Label.h"
#include "ui/xAnimeProgressDialog.h"

using namespace forms;

namespace {

class TWorkForm : public TForm {
 public:
  explicit TWorkForm(QWidget* owner) : TForm(owner) {
    SetName("TWorkForm");
    SetCaption("TWorkForm");
    SetBounds(100, 80, 500, 360);
    Button1 = new TButton(this);
    Button1->SetName("Button1");
    Button1->SetBounds(10, 10, 75, 25);
    Button1->OnClick = [this](QObject*) { ++clicks; };
    Progress = new TxAnimeProgressDialog(this);
    Progress->SetName("xAnimeProgressDialog1");
    Progress->SetCaption("連動データ作成中");
  }
  TButton* Button1;
  TxAnimeProgressDialog* Progress;
  int clicks = 0;
};

TEST(AnimeProgress, ModelessWindowBlocksItsFormUntilClose) {
  auto* form = CreateForm<TWorkForm>(nullptr);
  uitest::ShowActive(*form);
  TxAnimeProgressDialog& dlg = *form->Progress;
  dlg.SetCancelBtnShow(false);
  dlg.Show(form);
  TxProgressForm* window = dlg.Handle();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(dlg.Showing());
  EXPECT_EQ(window->Caption(), "連動データ作成中");
  EXPECT_EQ(window->ClientWidth(), 380);
  EXPECT_EQ(window->ClientHeight(), 100);
  EXPECT_EQ(window->Left(), form->Left() + (form->Width() - window->Width()) / 2);
  EXPECT_EQ(window->Top(), form->Top() + (form->Height() - window->Height()) / 2);

  uitest::Click(form->Button1);
  EXPECT_EQ(form->clicks, 0);
  EXPECT_FALSE(IsWindowEnabled(form));

  EXPECT_EQ(dlg.Close(), 0);
  EXPECT_EQ(dlg.Handle(), nullptr);
  EXPECT_FALSE(dlg.Showing());
  uitest::Click(form->Button1);
  EXPECT_EQ(form->clicks, 1);
  form->Free();
}

TEST(AnimeProgress, CloseUnblocksOnlyWhatShowBlocked) {
  auto* form = CreateForm<TWorkForm>(nullptr);
  uitest::ShowActive(*form);
  // Someone else has the form disabled too (an outer progress window).
  EnableWindow(form, false);
  form->Progress->Show(form);
  form->Progress->Close();
  form->Progress->Close();
  EXPECT_FALSE(IsWindowEnabled(form));
  EnableWindow(form, true);
  EXPECT_TRUE(IsWindowEnabled(form));
  form->Free();
}

TEST(AnimeProgress, DestroyingTheComponentUnblocksTheForm) {
  auto* form = CreateForm<TWorkForm>(nullptr);
  uitest::ShowActive(*form);
  form->Progress->Show(form);
  QPointer<TxProgressForm> window = form->Progress->Handle();
  delete form->Progress;
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(IsWindowEnabled(form));
  EXPECT_TRUE(window.isNull());
  form->Free();
}

TEST(AnimeProgress, LayoutDependsOnTheLabelPositionAndTheCancelButton) {
  struct Case {
    bool cancel;
    TxLabelPosition position;
    int animeTop, labelLeft, labelTop;
  } cases[] = {
      {true, xlpRight, 16, 60, 24},
      {true, xlpBottom, 16, 20, 52},
      {false, xlpRight, 30, 60, 42},
      {false, xlpBottom, 30, 20, 70},
  };
  auto* form = CreateForm<TWorkForm>(nullptr);
  uitest::ShowActive(*form);
  TxAnimeProgressDialog& dlg = *form->Progress;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.cancel << " " << c.position);
    dlg.SetCancelBtnShow(c.cancel);
    dlg.SetLabelPosition(c.position);
    dlg.Show(form);
    TxProgressForm* w = dlg.Handle();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Anime->geometry(), QRect(20, c.animeTop, 32, 32));
    EXPECT_EQ(w->InfoText->Left(), c.labelLeft);
    EXPECT_EQ(w->InfoText->Top(), c.labelTop);
    EXPECT_EQ(w->InfoText->Width(), 300);
    ASSERT_EQ(w->CancelButton != nullptr, c.cancel);
    if (c.cancel) {
      EXPECT_EQ(w->CancelButton->Caption(), "キャンセル");
      EXPECT_EQ(w->CancelButton->geometry(), QRect(152, 67, 76, 23));
    }
    dlg.Close();
  }
  form->Free();
}

TEST(AnimeProgress, CancelButtonOnlyRecordsTheWish) {
  auto* form = CreateForm<TWorkForm>(nullptr);
  uitest::ShowActive(*form);
  TxAnimeProgressDialog& dlg = *form->Progress;
  dlg.Show(form);
  EXPECT_FALSE(dlg.Cancelled());
  uitest::Click(dlg.Handle()->CancelButton);
  EXPECT_TRUE(dlg.Cancelled());
  ASSERT_NE(dlg.Handle(), nullptr);
  EXPECT_TRUE(dlg.Handle()->isVisible());
  dlg.Close();
  dlg.Show(form);
  EXPECT_FALSE(dlg.Cancelled());
  dlg.Close();
  form->Free();
}

TEST(AnimeProgress, TextAndAnimationFollowTheProperties) {
  TempDir dir;
  const std::string clip = dir.Write("progress.avi", "RIFF");

  auto* form = CreateForm<TWorkForm>(nullptr);
  uitest::ShowActive(*form);
  TxAnimeProgressDialog& dlg = *form->Progress;
  // Stored while nothing is shown, displayed by the next Show.
  dlg.SetInfoLabel("準備中");
  EXPECT_FALSE(dlg.AnimeActive());
  dlg.SetAviFile(dir.Str() + "/missing.avi");
  dlg.Show(form);
  EXPECT_EQ(dlg.Handle()->InfoText->Caption(), "準備中");
  EXPECT_EQ(dlg.AviFile(), "");
  EXPECT_FALSE(dlg.AnimeActive());
  EXPECT_FALSE(dlg.Handle()->Anime->isVisible());
  dlg.SetInfoLabel("仕訳を集計しています");
  EXPECT_EQ(dlg.Handle()->InfoText->Caption(), "仕訳を集計しています");
  dlg.Close();

  dlg.SetAviFile(clip);
  dlg.Show(form);
  EXPECT_EQ(dlg.AviFile(), clip);
  EXPECT_TRUE(dlg.AnimeActive());
  EXPECT_TRUE(dlg.Handle()->Anime->isVisible());
  dlg.StartAnime(false);
  EXPECT_FALSE(dlg.AnimeActive());
  dlg.SetAnimeActive(true);
  EXPECT_TRUE(dlg.AnimeActive());
  dlg.Close();
  EXPECT_FALSE(dlg.AnimeActive());
  form->Free();
}

TEST(AnimeProgress, WithoutAParentTheWindowStaysOnTopAndBlocksNothing) {
  auto* form = CreateForm<TWorkForm>(nullptr);
  uitest::ShowActive(*form);
  TxAnimeProgressDialog& dlg = *form->Progress;
  dlg.Show(nullptr);
  ASSERT_NE(dlg.Handle(), nullptr);
  EXPECT_EQ(dlg.ParentHandle(), nullptr);
  EXPECT_EQ(dlg.Handle()->FormStyle(), fsStayOnTop);
  EXPECT_TRUE(IsWindowEnabled(form));
  dlg.Close();
  form->Free();
}

TEST(AnimeProgress, ModalRunCallsOnShowInsideTheLoop) {
  auto* form = CreateForm<TWorkForm>(nullptr);
  uitest::ShowActive(*form);
  TxAnimeProgressDialog& dlg = *form->Progress;
  bool ranModal = false;
  int closes = 0;
  dlg.OnClose = [&](QObject* sender) {
    EXPECT_EQ(sender, &dlg);
    ++closes;
  };
  dlg.OnShow = [&](QObject* sender) {
    auto* window = dynamic_cast<TxProgressForm*>(sender);
    ranModal = window && window->Modal() && window->isVisible() && dlg.Showing();
    dlg.SetInfoLabel("1/3");
  };
  dlg.Show(form);
  EXPECT_TRUE(ranModal);
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(dlg.Handle(), nullptr);
  EXPECT_TRUE(dlg.Showing());  // until Close
  EXPECT_TRUE(IsWindowEnabled(form));
  dlg.Close();
  EXPECT_FALSE(dlg.Showing());

  // An exception from the handler reaches the caller once the window is gone.
  QPointer<TxProgressForm> seen;
  dlg.OnShow = [&](QObject* sender) {
    seen = dynamic_cast<TxProgressForm*>(sender);
    throw std::runtime_error("集計に失敗しました");
  };
  try {
    dlg.Show(form);
    ADD_FAILURE() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "集計に失敗しました");
    EXPECT_TRUE(seen.isNull());
    EXPECT_EQ(dlg.Handle(), nullptr);
  }
  dlg.Close();
  form->Free();
}

}  // namespace
