#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "comm/RelayProtocol.h"
#include "comm/xPzConv.h"
#include "data/EraState.h"
#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "platform/Encoding.h"
#include "support/CommServers.h"
#include "support/TempDir.h"

namespace {

// ---- canned replies in the relay server's layout --------------------------------------------

struct CannedFolder {
  std::string name;  // UTF-8; sent as Base64 of CP932
  std::string sent = "2025-05-01 10:20";
  std::string received = "2025-05-02 08:00";
};

std::string Block(int no, const CannedFolder& f) {
  char num[8];
  std::snprintf(num, sizeof num, "%02d", no);
  return std::string("FolderNo:    ") + num + "\r\n" + "Company:  " + TxPzConv::EncodeBase64(sjis::FromUtf8(f.name)) +
         "\r\n" + "Term:     12\r\n" + "PerStart:  2024-04-01 00:00\r\n" + "PerEnd:    2025-03-31 00:00\r\n" +
         "SentAt:   " + f.sent + "\r\n" + "Passwd:   fpw" + num + "\r\n" + "DataVer:    0801\r\n" + "RecvAt:   " +
         f.received + "\r\n";
}

std::string FolderListReply(const std::string& status, const std::vector<CannedFolder>& folders) {
  std::string r = "\r\n\r\nHTTP/1.0 200 OK\r\nServer: x\r\nContent-Type: text/plain\r\n\r\nStatus:   " + status + "\r\n";
  r += "FtpH:  ftp.example.invalid\r\nFtpP:  pa:ss@word\r\n-\r\n";
  for (int i = 0; i < 10; ++i) r += Block(i + 1, i < static_cast<int>(folders.size()) ? folders[i] : CannedFolder{});
  return r;
}

std::string CutAfterLines(const std::string& reply, int lines) {
  std::size_t pos = 0;
  for (int i = 0; i < lines && pos != std::string::npos; ++i) pos = reply.find('\n', pos + 1);
  return reply.substr(0, pos);
}

std::string Golden(const std::string& name) {
  const char* root = std::getenv("RENDO_SOURCE_DIR");
  std::ifstream in(std::string(root != nullptr ? root : ".") + "/tests/comm/golden/" + name, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

const TRelayAccount kAccount{"TX0001", "pw0001"};

}  // namespace

// ---- Base64 -------------------------------------------------------------------------------------

TEST(RelayProtocol, Base64FollowsRfc4648AndRefusesForeignCharacters) {
  const struct { std::string bytes, text; } cases[] = {
      {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foobar", "Zm9vYmFy"},
      {std::string("\xfb\xff\xbf", 3), "+/+/"}, {std::string("\0\0", 2), "AAA="},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TxPzConv::EncodeBase64(c.bytes), c.text) << c.text;
    EXPECT_EQ(TxPzConv::DecodeBase64(c.text), c.bytes) << c.text;
  }
  // A partial last group is ignored.
  EXPECT_EQ(TxPzConv::DecodeBase64("Zm9vYm"), "foo");
  for (const char* bad : {"Zm9v!mFy", "Zg==Zm9v", "Zm 9", "Z=9v"}) {
    EXPECT_THROW(TxPzConv::DecodeBase64(bad), EBase64Error) << bad;
  }
}

// ---- request bytes ------------------------------------------------------------------------------

TEST(RelayProtocol, RequestBytesMatchTheGoldenFiles) {
  TRelayDeposit deposit;
  deposit.FolderNo = 3;
  deposit.Name = "会髙商髙";  // Base64 of its CP932 bytes holds "+", "/" and "="
  deposit.Term = 12;
  deposit.PeriodStart = EncodeDate(2024, 4, 1);
  deposit.PeriodEnd = EncodeDate(2025, 3, 31);
  deposit.VerMajor = 8;
  deposit.VerMinor = 1;
  const std::string base64 = TxPzConv::EncodeBase64(sjis::FromUtf8(deposit.Name));
  ASSERT_NE(base64.find('+'), std::string::npos);
  ASSERT_NE(base64.find('/'), std::string::npos);
  ASSERT_NE(base64.find('='), std::string::npos);

  const std::string host = "relay.example.invalid";
  const struct { std::string golden, bytes; } cases[] = {
      {"request_1720.txt", FolderListRequest(host, "INST-01", kAccount, "")},
      {"request_1720_cashbook.txt", FolderListRequest(host, "INST-01", kAccount, "2")},
      {"request_1750.txt", DeleteFolderRequest(host, "INST-01", kAccount, 10)},
      {"request_1820.txt", DepositRequest(host, kScodeDataDeposit, "INST-01", kAccount, deposit)},
      {"request_1830.txt", CollectedRequest(host, "INST-01", kAccount, 3)},
  };
  for (const auto& c : cases) EXPECT_EQ(c.bytes, Golden(c.golden)) << c.golden;
}

TEST(RelayProtocol, IdentifiersAndPasswordsCannotChangeTheRequest) {
  const struct { std::string value, sent; } cases[] = {
      {"Plain-ID_0.9~", "Plain-ID_0.9~"},  // unreserved characters go out as they are
      {"a&b=c", "a%26b%3Dc"},
      {"two words", "two%20words"},
      {"x\r\nHost: evil", "x%0D%0AHost%3A%20evil"},
      {"ｱ", "%B1"},                        // CP932 bytes
      {"漢", "%8A%BF"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EscapeRequestValue(c.value), c.sent) << c.value;
    TRelayDeposit deposit;
    deposit.FolderNo = 1;
    const std::string request =
        DepositRequest("h", kScodeCashBookDeposit, c.value, TRelayAccount{c.value, c.value}, deposit);
    EXPECT_NE(request.find("&sSno=" + c.sent + "&sFName=" + c.sent + "&"), std::string::npos) << c.value;
    EXPECT_NE(request.find("&fPa=" + c.sent + "&"), std::string::npos) << c.value;
    EXPECT_EQ(request.find("\r\n"), request.find(" HTTP/1.0\r\n") + 9) << c.value;  // one request line
  }
  EXPECT_EQ(UrlEscapeBase64("a+b=c/d=="), "a%2bb%3dc/d%3d%3d");
}

// ---- reply reading ------------------------------------------------------------------------------

TEST(RelayProtocol, FolderListReplyTable) {
  const std::string ok = FolderListReply("000", {{"東京商事"}, {"", "2025-05-01 10:20", "2025-05-02 08:00"},
                                                 {"大阪 工業", "2025-05-03 09:00", "2025-05-03 09:00"},
                                                 {"   "}, {"名古屋", "2025-06-01 10:00", "2025-05-30 10:00"}});
  struct Case {
    const char* what;
    std::string reply;
    TRelayResult::Outcome outcome;
    std::string message;
  };
  const Case cases[] = {
      {"complete", ok, TRelayResult::Ok, ""},
      {"short reply", CutAfterLines(ok, 60), TRelayResult::ConnectFailure, "　\r\nサーバーに接続出来ません。\r\n "},
      {"no status line", "HTTP/1.0 200 OK\r\nA\r\nB\r\n", TRelayResult::ConnectFailure,
       "　\r\nサーバーに接続出来ません。\r\n "},
      {"unknown ID", FolderListReply("920", {}), TRelayResult::ServerStatus,
       "　\r\nサーバーに接続出来ません、通信IDを確認して下さい。\r\n "},
      {"other code", CutAfterLines(FolderListReply("512", {}), 7), TRelayResult::ServerStatus,
       "　\r\nサーバーエラー(512)\r\n "},
      {"name not Base64", [&] {
         std::string r = ok;
         r.replace(r.find("Company:  ") + 10, 2, "*!");
         return r;
       }(), TRelayResult::ConnectFailure, "　\r\nサーバーに接続出来ません。\r\n "},
  };
  for (const auto& c : cases) {
    TRelayInfo info;
    info.FtpHost = "kept";
    const TRelayResult r = ReadFolderListReply(c.reply, info);
    EXPECT_EQ(r.outcome, c.outcome) << c.what;
    EXPECT_EQ(RelayFailureMessage(kScodeFolderList, r), c.message) << c.what;
    if (c.outcome != TRelayResult::Ok) {
      EXPECT_EQ(info.FtpHost, "kept") << c.what;  // failures change nothing
    }
  }

  TRelayInfo info;
  ASSERT_TRUE(ReadFolderListReply(ok, info).ok());
  EXPECT_EQ(info.FtpHost, "ftp.example.invalid");
  EXPECT_EQ(info.FtpPassword, "pa:ss@word");
  const TRelayFolder& f1 = info.Folders[0];
  EXPECT_EQ(f1.FolderNo, "01");
  EXPECT_EQ(f1.CompanyName, "東京商事");
  EXPECT_EQ(f1.Term, "12");
  EXPECT_EQ(f1.PeriodStart, "2024/04/01 00:00");
  EXPECT_EQ(f1.PeriodEndText, "2025/03/31 00:00");
  EXPECT_EQ(f1.SentTime, "2025/05/01 10:20");
  EXPECT_EQ(f1.ReceivedTime, "2025/05/02 08:00");  // collected after the deposit
  EXPECT_EQ(f1.ReceivedTimeText, "2025/05/02 08:00");
  EXPECT_EQ(f1.FolderPassword, "fpw01");
  EXPECT_EQ(f1.VersionText, "0801");
  // Blank names: nothing but number and name, whatever the server sent.
  for (int i : {1, 3, 5}) {
    const TRelayFolder& f = info.Folders[i];
    EXPECT_EQ(f.FolderNo, i == 1 ? "02" : i == 3 ? "04" : "06");
    EXPECT_TRUE(f.Term.empty() && f.PeriodStart.empty() && f.SentTime.empty() && f.ReceivedTimeText.empty() &&
                f.FolderPassword.empty() && f.VersionText.empty())
        << i;
  }
  EXPECT_EQ(info.Folders[3].CompanyName, "   ");
  // Received not after sent: "-" and no time.
  for (int i : {2, 4}) {
    EXPECT_EQ(info.Folders[i].ReceivedTime, "") << i;
    EXPECT_EQ(info.Folders[i].ReceivedTimeText, "-") << i;
  }
  EXPECT_EQ(info.Folders[2].CompanyName, "大阪 工業");
}

class RelayProtocolEra : public EraState {};

TEST_F(RelayProtocolEra, DisplayTextsFollowTheEraSetting) {
  CannedFolder f{"東京商事", "2014-05-01 10:20", "2014-05-02 08:00"};
  std::string reply = FolderListReply("000", {f, {"大阪商事", "0000-00-00 00:00", "0000-00-00 00:01"}});
  for (std::size_t at; (at = reply.find("2024-04-01")) != std::string::npos;) reply.replace(at, 10, "2014-04-01");
  SystemDef.R4Bit10 = 1;
  TRelayInfo info;
  ASSERT_TRUE(ReadFolderListReply(reply, info).ok());
  EXPECT_EQ(info.Folders[0].PeriodStart, "2014/04/01 00:00");
  EXPECT_EQ(info.Folders[0].PeriodStartText, "H 26/04/01");
  EXPECT_EQ(info.Folders[0].SentTimeText, "H 26/05/01 10:20");
  EXPECT_EQ(info.Folders[0].ReceivedTimeText, "H 26/05/02 08:00");
  // Received after sent, but a zero year: kept, shown as "-".
  EXPECT_EQ(info.Folders[1].ReceivedTime, "0000/00/00 00:01");
  EXPECT_EQ(info.Folders[1].ReceivedTimeText, "-");
}

TEST(RelayProtocol, CompletionReplyTable) {
  const std::string head = "HTTP/1.0 200 OK\nA: b\n\nC: d\n";
  const struct {
    int scode;
    std::string reply;
    TRelayResult::Outcome outcome;
    std::string time, message;
  } cases[] = {
      {kScodeDeleteFolder, head + "Status:   000\n", TRelayResult::Ok, "", ""},
      {kScodeDeleteFolder, head + "Status:   301\n", TRelayResult::ServerStatus, "", "　\r\nサーバーエラー(301)\r\n "},
      {kScodeDataDeposit, head + "Time:  202505011020\r\nStatus:   000\r\n", TRelayResult::Ok, "202505011020", ""},
      {kScodeCashBookDeposit, head + "Time:  202505011020\r\nStatus:   911\r\n", TRelayResult::ServerStatus,
       "202505011020", "　\r\nサーバーエラー(911)\r\n "},
      {kScodeCollected, head + "Time:  202505011020\r\nStatus:   905\r\n", TRelayResult::ServerStatus, "202505011020",
       "　\r\n完了処理サーバーエラー(905)\r\n "},
      {kScodeCollected, head + "Time:  202505011020\r\n", TRelayResult::ConnectFailure, "", ""},  // ends early
  };
  for (const auto& c : cases) {
    const TRelayResult r = ReadCompletionReply(c.scode, c.reply);
    EXPECT_EQ(r.outcome, c.outcome) << c.scode << c.reply;
    EXPECT_EQ(r.time, c.time) << c.scode << c.reply;
    EXPECT_EQ(RelayFailureMessage(c.scode, r), c.message) << c.scode << c.reply;
  }
}

TEST(RelayProtocol, OversizedRepliesAreRefused) {
  std::vector<std::string> lines;
  EXPECT_TRUE(ReadReplyLines("\n\nA\r\n\nB", lines));
  EXPECT_EQ(lines, (std::vector<std::string>{"A", "", "B"}));
  EXPECT_FALSE(ReadReplyLines(std::string(100000, 'x'), lines));
  EXPECT_FALSE(ReadReplyLines(std::string(100000, '\n').insert(0, "x"), lines));
}

// ---- against the loopback relay server -----------------------------------------------------

class RelayProtocolLive : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { servers_ = new CommServers(); }
  static void TearDownTestSuite() {
    delete servers_;
    servers_ = nullptr;
  }
  void SetUp() override {
    servers_->ClearFaults();
    servers_->ClearJournal();
    servers_->WriteState("relay.json", R"({"accounts": {"TX0001": {"ftp_password": "f:pw@1", "folders": {
      "01": {"name": "東京商事", "term": "12", "start": "2024-04-01 00:00", "end": "2025-03-31 00:00",
             "sent": "2025-05-01 10:20", "received": "2025-05-02 08:00", "password": "p01", "version": "0801"},
      "02": {"name": "", "term": "9", "sent": "2025-05-01 10:20", "password": "hidden"},
      "03": {"name": "ｶﾌﾞｼｷｶﾞｲｼｬ髙橋", "term": "3", "start": "2023-01-01 00:00", "end": "2023-12-31 00:00",
             "sent": "2025-05-03 09:00", "received": "2025-05-03 09:00", "password": "p03", "version": "0703"}}}}})");
    config_.RelayHost = "localhost";
    config_.RelayPort = servers_->RelayPort();
    config_.CaFile = servers_->CaFile();
    config_.InstallationId = "INST 01";
    config_.ConnectTimeoutMs = 5000;
    config_.ReadTimeoutMs = 3000;
  }
  static CommServers* servers_;
  TCommConfig config_;
};
CommServers* RelayProtocolLive::servers_ = nullptr;

