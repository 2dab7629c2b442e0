// TForm1: start-up, logon, closing and the result for the calling program.
#include "app/Main.h"

#include <QEvent>
#include <array>
#include <charconv>
#include <filesystem>

#include "app/MainHooks.h"
#include "app/xWizard.h"
#include "data/DataModule.h"
#include "data/uAccFunction2Win.h"
#include "data/uAccFunctionDb.h"
#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "export/sy26.h"
#include "platform/AsciiCase.h"
#include "platform/CallerChannel.h"
#include "platform/Folders.h"
#include "platform/NamedLock.h"
#include "platform/UiServices.h"
#include "platform/ini/IniFile.h"
#include "selection/AppIniCreate.h"
#include "selection/z5ComDataSentaku.h"
#include "selection/Logon.h"
#include "ui/forms/Application.h"

namespace {

constexpr const char* kApplicationTitle = "連動ﾃﾞｰﾀの作成";
constexpr const char* kProgramTitle = "Soravin連動コンポーネント";
// The accounting product version the intermediate file's importer was made for.
constexpr const char* kRequiredVersion = "10.0.0";

std::function<void(TForm1&)>& MainFormHook() {
  static std::function<void(TForm1&)> hook;
  return hook;
}

bool StrictInt(const std::string& text, int32_t& value) {
  if (text.empty()) return false;
  const char* first = text.data();
  const char* last = first + text.size();
  if (*first == '+') ++first;
  const auto [end, ec] = std::from_chars(first, last, value);
  return ec == std::errc() && end == last && first != last;
}

int32_t LenientInt(const std::string& text) {
  int32_t value = 0;
  return StrictInt(text, value) ? value : 0;
}

// major, minor and build of a dotted version; all 0 for no part or more than three.
std::array<int32_t, 3> VersionParts(const std::string& version) {
  std::vector<std::string> parts;
  if (!version.empty()) {
    size_t start = 0;
    for (;;) {
      const size_t dot = version.find('.', start);
      parts.push_back(version.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
      if (dot == std::string::npos) break;
      start = dot + 1;
    }
  }
  std::array<int32_t, 3> v = {0, 0, 0};
  if (parts.empty() || parts.size() > 3) return v;
  for (size_t i = 0; i < parts.size(); ++i) v[i] = LenientInt(parts[i]);
  return v;
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

bool ParseCallerArgument(const std::string& argument, int32_t& callerWnd, int32_t& callerMsg, int32_t& callerParam,
                         std::string& callerFile) {
  callerWnd = callerMsg = callerParam = 0;
  callerFile.clear();
  std::array<std::string, 3> fields;
  size_t start = 0;
  for (std::string& field : fields) {
    const size_t comma = argument.find(',', start);
    if (comma == std::string::npos) return false;
    field = argument.substr(start, comma - start);
    start = comma + 1;
  }
  int32_t wnd = 0, msg = 0, param = 0;
  if (!StrictInt(fields[0], wnd) || !StrictInt(fields[1], msg) || !StrictInt(fields[2], param)) return false;
  callerWnd = wnd;
  callerMsg = msg;
  callerParam = param;
  callerFile = argument.substr(start);
  return true;
}

bool IsVersionAtLeast(const std::string& Version, const std::string& Minimum) {
  const std::array<int32_t, 3> v = VersionParts(Version);
  const std::array<int32_t, 3> m = VersionParts(Minimum);
  if (v == std::array<int32_t, 3>{0, 0, 0}) return false;
  return v >= m;
}

void SetMainFormHook(std::function<void(TForm1&)> hook) { MainFormHook() = std::move(hook); }

// ---------------------------------------------------------------------------------------------

TForm1::TForm1(QWidget* owner, std::vector<std::string> args) : forms::TForm(owner), args_(std::move(args)) {
  BuildControls();
  OnCreate = [this](QObject* sender) { FormCreate(sender); };
  OnCloseQuery = [this](QObject* sender, bool& canClose) { FormCloseQuery(sender, canClose); };
  OnDestroy = [this](QObject* sender) { FormDestroy(sender); };
}

TForm1::~TForm1() = default;

void TForm1::Halt(const std::string& message) {
  uis::ShowMessage(uis::MsgKind::Error, message);
  halted_ = true;
  forms::Abort();
}

void TForm1::FormCreate(QObject*) {
  InstallFrameworkHooks();
  // Run-time module packages: this program loads none.
  SystemDrive = "/";
  ResultCode = 2;
  Wizard1->SetActivePage("page1");

  if (args_.size() > 1) Halt("不正な引数が渡されました。\r\rアプリケーションを強制終了します。");
  if (args_.size() == 1) {
    // A malformed argument is refused before anything is sent: the caller's window stays
    // unknown, so nothing is posted to a half-read caller.
    if (!ParseCallerArgument(args_[0], CallerWnd, CallerMsg, CallerParam, CallerFile)) {
      Halt("不正な引数が渡されました。\r\rアプリケーションを強制終了します。");
    }
    DisableCaller(CallerWnd);
    // The caller chose the output file: the file page goes, with its controls.
    Wizard1->DeletePage(Wizard1->PageIndexOf("page4"));
    Label4a = Label4b = nullptr;
    GroupBox4a = nullptr;
    Edit4a = nullptr;
    BitBtn4a = nullptr;
  }

  const int loaded = LoadAppInfo(folders::ProgramFile(), AppInfo);
  if (loaded == 0) {
    Halt("アプリケーションの設定ファイル(AppInfo.ini)が見つかりませんでした。\rアプリケーションを強制終了します。");
  } else if (loaded == -1) {
    Halt("アプリケーションの設定ファイル(AppInfo.ini)の値を参照できませんでした。\rアプリケーションを強制終了します。");
  } else if (loaded < -1) {
    Halt("アプリケーションの設定ファイル(AppInfo.ini)を参照できませんでした。\rアプリケーションを強制終了します。");
  }
  ApplyAppInfo(OemKind);

  Exporter = std::make_unique<TSyohizeiDataExport>(CallerFile, CallerParam);
  if (Exporter->TargetName.empty()) Halt("起動情報の初期化に失敗しました。アプリケーションを強制終了します。");
  if (!IsVersionAtLeast(Exporter->ProgramVer, Exporter->MinProgramVer)) {
    Halt("このアプリケーションはインストールされている「" + AppInfo.AppTitle + "」のバージョンに対応していません。\r" +
         "バージョン:" + Exporter->MinProgramVer + "以降をインストールしてください。\r\rアプリケーションを強制終了します。");
  }

  DocumentsDir = GetMyDocumentsDir();
  SetCaption(Exporter->Caption);
  SetPageTexts();
}

bool TForm1::InitApplication() {
  InitErrorText = std::string("アプリケーションの初期化に失敗しました。\r") + kApplicationTitle + "を終了します。";
  bool result = false;
  try {
    if (!Exporter) throw std::runtime_error("exporter missing");
    LoadStartupSettings();
    forms::Application().SetTitle(Exporter->Caption);
    SetCaption(Exporter->Caption);
    CreateDataModule();
    result = true;
  } catch (const std::exception&) {
    // The user is told below, in InitErrorText's words.
  }
  if (!result) uis::ShowMessage(uis::MsgKind::Error, InitErrorText, {}, uis::Buttons::Yes, uis::mrYes);
  return result;
}

void TForm1::LoadStartupSettings() {
  TSystemDef& s = SystemDef;
  s.ProgramTitle.clear();
  s.WinVerKind = GetOSMajorVersion();
  const forms::TWindowMetrics& metrics = forms::WindowMetrics();
  s.MenuHeight = 19;
  s.Reserved126 = 0;
  s.CaptionHeight = metrics.caption;
  s.FrameHeight = metrics.fixedFrame;
  s.ExtraHeight = s.FrameHeight >= 5 ? (s.FrameHeight - 4) * 2 : 0;
  ProgramKind = 0;

  s.Reserved112.clear();
  s.WinUserName = GetLogonUserName();
  s.PcName = GetPCName();

  s.ExeDir = WithoutTrailingSlash(folders::ProgramDir());
  s.BaseDir = std::filesystem::path(s.ExeDir).parent_path().string();
  s.PrintDir = s.BaseDir + "/print";
  s.HelpDir = s.BaseDir + "/help";
  s.SqlDir = s.BaseDir + "/sql";

  std::string appData = WithoutTrailingSlash(GetAppDataDir(true));
  if (appData.empty()) {
    InitErrorText = std::string("アプリケーションの初期化に失敗しました。\r") + kApplicationTitle +
                    "を終了します。\rデータフォルダの取得に失敗しました。";
    throw std::runtime_error(InitErrorText);
  }
  s.AppDataDir = appData + "/" + fw::HomeDir;
  s.IniDir = s.AppDataDir + "/ini";
  s.LogDir = s.AppDataDir + "/log";
  s.TempDir = s.AppDataDir + "/temp";

  s.WorkDir = GetTempDir(s.TempDir);
  s.WinSysDir = GetSystemDir();
  s.DocDir = GetMyDocumentsDir() + "/" + fw::HomeDir;
  s.ViewerDir = s.WorkDir + "/" + fw::ViewerDirName;

  // Folders keep their "/" and their case: the file system tells names apart by case.
  s.SysDir = s.AppDataDir + "/data";
  s.DataDir.clear();
  s.HostName = s.PcName;
  s.DbUser = "GKFMCB";
  s.DbPassword = "mirsol";

  const forms::TFontSpec font = Font();
  s.AppFont = {font.Name, font.Size(), false, false, font.Charset};
  s.SecondFont = s.AppFont;

  ForceDirectory(s.IniDir);
  ForceDirectory(s.LogDir);
  ForceDirectory(s.TempDir);
  ForceDirectory(s.DocDir);

  s.AppIniFile = s.AppDataDir + "/" + fw::AppName + ".ini";
  const std::string notSetUp =
      std::string("アプリケーションの初期設定がおこなわれていないため\r") + kApplicationTitle + "を終了します。";
  if (!std::filesystem::exists(s.AppIniFile) && !ShowAppIniCreate()) {
    InitErrorText = notSetUp;
    throw std::runtime_error(InitErrorText);
  }
  if (TIniFile(s.AppIniFile).ReadSectionValues("LOCAL").empty()) {
    if (!ShowAppIniCreate()) {
      InitErrorText = notSetUp;
      throw std::runtime_error(InitErrorText);
    }
  }
  const TIniFile ini(s.AppIniFile);
  s.HostName = ini.ReadString("LOCAL", "HOSTNAME", "");
  s.GoGlobal = ascii::Upper(ini.ReadString("LOCAL", "GOGLOBAL", "")) == "YES";
  s.GroupLogon = ascii::Upper(ini.ReadString("LOCAL", "GROUP", "")) == "YES";
  s.SysDir = ini.ReadString("LOCAL", "SYSDIR", "");
  s.DbUser = ascii::Upper(ini.ReadString("LOCAL", "USER", ""));
  s.DbPassword = ascii::Lower(ini.ReadString("LOCAL", "PASSWORD", ""));

  // Local mode until the logon reads the mode the user chooses.
  ConnectMode = 0;
  s.HostName.clear();
  s.GoGlobal = 0;
  s.GroupId = 10000;
}

bool TForm1::ShowAppIniCreate() {
  // The settings form writes the INI of this computer without being shown.
  auto* box = forms::CreateForm<TAppIniCreateBox>(nullptr);
  bool written = false;
  try {
    if (box->FCreatedOK) written = box->WriteAppIni(1);
  } catch (...) {
    box->Free();
    throw;
  }
  box->Free();
  return written;
}

bool TForm1::ShowLogon() {
  auto* logon = forms::CreateForm<TLogonBox>(nullptr);
  if (!logon->FCreatedOK) {
    logon->Free();
    return false;
  }
  const bool ok = logon->ShowModal() == forms::mrOk;
  logon->Free();
  return ok;
}

void TForm1::CMShowingChanged() {
  if (!isVisible() || shownOnce_) return;
  shownOnce_ = true;
  // The window is on the screen, painted, before the logon asks for the operator.
  forms::Application().ProcessMessages();
  repaint();
  SystemDef.ProgramTitle = kProgramTitle;
  LoggedOn = ShowLogon();
  if (!LoggedOn) {
    if (DM) DM->IBDatabaseDEF.Close();
    forms::Application().Terminate();
    return;
  }
  if (DM && DM->fnGetSysDef()) {
    DM->LoadGengoTable();
  } else {
    if (DM) DM->DeleteLogonInfo();
    forms::Application().Terminate();
  }
}

bool TForm1::event(QEvent* e) {
  // The window's close box (the program closes the form through Close, not by this event).
  if (e->type() == QEvent::Close) ResultCode = 1;
  return forms::TForm::event(e);
}

void TForm1::FormCloseQuery(QObject*, bool& CanClose) {
  if (CanClose) CloseDataAndLogoff();
}

void TForm1::CloseDataAndLogoff() {
  if (DM == nullptr) return;
  if (DataConnected) {
    if (!DM->IBDatabaseDAT.Connected()) DM->fnAccDatConnected(SystemDef.HostName, SystemDef.DataDir, false);
    DM->AccDatDisconnect(SystemDef.DataDir, true, false);
    DataConnected = false;
  }
  if (LoggedOn) {
    if (!DM->IBDatabaseDEF.Connected()) DM->fnAccDefConnected(SystemDef.HostName, true);
    DM->DeleteLogonInfo();
    if (ProgramKind == 0) SendBackSharedData();
    DM->IBDatabaseDEF.Close();
    LoggedOn = false;
  }
}

void TForm1::FormDestroy(QObject*) {
  // The exporter writes Soravin.ini; a file that cannot be written must not keep the caller
  // waiting for its result.
  try {
    Exporter.reset();
  } catch (const std::exception&) {
    // Reported by the exporter; the caller still gets its result below.
  }
  ClearFrameworkHooks();
  if (CallerWnd != 0) {
    ForegroundCaller(CallerWnd);
    EnableCaller(CallerWnd);
    PostToCaller(CallerWnd, CallerMsg, CallerParam, ResultCode);
  }
}

// ---------------------------------------------------------------------------------------------

int RunProgram(const std::vector<std::string>& args) {
  forms::Application().ResetTerminated();
  if (NamedLock::Exists("LOMATRA000")) {
    uis::ShowMessage(uis::MsgKind::Information, "Tallix財務が起動しています。同時に起動することは出来ません。");
    return 2;
  }
  if (NamedLock::Exists("LOMATRA_TOOLS")) {
    uis::ShowMessage(uis::MsgKind::Information, "Tallix財務ツールが起動しています。同時に起動することは出来ません。");
    return 2;
  }
  // Testing for a running copy and taking the lock are one step, so that two copies started
  // together never both run.
  NamedLock self("SORAVIN_RENDO");
  if (!self.TryTake()) {
    uis::ShowMessage(uis::MsgKind::Information, "アプリケーションは既に起動しています。");
    return 2;
  }

  forms::Application().SetTitle(kApplicationTitle);
  auto* form = forms::CreateForm<TForm1>(nullptr, args);
  forms::Application().SetMainForm(form);
  int status = 2;
  if (!form->Halted()) {
    if (form->InitApplication()) {
      forms::Application().ProcessMessages();
      forms::Screen().SetCursor(forms::crDefault);
      if (MainFormHook()) MainFormHook()(*form);
      form->Show();
      forms::Application().Run();
      status = form->ResultCode;
    } else {
      forms::Application().ProcessMessages();
      forms::Application().Terminate();
    }
  }
  forms::Application().SetMainForm(nullptr);
  form->Free();
  FreeDataModule();
  self.Release();
  return status;
}
