// The 12-cell and 4-cell period panels: captions and spans from SetKikan, their own setter
// rules, mouse and keys through real events, the disabled look, and the dialog base form's
// set-up of panels named KikanPanel12, KikanPanel4 and KikanPanel2. Writes
// ctl_kikanpanel12_4.png into the working folder for a person to look at.
#include <QImage>
#include <QMouseEvent>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "data/uAccRecord.h"
#include "ui/SDI.h"
#include "ui/forms/Application.h"
#include "ui/forms/Button.h"
#include "ui/xKikanPanel12.h"
#include "ui/xKikanPanel4.h"

using namespace forms;

namespace {

std::string Captions(const TxKikanPanelBase& panel) {
  std::string s;
  for (int i = 0; i < panel.CellCount(); ++i) {
    if (i) s += ' ';
    s += panel.Cell(i)->Caption().empty() ? "_" : panel.Cell(i)->Caption();
  }
  return s;
}

std::string EnabledCells(const TxKikanPanelBase& panel) {
  std::string s;
  for (int i = 0; i < panel.CellCount(); ++i) s += panel.Cell(i)->CellEnabled() ? '1' : '0';
  return s;
}

const TDateTime kApril = EncodeDate(2023, 4, 1);
const TDateTime kMarch = EncodeDate(2024, 3, 31);

// A form with a button on either side of one panel, recording the panel's OnMouseUp.
template <class Panel>
class TStripForm : public TForm {
 public:
  explicit TStripForm(QWidget* owner) : TForm(owner) {
    SetName("TStripForm");
    SetClientSize(300, 110);
    Button1 = new TButton(this);
    Button1->SetName("Button1");
    Button1->SetBounds(8, 8, 75, 25);
    Strip = new Panel(this);
    Strip->SetName("Strip");
    Strip->SetLeft(8);
    Strip->SetTop(40);
    Button2 = new TButton(this);
    Button2->SetName("Button2");
    Button2->SetBounds(8, 70, 75, 25);
    Strip->OnMouseUp = [this](QObject*, TMouseButton, TShiftState, int, int) {
      ups.push_back({Strip->Stno(), Strip->Edno()});
    };
  }

  void Mouse(QEvent::Type type, int cell, QPoint pos, Qt::MouseButtons buttons) {
    auto* w = const_cast<TxKikanCell*>(Strip->Cell(cell));
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
  }
  // Press on cell `from`, move to cell `to` (in the coordinates of the pressed cell, which
  // holds the mouse), release.
  void Drag(int from, int to) {
    const QPoint origin = Strip->Cell(from)->geometry().topLeft();
    Mouse(QEvent::MouseButtonPress, from, Strip->Cell(from)->geometry().center() - origin, Qt::LeftButton);
    const QPoint end = Strip->Cell(to)->geometry().center() - origin;
    Mouse(QEvent::MouseMove, from, end, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, from, end, Qt::NoButton);
    uitest::Pump();
  }

