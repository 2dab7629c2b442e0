// The database layer against a Firebird server on loopback (client/server mode).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/db/IBDatabase.h"
#include "platform/db/IBQuery.h"
#include "platform/db/IBSQL.h"
#include "platform/db/IBScript.h"
#include "platform/db/IBServices.h"
#include "support/FirebirdServer.h"

namespace {

TEST(DbServer, ConnectsReadsWritesAndListsAttachmentsThroughTheServer) {
  FirebirdServer server;
  const std::string path = (server.DataDir() / "qvacc.fdb").string();
  const std::string name = server.Host() + ":" + path;

  TIBDatabase db;
  db.DatabaseName = name;
  db.Params = FirebirdServer::UserParams();
  db.CreateDatabase(16384);
  TIBScript script;
  script.Database = &db;
  script.Script = "CREATE TABLE ACCDEF1 (SHOUGOU VARCHAR(60), KINGAKU NUMERIC(18,4), KISHU DATE);";
  script.ExecuteScript();

  TIBTransaction tr;
  tr.SetDefaultDatabase(&db);
  tr.Params = {"read_committed", "rec_version", "nowait"};
  tr.StartTransaction();
  TIBSQL w;
  w.SetDatabase(&db);
  w.SetTransaction(&tr);
  w.SQL = "INSERT INTO ACCDEF1 (SHOUGOU, KINGAKU, KISHU) VALUES (:SHOUGOU, :KINGAKU, :KISHU)";
  w.ParamByName("SHOUGOU").SetString("医療法人ｶﾌﾞｼｷ～");
  w.ParamByName("KINGAKU").SetCurrency(Currency::FromRaw(-99999999999));
  w.ParamByName("KISHU").SetDate(EncodeDate(2013, 4, 1));
  w.ExecQuery();
  tr.Commit();

  // A second client connection reads what the first committed.
  TIBDatabase reader;
  reader.DatabaseName = name;
  reader.Params = FirebirdServer::UserParams();
  reader.Open();
  TIBTransaction rt;
  rt.SetDefaultDatabase(&reader);
  rt.StartTransaction();
  TIBQuery q;
  q.SetDatabase(&reader);
  q.SetTransaction(&rt);
  q.SQL = "SELECT SHOUGOU, KINGAKU, KISHU FROM ACCDEF1";
  q.Open();
  ASSERT_FALSE(q.Eof());
  EXPECT_EQ(q.FieldByName("SHOUGOU").AsString(), "医療法人ｶﾌﾞｼｷ～");
  EXPECT_EQ(q.FieldByName("KINGAKU").AsCurrency().Raw(), -99999999999);
  EXPECT_EQ(q.FieldByName("KISHU").AsDateTime(), EncodeDate(2013, 4, 1));
  q.Close();
  rt.Commit();

  // The server lists the attached database file.
  TIBServerProperties props;
  props.ServerName = server.Host();
  props.Params = {std::string("user_name=") + FirebirdServer::kUser, std::string("password=") + FirebirdServer::kPassword};
  props.Attach();
  props.FetchDatabaseInfo();
  EXPECT_NE(std::find(props.DatabaseInfo.DbName.begin(), props.DatabaseInfo.DbName.end(), path),
            props.DatabaseInfo.DbName.end());
  EXPECT_GE(props.DatabaseInfo.NoOfAttachments, 2);
  props.Detach();

  // A backup through the server's service manager, written on the server side.
  TIBBackupService b;
  b.ServerName = server.Host();
  b.Params = props.Params;
  b.Attach();
  b.DatabaseName = path;
  b.BackupFile = {(server.DataDir() / "qvacc.fbk").string()};
  b.ServiceStart();
  while (!b.Eof()) b.GetNextLine();
  b.Detach();
  EXPECT_TRUE(std::filesystem::exists(server.DataDir() / "qvacc.fbk"));

  // A wrong password is the engine's refusal, and the object stays disconnected.
  TIBDatabase wrong;
  wrong.DatabaseName = name;
  wrong.Params = {std::string("user_name=") + FirebirdServer::kUser, "password=wrong", "lc_ctype=SJIS_0208"};
  EXPECT_THROW(wrong.Open(), EIBError);
  EXPECT_FALSE(wrong.Connected());

  reader.Close();
  db.DropDatabase();
  EXPECT_FALSE(std::filesystem::exists(path));

  // The server goes away under an open connection: the next call fails with one of the
  // engine's network errors (here "Error reading data from the connection", 335544726, rather
  // than 335544721), and ForceClose still leaves the object disconnected without raising.
  TIBDatabase lost;
  lost.DatabaseName = server.Host() + ":" + (server.DataDir() / "lost.fdb").string();
  lost.Params = FirebirdServer::UserParams();
  lost.CreateDatabase();
  TIBTransaction lt;
  lt.SetDefaultDatabase(&lost);
  lt.StartTransaction();
  server.Stop();
  TIBSQL dead;
  dead.SetDatabase(&lost);
  dead.SQL = "SELECT 1 FROM RDB$DATABASE";
  dead.SetTransaction(&lt);
  try {
    dead.ExecQuery();
    FAIL();
  } catch (const EIBError& e) {
    EXPECT_TRUE(e.IBErrorCode == 335544721 || e.IBErrorCode == 335544726) << e.IBErrorCode << " " << e.Message;
  }
  lost.ForceClose();
  EXPECT_FALSE(lost.Connected());
  EXPECT_FALSE(lt.InTransaction());
}

// File names travel to the server and back unchanged, Japanese folders included: a database,
// the attached-database list and a backup written on the server side.
TEST(DbServer, JapaneseFileNamesReachTheServerAndComeBack) {
  FirebirdServer server;
  const std::filesystem::path folder = server.DataDir() / "会計データ" / "0001";
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "qvacc.fdb").string();
  TIBDatabase db;
  db.DatabaseName = server.Host() + ":" + path;
  db.Params = FirebirdServer::UserParams();
  db.CreateDatabase(16384);
  EXPECT_TRUE(std::filesystem::exists(path));

  TIBServerProperties props;
  props.ServerName = server.Host();
  props.Params = {std::string("user_name=") + FirebirdServer::kUser, std::string("password=") + FirebirdServer::kPassword};
  props.Attach();
  props.FetchDatabaseInfo();
  EXPECT_NE(std::find(props.DatabaseInfo.DbName.begin(), props.DatabaseInfo.DbName.end(), path),
            props.DatabaseInfo.DbName.end());
  props.Detach();

  TIBBackupService b;
  b.ServerName = server.Host();
  b.Params = props.Params;
  b.Attach();
  b.DatabaseName = path;
  b.BackupFile = {(folder / "バックアップ.fbk").string()};
  b.ServiceStart();
  while (!b.Eof()) b.GetNextLine();
  b.Detach();
  EXPECT_TRUE(std::filesystem::exists(folder / "バックアップ.fbk"));
  db.DropDatabase();
}

TEST(DbServer, AServerThatDoesNotAnswerIsAnErrorNotAHang) {
  int port;
  {
    FirebirdServer server;
    port = server.Port();
  }  // stopped
  TIBDatabase db;
  db.DatabaseName = "localhost/" + std::to_string(port) + ":/nowhere/qvacc.fdb";
  db.Params = FirebirdServer::UserParams();
  try {
    db.Open();
    FAIL();
  } catch (const EIBError& e) {
    EXPECT_EQ(e.IBErrorCode, 335544721) << e.Message;  // unable to complete network request to host
  }
  EXPECT_FALSE(db.Connected());
}

}  // namespace
