// The period selector panel: cell captions and selectable spans from SetKikan, the property
// setters, a mouse drag, the keyboard table and its OnMouseUp reports, and the cell colours.
// Also writes ctl_controls.png (painted buttons and a period panel) into the working folder
// for a person to look at.
#include <QImage>
#include <QMouseEvent>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "ui/forms/Application.h"
#include "ui/forms/Button.h"
#include "ui/xKikanPanel16.h"
#include "ui/xPlButton.h"

using namespace forms;

namespace {

std::string Captions(const TxKikanPanel16& panel) {
  std::string s;
  for (int i = 0; i < TxKikanPanel16::kCellCount; ++i) {
    if (i) s += ' ';
    s += panel.Cell(i)->Caption().empty() ? "_" : panel.Cell(i)->Caption();
  }
  return s;
}

std::string EnabledCells(const TxKikanPanel16& panel) {
  std::string s;
  for (int i = 0; i < TxKikanPanel16::kCellCount; ++i) s += panel.Cell(i)->CellEnabled() ? '1' : '0';
  return s;
}

struct MouseUpRecord {
  QObject* sender;
  TMouseButton button;
  TShiftState shift;
  int x, y, stno, edno;
};

class TPanelForm : public TForm {
 public:
  explicit TPanelForm(QWidget* owner) : TForm(owner) {
    SetName("TPanelForm");
    SetCaption("TPanelForm");
    SetClientSize(300, 120);
    Button1 = new TButton(this);
    Button1->SetName("Button1");
    Button1->SetBounds(8, 8, 75, 25);
    KikanPanel16 = new TxKikanPanel16(this);
    KikanPanel16->SetName("KikanPanel16");
    KikanPanel16->SetBounds(8, 40, 242, 22);
    Button2 = new TButton(this);
    Button2->SetName("Button2");
    Button2->SetBounds(8, 70, 75, 25);
    KikanPanel16->OnMouseUp = [this](QObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
      ups.push_back({sender, button, shift, x, y, KikanPanel16->Stno(), KikanPanel16->Edno()});
    };
  }

  // An April-to-March year with month-end closing, data from `kaisi`.
  void AprilYear(TDateTime kaisi = EncodeDate(2023, 4, 1)) {
    KikanPanel16->SetKikan(99, EncodeDate(2023, 4, 1), EncodeDate(2024, 3, 31), kaisi);
  }

  // The centre of cell `i`, in the coordinates of cell `from` (which holds the mouse).
  QPoint CellCentre(int i, int from) const {
    const QWidget* target = KikanPanel16->Cell(i);
    const QWidget* origin = KikanPanel16->Cell(from);
    return target->geometry().center() - origin->geometry().topLeft();
  }

  void Mouse(QEvent::Type type, int cell, QPoint pos, Qt::MouseButtons buttons) {
    auto* w = const_cast<TxKikanCell*>(KikanPanel16->Cell(cell));
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
  }

  // Press on cell `from`, move across `path`, release.
  void Drag(int from, std::vector<int> path) {
    Mouse(QEvent::MouseButtonPress, from, CellCentre(from, from), Qt::LeftButton);
    for (int i : path) Mouse(QEvent::MouseMove, from, CellCentre(i, from), Qt::LeftButton);
    const int last = path.empty() ? from : path.back();
    Mouse(QEvent::MouseButtonRelease, from, CellCentre(last, from), Qt::NoButton);
    uitest::Pump();
  }

