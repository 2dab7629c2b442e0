// The program's argument from a calling program and the version rule of the start-up.
#include <gtest/gtest.h>

#include <string>

#include "app/Main.h"

namespace {

struct ArgumentCase {
  std::string argument;
  bool accepted;
  int32_t wnd, msg, param;
  std::string file;
};

TEST(CallerArgument, FieldsTable) {
  const ArgumentCase cases[] = {
      {"123,1025,7,/home/u/out.xml", true, 123, 1025, 7, "/home/u/out.xml"},
      // Field 4 is all of the rest: a comma in the path stays in the path.
      {"1,2,3,/data/a,b/c,d.xml", true, 1, 2, 3, "/data/a,b/c,d.xml"},
      {"1,2,0,", true, 1, 2, 0, ""},
      {"+5,-2,0,x.xml", true, 5, -2, 0, "x.xml"},
      // Fewer than four fields.
      {"", false, 0, 0, 0, ""},
      {"123", false, 0, 0, 0, ""},
      {"123,1025", false, 0, 0, 0, ""},
      {"123,1025,7", false, 0, 0, 0, ""},
      // Fields 1 to 3 must be whole numbers.
      {"abc,1025,7,out.xml", false, 0, 0, 0, ""},
      {"123,10x,7,out.xml", false, 0, 0, 0, ""},
      {"123,1025,,out.xml", false, 0, 0, 0, ""},
      {"12 3,1025,7,out.xml", false, 0, 0, 0, ""},
      {"99999999999,1,1,out.xml", false, 0, 0, 0, ""},
  };
  for (const ArgumentCase& c : cases) {
    int32_t wnd = -1, msg = -1, param = -1;
    std::string file = "junk";
    EXPECT_EQ(ParseCallerArgument(c.argument, wnd, msg, param, file), c.accepted) << c.argument;
    EXPECT_EQ(wnd, c.wnd) << c.argument;
    EXPECT_EQ(msg, c.msg) << c.argument;
    EXPECT_EQ(param, c.param) << c.argument;
    EXPECT_EQ(file, c.file) << c.argument;
  }
}

TEST(VersionRule, PartByPartTable) {
  struct Case {
    const char* version;
    const char* minimum;
    bool atLeast;
  };
  const Case cases[] = {
      {"10.0.0", "10.0.0", true},  {"9.9.9", "10.0.0", false},   {"10", "10.0.0", true},
      {"10.2", "10.0.0", true},    {"", "10.0.0", false},        {"0.0.0", "0.0.0", false},
      {"10.100.0", "10.0.0", true},
      // Parts compare as numbers, not as digit texts glued together.
      {"9.100.0", "10.0.0", false}, {"10.0.100", "10.1.0", false},
      {"x.y", "10.0.0", false},    {"10.a.0", "10.0.0", true},   {"11.0.0.1", "10.0.0", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsVersionAtLeast(c.version, c.minimum), c.atLeast) << c.version;
}

}  // namespace
