// The command-line exporter as a user runs it: its guards, one invocation per row, with the
// exit status and the message each gives, and the earlier output file left as it was
// whenever nothing is written.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fixtures/FixtureDb.h"
#include "fixtures/Installation.h"
#include "support/BuiltPrograms.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using fixtures::Company;
using fixtures::CompanyPlan;

struct ToolRun {
  int status = -1;
  std::string out, err;
};

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string Quoted(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

class RendoExportToolTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    inst_ = new fixtures::Installation();
    good_ = &inst_->AddCompany(CompanyPlan::Corporation());

    CompanyPlan shortPlan = CompanyPlan::Corporation();
    shortPlan.kimatu = EncodeDate(2016, 12, 31);  // nine months: the year ends before slot 15
    shortYear_ = &inst_->AddCompany(shortPlan);

    brokenSettings_ = &inst_->AddCompany(CompanyPlan::Corporation());
    noRefundTable_ = &inst_->AddCompany(CompanyPlan::Corporation());
    badName_ = &inst_->AddCompany(CompanyPlan::Corporation());
    const struct {
      Company* company;
      const char* sql;
    } changes[] = {
        {brokenSettings_, "DROP TABLE TAX_KAZEIHOUSIKI"},
        {noRefundTable_, "DROP TABLE KANPU_SINKOKU_SIIREKIN"},
        {badName_, "UPDATE ACCDEF1 SET SHOUGOU = CAST(x'41854042' AS VARCHAR(40) CHARACTER SET SJIS_0208)"},
    };
    for (const auto& c : changes) {
      fixtures::DbSession s(c.company->DbFile());
      s.Exec(c.sql);
      s.Commit();
    }
  }
  static void TearDownTestSuite() {
    delete inst_;
    inst_ = nullptr;
  }

  // Runs the exporter with the installation's environment (and the extra variables).
  ToolRun Run(const std::vector<std::string>& args, const std::string& extraEnv) const {
    std::string cmd = extraEnv + " " + Quoted(BuiltProgram("../rendo-export").string());
    for (const std::string& a : args) cmd += " " + Quoted(a);
    const std::string out = (tmp_.Path() / "stdout").string(), err = (tmp_.Path() / "stderr").string();
    cmd += " >" + Quoted(out) + " 2>" + Quoted(err);
    ToolRun r;
    const int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = TempDir::Read(out);
    r.err = TempDir::Read(err);
    return r;
  }

  static inline fixtures::Installation* inst_ = nullptr;
  static inline Company *good_ = nullptr, *shortYear_ = nullptr, *brokenSettings_ = nullptr, *noRefundTable_ = nullptr,
                        *badName_ = nullptr;
  TempDir tmp_;
};

TEST_F(RendoExportToolTest, GuardsByInvocation) {
  fixtures::InstallationEnv env(*inst_);
  const std::string good = good_->Folder().string();
  const std::string out = (tmp_.Path() / "out" / "syouhizei.xml").string();
  const std::string link = (tmp_.Path() / "out" / "link.xml").string();
  fs::create_directories(tmp_.Path() / "out");
  fs::create_symlink(good_->DbFile(), link);
  const std::string noRegistry = "RENDO_REGISTRY=" + Quoted((tmp_.Path() / "none.ini").string());

  const struct {
    std::vector<std::string> args;
    std::string env;
    int status;
    std::string message;  // a part of standard error
  } cases[] = {
      {{}, "", 2, "usage: "},
      {{good, ""}, "", 2, "usage: "},
      {{"", out}, "", 2, "usage: "},
      {{good, out, "16"}, "", 2, "usage: "},
      {{good, out, "5", "3"}, "", 2, "開始期間 5 が終了期間 3 より後です。"},
      {{good, (tmp_.Path() / "out" / "copy.FDB").string()}, "", 1, "出力先にデータベースファイルは指定できません。"},
      {{good, link}, "", 1, "出力先にデータベースファイルは指定できません。"},
      {{good, (good_->Folder() / "out.xml").string()}, "", 1, "出力先に会計データのフォルダは指定できません。"},
      {{good, (inst_->SysDir() / "out.xml").string()}, "", 1, "出力先に会計データのフォルダは指定できません。"},
      {{shortYear_->Folder().string(), out, "15"}, "", 1, "計算期間の開始が終了より後になっています。"},
      {{(inst_->SysDir() / "9999").string(), out}, "", 1, "会計データに接続できませんでした。"},
      {{brokenSettings_->Folder().string(), out}, "", 1,
       "消費税データの作成中にエラーが発生しました。(消費税の設定の読込: TAX_KAZEIHOUSIKI)"},
      {{noRefundTable_->Folder().string(), out}, "", 1,
       "消費税データの作成中にエラーが発生しました。(還付明細の読込: KANPU_SINKOKU_SIIREKIN)"},
      {{badName_->Folder().string(), out}, "", 1, "中間ファイルに書き込めない文字が含まれています。 KOMONSAKINAME: 0x8540"},
      {{good, out}, noRegistry, 0, "[警告] 会計製品の名前またはバージョンをレジストリから読み取れませんでした。"},
      {{good, out, "0", "15"}, "", 0, ""},
  };
  for (const auto& c : cases) {
    std::string shown;
    for (const std::string& a : c.args) shown += " [" + a + "]";
    // Every output file named here already holds an earlier file (the database behind the link
    // is its own earlier content).
    const std::string target = c.args.size() >= 2 && !c.args[1].empty() && c.args[1] != link ? c.args[1] : "";
    if (!target.empty()) WriteFile(target, "earlier file");

    const ToolRun r = Run(c.args, c.env);
    EXPECT_EQ(r.status, c.status) << shown << "\n" << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << shown << "\n" << r.err;
    if (c.status == 0) {
      EXPECT_EQ(r.out, fs::absolute(target).string() + "\n") << shown;
      EXPECT_EQ(TempDir::Read(target).rfind("<?xml", 0), 0u) << shown;
    } else {
      EXPECT_EQ(r.out, "") << shown;
      if (!target.empty()) {
        EXPECT_EQ(TempDir::Read(target), "earlier file") << shown;
      }
    }
    if (!target.empty() && target != out) fs::remove(target);
  }
  EXPECT_TRUE(fs::is_symlink(link)) << "the database behind the link is still the database";
}

}  // namespace
