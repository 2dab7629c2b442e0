#pragma once
// Virtual-key codes and shift states, the way the key events of the forms are written.
// Qt key events are translated here, in one place, so that handlers compare against
// VK_RETURN, VK_F12 ... whatever the keyboard layout.
#include <Qt>

class QKeyEvent;
class QMouseEvent;

namespace forms {

enum : int {
  VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_CANCEL = 0x03, VK_MBUTTON = 0x04,
  VK_BACK = 0x08, VK_TAB = 0x09, VK_CLEAR = 0x0C, VK_RETURN = 0x0D,
  VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14,
  VK_KANA = 0x15, VK_KANJI = 0x19, VK_ESCAPE = 0x1B, VK_CONVERT = 0x1C, VK_NONCONVERT = 0x1D,
  VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24,
  VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28,
  VK_SELECT = 0x29, VK_PRINT = 0x2A, VK_EXECUTE = 0x2B, VK_SNAPSHOT = 0x2C,
  VK_INSERT = 0x2D, VK_DELETE = 0x2E, VK_HELP = 0x2F,
  VK_LWIN = 0x5B, VK_RWIN = 0x5C, VK_APPS = 0x5D,
  VK_NUMPAD0 = 0x60, VK_NUMPAD9 = 0x69, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SEPARATOR = 0x6C,
  VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F,
  VK_F1 = 0x70, VK_F2, VK_F3, VK_F4, VK_F5, VK_F6, VK_F7, VK_F8, VK_F9, VK_F10, VK_F11, VK_F12,
  VK_F24 = 0x87,
  VK_NUMLOCK = 0x90, VK_SCROLL = 0x91,
  // The punctuation keys, as they lie on a Japanese keyboard.
  VK_OEM_1 = 0xBA,       // : *
  VK_OEM_PLUS = 0xBB,    // ; +
  VK_OEM_COMMA = 0xBC,   // , <
  VK_OEM_MINUS = 0xBD,   // - =
  VK_OEM_PERIOD = 0xBE,  // . >
  VK_OEM_2 = 0xBF,       // / ?
  VK_OEM_3 = 0xC0,       // @ `
  VK_OEM_4 = 0xDB,       // [ {
  VK_OEM_5 = 0xDC,       // yen |
  VK_OEM_6 = 0xDD,       // ] }
  VK_OEM_7 = 0xDE,       // ^ ~
  VK_OEM_102 = 0xE2,     // \ _
  VK_PROCESSKEY = 0xE5,
  VK_OEM_ATTN = 0xF0,    // caps (eisu)
  VK_OEM_COPY = 0xF2,    // hiragana / katakana
  VK_OEM_AUTO = 0xF3,    // hankaku / zenkaku
  VK_OEM_ENLW = 0xF4,
};

// Shift state of a key or mouse event: the modifier keys and the mouse buttons held.
enum TShiftFlag : unsigned {
  ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64,
};
using TShiftState = unsigned;
constexpr TShiftState kModifierKeys = ssShift | ssAlt | ssCtrl;

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// True for the four arrow keys. Buttons leave them alone: the platform's buttons do not move
// the focus with arrows by themselves (the form does, as dialog keys), while Qt's buttons would.
bool IsArrowKey(const QKeyEvent& event);

// The virtual-key code of a Qt key event (0 when the key has none).
int VirtualKeyOf(const QKeyEvent& event);
// The virtual-key code for a Qt key; `keypad` selects the numeric-pad codes.
int VirtualKeyOf(int qtKey, bool keypad = false);
// The Qt key that produces `vk` (the unshifted key; Qt::Key_unknown when none).
int QtKeyOf(int vk);
TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons = Qt::NoButton);
// The shift state at this moment (keyboard modifiers and mouse buttons held).
TShiftState CurrentShiftState();

}  // namespace forms
