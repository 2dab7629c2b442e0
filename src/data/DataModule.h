#pragma once
// The data module: every long-lived database object of the program, and the operations on the
// connections. One instance, DM, created at start-up before the logon and destroyed at the end.
//
// Three databases:
//   - the system database (qvaccdef.fdb: operators, data list, per-operator settings, eras),
//     IBDatabaseDEF with IBTransactionDEF;
//   - the company database of the selected data set (qvacc.fdb), IBDatabaseDAT with the
//     read-committed IBTransactionDAT and the snapshot IBTransactionDATSS;
//   - the file-manager database (qvfileman.fdb) for transfers to and from a database server.
//
// Database names: "folder/file" for this computer; "host:folder/file" for a database server
// in connection modes 1 and 2 (host "127.0.0.1" stands for this computer there). A local
// folder in drive form ("Z:/data/1") is resolved through the drive table; a server folder is
// the server's own path and is passed as it is.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/uAccFunctionDb.h"
#include "data/uAccRecord.h"
#include "platform/db/IBDatabase.h"
#include "platform/db/IBQuery.h"
#include "platform/db/IBSQL.h"
#include "platform/db/IBServices.h"

// The data-check hook, installed by the application at start-up and cleared at its end:
// validates the data set in `folder` (on `host`) and marks it broken in the data list when
// the validation fails. `quiet` non-zero: no messages. `result` 0 means the data set failed.
using TDataCheckHook =
    std::function<void(const std::string& host, const std::string& folder, int32_t quiet, int32_t& result)>;
extern TDataCheckHook DataCheckHook;

// What a disconnection with refresh writes into the data-list row of the folder. The data-list
// layer (installed as DataListRefreshHook) selects the table by DataPlaceRec under ConnectMode,
// reads the row by its folder name, overwrites exactly these columns, sets the row's group to
// GroupId and writes the row back with its other columns unchanged.
struct TDataListRefreshRec {
  std::string Folder;      // PASNAME of the row
  uint8_t ConnectMode = 0;
  int32_t DataPlaceRec = 0;
  int32_t GroupId = 0;
  std::string DATACODE;    // the company's SCODE1
  std::string SHOUGOU;
  int32_t NENDO = 0;
  TDateTime KISHU = 0;     // 0 when the descriptor's text was unreadable
  TDateTime KIMATU = 0;
  int32_t DATATYPE = 0;
  int32_t CODETYPE = 0;
  int32_t TANTOU = 0;
  int32_t VER_MAJOR = 0;
  int32_t VER_MINOR1 = 0;
  int32_t VER_MINOR2 = 0;
  std::string VER_TEXT;
  uint8_t GASSAN = 0;
};
using TDataListRefreshHook = std::function<void(const TDataListRefreshRec&)>;
extern TDataListRefreshHook DataListRefreshHook;

// The file name of the file-manager database.
inline constexpr const char* kFileManDbFile = "qvfileman.fdb";

class TDM {
 public:
  TDM();
  ~TDM();
  TDM(const TDM&) = delete;
  TDM& operator=(const TDM&) = delete;

  // System database.
  TIBDatabase IBDatabaseDEF;
  TIBTransaction IBTransactionDEF;
  // Company database.
  TIBDatabase IBDatabaseDAT;
  TIBTransaction IBTransactionDAT;
  TIBTransaction IBTransactionDATSS;
  // File-manager database.
  TIBDatabase IBFileMan;
  TIBTransaction IBTransFileMan;

  // Shared statements of the system database.
  TIBQuery IBQSysDefGet;
  TIBQuery IBQSysDefPut;
  TIBQuery QueryDef;
  TIBSQL IBSQLDEF;
  // Shared statements of the company database.
  TIBQuery IBQACC1;
  TIBQuery IBQACC2;
  // Statements of the file-manager database.
  TIBQuery IBQueryFileMan;
  TIBSQL IBSQLFileMan;

  // Services (engine of this computer until a caller names a server).
  TIBBackupService IBBackupService1;
  TIBRestoreService IBRestoreService1;
  TIBValidationService IBValidationService1;

