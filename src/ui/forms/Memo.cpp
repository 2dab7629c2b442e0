#include "ui/forms/Memo.h"

#include "platform/TextLines.h"
#include "ui/forms/Application.h"

namespace forms {

TMemo::TMemo(QWidget* parent) : TWidgetControl<QPlainTextEdit>(parent) {
  SetColor(clWindow);
  SetColorRole(QPalette::Base, false);
  resize(185, 89);
  ApplyWrap();
  SetScrollBars(ssNone);
  connect(this, &QPlainTextEdit::textChanged, this, [this] {
    Guard([&] {
      if (OnChange) OnChange(this);
    });
  });
}

std::vector<std::string> TMemo::Lines() const {
  const std::string text = toPlainText().toStdString();
  if (text.empty()) return {};
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  lines.push_back(line);
  return lines;
}

void TMemo::SetLines(const std::vector<std::string>& lines) {
  std::string joined;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) joined += '\n';
    joined += lines[i];
  }
  setPlainText(QString::fromStdString(joined));
}

void TMemo::Add(std::string_view line) {
  auto lines = Lines();
  lines.emplace_back(line);
  SetLines(lines);
}

void TMemo::Clear() { clear(); }

std::string TMemo::Text() const { return textlines::ToText(Lines()); }

void TMemo::SetText(std::string_view text) { SetLines(textlines::FromText(text)); }

void TMemo::SetScrollBars(TScrollStyle style) {
  scrollBars_ = style;
  const bool h = style == ssHorizontal || style == ssBoth;
  const bool v = style == ssVertical || style == ssBoth;
  setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  ApplyWrap();
}

void TMemo::SetWordWrap(bool value) {
  wordWrap_ = value;
  ApplyWrap();
}

void TMemo::ApplyWrap() {
  // A horizontal scroll bar turns wrapping off, as in the platform's edit control.
  const bool wrap = wordWrap_ && scrollBars_ != ssHorizontal && scrollBars_ != ssBoth;
  setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void TMemo::SetBorderStyle(TBorderStyle style) {
  borderStyle_ = style == bsSingle ? bsSingle : bsNone;
  setFrameShape(borderStyle_ == bsSingle ? QFrame::StyledPanel : QFrame::NoFrame);
}

bool TMemo::WantsKey(int key, TShiftState) {
  switch (key) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
      return true;
    case VK_TAB:
      return wantTabs_;
    case VK_RETURN: case VK_ESCAPE:
      return wantReturns_;
    default:
      return false;
  }
}

}  // namespace forms
