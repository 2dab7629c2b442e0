#pragma once
// Typed access to the properties of a spread-sheet grid by name, the way a program reaches a
// grid it knows no type of: the grid answers an id for a property name, then values are read
// and written by id. The ids are looked up once per name and kept for the whole program, so
// the first grid that answers a name fixes its id for every later grid.
//
// TSpreadGrid is the list grid (PerfectGrid.h) under the spread-sheet names: spread column 0
// is the row header (grid column -1) and spread row 0 the heading row; data column c and data
// row r of the grid are spread column c + 1 and row r + 1.
#include <QString>
#include <cstdint>
#include <stdexcept>
#include <variant>
#include <vector>

#include "ui/PerfectGrid.h"

// A property value: empty (a null), a Boolean, a 16-bit integer, a double or a wide string.
using TSpreadValue = std::variant<std::monostate, bool, int16_t, double, QString>;

// A failed call on the grid's properties (unknown id, wrong value, failing put).
class ESpreadDispatchError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The late-bound face of a grid.
class ISpreadDispatch {
 public:
  virtual ~ISpreadDispatch() = default;
  // The id of a property name (compared without regard to case); 0 when there is none.
  virtual int GetIDOfName(const QString& name) = 0;
  virtual TSpreadValue GetProperty(int id) = 0;
  virtual void PutProperty(int id, const TSpreadValue& value) = 0;
  // A put with indexes; `args` in reverse order: the value, then the last index ... the first.
  virtual void InvokePut(int id, const std::vector<TSpreadValue>& args) = 0;
};

class TSpreadGrid : public TPerfectGrid, public ISpreadDispatch {
 public:
  // The properties in id order (ids count from 1).
  static const std::vector<QString>& PropertyNames();
  // The separator of RowsHeight.
  static constexpr char16_t kRowSep = u';';

  explicit TSpreadGrid(QWidget* parent);

  int GetIDOfName(const QString& name) override;
  TSpreadValue GetProperty(int id) override;
  void PutProperty(int id, const TSpreadValue& value) override;
  void InvokePut(int id, const std::vector<TSpreadValue>& args) override;

 private:
  QString ColsWidthText() const;
  void SetColsWidthText(const QString& text);
  QString RowsHeightText() const;
};

namespace gkspread {

int16_t GetCols(ISpreadDispatch& grid);
int16_t GetWindowDividerVert(ISpreadDispatch& grid);
int16_t GetWindowDividerHorz(ISpreadDispatch& grid);
QString GetRowSep(ISpreadDispatch& grid);
double GetRowHeightMin(ISpreadDispatch& grid);
void SetRowHeightMin(ISpreadDispatch& grid, double value);
double GetColWidthMin(ISpreadDispatch& grid);
void SetColWidthMin(ISpreadDispatch& grid, double value);
void SetRedraw(ISpreadDispatch& grid, bool value);
int16_t GetRowsFrozen(ISpreadDispatch& grid);
void SetRowsFrozen(ISpreadDispatch& grid, int16_t value);
QString GetRowsHeight(ISpreadDispatch& grid);
// Column widths joined by "|".
QString GetColsWidth(ISpreadDispatch& grid);
// An empty text is sent as a null string.
void SetColsWidth(ISpreadDispatch& grid, const QString& value);
// The height of row `index1` (`index2` a column, unused by row heights).
void SetCelHeight(ISpreadDispatch& grid, int16_t index1, int16_t index2, double value);
void SetNoBeep(ISpreadDispatch& grid, bool value);

}  // namespace gkspread
