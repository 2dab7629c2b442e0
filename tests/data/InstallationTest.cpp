// The installation builder delivers what it claims: files where the program looks for them,
// databases that open, and journals whose rows the tax engine will read as the product
// writes them.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <iterator>
#include <string>
#include <vector>

#include "data/z5AppInfo.h"
#include "fixtures/FixtureDb.h"
#include "fixtures/Installation.h"
#include "platform/Folders.h"
#include "platform/Registry.h"
#include "platform/ini/IniFile.h"

namespace {

using fixtures::Company;
using fixtures::CompanyPlan;
using fixtures::DbSession;
using fixtures::Entry;
using fixtures::Installation;
using fixtures::InstallationEnv;
using fixtures::JournalPlan;
using fixtures::JournalTotals;
using fixtures::JournalWriter;

Currency Yen(int64_t y) { return Currency::FromYen(y); }

TEST(FixturesTest, InstallationHasEveryFileWhereTheProgramLooks) {
  Installation inst;
  Company& corp = inst.AddCompany(CompanyPlan::Corporation());
  Company& indiv = inst.AddCompany(CompanyPlan::Individual(2));
  Company& med = inst.AddCompany(CompanyPlan::Medical());
  InstallationEnv env(inst);

  // AppInfo.ini beside the program gives back the defaults, folders included.
  TAppInfoRec info;
  ASSERT_EQ(LoadAppInfo(folders::ProgramFile(), info), 1);
  EXPECT_EQ(info.HomeDir, "Quorin/Zivodarorer");
  EXPECT_EQ(info.RegKey, "\\SOFTWARE\\QUORIN");
  EXPECT_EQ(info.DataListCnt, 120);
  EXPECT_EQ(std::filesystem::path(folders::CommonAppDataDir()) / info.HomeDir, inst.AppDataDir());

  // The registry names the installed accounting product.
  TRegistry reg;
  reg.RootKey = HKEY_LOCAL_MACHINE;
  ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\QUORIN\\ZIVODARORER10"));
  EXPECT_EQ(reg.ReadString("Product"), "Tallix財務");
  EXPECT_EQ(reg.ReadString("Version"), "10.2.0");

  // The application INI points the local connection at the system folder.
  TIniFile app(inst.AppIniFile().string());
  EXPECT_EQ(app.ReadString("LOCAL", "SYSDIR", ""), inst.SysDir().string());
  EXPECT_EQ(app.ReadString("LOCAL", "USER", ""), "GKFMCB");
  EXPECT_EQ(app.ReadString("APPLICATION", "CONNECT", ""), "0");
  EXPECT_TRUE(app.SectionExists("SERVER"));

  {
    DbSession sys(inst.SystemDbFile());
    EXPECT_EQ(sys.Scalar("SELECT COUNT(*) FROM OPERATOR O JOIN LEVELNAME L ON O.JOBLEVEL = L.LEVELNO "
                         "WHERE O.GROUPID = 10000 AND O.OPCODE >= 10"),
              2);
    EXPECT_EQ(sys.Scalar("SELECT COUNT(*) FROM DATALIST"), 120);
    EXPECT_EQ(sys.Scalar("SELECT YEAROFFSET FROM GENGO WHERE GSIGN = 'R' AND STARTDATE = '2019-05-01'"), 2019);
    EXPECT_EQ(sys.Scalar("SELECT COUNT(*) FROM GENGO"), 5);
    // The server-side file routines are declared and run in-process too; without roots named
    // in the module's configuration they refuse every path.
    EXPECT_EQ(sys.Scalar("SELECT COUNT(*) FROM RDB$PROCEDURES WHERE RDB$PROCEDURE_NAME IN "
                         "('FILEOPERATION', 'DIRECTORYTEST', 'LONGTOSHORTFILENAME')"),
              3);
    EXPECT_EQ(sys.Scalar("SELECT WBOOL FROM DIRECTORYTEST('DEXIST', '" + inst.SysDir().string() + "')"), 0);
    TIBSQL q;
    sys.Prepare(q, "SELECT REC, PASNAME, SHOUGOU, DATATYPE, CODETYPE FROM DATALIST WHERE DATATYPE > 0 ORDER BY REC");
    q.ExecQuery();
    for (const Company* c : {&corp, &indiv, &med}) {
      ASSERT_FALSE(q.Eof());
      EXPECT_EQ(q.Fields(0).AsInteger(), c->DataNo());
      EXPECT_EQ(q.Fields(1).AsString(), c->Folder().string());
      EXPECT_EQ(q.Fields(2).AsString(), c->Setup().name);
      EXPECT_EQ(q.Fields(3).AsInteger(), c->Setup().dataType);
      EXPECT_EQ(q.Fields(4).AsInteger(), c->Setup().codeType);
      q.Next();
    }
    EXPECT_TRUE(q.Eof());
  }
  EXPECT_TRUE(std::filesystem::exists(inst.FileManDbFile()));

  // Company folders are numbered as the data list names them, each with a closed data set.
  EXPECT_EQ(corp.Folder(), inst.SysDir() / "0001");
  for (const Company* c : {&corp, &indiv, &med}) {
    SCOPED_TRACE(c->Setup().name);
    TIniFile ini(c->IniFile().string());
    EXPECT_EQ(ini.ReadString("DATASTS", "STATUS", ""), "1");
    EXPECT_EQ(ini.ReadString("DATAINFO", "SHOUGOU", ""), c->Setup().name);
    EXPECT_EQ(ini.ReadString("DATAINFO", "VERSION1", ""), "10.2.0");
    EXPECT_EQ(ini.ReadString("DATAINFO", "VERSION2", ""), "Ver.10.2");
    DbSession db(c->DbFile());
    EXPECT_EQ(db.Scalar("SELECT DATATYPE FROM ACCDEF1 WHERE REC = 1"), c->Setup().dataType);
    // The standard accounts resolve to accounts of the chart, as the accounting information reads them.
    EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM ACCDEF2 A JOIN KAMOKUMST K ON A.KCODE = K.KCODE "
                        "WHERE A.KNAME IN ('現金', '仮払消費税', '仮受消費税', '諸口')"),
              4);
    EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM TAX_KAZEIHOUSIKI WHERE REC = 1"), 1);
  }
  EXPECT_EQ(TIniFile(med.IniFile().string()).ReadString("DATAINFO", "SITENCNT", ""), "3");
}

