// One company database open in two processes at once, as on an office desktop: this process
// holds a transaction on it while the export tool, a process of its own, exports the same
// data set. The data set lies in a folder named in Japanese.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "ExportTestEnv.h"
#include "fixtures/CompanyBuilder.h"
#include "platform/Process.h"
#include "platform/db/IBDatabase.h"
#include "platform/db/IBSQL.h"
#include "support/BuiltPrograms.h"

namespace fs = std::filesystem;

namespace {

class SharedAccess : public ExportTestBase {
 protected:
  static void SetUpTestSuite() {
    DataModuleTestBase::SetUpTestSuite();
    company_ = &inst_->AddCompany(fixtures::CompanyPlan::Medical());
    company_->GenerateJournal({.seed = 3, .entries = 300});
  }
  static void TearDownTestSuite() {
    company_ = nullptr;
    DataModuleTestBase::TearDownTestSuite();
  }
  static inline fixtures::Company* company_ = nullptr;
};

TEST_F(SharedAccess, TheExportToolExportsADataSetThisProcessHoldsATransactionOn) {
  ASSERT_NE(company_->Folder().string().find("会計データ"), std::string::npos);
  const std::string expected = Export(*company_);
  ASSERT_FALSE(expected.empty());

  TIBDatabase db;
  db.DatabaseName = company_->DbFile().string();
  db.Params = TDM::ConnectParams();
  db.Open();
  TIBTransaction held;
  held.SetDefaultDatabase(&db);
  held.StartTransaction();
  // An uncommitted change of a row the export reads: the tool reads the committed version,
  // and, coordinating through the same lock folder, leaves ours alone.
  TIBSQL w;
  w.SetDatabase(&db);
  w.SetTransaction(&held);
  w.SQL = "UPDATE ACCDEF1 SET TEL = '03-0000-0000' WHERE REC = 1";
  w.ExecQuery();

  const std::string file = (out_.Path() / "tool.xml").string();
  ProcessOptions o;
  o.argv = {BuiltProgram("../rendo-export").string(), company_->Folder().string(), file};
  o.timeout = std::chrono::seconds(120);
  const ProcessResult tool = RunProcess(o);
  ASSERT_TRUE(tool.Ok()) << tool.error << tool.out << tool.err;
  EXPECT_EQ(TempDir::Read(file), expected);
  EXPECT_TRUE(held.InTransaction());
  held.Commit();

  TIBTransaction after;
  after.SetDefaultDatabase(&db);
  after.StartTransaction();
  TIBSQL q;
  q.SetDatabase(&db);
  q.SetTransaction(&after);
  q.SQL = "SELECT TEL FROM ACCDEF1 WHERE REC = 1";
  q.ExecQuery();
  EXPECT_EQ(q.Fields(0).AsString(), "03-0000-0000");
  after.Commit();
}

// Another user's program (or one of another runtime folder) runs the engine with a lock folder
// of its own, which knows nothing of our locks: its writes would overwrite ours. It is refused
// while this process has the database open, and goes ahead once nobody else has.
TEST_F(SharedAccess, AProgramUnderAnotherLockFolderIsRefusedWhileTheDatabaseIsOpen) {
  TempDir otherEngine;
  const std::string file = (out_.Path() / "other.xml").string();
  ProcessOptions o;
  o.argv = {BuiltProgram("../rendo-export").string(), company_->Folder().string(), file};
  o.env["RENDO_FIREBIRD_DIR"] = (otherEngine.Path() / "firebird").string();
  o.timeout = std::chrono::seconds(120);

  {
    TIBDatabase db;
    db.DatabaseName = company_->DbFile().string();
    db.Params = TDM::ConnectParams();
    db.Open();
    const ProcessResult refused = RunProcess(o);
    EXPECT_EQ(refused.exitCode, 1) << refused.error << refused.out << refused.err;
    EXPECT_NE(refused.err.find("他のプログラムが使用中"), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(file));
    db.Close();
  }
  const ProcessResult alone = RunProcess(o);
  EXPECT_TRUE(alone.Ok()) << alone.error << alone.out << alone.err;
  EXPECT_TRUE(fs::exists(file));
}

}  // namespace
