#include "comm/RelayProtocol.h"

#include <cstdio>

#include "comm/CurlSupport.h"
#include "comm/xPzConv.h"
#include "data/uAccFunction.h"
#include "data/uAccFunction2Date.h"
#include "data/uAccRecord.h"
#include "platform/Encoding.h"

namespace {

// Far above any reply of the protocol (the folder list has 98 lines of a few dozen bytes).
constexpr std::size_t kMaxLineBytes = 4096;
constexpr std::size_t kMaxLines = 512;

// Delphi's Copy(text, from) with a 1-based start: empty when the line is shorter.
std::string From(const std::string& line, std::size_t pos1) {
  return pos1 - 1 < line.size() ? line.substr(pos1 - 1) : std::string();
}
std::string Copy(const std::string& line, std::size_t pos1, std::size_t count) {
  return pos1 - 1 < line.size() ? line.substr(pos1 - 1, count) : std::string();
}

std::string RequestBytes(const std::string& host, int scode, const std::string& params) {
  std::string r = "GET /request.php?Scode=" + std::to_string(scode) + params + " HTTP/1.0\r\n";
  r += "Host: " + host + "\r\n";
  r += "User-Agent: Lomatra\r\n";
  r += "Connection: Close\r\n";
  r += "\r\n\r\n";  // an empty line of its own after the header-ending one
  return r;
}

std::string Param(const char* name, const std::string& value) { return std::string("&") + name + "=" + value; }

std::string TwoDigits(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%2.2d", n);
  return buf;
}

std::string Ymd0000(TDateTime date) {
  int y = 0, m = 0, d = 0;
  DecodeDate(date, y, m, d);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d0000", y, m, d);
  return buf;
}

std::string CommonParams(const std::string& installationId, const TRelayAccount& account) {
  return Param("sSno", EscapeRequestValue(installationId)) + Param("sFName", EscapeRequestValue(account.CommId));
}

// "yyyy/mm/dd hh:nn" from a wire time with separators at 5, 8, 11 and 14.
std::string Reassemble(const std::string& raw) {
  return Copy(raw, 1, 4) + "/" + Copy(raw, 6, 2) + "/" + Copy(raw, 9, 2) + " " + Copy(raw, 12, 5);
}

// Display text of a re-assembled time: with the era setting the date in era form (plus the
// time of day when withTime), else the text itself.
std::string DisplayText(const std::string& text, bool eraDisplay, bool withTime) {
  if (!eraDisplay) return text;
  TDateTime date = 0;
  if (!TryStrToDate(text.substr(0, 10), date)) return text;
  std::string shown = FormatDateStyle("yy/mm/dd", 2, date);
  if (withTime) shown += " " + From(text, 12);
  return shown;
}

}  // namespace

std::string UrlEscapeBase64(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '+') out += "%2b";
    else if (c == '=') out += "%3d";
    else out += c;
  }
  return out;
}

std::string EscapeRequestValue(std::string_view text) { return PercentEncode(sjis::FromUtf8(text)); }

std::string FolderListRequest(const std::string& host, const std::string& installationId,
                              const TRelayAccount& account, const std::string& trKubn) {
  std::string params = CommonParams(installationId, account);
  if (!trKubn.empty()) params += Param("sTRKubn", EscapeRequestValue(trKubn));
  return RequestBytes(host, kScodeFolderList, params);
}

std::string DeleteFolderRequest(const std::string& host, const std::string& installationId,
                                const TRelayAccount& account, int folderNo) {
  return RequestBytes(host, kScodeDeleteFolder, CommonParams(installationId, account) + Param("fSname", TwoDigits(folderNo)));
}

std::string DepositRequest(const std::string& host, int scode, const std::string& installationId,
                           const TRelayAccount& account, const TRelayDeposit& deposit) {
  const std::string name = TxPzConv::EncodeBase64(BlankSplitSJISBytes(sjis::FromUtf8(deposit.Name)));
  std::string params = CommonParams(installationId, account);
  params += Param("fSname", TwoDigits(deposit.FolderNo));
  params += Param("fSg", UrlEscapeBase64(name));
  params += Param("fNe", std::to_string(deposit.Term));
  params += Param("fKis", Ymd0000(deposit.PeriodStart));
  params += Param("fKie", Ymd0000(deposit.PeriodEnd));
  params += Param("fPa", EscapeRequestValue(account.Password));
  params += Param("fYobi", TwoDigits(deposit.VerMajor) + TwoDigits(deposit.VerMinor));
  return RequestBytes(host, scode, params);
}

std::string CollectedRequest(const std::string& host, const std::string& installationId,
                             const TRelayAccount& account, int folderNo) {
  return RequestBytes(host, kScodeCollected, CommonParams(installationId, account) + Param("fSname", TwoDigits(folderNo)));
}

