// Company step 2.0.4: cash-book exchange. The relay-server account table, the journal update
// procedure that keeps the link of exchanged entries, the registration of sub-accounts made by
// the cash-book import, and the fixed-asset journal settings of individuals' other code system
// seeded again where they are missing.
#include <string>
#include <vector>

#include "data/DataModule.h"
#include "data/uAccFunctionDb.h"
#include "data/uAccRecord.h"
#include "platform/db/IBSQL.h"
#include "upgrade/z5UserDbUpdate100.h"
#include "upgrade/z5UserDbUpdateProcs.h"

namespace {

// The journal update procedure exactly as a new company database carries it, so that an
// upgraded data set and a new one answer the journal writer alike.
constexpr const char* kSiwakeUpd = R"(CREATE OR ALTER PROCEDURE SP_SIWAKE_UPD (
  REC         INTEGER,
  SWKREC      INTEGER,
  SWKNO       INTEGER,
  DELFLG      INTEGER,
  HIZUKE      DATE,
  MNUM        INTEGER,
  KESSAN      INTEGER,
  SDAYNUM     INTEGER,
  MDAYNUM     INTEGER,
  DNUM        INTEGER,
  SNUM        INTEGER,
  SCODE       VARCHAR(6) CHARACTER SET ASCII,
  L_KGROUP    VARCHAR(6) CHARACTER SET ASCII,
  L_KCODE     VARCHAR(6) CHARACTER SET ASCII,
  L_HCODE     VARCHAR(6) CHARACTER SET ASCII,
  L_BCODE     VARCHAR(6) CHARACTER SET ASCII,
  L_KNAME     VARCHAR(14),
  L_HNAME     VARCHAR(14),
  L_BNAME     VARCHAR(14),
  L_TAXCODE   INTEGER,
  L_TAXUH     INTEGER,
  L_TAXDC     INTEGER,
  L_NUK       NUMERIC(16,4),
  L_ZEI       NUMERIC(16,4),
  L_RIT       NUMERIC(16,4),
  L_SIKIN     INTEGER,
  R_KGROUP    VARCHAR(6) CHARACTER SET ASCII,
  R_KCODE     VARCHAR(6) CHARACTER SET ASCII,
  R_HCODE     VARCHAR(6) CHARACTER SET ASCII,
  R_BCODE     VARCHAR(6) CHARACTER SET ASCII,
  R_KNAME     VARCHAR(14),
  R_HNAME     VARCHAR(14),
  R_BNAME     VARCHAR(14),
  R_TAXCODE   INTEGER,
  R_TAXUH     INTEGER,
  R_TAXDC     INTEGER,
  R_NUK       NUMERIC(16,4),
  R_ZEI       NUMERIC(16,4),
  R_RIT       NUMERIC(16,4),
  R_SIKIN     INTEGER,
  KINGAKU     NUMERIC(16,4),
  ZEIGAKU     NUMERIC(16,4),
  ZEIRITUNO   INTEGER,
  AUTCALCU    INTEGER,
  TAXCALCU    INTEGER,
  OLDRATE     INTEGER,
  TEKCODE     INTEGER,
  TEKTEXT     VARCHAR(50),
  TORCODE     INTEGER,
  TORTEXT     VARCHAR(20),
  FUSEN1      INTEGER,
  FUSEN2      INTEGER,
  FUSEN3      INTEGER,
  FUSEN4      INTEGER,
  FUSEN5      INTEGER,
  CTIME       TIMESTAMP,
  COMMENT     VARCHAR(50),
  AO_COMMENT  VARCHAR(50),
  LINKKEY     VARCHAR(20),
  LINKKUB     INTEGER,
  LINKREC     INTEGER,
  LOCALFLG    INTEGER,
  RESERVE1    INTEGER,
  RESERVE2    INTEGER,
  OPCODE      INTEGER)
