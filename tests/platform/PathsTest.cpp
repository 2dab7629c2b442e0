#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <optional>

#include "platform/Folders.h"
#include "platform/Paths.h"
#include "platform/ini/IniFile.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

TEST(Paths, TakesPathsApart) {
  struct Case { const char* path; const char* filePath; const char* fileDir; const char* name; const char* ext; const char* drive; };
  const Case cases[] = {
      {"/a/b/File.Txt", "/a/b/", "/a/b", "File.Txt", ".Txt", ""},
      {"/File", "/", "/", "File", "", ""},
      {"name.tar.gz", "", "", "name.tar.gz", ".gz", ""},
      {"/a.b/c", "/a.b/", "/a.b", "c", "", ""},
      {"/a/b/", "/a/b/", "/a/b", "", "", ""},
      {"Z:/data/0001/qvacc.fdb", "Z:/data/0001/", "Z:/data/0001", "qvacc.fdb", ".fdb", "Z:"},
      {"z:/x", "z:/", "z:/", "x", "", "z:"},
      {"Z:name.ini", "Z:", "Z:", "name.ini", ".ini", "Z:"},
      {"//server/share/dir/f.xml", "//server/share/dir/", "//server/share/dir", "f.xml", ".xml", "//server/share"},
      {"\\\\server\\share\\f", "", "", "\\\\server\\share\\f", "", "\\\\server\\share"},
      {"//server", "//", "//", "server", "", "//server"},
      {"host:/db/qvacc.fdb", "host:/db/", "host:/db", "qvacc.fdb", ".fdb", ""},  // not a drive
      {"", "", "", "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(ExtractFilePath(c.path), c.filePath);
    EXPECT_EQ(ExtractFileDir(c.path), c.fileDir);
    EXPECT_EQ(ExtractFileName(c.path), c.name);
    EXPECT_EQ(ExtractFileExt(c.path), c.ext);
    EXPECT_EQ(ExtractFileDrive(c.path), c.drive);
  }
  EXPECT_EQ(ChangeFileExt("/a.b/c", ".wk_"), "/a.b/c.wk_");
  EXPECT_EQ(ChangeFileExt("/a/Qvacc.FBK", ".wk_"), "/a/Qvacc.wk_");
  EXPECT_EQ(ChangeFileExt("/a/x.y", ""), "/a/x");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/a"), "/a/");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/a/"), "/a/");
  EXPECT_EQ(IncludeTrailingPathDelimiter(""), "/");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/a/"), "/a");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/"), "");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("Z:/"), "Z:");
  EXPECT_EQ(BackslashToSlash("\\Zivodarorer\\data"), "/Zivodarorer/data");
}

TEST(Paths, DriveTableResolvesStoredPaths) {
  TempDir dir;
  dir.Write("config/drives.ini", "[Drives]\r\nY=/from/file\r\nX=/only/file\r\nW=relative/ignored\r\n");
  ScopedEnv config("RENDO_CONFIG_DIR", dir.Str() + "/config");
  ScopedEnv drives("RENDO_DRIVES", "Z=" + dir.Str() + "/Zdrive/; y:=/from/env ;bad;Q=");
  std::filesystem::create_directories(dir.Path() / "Zdrive");

  struct Case { const char* path; std::string real; };
  const Case cases[] = {
      {"C:/Program Files/X", "/Program Files/X"},
      {"c:", "/"},
      {"Z:/Data/0001", dir.Str() + "/Zdrive/Data/0001"},
      {"z:\\Data\\Qvacc.FDB", dir.Str() + "/Zdrive/Data/Qvacc.FDB"},  // case kept, "\" read as "/"
      {"Z:", dir.Str() + "/Zdrive/"},
      {"Y:/a", "/from/env/a"},   // the environment wins over drives.ini
      {"X:/a", "/only/file/a"},
      {"W:/a", ""},              // relative folders are not taken
      {"Q:/a", ""},              // not mapped: nothing to fall back to
      {"/plain/Path", "/plain/Path"},
      {"relative/p", "relative/p"},
  };
  for (const Case& c : cases) EXPECT_EQ(ResolvePath(c.path), c.real) << c.path;
  EXPECT_EQ(DriveFolder('c'), "/");

  // Files named by a drive letter land in the mapped folder.
  TIniFile ini("Z:/settings.ini");
  ini.WriteString("S", "k", "v");
  EXPECT_EQ(TempDir::Read(dir.Path() / "Zdrive/settings.ini"), "[S]\r\nk=v\r\n");
}

