#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "comm/z5WebVelkoranDataDump.h"
#include "data/uAccRecord.h"
#include "support/CommServers.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

class CloudUpload : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { servers_ = new CommServers(); }
  static void TearDownTestSuite() {
    delete servers_;
    servers_ = nullptr;
  }
  void SetUp() override {
    servers_->ClearFaults();
    servers_->ClearJournal();
    servers_->WriteState("cloud.json", R"({"files": {"AB12CD": {"ftp_password": "pa:ss word"}}})");
    fs::remove_all(servers_->StateDir() / "ftp/cloud");
    config_ = LoopbackCommConfig(*servers_);
    saved_ = {AccInf.VerMajor, AccInf.VerMinor1, AccInf.VerMinor2};
    SetDataVersion(10, 2, 5);
  }
  void TearDown() override { SetDataVersion(saved_[0], saved_[1], saved_[2]); }

  static void SetDataVersion(int major, int minor1, int minor2) {
    AccInf.VerMajor = major;
    AccInf.VerMinor1 = minor1;
    AccInf.VerMinor2 = minor2;
  }
  fs::path Script() const { return work_.Path() / "TallixVelkoran_Sql/qvacc.sql"; }
  fs::path Archive() const { return work_.Path() / "TallixVelkoran_Sql/qvacc.zip"; }

  // An uploader whose writer puts a small script naming the database where the dump writer would.
  std::unique_ptr<TFtpWebDbSqlDump> Uploader(std::string body = "INSERT INTO X VALUES (1);\r\n") {
    auto up = std::make_unique<TFtpWebDbSqlDump>(config_);
    up->SetScriptWriter({[this, body](const std::string& name) {
                           written_.push_back(name);
                           work_.Write("TallixVelkoran_Sql/qvacc.sql",
                                       body.empty() ? body : "CREATE DATABASE `" + name + "`;\r\n" + body);
                           return true;
                         },
                         Script().string()});
    return up;
  }
  std::vector<std::string> JournalWith(const std::string& part) const {
    std::vector<std::string> hits;
    for (const auto& line : servers_->Journal())
      if (Has(line, part)) hits.push_back(line);
    return hits;
  }

  static CommServers* servers_;
  TCommConfig config_;
  TempDir work_;
  std::vector<std::string> written_;
  std::array<int, 3> saved_{};
};
CommServers* CloudUpload::servers_ = nullptr;

