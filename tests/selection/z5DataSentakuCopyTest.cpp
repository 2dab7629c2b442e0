// The data-selection dialog's copy and paste (F2, F2), delete (F5) and release of a shared
// assignment (F4) over a fixture installation, driven off-screen by keys.
// Picture: selection_data_delete.png (the delete's agreement box).
#include <QImage>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "DataListTestBase.h"
#include "data/uAccClasses.h"
#include "data/uAccRecordHooks.h"
#include "platform/Encoding.h"
#include "platform/ini/IniFile.h"
#include "selection/DbUpdateCheck.h"
#include "selection/z5DataSentaku.h"
#include "selection/z5DataSentakuCopy.h"
#include "selection/z5Kidou.h"
#include "selection/z5ServerSentaku.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "ui/PerfectGrid.h"
#include "ui/UiTestSupport.h"
#include "ui/z5MessageDlg.h"
#include "ui/z5MessageDlg2.h"

using namespace forms;
namespace fs = std::filesystem;

namespace {

class NoUpdate : public IDbUpdateCheck {
 public:
  void PrepareUpdate(int, const std::string&) override {}
  bool UpdatePending() const override { return false; }
};

TEST(DataCopyPasteName, CopyNamesAreCutAt40BytesWithoutHalfACharacter) {
  struct Case {
    std::string name;
    std::string copy;
  };
  const Case cases[] = {
      {"最新物産", "最新物産～コピー"},
      // 38 bytes of double-byte text: "～" would end at byte 40, "コ" is cut.
      {"あいうえおかきくけこさしすせそたちつて", "あいうえおかきくけこさしすせそたちつて～"},
      // 37 bytes: one byte left after "～" is not half of "コ", it is dropped.
      {"abcあいうえおかきくけこさしすせそたち", "abcあいうえおかきくけこさしすせそたち～"},
      {"　全角空白 ", "全角空白 ～コピー"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CopyNameOf(c.name), c.copy) << c.name;
    EXPECT_LE(sjis::ByteLength(CopyNameOf(c.name)), 40u);
  }
}

TEST(DataCopyPasteName, FoldersThatHoldOtherDataAreNeverDeleted) {
  SystemDef.SysDir = "/srv/rendo/data";
  SystemDef.AppDataDir = "/srv/rendo";
  const std::pair<std::string, bool> cases[] = {
      {"", false},         {"   ", false},           {"data/0003", false},  {"/", false},
      {"/srv", false},     {"/srv/rendo", false},    {"/srv/rendo/data", false}, {"/srv/rendo/data/", false},
      {"Q:/0003", false},  // a drive letter that maps to nothing
      {"/srv/rendo/data/0003", true}, {"/srv/other/0003", true},
  };
  for (const auto& [folder, deletable] : cases) EXPECT_EQ(IsDataFolderDeletable(folder), deletable) << folder;
  SystemDef.SysDir.clear();
  SystemDef.AppDataDir.clear();
}

// 0003 a company with 20 journal entries, 0004 another company, 0005 shared data kept on the
// server area sv0001; 0008 and 0009 empty rows.
class DataCopyPaste : public DataListTestBase {
 protected:
  static void SetUpTestSuite() {
    DataListTestBase::SetUpTestSuite();
    auto add = [](int no, const char* code, const char* name, int entries) -> fixtures::Company& {
      fixtures::CompanyPlan plan = fixtures::CompanyPlan::Corporation();
      plan.dataNo = no;
      plan.dataCode = code;
      plan.name = name;
      plan.entText = name;
      fixtures::Company& c = inst_->AddCompany(plan);
      if (entries > 0)
        c.GenerateJournal({.seed = static_cast<uint64_t>(no), .entries = entries, .deletedPerMille = 0, .correctedPerMille = 0});
      return c;
    };
    add(3, "C001", "最新物産", 20);
    add(4, "C002", "別会社", 5);
    inst_->ShareCompany(add(5, "S001", "共有商事", 0), "sv0001");
  }

