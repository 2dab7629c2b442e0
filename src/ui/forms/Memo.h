#pragma once
// The multi-line text control. Lines are UTF-8 texts; Text joins them with CR LF after each
// line, as the stored texts expect.
#include <QPlainTextEdit>
#include <string>
#include <string_view>
#include <vector>

#include "ui/forms/Control.h"

namespace forms {

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

class TMemo : public TWidgetControl<QPlainTextEdit> {
 public:
  explicit TMemo(QWidget* parent);

  std::vector<std::string> Lines() const;
  void SetLines(const std::vector<std::string>& lines);
  void Add(std::string_view line);
  void Clear();
  std::string Text() const;
  void SetText(std::string_view text);

  bool ReadOnly() const { return isReadOnly(); }
  void SetReadOnly(bool value) { setReadOnly(value); }
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle style);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);
  bool WantReturns() const { return wantReturns_; }
  void SetWantReturns(bool value) { wantReturns_ = value; }
  bool WantTabs() const { return wantTabs_; }
  void SetWantTabs(bool value) { wantTabs_ = value; }
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle style);

  TNotifyEvent OnChange;

  bool WantsKey(int key, TShiftState shift) override;

 private:
  void ApplyWrap();

  TScrollStyle scrollBars_ = ssNone;
  bool wordWrap_ = true;
  bool wantReturns_ = true;
  bool wantTabs_ = false;
  TBorderStyle borderStyle_ = bsSingle;
};

}  // namespace forms
