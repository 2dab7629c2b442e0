// The checked combo box: checking items with the mouse in the open list, the checked text and
// count, both display styles, the list's height, the context menu, the drop button's reopen
// rule and the keys. Writes ctl_checkedcombo.png into the working folder for a person to look
// at.
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "selection/xCheckedComboBox.h"
#include "ui/UiTestSupport.h"
#include "ui/forms/Application.h"
#include "ui/forms/Button.h"

using namespace forms;

namespace {

class TComboForm : public TForm {
 public:
  explicit TComboForm(QWidget* owner) : TForm(owner) {
    SetName("TComboForm");
    SetCaption("担当者");
    SetClientSize(260, 120);
    Combo = new TxCheckedComboBox(this);
    Combo->SetName("Combo");
    Combo->SetBounds(10, 10, 160, 20);
    Next = new TButton(this);
    Next->SetName("Next");
    Next->SetBounds(10, 80, 75, 25);
    Combo->OnChange = [this](QObject*) { ++changes; };
    Combo->OnButtonClick = [this](QObject*) { ++buttonClicks; };
    Combo->OnCloseUp = [this](QObject*) { ++closeUps; };
  }

  QListWidget* List() const { return Combo->DropDown()->List(); }

  // A mouse click on the check mark of item `i` of the open list.
  void ClickCheck(int i) {
    QListWidget* list = List();
    QStyleOptionViewItem opt;
    opt.initFrom(list->viewport());
    opt.rect = list->visualItemRect(list->item(i));
    opt.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    opt.text = list->item(i)->text();
    opt.font = list->font();
    const QRect box = list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, list);
    uitest::Click(list->viewport(), box.center());
  }

  void ClickButton() { uitest::Click(Combo->DropButton()); }

  TxCheckedComboBox* Combo;
  TButton* Next;
  int changes = 0, buttonClicks = 0, closeUps = 0;
};

std::vector<std::string> Letters(int n) {
  std::vector<std::string> items;
  for (int i = 0; i < n; ++i) items.push_back("担当" + std::to_string(i + 1));
  return items;
}

