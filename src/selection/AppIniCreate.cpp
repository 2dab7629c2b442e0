#include "selection/AppIniCreate.h"

#include <filesystem>
#include <stdexcept>

#include "data/uAccFunction.h"
#include "data/uAccFunction2Win.h"
#include "data/uAccRecord.h"
#include "platform/AsciiCase.h"
#include "platform/Paths.h"
#include "platform/UiServices.h"
#include "platform/ini/IniFile.h"
#include "ui/forms/Application.h"

using namespace forms;

namespace {

constexpr const char* kNoHost = "コンピュータ名が指定されていません。\r入力してください。";
constexpr const char* kNoHostTerminal = "コンピュータ名が指定されていません。\r";
constexpr const char* kNoUser = "データベースのユーザーが指定されていません。\r入力してください。";
constexpr const char* kNoPassword = "データベースのパスワードが指定されていません。\r入力してください。";
constexpr const char* kBrowsePrompt =
    "サーバーのコンピュータを選択して下さい。サーバーのコンピュータがリストに無い場合は、[ｷｬﾝｾﾙ]を押してコンピュータ名を入力"
    "して下さい。";
// The folder that the cash-book program keeps its data in, below the data root.
constexpr const char* kCashBookDataDir = "CB_DATA";

const char* YesNo(bool value) { return value ? "YES" : "NO"; }

void Refuse(const char* text, TControl* focus) {
  uis::ShowMessage(uis::MsgKind::Error, text);
  if (focus && focus->CanFocus()) focus->SetFocus();
}

}  // namespace

const char* AppIniSection(int32_t kind) {
  if (kind == 1) return "SERVER";
  if (kind == 2) return "SBC";
  return "LOCAL";
}

TAppIniCreateBox::TAppIniCreateBox(QWidget* owner) : TBSDI(owner) {
  SetName("AppIniCreateBox");
  SetCaption("データサーバーの設定");
  SetBorderStyle(bsDialog);
  SetBorderIcons(biSystemMenu);
  SetPosition(poScreenCenter);
  SetShowHint(true);
  SetClientSize(506, 233);

  pnlTop = new TPanel(this);
  pnlTop->SetName("pnlTop");
  pnlTop->SetCaption("");
  pnlTop->SetBevelOuter(bvNone);
  pnlTop->SetColor(clWhite);
  pnlTop->SetBounds(0, 0, 506, 57);
  pnlTop->SetAlign(alTop);
  Label1 = new TLabel(pnlTop);
  Label1->SetName("Label1");
  Label1->SetBounds(24, 12, 0, 0);
  Label2 = new TLabel(pnlTop);
  Label2->SetName("Label2");
  Label2->SetBounds(24, 32, 0, 0);

  GroupBox1 = new TGroupBox(this);
  GroupBox1->SetName("GroupBox1");
  GroupBox1->SetCaption("データサーバー");
  GroupBox1->SetBounds(12, 64, 482, 121);

  auto label = [this](const char* name, const char* caption, int top) {
    auto* l = new TLabel(GroupBox1);
    l->SetName(name);
    l->SetCaption(caption);
    l->SetBounds(16, top, 0, 0);
    return l;
  };
  auto edit = [this](const char* name, int left, int top, int width) {
    auto* e = new TxEdit(GroupBox1);
    e->SetName(name);
    e->SetBounds(left, top, width, 21);
    e->SetKeyStyles({ksEnter, ksUp});
    e->SetImeMode(imDisable);
    return e;
  };
  Label3 = label("Label3", "コンピュータ名:", 28);
  txtHostName = edit("txtHostName", 176, 24, 201);
  txtHostName->SetHint("接続先のコンピューター名またはIPアドレスを入力して下さい。");
  btnCompShow = new TxPlButton(GroupBox1);
  btnCompShow->SetName("btnCompShow");
  btnCompShow->SetBounds(385, 22, 81, 25);
  btnCompShow->CaptionA().SetCaption("参照");
  btnCompShow->SetHint("ネットワークに接続されているコンピュータを表示します。");
  btnCompShow->OnClick = [this](QObject* s) { btnCompShowClick(s); };

  Label4 = label("Label4", "データの場所:", 60);
  cmbDrive = new TxComboBox(GroupBox1);
  cmbDrive->SetName("cmbDrive");
  cmbDrive->SetStyle(csDropDownList);
  cmbDrive->SetBounds(176, 56, 57, 21);
  cmbDrive->SetHint("データを置いてあるドライブを選択して下さい。");
  txtDataPath = edit("txtDataPath", 241, 56, 225);
  txtDataPath->SetReadOnly(true);
  txtDataPath->SetHint("データパス名を入力して下さい。");
  txtDataPath->SetText(kDefaultDataPath);

  Label5 = label("Label5", "データベースのユーザー:", 92);
  Label5->SetVisible(false);
  txtUserName = edit("txtUserName", 176, 88, 145);
  txtUserName->SetText(kDefaultDbUser);
  txtUserName->SetVisible(false);
  Label6 = label("Label6", "データベースのパスワード:", 92);
  Label6->SetLeft(248);
  Label6->SetVisible(false);
  txtPassWord = edit("txtPassWord", 400, 88, 66);
  txtPassWord->SetPasswordChar(U'*');
  txtPassWord->SetVisible(false);

  auto button = [this](const char* name, int left, const char* caption) {
    auto* b = new TxPlButton(this);
    b->SetName(name);
    b->SetBounds(left, 195, 97, 28);
    b->CaptionA().SetCaption(caption);
    return b;
  };
  btnOK = button("btnOK", 292, "OK");
  btnOK->OnClick = [this](QObject* s) { btnOKClick(s); };
  btnCancel = button("btnCancel", 397, "キャンセル");
  btnCancel->SetCancel(true);
  btnCancel->SetModalResult(mrCancel);
  btnCancel->OnClick = [this](QObject* s) { btnCancelClick(s); };
}