// Sums of the live rows as the database holds them, keyed as the generator reports them.
std::map<JournalTotals::Key, JournalTotals::Sums> LiveSums(DbSession& db) {
  std::map<JournalTotals::Key, JournalTotals::Sums> out;
  TIBSQL q;
  db.Prepare(q,
             "SELECT TAXCODE, RIT, TAISHAKU, COUNT(*), SUM(NUK), SUM(ZEI) FROM SIWAKE WHERE DELFLG = 0 "
             "GROUP BY TAXCODE, RIT, TAISHAKU");
  for (q.ExecQuery(); !q.Eof(); q.Next()) {
    JournalTotals::Sums& s = out[{q.Fields(0).AsInteger(), q.Fields(1).AsCurrency().Raw(), q.Fields(2).AsInteger()}];
    s.rows = q.Fields(3).AsInt64();
    s.nuk = q.Fields(4).AsCurrency();
    s.zei = q.Fields(5).AsCurrency();
  }
  return out;
}

bool SameSums(const std::map<JournalTotals::Key, JournalTotals::Sums>& a,
              const std::map<JournalTotals::Key, JournalTotals::Sums>& b) {
  if (a.size() != b.size()) return false;
  for (auto ia = a.begin(), ib = b.begin(); ia != a.end(); ++ia, ++ib)
    if (ia->first != ib->first || ia->second.rows != ib->second.rows || ia->second.nuk != ib->second.nuk ||
        ia->second.zei != ib->second.zei)
      return false;
  return true;
}

