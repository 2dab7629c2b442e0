// The data send against the loopback relay and FTP servers: the open company lands in the chosen
// relay folder as an encrypted archive of its backup, the relay is told (1820), and a short
// upload puts the server's previous file back.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "comm/CommModuleTestBase.h"
#include "comm/FileCipher.h"
#include "comm/Unlha.h"
#include "selection/z5Kidou.h"
#include "ui/UiTestSupport.h"

using namespace forms;
using namespace commtest;
namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class DataSend : public CommModuleTestBase {
 protected:
  static void SetUpTestSuite() {
    CommModuleTestBase::SetUpTestSuite();
    office_ = new Office("本社データ", 40);
  }
  static void TearDownTestSuite() {
    delete office_;
    office_ = nullptr;
    CommModuleTestBase::TearDownTestSuite();
  }
  void SetUp() override {
    CommModuleTestBase::SetUp();
    Enter(*office_);
  }
  // Runs the send dialog, chooses grid row `row` and presses F12; the confirmation is answered
  // from ui_.messageAnswers. Returns Execute's result.
  int SendTo(int row) {
    uitest::ModalScript script({[&](TForm& f) {
      auto& box = dynamic_cast<TfmDataTusin&>(f);
      box.PerfectGrid1->SetCurCell(1, row);
      KeyAt(f, Qt::Key_F12);
      if (box.isVisible()) KeyAt(f, Qt::Key_Escape);
    }});
    const int result = RunSyoriModule("VqDataTusin", 1, "SyoriType=1");
    EXPECT_FALSE(script.WatchdogFired());
    return result;
  }
  static void WriteRelayFile(const std::string& folder, const std::string& name, const std::string& bytes) {
    fs::create_directories(RelayFile(folder).parent_path());
    std::ofstream(RelayFile(folder, name), std::ios::binary) << bytes;
  }
  static inline Office* office_ = nullptr;
};

TEST_F(DataSend, PutsTheCompanyIntoTheChosenFolder) {
  ui_.messageAnswers = {uis::mrYes};
  EXPECT_EQ(SendTo(2), 0);
  for (size_t i = 0; i < ui_.messages.size(); ++i) SCOPED_TRACE(ui_.MessageText(i));
  ASSERT_TRUE(fs::exists(RelayFile("03"))) << (ui_.messages.empty() ? "" : ui_.MessageText(ui_.messages.size() - 1));
  EXPECT_FALSE(fs::exists(RelayFile("03", "qvacc.wenbak")));
  EXPECT_EQ(JournalCount({"Scode=1820", "fSname=03"}), 1);
  EXPECT_TRUE(ui_.Shown("データ送信処理が終了しました。"));
  // The stored file is the packed backup, encrypted with the account's key.
  const fs::path tmp = fs::temp_directory_path() / ("datasend-" + std::to_string(::getpid()));
  fs::create_directories(tmp);
  DecryptFile(RelayFile("03").string(), (tmp / "qvacc.lzh").string(), CommFileKey(kCommPassword));
  EXPECT_TRUE(UnlhaCheckArchive((tmp / "qvacc.lzh").string().c_str(), 2));
  fs::remove_all(tmp);
  // The work files are gone.
  EXPECT_FALSE(fs::exists(fs::path(SystemDef.WorkDir) / "ComS" / "qvacc.wen"));
  EXPECT_FALSE(fs::exists(fs::path(SystemDef.WorkDir) / "ComS" / "qvacc.lzh"));
}

TEST_F(DataSend, ShortUploadPutsThePreviousFileBack) {
  WriteRelayFile("01", "qvacc.wen", "previous deposit");
  servers_->WriteState("faults.json", R"({"ftp_size_add": 1})");
  ui_.messageAnswers = {uis::mrYes};
  SendTo(0);
  EXPECT_EQ(ReadAll(RelayFile("01")), "previous deposit");
  EXPECT_FALSE(fs::exists(RelayFile("01", "qvacc.wenbak")));
  EXPECT_EQ(JournalCount({"Scode=1820"}), 0);
  EXPECT_TRUE(ui_.Shown("ウイルス対策ソフト"));
}

TEST_F(DataSend, DeclinedConfirmationTouchesNothing) {
  ui_.messageAnswers = {uis::mrNo};
  EXPECT_EQ(SendTo(0), 0);
  EXPECT_FALSE(fs::exists(RelayFile("01")));
  EXPECT_EQ(JournalCount({"Scode=1820"}), 0);
}

}  // namespace
