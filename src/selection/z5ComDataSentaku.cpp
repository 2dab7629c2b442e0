// The data-list records and the control's loads: the local list, the shared-server list and
// the renumbering of added rows.
#include "selection/z5ComDataSentaku.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccFunction2Date.h"
#include "data/uAccFunction2Win.h"
#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "platform/AsciiCase.h"
#include "platform/Paths.h"
#include "platform/db/IBError.h"
#include "platform/db/TransactionScope.h"

namespace {

std::string Digits4(int32_t n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%.4d", n);
  return buf;
}

const char* const kListColumns =
    "ENTTEXT,SHOUGOU,PASNAME,NETDRIVE,DATATYPE,CODETYPE,NENDO,KISHU,KIMATU,DATALOCK,KYOYULOCK,TANTOU,"
    "VER_MAJOR,VER_MINOR1,VER_MINOR2,VER_TEXT,UPDATE_LOCK,GASSAN,DATACODE,DATA_STATUS,YOBI1,YOBI2,YOBI3";
const char* const kServerColumns =
    "ENTTEXT,SHOUGOU,PASNAME,DATATYPE,CODETYPE,NENDO,KISHU,KIMATU,DATALOCK,TANTOU,VER_MAJOR,VER_MINOR1,"
    "VER_MINOR2,VER_TEXT,UPDATE_LOCK,GASSAN,DATACODE,DATA_STATUS,YOBI1,YOBI2,YOBI3";

// The order line of a local load (named rows), by sort kind.
std::string ListOrderLine(uint8_t sortKind, bool desc, const std::string& orderText) {
  switch (sortKind) {
    case 0: return orderText;
    case 1: return desc ? "ORDER BY REC DESC" : "ORDER BY REC";
    case 2: return desc ? "ORDER BY ENTTEXT DESC,NENDO DESC,REC DESC" : "ORDER BY ENTTEXT,NENDO DESC,REC";
    case 3: return desc ? "ORDER BY NENDO DESC,REC DESC" : "ORDER BY NENDO,REC";
    case 4: return desc ? "ORDER BY KISHU DESC,REC DESC" : "ORDER BY KISHU,REC";
    case 5: return desc ? "ORDER BY UPPER(PASNAME) DESC,REC DESC" : "ORDER BY UPPER(PASNAME),REC";
    case 6:
      return desc ? "ORDER BY VER_MAJOR DESC,VER_MINOR1 DESC,VER_MINOR2 DESC,REC DESC"
                  : "ORDER BY VER_MAJOR,VER_MINOR1,VER_MINOR2,REC";
    case 7: return desc ? "ORDER BY DATACODE DESC,NENDO DESC,REC DESC" : "ORDER BY DATACODE,NENDO DESC,REC";
    default: return {};
  }
}

std::string ServerOrderLine(uint8_t sortKind, bool desc) {
  switch (sortKind) {
    case 2: return desc ? "ORDER BY ENTTEXT DESC,PASNAME DESC" : "ORDER BY ENTTEXT,PASNAME";
    case 3: return desc ? "ORDER BY NENDO DESC,PASNAME DESC" : "ORDER BY NENDO,PASNAME";
    case 4: return desc ? "ORDER BY KISHU DESC,PASNAME DESC" : "ORDER BY KISHU,PASNAME";
    case 5: return desc ? "ORDER BY PASNAME DESC" : "ORDER BY PASNAME";
    case 6:
      return desc ? "ORDER BY VER_MAJOR DESC,VER_MINOR1 DESC,VER_MINOR2 DESC,REC DESC"
                  : "ORDER BY VER_MAJOR,VER_MINOR1,VER_MINOR2,REC";
    case 7: return desc ? "ORDER BY DATACODE DESC,REC DESC" : "ORDER BY DATACODE,REC";
    default: return "ORDER BY PASNAME";
  }
}

bool NamedFirst(uint8_t sortKind) { return sortKind >= 2 && sortKind <= 7; }
bool ServerNamedFirst(uint8_t sortKind) { return sortKind == 2 || sortKind == 3 || sortKind == 4 || sortKind == 6 || sortKind == 7; }

// Reports a load error as the loads do: a database error with the reconnect flag, anything
// else as an error box with the exception's text.
void ReportLoadError(const std::exception& e, const char* context, const char* message) {
  ReportFailure(e, context, message, true);
}

// "9.0" -> (9, 0); a part that is not a number reads as 0.
void SplitVersion(const std::string& text, int& major, int& minor) {
  major = minor = 0;
  const size_t dot = text.find('.');
  try {
    major = std::stoi(text.substr(0, dot));
  } catch (const std::exception&) {
    major = 0;
  }
  if (dot == std::string::npos) return;
  try {
    minor = std::stoi(text.substr(dot + 1));
  } catch (const std::exception&) {
    minor = 0;
  }
}

// The positions of a list query's columns, looked up once per query instead of by name for
// each of its rows; -1 for a column the query does not return.
enum Column {
  cREC, cROWNO, cDATACODE, cENTTEXT, cSHOUGOU, cNENDO, cKISHU, cKIMATU, cNETDRIVE, cPASNAME, cTANTOU,
  cDATATYPE, cCODETYPE, cDATALOCK, cKYOYULOCK, cVER_MAJOR, cVER_MINOR1, cVER_MINOR2, cVER_TEXT,
  cUPDATE_LOCK, cGASSAN, cDATA_STATUS, cYOBI1, cYOBI2, cYOBI3, cColumnCount
};
constexpr const char* kColumnNames[cColumnCount] = {
    "REC",       "ROWNO",     "DATACODE",   "ENTTEXT",    "SHOUGOU",    "NENDO",    "KISHU",
    "KIMATU",    "NETDRIVE",  "PASNAME",    "TANTOU",     "DATATYPE",   "CODETYPE", "DATALOCK",
    "KYOYULOCK", "VER_MAJOR", "VER_MINOR1", "VER_MINOR2", "VER_TEXT",   "UPDATE_LOCK", "GASSAN",
    "DATA_STATUS", "YOBI1",   "YOBI2",      "YOBI3"};
using ColumnMap = std::array<int, cColumnCount>;

ColumnMap MapColumns(TIBSQL& q) {
  ColumnMap map;
  map.fill(-1);
  for (int i = 0; i < q.FieldCount(); ++i) {
    const std::string name = ascii::Upper(q.Fields(i).Name());
    for (int c = 0; c < cColumnCount; ++c)
      if (map[c] < 0 && name == kColumnNames[c]) map[c] = i;
  }
  return map;
}

// One row of a list load. Stored paths may carry "\" from older data; this program's paths
// use "/". Rows of the server list are shared data and never taken to this computer.
void ReadListRow(TIBSQL& q, const ColumnMap& m, TDataListRec& row, bool serverList, bool child) {
  auto integer = [&](Column c) { return m[c] < 0 ? 0 : q.Fields(m[c]).AsInteger(); };
  auto text = [&](Column c) { return m[c] < 0 ? std::string() : q.Fields(m[c]).AsString(); };
  auto date = [&](Column c) { return m[c] < 0 ? TDateTime(0) : q.Fields(m[c]).AsDateTime(); };
  row = TDataListRec{};
  row.REC = integer(cREC);
  row.ROWNO = child ? integer(cROWNO) : 0;
  row.GROUPID = SystemDef.GroupId;
  row.DATACODE = text(cDATACODE);
  row.ENTTEXT = text(cENTTEXT);
  row.SHOUGOU = text(cSHOUGOU);
  row.NENDO = integer(cNENDO);
  row.KISHU = date(cKISHU);
  row.KIMATU = date(cKIMATU);
  row.KikanText = FormatKikanText(row.KISHU, row.KIMATU);
  row.NETDRIVE = serverList ? 1 : integer(cNETDRIVE);
  row.PASNAME = BackslashToSlash(text(cPASNAME));
  row.TANTOU = integer(cTANTOU);
  row.DATATYPE = integer(cDATATYPE);
  row.CODETYPE = integer(cCODETYPE);
  row.DATALOCK = integer(cDATALOCK);
  row.KYOYULOCK = serverList ? 0 : integer(cKYOYULOCK);
  row.VER_MAJOR = integer(cVER_MAJOR);
  row.VER_MINOR1 = integer(cVER_MINOR1);
  row.VER_MINOR2 = integer(cVER_MINOR2);
  row.VER_TEXT = text(cVER_TEXT);
  row.UPDATE_LOCK = integer(cUPDATE_LOCK);
  row.GASSAN = static_cast<uint8_t>(integer(cGASSAN));
  row.DATA_STATUS = static_cast<uint8_t>(integer(cDATA_STATUS));
  row.YOBI1 = text(cYOBI1);
  row.YOBI2 = text(cYOBI2);
  row.YOBI3 = text(cYOBI3);
  row.DispName = row.ENTTEXT;
  row.DataFolder = LocalDataFolder(row);
  // A shared row whose registered path already is its working copy is a local data set.
  if (!serverList && row.PASNAME == row.DataFolder) row.NETDRIVE = 0;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Records

void DataStatusName(int32_t status, std::string& text) {
  static const char* const kNames[] = {"－",       "－",     "使用中",     "データロック中", "保存中", "復元中",
                                       "コピー中", "貼り付け中", "削除中", "新規作成中",     "破損"};
  text = "状態不明";
  if (status >= 0 && status <= 10) text = kNames[status];
}

std::string LocalDataFolder(const TDataListRec& row) {
  std::string folder = ExcludeTrailingPathDelimiter(row.PASNAME);
  if (row.NETDRIVE == 1 && !row.PASNAME.empty()) {
    const std::string sys = ExcludeTrailingPathDelimiter(SystemDef.SysDir);
    if (IsParentKind(row.GASSAN))
      folder = sys + "/" + Digits4(row.REC);
    else
      folder = sys + "/" + Digits4(row.REC) + "/" + ExtractFileName(ExcludeTrailingPathDelimiter(row.PASNAME));
  }
  return folder;
}

int32_t OperatorCodeOf(int32_t logonId, int32_t groupId) {
  const int64_t divisor = static_cast<int64_t>(groupId) * 10000;
  if (divisor == 0) return logonId;
  return static_cast<int32_t>(logonId % divisor);
}

std::string DriveLetterOf(const std::string& path) {
  if (HasDriveLetter(path)) return ascii::Upper(path.substr(0, 1));
  return path.substr(0, 1);
}

bool DataVersionPasses(const TDataListRec& row, const std::string& dataVer, int mode) {
  if (dataVer.empty()) return true;
  if (mode == 1) return dataVer == std::to_string(row.VER_MAJOR);
  if (mode == 2) {
    int major = 0, minor = 0;
    SplitVersion(dataVer, major, minor);
    if (row.VER_MAJOR != major) return row.VER_MAJOR > major;
    return row.VER_MINOR1 >= minor;
  }
  return dataVer == std::to_string(row.VER_MAJOR) + "." + std::to_string(row.VER_MINOR1);
}

// ---------------------------------------------------------------------------------------
// The control

TDataSentakuListCtl::TDataSentakuListCtl() {
  if (DM == nullptr) throw std::logic_error("TDataSentakuListCtl: no data module");
  for (TIBSQL* q : {&SQL1, &SQL2}) {
    q->SetDatabase(&DM->IBDatabaseDEF);
    q->SetTransaction(&DM->IBTransactionDEF);
  }
  SetDataPlaceRec(0);
}

TDataSentakuListCtl::~TDataSentakuListCtl() = default;

void TDataSentakuListCtl::SetDataPlaceRec(int32_t place) {
  DataPlaceRec = (ConnectKind == 1 || ConnectKind == 2) ? place : 0;
  TableName = DataPlaceRec > 0 ? "DATALIST_EX" : "DATALIST";
}

void TDataSentakuListCtl::ClearList() {
  RowCount = 0;
  ChildRowCount = 0;
  Rows.clear();
  ChildRows.clear();
}

void TDataSentakuListCtl::PrepareSql(TIBSQL& q, const std::vector<std::string>& lines) {
  q.Close();
  std::string text;
  for (const std::string& line : lines) {
    if (line.empty()) continue;
    if (!text.empty()) text += '\n';
    text += line;
  }
  q.SQL = text;
}

std::string TDataSentakuListCtl::PlaceLine() const {
  return DataPlaceRec > 0 ? "AND (DATAPLACEREC=" + std::to_string(DataPlaceRec) + ")" : std::string();
}

void TDataSentakuListCtl::AttachChild(const TDataListRec& child) {
  for (TDataSentakuRec& parent : Rows) {
    if (parent.REC != child.REC) continue;
    parent.Children.push_back(child);
    parent.ChildCount = static_cast<int32_t>(parent.Children.size());
    return;
  }
}

void TDataSentakuListCtl::Execute(int32_t kyoyuFilter, uint8_t sortKind, bool descending,
                                  const std::string& orderText) {
  ClearList();
  if (ListKind == 1) return;
  if (ConnectKind != 0) kyoyuFilter = 0;
  const int32_t group = SystemDef.GroupId;
  auto commonLines = [&]() {
    std::vector<std::string> lines;
    if (kyoyuFilter == 1) lines.emplace_back("AND (KYOYULOCK<>1)");
    if (NendoFilter > 0) lines.emplace_back("AND (NENDO=:NENDO)");
    if (!ShougouFilter.empty()) lines.emplace_back("AND (SHOUGOU=:SHOUGOU)");
    if (DataPlaceRec > 0) lines.emplace_back("AND (DATAPLACEREC=:DATAPLACEREC)");
    return lines;
  };
  auto bindCommon = [&](TIBSQL& q) {
    q.ParamByName("GROUPID").SetInteger(group);
    if (NendoFilter > 0) q.ParamByName("NENDO").SetInteger(NendoFilter);
    if (!ShougouFilter.empty()) q.ParamByName("SHOUGOU").SetString(ShougouFilter);
    if (DataPlaceRec > 0) q.ParamByName("DATAPLACEREC").SetInteger(DataPlaceRec);
  };
  auto with = [](std::vector<std::string> head, const std::vector<std::string>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
  };
  // Reads the rows of the open query, at most up to the counted capacity.
  size_t capacity = 0;
  auto readRows = [&](TIBSQL& q) {
    const ColumnMap m = MapColumns(q);
    while (!q.Eof() && Rows.size() < capacity) {
      TDataSentakuRec row;
      ReadListRow(q, m, row, false, false);
      Rows.push_back(std::move(row));
      q.Next();
    }
    q.Close();
  };

  try {
    TTransactionScope tx(DM->IBTransactionDEF, TTransactionScope::End::CommitOrRollback);
    const char* filterLine = ListFilter == 1   ? "WHERE (GROUPID=:GROUPID) AND (ENTTEXT<>'')"
                             : ListFilter == 2 ? "WHERE (GROUPID=:GROUPID) AND (ENTTEXT='')"
                                               : "WHERE (GROUPID=:GROUPID)";
    PrepareSql(SQL1, with({"SELECT COUNT(REC) AS RECCNT FROM " + TableName, filterLine}, commonLines()));
    bindCommon(SQL1);
    SQL1.ExecQuery();
    capacity = SQL1.Eof() ? 0 : static_cast<size_t>(std::max(0, SQL1.FieldByName("RECCNT").AsInteger()));
    SQL1.Close();
    Rows.reserve(capacity);

    if (ListFilter == 0 || ListFilter == 1) {
      std::vector<std::string> lines = {std::string("SELECT REC,") + kListColumns, "FROM " + TableName,
                                        "WHERE (GROUPID=:GROUPID)"};
      if (ListFilter == 1 || NamedFirst(sortKind)) lines.emplace_back("AND (ENTTEXT<>'')");
      lines = with(lines, commonLines());
      lines.push_back(ListOrderLine(sortKind, descending, orderText));
      PrepareSql(SQL1, lines);
      bindCommon(SQL1);
      SQL1.ExecQuery();
      readRows(SQL1);
    }
    if ((ListFilter == 0 || ListFilter == 2) && NamedFirst(sortKind)) {
      std::vector<std::string> lines = {std::string("SELECT REC,") + kListColumns, "FROM " + TableName,
                                        "WHERE (GROUPID=:GROUPID) AND (ENTTEXT='')"};
      lines = with(lines, commonLines());
      if (sortKind == 5)
        lines.emplace_back(descending ? "ORDER BY PASNAME DESC,REC DESC" : "ORDER BY PASNAME,REC");
      else
        lines.emplace_back(descending ? "ORDER BY REC DESC" : "ORDER BY REC");
      PrepareSql(SQL1, lines);
      bindCommon(SQL1);
      SQL1.ExecQuery();
      readRows(SQL1);
    }
    // The count is what was read, not what was counted: rows that went away meanwhile (or
    // a filter no query serves) never show as blank records.
    RowCount = static_cast<int32_t>(Rows.size());

    PrepareSql(SQL1, {"SELECT COUNT(REC) AS RECCNT FROM CHILD_DATALIST", "WHERE (GROUPID=:GROUPID)"});
    SQL1.ParamByName("GROUPID").SetInteger(group);
    SQL1.ExecQuery();
    const size_t childCapacity =
        SQL1.Eof() ? 0 : static_cast<size_t>(std::max(0, SQL1.FieldByName("RECCNT").AsInteger()));
    SQL1.Close();
    ChildRows.reserve(childCapacity);
    PrepareSql(SQL1, {std::string("SELECT REC,ROWNO,") + kListColumns, "FROM CHILD_DATALIST",
                      "WHERE (GROUPID=:GROUPID)", "ORDER BY REC,PASNAME"});
    SQL1.ParamByName("GROUPID").SetInteger(group);
    SQL1.ExecQuery();
    const ColumnMap childMap = MapColumns(SQL1);
    while (!SQL1.Eof() && ChildRows.size() < childCapacity) {
      TDataListRec child;
      ReadListRow(SQL1, childMap, child, false, true);
      ChildRows.push_back(child);
      AttachChild(child);
      SQL1.Next();
    }
    SQL1.Close();
    ChildRowCount = static_cast<int32_t>(ChildRows.size());
  } catch (const std::exception& e) {
    SQL1.Close();
    RowCount = static_cast<int32_t>(Rows.size());
    ChildRowCount = static_cast<int32_t>(ChildRows.size());
    ReportLoadError(e, "TDataSentakuListCtl.Execute", "データリストの取得に失敗しました。");
  }
}

void TDataSentakuListCtl::ServerExecute(uint8_t mode, const std::string& shareRoot, uint8_t sortKind,
                                        bool descending, const std::string&) {
  ClearList();
  if (ListKind == 0) return;
  const int32_t group = SystemDef.GroupId;
  const std::string drive = DriveLetterOf(shareRoot);
  const std::string root = ExcludeTrailingPathDelimiter(shareRoot);
  auto bindKey = [&](TIBSQL& q) {
    q.ParamByName("GROUPID").SetInteger(group);
    q.ParamByName("DRIVELETTER").SetString(drive);
  };
  const std::string freeNames =
      std::string("AND (ENTTEXT<>'' AND ENTTEXT<>'") + kFreeAreaName + "' AND ENTTEXT<>'" + kNewAreaName + "')";
  const std::string emptyNames = std::string("WHERE (DRIVELETTER=:DRIVELETTER) AND (GROUPID=:GROUPID) AND "
                                             "(ENTTEXT='' OR ENTTEXT='") +
                                 kFreeAreaName + "' OR ENTTEXT='" + kNewAreaName + "')";
  try {
    if (mode == 1) {
      // A share that cannot be reached lists no folders; that must not wipe its rows.
      std::error_code ec;
      if (root.empty() || !std::filesystem::is_directory(ResolvePath(root), ec)) {
        ShowErrorDetail("共有データリストの取得に失敗しました。", "共有フォルダが見つかりません。\n" + shareRoot,
                        uis::MsgKind::Error);
        return;
      }
    }
    TTransactionScope tx(DM->IBTransactionDEF, TTransactionScope::End::CommitOrRollback);
    if (mode == 0) {
      PrepareSql(SQL1, {"SELECT COUNT(REC) AS RECCNT FROM SERVERDATALIST",
                        "WHERE (DRIVELETTER=:DRIVELETTER) AND (GROUPID=:GROUPID)"});
      bindKey(SQL1);
      SQL1.ExecQuery();
      const size_t capacity =
          SQL1.Eof() ? 0 : static_cast<size_t>(std::max(0, SQL1.FieldByName("RECCNT").AsInteger()));
      SQL1.Close();
      auto readRows = [&]() {
        const ColumnMap m = MapColumns(SQL1);
        while (!SQL1.Eof() && Rows.size() < capacity) {
          TDataSentakuRec row;
          ReadListRow(SQL1, m, row, true, false);
          Rows.push_back(std::move(row));
          SQL1.Next();
        }
        SQL1.Close();
      };
      if (capacity > 0) {
        std::vector<std::string> lines = {std::string("SELECT REC,") + kServerColumns, "FROM SERVERDATALIST",
                                          "WHERE (DRIVELETTER=:DRIVELETTER) AND (GROUPID=:GROUPID)"};
        if (ServerNamedFirst(sortKind)) lines.push_back(freeNames);
        lines.push_back(ServerOrderLine(sortKind, descending));
        PrepareSql(SQL1, lines);
        bindKey(SQL1);
        SQL1.ExecQuery();
        readRows();
        if (ServerNamedFirst(sortKind)) {
          PrepareSql(SQL1, {std::string("SELECT REC,") + kServerColumns, "FROM SERVERDATALIST", emptyNames,
                            "ORDER BY PASNAME"});
          bindKey(SQL1);
          SQL1.ExecQuery();
          readRows();
        }
      }
      RowCount = static_cast<int32_t>(Rows.size());
      PrepareSql(SQL1, {"SELECT COUNT(REC) AS RECCNT FROM CHILD_SERVERDATALIST",
                        "WHERE (GROUPID=:GROUPID) AND (DRIVELETTER=:DRIVELETTER)"});
      bindKey(SQL1);
      SQL1.ExecQuery();
      const size_t childCapacity =
          SQL1.Eof() ? 0 : static_cast<size_t>(std::max(0, SQL1.FieldByName("RECCNT").AsInteger()));
      SQL1.Close();
      if (childCapacity > 0) {
        PrepareSql(SQL1, {std::string("SELECT REC,ROWNO,") + kServerColumns, "FROM CHILD_SERVERDATALIST",
                          "WHERE (GROUPID=:GROUPID) AND (DRIVELETTER=:DRIVELETTER)", "ORDER BY REC,PASNAME"});
        bindKey(SQL1);
        SQL1.ExecQuery();
        const ColumnMap childMap = MapColumns(SQL1);
        while (!SQL1.Eof() && ChildRows.size() < childCapacity) {
          TDataListRec child;
          ReadListRow(SQL1, childMap, child, true, true);
          ChildRows.push_back(child);
          AttachChild(child);
          SQL1.Next();
        }
        SQL1.Close();
      }
      ChildRowCount = static_cast<int32_t>(ChildRows.size());
    } else if (mode == 1) {
      PrepareSql(SQL1, {"DELETE FROM SERVERDATALIST", "WHERE (GROUPID=:GROUPID) AND (DRIVELETTER=:DRIVELETTER)"});
      bindKey(SQL1);
      SQL1.ExecQuery();
      PrepareSql(SQL1,
                 {"DELETE FROM CHILD_SERVERDATALIST", "WHERE (GROUPID=:GROUPID) AND (DRIVELETTER=:DRIVELETTER)"});
      bindKey(SQL1);
      SQL1.ExecQuery();
      SQL1.Close();

      auto emptyArea = [&](TDataListRec& row, const std::string& path) {
        InitDataListRecord(row, std::string());
        row.ENTTEXT = kFreeAreaName;
        row.NENDO = 0;
        row.KikanText = "～";
        row.NETDRIVE = 1;
        row.PASNAME = path;
      };
      std::vector<std::string> names;
      GetSubFolderNames(root, names);
      for (const std::string& name : names) {
        TDataSentakuRec row;
        emptyArea(row, root + "/" + name);
        std::vector<std::string> members;
        GetSubFolderNames(row.PASNAME, members);
        for (size_t i = 0; i < members.size(); ++i) {
          TDataListRec child;
          emptyArea(child, row.PASNAME + "/" + members[i]);
          child.ROWNO = static_cast<int32_t>(i + 1);
          child.GASSAN = kChildKind;
          ChildRows.push_back(child);
          row.Children.push_back(child);
        }
        row.ChildCount = static_cast<int32_t>(row.Children.size());
        Rows.push_back(std::move(row));
      }
      RowCount = static_cast<int32_t>(Rows.size());
      ChildRowCount = static_cast<int32_t>(ChildRows.size());
    }
  } catch (const std::exception& e) {
    SQL1.Close();
    RowCount = static_cast<int32_t>(Rows.size());
    ChildRowCount = static_cast<int32_t>(ChildRows.size());
    ReportLoadError(e, "TDataSentakuListCtl.ServerExecute", "共有データリストの取得に失敗しました。");
  }
}

void TDataSentakuListCtl::RenumberDataListRecord() {
  if (ListKind == 1 || ConnectKind == 0) return;
  int32_t next = fw::DataListCnt + 1;
  try {
    TTransactionScope tx(DM->IBTransactionDEF, TTransactionScope::End::CommitOrRollback);
    PrepareSql(SQL1, {"UPDATE " + TableName + " SET REC=:NEWREC", "WHERE (REC=:OLDREC)", PlaceLine()});
    PrepareSql(SQL2, {"SELECT REC FROM " + TableName, "WHERE (REC>:REC)", PlaceLine(), "ORDER BY REC"});
    SQL2.ParamByName("REC").SetInteger(fw::DataListCnt);
    SQL2.ExecQuery();
    while (!SQL2.Eof()) {
      const int32_t rec = SQL2.FieldByName("REC").AsInteger();
      if (rec != next) {
        SQL1.ParamByName("NEWREC").SetInteger(next);
        SQL1.ParamByName("OLDREC").SetInteger(rec);
        SQL1.ExecQuery();
      }
      ++next;
      SQL2.Next();
    }
    SQL2.Close();
    SQL1.Close();
  } catch (...) {
    SQL1.Close();
    SQL2.Close();
    throw;
  }
}
