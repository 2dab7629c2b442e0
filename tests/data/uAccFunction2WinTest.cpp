#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "data/uAccFunction2Win.h"
#include "platform/Encoding.h"
#include "platform/TaskQueue.h"
#include "platform/ini/IniFile.h"
#include "support/ReplaceWatch.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

const char kMarker[] = "## LomatraZone";

// Bytes of a backup body: binary, with zero bytes, never the marker by chance.
std::string Body(std::size_t size) {
  std::string s(size, '\0');
  for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 7) % 251);
  return s;
}

std::string Trailer() { return std::string(kMarker) + "\r\nSHOUGOU=株式会社テスト\r\nSIWAKE=120\r\n"; }

std::string FilesIn(const fs::path& folder) {
  std::string names;
  for (const auto& e : fs::directory_iterator(folder)) names += e.path().filename().string() + ";";
  return names;
}

// ---------------------------------------------------------------------------------------------

TEST(TBufFileStream, ReadsAcrossRefillsAndSeeks) {
  TempDir dir;
  const std::string body = Body(5000);
  const std::string file = dir.Write("f.bin", body);
  TBufFileStream s(file, TBufFileStream::fmOpenRead, 1);  // 1 KB buffer: every read refills

  std::string got(700, 'x');
  ASSERT_EQ(s.Read(got.data(), 700), 700);
  EXPECT_EQ(got, body.substr(0, 700));
  ASSERT_EQ(s.Read(got.data(), 700), 700);  // 324 bytes left in the buffer, the rest refilled
  EXPECT_EQ(got, body.substr(700, 700));
  EXPECT_EQ(s.Position(), 1400);

  EXPECT_EQ(s.Seek(-400, TBufFileStream::soFromCurrent), 1000);
  ASSERT_EQ(s.Read(got.data(), 10), 10);
  EXPECT_EQ(got.substr(0, 10), body.substr(1000, 10));

  EXPECT_EQ(s.Seek(-6, TBufFileStream::soFromEnd), 4994);
  EXPECT_EQ(s.Read(got.data(), 700), 6);  // short only at the end
  EXPECT_EQ(got.substr(0, 6), body.substr(4994));
  EXPECT_EQ(s.Read(got.data(), 700), 0);

  std::string big(1025, '\0');
  try {
    s.Read(big.data(), 1025);
    FAIL() << "a read above the buffer size must raise";
  } catch (const EStreamError& e) {
    EXPECT_STREQ(e.what(), "バッファの大きさを越えています。");
  }
  EXPECT_THROW(TBufFileStream(dir.Str() + "/missing", TBufFileStream::fmOpenRead, 16), EStreamError);
}

