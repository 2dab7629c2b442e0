// The dialog base form over a fixture installation: the saved form size in FORMRSIZE, the
// operation log in OPINF, Esc and F12 by border style, failures that are reported while the
// close completes, the hooks of the main form, long hints and function keys, and the
// position rules. Writes ui_bsdi_screenshot.png for a person to look at.
#include <QApplication>
#include <algorithm>
#include <QPointer>
#include <QWindow>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccRecord.h"
#include "data/uAccRecordHooks.h"
#include "fixtures/FixtureDb.h"
#include "fixtures/Installation.h"
#include "support/DataModuleTestBase.h"
#include "ui/PerfectGrid.h"
#include "ui/SDI.h"
#include "ui/forms/Application.h"
#include "ui/forms/Memo.h"
#include "ui/forms/Panel.h"
#include "ui/xEdit.h"
#include "ui/xPlButton.h"

using namespace forms;

namespace {

// A framework dialog as the Parts build them: an edit, a grid, the hint memo and a key bar.
class TTestBox : public TBSDI {
 public:
  TTestBox(QWidget* owner, TFormBorderStyle style) : TBSDI(owner) {
    SetName("TTestBox");
    SetCaption("テスト画面");
    SetBorderStyle(style);
    SetClientSize(480, 300);
    Edit1 = new TxEdit(this);
    Edit1->SetName("Edit1");
    Edit1->SetBounds(8, 8, 200, 21);
    Edit1->SetHint("会社名|会社名を入力します。\r\n全角で入力して下さい。");
    Grid = new TPerfectGrid(this);
    Grid->SetName("PerfectGrid1");
    Grid->SetBounds(8, 36, 464, 150);
    Grid->SetHint("［ENTER］で選択します。");
    auto* bottom = new TPanel(this);
    bottom->SetName("pnlBottom");
    bottom->SetAlign(alBottom);
    bottom->SetHeight(104);
    HintArea = new TMemo(bottom);
    HintArea->SetName("HintArea");
    HintArea->SetReadOnly(true);
    HintArea->SetBounds(8, 4, 464, 56);
    const char* keys[] = {"ESC", "F1", "F2", "F12"};
    const char* captions[] = {"ESC:ｷｬﾝｾﾙ", "F1:", "F2:コピー", "F12:選択"};
    for (int i = 0; i < 4; ++i) {
      auto* b = new TxPlButton(bottom);
      b->SetName(keys[i]);
      b->CaptionA().SetCaption(captions[i]);
      b->SetHasFocus(false);
      b->SetBounds(8 + i * 90, 66, 84, 30);
      b->OnClick = [this, b](QObject*) {
        if (KeyOffered(b)) clicked.push_back(b->Name());
      };
    }
  }
  void FormCreate(QObject* Sender) override {
    TBSDI::FormCreate(Sender);
    FHintMemo = HintArea;
    FCreatedOK = true;
  }
  void UpdateFunctionKeys() override { ++keyUpdates; }

  TxEdit* Edit1 = nullptr;
  TPerfectGrid* Grid = nullptr;
  TMemo* HintArea = nullptr;
  std::vector<std::string> clicked;
  int keyUpdates = 0;
};

// The screen's pixels per inch for one scope.
class ScopedDpi {
 public:
  explicit ScopedDpi(int dpi) { Screen().SetPixelsPerInch(dpi); }
  ~ScopedDpi() { Screen().SetPixelsPerInch(96); }
};

class BaseForm : public OneCompanyTestBase<fixtures::CompanyPlan::Corporation> {
 protected:
  void SetUp() override {
    OneCompanyTestBase::SetUp();
    SystemDef.HostName = "";
    SystemDef.SysDir = inst_->SysDir().string();
    SystemDef.DataDir = company_->Folder().string();
    SystemDef.GroupId = fixtures::Installation::kGroupId;
    SystemDef.PcName = "PC01";
    SystemDef.FrameHeight = 4;
    SystemDef.Reserved126 = 0;
    ResetDbErrorTerminating();
    env_ = std::make_unique<fixtures::InstallationEnv>(*inst_);
    CreateDataModule();
    ASSERT_TRUE(DM->fnAccDefConnected("", true));
    ASSERT_TRUE(DM->fnAccDatConnected("", company_->Folder().string(), false));
  }
  void TearDown() override {
    MenuHook = nullptr;
    ActivateHook = nullptr;
    FreeDataModule();
    env_.reset();
    ResetDbErrorTerminating();
    DataModuleTestBase::TearDown();
  }

