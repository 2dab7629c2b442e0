#include "comm/z5WebDbSqlDump.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <system_error>
#include <vector>

#include "comm/z5WebDbSqlDumpTables.h"
#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccRecord.h"
#include "platform/AsciiCase.h"
#include "platform/Encoding.h"
#include "platform/Paths.h"
#include "platform/db/IBSQL.h"

namespace fs = std::filesystem;
using Kind = ibdb::Value::Kind;

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr const char* kRule = "-- ==============================================";
constexpr const char* kScriptFolder = "TallixVelkoran_Sql";
constexpr const char* kScriptFile = "qvacc.sql";
constexpr int kRowsPerStatement = 100;

// 1970-01-01 00:00:00 and 2038-01-01 00:00:00 as date-time counts: the range the service's
// date-time columns hold.
constexpr TDateTime kLowerBound = 25569.0;
constexpr TDateTime kUpperBound = 50406.0;

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

// Data of version 8.0.2 or later carries the budget and evaluation tables.
bool From802() {
  const int ma = AccInf.VerMajor, mi = AccInf.VerMinor1, rev = AccInf.VerMinor2;
  return ma > 8 || (ma == 8 && mi != 0) || (ma == 8 && mi == 0 && rev >= 2);
}

bool IsMedical() { return AccInf.DATATYPE == 3; }

std::string Two(int n) {
  char b[8];
  std::snprintf(b, sizeof b, "%02d", n);
  return b;
}

std::string DateText(TDateTime v, char sep) {
  int y = 0, m = 0, d = 0;
  DecodeDate(v, y, m, d);
  char b[16];
  std::snprintf(b, sizeof b, "%04d%c%02d%c%02d", y, sep, m, sep, d);
  return b;
}

// The time of day, rounded to the second as stored values are.
void TimeOfDay(TDateTime v, int& h, int& n, int& s) {
  const double frac = v - std::floor(v);
  long secs = std::lround(frac * 86400.0);
  if (secs >= 86400) secs = 86399;
  h = static_cast<int>(secs / 3600);
  n = static_cast<int>(secs / 60 % 60);
  s = static_cast<int>(secs % 60);
}

// The shortest general form with 15 significant digits, as "1E20", "0.5", "1E-5".
std::string FloatText(double d) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::general, 15);
  std::string t(buf, r.ptr);
  const size_t e = t.find('e');
  if (e == std::string::npos) return t;
  std::string mant = t.substr(0, e);
  std::string exp = t.substr(e + 1);
  bool neg = !exp.empty() && exp[0] == '-';
  if (!exp.empty() && (exp[0] == '+' || exp[0] == '-')) exp.erase(0, 1);
  while (exp.size() > 1 && exp[0] == '0') exp.erase(0, 1);
  return mant + "E" + (neg ? "-" : "") + exp;
}

// Windows colours: $00BBGGRR, or a system colour ($80 in the high byte, its index below).
// The system colours resolve through the classic default table, the same on every machine.
int32_t ColourRgb(int64_t stored) {
  static constexpr std::array<uint32_t, 31> kSystem = {
      0xC8C8C8, 0x000000, 0x99B4D1, 0xBFCDDB, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
      0x000000, 0x000000, 0xB4B4B4, 0xF4F7FC, 0xABABAB, 0x3399FF, 0xFFFFFF, 0xF0F0F0,
      0xA0A0A0, 0x6D6D6D, 0x000000, 0x434E54, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
      0xFFFFE1, 0x000000, 0x0066CC, 0xB9D1EA, 0xD7E4F2, 0x0066CC, 0xF0F0F0};  // as RRGGBB
  const uint32_t c = static_cast<uint32_t>(stored);
  if ((c & 0xFF000000u) == 0x80000000u) {
    const uint32_t index = c & 0xFF;
    return index < kSystem.size() ? static_cast<int32_t>(kSystem[index]) : 0;
  }
  const uint32_t r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
  return static_cast<int32_t>(r * 65536 + g * 256 + b);
}

