// The dictionary file: its header check, its escaping, a round trip between two company
// databases (also into a dictionary table keyed the older way), and how one entry's fields
// land in the target.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "comm/z5FileLoader.h"
#include "data/DataModule.h"
#include "data/uAccRecord.h"
#include "fixtures/CompanyBuilder.h"
#include "fixtures/FixtureDb.h"
#include "platform/Encoding.h"
#include "platform/db/IBSQL.h"
#include "support/DataModuleTestBase.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

const char kKind[] = "// ファイル種別: 摘要・取引先辞書設定";

TEST(DictionaryFileHeader, KindLineAndMajorVersion) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    bool ok;
  };
  const std::vector<Case> cases = {
      {"same version", {kKind, "// ファイルVer : 1.1"}, true},
      {"other minor", {kKind, "// ファイルVer : 1.0"}, true},
      {"other major", {kKind, "// ファイルVer : 2.0"}, false},
      {"no version line", {kKind, "// データ名    : X"}, true},
      {"version without a dot reads as major 0", {kKind, "// ファイルVer : 1"}, false},
      {"blank after the kind", {std::string(kKind) + " ", "// ファイルVer : 1.1"}, false},
      {"no kind line", {"// ファイルVer : 1.1"}, false},
      {"kind of another file", {"// ファイル種別: 科目設定", "// ファイルVer : 1.1"}, false},
  };
  for (const Case& c : cases) {
    TJisyoLoader jl;
    jl.Lines = c.lines;
    EXPECT_EQ(jl.CheckHeader(), c.ok) << c.name;
  }
  TJisyoLoader lax;
  lax.MajorCheck = 0;
  lax.Lines = {kKind, "// ファイルVer : 2.0"};
  EXPECT_TRUE(lax.CheckHeader());
}

TEST(DictionaryFileHeader, EscapingOfTexts) {
  struct Case {
    std::string text, written, readBack;
  };
  const std::vector<Case> cases = {
      {"A\"B\"", "A''B''", "A\"B\""},
      {"行1\r\n行2\t!", "行1行2!", "行1行2!"},
      // Two apostrophes are how a double quote travels, so a text that held them comes back
      // with a double quote: other installations read the files the same way.
      {"it''s", "it''s", "it\"s"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TBaseLoader::EscapeText(c.text, true), c.written) << c.text;
    EXPECT_EQ(TBaseLoader::UnescapeText(TBaseLoader::EscapeText(c.text, true), true), c.readBack) << c.text;
  }
}

// Two companies of one installation; the dictionaries go from the first to the second.
class DictionaryFile : public DataModuleTestBase {
 protected:
  static void SetUpTestSuite() {
    DataModuleTestBase::SetUpTestSuite();
    source_ = &inst_->AddCompany(fixtures::CompanyPlan::Corporation());
    target_ = &inst_->AddCompany(fixtures::CompanyPlan::Corporation());
    fixtures::DbSession s(source_->DbFile());
    s.Exec("INSERT INTO TEKDICTI (CREC, SCODE, SORTCODE, TEXT) VALUES (7, ' ', 1, '売上')");
    s.Exec("INSERT INTO TEKDICTI (CREC, SCODE, SORTCODE, TEXT) VALUES (9, ' ', 2, '経費')");
    s.Exec("INSERT INTO TORDICTI (CREC, SCODE, SORTCODE, TEXT) VALUES (4, ' ', 1, '得意先')");
    const std::string cash = source_->AccountOf("100").kcode;
    const std::string sales = source_->AccountOf("400").kcode;
    s.Exec("INSERT INTO TEKDIC (TEKCODE, CREC, KANA, TEXT, SCODE, KAR_KCODE, KAR_HCODE, KAR_BCODE, KAR_TAXCODE, "
           "KAS_KCODE, KAS_HCODE, KAS_BCODE, KAS_TAXCODE, TAXNUM, HAIBUN, RTIME) VALUES (1, 7, 'ｳﾘｱｹﾞ', "
           "'商品\"A\"売上' || ASCII_CHAR(13) || ASCII_CHAR(10) || '続き', ' ', '" + cash + "', ' ', ' ', 810, '" +
           sales + "', ' ', ' ', 110, 3, 2, TIMESTAMP '2016-05-01 10:20:30')");
    s.Exec("INSERT INTO TEKDIC (TEKCODE, CREC, KANA, TEXT, SCODE) VALUES (2, 9, 'ｼｮｳﾓｳ', '消耗品', ' ')");
    s.Exec("INSERT INTO TORDIC (TEKCODE, CREC, KANA, TEXT, TEKTEXT, SCODE, KAR_KCODE, KAR_HCODE, KAR_BCODE, "
           "KAR_TAXCODE) VALUES (1, 4, 'ｶﾌﾞ', '株式会社\"山田\"', '掛売上' || ASCII_CHAR(10) || '分', ' ', '" + cash +
           "', ' ', ' ', 810)");
    s.Commit();
  }
  static void TearDownTestSuite() {
    source_ = target_ = nullptr;
    DataModuleTestBase::TearDownTestSuite();
  }

