#include "ui/TallixDateEdit.h"

#include <algorithm>
#include <cstdio>

using namespace forms;

namespace dateedit {

TGengoArray SystemEras() {
  TGengoArray eras = GengoArray;
  if (eras.empty()) {
    // The table is loaded after the logon; until then the built-in eras stand in, without
    // touching the shared table.
    const TGengoArray saved = GengoArray;
    InitGengoTable();
    eras = GengoArray;
    GengoArray = saved;
  }
  if (eras.size() > 7) eras.resize(7);
  return eras;
}

TWarekiRec WarekiOf(const TGengoArray& eras, TDateTime date) {
  TWarekiRec w;
  int y, m, d;
  DecodeDate(date, y, m, d);
  w.Year = static_cast<int16_t>(y);
  w.Month = static_cast<uint16_t>(m);
  w.Day = static_cast<uint16_t>(d);
  if (date <= 0 || eras.empty()) return w;
  const TGengoRec* era = &eras.back();
  for (const TGengoRec& e : eras) {
    if (e.StartDate <= DateOf(date)) {
      era = &e;
      break;
    }
  }
  w.GengoName = era->Name;
  w.GengoSign = era->Sign;
  w.Year = static_cast<int16_t>(y - era->YearOffset + 1);
  return w;
}

}  // namespace dateedit

namespace {

// Layouts: the Qt input mask ("9" a digit that must be typed, "0" one that may), with four-
// and two-digit years, and the positions of the year, month and day parts.
struct Layout {
  const char* mask4;
  const char* mask2;
  std::array<int, 6> pos4;
  std::array<int, 6> pos2;
};
constexpr Layout kLayouts[6] = {
    {"9999/00/00; ", "99/00/00; ", {0, 3, 5, 6, 8, 9}, {0, 1, 3, 4, 6, 7}},
    {"9999/00; ", "99/00; ", {0, 3, 5, 6, -1, -1}, {0, 1, 3, 4, -1, -1}},
    {"9999; ", "99; ", {0, 3, -1, -1, -1, -1}, {0, 1, -1, -1, -1, -1}},
    {"00/00; ", "00/00; ", {-1, -1, 0, 1, 3, 4}, {-1, -1, 0, 1, 3, 4}},
    {"00; ", "00; ", {-1, -1, 0, 1, -1, -1}, {-1, -1, 0, 1, -1, -1}},
    {"00; ", "00; ", {-1, -1, -1, -1, 0, 1}, {-1, -1, -1, -1, 0, 1}},
};

std::string Format(const char* pattern, int a, int b = 0, int c = 0) {
  char buf[64];
  std::snprintf(buf, sizeof buf, pattern, a, b, c);
  return buf;
}

}  // namespace

TTallixDateEdit::TTallixDateEdit(QWidget* parent) : TEdit(parent) {
  date_ = prevDate_ = Today();
  ApplyLayout();
}

bool TTallixDateEdit::SetDateStyle(uint8_t style) {
  // Only the year/month/day and month/day layouts are supported.
  if (style != 0 && style != 3) return false;
  if (style == dateStyle_) return true;
  dateStyle_ = style;
  ApplyLayout();
  return true;
}

void TTallixDateEdit::SetEraMode(bool value) {
  if (eraMode_ == value) return;
  eraMode_ = value;
  if (value) {
    twoDigitYear_ = true;
    LimitRange();
  }
  ApplyLayout();
}

void TTallixDateEdit::SetTwoDigitYear(bool value) {
  // Era years always take two digits.
  twoDigitYear_ = value || eraMode_;
  ApplyLayout();
}

void TTallixDateEdit::SetDate(TDateTime date) {
  date_ = prevDate_ = date;
  Decode();
  Redraw();
}

void TTallixDateEdit::SetMinDate(TDateTime date) {
  minDate_ = date;
  date_ = prevDate_ = date;
  if (eraMode_) LimitRange();
  Decode();
  Redraw();
}

void TTallixDateEdit::SetMaxDate(TDateTime date) {
  maxDate_ = date;
  if (eraMode_) LimitRange();
}

void TTallixDateEdit::LimitRange() {
  // Era years repeat after a year's span only in the same era, so the range is one year.
  maxDate_ = std::min(maxDate_, IncMonth(minDate_, 12) - 1);
  firstWareki_ = DateToWareki(minDate_);
  lastWareki_ = DateToWareki(maxDate_);
}

void TTallixDateEdit::SetCurrentPart(uint8_t part) {
  currentPart_ = std::min<uint8_t>(part, dpDay);
  if (Focused()) PlaceCaret();
}

void TTallixDateEdit::SetOwnEraTable(bool value) {
  ownEraTable_ = value;
  eras_.clear();
}

void TTallixDateEdit::LoadEraTable(const TGengoArray& eras) {
  ownEraTable_ = true;
  eras_ = eras;
  if (eraMode_) LimitRange();
  Redraw();
}

TWarekiRec TTallixDateEdit::DateToWareki(TDateTime date) const {
  return dateedit::WarekiOf(ownEraTable_ ? eras_ : dateedit::SystemEras(), date);
}

void TTallixDateEdit::Decode() {
  DecodeDate(date_, year_, month_, day_);
}

void TTallixDateEdit::ApplyLayout() {
  Decode();
  const Layout& l = kLayouts[dateStyle_];
  const bool two = twoDigitYear_ || eraMode_;
  setInputMask(QString::fromLatin1(two ? l.mask2 : l.mask4));
  partPos_ = two ? l.pos2 : l.pos4;
  textLength_ = partPos_[5] >= 0 ? partPos_[5] + 1 : partPos_[3] >= 0 ? partPos_[3] + 1 : partPos_[1] + 1;
  // The caret goes to a part the layout has.
  switch (dateStyle_) {
    case 1: if (currentPart_ == dpDay) currentPart_ = dpYear; break;
    case 2: currentPart_ = dpYear; break;
    case 3: if (currentPart_ == dpYear) currentPart_ = dpMonth; break;
    case 4: currentPart_ = dpMonth; break;
    case 5: currentPart_ = dpDay; break;
    default: break;
  }
  Redraw();
}

void TTallixDateEdit::Redraw() {
  int y = year_, m = month_, d = day_;
  if (eraMode_) {
    const TWarekiRec w = DateToWareki(date_);
    y = w.Year;
    m = w.Month;
    d = w.Day;
  } else if (twoDigitYear_) {
    y %= 100;
  }
  const bool two = twoDigitYear_ || eraMode_;
  std::string text;
  switch (dateStyle_) {
    case 0: text = Format(two ? "%2.2d/%2.2d/%2.2d" : "%4.4d/%2.2d/%2.2d", y, m, d); break;
    case 1: text = Format(two ? "%2.2d/%2.2d" : "%4.4d/%2.2d", y, m); break;
    case 2: text = Format(two ? "%2.2d" : "%4.4d", y); break;
    case 3: text = Format("%2.2d/%2.2d", m, d); break;
    case 4: text = Format("%2.2d", m); break;
    default: text = Format("%2.2d", d); break;
  }
  SetText(text);
  if (Focused()) PlaceCaret();
}

void TTallixDateEdit::PlaceCaret() {
  const int start = partPos_[currentPart_ * 2];
  if (start >= 0) setCursorPosition(start);
}

void TTallixDateEdit::DoEnter() {
  TEdit::DoEnter();
  PlaceCaret();
}
