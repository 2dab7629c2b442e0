// Shared data: the registered server path of a local folder, the full row of a folder, and
// fetching a company from the share into its working folder and storing it back.
//
// Company 0005 of the installation is shared: its data set lives in the area sv0001 of the
// folder that stands in for the shared server's drive, its data-list row points there with
// NETDRIVE 1, and its working copy is the data folder 0005.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "DataListTestBase.h"
#include "platform/ini/IniFile.h"

namespace fs = std::filesystem;

class DataListShare : public DataListTestBase {
 protected:
  static void SetUpTestSuite() {
    DataListTestBase::SetUpTestSuite();
    fixtures::CompanyPlan plan = fixtures::CompanyPlan::Corporation();
    plan.dataNo = 5;
    plan.entText = "共有商事";
    const fs::path area = inst_->ShareCompany(inst_->AddCompany(plan), "sv0001");
    // Kept aside; each test lays out the share afresh from it.
    fs::copy(area, Pristine(), fs::copy_options::recursive);
  }

  void SetUp() override {
    DataListTestBase::SetUp();
    fs::remove_all(ShareRoot());
    fs::remove_all(Folder(5));
    LayOutArea(Server());
    Sys({"DELETE FROM CHILD_DATALIST", "DELETE FROM SERVERDATALIST",
         "UPDATE DATALIST SET NETDRIVE=1, KYOYULOCK=0, GASSAN=0, ENTTEXT='共有商事', PASNAME='" + Server() +
             "' WHERE REC=5"});
  }

  static fs::path Pristine() { return inst_->Root() / "pristine"; }
  static fs::path ShareRoot() { return inst_->ShareRoot(); }
  static std::string Server() { return (ShareRoot() / "sv0001").string(); }
  static void LayOutArea(const fs::path& folder) {
    fs::create_directories(folder);
    for (const auto& f : fs::directory_iterator(Pristine()))
      fs::copy_file(f.path(), folder / f.path().filename(), fs::copy_options::overwrite_existing);
  }
  static int Status(const fs::path& folder, const char* key) {
    return TIniFile((folder / "qvacc.ini").string()).ReadInteger("DATASTS", key, -1);
  }
  static int64_t KyoyuLock(int rec, int rowNo = 0) {
    return rowNo == 0 ? SysScalar("SELECT KYOYULOCK FROM DATALIST WHERE REC=" + std::to_string(rec))
                      : SysScalar("SELECT KYOYULOCK FROM CHILD_DATALIST WHERE REC=" + std::to_string(rec) +
                                  " AND ROWNO=" + std::to_string(rowNo));
  }
  // The row of the working folder 0005, as the callers read it before a fetch or store.
  TDataSentakuRec SharedRow(TDataSentakuListCtl& ctl) {
    TDataSentakuRec row;
    EXPECT_TRUE(ctl.GetDataListRecordFromPath(Folder(5), row));
    return row;
  }
};

