// The report colour dialog and the print options dialog on a fixture system database, driven
// as a user would: the custom colours kept per operator, the environment colours in SYSDEF,
// the report's STYLECOLOR row with its -1 colours and option keys, the start page, and the
// style name. Pictures: ui_prncolorset.png, ui_printdlg.png.
#include <QApplication>
#include <QColorDialog>
#include <QTimer>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <string>

#include "UiTestSupport.h"
#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccRecord.h"
#include "fixtures/FixtureDb.h"
#include "fixtures/Installation.h"
#include "support/DataModuleTestBase.h"
#include "ui/z5PrintDlg.h"
#include "ui/z5PrnColorSet.h"

using namespace forms;

namespace {

constexpr TColor kEnvLine1 = 0x7900, kEnvLine2 = 0x7901, kEnvNet1 = 0xD7FFD7, kEnvNet2 = 0xD7FFD8;

class PrintDialogsBase : public DataModuleTestBase {
 protected:
  void SetUp() override {
    DataModuleTestBase::SetUp();
    fixtures::LogOnLocally(*inst_);
    ResetDbErrorTerminating();
    env_ = std::make_unique<fixtures::InstallationEnv>(*inst_);
    CreateDataModule();
    ASSERT_TRUE(DM->fnAccDefConnected("", true));
    // An operator of his own per test: no rows from earlier tests.
    static int nextOperator = 300;
    SystemDef.OpCode = ++nextOperator;
    SystemDef.LogonId = fixtures::Installation::LogonId(SystemDef.OpCode);
    ASSERT_TRUE(DM->fnGetSysDef());  // the operator's SYSDEF row
    SystemDef.PLineColor1 = kEnvLine1;
    SystemDef.PLineColor2 = kEnvLine2;
    SystemDef.NetColor1 = kEnvNet1;
    SystemDef.NetColor2 = kEnvNet2;
    for (int i = 0; i < 16; ++i) QColorDialog::setCustomColor(i, Qt::black);
    stored0_ = Sys("SELECT PLINECOLOR1 FROM SYSDEF WHERE OPCODE = " + std::to_string(SystemDef.LogonId));
  }
  void TearDown() override {
    FreeDataModule();
    env_.reset();
    ResetDbErrorTerminating();
    DataModuleTestBase::TearDown();
  }

  static std::string Where(const std::string& style) {
    return " FROM STYLECOLOR WHERE OPCODE = " + std::to_string(SystemDef.LogonId) + " AND STYLENAME = '" + style + "'";
  }
  static int64_t Sys(const std::string& sql) { return Scalar(inst_->SystemDbFile(), sql); }
  static std::string Text(const std::string& sql) {
    fixtures::DbSession s(inst_->SystemDbFile());
    TIBSQL q;
    s.Prepare(q, sql);
    q.ExecQuery();
    std::string t = q.Eof() ? "<none>" : q.FieldByName("T").AsString();
    q.Close();
    return t;
  }
  static void Exec(const std::string& sql) {
    fixtures::DbSession s(inst_->SystemDbFile());
    s.Exec(sql);
    s.Commit();
  }
  static std::string ErrorLog() {
    std::ifstream in(inst_->LogDir() / "ErrFbAccess.log", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // Answers the next colour dialog with `colour` (or cancels it), as a user picking a colour.
  static void AnswerColourDialog(QColor colour, bool ok = true) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, colour, ok] {
      auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      timer->stop();
      timer->deleteLater();
      dialog->setCurrentColor(colour);
      if (ok) dialog->accept();
      else dialog->reject();
    });
    timer->start(20);
  }

  std::unique_ptr<fixtures::InstallationEnv> env_;
  int64_t stored0_ = 0;  // the operator's stored frame-line colour at the start
};

// ---------------------------------------------------------------------------------------
// The report colour dialog

class ReportColours : public PrintDialogsBase {};

