#include "data/FrameworkHooks.h"

std::function<void(int32_t)> DataReopenHook;
std::function<void(int32_t, const std::string&, int32_t, const std::string&)> DataCaptionHook;
std::function<void(int32_t, int32_t)> DataMenuHook;
