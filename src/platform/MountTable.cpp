#include "platform/MountTable.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace mounts {
namespace {

// Undoes the octal escapes of the kernel's table (\040 for a blank and so on).
std::string Unescape(std::string_view field) {
  const auto isOctal = [](char c) { return c >= '0' && c <= '7'; };
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && isOctal(field[i + 1]) && isOctal(field[i + 2]) &&
        isOctal(field[i + 3])) {
      out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
      i += 3;
      continue;
    }
    out += field[i];
  }
  return out;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::string MountTableFile() {
  const char* v = std::getenv("RENDO_MOUNTS");
  return v && *v ? std::string(v) : std::string("/proc/self/mounts");
}

std::vector<MountEntry> ParseMountTable(std::string_view text) {
  std::vector<MountEntry> table;
  while (!text.empty()) {
    std::size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < line.size() && fields.size() < 3) {
      while (i < line.size() && IsBlank(line[i])) ++i;
      std::size_t start = i;
      while (i < line.size() && !IsBlank(line[i])) ++i;
      if (i > start) fields.push_back(line.substr(start, i - start));
    }
    if (fields.size() < 3 || fields[0].front() == '#') continue;
    table.push_back({Unescape(fields[0]), Unescape(fields[1]), Unescape(fields[2])});
  }
  return table;
}

std::vector<MountEntry> ReadMountTable() {
  std::ifstream in(MountTableFile(), std::ios::binary);
  if (!in) return {};
  std::ostringstream text;
  text << in.rdbuf();
  return ParseMountTable(text.str());
}

std::optional<MountEntry> MountOf(const std::vector<MountEntry>& table, std::string_view path) {
  const MountEntry* best = nullptr;
  for (const MountEntry& m : table) {
    std::string_view target = m.target;
    while (target.size() > 1 && target.back() == '/') target.remove_suffix(1);
    bool holds = target == "/" ? !path.empty() && path.front() == '/'
                               : path.substr(0, target.size()) == target &&
                                     (path.size() == target.size() || path[target.size()] == '/');
    if (holds && (!best || target.size() >= std::string_view(best->target).size())) best = &m;
  }
  if (!best) return std::nullopt;
  return *best;
}

bool IsNetworkType(std::string_view type) {
  for (std::string_view t : {"cifs", "smb3", "smbfs", "nfs", "nfs4", "sshfs", "fuse.sshfs"})
    if (type == t) return true;
  return false;
}

std::string ServerPath(const MountEntry& mount, std::string_view rest) {
  std::string base;
  const std::string& src = mount.source;
  if (src.rfind("//", 0) == 0) {
    base = src;
  } else if (std::size_t colon = src.find(':'); colon != std::string::npos) {
    std::string host = src.substr(0, colon);
    if (std::size_t at = host.rfind('@'); at != std::string::npos) host.erase(0, at + 1);
    std::string path = src.substr(colon + 1);
    while (!path.empty() && path.front() == '/') path.erase(0, 1);
    base = "//" + host + (path.empty() ? "" : "/" + path);
  } else {
    base = src;
  }
  while (base.size() > 2 && base.back() == '/') base.pop_back();
  while (!rest.empty() && rest.front() == '/') rest.remove_prefix(1);
  return rest.empty() ? base : base + "/" + std::string(rest);
}

}  // namespace mounts
