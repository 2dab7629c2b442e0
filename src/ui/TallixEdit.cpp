#include "ui/TallixEdit.h"

#include <QCursor>
#include <QEnterEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

#include "platform/Encoding.h"

#include "ui/forms/Application.h"
#include "ui/forms/Form.h"
#include "ui/xEdit.h"

using namespace forms;

namespace {



int CommaCount(const QString& text) { return static_cast<int>(text.count(QLatin1Char(','))); }

QString WithoutCommas(QString text) { return text.remove(QLatin1Char(',')); }

char32_t ZeroKeyChar(TZeroKey key) {
  switch (key) {
    case zkDot: return U'.';
    case zkPlus: return U'+';
    case zkMinus: return U'-';
    case zkAsterisk: return U'*';
    case zkSlash: return U'/';
    default: return 0;
  }
}

bool MinusStyle(TEditStyle s) { return s == esNumericMinus || s == esFloatMinus; }
bool FloatStyle(TEditStyle s) { return s == esFloat || s == esFloatMinus; }

// The text as a 64-bit integer: blanks around, a sign, digits.
bool TryStrToInt64(std::string_view text, std::int64_t& value) {
  size_t i = 0, end = text.size();
  while (i < end && text[i] == ' ') ++i;
  while (end > i && text[end - 1] == ' ') --end;
  bool negative = false;
  if (i < end && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  if (i >= end) return false;
  unsigned long long magnitude = 0;
  for (; i < end; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    magnitude = magnitude * 10 + static_cast<unsigned>(text[i] - '0');
    if (magnitude > 9223372036854775808ull) return false;
  }
  if (!negative && magnitude > 9223372036854775807ull) return false;
  value = negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
  return true;
}

// The text of a non-zero decimal number with its sign turned ("1.5" -> "-1.5", "-0.25" ->
// "0.25"); empty when the text is no such number.
std::string NegatedDecimal(std::string_view text) {
  size_t i = 0, end = text.size();
  while (i < end && text[i] == ' ') ++i;
  while (end > i && text[end - 1] == ' ') --end;
  std::string_view t = text.substr(i, end - i);
  bool negative = false;
  if (!t.empty() && (t[0] == '-' || t[0] == '+')) {
    negative = t[0] == '-';
    t.remove_prefix(1);
  }
  int digits = 0, dots = 0;
  bool nonZero = false;
  for (char c : t) {
    if (c == '.') ++dots;
    else if (c >= '0' && c <= '9') ++digits, nonZero = nonZero || c != '0';
    else return {};
  }
  if (digits == 0 || dots > 1 || !nonZero) return {};
  return negative ? std::string(t) : "-" + std::string(t);
}

// One section of a number-format pattern, taken apart.
struct Section {
  std::string prefix, suffix;
  int minInt = 0;   // "0"s before the decimal point
  int minDec = 0;   // "0"s after it
  int maxDec = 0;   // "0"s and "#"s after it
  bool group = false;
  bool hasDigits = false;
};

Section ParseSection(std::string_view p) {
  Section s;
  bool inNumber = false, afterPoint = false, numberDone = false;
  for (size_t i = 0; i < p.size(); ++i) {
    const char c = p[i];
    if (c == '"' || c == '\'') {
      const size_t close = p.find(c, i + 1);
      const std::string_view lit = p.substr(i + 1, (close == std::string_view::npos ? p.size() : close) - i - 1);
      (s.hasDigits ? s.suffix : s.prefix) += lit;
      if (s.hasDigits) numberDone = true;
      i = close == std::string_view::npos ? p.size() : close;
      continue;
    }
    const bool placeholder = c == '0' || c == '#';
    if (placeholder && !numberDone) {
      inNumber = true;
      s.hasDigits = true;
      if (afterPoint) {
        ++s.maxDec;
        if (c == '0') s.minDec = s.maxDec;
      } else if (c == '0') {
        ++s.minInt;
      }
      continue;
    }
    if (inNumber && !numberDone && c == '.' && !afterPoint) {
      afterPoint = true;
      continue;
    }
    if (inNumber && !numberDone && c == ',') {
      if (!afterPoint) s.group = true;
      continue;
    }
    if (!inNumber && c == '.' && i + 1 < p.size() && (p[i + 1] == '0' || p[i + 1] == '#')) {
      inNumber = afterPoint = true;
      continue;
    }
    if (s.hasDigits) {
      numberDone = true;
      s.suffix += c;
    } else {
      s.prefix += c;
    }
  }
  return s;
}

// |value| rounded to `decimals` places, half away from zero, as digit text "1234.50".
std::string RoundedDigits(double magnitude, int decimals) {
  const long double scaled = static_cast<long double>(magnitude) * std::pow(10.0L, decimals);
  char buf[400];
  if (scaled < 9.0e18L) {
    const auto n = static_cast<unsigned long long>(std::floor(scaled + 0.5L));
    std::snprintf(buf, sizeof buf, "%llu", n);
    std::string d = buf;
    if (decimals == 0) return d;
    if (static_cast<int>(d.size()) <= decimals) d.insert(0, static_cast<size_t>(decimals - static_cast<int>(d.size()) + 1), '0');
    d.insert(d.size() - static_cast<size_t>(decimals), ".");
    return d;
  }
  std::snprintf(buf, sizeof buf, "%.*f", decimals, magnitude);
  return buf;
}

std::string FormatSection(const Section& s, double magnitude, bool minus) {
  std::string digits = RoundedDigits(magnitude, s.maxDec);
  std::string intPart = digits, decPart;
  if (const auto dot = digits.find('.'); dot != std::string::npos) {
    intPart = digits.substr(0, dot);
    decPart = digits.substr(dot + 1);
  }
  while (static_cast<int>(decPart.size()) > s.minDec && !decPart.empty() && decPart.back() == '0') decPart.pop_back();
  if (intPart == "0" && s.minInt == 0) intPart.clear();
  if (static_cast<int>(intPart.size()) < s.minInt) intPart.insert(0, static_cast<size_t>(s.minInt) - intPart.size(), '0');
  if (s.group && intPart.size() > 3) {
    std::string grouped;
    for (size_t i = 0; i < intPart.size(); ++i) {
      if (i > 0 && (intPart.size() - i) % 3 == 0) grouped += ',';
      grouped += intPart[i];
    }
    intPart = grouped;
  }
  std::string number = intPart;
  if (!decPart.empty()) number += "." + decPart;
  const bool zero = number.find_first_not_of("0.,") == std::string::npos;
  return s.prefix + (minus && !zero ? "-" : "") + number + s.suffix;
}

}  // namespace

bool TryStrToFloat(std::string_view text, double& value) {
  size_t i = 0, end = text.size();
  while (i < end && text[i] == ' ') ++i;
  while (end > i && text[end - 1] == ' ') --end;
  const std::string t(text.substr(i, end - i));
  size_t k = 0;
  if (k < t.size() && (t[k] == '-' || t[k] == '+')) ++k;
  int digits = 0;
  while (k < t.size() && t[k] >= '0' && t[k] <= '9') ++k, ++digits;
  if (k < t.size() && t[k] == '.') {
    ++k;
    while (k < t.size() && t[k] >= '0' && t[k] <= '9') ++k, ++digits;
  }
  if (digits == 0) return false;
  if (k < t.size() && (t[k] == 'e' || t[k] == 'E')) {
    ++k;
    if (k < t.size() && (t[k] == '-' || t[k] == '+')) ++k;
    int exp = 0;
    while (k < t.size() && t[k] >= '0' && t[k] <= '9') ++k, ++exp;
    if (exp == 0) return false;
  }
  if (k != t.size()) return false;
  value = std::strtod(t.c_str(), nullptr);
  return std::isfinite(value);
}

std::string FormatFloat(std::string_view pattern, double value) {
  std::vector<std::string_view> sections;
  size_t start = 0;
  char quote = 0;
  for (size_t i = 0; i <= pattern.size(); ++i) {
    if (i < pattern.size() && (pattern[i] == '"' || pattern[i] == '\'')) {
      quote = quote == pattern[i] ? 0 : (quote ? quote : pattern[i]);
    }
    if (i == pattern.size() || (pattern[i] == ';' && !quote)) {
      sections.push_back(pattern.substr(start, i - start));
      start = i + 1;
    }
  }
  const Section positive = ParseSection(sections[0]);
  const double magnitude = std::fabs(value);
  if (sections.size() >= 3 && !sections[2].empty()) {
    const std::string asPositive = FormatSection(positive, magnitude, false);
    if (asPositive.find_first_of("123456789") == std::string::npos) return FormatSection(ParseSection(sections[2]), 0, false);
  }
  if (value < 0 && sections.size() >= 2 && !sections[1].empty()) {
    return FormatSection(ParseSection(sections[1]), magnitude, false);
  }
  return FormatSection(positive, magnitude, value < 0);
}

// ---------------------------------------------------------------------------------------

TTallixEdit::TTallixEdit(QWidget* parent) : TEdit(parent) { ApplyBrush(); }

void TTallixEdit::SetAlignment(TAlignment alignment) {
  alignment_ = alignment;
  const Qt::Alignment a = alignment == taRightJustify ? Qt::AlignRight : alignment == taCenter ? Qt::AlignHCenter : Qt::AlignLeft;
  setAlignment(a | Qt::AlignVCenter);
}

void TTallixEdit::SetBrushColor(TColor color) {
  brushColor_ = color;
  ApplyBrush();
}

void TTallixEdit::SetTransparent(bool value) {
  transparent_ = value;
  ApplyBrush();
}

void TTallixEdit::ApplyBrush() {
  QPalette p = palette();
  p.setColor(QPalette::Base, transparent_ ? QColor(Qt::transparent) : ToQColor(brushColor_));
  setPalette(p);
  update();
}

std::string TTallixEdit::Kana() const {
  return QString::fromUcs4(kana_.data(), static_cast<qsizetype>(kana_.size())).toStdString();
}

void TTallixEdit::SetKana(std::string_view kana) {
  kana_ = ToU32(QString::fromUtf8(kana.data(), static_cast<qsizetype>(kana.size())));
}

void TTallixEdit::SetMaxLength(int length) {
  TEdit::SetMaxLength(length);
  windowLimit_ = MaxLength();
}

void TTallixEdit::SetComma(bool value) {
  comma_ = value;
  if (!value) windowLimit_ = MaxLength();
}

bool TTallixEdit::Accepts(char32_t ch) const {
  if (ch == 8 || ch == 9 || ch == 27) return true;
  if (ch >= U'0' && ch <= U'9') return true;
  switch (editStyle_) {
    case esNone: return true;
    case esFloat: return ch == U'.';
    case esNumericMinus: return ch == U'-';
    case esFloatMinus: return ch == U'.' || ch == U'-';
    default: return false;
  }
}

bool TTallixEdit::AcceptText(const QString& text) const {
  // Like the platform's text limit, the limit stops what would lengthen the text, never a
  // deletion from a text that is longer already.
  const size_t bytes = sjis::ByteLength(text.toStdString());
  if (windowLimit_ > 0 && bytes > static_cast<size_t>(windowLimit_) && bytes > sjis::ByteLength(PreviousText().toStdString())) {
    return false;
  }
  if (editStyle_ == esNone) return true;
  // What reaches the field other than by typing (a paste, a drop) follows the typing filter;
  // the separators may come along into an edit that shows them anyway. Only the characters
  // the edit brings in are judged.
  const bool separators = comma_ || outputFormat_.find(',') != std::string::npos;
  for (char32_t c : InsertedPart(text).toUcs4()) {
    if (c == U',' && separators) continue;
    if (c < 32 || !Accepts(c)) return false;
  }
  return true;
}

bool TTallixEdit::ZeroKeyWorks(TZeroKey key) const {
  if (key == zkNone || editStyle_ == esNone) return false;
  if (key == zkDot && FloatStyle(editStyle_)) return false;
  if (key == zkMinus && MinusStyle(editStyle_)) return false;
  return true;
}

int TTallixEdit::DigitsLength() const {
  return static_cast<int>(comma_ ? WithoutCommas(text()).size() : text().size());
}

void TTallixEdit::InsertText(QString s) {
  const int start = SelStart();
  QString t = text();
  t.remove(start, SelLength());
  if (MaxLength() > 0) {
    const int excess = static_cast<int>(WithoutCommas(t).size() + WithoutCommas(s).size()) - MaxLength();
    if (excess > 0) s.chop(excess);
  }
  t.insert(start, s);
  if (MaxLength() > 0 && WithoutCommas(t).size() >= MaxLength()) {
    result_.Include(acMaxLength);
    if (autoNextCtls_.Contains(acSendEnter)) result_.Include(acSendEnter);
  }
  const int commasBefore = CommaCount(t);
  setText(t);  // the change handling runs here
  const int gained = CommaCount(text()) - commasBefore;
  setCursorPosition(std::clamp(start + static_cast<int>(s.size()) + gained, 0, static_cast<int>(text().size())));
}

void TTallixEdit::FormatOutput() {
  const QString t = text();
  if (editStyle_ == esNone || outputFormat_.empty() || (t.isEmpty() && allowBlank_)) return;
  double value = 0;
  if (!TryStrToFloat(WithoutCommas(t).toStdString(), value)) value = 0;
  const QString formatted = QString::fromStdString(FormatFloat(outputFormat_, value));
  if (MaxLength() > 0) windowLimit_ = MaxLength() + CommaCount(formatted);
  setText(formatted);
}

bool TTallixEdit::Negate() {
  // Read as 64 bits, so that the longest amount the field takes keeps its value.
  const std::string t = (comma_ ? WithoutCommas(text()) : text()).toStdString();
  std::int64_t value = 0;
  std::string negated;
  if (TryStrToInt64(t, value)) {
    if (value == 0 || value == std::numeric_limits<std::int64_t>::min()) return false;
    negated = std::to_string(-value);
  } else if (FloatStyle(editStyle_)) {
    negated = NegatedDecimal(t);
    if (negated.empty()) return false;
  } else {
    return false;
  }
  setText(QString::fromStdString(negated));
  end(false);
  return true;
}

bool TTallixEdit::WantsKey(int, TShiftState) { return true; }

void TTallixEdit::KeyDown(int& key, TShiftState shift) {
  lastShift_ = shift;
  keyTyped_ = true;
  const bool noModifier = (shift & kModifierKeys) == 0;
  switch (key) {
    case VK_TAB:
      keyTyped_ = false;
      if (noModifier && autoNextCtls_.Contains(acTabKey)) break;  // the key-press stage handles it
      if (noModifier) {
        key = 0;
        NextDlgCtl(this, false);
      } else if ((shift & kModifierKeys) == ssShift) {
        key = 0;
        NextDlgCtl(this, true);
      }
      break;
    case VK_RETURN:
      keyTyped_ = false;
      if (keyStyles_.Contains(ksEnter)) {
        key = 0;
        NextDlgCtl(this, false);
      }
      break;
    case VK_UP:
      keyTyped_ = false;
      if (keyStyles_.Contains(ksUp)) {
        key = 0;
        NextDlgCtl(this, true);
      }
      break;
    case VK_DOWN:
      keyTyped_ = false;
      if (noModifier && autoNextCtls_.Contains(acDownKey)) {
        key = 0;
        result_.Include(acDownKey);
        result_.Include(acSendEnter);
      } else if (keyStyles_.Contains(ksDown)) {
        key = 0;
        NextDlgCtl(this, false);
      }
      break;
    case VK_LEFT:
      keyTyped_ = false;
      if (keyStyles_.Contains(ksLeft) && SelLength() == 0 && cursorPosition() == 0) {
        key = 0;
        NextDlgCtl(this, true);
      } else if (noModifier && SelLength() > 0) {
        // The platform's edit ends a selection at its start (Qt would step left of the caret).
        setCursorPosition(SelStart());
        key = 0;
      }
      break;
    case VK_RIGHT:
      keyTyped_ = false;
      if (keyStyles_.Contains(ksRight) && SelLength() == 0 && cursorPosition() == text().size()) {
        key = 0;
        NextDlgCtl(this, false);
      } else if (noModifier && SelLength() > 0) {
        setCursorPosition(SelStart() + SelLength());
        key = 0;
      }
      break;
    default:
      break;
  }
  TEdit::KeyDown(key, shift);
}

void TTallixEdit::KeyPress(char32_t& key) {
  update();
  const bool tabSignals = autoNextCtls_.Contains(acTabKey);
  if (key == U'\t' && tabSignals && (lastShift_ & ssShift)) {
    key = 0;  // Shift+Tab is swallowed where Tab signals the owner
  } else {
    const bool navigation = key == U'\r' || (key == U'\t' && tabSignals);
    bool zeroTyped = false;
    if (!navigation) {
      if (ZeroKeyWorks(zero2Key_) && key == ZeroKeyChar(zero2Key_)) {
        InsertText(QStringLiteral("00"));
        key = 0;
        zeroTyped = true;
      } else if (ZeroKeyWorks(zero3Key_) && key == ZeroKeyChar(zero3Key_)) {
        InsertText(QStringLiteral("000"));
        key = 0;
        zeroTyped = true;
      }
      if (!zeroTyped && editStyle_ != esNone && !Accepts(key)) key = 0;
      if (key == U'-' && MinusStyle(editStyle_) && Negate()) key = 0;
      if (key == U'.' && FloatStyle(editStyle_) && (text().isEmpty() || text().contains(QLatin1Char('.')))) key = 0;
    }
    if (key != 0 || zeroTyped) {
      if (key == 8 || key == 27 || key == 130) {
        result_ = {};
        if (key == 27) key = 0;
      } else if (key == U'\t') {
        if (tabSignals) {
          result_.Include(acTabKey);
          result_.Include(acSendEnter);
        }
      } else {
        if (enterKeyNoBeep_ && key == U'\r') key = 0;
        result_.Exclude(acMaxLength);
        result_.Exclude(acSendEnter);
        // A full field moves on by itself. Enter has moved already (or stays on purpose).
        const bool typing = zeroTyped || key >= 32;
        if (typing && autoNextCtls_.Contains(acMaxLength) && MaxLength() > 0 &&
            1 - SelLength() + DigitsLength() >= MaxLength()) {
          result_.Include(acMaxLength);
          if (autoNextCtls_.Contains(acSendEnter)) {
            result_.Include(acSendEnter);
          } else {
            if (key != 0) InsertText(QString::fromUcs4(&key, 1));
            key = 0;
            NextDlgCtl(this, false);
          }
        }
      }
    }
  }
  TEdit::KeyPress(key);
}

void TTallixEdit::Change() {
  if (comma_ && keyTyped_) {
    keyTyped_ = false;
    // Re-format while the caret keeps its place among the digits.
    const int pos = cursorPosition();
    const bool wasEmpty = text().isEmpty();
    const int commas = CommaCount(text());
    FormatOutput();
    const int now = CommaCount(text());
    int caret = pos;
    if (wasEmpty || now > commas) ++caret;
    else if (now < commas) --caret;
    setCursorPosition(std::clamp(caret, 0, static_cast<int>(text().size())));
  }
  TEdit::Change();
}

void TTallixEdit::DoEnter() {
  TEdit::DoEnter();
  result_ = {};
  if (editStyle_ != esNone && !outputFormat_.empty() && !comma_) {
    setText(WithoutCommas(text()));
    selectAll();
  }
}

void TTallixEdit::DoExit() {
  TEdit::DoExit();
  FormatOutput();
  result_ = {};
}

bool TTallixEdit::PasteBlocked() const { return killPaste_ && ImeMode() == imDisable; }

void TTallixEdit::InputMethod(QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    // A character typed while no composition is open is its own reading.
    if (kanaMode_ == kmNone || imeOn_) return;
    const QString t = static_cast<QKeyEvent*>(event)->text();
    if (t.isEmpty() || t.front().unicode() < 32 || t.front().unicode() == 0x7F) return;
    kana_ += ToU32(t.left(1));
  } else {
    auto* im = static_cast<QInputMethodEvent*>(event);
    const std::u32string preedit = ToU32(im->preeditString());
    const std::u32string commit = ToU32(im->commitString());
    const bool composing = !preedit.empty();
    if (composing && !imeOn_) {
      imeOn_ = true;
      if (OnImeStatusChange) OnImeStatusChange(this);
    }
    if (AllKana(preedit)) lastKanaPreedit_ = preedit;
    const bool ended = imeOn_ && (!commit.empty() || !composing);
    if (!ended) return;
    imeOn_ = false;
    if (OnImeStatusChange) OnImeStatusChange(this);
    if (kanaMode_ == kmNone) return;
    // The reading of the composition: the committed kana, else the last kana composition.
    kana_ += CommittedReading(commit, lastKanaPreedit_);
  }
  kana_ = ToKatakana(kana_);
  if (kanaMode_ == kmHankaku) kana_ = ToHalfWidth(kana_);
}

bool TTallixEdit::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::InputMethod:
    case QEvent::KeyPress:
      Guard([&] { InputMethod(event); });
      break;
    default:
      break;
  }
  if (PasteBlocked() && SwallowPasteGesture(event)) return true;
  return TEdit::event(event);
}

void TTallixEdit::BaseKeyPress(QKeyEvent* event) {
  if (PasteBlocked() && (event->matches(QKeySequence::Paste) ||
                         (event->key() == Qt::Key_Insert && event->modifiers() == Qt::ShiftModifier))) {
    return;
  }
  TEdit::BaseKeyPress(event);
}

void TTallixEdit::enterEvent(QEnterEvent* event) {
  TEdit::enterEvent(event);
  const QPoint p = event->position().toPoint();
  Guard([&] {
    if (OnMouseEnter) OnMouseEnter(this, CurrentShiftState(), p.x(), p.y());
  });
}

void TTallixEdit::leaveEvent(QEvent* event) {
  TEdit::leaveEvent(event);
  const QPoint p = mapFromGlobal(QCursor::pos());
  Guard([&] {
    if (OnMouseLeave) OnMouseLeave(this, CurrentShiftState(), p.x(), p.y());
  });
}
