#include "ui/GKitSpreadControl.h"

#include <QStringList>
#include <array>
#include <cmath>

namespace {

enum Prop : int {
  pCols, pWindowDividerVert, pWindowDividerHorz, pRowSep, pRowHeightMin, pColWidthMin, pRedraw,
  pRowsFrozen, pRowsHeight, pColsWidth, pCelHeight, pNoBeep, pCount,
};

// The ids found so far, one per name (0: not looked up yet), shared by every grid.
std::array<int, pCount>& CachedIds() {
  static std::array<int, pCount> ids{};
  return ids;
}

int IdOf(ISpreadDispatch& grid, Prop p) {
  int& id = CachedIds()[p];
  if (id == 0) {
    const QString& name = TSpreadGrid::PropertyNames()[static_cast<size_t>(p)];
    id = grid.GetIDOfName(name);
    if (id == 0) throw ESpreadDispatchError("Unknown name: " + name.toStdString());
  }
  return id;
}

int16_t ToInt16(const TSpreadValue& v) {
  if (auto* i = std::get_if<int16_t>(&v)) return *i;
  if (auto* d = std::get_if<double>(&v)) return static_cast<int16_t>(std::lround(*d));
  if (auto* b = std::get_if<bool>(&v)) return *b ? -1 : 0;
  throw ESpreadDispatchError("Type mismatch: a number was expected");
}

double ToDouble(const TSpreadValue& v) {
  if (auto* d = std::get_if<double>(&v)) return *d;
  if (auto* i = std::get_if<int16_t>(&v)) return *i;
  throw ESpreadDispatchError("Type mismatch: a number was expected");
}

bool ToBool(const TSpreadValue& v) {
  if (auto* b = std::get_if<bool>(&v)) return *b;
  return ToInt16(v) != 0;
}

QString ToText(const TSpreadValue& v) {
  if (auto* s = std::get_if<QString>(&v)) return *s;
  if (std::holds_alternative<std::monostate>(v)) return QString();
  throw ESpreadDispatchError("Type mismatch: a text was expected");
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The grid under the spread-sheet names

const std::vector<QString>& TSpreadGrid::PropertyNames() {
  static const std::vector<QString> names = {
      QStringLiteral("Cols"),        QStringLiteral("WindowDividerVert"), QStringLiteral("WindowDividerHorz"),
      QStringLiteral("RowSep"),      QStringLiteral("RowHeightMin"),      QStringLiteral("ColWidthMin"),
      QStringLiteral("Redraw"),      QStringLiteral("RowsFrozen"),        QStringLiteral("RowsHeight"),
      QStringLiteral("ColsWidth"),   QStringLiteral("CelHeight"),         QStringLiteral("NoBeep"),
  };
  return names;
}

TSpreadGrid::TSpreadGrid(QWidget* parent) : TPerfectGrid(parent) {
  SetFixedLefts(1);
  SetFixedTops(1);
  // A spread grid beeps when a key leads nowhere, unless told not to.
  SetNoBeep(false);
}

int TSpreadGrid::GetIDOfName(const QString& name) {
  const auto& names = PropertyNames();
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i].compare(name, Qt::CaseInsensitive) == 0) return static_cast<int>(i) + 1;
  }
  return 0;
}

TSpreadValue TSpreadGrid::GetProperty(int id) {
  switch (id - 1) {
    case pCols: return static_cast<int16_t>(Cols());
    case pWindowDividerVert:
    case pWindowDividerHorz: return int16_t{0};  // no split panes
    case pRowSep: return QString(QChar(kRowSep));
    case pRowHeightMin: return static_cast<double>(DefHeight());
    case pColWidthMin: return static_cast<double>(DefWidth());
    case pRowsFrozen: return int16_t{0};  // the heading is the only fixed row
    case pRowsHeight: return RowsHeightText();
    case pColsWidth: return ColsWidthText();
    case pNoBeep: return NoBeep();
    case pRedraw: return Redraw();
    default: throw ESpreadDispatchError("Member not found or not readable: " + std::to_string(id));
  }
}