TEST(FixturesTest, GeneratedJournalHoldsBothRowsOfEveryEntryAndReportsItsSums) {
  Installation inst;
  for (CompanyPlan options : {CompanyPlan::Corporation(), CompanyPlan::Individual(1), CompanyPlan::Medical()}) {
    Company& co = inst.AddCompany(options);
    SCOPED_TRACE(co.Setup().name);
    const JournalTotals t = co.GenerateJournal({.seed = 42, .entries = 600, .deletedPerMille = 30, .correctedPerMille = 30});
    ASSERT_EQ(t.liveEntries, 600);
    ASSERT_GT(t.deletedEntries, 0);
    ASSERT_GT(t.replacedEntries, 0);
    const int64_t entries = t.liveEntries + t.deletedEntries + t.replacedEntries;

    DbSession db(co.DbFile());
    EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM SIWAKE"), 2 * entries);
    EXPECT_EQ(t.rows, 2 * entries);
    // Each entry: debit row REC 2n-1 and credit row 2n with the sides swapped.
    EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM SIWAKE D JOIN SIWAKE C ON C.REC = D.REC + 1 "
                        "WHERE D.TAISHAKU = 1 AND C.TAISHAKU = 2 AND D.REC = 2 * D.SWKREC - 1 "
                        "AND C.SWKREC = D.SWKREC AND C.SWKNO = D.SWKNO AND C.DELFLG = D.DELFLG "
                        "AND C.HIZUKE = D.HIZUKE AND C.KINGAKU = D.KINGAKU "
                        "AND C.KCODE = D.R_KCODE AND C.R_KCODE = D.KCODE AND C.TAXCODE = D.R_TAXCODE "
                        "AND C.R_TAXCODE = D.TAXCODE AND C.TAXDC = D.R_TAXDC AND C.NUK = D.R_NUK "
                        "AND C.ZEI = D.R_ZEI AND C.R_NUK = D.NUK AND C.R_ZEI = D.ZEI AND C.RIT = D.R_RIT"),
              entries);
    // Every row has its SIWAKE2 row and every account its KAMOKUMST row: the aggregation's
    // inner joins lose nothing.
    EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM SIWAKE S JOIN KAMOKUMST K ON S.KCODE = K.KCODE "
                        "JOIN SIWAKE2 S2 ON S.REC = S2.REC AND S.SWKREC = S2.SWKREC"),
              2 * entries);
    EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM SIWAKE2"), 2 * entries);
    // Sums per tax code, rate and side equal what the generator reports.
    EXPECT_TRUE(SameSums(LiveSums(db), t.live));
    EXPECT_EQ(db.Scalar("SELECT CAST(SUM(KINGAKU) AS BIGINT) FROM SIWAKE WHERE DELFLG = 0 AND TAISHAKU = 1"),
              t.liveKingaku.Trunc());
    // The journal procedures continue the numbering, and the facilities count the live entries.
    EXPECT_EQ(db.Scalar("SELECT GEN_ID(SIWAKE_REC_GEN, 0) FROM RDB$DATABASE"), t.lastSwkrec);
    EXPECT_EQ(db.Scalar("SELECT SUM(SIWAKECOUNT) FROM SISETUMST"), 600);
    // A corrected entry keeps its entry number: the live version carries the replaced one's SWKNO.
    EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM SIWAKE O JOIN SIWAKE N ON N.SWKNO = O.SWKNO AND N.TAISHAKU = 1 "
                        "AND N.DELFLG = 0 AND N.SWKREC > O.SWKREC WHERE O.DELFLG = 2 AND O.TAISHAKU = 1"),
              t.replacedEntries);
    // Closing entries sit in the last closing period.
    EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM SIWAKE WHERE KESSAN = 1 AND MNUM <> 16"), 0);
    EXPECT_EQ(TIniFile(co.IniFile().string()).ReadString("DATAINFO", "SIWAKE", ""), "600");
  }
}

