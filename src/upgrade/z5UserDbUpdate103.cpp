// Company step 1.0.3: a branch-managed company's blank-branch rows lose their past-year balances
// and budgets, and an individual's year-end balances can be carried into the capital.
#include "data/uAccRecord.h"
#include "upgrade/z5UserDbUpdate100.h"
#include "upgrade/z5UserDbUpdateProcs.h"

namespace userupdate {

void AddBlankBranchClearing(Lines& s, int32_t siten) {
  if (siten != 1) return;
  s.insert(s.end(), {"UPDATE KAMOKU_PZ SET NUKIZAN=0,ZEIGAKU=0", "WHERE SCODE=' ';", "UPDATE KAMOKU_SZ SET KAKOZAN=0",
                     "WHERE SCODE=' ';", "UPDATE KAMOKU_MS SET BYOSAN=0", "WHERE SCODE=' ';", "Commit;"});
}

}  // namespace userupdate

int32_t ExecUserDbUpdate103() {
  userupdate::Lines s;
  userupdate::AddBlankBranchClearing(s, AccInf.SITEN);
  // The rows are those of the account view (the joins below), read from its tables so that the
  // view stays free to be re-created by later steps.
  userupdate::AddText(s, R"(SET TERM ^ ;
RECREATE PROCEDURE SP_MOTOIREKIN_KURIIRE (
  SCODE VARCHAR(6) CHARACTER SET ASCII)
RETURNS (
  BCODE VARCHAR(6) CHARACTER SET ASCII,
  MOTOIREZAN NUMERIC(16,4),
  KIMATU_MOTOIREZAN NUMERIC(16,4),
  KIMATU_JIGYOKASIZAN NUMERIC(16,4),
  KIMATU_JIGYOKARIZAN NUMERIC(16,4),
  KIMATU_KARIZAN NUMERIC(16,4),
  KIMATU_KASIZAN NUMERIC(16,4))
AS
  DECLARE VARIABLE WDATATYPE INTEGER;
  DECLARE VARIABLE WBUMON INTEGER;
  DECLARE VARIABLE WBUMEX INTEGER;
  DECLARE VARIABLE WBYDEPT INTEGER;
  DECLARE VARIABLE WDAC INTEGER;
  DECLARE VARIABLE WZAN NUMERIC(18,4);
  DECLARE VARIABLE WMOTO NUMERIC(18,4);
  DECLARE VARIABLE WKASI NUMERIC(18,4);
  DECLARE VARIABLE WKARI NUMERIC(18,4);
  DECLARE VARIABLE WDEBIT NUMERIC(18,4);
  DECLARE VARIABLE WCREDIT NUMERIC(18,4);
  DECLARE VARIABLE WKCODE VARCHAR(6) CHARACTER SET ASCII;
  DECLARE VARIABLE WMOTOCODE VARCHAR(6) CHARACTER SET ASCII;
  DECLARE VARIABLE WKASICODE VARCHAR(6) CHARACTER SET ASCII;
  DECLARE VARIABLE WKARICODE VARCHAR(6) CHARACTER SET ASCII;
BEGIN
  SELECT DATATYPE, BUMON FROM ACCDEF1 WHERE REC=1 INTO :WDATATYPE, :WBUMON;
  IF (WDATATYPE IS DISTINCT FROM 2) THEN EXIT;
  SELECT CODE FROM SYSKMKCODEINF('元入金') INTO :WMOTOCODE;
  SELECT CODE FROM SYSKMKCODEINF('事業主貸') INTO :WKASICODE;
  SELECT CODE FROM SYSKMKCODEINF('事業主借') INTO :WKARICODE;
  SELECT S.BUMEX FROM SISETUMST S WHERE S.SCODE=:SCODE INTO :WBUMEX;
  WBYDEPT = 0;
  IF (WBUMON = 2 AND WBUMEX = 1) THEN WBYDEPT = 1;
  FOR SELECT B.BCODE FROM BUMONMST B WHERE :WBYDEPT = 1
      UNION ALL
      SELECT CAST(' ' AS VARCHAR(6) CHARACTER SET ASCII) FROM RDB$DATABASE WHERE :WBYDEPT = 0
      ORDER BY 1
      INTO :BCODE DO
  BEGIN
    WMOTO = 0; WKASI = 0; WKARI = 0; WDEBIT = 0; WCREDIT = 0;
    FOR SELECT Z.KCODE, K.DAC, Z.KAISIZAN
          FROM KAMOKU_SZ Z
          JOIN SISETUMST S ON S.SCODE=Z.SCODE
          JOIN BUMONMST BM ON BM.BCODE=Z.BCODE
          JOIN KAMOKUMST K ON K.KCODE=Z.KCODE
          JOIN HOJOMST H ON H.KCODE=Z.KCODE AND H.HCODE=Z.HCODE
         WHERE Z.SCODE=:SCODE AND Z.BCODE=:BCODE AND K.BPFLG='B'
         ORDER BY K.GROUPM0, Z.KCODE, Z.HCODE
          INTO :WKCODE, :WDAC, :WZAN DO
    BEGIN
      WZAN = COALESCE(WZAN, 0);
      IF (WKCODE = WMOTOCODE) THEN WMOTO = WMOTO + WZAN;
      ELSE IF (WKCODE = WKASICODE) THEN WKASI = WKASI + WZAN;
      ELSE IF (WKCODE = WKARICODE) THEN WKARI = WKARI + WZAN;
      IF (WDAC = 1 OR WDAC = 4) THEN WDEBIT = WDEBIT + WZAN;
      ELSE IF (WDAC = 2 OR WDAC = 3) THEN WCREDIT = WCREDIT + WZAN;
    END
    MOTOIREZAN = WMOTO + (WDEBIT - WCREDIT) + WKARI - WKASI;
    UPDATE KAMOKU_SZ SET KAISIZAN=:MOTOIREZAN
     WHERE SCODE=:SCODE AND BCODE=:BCODE AND KCODE=:WMOTOCODE AND HCODE=' ';
    UPDATE KAMOKU_SZ SET KAISIZAN=0
     WHERE SCODE=:SCODE AND BCODE=:BCODE AND (KCODE=:WKASICODE OR KCODE=:WKARICODE);
    KIMATU_MOTOIREZAN = WMOTO;
    KIMATU_JIGYOKASIZAN = WKASI;
    KIMATU_JIGYOKARIZAN = WKARI;
    KIMATU_KARIZAN = WDEBIT;
    KIMATU_KASIZAN = WCREDIT;
    SUSPEND;
  END
END^
SET TERM ; ^)");
  using userprocs::TFixedForm;
  using userprocs::TListMember;
  const std::vector<std::vector<std::string>> blocks = {
      {userprocs::ZeigakuAddProcedure("ALTER"), userprocs::SisanhyoBumonProcedure(userprocs::kStep103, "ALTER")},
      {userprocs::SisanhyoBumonFormProcedure(TFixedForm::A4, userprocs::kStep103, "ALTER")},
      {userprocs::SisanhyoBumonFormProcedure(TFixedForm::A3, userprocs::kStep103, "ALTER")},
      {userprocs::JournalListProcedure(TListMember::MonitorListUp, userprocs::kStep103, "ALTER"),
       userprocs::JournalListProcedure(TListMember::MonitorListDown, userprocs::kStep103, "ALTER")},
  };
  for (const auto& block : blocks) {
    s.push_back("SET TERM ^ ;");
    s.insert(s.end(), block.begin(), block.end());
    s.push_back("SET TERM ; ^");
    s.push_back("COMMIT;");
  }
  userupdate::TStepBody body;
  body.Statements = std::move(s);
  return userupdate::RunStep({1, 0, 3}, body);
}
