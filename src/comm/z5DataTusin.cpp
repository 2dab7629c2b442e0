// The data-communication module: creation, entry operations, the relay-folder grid, the
// function keys and the close rules. The chains are in z5DataTusinSend.cpp and
// z5DataTusinReceive.cpp.
#include "comm/z5DataTusin.h"

#include <QWidget>
#include <chrono>
#include <cstdlib>
#include <cxxabi.h>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>
#include <typeinfo>

#include "comm/FtpSession.h"
#include "comm/z5DataTusinCommon.h"
#include "comm/z5HikakuMess2.h"
#include "comm/z5WaitMess.h"
#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/FrameworkHooks.h"
#include "data/uAccFunction.h"
#include "data/uAccFunction2.h"
#include "data/uAccFunction2Date.h"
#include "data/uAccFunctionDb.h"
#include "data/uAccRecord.h"
#include "data/uAccRecordHooks.h"
#include "platform/DateTime.h"
#include "platform/Paths.h"
#include "platform/UiServices.h"
#include "platform/db/TransactionScope.h"
#include "ui/PerfectGrid.h"
#include "ui/forms/Application.h"
#include "ui/forms/Keys.h"
#include "ui/z5HtmlHelp.h"

using namespace forms;
using namespace commmsg;
namespace fs = std::filesystem;

namespace {

// The kinds' captions and help pages; an empty caption keeps the form's own.
struct KindRow {
  const char* caption;
  const char* help;
};
KindRow KindOf(int kind) {
  switch (kind) {
    case 1: return {"データ送信", "tsusin01.html"};
    case 2: return {"データ受信", "tsusin02.html"};
    case 3: return {"現金出納帳送信", "tsusin06.html"};
    case 4: return {"現金出納帳受信", "tsusin07.html"};
    case 5: return {"マスター送信", "tsusin10.html"};
    case 8: return {"サーバー確認", "tsusin09.html"};
    default: return {"", ""};
  }
}

constexpr const char* kFormCaption = "データ通信";
constexpr const char* kNoCommId = "　\r\n通信IDが設定されてません。通信設定で設定して下さい。\r\n ";
constexpr const char* kNoPassword = "　\r\nパスワードが設定されてません。通信設定で設定して下さい。\r\n ";
constexpr const char* kOtherWindows = "メニュー以外の処理が開いています。\r全ての処理を閉じてから処理を実行してください。";
constexpr const char* kReconnectFailed = "　\r\nデータの接続に失敗したため、データ選択画面を開きます。\r\n ";

const char* const kKeyCaptions[10] = {"ESC:ｷｬﾝｾﾙ", "F1:ヘルプ", "F2:", "F3:", "F4:", "F5:ﾃﾞｰﾀ削除",
                                      "F6:", "F7:", "F8:", "F12:実  行"};
const char* const kKeyNames[10] = {"ESC", "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F12"};

bool ReadsAsInt(const std::string& text, long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtol(text.c_str(), &end, 10);
  return end && *end == '\0';
}

}  // namespace

namespace commmsg {

void Say(uis::MsgKind kind, const std::string& text, uis::Buttons buttons) {
  uis::ShowMessage(kind, text, {}, buttons, buttons == uis::Buttons::Yes ? uis::mrYes : uis::mrOk);
}

bool Ask(const std::string& text) {
  return uis::ShowMessage(uis::MsgKind::Confirmation, text, {}, uis::Buttons::YesNo, uis::mrNo) == uis::mrYes;
}

std::string ExceptionClassName(const std::exception& e) {
  int status = 0;
  const char* raw = typeid(e).name();
  std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(raw, nullptr, nullptr, &status), std::free);
  std::string text = status == 0 && name ? name.get() : raw;
  const auto colon = text.rfind("::");
  return colon == std::string::npos ? text : text.substr(colon + 2);
}

bool RemoveIfPresent(const std::string& path) {
  std::error_code ec;
  const fs::path p = ResolvePath(path);
  if (!fs::exists(p, ec)) return true;
  fs::remove(p, ec);
  return !fs::exists(p, ec);
}

bool LocalExists(const std::string& path) {
  std::error_code ec;
  return fs::exists(ResolvePath(path), ec);
}

std::string TwoDigits(int n) {
  char b[8];
  std::snprintf(b, sizeof b, "%02d", n);
  return b;
}

}  // namespace commmsg

std::string CommFileKey(const std::string& password) {
  // Both ends of a transfer build the key the same way; the constant only makes the key
  // longer than a short password.
  return std::string("Rz5Tq8") + password;
}

// ---------------------------------------------------------------------------------------
// Creation

