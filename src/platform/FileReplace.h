#pragma once
// Replacing a file whole. The new content is written to a temporary file in the target's
// folder, flushed to the disk, given the target's permissions and renamed over the target, so
// that a reader, a crash or a killed writer leaves the old file or the new one, never a mix.
// On any failure the temporary file is removed and the target is left as it was.
//
// Temporary names are short and of fixed length, ".~<8 hex digits>.<6 characters>.tmp": the
// hex digits are a hash of the target's file name, the rest is random. So every name the file
// system accepts as a target can be replaced, and the next replacement of a target finds the
// leftovers of earlier writers of it. A writer holds an flock on its temporary file while it
// works; a leftover whose lock is free belongs to a writer that died, and is removed.
//
// The target path is taken as it is: a symbolic link under that name is replaced by the file.
// Callers that mean the file a link points to resolve the path first.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace filereplace {

// Where a replacement failed.
enum class Step {
  None,
  Create,   // the temporary file could not be made (folder missing, not writable, ...)
  Write,    // writing, setting the permissions or flushing failed
  Replace,  // the rename over the target failed (a folder under that name, ...)
};

struct Result {
  int error = 0;  // an errno value; 0 when the target was replaced
  Step step = Step::None;
  explicit operator bool() const { return error == 0; }
};

// What a content function writes to. Each call writes everything or fails; 0 or an errno value.
class Sink {
 public:
  int Write(const void* data, std::size_t size);
  int Write(std::string_view bytes) { return Write(bytes.data(), bytes.size()); }
  int WriteAt(const void* data, std::size_t size, std::int64_t offset);
  // The open temporary file, for what the calls above do not cover (ftruncate, futimens).
  int Fd() const { return fd_; }

 private:
  friend struct SinkAccess;
  Sink(int fd, const std::string& target) : fd_(fd), target_(target) {}
  int fd_;
  const std::string& target_;
  bool reported_ = false;
};

struct Options {
  // Permission bits of the new file. -1: those of the existing target, or for a new target
  // 0666 less the umask.
  int mode = -1;
};

// Replaces the target with the bytes.
Result Replace(const std::string& target, std::string_view bytes, const Options& options = {});
// Replaces the target with what `content` writes; it returns 0 or an errno value, which fails
// the replacement (Step::Write). An exception from it is passed on, the target left as it was.
Result Replace(const std::string& target, const std::function<int(Sink&)>& content, const Options& options = {});
// Replaces the target with a symbolic link holding `linkText`.
Result ReplaceWithLink(const std::string& target, const std::string& linkText);

// True for a name of the form the temporary files above have.
bool IsTemporaryName(std::string_view fileName);

// For tests: a hook called at fixed points of every replacement in this process, so that a test
// can count replacements or end a (forked) writer there. Empty to remove.
enum class Stage {
  TempCreated,  // the temporary file exists and is locked, nothing written yet
  PartWritten,  // part of the content is written
  Synced,       // all of it is written and flushed, the target is still the old file
  Renamed,      // the target is the new file
};
void SetStageHook(std::function<void(Stage, const std::string& target)> hook);

}  // namespace filereplace