TEST(FindMarker, AcceptsOnlyTheTrailerAtTheEndOfTheFile) {
  TempDir dir;
  struct Case {
    const char* name;
    std::string bytes;
    std::int64_t offset;
  };
  const std::string trailer = Trailer();
  const std::string onDisk = sjis::FromUtf8(trailer);  // the trailer's text is CP932 in the file
  const Case cases[] = {
      // the marker straddles the first 512-byte block boundary
      {"straddling", Body(505) + onDisk, 505},
      {"straddling a later boundary", Body(2040) + onDisk, 2040},
      // a marker in the user data earlier in the file is data, not the trailer
      {"earlier marker in data", Body(3000) + kMarker + Body(3000) + onDisk, 6000 + 14},
      {"only an earlier marker", Body(3000) + kMarker + Body(3000), -1},
      // in the last 512 bytes but followed by binary data: not a trailer
      {"marker before binary", Body(1000) + kMarker + "\r\n" + Body(100), -1},
      // the whole trailer must lie in the last 512 bytes
      {"trailer too long", Body(1000) + kMarker + std::string(600, 'a'), -1},
      {"file starts with marker", onDisk, -1},
      {"no marker", Body(2000), -1},
      {"empty file", "", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = dir.Write("backup.fbk", c.bytes);
    std::string tail = "stale";
    EXPECT_EQ(FindMarker(file, kMarker, tail), c.offset);
    EXPECT_EQ(tail, c.offset < 0 ? "" : trailer);
    EXPECT_FALSE(CutFileAtMarker(file, kMarker, tail, c.offset < 0));
    EXPECT_EQ(TempDir::Read(file), c.bytes) << "an uncut file is left as it was";
  }
  std::string tail;
  EXPECT_EQ(FindMarker(dir.Str() + "/missing.fbk", kMarker, tail), -1);
}

TEST(CutFileAtMarker, LeavesExactlyTheBytesBeforeTheTrailer) {
  TempDir dir;
  for (std::size_t size : {1u, 511u, 512u, 513u, 20000u}) {
    SCOPED_TRACE(size);
    const std::string body = Body(size);
    const std::string file = dir.Write("qvacc.fbk", body);
    chmod(file.c_str(), 0640);
    AppendTextToFile(file, Trailer());
    ASSERT_EQ(fs::file_size(file), size + sjis::FromUtf8(Trailer()).size());

    std::string tail;
    ASSERT_TRUE(CutFileAtMarker(file, kMarker, tail, true));
    EXPECT_EQ(tail, Trailer());
    EXPECT_EQ(fs::file_size(file), size);
    EXPECT_EQ(TempDir::Read(file), body);
    struct stat st;
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "the cut file keeps its permissions";
    EXPECT_EQ(FilesIn(dir.Path()), "qvacc.fbk;") << "no work file is left behind";
  }
  EXPECT_THROW(AppendTextToFile(dir.Str() + "/missing.fbk", Trailer()), EStreamError);
}

TEST(CutFileAtMarker, HandlesTrailersBeyondTwoGigabytes) {
  TempDir dir;
  const std::string file = dir.Write("large.fbk", "HEAD");
  const std::int64_t size = (3LL << 30) + 17;  // sparse: costs no disk space
  ASSERT_EQ(truncate(file.c_str(), size), 0);
  AppendTextToFile(file, Trailer());

  std::string tail;
  EXPECT_EQ(FindMarker(file, kMarker, tail), size);
  ASSERT_TRUE(CutFileAtMarker(file, kMarker, tail, true));
  EXPECT_EQ(tail, Trailer());
  EXPECT_EQ(static_cast<std::int64_t>(fs::file_size(file)), size);
  TBufFileStream s(file, TBufFileStream::fmOpenRead, 1);
  char head[4];
  ASSERT_EQ(s.Read(head, 4), 4);
  EXPECT_EQ(std::string(head, 4), "HEAD");
  s.Seek(-4, TBufFileStream::soFromEnd);
  ASSERT_EQ(s.Read(head, 4), 4);
  EXPECT_EQ(std::string(head, 4), std::string(4, '\0'));
}

// ---------------------------------------------------------------------------------------------
// The save rule for the root of the system drive

class SaveRule : public ::testing::Test {
 protected:
  void SetUpUac(bool on) {
    registry_.emplace("RENDO_REGISTRY", dir_.Write("registry.ini",
                                                   std::string("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\"
                                                               "CurrentVersion\\Policies\\System]\r\nEnableLUA=dword:") +
                                                       (on ? "00000001" : "00000000") + "\r\n"));
  }
  std::string Docs() const { return dir_.Str() + "/docs"; }

  TempDir dir_;
  ScopedEnv docs_{"RENDO_DOCUMENTS", dir_.Str() + "/docs"};
  ScopedEnv noRegistry_{"RENDO_REGISTRY", dir_.Str() + "/none.ini"};
  std::optional<ScopedEnv> registry_;
  ScriptedUi ui_;
  ScopedUi use_{ui_};
};

const char kRootQuestion[] =
    "この場所に保存するアクセス許可がありません。\n管理者に連絡してアクセス許可を取得してください。\n\n代わりに［ドキュメント］フォルダに保存しますか？\n";

TEST_F(SaveRule, RootRefusedUntilYesGivesTheDocumentsFolder) {
  SetUpUac(true);
  ui_.folderAnswers = {"/", "//", "C:/"};
  ui_.messageAnswers = {uis::mrNo, uis::mrNo, uis::mrYes};
  std::string folder = "/srv/start";
  ASSERT_TRUE(SelectFolderDlg("", folder, 0));
  EXPECT_EQ(folder, Docs());
  ASSERT_EQ(ui_.folderDialogs.size(), 3u);
  for (const auto& d : ui_.folderDialogs) {
    EXPECT_EQ(d.folder, "/srv/start") << "every opening starts at the caller's folder";
    EXPECT_EQ(d.caption, "フォルダを選択して下さい");
  }
  ASSERT_EQ(ui_.messages.size(), 3u);
  EXPECT_EQ(ui_.MessageText(0), kRootQuestion);
  EXPECT_EQ(ui_.messages[0].kind, uis::MsgKind::Warning);
  EXPECT_EQ(ui_.messages[0].buttons, uis::Buttons::YesNo);
}

TEST_F(SaveRule, FolderChooserCases) {
  struct Case {
    const char* name;
    bool uac;
    int skipUac;
    std::optional<std::string> answer;
    bool result;
    std::string folder;
    std::size_t messages;
  };
  const std::string longPath = "/" + std::string(255, 'a');
  const Case cases[] = {
      {"below the root", true, 0, "/srv", true, "/srv", 0},
      {"root without the switch", false, 0, "/", true, "/", 0},
      {"root with the rule skipped", true, 1, "/", true, "/", 0},
      {"cancel", true, 0, std::nullopt, false, "/start", 0},
      {"256 bytes", false, 0, longPath, false, longPath, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUpUac(c.uac);
    ui_.messages.clear();
    ui_.folderAnswers = {c.answer};
    std::string folder = "/start";
    EXPECT_EQ(SelectFolderDlg("保存先", folder, c.skipUac), c.result);
    EXPECT_EQ(folder, c.folder);
    ASSERT_EQ(ui_.messages.size(), c.messages);
    if (c.messages) {
      EXPECT_EQ(ui_.MessageText(0), "選択した場所(パス)の文字長が処理できる範囲を超えました。\n別の場所を選択して下さい。\n");
      EXPECT_EQ(ui_.messages[0].kind, uis::MsgKind::Error);
    }
  }
  EXPECT_EQ(ui_.folderDialogs.back().caption, "保存先");
}

TEST_F(SaveRule, FileDialogAndSavePaths) {
  SetUpUac(true);
  uis::FileDialogRequest dialog;
  dialog.save = true;
  ui_.fileAnswers = {"/out.csv", "/out.csv"};
  ui_.messageAnswers = {uis::mrNo, uis::mrYes};
  std::string name;
  ASSERT_TRUE(CheckSaveFileName(dialog, name));
  EXPECT_EQ(name, Docs() + "/out.csv");
  EXPECT_EQ(ui_.fileDialogs.size(), 2u);

  ui_.fileAnswers = {"/srv/out.csv"};
  ASSERT_TRUE(CheckSaveFileName(dialog, name));
  EXPECT_EQ(name, "/srv/out.csv");
  EXPECT_FALSE(CheckSaveFileName(dialog, name));  // cancelled

  ui_.messages.clear();
  ui_.messageAnswers = {uis::mrYes, uis::mrNo, uis::mrYes};
  std::string folder = "/";
  EXPECT_TRUE(CheckSaveFolder(folder));
  EXPECT_EQ(folder, Docs());
  folder = "/";
  EXPECT_FALSE(CheckSaveFolder(folder));
  EXPECT_EQ(folder, "/");
  std::string path = "/x.xml";
  EXPECT_TRUE(CheckSaveFilePath(path));
  EXPECT_EQ(path, Docs() + "/x.xml");
  EXPECT_EQ(ui_.messages.size(), 3u);

  folder = "/srv/data";
  EXPECT_TRUE(CheckSaveFolder(folder));
  EXPECT_EQ(folder, "/srv/data/");
  path = "x.xml";  // no folder part: stays as it is
  EXPECT_TRUE(CheckSaveFilePath(path));
  EXPECT_EQ(path, "x.xml");
  EXPECT_EQ(ui_.messages.size(), 3u);
}

TEST(SelectComputerDlg, AsksForTheName) {
  ScriptedUi ui;
  ScopedUi use(ui);
  ui.inputAnswers = {ScriptedUi::Ok("SERVER01"), ScriptedUi::Cancel()};
  std::string computer = "OLD";
  ASSERT_TRUE(SelectComputerDlg("", computer));
  EXPECT_EQ(computer, "SERVER01");
  EXPECT_EQ(ui.inputs[0].caption, "コンピュータを選択して下さい");
  EXPECT_EQ(ui.inputs[0].value, "OLD");
  EXPECT_FALSE(SelectComputerDlg("", computer));
  EXPECT_EQ(computer, "SERVER01");
}

// ---------------------------------------------------------------------------------------------
// Folders

TEST(Folders, TempAndSpecialFolders) {
  TempDir dir;
  fs::create_directories(dir.Path() / "t");
  {
    ScopedEnv temp("TEMP", dir.Str() + "/t/");
    EXPECT_EQ(GetTempDir("/fallback"), dir.Str() + "/t");
  }
  {
    ScopedEnv temp("TEMP", dir.Str() + "/missing");
    ScopedEnv tmpdir("TMPDIR", std::nullopt);
    EXPECT_EQ(GetTempDir("/fallback"), "/fallback");
  }
  ScopedEnv desk("RENDO_DESKTOP", dir.Str() + "/desk");
  ScopedEnv docs("RENDO_DOCUMENTS", dir.Str() + "/docs");
  ScopedEnv prog("RENDO_PROGRAM_DIR", dir.Str() + "/prog");
  EXPECT_EQ(GetSpecialDir("DeskTop"), dir.Str() + "/desk");
  EXPECT_EQ(GetSpecialDir("mydocument"), dir.Str() + "/docs");
  EXPECT_EQ(GetSpecialDir("fonts"), dir.Str() + "/prog");
}

TEST(Folders, ShortPathAndForceDirectory) {
  TempDir dir;
  const std::string file = dir.Write("ファイル.txt", "x");
  EXPECT_EQ(GetShortPath(file), file);
  try {
    GetShortPath(dir.Str() + "/none.txt");
    FAIL() << "a missing path has no short form";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "ファイルが見つかりません。");
  }

  EXPECT_TRUE(ForceDirectory(dir.Str() + "/a/b/c/"));
  EXPECT_TRUE(fs::is_directory(dir.Path() / "a/b/c"));
  EXPECT_TRUE(ForceDirectory(dir.Str() + "/a"));
  EXPECT_FALSE(ForceDirectory(file + "/sub")) << "a file is in the way";
  EXPECT_FALSE(ForceDirectory(""));
  EXPECT_FALSE(ForceDirectory("Q:"));  // a bare drive, not mapped
  ScopedEnv drives("RENDO_DRIVES", "Z=" + dir.Str() + "/z");
  EXPECT_TRUE(ForceDirectory("Z:/data/0001"));
  EXPECT_TRUE(fs::is_directory(dir.Path() / "z/data/0001"));
}

TEST(Folders, ListsSubFoldersAndFileSizes) {
  TempDir dir;
  dir.Write("only-files/a.txt", "a");
  EXPECT_TRUE(GetFileList(dir.Str() + "/only-files", 0).empty());
  EXPECT_TRUE(GetFileList(dir.Str() + "/missing", 0).empty());
  EXPECT_TRUE(GetFileList("  ", 0).empty());

  dir.Write("data/0002/qvacc.fdb", "12345");
  dir.Write("data/0001/qvacc.fdb", "");
  dir.Write("data/readme.txt", "abc");
  fs::create_directories(dir.Path() / "data/.hidden");
  const std::string data = dir.Str() + "/data";
  EXPECT_EQ(GetFileList(data, 1), (std::vector<std::string>{".hidden", "0001", "0002"}));
  EXPECT_EQ(GetFileList(data, 0), (std::vector<std::string>{data + "/.hidden", data + "/0001", data + "/0002"}));

  EXPECT_EQ(FileExistsFF(data + "/0002/qvacc.fdb"), 5);
  EXPECT_EQ(FileExistsFF(data + "/0002/qvacc.*"), 5);
  EXPECT_EQ(FileExistsFF(data + "/*.txt"), 3);
  EXPECT_EQ(FileExistsFF(data + "/0001/qvacc.fdb"), 0);  // empty
  EXPECT_EQ(FileExistsFF(data + "/none.fdb"), 0);
  EXPECT_EQ(FileExistsFF(data + "/none/*.fdb"), 0);
}

TEST(GetUNCPath, ServerFormFromTheMountTable) {
  TempDir dir;
  const std::string m = dir.Str() + "/mnt";
  for (const char* sub : {"nas/0001", "home/kei", "my drive/x", "local/data"}) fs::create_directories(fs::path(m) / sub);
  const std::string table = "proc /proc proc rw 0 0\n"
                            "/dev/vda " + dir.Str() + " ext4 rw 0 0\n"
                            "//nas/share " + m + "/nas cifs rw 0 0\n"
                            "fs1:/export " + m + "/home nfs4 rw 0 0\n"
                            "kei@host.local:/srv " + m + "/my\\040drive fuse.sshfs rw 0 0\n"
                            "/dev/sdb1 " + m + "/local ext4 rw 0 0\n";
  ScopedEnv mounts("RENDO_MOUNTS", dir.Write("mounts", table));
  ScopedEnv drives("RENDO_DRIVES", "N=" + m + "/nas");

  struct Case {
    std::string path;
    std::string unc;
  };
  const Case cases[] = {
      {m + "/nas/0001", "//nas/share/0001"},
      {m + "/nas", "//nas/share"},
      {"N:/0001/qvacc.fdb", "//nas/share/0001/qvacc.fdb"},
      {m + "/home/kei/", "//fs1/export/kei"},
      {m + "/my drive/x", "//host.local/srv/x"},
      {m + "/local/data", m + "/local/data"},
      {m + "/nas/../local/data", m + "/nas/../local/data"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(GetUNCPath(c.path), c.unc) << c.path;
}

// ---------------------------------------------------------------------------------------------
// Registry and INI

TEST(Registry, ReadsStringsAndIntegers) {
  TempDir dir;
  ScopedEnv reg("RENDO_REGISTRY", dir.Write("registry.ini", sjis::FromUtf8("[HKEY_LOCAL_MACHINE\\SOFTWARE\\QUORIN\\ZIVODARORER]\r\n"
                                                                          "Product=財務\r\nFlags=dword:0000002a\r\n")));
  const std::string key = "\\SOFTWARE\\QUORIN\\ZIVODARORER";
  EXPECT_EQ(ReadRegValue(HKEY_LOCAL_MACHINE, key, "Product"), RegValue(std::string("財務")));
  EXPECT_EQ(ReadRegValue(HKEY_LOCAL_MACHINE, key, "Flags"), RegValue(std::int32_t{42}));
  EXPECT_EQ(ReadRegValue(HKEY_LOCAL_MACHINE, key, "Missing"), RegValue(std::int32_t{0}));
  EXPECT_EQ(ReadRegValue(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Other", "Product"), RegValue(std::int32_t{0}));
  EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, key, "Product"), RegValue(std::int32_t{0}));
}

TEST(IniHelpers, WriteDeleteReadAndReplaceSections) {
  TempDir dir;
  const std::string ini = dir.Str() + "/app.ini";
  IniWriteOrDelete(ini, "LOCAL", "SYSDIR", false, std::string("/srv/sys"));
  IniWriteOrDelete(ini, "LOCAL", "CONNECT", false, std::int64_t{2});
  IniWriteOrDelete(ini, "LOCAL", "GONE", false, std::string("x"));
  IniWriteOrDelete(ini, "LOCAL", "GONE", true, std::string());

  std::string text = "unchanged";
  ReadIniSection(ini, "", text);
  EXPECT_EQ(text, "unchanged");
  ReadIniSection(ini, "local", text);
  EXPECT_EQ(text, "SYSDIR=/srv/sys\r\nCONNECT=2\r\n");

  ReplaceRecorder replaced;
  ReadIniSectionList(ini, "LOCAL", {"A=1", "no name", "=x", "B=二", "a=3"});
  EXPECT_EQ(replaced.Replaced().size(), 1u) << "the section is replaced in one write";
  ReadIniSection(ini, "LOCAL", text);
  EXPECT_EQ(text, "A=1\r\nB=二\r\n");
  EXPECT_EQ(TIniFile(ini).ReadString("LOCAL", "SYSDIR", "gone"), "gone");
}

// ---------------------------------------------------------------------------------------------
// Window services

TEST(WindowServices, GoThroughTheInstalledHooks) {
  std::vector<std::string> calls;
  SetWindowHooks({[&](WindowHandle w) { calls.push_back("front " + std::to_string(w)); },
                  [&](WindowHandle w) { calls.push_back("flush " + std::to_string(w)); },
                  [&](const std::string& c, const std::string& t) {
                    calls.push_back("find " + c + "/" + t);
                    return WindowHandle{77};
                  }});
  ForceForegroundWindow(5);
  FlushInputMessages(6);
  ForceForegroundWindow(0);  // no window: nothing to do
  EXPECT_EQ(FindDesktopListView("Desktop", ""), 0);
  EXPECT_EQ(FindDesktopListView("", ""), 0);
  EXPECT_EQ(FindDesktopListView("TForm1", "Wizard"), 77);
  SetWindowHooks({});
  EXPECT_EQ(FindDesktopListView("TForm1", "Wizard"), 0);
  EXPECT_EQ(calls, (std::vector<std::string>{"front 5", "flush 6", "find TForm1/Wizard"}));
}

TEST(WaitWithMessages, RunsTheStepsAWorkerHandsOver) {
  ScriptedUi ui;
  ScopedUi use(ui);
  std::atomic<bool> finished{false};
  std::vector<std::thread::id> ranOn;
  std::thread worker([&] {
    for (int step = 0; step < 3; ++step) tasks::MainQueue().Sync([&] { ranOn.push_back(std::this_thread::get_id()); });
    finished = true;
  });
  while (!finished) EXPECT_EQ(WaitWithMessages(5), 1);
  worker.join();
  EXPECT_EQ(ranOn, std::vector<std::thread::id>(3, std::this_thread::get_id()));
  EXPECT_GT(ui.pendingEventCalls, 0);
}

}  // namespace
