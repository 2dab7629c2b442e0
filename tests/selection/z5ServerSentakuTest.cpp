// The shared-server data list over a fixture installation with drive Z mapped to a temporary
// share: its key bar as a table, the list as it is loaded, sorted and searched, and the
// operations on the areas (new area, copy and paste, delete, choice), driven off-screen by
// keys and clicks. Pictures: selection_server_list.png, selection_drive_map.png.
#include <QElapsedTimer>
#include <QHeaderView>
#include <QImage>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DataListTestBase.h"
#include "data/uAccClasses.h"
#include "data/uAccRecordHooks.h"
#include "platform/Folders.h"
#include "platform/ini/IniFile.h"
#include "selection/z5ServerSentaku.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "ui/PerfectGrid.h"
#include "ui/UiTestSupport.h"
#include "ui/z5InputDlg.h"
#include "ui/z5MessageDlg.h"

using namespace forms;
namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TDataListRec Area(const char* name, uint8_t gassan = 0, uint8_t status = 0) {
  TDataListRec r;
  r.ENTTEXT = name;
  r.GASSAN = gassan;
  r.DATA_STATUS = status;
  return r;
}

TEST(ServerSentakuSharedServerListKeys, CaptionsByRowState) {
  struct Case {
    const char* what;
    TServerKeyInput in;
    std::vector<std::string> keys;  // ESC F1 .. F8 F12
    int keyMode;
    bool f12;
  };
  auto in = [](TDataListRec row, bool inUse = false, bool pending = false) {
    TServerKeyInput i;
    i.Row = std::move(row);
    i.InUse = inUse;
    i.CopyPending = pending;
    return i;
  };
  TServerKeyInput noRow = in(Area("会社"));
  noRow.HasRow = false;
  TServerKeyInput noDrive = noRow;
  noDrive.ShareRootSet = false;
  const std::string esc = "ESC:ｷｬﾝｾﾙ", f1 = "F1:ヘルプ", f4 = "F4:領域追加", f8 = "F8:印刷";
  const Case cases[] = {
      {"data", in(Area("会社")), {esc, f1, "F2:コピー", "F3:", f4, "F5:ﾃﾞｰﾀ削除", "F6:", "F7:", f8, "F12:選択"}, 1, true},
      {"empty area", in(Area("空き領域")), {esc, f1, "F2:", "F3:", f4, "F5:ﾃﾞｰﾀ削除", "F6:", "F7:", f8, "F12:選択"}, 1, true},
      {"empty area, pasting", in(Area("新しい領域"), false, true),
       {esc, f1, "F2:貼り付け", "F3:", f4, "F5:ﾃﾞｰﾀ削除", "F6:", "F7:", f8, "F12:選択"}, 2, true},
      {"child", in(Area("01 支店", 10)), {esc, f1, "F2:", "F3:", f4, "F5:", "F6:", "F7:", f8, "F12:"}, 1, false},
      {"in use", in(Area("会社"), true), {esc, f1, "F2:コピー", "F3:", f4, "F5:", "F6:", "F7:", f8, "F12:選択"}, 1, true},
      {"in use, pasting", in(Area("会社"), true, true), {esc, f1, "F2:", "F3:", f4, "F5:", "F6:", "F7:", f8, "F12:選択"}, 2, true},
      {"broken", in(Area("会社", 0, 1)), {esc, f1, "F2:", "F3:", f4, "F5:ﾃﾞｰﾀ削除", "F6:", "F7:", f8, "F12:"}, 1, true},
      {"no row", noRow, {esc, f1, "F2:", "F3:", f4, "F5:", "F6:", "F7:", f8, "F12:選択"}, 0, true},
      {"no drive", noDrive, {esc, f1, "F2:", "F3:", "F4:", "F5:", "F6:", "F7:", f8, "F12:選択"}, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const TServerKeyOutput out = ServerSentakuKeys(c.in);
    EXPECT_EQ(std::vector<std::string>(out.Captions.begin(), out.Captions.end()), c.keys);
    EXPECT_EQ(out.KeyMode, c.keyMode);
    EXPECT_EQ(out.F12Enabled, c.f12);
  }
}

// Companies laid out as the areas of drive Z:
//   sv0001  code 1202 "共有一"  30 journal entries
//   sv0002  code 1201 "共有二"  10 journal entries (same company and period)
//   sv0003  code 3001 "合算本体", combined data with one member 001
class ServerSentakuBase : public DataListTestBase {
 protected:
  static void SetUpTestSuite() {
    DataListTestBase::SetUpTestSuite();
    auto add = [](int no, const char* code, const char* name, int entries) {
      fixtures::CompanyPlan plan = fixtures::CompanyPlan::Corporation();
      plan.dataNo = no;
      plan.dataCode = code;
      plan.name = "共有物産";
      plan.entText = name;
      fixtures::Company& c = inst_->AddCompany(plan);
      if (entries > 0)
        c.GenerateJournal({.seed = static_cast<uint64_t>(no), .entries = entries, .deletedPerMille = 0, .correctedPerMille = 0});
    };
    add(21, "1202", "共有一", 30);
    add(22, "1201", "共有二", 10);
    add(23, "3001", "合算本体", 0);
    add(24, "3002", "支店", 0);
  }

  void SetUp() override {
    DataListTestBase::SetUp();
    SystemDef.AppDataDir = inst_->AppDataDir().string();
    SystemDef.SysDir = inst_->SysDir().string();
    SystemDef.LogonId = fixtures::Installation::LogonId(11);
    SystemDef.R4Bit2 = 0;
    // The operator's colours as a new SYSDEF row has them.
    SystemDef.ColHeaderColor = DefColHeaderColor;
    SystemDef.ClientColor = DefClientColor;
    SystemDef.ClientColor1 = DefClientColor1;
    MenuHook = NullMenuHook;
    zdrive_ = std::make_unique<TempDir>();
    drives_ = std::make_unique<ScopedEnv>("RENDO_DRIVES", "Z=" + zdrive_->Str());
    const fs::path share = zdrive_->Path() / "Zivodarorer";
    auto lay = [&](int no, const fs::path& to) {
      fs::create_directories(to);
      for (const char* f : {"qvacc.fdb", "qvacc.ini"}) fs::copy_file(inst_->DataFolder(no) / f, to / f);
    };
    lay(21, share / "sv0001");
    lay(22, share / "sv0002");
    lay(23, share / "sv0003");
    lay(24, share / "sv0003" / "001");
    TIniFile((share / "sv0003" / "qvacc.ini").string()).WriteString("DATAINFO", "GASSANKBN", "1");
    TIniFile((share / "sv0003" / "001" / "qvacc.ini").string()).WriteString("DATAINFO", "GASSANKBN", "10");
    Sys({"DELETE FROM SERVERDATALIST", "DELETE FROM CHILD_SERVERDATALIST", "DELETE FROM KENSAKUJYOKEN"});
  }
  void TearDown() override {
    MenuHook = nullptr;
    drives_.reset();
    zdrive_.reset();
    DataListTestBase::TearDown();
  }

  fs::path Area(const char* name) const { return zdrive_->Path() / "Zivodarorer" / name; }
  static int Status(const fs::path& area) {
    return TIniFile((area / "qvacc.ini").string()).ReadInteger("DATASTS", "STATUS", -1);
  }
  static std::vector<std::string> Column(TPerfectGrid& g, int col) {
    std::vector<std::string> v;
    for (int r = 0; r < g.Rows(); ++r) v.push_back(g.CellText(col, r));
    return v;
  }
  static void GoTo(TServerSentakuBox& box, const std::string& folder) {
    box.PerfectGrid1->SetFocus();
    for (int r = 0; r < box.PerfectGrid1->Rows(); ++r)
      if (box.PerfectGrid1->CellText(kSvColFolder, r) == folder) {
        box.PerfectGrid1->SetCurCell(0, r);
        return;
      }
    ADD_FAILURE() << "no row " << folder;
  }
  // Opens the list on drive Z with `step` inside it; the result of ShowModal.
  int Run(const std::function<void(TServerSentakuBox&)>& step, TServerSentakuBox** keep = nullptr) {
    auto* box = CreateForm<TServerSentakuBox>(nullptr);
    box->DriveLetter = "Z";
    box->Setup(0);
    uitest::ModalScript script({[&](TForm& f) {
      auto& b = dynamic_cast<TServerSentakuBox&>(f);
      uitest::ShowActive(b);
      b.PerfectGrid1->SetFocus();
      step(b);
      if (b.ModalResult() == mrNone) b.SetModalResult(mrCancel);
    }});
    const int result = box->ShowModal();
    EXPECT_FALSE(script.WatchdogFired());
    if (keep) *keep = box;
    else box->Free();
    return result;
  }
  // The next framework message box answered: agreed and OK, or Cancel.
  static std::unique_ptr<uitest::ModalScript> Answer(bool agree, std::vector<std::string>* lines = nullptr) {
    return std::make_unique<uitest::ModalScript>(std::vector<std::function<void(TForm&)>>{[=](TForm& m) {
      auto& mb = dynamic_cast<TMessageBox&>(m);
      if (lines) *lines = mb.Lines();
      if (agree) {
        if (mb.cboxAgree->isVisible()) uitest::Click(mb.cboxAgree);
        uitest::Click(mb.btnOK);
      } else {
        uitest::Click(mb.btnCancel);
      }
    }});
  }

  std::unique_ptr<TempDir> zdrive_;
  std::unique_ptr<ScopedEnv> drives_;
};

class ServerSentakuSharedServerList : public ServerSentakuBase {};
class ServerSentakuSharedServerOps : public ServerSentakuBase {};

TEST_F(ServerSentakuSharedServerList, AreasByFolderSortedSearchedAndTheSortKept) {
  std::vector<std::string> folders, names, afterTwoClicks;
  TGridSortMark mark = gsNone, markAfter = gsNone;
  std::string found, wrapped, driveItem;
  QImage shot;
  Run([&](TServerSentakuBox& box) {
    TPerfectGrid& g = *box.PerfectGrid1;
    driveItem = box.cmbDrive->Text();
    folders = Column(g, kSvColFolder);
    names = Column(g, kSvColName);
    mark = g.SortMark(kSvColFolder);
    shot = box.grab().toImage();
    QHeaderView* h = g.horizontalHeader();
    const QPoint folderHeader(h->sectionViewportPosition(kSvColFolder) + 10, h->height() / 2);
    uitest::Click(h->viewport(), folderHeader);
    uitest::Click(h->viewport(), folderHeader);
    afterTwoClicks = Column(g, kSvColFolder);
    markAfter = g.SortMark(kSvColFolder);
    auto typeAndWait = [&](QString text) {
      g.SetFocus();
      for (QChar ch : text) uitest::Key(Qt::Key_0 + (ch.unicode() - '0'), Qt::NoModifier, QString(ch));
      QElapsedTimer t;
      t.start();
      while (box.IncSerchTimer->Enabled() && t.elapsed() < 5000) uitest::Pump();
      return g.CellText(kSvColCode, g.Row());
    };
    found = typeAndWait("12");    // from sv0001 (1202) to the next "12": sv0002
    wrapped = typeAndWait("12");  // from sv0002 on, wrapping to the top
  });
  EXPECT_TRUE(shot.save(QStringLiteral("selection_server_list.png")));
  EXPECT_EQ(driveItem.substr(0, 3), "Z: ");
  EXPECT_EQ(folders, (std::vector<std::string>{"Z:/Zivodarorer/sv0001", "Z:/Zivodarorer/sv0002", "Z:/Zivodarorer/sv0003",
                                               "Z:/Zivodarorer/sv0003/001"}));
  EXPECT_EQ(names, (std::vector<std::string>{"共有一", "共有二", "合算本体", "01 支店"}));
  EXPECT_EQ(mark, gsAscending);
  EXPECT_EQ(afterTwoClicks, folders);
  EXPECT_EQ(markAfter, gsAscending);
  EXPECT_EQ(found, "1201");
  EXPECT_EQ(wrapped, "1202");
  // The rows of the drive are registered, the member under its parent.
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM SERVERDATALIST WHERE DRIVELETTER='Z'"), 3);
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM CHILD_SERVERDATALIST WHERE DRIVELETTER='Z'"), 1);
  // The sort is kept under the shared list's type, never the data list's.
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM KENSAKUJYOKEN WHERE LISTTYPE=0"), 0);
  EXPECT_EQ(SysScalar("SELECT SORTTYPE FROM KENSAKUJYOKEN WHERE LISTTYPE=1"), 0);
  EXPECT_EQ(SysScalar("SELECT SORTCOL FROM KENSAKUJYOKEN WHERE LISTTYPE=1"), ListToStoredSortCol(kSvColFolder));
}

// [共有割当]: a folder mapped to a letter in the drive table; the letter is offered when its
// folder holds the shared folder.
TEST_F(ServerSentakuSharedServerList, MountingAFolderAddsItsDrive) {
  TempDir other;
  fs::create_directories(other.Path() / "Zivodarorer" / "sv0001");
  const std::string table = folders::ConfigDir() + "/drives.ini";
  std::vector<std::string> items;
  QImage shot;
  Run([&](TServerSentakuBox& box) {
    uitest::ModalScript map({[&](TForm& f) {
      auto& d = dynamic_cast<TDriveMapDlg&>(f);
      d.cmbLetter->SetItemIndex(1);  // Y:
      d.txtFolder->SetText(other.Str());
      shot = f.grab().toImage();
      uitest::Click(d.btnOK);
    }});
    uitest::Click(box.btnMount);
    items = box.cmbDrive->Items();
  });
  fs::remove(table);
  EXPECT_TRUE(shot.save(QStringLiteral("selection_drive_map.png")));
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].substr(0, 3), "Y: ");
  EXPECT_EQ(items[1].substr(0, 3), "Z: ");
}

