#include "ui/TallixExDateEdit.h"

#include <QEvent>
#include <QFontMetrics>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/UiServices.h"
#include "ui/TallixDateEdit.h"

using namespace forms;

namespace {

const char* const kUnitCaptions[6] = {"年", "月", "日", "時", "分", "秒"};
constexpr const char* kWestern = "西暦";

const char* const kMsgAllEmpty = "入力欄が全て空白です．　　";
const char* const kMsgSomeEmpty = "空白の入力欄があります．　　";
const char* const kMsgTimeLimit24 = "時刻の入力可能な値は23時59分59秒までです．　　";
const char* const kMsgTimeLimit12 = "時刻の入力可能な値は11時59分59秒までです．　　";
const char* const kMsgBadTime = "時刻が正しくありません．　　";
const char* const kMsgBefore1873 = "1873年01月01日(明治6年01月01日)より前の日付は処理できません．　　";
const char* const kMsgEraRange = "2088年(平成100年)以降は元号に変換できません．　　";
const char* const kMsgBadDate = "日付が正しくありません（変換できません）．　　";
const char* const kMsgBadValue = "日付または時刻が正しくありません．　　";

// A field's number; false for anything but plain digits (an optional sign is not accepted).
bool ReadNumber(const QString& text, int& out) {
  if (text.isEmpty() || text.size() > 9) return false;
  for (QChar c : text) {
    if (c < u'0' || c > u'9') return false;
  }
  out = text.toInt();
  return true;
}

std::string TwoDigits(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%2.2d", n);
  return buf;
}

int CurrentYear() {
  int y, m, d;
  DecodeDate(Today(), y, m, d);
  return y;
}

}  // namespace

TTallixExDateEdit::TTallixExDateEdit(QWidget* parent) : TPanel(parent) {
  SetBevelOuter(bvNone);
  SetCaption("");
  SetTabStop(false);
  auto makeList = [this] {
    auto* list = new TComboBox(this);
    list->SetStyle(csDropDownList);
    return list;
  };
  auto makeField = [this](int i) {
    edits_[i] = new TEdit(this);
    labels_[i] = new TLabel(this);
    labels_[i]->SetCaption(kUnitCaptions[i]);
  };
  // Created in the order of the layout, which is also the tab order.
  eraList_ = makeList();
  for (int i = fYear; i <= fDay; ++i) makeField(i);
  ampmList_ = makeList();
  ampmList_->SetItems({"AM", "PM"});
  for (int i = fHour; i <= fSecond; ++i) makeField(i);
  FillEraList();
  Clear();
  LayoutFields();
}

// ---- properties ----

bool TTallixExDateEdit::Shown(Field f) const {
  switch (f) {
    case fYear: return style_ <= 5;
    case fMonth: return style_ <= 4;
    case fDay: return style_ <= 3;
    case fHour: return style_ <= 2 || style_ >= 6;
    case fMinute: return style_ <= 1 || style_ == 6 || style_ == 7;
    case fSecond: return style_ == 0 || style_ == 6;
  }
  return false;
}

void TTallixExDateEdit::SetDateTimeStyle(uint8_t style) {
  if (style > 8 || style == style_) return;
  style_ = style;
  LayoutFields();
}

void TTallixExDateEdit::SetEraMode(bool value) {
  if (eraMode_ == value) return;
  eraMode_ = value;
  if (!value) eraDisplay_ = 0;
  FillEraList();
  LayoutFields();
  ShowValue();
}

void TTallixExDateEdit::SetEraDisplay(uint8_t value) {
  if (value > 2 || (!eraMode_ && value != 0) || value == eraDisplay_) return;
  eraDisplay_ = value;
  // The list and the year field change form; the value is shown again in it. (No check of
  // the fields here: a set-up must not raise input errors.)
  FillEraList();
  LayoutFields();
  ShowValue();
}