  // --- names and parameters ---
  // The database name by the connection rule: "host:folder/file" when mode is not 0 and the
  // host is not exactly "127.0.0.1", else the local "folder/file".
  static std::string DatabaseName(uint8_t connectMode, const std::string& host, const std::string& folder,
                                  const std::string& file);
  // The three connection parameters, in order: user, password, character set.
  static std::vector<std::string> ConnectParams();

  // --- connections ---
  // An empty Host stands for SystemDef.HostName, an empty Folder for SystemDef.DataDir.
  //
  // Connects the system database in SysDir; true at once when it is connected. Report false
  // passes a failure on as an exception; true reports it and gives false.
  bool fnAccDefConnected(std::string Host, bool Report);
  // Connects the file-manager database when its file exists; false on any failure, silently.
  bool ConnectFileManDb(std::string Host);
  // Connects the company database of the folder afresh (a connection open before is closed
  // first). With Mark in connection mode 0 the settings file records "in use" (status 2) with
  // the operator. A failure is reported and gives false with the database disconnected; unless
  // the file could not be reached at all (I/O error), the data-check hook then runs, quietly.
  bool fnAccDatConnected(std::string Host, std::string Folder, bool Mark);
  // With Mark (mode 0) the settings file records "closed" (status 1); with Refresh the data-list
  // row of the folder is rewritten through DataListRefreshHook. Then the company database is
  // disconnected and its parameters cleared (so a lost connection is no longer reconnected).
  // Always 1; failures of the settings file pass on as exceptions.
  int32_t AccDatDisconnect(std::string Folder, bool Mark, bool Refresh);
  // True when the server lists the folder's system database (Kind 0) or company database
  // (Kind 1) as attached. Unless Keep, the module's own connection to it is closed for the
  // question (so it does not count) and opened again afterwards.
  // The engine of this computer (mode 0, or host "127.0.0.1") can only list the connections
  // of this process: another program holding the file is not seen here. (Such a program holds
  // the file exclusively, and opening it then fails with an I/O error, 335544344.)
  bool AccDatInConnection(int Kind, std::string Host, std::string Folder, bool Keep);
  // Deletes the company database of the folder. In modes 1 and 2 the name always goes through
  // the server, "127.0.0.1" included.
  bool AccDatDropDatabase(std::string Host, std::string Folder);

  // --- file and folder operations by connection mode ---
  // Mode 0 works on this computer's files; modes 1 and 2 ask the database server through the
  // file procedures of the system database (connected for the call when it is not, and left
  // as it was found); any other mode gives false without doing anything. A server failure is
  // reported and gives false; a server that answers "no" gives false silently.
  bool FExist(const std::string& path, uint8_t mode);
  bool DExist(const std::string& path, uint8_t mode);
  // Mode 0 creates the missing levels too.
  bool MkDir(const std::string& path, uint8_t mode);
  // Mode 0 deletes through the guarded shell delete (errors shown); `option` non-zero sends
  // it to the trash. The server removes the folder with its contents.
  bool RmDir(const std::string& path, uint8_t mode, uint8_t option = 0);
  bool FDel(const std::string& path, uint8_t mode, uint8_t option = 0);
  // Mode 0 renames; on a server a copy, and the source deleted only after a complete copy.
  bool FMove(const std::string& source, const std::string& target, uint8_t mode);
  // Mode 0 copies through the guarded shell copy; the server replaces an existing target.
  bool FCopy(const std::string& source, const std::string& target, uint8_t mode);
  // The name a path has for the engine: in mode 0 an existing local path made canonical
  // (drive form resolved, links followed), else the path itself; in modes 1 and 2 the
  // server's answer (empty on a failure).
  void ShortFileName(const std::string& path, uint8_t mode, std::string& shortPath);
  // One server file procedure: "FEXIST", "FCOPY" (path1 to path2), "FDEL", "DEXIST", "MKDIR"
  // or "RMDIR", in any case. Another name or a blank path: false, no call.
  bool ServerFileOperation(const std::string& name, const std::string& path1, const std::string& path2);
  void ServerLongToShortFileName(const std::string& path, std::string& shortPath);

