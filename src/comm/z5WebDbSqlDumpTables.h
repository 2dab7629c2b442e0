#pragma once
// The tables of the cloud dump, as data. Each entry names what is read and how each value of a
// row is written; the writer (z5WebDbSqlDump.cpp) interprets the entries one after the other.
//
// Value notation, comma-separated, one item per written value:
//   NAME          the column's bare text
//   'NAME'        the column's text quoted
//   NAME:CLASS    the column in the form of CLASS (STR, DATETIME, DATE, INT, FLOAT, DOUBLE, CURR)
//   =TEXT         TEXT written as it stands (a constant)
//   ''            an empty quoted text
//   #RUN          the running number of the row, from 1
//   #FY2, #FY1    the start of the fiscal year two years back / of the previous year, quoted
//   #CTYPE1       CTYPE1 mapped to a chart kind
//   #COLOR(COL)   the colour in COL as red × 65536 + green × 256 + blue
//   #WHOLE(COL)   COL's text read as a whole number, 0 when it is not one
// Read-as rules ("COL=expr;COL=expr") replace a column by an SQL expression under the named
// condition; the written value then comes from the expression.
#include <span>

enum class TDumpWhen { kAlways, kFrom802, kMedical };
// Tables whose block has more to it than the rows of one query.
enum class TDumpKind { Rows, AccReg, AccVersion, ChartInf, KihonRule };

struct TDumpTable {
  const char* name;
  const char* source;      // the company table read; empty: the same name
  const char* where;       // the condition of the query; empty: every row
  const char* order;       // ORDER BY columns
  const char* values;      // the values of one row (notation above)
  const char* head;        // the statement head; empty: "INSERT INTO <name> VALUES"
  bool large;              // statements of at most 100 rows
  TDumpWhen when;
  TDumpKind kind;
  const char* notMedical;  // read-as rules for data other than medical
  const char* before802;   // read-as rules for data before version 8.0.2
  const char* always;      // read-as rules for every data set
};

// The 46 tables in the order of the script.
std::span<const TDumpTable> DumpTables();