RETURNS (
  NEWREC      INTEGER,
  NEWSWKREC   INTEGER,
  NEWSWKNO    INTEGER,
  UPREC       INTEGER,
  NEWSDAYNUM  INTEGER)
AS
  DECLARE VARIABLE WK_LKCODE    VARCHAR(6) CHARACTER SET ASCII;
  DECLARE VARIABLE WK_RKCODE    VARCHAR(6) CHARACTER SET ASCII;
  DECLARE VARIABLE WREC         INTEGER;
  DECLARE VARIABLE WK_LINKREC   INTEGER;
  DECLARE VARIABLE O_FOUND      INTEGER;
  DECLARE VARIABLE O_REC        INTEGER;
  DECLARE VARIABLE O_SWKNO      INTEGER;
  DECLARE VARIABLE O_DELFLG     INTEGER;
  DECLARE VARIABLE O_HIZUKE     DATE;
  DECLARE VARIABLE O_KESSAN     INTEGER;
  DECLARE VARIABLE O_SDAYNUM    INTEGER;
  DECLARE VARIABLE O_DNUM       INTEGER;
  DECLARE VARIABLE O_SNUM       INTEGER;
  DECLARE VARIABLE O_SCODE      VARCHAR(6) CHARACTER SET ASCII;
  DECLARE VARIABLE O_SITREC     INTEGER;
  DECLARE VARIABLE O_KCODE      VARCHAR(6) CHARACTER SET ASCII;
  DECLARE VARIABLE O_HCODE      VARCHAR(6) CHARACTER SET ASCII;
  DECLARE VARIABLE O_BCODE      VARCHAR(6) CHARACTER SET ASCII;
  DECLARE VARIABLE O_KNAME      VARCHAR(14);
  DECLARE VARIABLE O_HNAME      VARCHAR(14);
  DECLARE VARIABLE O_BNAME      VARCHAR(14);
  DECLARE VARIABLE O_TAXCODE    INTEGER;
  DECLARE VARIABLE O_NUK        NUMERIC(18,4);
  DECLARE VARIABLE O_ZEI        NUMERIC(18,4);
  DECLARE VARIABLE O_R_KCODE    VARCHAR(6) CHARACTER SET ASCII;
  DECLARE VARIABLE O_R_HCODE    VARCHAR(6) CHARACTER SET ASCII;
  DECLARE VARIABLE O_R_BCODE    VARCHAR(6) CHARACTER SET ASCII;
  DECLARE VARIABLE O_R_KNAME    VARCHAR(14);
  DECLARE VARIABLE O_R_HNAME    VARCHAR(14);
  DECLARE VARIABLE O_R_BNAME    VARCHAR(14);
  DECLARE VARIABLE O_R_TAXCODE  INTEGER;
  DECLARE VARIABLE O_R_NUK      NUMERIC(18,4);
  DECLARE VARIABLE O_R_ZEI      NUMERIC(18,4);
  DECLARE VARIABLE O_KINGAKU    NUMERIC(18,4);
  DECLARE VARIABLE O_ZEIGAKU    NUMERIC(18,4);
  DECLARE VARIABLE O_TEKTEXT    VARCHAR(50);
  DECLARE VARIABLE O_TORTEXT    VARCHAR(20);
  DECLARE VARIABLE O_AUTCALCU   INTEGER;
  DECLARE VARIABLE O_TAXCALCU   INTEGER;
  DECLARE VARIABLE O_OLDRATE    INTEGER;
