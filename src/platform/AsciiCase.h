#pragma once
// Letter case of ASCII only. Names, keys and paths that the program compares without regard to
// case compare this way: every other byte (the bytes of CP932 and UTF-8 characters included)
// stays as it is, whatever the process locale says.
#include <string>
#include <string_view>

namespace ascii {

std::string Upper(std::string_view text);
std::string Lower(std::string_view text);
// Equal when the texts differ at most in the case of ASCII letters.
bool SameText(std::string_view a, std::string_view b);

}  // namespace ascii
