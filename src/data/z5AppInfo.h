#pragma once
// The application-information record: what AppInfo.ini beside the program says about the
// product family (names and titles, registry keys, folder and file names), and the
// framework-wide settings that start-up derives from it. Filled once at start-up, read
// everywhere afterwards.
//
// Folder values (HomeDir, ServerDir, ServerTempDir) use "/" as separator; a "\" read from the
// file is turned into "/". Registry keys keep their "\".
#include <cstdint>
#include <string>

struct TAppInfoRec {
  // [Application]
  std::string OEM;               // OEM identity; empty in the file means "no usable file"
  std::string Since;             // year range shown in notices
  std::string RegKey;            // key under HKEY_LOCAL_MACHINE holding the installed products
  std::string Ulq;               // key-station product name
  std::string UlqAlias;          // its short name
  int VerMajorDiff = 0;          // version offsets
  int VerMinorDiff = 0;
  int VerRevDiff = 0;
  std::string VerTest;           // edition suffix of the product kind
  int ZuvadevoBlind = 0;         // hides the cash-book product (read, not used here)
  // [Company] the maker's identity
  std::string CompanyName;
  std::string CompanyZipCode;
  std::string CompanyAddr;
  std::string CompanyTEL;
  std::string CompanyFAX;
  std::string CompanyMail;
  std::string CompanyURL;
  // [Zaimu] the accounting product
  std::string AppName;           // file name (without ".ini") of the application INI
  std::string AppTitle;          // product title used in messages
  std::string AppTitle_CL;       // title of the client edition
  std::string ZaimuRegKey;       // [Zaimu] RegKey: registry name of the accounting product
  std::string HomeDir;           // product folder below common application data and documents
  std::string ShareDir;          // share name of the data folder on a server
  std::string ServerDir;         // data folder on a database server
  std::string ServerTempDir;     // work folder on a database server
  std::string DataDefFile;       // system database file name
  std::string DataFile;          // company database file name
  std::string DataBackupFile;    // company backup file name
  std::string DataInitFile;      // pattern of the initial-data backup names ("%d": the kind)
  std::string DataIniFile;       // per-data settings file name
  int DataListCnt = 120;         // rows of the data list
  // [EChobo] the electronic-books viewer
  std::string EChoboAppTitle;
  std::string EChoboDataDir;     // viewer folder name below the work folder
  std::string EChoboWriteDirFmt; // pattern of the viewer's output folder names
  // [Velkoran] the management-analysis product
  std::string VelkoranAppTitle;
  std::string VelkoranRegKey;
  std::string VelkoranHomeDir;
  // [Zuvadevo] the cash-book product
  std::string ZuvadevoAppTitle;
  std::string ZuvadevoRegKey;
  std::string ZuvadevoDataDir;
  std::string ZuvadevoDataBackupFile;
  // [Menu] captions
  std::string DataCon;
  std::string DataCon01;
  std::string DataCon02;
  std::string DataCon03;
  std::string DataConUlq01;
  std::string DataConUlq02;
  // [Application] host of the cloud analysis service
  std::string WebVelkoranServer;
};

// The record of this program; it holds the defaults until start-up loads AppInfo.ini.
extern TAppInfoRec AppInfo;

// Fills every field with its built-in default.
void SetAppInfoDefaults(TAppInfoRec& info);

// Reads AppInfo.ini from the folder of programPath (a program file such as
// folders::ProgramFile(), or a folder given with its trailing "/"). Returns
//    1  read;
//    0  there is no such file (info unchanged);
//   -1  the OEM value is empty (info then holds the defaults);
//  -10  the file is there but reading it failed (for example it is a folder or unreadable);
//       the fields read until then keep their new values.
// A missing key reads as an empty text (not as the default); integers that are missing or not
// numbers read as 0, DataListCnt as 120. Never throws.
int LoadAppInfo(const std::string& programPath, TAppInfoRec& info);

// One value of the AppInfo.ini that LoadAppInfo last looked at (before any call: the one
// beside the program): the text, empty when missing or unreadable; present is false when
// the text is empty. Never throws.
void ReadAppInfoValue(const std::string& section, const std::string& key, bool& present, std::string& value);

// Copies the record into the framework settings below. With oemKind 1 or 2 the three
// data-selection colours take their OEM values, otherwise their standard ones.
void ApplyAppInfo(int oemKind, const TAppInfoRec& info = AppInfo);

// Framework-wide settings, read by the other units instead of the record. Until
// ApplyAppInfo runs they hold the built-in values (the record's defaults).
namespace fw {
extern std::string CompanyName;         // [Company] Name, shown in notices
extern std::string CompanyURL;          // [Company] URL
extern std::string YearRange;           // [Application] Since
extern std::string AppName;             // application INI name
extern std::string HomeDir;             // product home folder ([Zaimu] HomeDir)
extern std::string ShareName;           // [Zaimu] ShareDir
extern std::string ServerDataDir;       // [Zaimu] ServerDir
extern std::string ServerWorkDir;       // [Zaimu] ServerTempDir
extern std::string SysDbFile;           // system database file ([Zaimu] DataDefFile)
extern std::string AccDbFile;           // company database file ([Zaimu] DataFile)
extern std::string AccBackupFile;       // company backup file ([Zaimu] DataBackupFile)
extern std::string InitDataFile11;      // initial-data backups by kind, from [Zaimu] DataInitFile
extern std::string InitDataFile21;
extern std::string InitDataFile22;
extern std::string InitDataFile23;
extern std::string InitDataFile24;      // always "acc24.gbk"
extern std::string InitDataFile31;
extern std::string DataIniFile;         // per-data settings file
extern std::string ViewerDirName;       // [EChobo] DataDir
extern std::string AnalysisHomeDir;     // [Velkoran] HomeDir
extern std::string CashBookDataDir;     // [Zuvadevo] DataDir
extern std::string CashBookBackupFile;  // [Zuvadevo] DataBackupFile
extern int DataListCnt;                 // rows of the data list
// Colours ($00BBGGRR) of the data-selection list, which are also the default ClientColor2,
// TotalColor and ActiveColor of a new operator-settings row.
extern std::uint32_t DefClientColor2;   // $E1F0FF, OEM $F2FEEE
extern std::uint32_t DefTotalColor;     // $8EC7FF, OEM $D6FFC8
extern std::uint32_t DefActiveColor;    // $246BFF, OEM $008000
}  // namespace fw
