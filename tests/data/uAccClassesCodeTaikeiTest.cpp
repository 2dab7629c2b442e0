// Code-system files imported into the system database's USERCODE rows, and the repair of the
// stored data and code types.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "data/DataModule.h"
#include "data/uAccClassesCodeTaikei.h"
#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "fixtures/FixtureDb.h"
#include "fixtures/Installation.h"
#include "platform/Encoding.h"
#include "support/DataModuleTestBase.h"

namespace {

class CodeSystem : public DataModuleTestBase {
 protected:
  void SetUp() override {
    DataModuleTestBase::SetUp();
    savedApp_ = AppInfo;
    OemKind = 0;
    AppInfo.OEM = "-";
    AppInfo.VerTest = "";
    {
      fixtures::DbSession s(inst_->SystemDbFile());
      s.Exec("DELETE FROM USERCODE");
      s.Exec("INSERT INTO USERCODE (RECNO, NAME, DATATYPE, CODETYPE) VALUES (1, '旧体系', 2, 1)");
      s.Commit();
    }
    CreateDataModule();
    Open(DM->IBDatabaseDEF, inst_->SystemDbFile());
  }
  void TearDown() override {
    AppInfo = savedApp_;
    DataModuleTestBase::TearDown();
  }

  std::string WriteFile(const std::string& name, const std::string& utf8) {
    const std::string path = (inst_->SysDir() / name).string();
    std::ofstream(path, std::ios::binary) << sjis::FromUtf8(utf8);
    return path;
  }
  static std::string Text(const std::string& sql) {
    fixtures::DbSession s(inst_->SystemDbFile());
    TIBSQL q;
    s.Prepare(q, sql);
    q.ExecQuery();
    return q.Eof() ? "<none>" : sjis::ToUtf8(q.Fields(0).AsBlob().empty() ? "" : q.Fields(0).AsBlob());
  }

  TAppInfoRec savedApp_;
};

}  // namespace

TEST_F(CodeSystem, ImportFillsTheRowByLineKind) {
  const std::string file = WriteFile("code.txt",
                                     "1,一般法人,1,1,x\r\n2,科目\r\n21,補助\r\n31,部門\r\n71,摘要\r\n99,捨てる\r\n"
                                     "補助行\r\n");
  TCodeTaikeiIO io;
  ASSERT_TRUE(io.ImportFile(file, 1));
  EXPECT_EQ(Scalar(inst_->SystemDbFile(), "SELECT DATATYPE * 10 + CODETYPE FROM USERCODE WHERE RECNO = 1"), 11);
  EXPECT_EQ(Text("SELECT INIDAT1 FROM USERCODE WHERE RECNO = 1"), "1,一般法人,1,1,x\r\n");
  EXPECT_EQ(Text("SELECT INIDAT2 FROM USERCODE WHERE RECNO = 1"), "2,科目\r\n21,補助\r\n");
  EXPECT_EQ(Text("SELECT INIDAT3 FROM USERCODE WHERE RECNO = 1"), "31,部門\r\n");
  EXPECT_EQ(Text("SELECT INIDAT7 FROM USERCODE WHERE RECNO = 1"), "71,摘要\r\n");
  EXPECT_EQ(Text("SELECT INIDAT8 FROM USERCODE WHERE RECNO = 1"), "");
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(CodeSystem, RefusedAndFailedImportsWriteNothing) {
  struct Case {
    const char* what;
    const char* content;
    int recNo;
    size_t messages;
  };
  const Case cases[] = {
      {"another product kind", "1,他社体系,1,1,x,OTHER\r\n2,科目\r\n", 1, 1},
      {"no header line", "2,科目\r\n", 1, 0},
      {"missing row", "1,一般法人,1,1,x\r\n", 99, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ui_.messages.clear();
    TCodeTaikeiIO io;
    EXPECT_FALSE(io.ImportFile(WriteFile("bad.txt", c.content), c.recNo));
    EXPECT_EQ(ui_.messages.size(), c.messages);
    EXPECT_EQ(Scalar(inst_->SystemDbFile(), "SELECT COUNT(*) FROM USERCODE WHERE RECNO = 1 AND NAME = '旧体系'"), 1);
    EXPECT_FALSE(DM->IBTransactionDEF.Active());
  }
}

TEST_F(CodeSystem, RepairTakesTheTypesFromTheHeaderLine) {
  {
    fixtures::DbSession s(inst_->SystemDbFile());
    TIBSQL q;
    s.Prepare(q, "INSERT INTO USERCODE (RECNO, NAME, DATATYPE, CODETYPE, INIDAT1) VALUES (2, '個人', 1, 1, :D)");
    q.ParamByName("D").SetBlob(sjis::FromUtf8("1,個人,2,3,x\r\n"));
    q.ExecQuery();
    s.Exec("INSERT INTO USERCODE (RECNO, NAME, DATATYPE, CODETYPE, INIDAT1) VALUES (3, '法人', 1, 1, '1,法人,1,1')");
    s.Commit();
  }
  TCodeTaikeiIO io;
  EXPECT_EQ(Scalar(inst_->SystemDbFile(), "SELECT DATATYPE * 10 + CODETYPE FROM USERCODE WHERE RECNO = 2"), 23);
  EXPECT_EQ(Scalar(inst_->SystemDbFile(), "SELECT DATATYPE * 10 + CODETYPE FROM USERCODE WHERE RECNO = 3"), 11);
}
