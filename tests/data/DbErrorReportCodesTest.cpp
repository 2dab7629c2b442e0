#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "data/DbErrorReportCodes.h"
#include "platform/Encoding.h"

namespace {

// The code ranges the table must cover, each inclusive; nothing else may be in it.
const std::vector<std::pair<int, int>> kRanges = {
    {335544321, 335544378}, {335544380, 335544384}, {335544386, 335544386},
    {335544388, 335544397}, {335544403, 335544416}, {335544418, 335544421},
    {335544424, 335544439}, {335544441, 335544447}, {335544450, 335544467},
    {335544469, 335544504}, {335544506, 335544701}, {335544788, 335544788},
    {336330766, 336330766}, {336330817, 336330817},
};

constexpr int kSysdbaOnly = 335544788;
constexpr int kFullWidthDir = 336330817;
constexpr int kBlankRow = 335544450;
constexpr int kUnclosedRow = 335544335;

TEST(DbErrorCodeText, TableHoldsExactlyTheCodesOfTheRanges) {
  std::set<int> expected;
  for (auto [first, last] : kRanges)
    for (int code = first; code <= last; ++code) expected.insert(code);
  ASSERT_EQ(expected.size(), 368u);

  std::set<int> actual;
  int previous = 0;
  for (const auto& row : DbErrorCodeRows()) {
    EXPECT_LT(previous, row.Code) << "table not sorted at " << row.Code;
    previous = row.Code;
    actual.insert(row.Code);
  }
  EXPECT_EQ(DbErrorCodeRows().size(), 368u);
  EXPECT_EQ(actual, expected);
}

TEST(DbErrorCodeText, FixedRowsAreExact) {
  const std::vector<std::pair<int, std::string>> cases = {
      {335544321, "（算術式の例外，数値のオーバーフロー，文字列の切り捨てのいずれかが発生しました）"},
      {335544323, "（ファイル<\"\"> は有効なデータベースではありません）"},
      {335544324, "（データベースハンドルが無効です。有効な接続がありません）"},
      {335544333, "（isc 内部のソフトウェア一貫性チェック）"},
      {335544335, "（データベースファイルが破損している可能性があります"},
      {335544336, "（デッドロック：変更できません。）"},
      {335544344, "（ファイルの入出力エラーが発生しました）"},
      {335544345, "（NO WAIT トランザクションのロックが衝突しています）"},
      {335544347, "（他のテーブルが参照しています。『列の値で検査エラーが発生しました』）"},
      {335544349, "（指定のコード（索引）は既に登録されています。『索引は重複値を格納できません』）"},
      {335544352, "（アクセスは許可されていません）"},
      {335544375, "（データベースが使用できません）"},
      {335544382, "（<\"\">）"},
      {335544466, "（他のテーブルが参照しているか？ 又は、マスターが登録されていません。,『キーの追加・削除・変更はできません』）"},
      {335544558, "（ビューまたはテーブルに対する，CHECK 制約<\"\"> に違反しています）"},
      {335544665, "（同じコードが登録されています。「PRIMARY KEY またはUNIQUE KEY 制約に違反」）"},
      {335544701, "（符号なし16 ビット整数を入力してください）"},
      {336330766, "（データベースの上書きはできません。）"},
      {kBlankRow, " "},
  };
  for (const auto& [code, text] : cases) EXPECT_EQ(DbErrorCodeText(code, -901), text) << code;
}

TEST(DbErrorCodeText, TwoRowsDependOnTheSqlCode) {
  const std::string sysdbaOnly =
      "（操作を実行することができません。データベースのSYSDBAか所有者のどちらかでなければなりません。）";
  const std::string fullWidthDir = "（ディレクトリ名・データーベスに全角文字は使用できません。）";
  const struct {
    int code;
    int sqlCode;
    std::string text;
  } cases[] = {
      {kSysdbaOnly, -901, sysdbaOnly},   {kSysdbaOnly, -902, " "},    {kSysdbaOnly, 0, " "},
      {kFullWidthDir, -902, fullWidthDir}, {kFullWidthDir, -901, " "}, {kFullWidthDir, 0, " "},
  };
  for (const auto& c : cases) EXPECT_EQ(DbErrorCodeText(c.code, c.sqlCode), c.text) << c.code << " " << c.sqlCode;
}

TEST(DbErrorCodeText, CodesOutsideTheTableGiveABlank) {
  // Gaps between the ranges, both ends, the network error and codes far away.
  for (int code : {0, -1, 335544320, 335544379, 335544385, 335544387, 335544398, 335544402, 335544417,
                   335544422, 335544440, 335544448, 335544449, 335544468, 335544505, 335544702,
                   335544721, 335544787, 335544789, 336330765, 336330767, 336330816, 336330818,
                   2147483647, -2147483647 - 1})
    EXPECT_EQ(DbErrorCodeText(code, -901), " ") << code;
}

TEST(DbErrorCodeText, EveryTextIsParenthesisedAndFitsShiftJis) {
  const std::string_view open = "（";
  const std::string_view close = "）";
  for (const auto& row : DbErrorCodeRows()) {
    const std::string_view text = row.Text;
    std::string cp932;
    EXPECT_TRUE(sjis::TryFromUtf8(text, cp932)) << row.Code;
    EXPECT_EQ(text.find_first_of("\r\n"), std::string_view::npos) << row.Code;  // one log line
    if (row.Code == kBlankRow) continue;
    EXPECT_TRUE(text.starts_with(open)) << row.Code;
    if (row.Code == kUnclosedRow) continue;
    EXPECT_TRUE(text.ends_with(close)) << row.Code;
  }
}

}  // namespace
