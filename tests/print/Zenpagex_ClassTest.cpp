// The writer component: the records it writes, byte for byte in CP932, its header, the rules
// of its setters, its temporary files, and a report written and printed through it.
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <functional>

#include "PrintTestSupport.h"
#include "platform/Encoding.h"
#include "print/Zenpagex_Class.h"
#include "print/Zenpagex_Pages.h"
#include "print/Zenpagex_Vdb.h"

namespace {

// The lines of a written file, still CP932, without their CR LF.
std::vector<std::string> FileLines(const std::string& path) {
  const std::string bytes = TempDir::Read(std::filesystem::u8path(path));
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t at; (at = bytes.find("\r\n", start)) != std::string::npos; start = at + 2) {
    lines.push_back(bytes.substr(start, at - start));
  }
  EXPECT_EQ(start, bytes.size()) << "every line ends with CR LF";
  return lines;
}

class PrintWriter : public PrintTest {
 protected:
  // The record lines (after the header) that `write` produces on a fresh file.
  std::vector<std::string> Records(const std::function<void(TZenpagex&)>& write) {
    TZenpagex zp;
    zp.DataFile = dir_.Str() + "/records.zpx";
    zp.OpenDataFile(false);
    write(zp);
    zp.CloseDataFile();
    auto lines = FileLines(zp.DataFile);
    lines.erase(lines.begin(), lines.begin() + std::min<std::size_t>(lines.size(), kHeaderLineCount));
    return lines;
  }
};

