#include "platform/SystemInfo.h"

#include <pwd.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

namespace sysinfo {

std::string ComputerName() {
  char buf[HOST_NAME_MAX + 1] = {};
  if (gethostname(buf, sizeof buf - 1) != 0) return {};
  return buf;
}

std::string UserName() {
  if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name && *pw->pw_name) return pw->pw_name;
  const char* user = std::getenv("USER");
  return user ? user : "";
}

}  // namespace sysinfo