TEST_F(RelayProtocolLive, FolderListGivesTheSeededFolders) {
  TRelayInfo info;
  const TRelayResult r = GetRelayFolderList(config_, {"TX0001", "pw&1"}, "", info);
  ASSERT_TRUE(r.ok()) << r.status;
  EXPECT_EQ(info.FtpHost, "127.0.0.1");
  EXPECT_EQ(info.FtpPassword, "f:pw@1");
  EXPECT_EQ(info.InstallationId, "INST 01");
  EXPECT_EQ(info.Folders[0].CompanyName, "東京商事");
  EXPECT_EQ(info.Folders[0].PeriodEnd, "2025/03/31 00:00");
  EXPECT_EQ(info.Folders[0].SentTimeText, "2025/05/01 10:20");
  EXPECT_EQ(info.Folders[0].ReceivedTimeText, "2025/05/02 08:00");
  EXPECT_EQ(info.Folders[0].FolderPassword, "p01");
  EXPECT_EQ(info.Folders[1].CompanyName, "");
  EXPECT_EQ(info.Folders[1].FolderPassword, "");
  EXPECT_EQ(info.Folders[2].CompanyName, "ｶﾌﾞｼｷｶﾞｲｼｬ髙橋");
  EXPECT_EQ(info.Folders[2].VersionText, "0703");
  EXPECT_EQ(info.Folders[2].ReceivedTimeText, "-");
  EXPECT_EQ(info.Folders[9].FolderNo, "10");

  const auto journal = servers_->Journal();
  ASSERT_EQ(journal.size(), 1u);
  EXPECT_NE(journal[0].find(R"("raw": "GET /request.php?Scode=1720&sSno=INST%2001&sFName=TX0001 HTTP/1.0\r\n)"
                            R"(Host: localhost\r\nUser-Agent: Lomatra\r\nConnection: Close\r\n\r\n\r\n")"),
            std::string::npos)
      << journal[0];
}

