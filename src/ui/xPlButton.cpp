#include "ui/xPlButton.h"

#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

#include "ui/forms/Application.h"
#include "ui/forms/Form.h"

using namespace forms;

namespace {

QString ToQString(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

// The characters of a caption, one entry per character as the user sees it (a double-byte
// character is one).
std::vector<QString> CharactersOf(const QString& text) {
  std::vector<QString> chars;
  for (char32_t c : text.toUcs4()) chars.push_back(QString::fromUcs4(&c, 1));
  return chars;
}

int Channel(int begin, int end, int y, int last) { return begin + y * (end - begin) / last; }

// A dotted frame (every other pixel) that inverts what lies below, as the platform's focus
// rectangle does. `r` is given as left, top and exclusive right, bottom.
void InvertDottedFrame(QPainter& painter, int left, int top, int right, int bottom) {
  if (right <= left || bottom <= top) return;
  std::vector<QPoint> dots;
  auto dot = [&](int x, int y) {
    if (((x + y) & 1) == 0) dots.emplace_back(x, y);
  };
  for (int x = left; x < right; ++x) {
    dot(x, top);
    if (bottom - 1 != top) dot(x, bottom - 1);
  }
  for (int y = top + 1; y < bottom - 1; ++y) {
    dot(left, y);
    if (right - 1 != left) dot(right - 1, y);
  }
  painter.save();
  painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  painter.setPen(QPen(Qt::white, 0));
  painter.drawPoints(dots.data(), static_cast<int>(dots.size()));
  painter.restore();
}

QPainterPath RoundRectPath(const QRectF& rect, int corner) {
  QPainterPath path;
  path.addRoundedRect(rect, corner / 2.0, corner / 2.0);
  return path;
}

}  // namespace

std::vector<int> PlBtnEvenPositions(const std::vector<int>& widths, int start, int span) {
  std::vector<int> positions;
  const int n = static_cast<int>(widths.size());
  if (n == 0) return positions;
  int textWidth = 0;
  for (int w : widths) textWidth += w;
  if (n == 1) {
    positions.push_back(start + (span - textWidth) / 2);
    return positions;
  }
  // Integer division and remainder truncate toward zero; a caption wider than the span gives
  // negative gaps and a negative remainder, taken back one pixel at a time.
  const int gap = (span - textWidth) / (n - 1);
  int rest = (span - textWidth) % (n - 1);
  int x = start;
  for (int w : widths) {
    positions.push_back(x);
    x += w + gap;
    if (rest > 0) {
      ++x;
      --rest;
    } else if (rest < 0) {
      --x;
      ++rest;
    }
  }
  return positions;
}

// ---------------------------------------------------------------------------------------
// TxPlBtnCaption

void TxPlBtnCaption::Changed() {
  if (owner_) owner_->Refresh();
}

void TxPlBtnCaption::SetCaption(std::string_view caption) {
  if (caption_ == caption) return;
  caption_ = std::string(caption);
  Changed();
}

void TxPlBtnCaption::SetAlignment(TxPlBtnAlignment alignment) {
  if (alignment_ == alignment) return;
  alignment_ = alignment;
  Changed();
}

void TxPlBtnCaption::SetLeft(int left) {
  if (left_ == left) return;
  left_ = left;
  Changed();
}

void TxPlBtnCaption::SetRight(int right) {
  if (right_ == right) return;
  right_ = right;
  Changed();
}

void TxPlBtnCaption::Assign(const TxPlBtnCaption& source) {
  if (&source == this) return;
  alignment_ = source.alignment_;
  caption_ = source.caption_;
  left_ = source.left_;
  right_ = source.right_;
  Changed();
}

// ---------------------------------------------------------------------------------------
// TxPlBtnImage

void TxPlBtnImage::Changed() {
  if (owner_) owner_->Refresh();
}

void TxPlBtnImage::SetPicture(const TPicture& picture) {
  picture_ = picture;
  if (picture_.Kind() != TGraphicKind::Bitmap && picture_.Kind() != TGraphicKind::Icon) picture_.Clear();
  // Repaint in both cases: a picture that was shown before must disappear when cleared.
  Changed();
}

void TxPlBtnImage::SetLeft(int left) {
  if (left_ == left && !horzCenter_) return;
  left_ = left;
  horzCenter_ = false;
  Changed();
}

void TxPlBtnImage::SetTop(int top) {
  if (top_ == top && !vertCenter_) return;
  top_ = top;
  vertCenter_ = false;
  Changed();
}

void TxPlBtnImage::SetVisible(bool value) {
  if (visible_ == value) return;
  visible_ = value;
  Changed();
}

void TxPlBtnImage::SetTransParent(bool value) {
  if (transParent_ == value) return;
  transParent_ = value;
  Changed();
}

void TxPlBtnImage::SetVertCenter(bool value) {
  if (vertCenter_ == value) return;
  vertCenter_ = value;
  if (value) Changed();
}

void TxPlBtnImage::SetHorzCenter(bool value) {
  if (horzCenter_ == value) return;
  horzCenter_ = value;
  if (value) Changed();
}

void TxPlBtnImage::Assign(const TxPlBtnImage& source) {
  if (&source == this) return;
  picture_ = source.picture_;
  left_ = source.left_;
  top_ = source.top_;
  visible_ = source.visible_;
  transParent_ = source.transParent_;
  vertCenter_ = source.vertCenter_;
  horzCenter_ = source.horzCenter_;
  Changed();
}

// ---------------------------------------------------------------------------------------
// TxPlButton

TxPlButton::TxPlButton(QWidget* parent) : TWidgetControl<QWidget>(parent) {
  SetColorRole(QPalette::Window, false);  // paints every pixel itself
  SetParentColor(false);
  SetClickOnMouseUp(true);
  // Clicks focus the button explicitly (left button only, and only with HasFocus).
  setFocusPolicy(Qt::TabFocus);
  resize(75, 26);
  // Created on its parent: this is the first parent it gets.
  if (parent) {
    captionNamed_ = true;
    captionA_.SetCaption(Name());
  }
}

void TxPlButton::Refresh() {
  if (isVisible()) repaint();
}

void TxPlButton::SetButtonStyle(TxPlButtonStyle style) {
  buttonStyle_ = style;
  UpdateRegion();
  Refresh();  // also when unchanged
}

void TxPlButton::SetGradation(bool value) {
  if (gradation_ == value) return;
  gradation_ = value;
  if (value) SetParentColor(false);
  Refresh();
}

void TxPlButton::SetGradBeginColor(TColor color) {
  if (gradBegin_ == color) return;
  gradBegin_ = color;
  Refresh();
}

void TxPlButton::SetGradEndColor(TColor color) {
  if (gradEnd_ == color) return;
  gradEnd_ = color;
  Refresh();
}

void TxPlButton::SetHasFocus(bool value) {
  if (hasFocus_ == value) return;
  hasFocus_ = value;
  setFocusPolicy(value ? Qt::TabFocus : Qt::NoFocus);
  Refresh();
}

void TxPlButton::SetCaptionLineSpace(int value) {
  if (captionLineSpace_ == value) return;
  captionLineSpace_ = value;
  Refresh();
}

void TxPlButton::SetCaptionTop(int value) {
  if (captionTop_ == value && !captionVertCenter_) return;
  captionTop_ = value;
  captionVertCenter_ = false;
  Refresh();
}

void TxPlButton::SetCaptionVertCenter(bool value) {
  if (captionVertCenter_ == value) return;
  captionVertCenter_ = value;
  if (value) Refresh();
}

void TxPlButton::SetFlatFrameType(TxPlBtnFrameType type) {
  if (flatFrameType_ == type) return;
  flatFrameType_ = type;
  Refresh();
}

void TxPlButton::UpdateRegion() {
  if (buttonStyle_ == bsRoundRect || buttonStyle_ == bsRoundRectNoFrame) {
    const QPainterPath path = RoundRectPath(QRectF(0, 0, width() + 1, height() + 1), cornerSize_);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
  } else if (!mask().isEmpty()) {
    clearMask();
  }
}

void TxPlButton::Resized() {
  UpdateRegion();
  Refresh();
}

// ---- painting ----

void TxPlButton::paintEvent(QPaintEvent*) {
  // The widget is double-buffered by Qt's backing store, which takes the place of the
  // off-screen bitmap the button would otherwise draw into.
  QPainter painter(this);
  const int offset = pressed_ && hasFocus_ ? 1 : 0;
  PaintBackground(painter);
  PaintPicture(painter, offset);
  PaintCaptions(painter, offset);
  PaintFrame(painter);
  if (hasFocus_ && Screen().ActiveControl() == this) PaintFocusMark(painter);
}

void TxPlButton::PaintBackground(QPainter& painter) {
  const int w = width(), h = height();
  if (!gradation_) {
    painter.fillRect(rect(), ToQColor(Color()));
    return;
  }
  if (h <= 0) return;
  // The device shows every colour exactly, so the nearest colour is the colour itself.
  const TColor begin = ColorToRGB(gradBegin_), end = ColorToRGB(gradEnd_);
  if (h == 1) {
    painter.fillRect(0, 0, w, 1, ToQColor(begin));
    return;
  }
  for (int y = 0; y < h; ++y) {
    const int r = Channel(GetRValue(begin), GetRValue(end), y, h - 1);
    const int g = Channel(GetGValue(begin), GetGValue(end), y, h - 1);
    const int b = Channel(GetBValue(begin), GetBValue(end), y, h - 1);
    painter.fillRect(0, y, w, 1, QColor(r, g, b));
  }
}

void TxPlButton::PaintPicture(QPainter& painter, int offset) {
  TPicture& picture = image_.picture_;
  if (!image_.visible_ || picture.Empty()) return;
  if (image_.vertCenter_) image_.top_ = (height() - picture.Height()) / 2;
  if (image_.horzCenter_) image_.left_ = (width() - picture.Width()) / 2;
  if (picture.Kind() == TGraphicKind::Bitmap && image_.transParent_) {
    painter.drawImage(image_.left_, image_.top_, picture.Transparented());
    return;
  }
  const QPoint at(image_.left_ + offset, image_.top_ + offset);
  if (!Enabled() && hasFocus_) {
    QStyleOption option;
    option.initFrom(this);
    const QPixmap greyed = style()->generatedIconPixmap(QIcon::Disabled, QPixmap::fromImage(picture.Image()), &option);
    painter.drawPixmap(at, greyed);
  } else {
    painter.drawImage(at, picture.Image());
  }
}

void TxPlButton::PaintCaptionLine(QPainter& painter, const TxPlBtnCaption& line, int dx, int top, const QColor& color) {
  const QString text = ToQString(line.Caption());
  if (text.isEmpty()) return;
  const QFontMetrics metrics(font());
  const int baseline = top + metrics.ascent();
  const int w = width();
  painter.setPen(color);
  const std::vector<QString> chars = CharactersOf(text);
  if (line.Alignment() == TxPlBtnAlignment::taEven && chars.size() > 1) {
    std::vector<int> widths;
    for (const QString& c : chars) widths.push_back(metrics.horizontalAdvance(c));
    const auto xs = PlBtnEvenPositions(widths, line.Left() + 2, w - line.Left() - line.Right() - 4);
    for (size_t i = 0; i < chars.size(); ++i) painter.drawText(xs[i] + dx, baseline, chars[i]);
    return;
  }
  const int textWidth = metrics.horizontalAdvance(text);
  int x = 0;
  switch (line.Alignment()) {
    case TxPlBtnAlignment::taLeft: x = line.Left() + 2; break;
    case TxPlBtnAlignment::taRight: x = w - line.Right() - 2 - textWidth; break;
    default: x = w / 2 - textWidth / 2; break;  // centred on the middle (also a lone taEven character)
  }
  painter.drawText(x + dx, baseline, text);
}

void TxPlButton::PaintCaptions(QPainter& painter, int offset) {
  const QFontMetrics metrics(font());
  const int h = metrics.height();
  const int height = this->height();
  const bool hasA = !captionA_.Caption().empty(), hasB = !captionB_.Caption().empty();

  int topA;
  if (captionVertCenter_) {
    topA = hasB ? (height - 2 * h - captionLineSpace_) / 2 : (height - h) / 2 + 1;
    captionTop_ = topA;
  } else {
    topA = captionTop_;
  }
  int topB;
  if (captionVertCenter_) {
    if (hasA) {
      topB = topA + h + captionLineSpace_;
    } else {
      topB = (height - metrics.height()) / 2;
      captionTop_ = topB;
    }
  } else {
    topB = captionTop_ + (hasA ? h + captionLineSpace_ : 0);
  }

  auto draw = [&](int shift, const QColor& color) {
    PaintCaptionLine(painter, captionA_, offset + shift, topA + offset + shift, color);
    PaintCaptionLine(painter, captionB_, offset + shift, topB + offset + shift, color);
  };
  if (Enabled()) {
    draw(0, ToQColor(Font().Color));
  } else if (hasFocus_) {
    // Embossed: a highlight one pixel down and right, the shadow in place.
    draw(1, ToQColor(clBtnHighlight));
    draw(0, ToQColor(clBtnShadow));
  } else {
    draw(0, ToQColor(clGrayText));
  }
}

void TxPlButton::PaintFrame(QPainter& painter) {
  QRect r = rect();
  switch (buttonStyle_) {
    case bsNormal:
      if (pressed_) {
        Frame3D(painter, r, clBtnShadow, clBtnShadow, 1);
        Frame3D(painter, r, clGray, clGray, 1);
      } else {
        Frame3D(painter, r, cl3DLight, cl3DDkShadow, 1);
        Frame3D(painter, r, clBtnHighlight, clBtnShadow, 1);
      }
      break;
    case bsFlat:
      switch (flatFrameType_) {
        case bffEtched:
          Frame3D(painter, r, clBtnShadow, clBtnHighlight, 1);
          Frame3D(painter, r, clBtnHighlight, clBtnShadow, 1);
          break;
        case bffBump:
          Frame3D(painter, r, cl3DLight, cl3DDkShadow, 1);
          Frame3D(painter, r, cl3DDkShadow, cl3DLight, 1);
          break;
        default:
          Frame3D(painter, r, clBtnShadow, clBtnShadow, 1);
          break;
      }
      break;
    case bsRoundRect:
      painter.save();
      painter.setRenderHint(QPainter::Antialiasing, false);
      painter.setBrush(Qt::NoBrush);
      painter.setPen(QPen(QColor(117, 117, 117), 0));
      painter.drawPath(RoundRectPath(QRectF(0, 0, width() - 1, height() - 1), cornerSize_));
      painter.restore();
      break;
    default:
      break;
  }
}

void TxPlButton::PaintFocusMark(QPainter& painter) {
  const int w = width(), h = height();
  if (buttonStyle_ == bsRoundRect || buttonStyle_ == bsRoundRectNoFrame) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    QPen pen(QColor(32, 32, 32), 0);
    pen.setDashPattern({1, 1});
    painter.setPen(pen);
    painter.drawPath(RoundRectPath(QRectF(2, 2, w - 5, h - 5), 8));
    painter.restore();
    return;
  }
  int right = w - 3, bottom = h - 3;
  if (buttonStyle_ == bsFlat && flatFrameType_ == bffBump) {
    ++right;
    ++bottom;
  } else if (buttonStyle_ == bsFlat && flatFrameType_ == bffEtched) {
    --right;
    --bottom;
  }
  InvertDottedFrame(painter, 3, 3, right, bottom);
}

