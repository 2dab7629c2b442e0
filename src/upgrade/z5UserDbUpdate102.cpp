// Company step 1.0.2: before its script, the past-year balance of the slot before the data's
// first month is evaluated against the opening balances and repaired; the script then repairs
// converted fixed assets, installs the journal re-totalling procedure and trims the system
// account names.
#include <string>
#include <vector>

#include "data/DataModule.h"
#include "data/uAccFunctionDb.h"
#include "data/uAccRecord.h"
#include "platform/Currency.h"
#include "platform/UiServices.h"
#include "platform/db/IBSQL.h"
#include "upgrade/z5UserDbUpdate100.h"
#include "upgrade/z5UserDbUpdateProcs.h"

namespace userupdate {

bool RepairKanendoZandaka() {
  TIBTransaction& tr = DM->IBTransactionDAT;
  try {
    if (!tr.InTransaction()) tr.StartTransaction();
    const bool fromFiscalStart = AccInf.KISHU == AccInf.KAISI;
    // An individual starting on the fiscal start carries no opening balance of the owner's
    // accounts into the past year: they are settled into the capital at the year's end.
    std::vector<std::string> ownerCodes;
    if (AccInf.DATATYPE == 2 && fromFiscalStart) {
      auto q = CreateAccSQL("ACCDAT", false);
      q->SQL = "SELECT KCODE FROM ACCDEF2 WHERE KNAME=:KNAME ";
      for (const char* name : {"事業主貸", "事業主借", "元入金"}) {
        q->ParamByName("KNAME").SetString(name);
        q->ExecQuery();
        if (!q->Eof()) ownerCodes.push_back(q->FieldByName("KCODE").AsString());
        q->Close();
      }
    }
    struct TRow {
      std::string scode, kcode, hcode, bcode;
      Currency kaisizan;
    };
    std::vector<TRow> rows;
    {
      auto q = CreateAccSQL("ACCDAT", false);
      q->SQL = "SELECT * FROM KAMOKU_SZ SZ INNER JOIN KAMOKUMST K ON (SZ.KCODE=K.KCODE) ";
      q->ExecQuery();
      while (!q->Eof()) {
        const bool balanceSheet = q->FieldByName("BPFLG").AsString() == "B";
        const std::string kcode = q->FieldByName("KCODE").AsString();
        bool skip = false;
        if (fromFiscalStart && !balanceSheet) skip = true;
        if (fromFiscalStart && balanceSheet && AccInf.DATATYPE == 2) {
          for (const std::string& c : ownerCodes) skip = skip || c == kcode;
        }
        if (!skip) {
          rows.push_back({q->FieldByName("SCODE").AsString(), kcode, q->FieldByName("HCODE").AsString(),
                          q->FieldByName("BCODE").AsString(), q->FieldByName("KAISIZAN").AsCurrency()});
        }
        q->Next();
      }
      q->Close();
    }
    const int32_t slot = fromFiscalStart ? 0 : SlotBeforeStartMonth(AccInf.KAISINO);
    auto u = CreateAccSQL("ACCDAT", false);
    u->SQL = "UPDATE KAMOKU_PZ SET NUKIZAN=:NUKIZAN WHERE SCODE=:SCODE and KCODE=:KCODE and HCODE=:HCODE and "
             "BCODE=:BCODE and MNUM=:MNUM";
    for (const TRow& r : rows) {
      u->ParamByName("NUKIZAN").SetCurrency(r.kaisizan);
      u->ParamByName("SCODE").SetString(r.scode);
      u->ParamByName("KCODE").SetString(r.kcode);
      u->ParamByName("HCODE").SetString(r.hcode);
      u->ParamByName("BCODE").SetString(r.bcode);
      u->ParamByName("MNUM").SetInteger(slot);
      u->ExecQuery();
    }
    tr.Commit();
    return true;
  } catch (const std::exception&) {
    if (tr.InTransaction()) tr.Rollback();
    uis::ShowMessage(uis::MsgKind::Error,
                     "Ver " + TDbVersion{1, 0, 2}.Text() + "のデータベース更新に失敗しました。(過年度残高の評価と修復)");
    return false;
  }
}

}  // namespace userupdate