TEST_F(DataListShare, LocalFoldersConvertToTheirServerPaths) {
  auto ctl = Ctl(0);
  struct Case {
    std::string path;
    std::string share;
    int netDrive;
  };
  const Case cases[] = {
      {Folder(4), Folder(4), 0},                  // a registered path stays as it is
      {Folder(5), Server(), 1},                   // a working copy gives its server folder
      {Folder(5) + "/001", Server() + "/001", 1}, // a member's working copy, below it
  };
  for (const Case& c : cases) {
    std::string share;
    int32_t netDrive = -1, lock = -1;
    EXPECT_TRUE(ctl->ConvLocalPathToSharePath(c.path, share, netDrive, lock));
    EXPECT_EQ(share, c.share) << c.path;
    EXPECT_EQ(netDrive, c.netDrive) << c.path;
    EXPECT_EQ(lock, 0);
  }
  std::string share;
  int32_t netDrive = 0, lock = 0;
  EXPECT_FALSE(ctl->ConvLocalPathToSharePath(" ", share, netDrive, lock));
  EXPECT_TRUE(Ctl(1)->ConvLocalPathToSharePath(Folder(5), share, netDrive, lock));
  EXPECT_EQ(share, Folder(5));

  TDataSentakuRec row = SharedRow(*ctl);
  EXPECT_EQ(row.REC, 5);
  EXPECT_EQ(row.PASNAME, Server());
  EXPECT_EQ(row.NETDRIVE, 1);
  EXPECT_EQ(row.DataFolder, Folder(5));
  EXPECT_EQ(row.ENTTEXT, "共有商事");

  // A folder whose number has no row.
  EXPECT_FALSE(ctl->GetDataListRecordFromPath(SysDir() + "/0777", row));
  EXPECT_EQ(row.REC, 0);
  EXPECT_EQ(row.PASNAME, "");
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(DataListShare, FetchAndStoreMoveTheCompanyAndFlipTheLocks) {
  auto ctl = Ctl(0);
  TDataSentakuRec row = SharedRow(*ctl);
  ASSERT_EQ(ctl->CheckKyoyuDataGet(row, 1), 1);
  EXPECT_TRUE(fs::is_regular_file(fs::path(Folder(5)) / "qvacc.fdb"));
  EXPECT_EQ(KyoyuLock(5), 1);
  EXPECT_EQ(row.KYOYULOCK, 1);
  EXPECT_EQ(Status(Server(), "SHARE_STATUS"), 2);
  EXPECT_EQ(Status(Folder(5), "SHARE_STATUS"), 2);
  EXPECT_EQ(Status(Server(), "SHARE_OPCODE"), SystemDef.LogonId);
  // The row was refreshed from the data set's own description.
  EXPECT_EQ(SysScalar("SELECT NENDO FROM DATALIST WHERE REC=5"), 2016);

  // Another operator asking now is refused with the holder's code and name.
  const int32_t me = SystemDef.LogonId;
  SystemDef.LogonId = fixtures::Installation::LogonId(12);
  TDataSentakuRec other = SharedRow(*ctl);
  EXPECT_EQ(ctl->CheckKyoyuDataGet(other, 1), -1);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].caption, "選択データの状態");
  EXPECT_TRUE(ui_.Shown("共有データは現在使用されています。"));
  EXPECT_TRUE(ui_.Shown("　11"));
  EXPECT_TRUE(ui_.Shown("　担当者"));
  SystemDef.LogonId = me;

  // Work done in the working copy goes back to the share.
  std::ofstream(fs::path(Folder(5)) / "qvacc.txt") << "changed";
  ASSERT_EQ(ctl->CheckKyoyuDataPut(row, 1), 1);
  EXPECT_TRUE(fs::is_regular_file(fs::path(Server()) / "qvacc.txt"));
  EXPECT_EQ(KyoyuLock(5), 0);
  EXPECT_EQ(Status(Server(), "SHARE_STATUS"), 1);
  EXPECT_EQ(Status(Folder(5), "SHARE_STATUS"), 1);
}