void TTallixExDateEdit::SetFourDigitYear(bool value) {
  if (fourDigitYear_ == value) return;
  fourDigitYear_ = value;
  LayoutFields();
  ShowValue();
}

void TTallixExDateEdit::SetTwelveHour(bool value) {
  if (twelveHour_ == value) return;
  twelveHour_ = value;
  LayoutFields();
  ShowValue();
}

void TTallixExDateEdit::SetValue(TDateTime value) {
  value_ = prevValue_ = value;
  isEmpty_ = value < emptyBase_;
  ShowValue();
}

void TTallixExDateEdit::SetOwnEraTable(bool value) {
  ownEraTable_ = value;
  ownEras_.clear();
  FillEraList();
}

void TTallixExDateEdit::LoadEraTable(const TGengoArray& eras) {
  ownEraTable_ = true;
  ownEras_ = eras;
  FillEraList();
  ShowValue();
}

const TGengoArray& TTallixExDateEdit::Eras() const {
  if (ownEraTable_) return ownEras_;
  systemEras_ = dateedit::SystemEras();
  return systemEras_;
}

TWarekiRec TTallixExDateEdit::DateToWareki(TDateTime date) const { return dateedit::WarekiOf(Eras(), date); }

void TTallixExDateEdit::FillEraList() {
  std::vector<std::string> items;
  if (eraDisplay_ != 1) items.push_back(kWestern);
  for (const TGengoRec& era : Eras()) items.push_back(era.Name);
  eraList_->SetItems(items);
  eraList_->SetItemIndex(-1);
}

// ---- layout ----

void TTallixExDateEdit::LayoutFields() {
  const QFontMetrics fm(font());
  const int h = fm.height() + 8;
  const int listW = fm.horizontalAdvance(QStringLiteral("0000")) + 26;
  const bool fourYear = fourDigitYear_ && eraDisplay_ != 1;
  const int yearW = fourYear ? fm.horizontalAdvance(QStringLiteral("0000")) + 20 : fm.horizontalAdvance(QStringLiteral("00")) + 16;
  const int fieldW = fm.horizontalAdvance(QStringLiteral("00")) + 16;
  edits_[fYear]->SetMaxLength(fourYear ? 4 : 2);
  for (int i = fMonth; i <= fSecond; ++i) edits_[i]->SetMaxLength(2);
  int x = 0;
  auto place = [&](TControl* c, bool shown, int w) {
    c->SetVisible(shown);
    if (!shown) {
      c->SetBounds(x, 0, 0, h);
      return;
    }
    c->SetBounds(x, 0, w, h);
    x += w;
  };
  place(eraList_, EraListShown(), listW);
  for (int i = fYear; i <= fSecond; ++i) {
    if (i == fHour) place(ampmList_, AmPmShown(), listW);
    place(edits_[i], Shown(Field(i)), i == fYear ? yearW : fieldW);
    place(labels_[i], Shown(Field(i)), fm.horizontalAdvance(QString::fromUtf8(kUnitCaptions[i])) + 2);
  }
  SetBounds(Left(), Top(), std::max(x, 1), h);
}

void TTallixExDateEdit::changeEvent(QEvent* event) {
  TPanel::changeEvent(event);
  if (event->type() == QEvent::FontChange && eraList_) LayoutFields();
}

// ---- checking ----

bool TTallixExDateEdit::Refuse(uint16_t code, const std::string& message, QWidget* focus) {
  errorCode_ = code;
  errorMessage_ = message;
  if (showErrors_) {
    uis::MessageRequest request;
    request.kind = uis::MsgKind::Information;
    request.caption = errorCaption_;
    request.lines = {message};
    uis::Ui().MessageBox(request);
  }
  if (!focus || !focus->isVisibleTo(this)) {
    focus = nullptr;
    for (QWidget* w : {static_cast<QWidget*>(eraList_), static_cast<QWidget*>(edits_[fYear]), static_cast<QWidget*>(ampmList_),
                       static_cast<QWidget*>(edits_[fHour])}) {
      if (w->isVisibleTo(this) && w->isEnabled()) {
        focus = w;
        break;
      }
    }
  }
  if (focus) {
    if (auto* control = ControlOf(focus)) control->SetFocus();
  }
  return false;
}

