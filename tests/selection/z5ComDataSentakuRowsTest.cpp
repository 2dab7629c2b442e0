// Single-row work of the data-list control: set-up from a descriptor, reading, adding,
// updating and deleting rows and children, the server tables, numbering, and folder names
// that carry quotes and wildcard characters.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "DataListTestBase.h"
#include "platform/AsciiCase.h"
#include "platform/DateTime.h"

namespace fs = std::filesystem;

class DataListRows : public DataListTestBase {
 protected:
  static void SetUpTestSuite() {
    DataListTestBase::SetUpTestSuite();
    Sys({"INSERT INTO USERGROUP (GROUPID) VALUES (20000)"});
  }
  void SetUp() override {
    DataListTestBase::SetUp();
    Sys({"DELETE FROM DATALIST WHERE REC>120", "DELETE FROM CHILD_DATALIST", "DELETE FROM SERVERDATALIST",
         "UPDATE DATALIST SET ENTTEXT='', SHOUGOU='', NETDRIVE=0, GASSAN=0, PASNAME='" + SysDir() +
             "/' || RIGHT(CAST(10000 + REC AS VARCHAR(11)), 4)"});
  }
  static TDataListRec Row(const std::string& path, const std::string& name = "N") {
    TDataListRec row;
    row.GROUPID = 10000;
    row.PASNAME = path;
    row.ENTTEXT = name;
    row.SHOUGOU = name;
    row.NENDO = 2016;
    row.KISHU = EncodeDate(2016, 4, 1);
    row.KIMATU = EncodeDate(2017, 3, 31);
    return row;
  }
};

TEST_F(DataListRows, InitialisedRecord) {
  auto ctl = Ctl();
  TDataListRec row;
  row.REC = 9;
  row.ENTTEXT = "old";
  ctl->InitDataListRecord(row, Folder(4) + "/");
  EXPECT_EQ(row.REC, 0);
  EXPECT_EQ(row.NENDO, 1);
  EXPECT_EQ(row.GROUPID, 10000);
  EXPECT_EQ(row.ENTTEXT, "");
  EXPECT_EQ(row.PASNAME, Folder(4) + "/");
  EXPECT_EQ(row.DataFolder, Folder(4));
}

TEST_F(DataListRows, RecordFromADescriptor) {
  auto ctl = Ctl();
  TDataInfomationRec info;
  info.DATALISTNAME = "";
  info.SHOUGOU = "株式会社サンプル";
  info.CODE = "X1";
  info.NENDO = 2016;
  info.KISHU = "2016/04/01";
  info.KIMATU = "2017/03/31";
  info.STATUS = 3;
  info.OPCODE = 100000015;
  info.SHARE_STATUS = 2;
  info.SHARE_OPCODE = SystemDef.LogonId;
  info.MAJOR = 10;

  struct Case {
    int netDrive;
    const char* name;
    const char* expected;
  };
  const Case cases[] = {{0, "", "株式会社サンプル"},         // an empty name takes the company's
                        {0, "空き領域", "空き領域"},          // a local row keeps its name
                        {1, "空き領域", "株式会社サンプル"},  // a shared free area takes it
                        {1, "新しい領域", "株式会社サンプル"},
                        {1, "本社", "本社"}};
  for (const Case& c : cases) {
    TDataListRec row;
    ctl->InitDataListRecord(row, "/srv/sv0001");
    row.REC = 5;
    row.NETDRIVE = c.netDrive;
    info.DATALISTNAME = c.name;
    ctl->SetFromDataInfo(info, row);
    EXPECT_EQ(row.ENTTEXT, c.expected) << c.netDrive << c.name;
    EXPECT_EQ(row.DispName, c.expected);
    EXPECT_EQ(row.DATALOCK, 15);  // the lock holder's operator code
    EXPECT_EQ(row.KYOYULOCK, 1);  // taken by this operator
    EXPECT_EQ(row.KISHU, EncodeDate(2016, 4, 1));
    EXPECT_EQ(row.DATACODE, "X1");
    EXPECT_EQ(row.PASNAME, "/srv/sv0001");
  }
  // Group 0: the holder's id is the operator code.
  SystemDef.GroupId = 0;
  info.OPCODE = 15;
  TDataListRec row;
  ctl->SetFromDataInfo(info, row);
  EXPECT_EQ(row.DATALOCK, 15);
}

