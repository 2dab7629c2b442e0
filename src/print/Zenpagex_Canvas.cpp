#include "print/Zenpagex_Canvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QPaintEngine>
#include <QTransform>
#include <cstdlib>

#include "print/Zenpagex_Record.h"

namespace {

Qt::BrushStyle QtBrushStyle(int style) {
  switch (style) {
    case bsSolid: return Qt::SolidPattern;
    case bsClear: return Qt::NoBrush;
    case bsHorizontal: return Qt::HorPattern;
    case bsVertical: return Qt::VerPattern;
    case bsFDiagonal: return Qt::BDiagPattern;  // rising from left to right, as the hatch of the records
    case bsBDiagonal: return Qt::FDiagPattern;
    case bsCross: return Qt::CrossPattern;
    case bsDiagCross: return Qt::DiagCrossPattern;
    default: return Qt::SolidPattern;
  }
}

bool IsHatch(int style) { return style >= bsHorizontal && style <= bsDiagCross; }

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

TQtCanvas::TQtCanvas(QPainter& painter, bool printer) : painter_(painter), printer_(printer) {
  base_ = painter_.worldTransform();
}

void TQtCanvas::SetZoom(int zoom) {
  const double z = zoom / 10.0;
  painter_.setWorldTransform(QTransform::fromScale(z, z) * base_);
}

void TQtCanvas::ApplyPen() {
  if (Pen.Style == psClear) {
    painter_.setPen(Qt::NoPen);
    return;
  }
  QPen pen(forms::ToQColor(Pen.Color));
  pen.setWidth(Pen.Width < 0 ? 0 : Pen.Width);
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  // Dashes exist only for thin pens; a wider dashed pen draws solid.
  if (Pen.Width <= 1) {
    switch (Pen.Style) {
      case psDash: pen.setStyle(Qt::DashLine); break;
      case psDot: pen.setStyle(Qt::DotLine); break;
      case psDashDot: pen.setStyle(Qt::DashDotLine); break;
      case psDashDotDot: pen.setStyle(Qt::DashDotDotLine); break;
      default: break;
    }
  }
  painter_.setPen(pen);
}

void TQtCanvas::ApplyBrush() { painter_.setBrush(QBrush(forms::ToQColor(Brush.Color), QtBrushStyle(Brush.Style))); }

void TQtCanvas::ApplyFont() {
  QFont font(Q(forms::SubstituteFontName(Font.Name)));
  font.setPixelSize(std::max(1, std::abs(Font.Height)));
  font.setBold(Font.Style & forms::fsBold);
  font.setItalic(Font.Style & forms::fsItalic);
  font.setUnderline(Font.Style & forms::fsUnderline);
  font.setStrikeOut(Font.Style & forms::fsStrikeOut);
  font.setFixedPitch(true);
  painter_.setFont(font);
}

QRectF TQtCanvas::ShapeRect(int x1, int y1, int x2, int y2) const {
  QRectF r(QPointF(x1, y1), QPointF(x2, y2));
  r = r.normalized();
  if (Pen.Style == psInsideFrame && Pen.Width > 1) {
    const double d = Pen.Width / 2.0;
    r.adjust(d, d, -d, -d);
  }
  return r;
}

template <typename Draw>
void TQtCanvas::Shape(Draw draw) {
  if (IsHatch(Brush.Style) && Opaque) {
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(Qt::white);
    draw();
  }
  ApplyPen();
  ApplyBrush();
  draw();
}

void TQtCanvas::MoveTo(int x, int y) { current_ = QPoint(x, y); }

void TQtCanvas::LineTo(int x, int y) {
  ApplyPen();
  painter_.drawLine(current_, QPoint(x, y));
  current_ = QPoint(x, y);
}

void TQtCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  const QRectF r = ShapeRect(x1, y1, x2, y2);
  Shape([&] { painter_.drawRect(r); });
}

void TQtCanvas::RoundRect(int x1, int y1, int x2, int y2, int cornerW, int cornerH) {
  const QRectF r = ShapeRect(x1, y1, x2, y2);
  Shape([&] { painter_.drawRoundedRect(r, cornerW / 2.0, cornerH / 2.0); });
}

void TQtCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  const QRectF r = ShapeRect(x1, y1, x2, y2);
  Shape([&] { painter_.drawEllipse(r); });
}

void TQtCanvas::FillRect(int x1, int y1, int x2, int y2) {
  const QRectF r = QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized();
  if (IsHatch(Brush.Style) && Opaque) painter_.fillRect(r, Qt::white);
  painter_.fillRect(r, QBrush(forms::ToQColor(Brush.Color), QtBrushStyle(Brush.Style)));
}

