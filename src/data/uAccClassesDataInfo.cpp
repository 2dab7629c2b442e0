// The data-set descriptor's single-key writers, its company-database operations and the
// take-out and put-back of shared-server data.
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccClasses.h"
#include "data/uAccFunction.h"
#include "data/uAccFunction2Win.h"
#include "data/uAccRecord.h"
#include "data/uAccShellOp.h"
#include "data/z5AppInfo.h"
#include "platform/Paths.h"
#include "platform/UiServices.h"
#include "platform/db/TransactionScope.h"
#include "platform/ini/IniFile.h"

namespace {

const char* const kShareMissing =
    "共有サーバーが起動していない、接続が切断されている \rまたは 共有サーバー上のデータ領域が削除された可能性があります。\r処理を中止します。";
const char* const kShareBroken =
    "共有サーバー上のデータが破損しているため、共有データの取得を中止します。\rデータのバックアップを行っている場合は、"
    "適正な方法で破損前の状態へ戻して下さい。";
const char* const kShareRecreated =
    "共有サーバー上のデータ領域が削除された可能性があります。\r現在の領域設定情報でデータ領域を作成します。";

bool FolderExists(const std::string& folder) {
  std::error_code ec;
  return std::filesystem::is_directory(ResolvePath(folder), ec);
}

// The company database's files of a folder (the database, its settings file, any other
// extension) copied into another folder, which the copy creates. Quiet: the guarded copy
// without its messages.
bool CopyDataFiles(const std::string& from, const std::string& to, int32_t quiet) {
  const std::string pattern = from + "/" + ChangeFileExt(fw::AccDbFile, ".*");
  if (quiet != 1) return SafeCopyMoveFiles(pattern, to, soCopy);
  if (!IsDeletablePath(pattern) || !IsDeletablePath(to)) return false;
  try {
    ShellFileRequest request;
    request.operation = soCopy;
    request.from = pattern;
    request.to = to;
    request.flags = sfSilent | sfNoConfirmation | sfNoConfirmMkDir | sfNoErrorUi;
    return ShellFileOperation(request) == 0 && !request.anyAborted;
  } catch (const std::exception&) {
    return false;
  }
}

// SHARE_STATUS as the folder's own settings file records it (1 when there is none).
int OwnShareStatus(const std::string& folder) {
  const std::string file = TDataInfomation::IniFileName(folder);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(ResolvePath(file), ec)) return 1;
  return TIniFile(file).ReadInteger("DATASTS", "SHARE_STATUS", 1);
}

}  // namespace

void TDataInfomation::WriteIniValue(const std::string& folder, const std::string& section, bool deleteKey,
                                    const std::variant<std::int64_t, std::string>& value, const std::string& key) {
  if (folder.empty() || ConnectKind == 1 || ConnectKind == 2) return;
  IniWriteOrDelete(IniFileName(folder), section, key, deleteKey, value);
}

void TDataInfomation::SetStatus(const std::string& folder, uint8_t status) {
  WriteIniValue(folder, "DATASTS", false, std::int64_t{status}, "STATUS");
  const bool free = status == 1;
  WriteIniValue(folder, "DATASTS", free, std::int64_t{SystemDef.LogonId}, "OPCODE");
  WriteIniValue(folder, "DATASTS", free, SystemDef.OpName, "OPERATOR");
}

void TDataInfomation::SetShareStatus(const std::string& folder, uint8_t status) {
  WriteIniValue(folder, "DATASTS", false, std::int64_t{status}, "SHARE_STATUS");
  const bool free = status == 1;
  WriteIniValue(folder, "DATASTS", free, std::int64_t{SystemDef.LogonId}, "SHARE_OPCODE");
  WriteIniValue(folder, "DATASTS", free, SystemDef.OpName, "SHARE_OPERATOR");
}

bool TDataInfomation::SwitchShareStatus(const std::string& folder, uint8_t status) {
  ReadDataInfo(folder, InfoRec);
  if ((status == 1 || status == 2) && InfoRec.SHARE_STATUS != status) {
    SetShareStatus(folder, status);
    return true;
  }
  return false;
}