bool ReadReplyLines(std::string_view reply, std::vector<std::string>& lines) {
  lines.clear();
  std::size_t pos = 0;
  while (pos < reply.size()) {
    std::size_t end = reply.find('\n', pos);
    const bool complete = end != std::string_view::npos;
    if (!complete) end = reply.size();
    std::string line(reply.substr(pos, end - pos));
    pos = complete ? end + 1 : end;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > kMaxLineBytes) return false;
    if (lines.empty() && line.empty()) continue;
    if (lines.size() == kMaxLines) return false;
    lines.push_back(std::move(line));
  }
  return true;
}

TRelayResult ReadFolderListReply(std::string_view reply, TRelayInfo& info) {
  const bool eraDisplay = SystemDef.R4Bit10 == 1;
  TRelayResult result;
  std::vector<std::string> lines;
  if (!ReadReplyLines(reply, lines) || lines.size() < 5) return result;
  result.status = Copy(lines[4], 11, 3);
  if (result.status != "000") {
    result.outcome = TRelayResult::ServerStatus;
    return result;
  }
  constexpr std::size_t kFirstBlock = 8, kBlockLines = 9;
  if (lines.size() < kFirstBlock + 10 * kBlockLines) return result;  // reply ended early

  TRelayInfo read;
  read.InstallationId = info.InstallationId;
  read.FtpHost = From(lines[5], 8);
  read.FtpPassword = From(lines[6], 8);
  for (std::size_t i = 0; i < 10; ++i) {
    const std::string* b = &lines[kFirstBlock + i * kBlockLines];
    TRelayFolder& f = read.Folders[i];
    f.FolderNo = From(b[0], 14);
    try {
      f.CompanyName = sjis::ToUtf8(TxPzConv::DecodeBase64(From(b[1], 11)));
    } catch (const EBase64Error&) {
      return result;  // a name that is not Base64: the reply is not one of the protocol's
    }
    if (TrimZenkaku(f.CompanyName).empty()) continue;
    f.Term = From(b[2], 11);
    f.PeriodStart = Reassemble(From(b[3], 12));
    f.PeriodEnd = Reassemble(From(b[4], 12));
    const std::string sentRaw = From(b[5], 11);
    f.SentTime = Reassemble(sentRaw);
    f.FolderPassword = From(b[6], 11);
    f.VersionText = From(b[7], 13);
    const std::string receivedRaw = From(b[8], 11);
    f.PeriodStartText = DisplayText(f.PeriodStart, eraDisplay, false);
    f.PeriodEndText = DisplayText(f.PeriodEnd, eraDisplay, false);
    f.SentTimeText = DisplayText(f.SentTime, eraDisplay, true);
    if (sentRaw < receivedRaw) {
      f.ReceivedTime = Reassemble(receivedRaw);
      f.ReceivedTimeText = receivedRaw.compare(0, 4, "0000") == 0 ? "-" : DisplayText(f.ReceivedTime, eraDisplay, true);
    } else {
      f.ReceivedTimeText = "-";
    }
  }
  info = std::move(read);
  result.outcome = TRelayResult::Ok;
  return result;
}

TRelayResult ReadCompletionReply(int scode, std::string_view reply) {
  TRelayResult result;
  std::vector<std::string> lines;
  const bool timed = scode != kScodeDeleteFolder;
  const std::size_t statusLine = timed ? 6 : 5;
  if (!ReadReplyLines(reply, lines) || lines.size() < statusLine) return result;
  result.status = Copy(lines[statusLine - 1], 11, 3);
  if (timed) result.time = From(lines[4], 8);
  result.outcome = result.status == "000" ? TRelayResult::Ok : TRelayResult::ServerStatus;
  return result;
}

std::string RelayFailureMessage(int scode, const TRelayResult& result) {
  switch (result.outcome) {
    case TRelayResult::Ok:
      return {};
    case TRelayResult::ConnectFailure:
      return scode == kScodeFolderList ? "　\r\nサーバーに接続出来ません。\r\n " : std::string();
    case TRelayResult::ServerStatus:
      break;
  }
  if (scode == kScodeFolderList && result.status == "920") return "　\r\nサーバーに接続出来ません、通信IDを確認して下さい。\r\n ";
  if (scode == kScodeCollected) return "　\r\n完了処理サーバーエラー(" + result.status + ")\r\n ";
  return "　\r\nサーバーエラー(" + result.status + ")\r\n ";
}

TRelayResult GetRelayFolderList(const TCommConfig& config, const TRelayAccount& account,
                                const std::string& trKubn, TRelayInfo& info) {
  std::string reply;
  if (!RelayExchange(config, FolderListRequest(config.RelayHost, config.InstallationId, account, trKubn), reply)) {
    return {};
  }
  const std::string keptId = info.InstallationId;
  info.InstallationId = config.InstallationId;
  TRelayResult result = ReadFolderListReply(reply, info);
  if (!result.ok()) info.InstallationId = keptId;
  return result;
}

TRelayResult SendRelayCompletion(const TCommConfig& config, int scode, const std::string& request) {
  std::string reply;
  if (!RelayExchange(config, request, reply)) return {};
  return ReadCompletionReply(scode, reply);
}
