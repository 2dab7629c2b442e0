// Backup, restore and validation of databases: through the Firebird services, or through the
// backup tool gbak when only its client side can reach the server.
//
// Nothing here leaves a half-written file under a name the user knows: a backup is written
// under a work name and renamed to the backup file when complete, a restore creates a new
// database beside the target and renames it over the target only after success.
#include <cerrno>
#include <exception>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string_view>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccFunction2Win.h"
#include "data/z5AppInfo.h"
#include "platform/AsciiCase.h"
#include "platform/FileReplace.h"
#include "platform/Folders.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/UiServices.h"
#include "platform/db/TransactionScope.h"

namespace fs = std::filesystem;

namespace {

const char* const kBackupFailed = "データベースのバックアップに失敗しました。";
const char* const kRestoreFailed = "データベースのリストアに失敗しました。";
const char* const kMoveFailed = "データベースバックアップファイルのMoveに失敗しました。";
const char* const kReplaceFailed = "復元したデータベースで元のデータベースを置き換えられませんでした。";

std::vector<std::string> ServiceParams() {
  return {"user_name=" + SystemDef.DbUser, "password=" + SystemDef.DbPassword};
}

bool IsCompanyDb(const std::string& dbFile) { return dbFile.find(fw::AccDbFile) != std::string::npos; }

bool Blank(const std::string& s) { return s.find_first_not_of(" \t\r\n") == std::string::npos; }

// Reads a service's output to its end, keeping the user interface alive between the lines,
// and raises unless the line that the tool writes when it has finished was among them. The
// engine's own backup tool does not always fail its service when it stops early: a restore
// from a truncated backup ends with a database holding part of the data and no error.
void Drain(TIBControlService& svc, std::string_view finished, const char* incomplete) {
  bool done = false;
  while (!svc.Eof()) {
    const std::string line = svc.GetNextLine();
    if (line.find(finished) != std::string::npos) done = true;
    uis::Ui().ProcessPendingEvents();
  }
  if (!done) throw std::runtime_error(incomplete);
}

// Puts a finished local file in the place of the target: a rename, or when they lie on
// different file systems a copy written beside the target and renamed over it.
bool MoveOver(const std::string& from, const std::string& to) {
  std::error_code ec;
  fs::rename(from, to, ec);
  if (!ec) return true;
  if (ec != std::errc::cross_device_link) return false;
  const filereplace::Result r = filereplace::Replace(to, [&](filereplace::Sink& out) {
    std::ifstream in(from, std::ios::binary);
    if (!in) return EIO;
    std::vector<char> block(1 << 20);
    while (in) {
      in.read(block.data(), static_cast<std::streamsize>(block.size()));
      if (in.gcount() > 0)
        if (int err = out.Write(block.data(), static_cast<size_t>(in.gcount()))) return err;
    }
    return in.eof() ? 0 : EIO;
  });
  if (!r) return false;
  fs::remove(from, ec);
  return true;
}

void RemoveQuietly(const std::string& file) {
  std::error_code ec;
  fs::remove(file, ec);
}

std::string ReadText(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The gbak run of this computer: the log in the work folder, gone before the run (the tool
// refuses to write over one).
std::string GbakLog() {
  const std::string dir = SystemDef.WorkDir.empty() ? folders::TempDir() : ResolvePath(SystemDef.WorkDir);
  return dir + "/gbak.log";
}

// Runs gbak with the credentials in its environment and the user interface alive while it
// works. A tool that cannot be started raises `notStarted`; an error in its log, or a run
// that did not end well, raises `failed` followed by the log.
void RunGbak(const std::string& program, const std::vector<std::string>& args, const std::string& log,
             const std::string& notStarted, const std::string& failed) {
  ProcessOptions options;
  options.argv.push_back(program);
  options.argv.insert(options.argv.end(), args.begin(), args.end());
  options.env = {{"ISC_USER", SystemDef.DbUser}, {"ISC_PASSWORD", SystemDef.DbPassword}};
  options.waitStep = std::chrono::milliseconds(10);
  options.whileWaiting = [] { uis::Ui().ProcessPendingEvents(); };
  const ProcessResult result = RunProcess(options);
  if (!result.started) throw std::runtime_error(notStarted);
  std::error_code ec;
  const std::string text = fs::exists(log, ec) ? ReadText(log) : std::string();
  if (text.find("ERROR") != std::string::npos || !result.Ok())
    throw std::runtime_error(failed + (text.empty() ? result.err : text));
}

// A restored company database is not left attached: the caller connects it afresh.
void LetRestoredCompanyGo(TDM& dm, const std::string& dbFile) {
  try {
    dm.AccDatDisconnect(ExtractFileDir(dbFile), false, false);
  } catch (const std::exception&) {
    dm.IBDatabaseDAT.ForceClose();
  }
}

}  // namespace

bool TDM::BackupFDB(int protocol, const std::string& server, bool remote, const std::string& backupFile,
                    const std::string& dbFile) {
  const bool local = protocol == kProtocolLocal;
  const std::string db = local ? ResolvePath(dbFile) : dbFile;
  const std::string target = remote ? backupFile : ExtractFileDir(db) + "/" + ChangeFileExt(fw::AccBackupFile, ".fb_");
  const bool moveAfter = !remote && ascii::Lower(target) != ascii::Lower(local ? ResolvePath(backupFile) : backupFile);
  std::exception_ptr failure;
  try {
    IBBackupService1.ServerName = local ? std::string() : server;
    IBBackupService1.Params = ServiceParams();
    IBBackupService1.Attach();
    IBBackupService1.DatabaseName = db;
    IBBackupService1.BackupFile = {target};
    IBBackupService1.Options = TIBBackupService::IgnoreLimbo | TIBBackupService::NoGarbageCollection |
                               TIBBackupService::NonTransportable;
    IBBackupService1.Verbose = true;
    IBBackupService1.ServiceStart();
    Drain(IBBackupService1, "closing file, committing, and finishing", "データベースのバックアップが最後まで終わりませんでした。");
    if (moveAfter) {
      if (local) {
        // A rename over the earlier backup: it stays as it was until the new one is complete.
        if (!MoveOver(target, ResolvePath(backupFile))) throw std::runtime_error(kMoveFailed);
      } else {
        if (FExist(backupFile, ConnectMode)) FDel(backupFile, ConnectMode);
        if (!FMove(target, backupFile, ConnectMode)) throw std::runtime_error(kMoveFailed);
      }
    }
  } catch (...) {
    failure = std::current_exception();
  }
  IBBackupService1.Detach();
  if (!failure) return true;
  if (moveAfter && local) RemoveQuietly(target);
  try {
    std::rethrow_exception(failure);
  } catch (const std::exception& e) {
    ReportFailure(e, "TDM.BackupFDB", kBackupFailed, true);
  }
  return false;
}

bool TDM::RestoreFDB(int protocol, const std::string& server, bool activateIndexes, const std::string& backupFile,
                     const std::string& dbFile) {
  const bool local = protocol == kProtocolLocal;
  const bool serverFiles = !local && (ConnectMode == 1 || ConnectMode == 2);
  const std::string db = local ? ResolvePath(dbFile) : dbFile;
  const bool company = IsCompanyDb(dbFile);
  // A new database beside the target; a server's files are replaced through its file routines.
  const bool viaWork = local || serverFiles;
  const std::string work = viaWork ? ExtractFileDir(db) + "/" + ChangeFileExt(fw::AccDbFile, ".fr_") : db;
  bool replaced = false;
  bool ok = false;
  std::exception_ptr failure;
  try {
    IBRestoreService1.ServerName = local ? std::string() : server;
    IBRestoreService1.Params = ServiceParams();
    IBRestoreService1.Attach();
    IBRestoreService1.DatabaseName = {work};
    IBRestoreService1.BackupFile = {local ? ResolvePath(backupFile) : backupFile};
    IBRestoreService1.PageBuffers = 4096;
    IBRestoreService1.PageSize = 16384;
    IBRestoreService1.Verbose = true;
    IBRestoreService1.Options = TIBRestoreService::Replace | TIBRestoreService::CreateNewDB |
                                (activateIndexes ? 0u : TIBRestoreService::DeactivateIndexes);
    IBRestoreService1.ServiceStart();
    Drain(IBRestoreService1, "finishing, closing, and going home", "バックアップファイルが途中で終わっています。");
    IBRestoreService1.Detach();
    if (viaWork) {
      if (company && IBDatabaseDAT.Connected()) IBDatabaseDAT.Close();
      const bool moved = local ? MoveOver(work, db) : FMove(work, db, ConnectMode);
      if (!moved) throw std::runtime_error(kReplaceFailed);
    }
    replaced = true;
    ok = true;
    if (company) {
      std::string host = server;
      if ((ConnectMode == 1 || ConnectMode == 2) && local && server.empty()) host = "127.0.0.1";
      if (!fnAccDatConnected(host, ExtractFileDir(dbFile), false)) {
        ok = false;
      } else {
        TTransactionScope tx(IBTransactionDAT);
        IBQACC1.Close();
        IBQACC1.SQL = "DELETE FROM OPINF";
        IBQACC1.ExecSQL();
        IBQACC1.Close();
      }
    }
  } catch (...) {
    failure = std::current_exception();
    ok = false;
  }
  IBRestoreService1.Detach();
  if (failure && viaWork && !replaced) {
    if (local)
      RemoveQuietly(work);
    else if (FExist(work, ConnectMode))
      FDel(work, ConnectMode);
  }
  if (failure) {
    try {
      std::rethrow_exception(failure);
    } catch (const std::exception& e) {
      ReportFailure(e, "TDM.RestoreFDB", kRestoreFailed, true);
    }
  }
  if (company) LetRestoredCompanyGo(*this, dbFile);
  return ok;
}

bool TDM::BackupFDBByGbak(int /*n*/, const std::string& host, bool remote, const std::string& backupFile,
                          const std::string& dbFile) {
  if (host == "127.0.0.1") return BackupFDB(kProtocolLocal, host, remote, backupFile, dbFile);
  const std::string log = GbakLog();
  RemoveQuietly(log);
  const std::string dbArg = host.empty() ? ResolvePath(dbFile) : host + ":" + dbFile;
  // The tool writes beside the backup file; the backup file is replaced only by a whole backup.
  const std::string target = ResolvePath(backupFile);
  const std::string work = target + ".gb_";
  RemoveQuietly(work);
  try {
    RunGbak(GbakProgram, {"-b", "-g", "-y", log, dbArg, work}, log,
            "バックアップツール(gbak.exe)が起動出来ませんでした。\r処理を終了します。",
            "バックアップ中にエラーが発生しました。\r");
    if (!MoveOver(work, target)) throw std::runtime_error(kMoveFailed);
  } catch (...) {
    RemoveQuietly(work);
    throw;
  }
  return true;
}

bool TDM::RestoreFDBByGbak(int /*n*/, const std::string& host, bool activateIndexes, const std::string& backupFile,
                           const std::string& dbFile) {
  if (host == "127.0.0.1") return RestoreFDB(kProtocolLocal, host, activateIndexes, backupFile, dbFile);
  const std::string log = GbakLog();
  RemoveQuietly(log);
  std::error_code ec;
  if (!fs::is_regular_file(ResolvePath(backupFile), ec)) return false;
  const bool company = IsCompanyDb(dbFile);
  const bool onServer = !host.empty();
  const std::string db = onServer ? dbFile : ResolvePath(dbFile);
  const std::string work = ExtractFileDir(db) + "/" + ChangeFileExt(fw::AccDbFile, ".fr_");
  const std::string workArg = onServer ? host + ":" + work : work;
  bool replaced = false;
  bool ok = false;
  try {
    RunGbak(GbakProgram, {"-rep", "-bu", "4096", "-p", "16384", "-y", log, ResolvePath(backupFile), workArg}, log,
            "レストアツール(gbak.exe)が起動出来ませんでした。\r処理を終了します。",
            "レストア中にエラーが発生しました。\r");
    if (company && IBDatabaseDAT.Connected()) IBDatabaseDAT.Close();
    const bool moved = onServer ? FMove(work, db, ConnectMode) : MoveOver(work, db);
    if (!moved) throw std::runtime_error(kReplaceFailed);
    replaced = true;
    ok = true;
    if (company) {
      if (!fnAccDatConnected(host, ExtractFileDir(dbFile), false)) {
        ok = false;
      } else {
        TTransactionScope tx(IBTransactionDAT);
        IBQACC1.Close();
        IBQACC1.SQL = "DELETE FROM OPINF";
        IBQACC1.ExecSQL();
        IBQACC1.Close();
      }
    }
  } catch (const std::exception& e) {
    ok = false;
    if (!replaced) {
      if (!onServer)
        RemoveQuietly(work);
      else if (FExist(work, ConnectMode))
        FDel(work, ConnectMode);
    }
    ReportFailure(e, "TDM.RestoreFDB", kRestoreFailed, true);
  }
  if (company) LetRestoredCompanyGo(*this, dbFile);
  return ok;
}

bool TDM::ValidateFDB(int protocol, const std::string& server, const std::string& dbFile) {
  const bool wasConnected = IBDatabaseDAT.Connected();
  bool sound = true;
  try {
    if (wasConnected) IBDatabaseDAT.Close();
    IBValidationService1.ServerName = protocol == kProtocolLocal ? std::string() : server;
    IBValidationService1.Params = ServiceParams();
    IBValidationService1.DatabaseName = protocol == kProtocolLocal ? ResolvePath(dbFile) : dbFile;
    IBValidationService1.Options =
        TIBValidationService::ValidateDB | TIBValidationService::ValidateFull | TIBValidationService::IgnoreChecksum;
    IBValidationService1.Attach();
    IBValidationService1.ServiceStart();
    while (!IBValidationService1.Eof()) {
      const std::string line = IBValidationService1.GetNextLine();
      if (!Blank(line)) {
        sound = false;
        break;
      }
    }
    IBValidationService1.Detach();
    if (wasConnected) IBDatabaseDAT.Open();
    return sound;
  } catch (const EIBError& e) {
    IBValidationService1.Detach();
    // A file the engine cannot open or reach is not known to be damaged.
    return e.IBErrorCode == 335544325 || e.IBErrorCode == ibdb::kIoError;
  } catch (const std::exception&) {
    IBValidationService1.Detach();
    return false;
  }
}