TEST_F(RelayProtocolLive, FailuresTakeTheirMessages) {
  struct Case {
    const char* what;
    std::string faults;
    int port;
    std::string message;
  };
  const std::string noConnection = "　\r\nサーバーに接続出来ません。\r\n ";
  const Case cases[] = {
      {"untrusted certificate", "", servers_->UntrustedRelayPort(), noConnection},
      {"unknown ID", R"({"relay_status": {"1720": "920"}})", servers_->RelayPort(),
       "　\r\nサーバーに接続出来ません、通信IDを確認して下さい。\r\n "},
      {"server error", R"({"relay_status": {"1720": "503"}})", servers_->RelayPort(), "　\r\nサーバーエラー(503)\r\n "},
      {"reply cut short", R"({"relay_cut_after": 40})", servers_->RelayPort(), noConnection},
      {"closed without reply", R"({"relay_close": true})", servers_->RelayPort(), noConnection},
      {"silent server", R"({"relay_delay": 5})", servers_->RelayPort(), noConnection},
  };
  for (const auto& c : cases) {
    if (c.faults.empty()) servers_->ClearFaults();
    else servers_->WriteState("faults.json", c.faults);
    config_.RelayPort = c.port;
    TRelayInfo info;
    const TRelayResult r = GetRelayFolderList(config_, {"TX0001", "pw"}, "", info);
    EXPECT_FALSE(r.ok()) << c.what;
    EXPECT_EQ(RelayFailureMessage(kScodeFolderList, r), c.message) << c.what;
    EXPECT_EQ(info.FtpHost, "") << c.what;
  }
  // The refused certificate: not one request line reached the untrusted listener.
  for (const auto& line : servers_->Journal()) EXPECT_EQ(line.find("\"untrusted\""), std::string::npos);
}

