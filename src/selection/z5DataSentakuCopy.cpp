// The data-selection dialog's copy and paste of a whole data set into another row (F2 twice),
// the delete of a row's data set (F5) and the release of a row's assignment to shared data
// on a server (F4 in local mode).
//
// The copy source is marked "コピー中" (status 6) from the first F2 until the paste ends or is
// given up; the paste target is "貼り付け中" (status 7) while its files are replaced. Both
// marks are taken back on every way out, also when a step raises.
#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccClassesBackup.h"
#include "data/uAccFunction.h"
#include "data/uAccFunction2Win.h"
#include "data/uAccShellOp.h"
#include "data/z5AppInfo.h"
#include "platform/AsciiCase.h"
#include "platform/Folders.h"
#include "platform/Paths.h"
#include "platform/UiServices.h"
#include "selection/z5DataSentaku.h"
#include "selection/z5DataSentakuCopy.h"
#include "selection/z5GassanSyori.h"
#include "selection/z5ServerSentaku.h"
#include "ui/PerfectGrid.h"
#include "ui/z5MessageDlg.h"
#include "ui/z5MessageDlg2.h"

using namespace forms;
namespace fs = std::filesystem;

namespace {

constexpr const char* kBrokenMemberCopy = "合算・分散データに破損したデータが存在するため、データのコピーを中止します。";
constexpr const char* kBrokenMemberDelete = "合算・分散データに破損したデータが存在するため、データの削除を中止します。";
constexpr const char* kRestoreHint = "データのバックアップを行っている場合は、適正な方法で破損前の状態へ戻して下さい。";
constexpr const char* kContactHint = "ご不明な点がございましたら、お問い合わせ先をご確認の上ご連絡下さい。";
constexpr const char* kDeleteFailed = "データの削除に失敗しました。\r";
constexpr const char* kTargetInSource = "貼付先にコピー元のパスが含まれています。処理を中断します。";

std::string NoSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}
std::string DbName() { return fw::AccDbFile.empty() ? std::string("qvacc.fdb") : fw::AccDbFile; }
std::string BackupName() { return fw::AccBackupFile.empty() ? std::string("qvacc.fbk") : fw::AccBackupFile; }
bool ServerModes() { return ConnectMode == 1 || ConnectMode == 2; }

// A stand-alone information (kind 2) or confirmation (kind 3) of up to three lines; true on OK.
bool Info2(uint8_t kind, const std::vector<std::string>& lines) {
  TMessage2InfoRec info;
  InitMessage2Info(kind, info);
  for (size_t i = 0; i < lines.size() && i < 3; ++i) info.Lines[i].Text = lines[i];
  return ShowMessage2(info) == mrOk;
}

// Is `folder` the same as, or a folder above, `guarded`? Both compared in their normal form.
bool IsAtOrAbove(const std::string& folder, const std::string& guarded) {
  if (guarded.empty()) return false;
  const std::string f = ascii::Lower(NormalisePath(ResolvePath(folder)));
  const std::string g = ascii::Lower(NormalisePath(ResolvePath(guarded)));
  if (f.empty() || g.empty()) return false;
  return g == f || (g.size() > f.size() && g.compare(0, f.size(), f) == 0 && (f == "/" || g[f.size()] == '/'));
}

}  // namespace

std::string CopyNameOf(const std::string& name) {
  return TrimZenkaku(PadRightSJIS(name + "～コピー", 40));
}

bool IsDataFolderDeletable(const std::string& folder) {
  const std::string f = TrimZenkaku(folder);
  if (f.empty()) return false;
  if (!HasDriveLetter(f) && f.front() != '/') return false;  // relative: depends on the working folder
  if (!IsDeletablePath(f)) return false;
  for (const std::string& guarded : {SystemDef.SysDir, SystemDef.AppDataDir})
    if (IsAtOrAbove(f, guarded)) return false;
  return true;
}

// ---------------------------------------------------------------------------------------
// Copy and paste

bool TDataSentakuBox::DataCopyPaste() {
  const int row = PerfectGrid1->Row();
  if (row == TPerfectGrid::kNoRow || row < 0 || row >= PerfectGrid1->Rows()) return true;
  return CopyPending ? CopyStep(row) : PasteStep(row);
}

