// Database names, connection parameters, and connecting, marking and dropping databases.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "data/DataModule.h"
#include "data/uAccClasses.h"
#include "DataModuleTestEnv.h"
#include "platform/Encoding.h"
#include "platform/db/IBQuery.h"
#include "support/FirebirdServer.h"
#include "support/ForeignHolder.h"
#include "support/ReplaceWatch.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

TEST(DataModuleNames, DatabaseNameRule) {
  ScopedEnv drives("RENDO_DRIVES", "Z=/srv/zdrive");
  struct Case {
    uint8_t mode;
    const char* host;
    const char* folder;
    const char* name;
  };
  const Case cases[] = {
      {0, "", "/qv/SYS", "/qv/SYS/qvaccdef.fdb"},
      {0, "srv1", "/qv/SYS", "/qv/SYS/qvaccdef.fdb"},           // local whatever the host
      {1, "127.0.0.1", "/qv/SYS", "/qv/SYS/qvaccdef.fdb"},      // this computer
      {1, "srv1", "/qv/SYS", "srv1:/qv/SYS/qvaccdef.fdb"},
      {2, "srv1", "C:/SYS", "srv1:C:/SYS/qvaccdef.fdb"},        // the server's own path, as given
      {1, "127.0.0.1 ", "/qv/SYS", "127.0.0.1 :/qv/SYS/qvaccdef.fdb"},  // compared exactly
      {1, "localhost", "/qv/SYS", "localhost:/qv/SYS/qvaccdef.fdb"},
      {0, "", "Z:/data/1", "/srv/zdrive/data/1/qvaccdef.fdb"},  // drive form resolved locally
      {0, "", "Y:/data/1", "Y:/data/1/qvaccdef.fdb"},           // unmapped drive left as it is
  };
  for (const Case& c : cases)
    EXPECT_EQ(TDM::DatabaseName(c.mode, c.host, c.folder, "qvaccdef.fdb"), c.name)
        << int(c.mode) << " " << c.host << " " << c.folder;
}

class DataModuleConnect : public DataModuleTest {};

TEST_F(DataModuleConnect, SystemDatabaseWithTheThreeParametersAndNoMove) {
  ASSERT_TRUE(DM->fnAccDefConnected("", true));
  EXPECT_EQ(DM->IBDatabaseDEF.DatabaseName, SystemDb());
  EXPECT_EQ(DM->IBDatabaseDEF.Params,
            (std::vector<std::string>{"user_name=GKFMCB", "password=mirsol", "lc_ctype=SJIS_0208"}));
  // Connected: no move to another host or folder.
  SystemDef.SysDir = "/nowhere";
  EXPECT_TRUE(DM->fnAccDefConnected("srv1", true));
  EXPECT_EQ(DM->IBDatabaseDEF.DatabaseName, SystemDb());
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(DataModuleConnect, SystemDatabaseFailureIsReportedOrPassedOn) {
  SystemDef.SysDir = (inst_->Root() / "missing").string();
  EXPECT_THROW(DM->fnAccDefConnected("", false), EIBError);
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_FALSE(DM->fnAccDefConnected("", true));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].lines[0], "システムデータベースの接続処理に失敗しました。");
  EXPECT_FALSE(DM->IBDatabaseDEF.Connected());
}

