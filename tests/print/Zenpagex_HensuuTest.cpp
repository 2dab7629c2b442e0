// Form variables: reading a form file's definitions page by page, and what "@" records of the
// data draw with them (line pitch, once, names in any case, the table limits, offsets).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PrintTestSupport.h"
#include "print/Zenpagex_Hensuu.h"
#include "print/Zenpagex_Record.h"

using printtest::JoinPages;

namespace {

constexpr int kNoLimit = 100000;

// Page 0: AMOUNT with a pitch of 50 and defaults from empty fields, NOTE drawn once, two
// total lines naming one field. Page 1: no pitch, ONCE drawn once.
std::vector<std::string> SampleForm() {
  return JoinPages({
      {
          "*VERSION \"2.5\"",
          "&;1000;500;AMOUNT;ＭＳ 明朝;;b;赤;ON;RIGHT;0;0;0;",
          "&;0;0;行間;ＭＳ 明朝;10;;黒;1;LEFT;50;0;0;",
          "&;1000;700;NOTE;ＭＳ ゴシック;8;;;;;0;1;1",
          "$;100;200;TOTAL1;",
          "$;300;400;total1;",
          "$;300;400;;",
          "TEXT;100;100;ラベル;",
      },
      {
          "&;500;500;ONCE;ＭＳ 明朝;9;;;;;0;1;0;",
      },
  });
}

}  // namespace

TEST_F(FormVariables, DefinitionsAreReadWithTheirAttributes) {
  ASSERT_TRUE(HensuuYomikomi(WriteRecords("form.zpf", SampleForm()), 0, 0));
  const TZenpagexState& s = Zpx();
  EXPECT_EQ(s.FormPageCount, 1);

  const TDataField& amount = s.DataFields[0][FindDataField(0, "AMOUNT")];
  EXPECT_EQ(amount.Name, "AMOUNT");
  EXPECT_EQ(amount.X, 1000);
  EXPECT_EQ(amount.Y, 500);
  EXPECT_EQ(amount.FontSize, 12);  // no size: 12
  EXPECT_EQ(amount.Style, "B");
  EXPECT_EQ(amount.Colour, 0x0000FF);
  EXPECT_EQ(amount.Background, 0xFFFFFF);
  EXPECT_EQ(amount.Alignment, 2);
  EXPECT_EQ(s.DataFields[0][0].Width, 50);  // the page's line pitch

  const TDataField& note = s.DataFields[0][FindDataField(0, "NOTE")];
  EXPECT_EQ(note.FontSize, 8);
  EXPECT_EQ(note.FontName, "ＭＳ ゴシック");
  EXPECT_EQ(note.Once, 1);
  EXPECT_EQ(note.Anchor, 1);  // the last field, read although the line has no final ";"

  // One total field, named twice (in any case); an empty name is no field.
  EXPECT_EQ(s.TotalFields[0][0].Name, "TOTAL1");
  EXPECT_EQ(s.TotalFields[0][0].X, 100);
  EXPECT_TRUE(s.TotalFields[0][0].Used);
  EXPECT_EQ(s.TotalFields[0][1], TTotalField());
  EXPECT_TRUE(FindTotalField(0, "total1"));
  EXPECT_FALSE(FindTotalField(1, "TOTAL1"));

  EXPECT_EQ(FindDataField(1, "ONCE"), 1);
  EXPECT_EQ(FindDataField(1, "AMOUNT"), 0);
}

TEST_F(FormVariables, UsesMoveDownByThePitchAndOnceDrawsOnce) {
  HensuuYomikomi(WriteRecords("form.zpf", SampleForm()), 0, 0);
  const struct {
    int page;
    const char* name;
    int size;
    const char* style;
    bool draw;
    int y, fontSize;
    const char* fontStyle;
  } uses[] = {
      {0, "AMOUNT", 0, "", true, 500, 12, "B"},
      {0, "amount", 0, "", true, 550, 12, "B"},   // names compare upper-cased
      {0, "AMOUNT", 9, "I", true, 600, 9, "I"},   // the record's size and style win
      {0, "NOTE", 0, "", true, 700, 8, ""},
      {0, "NOTE", 0, "", false, 750, 8, ""},      // once: nothing, but the line advances
      {0, "NOTE", 0, "", false, 800, 8, ""},
      {0, "MISSING", 0, "", false, 0, 10, ""},
      {1, "ONCE", 0, "", true, 500, 9, ""},       // without a pitch once has no effect
      {1, "ONCE", 0, "", true, 500, 9, ""},
  };
  for (const auto& u : uses) {
    SCOPED_TRACE(std::to_string(u.page) + " " + u.name);
    const TVariableUse use = UseDataField(u.page, u.name, u.size, u.style, kNoLimit);
    EXPECT_EQ(use.Draw, u.draw);
    EXPECT_EQ(use.Field.Y, u.y);
    EXPECT_EQ(use.Field.FontSize, u.fontSize);
    EXPECT_EQ(use.Field.Style, u.fontStyle);
  }

  // A new page starts the counts over; the bottom limit stops the advance.
  ResetUseCounts(0);
  EXPECT_EQ(UseDataField(0, "AMOUNT", 0, "", 520).Field.Y, 500);
  EXPECT_EQ(UseDataField(0, "AMOUNT", 0, "", 520).Field.Y, 520);
  EXPECT_TRUE(UseDataField(0, "NOTE", 0, "", kNoLimit).Draw);
}