  // An operator of his own per test, so each test starts without saved rows.
  static void UseOperator(int code) {
    SystemDef.OpCode = code;
    SystemDef.LogonId = fixtures::Installation::LogonId(code);
  }
  static std::vector<int64_t> SizeRow(const std::string& form) {
    fixtures::DbSession s(inst_->SystemDbFile());
    const std::string where = " FROM FORMRSIZE WHERE OPCODE = " + std::to_string(SystemDef.LogonId) +
                              " AND FMNAME = '" + form + "'";
    if (s.Scalar("SELECT COUNT(*)" + where) == 0) return {};
    std::vector<int64_t> row;
    for (const char* c : {"FMTOP", "FMLEFT", "FMHEIGHT", "FMWIDTH", "DEFHEIGHT", "DEFWIDTH"}) {
      row.push_back(s.Scalar(std::string("SELECT ") + c + where));
    }
    return row;
  }
  static int64_t SizeRows() {
    return Scalar(inst_->SystemDbFile(), "SELECT COUNT(*) FROM FORMRSIZE WHERE OPCODE = " + std::to_string(SystemDef.LogonId));
  }
  static int64_t LogRows() {
    return Scalar(company_->DbFile(), "SELECT COUNT(*) FROM OPINF WHERE OPCODE = " + std::to_string(SystemDef.LogonId));
  }
  static std::string ErrorLog() {
    std::ifstream in(inst_->LogDir() / "ErrFbAccess.log", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::unique_ptr<fixtures::InstallationEnv> env_;
};

TEST_F(BaseForm, ResizableFormSavesItsSizeAndLogsItsJob) {
  struct Case {
    int dpi;
    int width, height;  // the size of a new row
  };
  const int screenW = Screen().Width(), screenH = Screen().Height();
  // At 96 dpi or less a form never grows beyond the screen; above, the standard size scales.
  const Case cases[] = {{120, 1265, 810}, {96, std::min(1012, screenW), std::min(648, screenH)}};
  int op = 60;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dpi);
    ScopedDpi dpi(c.dpi);
    UseOperator(++op);

    // First show: the row is inserted with the standard size as the default, the job is
    // logged; Esc does not close a resizable form, F12 does; the close stores the geometry.
    auto* box = CreateForm<TTestBox>(nullptr, bsSizeable);
    EXPECT_TRUE(box->FSaveSize && box->FOpLog && box->FRefreshAccInfo);
    std::vector<int64_t> shown;
    int64_t logged = 0;
    bool openAfterEsc = false;
    uitest::ModalScript script({
        [&](TForm& f) {
          shown = SizeRow("TTestBox");
          logged = LogRows();
          uitest::Key(Qt::Key_Escape);
          openAfterEsc = f.Showing();
          f.SetBounds(30, 40, 700, 500);
          uitest::Key(Qt::Key_F12);
        },
    });
    EXPECT_EQ(box->ShowModal(), mrCancel);
    EXPECT_FALSE(script.WatchdogFired());
    EXPECT_EQ(shown, (std::vector<int64_t>{0, 0, c.height, c.width, c.height, c.width}));
    EXPECT_EQ(logged, 1);
    EXPECT_TRUE(openAfterEsc);
    EXPECT_EQ(box->FLastKey, VK_F12);
    EXPECT_EQ(SizeRow("TTestBox"), (std::vector<int64_t>{40, 30, 500, 700, c.height, c.width}));
    EXPECT_EQ(LogRows(), 0) << "closing ends the job's entry";
    QPointer<QWidget> first(box);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull()) << "the form frees itself on close";

