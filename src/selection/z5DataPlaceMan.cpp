#include "selection/z5DataPlaceMan.h"

#include <QString>

#include <algorithm>
#include <cstdio>
#include <exception>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccFunction.h"
#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "platform/Encoding.h"
#include "platform/UiServices.h"
#include "platform/db/TransactionScope.h"
#include "ui/PerfectGrid.h"
#include "ui/forms/Application.h"
#include "ui/forms/Keys.h"

using namespace forms;

namespace {

constexpr const char* kNoName = "名称が入力されていません。";
constexpr const char* kFolderExists = "既にデータサーバーにフォルダが作成されています。";
constexpr const char* kMkDirFailed = "データサーバーへフォルダの作成が失敗しました。";
constexpr const char* kSaveFailed = "データの場所の更新に失敗しました。";
constexpr const char* kLoadFailed = "データの場所の読み込みに失敗しました。";
// Place names and folder paths hold this many CP932 bytes.
constexpr size_t kNameBytes = 40;
constexpr size_t kPathBytes = 254;
constexpr int kPlaceCount = 100;

std::string Bare(const char* key) { return std::string(key) + ":"; }

}  // namespace

std::string StandardPlaceName(const std::string& sysDataFolder) {
  return sjis::ByteLength(sysDataFolder) > kNameBytes ? std::string("標準の場所") : sysDataFolder;
}

TDataPlaceBox::TDataPlaceBox(QWidget* owner) : TBSDI(owner) {
  SetName("DataPlaceBox");
  SetCaption("データの場所の設定");
  SetBorderStyle(bsDialog);
  SetBorderIcons(biSystemMenu);
  SetPosition(poOwnerFormCenter);
  SetKeyPreview(true);
  SetShowHint(true);
  SetClientSize(691, 437);

  PerfectGrid1 = new TPerfectGrid(this);
  PerfectGrid1->SetName("PerfectGrid1");
  PerfectGrid1->SetBounds(16, 16, 522, 289);
  PerfectGrid1->SetSelectMode(gsRow);

  auto button = [this](const char* name, const char* caption, int top) {
    auto* b = new TxPlButton(this);
    b->SetName(name);
    b->CaptionA().SetCaption(caption);
    b->SetBounds(552, top, 120, 32);
    b->SetTabStop(false);
    return b;
  };
  F2 = button("F2", "F2:新規作成", 16);
  F3 = button("F3", "F3:名称変更", 56);
  F5 = button("F5", "F5:削除", 96);
  F6 = button("F6", "▲ 上へ", 176);
  F7 = button("F7", "▼ 下へ", 216);
  F1 = button("F1", "F1:ヘルプ", 256);
  F1->SetVisible(false);

  PanelHint = new TPanel(this);
  PanelHint->SetName("PanelHint");
  PanelHint->SetCaption("");
  PanelHint->SetBevelOuter(bvNone);
  PanelHint->SetBounds(16, 316, 659, 65);
  HintArea = new TMemo(PanelHint);
  HintArea->SetName("HintArea");
  HintArea->SetBounds(0, 0, 659, 65);
  HintArea->SetReadOnly(true);
  HintArea->SetTabStop(false);

  btnOK = new TxPlButton(this);
  btnOK->SetName("btnOK");
  btnOK->CaptionA().SetCaption("閉じる");
  btnOK->SetBounds(579, 392, 96, 32);
  btnOK->SetModalResult(mrOk);
  btnCancel = new TxPlButton(this);
  btnCancel->SetName("btnCancel");
  btnCancel->CaptionA().SetCaption("キャンセル");
  btnCancel->SetBounds(475, 392, 96, 32);
  btnCancel->SetModalResult(mrCancel);
  btnCancel->SetVisible(false);
}

