#pragma once
// The single-line edit for amounts and codes (TxNumEdit is its short name). On top of the
// edit it filters the characters that may be typed (digits, decimal point, minus sign), turns
// one key into "00" or "000" for fast amount entry, keeps thousands separators while typing
// or adds them when the field is left (OutputFormat such as "#,##0"), negates the amount on
// "-", moves to the next field on its own when the field is full, and follows the key-driven
// focus movement with its own key rules (Enter, Tab, the arrows at the ends of the text).
//
// The amount field of the input dialog is the usual set-up:
//   edit->SetAlignment(forms::taRightJustify);
//   edit->SetEditStyle(esNumericMinus);
//   edit->SetOutputFormat("#,##0");
//   edit->SetComma(true);
//   edit->SetZero3Key(zkDot);               // "." types "000"
//   edit->SetMaxLength(11);                 // digits; the separators do not count
//   edit->SetKeyStyles({ksEnter, ksUp});
//
// Pasted (and dropped) text is held to the character filter of the edit style as typed
// text is; a paste with any other character is refused whole. Separators may be pasted into
// an edit that shows them.
#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

#include "ui/TallixEditLib.h"
#include "ui/forms/Edit.h"

class TTallixEdit : public forms::TEdit {
 public:
  explicit TTallixEdit(QWidget* parent);

  forms::TAlignment Alignment() const { return alignment_; }
  void SetAlignment(forms::TAlignment alignment);
  TAutoNextCtls AutoNextCtls() const { return autoNextCtls_; }
  void SetAutoNextCtls(TAutoNextCtls value) { autoNextCtls_ = value; }
  // The signals raised since the last reset (focus entry and exit, Backspace, Esc).
  TAutoNextCtls AutoNextCtls_Result() const { return result_; }
  // The background of the text area (solid white at creation).
  forms::TColor BrushColor() const { return brushColor_; }
  void SetBrushColor(forms::TColor color);
  TEditStyle EditStyle() const { return editStyle_; }
  void SetEditStyle(TEditStyle style) { editStyle_ = style; }
  // The reading accumulated while KanaMode is on; the owner clears it.
  std::string Kana() const;
  void SetKana(std::string_view kana);
  TKanaMode KanaMode() const { return kanaMode_; }
  void SetKanaMode(TKanaMode mode) { kanaMode_ = mode; }
  bool KillPaste() const { return killPaste_; }
  void SetKillPaste(bool value) { killPaste_ = value; }
  TKeyStyles KeyStyles() const { return keyStyles_; }
  void SetKeyStyles(TKeyStyles styles) { keyStyles_ = styles; }
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  std::string OutputFormat() const { return outputFormat_; }
  void SetOutputFormat(std::string format) { outputFormat_ = std::move(format); }
  bool Comma() const { return comma_; }
  void SetComma(bool value);
  TZeroKey Zero2Key() const { return zero2Key_; }
  void SetZero2Key(TZeroKey key) { zero2Key_ = key; }
  TZeroKey Zero3Key() const { return zero3Key_; }
  void SetZero3Key(TZeroKey key) { zero3Key_ = key; }
  // True while an input-method composition is in progress.
  bool ImeOnFlg() const { return imeOn_; }
  bool AllowBlank() const { return allowBlank_; }
  void SetAllowBlank(bool value) { allowBlank_ = value; }
  bool EnterKeyNoBeep() const { return enterKeyNoBeep_; }
  void SetEnterKeyNoBeep(bool value) { enterKeyNoBeep_ = value; }

  // The maximum number of characters without separators (0: no limit).
  void SetMaxLength(int length) override;

  forms::TNotifyEvent OnImeStatusChange;
  forms::TMouseMoveEvent OnMouseEnter;
  forms::TMouseMoveEvent OnMouseLeave;

  bool WantsKey(int key, forms::TShiftState shift) override;
  void KeyDown(int& key, forms::TShiftState shift) override;
  void KeyPress(char32_t& key) override;
  void DoEnter() override;
  void DoExit() override;
  bool AcceptText(const QString& text) const override;

 protected:
  void Change() override;
  bool event(QEvent* event) override;
  void BaseKeyPress(QKeyEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  bool Accepts(char32_t ch) const;
  bool ZeroKeyWorks(TZeroKey key) const;
  void InsertText(QString s);
  void FormatOutput();
  bool Negate();
  int DigitsLength() const;
  bool PasteBlocked() const;
  void InputMethod(QEvent* event);
  void ApplyBrush();

  forms::TAlignment alignment_ = forms::taLeftJustify;
  TAutoNextCtls autoNextCtls_;
  TAutoNextCtls result_;
  forms::TColor brushColor_ = forms::clWhite;
  TEditStyle editStyle_ = esNone;
  std::u32string kana_;
  TKanaMode kanaMode_ = kmNone;
  bool killPaste_ = false;
  TKeyStyles keyStyles_{ksEnter};
  bool transparent_ = false;
  std::string outputFormat_;
  bool comma_ = false;
  TZeroKey zero2Key_ = zkNone;
  TZeroKey zero3Key_ = zkNone;
  bool imeOn_ = false;
  bool allowBlank_ = false;
  bool enterKeyNoBeep_ = false;

  int windowLimit_ = 0;  // the limit of the field's text, separators included
  bool keyTyped_ = false;
  forms::TShiftState lastShift_ = 0;
  std::u32string lastKanaPreedit_;
};

using TxNumEdit = TTallixEdit;

// ---- the number helpers of the edit (exposed for tests) ----

// The text as a floating-point number: blanks around, a sign, digits with one "." and an
// optional exponent. False for anything else.
bool TryStrToFloat(std::string_view text, double& value);
// `value` in a number-format pattern: "0" and "#" digit placeholders, "." the decimal point,
// "," anywhere in the integer part groups thousands, quoted and other characters are copied;
// up to three sections "positive;negative;zero". FormatFloat("#,##0", -1234.5) == "-1,235".
std::string FormatFloat(std::string_view pattern, double value);
