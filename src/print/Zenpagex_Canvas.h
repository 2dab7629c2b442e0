#pragma once
// The surface the renderer draws a page on, with the drawing model record files are written
// for: a current point for lines, text placed by the top of its character cell, an opaque text
// background in the brush colour, pens whose width is in device units (0 = one pixel), brushes
// with hatch styles on a white background, and an isotropic zoom (Zoom / 10) that magnifies
// positions, pen widths and fonts alike. Coordinates are device units before the zoom.
//
// TQtCanvas draws through a QPainter (an image for the preview and tests, the printer's page
// when printing). TRecordingCanvas draws on an image as well and keeps a list of what it drew,
// so tests can check positions and attributes primitive by primitive.
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QTransform>
#include <string>
#include <vector>

#include "print/Zenpagex_Colors.h"

struct TCanvasPen {
  TColor Color = 0;
  int Width = 1;  // device units; 0: one pixel
  int Style = 0;  // TPenStyleCode
};

struct TCanvasBrush {
  TColor Color = 0xFFFFFF;
  int Style = 0;  // TBrushStyleCode
};

struct TCanvasFont {
  std::string Name = "ＭＳ 明朝";
  int Height = -13;  // device units; negative: the character height without internal leading
  forms::TFontStyles Style = 0;
  TColor Color = 0;
};

class TCanvas {
 public:
  virtual ~TCanvas() = default;

  TCanvasPen Pen;
  TCanvasBrush Brush;
  TCanvasFont Font;
  // Text and hatch gaps are backed by the brush colour (text) or white (hatches) when set.
  bool Opaque = true;
  // AND the pictures and fills drawn with DrawImage onto what lies beneath.
  bool AndMode = false;

  // True for the printer's page (margin corrections, MESSAGE records, FORM only with PrintFom).
  virtual bool IsPrinter() const = 0;
  // The magnification Zoom / 10 for everything drawn from now on.
  virtual void SetZoom(int zoom) = 0;

  virtual void MoveTo(int x, int y) = 0;
  virtual void LineTo(int x, int y) = 0;
  virtual void Rectangle(int x1, int y1, int x2, int y2) = 0;
  virtual void RoundRect(int x1, int y1, int x2, int y2, int cornerW, int cornerH) = 0;
  virtual void Ellipse(int x1, int y1, int x2, int y2) = 0;
  // Fills with the brush, no frame.
  virtual void FillRect(int x1, int y1, int x2, int y2) = 0;
  // `text` (UTF-8) with its cell's top-left corner at (x, y).
  virtual void TextOut(int x, int y, const std::string& text) = 0;
  virtual int TextWidth(const std::string& text) = 0;
  virtual int TextHeight(const std::string& text) = 0;
  // The picture stretched into the rectangle; ANDed onto the page when `andMode`.
  virtual void DrawImage(const QRect& rect, const QImage& image, bool andMode) = 0;
  // The painter underneath, for chart panels; nullptr when there is none.
  virtual QPainter* Painter() = 0;
};

class TQtCanvas : public TCanvas {
 public:
  // `painter` is active on the page; `printer` tells whether it is the printer's page.
  TQtCanvas(QPainter& painter, bool printer);

  bool IsPrinter() const override { return printer_; }
  void SetZoom(int zoom) override;
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void Rectangle(int x1, int y1, int x2, int y2) override;
  void RoundRect(int x1, int y1, int x2, int y2, int cornerW, int cornerH) override;
  void Ellipse(int x1, int y1, int x2, int y2) override;
  void FillRect(int x1, int y1, int x2, int y2) override;
  void TextOut(int x, int y, const std::string& text) override;
  int TextWidth(const std::string& text) override;
  int TextHeight(const std::string& text) override;
  void DrawImage(const QRect& rect, const QImage& image, bool andMode) override;
  QPainter* Painter() override { return &painter_; }

 protected:
  QPainter& painter_;

 private:
  void ApplyPen();
  void ApplyBrush();
  void ApplyFont();
  // Hatch gaps white, then the brush; `draw` draws the shape with the brush and pen in place.
  template <typename Draw>
  void Shape(Draw draw);
  // The pen's inside-frame rule: the shape shrinks by half the width.
  QRectF ShapeRect(int x1, int y1, int x2, int y2) const;

  bool printer_;
  QPoint current_;
  QTransform base_;
};

// One drawn primitive, as a test reads it back.
struct TDrawn {
  std::string Kind;  // "line", "rect", "roundrect", "ellipse", "fill", "text", "image"
  QRect Rect;        // line: from topLeft to bottomRight as given; text: cell top-left and size
  std::string Text;
  TCanvasPen Pen;
  TCanvasBrush Brush;
  TCanvasFont Font;
  bool Opaque = false;
  bool AndMode = false;
};

// The painter of a recording canvas, made before the canvas that draws through it.
struct TImagePainter {
  explicit TImagePainter(QImage& image);
  QPainter ImagePainter;
};

class TRecordingCanvas : private TImagePainter, public TQtCanvas {
 public:
  // Draws on `image` (kept white where nothing is drawn), as a screen canvas unless `printer`.
  explicit TRecordingCanvas(QImage& image, bool printer = false);
  ~TRecordingCanvas() override;

  void LineTo(int x, int y) override;
  void Rectangle(int x1, int y1, int x2, int y2) override;
  void RoundRect(int x1, int y1, int x2, int y2, int cornerW, int cornerH) override;
  void Ellipse(int x1, int y1, int x2, int y2) override;
  void FillRect(int x1, int y1, int x2, int y2) override;
  void TextOut(int x, int y, const std::string& text) override;
  void DrawImage(const QRect& rect, const QImage& image, bool andMode) override;
  void MoveTo(int x, int y) override;

  std::vector<TDrawn> Drawn;

  // The first primitive of `kind` (and, when given, with `text`); nullptr when none.
  const TDrawn* Find(const std::string& kind, const std::string& text = {}) const;

 private:
  TDrawn Make(const std::string& kind, QRect rect) const;
  QPoint from_;
};
