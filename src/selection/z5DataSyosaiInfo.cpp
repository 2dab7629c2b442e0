#include "selection/z5DataSyosaiInfo.h"

#include <QString>

#include <exception>
#include <filesystem>
#include <memory>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccClassesBackup.h"
#include "data/uAccFunction.h"
#include "data/uAccFunction2Date.h"
#include "data/uAccFunction2Win.h"
#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "platform/DateTime.h"
#include "platform/UiServices.h"
#include "platform/db/TransactionScope.h"
#include "ui/forms/Application.h"
#include "ui/forms/Keys.h"

using namespace forms;

namespace {

constexpr const char* kNotSet = "設定なし";
constexpr const char* kInUseByOthers =
    "現在、他のユーザーがデータに接続中です。他のユーザーがデータに接続している間はデータの再構築は行えません。";
constexpr const char* kCopyFailed = "データ再構築の前処理（会計データのコピー）に失敗しました。";
constexpr const char* kRebuildFailed = "データ再構築の処理に失敗しました。";
constexpr const char* kRebuilt = "データの再構築は適正に行われました。";

std::string DataFileName() { return fw::AccDbFile.empty() ? std::string("qvacc.fdb") : fw::AccDbFile; }
std::string BackupFileName() { return fw::AccBackupFile.empty() ? std::string("qvacc.fbk") : fw::AccBackupFile; }
std::string IniFileName() { return fw::DataIniFile.empty() ? std::string("qvacc.ini") : fw::DataIniFile; }

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string ChangeExt(const std::string& path, const char* ext) {
  return std::filesystem::path(path).replace_extension(ext).string();
}

std::string OrNotSet(const std::string& text) { return text.empty() ? std::string(kNotSet) : text; }

}  // namespace

std::string DataKbnName(int32_t dataKbn, int32_t codeKbn) {
  struct Kind {
    int32_t data, code;
    const char* name;
  };
  static const Kind kinds[] = {{1, 1, "法人"},           {2, 1, "個人(一般)"}, {2, 2, "個人(不動産)"},
                               {3, 1, "医療法人"},       {2, 3, "個人(クリニック)"}, {2, 4, "個人(農業)"}};
  for (const Kind& k : kinds)
    if (k.data == dataKbn && k.code == codeKbn) return k.name;
  return kNotSet;
}

TDataDetailsShow DataDetailsShow(uint8_t status, uint8_t connectMode, bool readOnly, bool admin, int32_t logonId,
                                 int32_t opCode, int32_t groupId) {
  TDataDetailsShow show;
  const bool serverModes = connectMode == 1 || connectMode == 2;
  const bool normal = connectMode == 0 ? status == 1 : serverModes && (status == 1 || status == 2);
  if (!normal)
    show.CanClearStatus = admin || OperatorCodeOf(logonId, groupId) == OperatorCodeOf(opCode, groupId);
  show.ClearBoxVisible = show.CanClearStatus;
  show.OkVisible = !(readOnly && !show.CanClearStatus);
  if (status == 0) show.OkVisible = false;
  if (status == 10) show.OkVisible = show.ClearBoxVisible = false;
  return show;
}

