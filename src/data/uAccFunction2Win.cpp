#include "data/uAccFunction2Win.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>

#include "data/uAccShellOp.h"
#include "platform/AsciiCase.h"
#include "platform/Encoding.h"
#include "platform/FileReplace.h"
#include "platform/Folders.h"
#include "platform/MountTable.h"
#include "platform/Paths.h"
#include "platform/SystemInfo.h"
#include "platform/TaskQueue.h"
#include "platform/TextLines.h"
#include "platform/ini/IniFile.h"

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kTrailerWindow = 512;

const char kSaveRootQuestion[] =
    "この場所に保存するアクセス許可がありません。\r管理者に連絡してアクセス許可を取得してください。\r\r代わりに［ドキュメント］フォルダに保存しますか？\r";

std::string ErrnoText(int err) { return std::generic_category().message(err); }

bool IsBlank(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

bool WriteAll(int fd, const char* data, std::size_t size, std::int64_t offset) {
  while (size > 0) {
    const ssize_t n = pwrite(fd, data, size, offset);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    offset += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// The user-account control switch of the registry store.
bool UacOn() {
  const RegValue v =
      ReadRegValue(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", "EnableLUA");
  return std::holds_alternative<std::int32_t>(v) && std::get<std::int32_t>(v) == 1;
}

// The root of the system drive. The system folder has no drive letter here, and drive C:
// is "/".
bool IsSystemDriveRoot(std::string_view folder) {
  if (IsBlank(folder)) return false;
  const std::string real = ResolvePath(folder);
  if (real.empty()) return false;
  std::string normal = fs::path(real).lexically_normal().string();
  while (normal.size() > 1 && normal.back() == '/') normal.pop_back();
  return normal == "/";
}

// The save rule's question; true for Yes (use the documents folder instead).
bool AskDocumentsInstead() {
  return uis::ShowMessage(uis::MsgKind::Warning, kSaveRootQuestion, {}, uis::Buttons::YesNo, uis::mrYes) ==
         uis::mrYes;
}

WindowHooks& Hooks() {
  static WindowHooks hooks;
  return hooks;
}

std::mutex& HooksMutex() {
  static std::mutex mutex;
  return mutex;
}

std::vector<std::string> SortedNames(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    names.push_back(it->path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TBufFileStream

TBufFileStream::TBufFileStream(const std::string& fileName, std::uint16_t mode, std::uint8_t bufKB)
    : fileName_(fileName), bufSize_(static_cast<std::int32_t>(bufKB) * 1024) {
  int flags = O_CLOEXEC;
  if ((mode & fmCreate) == fmCreate) flags |= O_RDWR | O_CREAT | O_TRUNC;
  else if ((mode & 3) == fmOpenWrite) flags |= O_WRONLY;
  else if ((mode & 3) == fmOpenReadWrite) flags |= O_RDWR;
  else flags |= O_RDONLY;
  const std::string path = ResolvePath(fileName);
  fd_ = path.empty() ? -1 : open(path.c_str(), flags, 0666);
  if (fd_ < 0) {
    const int err = path.empty() ? ENOENT : errno;
    throw EStreamError("ファイル\"" + fileName + "\"を開けません。" + ErrnoText(err));
  }
  buffer_.resize(static_cast<std::size_t>(bufSize_));
}

TBufFileStream::~TBufFileStream() {
  if (fd_ >= 0) close(fd_);
}

std::int32_t TBufFileStream::Read(void* buffer, std::int32_t count) {
  if (count > bufSize_) throw EStreamError("バッファの大きさを越えています。");
  if (count <= 0) return 0;
  if (bufFilled_ - bufPos_ < count) {
    // Keep the unread rest, then fill the buffer up from the file.
    const std::int32_t rest = bufFilled_ - bufPos_;
    std::memmove(buffer_.data(), buffer_.data() + bufPos_, static_cast<std::size_t>(rest));
    bufPos_ = 0;
    bufFilled_ = rest;
    while (bufFilled_ < bufSize_) {
      const ssize_t n = read(fd_, buffer_.data() + bufFilled_, static_cast<std::size_t>(bufSize_ - bufFilled_));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) throw EStreamError("ファイル\"" + fileName_ + "\"を読めません。" + ErrnoText(errno));
      if (n == 0) break;
      bufFilled_ += static_cast<std::int32_t>(n);
    }
  }
  const std::int32_t n = std::min(count, bufFilled_ - bufPos_);
  std::memcpy(buffer, buffer_.data() + bufPos_, static_cast<std::size_t>(n));
  bufPos_ += n;
  position_ += n;
  return n;
}

std::int32_t TBufFileStream::Write(const void* buffer, std::int32_t count) {
  if (count <= 0) return 0;
  if (!WriteAll(fd_, static_cast<const char*>(buffer), static_cast<std::size_t>(count), position_))
    throw EStreamError("ファイル\"" + fileName_ + "\"に書き込めません。" + ErrnoText(errno));
  // What was read ahead may now be stale; the file's own position follows the writer.
  bufPos_ = bufFilled_ = 0;
  position_ += count;
  lseek(fd_, position_, SEEK_SET);
  return count;
}

std::int64_t TBufFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  std::int64_t target = offset;
  if (origin == soFromCurrent) target = position_ + offset;
  else if (origin == soFromEnd) target = Size() + offset;
  const off_t at = lseek(fd_, target, SEEK_SET);
  if (at < 0) throw EStreamError("ファイル\"" + fileName_ + "\"の位置を移せません。" + ErrnoText(errno));
  bufPos_ = bufFilled_ = 0;
  position_ = at;
  return position_;
}

std::int64_t TBufFileStream::Size() const {
  struct stat st;
  return fstat(fd_, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : 0;
}

// ---------------------------------------------------------------------------------------------
// Marker and trailer

std::int64_t FindMarker(const std::string& fileName, std::string_view marker, std::string& tail) {
  tail.clear();
  const std::string pattern = sjis::FromUtf8(marker);
  if (pattern.empty()) return -1;
  try {
    TBufFileStream stream(fileName, TBufFileStream::fmOpenRead, 16);
    const std::int64_t size = stream.Size();
    const std::int64_t start = size > kTrailerWindow ? size - kTrailerWindow : 0;
    std::string window(static_cast<std::size_t>(size - start), '\0');
    stream.Seek(start, TBufFileStream::soFromBeginning);
    std::size_t got = 0;
    while (got < window.size()) {
      const std::int32_t n = stream.Read(window.data() + got, static_cast<std::int32_t>(window.size() - got));
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    window.resize(got);

    const std::size_t at = window.rfind(pattern);
    if (at == std::string::npos || start + static_cast<std::int64_t>(at) == 0) return -1;
    const std::string_view rest = std::string_view(window).substr(at);
    if (rest.find('\0') != std::string_view::npos) return -1;  // binary data follows: not the trailer
    tail = sjis::ToUtf8(rest);
    return start + static_cast<std::int64_t>(at);
  } catch (const std::exception&) {
    return -1;
  }
}

bool CutFileAtMarker(const std::string& fileName, std::string_view marker, std::string& tail, bool cut) {
  tail.clear();
  const std::int64_t length = FindMarker(fileName, marker, tail);
  if (length < 0 || !cut) return false;

  // The cut copy replaces the file itself, also when the name is a symbolic link to it.
  std::error_code ec;
  std::string path = fs::canonical(ResolvePath(fileName), ec).string();
  if (ec) return false;
  const filereplace::Result result = filereplace::Replace(path, [&](filereplace::Sink& out) {
    try {
      TBufFileStream in(fileName, TBufFileStream::fmOpenRead | TBufFileStream::fmShareDenyNone, 16);
      std::vector<char> block(static_cast<std::size_t>(in.BufSize()));
      // Copy the bytes before the marker, region by region of data: holes of a sparse file
      // stay holes, so a large sparse backup costs no more room than it did.
      for (std::int64_t from = 0; from < length;) {
        off_t data = lseek(in.Handle(), from, SEEK_DATA);
        if (data < 0 && errno == ENXIO) break;  // only a hole up to the end
        if (data < 0) data = from;              // no hole information: copy everything
        if (data >= length) break;
        off_t hole = lseek(in.Handle(), data, SEEK_HOLE);
        if (hole < 0 || hole > length) hole = length;
        in.Seek(data, TBufFileStream::soFromBeginning);
        for (std::int64_t at = data; at < hole;) {
          const auto want = static_cast<std::int32_t>(std::min<std::int64_t>(hole - at, in.BufSize()));
          const std::int32_t n = in.Read(block.data(), want);
          if (n <= 0) return EIO;
          if (int err = out.WriteAt(block.data(), static_cast<std::size_t>(n), at)) return err;
          at += n;
        }
        from = hole;
      }
      return ftruncate(out.Fd(), length) == 0 ? 0 : errno;
    } catch (const std::exception&) {
      return EIO;
    }
  });
  return static_cast<bool>(result);
}

void AppendTextToFile(const std::string& fileName, std::string_view text) {
  TBufFileStream stream(fileName, TBufFileStream::fmOpenReadWrite | TBufFileStream::fmShareDenyNone, 1);
  const std::string bytes = sjis::FromUtf8(text);
  stream.Seek(0, TBufFileStream::soFromEnd);
  for (std::size_t done = 0; done < bytes.size();) {
    const auto n = static_cast<std::int32_t>(std::min<std::size_t>(bytes.size() - done, 1 << 30));
    done += static_cast<std::size_t>(stream.Write(bytes.data() + done, n));
  }
}

bool MemEqual(const void* a, const void* b, std::size_t length) { return length == 0 || std::memcmp(a, b, length) == 0; }

// ---------------------------------------------------------------------------------------------
// Choosing where to save

bool SelectFolderDlg(const std::string& title, std::string& folder, int skipUac, const std::string& root) {
  const bool uac = skipUac == 0 && UacOn();
  const std::string initial = folder;
  for (;;) {
    uis::FolderDialogRequest request;
    request.caption = title.empty() ? "フォルダを選択して下さい" : title;
    request.root = root;
    request.folder = initial;
    request.maxLength = 255;
    if (!uis::Ui().FolderDialog(request)) return false;
    folder = request.folder;
    if (sjis::ByteLength(folder) > 255) {
      uis::ShowMessage(uis::MsgKind::Error,
                       "選択した場所(パス)の文字長が処理できる範囲を超えました。\r別の場所を選択して下さい。\r");
      return false;
    }
    if (!uac || !IsSystemDriveRoot(folder)) return true;
    if (AskDocumentsInstead()) {
      folder = GetMyDocumentsDir();
      return true;
    }
  }
}

bool SelectComputerDlg(const std::string& title, std::string& computer) {
  uis::InputRequest request;
  request.caption = title.empty() ? "コンピュータを選択して下さい" : title;
  request.message = request.caption;
  request.value = computer;
  if (!uis::Ui().InputText(request)) return false;
  computer = request.value;
  return true;
}

bool CheckSaveFileName(uis::FileDialogRequest& dialog, std::string& fileName) {
  const bool uac = UacOn();
  for (;;) {
    if (!uis::Ui().FileDialog(dialog)) return false;
    fileName = dialog.fileName;
    if (!uac || !IsSystemDriveRoot(ExtractFilePath(fileName))) return true;
    if (AskDocumentsInstead()) {
      fileName = GetMyDocumentsDir() + "/" + ExtractFileName(fileName);
      return true;
    }
  }
}

bool CheckSaveFolder(std::string& folder) {
  // A bare file name has no folder part; it stays relative rather than becoming "/".
  std::string result = folder.empty() ? folder : IncludePathDelim(folder);
  bool ok = true;
  if (UacOn() && IsSystemDriveRoot(result)) {
    if (AskDocumentsInstead()) result = GetMyDocumentsDir();
    else ok = false;
  }
  folder = result;
  return ok;
}

bool CheckSaveFilePath(std::string& filePath) {
  std::string folder = ExtractFilePath(filePath);
  if (!CheckSaveFolder(folder)) return false;
  filePath = (folder.empty() ? folder : IncludePathDelim(folder)) + ExtractFileName(filePath);
  return true;
}

// ---------------------------------------------------------------------------------------------
// Folders

std::string GetSystemDir() { return folders::SystemDir(); }

namespace {
std::string OrProgramDir(std::string folder) { return folder.empty() ? folders::ProgramDir() : folder; }
}  // namespace

std::string GetMyDocumentsDir() { return OrProgramDir(folders::DocumentsDir()); }

std::string GetAppDataDir(bool common) {
  return OrProgramDir(common ? folders::CommonAppDataDir() : folders::UserAppDataDir());
}

std::string GetSpecialDir(std::string_view name) {
  const std::string kind = ascii::Lower(name);
  if (kind == "desktop") return OrProgramDir(folders::DesktopDir());
  if (kind == "mydocument") return GetMyDocumentsDir();
  return folders::ProgramDir();
}

std::string GetTempDir(const std::string& defaultDir) {
  for (const char* name : {"TEMP", "TMPDIR"}) {
    const char* v = std::getenv(name);
    if (!v || !*v) continue;
    struct stat st;
    if (stat(v, &st) == 0 && S_ISDIR(st.st_mode)) {
      std::string dir = v;
      while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
      return dir;
    }
  }
  return defaultDir;
}

std::string GetUNCPath(const std::string& path) {
  if (IsBlank(path)) return path;
  const std::string real = ResolvePath(path);
  if (real.empty()) return path;
  const std::string normal = NormalisePath(real);
  const auto mount = mounts::MountOf(mounts::ReadMountTable(), normal);
  if (!mount || !mounts::IsNetworkType(mount->type)) return path;
  std::string target = mount->target;
  while (target.size() > 1 && target.back() == '/') target.pop_back();
  return mounts::ServerPath(*mount, target == "/" ? normal : normal.substr(target.size()));
}

std::string GetShortPath(const std::string& longPath) {
  const std::string real = ResolvePath(longPath);
  struct stat st;
  if (IsBlank(longPath) || real.empty() || stat(real.c_str(), &st) != 0) throw EConvertError("ファイルが見つかりません。");
  return longPath;
}

bool ForceDirectory(const std::string& path) {
  if (IsBlank(path)) return false;
  const std::string real = ResolvePath(path);
  if (real.empty()) return false;
  std::error_code ec;
  if (fs::is_directory(real, ec)) return true;
  const std::string bare = ExcludePathDelim(path);
  if (bare.size() == 2 && HasDriveLetter(bare)) return false;
  fs::create_directories(real, ec);
  return fs::is_directory(real, ec);
}

std::string ExcludePathDelim(std::string_view path) { return ExcludeTrailingPathDelimiter(path); }
std::string IncludePathDelim(std::string_view path) { return IncludeTrailingPathDelimiter(path); }

std::vector<std::string> GetFileList(const std::string& folder, int mode) {
  std::vector<std::string> list;
  if (IsBlank(folder)) return list;
  const std::string real = ResolvePath(folder);
  if (real.empty()) return list;
  for (const std::string& name : SortedNames(real)) {
    struct stat st;
    if (stat((real + "/" + name).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) continue;
    list.push_back(mode == 1 ? name : folder + "/" + name);
  }
  return list;
}

std::int64_t FileExistsFF(const std::string& fileName) {
  try {
    const std::string real = ResolvePath(fileName);
    if (IsBlank(real)) return 0;
    std::string found = real;
    const std::size_t slash = real.rfind('/');
    const std::string name = slash == std::string::npos ? real : real.substr(slash + 1);
    if (name.find_first_of("*?") != std::string::npos) {
      const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : real.substr(0, slash);
      found.clear();
      for (const std::string& n : SortedNames(folder))
        if (MatchesFilePattern(name, n)) {
          found = folder + "/" + n;
          break;
        }
      if (found.empty()) return 0;
    }
    struct stat st;
    if (stat(found.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
    return static_cast<std::int64_t>(st.st_size);
  } catch (const std::exception&) {
    return -1;
  }
}

// ---------------------------------------------------------------------------------------------
// Registry and INI

RegValue ReadRegValue(HKEY root, std::string_view key, std::string_view name) {
  if (name == "EnableLUA" && GetOSMajorVersion() <= 5) return std::int32_t{0};
  try {
    TRegistry reg;
    reg.RootKey = root;
    if (!reg.OpenKey(key) || !reg.ValueExists(name)) return std::int32_t{0};
    switch (reg.GetDataType(name)) {
      case TRegDataType::rdString: return reg.ReadString(name);
      case TRegDataType::rdInteger: return std::int32_t{reg.ReadInteger(name)};
      default: return std::int32_t{0};
    }
  } catch (const std::exception&) {
    return std::int32_t{0};  // an unreadable store is read as one without the key
  }
}

void IniWriteOrDelete(const std::string& iniFile, std::string_view section, std::string_view key, bool deleteKey,
                      const IniValue& value) {
  TIniFile ini(iniFile);
  if (deleteKey) {
    ini.DeleteKey(section, key);
  } else {
    const std::string text = std::holds_alternative<std::int64_t>(value) ? std::to_string(std::get<std::int64_t>(value))
                                                                        : std::get<std::string>(value);
    ini.WriteString(section, key, text);
  }
  ini.UpdateFile();
  // Readers in other processes look at the file right after; give them a settled file.
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

void ReadIniSection(const std::string& iniFile, std::string_view section, std::string& text) {
  if (iniFile.empty() || section.empty()) return;
  text = textlines::ToText(TIniFile(iniFile).ReadSectionValues(section));
}

void ReadIniSectionList(const std::string& iniFile, std::string_view section, const std::vector<std::string>& list) {
  if (iniFile.empty() || section.empty()) return;
  TIniFile ini(iniFile);
  ini.BeginUpdate();  // the section is replaced in one write of the file
  ini.EraseSection(section);
  for (const std::string& line : list) {
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos || eq == 0) continue;
    const std::string name = line.substr(0, eq);
    // A name listed twice takes the value of its first line.
    std::string value = line.substr(eq + 1);
    for (const std::string& other : list)
      if (other.size() > name.size() && other[name.size()] == '=' && ascii::SameText(other.substr(0, name.size()), name)) {
        value = other.substr(name.size() + 1);
        break;
      }
    ini.WriteString(section, name, value);
  }
  ini.UpdateFile();
}

// ---------------------------------------------------------------------------------------------
// System and windows

std::int32_t GetOSMajorVersion() { return sysinfo::OsMajorVersion(); }

std::string GetLogonUserName() { return sysinfo::UserName(); }

void SetWindowHooks(WindowHooks hooks) {
  std::lock_guard lock(HooksMutex());
  Hooks() = std::move(hooks);
}

void ForceForegroundWindow(WindowHandle window) {
  std::function<void(WindowHandle)> hook;
  {
    std::lock_guard lock(HooksMutex());
    hook = Hooks().forceForeground;
  }
  if (window && hook) hook(window);
}

void FlushInputMessages(WindowHandle window) {
  std::function<void(WindowHandle)> hook;
  {
    std::lock_guard lock(HooksMutex());
    hook = Hooks().flushInput;
  }
  if (window && hook) hook(window);
}

int WaitWithMessages(int ms) {
  tasks::PumpFor(std::chrono::milliseconds(ms));
  return 1;
}

WindowHandle FindDesktopListView(const std::string& className, const std::string& title) {
  if (ascii::Lower(className) == "desktop") return 0;
  if (className.empty() && title.empty()) return 0;
  std::function<WindowHandle(const std::string&, const std::string&)> hook;
  {
    std::lock_guard lock(HooksMutex());
    hook = Hooks().findTopLevel;
  }
  return hook ? hook(className, title) : 0;
}
