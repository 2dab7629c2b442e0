// Single-row work of the data-list control: setting up a record, reading, adding, updating
// and deleting rows and their children, mirroring shared rows into the server tables, and
// numbering.
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccFunction.h"
#include "data/uAccFunction2Date.h"
#include "data/uAccFunction2Win.h"
#include "data/uAccFunctionDb.h"
#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "platform/AsciiCase.h"
#include "platform/Paths.h"
#include "platform/db/IBError.h"
#include "platform/db/TransactionScope.h"
#include "selection/z5ComDataSentaku.h"

namespace {

// A writing operation's hold on the shared transaction: it starts the transaction when idle
// and commits it at the end; a transaction that was already running gets the work so far
// committed with retention, so the caller's transaction goes on. On an error only a
// transaction this operation started is rolled back.
class TWriteScope {
 public:
  explicit TWriteScope(TIBTransaction& tr) : tr_(tr) {
    if (!tr_.Active()) {
      tr_.StartTransaction();
      started_ = true;
    }
  }
  ~TWriteScope() {
    if (!done_ && started_ && tr_.Active()) {
      try {
        tr_.Rollback();
      } catch (...) {
      }
    }
  }
  TWriteScope(const TWriteScope&) = delete;
  TWriteScope& operator=(const TWriteScope&) = delete;
  // A failed commit raises, and the destructor then rolls back what this scope started.
  void Finish() {
    if (started_)
      tr_.Commit();
    else
      tr_.CommitRetaining();
    done_ = true;
  }

