#pragma once
// The data-set descriptor and its per-data settings file, and the list of product editions
// that data versions belong to.
//
// Every company data folder holds, beside its database (qvacc.fdb), a settings file named
// like the database with the extension ".ini" (qvacc.ini): section DATASTS says who does
// what with the data set (status, operator, shared-server status), section DATAINFO what the
// data set is. Status values: 1 closed, 2 in use, 3 locked, 4 backing up, 5 restoring,
// 6 copying, 7 pasting, 8 deleting, 9 being created, 10 broken (0: the database did not open,
// only ever in a record that was read).
#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

struct TDataInfomationRec {
  uint8_t STATUS = 1;
  int32_t OPCODE = 0;          // logon id of the operator who set the status
  std::string OPERATOR;
  uint8_t SHARE_STATUS = 1;    // 1 on the shared server, 2 taken out to a local folder
  int32_t SHARE_OPCODE = 0;
  std::string SHARE_OPERATOR;
  int32_t UPDATE_LOCK = 0;
  std::string DATALISTNAME;
  std::string CODE;
  int32_t DATAKBN = 0;         // data type: 1 corporation, 2 individual, 3 medical corporation
  int32_t CODEKBN = 0;
  std::string SHOUGOU;
  std::string KANA;
  int32_t NENDO = 0;
  std::string KISHU;           // "yyyy/mm/dd"
  std::string KIMATU;          // "yyyy/mm/dd"
  int32_t TANTO = 0;
  int32_t SITEN = 0;
  int32_t SITENCNT = 0;
  int32_t BUMON = 0;
  int32_t BUMONCNT = 0;
  int32_t SIWAKE = 0;          // valid journal entries
  int32_t TOTALSIWAKE = 0;     // valid plus changed and deleted ones
  int32_t MAJOR = 0;
  int32_t MINOR1 = 0;
  int32_t MINOR2 = 0;
  std::string VERSION2;        // edition name of the data version
  uint8_t GASSANKBN = 0;
  int32_t USEMYNUMBER = 0;
};

// Display names of the statuses 0 to 10.
extern const std::array<const char*, 11> DataStatusNames;

struct TDataVersionRec {
  int32_t MAJOR = 0;
  int32_t MINOR1 = 0;
  int32_t MINOR2 = 0;  // always 0 here
  std::string Name;
};

// Product editions: the built-in ones (unless the program runs under an OEM identity) and the
// editions installed on this computer according to the registry.
class TSeihinVersionList {
 public:
  TSeihinVersionList();

  std::string ProductKey;  // registry name of the product whose editions are listed
  std::string FirstName;   // when set, the list starts with a row of version 0.0 of this name
  std::vector<TDataVersionRec> Rows;
  std::vector<std::string> Names;
  int Count = 0;

  // Builds the rows; sort 1 orders them newest first.
  void Execute(uint8_t sort);
  // 0 ascending, 1 descending by (MAJOR, MINOR1); a FirstName row stays first.
  void Sort(int order);
  void Clear();
  void GetText(std::string& text) const;
  // "%d.%d"; empty for version 0.0 or an index outside the list.
  void GetVersionText(int index, std::string& text) const;
  void GetName(int index, std::string& text) const;
  int IndexOfName(const std::string& name) const;
};

class TDataInfomation {
 public:
  TDataInfomation();

  // 0 local; 1 and 2: the databases are on a database server, the settings file is neither
  // read nor written and the data list of the system database answers instead.
  uint8_t ConnectKind = 0;
  TDataInfomationRec InfoRec;
  TSeihinVersionList VersionList;

  // The settings file of a data folder.
  static std::string IniFileName(const std::string& folder);

  void InitDataInfoRec(TDataInfomationRec& rec) const;
  // Fills the record from the company database the data module points at (connecting it when
  // it is not connected). 1 read, 0 failed (reported).
  int GetDataInfoRec(TDataInfomationRec& rec);
  // The record from the settings file of the folder, or on a database server from the data
  // list and the database itself. 0 when there is neither database nor file (local) or the
  // data set is locked by an operator (server); 1 otherwise.
  int ReadIniFile(const std::string& host, const std::string& folder, TDataInfomationRec& rec);
  int ReadDataInfo(const std::string& folder, TDataInfomationRec& rec);
  // Rewrites section "DATASTS", "DATAINFO", or both for an empty name, from the record.
  void WriteIniFile(const std::string& folder, const std::string& section, const TDataInfomationRec& rec);
  // Edition name of a data version: "評価版" for 0.x (x > 0), else the list's name, else "%d.%d".
  std::string GetVersionName(int32_t major, int32_t minor1) const;

  // --- single keys of the settings file ---
  // The writers below do nothing for an empty folder or ConnectKind 1 or 2. Each key is one
  // read-change-replace of the file, so the last writer wins key by key; failures of the file
  // system pass on as exceptions.
  //
  // Deletes the key, or writes the value as text.
  void WriteIniValue(const std::string& folder, const std::string& section, bool deleteKey,
                     const std::variant<std::int64_t, std::string>& value, const std::string& key);
  // STATUS of DATASTS; status 1 removes OPCODE and OPERATOR, any other status writes the
  // logged-on operator's logon id and name.
  void SetStatus(const std::string& folder, uint8_t status);
  // SHARE_STATUS with SHARE_OPCODE and SHARE_OPERATOR, in the same way.
  void SetShareStatus(const std::string& folder, uint8_t status);
  // Reads the folder into InfoRec and sets SHARE_STATUS to 1 or 2 when it differs: true then.
  bool SwitchShareStatus(const std::string& folder, uint8_t status);
  // Rebuilds "DATASTS" (status 1, share status 1, no operator) or "DATAINFO" (from the
  // company database) from a fresh record; an empty name rewrites the whole file by opening
  // and closing the data set with its marks (not on a network drive).
  void RefreshIniFile(const std::string& folder, const std::string& section);

  // --- the company database ---
  // Opens the folder's company database, reads the record and closes it: 1 read, 0 failed or
  // no database.
  int GetDataInfoOfFolder(const std::string& folder, TDataInfomationRec& rec);
  // Stores the record's data-set name (the database's own when blank; 40 bytes at most) and
  // update lock into ACCDEF1.
  void UpdateDataInfomation(const std::string& host, const std::string& folder, TDataInfomationRec& rec);

  // May the logged-on operator use the data set: true without a database file and for an
  // operator who may use every facility; else the operator needs a default facility and a
  // right to every facility of the data set (a warning box says so when not).
  bool IsUseData(const std::string& folder);

  // --- shared-server data ---
  // Takes the data set out of the shared folder into the local folder (created when missing):
  // 1 taken out; 0 failed (the shared data stays free and unmarked, the local copy unmarked);
  // -1 refused: the shared data is broken or already taken out. A refusal copies nothing over
  // a local folder that is itself a taken-out working copy. quiet 1: no messages and no
  // exceptions; otherwise a missing shared folder or broken shared data raise an error.
  int CopyShareData(const std::string& shared, const std::string& local, int32_t quiet);
  // Puts a taken-out data set back: 1 done; 0 the copy failed and both sides count as taken
  // out again.
  int RecreateShareArea(const std::string& shared, const std::string& local, int32_t quiet);

 private:
  int ReadIniFileLocal(const std::string& host, const std::string& folder, TDataInfomationRec& rec);
  int ReadIniFileServer(const std::string& host, const std::string& folder, TDataInfomationRec& rec);
};
