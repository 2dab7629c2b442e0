// The upgrade dialog set up for a database as its callers use it: the pending steps listed,
// the consent rule, Esc, and the version read from the connected database.
// Picture: upgrade_dialog.png.
#include <QImage>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "fixtures/FixtureDb.h"
#include "fixtures/Installation.h"
#include "support/DataModuleTestBase.h"
#include "support/ScriptedUi.h"
#include "ui/UiTestSupport.h"
#include "upgrade/z5DbUpdate.h"

using namespace forms;

namespace {

std::string RowText(TDbUpdateBox& box, int row, int column) {
  QTreeWidgetItem* item = box.ListView1->topLevelItem(row);
  return item ? item->text(column).toStdString() : std::string("(none)");
}

class UpgradeDialog : public ::testing::Test {
 protected:
  void SetUp() override { box = CreateForm<TDbUpdateBox>(nullptr); }
  void TearDown() override { box->Free(); }

  ScriptedUi ui;
  ScopedUi useUi{ui};
  TDbUpdateBox* box = nullptr;
};

TEST_F(UpgradeDialog, CompanyModeListsThePendingStepsAndWaitsForConsent) {
  box->PrepareUpdate(1, "2.0.5");
  EXPECT_TRUE(box->NeedUpdate);
  EXPECT_EQ(box->FirstIndex, 22);
  EXPECT_EQ(box->LastIndex, 49);
  EXPECT_EQ(box->BackupCount, 28);
  EXPECT_EQ(box->LatestVersion.Text(), "10.0.0");
  ASSERT_EQ(box->ListView1->topLevelItemCount(), 28);
  EXPECT_EQ(RowText(*box, 0, 0), "3.0.0");
  EXPECT_EQ(RowText(*box, 0, 1), "Tallix財務１１のデータ形式に変換");
  EXPECT_EQ(RowText(*box, 0, 2), "");
  EXPECT_EQ(RowText(*box, 27, 0), "10.0.0");
  EXPECT_EQ(box->lblTitle1->Caption(), "会計データの更新を行います。");
  EXPECT_EQ(box->lblTitle3->Caption(), "必ずバックアップを取得後に実行することを強く推奨します。");

  std::vector<bool> okEnabled;
  std::string memo;
  QImage shot;
  uitest::ModalScript script({[&](TForm& f) {
    EXPECT_TRUE(box->cboxAgree->isVisible());
    EXPECT_TRUE(box->btnCancel->isVisible());
    okEnabled.push_back(box->btnOk->Enabled());
    uitest::Click(box->cboxAgree);
    okEnabled.push_back(box->btnOk->Enabled());
    uitest::Click(box->cboxAgree);
    okEnabled.push_back(box->btnOk->Enabled());
    uitest::Click(box->cboxAgree);
    // Choosing a row shows its memo.
    box->ListView1->setCurrentItem(box->ListView1->topLevelItem(6));
    memo = box->RichEdit1->Text();
    shot = f.grab().toImage();
    uitest::Click(box->btnCancel);
  }});
  EXPECT_EQ(box->ShowModal(), mrCancel);
  EXPECT_FALSE(script.WatchdogFired());
  EXPECT_EQ(okEnabled, (std::vector<bool>{false, true, false}));
  EXPECT_EQ(memo, "１）Tallix財務１２のデータ形式に変換します。\r\n２）過年度残高集計処理を高速化します。\r\n");
  ASSERT_FALSE(shot.isNull());
  EXPECT_TRUE(shot.save(QStringLiteral("upgrade_dialog.png")));

  // Nothing pending: the flag is cleared, the rows of the last check stay.
  box->PrepareUpdate(1, "10.0.0");
  EXPECT_FALSE(box->NeedUpdate);
  EXPECT_EQ(box->FirstIndex, -1);
  EXPECT_EQ(box->LastIndex, -1);
  EXPECT_EQ(box->BackupCount, 0);
  EXPECT_EQ(box->ListView1->topLevelItemCount(), 28);
}

TEST_F(UpgradeDialog, SystemModeNeedsNoConsentAndEscCancels) {
  box->PrepareUpdate(0, "0.3.1");
  EXPECT_TRUE(box->NeedUpdate);
  EXPECT_EQ(box->ListView1->topLevelItemCount(), 14);
  EXPECT_EQ(RowText(*box, 0, 0), "0.3.2");
  EXPECT_EQ(box->BackupCount, 6);
  EXPECT_EQ(box->lblTitle1->Caption(), "システムデータの更新を行います。");
  EXPECT_EQ(box->lblTitle2->Caption(), "");
  bool agreeShown = true, cancelShown = true, okEnabled = false;
  uitest::ModalScript script({[&](TForm&) {
    agreeShown = box->cboxAgree->isVisible();
    cancelShown = box->btnCancel->isVisible();
    okEnabled = box->btnOk->Enabled();
    uitest::Key(Qt::Key_Escape);
  }});
  EXPECT_EQ(box->ShowModal(), mrCancel);
  EXPECT_FALSE(script.WatchdogFired());
  EXPECT_FALSE(agreeShown);
  EXPECT_FALSE(cancelShown);
  EXPECT_TRUE(okEnabled);
  EXPECT_EQ(box->btnOk->Left(), 380);

  // While a run is in progress Esc does nothing.
  box->OkTag = 1;
  uitest::ModalScript running({[&](TForm&) {
    uitest::Key(Qt::Key_Escape);
    EXPECT_EQ(box->ModalResult(), mrNone);
    box->OkTag = 0;
    uitest::Key(Qt::Key_Escape);
  }});
  EXPECT_EQ(box->ShowModal(), mrCancel);
  EXPECT_FALSE(running.WatchdogFired());
}

class UpgradeDialogDb : public OneCompanyTestBase<fixtures::CompanySpec::Corporation> {
 protected:
  void SetUp() override {
    OneCompanyTestBase::SetUp();
    SystemDef.HostName = "";
    SystemDef.SysDir = inst_->SysDir().string();
    SystemDef.DataDir = company_->Folder().string();
    SystemDef.GroupId = fixtures::Installation::kGroupId;
    SystemDef.PcName = "PC01";
    ResetDbErrorTerminating();
    env_ = std::make_unique<fixtures::InstallationEnv>(*inst_);
    CreateDataModule();
    ASSERT_TRUE(DM->fnAccDefConnected("", true));
    box = CreateForm<TDbUpdateBox>(nullptr);
  }
  void TearDown() override {
    box->Free();
    FreeDataModule();
    env_.reset();
    ResetDbErrorTerminating();
    OneCompanyTestBase::TearDown();
  }