void TAppIniCreateBox::FormCreate(QObject* Sender) {
  TBSDI::FormCreate(Sender);
  // The creator frees the dialog (the logon keeps it for its own lifetime).
  FKeepOnClose = true;
  FStandAlone = 0;
  FConnectKind = 1;
  Label1->SetCaption("データサーバーを利用するための設定をおこないます。");
  Label2->SetCaption("データサーバーの情報を入力して下さい。");
  txtDataPath->SetEnabled(false);
  txtUserName->SetEnabled(false);
  txtPassWord->SetEnabled(false);
  txtDataPath->SetText(kDefaultDataPath);
  txtUserName->SetText(SystemDef.DbUser);
  txtPassWord->SetText(SystemDef.DbPassword);

  FillDriveList();
  FCreatedOK = true;
}

void TAppIniCreateBox::FillDriveList() {
  // The drives this computer knows: "C:" and every mapped letter after it.
  std::vector<std::string> drives{"C:"};
  for (char letter = 'D'; letter <= 'Z'; ++letter) {
    if (!DriveFolder(letter).empty()) drives.push_back(std::string(1, letter) + ":");
  }
  cmbDrive->SetItems(drives);
  cmbDrive->SetItemIndex(0);
}

int TAppIniCreateBox::DriveIndexOf(const std::string& sysDir) const {
  const std::string drive = ascii::Upper(ExtractFileDrive(sysDir));
  if (HasDriveLetter(drive)) {
    for (int i = 0; i < cmbDrive->ItemCount(); ++i) {
      if (cmbDrive->Item(i) == drive) return i;
    }
  }
  return 0;
}

void TAppIniCreateBox::CMShowingChanged() {
  TBSDI::CMShowingChanged();
  if (!Showing()) return;
  if (FStandAlone != 0) {
    if (SystemDef.AppDataDir.empty())
      throw std::runtime_error("アプリケーションの初期化に失敗しました。\r" + SystemDef.ProgramTitle +
                               "を終了します。\rデータフォルダの取得に失敗しました。");
    if (!std::filesystem::exists(ResolvePath(SystemDef.AppIniFile))) WriteAppIni(0);
  }
  ReadAppIni(FConnectKind);
  FillDriveList();  // drives may have been mapped since the dialog was made
  txtHostName->SetText(SystemDef.HostName);
  cmbDrive->SetItemIndex(DriveIndexOf(SystemDef.SysDir));
  txtUserName->SetText(SystemDef.DbUser);
  txtPassWord->SetText(SystemDef.DbPassword);
  txtHostName->SetFocus();
}

bool TAppIniCreateBox::WriteAppIni(int32_t Reset) {
  if (Reset != 1) {
    WriteSection(AppIniSection(ConnectMode));
    return true;
  }
  if (ConnectMode == 0) SystemDef.HostName.clear();
  TIniFile ini(SystemDef.AppIniFile);
  ini.BeginUpdate();
  {
    ini.EraseSection("DATABASE");
    ini.EraseSection("MAINFORM");
    ini.WriteString("APPLICATION", "TOP", "0");
    ini.WriteString("APPLICATION", "LEFT", "0");
    ini.WriteString("APPLICATION", "WIDTH", "1024");
    ini.WriteString("APPLICATION", "HEIGHT", "738");
    ini.WriteString("APPLICATION", "CONNECT", "0");
    ini.WriteString("LOCAL", "HOSTNAME", SystemDef.HostName);
    ini.WriteString("LOCAL", "GOGLOBAL", YesNo(SystemDef.GoGlobal != 0));
    ini.WriteString("LOCAL", "GROUP", YesNo(SystemDef.GroupLogon != 0));
    ini.WriteString("LOCAL", "SYSDIR", SystemDef.SysDir);
    ini.WriteString("LOCAL", "USER", SystemDef.DbUser);
    ini.WriteString("LOCAL", "PASSWORD", SystemDef.DbPassword);
    ini.WriteString("SERVER", "HOSTNAME", "");
    ini.WriteString("SERVER", "GOGLOBAL", "NO");
    ini.WriteString("SERVER", "GROUP", "NO");
    ini.WriteString("SERVER", "SYSDIR", "");
    ini.WriteString("SERVER", "USER", SystemDef.DbUser);
    ini.WriteString("SERVER", "PASSWORD", SystemDef.DbPassword);
  }
  ini.UpdateFile();
  return true;
}

