#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "data/DbErrorReport.h"
#include "data/uAccShellOp.h"
#include "support/ReplaceWatch.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

// Every file below a folder with its content, and every folder (as "name/"), by relative path.
std::map<std::string, std::string> Tree(const fs::path& root) {
  std::map<std::string, std::string> tree;
  if (!fs::exists(root)) return tree;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    const std::string rel = fs::relative(e.path(), root).string();
    tree[e.is_directory() ? rel + "/" : rel] = e.is_directory() ? "" : TempDir::Read(e.path());
  }
  return tree;
}

using TreeMap = std::map<std::string, std::string>;

// A hermetic world: a system folder, a mount table and a drive table of our own, a scripted UI
// and the user's trash, all below one temporary folder.
class ShellOp : public ::testing::Test {
 protected:
  ShellOp() {
    fs::create_directories(sys_);
    fs::create_directories(Root() + "/mnt/usb");
    fs::create_directories(Root() + "/zdrive");
    MakeData(Root() + "/data/0001");
  }

  std::string Root() const { return dir_.Str(); }
  // A small data folder: the company files, a work file and a sub-folder.
  void MakeData(const std::string& folder) const {
    const std::string rel = fs::relative(folder, dir_.Path()).string();
    dir_.Write(rel + "/qvacc.fdb", "database");
    dir_.Write(rel + "/qvacc.ini", "[DATASTS]\r\nSTATUS=1\r\n");
    dir_.Write(rel + "/qvacc", "no extension");
    dir_.Write(rel + "/work.tmp", "work");
    dir_.Write(rel + "/sub/note.txt", "note");
  }

  TempDir dir_;
  std::string sys_ = dir_.Str() + "/sys/system32";
  ScopedEnv system_{"RENDO_SYSTEM_DIR", sys_};
  ScopedEnv mounts_{"RENDO_MOUNTS",
                    dir_.Write("mounts", "/dev/vda / ext4 rw 0 0\nproc /proc proc rw 0 0\n/dev/sdb1 " + dir_.Str() +
                                             "/mnt/usb vfat rw 0 0\n/dev/sdc1 " +
                                             dir_.Str() + "/mnt/a,b vfat rw 0 0\n")};
  ScopedEnv drives_{"RENDO_DRIVES", "Z=" + dir_.Str() + "/zdrive"};
  ScopedEnv trash_{"XDG_DATA_HOME", dir_.Str() + "/share"};
  ScriptedUi ui_;
  ScopedUi use_{ui_};
};

TEST_F(ShellOp, GuardRefusesRootsSystemFolderAndWhatLiesAbove) {
  const std::string r = Root();
  ASSERT_EQ(symlink((r + "/mnt/usb").c_str(), (r + "/usb-link").c_str()), 0);
  std::string upper = sys_;
  std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });

  const std::string refused[] = {
      "", "   ", "/", "//", "/.", "/tmp/..", "C:", "c:/", "C:\\", "z:", "Z:/", "Q:",  // Q: maps nowhere
      "C:/*",                                                                        // the whole root
      sys_, sys_ + "/", sys_ + "//", sys_ + "/../system32", upper,                   // the system folder
      r + "/sys", r, r + "/mnt",                                                     // folders above protected ones
      r + "/mnt/usb", r + "/mnt/usb/", r + "/usb-link", r + "/mnt/usb/*",            // a mount root
      r + "/zdrive", r + "/zdrive/.",                                                // a drive's folder
      "/proc",
  };
  for (const std::string& p : refused) EXPECT_FALSE(IsDeletablePath(p)) << "'" << p << "'";

  const std::string accepted[] = {
      r + "/data/0001",      r + "/data/0001/",   r + "/data/0001/qvacc.*", r + "/data/0001/*",
      r + "/mnt/usb/backup", "Z:/data/0001",      sys_ + "/drivers",        r + "/not-yet/there",
  };
  for (const std::string& p : accepted) EXPECT_TRUE(IsDeletablePath(p)) << "'" << p << "'";
}

