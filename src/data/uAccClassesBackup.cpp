#include "data/uAccClassesBackup.h"

#include <unistd.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <memory>

#include "data/DataModule.h"
#include "data/uAccFunction2Win.h"
#include "data/uAccFunctionDb.h"
#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "data/z5ComMyNumber.h"
#include "platform/FileReplace.h"
#include "platform/Paths.h"
#include "platform/TaskQueue.h"
#include "platform/TextLines.h"
#include "platform/UiServices.h"
#include "platform/db/IBError.h"
#include "platform/db/TransactionScope.h"

namespace fs = std::filesystem;

namespace {

const char* const kMarker = "## LomatraZone";
const char* const kBackupStopped = "データベースの保存処理を中止しました。";
const char* const kRestoreStopped = "データベースの復元処理を中止しました。";
const char* const kNotOurData = "指定されたファイルはTallix財務用のデータではありません。";

bool LocalHost(const std::string& host) { return host.empty() || host == "127.0.0.1"; }

// Another program holds the database file of this computer. Such a program has it open
// exclusively, so the attached-database list of our engine does not show it, but an open does.
bool HeldByAnotherProgram(const std::string& dbFile) {
  std::error_code ec;
  if (!fs::is_regular_file(ResolvePath(dbFile), ec)) return false;
  TIBDatabase probe;
  probe.SQLDialect = 3;
  probe.DatabaseName = ResolvePath(dbFile);
  probe.Params = TDM::ConnectParams();
  try {
    probe.Open();
    probe.Close();
    return false;
  } catch (const EIBError& e) {
    probe.ForceClose();
    return e.IBErrorCode == ibdb::kIoError && e.HasStatusCode(ibdb::kAlreadyOpened);
  }
}

// The server's copy of a transferred backup and the key of its transfer row.
std::string ServerFile() {
  return SystemDef.SrvWorkDir + "/" + ChangeFileExt(fw::AccBackupFile, "." + std::to_string(SystemDef.LogonId));
}
std::string TransferKey() { return "QVZ_" + std::to_string(SystemDef.LogonId); }

void EnsureServerWorkDir() {
  if (!DM->DExist(SystemDef.SrvWorkDir, 0)) DM->MkDir(SystemDef.SrvWorkDir, ConnectMode);
}

void DeleteTransferRow(TIBSQL& s, const std::string& key) {
  s.Close();
  s.SQL = "DELETE FROM FILETRANS\nWHERE CONTENT_ID=:CONTENT_ID";
  s.ParamByName("CONTENT_ID").SetString(key);
  s.ExecQuery();
  s.Close();
}

// The file-manager database is given up after a transfer, whatever happened.
struct FileManSession {
  ~FileManSession() {
    if (!DM->IBFileMan.Connected()) return;
    try {
      if (DM->IBTransFileMan.Active()) DM->IBTransFileMan.Rollback();
      DM->IBFileMan.Close();
    } catch (const std::exception&) {
      DM->IBFileMan.ForceClose();
    }
  }
};

// A backup written on the server, carried to this computer through the transfer table.
bool BackupThroughFileMan(const std::string& host, const std::string& dbFile, const std::string& backupFile) {
  EnsureServerWorkDir();
  const std::string serverFile = ServerFile();
  const std::string key = TransferKey();
  if (!DM->BackupFDB(TDM::kProtocolTcp, host, true, serverFile, dbFile)) return false;
  TIBSQL& s = DM->IBSQLFileMan;
  TIBQuery& q = DM->IBQueryFileMan;
  bool ok = false;
  TTransactionScope tx(DM->IBTransFileMan);
  DeleteTransferRow(s, key);
  s.SQL = "INSERT INTO FILETRANS(CONTENT_ID,CONTENT)\nVALUES(:CONTENT_ID,SP_FILETOBLOB(:FILEPATH))";
  s.ParamByName("CONTENT_ID").SetString(key);
  s.ParamByName("FILEPATH").SetString(serverFile);
  s.ExecQuery();
  s.Close();
  DM->IBTransFileMan.CommitRetaining();
  q.Close();
  q.SQL = "SELECT CONTENT_ID,CONTENT FROM FILETRANS\nWHERE CONTENT_ID=:CONTENT_ID";
  q.ParamByName("CONTENT_ID").SetString(key);
  q.Open();
  if (!q.Eof()) {
    const std::string bytes = q.FieldByName("CONTENT").AsBlob();
    // The backup file is replaced only by a complete copy.
    ok = !bytes.empty() && static_cast<bool>(filereplace::Replace(ResolvePath(backupFile), bytes));
  }
  q.Close();
  DeleteTransferRow(s, key);
  return ok;
}

// A backup file of this computer carried to the server through the transfer table and
// restored there.
bool RestoreThroughFileMan(const std::string& host, bool activateIndexes, const std::string& backupFile,
                           const std::string& dbFile) {
  EnsureServerWorkDir();
  const std::string serverFile = ServerFile();
  const std::string key = TransferKey();
  bool transferred = false;
  {
    TIBSQL& s = DM->IBSQLFileMan;
    TTransactionScope tx(DM->IBTransFileMan);
    DeleteTransferRow(s, key);
    s.SQL = "INSERT INTO FILETRANS(CONTENT_ID,CONTENT)\nVALUES(:CONTENT_ID,:CONTENT)";
    s.ParamByName("CONTENT_ID").SetString(key);
    TBufFileStream in(ResolvePath(backupFile), TBufFileStream::fmOpenRead, 64);
    std::string bytes(static_cast<size_t>(in.Size()), '\0');
    for (size_t got = 0; got < bytes.size();) {
      const auto n = in.Read(bytes.data() + got,
                             static_cast<int32_t>(std::min<size_t>(bytes.size() - got, in.BufSize())));
      if (n <= 0) throw EStreamError("バックアップファイルを読み込めませんでした。");
      got += static_cast<size_t>(n);
    }
    s.ParamByName("CONTENT").SetBlob(bytes);
    s.ExecQuery();
    s.Close();
    DM->IBTransFileMan.CommitRetaining();
    s.SQL = "SELECT CONTENT_ID,SP_BLOBTOFILE(:FILEPATH, CONTENT) AS CONTENT FROM FILETRANS\n"
            "WHERE CONTENT_ID=:CONTENT_ID";
    s.ParamByName("FILEPATH").SetString(serverFile);
    s.ParamByName("CONTENT_ID").SetString(key);
    s.ExecQuery();
    transferred = !s.Eof() && s.FieldByName("CONTENT").AsInteger() > 0;
    s.Close();
    DeleteTransferRow(s, key);
  }
  return transferred && DM->RestoreFDB(TDM::kProtocolTcp, host, activateIndexes, serverFile, dbFile);
}

}  // namespace

