// The printer settings and the printing loop, end to end on the PDF pseudo-printer: the PDF's
// pages, their sizes and texts read back with pdfinfo and pdftotext.
#include <QPageSize>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <regex>

#include "PrintTestSupport.h"
#include "print/Zenpagex_Pages.h"
#include "print/Zenpagex_PrintIng.h"
#include "print/Zenpagex_Vdb.h"

namespace {

using printtest::PdfPages;
using printtest::Shell;

// Width and height of page `n` in points.
std::pair<double, double> PdfPageSize(const std::string& pdf, int n) {
  const std::string info = Shell("pdfinfo -f " + std::to_string(n) + " -l " + std::to_string(n) + " '" + pdf + "'");
  std::smatch m;
  if (!std::regex_search(info, m, std::regex(R"(size:\s+([\d.]+) x ([\d.]+) pts)"))) return {0, 0};
  return {std::stod(m[1]), std::stod(m[2])};
}

constexpr double kPointsPerMM = 72 / 25.4;

// A UI that also answers the print dialog and notes which data page was printed when a message
// was shown.
class PrintUi : public ScriptedUi {
 public:
  std::deque<std::optional<uis::PrintRangeRequest>> rangeAnswers;  // nullopt: cancel
  std::vector<int> messagePages;

  bool PrintRange(uis::PrintRangeRequest& request) override {
    if (rangeAnswers.empty()) return true;
    auto answer = rangeAnswers.front();
    rangeAnswers.pop_front();
    if (!answer) return false;
    answer->maxPage = request.maxPage;
    request = *answer;
    return true;
  }
  int MessageBox(const uis::MessageRequest& request) override {
    messagePages.push_back(Zpx().DataPageNo);
    return ScriptedUi::MessageBox(request);
  }
};

class PrintLoop : public PrintTest {
 protected:
  void SetUp() override {
    PrintTest::SetUp();
    pdf_ = dir_.Str() + "/out.pdf";
    const std::string pdf = pdf_;
    EngineStartup([pdf] { return std::make_unique<TVDBPrint>(pdf); });
    ASSERT_TRUE(Zpx().EngineReady);
  }

  // A data file of `pages`, the header block in front of the first.
  std::string DataFile(std::vector<std::vector<std::string>> pages, const std::string& name = "data.zpx") {
    std::vector<std::string> lines = printtest::DataHeader();
    for (const auto& l : printtest::JoinPages(pages)) lines.push_back(l);
    return WriteRecords(name, lines);
  }
  // `n` pages, each with its number as a Japanese text.
  std::string NumberedData(int n) {
    std::vector<std::vector<std::string>> pages;
    for (int i = 1; i <= n; ++i) pages.push_back({"TEXT;200;200;第" + std::to_string(i) + "頁;;12;"});
    return DataFile(pages);
  }
  TZPGXDEF Job(const std::string& data) {
    TZPGXDEF job;
    job.DataFile = data;
    job.PaperSize = 9;
    job.PrnDlg = false;
    return job;
  }

