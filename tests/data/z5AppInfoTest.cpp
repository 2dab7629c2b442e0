#include <gtest/gtest.h>

#include <filesystem>

#include "data/z5AppInfo.h"
#include "platform/Encoding.h"
#include "support/TempDir.h"

namespace {

// An AppInfo.ini as an installation carries it (CP932, CR LF), with a few keys left out and
// a few values that are not numbers.
const char* const kAppInfo =
    "[Application]\r\n"
    "OEM=STD\r\n"
    "Since=1999-2030\r\n"
    "RegKey=\\SOFTWARE\\TESTCO\r\n"
    "VerMajorDiff=abc\r\n"
    "VerMinorDiff=2\r\n"
    "VerTest=β\r\n"
    "WebVelkoranServer=cloud.example.invalid\r\n"
    "\r\n[Company]\r\nName=株式会社テスト\r\nURL=https://test.example.invalid/\r\n"
    "\r\n[Zaimu]\r\n"
    "AppName=testzaimu\r\nAppTitle=テスト財務\r\nRegKey=TESTZAIMU\r\n"
    "HomeDir=Test\\Zaimu\r\nServerDir=\\Zaimu\\data\r\n"
    "DataDefFile=def.fdb\r\nDataBackupFile=d.fbk\r\n"
    "DataInitFile=init%.3d.gbk\r\nDataIniFile=d.ini\r\nDataListCnt=abc\r\n"
    "\r\n[EChobo]\r\nDataDir=viewer\r\n"
    "\r\n[Zuvadevo]\r\nDataDir=cash\r\nDataBackupFile=cash.fbk\r\n";

std::string ProgramIn(const TempDir& dir) { return dir.Str() + "/bin/rendo"; }

}  // namespace

TEST(AppInfo, LoadsTheFileBesideTheProgram) {
  TempDir dir;
  dir.Write("bin/AppInfo.ini", sjis::FromUtf8(kAppInfo));
  TAppInfoRec info;
  SetAppInfoDefaults(info);
  ASSERT_EQ(LoadAppInfo(ProgramIn(dir), info), 1);
  EXPECT_EQ(info.OEM, "STD");
  EXPECT_EQ(info.Since, "1999-2030");
  EXPECT_EQ(info.RegKey, "\\SOFTWARE\\TESTCO");  // a registry key keeps its "\"
  EXPECT_EQ(info.VerMajorDiff, 0);                // "abc"
  EXPECT_EQ(info.VerMinorDiff, 2);
  EXPECT_EQ(info.VerRevDiff, 0);                  // missing
  EXPECT_EQ(info.VerTest, "β");
  EXPECT_EQ(info.CompanyName, "株式会社テスト");
  EXPECT_EQ(info.AppTitle, "テスト財務");
  EXPECT_EQ(info.ZaimuRegKey, "TESTZAIMU");
  EXPECT_EQ(info.HomeDir, "Test/Zaimu");          // folders use "/"
  EXPECT_EQ(info.ServerDir, "/Zaimu/data");
  EXPECT_EQ(info.DataListCnt, 120);               // "abc"
  EXPECT_EQ(info.WebVelkoranServer, "cloud.example.invalid");
  // Missing keys read as empty, not as their defaults.
  EXPECT_EQ(info.DataFile, "");
  EXPECT_EQ(info.Ulq, "");
  EXPECT_EQ(info.DataCon, "");
  EXPECT_EQ(info.VelkoranHomeDir, "");

  bool present = false;
  std::string value;
  ReadAppInfoValue("zaimu", "appname", present, value);
  EXPECT_TRUE(present);
  EXPECT_EQ(value, "testzaimu");
  ReadAppInfoValue("Zaimu", "DataFile", present, value);
  EXPECT_FALSE(present);
  EXPECT_EQ(value, "");
}

TEST(AppInfo, ResultsForMissingEmptyAndUnreadableFiles) {
  TempDir dir;
  TAppInfoRec info;
  info.OEM = "untouched";
  EXPECT_EQ(LoadAppInfo(ProgramIn(dir), info), 0);
  EXPECT_EQ(info.OEM, "untouched");

  // An empty OEM value makes the file unusable even with every other value present.
  std::string emptyOem = kAppInfo;
  emptyOem.replace(emptyOem.find("OEM=STD"), 7, "OEM=");
  dir.Write("bin/AppInfo.ini", sjis::FromUtf8(emptyOem));
  EXPECT_EQ(LoadAppInfo(ProgramIn(dir), info), -1);
  EXPECT_EQ(info.OEM, "-");
  EXPECT_EQ(info.AppName, "qvzaimu");
  EXPECT_EQ(info.DataListCnt, 120);

  // A folder named AppInfo.ini is there but cannot be read as a file, not even by root.
  TempDir other;
  std::filesystem::create_directories(other.Path() / "bin/AppInfo.ini");
  info.OEM = "untouched";
  EXPECT_EQ(LoadAppInfo(ProgramIn(other), info), -10);
  EXPECT_EQ(info.OEM, "untouched");
}

TEST(AppInfo, ApplyFillsTheFrameworkSettings) {
  TempDir dir;
  dir.Write("bin/AppInfo.ini", sjis::FromUtf8(kAppInfo));
  TAppInfoRec info;
  ASSERT_EQ(LoadAppInfo(ProgramIn(dir), info), 1);

  ApplyAppInfo(0, info);
  EXPECT_EQ(fw::AppName, "testzaimu");
  EXPECT_EQ(fw::HomeDir, "Test/Zaimu");
  EXPECT_EQ(fw::YearRange, "1999-2030");
  EXPECT_EQ(fw::CompanyURL, "https://test.example.invalid/");
  EXPECT_EQ(fw::SysDbFile, "def.fdb");
  EXPECT_EQ(fw::AccDbFile, "");  // an empty value is taken as it is
  EXPECT_EQ(fw::ViewerDirName, "viewer");
  EXPECT_EQ(fw::CashBookBackupFile, "cash.fbk");
  EXPECT_EQ(fw::DataListCnt, 120);
  EXPECT_EQ(fw::InitDataFile11, "init011.gbk");
  EXPECT_EQ(fw::InitDataFile21, "init021.gbk");
  EXPECT_EQ(fw::InitDataFile22, "init022.gbk");
  EXPECT_EQ(fw::InitDataFile23, "init023.gbk");
  EXPECT_EQ(fw::InitDataFile31, "init031.gbk");
  EXPECT_EQ(fw::InitDataFile24, "acc24.gbk");  // never from the file
  EXPECT_EQ(fw::DefClientColor2, 0xE1F0FFu);
  EXPECT_EQ(fw::DefTotalColor, 0x8EC7FFu);
  EXPECT_EQ(fw::DefActiveColor, 0x246BFFu);

  for (int oemKind : {1, 2}) {
    ApplyAppInfo(oemKind, info);
    EXPECT_EQ(fw::DefClientColor2, 0xF2FEEEu);
    EXPECT_EQ(fw::DefTotalColor, 0xD6FFC8u);
    EXPECT_EQ(fw::DefActiveColor, 0x008000u);
  }

  // The pattern comes from a file: anything but "%d" is copied, never interpreted.
  info.DataInitFile = "%s%n%x_%d%%.gbk%";
  ApplyAppInfo(0, info);
  EXPECT_EQ(fw::InitDataFile11, "%s%n%x_11%.gbk%");
  SetAppInfoDefaults(info);
  ApplyAppInfo(0, info);
  EXPECT_EQ(fw::InitDataFile31, "acc31.gbk");
}
