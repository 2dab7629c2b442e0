#pragma once
// The print engine's edit field: the key-driven edit of the dialogs (Enter and the arrow keys
// of its KeyStyles move the focus, caret placement on entry, the text read as an amount or an
// integer, the reading capture with KanaSw), with one rule of its own: nothing can be pasted
// while its input method is disabled, whatever the caller sets. The margin dialog's number
// fields are of this kind.
#include "ui/xEdit.h"

class TEditZpx : public TxEdit {
 public:
  explicit TEditZpx(QWidget* parent);

 private:
  // Pasting is always refused while the input method is disabled.
  using TxEdit::KillPaste;
  using TxEdit::SetKillPaste;
};
