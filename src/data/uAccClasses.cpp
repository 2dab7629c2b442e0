#include "data/uAccClasses.h"

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccFunction.h"
#include "data/uAccFunction2Win.h"
#include "data/uAccFunctionDb.h"
#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "platform/AsciiCase.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/TextLines.h"
#include "platform/db/TransactionScope.h"
#include "platform/ini/IniFile.h"

const std::array<const char*, 11> DataStatusNames = {
    "－", "－", "使用中", "データロック中", "保存中", "復元中", "コピー中", "貼り付け中", "削除中", "新規作成中", "破損",
};

namespace {

constexpr int kDsqlError = 335544569;

// Items of a version text between its points, blanks around each item dropped.
std::vector<std::string> SplitAtPoints(const std::string& text) {
  std::vector<std::string> parts;
  std::string t = TrimZenkaku(text);
  if (t.empty()) return parts;
  size_t start = 0;
  for (;;) {
    const size_t dot = t.find('.', start);
    parts.push_back(TrimZenkaku(t.substr(start, dot == std::string::npos ? std::string::npos : dot - start)));
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  return parts;
}

bool LocalFileExists(const std::string& path) {
  const std::string local = ResolvePath(path);
  std::error_code ec;
  return !local.empty() && std::filesystem::is_regular_file(local, ec);
}

}  // namespace

// ---------------------------------------------------------------------------
// TSeihinVersionList

TSeihinVersionList::TSeihinVersionList() : ProductKey(AppInfo.ZaimuRegKey) {}

void TSeihinVersionList::Clear() {
  Rows.clear();
  Names.clear();
  Count = 0;
}

void TSeihinVersionList::Execute(uint8_t sort) {
  Clear();
  if (!FirstName.empty()) Rows.push_back({0, 0, 0, FirstName});
  if (OemKind == 0) {
    static const std::pair<const char*, const char*> kBuiltIn[] = {{"1.0.0", "09版"}, {"2.0.0", "10版"}, {"3.0.0", "11版"}};
    for (const auto& [version, name] : kBuiltIn) {
      const auto parts = SplitAtPoints(version);
      if (parts.size() == 3) Rows.push_back({SafeStrToInt(parts[0]), SafeStrToInt(parts[1]), 0, name});
    }
  }
  try {
    const std::string key = AppInfo.RegKey;
    TRegistry reg;
    reg.RootKey = HKEY_LOCAL_MACHINE;
    if (!key.empty() && reg.OpenKey(key)) {
      const std::string product = ascii::Upper(ProductKey);
      for (const std::string& sub : reg.GetKeyNames()) {
        if (ascii::Upper(sub).find(product) == std::string::npos) continue;
        TRegistry edition;
        edition.RootKey = HKEY_LOCAL_MACHINE;
        if (!edition.OpenKey("\\" + reg.CurrentPath() + "\\" + sub)) continue;
        const auto parts = SplitAtPoints(edition.ReadString("Version"));
        if (parts.size() != 3) continue;
        const int32_t major = SafeStrToInt(parts[0]);
        const int32_t minor1 = SafeStrToInt(parts[1]);
        const bool known = std::any_of(Rows.begin(), Rows.end(),
                                       [&](const TDataVersionRec& r) { return r.MAJOR == major && r.MINOR1 == minor1; });
        if (!known) Rows.push_back({major, minor1, 0, edition.ReadString("Type")});
      }
    }
  } catch (const std::exception&) {
    // An unreadable registry lists no installed editions.
  }
  Count = static_cast<int>(Rows.size());
  for (const auto& r : Rows) Names.push_back(r.Name);
  if (sort == 1) Sort(1);
}

void TSeihinVersionList::Sort(int order) {
  const auto first = Rows.begin() + (FirstName.empty() || Rows.empty() ? 0 : 1);
  std::stable_sort(first, Rows.end(), [order](const TDataVersionRec& a, const TDataVersionRec& b) {
    if (order == 1) return std::tie(a.MAJOR, a.MINOR1) > std::tie(b.MAJOR, b.MINOR1);
    return std::tie(a.MAJOR, a.MINOR1) < std::tie(b.MAJOR, b.MINOR1);
  });
  Names.clear();
  for (const auto& r : Rows) Names.push_back(r.Name);
}

void TSeihinVersionList::GetText(std::string& text) const {
  text = textlines::ToText(Names);
}

void TSeihinVersionList::GetVersionText(int index, std::string& text) const {
  text.clear();
  if (index < 0 || index >= Count) return;
  const auto& r = Rows[static_cast<size_t>(index)];
  if (r.MAJOR == 0 && r.MINOR1 == 0) return;
  text = std::to_string(r.MAJOR) + "." + std::to_string(r.MINOR1);
}

void TSeihinVersionList::GetName(int index, std::string& text) const {
  text.clear();
  if (index >= 0 && index < Count) text = Rows[static_cast<size_t>(index)].Name;
}

int TSeihinVersionList::IndexOfName(const std::string& name) const {
  for (int i = 0; i < Count; ++i)
    if (Rows[static_cast<size_t>(i)].Name == name) return i;
  return -1;
}

// ---------------------------------------------------------------------------
// TDataInfomation

TDataInfomation::TDataInfomation() { VersionList.Execute(0); }

std::string TDataInfomation::IniFileName(const std::string& folder) {
  return folder + "/" + ChangeFileExt(fw::AccDbFile, ".ini");
}

void TDataInfomation::InitDataInfoRec(TDataInfomationRec& rec) const { rec = TDataInfomationRec{}; }

std::string TDataInfomation::GetVersionName(int32_t major, int32_t minor1) const {
  const std::string text = std::to_string(major) + "." + std::to_string(minor1);
  if (major == 0 && minor1 > 0) return "評価版";
  for (int i = 0; i < VersionList.Count; ++i) {
    std::string v;
    VersionList.GetVersionText(i, v);
    if (v == text) {
      std::string name;
      VersionList.GetName(i, name);
      return name;
    }
  }
  return text;
}

int TDataInfomation::GetDataInfoRec(TDataInfomationRec& rec) {
  const char* const kFailed = "基本情報の取得に失敗しました。\r(iniファイル)";
  InitDataInfoRec(rec);
  TDM& dm = *DM;
  const bool wasConnected = dm.IBDatabaseDAT.Connected();
  try {
    if (!wasConnected) dm.IBDatabaseDAT.Open();
    TTransactionScope tx(dm.IBTransactionDAT, TTransactionScope::End::Commit);

    TIBQuery& q = dm.IBQACC1;
    q.Close();
    q.SQL =
        "SELECT ENTTEXT,DATATYPE,CODETYPE,SCODE1,SKANA,SHOUGOU,TANTOU,NENDO,KISHU,KIMATU,SITEN,BUMON,DATALOCK FROM "
        "ACCDEF1\nWHERE REC=1";
    q.Open();
    if (!q.Eof()) {
      rec.DATALISTNAME = q.FieldByName("ENTTEXT").AsString();
      rec.CODE = q.FieldByName("SCODE1").AsString();
      rec.DATAKBN = q.FieldByName("DATATYPE").AsInteger();
      rec.CODEKBN = q.FieldByName("CODETYPE").AsInteger();
      rec.SHOUGOU = q.FieldByName("SHOUGOU").AsString();
      rec.KANA = q.FieldByName("SKANA").AsString();
      rec.NENDO = q.FieldByName("NENDO").AsInteger();
      rec.KISHU = FormatDateText(4, q.FieldByName("KISHU").AsDateTime());
      rec.KIMATU = FormatDateText(4, q.FieldByName("KIMATU").AsDateTime());
      rec.TANTO = q.FieldByName("TANTOU").AsInteger();
      rec.SITEN = q.FieldByName("SITEN").AsInteger();
      rec.BUMON = q.FieldByName("BUMON").AsInteger();
      rec.UPDATE_LOCK = q.FieldByName("DATALOCK").AsInteger();
    }
    q.Close();

    TAccValue v;
    GetAccReg("基本設定", "合算データ区分", "整数", v, "0");
    rec.GASSANKBN = static_cast<uint8_t>(v.AsInteger());

    q.SQL = "SELECT MAJOR,MINOR1,MINOR2 FROM ACCVERSION\nWHERE REC=1\nORDER BY MAJOR,MINOR1,MINOR2";
    q.Open();
    if (!q.Eof()) {
      rec.MAJOR = q.FieldByName("MAJOR").AsInteger();
      rec.MINOR1 = q.FieldByName("MINOR1").AsInteger();
      rec.MINOR2 = q.FieldByName("MINOR2").AsInteger();
      rec.VERSION2 = GetVersionName(rec.MAJOR, rec.MINOR1);
    }
    q.Close();

    if (rec.SITEN > 0) {
      q.SQL = "SELECT COUNT(SCODE) AS RECCNT FROM SISETUMST\nWHERE SCODE <> ''";
      q.Open();
      rec.SITENCNT = q.FieldByName("RECCNT").AsInteger();
      q.Close();
    }
    if (rec.BUMON > 0) {
      q.SQL = "SELECT COUNT(BCODE) AS RECCNT FROM BUMONMST\nWHERE BCODE <> ''";
      q.Open();
      rec.BUMONCNT = q.FieldByName("RECCNT").AsInteger();
      q.Close();
    }

    rec.SIWAKE = dm.GetYukouSiwakeCount("");
    rec.TOTALSIWAKE = dm.GetSiwakeCounts("");

    GetAccReg("基本設定", "＃USE", "整数", v, "0");
    rec.USEMYNUMBER = v.AsInteger();
    return 1;
  } catch (const EIBError& e) {
    dm.IBQACC1.Close();
    if (!wasConnected) dm.IBDatabaseDAT.ForceClose();
    if (e.IBErrorCode == kDsqlError) throw;
    ReportDbError(e, "TDataInfomation.GetDataInfoRec", kFailed, true);
  } catch (const std::exception&) {
    dm.IBQACC1.Close();
    if (!wasConnected) dm.IBDatabaseDAT.ForceClose();
    ShowErrorDetail(kFailed, "", uis::MsgKind::Error);
  }
  return 0;
}

void TDataInfomation::WriteIniFile(const std::string& folder, const std::string& section,
                                   const TDataInfomationRec& rec) {
  if (folder.empty() || ConnectKind == 1 || ConnectKind == 2) return;
  InfoRec = rec;
  TIniFile ini(IniFileName(folder));
  // One write of the whole file: a reader or a crash never meets the sections half rewritten.
  ini.BeginUpdate();
  if (section.empty() || section == "DATASTS") {
    const char* s = "DATASTS";
    ini.EraseSection(s);
    ini.WriteInteger(s, "STATUS", rec.STATUS);
    if (rec.OPCODE != 0) {
      ini.WriteInteger(s, "OPCODE", rec.OPCODE);
      ini.WriteString(s, "OPERATOR", rec.OPERATOR);
    }
    ini.WriteInteger(s, "SHARE_STATUS", rec.SHARE_STATUS);
    if (rec.SHARE_OPCODE != 0) {
      ini.WriteInteger(s, "SHARE_OPCODE", rec.SHARE_OPCODE);
      ini.WriteString(s, "SHARE_OPERATOR", rec.SHARE_OPERATOR);
    }
    ini.WriteInteger(s, "UPDATE_LOCK", rec.UPDATE_LOCK);
  }
  if (section.empty() || section == "DATAINFO") {
    const char* s = "DATAINFO";
    ini.EraseSection(s);
    ini.WriteString(s, "DATALISTNAME", rec.DATALISTNAME);
    ini.WriteString(s, "CODE", rec.CODE);
    ini.WriteInteger(s, "DATAKBN", rec.DATAKBN);
    ini.WriteInteger(s, "CODEKBN", rec.CODEKBN);
    ini.WriteString(s, "SHOUGOU", rec.SHOUGOU);
    ini.WriteString(s, "KANA", rec.KANA);
    ini.WriteInteger(s, "NENDO", rec.NENDO);
    ini.WriteString(s, "KISHU", rec.KISHU);
    ini.WriteString(s, "KIMATU", rec.KIMATU);
    ini.WriteInteger(s, "TANTO", rec.TANTO);
    ini.WriteInteger(s, "SITEN", rec.SITEN);
    ini.WriteInteger(s, "SITENCNT", rec.SITENCNT);
    ini.WriteInteger(s, "BUMON", rec.BUMON);
    ini.WriteInteger(s, "BUMONCNT", rec.BUMONCNT);
    ini.WriteInteger(s, "SIWAKE", rec.SIWAKE);
    ini.WriteInteger(s, "TOTALSIWAKE", rec.TOTALSIWAKE);
    ini.WriteString(s, "VERSION1",
                    std::to_string(rec.MAJOR) + "." + std::to_string(rec.MINOR1) + "." + std::to_string(rec.MINOR2));
    ini.WriteString(s, "VERSION2", rec.VERSION2);
    ini.WriteInteger(s, "GASSANKBN", rec.GASSANKBN);
    ini.WriteInteger(s, "USEMYNUMBER", rec.USEMYNUMBER);
  }
  ini.UpdateFile();
}

int TDataInfomation::ReadDataInfo(const std::string& folder, TDataInfomationRec& rec) {
  return ReadIniFile(SystemDef.HostName, folder, rec);
}

int TDataInfomation::ReadIniFile(const std::string& host, const std::string& folder, TDataInfomationRec& rec) {
  InitDataInfoRec(rec);
  if (folder.empty()) return 1;
  if (ConnectKind == 0) return ReadIniFileLocal(host, folder, rec);
  if (ConnectKind == 1 || ConnectKind == 2) return ReadIniFileServer(host, folder, rec);
  return 1;
}

int TDataInfomation::ReadIniFileLocal(const std::string& host, const std::string& folder, TDataInfomationRec& rec) {
  const std::string file = IniFileName(folder);
  const bool hasIni = LocalFileExists(file);
  const bool hasDb = LocalFileExists(folder + "/" + fw::AccDbFile);
  if (!hasIni && !hasDb) return 0;
  if (hasDb && !hasIni && GetUNCPath(folder) == folder) {
    // Opening and closing the data set with its marks writes the whole file.
    if (!DM->fnAccDatConnected(host, folder, true)) {
      rec.STATUS = 0;
      return 1;
    }
    DM->AccDatDisconnect(folder, true, false);
  }

  TIniFile ini(file);
  const char* s = "DATASTS";
  rec.STATUS = static_cast<uint8_t>(ini.ReadInteger(s, "STATUS", 1));
  rec.OPCODE = ini.ReadInteger(s, "OPCODE", 0);
  rec.OPERATOR = ini.ReadString(s, "OPERATOR", "");
  rec.SHARE_STATUS = static_cast<uint8_t>(ini.ReadInteger(s, "SHARE_STATUS", 1));
  rec.SHARE_OPCODE = ini.ReadInteger(s, "SHARE_OPCODE", 0);
  rec.SHARE_OPERATOR = ini.ReadString(s, "SHARE_OPERATOR", "");
  rec.UPDATE_LOCK = ini.ReadInteger(s, "UPDATE_LOCK", 0);
  s = "DATAINFO";
  rec.DATALISTNAME = ini.ReadString(s, "DATALISTNAME", "");
  rec.CODE = ini.ReadString(s, "CODE", "");
  rec.DATAKBN = ini.ReadInteger(s, "DATAKBN", 0);
  rec.CODEKBN = ini.ReadInteger(s, "CODEKBN", 0);
  rec.SHOUGOU = ini.ReadString(s, "SHOUGOU", "");
  rec.KANA = ini.ReadString(s, "KANA", "");
  rec.NENDO = ini.ReadInteger(s, "NENDO", 0);
  rec.KISHU = ini.ReadString(s, "KISHU", "");
  rec.KIMATU = ini.ReadString(s, "KIMATU", "");
  rec.TANTO = ini.ReadInteger(s, "TANTO", 0);
  rec.SITEN = ini.ReadInteger(s, "SITEN", 0);
  rec.SITENCNT = ini.ReadInteger(s, "SITENCNT", 0);
  rec.BUMON = ini.ReadInteger(s, "BUMON", 0);
  rec.BUMONCNT = ini.ReadInteger(s, "BUMONCNT", 0);
  rec.SIWAKE = ini.ReadInteger(s, "SIWAKE", 0);
  rec.TOTALSIWAKE = ini.ReadInteger(s, "TOTALSIWAKE", 0);
  const auto version = SplitAtPoints(ini.ReadString(s, "VERSION1", ""));
  if (!version.empty()) {
    rec.MAJOR = version.size() > 0 ? SafeStrToInt(version[0]) : 0;
    rec.MINOR1 = version.size() > 1 ? SafeStrToInt(version[1]) : 0;
    rec.MINOR2 = version.size() > 2 ? SafeStrToInt(version[2]) : 0;
  }
  rec.VERSION2 = ini.ReadString(s, "VERSION2", "");
  rec.GASSANKBN = static_cast<uint8_t>(ini.ReadInteger(s, "GASSANKBN", 0));
  rec.USEMYNUMBER = ini.ReadInteger(s, "USEMYNUMBER", 0);
  if (rec.DATALISTNAME.empty()) rec.DATALISTNAME = rec.SHOUGOU;
  return 1;
}

int TDataInfomation::ReadIniFileServer(const std::string& host, const std::string& folder, TDataInfomationRec& rec) {
  TDM& dm = *DM;
  const std::string upper = ascii::Upper(folder);
  const bool inData = upper.find("\\DATA\\") != std::string::npos || upper.find("/DATA/") != std::string::npos;
  const std::string table = inData ? "DATALIST" : "DATALIST_EX";

  const bool defWasConnected = dm.IBDatabaseDEF.Connected();
  try {
    if (!defWasConnected) dm.fnAccDefConnected("", false);
    TTransactionScope tx(dm.IBTransactionDEF, TTransactionScope::End::CommitQuietly);
    TIBSQL& q = dm.IBSQLDEF;
    q.Close();
    q.SQL =
        "SELECT D.DATALOCK,O.OPCODE,O.OPNAME,\n"
        "D.ENTTEXT,D.DATACODE,D.DATATYPE,D.CODETYPE,D.SHOUGOU,D.NENDO,D.KISHU,D.KIMATU,D.TANTOU,D.UPDATE_LOCK,"
        "D.VER_TEXT\n"
        "FROM " + table + " D\n"
        "LEFT JOIN OPERATOR O ON(D.GROUPID=O.GROUPID AND D.DATALOCK=O.OPCODE)\n"
        "WHERE (D.DATALOCK<>0)AND(UPPER(D.PASNAME)=:PASNAME)AND(D.GROUPID=:GROUPID)";
    q.ParamByName("PASNAME").SetString(upper);
    q.ParamByName("GROUPID").SetInteger(SystemDef.GroupId);
    q.ExecQuery();
    for (; !q.Eof(); q.Next()) {
      rec.STATUS = 3;
      rec.OPCODE = q.FieldByName("OPCODE").AsInteger() + SystemDef.GroupId * 10000;
      rec.OPERATOR = q.FieldByName("OPNAME").AsString();
      rec.DATALISTNAME = q.FieldByName("ENTTEXT").AsString();
      rec.CODE = q.FieldByName("DATACODE").AsString();
      rec.DATAKBN = q.FieldByName("DATATYPE").AsInteger();
      rec.CODEKBN = q.FieldByName("CODETYPE").AsInteger();
      rec.SHOUGOU = q.FieldByName("SHOUGOU").AsString();
      rec.NENDO = q.FieldByName("NENDO").AsInteger();
      rec.KISHU = FormatDateText(4, q.FieldByName("KISHU").AsDateTime());
      rec.KIMATU = FormatDateText(4, q.FieldByName("KIMATU").AsDateTime());
      rec.TANTO = q.FieldByName("TANTOU").AsInteger();
      rec.UPDATE_LOCK = q.FieldByName("UPDATE_LOCK").AsInteger();
      rec.VERSION2 = q.FieldByName("VER_TEXT").AsString();
    }
    q.Close();
  } catch (const EIBError& e) {
    ReportDbError(e, "TDataInfomation.ReadIniFile", "ロック情報の取得に失敗しました。", true);
    dm.IBSQLDEF.Close();
  } catch (const std::exception&) {
    dm.IBSQLDEF.Close();
  }

  int result = 0;
  if (rec.STATUS != 3) {
    result = 1;
    if (!dm.fnAccDatConnected(host, folder, false)) {
      rec.STATUS = 0;
    } else {
      GetDataInfoRec(rec);
      dm.AccDatDisconnect(folder, false, false);
      rec.STATUS = dm.AccDatInConnection(1, host, folder, false) ? 2 : 1;
    }
  }
  if (!defWasConnected && dm.IBDatabaseDEF.Connected()) dm.IBDatabaseDEF.Close();
  return result;
}
