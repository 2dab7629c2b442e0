// The printed data list: the print data file against the expected records, the pages and
// texts of the printed PDF in portrait and landscape, members of combined data, a write that
// fails, and the orientation the print dialog keeps per operator. Picture:
// selection_datasentakuprint.png.
#include <QImage>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <regex>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "data/uAccRecordHooks.h"
#include "platform/Encoding.h"
#include "print/Zenpagex_Class.h"
#include "print/Zenpagex_Pages.h"
#include "print/Zenpagex_State.h"
#include "print/Zenpagex_Vdb.h"
#include "selection/DataListTestBase.h"
#include "selection/DbUpdateCheck.h"
#include "selection/z5ComDataSentaku.h"
#include "selection/z5DataSentaku.h"
#include "selection/z5DataSentakuPrintDlg.h"
#include "selection/z5Kidou.h"
#include "support/TempDir.h"
#include "ui/PerfectGrid.h"
#include "ui/UiTestSupport.h"

using namespace forms;

namespace {

std::string Shell(const std::string& command) {
  std::string out;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    ::pclose(p);
  }
  return out;
}

std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The CP932 lines of a print data file; the lines that name today or the folder masked.
std::vector<std::string> MaskedLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t end = bytes.find("\r\n", pos);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(pos, end - pos);
    if (line.rfind("*DATE=", 0) == 0) line = "*DATE=<today>";
    if (line.rfind("*PATH=", 0) == 0) line = "*PATH=<folder>";
    lines.push_back(line);
    pos = end + 2;
  }
  return lines;
}

class DataListPrint : public DataListTestBase {
 protected:
  void SetUp() override {
    DataListTestBase::SetUp();
    Zpx().Reset();
    SystemDef.WorkDir = (work_.Path() / "work").string();
    std::filesystem::create_directories(SystemDef.WorkDir);
    SystemDef.AppDataDir = "/srv/Zivo/Data";
    pdf_ = (work_.Path() / "list.pdf").string();
    const std::string pdf = pdf_;
    EngineStartup([pdf] { return std::make_unique<TVDBPrint>(pdf); });
    ASSERT_TRUE(Zpx().EngineReady);
  }
  void TearDown() override {
    Zpx().Reset();
    DataListTestBase::TearDown();
  }

  // `count` data sets in display order; every tenth an empty area, the folders under the data
  // root stored in another case.
  static void Fill(TPrDataList& pr, int count) {
    for (int i = 1; i <= count; ++i) {
      TDataSentakuRec r;
      r.REC = i;
      r.DATACODE = "C" + std::to_string(1000 + i);
      if (i % 10 != 0) {
        r.ENTTEXT = "会社" + std::to_string(i);
        r.NENDO = i % 7;  // 0 prints no year and no period
        r.KikanText = "2024/04/01～2025/03/31";
      }
      r.DispName = r.ENTTEXT.empty() ? "" : "データ" + std::to_string(i);
      r.PASNAME = "/SRV/zivo/data/Data" + std::to_string(i);
      pr.Rows.push_back(r);
      pr.DispRows.push_back(i - 1);
    }
  }
  std::string PdfText(int page) const {
    return Shell("pdftotext -layout -f " + std::to_string(page) + " -l " + std::to_string(page) + " '" + pdf_ + "' -");
  }
  std::string PdfInfo() const { return Shell("pdfinfo '" + pdf_ + "' 2>/dev/null"); }

  TempDir work_;
  std::string pdf_;
};

TEST_F(DataListPrint, TheDataFileHoldsTheExpectedRecords) {
  // Black and white: the shadings print as their greys.
  SystemDef.NetColor1 = 0xD7FFD7;
  SystemDef.NetColor2 = 0x8EC7FF;
  TPrDataList pr;
  Fill(pr, 56);
  pr.WriteDataFile();
  const std::string file = pr.Component->DataFile;
  EXPECT_EQ(std::filesystem::path(file).parent_path(), std::filesystem::path(SystemDef.WorkDir));
  EXPECT_EQ(std::filesystem::path(file).filename().string()[0], '~');
  const std::vector<std::string> got = MaskedLines(ReadFile(file));
  const char* source = std::getenv("RENDO_SOURCE_DIR");
  ASSERT_NE(source, nullptr) << "RENDO_SOURCE_DIR names the source folder";
  const std::string golden = std::string(source) + "/tests/selection/golden/datalist_portrait.txt";
  const std::vector<std::string> want = MaskedLines(ReadFile(golden));
  ASSERT_FALSE(want.empty()) << golden;
  EXPECT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < std::min(got.size(), want.size()); ++i)
    EXPECT_EQ(sjis::ToUtf8(got[i]), sjis::ToUtf8(want[i])) << "line " << i + 1;
}

