// The data operations of the shared-server list: the state of an area's folder, copying a
// data set from one area onto another (F2, F2), adding an empty area (F4) and deleting an
// area's data (F5).
//
// Other computers see what runs through the statuses in the areas' settings files: the copy
// source is "コピー中" (6) until the paste ends, the target "貼り付け中" (7) while its files are
// replaced. Both return to 1 on every way out.
#include <QString>
#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "data/DataModule.h"
#include "data/uAccFunction.h"
#include "data/uAccFunction2.h"
#include "data/uAccFunction2Date.h"
#include "data/uAccFunction2Win.h"
#include "data/uAccRecord.h"
#include "data/uAccShellOp.h"
#include "data/z5AppInfo.h"
#include "platform/DateTime.h"
#include "platform/Paths.h"
#include "platform/UiServices.h"
#include "selection/z5DataSentakuCopy.h"
#include "selection/z5ServerSentaku.h"
#include "ui/PerfectGrid.h"
#include "ui/z5InputDlg.h"
#include "ui/z5MessageDlg.h"
#include "ui/z5MessageDlg2.h"

using namespace forms;
namespace fs = std::filesystem;

namespace {

std::string DbName() { return fw::AccDbFile.empty() ? std::string("qvacc.fdb") : fw::AccDbFile; }

bool Exists(const std::string& path) {
  std::error_code ec;
  const std::string local = ResolvePath(path);
  return !local.empty() && fs::exists(local, ec);
}

TDateTime DateOf(const std::string& text) {
  TDateTime d = 0;
  return TryStrToDate(text, d) ? d : 0;
}

int ToInt(const std::string& s) {
  try {
    return s.empty() ? 0 : std::stoi(s);
  } catch (...) {
    return 0;
  }
}

}  // namespace

uint8_t TServerSentakuBox::CheckFolderState(const std::string& folder, bool warnNoData, bool refuseBusy) {
  const std::string db = ExcludeTrailingPathDelimiter(folder) + "/" + DbName();
  if (!Exists(db)) {
    DataInfo.InitDataInfoRec(DataInfoRec);
    if (warnNoData) {
      uis::ShowMessage(uis::MsgKind::Warning, "このフォルダには財務データがありません。\r");
      return 0;
    }
    return 1;
  }
  if (!Exists(TDataInfomation::IniFileName(folder))) DataInfo.RefreshIniFile(folder, "DATAINFO");
  DataInfo.ReadDataInfo(folder, DataInfoRec);
  const uint8_t st = DataInfoRec.STATUS;
  if (!refuseBusy || st == 1 || st == 10) return st;
  std::string name;
  DataStatusName(st, name);
  TMessageInfoRec info;
  InitMessageInfo(info);
  info.Kind = 1;
  info.Caption = "選択データの状態";
  info.Message = "このデータは" + name + "のため処理が行えません。";
  info.MessageColor = clRed;
  info.Lines = {"【データフォルダ】",
                "　" + folder,
                "",
                "【オペレータ】",
                "　" + std::to_string(OperatorCodeOf(DataInfoRec.OPCODE, SystemDef.GroupId)),
                "",
                "【オペレータ名】",
                "　" + DataInfoRec.OPERATOR};
  ShowMessageBox(info);
  return st;
}

void TServerSentakuBox::SetDataStatus(const std::string& folder, uint8_t status) { DataInfo.SetStatus(folder, status); }