TEST_F(PrintWriter, RecordsAreWrittenByteExactInCp932) {
  struct Case {
    const char* name;
    std::function<void(TZenpagex&)> write;
    std::vector<std::string> lines;  // UTF-8 here, compared as CP932 bytes
  };
  const Case cases[] = {
      {"semicolon, background OFF, alignment upper-cased",
       [](TZenpagex& z) { z.WriteText(100, 200, "A;B", "ＭＳ 明朝", 10, "", "黒", "OFF", "left", 0); },
       {"TEXT;100;200;A:B;ＭＳ 明朝;10;;黒;1;LEFT;0;0;"}},
      {"LEFT width 5 does not split う",
       [](TZenpagex& z) { z.WriteText(0, 0, "あいう", "", 10, "", "黒", "白", "LEFT", 5); },
       {"TEXT;0;0;あい;;10;;黒;白;LEFT;0;0;"}},
      {"RIGHT width 5 pads in front",
       [](TZenpagex& z) { z.WriteText(0, 0, "abc", "", 10, "B", "赤", "ON", "right", 5); },
       {"TEXT;0;0;  abc;;10;B;赤;1;RIGHT;0;0;"}},
      {"RIGHT cut keeps the end without half a character",
       [](TZenpagex& z) { z.WriteText(0, 0, "aあい", "", 10, "", "黒", "1", "RIGHT", 3); },
       {"TEXT;0;0;い;;10;;黒;1;RIGHT;0;0;"}},
      {"LEFT short text padded behind",
       [](TZenpagex& z) { z.WriteText(0, 0, "ab", "", 10, "", "黒", "1", "LEFT", 4); },
       {"TEXT;0;0;ab  ;;10;;黒;1;LEFT;0;0;"}},
      {"width 200 leaves the text unpadded",
       [](TZenpagex& z) { z.WriteText(0, 0, "abc", "", 10, "", "黒", "1", "LEFT", 200); },
       {"TEXT;0;0;abc;;10;;黒;1;LEFT;0;0;"}},
      {"CENTER is never fitted",
       [](TZenpagex& z) { z.WriteText(0, 0, "abcdef", "", 10, "", "黒", "1", "center", 3); },
       {"TEXT;0;0;abcdef;;10;;黒;1;CENTER;0;0;"}},
      {"WriteTextEx fits by the alignment as passed and writes the anchor",
       [](TZenpagex& z) { z.WriteTextEx(5, 6, "abc", "", 9, "", "黒", "1", "right", 1, 5); },
       {"TEXT;5;6;abc  ;;9;;黒;1;RIGHT;0;1;"}},
      {"a text with CR LF stays one record",
       [](TZenpagex& z) { z.WriteText(0, 0, std::string_view("一行目\r\nE;\0x", 15), "", 10, "", "黒", "1", "LEFT", 0); },
       {"TEXT;0;0;一行目  E: x;;10;;黒;1;LEFT;0;0;"}},
      {"lines and boxes",
       [](TZenpagex& z) {
         z.WriteLine(1, 2, 3, 4, 5, 1, "青", false);
         z.WriteLine(1, 2, 3, 4, 50, 0, "黒", true);
         z.WriteBox(10, 20, 30, 40, 2, 0, "黒", "薄網掛", 0);
       },
       {"LINE;1;2;3;4;5;1;青;", "ELINE;1;2;3;4;50;0;黒;", "BOX;10;20;30;40;2;0;黒;薄網掛;0;"}},
      {"NewPage", [](TZenpagex& z) { z.NewPage(); }, {"E;"}},
      {"NewPage with BlankPage",
       [](TZenpagex& z) {
         z.BlankPage = 1;
         z.NewPage();
       },
       {"BOX;100;100;101;101;0;0;黒;白;1;", "E;"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> expected;
    for (const auto& l : c.lines) expected.push_back(sjis::FromUtf8(l));
    EXPECT_EQ(Records(c.write), expected) << c.name;
  }
}

TEST_F(PrintWriter, HeaderOncePerFile) {
  TZenpagex zp;
  zp.DataFile = dir_.Str() + "/header.zpx";
  zp.Title = "データリスト";
  zp.NetColor2 = static_cast<std::int32_t>(0xFF00000F);
  zp.SetCopie(3);
  zp.SetPageBangoFormat("%d頁");
  zp.OpenDataFile(false);
  zp.WriteHeader();  // nothing the second time
  zp.WriteText(1, 1, "本文", "", 10, "", "黒", "1", "LEFT", 0);
  zp.CloseDataFile();
  const auto lines = FileLines(zp.DataFile);
  ASSERT_EQ(lines.size(), kHeaderLineCount + 1u);
  EXPECT_EQ(lines[0], HeaderFirstLine());
  EXPECT_EQ(lines[2], "*PATH=" + dir_.Str());
  EXPECT_EQ(lines[5], sjis::FromUtf8("*TITLE=データリスト"));
  EXPECT_EQ(lines[14], "*NETC1=$C0C0C0");
  EXPECT_EQ(lines[15], "*NETC2=$FF00000F");
  EXPECT_EQ(lines[19], "*COPIES=3");
  EXPECT_EQ(lines[24], sjis::FromUtf8("*PAGENOFORMAT=%d頁"));
  EXPECT_EQ(lines[25], HeaderLastLine());

  // The next file of the same component gets a header of its own.
  zp.DataFile = dir_.Str() + "/second.zpx";
  zp.OpenDataFile(false);
  zp.CloseDataFile();
  EXPECT_EQ(FileLines(zp.DataFile).size(), static_cast<std::size_t>(kHeaderLineCount));
}

TEST_F(PrintWriter, SettersKeepTheirRanges) {
  struct Case {
    const char* name;
    std::function<void(TZenpagex&)> set;
    std::function<int(const TZenpagex&)> get;
    int expected;
  };
  const Case cases[] = {
      {"Copie 0", [](TZenpagex& z) { z.SetCopie(0); }, [](const TZenpagex& z) { return z.Copie(); }, 1},
      {"Copie 100", [](TZenpagex& z) { z.SetCopie(100); }, [](const TZenpagex& z) { return z.Copie(); }, 1},
      {"Copie 99", [](TZenpagex& z) { z.SetCopie(99); }, [](const TZenpagex& z) { return z.Copie(); }, 99},
      {"VRATIO 20", [](TZenpagex& z) { z.SetVRATIO(20); }, [](const TZenpagex& z) { return z.VRATIO(); }, 1020},
      {"VRATIO 900", [](TZenpagex& z) { z.SetVRATIO(900); }, [](const TZenpagex& z) { return z.VRATIO(); }, 1000},
      {"VRATIO 990", [](TZenpagex& z) { z.SetVRATIO(990); }, [](const TZenpagex& z) { return z.VRATIO(); }, 990},
      {"HRATIO -50", [](TZenpagex& z) { z.SetHRATIO(-50); }, [](const TZenpagex& z) { return z.HRATIO(); }, 950},
      {"Zoom 21", [](TZenpagex& z) { z.SetZoom(21); }, [](const TZenpagex& z) { return z.Zoom(); }, 10},
      {"Zoom 5", [](TZenpagex& z) { z.SetZoom(5); }, [](const TZenpagex& z) { return z.Zoom(); }, 5},
      {"Scale 49", [](TZenpagex& z) { z.SetScale(49); }, [](const TZenpagex& z) { return z.Scale(); }, 100},
      {"PrintQuality -2", [](TZenpagex& z) { z.SetPrintQuality(-2); }, [](const TZenpagex& z) { return z.PrintQuality(); }, -2},
      {"PrintQuality 300", [](TZenpagex& z) { z.SetPrintQuality(300); }, [](const TZenpagex& z) { return z.PrintQuality(); }, 0},
      {"ColorMode 3", [](TZenpagex& z) { z.SetColorMode(3); }, [](const TZenpagex& z) { return z.ColorMode(); }, 0},
      {"Duplex 4", [](TZenpagex& z) { z.SetDuplex(4); }, [](const TZenpagex& z) { return z.Duplex(); }, 0},
      {"Collate 2", [](TZenpagex& z) { z.SetCollate(2); }, [](const TZenpagex& z) { return z.Collate(); }, 0},
      {"alignment 3", [](TZenpagex& z) { z.SetPageBangoAlignment(3); }, [](const TZenpagex& z) { return z.PageBangoAlignment(); }, 2},
  };
  for (const auto& c : cases) {
    TZenpagex zp;
    c.set(zp);
    EXPECT_EQ(c.get(zp), c.expected) << c.name;
  }
}

TEST_F(PrintWriter, PageNumberFormatIsTriedWithOurOwnFormatter) {
  struct Case {
    const char* format;
    int count;          // 0: refused
  };
  const Case cases[] = {
      {"(%d/%d)", 2}, {"%d頁", 1}, {"Page %D of %d", 2}, {"%d%%", 1}, {"%5d/%-3d", 0},
      {"%d %s", 0},   {"頁", 0},   {"%d/%d/%d", 0},      {"%d %n", 0}, {"%d%", 0},
  };
  for (const auto& c : cases) {
    TZenpagex zp;
    zp.SetPageBangoFormat("%d頁");  // something else first, so a revert shows
    zp.PageBango = true;
    zp.SetPageBangoFormat(c.format);
    if (c.count != 0) {
      EXPECT_EQ(zp.PageBangoFormat(), c.format);
      EXPECT_EQ(zp.PlaceholderCount(), c.count) << c.format;
      EXPECT_TRUE(zp.PageBango) << c.format;
    } else {
      EXPECT_EQ(zp.PageBangoFormat(), "(%d/%d)") << c.format;
      EXPECT_EQ(zp.PlaceholderCount(), 2) << c.format;
      EXPECT_FALSE(zp.PageBango) << c.format;
    }
  }
  EXPECT_EQ(TZenpagex::TryFormat("(%d/%d)", {3, 7}), "(3/7)");
  EXPECT_EQ(TZenpagex::TryFormat("%03d|%.3d|%-3d|%x", {5, 5, 6, 255}), "  5|005|6  |FF");
}

TEST_F(PrintWriter, TemporaryNamesAreUniqueAndAFailedWriteLeavesNoFile) {
  const std::string a = TZenpagex::MakeTempFileName(dir_.Str());
  const std::string b = TZenpagex::MakeTempFileName(dir_.Str());
  EXPECT_NE(a, b);
  EXPECT_TRUE(std::filesystem::exists(a));
  EXPECT_EQ(std::filesystem::path(a).filename().string()[0], '~');
  EXPECT_THROW(TZenpagex::MakeTempFileName(dir_.Str() + "/missing"), std::ios_base::failure);

  // A disk that fills up while the report is written: the temporary file goes away.
  const std::filesystem::path folder = dir_.Str() + "/full";
  std::filesystem::create_directory(folder);
  TZenpagex zp;
  zp.DataFile = (folder / "list.zpx").string();
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  bool failed = false;
  try {
    zp.OpenDataFile(true);
    for (int i = 0; i < 2000; ++i) zp.WriteText(100, 100 + i, "明細行", "", 10, "", "黒", "1", "LEFT", 0);
    zp.CloseDataFile();
  } catch (const std::ios_base::failure&) {
    failed = true;
  }
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);
  EXPECT_TRUE(failed);
  EXPECT_TRUE(std::filesystem::is_empty(folder));
}

class PrintWriterPdf : public PrintWriter {
 protected:
  void SetUp() override {
    PrintWriter::SetUp();
    pdf_ = dir_.Str() + "/out.pdf";
    const std::string pdf = pdf_;
    EngineStartup([pdf] { return std::make_unique<TVDBPrint>(pdf); });
    ASSERT_TRUE(Zpx().EngineReady);
  }
  std::string pdf_;
};

TEST_F(PrintWriterPdf, AReportWrittenAndPrinted) {
  TZenpagex zp;
  zp.DataFile = dir_.Str() + "/list.zpx";
  zp.Title = "データリスト";
  zp.PrnDlg = false;
  zp.PageBango = true;
  zp.PageBangoLeft = 1800;
  zp.PageBangoTop = 2800;
  zp.OpenDataFile(true);
  for (int page = 1; page <= 3; ++page) {
    if (page > 1) zp.NewPage();
    zp.WriteText(200, 200, "第" + std::to_string(page) + "頁の明細", "ＭＳ 明朝", 12, "", "黒", "OFF", "LEFT", 0);
  }
  zp.CloseDataFile();
  const std::string written = zp.DataFile;
  EXPECT_NE(written, dir_.Str() + "/list.zpx");
  // A picture the client keeps beside its data is not the engine's to delete.
  const std::string chart = dir_.Write("CHART.WMF", "client's picture");

  EXPECT_TRUE(zp.Print());
  EXPECT_EQ(zp.PreviewCloseNum(), 1);
  EXPECT_EQ(printtest::PdfPages(pdf_), 3);
  const std::string text = printtest::Shell("pdftotext '" + pdf_ + "' -");
  for (const char* t : {"第1頁の明細", "第3頁の明細", "(1/3)", "(3/3)"}) EXPECT_NE(text.find(t), std::string::npos) << t;
  EXPECT_FALSE(std::filesystem::exists(written));
  EXPECT_TRUE(std::filesystem::exists(chart));
  EXPECT_FALSE(zp.PageBango);
  EXPECT_EQ(zp.PageNo, 3);
  EXPECT_EQ(ErrorLog(), "");
}

}  // namespace