TfmDataTusin::TfmDataTusin(QWidget* owner) : TBSDI(owner) {
  SetName("fmDataTusin");
  SetCaption(kFormCaption);
  SetBorderStyle(bsDialog);
  SetBorderIcons(biSystemMenu);
  SetPosition(poScreenCenter);
  SetKeyPreview(true);
  SetShowHint(true);
  SetClientSize(992, 470);

  pnlBottom = new TPanel(this);
  pnlBottom->SetName("pnlBottom");
  pnlBottom->SetCaption("");
  pnlBottom->SetBevelOuter(bvNone);
  pnlBottom->SetBounds(0, 342, 992, 128);
  pnlBottom->SetAlign(alBottom);
  pnlClient = new TPanel(this);
  pnlClient->SetName("pnlClient");
  pnlClient->SetCaption("");
  pnlClient->SetBevelOuter(bvNone);
  pnlClient->SetBounds(0, 0, 992, 342);
  pnlClient->SetAlign(alClient);
  Label1 = new TLabel(pnlClient);
  Label1->SetName("Label1");
  Label1->SetCaption("中継サーバー情報");
  Label1->SetBounds(16, 10, 0, 0);
  PerfectGrid1 = new TPerfectGrid(pnlClient);
  PerfectGrid1->SetName("PerfectGrid1");
  PerfectGrid1->SetBounds(16, 30, 961, 306);
  PerfectGrid1->SetSelectMode(gsRow);

  PanelHint = new TPanel(pnlBottom);
  PanelHint->SetName("PanelHint");
  PanelHint->SetCaption("");
  PanelHint->SetBevelOuter(bvNone);
  PanelHint->SetBounds(16, 8, 961, 65);
  HintArea = new TMemo(PanelHint);
  HintArea->SetName("HintArea");
  HintArea->SetBounds(0, 0, 961, 65);
  HintArea->SetReadOnly(true);
  HintArea->SetTabStop(false);

  TxPlButton** keys[10] = {&ESC, &F1, &F2, &F3, &F4, &F5, &F6, &F7, &F8, &F12};
  const int lefts[10] = {16, 112, 208, 304, 400, 496, 592, 688, 784, 880};
  for (int k = 0; k < 10; ++k) {
    auto* b = new TxPlButton(pnlBottom);
    b->SetName(kKeyNames[k]);
    b->CaptionA().SetCaption(kKeyCaptions[k]);
    b->SetBounds(lefts[k], 84, 94, 32);
    b->SetTabStop(false);
    *keys[k] = b;
  }
  F6->SetVisible(false);
  F7->SetVisible(false);
  F8->SetVisible(false);
  OnCloseQuery = [this](QObject* s, bool& can) { FormCloseQuery(s, can); };
}

TfmDataTusin::~TfmDataTusin() = default;

void TfmDataTusin::FormCreate(QObject* Sender) {
  TBSDI::FormCreate(Sender);
  UsePlainDialogFlags(HintArea);
  DisconnectOnClose = 0;
  DataInfo.ConnectKind = ConnectMode;
  Config = LoadCommConfig();

  SetGridColors(PerfectGrid1, 0);
  const int widths[8] = {40, 300, 80, 180, 134, 134, 85, 0};
  const char* headers[8] = {"No.", "データ名", "会計年度", "会計期間", "送信日時", "受信日時", "バージョン", ""};
  PerfectGrid1->SetCols(8);
  for (int c = 0; c < 8; ++c) {
    PerfectGrid1->SetColWidth(c, widths[c]);
    PerfectGrid1->SetCellText(c, TPerfectGrid::kHeadingRow, headers[c]);
  }
  PerfectGrid1->SetColAlign(0, taRightJustify);
  PerfectGrid1->SetColAlign(2, taCenter);
  PerfectGrid1->SetColAlign(3, taCenter);
  PerfectGrid1->SetColAlign(6, taCenter);
  PerfectGrid1->OnCellGotFocus = [this](QObject*, int, int row) { PerfectGrid1CellGotFocus(row); };
  PerfectGrid1->OnCellLostFocus = [this](QObject*, int, int row) { PerfectGrid1CellLostFocus(row); };
  for (TxPlButton* b : {F1, F2, F3, F4, F5, F6, F7, F8, F12}) b->OnClick = [this](QObject* s) { F1Click(s); };
  ESC->OnClick = [this](QObject* s) { ESCClick(s); };
  Initialized = 1;
  FCreatedOK = true;

  Archiver = LoadArchiver();
  ArchiverLoaded = Archiver.Loaded();
  if (!ArchiverLoaded) uis::ShowMessage(uis::MsgKind::Information, kArchiverNotLoadedMessage);
  Success = 0;
  Screen().SetCursor(crHourGlass);
}