namespace {

constexpr const char* kOneTimeProc = R"(SET TERM ^ ;
RECREATE PROCEDURE ONE_TIME_PROC
AS
  DECLARE VARIABLE WCONVERT INTEGER;
  DECLARE VARIABLE WREC INTEGER;
  DECLARE VARIABLE WGROUP VARCHAR(6) CHARACTER SET ASCII;
  DECLARE VARIABLE WDEFK VARCHAR(6) CHARACTER SET ASCII;
  DECLARE VARIABLE WDEFH VARCHAR(6) CHARACTER SET ASCII;
BEGIN
  SELECT CONVERT FROM ACCDEF1 WHERE REC=1 INTO :WCONVERT;
  IF (WCONVERT IS DISTINCT FROM 1) THEN EXIT;
  SELECT MIN(SZ.KCODE) FROM KAMOKU_SZ SZ JOIN KAMOKUMST K ON K.KCODE=SZ.KCODE
   WHERE K.GROUPM0 BETWEEN '1400' AND '1800' INTO :WDEFK;
  WDEFH = ' ';
  IF (EXISTS (SELECT 1 FROM KAMOKUMST WHERE KCODE=:WDEFK AND HOJOSW='○')) THEN
    SELECT FIRST 1 HCODE FROM KAMOKU_SZ WHERE KCODE=:WDEFK AND HCODE<>' ' ORDER BY HCODE INTO :WDEFH;
  FOR SELECT S.REC, K.GROUPM0 FROM KS_SISAN S LEFT JOIN KAMOKUMST K ON K.KCODE=S.KCODE
    INTO :WREC, :WGROUP DO
  BEGIN
    IF (WGROUP BETWEEN '1400' AND '1800') THEN
      UPDATE KS_SISAN SET ISINPSYUTOKIN=1 WHERE REC=:WREC;
    ELSE IF (WDEFK IS NOT NULL) THEN
      UPDATE KS_SISAN SET KCODE=:WDEFK, HCODE=:WDEFH, ISINPSYUTOKIN=1 WHERE REC=:WREC;
    ELSE
      -- Without any fixed-asset account there is nothing to move the asset to: keep its account.
      UPDATE KS_SISAN SET ISINPSYUTOKIN=1 WHERE REC=:WREC;
  END
END^
SET TERM ; ^
EXECUTE PROCEDURE ONE_TIME_PROC;
Commit;
DROP PROCEDURE ONE_TIME_PROC;)";

}  // namespace

