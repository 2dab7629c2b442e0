// Connecting and disconnecting the system, company and file-manager databases.
#include <exception>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccClasses.h"
#include "data/uAccFunction.h"
#include "data/z5AppInfo.h"
#include "platform/AsciiCase.h"
#include "platform/Paths.h"

namespace {

const char* const kDefConnectFailed = "システムデータベースの接続処理に失敗しました。";
const char* const kDatConnectFailed =
    "ユーザーデータベースの接続処理に失敗しました。\rDBファイルが削除、破損 または "
    "使用中の可能性がありますので接続パスを確認して下さい。";
// A file held by another program (an engine of another configuration opened it exclusively)
// is neither missing nor damaged; the user needs to know who has it, not the engine's words.
const char* const kDefInUse =
    "システムデータベースは他のプログラムが使用中のため接続できませんでした。\r"
    "他のプログラムを終了してから、もう一度実行して下さい。";
const char* const kDatInUse =
    "ユーザーデータベースは他のプログラムが使用中のため接続できませんでした。\r"
    "他のプログラムを終了してから、もう一度実行して下さい。";
const char* const kInConnectionFailed = "データベースの使用情報の取得に失敗しました。";
const char* const kDropFailed = "ユーザーデータベースの削除処理に失敗しました。\r接続パスを確認して下さい。";

// A local name whose drive letter the drive table does not know: the engine would take the
// letter for a server name, so the file is reported as unreachable instead.
void OpenDatabase(TIBDatabase& db) {
  if (HasDriveLetter(db.DatabaseName))
    throw EIBError(ibdb::kIoError, -902,
                   "I/O error during \"open\" operation for file \"" + db.DatabaseName + "\"\nthe drive is not mapped");
  db.Open();
}

bool HeldByAnotherProgram(const EIBError& e) {
  return e.IBErrorCode == ibdb::kIoError && e.HasStatusCode(ibdb::kAlreadyOpened);
}

// The engine's error in the user's words: the same codes, for the log and the data check.
EIBError InUseError(const EIBError& e, const std::string& file) {
  EIBError inUse(e.IBErrorCode, e.SQLCode, "データベースファイルは他のプログラムが使用中です。\n" + file);
  inUse.StatusCodes = e.StatusCodes;
  return inUse;
}

std::string TrimBlanks(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

}  // namespace

bool TDM::fnAccDefConnected(std::string Host, bool Report) {
  if (Host.empty()) Host = SystemDef.HostName;
  // Once connected, the system database stays where it is, whatever host is asked for.
  if (IBDatabaseDEF.Connected()) return true;
  try {
    SetDatabaseParams(IBDatabaseDEF, DatabaseName(ConnectMode, Host, SystemDef.SysDir, fw::SysDbFile));
    OpenDatabase(IBDatabaseDEF);
    return IBDatabaseDEF.Connected();
  } catch (const std::exception& e) {
    if (!Report) throw;
    if (const auto* db = dynamic_cast<const EIBError*>(&e); db && HeldByAnotherProgram(*db))
      ReportDbError(InUseError(*db, IBDatabaseDEF.DatabaseName), "TDM.fnAccDefConnected", kDefInUse, false);
    else
      ReportFailure(e, "TDM.fnAccDefConnected", kDefConnectFailed, false);
  }
  return false;
}

bool TDM::ConnectFileManDb(std::string Host) {
  try {
    if (!FExist(SystemDef.SysDir + "/" + kFileManDbFile, ConnectMode)) return false;
    if (Host.empty()) Host = SystemDef.HostName;
    if (IBFileMan.Connected()) return true;
    SetDatabaseParams(IBFileMan, DatabaseName(ConnectMode, Host, SystemDef.SysDir, kFileManDbFile));
    OpenDatabase(IBFileMan);
    return IBFileMan.Connected();
  } catch (const std::exception&) {
    return false;
  }
}

bool TDM::fnAccDatConnected(std::string Host, std::string Folder, bool Mark) {
  if (Host.empty()) Host = SystemDef.HostName;
  if (Folder.empty()) Folder = SystemDef.DataDir;
  try {
    // Always a fresh connection, also to the same folder.
    IBDatabaseDAT.Close();
    SetDatabaseParams(IBDatabaseDAT, DatabaseName(ConnectMode, Host, Folder, fw::AccDbFile));
    OpenDatabase(IBDatabaseDAT);
    if (Mark) {
      TDataInfomation info;
      info.ConnectKind = ConnectMode;
      TDataInfomationRec rec;
      info.InitDataInfoRec(rec);
      info.GetDataInfoRec(rec);
      rec.STATUS = 2;
      rec.OPCODE = SystemDef.LogonId;
      rec.OPERATOR = SystemDef.OpName;
      // On a database server the data list says who uses a data set, not the settings file.
      if (ConnectMode == 0) info.WriteIniFile(Folder, "", rec);
    }
    return IBDatabaseDAT.Connected();
  } catch (const EIBError& e) {
    const bool inUse = HeldByAnotherProgram(e);
    if (inUse)
      ReportDbError(InUseError(e, IBDatabaseDAT.DatabaseName), "TDM.fnAccDatConnected", kDatInUse, false);
    else
      ReportDbError(e, "TDM.fnAccDatConnected", kDatConnectFailed, false);
    // False always means disconnected; the data check then sees the file without us on it.
    IBDatabaseDAT.ForceClose();
    // A file that cannot be reached at all (I/O error) is not checked for damage, nor is one
    // that another program holds: it is busy, not broken.
    if (e.IBErrorCode != ibdb::kIoError && !inUse) CallDataCheckHook(Host, Folder, 1, 0);
  } catch (const std::exception& e) {
    ShowErrorDetail(kDatConnectFailed, e.what(), uis::MsgKind::Error);
    IBDatabaseDAT.ForceClose();
  }
  return false;
}

int32_t TDM::AccDatDisconnect(std::string Folder, bool Mark, bool Refresh) {
  if (Folder.empty()) Folder = SystemDef.DataDir;
  if (Mark || Refresh) {
    TDataInfomation info;
    info.ConnectKind = ConnectMode;
    TDataInfomationRec rec;
    info.InitDataInfoRec(rec);
    info.GetDataInfoRec(rec);
    rec.STATUS = 1;  // closed: no operator keys
    if (Mark && ConnectMode == 0) info.WriteIniFile(Folder, "", rec);
    if (Refresh && DataListRefreshHook) {
      TDataListRefreshRec r;
      r.Folder = Folder;
      r.ConnectMode = ConnectMode;
      r.DataPlaceRec = SystemDef.DataPlaceRec;
      r.GroupId = SystemDef.GroupId;
      r.DATACODE = rec.CODE;
      r.SHOUGOU = rec.SHOUGOU;
      r.NENDO = rec.NENDO;
      r.KISHU = SafeStrToDate(rec.KISHU);
      r.KIMATU = SafeStrToDate(rec.KIMATU);
      r.DATATYPE = rec.DATAKBN;
      r.CODETYPE = rec.CODEKBN;
      r.TANTOU = rec.TANTO;
      r.VER_MAJOR = rec.MAJOR;
      r.VER_MINOR1 = rec.MINOR1;
      r.VER_MINOR2 = rec.MINOR2;
      r.VER_TEXT = rec.VERSION2;
      r.GASSAN = rec.GASSANKBN;
      DataListRefreshHook(r);
    }
  }
  if (IBDatabaseDAT.Connected()) IBDatabaseDAT.Close();
  IBDatabaseDAT.Params.clear();
  return 1;
}

bool TDM::AccDatInConnection(int Kind, std::string Host, std::string Folder, bool Keep) {
  if (Host.empty()) Host = SystemDef.HostName;
  Folder = TrimBlanks(Folder);
  if (Folder.empty()) return false;

  TIBServerProperties props;
  props.ServerName = (ConnectMode != 0 && Host != "127.0.0.1") ? Host : "";
  props.Params = {"user_name=" + SystemDef.DbUser, "password=" + SystemDef.DbPassword};
  // The engine of this computer reports the files of this computer, so names are compared in
  // the local form then, whatever the connection mode.
  const uint8_t nameMode = props.ServerName.empty() ? 0 : ConnectMode;

  // Names are made canonical before they are lower-cased: on this system the file names are
  // case-sensitive, so a lower-cased path could no longer be resolved.
  // A database server has no short names of its own (its LONGTOSHORTFILENAME answers the
  // path itself), so its names are compared as they are, without a call per attachment.
  auto comparable = [&](const std::string& name, std::string& out) {
    if (nameMode == 0)
      ShortFileName(name, 0, out);
    else
      out = name;
  };
  std::string target;
  comparable(Folder + "/" + (Kind == 0 ? fw::SysDbFile : fw::AccDbFile), target);
  target = ascii::Lower(target);

  TIBDatabase& own = Kind == 0 ? IBDatabaseDEF : IBDatabaseDAT;
  bool reopen = false;
  bool found = false;
  std::exception_ptr failure;
  try {
    if (!Keep && own.Connected()) {
      own.Close();
      reopen = true;
    }
    props.Attach();
    props.FetchDatabaseInfo();
    for (const std::string& name : props.DatabaseInfo.DbName) {
      std::string attached;
      comparable(name, attached);
      if (ascii::Lower(attached) == target) found = true;
    }
  } catch (...) {
    failure = std::current_exception();
  }
  props.Detach();
  if (reopen) {
    try {
      own.Open();
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
  }
  if (!failure) return found;
  try {
    std::rethrow_exception(failure);
  } catch (const std::exception& e) {
    ReportFailure(e, "TDM.AccDatInConnection", kInConnectionFailed);
  }
  return false;
}

bool TDM::AccDatDropDatabase(std::string Host, std::string Folder) {
  if (Host.empty()) Host = SystemDef.HostName;
  if (Folder.empty()) return false;
  TIBDatabase db;
  db.SQLDialect = 3;
  db.Params.clear();
  // Unlike the connections, "127.0.0.1" counts as a server here: the drop goes through it.
  db.DatabaseName = ConnectMode != 0 ? Host + ":" + Folder + "/" + fw::AccDbFile
                                     : DatabaseName(0, Host, Folder, fw::AccDbFile);
  db.Params = ConnectParams();
  try {
    OpenDatabase(db);
    db.DropDatabase();
    return true;
  } catch (const std::exception& e) {
    ReportFailure(e, "TDM.AccDatDropDatabase", kDropFailed);
  }
  return false;
}