  TButton* Button1;
  TxKikanPanel16* KikanPanel16;
  TButton* Button2;
  std::vector<MouseUpRecord> ups;
};

TEST(KikanPanel, CreatedForTheCurrentCalendarYear) {
  auto* form = CreateForm<TPanelForm>(nullptr);
  const TxKikanPanel16& p = *form->KikanPanel16;
  EXPECT_EQ(Captions(p), "1 2 3 ・ 4 5 6 ・ 7 8 9 ・ 10 11 12 決");
  EXPECT_EQ(EnabledCells(p), "1111111111111111");
  EXPECT_EQ(p.Stno(), 0);
  EXPECT_EQ(p.Edno(), 15);
  EXPECT_EQ(p.LastNo(), 15);
  EXPECT_EQ(p.Cell(0)->objectName(), "No1");
  EXPECT_EQ(p.Cell(15)->objectName(), "No16");
  EXPECT_EQ(p.Cell(15)->Tag(), 15);
  // The cells belong to the panel, not to the form's components.
  EXPECT_EQ(form->FindComponent("No1"), nullptr);
  form->Free();
}

TEST(KikanPanel, SetKikanLabelsCellsAndSetsTheSpan) {
  struct Case {
    const char* name;
    int sime;
    TDateTime kishu, kimatu, kaisi;
    bool kessan, kikanMove;
    const char* captions;
    const char* enabled;
    int lastNo, stno, edno, edMonthNo;
  } cases[] = {
      {"AprilMonthEnd", 99, EncodeDate(2023, 4, 1), EncodeDate(2024, 3, 31), EncodeDate(2023, 4, 1), true, true,
       "4 5 6 ・ 7 8 9 ・ 10 11 12 ・ 1 2 3 決", "1111111111111111", 15, 0, 15, 15},
      {"ClosingDay20", 20, EncodeDate(2023, 4, 21), EncodeDate(2024, 4, 20), EncodeDate(2023, 4, 21), true, true,
       "5 6 7 ・ 8 9 10 ・ 11 12 1 ・ 2 3 4 決", "1111111111111111", 15, 0, 15, 15},
      {"SixMonths", 99, EncodeDate(2023, 4, 1), EncodeDate(2023, 9, 30), EncodeDate(2023, 4, 1), true, true,
       "4 5 6 ・ 7 8 9 決 _ _ _ _ _ _ _ _", "1111111100000000", 7, 0, 7, 15},
      {"SixMonthsNoClosing", 99, EncodeDate(2023, 4, 1), EncodeDate(2023, 9, 30), EncodeDate(2023, 4, 1), false, true,
       "4 5 6 ・ 7 8 9 _ _ _ _ _ _ _ _ _", "1111111000000000", 7, 0, 6, 6},
      {"DataFromJuly", 99, EncodeDate(2023, 4, 1), EncodeDate(2024, 3, 31), EncodeDate(2023, 7, 1), true, true,
       "4 5 6 ・ 7 8 9 ・ 10 11 12 ・ 1 2 3 決", "0000111111111111", 15, 4, 15, 15},
      {"SingleCell", 99, EncodeDate(2023, 4, 1), EncodeDate(2024, 3, 31), EncodeDate(2023, 7, 1), true, false,
       "4 5 6 ・ 7 8 9 ・ 10 11 12 ・ 1 2 3 決", "0000111111111111", 15, 4, 4, 4},
      // Fifteen months: the end falls past the strip and is held to its last cell.
      {"FifteenMonths", 99, EncodeDate(2023, 4, 1), EncodeDate(2024, 6, 30), EncodeDate(2023, 4, 1), true, true,
       "4 5 6 ・ 7 8 9 ・ 10 11 12 ・ 1 2 3 決", "1111111111111111", 15, 0, 15, 15},
      {"FifteenMonthsNoClosing", 99, EncodeDate(2023, 4, 1), EncodeDate(2024, 6, 30), EncodeDate(2023, 4, 1), false, true,
       "4 5 6 ・ 7 8 9 ・ 10 11 12 ・ 1 2 3 _", "1111111111111110", 15, 0, 14, 14},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto* form = CreateForm<TPanelForm>(nullptr);
    TxKikanPanel16& p = *form->KikanPanel16;
    p.SetKESSAN(c.kessan);
    p.SetKikanMove(c.kikanMove);
    p.SetKikan(c.sime, c.kishu, c.kimatu, c.kaisi);
    EXPECT_EQ(Captions(p), c.captions);
    EXPECT_EQ(EnabledCells(p), c.enabled);
    EXPECT_EQ(p.LastNo(), c.lastNo);
    EXPECT_EQ(p.Stno(), c.stno);
    EXPECT_EQ(p.Edno(), c.edno);
    EXPECT_EQ(p.EdMonthNo(), c.edMonthNo);
    form->Free();
  }
}

TEST(KikanPanel, InvalidClosingDayBeepsForEveryDateAndKeepsTheDates) {
  for (int sime : {0, 30}) {
    auto* form = CreateForm<TPanelForm>(nullptr);
    int beeps = 0;
    Application().OnBeep = [&] { ++beeps; };
    form->KikanPanel16->SetKikan(sime, EncodeDate(2023, 4, 1), EncodeDate(2024, 3, 31), EncodeDate(2023, 4, 1));
    Application().OnBeep = nullptr;
    // Two dates for each of the two cells looked up, one for each of the 16 cells labelled.
    EXPECT_EQ(beeps, 20) << sime;
    EXPECT_EQ(Captions(*form->KikanPanel16), "4 4 4 ・ 4 4 4 ・ 4 4 4 ・ 4 4 4 決") << sime;
    form->Free();
  }
}

TEST(KikanPanel, SettersKeepTheirOwnRules) {
  auto* form = CreateForm<TPanelForm>(nullptr);
  TxKikanPanel16& p = *form->KikanPanel16;
  form->AprilYear();
  p.SetKikan(99, EncodeDate(2023, 4, 1), EncodeDate(2023, 9, 30), EncodeDate(2023, 4, 1));
  p.SetEdno(20);
  EXPECT_EQ(p.Edno(), 7);  // never above LastNo
  p.SetStno(20);
  EXPECT_EQ(p.Stno(), 20);
  EXPECT_EQ(p.StMonthNo(), 20);
  p.SetStno(2);
  p.SetKikanMove(false);
  EXPECT_EQ(p.Edno(), 2);

  // KESSAN off hides the closing cell; back on restores it. LastNo and the range stay.
  form->AprilYear();
  p.SetKESSAN(false);
  EXPECT_EQ(p.LastSelectable(), 14);
  EXPECT_EQ(p.Cell(15)->Caption(), "");
  EXPECT_FALSE(p.Cell(15)->CellEnabled());
  EXPECT_EQ(p.LastNo(), 15);
  p.SetKESSAN(true);
  EXPECT_EQ(p.LastSelectable(), 15);
  EXPECT_EQ(p.Cell(15)->Caption(), "決");
  EXPECT_TRUE(p.Cell(15)->CellEnabled());
  form->Free();
}

TEST(KikanPanel, DragSelectsTheCellsBetweenPressAndRelease) {
  auto* form = CreateForm<TPanelForm>(nullptr);
  form->AprilYear();
  uitest::ShowActive(*form);
  TxKikanPanel16& p = *form->KikanPanel16;

  form->Drag(2, {3, 4, 5});
  EXPECT_EQ(uitest::FocusedName(), "KikanPanel16");
  ASSERT_EQ(form->ups.size(), 1u);
  EXPECT_EQ(form->ups[0].sender, &p);
  EXPECT_EQ(form->ups[0].stno, 2);
  EXPECT_EQ(form->ups[0].edno, 5);
  EXPECT_EQ(p.StMonthNo(), 2);
  EXPECT_EQ(p.EdMonthNo(), 5);

  // Backwards from 9 to 6.
  form->Drag(9, {8, 6});
  EXPECT_EQ(p.Stno(), 6);
  EXPECT_EQ(p.Edno(), 9);

  // Onto a disabled cell: the range stays where it was.
  form->AprilYear(EncodeDate(2023, 7, 1));
  form->Drag(6, {5, 2});
  EXPECT_EQ(p.Stno(), 5);
  EXPECT_EQ(p.Edno(), 6);

  // A press on a disabled cell does nothing at all.
  const size_t before = form->ups.size();
  form->Drag(1, {});
  EXPECT_EQ(form->ups.size(), before);
  EXPECT_EQ(p.Stno(), 5);
  form->Free();
}

TEST(KikanPanel, KeyboardMovesTheRangeAndReportsIt) {
  struct Step {
    int key;
    Qt::KeyboardModifiers modifiers;
    int stno, edno;
  };
  const auto shift = Qt::ShiftModifier;
  struct Case {
    const char* name;
    bool kikanMove;
    TDateTime kaisi;
    int setStno;  // -1: leave as SetKikan left it
    std::vector<Step> steps;
  } cases[] = {
      {"RightCollapsesToTheNextCell", true, EncodeDate(2023, 4, 1), -1, {{Qt::Key_Right, {}, 1, 1}, {Qt::Key_Right, {}, 2, 2}}},
      {"ShiftExtendsThenReleaseNormalises", true, EncodeDate(2023, 4, 1), -1,
       {{Qt::Key_Right, {}, 1, 1}, {Qt::Key_Left, shift, 1, 0}, {Qt::Key_Shift, shift, 0, 1},
        // The anchor stays where the range began: the moving end goes back over it.
        {Qt::Key_Right, shift, 1, 1}, {Qt::Key_Right, shift, 1, 2}}},
      {"ShiftLeftShrinksTheFullYear", true, EncodeDate(2023, 4, 1), -1, {{Qt::Key_Left, shift, 0, 14}}},
      {"LeftAtTheFirstCellKeepsTheRange", true, EncodeDate(2023, 4, 1), -1, {{Qt::Key_Left, {}, 0, 15}}},
      {"RightStopsAtTheClosingCell", true, EncodeDate(2024, 3, 1), -1, {{Qt::Key_Right, {}, 15, 15}, {Qt::Key_Right, {}, 15, 15}}},
      {"LeftStopsAtTheFirstSelectable", true, EncodeDate(2023, 7, 1), -1, {{Qt::Key_Left, {}, 4, 15}}},
      {"ShiftMovesASingleCellWithoutKikanMove", false, EncodeDate(2023, 4, 1), -1, {{Qt::Key_Right, shift, 1, 1}}},
      // The program's Stno does not move the keyboard's anchor.
      {"RightContinuesFromTheOldAnchor", true, EncodeDate(2023, 4, 1), 5, {{Qt::Key_Right, {}, 1, 1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto* form = CreateForm<TPanelForm>(nullptr);
    TxKikanPanel16& p = *form->KikanPanel16;
    p.SetKikanMove(c.kikanMove);
    form->AprilYear(c.kaisi);
    if (c.setStno >= 0) p.SetStno(c.setStno);
    uitest::ShowActive(*form);
    p.SetFocus();
    uitest::Pump();
    ASSERT_EQ(uitest::FocusedName(), "KikanPanel16");
    for (const Step& s : c.steps) {
      uitest::Key(s.key, s.modifiers);
      EXPECT_EQ(p.Stno(), s.stno) << "key " << s.key;
      EXPECT_EQ(p.Edno(), s.edno) << "key " << s.key;
    }
    EXPECT_EQ(uitest::FocusedName(), "KikanPanel16");
    EXPECT_TRUE(form->ups.empty());
    form->Free();
  }
}

TEST(KikanPanel, KeyboardChangeIsReportedOnEnterOrOnLeaving) {
  auto* form = CreateForm<TPanelForm>(nullptr);
  form->AprilYear();
  uitest::ShowActive(*form);
  TxKikanPanel16& p = *form->KikanPanel16;

  // Enter reports and moves on.
  p.SetFocus();
  uitest::Key(Qt::Key_Right);
  EXPECT_TRUE(p.KBDMOUSE());
  uitest::Key(Qt::Key_Return);
  EXPECT_EQ(uitest::FocusedName(), "Button2");
  ASSERT_EQ(form->ups.size(), 1u);
  const MouseUpRecord& r = form->ups[0];
  EXPECT_EQ(r.sender, &p);
  EXPECT_EQ(r.button, mbLeft);
  EXPECT_EQ(r.shift, TShiftState(ssLeft));
  EXPECT_EQ(r.x, 0);
  EXPECT_EQ(r.y, 0);
  EXPECT_EQ(r.stno, 1);
  EXPECT_FALSE(p.KBDMOUSE());

  // Leaving after a key change reports once; leaving without one does not.
  p.SetFocus();
  uitest::Key(Qt::Key_Right);
  form->Button1->SetFocus();
  uitest::Pump();
  ASSERT_EQ(form->ups.size(), 2u);
  EXPECT_EQ(form->ups[1].stno, 2);
  p.SetFocus();
  uitest::Pump();
  form->Button2->SetFocus();
  uitest::Pump();
  EXPECT_EQ(form->ups.size(), 2u);

  // Up goes to the previous control.
  p.SetFocus();
  uitest::Key(Qt::Key_Up);
  EXPECT_EQ(uitest::FocusedName(), "Button1");
  form->Free();
}

TEST(KikanPanel, CellColoursFollowTheRangeTheFocusAndTheEnabledState) {
  auto* form = CreateForm<TPanelForm>(nullptr);
  form->AprilYear();
  uitest::ShowActive(*form);
  TxKikanPanel16& p = *form->KikanPanel16;
  p.SetStno(2);
  p.SetEdno(5);
  auto cellColor = [&](const QImage& img, int i) { return img.pixelColor(p.Cell(i)->geometry().topLeft() + QPoint(1, 1)); };
  const QColor face = ToQColor(clBtnFace), navy = ToQColor(clNavy);

  QImage shot = p.grab().toImage();
  EXPECT_EQ(cellColor(shot, 1), face);
  EXPECT_EQ(cellColor(shot, 2), navy);
  EXPECT_EQ(cellColor(shot, 5), navy);
  EXPECT_EQ(cellColor(shot, 6), face);
  EXPECT_EQ(shot.pixelColor(2, 2), face);  // the panel inside its bevels

  p.SetFocus();
  uitest::Pump();
  shot = p.grab().toImage();
  EXPECT_EQ(shot.pixelColor(2, 2), ToQColor(clGray));

  // Confirmed periods outside the range, and the disabled look.
  p.SetKakuteiMode(true);
  p.SetKakuteiMNo(2);
  shot = p.grab().toImage();
  EXPECT_EQ(cellColor(shot, 0), QColor(255, 128, 64));
  EXPECT_EQ(cellColor(shot, 2), navy);
  form->Button1->SetFocus();
  p.SetEnabled(false);
  shot = p.grab().toImage();
  EXPECT_EQ(cellColor(shot, 0), face);
  EXPECT_EQ(cellColor(shot, 3), ToQColor(clSilver));
  EXPECT_EQ(p.Cell(3)->FontColor(), clGray);
  form->Free();
}

TEST(KikanPanel, LayoutNormalisesTheWidthToWholeCells) {
  auto* form = CreateForm<TPanelForm>(nullptr);
  TxKikanPanel16& p = *form->KikanPanel16;
  form->Show();
  p.SetBounds(8, 40, 250, 30);
  uitest::Pump();
  EXPECT_EQ(p.Width(), 16 * 15 + 8);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(p.Cell(i)->geometry(), QRect(4 + 15 * i, 3, 15, 24)) << i;
  form->Free();
}

// A picture to look at: painted buttons in their styles and a period panel with a selection.
TEST(ControlsScreenshot, WritesButtonsAndPeriodPanel) {
  auto* form = CreateForm<TForm>(nullptr);
  form->SetCaption("期間選択");
  form->SetClientSize(420, 170);
  TFontSpec font;
  font.Height = -12;
  form->SetFont(font);
  auto button = [&](const char* a, const char* b, int left, int top, TxPlButtonStyle style) {
    auto* btn = new TxPlButton(form);
    btn->SetBounds(left, top, 96, b ? 40 : 26);
    btn->CaptionA().SetCaption(a);
    if (b) btn->CaptionB().SetCaption(b);
    btn->SetButtonStyle(style);
    return btn;
  };
  auto* open = button("データ選択を開く", nullptr, 10, 10, bsNormal);
  button("F2:コピー", nullptr, 112, 10, bsFlat)->SetFlatFrameType(bffEtched);
  button("OK", nullptr, 214, 10, bsRoundRect);
  auto* even = button("確定", "(F12)", 316, 10, bsNormal);
  even->CaptionA().SetAlignment(TxPlBtnAlignment::taEven);
  even->CaptionA().SetLeft(10);
  even->CaptionA().SetRight(10);
  button("取消", nullptr, 10, 60, bsNormal)->SetEnabled(false);
  auto* fkey = button("F5:削除", nullptr, 112, 60, bsFlat);
  fkey->SetHasFocus(false);
  fkey->SetEnabled(false);
  auto* panel = new TxKikanPanel16(form);
  panel->SetBounds(10, 120, 242, 22);
  panel->SetKikan(99, EncodeDate(2023, 4, 1), EncodeDate(2024, 3, 31), EncodeDate(2023, 4, 1));
  panel->SetStno(2);
  panel->SetEdno(5);
  uitest::ShowActive(*form);
  open->SetFocus();
  uitest::Pump();
  const QImage shot = form->grab().toImage();
  EXPECT_TRUE(shot.save("ctl_controls.png"));
  form->Free();
}

}  // namespace
