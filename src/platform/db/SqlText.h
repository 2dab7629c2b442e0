#pragma once
// The pieces of an SQL text in which nothing counts as syntax: string literals, quoted names
// and comments. The statement parser (":NAME" parameters) and the script splitter
// (terminators) both step over them with this one scanner.
#include <cstddef>
#include <string_view>

namespace ibdb {

enum class SqlPiece {
  None,          // no such piece starts here
  Quoted,        // '...' or "...": a doubled quote stays inside; unclosed runs to the end
  LineComment,   // "--" up to, not including, the line break (or the end)
  BlockComment,  // "/* ... */", or to the end when unclosed
};

struct SqlSkip {
  SqlPiece piece = SqlPiece::None;
  size_t end = 0;  // just past the piece; the start itself for None
};

// The piece that starts at `at` in `sql`.
SqlSkip SkipQuotedOrComment(std::string_view sql, size_t at);

}  // namespace ibdb
