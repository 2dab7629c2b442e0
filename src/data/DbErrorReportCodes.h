#pragma once
// Japanese explanations of Firebird status codes, as the database error reporter writes them
// to its log and shows them in the detail block of an error message.
#include <span>
#include <string>

struct TDbErrorCodeRow {
  int Code;          // Firebird status code (isc_...)
  const char* Text;  // UTF-8; placeholders <long> and <""> stay unfilled
};

// The explanation of a status code; " " for a code without one. Two codes have an explanation
// only together with one SQL code (335544788 with -901, 336330817 with -902).
std::string DbErrorCodeText(int ibErrorCode, int sqlCode);

// Every row of the table, sorted by code.
std::span<const TDbErrorCodeRow> DbErrorCodeRows();
