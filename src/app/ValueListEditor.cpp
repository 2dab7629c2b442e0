#include "app/ValueListEditor.h"

#include <QHeaderView>

TValueListEditor::TValueListEditor(QWidget* parent) : TWidgetControl<QTableWidget>(parent) {
  setColumnCount(2);
  setHorizontalHeaderLabels({QStringLiteral("キー"), QStringLiteral("値")});
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(18);
  horizontalHeader()->setFixedHeight(20);
  horizontalHeader()->setSectionsClickable(false);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  SetColorRole(QPalette::Base, true);
  SetColor(forms::clWindow);
}

void TValueListEditor::Add(const std::string& line) {
  lines_.push_back(line);
  const size_t eq = line.find('=');
  const std::string name = eq == std::string::npos ? line : line.substr(0, eq);
  const std::string value = eq == std::string::npos ? std::string() : line.substr(eq + 1);
  const int row = rowCount();
  insertRow(row);
  auto* key = new QTableWidgetItem(QString::fromStdString(name));
  key->setBackground(palette().button());
  setItem(row, 0, key);
  setItem(row, 1, new QTableWidgetItem(QString::fromStdString(value)));
}

void TValueListEditor::Clear() {
  lines_.clear();
  setRowCount(0);
}

std::string TValueListEditor::Values(const std::string& name) const {
  for (const std::string& line : lines_) {
    if (line.size() > name.size() && line.compare(0, name.size(), name) == 0 && line[name.size()] == '=') {
      return line.substr(name.size() + 1);
    }
  }
  return {};
}

void TValueListEditor::SetColWidths(int keyWidth, int valueWidth) {
  setColumnWidth(0, keyWidth);
  setColumnWidth(1, valueWidth);
}