TDataSyosaiInfoBox::TDataSyosaiInfoBox(QWidget* owner) : TBSDI(owner) {
  SetName("DataSyosaiInfoBox");
  SetCaption("データの詳細情報");
  SetBorderStyle(bsDialog);
  SetBorderIcons(biSystemMenu);
  SetPosition(poOwnerFormCenter);
  SetKeyPreview(true);
  SetShowHint(true);
  SetClientSize(932, 457);

  auto group = [this](const char* name, const char* caption, int left, int width) {
    auto* g = new TGroupBox(this);
    g->SetName(name);
    g->SetCaption(caption);
    g->SetBounds(left, 8, width, 316);
    return g;
  };
  GroupBox1 = group("GroupBox1", "管理情報", 12, 440);
  GroupBox2 = group("GroupBox2", "基本情報", 460, 460);
  auto caption = [](TGroupBox* parent, const char* text, int top) {
    auto* l = new TLabel(parent);
    l->SetCaption(text);
    l->SetBounds(12, top, 0, 0);
    return l;
  };
  auto value = [](TGroupBox* parent, const char* name, int top) {
    auto* l = new TLabel(parent);
    l->SetName(name);
    l->SetCaption("");
    l->SetBounds(130, top, 0, 0);
    return l;
  };
  caption(GroupBox1, "データの状態:", 28);
  lblStatus = value(GroupBox1, "lblStatus", 28);
  cboxStatusClear = new TxCheckBox(GroupBox1);
  cboxStatusClear->SetName("cboxStatusClear");
  cboxStatusClear->SetCaption("データの状態をクリアする");
  cboxStatusClear->SetBounds(130, 52, 280, 17);
  {
    TFontSpec f = cboxStatusClear->Font();
    f.Color = clRed;
    cboxStatusClear->SetFont(f);
  }
  caption(GroupBox1, "データフォルダ:", 84);
  txtDataPath = new TMemo(GroupBox1);
  txtDataPath->SetName("txtDataPath");
  txtDataPath->SetBounds(130, 82, 296, 60);
  txtDataPath->SetReadOnly(true);
  txtDataPath->SetTabStop(false);
  Image1 = new TImage(GroupBox1);
  Image1->SetName("Image1");
  Image1->SetBounds(12, 160, 32, 32);
  lblDataSeigenMessage = new TLabel(GroupBox1);
  lblDataSeigenMessage->SetName("lblDataSeigenMessage");
  lblDataSeigenMessage->SetCaption("現在、オペレータ毎のデータ選択は制限されていません。");
  lblDataSeigenMessage->SetBounds(52, 168, 0, 0);
  {
    TFontSpec f = lblDataSeigenMessage->Font();
    f.Color = clBlue;
    f.Style = fsBold;
    lblDataSeigenMessage->SetFont(f);
  }
  caption(GroupBox1, "データの更新:", 212);
  cboxDataUpdateLock = new TxCheckBox(GroupBox1);
  cboxDataUpdateLock->SetName("cboxDataUpdateLock");
  cboxDataUpdateLock->SetCaption("禁止する");
  cboxDataUpdateLock->SetBounds(130, 210, 200, 17);

  caption(GroupBox2, "コード:", 28);
  lblCode = value(GroupBox2, "lblCode", 28);
  caption(GroupBox2, "データ区分:", 52);
  lblDataKbn = value(GroupBox2, "lblDataKbn", 52);
  caption(GroupBox2, "会社名:", 76);
  lblName = value(GroupBox2, "lblName", 76);
  caption(GroupBox2, "フリガナ:", 100);
  lblKana = value(GroupBox2, "lblKana", 100);
  caption(GroupBox2, "データリスト名:", 124);
  txtListName = new TxEdit(GroupBox2);
  txtListName->SetName("txtListName");
  txtListName->SetBounds(130, 121, 310, 21);
  txtListName->SetMaxLength(40);
  txtListName->SetImeMode(imHira);
  caption(GroupBox2, "会計年度:", 150);
  lblNendo = value(GroupBox2, "lblNendo", 150);
  caption(GroupBox2, "会計期間:", 174);
  lblKikan = value(GroupBox2, "lblKikan", 174);
  caption(GroupBox2, "担当者コード:", 198);
  lblTanto = value(GroupBox2, "lblTanto", 198);
  caption(GroupBox2, "部門管理:", 222);
  lblBumonKanri = value(GroupBox2, "lblBumonKanri", 222);
  caption(GroupBox2, "本支店管理:", 246);
  lblSitenKanri = value(GroupBox2, "lblSitenKanri", 246);
  caption(GroupBox2, "仕訳件数:", 270);
  lblSiwakeKensu = value(GroupBox2, "lblSiwakeKensu", 270);

  PanelHint = new TPanel(this);
  PanelHint->SetName("PanelHint");
  PanelHint->SetCaption("");
  PanelHint->SetBevelOuter(bvNone);
  PanelHint->SetBounds(12, 332, 908, 65);
  HintArea = new TMemo(PanelHint);
  HintArea->SetName("HintArea");
  HintArea->SetBounds(0, 0, 908, 65);
  HintArea->SetReadOnly(true);
  HintArea->SetTabStop(false);

  auto key = [this](const char* name, int left) {
    auto* b = new TxPlButton(this);
    b->SetName(name);
    b->CaptionA().SetCaption(std::string(name) + ":");
    b->SetBounds(left, 412, 84, 32);
    b->SetTabStop(false);
    return b;
  };
  F1 = key("F1", 12);
  F2 = key("F2", 100);
  F3 = key("F3", 188);
  F4 = key("F4", 276);
  F5 = key("F5", 364);
  F6 = key("F6", 452);
  F7 = key("F7", 540);
  btnOK = new TxPlButton(this);
  btnOK->SetName("btnOK");
  btnOK->CaptionA().SetCaption("OK");
  btnOK->SetBounds(724, 412, 96, 32);
  btnCancel = new TxPlButton(this);
  btnCancel->SetName("btnCancel");
  btnCancel->CaptionA().SetCaption("キャンセル");
  btnCancel->SetBounds(824, 412, 96, 32);
  btnCancel->SetModalResult(mrCancel);
}