void TDataPlaceBox::FormCreate(QObject* Sender) {
  TBSDI::FormCreate(Sender);
  UsePlainDialogFlags(HintArea);

  SetGridColors(PerfectGrid1, 1);
  PerfectGrid1->SetCols(kPlaceColCount);
  struct Column {
    const char* heading;
    int width;
    TAlignment align;
  };
  const Column columns[kPlaceColCount] = {
      {"No", 40, taRightJustify}, {"名称", 230, taLeftJustify}, {"フォルダパス", 230, taLeftJustify}, {"", 0, taLeftJustify}};
  for (int c = 0; c < kPlaceColCount; ++c) {
    PerfectGrid1->SetCellText(c, TPerfectGrid::kHeadingRow, columns[c].heading);
    PerfectGrid1->SetColWidth(c, columns[c].width);
    PerfectGrid1->SetColAlign(c, columns[c].align);
  }
  PerfectGrid1->OnCellGotFocus = [this](QObject*, int, int row) {
    if (row < 0 || row >= PerfectGrid1->Rows()) return;
    PerfectGrid1->SetRowForeColor(row, TColor(SystemDef.ActiveColor));
    UpdateKeys();
  };
  PerfectGrid1->OnCellLostFocus = [this](QObject*, int, int row) {
    if (row < 0 || row >= PerfectGrid1->Rows()) return;
    PerfectGrid1->SetRowForeColor(row, PerfectGrid1->ForeColor());
  };
  F1->OnClick = [this](QObject* s) { F1Click(s); };
  F2->OnClick = [this](QObject* s) { F2Click(s); };
  F3->OnClick = [this](QObject* s) { F3Click(s); };
  F5->OnClick = [this](QObject* s) { F5Click(s); };
  F6->OnClick = [this](QObject* s) { F6Click(s); };
  F7->OnClick = [this](QObject* s) { F7Click(s); };
  btnOK->OnClick = [this](QObject* s) { btnOKClick(s); };
  FCreatedOK = true;
}

void TDataPlaceBox::FormClose(QObject* Sender, TCloseAction& Action) {
  TBSDI::FormClose(Sender, Action);
  Action = caHide;
}

void TDataPlaceBox::LoadHints() {
  std::string example = "ﾄﾞﾗｲﾌﾞ:\\ZIVODARORER\\DATA";
  if (OemKind == 1 || OemKind == 2) {
    QString e = QString::fromStdString(example);
    e.replace(QStringLiteral("\\ZIVODARORER\\DATA"), QString::fromStdString(AppInfo.ServerDir).toUpper(),
              Qt::CaseInsensitive);
    example = e.toStdString();
  }
  PerfectGrid1->SetHint("データ管理フォルダの情報を管理します。|[F2]で新規作成、[F3]で名称変更、[F5]で削除します。（例外：\"" +
                        example + "\"行の削除は禁止）\r\n[上へ][下へ]でリストの並べ替えが行えます。");
  btnOK->SetHint("内容を保存して画面を閉じます。|内容を保存して画面を閉じます。");
  btnCancel->SetHint("画面を閉じます。|画面を閉じます。");
}

// ---------------------------------------------------------------------------------------
// Store

bool TDataPlaceBox::LoadPlaces(bool namedOnly) {
  PlaceList.clear();
  if (!DM) return false;
  TIBSQL q;
  q.SetDatabase(&DM->IBDatabaseDEF);
  q.SetTransaction(&DM->IBTransactionDEF);
  try {
    TTransactionScope tx(DM->IBTransactionDEF);
    q.SQL = "SELECT COUNT(REC) AS RECCNT FROM DATAPLACEMAN";
    q.ExecQuery();
    const int64_t count = q.Eof() ? 0 : q.FieldByName("RECCNT").AsInteger();
    q.Close();
    if (count == 0) {
      // A system folder that leaves no room for the two digits of the places cannot be
      // filled in: say so rather than store paths the column would refuse or cut.
      const std::string folder = SystemDef.SysDir;
      if (sjis::ByteLength(folder) + 2 > kPathBytes)
        throw std::runtime_error("システムデータフォルダのパスが長すぎるため、データの場所を作成できません。\r" + folder);
      q.SQL = "INSERT INTO DATAPLACEMAN (REC,ORDERKBN,NAME,PATH) VALUES (:REC,:ORDERKBN,:NAME,:PATH)";
      for (int n = 0; n < kPlaceCount; ++n) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%.2d", n);
        q.ParamByName("REC").SetInteger(n);
        q.ParamByName("ORDERKBN").SetInteger(n + 1);
        q.ParamByName("NAME").SetString(n == 0 ? StandardPlaceName(folder) : std::string());
        q.ParamByName("PATH").SetString(n == 0 ? folder : folder + digits);
        q.ExecQuery();
        q.Close();
      }
    }
    const std::string cond = namedOnly ? " WHERE NAME<>''" : "";
    q.SQL = "SELECT REC,ORDERKBN,NAME,PATH FROM DATAPLACEMAN" + cond + " ORDER BY ORDERKBN,REC";
    q.ExecQuery();
    while (!q.Eof()) {
      TDataPlaceRec r;
      r.REC = q.FieldByName("REC").AsInteger();
      r.ORDERKBN = q.FieldByName("ORDERKBN").AsInteger();
      r.NAME = q.FieldByName("NAME").AsString();
      r.PATH = q.FieldByName("PATH").AsString();
      PlaceList.push_back(std::move(r));
      q.Next();
    }
    q.Close();
    return true;
  } catch (const std::exception& e) {
    q.Close();
    ReportFailure(e, "TDataPlaceBox.LoadPlaces", kLoadFailed);
    return false;
  }
}

