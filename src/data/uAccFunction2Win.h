#pragma once
// File, folder, registry and window helpers of uAccFunction2 (its pure helpers are in
// data/uAccFunction2.h): a buffered file stream, the trailer marker of backup files, the
// folder and computer choosers with the rule that keeps users from saving into the root of
// the system drive, the special folders, registry and INI access, the server form of paths on
// network mounts, folder listings, and the few window services the GUI provides.
//
// Texts are UTF-8; file contents that are text (markers, trailers) are CP932 on disk. Paths
// may use a drive letter ("Z:/data"); they are resolved through the drive table on access.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/Registry.h"
#include "platform/UiServices.h"

class EStreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The failure of a conversion between path forms (no short form for a missing file).
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A file read through a buffer of its own. Positions and sizes are 64-bit.
class TBufFileStream {
 public:
  // Open modes: the access in the low bits; the sharing bits have no meaning here (files are
  // never locked against other openers) and are accepted as they are.
  static constexpr std::uint16_t fmOpenRead = 0x0000;
  static constexpr std::uint16_t fmOpenWrite = 0x0001;
  static constexpr std::uint16_t fmOpenReadWrite = 0x0002;
  static constexpr std::uint16_t fmShareDenyNone = 0x0040;
  static constexpr std::uint16_t fmCreate = 0xFF00;  // create or empty the file, read and write

  enum TSeekOrigin { soFromBeginning = 0, soFromCurrent = 1, soFromEnd = 2 };

  // Opens the file with a buffer of bufKB × 1024 bytes. Raises EStreamError when the file
  // cannot be opened.
  TBufFileStream(const std::string& fileName, std::uint16_t mode, std::uint8_t bufKB);
  ~TBufFileStream();
  TBufFileStream(const TBufFileStream&) = delete;
  TBufFileStream& operator=(const TBufFileStream&) = delete;

  // Up to count bytes from the current position; fewer only at the end of the file (0 there).
  // A count above the buffer size raises "バッファの大きさを越えています。".
  std::int32_t Read(void* buffer, std::int32_t count);
  // Writes at the current position (past what was read ahead) and returns the bytes written.
  std::int32_t Write(const void* buffer, std::int32_t count);
  // Moves to a position (relative to the start, the current position or the end) and empties
  // the buffer; returns the new position.
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin);

  std::int64_t Position() const { return position_; }
  std::int64_t Size() const;
  std::int32_t BufSize() const { return bufSize_; }
  int Handle() const { return fd_; }
  const std::string& FileName() const { return fileName_; }

 private:
  std::string fileName_;
  int fd_ = -1;
  std::vector<char> buffer_;
  std::int32_t bufSize_ = 0;
  std::int32_t bufPos_ = 0;     // next unread byte in buffer_
  std::int32_t bufFilled_ = 0;  // valid bytes in buffer_
  std::int64_t position_ = 0;   // the reader's position in the file
};

// The trailer that ends a file: the offset of the marker's last occurrence when it stands in
// the last 512 bytes of the file, after offset 0, with nothing but text (no zero byte) from
// there to the end of the file; tail := those bytes from the marker on. -1 (and an empty tail)
// otherwise, also when the file cannot be read. An occurrence earlier in the file is data,
// never the trailer.
std::int64_t FindMarker(const std::string& fileName, std::string_view marker, std::string& tail);

// FindMarker, and with cut the file shortened to the bytes before the marker. The shortened
// copy is written beside the file and renamed over it, so the file is either whole or cut,
// never truncated halfway. True when the file was cut.
bool CutFileAtMarker(const std::string& fileName, std::string_view marker, std::string& tail, bool cut);

// Appends the CP932 bytes of text to the end of an existing file. A missing file raises
// EStreamError.
void AppendTextToFile(const std::string& fileName, std::string_view text);

bool MemEqual(const void* a, const void* b, std::size_t length);

// --- Choosing where to save ---
// The save rule: while the system's user-account control switch is on (registry
// HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Policies\System, EnableLUA = 1),
// the root of the system drive ("/") is refused with a question that offers the documents
// folder instead. Its sub-folders are accepted.