void TDataSyosaiInfoBox::FormCreate(QObject* Sender) {
  TBSDI::FormCreate(Sender);
  UsePlainDialogFlags(HintArea);
  DataInfo.ConnectKind = ConnectMode;
  for (TxPlButton* k : {F1, F2, F3, F4, F5, F6, F7}) k->OnClick = [this](QObject* s) { F1Click(s); };
  btnOK->OnClick = [this](QObject* s) { btnOKClick(s); };
  FCreatedOK = true;
}

void TDataSyosaiInfoBox::FormClose(QObject* Sender, TCloseAction& Action) {
  TBSDI::FormClose(Sender, Action);
  Action = caHide;
}

void TDataSyosaiInfoBox::LoadHints() {
  txtDataPath->SetHint(DetailFolder + "|データの場所です。\r\n\r\n[" + AppInfo.AppTitle + "のデータ]は、\"" +
                       SystemDef.SysDir + "\"です。");
  cboxStatusClear->SetHint(
      "データ状態をクリアします。|「データ処理中にアプリケーションが異常終了した」等でデータが「使用中」になってしまった場合に、この項目にチェックを入れて［OK］を押すと次回よりデータの選択が可能となります。");
  cboxDataUpdateLock->SetHint(
      "データ更新の許可／禁止を設定します。|この項目にチェックを入れると、「データ選択」画面から古いバージョンのデータ（更新が必要なデータ）の選択を不可にします。\r\n※選択不可データはグレー表示されます。");
  if (!ReadOnly)
    txtListName->SetHint(
        "ﾃﾞｰﾀ選択画面におけるﾃﾞｰﾀの表示名を変更できます。|「データ選択」画面におけるﾃﾞｰﾀの表示名を変更できます。\r\n決算書、試算表、元帳などの社名の印字は「基本設定」の「名称・期間」ﾀﾌﾞで変更します。");
  else
    txtListName->SetHint(
        "ﾃﾞｰﾀ選択画面におけるﾃﾞｰﾀの表示名です。|「データ選択」画面におけるﾃﾞｰﾀの表示名です。\r\n決算書、試算表、元帳などの社名の印字は「基本設定」の「名称・期間」ﾀﾌﾞで変更します。");
  btnOK->SetHint("内容を保存して画面を閉じます。|内容を保存して画面を閉じます。");
  btnCancel->SetHint("画面を閉じます。|画面を閉じます。");
}

void TDataSyosaiInfoBox::Setup(uint8_t mode) {
  SetupMode = mode;
  ShowDetails();
  FSetupPending = false;
}

