#include "support/BuiltPrograms.h"

#include <stdexcept>

std::filesystem::path BuiltProgram(const std::string& relativeToTests) {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) throw std::runtime_error("BuiltProgram: the test executable cannot be found");
  return (exe.parent_path() / relativeToTests).lexically_normal();
}