// The folder chooser, starting at `folder` each time it opens; title "" gives
// "フォルダを選択して下さい"; root "" is the whole file system. A folder longer than 255
// CP932 bytes is refused with a message (false, folder holds it). skipUac <> 0 turns the
// save rule off; answering No to its question opens the chooser again.
bool SelectFolderDlg(const std::string& title, std::string& folder, int skipUac, const std::string& root = {});
// Asks for a computer name (there is no browsable network neighbourhood); title ""
// gives "コンピュータを選択して下さい".
bool SelectComputerDlg(const std::string& title, std::string& computer);
// Runs the open or save dialog until its file passes the save rule; false on cancel.
bool CheckSaveFileName(uis::FileDialogRequest& dialog, std::string& fileName);
// Applies the save rule to a folder; the folder comes back with a trailing "/" (or as the
// documents folder when that was chosen instead). False when refused.
bool CheckSaveFolder(std::string& folder);
// The save rule on the folder of a file path.
bool CheckSaveFilePath(std::string& filePath);

// --- Folders --- (results without trailing "/")
std::string GetSystemDir();
std::string GetMyDocumentsDir();
std::string GetAppDataDir(bool common);
// "desktop" and "mydocument" (any case); other names give the program folder.
std::string GetSpecialDir(std::string_view name);
// The folder named by TEMP (else TMPDIR) when it exists, else defaultDir.
std::string GetTempDir(const std::string& defaultDir);
// For a path on a network mount (cifs, smb3, nfs, sshfs; see platform/MountTable.h) the
// server form "//server/share/rest"; any other path comes back as it is.
std::string GetUNCPath(const std::string& path);
// Paths have no separate short form: an existing path is its own short form. A missing one
// raises EConvertError "ファイルが見つかりません。".
std::string GetShortPath(const std::string& longPath);
// True when the folder exists afterwards (creating the missing levels); false for an empty
// path, a bare drive letter, or when it cannot be created.
bool ForceDirectory(const std::string& path);
std::string ExcludePathDelim(std::string_view path);
std::string IncludePathDelim(std::string_view path);
// The sub-folders directly inside a folder, sorted: names alone for mode 1, else
// folder + "/" + name. Empty for a blank or missing folder.
std::vector<std::string> GetFileList(const std::string& folder, int mode);
// The size of the file (the first match when the name holds "*" or "?"); 0 when there is
// none, so an empty file also gives 0; -1 on an unexpected failure.
std::int64_t FileExistsFF(const std::string& fileName);

// --- Registry and INI ---
using RegValue = std::variant<std::int32_t, std::string>;
// A string or 32-bit value of the registry store; integer 0 when the key or value is missing
// or of another type.
RegValue ReadRegValue(HKEY root, std::string_view key, std::string_view name);

using IniValue = std::variant<std::int64_t, std::string>;
// Deletes the key, or writes the value as text.
void IniWriteOrDelete(const std::string& iniFile, std::string_view section, std::string_view key, bool deleteKey,
                      const IniValue& value);
// text := the section's lines "name=value", each followed by CR LF. With an empty file name or
// section the text is left as it was.
void ReadIniSection(const std::string& iniFile, std::string_view section, std::string& text);
// Replaces the section by the name=value lines of the list (lines without a name are skipped;
// a name listed twice takes its first value).
void ReadIniSectionList(const std::string& iniFile, std::string_view section, const std::vector<std::string>& list);

// --- System and windows ---
std::int32_t GetOSMajorVersion();
std::string GetLogonUserName();

// A window of the GUI; 0 is none.
using WindowHandle = std::intptr_t;
// What the GUI does for the window services below; it installs them at start-up. Without them
// the services do nothing (and find nothing).
struct WindowHooks {
  std::function<void(WindowHandle)> forceForeground;
  std::function<void(WindowHandle)> flushInput;  // drop pending mouse and key input
  std::function<WindowHandle(const std::string& className, const std::string& title)> findTopLevel;
};
void SetWindowHooks(WindowHooks hooks);

void ForceForegroundWindow(WindowHandle window);
void FlushInputMessages(WindowHandle window);
// Waits ms milliseconds while the main thread keeps running posted tasks and GUI events;
// returns 1.
int WaitWithMessages(int ms);
// A top-level window by class and title (each used only when not empty; both empty give 0).
// "desktop" (any case) asks for the desktop's icon list, which does not exist here: 0.
WindowHandle FindDesktopListView(const std::string& className, const std::string& title);
