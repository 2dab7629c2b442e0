#pragma once
// Runs an SQL script (schema files, fixtures, tools) against an open database.
//
// Statements end with ";" or with the terminator set by "SET TERM x ;" (needed around PSQL
// bodies); "--" and "/* */" comments and string literals may hold the terminator. Each
// statement that changes metadata is committed at once; "COMMIT" and "ROLLBACK" in the
// script end the work so far; other isql settings ("SET NAMES", "SET SQL DIALECT" ...) are
// skipped. The rest is committed at the end; a failing statement rolls back what was not
// committed and raises EIBError naming its line.
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/IBDatabase.h"

struct TScriptStatement {
  std::string text;  // the statement without its terminator
  int line = 1;      // line of its first character
};

// Splits a script; "SET TERM" statements are applied and left out.
std::vector<TScriptStatement> SplitSqlScript(std::string_view script);

class TIBScript {
 public:
  TIBDatabase* Database = nullptr;
  std::string Script;  // UTF-8

  void ExecuteScript();
};