void TDataSyosaiInfoBox::ShowDetails() {
  DataInfo.ConnectKind = ConnectMode;
  DataInfo.InitDataInfoRec(InfoRec);
  const std::string folder = WithoutTrailingSlash(DetailFolder);
  if (DM && !folder.empty() && DM->FExist(folder + "/" + DataFileName(), ConnectMode))
    DataInfo.ReadDataInfo(folder, InfoRec);

  const bool hasName = !RowRef.SHOUGOU.empty();
  if (InfoRec.STATUS == 0 || InfoRec.STATUS == 3 || !hasName) ReadOnly = true;
  StatusClearRequested = false;
  Rebuilt = false;
  CanRebuild = false;
  if (hasName) {
    if (!ServerMode)
      CanRebuild = (RowRef.KYOYULOCK == 0 && RowRef.NETDRIVE == 0) || (RowRef.KYOYULOCK == 1 && RowRef.NETDRIVE == 1);
    else
      CanRebuild = InfoRec.SHARE_STATUS == 1;
  }

  std::string statusName;
  DataStatusName(InfoRec.STATUS, statusName);
  lblStatus->SetCaption(statusName);
  {
    QString shown = QString::fromStdString(DetailFolder);
    const std::string root = WithoutTrailingSlash(SystemDef.SysDir);
    if (!root.empty())
      shown.replace(QString::fromStdString(root), QString::fromStdString("[" + AppInfo.AppTitle + "のデータ]"),
                    Qt::CaseInsensitive);
    txtDataPath->SetText(shown.toStdString());
  }

  const uint8_t s = InfoRec.STATUS;
  const TDataDetailsShow show = DataDetailsShow(s, ConnectMode, ReadOnly, TDM::IsSisetuAdmin(), SystemDef.LogonId,
                                                InfoRec.OPCODE, SystemDef.GroupId);
  CanClearStatus = show.CanClearStatus;
  cboxStatusClear->SetChecked(false);
  cboxStatusClear->SetVisible(show.ClearBoxVisible);

  cboxDataUpdateLock->SetChecked(UpdateLock == 1);
  const bool unrestricted = SystemDef.SisetuAllSw == 1;
  Image1->SetVisible(unrestricted);
  lblDataSeigenMessage->SetVisible(unrestricted);

  lblCode->SetCaption(OrNotSet(InfoRec.CODE));
  lblDataKbn->SetCaption(DataKbnName(InfoRec.DATAKBN, InfoRec.CODEKBN));
  lblName->SetCaption(OrNotSet(InfoRec.SHOUGOU));
  lblKana->SetCaption(OrNotSet(InfoRec.KANA));
  txtListName->SetText(ListName.empty() ? InfoRec.SHOUGOU : ListName);
  lblNendo->SetCaption(InfoRec.NENDO > 0 ? std::to_string(InfoRec.NENDO) + "期" : std::string(kNotSet));
  {
    TDateTime from = 0, to = 0;
    const bool ok = !InfoRec.KISHU.empty() && !InfoRec.KIMATU.empty() && TryStrToDate(InfoRec.KISHU, from) &&
                    TryStrToDate(InfoRec.KIMATU, to);
    lblKikan->SetCaption(ok ? FormatKikanText(from, to) : std::string(kNotSet));
  }
  lblTanto->SetCaption(InfoRec.TANTO != 0 ? std::to_string(InfoRec.TANTO) : std::string(kNotSet));
  if (InfoRec.BUMON == 1) lblBumonKanri->SetCaption("損益のみに" + std::to_string(InfoRec.BUMONCNT) + "部門設定");
  else if (InfoRec.BUMON == 2) lblBumonKanri->SetCaption("全科目に" + std::to_string(InfoRec.BUMONCNT) + "部門設定");
  else lblBumonKanri->SetCaption(kNotSet);
  lblSitenKanri->SetCaption(InfoRec.SITEN == 1 ? std::to_string(InfoRec.SITENCNT) + "支店設定" : std::string(kNotSet));
  lblSiwakeKensu->SetCaption(std::to_string(InfoRec.SIWAKE) + "件");
  if (s == 3) {
    lblKana->SetCaption("-");
    lblBumonKanri->SetCaption("-");
    lblSitenKanri->SetCaption("-");
    lblSiwakeKensu->SetCaption("-件");
  }

  txtListName->SetReadOnly(ReadOnly);
  txtListName->SetCtl3D(!ReadOnly);
  txtListName->SetTabStop(!ReadOnly);
  if (ReadOnly) txtListName->SetParentColor(true);
  else txtListName->SetColor(clWindow);
  cboxDataUpdateLock->SetEnabled(!ReadOnly);

  btnOK->SetVisible(show.OkVisible);
  LoadHints();
  UpdateKeys();
}

