#include "data/z5AppInfo.h"

#include "platform/Folders.h"
#include "platform/Paths.h"
#include "platform/ini/IniFile.h"

#include <sys/stat.h>

#include <cstdio>
#include <exception>

namespace {

constexpr const char* kAppInfoFile = "AppInfo.ini";
constexpr const char* kDefaultSince = "2000-2025";
constexpr const char* kDefaultCompanyName = "株式会社クオリン";
constexpr const char* kDefaultCompanyURL = "https://www.example.invalid/";
constexpr const char* kDefaultAppName = "qvzaimu";
constexpr const char* kDefaultHomeDir = "Quorin/Zivodarorer";
constexpr const char* kDefaultShareDir = "Zivodarorer";
constexpr const char* kDefaultServerDir = "/Zivodarorer/data";
constexpr const char* kDefaultServerTempDir = "/Zivodarorer/temp";
constexpr const char* kDefaultDataDefFile = "qvaccdef.fdb";
constexpr const char* kDefaultDataFile = "qvacc.fdb";
constexpr const char* kDefaultDataBackupFile = "qvacc.fbk";
constexpr const char* kDefaultDataIniFile = "qvacc.ini";
constexpr const char* kDefaultEChoboDataDir = "qvzview";
constexpr const char* kDefaultZuvadevoDataDir = "cb_data";
constexpr const char* kDefaultZuvadevoBackupFile = "qvcashbook.fbk";
constexpr int kDefaultDataListCnt = 120;

constexpr std::uint32_t kClientColor2 = 0xE1F0FF, kOemClientColor2 = 0xF2FEEE;
constexpr std::uint32_t kTotalColor = 0x8EC7FF, kOemTotalColor = 0xD6FFC8;
constexpr std::uint32_t kActiveColor = 0x246BFF, kOemActiveColor = 0x008000;

// The AppInfo.ini that LoadAppInfo last looked at; empty until then.
std::string lastAppInfoFile;

std::string AppInfoFileOf(const std::string& programPath) { return ExtractFilePath(programPath) + kAppInfoFile; }

bool PathExists(const std::string& file) {
  std::string path = ResolvePath(file);
  struct stat st;
  return !path.empty() && stat(path.c_str(), &st) == 0;
}

// The pattern comes from a file, so it is never handed to printf as a format: only "%d"
// (with optional flags, width and precision, as in "%.2d") takes the number, "%%" gives "%",
// anything else is copied as written.
std::string FormatKind(const std::string& pattern, int kind) {
  std::string out;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%') {
      out += pattern[i];
      continue;
    }
    if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
      out += '%';
      ++i;
      continue;
    }
    std::size_t j = i + 1;
    while (j < pattern.size() && (pattern[j] == '-' || pattern[j] == '0')) ++j;
    while (j < pattern.size() && pattern[j] >= '0' && pattern[j] <= '9') ++j;
    if (j < pattern.size() && pattern[j] == '.') {
      ++j;
      while (j < pattern.size() && pattern[j] >= '0' && pattern[j] <= '9') ++j;
    }
    if (j < pattern.size() && pattern[j] == 'd' && j - i <= 8) {
      std::string conversion = pattern.substr(i, j - i + 1);  // only flags, digits and '.': safe
      char buf[64];
      std::snprintf(buf, sizeof buf, conversion.c_str(), kind);
      out += buf;
      i = j;
    } else {
      out += '%';
    }
  }
  return out;
}

}  // namespace

namespace fw {
std::string CompanyName = kDefaultCompanyName;
std::string CompanyURL = kDefaultCompanyURL;
std::string YearRange = kDefaultSince;
std::string AppName = kDefaultAppName;
std::string HomeDir = kDefaultHomeDir;
std::string ShareName = kDefaultShareDir;
std::string ServerDataDir = kDefaultServerDir;
std::string ServerWorkDir = kDefaultServerTempDir;
std::string SysDbFile = kDefaultDataDefFile;
std::string AccDbFile = kDefaultDataFile;
std::string AccBackupFile = kDefaultDataBackupFile;
std::string InitDataFile11 = "acc11.gbk";
std::string InitDataFile21 = "acc21.gbk";
std::string InitDataFile22 = "acc22.gbk";
std::string InitDataFile23 = "acc23.gbk";
std::string InitDataFile24 = "acc24.gbk";
std::string InitDataFile31 = "acc31.gbk";
std::string DataIniFile = kDefaultDataIniFile;
std::string ViewerDirName = kDefaultEChoboDataDir;
std::string AnalysisHomeDir = kDefaultHomeDir;
std::string CashBookDataDir = kDefaultZuvadevoDataDir;
std::string CashBookBackupFile = kDefaultZuvadevoBackupFile;
int DataListCnt = kDefaultDataListCnt;
std::uint32_t DefClientColor2 = kClientColor2;
std::uint32_t DefTotalColor = kTotalColor;
std::uint32_t DefActiveColor = kActiveColor;
}  // namespace fw