void TDataInfomation::RefreshIniFile(const std::string& folder, const std::string& section) {
  if (folder.empty() || ConnectKind == 1 || ConnectKind == 2) return;
  if (!section.empty()) {
    InitDataInfoRec(InfoRec);
    if (section == "DATAINFO") {
      if (DM->fnAccDatConnected(SystemDef.HostName, folder, false)) GetDataInfoRec(InfoRec);
      DM->AccDatDisconnect(folder, false, false);
    }
    WriteIniFile(folder, section, InfoRec);
    return;
  }
  // Opening and closing the data set with its marks writes the whole file.
  if (GetUNCPath(folder) == folder) {
    DM->fnAccDatConnected(SystemDef.HostName, folder, true);
    DM->AccDatDisconnect(folder, true, false);
  }
}

int TDataInfomation::GetDataInfoOfFolder(const std::string& folder, TDataInfomationRec& rec) {
  if (!DM->FExist(folder + "/" + fw::AccDbFile, ConnectKind)) return 0;
  int result = 0;
  if (DM->fnAccDatConnected(SystemDef.HostName, folder, false)) result = GetDataInfoRec(rec);
  DM->AccDatDisconnect(folder, false, false);
  return result;
}

void TDataInfomation::UpdateDataInfomation(const std::string& host, const std::string& folder,
                                           TDataInfomationRec& rec) {
  const char* const kFailed = "データ情報の更新に失敗しました。";
  TDM& dm = *DM;
  try {
    if (dm.fnAccDatConnected(host, folder, false)) {
      TTransactionScope tx(dm.IBTransactionDAT, TTransactionScope::End::Commit);
      TIBQuery& q = dm.IBQACC1;
      q.Close();
      if (TrimZenkaku(rec.DATALISTNAME).empty()) {
        q.SQL = "SELECT ENTTEXT FROM ACCDEF1\nWHERE REC=1";
        q.Open();
        if (!q.Eof()) rec.DATALISTNAME = q.FieldByName("ENTTEXT").AsString();
        q.Close();
      }
      rec.DATALISTNAME = TrimZenkaku(PadRightSJIS(rec.DATALISTNAME, 40));
      q.SQL = "UPDATE ACCDEF1 SET ENTTEXT=:ENTTEXT,DATALOCK=:DATALOCK\nWHERE REC=1";
      q.ParamByName("ENTTEXT").SetString(rec.DATALISTNAME);
      q.ParamByName("DATALOCK").SetInteger(rec.UPDATE_LOCK);
      q.ExecSQL();
      q.Close();
    }
  } catch (const EIBError& e) {
    dm.IBQACC1.Close();
    ReportDbError(e, "TDM.UpdateDataInfomation", kFailed, true);
  } catch (const std::exception& e) {
    dm.IBQACC1.Close();
    ShowErrorDetail(kFailed, e.what(), uis::MsgKind::Error);
  }
  dm.AccDatDisconnect(folder, false, false);
}

namespace {

// The facility rows a facility listing gives for the operator (logon id, or -1 for all): with
// branch accounting the facilities (those the operator holds a right to), without it the one
// company-wide row, and none for any other setting.
int32_t FacilityRows(TDM& dm, int32_t opCode) {
  if (AccInf.SITEN == 0) return 1;
  if (AccInf.SITEN != 1) return 0;
  TIBQuery& q = dm.IBQACC1;
  q.Close();
  if (opCode == -1) {
    q.SQL = "SELECT COUNT(*) AS RECCNT FROM SISETUMST S\nWHERE (TRIM(S.SCODE)<>'')";
  } else {
    q.SQL =
        "SELECT COUNT(*) AS RECCNT FROM SISETUMST S\nINNER JOIN OPLICENSE O ON (O.SCODE=S.SCODE)\n"
        "WHERE (TRIM(S.SCODE)<>'') AND (O.OPCODE=:OPCODE)";
    q.ParamByName("OPCODE").SetInteger(opCode);
  }
  q.Open();
  const int32_t n = q.Eof() ? 0 : q.FieldByName("RECCNT").AsInteger();
  q.Close();
  return n;
}

}  // namespace