  void SetUp() override {
    DataListTestBase::SetUp();
    SystemDef.DataDir.clear();
    SystemDef.DataPasName.clear();
    SystemDef.AppDataDir = inst_->AppDataDir().string();
    SystemDef.SysDir = inst_->SysDir().string();
    SystemDef.IniDir = inst_->IniDir().string();
    SystemDef.TempDir = inst_->AppTempDir().string();
    SystemDef.WorkDir = inst_->TempFolder().string();
    SystemDef.JobLevel = 9;
    fs::create_directories(inst_->AppTempDir());
    MenuHook = NullMenuHook;
    RegisterDataSentakuBox();
    DbUpdateCheckFactory = [] { return std::make_unique<NoUpdate>(); };
  }
  void TearDown() override {
    DbUpdateCheckFactory = nullptr;
    MenuHook = nullptr;
    DataListTestBase::TearDown();
  }

  static void GoTo(TDataSentakuBox& box, int rec) {
    box.PerfectGrid1->SetFocus();
    for (int r = 0; r < box.PerfectGrid1->Rows(); ++r)
      if (box.PerfectGrid1->CellText(kColNo, r) == std::to_string(rec)) {
        box.PerfectGrid1->SetCurCell(0, r);
        return;
      }
    ADD_FAILURE() << "no row " << rec;
  }
  static int Status(const std::string& folder) {
    TDataInfomation info;
    TDataInfomationRec r;
    info.ReadDataInfo(folder, r);
    return r.STATUS;
  }
  static std::string EntText(int rec) {
    fixtures::DbSession s(inst_->SystemDbFile());
    TIBSQL q;
    s.Prepare(q, "SELECT COALESCE(ENTTEXT,'') AS T FROM DATALIST WHERE REC=" + std::to_string(rec));
    q.ExecQuery();
    const std::string v = q.Eof() ? "?" : q.FieldByName("T").AsString();
    q.Close();
    return v;
  }
  // Runs the dialog (type 0) with one step inside it.
  static void RunDialog(const std::function<void(TDataSentakuBox&)>& step) {
    uitest::ModalScript script({[&](TForm& f) {
      auto& box = dynamic_cast<TDataSentakuBox&>(f);
      uitest::ShowActive(box);
      step(box);
      f.SetModalResult(mrCancel);
    }});
    RunSyoriModule("VqDataSenkaku", 1, "SyoriType=0");
    EXPECT_FALSE(script.WatchdogFired());
  }
  // The next message box of the framework answered: agreed and OK, or Cancel.
  static uitest::ModalScript Answer(bool agree, std::vector<std::string>* lines = nullptr, QImage* shot = nullptr) {
    return uitest::ModalScript({[=](TForm& m) {
      auto& mb = dynamic_cast<TMessageBox&>(m);
      if (lines) *lines = mb.Lines();
      if (shot) *shot = m.grab().toImage();
      if (agree) {
        if (mb.cboxAgree->isVisible()) uitest::Click(mb.cboxAgree);
        uitest::Click(mb.btnOK);
      } else {
        uitest::Click(mb.btnCancel);
      }
    }});
  }
  // The next stand-alone information: its first line, then OK.
  static uitest::ModalScript Note(std::string* first) {
    return uitest::ModalScript({[=](TForm& m) {
      auto& box = dynamic_cast<TMessageBox2&>(m);
      *first = box.Labels[0]->Caption();
      for (auto* b : box.Buttons)
        if (b->isVisible()) {
          b->Click();
          break;
        }
    }});
  }
};

TEST_F(DataCopyPaste, F2TwiceCopies0003Into0008AndF2OnTheSourceGivesUp) {
  const std::string source = Folder(3), target = Folder(8);
  std::string pasteCaption, name;
  int statusWhilePending = 0;
  RunDialog([&](TDataSentakuBox& box) {
    // Given up: F2 on the same row twice.
    GoTo(box, 3);
    uitest::Key(Qt::Key_F2);
    statusWhilePending = Status(source);
    pasteCaption = box.KeyButtons[2]->CaptionA().Caption();
    uitest::Key(Qt::Key_F2);
    EXPECT_EQ(Status(source), 1);
    EXPECT_FALSE(box.CopyPending);
    // Copied: F2 on 0003, F2 on 0008.
    uitest::Key(Qt::Key_F2);
    GoTo(box, 8);
    uitest::Key(Qt::Key_F2);
    name = box.PerfectGrid1->CellText(kColName, box.PerfectGrid1->Row());
  });
  EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
  EXPECT_EQ(statusWhilePending, 6);
  EXPECT_EQ(pasteCaption, "F2:貼り付け");
  EXPECT_EQ(name, "最新物産～コピー");
  EXPECT_EQ(Status(source), 1);
  EXPECT_EQ(Status(target), 1);
  ASSERT_TRUE(fs::exists(target + "/qvacc.fdb"));
  EXPECT_EQ(Scalar(target + "/qvacc.fdb", "SELECT COUNT(*) FROM SIWAKE"), Scalar(source + "/qvacc.fdb", "SELECT COUNT(*) FROM SIWAKE"));
  EXPECT_EQ(EntText(8), "最新物産～コピー");
  EXPECT_EQ(EntText(3), "最新物産") << "the source keeps its name";
  EXPECT_EQ(TIniFile(target + "/qvacc.ini").ReadString("DATAINFO", "DATALISTNAME", ""), "最新物産～コピー");
  fs::remove_all(target);
  Sys({"UPDATE DATALIST SET ENTTEXT='', SHOUGOU='', DATACODE='' WHERE REC=8"});
}

TEST_F(DataCopyPaste, PasteOntoABusyTargetIsRefusedAndBothStatusesReturn) {
  TDataInfomation info;
  info.SetStatus(Folder(4), 5);
  RunDialog([&](TDataSentakuBox& box) {
    GoTo(box, 3);
    uitest::Key(Qt::Key_F2);
    GoTo(box, 4);
    auto ok = Answer(true);
    uitest::Key(Qt::Key_F2);
  });
  EXPECT_EQ(Status(Folder(3)), 1);
  EXPECT_EQ(Status(Folder(4)), 5) << "the target is left as it was";
  EXPECT_EQ(EntText(4), "別会社");
  info.SetStatus(Folder(4), 1);
}

TEST_F(DataCopyPaste, F5DeletesTheFolderAndEmptiesTheRow) {
  fs::copy(Folder(3), Folder(9), fs::copy_options::recursive);
  Sys({"UPDATE DATALIST SET ENTTEXT='消す会社', SHOUGOU='最新物産', NENDO=1, KISHU='2016-04-01', KIMATU='2017-03-31' WHERE REC=9"});
  std::vector<std::string> lines;
  QImage shot;
  RunDialog([&](TDataSentakuBox& box) {
    GoTo(box, 9);
    auto agree = Answer(true, &lines, &shot);
    uitest::Key(Qt::Key_F5);
  });
  EXPECT_TRUE(shot.save(QStringLiteral("selection_data_delete.png")));
  EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0], "【データ名】");
  EXPECT_EQ(lines[7], "　~/data/0009") << "the folder as the grid shows it";
  EXPECT_FALSE(fs::exists(Folder(9)));
  EXPECT_EQ(EntText(9), "");
  EXPECT_TRUE(fs::exists(Folder(3) + "/qvacc.fdb"));
}

