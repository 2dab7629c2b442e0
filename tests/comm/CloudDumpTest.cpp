// The cloud analysis dump: value forms, whole scripts of small fixture companies against their
// golden files, statement splitting, odd texts, failures and what the script leaves on disk.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "comm/z5WebDbSqlDump.h"
#include "comm/z5WebVelkoranDataDump.h"
#include "data/DataModule.h"
#include "data/uAccRecord.h"
#include "fixtures/FixtureDb.h"
#include "fixtures/Installation.h"
#include "platform/Encoding.h"
#include "platform/db/IBField.h"
#include "support/CommServers.h"
#include "support/DataModuleTestBase.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using Kind = ibdb::Value::Kind;

namespace {

std::string SourceDir() {
  const char* root = std::getenv("RENDO_SOURCE_DIR");
  return root != nullptr && *root ? root : ".";
}

TIBField FieldOf(Kind kind, int64_t i = 0, int scale = 0, double d = 0, std::string text = {}) {
  ibdb::Value v;
  v.kind = kind;
  v.i = i;
  v.scale = scale;
  v.d = d;
  v.bytes = std::move(text);
  v.utf8 = true;
  TIBField f("X");
  f.SetRawValue(v);
  return f;
}
TIBField Null() { return FieldOf(Kind::Null); }
TIBField Text(std::string t) { return FieldOf(Kind::Text, 0, 0, 0, std::move(t)); }
TIBField Int(int64_t i, int scale = 0) { return FieldOf(Kind::Integer, i, scale); }
TIBField Float(double d) { return FieldOf(Kind::Float, 0, 0, d); }
TIBField Stamp(TDateTime d) { return FieldOf(Kind::Timestamp, 0, 0, d); }
TIBField Date(TDateTime d) { return FieldOf(Kind::Date, 0, 0, d); }

TDateTime At(int y, int m, int d, int h = 0, int n = 0, int s = 0) { return EncodeDate(y, m, d) + EncodeTime(h, n, s, 0); }

// Reads SQL text as a MySQL client does: quoted texts with backslash escapes, backquoted names
// with doubled backquotes, "-- " comments to the end of the line. Counts the statements (the
// semicolons outside literals); false when a literal is left open, a value is missing between
// commas, or text stands after the last statement.
bool ScriptParses(const std::string& text, int& statements, std::string& where) {
  size_t i = 0, lastEnd = 0;
  auto fail = [&](const char* why) {
    where = std::string(why) + " at: " + text.substr(i > 60 ? i - 60 : 0, 120);
    return false;
  };
  while (i < text.size()) {
    const char c = text[i];
    if (c == '-' && text.compare(i, 3, "-- ") == 0) {
      const size_t e = text.find("\r\n", i);
      i = e == std::string::npos ? text.size() : e;
    } else if (c == '/' && text.compare(i, 2, "/*") == 0) {
      const size_t e = text.find("*/", i + 2);
      if (e == std::string::npos) return fail("open comment");
      i = e + 2;
    } else if (c == '\'' || c == '`') {
      const size_t open = i++;
      for (;;) {
        if (i >= text.size()) {
          i = open;
          return fail("open literal");
        }
        if (c == '\'' && text[i] == '\\') {
          i += 2;
        } else if (text[i] == c && i + 1 < text.size() && text[i + 1] == c) {
          i += 2;
        } else if (text[i] == c) {
          ++i;
          break;
        } else {
          ++i;
        }
      }
    } else {
      if (c == ';') {
        ++statements;
        lastEnd = i + 1;
      }
      if (c == ',' && i + 1 < text.size() && (text[i + 1] == ',' || text[i + 1] == ')')) return fail("empty value");
      if (c == '(' && i + 1 < text.size() && text[i + 1] == ',') return fail("empty value");
      ++i;
    }
  }
  for (size_t k = lastEnd; k < text.size(); ++k)
    if (text[k] != '\r' && text[k] != '\n' && text[k] != ' ') {
      i = k;
      return fail("text after the last statement");
    }
  return true;
}

std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> out;
  size_t b = 0;
  while (b < bytes.size()) {
    size_t e = bytes.find("\r\n", b);
    if (e == std::string::npos) e = bytes.size();
    out.push_back(bytes.substr(b, e - b));
    b = e + 2;
  }
  return out;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Value forms

TEST(CloudDumpValues, EachFormWritesItsValue) {
  const struct {
    const char* name;
    TIBField field;
    const char* cls;
    std::string expected;
  } cases[] = {
      {"NULL bare", Null(), "", "NULL"},
      {"NULL INT", Null(), "INT", "NULL"},
      {"NULL STR", Null(), "str", "NULL"},
      {"NULL DATETIME", Null(), "DATETIME", "'0000-00-00 00:00:00'"},
      {"NULL DATE", Null(), "Date", "'0000-00-00'"},
      {"zero date as NULL", Stamp(0), "DATETIME", "'0000-00-00 00:00:00'"},
      {"O'Brien STR", Text("O'Brien"), "STR", "'O\\'Brien'"},
      {"trailing backslash STR", Text("C:\\"), "STR", "'C:\\\\'"},
      {"O'Brien bare", Text("O'Brien"), "", "O'Brien"},
      {"Japanese text", Text("株式会社ｻﾝﾌﾟﾙ"), "STR", "'株式会社ｻﾝﾌﾟﾙ'"},
      {"integer", Int(-42), "INT", "-42"},
      {"scaled 100", Int(1000000, -4), "CURR", "100"},
      {"scaled 0.5", Int(5000, -4), "", "0.5"},
      {"scaled negative", Int(-1, -4), "", "-0.0001"},
      {"float 1E20", Float(1e20), "DOUBLE", "1E20"},
      {"float 0.5", Float(0.5), "FLOAT", "0.5"},
      {"float 1E-5", Float(0.00001), "", "1E-5"},
      {"date bare", Date(At(2016, 4, 1)), "", "2016/04/01"},
      {"timestamp at midnight", Stamp(At(2016, 4, 1)), "", "2016/04/01"},
      {"timestamp unpadded hour", Stamp(At(2016, 4, 1, 9, 5, 7)), "", "2016/04/01 9:05:07"},
      {"DATETIME keeps its text", Stamp(At(2016, 4, 1, 13, 0, 0)), "DATETIME", "'2016/04/01 13:00:00'"},
      {"1969-12-31", Stamp(At(1969, 12, 31)), "DATETIME", "'1970-01-02 00:00:00'"},
      {"1970-01-01 exactly", Stamp(At(1970, 1, 1)), "DATETIME", "'1970-01-02 00:00:00'"},
      {"1970-01-01 noon", Stamp(At(1970, 1, 1, 12)), "DATETIME", "'1970/01/01 12:00:00'"},
      {"2038-01-01", Stamp(At(2038, 1, 1)), "DATETIME", "'2038-01-01 00:00:00'"},
      {"2037-12-31 23:59:59", Stamp(At(2037, 12, 31, 23, 59, 59)), "DATETIME", "'2037/12/31 23:59:59'"},
      {"DATE bound", Date(At(1969, 12, 31)), "DATE", "'1970-01-02'"},
      {"seed date 1899-12-31", Stamp(1.0), "DATETIME", "'1970-01-02 00:00:00'"},
  };
  for (const auto& c : cases) EXPECT_EQ(TWebDbSqlDump::FormatValue(c.field, c.cls), c.expected) << c.name;
}

TEST(CloudDumpValues, FormatDumpDateByClass) {
  const struct {
    const char* cls;
    TDateTime value;
    const char* expected;
  } cases[] = {
      {"DATETIME", At(2016, 4, 1, 9, 5, 7), "'2016-04-01 09:05:07'"},
      {"datetime", At(2016, 4, 1), "'2016-04-01 00:00:00'"},
      {"DATE", At(2016, 4, 1, 9, 5, 7), "'2016-04-01'"},
      {"DATETIME", At(1969, 12, 31), "'1970-01-02 00:00:00'"},
      {"DATE", At(2040, 5, 5), "'2038-01-01'"},
      {"DATETIME", 0, "'0000-00-00 00:00:00'"},
      {"TIME", At(2016, 4, 1), "'0000-00-00'"},
  };
  for (const auto& c : cases) EXPECT_EQ(TWebDbSqlDump::FormatDumpDate(c.cls, c.value), c.expected) << c.cls;
}

// ---------------------------------------------------------------------------------------------
// Whole scripts

class CloudDump : public DataModuleTestBase {
 protected:
  static void SetUpTestSuite() {
    DataModuleTestBase::SetUpTestSuite();
    fixtures::CompanyPlan ordinary = fixtures::CompanyPlan::Corporation();
    ordinary.name = "株式会社O'Brien\\商事";
    ordinary.verMajor = 8;
    ordinary.verMinor1 = 0;
    ordinary.verMinor2 = 1;
    ordinary_ = &inst_->AddCompany(ordinary);
    fixtures::CompanyPlan medical = fixtures::CompanyPlan::Medical();
    medical.verMajor = 8;
    medical.verMinor1 = 0;
    medical.verMinor2 = 2;
    medical_ = &inst_->AddCompany(medical);
    for (fixtures::Company* c : {ordinary_, medical_}) AddSampleRows(*c);
  }