void TDataPlaceBox::SavePlaces() {
  TIBSQL q;
  q.SetDatabase(&DM->IBDatabaseDEF);
  q.SetTransaction(&DM->IBTransactionDEF);
  {
    TTransactionScope tx(DM->IBTransactionDEF);
    for (const TDataPlaceRec& r : PlaceList) {
      if (r.State <= 0) continue;
      q.SQL = "UPDATE DATAPLACEMAN SET ORDERKBN=:ORDERKBN,NAME=:NAME WHERE REC=:REC";
      q.ParamByName("ORDERKBN").SetInteger(r.ORDERKBN);
      q.ParamByName("NAME").SetString(r.NAME);
      q.ParamByName("REC").SetInteger(r.REC);
      q.ExecQuery();
      q.Close();
      if (r.State == 1) {
        q.SQL = "SELECT REC FROM SP_DATALIST_INSERT(:REC,:PATH,:MAXCNT)";
        q.ParamByName("REC").SetInteger(r.REC);
        q.ParamByName("PATH").SetString(r.PATH);
        q.ParamByName("MAXCNT").SetInteger(AppInfo.DataListCnt > 0 ? AppInfo.DataListCnt : 120);
        q.ExecQuery();
        while (!q.Eof()) q.Next();
        q.Close();
      } else if (r.State == 9) {
        q.SQL = "DELETE FROM DATALIST_EX WHERE DATAPLACEREC=:REC";
        q.ParamByName("REC").SetInteger(r.REC);
        q.ExecQuery();
        q.Close();
      }
    }
  }
  for (TDataPlaceRec& r : PlaceList) r.State = 0;
}

bool TDataPlaceBox::HasData(int32_t rec) {
  std::vector<std::string> folders;
  TIBSQL q;
  q.SetDatabase(&DM->IBDatabaseDEF);
  q.SetTransaction(&DM->IBTransactionDEF);
  try {
    TTransactionScope tx(DM->IBTransactionDEF, TTransactionScope::End::Commit);
    q.SQL = "SELECT PASNAME FROM DATALIST_EX WHERE (DATAPLACEREC=:REC) ORDER BY REC";
    q.ParamByName("REC").SetInteger(rec);
    q.ExecQuery();
    while (!q.Eof()) {
      folders.push_back(q.FieldByName("PASNAME").AsString());
      q.Next();
    }
    q.Close();
  } catch (const std::exception&) {
    q.Close();
    return true;
  }
  for (const std::string& f : folders)
    if (!TrimZenkaku(f).empty() && DM->DExist(f, ConnectMode)) return true;
  return false;
}

// ---------------------------------------------------------------------------------------
// Look-ups

void TDataPlaceBox::GetPlaceNames(std::string& text) {
  text.clear();
  LoadPlaces(true);
  for (const TDataPlaceRec& r : PlaceList) text += r.NAME + "\r";
}

int32_t TDataPlaceBox::PlaceRecAt(int index) const {
  return index >= 0 && index < static_cast<int>(PlaceList.size()) ? PlaceList[index].REC : -1;
}

void TDataPlaceBox::PlacePathAt(int index, std::string& path) const {
  path = index >= 0 && index < static_cast<int>(PlaceList.size()) ? PlaceList[index].PATH : std::string();
}

int TDataPlaceBox::IndexOfPlaceRec(int32_t rec) const {
  for (size_t i = 0; i < PlaceList.size(); ++i)
    if (PlaceList[i].REC == rec) return static_cast<int>(i);
  return -1;
}

void TDataPlaceBox::PlacePathOfRec(int32_t rec, std::string& path) const {
  const int i = IndexOfPlaceRec(rec);
  path = i < 0 ? std::string() : PlaceList[i].PATH;
}

// ---------------------------------------------------------------------------------------
// Dialog

void TDataPlaceBox::Setup(uint8_t mode) {
  SetupMode = mode;
  LoadHints();
  LoadPlaces(false);
  FillGrid();
  int current = 0;
  for (int row = 0; row < PerfectGrid1->Rows(); ++row)
    if (PerfectGrid1->CellText(kPlaceColRec, row) == std::to_string(SystemDef.DataPlaceRec)) current = row;
  if (PerfectGrid1->Rows() > 0) PerfectGrid1->SetCurCell(kPlaceColNo, current);
  UpdateKeys();
  FSetupPending = false;
}