void TDataSyosaiInfoBox::UpdateKeys() {
  for (TxPlButton* k : {F1, F2, F3, F4, F5, F6}) k->CaptionA().SetCaption(k->Name() + ":");
  // No input method is exposed here, so it always reads as off: F7 follows the rebuild rule.
  F7->CaptionA().SetCaption(CanRebuild ? "F7:再構築" : "F7:");
}

void TDataSyosaiInfoBox::btnOKClick(QObject*) {
  if (TrimZenkaku(txtListName->Text()).empty()) {
    if (uis::ShowMessage(uis::MsgKind::Confirmation, "データリスト名が入力されていません。会社名を設定しますか？", {},
                         uis::Buttons::OkCancel, uis::mrOk) == uis::mrOk)
      txtListName->SetText(lblName->Caption());
    return;
  }
  ListName = txtListName->Text();
  StatusClearRequested = CanClearStatus && cboxStatusClear->Checked();
  UpdateLock = cboxDataUpdateLock->Checked() ? 1 : 0;
  SetModalResult(mrOk);
}

void TDataSyosaiInfoBox::F1Click(QObject* Sender) {
  if (Sender != F7 || !KeyOffered(F7)) return;
  if ((ConnectMode == 1 || ConnectMode == 2) && DM &&
      DM->AccDatInConnection(1, SystemDef.HostName, WithoutTrailingSlash(DetailFolder), false)) {
    uis::ShowMessage(uis::MsgKind::Information, kInUseByOthers);
    return;
  }
  std::string text =
      "データの再構築を行いますか？\r注意１）データサイズによりデータ再構築に時間がかかる場合があります。再構築中にコンピュータの電源は切らないで下さい。";
  if (InfoRec.STATUS == 10) text += "\r注意２）破損データの場合はデータ再構築が適正に行われない場合があります。";
  if (uis::ShowMessage(uis::MsgKind::Confirmation, text, {}, uis::Buttons::OkCancel, uis::mrOk) != uis::mrOk) return;
  if (!RebuildDatabase()) return;
  uis::ShowMessage(uis::MsgKind::Information, kRebuilt);
  ShowDetails();
  Rebuilt = true;
}

bool TDataSyosaiInfoBox::RunWorker(TBackupRestoreThread& worker) {
  worker.Resume();
  while (!worker.IsTerminated()) WaitWithMessages(300);
  return worker.Succeeded != 0;
}

void TDataSyosaiInfoBox::LockDataList(bool lock) {
  if (ConnectMode != 1 && ConnectMode != 2) return;
  if (RowRef.DATALOCK != 0) return;
  TIBSQL q;
  q.SetDatabase(&DM->IBDatabaseDEF);
  q.SetTransaction(&DM->IBTransactionDEF);
  try {
    TTransactionScope tx(DM->IBTransactionDEF);
    // A row of a further data place lives in that place's list.
    if (DataPlaceRec > 0) {
      q.SQL = "UPDATE DATALIST_EX SET DATALOCK=:DATALOCK WHERE (DATAPLACEREC=:DATAPLACEREC) AND (REC=:REC)";
      q.ParamByName("DATAPLACEREC").SetInteger(DataPlaceRec);
    } else {
      q.SQL = "UPDATE DATALIST SET DATALOCK=:DATALOCK WHERE REC=:REC";
    }
    q.ParamByName("DATALOCK").SetInteger(lock ? OperatorCodeOf(SystemDef.LogonId, SystemDef.GroupId) : 0);
    q.ParamByName("REC").SetInteger(RowRef.REC);
    q.ExecQuery();
    q.Close();
  } catch (const std::exception& e) {
    q.Close();
    ReportFailure(e, "TDataSyosaiInfoBox.LockDataList", "データリストの更新に失敗しました。");
    if (lock) throw;
  }
}

