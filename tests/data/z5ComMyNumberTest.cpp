// Personal-number settings, their log and the management password, over copies of a fixture
// company.
#include <filesystem>

#include "DataModuleTestEnv.h"
#include "data/uAccScramble.h"
#include "data/z5ComMyNumber.h"
#include "platform/Encoding.h"

namespace fs = std::filesystem;

namespace {

class MyNumber : public DataModuleTest {
 protected:
  void SetUp() override {
    DataModuleTest::SetUp();
    SystemDef.MyNumberAdmin = 1;
    SystemDef.SerialText = "";
    SystemDef.OpCode = 11;
    SystemDef.OpName = "担当者";
    SystemDef.PcName = "PC01";
  }

  // A company data set of its own for the test.
  std::string Data(const std::string& name = "") {
    const std::string folder =
        CopyCompany(name.empty() ? ::testing::UnitTest::GetInstance()->current_test_info()->name() : name);
    return folder + "/qvacc.fdb";
  }

  // Sets (or with a null text deletes) one personal-number setting of a data set.
  static void SetReg(const std::string& dbFile, const std::string& key, const char* text) {
    fixtures::DbSession s(dbFile);
    TIBSQL q;
    s.Prepare(q, "DELETE FROM ACCREG WHERE AGROUP='基本設定' AND ACODE=:K");
    q.ParamByName("K").SetString(key);
    q.ExecQuery();
    if (text) {
      s.Prepare(q, "INSERT INTO ACCREG(AGROUP,ACODE,ATYPE,ATEXT) VALUES('基本設定',:K,:T,:V)");
      q.ParamByName("K").SetString(key);
      q.ParamByName("T").SetString(key == "＃USE" ? "整数" : "文字");
      q.ParamByName("V").SetString(text);
      q.ExecQuery();
    }
    s.Commit();
  }

  // The stored text of a setting; "<none>" when the row is missing.
  static std::string Reg(const std::string& dbFile, const std::string& key) {
    fixtures::DbSession s(dbFile);
    TIBSQL q;
    s.Prepare(q, "SELECT ATEXT FROM ACCREG WHERE AGROUP='基本設定' AND ACODE=:K");
    q.ParamByName("K").SetString(key);
    q.ExecQuery();
    return q.Eof() ? "<none>" : q.FieldByName("ATEXT").AsString();
  }

  static std::vector<TMyNumberLogRec> Log(const std::string& dbFile) {
    fixtures::DbSession s(dbFile);
    TIBSQL q;
    s.Prepare(q, "SELECT FHIZUKE,FSERIAL,FOPCODE,FHOST,FSTATE,FPROCNAME,FCOMMENT FROM MYNUMBER_LOG ORDER BY FHIZUKE");
    std::vector<TMyNumberLogRec> rows;
    for (q.ExecQuery(); !q.Eof(); q.Next()) {
      TMyNumberLogRec r;
      r.FHIZUKE = q.FieldByName("FHIZUKE").AsDateTime();
      r.FOPCODE = q.FieldByName("FOPCODE").AsString();
      r.FHOST = q.FieldByName("FHOST").AsString();
      r.FSTATE = static_cast<uint8_t>(q.FieldByName("FSTATE").AsInteger());
      r.FPROCNAME = q.FieldByName("FPROCNAME").AsString();
      r.FCOMMENT = q.FieldByName("FCOMMENT").AsString();
      rows.push_back(r);
    }
    return rows;
  }