// Holds the defaults until start-up loads the file, so that code run before (or without) it
// sees usable names.
TAppInfoRec AppInfo = [] {
  TAppInfoRec r;
  SetAppInfoDefaults(r);
  return r;
}();

void SetAppInfoDefaults(TAppInfoRec& info) {
  info.OEM = "-";
  info.Since = kDefaultSince;
  info.RegKey = "\\SOFTWARE\\QUORIN";
  info.Ulq = "Ｕｌｑキーステーション";
  info.UlqAlias = "Ｕｌｑ";
  info.VerMajorDiff = 0;
  info.VerMinorDiff = 0;
  info.VerRevDiff = 0;
  info.VerTest = "";
  info.ZuvadevoBlind = 0;
  info.CompanyName = kDefaultCompanyName;
  info.CompanyZipCode = "000-0000";
  info.CompanyAddr = "東京都";
  info.CompanyTEL = "00-0000-0000";
  info.CompanyFAX = "00-0000-0000";
  info.CompanyMail = "support@example.invalid";
  info.CompanyURL = kDefaultCompanyURL;
  info.AppName = kDefaultAppName;
  info.AppTitle = "Tallix財務";
  info.AppTitle_CL = "顧問先版";
  info.ZaimuRegKey = "ZIVODARORER";
  info.HomeDir = kDefaultHomeDir;
  info.ShareDir = kDefaultShareDir;
  info.ServerDir = kDefaultServerDir;
  info.ServerTempDir = kDefaultServerTempDir;
  info.DataDefFile = kDefaultDataDefFile;
  info.DataFile = kDefaultDataFile;
  info.DataBackupFile = kDefaultDataBackupFile;
  info.DataInitFile = "acc%d.gbk";
  info.DataIniFile = kDefaultDataIniFile;
  info.DataListCnt = kDefaultDataListCnt;
  info.EChoboAppTitle = "電子帳簿";
  info.EChoboDataDir = kDefaultEChoboDataDir;
  info.EChoboWriteDirFmt = "qvz%.2dcd";
  info.VelkoranAppTitle = "経営Velkoran";
  info.VelkoranRegKey = "VELKORAN";
  info.VelkoranHomeDir = kDefaultHomeDir;
  info.ZuvadevoAppTitle = "Tallix現金出納帳";
  info.ZuvadevoRegKey = "ZUVADEVO";
  info.ZuvadevoDataDir = kDefaultZuvadevoDataDir;
  info.ZuvadevoDataBackupFile = kDefaultZuvadevoBackupFile;
  info.DataCon = "データ通信";
  info.DataCon01 = "データ送信";
  info.DataCon02 = "データ受信";
  info.DataCon03 = "通信設定";
  info.DataConUlq01 = "Ｕｌｑ保存";
  info.DataConUlq02 = "Ｕｌｑ復元";
  info.WebVelkoranServer = "analysis.example.invalid";
}

