// The data-list records, the list loads with their sort kinds and filters, the shared-server
// list, the renumbering of added rows, and the procedure that lays out the empty rows.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "DataListTestBase.h"
#include "platform/DateTime.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

std::vector<int> Recs(const TDataSentakuRecArray& rows) {
  std::vector<int> recs;
  for (const TDataSentakuRec& r : rows) recs.push_back(r.REC);
  return recs;
}

// The numbers 1..120 without the given ones, ascending or descending.
std::vector<int> EmptyRecs(std::vector<int> named, bool desc = false) {
  std::vector<int> recs;
  for (int i = 1; i <= 120; ++i)
    if (std::find(named.begin(), named.end(), i) == named.end()) recs.push_back(i);
  if (desc) std::reverse(recs.begin(), recs.end());
  return recs;
}

std::vector<int> Concat(std::vector<int> a, const std::vector<int>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Records

TEST(DataListRecord, StatusNames) {
  const std::pair<int, const char*> cases[] = {{-1, "状態不明"}, {0, "－"},       {1, "－"},        {2, "使用中"},
                                               {3, "データロック中"}, {8, "削除中"}, {10, "破損"}, {11, "状態不明"}};
  for (auto [status, name] : cases) {
    std::string text = "x";
    DataStatusName(status, text);
    EXPECT_EQ(text, name) << status;
  }
}

TEST(DataListRecord, LocalFolderOfARow) {
  const TSystemDef saved = SystemDef;
  SystemDef.SysDir = "/qv/data";
  struct Case {
    int rec;
    int netDrive;
    uint8_t gassan;
    const char* pasname;
    const char* folder;
  };
  const Case cases[] = {
      {3, 0, 0, "/qv/data/0003/", "/qv/data/0003"},             // trailing delimiter dropped
      {5, 1, 0, "/srv/share/sv0003", "/qv/data/0005"},          // shared parent: working copy
      {5, 1, 10, "/srv/share/sv0003/001", "/qv/data/0005/001"}, // shared member below it
      {12345, 1, 1, "/srv/share/sv0009", "/qv/data/12345"},     // at least four digits, never cut
      {7, 1, 0, "", ""},                                        // shared without a path
  };
  for (const Case& c : cases) {
    TDataListRec row;
    row.REC = c.rec;
    row.NETDRIVE = c.netDrive;
    row.GASSAN = c.gassan;
    row.PASNAME = c.pasname;
    EXPECT_EQ(LocalDataFolder(row), c.folder) << c.pasname;
  }
  SystemDef = saved;
}

TEST(DataListRecord, OperatorCodeOfALogonId) {
  EXPECT_EQ(OperatorCodeOf(100000015, 10000), 15);
  EXPECT_EQ(OperatorCodeOf(20000007, 2000), 7);
  // Group 0 (group logon of the terminal mode): the logon id is the operator code.
  EXPECT_EQ(OperatorCodeOf(15, 0), 15);
}

TEST(DataListRecord, VersionConditions) {
  struct Case {
    int major, minor;
    const char* text;
    int mode;
    bool passes;
  };
  const Case cases[] = {
      {10, 0, "9.0", 2, true},   // from 9.0 on: 10.0 is later, although "10.0" < "9.0" as text
      {9, 1, "9.0", 2, true},  {9, 0, "9.0", 2, true},   {8, 9, "9.0", 2, false},
      {10, 2, "10.3", 2, false}, {10, 0, "10", 1, true}, {9, 0, "10", 1, false},
      {10, 2, "10.2", 0, true},  {10, 2, "10.0", 0, false}, {3, 1, "", 0, true},
  };
  for (const Case& c : cases) {
    TDataListRec row;
    row.VER_MAJOR = c.major;
    row.VER_MINOR1 = c.minor;
    EXPECT_EQ(DataVersionPasses(row, c.text, c.mode), c.passes) << c.major << "." << c.minor << " " << c.text;
  }
}

TEST(DataListRecord, ChildNamesAndRemoval) {
  TDataSentakuRec row;
  for (const char* name : {"本店", "支店", "工場"}) {
    TDataListRec child;
    child.ENTTEXT = name;
    row.Children.push_back(child);
  }
  row.ChildCount = 3;
  TDataSentakuListCtl::SetChildDispNames(row);
  EXPECT_EQ(row.Children[0].DispName, "01 本店");
  EXPECT_EQ(row.Children[2].DispName, "03 工場");

  TDataSentakuListCtl::RemoveChild(row, 0);
  ASSERT_EQ(row.ChildCount, 2);
  EXPECT_EQ(row.Children[0].ENTTEXT, "支店");
  TDataSentakuListCtl::RemoveChild(row, 1);
  ASSERT_EQ(row.ChildCount, 1);
  EXPECT_EQ(row.Children.size(), 1u);
  EXPECT_EQ(row.Children[0].ENTTEXT, "支店");
}

// ---------------------------------------------------------------------------------------
// Loads over an installation with three companies: "Beta" in 0003 (fiscal year 2016),
// "Alpha" in 0005 (2015) and "Alpha" in 0008 (2017).

class DataListLoad : public DataListTestBase {
 protected:
  static void SetUpTestSuite() {
    DataListTestBase::SetUpTestSuite();
    auto add = [](int no, const char* name, int year, const char* code) {
      fixtures::CompanyPlan plan = fixtures::CompanyPlan::Corporation();
      plan.dataNo = no;
      plan.entText = name;
      plan.dataCode = code;
      plan.kishu = EncodeDate(year, 4, 1);
      plan.kimatu = EncodeDate(year + 1, 3, 31);
      inst_->AddCompany(plan);
    };
    add(3, "Beta", 2016, "C1");
    add(5, "Alpha", 2015, "B1");
    add(8, "Alpha", 2017, "A1");
    // Member rows: one of row 3, one of the empty row 9.
    Sys({"INSERT INTO CHILD_DATALIST (REC, ROWNO, GROUPID, ENTTEXT, PASNAME) VALUES (3, 1, 10000, 'M1', '" +
             Folder(3) + "/001')",
         "INSERT INTO CHILD_DATALIST (REC, ROWNO, GROUPID, ENTTEXT, PASNAME) VALUES (9, 1, 10000, 'M9', '" +
             Folder(9) + "/001')"});
  }
};

TEST_F(DataListLoad, EachSortKindOrdersTheList) {
  struct Case {
    uint8_t kind;
    bool desc;
    std::vector<int> recs;
  };
  const std::vector<int> named = {3, 5, 8};
  const Case cases[] = {
      {1, false, EmptyRecs({})},                                          // number order, mixed
      {2, false, Concat({8, 5, 3}, EmptyRecs(named))},                    // name, newest year first
      {2, true, Concat({3, 8, 5}, EmptyRecs(named, true))},
      {3, false, Concat({5, 3, 8}, EmptyRecs(named))},                    // fiscal year
      {4, true, Concat({8, 3, 5}, EmptyRecs(named, true))},               // start date
      {5, false, Concat({3, 5, 8}, EmptyRecs(named))},                    // folder
      {6, false, Concat({3, 5, 8}, EmptyRecs(named))},                    // version, then number
      {7, false, Concat({8, 5, 3}, EmptyRecs(named))},                    // data code
  };
  auto ctl = Ctl();
  for (const Case& c : cases) {
    ctl->Execute(0, c.kind, c.desc, "");
    EXPECT_EQ(Recs(ctl->Rows), c.recs) << int(c.kind) << (c.desc ? " desc" : "");
    EXPECT_EQ(ctl->RowCount, 120);
  }
  ctl->Execute(0, 0, false, "ORDER BY REC DESC");
  EXPECT_EQ(Recs(ctl->Rows), EmptyRecs({}, true));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(DataListLoad, RowsCarryTheirColumnsAndChildren) {
  auto ctl = Ctl();
  ctl->Execute(0, 2, false, "");
  ASSERT_EQ(ctl->RowCount, 120);
  const TDataSentakuRec& alpha = ctl->Rows[0];
  EXPECT_EQ(alpha.ENTTEXT, "Alpha");
  EXPECT_EQ(alpha.DispName, "Alpha");
  EXPECT_EQ(alpha.NENDO, 2017);
  EXPECT_EQ(alpha.DATACODE, "A1");
  EXPECT_EQ(alpha.PASNAME, Folder(8));
  EXPECT_EQ(alpha.DataFolder, Folder(8));
  EXPECT_EQ(alpha.GROUPID, 10000);
  EXPECT_EQ(alpha.KikanText, "2017/04/01 ～ 2018/03/31");
  EXPECT_EQ(alpha.VER_MAJOR, 10);

  const TDataSentakuRec& beta = ctl->Rows[2];
  ASSERT_EQ(beta.ChildCount, 1);
  EXPECT_EQ(beta.Children[0].ENTTEXT, "M1");
  EXPECT_EQ(beta.Children[0].ROWNO, 1);
  EXPECT_EQ(ctl->ChildRowCount, 2);

  // Named rows only: the member of the empty row 9 has no parent in the list.
  ctl->ListFilter = 1;
  ctl->Execute(0, 1, false, "");
  EXPECT_EQ(Recs(ctl->Rows), (std::vector<int>{3, 5, 8}));
  EXPECT_EQ(ctl->ChildRowCount, 2);
  EXPECT_EQ(ctl->Rows[0].ChildCount, 1);
}

TEST_F(DataListLoad, FiltersAndTheCountOfRowsRead) {
  auto ctl = Ctl();
  ctl->NendoFilter = 2015;
  ctl->Execute(0, 1, false, "");
  EXPECT_EQ(Recs(ctl->Rows), (std::vector<int>{5}));

  ctl->NendoFilter = 0;
  ctl->ShougouFilter = "nobody";
  ctl->Execute(0, 1, false, "");
  EXPECT_EQ(ctl->RowCount, 0);

  // Empty rows only with a kind that reads no rows: the count says what was read, not what
  // was counted, so no blank records appear.
  ctl->ShougouFilter.clear();
  ctl->ListFilter = 2;
  ctl->Execute(0, 1, false, "");
  EXPECT_EQ(ctl->RowCount, 0);
  EXPECT_TRUE(ctl->Rows.empty());
  ctl->Execute(0, 2, false, "");
  EXPECT_EQ(Recs(ctl->Rows), EmptyRecs({3, 5, 8}));

  // The shared-server control loads nothing here.
  ctl->ListFilter = 0;
  ctl->ListKind = 1;
  ctl->Execute(0, 1, false, "");
  EXPECT_EQ(ctl->RowCount, 0);
}

TEST_F(DataListLoad, DataTakenToThisComputerLeftOutOnRequest) {
  Sys({"UPDATE DATALIST SET KYOYULOCK=1, NETDRIVE=1, PASNAME='/srv/share/sv0001' WHERE REC=5"});
  auto ctl = Ctl();
  ctl->Execute(1, 1, false, "");
  EXPECT_EQ(ctl->RowCount, 119);
  ctl->Execute(0, 1, false, "");
  ASSERT_EQ(ctl->RowCount, 120);
  EXPECT_EQ(ctl->Rows[4].NETDRIVE, 1);
  EXPECT_EQ(ctl->Rows[4].DataFolder, Folder(5));
  // A shared row registered with its own working copy is a local row.
  Sys({"UPDATE DATALIST SET PASNAME='" + Folder(5) + "' WHERE REC=5"});
  ctl->Execute(0, 1, false, "");
  EXPECT_EQ(ctl->Rows[4].NETDRIVE, 0);
  // In client/server mode the filter does not apply.
  Sys({"UPDATE DATALIST SET PASNAME='/srv/share/sv0001' WHERE REC=5"});
  auto server = Ctl(1);
  server->Execute(1, 1, false, "");
  EXPECT_EQ(server->RowCount, 120);
  Sys({"UPDATE DATALIST SET KYOYULOCK=0, NETDRIVE=0, PASNAME='" + Folder(5) + "' WHERE REC=5"});
}

// ---------------------------------------------------------------------------------------
// The empty rows and the renumbering of added rows

class DataListNumbers : public DataListTestBase {};

TEST_F(DataListNumbers, PreCreatedRowsPointAtNumberedFolders) {
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM DATALIST"), 120);
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM DATALIST WHERE GROUPID=10000 AND ENTTEXT='' AND NENDO=0 AND "
                      "KISHU='1899-12-30' AND PASNAME='" + Folder(120) + "'"),
            1);
  // A data place of its own: filled once, a second run adds nothing.
  Sys({"INSERT INTO DATAPLACEMAN (REC, NAME, PATH) VALUES (2, 'second', '/p')"});
  fixtures::DbSession s(inst_->SystemDbFile());
  EXPECT_EQ(s.Scalar("SELECT COUNT(*) FROM SP_DATALIST_INSERT(2, '/p', 3)"), 3);
  EXPECT_EQ(s.Scalar("SELECT COUNT(*) FROM SP_DATALIST_INSERT(2, '/p', 3)"), 0);
  EXPECT_EQ(s.Scalar("SELECT COUNT(*) FROM DATALIST_EX WHERE DATAPLACEREC=2 AND PASNAME='/p/0003'"), 1);
  s.Commit();

  // The control works on that place's list in client/server mode only.
  auto local = Ctl(0);
  local->SetDataPlaceRec(2);
  EXPECT_EQ(local->TableName, "DATALIST");
  auto ctl = Ctl(1);
  ctl->SetDataPlaceRec(2);
  EXPECT_EQ(ctl->TableName, "DATALIST_EX");
  ctl->Execute(0, 5, false, "");
  ASSERT_EQ(ctl->RowCount, 3);
  EXPECT_EQ(ctl->Rows[2].PASNAME, "/p/0003");
  TDataListRec row;
  ctl->InitDataListRecord(row, "/p/added");
  ASSERT_TRUE(ctl->InsertDataListRecord(row, true));
  EXPECT_EQ(row.REC, 4);
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM DATALIST_EX WHERE DATAPLACEREC=2 AND REC=4 AND PASNAME='/p/added'"), 1);
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM DATALIST"), 120);
}