  static TMyNumberLogRec Row(TDateTime at, const std::string& host, uint8_t state) {
    TMyNumberLogRec r;
    r.FHIZUKE = at;
    r.FOPCODE = "11";
    r.FOPNAME = "担当者";
    r.FHOST = host;
    r.FSTATE = state;
    r.FPROCNAME = "テスト";
    r.FCOMMENT = "c";
    return r;
  }
};

TEST_F(MyNumber, ThePasswordIsAskedUpToThreeTimesAndComparedExactly) {
  struct Case {
    const char* what;
    uint8_t admin;
    std::string expected;
    std::vector<ScriptedUi::InputAnswer> answers;
    bool result;
    size_t shown;
  };
  const Case cases[] = {
      {"not an administrator", 0, "abc1", {}, true, 0},
      {"no password set", 1, "", {}, false, 0},
      {"blanks around the entry", 1, "abc1", {ScriptedUi::Ok(" abc1　")}, true, 1},
      {"right on the third try", 1, "abc1", {ScriptedUi::Ok("x"), ScriptedUi::Ok("y"), ScriptedUi::Ok("abc1")}, true, 3},
      {"case differs three times", 1, "abc1",
       {ScriptedUi::Ok("ABC1"), ScriptedUi::Ok("Abc1"), ScriptedUi::Ok("abC1"), ScriptedUi::Ok("abc1")}, false, 3},
      {"cancelled", 1, "abc1", {ScriptedUi::Ok("x"), ScriptedUi::Cancel()}, false, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SystemDef.MyNumberAdmin = c.admin;
    ui_.inputs.clear();
    ui_.inputAnswers.assign(c.answers.begin(), c.answers.end());
    EXPECT_EQ(MyNumberPasswordDlg(c.expected), c.result);
    ASSERT_EQ(ui_.inputs.size(), c.shown);
    for (size_t i = 0; i < ui_.inputs.size(); ++i) {
      const uis::InputRequest& r = ui_.inputs[i];
      EXPECT_EQ(r.mode, 1);
      EXPECT_EQ(r.maxLength, 8);
      EXPECT_EQ(r.charFilter, 30);
      EXPECT_EQ(r.value, "");
      EXPECT_EQ(r.messageRed, i > 0);
      EXPECT_EQ(r.message, i == 0 ? "マイナンバー管理パスワードを入力して下さい。" : "正しいパスワードを入力して下さい。");
    }
  }
}

TEST_F(MyNumber, LogRowsCarryTheOperatorAndTheCommentOfTheirState) {
  TMyNumberIO io;
  struct Case {
    uint8_t state;
    std::string proc;
    std::string comment;
  };
  const Case cases[] = {
      {6, "データ送信", "マイナンバー情報を含むデータが送信されました。"},
      {6, "データ選択", "マイナンバー情報を含むデータが保存されました。"},
      {7, "データ受信", "マイナンバー情報を含むデータが受信されました。"},
      {8, "データ送信", "マイナンバー情報を含めずにデータが送信されました。"},
      {3, "", "マイナンバー情報が削除されました。"},
      {9, "データ送信", "マイナンバー管理パスワードを既定値に設定しました。"},
      {10, "", "マイナンバー管理パスワードを変更しました。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.proc + std::to_string(c.state));
    TMyNumberLogRec r;
    r.FHIZUKE = 5;
    io.MakeLogRec(r, c.state, c.proc);
    EXPECT_EQ(r.FCOMMENT, c.comment);
    EXPECT_EQ(r.FSTATE, c.state);
    EXPECT_EQ(r.FHIZUKE, 0);
    EXPECT_EQ(r.FOPCODE, "11");
    EXPECT_EQ(r.FOPNAME, "担当者");
    EXPECT_EQ(r.FHOST, "PC01");
  }
  // Process names are cut to 40 bytes, host names to 60, never inside a double-byte character.
  SystemDef.PcName = std::string(59, 'h') + "ホスト";
  TMyNumberLogRec r;
  const std::string fifty = "aあいうえおかきくけこさしすせそたちつてとなにぬねb";
  ASSERT_EQ(sjis::ByteLength(fifty), 50u);
  io.MakeLogRec(r, 6, fifty);
  EXPECT_EQ(r.FPROCNAME, "aあいうえおかきくけこさしすせそたちつて");  // the 40th byte would halve a character
  EXPECT_EQ(r.FHOST, std::string(59, 'h'));
}

// A time stamp already taken is retried with a fresh one, four attempts in all. A trigger makes
// the first `collisions` attempts violate a unique key and counts the attempts in a
// transaction of its own, which the rollbacks leave alone.
TEST_F(MyNumber, AddLogRetriesATakenTimeStampFourTimesAtMost) {
  const std::string db = Data();
  {
    fixtures::DbSession s(db);
    s.Exec("CREATE TABLE TRIES (N INTEGER)");
    s.Exec("CREATE TABLE TAKEN (X INTEGER NOT NULL PRIMARY KEY)");
    s.Exec("CREATE TABLE LIMITS (N INTEGER)");
    s.Commit();
    s.Exec("INSERT INTO TAKEN VALUES (1)");
    s.Exec(
        "CREATE TRIGGER COLLIDE FOR MYNUMBER_LOG BEFORE INSERT AS "
        "DECLARE N INTEGER; DECLARE L INTEGER; BEGIN "
        "IN AUTONOMOUS TRANSACTION DO INSERT INTO TRIES VALUES (1); "
        "SELECT COUNT(*) FROM TRIES INTO :N; SELECT MAX(N) FROM LIMITS INTO :L; "
        "IF (N <= L) THEN INSERT INTO TAKEN VALUES (1); END");
    s.Commit();
  }
  const struct {
    int collisions;
    int attempts;
    size_t rows;
  } cases[] = {{1, 2, 1}, {3, 4, 1}, {9, 4, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.collisions);
    {
      fixtures::DbSession s(db);
      s.Exec("DELETE FROM TRIES");
      s.Exec("DELETE FROM LIMITS");
      s.Exec("DELETE FROM MYNUMBER_LOG");
      s.Exec("INSERT INTO LIMITS VALUES (" + std::to_string(c.collisions) + ")");
      s.Commit();
    }
    TMyNumberIO io;
    TMyNumberLogRec r;
    io.MakeLogRec(r, 4, "参照");
    io.AddLogOfData(r, "", db);
    EXPECT_EQ(Scalar(db, "SELECT COUNT(*) FROM TRIES"), c.attempts);
    EXPECT_EQ(Log(db).size(), c.rows);
    if (c.rows == 1) {
      EXPECT_NE(r.FHIZUKE, 0);  // the stamp it was stored with
    }
    EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
  }
  EXPECT_FALSE(DM->IBDatabaseDAT.Connected());
}

TEST_F(MyNumber, MergeAddsOnlyMissingRowsAndOnlyIntoTheSameCompany) {
  const std::string from = Data("merge-from"), same = Data("merge-same"), other = Data("merge-other");
  {
    fixtures::DbSession s(other);
    s.Exec("UPDATE ACCDEF1 SET SHOUGOU='別の会社' WHERE REC=1");
    s.Commit();
  }
  const TDateTime t0 = EncodeDate(2024, 5, 1) + 0.5;
  TMyNumberIO io;
  TMyNumberLogRec a = Row(t0, "PC01", 1), b = Row(t0 + 0.1, "PC01", 2), c = Row(t0 + 0.2, "PC02", 4);
  for (TMyNumberLogRec* r : {&a, &b, &c}) io.AddLogOfData(*r, "", from);
  TMyNumberLogRec shared = a;
  io.AddLogOfData(shared, "", same);
  // The same key with another host counts as another row.
  TMyNumberLogRec sameTimeOtherHost = Row(t0 + 0.2, "PC01", 4);
  TMyNumberIO io2;
  io2.AddLogOfData(sameTimeOtherHost, "", other);

  io.GetLogListOfData("", from);
  EXPECT_EQ(io.CompanyName, company_->Setup().name);
  ASSERT_EQ(io.LogCount, 3);
  ASSERT_EQ(io.LogList.size(), 3u);
  EXPECT_EQ(io.LogList[0].FSTATE, 1);  // oldest first
  EXPECT_EQ(io.LogList[2].FHOST, "PC02");

  io.MergeLog("", same);
  const auto merged = Log(same);
  ASSERT_EQ(merged.size(), 3u);
  EXPECT_EQ(merged[1].FSTATE, 2);
  EXPECT_EQ(merged[2].FHOST, "PC02");
  io.MergeLog("", other);
  EXPECT_EQ(Log(other).size(), 1u);

  ASSERT_TRUE(DM->fnAccDatConnected("", fs::path(same).parent_path().string(), false));
  io.GetLogList(1);
  ASSERT_EQ(io.LogList.size(), 3u);
  EXPECT_EQ(io.LogList[0].FHOST, "PC02");  // newest first
  DM->AccDatDisconnect(fs::path(same).parent_path().string(), false, false);
  EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
  EXPECT_FALSE(DM->IBDatabaseDAT.Connected());
}

TEST_F(MyNumber, SettingsAreCreatedClearedAndWrittenBackAsTheyWere) {
  const std::string db = Data();
  TMyNumberIO io;
  // A data set without the settings gets them with their defaults.
  for (const char* key : {"＃USE", "＃KEY", "＃VALUE"}) SetReg(db, key, nullptr);
  io.ReadSettings("", db, "", "");
  EXPECT_EQ(io.MyNumberUse, 0);
  EXPECT_EQ(io.MyNumberKey, "");
  EXPECT_EQ(io.MyNumberValue, "");
  EXPECT_EQ(Reg(db, "＃USE"), "0");
  EXPECT_EQ(Reg(db, "＃KEY"), "");

  // Managed data: a readable password and a second value that our transform cannot read
  // (written elsewhere). A clear removes both and logs it; the write-back restores both
  // exactly as stored and takes the log row away again.
  const std::string key = ProtectStoreText("pass1234");
  SetReg(db, "＃USE", "1");
  SetReg(db, "＃KEY", key.c_str());
  SetReg(db, "＃VALUE", "FOREIGN-FORM-0123");
  io.ReadSettings("", db, "MyNumber_Clear", "");
  EXPECT_EQ(io.MyNumberUse, 1);
  EXPECT_EQ(io.MyNumberKey, "pass1234");
  EXPECT_EQ(io.MyNumberValue, "");
  EXPECT_EQ(Reg(db, "＃USE"), "0");
  EXPECT_EQ(Reg(db, "＃KEY"), "<none>");
  EXPECT_EQ(Reg(db, "＃VALUE"), "<none>");
  auto log = Log(db);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].FSTATE, 3);
  EXPECT_EQ(log[0].FPROCNAME, "アプリケーション");
  EXPECT_EQ(log[0].FCOMMENT, "マイナンバー情報が削除されました。");

  io.WriteSettings("", db);
  EXPECT_EQ(Reg(db, "＃USE"), "1");
  EXPECT_EQ(Reg(db, "＃KEY"), key);
  EXPECT_EQ(Reg(db, "＃VALUE"), "FOREIGN-FORM-0123");
  EXPECT_TRUE(Log(db).empty());

  // Unmanaged settings are never written.
  io.MyNumberUse = 0;
  SetReg(db, "＃USE", "0");
  io.WriteSettings("", db);
  EXPECT_EQ(Reg(db, "＃USE"), "0");

  // A missing file changes nothing and says nothing; the values read before are cleared.
  io.ReadSettings("", db + ".missing", "MYNUMBER_CLEAR", "");
  EXPECT_EQ(io.MyNumberUse, 0);
  EXPECT_EQ(io.MyNumberKey, "");
  EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
  EXPECT_FALSE(DM->IBDatabaseDAT.Connected());
}

// An operation on another data set never works on the one that is connected, and gives the
// connection back.
TEST_F(MyNumber, AnotherConnectedDataSetIsLeftAsItWas) {
  const std::string mine = Data("connected"), theirs = Data("named");
  ASSERT_TRUE(DM->fnAccDatConnected("", fs::path(mine).parent_path().string(), false));
  const std::string name = DM->IBDatabaseDAT.DatabaseName;
  TMyNumberIO io;
  TMyNumberLogRec r = Row(EncodeDate(2024, 1, 1), "PC01", 4);
  io.AddLogOfData(r, "", theirs);
  EXPECT_EQ(Log(theirs).size(), 1u);
  EXPECT_TRUE(Log(mine).empty());
  EXPECT_TRUE(DM->IBDatabaseDAT.Connected());
  EXPECT_EQ(DM->IBDatabaseDAT.DatabaseName, name);
}

}  // namespace
