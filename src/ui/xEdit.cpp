#include "ui/xEdit.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <cstdlib>
#include <iterator>
#include <limits>

namespace {


std::string ToUtf8(const std::u32string& s) {
  return QString::fromUcs4(s.data(), static_cast<qsizetype>(s.size())).toStdString();
}


// Half-width forms of the katakana U+30A1..U+30F6; an empty entry has no half-width form.
const char32_t* const kHalfKatakana[] = {
    U"ｧ", U"ｱ", U"ｨ", U"ｲ", U"ｩ", U"ｳ", U"ｪ", U"ｴ", U"ｫ", U"ｵ",                      // ァ..オ
    U"ｶ", U"ｶﾞ", U"ｷ", U"ｷﾞ", U"ｸ", U"ｸﾞ", U"ｹ", U"ｹﾞ", U"ｺ", U"ｺﾞ",                 // カ..ゴ
    U"ｻ", U"ｻﾞ", U"ｼ", U"ｼﾞ", U"ｽ", U"ｽﾞ", U"ｾ", U"ｾﾞ", U"ｿ", U"ｿﾞ",                 // サ..ゾ
    U"ﾀ", U"ﾀﾞ", U"ﾁ", U"ﾁﾞ", U"ｯ", U"ﾂ", U"ﾂﾞ", U"ﾃ", U"ﾃﾞ", U"ﾄ", U"ﾄﾞ",          // タ..ド
    U"ﾅ", U"ﾆ", U"ﾇ", U"ﾈ", U"ﾉ",                                                   // ナ..ノ
    U"ﾊ", U"ﾊﾞ", U"ﾊﾟ", U"ﾋ", U"ﾋﾞ", U"ﾋﾟ", U"ﾌ", U"ﾌﾞ", U"ﾌﾟ", U"ﾍ", U"ﾍﾞ", U"ﾍﾟ",  // ハ..ペ
    U"ﾎ", U"ﾎﾞ", U"ﾎﾟ",                                                             // ホ..ポ
    U"ﾏ", U"ﾐ", U"ﾑ", U"ﾒ", U"ﾓ",                                                   // マ..モ
    U"ｬ", U"ﾔ", U"ｭ", U"ﾕ", U"ｮ", U"ﾖ",                                             // ャ..ヨ
    U"ﾗ", U"ﾘ", U"ﾙ", U"ﾚ", U"ﾛ",                                                   // ラ..ロ
    U"", U"ﾜ", U"", U"", U"ｦ", U"ﾝ", U"ｳﾞ", U"", U"",                               // ヮ..ヶ
};

static_assert(std::size(kHalfKatakana) == 0x30F6 - 0x30A1 + 1);

bool ParseInt32(const std::string& text, std::int32_t& out) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= text.size()) return false;
  long long value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return false;
    value = value * base + digit;
    if (value > 0xFFFFFFFFLL) return false;
  }
  if (base == 16) {
    // Hexadecimal texts name the 32 bits, so $FFFFFFFF is -1.
    const auto bits = static_cast<std::uint32_t>(value);
    out = static_cast<std::int32_t>(negative ? 0u - bits : bits);
    return true;
  }
  if (negative) value = -value;
  if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max()) return false;
  out = static_cast<std::int32_t>(value);
  return true;
}

}  // namespace

std::u32string ToKatakana(std::u32string_view text) {
  std::u32string out;
  for (char32_t c : text) {
    if (c >= 0x3041 && c <= 0x3096) c += 0x60;             // ぁ..ゖ -> ァ..ヶ
    else if (c == 0x309D || c == 0x309E) c += 0x60;        // ゝゞ -> ヽヾ
    out += c;
  }
  return out;
}

std::u32string ToHalfWidth(std::u32string_view text) {
  std::u32string out;
  for (char32_t c : text) {
    if (c >= 0x30A1 && c <= 0x30F6 && *kHalfKatakana[c - 0x30A1]) {
      out += kHalfKatakana[c - 0x30A1];
    } else if (c >= 0xFF01 && c <= 0xFF5E) {
      out += static_cast<char32_t>(c - 0xFF01 + 0x21);
    } else {
      switch (c) {
        case 0x3000: out += U' '; break;
        case 0x3001: out += U'､'; break;
        case 0x3002: out += U'｡'; break;
        case 0x300C: out += U'｢'; break;
        case 0x300D: out += U'｣'; break;
        case 0x30FB: out += U'･'; break;
        case 0x30FC: out += U'ｰ'; break;
        case 0x309B: out += U'ﾞ'; break;
        case 0x309C: out += U'ﾟ'; break;
        default: out += c; break;
      }
    }
  }
  return out;
}

