// The text splitter and the edition list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/uAccClassesSplit.h"
#include "data/uAccClasses.h"
#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "platform/Encoding.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace {

using Strings = std::vector<std::string>;

struct SplitCase {
  char delimiter;
  std::string text;
  Strings items;
};

Strings Split(char delimiter, const std::string& text) {
  TMojiBunkatu s;
  s.Delimiter = delimiter;
  s.SetText(text);
  EXPECT_EQ(s.Count, static_cast<int>(s.Items.size()));
  return s.Items;
}

}  // namespace

TEST(Splitter, SplitsByTheRules) {
  const std::vector<SplitCase> cases = {
      {',', "a,b", {"a", "b"}},
      {',', "a,,b", {"a", "", "b"}},
      {',', "a,", {"a", ""}},
      {',', "a, ", {"a"}},  // only a delimiter as the very last character adds an empty item
      {',', ",a", {"", "a"}},
      {',', "", {""}},
      {',', "   ", {""}},
      {',', "a b,c", {"a", "b", "c"}},
      {',', " a , b ", {"a", "b"}},
      {',', "\"x, \"\"y\"\" z\",w", {"x, \"y\" z", "w"}},
      {',', "\"\",b", {"", "b"}},
      {',', "\"ab\"cd,e", {"ab", "cd", "e"}},
      {',', "\"open, to the end", {"open, to the end"}},  // an unclosed quote keeps every character
      {',', "漢字,ｶﾅ 表", {"漢字", "ｶﾅ", "表"}},
      {',', "\tx\r\n", {"x"}},
      {'\\', "C:\\DATA\\12\\3", {"C:", "DATA", "12", "3"}},
      {'.', "3.0.0", {"3", "0", "0"}},
      {'.', "10.2", {"10", "2"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Split(c.delimiter, c.text), c.items) << "text: [" << c.text << "] delimiter " << c.delimiter;
  }
}

TEST(Splitter, GetMojiOutsideTheItemsIsEmptyAndEachSetTextReplacesTheItems) {
  TMojiBunkatu s;
  EXPECT_EQ(s.Delimiter, ',');
  s.SetText("a,b,c");
  std::string t = "old";
  s.GetMoji(2, t);
  EXPECT_EQ(t, "c");
  s.GetMoji(3, t);
  EXPECT_EQ(t, "");
  t = "old";
  s.GetMoji(-1, t);
  EXPECT_EQ(t, "");

  s.SetText("x");
  EXPECT_EQ(s.Count, 1);
  EXPECT_EQ(s.Items, Strings{"x"});
  s.Clear();
  EXPECT_EQ(s.Count, 0);
  EXPECT_TRUE(s.Items.empty());
}

namespace {

// An edition list over a registry store of its own, under no OEM identity.
class EditionList : public ::testing::Test {
 protected:
  void UseRegistry(const std::string& text) { path_ = dir_.Write("registry.ini", sjis::FromUtf8(text)); }

  TSeihinVersionList Build(uint8_t sort, const std::string& firstName = "") {
    ScopedEnv store("RENDO_REGISTRY", path_);
    TSeihinVersionList list;
    list.FirstName = firstName;
    list.Execute(sort);
    EXPECT_EQ(list.Count, static_cast<int>(list.Rows.size()));
    EXPECT_EQ(list.Names.size(), list.Rows.size());
    return list;
  }

  void SetUp() override {
    savedInfo_ = AppInfo;
    savedOem_ = OemKind;
    SetAppInfoDefaults(AppInfo);
    OemKind = 0;
    path_ = (dir_.Path() / "none.ini").string();
  }
  void TearDown() override {
    AppInfo = savedInfo_;
    OemKind = savedOem_;
  }

  TempDir dir_;
  std::string path_;
  TAppInfoRec savedInfo_;
  uint8_t savedOem_ = 0;
};

std::string Versions(const TSeihinVersionList& list) {
  std::string out;
  for (int i = 0; i < list.Count; ++i) {
    std::string v, n;
    list.GetVersionText(i, v);
    list.GetName(i, n);
    out += "[" + v + " " + n + "]";
  }
  return out;
}

}  // namespace

TEST_F(EditionList, BuiltInEditionsWithoutRegistry) {
  TSeihinVersionList list = Build(0);
  EXPECT_EQ(list.Names, (Strings{"09版", "10版", "11版"}));
  std::string text;
  list.GetVersionText(2, text);
  EXPECT_EQ(text, "3.0");
  list.GetVersionText(3, text);
  EXPECT_EQ(text, "");
  list.GetText(text);
  EXPECT_EQ(text, "09版\r\n10版\r\n11版\r\n");
  EXPECT_EQ(list.IndexOfName("10版"), 1);
  EXPECT_EQ(list.IndexOfName("10"), -1);

  TSeihinVersionList sorted = Build(1, "選択なし");
  EXPECT_EQ(Versions(sorted), "[ 選択なし][3.0 11版][2.0 10版][1.0 09版]");
  sorted.Sort(0);
  EXPECT_EQ(Versions(sorted), "[ 選択なし][1.0 09版][2.0 10版][3.0 11版]");
}

TEST_F(EditionList, RegistryEditionsOfTheProductAreAddedOnce) {
  UseRegistry(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QUORIN\\Zivodaroreratl]\r\nVersion=3.0.5\r\nType=別11版\r\n"  // 3.0 listed
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QUORIN\\ZIVODARORER13]\r\nVersion=5.1.0\r\nType=13版\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QUORIN\\ZIVODARORER12]\r\nVersion=4.0.2\r\nType=12版\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QUORIN\\ZIVODARORER12B]\r\nVersion=4.0.0\r\nType=12版B\r\n"  // 4.0 listed
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QUORIN\\ZIVODARORER14]\r\nVersion=6.0\r\nType=14版\r\n"      // two parts
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QUORIN\\VELKORAN]\r\nVersion=7.0.0\r\nType=分析\r\n");       // other product
  TSeihinVersionList list = Build(0);
  EXPECT_EQ(Versions(list), "[1.0 09版][2.0 10版][3.0 11版][4.0 12版][5.1 13版]");
  EXPECT_EQ(Versions(Build(1)), "[5.1 13版][4.0 12版][3.0 11版][2.0 10版][1.0 09版]");

  OemKind = 1;  // an OEM identity has no built-in editions; subkeys with digits sort first
  EXPECT_EQ(Versions(Build(0)), "[4.0 12版][5.1 13版][3.0 別11版]");
}
