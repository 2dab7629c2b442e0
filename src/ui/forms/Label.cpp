#include "ui/forms/Label.h"

#include <QEvent>

namespace forms {

TLabel::TLabel(QWidget* parent) : TWidgetControl<QLabel>(parent) {
  SetWindowed(false);
  setTextFormat(Qt::PlainText);
  SetParentColor(true);
  SetColorRole(QPalette::Window, true);
  resize(65, 13);
  Refresh();
}

std::string TLabel::DisplayText() const {
  if (!showAccelChar_) return caption_;
  std::string shown;
  for (size_t i = 0; i < caption_.size(); ++i) {
    if (caption_[i] == '&') {
      if (i + 1 < caption_.size() && caption_[i + 1] == '&') shown += '&', ++i;
      continue;
    }
    shown += caption_[i];
  }
  return shown;
}

void TLabel::SetBounds(int left, int top, int width, int height) {
  TControl::SetBounds(left, top, width, height);
  if (autoSize_) Refresh();
}

void TLabel::SetCaption(std::string_view caption) {
  caption_ = std::string(caption);
  Refresh();
}

void TLabel::SetAlignment(TAlignment alignment) {
  alignment_ = alignment;
  Refresh();
}

void TLabel::SetLayout(TTextLayout layout) {
  layout_ = layout;
  Refresh();
}

void TLabel::SetAutoSize(bool value) {
  autoSize_ = value;
  Refresh();
}

void TLabel::SetWordWrap(bool value) {
  setWordWrap(value);
  Refresh();
}

void TLabel::SetTransparent(bool value) {
  transparent_ = value;
  SetColorRole(QPalette::Window, !value);
}

void TLabel::SetShowAccelChar(bool value) {
  showAccelChar_ = value;
  Refresh();
}

void TLabel::Refresh() {
  Qt::Alignment a = alignment_ == taLeftJustify ? Qt::AlignLeft : alignment_ == taRightJustify ? Qt::AlignRight : Qt::AlignHCenter;
  a |= layout_ == tlTop ? Qt::AlignTop : layout_ == tlCenter ? Qt::AlignVCenter : Qt::AlignBottom;
  setAlignment(a);
  setText(QString::fromStdString(DisplayText()));
  if (autoSize_) {
    if (wordWrap()) {
      // A wrapping label keeps its width and takes the height its text needs.
      resize(width(), std::max(heightForWidth(width()), 1));
    } else {
      adjustSize();
    }
  }
}

void TLabel::changeEvent(QEvent* event) {
  TWidgetControl<QLabel>::changeEvent(event);
  if (event->type() == QEvent::FontChange && autoSize_) Refresh();
}

}  // namespace forms
