#include "ui/forms/Keys.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace forms {
namespace {

struct KeyPair {
  int qt;
  int vk;
};

constexpr KeyPair kKeys[] = {
    {Qt::Key_Backspace, VK_BACK},     {Qt::Key_Tab, VK_TAB},           {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Clear, VK_CLEAR},        {Qt::Key_Return, VK_RETURN},     {Qt::Key_Enter, VK_RETURN},
    {Qt::Key_Shift, VK_SHIFT},        {Qt::Key_Control, VK_CONTROL},   {Qt::Key_Alt, VK_MENU},
    {Qt::Key_Pause, VK_PAUSE},        {Qt::Key_CapsLock, VK_CAPITAL},  {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Henkan, VK_CONVERT},     {Qt::Key_Muhenkan, VK_NONCONVERT}, {Qt::Key_Kanji, VK_KANJI},
    {Qt::Key_Space, VK_SPACE},        {Qt::Key_PageUp, VK_PRIOR},      {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_End, VK_END},            {Qt::Key_Home, VK_HOME},         {Qt::Key_Left, VK_LEFT},
    {Qt::Key_Up, VK_UP},              {Qt::Key_Right, VK_RIGHT},       {Qt::Key_Down, VK_DOWN},
    {Qt::Key_Select, VK_SELECT},      {Qt::Key_Print, VK_SNAPSHOT},    {Qt::Key_Execute, VK_EXECUTE},
    {Qt::Key_Insert, VK_INSERT},      {Qt::Key_Delete, VK_DELETE},     {Qt::Key_Help, VK_HELP},
    {Qt::Key_Meta, VK_LWIN},          {Qt::Key_Menu, VK_APPS},         {Qt::Key_NumLock, VK_NUMLOCK},
    {Qt::Key_ScrollLock, VK_SCROLL},  {Qt::Key_Eisu_toggle, VK_OEM_ATTN},
    {Qt::Key_Hiragana_Katakana, VK_OEM_COPY}, {Qt::Key_Zenkaku_Hankaku, VK_OEM_AUTO},
    // Punctuation: Qt names the character produced, so both characters of a key map to it.
    {Qt::Key_Colon, VK_OEM_1},        {Qt::Key_Asterisk, VK_OEM_1},    {Qt::Key_Semicolon, VK_OEM_PLUS},
    {Qt::Key_Plus, VK_OEM_PLUS},      {Qt::Key_Comma, VK_OEM_COMMA},   {Qt::Key_Less, VK_OEM_COMMA},
    {Qt::Key_Minus, VK_OEM_MINUS},    {Qt::Key_Equal, VK_OEM_MINUS},   {Qt::Key_Period, VK_OEM_PERIOD},
    {Qt::Key_Greater, VK_OEM_PERIOD}, {Qt::Key_Slash, VK_OEM_2},       {Qt::Key_Question, VK_OEM_2},
    {Qt::Key_At, VK_OEM_3},           {Qt::Key_QuoteLeft, VK_OEM_3},   {Qt::Key_BracketLeft, VK_OEM_4},
    {Qt::Key_BraceLeft, VK_OEM_4},    {Qt::Key_yen, VK_OEM_5},         {Qt::Key_Bar, VK_OEM_5},
    {Qt::Key_BracketRight, VK_OEM_6}, {Qt::Key_BraceRight, VK_OEM_6},  {Qt::Key_AsciiCircum, VK_OEM_7},
    {Qt::Key_AsciiTilde, VK_OEM_7},   {Qt::Key_Backslash, VK_OEM_102}, {Qt::Key_Underscore, VK_OEM_102},
    // Shifted digits of a Japanese keyboard.
    {Qt::Key_Exclam, '1'},            {Qt::Key_QuoteDbl, '2'},         {Qt::Key_NumberSign, '3'},
    {Qt::Key_Dollar, '4'},            {Qt::Key_Percent, '5'},          {Qt::Key_Ampersand, '6'},
    {Qt::Key_Apostrophe, '7'},        {Qt::Key_ParenLeft, '8'},        {Qt::Key_ParenRight, '9'},
};

int KeypadKey(int qtKey) {
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return VK_NUMPAD0 + (qtKey - Qt::Key_0);
  switch (qtKey) {
    case Qt::Key_Asterisk: return VK_MULTIPLY;
    case Qt::Key_Plus: return VK_ADD;
    case Qt::Key_Minus: return VK_SUBTRACT;
    case Qt::Key_Period: return VK_DECIMAL;
    case Qt::Key_Comma: return VK_SEPARATOR;
    case Qt::Key_Slash: return VK_DIVIDE;
    default: return 0;
  }
}

}  // namespace

int VirtualKeyOf(int qtKey, bool keypad) {
  if (keypad) {
    if (const int vk = KeypadKey(qtKey)) return vk;
  }
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return 'A' + (qtKey - Qt::Key_A);
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return '0' + (qtKey - Qt::Key_0);
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return VK_F1 + (qtKey - Qt::Key_F1);
  for (const auto& k : kKeys) {
    if (k.qt == qtKey) return k.vk;
  }
  return 0;
}

bool IsArrowKey(const QKeyEvent& event) {
  switch (event.key()) {
    case Qt::Key_Left: case Qt::Key_Right: case Qt::Key_Up: case Qt::Key_Down: return true;
    default: return false;
  }
}

int VirtualKeyOf(const QKeyEvent& event) {
  return VirtualKeyOf(event.key(), (event.modifiers() & Qt::KeypadModifier) != 0);
}

int QtKeyOf(int vk) {
  if (vk >= 'A' && vk <= 'Z') return Qt::Key_A + (vk - 'A');
  if (vk >= '0' && vk <= '9') return Qt::Key_0 + (vk - '0');
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return Qt::Key_0 + (vk - VK_NUMPAD0);
  if (vk >= VK_F1 && vk <= VK_F24) return Qt::Key_F1 + (vk - VK_F1);
  for (const auto& k : kKeys) {
    if (k.vk == vk) return k.qt;
  }
  return Qt::Key_unknown;
}

TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
  TShiftState s = 0;
  if (modifiers & Qt::ShiftModifier) s |= ssShift;
  if (modifiers & Qt::AltModifier) s |= ssAlt;
  if (modifiers & Qt::ControlModifier) s |= ssCtrl;
  if (buttons & Qt::LeftButton) s |= ssLeft;
  if (buttons & Qt::RightButton) s |= ssRight;
  if (buttons & Qt::MiddleButton) s |= ssMiddle;
  return s;
}

TShiftState CurrentShiftState() {
  return ShiftStateOf(QGuiApplication::queryKeyboardModifiers(), QGuiApplication::mouseButtons());
}

}  // namespace forms
