#pragma once
// Edit field that moves the focus with Enter and the arrow keys of its KeyStyles, with text
// alignment, a switchable 3-D frame, caret placement on entry, its text read as an amount or
// an integer, capture of the reading typed through the input method, and a paste block for
// fields whose input method is disabled.
//
// Reading capture: the input method here does not report the reading of a conversion, so the
// capture keeps what it can see: a commit that is all kana is its own reading; otherwise the
// last all-kana composition before the commit is taken, else the kana within the commit.
// Characters typed while no composition is open (code 32 and above) are taken as they are.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Currency.h"
#include "ui/forms/Edit.h"
#include "ui/xKeyStyles.h"

enum TCursorPos { cpAllSel, cpLeft, cpRight };
using TCursorPoss = TCursorPos;

class TxEdit : public forms::TEdit {
 public:
  explicit TxEdit(QWidget* parent);

  forms::TAlignment Alignment() const { return alignment_; }
  void SetAlignment(forms::TAlignment alignment);
  forms::TBorderStyle KeyEdit3D() const { return keyEdit3D_; }
  void SetKeyEdit3D(forms::TBorderStyle style);
  TKeyStyles KeyStyles() const { return keyStyles_; }
  void SetKeyStyles(TKeyStyles styles) { keyStyles_ = styles; }
  TCursorPoss CursorPos() const { return cursorPos_; }
  void SetCursorPos(TCursorPoss pos) { cursorPos_ = pos; }

  // The text as an amount (0 when it is not one); writing 0 leaves the text unchanged.
  Currency Curr() const;
  void SetCurr(Currency value);
  // The text as a 32-bit integer (0 when it is not one); writing 0 leaves the text unchanged.
  std::int32_t Long() const;
  void SetLong(std::int32_t value);

  // The captured reading, as half-width katakana. Reading it turns the buffer into katakana.
  std::string kana();
  // A non-empty value replaces the buffer; an empty one is ignored.
  void Setkana(std::string_view value);
  bool KanaSw() const { return kanaSw_; }
  void SetKanaSw(bool value) { kanaSw_ = value; }
  bool KillPaste() const { return killPaste_; }
  void SetKillPaste(bool value) { killPaste_ = value; }

  void KeyDown(int& key, forms::TShiftState shift) override;
  void KeyPress(char32_t& key) override;
  void DoEnter() override;
  void DoExit() override;

 protected:
  bool event(QEvent* event) override;
  void BaseKeyPress(QKeyEvent* event) override;

 private:
  bool PasteBlocked() const;
  void Capture(QEvent* event);

  forms::TAlignment alignment_ = forms::taLeftJustify;
  forms::TBorderStyle keyEdit3D_ = forms::bsNone;
  TKeyStyles keyStyles_{ksEnter, ksUp};
  TCursorPoss cursorPos_ = cpAllSel;
  bool kanaSw_ = false;
  bool killPaste_ = true;
  bool capturing_ = false;
  bool composing_ = false;
  std::u32string reading_;
  std::u32string lastKanaPreedit_;
};

// The katakana conversion and the half-width conversion of the reading (exposed for tests).
std::u32string ToKatakana(std::u32string_view text);
std::u32string ToHalfWidth(std::u32string_view text);
