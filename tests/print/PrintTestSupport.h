#pragma once
// Shared ground of the print engine's tests: the engine state put back to its first values
// around every test, a scripted UI that records the messages, a temporary folder that also
// serves as the documents folder (where the engine's error log goes), record files written
// as CP932 the way they lie on disk, and a printer with a fixed paper.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "print/Zenpagex_State.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"

namespace printtest {

// A printer whose paper and printable area the test sets.
class FixedPrinter : public TEnginePrinter {
 public:
  FixedPrinter(int paper, int widthMM, int heightMM) : paper_(paper), width_(widthMM), height_(heightMM) {}
  int GetPaper() override { return paper_; }
  void SetTTOption(int value) override { ttOption = value; }
  int PrintableWidthMM() override { return width_; }
  int PrintableHeightMM() override { return height_; }
  int ttOption = 0;

 private:
  int paper_, width_, height_;
};

// The 26 settings lines a print data file starts with.
std::vector<std::string> DataHeader();

// `pages` joined by "E;" lines, as a writer separates pages.
std::vector<std::string> JoinPages(const std::vector<std::vector<std::string>>& pages);

}  // namespace printtest

class PrintTest : public ::testing::Test {
 protected:
  void SetUp() override { Zpx().Reset(); }
  void TearDown() override { Zpx().Reset(); }

  // Writes `lines`, each ended by CR LF, as CP932 to a file in the temporary folder.
  std::string WriteRecords(const std::string& name, const std::vector<std::string>& lines) const;
  // The engine's error log as UTF-8 ("" when there is none).
  std::string ErrorLog() const;
  std::string DocumentsDir() const { return dir_.Str() + "/docs"; }

  ScriptedUi ui_;
  ScopedUi useUi_{ui_};
  TempDir dir_;
  ScopedEnv documents_{"RENDO_DOCUMENTS", dir_.Str() + "/docs"};
};

// The suites, one per behaviour of the engine's ground.
class PrintRecords : public PrintTest {};
class PrintJob : public PrintTest {};
class PrintColours : public PrintTest {};
class PrintPages : public PrintTest {};
class FormVariables : public PrintTest {};
