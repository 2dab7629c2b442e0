#include "print/Zenpagex_Edit.h"

TEditZpx::TEditZpx(QWidget* parent) : TxEdit(parent) { TxEdit::SetKillPaste(true); }