void TfmDataTusin::FormShow(QObject* Sender) {
  TBSDI::FormShow(Sender);
  if (!Initialized) {
    uis::ShowMessage(uis::MsgKind::Error, Caption() + "画面の初期化に失敗しました。\r処理を終了します。", {},
                     uis::Buttons::Yes, uis::mrYes);
    Close();
    return;
  }
  Screen().SetCursor(crHourGlass);
}

void TfmDataTusin::FormActivate(QObject* Sender) {
  TBSDI::FormActivate(Sender);
  if (Showing() && PerfectGrid1->isEnabled()) PerfectGrid1->SetFocus();
  if ((SyoriType == 1 || SyoriType == 2) && RefreshPending) RefreshRelayList();
  if (PerfectGrid1->Rows() == 0) {
    F12->SetEnabled(false);
    F5->SetEnabled(false);
    Screen().SetCursor(crDefault);
    return;
  }
  if (PerfectGrid1->Row() == TPerfectGrid::kNoRow) PerfectGrid1->SetCurCell(1, 0);
  Screen().SetCursor(crDefault);
}

void TfmDataTusin::FormCloseQuery(QObject*, bool& CanClose) {
  CanClose = true;
  if (DM && !DM->IBDatabaseDAT.Connected() && !SystemDef.DataDir.empty()) ReconnectAfterReceive();
  if (DM && DM->IBTransactionDEF.InTransaction()) {
    try {
      DM->IBTransactionDEF.Commit();
    } catch (...) {
    }
  }
}

void TfmDataTusin::ReconnectAfterReceive() {
  bool ok = DM->fnAccDatConnected(SystemDef.HostName, SystemDef.DataDir, true);
  if (ok) {
    if (!DM->fnGetAccInfo()) {
      ok = false;
    } else if (!DM->HasOpeDefSisetu()) {
      DisconnectOnClose = 1;
      ok = false;
    }
  }
  if (!ok) {
    uis::ShowMessage(uis::MsgKind::Warning, kReconnectFailed);
    SystemDef.DataDir.clear();
    return;
  }
  const std::string period = FormatDateTime("yyyy/mm/dd", AccInf.KISHU) + " ～ " + FormatDateTime("yyyy/mm/dd", AccInf.KIMATU);
  if (DataReopenHook) DataReopenHook(0);
  if (DataCaptionHook) {
    DataCaptionHook(0, AccInf.SHOUGOU, AccInf.SITEN, period);
    std::string facility;
    DM->GetOpeDefSisetu(facility);
    DataCaptionHook(1, facility, AccInf.SITEN, "");
  }
  if (DataMenuHook) {
    DataMenuHook(0, 0);
    DataMenuHook(1, 0);
  }
}

void TfmDataTusin::FormClose(QObject* Sender, TCloseAction& Action) {
  TBSDI::FormClose(Sender, Action);
  if (DisconnectOnClose && DM) DM->AccDatDisconnect(SystemDef.DataDir, true, false);
}

void TfmDataTusin::FormDestroy(QObject* Sender) {
  FreeWaitMess();
  if (IBDatabaseOwn.Connected()) IBDatabaseOwn.Close();
  TBSDI::FormDestroy(Sender);
}

// ---------------------------------------------------------------------------------------
// Entry

void TfmDataTusin::SetParams(const std::vector<std::string>& Params) {
  ParamLines = Params;
  for (const std::string& line : Params) {
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string name = line.substr(0, eq);
    const std::string value = line.substr(eq + 1);
    long n = 0;
    if (name == "SyoriType" && ReadsAsInt(value, n) && n >= 0) SyoriType = static_cast<int32_t>(n);
    if (name == "FormStyle") {
      // Window styles of a multi-document host do not exist here: a child or host form is a
      // normal window, anything else stays on top.
      if (!ReadsAsInt(value, n)) n = 0;
      SetFormStyle(n == 0 || n == 1 || n == 2 ? fsNormal : fsStayOnTop);
    }
  }
}

std::string TfmDataTusin::HelpPage() const { return KindOf(SyoriType).help; }

void TfmDataTusin::ApplyKindCaption() {
  const KindRow k = KindOf(SyoriType);
  if (*k.caption) SetCaption(k.caption);
}

TRelayAccount TfmDataTusin::Account() const {
  if (SyoriType == 1 || SyoriType == 2) return {AccInf.WEB_HOLDER, AccInf.PASWORD};
  return {AccInf.TusinHolder[1], AccInf.TusinPassword[1]};
}