TEST_F(DataListNumbers, AddedRowsRenumberedWithoutGaps) {
  Sys({"INSERT INTO DATALIST (REC, GROUPID, ENTTEXT, PASNAME) VALUES (121, 10000, 'a', '/x/a')",
       "INSERT INTO DATALIST (REC, GROUPID, ENTTEXT, PASNAME) VALUES (125, 10000, 'b', '/x/b')",
       "INSERT INTO DATALIST (REC, GROUPID, ENTTEXT, PASNAME) VALUES (130, 10000, 'c', '/x/c')",
       "INSERT INTO CHILD_DATALIST (REC, ROWNO, GROUPID, PASNAME) VALUES (130, 1, 10000, '/x/c/001')"});
  // Local mode leaves the numbers alone.
  Ctl(0)->RenumberDataListRecord();
  EXPECT_EQ(SysScalar("SELECT MAX(REC) FROM DATALIST"), 130);

  Ctl(1)->RenumberDataListRecord();
  EXPECT_EQ(SysScalar("SELECT REC FROM DATALIST WHERE PASNAME='/x/a'"), 121);
  EXPECT_EQ(SysScalar("SELECT REC FROM DATALIST WHERE PASNAME='/x/b'"), 122);
  EXPECT_EQ(SysScalar("SELECT REC FROM DATALIST WHERE PASNAME='/x/c'"), 123);
  EXPECT_EQ(SysScalar("SELECT REC FROM CHILD_DATALIST WHERE PASNAME='/x/c/001'"), 123);
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM DATALIST WHERE REC<=120"), 120);
}

