#pragma once
// The masked date edit: shows a date in one of the layouts year/month/day or month/day (the
// other four layouts are refused), with four- or two-digit years, or with the year as an era
// (和暦) year. The eras come from the control's own table when one is loaded, otherwise from
// the program's era table (GengoArray, or the built-in eras while that is empty).
//
// In era mode the range is at most one year: MaxDate is held to twelve months after MinDate,
// less one day, whenever either changes. Setting MinDate also sets Date.
#include <array>
#include <cstdint>
#include <string>

#include "data/uAccDateCmp.h"
#include "ui/forms/Edit.h"

namespace dateedit {
// The eras a control without its own table uses: the program's era table (the built-in eras
// while it is empty), seven at most.
TGengoArray SystemEras();
// The era form of `date` by `eras` (newest first): the first era that has begun by the date,
// or the oldest when none has; a date of day 0 or before, or no era at all, keeps the western
// year without an era name.
TWarekiRec WarekiOf(const TGengoArray& eras, TDateTime date);
}  // namespace dateedit

class TTallixDateEdit : public forms::TEdit {
 public:
  enum TDatePart : uint8_t { dpYear = 0, dpMonth = 1, dpDay = 2 };

  explicit TTallixDateEdit(QWidget* parent);

  // 0 year/month/day, 3 month/day; other values are refused (false).
  uint8_t DateStyle() const { return dateStyle_; }
  bool SetDateStyle(uint8_t style);
  bool EraMode() const { return eraMode_; }
  void SetEraMode(bool value);
  bool TwoDigitYear() const { return twoDigitYear_; }
  void SetTwoDigitYear(bool value);
  TDateTime Date() const { return date_; }
  void SetDate(TDateTime date);
  TDateTime MinDate() const { return minDate_; }
  void SetMinDate(TDateTime date);
  TDateTime MaxDate() const { return maxDate_; }
  void SetMaxDate(TDateTime date);
  // The part the caret is placed in.
  uint8_t CurrentPart() const { return currentPart_; }
  void SetCurrentPart(uint8_t part);
  // The display setting (stored; the OEM set-up uses 2).
  uint8_t DisplayKind() const { return displayKind_; }
  void SetDisplayKind(uint8_t value) { displayKind_ = value; }
  // A flag the base form saves and restores around the era set-up; no side effects.
  uint8_t ExtraFlag() const { return extraFlag_; }
  void SetExtraFlag(uint8_t value) { extraFlag_ = value; }

  // The own era table: switching the flag empties it.
  bool OwnEraTable() const { return ownEraTable_; }
  void SetOwnEraTable(bool value);
  int EraCount() const { return static_cast<int>(eras_.size()); }
  // Loads `eras` (newest first) as the own table.
  void LoadEraTable(const TGengoArray& eras);
  TWarekiRec DateToWareki(TDateTime date) const;

  int Year() const { return year_; }
  int Month() const { return month_; }
  int Day() const { return day_; }
  // First and last character of a part (-1 when the layout has none).
  int PartStart(TDatePart part) const { return partPos_[part * 2]; }
  int PartEnd(TDatePart part) const { return partPos_[part * 2 + 1]; }
  int TextLength() const { return textLength_; }
  const TWarekiRec& FirstWareki() const { return firstWareki_; }
  const TWarekiRec& LastWareki() const { return lastWareki_; }

  void DoEnter() override;

 private:
  void ApplyLayout();
  void Decode();
  void Redraw();
  void LimitRange();
  void PlaceCaret();

  uint8_t dateStyle_ = 0;
  bool eraMode_ = false;
  bool twoDigitYear_ = false;
  TDateTime date_ = 0;
  TDateTime prevDate_ = 0;
  TDateTime minDate_ = 0;
  TDateTime maxDate_ = 0;
  uint8_t currentPart_ = dpYear;
  uint8_t displayKind_ = 0;
  uint8_t extraFlag_ = 0;
  bool ownEraTable_ = false;
  TGengoArray eras_;
  int year_ = 0, month_ = 0, day_ = 0;
  std::array<int, 6> partPos_{};
  int textLength_ = 0;
  TWarekiRec firstWareki_;
  TWarekiRec lastWareki_;
};
