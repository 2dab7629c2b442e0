// The manual opener: where each page is looked for by product kind, and that an empty name
// or a kind without a manual opens nothing. The navigation is recorded, not carried out.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "data/uAccRecord.h"
#include "ui/z5HtmlHelp.h"

namespace {

class HtmlHelpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedKind_ = ProgramKind;
    savedDir_ = SystemDef.HelpDir;
    SystemDef.HelpDir = "/opt/zaimu/help";
    previous_ = SetHlinkNavigator([this](const std::string& target) {
      opened.push_back(target);
      return answer;
    });
  }
  void TearDown() override {
    SetHlinkNavigator(previous_);
    ProgramKind = savedKind_;
    SystemDef.HelpDir = savedDir_;
  }

  std::vector<std::string> opened;
  int answer = kHlinkOk;

 private:
  uint8_t savedKind_ = 0;
  std::string savedDir_;
  THlinkNavigator previous_;
};

TEST_F(HtmlHelpTest, PagesAreLookedForByProductKind) {
  struct Case {
    uint8_t kind;
    const char* page;
    const char* path;
  } cases[] = {
      {0, "zod.html", "/opt/zaimu/help/zaimu/zod.html"},
      {0, "sentaku.html", "/opt/zaimu/help/zaimu/zod.files/sentaku.html"},
      {0, "ZOD.html", "/opt/zaimu/help/zaimu/zod.files/ZOD.html"},  // top pages compare exactly
      {1, "zod.html", "/opt/zaimu/help/zod.html"},
      {1, "sentaku.html", "/opt/zaimu/help/darore.files/sentaku.html"},
      {2, "vlkolm.html", "/opt/zaimu/help/velkoran/vlkolm.html"},
      {2, "sentaku.html", "/opt/zaimu/help/velkoran/vlkolm.files/sentaku.html"},
      {3, "rirare.html", "/opt/zaimu/help/rirare.html"},
      {3, "sentaku.html", "/opt/zaimu/help/rirare.files/sentaku.html"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.kind) + " " + c.page);
    ProgramKind = c.kind;
    opened.clear();
    EXPECT_EQ(ShowHtmlManual(c.page), kHlinkOk);
    EXPECT_EQ(opened, (std::vector<std::string>{c.path}));
  }
}

TEST_F(HtmlHelpTest, NothingToOpenReturnsZeroAndOpensNothing) {
  answer = kHlinkFailed;
  ProgramKind = 0;
  EXPECT_EQ(ShowHtmlManual(""), 0);
  ProgramKind = 4;
  EXPECT_EQ(ShowHtmlManual("zod.html"), 0);
  EXPECT_TRUE(opened.empty());
  // A page that is opened reports the navigation's own result.
  ProgramKind = 0;
  EXPECT_EQ(ShowHtmlManual("zod.html"), kHlinkFailed);
  EXPECT_EQ(opened.size(), 1u);
}

}  // namespace
