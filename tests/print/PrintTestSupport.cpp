#include "PrintTestSupport.h"

#include <QApplication>
#include <filesystem>
#include <memory>

#include "platform/Encoding.h"
#include "print/Zenpagex_Record.h"

namespace {

// One widget application for the binary (the engine enumerates the installed fonts through it;
// the printing dialog is a window).
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "print_tests";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QApplication>(argc, argv);
  }
  void TearDown() override {
    Zpx().Reset();
    app_.reset();
  }

 private:
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

namespace printtest {

std::vector<std::string> DataHeader() {
  return {
      HeaderFirstLine(),
      "*[SETTING]",
      "*PATH=.",
      "*VERSION=VCL.2.5",
      "*DATE=2024/04/01",
      "*TITLE=データリスト",
      "*FORMFILE=",
      "*PAPERSIZE=9",
      "*OUTPUTPAPER=0",
      "*ORIENTATION=0",
      "*TOPMARGIN=0",
      "*LEFTMARGIN=0",
      "*FORMTOPMARGIN=0",
      "*FORMLEFTMARGIN=0",
      "*NETC1=$C0C0C0",
      "*NETC2=$C0C0C0",
      "*USERC1=$000000",
      "*USERC2=$000000",
      "*FORMPRINT=TRUE",
      "*COPIES=1",
      "*PAGENOSWITCH=TRUE",
      "*PAGENOLEFT=1900",
      "*PAGENOTOP=2800",
      "*PAGENOALIGNMENT=2",
      "*PAGENOFORMAT=(%d/%d)",
      HeaderLastLine(),
  };
}

std::vector<std::string> JoinPages(const std::vector<std::vector<std::string>>& pages) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < pages.size(); ++i) {
    if (i > 0) lines.push_back("E;");
    lines.insert(lines.end(), pages[i].begin(), pages[i].end());
  }
  return lines;
}

}  // namespace printtest

std::string PrintTest::WriteRecords(const std::string& name, const std::vector<std::string>& lines) const {
  std::string bytes;
  for (const auto& line : lines) bytes += sjis::FromUtf8(line) + "\r\n";
  return dir_.Write(name, bytes);
}

std::string PrintTest::ErrorLog() const {
  const std::filesystem::path log = DocumentsDir() + "/Zenpagex_Error.log";
  if (!std::filesystem::exists(log)) return {};
  return sjis::ToUtf8(TempDir::Read(log));
}
