// The folder choice with history: the eight most recent folders, the chosen one first, a
// folder chosen again moved up without a copy, the default folder always offered, and the
// history deleted down to the current folder. Picture: selection_fileoperation.png.
#include <QImage>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "data/uAccFunction2Win.h"
#include "selection/z5FileOperationDlg.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "ui/UiTestSupport.h"
#include "ui/xRadioButton.h"

using namespace forms;
namespace fs = std::filesystem;

namespace {

class FileOperationDlg : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 1; i <= 9; ++i) fs::create_directories(Dir(i));
    fs::create_directories(dir_.Path() / "docs");
  }
  std::string Dir(int i) const { return (dir_.Path() / ("f" + std::to_string(i))).string(); }
  std::string HistFile() const { return (dir_.Path() / "history.ini").string(); }

  void WriteHistory(const std::vector<std::string>& folders) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < folders.size(); ++i) lines.push_back("HIST" + std::to_string(i + 1) + "=" + folders[i]);
    ReadIniSectionList(HistFile(), "DataBackFolder", lines);
  }
  std::vector<std::string> ReadHistory() {
    std::string text;
    ReadIniSection(HistFile(), "DataBackFolder", text);
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
      size_t end = text.find("\r\n", pos);
      if (end == std::string::npos) end = text.size();
      lines.push_back(text.substr(pos, end - pos));
      pos = end + 2;
    }
    return lines;
  }
  TFileOperationBox* NewBox() {
    auto* box = CreateForm<TFileOperationBox>(nullptr);
    box->Mode = 3;
    box->HistoryFlag = true;
    box->HistoryFolder = dir_.Path().string();
    box->HistoryFileName = "history.ini";
    box->HistorySection = "DataBackFolder";
    box->DefaultFolder = (dir_.Path() / "docs").string();
    box->FormCaption = "データの保存";
    box->Message = "保存先のフォルダを選択して下さい。";
    box->Setup(1);
    return box;
  }

  TempDir dir_;
  ScriptedUi ui_;
  ScopedUi useUi_{ui_};
};

TEST_F(FileOperationDlg, HistoryKeepsTheEightMostRecentChosenFirst) {
  struct Case {
    const char* what;
    int chosen;                 // folder browsed to (1..9)
    std::vector<int> expected;  // HIST1.. afterwards
  };
  const Case cases[] = {
      {"a new folder drops the oldest", 9, {9, 1, 2, 3, 4, 5, 6, 7}},
      {"a folder in the history moves up without a copy", 5, {5, 1, 2, 3, 4, 6, 7, 8}},
  };
  for (const Case& c : cases) {
    WriteHistory({Dir(1), Dir(2), Dir(3), Dir(4), Dir(5), Dir(6), Dir(7), Dir(8)});
    TFileOperationBox* box = NewBox();
    std::vector<std::string> offered = box->cmbFileSelect->Items();
    ASSERT_EQ(offered.size(), 9u) << c.what;  // the eight and the default folder
    EXPECT_EQ(offered.front(), Dir(1));
    EXPECT_EQ(offered.back(), (dir_.Path() / "docs").string());
    ui_.folderAnswers.push_back(Dir(c.chosen));
    QImage shot;
    uitest::ModalScript script({[&](TForm&) { uitest::Click(box->btnSansyo); },
                                [&](TForm& f) {
                                  shot = f.grab().toImage();
                                  uitest::Click(box->btnOK);
                                }});
    ASSERT_EQ(box->ShowModal(), mrOk) << c.what;
    EXPECT_FALSE(script.WatchdogFired());
    EXPECT_EQ(box->Result, Dir(c.chosen)) << c.what;
    std::vector<std::string> want;
    for (size_t i = 0; i < c.expected.size(); ++i)
      want.push_back("HIST" + std::to_string(i + 1) + "=" + Dir(c.expected[i]));
    EXPECT_EQ(ReadHistory(), want) << c.what;
    EXPECT_TRUE(shot.save(QStringLiteral("selection_fileoperation.png")));
    box->Free();
  }
}

TEST_F(FileOperationDlg, DefaultFolderOfferedWithEmptyHistory) {
  TFileOperationBox* box = NewBox();
  EXPECT_EQ(box->cmbFileSelect->Items(), std::vector<std::string>{(dir_.Path() / "docs").string()});
  EXPECT_FALSE(box->txtFileName->isVisibleTo(box));
  box->Free();
}

TEST_F(FileOperationDlg, DefaultPlaceChoiceClosesWithoutHistory) {
  WriteHistory({Dir(1), Dir(2)});
  auto* box = CreateForm<TFileOperationBoxEx1>(nullptr);
  box->Mode = 2;
  box->HistoryFlag = true;
  box->HistoryFolder = dir_.Path().string();
  box->HistoryFileName = "history.ini";
  box->HistorySection = "DataBackFolder";
  box->Result = "before";
  box->SetChoice(2);
  box->Setup(1);
  EXPECT_FALSE(box->cmbFileSelect->isEnabled());
  uitest::ModalScript script({[&](TForm&) { uitest::Click(box->btnOK); }});
  ASSERT_EQ(box->ShowModal(), mrOk);
  EXPECT_EQ(box->Choice, 2);
  EXPECT_EQ(box->Result, "before");
  EXPECT_EQ(ReadHistory(), (std::vector<std::string>{"HIST1=" + Dir(1), "HIST2=" + Dir(2)}));
  box->Free();
}

}  // namespace