TEST_F(ShellOp, RefusedPathsAreReportedAndLeftAlone) {
  EXPECT_FALSE(SafeDeleteFiles("C:\\", soDelete, false, false));
  EXPECT_FALSE(SafeDeleteFiles(sys_ + "/", soRename, false, false));
  EXPECT_FALSE(SafeDeleteFiles(Root() + "/mnt/a,b", soDelete, false, false));  // "," splits the lines
  EXPECT_FALSE(SafeCopyMoveFiles(Root() + "/data/0001/*", "/", soCopy));
  EXPECT_FALSE(SafeCopyMoveFiles(Root() + "/mnt/usb", Root() + "/data/copy", soMove));

  ASSERT_EQ(ui_.messages.size(), 5u);
  EXPECT_EQ(ui_.MessageText(0), "ルート・システムディレクトリは、削除できません。<C:\\> ");
  EXPECT_EQ(ui_.MessageText(1), "ルート・システムディレクトリは、変更できません。<" + sys_ + "/> ");
  EXPECT_EQ(ui_.MessageText(2), "ルート・システムディレクトリは、削除できません。<" + Root() + "/mnt/a\nb> ");
  EXPECT_EQ(ui_.MessageText(3), "指定ディレクトリ[" + Root() + "/data/0001/*->/]の複写・移動はできません。 ");
  for (const auto& m : ui_.messages) {
    EXPECT_EQ(m.kind, uis::MsgKind::Error);
    EXPECT_EQ(m.buttons, uis::Buttons::Ok);
  }
  EXPECT_TRUE(fs::exists(Root() + "/mnt/usb"));
  EXPECT_FALSE(fs::exists(Root() + "/data/copy"));

  // Codes that are not the function's own do nothing.
  EXPECT_FALSE(SafeDeleteFiles(Root() + "/data/0001", soCopy, false, true));
  EXPECT_FALSE(SafeCopyMoveFiles(Root() + "/data/0001", Root() + "/x", soDelete));
  EXPECT_EQ(ui_.messages.size(), 5u);
  EXPECT_TRUE(fs::exists(Root() + "/data/0001/qvacc.fdb"));
}

TEST_F(ShellOp, DeletesFoldersAndPatterns) {
  const std::string data = Root() + "/data/0001";
  ASSERT_TRUE(SafeDeleteFiles(data + "/qvacc.*", soDelete, false, true));
  EXPECT_EQ(Tree(data), (TreeMap{{"sub/", ""}, {"sub/note.txt", "note"}, {"work.tmp", "work"}}));

  ASSERT_TRUE(SafeDeleteFiles("Z:/../data/0001/", soDelete, false, true));
  EXPECT_FALSE(fs::exists(data));
  EXPECT_TRUE(fs::exists(Root() + "/data"));

  ui_.messages.clear();
  EXPECT_FALSE(SafeDeleteFiles(data, soDelete, false, false));  // gone already: quietly false
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_FALSE(SafeDeleteFiles(data, soDelete, false, true));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].kind, uis::MsgKind::Error);
  EXPECT_TRUE(ui_.Shown(data));

  // Rename needs a destination, which this function never has.
  MakeData(data);
  ui_.messages.clear();
  EXPECT_FALSE(SafeDeleteFiles(data, soRename, false, false));
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_TRUE(fs::exists(data + "/qvacc.fdb"));
}

TEST_F(ShellOp, RecycleBinKeepsWhatWasDeleted) {
  const std::string data = Root() + "/data/0001";
  const std::string trash = Root() + "/share/Trash";
  ASSERT_TRUE(SafeDeleteFiles(data + "/sub", soDelete, true, true));
  dir_.Write("data/0001/sub/other.txt", "second");
  ASSERT_TRUE(SafeDeleteFiles(data + "/sub", soDelete, true, true));

  EXPECT_FALSE(fs::exists(data + "/sub"));
  EXPECT_EQ(TempDir::Read(trash + "/files/sub/note.txt"), "note");
  EXPECT_EQ(TempDir::Read(trash + "/files/sub.2/other.txt"), "second");
  const std::string info = TempDir::Read(trash + "/info/sub.trashinfo");
  EXPECT_EQ(info.rfind("[Trash Info]\nPath=" + data + "/sub\nDeletionDate=", 0), 0u) << info;
  EXPECT_TRUE(fs::exists(trash + "/info/sub.2.trashinfo"));

  // A name that needs escaping in the record.
  dir_.Write("data/0001/会社 A.txt", "x");
  ASSERT_TRUE(SafeDeleteFiles(data + "/会社 A.txt", soDelete, true, false));
  EXPECT_NE(TempDir::Read(trash + "/info/会社 A.txt.trashinfo").find("/%E4%BC%9A%E7%A4%BE%20A.txt\n"), std::string::npos);
}

