// The data-set descriptor's settings file: creation, status writes, and the take-out and
// put-back of shared-server data.
#include <filesystem>
#include <fstream>

#include "DataModuleTestEnv.h"
#include "data/uAccClasses.h"
#include "fixtures/FixtureDb.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

class DataInfo : public DataModuleTest {
 protected:
  void SetUp() override {
    DataModuleTest::SetUp();
    SystemDef.LogonId = fixtures::Installation::LogonId(11);
    SystemDef.OpName = "担当者";
  }

  // The keys of a section in file order, "name=value".
  static std::vector<std::string> Keys(const std::string& folder, const char* section) {
    return TIniFile(TDataInfomation::IniFileName(folder)).ReadSectionValues(section);
  }
  static int Read(const std::string& folder, const char* key, int def = -1) {
    return TIniFile(TDataInfomation::IniFileName(folder)).ReadInteger("DATASTS", key, def);
  }
  static bool Has(const std::string& folder, const char* key) {
    return TIniFile(TDataInfomation::IniFileName(folder)).ValueExists("DATASTS", key);
  }

  TempDir dir_;
};

TEST_F(DataInfo, AFolderWithoutTheSettingsFileGetsOneWithEveryKeyInOrder) {
  const std::string folder = CopyCompany("noini-order");
  TDataInfomation info;
  TDataInfomationRec rec;
  ASSERT_EQ(info.ReadIniFile("", folder, rec), 1);
  EXPECT_EQ(rec.STATUS, 1);
  EXPECT_EQ(rec.SHOUGOU, company_->Setup().name);

  auto names = [](const std::vector<std::string>& lines) {
    std::vector<std::string> n;
    for (const std::string& l : lines) n.push_back(l.substr(0, l.find('=')));
    return n;
  };
  EXPECT_EQ(names(Keys(folder, "DATASTS")), (std::vector<std::string>{"STATUS", "SHARE_STATUS", "UPDATE_LOCK"}));
  EXPECT_EQ(Read(folder, "STATUS"), 1);
  EXPECT_EQ(names(Keys(folder, "DATAINFO")),
            (std::vector<std::string>{"DATALISTNAME", "CODE", "DATAKBN", "CODEKBN", "SHOUGOU", "KANA", "NENDO",
                                      "KISHU", "KIMATU", "TANTO", "SITEN", "SITENCNT", "BUMON", "BUMONCNT", "SIWAKE",
                                      "TOTALSIWAKE", "VERSION1", "VERSION2", "GASSANKBN", "USEMYNUMBER"}));
  EXPECT_EQ(TIniFile(TDataInfomation::IniFileName(folder)).ReadString("DATAINFO", "SHOUGOU", ""),
            company_->Setup().name);
}

// Each status write changes its own keys and keeps every other one, whoever wrote them.
TEST_F(DataInfo, StatusWritesKeepEveryOtherKey) {
  const std::string folder = dir_.Str();
  TDataInfomation first, second;
  TDataInfomationRec rec;
  rec.SHOUGOU = "株式会社テスト";
  rec.NENDO = 2016;
  first.WriteIniFile(folder, "", rec);
  const auto info = Keys(folder, "DATAINFO");
  const int logon = SystemDef.LogonId;

  struct Step {
    const char* what;
    std::function<void()> write;
    int status, opcode, share, shareOpcode;  // -1: the key is absent
  };
  const Step steps[] = {
      {"status 4", [&] { first.SetStatus(folder, 4); }, 4, logon, 1, -1},
      {"share 2 by another writer", [&] { second.SetShareStatus(folder, 2); }, 4, logon, 2, logon},
      {"status 1 drops the operator", [&] { second.SetStatus(folder, 1); }, 1, -1, 2, logon},
      {"share 1 drops its operator", [&] { first.SetShareStatus(folder, 1); }, 1, -1, 1, -1},
      {"a server descriptor writes nothing", [&] {
         TDataInfomation server;
         server.ConnectKind = 1;
         server.SetStatus(folder, 5);
         server.SetShareStatus(folder, 2);
         server.WriteIniFile(folder, "", TDataInfomationRec{});
       }, 1, -1, 1, -1},
      {"an empty folder writes nothing", [&] { first.SetStatus("", 5); }, 1, -1, 1, -1},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    s.write();
    EXPECT_EQ(Read(folder, "STATUS"), s.status);
    EXPECT_EQ(Read(folder, "OPCODE"), s.opcode);
    EXPECT_EQ(Has(folder, "OPERATOR"), s.opcode != -1);
    EXPECT_EQ(Read(folder, "SHARE_STATUS"), s.share);
    EXPECT_EQ(Read(folder, "SHARE_OPCODE"), s.shareOpcode);
    EXPECT_EQ(Has(folder, "SHARE_OPERATOR"), s.shareOpcode != -1);
    EXPECT_EQ(Keys(folder, "DATAINFO"), info);
  }
  EXPECT_EQ(TIniFile(TDataInfomation::IniFileName(folder)).ReadString("DATASTS", "OPERATOR", "?"), "?");

  EXPECT_TRUE(first.SwitchShareStatus(folder, 2));
  EXPECT_FALSE(second.SwitchShareStatus(folder, 2));
  EXPECT_EQ(Read(folder, "SHARE_STATUS"), 2);
  first.SetStatus(folder, 6);
  first.RefreshIniFile(folder, "DATASTS");
  EXPECT_EQ(Keys(folder, "DATASTS"), (std::vector<std::string>{"STATUS=1", "SHARE_STATUS=1", "UPDATE_LOCK=0"}));
  EXPECT_EQ(Keys(folder, "DATAINFO"), info);
}

