// The layout of the DATA node: group names, the row tables with their element names, and
// where each cell's text lives in TSyohizeiDataMake::Values.
//
// Element names are given without their rate digit; a table of the 8%, 5% or 3% class
// appends "8", "5" or "3". An empty name marks a cell without an element.
#include <string>

#include "export/sy26.h"

namespace {

struct Row {
  const char* cell[3];  // tax-excluded, tax, tax-inclusive
};

// General method.
constexpr Row kGenSales[] = {
    {{"KAZEIURIAGEZEINUKI", "KAZEIURIAGEZEIGAKU", "KAZEIURIAGEZEIKOMI"}},
    {{"MENZEIURIAGEZEINUKI", "", ""}},
    {{"HIKAZEIURIAGEYUUKAZEINUKI", "", ""}},
    {{"HIKAZEIURIAGEYUUKAIGAIZEINUKI", "", ""}},
    {{"HIKAZEISHISANYUSHUTSUZEINUKI", "", ""}},
    {{"", "", ""}},
    {{"KAZEIURIAGEHENKANZEINUKI", "KAZEIURIAGEHENKANZEIGAKU", "KAZEIURIAGEHENKANZEIKOMI"}},
    {{"MENZEIURIAGEHENKANZEINUKI", "", ""}},
    {{"HIKAZEIURIAGEHENKANZEINUKI", "", ""}},
    {{"HIKAZEISHISANHENKANZEINUKI", "", ""}},
};

// The purchases of the 8% form; the 5% and 3% forms have no specified purchases (the rows
// whose names begin with TOKUTEISHIIRE).
constexpr Row kGenPurchases[] = {
    {{"SHIIREKAZEIZEINUKI", "SHIIREKAZEIZEIGAKU", "SHIIREKAZEIZEIKOMI"}},
    {{"SHIIREHIKAZEIZEINUKI", "SHIIREHIKAZEIZEIGAKU", "SHIIREHIKAZEIZEIKOMI"}},
    {{"SHIIREKYOTUUZEINUKI", "SHIIREKYOTUUZEIGAKU", "SHIIREKYOTUUZEIKOMI"}},
    {{"TOKUTEISHIIREKAZEIZEINUKI", "", ""}},
    {{"TOKUTEISHIIREHIKAZEIZEINUKI", "", ""}},
    {{"TOKUTEISHIIREKYOTUUZEINUKI", "", ""}},
    {{"", "YUNYUSHIIREKAZEIZEIGAKU", ""}},
    {{"", "YUNYUSHIIREHIKAZEIZEIGAKU", ""}},
    {{"", "YUNYUSHIIREKYOTUUZEIGAKU", ""}},
    {{"", "YUNYUSHIIRETIHO", ""}},
    {{"SHIIREHENKANKAZEIZEINUKI", "SHIIREHENKANKAZEIZEIGAKU", "SHIIREHENKANKAZEIZEIKOMI"}},
    {{"SHIIREHENKANHIKAZEIZEINUKI", "SHIIREHENKANHIKAZEIZEIGAKU", "SHIIREHENKANHIKAZEIZEIKOMI"}},
    {{"SHIIREHENKANKYOTUUZEINUKI", "SHIIREHENKANKYOTUUZEIGAKU", "SHIIREHENKANKYOTUUZEIKOMI"}},
    {{"TOKUTEISHIIREHENKANKAZEIZEINUKI", "", ""}},
    {{"TOKUTEISHIIREHENKANHIKAZEIZEINUKI", "", ""}},
    {{"TOKUTEISHIIREHENKANKYOTUUZEINUKI", "", ""}},
    {{"", "YUNYUHENKANKAZEIZEIGAKU", ""}},
    {{"", "YUNYUHENKANHIKAZEIZEIGAKU", ""}},
    {{"", "YUNYUHENKANKYOTUUZEIGAKU", ""}},
    {{"", "YUNYUHENKANTIHO", ""}},
};
// Rows of kGenPurchases that the 5% and 3% forms have, in order.
constexpr int kPurchasesWithoutSpecified[] = {0, 1, 2, 6, 7, 8, 9, 10, 11, 12, 16, 17, 18, 19};

// Bad debts, of both methods.
constexpr Row kBadDebts[] = {
    {{"KASHIDAOREZEINUKI", "KASHIDAOREZEIGAKU", "KASHIDAOREZEIKOMI"}},
    {{"KASHIDAOREKAISHUZEINUKI", "KASHIDAOREKAISHUZEIGAKU", "KASHIDAOREKAISHUZEIKOMI"}},
};

// Simplified method: sales and returns by business type 1 to 6.
constexpr Row kKanSales[] = {
    {{"KAZEIURIAGE1SHUZEINUKI", "KAZEIURIAGE1SHUZEIGAKU", "KAZEIURIAGE1SHUZEIKOMI"}},
    {{"KAZEIURIAGE2SHUZEINUKI", "KAZEIURIAGE2SHUZEIGAKU", "KAZEIURIAGE2SHUZEIKOMI"}},
    {{"KAZEIURIAGE3SHUZEINUKI", "KAZEIURIAGE3SHUZEIGAKU", "KAZEIURIAGE3SHUZEIKOMI"}},
    {{"KAZEIURIAGE4SHUZEINUKI", "KAZEIURIAGE4SHUZEIGAKU", "KAZEIURIAGE4SHUZEIKOMI"}},
    {{"KAZEIURIAGE5SHUZEINUKI", "KAZEIURIAGE5SHUZEIGAKU", "KAZEIURIAGE5SHUZEIKOMI"}},
    {{"KAZEIURIAGE6SHUZEINUKI", "KAZEIURIAGE6SHUZEIGAKU", "KAZEIURIAGE6SHUZEIKOMI"}},
    {{"KAZEIURIAGEZEROZEINUKI", "KAZEIURIAGEZEROZEIGAKU", "KAZEIURIAGEZEROZEIKOMI"}},
    {{"", "", ""}},
    {{"MENZEIURIAGEZEINUKI", "", ""}},
};
constexpr Row kKanReturns[] = {
    {{"KAZEIHENKAN1SHUZEINUKI", "KAZEIHENKAN1SHUZEIGAKU", "KAZEIHENKAN1SHUZEIKOMI"}},
    {{"KAZEIHENKAN2SHUZEINUKI", "KAZEIHENKAN2SHUZEIGAKU", "KAZEIHENKAN2SHUZEIKOMI"}},
    {{"KAZEIHENKAN3SHUZEINUKI", "KAZEIHENKAN3SHUZEIGAKU", "KAZEIHENKAN3SHUZEIKOMI"}},
    {{"KAZEIHENKAN4SHUZEINUKI", "KAZEIHENKAN4SHUZEIGAKU", "KAZEIHENKAN4SHUZEIKOMI"}},
    {{"KAZEIHENKAN5SHUZEINUKI", "KAZEIHENKAN5SHUZEIGAKU", "KAZEIHENKAN5SHUZEIKOMI"}},
    {{"KAZEIHENKAN6SHUZEINUKI", "KAZEIHENKAN6SHUZEIGAKU", "KAZEIHENKAN6SHUZEIKOMI"}},
    {{"KAZEIHENKANZEROZEINUKI", "KAZEIHENKANZEROZEIGAKU", "KAZEIHENKANZEROZEIKOMI"}},
    {{"", "", ""}},
    {{"MENZEIURIAGEHENKANZEINUKI", "", ""}},
};

constexpr const char* kGroupNames[2][13] = {
    {"D020110", "D020111", "D020112", "D020120", "D020121", "D020122", "D020130", "D020131", "D020132", "", "",
     "KANPUH", "KANPUK"},
    {"D020210", "D020211", "D020212", "D020220", "D020221", "D020222", "D020230", "D020231", "D020232", "", "",
     "KANPUH", "KANPUK"},
};

// A table code resolved: its rows, its rate class and where its cells start in Values.
struct Table {
  const Row* rows = nullptr;
  const int* rowMap = nullptr;  // rows of `rows` in order, or null for all of them
  int count = 0;
  int rateClass = 0;            // 0 = 3%, 1 = 5%, 2 = 8%
  int firstRow = 0;             // row offset in Values (three cells per row)
};

// Values holds three blocks by rate class (3%, 5%, 8%), each: general sales, purchases, bad
// debts, then simplified sales, returns, bad debts.
constexpr int kSales = 10, kPurch8 = 20, kPurch = 14, kBad = 2, kKan = 9;
constexpr int BlockRows(int rateClass) { return kSales + (rateClass == 2 ? kPurch8 : kPurch) + kBad + 2 * kKan + kBad; }
static_assert(BlockRows(0) + BlockRows(1) + BlockRows(2) == TSyohizeiDataMake::kCellCount / 3);

bool Resolve(int method, const std::string& code, Table& t) {
  if (code.size() != 2) return false;
  switch (code[1]) {
    case '8': t.rateClass = 2; break;
    case '5': t.rateClass = 1; break;
    case '3': t.rateClass = 0; break;
    default: return false;
  }
  int block = 0;
  for (int c = 0; c < t.rateClass; ++c) block += BlockRows(c);
  const int purch = t.rateClass == 2 ? kPurch8 : kPurch;
  const char letter = code[0];
  if (method == TSyohizeiDataMake::kGeneral) {
    if (letter == 'U') {
      t.rows = kGenSales, t.count = kSales, t.firstRow = block;
    } else if (letter == 'S') {
      t.rows = kGenPurchases, t.count = purch, t.firstRow = block + kSales;
      if (t.rateClass != 2) t.rowMap = kPurchasesWithoutSpecified;
    } else if (letter == 'K') {
      t.rows = kBadDebts, t.count = kBad, t.firstRow = block + kSales + purch;
    } else {
      return false;
    }
    return true;
  }
  if (method == TSyohizeiDataMake::kSimplified) {
    const int kan = block + kSales + purch + kBad;
    if (letter == 'U') {
      t.rows = kKanSales, t.count = kKan, t.firstRow = kan;
    } else if (letter == 'H') {
      t.rows = kKanReturns, t.count = kKan, t.firstRow = kan + kKan;
    } else if (letter == 'K') {
      t.rows = kBadDebts, t.count = kBad, t.firstRow = kan + 2 * kKan;
    } else {
      return false;
    }
    return true;
  }
  return false;
}

}  // namespace

std::string TSyohizeiDataMake::GroupName(int method, int index) {
  if (method < 0 || method > 1 || index < 1 || index > 13) return {};
  return kGroupNames[method][index - 1];
}

int TSyohizeiDataMake::RowCount(int method, const std::string& tableCode) {
  Table t;
  return Resolve(method, tableCode, t) ? t.count : 0;
}

std::string TSyohizeiDataMake::ValueName(int method, const std::string& tableCode, int row, int column) {
  Table t;
  if (!Resolve(method, tableCode, t) || row < 0 || row >= t.count || column < 0 || column > 2) return {};
  const Row& r = t.rows[t.rowMap != nullptr ? t.rowMap[row] : row];
  const std::string base = r.cell[column];
  return base.empty() ? base : base + tableCode[1];
}

int TSyohizeiDataMake::CellIndex(int method, const std::string& tableCode, int row, int column) {
  Table t;
  if (!Resolve(method, tableCode, t) || row < 0 || row >= t.count || column < 0 || column > 2) return -1;
  return (t.firstRow + row) * 3 + column;
}
