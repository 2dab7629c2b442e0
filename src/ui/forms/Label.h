#pragma once
// The static text control. Not windowed: it never takes the focus. "&" marks an accelerator
// ("&&" is a literal "&"); the accelerator character is shown without the mark.
#include <QLabel>
#include <string>
#include <string_view>

#include "ui/forms/Control.h"

namespace forms {

enum TTextLayout { tlTop, tlCenter, tlBottom };

class TLabel : public TWidgetControl<QLabel> {
 public:
  explicit TLabel(QWidget* parent);

  std::string Caption() const { return caption_; }
  void SetCaption(std::string_view caption);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout layout);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);
  bool WordWrap() const { return wordWrap(); }
  void SetWordWrap(bool value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool value);

  // An auto-sized label keeps the size of its text whatever size is set.
  void SetBounds(int left, int top, int width, int height) override;

  // The caption as shown (accelerator marks removed).
  std::string DisplayText() const;

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void Refresh();

  std::string caption_;
  TAlignment alignment_ = taLeftJustify;
  TTextLayout layout_ = tlTop;
  bool autoSize_ = true;
  bool transparent_ = false;
  bool showAccelChar_ = true;
};

}  // namespace forms