bool TDataSentakuBox::CopyStep(int row) {
  TDataListRec& rec = GetRowRecord(row);
  const std::string folder = GetRowDataFolder(row);
  auto refuse = [&] {
    CopyPending = false;
    UpdateFunctionKeys();
    return true;
  };
  if (DM && DM->CallDataCheckHook(SystemDef.HostName, folder, 0, 0) == 0) {
    rec.DATA_STATUS = 1;
    CopyPending = false;
    RefreshRows(row);
    UpdateFunctionKeys();
    return true;
  }
  const TDataSentakuRec& parent = Rows.at(std::stoi("0" + PerfectGrid1->CellText(kColIndex, row)));
  if (IsCombinedKind(parent.GASSAN) &&
      std::any_of(parent.Children.begin(), parent.Children.end(), [](const TDataListRec& c) { return c.DATA_STATUS == 1; })) {
    CopyPending = false;
    Info2(2, {kBrokenMemberCopy, kRestoreHint, kContactHint});
    UpdateFunctionKeys();
    return true;
  }
  const uint8_t s = CheckDataStatus(folder, true, true);
  const bool allowed = ConnectMode == 0 ? s == 1 : (s == 1 || s == 2);
  if (!allowed) {
    CopyPending = false;
    RefreshRows(row);
    UpdateFunctionKeys();
    return true;
  }
  if (!DataInfo.IsUseData(folder)) return refuse();
  if (ServerModes() && s == 2 && !Info2(3, {"このデータは他のオペレータが使用中です。コピーしますか？"})) return refuse();
  CopySourceFolder = folder;
  CopySource = rec;
  CopyName = CopyNameOf(rec.ENTTEXT);
  CopySource.DispName = CopyName;
  CopySourceIndex = std::stoi("0" + PerfectGrid1->CellText(kColIndex, row));
  SetDataStatus(folder, 6);
  return true;
}