// ---- mouse ----

bool TxPlButton::event(QEvent* event) {
  if (event->type() == QEvent::ParentChange && !captionNamed_ && parentWidget()) {
    // The first parent: the first caption starts as the component name.
    captionNamed_ = true;
    captionA_.SetCaption(Name());
  }
  return TWidgetControl<QWidget>::event(event);
}

void TxPlButton::mousePressEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton) return;
  if (hasFocus_) SetFocus();
  pressed_ = true;
  Refresh();
}

void TxPlButton::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton) return;
  pressed_ = false;
  Refresh();
}

void TxPlButton::enterEvent(QEnterEvent* event) {
  const QPoint pos = event->position().toPoint();
  Guard([&] {
    if (OnMouseEnter) OnMouseEnter(this, CurrentShiftState(), pos.x(), pos.y());
  });
  if (QGuiApplication::mouseButtons() & Qt::LeftButton) Refresh();
}

void TxPlButton::leaveEvent(QEvent*) {
  const QPoint pos = mapFromGlobal(QCursor::pos());
  Guard([&] {
    if (OnMouseLeave) OnMouseLeave(this, CurrentShiftState(), pos.x(), pos.y());
  });
  pressed_ = false;
  Refresh();
}

void TxPlButton::changeEvent(QEvent* event) {
  TWidgetControl<QWidget>::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) update();
}