void TQtCanvas::TextOut(int x, int y, const std::string& text) {
  ApplyFont();
  const QFontMetrics fm = painter_.fontMetrics();
  const QString s = Q(text);
  if (Opaque) painter_.fillRect(QRectF(x, y, fm.horizontalAdvance(s), fm.height()), forms::ToQColor(Brush.Color));
  painter_.setPen(forms::ToQColor(Font.Color));
  painter_.drawText(QPointF(x, y + fm.ascent()), s);
}

int TQtCanvas::TextWidth(const std::string& text) {
  ApplyFont();
  return painter_.fontMetrics().horizontalAdvance(Q(text));
}

int TQtCanvas::TextHeight(const std::string&) {
  ApplyFont();
  return painter_.fontMetrics().height();
}

void TQtCanvas::DrawImage(const QRect& rect, const QImage& image, bool andMode) {
  const QPainter::CompositionMode before = painter_.compositionMode();
  if (andMode) {
    const bool raster = painter_.paintEngine() && painter_.paintEngine()->type() == QPaintEngine::Raster;
    // Raster operations exist only on images; elsewhere multiplying darkens the same way.
    painter_.setCompositionMode(raster ? QPainter::RasterOp_SourceAndDestination : QPainter::CompositionMode_Multiply);
  }
  painter_.drawImage(QRectF(rect).normalized(), image);
  painter_.setCompositionMode(before);
}

// ---- recording ----

TImagePainter::TImagePainter(QImage& image) : ImagePainter(&image) {}

TRecordingCanvas::TRecordingCanvas(QImage& image, bool printer) : TImagePainter(image), TQtCanvas(ImagePainter, printer) {}

TRecordingCanvas::~TRecordingCanvas() { ImagePainter.end(); }

TDrawn TRecordingCanvas::Make(const std::string& kind, QRect rect) const {
  TDrawn d;
  d.Kind = kind;
  d.Rect = rect;
  d.Pen = Pen;
  d.Brush = Brush;
  d.Font = Font;
  d.Opaque = Opaque;
  d.AndMode = AndMode;
  return d;
}

void TRecordingCanvas::MoveTo(int x, int y) {
  from_ = QPoint(x, y);
  TQtCanvas::MoveTo(x, y);
}

void TRecordingCanvas::LineTo(int x, int y) {
  Drawn.push_back(Make("line", QRect(from_, QPoint(x, y))));
  from_ = QPoint(x, y);
  TQtCanvas::LineTo(x, y);
}

void TRecordingCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  Drawn.push_back(Make("rect", QRect(QPoint(x1, y1), QPoint(x2, y2))));
  TQtCanvas::Rectangle(x1, y1, x2, y2);
}

void TRecordingCanvas::RoundRect(int x1, int y1, int x2, int y2, int cornerW, int cornerH) {
  Drawn.push_back(Make("roundrect", QRect(QPoint(x1, y1), QPoint(x2, y2))));
  TQtCanvas::RoundRect(x1, y1, x2, y2, cornerW, cornerH);
}

void TRecordingCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  Drawn.push_back(Make("ellipse", QRect(QPoint(x1, y1), QPoint(x2, y2))));
  TQtCanvas::Ellipse(x1, y1, x2, y2);
}

void TRecordingCanvas::FillRect(int x1, int y1, int x2, int y2) {
  Drawn.push_back(Make("fill", QRect(QPoint(x1, y1), QPoint(x2, y2))));
  TQtCanvas::FillRect(x1, y1, x2, y2);
}

void TRecordingCanvas::TextOut(int x, int y, const std::string& text) {
  TDrawn d = Make("text", QRect(x, y, TextWidth(text), TextHeight(text)));
  d.Text = text;
  Drawn.push_back(d);
  TQtCanvas::TextOut(x, y, text);
}

void TRecordingCanvas::DrawImage(const QRect& rect, const QImage& image, bool andMode) {
  TDrawn d = Make("image", rect);
  d.AndMode = andMode;
  Drawn.push_back(d);
  TQtCanvas::DrawImage(rect, image, andMode);
}

const TDrawn* TRecordingCanvas::Find(const std::string& kind, const std::string& text) const {
  for (const auto& d : Drawn) {
    if (d.Kind == kind && (text.empty() || d.Text == text)) return &d;
  }
  return nullptr;
}