TEST_F(ServerSentakuSharedServerList, NoSharedDriveListsNothingAndKeepsTheRows) {
  Sys({"INSERT INTO SERVERDATALIST (REC, GROUPID, DRIVELETTER, PASNAME, ENTTEXT) VALUES (1, " +
       std::to_string(SystemDef.GroupId) + ", 'Z', 'Z:/Zivodarorer/sv0001', '共有一')"});
  fs::remove_all(zdrive_->Path() / "Zivodarorer");
  std::string item, f2, f4;
  int rows = -1;
  Run([&](TServerSentakuBox& box) {
    item = box.cmbDrive->Text();
    rows = box.PerfectGrid1->Rows();
    f2 = box.KeyButtons[2]->CaptionA().Caption();
    f4 = box.KeyButtons[4]->CaptionA().Caption();
  });
  EXPECT_EQ(item, "[Zivodarorer]が見つかりません");
  EXPECT_EQ(rows, 0);
  EXPECT_EQ(f2, "F2:");
  EXPECT_EQ(f4, "F4:");
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM SERVERDATALIST"), 1);
}

TEST_F(ServerSentakuSharedServerOps, F4AddsTheNextAreaAndItsRow) {
  std::string proposed;
  Run([&](TServerSentakuBox& box) {
    uitest::ModalScript input({[&](TForm& f) {
      auto& d = dynamic_cast<TInputDlgBox&>(f);
      proposed = d.txtInput->Text();
      uitest::Click(d.btnOK);
    }});
    uitest::Key(Qt::Key_F4);
    EXPECT_EQ(box.PerfectGrid1->CellText(kSvColFolder, box.PerfectGrid1->Row()), "Z:/Zivodarorer/sv0004");
  });
  EXPECT_EQ(proposed, "sv0004");
  EXPECT_TRUE(fs::is_directory(Area("sv0004")));
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM SERVERDATALIST WHERE PASNAME='Z:/Zivodarorer/sv0004' AND ENTTEXT='新しい領域'"), 1);
}