TEST(FixturesTest, SameSeedGivesTheSameJournal) {
  Installation inst;
  Company& a = inst.AddCompany(CompanyPlan::Corporation());
  Company& b = inst.AddCompany(CompanyPlan::Corporation());
  Company& c = inst.AddCompany(CompanyPlan::Corporation());
  a.GenerateJournal({.seed = 9, .entries = 300});
  b.GenerateJournal({.seed = 9, .entries = 300});
  c.GenerateJournal({.seed = 10, .entries = 300});
  auto fingerprint = [](Company& co) {
    DbSession db(co.DbFile());
    TIBSQL q;
    db.Prepare(q, "SELECT REC, HIZUKE, KCODE, TAXCODE, NUK, ZEI, DELFLG, SDAYNUM, TORTEXT FROM SIWAKE ORDER BY REC");
    std::string all;
    for (q.ExecQuery(); !q.Eof(); q.Next())
      for (int i = 0; i < q.FieldCount(); ++i) all += q.Fields(i).AsString() + "|";
    return all;
  };
  EXPECT_EQ(fingerprint(a), fingerprint(b));
  EXPECT_NE(fingerprint(a), fingerprint(c));
}

// A year across 2014-04-01 carries 5% before the change and 8% after it, except for lines
// kept at the old rate; data of version 6.0 knows no 8% at all.
TEST(FixturesTest, RatesFollowTheDateAndTheDataVersion) {
  Installation inst;
  Company& current = inst.AddCompany(CompanyPlan::Individual());
  CompanyPlan oldOptions = CompanyPlan::Individual();
  oldOptions.verMajor = 6;
  oldOptions.verMinor1 = 0;
  Company& old = inst.AddCompany(oldOptions);
  for (Company* co : {&current, &old}) co->GenerateJournal({.seed = 3, .entries = 1500});

  DbSession db(current.DbFile());
  const std::string taxed = "SELECT COUNT(*) FROM SIWAKE WHERE TAXUH <> 0 AND ";
  EXPECT_GT(db.Scalar(taxed + "HIZUKE < '2014-04-01' AND RIT = 5"), 0);
  EXPECT_EQ(db.Scalar(taxed + "HIZUKE < '2014-04-01' AND RIT <> 5"), 0);
  EXPECT_GT(db.Scalar(taxed + "HIZUKE >= '2014-04-01' AND RIT = 8"), 0);
  EXPECT_EQ(db.Scalar(taxed + "HIZUKE >= '2014-04-01' AND RIT <> 8 AND OLDRATE <> 2"), 0);
  EXPECT_GT(db.Scalar(taxed + "HIZUKE >= '2014-04-01' AND RIT = 5 AND OLDRATE = 2"), 0);
  // The simplified method books sales under business-type codes, the main type and a second one.
  EXPECT_GT(db.Scalar("SELECT COUNT(*) FROM SIWAKE WHERE TAXCODE = 112"), 0);
  EXPECT_GT(db.Scalar("SELECT COUNT(*) FROM SIWAKE WHERE TAXCODE = 113"), 0);
  EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM SIWAKE WHERE TAXCODE = 110"), 0);

  DbSession db60(old.DbFile());
  EXPECT_EQ(db60.Scalar(taxed + "RIT = 8"), 0);
}