int CType1Mapped(int v) {
  switch (v) {
    case 2:
    case 5: return 2;
    case 3:
    case 4: return 3;
    default: return 0;
  }
}

// One value of a row, parsed from the table's notation.
struct Item {
  enum class K { Column, Constant, Run, FY2, FY1, CType1, Colour, Whole } k = K::Column;
  std::string column;  // the column read (Column, CType1, Colour, Whole)
  std::string cls;     // the value class of a Column; "'" for the quoted form
  std::string text;    // a Constant
  int field = -1;      // the column's index in the query
};

std::vector<std::string> Split(std::string_view s, char sep) {
  std::vector<std::string> out;
  size_t b = 0;
  while (b <= s.size()) {
    size_t e = s.find(sep, b);
    if (e == std::string_view::npos) e = s.size();
    std::string part(s.substr(b, e - b));
    while (!part.empty() && part.front() == ' ') part.erase(0, 1);
    while (!part.empty() && part.back() == ' ') part.pop_back();
    if (!part.empty()) out.push_back(part);
    b = e + 1;
  }
  return out;
}

std::vector<Item> ParseValues(std::string_view values) {
  std::vector<Item> items;
  for (const std::string& t : Split(values, ',')) {
    Item it;
    auto inner = [&](size_t from) { return t.substr(from, t.size() - from - 1); };
    if (t == "''") {
      it.k = Item::K::Constant;
      it.text = "''";
    } else if (t[0] == '=') {
      it.k = Item::K::Constant;
      it.text = t.substr(1);
    } else if (t == "#RUN") {
      it.k = Item::K::Run;
    } else if (t == "#FY2") {
      it.k = Item::K::FY2;
    } else if (t == "#FY1") {
      it.k = Item::K::FY1;
    } else if (t == "#CTYPE1") {
      it.k = Item::K::CType1;
      it.column = "CTYPE1";
    } else if (t.rfind("#COLOR(", 0) == 0) {
      it.k = Item::K::Colour;
      it.column = inner(7);
    } else if (t.rfind("#WHOLE(", 0) == 0) {
      it.k = Item::K::Whole;
      it.column = inner(7);
    } else if (t.front() == '\'') {
      it.column = t.substr(1, t.size() - 2);
      it.cls = "'";
    } else {
      const size_t colon = t.find(':');
      it.column = t.substr(0, colon);
      if (colon != std::string::npos) it.cls = t.substr(colon + 1);
    }
    items.push_back(std::move(it));
  }
  return items;
}

std::map<std::string, std::string> ParseRules(std::string_view rules) {
  std::map<std::string, std::string> out;
  for (const std::string& r : Split(rules, ';')) {
    const size_t eq = r.find('=');
    out[r.substr(0, eq)] = r.substr(eq + 1);
  }
  return out;
}

// The SELECT of a table: every column its values name, once, in their order; a column under a
// read-as rule comes from its expression under its own name.
std::string BuildSelect(const TDumpTable& t, std::vector<Item>& items) {
  std::map<std::string, std::string> rules = ParseRules(t.always);
  if (!IsMedical())
    for (auto& [c, e] : ParseRules(t.notMedical)) rules[c] = e;
  if (!From802())
    for (auto& [c, e] : ParseRules(t.before802)) rules[c] = e;
  std::vector<std::string> cols;
  for (Item& it : items) {
    if (it.column.empty()) continue;
    size_t i = 0;
    while (i < cols.size() && cols[i] != it.column) ++i;
    if (i == cols.size()) cols.push_back(it.column);
    it.field = static_cast<int>(i);
  }
  std::string sql = "SELECT ";
  for (size_t i = 0; i < cols.size(); ++i) {
    if (i) sql += ", ";
    auto r = rules.find(cols[i]);
    sql += r == rules.end() ? cols[i] : r->second + " AS " + cols[i];
  }
  sql += " FROM ";
  sql += *t.source ? t.source : t.name;
  if (*t.where) sql += std::string(" WHERE ") + t.where;
  if (*t.order) sql += std::string(" ORDER BY ") + t.order;
  return sql;
}

