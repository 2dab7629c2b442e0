// The database error reporter: its two log files, the message, the program end on the engine's
// consistency error and the reconnection after a lost network connection.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "DataModuleTestEnv.h"
#include "platform/Encoding.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

const char* const kNetworkLostStart = "何らかの原因でネットワークが物理的に切断されている";

class DbErrorReporter : public DataModuleTest {
 protected:
  void SetUp() override {
    DataModuleTest::SetUp();
    SystemDef.LogDir = (log_.Path() / "log").string();  // created by the first report
    SystemDef.HostName = "dbhost";
    ProgramEndHook = [this] { ++ends_; };
  }
  std::string Txt() const { return TempDir::Read(log_.Path() / "log" / "ErrFbAccess.txt"); }
  std::string Log() const { return TempDir::Read(log_.Path() / "log" / "ErrFbAccess.log"); }
  static size_t Lines(const std::string& bytes) {
    size_t n = 0;
    for (size_t p = bytes.find("\r\n"); p != std::string::npos; p = bytes.find("\r\n", p + 2)) ++n;
    return n;
  }
  int NetworkLostMessages() const {
    int n = 0;
    for (const auto& m : ui_.messages)
      if (!m.lines.empty() && m.lines[0].rfind(kNetworkLostStart, 0) == 0) ++n;
    return n;
  }

  TempDir log_;
  int ends_ = 0;
};

}  // namespace

TEST_F(DbErrorReporter, TwoLogLinesAndTheMessageWithItsCode) {
  DM->IBDatabaseDAT.DatabaseName = "/data/0001/qvacc.fdb";
  SystemDef.SerialText = "S1";
  ReportDbError(EIBError(335544345, -901, "lock conflict on no wait transaction\n-deadlock"), "TSiwakeWrite.PutSiwake",
                "仕訳の書き込みに失敗しました。", true);

  const std::string txt = Txt();
  ASSERT_EQ(Lines(txt), 2u);
  EXPECT_EQ(txt.substr(txt.size() - 2), "\r\n");
  const std::string utf8 = sjis::ToUtf8(txt);
  const std::string line1 = utf8.substr(0, utf8.find("\r\n"));
  const std::string line2 = utf8.substr(utf8.find("\r\n") + 2, utf8.size() - utf8.find("\r\n") - 4);
  EXPECT_TRUE(std::regex_match(line1, std::regex(R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d,PC01,)" +
                                                 std::to_string(SystemDef.LogonId) +
                                                 R"(,Serial=S1,AppVer=,DBName=dbhost:/data/0001/qvacc\.fdb,DataVer=)")))
      << line1;
  EXPECT_EQ(line2,
            "Error=TSiwakeWrite.PutSiwake [335544345] (-901) （NO WAIT トランザクションのロックが衝突しています）,"
            "lock conflict on no wait transaction -deadlock");
  EXPECT_EQ(Log(), txt);

  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].kind, uis::MsgKind::Error);
  EXPECT_EQ(ui_.messages[0].lines,
            (std::vector<std::string>{"仕訳の書き込みに失敗しました。", "", "[詳細情報]", "IBXエラーコード:335544345",
                                      "lock conflict on no wait transaction", "-deadlock",
                                      "（NO WAIT トランザクションのロックが衝突しています）"}));

  // An empty message: logged, nothing shown. The .log grows, the .txt holds the last two lines.
  ReportDbError(EIBError(335544344, -902, "I/O error"), "TDM.X", "", true);
  EXPECT_EQ(Lines(Log()), 4u);
  EXPECT_EQ(Lines(Txt()), 2u);
  EXPECT_NE(Txt().find("[335544344]"), std::string::npos);
  EXPECT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ends_, 0);
}

TEST_F(DbErrorReporter, AnUnwritableLogStillShowsTheMessage) {
  std::ofstream(log_.Path() / "file") << "x";
  SystemDef.LogDir = (log_.Path() / "file").string();  // a file where the folder should be
  EXPECT_NO_THROW(ReportDbError(EIBError(335544345, -901, "lock"), "TDM.X", "失敗しました。", true));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].lines[0], "失敗しました。");
}

