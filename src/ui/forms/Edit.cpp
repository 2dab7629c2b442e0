#include "ui/forms/Edit.h"

#include <QGuiApplication>
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QValidator>

#include "platform/Encoding.h"
#include "ui/forms/Application.h"

namespace forms {

std::u32string ToU32(const QString& s) {
  std::u32string out;
  for (char32_t c : s.toUcs4()) out += c;
  return out;
}

namespace {
bool IsKana(char32_t c) {
  return (c >= 0x3041 && c <= 0x309F) || (c >= 0x30A0 && c <= 0x30FF) || (c >= 0xFF65 && c <= 0xFF9F);
}
}  // namespace

bool AllKana(const std::u32string& s) {
  if (s.empty()) return false;
  for (char32_t c : s) {
    if (!IsKana(c)) return false;
  }
  return true;
}

std::u32string CommittedReading(const std::u32string& commit, std::u32string& lastKanaPreedit) {
  std::u32string reading;
  if (AllKana(commit)) {
    reading = commit;
  } else if (!lastKanaPreedit.empty()) {
    reading = lastKanaPreedit;
  } else {
    for (char32_t c : commit) {
      if (IsKana(c)) reading += c;
    }
  }
  lastKanaPreedit.clear();
  return reading;
}
namespace {

// Refuses an edit that would make the text longer than the byte limit.
class ByteLimit final : public QValidator {
 public:
  ByteLimit(QObject* parent, int bytes) : QValidator(parent), bytes_(bytes) {}
  State validate(QString& input, int&) const override {
    return sjis::ByteLength(input.toStdString()) <= static_cast<size_t>(bytes_) ? Acceptable : Invalid;
  }

 private:
  int bytes_;
};

// The application's style, with the edit's own character standing for each hidden character.
class PasswordStyle final : public QProxyStyle {
 public:
  PasswordStyle(QStyle* base, QObject* owner, char32_t ch) : QProxyStyle(base), ch_(ch) { setParent(owner); }
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget, QStyleHintReturn* data) const override {
    if (hint == SH_LineEdit_PasswordCharacter) return static_cast<int>(ch_);
    return QProxyStyle::styleHint(hint, option, widget, data);
  }

 private:
  char32_t ch_;
};

// Holds the user's edits of a TEdit to its AcceptText.
class EditRule final : public QValidator {
 public:
  explicit EditRule(TEdit* edit) : QValidator(edit), edit_(edit) {}
  State validate(QString& input, int&) const override { return edit_->AcceptText(input) ? Acceptable : Invalid; }

 private:
  TEdit* edit_;
};

}  // namespace

TEdit::TEdit(QWidget* parent) : TWidgetControl<QLineEdit>(parent) {
  SetColor(clWindow);
  SetColorRole(QPalette::Base, false);
  resize(121, 21);
  setValidator(new EditRule(this));
  connect(this, &QLineEdit::textChanged, this, [this](const QString& now) {
    previous_ = now;
    Guard([&] { Change(); });
  });
}

QString TEdit::InsertedPart(const QString& text) const {
  qsizetype prefix = 0;
  while (prefix < text.size() && prefix < previous_.size() && text[prefix] == previous_[prefix]) ++prefix;
  qsizetype suffix = 0;
  while (suffix < text.size() - prefix && suffix < previous_.size() - prefix &&
         text[text.size() - 1 - suffix] == previous_[previous_.size() - 1 - suffix]) {
    ++suffix;
  }
  return text.mid(prefix, text.size() - prefix - suffix);
}

void TEdit::Change() {
  if (OnChange) OnChange(this);
}

bool TEdit::AcceptText(const QString& text) const {
  return maxBytes_ == 0 || sjis::ByteLength(text.toStdString()) <= static_cast<size_t>(maxBytes_);
}

void TEdit::SetText(std::string_view text) {
  setText(QString::fromUtf8(text.data(), static_cast<int>(text.size())));
}

void SetByteLimit(QLineEdit& edit, int bytes) {
  delete edit.validator();
  if (bytes > 0) edit.setValidator(new ByteLimit(&edit, bytes));
}

void TEdit::SetMaxLength(int bytes) { maxBytes_ = std::max(0, bytes); }

void TEdit::SetPasswordChar(char32_t ch) {
  passwordChar_ = ch;
  if (ch && qApp) {
    QStyle* previous = style() != QApplication::style() ? style() : nullptr;
    setStyle(new PasswordStyle(QStyleFactory::create(QApplication::style()->name()), this, ch));
    delete dynamic_cast<PasswordStyle*>(previous);
  }
  setEchoMode(ch ? QLineEdit::Password : QLineEdit::Normal);
  SetImeMode(imeMode_);  // the echo mode switches the input method
}

void TEdit::SetImeMode(TImeMode mode) {
  imeMode_ = mode;
  setAttribute(Qt::WA_InputMethodEnabled, mode != imDisable && !passwordChar_);
}

void TEdit::SetBorderStyle(TBorderStyle style) {
  borderStyle_ = style == bsSingle ? bsSingle : bsNone;
  ApplyFrame();
}

void TEdit::SetCtl3D(bool value) {
  ctl3D_ = value;
  ApplyFrame();
}

void TEdit::ApplyFrame() {
  // The sunken 3-D frame is the style's; a flat single border is painted by us.
  setFrame(borderStyle_ == bsSingle && ctl3D_);
  const int m = borderStyle_ == bsSingle && !ctl3D_ ? 1 : 0;
  setTextMargins(m, m, m, m);
  update();
}

void TEdit::paintEvent(QPaintEvent* event) {
  TWidgetControl<QLineEdit>::paintEvent(event);
  if (borderStyle_ == bsSingle && !ctl3D_) {
    QPainter painter(this);
    painter.setPen(ToQColor(clWindowFrame));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
}

int TEdit::SelStart() const { return hasSelectedText() ? selectionStart() : cursorPosition(); }

int TEdit::SelLength() const { return hasSelectedText() ? static_cast<int>(selectedText().size()) : 0; }

void TEdit::SetSelStart(int start) { setCursorPosition(std::max(0, start)); }

void TEdit::SetSelLength(int length) {
  const int start = SelStart();
  if (length <= 0) setCursorPosition(start);
  else setSelection(start, length);
}

bool TEdit::WantsKey(int key, TShiftState) {
  return key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
}

void TEdit::DoEnter() {
  // Entry by the keyboard selects the whole text; a click places the caret instead.
  if (autoSelect_ && !(QGuiApplication::mouseButtons() & Qt::LeftButton)) selectAll();
  TControl::DoEnter();
}

bool TEdit::SwallowPasteGesture(QEvent* event) {
  switch (event->type()) {
    case QEvent::ContextMenu:
      event->accept();
      return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
      // The right button opens the menu with Paste; the middle button pastes the selection.
      const auto button = static_cast<QMouseEvent*>(event)->button();
      return button == Qt::RightButton || button == Qt::MiddleButton;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
      event->ignore();
      return true;
    default:
      return false;
  }
}

}  // namespace forms
