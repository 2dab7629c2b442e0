// Backup, restore, validation and the attached-database list through the in-process engine.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/db/IBDatabase.h"
#include "platform/db/IBSQL.h"
#include "platform/db/IBScript.h"
#include "platform/db/IBServices.h"
#include "support/TempDir.h"

namespace {

const std::vector<std::string> kParams = {"user_name=GKFMCB", "password=mirsol", "lc_ctype=SJIS_0208"};
const std::vector<std::string> kServiceParams = {"user_name=GKFMCB", "password=mirsol"};

void MakeDatabase(const std::string& name) {
  TIBDatabase db;
  db.DatabaseName = name;
  db.Params = kParams;
  db.CreateDatabase(8192);
  TIBScript s;
  s.Database = &db;
  s.Script =
      "CREATE TABLE ACCDEF1 (SHOUGOU VARCHAR(60), KINGAKU NUMERIC(18,4));\n"
      "INSERT INTO ACCDEF1 VALUES ('株式会社テスト商事', 12345.6789);\n";
  s.ExecuteScript();
  db.Close();
}

std::vector<std::string> Drain(TIBControlService& svc) {
  std::vector<std::string> lines;
  while (!svc.Eof()) {
    std::string line = svc.GetNextLine();
    if (!svc.Eof()) lines.push_back(line);
  }
  return lines;
}

TEST(DbServices, BackupAndRestoreRoundTripADatabase) {
  TempDir tmp;
  const std::string source = (tmp.Path() / "qvacc.fdb").string();
  const std::string backup = (tmp.Path() / "qvacc.fb_").string();
  const std::string target = (tmp.Path() / "copy" / "qvacc.fdb").string();
  std::filesystem::create_directories(tmp.Path() / "copy");
  MakeDatabase(source);

  TIBBackupService b;
  b.Params = kServiceParams;
  b.Attach();
  b.DatabaseName = source;
  b.BackupFile = {backup};
  b.Options = TIBBackupService::IgnoreLimbo | TIBBackupService::NoGarbageCollection | TIBBackupService::NonTransportable;
  b.Verbose = true;
  b.ServiceStart();
  EXPECT_FALSE(Drain(b).empty());  // verbose output, line by line
  b.Detach();
  ASSERT_TRUE(std::filesystem::exists(backup));

  TIBRestoreService r;
  r.Params = kServiceParams;
  r.Attach();
  r.BackupFile = {backup};
  r.DatabaseName = {target};
  r.Options = TIBRestoreService::Replace | TIBRestoreService::CreateNewDB;
  r.PageSize = 16384;
  r.PageBuffers = 4096;
  r.Verbose = true;
  r.ServiceStart();
  Drain(r);
  r.Detach();

  TIBDatabase db;
  db.DatabaseName = target;
  db.Params = kParams;
  db.Open();
  TIBTransaction tr;
  tr.SetDefaultDatabase(&db);
  tr.StartTransaction();
  TIBSQL q;
  q.SetDatabase(&db);
  q.SetTransaction(&tr);
  q.SQL = "SELECT A.SHOUGOU, A.KINGAKU, M.MON$PAGE_SIZE FROM ACCDEF1 A CROSS JOIN MON$DATABASE M";
  q.ExecQuery();
  EXPECT_EQ(q.FieldByName("SHOUGOU").AsString(), "株式会社テスト商事");
  EXPECT_EQ(q.FieldByName("KINGAKU").AsCurrency().Raw(), 123456789);
  EXPECT_EQ(q.FieldByName("MON$PAGE_SIZE").AsInteger(), 16384);
  tr.Commit();
  db.Close();

  // Restoring over a database that is in use fails and leaves it alone.
  db.Open();
  r.Attach();
  r.ServiceStart();
  EXPECT_THROW(Drain(r), EIBError);
  r.Detach();
  TIBTransaction again;
  again.SetDefaultDatabase(&db);
  again.StartTransaction();
  q.SetTransaction(&again);
  q.SQL = "SELECT COUNT(*) FROM ACCDEF1";
  q.ExecQuery();
  EXPECT_EQ(q.Fields(0).AsInteger(), 1);
  again.Commit();
}

TEST(DbServices, AServiceOnAMissingDatabaseRaises) {
  TempDir tmp;
  TIBBackupService b;
  b.Params = kServiceParams;
  b.Attach();
  b.DatabaseName = (tmp.Path() / "missing.fdb").string();
  b.BackupFile = {(tmp.Path() / "missing.fbk").string()};
  b.Verbose = true;
  try {
    b.ServiceStart();
    Drain(b);
    FAIL();
  } catch (const EIBError& e) {
    EXPECT_NE(e.Message.find("missing.fdb"), std::string::npos) << e.Message;
  }
}

TEST(DbServices, ValidationIsSilentOnASoundDatabaseAndReportsDamage) {
  TempDir tmp;
  const std::string name = (tmp.Path() / "qvacc.fdb").string();
  MakeDatabase(name);
  const unsigned full =
      TIBValidationService::ValidateDB | TIBValidationService::ValidateFull | TIBValidationService::IgnoreChecksum;
  auto validate = [&] {
    TIBValidationService v;
    v.Params = kServiceParams;
    v.Attach();
    v.DatabaseName = name;
    v.Options = full;
    v.ServiceStart();
    std::vector<std::string> lines = Drain(v);
    std::vector<std::string> text;
    for (const std::string& l : lines)
      if (l.find_first_not_of(" \t\r\n") != std::string::npos) text.push_back(l);
    return text;
  };
  EXPECT_TRUE(validate().empty());  // no line that is not blank

  // Damage the data page of the table: validation then reports it.
  {
    std::fstream f(name, std::ios::in | std::ios::out | std::ios::binary);
    std::string page(8192, '\0');
    bool damaged = false;
    f.seekg(8192);
    for (std::streamoff at = 8192; !damaged && f.read(page.data(), 8192); at += 8192) {
      // A data page (type 5) of the first user table (relation 128).
      if (page[0] != 5 || static_cast<unsigned char>(page[20]) != 128 || page[21] != 0) continue;
      // The first record's length in the page's index (16-byte page header, sequence,
      // relation, count, then offset/length pairs) no longer matches the record.
      page[24] = static_cast<char>(0xF0);
      page[25] = static_cast<char>(0x1F);
      f.seekp(at);
      f.write(page.data(), 8192);
      damaged = true;
    }
    ASSERT_TRUE(damaged);
  }
  // The engine reports the damage as the service's error (a code of its own, not one of the
  // "file cannot be checked" codes 335544325 / 335544344).
  try {
    validate();
    FAIL() << "no report";
  } catch (const EIBError& e) {
    EXPECT_NE(e.Message.find("validation errors"), std::string::npos) << e.Message;
    EXPECT_NE(e.IBErrorCode, 335544325);
    EXPECT_NE(e.IBErrorCode, 335544344);
  }
}

TEST(DbServices, ServerPropertiesListTheAttachedDatabases) {
  TempDir tmp;
  const std::string name = (std::filesystem::weakly_canonical(tmp.Path()) / "qvaccdef.fdb").string();
  MakeDatabase(name);
  auto attached = [] {
    TIBServerProperties p;
    p.Params = kServiceParams;
    p.Attach();
    p.FetchDatabaseInfo();
    return p.DatabaseInfo;
  };
  auto has = [&](const TDatabaseInfo& info) {
    return std::find(info.DbName.begin(), info.DbName.end(), name) != info.DbName.end();
  };
  EXPECT_FALSE(has(attached()));
  TIBDatabase a, b;
  for (TIBDatabase* db : {&a, &b}) {
    db->DatabaseName = name;
    db->Params = kParams;
    db->Open();
  }
  TDatabaseInfo info = attached();
  EXPECT_TRUE(has(info));
  EXPECT_GE(info.NoOfAttachments, 2);
  EXPECT_GE(info.NoOfDatabases, 1);
  a.Close();
  b.Close();
  EXPECT_FALSE(has(attached()));
}

}  // namespace