bool TDataSyosaiInfoBox::RebuildDatabase() {
  uis::Ui().ProgressShow("再構築中", "再構築中、しばらくお待ちください…");
  auto worker = std::make_unique<TBackupRestoreThread>(true);
  const uint8_t mode = ConnectMode;
  const bool serverModes = mode == 1 || mode == 2;
  const std::string folder = WithoutTrailingSlash(DetailFolder);
  const std::string temp = WithoutTrailingSlash(SystemDef.TempDir);
  const bool workingCopy = ServerMode && CanRebuild;
  const std::string database = folder + "/" + DataFileName();
  const std::string safety = workingCopy ? temp + "/" + DataFileName() : ChangeExt(database, ".fd_");
  const std::string backup =
      ChangeExt((serverModes ? folder : temp) + "/" + BackupFileName(), ".fb_");
  bool result = false;
  bool safetyMade = false;
  try {
    LockDataList(true);
    for (const std::string& name : {BackupFileName(), DataFileName(), IniFileName()}) {
      const std::string leftover = temp + "/" + name;
      if (DM->FExist(leftover, 0)) DM->FDel(leftover, 0);
    }
    // The working copy of shared data lies in this computer's temporary folder.
    safetyMade = DM->FCopy(database, safety, workingCopy ? 0 : mode);
    if (!safetyMade) {
      uis::ShowMessage(uis::MsgKind::Information, kCopyFailed);
    } else {
      worker->Mode = 3;
      worker->Remote = 0;
      worker->Host = mode == 0 ? std::string() : SystemDef.HostName;
      worker->DbFile = workingCopy ? safety : database;
      worker->BackupFile = backup;
      worker->ActivateIndexes = 1;
      worker->Confirm = 0;
      result = RunWorker(*worker);
      if (result && workingCopy) result = DM->FCopy(safety, database, 0);
      if (result) DataInfo.SetStatus(folder, 1);
    }
  } catch (const std::exception&) {
    uis::ShowMessage(uis::MsgKind::Information, kRebuildFailed);
    result = false;
  }
  // A failed rebuild never leaves a damaged database behind: the database goes back to its
  // safety copy. A working copy is simply dropped, the original was never touched.
  bool keepSafety = false;
  if (!result && safetyMade && !workingCopy) keepSafety = !DM->FCopy(safety, database, mode);
  if (keepSafety) {
    // The safety copy is then the only sound copy of the data: it stays where it is.
    uis::ShowMessage(uis::MsgKind::Warning, "再構築前のデータを元に戻せませんでした。\r再構築前のデータは次の場所に残しています。",
                     safety);
  } else if (safetyMade && DM->FExist(safety, workingCopy ? 0 : mode)) {
    DM->FDel(safety, workingCopy ? 0 : mode);
  }
  if (DM->FExist(backup, serverModes ? mode : 0)) DM->FDel(backup, serverModes ? mode : 0);
  try {
    LockDataList(false);
  } catch (const std::exception&) {
  }
  worker.reset();
  uis::Ui().ProgressClose();
  return result;
}

void TDataSyosaiInfoBox::FormKeyUp(QObject* Sender, int& Key, TShiftState Shift) {
  TxPlButton* keys[] = {F1, F2, F3, F4, F5, F6, F7};
  if (Key >= VK_F1 && Key <= VK_F7) {
    F1Click(keys[Key - VK_F1]);
    Key = 0;
    return;
  }
  if (Key == VK_F8 || Key == VK_F12) {
    Key = 0;
    return;
  }
  TBSDI::FormKeyUp(Sender, Key, Shift);
}

void TDataSyosaiInfoBox::CMShowingChanged() {
  TBSDI::CMShowingChanged();
  if (!FCreatedOK) {
    ReportInitFailed();
    Close();
    return;
  }
  if (!Showing()) return;
  repaint();
  if (ReadOnly) btnCancel->SetFocus();
  else if (txtListName->CanFocus()) txtListName->SetFocus();
  Screen().SetCursor(crDefault);
}