TEST_F(DataModuleConnect, MarkedConnectAndDisconnectWriteTheSettingsFile) {
  ASSERT_TRUE(DM->fnAccDatConnected("", Folder(), true));
  EXPECT_EQ(DM->IBDatabaseDAT.DatabaseName, company_->DbFile().string());

  TIniFile ini(IniFile());
  EXPECT_EQ(ini.ReadSection("DATASTS"),
            (std::vector<std::string>{"STATUS", "OPCODE", "OPERATOR", "SHARE_STATUS", "UPDATE_LOCK"}));
  EXPECT_EQ(ini.ReadInteger("DATASTS", "STATUS", 0), 2);
  EXPECT_EQ(ini.ReadInteger("DATASTS", "OPCODE", 0), SystemDef.LogonId);
  EXPECT_EQ(ini.ReadString("DATASTS", "OPERATOR", ""), "担当者");
  EXPECT_EQ(ini.ReadSection("DATAINFO"),
            (std::vector<std::string>{"DATALISTNAME", "CODE", "DATAKBN", "CODEKBN", "SHOUGOU", "KANA", "NENDO", "KISHU",
                                      "KIMATU", "TANTO", "SITEN", "SITENCNT", "BUMON", "BUMONCNT", "SIWAKE",
                                      "TOTALSIWAKE", "VERSION1", "VERSION2", "GASSANKBN", "USEMYNUMBER"}));
  EXPECT_EQ(ini.ReadString("DATAINFO", "SHOUGOU", ""), company_->Setup().name);
  EXPECT_EQ(ini.ReadString("DATAINFO", "KISHU", ""), "2016/04/01");
  EXPECT_EQ(ini.ReadString("DATAINFO", "VERSION1", ""), "10.2.0");
  EXPECT_EQ(ini.ReadString("DATAINFO", "VERSION2", ""), inst_->VersionName(10, 2));

  TDataInfomation info;
  TDataInfomationRec rec;
  EXPECT_EQ(info.ReadIniFile("", Folder(), rec), 1);
  EXPECT_EQ(rec.STATUS, 2);

  EXPECT_EQ(DM->AccDatDisconnect(Folder(), true, false), 1);
  EXPECT_FALSE(DM->IBDatabaseDAT.Connected());
  EXPECT_TRUE(DM->IBDatabaseDAT.Params.empty());
  EXPECT_EQ(info.ReadIniFile("", Folder(), rec), 1);
  EXPECT_EQ(rec.STATUS, 1);
  EXPECT_EQ(rec.OPCODE, 0);
  EXPECT_FALSE(ini.ValueExists("DATASTS", "OPERATOR"));
  EXPECT_EQ(rec.SHOUGOU, company_->Setup().name);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(DataModuleConnect, ServerModesAndUnmarkedCallsWriteNoSettingsFile) {
  const std::string before = TempDir::Read(IniFile());
  ASSERT_TRUE(DM->fnAccDatConnected("", Folder(), false));
  EXPECT_EQ(DM->AccDatDisconnect(Folder(), false, false), 1);
  ConnectMode = 1;
  SystemDef.HostName = "127.0.0.1";  // this computer: the file opens in process
  ASSERT_TRUE(DM->fnAccDatConnected("", Folder(), true));
  EXPECT_EQ(DM->AccDatDisconnect(Folder(), true, false), 1);
  EXPECT_EQ(TempDir::Read(IniFile()), before);
}

TEST_F(DataModuleConnect, ASettingsFileIsCreatedWhenMissing) {
  const std::string folder = CopyCompany("copy-noini");
  TDataInfomation info;
  TDataInfomationRec rec;
  ASSERT_EQ(info.ReadIniFile("", folder, rec), 1);
  EXPECT_EQ(rec.STATUS, 1);
  EXPECT_EQ(rec.DATALISTNAME, company_->Setup().name);
  EXPECT_TRUE(fs::exists(TDataInfomation::IniFileName(folder)));
  EXPECT_EQ(info.ReadIniFile("", (inst_->Root() / "empty").string(), rec), 0);
  EXPECT_EQ(rec.STATUS, 1);
}

TEST_F(DataModuleConnect, MissingFileIsOneMessageWithoutTheDataCheck) {
  int hookCalls = 0;
  DataCheckHook = [&](const std::string&, const std::string&, int32_t, int32_t& result) {
    ++hookCalls;
    result = 0;
  };
  SystemDef.DataCheckKbn = 1;
  const std::string folder = (inst_->Root() / "nodata").string();
  fs::create_directories(folder);
  EXPECT_FALSE(DM->fnAccDatConnected("", folder, true));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].lines[0], "ユーザーデータベースの接続処理に失敗しました。");
  EXPECT_TRUE(ui_.Shown("IBXエラーコード:335544344"));
  EXPECT_EQ(hookCalls, 0);
  EXPECT_FALSE(DM->IBDatabaseDAT.Connected());
  EXPECT_FALSE(fs::exists(TDataInfomation::IniFileName(folder)));

  // A file that is there but is no database does run the check, quietly, for that folder.
  std::ofstream(folder + "/qvacc.fdb") << std::string(32768, 'x');
  std::string checked;
  int32_t quiet = -1;
  DataCheckHook = [&](const std::string&, const std::string& f, int32_t q, int32_t& result) {
    ++hookCalls;
    checked = f;
    quiet = q;
    result = 0;
  };
  EXPECT_FALSE(DM->fnAccDatConnected("", folder, false));
  EXPECT_EQ(hookCalls, 1) << ui_.messages.back().detail << ui_.MessageText(ui_.messages.size() - 1);
  EXPECT_EQ(checked, folder);
  EXPECT_EQ(quiet, 1);
  EXPECT_FALSE(DM->IBDatabaseDAT.Connected());
}

