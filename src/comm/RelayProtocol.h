#pragma once
// The relay server's control channel: one HTTP/1.0 GET per TLS connection, written byte for
// byte by us, and a reply read by line number and fixed position. The FTP host and password
// for the archive transfers come from the folder-list reply.
//
// Requests and replies carry the communication password: nothing here logs them.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "comm/CommConfig.h"
#include "platform/DateTime.h"

// One relay folder. Everything but FolderNo and CompanyName stays empty while the folder
// holds no data (blank CompanyName).
struct TRelayFolder {
  std::string FolderNo;
  std::string CompanyName;       // decoded from Base64 and CP932
  std::string Term;
  std::string PeriodStart;       // "yyyy/mm/dd hh:nn"
  std::string PeriodEnd;
  std::string PeriodStartText;   // for display (era form with the era-display setting)
  std::string PeriodEndText;
  std::string SentTime;
  std::string SentTimeText;
  std::string ReceivedTime;      // set only when the folder was collected after its last deposit
  std::string ReceivedTimeText;  // "-" when not collected since
  std::string FolderPassword;
  std::string VersionText;       // "MMmm"
};

struct TRelayInfo {
  std::array<TRelayFolder, 10> Folders;
  std::string FtpHost;
  std::string FtpPassword;
  std::string InstallationId;
};

// The account a request runs under: communication ID and password.
struct TRelayAccount {
  std::string CommId;
  std::string Password;
};

enum TRelayScode { kScodeFolderList = 1720, kScodeDeleteFolder = 1750, kScodeCashBookDeposit = 1810,
                   kScodeDataDeposit = 1820, kScodeCollected = 1830 };

// What a deposit-complete request (1810, 1820) tells the server about the deposited data.
struct TRelayDeposit {
  int FolderNo = 0;      // 1..10
  std::string Name;      // data name (1820) or company name (1810)
  int Term = 0;          // fiscal term number
  TDateTime PeriodStart = 0;
  TDateTime PeriodEnd = 0;
  int VerMajor = 0;
  int VerMinor = 0;
};

// "+" -> "%2b", "=" -> "%3d"; everything else unchanged.
std::string UrlEscapeBase64(std::string_view text);
// The CP932 bytes of the text with every byte outside A-Z a-z 0-9 "-" "." "_" "~" as "%XX",
// so that "&", blanks or line breaks in an ID or password cannot change the request.
std::string EscapeRequestValue(std::string_view text);

// Whole request bytes for the relay host `host`.
std::string FolderListRequest(const std::string& host, const std::string& installationId,
                              const TRelayAccount& account, const std::string& trKubn);  // "" = no sTRKubn
std::string DeleteFolderRequest(const std::string& host, const std::string& installationId,
                                const TRelayAccount& account, int folderNo);
std::string DepositRequest(const std::string& host, int scode, const std::string& installationId,
                           const TRelayAccount& account, const TRelayDeposit& deposit);
std::string CollectedRequest(const std::string& host, const std::string& installationId,
                             const TRelayAccount& account, int folderNo);

// The reply as numbered lines: LF ends a line, a CR before it is dropped, empty lines before
// the first non-empty one are skipped. False when the reply is larger than any reply of the
// protocol (line too long or too many lines).
bool ReadReplyLines(std::string_view reply, std::vector<std::string>& lines);

struct TRelayResult {
  enum Outcome { Ok, ServerStatus, ConnectFailure } outcome = ConnectFailure;
  std::string status;  // the three status characters, when the status line was read
  std::string time;    // 1810/1820/1830: the sent or received time "yyyymmddhhnn"
  bool ok() const { return outcome == Ok; }
};

// Reads a folder-list reply into `info` (only when its status is "000"). The display texts
// follow the operator's era-display setting (SystemDef.R4Bit10).
TRelayResult ReadFolderListReply(std::string_view reply, TRelayInfo& info);
// Reads the reply of 1750, 1810, 1820 or 1830.
TRelayResult ReadCompletionReply(int scode, std::string_view reply);

// The message the caller shows for a failed request; empty when the request succeeded and
// for connection failures of the completion requests (their chains have texts of their own).
std::string RelayFailureMessage(int scode, const TRelayResult& result);

// Sends the request bytes over a new TLS connection to the configured relay server (TLS 1.2
// or later, certificate chain and host name verified) and reads the reply until the server
// closes. False on any connection, verification, time-out or size failure.
bool RelayExchange(const TCommConfig& config, const std::string& request, std::string& reply);

// 1720: fills `info` (and its installation identifier) when the status is "000".
// trKubn: "10" for the data account in OEM kinds 1 and 2, "2" for the cash-book account,
// "" otherwise.
TRelayResult GetRelayFolderList(const TCommConfig& config, const TRelayAccount& account,
                                const std::string& trKubn, TRelayInfo& info);
// Sends one completion request (built by the functions above) and reads its reply.
TRelayResult SendRelayCompletion(const TCommConfig& config, int scode, const std::string& request);