// ---------------------------------------------------------------------------------------
// The shared-server list

class DataListServer : public DataListTestBase {
 protected:
  void SetUp() override {
    DataListTestBase::SetUp();
    share_ = inst_->Root() / "server";
    fs::remove_all(share_);
    Sys({"DELETE FROM SERVERDATALIST"});
  }
  std::string Share() const { return share_.string(); }
  void AddServerRow(int rec, const std::string& name, const std::string& path, int year) {
    Sys({"INSERT INTO SERVERDATALIST (GROUPID, DRIVELETTER, REC, ENTTEXT, PASNAME, NENDO) VALUES (10000, '/', " +
         std::to_string(rec) + ", '" + name + "', '" + path + "', " + std::to_string(year) + ")"});
  }
  fs::path share_;
};

TEST_F(DataListServer, LoadOrdersNamedAreasBeforeFreeOnes) {
  AddServerRow(1, "空き領域", Share() + "/sv0001", 0);
  AddServerRow(2, "Kappa", Share() + "/sv0002", 2016);
  AddServerRow(3, "Gamma", Share() + "/sv0003", 2018);
  AddServerRow(4, "新しい領域", Share() + "/sv0004", 0);
  Sys({"INSERT INTO CHILD_SERVERDATALIST (GROUPID, DRIVELETTER, REC, ROWNO, ENTTEXT, PASNAME) VALUES (10000, '/', 2, "
       "1, 'K1', '" + Share() + "/sv0002/001')"});
  auto ctl = Ctl();
  ctl->ListKind = 1;
  ctl->ServerExecute(0, Share(), 2, false);
  EXPECT_EQ(Recs(ctl->Rows), (std::vector<int>{3, 2, 1, 4}));
  EXPECT_EQ(ctl->Rows[0].NETDRIVE, 1);
  EXPECT_EQ(ctl->Rows[0].KYOYULOCK, 0);
  EXPECT_EQ(ctl->Rows[1].ChildCount, 1);
  EXPECT_EQ(ctl->ChildRowCount, 1);
  ctl->ServerExecute(0, Share(), 5, true);
  EXPECT_EQ(Recs(ctl->Rows), (std::vector<int>{4, 3, 2, 1}));
}