TEST_F(DataListPrint, PrintedOnTwoA4PagesPortraitAndLandscape) {
  struct Case {
    int orientation;
    int rows;
    const char* size;       // pdfinfo's page size
    const char* lastOnOne;  // the last name on page 1
    const char* firstOnTwo;
    bool code;
  } cases[] = {
      {0, 56, "595 x 842 pts (A4)", "データ55", "データ56", false},
      {1, 36, "842 x 595 pts (A4)", "データ35", "データ36", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.orientation);
    TPrDataList pr;
    pr.Orientation = c.orientation;
    Fill(pr, c.rows);
    EXPECT_TRUE(pr.Execute(true));
    const std::string info = PdfInfo();
    EXPECT_TRUE(std::regex_search(info, std::regex(R"(Pages:\s+2\n)"))) << info;
    EXPECT_NE(info.find(c.size), std::string::npos) << info;
    const std::string one = PdfText(1), two = PdfText(2);
    EXPECT_NE(one.find("データリスト"), std::string::npos);
    // The page number is "PAGE %4d" in the data file; the PDF's text keeps the gap, not its
    // width in blanks.
    EXPECT_TRUE(std::regex_search(one, std::regex("PAGE +1\n"))) << one;
    EXPECT_NE(one.find(c.lastOnOne), std::string::npos);
    EXPECT_EQ(one.find(c.firstOnTwo), std::string::npos);
    EXPECT_TRUE(std::regex_search(two, std::regex("PAGE +2\n"))) << two;
    EXPECT_NE(two.find(c.firstOnTwo), std::string::npos) << two;
    EXPECT_EQ(one.find("コード") != std::string::npos, c.code);
    EXPECT_EQ(one.find("C1001") != std::string::npos, c.code);
    EXPECT_NE(one.find("~/Data1"), std::string::npos) << "the data root as ~, the rest as stored";
    EXPECT_FALSE(std::filesystem::exists(pr.Component->DataFile)) << "the engine removes its data file";
  }
}

TEST_F(DataListPrint, MembersFollowTheirParentWithoutANumber) {
  TPrDataList pr;
  pr.ListKind = 1;  // the shared list numbers its lines itself
  Fill(pr, 2);
  TDataSentakuRec& parent = pr.Rows[1];
  for (int k = 1; k <= 3; ++k) {
    TDataListRec child;
    child.ENTTEXT = "支店" + std::to_string(k);
    child.DispName = "　支店" + std::to_string(k);
    child.NENDO = 3;
    child.KikanText = "2024/04/01～2025/03/31";
    child.PASNAME = "/srv/other/CB_DATA" + std::to_string(k);
    parent.Children.push_back(child);
  }
  parent.ChildCount = 3;
  pr.DispRows = {1, 0};
  pr.WriteDataFile();
  std::vector<std::string> rows;  // the number and name texts, in order
  for (const std::string& line : MaskedLines(ReadFile(pr.Component->DataFile))) {
    const std::string u = sjis::ToUtf8(line);
    if (u.rfind("TEXT;170;", 0) == 0 || u.rfind("TEXT;250;", 0) == 0) {
      std::smatch m;
      ASSERT_TRUE(std::regex_search(u, m, std::regex(R"(^TEXT;(\d+);(\d+);([^;]*);)")));
      rows.push_back(m[1].str() + "," + m[2].str() + "," + m[3].str());
    }
  }
  const std::vector<std::string> want = {
      "250,325,データリスト名",  // the heading row
      "170,405,  1", "250,405,データ2", "170,449,", "250,449,　支店1", "170,493,", "250,493,　支店2",
      "170,537,", "250,537,　支店3", "170,581,  2", "250,581,データ1",
  };
  EXPECT_EQ(rows, want);
  const std::string text = sjis::ToUtf8(ReadFile(pr.Component->DataFile));
  EXPECT_NE(text.find("共有データリスト"), std::string::npos);
  EXPECT_NE(text.find("/srv/other/CB_DATA1"), std::string::npos);
  std::filesystem::remove(pr.Component->DataFile);
}

TEST_F(DataListPrint, AWriteThatFailsLeavesNoFile) {
  TPrDataList pr;
  Fill(pr, 400);
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 8192;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  bool failed = false;
  try {
    pr.Execute(true);
  } catch (const std::exception&) {
    failed = true;
  }
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);
  EXPECT_TRUE(failed);
  EXPECT_TRUE(std::filesystem::is_empty(SystemDef.WorkDir));
  EXPECT_FALSE(std::filesystem::exists(pdf_));
}

