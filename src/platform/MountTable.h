#pragma once
// The mount table: which file system holds a path, and which mounts reach another computer.
// It answers the program's drive questions ("is this a drive root?", "is this a network
// drive, and what is its server name?").
//
// The table is read from $RENDO_MOUNTS when set (tests point it at a fixture), else from
// /proc/self/mounts. The format is that of /proc/self/mounts and fstab: one mount per line,
// "source target type options ...", separated by blanks; blanks, tabs, line feeds and
// backslashes inside a field are written as \040, \011, \012 and \134. Lines starting
// with "#" and lines with fewer than three fields are skipped. A table that cannot be read
// is empty.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mounts {

struct MountEntry {
  std::string source;  // "//server/share", "server:/export", "/dev/sda1", "proc"
  std::string target;  // the mount root, absolute
  std::string type;    // "ext4", "cifs", "nfs4", "fuse.sshfs"
};

std::string MountTableFile();
std::vector<MountEntry> ParseMountTable(std::string_view text);
std::vector<MountEntry> ReadMountTable();

// The mount that holds an absolute, normalised path: the entry with the longest target that
// is the path itself or one of its ancestors (the last one listed among equal targets, since
// a later mount hides an earlier one). nullopt when no entry holds it.
std::optional<MountEntry> MountOf(const std::vector<MountEntry>& table, std::string_view path);

// File systems that reach another computer: cifs, smb3, smbfs, nfs, nfs4, sshfs, fuse.sshfs.
bool IsNetworkType(std::string_view type);

// The server form of a path below a network mount: "//server/share/rest". The source
// "//server/share" (cifs, smb3) is kept; "server:/export" (nfs) and "user@server:/path"
// (sshfs) become "//server/export" and "//server/path". `rest` is the path below the mount
// root, with or without its leading "/".
std::string ServerPath(const MountEntry& mount, std::string_view rest);

}  // namespace mounts
