// Reading record lines and record files: how a line is prepared and split, what a record that
// stops early reads as, and how pages are counted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PrintTestSupport.h"
#include "print/Zenpagex_Pages.h"
#include "print/Zenpagex_Record.h"

namespace {

struct ReaderCase {
  const char* line;
  const char* terminator;
  const char* kind;
  TRecordKind code;
  std::vector<std::string> fields;  // the fields after the kind, then two more reads
};

}  // namespace

TEST_F(PrintRecords, RecordLinesReadFieldByFieldWithinTheLine) {
  const ReaderCase cases[] = {
      // A kind in lower case names the same record.
      {"text;100;200;A;", ";", "TEXT", TRecordKind::Text, {"100", "200", "A", "", ""}},
      // A record that stops after its coordinates: every later field reads empty.
      {"TEXT;100;200;", ";", "TEXT", TRecordKind::Text, {"100", "200", "", "", ""}},
      // Double quotes are lost wherever they stand.
      {"TEXT;1;2;\"A\"B;\"黒\";", ";", "TEXT", TRecordKind::Text, {"1", "2", "AB", "黒", ""}},
      // CR of a CR LF line end is not part of the last field.
      {"LINE;1;2;3;4;\r", ";", "LINE", TRecordKind::Line, {"1", "2", "3", "4", ""}},
      // Without the final ";" the last field is still read whole.
      {"BP;5;60", ";", "BP", TRecordKind::BasePoint, {"5", "60", "", ""}},
      // A bare "E" is a page end when read as a record.
      {"E", ";", "E", TRecordKind::PageEnd, {"", ""}},
      {"@;amount;100;", ";", "@", TRecordKind::Variable, {"amount", "100", ""}},
      // Header and comment lines and blank lines are of no known kind.
      {"*TITLE=データ", ";", "*TITLE=データ", TRecordKind::Unknown, {"", ""}},
      {"", ";", "", TRecordKind::Unknown, {"", ""}},
      // The form-variable reader ends a short line with ";0;".
      {"&;10;20;AMT", ";0;", "&", TRecordKind::VariableDef, {"10", "20", "AMT", "0", ""}},
      {"&;10;20;AMT;", ";0;", "&", TRecordKind::VariableDef, {"10", "20", "AMT", ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    TRecordLine r(c.line, c.terminator);
    EXPECT_EQ(r.Kind(), c.kind);
    EXPECT_EQ(r.KindCode(), c.code);
    for (const auto& expected : c.fields) EXPECT_EQ(r.Next(), expected);
    EXPECT_LE(r.FieldPos, static_cast<int>(r.Text().size()) + 1);
  }
}

TEST_F(PrintRecords, NumbersTakeTheirDefaultWhenMissingOrMalformed) {
  TRecordLine r("TEXT;1x;;-30;+7;2147483648;");
  EXPECT_EQ(r.NextInt(0), 0);
  EXPECT_EQ(r.NextInt(10), 10);  // empty size: 10
  EXPECT_EQ(r.NextInt(0), -30);
  EXPECT_EQ(r.NextInt(0), 7);
  EXPECT_EQ(r.NextInt(1), 1);   // out of range
  EXPECT_EQ(r.NextInt(10), 10);  // past the end
}

TEST_F(PrintRecords, FilesAreReadAsCp932Lines) {
  const std::string file = dir_.Write("data.txt", "TEXT;100;200;\x83\x66\x81\x5B\x83\x5E;\r\nE;\nLINE;1;1;2;2;\r");
  TTextFile f;
  f.Assign(file);
  f.Reset();
  std::vector<std::string> lines;
  while (!f.Eof()) lines.push_back(f.ReadLn());
  EXPECT_EQ(lines, (std::vector<std::string>{"TEXT;100;200;データ;", "E;", "LINE;1;1;2;2;"}));
  f.Reset();
  EXPECT_EQ(f.ReadLn(), "TEXT;100;200;データ;");
}

TEST_F(PrintRecords, PagesAreCountedByTheirEndLines) {
  const struct {
    std::vector<std::string> lines;
    int pages;
  } cases[] = {
      {{"TEXT;1;1;A;", "E;", "TEXT;1;1;B;", "E;", "TEXT;1;1;C;", "E;", "TEXT;1;1;D;"}, 4},
      {{"TEXT;1;1;A;", "E;"}, 2},                 // a final "E;" leaves an empty last page
      {{"TEXT;1;1;A;", "E", "TEXT;1;1;B;"}, 1},   // "E" without ";" is not counted
      {{"TEXT;1;1;A;", "e;", "TEXT;1;1;B;"}, 2},  // upper-cased before the test
      {{"E;0;"}, 2},
      {{"ELINE;1;1;2;2;", "END;"}, 1},
      {{}, 1},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string file = WriteRecords("pages" + std::to_string(n++) + ".txt", c.lines);
    EXPECT_EQ(CountPages(file, false), c.pages) << file;
  }
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(PrintRecords, MissingFileIsReportedOnceAndCountsOnePage) {
  const std::string missing = dir_.Str() + "/nothing.txt";
  EXPECT_EQ(CountPages(missing, false), 1);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.MessageText(0), "<" + missing + "> が見つかりません。");
  EXPECT_EQ(ui_.messages[0].kind, uis::MsgKind::Error);

  // No file named at all, or only blanks: nothing to report.
  EXPECT_EQ(CountPages("", false), 1);
  EXPECT_EQ(CountPages("  ", false), 1);
  EXPECT_EQ(ui_.messages.size(), 1u);
}