TEST_F(CloudUpload, UploadsAnEncryptedZipTheServiceOpensAndDeletesTheScript) {
  SetDataVersion(7, 5, 3);
  work_.Write("TallixVelkoran_Sql/qvacc.zip", "an archive of an earlier upload");

  EXPECT_EQ(Uploader()->UploadDump("AB-12-CD", 3), "000");

  EXPECT_EQ(written_, std::vector<std::string>{"velkor_d_AB12CD_3"});
  EXPECT_FALSE(fs::exists(Script()));
  ASSERT_TRUE(fs::exists(Archive()));  // the new archive stays
  EXPECT_GT(fs::file_size(Archive()), 22u);
  EXPECT_EQ(fs::status(Archive()).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_TRUE(fs::exists(servers_->StateDir() / "ftp/cloud/AB12CD/03/qvacc.zip"));

  // The service opened it with the password: one encrypted entry at the root.
  const auto opened = JournalWith(R"("endpoint": "cloud-zip")");
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_TRUE(Has(opened[0], R"("names": ["qvacc.sql"], "encrypted": [true])")) << opened[0];

  const auto logins = JournalWith(R"("event": "login")");
  ASSERT_EQ(logins.size(), 1u);
  EXPECT_TRUE(Has(logins[0], R"("user": "AB12CD", "password": "pa:ss word")")) << logins[0];  // colon kept

  const auto requests = JournalWith(R"("endpoint": "cloud", )");
  ASSERT_EQ(requests.size(), 2u);
  for (const auto& r : requests) EXPECT_TRUE(Has(r, R"("user_agent": "Lomatra")")) << r;
  EXPECT_TRUE(Has(requests[0], R"("path": "/request.php?pmd=1000&fnm=AB12CD")")) << requests[0];
  EXPECT_TRUE(Has(requests[1], R"("path": "/request.php?pmd=1100&fnm=AB12CD&dno=3&dvr=8.0.0&fpa=Qnemra5170")"))
      << requests[1];
}

TEST_F(CloudUpload, DataVersionSentToTheService) {
  const struct {
    int major, minor1, minor2;
    const char* dvr;
  } cases[] = {{7, 5, 3, "8.0.0"}, {8, 0, 1, "8.0.0"}, {8, 0, 2, "8.0.0"}, {8, 1, 0, "8.1.0"}, {10, 2, 5, "10.2.0"}};
  for (const auto& c : cases)
    EXPECT_EQ(CloudDataVersionText(c.major, c.minor1, c.minor2), c.dvr) << c.major << "." << c.minor1 << "." << c.minor2;

  // Folder 10: two-digit folder on the server, plain number in the request. Header names in
  // another case and values between blanks are read all the same.
  servers_->WriteState("faults.json", R"({"cloud_odd_headers": true})");
  EXPECT_EQ(Uploader()->UploadDump("AB12CD", 10), "000");
  EXPECT_TRUE(fs::exists(servers_->StateDir() / "ftp/cloud/AB12CD/10/qvacc.zip"));
  EXPECT_EQ(JournalWith("pmd=1100&fnm=AB12CD&dno=10&dvr=10.2.0&").size(), 1u);
}

TEST_F(CloudUpload, BadIdOrFolderWritesAndSendsNothing) {
  const struct {
    const char* id;
    int folder;
    const char* status;
  } cases[] = {{"-", 3, "801"}, {"---", 3, "801"}, {"", 3, "801"}, {"AB-12-CD", 0, "802"}, {"AB-12-CD", 11, "802"}};
  for (const auto& c : cases) {
    EXPECT_EQ(Uploader()->UploadDump(c.id, c.folder), c.status) << c.id << " " << c.folder;
  }
  EXPECT_TRUE(written_.empty());
  EXPECT_TRUE(servers_->Journal().empty());
}

TEST_F(CloudUpload, ServiceRefusalEndsBeforeFtpAndDeletesTheScript) {
  const struct {
    const char* faults;  // faults.json, or null
    const char* id;
    bool untrustedPeer;
    const char* status;
  } cases[] = {
      {nullptr, "ZZ-99", false, "902"},                    // an ID the service does not know
      {nullptr, "AB12CD&x=1", false, "902"},               // the "&" stays part of the ID
      {R"({"cloud_status": "902"})", "AB12CD", false, "902"},
      {R"({"cloud_status": ""})", "AB12CD", false, ""},    // no X-Status at all
      {R"({"cloud_http_status": 500})", "AB12CD", false, "831"},
      {nullptr, "AB12CD", true, "831"},                    // a certificate we do not trust
  };
  for (const auto& c : cases) {
    servers_->ClearFaults();
    servers_->ClearJournal();
    if (c.faults) servers_->WriteState("faults.json", c.faults);
    const TCommConfig saved = config_;
    if (c.untrustedPeer) config_.CloudPort = servers_->UntrustedRelayPort();
    const std::string status = Uploader()->UploadDump(c.id, 2);
    config_ = saved;
    EXPECT_EQ(status, c.status) << (c.faults ? c.faults : c.id);
    EXPECT_TRUE(JournalWith(R"("endpoint": "ftp")").empty()) << status;
    EXPECT_TRUE(JournalWith("pmd=1100").empty()) << status;
    EXPECT_FALSE(fs::exists(Script())) << status;
    EXPECT_TRUE(fs::exists(Archive())) << status;
  }
  EXPECT_EQ(TFtpWebDbSqlDump::StatusText(""), "原因不明のエラー発生");
}

TEST_F(CloudUpload, FtpFailureEndsBeforeTheCompletionRequest) {
  const struct {
    const char* faults;
    const char* status;
  } cases[] = {
      {R"({"ftp_refuse_login": true})", "821"},
      {R"({"ftp_refuse_cwd": true})", "823"},
      {R"({"ftp_refuse_stor": true})", "824"},
  };
  for (const auto& c : cases) {
    servers_->ClearJournal();
    servers_->WriteState("faults.json", c.faults);
    EXPECT_EQ(Uploader()->UploadDump("AB12CD", 4), c.status) << c.faults;
    EXPECT_EQ(JournalWith("pmd=1000").size(), 1u) << c.faults;
    EXPECT_TRUE(JournalWith("pmd=1100").empty()) << c.faults;
    EXPECT_FALSE(fs::exists(Script())) << c.faults;
    EXPECT_FALSE(fs::exists(servers_->StateDir() / "ftp/cloud/AB12CD/04/qvacc.zip")) << c.faults;
  }
}

TEST_F(CloudUpload, WriterFailures) {
  // The writer failed: its leftovers stay for whoever looks into the failure.
  auto failing = std::make_unique<TFtpWebDbSqlDump>(config_);
  failing->SetScriptWriter({[this](const std::string&) {
                              work_.Write("TallixVelkoran_Sql/qvacc.sql", "CREATE DATA");
                              return false;
                            },
                            Script().string()});
  EXPECT_EQ(failing->UploadDump("AB12CD", 1), "811");
  EXPECT_TRUE(fs::exists(Script()));
  fs::remove(Script());

  // An empty script is no dump.
  EXPECT_EQ(Uploader("")->UploadDump("AB12CD", 1), "812");
  EXPECT_FALSE(fs::exists(Script()));
  EXPECT_FALSE(fs::exists(Archive()));

  // A writer that cannot open its file raises through the upload.
  auto raising = std::make_unique<TFtpWebDbSqlDump>(config_);
  raising->SetScriptWriter(
      {[](const std::string&) -> bool { throw std::runtime_error("\"qvacc.sql\"が使用中です。"); }, Script().string()});
  EXPECT_THROW(raising->UploadDump("AB12CD", 1), std::runtime_error);
  EXPECT_TRUE(servers_->Journal().empty());
}

TEST(CloudUploadStatus, TextsOfTheStatuses) {
  const std::pair<const char*, const char*> cases[] = {
      {"000", "正常終了"},
      {"002", "「vqzaimu」データより、認証不許可"},
      {"802", "データリスト番号不正"},
      {"814", "SQLDumpファイルZip圧縮失敗(結果0バイト)"},
      {"825", "FTP ダウンロード失敗"},
      {"831", "HTTP GET失敗"},
      {"924", "SQLDumpファイル不明"},
      {"999", "原因不明のエラー発生"},
      {"00", "原因不明のエラー発生"},
      {" 000", "原因不明のエラー発生"},
  };
  for (const auto& [status, text] : cases) EXPECT_EQ(TFtpWebDbSqlDump::StatusText(status), text) << status;
}
