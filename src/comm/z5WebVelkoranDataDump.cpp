#include "comm/z5WebVelkoranDataDump.h"

// Interface only for now: the upload is being written; until then every upload fails with the
// status of a script that could not be written.
struct TFtpWebDbSqlDump::Impl {};

TFtpWebDbSqlDump::TFtpWebDbSqlDump() : impl_(std::make_unique<Impl>()) {}
TFtpWebDbSqlDump::~TFtpWebDbSqlDump() = default;

std::string TFtpWebDbSqlDump::UploadDump(const std::string&, int) { return "811"; }

std::string TFtpWebDbSqlDump::StatusText(const std::string&) { return "原因不明のエラー発生"; }