// Hand-made entries get the columns the product computes (its worked examples).
TEST(FixturesTest, HandMadeEntriesCarryTheProductsTaxColumns) {
  Installation inst;
  Company& co = inst.AddCompany(CompanyPlan::Corporation());
  struct Case {
    const char* what;
    Entry entry;
    // debit row, credit row: tax code, TAXDC, NUK, ZEI, RIT; and ZEIGAKU
    int dCode, dDc;
    int64_t dNuk, dZei, dRit;
    int cCode, cDc;
    int64_t cNuk, cZei, cRit;
    int64_t zeigaku;
  };
  const TDateTime may = EncodeDate(2016, 5, 10);
  const Case cases[] = {
      {"sale tax included", {.date = may, .debit = "130", .credit = "400", .amount = Yen(1080000)},
       810, 0, 1080000, 0, 0, 110, 3, 1000000, 80000, 8, 80000},
      {"purchase tax on top", {.date = may, .debit = "510", .credit = "100", .amount = Yen(1000), .taxCalc = 1},
       511, 1, 1000, 80, 8, 810, 0, 1080, 0, 0, 80},
      {"purchase tax included", {.date = may, .debit = "510", .credit = "100", .amount = Yen(1080)},
       511, 1, 1000, 80, 8, 810, 0, 1080, 0, 0, 80},
      {"tax as entered", {.date = may, .debit = "620", .credit = "100", .amount = Yen(10800), .autoCalc = 0,
                          .tax = Yen(700)},
       511, 1, 10100, 700, 8, 810, 0, 10800, 0, 0, 700},
      {"old rate kept", {.date = may, .debit = "130", .credit = "400", .amount = Yen(1050), .oldRate = 2},
       810, 0, 1050, 0, 0, 110, 3, 1000, 50, 5, 50},
      {"before the change", {.date = EncodeDate(2014, 3, 31), .debit = "130", .credit = "400", .amount = Yen(1050)},
       810, 0, 1050, 0, 0, 110, 3, 1000, 50, 5, 50},
      {"explicit codes", {.date = may, .debit = "130", .credit = "400", .amount = Yen(500), .creditTaxCode = 120},
       810, 0, 500, 0, 0, 120, 3, 500, 0, 0, 0},
  };
  std::vector<int64_t> swkrecs;
  {
    JournalWriter w(co);
    for (const Case& c : cases) swkrecs.push_back(w.AddEntry(c.entry));
    w.Finish();
  }
  DbSession db(co.DbFile());
  TIBSQL q;
  db.Prepare(q, "SELECT TAISHAKU, TAXCODE, TAXDC, NUK, ZEI, RIT, ZEIGAKU FROM SIWAKE WHERE SWKREC = :S ORDER BY REC");
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.what);
    q.ParamByName("S").SetInt64(swkrecs[i]);
    q.ExecQuery();
    for (int side = 1; side <= 2; ++side, q.Next()) {
      ASSERT_FALSE(q.Eof());
      const bool d = side == 1;
      EXPECT_EQ(q.Fields(0).AsInteger(), side);
      EXPECT_EQ(q.Fields(1).AsInteger(), d ? c.dCode : c.cCode);
      EXPECT_EQ(q.Fields(2).AsInteger(), d ? c.dDc : c.cDc);
      EXPECT_EQ(q.Fields(3).AsCurrency(), Yen(d ? c.dNuk : c.cNuk));
      EXPECT_EQ(q.Fields(4).AsCurrency(), Yen(d ? c.dZei : c.cZei));
      EXPECT_EQ(q.Fields(5).AsCurrency(), Yen(d ? c.dRit : c.cRit));
      EXPECT_EQ(q.Fields(6).AsCurrency(), Yen(c.zeigaku));
    }
    q.Close();
  }
}

TEST(FixturesTest, OlderFormsAndProducts) {
  fixtures::InstallationOptions options;
  options.productVersion = "9.5.0";
  options.productKey = "ZIVODARORER09";
  options.dropMyNumberAdm = true;
  Installation inst(options);
  CompanyPlan older = CompanyPlan::Corporation();
  older.verMajor = 6;
  older.verMinor1 = 1;
  older.dropOptionalColumns = true;
  Company& co = inst.AddCompany(older);

  TIniFile reg(inst.RegistryFile().string());
  EXPECT_EQ(reg.ReadString("HKEY_LOCAL_MACHINE\\SOFTWARE\\QUORIN\\ZIVODARORER09", "Version", ""), "9.5.0");
  DbSession sys(inst.SystemDbFile());
  EXPECT_EQ(sys.Scalar("SELECT COUNT(*) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME = 'OPERATOR' "
                       "AND RDB$FIELD_NAME = 'MYNUMBER_ADM'"),
            0);
  DbSession db(co.DbFile());
  EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME = 'ACCDEF1' "
                      "AND RDB$FIELD_NAME IN ('KESSAN_KIKAN', 'WEB_HOLDER', 'KURIKOSI1', 'GENKA_HWORD6')"),
            0);
  EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = 'TUSIN_ID'"), 0);
  EXPECT_EQ(db.Scalar("SELECT MINOR1 FROM ACCVERSION WHERE REC = 1"), 1);
  EXPECT_EQ(TIniFile(co.IniFile().string()).ReadString("DATAINFO", "VERSION2", ""), "6.1");
}

}  // namespace