TEST_F(DataListServer, RebuildFromTheShareFolders) {
  AddServerRow(1, "Kappa", Share() + "/sv0001", 2016);
  auto ctl = Ctl();
  ctl->ListKind = 1;
  // A share that cannot be reached keeps its rows.
  ctl->ServerExecute(1, Share(), 0, false);
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM SERVERDATALIST"), 1);
  EXPECT_EQ(ctl->RowCount, 0);
  EXPECT_EQ(ui_.messages.size(), 1u);

  // An existing share: one row per folder, one member per sub-folder.
  fs::create_directories(share_ / "sv0001" / "001");
  fs::create_directories(share_ / "sv0001" / "002");
  fs::create_directories(share_ / "sv0002");
  ctl->ServerExecute(1, Share(), 0, false);
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM SERVERDATALIST"), 0);
  ASSERT_EQ(ctl->RowCount, 2);
  EXPECT_EQ(ctl->Rows[0].PASNAME, Share() + "/sv0001");
  EXPECT_EQ(ctl->Rows[0].ENTTEXT, "空き領域");
  EXPECT_EQ(ctl->Rows[0].KikanText, "～");
  EXPECT_EQ(ctl->Rows[0].NETDRIVE, 1);
  ASSERT_EQ(ctl->Rows[0].ChildCount, 2);
  EXPECT_EQ(ctl->Rows[0].Children[1].ROWNO, 2);
  EXPECT_EQ(ctl->Rows[0].Children[1].GASSAN, 10);
  EXPECT_EQ(ctl->Rows[0].Children[1].PASNAME, Share() + "/sv0001/002");
  EXPECT_EQ(ctl->ChildRowCount, 2);

  // An empty share clears the list of its drive.
  fs::remove_all(share_);
  fs::create_directories(share_);
  AddServerRow(1, "Kappa", Share() + "/sv0001", 2016);
  ctl->ServerExecute(1, Share(), 0, false);
  EXPECT_EQ(ctl->RowCount, 0);
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM SERVERDATALIST"), 0);
}
