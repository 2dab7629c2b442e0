#include "selection/Logon.h"

#include <charconv>
#include <stdexcept>
#include <tuple>
#include <utility>
#include <exception>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/DbErrorReportCodes.h"
#include "data/uAccFunction.h"
#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "platform/Paths.h"
#include "platform/SystemInfo.h"
#include "platform/UiServices.h"
#include "platform/db/IBError.h"
#include "platform/db/TransactionScope.h"
#include "selection/AppIniCreate.h"
#include "selection/z5UpPassword.h"
#include "ui/forms/Application.h"
#include "ui/z5MessageDlg2.h"

using namespace forms;

namespace {

constexpr const char* kIniFailed = "iniファイルよりデータベース情報の取得に失敗しました。";
constexpr const char* kWrongCode = "コードまたはパスワードが違います。\r正しいコードまたはパスワードを入力して下さい。";
constexpr const char* kAlreadyLoggedOn =
    "指定したユーザーは既にシステムへログインしているため、ログインできませんでした。";
constexpr const char* kNoServerHost = "データサーバーのコンピュータ名が設定されていません。\r";
constexpr const char* kNoServerPath = "データサーバー上のデータパスが設定されていません。\r";
constexpr const char* kFixInSettings = "[サーバー設定]ボタンを押して正しい情報を入力して下さい。";
constexpr const char* kFixInTerminalSettings = "[データサーバーの設定]を起動し正しい情報を入力して下さい。";
constexpr const char* kConnectFailed = "財務システムデータベースの接続処理に失敗しました。";
constexpr const char* kSysDbReconnectFailed =
    "システムデータベースの接続処理に失敗しました。\riniファイルの情報が正しいか確認してください。";
constexpr const char* kPasswordCheckFailed = "パスワードの確認処理に失敗しました。";
constexpr const char* kPasswordUpdateFailed = "パスワードの更新処理に失敗しました。";
// The version of the logon protocol this program speaks to LOGONUSERTEST.
constexpr int32_t kAppVersion = 2;
// The terminal solutions by terminal kind; this program knows none (kind 0).
constexpr const char* kTerminalNames[] = {"", "GO-Global", "RDS", "XenDesktop"};
constexpr int kTerminalKind = 0;

// The text as a number; `def` when it is not one.
int32_t NumberOr(const std::string& text, int32_t def) {
  const std::string t = TrimZenkaku(text);
  int32_t value = 0;
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
  return (ec == std::errc() && end == t.data() + t.size() && !t.empty()) ? value : def;
}

std::string LogonFailedText() { return "ログイン処理に失敗しました。\r" + SystemDef.ProgramTitle + "を終了します。"; }

}  // namespace

std::vector<std::string> LogonConnectFailureLines(uint8_t connectMode, int32_t callerMode, int ibErrorCode,
                                                  int sqlCode) {
  if (ibErrorCode != ibdb::kIoError && ibErrorCode != ibdb::kNetworkError) {
    return {kConnectFailed, "[例外内容]",
            "(IBXエラーコード:" + std::to_string(ibErrorCode) + ") " + DbErrorCodeText(ibErrorCode, sqlCode)};
  }
  std::vector<std::string> lines{"ログイン処理に失敗しました。以下の理由が考えられます。"};
  switch (connectMode) {
    case 0:
      if (callerMode == 1)
        lines.insert(lines.end(), {"１）財務アプリケーションがインストールされていない。", "２）データファイルが見つからない。",
                                   "３）別のプロセスがデータファイルを使用中。"});
      else
        lines.insert(lines.end(), {"１）データファイルが見つからない。", "２）別のプロセスがデータファイルを使用中。"});
      break;
    case 1:
      lines.insert(lines.end(),
                   {"１）サーバー上でFireBirdサービスが起動しているか確認して下さい。",
                    "２）ログイン画面の[サーバー設定]ボタンを押して正しい情報が設定されているか確認して下さい。",
                    "３）Windowsファイヤーウォール(市販のセキュリティソフト含む)が有効の場合は、このアプリケーションがサーバーと通信"
                    "できる状態か確認して下さい。"});
      break;
    default:
      lines.insert(lines.end(),
                   {std::string("１）") + kTerminalNames[kTerminalKind] + "ソリューションが正常に動作しているか確認して下さい。",
                    "２）サーバー上でFireBirdサービスが起動しているか確認して下さい。",
                    "３）ログイン画面の[サーバー設定]ボタンを押して正しい情報が設定されているか確認して下さい。",
                    "４）Windowsファイヤーウォール(市販のセキュリティソフト含む)が有効の場合は、このアプリケーションがサーバーと通信"
                    "できる状態か確認して下さい。"});
      break;
  }
  return lines;
}

