// The engine's small utilities: the field splitter with its comment rule, tolerant number
// reading, and the two rounding rules every drawn value goes through.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PrintTestSupport.h"
#include "print/Zenpagex_Function.h"

TEST_F(PrintRecords, SplitFieldsCountsSeparatorsAndCutsComments) {
  const struct {
    const char* line;
    char sep;
    int separators;
    std::vector<std::string> fields;
  } cases[] = {
      {"FORM;a.zpf;TRUE;300;400;", ';', 5, {"FORM", "a.zpf", "TRUE", "300", "400", ""}},
      // Everything from "//" on is a comment, separators included.
      {"TEXT;1;ab//c;d;", ';', 2, {"TEXT", "1", "ab"}},
      {";;", ';', 2, {"", "", ""}},
      {"abc", ';', 0, {"abc"}},
      {"VER \"2.5\" x", '"', 2, {"VER ", "2.5", " x"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    std::vector<std::string> fields;
    EXPECT_EQ(SplitFields(c.line, c.sep, fields), c.separators);
    EXPECT_EQ(fields, c.fields);
  }

  // An empty line, or one that is all comment, leaves the fields as they were.
  std::vector<std::string> kept{"x", "y"};
  EXPECT_EQ(SplitFields("", ';', kept), 0);
  EXPECT_EQ(SplitFields("// note;a;b", ';', kept), 0);
  EXPECT_EQ(kept, (std::vector<std::string>{"x", "y"}));
}

TEST_F(PrintRecords, SplitFieldsTakesLinesOfAnyLength) {
  std::string line = "X";
  for (int i = 1; i <= 150; ++i) line += ";" + std::to_string(i);
  std::vector<std::string> fields;
  EXPECT_EQ(SplitFields(line, ';', fields), 150);
  ASSERT_EQ(fields.size(), 151u);
  EXPECT_EQ(fields[120], "120");
  EXPECT_EQ(FieldAt(line, ';', 150), "150");
  EXPECT_EQ(FieldAt(line, ';', 151), "");
}

TEST_F(PrintRecords, FieldAtTrimsAndAnswersEmptyBeyondTheLine) {
  const std::string form = "FORM; a.zpf ;TRUE;300;400;";
  EXPECT_EQ(FieldAt(form, ';', 0), "FORM");
  EXPECT_EQ(FieldAt(form, ';', 1), "a.zpf");
  EXPECT_EQ(FieldAt(form, ';', 5), "");
  EXPECT_EQ(FieldAt(form, ';', 6), "");
  EXPECT_EQ(FieldAt(form, ';', -1), "");
}

TEST_F(PrintRecords, NumbersFromText) {
  const struct {
    const char* text;
    double value;
  } floats[] = {
      {"1.75", 1.75}, {" 2.5 ", 2.5}, {"-3", -3}, {"+.5", 0.5}, {"1e2", 100},
      {"abc", 0},     {"1.7.5", 0},   {"", 0},    {"inf", 0},   {"nan", 0},  {"2.5x", 0},
  };
  for (const auto& c : floats) EXPECT_DOUBLE_EQ(StrToFloatDef0(c.text), c.value) << c.text;

  const struct {
    const char* text;
    int value;
  } ints[] = {
      {"12", 12}, {" 12", 12}, {"-7", -7}, {"+5", 5}, {"-2147483648", -2147483647 - 1},
      {"12 ", -1}, {"1x", -1}, {"", -1},  {"-", -1}, {"2147483648", -1}, {"0x10", -1},
  };
  for (const auto& c : ints) EXPECT_EQ(StrToIntDef(c.text, -1), c.value) << c.text;
}

TEST_F(PrintRecords, RoundingRules) {
  // Real numbers: halves to the even neighbour.
  const struct {
    double value;
    int nearest;
  } nearest[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {3.5, 4}, {-2.5, -2}, {2.4999, 2}, {-0.6, -1}};
  for (const auto& c : nearest) EXPECT_EQ(Nearest(c.value), c.nearest) << c.value;

  // MulDiv: halves away from zero; -1 for a zero divisor.
  const struct {
    int a, b, c, result;
  } muldiv[] = {
      {10, 96, 72, 13}, {9, 300, 72, 38}, {3, 1, 2, 2}, {-3, 1, 2, -2}, {3, 1, -2, -2},
      {5, 1, 0, -1},    {12, 254, 72, 42}, {2000000000, 2, 1, -1},
  };
  for (const auto& c : muldiv) EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.result) << c.a << "*" << c.b << "/" << c.c;
}