bool TTallixExDateEdit::CheckInput() {
  errorCode_ = 0;
  errorMessage_.clear();
  if (!eraMode_) eraList_->SetItemIndex(-1);

  QString text[6];
  for (int i = 0; i < 6; ++i) text[i] = edits_[i]->text().trimmed();
  QString ampm = QString::fromStdString(ampmList_->Text()).trimmed();
  const QString era = QString::fromStdString(eraList_->Text()).trimmed();
  const bool maxSet = maxDate_ > emptyBase_ - 1;
  const bool minSet = minDate_ > emptyBase_ - 1;

  // Empty fields, before the hidden ones take their defaults.
  const bool eraShown = EraListShown(), ampmShown = AmPmShown();
  uint16_t emptyBits = 0;
  bool anyText = (eraShown && !era.isEmpty()) || (ampmShown && !ampm.isEmpty());
  constexpr uint16_t kFieldBits[6] = {ecYear, ecMonth, ecDay, ecHour, ecMinute, ecSecond};
  for (int i = 0; i < 6; ++i) {
    if (!Shown(Field(i))) continue;
    if (text[i].isEmpty()) emptyBits |= kFieldBits[i];
    else anyText = true;
  }
  if (eraShown && era.isEmpty()) emptyBits |= ecYear;
  if (ampmShown && ampm.isEmpty()) emptyBits |= ecAmPm;

  if (!anyText) {
    isEmpty_ = true;
    if (!allowEmpty_) return Refuse(ecAllEmpty, kMsgAllEmpty, nullptr);
    Clear();
    return true;
  }
  isEmpty_ = false;
  if (emptyBits) {
    QWidget* focus = nullptr;
    if (eraShown && era.isEmpty()) focus = eraList_;
    else if (emptyBits & ecYear) focus = edits_[fYear];
    else if (emptyBits & ecMonth) focus = edits_[fMonth];
    else if (emptyBits & ecDay) focus = edits_[fDay];
    else if (emptyBits & ecAmPm) focus = ampmList_;
    else if (emptyBits & ecHour) focus = edits_[fHour];
    else if (emptyBits & ecMinute) focus = edits_[fMinute];
    else focus = edits_[fSecond];
    return Refuse(emptyBits, kMsgSomeEmpty, focus);
  }

  // Hidden fields take their defaults.
  if (!ampmShown) ampm = QStringLiteral("AM");
  if (!Shown(fYear)) {
    int y = CurrentYear();
    if (maxSet) {
      int m, d;
      DecodeDate(maxDate_, y, m, d);
    }
    text[fYear] = QString::number(fourDigitYear_ ? y : y % 100);
  }
  if (!Shown(fMonth)) text[fMonth] = QStringLiteral("1");
  if (!Shown(fDay)) text[fDay] = QStringLiteral("1");
  for (int i = fHour; i <= fSecond; ++i) {
    if (!Shown(Field(i))) text[i] = QStringLiteral("0");
  }

  // The time of day.
  TDateTime time = 0;
  if (Shown(fHour)) {
    QWidget* badFocus = twelveHour_ ? static_cast<QWidget*>(ampmList_) : edits_[fHour];
    int h = 0, mi = 0, s = 0;
    if (!ReadNumber(text[fHour], h) || !ReadNumber(text[fMinute], mi) || !ReadNumber(text[fSecond], s)) {
      return Refuse(ecTime, kMsgBadTime, badFocus);
    }
    const char* limit = twelveHour_ ? kMsgTimeLimit12 : kMsgTimeLimit24;
    if (h >= (twelveHour_ ? 12 : 24)) return Refuse(ecTime, limit, edits_[fHour]);
    if (mi > 59 || s > 59) return Refuse(ecTime, limit, edits_[fMinute]);
    if (twelveHour_ && ampm == QStringLiteral("PM")) h += 12;
    if (h > 23) return Refuse(ecTime, kMsgBadTime, badFocus);
    time = EncodeTime(h, mi, s, 0);
  }

  // The date: a western year, or an era year counted from the era's first year.
  int y = 0, m = 0, d = 0;
  const bool yearRead = ReadNumber(text[fYear], y);
  if (yearRead) {
    int position = 0;
    if (eraShown) {
      const int index = eraList_->ItemIndex();
      position = eraDisplay_ == 1 ? index + 1 : index;
    }
    if (position <= 0) {
      if (!fourDigitYear_) y += CurrentYear() / 100 * 100;
    } else {
      const TGengoArray& eras = Eras();
      if (position - 1 >= static_cast<int>(eras.size())) return Refuse(ecDate, kMsgBadDate, edits_[fYear]);
      y += eras[static_cast<size_t>(position - 1)].YearOffset - 1;
    }
  }
  TDateTime date = 0;
  if (!yearRead || !ReadNumber(text[fMonth], m) || !ReadNumber(text[fDay], d)) {
    return Refuse(ecDate, kMsgBadDate, edits_[fYear]);
  }
  if (Shown(fYear)) {
    if (y <= 1872) return Refuse(ecBefore1873, kMsgBefore1873, edits_[fYear]);
    if (y > 2087 && (eraDisplay_ == 1 || eraDisplay_ == 2)) return Refuse(ecEraRange, kMsgEraRange, edits_[fYear]);
  }
  if (!TryEncodeDate(y, m, d, date)) return Refuse(ecDate, kMsgBadDate, edits_[fYear]);

  TDateTime value = date + time;
  if (minSet && value < minDate_) value = minDate_;
  if (maxSet && value > maxDate_) value = maxDate_;
  if (!std::isfinite(value)) return Refuse(ecValue, kMsgBadValue, nullptr);
  value_ = prevValue_ = value;
  ShowValue();
  return true;
}

