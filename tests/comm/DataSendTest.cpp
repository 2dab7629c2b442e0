// The data send against the loopback relay and FTP servers: the open company lands in the chosen
// relay folder as an encrypted archive of its backup, the relay is told (1820), and a short
// upload puts the server's previous file back. A company set up for the cloud analysis service
// is then uploaded to the loopback cloud service too.
#include <gtest/gtest.h>

#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

#include "comm/CommModuleTestBase.h"
#include "comm/FileCipher.h"
#include "comm/Unlha.h"
#include "data/z5AppInfo.h"
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

// The company with the cloud setting (通信設定 / クラウド区分) 1. Its communication ID carries
// dashes, which the cloud leaves out of its file ID: the relay and the cloud account are then
// two users of the one loopback FTP server, as they are users of two servers in the field.
class DataSendCloud : public DataSend {
 protected:
  static constexpr const char* kDashedId = "TX-0001";
  static constexpr const char* kFileId = "TX0001";

  void SetUp() override {
    DataSend::SetUp();
    savedCloudHost_ = AppInfo.WebVelkoranServer;
    AppInfo.WebVelkoranServer = "localhost:" + std::to_string(servers_->CloudPort());
    servers_->WriteState("relay.json", std::string(R"({"accounts": {")") + kDashedId + R"(": {"ftp_password": ")" +
                                           kFtpPassword + R"(", "folders": {}}}})");
    servers_->WriteState("cloud.json", std::string(R"({"files": {")") + kFileId + R"(": {"ftp_password": "cl:oud"}}})");
    fs::remove_all(servers_->StateDir() / "ftp/cloud");
    // The dump's templates as the installation carries them (the source tree's init/).
    const char* root = std::getenv("RENDO_SOURCE_DIR");
    SystemDef.BaseDir = root != nullptr && *root ? root : ".";
    SetCompany(kDashedId, 1);
  }
  void TearDown() override {
    SetCompany(kCommId, 0);
    AppInfo.WebVelkoranServer = savedCloudHost_;
    DataSend::TearDown();
  }
  static void SetCompany(const std::string& id, int cloud) {
    {
      fixtures::DbSession s(office_->company->DbFile());
      s.Exec("UPDATE ACCDEF1 SET WEB_HOLDER='" + id + "'");
      s.Exec("UPDATE OR INSERT INTO ACCREG (AGROUP, ACODE, ATYPE, ATEXT) VALUES ('通信設定', 'クラウド区分', '整数', '" +
             std::to_string(cloud) + "') MATCHING (AGROUP, ACODE)");
      s.Commit();
    }
    ASSERT_TRUE(DM->fnGetAccInfo());
  }
  // The journal as the steps of a send: FTP logins and stored files, the relay's 1820, the
  // cloud's requests and its opening of the zip (journalled once the request has come in).
  static std::vector<std::string> Steps() {
    std::vector<std::string> steps;
    for (const std::string& line : servers_->Journal()) {
      auto has = [&line](const char* part) { return line.find(part) != std::string::npos; };
      if (has(R"("event": "login")")) steps.push_back(std::string("login ") + (has("cl:oud") ? "cloud" : "relay"));
      else if (has(R"("event": "stored")")) steps.push_back(has("qvacc.zip") ? "store qvacc.zip" : "store qvacc.wen");
      else if (has("Scode=1820")) steps.push_back("1820");
      else if (has("pmd=1000")) steps.push_back("pmd=1000");
      else if (has("pmd=1100")) steps.push_back("pmd=1100");
      else if (has(R"("endpoint": "cloud-zip")")) steps.push_back("cloud opens the zip");
    }
    return steps;
  }
  // Every message shown, with its detail.
  std::string Messages() const {
    std::string all;
    for (size_t i = 0; i < ui_.messages.size(); ++i) all += "[" + ui_.MessageText(i) + " " + ui_.messages[i].detail + "]";
    return all;
  }
  std::string savedCloudHost_;
};

TEST_F(DataSendCloud, TheCloudUploadFollowsTheRelayUpload) {
  ui_.messageAnswers = {uis::mrYes};
  EXPECT_EQ(SendTo(2), 0);
  EXPECT_TRUE(ui_.Shown("データ送信処理が終了しました。")) << Messages();
  EXPECT_TRUE(fs::exists(RelayFile("03")));
  EXPECT_TRUE(fs::exists(servers_->StateDir() / "ftp/cloud" / kFileId / "03/qvacc.zip"));
  EXPECT_EQ(Steps(), (std::vector<std::string>{"login relay", "store qvacc.wen", "1820", "pmd=1000", "login cloud",
                                               "store qvacc.zip", "pmd=1100", "cloud opens the zip"}));
  EXPECT_EQ(JournalCount({"pmd=1100", "fnm=TX0001&dno=3&"}), 1);
}

TEST_F(DataSendCloud, ACloudFailureKeepsTheRelayCopyAndTheDialogOpen) {
  const struct {
    const char* faults;
    const char* message;
  } cases[] = {
      {R"({"cloud_status": "902"})", "経営Velkoranクラウドデータ送信エラー : 902 通信ID不明"},
      {R"({"cloud_http_status": 500})", "経営Velkoranクラウドデータ送信エラー : 831 HTTP GET失敗"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.faults);
    servers_->ClearJournal();
    servers_->WriteState("faults.json", c.faults);
    fs::remove(RelayFile("03"));
    ui_.messages.clear();
    ui_.messageAnswers = {uis::mrYes};
    bool openAfterF12 = false;
    std::string sentCell;
    uitest::ModalScript script({[&](TForm& f) {
      auto& box = dynamic_cast<TfmDataTusin&>(f);
      box.PerfectGrid1->SetCurCell(1, 2);
      KeyAt(f, Qt::Key_F12);
      openAfterF12 = box.isVisible();
      sentCell = box.PerfectGrid1->CellText(4, 2);
      if (box.isVisible()) KeyAt(f, Qt::Key_Escape);
    }});
    EXPECT_EQ(RunSyoriModule("VqDataTusin", 1, "SyoriType=1"), 0);
    EXPECT_FALSE(script.WatchdogFired());
    EXPECT_TRUE(ui_.Shown(c.message)) << (ui_.messages.empty() ? "" : ui_.MessageText(ui_.messages.size() - 1));
    EXPECT_FALSE(ui_.Shown("データ送信処理が終了しました。"));
    EXPECT_TRUE(openAfterF12) << "a failed run leaves the dialog open";
    EXPECT_FALSE(sentCell.empty()) << "the row shows the relay's new sent time";
    EXPECT_TRUE(fs::exists(RelayFile("03")));
    EXPECT_EQ(JournalCount({"Scode=1820", "fSname=03"}), 1);
    EXPECT_FALSE(fs::exists(fs::path(SystemDef.WorkDir) / "ComS" / "qvacc.wen"));
  }
}

}  // namespace