BEGIN
  NEWREC = -1;
  NEWSWKREC = 0;
  NEWSWKNO = SWKNO;
  UPREC = 0;
  NEWSDAYNUM = SDAYNUM;

  SELECT KCODE FROM KAMOKUMST WHERE USERCODE = :L_KCODE INTO :WK_LKCODE;
  SELECT KCODE FROM KAMOKUMST WHERE USERCODE = :R_KCODE INTO :WK_RKCODE;

  O_FOUND = 0;
  FOR SELECT REC, SWKNO, DELFLG, HIZUKE, KESSAN, SDAYNUM, DNUM, SNUM, SCODE, SITREC,
             KCODE, HCODE, BCODE, KNAME, HNAME, BNAME, TAXCODE, NUK, ZEI,
             R_KCODE, R_HCODE, R_BCODE, R_KNAME, R_HNAME, R_BNAME, R_TAXCODE, R_NUK, R_ZEI,
             KINGAKU, ZEIGAKU, TEKTEXT, TORTEXT, AUTCALCU, TAXCALCU, OLDRATE
        FROM SIWAKE
       WHERE REC = :REC AND TAISHAKU = 1
        INTO :O_REC, :O_SWKNO, :O_DELFLG, :O_HIZUKE, :O_KESSAN, :O_SDAYNUM, :O_DNUM, :O_SNUM,
             :O_SCODE, :O_SITREC,
             :O_KCODE, :O_HCODE, :O_BCODE, :O_KNAME, :O_HNAME, :O_BNAME, :O_TAXCODE, :O_NUK, :O_ZEI,
             :O_R_KCODE, :O_R_HCODE, :O_R_BCODE, :O_R_KNAME, :O_R_HNAME, :O_R_BNAME, :O_R_TAXCODE,
             :O_R_NUK, :O_R_ZEI,
             :O_KINGAKU, :O_ZEIGAKU, :O_TEKTEXT, :O_TORTEXT, :O_AUTCALCU, :O_TAXCALCU, :O_OLDRATE
  DO
    O_FOUND = 1;

  IF (O_FOUND = 0 OR O_DELFLG = 1) THEN
  BEGIN
    UPREC = -1;
    SUSPEND;
    EXIT;
  END

  IF (O_DELFLG <> 0) THEN
  BEGIN
    UPREC = -2;
    SELECT FIRST 1 REC FROM SIWAKE
     WHERE SWKNO = :O_SWKNO AND TAISHAKU = 1 AND DELFLG = 0
     ORDER BY REC DESC
      INTO :NEWREC;
    SUSPEND;
    EXIT;
  END

  IF (NEWSDAYNUM IS NULL OR NEWSDAYNUM <= 0) THEN
  BEGIN
    IF (O_HIZUKE = HIZUKE AND O_KESSAN = KESSAN AND O_SCODE = SCODE AND O_SDAYNUM > 0) THEN
      NEWSDAYNUM = O_SDAYNUM;
    ELSE
      SELECT COALESCE(MAX(SDAYNUM), 0) + 1 FROM SIWAKE
       WHERE HIZUKE = :HIZUKE AND KESSAN = :KESSAN AND SCODE = :SCODE
        INTO :NEWSDAYNUM;
  END

  IF (O_SWKNO = SWKNO AND O_DELFLG = DELFLG AND O_HIZUKE = HIZUKE AND O_KESSAN = KESSAN
      AND O_DNUM = DNUM AND O_SNUM = SNUM AND O_SCODE = SCODE
      AND O_KCODE = WK_LKCODE AND O_HCODE = L_HCODE AND O_BCODE = L_BCODE
      AND O_KNAME = L_KNAME AND O_HNAME = L_HNAME AND O_BNAME = L_BNAME
      AND O_TAXCODE = L_TAXCODE AND O_NUK = L_NUK AND O_ZEI = L_ZEI
      AND O_R_KCODE = WK_RKCODE AND O_R_HCODE = R_HCODE AND O_R_BCODE = R_BCODE
      AND O_R_KNAME = R_KNAME AND O_R_HNAME = R_HNAME AND O_R_BNAME = R_BNAME
      AND O_R_TAXCODE = R_TAXCODE AND O_R_NUK = R_NUK AND O_R_ZEI = R_ZEI
      AND O_KINGAKU = KINGAKU AND O_ZEIGAKU = ZEIGAKU
      AND O_TEKTEXT = TEKTEXT AND O_TORTEXT = TORTEXT
      AND O_AUTCALCU = AUTCALCU AND O_TAXCALCU = TAXCALCU AND O_OLDRATE = OLDRATE) THEN
  BEGIN
    UPDATE SIWAKE
       SET SDAYNUM = :NEWSDAYNUM, MDAYNUM = :MDAYNUM,
           FUSEN1 = :FUSEN1, FUSEN2 = :FUSEN2, FUSEN3 = :FUSEN3, FUSEN4 = :FUSEN4, FUSEN5 = :FUSEN5,
           CTIME = :CTIME, COMMENT = :COMMENT, AO_COMMENT = :AO_COMMENT,
           LINKKEY = :LINKKEY, LINKKUB = :LINKKUB, LINKREC = :LINKREC, LOCALFLG = :LOCALFLG
     WHERE SWKREC = :SWKREC;
    UPDATE SIWAKE2
       SET LINKKEY = :LINKKEY, LINKKUB = :LINKKUB, LINKREC = :LINKREC
     WHERE SWKREC = :SWKREC;
    NEWREC = O_REC;
    NEWSWKREC = SWKREC;
    NEWSWKNO = SWKNO;
  END
  ELSE
  BEGIN
    UPDATE SIWAKE
       SET DELFLG = 2, LINKKEY = NULL, LINKKUB = 0, LINKREC = 0
     WHERE SWKREC = :SWKREC;
    UPDATE SIWAKE2
       SET LINKKEY = NULL, LINKKUB = 0, LINKREC = 0
     WHERE SWKREC = :SWKREC;

    WREC = GEN_ID(SIWAKE_REC_GEN, 1);

    /* An exchanged cash-book entry keeps pointing at the row it came from. */
    IF (LINKKUB = 10 OR (LINKKUB = 0 AND RESERVE1 > 0)) THEN
      WK_LINKREC = O_REC;
    ELSE
      WK_LINKREC = LINKREC;

    INSERT INTO SIWAKE (
      REC, SWKREC, SWKNO, DELFLG, TAISHAKU, HIZUKE, MNUM, KESSAN, SDAYNUM, MDAYNUM, DNUM, SNUM,
      SCODE, SITREC, KGROUP, KCODE, HCODE, BCODE, KNAME, HNAME, BNAME, TAXCODE, TAXUH, TAXDC,
      NUK, ZEI, RIT, SIKIN, R_KGROUP, R_KCODE, R_HCODE, R_BCODE, R_KNAME, R_HNAME, R_BNAME,
      R_TAXCODE, R_TAXUH, R_TAXDC, R_NUK, R_ZEI, R_RIT, R_SIKIN, KINGAKU, ZEIGAKU, ZEIRITUNO,
      AUTCALCU, TAXCALCU, OLDRATE, TEKCODE, TEKTEXT, TORCODE, TORTEXT, FUSEN1, FUSEN2, FUSEN3,
      FUSEN4, FUSEN5, CTIME, COMMENT, AO_COMMENT, LINKKEY, LINKKUB, LINKREC, LOCALFLG,
      RESERVE1, RESERVE2, RTIME, OPCODE)
    VALUES (
      2 * :WREC - 1, :WREC, :SWKNO, 0, 1, :HIZUKE, :MNUM, :KESSAN, :NEWSDAYNUM, :MDAYNUM,
      :DNUM, :SNUM, :SCODE, :O_SITREC, :L_KGROUP, :WK_LKCODE, :L_HCODE, :L_BCODE, :L_KNAME,
      :L_HNAME, :L_BNAME, :L_TAXCODE, :L_TAXUH, :L_TAXDC, :L_NUK, :L_ZEI, :L_RIT, :L_SIKIN,
      :R_KGROUP, :WK_RKCODE, :R_HCODE, :R_BCODE, :R_KNAME, :R_HNAME, :R_BNAME, :R_TAXCODE,
      :R_TAXUH, :R_TAXDC, :R_NUK, :R_ZEI, :R_RIT, :R_SIKIN, :KINGAKU, :ZEIGAKU, :ZEIRITUNO,
      :AUTCALCU, :TAXCALCU, :OLDRATE, :TEKCODE, :TEKTEXT, :TORCODE, :TORTEXT, :FUSEN1, :FUSEN2,
      :FUSEN3, :FUSEN4, :FUSEN5, :CTIME, :COMMENT, :AO_COMMENT, :LINKKEY, :LINKKUB,
      :WK_LINKREC, :LOCALFLG, :RESERVE1, :RESERVE2, 'NOW', :OPCODE);
    INSERT INTO SIWAKE (
      REC, SWKREC, SWKNO, DELFLG, TAISHAKU, HIZUKE, MNUM, KESSAN, SDAYNUM, MDAYNUM, DNUM, SNUM,
      SCODE, SITREC, KGROUP, KCODE, HCODE, BCODE, KNAME, HNAME, BNAME, TAXCODE, TAXUH, TAXDC,
      NUK, ZEI, RIT, SIKIN, R_KGROUP, R_KCODE, R_HCODE, R_BCODE, R_KNAME, R_HNAME, R_BNAME,
      R_TAXCODE, R_TAXUH, R_TAXDC, R_NUK, R_ZEI, R_RIT, R_SIKIN, KINGAKU, ZEIGAKU, ZEIRITUNO,
      AUTCALCU, TAXCALCU, OLDRATE, TEKCODE, TEKTEXT, TORCODE, TORTEXT, FUSEN1, FUSEN2, FUSEN3,
      FUSEN4, FUSEN5, CTIME, COMMENT, AO_COMMENT, LINKKEY, LINKKUB, LINKREC, LOCALFLG,
      RESERVE1, RESERVE2, RTIME, OPCODE)
    VALUES (
      2 * :WREC, :WREC, :SWKNO, 0, 2, :HIZUKE, :MNUM, :KESSAN, :NEWSDAYNUM, :MDAYNUM, :DNUM,
      :SNUM, :SCODE, :O_SITREC, :R_KGROUP, :WK_RKCODE, :R_HCODE, :R_BCODE, :R_KNAME, :R_HNAME,
      :R_BNAME, :R_TAXCODE, :R_TAXUH, :R_TAXDC, :R_NUK, :R_ZEI, :R_RIT, :R_SIKIN, :L_KGROUP,
      :WK_LKCODE, :L_HCODE, :L_BCODE, :L_KNAME, :L_HNAME, :L_BNAME, :L_TAXCODE, :L_TAXUH,
      :L_TAXDC, :L_NUK, :L_ZEI, :L_RIT, :L_SIKIN, :KINGAKU, :ZEIGAKU, :ZEIRITUNO, :AUTCALCU,
      :TAXCALCU, :OLDRATE, :TEKCODE, :TEKTEXT, :TORCODE, :TORTEXT, :FUSEN1, :FUSEN2, :FUSEN3,
      :FUSEN4, :FUSEN5, :CTIME, :COMMENT, :AO_COMMENT, :LINKKEY, :LINKKUB, :WK_LINKREC,
      :LOCALFLG, :RESERVE1, :RESERVE2, 'NOW', :OPCODE);

    INSERT INTO SIWAKE2 (REC, SWKREC, LINKKEY, LINKKUB, LINKREC)
    VALUES (2 * :WREC - 1, :WREC, :LINKKEY, :LINKKUB, :WK_LINKREC);
    INSERT INTO SIWAKE2 (REC, SWKREC, LINKKEY, LINKKUB, LINKREC)
    VALUES (2 * :WREC, :WREC, :LINKKEY, :LINKKUB, :WK_LINKREC);

    NEWREC = 2 * WREC - 1;
    NEWSWKREC = WREC;

    IF (O_HIZUKE <> HIZUKE) THEN
    BEGIN
      UPDATE SIWAKE SET SWKNO = :WREC WHERE SWKNO = :SWKNO;
      NEWSWKNO = WREC;
    END
  END

  SUSPEND;
