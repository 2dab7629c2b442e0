#pragma once
// The data list: the system database's register of company data sets, and the control that
// reads and writes it for the operator's group.
//
// Five tables hold it: DATALIST (the standard place), DATALIST_EX (further data places),
// CHILD_DATALIST (members of combined data), SERVERDATALIST and CHILD_SERVERDATALIST (the
// data areas found on a shared server drive). A row describes one data folder; shared data
// (NETDRIVE 1) lives in a server folder and is worked on in a local copy under the system
// data folder, fetched before work and stored back afterwards.
//
// Paths are POSIX paths; a "\" read from a stored path is taken as "/". Every statement runs
// in the system database's shared transaction: an operation starts it only when it is idle
// and ends only what it started. Headless: messages go through the UI services.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/uAccClasses.h"
#include "platform/DateTime.h"
#include "platform/db/IBSQL.h"
#include "ui/z5PrintDlgRec.h"

class TZenpagex;

// One row of any of the five tables.
struct TDataListRec {
  int32_t REC = 0;
  int32_t ROWNO = 0;        // position under the parent (1-based); 0 for a parent row
  int32_t GROUPID = 0;      // the connection's group number whenever a row is read or set up
  std::string DATACODE;
  std::string ENTTEXT;      // data-list name; empty for an empty area
  std::string SHOUGOU;      // company name
  int32_t NENDO = 0;
  std::string KikanText;    // period text of KISHU..KIMATU
  TDateTime KISHU = 0;      // 0 (1899-12-30) when the area holds no data
  TDateTime KIMATU = 0;
  int32_t NETDRIVE = 0;     // 1: shared data worked on in a local copy
  std::string PASNAME;      // registered folder (for shared data the server folder)
  std::string DataFolder;   // the local folder, derived from the fields above
  int32_t DATATYPE = 0;
  int32_t CODETYPE = 0;
  int32_t DATALOCK = 0;     // operator code holding a data lock; 0 none
  int32_t KYOYULOCK = 0;    // shared data: 1 while taken to this computer
  int32_t TANTOU = 0;
  int32_t VER_MAJOR = 0;
  int32_t VER_MINOR1 = 0;
  int32_t VER_MINOR2 = 0;
  std::string VER_TEXT;
  int32_t UPDATE_LOCK = 0;
  uint8_t GASSAN = 0;       // 0 normal, 1 and 2 combined data, 10 a member (child row)
  std::string DispName;     // name shown in lists
  uint8_t DATA_STATUS = 0;  // 1: found broken by a check
  std::string YOBI1;
  std::string YOBI2;
  std::string YOBI3;
  int32_t Reserve1 = 0;
  std::string Reserve2;
};
using TDataListArray = std::vector<TDataListRec>;

// A parent row with its members.
struct TDataSentakuRec : TDataListRec {
  int32_t ChildCount = 0;
  TDataListArray Children;  // exactly ChildCount rows
};
using TDataSentakuRecArray = std::vector<TDataSentakuRec>;
// A dialog's display list: for each shown row its position in the row array.
using TDataSentakuRecDispArray = std::vector<int32_t>;

// Consolidation kinds.
inline bool IsParentKind(int gassan) { return gassan == 0 || gassan == 1 || gassan == 2; }
inline bool IsCombinedKind(int gassan) { return gassan == 1 || gassan == 2; }
inline constexpr uint8_t kChildKind = 10;

// Names that mark a server area without data.
inline constexpr const char* kFreeAreaName = "空き領域";
inline constexpr const char* kNewAreaName = "新しい領域";

// Display name of a data status: "－" for 0 and 1, the names of 2 to 10, else "状態不明".
void DataStatusName(int32_t status, std::string& text);

// The local folder of a row (DataFolder): PASNAME without a trailing "/"; for shared data
// with a path, the working copy below the system data folder: <SysDir>/nnnn for a parent,
// <SysDir>/nnnn/<last folder of PASNAME> for a member.
std::string LocalDataFolder(const TDataListRec& row);

// The operator code within the group of a logon id (group × 10000 + code). With group 0 the
// logon id is the operator code itself.
int32_t OperatorCodeOf(int32_t logonId, int32_t groupId);