TEST_F(DbErrorReporter, ConsistencyErrorEndsTheProgramAndSilencesLaterReports) {
  ReportDbError(EIBError(335544333, -902, "internal error"), "TDM.fnGetSysDef", "", true);
  EXPECT_EQ(ends_, 1);
  EXPECT_TRUE(DbErrorTerminating());
  ASSERT_EQ(ui_.messages.size(), 1u);
  const auto& lines = ui_.messages[0].lines;
  EXPECT_EQ(lines.front(), "（isc 内部のソフトウェア一貫性チェック）");
  EXPECT_EQ(lines[lines.size() - 2], "※注意 共有サーバーのデータ利用時は自動保管されません。");  // local mode
  EXPECT_TRUE(ui_.messages[0].detail.empty());

  const std::string txt = Txt();
  ReportDbError(EIBError(335544345, -901, "lock"), "TDM.Y", "失敗しました。", true);
  EXPECT_EQ(Txt(), txt);
  EXPECT_EQ(Lines(Log()), 2u);
  EXPECT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ends_, 1);

  // Without an installed hook the UI is asked to quit; a server connection has no local note.
  ResetDbErrorTerminating();
  ProgramEndHook = nullptr;
  ConnectMode = 1;
  ReportDbError(EIBError(335544333, -902, "internal error"), "TDM.Z", "x", true);
  EXPECT_EQ(ui_.quitRequests, 1);
  EXPECT_EQ(ui_.MessageText(1).find("※注意"), std::string::npos);
}

TEST_F(DbErrorReporter, LostConnectionIsReconnectedWithoutAMessage) {
  ASSERT_TRUE(DM->fnAccDefConnected("", true));
  ASSERT_TRUE(DM->fnAccDatConnected("", Folder(), false));
  DM->IBTransactionDAT.StartTransaction();

  // Not allowed to reconnect: logged, nothing shown, nothing touched.
  ReportDbError(EIBError(335544721, -902, "network error"), "TDM.A", "失敗しました。", false);
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_TRUE(DM->IBTransactionDAT.Active());

  ReportDbError(EIBError(335544721, -902, "network error"), "TDM.B", "失敗しました。", true);
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(ends_, 0);
  EXPECT_FALSE(DbErrorTerminating());
  EXPECT_TRUE(DM->IBDatabaseDEF.Connected());
  EXPECT_TRUE(DM->IBDatabaseDAT.Connected());
  EXPECT_FALSE(DM->IBTransactionDAT.Active());  // the old connection was dropped
  EXPECT_EQ(Lines(Log()), 4u);
}

TEST_F(DbErrorReporter, AFailedReconnectShowsTheLossOncePerHalfAndEnds) {
  ASSERT_TRUE(DM->fnAccDefConnected("", true));
  SystemDef.SysDir = (inst_->Root() / "gone").string();
  ReportDbError(EIBError(335544721, -902, "network error"), "TDM.C", "失敗しました。", true);
  EXPECT_EQ(NetworkLostMessages(), 2);
  EXPECT_EQ(ends_, 2);
  EXPECT_TRUE(DbErrorTerminating());
  EXPECT_FALSE(DM->IBDatabaseDEF.Connected());
}

TEST_F(DbErrorReporter, AFailureOfAnyKindIsReportedByWhatItIs) {
  // A database error goes through the reporter: logged, its code in the detail.
  const EIBError dbError(335544345, -901, "lock conflict");
  ReportFailure(dbError, "TDM.D", "保存に失敗しました。");
  EXPECT_EQ(Lines(Log()), 2u);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].lines.at(3), "IBXエラーコード:335544345");

  // Any other error: not logged, its text as the detail.
  ReportFailure(std::runtime_error("disk full"), "TDM.D", "保存に失敗しました。");
  EXPECT_EQ(Lines(Log()), 2u);
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[1].kind, uis::MsgKind::Error);
  EXPECT_EQ(ui_.messages[1].lines, (std::vector<std::string>{"保存に失敗しました。", "", "[詳細情報]", "disk full"}));

  // A lost connection not allowed to reconnect stays a report only.
  ReportFailure(EIBError(335544721, -902, "network error"), "TDM.E", "失敗しました。", false);
  EXPECT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ends_, 0);
  EXPECT_EQ(Lines(Log()), 4u);
}

TEST(AppendLinesToLog, CreatesThenAppendsShiftJisLines) {
  TempDir dir;
  const std::string path = (dir.Path() / "job.log").string();
  ASSERT_TRUE(AppendLinesToLog(path, {"一行目", "two"}));
  ASSERT_TRUE(AppendLinesToLog(path, {"三"}));
  EXPECT_EQ(TempDir::Read(path), sjis::FromUtf8("一行目\r\ntwo\r\n三\r\n"));
  EXPECT_FALSE(AppendLinesToLog((dir.Path() / "missing" / "x.log").string(), {"a"}));
}