// The operator settings copied into every dump's ACCREG, as the logon loaded them.
struct Setting {
  const char* group;
  const char* code;
  bool number;
  std::string value;
};

std::vector<Setting> AccRegSettings() {
  const TSystemDef& s = SystemDef;
  auto bit = [](int32_t flags, int n) { return std::to_string((static_cast<uint32_t>(flags) >> n) & 1u); };
  auto num = [](int32_t v) { return std::to_string(v); };
  return {
      {"環境設定", "証憑列表示区分", true, bit(s.Reserve4, 2)},
      {"環境設定", "支店毎連番表示区分", true, bit(s.Reserve4, 3)},
      {"環境設定", "３期比較年度出力順区分", true, bit(s.Reserve4, 10)},
      {"環境設定", "部門帳票２行印刷区分", true, num(s.SwkLine)},
      {"環境設定", "税額参考印刷区分", true, num(s.Reserve1)},
      // The settings load replaces the stored bit by the operator's own setting.
      {"環境設定", "元帳最終取引残高印刷区分", true, num(s.R4Bit7)},
      {"環境設定", "元帳タイトル科目名称出力区分", true, num(s.元帳タイトル出力区分)},
      {"環境設定", "両面印刷罫線出力区分", true, num(s.裏面の罫線印刷区分)},
      {"環境設定", "インデックス出力区分", true, num(s.元帳付箋マーク出力区)},
      {"環境設定", "名称金額出力区分", true, num(s.KingakuPlus)},
      {"環境設定", "試算表集計区分印刷区分", true, num(s.試算表集計出力区分)},
      {"環境設定", "貸借対照表集計期間印刷区分", true, num(s.試算表期間出力区分)},
      {"環境設定", "負債の部改ページ区分", true, num(s.試算表ＢＳ改ページ区)},
      {"環境設定", "試算表タイトル変更区分", true, num(s.試算表タイトル出力区)},
      {"環境設定", "試算表タイトル", false, s.試算表タイトル},
      {"環境設定", "２期試算表タイトル", false, s.二期試算表タイトル},
      {"環境設定", "試算表貸借対照表", false, s.ＢＳタイトル[kTitleZenKamoku]},
      {"環境設定", "試算表資産の部", false, s.資産タイトル[kTitleZenKamoku]},
      {"環境設定", "試算表負債・純資産の部", false, s.負債タイトル[kTitleZenKamoku]},
      {"環境設定", "試算表損益計算書", false, s.ＰＬタイトル[kTitleZenKamoku]},
      {"環境設定", "試算表販売費・一般管理費", false, s.販売費タイトル[kTitleZenKamoku]},
      {"決算書", "損失金額△区分", true, num(s.SankakuPlus)},
      {"決算書", "残高０円科目出力区分", true, num(s.ZeroPrint)},
      {"決算書", "負債の部改ページ区分", true, bit(s.Reserve2, 0)},
      {"決算書", "外枠可変区分", true, bit(s.Reserve2, 1)},
  };
}

// The six rows a budget analysis starts from, written when a data set has none.
struct KihonRuleSeed {
  const char* komoku;
  int row;
  const char* kbn;
  double wariai;
  int site;
};
constexpr KihonRuleSeed kKihonRuleSeed[] = {
    {"売上債権", 1, "現金", 100.0, 0}, {"売上債権", 2, "掛", 0.0, 2}, {"売上債権", 3, "手形", 0.0, 2},
    {"仕入債務", 1, "現金", 100.0, 0}, {"仕入債務", 2, "掛", 0.0, 2}, {"仕入債務", 3, "手形", 0.0, 2},
};

std::string FailedOpenText(const std::string& path) { return "\"" + path + "\"が使用中です。"; }

}  // namespace