namespace userupdate {

const char* SiwakeRepairProcedure() {
  return R"(CREATE OR ALTER PROCEDURE SP_SIWAKE_REPAIR
RETURNS (RPCNT INTEGER)
AS
  DECLARE VARIABLE WSCODE VARCHAR(6) CHARACTER SET ASCII;
  DECLARE VARIABLE WKCODE VARCHAR(6) CHARACTER SET ASCII;
  DECLARE VARIABLE WHCODE VARCHAR(6) CHARACTER SET ASCII;
  DECLARE VARIABLE WBCODE VARCHAR(6) CHARACTER SET ASCII;
  DECLARE VARIABLE WTAXBCODE VARCHAR(6) CHARACTER SET ASCII;
  DECLARE VARIABLE WMNUM INTEGER;
  DECLARE VARIABLE WSLOT INTEGER;
  DECLARE VARIABLE WTAISHAKU INTEGER;
  DECLARE VARIABLE WTAXUH INTEGER;
  DECLARE VARIABLE WBUMON INTEGER;
  DECLARE VARIABLE WCOUNT INTEGER;
  DECLARE VARIABLE WNUK NUMERIC(18,4);
  DECLARE VARIABLE WZEI NUMERIC(18,4);
BEGIN
  RPCNT = 0;
  INSERT INTO HOJOMST (KCODE, HCODE, HNAME, TAX_LCODE, TAX_RCODE, BPFLG)
    SELECT K.KCODE, ' ', '', K.TAX_LCODE, K.TAX_RCODE, K.BPFLG FROM KAMOKUMST K
     WHERE NOT EXISTS (SELECT 1 FROM HOJOMST H WHERE H.KCODE=K.KCODE AND H.HCODE=' ');

  FOR SELECT DISTINCT SCODE, KCODE, BCODE FROM KAMOKU_SZ INTO :WSCODE, :WKCODE, :WBCODE DO
  BEGIN
    IF (NOT EXISTS (SELECT 1 FROM KAMOKU_SZ WHERE SCODE=:WSCODE AND KCODE=:WKCODE AND BCODE=:WBCODE
                    AND HCODE=' ')) THEN
    BEGIN
      DELETE FROM KAMOKU_MS WHERE SCODE=:WSCODE AND KCODE=:WKCODE AND BCODE=:WBCODE AND HCODE=' ';
      DELETE FROM KAMOKU_PZ WHERE SCODE=:WSCODE AND KCODE=:WKCODE AND BCODE=:WBCODE;
      INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE) VALUES (:WSCODE, :WKCODE, ' ', :WBCODE);
    END
    ELSE
    BEGIN
      WSLOT = 1;
      WHILE (WSLOT <= 16) DO
      BEGIN
        IF (NOT EXISTS (SELECT 1 FROM KAMOKU_MS WHERE SCODE=:WSCODE AND KCODE=:WKCODE AND BCODE=:WBCODE
                        AND HCODE=' ' AND MNUM=:WSLOT)) THEN
          INSERT INTO KAMOKU_MS (SCODE, BCODE, KCODE, HCODE, MNUM) VALUES (:WSCODE, :WBCODE, :WKCODE, ' ', :WSLOT);
        WSLOT = WSLOT + 1;
      END
      WSLOT = -31;
      WHILE (WSLOT <= 16) DO
      BEGIN
        IF (NOT EXISTS (SELECT 1 FROM KAMOKU_PZ WHERE SCODE=:WSCODE AND KCODE=:WKCODE AND BCODE=:WBCODE
                        AND HCODE=' ' AND MNUM=:WSLOT)) THEN
          INSERT INTO KAMOKU_PZ (SCODE, KCODE, HCODE, BCODE, MNUM) VALUES (:WSCODE, :WKCODE, ' ', :WBCODE, :WSLOT);
        WSLOT = WSLOT + 1;
      END
    END
  END

  UPDATE TEKDIC SET KAR_KCODE=NULL WHERE KAR_KCODE='';
  UPDATE TEKDIC SET KAR_HCODE=NULL WHERE KAR_HCODE='';
  UPDATE TEKDIC SET KAR_BCODE=NULL WHERE KAR_BCODE='';
  UPDATE TEKDIC SET KAS_KCODE=NULL WHERE KAS_KCODE='';
  UPDATE TEKDIC SET KAS_HCODE=NULL WHERE KAS_HCODE='';
  UPDATE TEKDIC SET KAS_BCODE=NULL WHERE KAS_BCODE='';
  UPDATE TORDIC SET KAR_KCODE=NULL WHERE KAR_KCODE='';
  UPDATE TORDIC SET KAR_HCODE=NULL WHERE KAR_HCODE='';
  UPDATE TORDIC SET KAR_BCODE=NULL WHERE KAR_BCODE='';
  UPDATE TORDIC SET KAS_KCODE=NULL WHERE KAS_KCODE='';
  UPDATE TORDIC SET KAS_HCODE=NULL WHERE KAS_HCODE='';
  UPDATE TORDIC SET KAS_BCODE=NULL WHERE KAS_BCODE='';
  UPDATE TORDIC SET TEKCODE=NULL;
  EXECUTE PROCEDURE SP_SEIGO_TEKDIC;
  EXECUTE PROCEDURE SP_SEIGO_TORDIC;