int32_t TfmDataTusin::Execute(bool Modal) {
  const int32_t result = ExecuteKind(Modal);
  // A run that shows nothing (a refusal, the cash-book kinds) or whose dialog has closed
  // leaves no form behind; a modeless dialog frees itself when it closes.
  if (!isVisible()) Release();
  return result;
}

int32_t TfmDataTusin::ExecuteKind(bool Modal) {
  int32_t result = -1;
  Screen().SetCursor(crDefault);
  TAccValue cloud;
  GetAccReg("通信設定", "クラウド区分", "整数", cloud, "0");
  CloudKind = cloud.AsInteger();
  BackupFileName = "qvacc.fbk";
  RefreshPending = 1;
  OperationName = OemKind == 1 || OemKind == 2 ? "データ送受信" : "データ通信";

  if (SyoriType == 1 || SyoriType == 2) {
    if (TrimZenkaku(AccInf.WEB_HOLDER).empty()) {
      Say(uis::MsgKind::Warning, kNoCommId, uis::Buttons::Ok);
      return -1;
    }
    if (TrimZenkaku(AccInf.PASWORD).empty()) {
      Say(uis::MsgKind::Warning, kNoPassword, uis::Buttons::Ok);
      return -1;
    }
    return RunDialog(Modal);
  }

  if (SyoriType != 7 && MenuHook && MenuHook(10, "") > 0) {
    Say(uis::MsgKind::Warning, "　\r\n現在メニュー以外の画面を表示中なので、" + OperationName + "処理は行えません。\r\n ",
        uis::Buttons::Ok);
    return -1;
  }
  if (SyoriType == 8) PerfectGrid1->SetDefHeight(40);
  // The cash-book account is tested as stored: blanks count.
  if (AccInf.TusinHolder[1].empty()) {
    Say(uis::MsgKind::Warning, kNoCommId, uis::Buttons::Ok);
    return -1;
  }
  if (AccInf.TusinPassword[1].empty()) {
    Say(uis::MsgKind::Warning, kNoPassword, uis::Buttons::Ok);
    return -1;
  }
  Screen().SetCursor(crHourGlass);
  if (SyoriType != 8 && !CashBookPreChecks()) {
    Screen().SetCursor(crDefault);
    return -1;
  }
  bool dialog = false;
  try {
    StartInfoSteps();
    ApplyKindCaption();
    if (SyoriType == 3 || SyoriType == 4 || SyoriType == 5) PutProcRirekiInfo(0);
    if (SyoriType == 8) {
      PerfectGrid1->SetColWidth(5, 0);
      PerfectGrid1->SetBounds(PerfectGrid1->Left(), PerfectGrid1->Top(), 822, PerfectGrid1->Height());
      PanelHint->SetBounds(PanelHint->Left(), PanelHint->Top(), 822, PanelHint->Height());
      HintArea->SetBounds(0, 0, 822, HintArea->Height());
      F12->SetBounds(749, F12->Top(), F12->Width(), F12->Height());
      SetClientWidth(863 - (Width() - ClientWidth()));
    }
    const std::string caption = Caption();
    if (DM && DM->AccDatInConnection(1, SystemDef.HostName, SystemDef.DataDir, false) &&
        !Ask("　\r\nこのデータは他の人が利用中です。" + caption + "を開始しますか？\r\n ")) {
      result = -1;
    } else if (!RunInfoSteps()) {
      result = 0;
    } else if (SyoriType == 3 || SyoriType == 4 || SyoriType == 5 || SyoriType == 6 || SyoriType == 7 ||
               SyoriType == 9 || SyoriType == 10) {
      result = RunCashBookBranch();
    } else {
      dialog = true;
    }
  } catch (...) {
    FreeWaitMess();
    Screen().SetCursor(crDefault);
    throw;
  }
  Screen().SetCursor(crDefault);
  FreeWaitMess();
  ApplyKindCaption();
  if (SyoriType == 3 || SyoriType == 4 || SyoriType == 5) {
    try {
      TTransactionScope tx(IBTransactionDAT);
      PutProcRirekiInfo(1);
    } catch (const std::exception&) {
      // Reported by the log writer; the run's result stands.
    }
  }
  if (!dialog) return result;
  RefreshPending = 0;
  FillRelayGrid();
  return RunDialog(Modal);
}