  // --- backup, restore and validation ---
  // Protocols of the services: TCP to a database server, or the engine of this computer.
  static constexpr int kProtocolTcp = 0;
  static constexpr int kProtocolLocal = 3;
  // The backup tool of the command-line path: a path, or a name looked up in PATH.
  std::string GbakProgram = "gbak";
  // Backs the database up through the backup service (no garbage collection, limbo
  // transactions ignored, this engine's own format). With remote the backup file is a path on
  // the server, written there; otherwise the backup is written beside the database and then
  // renamed to the backup file, so a failure leaves an earlier backup file as it was.
  // Failures are reported and give false.
  bool BackupFDB(int protocol, const std::string& server, bool remote, const std::string& backupFile,
                 const std::string& dbFile);
  // Restores the backup (page size 16384, 4096 buffers; indexes deactivated unless
  // activateIndexes) into a new database beside the target, which replaces the target only
  // when complete: a failed restore leaves the target as it was. A company database is then
  // opened and its operation log (OPINF) emptied; the company database is disconnected
  // afterwards. Failures are reported and give false.
  bool RestoreFDB(int protocol, const std::string& server, bool activateIndexes, const std::string& backupFile,
                  const std::string& dbFile);
  // The same through the backup tool for a database on `host` ("host:file"); host
  // "127.0.0.1" uses the services of this computer instead. The credentials go to the tool in
  // its environment, never on its command line. The backup raises its failures
  // (std::runtime_error with the message for the user); the restore reports them and gives
  // false, and false without a word when the backup file does not exist.
  bool BackupFDBByGbak(int n, const std::string& host, bool remote, const std::string& backupFile,
                       const std::string& dbFile);
  bool RestoreFDBByGbak(int n, const std::string& host, bool activateIndexes, const std::string& backupFile,
                        const std::string& dbFile);
  // Full validation through the validation service, mending nothing: false as soon as it
  // reports anything, or on an error, except that a file the engine cannot open or reach
  // (335544325, 335544344) counts as sound. Shows nothing. A company connection that was
  // open is closed for the check and opened again after it.
  bool ValidateFDB(int protocol, const std::string& server, const std::string& dbFile);

  // --- data check and journal counts ---
  // Runs the data-check hook unless forced is not 1 and the operator's data-check setting is
  // off; 1 when the hook is not run or not installed.
  int32_t CallDataCheckHook(const std::string& host, const std::string& folder, int32_t quiet, int32_t forced);
  int32_t GetYukouSiwakeCount(const std::string& sisetuCode);
  int32_t GetUpDelSiwakeCount(const std::string& sisetuCode);
  int32_t GetSiwakeCount(const std::string& sisetuCode, int32_t& valid, int32_t& changed);
  int32_t GetSiwakeCounts(const std::string& sisetuCode);

  // --- operator settings (system database) ---
  bool fnGetSysDef();
  bool fnPutSysDef();
  void funcGetSysReg(const std::string& name, const std::string& type, TAccValue& value, int32_t opCode,
                     const std::string& def);
  void GetSysReg(const std::string& name, const std::string& type, TAccValue& value, const std::string& def);
  void funcPutSysReg(const std::string& name, const std::string& type, int32_t opCode, const TAccValue& value);
  void PutSysReg(const std::string& name, const std::string& type, const TAccValue& value);
  bool GetSysIni(TSystemIniRec& rec);
  bool SetSysIni(const TSystemIniRec& rec);
  void GetStyleColor(int32_t opCode, const std::string& styleName, std::string& text);
  void PutStyleColor(int32_t opCode, const std::string& styleName, const std::string& text);
  // The STYLECOLOR row of (opCode, styleName) written with the statement given, in the
  // transaction it runs in: updated, or inserted when missing; its colour columns become -1.
  static void WriteStyleColorRow(TIBSQL& q, int32_t opCode, const std::string& styleName, const std::string& text);
  void DeleteLogonInfo();

  // --- era table ---
  // Fills GengoArray from the system database's GENGO table, or with the built-in eras.
  void LoadGengoTable();