// Names typed for a new area: lower-cased; an existing area or a name outside the shared
// folder is refused and nothing is created.
TEST_F(ServerSentakuSharedServerOps, F4NamesAreLowerCasedAndExistingOrDotNamesRefused) {
  struct Case {
    const char* typed;
    std::string message;  // "" when the area is created
    const char* created;
  };
  const Case cases[] = {
      {"SV0009", "", "sv0009"},
      {"sv0001", "\"Z:/Zivodarorer/sv0001\"は既に作成されています。", nullptr},
      {"..", "\"..\"の作成に失敗しました。", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    ui_.messages.clear();
    const auto before = SysScalar("SELECT COUNT(*) FROM SERVERDATALIST");
    Run([&](TServerSentakuBox&) {
      uitest::ModalScript input({[&](TForm& f) {
        auto& d = dynamic_cast<TInputDlgBox&>(f);
        d.txtInput->SetText(c.typed);
        uitest::Click(d.btnOK);
      }});
      uitest::Key(Qt::Key_F4);
    });
    if (c.created) {
      EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
      EXPECT_TRUE(fs::is_directory(Area(c.created)));
      EXPECT_EQ(SysScalar(std::string("SELECT COUNT(*) FROM SERVERDATALIST WHERE PASNAME='Z:/Zivodarorer/") + c.created + "'"), 1);
    } else {
      ASSERT_EQ(ui_.messages.size(), 1u);
      EXPECT_EQ(ui_.MessageText(0), c.message);
      EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM SERVERDATALIST"), before);
    }
  }
  EXPECT_FALSE(fs::exists(zdrive_->Path() / "sv0001"));
}

TEST_F(ServerSentakuSharedServerOps, CombinedDataWithABrokenMemberCannotBeChosen) {
  TIniFile((Area("sv0003") / "001" / "qvacc.ini").string()).WriteInteger("DATASTS", "STATUS", 10);
  std::vector<std::string> lines;
  std::string caption;
  const int result = Run([&](TServerSentakuBox& box) {
    GoTo(box, "Z:/Zivodarorer/sv0003");
    uitest::ModalScript refusal({[&](TForm& m) {
      auto& mb = dynamic_cast<TMessageBox&>(m);
      caption = mb.Caption();
      lines = mb.Lines();
      uitest::Click(mb.btnOK);
    }});
    uitest::Key(Qt::Key_F12);
    EXPECT_EQ(box.ModalResult(), mrNone);
  });
  EXPECT_EQ(result, mrCancel);
  EXPECT_EQ(caption, "選択データの状態");
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[1], "　Z:/Zivodarorer/sv0003/001");
}