TxEdit::TxEdit(QWidget* parent) : forms::TEdit(parent) {}

void TxEdit::SetAlignment(forms::TAlignment alignment) {
  alignment_ = alignment;
  Qt::Alignment a = alignment == forms::taRightJustify ? Qt::AlignRight
                    : alignment == forms::taCenter     ? Qt::AlignHCenter
                                                       : Qt::AlignLeft;
  setAlignment(a | Qt::AlignVCenter);
}

void TxEdit::SetKeyEdit3D(forms::TBorderStyle style) {
  // The creation value is bsNone while the edit still has its 3-D look; only a change of
  // the value switches the look.
  if (style == keyEdit3D_) return;
  keyEdit3D_ = style;
  SetCtl3D(style == forms::bsSingle);
}

Currency TxEdit::Curr() const {
  Currency value;
  return Currency::TryParse(Text(), value) ? value : Currency();
}

void TxEdit::SetCurr(Currency value) {
  if (!value.IsZero()) SetText(value.ToString());
}

std::int32_t TxEdit::Long() const {
  std::int32_t value = 0;
  return ParseInt32(Text(), value) ? value : 0;
}

void TxEdit::SetLong(std::int32_t value) {
  if (value != 0) SetText(std::to_string(value));
}

std::string TxEdit::kana() {
  reading_ = ToKatakana(reading_);
  return ToUtf8(ToHalfWidth(reading_));
}

void TxEdit::Setkana(std::string_view value) {
  if (!value.empty()) reading_ = forms::ToU32(QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
}

void TxEdit::KeyDown(int& key, forms::TShiftState shift) {
  // The edit judges the key after its handlers ran: a handler that clears it stops the move.
  forms::TEdit::KeyDown(key, shift);
  TKeyStyle style;
  if (key == 0 || (shift & forms::kModifierKeys) != 0 || !ArrowKeyStyle(key, style) || !keyStyles_.Contains(style)) return;
  const int length = static_cast<int>(text().size());
  const int start = SelStart(), selected = SelLength();
  bool move = true;
  if (key == forms::VK_LEFT) move = start == 0 && (selected == 0 || selected == length);
  else if (key == forms::VK_RIGHT) move = selected == length;
  if (!move) return;  // the key moves the caret
  NextDlgCtl(this, ArrowGoesBack(key));
  key = 0;
}

void TxEdit::KeyPress(char32_t& key) {
  forms::TEdit::KeyPress(key);
  if (key == U'\r' && keyStyles_.Contains(ksEnter) && ParentForm()) {
    NextDlgCtl(this, false);
    key = 0;
  }
}

void TxEdit::DoEnter() {
  forms::TEdit::DoEnter();
  switch (cursorPos_) {
    case cpAllSel: selectAll(); break;
    case cpLeft: setCursorPosition(0); break;
    case cpRight: end(false); break;
  }
  reading_.clear();
  lastKanaPreedit_.clear();
  capturing_ = kanaSw_;
}

void TxEdit::DoExit() {
  forms::TEdit::DoExit();
  capturing_ = false;
}

bool TxEdit::PasteBlocked() const { return killPaste_ && ImeMode() == forms::imDisable; }

void TxEdit::Capture(QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    if (composing_) return;
    const QString text = static_cast<QKeyEvent*>(event)->text();
    if (text.isEmpty()) return;
    const char32_t c = text.toUcs4().front();
    if (c >= 32 && c != 0x7F) reading_ += c;
  } else if (event->type() == QEvent::InputMethod) {
    auto* im = static_cast<QInputMethodEvent*>(event);
    const std::u32string preedit = forms::ToU32(im->preeditString());
    composing_ = !preedit.empty();
    if (forms::AllKana(preedit)) lastKanaPreedit_ = preedit;
    const std::u32string commit = forms::ToU32(im->commitString());
    if (commit.empty()) return;
    reading_ += forms::CommittedReading(commit, lastKanaPreedit_);
  }
}

bool TxEdit::event(QEvent* event) {
  if (capturing_) Capture(event);
  else if (event->type() == QEvent::InputMethod) composing_ = !static_cast<QInputMethodEvent*>(event)->preeditString().isEmpty();
  if (PasteBlocked() && SwallowPasteGesture(event)) return true;
  return forms::TEdit::event(event);
}

void TxEdit::BaseKeyPress(QKeyEvent* event) {
  if (PasteBlocked() && (event->matches(QKeySequence::Paste) ||
                         (event->key() == Qt::Key_Insert && event->modifiers() == Qt::ShiftModifier))) {
    return;
  }
  forms::TEdit::BaseKeyPress(event);
}
