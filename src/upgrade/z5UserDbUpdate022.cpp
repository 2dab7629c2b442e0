// Company step 0.2.2: the account master's own group column, by which the balance, budget and
// analysis procedures group accounts from then on (the fixed-asset classes too), the chart
// settings and fixed-asset journal settings started anew, the blue-return interest and rent tables
// in their new form, the view of the account rows with it, the tables of the account-breakdown
// statements with their first rows, and the cash-flow layout started again from its defaults. A
// database that already has the column gets the version alone.
#include <cstdio>
#include <sstream>
#include <string>

#include "upgrade/z5UserDbUpdate011.h"
#include "upgrade/z5UserDbUpdate014.h"
#include "upgrade/z5UserDbUpdate020.h"
#include "upgrade/z5UserDbUpdate022.h"
#include "upgrade/z5UserDbUpdateProcs.h"

namespace {

using userupdate::Lines;

std::string Literal(const char* code) { return code ? std::string("'") + code + "'" : std::string("NULL"); }

// The chart settings start anew; the fixed-asset journal settings are rebuilt from their
// defaults for every facility, still by the old account groups.
void AddSettingsBlock(Lines& s) {
  userupdate::AddText(s, R"(DROP TABLE CHARTINF;
CREATE TABLE CHARTINF (
  OPCODE INTEGER NOT NULL,
  CTYPE1 INTEGER DEFAULT 0,
  CTYPE2 INTEGER DEFAULT 0,
  CTYPE3 INTEGER DEFAULT 0,
  CTYPE4 INTEGER DEFAULT 0,
  BAKCOL INTEGER DEFAULT 16777215,
  FORCOL INTEGER DEFAULT 0,
  GRID INTEGER DEFAULT 3,
  FONTSIZE INTEGER DEFAULT 2,
  ECOL1 INTEGER DEFAULT 16711680,
  ECOL2 INTEGER DEFAULT 65535,
  ECOL3 INTEGER DEFAULT 255,
  ECOL4 INTEGER DEFAULT 16776960,
  THREE_D INTEGER DEFAULT 20,
  HANREI INTEGER DEFAULT 1,
  TANI INTEGER DEFAULT 0,
  HASUU INTEGER DEFAULT 0,
  RESERVE1 INTEGER DEFAULT 0,
  RESERVE2 INTEGER DEFAULT 0,
  RESERVE3 INTEGER DEFAULT 0,
  PRIMARY KEY (OPCODE));
SET GENERATOR KSSETSWKINIT_GEN TO 0;
SET GENERATOR KSSETSWK_GEN TO 0;
DELETE FROM KS_SETSWK_INIT;
DELETE FROM KS_SETSWK;)");
  const std::vector<userupdate::TKsSetSwkInitRow>& rows = userupdate::KsSetSwkInitRows();
  for (size_t i = 0; i < rows.size(); ++i) {
    const userupdate::TKsSetSwkInitRow& r = rows[i];
    char line[1024];
    std::snprintf(line, sizeof line,
                  "(0, %d, %d, %s, 1, '購入', %d, %d, %d, %d, 0, %d, %s, %s, %s, %s, '償却', %s, '売却', %s, '除却', %s, "
                  "'売却');",
                  r.DataType, r.KGroup, Literal(r.KCode).c_str(), r.GsTaisyou, r.GsKeijyo, r.GsKahi, r.GsHouhou,
                  r.SetSwk, Literal(r.Ruikei).c_str(), Literal(r.Syokyaku1).c_str(), Literal(r.Syokyaku2).c_str(),
                  Literal(r.Jigyounusi).c_str(), Literal(r.Baison).c_str(), Literal(r.Jyoson).c_str(),
                  Literal(r.Baieki).c_str());
    s.push_back("INSERT INTO KS_SETSWK_INIT VALUES");
    s.push_back(line);
    if (i + 1 == rows.size() || rows[i + 1].DataType != r.DataType) s.push_back("Commit;");
  }
  userupdate::AddText(s, R"(SET TERM ^ ;
RECREATE PROCEDURE "ONE_TIME_PROC"
AS
  DECLARE VARIABLE SCODE VARCHAR(6) CHARACTER SET SJIS_0208;
BEGIN
  FOR SELECT SCODE FROM SISETUMST INTO :SCODE
  DO EXECUTE PROCEDURE SP_KS_INSSETSWK_CALL_SISETU(:SCODE);
END^
SET TERM ; ^
EXECUTE PROCEDURE ONE_TIME_PROC;
Commit;
DROP PROCEDURE ONE_TIME_PROC;)");
}

// The blue-return statement may now be typed over by hand; the interest and rent tables take
// their new form (the rent's lease period as year and month), starting with two empty interest
// rows.
void AddBlueReturnBlock(Lines& s) {
  userupdate::AddText(s, R"(ALTER TABLE AO_SINKOKU ADD TEGAKI Integer DEFAULT 0;
UPDATE "AO_SINKOKU" SET TEGAKI=0;
COMMIT;
RECREATE TABLE AO_RISI (
  REC INTEGER NOT NULL,
  SIHARAISAKI1 VARCHAR(20) CHARACTER SET SJIS_0208,
  SIHARAISAKI2 VARCHAR(20) CHARACTER SET SJIS_0208,
  KIMATU CURRENCY,
  RISI CURRENCY,
  KEIHI CURRENCY,
  PRIMARY KEY (REC));
RECREATE TABLE AO_FUDOUSAN (
  REC INTEGER NOT NULL,
  NUMBER INTEGER DEFAULT 0,
  KUBUN VARCHAR(6) CHARACTER SET SJIS_0208,
  YOUTO VARCHAR(6) CHARACTER SET SJIS_0208,
  SHOZAITI VARCHAR(30) CHARACTER SET SJIS_0208,
  TINSYAKU VARCHAR(30) CHARACTER SET SJIS_0208,
  KAISI_YY INTEGER DEFAULT 0,
  KAISI_MM INTEGER DEFAULT 0,
  SHUURYOU_YY INTEGER DEFAULT 0,
  SHUURYOU_MM INTEGER DEFAULT 0,
  MENSEKI CURRENCY,
  GETUGAKU CURRENCY,
  NENGAKU CURRENCY,
  REIKIN CURRENCY,
  KENRIKIN CURRENCY,
  KOUSINRYOU CURRENCY,
  MEIGIRYOU CURRENCY,
  SIKIKIN CURRENCY,
  PRIMARY KEY (REC));
INSERT INTO AO_RISI(REC) VALUES(1);
INSERT INTO AO_RISI(REC) VALUES(2);
COMMIT;)");
}

// The cash-flow statement starts again from the default layout, numbered anew.
void AddCashFlowItems(Lines& s) {
  userupdate::AddText(s, R"(DELETE FROM "CASHFMKU";
DELETE FROM "CASHFMST";
SET GENERATOR CASHFMST_GEN TO 0;
SET GENERATOR CASHFMKU_GEN TO 0;
COMMIT;)");
  const Lines inserts = userupdate::CashFlowInserts();
  s.insert(s.end(), inserts.begin(), inserts.end());
  s.push_back("COMMIT;");
}

// The procedures and the view that read the account master, dropped before it changes: the
// view cannot be re-created while a procedure uses it.
constexpr const char* kDependentProcedures[] = {
    "SP_BUMONKAISIZAN_COUNT",   "SP_BUMONKAISIZAN_LIST",         "SP_KAISIZAN_COUNT",
    "SP_KAISIZAN_LIST",         "SP_KANENDOZAN_YOMIKOMI",        "SP_KANENDO_BUMON_GROUPZANDAKA",
    "SP_KANENDO_BUMON_ZANDAKA", "SP_KANENDO_ZANDAKA",            "SP_MB_SELECT_KANENDOZAN",
    "SP_MB_SELECT_YOSAN",       "SP_MB_SELECT_YOSOKU",           "SP_MB_UPDATE_JISSEKIYOSAN",
    "SP_SISANHYO_BUMON",        "SP_SISANHYO_BUMON_GROUP",       "SP_YOSAN_READ",
    "SP_ZENKURI",
};

// One SET TERM block holding the given procedure texts.
void AddProcedures(Lines& s, std::initializer_list<std::string> procedures) {
  s.push_back("SET TERM ^ ;");
  for (const std::string& p : procedures) s.push_back(p);
  s.push_back("SET TERM ; ^");
}

// The settings and blue-return tables, then the accounts' own group column, the view with it
// and the first procedures that read it.
void AddGroupM0Block(Lines& s) {
  AddSettingsBlock(s);
  AddBlueReturnBlock(s);
  userupdate::AddText(s, R"(ALTER TABLE KAMOKUMST ADD GROUPM0 AC_CODE;
UPDATE KAMOKUMST SET GROUPM0=GROUPM1;)");
  for (const char* p : kDependentProcedures) s.push_back(std::string("DROP PROCEDURE ") + p + ";");
  userupdate::AddText(s, R"(DROP VIEW KAMOKU_VIEW;
COMMIT;
RECREATE VIEW KAMOKU_VIEW (SCODE, SNAME, GROUPM0, GROUPM1, GROUPM2, KCODE, USERCODE, KNAME, DAC, BCODE, BNAME,
  BPFLG, HCODE, HNAME, KAISIZAN) AS
SELECT Z.SCODE, S.SNAME, K.GROUPM0, K.GROUPM1, K.GROUPM2, Z.KCODE, K.USERCODE, K.KNAME, K.DAC, Z.BCODE, B.BNAME,
  K.BPFLG, Z.HCODE, H.HNAME, Z.KAISIZAN
FROM KAMOKU_SZ Z
JOIN SISETUMST S ON S.SCODE = Z.SCODE
JOIN BUMONMST B ON B.BCODE = Z.BCODE
JOIN KAMOKUMST K ON K.KCODE = Z.KCODE
JOIN HOJOMST H ON H.KCODE = Z.KCODE AND H.HCODE = Z.HCODE;)");
  AddProcedures(s, {step022::BumonKaisizanCount(), step022::BumonKaisizanList(), step022::KaisizanList(),
                    step022::KaisizanCount(), step022::KanendozanYomikomi(),
                    userprocs::KanendoProcedure(userprocs::TKanendoMember::BumonGroupZandaka, "ReCREATE",
                                                userprocs::kStep022)});
}

// The past-year balances and the budgets.
void AddKanendoZandakaBlock(Lines& s) {
  using userprocs::TKanendoMember;
  AddProcedures(s, {userprocs::KanendoProcedure(TKanendoMember::BumonZandaka, "ReCREATE", userprocs::kStep022),
                    userprocs::KanendoProcedure(TKanendoMember::Zandaka, "ReCREATE", userprocs::kStep022),
                    step022::MbSelectKanendozan(), step022::MbSelectYosan(), step022::MbSelectYosoku(),
                    step022::MbUpdateJissekiYosan()});
}

// The trial balances, the budget input and the carry into retained earnings; from here on the
// fixed-asset classes of a facility's accounts come from their own group.
void AddSisanhyoBumonBlock(Lines& s) {
  AddProcedures(s, {userprocs::SisanhyoBumonProcedure(userprocs::kStep102, "ReCREATE"), step022::SisanhyoBumonGroup(),
                    step022::YosanRead(), step022::Zenkuri(), R"(ALTER PROCEDURE SP_KS_INSSETSWK_CALL_SISETU (
  PSCODE VARCHAR(12) CHARACTER SET SJIS_0208)
AS
  DECLARE VARIABLE VKCODE VARCHAR(6) CHARACTER SET ASCII;
  DECLARE VARIABLE VGROUPM0 INTEGER;
BEGIN
  FOR SELECT KCODE, GROUPM0 FROM KAMOKUMST
    WHERE GROUPM0 >= 1400 AND GROUPM0 <= 1800
    INTO :VKCODE, :VGROUPM0
  DO EXECUTE PROCEDURE SP_KS_INSSETSWK(:PSCODE, :VGROUPM0, :VKCODE);
END^)"});
  s.push_back("COMMIT;");
}

// The account-breakdown statement tables, in the order they are written. Column notation:
// "NAME i" INTEGER DEFAULT 0, "NAME I" INTEGER NOT NULL, "NAME c" CURRENCY, "NAME sN" a
// Japanese text of N characters, "NAME aN" an ASCII text, "NAME d" a date part (VARCHAR(2)
// ASCII), "NAME =expr" computed; "NAME_ d3" stands for NAME_YY, NAME_MM and NAME_DD.
struct TUtiwakeTable {
  const char* Name;
  const char* Columns;      // after REC, or the whole list when Key says so
  const char* Key;          // the primary key
  const char* ForeignKey;   // to the sub-accounts by (KCODE, HCODE); nullptr: none
  const char* InitialRows;  // value lists, separated by ';'; nullptr: none
  bool WithRec = true;
};

#define UTIWAKE_ACCOUNT "KGROUP i,MEISAIKUBUN i,NUMBER i,KCODE a6,HCODE a6,"
#define UTIWAKE03_COLUMNS UTIWAKE_ACCOUNT "KAMOKU s14,SIMEI s10,JYUSYO s20,KIMATUZAN c,TEKIYOU s10"
#define UTIWAKE04A_COLUMNS UTIWAKE_ACCOUNT "KAMOKU s14,SIMEI s10,JYUSYO s20,KANKEI s4,KINGAKU c,TEKIYOU s10"
#define UTIWAKE16_COLUMNS "NUMBER i,KAMOKU s14,NAIYOU s10,AITESAKI s10,SYOZAI s20,KINGAKU c"

const TUtiwakeTable kUtiwakeTables[] = {
    {"UTIWAKE_ORDER", "UTIWAKE I,KGROUP I,SORTKEY i,KAMOKUZAN c,MEMO s10", "UTIWAKE, KGROUP", nullptr, nullptr, false},
    {"UTIWAKE01", UTIWAKE_ACCOUNT "GINKOU s10,SITEN s10,SYURUI s4,KOUZA a8,KIMATUZAN c,TEKIYOU s15", "REC",
     "UTIWAKE01_KAMOKU", nullptr},
    {"UTIWAKE02",
     "NUMBER i,FURIDASI s10,FURIDASI_ d3,KIJITU_ d3,GINKOU s10,SITEN s10,KINGAKU c,WARI_GINKOU s10,WARI_SITEN s10,"
     "TEKIYOU s10",
     "REC", nullptr, nullptr},
    {"UTIWAKE03", UTIWAKE03_COLUMNS, "REC", "UTIWAKE03_KAMOKU", nullptr},
    {"UTIWAKE04A", UTIWAKE04A_COLUMNS, "REC", "UTIWAKE04A_KAMOKU", nullptr},
    {"UTIWAKE04B",
     UTIWAKE_ACCOUNT "KAMOKU s14,KASITUKE s10,KANKEI s4,JYUSYO s20,KINGAKU c,RISOKU c,RIRITU c,RIYUU s6,TANPO s12", "REC",
     "UTIWAKE04B_KAMOKU", nullptr},
    {"UTIWAKE05_INI", "TANAOROSI i,YY d,MM d,DD d", "REC", nullptr, "1, 0, '', '', ''"},
    {"UTIWAKE05", "NUMBER i,KAMOKU s14,HINMOKU s10,SURYOU c,TANKA c,KIMATUZAN c,TEKIYOU s10", "REC", nullptr, nullptr},
    {"UTIWAKE06",
     "NUMBER i,KUBUN s5,SYURUI s5,MEIGARA s5,KIMATUSURYO c,KIMATUZAN1 c,KIMATUZAN2 c,IDOU_ d3,JIYUU s5,SURYO c,"
     "KINGAKU c,SIMEI s10,JYUSYO s20,TEKIYOU s10",
     "REC", nullptr, nullptr},
    {"UTIWAKE07",
     "NUMBER i,SYURUI s5,YOUTO s5,MENSEKI c,SYOZAITI s20,KIMATUZAN c,IDOU_ d3,JIYU s5,SYUTOKU c,TYOUBO c,SIMEI s10,"
     "JYUSYO s20,GENGO s3,SYUTOKU_YY d,SYUTOKU_MM d",
     "REC", nullptr, nullptr},
    {"UTIWAKE08", "NUMBER i,SIHARAI s10,FURIDASI_ d3,KIJITU_ d3,GINKOU s10,SITEN s10,KINGAKU c,TEKIYOU s10", "REC",
     nullptr, nullptr},
    {"UTIWAKE09", UTIWAKE03_COLUMNS, "REC", "UTIWAKE09_KAMOKU", nullptr},
    {"UTIWAKE09B", "SIHARAI_ d3,KIMATUZAN c", "REC", nullptr, "n, '', '', '', 0", true},
    {"UTIWAKE10A", UTIWAKE04A_COLUMNS, "REC", "UTIWAKE10_KAMOKU", nullptr},
    {"UTIWAKE10B", "YY d,MM d,SYURUI s10,KINGAKU c", "REC", nullptr, "n, '', '', '', 0"},
    {"UTIWAKE11",
     UTIWAKE_ACCOUNT "KAMOKU s14,KARIIRE s10,KANKEI s4,JYUSYO s20,KINGAKU c,RISOKU c,RIRITU c,RIYUU s6,TANPO s12", "REC",
     "UTIWAKE11_KAMOKU", nullptr},
    {"UTIWAKE12",
     "NUMBER i,KUBUN s5,SYOZAITI s20,TIMOKU s10,SOUMENSEKI c,URIAGE_GG s3,URIAGE_YY d,URIAGE_MM a3,SIMEI s10,"
     "JYUSYO s20,MENSEKI c,URIAGE c,TESURYO c,GOUKEI =URIAGE + TESURYO,SYUTOKU_GG s3,SYUTOKU_YY d",
     "REC", nullptr, nullptr},
    {"UTIWAKE13",
     "NUMBER i,MEISYOU s10,SYOZAI s20,SIMEI s14,KANKEI s7,NAIYOU s10,URIAGE c,KIMATUZAN c,NINZU i,MENSEKI c,"
     "ZEIMUSYO s10,TEKIYOU s10",
     "REC", nullptr, nullptr},
    {"UTIWAKE14",
     "NUMBER i,YAKUSYOKU s6,GYOUMU s6,SIMEI s10,KANKEI s4,JYUSYO s20,KINMU i,SIYOUNIN c,TEIKIDOUGAKU c,JIZENTODOKE c,"
     "RIEKIRENDOU c,SONOTA c,TAISYOKU c,GOUKEI =SIYOUNIN + TEIKIDOUGAKU + JIZENTODOKE + RIEKIRENDOU + SONOTA",
     "REC", nullptr, nullptr},
    {"UTIWAKE14B",
     "TEGAKI i,SOUGAKU1 c,SOUGAKU2 c,SOUGAKU3 c,SOUGAKU_KEI =SOUGAKU1 + SOUGAKU2 + SOUGAKU3,KAZOKU1 c,KAZOKU2 c,"
     "KAZOKU3 c,KAZOKU_KEI =KAZOKU1 + KAZOKU2 + KAZOKU3",
     "REC", nullptr, "1, 0, 0, 0, 0, 0, 0, 0"},
    {"UTIWAKE15A",
     "NUMBER i,KUBUN s3,YOUTO s10,SYOZAITI s20,SIMEI s10,JYUSYO s20,KAISI_ d3,SYURYO_ d3,KINGAKU c,TEKIYO s10", "REC",
     nullptr, nullptr},
    {"UTIWAKE15B", "NUMBER i,SIMEI s10,JYUSYO s20,SIHARAI_ d3,KINGAKU c,NAIYO s10,TEKIYO s10", "REC", nullptr,
     nullptr},
    {"UTIWAKE15C",
     "NUMBER i,MEISYO s10,SIMEI s10,JYUSYO s20,KEIYAKU_SYY d,KEIYAKU_SMM d,KEIYAKU_EYY d,KEIYAKU_EMM d,SIHARAI_SYY d,"
     "SIHARAI_SMM d,SIHARAI_EYY d,SIHARAI_EMM d,KINGAKU c,TEKIYO s10",
     "REC", nullptr, nullptr},
    {"UTIWAKE16A", UTIWAKE16_COLUMNS, "REC", nullptr, nullptr},
    {"UTIWAKE16B", UTIWAKE16_COLUMNS, "REC", nullptr, nullptr},
    {"UTIWAKE17_TITLE", "TITLE1 s20,TITLE2 s20,TITLE3 s20,TITLE4 s20,TITLE5 s20", "REC", nullptr, "1, '', '', '', '', ''"},
    {"UTIWAKE17", "UTIWAKE I,REC I,NUMBER i,KAMOKU s14,SIMEI s10,JYUSYO s20,KIMATUZAN c,TEKIYOU s10", "UTIWAKE, REC",
     nullptr, nullptr, false},
};

// The rows a table starts with: "n" in a value list stands for the row number; a list used
// for several rows is written that many times.
int UtiwakeInitialRowCount(const char* table) {
  const std::string t = table;
  if (t == "UTIWAKE09B") return 4;
  if (t == "UTIWAKE10B") return 12;
  return 1;
}

std::string UtiwakeColumn(const std::string& column) {
  const size_t sp = column.find(' ');
  const std::string name = column.substr(0, sp);
  const std::string type = column.substr(sp + 1);
  if (type == "d3") {
    return name + "YY VARCHAR(2) CHARACTER SET ASCII, " + name + "MM VARCHAR(2) CHARACTER SET ASCII, " + name +
           "DD VARCHAR(2) CHARACTER SET ASCII";
  }
  if (type[0] == '=') return name + " COMPUTED BY (" + type.substr(1) + ")";
  if (type == "i") return name + " INTEGER DEFAULT 0";
  if (type == "I") return name + " INTEGER NOT NULL";
  if (type == "c") return name + " CURRENCY";
  if (type == "d") return name + " VARCHAR(2) CHARACTER SET ASCII";
  const std::string charset = type[0] == 'a' ? "ASCII" : "SJIS_0208";
  return name + " VARCHAR(" + type.substr(1) + ") CHARACTER SET " + charset;
}

void AddUtiwakeTables(Lines& s) {
  for (const TUtiwakeTable& t : kUtiwakeTables) {
    std::string text = std::string("RECREATE TABLE ") + t.Name + " (";
    if (t.WithRec) text += "REC INTEGER NOT NULL, ";
    std::istringstream columns(t.Columns);
    for (std::string column; std::getline(columns, column, ',');) text += UtiwakeColumn(column) + ", ";
    text += std::string("PRIMARY KEY (") + t.Key + ")";
    if (t.ForeignKey) {
      text += std::string(", CONSTRAINT ") + t.ForeignKey +
              " FOREIGN KEY (KCODE, HCODE) REFERENCES HOJOMST (KCODE, HCODE) ON UPDATE CASCADE ON DELETE SET NULL";
    }
    s.push_back(text + ");");
    if (!t.InitialRows) continue;
    const int rows = UtiwakeInitialRowCount(t.Name);
    for (int n = 1; n <= rows; ++n) {
      std::string values = t.InitialRows;
      if (values.rfind("n,", 0) == 0) values = std::to_string(n) + values.substr(1);
      s.push_back(std::string("INSERT INTO ") + t.Name + " VALUES (" + values + ");");
    }
  }
  s.push_back("COMMIT;");
}

}  // namespace

int32_t ExecUserDbUpdate022() {
  Lines s;
  if (!userupdate::ColumnExists("KAMOKUMST", "GROUPM0")) {
    AddGroupM0Block(s);
    AddKanendoZandakaBlock(s);
    AddSisanhyoBumonBlock(s);
    AddUtiwakeTables(s);
    AddCashFlowItems(s);
  }
  userupdate::TStepBody body;
  body.Statements = std::move(s);
  return userupdate::RunStep({0, 2, 2}, body);
}