TEST_F(ReportColours, PaletteWhiteWithoutAStoredOneAndStoredOnCancel) {
  auto* box = CreateForm<TPrnColorSetBox>(nullptr);
  box->Setup(1);
  std::string palette;
  uitest::ModalScript script({[&](TForm& f) {
    for (int i = 0; i < 16; ++i) EXPECT_EQ(QColorDialog::customColor(i), QColor(Qt::white)) << i;
    // A custom colour defined during this visit; then the user cancels.
    QColorDialog::setCustomColor(2, QColor(255, 0, 0));
    EXPECT_TRUE(f.grab().toImage().save("ui_prncolorset.png"));
    uitest::Click(box->btnCancel);
  }});
  EXPECT_EQ(box->ShowModal(), mrCancel);
  EXPECT_FALSE(script.WatchdogFired());
  box->Free();
  const std::string stored = Text("SELECT SSTR AS T" + Where("Pallet_CustomColor"));
  EXPECT_EQ(stored,
            "ColorA=FFFFFF\rColorB=FFFFFF\rColorC=0000FF\rColorD=FFFFFF\rColorE=FFFFFF\rColorF=FFFFFF\r"
            "ColorG=FFFFFF\rColorH=FFFFFF\rColorI=FFFFFF\rColorJ=FFFFFF\rColorK=FFFFFF\rColorL=FFFFFF\r"
            "ColorM=FFFFFF\rColorN=FFFFFF\rColorO=FFFFFF\rColorP=FFFFFF\r")
      << "red is 0000FF in the stored byte order";
  EXPECT_EQ(Sys("SELECT PLINECOLOR1 FROM SYSDEF WHERE OPCODE = " + std::to_string(SystemDef.LogonId)), stored0_)
      << "Cancel leaves the environment alone";

  // The next visit starts from the stored palette.
  for (int i = 0; i < 16; ++i) QColorDialog::setCustomColor(i, Qt::black);
  box = CreateForm<TPrnColorSetBox>(nullptr);
  box->Setup(1);
  EXPECT_EQ(QColorDialog::customColor(2), QColor(255, 0, 0));
  EXPECT_EQ(QColorDialog::customColor(3), QColor(Qt::white));
  box->Free();
}

TEST_F(ReportColours, EnvironmentModeWritesSysdefReportModeOnlyAnswers) {
  struct Case {
    int reportColours;
    bool linkShown;
    bool environmentChanged;
  } cases[] = {{1, true, false}, {0, false, true}};  // report mode first: SYSDEF as it was
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reportColours);
    SystemDef.PLineColor1 = kEnvLine1;
    auto* box = CreateForm<TPrnColorSetBox>(nullptr);
    box->ReportColours = c.reportColours;
    box->SetLineColor1(0x123456);
    box->Setup(1);
    bool linkShown = !c.linkShown;
    uitest::ModalScript script({[&](TForm&) {
      linkShown = box->lblKankyoColor->isVisible();
      AnswerColourDialog(QColor(0x11, 0x22, 0x33));  // $00332211
      uitest::Click(box->btnNetColor2);
      uitest::Click(box->btnOK);
    }});
    EXPECT_EQ(box->ShowModal(), mrOk);
    EXPECT_FALSE(script.WatchdogFired());
    EXPECT_EQ(linkShown, c.linkShown);
    EXPECT_EQ(box->LineColor1, 0x123456);
    EXPECT_EQ(box->NetColor2, 0x332211);
    box->Free();
    const std::string row = " FROM SYSDEF WHERE OPCODE = " + std::to_string(SystemDef.LogonId);
    if (c.environmentChanged) {
      EXPECT_EQ(SystemDef.PLineColor1, 0x123456);
      EXPECT_EQ(SystemDef.NetColor2, 0x332211);
      EXPECT_EQ(Sys("SELECT PLINECOLOR1" + row), 0x123456);
      EXPECT_EQ(Sys("SELECT NETCOLOR2" + row), 0x332211);
    } else {
      EXPECT_EQ(SystemDef.PLineColor1, kEnvLine1);
      EXPECT_EQ(Sys("SELECT PLINECOLOR1" + row), stored0_) << "report mode writes no SYSDEF";
      EXPECT_NE(Sys("SELECT NETCOLOR2" + row), 0x332211);
    }
  }
}

TEST_F(ReportColours, ResetToTheEnvironmentAnsweredNoThenYes) {
  auto* box = CreateForm<TPrnColorSetBox>(nullptr);
  box->ReportColours = 1;
  box->SetLineColor1(0x010101);
  box->SetLineColor2(0x020202);
  box->SetNetColor1(0x030303);
  box->SetNetColor2(0x040404);
  box->Setup(1);
  ScriptedUi& ui = ui_;
  ui.messageAnswers = {uis::mrNo, uis::mrYes};
  TColor afterNo = 0;
  uitest::ModalScript script({[&](TForm&) {
    uitest::Click(box->lblKankyoColor);
    afterNo = box->pnlLineColor1->Color();
    uitest::Click(box->lblKankyoColor);
    uitest::Click(box->btnOK);
  }});
  EXPECT_EQ(box->ShowModal(), mrOk);
  EXPECT_FALSE(script.WatchdogFired());
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].kind, uis::MsgKind::Confirmation);
  EXPECT_EQ(ui.messages[0].buttons, uis::Buttons::YesNo);
  EXPECT_EQ(ui.MessageText(0), "帳票の色を環境設定の色に戻します。\nよろしいですか？");
  EXPECT_EQ(afterNo, 0x010101) << "No changes nothing";
  EXPECT_EQ(box->LineColor1, kEnvLine1);
  EXPECT_EQ(box->LineColor2, kEnvLine2);
  EXPECT_EQ(box->NetColor1, kEnvNet1);
  EXPECT_EQ(box->NetColor2, kEnvNet2);
  EXPECT_EQ(box->lblKankyoColor->Font().Color, clPurple);
  box->Free();
}

