#pragma once
// The keys with which the key-driven controls move the focus, and the move itself.
#include <cstdint>
#include <initializer_list>

#include "ui/forms/EnumSet.h"
#include "ui/forms/Form.h"
#include "ui/forms/Keys.h"

enum TKeyStyle { ksEnter, ksLeft, ksUp, ksRight, ksDown };

// A set of TKeyStyle, one bit each (bit 0 ksEnter ... bit 4 ksDown).
using TKeyStyles = forms::TEnumSet<TKeyStyle, std::uint8_t, 0x1F>;

// The style that lets an arrow key move the focus; false for any other key.
inline bool ArrowKeyStyle(int key, TKeyStyle& style) {
  switch (key) {
    case forms::VK_LEFT: style = ksLeft; return true;
    case forms::VK_UP: style = ksUp; return true;
    case forms::VK_RIGHT: style = ksRight; return true;
    case forms::VK_DOWN: style = ksDown; return true;
    default: return false;
  }
}

// Left and Up go back, Right and Down forward.
inline bool ArrowGoesBack(int key) { return key == forms::VK_LEFT || key == forms::VK_UP; }

// The focus move of the key-driven controls: the control's form focuses the next (or the
// previous) tab stop in its tab order, counted from the form's active control. A control
// without a form moves nothing.
inline void NextDlgCtl(forms::TControl* control, bool previous) {
  if (forms::TForm* form = control ? control->ParentForm() : nullptr) form->SelectNext(form->ActiveControl(), !previous, true);
}