// One writing: the file, the query and the transaction it may have started.
struct TWebDbSqlDump::Writer {
  std::FILE* file = nullptr;
  TIBSQL query;
  bool startedTransaction = false;
  int jobLevel = 200;

  ~Writer() {
    if (file) std::fclose(file);
  }
  void Put(std::string_view s) {
    if (std::fwrite(s.data(), 1, s.size(), file) != s.size())
      throw std::runtime_error(std::string("書き込みに失敗しました: ") + std::strerror(errno));
  }
  void Line(std::string_view s) {
    Put(s);
    Put(kCrLf);
  }

  void WriteAll(const TWebDbSqlDump& dump, TDateTime start);
  void Banner(const char* title);
  void CopyTemplate(const std::string& path);
  void Table(const TDumpTable& t);
  int64_t Rows(const TDumpTable& t, std::vector<Item>& items, bool endLine = true);
  void SeedKihonRule();
};

TWebDbSqlDump::TWebDbSqlDump() {
  dataVersionText_ = SystemDef.OpenDataVer;
  if (dataVersionText_.empty()) {
    char b[48];
    std::snprintf(b, sizeof b, "%d.%d.%d", AccInf.VerMajor, AccInf.VerMinor1, AccInf.VerMinor2);
    dataVersionText_ = b;
  }
  const std::string init = SystemDef.BaseDir + "/init/";
  dataTemplatePath_ = init + "velkoran_empty_data.sql";
  indexTemplatePath_ = init + "velkoran_empty_index.sql";
  scriptPath_ = SystemDef.TempDir + "/" + kScriptFolder + "/" + kScriptFile;
  jobLevel_ = AccInf.DATATYPE == 3 ? 1200 : 200;
}

TWebDbSqlDump::~TWebDbSqlDump() = default;

std::string TWebDbSqlDump::Quote(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '\'';
  for (char c : text) {
    if (c == '\\' || c == '\'') out += '\\';
    out += c;
  }
  out += '\'';
  return out;
}

std::string TWebDbSqlDump::BareText(const TIBField& field) {
  const ibdb::Value& v = field.RawValue();
  switch (v.kind) {
    case Kind::Null: return "";
    case Kind::Float: return FloatText(v.d);
    case Kind::Date: return DateText(v.d, '/');
    case Kind::Timestamp: {
      int h = 0, n = 0, s = 0;
      TimeOfDay(v.d, h, n, s);
      if (h == 0 && n == 0 && s == 0) return DateText(v.d, '/');
      return DateText(v.d, '/') + " " + std::to_string(h) + ":" + Two(n) + ":" + Two(s);
    }
    default: return field.AsString();
  }
}

std::string TWebDbSqlDump::FormatDumpDate(std::string_view cls, TDateTime value) {
  const bool date = SameText(cls, "DATE");
  if (!date && !SameText(cls, "DATETIME")) return "'0000-00-00'";
  // The zero of the date-time count stands for "no date", as NULL does.
  if (value == 0) return date ? "'0000-00-00'" : "'0000-00-00 00:00:00'";
  if (value <= kLowerBound) return date ? "'1970-01-02'" : "'1970-01-02 00:00:00'";
  if (value >= kUpperBound) return date ? "'2038-01-01'" : "'2038-01-01 00:00:00'";
  if (date) return "'" + DateText(value, '-') + "'";
  int h = 0, n = 0, s = 0;
  TimeOfDay(value, h, n, s);
  return "'" + DateText(value, '-') + " " + Two(h) + ":" + Two(n) + ":" + Two(s) + "'";
}

