#include "comm/z5FileLoader.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "data/DataModule.h"
#include "data/uAccRecord.h"
#include "data/uAccTaxCmp.h"
#include "platform/Encoding.h"
#include "platform/FileReplace.h"
#include "platform/TextLines.h"
#include "platform/db/TransactionScope.h"

namespace {

const char kKindLabel[] = "// ファイル種別: ";
const char kVersionLabel[] = "// ファイルVer : ";

bool IsBlank(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }

std::string TrimBlanks(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

// The whole field as a decimal integer (blanks around it allowed).
bool ToInt(const std::string& field, int& out) {
  std::string t = TrimBlanks(field);
  if (t.empty()) return false;
  const char* first = t.data();
  if (*first == '+') ++first;
  auto [p, ec] = std::from_chars(first, t.data() + t.size(), out);
  return ec == std::errc() && p == t.data() + t.size();
}

int IntOr(const std::string& field, int fallback) {
  int v = 0;
  return ToInt(field, v) ? v : fallback;
}

// An empty branch code stands for the company as a whole, kept as one blank.
std::string BranchOf(const std::string& field) { return IsBlank(field) ? std::string(" ") : field; }

void SetTextOrNull(TIBParam& p, const std::string& v) {
  if (v.empty())
    p.SetNull();
  else
    p.SetString(v);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TBaseLoader

TBaseLoader::TBaseLoader() {
  if (DM) {
    SetDatabase(&DM->IBDatabaseDAT);
    SetTransaction(&DM->IBTransactionDAT);
  }
  OpCode = SystemDef.OpCode;
  Splitter.Delimiter = Delimiter;
}

TBaseLoader::~TBaseLoader() = default;

void TBaseLoader::SetDatabase(TIBDatabase* db) {
  for (TIBSQL& q : IBSQL) q.SetDatabase(db);
}

void TBaseLoader::SetTransaction(TIBTransaction* tr) {
  for (TIBSQL& q : IBSQL) q.SetTransaction(tr);
}

TIBTransaction* TBaseLoader::Transaction() const { return IBSQL[0].Transaction(); }

std::string TBaseLoader::EscapeText(const std::string& text, bool removeControls) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (removeControls && (c == '\t' || c == '\r' || c == '\n')) continue;
    if (c == '"')
      out += "''";
    else
      out += c;
  }
  return out;
}

std::string TBaseLoader::UnescapeText(const std::string& text, bool removeControls) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (removeControls && (c == '\t' || c == '\r' || c == '\n')) continue;
    if (c == '\'' && i + 1 < text.size() && text[i + 1] == '\'') {
      out += '"';
      ++i;
    } else {
      out += c;
    }
  }
  return out;
}

void TBaseLoader::WriteHeader() {
  if (!FileKind.empty() && !FileVersion.empty()) {
    Lines.push_back(kKindLabel + FileKind);
    Lines.push_back(kVersionLabel + FileVersion);
  }
  Lines.push_back("// データ名    : " + AccInf.SHOUGOU);
  const char* kind = "不明";
  switch (AccInf.DATATYPE) {
    case 1: kind = "法人"; break;
    case 2: kind = "個人"; break;
    case 3: kind = "医療法人"; break;
  }
  Lines.push_back(std::string("// データ種別  : ") + kind);
  Lines.push_back("// データVer   : " + SystemDef.OpenDataVer);
  Lines.push_back("// 作成日      : " + FormatDateTime("yyyy/mm/dd", Today()));
}

int TBaseLoader::MajorOf(const std::string& version) {
  size_t dot = version.find('.');
  if (dot == std::string::npos || version.find('.', dot + 1) != std::string::npos) return 0;
  int major = 0;
  return ToInt(version.substr(0, dot), major) ? major : 0;
}

bool TBaseLoader::CheckHeader() const {
  const std::string kindLine = kKindLabel + FileKind;
  bool kindFound = false;
  bool versionFound = false;
  std::string version;
  for (const std::string& line : Lines) {
    if (line == kindLine) kindFound = true;
    if (!versionFound && line.find(kVersionLabel) != std::string::npos) {
      versionFound = true;
      std::string rest = line;
      rest.erase(rest.find(kVersionLabel), sizeof(kVersionLabel) - 1);
      version = TrimBlanks(rest);
    }
  }
  if (!kindFound) return false;
  if (MajorCheck == 1 && versionFound && MajorOf(version) != MajorOf(FileVersion)) return false;
  return true;
}