void TAppIniCreateBox::WriteSection(const std::string& section) {
  TIniFile ini(SystemDef.AppIniFile);
  ini.BeginUpdate();
  ini.WriteString(section, "HOSTNAME", SystemDef.HostName);
  ini.WriteString(section, "GOGLOBAL", YesNo(SystemDef.GoGlobal != 0));
  ini.WriteString(section, "GROUP", YesNo(SystemDef.GroupLogon != 0));
  ini.WriteString(section, "SYSDIR", SystemDef.SysDir);
  ini.WriteString(section, "USER", SystemDef.DbUser);
  ini.WriteString(section, "PASSWORD", SystemDef.DbPassword);
  ini.UpdateFile();
}

void TAppIniCreateBox::WriteConnectMode(int32_t Kind) {
  if (ProgramKind != 0 || Kind < 0 || Kind > 2) return;
  TIniFile(SystemDef.AppIniFile).WriteString("APPLICATION", "CONNECT", std::to_string(Kind));
}

int32_t TAppIniCreateBox::ReadConnectMode() {
  if (ProgramKind != 0) return 0;
  return TIniFile(SystemDef.AppIniFile).ReadInteger("APPLICATION", "CONNECT", 0);
}

int32_t TAppIniCreateBox::ReadAppIni(int32_t Kind) {
  const TIniFile ini(SystemDef.AppIniFile);
  const char* section = AppIniSection(Kind);
  SystemDef.HostName = ini.ReadString(section, "HOSTNAME", "");
  SystemDef.GoGlobal = ini.ReadString(section, "GOGLOBAL", "NO") == "YES" ? 1 : 0;
  SystemDef.SysDir = ini.ReadString(section, "SYSDIR", "");
  SystemDef.DbUser = ascii::Upper(ini.ReadString(section, "USER", kDefaultDbUser));
  SystemDef.DbPassword = ascii::Lower(ini.ReadString(section, "PASSWORD", kDefaultDbPassword));
  SystemDef.GroupLogon = 0;
  SystemDef.Reserved25 = {};
  return 1;
}

int32_t TAppIniCreateBox::LoadConnectSettings(int32_t Kind) {
  switch (ProgramKind) {
    case 0:
    case 2:
      return ReadAppIni(Kind);
    case 1:
    case 3:
      SystemDef.HostName.clear();
      SystemDef.GoGlobal = 0;
      SystemDef.SysDir = ExcludeTrailingPathDelimiter(SystemDef.AppDataDir) + "/" +
                         (ProgramKind == 1 ? std::string("data") : std::string(kCashBookDataDir));
      SystemDef.DbUser = kDefaultDbUser;
      SystemDef.DbPassword = kDefaultDbPassword;
      return 1;
    default:
      return 0;
  }
}

void TAppIniCreateBox::btnOKClick(QObject*) {
  SetModalResult(mrNone);
  SystemDef.HostName = ascii::Lower(txtHostName->Text());
  SystemDef.SysDir = cmbDrive->Text() + txtDataPath->Text();
  SystemDef.DbUser = ascii::Upper(txtUserName->Text());
  SystemDef.DbPassword = ascii::Lower(txtPassWord->Text());
  SystemDef.GoGlobal = 0;
  SystemDef.GroupLogon = 0;
  SystemDef.Reserved25 = {};

  if (FConnectKind == 0) {
    SystemDef.HostName.clear();
  } else if (FConnectKind == 1) {
    if (TrimZenkaku(SystemDef.HostName).empty()) return Refuse(kNoHost, txtHostName);
  } else if (FConnectKind == 2) {
    SystemDef.GoGlobal = 1;
    if (TrimZenkaku(SystemDef.HostName).empty()) return Refuse(kNoHostTerminal, txtHostName);
  }
  if (TrimZenkaku(SystemDef.DbUser).empty()) return Refuse(kNoUser, txtUserName);
  if (TrimZenkaku(SystemDef.DbPassword).empty()) return Refuse(kNoPassword, txtPassWord);

  // What the dialog shows is what it stores: the section of its own connection mode.
  WriteSection(AppIniSection(FConnectKind));
  SetModalResult(mrOk);
  if (FStandAlone != 0) Close();
}

void TAppIniCreateBox::btnCancelClick(QObject*) {
  SetModalResult(mrCancel);
  if (FStandAlone != 0) Close();
}

void TAppIniCreateBox::btnCompShowClick(QObject*) {
  std::string computer;
  if (SelectComputerDlg(kBrowsePrompt, computer)) txtHostName->SetText(computer);
}
