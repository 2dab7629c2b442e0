// The data-selection dialog's room for data that does not exist yet (new data on an empty row,
// new data areas in the server modes), its data places and its details button.
#include <QString>

#include <cstdio>
#include <exception>
#include <stdexcept>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccFunction.h"
#include "data/uAccRecord.h"
#include "data/uAccRecordHooks.h"
#include "platform/UiServices.h"
#include "selection/z5DataPlaceMan.h"
#include "selection/z5DataSentaku.h"
#include "selection/z5DataSyosaiInfo.h"
#include "ui/PerfectGrid.h"
#include "ui/z5InputDlg.h"
#include "ui/z5MessageDlg2.h"

using namespace forms;

namespace {

constexpr int32_t kMaxDataSets = 2000;
constexpr const char* kKihonWizId = "VqKihonWiz";
constexpr const char* kCharacterRefused = "入力できない文字が含まれています。";

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

int32_t RunModule(const std::string& id, const std::string& params) {
  if (RunSyoriModuleProc) return RunSyoriModuleProc(id, 1, params);
  return RunSyoriModule(id, 1, params);
}

// The entry holds only what the input dialog lets through: at most `maxChars` characters of
// the filter.
bool EntryAllowed(const std::string& text, int filter, int maxChars) {
  const auto chars = QString::fromStdString(text).toUcs4();
  if (static_cast<int>(chars.size()) > maxChars) return false;
  for (char32_t c : chars)
    if (!InputFilterAccepts(filter, c)) return false;
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// New data

void TDataSentakuBox::NewDataCreate() {
  const int row = PerfectGrid1->Row();
  if (row == TPerfectGrid::kNoRow || row < 0 || row >= PerfectGrid1->Rows()) return;
  TDataListRec& rec = GetRowRecord(row);
  const int32_t index = std::stoi("0" + PerfectGrid1->CellText(kColIndex, row));
  const std::string folder = WithoutTrailingSlash(GetRowDataFolder(row));
  if (CheckDataStatus(folder, false, false) != 1) return;
  TDataInfomationRec info = DataInfoRec;
  info.STATUS = 9;
  info.OPCODE = SystemDef.LogonId;
  info.OPERATOR = SystemDef.OpName;
  try {
    // Without its folder and its mark the data set would be created where nobody can see
    // that it is under way.
    if (!DM->MkDir(folder, ConnectMode)) throw std::runtime_error(folder);
    DataInfo.WriteIniFile(folder, "DATASTS", info);
  } catch (const std::exception& e) {
    ReportFailure(e, "TDataSentakuBox.NewDataCreate", "データフォルダの作成に失敗しました。");
    return;
  }

  const bool serverModes = ConnectMode == 1 || ConnectMode == 2;
  int32_t result = -1;
  try {
    if (serverModes) {
      rec.DATALOCK = OperatorCodeOf(SystemDef.LogonId, SystemDef.GroupId);
      ListCtl->UpdateDataListRecord(rec, 1, true);
    }
    const int32_t recNo = index >= 0 && index < static_cast<int32_t>(Rows.size()) ? Rows[index].REC : rec.REC;
    result = RunModule(kKihonWizId, "DataPath=" + folder + "\rDataListRec=" + std::to_string(recNo) +
                                        "\rPHandle=" + std::to_string(static_cast<long long>(effectiveWinId())));
    if (result == 1) {
      TDataSentakuRec& parent = Rows.at(index);
      ListCtl->GetDataListRecord(0, parent, true);
      ListCtl->GetDataListChildRecord(parent, true);
      if (parent.NETDRIVE == 1) {
        for (TDataListRec& child : parent.Children) {
          child.NETDRIVE = 1;
          QString path = QString::fromStdString(child.PASNAME);
          path.replace(QString::fromStdString(parent.DataFolder), QString::fromStdString(parent.PASNAME));
          child.PASNAME = path.toStdString();
          ListCtl->UpdateDataListChildRecord(child, 1, true);
        }
      }
      SetDataStatus(folder, 1);
    } else if (result == 2 && rec.NETDRIVE != 1) {
      DM->RmDir(folder, ConnectMode);
    }
  } catch (const std::exception& e) {
    ReportFailure(e, "TDataSentakuBox.NewDataCreate", "新規データの作成に失敗しました。");
  }
  if (serverModes) {
    TDataListRec& now = GetRowRecord(row);
    now.DATALOCK = 0;
    ListCtl->UpdateDataListRecord(now, 1, true);
  }
  if (result == 1 && SharedDataKind(0, row) == 2) KyoyuDataPut(1);
  // Only created data is read back from its folder: a refresh of a folder without a database
  // would take its settings file, and with it the status 9 that keeps the folder from being
  // chosen until the status is cleared.
  if (result == 1) RefreshRows(row);
  else FillRow(row, GetRowRecord(row));
  UpdateFunctionKeys();
}

// ---------------------------------------------------------------------------------------
// New data areas

bool TDataSentakuBox::AddDataArea() {
  if (static_cast<int32_t>(Rows.size()) >= kMaxDataSets) {
    uis::ShowMessage(uis::MsgKind::Warning, "これ以上の領域追加は行えません。(最大" + std::to_string(kMaxDataSets) + "件)",
                     {}, uis::Buttons::Yes, uis::mrYes);
    return true;
  }
  char proposed[16];
  std::snprintf(proposed, sizeof proposed, "%.4d", ListCtl->GetDataFolderName(1));
  uis::InputRequest request;
  request.caption = "データの領域追加";
  request.message = "新しく作成するフォルダ名を入力して下さい。";
  request.value = proposed;
  request.hint = "新しく作成するフォルダ名を入力します。";
  request.maxLength = 8;
  request.charFilter = 40;
  if (!uis::Ui().InputText(request)) return true;
  const std::string name = TrimZenkaku(request.value);
  if (name.empty()) return true;
  if (!EntryAllowed(name, 40, 8)) {
    uis::ShowMessage(uis::MsgKind::Information, kCharacterRefused);
    return true;
  }
  const std::string path = WithoutTrailingSlash(SystemDef.SysDir) + "/" + name;
  if (ListCtl->IsDataPathToroku(path)) {
    uis::ShowMessage(uis::MsgKind::Warning, "\"" + path + "\"は既にデータリスト上に作成されています。\r", {},
                     uis::Buttons::Yes, uis::mrYes);
    return true;
  }
  if (DM->DExist(path, ConnectMode)) {
    uis::ShowMessage(uis::MsgKind::Warning, "\"" + path + "\"に会計データが作成されています。\r", {}, uis::Buttons::Yes,
                     uis::mrYes);
    return true;
  }
  TDataSentakuRec added;
  ListCtl->InitDataListRecord(added, path);
  added.NETDRIVE = 0;
  added.ENTTEXT.clear();
  added.GROUPID = SystemDef.GroupId;
  added.NENDO = 1;
  added.PASNAME = path;
  added.DataFolder = path;
  if (!ListCtl->InsertDataListRecord(added, true)) return true;
  Rows.push_back(added);
  // The new row is shown where the list puts it, and becomes current.
  const int top = PerfectGrid1->TopRow();
  LoadList();
  FillGrid(-1);
  PerfectGrid1->SetTopRow(top);
  for (int r = 0; r < PerfectGrid1->Rows(); ++r)
    if (PerfectGrid1->CellText(kColNo, r) == std::to_string(added.REC)) {
      PerfectGrid1->SetCurCell(0, r);
      break;
    }
  PerfectGrid1->SetFocus();
  UpdateFunctionKeys();
  return true;
}

// ---------------------------------------------------------------------------------------
// Data places

void TDataSentakuBox::FillPlaceCombo() {
  if (ConnectMode != 1 && ConnectMode != 2) return;
  if (!DataPlaceBox) DataPlaceBox = CreateForm<TDataPlaceBox>(this);
  std::string names;
  DataPlaceBox->GetPlaceNames(names);
  std::vector<std::string> items;
  size_t start = 0;
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == '\r') {
      items.push_back(names.substr(start, i - start));
      start = i + 1;
    }
  cmbDataMan->SetItems(items);
  int index = DataPlaceBox->IndexOfPlaceRec(DataPlaceNo);
  if (index < 0) {
    DataPlaceNo = 0;
    index = DataPlaceBox->IndexOfPlaceRec(0);
  }
  settingCheck_ = true;
  cmbDataMan->SetItemIndex(index);
  settingCheck_ = false;
  DataPlaceBox->PlacePathOfRec(DataPlaceNo, DataPlacePath);
}

void TDataSentakuBox::cmbDataManChange(QObject*) {
  if (settingCheck_ || !DataPlaceBox) return;
  const int index = cmbDataMan->ItemIndex();
  const int32_t rec = DataPlaceBox->PlaceRecAt(index);
  if (rec < 0 || rec == DataPlaceNo) return;
  DataPlaceNo = rec;
  DataPlaceBox->PlacePathAt(index, DataPlacePath);
  LoadList();
  FillGrid(-1);
  PerfectGrid1->SetFocus();
  UpdateFunctionKeys();
}

void TDataSentakuBox::btnDataManClick(QObject*) {
  if (ConnectMode != 1 && ConnectMode != 2) return;
  if (!DataPlaceBox) DataPlaceBox = CreateForm<TDataPlaceBox>(this);
  DataPlaceBox->Setup(1);
  DataPlaceBox->ShowModal();
  const int32_t before = DataPlaceNo;
  FillPlaceCombo();
  if (DataPlaceNo != before) {
    LoadList();
    FillGrid(-1);
  }
  PerfectGrid1->SetFocus();
  UpdateFunctionKeys();
}

// ---------------------------------------------------------------------------------------
// Details

void TDataSentakuBox::btnDataInfoClick(QObject*) {
  if (!PerfectGrid1->Enabled()) {
    TMessage2InfoRec info;
    InitMessage2Info(2, info);
    info.Lines[0].Text = "データリストが応答状態ではないので処理は行えません。";
    ShowMessage2(info);
    return;
  }
  const int row = PerfectGrid1->Row();
  if (row == TPerfectGrid::kNoRow || row < 0 || row >= PerfectGrid1->Rows()) return;
  TDataListRec& rec = GetRowRecord(row);
  const std::string folder = WithoutTrailingSlash(GetRowDataFolder(row));
  if ((rec.KISHU > 0 || rec.KIMATU > 0) && rec.DATA_STATUS != 1 && DM &&
      DM->CallDataCheckHook(SystemDef.HostName, folder, 0, 0) == 0)
    MarkDamaged(row);
  if (!SyosaiInfoBox) SyosaiInfoBox = CreateForm<TDataSyosaiInfoBox>(this);
  TDataSyosaiInfoBox* box = SyosaiInfoBox;
  box->ServerMode = false;
  box->RowRef = rec;
  // The folder goes as it is stored: file access needs its own case.
  box->DetailFolder = folder;
  box->ListName = rec.ENTTEXT;
  box->UpdateLock = rec.UPDATE_LOCK;
  box->ReadOnly = rec.NETDRIVE == 1 && rec.KYOYULOCK == 0;
  box->DataPlaceRec = ConnectMode == 0 ? 0 : DataPlaceNo;
  box->Setup(1);
  if (box->ShowModal() == mrOk) {
    const uint8_t s = CheckDataStatus(folder, false, false);
    const bool allowed = ConnectMode == 0 ? s == 1 : s == 1 || s == 2;
    if (allowed && !box->ReadOnly) {
      try {
        TDataInfomationRec info;
        DataInfo.ReadDataInfo(folder, info);
        info.DATALISTNAME = box->ListName;
        info.UPDATE_LOCK = box->UpdateLock;
        DataInfo.UpdateDataInfomation(SystemDef.HostName, folder, info);
        rec.ENTTEXT = box->ListName;
        rec.DispName = box->ListName;
        rec.UPDATE_LOCK = box->UpdateLock;
        DataInfo.WriteIniValue(folder, "DATAINFO", false, box->ListName, "DATALISTNAME");
        DataInfo.WriteIniValue(folder, "DATASTS", false, static_cast<int64_t>(box->UpdateLock), "UPDATE_LOCK");
        PerfectGrid1->SetCellText(kColName, row, box->ListName);
        PerfectGrid1->SetCellText(kColUpdate, row, std::to_string(box->UpdateLock));
      } catch (const std::exception& e) {
        ReportFailure(e, "TDataSentakuBox.btnDataInfoClick", "データ情報の更新に失敗しました。");
      }
    }
    if (box->StatusClearRequested) {
      SetDataStatus(folder, 1);
      rec.DATALOCK = 0;
      SetLockCell(row, 0);
    }
    if (!TrimZenkaku(rec.PASNAME).empty()) ListCtl->UpdateDataListRecord(rec, 1, true);
    CheckUpdateNeeded(row, true);
  }
  if (box->Rebuilt) {
    rec.DATA_STATUS = 0;
    if (!TrimZenkaku(rec.PASNAME).empty()) ListCtl->UpdateDataListRecord(rec, 1, true);
    RefreshRows(row);
    PerfectGrid1->SetRowBackColor(row, clDefault);
    PerfectGrid1->SetCurCell(0, row);
  }
  PerfectGrid1->SetFocus();
  UpdateFunctionKeys();
}