  UPDATE KAMOKU_MS SET KAR_NUK=0, KAR_TAX=0, KAS_NUK=0, KAS_TAX=0;
  UPDATE KAMOKU_TAX SET KAR=0, KAS=0;
  SELECT BUMON FROM ACCDEF1 WHERE REC=1 INTO :WBUMON;
  FOR SELECT TAISHAKU, SCODE, KCODE, HCODE, BCODE, MNUM, TAXUH, NUK, ZEI FROM SIWAKE WHERE DELFLG=0
    INTO :WTAISHAKU, :WSCODE, :WKCODE, :WHCODE, :WBCODE, :WMNUM, :WTAXUH, :WNUK, :WZEI DO
  BEGIN
    RPCNT = RPCNT + 1;
    WTAXBCODE = WBCODE;
    IF (WBUMON IS DISTINCT FROM 2) THEN WTAXBCODE = ' ';
    IF (WTAISHAKU = 1) THEN
    BEGIN
      UPDATE KAMOKU_MS SET KAR_NUK=KAR_NUK+:WNUK, KAR_TAX=KAR_TAX+:WZEI
       WHERE SCODE=:WSCODE AND BCODE=:WBCODE AND KCODE=:WKCODE AND HCODE=:WHCODE AND MNUM=:WMNUM;
      UPDATE KAMOKU_TAX SET KAR=KAR+:WZEI
       WHERE SCODE=:WSCODE AND BCODE=:WTAXBCODE AND KKUBUN=:WTAXUH AND MNUM=:WMNUM;
    END
    ELSE IF (WTAISHAKU = 2) THEN
    BEGIN
      UPDATE KAMOKU_MS SET KAS_NUK=KAS_NUK+:WNUK, KAS_TAX=KAS_TAX+:WZEI
       WHERE SCODE=:WSCODE AND BCODE=:WBCODE AND KCODE=:WKCODE AND HCODE=:WHCODE AND MNUM=:WMNUM;
      UPDATE KAMOKU_TAX SET KAS=KAS+:WZEI
       WHERE SCODE=:WSCODE AND BCODE=:WTAXBCODE AND KKUBUN=:WTAXUH AND MNUM=:WMNUM;
    END
  END

  FOR SELECT SCODE FROM SISETUMST ORDER BY SCODE INTO :WSCODE DO
  BEGIN
    SELECT COUNT(*) FROM SIWAKE WHERE SCODE=:WSCODE AND DELFLG=0 AND TAISHAKU=1 INTO :WCOUNT;
    UPDATE SISETUMST SET SIWAKECOUNT=:WCOUNT WHERE SCODE=:WSCODE;
  END
  SUSPEND;
END^)";
}

}  // namespace userupdate

int32_t ExecUserDbUpdate102() {
  bool repaired = false;
  if (DM && DM->fnAccDatConnected(SystemDef.HostName, SystemDef.DataDir, false)) {
    try {
      repaired = userupdate::RepairKanendoZandaka();
    } catch (...) {
      DM->AccDatDisconnect(SystemDef.DataDir, false, false);
      throw;
    }
  }
  if (DM) DM->AccDatDisconnect(SystemDef.DataDir, false, false);
  if (!repaired) return kStepIsqlError;

  userupdate::Lines s;
  userupdate::AddText(s, kOneTimeProc);
  s.push_back("SET TERM ^ ;");
  s.push_back(userupdate::SiwakeRepairProcedure());
  s.push_back("SET TERM ; ^");
  s.insert(s.end(), {"DELETE FROM ACCDEF2",
                     "WHERE KNAME NOT IN ('現金','仮受消費税','仮払消費税','繰越利益剰余金','諸口','事業主借','事業主貸',"
                     "'元入金','諸口');",
                     "Commit;"});
  s.push_back("SET TERM ^ ;");
  s.push_back(userprocs::SisanhyoBumonProcedure(userprocs::kStep102, "RECREATE"));
  s.push_back("SET TERM ; ^");
  s.push_back("COMMIT;");
  userupdate::TStepBody body;
  body.Statements = std::move(s);
  return userupdate::RunStep({1, 0, 2}, body);
}
