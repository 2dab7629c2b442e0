#pragma once
// A two-column list of name=value lines under a fixed title row ("キー", "値"): the key
// column is fixed, a whole row is selected at once, the user does not edit it.
#include <QTableWidget>
#include <string>
#include <vector>

#include "ui/forms/Control.h"

class TValueListEditor : public forms::TWidgetControl<QTableWidget> {
 public:
  explicit TValueListEditor(QWidget* parent);

  // The name=value lines, one per row below the title row.
  std::vector<std::string> Strings() const { return lines_; }
  void Add(const std::string& line);
  void Clear();
  // Rows including the title row: 1 for an empty list.
  int RowCount() const { return static_cast<int>(lines_.size()) + 1; }
  // The value of the first line named `name`; empty when none.
  std::string Values(const std::string& name) const;
  void SetColWidths(int keyWidth, int valueWidth);

 private:
  std::vector<std::string> lines_;
};