  TButton* Button1;
  Panel* Strip;
  TButton* Button2;
  std::vector<std::pair<int, int>> ups;
};

using T12Form = TStripForm<TxKikanPanel12>;
using T4Form = TStripForm<TxKikanPanel4>;

// ---------------------------------------------------------------------------------------
// 12 cells

TEST(KikanPanel12, CreatedForTheCurrentCalendarYear) {
  auto* form = CreateForm<T12Form>(nullptr);
  const TxKikanPanel12& p = *form->Strip;
  EXPECT_EQ(Captions(p), "1 2 3 4 5 6 7 8 9 10 11 12");
  EXPECT_EQ(p.Stno(), 0);
  EXPECT_EQ(p.Edno(), 11);
  EXPECT_EQ(p.LastNo(), 11);
  EXPECT_EQ(p.Width(), 242);
  EXPECT_EQ(p.Cell(11)->objectName(), "No12");
  form->Free();
}

TEST(KikanPanel12, SetKikanLabelsMonthsAndHoldsTheSpanToTwelveCells) {
  struct Case {
    const char* name;
    int sime;
    TDateTime kimatu, kaisi;
    bool kikanMove;
    const char* captions;
    const char* enabled;
    int lastNo, stno, edno;
  } cases[] = {
      {"AprilYear", 99, kMarch, kApril, true, "4 5 6 7 8 9 10 11 12 1 2 3", "111111111111", 11, 0, 11},
      {"SixMonths", 99, EncodeDate(2023, 9, 30), kApril, true, "4 5 6 7 8 9 _ _ _ _ _ _", "111111000000", 5, 0, 5},
      {"DataFromJuly", 99, kMarch, EncodeDate(2023, 7, 1), true, "4 5 6 7 8 9 10 11 12 1 2 3", "000111111111", 11, 3, 11},
      {"SingleCell", 99, kMarch, EncodeDate(2023, 7, 1), false, "4 5 6 7 8 9 10 11 12 1 2 3", "000111111111", 11, 3, 3},
      {"ClosingDay20", 20, EncodeDate(2024, 4, 20), kApril, true, "4 5 6 7 8 9 10 11 12 1 2 3", "111111111111", 11, 0, 11},
      // Fifteen months: the end lies past the strip and counts as its last cell.
      {"FifteenMonths", 99, EncodeDate(2024, 6, 30), kApril, true, "4 5 6 7 8 9 10 11 12 1 2 3", "111111111111", 11, 0, 11},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto* form = CreateForm<T12Form>(nullptr);
    TxKikanPanel12& p = *form->Strip;
    p.SetKikanMove(c.kikanMove);
    p.SetKikan(c.sime, kApril, c.kimatu, c.kaisi);
    EXPECT_EQ(Captions(p), c.captions);
    EXPECT_EQ(EnabledCells(p), c.enabled);
    EXPECT_EQ(p.LastNo(), c.lastNo);
    EXPECT_EQ(p.LastSelectable(), c.lastNo);
    EXPECT_EQ(p.Stno(), c.stno);
    EXPECT_EQ(p.Edno(), c.edno);
    form->Free();
  }
}

TEST(KikanPanel12, SettersHoldTheRangeInsideTheSelectableCells) {
  auto* form = CreateForm<T12Form>(nullptr);
  TxKikanPanel12& p = *form->Strip;
  p.SetKikan(99, kApril, kMarch, kApril);
  p.SetStno(3);
  EXPECT_EQ(p.StMonNo(), 4);  // July: the first quarter's adjustment period is skipped
  EXPECT_EQ(p.EdMonNo(), 14);
  p.SetEdno(20);
  EXPECT_EQ(p.Edno(), 11);
  p.SetStno(-5);
  EXPECT_EQ(p.Stno(), 0);
  // A start after the end swaps them.
  p.SetStno(9);
  p.SetEdno(4);
  EXPECT_EQ(p.Stno(), 4);
  EXPECT_EQ(p.Edno(), 9);
  // A six-month year: the end is held to its last month.
  p.SetKikan(99, kApril, EncodeDate(2023, 9, 30), kApril);
  p.SetEdno(8);
  EXPECT_EQ(p.Edno(), 5);
  form->Free();
}

TEST(KikanPanel12, MouseAndKeysSelectWithinTheYear) {
  auto* form = CreateForm<T12Form>(nullptr);
  TxKikanPanel12& p = *form->Strip;
  p.SetKikan(99, kApril, EncodeDate(2023, 12, 31), EncodeDate(2023, 6, 1));  // cells 2 to 8
  uitest::ShowActive(*form);

  form->Drag(3, 6);
  EXPECT_EQ(uitest::FocusedName(), "Strip");
  ASSERT_EQ(form->ups.size(), 1u);
  EXPECT_EQ(form->ups[0], std::make_pair(3, 6));
  // Onto a disabled cell (past the year's end) the moving end stays.
  form->Drag(7, 10);
  EXPECT_EQ(p.Stno(), 7);
  EXPECT_EQ(p.Edno(), 7);

  // The keys continue from what the program set, and stop at the selectable ends.
  p.SetStno(8);
  uitest::Key(Qt::Key_Right);
  EXPECT_EQ(p.Stno(), 8);
  EXPECT_EQ(p.Edno(), 8);
  p.SetStno(2);
  p.SetEdno(2);
  uitest::Key(Qt::Key_Left);
  EXPECT_EQ(p.Stno(), 2);
  uitest::Key(Qt::Key_Right, Qt::ShiftModifier);
  uitest::Key(Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(p.Edno(), 4);
  uitest::Key(Qt::Key_Return);
  EXPECT_EQ(uitest::FocusedName(), "Button2");
  EXPECT_EQ(form->ups.back(), std::make_pair(2, 4));
  form->Free();
}

TEST(KikanPanel12, DisabledPanelPaintsTheRangeSilver) {
  auto* form = CreateForm<T12Form>(nullptr);
  TxKikanPanel12& p = *form->Strip;
  p.SetKikan(99, kApril, kMarch, kApril);
  p.SetStno(2);
  p.SetEdno(4);
  p.SetKakuteiMode(true);
  p.SetKakuteiMNo(2);
  uitest::ShowActive(*form);
  auto cellColor = [&](const QImage& img, int i) { return img.pixelColor(p.Cell(i)->geometry().topLeft() + QPoint(1, 1)); };
  QImage shot = p.grab().toImage();
  EXPECT_EQ(cellColor(shot, 0), QColor(255, 128, 64));
  EXPECT_EQ(cellColor(shot, 2), ToQColor(clNavy));
  EXPECT_EQ(cellColor(shot, 5), ToQColor(clBtnFace));
  p.SetEnabled(false);
  shot = p.grab().toImage();
  EXPECT_EQ(cellColor(shot, 3), ToQColor(clSilver));
  EXPECT_EQ(cellColor(shot, 0), ToQColor(clBtnFace));
  EXPECT_EQ(p.Cell(3)->FontColor(), clGray);
  form->Free();
}

// ---------------------------------------------------------------------------------------
// 4 cells

TEST(KikanPanel4, CreatedWithFourQuarters) {
  auto* form = CreateForm<T4Form>(nullptr);
  const TxKikanPanel4& p = *form->Strip;
  EXPECT_EQ(Captions(p), "1 2 3 4");
  EXPECT_EQ(EnabledCells(p), "1111");
  EXPECT_EQ(p.BtnCnt(), 4);
  EXPECT_EQ(p.Stno(), 0);
  EXPECT_EQ(p.Edno(), 3);
  EXPECT_EQ(p.Width(), 80);
  EXPECT_EQ(p.Height(), 22);
  form->Free();
}

TEST(KikanPanel4, SetKikanEnablesTheCellsOfTheData) {
  struct Case {
    const char* name;
    int btnCnt;
    bool kikanMove;
    TDateTime kimatu, kaisi;
    const char* enabled;
    int stno, edno;
  } cases[] = {
      {"FromOctober", 4, true, kMarch, EncodeDate(2023, 10, 1), "0011", 2, 3},
      {"FromOctoberOneCell", 4, false, kMarch, EncodeDate(2023, 10, 1), "0011", 2, 2},
      {"WholeYear", 4, true, kMarch, kApril, "1111", 0, 3},
      {"SixMonths", 4, true, EncodeDate(2023, 9, 30), kApril, "1100", 0, 1},
      {"HalfYearsFromOctober", 2, true, kMarch, EncodeDate(2023, 10, 1), "0100", 1, 1},
      {"HalfYearsWholeYear", 2, true, kMarch, kApril, "1100", 0, 1},
      // An end past the year counts as its last month, as any offset outside it.
      {"FifteenMonths", 4, true, EncodeDate(2024, 6, 30), kApril, "1111", 0, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto* form = CreateForm<T4Form>(nullptr);
    TxKikanPanel4& p = *form->Strip;
    p.SetBtnCnt(c.btnCnt);
    p.SetKikanMove(c.kikanMove);
    p.SetKikan(99, kApril, c.kimatu, c.kaisi);
    EXPECT_EQ(EnabledCells(p), c.enabled);
    EXPECT_EQ(p.Stno(), c.stno);
    EXPECT_EQ(p.Edno(), c.edno);
    form->Free();
  }
}

TEST(KikanPanel4, BtnCntTakesTwoOrFour) {
  auto* form = CreateForm<T4Form>(nullptr);
  TxKikanPanel4& p = *form->Strip;
  form->Show();
  p.SetStno(1);
  p.SetBtnCnt(3);
  EXPECT_EQ(p.BtnCnt(), 4);
  EXPECT_EQ(p.Stno(), 1);
  p.SetBtnCnt(2);
  EXPECT_EQ(Captions(p), "上 下 _ _");
  EXPECT_TRUE(p.Cell(1)->isVisible());
  EXPECT_FALSE(p.Cell(2)->isVisible());
  EXPECT_FALSE(p.Cell(3)->isVisible());
  EXPECT_EQ(p.Stno(), 0);
  EXPECT_EQ(p.Edno(), 1);
  // Two cells share the width: trunc((80 - 8) / 2).
  EXPECT_EQ(p.Cell(1)->geometry(), QRect(40, 3, 36, 16));
  p.SetBtnCnt(4);
  EXPECT_EQ(Captions(p), "1 2 3 4");
  EXPECT_TRUE(p.Cell(3)->isVisible());
  EXPECT_EQ(p.Edno(), 3);
  form->Free();
}

TEST(KikanPanel4, KeysStayWithinTheEnabledCellsAndRightWraps) {
  struct Step {
    int key;
    Qt::KeyboardModifiers modifiers;
    int stno, edno;
  };
  const auto shift = Qt::ShiftModifier;
  struct Case {
    const char* name;
    TDateTime kaisi;
    std::vector<Step> steps;
  } cases[] = {
      {"LeftAtTheFirstEnabledCellStays", EncodeDate(2023, 10, 1), {{Qt::Key_Left, {}, 2, 2}, {Qt::Key_Left, {}, 2, 2}}},
      {"RightWrapsToTheFirstEnabledCell", EncodeDate(2023, 10, 1), {{Qt::Key_Right, {}, 3, 3}, {Qt::Key_Right, {}, 2, 2}}},
      {"ShiftExtendsWithinTheEnabledCells", kApril,
       {{Qt::Key_Left, shift, 0, 2}, {Qt::Key_Left, shift, 0, 1}, {Qt::Key_Shift, shift, 0, 1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto* form = CreateForm<T4Form>(nullptr);
    TxKikanPanel4& p = *form->Strip;
    p.SetKikan(99, kApril, kMarch, c.kaisi);
    uitest::ShowActive(*form);
    p.SetFocus();
    uitest::Pump();
    for (const Step& s : c.steps) {
      uitest::Key(s.key, s.modifiers);
      EXPECT_EQ(p.Stno(), s.stno) << "key " << s.key;
      EXPECT_EQ(p.Edno(), s.edno) << "key " << s.key;
    }
    // Leaving after a key change reports it.
    form->Button1->SetFocus();
    uitest::Pump();
    ASSERT_EQ(form->ups.size(), 1u);
    EXPECT_EQ(form->ups[0].first, p.Stno());
    form->Free();
  }
}

TEST(KikanPanel4, MouseSelectsOnlyEnabledCells) {
  auto* form = CreateForm<T4Form>(nullptr);
  TxKikanPanel4& p = *form->Strip;
  p.SetKikan(99, kApril, kMarch, EncodeDate(2023, 7, 1));  // cells 1 to 3
  uitest::ShowActive(*form);
  form->Drag(3, 1);
  ASSERT_EQ(form->ups.size(), 1u);
  EXPECT_EQ(form->ups[0], std::make_pair(1, 3));
  form->Drag(2, 0);  // onto the disabled first quarter
  EXPECT_EQ(p.Stno(), 2);
  EXPECT_EQ(p.Edno(), 2);
  form->Drag(0, 0);  // a press on a disabled cell does nothing
  EXPECT_EQ(form->ups.size(), 2u);
  form->Free();
}

// ---------------------------------------------------------------------------------------
// The dialog base form's set-up, and a picture

class TStripBox : public TBSDI {
 public:
  TStripBox(QWidget* owner, bool move) : TBSDI(owner) {
    SetName("TStripBox");
    SetCaption("期間パネル");
    SetBorderStyle(bsDialog);
    SetClientSize(280, 110);
    P12 = new TxKikanPanel12(this);
    P12->SetName("KikanPanel12");
    P12->SetBounds(10, 10, 242, 22);
    P12->SetKikanMove(move);
    P4 = new TxKikanPanel4(this);
    P4->SetName("KikanPanel4");
    P4->SetBounds(10, 42, 80, 22);
    P4->SetKikanMove(move);
    P2 = new TxKikanPanel4(this);
    P2->SetName("KikanPanel2");
    P2->SetBtnCnt(2);
    P2->SetBounds(100, 42, 80, 22);
    P2->SetKikanMove(move);
  }
  TxKikanPanel12* P12;
  TxKikanPanel4* P4;
  TxKikanPanel4* P2;
};

TEST(KikanPanel12, BaseFormSetsUpTheTwelveFourAndTwoCellPanels) {
  const TACCINF saved = AccInf;
  AccInf.SIME = 99;
  AccInf.KISHU = kApril;
  AccInf.KIMATU = kMarch;
  AccInf.KAISI = EncodeDate(2023, 10, 1);
  AccInf.KAISINO = 7;
  struct Case {
    bool move;
    int s12, e12, s4, e4, s2, e2;
  } cases[] = {{true, 6, 11, 2, 3, 1, 1}, {false, 6, 6, 2, 2, 1, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.move);
    auto* box = CreateForm<TStripBox>(nullptr, c.move);
    EXPECT_EQ(Captions(*box->P12), "4 5 6 7 8 9 10 11 12 1 2 3");
    EXPECT_EQ(box->P12->Stno(), c.s12);
    EXPECT_EQ(box->P12->Edno(), c.e12);
    EXPECT_EQ(box->P4->Stno(), c.s4);
    EXPECT_EQ(box->P4->Edno(), c.e4);
    EXPECT_EQ(EnabledCells(*box->P4), "0011");
    EXPECT_EQ(box->P2->Stno(), c.s2);
    EXPECT_EQ(box->P2->Edno(), c.e2);
    if (c.move) {
      uitest::ShowActive(*box);
      EXPECT_TRUE(box->grab().toImage().save("ctl_kikanpanel12_4.png"));
    }
    box->Free();
  }
  AccInf = saved;
}

}  // namespace