// ---- click and keys ----

void TxPlButton::Click() {
  pressed_ = false;
  if (TForm* form = ParentForm()) form->SetModalResult(modalResult_);
  TControl::Click();
  update();
}

bool TxPlButton::DialogKey(int key, TShiftState shift) {
  // A hidden or disabled button answers no dialog key (a Cancel button on a page that is not
  // shown must not cancel the dialog).
  if ((shift & kModifierKeys) == 0 && hasFocus_ && CanFocus()) {
    const bool enter = key == VK_RETURN && Screen().ActiveControl() == this;
    const bool escape = key == VK_ESCAPE && cancel_;
    if (enter || escape) {
      Click();
      return true;
    }
  }
  return TControl::DialogKey(key, shift);
}

void TxPlButton::KeyDown(int& key, TShiftState shift) {
  TControl::KeyDown(key, shift);
  if (key == VK_RETURN && Enabled()) {
    // Enter that was not a dialog key (a modifier was held): the click handler only.
    key = 0;
    if (OnClick) OnClick(this);
  }
}

void TxPlButton::KeyUp(int& key, TShiftState shift) {
  if (key == VK_RETURN) {
    pressed_ = false;
    update();
  }
  TControl::KeyUp(key, shift);
}

void TxPlButton::DoEnter() {
  if (!hasFocus_) return;
  TControl::DoEnter();
  Refresh();
}

void TxPlButton::DoExit() {
  if (!hasFocus_) return;
  TControl::DoExit();
  Refresh();
}
