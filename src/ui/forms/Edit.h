#pragma once
// The single-line edit. MaxLength counts CP932 bytes, as the stored fields do (a full-width
// character takes two); 0 means no limit. ImeMode imDisable switches the input method off.
//
// Every change the user makes (typing, pasting, dropping, the input method) must give a text
// that AcceptText accepts, or it is refused whole; texts set by the program are not checked.
// Derived edits narrow AcceptText to hold pasted text to the rules typed text follows.
#include <QLineEdit>
#include <string>
#include <string_view>

#include "ui/forms/Control.h"

namespace forms {

// Readings of what is typed through an input method, which reports no readings itself: a
// composition made only of kana is remembered (lastKanaPreedit); when a composition is
// committed, its reading is the committed text when that is all kana, else the last kana
// composition, else the kana within the committed text. lastKanaPreedit is cleared then.
std::u32string ToU32(const QString& s);
bool AllKana(const std::u32string& s);
std::u32string CommittedReading(const std::u32string& commit, std::u32string& lastKanaPreedit);

enum TImeMode {
  imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata,
  imChinese, imSHanguel, imHanguel,
};

class TEdit : public TWidgetControl<QLineEdit> {
 public:
  explicit TEdit(QWidget* parent);

  std::string Text() const { return text().toStdString(); }
  void SetText(std::string_view text);
  int MaxLength() const { return maxBytes_; }
  virtual void SetMaxLength(int bytes);
  bool ReadOnly() const { return isReadOnly(); }
  void SetReadOnly(bool value) { setReadOnly(value); }
  char32_t PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(char32_t ch);
  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool value) { autoSelect_ = value; }
  TImeMode ImeMode() const { return imeMode_; }
  void SetImeMode(TImeMode mode);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle style);
  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool value);

  // Selection in characters; SelStart is the caret when nothing is selected.
  int SelStart() const;
  int SelLength() const;
  void SetSelStart(int start);
  void SetSelLength(int length);
  void SelectAll() { selectAll(); }

  TNotifyEvent OnChange;

  bool WantsKey(int key, TShiftState shift) override;
  void DoEnter() override;

  // Whether an edit of the user may leave `text` in the field: within MaxLength.
  virtual bool AcceptText(const QString& text) const;

 protected:
  // For edits that refuse pasting: swallows the gestures that paste without a key (the
  // context menu, right and middle mouse buttons, drag and drop). True when the event was one.
  static bool SwallowPasteGesture(QEvent* event);
  // The text changed (by the user or the program); fires OnChange.
  virtual void Change();
  // The part of `text` that the edit being judged by AcceptText brings in: what lies between
  // the part it shares at the start and the part it shares at the end with the text before.
  QString InsertedPart(const QString& text) const;
  // The text before the edit being judged.
  const QString& PreviousText() const { return previous_; }
  void paintEvent(QPaintEvent* event) override;

 private:
  void ApplyFrame();

  int maxBytes_ = 0;
  QString previous_;
  char32_t passwordChar_ = 0;
  bool autoSelect_ = true;
  TImeMode imeMode_ = imDontCare;
  TBorderStyle borderStyle_ = bsSingle;
  bool ctl3D_ = true;
};

// Refuses an edit of the field that would make its text longer than `bytes` CP932 bytes; 0
// removes the limit. The edit and the edit field of the combo box share it.
void SetByteLimit(QLineEdit& edit, int bytes);

}  // namespace forms