// The data-set name goes into the company database cut to its 40 bytes, never through a
// double-byte character; the settings file follows when its DATAINFO section is rebuilt.
TEST_F(DataInfo, TheNameAndLockGoIntoTheDatabaseAndBackIntoTheFile) {
  const std::string folder = CopyCompany("update-info");
  TDataInfomation info;
  struct Case {
    std::string name;
    int lock;
    std::string stored;
  };
  const std::string a39(39, 'A');
  const Case cases[] = {
      {"新しい名前", 1, "新しい名前"},
      {a39 + "株式会社", 0, a39},        // the 40th byte starts a double-byte character
      {"　 ", 2, a39},                    // blank: the stored name stays
      {std::string(20, 'B') + "　", 0, std::string(20, 'B')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TDataInfomationRec rec;
    rec.DATALISTNAME = c.name;
    rec.UPDATE_LOCK = c.lock;
    info.UpdateDataInfomation("", folder, rec);
    EXPECT_EQ(rec.DATALISTNAME, c.stored);
    EXPECT_FALSE(DM->IBDatabaseDAT.Connected());
    TDataInfomationRec back;
    ASSERT_EQ(info.GetDataInfoOfFolder(folder, back), 1);
    EXPECT_EQ(back.DATALISTNAME, c.stored);
    EXPECT_EQ(back.UPDATE_LOCK, c.lock);
  }
  info.SetStatus(folder, 4);
  info.RefreshIniFile(folder, "DATAINFO");
  const TIniFile ini(TDataInfomation::IniFileName(folder));
  EXPECT_EQ(ini.ReadString("DATAINFO", "DATALISTNAME", ""), std::string(20, 'B'));
  EXPECT_EQ(ini.ReadInteger("DATASTS", "STATUS", 0), 4);
  EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
  TDataInfomationRec none;
  EXPECT_EQ(info.GetDataInfoOfFolder((dir_.Path() / "none").string(), none), 0);
}

// The rights test: an operator may use a data set when the right covers every facility.
TEST_F(DataInfo, AnOperatorMayUseADataSetWithARightToEveryFacility) {
  SystemDef.SisetuAllSw = 0;
  SystemDef.JimushoOperator = 0;
  SystemDef.JobLevel = 1;
  const std::string plain = CopyCompany("rights-plain");
  const std::string branches = CopyCompany("rights-branches");
  const int logon = SystemDef.LogonId;
  {
    fixtures::DbSession s(fs::path(branches) / "qvacc.fdb");
    s.Exec("UPDATE ACCDEF1 SET SITEN=1 WHERE REC=1");
    s.Exec("DELETE FROM OPLICENSE");
    s.Exec("INSERT INTO SISETUMST (SCODE, SNAME, BUMEX, XSTR, MB_JIGYOU, SIWAKECOUNT) VALUES ('A1', '本店', 0, '', 0, 0)");
    s.Exec("INSERT INTO SISETUMST (SCODE, SNAME, BUMEX, XSTR, MB_JIGYOU, SIWAKECOUNT) VALUES ('A2', '支店', 0, '', 0, 0)");
    s.Exec("INSERT INTO OPLICENSE (OPCODE, SCODE) VALUES (" + std::to_string(logon) + ", 'A1')");
    s.Commit();
  }
  TDataInfomation info;
  struct Case {
    const char* what;
    std::function<void()> prepare;
    std::string folder;
    bool result;
  };
  const Case cases[] = {
      {"no database", [] {}, (dir_.Path() / "empty").string(), true},
      {"no branch accounting", [] {}, plain, true},
      {"a right to one of two facilities", [] {}, branches, false},
      {"a right to both", [&] {
         fixtures::DbSession s(fs::path(branches) / "qvacc.fdb");
         s.Exec("INSERT INTO OPLICENSE (OPCODE, SCODE) VALUES (" + std::to_string(logon) + ", 'A2')");
         s.Commit();
       }, branches, true},
      {"no default facility", [&] {
         fixtures::DbSession s(fs::path(branches) / "qvacc.fdb");
         s.Exec("DELETE FROM OPDEFSISETU");
         s.Commit();
       }, branches, false},
      {"an operator who may use every facility", [] { SystemDef.SisetuAllSw = 1; }, branches, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ui_.messages.clear();
    c.prepare();
    EXPECT_EQ(info.IsUseData(c.folder), c.result);
    if (c.result) {
      EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
    } else {
      ASSERT_EQ(ui_.messages.size(), 1u);
      EXPECT_EQ(ui_.messages[0].lines[0], "このデータを扱う権限がありません。");
    }
    EXPECT_FALSE(DM->IBDatabaseDAT.Connected());
  }
}

// Take-out (CopyShareData) and put-back (RecreateShareArea) as one table: the shared folder
// and the local folder before, and what the operation leaves behind.
TEST_F(DataInfo, SharedDataTakeOutAndPutBack) {
  enum Op { TakeOut, PutBack };
  struct Side {
    bool exists;
    int status, share;  // settings file; 0: none
    const char* db;     // content of qvacc.fdb; nullptr: none; "/": a folder in its place
  };
  struct Case {
    const char* what;
    Op op;
    Side shared, local;
    int result;
    Side sharedAfter, localAfter;  // `exists` unchecked
  };
  const Case cases[] = {
      {"take out", TakeOut, {true, 1, 1, "S"}, {false, 0, 0, nullptr}, 1, {true, 1, 2, "S"}, {true, 1, 2, "S"}},
      {"take out whose copy fails leaves the share free and the copy unmarked", TakeOut,
       {true, 1, 1, "S"}, {true, 0, 0, "/"}, 0, {true, 1, 1, "S"}, {true, 1, 1, "/"}},
      {"broken share is refused", TakeOut, {true, 10, 1, "S"}, {false, 0, 0, nullptr}, -1,
       {true, 10, 1, "S"}, {true, 0, 0, nullptr}},
      {"taken out already: a fresh folder gets the share", TakeOut, {true, 1, 2, "S"}, {false, 0, 0, nullptr}, -1,
       {true, 1, 2, "S"}, {true, 1, 2, "S"}},
      {"taken out already: the working copy is kept", TakeOut, {true, 1, 2, "S"}, {true, 1, 2, "L"}, -1,
       {true, 1, 2, "S"}, {true, 1, 2, "L"}},
      {"share missing", TakeOut, {false, 0, 0, nullptr}, {false, 0, 0, nullptr}, 0, {false, 0, 0, nullptr},
       {true, 0, 0, nullptr}},
      {"put back", PutBack, {true, 1, 2, "S"}, {true, 1, 2, "L"}, 1, {true, 1, 1, "L"}, {true, 1, 1, "L"}},
      {"put back whose copy fails counts as taken out again", PutBack, {true, 1, 2, "/"}, {true, 1, 2, "L"}, 0,
       {true, 1, 2, "/"}, {true, 1, 2, "L"}},
      {"put back into a vanished share recreates it", PutBack, {false, 0, 0, nullptr}, {true, 1, 2, "L"}, 1,
       {true, 1, 1, "L"}, {true, 1, 1, "L"}},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path base = dir_.Path() / std::to_string(++n);
    const std::string shared = (base / "share").string(), local = (base / "local").string();
    auto lay = [](const std::string& folder, const Side& s) {
      if (!s.exists) return;
      fs::create_directories(folder);
      if (s.status) {
        TDataInfomationRec r;
        r.STATUS = static_cast<uint8_t>(s.status);
        r.SHARE_STATUS = static_cast<uint8_t>(s.share);
        r.SHOUGOU = "共有会社";
        TDataInfomation().WriteIniFile(folder, "", r);
      }
      if (s.db && std::string(s.db) == "/") fs::create_directories(folder + "/qvacc.fdb");
      else if (s.db) std::ofstream(folder + "/qvacc.fdb") << s.db;
    };
    lay(shared, c.shared);
    lay(local, c.local);

    TDataInfomation info;
    const int result = c.op == TakeOut ? info.CopyShareData(shared, local, 1) : info.RecreateShareArea(shared, local, 1);
    EXPECT_EQ(result, c.result);
    auto check = [](const std::string& folder, const Side& s, const char* side) {
      SCOPED_TRACE(side);
      const bool hasIni = fs::exists(TDataInfomation::IniFileName(folder));
      if (s.status == 0) {
        EXPECT_FALSE(hasIni && Read(folder, "SHARE_STATUS", 1) == 2);
      } else {
        ASSERT_TRUE(hasIni);
        EXPECT_EQ(Read(folder, "STATUS", 1), s.status);
        EXPECT_EQ(Read(folder, "SHARE_STATUS", 1), s.share);
      }
      const fs::path db = fs::path(folder) / "qvacc.fdb";
      if (!s.db) EXPECT_FALSE(fs::exists(db));
      else if (std::string(s.db) == "/") EXPECT_TRUE(fs::is_directory(db));
      else EXPECT_EQ(TempDir::Read(db), s.db);
    };
    check(shared, c.sharedAfter, "shared");
    check(local, c.localAfter, "local");
  }
  EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);

  // Unless quiet, a broken or missing share is an error for the caller to show.
  const std::string broken = (dir_.Path() / "3/share").string();
  TDataInfomation info;
  EXPECT_THROW(info.CopyShareData(broken, (dir_.Path() / "x").string(), 0), std::runtime_error);
  EXPECT_THROW(info.CopyShareData((dir_.Path() / "none").string(), (dir_.Path() / "y").string(), 0),
               std::runtime_error);
}

}  // namespace