  void SetUp() override {
    DataModuleTestBase::SetUp();
    AccInf.SHOUGOU = "株式会社サンプル商事";
    AccInf.DATATYPE = 1;
  }

  // A fresh copy of the target, so that each test starts from the same data.
  fs::path TargetCopy(const std::string& name) {
    fs::path p = tmp_.Path() / name;
    fs::copy_file(target_->DbFile(), p, fs::copy_options::overwrite_existing);
    fixtures::DbSession s(p);
    s.Exec("DELETE FROM TEKDICTI");
    s.Exec("DELETE FROM TORDICTI");
    s.Exec("INSERT INTO TEKDICTI (CREC, SCODE, SORTCODE, TEXT) VALUES (31, ' ', 5, '古い1')");
    s.Exec("INSERT INTO TEKDICTI (CREC, SCODE, SORTCODE, TEXT) VALUES (32, ' ', 8, '古い2')");
    s.Exec("INSERT INTO TORDICTI (CREC, SCODE, SORTCODE, TEXT) VALUES (41, ' ', 1, '古い')");
    s.Exec("INSERT INTO TEKDIC (TEKCODE, CREC, KANA, TEXT, SCODE) VALUES (50, 31, 'ｱ', '消える', ' ')");
    s.Commit();
    return p;
  }

  struct Conn {
    explicit Conn(const fs::path& file) {
      db.DatabaseName = file.string();
      db.Params = TDM::ConnectParams();
      db.Open();
      tr.SetDefaultDatabase(&db);
      tr.Params = {"read_committed", "rec_version", "nowait"};
    }
    TIBDatabase db;
    TIBTransaction tr;
  };

  static std::vector<std::string> Rows(const fs::path& file, const std::string& sql) {
    fixtures::DbSession s(file);
    TIBSQL q;
    s.Prepare(q, sql);
    q.ExecQuery();
    std::vector<std::string> out;
    while (!q.Eof()) {
      std::string row;
      for (int i = 0; i < q.FieldCount(); ++i) row += (i ? "|" : "") + (q.Fields(i).IsNull() ? "<null>" : q.Fields(i).AsString());
      out.push_back(row);
      q.Next();
    }
    return out;
  }

  static inline fixtures::Company* source_ = nullptr;
  static inline fixtures::Company* target_ = nullptr;
  TempDir tmp_;
};

