#include "platform/db/IBScript.h"

#include <cctype>

#include "platform/AsciiCase.h"
#include "platform/db/FbClient.h"
#include "platform/db/IBSQL.h"
#include "platform/db/SqlText.h"

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

std::string TrimBoth(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsSpace(s[b])) ++b;
  while (e > b && IsSpace(s[e - 1])) --e;
  return std::string(s.substr(b, e - b));
}

// The words of a statement without comments, upper case.
std::vector<std::string> Words(std::string_view bare, size_t most) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < bare.size() && words.size() < most) {
    while (i < bare.size() && IsSpace(bare[i])) ++i;
    size_t j = i;
    while (j < bare.size() && !IsSpace(bare[j])) ++j;
    if (j > i) words.push_back(ascii::Upper(bare.substr(i, j - i)));
    i = j;
  }
  return words;
}

bool StartsWithAt(std::string_view s, size_t at, std::string_view what) {
  return !what.empty() && s.size() - at >= what.size() && s.compare(at, what.size(), what) == 0;
}

}  // namespace

std::vector<TScriptStatement> SplitSqlScript(std::string_view script) {
  std::vector<TScriptStatement> out;
  std::string term = ";";
  std::string text, bare;  // the statement, and the same without comments
  int line = 1, startLine = 1;
  size_t i = 0;
  const size_t n = script.size();

  auto finish = [&]() {
    std::string body = TrimBoth(text);
    std::string plain = TrimBoth(bare);
    if (!plain.empty()) {
      std::vector<std::string> w = Words(plain, 2);
      if (w.size() == 2 && w[0] == "SET" && w[1] == "TERM") {
        std::string rest = TrimBoth(std::string_view(plain).substr(plain.find_first_of(" \t\r\n") + 1));
        rest = TrimBoth(std::string_view(rest).substr(4));  // after "TERM"
        if (!rest.empty()) term = rest;
      } else {
        out.push_back(TScriptStatement{body, startLine});
      }
    }
    text.clear();
    bare.clear();
  };

  while (i < n) {
    char c = script[i];
    if (text.empty() && !IsSpace(c)) startLine = line;
    const ibdb::SqlSkip skip = ibdb::SkipQuotedOrComment(script, i);
    if (skip.piece != ibdb::SqlPiece::None) {
      const std::string_view piece = script.substr(i, skip.end - i);
      for (char k : piece)
        if (k == '\n') ++line;
      if (skip.piece == ibdb::SqlPiece::Quoted) {
        text.append(piece);
        bare.append(piece);
      } else {
        // A comment stays in the statement's text once it has begun, and separates words.
        if (!text.empty()) text.append(piece);
        bare += ' ';
      }
      i = skip.end;
      continue;
    }
    if (StartsWithAt(script, i, term)) {
      i += term.size();  // before finish(), which may change the terminator
      finish();
      continue;
    }
    if (c == '\n') ++line;
    if (!text.empty() || !IsSpace(c)) text += c;
    bare += c;
    ++i;
  }
  finish();
  return out;
}

void TIBScript::ExecuteScript() {
  if (!Database || !Database->Connected()) throw EIBError("Database not open");
  std::vector<TScriptStatement> statements = SplitSqlScript(Script);
  TIBTransaction tr;
  tr.SetDefaultDatabase(Database);
  TIBSQL sql;
  sql.SetDatabase(Database);
  sql.SetTransaction(&tr);
  sql.ParamCheck = false;  // ":" in PSQL bodies names variables
  tr.StartTransaction();
  for (const TScriptStatement& s : statements) {
    std::vector<std::string> w = Words(s.text, 2);
    const std::string first = w.empty() ? "" : w[0];
    const std::string second = w.size() > 1 ? w[1] : "";
    try {
      if (first == "COMMIT") {
        tr.Commit();
        tr.StartTransaction();
        continue;
      }
      if (first == "ROLLBACK" && (second.empty() || second == "WORK")) {
        tr.Rollback();
        tr.StartTransaction();
        continue;
      }
      if (first == "SET" && (second == "NAMES" || second == "SQL" || second == "AUTODDL" || second == "ECHO" ||
                             second == "LIST" || second == "STATS" || second == "COUNT" || second == "PLAN" ||
                             second == "PLANONLY" || second == "WARNINGS" || second == "WNG" || second == "BAIL" ||
                             second == "HEADING" || second == "BLOBDISPLAY" || second == "BLOB" || second == "TIME" ||
                             second == "WIDTH" || second == "ROWCOUNT"))
        continue;
      if ((first == "CREATE" && second == "DATABASE") || first == "CONNECT")
        throw EIBError("A script runs against an open database; \"" + first + "\" is not supported");
      sql.SQL = s.text;
      sql.ExecQuery();
      bool ddl = sql.IsDDL();
      sql.Close();
      if (ddl) {
        tr.Commit();
        tr.StartTransaction();
      }
    } catch (const EIBError& e) {
      try {
        if (tr.InTransaction()) tr.Rollback();
      } catch (const EIBError&) {
      }
      throw EIBError(e.IBErrorCode, e.SQLCode, e.Message + "\n(script line " + std::to_string(s.line) + ")");
    }
  }
  tr.Commit();
}