// The drive letter a server path is filed under in the server tables: the letter of a
// "Z:/..." path (upper case), else the first byte of the path.
std::string DriveLetterOf(const std::string& path);

// Does a row pass a version condition? Mode 0: "major.minor" equals the text; mode 1: the
// major number equals it; mode 2: the row's version is the text's version or later,
// comparing major, then minor, as numbers. An empty text passes every row.
bool DataVersionPasses(const TDataListRec& row, const std::string& dataVer, int mode);

class TDataSentakuListCtl {
 public:
  // Needs the data module (DM): both statements work on its system database.
  TDataSentakuListCtl();
  ~TDataSentakuListCtl();
  TDataSentakuListCtl(const TDataSentakuListCtl&) = delete;
  TDataSentakuListCtl& operator=(const TDataSentakuListCtl&) = delete;

  uint8_t ConnectKind = 0;  // connection mode; its creator copies ConnectMode in
  uint8_t ListKind = 0;     // 0 the local data list, 1 the shared-server list
  std::vector<std::string> MsgLines;  // detail lines of the last state message
  TIBSQL SQL1;
  TIBSQL SQL2;
  int32_t RowCount = 0;
  TDataSentakuRecArray Rows;
  int32_t ChildRowCount = 0;
  TDataListArray ChildRows;
  uint8_t ListFilter = 0;   // 0 all rows, 1 named rows only, 2 empty rows only
  int32_t NendoFilter = 0;
  std::string ShougouFilter;
  std::vector<std::string> FolderList;
  int32_t DataPlaceRec = 0;
  std::string TableName = "DATALIST";

  // --- loading and sorting ---
  // Data place (connection modes 1 and 2 only; otherwise 0) and the table it selects.
  void SetDataPlaceRec(int32_t place);
  void ClearList();
  // Loads the local data list. Sort kinds: 0 the caller's order text, 1 number, 2 name,
  // 3 fiscal year, 4 start date, 5 folder, 6 version, 7 data code; with kinds 2 to 7 the named
  // rows come first in that order, then the empty rows. kyoyuFilter 1 (local mode) leaves out
  // data taken to this computer. Errors are reported; the rows read until then stay.
  void Execute(int32_t kyoyuFilter, uint8_t sortKind, bool descending, const std::string& orderText);
  // Mode 0 loads the server list of the share's drive; mode 1 rebuilds it from the folders
  // on the share (its rows are numbered and registered by the caller). A share root that is
  // not an existing folder is reported and leaves the stored rows alone.
  void ServerExecute(uint8_t mode, const std::string& shareRoot, uint8_t sortKind, bool descending,
                     const std::string& unused = {});
  // Closes the gaps in the numbers of added rows (above the row count). Raises its errors.
  void RenumberDataListRecord();

  // --- single rows ---
  void InitDataListRecord(TDataListRec& row, const std::string& path) const;
  void SetFromDataInfo(const TDataInfomationRec& info, TDataListRec& row) const;
  // kind 0: the row with REC (and ROWNO for a child); kind 1: the row registered for PASNAME.
  // After the call, RowFound tells whether a row was read.
  void GetDataListRecord(uint8_t kind, TDataListRec& row, bool showErrors);
  bool RowFound = false;
  bool InsertDataListRecord(TDataListRec& row, bool showErrors);
  // Writes the row as it is: its mirror in the server tables gets a number of its own there,
  // which the row keeps out of its data-list number.
  bool UpdateDataListRecord(const TDataListRec& row, int32_t withNames, bool showErrors);
  bool DeleteDataListRecord(const TDataListRec& row, bool showErrors);
  void GetDataListChildRecord(TDataSentakuRec& row, bool showErrors);
  bool UpdateDataListChildRecord(const TDataListRec& child, int32_t unused, bool showErrors);
  bool DeleteDataListChildRecord(const TDataListRec& row, bool showErrors);
  // The next data number: the highest number of the table (within the data place) plus the
  // increment; 0 on an error.
  int32_t GetDataFolderName(int32_t increment);
  bool IsDataPathToroku(const std::string& path);
  int32_t GetRecByPath(const std::string& path);
  void GetRecFromPath(const std::string& path, int32_t& rec);