  ScriptedUi ui;
  ScopedUi useUi{ui};
  std::unique_ptr<fixtures::InstallationEnv> env_;
  TDbUpdateBox* box = nullptr;
};

TEST_F(UpgradeDialogDb, AnEmptyVersionTextReadsTheConnectedDatabase) {
  // A new system database stands at the newest step.
  box->PrepareUpdate(0, "");
  EXPECT_EQ(box->DbVersion.Text(), "9.0.4");
  EXPECT_FALSE(box->NeedUpdate);

  {
    fixtures::DbSession s(company_->DbFile());
    s.Exec("UPDATE ACCVERSION SET MAJOR=2,MINOR1=0,MINOR2=5 WHERE REC=1");
    s.Commit();
  }
  ASSERT_TRUE(DM->fnAccDatConnected("", company_->Folder().string(), false));
  box->PrepareUpdate(1, "");
  EXPECT_EQ(box->DbVersion.Text(), "2.0.5");
  EXPECT_TRUE(box->NeedUpdate);
  EXPECT_EQ(box->ListView1->topLevelItemCount(), 28);
  EXPECT_TRUE(ui.messages.empty());

  // Without a company connection the version is unknown: reported, and nothing pends.
  DM->AccDatDisconnect(company_->Folder().string(), false, false);
  box->PrepareUpdate(1, "");
  EXPECT_FALSE(box->NeedUpdate);
  EXPECT_EQ(box->FirstIndex, -1);
  EXPECT_TRUE(ui.Shown("データベースバージョンの取得に失敗しました。"));
}

}  // namespace