std::string TWebDbSqlDump::FormatValue(const TIBField& field, std::string_view cls) {
  const bool date = SameText(cls, "DATE");
  if (date || SameText(cls, "DATETIME")) {
    const ibdb::Value& v = field.RawValue();
    const bool isDate = v.kind == Kind::Date || v.kind == Kind::Timestamp;
    if (field.IsNull() || (isDate && v.d == 0)) return date ? "'0000-00-00'" : "'0000-00-00 00:00:00'";
    if (isDate && (v.d <= kLowerBound || v.d >= kUpperBound)) return FormatDumpDate(cls, v.d);
    return Quote(BareText(field));
  }
  if (field.IsNull()) return "NULL";
  if (SameText(cls, "STR")) return Quote(BareText(field));
  return BareText(field);
}

std::string TWebDbSqlDump::FormatFieldValue(const std::string& column, std::string_view cls) const {
  if (!current_) throw std::logic_error("FormatFieldValue outside WriteDump");
  return FormatValue(current_->query.FieldByName(column), cls);
}

bool TWebDbSqlDump::WriteDump() {
  if (DatabaseName.empty()) return false;

  // Open the script: a private folder, the old script gone, the new one ours alone.
  const std::string path = ResolvePath(scriptPath_);
  {
    std::error_code ec;
    const fs::path folder = fs::path(path).parent_path();
    fs::create_directories(folder, ec);
    ::chmod(folder.c_str(), 0700);
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) throw EWebDbSqlDumpFileInUse(FailedOpenText(scriptPath_));
  }
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) throw EWebDbSqlDumpFileInUse(FailedOpenText(scriptPath_));
  auto w = std::make_unique<Writer>();
  w->file = ::fdopen(fd, "wb");
  if (!w->file) {
    ::close(fd);
    throw EWebDbSqlDumpFileInUse(FailedOpenText(scriptPath_));
  }
  static thread_local std::vector<char> buffer(1 << 20);
  std::setvbuf(w->file, buffer.data(), _IOFBF, buffer.size());

  const TDateTime start = Now();
  current_ = w.get();
  bool ok = true;
  try {
    w->WriteAll(*this, start);
  } catch (const std::exception& e) {
    ok = false;
    // Whatever was started here ends here: the only rows written are the seed rows, already
    // committed, so a commit loses nothing and leaves no open transaction behind.
    if (w->startedTransaction && DM->IBTransactionDAT.Active()) {
      try {
        DM->IBTransactionDAT.Commit();
      } catch (const std::exception&) {
        try {
          DM->IBTransactionDAT.Rollback();
        } catch (const std::exception&) {
        }
      }
    }
    current_ = nullptr;
    std::fclose(w->file);
    w->file = nullptr;
    ShowErrorDetail("SQLDumpファイルの作成に失敗しました。", e.what(), uis::MsgKind::Error);
  }
  current_ = nullptr;
  if (ok) {
    const bool flushed = std::fflush(w->file) == 0;
    const bool closed = std::fclose(w->file) == 0;
    w->file = nullptr;
    if (!flushed || !closed) {
      ShowErrorDetail("SQLDumpファイルの作成に失敗しました。", std::strerror(errno), uis::MsgKind::Error);
      return false;
    }
  }
  return ok;
}

void TWebDbSqlDump::Writer::Banner(const char* title) {
  Line(kRule);
  Line(title);
  Line(kRule);
  Line("");
}

// A template's lines with their bytes as they are, each ended by CR LF whatever ended it.
void TWebDbSqlDump::Writer::CopyTemplate(const std::string& path) {
  std::ifstream in(ResolvePath(path), std::ios::binary);
  if (!in) throw std::runtime_error("\"" + path + "\" を開けません。");
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    Line(line);
  }
  if (in.bad()) throw std::runtime_error("\"" + path + "\" を読めません。");
  Line("");
}

