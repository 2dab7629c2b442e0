// Property access by name to a spread grid: ids looked up once for the whole program, the
// values and their types as the grid receives them, and the grid's own answers.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "ui/GKitSpreadControl.h"
#include "ui/forms/Form.h"

namespace {

// A grid that answers with the same ids as the real one and records what it is sent.
class TRecordingGrid : public ISpreadDispatch {
 public:
  int GetIDOfName(const QString& name) override {
    ++lookups;
    const auto& names = TSpreadGrid::PropertyNames();
    for (size_t i = 0; i < names.size(); ++i) {
      if (names[i] == name) return static_cast<int>(i) + 1;
    }
    return 0;
  }
  TSpreadValue GetProperty(int id) override {
    gets.push_back(id);
    return 21.5;
  }
  void PutProperty(int id, const TSpreadValue& value) override { puts.emplace_back(id, value); }
  void InvokePut(int id, const std::vector<TSpreadValue>& args) override {
    if (failInvoke) throw ESpreadDispatchError("Invalid row");
    invokes.emplace_back(id, args);
  }

  int lookups = 0;
  bool failInvoke = false;
  std::vector<int> gets;
  std::vector<std::pair<int, TSpreadValue>> puts;
  std::vector<std::pair<int, std::vector<TSpreadValue>>> invokes;
};

int IdOf(const char* name) {
  const auto& names = TSpreadGrid::PropertyNames();
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i] == QLatin1String(name)) return static_cast<int>(i) + 1;
  }
  return 0;
}

TEST(GKitSpreadControl, LooksUpEachNameOnceForEveryGrid) {
  TRecordingGrid first, second;
  EXPECT_EQ(gkspread::GetRowHeightMin(first), 21.5);
  EXPECT_LE(first.lookups, 1);
  const int before = first.lookups;
  gkspread::GetRowHeightMin(first);
  gkspread::SetRowHeightMin(first, 30);
  EXPECT_EQ(first.lookups, before) << "the second use of a name takes the kept id";
  gkspread::GetRowHeightMin(second);
  EXPECT_EQ(second.lookups, 0) << "the id is kept for every grid";
  EXPECT_EQ(first.gets, (std::vector<int>{IdOf("RowHeightMin"), IdOf("RowHeightMin")}));
}

TEST(GKitSpreadControl, SendsValuesWithTheirTypes) {
  TRecordingGrid grid;
  gkspread::SetColsWidth(grid, QString());
  gkspread::SetColsWidth(grid, QStringLiteral(""));
  gkspread::SetColsWidth(grid, QStringLiteral("40|300|"));
  gkspread::SetRowsFrozen(grid, 2);
  gkspread::SetRedraw(grid, false);
  gkspread::SetNoBeep(grid, true);
  ASSERT_EQ(grid.puts.size(), 6u);
  for (int i : {0, 1}) {
    ASSERT_TRUE(std::holds_alternative<QString>(grid.puts[i].second));
    EXPECT_TRUE(std::get<QString>(grid.puts[i].second).isNull()) << "an empty width list goes as a null string";
  }
  EXPECT_EQ(std::get<QString>(grid.puts[2].second), QStringLiteral("40|300|"));
  EXPECT_EQ(grid.puts[3], (std::pair<int, TSpreadValue>{IdOf("RowsFrozen"), int16_t{2}}));
  EXPECT_EQ(grid.puts[4], (std::pair<int, TSpreadValue>{IdOf("Redraw"), false}));
  EXPECT_EQ(grid.puts[5], (std::pair<int, TSpreadValue>{IdOf("NoBeep"), true}));

  // The indexed put: the value first, then the indexes from the last to the first.
  gkspread::SetCelHeight(grid, 3, 0, 24.0);
  ASSERT_EQ(grid.invokes.size(), 1u);
  EXPECT_EQ(grid.invokes[0].first, IdOf("CelHeight"));
  EXPECT_EQ(grid.invokes[0].second, (std::vector<TSpreadValue>{24.0, int16_t{0}, int16_t{3}}));
  grid.failInvoke = true;
  EXPECT_THROW(gkspread::SetCelHeight(grid, 99, 0, 24.0), ESpreadDispatchError);
}

TEST(GKitSpreadControl, TheListGridAnswersUnderTheSpreadNames) {
  auto* form = forms::CreateForm<forms::TForm>(nullptr);
  auto* grid = new TSpreadGrid(form);
  grid->SetCols(3);
  grid->SetColWidth(-1, 20);
  grid->SetColWidth(0, 30);
  grid->SetColWidth(1, 80);
  grid->SetColWidth(2, 0);
  grid->InsertRows(0, 2);
  grid->SetDefHeight(20);
  grid->SetRowHeight(TPerfectGrid::kHeadingRow, 24);

  EXPECT_EQ(gkspread::GetCols(*grid), 3);
  EXPECT_EQ(gkspread::GetColsWidth(*grid), QStringLiteral("20|30|80|0"));
  EXPECT_EQ(gkspread::GetRowsHeight(*grid), QStringLiteral("24;20;20"));
  EXPECT_EQ(gkspread::GetRowSep(*grid), QStringLiteral(";"));
  EXPECT_EQ(gkspread::GetRowHeightMin(*grid), 20.0);
  EXPECT_EQ(gkspread::GetRowsFrozen(*grid), 0);
  EXPECT_EQ(gkspread::GetWindowDividerVert(*grid), 0);

  // Widths: a number sets the column, a blank item the minimum width, other text nothing;
  // items beyond the last column are left over.
  grid->SetDefWidth(50);
  gkspread::SetColsWidth(*grid, QStringLiteral("22| |x|44|99|"));
  EXPECT_EQ(gkspread::GetColsWidth(*grid), QStringLiteral("22|50|80|44"));
  gkspread::SetCelHeight(*grid, 2, 0, 31);
  EXPECT_EQ(grid->RowHeight(1), 31);
  gkspread::SetCelHeight(*grid, 0, 0, 26);
  EXPECT_EQ(grid->RowHeight(TPerfectGrid::kHeadingRow), 26);
  EXPECT_THROW(gkspread::SetCelHeight(*grid, 9, 0, 20), ESpreadDispatchError);
  gkspread::SetRedraw(*grid, false);
  EXPECT_FALSE(grid->Redraw());
  gkspread::SetRedraw(*grid, true);
  EXPECT_FALSE(grid->NoBeep()) << "a spread grid beeps until told not to";
  gkspread::SetNoBeep(*grid, true);
  EXPECT_TRUE(grid->NoBeep());
  form->Free();
}

}  // namespace