void TServerSentakuBox::CopyOrPaste() {
  TPerfectGrid* g = PerfectGrid1;
  const int row = g->Row();
  if (row == TPerfectGrid::kNoRow || row < 0 || row >= g->Rows()) return;
  TDataListRec& rec = GetRowRecord(row);

  if (CopyPending) {
    const std::string source = ExcludeTrailingPathDelimiter(rec.PASNAME);
    if (CheckFolderState(source, true, true) == 1) {
      CopySourceFolder = source;
      CopySourceRow = rec;
      const std::string name = CopyNameOf(rec.ENTTEXT);
      CopySourceRow.ENTTEXT = name;
      CopySourceRow.DispName = name;
      CopySourceIndex = ToInt(g->CellText(kSvColIndex, row));
      SetDataStatus(source, 6);
    } else {
      CopyPending = false;
      UpdateFunctionKeys();
    }
    return;
  }

  const std::string source = CopySourceFolder;
  if (source.empty()) return;
  const std::string target = ExcludeTrailingPathDelimiter(rec.PASNAME);
  if (target == source) {
    SetDataStatus(source, 1);
    return;
  }
  const uint8_t st = CheckFolderState(target, false, true);
  if (st != 1 && st != 10) {
    SetDataStatus(source, 1);
    return;
  }
  const bool childTarget = rec.GASSAN == kChildKind;
  if (!childTarget && QString::fromStdString(target + "/").startsWith(QString::fromStdString(source + "/"), Qt::CaseInsensitive)) {
    SetDataStatus(source, 1);
    throw std::runtime_error("貼付先にコピー元のパスが含まれています。処理を中断します。");
  }
  const int32_t targetIndex = ToInt(g->CellText(kSvColIndex, row));

  uis::Ui().ProgressShow("コピー中", "データのコピー中…");
  bool targetMarked = false;
  // Whatever happens from here on: no mark is left on either area, and the dialog is back.
  auto finish = [&] {
    if (targetMarked) SetDataStatus(target, 1);
    uis::Ui().ProgressClose();
    SetDataStatus(source, 1);
    show();
    activateWindow();
    raise();
  };
  try {
    bool go = false;
    if (st == 10) {
      TMessage2InfoRec info;
      InitMessage2Info(3, info);
      info.Lines[0].Text = "このデータは破損データのため、データ間の照合チェックは行わずにコピーを行います。";
      info.Lines[1].Text = "よろしいですか？";
      go = ShowMessage2(info) == mrOk;
    } else {
      go = CheckDataMatch("貼り付け", source, target);
    }
    if (!go) {
      finish();
      return;
    }
    SetDataStatus(target, 7);
    targetMarked = true;
    if (IsCombinedKind(rec.GASSAN) && !childTarget) DropChildren(targetIndex);
    const bool copied = childTarget ? CopyFiles(source + "/" + DbName(), target) : CopyFiles(source + "/*", target);
    SetDataStatus(target, 1);
    targetMarked = false;
    if (!copied) {
      // The target's settings file and row keep what they said: its files are whatever the
      // failed copy left, which the rebuild from the folders shows as it is.
      uis::Ui().ProgressClose();
      uis::ShowMessage(uis::MsgKind::Error, "データのコピーに失敗しました。\r貼り付け処理を中止しました。");
      finish();
      RefreshFromFolders();
      LocateFolder(target);
      return;
    }
    TDataInfomationRec info;
    DataInfo.ReadDataInfo(target, info);
    info.SHOUGOU = CopySourceRow.SHOUGOU;
    info.CODE = CopySourceRow.DATACODE;
    info.DATALISTNAME = CopySourceRow.ENTTEXT;
    info.UPDATE_LOCK = CopySourceRow.UPDATE_LOCK;
    info.GASSANKBN = CopySourceRow.GASSAN;
    DataInfo.WriteIniFile(target, "DATAINFO", info);
    DataInfo.SetShareStatus(target, 1);
    DataInfo.ReadDataInfo(target, DataInfoRec);
    if (childTarget) {
      TDataListRec& child = GetRowRecord(row);
      RowFromDataInfo(child, false);
      child.GASSAN = kChildKind;
      child.DATA_STATUS = 0;
      RegisterRow(child);
    } else {
      TDataSentakuRec& parent = Rows.at(targetIndex);
      RowFromDataInfo(parent, false);
      parent.DATA_STATUS = 0;
      FillGridRow(row, parent);
      g->SetCellText(kSvColIndex, row, std::to_string(targetIndex));
      RegisterRow(parent);
      CopyChildRows(targetIndex);
    }
    BuildDisplayList();
    ShowList();
    LocateFolder(target);
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

bool TServerSentakuBox::CheckDataMatch(const std::string& word, const std::string& source, const std::string& target) {
  if (TrimZenkaku(source).empty()) {
    uis::ShowMessage(uis::MsgKind::Warning, word + "処理元のデータパスが不正です。\r");
    return false;
  }
  if (TrimZenkaku(target).empty()) {
    uis::ShowMessage(uis::MsgKind::Warning, word + "処理先のデータパスが不正です。\r");
    return false;
  }
  MsgLines.clear();
  if (!Exists(target)) {
    ForceDirectory(target);
    return true;
  }
  if (!Exists(ExcludeTrailingPathDelimiter(target) + "/" + DbName())) return true;
  TDataInfomationRec from, to;
  DataInfo.ReadDataInfo(source, from);
  DataInfo.ReadDataInfo(target, to);
  const std::string a = "　【" + word + "元】：";
  const std::string b = "　【" + word + "先】：";
  auto date = [](const std::string& text) { return FormatDateStyle("yyyy/mm/dd", 2, DateOf(text)); };
  auto add = [this](std::initializer_list<std::string> lines) {
    MsgLines.insert(MsgLines.end(), lines);
    MsgLines.emplace_back();
  };
  if (from.SHOUGOU != to.SHOUGOU) add({"会社名に違いがありました。", a + from.SHOUGOU, b + to.SHOUGOU});
  if (from.KISHU != to.KISHU) add({"期首に違いがありました。", a + date(from.KISHU), b + date(to.KISHU)});
  if (from.KIMATU != to.KIMATU) add({"期末に違いがありました。", a + date(from.KIMATU), b + date(to.KIMATU)});
  if (from.TOTALSIWAKE < to.TOTALSIWAKE)
    add({"仕訳件数(修正・削除仕訳含む)が減っています。", a + FormatAmount(from.TOTALSIWAKE) + " 件",
         b + FormatAmount(to.TOTALSIWAKE) + " 件"});
  if (MsgLines.empty()) return true;
  TMessageInfoRec info;
  InitMessageInfo(info);
  info.Kind = 2;
  info.Caption = "データ照合チェックの結果";
  info.Message = "以下の項目に違いが検出されました。";
  info.MessageColor = clRed;
  info.Lines = MsgLines;
  info.AgreeCaption = "データ" + word + "処理の続行に同意します。";
  return ShowMessageBox(info) == mrOk;
}

void TServerSentakuBox::DropChildren(int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(Rows.size())) return;
  TDataSentakuRec& row = Rows[index];
  row.ChildCount = 0;
  row.Children.clear();
  if (!IsCombinedKind(row.GASSAN)) return;
  ListCtl->DeleteServerDataListChildRecord(row, true);
  std::vector<std::string> names;
  TDataSentakuListCtl::GetSubFolderNames(row.PASNAME, names);
  for (const std::string& name : names) {
    const std::string sub = ExcludeTrailingPathDelimiter(row.PASNAME) + "/" + name;
    if (DM) DM->RmDir(sub, ConnectMode);
    else SafeDeleteFiles(sub, soDelete, false, true);
  }
}

void TServerSentakuBox::CopyChildRows(int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(Rows.size())) return;
  TDataSentakuRec& target = Rows[index];
  if (!IsParentKind(target.GASSAN)) return;
  const bool sourceCombined = CopySourceIndex >= 0 && CopySourceIndex < static_cast<int32_t>(Rows.size()) &&
                              IsCombinedKind(CopySourceRow.GASSAN) && IsCombinedKind(Rows[CopySourceIndex].GASSAN);
  target.Children.clear();
  target.ChildCount = 0;
  if (!sourceCombined) return;
  const TDataSentakuRec from = Rows[CopySourceIndex];
  const std::string oldRoot = ExcludeTrailingPathDelimiter(CopySourceFolder);
  const std::string newRoot = ExcludeTrailingPathDelimiter(target.PASNAME);
  for (TDataListRec c : from.Children) {
    c.REC = target.REC;
    for (size_t at = c.PASNAME.find(oldRoot); !oldRoot.empty() && at != std::string::npos;
         at = c.PASNAME.find(oldRoot, at + newRoot.size()))
      c.PASNAME.replace(at, oldRoot.size(), newRoot);
    ListCtl->UpdateServerDataListRecord(c, 0, true);
    target.Children.push_back(c);
  }
  target.ChildCount = static_cast<int32_t>(target.Children.size());
}

