// The dialog base form's layout work: the rescale to the operator's font and the screen's
// density, grids of any width recorded and rescaled whole, the period panel set from the
// open company, the medical relabelling, the grid colours and the frame-width shift.
#include <QApplication>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "data/uAccRecord.h"
#include "platform/DateTime.h"
#include "ui/GKitSpreadControl.h"
#include "ui/PerfectGrid.h"
#include "ui/SDI.h"
#include "ui/forms/Application.h"
#include "ui/forms/Label.h"
#include "ui/forms/Panel.h"
#include "ui/xEdit.h"
#include "ui/xKikanPanel16.h"

using namespace forms;

namespace {

// The shared records and the screen put back after each test.
class Layout : public ::testing::Test {
 protected:
  void SetUp() override {
    savedSys_ = SystemDef;
    savedAcc_ = AccInf;
    savedOem_ = OemKind;
  }
  void TearDown() override {
    SystemDef = savedSys_;
    AccInf = savedAcc_;
    OemKind = savedOem_;
    Screen().SetPixelsPerInch(96);
  }
  // The base font (the main form's) and the operator's font, by point size.
  static void UseFonts(int baseSize, int envSize) {
    SystemDef.SecondFont = TAppFont{"ＭＳ Ｐゴシック", baseSize};
    SystemDef.AppFont = TAppFont{"ＭＳ Ｐゴシック", envSize};
  }

