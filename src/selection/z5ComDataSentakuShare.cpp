// Shared data: converting between a local data folder and its registered server path, the
// full row of a data folder, and fetching shared data to its working copy and storing it back.
#include <chrono>
#include <filesystem>
#include <thread>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccFunction.h"
#include "data/uAccFunction2Win.h"
#include "data/uAccFunctionDb.h"
#include "data/uAccRecord.h"
#include "data/uAccShellOp.h"
#include "data/z5AppInfo.h"
#include "platform/AsciiCase.h"
#include "platform/Paths.h"
#include "platform/UiServices.h"
#include "platform/db/IBError.h"
#include "platform/db/TransactionScope.h"
#include "selection/z5ComDataSentaku.h"

namespace {

const char* const kBrokenMessage =
    "共有サーバー上のデータが破損しているため、共有データの取得を中止します。\rデータのバックアップを行っている場合は、"
    "適正な方法で破損前の状態へ戻して下さい。";
const char* const kInUseMessage = "共有データは現在使用されています。";
const char* const kUnreachableMessage =
    "共有サーバーが起動していない、接続が切断されている または 共有サーバー上のデータ領域が削除された可能性があります。";

bool Blank(const std::string& path) { return TrimZenkaku(path).empty(); }

// The folder holds a company database.
bool HoldsDatabase(const std::string& folder) {
  std::error_code ec;
  const std::string real = ResolvePath(IncludeTrailingPathDelimiter(folder) + fw::AccDbFile);
  return !real.empty() && std::filesystem::is_regular_file(real, ec);
}

bool IsFreeAreaName(const std::string& name) { return name == kFreeAreaName || name == kNewAreaName; }

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    const size_t slash = path.find('/', start);
    parts.push_back(path.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  return parts;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  if (from.empty()) return text;
  for (size_t pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos + to.size()))
    text.replace(pos, from.size(), to);
  return text;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Messages

void TDataSentakuListCtl::HolderLines(const std::string& path, const TDataInfomationRec& info) {
  MsgLines = {"【データフォルダ】", "　" + path, "", "【オペレータ】"};
  if (info.SHARE_OPCODE > 0)
    MsgLines.push_back("　" + std::to_string(OperatorCodeOf(info.SHARE_OPCODE, SystemDef.GroupId)));
  MsgLines.insert(MsgLines.end(), {"", "【オペレータ名】", "　" + info.SHARE_OPERATOR});
}

void TDataSentakuListCtl::ShowStateMessage(const std::string& message) {
  uis::MessageRequest request;
  request.kind = uis::MsgKind::Warning;
  request.caption = "選択データの状態";
  size_t start = 0;
  while (true) {
    const size_t cr = message.find('\r', start);
    request.lines.push_back(message.substr(start, cr == std::string::npos ? std::string::npos : cr - start));
    if (cr == std::string::npos) break;
    start = cr + 1;
  }
  if (!MsgLines.empty()) {
    request.lines.emplace_back();
    request.lines.insert(request.lines.end(), MsgLines.begin(), MsgLines.end());
  }
  request.buttons = uis::Buttons::Ok;
  uis::Ui().MessageBox(request);
}

// ---------------------------------------------------------------------------------------
// Paths

bool TDataSentakuListCtl::ConvLocalPathToSharePath(const std::string& path, std::string& sharePath,
                                                   int32_t& netDrive, int32_t& shareLock) {
  if (ListKind == 1) return true;
  sharePath = path;
  netDrive = 0;
  shareLock = 0;
  if (Blank(path)) return false;
  if (ConnectKind != 0) return true;
  const std::string unc = GetUNCPath(path);
  try {
    TTransactionScope tx(DM->IBTransactionDEF, TTransactionScope::End::CommitOrRollback);
    PrepareSql(SQL1, {"SELECT COUNT(REC) AS RECCNT FROM DATALIST", "WHERE (GROUPID=:GROUPID1) AND (UPPER(PASNAME)=:PASNAME1)",
                      "UNION", "SELECT COUNT(REC) AS RECCNT FROM CHILD_DATALIST",
                      "WHERE (GROUPID=:GROUPID2) AND (UPPER(PASNAME)=:PASNAME2)"});
    SQL1.ParamByName("GROUPID1").SetInteger(SystemDef.GroupId);
    SQL1.ParamByName("GROUPID2").SetInteger(SystemDef.GroupId);
    SQL1.ParamByName("PASNAME1").SetString(ascii::Upper(path));
    SQL1.ParamByName("PASNAME2").SetString(ascii::Upper(path));
    SQL1.ExecQuery();
    int sum = 0;
    while (!SQL1.Eof()) {
      sum += SQL1.FieldByName("RECCNT").AsInteger();
      SQL1.Next();
    }
    SQL1.Close();
    if (sum == 0 && path == unc) {
      std::string dataNo, childNo;
      TDM::SplitDataPath(path, dataNo, childNo);
      PrepareSql(SQL1, {"SELECT REC,PASNAME,NETDRIVE,KYOYULOCK FROM DATALIST", "WHERE REC=:REC"});
      SQL1.ParamByName("REC").SetInteger(SafeStrToInt(dataNo));
      SQL1.ExecQuery();
      while (!SQL1.Eof()) {
        sharePath = SQL1.FieldByName("PASNAME").AsString();
        if (!childNo.empty()) sharePath = IncludeTrailingPathDelimiter(sharePath) + childNo;
        netDrive = SQL1.FieldByName("NETDRIVE").AsInteger();
        shareLock = SQL1.FieldByName("KYOYULOCK").AsInteger();
        SQL1.Next();
      }
      SQL1.Close();
    }
  } catch (const EIBError& e) {
    SQL1.Close();
    ReportDbError(e, "TDataSentakuListCtl.ConvLocalPathToSharePath", "", true);
    return false;
  }
  return true;
}

bool TDataSentakuListCtl::GetLocalPathToData(const std::string& path, TDataListRec& row) {
  if (ListKind == 1) return true;
  row.PASNAME = path;
  if (Blank(path)) return false;
  if (ConnectKind != 0) return true;
  const std::string unc = GetUNCPath(path);
  const bool parent = IsParentKind(row.GASSAN);
  try {
    TTransactionScope tx(DM->IBTransactionDEF, TTransactionScope::End::CommitOrRollback);
    PrepareSql(SQL1, {parent ? "SELECT COUNT(REC) AS RECCNT FROM DATALIST" : "SELECT COUNT(REC) AS RECCNT FROM CHILD_DATALIST",
                      "WHERE (GROUPID=:GROUPID) AND (UPPER(PASNAME)=:PASNAME)"});
    SQL1.ParamByName("GROUPID").SetInteger(SystemDef.GroupId);
    SQL1.ParamByName("PASNAME").SetString(ascii::Upper(path));
    SQL1.ExecQuery();
    const int count = SQL1.Eof() ? 0 : SQL1.FieldByName("RECCNT").AsInteger();
    SQL1.Close();
    if (count == 0 && path == unc) {
      const std::vector<std::string> parts = SplitPath(ExcludeTrailingPathDelimiter(path));
      if (parent) {
        PrepareSql(SQL1, {"SELECT PASNAME FROM DATALIST", "WHERE (REC=:REC)"});
        SQL1.ParamByName("REC").SetInteger(SafeStrToInt(parts.back()));
        SQL1.ExecQuery();
        while (!SQL1.Eof()) {
          row.PASNAME = SQL1.FieldByName("PASNAME").AsString();
          row.DataFolder = LocalDataFolder(row);
          SQL1.Next();
        }
        SQL1.Close();
      } else if (parts.size() >= 2) {
        PrepareSql(SQL1, {"SELECT PASNAME FROM CHILD_DATALIST", "WHERE (REC=:REC)"});
        SQL1.ParamByName("REC").SetInteger(SafeStrToInt(parts[parts.size() - 2]));
        SQL1.ExecQuery();
        while (!SQL1.Eof()) {
          const std::string registered = SQL1.FieldByName("PASNAME").AsString();
          if (ExtractFileName(ExcludeTrailingPathDelimiter(registered)) == parts.back()) {
            row.PASNAME = registered;
            row.DataFolder = LocalDataFolder(row);
          }
          SQL1.Next();
        }
        SQL1.Close();
      }
    }
  } catch (const EIBError& e) {
    SQL1.Close();
    ReportDbError(e, "TDataSentakuListCtl.GetLocalPathToData", "", true);
    return false;
  }
  return true;
}

bool TDataSentakuListCtl::GetDataListRecordFromPath(const std::string& path, TDataSentakuRec& row) {
  InitDataListRecord(row, std::string());
  row.ChildCount = 0;
  row.Children.clear();
  row.DataFolder = path;
  ConvLocalPathToSharePath(path, row.PASNAME, row.NETDRIVE, row.KYOYULOCK);
  if (ConnectKind == 0) {
    std::string dataNo, childNo;
    TDM::SplitDataPath(path, dataNo, childNo);
    row.REC = SafeStrToInt(dataNo);
  } else {
    row.REC = GetRecByPath(path);
  }
  if (row.REC == 0) row.REC = GetRecByPath(path);
  if (row.REC <= 0) {
    InitDataListRecord(row, std::string());
    return false;
  }
  GetDataListRecord(0, row, false);
  // A folder whose number has no row in the list is no registered data folder.
  if (!RowFound) {
    InitDataListRecord(row, std::string());
    return false;
  }
  GetDataListChildRecord(row, false);
  return true;
}

// ---------------------------------------------------------------------------------------
// Fetch and store

int32_t TDataSentakuListCtl::CheckKyoyuDataGet(TDataSentakuRec& row, int32_t quiet) {
  if (row.PASNAME.empty() || row.DataFolder.empty()) return 0;
  TDataInfomation info;
  info.ConnectKind = ConnectKind;
  TDataInfomationRec server;
  info.InitDataInfoRec(server);
  const bool readable = info.ReadDataInfo(row.PASNAME, server) != 0 || IsFreeAreaName(row.ENTTEXT);
  if (!readable) {
    if (quiet != 1) {
      MsgLines = {"【共有データパス】", row.PASNAME};
      ShowStateMessage(kUnreachableMessage);
    }
    return 0;
  }
  bool broken = server.STATUS == 10;
  if (server.SHOUGOU.empty()) server.SHOUGOU = row.ENTTEXT.empty() ? std::string(kFreeAreaName) : row.ENTTEXT;
  if (server.DATALISTNAME.empty()) server.DATALISTNAME = row.ENTTEXT.empty() ? std::string(kFreeAreaName) : row.ENTTEXT;
  row.ENTTEXT = server.DATALISTNAME;
  row.DispName = server.DATALISTNAME;
  row.UPDATE_LOCK = server.UPDATE_LOCK;
  row.GASSAN = server.GASSANKBN;
  SetFromDataInfo(server, row);
  row.KYOYULOCK = 0;
  UpdateDataListRecord(row, 0, true);
  DeleteDataListChildRecord(row, true);

  if (!broken && IsCombinedKind(row.GASSAN)) {
    row.ChildCount = 0;
    row.Children.clear();
    GetShareSubFolders(row, FolderList);
    const std::vector<std::string> folders = FolderList;
    for (size_t i = 0; i < folders.size(); ++i) {
      if (!HoldsDatabase(folders[i])) continue;
      TDataInfomationRec member;
      info.InitDataInfoRec(member);
      info.ReadDataInfo(folders[i], member);
      if (member.STATUS == 10) broken = true;
      TDataListRec child;
      InitDataListRecord(child, folders[i]);
      child.REC = row.REC;
      child.ROWNO = static_cast<int32_t>(i + 1);
      child.NETDRIVE = row.NETDRIVE;
      child.UPDATE_LOCK = row.UPDATE_LOCK;
      child.GASSAN = kChildKind;
      SetFromDataInfo(member, child);
      child.KYOYULOCK = 0;
      UpdateDataListRecord(child, 0, true);
      row.Children.push_back(child);
      row.ChildCount = static_cast<int32_t>(row.Children.size());
    }
  }
  if (broken) {
    HolderLines(row.PASNAME, server);
    ShowStateMessage(kBrokenMessage);
    return -1;
  }

  int32_t result = info.CopyShareData(row.PASNAME, row.DataFolder, quiet);
  if (result == 0) {
    try {
      info.SetShareStatus(row.PASNAME, 1);
    } catch (const std::exception&) {
    }
    return 0;
  }
  if (result == -1) {
    HolderLines(row.PASNAME, info.InfoRec);
    ShowStateMessage(info.InfoRec.STATUS == 10 ? kBrokenMessage : kInUseMessage);
  }
  row.KYOYULOCK = result == 1 ? 1 : 0;
  UpdateDataListRecord(row, 0, true);
  if (IsCombinedKind(row.GASSAN)) {
    GetLocalSubFolders(row, FolderList);
    for (const std::string& folder : FolderList)
      if (HoldsDatabase(folder)) SafeDeleteFiles(folder, soDelete, false, true);
    for (TDataListRec& child : row.Children) {
      const std::string localFolder = ReplaceAll(child.PASNAME, row.PASNAME, row.DataFolder);
      if (HoldsDatabase(child.PASNAME) && info.CopyShareData(child.PASNAME, localFolder, 1) == 0) break;
      child.KYOYULOCK = row.KYOYULOCK;
      UpdateDataListRecord(child, 0, true);
    }
  }
  return result;
}

int32_t TDataSentakuListCtl::CheckKyoyuDataPut(TDataSentakuRec& row, int32_t quiet) {
  if (row.PASNAME.empty() || row.DataFolder.empty()) return 0;
  TDataInfomation info;
  info.ConnectKind = ConnectKind;
  const int32_t result = info.RecreateShareArea(row.PASNAME, row.DataFolder, quiet);
  if (result == 0) return 0;
  if (result < 0) {
    HolderLines(row.PASNAME, info.InfoRec);
    ShowStateMessage(info.InfoRec.STATUS == 10 ? kBrokenMessage : kInUseMessage);
    return -1;
  }
  row.KYOYULOCK = 0;
  UpdateDataListRecord(row, 0, true);
  GetShareSubFolders(row, FolderList);
  for (const std::string& folder : FolderList) {
    if (!HoldsDatabase(folder)) continue;
    try {
      SafeDeleteFiles(folder, soDelete, false, false);
    } catch (const std::exception&) {
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }
  if (IsCombinedKind(row.GASSAN)) {
    for (TDataListRec& child : row.Children) {
      if (!HoldsDatabase(child.DataFolder)) continue;
      if (info.RecreateShareArea(child.PASNAME, child.DataFolder, 1) < 0) break;
      child.KYOYULOCK = row.KYOYULOCK;
      UpdateDataListRecord(child, 0, true);
    }
  }
  return result;
}

// ---------------------------------------------------------------------------------------
// The data module's refresh of a row after a data set is closed

void InstallDataListRefreshHook() {
  DataListRefreshHook = [](const TDataListRefreshRec& r) {
    TDataSentakuListCtl ctl;
    ctl.ConnectKind = r.ConnectMode;
    ctl.SetDataPlaceRec(r.DataPlaceRec);
    TDataListRec row;
    ctl.InitDataListRecord(row, r.Folder);
    row.GASSAN = r.GASSAN;
    ctl.GetDataListRecord(1, row, true);
    row.GROUPID = r.GroupId;
    row.DATACODE = r.DATACODE;
    row.SHOUGOU = r.SHOUGOU;
    row.NENDO = r.NENDO;
    row.KISHU = r.KISHU;
    row.KIMATU = r.KIMATU;
    row.DATATYPE = r.DATATYPE;
    row.CODETYPE = r.CODETYPE;
    row.TANTOU = r.TANTOU;
    row.VER_MAJOR = r.VER_MAJOR;
    row.VER_MINOR1 = r.VER_MINOR1;
    row.VER_MINOR2 = r.VER_MINOR2;
    row.VER_TEXT = r.VER_TEXT;
    row.GASSAN = r.GASSAN;
    ctl.UpdateDataListRecord(row, 0, true);
  };
}
