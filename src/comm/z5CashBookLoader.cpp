#include "comm/z5CashBookLoader.h"

#include <filesystem>

#include "data/uAccRecord.h"
#include "platform/Encoding.h"
#include "platform/FileReplace.h"
#include "platform/TextLines.h"

TCashBookLoaderBox::TCashBookLoaderBox() {
  Info.Name = "CashBookLoader";
  ReceiveIBDatabase.SQLDialect = 3;
  ReceiveIBTransaction.SetDefaultDatabase(&ReceiveIBDatabase);
  ReceiveIBTransaction.Params = {"read_committed", "rec_version", "nowait"};
}

void TCashBookLoaderBox::OpenReceivedDatabase(const std::string& path) {
  ReceivedPath = path;
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return;
  ReceiveIBDatabase.DatabaseName = path;
  ReceiveIBDatabase.Params = {"user_name=" + SystemDef.DbUser, "password=" + SystemDef.DbPassword, "lc_ctype=SJIS_0208"};
}

void TCashBookLoaderBox::SetAutoRun(bool on) { autoRun_ = on; }

// The import's stages come with the box's form; until then a run stops at once, logged as a
// stopped import, so a caller never takes it for a success.
void TCashBookLoaderBox::RunQuiet() { AddLog(3, -100, "取り込み処理を中止しました。"); }

int TCashBookLoaderBox::ShowModal() {
  RunQuiet();
  return 1;
}

void TCashBookLoaderBox::AddLog(uint8_t kind, int32_t result, const std::string& text) {
  Info.Kind = kind;
  Info.Result = result;
  Info.Text = text;
  Log.push_back(Info);
  lastResult_ = result;
}

int32_t TCashBookLoaderBox::GetResult() const {
  if (Log.empty()) return 0;
  for (const TLomatraSyoriInfo& e : Log)
    if (e.Kind == 3 || e.Result == 1) return e.Result;
  return Log.back().Result;
}

std::string TCashBookLoaderBox::KindCaption(uint8_t kind) {
  switch (kind) {
    case 1: return "情報";
    case 2: return "警告";
    case 3: return "エラー";
  }
  return "";
}

std::string TCashBookLoaderBox::LogFileText(bool csv) const {
  std::vector<std::string> lines;
  for (const TLomatraSyoriInfo& e : Log) {
    std::string line;
    for (const std::string& f : {KindCaption(e.Kind), std::to_string(e.Result), e.Text})
      line += csv ? "'" + f + "'," : f + "\t";
    lines.push_back(line + "\r\n");
  }
  return textlines::ToText(lines);
}

bool TCashBookLoaderBox::SaveLogFile(const std::string& path, bool csv) const {
  return static_cast<bool>(filereplace::Replace(path, sjis::FromUtf8(LogFileText(csv))));
}
