#pragma once
// Names and version of the computer the program runs on.
#include <string>

namespace sysinfo {

// The host name; "" when the system does not give one (the caller substitutes its own text).
std::string ComputerName();
// The login name of the user running the program (account entry, else $USER); "" when unknown.
std::string UserName();
// The program behaves as on the Windows generation whose major version number is 10.
inline constexpr int kOsMajorVersion = 10;
constexpr int OsMajorVersion() { return kOsMajorVersion; }

}  // namespace sysinfo