bool TDataSentakuBox::PasteStep(int row) {
  TDataListRec& rec = GetRowRecord(row);
  const std::string folder = GetRowDataFolder(row);
  const std::string source = CopySourceFolder;
  auto giveUp = [&] {
    if (!source.empty()) SetDataStatus(source, 1);
    return true;
  };
  if (source.empty()) return true;
  if (NoSlash(folder) == NoSlash(source)) return giveUp();
  if (CopySource.GASSAN == kChildKind && CopySource.REC == rec.REC) {
    uis::ShowMessage(uis::MsgKind::Information, "同ブロックの分散入力データからの貼り付けは行えません。\r");
    return giveUp();
  }
  const uint8_t s = CheckDataStatus(folder, false, true);
  if (s != 1 && s != 10) {
    if (ServerModes() && s == 2) Info2(2, {"このデータは他のオペレータが使用中のため貼り付けは行えません。"});
    return giveUp();
  }
  bool broken = false;
  if (s == 10) {
    broken = true;
    if (DM) DM->AccDatDisconnect(folder, false, false);
  } else if (!DataInfo.IsUseData(folder)) {
    return giveUp();
  }

  uis::Ui().ProgressShow("コピー中", "データのコピー中…");
  bool copied = true;
  bool targetMarked = false;
  // The end steps run whatever happened: no mark is left behind on either folder.
  auto finish = [&] {
    if (targetMarked) SetDataStatus(folder, 1);
    uis::Ui().ProgressClose();
    SetDataStatus(source, 1);
    activateWindow();
    raise();
  };
  try {
    TDataInfomationRec sourceInfo;
    DataInfo.InitDataInfoRec(sourceInfo);
    DataInfo.ReadDataInfo(source, sourceInfo);
    const bool go = broken ? Info2(3, {"このデータは破損データのため、データ間の照合チェックは行わずに貼り付けを行います。",
                                       "よろしいですか？"})
                           : CheckPasteTarget("貼り付け", sourceInfo, folder);
    if (go) {
      const int32_t kindBefore = rec.GASSAN;
      if (ConnectMode == 0 && rec.GASSAN != kChildKind &&
          ascii::Lower(IncludeTrailingPathDelimiter(folder)).find(ascii::Lower(IncludeTrailingPathDelimiter(source))) == 0)
        throw std::runtime_error(kTargetInSource);
      SetDataStatus(folder, 7);
      targetMarked = true;
      uis::Ui().ProgressShow("コピー中", "データのコピー中…");
      if (ServerModes()) {
        uis::Ui().ProgressText("データをコピー中…");
        TBackupRestoreThread t(true);
        rec.DATALOCK = OperatorCodeOf(SystemDef.LogonId, SystemDef.GroupId);
        ListCtl->UpdateDataListRecord(rec, 1, true);
        try {
          const std::string work = ExtractFileDrive(SystemDef.SysDir) + fw::ServerWorkDir;
          if (!DM->DExist(work, ConnectMode)) DM->MkDir(work, ConnectMode);
          const std::string leftover = IncludeTrailingPathDelimiter(SystemDef.TempDir) + BackupName();
          std::error_code ec;
          fs::remove(ResolvePath(leftover), ec);
          t.FreeOnTerminate = false;
          t.CallerName = "データ選択";
          t.Mode = 2;
          t.Remote = 0;
          t.Host = SystemDef.HostName;
          t.DbFile = NoSlash(source) + "/" + DbName();
          t.DbFile2 = NoSlash(folder) + "/" + DbName();
          t.BackupFile = IncludeTrailingPathDelimiter(work) + ChangeFileExt(BackupName(), "." + std::to_string(SystemDef.LogonId));
          t.Confirm = 1;
          t.Resume();
          while (!t.IsTerminated()) WaitWithMessages(500);
          copied = t.Succeeded == 1;
        } catch (...) {
          rec.DATALOCK = 0;
          ListCtl->UpdateDataListRecord(rec, 1, true);
          throw;
        }
        rec.DATALOCK = 0;
        ListCtl->UpdateDataListRecord(rec, 1, true);
      } else {
        if (IsCombinedKind(rec.GASSAN)) ClearChildList(row, true);
        if (rec.GASSAN == kChildKind)
          copied = SafeCopyMoveFiles(NoSlash(source) + "/" + DbName(), folder, soCopy);
        else
          copied = SafeCopyMoveFiles(NoSlash(source) + "/*", folder, soCopy);
      }
      SetDataStatus(folder, 1);
      targetMarked = false;
      FixGassanSettings(row, kindBefore);
      TDataInfomationRec target;
      DataInfo.InitDataInfoRec(target);
      if (DataInfo.GetDataInfoOfFolder(folder, target) == 1) {
        target.DATALISTNAME = CopyName;
        target.UPDATE_LOCK = CopySource.UPDATE_LOCK;
        DataInfo.UpdateDataInfomation(SystemDef.HostName, folder, target);
        DataInfo.WriteIniFile(folder, "DATAINFO", target);
        rec.DATACODE = target.CODE;
        rec.ENTTEXT = CopyName;
        rec.DispName = CopyName;
        rec.UPDATE_LOCK = target.UPDATE_LOCK;
        rec.GASSAN = target.GASSANKBN;
        rec.DATA_STATUS = 0;
        FillRow(row, rec);
        CopyChildList(row);
      } else {
        rec.DATA_STATUS = 1;
      }
      RefreshRows(row);
      PerfectGrid1->update();
      if (SharedDataKind(0, row) == 2 && KyoyuDataPut(1) > 0) {
        RefreshRows(row);
        PerfectGrid1->update();
      }
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
  return copied;
}

// ---------------------------------------------------------------------------------------
// Delete

bool TDataSentakuBox::DataDelete(bool ReportFailure) {
  const int row = PerfectGrid1->Row();
  if (row == TPerfectGrid::kNoRow || row < 0 || row >= PerfectGrid1->Rows()) return true;
  TDataListRec& rec = GetRowRecord(row);
  const std::string folder = GetRowDataFolder(row);
  if (rec.DATA_STATUS != 1) {
    if (DM && DM->CallDataCheckHook(SystemDef.HostName, folder, 0, 0) == 0) {
      rec.DATA_STATUS = 1;
      RefreshRows(row);
      UpdateFunctionKeys();
      return true;
    }
    const TDataSentakuRec& parent = Rows.at(std::stoi("0" + PerfectGrid1->CellText(kColIndex, row)));
    if (IsCombinedKind(parent.GASSAN) &&
        std::any_of(parent.Children.begin(), parent.Children.end(), [](const TDataListRec& c) { return c.DATA_STATUS == 1; })) {
      Info2(2, {kBrokenMemberDelete, kRestoreHint, kContactHint});
      UpdateFunctionKeys();
      return true;
    }
    if (rec.NETDRIVE == 1 && IsParentKind(rec.GASSAN)) {
      Info2(2, {"共有データの削除は行えません。", "[F4:割当解除]後に「共有データの選択」ウィンドウを表示して削除を行って下さい。"});
      return true;
    }
    if (!SystemDef.DataDir.empty() && ascii::Lower(NoSlash(folder)) == ascii::Lower(NoSlash(SystemDef.DataDir))) {
      Info2(2, {SyoriType == 2 ? "このデータは現在選択中のデータのため削除は行えません。"
                               : "このデータは前回起動データのため削除は行えません。"});
      return true;
    }
    const uint8_t s = CheckDataStatus(folder, true, true);
    if (ServerModes() && s == 2) {
      Info2(2, {"このデータは他のオペレータが使用中のため削除は行えません。"});
      return true;
    }
    if (s != 1 || !DataInfo.IsUseData(folder)) return true;
  } else if (DM) {
    DM->AccDatDisconnect(folder, false, false);
  }

  TMessageInfoRec info;
  InitMessageInfo(info);
  info.Kind = 2;
  info.Caption = "データの削除";
  info.Message = "選択したデータを削除します。";
  info.MessageColor = clRed;
  info.Lines = {"【データ名】", "　" + PerfectGrid1->CellText(kColName, row), "",
                "【会計期間】", "　" + PerfectGrid1->CellText(kColKikan, row), "",
                "【データフォルダ】", "　" + PerfectGrid1->CellText(kColFolder, row)};
  info.AgreeCaption = "データの削除に同意します";
  if (ShowMessageBox(info) != mrOk) return true;

  rec.DATA_STATUS = 0;
  // The folder must be gone before the row says so: a delete that did not happen keeps the
  // row, and a folder that holds other data (or lies above it) is never handed to the delete.
  bool removed = false;
  if (!IsDataFolderDeletable(folder)) {
    removed = false;
  } else if (ConnectMode == 0) {
    removed = DM && DM->RmDir(folder, 0);
    std::error_code ec;
    if (removed) removed = !fs::exists(ResolvePath(folder), ec);
    if (removed && rec.GASSAN == kChildKind) {
      TDataSentakuRec& parent = Rows.at(std::stoi("0" + PerfectGrid1->CellText(kColIndex, row)));
      if (IsCombinedKind(parent.GASSAN)) {
        if (!GassanCtl) GassanCtl = std::make_unique<TGassanDataCtl>();
        GassanCtl->SetDataFolder(parent.DataFolder.empty() ? LocalDataFolder(parent) : parent.DataFolder);
        GassanCtl->SetDataRec(parent.REC);
        GassanCtl->SetActive(true);
        GassanCtl->PutGassanSettings(parent.GASSAN, std::max(0, parent.ChildCount - 1));
      }
    }
  } else {
    bool dropped = true;
    if (rec.DATA_STATUS != 1 && DM) dropped = DM->AccDatDropDatabase(SystemDef.HostName, folder);
    removed = dropped && DM && DM->RmDir(folder, ConnectMode);
  }
  if (!removed) {
    if (ReportFailure) uis::ShowMessage(uis::MsgKind::Error, kDeleteFailed);
    RefreshRows(row);
    UpdateFunctionKeys();
    return false;
  }

  const bool deleted = ListCtl->DeleteDataListRecord(rec, true);
  const bool combined = IsCombinedKind(rec.GASSAN);
  const bool child = rec.GASSAN == kChildKind;
  if (combined) ClearChildList(row, true);
  RefreshRows(row);
  if (!deleted && ReportFailure) {
    uis::ShowMessage(uis::MsgKind::Error, kDeleteFailed);
  } else if ((child && ConnectMode == 0) || ServerModes()) {
    ReloadAndLocate(PerfectGrid1->TopRow(), rec);
    PerfectGrid1->SetFocus();
  }
  UpdateFunctionKeys();
  return deleted;
}

void TDataSentakuBox::ReloadAndLocate(int topRow, const TDataListRec& rec) {
  Reload();
  TPerfectGrid* g = PerfectGrid1;
  if (topRow >= 0 && topRow < g->Rows()) g->SetTopRow(topRow);
  for (int r = 0; r < g->Rows(); ++r)
    if (g->CellText(kColNo, r) == std::to_string(rec.REC)) {
      g->SetCurCell(0, r);
      return;
    }
}

// ---------------------------------------------------------------------------------------
// Release of a shared assignment

bool TDataSentakuBox::ReleaseSharedData() {
  const int row = PerfectGrid1->Row();
  if (row == TPerfectGrid::kNoRow || row < 0 || row >= PerfectGrid1->Rows()) return true;
  TDataListRec& rec = GetRowRecord(row);
  const std::string oldPath = rec.PASNAME;
  const int32_t oldHold = rec.KYOYULOCK;
  TMessageInfoRec info;
  InitMessageInfo(info);
  info.Kind = 0;
  info.Caption = "共有データの割当解除";
  info.Message = "選択した共有データの割り当てを解除します。\rよろしいですか？";
  info.MessageColor = clRed;
  info.Lines = {"【データ名】", "　" + PerfectGrid1->CellText(kColName, row), "",
                "【会計期間】", "　" + PerfectGrid1->CellText(kColKikan, row), "",
                "【共有データフォルダ】", "　" + PerfectGrid1->CellText(kColFolder, row)};
  if (ShowMessageBox(info) != mrOk) return true;
  rec.PASNAME = GetRowDataFolder(row);
  rec.NETDRIVE = 0;
  rec.KYOYULOCK = 0;
  rec.DataFolder = LocalDataFolder(rec);
  bool removed = true;
  std::error_code ec;
  if (fs::exists(ResolvePath(rec.PASNAME), ec))
    removed = IsDataFolderDeletable(rec.PASNAME) && DM && DM->RmDir(rec.PASNAME, ConnectMode);
  if (removed && oldHold == 1) SetServerShareStatus(DataInfo, oldPath, 1);
  RefreshRows(row);
  UpdateFunctionKeys();
  return removed;
}
