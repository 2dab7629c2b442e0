// The upgrade dialog set up for a database as its callers use it: the pending steps listed,
// the consent rule, Esc, and the version read from the connected database.
// Picture: upgrade_dialog.png.
#include <QImage>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "fixtures/FixtureDb.h"
#include "fixtures/Installation.h"
#include "support/DataModuleTestBase.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "ui/UiTestSupport.h"
#include "upgrade/z5DbUpdate.h"
#include "upgrade/z5DbUpdateScript.h"

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

class UpgradeDialogDb : public OneCompanyTestBase<fixtures::CompanyPlan::Corporation> {
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

// Runs of three pending company steps (9.0.4, 9.0.5, 10.0.0) whose builders are stand-ins:
// each one's script records its number in MARK, unless the case has it fail.
TEST_F(UpgradeDialogDb, RunsThePendingStepsAndRestoresAfterAFailure) {
  SystemDef.TempDir = inst_->AppTempDir().string();
  {
    fixtures::DbSession s(company_->DbFile());
    s.Exec("CREATE TABLE MARK (N INTEGER)");
    s.Commit();
  }
  enum Fault { None, IsqlError, Missing, Throws, VersionKept };
  struct Case {
    const char* what;
    Fault fault;             // of the second step, 9.0.5
    int modalResult;
    const char* statuses;    // of the three rows
    const char* version;     // of the database afterwards
    int marks;               // rows in MARK afterwards
  } cases[] = {
      {"every step applied", None, 1, "完了 完了 完了", "10.0.0", 3},
      {"isql reports an error", IsqlError, 4, "完了 失敗 ", "9.0.3", 0},
      {"an update file is missing", Missing, 4, "完了 ﾌｧｲﾙ不足 ", "9.0.3", 0},
      {"the step raises", Throws, 4, "完了 失敗 ", "9.0.3", 0},
      {"the script leaves the version", VersionKept, 4, "完了 失敗 ", "9.0.3", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ui.messages.clear();
    {
      fixtures::DbSession s(company_->DbFile());
      s.Exec("DELETE FROM MARK");
      s.Exec("UPDATE ACCVERSION SET MAJOR=9,MINOR1=0,MINOR2=3 WHERE REC=1");
      s.Commit();
    }
    ASSERT_TRUE(DM->fnAccDatConnected("", company_->Folder().string(), false));
    box->PrepareUpdate(1, "");
    ASSERT_EQ(box->ListView1->topLevelItemCount(), 3);
    for (int i = 47; i <= 49; ++i) {
      TDbUpdateListRec& step = box->UserList[static_cast<size_t>(i)];
      const TDbVersion v = step.Version();
      const int n = i - 46;
      const Fault fault = i == 48 ? c.fault : None;
      step.RunProc = [v, n, fault]() -> int32_t {
        switch (fault) {
          case Missing: return kStepFileMissing;
          case Throws: throw std::runtime_error("stand-in failure");
          case VersionKept: return kStepOk;
          case IsqlError:
            return RunUpdateStatements(TUpdateDb::Company, v, {"INSERT INTO MARK VALUES (" + std::to_string(n) + ");",
                                                              "INSERT INTO NO_SUCH_TABLE VALUES (1);"});
          case None: break;
        }
        return RunUpdateStatements(TUpdateDb::Company, v, {"INSERT INTO MARK VALUES (" + std::to_string(n) + ");"});
      };
    }
    std::string statuses;
    QImage shot;
    uitest::ModalScript script({[&](TForm&) {
                                  if (!box->cboxAgree->Checked()) uitest::Click(box->cboxAgree);  // shown again for each case, the tick kept
                                  uitest::Click(box->btnOk);
                                },
                                [&](TForm&) {}});
    EXPECT_EQ(box->ShowModal(), c.modalResult);
    EXPECT_FALSE(script.WatchdogFired());
    for (int r = 0; r < 3; ++r) statuses += RowText(*box, r, 2) + (r < 2 ? " " : "");
    EXPECT_EQ(statuses, c.statuses);
    EXPECT_EQ(box->UpdateDone, c.modalResult == 1);
    EXPECT_EQ(box->FirstIndex, -1);
    if (c.modalResult == 1) {
      EXPECT_TRUE(ui.messages.empty());
      EXPECT_EQ(box->DbVersion.Text(), "10.0.0");
      box->grab().toImage().save(QStringLiteral("upgrade_dialog_run.png"));
    } else {
      EXPECT_TRUE(ui.Shown("会計データの更新に失敗しました。"));
    }
    // The dialog has connected the company again, and the backup is gone.
    EXPECT_TRUE(DM->IBDatabaseDAT.Connected());
    EXPECT_FALSE(std::filesystem::exists(inst_->AppTempDir() / "dataup.fbk"));
    DM->AccDatDisconnect(company_->Folder().string(), false, false);
    fixtures::DbSession s(company_->DbFile());
    EXPECT_EQ(s.Scalar("SELECT COUNT(*) FROM MARK"), c.marks);
    EXPECT_EQ(s.Scalar("SELECT MAJOR*10000+MINOR1*100+MINOR2 FROM ACCVERSION WHERE REC=1"),
              c.version == std::string("10.0.0") ? 100000 : 90003);
  }
  // Nothing pending: nothing runs.
  box->PrepareUpdate(1, "10.0.0");
  EXPECT_EQ(box->ExecuteUpdate(), -1);
}

// Another attachment to the company database refuses the run; the operators logged on to the
// system are listed for a system run only.
TEST_F(UpgradeDialogDb, ARunIsRefusedWhileOthersUseTheData) {
  SystemDef.TempDir = inst_->AppTempDir().string();
  {
    fixtures::DbSession s(company_->DbFile());
    s.Exec("UPDATE ACCVERSION SET MAJOR=9,MINOR1=0,MINOR2=5 WHERE REC=1");
    s.Commit();
  }
  ASSERT_TRUE(DM->fnAccDatConnected("", company_->Folder().string(), false));
  box->PrepareUpdate(1, "");
  ASSERT_TRUE(box->NeedUpdate);
  bool ran = false;
  box->UserList.back().RunProc = [&ran]() -> int32_t {
    ran = true;
    return kStepOk;
  };
  {
    fixtures::DbSession other(company_->DbFile());
    uitest::ModalScript script({[&](TForm&) {
                                  uitest::Click(box->cboxAgree);
                                  uitest::Click(box->btnOk);
                                },
                                [&](TForm&) {}});
    EXPECT_EQ(box->ShowModal(), 4);
    EXPECT_FALSE(script.WatchdogFired());
  }
  EXPECT_FALSE(ran);
  EXPECT_TRUE(ui.Shown("現在、他のオペレータが会計データを利用中です。"));
  EXPECT_TRUE(DM->IBDatabaseDAT.Connected());

  std::string text = "x";
  box->GetLoginUserText(text);
  EXPECT_EQ(text, "");
  {
    fixtures::DbSession s(inst_->SystemDbFile());
    s.Exec("INSERT INTO LOGONUSERLIST (GROUPID, OPCODE, OPERATORCODE, PCNAME) VALUES (10000, 100000010, 10, 'PC02')");
    s.Commit();
  }
  SystemDef.LogonId = fixtures::Installation::LogonId(11);
  box->PrepareUpdate(0, "0.0.0");
  box->GetLoginUserText(text);
  EXPECT_EQ(text, "[ 0010 ]:  管理者\r");
  EXPECT_FALSE(DM->IBDatabaseDEF.Connected());
}

// A backup that cannot be restored is the only copy of the data before the run: it stays, and
// the user is told where; the database is left whole, as the failed step left it.
TEST_F(UpgradeDialogDb, ABackupThatCannotBeRestoredIsKept) {
  SystemDef.TempDir = inst_->AppTempDir().string();
  {
    fixtures::DbSession s(company_->DbFile());
    s.Exec("UPDATE ACCVERSION SET MAJOR=9,MINOR1=0,MINOR2=5 WHERE REC=1");
    s.Commit();
  }
  ASSERT_TRUE(DM->fnAccDatConnected("", company_->Folder().string(), false));
  box->PrepareUpdate(1, "");
  ASSERT_EQ(box->ListView1->topLevelItemCount(), 1);
  box->UserList.back().RunProc = [this]() -> int32_t {
    std::ofstream(box->BackupFile, std::ios::binary | std::ios::trunc) << "not a backup";
    return kStepIsqlError;
  };
  uitest::ModalScript script({[&](TForm&) {
                                uitest::Click(box->cboxAgree);
                                uitest::Click(box->btnOk);
                              },
                              [&](TForm&) {}});
  EXPECT_EQ(box->ShowModal(), 4);
  EXPECT_FALSE(script.WatchdogFired());
  EXPECT_TRUE(box->BackupKept);
  // Kept under a name of its own that the next run does not overwrite.
  EXPECT_EQ(std::filesystem::path(box->BackupFile).parent_path(), inst_->AppTempDir());
  EXPECT_EQ(box->BackupFile.rfind((inst_->AppTempDir() / "dataup-").string(), 0), 0u);
  EXPECT_EQ(TempDir::Read(box->BackupFile), "not a backup");
  EXPECT_FALSE(std::filesystem::exists(inst_->AppTempDir() / "dataup.fbk"));
  EXPECT_TRUE(ui.Shown("更新前データの復元に失敗しました。"));
  EXPECT_TRUE(ui.Shown(box->BackupFile));
  EXPECT_TRUE(DM->IBDatabaseDAT.Connected());
  DM->AccDatDisconnect(company_->Folder().string(), false, false);
  fixtures::DbSession s(company_->DbFile());
  EXPECT_EQ(s.Scalar("SELECT MAJOR*10000+MINOR1*100+MINOR2 FROM ACCVERSION WHERE REC=1"), 90005);
}

}  // namespace

namespace {

// The company steps read the facts of the data set they upgrade, also when another data set's
// were loaded before.
TEST_F(UpgradeDialogDb, ACompanyRunLoadsTheSelectedDataSetFirst) {
  SystemDef.TempDir = inst_->AppTempDir().string();
  {
    fixtures::DbSession s(company_->DbFile());
    s.Exec("UPDATE ACCVERSION SET MAJOR=9,MINOR1=0,MINOR2=5 WHERE REC=1");
    s.Commit();
  }
  ASSERT_TRUE(DM->fnAccDatConnected("", company_->Folder().string(), false));
  box->PrepareUpdate(1, "");
  ASSERT_TRUE(box->NeedUpdate);
  DM->AccDatDisconnect(company_->Folder().string(), false, false);
  AccInf.DATATYPE = 99;
  AccInf.SHOUGOU = "別の会社";
  int32_t seenType = 0;
  bool connected = true;
  box->UserList.back().RunProc = [&]() -> int32_t {
    seenType = AccInf.DATATYPE;
    connected = DM->IBDatabaseDAT.Connected();
    return kStepFileMissing;
  };
  uitest::ModalScript script({[&](TForm&) {
                                uitest::Click(box->cboxAgree);
                                uitest::Click(box->btnOk);
                              },
                              [&](TForm&) {}});
  box->ShowModal();
  EXPECT_FALSE(script.WatchdogFired());
  EXPECT_EQ(seenType, 1);
  EXPECT_NE(AccInf.SHOUGOU, "別の会社");
  // isql finds the file free of the program's own attachment.
  EXPECT_FALSE(connected);
}

}  // namespace
