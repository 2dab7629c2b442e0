#pragma once
// Container controls: the bevelled panel and the group box.
#include <QGroupBox>
#include <QWidget>
#include <string>
#include <string_view>

#include "ui/forms/Control.h"

namespace forms {

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// A panel that paints its own bevels (outer bevel, border, inner bevel) and a centred caption.
// The edges are drawn with the fixed system colours, not by the Qt style, so that they look
// the same everywhere. A new panel is 185 × 41 with a raised outer bevel and no tab stop.
class TPanel : public TWidgetControl<QWidget> {
 public:
  explicit TPanel(QWidget* parent);

  std::string Caption() const { return caption_; }
  void SetCaption(std::string_view caption);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);
  TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut bevel);
  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut bevel);
  int BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(int width);
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int width);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle style);

  // Aligned children fill the area inside the bevels and the border.
  QRect AlignRect() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  // The edges and the background; derived panels paint their own content afterwards.
  QRect PaintFrame(QPainter& painter);

 private:
  void Changed();

  std::string caption_;
  TAlignment alignment_ = taCenter;
  TBevelCut bevelInner_ = bvNone;
  TBevelCut bevelOuter_ = bvRaised;
  int bevelWidth_ = 1;
  int borderWidth_ = 0;
  TBorderStyle borderStyle_ = bsNone;
};

class TGroupBox : public TWidgetControl<QGroupBox> {
 public:
  explicit TGroupBox(QWidget* parent);
  std::string Caption() const;
  void SetCaption(std::string_view caption);
  QRect AlignRect() const override;
};

}  // namespace forms
