#pragma once
// The painted push button of the dialogs and the wizard: a vertical colour gradient, up to two
// caption lines, an optional bitmap or icon, one of five frame styles, a pressed look and a
// focus mark. A click sets the form's ModalResult; Enter clicks the active button and Esc the
// Cancel button. Function-key bars use buttons with HasFocus false, which never take the focus.
//
// It is a plain widget, not a QPushButton, so that Qt's default-button logic stays out: Enter
// and Esc reach it only as the form's dialog keys.
#include <QRegion>
#include <QWidget>
#include <string>
#include <string_view>
#include <vector>

#include "ui/forms/Control.h"
#include "ui/forms/Image.h"

class TxPlButton;

enum TxPlButtonStyle { bsNormal, bsFlat, bsFlatNoFrame, bsRoundRect, bsRoundRectNoFrame };
enum TxPlBtnFrameType { bffFlat, bffEtched, bffBump };
// Scoped: the form layer's TAlignment already names a taCenter.
enum class TxPlBtnAlignment { taCenter, taLeft, taRight, taEven };

// One caption line of a button.
class TxPlBtnCaption {
 public:
  explicit TxPlBtnCaption(TxPlButton* owner) : owner_(owner) {}
  TxPlBtnCaption(const TxPlBtnCaption&) = delete;
  TxPlBtnCaption& operator=(const TxPlBtnCaption&) = delete;

  std::string Caption() const { return caption_; }
  void SetCaption(std::string_view caption);
  TxPlBtnAlignment Alignment() const { return alignment_; }
  void SetAlignment(TxPlBtnAlignment alignment);
  int Left() const { return left_; }
  void SetLeft(int left);
  int Right() const { return right_; }
  void SetRight(int right);
  // Takes the text, alignment and margins of `source`.
  void Assign(const TxPlBtnCaption& source);

 private:
  void Changed();

  TxPlButton* owner_;
  std::string caption_;
  TxPlBtnAlignment alignment_ = TxPlBtnAlignment::taCenter;
  int left_ = 0;
  int right_ = 0;
};

// The picture of a button: a bitmap or an icon, nothing else.
class TxPlBtnImage {
 public:
  explicit TxPlBtnImage(TxPlButton* owner) : owner_(owner) {}
  TxPlBtnImage(const TxPlBtnImage&) = delete;
  TxPlBtnImage& operator=(const TxPlBtnImage&) = delete;

  const forms::TPicture& Picture() const { return picture_; }
  // Copies `picture`; any other kind of graphic than a bitmap or an icon leaves it empty.
  void SetPicture(const forms::TPicture& picture);
  int Left() const { return left_; }
  void SetLeft(int left);
  int Top() const { return top_; }
  void SetTop(int top);
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  bool TransParent() const { return transParent_; }
  void SetTransParent(bool value);
  bool VertCenter() const { return vertCenter_; }
  void SetVertCenter(bool value);
  bool HorzCenter() const { return horzCenter_; }
  void SetHorzCenter(bool value);
  void Assign(const TxPlBtnImage& source);

 private:
  friend class TxPlButton;
  void Changed();

  TxPlButton* owner_;
  forms::TPicture picture_;
  int left_ = 10;
  int top_ = 0;
  bool visible_ = true;
  bool transParent_ = false;
  bool vertCenter_ = true;
  bool horzCenter_ = false;
};

// Where the characters of a taEven caption start: `widths` are the characters' widths, the
// first starts at `start` and the last ends at start + `span` (integer gaps, the remainder
// spread one pixel at a time over the first gaps).
std::vector<int> PlBtnEvenPositions(const std::vector<int>& widths, int start, int span);

class TxPlButton : public forms::TWidgetControl<QWidget> {
 public:
  explicit TxPlButton(QWidget* parent);

  TxPlButtonStyle ButtonStyle() const { return buttonStyle_; }
  void SetButtonStyle(TxPlButtonStyle style);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }
  bool Gradation() const { return gradation_; }
  void SetGradation(bool value);
  forms::TColor GradBeginColor() const { return gradBegin_; }
  void SetGradBeginColor(forms::TColor color);
  forms::TColor GradEndColor() const { return gradEnd_; }
  void SetGradEndColor(forms::TColor color);
  bool HasFocus() const { return hasFocus_; }
  void SetHasFocus(bool value);
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int result) { modalResult_ = result; }

  TxPlBtnImage& Image() { return image_; }
  const TxPlBtnImage& Image() const { return image_; }
  void SetImage(const TxPlBtnImage& image) { image_.Assign(image); }
  TxPlBtnCaption& CaptionA() { return captionA_; }
  const TxPlBtnCaption& CaptionA() const { return captionA_; }
  void SetCaptionA(const TxPlBtnCaption& caption) { captionA_.Assign(caption); }
  TxPlBtnCaption& CaptionB() { return captionB_; }
  const TxPlBtnCaption& CaptionB() const { return captionB_; }
  void SetCaptionB(const TxPlBtnCaption& caption) { captionB_.Assign(caption); }

  int CaptionLineSpace() const { return captionLineSpace_; }
  void SetCaptionLineSpace(int value);
  int CaptionTop() const { return captionTop_; }
  void SetCaptionTop(int value);
  bool CaptionVertCenter() const { return captionVertCenter_; }
  void SetCaptionVertCenter(bool value);
  TxPlBtnFrameType FlatFrameType() const { return flatFrameType_; }
  void SetFlatFrameType(TxPlBtnFrameType type);

  bool Pressed() const { return pressed_; }

  forms::TMouseMoveEvent OnMouseEnter;
  forms::TMouseMoveEvent OnMouseLeave;

  // Repaints at once.
  void Refresh();

  void Click() override;
  bool DialogKey(int key, forms::TShiftState shift) override;
  void KeyDown(int& key, forms::TShiftState shift) override;
  void KeyUp(int& key, forms::TShiftState shift) override;
  void DoEnter() override;
  void DoExit() override;

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void Resized() override;

 private:
  void UpdateRegion();
  void PaintBackground(QPainter& painter);
  void PaintPicture(QPainter& painter, int offset);
  void PaintCaptions(QPainter& painter, int offset);
  void PaintCaptionLine(QPainter& painter, const TxPlBtnCaption& line, int dx, int top, const QColor& color);
  void PaintFrame(QPainter& painter);
  void PaintFocusMark(QPainter& painter);

  TxPlButtonStyle buttonStyle_ = bsNormal;
  bool cancel_ = false;
  bool gradation_ = true;
  forms::TColor gradBegin_ = forms::clWhite;
  forms::TColor gradEnd_ = forms::clSilver;
  bool hasFocus_ = true;
  int modalResult_ = 0;
  TxPlBtnImage image_{this};
  TxPlBtnCaption captionA_{this};
  TxPlBtnCaption captionB_{this};
  int captionLineSpace_ = 4;
  int captionTop_ = 0;
  bool captionVertCenter_ = true;
  TxPlBtnFrameType flatFrameType_ = bffFlat;

  bool pressed_ = false;
  int cornerSize_ = 10;
  bool captionNamed_ = false;
};