// ---------------------------------------------------------------------------------------
// The print options dialog

class PrintOptions : public PrintDialogsBase {
 protected:
  // A dialog on `rec` with the report row stored; the steps run while it is shown.
  int Run(TDefaultPrintRec& rec, bool showColour, bool showStart, const std::function<void(TPrintDlgBox&)>& step,
          uint8_t* result = nullptr) {
    auto* dlg = CreateForm<TPrintDlgBox>(nullptr);
    dlg->StyleStorage = true;
    dlg->Rec = &rec;
    dlg->CaptionText = "科目情報の印刷";
    dlg->Message = "科目情報を印刷します。";
    dlg->ShowColor = showColour;
    dlg->ShowStartPage = showStart;
    dlg->ShowPreview = true;
    dlg->Setup(1);
    uitest::ModalScript script({[&](TForm&) { step(*dlg); }});
    const int modal = dlg->ShowModal();
    EXPECT_FALSE(script.WatchdogFired());
    if (result) *result = dlg->Result;
    dlg->Free();
    return modal;
  }
  static TDefaultPrintRec Rec(const std::string& name = "KamokuList") {
    TDefaultPrintRec rec;
    SetDefaultPrintRec(rec);
    rec.Name = name;
    return rec;
  }
};

TEST_F(PrintOptions, StyleNameIsCutAtFortyBytesWithoutHalfACharacter) {
  struct Case {
    const char* name;
    const char* style;
  } cases[] = {
      {"DataSentakuList", "020-DATASENTAKULIST"},
      {"kamoku帳票a", "020-KAMOKU帳票A"},
      // 4 + 35 bytes, then a double-byte character across byte 40: a blank, trimmed away.
      {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaあ", "020-AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"},
      {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaあい", "020-AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAあ"},
      {"x ", "020-X"},
  };
  for (const Case& c : cases) EXPECT_EQ(MakeStyleName(c.name), c.style) << c.name;
}

TEST_F(PrintOptions, StartPageTypedIntoTheDialog) {
  struct Case {
    const char* typed;
    int32_t page;
    uint8_t result;
  } cases[] = {{"abc", 1, 1}, {"0", 1, 1}, {"-3", -3, 2}, {"12", 12, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    TDefaultPrintRec rec = Rec();
    uint8_t result = 0;
    const int modal = Run(rec, false, true, [&](TPrintDlgBox& d) {
      d.txtStartPage->SetText(c.typed);
      uitest::Click(c.result == 1 ? d.btnOK : d.btnPreview);
    }, &result);
    EXPECT_EQ(modal, mrOk);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(rec.StartPage, c.page);
  }
}

TEST_F(PrintOptions, EnvironmentColoursStoredAsMinusOneFollowTheEnvironment) {
  TDefaultPrintRec rec = Rec();
  rec.LineColor2 = 0x445566;  // the report's own
  Run(rec, true, true, [](TPrintDlgBox& d) { uitest::Click(d.btnOK); });
  const std::string w = Where("020-KAMOKULIST");
  EXPECT_EQ(Sys("SELECT LINECOLOR1" + w), -1);
  EXPECT_EQ(Sys("SELECT LINECOLOR2" + w), 0x445566);
  EXPECT_EQ(Sys("SELECT LINECOLOR3 + LINECOLOR4 + LINECOLOR5" + w), -3);
  EXPECT_EQ(Sys("SELECT NETCOLOR1" + w), -1);
  EXPECT_EQ(Sys("SELECT NETCOLOR2" + w), -1);

  // The environment changes; the report follows it where it stored -1.
  SystemDef.PLineColor1 = 0x0000AA;
  TDefaultPrintRec again = Rec();
  Run(again, true, true, [](TPrintDlgBox& d) { uitest::Click(d.btnCancel); });
  EXPECT_EQ(again.LineColor1, 0x0000AA);
  EXPECT_EQ(again.LineColor2, 0x445566);
  EXPECT_EQ(again.NetColor1, kEnvNet1);
}

TEST_F(PrintOptions, ColourKeyOnlyWithTheColourOptionsAndCancelStillWrites) {
  const std::string w = Where("020-KAMOKULIST");
  Exec("INSERT INTO STYLECOLOR (OPCODE, STYLENAME, SSTR) VALUES (" + std::to_string(SystemDef.LogonId) +
       ", '020-KAMOKULIST', 'C010=1' || ASCII_CHAR(13) || ASCII_CHAR(10))");
  struct Case {
    bool showColour;
    bool checked;
    const char* stored;  // after OK
  } cases[] = {{false, false, ""}, {true, true, "C010=1\r\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.showColour);
    Exec("UPDATE STYLECOLOR SET SSTR = 'C010=1' || ASCII_CHAR(13) || ASCII_CHAR(10)" + w.substr(w.find(" WHERE")));
    TDefaultPrintRec rec = Rec();
    bool checked = !c.checked;
    Run(rec, c.showColour, false, [&](TPrintDlgBox& d) {
      checked = d.btnColor->Checked();
      uitest::Click(d.btnOK);
    });
    EXPECT_EQ(checked, c.checked);
    EXPECT_EQ(rec.ColorMode, c.checked ? 1 : 0);
    EXPECT_EQ(Text("SELECT SSTR AS T" + w), c.stored);
  }

  // Cancel writes the row with what the record holds at that moment.
  Exec("DELETE" + w);
  TDefaultPrintRec rec = Rec();
  Run(rec, true, false, [&](TPrintDlgBox& d) {
    rec.NetColor1 = 0x0A0B0C;
    rec.Settings = "C010=1\r\n";
    QImage shot = d.grab().toImage();
    EXPECT_TRUE(shot.save("ui_printdlg.png"));
    uitest::Click(d.btnCancel);
  });
  EXPECT_EQ(Sys("SELECT NETCOLOR1" + w), 0x0A0B0C);
  EXPECT_EQ(Text("SELECT SSTR AS T" + w), "C010=1\r\n");
}

TEST_F(PrintOptions, OddStoredTextsAndAnEmptyNameKeepTheDefaults) {
  const std::string w = Where("020-KAMOKULIST");
  Exec("INSERT INTO STYLECOLOR (OPCODE, STYLENAME, LINECOLOR1, SSTR) VALUES (" + std::to_string(SystemDef.LogonId) +
       ", '020-KAMOKULIST', -1, 'C010=yes' || ASCII_CHAR(13) || 'C020' || ASCII_CHAR(10) || '=1')");
  TDefaultPrintRec rec = Rec();
  bool colour = true;
  Run(rec, true, false, [&](TPrintDlgBox& d) {
    colour = d.btnColor->Checked();
    uitest::Click(d.btnCancel);
  });
  EXPECT_FALSE(colour);
  EXPECT_EQ(rec.ColorMode, 0);
  EXPECT_FALSE(rec.BothSides);
  EXPECT_EQ(rec.LineColor1, kEnvLine1);

  const std::string all = "SELECT COUNT(*) FROM STYLECOLOR WHERE OPCODE = " + std::to_string(SystemDef.LogonId);
  const int64_t before = Sys(all);
  TDefaultPrintRec unnamed = Rec("");
  Run(unnamed, true, true, [](TPrintDlgBox& d) { uitest::Click(d.btnOK); });
  EXPECT_EQ(Sys(all), before) << "an empty name is never stored";
}

TEST_F(PrintOptions, AFailedWriteIsReportedUnderItsOwnNameAndAnswersFalse) {
  auto* dlg = CreateForm<TPrintDlgBox>(nullptr);
  TDefaultPrintRec rec = Rec();
  dlg->StyleStorage = true;
  dlg->Rec = &rec;
  EXPECT_TRUE(dlg->PutStyleColorRec());
  rec.Settings = std::string(5000, 'x');  // longer than the column holds
  EXPECT_FALSE(dlg->PutStyleColorRec());
  EXPECT_NE(ErrorLog().find("TPrintDlgBox.PutStyleColorRec"), std::string::npos);
  EXPECT_TRUE(ui_.Shown("ユーザー別帳票色情報の更新に失敗しました。"));
  EXPECT_FALSE(DM->IBTransactionDEF.InTransaction()) << "the failed write is rolled back";
  rec.Name.clear();
  EXPECT_TRUE(dlg->PutStyleColorRec()) << "nothing to store is no failure";
  dlg->Free();
}

}  // namespace
