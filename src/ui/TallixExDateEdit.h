#pragma once
// The date-and-time input: separate fields for year, month, day, hour, minute and second
// (which of them DateTimeStyle shows), an era list for era years and an AM/PM list for the
// twelve-hour clock. CheckInput reads the fields, answers whether the input was accepted and,
// when it was not, sets ErrorCode, shows the reason (with ShowErrors) and puts the focus on
// the faulty field; a refused input keeps the previous Value.
//
// ErrorCode: 1 all fields empty; bits 2 year or era, 4 month, 8 day, $10 AM/PM, $20 hour,
// $40 minute, $80 second for empty fields; 256 a date before 1873; 512 a value that cannot be
// made; 1024 an impossible date; 2048 an impossible time; $8000 a year past the eras' range.
#include <cstdint>
#include <string>

#include "data/uAccDateCmp.h"
#include "ui/forms/ComboBox.h"
#include "ui/forms/Edit.h"
#include "ui/forms/Label.h"
#include "ui/forms/Panel.h"

class TTallixExDateEdit : public forms::TPanel {
 public:
  enum : uint16_t {
    ecAllEmpty = 1, ecYear = 2, ecMonth = 4, ecDay = 8, ecAmPm = 0x10, ecHour = 0x20, ecMinute = 0x40,
    ecSecond = 0x80, ecBefore1873 = 256, ecValue = 512, ecDate = 1024, ecTime = 2048, ecEraRange = 0x8000,
  };

  explicit TTallixExDateEdit(QWidget* parent);

  // 0 year to second, 1 to minute, 2 to hour, 3 year/month/day, 4 year/month, 5 year,
  // 6 hour to second, 7 hour/minute, 8 hour.
  uint8_t DateTimeStyle() const { return style_; }
  void SetDateTimeStyle(uint8_t style);
  bool EraMode() const { return eraMode_; }
  void SetEraMode(bool value);
  // 0 western years; 1 era years only; 2 era years with "西暦" first in the list.
  uint8_t EraDisplay() const { return eraDisplay_; }
  void SetEraDisplay(uint8_t value);
  bool FourDigitYear() const { return fourDigitYear_; }
  void SetFourDigitYear(bool value);
  bool TwelveHour() const { return twelveHour_; }
  void SetTwelveHour(bool value);
  bool AllowEmpty() const { return allowEmpty_; }
  void SetAllowEmpty(bool value) { allowEmpty_ = value; }
  bool ShowErrors() const { return showErrors_; }
  void SetShowErrors(bool value) { showErrors_ = value; }
  std::string ErrorCaption() const { return errorCaption_; }
  void SetErrorCaption(std::string caption) { errorCaption_ = std::move(caption); }
  TDateTime Value() const { return value_; }
  void SetValue(TDateTime value);
  // Values below EmptyBase count as empty; an empty control holds EmptyBase - 1.
  TDateTime EmptyBase() const { return emptyBase_; }
  void SetEmptyBase(TDateTime value) { emptyBase_ = value; }
  // A limit not above EmptyBase - 1 is no limit.
  TDateTime MinDate() const { return minDate_; }
  void SetMinDate(TDateTime value) { minDate_ = value; }
  TDateTime MaxDate() const { return maxDate_; }
  void SetMaxDate(TDateTime value) { maxDate_ = value; }
  uint16_t ErrorCode() const { return errorCode_; }
  bool IsEmpty() const { return isEmpty_; }
  // The message of the last refusal ("" after an accepted input).
  std::string ErrorMessage() const { return errorMessage_; }

  // The own era table: switching the flag empties it and refills the era list.
  bool OwnEraTable() const { return ownEraTable_; }
  void SetOwnEraTable(bool value);
  void LoadEraTable(const TGengoArray& eras);
  TWarekiRec DateToWareki(TDateTime date) const;

  // Reads the fields: true when accepted (an allowed empty input included), false when
  // refused, with ErrorCode set.
  bool CheckInput();
  // Shows Value in the fields.
  void ShowValue();
  // Empties the fields and the value.
  void Clear();

  // The fields.
  forms::TEdit* YearEdit() const { return edits_[0]; }
  forms::TEdit* MonthEdit() const { return edits_[1]; }
  forms::TEdit* DayEdit() const { return edits_[2]; }
  forms::TEdit* HourEdit() const { return edits_[3]; }
  forms::TEdit* MinuteEdit() const { return edits_[4]; }
  forms::TEdit* SecondEdit() const { return edits_[5]; }
  forms::TComboBox* EraList() const { return eraList_; }
  forms::TComboBox* AmPmList() const { return ampmList_; }

 protected:
  void changeEvent(QEvent* event) override;

 private:
  enum Field { fYear, fMonth, fDay, fHour, fMinute, fSecond };
  bool Shown(Field f) const;
  bool HasDate() const { return style_ <= 5; }
  bool HasTime() const { return style_ <= 2 || style_ >= 6; }
  bool EraListShown() const { return eraMode_ && HasDate(); }
  bool AmPmShown() const { return twelveHour_ && HasTime(); }
  const TGengoArray& Eras() const;
  void FillEraList();
  void LayoutFields();
  void ApplyEnabled();
  // Records a refusal: code, message, the message box, the focus.
  bool Refuse(uint16_t code, const std::string& message, QWidget* focus);

  uint8_t style_ = 0;
  bool eraMode_ = false;
  uint8_t eraDisplay_ = 0;
  bool fourDigitYear_ = true;
  bool twelveHour_ = false;
  bool allowEmpty_ = false;
  bool showErrors_ = true;
  std::string errorCaption_;
  TDateTime emptyBase_ = 1;
  TDateTime value_ = 0;
  TDateTime prevValue_ = 0;
  TDateTime minDate_ = 0;
  TDateTime maxDate_ = 0;
  uint16_t errorCode_ = 0;
  bool isEmpty_ = true;
  std::string errorMessage_;
  bool ownEraTable_ = false;
  TGengoArray ownEras_;
  mutable TGengoArray systemEras_;

  forms::TEdit* edits_[6] = {};
  forms::TLabel* labels_[6] = {};
  forms::TComboBox* eraList_ = nullptr;
  forms::TComboBox* ampmList_ = nullptr;
};