 private:
  TSystemDef savedSys_;
  TACCINF savedAcc_;
  uint8_t savedOem_ = 0;
};

// A dialog with a panel and a grid of two columns; `columns` data columns and `fixed` frozen
// ones instead when given.
class TLayoutBox : public TBSDI {
 public:
  TLayoutBox(QWidget* owner, TFormBorderStyle style = bsDialog, bool spread = false) : TBSDI(owner) {
    SetName("TLayoutBox");
    SetCaption("レイアウト");
    SetBorderStyle(style);
    SetClientSize(400, 300);
    Panel1 = new TPanel(this);
    Panel1->SetName("Panel1");
    Panel1->SetBounds(10, 10, 100, 50);
    Grid = spread ? new TSpreadGrid(this) : new TPerfectGrid(this);
    Grid->SetName("PerfectGrid1");
    Grid->SetBounds(10, 70, 200, 100);
    Grid->SetCols(2);
    Grid->SetColWidth(0, 40);
    Grid->SetColWidth(1, 300);
    Grid->SetDefHeight(18);
  }
  TPanel* Panel1 = nullptr;
  TPerfectGrid* Grid = nullptr;
};

TEST_F(Layout, FontScaleFigures) {
  struct Case {
    int screen, base, env;
    int baseDpi, scale, ppi;
  };
  const Case cases[] = {
      {96, 10, 10, 96, 100, 96},   {96, 10, 12, 96, 120, 115},  {120, 10, 10, 120, 100, 120},
      {120, 9, 9, 96, 100, 96},    {96, 0, 12, 96, 100, 96},    {96, -1, 12, 96, 100, 96},
      {96, 10, 0, 96, 100, 96},    {120, 0, 0, 120, 100, 120},  {120, 0, 12, 120, 100, 120},
      {120, 10, 12, 120, 115, 138}, {144, 10, 8, 144, 80, 115},
  };
  for (const Case& c : cases) {
    const TFontScale s = ComputeFontScale(c.screen, c.base, c.env);
    EXPECT_EQ(s.baseDpi, c.baseDpi) << c.screen << " " << c.base << " " << c.env;
    EXPECT_EQ(s.scale, c.scale) << c.screen << " " << c.base << " " << c.env;
    EXPECT_EQ(s.ppi, c.ppi) << c.screen << " " << c.base << " " << c.env;
  }
  EXPECT_EQ(MulDiv(5, 1, 2), 3);
  EXPECT_EQ(MulDiv(-5, 1, 2), -3);
  EXPECT_EQ(MulDiv(7, 3, 0), -1);
}

TEST_F(Layout, FirstShowRescalesTheFormAndItsGrids) {
  struct Case {
    int screen, base, env;
    int ppi;
    QRect panel, grid;  // bounds after the first show
    int column, rowHeight;  // grid column 1 (300 at 96 dpi) and the row height (18)
  };
  const Case cases[] = {
      // Equal fonts on a 96-dpi screen: nothing moves.
      {96, 10, 10, 96, QRect(10, 10, 100, 50), QRect(10, 70, 200, 100), 300, 18},
      // 12 over 10: 115 dpi, the form scaled by 115/96, grid columns and rows too.
      {96, 10, 12, 115, QRect(12, 12, 120, 60), QRect(12, 84, 240, 120), 359, 21},
      // No base font: scale 100.
      {96, 0, 12, 96, QRect(10, 10, 100, 50), QRect(10, 70, 200, 100), 300, 18},
      // 120 dpi, equal fonts: the form comes at the screen's density, the grid's own sizes
      // grow by 120/96 all the same.
      {120, 10, 10, 120, QRect(13, 13, 125, 62), QRect(13, 88, 250, 125), 375, 22},
      // Base font 9: the base density is 96, the grid's bounds are first taken back to it.
      {120, 9, 9, 96, QRect(13, 13, 125, 62), QRect(13, 88, 200, 100), 300, 18},
      // No base font on a 120-dpi screen: the form stays at the screen's density.
      {120, 0, 12, 120, QRect(13, 13, 125, 62), QRect(13, 88, 250, 125), 375, 22},
      // 12 over 10 on a 120-dpi screen: 138 dpi.
      {120, 10, 12, 138, QRect(15, 15, 144, 71), QRect(15, 101, 287, 144), 431, 25},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.screen << " dpi, fonts " << c.base << "/" << c.env);
    Screen().SetPixelsPerInch(c.screen);
    UseFonts(c.base, c.env);
    auto* box = CreateForm<TLayoutBox>(nullptr);
    uitest::ShowActive(*box);
    EXPECT_EQ(box->PixelsPerInch(), c.ppi);
    EXPECT_EQ(QRect(box->Panel1->Left(), box->Panel1->Top(), box->Panel1->Width(), box->Panel1->Height()), c.panel);
    EXPECT_EQ(QRect(box->Grid->Left(), box->Grid->Top(), box->Grid->Width(), box->Grid->Height()), c.grid);
    EXPECT_EQ(box->Grid->ColWidth(1), c.column);
    EXPECT_EQ(box->Grid->DefHeight(), c.rowHeight);
    // The form and its grids take the operator's font at the screen's density.
    EXPECT_EQ(box->Font().Height, -MulDiv(c.env > 0 ? c.env : 0, c.screen, 72));
    EXPECT_EQ(box->Grid->Font(), box->Font());
    // A second show changes nothing more.
    box->Hide();
    box->Show();
    EXPECT_EQ(box->Grid->ColWidth(1), c.column);
    box->Free();
  }
}

TEST_F(Layout, WideGridsAreRecordedAndRescaledWhole) {
  UseFonts(10, 12);  // 115 dpi
  for (bool spread : {false, true}) {
    SCOPED_TRACE(spread ? "spread grid" : "list grid");
    auto* box = CreateForm<TLayoutBox>(nullptr, bsDialog, spread);
    TPerfectGrid& g = *box->Grid;
    // More frozen columns and more columns than any fixed record would hold.
    if (!spread) g.SetFixedLefts(7);
    g.SetCols(2500);
    auto width = [](int col) { return 10 + (col + 7) % 50; };
    for (int c = -g.FixedLefts(); c < g.Cols(); ++c) g.SetColWidth(c, width(c));
    uitest::ShowActive(*box);

    const TLayoutRec& rec = box->FLayoutRecs.at(1);
    ASSERT_TRUE(rec.Columns);
    const auto& recorded = rec.Columns->ColWidths;
    ASSERT_EQ(recorded.size(), static_cast<size_t>(g.FixedLefts() + g.Cols()));
    int wrong = 0;
    for (int c = -g.FixedLefts(); c < g.Cols(); ++c) {
      // Spread columns count from the row header at 0; list grids from the first data column.
      const int key = spread ? c + 1 : c;
      wrong += recorded.at(key) != width(c);
      wrong += g.ColWidth(c) != width(c) * 115 / 96;
    }
    EXPECT_EQ(wrong, 0);
    box->Free();
  }
}