TEST(Folders, EnvironmentOverridesEveryFolder) {
  TempDir dir;
  const std::string d = dir.Str();
  ScopedEnv common("RENDO_COMMON_APPDATA", d + "/common/");
  ScopedEnv app("RENDO_APPDATA", d + "/app");
  ScopedEnv docs("RENDO_DOCUMENTS", d + "/ドキュメント");
  ScopedEnv desk("RENDO_DESKTOP", d + "/desk");
  ScopedEnv sys("RENDO_SYSTEM_DIR", d + "/sys");
  ScopedEnv cfg("RENDO_CONFIG_DIR", d + "/cfg");
  ScopedEnv prog("RENDO_PROGRAM_DIR", d + "/bin/");
  ScopedEnv engine("RENDO_FIREBIRD_DIR", d + "/fb/");
  ScopedEnv temp("TEMP", d);
  EXPECT_EQ(folders::CommonAppDataDir(), d + "/common");
  EXPECT_EQ(folders::UserAppDataDir(), d + "/app");
  EXPECT_EQ(folders::DocumentsDir(), d + "/ドキュメント");
  EXPECT_EQ(folders::DesktopDir(), d + "/desk");
  EXPECT_EQ(folders::SystemDir(), d + "/sys");
  EXPECT_EQ(folders::ConfigDir(), d + "/cfg");
  EXPECT_EQ(folders::ProgramDir(), d + "/bin");
  EXPECT_EQ(ExtractFileDir(folders::ProgramFile()), d + "/bin");
  EXPECT_EQ(folders::EngineDir(), d + "/fb");
  EXPECT_EQ(folders::TempDir(), d);
}

TEST(Folders, DefaultsFollowXdgAndHome) {
  TempDir runtime;
  ScopedEnv home("HOME", "/home/tester");
  ScopedEnv dataHome("XDG_DATA_HOME", std::nullopt);
  ScopedEnv configHome("XDG_CONFIG_HOME", "/xdg/config");
  ScopedEnv docs("XDG_DOCUMENTS_DIR", std::nullopt);
  ScopedEnv desktop("XDG_DESKTOP_DIR", std::nullopt);
  ScopedEnv temp("TEMP", "/no/such/folder");
  ScopedEnv tmpdir("TMPDIR", std::nullopt);
  ScopedEnv empty("RENDO_DOCUMENTS", "");  // set but empty counts as not set
  std::deque<ScopedEnv> unset;
  for (const char* v : {"RENDO_COMMON_APPDATA", "RENDO_APPDATA", "RENDO_DESKTOP", "RENDO_SYSTEM_DIR",
                        "RENDO_CONFIG_DIR", "RENDO_PROGRAM_DIR", "RENDO_FIREBIRD_DIR"})
    unset.emplace_back(v, std::nullopt);
  ScopedEnv runtimeDir("RENDO_RUNTIME_DIR", runtime.Str());
  EXPECT_EQ(folders::CommonAppDataDir(), "/var/lib/rendo");
  EXPECT_EQ(folders::UserAppDataDir(), "/home/tester/.local/share");
  EXPECT_EQ(folders::DocumentsDir(), "/home/tester/Documents");
  EXPECT_EQ(folders::DesktopDir(), "/home/tester/Desktop");
  EXPECT_EQ(folders::ConfigDir(), "/xdg/config/rendo");
  EXPECT_EQ(folders::SystemDir(), "/usr");
  EXPECT_EQ(folders::TempDir(), "/tmp");  // TEMP names no folder
  EXPECT_EQ(folders::ProgramDir(), std::filesystem::read_symlink("/proc/self/exe").parent_path().string());
  EXPECT_EQ(folders::EngineDir(), runtime.Str() + "/firebird");  // in the per-user runtime folder
}