void TDataPlaceBox::FillGrid() {
  TPerfectGrid* g = PerfectGrid1;
  g->SetRedraw(false);
  g->DeleteAllRows();
  g->InsertRows(0, static_cast<int>(PlaceList.size()));
  for (size_t i = 0; i < PlaceList.size(); ++i) {
    const int row = static_cast<int>(i);
    g->SetCellText(kPlaceColRec, row, std::to_string(PlaceList[i].REC));
    g->SetCellText(kPlaceColNo, row, std::to_string(row + 1));
    g->SetCellText(kPlaceColName, row, PlaceList[i].NAME);
    g->SetCellText(kPlaceColPath, row, PlaceList[i].PATH);
  }
  g->SetRedraw(true);
}

int TDataPlaceBox::CurrentRow() const {
  const int row = PerfectGrid1->Row();
  return row >= 0 && row < PerfectGrid1->Rows() ? row : -1;
}

TDataPlaceRec* TDataPlaceBox::ListRowOf(int32_t rec) {
  for (TDataPlaceRec& r : PlaceList)
    if (r.REC == rec) return &r;
  return nullptr;
}

void TDataPlaceBox::UpdateKeys() {
  F2->CaptionA().SetCaption(Bare("F2"));
  F3->CaptionA().SetCaption(Bare("F3"));
  F5->CaptionA().SetCaption(Bare("F5"));
  F6->SetEnabled(true);
  F7->SetEnabled(true);
  const int row = CurrentRow();
  if (row < 0) return;
  if (PerfectGrid1->CellText(kPlaceColRec, row) != "0") F5->CaptionA().SetCaption("F5:削除");
  if (!TrimZenkaku(PerfectGrid1->CellText(kPlaceColName, row)).empty()) {
    F3->CaptionA().SetCaption("F3:名称変更");
  } else {
    F2->CaptionA().SetCaption("F2:新規作成");
    F5->CaptionA().SetCaption(Bare("F5"));
  }
  if (row == 0) F6->SetEnabled(false);
  else if (row == PerfectGrid1->Rows() - 1) F7->SetEnabled(false);
}

void TDataPlaceBox::FocusGrid() {
  if (Showing()) PerfectGrid1->SetFocus();
}

bool TDataPlaceBox::AskName(const char* caption, const char* message, const char* hint, std::string& name) {
  uis::InputRequest request;
  request.caption = caption;
  request.message = message;
  request.value = name;
  request.hint = hint;
  request.maxLength = 20;
  if (!uis::Ui().InputText(request)) {
    FocusGrid();
    return false;
  }
  name = TrimZenkaku(request.value);
  if (name.empty()) {
    uis::ShowMessage(uis::MsgKind::Information, kNoName);
    FocusGrid();
    return false;
  }
  return true;
}

bool TDataPlaceBox::SaveAction(const char* method) {
  try {
    SavePlaces();
    return true;
  } catch (const std::exception& e) {
    ReportFailure(e, std::string("TDataPlaceBox.") + method, kSaveFailed);
    // What was not written is read back as it is stored.
    const int row = CurrentRow();
    LoadPlaces(false);
    FillGrid();
    if (row >= 0 && row < PerfectGrid1->Rows()) PerfectGrid1->SetCurCell(kPlaceColNo, row);
    return false;
  }
}

void TDataPlaceBox::F1Click(QObject*) {}

void TDataPlaceBox::F2Click(QObject*) {
  if (!KeyOffered(F2)) return;
  const int row = CurrentRow();
  if (row < 0) return;
  const int32_t rec = std::stoi("0" + PerfectGrid1->CellText(kPlaceColRec, row));
  TDataPlaceRec* place = ListRowOf(rec);
  if (!place) return;
  std::string name;
  if (!AskName("新規作成", "新しく作成するデータ管理フォルダの名称を入力して下さい。",
               "新しく作成するデータ管理フォルダの名称を入力します。", name))
    return;
  if (DM->DExist(place->PATH, ConnectMode)) {
    uis::ShowMessage(uis::MsgKind::Information, kFolderExists);
  } else if (!DM->MkDir(place->PATH, ConnectMode)) {
    uis::ShowMessage(uis::MsgKind::Information, kMkDirFailed);
    FocusGrid();
    return;
  }
  PerfectGrid1->SetCellText(kPlaceColName, row, name);
  place->State = 1;
  place->NAME = name;
  SaveAction("F2Click");
  FocusGrid();
  UpdateKeys();
}

