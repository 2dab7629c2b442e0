#include <gtest/gtest.h>

#include <string>

#include "platform/AsciiCase.h"

namespace {

TEST(AsciiCase, OnlyAsciiLettersChangeCase) {
  // "Ａｂ漢" in UTF-8 and "\x82\x60" (full-width A in CP932): their bytes include values a
  // locale-aware conversion could map; none may change.
  const std::string mixed = "aZ09_-[]`{}@ Ａｂ漢\x82\x60\xC0\xE0";
  EXPECT_EQ(ascii::Upper(mixed), "AZ09_-[]`{}@ Ａｂ漢\x82\x60\xC0\xE0");
  EXPECT_EQ(ascii::Lower(mixed), "az09_-[]`{}@ Ａｂ漢\x82\x60\xC0\xE0");
  EXPECT_EQ(ascii::Upper(""), "");

  struct {
    const char* a;
    const char* b;
    bool same;
  } const cases[] = {
      {"DataListForm", "DATALISTFORM", true}, {"tusin_id", "TUSIN_ID", true}, {"", "", true},
      {"abc", "abcd", false},                 {"[", "{", false},  // 0x5B and 0x7B differ by the case bit only
      {"@", "`", false},                      {"\xC0", "\xE0", false},  // Latin-1 case pairs are not letters here
      {"漢字a", "漢字A", true},
  };
  for (const auto& c : cases) EXPECT_EQ(ascii::SameText(c.a, c.b), c.same) << c.a << " / " << c.b;
}

}  // namespace
