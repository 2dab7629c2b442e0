#pragma once
// Deleting, copying and moving whole folders of company data (shared-server copies, data
// folders, work files). A wrong path here could wipe a disk, so every operation first refuses
// the empty path, the root, every mount root and drive root, the system folder and the
// folders above them, and tells the user so.
//
// The operations run on a file-operation engine of our own:
//   - a source is a file, a folder (taken recursively) or a pattern in its last part
//     ("/data/0001/qvacc.*", "/data/0001/*"); "*.*" matches every name, and "name.*" also
//     matches "name" without extension;
//   - copy and move overwrite without asking and create the destination folder;
//   - every file is copied to a temporary name beside its target and renamed into place, so a
//     failure never leaves a partly written file under a target's name; a move removes a
//     source only after all of it reached the destination;
//   - "allow undo" moves deleted items into the user's trash ($XDG_DATA_HOME/Trash, with its
//     .trashinfo record) when they can be renamed there, and deletes them otherwise.
// Paths may use a drive letter ("Z:/data"); they are resolved through the drive table.
#include <string>
#include <string_view>

// Operation codes.
enum ShellOperation : int { soMove = 1, soCopy = 2, soDelete = 3, soRename = 4 };

// Flags of an operation.
inline constexpr unsigned sfSilent = 0x4;            // no progress
inline constexpr unsigned sfNoConfirmation = 0x10;   // overwrite and delete without asking
inline constexpr unsigned sfAllowUndo = 0x40;        // delete into the trash
inline constexpr unsigned sfNoConfirmMkDir = 0x200;  // create destination folders without asking
inline constexpr unsigned sfNoErrorUi = 0x400;       // failures are not shown to the user

struct ShellFileRequest {
  int operation = soCopy;
  std::string from;  // one source path, possibly with a pattern in its last part
  std::string to;    // destination (copy, move, rename); empty for delete
  unsigned flags = 0;
  // --- results ---
  bool anyAborted = false;  // the operation stopped after a part of it was done
  std::string errorPath;    // the path that failed, when one did
  std::string errorText;    // why it failed
};

// Runs one file operation. 0 on success, otherwise the system error number of the first
// failure; the operation stops there. Without sfNoErrorUi the failure is shown as an error
// message. Rename (soRename) renames `from` to `to` in one step and needs a destination.
int ShellFileOperation(ShellFileRequest& request);

// The entry points of the two kinds of request, over ShellFileOperation: a delete (or rename
// without destination) of `from`, and a copy or move of `from` into `to`. 0 on success, else
// the system error number; anyAborted reports an operation stopped part-way.
int DoShellDelete(int operation, std::string_view from, unsigned flags);
int DoShellCopyMove(int operation, std::string_view from, std::string_view to, unsigned flags,
                    bool* anyAborted = nullptr);

// The form in which paths are compared: absolute (from the working folder), "." and ".."
// resolved, repeated and trailing "/" removed, symbolic links followed as far as the path
// exists. Case is kept.
std::string NormalisePath(std::string_view path);

// File-name patterns with "*" and "?": "*" and "*.*" match every name, "name.*" also matches
// "name" without extension.
bool MatchesFilePattern(const std::string& pattern, const std::string& name);

// The system folder, "" when there is none.
std::string GetSystemFolder();

// False for a path that must never be deleted, copied over or moved: empty or blank; a drive
// root ("C:", "c:/", "Z:\"); "/", a mount root, the folder of a drive letter or the system
// folder, or a folder above one of them. Paths are compared after normalising them (made
// absolute, "." and ".." resolved, repeated and trailing "/" removed, symbolic links of the
// existing part followed) and without regard to case. A path with a pattern in its last part
// stands for the contents of its folder and is judged by that folder.
bool IsDeletablePath(std::string_view path);

// Deletes (soDelete) a file, a folder with its contents or the matches of a pattern (none is
// no failure), into the trash when toRecycleBin is set. soRename is accepted but has no
// destination here and so always fails. A refused path gives a message (always) and false; a
// failure of the operation itself is shown only with showErrors. Other operation codes do
// nothing and give false.
bool SafeDeleteFiles(std::string_view path, int operation, bool toRecycleBin, bool showErrors);

// Copies (soCopy) or moves (soMove) source into destination. Both must pass IsDeletablePath,
// else a message names both and the result is false. Failures are shown. Other operation
// codes do nothing and give false.
bool SafeCopyMoveFiles(std::string_view source, std::string_view destination, int operation);

// Copies one file, replacing an existing destination file; the destination's folder must
// exist. True on success.
bool CopyFileTo(std::string_view source, std::string_view destination);