void TSpreadGrid::PutProperty(int id, const TSpreadValue& value) {
  switch (id - 1) {
    case pRowHeightMin: SetDefHeight(static_cast<int>(std::lround(ToDouble(value)))); return;
    case pColWidthMin: SetDefWidth(static_cast<int>(std::lround(ToDouble(value)))); return;
    case pRedraw: SetRedraw(ToBool(value)); return;
    case pRowsFrozen:
      if (ToInt16(value) != 0) throw ESpreadDispatchError("Invalid property value: this grid freezes no data rows");
      return;
    case pColsWidth: SetColsWidthText(ToText(value)); return;
    case pNoBeep: SetNoBeep(ToBool(value)); return;
    default: throw ESpreadDispatchError("Member not found or not writable: " + std::to_string(id));
  }
}

void TSpreadGrid::InvokePut(int id, const std::vector<TSpreadValue>& args) {
  if (id - 1 != pCelHeight) throw ESpreadDispatchError("Member not found: " + std::to_string(id));
  if (args.size() != 3) throw ESpreadDispatchError("Bad parameter count");
  const double height = ToDouble(args[0]);
  const int row = ToInt16(args[2]);
  if (row < 0 || row > Rows()) throw ESpreadDispatchError("Invalid row: " + std::to_string(row));
  SetRowHeight(row - 1, static_cast<int>(std::lround(height)));
}

QString TSpreadGrid::RowsHeightText() const {
  QStringList items;
  for (int row = kHeadingRow; row < Rows(); ++row) items << QString::number(RowHeight(row));
  return items.join(QChar(kRowSep));
}

QString TSpreadGrid::ColsWidthText() const {
  QStringList items;
  for (int col = -FixedLefts(); col < Cols(); ++col) items << QString::number(ColWidth(col));
  return items.join(QLatin1Char('|'));
}

void TSpreadGrid::SetColsWidthText(const QString& text) {
  if (text.isNull()) return;
  const QStringList items = text.split(QLatin1Char('|'));
  for (int i = 0; i < items.size() && i <= Cols(); ++i) {
    const QString item = items[i].trimmed();
    const int col = i - FixedLefts();
    bool ok = false;
    const int width = item.toInt(&ok);
    if (item.isEmpty()) SetColWidth(col, DefWidth());
    else if (ok) SetColWidth(col, width);
  }
}

// ---------------------------------------------------------------------------------------
// Accessors

namespace gkspread {

namespace {
TSpreadValue Get(ISpreadDispatch& grid, Prop p) { return grid.GetProperty(IdOf(grid, p)); }
void Put(ISpreadDispatch& grid, Prop p, const TSpreadValue& v) { grid.PutProperty(IdOf(grid, p), v); }
}  // namespace

int16_t GetCols(ISpreadDispatch& grid) { return ToInt16(Get(grid, pCols)); }
int16_t GetWindowDividerVert(ISpreadDispatch& grid) { return ToInt16(Get(grid, pWindowDividerVert)); }
int16_t GetWindowDividerHorz(ISpreadDispatch& grid) { return ToInt16(Get(grid, pWindowDividerHorz)); }
QString GetRowSep(ISpreadDispatch& grid) { return ToText(Get(grid, pRowSep)); }
double GetRowHeightMin(ISpreadDispatch& grid) { return ToDouble(Get(grid, pRowHeightMin)); }
void SetRowHeightMin(ISpreadDispatch& grid, double value) { Put(grid, pRowHeightMin, value); }
double GetColWidthMin(ISpreadDispatch& grid) { return ToDouble(Get(grid, pColWidthMin)); }
void SetColWidthMin(ISpreadDispatch& grid, double value) { Put(grid, pColWidthMin, value); }
void SetRedraw(ISpreadDispatch& grid, bool value) { Put(grid, pRedraw, value); }
int16_t GetRowsFrozen(ISpreadDispatch& grid) { return ToInt16(Get(grid, pRowsFrozen)); }
void SetRowsFrozen(ISpreadDispatch& grid, int16_t value) { Put(grid, pRowsFrozen, value); }
QString GetRowsHeight(ISpreadDispatch& grid) { return ToText(Get(grid, pRowsHeight)); }
QString GetColsWidth(ISpreadDispatch& grid) { return ToText(Get(grid, pColsWidth)); }

void SetColsWidth(ISpreadDispatch& grid, const QString& value) {
  Put(grid, pColsWidth, value.isEmpty() ? TSpreadValue(QString()) : TSpreadValue(value));
}

void SetCelHeight(ISpreadDispatch& grid, int16_t index1, int16_t index2, double value) {
  grid.InvokePut(IdOf(grid, pCelHeight), {value, index2, index1});
}

void SetNoBeep(ISpreadDispatch& grid, bool value) { Put(grid, pNoBeep, value); }

}  // namespace gkspread