TEST_F(FormVariables, LookupsSeeTheFirstHundredVariables) {
  std::vector<std::string> lines;
  for (int i = 1; i <= 205; ++i) lines.push_back("&;" + std::to_string(i) + ";0;V" + std::to_string(i) + ";;10;");
  HensuuYomikomi(WriteRecords("form.zpf", lines), 0, 0);
  const auto& page = Zpx().DataFields[0];

  EXPECT_EQ(FindDataField(0, "V100"), 100);
  EXPECT_EQ(page[101].Name, "V101");  // stored, never found
  EXPECT_EQ(FindDataField(0, "V101"), 0);
  EXPECT_FALSE(UseDataField(0, "V101", 0, "", kNoLimit).Draw);
  // Entries 1..199 take variables; later lines are ignored.
  EXPECT_EQ(page[199].Name, "V199");
  EXPECT_EQ(page[200], TDataField());
  EXPECT_EQ(page[201], TDataField());
}

TEST_F(FormVariables, FormOffsetMovesEveryDefinition) {
  HensuuYomikomi(WriteRecords("sub.zpf", SampleForm()), 300, 400);
  const TDataField& amount = Zpx().DataFields[0][FindDataField(0, "AMOUNT")];
  EXPECT_EQ(amount.X, 1300);
  EXPECT_EQ(amount.Y, 900);
  EXPECT_EQ(Zpx().TotalFields[0][0].X, 400);
  EXPECT_EQ(Zpx().TotalFields[0][0].Y, 600);
  EXPECT_EQ(UseDataField(0, "AMOUNT", 0, "", kNoLimit).Field.Y, 900);
  EXPECT_EQ(UseDataField(0, "AMOUNT", 0, "", kNoLimit).Field.Y, 950);
}

TEST_F(FormVariables, FormPagesBeyondTheTablesHaveNoVariables) {
  std::vector<std::vector<std::string>> pages;
  for (int i = 0; i < 7; ++i) pages.push_back({"&;10;" + std::to_string(i) + ";V;;;"});
  HensuuYomikomi(WriteRecords("form.zpf", JoinPages(pages)), 0, 0);
  EXPECT_EQ(Zpx().FormPageCount, 5);
  EXPECT_EQ(Zpx().DataFields[4][1].Y, 4);
  for (int page : {-1, 5, 6}) {
    EXPECT_EQ(FindDataField(page, "V"), 0) << page;
    EXPECT_FALSE(FindTotalField(page, "V")) << page;
    EXPECT_FALSE(UseDataField(page, "V", 0, "", kNoLimit).Draw) << page;
    ResetUseCounts(page);
  }
}

TEST_F(FormVariables, MissingFormLeavesTheTablesEmpty) {
  HensuuYomikomi(WriteRecords("form.zpf", SampleForm()), 0, 0);
  ASSERT_NE(FindDataField(0, "AMOUNT"), 0);
  const std::string missing = dir_.Str() + "/gone.zpf";
  EXPECT_TRUE(HensuuYomikomi(missing, 0, 0));
  EXPECT_EQ(FindDataField(0, "AMOUNT"), 0);
  EXPECT_EQ(Zpx().FormPageCount, 0);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.MessageText(0), "<" + missing + "> が見つかりません。");
}

TEST_F(FormVariables, FormVersionFromTheFirstVersionLine) {
  const struct {
    std::vector<std::string> lines;
    double version;
  } cases[] = {
      {{"*VERSION \"2.5\""}, 2.5},
      {{"TEXT;1;1;A;", "VER \"abc\"", "// VER \"9\"", "VERSION=\" 3.25 \""}, 3.25},
      {{"VER \"0\"", "VER \"-1\""}, 1.75},
      {{"TEXT;1;1;A;"}, 1.75},
  };
  int n = 0;
  for (const auto& c : cases) {
    ReadFormVersion(WriteRecords("v" + std::to_string(n++) + ".zpf", c.lines));
    EXPECT_DOUBLE_EQ(Zpx().FormVersion, c.version) << n;
  }
  ReadFormVersion(dir_.Str() + "/gone.zpf");
  EXPECT_DOUBLE_EQ(Zpx().FormVersion, 1.75);
  EXPECT_TRUE(ui_.messages.empty());
}