TEST_F(DataListShare, FailedFetchLeavesBothSidesAsTheyWere) {
  auto ctl = Ctl(0);
  TDataSentakuRec row = SharedRow(*ctl);
  // The working folder cannot be made: a file stands where it should be.
  std::ofstream(Folder(5)) << "x";
  EXPECT_EQ(ctl->CheckKyoyuDataGet(row, 1), 0);
  EXPECT_EQ(KyoyuLock(5), 0);
  EXPECT_EQ(Status(Server(), "SHARE_STATUS"), 1);
  EXPECT_EQ(Status(Server(), "STATUS"), 1);
  EXPECT_TRUE(fs::is_regular_file(fs::path(Server()) / "qvacc.fdb"));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(DataListShare, FailedStoreLeavesTheDataTaken) {
  auto ctl = Ctl(0);
  TDataSentakuRec row = SharedRow(*ctl);
  ASSERT_EQ(ctl->CheckKyoyuDataGet(row, 1), 1);
  // The server's database file cannot be replaced: a folder stands in its place.
  fs::remove(fs::path(Server()) / "qvacc.fdb");
  fs::create_directories(fs::path(Server()) / "qvacc.fdb" / "x");
  EXPECT_EQ(ctl->CheckKyoyuDataPut(row, 1), 0);
  EXPECT_EQ(KyoyuLock(5), 1);
  EXPECT_EQ(Status(Server(), "SHARE_STATUS"), 2);
  EXPECT_EQ(Status(Folder(5), "SHARE_STATUS"), 2);
  EXPECT_TRUE(fs::is_regular_file(fs::path(Folder(5)) / "qvacc.fdb"));
}

TEST_F(DataListShare, UnreachableAndBrokenServerData) {
  auto ctl = Ctl(0);
  TDataSentakuRec row = SharedRow(*ctl);
  TDataSentakuRec gone = row;
  gone.PASNAME = (ShareRoot() / "sv0099").string();
  EXPECT_EQ(ctl->CheckKyoyuDataGet(gone, 1), 0);  // quiet: no message
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(ctl->CheckKyoyuDataGet(gone, 0), 0);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_TRUE(ui_.Shown("共有サーバーが起動していない"));

  // An empty area is not unreachable.
  TDataSentakuRec empty = row;
  empty.ENTTEXT = "空き領域";
  empty.REC = 0;  // not registered: the list stays as it is
  empty.PASNAME = (ShareRoot() / "sv0098").string();
  empty.DataFolder = (inst_->Root() / "work0098").string();
  fs::create_directories(empty.PASNAME);
  ctl->CheckKyoyuDataGet(empty, 0);
  EXPECT_EQ(ui_.messages.size(), 1u);

  // Broken data on the server: refused with a message even when quiet, nothing copied.
  TIniFile(Server() + "/qvacc.ini").WriteInteger("DATASTS", "STATUS", 10);
  row = SharedRow(*ctl);
  EXPECT_EQ(ctl->CheckKyoyuDataGet(row, 1), -1);
  EXPECT_TRUE(ui_.Shown("共有サーバー上のデータが破損しているため、共有データの取得を中止します。"));
  EXPECT_FALSE(fs::exists(fs::path(Folder(5)) / "qvacc.fdb"));
  EXPECT_EQ(KyoyuLock(5), 0);
}

TEST_F(DataListShare, CombinedDataBringsItsMembers) {
  TIniFile(Server() + "/qvacc.ini").WriteInteger("DATAINFO", "GASSANKBN", 1);
  LayOutArea(fs::path(Server()) / "001");
  fs::create_directories(fs::path(Server()) / "002");  // no data set in it
  LayOutArea(fs::path(Server()) / "003");
  auto ctl = Ctl(0);
  TDataSentakuRec row = SharedRow(*ctl);
  ASSERT_EQ(ctl->CheckKyoyuDataGet(row, 1), 1);
  ASSERT_EQ(row.ChildCount, 2);
  EXPECT_EQ(row.Children[0].ROWNO, 1);
  EXPECT_EQ(row.Children[1].ROWNO, 3);
  EXPECT_EQ(row.Children[1].PASNAME, Server() + "/003");
  EXPECT_EQ(row.Children[1].DataFolder, Folder(5) + "/003");
  EXPECT_EQ(row.Children[1].GASSAN, 10);
  EXPECT_TRUE(fs::is_regular_file(fs::path(Folder(5)) / "003" / "qvacc.fdb"));
  EXPECT_EQ(KyoyuLock(5, 3), 1);

  std::ofstream(fs::path(Folder(5)) / "003" / "qvacc.txt") << "member work";
  ASSERT_EQ(ctl->CheckKyoyuDataPut(row, 1), 1);
  EXPECT_TRUE(fs::is_regular_file(fs::path(Server()) / "003" / "qvacc.txt"));
  EXPECT_TRUE(fs::is_regular_file(fs::path(Server()) / "001" / "qvacc.fdb"));
  EXPECT_EQ(KyoyuLock(5), 0);
  EXPECT_EQ(KyoyuLock(5, 3), 0);
  EXPECT_EQ(Status(fs::path(Server()) / "003", "SHARE_STATUS"), 1);
}