TEST_F(RelayProtocolLive, DepositCompletionStoresTheDecodedValues) {
  TRelayDeposit deposit;
  deposit.FolderNo = 4;
  deposit.Name = "株式会社ＡＢＣ";
  deposit.Term = 7;
  deposit.PeriodStart = EncodeDate(2024, 4, 1);
  deposit.PeriodEnd = EncodeDate(2025, 3, 31);
  deposit.VerMajor = 8;
  deposit.VerMinor = 2;
  const TRelayAccount account{"TX0001", "p&w d"};
  const TRelayResult r = SendRelayCompletion(
      config_, kScodeDataDeposit,
      DepositRequest(config_.RelayHost, kScodeDataDeposit, config_.InstallationId, account, deposit));
  ASSERT_TRUE(r.ok()) << r.status;
  EXPECT_EQ(r.time.size(), 12u);

  TRelayInfo info;
  ASSERT_TRUE(GetRelayFolderList(config_, account, "", info).ok());
  const TRelayFolder& f = info.Folders[3];
  EXPECT_EQ(f.CompanyName, "株式会社ＡＢＣ");
  EXPECT_EQ(f.Term, "7");
  EXPECT_EQ(f.PeriodStart, "2024/04/01 00:00");
  EXPECT_EQ(f.FolderPassword, "p&w d");  // the whole password arrived
  EXPECT_EQ(f.VersionText, "0802");
  EXPECT_EQ(f.ReceivedTimeText, "-");
}