  // Accounting information and utilities
  // --- the open company's settings (AccInf) ---
  // Loads AccInf from the connected company database; false after a failure (reported).
  bool fnGetAccInfo();
  // Name of a data type: 1 "法人", 2 "個人", 3 "医療法人"; raises std::runtime_error for others.
  static void GetDataTypeName(int32_t dataType, std::string& name);
  // Name of a code type, with withTypeName prefixed by the data-type name and "／"; raises
  // std::runtime_error for a data type or code type this program does not handle.
  static void GetCodeTypeName(int32_t dataType, int32_t codeType, std::string& name, bool withTypeName);
  // The named column of ACCTOTALNAME for an account group; empty when there is none.
  void fnGetAccTotalName(const std::string& kgroup, const std::string& column, std::string& name);
  // Account code and user code of a standard account (ACCDEF2 name); both empty when unknown.
  void SetSystemCode(const std::string& name, std::string& kcode, std::string& userCode);
  void GetUserCode(const std::string& kcode, std::string& userCode);
  // Loads TUSIN_ID row `rec` into AccInf.TusinHolder/TusinPassword[index].
  void GetTusinId(int32_t rec, int32_t index);
  // The account-group and cash-flow tables for the open company's data kind; true: medical.
  bool PrepareAccDataKindTables();
  static bool PrepareDataKindTables(int32_t dataType, int32_t codeType);
  // The operator may use every facility.
  static bool IsSisetuAdmin();
  // The operator may work on the open data set.
  bool fnGetExistsOpeDefSisetu();
  // The logged-on operator has a working facility (the same test).
  bool HasOpeDefSisetu() { return fnGetExistsOpeDefSisetu(); }
  // Sets the operator's working facility in SystemDef and returns its name.
  void GetOpeDefSisetu(std::string& name);
  // Value of a name in a name=value text; "COLOR" gives an integer (0xFFAF80 when missing or
  // not positive), another name its text.
  static void GetXStrValue(const std::string& xstr, const std::string& name, TAccValue& value);
  // "major.minor.rev" of the data version row, "0.0.0" when missing or unreadable.
  void fnGetDataBaseVer(std::string& version);

  // --- schema, linked journal entries, data folders ---
  bool fnExistence_Table(const std::string& table);
  bool fnExistence_Field(const std::string& table, const std::string& field);
  // Linked journal entries exist in year 0 (current), 1 or 2 (past); kessanOnly 1: closing
  // period only. Never fails visibly.
  bool GetLinkSiwakeCount(int32_t kessanOnly, int32_t year);
  // status, or for status 0: 1 when linked journal entries exist, else 0.
  int32_t CheckLinkSiwake(int32_t status, int32_t kessanOnly, int32_t year);
  static int32_t PassInt(int32_t value);
  static std::string PassText(const std::string& value);
  // The data number and child number texts of a data folder: the parts after "DATA" or
  // "CB_DATA" (any case), blanks removed; empty when missing.
  static void SplitDataPath(const std::string& path, std::string& dataNo, std::string& childNo);
  // The data-list number of a data folder (by name in mode 0, by the data list otherwise).
  void DataPathToRec(const std::string& folder, int32_t& dataNo, int32_t& childNo);
  // The value of the first name=value line whose name matches without regard to case.
  static void GetNameValue(const std::string& text, const std::string& name, std::string& value);

 private:
  void SetDatabaseParams(TIBDatabase& db, const std::string& name);
  // Points a lookup's own statement at the company database and IBTransactionDAT. Lookups
  // that others call while walking rows of IBQACC1 use one of these, so that they never close
  // or replace the caller's cursor.
  void UseCompanyDb(TIBStatement& s);
  void ReadSysDefRow(TIBQuery& q);
  void LoadSysRegSettings();
  void SaveSysRegSettings();
  int32_t CountSiwake(const char* context, const std::string& sisetuCode, bool yukou);
};

// The one data module (null before start-up creates it and after the end).
extern TDM* DM;
// Creates DM (start-up; replaces an existing one) and frees it (end of the program).
void CreateDataModule();
void FreeDataModule();
