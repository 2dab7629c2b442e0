// File tests on data folders by connection mode.
#include <filesystem>

#include "data/DataModule.h"
#include "platform/Paths.h"

bool TDM::FExist(const std::string& path, uint8_t mode) {
  if (mode != 0) return false;
  const std::string local = ResolvePath(path);
  std::error_code ec;
  return !local.empty() && std::filesystem::is_regular_file(local, ec);
}

void TDM::ShortFileName(const std::string& path, uint8_t mode, std::string& shortPath) {
  shortPath.clear();
  if (mode == 1 || mode == 2) {
    shortPath = path;
    return;
  }
  if (mode != 0) return;
  shortPath = path;
  const std::string local = ResolvePath(path);
  std::error_code ec;
  if (local.empty() || !std::filesystem::exists(local, ec)) return;
  const std::filesystem::path canonical = std::filesystem::canonical(local, ec);
  if (!ec) shortPath = canonical.string();
}