END^)";

constexpr const char* kHojoKamokuSzIns = R"(RECREATE PROCEDURE SP_HOJO_KAMOKUSZ_INS (
  PSCODE VARCHAR(6) CHARACTER SET ASCII,
  PKCODE VARCHAR(6) CHARACTER SET ASCII,
  PHCODE VARCHAR(6) CHARACTER SET ASCII)
RETURNS (
  OUT_SCODE VARCHAR(6) CHARACTER SET ASCII,
  OUT_KCODE VARCHAR(6) CHARACTER SET ASCII,
  OUT_HCODE VARCHAR(6) CHARACTER SET ASCII)
AS
  DECLARE VARIABLE WMODE INTEGER;
  DECLARE VARIABLE WBUMON INTEGER;
  DECLARE VARIABLE WORDER INTEGER;
  DECLARE VARIABLE WGROUP VARCHAR(6) CHARACTER SET ASCII;
  DECLARE VARIABLE WSCODE VARCHAR(6) CHARACTER SET ASCII;
  DECLARE VARIABLE WBCODE VARCHAR(6) CHARACTER SET ASCII;
BEGIN
  SELECT HOJO_INS_MODE, BUMON FROM ACCDEF1 WHERE REC=1 INTO :WMODE, :WBUMON;
  SELECT GROUPM1 FROM KAMOKUMST WHERE KCODE=:PKCODE INTO :WGROUP;
  /* Mode 1: the departments of the given branch first, then those of the other branches where
     the account already has sub-accounts; otherwise every branch and department of the account. */
  FOR SELECT K, S, B FROM (
        SELECT 0 AS K, SCODE AS S, BCODE AS B FROM KAMOKU_SZ
         WHERE :WMODE = 1 AND SCODE = :PSCODE AND KCODE = :PKCODE GROUP BY SCODE, BCODE
        UNION ALL
        SELECT 1, SCODE, BCODE FROM KAMOKU_SZ
         WHERE :WMODE = 1 AND SCODE <> :PSCODE AND KCODE = :PKCODE GROUP BY SCODE, BCODE HAVING COUNT(*) > 1
        UNION ALL
        SELECT 0, SCODE, BCODE FROM KAMOKU_SZ
         WHERE :WMODE IS DISTINCT FROM 1 AND KCODE = :PKCODE GROUP BY SCODE, BCODE)
      ORDER BY 1, 2, 3
      INTO :WORDER, :WSCODE, :WBCODE DO
  BEGIN
    IF (WBCODE = ' ') THEN
      INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE) VALUES (:WSCODE, :PKCODE, :PHCODE, :WBCODE);
    ELSE IF (WBUMON = 2 OR (WBUMON = 1 AND WGROUP >= '4000' AND WGROUP < '8000')) THEN
    BEGIN
      IF (WBCODE = '00') THEN
        INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE, KAISIZAN,
          HAIBUN01, HAIBUN02, HAIBUN03, HAIBUN04, HAIBUN05, HAIBUN06, HAIBUN07, HAIBUN08,
          HAIBUN09, HAIBUN10, HAIBUN11, HAIBUN12, HAIBUN13, HAIBUN14, HAIBUN15, HAIBUN16, KAKOZAN)
        VALUES (:WSCODE, :PKCODE, :PHCODE, :WBCODE, 0,
          100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 0);
      ELSE
        INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE) VALUES (:WSCODE, :PKCODE, :PHCODE, :WBCODE);
    END
  END
  OUT_SCODE = PSCODE;
  OUT_KCODE = PKCODE;
  OUT_HCODE = PHCODE;
  SUSPEND;