  // --- shared-server tables ---
  bool UpdateServerDataListRecord(TDataListRec& row, int32_t withNames, bool showErrors);
  bool UpdateServerDataListChildRecord(TDataListRec& child, int32_t withNames, bool showErrors);
  bool DeleteServerDataListChildRecord(const TDataListRec& row, bool showErrors);
  // The next free area folder name "sv%.4d" on the share.
  void GetServerFolderName(const std::string& shareRoot, int32_t increment, std::string& name);

  // --- children and folders ---
  static void SetChildDispNames(TDataSentakuRec& row);
  static void RemoveChild(TDataSentakuRec& row, int32_t index);
  static void GetSubFolderNames(const std::string& path, std::vector<std::string>& list);
  static void GetShareSubFolders(const TDataListRec& row, std::vector<std::string>& list);
  static void GetLocalSubFolders(const TDataListRec& row, std::vector<std::string>& list);

  // --- shared data paths, fetch and store ---
  bool ConvLocalPathToSharePath(const std::string& path, std::string& sharePath, int32_t& netDrive,
                                int32_t& shareLock);
  bool GetLocalPathToData(const std::string& path, TDataListRec& row);
  bool GetDataListRecordFromPath(const std::string& path, TDataSentakuRec& row);
  // 1 fetched and taken by this operator; -1 refused or taken by another operator (a message
  // was shown); 0 failed.
  int32_t CheckKyoyuDataGet(TDataSentakuRec& row, int32_t quiet);
  // 1 stored and released; 0 failed; -1 refused (a message was shown).
  int32_t CheckKyoyuDataPut(TDataSentakuRec& row, int32_t quiet);

 private:
  void PrepareSql(TIBSQL& q, const std::vector<std::string>& lines);
  void ReadStoredRow(TIBSQL& q, TDataListRec& row) const;
  void AttachChild(const TDataListRec& child);
  void BindRowParams(TIBSQL& q, const TDataListRec& row) const;
  std::string PlaceLine() const;
  void ShowStateMessage(const std::string& message);
  void HolderLines(const std::string& path, const TDataInfomationRec& info);
};

// Installs the data module's refresh of a data-list row after a company data set is closed.
void InstallDataListRefreshHook();

// The printed data list: a title, the page number, a heading row and one line per data set
// and per member of combined data, in the display order, on A4 portrait (55 lines a page) or
// landscape (35 lines, with the code column). Written as a print data file in the work folder
// and handed to the print engine's preview or print.
//
//   TPrDataList pr;
//   pr.PrintRec = dialogRec;          // fonts, sizes and colour mode of the print dialog
//   pr.Rows = rows;
//   pr.DispRows = displayOrder;
//   pr.Orientation = dlg->Orientation;
//   pr.Execute(dlg->Result == 1);     // true prints, false previews
//
// Data folders under the data root (SystemDef.AppDataDir) are printed with "~" for the
// root, the rest of the path as stored.
class TPrDataList {
 public:
  TPrDataList();
  ~TPrDataList();
  TPrDataList(const TPrDataList&) = delete;
  TPrDataList& operator=(const TPrDataList&) = delete;

  std::unique_ptr<TZenpagex> Component;  // the writer
  int32_t Reserved = 0;
  int32_t ListKind = 0;     // 0 the data list (lines numbered by REC), 1 the shared data list
                            // (numbered 1, 2, 3 ... in display order)
  TDefaultPrintRec PrintRec;
  TDataSentakuRecArray Rows;
  TDataSentakuRecDispArray DispRows;
  int32_t Orientation = 0;  // 0 portrait, 1 landscape

  // Writes the print data file (Component->DataFile afterwards names it). A failure removes
  // the half-written file and passes on.
  void WriteDataFile();
  // Writes the file, then previews (false) or prints it (true); the engine deletes the file
  // afterwards. The result is the engine's: the preview was not closed with 0, or printed.
  bool Execute(bool DoPrint);
};