TEST_F(ServerSentakuSharedServerOps, F2TwiceCopiesAnAreaAfterTheComparison) {
  // Area 2 onto area 1: fewer journal entries than the target has, not agreed.
  std::vector<std::string> lines;
  const std::string before1 = ReadAll(Area("sv0001") / "qvacc.ini");
  Run([&](TServerSentakuBox& box) {
    // Esc ends a pending copy and leaves the dialog open.
    GoTo(box, "Z:/Zivodarorer/sv0002");
    uitest::Key(Qt::Key_F2);
    EXPECT_EQ(Status(Area("sv0002")), 6);
    uitest::Key(Qt::Key_Escape);
    EXPECT_EQ(Status(Area("sv0002")), 1);
    EXPECT_EQ(box.ModalResult(), mrNone);
    EXPECT_FALSE(box.CopyPending);
    uitest::Key(Qt::Key_F2);
    GoTo(box, "Z:/Zivodarorer/sv0001");
    auto no = Answer(false, &lines);
    uitest::Key(Qt::Key_F2);
  });
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], "仕訳件数(修正・削除仕訳含む)が減っています。");
  EXPECT_EQ(lines[1], "　【貼り付け元】：10 件");
  EXPECT_EQ(lines[2], "　【貼り付け先】：30 件");
  EXPECT_EQ(ReadAll(Area("sv0001") / "qvacc.ini"), before1);
  EXPECT_EQ(Status(Area("sv0002")), 1);

  // Area 1 onto area 2: no differences to agree to.
  std::string name;
  Run([&](TServerSentakuBox& box) {
    GoTo(box, "Z:/Zivodarorer/sv0001");
    uitest::Key(Qt::Key_F2);
    EXPECT_EQ(Status(Area("sv0001")), 6);
    GoTo(box, "Z:/Zivodarorer/sv0002");
    uitest::Key(Qt::Key_F2);
    name = box.PerfectGrid1->CellText(kSvColName, box.PerfectGrid1->Row());
  });
  EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
  EXPECT_EQ(name, "共有一～コピー");
  EXPECT_EQ(ReadAll(Area("sv0002") / "qvacc.fdb"), ReadAll(Area("sv0001") / "qvacc.fdb"));
  EXPECT_EQ(TIniFile((Area("sv0002") / "qvacc.ini").string()).ReadString("DATAINFO", "DATALISTNAME", ""), "共有一～コピー");
  EXPECT_EQ(Status(Area("sv0001")), 1);
  EXPECT_EQ(Status(Area("sv0002")), 1);
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM SERVERDATALIST WHERE PASNAME='Z:/Zivodarorer/sv0002' AND ENTTEXT='共有一～コピー'"), 1);
}