std::vector<std::string> LogonConnectFailureLines(const std::string& exceptionText) {
  return {kConnectFailed, "[例外内容]", exceptionText};
}

TLogonBox::TLogonBox(QWidget* owner) : TBSDI(owner) {
  SetName("LogonBox");
  SetCaption("ログイン");
  SetBorderStyle(bsDialog);
  SetBorderIcons(biSystemMenu);
  SetPosition(poScreenCenter);
  SetKeyPreview(true);
  SetShowHint(true);
  SetClientSize(378, 300);

  pnlTop = new TPanel(this);
  pnlTop->SetName("pnlTop");
  pnlTop->SetCaption("");
  pnlTop->SetBevelOuter(bvNone);
  pnlTop->SetColor(clWhite);
  pnlTop->SetBounds(0, 0, 378, 80);
  pnlTop->SetAlign(alTop);
  auto topLabel = [this](const char* name, int top) {
    auto* l = new TLabel(pnlTop);
    l->SetName(name);
    l->SetBounds(20, top, 0, 0);
    return l;
  };
  Label1 = topLabel("Label1", 10);
  Label2 = topLabel("Label2", 32);
  Label3 = topLabel("Label3", 54);

  pnlClient = new TPanel(this);
  pnlClient->SetName("pnlClient");
  pnlClient->SetCaption("");
  pnlClient->SetBevelOuter(bvNone);
  pnlClient->SetBounds(0, 80, 378, 220);
  pnlClient->SetAlign(alClient);

  GroupBox1 = new TGroupBox(pnlClient);
  GroupBox1->SetName("GroupBox1");
  GroupBox1->SetCaption("");
  GroupBox1->SetBounds(12, 6, 354, 106);
  auto row = [this](const char* labelName, const char* caption, const char* editName, int top, int maxLength) {
    auto* l = new TLabel(GroupBox1);
    l->SetName(labelName);
    l->SetCaption(caption);
    l->SetBounds(24, top + 4, 0, 0);
    auto* e = new TxEdit(GroupBox1);
    e->SetName(editName);
    e->SetBounds(128, top, 193, 21);
    e->SetMaxLength(maxLength);
    e->SetImeMode(imDisable);
    e->SetKeyStyles({ksEnter, ksUp});
    return std::pair{l, e};
  };
  std::tie(Label4, txtGroupID) = row("Label4", "グループ:", "txtGroupID", 12, 16);
  txtGroupID->SetPasswordChar(U'*');
  std::tie(Label5, txtOpCode) = row("Label5", "コード:", "txtOpCode", 42, 9);
  txtOpCode->SetHint("オペレータコードを入力します。");
  std::tie(Label6, txtPassword) = row("Label6", "パスワード:", "txtPassword", 72, 16);
  txtPassword->SetPasswordChar(U'*');
  txtPassword->SetHint("パスワードを入力します。");
  txtGroupID->OnKeyPress = [this](QObject* s, char32_t& k) { DigitsOnly(s, k); };
  txtOpCode->OnKeyPress = [this](QObject* s, char32_t& k) { DigitsOnly(s, k); };
  txtPassword->OnKeyPress = [this](QObject*, char32_t& k) {
    if (k != U'\r') return;
    k = 0;
    OKBtn->SetFocus();
  };

  GroupBox2 = new TGroupBox(pnlClient);
  GroupBox2->SetName("GroupBox2");
  GroupBox2->SetCaption("");
  GroupBox2->SetBounds(12, 118, 354, 50);
  btnSA = new TxRadioButton(GroupBox2);
  btnSA->SetName("btnSA");
  btnSA->SetCaption("スタンドアロン");
  btnSA->SetBounds(16, 18, 113, 17);
  btnSA->SetHint("このコンピュータで管理しているデータを処理します。");
  btnCS = new TxRadioButton(GroupBox2);
  btnCS->SetName("btnCS");
  btnCS->SetCaption("クライアント(C/S)");
  btnCS->SetBounds(132, 18, 121, 17);
  btnCS->SetHint("ネットワークに接続して、サーバーで管理しているデータを処理します。");
  btnSA->OnClick = [this](QObject* s) { RadioClick(s); };
  btnCS->OnClick = [this](QObject* s) { RadioClick(s); };
  btnServerSettei = new TxPlButton(GroupBox2);
  btnServerSettei->SetName("btnServerSettei");
  btnServerSettei->SetBounds(256, 13, 89, 27);
  btnServerSettei->CaptionA().SetCaption("サーバー設定");
  btnServerSettei->SetHint("データサーバーの情報を設定します。");
  btnServerSettei->OnClick = [this](QObject* s) { btnServerSetteiClick(s); };

  auto button = [this](const char* name, int left, int width, const char* caption) {
    auto* b = new TxPlButton(pnlClient);
    b->SetName(name);
    b->SetBounds(left, 180, width, 28);
    b->CaptionA().SetCaption(caption);
    b->SetAnchors(akRight | akBottom);
    return b;
  };
  btnUpPassword = button("btnUpPassword", 12, 121, "パスワードを変更 ");
  btnUpPassword->SetAnchors(akLeft | akBottom);
  btnUpPassword->SetHint("パスワードを変更します。");
  btnUpPassword->SetVisible(false);
  OKBtn = button("OKBtn", 164, 97, "OK");
  OKBtn->OnClick = [this](QObject* s) { OKBtnClick(s); };
  CancelBtn = button("CancelBtn", 269, 97, "キャンセル");
  CancelBtn->SetCancel(true);
  CancelBtn->SetModalResult(mrCancel);

  if (DM) {
    IBQuery1.SetDatabase(&DM->IBDatabaseDEF);
    IBQuery1.SetTransaction(&DM->IBTransactionDEF);
  }
}

