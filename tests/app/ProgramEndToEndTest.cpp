// The program binary as a user meets it, off-screen: it starts on a fixture installation, the
// user logs on, opens the real data selection, takes the company it lists, keeps the fiscal
// year, types the output file and clicks [完了]. The file is the one the command-line exporter
// writes for that company and year.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "AppTestEnv.h"
#include "platform/Process.h"
#include "support/BuiltPrograms.h"
#include "support/TempDir.h"

namespace {

TEST_F(AppTestBase, TheProgramWalkedByAUserWritesTheFileOfTheExport) {
  TempDir out;
  const std::string file = (out.Path() / "walked.xml").string();
  ProcessOptions run;
  run.argv = {BuiltProgram("../rendo-demo").string(), "--headless", file};
  run.timeout = std::chrono::minutes(2);
  const ProcessResult r = RunProcess(run);
  ASSERT_TRUE(r.Ok()) << "exit " << r.exitCode << " signal " << r.signal << "\n" << r.err;
  EXPECT_EQ(r.out, file + "\n");

  // The command-line exporter's file for the company's whole year.
  const std::string reference = (out.Path() / "reference.xml").string();
  ProcessOptions exporter;
  exporter.argv = {BuiltProgram("../rendo-export").string(), company_->Folder().string(), reference};
  exporter.timeout = std::chrono::minutes(1);
  ASSERT_TRUE(RunProcess(exporter).Ok());
  EXPECT_EQ(TempDir::Read(file), TempDir::Read(reference));
}

}  // namespace
