#include "platform/TextLines.h"

namespace textlines {

std::vector<std::string> Split(std::string_view text) {
  std::vector<std::string> lines;
  std::string_view::size_type start = 0;
  for (;;) {
    const auto end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) break;
    lines.emplace_back(text.substr(start, end - start));
    start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
  }
  lines.emplace_back(text.substr(start));
  return lines;
}

std::vector<std::string> FromText(std::string_view text) {
  std::vector<std::string> lines = Split(text);
  if (lines.back().empty()) lines.pop_back();
  return lines;
}

std::string ToText(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

}  // namespace textlines