void TWebDbSqlDump::Writer::WriteAll(const TWebDbSqlDump& dump, TDateTime start) {
  std::string name;  // the database name as a quoted identifier
  for (char c : dump.DatabaseName) name += c == '`' ? std::string("``") : std::string(1, c);
  name = "`" + name + "`";

  Line("-- ");
  Line("-- Web Velkoran DataBase Dump");
  Line("--   Application     : " + sjis::FromUtf8(SystemDef.ProgramTitle + " (" + SystemDef.AppVerText + ")"));
  Line("--   DataBase Version: " + dump.dataVersionText_);
  Line("--   Creation File   : " + sjis::FromUtf8(dump.scriptPath_));
  Line("--   Creation Date   : " + FormatDateTime("yyyy/mm/dd hh:nn:ss", start));
  Line("--   mysql importline: mysql.exe -u root < \"" + sjis::FromUtf8(dump.scriptPath_) + "\"");
  Line("-- ");
  Line("");
  Line("DROP DATABASE /*!32312 IF EXISTS*/ " + name + ";");
  Line("CREATE DATABASE /*!32312 IF NOT EXISTS*/ " + name +
       " /*!40100 DEFAULT CHARACTER SET utf8 COLLATE utf8_unicode_ci */;");
  Line("USE " + name + ";");
  Line("");

  Banner("--  Table Create");
  CopyTemplate(dump.dataTemplatePath_);
  Banner("--  ZaimuData Area");

  TIBTransaction& tr = DM->IBTransactionDAT;
  query.SetDatabase(&DM->IBDatabaseDAT);
  query.SetTransaction(&tr);
  if (!tr.Active()) {
    tr.StartTransaction();
    startedTransaction = true;
  }
  jobLevel = dump.jobLevel_;
  for (const TDumpTable& t : DumpTables()) Table(t);
  query.Close();
  if (startedTransaction) {
    tr.Commit();
    startedTransaction = false;
  }

  Banner("--  Index Create");
  CopyTemplate(dump.indexTemplatePath_);

  const TDateTime took = Now() - start;
  int h = 0, n = 0, s = 0;
  TimeOfDay(took, h, n, s);
  h += static_cast<int>(std::floor(took)) * 24;
  Line("");
  Line("--   Created Time: " + Two(h) + ":" + Two(n) + ":" + Two(s));
}

void TWebDbSqlDump::Writer::Table(const TDumpTable& t) {
  Line(std::string("DELETE FROM ") + t.name + ";");
  const bool holds = t.when == TDumpWhen::kAlways || (t.when == TDumpWhen::kFrom802 && From802()) ||
                     (t.when == TDumpWhen::kMedical && IsMedical());
  if (!holds) {
    if (std::string_view(t.name) != "JOBCONTROL") Line("");
    return;
  }
  std::vector<Item> items = ParseValues(t.values);
  switch (t.kind) {
    case TDumpKind::AccVersion: {
      // The version the data set is at, so the service sees the form of the data it loads.
      char b[64];
      std::snprintf(b, sizeof b, "(%d,%d,%d,", AccInf.VerMajor, AccInf.VerMinor1, AccInf.VerMinor2);
      Line(t.head);
      Line(b + FormatDumpDate("DATETIME", Now()) + ");");
      return;
    }
    case TDumpKind::ChartInf:
      if (Rows(t, items, false) == 0)
        Put("INSERT INTO CHARTINF VALUES(100009999,0,0,0,0,16777215,0,3,2,255,16776960,16711680,65535,20,0,0,0,0,0,0);");
      Line("");
      return;
    case TDumpKind::AccReg:
      Rows(t, items);
      for (const Setting& s : AccRegSettings()) {
        Line(std::string("INSERT INTO ACCREG VALUES(") + Quote(s.group) + "," + Quote(s.code) + "," +
             Quote(s.number ? "整数" : "文字") + "," + (s.number ? s.value : Quote(s.value)) + ",'');");
      }
      return;
    case TDumpKind::KihonRule:
      SeedKihonRule();
      Rows(t, items);
      return;
    case TDumpKind::Rows:
      Rows(t, items);
      return;
  }
}