  // A few rows in the tables the fixture leaves empty, with the values whose forms matter:
  // scaled amounts, a timestamp with and without a time of day, a quote, NULLs, colours.
  static void AddSampleRows(const fixtures::Company& c) {
    fixtures::DbSession s(c.DbFile());
    s.Exec("INSERT INTO SIWAKE (REC, SWKREC, SWKNO, DELFLG, TAISHAKU, HIZUKE, MNUM, KCODE, R_KCODE, NUK, ZEI, "
           "TEKTEXT, CTIME, RTIME, LINKKEY) VALUES (1, 1, 1, 0, 1, '2016-04-05', 1, '1110', '9900', 1000.5, 80, "
           "'O''Brien様 \\', '2016-04-05 09:05:07', '2016-04-05 00:00:00', NULL)");
    s.Exec("INSERT INTO SIWAKE (REC, SWKREC, SWKNO, DELFLG, TAISHAKU, HIZUKE, MNUM, KCODE, R_KCODE, NUK, ZEI, "
           "TEKTEXT, CTIME, RTIME) VALUES (2, 1, 1, 0, 2, '2016-04-05', 1, '9900', '1110', 1000.5, 0, '', "
           "'1969-12-31 00:00:00', '2038-01-01 00:00:00')");
    s.Exec("INSERT INTO SIWAKE2 (REC, SWKREC, LINKKEY, LINKKUB, LINKREC) VALUES (1, 1, 'K-1', 10, 7)");
    s.Exec("INSERT INTO KAMOKU_MS (SCODE, BCODE, KCODE, HCODE, MNUM, KAR_NUK, BYOSAN, BYOSAN2, BYOSAN3) "
           "VALUES (' ', ' ', '1110', ' ', 1, 100, 0.5, 12.25, 3)");
    s.Exec("INSERT INTO JOBCONTROL2 (LEVELNO, PROC_ID, PROC_OPTION) VALUES (200, 'VqSiwake', '')");
    s.Exec("INSERT INTO JOBCONTROL2 (LEVELNO, PROC_ID, PROC_OPTION) VALUES (200, 'VqMotocho', '')");
    s.Exec("INSERT INTO JOBCONTROL2 (LEVELNO, PROC_ID, PROC_OPTION) VALUES (1200, 'VqSisetu', '')");
    s.Exec("INSERT INTO AOPRO_YOSAN_KANRI (FYOSAN_ID, FYOSAN_NAME, FZOUGENRITU) VALUES (1, '当初予算', 1E20)");
    s.Exec("INSERT INTO VELKORAN_YOJITU_HYOKARULE (FGCODE, FMEISHOU, FBAD_RATE, FGOOD_RATE) "
           "VALUES ('01', '売上高', 0.5, 100)");
    s.Exec("INSERT INTO KAMOKU_KOSEI_GROUP (FGNAME, FKCODE, FHCODE) VALUES ('現預金', '1110', '001')");
    s.Exec("INSERT INTO MSD_HOUKOKU (MDGROUP, MDCODE, MDTYPE, MDTEXT1) VALUES ('A', '01', 'T', '病床数')");
    // System button face as the background, pure red (stored blue-green-red) as the foreground;
    // the ordinary company keeps no chart settings and gets the default line.
    if (c.Setup().dataType == 3)
      s.Exec("INSERT INTO CHARTINF (OPCODE, CTYPE1, BAKCOL, FORCOL, ECOL1, FONTSIZE) "
           "VALUES (100009999, 5, -2147483633, 255, 16711680, 9)");
    s.Commit();
  }
  static void TearDownTestSuite() {
    ordinary_ = medical_ = nullptr;
    DataModuleTestBase::TearDownTestSuite();
  }