TEST_F(DataListRows, InsertTakesTheNextNumberOfTheWholeTable) {
  // Local mode registers nothing.
  TDataListRec row = Row("/x/local");
  EXPECT_TRUE(Ctl(0)->InsertDataListRecord(row, true));
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM DATALIST WHERE PASNAME='/x/local'"), 0);

  // Another group's row holds 200: the next number is 201, the row keeps its own group.
  Sys({"INSERT INTO DATALIST (REC, GROUPID, PASNAME) VALUES (200, 20000, '/y/other')"});
  auto ctl = Ctl(1);
  EXPECT_EQ(ctl->GetDataFolderName(1), 201);
  row = Row("/x/added");
  ASSERT_TRUE(ctl->InsertDataListRecord(row, true));
  EXPECT_EQ(row.REC, 201);
  EXPECT_EQ(SysScalar("SELECT GROUPID FROM DATALIST WHERE REC=201"), 10000);
  // A blank path is refused before anything runs.
  TDataListRec blank = Row("　 ");
  EXPECT_FALSE(ctl->InsertDataListRecord(blank, true));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(DataListRows, FolderNamesWithQuotesAndPercentSigns) {
  auto ctl = Ctl(1);
  TDataListRec quote = Row("/x/O'Brien", "quote");
  TDataListRec percent = Row("/x/100%", "percent");
  TDataListRec neighbour = Row("/x/1000", "neighbour");
  for (TDataListRec* r : {&quote, &percent, &neighbour}) ASSERT_TRUE(ctl->InsertDataListRecord(*r, true));

  EXPECT_TRUE(ctl->IsDataPathToroku("/X/o'brien"));
  EXPECT_FALSE(ctl->IsDataPathToroku("/x/100"));
  EXPECT_EQ(ctl->GetRecByPath("/x/100%"), percent.REC);
  EXPECT_EQ(ctl->GetRecByPath("/x/O'BRIEN"), 0);  // exact

  TDataListRec read;
  ctl->InitDataListRecord(read, std::string());
  read.REC = quote.REC;
  ctl->GetDataListRecord(0, read, true);
  EXPECT_EQ(read.ENTTEXT, "quote");
  EXPECT_EQ(read.PASNAME, "/x/O'Brien");

  quote.ENTTEXT = "renamed";
  ASSERT_TRUE(ctl->UpdateDataListRecord(quote, 0, true));
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM DATALIST WHERE ENTTEXT='renamed'"), 1);

  ASSERT_TRUE(ctl->DeleteDataListRecord(percent, true));
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM DATALIST WHERE PASNAME LIKE '/x/%'"), 2);
  EXPECT_EQ(ctl->GetRecByPath("/x/1000"), neighbour.REC);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(DataListRows, MembersOfASharedParentFoundByItsFolderOnly) {
  // Server rows of three parents; the first two names hold a wildcard and a quote.
  Sys({"INSERT INTO SERVERDATALIST (GROUPID, DRIVELETTER, REC, ENTTEXT, PASNAME) VALUES (10000, '/', 1, 'a', '/s/a%b')",
       "INSERT INTO SERVERDATALIST (GROUPID, DRIVELETTER, REC, ENTTEXT, PASNAME) VALUES (10000, '/', 2, 'b', '/s/axb')",
       "INSERT INTO SERVERDATALIST (GROUPID, DRIVELETTER, REC, ENTTEXT, PASNAME) VALUES (10000, '/', 3, 'c', "
       "'/s/O''Brien')",
       "INSERT INTO CHILD_SERVERDATALIST (GROUPID, DRIVELETTER, REC, ROWNO, PASNAME) VALUES (10000, '/', 1, 1, "
       "'/s/a%b/001')",
       "INSERT INTO CHILD_SERVERDATALIST (GROUPID, DRIVELETTER, REC, ROWNO, PASNAME) VALUES (10000, '/', 2, 1, "
       "'/s/axb/001')",
       "INSERT INTO CHILD_SERVERDATALIST (GROUPID, DRIVELETTER, REC, ROWNO, PASNAME) VALUES (10000, '/', 3, 1, "
       "'/s/O''Brien/001')"});
  auto ctl = Ctl(0);
  TDataListRec parent = Row("/s/a%b");
  parent.REC = 7;
  parent.NETDRIVE = 1;
  parent.GASSAN = 1;
  ASSERT_TRUE(ctl->DeleteDataListChildRecord(parent, true));
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM CHILD_SERVERDATALIST WHERE REC=1"), 0);
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM CHILD_SERVERDATALIST WHERE REC=2"), 1);  // the neighbour's stays

  parent.PASNAME = "/s/O'Brien";
  ASSERT_TRUE(ctl->DeleteDataListChildRecord(parent, true));
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM CHILD_SERVERDATALIST"), 1);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(DataListRows, UpdateOnAServerOnlyWhereTheNumberStillHoldsThePath) {
  Sys({"UPDATE DATALIST SET ENTTEXT='old' WHERE REC=4"});
  auto ctl = Ctl(1);
  TDataListRec row = Row(ascii::Upper(Folder(4)), "new");  // differs by case only: written
  row.REC = 4;
  ASSERT_TRUE(ctl->UpdateDataListRecord(row, 0, true));
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM DATALIST WHERE REC=4 AND ENTTEXT='new'"), 1);

  row.PASNAME = Folder(5);  // another folder: nothing written, and no failure
  row.ENTTEXT = "wrong";
  EXPECT_TRUE(ctl->UpdateDataListRecord(row, 0, true));
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM DATALIST WHERE ENTTEXT='wrong'"), 0);

  row.REC = 0;
  EXPECT_FALSE(ctl->UpdateDataListRecord(row, 0, true));
}

TEST_F(DataListRows, EmptyingAParentRemovesItsMembers) {
  Sys({"UPDATE DATALIST SET ENTTEXT='parent', GASSAN=1 WHERE REC=6",
       "INSERT INTO CHILD_DATALIST (REC, ROWNO, GROUPID, GASSAN, PASNAME) VALUES (6, 1, 10000, 10, '" + Folder(6) +
           "/001')",
       "INSERT INTO CHILD_DATALIST (REC, ROWNO, GROUPID, GASSAN, PASNAME) VALUES (6, 2, 10000, 10, '" + Folder(6) +
           "/002')"});
  auto ctl = Ctl(0);
  TDataSentakuRec parent;
  ctl->InitDataListRecord(parent, std::string());
  parent.REC = 6;
  ctl->GetDataListRecord(0, parent, true);
  ctl->GetDataListChildRecord(parent, true);
  ASSERT_EQ(parent.ChildCount, 2);
  EXPECT_EQ(parent.Children[1].PASNAME, Folder(6) + "/002");

  // A member written back, and a new one added.
  TDataListRec member = parent.Children[0];
  member.ENTTEXT = "member";
  ASSERT_TRUE(ctl->UpdateDataListRecord(member, 0, true));
  member.ROWNO = 3;
  member.PASNAME = Folder(6) + "/003";
  ASSERT_TRUE(ctl->UpdateDataListRecord(member, 0, true));
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM CHILD_DATALIST WHERE REC=6 AND ENTTEXT='member'"), 2);

  TDataListRec emptied = parent;
  emptied.ENTTEXT.clear();
  emptied.SHOUGOU.clear();
  emptied.KISHU = emptied.KIMATU = 0;
  ASSERT_TRUE(ctl->UpdateDataListRecord(emptied, 0, true));
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM CHILD_DATALIST"), 0);
}

TEST_F(DataListRows, DeleteRemovesOnlyAddedRowsOfThePath) {
  Sys({"INSERT INTO DATALIST (REC, GROUPID, PASNAME) VALUES (121, 10000, '" + Folder(5) + "')",
       "INSERT INTO DATALIST (REC, GROUPID, PASNAME) VALUES (122, 10000, '" + Folder(5) + "')",
       "INSERT INTO DATALIST (REC, GROUPID, PASNAME) VALUES (123, 10000, '" + Folder(5) + "/')",
       "INSERT INTO CHILD_DATALIST (REC, ROWNO, GROUPID, PASNAME) VALUES (5, 1, 10000, '" + Folder(5) + "/001')"});
  auto ctl = Ctl(0);
  TDataListRec row = Row(Folder(5));
  row.REC = 5;
  ASSERT_TRUE(ctl->DeleteDataListRecord(row, true));
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM DATALIST WHERE REC IN (121, 122)"), 0);
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM DATALIST WHERE REC IN (5, 123)"), 2);
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM CHILD_DATALIST"), 0);  // local mode: its members too
}

TEST_F(DataListRows, ReadByFolderAndNumberFromAFolder) {
  Sys({"UPDATE DATALIST SET ENTTEXT='seven' WHERE REC=7"});
  auto ctl = Ctl(0);
  TDataListRec row;
  ctl->InitDataListRecord(row, ascii::Upper(Folder(7)));
  ctl->GetDataListRecord(1, row, true);
  EXPECT_EQ(row.REC, 7);
  EXPECT_EQ(row.ENTTEXT, "seven");

  int32_t rec = -1;
  ctl->GetRecFromPath(Folder(7), rec);
  EXPECT_EQ(rec, 7);
  ctl->GetRecFromPath("", rec);
  EXPECT_EQ(rec, 0);
  Ctl(1)->GetRecFromPath(Folder(7), rec);
  EXPECT_EQ(rec, 7);

  // An unregistered folder without a number: an initialised record.
  ctl->InitDataListRecord(row, "/elsewhere/x");
  ctl->GetDataListRecord(1, row, true);
  EXPECT_EQ(row.REC, 0);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(DataListRows, ServerRowsRegisteredOnceAndNamedInSequence) {
  const fs::path share = inst_->Root() / "srvrows";
  fs::create_directories(share / "sv0001");
  const std::string path = (share / "sv0001").string();
  Sys({"INSERT INTO SERVERDATALIST (GROUPID, DRIVELETTER, REC, ENTTEXT, PASNAME) VALUES (10000, '/', 3, 'x', '" +
           path + "')",
       "INSERT INTO SERVERDATALIST (GROUPID, DRIVELETTER, REC, ENTTEXT, PASNAME) VALUES (10000, '/', 4, 'x', '" +
           path + "')",
       "INSERT INTO SERVERDATALIST (GROUPID, DRIVELETTER, REC, ENTTEXT, PASNAME) VALUES (10000, '/', 7, 'y', '" +
           (share / "sv0007").string() + "')"});
  auto ctl = Ctl(0);
  std::string name;
  ctl->GetServerFolderName(share.string(), 1, name);
  EXPECT_EQ(name, "sv0008");
  ctl->GetServerFolderName((inst_->Root() / "none").string(), 1, name);
  EXPECT_EQ(name, "sv0001");

  // Registered under two numbers: cleaned up to one row under a new number.
  TDataListRec row = Row(path, "shared");
  row.NETDRIVE = 1;
  row.DATALOCK = 11;
  ASSERT_TRUE(ctl->UpdateServerDataListRecord(row, 1, true));
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM SERVERDATALIST WHERE PASNAME='" + path + "'"), 1);
  EXPECT_EQ(row.REC, 8);
  // Updated in place next time.
  row.ENTTEXT = "again";
  ASSERT_TRUE(ctl->UpdateServerDataListRecord(row, 1, true));
  EXPECT_EQ(SysScalar("SELECT REC FROM SERVERDATALIST WHERE ENTTEXT='again'"), 8);
  // An area without data and without a free-area name leaves the list.
  row.KISHU = row.KIMATU = 0;
  ASSERT_TRUE(ctl->UpdateServerDataListRecord(row, 1, true));
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM SERVERDATALIST WHERE PASNAME='" + path + "'"), 0);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(DataListRows, RowRewrittenWhenADataSetIsClosed) {
  Sys({"UPDATE DATALIST SET ENTTEXT='list name', YOBI1='keep' WHERE REC=4"});
  InstallDataListRefreshHook();
  TDataListRefreshRec r;
  r.Folder = Folder(4);
  r.GroupId = 10000;
  r.DATACODE = "Z9";
  r.SHOUGOU = "閉じた会社";
  r.NENDO = 2016;
  r.KISHU = EncodeDate(2016, 4, 1);
  r.KIMATU = EncodeDate(2017, 3, 31);
  r.VER_MAJOR = 10;
  DataListRefreshHook(r);
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM DATALIST WHERE REC=4 AND SHOUGOU='閉じた会社' AND DATACODE='Z9' AND "
                      "NENDO=2016 AND VER_MAJOR=10 AND ENTTEXT='list name' AND YOBI1='keep'"),
            1);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(DataListRows, DatabaseFailuresReportedOrPassedOn) {
  auto ctl = Ctl(1);
  ctl->TableName = "NO_SUCH_TABLE";
  TDataListRec row = Row(Folder(4));
  row.REC = 4;
  EXPECT_THROW(ctl->UpdateDataListRecord(row, 0, false), EIBError);
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_FALSE(ctl->UpdateDataListRecord(row, 0, true));
  EXPECT_TRUE(ui_.Shown("データリストの更新に失敗しました。"));
  // Without a next number nothing is added.
  EXPECT_FALSE(ctl->InsertDataListRecord(row, true));
  EXPECT_TRUE(ui_.Shown("最大のレコー番号の取得に失敗しました。"));
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM DATALIST WHERE REC=0"), 0);
  ctl->Execute(0, 1, false, "");
  EXPECT_EQ(ctl->RowCount, 0);
  EXPECT_TRUE(ui_.Shown("データリストの取得に失敗しました。"));
  const size_t shown = ui_.messages.size();
  EXPECT_EQ(ctl->GetRecByPath(Folder(4)), 0);  // silently
  EXPECT_EQ(ui_.messages.size(), shown);
  // Each failed operation ended the transaction it started.
  EXPECT_FALSE(DM->IBTransactionDEF.Active());
  EXPECT_FALSE(DbErrorTerminating());
}