bool TDataInfomation::IsUseData(const std::string& folder) {
  if (folder.empty()) return false;
  TDM& dm = *DM;
  if (!dm.FExist(folder + "/" + fw::AccDbFile, ConnectKind)) return true;
  if (TDM::IsSisetuAdmin()) return true;
  bool result = false;
  dm.fnAccDatConnected(SystemDef.HostName, folder, false);
  const bool wasActive = dm.IBTransactionDAT.Active();
  try {
    TTransactionScope tx(dm.IBTransactionDAT, TTransactionScope::End::Commit);
    result = dm.fnGetExistsOpeDefSisetu();
    if (result) {
      dm.fnGetAccInfo();
      // The operator may use the data set when the right covers every facility.
      result = FacilityRows(dm, -1) == FacilityRows(dm, SystemDef.LogonId);
    }
  } catch (const EIBError& e) {
    dm.IBQACC1.Close();
    if (!wasActive) ReportDbError(e, "TDataInfomation.IsUseData", "データ使用権限の問い合わせに失敗しました。", true);
  } catch (const std::exception&) {
    dm.IBQACC1.Close();
    if (!wasActive) ShowErrorDetail("データ使用権限の問い合わせに失敗しました。", "", uis::MsgKind::Error);
  }
  if (!result)
    uis::ShowMessage(uis::MsgKind::Warning,
                     "このデータを扱う権限がありません。\r\r権限を付与するには、管理者でログインし「オペレータ登録」より"
                     "[選択中のデータを処理します]にチェックを入れて下さい。");
  dm.AccDatDisconnect(folder, false, false);
  return result;
}

int TDataInfomation::CopyShareData(const std::string& shared, const std::string& local, int32_t quiet) {
  if (shared.empty() || local.empty()) return 0;
  if (!ForceDirectory(local)) {
    if (quiet != 1) uis::ShowMessage(uis::MsgKind::Warning, "\"" + local + "\"の作成に失敗しました。");
    return 0;
  }
  ReadDataInfo(shared, InfoRec);
  if (InfoRec.STATUS == 10) {
    if (quiet != 1) throw std::runtime_error(kShareBroken);
    return -1;
  }
  if (InfoRec.SHARE_STATUS == 2) {
    // Already taken out: the share is refreshed into the local folder only when that folder is
    // not itself the working copy, whose changes the share does not have yet.
    if (FolderExists(shared)) {
      if (OwnShareStatus(local) != 2) CopyDataFiles(shared, local, quiet);
    } else if (quiet != 1) {
      throw std::runtime_error(kShareMissing);
    }
    return -1;
  }
  if (!FolderExists(shared)) {
    if (quiet != 1) throw std::runtime_error(kShareMissing);
    return 0;
  }
  SetStatus(shared, 7);
  const bool copied = CopyDataFiles(shared, local, quiet);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  if (!copied) {
    // The share stays free for everyone; an incomplete local copy is never marked as the
    // taken-out one, so it can never be put back over the share.
    SetStatus(shared, 1);
    SetStatus(local, 1);
    return 0;
  }
  SetStatus(local, 1);
  SetStatus(shared, 1);
  SetShareStatus(local, 2);
  SwitchShareStatus(shared, 2);
  return 1;
}

int TDataInfomation::RecreateShareArea(const std::string& shared, const std::string& local, int32_t quiet) {
  if (shared.empty() || local.empty()) return 0;
  SwitchShareStatus(shared, 1);
  int result = 1;
  SetShareStatus(local, 1);
  try {
    SetStatus(shared, 7);
  } catch (const EIniFileException&) {
    // The shared folder is gone: the copy below creates it again.
    if (quiet != 1) uis::ShowMessage(uis::MsgKind::Information, kShareRecreated);
  }
  if (CopyDataFiles(local, shared, quiet)) {
    SetStatus(local, 1);
    SetStatus(shared, 1);
    return result;
  }
  result = 0;
  SetStatus(local, 1);
  SetStatus(shared, 1);
  SetShareStatus(local, 2);
  SwitchShareStatus(shared, 2);
  return result;
}