void TServerSentakuBox::AddArea() {
  if (static_cast<int>(Rows.size()) >= kMaxServerAreas) {
    uis::ShowMessage(uis::MsgKind::Warning, "これ以上の領域追加は行えません。(最大" + std::to_string(kMaxServerAreas) + "件)");
    return;
  }
  if (ShareRoot.empty()) return;
  if (!InputBox) InputBox = CreateForm<TInputDlgBox>(this);
  InputBox->InputMode = 0;
  InputBox->CaptionText = "データの領域追加";
  InputBox->Message = "新しく作成するフォルダ名を入力して下さい。";
  InputBox->MessageColor = clWindowText;
  std::string proposed;
  ListCtl->GetServerFolderName(ShareRoot, 1, proposed);
  InputBox->Value = proposed;
  InputBox->MaxLength = 10;
  InputBox->InputIme = imClose;
  InputBox->InputRequired = false;
  InputBox->InputHint =
      "ﾌｫﾙﾀﾞ名を指定して［OK］するとﾃﾞｰﾀ領域が追加されます。|ﾌｫﾙﾀﾞ名を指定して［OK］するとﾃﾞｰﾀ領域が追加されます。";
  InputBox->SetCharFilter(40);
  InputBox->Setup(1);
  if (InputBox->ShowModal() != mrOk) return;
  const std::string name = QString::fromStdString(TrimZenkaku(InputBox->Value)).toLower().toStdString();
  if (name.empty()) return;
  // A name must stay one folder below the shared folder.
  if (name == "." || name == ".." || name.find('/') != std::string::npos || name.find('\\') != std::string::npos) {
    uis::ShowMessage(uis::MsgKind::Warning, "\"" + name + "\"の作成に失敗しました。");
    return;
  }
  const std::string path = ExcludeTrailingPathDelimiter(ShareRoot) + "/" + name;
  if (Exists(path)) {
    uis::ShowMessage(uis::MsgKind::Warning, "\"" + path + "\"は既に作成されています。");
    return;
  }
  if (!ForceDirectory(path)) {
    uis::ShowMessage(uis::MsgKind::Warning, "\"" + path + "\"の作成に失敗しました。");
    return;
  }
  TDataSentakuRec row;
  RowFromDataInfo(row, true);
  row.ENTTEXT = kNewAreaName;
  row.DispName = kNewAreaName;
  row.PASNAME = path;
  RegisterRow(row);
  Rows.push_back(row);
  LoadList(0);
  ShowList();
  LocateFolder(path);
  PerfectGrid1->SetFocus();
}