// A database that another program holds (its engine opened the file exclusively) is busy, not
// missing or broken: the user reads who has it, no data check runs, nothing is marked; once
// the program lets go, it opens.
TEST_F(DataModuleConnect, ADatabaseAnotherProgramHoldsIsReportedInUseWithoutTheDataCheck) {
  int hookCalls = 0;
  DataCheckHook = [&](const std::string&, const std::string&, int32_t, int32_t& result) {
    ++hookCalls;
    result = 0;
  };
  SystemDef.DataCheckKbn = 1;
  const std::string dataFolder = CopyCompany("held-data");
  const std::string sysFolder = (inst_->Root() / "held-sys").string();
  fs::create_directories(sysFolder);
  fs::copy_file(SystemDb(), sysFolder + "/qvaccdef.fdb");

  struct Case {
    std::string file;
    std::function<bool()> connect;
    std::string firstLine;
    std::function<bool()> connected;
  };
  const Case cases[] = {
      {dataFolder + "/qvacc.fdb", [&] { return DM->fnAccDatConnected("", dataFolder, true); },
       "ユーザーデータベースは他のプログラムが使用中のため接続できませんでした。",
       [] { return DM->IBDatabaseDAT.Connected(); }},
      {sysFolder + "/qvaccdef.fdb",
       [&] {
         SystemDef.SysDir = sysFolder;
         return DM->fnAccDefConnected("", true);
       },
       "システムデータベースは他のプログラムが使用中のため接続できませんでした。",
       [] { return DM->IBDatabaseDEF.Connected(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    ui_.messages.clear();
    {
      ForeignHolder other(c.file);
      EXPECT_FALSE(c.connect());
      ASSERT_EQ(ui_.messages.size(), 1u);
      EXPECT_EQ(ui_.messages[0].lines[0], c.firstLine);
      EXPECT_TRUE(ui_.Shown("データベースファイルは他のプログラムが使用中です。"));
      EXPECT_TRUE(ui_.Shown(c.file));
      EXPECT_FALSE(ui_.Shown("already opened")) << ui_.messages[0].detail;
      EXPECT_FALSE(c.connected());
    }
    EXPECT_TRUE(c.connect()) << ui_.messages.back().detail;
  }
  EXPECT_EQ(hookCalls, 0);
  TDataInfomation info;
  TDataInfomationRec rec;
  ASSERT_EQ(info.ReadIniFile("", dataFolder, rec), 1);
  EXPECT_EQ(rec.STATUS, 2);  // marked by the connection that succeeded, not before
}

// Users name their folders in Japanese: such a data set connects, is marked, and the
// attached-database service reports its file under the same name.
TEST_F(DataModuleConnect, ADataSetInAJapaneseFolderConnectsAndTheServiceSeesIt) {
  const std::string folder = (inst_->SysDir() / "会計データ" / "顧問先１").string();
  fs::create_directories(folder);
  fs::copy_file(company_->DbFile(), folder + "/qvacc.fdb");
  ASSERT_TRUE(DM->fnAccDatConnected("", folder, true)) << (ui_.messages.empty() ? "" : ui_.messages[0].detail);
  TDataInfomation info;
  TDataInfomationRec rec;
  ASSERT_EQ(info.ReadIniFile("", folder, rec), 1);
  EXPECT_EQ(rec.STATUS, 2);
  EXPECT_EQ(rec.SHOUGOU, company_->Setup().name);
  EXPECT_TRUE(DM->AccDatInConnection(1, "", folder, true));
  EXPECT_EQ(DM->AccDatDisconnect(folder, true, false), 1);
  EXPECT_FALSE(DM->AccDatInConnection(1, "", folder, true));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(DataModuleConnect, RefreshHandsTheCompanyValuesToTheDataList) {
  std::vector<TDataListRefreshRec> rows;
  DataListRefreshHook = [&](const TDataListRefreshRec& r) { rows.push_back(r); };
  SystemDef.DataPlaceRec = 3;
  ASSERT_TRUE(DM->fnAccDatConnected("", Folder(), false));
  EXPECT_EQ(DM->AccDatDisconnect(Folder(), false, true), 1);
  ASSERT_EQ(rows.size(), 1u);
  const TDataListRefreshRec& r = rows[0];
  EXPECT_EQ(r.Folder, Folder());
  EXPECT_EQ(r.DataPlaceRec, 3);
  EXPECT_EQ(r.GroupId, fixtures::Installation::kGroupId);
  EXPECT_EQ(r.SHOUGOU, company_->Setup().name);
  EXPECT_EQ(r.KISHU, EncodeDate(2016, 4, 1));
  EXPECT_EQ(r.KIMATU, EncodeDate(2017, 3, 31));
  EXPECT_EQ(r.DATATYPE, 1);
  EXPECT_EQ(r.VER_MAJOR, 10);
  EXPECT_EQ(r.VER_MINOR1, 2);
  // Without mark or refresh the company database is not read at all.
  DataListRefreshHook = nullptr;
  EXPECT_EQ(DM->AccDatDisconnect(Folder(), false, false), 1);
}

TEST_F(DataModuleConnect, AttachedDatabasesOfThisProcess) {
  const std::string folder = CopyCompany("copy-attached");
  EXPECT_FALSE(DM->AccDatInConnection(1, "", folder, false));
  EXPECT_FALSE(DM->AccDatInConnection(1, "", "  ", false));

  TIBDatabase other;
  other.DatabaseName = folder + "/qvacc.fdb";
  other.Params = TDM::ConnectParams();
  other.Open();
  // Reached through another spelling of the same folder.
  EXPECT_TRUE(DM->AccDatInConnection(1, "", folder + "/./", false));
  other.Close();

  // The module's own connection is closed for the question and opened again afterwards.
  ASSERT_TRUE(DM->fnAccDatConnected("", folder, false));
  EXPECT_FALSE(DM->AccDatInConnection(1, "", folder, false));
  EXPECT_TRUE(DM->IBDatabaseDAT.Connected());
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(DataModuleConnect, DropRemovesTheDatabase) {
  const std::string folder = CopyCompany("copy-drop");
  EXPECT_TRUE(DM->AccDatDropDatabase("", folder));
  EXPECT_FALSE(fs::exists(folder + "/qvacc.fdb"));
  EXPECT_FALSE(DM->AccDatDropDatabase("", ""));
  EXPECT_FALSE(DM->AccDatDropDatabase("", folder));  // nothing left to drop
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].lines[0], "ユーザーデータベースの削除処理に失敗しました。");
}

TEST_F(DataModuleConnect, FileManagerDatabaseOnlyWhenItsFileExists) {
  EXPECT_TRUE(DM->ConnectFileManDb(""));
  EXPECT_EQ(DM->IBFileMan.DatabaseName, inst_->FileManDbFile().string());
  DM->IBFileMan.Close();
  SystemDef.SysDir = (inst_->Root() / "missing").string();
  EXPECT_FALSE(DM->ConnectFileManDb(""));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(DataModuleConnect, ClientServerThroughTheLoopbackServer) {
  FirebirdServer server;
  const fs::path folder = server.DataDir() / "0001";
  fs::create_directories(folder);
  fs::copy_file(company_->DbFile(), folder / "qvacc.fdb");
  const std::string before = TempDir::Read(IniFile());
  ConnectMode = 1;
  SystemDef.HostName = server.Host();

  ASSERT_TRUE(DM->fnAccDatConnected("", folder.string(), true));
  EXPECT_EQ(DM->IBDatabaseDAT.DatabaseName, server.Host() + ":" + folder.string() + "/qvacc.fdb");
  EXPECT_FALSE(fs::exists(folder / "qvacc.ini"));  // the data list speaks for the server's data

  // The server lists every attachment: another client's connection is seen.
  TIBDatabase other;
  other.DatabaseName = DM->IBDatabaseDAT.DatabaseName;
  other.Params = TDM::ConnectParams();
  other.Open();
  EXPECT_TRUE(DM->AccDatInConnection(1, "", folder.string(), false));
  other.Close();
  EXPECT_FALSE(DM->AccDatInConnection(1, "", folder.string(), false));
  EXPECT_TRUE(DM->IBDatabaseDAT.Connected());

  EXPECT_EQ(DM->AccDatDisconnect(folder.string(), true, false), 1);
  EXPECT_TRUE(DM->AccDatDropDatabase("", folder.string()));
  EXPECT_FALSE(fs::exists(folder / "qvacc.fdb"));
  EXPECT_EQ(TempDir::Read(IniFile()), before);
  EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
}

TEST_F(DataModuleConnect, EachMarkReplacesTheSettingsFileOnce) {
  ReplaceRecorder replaced;
  ASSERT_TRUE(DM->fnAccDatConnected("", Folder(), true));
  ASSERT_EQ(replaced.Replaced().size(), 1u);
  EXPECT_EQ(fs::path(replaced.Replaced()[0]).filename(), fs::path(IniFile()).filename());
  EXPECT_EQ(DM->AccDatDisconnect(Folder(), true, false), 1);
  EXPECT_EQ(replaced.Replaced().size(), 2u);
}

// The settings file is rewritten whole: a writer killed at any point leaves the old file or the
// new one, never one without the company's name or period.
TEST(DataInfoFile, AWriterKilledAnywhereLeavesTheOldOrTheNewFile) {
  TempDir dir;
  const std::string folder = dir.Str();
  const std::string file = TDataInfomation::IniFileName(folder);
  TDataInfomation info;
  TDataInfomationRec before;
  before.SHOUGOU = "株式会社旧";
  before.KISHU = "2015/04/01";
  before.KIMATU = "2016/03/31";
  TDataInfomationRec after = before;
  after.STATUS = 2;
  after.OPCODE = 11;
  after.OPERATOR = "担当者";
  after.SHOUGOU = "株式会社新";
  after.KISHU = "2016/04/01";
  after.KIMATU = "2017/03/31";

  info.WriteIniFile(folder, "", after);
  const std::string newBytes = TempDir::Read(file);
  info.WriteIniFile(folder, "", before);
  const std::string oldBytes = TempDir::Read(file);
  ASSERT_NE(oldBytes, newBytes);

  struct Case {
    filereplace::Stage stage;
    bool replaced;
  };
  const Case cases[] = {{filereplace::Stage::TempCreated, false},
                        {filereplace::Stage::PartWritten, false},
                        {filereplace::Stage::Synced, false},
                        {filereplace::Stage::Renamed, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.stage));
    ASSERT_EQ(RunKilledAt(c.stage, [&] { info.WriteIniFile(folder, "", after); }), ChildEnd::Killed);
    EXPECT_EQ(TempDir::Read(file), c.replaced ? newBytes : oldBytes);
    info.WriteIniFile(folder, "", after);  // the next write clears up after the dead one
    EXPECT_EQ(TempDir::Read(file), newBytes);
    EXPECT_TRUE(TemporaryFiles(dir.Path()).empty());
    info.WriteIniFile(folder, "", before);
  }
}