int32_t TfmDataTusin::RunDialog(bool Modal) {
  if (!Modal) {
    ApplyKindCaption();
    Show();
    return 0;
  }
  if (MenuHook && MenuHook(10, "") > 0) {
    uis::ShowMessage(uis::MsgKind::Warning, kOtherWindows, {}, uis::Buttons::Yes, uis::mrYes);
    return -1;
  }
  if (!Initialized) {
    uis::ShowMessage(uis::MsgKind::Error, Caption() + "画面の初期化に失敗しました。\r処理を終了します。", {},
                     uis::Buttons::Yes, uis::mrYes);
    return -1;
  }
  SetFormPosition(0, 0, 0, 0, 3);
  if (SyoriType == 2) SystemDef.ModuleResultText.clear();
  ApplyKindCaption();
  FSetupPending = false;
  const int shown = ShowModal();
  if (SyoriType == 8) return -1;
  (void)shown;
  return Success ? 1 : 0;
}

// ---------------------------------------------------------------------------------------
// Relay information

void TfmDataTusin::StartInfoSteps() {
  Screen().SetCursor(crHourGlass);
  FreeWaitMess();
  WaitMess = CreateWaitMess(this, 435, 194);
  WaitMess->CheckBox1->SetVisible(false);
  WaitMess->CheckBox2->SetVisible(false);
  WaitMess->CheckBox4->SetVisible(false);
  WaitMess->CheckBox5->SetVisible(false);
  WaitMess->SetStep(WaitMess->CheckBox3, "中継サーバー情報確認", TfmWaitMess::Waiting);
  StepWait();
}

bool TfmDataTusin::RunInfoSteps() {
  if (WaitMess) WaitMess->SetStep(WaitMess->CheckBox3, "中継サーバー情報確認　実行中", TfmWaitMess::Running);
  StepWait();
  const bool ok = GetRelayFolderList();
  FreeWaitMess();
  return ok;
}

void TfmDataTusin::FreeWaitMess() {
  if (!WaitMess) return;
  WaitMess->Free();
  WaitMess = nullptr;
}

void TfmDataTusin::OpenChainSteps(const std::array<const char*, 4>& rows, const char* cloudRow) {
  FreeWaitMess();
  WaitMess = CreateWaitMess(this, 435, cloudRow ? 206 : 194);
  WaitMess->SetStep(WaitMess->CheckBox1, std::string(rows[0]) + "　実行中", TfmWaitMess::Running);
  WaitMess->SetStep(WaitMess->CheckBox2, rows[1], TfmWaitMess::Waiting);
  WaitMess->SetStep(WaitMess->CheckBox3, rows[2], TfmWaitMess::Waiting);
  WaitMess->SetStep(WaitMess->CheckBox4, rows[3], TfmWaitMess::Waiting);
  if (cloudRow) WaitMess->SetStep(WaitMess->CheckBox5, cloudRow, TfmWaitMess::Waiting);
  else WaitMess->CheckBox5->SetVisible(false);
  EnableWindow(this, false);
  StepWait();
}

TfmDataTusin::TChainCleanup::~TChainCleanup() {
  EnableWindow(form, true);
  if (keys) {
    form->F12->SetEnabled(true);
    form->F5->SetEnabled(true);
  }
  Screen().SetCursor(crDefault);
  form->FreeWaitMess();
  for (const char* name : {"qvacc.fbk", "qvacc.lzh", "qvacc.wen"}) commmsg::RemoveIfPresent(work + "/" + name);
}

bool TfmDataTusin::GetRelayFolderList() {
  std::string trKubn;
  if (SyoriType == 1 || SyoriType == 2) {
    if (OemKind == 1 || OemKind == 2) trKubn = "10";
  } else {
    trKubn = "2";
  }
  const TRelayResult r = ::GetRelayFolderList(Config, Account(), trKubn, RelayInfo);
  if (r.ok()) return true;
  Say(uis::MsgKind::Error, RelayFailureMessage(kScodeFolderList, r), uis::Buttons::Ok);
  if (r.outcome == TRelayResult::ConnectFailure) {
    F5->SetEnabled(false);
    F12->SetEnabled(false);
  }
  return false;
}

void TfmDataTusin::RefreshRelayList() {
  RefreshPending = 0;
  BackupFileName = "qvacc.fbk";
  if (MenuHook && MenuHook(10, "") > 0) {
    Say(uis::MsgKind::Warning, "　\r\n現在メニュー以外の画面を表示中なので、" + OperationName + "処理は行えません。\r\n ",
        uis::Buttons::Ok);
    return;
  }
  try {
    StartInfoSteps();
    ApplyKindCaption();
    if (DM && DM->AccDatInConnection(1, SystemDef.HostName, SystemDef.DataDir, false) &&
        !Ask("　\r\nこのデータは他の人が利用中です。" + Caption() + "を開始しますか？\r\n ")) {
      F5->SetEnabled(false);
      F12->SetEnabled(false);
    } else {
      RunInfoSteps();
    }
  } catch (...) {
    FreeWaitMess();
    Screen().SetCursor(crDefault);
    FillRelayGrid();
    throw;
  }
  FreeWaitMess();
  Screen().SetCursor(crDefault);
  FillRelayGrid();
}