 private:
  TIBTransaction& tr_;
  bool started_ = false;
  bool done_ = false;
};

// Runs `work`; a failure is reported (show) with the context and message and gives `failed`,
// or passes on to the caller.
template <class Result, class Work>
Result Guarded(bool show, const std::string& context, const char* message, Result failed, Work work) {
  try {
    return work();
  } catch (const std::exception& e) {
    if (!show) throw;
    ReportFailure(e, context, message, true);
    return failed;
  }
}

bool Blank(const std::string& path) { return TrimZenkaku(path).empty(); }

bool FolderExists(const std::string& path) {
  std::error_code ec;
  const std::string real = ResolvePath(path);
  return !real.empty() && std::filesystem::is_directory(real, ec);
}

const char* const kChildSelect =
    "SELECT REC,ROWNO,ENTTEXT,SHOUGOU,PASNAME,NETDRIVE,DATATYPE,CODETYPE,NENDO,KISHU,KIMATU,DATALOCK,KYOYULOCK,"
    "TANTOU,VER_MAJOR,VER_MINOR1,VER_MINOR2,VER_TEXT,UPDATE_LOCK,GASSAN,DATACODE,DATA_STATUS,YOBI1,YOBI2,YOBI3";
const char* const kParentSelect =
    "SELECT REC,0 AS ROWNO,ENTTEXT,SHOUGOU,PASNAME,NETDRIVE,DATATYPE,CODETYPE,NENDO,KISHU,KIMATU,DATALOCK,"
    "KYOYULOCK,TANTOU,VER_MAJOR,VER_MINOR1,VER_MINOR2,VER_TEXT,UPDATE_LOCK,GASSAN,DATACODE,DATA_STATUS,YOBI1,"
    "YOBI2,YOBI3";
const std::vector<std::string> kListSetLines = {
    "SET PASNAME=:PASNAME,ENTTEXT=:ENTTEXT,SHOUGOU=:SHOUGOU,NETDRIVE=:NETDRIVE,",
    "DATATYPE=:DATATYPE,CODETYPE=:CODETYPE,NENDO=:NENDO,KISHU=:KISHU,KIMATU=:KIMATU,",
    "DATALOCK=:DATALOCK,KYOYULOCK=:KYOYULOCK,TANTOU=:TANTOU,",
    "VER_MAJOR=:VER_MAJOR,VER_MINOR1=:VER_MINOR1,VER_MINOR2=:VER_MINOR2,VER_TEXT=:VER_TEXT,",
    "UPDATE_LOCK=:UPDATE_LOCK,GASSAN=:GASSAN,DATACODE=:DATACODE,DATA_STATUS=:DATA_STATUS,YOBI1=:YOBI1,YOBI2=:YOBI2,"
    "YOBI3=:YOBI3"};
const std::vector<std::string> kServerSetLines = {
    "SET PASNAME=:PASNAME,DATATYPE=:DATATYPE,CODETYPE=:CODETYPE,",
    "NENDO=:NENDO,KISHU=:KISHU,KIMATU=:KIMATU,DATALOCK=:DATALOCK,TANTOU=:TANTOU,",
    "VER_MAJOR=:VER_MAJOR,VER_MINOR1=:VER_MINOR1,VER_MINOR2=:VER_MINOR2,VER_TEXT=:VER_TEXT,",
    "UPDATE_LOCK=:UPDATE_LOCK,GASSAN=:GASSAN,DATACODE=:DATACODE,DATA_STATUS=:DATA_STATUS,YOBI1=:YOBI1,YOBI2=:YOBI2,"
    "YOBI3=:YOBI3"};
const char* const kServerInsertColumns =
    "(GROUPID,DRIVELETTER,REC,ENTTEXT,SHOUGOU,PASNAME,DATATYPE,CODETYPE,NENDO,KISHU,KIMATU,DATALOCK,TANTOU,"
    "VER_MAJOR,VER_MINOR1,VER_MINOR2,VER_TEXT,UPDATE_LOCK,GASSAN,DATACODE,DATA_STATUS,YOBI1,YOBI2,YOBI3)";
const char* const kServerInsertValues =
    "VALUES(:GROUPID,:DRIVELETTER,:REC,:ENTTEXT,:SHOUGOU,:PASNAME,:DATATYPE,:CODETYPE,:NENDO,:KISHU,:KIMATU,"
    ":DATALOCK,:TANTOU,:VER_MAJOR,:VER_MINOR1,:VER_MINOR2,:VER_TEXT,:UPDATE_LOCK,:GASSAN,:DATACODE,:DATA_STATUS,"
    ":YOBI1,:YOBI2,:YOBI3)";

std::vector<std::string> Join(std::vector<std::string> head, const std::vector<std::string>& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

}  // namespace

// Every parameter named after a column of the row takes the row's value.
void TDataSentakuListCtl::BindRowParams(TIBSQL& q, const TDataListRec& row) const {
  for (int i = 0; i < q.ParamCount(); ++i) {
    TIBParam& p = q.Params(i);
    const std::string& n = p.Name();
    if (n == "REC") p.SetInteger(row.REC);
    else if (n == "ROWNO") p.SetInteger(row.ROWNO);
    else if (n == "GROUPID") p.SetInteger(row.GROUPID);
    else if (n == "PASNAME") p.SetString(row.PASNAME);
    else if (n == "ENTTEXT") p.SetString(row.ENTTEXT);
    else if (n == "SHOUGOU") p.SetString(row.SHOUGOU);
    else if (n == "NETDRIVE") p.SetInteger(row.NETDRIVE);
    else if (n == "DATATYPE") p.SetInteger(row.DATATYPE);
    else if (n == "CODETYPE") p.SetInteger(row.CODETYPE);
    else if (n == "NENDO") p.SetInteger(row.NENDO);
    else if (n == "KISHU") p.SetDateTime(row.KISHU);
    else if (n == "KIMATU") p.SetDateTime(row.KIMATU);
    else if (n == "DATALOCK") p.SetInteger(row.DATALOCK);
    else if (n == "KYOYULOCK") p.SetInteger(row.KYOYULOCK);
    else if (n == "TANTOU") p.SetInteger(row.TANTOU);
    else if (n == "VER_MAJOR") p.SetInteger(row.VER_MAJOR);
    else if (n == "VER_MINOR1") p.SetInteger(row.VER_MINOR1);
    else if (n == "VER_MINOR2") p.SetInteger(row.VER_MINOR2);
    else if (n == "VER_TEXT") p.SetString(row.VER_TEXT);
    else if (n == "UPDATE_LOCK") p.SetInteger(row.UPDATE_LOCK);
    else if (n == "GASSAN") p.SetInteger(row.GASSAN);
    else if (n == "DATACODE") p.SetString(row.DATACODE);
    else if (n == "DATA_STATUS") p.SetInteger(row.DATA_STATUS);
    else if (n == "YOBI1") p.SetString(row.YOBI1);
    else if (n == "YOBI2") p.SetString(row.YOBI2);
    else if (n == "YOBI3") p.SetString(row.YOBI3);
  }
}

// One row of a single-row read, with PASNAME as stored.
void TDataSentakuListCtl::ReadStoredRow(TIBSQL& q, TDataListRec& row) const {
  row.REC = q.FieldByName("REC").AsInteger();
  row.ROWNO = q.FieldByName("ROWNO").AsInteger();
  row.GROUPID = SystemDef.GroupId;
  row.ENTTEXT = q.FieldByName("ENTTEXT").AsString();
  row.SHOUGOU = q.FieldByName("SHOUGOU").AsString();
  row.PASNAME = q.FieldByName("PASNAME").AsString();
  row.NETDRIVE = q.FieldByName("NETDRIVE").AsInteger();
  row.DATATYPE = q.FieldByName("DATATYPE").AsInteger();
  row.CODETYPE = q.FieldByName("CODETYPE").AsInteger();
  row.NENDO = q.FieldByName("NENDO").AsInteger();
  row.KISHU = q.FieldByName("KISHU").AsDateTime();
  row.KIMATU = q.FieldByName("KIMATU").AsDateTime();
  row.KikanText = FormatKikanText(row.KISHU, row.KIMATU);
  row.DATALOCK = q.FieldByName("DATALOCK").AsInteger();
  row.KYOYULOCK = q.FieldByName("KYOYULOCK").AsInteger();
  row.TANTOU = q.FieldByName("TANTOU").AsInteger();
  row.VER_MAJOR = q.FieldByName("VER_MAJOR").AsInteger();
  row.VER_MINOR1 = q.FieldByName("VER_MINOR1").AsInteger();
  row.VER_MINOR2 = q.FieldByName("VER_MINOR2").AsInteger();
  row.VER_TEXT = q.FieldByName("VER_TEXT").AsString();
  row.UPDATE_LOCK = q.FieldByName("UPDATE_LOCK").AsInteger();
  row.GASSAN = static_cast<uint8_t>(q.FieldByName("GASSAN").AsInteger());
  row.DATACODE = q.FieldByName("DATACODE").AsString();
  row.DATA_STATUS = static_cast<uint8_t>(q.FieldByName("DATA_STATUS").AsInteger());
  row.YOBI1 = q.FieldByName("YOBI1").AsString();
  row.YOBI2 = q.FieldByName("YOBI2").AsString();
  row.YOBI3 = q.FieldByName("YOBI3").AsString();
  row.DispName = row.ENTTEXT;
  row.DataFolder = LocalDataFolder(row);
}

// ---------------------------------------------------------------------------------------
// Record set-up

void TDataSentakuListCtl::InitDataListRecord(TDataListRec& row, const std::string& path) const {
  row = TDataListRec{};
  row.GROUPID = SystemDef.GroupId;
  row.NENDO = 1;
  row.PASNAME = path;
  row.DataFolder = LocalDataFolder(row);
}

void TDataSentakuListCtl::SetFromDataInfo(const TDataInfomationRec& info, TDataListRec& row) const {
  auto readDate = [](const std::string& text) {
    TDateTime d = 0;
    return TryStrToDate(text, d) ? d : TDateTime(0);
  };
  row.GROUPID = SystemDef.GroupId;
  row.DATACODE = info.CODE;
  row.ENTTEXT = info.DATALISTNAME;
  row.SHOUGOU = info.SHOUGOU;
  row.NENDO = info.NENDO;
  row.KISHU = readDate(info.KISHU);
  row.KIMATU = readDate(info.KIMATU);
  row.KikanText = FormatKikanText(row.KISHU, row.KIMATU);
  row.DATATYPE = info.DATAKBN;
  row.CODETYPE = info.CODEKBN;
  row.TANTOU = info.TANTO;
  row.DATALOCK = 0;
  row.VER_MAJOR = info.MAJOR;
  row.VER_MINOR1 = info.MINOR1;
  row.VER_MINOR2 = info.MINOR2;
  row.VER_TEXT = info.VERSION2;
  row.UPDATE_LOCK = info.UPDATE_LOCK;
  if (row.ROWNO > 0) row.GASSAN = kChildKind;
  if (info.STATUS == 3 && info.OPCODE != 0) row.DATALOCK = OperatorCodeOf(info.OPCODE, SystemDef.GroupId);
  if (info.SHARE_STATUS == 2 && info.SHARE_OPCODE == SystemDef.LogonId) row.KYOYULOCK = 1;
  const bool unnamed = row.ENTTEXT.empty() ||
                       (row.NETDRIVE != 0 && (row.ENTTEXT == kFreeAreaName || row.ENTTEXT == kNewAreaName));
  if (unnamed) row.ENTTEXT = row.SHOUGOU;
  row.DispName = row.ENTTEXT;
  row.DataFolder = LocalDataFolder(row);
}

// ---------------------------------------------------------------------------------------
// The local data list

void TDataSentakuListCtl::GetDataListRecord(uint8_t kind, TDataListRec& row, bool showErrors) {
  RowFound = false;
  if (ListKind == 1) return;
  std::string key;
  bool found = false;
  if (kind == 0) {
    found = true;
  } else if (kind == 1) {
    key = row.PASNAME;
    found = GetLocalPathToData(row.PASNAME, row);
  }
  if (!found) {
    InitDataListRecord(row, std::string());
    return;
  }
  const bool child = !IsParentKind(row.GASSAN);
  Guarded(showErrors, "TDataSentakuListCtl.GetDataListRecord", "データリストの取得に失敗しました。", 0, [&] {
    TTransactionScope tx(DM->IBTransactionDEF, TTransactionScope::End::Commit);
    std::vector<std::string> lines;
    if (kind == 0) {
      if (!child)
        lines = {kParentSelect, "FROM " + TableName, "WHERE (REC=:REC) AND (GROUPID=:GROUPID)",
                 DataPlaceRec > 0 ? "AND (DATAPLACEREC=:DATAPLACEREC)" : ""};
      else
        lines = {kChildSelect, "FROM CHILD_DATALIST", "WHERE (REC=:REC) AND (ROWNO=:ROWNO) AND (GROUPID=:GROUPID)"};
    } else {
      if (!child)
        lines = {kParentSelect, "FROM " + TableName, "WHERE (GROUPID=:GROUPID) AND (UPPER(PASNAME)=:PASNAME)",
                 DataPlaceRec > 0 ? "AND (DATAPLACEREC=:DATAPLACEREC)" : ""};
      else
        lines = {kChildSelect, "FROM CHILD_DATALIST", "WHERE (GROUPID=:GROUPID) AND (UPPER(PASNAME)=:PASNAME)"};
    }
    PrepareSql(SQL1, lines);
    SQL1.ParamByName("GROUPID").SetInteger(SystemDef.GroupId);
    if (DataPlaceRec > 0 && !child) SQL1.ParamByName("DATAPLACEREC").SetInteger(DataPlaceRec);
    if (kind == 0) {
      SQL1.ParamByName("REC").SetInteger(row.REC);
      if (child) SQL1.ParamByName("ROWNO").SetInteger(row.ROWNO);
    } else {
      SQL1.ParamByName("PASNAME").SetString(ascii::Upper(row.PASNAME));
    }
    SQL1.ExecQuery();
    while (!SQL1.Eof()) {
      ReadStoredRow(SQL1, row);
      RowFound = true;
      if (row.DataFolder == key) break;
      SQL1.Next();
    }
    SQL1.Close();
    return 0;
  });
}

bool TDataSentakuListCtl::InsertDataListRecord(TDataListRec& row, bool showErrors) {
  if (ListKind == 1) return true;
  if (Blank(row.PASNAME)) return false;
  if (ConnectKind == 0) return true;
  return Guarded(showErrors, "TDataSentakuListCtl.InsertDataListRecord", "データリストの追加に失敗しました。", false,
                 [&] {
                   TWriteScope tx(DM->IBTransactionDEF);
                   row.REC = GetDataFolderName(1);
                   // No number (the lookup failed and has been reported): no row numbered 0.
                   if (row.REC <= 0) return false;
                   if (DataPlaceRec > 0)
                     PrepareSql(SQL1,
                                {"INSERT INTO " + TableName +
                                     "(DATAPLACEREC,REC,GROUPID,PASNAME,ENTTEXT,SHOUGOU,NETDRIVE,DATATYPE,CODETYPE,"
                                     "NENDO,KISHU,KIMATU,DATALOCK,KYOYULOCK,TANTOU,VER_MAJOR,VER_MINOR1,VER_MINOR2,"
                                     "VER_TEXT,GASSAN,DATACODE,DATA_STATUS,YOBI1,YOBI2,YOBI3)",
                                 "VALUES(:DATAPLACEREC,:REC,:GROUPID,:PASNAME,:ENTTEXT,:SHOUGOU,:NETDRIVE,:DATATYPE,"
                                 ":CODETYPE,:NENDO,:KISHU,:KIMATU,:DATALOCK,:KYOYULOCK,:TANTOU,:VER_MAJOR,"
                                 ":VER_MINOR1,:VER_MINOR2,:VER_TEXT,:GASSAN,:DATACODE,:DATA_STATUS,:YOBI1,:YOBI2,"
                                 ":YOBI3)"});
                   else
                     PrepareSql(SQL1,
                                {"INSERT INTO DATALIST(REC,GROUPID,PASNAME,ENTTEXT,SHOUGOU,NETDRIVE,DATATYPE,CODETYPE,"
                                 "NENDO,KISHU,KIMATU,DATALOCK,KYOYULOCK,TANTOU,VER_MAJOR,VER_MINOR1,VER_MINOR2,"
                                 "VER_TEXT,GASSAN,DATACODE,DATA_STATUS,YOBI1,YOBI2,YOBI3)",
                                 "VALUES(:REC,:GROUPID,:PASNAME,:ENTTEXT,:SHOUGOU,:NETDRIVE,:DATATYPE,:CODETYPE,"
                                 ":NENDO,:KISHU,:KIMATU,:DATALOCK,:KYOYULOCK,:TANTOU,:VER_MAJOR,:VER_MINOR1,"
                                 ":VER_MINOR2,:VER_TEXT,:GASSAN,:DATACODE,:DATA_STATUS,:YOBI1,:YOBI2,:YOBI3)"});
                   BindRowParams(SQL1, row);
                   if (DataPlaceRec > 0) SQL1.ParamByName("DATAPLACEREC").SetInteger(DataPlaceRec);
                   SQL1.ExecQuery();
                   SQL1.Close();
                   tx.Finish();
                   return true;
                 });
}

bool TDataSentakuListCtl::UpdateDataListRecord(const TDataListRec& row, int32_t withNames, bool showErrors) {
  if (ListKind == 1) return true;
  if (row.REC == 0 || Blank(row.PASNAME)) return false;
  if (row.GASSAN == kChildKind) return UpdateDataListChildRecord(row, withNames, showErrors);
  return Guarded(showErrors, "TDataSentakuListCtl.UpdateDataListRecord", "データリストの更新に失敗しました。", false,
                 [&] {
                   TWriteScope tx(DM->IBTransactionDEF);
                   if (ConnectKind == 1 || ConnectKind == 2) {
                     // On a server, the row with this number must still be the one registered
                     // for this path; otherwise someone else's row would be overwritten.
                     PrepareSql(SQL1, {"SELECT PASNAME FROM " + TableName, "WHERE (REC=:REC)", PlaceLine()});
                     SQL1.ParamByName("REC").SetInteger(row.REC);
                     SQL1.ExecQuery();
                     bool found = false;
                     std::string registered;
                     while (!SQL1.Eof()) {
                       found = true;
                       registered = SQL1.FieldByName("PASNAME").AsString();
                       SQL1.Next();
                     }
                     SQL1.Close();
                     if (!found || ascii::Upper(registered) != ascii::Upper(row.PASNAME)) {
                       tx.Finish();
                       return true;
                     }
                   }
                   PrepareSql(SQL1, Join(Join({"UPDATE " + TableName}, kListSetLines),
                                         {"WHERE (REC=:REC)",
                                          DataPlaceRec > 0 ? "AND (DATAPLACEREC=:DATAPLACEREC)" : ""}));
                   BindRowParams(SQL1, row);
                   if (DataPlaceRec > 0) SQL1.ParamByName("DATAPLACEREC").SetInteger(DataPlaceRec);
                   SQL1.ExecQuery();
                   if (row.SHOUGOU.empty() && row.KISHU == 0 && row.KIMATU == 0) {
                     PrepareSql(SQL1, {"DELETE FROM CHILD_DATALIST", "WHERE REC=:REC AND GROUPID=:GROUPID"});
                     SQL1.ParamByName("REC").SetInteger(row.REC);
                     SQL1.ParamByName("GROUPID").SetInteger(SystemDef.GroupId);
                     SQL1.ExecQuery();
                   }
                   SQL1.Close();
                   if (row.NETDRIVE == 1) {
                     TDataListRec server = row;
                     UpdateServerDataListRecord(server, withNames, false);
                   }
                   tx.Finish();
                   return true;
                 });
}

bool TDataSentakuListCtl::DeleteDataListRecord(const TDataListRec& row, bool showErrors) {
  if (ListKind == 1) return true;
  if (Blank(row.PASNAME)) return false;
  if (ConnectKind == 0 && row.GASSAN == kChildKind) return DeleteDataListChildRecord(row, showErrors);
  return Guarded(showErrors, "TDataSentakuListCtl.DeleteDataListRecord", "データリストの削除に失敗しました。", false,
                 [&] {
                   TWriteScope tx(DM->IBTransactionDEF);
                   PrepareSql(SQL1, {"DELETE FROM " + TableName, "WHERE (PASNAME=:PASNAME) AND (REC>:REC)",
                                     PlaceLine()});
                   SQL1.ParamByName("PASNAME").SetString(row.PASNAME);
                   SQL1.ParamByName("REC").SetInteger(fw::DataListCnt);
                   SQL1.ExecQuery();
                   SQL1.Close();
                   DeleteDataListChildRecord(row, false);
                   tx.Finish();
                   return true;
                 });
}

void TDataSentakuListCtl::GetDataListChildRecord(TDataSentakuRec& row, bool showErrors) {
  if (ListKind == 1 || ConnectKind != 0) return;
  if (!IsCombinedKind(row.GASSAN)) {
    row.ChildCount = 0;
    row.Children.clear();
    return;
  }
  Guarded(showErrors, "TDataSentakuListCtl.GetDataListChildRecord", "(子)データリストの取得に失敗しました。", 0, [&] {
    TTransactionScope tx(DM->IBTransactionDEF, TTransactionScope::End::Commit);
    PrepareSql(SQL1, {"SELECT COUNT(REC) AS RECCNT FROM CHILD_DATALIST", "WHERE (REC=:REC) AND (GROUPID=:GROUPID)"});
    SQL1.ParamByName("REC").SetInteger(row.REC);
    SQL1.ParamByName("GROUPID").SetInteger(SystemDef.GroupId);
    SQL1.ExecQuery();
    const size_t capacity = SQL1.Eof() ? 0 : static_cast<size_t>(std::max(0, SQL1.FieldByName("RECCNT").AsInteger()));
    SQL1.Close();
    row.Children.clear();
    PrepareSql(SQL1, {kChildSelect, "FROM CHILD_DATALIST", "WHERE (REC=:REC) AND (GROUPID=:GROUPID)", "ORDER BY PASNAME"});
    SQL1.ParamByName("REC").SetInteger(row.REC);
    SQL1.ParamByName("GROUPID").SetInteger(SystemDef.GroupId);
    SQL1.ExecQuery();
    while (!SQL1.Eof() && row.Children.size() < capacity) {
      TDataListRec child;
      ReadStoredRow(SQL1, child);
      row.Children.push_back(child);
      SQL1.Next();
    }
    SQL1.Close();
    row.ChildCount = static_cast<int32_t>(row.Children.size());
    return 0;
  });
}

bool TDataSentakuListCtl::UpdateDataListChildRecord(const TDataListRec& child, int32_t, bool showErrors) {
  if (ListKind == 1 || ConnectKind != 0) return true;
  if (Blank(child.PASNAME)) return false;
  return Guarded(
      showErrors, "TDataSentakuListCtl.UpdateDataListChildRecord", "(子)データリストの更新に失敗しました。", false, [&] {
        TTransactionScope tx(DM->IBTransactionDEF, TTransactionScope::End::CommitOrRollback);
        const bool exists = [&] {
          PrepareSql(SQL1, {"SELECT COUNT(REC) AS RECCNT FROM CHILD_DATALIST",
                            "WHERE REC=:REC AND ROWNO=:ROWNO AND GROUPID=:GROUPID"});
          BindRowParams(SQL1, child);
          SQL1.ExecQuery();
          const bool found = !SQL1.Eof() && SQL1.FieldByName("RECCNT").AsInteger() > 0;
          SQL1.Close();
          return found;
        }();
        if (exists)
          PrepareSql(SQL1, Join(Join({"UPDATE CHILD_DATALIST"}, kListSetLines),
                                {"WHERE REC=:REC AND ROWNO=:ROWNO AND GROUPID=:GROUPID"}));
        else
          PrepareSql(SQL1,
                     {"INSERT INTO CHILD_DATALIST(REC,ROWNO,GROUPID,ENTTEXT,SHOUGOU,PASNAME,NETDRIVE,DATATYPE,CODETYPE,"
                      "NENDO,",
                      "KISHU,KIMATU,DATALOCK,TANTOU,VER_MAJOR,VER_MINOR1,VER_MINOR2,VER_TEXT,KYOYULOCK,UPDATE_LOCK,"
                      "GASSAN,DATACODE,DATA_STATUS,YOBI1,YOBI2,YOBI3)",
                      "VALUES(:REC,:ROWNO,:GROUPID,:ENTTEXT,:SHOUGOU,:PASNAME,:NETDRIVE,:DATATYPE,:CODETYPE,:NENDO,",
                      ":KISHU,:KIMATU,:DATALOCK,:TANTOU,:VER_MAJOR,:VER_MINOR1,:VER_MINOR2,:VER_TEXT,:KYOYULOCK,"
                      ":UPDATE_LOCK,:GASSAN,:DATACODE,:DATA_STATUS,:YOBI1,:YOBI2,:YOBI3)"});
        BindRowParams(SQL1, child);
        SQL1.ExecQuery();
        SQL1.Close();
        if (child.NETDRIVE == 1) {
          TDataListRec server = child;
          UpdateServerDataListChildRecord(server, 1, false);
        }
        return true;
      });
}

bool TDataSentakuListCtl::DeleteDataListChildRecord(const TDataListRec& row, bool showErrors) {
  if (ListKind == 1 || ConnectKind != 0) return true;
  if (Blank(row.PASNAME)) return false;
  return Guarded(
      showErrors, "TDataSentakuListCtl.DeleteDataListChildRecord", "(子)データリストの削除に失敗しました。", false, [&] {
        TTransactionScope tx(DM->IBTransactionDEF, TTransactionScope::End::CommitOrRollback);
        const bool child = row.GASSAN == kChildKind;
        PrepareSql(SQL1, {"DELETE FROM CHILD_DATALIST", child ? "WHERE REC=:REC AND ROWNO=:ROWNO AND GROUPID=:GROUPID"
                                                              : "WHERE REC=:REC AND GROUPID=:GROUPID"});
        SQL1.ParamByName("REC").SetInteger(row.REC);
        if (child) SQL1.ParamByName("ROWNO").SetInteger(row.ROWNO);
        SQL1.ParamByName("GROUPID").SetInteger(SystemDef.GroupId);
        SQL1.ExecQuery();
        if (row.NETDRIVE == 1) {
          // The members of a parent are the rows below its folder: matched by the path and
          // its separator as a bound prefix, so no folder name can change the statement or
          // match a neighbouring folder.
          if (child)
            PrepareSql(SQL1, {"DELETE FROM CHILD_SERVERDATALIST",
                              "WHERE GROUPID=:GROUPID AND DRIVELETTER=:DRIVELETTER AND PASNAME=:PASNAME"});
          else
            PrepareSql(SQL1, {"DELETE FROM CHILD_SERVERDATALIST", "WHERE GROUPID=:GROUPID AND DRIVELETTER=:DRIVELETTER",
                              "AND PASNAME STARTING WITH :PASNAME"});
          SQL1.ParamByName("GROUPID").SetInteger(SystemDef.GroupId);
          SQL1.ParamByName("DRIVELETTER").SetString(DriveLetterOf(row.PASNAME));
          SQL1.ParamByName("PASNAME").SetString(child ? row.PASNAME : IncludeTrailingPathDelimiter(row.PASNAME));
          SQL1.ExecQuery();
        }
        SQL1.Close();
        return true;
      });
}

int32_t TDataSentakuListCtl::GetDataFolderName(int32_t increment) {
  if (ListKind == 1) return 0;
  try {
    TTransactionScope tx(DM->IBTransactionDEF, TTransactionScope::End::Commit);
    // REC is the key over all groups: the next number comes from the whole table (within
    // the data place), or a group's new row would collide with another group's.
    PrepareSql(SQL1, {"SELECT MAX(REC) AS RECMAX FROM " + TableName,
                      DataPlaceRec > 0 ? "WHERE (DATAPLACEREC=" + std::to_string(DataPlaceRec) + ")" : ""});
    SQL1.ExecQuery();
    const int32_t max = SQL1.Eof() ? 0 : SQL1.FieldByName("RECMAX").AsInteger();
    SQL1.Close();
    return max + increment;
  } catch (const EIBError& e) {
    SQL1.Close();
    ReportDbError(e, "TDataSentakuListCtl.GetDataFolderName", "最大のレコー番号の取得に失敗しました。", true);
    return 0;
  }
}

bool TDataSentakuListCtl::IsDataPathToroku(const std::string& path) {
  if (ListKind == 1) return true;
  try {
    TTransactionScope tx(DM->IBTransactionDEF, TTransactionScope::End::Commit);
    PrepareSql(SQL1, {"SELECT COUNT(REC) AS RECCNT FROM " + TableName,
                      "WHERE (GROUPID=:GROUPID) AND (UPPER(PASNAME)=:PASNAME)", PlaceLine()});
    SQL1.ParamByName("GROUPID").SetInteger(SystemDef.GroupId);
    SQL1.ParamByName("PASNAME").SetString(ascii::Upper(path));
    SQL1.ExecQuery();
    const bool found = !SQL1.Eof() && SQL1.FieldByName("RECCNT").AsInteger() > 0;
    SQL1.Close();
    return found;
  } catch (const EIBError& e) {
    SQL1.Close();
    ReportDbError(e, "TDataSentakuListCtl.IsDataPathToroku", "データリストの登録チェックに失敗しました。", true);
    return false;
  }
}

int32_t TDataSentakuListCtl::GetRecByPath(const std::string& path) {
  try {
    TTransactionScope tx(DM->IBTransactionDEF, TTransactionScope::End::CommitQuietly);
    PrepareSql(SQL1, {"SELECT REC FROM " + TableName, "WHERE (PASNAME=:PASNAME)", PlaceLine()});
    SQL1.ParamByName("PASNAME").SetString(path);
    SQL1.ExecQuery();
    const int32_t rec = SQL1.Eof() ? 0 : SQL1.FieldByName("REC").AsInteger();
    SQL1.Close();
    return rec;
  } catch (const std::exception&) {
    SQL1.Close();
    return 0;
  }
}

void TDataSentakuListCtl::GetRecFromPath(const std::string& path, int32_t& rec) {
  rec = 0;
  if (Blank(path)) return;
  if (ConnectKind == 0) {
    std::string dataNo, childNo;
    TDM::SplitDataPath(path, dataNo, childNo);
    rec = SafeStrToInt(dataNo);
  } else if (ConnectKind == 1 || ConnectKind == 2) {
    TDataListRec row;
    InitDataListRecord(row, path);
    GetDataListRecord(1, row, true);
    rec = row.REC;
  }
}

// ---------------------------------------------------------------------------------------
// Shared-server tables

bool TDataSentakuListCtl::UpdateServerDataListRecord(TDataListRec& row, int32_t withNames, bool showErrors) {
  if (row.NETDRIVE == 0) return true;
  if (row.GASSAN == kChildKind) return UpdateServerDataListChildRecord(row, withNames, showErrors);
  return Guarded(
      showErrors, "TDataSentakuListCtl.UpdateServerDataListRecord", "共有データリストの更新に失敗しました。", false, [&] {
        TTransactionScope tx(DM->IBTransactionDEF, TTransactionScope::End::CommitOrRollback);
        const int32_t group = SystemDef.GroupId;
        const std::string drive = DriveLetterOf(row.PASNAME);
        const std::string where = "WHERE (GROUPID=:GROUPID) AND (DRIVELETTER=:DRIVELETTER) AND (PASNAME=:PASNAME)";
        auto bindKey = [&] {
          SQL1.ParamByName("GROUPID").SetInteger(group);
          SQL1.ParamByName("DRIVELETTER").SetString(drive);
          SQL1.ParamByName("PASNAME").SetString(row.PASNAME);
        };
        PrepareSql(SQL1, {"SELECT COUNT(REC) AS RECCNT FROM SERVERDATALIST", where});
        bindKey();
        SQL1.ExecQuery();
        const int count = SQL1.Eof() ? 0 : SQL1.FieldByName("RECCNT").AsInteger();
        SQL1.Close();
        row.REC = 0;
        if (count == 1) {
          PrepareSql(SQL1, {"SELECT REC FROM SERVERDATALIST", where});
          bindKey();
          SQL1.ExecQuery();
          if (!SQL1.Eof()) row.REC = SQL1.FieldByName("REC").AsInteger();
          SQL1.Close();
        } else if (count > 1) {
          // One folder registered under several numbers: cleaned up to a single new row.
          PrepareSql(SQL1, {"DELETE FROM SERVERDATALIST", where});
          bindKey();
          SQL1.ExecQuery();
          SQL1.Close();
        }
        if (FolderExists(row.PASNAME)) {
          if (row.REC != 0) {
            std::vector<std::string> lines = Join({"UPDATE SERVERDATALIST"}, kServerSetLines);
            if (withNames == 1) lines.emplace_back(",ENTTEXT=:ENTTEXT,SHOUGOU=:SHOUGOU");
            lines.emplace_back("WHERE (GROUPID=:GROUPID) AND (DRIVELETTER=:DRIVELETTER) AND (REC=:REC)");
            PrepareSql(SQL1, lines);
          } else {
            PrepareSql(SQL1, {"SELECT MAX(REC) AS RECMAX FROM SERVERDATALIST",
                              "WHERE (GROUPID=:GROUPID) AND (DRIVELETTER=:DRIVELETTER)"});
            SQL1.ParamByName("GROUPID").SetInteger(group);
            SQL1.ParamByName("DRIVELETTER").SetString(drive);
            SQL1.ExecQuery();
            row.REC = 1 + (SQL1.Eof() ? 0 : SQL1.FieldByName("RECMAX").AsInteger());
            SQL1.Close();
            PrepareSql(SQL1, {std::string("INSERT INTO SERVERDATALIST") + kServerInsertColumns, kServerInsertValues});
          }
          BindRowParams(SQL1, row);
          SQL1.ParamByName("GROUPID").SetInteger(group);
          SQL1.ParamByName("DRIVELETTER").SetString(drive);
          SQL1.ExecQuery();
          SQL1.Close();
        }
        if (row.ENTTEXT != kFreeAreaName && row.ENTTEXT != kNewAreaName && row.KISHU == 0 && row.KIMATU == 0) {
          PrepareSql(SQL1, {"DELETE FROM SERVERDATALIST",
                            "WHERE (GROUPID=:GROUPID) AND (DRIVELETTER=:DRIVELETTER) AND (REC=:REC)"});
          SQL1.ParamByName("GROUPID").SetInteger(group);
          SQL1.ParamByName("DRIVELETTER").SetString(drive);
          SQL1.ParamByName("REC").SetInteger(row.REC);
          SQL1.ExecQuery();
        }
        PrepareSql(SQL1, {"UPDATE DATALIST", "SET DATALOCK=:DATALOCK", "WHERE PASNAME=:PASNAME"});
        SQL1.ParamByName("DATALOCK").SetInteger(row.DATALOCK);
        SQL1.ParamByName("PASNAME").SetString(row.PASNAME);
        SQL1.ExecQuery();
        SQL1.Close();
        return true;
      });
}

bool TDataSentakuListCtl::UpdateServerDataListChildRecord(TDataListRec& child, int32_t withNames, bool showErrors) {
  if (child.NETDRIVE == 0) return true;
  return Guarded(showErrors, "TDataSentakuListCtl.UpdateServerDataListChildRecord",
                 "共有(子)データリストの更新に失敗しました。", false, [&] {
                   TTransactionScope tx(DM->IBTransactionDEF, TTransactionScope::End::CommitOrRollback);
                   const int32_t group = SystemDef.GroupId;
                   const std::string drive = DriveLetterOf(child.PASNAME);
                   const std::string where =
                       "WHERE (GROUPID=:GROUPID) AND (DRIVELETTER=:DRIVELETTER) AND (PASNAME=:PASNAME)";
                   auto bindKey = [&](const std::string& path) {
                     SQL1.ParamByName("GROUPID").SetInteger(group);
                     SQL1.ParamByName("DRIVELETTER").SetString(drive);
                     SQL1.ParamByName("PASNAME").SetString(path);
                   };
                   PrepareSql(SQL1, {"SELECT COUNT(REC) AS RECCNT FROM CHILD_SERVERDATALIST", where});
                   bindKey(child.PASNAME);
                   SQL1.ExecQuery();
                   const int count = SQL1.Eof() ? 0 : SQL1.FieldByName("RECCNT").AsInteger();
                   SQL1.Close();
                   child.REC = 0;
                   if (count == 1) {
                     PrepareSql(SQL1, {"SELECT REC FROM CHILD_SERVERDATALIST", where});
                     bindKey(child.PASNAME);
                     SQL1.ExecQuery();
                     if (!SQL1.Eof()) child.REC = SQL1.FieldByName("REC").AsInteger();
                     SQL1.Close();
                   } else if (count > 1) {
                     PrepareSql(SQL1, {"DELETE FROM CHILD_SERVERDATALIST", where});
                     bindKey(child.PASNAME);
                     SQL1.ExecQuery();
                     SQL1.Close();
                   }
                   if (child.REC != 0) {
                     std::vector<std::string> lines = Join({"UPDATE CHILD_SERVERDATALIST"}, kServerSetLines);
                     if (withNames == 1) lines.emplace_back(",ENTTEXT=:ENTTEXT,SHOUGOU=:SHOUGOU");
                     lines.emplace_back(
                         "WHERE (GROUPID=:GROUPID) AND (DRIVELETTER=:DRIVELETTER) AND (REC=:REC) AND (ROWNO=:ROWNO)");
                     PrepareSql(SQL1, lines);
                   } else {
                     // Filed under the server row of the folder that holds the member's folder.
                     PrepareSql(SQL1, {"SELECT REC FROM SERVERDATALIST", where});
                     bindKey(ExtractFileDir(ExcludeTrailingPathDelimiter(child.PASNAME)));
                     SQL1.ExecQuery();
                     while (!SQL1.Eof()) {
                       child.REC = SQL1.FieldByName("REC").AsInteger();
                       SQL1.Next();
                     }
                     SQL1.Close();
                     PrepareSql(SQL1,
                                {"INSERT INTO CHILD_SERVERDATALIST(GROUPID,DRIVELETTER,REC,ROWNO,ENTTEXT,SHOUGOU,"
                                 "PASNAME,DATATYPE,CODETYPE,",
                                 "NENDO,KISHU,KIMATU,DATALOCK,TANTOU,VER_MAJOR,VER_MINOR1,VER_MINOR2,VER_TEXT,"
                                 "UPDATE_LOCK,GASSAN,DATACODE,DATA_STATUS,YOBI1,YOBI2,YOBI3)",
                                 "VALUES(:GROUPID,:DRIVELETTER,:REC,:ROWNO,:ENTTEXT,:SHOUGOU,:PASNAME,:DATATYPE,"
                                 ":CODETYPE,",
                                 ":NENDO,:KISHU,:KIMATU,:DATALOCK,:TANTOU,:VER_MAJOR,:VER_MINOR1,:VER_MINOR2,:VER_TEXT,"
                                 ":UPDATE_LOCK,:GASSAN,:DATACODE,:DATA_STATUS,:YOBI1,:YOBI2,:YOBI3)"});
                   }
                   if (child.REC > 0) {
                     BindRowParams(SQL1, child);
                     SQL1.ParamByName("GROUPID").SetInteger(group);
                     SQL1.ParamByName("DRIVELETTER").SetString(drive);
                     SQL1.ExecQuery();
                   }
                   PrepareSql(SQL1, {"UPDATE CHILD_DATALIST", "SET DATALOCK=:DATALOCK", "WHERE PASNAME=:PASNAME"});
                   SQL1.ParamByName("DATALOCK").SetInteger(child.DATALOCK);
                   SQL1.ParamByName("PASNAME").SetString(child.PASNAME);
                   SQL1.ExecQuery();
                   SQL1.Close();
                   return true;
                 });
}

bool TDataSentakuListCtl::DeleteServerDataListChildRecord(const TDataListRec& row, bool showErrors) {
  if (row.NETDRIVE == 0) return true;
  if (Blank(row.PASNAME)) return false;
  return Guarded(showErrors, "TDataSentakuListCtl.DeleteServerDataListChildRecord",
                 "共有(子)データリストの削除に失敗しました。", false, [&] {
                   TTransactionScope tx(DM->IBTransactionDEF, TTransactionScope::End::CommitOrRollback);
                   const bool child = row.GASSAN == kChildKind;
                   PrepareSql(SQL1, {"DELETE FROM CHILD_SERVERDATALIST",
                                     child ? "WHERE GROUPID=:GROUPID AND DRIVELETTER=:DRIVELETTER AND REC=:REC AND "
                                             "ROWNO=:ROWNO"
                                           : "WHERE GROUPID=:GROUPID AND DRIVELETTER=:DRIVELETTER AND REC=:REC"});
                   SQL1.ParamByName("GROUPID").SetInteger(SystemDef.GroupId);
                   SQL1.ParamByName("DRIVELETTER").SetString(DriveLetterOf(row.PASNAME));
                   SQL1.ParamByName("REC").SetInteger(row.REC);
                   if (child) SQL1.ParamByName("ROWNO").SetInteger(row.ROWNO);
                   SQL1.ExecQuery();
                   SQL1.Close();
                   return true;
                 });
}

void TDataSentakuListCtl::GetServerFolderName(const std::string& shareRoot, int32_t increment, std::string& name) {
  name.clear();
  auto format = [](int32_t n) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "sv%.4d", n);
    return std::string(buf);
  };
  try {
    TTransactionScope tx(DM->IBTransactionDEF, TTransactionScope::End::CommitQuietly);
    // The share root is a bound prefix: "%" or "_" in a folder name match only themselves.
    PrepareSql(SQL1, {"SELECT MAX(PASNAME) AS MAXPATH FROM SERVERDATALIST",
                      "WHERE (GROUPID=:GROUPID) AND (DRIVELETTER=:DRIVELETTER) AND (PASNAME STARTING WITH :PASNAME)"});
    SQL1.ParamByName("GROUPID").SetInteger(SystemDef.GroupId);
    SQL1.ParamByName("DRIVELETTER").SetString(DriveLetterOf(shareRoot));
    SQL1.ParamByName("PASNAME").SetString(IncludeTrailingPathDelimiter(shareRoot) + "sv");
    SQL1.ExecQuery();
    const std::string maxPath = SQL1.Eof() ? std::string() : SQL1.FieldByName("MAXPATH").AsString();
    SQL1.Close();
    const int32_t n = maxPath.size() >= 4 ? SafeStrToInt(maxPath.substr(maxPath.size() - 4)) : 0;
    name = format(n + increment);
  } catch (const std::exception&) {
    SQL1.Close();
    name = "sv0001";
  }
}