  void SetUp() override {
    DataModuleTestBase::SetUp();
    fixtures::LogOnLocally(*inst_);
    env_ = std::make_unique<fixtures::InstallationEnv>(*inst_);
    CreateDataModule();
    SystemDef.BaseDir = SourceDir();
    SystemDef.TempDir = (tmp_.Path() / "temp").string();
    SystemDef.ProgramTitle = "Soravin連動コンポーネント";
    SystemDef.AppVerText = "1.0.0";
    SystemDef.OpenDataVer.clear();
  }
  void TearDown() override {
    FreeDataModule();
    env_.reset();
    DataModuleTestBase::TearDown();
  }

  void Connect(const fixtures::Company& c) {
    ASSERT_TRUE(DM->fnAccDatConnected("", c.Folder().string(), false));
    ASSERT_TRUE(DM->fnGetAccInfo());
  }

  // A copy of a company to change, in a folder of its own.
  static std::string CopyOf(const fixtures::Company& c, const std::string& name) {
    const fs::path dir = inst_->SysDir() / name;
    fs::create_directories(dir);
    fs::copy_file(c.DbFile(), dir / "qvacc.fdb", fs::copy_options::overwrite_existing);
    return dir.string();
  }

  // The script with what differs from run to run (times, the temporary folder) masked.
  std::string Masked(const std::string& bytes) const {
    std::string s = bytes;
    const std::string temp = sjis::FromUtf8(SystemDef.TempDir);
    for (size_t p; (p = s.find(temp)) != std::string::npos;) s.replace(p, temp.size(), "<TEMP>");
    s = std::regex_replace(s, std::regex(R"(Creation Date   : [0-9/: ]+)"), "Creation Date   : <NOW>");
    s = std::regex_replace(s, std::regex(R"(Created Time: [0-9:]+)"), "Created Time: <TOOK>");
    s = std::regex_replace(s, std::regex(R"(,'[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9:]{8}'\);)"), ",'<NOW>');");
    return s;
  }