// ---------------------------------------------------------------------------------------
// The grid

std::string TfmDataTusin::VersionLabel(int Major, int Minor) {
  if (Major == 6 && Minor == 1) return "14消改版";
  if (Minor != 0) return std::to_string(Major) + "." + std::to_string(Minor);
  if (Major == 1) return "09版";
  if (Major == 2) return "10版";
  return std::to_string(Major + 8) + "版";
}

void TfmDataTusin::FillRelayGrid() {
  if (GetDataListRecord() == 0) return;
  const bool check = SyoriType == 8;
  const int rows = check ? 3 : 10;
  PerfectGrid1->SetRows(rows);
  if (check) {
    PerfectGrid1->SetCellText(0, TPerfectGrid::kHeadingRow, "処理");
    const char* names[3] = {"受信", "送信", "全送信"};
    for (int r = 0; r < 3; ++r) PerfectGrid1->SetCellText(0, r, names[r]);
    PerfectGrid1->SetColWidth(0, 55);
    PerfectGrid1->SetColWidth(1, 285);
  } else {
    const char* headers[7] = {"No", "データ名", "会計年度", "会計期間", "送信日時", "受信日時", "バージョン"};
    for (int c = 0; c < 7; ++c) PerfectGrid1->SetCellText(c, TPerfectGrid::kHeadingRow, headers[c]);
    for (int r = 0; r < rows; ++r) PerfectGrid1->SetCellText(0, r, std::to_string(r + 1));
  }
  if (SyoriType == 1) {
    SetCaption("データ送信");
    HintArea->SetText("［F12］を押すと現在利用中のデータが中継先サーバーの選択したフォルダに送信されます。\r\n\r\n"
                      "［F5］を押すと中継先サーバーのデータが削除されます。");
  } else if (SyoriType == 2) {
    SetCaption("データ受信");
    PerfectGrid1->SetBackColor(0xFFFFFF);
    PerfectGrid1->SetOddRowBackColor(0xFFFFFF);
    PerfectGrid1->SetFixedBackColor(0xFFD9BB);
    PerfectGrid1->SetFixedBorderColor(0x804000);
    HintArea->SetText("［F12］を押すと選択したデータを受信して、現在利用中のデータに上書きします。\r\n\r\n"
                      "［F5］を押すと中継先サーバーのデータが削除されます。");
  } else if (check) {
    SetCaption("サーバー確認");
    F12->SetVisible(false);
    HintArea->SetText("１行目は現金出納帳から送信されたデータです。　　　２行目はTallix財務が送信したデータです。\r\n"
                      "３行目はTallix財務が送信したマスターデータです。\r\n\r\n"
                      "［F5］を押すと中継先サーバーのデータが削除されます。");
  }
  for (int i = 0; i < rows; ++i) {
    const TRelayFolder& f = RelayInfo.Folders[i];
    if (TrimZenkaku(f.CompanyName).empty()) continue;
    PerfectGrid1->SetCellText(1, i, f.CompanyName);
    PerfectGrid1->SetCellText(2, i, f.Term + "期");
    PerfectGrid1->SetCellText(3, i, f.PeriodStartText.substr(0, 10) + " ～ " + f.PeriodEndText.substr(0, 10));
    PerfectGrid1->SetCellText(4, i, f.SentTimeText);
    PerfectGrid1->SetCellText(5, i, f.ReceivedTimeText);
    if (!TrimZenkaku(f.VersionText).empty() && f.VersionText.size() >= 4) {
      long major = 0, minor = 0;
      ReadsAsInt(f.VersionText.substr(0, 2), major);
      ReadsAsInt(f.VersionText.substr(f.VersionText.size() - 2), minor);
      PerfectGrid1->SetCellText(6, i, VersionLabel(static_cast<int>(major), static_cast<int>(minor)));
    }
  }
}

void TfmDataTusin::ClearRow(int row) {
  for (int c = 1; c <= 6; ++c) PerfectGrid1->SetCellText(c, row, "");
}

int TfmDataTusin::CurrentRow() const {
  const int r = PerfectGrid1->Row();
  if (r == TPerfectGrid::kNoRow || r < 0 || r >= PerfectGrid1->Rows()) return -1;
  return r;
}

