// Page bookkeeping over record files (numbering, totals with a form, skipping with wrap,
// orientations), the engine's error log, and its start-up.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "PrintTestSupport.h"
#include "platform/Encoding.h"
#include "print/Zenpagex_Colors.h"
#include "print/Zenpagex_Pages.h"

using printtest::DataHeader;
using printtest::JoinPages;

namespace {

std::vector<std::string> WithHeader(std::vector<std::string> lines) {
  std::vector<std::string> all = DataHeader();
  all.insert(all.end(), lines.begin(), lines.end());
  return all;
}

// A record file of `pages` pages, each page one TEXT record naming the page.
std::vector<std::string> PagesOf(int pages) {
  std::vector<std::vector<std::string>> p;
  for (int i = 1; i <= pages; ++i) p.push_back({"TEXT;100;100;P" + std::to_string(i) + ";"});
  return JoinPages(p);
}

}  // namespace

TEST_F(PrintPages, FirstAndNextFieldShareOneCursor) {
  const std::string line = "text;10;";
  EXPECT_EQ(FirstField(line, ';'), "TEXT");
  EXPECT_EQ(NextField(line, ';'), "10");
  EXPECT_EQ(NextField(line, ';'), "");
  EXPECT_EQ(NextField(line, ';'), "");
  EXPECT_EQ(Zpx().FieldPos, 9);
  EXPECT_EQ(FirstField("E", ';'), "E");
}

TEST_F(PrintPages, DataPagesAreNumberedUnlessEmptyOrOnlyARule) {
  Zpx().CurrentJob.PageBango.Switch = true;
  const struct {
    std::vector<std::vector<std::string>> pages;
    std::vector<std::string> numbers;
    int numbered;
  } cases[] = {
      {{WithHeader({"TEXT;100;100;A;"}), {"LINE;100;100;200;100;"}}, {"1", "0"}, 1},
      {{WithHeader({}), {"ORIENTATION;1;"}, {"TEXT;1;1;B;"}}, {"1", "0", "2"}, 2},
      {{WithHeader({}), {"ORIENTATION;1;", "TEXT;1;1;B;"}}, {"1", "2"}, 2},
      {{WithHeader({}), {}, {"TEXT;1;1;C;"}}, {"1", "0", "2"}, 2},
      // A text that happens to hold "LINE" counts as a rule.
      {{WithHeader({}), {"TEXT;1;1;NEW LINE;"}, {"BOX;1;1;2;2;"}}, {"1", "0", "2"}, 2},
      // The page after a final page end is empty.
      {{WithHeader({}), {"TEXT;1;1;B;"}, {}}, {"1", "2", "0"}, 2},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string file = WriteRecords("data" + std::to_string(n++) + ".txt", JoinPages(c.pages));
    EXPECT_EQ(CountPages(file, true), static_cast<int>(c.pages.size())) << file;
    EXPECT_EQ(Zpx().PageNumberList, c.numbers) << file;
    EXPECT_EQ(Zpx().NumberedPages, c.numbered) << file;
  }
}