  void ExpectGolden(const std::string& bytes, const std::string& name) const {
    const std::string masked = Masked(bytes);
    const fs::path golden = fs::path(SourceDir()) / "tests/comm/golden" / name;
    // The script as written this run, beside the tests, to compare or to take as the new golden.
    std::ofstream(fs::path("CloudDump-" + name), std::ios::binary) << masked;
    ASSERT_TRUE(fs::exists(golden)) << golden;
    const std::string expected = TempDir::Read(golden);
    const auto a = Lines(masked), b = Lines(expected);
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
      ASSERT_EQ(a[i], b[i]) << name << " line " << (i + 1);
    EXPECT_EQ(a.size(), b.size()) << name;
    EXPECT_TRUE(masked == expected) << name;
  }

  static inline fixtures::Company* ordinary_ = nullptr;
  static inline fixtures::Company* medical_ = nullptr;
  std::unique_ptr<fixtures::InstallationEnv> env_;
  TempDir tmp_;
};

TEST_F(CloudDump, OrdinaryDataAt801MatchesItsGolden) {
  Connect(*ordinary_);
  TWebDbSqlDump dump;
  EXPECT_EQ(dump.JobLevel(), 200);
  EXPECT_EQ(dump.DataVersionText(), "8.0.1");
  dump.DatabaseName = "velkor_d_AB12CD_3";
  ASSERT_TRUE(dump.WriteDump()) << ui_.messages.size();
  EXPECT_FALSE(DM->IBTransactionDAT.Active());
  ExpectGolden(TempDir::Read(dump.ScriptPath()), "cloud_dump_801.sql");
}

TEST_F(CloudDump, MedicalDataAt802MatchesItsGoldenAndSeedsTheBudgetRules) {
  const std::string folder = CopyOf(*medical_, "medical802");
  ASSERT_TRUE(DM->fnAccDatConnected("", folder, false));
  ASSERT_TRUE(DM->fnGetAccInfo());
  {
    fixtures::DbSession s(fs::path(folder) / "qvacc.fdb");
    s.Exec("DELETE FROM AOPRO_YOSAN_KIHONRULE");
    s.Commit();
  }
  TWebDbSqlDump dump;
  EXPECT_EQ(dump.JobLevel(), 1200);
  dump.DatabaseName = "velkor_d_AB12CD_3";
  ASSERT_TRUE(dump.WriteDump());
  ExpectGolden(TempDir::Read(dump.ScriptPath()), "cloud_dump_802_medical.sql");
  EXPECT_EQ(Scalar(fs::path(folder) / "qvacc.fdb", "SELECT COUNT(*) FROM AOPRO_YOSAN_KIHONRULE"), 6);
}

TEST_F(CloudDump, LargeTablesAreCutIntoStatementsOfAHundredRows) {
  for (const int rows : {250, 100}) {
    SCOPED_TRACE(rows);
    const std::string folder = CopyOf(*ordinary_, "rows" + std::to_string(rows));
    {
      fixtures::DbSession s(fs::path(folder) / "qvacc.fdb");
      s.Exec("DELETE FROM SIWAKE");
      s.Exec("EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN WHILE (I <= " + std::to_string(rows) +
             ") DO BEGIN INSERT INTO SIWAKE (REC, SWKREC, DELFLG, TAISHAKU, HIZUKE, KCODE, R_KCODE) "
             "VALUES (:I, :I, 0, 1, '2016-04-01', '111', '811'); I = I + 1; END END");
      s.Commit();
    }
    ASSERT_TRUE(DM->fnAccDatConnected("", folder, false));
    ASSERT_TRUE(DM->fnGetAccInfo());
    TWebDbSqlDump dump;
    dump.DatabaseName = "x";
    ASSERT_TRUE(dump.WriteDump());
    const auto lines = Lines(TempDir::Read(dump.ScriptPath()));
    size_t at = 0;
    while (at < lines.size() && lines[at] != "DELETE FROM SIWAKE;") ++at;
    ASSERT_LT(at, lines.size());
    std::vector<size_t> counts;
    size_t i = at + 1;
    for (; i + 1 < lines.size() && lines[i] == "INSERT INTO SIWAKE VALUES"; i += 2) {
      const std::string& row = lines[i + 1];
      ASSERT_EQ(row.back(), ';');
      size_t n = 0;
      for (size_t p = 0; (p = row.find("),(", p)) != std::string::npos; ++p) ++n;
      counts.push_back(n + 1);
    }
    const std::vector<size_t> expected = rows == 250 ? std::vector<size_t>{100, 100, 50} : std::vector<size_t>{100};
    EXPECT_EQ(counts, expected);
    EXPECT_EQ(lines[i], "DELETE FROM SIWAKE2;");
  }
}

TEST_F(CloudDump, OddTextsStillGiveAScriptThatParses) {
  const std::string folder = CopyOf(*ordinary_, "odd");
  {
    fixtures::DbSession s(fs::path(folder) / "qvacc.fdb");
    s.Exec("UPDATE ACCDEF2 SET KNAME = 'O''Brien\\' WHERE KCODE = '1110'");
    s.Exec("UPDATE SIWAKE SET TEKTEXT = 'a''b\\' || ASCII_CHAR(13) || ASCII_CHAR(10) || 'c', COMMENT = NULL, "
           "RESERVE1 = NULL");
    s.Exec("UPDATE BUMONMST SET XSTR = '\\', BNAME = '''; DROP DATABASE x; --'");
    s.Commit();
  }
  ASSERT_TRUE(DM->fnAccDatConnected("", folder, false));
  ASSERT_TRUE(DM->fnGetAccInfo());
  SystemDef.試算表タイトル = "試算表'\\";
  SystemDef.ProgramTitle = "連動①髙";  // outside CP932 in the Shift-JIS header
  TWebDbSqlDump dump;
  dump.DatabaseName = "velkor`d";
  ASSERT_TRUE(dump.WriteDump());
  const std::string bytes = TempDir::Read(dump.ScriptPath());
  // The data area holds only statements; each row line ends one.
  const size_t from = bytes.find("--  ZaimuData Area");
  const size_t to = bytes.find("-- ==============================================\r\n--  Index Create");
  ASSERT_NE(from, std::string::npos);
  ASSERT_NE(to, std::string::npos);
  int statements = 0;
  std::string where;
  EXPECT_TRUE(ScriptParses(bytes.substr(from, to - from), statements, where)) << where;
  EXPECT_GT(statements, 46);
  // The head: the database statements with the odd name.
  statements = 0;
  EXPECT_TRUE(ScriptParses(bytes.substr(0, bytes.find("-- ====")), statements, where)) << where;
  EXPECT_EQ(statements, 3);
  EXPECT_NE(bytes.find("USE `velkor``d`;"), std::string::npos);
  EXPECT_NE(bytes.find("'O\\'Brien\\\\'"), std::string::npos);
  EXPECT_NE(bytes.find("'a\\'b\\\\\r\nc'"), std::string::npos);  // the CR LF stays inside its literal
  EXPECT_NE(bytes.find("'\\'; DROP DATABASE x; --'"), std::string::npos);
  EXPECT_NE(bytes.find("'文字','試算表\\'\\\\',''"), std::string::npos);
}

TEST_F(CloudDump, FailuresReturnFalseEndTheTransactionAndKeepTheFilePrivate) {
  Connect(*ordinary_);
  {
    TWebDbSqlDump dump;
    EXPECT_FALSE(dump.WriteDump());  // no database name: nothing touched
    EXPECT_FALSE(fs::exists(fs::path(dump.ScriptPath()).parent_path()));
    EXPECT_TRUE(ui_.messages.empty());
  }
  {
    SystemDef.BaseDir = tmp_.Path().string();  // no templates there
    TWebDbSqlDump dump;
    dump.DatabaseName = "x";
    EXPECT_FALSE(dump.WriteDump());
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_TRUE(ui_.Shown("SQLDumpファイルの作成に失敗しました。"));
    EXPECT_TRUE(ui_.Shown("velkoran_empty_data.sql"));
    EXPECT_FALSE(DM->IBTransactionDAT.Active());
    ui_.messages.clear();

    struct stat st = {};
    ASSERT_EQ(::stat(dump.ScriptPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(fs::path(dump.ScriptPath()).parent_path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
  }
  {
    // A query failing half-way: the transaction the writer started is ended all the same.
    const std::string folder = CopyOf(*ordinary_, "broken");
    {
      fixtures::DbSession s(fs::path(folder) / "qvacc.fdb");
      s.Exec("DROP TABLE MB_KMKGROUP");
      s.Commit();
    }
    ASSERT_TRUE(DM->fnAccDatConnected("", folder, false));
    ASSERT_TRUE(DM->fnGetAccInfo());
    SystemDef.BaseDir = SourceDir();
    TWebDbSqlDump dump;
    dump.DatabaseName = "x";
    EXPECT_FALSE(dump.WriteDump());
    EXPECT_FALSE(DM->IBTransactionDAT.Active());
    EXPECT_TRUE(ui_.Shown("SQLDumpファイルの作成に失敗しました。"));
    EXPECT_TRUE(ui_.Shown("MB_KMKGROUP"));
    // What was written so far stays, up to the table that failed.
    const std::string bytes = TempDir::Read(dump.ScriptPath());
    EXPECT_NE(bytes.find("DELETE FROM MB_KMKGROUP;"), std::string::npos);
    EXPECT_EQ(bytes.find("DELETE FROM VELKORAN_HIKAKU;"), std::string::npos);
    ui_.messages.clear();
    Connect(*ordinary_);
  }
  {
    // A transaction the caller holds stays the caller's.
    SystemDef.BaseDir = SourceDir();
    DM->IBTransactionDAT.StartTransaction();
    TWebDbSqlDump dump;
    dump.DatabaseName = "x";
    EXPECT_TRUE(dump.WriteDump());
    EXPECT_TRUE(DM->IBTransactionDAT.Active());
    DM->IBTransactionDAT.Commit();
  }
  {
    // Something in the script's place that cannot be replaced: the error reaches the caller.
    TWebDbSqlDump dump;
    fs::remove(dump.ScriptPath());
    fs::create_directories(fs::path(dump.ScriptPath()) / "sub");
    dump.DatabaseName = "x";
    try {
      dump.WriteDump();
      ADD_FAILURE() << "no error";
    } catch (const EWebDbSqlDumpFileInUse& e) {
      EXPECT_EQ(std::string(e.what()), "\"" + dump.ScriptPath() + "\"が使用中です。");
    }
  }
}

// The uploader with its own writer: the open company's script reaches the service zipped,
// under the data set's database name, and no copy of it stays behind.
TEST_F(CloudDump, TheUploaderSendsTheOpenCompanysScript) {
  Connect(*ordinary_);
  CommServers servers;
  servers.WriteState("cloud.json", R"({"files": {"AB12CD": {"ftp_password": "pw"}}})");
  TFtpWebDbSqlDump upload(LoopbackCommConfig(servers));
  ASSERT_EQ(upload.UploadDump("AB12CD", 4), "000");

  EXPECT_TRUE(fs::exists(servers.StateDir() / "ftp/cloud/AB12CD/04/qvacc.zip"));
  bool opened = false;
  for (const auto& line : servers.Journal())
    if (line.find(R"("endpoint": "cloud-zip")") != std::string::npos) {
      opened = true;
      EXPECT_NE(line.find(R"("names": ["qvacc.sql"])"), std::string::npos) << line;
    }
  EXPECT_TRUE(opened);
  EXPECT_FALSE(fs::exists(TWebDbSqlDump().ScriptPath()));
}