void TfmDataTusin::ResetFunctionKeys() {
  TxPlButton* keys[10] = {ESC, F1, F2, F3, F4, F5, F6, F7, F8, F12};
  for (int k = 0; k < 10; ++k) keys[k]->CaptionA().SetCaption(kKeyCaptions[k]);
}

void TfmDataTusin::CMFocusChanged(TControl* control) {
  ResetFunctionKeys();
  TBSDI::CMFocusChanged(control);
}

void TfmDataTusin::PerfectGrid1CellGotFocus(int Row) {
  if (Row == TPerfectGrid::kNoRow || Row < 0 || Row >= PerfectGrid1->Rows()) return;
  // The operator's highlight colour marks the text of the current row, as in the data selection;
  // as a background it would hide the row (it is often dark).
  PerfectGrid1->SetRowForeColor(Row, SystemDef.ActiveColor);
  TFontSpec f = FFont;
  f.Style = 0;
  PerfectGrid1->SetRowFont(Row, f);
}

void TfmDataTusin::PerfectGrid1CellLostFocus(int Row) {
  if (Row == TPerfectGrid::kNoRow || Row < 0 || Row >= PerfectGrid1->Rows()) return;
  PerfectGrid1->SetRowForeColor(Row, clDefault);
  PerfectGrid1->ResetRowFont(Row);
}

int32_t TfmDataTusin::GetDataListRecord() {
  DataRows.clear();
  if (!DM) return 0;
  TIBTransaction& tr = DM->IBTransactionDEF;
  try {
    TTransactionScope tx(tr, TTransactionScope::End::Commit);
    TIBSQL q;
    q.SetDatabase(&DM->IBDatabaseDEF);
    q.SetTransaction(&tr);
    q.SQL = "SELECT COUNT(REC) AS RECCNT FROM DATALIST WHERE (GROUPID=:GROUPID)";
    q.ParamByName("GROUPID").SetInteger(SystemDef.GroupId);
    q.ExecQuery();
    const int count = q.Eof() ? 0 : q.FieldByName("RECCNT").AsInteger();
    q.Close();
    DataRows.reserve(count);
    q.SQL = "SELECT REC,ENTTEXT,SHOUGOU,PASNAME,NETDRIVE,DATATYPE,CODETYPE,NENDO,KISHU,KIMATU,DATALOCK,KYOYULOCK,"
            "TANTOU,VER_MAJOR,VER_MINOR1,VER_MINOR2,VER_TEXT FROM DATALIST WHERE (GROUPID=:GROUPID) ORDER BY REC";
    q.ParamByName("GROUPID").SetInteger(SystemDef.GroupId);
    for (q.ExecQuery(); !q.Eof(); q.Next()) {
      TDataSentakuRec r;
      r.REC = q.FieldByName("REC").AsInteger();
      r.ENTTEXT = q.FieldByName("ENTTEXT").AsString();
      r.SHOUGOU = q.FieldByName("SHOUGOU").AsString();
      r.PASNAME = q.FieldByName("PASNAME").AsString();
      r.NETDRIVE = q.FieldByName("NETDRIVE").AsInteger();
      r.DATATYPE = q.FieldByName("DATATYPE").AsInteger();
      r.CODETYPE = q.FieldByName("CODETYPE").AsInteger();
      r.NENDO = q.FieldByName("NENDO").AsInteger();
      if (!q.FieldByName("KISHU").IsNull()) r.KISHU = q.FieldByName("KISHU").AsDateTime();
      if (!q.FieldByName("KIMATU").IsNull()) r.KIMATU = q.FieldByName("KIMATU").AsDateTime();
      r.DATALOCK = q.FieldByName("DATALOCK").AsInteger();
      r.KYOYULOCK = q.FieldByName("KYOYULOCK").AsInteger();
      r.TANTOU = q.FieldByName("TANTOU").AsInteger();
      r.VER_MAJOR = q.FieldByName("VER_MAJOR").AsInteger();
      r.VER_MINOR1 = q.FieldByName("VER_MINOR1").AsInteger();
      r.VER_MINOR2 = q.FieldByName("VER_MINOR2").AsInteger();
      r.VER_TEXT = q.FieldByName("VER_TEXT").AsString();
      DataRows.push_back(std::move(r));
      if (static_cast<int>(DataRows.size()) >= count) break;
    }
    q.Close();
  } catch (const EIBError& e) {
    ReportDbError(e, "TDataSentakuBox.GetDataListRecord", "", true);
    throw;
  }
  return static_cast<int32_t>(DataRows.size());
}

void TfmDataTusin::SetDataStatus(const std::string& Folder, uint8_t Status) { DataInfo.SetStatus(Folder, Status); }