// Deletes that must not happen: the data selected at the last start, a row whose folder is
// the application data folder (above every data folder), and a disagreement.
TEST_F(DataCopyPaste, RefusedDeletesKeepTheFolderAndTheRow) {
  const fs::path guarded = inst_->AppDataDir();
  for (const char* f : {"qvacc.fdb", "qvacc.ini"})
    fs::copy_file(Folder(4) + "/" + f, guarded / f, fs::copy_options::overwrite_existing);
  Sys({"UPDATE DATALIST SET ENTTEXT='別会社', PASNAME='" + guarded.string() + "', NENDO=1 WHERE REC=10"});
  struct Case {
    const char* what;
    int rec;
    bool lastStart;
    bool agree;
    std::string note;     // a stand-alone information, or ""
    std::string message;  // a message of the UI services, or ""
  };
  const Case cases[] = {
      {"selected at the last start", 4, true, true, "このデータは前回起動データのため削除は行えません。", ""},
      {"folder above the data folders", 10, false, true, "", "データの削除に失敗しました。"},
      {"not agreed", 4, false, false, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ui_.messages.clear();
    SystemDef.DataDir = c.lastStart ? Folder(c.rec) : "";
    const std::string before = EntText(c.rec);
    std::string note;
    RunDialog([&](TDataSentakuBox& box) {
      GoTo(box, c.rec);
      if (!c.note.empty()) {
        auto n = Note(&note);
        uitest::Key(Qt::Key_F5);
      } else {
        auto a = Answer(c.agree);
        uitest::Key(Qt::Key_F5);
      }
    });
    EXPECT_EQ(note, c.note);
    if (c.message.empty()) {
      EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
    } else {
      EXPECT_TRUE(ui_.Shown(c.message)) << (ui_.messages.empty() ? "" : ui_.MessageText(0));
    }
    EXPECT_EQ(EntText(c.rec), before);
  }
  EXPECT_TRUE(fs::exists(Folder(4) + "/qvacc.fdb"));
  EXPECT_TRUE(fs::exists(inst_->SysDir()));
  EXPECT_TRUE(fs::exists(guarded / "qvacc.fdb"));
  fs::remove(guarded / "qvacc.fdb");
  fs::remove(guarded / "qvacc.ini");
  Sys({"UPDATE DATALIST SET ENTTEXT='', PASNAME='" + Folder(10) + "' WHERE REC=10"});
  SystemDef.DataDir.clear();
}

TEST_F(DataCopyPaste, F4ReleasesASharedAssignment) {
  const fs::path area = inst_->ShareRoot() / "sv0001";
  ASSERT_TRUE(fs::exists(area / "qvacc.fdb"));
  fs::create_directories(Folder(5));
  std::ofstream(Folder(5) + "/leftover.txt") << "an old working copy";
  std::string f4;
  RunDialog([&](TDataSentakuBox& box) {
    GoTo(box, 5);
    f4 = box.KeyButtons[4]->CaptionA().Caption();
    auto ok = Answer(true);
    uitest::Key(Qt::Key_F4);
  });
  EXPECT_EQ(f4, "F4:割当解除");
  EXPECT_FALSE(fs::exists(Folder(5))) << "the local working folder goes";
  EXPECT_TRUE(fs::exists(area / "qvacc.fdb")) << "the server's data stays";
  EXPECT_EQ(SysScalar("SELECT NETDRIVE FROM DATALIST WHERE REC=5"), 0);
  EXPECT_EQ(EntText(5), "");
  fixtures::DbSession s(inst_->SystemDbFile());
  TIBSQL q;
  s.Prepare(q, "SELECT PASNAME FROM DATALIST WHERE REC=5");
  q.ExecQuery();
  EXPECT_EQ(q.FieldByName("PASNAME").AsString(), Folder(5));
  q.Close();
}

// [共有取得] on an empty row: the shared-server list opens, the chosen area becomes the row's
// shared data and is fetched into the row's folder.
TEST_F(DataCopyPaste, ShareGetOnAnEmptyRowAssignsTheAreaChosenInTheServerList) {
  TempDir zdrive;
  ScopedEnv drives("RENDO_DRIVES", "Z=" + zdrive.Str());
  const fs::path area = zdrive.Path() / "Zivodarorer" / "sv0001";
  fs::create_directories(area);
  for (const char* f : {"qvacc.fdb", "qvacc.ini"}) fs::copy_file(Folder(4) + "/" + f, area / f);
  Sys({"DELETE FROM SERVERDATALIST", "DELETE FROM CHILD_SERVERDATALIST"});
  std::string listed;
  RunDialog([&](TDataSentakuBox& box) {
    GoTo(box, 8);
    uitest::ModalScript list({[&](TForm& f) {
      auto& s = dynamic_cast<TServerSentakuBox&>(f);
      uitest::ShowActive(s);
      s.PerfectGrid1->SetFocus();
      listed = s.PerfectGrid1->CellText(kSvColFolder, 0);
      uitest::Key(Qt::Key_F12);
    }});
    uitest::Click(box.btnKyoyuDataDown);
  });
  EXPECT_EQ(listed, "Z:/Zivodarorer/sv0001");
  EXPECT_EQ(SystemDef.ZenkaiDrive, "Z");
  EXPECT_TRUE(fs::exists(Folder(8) + "/qvacc.fdb")) << "fetched into the row's folder";
  EXPECT_EQ(SysScalar("SELECT NETDRIVE FROM DATALIST WHERE REC=8"), 1);
  EXPECT_EQ(SysScalar("SELECT KYOYULOCK FROM DATALIST WHERE REC=8"), 1);
  EXPECT_EQ(EntText(8), "別会社");
  EXPECT_EQ(TIniFile((area / "qvacc.ini").string()).ReadInteger("DATASTS", "SHARE_STATUS", -1), 2);
  fs::remove_all(Folder(8));
  Sys({"UPDATE DATALIST SET NETDRIVE=0, KYOYULOCK=0, ENTTEXT='', SHOUGOU='', DATACODE='', PASNAME='" + Folder(8) +
       "' WHERE REC=8"});
  SystemDef.ZenkaiDrive.clear();
}

}  // namespace