TEST_F(ServerSentakuSharedServerOps, CombinedDataBringsItsMembersUnderTheTarget) {
  std::vector<std::string> folders;
  Run([&](TServerSentakuBox& box) {
    GoTo(box, "Z:/Zivodarorer/sv0003");
    uitest::Key(Qt::Key_F2);
    GoTo(box, "Z:/Zivodarorer/sv0001");
    auto agree = Answer(true);  // fewer journal entries than the target had
    uitest::Key(Qt::Key_F2);
    folders = Column(*box.PerfectGrid1, kSvColFolder);
  });
  EXPECT_TRUE(fs::exists(Area("sv0001") / "001" / "qvacc.fdb"));
  EXPECT_TRUE(fs::exists(Area("sv0003") / "001" / "qvacc.fdb")) << "the source keeps its member";
  EXPECT_EQ(folders, (std::vector<std::string>{"Z:/Zivodarorer/sv0001", "Z:/Zivodarorer/sv0001/001", "Z:/Zivodarorer/sv0002",
                                               "Z:/Zivodarorer/sv0003", "Z:/Zivodarorer/sv0003/001"}));
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM CHILD_SERVERDATALIST WHERE PASNAME='Z:/Zivodarorer/sv0001/001'"), 1);
  EXPECT_EQ(TIniFile((Area("sv0001") / "qvacc.ini").string()).ReadString("DATAINFO", "DATALISTNAME", ""), "合算本体～コピー");
}

