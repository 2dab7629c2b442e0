// The import's log: which line decides the result, and the log file in both forms.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "comm/z5CashBookLoader.h"
#include "platform/Encoding.h"
#include "support/TempDir.h"

namespace {

struct Line {
  uint8_t kind;
  int32_t result;
};

TEST(CashBookImportLog, GetResultTakesTheFirstErrorOrTheSummary) {
  struct Case {
    const char* name;
    std::vector<Line> lines;
    int32_t result;
  };
  const std::vector<Case> cases = {
      {"empty log", {}, 0},
      {"warnings only: the last line", {{2, 11}, {2, 201}}, 201},
      {"warnings then the summary", {{2, 12}, {1, 1}, {2, 201}}, 1},
      {"the first error wins over later lines", {{2, 101}, {3, -104}, {3, -103}, {3, -100}}, -104},
      {"an error line before a summary", {{3, -111}, {1, 1}}, -111},
  };
  for (const Case& c : cases) {
    TCashBookLoaderBox box;
    for (const Line& l : c.lines) box.AddLog(l.kind, l.result, "x");
    EXPECT_EQ(box.GetResult(), c.result) << c.name;
    if (!c.lines.empty()) EXPECT_EQ(box.LastResult(), c.lines.back().result) << c.name;
  }
}

TEST(CashBookImportLog, FileFormsKeepFieldsAsTheyAre) {
  TCashBookLoaderBox box;
  box.AddLog(0, 0, "準備");
  box.AddLog(2, 11, "it's (仕訳番号:3)");
  box.AddLog(3, -100, "取り込み処理を中止しました。");
  EXPECT_EQ(box.LogFileText(true),
            "'','0','準備',\r\n\r\n"
            "'警告','11','it's (仕訳番号:3)',\r\n\r\n"
            "'エラー','-100','取り込み処理を中止しました。',\r\n\r\n");
  EXPECT_EQ(box.LogFileText(false), "\t0\t準備\t\r\n\r\n警告\t11\tit's (仕訳番号:3)\t\r\n\r\nエラー\t-100\t取り込み処理を中止しました。\t\r\n\r\n");

  TempDir tmp;
  const std::string path = (tmp.Path() / "現金出納帳の受信ログ.csv").string();
  ASSERT_TRUE(box.SaveLogFile(path, true));
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes, sjis::FromUtf8(box.LogFileText(true)));
  EXPECT_FALSE(box.SaveLogFile((tmp.Path() / "missing" / "x.csv").string(), true));
}

}  // namespace
