// File and folder operations on data folders by connection mode: local calls in mode 0, the
// database server's file procedures of the system database in modes 1 and 2.
#include <filesystem>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccFunction2Win.h"
#include "data/uAccShellOp.h"
#include "platform/AsciiCase.h"
#include "platform/Paths.h"
#include "platform/db/TransactionScope.h"

namespace {

bool Blank(const std::string& s) { return s.find_first_not_of(" \t\r\n") == std::string::npos; }

bool LocalFile(const std::string& path) {
  const std::string local = ResolvePath(path);
  std::error_code ec;
  return !local.empty() && std::filesystem::is_regular_file(local, ec);
}

bool LocalFolder(const std::string& path) {
  const std::string local = ResolvePath(path);
  std::error_code ec;
  return !local.empty() && std::filesystem::is_directory(local, ec);
}

bool ServerMode(uint8_t mode) { return mode == 1 || mode == 2; }

// Connects the system database for one call and leaves it as it was found.
class DefConnection {
 public:
  // A failed connection is reported by the connect itself; Connected() is then false.
  explicit DefConnection(TDM& dm) : dm_(dm), wasConnected_(dm.IBDatabaseDEF.Connected()) {
    if (!wasConnected_) dm_.fnAccDefConnected(SystemDef.HostName, true);
  }
  bool Connected() const { return dm_.IBDatabaseDEF.Connected(); }
  ~DefConnection() {
    if (!wasConnected_ && dm_.IBDatabaseDEF.Connected()) {
      try {
        dm_.IBDatabaseDEF.Close();
      } catch (const std::exception&) {
        dm_.IBDatabaseDEF.ForceClose();
      }
    }
  }
  DefConnection(const DefConnection&) = delete;
  DefConnection& operator=(const DefConnection&) = delete;

 private:
  TDM& dm_;
  bool wasConnected_;
};

}  // namespace

bool TDM::ServerFileOperation(const std::string& name, const std::string& path1, const std::string& path2) {
  const std::string op = ascii::Upper(name);
  const bool fileOp = op == "FEXIST" || op == "FCOPY" || op == "FDEL";
  const bool dirOp = op == "DEXIST" || op == "MKDIR" || op == "RMDIR";
  if (!fileOp && !dirOp) return false;
  if (Blank(path1)) return false;
  if (op == "FCOPY" && Blank(path2)) return false;

  const std::string message = "サーバーへのファイル操作(" + op + ")に失敗しました。";
  try {
    DefConnection def(*this);
    if (!def.Connected()) return false;
    TTransactionScope tx(IBTransactionDEF);
    TIBSQL& q = IBSQLDEF;
    q.Close();
    if (fileOp) {
      q.SQL = "SELECT WBOOL FROM FILEOPERATION(:MODE,:FILEPATH1,:FILEPATH2)";
      q.ParamByName("MODE").SetString(op);
      q.ParamByName("FILEPATH1").SetString(path1);
      q.ParamByName("FILEPATH2").SetString(op == "FCOPY" ? path2 : "");
    } else {
      q.SQL = "SELECT WBOOL FROM DIRECTORYTEST(:MODE,:FILEPATH1)";
      q.ParamByName("MODE").SetString(op);
      q.ParamByName("FILEPATH1").SetString(path1);
    }
    q.ExecQuery();
    const bool result = !q.Eof() && q.FieldByName("WBOOL").AsInteger() == 1;
    q.Close();
    tx.Commit();
    return result;
  } catch (const std::exception& e) {
    IBSQLDEF.Close();
    ReportFailure(e, "TDM.ServerFileOperation", message, true);
    return false;
  }
}

void TDM::ServerLongToShortFileName(const std::string& path, std::string& shortPath) {
  shortPath.clear();
  if (Blank(path)) return;
  try {
    DefConnection def(*this);
    if (!def.Connected()) return;
    TTransactionScope tx(IBTransactionDEF);
    TIBSQL& q = IBSQLDEF;
    q.Close();
    q.SQL = "SELECT SHORTNAME FROM LONGTOSHORTFILENAME(:LONGNAME)";
    q.ParamByName("LONGNAME").SetString(path);
    q.ExecQuery();
    std::string result = q.Eof() ? std::string() : q.FieldByName("SHORTNAME").AsString();
    q.Close();
    tx.Commit();
    shortPath = result;
  } catch (const std::exception& e) {
    IBSQLDEF.Close();
    shortPath.clear();
    ReportFailure(e, "TDM.ServerLongToShortFileName", "サーバーからのファイル名の変換(LongToShort)に失敗しました。", true);
  }
}

bool TDM::FExist(const std::string& path, uint8_t mode) {
  if (mode == 0) return LocalFile(path);
  return ServerMode(mode) && ServerFileOperation("FExist", path, "");
}

bool TDM::DExist(const std::string& path, uint8_t mode) {
  if (mode == 0) return LocalFolder(path);
  return ServerMode(mode) && ServerFileOperation("DExist", path, "");
}

bool TDM::MkDir(const std::string& path, uint8_t mode) {
  if (mode == 0) return ForceDirectory(path);
  return ServerMode(mode) && ServerFileOperation("MkDir", path, "");
}

bool TDM::RmDir(const std::string& path, uint8_t mode, uint8_t option) {
  if (mode == 0) return SafeDeleteFiles(path, soDelete, option != 0, true);
  return ServerMode(mode) && ServerFileOperation("RmDir", path, "");
}

bool TDM::FDel(const std::string& path, uint8_t mode, uint8_t option) {
  if (mode == 0) return SafeDeleteFiles(path, soDelete, option != 0, false);
  return ServerMode(mode) && ServerFileOperation("FDel", path, "");
}

bool TDM::FMove(const std::string& source, const std::string& target, uint8_t mode) {
  if (mode == 0) {
    std::error_code ec;
    std::filesystem::rename(ResolvePath(source), ResolvePath(target), ec);
    return !ec;
  }
  if (!ServerMode(mode)) return false;
  // The source goes only once its copy is complete.
  if (!ServerFileOperation("FCopy", source, target)) return false;
  return ServerFileOperation("FDel", source, "");
}

bool TDM::FCopy(const std::string& source, const std::string& target, uint8_t mode) {
  if (mode == 0) return SafeCopyMoveFiles(source, target, soCopy);
  return ServerMode(mode) && ServerFileOperation("FCopy", source, target);
}

void TDM::ShortFileName(const std::string& path, uint8_t mode, std::string& shortPath) {
  shortPath.clear();
  if (ServerMode(mode)) {
    ServerLongToShortFileName(path, shortPath);
    return;
  }
  if (mode != 0) return;
  shortPath = path;
  const std::string local = ResolvePath(path);
  std::error_code ec;
  if (local.empty() || !std::filesystem::exists(local, ec)) return;
  const std::filesystem::path canonical = std::filesystem::canonical(local, ec);
  if (!ec) shortPath = canonical.string();
}