void TLogonBox::FormCreate(QObject* Sender) {
  TBSDI::FormCreate(Sender);
  FKeepOnClose = true;  // the creator frees the dialog after the modal run
  FCallerMode = 0;
  FGroupEntry = ConnectMode == 2 && SystemDef.GroupLogon != 0;

  Label1->SetCaption(SystemDef.ProgramTitle + " を利用するには、");
  if (FGroupEntry) {
    Label2->SetCaption("グループ、オペレータコードとパスワードを入力して下さい。");
  } else {
    Label2->SetCaption("オペレータコードとパスワードを入力して下さい。");
    Label4->SetVisible(false);
    txtGroupID->SetVisible(false);
  }
  Label3->SetCaption("");

  AppIniCreateBox = CreateForm<TAppIniCreateBox>(nullptr);
  (AppIniCreateBox->ReadConnectMode() != 0 ? btnCS : btnSA)->SetChecked(true);
  RadioClick(btnSA);

  if (ConnectMode == 2 || OemKind == 2) {
    GroupBox2->SetVisible(false);
    btnSA->SetChecked(true);
    RadioClick(btnSA);
    SetClientHeight(pnlTop->Height() + static_cast<int>(0.7 * pnlClient->Height()));
  }
  FCreatedOK = true;
}

void TLogonBox::FormDestroy(QObject* Sender) {
  if (AppIniCreateBox) AppIniCreateBox->Free();
  AppIniCreateBox = nullptr;
  if (UpPasswordBox) UpPasswordBox->Free();
  UpPasswordBox = nullptr;
  TBSDI::FormDestroy(Sender);
}

void TLogonBox::CMShowingChanged() {
  TBSDI::CMShowingChanged();
  if (!Showing()) return;
  btnServerSettei->SetEnabled(btnCS->Checked());
  if (FCallerMode == 2) OKBtn->SetFocus();
  else if (FGroupEntry) txtGroupID->SetFocus();
  else txtOpCode->SetFocus();
}