TEST_F(PrintPages, CountingTheFormKeepsTheDataPageNumbers) {
  Zpx().CurrentJob.PageBango.Switch = true;
  const std::string data = WriteRecords("data.txt", JoinPages({WithHeader({}), {"TEXT;1;1;B;"}}));
  const std::string form = WriteRecords("form.zpf", PagesOf(3));
  ASSERT_EQ(CountPages(data, true), 2);
  EXPECT_EQ(CountPages(form, false), 3);
  EXPECT_EQ(Zpx().PageNumberList, (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(Zpx().NumberedPages, 2);
}

TEST_F(PrintPages, TotalPagesCycleTheFormOverTheData) {
  const struct {
    int formPages, dataPages, total;
  } cases[] = {{2, 5, 6}, {3, 2, 3}, {2, 4, 4}, {0, 5, 5}, {3, 7, 9}, {1, 1, 1}};
  for (const auto& c : cases) {
    TZenpagexState& s = Zpx();
    s.FormFileName = c.formPages > 0 ? WriteRecords("form.zpf", PagesOf(c.formPages)) : "";
    s.DataFileName = WriteRecords("data.txt", WithHeader(PagesOf(c.dataPages)));
    s.ShownPage = 3;
    SetPageTotals();
    EXPECT_EQ(s.TotalPages, c.total) << "form " << c.formPages << ", data " << c.dataPages;
    EXPECT_EQ(s.ShownPage, 1);
  }
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(PrintPages, MissingDataFileIsReportedOnce) {
  TZenpagexState& s = Zpx();
  s.FormFileName = " ";
  s.DataFileName = dir_.Str() + "/gone.txt";
  SetPageTotals();
  EXPECT_EQ(s.TotalPages, 1);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.MessageText(0), "<" + s.DataFileName + "> が見つかりません。");
}

TEST_F(PrintPages, SkipToPageStandsAtThePageAndWrapsForForms) {
  const std::string form = WriteRecords("form.zpf", PagesOf(2));
  const struct {
    int page;
    bool wrap, found;
    const char* firstLine;  // the line read next
  } cases[] = {
      {1, true, true, "TEXT;100;100;P1;"},
      {2, true, true, "TEXT;100;100;P2;"},
      {3, true, true, "TEXT;100;100;P1;"},  // form pages repeat over the data pages
      {4, true, true, "TEXT;100;100;P2;"},
      {5, true, true, "TEXT;100;100;P1;"},
      {2, false, true, "TEXT;100;100;P2;"},
      {3, false, false, ""},
  };
  for (const auto& c : cases) {
    TTextFile f;
    f.Assign(form);
    f.Reset();
    EXPECT_EQ(SkipToPage(f, c.page, c.wrap), c.found) << c.page << " wrap " << c.wrap;
    EXPECT_EQ(f.ReadLn(), c.firstLine) << c.page << " wrap " << c.wrap;
  }

  // An empty form never loops.
  TTextFile empty;
  empty.Assign(WriteRecords("empty.zpf", {}));
  empty.Reset();
  EXPECT_FALSE(SkipToPage(empty, 3, true));
}

TEST_F(PrintPages, OrientationsOnePerPage) {
  const std::string data = WriteRecords(
      "data.txt", WithHeader(JoinPages({{"TEXT;1;1;A;"}, {"orientation;1", "TEXT;1;1;B;"}, {"TEXT;1;1;C;"}})));
  EXPECT_EQ(ReadOrientations(data, 0), (std::vector<int>{0, 1, 0}));
  EXPECT_EQ(ReadOrientations(data, 1), (std::vector<int>{1, 1, 1}));

  const std::string odd =
      WriteRecords("odd.txt", {"ORIENTATION;x;", "*ORIENTATION;0;", "E", "ORIENTATION;;", "E;"});
  EXPECT_EQ(ReadOrientations(odd, 1), (std::vector<int>{1, 1, 1}));
  EXPECT_TRUE(ui_.messages.empty());

  EXPECT_TRUE(ReadOrientations(dir_.Str() + "/gone.txt", 0).empty());
  EXPECT_EQ(ui_.messages.size(), 1u);
}

TEST_F(PrintPages, OpenTextFileNamesTheFullPath) {
  const std::string file = WriteRecords("form.zpf", PagesOf(1));
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir_.Path());
  TTextFile f;
  const bool opened = OpenTextFile(f, "form.zpf");
  std::filesystem::current_path(cwd);
  EXPECT_TRUE(opened);
  EXPECT_EQ(std::filesystem::path(f.Name()), std::filesystem::path(file));
  EXPECT_FALSE(f.IsOpen());  // assigned, not read

  EXPECT_FALSE(OpenTextFile(f, dir_.Str()));  // a folder is no record file
  EXPECT_EQ(ui_.messages.size(), 1u);
}

TEST_F(PrintPages, ErrorLogLines) {
  WriteErrorLog("ImageOut.(IMAGE):画像が読めません");
  WriteErrorLog("PREVIEW.FormResize:two\r\nlines");
  const std::string log = ErrorLog();
  const std::regex shape(
      R"(\d\d/\d\d/\d\d \d\d:\d\d:\d\d  ImageOut\.\(IMAGE\):画像が読めません\r\n)"
      R"(\d\d/\d\d/\d\d \d\d:\d\d:\d\d  PREVIEW\.FormResize:two  lines\r\n)");
  EXPECT_TRUE(std::regex_match(log, shape)) << log;
  // CP932 on disk.
  const std::string bytes = TempDir::Read(DocumentsDir() + "/Zenpagex_Error.log");
  EXPECT_NE(bytes.find(sjis::FromUtf8("画像が読めません")), std::string::npos);
}

TEST_F(PrintPages, ErrorLogThatCannotBeWrittenIsGivenUp) {
  // The documents folder is taken by a file.
  const std::string blocker = dir_.Write("blocked", "x");
  ScopedEnv documents("RENDO_DOCUMENTS", blocker);
  EXPECT_NO_THROW(WriteErrorLog("PRINT.メイン:disk full"));
  EXPECT_EQ(TempDir::Read(blocker), "x");
}

TEST_F(PrintPages, TextHelpers) {
  EXPECT_EQ(RemoveChar("\"A\"B\"", "\""), "AB");
  EXPECT_EQ(RemoveChar("データーー", "ー"), "デタ");
  EXPECT_EQ(RemoveChar("abc", ""), "abc");

  std::vector<std::string> faces;
  for (const char* face : {"Arial", "ARIAL", "Courier", "Arial", "arial"}) AddFontName(face, faces);
  EXPECT_EQ(faces, (std::vector<std::string>{"Arial", "Courier", "Arial"}));
}

TEST_F(PrintPages, StartupBuildsFontListsAndTakesThePrinter) {
  TZenpagexState& s = Zpx();
  s.TotalPages = 7;
  s.ShownPage = 3;
  s.PaperMode = 2;
  printtest::FixedPrinter* printer = nullptr;
  EngineStartup([&] {
    auto p = std::make_unique<printtest::FixedPrinter>(9, 200, 287);
    printer = p.get();
    return p;
  });
  ASSERT_TRUE(s.EngineReady);
  EXPECT_EQ(s.Printer.get(), printer);
  EXPECT_EQ(printer->ttOption, 2);
  EXPECT_EQ(s.TotalPages, 1);
  EXPECT_EQ(s.ShownPage, 1);
  EXPECT_EQ(s.PaperMode, 0);
  EXPECT_EQ(s.NumberedPages, 1);

  // The MS faces count as installed Japanese faces through their IPA stand-ins.
  for (const char* face : {"ＭＳ 明朝", "ＭＳ ゴシック", "ＭＳ Ｐ明朝", "ＭＳ Ｐゴシック", "IPAMincho"}) {
    EXPECT_EQ(CharsetOfFont(face), 128) << face;
  }
  const auto& all = s.FontsDefault;
  EXPECT_NE(std::find(all.begin(), all.end(), "ＭＳ ゴシック"), all.end());
  EXPECT_TRUE(s.FontsOem.empty());

  EngineShutdown();
  EXPECT_FALSE(s.EngineReady);
  EXPECT_EQ(s.Printer, nullptr);
  EXPECT_TRUE(s.FontsShiftJis.empty());
}

TEST_F(PrintPages, StartupWithoutPrinterLeavesTheEngineOff) {
  EngineStartup([]() -> std::unique_ptr<TEnginePrinter> {
    throw std::runtime_error("プリンタがありません");
  });
  EXPECT_FALSE(Zpx().EngineReady);
  EXPECT_NE(ErrorLog().find("Zenpagex.Startup:プリンタがありません"), std::string::npos);

  EngineStartup(nullptr);
  EXPECT_FALSE(Zpx().EngineReady);
}