bool TBaseLoader::LoadLines(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) return false;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return false;
  Lines = textlines::FromText(sjis::ToUtf8(bytes));
  return true;
}

void TBaseLoader::SaveLines(const std::string& fileName) const {
  filereplace::Result r = filereplace::Replace(fileName, sjis::FromUtf8(textlines::ToText(Lines)));
  if (!r) throw std::runtime_error("ファイルの書き込みに失敗しました。(" + fileName + ")");
}

std::string TBaseLoader::Text(const std::string& value) const {
  return std::string(1, Quote) + value + Quote + Delimiter;
}

std::string TBaseLoader::Int(int64_t value) { return std::to_string(value) + ","; }

// ---------------------------------------------------------------------------------------------
// TJisyoLoader

// The tables and record kinds of one dictionary.
struct TJisyoLoader::Dictionary {
  const char* titles;   // TEKDICTI / TORDICTI
  const char* entries;  // TEKDIC / TORDIC
  std::string titleKind;
  std::string entryKind;  // of the loader's format version
  std::string oldEntryKind;  // "201" / "301": accounts as internal codes
  std::string newEntryKind;  // "202" / "302": accounts as user codes
  bool partner;
};

TJisyoLoader::TJisyoLoader() {
  FileKind = "摘要・取引先辞書設定";
  FileVersion = "1.1";
}

void TJisyoLoader::SetVersion(const std::string& version) {
  FileVersion = version;
  TekTitleKind = "200";
  TorTitleKind = "300";
  if (version == "1.1") {
    TekEntryKind = "202";
    TorEntryKind = "302";
  } else {
    TekEntryKind = "201";
    TorEntryKind = "301";
  }
}

int TJisyoLoader::CountRecords() {
  try {
    const std::string tekEntry = FileVersion == "1.1" ? "202" : "201";
    const std::string torEntry = FileVersion == "1.1" ? "302" : "301";
    int n = 0;
    for (const std::string& line : Lines) {
      if (line.rfind("//", 0) == 0) continue;
      Splitter.SetText(line);
      std::string kind;
      Splitter.GetMoji(0, kind);
      if (IsBlank(kind)) continue;
      bool tek = Target == 0 || Target == 1;
      bool tor = Target == 0 || Target == 2;
      if ((tek && (kind == TekTitleKind || kind == tekEntry)) || (tor && (kind == TorTitleKind || kind == torEntry))) ++n;
    }
    return n;
  } catch (...) {
    return 0;
  }
}

bool TJisyoLoader::ExportDictionaries(const std::string& fileName, bool /*quiet*/) {
  if (IsBlank(fileName)) return false;
  TitleMap.clear();
  AccountMap.clear();
  MapBranch = "**";
  Lines.clear();
  {
    TTransactionScope scope(*Transaction(), TTransactionScope::End::Commit);
    WriteHeader();
    if (Target == 0 || Target == 1)
      ExportDictionary({"TEKDICTI", "TEKDIC", TekTitleKind, TekEntryKind, "201", "202", false});
    if (Target == 0 || Target == 2)
      ExportDictionary({"TORDICTI", "TORDIC", TorTitleKind, TorEntryKind, "301", "302", true});
  }
  SaveLines(fileName);
  return true;
}

