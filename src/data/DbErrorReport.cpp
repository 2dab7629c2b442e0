#include "data/DbErrorReport.h"

#include <string_view>

void ShowErrorDetail(const std::string& message, const std::string& detail, uis::MsgKind kind) {
  if (message.empty() && detail.empty()) return;
  std::string text = message;
  if (!detail.empty()) text += "\r\r[詳細情報]\r" + detail;
  uis::ShowMessage(kind, text);
}

void ShowMessageLines(const std::string& message, uis::MsgKind kind) {
  // Split at every comma, with no limit on the number of parts and no comment rule: the
  // messages carry paths, and "//" in a path must not cut the rest of the message away.
  std::string text;
  std::string_view rest = message;
  for (;;) {
    const std::size_t comma = rest.find(',');
    text += rest.substr(0, comma);
    if (comma == std::string_view::npos) break;
    text += '\r';
    rest.remove_prefix(comma + 1);
  }
  uis::ShowMessage(kind, text);
}