END^)";

struct TSettingRow {
  int kgroup;
  const char* kcode;  // nullptr: the class's default row
  int gstaisyou, gskeijyo, gshouhou, setswk;
  const char* ruikei;
  const char* syokyaku1;
  const char* jigyounusi;  // also the sale-loss and disposal-loss accounts
  const char* baieki;
};

std::string Literal(const char* code) { return code ? "'" + std::string(code) + "'" : "null"; }

std::vector<TSettingRow> SettingRows() {
  std::vector<TSettingRow> rows;
  for (const char* k : {"1401", "1402", "1403", "1404", "1405", "1406", "1407", "1408", "1409", "1410", "1411", "1412",
                        "1416"})
    rows.push_back({0, k, 0, 0, 1, 1, "1416", "6202", "1608", "2205"});
  rows.push_back({0, nullptr, 0, 1, 1, 1, "1416", "6202", "1608", "2205"});
  for (const char* k : {"1501", "1502", "1503", "1504", "1505", "1506"})
    rows.push_back({1, k, 1, 0, 3, 0, nullptr, nullptr, nullptr, nullptr});
  rows.push_back({1, nullptr, 1, 0, 3, 0, nullptr, nullptr, nullptr, nullptr});
  for (const char* k : {"1601", "1602", "1603", "1604", "1605", "1606", "1607", "1608", "1620"})
    rows.push_back({2, k, 2, 0, 3, 0, nullptr, nullptr, nullptr, nullptr});
  rows.push_back({2, nullptr, 2, 0, 3, 0, nullptr, nullptr, nullptr, nullptr});
  for (const char* k : {"1701", "1702", "1703"}) rows.push_back({3, k, 3, 0, 1, 1, nullptr, "6202", "1608", "2205"});
  rows.push_back({3, nullptr, 3, 0, 1, 1, nullptr, "6202", "1608", "2205"});
  return rows;
}

}  // namespace

