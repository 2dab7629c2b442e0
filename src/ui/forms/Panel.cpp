#include "ui/forms/Panel.h"

#include <QPainter>

namespace forms {
namespace {

void BevelColors(TBevelCut bevel, TColor& top, TColor& bottom) {
  top = bevel == bvLowered ? clBtnShadow : clBtnHighlight;
  bottom = bevel == bvLowered ? clBtnHighlight : clBtnShadow;
}

}  // namespace

TPanel::TPanel(QWidget* parent) : TWidgetControl<QWidget>(parent) {
  SetColorRole(QPalette::Window, false);  // paints its own background
  SetTabStop(false);
  setFocusPolicy(Qt::NoFocus);
  resize(185, 41);
}

void TPanel::Changed() {
  AlignControls();
  update();
}

void TPanel::SetCaption(std::string_view caption) {
  caption_ = std::string(caption);
  update();
}

void TPanel::SetAlignment(TAlignment alignment) {
  alignment_ = alignment;
  update();
}

void TPanel::SetBevelInner(TBevelCut bevel) {
  bevelInner_ = bevel;
  Changed();
}

void TPanel::SetBevelOuter(TBevelCut bevel) {
  bevelOuter_ = bevel;
  Changed();
}

void TPanel::SetBevelWidth(int width) {
  bevelWidth_ = std::max(1, width);
  Changed();
}

void TPanel::SetBorderWidth(int width) {
  borderWidth_ = std::max(0, width);
  Changed();
}

void TPanel::SetBorderStyle(TBorderStyle style) {
  borderStyle_ = style == bsSingle ? bsSingle : bsNone;
  Changed();
}

QRect TPanel::AlignRect() const {
  int inset = borderWidth_;
  if (borderStyle_ == bsSingle) inset += 2;
  if (bevelOuter_ != bvNone) inset += bevelWidth_;
  if (bevelInner_ != bvNone) inset += bevelWidth_;
  return rect().adjusted(inset, inset, -inset, -inset);
}

QRect TPanel::PaintFrame(QPainter& painter) {
  QRect r = rect();
  TColor top, bottom;
  if (borderStyle_ == bsSingle) {
    Frame3D(painter, r, clBtnShadow, clBtnHighlight, 1);
    Frame3D(painter, r, cl3DDkShadow, cl3DLight, 1);
  }
  if (bevelOuter_ != bvNone) {
    BevelColors(bevelOuter_, top, bottom);
    Frame3D(painter, r, top, bottom, bevelWidth_);
  }
  Frame3D(painter, r, Color(), Color(), borderWidth_);
  if (bevelInner_ != bvNone) {
    BevelColors(bevelInner_, top, bottom);
    Frame3D(painter, r, top, bottom, bevelWidth_);
  }
  painter.fillRect(r, ToQColor(Color()));
  return r;
}

void TPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect r = PaintFrame(painter);
  if (caption_.empty()) return;
  painter.setFont(font());
  painter.setPen(ToQColor(Font().Color));
  int flags = Qt::AlignVCenter | Qt::TextSingleLine;
  flags |= alignment_ == taLeftJustify ? Qt::AlignLeft : alignment_ == taRightJustify ? Qt::AlignRight : Qt::AlignHCenter;
  painter.drawText(r, flags, QString::fromStdString(caption_));
}

TGroupBox::TGroupBox(QWidget* parent) : TWidgetControl<QGroupBox>(parent) {
  SetParentColor(true);
  SetTabStop(false);
  setFocusPolicy(Qt::NoFocus);
  resize(185, 105);
}

std::string TGroupBox::Caption() const { return title().toStdString(); }

void TGroupBox::SetCaption(std::string_view caption) {
  setTitle(QString::fromUtf8(caption.data(), static_cast<int>(caption.size())));
}

QRect TGroupBox::AlignRect() const { return contentsRect(); }

}  // namespace forms
