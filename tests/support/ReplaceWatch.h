#pragma once
// Watching file replacements (platform/FileReplace.h) in tests: recording them, ending a writer
// at a point of one as a kill would, and finding the temporary files left in a folder.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/FileReplace.h"

// Records the target of every replacement completed in this process while it lives.
class ReplaceRecorder {
 public:
  ReplaceRecorder();
  ~ReplaceRecorder();
  ReplaceRecorder(const ReplaceRecorder&) = delete;
  ReplaceRecorder& operator=(const ReplaceRecorder&) = delete;
  const std::vector<std::string>& Replaced() const { return replaced_; }
  void Clear() { replaced_.clear(); }

 private:
  std::vector<std::string> replaced_;
};

enum class ChildEnd { Killed, Finished, Failed };
// Runs `write` in a forked child that ends at once (_exit: no clean-up of any kind) when a file
// replacement reaches `stage`. Killed when it ended there; Finished when `write` returned before;
// Failed when `write` threw or no child could be run.
ChildEnd RunKilledAt(filereplace::Stage stage, const std::function<void()>& write);

// The names of the temporary files of replacements in the folder.
std::vector<std::string> TemporaryFiles(const std::filesystem::path& folder);
