#include "comm/z5WebDbSqlDump.h"

// Interface first; the writing follows.
struct TWebDbSqlDump::Writer {};

TWebDbSqlDump::TWebDbSqlDump() = default;
TWebDbSqlDump::~TWebDbSqlDump() = default;
bool TWebDbSqlDump::WriteDump() { return false; }
std::string TWebDbSqlDump::FormatFieldValue(const std::string&, std::string_view) const { return "NULL"; }
std::string TWebDbSqlDump::FormatValue(const TIBField&, std::string_view) { return "NULL"; }
std::string TWebDbSqlDump::Quote(std::string_view t) { return "'" + std::string(t) + "'"; }
std::string TWebDbSqlDump::BareText(const TIBField&) { return ""; }
std::string TWebDbSqlDump::FormatDumpDate(std::string_view, TDateTime) { return "'0000-00-00'"; }
