#include "upgrade/z5DbUpdateScript.h"

#include <strings.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "data/DataModule.h"
#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "platform/Encoding.h"
#include "platform/FileReplace.h"
#include "platform/Folders.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/UiServices.h"

namespace fs = std::filesystem;

std::function<TDateTime()> UpdateScriptClock;
std::string UpdateIsqlProgram;

namespace {

constexpr const char* kScriptName = "qvzdataup.sql";
constexpr const char* kLogName = "qvzdataup.log";

TDateTime ClockNow() { return UpdateScriptClock ? UpdateScriptClock() : Now(); }

std::string Stamp() { return FormatDateTime("yyyy/mm/dd hh:nn:ss", ClockNow()); }

std::string LogFolderFile(const char* name) {
  return IncludeTrailingPathDelimiter(SystemDef.LogDir) + name;
}

bool ReadBytes(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  if (in.bad()) return false;
  bytes = s.str();
  return true;
}

// Lines of a text file: CR LF or LF ends a line; a last line without an end counts too.
std::vector<std::string> SplitLines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t lf = bytes.find('\n', start);
    size_t end = lf == std::string::npos ? bytes.size() : lf;
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    if (lf == std::string::npos) break;
    start = lf + 1;
  }
  return lines;
}

// The password of a CONNECT line echoed into the log, blotted out for the saved copies.
// Works on CP932 bytes: a quote is never part of a double-byte character.
std::string MaskPassword(const std::string& line) {
  std::string out;
  size_t i = 0;
  while (i < line.size()) {
    size_t at = std::string::npos;
    for (size_t k = i; k + 8 <= line.size(); ++k) {
      if (strncasecmp(line.c_str() + k, "PASSWORD", 8) == 0) {
        at = k;
        break;
      }
    }
    if (at == std::string::npos) break;
    size_t q = at + 8;
    while (q < line.size() && (line[q] == ' ' || line[q] == '\t')) ++q;
    if (q >= line.size() || line[q] != '\'') {
      out.append(line, i, at + 8 - i);
      i = at + 8;
      continue;
    }
    size_t end = q + 1;
    for (;;) {
      if (end >= line.size()) break;
      if (line[end] == '\'') {
        if (end + 1 < line.size() && line[end + 1] == '\'') {
          end += 2;
          continue;
        }
        ++end;
        break;
      }
      ++end;
    }
    out.append(line, i, q - i);
    out += "'****'";
    i = end;
  }
  out.append(line, i, std::string::npos);
  return out;
}

std::string JoinCrLf(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) text += l + "\r\n";
  return text;
}

void RemoveQuietly(const std::string& path) {
  std::error_code ec;
  fs::remove(path, ec);
}

}  // namespace

std::string UpdateScriptFile() { return IncludeTrailingPathDelimiter(folders::TempDir()) + kScriptName; }
std::string UpdateLogFile() { return IncludeTrailingPathDelimiter(folders::TempDir()) + kLogName; }

std::string UpdateFileFolder(const TDbVersion& v) {
  const std::string root = ExtractFileDir(ExcludeTrailingPathDelimiter(folders::ProgramDir()));
  char digits[48];
  std::snprintf(digits, sizeof digits, "%d%d%d", v.Major, v.Minor1, v.Minor2);
  return IncludeTrailingPathDelimiter(root) + "sql/" + digits;
}

std::string IsqlProgramPath() {
  if (!UpdateIsqlProgram.empty()) return UpdateIsqlProgram;
  const std::string local = IncludeTrailingPathDelimiter(folders::ProgramDir()) + "isql";
  std::error_code ec;
  if (fs::exists(local, ec)) return local;
  return "isql-fb";
}

std::string SqlLiteral(std::string_view text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') out += '\'';
    out += c;
  }
  out += '\'';
  return out;
}

TUpdateScript::TUpdateScript(TUpdateDb db, const TDbVersion& version) : db_(db), version_(version) {}

bool TUpdateScript::SetNames() const {
  return db_ == TUpdateDb::System ? version_ >= TDbVersion{4, 0, 2} : version_ >= TDbVersion{3, 0, 6};
}

void TUpdateScript::AddHeader() {
  char comment[256];
  std::snprintf(comment, sizeof comment, "/* %s,%s,%d */", Stamp().c_str(), SystemDef.PcName.c_str(),
                SystemDef.LogonId);
  Lines.push_back(comment);
  Lines.push_back("");
  const bool system = db_ == TUpdateDb::System;
  const std::string folder = BackslashToSlash(ExcludeTrailingPathDelimiter(system ? SystemDef.SysDir : SystemDef.DataDir));
  const std::string file = system ? fw::SysDbFile : fw::AccDbFile;
  std::string name;
  if (!SystemDef.HostName.empty()) {
    name = SystemDef.HostName + ":" + folder + "/" + file;
  } else if (SystemDef.GoGlobal != 0) {
    name = ":" + folder + "/" + file;
  } else {
    name = TDM::DatabaseName(0, "", folder, file);
  }
  Lines.push_back("CONNECT " + SqlLiteral(name) + " USER " + SqlLiteral(SystemDef.DbUser) + " PASSWORD " +
                  SqlLiteral(SystemDef.DbPassword) + ";");
  if (SetNames()) Lines.push_back("SET NAMES SJIS_0208;");
}