namespace userupdate {

void AddKsSetSwkInitRows(Lines& s, const std::vector<std::string>& branches) {
  s.push_back("SET GENERATOR KSSETSWKINIT_GEN TO 0;");
  s.push_back("DELETE FROM KS_SETSWK_INIT;");
  for (const TSettingRow& r : SettingRows()) {
    // REC, ACCGROUP, KGROUP, KCODE, NOTLIST, TEKIYO, GSTAISYOU, GSKEIJYO, GSKAHI, GSHOUHOU,
    // GSSISANZEI, SETSWK, RUIKEIKCODE, SYOKYAKU1_KCODE, SYOKYAKU2_KCODE, JIGYOUNUSI_KCODE,
    // SYOKYAKUTEKIYO, BAISONKCODE, BAISONTEKIYO, JYOSONKCODE, JYOSONTEKIYO, BAIEKIKCODE, BAIEKITEKIYO
    s.push_back("INSERT INTO KS_SETSWK_INIT VALUES (0, 2, " + std::to_string(r.kgroup) + ", " + Literal(r.kcode) +
                ", 1, '購入', " + std::to_string(r.gstaisyou) + ", " + std::to_string(r.gskeijyo) + ", 0, " +
                std::to_string(r.gshouhou) + ", 0, " + std::to_string(r.setswk) + ", " + Literal(r.ruikei) + ", " +
                Literal(r.syokyaku1) + ", null, " + Literal(r.jigyounusi) + ", '償却', " + Literal(r.jigyounusi) +
                ", '売却', " + Literal(r.jigyounusi) + ", '除却', " + Literal(r.baieki) + ", '売却');");
  }
  s.push_back("SET GENERATOR KSSETSWK_GEN TO 0;");
  s.push_back("DELETE FROM KS_SETSWK;");
  for (const std::string& code : branches) {
    std::string quoted;
    for (char c : code) quoted += c == '\'' ? std::string("''") : std::string(1, c);
    s.push_back("EXECUTE PROCEDURE SP_KS_INSSETSWK_CALL_SISETU('" + quoted + "');");
  }
  s.push_back("COMMIT;");
}

void ResetKsSetSwkInit(Lines& s) {
  if (AccInf.DATATYPE != 2 || AccInf.CODETYPE != 2) return;
  int64_t count = 0;
  std::vector<std::string> branches;
  // Failures raise out of the builder before any script is written.
  DM->fnAccDatConnected(SystemDef.HostName, SystemDef.DataDir, false);
  {
    auto q = CreateAccSQL("ACCDAT", false);
    TIBTransaction& tr = DM->IBTransactionDAT;
    if (!tr.InTransaction()) tr.StartTransaction();
    q->SQL = "SELECT COUNT(REC) AS RECCNT FROM KS_SETSWK_INIT WHERE KCODE='1401'";
    q->ExecQuery();
    count = q->FieldByName("RECCNT").AsInteger();
    q->Close();
    if (AccInf.SITEN != 0) {
      q->SQL = "SELECT SCODE FROM SISETUMST ORDER BY SCODE";
      q->ExecQuery();
      while (!q->Eof()) {
        branches.push_back(q->FieldByName("SCODE").AsString());
        q->Next();
      }
      q->Close();
    } else {
      branches.push_back(" ");
    }
    tr.Commit();
  }
  DM->AccDatDisconnect(SystemDef.DataDir, false, false);
  if (count != 0) return;
  AddKsSetSwkInitRows(s, branches);
}

}  // namespace userupdate

