// The logged-on user list run as its callers run it, through the module registry, over the
// logon table of a fixture installation, and driven as a user would. Picture:
// comm_loggedonusers.png.
#include <gtest/gtest.h>

#include <QImage>
#include <QPointer>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "comm/WebMenuL.h"
#include "data/DbErrorReport.h"
#include "data/uAccRecordHooks.h"
#include "fixtures/FixtureDb.h"
#include "fixtures/Installation.h"
#include "selection/z5Kidou.h"
#include "support/DataModuleTestBase.h"
#include "support/ScratchDb.h"
#include "ui/PerfectGrid.h"
#include "ui/UiTestSupport.h"

using namespace forms;

namespace {

// One row of the logon table: the operator's group, operator code and logon id.
struct Logon {
  int group;
  int opCode;
  int logonId;
};

constexpr int kGroup = fixtures::Installation::kGroupId;
const Logon kOwn{kGroup, 11, fixtures::Installation::LogonId(11)};            // 担当者, this session
const Logon kAdmin{kGroup, 10, fixtures::Installation::LogonId(10)};          // 管理者
const Logon kNoOperatorRow{kGroup, 12, fixtures::Installation::LogonId(12)};  // not in OPERATOR

// What the grid shows, one "No|code|name" text per row.
std::vector<std::string> GridRows(const TPerfectGrid& grid) {
  std::vector<std::string> rows;
  for (int r = 0; r < grid.Rows(); ++r) {
    rows.push_back(grid.CellText(TfmWebMenuL::kColNo, r) + "|" + grid.CellText(TfmWebMenuL::kColCode, r) + "|" +
                   grid.CellText(TfmWebMenuL::kColName, r));
  }
  return rows;
}

class LoggedOnUsers : public DataModuleTestBase {
 protected:
  void SetUp() override {
    DataModuleTestBase::SetUp();
    fixtures::LogOnLocally(*inst_);
    ResetDbErrorTerminating();
    env_ = std::make_unique<fixtures::InstallationEnv>(*inst_);
    CreateDataModule();
    ASSERT_TRUE(DM->fnAccDefConnected("", true));
    ASSERT_TRUE(DM->fnGetSysDef());  // the operator's colours, as after a logon
    RegisterWebMenuL();
  }
  void TearDown() override {
    MenuHook = nullptr;
    FreeDataModule();
    env_.reset();
    ResetDbErrorTerminating();
    uitest::Pump();  // forms released by their close go now
    DataModuleTestBase::TearDown();
  }

  // The logon table holds exactly these rows, in this order.
  static void SetLogons(const std::vector<Logon>& logons) {
    fixtures::DbSession s(inst_->SystemDbFile());
    s.Exec("DELETE FROM LOGONUSERLIST");
    for (const Logon& l : logons) {
      s.Exec("INSERT INTO LOGONUSERLIST (GROUPID, OPCODE, OPERATORCODE, PCNAME) VALUES (" + std::to_string(l.group) +
             ", " + std::to_string(l.logonId) + ", " + std::to_string(l.opCode) + ", 'PC" + std::to_string(l.opCode) +
             "')");
    }
    s.Commit();
  }

  // Runs the module modally as a caller does; `whileShown` runs inside the modal loop once the
  // list is on the screen (it must close it). `shown` tells whether it ever got there.
  int Run(const std::function<void(TfmWebMenuL&)>& whileShown, bool& shown) {
    shown = false;
    uitest::ModalScript script({[&](TForm& f) {
      shown = true;
      whileShown(dynamic_cast<TfmWebMenuL&>(f));
    }});
    const int result = RunSyoriModule("WebMenuL", 1, "");
    EXPECT_FALSE(script.WatchdogFired());
    return result;
  }