// The rows of the table's query, as they are read. A statement's rows stand on one line after
// its head; the large tables start a new statement after every 100 rows.
int64_t TWebDbSqlDump::Writer::Rows(const TDumpTable& t, std::vector<Item>& items, bool endLine) {
  query.Close();
  query.SQL = BuildSelect(t, items);
  if (query.SQL.find(":LEVELNO") != std::string::npos) query.ParamByName("LEVELNO").SetInteger(jobLevel);
  query.ExecQuery();
  const std::string head = *t.head ? std::string(t.head) : std::string("INSERT INTO ") + t.name + " VALUES";

  TDateTime fy1 = AccInf.zKISHU != 0 ? AccInf.zKISHU : IncMonth(AccInf.KISHU, -12);
  TDateTime fy2 = AccInf.zzKISHU != 0 ? AccInf.zzKISHU : IncMonth(fy1, -12);

  int64_t n = 0;
  std::string row;
  while (!query.Eof()) {
    if (n == 0) {
      Line(head);
    } else if (t.large && n % kRowsPerStatement == 0) {
      Line(";");
      Line(head);
    } else {
      Put(",");
    }
    ++n;
    row = "(";
    for (size_t i = 0; i < items.size(); ++i) {
      const Item& it = items[i];
      if (i) row += ',';
      switch (it.k) {
        case Item::K::Constant: row += it.text; break;
        case Item::K::Run: row += std::to_string(n); break;
        case Item::K::FY2: row += "'" + DateText(fy2, '/') + "'"; break;
        case Item::K::FY1: row += "'" + DateText(fy1, '/') + "'"; break;
        case Item::K::CType1: row += std::to_string(CType1Mapped(query.Fields(it.field).AsInteger())); break;
        case Item::K::Colour: row += std::to_string(ColourRgb(query.Fields(it.field).AsInt64())); break;
        case Item::K::Whole: {
          const std::string text = query.Fields(it.field).AsString();
          long long v = 0;
          auto r = std::from_chars(text.data(), text.data() + text.size(), v);
          row += std::to_string(r.ec == std::errc() && r.ptr == text.data() + text.size() ? v : 0);
          break;
        }
        case Item::K::Column: {
          const TIBField& f = query.Fields(it.field);
          row += it.cls == "'" ? Quote(BareText(f)) : FormatValue(f, it.cls);
          break;
        }
      }
    }
    row += ')';
    Put(row);
    query.Next();
  }
  query.Close();
  if (n > 0) Put(";");
  if (endLine) Line("");
  return n;
}

// A data set that has never had budget rules gets the six defaults before they are dumped.
void TWebDbSqlDump::Writer::SeedKihonRule() {
  query.Close();
  query.SQL = "SELECT COUNT(FKOMOKU) AS RECCNT FROM AOPRO_YOSAN_KIHONRULE";
  query.ExecQuery();
  const int64_t count = query.FieldByName("RECCNT").AsInt64();
  query.Close();
  if (count > 0) return;
  query.SQL =
      "INSERT INTO AOPRO_YOSAN_KIHONRULE (FKOMOKU, FROW, FKBN, FWARIAI, FSITE, FMEMO, FHIZUKE, FKINGAKU) "
      "VALUES (:FKOMOKU, :FROW, :FKBN, :FWARIAI, :FSITE, :FMEMO, :FHIZUKE, :FKINGAKU)";
  for (const KihonRuleSeed& r : kKihonRuleSeed) {
    query.ParamByName("FKOMOKU").SetString(r.komoku);
    query.ParamByName("FROW").SetInteger(r.row);
    query.ParamByName("FKBN").SetString(r.kbn);
    query.ParamByName("FWARIAI").SetDouble(r.wariai);
    query.ParamByName("FSITE").SetInteger(r.site);
    query.ParamByName("FMEMO").SetString("");
    query.ParamByName("FHIZUKE").SetDateTime(1.0);  // 1899/12/31
    query.ParamByName("FKINGAKU").SetCurrency(Currency());
    query.ExecQuery();
    query.Close();
  }
  DM->IBTransactionDAT.CommitRetaining();
}