TEST(CheckedCombo, CheckingItemsBuildsTheTextTheCountAndTheDisplay) {
  struct Case {
    const char* name;
    bool multi;
    TCHBDispStyle style;
    bool sortDisplay;
    std::vector<int> clicks;  // items clicked in order (a second click unchecks)
    const char* checked;
    int count;
    const char* display;
  } cases[] = {
      {"NothingChecked", true, dsKensu, false, {}, "", 0, "未選択"},
      {"OneShowsTheItem", true, dsKensu, false, {1}, "B", 1, "B"},
      {"CountOfTheRest", true, dsKensu, false, {0, 1, 2, 1}, "A,C", 2, "2件選択"},
      {"ItemsOfTheRest", true, dsItems, false, {0, 1, 2, 1}, "A,C", 2, "A,C"},
      {"ItemsInCheckedOrder", true, dsItems, false, {2, 0}, "C,A", 2, "C,A"},
      {"ItemsInListOrder", true, dsItems, true, {2, 0}, "C,A", 2, "A,C"},
      {"SingleChoiceKeepsTheLast", false, dsKensu, false, {0, 1}, "B", 1, "B"},
      {"SingleChoiceUnchecked", false, dsItems, false, {0, 1, 1}, "", 0, "未選択"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto* form = CreateForm<TComboForm>(nullptr);
    TxCheckedComboBox& combo = *form->Combo;
    combo.SetItems({"A", "B", "C"});
    combo.SetMultiSelect(c.multi);
    combo.SetDispStyle(c.style);
    combo.SetSortDisplay(c.sortDisplay);
    uitest::ShowActive(*form);
    form->ClickButton();
    ASSERT_TRUE(combo.DroppedDown());
    for (int i : c.clicks) form->ClickCheck(i);
    EXPECT_EQ(combo.CheckedText(), c.checked);
    EXPECT_EQ(combo.CheckedCount(), c.count);
    EXPECT_EQ(combo.DisplayText(), c.display);
    EXPECT_EQ(combo.DisplayPanel()->Caption(), c.display);
    EXPECT_EQ(form->changes, static_cast<int>(c.clicks.size()));
    // The list shows what the text holds.
    int marks = 0;
    for (int i = 0; i < form->List()->count(); ++i) marks += form->List()->item(i)->checkState() == Qt::Checked;
    EXPECT_EQ(marks, c.count);
    form->Free();
  }
}

TEST(CheckedCombo, ListHeightFollowsLinesColumnsAndItems) {
  struct Case {
    const char* name;
    int items, columns, setLines, lines;
  } cases[] = {
      {"FiftyItems", 50, 0, 0, 15},
      {"ThreeColumns", 50, 3, 0, 17},
      {"TwentyFiveLinesIgnored", 50, 0, 25, 15},
      {"ZeroLinesIgnored", 50, 0, 0, 15},
      {"FewItems", 4, 0, 0, 4},
      {"ColumnsCappedAtTwenty", 50, 2, 0, 20},
      {"EightLines", 50, 0, 8, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto* form = CreateForm<TComboForm>(nullptr);
    TxCheckedComboBox& combo = *form->Combo;
    combo.SetItems(Letters(c.items));
    combo.SetColumns(c.columns);
    combo.SetDropDownLines(c.setLines);
    uitest::ShowActive(*form);
    form->ClickButton();
    ASSERT_TRUE(combo.DroppedDown());
    EXPECT_EQ(combo.OpenLines(), c.lines);
    EXPECT_EQ(combo.DropDown()->height(), combo.ItemHeight() * c.lines + 4);
    EXPECT_EQ(combo.DropDown()->width(), 160);
    form->Free();
  }
}

TEST(CheckedCombo, NewItemsUncheckEverything) {
  auto* form = CreateForm<TComboForm>(nullptr);
  TxCheckedComboBox& combo = *form->Combo;
  combo.SetItems({"A", "B"});
  uitest::ShowActive(*form);
  form->ClickButton();
  form->ClickCheck(0);
  EXPECT_EQ(combo.DisplayText(), "A");
  combo.SetItems({"X", "Y", "Z"});
  EXPECT_EQ(combo.CheckedText(), "");
  EXPECT_EQ(combo.CheckedCount(), 0);
  EXPECT_EQ(combo.DisplayPanel()->Caption(), "未選択");
  ASSERT_EQ(form->List()->count(), 3);
  EXPECT_EQ(form->List()->item(0)->checkState(), Qt::Unchecked);
  combo.SetEmptyValue("選択なし");
  EXPECT_EQ(combo.DisplayPanel()->Caption(), "選択なし");
  // The count format is read for its count only.
  form->ClickCheck(0);
  form->ClickCheck(1);
  combo.SetKensuValueFormat("%s%d件%%");
  EXPECT_EQ(combo.DisplayText(), "%s2件%");
  form->Free();
}

TEST(CheckedCombo, ContextMenuChecksAndUnchecksAll) {
  auto* form = CreateForm<TComboForm>(nullptr);
  TxCheckedComboBox& combo = *form->Combo;
  combo.SetItems({"A", "B", "C"});
  uitest::ShowActive(*form);
  form->ClickButton();
  TxCheckDropDown& drop = *combo.DropDown();
  EXPECT_EQ(drop.CheckAllAction()->text(), "&全て選択");
  EXPECT_EQ(drop.UncheckAllAction()->text(), "&選択解除");
  drop.CheckAllAction()->trigger();
  EXPECT_EQ(combo.CheckedText(), "A,B,C");
  EXPECT_EQ(combo.DisplayText(), "3件選択");
  EXPECT_EQ(form->List()->item(2)->checkState(), Qt::Checked);
  form->ClickCheck(1);
  EXPECT_EQ(combo.CheckedText(), "A,C");
  drop.UncheckAllAction()->trigger();
  EXPECT_EQ(combo.CheckedText(), "");
  EXPECT_EQ(combo.CheckedCount(), 0);
  EXPECT_EQ(form->changes, 3);
  // A single choice has no check-all.
  combo.SetMultiSelect(false);
  EXPECT_FALSE(drop.CheckAllAction()->isEnabled());
  drop.CheckAllAction()->trigger();
  EXPECT_EQ(combo.CheckedText(), "");
  form->Free();
}

TEST(CheckedCombo, DropButtonClosesTheOpenListWithoutReopening) {
  auto* form = CreateForm<TComboForm>(nullptr);
  TxCheckedComboBox& combo = *form->Combo;
  uitest::ShowActive(*form);
  // No items: nothing opens, the click is reported all the same.
  form->ClickButton();
  EXPECT_FALSE(combo.DroppedDown());
  EXPECT_EQ(form->buttonClicks, 1);
  EXPECT_EQ(uitest::FocusedName(), "Combo");

  combo.SetItems({"A", "B", "C"});
  form->ClickButton();
  EXPECT_TRUE(combo.DroppedDown());
  EXPECT_EQ(combo.ButtonPicture(), TxCheckedComboBox::bpPress);
  // The list sits below the control.
  EXPECT_EQ(combo.DropDown()->geometry().topLeft(), combo.mapToGlobal(QPoint(0, combo.height())));
  form->ClickButton();
  EXPECT_FALSE(combo.DroppedDown());
  EXPECT_EQ(combo.ButtonPicture(), TxCheckedComboBox::bpNormal);
  EXPECT_EQ(form->closeUps, 1);
  EXPECT_EQ(form->buttonClicks, 3);
  // The next click opens it again.
  form->ClickButton();
  EXPECT_TRUE(combo.DroppedDown());

  // Esc in the list closes it; the focus is back on the control.
  uitest::Key(Qt::Key_Escape);
  EXPECT_FALSE(combo.DroppedDown());
  EXPECT_EQ(uitest::FocusedName(), "Combo");
  // F4 opens; Enter in the list closes it and moves on.
  uitest::Key(Qt::Key_F4);
  EXPECT_TRUE(combo.DroppedDown());
  uitest::Key(Qt::Key_Return);
  EXPECT_FALSE(combo.DroppedDown());
  EXPECT_EQ(uitest::FocusedName(), "Next");
  // Enter on the control moves on too.
  combo.SetFocus();
  uitest::Pump();
  uitest::Key(Qt::Key_Return);
  EXPECT_EQ(uitest::FocusedName(), "Next");
  form->Free();
}

TEST(CheckedCombo, PanelAndButtonFollowFocusAndEnabledState) {
  auto* form = CreateForm<TComboForm>(nullptr);
  TxCheckedComboBox& combo = *form->Combo;
  uitest::ShowActive(*form);
  form->Next->SetFocus();
  uitest::Pump();
  EXPECT_EQ(combo.DisplayPanel()->Color(), clWhite);
  combo.SetFocus();
  uitest::Pump();
  EXPECT_EQ(combo.DisplayPanel()->Color(), clHighlight);
  EXPECT_EQ(combo.DisplayPanel()->Font().Color, clWhite);
  form->Next->SetFocus();
  combo.SetEnabled(false);
  uitest::Pump();
  EXPECT_EQ(combo.ButtonPicture(), TxCheckedComboBox::bpGray);
  EXPECT_EQ(combo.DisplayPanel()->Font().Color, clGray);
  combo.SetEnabled(true);
  EXPECT_EQ(combo.ButtonPicture(), TxCheckedComboBox::bpNormal);
  // The button takes a tenth of the width at the right end.
  EXPECT_EQ(combo.DropButton()->geometry(), QRect(160 - 16, 1, 16, combo.height() - 2));
  form->Free();
}

// A picture to look at: the control with its list open and two items checked.
TEST(CheckedCombo, WritesAScreenshot) {
  auto* form = CreateForm<TComboForm>(nullptr);
  TxCheckedComboBox& combo = *form->Combo;
  combo.SetItems({"営業部 山田", "経理部 佐藤", "総務部 鈴木", "製造部 田中"});
  combo.SetDispStyle(dsItems);
  uitest::ShowActive(*form);
  form->ClickButton();
  form->ClickCheck(0);
  form->ClickCheck(2);
  const QImage back = form->grab().toImage();
  const QImage list = combo.DropDown()->grab().toImage();
  QImage shot(back.size(), QImage::Format_RGB32);
  QPainter p(&shot);
  p.drawImage(0, 0, back);
  const QPoint at = form->mapFromGlobal(combo.DropDown()->geometry().topLeft());
  p.drawImage(at, list);
  p.setPen(Qt::black);
  p.drawRect(QRect(at, list.size()).adjusted(0, 0, -1, -1));
  p.end();
  EXPECT_TRUE(shot.save("ctl_checkedcombo.png"));
  form->Free();
}

}  // namespace