TBackupRestoreThread::TBackupRestoreThread(bool /*createSuspended*/) {
  CallerName = AppInfo.AppTitle;
  ClearBackupInfo();
}

TBackupRestoreThread::~TBackupRestoreThread() {
  if (!thread_.joinable()) return;
  // The worker may be waiting for a step that only this thread can run.
  while (!IsTerminated()) tasks::PumpFor(std::chrono::milliseconds(10));
  thread_.join();
}

void TBackupRestoreThread::Resume() {
  if (thread_.joinable() || IsTerminated()) return;
  thread_ = std::thread([this] { Execute(); });
}

void TBackupRestoreThread::Step(void (TBackupRestoreThread::*step)()) {
  tasks::MainQueue().Sync([this, step] { (this->*step)(); });
}

void TBackupRestoreThread::Fail(const char* proc, const char* code, const std::string& message1,
                                const std::string& message2) {
  Succeeded = 0;
  ErrorProc = proc;
  ErrorCode = code;
  ErrorMessage1 = message1;
  ErrorMessage2 = message2;
}

void TBackupRestoreThread::Execute() {
  Succeeded = 0;
  Failed = 0;
  ErrorProc.clear();
  ErrorCode.clear();
  ErrorMessage1.clear();
  ErrorMessage2.clear();
  restoring_ = Mode == 1;
  try {
    bool ran = true;
    switch (Mode) {
      case 0:
        if (Confirm == 1) {
          if (USEMYNUMBER == 0) {
            LogMyNumber = 0;
          } else if (USEMYNUMBER == 1) {
            Step(&TBackupRestoreThread::ConfirmMyNumber);
            if (Succeeded == 0) break;
            Succeeded = 0;
          }
        }
        Step(&TBackupRestoreThread::BackupDatabase);
        break;
      case 1:
        if (Confirm == 1) {
          Step(&TBackupRestoreThread::ConfirmMyNumber);
          if (Succeeded == 0) break;
          Succeeded = 0;
        }
        Step(&TBackupRestoreThread::RestoreDatabase);
        break;
      case 2:
        Step(&TBackupRestoreThread::CopyDatabase);
        break;
      case 3:
        Step(&TBackupRestoreThread::RebuildDatabase);
        break;
      default:
        ran = false;
    }
    if (ran) Failed = Succeeded ? 0 : 1;
  } catch (const std::exception& e) {
    // A step that raised (the backup tool missing or failing, a transfer error) ends the
    // operation as failed, with the reason for the user.
    Succeeded = 0;
    Failed = 1;
    if (ErrorCode.empty()) {
      if (restoring_)
        Fail("RestoreDatabase", "200", kRestoreStopped, e.what());
      else
        Fail("BackupDatabase", "100", kBackupStopped, e.what());
    }
  } catch (...) {
    Succeeded = 0;
    Failed = 1;
  }
  Terminate();
}