void TDataPlaceBox::F3Click(QObject*) {
  if (!KeyOffered(F3)) return;
  const int row = CurrentRow();
  if (row < 0) return;
  TDataPlaceRec* place = ListRowOf(std::stoi("0" + PerfectGrid1->CellText(kPlaceColRec, row)));
  if (!place) return;
  std::string name = PerfectGrid1->CellText(kPlaceColName, row);
  if (!AskName("名称の変更", "データ管理フォルダの名称を入力して下さい。", "データ管理フォルダの管理名称を変更します。", name))
    return;
  PerfectGrid1->SetCellText(kPlaceColName, row, name);
  place->State = 2;
  place->NAME = name;
  SaveAction("F3Click");
  FocusGrid();
  UpdateKeys();
}

void TDataPlaceBox::F5Click(QObject*) {
  if (!KeyOffered(F5)) return;
  const int row = CurrentRow();
  if (row < 0) return;
  const int32_t rec = std::stoi("0" + PerfectGrid1->CellText(kPlaceColRec, row));
  TDataPlaceRec* place = ListRowOf(rec);
  if (!place || rec == 0) return;
  if (HasData(rec)) {
    uis::ShowMessage(uis::MsgKind::Information,
                     "このフォルダ配下には会計データが存在しているため削除することが出来ません。\r"
                     "どうしても削除を行いたい場合は、配下の会計データをすべて削除してから処理して下さい。");
    return;
  }
  if (uis::ShowMessage(uis::MsgKind::Confirmation, "[" + place->NAME + "]を削除します。よろしいですか？", {},
                       uis::Buttons::OkCancel, uis::mrOk) != uis::mrOk)
    return;
  PerfectGrid1->SetCellText(kPlaceColName, row, "");
  place->State = 9;
  place->NAME.clear();
  SaveAction("F5Click");
  FocusGrid();
  UpdateKeys();
}

void TDataPlaceBox::MoveRow(int delta) {
  const int row = CurrentRow();
  const int rows = PerfectGrid1->Rows();
  if (row < 0 || rows <= 1) return;
  const int target = row + delta;
  if (target < 0 || target >= rows) return;
  TPerfectGrid* g = PerfectGrid1;
  for (int c : {kPlaceColRec, kPlaceColName, kPlaceColPath}) {
    const std::string a = g->CellText(c, row);
    g->SetCellText(c, row, g->CellText(c, target));
    g->SetCellText(c, target, a);
  }
  g->SetRowForeColor(row, g->ForeColor());
  g->SetCurCell(kPlaceColNo, target);
  for (int r = 0; r < rows; ++r) {
    g->SetCellText(kPlaceColNo, r, std::to_string(r + 1));
    TDataPlaceRec* place = ListRowOf(std::stoi("0" + g->CellText(kPlaceColRec, r)));
    if (place && place->ORDERKBN != r + 1) {
      place->ORDERKBN = r + 1;
      place->State = 2;
    }
  }
  // The list follows the grid's order, so that the look-ups keep matching what is shown.
  std::stable_sort(PlaceList.begin(), PlaceList.end(),
                   [](const TDataPlaceRec& a, const TDataPlaceRec& b) { return a.ORDERKBN < b.ORDERKBN; });
  SaveAction(delta < 0 ? "F6Click" : "F7Click");
  FocusGrid();
  UpdateKeys();
}

void TDataPlaceBox::F6Click(QObject*) { MoveRow(-1); }
void TDataPlaceBox::F7Click(QObject*) { MoveRow(1); }
void TDataPlaceBox::btnOKClick(QObject*) {}

void TDataPlaceBox::FormKeyUp(QObject* Sender, int& Key, TShiftState Shift) {
  switch (Key) {
    case VK_F1: F1Click(F1); Key = 0; return;
    case VK_F2: F2Click(F2); Key = 0; return;
    case VK_F3: F3Click(F3); Key = 0; return;
    case VK_F5: F5Click(F5); Key = 0; return;
    case VK_F4:
    case VK_F6:
    case VK_F7:
    case VK_F8:
    case VK_F12: Key = 0; return;
    default: TBSDI::FormKeyUp(Sender, Key, Shift);
  }
}

void TDataPlaceBox::CMShowingChanged() {
  TBSDI::CMShowingChanged();
  if (!Showing()) {
    Screen().SetCursor(crDefault);
    return;
  }
  if (!FCreatedOK) {
    ReportInitFailed();
    Close();
    return;
  }
  repaint();
  PerfectGrid1->SetFocus();
  const int row = CurrentRow();
  if (row >= 0) PerfectGrid1->SetRowForeColor(row, TColor(SystemDef.ActiveColor));
  UpdateKeys();
  Screen().SetCursor(crDefault);
}