    // The next show applies the stored row as it is; a maximized form stores the main
    // form's client area (the work area here) less the frame.
    auto* again = CreateForm<TTestBox>(nullptr, bsSizeable);
    QRect applied;
    uitest::ModalScript script2({
        [&](TForm& f) {
          applied = QRect(f.Left(), f.Top(), f.Width(), f.Height());
          f.SetWindowState(wsMaximized);
          uitest::Key(Qt::Key_F12);
        },
    });
    again->ShowModal();
    EXPECT_EQ(applied, QRect(30, 40, 700, 500));
    const QRect work = Screen().WorkArea();
    EXPECT_EQ(SizeRow("TTestBox"), (std::vector<int64_t>{0, 0, work.height() - 4, work.width() - 4, c.height, c.width}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(BaseForm, FixedBorderDialogKeepsNoSizeNorLogAndClosesOnEsc) {
  UseOperator(70);
  auto* box = CreateForm<TTestBox>(nullptr, bsDialog);
  EXPECT_FALSE(box->FSaveSize || box->FOpLog || box->FRefreshAccInfo || box->FSkipOpenCheck || box->FActivateHook);
  const QSize client(box->ClientWidth(), box->ClientHeight());
  bool openAfterF12 = false, openAfterShiftEsc = false;
  int lastKeyAfterShiftEsc = 0;
  uitest::ModalScript script({
      [&](TForm& f) {
        uitest::Key(Qt::Key_F12);
        openAfterF12 = f.Showing();
        uitest::Key(Qt::Key_Escape, Qt::ShiftModifier);
        openAfterShiftEsc = f.Showing();
        lastKeyAfterShiftEsc = static_cast<TTestBox&>(f).FLastKey;
        uitest::Key(Qt::Key_Escape);
      },
  });
  EXPECT_EQ(box->ShowModal(), mrCancel);
  EXPECT_FALSE(script.WatchdogFired());
  EXPECT_TRUE(openAfterF12);
  EXPECT_TRUE(openAfterShiftEsc);
  EXPECT_EQ(lastKeyAfterShiftEsc, VK_F12) << "a key with a modifier is not remembered";
  EXPECT_EQ(QSize(box->ClientWidth(), box->ClientHeight()), client) << "nothing rescaled at 96 dpi with equal fonts";
  EXPECT_EQ(SizeRows(), 0);
  EXPECT_EQ(LogRows(), 0);
  uitest::Pump();
}

TEST_F(BaseForm, StoreFailuresAreReportedAndTheCloseCompletes) {
  UseOperator(71);
  const std::string logBefore = ErrorLog();
  // A caption longer than the operation log keeps: the log entry fails when the form comes
  // up (its remaining first-show steps are left) and when it closes; the close completes.
  auto* box = CreateForm<TTestBox>(nullptr, bsSizeable);
  box->SetCaption(std::string(300, 'C'));
  uitest::ModalScript script({[](TForm&) { uitest::Key(Qt::Key_F12); }});
  EXPECT_EQ(box->ShowModal(), mrCancel);
  EXPECT_FALSE(script.WatchdogFired());
  EXPECT_FALSE(box->FShownOnce);
  QPointer<QWidget> alive(box);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(alive.isNull()) << "the close completed and freed the form";

  // A form name longer than FORMRSIZE keeps: its row cannot be looked up, the form shows all
  // the same, with the size it has.
  auto* named = CreateForm<TTestBox>(nullptr, bsSizeable);
  named->SetName(std::string(200, 'N'));
  named->FOpLog = false;
  QSize shownSize;
  uitest::ModalScript script2({[&](TForm& f) {
    shownSize = QSize(f.Width(), f.Height());
    uitest::Key(Qt::Key_F12);
  }});
  named->ShowModal();
  EXPECT_TRUE(named->FShownOnce);
  EXPECT_EQ(shownSize, QSize(488, 330)) << "480 × 300 with the frame and the caption";
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

  const std::string log = ErrorLog().substr(logBefore.size());
  auto count = [&](const std::string& what) {
    int n = 0;
    for (size_t p = log.find(what); p != std::string::npos; p = log.find(what, p + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("TBSDI.PutProcRirekiInfo"), 2) << log;
  EXPECT_EQ(count("TBSDI.GetFormSize"), 1) << log;
  EXPECT_TRUE(ui_.messages.empty()) << "database steps of the form report to the log only";
  EXPECT_EQ(LogRows(), 0);
  EXPECT_EQ(SizeRows(), 0);
}

TEST_F(BaseForm, MainFormHooksHintsAndFunctionKeys) {
  UseOperator(72);
  std::vector<std::string> calls;
  int menuAnswer10 = 0;
  MenuHook = [&](int32_t code, const std::string& text) {
    calls.push_back("menu " + std::to_string(code) + " " + text);
    return code == 10 ? menuAnswer10 : code == 11 ? 0x1FF : 0;
  };
  ActivateHook = [&](bool flag, int32_t value) { calls.push_back("activate " + std::to_string(flag) + " " + std::to_string(value)); };

  auto* box = CreateForm<TTestBox>(nullptr, bsDialog);
  box->FMenuLink = true;
  box->FActivateHookValue = 7;
  uitest::ShowActive(*box);
  EXPECT_EQ(calls, (std::vector<std::string>{"menu 10 ", "menu 11 LomatraMenu", "menu 4 ", "activate 0 7"}));
  EXPECT_EQ(SystemDef.LauncherFlag, 0xFF);
  EXPECT_EQ(ShortDateFormat, "YYYY/MM/DD");

  // The focused control's long hint goes to the memo; each focus change updates the keys.
  const int updates = box->keyUpdates;
  box->Grid->SetFocus();
  uitest::Pump();
  EXPECT_EQ(box->HintArea->Text(), "［ENTER］で選択します。\r\n");
  box->Edit1->SetFocus();
  uitest::Pump();
  EXPECT_EQ(box->HintArea->Lines(), (std::vector<std::string>{"会社名を入力します。", "全角で入力して下さい。"}));
  EXPECT_EQ(box->keyUpdates, updates + 2);

  // Keys: only offered keys press their button; F1's bare caption does nothing.
  EXPECT_FALSE(box->PressKey(VK_F1));
  EXPECT_TRUE(box->PressKey(VK_F2));
  EXPECT_FALSE(box->PressKey(VK_F5)) << "no such button";
  uitest::Click(box->KeyButton(VK_F1));
  uitest::Click(box->KeyButton(VK_F12));
  EXPECT_EQ(box->clicked, (std::vector<std::string>{"F2", "F12"}));
  box->Free();

  // A launcher that reports other windows open turns the menu link off.
  calls.clear();
  menuAnswer10 = 1;
  auto* second = CreateForm<TTestBox>(nullptr, bsDialog);
  second->FMenuLink = true;
  uitest::ShowActive(*second);
  EXPECT_EQ(calls.front(), "menu 10 ");
  EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const std::string& s) { return s.rfind("menu", 0) == 0; }), 1);
  EXPECT_FALSE(second->FMenuLink);
  EXPECT_EQ(SystemDef.LauncherFlag, 0);
  second->Free();
}

TEST(ShowLongHint, CopiesTheLongPartOfTheHint) {
  struct Case {
    const char* hint;
    const char* shown;
  };
  const Case cases[] = {
      {"短い|長い説明", "長い説明"},
      {"説明だけ", "説明だけ"},
      {"a|b|c", "b|c"},
      {"短い|", ""},
      {"", ""},
  };
  auto* form = CreateForm<TTestBox>(nullptr, bsDialog);
  for (const Case& c : cases) {
    form->HintArea->SetText("前の内容");
    form->Edit1->SetHint(c.hint);
    ShowLongHint(form->Edit1, form->HintArea);
    EXPECT_EQ(form->HintArea->Lines(), c.shown[0] ? std::vector<std::string>{c.shown} : std::vector<std::string>{}) << c.hint;
  }
  form->HintArea->SetText("前の内容");
  ShowLongHint(nullptr, form->HintArea);
  EXPECT_EQ(form->HintArea->Lines(), std::vector<std::string>{"前の内容"});
  form->Free();
}

TEST(SetFormPosition, CentresAndKeepsTheFormInsideTheWorkArea) {
  const QRect work = Screen().WorkArea();
  struct Case {
    TFormBorderStyle style;
    bool setUp;        // the dialog's Setup ran (FSetupPending cleared)
    QRect bounds;      // before
    uint8_t mode;
    QPoint expected;
    TPosition position;
  };
  const int wide = work.width() + 100;
  const Case cases[] = {
      // Set up and inside the work area: left where it is, whatever the mode.
      {bsDialog, true, QRect(50, 60, 300, 200), 2, QPoint(50, 60), poDefault},
      // Not set up: without a main form, centred on the screen when shown.
      {bsDialog, false, QRect(50, 60, 300, 200), 2, QPoint(0, 0), poScreenCenter},
      {bsDialog, false, QRect(50, 60, 300, 200), 1, QPoint(0, 0), poScreenCenter},
      // Wider than the work area: a resizable form may end left of it, a dialog never.
      {bsSizeable, false, QRect(0, 0, wide, 200), 3, QPoint(work.width() - wide, 0), poScreenCenter},
      {bsDialog, false, QRect(0, 0, wide, 200), 3, QPoint(0, 0), poScreenCenter},
  };
  for (const Case& c : cases) {
    auto* form = CreateForm<TTestBox>(nullptr, c.style);
    form->SetBounds(c.bounds.left(), c.bounds.top(), c.bounds.width(), c.bounds.height());
    form->FSetupPending = !c.setUp;
    form->SetFormPosition(0, 0, 3, 0, c.mode);
    EXPECT_EQ(QPoint(form->Left(), form->Top()), c.expected) << "mode " << int(c.mode) << " style " << c.style;
    EXPECT_EQ(form->Position(), c.position);
    form->Free();
  }
}

TEST(SetFormPosition, CentresOnTheShowingMainForm) {
  const TSystemDef saved = SystemDef;
  SystemDef.FrameHeight = 4;
  SystemDef.CaptionHeight = 20;
  SystemDef.MenuHeight = 18;
  auto* main = CreateForm<TForm>(nullptr);
  main->SetBorderStyle(bsSingle);
  main->SetBounds(100, 50, 600, 400);
  main->Show();
  Application().SetMainForm(main);
  struct Case {
    uint8_t mode;
    QPoint expected;
  };
  // Mode 1 centres on the rectangle 10, 20, 200 × 100 of the main form's client area (below
  // its frame, caption and menu); mode 2 on the main form itself.
  for (const Case& c : {Case{1, QPoint(68, 86)}, Case{2, QPoint(250, 150)}}) {
    auto* form = CreateForm<TTestBox>(nullptr, bsDialog);
    form->SetBounds(0, 0, 300, 200);
    form->SetFormPosition(10, 20, 200, 100, c.mode);
    EXPECT_EQ(QPoint(form->Left(), form->Top()), c.expected) << "mode " << int(c.mode);
    EXPECT_EQ(form->Position(), poDesigned);
    form->Free();
  }
  Application().SetMainForm(nullptr);
  main->Free();
  SystemDef = saved;
}

TEST(BaseFormOwner, OnlyAnotherWindowBecomesTheOwner) {
  auto* owner = CreateForm<TForm>(nullptr);
  owner->SetCaption("データ選択");
  auto* box = CreateForm<TTestBox>(nullptr, bsDialog);
  EXPECT_TRUE(box->FParentWnd.isNull()) << "the form is not its own owner after creation";
  box->SetParentWnd(box);
  EXPECT_TRUE(box->FParentWnd.isNull());
  auto* panel = new TPanel(owner);
  box->SetParentWnd(panel);
  EXPECT_EQ(box->FParentWnd.data(), panel);
  EXPECT_EQ(box->FParentCaption, "データ選択");
  ASSERT_NE(box->windowHandle(), nullptr);
  EXPECT_EQ(box->windowHandle()->transientParent(), owner->windowHandle()) << "it stays above its owner's window";
  box->Free();
  owner->Free();
}

TEST(BaseFormLook, Screenshot) {
  const TSystemDef saved = SystemDef;
  auto* box = CreateForm<TTestBox>(nullptr, bsDialog);
  TPerfectGrid& g = *box->Grid;
  g.SetCols(3);
  const char* headings[] = {"No", "データ名", "会計期間"};
  const int widths[] = {40, 200, 200};
  for (int c = 0; c < 3; ++c) {
    g.SetCellText(c, TPerfectGrid::kHeadingRow, headings[c]);
    g.SetColWidth(c, widths[c]);
  }
  g.InsertRows(0, 3);
  for (int r = 0; r < 3; ++r) {
    g.SetCellText(0, r, std::to_string(r + 1));
    g.SetCellText(1, r, "株式会社サンプル商事");
    g.SetCellText(2, r, "2024/04/01～2025/03/31");
  }
  SystemDef.ColHeaderColor = 0xDBDBDB;
  SystemDef.ClientColor1 = 0xFFFFFF;
  SystemDef.ClientColor2 = 0xFFF0E1;
  SystemDef.ActiveColor = 0x246BFF;
  box->SetGridColors(&g, 0);
  uitest::ShowActive(*box);
  box->Edit1->SetFocus();
  uitest::Pump();
  const QImage image = box->grab().toImage();
  EXPECT_TRUE(image.save(QStringLiteral("ui_bsdi_screenshot.png")));
  EXPECT_EQ(image.pixelColor(g.Left() + g.CellRect(1, 1).right() - 4, g.Top() + g.CellRect(1, 1).top() + 3), ToQColor(0xFFF0E1));
  box->Free();
  SystemDef = saved;
}

}  // namespace