int LoadAppInfo(const std::string& programPath, TAppInfoRec& info) {
  try {
    std::string file = AppInfoFileOf(programPath);
    lastAppInfoFile = file;
    if (!PathExists(file)) return 0;

    TIniFile ini(file);
    auto text = [&](const char* section, const char* key) { return ini.ReadString(section, key, ""); };
    auto folder = [&](const char* section, const char* key) { return BackslashToSlash(text(section, key)); };
    auto number = [&](const char* section, const char* key, int def) { return ini.ReadInteger(section, key, def); };

    info.OEM = text("Application", "OEM");
    if (info.OEM.empty()) {
      SetAppInfoDefaults(info);
      return -1;
    }
    info.Since = text("Application", "Since");
    info.RegKey = text("Application", "RegKey");
    info.Ulq = text("Application", "Ulq");
    info.UlqAlias = text("Application", "UlqAlias");
    info.VerMajorDiff = number("Application", "VerMajorDiff", 0);
    info.VerMinorDiff = number("Application", "VerMinorDiff", 0);
    info.VerRevDiff = number("Application", "VerRevDiff", 0);
    info.VerTest = text("Application", "VerTest");
    info.ZuvadevoBlind = number("Application", "ZuvadevoBlind", 0);
    info.WebVelkoranServer = text("Application", "WebVelkoranServer");

    info.CompanyName = text("Company", "Name");
    info.CompanyZipCode = text("Company", "ZipCode");
    info.CompanyAddr = text("Company", "Addr");
    info.CompanyTEL = text("Company", "TEL");
    info.CompanyFAX = text("Company", "FAX");
    info.CompanyMail = text("Company", "Mail");
    info.CompanyURL = text("Company", "URL");

    info.AppName = text("Zaimu", "AppName");
    info.AppTitle = text("Zaimu", "AppTitle");
    info.AppTitle_CL = text("Zaimu", "AppTitle_CL");
    info.ZaimuRegKey = text("Zaimu", "RegKey");
    info.HomeDir = folder("Zaimu", "HomeDir");
    info.ShareDir = text("Zaimu", "ShareDir");
    info.ServerDir = folder("Zaimu", "ServerDir");
    info.ServerTempDir = folder("Zaimu", "ServerTempDir");
    info.DataDefFile = text("Zaimu", "DataDefFile");
    info.DataFile = text("Zaimu", "DataFile");
    info.DataBackupFile = text("Zaimu", "DataBackupFile");
    info.DataInitFile = text("Zaimu", "DataInitFile");
    info.DataIniFile = text("Zaimu", "DataIniFile");
    info.DataListCnt = number("Zaimu", "DataListCnt", kDefaultDataListCnt);

    info.EChoboAppTitle = text("EChobo", "AppTitle");
    info.EChoboDataDir = text("EChobo", "DataDir");
    info.EChoboWriteDirFmt = text("EChobo", "WriteDirFmt");

    info.VelkoranAppTitle = text("Velkoran", "AppTitle");
    info.VelkoranRegKey = text("Velkoran", "RegKey");
    info.VelkoranHomeDir = folder("Velkoran", "HomeDir");

    info.ZuvadevoAppTitle = text("Zuvadevo", "AppTitle");
    info.ZuvadevoRegKey = text("Zuvadevo", "RegKey");
    info.ZuvadevoDataDir = text("Zuvadevo", "DataDir");
    info.ZuvadevoDataBackupFile = text("Zuvadevo", "DataBackupFile");

    info.DataCon = text("Menu", "DataCon");
    info.DataCon01 = text("Menu", "DataCon01");
    info.DataCon02 = text("Menu", "DataCon02");
    info.DataCon03 = text("Menu", "DataCon03");
    info.DataConUlq01 = text("Menu", "DataConUlq01");
    info.DataConUlq02 = text("Menu", "DataConUlq02");
    return 1;
  } catch (const std::exception&) {
    return -10;
  } catch (...) {
    return -10;
  }
}

void ReadAppInfoValue(const std::string& section, const std::string& key, bool& present, std::string& value) {
  value.clear();
  try {
    std::string file = lastAppInfoFile.empty() ? AppInfoFileOf(folders::ProgramFile()) : lastAppInfoFile;
    value = TIniFile(file).ReadString(section, key, "");
  } catch (const std::exception&) {
    value.clear();
  }
  present = !value.empty();
}

void ApplyAppInfo(int oemKind, const TAppInfoRec& info) {
  fw::CompanyName = info.CompanyName;
  fw::CompanyURL = info.CompanyURL;
  fw::YearRange = info.Since;
  fw::AppName = info.AppName;
  fw::HomeDir = info.HomeDir;
  fw::ShareName = info.ShareDir;
  fw::ServerDataDir = info.ServerDir;
  fw::ServerWorkDir = info.ServerTempDir;
  fw::SysDbFile = info.DataDefFile;
  fw::AccDbFile = info.DataFile;
  fw::AccBackupFile = info.DataBackupFile;
  fw::InitDataFile11 = FormatKind(info.DataInitFile, 11);
  fw::InitDataFile21 = FormatKind(info.DataInitFile, 21);
  fw::InitDataFile22 = FormatKind(info.DataInitFile, 22);
  fw::InitDataFile23 = FormatKind(info.DataInitFile, 23);
  fw::InitDataFile31 = FormatKind(info.DataInitFile, 31);
  fw::DataIniFile = info.DataIniFile;
  fw::ViewerDirName = info.EChoboDataDir;
  fw::AnalysisHomeDir = info.VelkoranHomeDir;
  fw::CashBookDataDir = info.ZuvadevoDataDir;
  fw::CashBookBackupFile = info.ZuvadevoDataBackupFile;
  fw::DataListCnt = info.DataListCnt;
  const bool oem = oemKind == 1 || oemKind == 2;
  fw::DefClientColor2 = oem ? kOemClientColor2 : kClientColor2;
  fw::DefTotalColor = oem ? kOemTotalColor : kTotalColor;
  fw::DefActiveColor = oem ? kOemActiveColor : kActiveColor;
}
