#pragma once
// Shared ground of the print engine's tests: the engine state put back to its first values
// around every test, a scripted UI that records the messages, a temporary folder that also
// serves as the documents folder (where the engine's error log goes), record files written
// as CP932 the way they lie on disk, and a printer with a fixed paper.
#include <gtest/gtest.h>

#include <QImage>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
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

// What a shell command writes to its standard output.
std::string Shell(const std::string& command);
// The page count pdfinfo reports; -1 when it reports none.
int PdfPages(const std::string& pdf);

// ---- driving windows as a user does ----

// Handles everything pending.
void Pump();
// A key press and release at the focused widget; `text` is what the key types.
void Key(int qtKey, QString text = {});
// Types `text` character by character at the focused widget.
void Type(const QString& text);
// A left click at `pos` of `widget` (its centre by default).
void Click(QWidget* widget, QPoint pos = QPoint(-1, -1));
// `widget` as it is on screen, written to the build folder as `name` for a person to look at.
QImage Screenshot(QWidget& widget, const std::string& name);

// Runs `steps` one after the other inside the next modal loops, in the order the windows
// come: each step gets the window that is modal when it runs. A watchdog ends a window the
// script left open, so a broken test fails instead of hanging.
class ModalScript {
 public:
  using Step = std::function<void(QWidget&)>;
  explicit ModalScript(std::vector<Step> steps);
  ~ModalScript();
  ModalScript(const ModalScript&) = delete;
  ModalScript& operator=(const ModalScript&) = delete;
  // Steps not run.
  std::size_t Left() const;
  bool WatchdogFired() const { return *fired_; }

 private:
  struct Queue;
  std::shared_ptr<Queue> queue_;
  int hook_ = 0;
  std::shared_ptr<bool> fired_ = std::make_shared<bool>(false);
};

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