void TBackupRestoreThread::ConfirmMyNumber() {
  Succeeded = 1;
  if (Mode == 0) {
    if (AskMyNumber != 1) {
      MyNumberAnswer = 6;
    } else if (SystemDef.MyNumberAdmin == 1) {
      uis::MessageRequest request;
      request.kind = uis::MsgKind::Confirmation;
      request.lines = {"保存データにマイナンバー情報を含めますか？"};
      request.buttons = uis::Buttons::YesNo;
      request.defaultResult = uis::mrYes;
      if (uis::Ui().MessageBox(request) == uis::mrYes) {
        MyNumberAnswer = 6;
        TMyNumberIO io;
        io.ReadSettings(Host, DbFile, "", CallerName);
        if (!MyNumberPasswordDlg(io.MyNumberKey)) Fail("BackupDatabase", "100", kBackupStopped, "");
      } else {
        ClearMyNumber = 1;
      }
    } else {
      uis::ShowMessage(uis::MsgKind::Information, "保存データにマイナンバー情報は含まれません。");
      ClearMyNumber = 1;
    }
  } else if (Mode == 1) {
    // Data in use is refused before its settings are read: the target stays untouched.
    if (RefusedInUse()) return;
    TMyNumberIO io;
    io.ReadSettings(Host, DbFile, "", "");
    if (io.MyNumberUse == 1 && USEMYNUMBER == 0)
      Fail("RestoreDatabase", "200", "マイナンバー情報を管理しているデータへの復元はおこなえません。", kRestoreStopped);
    else if (USEMYNUMBER == 1)
      MyNumberAnswer = 7;
  }
}

void TBackupRestoreThread::BackupDatabase() {
  const bool system = DbFile.find(fw::SysDbFile) != std::string::npos;
  if (!system && DbFile.find(fw::AccDbFile) == std::string::npos) {
    Fail("BackupDatabase", "101", kNotOurData, kBackupStopped);
    return;
  }
  std::unique_ptr<TMyNumberIO> kept;
  if (!system) {
    if (LogMyNumber == 1 && MyNumberAnswer == 6) {
      TMyNumberIO io;
      TMyNumberLogRec rec;
      io.MakeLogRec(rec, 6, CallerName);
      io.AddLogOfData(rec, Host, DbFile);
    }
    if (ClearMyNumber == 1) {
      USEMYNUMBER = 0;
      kept = std::make_unique<TMyNumberIO>();
      kept->ReadSettings(Host, DbFile, "MyNumber_Clear", CallerName + "＞データ保存");
    }
  }
  // Settings taken out for the backup go back whatever its outcome.
  auto putBack = [&] {
    if (!kept) return;
    kept->WriteSettings(Host, DbFile);
    USEMYNUMBER = kept->MyNumberUse;
    kept.reset();
  };
  bool ok = false;
  try {
    if (Remote == 0) {
      if (!LocalHost(Host))
        ok = DM->BackupFDB(TDM::kProtocolTcp, Host, false, BackupFile, DbFile);
      else
        ok = DM->BackupFDB(TDM::kProtocolLocal, "", false, BackupFile, DbFile);
    } else {
      FileManSession session;
      if (DM->ConnectFileManDb(SystemDef.HostName))
        ok = BackupThroughFileMan(Host, DbFile, BackupFile);
      else
        ok = DM->BackupFDBByGbak(0, Host, true, BackupFile, DbFile);
    }
    if (ok && WriteInfo == 1 && !system) WriteBackupInfo(BackupFile);
  } catch (...) {
    putBack();
    throw;
  }
  Succeeded = ok ? 1 : 0;
  if (!ok) Fail("BackupDatabase", "100", kBackupStopped, "");
  putBack();
}

bool TBackupRestoreThread::RefusedInUse() {
  const bool system = DbFile.find(fw::SysDbFile) != std::string::npos;
  const bool held = DM->AccDatInConnection(system ? 0 : 1, Host, ExtractFileDir(DbFile), false) ||
                    (Remote == 0 && LocalHost(Host) && HeldByAnotherProgram(DbFile));
  if (held)
    Fail("RestoreDatabase", "202", "このデータは、他のオペレータが使用中のため復元処理を行うことが出来ません。",
         kRestoreStopped);
  return held;
}