TEST_F(Layout, SpreadGridIsRescaledThroughItsProperties) {
  UseFonts(10, 12);  // 115 dpi
  auto* box = CreateForm<TLayoutBox>(nullptr, bsDialog, true);
  auto& grid = static_cast<TSpreadGrid&>(*box->Grid);
  EXPECT_TRUE(grid.NoBeep()) << "the form silences its spread grids";
  grid.SetDefWidth(50);
  grid.SetColWidth(-1, 20);
  grid.SetCols(3);
  grid.SetColWidth(1, 80);
  grid.SetColWidth(2, 0);
  grid.InsertRows(0, 4);
  grid.SetRowHeight(TPerfectGrid::kHeadingRow, 24);
  grid.SetRowHeight(2, 30);
  uitest::ShowActive(*box);
  const TColumnLayoutRec& rec = *box->FLayoutRecs.at(1).Columns;
  EXPECT_EQ(rec.SizeA, 18.0);
  EXPECT_EQ(rec.SizeB, 50.0);
  EXPECT_EQ(rec.FrozenHeights, std::vector<int>{24});
  EXPECT_EQ(grid.DefHeight(), 21);                           // 18 × 115 / 96
  EXPECT_EQ(grid.RowHeight(TPerfectGrid::kHeadingRow), 28);  // 24 × 115 / 96
  EXPECT_EQ(grid.RowHeight(2), 21) << "the new row height reaches every row";
  EXPECT_EQ(grid.DefWidth(), 59);
  EXPECT_EQ(gkspread::GetColsWidth(grid), QStringLiteral("23|47|95|0"));
  EXPECT_TRUE(grid.Redraw());
  box->Free();
}

TEST_F(Layout, PeriodPanelStartsAtTheCompanysFirstMonth) {
  struct Case {
    int month;
    bool move;
    int stno, edno;
  };
  const Case cases[] = {{4, true, 4, 15}, {4, false, 4, 4}, {12, true, 14, 15}, {1, false, 0, 0}, {7, false, 8, 8}};
  AccInf.SIME = 99;
  AccInf.KISHU = EncodeDate(2024, 4, 1);
  AccInf.KIMATU = EncodeDate(2025, 3, 31);
  AccInf.KAISI = AccInf.KISHU;
  class TPanelBox : public TBSDI {
   public:
    TPanelBox(QWidget* owner, bool move) : TBSDI(owner) {
      SetBorderStyle(bsDialog);
      auto* panel = new TxKikanPanel16(this);
      panel->SetName("KikanPanel16");
      panel->SetKikanMove(move);
      Panel = panel;
    }
    TxKikanPanel16* Panel;
  };
  for (const Case& c : cases) {
    AccInf.KAISINO = c.month;
    auto* box = CreateForm<TPanelBox>(nullptr, c.move);
    EXPECT_EQ(box->Panel->Stno(), c.stno) << c.month;
    EXPECT_EQ(box->Panel->Edno(), c.edno) << c.month;
    EXPECT_EQ(box->FKikanStartCell, c.stno);
    box->Free();
  }
  const int cells[][2] = {{1, 0}, {3, 2}, {4, 4}, {6, 6}, {9, 10}, {10, 12}, {12, 14}, {0, 0}, {13, 0}};
  for (const auto& c : cells) EXPECT_EQ(KikanCellOfMonth(c[0]), c[1]) << c[0];
}