void TJisyoLoader::ExportDictionary(const Dictionary& d) {
  const std::string where = AllBranches ? "" : "WHERE SCODE=:SCODE ";
  TIBSQL& q = IBSQL[0];
  q.Close();
  q.SQL = std::string("SELECT CREC,SCODE,SORTCODE,TEXT,MOVEMENT FROM ") + d.titles + " " + where + "ORDER BY SCODE,SORTCODE";
  if (!AllBranches) q.ParamByName("SCODE").SetString(SCODE);
  q.ExecQuery();
  std::string branch;
  int sortNo = 0;
  bool first = true;
  while (!q.Eof()) {
    std::string scode = q.FieldByName("SCODE").AsString();
    if (first || scode != branch) sortNo = 0;
    first = false;
    branch = scode;
    ++sortNo;
    Lines.push_back(Text(d.titleKind) + Int(q.FieldByName("CREC").AsInt64()) + Text(BranchOf(scode)) + Int(sortNo) +
                    Text(EscapeText(q.FieldByName("TEXT").AsString(), true)) +
                    Int(q.FieldByName("MOVEMENT").AsInt64()));
    q.Next();
  }
  q.Close();

  const bool userCodes = d.entryKind != d.oldEntryKind;
  std::string sql = d.partner ? "SELECT T.CREC,T.KANA,T.TEXT,T.TEKTEXT,T.SCODE, " : "SELECT T.CREC,T.KANA,T.TEXT,T.SCODE, ";
  sql += "T.KAR_KCODE,T.KAR_HCODE,T.KAR_BCODE,T.KAR_TAXCODE,K1.USERCODE AS KAR_UC_KCODE, ";
  sql += "T.KAS_KCODE,T.KAS_HCODE,T.KAS_BCODE,T.KAS_TAXCODE,K2.USERCODE AS KAS_UC_KCODE, ";
  sql += d.partner ? "T.WAITFLG,T.TAXOLD,T.TAXNUM,T.MOVEMENT,0 AS HAIBUN,T.RTIME FROM TORDIC T "
                   : "T.WAITFLG,T.TAXOLD,T.TAXNUM,T.MOVEMENT,T.HAIBUN,T.RTIME FROM TEKDIC T ";
  sql += d.partner ? "INNER JOIN TORDICTI H ON (H.CREC=T.CREC) " : "INNER JOIN TEKDICTI H ON (H.CREC=T.CREC) ";
  sql += "LEFT  JOIN KAMOKUMST K1 ON (T.KAR_KCODE=K1.KCODE) ";
  sql += "LEFT  JOIN KAMOKUMST K2 ON (T.KAS_KCODE=K2.KCODE) ";
  if (!AllBranches) sql += "WHERE H.SCODE=:SCODE ";
  sql += "ORDER BY H.SCODE,H.SORTCODE,T.KANA";
  q.SQL = sql;
  if (!AllBranches) q.ParamByName("SCODE").SetString(SCODE);
  q.ExecQuery();
  while (!q.Eof()) {
    std::string line = Text(d.entryKind) + Int(q.FieldByName("CREC").AsInt64()) +
                       Text(BranchOf(q.FieldByName("SCODE").AsString())) + Text(q.FieldByName("KANA").AsString()) +
                       Text(EscapeText(q.FieldByName("TEXT").AsString(), true)) +
                       Text(d.partner ? EscapeText(q.FieldByName("TEKTEXT").AsString(), true) : std::string());
    for (const char* side : {"KAR", "KAS"}) {
      const std::string s = side;
      line += Text(q.FieldByName(userCodes ? s + "_UC_KCODE" : s + "_KCODE").AsString());
      line += Text(q.FieldByName(s + "_HCODE").AsString());
      line += Text(q.FieldByName(s + "_BCODE").AsString());
      line += Text(q.FieldByName(s + "_TAXCODE").AsString());
    }
    for (const char* f : {"WAITFLG", "TAXOLD", "TAXNUM", "MOVEMENT", "HAIBUN"}) line += Int(q.FieldByName(f).AsInt64());
    // The time of an entry travels only with the whole set of both dictionaries.
    const TIBField& rtime = q.FieldByName("RTIME");
    line += Text(Target == 0 && !rtime.IsNull() ? FormatDateTime("yyyy/mm/dd hh:nn:ss", rtime.AsDateTime()) : "");
    Lines.push_back(line);
    q.Next();
  }
  q.Close();
}

bool TJisyoLoader::ImportDictionaries(const std::string& fileName, bool /*quiet*/) {
  if (IsBlank(fileName)) return false;
  if (!LoadLines(fileName) || Lines.empty()) return false;
  if (!CheckHeader()) return false;
  if (CountRecords() <= 0) return false;
  TitleMap.clear();
  AccountMap.clear();
  MapBranch = "**";

  TTransactionScope scope(*Transaction());
  TIBSQL& q = IBSQL[0];
  q.Close();
  q.SQL = "SELECT KIMATU FROM ACCDEF1 WHERE REC=1";
  q.ExecQuery();
  const TDateTime fiscalEnd = q.Eof() ? 0 : q.FieldByName("KIMATU").AsDateTime();
  q.Close();
  if (Target == 0 || Target == 1)
    ImportDictionary({"TEKDICTI", "TEKDIC", TekTitleKind, TekEntryKind, "201", "202", false}, fiscalEnd,
                     KeyIsNumbered("TEKDIC"));
  if (Target == 0 || Target == 2)
    ImportDictionary({"TORDICTI", "TORDIC", TorTitleKind, TorEntryKind, "301", "302", true}, fiscalEnd,
                     KeyIsNumbered("TORDIC"));
  return true;
}