  PrintUi printUi_;
  ScopedUi usePrintUi_{printUi_};
  std::string pdf_;
};

class PrinterSettings : public PrintLoop {};

TEST_F(PrintLoop, OrientationChangeAndMessageKeepOneOutput) {
  const std::string data = DataFile({
      {"TEXT;200;200;消費税の申告書;;14;"},
      {"TEXT;200;200;第二頁;;12;", "MESSAGE;用紙を替えてください;"},
      {"TEXT;200;200;第三頁;;12;"},
      {"ORIENTATION;1;", "TEXT;200;200;横向きの頁;;12;"},
      {"TEXT;200;200;第五頁;;12;"},
      {"TEXT;200;200;最後の頁;;12;"},
  });
  TZPGXDEF job = Job(data);
  EXPECT_EQ(StartPrint(job), -1);
  EXPECT_EQ(PdfPages(pdf_), 6);
  for (int page : {1, 3, 5, 6}) {
    const auto [w, h] = PdfPageSize(pdf_, page);
    EXPECT_LT(w, h) << page;
  }
  const auto [w4, h4] = PdfPageSize(pdf_, 4);
  EXPECT_NEAR(w4, 297 * kPointsPerMM, 1);
  EXPECT_NEAR(h4, 210 * kPointsPerMM, 1);
  ASSERT_EQ(printUi_.messages.size(), 1u);
  EXPECT_EQ(printUi_.MessageText(0), "用紙を替えてください");
  EXPECT_EQ(printUi_.messagePages, std::vector<int>{2});  // after page 2, before page 3
  const std::string text = Shell("pdftotext -layout '" + pdf_ + "' -");
  for (const char* t : {"消費税の申告書", "第二頁", "横向きの頁", "最後の頁"}) {
    EXPECT_NE(text.find(t), std::string::npos) << t;
  }
  EXPECT_EQ(ErrorLog(), "");
  // Kept for a person to look at.
  std::error_code ec;
  const auto build = std::filesystem::read_symlink("/proc/self/exe", ec).parent_path().parent_path();
  if (!ec) std::filesystem::copy_file(pdf_, build / "print_loop.pdf", std::filesystem::copy_options::overwrite_existing, ec);
}

TEST_F(PrintLoop, CopiesRangesAndFormsDecideTheSheets) {
  struct Case {
    const char* name;
    int dataPages;
    int copies;
    int collate;
    std::optional<std::pair<int, int>> range;
    int formPages;
    int sheets;
  };
  const Case cases[] = {
      {"collated copies", 6, 3, 1, {}, 0, 18},
      {"copies beyond 99 print once", 2, 100, 1, {}, 0, 2},
      {"copies left to the printer", 6, 3, 0, {}, 0, 6},
      {"range", 10, 1, 0, std::pair{3, 5}, 0, 3},
      {"form longer than data", 2, 1, 0, {}, 3, 3},
      {"form cycles completed", 5, 1, 0, {}, 2, 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(pdf_);
    TZPGXDEF job = Job(NumberedData(c.dataPages));
    job.Copies = c.copies;
    job.Collate = c.collate;
    if (c.formPages > 0) {
      std::vector<std::vector<std::string>> form;
      for (int i = 1; i <= c.formPages; ++i) form.push_back({"BOX;100;100;2000;2800;1;0;黒;白;1;", "TEXT;150;150;様式" + std::to_string(i)});
      job.FormFile = WriteRecords("form.frm", printtest::JoinPages(form));
    }
    if (c.range) {
      job.PrnDlg = true;
      uis::PrintRangeRequest r;
      r.pageRange = true;
      r.fromPage = c.range->first;
      r.toPage = c.range->second;
      printUi_.rangeAnswers.push_back(r);
    }
    EXPECT_EQ(StartPrint(job), -1);
    EXPECT_EQ(PdfPages(pdf_), c.sheets);
    if (c.range) {
      const std::string text = Shell("pdftotext '" + pdf_ + "' -");
      EXPECT_NE(text.find("第3頁"), std::string::npos);
      EXPECT_EQ(text.find("第2頁"), std::string::npos);
      EXPECT_EQ(text.find("第6頁"), std::string::npos);
    }
    if (c.formPages == 3) {
      EXPECT_NE(Shell("pdftotext '" + pdf_ + "' -").find("様式3"), std::string::npos);
    }
  }
}

TEST_F(PrintLoop, BadInputIsReportedAndLeavesNoOutput) {
  const std::string foreign = WriteRecords("foreign.txt", {"これは印刷データではない", "TEXT;1;1;x"});
  const std::string good = NumberedData(2);
  struct Case {
    const char* name;
    std::string data;
    std::string form;
    std::string message;
  };
  const Case cases[] = {
      {"missing data file", dir_.Str() + "/none.zpx", "", "<" + dir_.Str() + "/none.zpx> が見つかりません。"},
      {"foreign data file", foreign, "", "<ZENPAGEX>印刷データではありません。"},
      {"missing form file", good, dir_.Str() + "/none.frm", "<" + dir_.Str() + "/none.frm> が見つかりません。"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    printUi_.messages.clear();
    TZPGXDEF job = Job(c.data);
    job.FormFile = c.form;
    EXPECT_EQ(StartPrint(job), 0);
    ASSERT_EQ(printUi_.messages.size(), 1u);
    EXPECT_EQ(printUi_.MessageText(0), c.message);
    EXPECT_FALSE(std::filesystem::exists(pdf_));
  }
  // Printing not permitted: the job goes to the preview instead.
  int previews = 0;
  SetPreviewEntry([&](TZPGXDEF&) { ++previews; });
  TZPGXDEF shown = Job(good);
  shown.Permit = false;
  EXPECT_EQ(StartPrint(shown), 0);
  SetPreviewEntry(nullptr);
  EXPECT_EQ(previews, 1);
  EXPECT_FALSE(std::filesystem::exists(pdf_));

  // The dialog cancelled: nothing printed, nothing said.
  printUi_.messages.clear();
  TZPGXDEF job = Job(good);
  job.PrnDlg = true;
  printUi_.rangeAnswers.push_back(std::nullopt);
  EXPECT_EQ(StartPrint(job), 0);
  EXPECT_TRUE(printUi_.messages.empty());
  EXPECT_FALSE(std::filesystem::exists(pdf_));
}

TEST_F(PrintLoop, EmptyFormAndUnreadablePictureStillPrintButFailureIsReported) {
  // A form without pages prints the data alone.
  TZPGXDEF job = Job(NumberedData(2));
  job.FormFile = WriteRecords("empty.frm", {});
  EXPECT_EQ(StartPrint(job), -1);
  EXPECT_EQ(PdfPages(pdf_), 2);

  // A picture that cannot be read: logged once, the rest printed, the print reported failed.
  std::filesystem::remove(pdf_);
  const std::string broken = dir_.Write("broken.jpg", "no jpeg");
  job = Job(DataFile({{"IMAGE;100;100;500;500;" + broken + ";0;", "TEXT;200;800;画像の後;;12;"}, {"TEXT;1;1;次"}}));
  printUi_.messages.clear();
  EXPECT_EQ(StartPrint(job), 0);
  ASSERT_EQ(printUi_.messages.size(), 1u);
  EXPECT_EQ(PdfPages(pdf_), 2);
  EXPECT_NE(Shell("pdftotext '" + pdf_ + "' -").find("画像の後"), std::string::npos);
  const std::string log = ErrorLog();
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
}

TEST_F(PrintLoop, CurrentPagePrintsOneSheetInTheGivenOrientation) {
  TZPGXDEF job = Job(NumberedData(8));
  PrintCurrentPage(job, 7, 1);
  EXPECT_EQ(PdfPages(pdf_), 1);
  const auto [w, h] = PdfPageSize(pdf_, 1);
  EXPECT_GT(w, h);
  EXPECT_NE(Shell("pdftotext '" + pdf_ + "' -").find("第7頁"), std::string::npos);
}

TEST_F(PrinterSettings, PaperNumberByNameElseBySizeElseDefault) {
  TVDBPrint* vdb = Vdb();
  ASSERT_NE(vdb, nullptr);
  struct Case {
    std::string name;
    int length, def, width, expected;
  };
  const Case cases[] = {
      {"A4", 0, 9, 0, 9},        {"B4", 0, 9, 0, 12},        {"a4", 0, 7, 0, 7},  // names match exactly
      {"Letter", 0, 9, 0, 9},    {"", 2970, 0, 2100, 9},     {"", 2979, 0, 2109, 9},
      {"", 2980, 5, 2100, 5},    {"", 2970, 5, 2110, 5},     {"", 3540, 0, 2500, 12},
      {"Letter", 2570, 0, 1820, 13},  // no such name: by size
  };
  for (const auto& c : cases) {
    EXPECT_EQ(vdb->GetPaperNumber(c.name, c.length, c.def, c.width), c.expected) << c.name << " " << c.length;
  }
}

TEST_F(PrinterSettings, DeviceSettingsRoundTripByTheirRules) {
  TVDBPrint* vdb = Vdb();
  ASSERT_NE(vdb, nullptr);
  TZPGXDEF job;
  job.Duplex = 2;
  job.Collate = 1;
  job.Copies = 4;
  vdb->SetDevMode(job);
  job.Duplex = 0;  // leaves the printer's duplex
  job.Collate = 0;  // written, and marked valid
  vdb->SetDevMode(job);
  vdb->SetOrientation(1);
  vdb->SetUserPaperSize(1000, 800);
  TZPGXDEF read;
  read.ColorMode = 2;
  vdb->GetDevMode(read);
  EXPECT_EQ(read.Duplex, 2);
  EXPECT_EQ(read.Collate, 0);
  EXPECT_TRUE(read.DevFields & DM_COLLATE);
  EXPECT_EQ(read.Copies, 4);
  EXPECT_EQ(read.Orientation, 1);
  EXPECT_EQ(read.ColorMode, 2);  // not read from the printer
  EXPECT_EQ(read.PaperLength, 1000);
  vdb->ResetUserPaperSize();
  vdb->GetDevMode(read);
  EXPECT_EQ(read.PaperLength, 0);
  EXPECT_FALSE(read.DevFields & DM_PAPERLENGTH);
}

TEST_F(PrinterSettings, PaperTwelvePrintsAt250By354) {
  TZPGXDEF job = Job(NumberedData(1));
  job.PaperSize = 12;
  EXPECT_EQ(StartPrint(job), -1);
  const auto [w, h] = PdfPageSize(pdf_, 1);
  EXPECT_NEAR(w / kPointsPerMM, 250, 0.5);
  EXPECT_NEAR(h / kPointsPerMM, 354, 0.5);
}

}  // namespace
