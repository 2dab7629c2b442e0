// The date edits: the masked date edit's layouts, era years and its one-year range in era
// mode; the date-and-time input's CheckInput over a table of typed inputs (codes, messages,
// the focused field, the value), ShowValue and Clear. Writes ctl_dateedit.png into the
// working folder for a person to look at.
#include <QApplication>
#include <QImage>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "support/ScriptedUi.h"
#include "data/uAccRecord.h"
#include "ui/SDI.h"
#include "ui/TallixDateEdit.h"
#include "ui/TallixExDateEdit.h"
#include "ui/forms/Application.h"
#include "ui/forms/Button.h"

using namespace forms;

namespace {

TGengoArray ReiwaTable() {
  TGengoArray eras(2);
  eras[0] = {"令和", "R", EncodeDate(2019, 5, 1), 2019};
  eras[1] = {"平成", "H", EncodeDate(1989, 1, 8), 1989};
  return eras;
}

class TDateForm : public TForm {
 public:
  explicit TDateForm(QWidget* owner) : TForm(owner) {
    SetName("TDateForm");
    SetCaption("日付入力");
    SetClientSize(440, 110);
    Date = new TTallixDateEdit(this);
    Date->SetName("Date");
    Date->SetBounds(10, 10, 100, 21);
    Ex = new TTallixExDateEdit(this);
    Ex->SetName("Ex");
    Ex->SetLeft(10);
    Ex->SetTop(45);
    Ok = new TButton(this);
    Ok->SetName("Ok");
    Ok->SetBounds(355, 80, 75, 25);
  }
  TTallixDateEdit* Date;
  TTallixExDateEdit* Ex;
  TButton* Ok;
};

// ---------------------------------------------------------------------------------------
// The masked date edit

TEST(DateEdit, LayoutsAndYearForms) {
  struct Case {
    const char* name;
    uint8_t style;
    bool twoDigit, era, ownTable;
    const char* text;
    int length, yearStart, monthStart, dayStart;
  } cases[] = {
      {"YearMonthDay", 0, false, false, false, "2014/04/01", 10, 0, 5, 8},
      {"TwoDigitYear", 0, true, false, false, "14/04/01", 8, 0, 3, 6},
      {"MonthDay", 3, false, false, false, "04/01", 5, -1, 0, 3},
      {"EraYear", 0, false, true, false, "26/04/01", 8, 0, 3, 6},
      {"EraYearOwnTable", 0, false, true, true, "26/04/01", 8, 0, 3, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto* form = CreateForm<TDateForm>(nullptr);
    TTallixDateEdit& e = *form->Date;
    if (c.ownTable) e.LoadEraTable(ReiwaTable());
    e.SetDate(EncodeDate(2014, 4, 1));
    EXPECT_TRUE(e.SetDateStyle(c.style));
    e.SetTwoDigitYear(c.twoDigit);
    e.SetEraMode(c.era);
    EXPECT_EQ(e.Text(), c.text);
    EXPECT_EQ(e.TextLength(), c.length);
    EXPECT_EQ(e.PartStart(TTallixDateEdit::dpYear), c.yearStart);
    EXPECT_EQ(e.PartStart(TTallixDateEdit::dpMonth), c.monthStart);
    EXPECT_EQ(e.PartStart(TTallixDateEdit::dpDay), c.dayStart);
    form->Free();
  }
}

TEST(DateEdit, StylesOtherThanDatesAndMonthDaysAreRefused) {
  auto* form = CreateForm<TDateForm>(nullptr);
  TTallixDateEdit& e = *form->Date;
  for (uint8_t style : {1, 2, 4, 5, 6}) {
    EXPECT_FALSE(e.SetDateStyle(style)) << int(style);
    EXPECT_EQ(e.DateStyle(), 0);
  }
  // Month and day have no year part: the caret part moves to the month.
  e.SetCurrentPart(TTallixDateEdit::dpYear);
  e.SetDateStyle(3);
  EXPECT_EQ(e.CurrentPart(), TTallixDateEdit::dpMonth);
  form->Free();
}

TEST(DateEdit, EraModeHoldsTheRangeToOneYear) {
  auto* form = CreateForm<TDateForm>(nullptr);
  TTallixDateEdit& e = *form->Date;
  e.SetMaxDate(EncodeDate(2016, 3, 31));
  e.SetMinDate(EncodeDate(2014, 4, 1));
  EXPECT_EQ(e.Date(), EncodeDate(2014, 4, 1));  // MinDate sets the date
  EXPECT_EQ(e.MaxDate(), EncodeDate(2016, 3, 31));
  e.SetEraMode(true);
  EXPECT_EQ(e.MaxDate(), EncodeDate(2015, 3, 31));
  EXPECT_TRUE(e.TwoDigitYear());
  EXPECT_EQ(e.FirstWareki().GengoName, "平成");
  EXPECT_EQ(e.FirstWareki().Year, 26);
  EXPECT_EQ(e.LastWareki().Year, 27);
  // Later changes are held the same way; a shorter range stays.
  e.SetMaxDate(EncodeDate(2017, 1, 1));
  EXPECT_EQ(e.MaxDate(), EncodeDate(2015, 3, 31));
  e.SetMaxDate(EncodeDate(2014, 9, 30));
  EXPECT_EQ(e.MaxDate(), EncodeDate(2014, 9, 30));
  // Own eras: the newest era that has begun names the year.
  e.LoadEraTable(ReiwaTable());
  e.SetMinDate(EncodeDate(2025, 4, 1));
  EXPECT_EQ(e.Text(), "07/04/01");
  EXPECT_EQ(e.DateToWareki(EncodeDate(2019, 4, 30)).GengoName, "平成");
  EXPECT_EQ(e.DateToWareki(EncodeDate(2019, 4, 30)).Year, 31);
  form->Free();
}

TEST(DateEdit, TypingIsHeldToTheMaskAndTheCaretGoesToTheCurrentPart) {
  auto* form = CreateForm<TDateForm>(nullptr);
  TTallixDateEdit& e = *form->Date;
  e.SetDate(EncodeDate(2014, 4, 1));
  e.SetCurrentPart(TTallixDateEdit::dpDay);
  uitest::ShowActive(*form);
  e.SetFocus();
  uitest::Pump();
  EXPECT_EQ(e.cursorPosition(), 8);
  uitest::Type("x");
  EXPECT_EQ(e.Text(), "2014/04/01");
  uitest::Type("2");
  EXPECT_EQ(e.Text(), "2014/04/21");
  form->Free();
}

// ---------------------------------------------------------------------------------------
// The date-and-time input

enum FieldId { kEra, kYear, kMonth, kDay, kAmPm, kHour, kMinute, kSecond, kNone };

QWidget* FieldWidget(TTallixExDateEdit& e, FieldId f) {
  switch (f) {
    case kEra: return e.EraList();
    case kYear: return e.YearEdit();
    case kMonth: return e.MonthEdit();
    case kDay: return e.DayEdit();
    case kAmPm: return e.AmPmList();
    case kHour: return e.HourEdit();
    case kMinute: return e.MinuteEdit();
    case kSecond: return e.SecondEdit();
    default: return nullptr;
  }
}

// Types `text` into field `f` through the keyboard.
void TypeInto(TTallixExDateEdit& e, FieldId f, const char* text) {
  auto* edit = dynamic_cast<TEdit*>(FieldWidget(e, f));
  ASSERT_NE(edit, nullptr);
  edit->SetFocus();
  uitest::Pump();
  edit->SelectAll();
  uitest::Key(Qt::Key_Delete);
  uitest::Type(QString::fromUtf8(text));
}

TEST(ExDateEdit, CheckInputAcceptsOrRefusesWithCodeMessageAndFocus) {
  struct Case {
    const char* name;
    uint8_t style = 0;
    bool eraMode = false;
    uint8_t eraDisplay = 0;
    bool fourDigit = true, twelve = false, allowEmpty = false;
    TDateTime minDate = 0;
    int era = -1, ampm = -1;  // list indexes to choose
    std::vector<const char*> fields;  // year, month, day, hour, minute, second as typed
    bool accepted;
    uint16_t code;
    const char* message;
    FieldId focus;
    TDateTime value = 0;  // expected Value after an accepted input
  };
  const TDateTime kPrevious = EncodeDate(2000, 1, 2) + EncodeTime(3, 4, 5, 0);
  const char* const kTime24 = "時刻の入力可能な値は23時59分59秒までです．　　";
  const char* const kTime12 = "時刻の入力可能な値は11時59分59秒までです．　　";
  const Case cases[] = {
      {.name = "AllEmpty", .fields = {"", "", "", "", "", ""}, .accepted = false, .code = 1,
       .message = "入力欄が全て空白です．　　", .focus = kYear},
      {.name = "AllEmptyAllowed", .allowEmpty = true, .fields = {"", "", "", "", "", ""}, .accepted = true, .code = 0,
       .message = "", .focus = kNone, .value = 0},
      {.name = "MonthEmpty", .fields = {"2025", "", "1", "0", "0", "0"}, .accepted = false, .code = 4,
       .message = "空白の入力欄があります．　　", .focus = kMonth},
      {.name = "DayAndSecondEmpty", .fields = {"2025", "4", "", "0", "0", ""}, .accepted = false, .code = 8 | 0x80,
       .message = "空白の入力欄があります．　　", .focus = kDay},
      {.name = "Accepted", .fields = {"2025", "4", "1", "13", "5", "9"}, .accepted = true, .code = 0, .message = "",
       .focus = kNone, .value = EncodeDate(2025, 4, 1) + EncodeTime(13, 5, 9, 0)},
      {.name = "Year1872", .fields = {"1872", "12", "31", "0", "0", "0"}, .accepted = false, .code = 256,
       .message = "1873年01月01日(明治6年01月01日)より前の日付は処理できません．　　", .focus = kYear},
      {.name = "Hour24", .fields = {"2025", "4", "1", "24", "00", "00"}, .accepted = false, .code = 2048,
       .message = kTime24, .focus = kHour},
      {.name = "Minute75", .fields = {"2025", "4", "1", "10", "75", "0"}, .accepted = false, .code = 2048,
       .message = kTime24, .focus = kMinute},
      {.name = "LettersInTheHour", .fields = {"2025", "4", "1", "1a", "0", "0"}, .accepted = false, .code = 2048,
       .message = "時刻が正しくありません．　　", .focus = kHour},
      {.name = "TwelveHourPm", .twelve = true, .ampm = 1, .fields = {"2025", "4", "1", "11", "59", "59"},
       .accepted = true, .code = 0, .message = "", .focus = kNone,
       .value = EncodeDate(2025, 4, 1) + EncodeTime(23, 59, 59, 0)},
      {.name = "TwelveHourTwelve", .twelve = true, .ampm = 0, .fields = {"2025", "4", "1", "12", "0", "0"},
       .accepted = false, .code = 2048, .message = kTime12, .focus = kHour},
      {.name = "ImpossibleDate", .style = 3, .fields = {"2025", "2", "30"}, .accepted = false, .code = 1024,
       .message = "日付が正しくありません（変換できません）．　　", .focus = kYear},
      {.name = "LettersInTheYear", .style = 3, .fields = {"20x5", "2", "1"}, .accepted = false, .code = 1024,
       .message = "日付が正しくありません（変換できません）．　　", .focus = kYear},
      {.name = "TwoDigitYear", .style = 3, .fourDigit = false, .fields = {"25", "4", "1"}, .accepted = true,
       .code = 0, .message = "", .focus = kNone, .value = EncodeDate(2025, 4, 1)},
      {.name = "WesternYearPastTheEras", .style = 3, .eraMode = true, .eraDisplay = 2, .era = 0,
       .fields = {"2088", "1", "1"}, .accepted = false, .code = 0x8000,
       .message = "2088年(平成100年)以降は元号に変換できません．　　", .focus = kYear},
      {.name = "EraYear", .style = 3, .eraMode = true, .eraDisplay = 1, .era = 0, .fields = {"30", "4", "1"},
       .accepted = true, .code = 0, .message = "", .focus = kNone, .value = EncodeDate(2018, 4, 1)},
      {.name = "EraNotChosen", .style = 3, .eraMode = true, .eraDisplay = 1, .fields = {"30", "4", "1"},
       .accepted = false, .code = 2, .message = "空白の入力欄があります．　　", .focus = kEra},
      {.name = "RaisedToMinDate", .style = 3, .minDate = EncodeDate(2025, 4, 1), .fields = {"2025", "3", "15"},
       .accepted = true, .code = 0, .message = "", .focus = kNone, .value = EncodeDate(2025, 4, 1)},
      {.name = "HourOnly", .style = 8, .fields = {"", "", "", "7"}, .accepted = true, .code = 0, .message = "",
       .focus = kNone, .value = 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedUi ui;
    ScopedUi use(ui);
    auto* form = CreateForm<TDateForm>(nullptr);
    TTallixExDateEdit& e = *form->Ex;
    e.SetDateTimeStyle(c.style);
    e.SetEraMode(c.eraMode);
    e.SetEraDisplay(c.eraDisplay);
    e.SetFourDigitYear(c.fourDigit);
    e.SetTwelveHour(c.twelve);
    e.SetAllowEmpty(c.allowEmpty);
    e.SetMinDate(c.minDate);
    e.SetErrorCaption("入力エラー");
    e.SetValue(kPrevious);
    e.Clear();
    e.SetValue(kPrevious);  // shown, then the fields are retyped below
    uitest::ShowActive(*form);
    for (size_t i = 0; i < c.fields.size(); ++i) {
      const FieldId f = FieldId(i < 3 ? kYear + i : kHour + (i - 3));
      if (FieldWidget(e, f)->isVisible()) TypeInto(e, f, c.fields[i]);
    }
    e.EraList()->SetItemIndex(c.era);
    e.AmPmList()->SetItemIndex(c.ampm);
    form->Ok->SetFocus();
    uitest::Pump();

    EXPECT_EQ(e.CheckInput(), c.accepted);
    EXPECT_EQ(e.ErrorCode(), c.code);
    EXPECT_EQ(e.ErrorMessage(), c.message);
    if (c.accepted) {
      EXPECT_TRUE(ui.messages.empty());
      if (c.name == std::string("HourOnly")) {
        int h, mi, sec, ms;
        DecodeTime(e.Value(), h, mi, sec, ms);
        EXPECT_EQ(h, 7);
        EXPECT_GE(e.Value(), e.EmptyBase());  // today's date with the time, not an empty value
      } else if (!c.allowEmpty) {
        EXPECT_EQ(e.Value(), c.value);
      } else {
        EXPECT_TRUE(e.IsEmpty());
        EXPECT_EQ(e.Value(), e.EmptyBase() - 1);
      }
    } else {
      ASSERT_EQ(ui.messages.size(), 1u);
      EXPECT_EQ(ui.MessageText(0), c.message);
      EXPECT_EQ(ui.messages[0].caption, "入力エラー");
      EXPECT_EQ(ui.messages[0].kind, uis::MsgKind::Information);
      EXPECT_EQ(e.Value(), kPrevious);  // a refused input keeps the value
      uitest::Pump();
      EXPECT_EQ(QApplication::focusWidget(), FieldWidget(e, c.focus));
    }
    form->Free();
  }
}

TEST(ExDateEdit, ShowValueAndClear) {
  ScriptedUi ui;
  ScopedUi use(ui);
  auto* form = CreateForm<TDateForm>(nullptr);
  TTallixExDateEdit& e = *form->Ex;
  e.SetTwelveHour(true);
  e.SetValue(EncodeDate(2025, 4, 1) + EncodeTime(15, 4, 5, 0));
  EXPECT_EQ(e.YearEdit()->Text(), "2025");
  EXPECT_EQ(e.MonthEdit()->Text(), "04");
  EXPECT_EQ(e.HourEdit()->Text(), "03");
  EXPECT_EQ(e.AmPmList()->Text(), "PM");
  EXPECT_EQ(e.EraList()->Text(), "西暦");
  // Era years from an own table; "西暦" leads the list with EraDisplay 2.
  e.SetEraMode(true);
  e.LoadEraTable(ReiwaTable());
  e.SetEraDisplay(2);
  EXPECT_EQ(e.EraList()->Items(), (std::vector<std::string>{"西暦", "令和", "平成"}));
  EXPECT_EQ(e.EraList()->Text(), "令和");
  EXPECT_EQ(e.YearEdit()->Text(), "07");
  e.SetEraDisplay(1);
  EXPECT_EQ(e.EraList()->Items(), (std::vector<std::string>{"令和", "平成"}));
  EXPECT_EQ(e.EraList()->Text(), "令和");
  EXPECT_EQ(e.YearEdit()->MaxLength(), 2);
  // An era year read back.
  EXPECT_TRUE(e.CheckInput());
  EXPECT_EQ(e.Value(), EncodeDate(2025, 4, 1) + EncodeTime(15, 4, 5, 0));
  e.Clear();
  EXPECT_TRUE(e.IsEmpty());
  EXPECT_EQ(e.YearEdit()->Text(), "");
  EXPECT_EQ(e.EraList()->ItemIndex(), -1);
  EXPECT_EQ(e.Value(), e.EmptyBase() - 1);
  EXPECT_TRUE(ui.messages.empty());
  form->Free();
}

TEST(ExDateEdit, StylesShowTheirFieldsLeftToRight) {
  auto* form = CreateForm<TDateForm>(nullptr);
  TTallixExDateEdit& e = *form->Ex;
  uitest::ShowActive(*form);
  const struct {
    uint8_t style;
    const char* shown;  // year month day hour minute second
  } cases[] = {{0, "111111"}, {3, "111000"}, {4, "110000"}, {5, "100000"}, {6, "000111"}, {8, "000100"}};
  for (const auto& c : cases) {
    e.SetDateTimeStyle(c.style);
    std::string shown;
    for (FieldId f : {kYear, kMonth, kDay, kHour, kMinute, kSecond}) shown += FieldWidget(e, f)->isVisible() ? '1' : '0';
    EXPECT_EQ(shown, c.shown) << int(c.style);
  }
  e.SetDateTimeStyle(0);
  EXPECT_LT(e.YearEdit()->geometry().right(), e.MonthEdit()->geometry().left());
  EXPECT_LT(e.DayEdit()->geometry().right(), e.HourEdit()->geometry().left());
  EXPECT_EQ(e.Height(), QFontMetrics(e.font()).height() + 8);
  form->Free();
}

TEST(ExDateEdit, WritesAScreenshot) {
  auto* form = CreateForm<TDateForm>(nullptr);
  form->Date->SetDate(EncodeDate(2025, 4, 1));
  form->Ex->SetEraMode(true);
  form->Ex->LoadEraTable(ReiwaTable());
  form->Ex->SetEraDisplay(2);
  form->Ex->SetTwelveHour(true);
  form->Ex->SetValue(EncodeDate(2025, 4, 1) + EncodeTime(15, 30, 0, 0));
  uitest::ShowActive(*form);
  EXPECT_TRUE(form->grab().toImage().save("ctl_dateedit.png"));
  form->Free();
}

// ---------------------------------------------------------------------------------------
// The dialog base form's set-up

class TDateBox : public TBSDI {
 public:
  explicit TDateBox(QWidget* owner) : TBSDI(owner) {
    SetName("TDateBox");
    SetBorderStyle(bsDialog);
    Date = new TTallixDateEdit(this);
    Date->SetName("Date");
    Date->SetExtraFlag(7);
    Ex = new TTallixExDateEdit(this);
    Ex->SetName("Ex");
  }
  TTallixDateEdit* Date;
  TTallixExDateEdit* Ex;
};

TEST(DateEdit, BaseFormSetsUpDateEditsFromTheCompanyAndTheOperator) {
  const TSystemDef savedSys = SystemDef;
  const TACCINF savedAcc = AccInf;
  const uint8_t savedOem = OemKind;
  const TGengoArray savedEras = GengoArray;
  GengoArray = ReiwaTable();
  AccInf.KISHU = EncodeDate(2024, 4, 1);
  AccInf.KIMATU = EncodeDate(2025, 3, 31);
  struct Case {
    const char* name;
    uint8_t oem;
    int eraSetting;
    uint8_t focus;
    uint8_t style, displayKind, part;
    bool eraMode;
    const char* text;
    TDateTime minDate, maxDate;
  } cases[] = {
      {"Plain", 0, 0, 2, 0, 0, TTallixDateEdit::dpDay, false, nullptr, 0, 0},
      {"Oem", 1, 0, 1, 3, 2, TTallixDateEdit::dpMonth, false, "04/01", AccInf.KISHU, AccInf.KIMATU},
      {"EraYears", 0, 1, 0, 0, 0, TTallixDateEdit::dpYear, true, "06/04/01", AccInf.KISHU, AccInf.KIMATU},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OemKind = c.oem;
    SystemDef.R4Bit10 = c.eraSetting;
    SystemDef.仕訳日付フォーカス = c.focus;
    auto* box = CreateForm<TDateBox>(nullptr);
    TTallixDateEdit& d = *box->Date;
    EXPECT_EQ(d.DateStyle(), c.style);
    EXPECT_EQ(d.DisplayKind(), c.displayKind);
    EXPECT_EQ(d.CurrentPart(), c.part);
    EXPECT_EQ(d.EraMode(), c.eraMode);
    EXPECT_EQ(d.ExtraFlag(), 7);
    if (c.text) {
      EXPECT_EQ(d.Text(), c.text);
      EXPECT_EQ(d.MinDate(), c.minDate);
      EXPECT_EQ(d.MaxDate(), c.maxDate);
    }
    TTallixExDateEdit& x = *box->Ex;
    EXPECT_EQ(x.EraMode(), c.eraSetting == 1);
    EXPECT_EQ(x.EraDisplay(), c.eraSetting == 1 ? 1 : 0);
    if (c.eraSetting == 1) {
      EXPECT_EQ(x.EraList()->Items(), (std::vector<std::string>{"令和", "平成"}));
    }
    box->Free();
  }
  GengoArray = savedEras;
  SystemDef = savedSys;
  AccInf = savedAcc;
  OemKind = savedOem;
}

}  // namespace