// ---------------------------------------------------------------------------------------
// Children and folders

void TDataSentakuListCtl::SetChildDispNames(TDataSentakuRec& row) {
  for (size_t i = 0; i < row.Children.size(); ++i) {
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%.2d ", static_cast<int>(i + 1));
    row.Children[i].DispName = prefix + row.Children[i].ENTTEXT;
  }
}

void TDataSentakuListCtl::RemoveChild(TDataSentakuRec& row, int32_t index) {
  if (index >= 0 && static_cast<size_t>(index) < row.Children.size())
    row.Children.erase(row.Children.begin() + index);
  row.ChildCount = std::max(0, row.ChildCount - 1);
  row.Children.resize(static_cast<size_t>(row.ChildCount));
}

void TDataSentakuListCtl::GetSubFolderNames(const std::string& path, std::vector<std::string>& list) {
  list = GetFileList(ResolvePath(path), 1);
}

void TDataSentakuListCtl::GetShareSubFolders(const TDataListRec& row, std::vector<std::string>& list) {
  list.clear();
  for (const std::string& name : GetFileList(ResolvePath(row.PASNAME), 1))
    list.push_back(IncludeTrailingPathDelimiter(row.PASNAME) + name);
}

void TDataSentakuListCtl::GetLocalSubFolders(const TDataListRec& row, std::vector<std::string>& list) {
  list.clear();
  for (const std::string& name : GetFileList(ResolvePath(row.DataFolder), 1))
    list.push_back(IncludeTrailingPathDelimiter(row.DataFolder) + name);
}