void TfmDataTusin::StepWait() {
  // The step just shown is painted before the wait; the wait itself handles no events, so
  // nothing the user does meanwhile starts anything.
  StepWaitCount = 1;
  std::this_thread::sleep_for(std::chrono::milliseconds(480 * StepWaitCount));
}

int32_t TfmDataTusin::ConfirmOverwrite(int Index) {
  const TRelayFolder& f = RelayInfo.Folders.at(Index);
  const std::string openStart = FormatDateTime("yyyy/mm/dd", AccInf.KISHU);
  const bool password = Account().Password != f.FolderPassword;
  const bool name = AccInf.SHOUGOU != f.CompanyName;
  const bool period = openStart.substr(0, 10) != f.PeriodStart.substr(0, 10);
  if (!password && !name && !period) return 2;
  if (password && !name && !period) {
    return Ask("中継サーバーに下記相違点のあるデータが存在します。このまま送信して上書きしてもいいですか？\r\n\r\nパスワードが違います。")
               ? 1
               : -1;
  }
  auto* notice = CreateForm<TfmHikakuMess2>(this);
  int answer = -1;
  try {
    notice->Label1->SetCaption("中継サーバーに下記相違点のあるデータが存在します。");
    notice->Label2->SetCaption("このまま送信して上書きしてもいいですか？");
    notice->Label5->SetCaption(HikakuOpenName(AccInf.SHOUGOU));
    notice->Label6->SetCaption(HikakuRelayName(f.CompanyName));
    if (SystemDef.R4Bit10) {
      notice->Label8->SetCaption(HikakuOpenPeriod(FormatDateStyle("yy/mm/dd", 2, AccInf.KISHU),
                                                  FormatDateStyle("yy/mm/dd", 2, AccInf.KIMATU)));
      notice->Label9->SetCaption(HikakuRelayPeriod(f.PeriodStartText, f.PeriodEndText));
    } else {
      notice->Label8->SetCaption(HikakuOpenPeriod(openStart, FormatDateTime("yyyy/mm/dd", AccInf.KIMATU)));
      notice->Label9->SetCaption(HikakuRelayPeriod(f.PeriodStart.substr(0, 10), f.PeriodEnd.substr(0, 10)));
    }
    notice->Arrange(password, name, period, true);
    notice->ShowModal();
    answer = HikakuMess2Answer == 1 ? 1 : -1;
  } catch (...) {
    notice->Free();
    throw;
  }
  notice->Free();
  return answer;
}

// ---------------------------------------------------------------------------------------
// Keys

void TfmDataTusin::F1Click(QObject* Sender) {
  auto* b = dynamic_cast<TxPlButton*>(Sender);
  if (!b || !KeyOffered(b)) return;
  bool keepKeys = false;
  if (b == F1) {
    ShowHtmlManual(HelpPage().empty() ? "tsusin01.html" : HelpPage());
  } else if (b == F5) {
    if (SyoriType == 1 || SyoriType == 2) DeleteRelayFolder();
    else DeleteCashBookFolder(CurrentRow());
  } else if (b == F12 && SyoriType != 8) {
    const bool send = SyoriType == 1;
    bool notCompleted = true;
    try {
      notCompleted = send ? SendDataToRelay() : ReceiveDataFromRelay();
    } catch (const std::exception& e) {
      EnableWindow(this, true);
      if (!send) {
        F12->SetEnabled(true);
        F5->SetEnabled(true);
      }
      Screen().SetCursor(crDefault);
      uis::ShowMessage(uis::MsgKind::Error,
                       std::string(send ? "送信処理中にエラーになりました。\r\n" : "受信処理中にエラーになりました。\r\n") +
                           ExceptionClassName(e) + " error , with message : " + e.what());
      notCompleted = false;
    }
    if (notCompleted) {
      keepKeys = true;
    } else {
      SetModalResult(mrOk);
      Close();
    }
  }
  if (!keepKeys) ResetFunctionKeys();
}

void TfmDataTusin::ESCClick(QObject*) {
  if (!KeyOffered(ESC)) return;
  SetModalResult(mrCancel);
}

void TfmDataTusin::FormKeyUp(QObject* Sender, int& Key, TShiftState Shift) {
  if (Key == VK_ESCAPE) {
    ESCClick(ESC);
    Key = 0;
  } else if ((Key >= VK_F1 && Key <= VK_F8) || Key == VK_F12) {
    PressKey(Key);
    Key = 0;
  }
  TBSDI::FormKeyUp(Sender, Key, Shift);
}

void RegisterDataTusin() { RegisterSyoriClass<TfmDataTusin>("VqDataTusin"); }