TEST_F(ShellOp, CopiesTreesAndPatternsIntoNewFolders) {
  const std::string data = Root() + "/data/0001";
  const TreeMap original = Tree(data);

  // The whole content into a destination that does not exist yet.
  ASSERT_TRUE(SafeCopyMoveFiles(data + "/*", Root() + "/backup/a/b", soCopy));
  EXPECT_EQ(Tree(Root() + "/backup/a/b"), original);

  // Only the company files.
  ASSERT_TRUE(SafeCopyMoveFiles(data + "/qvacc.*", Root() + "/share/0001", soCopy));
  EXPECT_EQ(Tree(Root() + "/share/0001"), (TreeMap{{"qvacc", "no extension"},
                                                   {"qvacc.fdb", "database"},
                                                   {"qvacc.ini", "[DATASTS]\r\nSTATUS=1\r\n"}}));

  // A folder into an existing folder lands below it, overwriting without asking.
  dir_.Write("copy/0001/qvacc.fdb", "older");
  ASSERT_TRUE(SafeCopyMoveFiles(data, Root() + "/copy", soCopy));
  EXPECT_EQ(Tree(Root() + "/copy/0001"), original);

  // A folder to a new name is copied as that name; the source is untouched throughout.
  ASSERT_TRUE(SafeCopyMoveFiles(data, "Z:/renamed", soCopy));
  EXPECT_EQ(Tree(Root() + "/zdrive/renamed"), original);
  EXPECT_EQ(Tree(data), original);

  // Never into itself.
  EXPECT_FALSE(SafeCopyMoveFiles(data, data + "/sub", soCopy));
  EXPECT_EQ(Tree(data), original);
}

TEST_F(ShellOp, CopiesReplaceFilesWithTheSourcesModeAndTimeAndLinksStayLinks) {
  const std::string data = Root() + "/data/0001";
  ASSERT_EQ(chmod((data + "/qvacc.fdb").c_str(), 0600), 0);
  ASSERT_EQ(symlink("qvacc.fdb", (data + "/current").c_str()), 0);
  const std::string older = dir_.Write("copy/0001/qvacc.fdb", "older");
  ASSERT_EQ(chmod(older.c_str(), 0644), 0);
  dir_.Write("copy/0001/current", "a file where the link goes");

  ASSERT_TRUE(SafeCopyMoveFiles(data, Root() + "/copy", soCopy));
  EXPECT_EQ(TempDir::Read(older), "database");
  EXPECT_EQ(fs::status(older).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(fs::last_write_time(older), fs::last_write_time(data + "/qvacc.fdb"));
  EXPECT_TRUE(fs::is_symlink(Root() + "/copy/0001/current"));
  EXPECT_EQ(fs::read_symlink(Root() + "/copy/0001/current"), "qvacc.fdb");
  EXPECT_TRUE(TemporaryFiles(Root() + "/copy/0001").empty());
}

TEST_F(ShellOp, MovesTreesAndPatterns) {
  const std::string data = Root() + "/data/0001";
  const TreeMap original = Tree(data);

  ASSERT_TRUE(SafeCopyMoveFiles(data + "/*", Root() + "/moved", soMove));
  EXPECT_EQ(Tree(Root() + "/moved"), original);
  EXPECT_TRUE(Tree(data).empty());

  // Onto a folder that has contents already: merged, then the source goes.
  MakeData(data);
  dir_.Write("merged/0001/keep.txt", "kept");
  dir_.Write("merged/0001/qvacc.fdb", "older");
  ASSERT_TRUE(SafeCopyMoveFiles(data, Root() + "/merged", soMove));
  TreeMap merged = original;
  merged["keep.txt"] = "kept";
  EXPECT_EQ(Tree(Root() + "/merged/0001"), merged);
  EXPECT_FALSE(fs::exists(data));

  // Onto another file system (tmpfs): copied, then removed.
  MakeData(data);
  const std::string other = "/dev/shm/rendo-shellop-" + std::to_string(getpid());
  if (fs::is_directory("/dev/shm")) {
    ASSERT_TRUE(SafeCopyMoveFiles(data + "/qvacc.*", other, soMove));
    EXPECT_EQ(Tree(other).size(), 3u);
    EXPECT_EQ(Tree(data), (TreeMap{{"sub/", ""}, {"sub/note.txt", "note"}, {"work.tmp", "work"}}));
    fs::remove_all(other);
  }
}

TEST_F(ShellOp, FailedMoveKeepsTheSourceAndLeavesNoPartialFiles) {
  const std::string data = Root() + "/data/0001";
  const TreeMap original = Tree(data);
  // The destination already has the folder, with a folder where a file must go: the merge
  // copies what it can, then fails.
  fs::create_directories(Root() + "/dest/0001/work.tmp");
  dir_.Write("dest/0001/other.txt", "x");

  EXPECT_FALSE(SafeCopyMoveFiles(data, Root() + "/dest", soMove));
  EXPECT_EQ(Tree(data), original) << "nothing of the source is removed";
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].kind, uis::MsgKind::Error);
  for (const auto& [path, content] : Tree(Root() + "/dest/0001")) {
    EXPECT_FALSE(filereplace::IsTemporaryName(fs::path(path).filename().string())) << "temporary file left: " << path;
    if (!content.empty() && original.count(path)) {
      EXPECT_EQ(content, original.at(path)) << path;
    }
  }
}