// ---- configuration ------------------------------------------------------------------------------

TEST(RelayProtocol, ConfigurationFromAppInfo) {
  const struct {
    std::map<std::string, std::string> keys;
    std::string relayHost;
    int relayPort, ftpPort;
    std::string cloudHost;
    int cloudPort;
  } cases[] = {
      {{}, "", 443, 21, "", 443},
      {{{"RelayServer", "relay.example.invalid"}, {"WebVelkoranServer", "cloud.example.invalid"}},
       "relay.example.invalid", 443, 21, "cloud.example.invalid", 443},
      {{{"RelayServer", " localhost:8443 "}, {"RelayFtpPort", "2121"}, {"WebVelkoranServer", "127.0.0.1:9443"}},
       "localhost", 8443, 2121, "127.0.0.1", 9443},
      {{{"RelayServer", "host:port"}, {"RelayFtpPort", "70000"}}, "host:port", 443, 21, "", 443},
  };
  for (const auto& c : cases) {
    const TCommConfig config = CommConfigFrom([&](const std::string& key) {
      const auto it = c.keys.find(key);
      return it == c.keys.end() ? std::string() : it->second;
    });
    EXPECT_EQ(config.RelayHost, c.relayHost);
    EXPECT_EQ(config.RelayPort, c.relayPort) << c.relayHost;
    EXPECT_EQ(config.FtpPort, c.ftpPort) << c.relayHost;
    EXPECT_EQ(config.CloudHost, c.cloudHost) << c.relayHost;
    EXPECT_EQ(config.CloudPort, c.cloudPort) << c.relayHost;
    EXPECT_FALSE(config.InstallationId.empty());  // never a request without one
  }

  TempDir dir;
  dir.Write("bin/AppInfo.ini", sjis::FromUtf8("[Application]\r\nOEM=STD\r\nRelayServer=relay.example.invalid:8443\r\n"
                                              "CaFile=certs/ca.pem\r\nInstallationId=端末-01\r\n"));
  TAppInfoRec info;
  ASSERT_EQ(LoadAppInfo(dir.Str() + "/bin/rendo", info), 1);
  const TCommConfig config = LoadCommConfig();
  EXPECT_EQ(config.RelayHost, "relay.example.invalid");
  EXPECT_EQ(config.RelayPort, 8443);
  EXPECT_EQ(config.CaFile, "certs/ca.pem");
  EXPECT_EQ(config.InstallationId, "端末-01");
}
