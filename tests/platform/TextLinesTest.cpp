#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/TextLines.h"

namespace {

using Lines = std::vector<std::string>;

TEST(TextLines, SplitAndFromTextDifferOnlyAtTheEnd) {
  struct {
    std::string text;
    Lines split, fromText;
  } const cases[] = {
      {"", {""}, {}},
      {"a", {"a"}, {"a"}},
      {"a\rb\nc\r\nd", {"a", "b", "c", "d"}, {"a", "b", "c", "d"}},
      {"a\r\n", {"a", ""}, {"a"}},
      {"a\r", {"a", ""}, {"a"}},
      {"a\r\n\r\n", {"a", "", ""}, {"a", ""}},
      {"\r\n", {"", ""}, {""}},
      {"a\n\rb", {"a", "", "b"}, {"a", "", "b"}},  // LF CR is two breaks
      {"a\r\rb", {"a", "", "b"}, {"a", "", "b"}},
      {"漢字\r\nｶﾅ", {"漢字", "ｶﾅ"}, {"漢字", "ｶﾅ"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(textlines::Split(c.text), c.split) << testing::PrintToString(c.text);
    EXPECT_EQ(textlines::FromText(c.text), c.fromText) << testing::PrintToString(c.text);
  }
}

TEST(TextLines, ToTextEndsEveryLineWithCrLfAndRoundTrips) {
  EXPECT_EQ(textlines::ToText({}), "");
  EXPECT_EQ(textlines::ToText({""}), "\r\n");
  EXPECT_EQ(textlines::ToText({"a", "", "b"}), "a\r\n\r\nb\r\n");
  for (const Lines& lines : {Lines{}, Lines{"a"}, Lines{"a", "", "b"}, Lines{""}})
    EXPECT_EQ(textlines::FromText(textlines::ToText(lines)), lines);
}

}  // namespace