void TLogonBox::DigitsOnly(QObject*, char32_t& key) {
  if (key == U'\r' || key == 8 || (key >= U'0' && key <= U'9')) return;
  key = 0;
}

void TLogonBox::RadioClick(QObject*) {
  if (ConnectMode != 2) ConnectMode = btnCS->Checked() ? 1 : 0;
  btnServerSettei->SetEnabled(btnCS->Checked());
}

void TLogonBox::btnServerSetteiClick(QObject*) {
  if (AppIniCreateBox && AppIniCreateBox->FCreatedOK) AppIniCreateBox->ShowModal();
}

uint8_t TLogonBox::ChosenMode() const {
  if (ConnectMode == 2) return 2;
  return btnCS->Checked() ? 1 : 0;
}

void TLogonBox::Refuse(const std::string& text, TControl* focus) {
  uis::ShowMessage(uis::MsgKind::Error, text);
  if (focus && focus->CanFocus()) focus->SetFocus();
}

void TLogonBox::OKBtnClick(QObject*) {
  SetModalResult(mrNone);
  const uint8_t mode = ChosenMode();
  try {
    AppIniCreateBox->ReadAppIni(mode);
  } catch (const std::exception&) {
    return Refuse(kIniFailed, nullptr);
  }
  // Re-reading the INI clears the group flag of SystemDef; the dialog's own flag says whether
  // the operator typed a group, and that group is the one logged on with.
  if (FGroupEntry) {
    const int32_t group = NumberOr(txtGroupID->Text(), 0);
    SystemDef.GroupId = (group < 0 || group > 99999) ? 0 : group;
  }

  const int32_t code = NumberOr(txtOpCode->Text(), 0);
  if (code <= 9) return Refuse(kWrongCode, txtOpCode);

  if (mode == 1 || mode == 2) {
    const char* fix = mode == 1 ? kFixInSettings : kFixInTerminalSettings;
    if (TrimZenkaku(SystemDef.HostName).empty()) return Refuse(std::string(kNoServerHost) + fix, nullptr);
    if (TrimZenkaku(SystemDef.SysDir).empty()) return Refuse(std::string(kNoServerPath) + fix, nullptr);
  }

  if (!ConnectSystemDb(mode)) return;
  CheckLogon(SystemDef.GroupId, code, mode);
}

bool TLogonBox::ConnectSystemDb(uint8_t mode) {
  std::vector<std::string> lines;
  try {
    if (!DM) throw std::runtime_error("データモジュールがありません。");
    DM->IBDatabaseDEF.ForceClose();
    if (DM->fnAccDefConnected(SystemDef.HostName, false)) return true;
    lines = LogonConnectFailureLines(std::string());
  } catch (const EIBError& e) {
    lines = e.IBErrorCode != 0 ? LogonConnectFailureLines(mode, FCallerMode, e.IBErrorCode, e.SQLCode)
                               : LogonConnectFailureLines(e.what());
  } catch (const std::exception& e) {
    lines = LogonConnectFailureLines(e.what());
  }
  TMessage2InfoRec info;
  InitMessage2Info(2, info);
  for (size_t i = 0; i < lines.size() && i < info.Lines.size(); ++i) info.Lines[i].Text = lines[i];
  ShowMessage2(info);
  return false;
}