void TBackupRestoreThread::RestoreDatabase() {
  const bool system = DbFile.find(fw::SysDbFile) != std::string::npos;
  if (!system && DbFile.find(fw::AccDbFile) == std::string::npos) {
    Fail("RestoreDatabase", "201", kNotOurData, kRestoreStopped);
    return;
  }
  if (RefusedInUse()) return;
  std::unique_ptr<TMyNumberIO> kept;
  if (!system && MyNumberAnswer == 7) {
    kept = std::make_unique<TMyNumberIO>();
    kept->GetLogListOfData(Host, DbFile);
  }
  bool ok = false;
  if (Remote == 0) {
    if (!LocalHost(Host))
      ok = DM->RestoreFDB(TDM::kProtocolTcp, Host, ActivateIndexes != 0, BackupFile, DbFile);
    else
      ok = DM->RestoreFDB(TDM::kProtocolLocal, "", ActivateIndexes != 0, BackupFile, DbFile);
  } else {
    FileManSession session;
    if (DM->ConnectFileManDb(SystemDef.HostName))
      ok = RestoreThroughFileMan(Host, ActivateIndexes != 0, BackupFile, DbFile);
    else
      ok = DM->RestoreFDBByGbak(0, Host, ActivateIndexes != 0, BackupFile, DbFile);
  }
  Succeeded = ok ? 1 : 0;
  if (!ok) {
    Fail("RestoreDatabase", "200", kRestoreStopped, "");
    return;
  }
  if (kept) {
    if (CallerName.empty()) CallerName = AppInfo.AppTitle;
    if (LogMyNumber == 1) {
      TMyNumberLogRec rec;
      kept->MakeLogRec(rec, 7, CallerName);
      kept->AddLogOfData(rec, Host, DbFile);
    }
    kept->MergeLog(Host, DbFile);
  }
}

void TBackupRestoreThread::CopyDatabase() {
  bool ok;
  restoring_ = false;
  if (Remote == 0) {
    const bool tcp = !LocalHost(Host);
    const int protocol = tcp ? TDM::kProtocolTcp : TDM::kProtocolLocal;
    const std::string server = tcp ? Host : std::string();
    ok = DM->BackupFDB(protocol, server, tcp, BackupFile, DbFile);
    restoring_ = true;
    if (ok) ok = DM->RestoreFDB(protocol, server, ActivateIndexes != 0, BackupFile, DbFile2);
  } else {
    ok = DM->BackupFDBByGbak(0, Host, true, BackupFile, DbFile);
    restoring_ = true;
    if (ok) ok = DM->RestoreFDBByGbak(0, Host, ActivateIndexes != 0, BackupFile, DbFile2);
  }
  Succeeded = ok ? 1 : 0;
}

void TBackupRestoreThread::RebuildDatabase() {
  DbFile2 = DbFile;
  CopyDatabase();
}

void TBackupRestoreThread::ClearBackupInfo() {
  SHOUGOU.clear();
  KISHU.clear();
  KIMATU.clear();
  SIWAKE = 0;
  TOTALSIWAKE = 0;
  DATAVARSION.clear();
  GASSAN = 0;
  USEMYNUMBER = 0;
}

bool TBackupRestoreThread::ReadBackupInfo(const std::string& backupFile, bool cut) {
  std::string tail;
  CutFileAtMarker(backupFile, kMarker, tail, cut);
  ClearBackupInfo();
  for (const std::string& line : textlines::FromText(tail)) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string name = line.substr(0, eq);
    const std::string value = line.substr(eq + 1);
    if (name == "SHOUGOU") SHOUGOU = value;
    else if (name == "KISHU") KISHU = value;
    else if (name == "KIMATU") KIMATU = value;
    else if (name == "DATAVARSION") DATAVARSION = value;
    else if (name == "SIWAKE") SIWAKE = SafeStrToInt(value);
    else if (name == "TOTALSIWAKE") TOTALSIWAKE = SafeStrToInt(value);
    else if (name == "GASSAN") GASSAN = SafeStrToInt(value);
    else if (name == "USEMYNUMBER") USEMYNUMBER = SafeStrToInt(value);
  }
  return !SHOUGOU.empty();
}

void TBackupRestoreThread::WriteBackupInfo(const std::string& backupFile) {
  if (SHOUGOU.empty()) return;
  const std::string text = std::string(kMarker) + "\r\n" + "SHOUGOU=" + SHOUGOU + "\r\n" + "KISHU=" + KISHU +
                           "\r\n" + "KIMATU=" + KIMATU + "\r\n" + "SIWAKE=" + std::to_string(SIWAKE) + "\r\n" +
                           "TOTALSIWAKE=" + std::to_string(TOTALSIWAKE) + "\r\n" + "DATAVARSION=" + DATAVARSION +
                           "\r\n" + "GASSAN=" + std::to_string(GASSAN) + "\r\n" +
                           "USEMYNUMBER=" + std::to_string(USEMYNUMBER) + "\r\n";
  const std::string file = ResolvePath(backupFile);
  std::error_code ec;
  const auto before = fs::file_size(file, ec);
  try {
    AppendTextToFile(backupFile, text);
  } catch (...) {
    // A trailer written in part is taken off again: the backup stays as it was made.
    if (!ec) ::truncate(file.c_str(), static_cast<off_t>(before));
    throw;
  }
}