// Whether the entry table is keyed by TEKCODE. Data sets of the current form are; those that
// came through the upgrade steps are keyed by a REC filled by their insert trigger and take
// TEKCODE 0 as it is. A key of TEKCODE needs a fresh number per row, or the second entry of
// an import would collide with the first.
bool TJisyoLoader::KeyIsNumbered(const std::string& table) {
  TIBSQL& q = IBSQL[4];
  q.Close();
  q.SQL =
      "SELECT COUNT(*) AS CNT FROM RDB$RELATION_CONSTRAINTS RC "
      "INNER JOIN RDB$INDEX_SEGMENTS S ON (S.RDB$INDEX_NAME=RC.RDB$INDEX_NAME) "
      "WHERE RC.RDB$RELATION_NAME=:TNAME AND RC.RDB$CONSTRAINT_TYPE='PRIMARY KEY' AND S.RDB$FIELD_NAME='TEKCODE'";
  q.ParamByName("TNAME").SetString(table);
  q.ExecQuery();
  bool numbered = !q.Eof() && q.FieldByName("CNT").AsInteger() > 0;
  q.Close();
  return numbered;
}

void TJisyoLoader::ImportDictionary(const Dictionary& d, TDateTime fiscalEnd, bool numberKeys) {
  const std::string titles = d.titles;
  const std::string entries = d.entries;
  TIBSQL& q = IBSQL[0];
  TIBSQL& upd = IBSQL[1];
  TIBSQL& find = IBSQL[2];
  TIBSQL& ins = IBSQL[3];

  // 1. The target's entries go; with every branch also the title texts.
  q.Close();
  q.SQL = "DELETE FROM " + entries + (AllBranches ? "" : " WHERE SCODE=:SCODE");
  if (!AllBranches) q.ParamByName("SCODE").SetString(SCODE);
  q.ExecQuery();
  if (AllBranches) {
    q.SQL = "UPDATE " + titles + " SET TEXT=''";
    q.ExecQuery();
  }

  // 2. The target's titles numbered 1, 2, ... within each branch, so that the file's titles
  // can find them by position.
  q.SQL = "SELECT CREC,SCODE FROM " + titles + (AllBranches ? "" : " WHERE SCODE=:SCODE") + " ORDER BY SCODE,SORTCODE";
  if (!AllBranches) q.ParamByName("SCODE").SetString(SCODE);
  upd.Close();
  upd.SQL = "UPDATE " + titles + " SET SORTCODE=:SORTCODE WHERE CREC=:CREC AND SCODE=:SCODE";
  q.ExecQuery();
  {
    std::string branch;
    int n = 0;
    bool first = true;
    while (!q.Eof()) {
      std::string scode = q.FieldByName("SCODE").AsString();
      if (first || scode != branch) n = 0;
      first = false;
      branch = scode;
      upd.ParamByName("SORTCODE").SetInteger(++n);
      upd.ParamByName("CREC").SetInteger(q.FieldByName("CREC").AsInteger());
      upd.ParamByName("SCODE").SetString(scode);
      upd.ExecQuery();
      q.Next();
    }
  }
  q.Close();

  int64_t nextKey = 0;
  if (numberKeys) {
    q.SQL = "SELECT MAX(TEKCODE) AS MAXCODE FROM " + entries;
    q.ExecQuery();
    nextKey = q.Eof() ? 0 : q.FieldByName("MAXCODE").AsInt64();
    q.Close();
  }

  // 3. and 4. The file's records.
  TitleMap.clear();
  upd.SQL = "UPDATE " + titles + " SET TEXT=:TEXT WHERE SCODE=:SCODE AND SORTCODE=:SORTCODE";
  find.Close();
  find.SQL = "SELECT CREC FROM " + titles + " WHERE SCODE=:SCODE AND SORTCODE=:SORTCODE";
  ins.Close();
  if (d.partner)
    ins.SQL =
        "INSERT INTO TORDIC(TEKCODE,CREC,KANA,MCODE,TEXT,TEKTEXT,SCODE,\"ROW\",COL,KAR_KCODE,KAR_HCODE,KAR_BCODE,"
        "KAR_TAXCODE,KAS_KCODE,KAS_HCODE,KAS_BCODE,KAS_TAXCODE,WAITFLG,TAXOLD,TAXNUM,MOVEMENT,RTIME) "
        "VALUES (:TEKCODE,:CREC,:KANA,0,:TEXT,:TEKTEXT,:SCODE,0,0,:KAR_KCODE,:KAR_HCODE,:KAR_BCODE,"
        ":KAR_TAXCODE,:KAS_KCODE,:KAS_HCODE,:KAS_BCODE,:KAS_TAXCODE,:WAITFLG,:TAXOLD,:TAXNUM,:MOVEMENT,:RTIME)";
  else
    ins.SQL =
        "INSERT INTO TEKDIC(TEKCODE,CREC,KANA,FNUM,TEXT,SCODE,\"ROW\",COL,KAR_KCODE,KAR_HCODE,KAR_BCODE,KAR_TAXCODE,"
        "KAS_KCODE,KAS_HCODE,KAS_BCODE,KAS_TAXCODE,WAITFLG,TAXOLD,TAXNUM,MOVEMENT,HAIBUN,RTIME) "
        "VALUES (:TEKCODE,:CREC,:KANA,0,:TEXT,:SCODE,0,0,:KAR_KCODE,:KAR_HCODE,:KAR_BCODE,:KAR_TAXCODE,"
        ":KAS_KCODE,:KAS_HCODE,:KAS_BCODE,:KAS_TAXCODE,:WAITFLG,:TAXOLD,:TAXNUM,:MOVEMENT,:HAIBUN,:RTIME)";

  std::string titleBranch;
  bool firstTitle = true;
  int sortNo = 0;
  std::string branch = SCODE;
  std::vector<std::string> f(20);
  for (const std::string& line : Lines) {
    if (line.rfind("//", 0) == 0) continue;
    Splitter.SetText(line);
    std::string kind;
    Splitter.GetMoji(0, kind);
    const bool isTitle = kind == d.titleKind;
    const bool isEntry = kind == d.oldEntryKind || kind == d.newEntryKind;
    if (!isTitle && !isEntry) continue;
    for (int i = 0; i < 20; ++i) Splitter.GetMoji(i, f[i]);
    if (AllBranches) branch = BranchOf(f[2]);

    if (isTitle) {
      if (firstTitle || branch != titleBranch) sortNo = 0;
      firstTitle = false;
      titleBranch = branch;
      ++sortNo;
      upd.ParamByName("TEXT").SetString(UnescapeText(f[4], true));
      upd.ParamByName("SCODE").SetString(branch);
      upd.ParamByName("SORTCODE").SetInteger(sortNo);
      upd.ExecQuery();
      find.ParamByName("SCODE").SetString(branch);
      find.ParamByName("SORTCODE").SetInteger(sortNo);
      find.ExecQuery();
      int target = find.Eof() ? 0 : find.FieldByName("CREC").AsInteger();
      find.Close();
      TitleMap.push_back(f[1] + "-" + branch + "=" + std::to_string(target));
      continue;
    }

    const std::string key = f[1] + "-" + branch + "=";
    int crec = 0;
    for (const std::string& m : TitleMap)
      if (m.rfind(key, 0) == 0) {
        crec = IntOr(m.substr(key.size()), 0);
        break;
      }
    if (crec == 0) continue;
    LoadAccountMap(branch);

    const bool byUserCode = kind != d.oldEntryKind;
    std::string karK = f[6], karH = f[7], karB = f[8];
    std::string kasK = f[10], kasH = f[11], kasB = f[12];
    TranslateAccount(byUserCode, karK, karH, karB);
    TranslateAccount(byUserCode, kasK, kasH, kasB);

    ins.ParamByName("TEKCODE").SetInt64(numberKeys ? ++nextKey : 0);
    ins.ParamByName("CREC").SetInteger(crec);
    ins.ParamByName("KANA").SetString(f[3]);
    ins.ParamByName("TEXT").SetString(UnescapeText(f[4], true));
    if (d.partner) ins.ParamByName("TEKTEXT").SetString(UnescapeText(f[5], true));
    ins.ParamByName("SCODE").SetString(branch);
    SetTextOrNull(ins.ParamByName("KAR_KCODE"), karK);
    SetTextOrNull(ins.ParamByName("KAR_HCODE"), karH);
    SetTextOrNull(ins.ParamByName("KAR_BCODE"), karB);
    ins.ParamByName("KAR_TAXCODE").SetInteger(IntOr(f[9], 910));
    SetTextOrNull(ins.ParamByName("KAS_KCODE"), kasK);
    SetTextOrNull(ins.ParamByName("KAS_HCODE"), kasH);
    SetTextOrNull(ins.ParamByName("KAS_BCODE"), kasB);
    ins.ParamByName("KAS_TAXCODE").SetInteger(IntOr(f[13], 910));
    ins.ParamByName("WAITFLG").SetInteger(IntOr(f[14], 0));
    ins.ParamByName("TAXOLD").SetInteger(CheckZeiRituNo(IntOr(f[15], 0), fiscalEnd));
    ins.ParamByName("TAXNUM").SetInteger(IntOr(f[16], 0));
    ins.ParamByName("MOVEMENT").SetInteger(IntOr(f[17], 0));
    if (!d.partner) ins.ParamByName("HAIBUN").SetInteger(IntOr(f[18], 0));
    if (IsBlank(f[19])) {
      ins.ParamByName("RTIME").SetNull();
    } else {
      TDateTime t = 0;
      ins.ParamByName("RTIME").SetDateTime(TryStrToDate(TrimBlanks(f[19]), t) ? t : Now());
    }
    ins.ExecQuery();
  }
}