void TUpdateScript::AddVersionLines() {
  const TDbVersion& v = version_;
  char line[256];
  if (db_ == TUpdateDb::System) {
    std::snprintf(line, sizeof line, "INSERT INTO VERSION(MAJOR,MINOR1,MINOR2,MEMO) VALUES(%d,%d,%d,%s);", v.Major,
                  v.Minor1, v.Minor2, SqlLiteral(Stamp()).c_str());
    Lines.push_back(line);
  } else {
    std::snprintf(line, sizeof line, "UPDATE ACCVERSION SET MAJOR=%d,MINOR1=%d,MINOR2=%d,MEMO=%s", v.Major, v.Minor1,
                  v.Minor2, SqlLiteral(Stamp()).c_str());
    Lines.push_back(line);
    Lines.push_back("WHERE REC=1;");
  }
  Lines.push_back("COMMIT;");
}

void TUpdateScript::AddExit() { Lines.push_back("EXIT;"); }

bool TUpdateScript::AddUpdateFiles(const std::vector<std::string>& files, std::string& missing) {
  std::vector<std::string> added;
  for (const std::string& file : files) {
    std::string bytes;
    if (!ReadBytes(file, bytes)) {
      missing = file;
      return false;
    }
    for (std::string& line : SplitLines(bytes)) {
      if (!line.empty()) added.push_back(sjis::ToUtf8(line));
    }
  }
  Lines.insert(Lines.end(), added.begin(), added.end());
  return true;
}

bool TUpdateScript::Save() const {
  return static_cast<bool>(filereplace::Replace(UpdateScriptFile(), sjis::FromUtf8(JoinCrLf(Lines)), {.mode = 0600}));
}

int32_t RunUpdateStatements(TUpdateDb db, const TDbVersion& version, const std::vector<std::string>& statements) {
  TUpdateScript script(db, version);
  script.AddHeader();
  script.Lines.insert(script.Lines.end(), statements.begin(), statements.end());
  script.AddVersionLines();
  script.AddExit();
  // A script that could not be saved must not leave an older one to run.
  if (!script.Save()) RemoveQuietly(UpdateScriptFile());
  return ExecIsqlScript(version.Text());
}

int32_t RunUpdateFiles(TUpdateDb db, const TDbVersion& version, const std::vector<std::string>& fileNames) {
  std::vector<std::string> paths;
  for (const std::string& name : fileNames) paths.push_back(IncludeTrailingPathDelimiter(UpdateFileFolder(version)) + name);
  TUpdateScript script(db, version);
  script.AddHeader();
  std::string missing;
  if (!script.AddUpdateFiles(paths, missing)) return kStepFileMissing;
  script.AddVersionLines();
  script.AddExit();
  if (!script.Save()) RemoveQuietly(UpdateScriptFile());
  return ExecIsqlScript(version.Text());
}

bool AppendErrDataupLog(const std::vector<std::string>& lines) {
  const std::string path = LogFolderFile("ErrDataup.log");
  std::ofstream out(path, std::ios::binary | std::ios::app);
  if (!out) return false;
  out << JoinCrLf(lines);
  return static_cast<bool>(out);
}

int32_t ExecIsqlScript(const std::string& versionText) {
  const std::string script = UpdateScriptFile();
  const std::string log = UpdateLogFile();
  int32_t result = kStepOk;
  std::error_code ec;
  if (!fs::exists(script, ec)) {
    uis::ShowMessage(uis::MsgKind::Information, "更新ファイル(" + script + ")が見つかりません。\r処理を中止します。");
    return kStepFileMissing;
  }
  RemoveQuietly(log);

  ProcessOptions options;
  // -b: the first failing statement ends the run, so the version lines that follow a step's
  // statements never run after a failure and the data set keeps its version.
  options.argv = {IsqlProgramPath(), "-b", "-i", script, "-e", "-m", "-o", log};
  options.whileWaiting = [] { uis::Ui().ProcessPendingEvents(); };
  const ProcessResult run = RunProcess(options);
  if (!run.started) {
    uis::ShowMessage(uis::MsgKind::Information, "ISQL.EXEが起動できません。\r処理を中止します。");
    // The script holds the database password: it does not stay behind.
    RemoveQuietly(script);
    RemoveQuietly(log);
    return kStepIsqlNotStarted;
  }

  std::string bytes;
  const bool readable = ReadBytes(log, bytes);
  const std::vector<std::string> lines = SplitLines(bytes);
  const bool reportsError =
      lines.size() > 2 && (bytes.find("failed") != std::string::npos || bytes.find("Error") != std::string::npos);
  // isql killed, crashed or refusing its input is no success, whatever the log says.
  if (!readable || !run.Ok() || reportsError) {
    result = kStepIsqlError;
    std::vector<std::string> saved;
    for (const std::string& line : lines) saved.push_back(MaskPassword(line));
    if (!readable) saved.push_back(sjis::FromUtf8("(isql の出力を読めません)"));
    if (!run.Ok()) {
      char status[96];
      std::snprintf(status, sizeof status, "(isql exit status %d, signal %d)", run.exitCode, run.signal);
      saved.push_back(status);
    }
    uis::ShowMessage(uis::MsgKind::Error, "Ver " + versionText + "のデータベース更新に失敗しました。");
    fs::create_directories(SystemDef.LogDir, ec);
    filereplace::Replace(LogFolderFile("ErrDataup.txt"), JoinCrLf(saved));
    AppendErrDataupLog(saved);
  }
  RemoveQuietly(script);
  RemoveQuietly(log);
  return result;
}