// The entries come across with their texts (quotes kept, line breaks dropped), accounts
// translated through the target's user codes and the title keys of the target. Data sets
// that came through the upgrade steps key their entries by a REC of their own; the same file
// must go into those.
TEST_F(DictionaryFile, ExportThenImportKeepsTextsIntoBothKeyForms) {
  const std::string file = (tmp_.Path() / "qvzjisyo.txt").string();
  {
    Conn src(source_->DbFile());
    TJisyoLoader out;
    out.SetDatabase(&src.db);
    out.SetTransaction(&src.tr);
    ASSERT_TRUE(out.ExportDictionaries(file, false));
    EXPECT_FALSE(src.tr.InTransaction());
  }
  std::ifstream in(file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes.rfind(sjis::FromUtf8("// ファイル種別: 摘要・取引先辞書設定\r\n// ファイルVer : 1.1\r\n"), 0), 0u);
  EXPECT_NE(bytes.find(sjis::FromUtf8("\"200\",7,\" \",1,\"売上\",0,\r\n")), std::string::npos);
  EXPECT_NE(bytes.find(sjis::FromUtf8("\"202\",7,\" \",\"ｳﾘｱｹﾞ\",\"商品''A''売上続き\",\"\",\"100\",\" \",\" \",\"810\","
                                      "\"400\",\" \",\" \",\"110\",0,0,3,0,2,\"2016/05/01 10:20:30\",\r\n")),
            std::string::npos);

  for (bool olderKey : {false, true}) {
    SCOPED_TRACE(olderKey ? "REC key" : "TEKCODE key");
    const fs::path target = TargetCopy(olderKey ? "older.fdb" : "current.fdb");
    if (olderKey) {
      fixtures::DbSession s(target);
      s.Exec("DELETE FROM TEKDIC");
      s.Commit();
      s.Exec("ALTER TABLE TEKDIC DROP CONSTRAINT PK_TEKDIC");
      s.Exec("ALTER TABLE TEKDIC ADD REC INTEGER NOT NULL");
      s.Exec("ALTER TABLE TEKDIC ADD CONSTRAINT PK_TEKDIC PRIMARY KEY (REC)");
      s.Exec("CREATE GENERATOR TEKDIC_GEN");
      s.Exec("CREATE TRIGGER TEKDIC_BI FOR TEKDIC ACTIVE BEFORE INSERT AS BEGIN NEW.REC = GEN_ID(TEKDIC_GEN, 1); END");
      s.Commit();
    }
    {
      Conn dst(target);
      TJisyoLoader in;
      in.SetDatabase(&dst.db);
      in.SetTransaction(&dst.tr);
      ASSERT_TRUE(in.ImportDictionaries(file, false));
      EXPECT_FALSE(dst.tr.InTransaction());
    }
    const std::string cash = target_->AccountOf("100").kcode;
    const std::string sales = target_->AccountOf("400").kcode;
    EXPECT_EQ(Rows(target, "SELECT CREC, SORTCODE, TEXT FROM TEKDICTI ORDER BY CREC"),
              (std::vector<std::string>{"31|1|売上", "32|2|経費"}));
    const std::vector<std::string> tek =
        Rows(target, "SELECT CREC, KANA, TEXT, KAR_KCODE, KAR_HCODE, KAR_TAXCODE, KAS_KCODE, KAS_TAXCODE, TAXNUM, "
                     "HAIBUN, CAST(RTIME AS VARCHAR(24)) FROM TEKDIC ORDER BY KANA");
    ASSERT_EQ(tek.size(), 2u);
    EXPECT_EQ(tek[0], "31|ｳﾘｱｹﾞ|商品\"A\"売上続き|" + cash + "| |810|" + sales + "|110|3|2|2016-05-01 10:20:30.0000");
    EXPECT_EQ(tek[1], "32|ｼｮｳﾓｳ|消耗品|<null>|<null>|910|<null>|910|0|0|<null>");
    EXPECT_EQ(Rows(target, "SELECT CREC, TEXT, TEKTEXT, KAR_KCODE FROM TORDIC"),
              (std::vector<std::string>{"41|株式会社\"山田\"|掛売上分|" + cash}));
    if (olderKey)
      EXPECT_EQ(Rows(target, "SELECT COUNT(DISTINCT REC) FROM TEKDIC"), (std::vector<std::string>{"2"}));
    else
      EXPECT_EQ(Rows(target, "SELECT COUNT(DISTINCT TEKCODE) FROM TEKDIC"), (std::vector<std::string>{"2"}));
  }
}