void TServerSentakuBox::DeleteData(bool showFailure) {
  TPerfectGrid* g = PerfectGrid1;
  const int row = g->Row();
  if (row == TPerfectGrid::kNoRow || row < 0 || row >= g->Rows()) return;
  if (!IsParentKind(ToInt(g->CellText(kSvColGassan, row)))) return;
  const TDataListRec rec = GetRowRecord(row);
  const uint8_t st = CheckFolderState(rec.PASNAME, false, true);
  if (st != 1 && st != 10) return;
  MsgLines = {"【データ名】", "　" + g->CellText(kSvColName, row), "",
              "【会計期間】", "　" + g->CellText(kSvColKikan, row), "",
              "【データフォルダ】", "　" + g->CellText(kSvColFolder, row)};
  TMessageInfoRec info;
  InitMessageInfo(info);
  info.Kind = 2;
  info.Caption = "データの削除";
  info.Message = "選択中のデータを削除します。";
  info.MessageColor = clRed;
  info.Lines = MsgLines;
  info.AgreeCaption = "データの削除に同意します";
  if (ShowMessageBox(info) != mrOk) return;
  // Only an area below the shared folder is ever handed to the recursive delete.
  const bool deleted = IsDataFolderDeletable(rec.PASNAME) && SafeDeleteFiles(rec.PASNAME, soDelete, false, true) &&
                       !Exists(rec.PASNAME);
  RefreshFromFolders();
  if (!deleted && showFailure) uis::ShowMessage(uis::MsgKind::Error, "データの削除に失敗しました。\r削除処理を中止しました。");
}