void TTallixExDateEdit::ShowValue() {
  if (Shown(fYear) && value_ >= emptyBase_) {
    int y, m, d;
    DecodeDate(value_, y, m, d);
    if (eraDisplay_ == 0) {
      eraList_->SetItemIndex(eraList_->ItemCount() > 0 ? 0 : -1);
      edits_[fYear]->SetText(fourDigitYear_ ? std::to_string(y) : TwoDigits(y % 100));
    } else {
      const TWarekiRec w = DateToWareki(value_);
      const TGengoArray& eras = Eras();
      int index = -1;
      for (size_t i = 0; i < eras.size(); ++i) {
        if (eras[i].Name == w.GengoName) {
          index = static_cast<int>(i);
          break;
        }
      }
      eraList_->SetItemIndex(index < 0 ? -1 : eraDisplay_ == 1 ? index : index + 1);
      edits_[fYear]->SetText(TwoDigits(w.Year));
    }
    edits_[fMonth]->SetText(TwoDigits(m));
    edits_[fDay]->SetText(TwoDigits(d));
  }
  if (Shown(fHour) && value_ - std::floor(value_) > 0) {
    int h, mi, s, ms;
    DecodeTime(value_, h, mi, s, ms);
    if (twelveHour_) {
      ampmList_->SetItemIndex(h > 11 ? 1 : 0);
      if (h > 11) h -= 12;
    }
    edits_[fHour]->SetText(TwoDigits(h));
    edits_[fMinute]->SetText(TwoDigits(mi));
    edits_[fSecond]->SetText(TwoDigits(s));
  }
}

void TTallixExDateEdit::Clear() {
  for (TEdit* edit : edits_) edit->SetText("");
  eraList_->SetItemIndex(-1);
  ampmList_->SetItemIndex(-1);
  value_ = prevValue_ = emptyBase_ - 1;
  isEmpty_ = true;
}