TEST_F(DataListPrint, TheOrientationChosenLastIsRestored) {
  const std::string where =
      " FROM STYLECOLOR WHERE OPCODE = " + std::to_string(SystemDef.LogonId) + " AND STYLENAME = '020-DATASENTAKULIST'";
  Sys({"DELETE" + where});
  auto run = [&](const std::function<void(TDataSentakuPrintDlg&)>& step) {
    TDefaultPrintRec rec;
    SetDefaultPrintRec(rec);
    rec.Name = "DataSentakuList";
    auto* dlg = CreateForm<TDataSentakuPrintDlg>(nullptr);
    dlg->Rec = &rec;
    dlg->CaptionText = "データリストの印刷";
    dlg->Message = "データリストを印刷します。";
    dlg->ShowColor = dlg->ShowStartPage = dlg->ShowBothSides = true;  // never shown here
    dlg->ShowPreview = true;
    dlg->Setup(1);
    uitest::ModalScript script({[&](TForm&) { step(*dlg); }});
    dlg->ShowModal();
    EXPECT_FALSE(script.WatchdogFired());
    const int32_t orientation = dlg->Orientation;
    dlg->Free();
    return orientation;
  };
  bool optionsShown = true, copyShown = true;
  EXPECT_EQ(run([&](TDataSentakuPrintDlg& d) {
              optionsShown = d.grpColor->isVisible() || d.txtStartPage->isVisible() || d.chkBoth->isVisible();
              copyShown = d.btnCopy->isVisible();
              EXPECT_TRUE(d.btnYousiTate->Checked());
              uitest::Click(d.btnYousiYoko);
              EXPECT_TRUE(d.grab().toImage().save("selection_datasentakuprint.png"));
              uitest::Click(d.btnPreview);
            }),
            1);
  EXPECT_FALSE(optionsShown);
  EXPECT_FALSE(copyShown);
  EXPECT_EQ(SysScalar("SELECT COUNT(*)" + where), 1);

  bool yoko = false;
  EXPECT_EQ(run([&](TDataSentakuPrintDlg& d) {
              yoko = d.btnYousiYoko->Checked();
              uitest::Click(d.btnYousiTate);
              uitest::Click(d.btnCancel);
            }),
            1)
      << "Cancel keeps what was restored";
  EXPECT_TRUE(yoko);
  EXPECT_EQ(run([&](TDataSentakuPrintDlg& d) {
              uitest::Click(d.btnYousiTate);
              uitest::Click(d.btnOK);
            }),
            0);
  EXPECT_EQ(run([&](TDataSentakuPrintDlg& d) { uitest::Click(d.btnCancel); }), 0);
}

// No data set of this installation needs an upgrade.
class NoUpdate : public IDbUpdateCheck {
 public:
  void PrepareUpdate(int, const std::string&) override {}
  bool UpdatePending() const override { return false; }
};

TEST_F(DataListPrint, F8OfTheDataSelectionPrintsTheListShown) {
  SystemDef.AppDataDir = inst_->AppDataDir().string();
  MenuHook = NullMenuHook;
  DbUpdateCheckFactory = [] { return std::make_unique<NoUpdate>(); };
  RegisterDataSentakuBox();
  std::string caption, message;
  int gridRows = 0;
  uitest::ModalScript script({[&](TForm& f) {
                                gridRows = dynamic_cast<TDataSentakuBox&>(f).PerfectGrid1->Rows();
                                uitest::ModalScript dialog({[&](TForm& d) {
                                  auto& print = dynamic_cast<TDataSentakuPrintDlg&>(d);
                                  caption = print.Caption();
                                  message = print.lblMain->Caption();
                                  uitest::Click(print.btnOK);
                                }});
                                uitest::Key(Qt::Key_F8);
                              },
                              [&](TForm& f) {
                                // Back in the list once the printing window has gone.
                                f.activateWindow();
                                uitest::Pump();
                                uitest::Key(Qt::Key_Escape);
                              }});
  RunSyoriModule("VqDataSenkaku", 1, "SyoriType=0");
  DbUpdateCheckFactory = nullptr;
  MenuHook = nullptr;
  EXPECT_FALSE(script.WatchdogFired());
  EXPECT_EQ(caption, "データリストの印刷");
  EXPECT_EQ(message, "データリストを印刷します。");
  // The installation's pre-created rows, 55 to a page.
  ASSERT_GT(gridRows, 0);
  const std::string info = PdfInfo();
  EXPECT_TRUE(std::regex_search(info, std::regex("Pages:\\s+" + std::to_string((gridRows + 54) / 55) + "\\n")))
      << info << gridRows;
  EXPECT_NE(PdfText(1).find("データリスト"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_empty(SystemDef.WorkDir)) << "the engine removed its data file";
}

}  // namespace