  std::unique_ptr<fixtures::InstallationEnv> env_;
};

TEST_F(LoggedOnUsers, NobodyElseLoggedOnClosesAtOnceWithResult0) {
  const std::vector<std::vector<Logon>> cases = {{kOwn}, {}};
  for (const auto& logons : cases) {
    SCOPED_TRACE(logons.size());
    SetLogons(logons);
    bool shown = false;
    bool closedItself = false;
    EXPECT_EQ(Run(
                  [&](TfmWebMenuL& box) {
                    uitest::Pump();
                    closedItself = box.ModalResult() != mrNone;
                    if (!closedItself) uitest::Key(Qt::Key_F12);
                  },
                  shown),
              0);
    EXPECT_TRUE(!shown || closedItself) << "the list closes by itself";
    EXPECT_TRUE(ui_.messages.empty());
  }
}

TEST_F(LoggedOnUsers, OthersAreListedAndF12ClosesWithResult1) {
  // Our own logon is left out; an operator without an OPERATOR row has no name.
  SetLogons({kAdmin, kOwn, kNoOperatorRow});
  bool shown = false;
  std::vector<std::string> rows;
  std::string caption;
  std::vector<std::string> hint;
  QImage shot;
  const int result = Run(
      [&](TfmWebMenuL& box) {
        rows = GridRows(*box.PerfectGrid1);
        caption = box.Caption();
        hint = box.HintArea->Lines();
        shot = box.grab().toImage();
        uitest::Key(Qt::Key_F12);
      },
      shown);
  EXPECT_TRUE(shown);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(rows, (std::vector<std::string>{"1|10|管理者", "2|12|"}));
  EXPECT_EQ(caption, "ログインユーザー");
  ASSERT_EQ(hint.size(), 4u);
  EXPECT_EQ(hint[0], "他のオペレーターがTallix財務を利用中のため、バ");
  EXPECT_TRUE(ui_.messages.empty());
  ASSERT_FALSE(shot.isNull());
  EXPECT_TRUE(shot.save(QStringLiteral("comm_loggedonusers.png")));
}

TEST_F(LoggedOnUsers, OnlyF12AndTheCloseBoxEndTheList) {
  SetLogons({kOwn, kAdmin});
  struct Case {
    const char* name;
    std::function<void(TfmWebMenuL&)> act;
  } cases[] = {
      {"F12 key", [](TfmWebMenuL&) { uitest::Key(Qt::Key_F12); }},
      {"F12 button", [](TfmWebMenuL& box) { uitest::Click(box.F12); }},
      {"close box", [](TfmWebMenuL& box) { box.close(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    bool shown = false;
    bool openAfterEscAndF1 = false;
    const int result = Run(
        [&](TfmWebMenuL& box) {
          uitest::Key(Qt::Key_Escape);
          uitest::Key(Qt::Key_F1);
          uitest::Pump();
          openAfterEscAndF1 = box.isVisible() && box.ModalResult() == mrNone;
          c.act(box);
        },
        shown);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(openAfterEscAndF1) << "Esc and F1 do nothing";
    EXPECT_EQ(result, 1) << "the result says that others are logged on, however the list was closed";
  }
}

TEST_F(LoggedOnUsers, ListsEveryOtherLogonWhateverTheirNumber) {
  // More than the 99 entries a fixed table would have held.
  std::vector<Logon> logons{kOwn};
  for (int op = 100; op < 220; ++op) logons.push_back({kGroup, op, fixtures::Installation::LogonId(op)});
  SetLogons(logons);
  bool shown = false;
  std::vector<std::string> rows;
  EXPECT_EQ(Run(
                [&](TfmWebMenuL& box) {
                  rows = GridRows(*box.PerfectGrid1);
                  uitest::Key(Qt::Key_F12);
                },
                shown),
            1);
  ASSERT_EQ(rows.size(), 120u);
  EXPECT_EQ(rows.front(), "1|100|");
  EXPECT_EQ(rows.back(), "120|219|");
}

TEST_F(LoggedOnUsers, EachFormCountsForItselfAndEndsOnlyTheTransactionItStarted) {
  SetLogons({kAdmin, kOwn, kNoOperatorRow});
  TIBTransaction& tr = DM->IBTransactionDEF;
  for (bool callerHasOne : {false, true}) {
    SCOPED_TRACE(callerHasOne ? "caller's transaction open" : "no transaction open");
    if (callerHasOne) tr.StartTransaction();
    for (int i = 0; i < 2; ++i) {
      auto* box = CreateForm<TfmWebMenuL>(nullptr);
      EXPECT_TRUE(box->FCreatedOK);
      EXPECT_EQ(box->UserCount, 2) << "form " << i + 1;
      ASSERT_EQ(box->LoginUsers.size(), 2u);
      EXPECT_EQ(box->LoginUsers[0].OpName, "管理者");
      EXPECT_EQ(box->LoginUsers[1].GroupId, kGroup);
      EXPECT_EQ(tr.InTransaction(), callerHasOne);
      box->Free();
    }
    if (tr.InTransaction()) tr.Commit();
  }
}

TEST_F(LoggedOnUsers, ParametersSetTheKindAndTheWindowStyle) {
  struct Case {
    std::vector<std::string> params;
    TFormStyle style;
    int32_t syoriType;
  } cases[] = {
      {{}, fsMDIChild, 0},
      {{"SyoriType=3", "FormStyle=0"}, fsMDIChild, 3},
      {{"formstyle=1", "SyoriType=-1"}, fsMDIForm, 0},
      {{"FormStyle=2", "SyoriType=x"}, fsNormal, 0},
      {{"FormStyle=7"}, fsStayOnTop, 0},
      {{"FormStyle=abc"}, fsMDIChild, 0},
  };
  SetLogons({kOwn});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.params.empty() ? "" : c.params[0]);
    auto* box = CreateForm<TfmWebMenuL>(nullptr);
    box->SetFormStyle(fsNormal);
    box->SetParams(c.params);
    EXPECT_EQ(box->FormStyle(), c.style);
    EXPECT_EQ(box->SyoriType, c.syoriType);
    EXPECT_EQ(box->ParamList, c.params);
    box->Free();
  }
}

TEST_F(LoggedOnUsers, ModelessRunShowsTheListAndReturns1) {
  for (bool others : {true, false}) {
    SCOPED_TRACE(others ? "others" : "nobody else");
    SetLogons(others ? std::vector<Logon>{kOwn, kAdmin} : std::vector<Logon>{kOwn});
    QPointer<TForm> form(CreateSyoriForm("WebMenuL"));
    ASSERT_TRUE(form);
    auto* box = dynamic_cast<TfmWebMenuL*>(form.data());
    box->SetParams({"FormStyle=0"});
    EXPECT_EQ(box->Execute(false), 1);
    uitest::Pump();
    if (others) {
      ASSERT_TRUE(form);
      EXPECT_TRUE(box->isVisible());
      EXPECT_EQ(GridRows(*box->PerfectGrid1), (std::vector<std::string>{"1|10|管理者"}));
      uitest::ShowActive(*box);
      uitest::Key(Qt::Key_F12);
      uitest::Pump();
    }
    EXPECT_FALSE(form) << "the list closed and freed itself";
  }
}

TEST_F(LoggedOnUsers, OtherOpenWindowsRefuseTheListButTheResultStillTells) {
  MenuHook = [](int32_t code, const std::string&) { return code == 10 ? 1 : 0; };
  for (bool others : {true, false}) {
    SCOPED_TRACE(others ? "others" : "nobody else");
    ui_.messages.clear();
    SetLogons(others ? std::vector<Logon>{kOwn, kAdmin} : std::vector<Logon>{kOwn});
    bool shown = false;
    EXPECT_EQ(Run([](TfmWebMenuL&) { uitest::Key(Qt::Key_F12); }, shown), others ? 1 : 0);
    EXPECT_FALSE(shown);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].kind, uis::MsgKind::Warning);
    EXPECT_EQ(ui_.MessageText(0), "メニュー以外の処理が開いています。\n全ての処理を閉じてから処理を実行してください。");
  }
}