int32_t ExecUserDbUpdate204() {
  userupdate::Lines s;
  using userprocs::kStep204;
  using userprocs::TFixedForm;
  using userprocs::TListMember;
  auto block = [&s](std::vector<std::string> procs) {
    s.push_back("SET TERM ^ ;");
    s.insert(s.end(), procs.begin(), procs.end());
    s.push_back("SET TERM ; ^");
  };
  block({userprocs::JournalListProcedure(TListMember::MonitorListUp, kStep204, "ALTER"),
         userprocs::JournalListProcedure(TListMember::MonitorListDown, kStep204, "ALTER")});
  userupdate::ResetKsSetSwkInit(s);
  block({userprocs::SisanhyoFormProcedure(TFixedForm::A4, kStep204, "ALTER"),
         userprocs::SisanhyoFormProcedure(TFixedForm::A3, kStep204, "ALTER")});
  block({userprocs::SisanhyoBumonFormProcedure(TFixedForm::A4, kStep204, "ALTER")});
  block({userprocs::SisanhyoBumonFormProcedure(TFixedForm::A3, kStep204, "ALTER")});
  block({userprocs::SisanhyoKessanProcedure(kStep204, "ALTER")});
  userupdate::AddText(s, R"(RECREATE TABLE TUSIN_ID (
  REC INTEGER NOT NULL,
  HOLDER VARCHAR(30) CHARACTER SET ASCII DEFAULT '',
  PASWORD VARCHAR(16) CHARACTER SET ASCII DEFAULT '',
  CONSTRAINT PK_TUSIN_ID PRIMARY KEY (REC));
INSERT INTO TUSIN_ID(REC,HOLDER,PASWORD) VALUES(1, '', '');
SET TERM ^ ;)");
  s.push_back(kSiwakeUpd);
  userupdate::AddText(s, R"(SET TERM ; ^
RECREATE TABLE SUITOTYO_SABUN (
  SWKREC INTEGER NOT NULL,
  PRIMARY KEY (SWKREC));
SET TERM ^ ;)");
  s.push_back(userprocs::KanendoProcedure(userprocs::TKanendoMember::BumonZandakaA4, "RECREATE"));
  s.push_back(userprocs::KanendoProcedure(userprocs::TKanendoMember::BumonGroupZandaka, "RECREATE"));
  s.push_back(kHojoKamokuSzIns);
  s.push_back("SET TERM ; ^");
  s.push_back("Commit;");
  userupdate::TStepBody body;
  body.Statements = std::move(s);
  return userupdate::RunStep({2, 0, 4}, body);
}