TEST_F(ShellOp, CopyFileToReplacesTheTarget) {
  const std::string data = Root() + "/data/0001";
  dir_.Write("out/qvacc.fdb", "a much longer older content");
  ASSERT_TRUE(CopyFileTo(data + "/qvacc.fdb", Root() + "/out/qvacc.fdb"));
  EXPECT_EQ(TempDir::Read(Root() + "/out/qvacc.fdb"), "database");
  ASSERT_TRUE(CopyFileTo(data + "/qvacc.ini", "Z:/qvacc.ini"));
  EXPECT_EQ(TempDir::Read(Root() + "/zdrive/qvacc.ini"), "[DATASTS]\r\nSTATUS=1\r\n");

  EXPECT_FALSE(CopyFileTo(data + "/none.fdb", Root() + "/out/none.fdb"));
  EXPECT_FALSE(CopyFileTo(data + "/qvacc.fdb", Root() + "/missing-folder/qvacc.fdb"));
  EXPECT_FALSE(CopyFileTo(data + "/sub", Root() + "/out/sub"));
  EXPECT_FALSE(CopyFileTo(data + "/qvacc.fdb", Root() + "/out/" + std::string(300, 'n')));
  EXPECT_EQ(Tree(Root() + "/out"), (TreeMap{{"qvacc.fdb", "database"}}));
  EXPECT_TRUE(ui_.messages.empty());
}

// The message boxes the refusals are shown with.
TEST(MessageBoxes, LinesAtCommasAndTheDetailBlock) {
  ScriptedUi ui;
  ScopedUi use(ui);
  ShowMessageLines("a,b", uis::MsgKind::Error);
  ShowMessageLines("one line", uis::MsgKind::Warning);
  ShowMessageLines("<//server/share,x>", uis::MsgKind::Error);  // "//" is no comment here
  ShowErrorDetail("更新に失敗しました。", "IBXエラーコード:335544345\rlock conflict", uis::MsgKind::Error);
  ShowErrorDetail("only the message", "", uis::MsgKind::Information);
  ShowErrorDetail("", "", uis::MsgKind::Error);  // nothing at all

  ASSERT_EQ(ui.messages.size(), 5u);
  EXPECT_EQ(ui.MessageText(0), "a\nb");
  EXPECT_EQ(ui.MessageText(1), "one line");
  EXPECT_EQ(ui.messages[1].kind, uis::MsgKind::Warning);
  EXPECT_EQ(ui.MessageText(2), "<//server/share\nx>");
  EXPECT_EQ(ui.MessageText(3), "更新に失敗しました。\n\n[詳細情報]\nIBXエラーコード:335544345\nlock conflict");
  EXPECT_EQ(ui.MessageText(4), "only the message");
  for (const auto& m : ui.messages) EXPECT_EQ(m.buttons, uis::Buttons::Ok);
}

}  // namespace

TEST_F(ShellOp, EntryPointsRunTheEngineAndReportAbortedCopies) {
  const std::string data = Root() + "/data/0001";
  bool aborted = true;
  EXPECT_EQ(DoShellCopyMove(soCopy, data + "/qvacc.*", Root() + "/copy", sfSilent | sfNoConfirmation | sfNoConfirmMkDir,
                            &aborted),
            0);
  EXPECT_FALSE(aborted);
  EXPECT_EQ(TempDir::Read(Root() + "/copy/qvacc.ini"), "[DATASTS]\r\nSTATUS=1\r\n");
  EXPECT_TRUE(fs::exists(Root() + "/copy/qvacc"));
  EXPECT_FALSE(fs::exists(Root() + "/copy/work.tmp"));

  EXPECT_EQ(DoShellDelete(soDelete, Root() + "/copy", sfSilent | sfNoConfirmation), 0);
  EXPECT_FALSE(fs::exists(Root() + "/copy"));
  EXPECT_NE(DoShellCopyMove(soCopy, Root() + "/nothing/here", Root() + "/copy2",
                            sfSilent | sfNoConfirmation | sfNoErrorUi, &aborted),
            0);
  EXPECT_TRUE(ui_.messages.empty()) << "no error box with sfNoErrorUi";
}
