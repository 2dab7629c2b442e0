#include "platform/db/SqlText.h"

namespace ibdb {

SqlSkip SkipQuotedOrComment(std::string_view sql, size_t at) {
  const size_t n = sql.size();
  if (at >= n) return {SqlPiece::None, at};
  const char c = sql[at];
  if (c == '\'' || c == '"') {
    size_t j = at + 1;
    while (j < n) {
      if (sql[j] == c) {
        if (j + 1 < n && sql[j + 1] == c) {
          j += 2;
          continue;
        }
        ++j;
        break;
      }
      ++j;
    }
    return {SqlPiece::Quoted, j};
  }
  if (c == '-' && at + 1 < n && sql[at + 1] == '-') {
    const size_t j = sql.find('\n', at);
    return {SqlPiece::LineComment, j == std::string_view::npos ? n : j};
  }
  if (c == '/' && at + 1 < n && sql[at + 1] == '*') {
    const size_t j = sql.find("*/", at + 2);
    return {SqlPiece::BlockComment, j == std::string_view::npos ? n : j + 2};
  }
  return {SqlPiece::None, at};
}

}  // namespace ibdb
