#include <gtest/gtest.h>

#include <filesystem>

#include "comm/CommTestFiles.h"
#include "comm/FtpSession.h"
#include "support/CommServers.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

class FtpSession : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { servers_ = new CommServers(); }
  static void TearDownTestSuite() {
    delete servers_;
    servers_ = nullptr;
  }
  void SetUp() override {
    servers_->ClearFaults();
    servers_->ClearJournal();
    servers_->WriteState("relay.json", R"({"accounts": {"TX0001": {"ftp_password": "ftp:pa@ss word", "folders": {}}}})");
    config_.FtpPort = servers_->FtpPort();
    config_.ConnectTimeoutMs = 5000;
    config_.ReadTimeoutMs = 5000;
  }
  fs::path Root() const { return servers_->StateDir() / "ftp/relay"; }
  static CommServers* servers_;
  TCommConfig config_;
  TempDir local_;
};
CommServers* FtpSession::servers_ = nullptr;

TEST_F(FtpSession, StoreSizeRenameRetrieveAndDeleteInOneLogin) {
  const std::string data = commtest::MixedBytes(700000);
  const std::string older = "the previous deposit";
  const std::string file = local_.Write("ComS/qvacc.wen", data);
  local_.Write("old", older);
  fs::remove_all(Root() / "03");
  fs::create_directories(Root() / "03");

  TFtpSession ftp(config_, "127.0.0.1", "TX0001", "ftp:pa@ss word");
  EXPECT_EQ(ftp.Size("/03/qvacc.wen"), -1) << ftp.LastError();  // nothing there yet
  ASSERT_TRUE(ftp.Store((local_.Path() / "old").string(), "/03/qvacc.wen")) << ftp.LastError();
  ASSERT_TRUE(ftp.Rename("/03/qvacc.wen", "/03/qvacc.wenbak")) << ftp.LastError();
  ASSERT_TRUE(ftp.Store(file, "/03/qvacc.wen")) << ftp.LastError();
  EXPECT_EQ(ftp.Size("/03/qvacc.wen"), static_cast<std::int64_t>(data.size()));
  EXPECT_EQ(ftp.Size("/03/qvacc.wenbak"), static_cast<std::int64_t>(older.size()));
  EXPECT_TRUE(TempDir::Read(Root() / "03/qvacc.wen") == data);  // binary, unchanged

  const std::string back = (local_.Path() / "ComR/qvacc.wen").string();
  fs::create_directories(local_.Path() / "ComR");
  ASSERT_TRUE(ftp.Retrieve("/03/qvacc.wen", back)) << ftp.LastError();
  EXPECT_TRUE(TempDir::Read(back) == data);
  ASSERT_TRUE(ftp.Delete("/03/qvacc.wenbak")) << ftp.LastError();
  EXPECT_FALSE(fs::exists(Root() / "03/qvacc.wenbak"));
  ftp.Close();

  int logins = 0;
  for (const auto& line : servers_->Journal()) {
    if (line.find(R"("event": "login")") == std::string::npos) continue;
    ++logins;
    EXPECT_NE(line.find(R"("password": "ftp:pa@ss word")"), std::string::npos) << line;  // arrived whole
  }
  EXPECT_EQ(logins, 1);
}

TEST_F(FtpSession, FailuresAreReportedAndLeaveNoLocalFile) {
  const std::string target = (local_.Path() / "qvacc.wen").string();
  {
    TFtpSession ftp(config_, "127.0.0.1", "TX0001", "wrong");
    EXPECT_FALSE(ftp.Store(local_.Write("x", "x"), "/01/qvacc.wen"));
    EXPECT_FALSE(ftp.LastError().empty());
    EXPECT_EQ(ftp.LastError().find("wrong"), std::string::npos);  // no credentials in messages
  }
  TFtpSession ftp(config_, "127.0.0.1", "TX0001", "ftp:pa@ss word");
  EXPECT_FALSE(ftp.Retrieve("/01/missing.wen", target));
  EXPECT_FALSE(ftp.Rename("/01/missing.wen", "/01/other.wen"));
  EXPECT_FALSE(ftp.Delete("/01/missing.wen"));
  EXPECT_FALSE(ftp.Store((local_.Path() / "no-such-file").string(), "/01/qvacc.wen"));
  EXPECT_FALSE(ftp.Rename("/01/a\r\nDELE /01/b", "/01/c"));  // no command smuggled in a path
  EXPECT_EQ(commtest::Names(local_.Path()), std::vector<std::string>{"x"});

  // A server misreporting the size after an upload is seen as such.
  ASSERT_TRUE(ftp.Store(local_.Path() / "x", "/01/qvacc.wen"));
  servers_->WriteState("faults.json", R"({"ftp_size_add": 5})");
  EXPECT_EQ(ftp.Size("/01/qvacc.wen"), 6);
}
