#include "data/uAccClassesLists.h"

#include <array>
#include <stdexcept>
#include <utility>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccConst.h"
#include "data/uAccFunctionDb.h"
#include "data/uAccRecord.h"

namespace {

std::string Trim(const std::string& s) {
  const auto b = s.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// Runs body in tr, starting it when idle and committing what was started. A failure is
// reported only when the transaction was started here; it is committed all the same, and
// passed on when `propagate`.
template <class Body>
void RunInList(TIBTransaction* tr, const char* context, const char* message, bool propagate, Body body) {
  const bool started = tr && !tr->Active();
  if (started) tr->StartTransaction();
  try {
    body();
    if (started && tr->Active()) tr->Commit();
  } catch (const std::exception& e) {
    if (started) {
      ReportFailure(e, context, message, true);
      try {
        if (tr->Active()) tr->Commit();
      } catch (...) {
      }
    }
    if (propagate) throw;
  }
}

std::string Quote(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    if (c == '"') c = '\'';
  return "\"" + out + "\"";
}

const char* const kPermitExpr =
    "CASE WHEN MIN(CASE WHEN S.SCODE IN (SELECT SCODE FROM OPLICENSE WHERE OPCODE=:OPCODE) THEN 1\n"
    "ELSE 0\n"
    "END)=1 THEN 1\n"
    "ELSE 0 END AS PERMIT\n";

}  // namespace

// ---------------------------------------------------------------------------- TUserList

TUserList::TUserList() {
  OwnTransaction.Params = {"read_committed", "rec_version", "nowait"};
  if (DM) {
    OwnTransaction.SetDefaultDatabase(&DM->IBDatabaseDEF);
    DefSQL.SetDatabase(&DM->IBDatabaseDEF);
    DatSQL.SetDatabase(&DM->IBDatabaseDAT);
    DatSQL.SetTransaction(&DM->IBTransactionDAT);
  }
  DefSQL.SetTransaction(&OwnTransaction);
}

void TUserList::Clear() {
  Rows.clear();
  Items.clear();
  Count = 0;
}

int32_t TUserList::GetOpCode(int index) const {
  if (index < 0 || index >= Count || index >= static_cast<int>(Items.size())) return 0;
  const std::string& item = Items[index];
  const auto colon = item.find(':');
  if (colon == std::string::npos) return 0;
  try {
    return std::stoi(item.substr(0, colon));
  } catch (...) {
    return 0;
  }
}

std::string TUserList::GetText() const {
  std::string text;
  for (const std::string& item : Items) text += item + "\r\n";
  return text;
}

void TUserList::Execute() {
  Clear();
  if (!HeaderText.empty()) {
    TUserListRec head;
    head.GROUPID = Group;
    head.OPNAME = HeaderText;
    head.JOBLEVEL = 9;
    Rows.push_back(head);
    Items.push_back(HeaderText);
  }
  RunInList(DefSQL.Transaction(), "TUserList.Execute", "ユーザーリストの取得に失敗しました。", false, [&] {
    DefSQL.Close();
    DefSQL.SQL =
        "SELECT COUNT(O.GROUPID) AS RECCNT FROM OPERATOR O\nINNER JOIN LEVELNAME L ON (O.JOBLEVEL=L.LEVELNO)\n"
        "WHERE (O.GROUPID=:GROUPID) AND (O.OPCODE>=10)";
    DefSQL.ParamByName("GROUPID").SetInteger(Group);
    DefSQL.ExecQuery();
    const int n = DefSQL.Eof() ? 0 : DefSQL.FieldByName("RECCNT").AsInteger();
    DefSQL.Close();
    if (n > 0) {
      const std::string tail =
          "\nFROM OPERATOR O\nINNER JOIN LEVELNAME L ON (O.JOBLEVEL=L.LEVELNO)\n"
          "WHERE (O.GROUPID=:GROUPID) AND (O.OPCODE>=10)\nORDER BY O.OPCODE";
      const std::string head = "SELECT O.GROUPID,O.OPCODE,O.OPNAME,O.JOBLEVEL,L.NAME,O.PASWORD,O.DATAPAS,O.JIMUSHO,O.OKINIIRI,O.KANSA,";
      DefSQL.SQL = head + "O.MYNUMBER_ADM" + tail;
      // An older system database has no MYNUMBER_ADM column: the same query without it.
      for (int failures = 0;; ++failures) {
        try {
          DefSQL.ParamByName("GROUPID").SetInteger(Group);
          DefSQL.ExecQuery();
          break;
        } catch (const EIBError&) {
          DefSQL.Close();
          if (failures >= 3) throw std::runtime_error("OPERATORテーブル参照クエリーの作成エラー");
          DefSQL.SQL = head + "0 AS MYNUMBER_ADM" + tail;
        }
      }
      while (!DefSQL.Eof()) {
        TUserListRec r;
        r.GROUPID = DefSQL.FieldByName("GROUPID").AsInteger();
        r.OPCODE = DefSQL.FieldByName("OPCODE").AsInteger();
        r.OPNAME = DefSQL.FieldByName("OPNAME").AsString();
        r.PASWORD = DefSQL.FieldByName("PASWORD").AsString();
        r.JOBLEVEL = DefSQL.FieldByName("JOBLEVEL").AsInteger();
        r.LEVELNAME = DefSQL.FieldByName("NAME").AsString();
        r.JIMUSHO = DefSQL.FieldByName("JIMUSHO").AsInteger() != 0;
        r.OKINIIRI = DefSQL.FieldByName("OKINIIRI").AsInteger() != 0;
        r.MYNUMBER_ADM = DefSQL.FieldByName("MYNUMBER_ADM").AsInteger() != 0;
        Items.push_back(std::to_string(r.OPCODE) + ":" + r.OPNAME);
        Rows.push_back(std::move(r));
        DefSQL.Next();
      }
      DefSQL.Close();
    }
  });
  DefSQL.Close();
  Count = static_cast<int>(Items.size());
}

// ----------------------------------------------------------------------- TLoginUserList

void TLoginUserList::Clear() {
  Rows.clear();
  Items.clear();
  Count = 0;
  OpCode = 0;
}

TLoginUserListOnDef::TLoginUserListOnDef() {
  if (DM) {
    SQL.SetDatabase(&DM->IBDatabaseDEF);
    SQL.SetTransaction(&DM->IBTransactionDEF);
  }
  Clear();
}

void TLoginUserListOnDef::Execute(int32_t group, int32_t logonId, bool includeSelf) {
  Clear();
  Group = group;
  OpCode = logonId;
  IncludeSelf = includeSelf ? 1 : 0;
  RunInList(SQL.Transaction(), "TLoginUserListOnDef.Execute", "ログインユーザーリストの取得に失敗しました。", true,
            [&] {
              SQL.Close();
              SQL.SQL = std::string(
                            "SELECT L.OPERATORCODE,L.PCNAME,O.OPNAME FROM LOGONUSERLIST L\n"
                            "INNER JOIN OPERATOR O ON(L.GROUPID=O.GROUPID AND L.OPERATORCODE=O.OPCODE)\n"
                            "WHERE L.GROUPID=:GROUPID\n") +
                        (includeSelf ? "" : "AND L.OPCODE<>:OPCODE\n") +
                        "GROUP BY L.OPERATORCODE,L.PCNAME,O.OPNAME\nORDER BY L.OPERATORCODE";
              SQL.ParamByName("GROUPID").SetInteger(group);
              if (!includeSelf) SQL.ParamByName("OPCODE").SetInteger(logonId);
              SQL.ExecQuery();
              while (!SQL.Eof()) {
                TLoginUserListRec r;
                r.OPERATORCODE = SQL.FieldByName("OPERATORCODE").AsInteger();
                r.PCNAME = SQL.FieldByName("PCNAME").AsString();
                r.OPNAME = SQL.FieldByName("OPNAME").AsString();
                Items.push_back(std::to_string(r.OPERATORCODE) + ":" + r.OPNAME);
                Rows.push_back(std::move(r));
                SQL.Next();
              }
              SQL.Close();
            });
  Count = static_cast<int>(Items.size());
}

// --------------------------------------------------------------------------- TSitenList

TSitenList::TSitenList() {
  if (DM) {
    SQL.SetDatabase(&DM->IBDatabaseDAT);
    SQL.SetTransaction(&DM->IBTransactionDAT);
  }
}

void TSitenList::Clear() {
  Rows.clear();
  Items.clear();
  Count = 0;
  OpCode = 0;
}

std::string TSitenList::GetCode(int index) const {
  if (index < 0 || index >= Count || index >= static_cast<int>(Rows.size())) return "";
  return Rows[index].Code;
}

std::string TSitenList::TotalName() const {
  if (AccInf.SITEN == 0) return AccInf.SHOUGOU;
  return AccInf.DATATYPE == 2 ? SitenTotalNames[1] : SitenTotalNames[0];
}

namespace {
enum class ItemKind { Total, BusinessKind, Group, Facility };

std::string ItemText(ItemKind kind, const TSitenListRec& r, bool quoted, bool permitQueried) {
  switch (kind) {
    case ItemKind::Total:
      if (!quoted) return r.Name;
      return permitQueried ? r.Name + ",," : Quote(r.Name) + "\t\"\"\t\"\"";
    case ItemKind::BusinessKind:
      return quoted ? Quote(r.Name) + "\t\"\"\t\"\"" : r.Name;
    case ItemKind::Group:
      return quoted ? Quote("(" + r.Code + ")") + "\t" + Quote(r.Code) + "\t" + Quote(r.Name)
                    : "(" + r.Code + "):" + r.Name;
    case ItemKind::Facility:
      return quoted ? Quote(r.Code) + "\t\"\"\t" + Quote(r.Name) : r.Code + ":" + r.Name;
  }
  return r.Name;
}
}  // namespace

void TSitenList::Add(const TSitenListRec& row, bool permitQueried) {
  ItemKind kind = ItemKind::Facility;
  if (row.Kind == 0) kind = ItemKind::Total;
  else if (row.Kind == 5) kind = ItemKind::Group;
  else if (row.Kind == 1) kind = Trim(row.Code).empty() ? ItemKind::BusinessKind : ItemKind::Group;
  Rows.push_back(row);
  Items.push_back(ItemText(kind, row, Quoted != 0, permitQueried));
}

bool TSitenList::OperatorHasAll(const std::string& sql, int32_t opCode) {
  SQL.Close();
  SQL.SQL = sql;
  SQL.ParamByName("OPCODE").SetInteger(opCode);
  SQL.ExecQuery();
  const bool permit = !SQL.Eof() && SQL.FieldByName("PERMIT").AsInteger() == 1;
  SQL.Close();
  return permit;
}

void TSitenList::AddFacilities(bool medical, bool withDepartments, int32_t opCode) {
  const int32_t jigyouTotal = medical ? 0 : 1;
  if (AccInf.SITEN == 0) {
    if ((Kinds & skTotal) == 0) {
      TSitenListRec r{" ", TotalName(), 0, jigyouTotal, withDepartments ? 0 : AccInf.BUMON, 0, "", ""};
      Add(r);
    }
    return;
  }
  if (AccInf.SITEN != 1) return;
  std::string sql = std::string("SELECT S.SCODE,S.SNAME,") + (medical ? "S.MB_JIGYOU," : "") +
                    (withDepartments ? "" : "S.BUMEX,") + "S.XSTR FROM SISETUMST S\n";
  const char* bumex = withDepartments ? " AND (S.BUMEX=1)" : "";
  if (opCode == -1)
    sql += std::string("WHERE (S.SCODE<>'')") + bumex + "\n";
  else
    sql += std::string("INNER JOIN OPLICENSE O ON (O.SCODE=S.SCODE)\nWHERE (S.SCODE<>'')") + bumex +
           " AND (O.OPCODE=:OPCODE)\n";
  if (medical && JigyouFilter > 0) sql += "AND (S.MB_JIGYOU=" + std::to_string(JigyouFilter) + ")\n";
  sql += "ORDER BY S.SCODE";
  SQL.Close();
  SQL.SQL = sql;
  if (opCode != -1) SQL.ParamByName("OPCODE").SetInteger(opCode);
  SQL.ExecQuery();
  while (!SQL.Eof()) {
    TSitenListRec r;
    r.Code = SQL.FieldByName("SCODE").AsString();
    const bool skip = Trim(r.Code).empty() || (medical && WithCode00 == 0 && r.Code == "00");
    if (!skip) {
      r.Name = SQL.FieldByName("SNAME").AsString();
      r.Kind = withDepartments ? 3 : 2;
      r.Jigyou = medical ? SQL.FieldByName("MB_JIGYOU").AsInteger() : 1;
      r.Bumex = withDepartments ? 1 : SQL.FieldByName("BUMEX").AsInteger();
      TAccValue color;
      TDM::GetXStrValue(SQL.FieldByName("XSTR").AsString(), "COLOR", color);
      r.Color = color.AsInteger() > 0 ? color.AsInteger() : 0xFFAF80;
      Add(r);
    }
    SQL.Next();
  }
  SQL.Close();
}

void TSitenList::Execute(int32_t opCode) {
  Clear();
  const bool medical = AccInf.DATATYPE == 3 && AccInf.CODETYPE == 1;
  if (TDM::IsSisetuAdmin()) opCode = -1;
  OpCode = opCode;
  RunInList(SQL.Transaction(), "TSitenList.Execute", "支店リストの取得に失敗しました。", true, [&] {
    const int32_t jigyouTotal = medical ? 0 : 1;
    if (Kinds & skTotal) {
      if (opCode != -1 && AccInf.SITEN != 0) {
        const std::string sql = std::string("SELECT\n") + kPermitExpr + "FROM SISETUMST S\nWHERE S.SCODE <> ''";
        if (OperatorHasAll(sql, opCode)) Add({" ", TotalName(), 0, jigyouTotal, 0, 0, "", ""}, !medical);
      } else {
        Add({" ", TotalName(), 0, jigyouTotal, 0, 0, "", ""});
      }
    }
    if ((Kinds & skGroups) && AccInf.SITEN == 1) {
      if (medical) {
        auto counts = [&](bool forOperator) {
          std::array<int, 9> n = {};
          std::string sql = "SELECT S.MB_JIGYOU,COUNT(S.SCODE) AS RECCNT FROM SISETUMST S\n";
          sql += forOperator ? "INNER JOIN OPLICENSE O ON (O.SCODE=S.SCODE)\n"
                               "WHERE (S.SCODE NOT IN ('','00')) AND (O.OPCODE=:OPCODE)\n"
                             : "WHERE (S.SCODE NOT IN ('','00'))\n";
          if (JigyouFilter > 0) sql += "AND (S.MB_JIGYOU=" + std::to_string(JigyouFilter) + ")\n";
          sql += "GROUP BY S.MB_JIGYOU\nORDER BY S.MB_JIGYOU DESC";
          SQL.Close();
          SQL.SQL = sql;
          if (forOperator) SQL.ParamByName("OPCODE").SetInteger(opCode);
          SQL.ExecQuery();
          while (!SQL.Eof()) {
            const int kind = SQL.FieldByName("MB_JIGYOU").AsInteger();
            if (kind >= 0 && kind < 9) n[kind] = SQL.FieldByName("RECCNT").AsInteger();
            SQL.Next();
          }
          SQL.Close();
          return n;
        };
        const auto all = counts(false);
        const auto mine = opCode == -1 ? all : counts(true);
        for (auto [kind, name] : {std::pair{8, "病院・診療所"}, std::pair{4, "老人保健施設"},
                                  std::pair{2, "指定訪問看護"}, std::pair{1, "その他の事業"}}) {
          if (all[kind] > 0 && mine[kind] == all[kind]) Add({" ", name, 1, kind, 0, 0, "", ""});
        }
      }
      std::string sql = opCode == -1 ? "SELECT G.GCODE,G.GNAME, 1 AS PERMIT\n"
                                     : std::string("SELECT G.GCODE,G.GNAME,\n") + kPermitExpr;
      sql +=
          "FROM SISETUGROUPLIST S\nINNER JOIN SISETUGROUP G ON (S.GCODE=G.GCODE)\nWHERE S.SCODE <> ''\n"
          "GROUP BY G.GCODE,G.GNAME\nORDER BY G.GCODE";
      SQL.Close();
      SQL.SQL = sql;
      if (opCode != -1) SQL.ParamByName("OPCODE").SetInteger(opCode);
      SQL.ExecQuery();
      while (!SQL.Eof()) {
        if (SQL.FieldByName("PERMIT").AsInteger() == 1)
          Add({SQL.FieldByName("GCODE").AsString(), SQL.FieldByName("GNAME").AsString(), medical ? 5 : 1,
               medical ? 0 : 1, 0, 0, "", ""});
        SQL.Next();
      }
      SQL.Close();
    }
    if (Kinds & skFacilities) AddFacilities(medical, false, opCode);
    if (Kinds & skFacilitiesWithDepartments) AddFacilities(medical, true, opCode);
  });
  Count = static_cast<int>(Items.size());
}