TEST_F(ServerSentakuSharedServerOps, AFailedCopyLeavesTheTargetAsItWas) {
  const std::string ini = ReadAll(Area("sv0002") / "qvacc.ini");
  Run([&](TServerSentakuBox& box) {
    box.CopyFiles = [](const std::string&, const std::string&) { return false; };
    GoTo(box, "Z:/Zivodarorer/sv0001");
    uitest::Key(Qt::Key_F2);
    GoTo(box, "Z:/Zivodarorer/sv0002");
    uitest::Key(Qt::Key_F2);
  });
  EXPECT_TRUE(ui_.Shown("データのコピーに失敗しました。"));
  EXPECT_EQ(ReadAll(Area("sv0002") / "qvacc.ini"), ini) << "status 1 again, nothing else rewritten";
  EXPECT_EQ(Status(Area("sv0001")), 1);
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM SERVERDATALIST WHERE PASNAME='Z:/Zivodarorer/sv0002' AND ENTTEXT='共有二'"), 1);
}

TEST_F(ServerSentakuSharedServerOps, F5DeletesAnAreaAndF12ChoosesOne) {
  std::vector<std::string> lines;
  TServerSentakuBox* box = nullptr;
  const int result = Run(
      [&](TServerSentakuBox& b) {
        GoTo(b, "Z:/Zivodarorer/sv0002");
        auto yes = Answer(true, &lines);
        uitest::Key(Qt::Key_F5);
        uitest::ShowActive(b);
        GoTo(b, "Z:/Zivodarorer/sv0001");
        uitest::Key(Qt::Key_F12);
      },
      &box);
  ASSERT_GE(lines.size(), 8u);
  EXPECT_EQ(lines[7], "　Z:/Zivodarorer/sv0002");
  EXPECT_FALSE(fs::exists(Area("sv0002")));
  EXPECT_TRUE(fs::exists(Area("sv0001") / "qvacc.fdb"));
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM SERVERDATALIST WHERE PASNAME='Z:/Zivodarorer/sv0002'"), 0);
  EXPECT_EQ(result, mrOk);
  EXPECT_EQ(box->SelectedPath, "Z:/Zivodarorer/sv0001");
  EXPECT_EQ(box->SelectedName, "共有一");
  EXPECT_EQ(box->DriveLetter, "Z");
  box->Free();
}

}  // namespace