void TJisyoLoader::LoadAccountMap(const std::string& branch) {
  if (branch == MapBranch) return;
  AccountMap.clear();
  TIBSQL& q = IBSQL[4];
  q.Close();
  q.SQL = "SELECT COUNT(KCODE) AS RECCNT FROM KAMOKU_VIEW WHERE SCODE=:SCODE";
  q.ParamByName("SCODE").SetString(branch);
  q.ExecQuery();
  if (!q.Eof()) AccountMap.reserve(static_cast<size_t>(q.FieldByName("RECCNT").AsInteger()));
  q.Close();
  q.SQL = std::string("SELECT KCODE,USERCODE,HCODE,BCODE FROM KAMOKU_VIEW WHERE SCODE=:SCODE ") +
          (FileVersion == "1.1" ? "ORDER BY USERCODE,HCODE,BCODE" : "ORDER BY KCODE,HCODE,BCODE");
  q.ParamByName("SCODE").SetString(branch);
  q.ExecQuery();
  while (!q.Eof()) {
    TKamokuCodeRec r;
    r.KCODE = q.FieldByName("KCODE").AsString();
    r.USERCODE = q.FieldByName("USERCODE").AsString();
    r.HCODE = q.FieldByName("HCODE").AsString();
    r.BCODE = q.FieldByName("BCODE").AsString();
    AccountMap.push_back(std::move(r));
    q.Next();
  }
  q.Close();
  MapBranch = branch;
}

// Every row of the account is looked at, whatever order the map has: a file of one format
// version may carry entries of the other, whose key is not the one the map is sorted by.
void TJisyoLoader::TranslateAccount(bool byUserCode, std::string& kcode, std::string& hcode, std::string& bcode) const {
  bool found = false, hFound = false, bFound = false;
  std::string internal;
  if (!kcode.empty()) {
    for (const TKamokuCodeRec& r : AccountMap) {
      if ((byUserCode ? r.USERCODE : r.KCODE) != kcode) continue;
      if (!found) internal = r.KCODE;
      found = true;
      if (r.HCODE == hcode) hFound = true;
      if (r.BCODE == bcode) bFound = true;
    }
  }
  if (!found) {
    kcode.clear();
    hcode.clear();
    bcode.clear();
    return;
  }
  kcode = internal;
  if (!hFound) hcode.clear();
  if (!bFound) bcode.clear();
}