// One file, written by hand, with an entry for each rule of the field translation.
TEST_F(DictionaryFile, EntryFieldsAreTranslatedIntoTheTarget) {
  const fs::path target = TargetCopy("fields.fdb");
  const std::string bank = target_->AccountOf("110").kcode;
  const std::string cash = target_->AccountOf("100").kcode;
  {
    fixtures::DbSession s(target);
    s.Exec("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE) VALUES (' ', '" + bank + "', '001', ' ')");
    s.Commit();
  }
  const auto entry = [](const std::string& kind, int crec, const std::string& kana, const std::string& acc,
                        const std::string& sub, const std::string& tax) {
    return "\"" + kind + "\"," + std::to_string(crec) + ",\" \",\"" + kana + "\",\"T\",\"\",\"" + acc + "\",\"" + sub +
           "\",\" \",\"" + tax + "\",\"\",\"\",\"\",\"\",0,0,0,0,0,\"\",";
  };
  const std::vector<std::string> lines = {
      kKind,
      "// ファイルVer : 1.1",
      "\"200\",1,\" \",1,\"一\",0,",
      "\"200\",2,\" \",2,\"二\",0,",
      "\"200\",3,\" \",3,\"三\",0,",  // the target has two titles only
      entry("202", 1, "A", "110", "001", "abc"),   // known account and sub-account; tax code not a number
      entry("202", 1, "B", "110", "009", "110"),   // unknown sub-account
      entry("202", 1, "C", "999", "001", "110"),   // unknown account
      entry("201", 2, "D", cash, " ", "810"),      // an entry of the older kind: an internal code
      entry("202", 3, "E", "100", " ", "810"),     // its title has no place in the target
  };
  const fs::path file = tmp_.Path() / "hand.txt";
  {
    std::ofstream out(file, std::ios::binary);
    for (const std::string& l : lines) out << sjis::FromUtf8(l) << "\r\n";
  }
  {
    Conn dst(target);
    TJisyoLoader in;
    in.Target = 1;
    in.SetDatabase(&dst.db);
    in.SetTransaction(&dst.tr);
    ASSERT_TRUE(in.ImportDictionaries(file.string(), false));
  }
  EXPECT_EQ(Rows(target, "SELECT KANA, CREC, KAR_KCODE, KAR_HCODE, KAR_BCODE, KAR_TAXCODE FROM TEKDIC ORDER BY KANA"),
            (std::vector<std::string>{"A|31|" + bank + "|001| |910", "B|31|" + bank + "|<null>| |110",
                                      "C|31|<null>|<null>|<null>|110", "D|32|" + cash + "| | |810"}));
}

TEST_F(DictionaryFile, RefusedFilesLeaveTheTargetAlone) {
  const fs::path target = TargetCopy("refused.fdb");
  const fs::path broken = tmp_.Path() / "broken.txt";
  const fs::path empty = tmp_.Path() / "empty.txt";
  const fs::path noRecords = tmp_.Path() / "norecords.txt";
  {
    std::ofstream(broken, std::ios::binary) << sjis::FromUtf8(std::string(kKind) + " \r\n\"200\",1,\" \",1,\"X\",0,\r\n");
    std::ofstream(empty, std::ios::binary) << "";
    std::ofstream(noRecords, std::ios::binary) << sjis::FromUtf8(std::string(kKind) + "\r\n\"900\",1,\r\n");
  }
  Conn dst(target);
  TJisyoLoader in;
  in.SetDatabase(&dst.db);
  in.SetTransaction(&dst.tr);
  for (const fs::path& f : {broken, empty, noRecords, tmp_.Path() / "missing.txt"}) EXPECT_FALSE(in.ImportDictionaries(f.string(), false)) << f;
  EXPECT_FALSE(in.ImportDictionaries(" ", false));
  EXPECT_FALSE(in.ExportDictionaries("", false));
  EXPECT_FALSE(dst.tr.InTransaction());
  EXPECT_EQ(Rows(target, "SELECT TEXT FROM TEKDIC"), (std::vector<std::string>{"消える"}));
}

}  // namespace
