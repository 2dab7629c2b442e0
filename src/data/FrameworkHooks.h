#pragma once
// Hooks that a host program may install around the company data, and the processing log
// that jobs hand back to their caller.
//
// The hooks are called only when installed; this program installs none of them.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// After the company data was reconnected (argument 0).
extern std::function<void(int32_t)> DataReopenHook;
// The caption lines of the open data: line kind 0 or 1, text, company kind value, text.
extern std::function<void(int32_t, const std::string&, int32_t, const std::string&)> DataCaptionHook;
// The data menu: kind 0 or 1, and 0.
extern std::function<void(int32_t, int32_t)> DataMenuHook;

// One entry of a processing log.
struct TLomatraSyoriInfo {
  std::string Name;
  uint8_t Kind = 0;  // 0 none, 1 information, 2 warning, 3 error
  int32_t Result = 0;
  std::string Text;
};
using TLomatraSyoriLog = std::vector<TLomatraSyoriInfo>;
