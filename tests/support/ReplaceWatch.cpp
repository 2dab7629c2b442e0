#include "support/ReplaceWatch.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <exception>

namespace {
constexpr int kKilled = 77;
constexpr int kThrew = 78;
}  // namespace

ReplaceRecorder::ReplaceRecorder() {
  filereplace::SetStageHook([this](filereplace::Stage stage, const std::string& target) {
    if (stage == filereplace::Stage::Renamed) replaced_.push_back(target);
  });
}

ReplaceRecorder::~ReplaceRecorder() { filereplace::SetStageHook(nullptr); }

ChildEnd RunKilledAt(filereplace::Stage stage, const std::function<void()>& write) {
  const pid_t pid = fork();
  if (pid < 0) return ChildEnd::Failed;
  if (pid == 0) {
    filereplace::SetStageHook([stage](filereplace::Stage reached, const std::string&) {
      if (reached == stage) _exit(kKilled);
    });
    try {
      write();
    } catch (const std::exception&) {
      _exit(kThrew);
    }
    _exit(0);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return ChildEnd::Failed;
  if (!WIFEXITED(status)) return ChildEnd::Failed;
  return WEXITSTATUS(status) == kKilled ? ChildEnd::Killed : WEXITSTATUS(status) == 0 ? ChildEnd::Finished : ChildEnd::Failed;
}

std::vector<std::string> TemporaryFiles(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    if (filereplace::IsTemporaryName(e.path().filename().string())) names.push_back(e.path().filename().string());
  return names;
}