void TLogonBox::CheckLogon(int32_t group, int32_t code, uint8_t mode) {
  try {
    int32_t num = 0, loginCode = 0, jobLevel = 0;
    {
      TTransactionScope tx(DM->IBTransactionDEF);
      SystemDef.LogonId = 0;
      IBQuery1.SetDatabase(&DM->IBDatabaseDEF);
      IBQuery1.SetTransaction(&DM->IBTransactionDEF);
      IBQuery1.Close();
      IBQuery1.SQL = "SELECT NUM,LOGINCODE,JOBLEVEL FROM LOGONUSERTEST(:PCNAME,:GROUPID,:OPCODE,:APPVERSION,:PASWORD)";
      IBQuery1.ParamByName("PCNAME").SetString(sysinfo::ComputerName());
      IBQuery1.ParamByName("GROUPID").SetInteger(group);
      IBQuery1.ParamByName("OPCODE").SetInteger(code);
      IBQuery1.ParamByName("APPVERSION").SetInteger(kAppVersion);
      IBQuery1.ParamByName("PASWORD").SetString(txtPassword->Text());
      IBQuery1.Open();
      if (!IBQuery1.Eof()) {
        num = IBQuery1.FieldByName("NUM").AsInteger();
        loginCode = IBQuery1.FieldByName("LOGINCODE").AsInteger();
        jobLevel = IBQuery1.FieldByName("JOBLEVEL").AsInteger();
      }
      IBQuery1.Close();
    }
    if (num == -1) return Refuse(kWrongCode, txtOpCode);
    if (num == -3) return Refuse(kAlreadyLoggedOn, nullptr);
    if (num != 0 && num != 1) return;

    SetModalResult(mrOk);
    SystemDef.LogonId = group * 10000 + loginCode;
    SystemDef.OpName.clear();
    SystemDef.JimushoOperator = 0;
    try {
      TTransactionScope tx(DM->IBTransactionDEF, TTransactionScope::End::CommitQuietly);
      IBQuery1.SQL = "SELECT OPNAME,JIMUSHO,OKINIIRI FROM OPERATOR\nWHERE GROUPID=:GROUPID\nAND OPCODE=:OPCODE";
      IBQuery1.ParamByName("GROUPID").SetInteger(group);
      IBQuery1.ParamByName("OPCODE").SetInteger(loginCode);
      for (IBQuery1.Open(); !IBQuery1.Eof(); IBQuery1.Next()) {
        SystemDef.OpName = IBQuery1.FieldByName("OPNAME").AsString();
        SystemDef.JimushoOperator = IBQuery1.FieldByName("JIMUSHO").AsInteger() == 1 ? 1 : 0;
      }
      IBQuery1.Close();
    } catch (const std::exception&) {
      IBQuery1.Close();
      SystemDef.OpName.clear();
    }
    SystemDef.JobLevel = jobLevel;
    SystemDef.OpCode = loginCode;
    SystemDef.MyNumberAdmin = 0;
    try {
      TTransactionScope tx(DM->IBTransactionDEF, TTransactionScope::End::CommitQuietly);
      IBQuery1.SQL = "SELECT MYNUMBER_ADM FROM OPERATOR\nWHERE (GROUPID=:GROUPID) AND (OPCODE=:OPCODE)";
      IBQuery1.ParamByName("GROUPID").SetInteger(group);
      IBQuery1.ParamByName("OPCODE").SetInteger(loginCode);
      for (IBQuery1.Open(); !IBQuery1.Eof(); IBQuery1.Next())
        SystemDef.MyNumberAdmin = IBQuery1.FieldByName("MYNUMBER_ADM").AsInteger() == 1 ? 1 : 0;
      IBQuery1.Close();
    } catch (const std::exception&) {
      IBQuery1.Close();
      SystemDef.MyNumberAdmin = 0;
    }
    SystemDef.SrvWorkDir.clear();
    if (mode == 1 || mode == 2) SystemDef.SrvWorkDir = ExtractFileDrive(SystemDef.SysDir) + fw::ServerWorkDir;
    if (OemKind == 2) {
      SystemDef.JobLevel = 0;
      SystemDef.JimushoOperator = 0;
    }
    AppIniCreateBox->WriteConnectMode(mode);
  } catch (const EIBError& e) {
    IBQuery1.Close();
    ReportDbError(e, "TLogonBox.OKBtnClick", LogonFailedText(), false);
    SetModalResult(mrCancel);
  } catch (const std::exception& e) {
    IBQuery1.Close();
    ShowErrorDetail(LogonFailedText(), e.what(), uis::MsgKind::Error);
    SetModalResult(mrCancel);
  }
}