TEST_F(LoggedOnUsers, ADatabaseErrorIsReportedAndTheListIsNotShown) {
  // A system connection to a database without the logon table.
  ScratchDb other;
  Open(DM->IBDatabaseDEF, other.db.DatabaseName);
  bool shown = false;
  EXPECT_EQ(Run([](TfmWebMenuL&) { uitest::Key(Qt::Key_F12); }, shown), 0);
  EXPECT_FALSE(shown);
  EXPECT_FALSE(DM->IBTransactionDEF.InTransaction()) << "the loading ended the transaction it started";
  ASSERT_GE(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[0].lines.at(0), "ログインユーザーリストの取得に失敗しました。");
  EXPECT_TRUE(ui_.Shown("Table unknown"));
  EXPECT_EQ(ui_.messages.back().kind, uis::MsgKind::Error);
  EXPECT_EQ(ui_.MessageText(ui_.messages.size() - 1), "ログインユーザー画面の初期化に失敗しました。\n処理を終了します。");
  std::ifstream log(inst_->LogDir() / "ErrFbAccess.log", std::ios::binary);
  std::stringstream text;
  text << log.rdbuf();
  EXPECT_NE(text.str().find("TfmWebMenuL.fnDBConect_OP"), std::string::npos);
}

}  // namespace
