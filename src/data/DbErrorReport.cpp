#include "data/DbErrorReport.h"

#include <filesystem>
#include <fstream>
#include <string_view>
#include <vector>

#include "data/DataModule.h"
#include "data/DbErrorReportCodes.h"
#include "data/uAccRecord.h"
#include "platform/DateTime.h"
#include "platform/Encoding.h"
#include "platform/FileReplace.h"
#include "platform/Paths.h"

std::function<void()> ProgramEndHook;

namespace {

constexpr int kInternalConsistency = 335544333;

const char* const kEndingTail =
    "\r\r[OK]ボタンを押すとアプリケーションの終了処理に入ります。（[OK]後、何回かメッセージが表示される場合があります）"
    "\rアプリケーションが終了しましたら再起動して下さい。\r";
const char* const kNetworkLost =
    "何らかの原因でネットワークが物理的に切断されている か Firebirdサービス(RDBMS)との通信が切断されました。\r"
    "\r[OK]ボタンを押すとアプリケーションの終了処理に入ります。（[OK]後、何回かメッセージが表示される場合があります）"
    "\rアプリケーションが終了しましたら再起動して下さい。\r";
const char* const kSharedServerNote = "\r※注意 共有サーバーのデータ利用時は自動保管されません。\r";

bool terminating = false;

// The engine's message may run over several lines; in the log each report keeps to its two
// lines, so line breaks inside a field become blanks there.
std::string OneLine(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      out += ' ';
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += c;
    }
  }
  return out;
}

// Appends the lines to the .log file and replaces the .txt file with them. Any failure is
// swallowed: the log is a help for support, the user must still be told.
void WriteLog(const std::string& line1, const std::string& line2) {
  try {
    if (SystemDef.LogDir.empty()) return;
    const std::string dir = ResolvePath(SystemDef.LogDir);
    if (dir.empty()) return;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    const std::string bytes = sjis::FromUtf8(line1) + "\r\n" + sjis::FromUtf8(line2) + "\r\n";

    AppendLinesToLog(dir + "/ErrFbAccess.log", {line1, line2});

    // Replaced whole, so the file never holds half a report.
    filereplace::Replace(dir + "/ErrFbAccess.txt", bytes);
  } catch (...) {
    // Nothing more can be done about a log that cannot be written.
  }
}

}  // namespace

bool AppendLinesToLog(const std::string& path, const std::vector<std::string>& lines) {
  try {
    std::string bytes;
    for (const std::string& line : lines) bytes += sjis::FromUtf8(line) + "\r\n";
    std::ofstream log(path, std::ios::binary | std::ios::app);
    if (!log) return false;
    log.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(log.flush());
  } catch (...) {
    return false;
  }
}

namespace {

void EndProgram() {
  if (ProgramEndHook) ProgramEndHook();
  else uis::Ui().RequestQuit();
}

void ShowEnding(std::string message) {
  if (ConnectMode == 0) message += kSharedServerNote;
  uis::ShowMessage(uis::MsgKind::Error, message);
}

// Up to five tries to drop a connection that the network took away.
void ForceDown(TIBDatabase& db) {
  for (int i = 0; i < 5 && db.Connected(); ++i) {
    try {
      db.ForceClose();
    } catch (...) {
    }
  }
}

void Reconnect() {
  if (!DM) return;
  bool failed = false;

  ForceDown(DM->IBDatabaseDEF);
  if (DM->IBDatabaseDEF.Connected()) failed = true;
  else if (!DM->fnAccDefConnected(SystemDef.HostName, true) || !DM->IBDatabaseDEF.Connected()) failed = true;
  if (failed) {
    terminating = true;
    ShowEnding(kNetworkLost);
    EndProgram();
  }

  ForceDown(DM->IBDatabaseDAT);
  // Only a company database that was opened before (its parameters are kept until an
  // orderly disconnection) is opened again.
  if (!DM->IBDatabaseDAT.Params.empty()) {
    if (DM->IBDatabaseDAT.Connected()) failed = true;
    else if (!DM->fnAccDatConnected(SystemDef.HostName, SystemDef.DataDir, false) || !DM->IBDatabaseDAT.Connected())
      failed = true;
  }
  // The mark is shared: a failed first half shows the message a second time; the message
  // itself warns that it may come several times.
  if (failed) {
    terminating = true;
    ShowEnding(kNetworkLost);
    EndProgram();
  }
}

}  // namespace

bool DbErrorTerminating() { return terminating; }
void ResetDbErrorTerminating() { terminating = false; }

void ShowErrorDetail(const std::string& message, const std::string& detail, uis::MsgKind kind) {
  if (message.empty() && detail.empty()) return;
  std::string text = message;
  if (!detail.empty()) text += "\r\r[詳細情報]\r" + detail;
  uis::ShowMessage(kind, text);
}

void ShowMessageLines(const std::string& message, uis::MsgKind kind) {
  // Split at every comma, with no limit on the number of parts and no comment rule: the
  // messages carry paths, and "//" in a path must not cut the rest of the message away.
  std::string text;
  std::string_view rest = message;
  for (;;) {
    const std::size_t comma = rest.find(',');
    text += rest.substr(0, comma);
    if (comma == std::string_view::npos) break;
    text += '\r';
    rest.remove_prefix(comma + 1);
  }
  uis::ShowMessage(kind, text);
}

void ReportDbError(const EIBError& error, const std::string& context, const std::string& message, bool reconnect) {
  try {
    if (terminating) return;
    const int code = error.IBErrorCode;
    const std::string explanation = DbErrorCodeText(code, error.SQLCode);

    const std::string dbName = DM ? DM->IBDatabaseDAT.DatabaseName : std::string();
    const std::string line1 = FormatDateTime("yyyy/mm/dd hh:nn:ss", Now()) + "," + OneLine(SystemDef.PcName) + "," +
                              std::to_string(SystemDef.LogonId) + ",Serial=" + OneLine(SystemDef.SerialText) +
                              ",AppVer=" + OneLine(SystemDef.AppVerText) + ",DBName=" +
                              OneLine(SystemDef.HostName + ":" + dbName) + ",DataVer=" + OneLine(DataVerText);
    const std::string line2 = "Error=" + OneLine(context) + " [" + std::to_string(code) + "] (" +
                              std::to_string(error.SQLCode) + ") " + OneLine(explanation) + "," +
                              OneLine(error.Message);
    WriteLog(line1, line2);

    std::string text = message;
    if (code == kInternalConsistency) {
      terminating = true;
      text = explanation + kEndingTail;
    }
    if (!text.empty()) {
      if (terminating) {
        ShowEnding(text);
      } else if (code != ibdb::kNetworkError) {
        const std::string detail =
            "IBXエラーコード:" + std::to_string(code) + "\r" + error.Message + "\r" + explanation;
        ShowErrorDetail(text, detail, uis::MsgKind::Error);
      }
    }
    if (terminating) {
      EndProgram();
      return;
    }
    if (reconnect && code == ibdb::kNetworkError) Reconnect();
  } catch (...) {
    // The reporter is the last resort of every error path; it must not raise one itself.
  }
}

void ReportFailure(const std::exception& error, const std::string& context, const std::string& message,
                   bool reconnect) {
  if (const auto* db = dynamic_cast<const EIBError*>(&error)) ReportDbError(*db, context, message, reconnect);
  else ShowErrorDetail(message, error.what(), uis::MsgKind::Error);
}