bool TLogonBox::GetEntryPassword(int32_t Code, std::string& Password) {
  Password.clear();
  if (ProgramKind != 2 && ProgramKind != 3) return true;
  if (Code == 0) return false;
  if (!DM) return false;
  DM->IBDatabaseDEF.ForceClose();
  if (!DM->fnAccDefConnected("", true)) {
    uis::ShowMessage(uis::MsgKind::Error, kSysDbReconnectFailed);
    return false;
  }
  try {
    {
      TTransactionScope tx(DM->IBTransactionDEF, TTransactionScope::End::Commit);
      IBQuery1.SetDatabase(&DM->IBDatabaseDEF);
      IBQuery1.SetTransaction(&DM->IBTransactionDEF);
      IBQuery1.SQL = "SELECT PASWORD FROM OPERATOR\nWHERE GROUPID=:GROUPID AND OPCODE=:OPCODE";
      IBQuery1.ParamByName("GROUPID").SetInteger(SystemDef.GroupId);
      IBQuery1.ParamByName("OPCODE").SetInteger(Code);
      for (IBQuery1.Open(); !IBQuery1.Eof(); IBQuery1.Next()) Password = IBQuery1.FieldByName("PASWORD").AsString();
      IBQuery1.Close();
    }
    DM->IBDatabaseDEF.Close();
    return !Password.empty();
  } catch (const std::exception& e) {
    IBQuery1.Close();
    ReportFailure(e, "TLogonBox.GetEntryPassword", "", false);
    uis::ShowMessage(uis::MsgKind::Error, kPasswordCheckFailed);
    return false;
  }
}

bool TLogonBox::UpdatePassword(int32_t Code, const std::string& Password) {
  if (ProgramKind == 1) return true;
  if (Code == 0) return false;
  if (ProgramKind == 0) {
    try {
      AppIniCreateBox->ReadAppIni(ChosenMode());
    } catch (const std::exception&) {
      uis::ShowMessage(uis::MsgKind::Error, kIniFailed);
      return false;
    }
  }
  if (!DM) return false;
  DM->IBDatabaseDEF.ForceClose();
  if (!DM->fnAccDefConnected("", true)) {
    uis::ShowMessage(uis::MsgKind::Error, kSysDbReconnectFailed);
    return false;
  }
  try {
    {
      TTransactionScope tx(DM->IBTransactionDEF);
      IBQuery1.SetDatabase(&DM->IBDatabaseDEF);
      IBQuery1.SetTransaction(&DM->IBTransactionDEF);
      IBQuery1.SQL = "SELECT COUNT(*) AS CNT FROM OPERATOR\nWHERE GROUPID=:GROUPID AND OPCODE=:OPCODE";
      IBQuery1.ParamByName("GROUPID").SetInteger(SystemDef.GroupId);
      IBQuery1.ParamByName("OPCODE").SetInteger(Code);
      IBQuery1.Open();
      const bool present = !IBQuery1.Eof() && IBQuery1.FieldByName("CNT").AsInteger() > 0;
      IBQuery1.Close();
      if (present) {
        IBQuery1.SQL = "UPDATE OPERATOR SET PASWORD=:PASWORD\nWHERE GROUPID=:GROUPID AND OPCODE=:OPCODE";
      } else {
        // The first creation of the system user.
        IBQuery1.SQL =
            "INSERT INTO OPERATOR (GROUPID,OPCODE,OPNAME,JOBLEVEL,PASWORD,DATAPAS,JIMUSHO,OKINIIRI,KANSA)\n"
            "VALUES (:GROUPID,:OPCODE,'システムユーザー',9,:PASWORD,'',0,0,0)";
      }
      IBQuery1.ParamByName("GROUPID").SetInteger(SystemDef.GroupId);
      IBQuery1.ParamByName("OPCODE").SetInteger(Code);
      IBQuery1.ParamByName("PASWORD").SetString(Password);
      IBQuery1.ExecSQL();
      IBQuery1.Close();
    }
    DM->IBDatabaseDEF.Close();
    return true;
  } catch (const std::exception& e) {
    IBQuery1.Close();
    ReportFailure(e, "TLogonBox.UpdatePassword", "", false);
    uis::ShowMessage(uis::MsgKind::Error, kPasswordUpdateFailed);
    return false;
  }
}
