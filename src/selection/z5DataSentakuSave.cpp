// The data-selection dialog's operations on whole data sets: save (F6) and restore (F7) of a
// backup file "qvacc.fbk", the members of combined data (F3 in local mode), and the take-out
// of a server data set to this computer and its bring-back (F3 in client/server mode).
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <system_error>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccClassesBackup.h"
#include "data/uAccFunction.h"
#include "data/uAccFunction2.h"
#include "data/uAccFunction2Date.h"
#include "data/uAccFunction2Win.h"
#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "platform/DateTime.h"
#include "platform/Folders.h"
#include "platform/Paths.h"
#include "platform/UiServices.h"
#include "selection/z5DataSentaku.h"
#include "selection/z5FileOperationDlg.h"
#include "selection/z5Kidou.h"
#include "selection/z5WhichDataSet.h"
#include "ui/PerfectGrid.h"
#include "ui/z5MessageDlg.h"

using namespace forms;
namespace fs = std::filesystem;

namespace {

constexpr const char* kCaller = "データ選択";
constexpr const char* kRefusedFolder = "このフォルダは選択出来ません。他の場所を選んで下さい。";
constexpr const char* kInUseNoRestore = "このデータは他のオペレータが使用中のため復元処理を行うことが出来ません。";
constexpr const char* kNoDataHere = "この場所にはデータがありません。他の場所を選んで下さい。";
constexpr const char* kFolderHintSave =
    "ﾃﾞｰﾀを保存する場所を選択します。変更する場合は［参照］を押してください。|ﾃﾞｰﾀを保存する場所を選択します。\r\n"
    "前回保存又は復元を行った場所を初期値として表示しています。それ以前の場所もリストから選択できます。その他の場所を指定する場合は［参照］を押してください。\r\n"
    "［OK］を押すと処理を実行します。";
constexpr const char* kFolderHintRestore =
    "ﾃﾞｰﾀが保存されている場所を選択します。変更する場合は［参照］を押してください。|ﾃﾞｰﾀが保存されている場所を選択します。\r\n"
    "前回保存又は復元を行った場所を初期値として表示しています。それ以前の場所もリストから選択できます。その他の場所を指定する場合は［参照］を押してください。\r\n"
    "［OK］を押すと処理を実行します。";
constexpr TColor kBrokenParent = 0x0000FF;

std::string NoSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string DbName() { return fw::AccDbFile.empty() ? std::string("qvacc.fdb") : fw::AccDbFile; }
std::string BackupName() { return fw::AccBackupFile.empty() ? std::string("qvacc.fbk") : fw::AccBackupFile; }
std::string IniName() { return fw::DataIniFile.empty() ? std::string("qvacc.ini") : fw::DataIniFile; }

// Two folders are the same place: compared as canonical paths, so that another spelling of
// the same folder ("a/./b", a trailing "/", a link) is recognised.
bool SameFolder(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  std::error_code ec1, ec2;
  const fs::path pa = fs::weakly_canonical(ResolvePath(a), ec1);
  const fs::path pb = fs::weakly_canonical(ResolvePath(b), ec2);
  if (ec1 || ec2) return NoSlash(a) == NoSlash(b);
  return NoSlash(pa.string()) == NoSlash(pb.string());
}

bool LocalExists(const std::string& path) {
  std::error_code ec;
  return fs::exists(ResolvePath(path), ec);
}

bool ServerModes() { return ConnectMode == 1 || ConnectMode == 2; }

std::string VersionText(const TDataInfomationRec& i) {
  return std::to_string(i.MAJOR) + "." + std::to_string(i.MINOR1) + "." + std::to_string(i.MINOR2);
}

// Runs the thread to its end, pumping, and gives its success.
bool RunThread(TBackupRestoreThread& t) {
  t.FreeOnTerminate = false;
  t.Resume();
  while (!t.IsTerminated()) WaitWithMessages(300);
  return t.Succeeded == 1;
}

void ShowThreadFailure(const TBackupRestoreThread& t) {
  uis::ShowMessage(uis::MsgKind::Warning, t.ErrorMessage1 + "\r" + t.ErrorMessage2);
}

// The source information a backup's trailer carries.
TDataInfomationRec InfoFromTrailer(const TBackupRestoreThread& t) {
  TDataInfomationRec i;
  i.SHOUGOU = t.SHOUGOU;
  i.KISHU = t.KISHU;
  i.KIMATU = t.KIMATU;
  i.SIWAKE = t.SIWAKE;
  i.TOTALSIWAKE = t.TOTALSIWAKE;
  i.VERSION2 = t.DATAVARSION;
  std::sscanf(t.DATAVARSION.c_str(), "%d.%d.%d", &i.MAJOR, &i.MINOR1, &i.MINOR2);
  i.GASSANKBN = static_cast<uint8_t>(t.GASSAN);
  i.USEMYNUMBER = t.USEMYNUMBER;
  return i;
}

void TrailerFromInfo(const TDataInfomationRec& i, TBackupRestoreThread& t) {
  t.ClearBackupInfo();
  t.SHOUGOU = i.SHOUGOU;
  t.KISHU = i.KISHU;
  t.KIMATU = i.KIMATU;
  t.SIWAKE = i.SIWAKE;
  t.TOTALSIWAKE = i.TOTALSIWAKE;
  t.DATAVARSION = i.VERSION2.empty() ? VersionText(i) : i.VERSION2;
  t.GASSAN = i.GASSANKBN;
  t.USEMYNUMBER = i.USEMYNUMBER;
}

TDateTime DateOf(const std::string& text) {
  TDateTime d = 0;
  return TryStrToDate(text, d) ? d : TDateTime(0);
}

void CopySourceFromInfo(const TDataInfomationRec& i, TDataListRec& r) {
  r.SHOUGOU = i.SHOUGOU;
  r.KISHU = DateOf(i.KISHU);
  r.KIMATU = DateOf(i.KIMATU);
  r.VER_TEXT = i.VERSION2;
  r.GASSAN = i.GASSANKBN;
}

std::vector<std::string> SubFolderNames(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(ResolvePath(folder), ec), end; !ec && it != end; it.increment(ec))
    if (it->is_directory(ec)) names.push_back(it->path().filename().string());
  return names;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Keys

void TDataSentakuBox::F3Click(QObject* Sender) {
  if (!KeyOffered(KeyButtons[3])) return;
  const int row = PerfectGrid1->Row();
  if (row == TPerfectGrid::kNoRow || row < 0 || row >= PerfectGrid1->Rows()) return;
  const TDataListRec& rec = GetRowRecord(row);
  try {
    if (ConnectMode == 0 && IsCombinedKind(rec.GASSAN)) {
      AddDistributedData();
    } else if (ServerModes() && !PerfectGrid1->CellText(kColName, row).empty()) {
      TakeOutBringBack();
    } else if (KeyButtons[3]->CaptionA().Caption() == "F3:新規作成") {
      NewDataCreate();
    } else {
      NotYetClick(Sender);
      return;
    }
  } catch (const std::exception& e) {
    uis::ShowMessage(uis::MsgKind::Error, e.what());
  }
  PerfectGrid1->SetFocus();
  UpdateFunctionKeys();
}

void TDataSentakuBox::F6Click(QObject*) {
  if (!KeyOffered(KeyButtons[6])) return;
  DataBackup("");
  PerfectGrid1->SetFocus();
  UpdateFunctionKeys();
}

void TDataSentakuBox::F7Click(QObject*) {
  if (!KeyOffered(KeyButtons[7])) return;
  DataRestore("");
  PerfectGrid1->SetFocus();
  UpdateFunctionKeys();
}

void TDataSentakuBox::TransferChoice(int row, int32_t found) {
  // Only a restore that really happened (1) or a complete save ends the nested selection:
  // its caller marks the server data set from that answer.
  if (BackupMode == 1) {
    if (DataRestore(BackupFolder) == 1) SetModalResult(mrOk);
    else ClearChoice();
    return;
  }
  if (found == 0 || PerfectGrid1->CellText(kColName, row).empty()) {
    uis::ShowMessage(uis::MsgKind::Information, kNoDataHere);
    ClearChoice();
    return;
  }
  if (DataBackup(BackupFolder) == 1) SetModalResult(mrOk);
  else ClearChoice();
}

// ---------------------------------------------------------------------------------------
// Save

bool TDataSentakuBox::PrepareSharedBackup() {
  if (ServerModes()) return true;
  const int row = PerfectGrid1->Row();
  if (row == TPerfectGrid::kNoRow || row < 0 || row >= PerfectGrid1->Rows()) return false;
  const TDataListRec& rec = GetRowRecord(row);
  if (rec.NETDRIVE != 1 || rec.KYOYULOCK != 0) return true;
  if (KyoyuDataGet(1) <= 0) return false;
  return KyoyuDataPut(1) > 0;
}

int32_t TDataSentakuBox::DataBackup(const std::string& DestFolder) {
  if (!PrepareSharedBackup()) return 0;
  const int row = PerfectGrid1->Row();
  if (row == TPerfectGrid::kNoRow || row < 0 || row >= PerfectGrid1->Rows()) return 0;
  const std::string folder = GetRowDataFolder(row);
  if (DM->CallDataCheckHook(SystemDef.HostName, folder, 0, 0) == 0) {
    MarkDamaged(row);
    UpdateFunctionKeys();
    return 0;
  }
  const uint8_t s = CheckDataStatus(folder, true, true);
  if (s != 1) {
    if (!(ServerModes() && s == 2)) return 0;
    if (uis::ShowMessage(uis::MsgKind::Confirmation, "このデータは他のオペレータが使用中です。保存しますか？", {},
                         uis::Buttons::OkCancel, uis::mrOk) != uis::mrOk)
      return 0;
  }
  TDataInfomationRec info = DataInfoRec;
  if (!DataInfo.IsUseData(folder)) return 0;
  // A settings file written before the database came into its folder (a restore into an empty
  // row) has no data information; the backup then takes it from the database, or it would go
  // without its trailer and could not be checked against the data it is restored over.
  if (info.SHOUGOU.empty()) {
    TDataInfomationRec fromDb;
    DataInfo.InitDataInfoRec(fromDb);
    if (DataInfo.GetDataInfoOfFolder(folder, fromDb) > 0 && !fromDb.SHOUGOU.empty()) info = fromDb;
  }

  const std::string fbk = BackupName();
  std::string dest;
  for (;;) {
    if (!DestFolder.empty()) {
      dest = NoSlash(DestFolder);
      std::error_code ec;
      if (LocalExists(dest + "/" + fbk)) fs::remove(ResolvePath(dest + "/" + fbk), ec);
    } else {
      if (!FileOperationBox) FileOperationBox = CreateForm<TFileOperationBox>(this);
      TFileOperationBox* b = FileOperationBox;
      b->Mode = 3;
      b->HistoryFlag = true;
      b->HistoryFolder = SystemDef.IniDir;
      b->HistoryFileName = "history.ini";
      b->HistorySection = "DataBackFolder";
      b->FormCaption = "データの保存";
      b->Message = "選択中のデータを保存します。";
      b->MessageColor = clRed;
      b->FolderLabel = "保存先の場所:";
      b->DefaultFolder = SystemDef.DocDir;
      b->DefaultFileName.clear();
      b->FolderHint = kFolderHintSave;
      b->FileNameHint.clear();
      b->DefaultExt.clear();
      b->FileType.clear();
      b->Setup(1);
      if (b->ShowModal() != mrOk) return 0;
      dest = NoSlash(b->Result);
    }
    if (SameFolder(dest, SystemDef.TempDir)) {
      uis::ShowMessage(uis::MsgKind::Information, kRefusedFolder);
      if (!DestFolder.empty()) return 0;
      continue;
    }
    if (!ForceDirectory(dest)) {
      uis::ShowMessage(uis::MsgKind::Information, "バックアップフォルダの作成に失敗しました。");
      return 0;
    }
    if (LocalExists(dest + "/" + fbk) &&
        uis::ShowMessage(uis::MsgKind::Confirmation, "この場所には、同じ名前のバックアップファイルが既に存在します。\r上書きしますか？",
                         {}, uis::Buttons::OkCancel, uis::mrOk) != uis::mrOk)
      return 0;
    break;
  }

  SetDataStatus(folder, 4);
  uis::Ui().ProgressShow("保存中", "保存中、しばらくお待ちください…");
  PerfectGrid1->update();
  int32_t result = -1;
  auto finish = [&] {
    // The desktop's own view of its files is refreshed by the desktop itself here.
    activateWindow();
    uis::Ui().ProgressClose();
    SetDataStatus(folder, 1);
    show();
  };
  try {
    TBackupRestoreThread t(true);
    t.CallerName = kCaller;
    t.Mode = 0;
    t.Remote = ServerModes() ? 1 : 0;
    t.Host = SystemDef.HostName;
    t.DbFile = folder + "/" + DbName();
    t.BackupFile = dest + "/" + fbk;
    TrailerFromInfo(info, t);
    t.DATAVARSION = VersionText(info);
    t.WriteInfo = 1;
    t.Confirm = 1;
    t.AskMyNumber = 1;
    t.LogMyNumber = 1;
    if (RunThread(t)) {
      result = 1;
    } else {
      ShowThreadFailure(t);
      result = -1;
    }
    PerfectGrid1->update();
  } catch (...) {
    finish();
    throw;
  }
  finish();
  return result;
}

// ---------------------------------------------------------------------------------------
// Restore

int32_t TDataSentakuBox::DataRestore(const std::string& SourceFolder) {
  const int row = PerfectGrid1->Row();
  if (row == TPerfectGrid::kNoRow || row < 0 || row >= PerfectGrid1->Rows()) return 0;
  const std::string folder = GetRowDataFolder(row);
  bool broken = GetRowRecord(row).DATA_STATUS == 1;
  if (broken) {
    DM->AccDatDisconnect(folder, false, false);
  } else {
    const TDataListRec& rec = GetRowRecord(row);
    if ((rec.KISHU > 0 || rec.KIMATU > 0) && DM->CallDataCheckHook(SystemDef.HostName, folder, 0, 0) == 0) {
      MarkDamaged(row);
      UpdateFunctionKeys();
      broken = true;
    } else {
      const uint8_t s = CheckDataStatus(folder, false, true);
      if (s != 1) {
        if (ServerModes() && s == 2) uis::ShowMessage(uis::MsgKind::Information, kInUseNoRestore);
        return 0;
      }
      if (!DataInfo.IsUseData(folder)) return 0;
    }
  }

  std::string source;
  bool onServer = false;  // the default place of a server data set is read on the server
  for (;;) {
    if (!SourceFolder.empty()) {
      source = NoSlash(SourceFolder);
      break;
    }
    if (!FileOperationBoxEx1) FileOperationBoxEx1 = CreateForm<TFileOperationBoxEx1>(this);
    TFileOperationBoxEx1* b = FileOperationBoxEx1;
    b->Mode = 2;
    b->HistoryFlag = true;
    b->HistoryFolder = SystemDef.IniDir;
    b->HistoryFileName = "history.ini";
    b->HistorySection = "DataBackFolder";
    b->FormCaption = "データの復元";
    b->Message =
        "指定された保存先の場所にバックアップファイルがある場合は、商号、会計期間および仕訳数をチェックし、条件が満たされれば復元されます。";
    b->MessageColor = clRed;
    b->FolderLabel = "保存先の場所:";
    b->DefaultFolder = SystemDef.DocDir;
    b->FolderHint = kFolderHintRestore;
    b->SetChoice1Caption("保存先の場所を選択して復元する");
    b->SetChoice2Caption("プログラムの既定の保存先の場所より復元する");
    b->SetChoice(1);
    b->Setup(1);
    if (b->ShowModal() != mrOk) return 0;
    if (b->Choice == 2) {
      source = folder;
      onServer = ServerModes();
      break;
    }
    source = NoSlash(b->Result);
    if (SameFolder(source, SystemDef.TempDir)) {
      uis::ShowMessage(uis::MsgKind::Information, kRefusedFolder);
      continue;
    }
    break;
  }

  const uint8_t s = CheckDataStatus(folder, false, true);
  if (s != 1 && s != 10) {
    if (ServerModes() && s == 2) uis::ShowMessage(uis::MsgKind::Information, kInUseNoRestore);
    return 0;
  }
  const std::string fbk = BackupName();
  const bool found = onServer ? DM->FExist(source + "/" + fbk, ConnectMode) : LocalExists(source + "/" + fbk);
  if (!found) {
    uis::ShowMessage(uis::MsgKind::Information, "この場所には、バックアップファイル(" + fbk + ")がありませんでした。");
    return 0;
  }

  uis::Ui().ProgressShow("復元中", "復元中、しばらくお待ちください…");
  const int32_t recIndex = std::stoi("0" + PerfectGrid1->CellText(kColIndex, row));
  auto lockRow = [&](int32_t value) {
    TDataListRec& rec = GetRowRecord(row);
    rec.DATALOCK = value;
    ListCtl->UpdateDataListRecord(rec, 1, true);
    SetLockCell(row, value);
  };
  if (ServerModes()) lockRow(OperatorCodeOf(SystemDef.LogonId, SystemDef.GroupId));
  auto finish = [&] {
    if (ServerModes()) lockRow(0);
    activateWindow();
    uis::Ui().ProgressClose();
    if (DM->DExist(folder, ConnectMode)) SetDataStatus(folder, 1);
    show();
  };

  int32_t result = 0;
  try {
    std::string work = NoSlash(SystemDef.TempDir);
    std::error_code ec;
    for (const std::string& name : {fbk, DbName(), IniName()}) fs::remove(ResolvePath(work + "/" + name), ec);
    TBackupRestoreThread trailer(true);
    std::string backup;
    bool trailerRead = false;
    bool serverWork = false;
    if (onServer) {
      work = NoSlash(SystemDef.SrvWorkDir) + "/" + std::to_string(SystemDef.LogonId);
      if (!DM->DExist(work, ConnectMode)) DM->MkDir(work, ConnectMode);
      serverWork = true;
      backup = source + "/" + fbk;
    } else {
      ForceDirectory(work);
      if (!DM->FCopy(source + "/" + fbk, work + "/" + fbk, 0)) {
        uis::ShowMessage(uis::MsgKind::Information, "ワーク領域にファイルをコピー出来なかったため、復元処理は失敗しました。");
        finish();
        return 0;
      }
      backup = work + "/" + fbk;
      // The work copy loses its trailer here: the restore reads a plain backup.
      trailerRead = trailer.ReadBackupInfo(backup, true);
    }

    bool go = false;
    bool hadData = false;
    TDataInfomationRec sourceInfo;
    if (trailerRead) sourceInfo = InfoFromTrailer(trailer);
    if (!broken) {
      ListCtl->InitDataListRecord(CopySource, "");
      const bool targetHasData = ConnectMode == 0 ? LocalExists(folder + "/" + DbName())
                                                  : DM->FExist(folder + "/" + DbName(), ConnectMode);
      if (targetHasData) {
        hadData = true;
        uis::Ui().ProgressText("照合チェック中、しばらくお待ちください…");
        if (trailerRead) {
          go = CheckPasteTarget("復元", sourceInfo, folder);
        } else {
          TBackupRestoreThread trial(true);
          trial.CallerName = kCaller;
          trial.Mode = 1;
          trial.Remote = ServerModes() ? 1 : 0;
          trial.Host = "127.0.0.1";
          if (onServer) {
            trial.Host = SystemDef.HostName;
            trial.Remote = 0;
          }
          trial.DbFile = work + "/" + DbName();
          trial.BackupFile = backup;
          trial.Confirm = 0;
          go = RunThread(trial);
          if (go) {
            DataInfo.ReadIniFile(trial.Host, work, sourceInfo);
            go = CheckPasteTarget("復元", sourceInfo, folder);
          } else {
            ShowThreadFailure(trial);
          }
        }
      } else {
        go = true;
      }
    } else {
      go = uis::ShowMessage(uis::MsgKind::Confirmation,
                            "このデータは破損データのため、データ間の照合チェックは行わずに復元を行います。\rよろしいですか？", {},
                            uis::Buttons::OkCancel, uis::mrOk) == uis::mrOk;
    }
    if (serverWork && DM->DExist(work, ConnectMode)) DM->RmDir(work, ConnectMode);

    result = -1;
    if (go) {
      uis::Ui().ProgressShow("復元中", "復元中、しばらくお待ちください…");
      DM->MkDir(folder, ConnectMode);
      SetDataStatus(folder, 5);
      const TDataSentakuRec before = Rows.at(recIndex);
      const uint8_t kindBefore = GetRowRecord(row).GASSAN;
      // The members of combined data of another company go, but only once the restore has
      // replaced the database: a failed restore keeps them with their parent.
      const bool dropMembers = ConnectMode == 0 && IsCombinedKind(kindBefore) && before.SHOUGOU != sourceInfo.SHOUGOU;
      TBackupRestoreThread t(true);
      if (!sourceInfo.SHOUGOU.empty()) TrailerFromInfo(sourceInfo, t);
      t.CallerName = kCaller;
      t.Mode = 1;
      t.Remote = ServerModes() ? 1 : 0;
      t.Host = SystemDef.HostName;
      t.DbFile = folder + "/" + DbName();
      t.BackupFile = backup;
      if (onServer) t.Remote = 0;
      t.Confirm = 1;
      t.AskMyNumber = 1;
      t.LogMyNumber = 1;
      if (!RunThread(t)) {
        ShowThreadFailure(t);
      } else {
        if (dropMembers) ClearChildList(row, true);
        TDataInfomationRec restored;
        if (!hadData) {
          DataInfo.InitDataInfoRec(restored);
          DataInfo.GetDataInfoOfFolder(folder, restored);
          CopySourceFromInfo(restored, CopySource);
        }
        FixGassanSettings(row, kindBefore);
        DataInfo.InitDataInfoRec(restored);
        DataInfo.GetDataInfoOfFolder(folder, restored);
        DataInfo.UpdateDataInfomation(SystemDef.HostName, folder, restored);
        TDataListRec& rec = GetRowRecord(row);
        const int32_t lock = rec.DATALOCK;
        ListCtl->SetFromDataInfo(restored, rec);
        rec.DATALOCK = lock;
        rec.DATACODE = restored.CODE;
        rec.ENTTEXT = restored.DATALISTNAME.empty() ? restored.SHOUGOU : restored.DATALISTNAME;
        rec.DispName = rec.ENTTEXT;
        rec.UPDATE_LOCK = restored.UPDATE_LOCK;
        rec.GASSAN = restored.GASSANKBN;
        rec.DATA_STATUS = 0;
        ListCtl->UpdateDataListRecord(rec, 1, true);
        FillRow(row, rec);
        PerfectGrid1->update();
        if (SharedDataKind(0, row) == 2 && KyoyuDataPut(1) > 0) {
          // Stored on the share and kept here for further work.
          TDataSentakuRec& held = Rows.at(recIndex);
          held.KYOYULOCK = 1;
          ListCtl->UpdateDataListRecord(held, 1, true);
          DataInfo.SetShareStatus(held.DataFolder, 2);
          for (TDataListRec& c : held.Children) c.KYOYULOCK = 1;
          FillGrid(-1);
        }
        result = 1;
      }
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
  return result;
}

bool TDataSentakuBox::CheckPasteTarget(const std::string& OperationName, const TDataInfomationRec& Source,
                                       const std::string& TargetFolder) {
  MsgLines.clear();
  if (TrimZenkaku(TargetFolder).empty()) {
    uis::ShowMessage(uis::MsgKind::Warning, OperationName + "先のデータパスが不正です。\r");
    return false;
  }
  const bool local = ConnectMode == 0;
  if (!(local ? LocalExists(TargetFolder) : DM->DExist(TargetFolder, ConnectMode))) {
    DM->MkDir(TargetFolder, ConnectMode);
    return true;
  }
  const std::string db = NoSlash(TargetFolder) + "/" + DbName();
  if (!(local ? LocalExists(db) : DM->FExist(db, ConnectMode))) return true;
  TDataInfomationRec target;
  DataInfo.RefreshIniFile(TargetFolder, "DATAINFO");
  DataInfo.ReadDataInfo(TargetFolder, target);
  const int sk = Source.GASSANKBN;
  const int tk = target.GASSANKBN;
  const bool forbidden = ((sk == 0 || sk == kChildKind) && IsCombinedKind(tk)) || (sk == 1 && tk == 2) || (sk == 2 && tk == 1);
  if (forbidden) {
    uis::Ui().ProgressClose();
    TMessageInfoRec info;
    InitMessageInfo(info);
    info.Kind = 1;
    info.Caption = "警告";
    info.Message = OperationName + "先の合算データ区分が妥当ではありません。\rデータリストの空行を選んで処理を行って下さい。";
    info.MessageColor = clRed;
    info.Lines = {"以下のパターンの復元（貼付）は禁止されています。",
                  " ①通常データ       を 合算データ（合算本支店データ） へ",
                  " ②分散データ       を 合算データ（合算本支店データ） へ",
                  " ③合算データ       を 合算本支店データ へ",
                  " ④合算本支店データ を 合算データ へ"};
    ShowMessageBox(info);
    return false;
  }
  const bool ok = CompareDataInfo(OperationName, Source, target);
  if (ok && OperationName == "復元") CopySourceFromInfo(Source, CopySource);
  return ok;
}

bool TDataSentakuBox::CompareDataInfo(const std::string& OperationName, const TDataInfomationRec& Source,
                                      const TDataInfomationRec& Target) {
  auto blank = [](const TDataInfomationRec& i) { return i.SHOUGOU.empty() && i.KISHU.empty() && i.KIMATU.empty(); };
  if (blank(Source)) {
    uis::ShowMessage(uis::MsgKind::Warning, OperationName + "処理元のデータ情報が不正です。\r");
    return false;
  }
  if (blank(Target)) {
    uis::ShowMessage(uis::MsgKind::Warning, OperationName + "処理先のデータ情報が不正です。\r");
    return false;
  }
  MsgLines.clear();
  const std::string from = "　【" + OperationName + "元】：";
  const std::string to = "　【" + OperationName + "先】：";
  if (Source.SHOUGOU != Target.SHOUGOU) {
    MsgLines.push_back("会社名に違いがありました。");
    MsgLines.push_back(from + Source.SHOUGOU);
    MsgLines.push_back(to + Target.SHOUGOU);
    if (ConnectMode == 0 && OperationName == "復元" && IsCombinedKind(Target.GASSANKBN)) {
      MsgLines.push_back("　注）" + OperationName + "を続行した場合は配下の分散データは削除されます。");
      MsgLines.push_back("");
    }
  }
  auto date = [](const std::string& text) { return FormatDateStyle("yyyy/mm/dd", 2, DateOf(text)); };
  if (Source.KISHU != Target.KISHU) {
    MsgLines.push_back("期首に違いがありました。");
    MsgLines.push_back(from + date(Source.KISHU));
    MsgLines.push_back(to + date(Target.KISHU));
  }
  if (Source.KIMATU != Target.KIMATU) {
    MsgLines.push_back("期末に違いがありました。");
    MsgLines.push_back(from + date(Source.KIMATU));
    MsgLines.push_back(to + date(Target.KIMATU));
  }
  if (Source.TOTALSIWAKE < Target.TOTALSIWAKE) {
    MsgLines.push_back("仕訳件数(修正・削除仕訳含む)が減っています。");
    MsgLines.push_back(from + FormatAmount(Source.TOTALSIWAKE) + " 件");
    MsgLines.push_back(to + FormatAmount(Target.TOTALSIWAKE) + " 件");
  }
  if (MsgLines.empty()) return true;
  uis::Ui().ProgressClose();
  TMessageInfoRec info;
  InitMessageInfo(info);
  info.Kind = 2;
  info.Caption = "データ照合チェックの結果";
  info.Message = "以下の項目に違いが検出されました。";
  info.MessageColor = clRed;
  info.Lines = MsgLines;
  info.AgreeCaption = "データ" + OperationName + "処理の続行に同意します。";
  return ShowMessageBox(info) == mrOk;
}

// ---------------------------------------------------------------------------------------
// Combined data

void TDataSentakuBox::AddDistributedData() {
  const int row = PerfectGrid1->Row();
  if (row == TPerfectGrid::kNoRow || row < 0 || row >= PerfectGrid1->Rows()) return;
  const int32_t index = std::stoi("0" + PerfectGrid1->CellText(kColIndex, row));
  TDataSentakuRec& parent = Rows.at(index);
  if (!IsCombinedKind(parent.GASSAN)) return;
  if (parent.ChildCount > 98) {
    uis::ShowMessage(uis::MsgKind::Information, "これ以上の分散データの追加は行えません。(最大99件)\r");
    return;
  }
  if (uis::ShowMessage(uis::MsgKind::Confirmation, "分散入力用のデータを追加します。\rよろしいですか？", {},
                       uis::Buttons::YesNo, uis::mrYes) != uis::mrYes)
    return;
  if (!GassanCtl) GassanCtl = std::make_unique<TGassanDataCtl>();
  const std::string folder = LocalDataFolder(parent);
  uis::Ui().ProgressShow("分散データの追加", "分散データの作成中…");
  auto finish = [&] {
    if (DM->IBDatabaseDAT.Connected()) DM->AccDatDisconnect(folder, false, false);
    activateWindow();
    uis::Ui().ProgressClose();
    show();
  };
  try {
    GassanCtl->SetDataFolder(folder);
    GassanCtl->SetDataRec(parent.REC);
    GassanCtl->SetActive(true);
    if (GassanCtl->CreateChildData("")) GassanCtl->PutGassanSettings(parent.GASSAN, parent.ChildCount + 1);
    ListCtl->GetDataListChildRecord(parent, true);
    FillGrid(-1);
    for (int r = 0; r < PerfectGrid1->Rows(); ++r)
      if (PerfectGrid1->CellText(kColIndex, r) == std::to_string(index) && PerfectGrid1->CellText(kColChild, r) == "0") {
        PerfectGrid1->SetCurCell(0, r);
        break;
      }
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

void TDataSentakuBox::RebuildChildList(int row) {
  const TDataListRec& shown = GetRowRecord(row);
  if (shown.GASSAN == kChildKind) return;
  TDataSentakuRec& parent = Rows.at(std::stoi("0" + PerfectGrid1->CellText(kColIndex, row)));
  if (!(parent.NETDRIVE == 0 || (parent.NETDRIVE == 1 && parent.KYOYULOCK == 1))) return;
  for (const TDataListRec& c : parent.Children)
    if (c.DATA_STATUS == 1) {
      PerfectGrid1->SetRowBackColor(row, kBrokenParent);
      return;
    }
  parent.ChildCount = 0;
  parent.Children.clear();
  ListCtl->DeleteDataListChildRecord(parent, true);
  if (!IsCombinedKind(parent.GASSAN)) return;
  const std::string base = LocalDataFolder(parent);
  int position = 0;
  for (const std::string& name : SubFolderNames(base)) {
    ++position;
    const std::string childFolder = base + "/" + name;
    if (!LocalExists(childFolder + "/" + DbName())) continue;
    TDataListRec c;
    ListCtl->InitDataListRecord(c, NoSlash(parent.PASNAME) + "/" + name);
    c.REC = parent.REC;
    c.ROWNO = position;
    c.NETDRIVE = parent.NETDRIVE;
    c.KYOYULOCK = parent.KYOYULOCK;
    c.GASSAN = kChildKind;
    TDataInfomationRec info;
    DataInfo.InitDataInfoRec(info);
    if (DataInfo.GetDataInfoOfFolder(childFolder, info) == 1) {
      ListCtl->SetFromDataInfo(info, c);
      DataInfo.WriteIniValue(childFolder, "DATASTS", false, static_cast<int64_t>(info.UPDATE_LOCK), "UPDATE_LOCK");
      DataInfo.WriteIniFile(childFolder, "DATAINFO", info);
    } else {
      DataInfo.ReadDataInfo(childFolder, info);
      if (info.DATALISTNAME.empty() && info.SHOUGOU.empty()) {
        c.ENTTEXT = "破損データ";
        c.SHOUGOU = parent.SHOUGOU;
        c.NENDO = parent.NENDO;
        c.KISHU = parent.KISHU;
        c.KIMATU = parent.KIMATU;
        c.KikanText = parent.KikanText;
        c.DATATYPE = parent.DATATYPE;
        c.CODETYPE = parent.CODETYPE;
        c.TANTOU = parent.TANTOU;
        c.VER_MAJOR = parent.VER_MAJOR;
        c.VER_MINOR1 = parent.VER_MINOR1;
        c.VER_MINOR2 = parent.VER_MINOR2;
        c.VER_TEXT = parent.VER_TEXT;
        c.DispName = parent.ENTTEXT;
      } else {
        ListCtl->SetFromDataInfo(info, c);
      }
      c.DATA_STATUS = 1;
    }
    c.GASSAN = kChildKind;
    ListCtl->UpdateDataListChildRecord(c, 0, true);
    parent.Children.push_back(c);
  }
  parent.ChildCount = static_cast<int32_t>(parent.Children.size());
}

void TDataSentakuBox::ClearChildList(int row, bool all) {
  TDataSentakuRec& parent = Rows.at(std::stoi("0" + PerfectGrid1->CellText(kColIndex, row)));
  if (!all) {
    TDataSentakuListCtl::RemoveChild(parent, std::stoi("0" + PerfectGrid1->CellText(kColChild, row)));
    return;
  }
  parent.ChildCount = 0;
  parent.Children.clear();
  if (!IsCombinedKind(parent.GASSAN)) return;
  ListCtl->DeleteDataListChildRecord(parent, true);
  for (const std::string& name : SubFolderNames(parent.PASNAME)) DM->RmDir(NoSlash(parent.PASNAME) + "/" + name, ConnectMode);
  if (parent.NETDRIVE == 1 && parent.KYOYULOCK == 1)
    for (const std::string& name : SubFolderNames(parent.DataFolder)) DM->RmDir(NoSlash(parent.DataFolder) + "/" + name, 0);
}

void TDataSentakuBox::CopyChildList(int row) {
  if (GetRowRecord(row).GASSAN == kChildKind) return;
  TDataSentakuRec& target = Rows.at(std::stoi("0" + PerfectGrid1->CellText(kColIndex, row)));
  if (!IsCombinedKind(target.GASSAN)) {
    target.ChildCount = 0;
    target.Children.clear();
    return;
  }
  const TDataSentakuRec* source = nullptr;
  for (const TDataSentakuRec& r : Rows)
    if (!CopySourceFolder.empty() && NoSlash(LocalDataFolder(r)) == NoSlash(CopySourceFolder)) source = &r;
  if (!source || !IsCombinedKind(source->GASSAN)) return;
  const TDataSentakuRec from = *source;
  target.Children.clear();
  for (TDataListRec c : from.Children) {
    c.REC = target.REC;
    std::string& p = c.PASNAME;
    for (size_t at = p.find(from.PASNAME); !from.PASNAME.empty() && at != std::string::npos;
         at = p.find(from.PASNAME, at + target.PASNAME.size()))
      p.replace(at, from.PASNAME.size(), target.PASNAME);
    c.DataFolder = LocalDataFolder(c);
    ListCtl->UpdateDataListChildRecord(c, 0, true);
    target.Children.push_back(c);
  }
  target.ChildCount = static_cast<int32_t>(target.Children.size());
}

void TDataSentakuBox::NumberChildNames(int row) {
  TDataSentakuRec& parent = Rows.at(std::stoi("0" + PerfectGrid1->CellText(kColIndex, row)));
  for (size_t i = 0; i < parent.Children.size(); ++i) {
    char head[16];
    std::snprintf(head, sizeof head, "%.2d ", static_cast<int>(i + 1));
    parent.Children[i].DispName = head + parent.Children[i].ENTTEXT;
  }
}

void TDataSentakuBox::FixGassanSettings(int row, int32_t targetKindBefore) {
  const TDataListRec& rec = GetRowRecord(row);
  const int32_t source = CopySource.GASSAN;
  const int32_t target = targetKindBefore < 0 ? rec.GASSAN : targetKindBefore;
  int32_t kind = -1, count = 0;
  if (ConnectMode != 0) {
    kind = 0;
  } else if (source == 0) {
    if (target == kChildKind) kind = kChildKind;
  } else if (IsCombinedKind(source)) {
    if (IsCombinedKind(target)) {
      kind = target;
      count = Rows.at(std::stoi("0" + PerfectGrid1->CellText(kColIndex, row))).ChildCount;
    } else if (target == kChildKind) {
      kind = kChildKind;
    }
  } else if (source == kChildKind) {
    if (target != kChildKind) kind = 0;
  }
  if (kind < 0) return;
  const std::string folder = GetRowDataFolder(row);
  if (!DM->fnAccDatConnected(SystemDef.HostName, folder, false)) return;
  try {
    WriteGassanSettings(kind, count);
  } catch (...) {
    DM->AccDatDisconnect(folder, true, true);
    throw;
  }
  DM->AccDatDisconnect(folder, true, true);
}

// ---------------------------------------------------------------------------------------
// Take-out and bring-back

void TDataSentakuBox::SwitchConnection(const std::string& Action) {
  if (Action == "backup") {
    SavedConnection = {ConnectMode, SystemDef.HostName, SystemDef.SysDir, SystemDef.DataDir, SystemDef.SisetuAllSw};
  } else if (Action == "local") {
    ConnectMode = 0;
    SystemDef.HostName.clear();
    const std::string root = NoSlash(folders::CommonAppDataDir());
    if (root.empty())
      throw std::runtime_error("アプリケーションの初期化に失敗しました。\r" + AppInfo.AppTitle +
                               "を終了します。\rデータフォルダの取得に失敗しました。");
    SystemDef.SysDir = root + "/" + NoSlash(fw::HomeDir) + "/data";
    SystemDef.SisetuAllSw = 1;
  } else if (Action == "server") {
    ConnectMode = SavedConnection.ConnectMode;
    SystemDef.HostName = SavedConnection.HostName;
    SystemDef.SysDir = SavedConnection.SysDir;
    SystemDef.DataDir = SavedConnection.DataDir;
    SystemDef.SisetuAllSw = SavedConnection.SisetuAllSw;
  }
}

void TDataSentakuBox::SetRowLock(int32_t Locked) {
  const int row = PerfectGrid1->Row();
  if (row == TPerfectGrid::kNoRow || row < 0 || row >= PerfectGrid1->Rows()) return;
  const int32_t value = Locked != 0 ? OperatorCodeOf(SystemDef.LogonId, SystemDef.GroupId) : 0;
  SetLockCell(row, value);
  TDataListRec& rec = GetRowRecord(row);
  rec.DATALOCK = value;
  ListCtl->UpdateDataListRecord(rec, 1, true);
}

bool TDataSentakuBox::TakeOutBringBack() {
  if (ConnectMode == 2) return true;
  SwitchConnection("backup");
  const int row = PerfectGrid1->Row();
  const bool hasRow = row != TPerfectGrid::kNoRow && row >= 0 && row < PerfectGrid1->Rows();
  int32_t locked = hasRow && std::stoi("0" + PerfectGrid1->CellText(kColLock, row)) != 0 ? 1 : 0;

  auto* box = CreateForm<TWhichDataSetBox>(this);
  box->Choice = 0;
  box->Locked = locked;
  box->Setup(1);
  const bool ok = box->ShowModal() == mrOk;
  const int32_t choice = box->Choice;
  box->Free();
  if (!ok) return false;

  const std::string transfer = NoSlash(SystemDef.WorkDir.empty() ? folders::TempDir() : SystemDef.WorkDir);
  auto reconnect = [] {
    if (DM->IBTransactionDEF.Active()) DM->IBTransactionDEF.Commit();
    DM->IBDatabaseDEF.Close();
    return DM->fnAccDefConnected("", true);
  };
  // The nested selection runs against this computer's own system database; the connection
  // state points back at the server whatever happens in it.
  auto nested = [&](const char* syori, bool& connected) {
    int32_t result = 0;
    try {
      SwitchConnection("local");
      if (!SystemDef.SysDir.empty()) {
        reconnect();
        const std::string params =
            std::string("SyoriType=5\rOnlySA_Syori=") + syori + "\rOnlySA_BackupPath=" + transfer;
        result = RunNested ? RunNested("VqDataSenkaku", 1, params) : RunSyoriModule("VqDataSenkaku", 1, params);
      }
    } catch (...) {
      SwitchConnection("server");
      try {
        reconnect();
      } catch (...) {
      }
      throw;
    }
    SwitchConnection("server");
    connected = reconnect();
    return result;
  };

  if (choice == 0) {
    if (DataBackup(transfer) != 1) return false;
    uis::ShowMessage(uis::MsgKind::Information, "続いて、このコンピュータのデータリストを表示します。\r持ち出し先を選んで下さい。");
    bool connected = false;
    if (nested("Restore", connected) == 1) locked = 1;
    if (!connected) return false;
    SetRowLock(locked);
    return true;
  }
  if (choice == 1) {
    if (!hasRow) return false;
    if (!DataInfo.IsUseData(GetRowDataFolder(row))) return false;
    uis::ShowMessage(uis::MsgKind::Information, "このコンピュータのデータリストを表示します。\r持ち帰ったデータを選んで下さい。");
    bool connected = false;
    if (nested("Backup", connected) != 1) return false;
    if (!connected) return false;
    const bool wasLocked = std::stoi("0" + PerfectGrid1->CellText(kColLock, row)) != 0;
    // The row is released so that the restore may replace the data set; a restore that is
    // declined or fails takes the mark back, since the work is still only in the local copy.
    if (wasLocked) SetRowLock(0);
    if (DataRestore(transfer) != 1) {
      if (wasLocked) SetRowLock(1);
      return false;
    }
    return true;
  }
  return true;
}