TEST_F(Layout, MedicalCompanyCallsBranchesFacilitiesInLabelsOnly) {
  for (uint8_t medical : {uint8_t{1}, uint8_t{0}}) {
    AccInf.IsMedical = medical;
    auto* box = CreateForm<TLayoutBox>(nullptr);
    auto* l1 = new TLabel(box);
    l1->SetCaption("本・支店コード:");
    auto* l2 = new TLabel(box);
    l2->SetCaption("支店");
    box->Panel1->SetCaption("支店");
    uitest::ShowActive(*box);
    EXPECT_EQ(l1->Caption(), medical ? "施設コード:" : "本・支店コード:");
    EXPECT_EQ(l2->Caption(), medical ? "施設" : "支店");
    EXPECT_EQ(box->Panel1->Caption(), "支店");
    box->Free();
  }
}

TEST_F(Layout, GridColoursFromTheOperatorsSettings) {
  SystemDef.ColHeaderColor = 0xDBDBDB;
  SystemDef.ClientColor = 0xF0F0F0;
  SystemDef.ClientColor1 = 0xFFFFFF;
  SystemDef.ClientColor2 = 0xE1F0FF;
  SystemDef.ActiveColor = 0x804000;
  auto* box = CreateForm<TLayoutBox>(nullptr);
  TPerfectGrid& g = *box->Grid;
  box->SetGridColors(&g, 0);
  EXPECT_EQ(g.FixedBackColor(), 0xDBDBDB);
  EXPECT_EQ(g.BackColor(), 0xFFFFFF);
  EXPECT_EQ(g.OddRowBackColor(), 0xE1F0FF);
  EXPECT_EQ(g.FocusBorderColor(), 0x804000);
  EXPECT_EQ(g.ThruBorderColor(), 0x008000);
  EXPECT_EQ(g.FixedBorderColor(), 0x808080);
  EXPECT_EQ(g.BorderColor(), 0x808080);
  EXPECT_EQ(g.DisabledColor(), 0x808080);
  EXPECT_EQ(g.VoidAreaColor(), clGrayText);
  OemKind = 1;
  box->SetGridColors(&g, 1);
  EXPECT_EQ(g.BackColor(), 0xF0F0F0);
  EXPECT_EQ(g.OddRowBackColor(), 0xF0F0F0);
  EXPECT_EQ(g.ThruBorderColor(), 0x246BFF);
  box->Free();
}

TEST_F(Layout, ThickFramesShiftControlsOfResizableFormsOnly) {
  SystemDef.ExtraHeight = 4;
  for (TFormBorderStyle style : {bsSizeable, bsDialog}) {
    auto* box = CreateForm<TLayoutBox>(nullptr, style);
    auto* side = new TPanel(box);
    side->SetAlign(alLeft);
    side->SetWidth(100);
    auto* group = new TGroupBox(box);
    group->SetBounds(150, 180, 120, 60);
    auto* inGroup = new TxEdit(group);
    inGroup->SetBounds(10, 20, 80, 21);
    auto* swk = new TPanel(box);
    swk->SetName("pnlSwkInA");
    swk->SetBounds(280, 180, 100, 60);
    auto* inner = new TPanel(swk);
    inner->SetBounds(5, 5, 90, 50);
    auto* inSwk = new TxEdit(inner);
    inSwk->SetBounds(12, 10, 60, 21);
    box->AdjustFrameWidth();
    const int d = style == bsDialog ? 0 : 4;
    EXPECT_EQ(box->Panel1->Left(), 10 - d);
    EXPECT_EQ(side->Width(), 100 - d);
    EXPECT_EQ(group->Left(), 150 - d);
    EXPECT_EQ(inGroup->Left(), 10) << "inside a group box";
    EXPECT_EQ(swk->Left(), 280 - d);
    EXPECT_EQ(inSwk->Left(), 12) << "inside the journal-entry panel";
    box->Free();
  }
}

}  // namespace
