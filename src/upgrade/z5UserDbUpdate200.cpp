// Company step 2.0.0: the data format of the year-10 edition. The budget of the management
// analysis with its variance thresholds, the new journal and ledger paging lists, the
// business-overview items and the repaired department keys of the dictionaries.
#include <initializer_list>
#include <string>

#include "data/uAccRecord.h"
#include "upgrade/z5UserDbUpdate100.h"
#include "upgrade/z5UserDbUpdateProcs.h"

namespace {

using userprocs::JournalListProcedure;
using userprocs::TListMember;

// One SET TERM block of journal paging lists in the version this step writes.
void AddListBlock(userupdate::Lines& s, std::initializer_list<TListMember> members) {
  s.push_back("SET TERM ^ ;");
  for (TListMember m : members) s.push_back(JournalListProcedure(m, userprocs::kStep200));
  s.push_back("SET TERM ; ^");
}

// The budget of the management analysis, the per-account thresholds that replace the old
// threshold columns (kept only on profit-and-loss accounts), the table of the five variance
// items, and the procedures that mark a journal entry deleted and map months to slots.
void AddBudgetBlock(userupdate::Lines& s) {
  userupdate::AddText(s, R"(ALTER TABLE KAMOKUMST ADD VELKORAN_YOJITU_RATE1 Currency ,ADD VELKORAN_YOJITU_KIND1 Integer DEFAULT 0,
ADD VELKORAN_YOJITU_RATE2 Currency ,ADD VELKORAN_YOJITU_KIND2 Integer DEFAULT 0;
UPDATE KAMOKUMST SET VELKORAN_YOJITU_RATE1=Velkoran_BadRate,VELKORAN_YOJITU_KIND1=Velkoran_BadKind,
VELKORAN_YOJITU_RATE2=Velkoran_GoodRate,VELKORAN_YOJITU_KIND2=Velkoran_GoodKind;
UPDATE KAMOKUMST SET VELKORAN_YOJITU_RATE1=NULL,VELKORAN_YOJITU_KIND1=NULL,
VELKORAN_YOJITU_RATE2=NULL,VELKORAN_YOJITU_KIND2=NULL
WHERE(GROUPM0<'4000') OR (GROUPM0>'7000');
ALTER TABLE KAMOKU_MS ADD RYOSAN Currency;
UPDATE KAMOKU_MS SET RYOSAN=0;
DROP TRIGGER ACCDEF1_BEFORE_UPDATE;
DROP TRIGGER SIWAKE_AFTER_DELETE;
RECREATE TABLE VELKORAN_YOJITUHENDOU (
  REC INTEGER NOT NULL,
  MEISHOU VARCHAR(14) CHARACTER SET SJIS_0208,
  RATE1 NUMERIC(16,4) DEFAULT 0,
  KIND1 INTEGER DEFAULT 0,
  RATE2 NUMERIC(16,4) DEFAULT 0,
  KIND2 INTEGER DEFAULT 1,
  PRIMARY KEY (REC));
INSERT INTO VELKORAN_YOJITUHENDOU VALUES(1,'売    上',0.95,0,1.05,1);
INSERT INTO VELKORAN_YOJITUHENDOU VALUES(2,'変 動 費',1.05,1,0.95,0);
INSERT INTO VELKORAN_YOJITUHENDOU VALUES(3,'限界利益',0.95,0,1.05,1);
INSERT INTO VELKORAN_YOJITUHENDOU VALUES(4,'固 定 費',1.05,1,0.95,0);
INSERT INTO VELKORAN_YOJITUHENDOU VALUES(5,'営業利益',0.95,0,1.05,1);
SET TERM ^ ;
ALTER PROCEDURE SP_SIWAKE_DEL (
  SWKREC INTEGER,
  OPCODE INTEGER)
RETURNS (
  RESULT INTEGER)
AS
BEGIN
  UPDATE SIWAKE SET DELFLG=1, LINKKEY='', LINKKUB=0, LINKREC=0, OPCODE=:OPCODE, RTIME='now'
   WHERE SWKREC=:SWKREC;
  RESULT = 0;
  SUSPEND;
END ^
RECREATE PROCEDURE SP_CONVERT_12TO16 (
  FNUM INTEGER)
RETURNS (
  TNUM INTEGER)
AS
BEGIN
  /* Every completed quarter adds its closing slot. */
  TNUM = FNUM;
  IF (FNUM BETWEEN 1 AND 12) THEN TNUM = FNUM + FNUM / 3;
END ^
SET TERM ; ^)");
  // TODO: SP_YOJITU_HENDOU_SONEKI belongs in the SET TERM block above.
}

// The business-overview items, and the dictionaries' credit-side department keys made to let
// go of a deleted department; names of departments already gone are cleared first so that the
// keys can be added.
void AddOverviewAndDictionaryBlock(userupdate::Lines& s, int32_t dataType) {
  userupdate::AddText(s, R"(RECREATE TABLE GAIKYOSYO_ITEM (
  FORMVER INTEGER NOT NULL,
  ID INTEGER NOT NULL,
  ITEMNO VARCHAR(4) CHARACTER SET ASCII DEFAULT '',
  KCODE VARCHAR(6) CHARACTER SET ASCII DEFAULT '',
  HCODE VARCHAR(6) CHARACTER SET ASCII DEFAULT '');
ALTER TABLE GAIKYOSYO_ITEM ADD CONSTRAINT GAIKYOSYO_ITEM_CO010 FOREIGN KEY (KCODE,HCODE)
REFERENCES HOJOMST (KCODE,HCODE) ON UPDATE CASCADE ON DELETE CASCADE;
UPDATE TEKDIC SET KAS_BCODE=NULL WHERE (KAS_BCODE NOT IN (SELECT BCODE FROM BUMONMST)) AND (KAS_BCODE IS NOT NULL);
UPDATE TORDIC SET KAS_BCODE=NULL WHERE (KAS_BCODE NOT IN (SELECT BCODE FROM BUMONMST)) AND (KAS_BCODE IS NOT NULL);
COMMIT;
ALTER TABLE TEKDIC DROP CONSTRAINT TEKDIC_KAS_BCODE;
ALTER TABLE TORDIC DROP CONSTRAINT TORDIC_KAS_BCODE;
ALTER TABLE TEKDIC ADD CONSTRAINT TEKDIC_KAS_BCODE FOREIGN KEY (KAS_BCODE)
REFERENCES BUMONMST (BCODE) ON UPDATE CASCADE ON DELETE SET NULL;
ALTER TABLE TORDIC ADD CONSTRAINT TORDIC_KAS_BCODE FOREIGN KEY (KAS_BCODE)
REFERENCES BUMONMST (BCODE) ON UPDATE CASCADE ON DELETE SET NULL;)");
  // An individual's fixed assets of the second account group post no transfer entry and
  // depreciate into 6202.
  if (dataType != 2) return;
  userupdate::AddText(s, R"(UPDATE KS_SETSWK_INIT SET GSKEIJYO=0
WHERE (ACCGROUP=2);
UPDATE KS_SETSWK_INIT SET SYOKYAKU1_KCODE='6202'
WHERE (ACCGROUP=2) AND (SYOKYAKU1_KCODE='6204');
Commit;)");
}

// The index labels of the business-partner dictionary, by SORTCODE 1 to 50 ("　" is left blank).
constexpr const char* kTorDicLabels[50] = {
    "あ", "か", "さ", "た", "な", "は", "ま", "や", "ら", "わ",    //
    "い", "き", "し", "ち", "に", "ひ", "み", "　", "り", "　",  //
    "う", "く", "す", "つ", "ぬ", "ふ", "む", "ゆ", "る", "　",    //
    "え", "け", "せ", "て", "ね", "へ", "め", "　", "れ", "　",  //
    "お", "こ", "そ", "と", "の", "ほ", "も", "よ", "ろ", "　",    //
};

// A new branch's dictionary index rows get their labels; after the table's own insert
// trigger, which makes the rows.
void AddBranchLabelTrigger(userupdate::Lines& s) {
  userupdate::AddText(s, R"(CREATE TRIGGER SISETUMST_AFTER_INSERT2 FOR SISETUMST
ACTIVE AFTER INSERT POSITION 2
AS
BEGIN)");
  for (int i = 0; i < 50; ++i) {
    s.push_back(std::string("  UPDATE TORDICTI SET TEXT='") + kTorDicLabels[i] + "' WHERE SCODE=NEW.SCODE AND SORTCODE=" +
                std::to_string(i + 1) + ";");
  }
  s.push_back("END ^");
}

// A general corporation's cash-flow statement gets its closing-balance line once.
void AddCashFlowRow(userupdate::Lines& s) {
  userupdate::AddText(s, R"(SET TERM ^ ;
CREATE PROCEDURE ONE_TIME_PROC
AS
  DECLARE VARIABLE WDATATYPE INTEGER;
  DECLARE VARIABLE WCODETYPE INTEGER;
BEGIN
  SELECT DATATYPE, CODETYPE FROM ACCDEF1 WHERE REC=1 INTO :WDATATYPE, :WCODETYPE;
  IF (WDATATYPE = 1 AND WCODETYPE = 1) THEN
  BEGIN
    IF (NOT EXISTS (SELECT 1 FROM CASHFMKU WHERE CM_REC=2 AND CF_KCODE='9999')) THEN
      INSERT INTO CASHFMKU (CF_REC, CM_REC, CF_CAL, CF_KCODE, CF_CTYPE) VALUES (1, 2, '+', '9999', 1);
  END
END ^
SET TERM ; ^
EXECUTE PROCEDURE ONE_TIME_PROC;
DROP PROCEDURE ONE_TIME_PROC;)");
}

// The carry-over balances' suspense-tax share: sixteen debit and credit slot totals plus the tax
// table of one branch, department and tax kind.
void AddKurikosiZeigakuAdd(userupdate::Lines& s) {
  auto slot = [](const char* prefix, int n) {
    return std::string(prefix) + (n < 10 ? "0" : "") + std::to_string(n);
  };
  s.push_back("RECREATE PROCEDURE SP_KURIKOSI_ZEIGAKU_ADD (");
  s.push_back("  PSISCODE VARCHAR(6) CHARACTER SET ASCII,");
  s.push_back("  PBUMCODE VARCHAR(6) CHARACTER SET ASCII,");
  s.push_back("  PTKCODE INTEGER,");
  for (const char* side : {"KAR", "KAS"}) {
    for (int n = 1; n <= 16; ++n) {
      const bool last = std::string(side) == "KAS" && n == 16;
      s.push_back("  " + slot(side, n) + " NUMERIC(16,4)" + (last ? ")" : ","));
    }
  }
  s.push_back("RETURNS (");
  for (const char* side : {"RKAR", "RKAS"}) {
    for (int n = 1; n <= 16; ++n) {
      const bool last = std::string(side) == "RKAS" && n == 16;
      s.push_back("  " + slot(side, n) + " NUMERIC(16,4)" + (last ? ")" : ","));
    }
  }
  userupdate::AddText(s, R"(AS
  DECLARE VARIABLE WMNUM INTEGER;
  DECLARE VARIABLE WKAR NUMERIC(18,4);
  DECLARE VARIABLE WKAS NUMERIC(18,4);
BEGIN)");
  for (const char* side : {"KAR", "KAS"}) {
    for (int n = 1; n <= 16; ++n) s.push_back("  R" + slot(side, n) + " = " + slot(side, n) + ";");
  }
  userupdate::AddText(s, R"(  FOR SELECT MNUM, COALESCE(SUM(KAR), 0), COALESCE(SUM(KAS), 0) FROM KAMOKU_TAX
       WHERE SCODE=:PSISCODE AND BCODE=:PBUMCODE AND KKUBUN=:PTKCODE AND MNUM BETWEEN 1 AND 16
       GROUP BY MNUM
        INTO :WMNUM, :WKAR, :WKAS DO
  BEGIN)");
  for (int n = 1; n <= 16; ++n) {
    s.push_back("    " + std::string(n == 1 ? "" : "ELSE ") + "IF (WMNUM = " + std::to_string(n) + ") THEN BEGIN " +
                slot("RKAR", n) + " = " + slot("RKAR", n) + " + WKAR; " + slot("RKAS", n) + " = " + slot("RKAS", n) +
                " + WKAS; END");
  }
  s.push_back("  END");
  s.push_back("  SUSPEND;");
  s.push_back("END ^");
}

}  // namespace

int32_t ExecUserDbUpdate200() {
  userupdate::Lines s;
  AddListBlock(s, {TListMember::MonitorListUp, TListMember::MonitorListDown, TListMember::MonitorListUpEntryOrder,
                   TListMember::MonitorListDownEntryOrder});
  AddListBlock(s, {TListMember::SiwakeListUp, TListMember::SiwakeListDown, TListMember::SiwakeListIn});
  AddListBlock(s, {TListMember::MotochoListUp, TListMember::MotochoListDown, TListMember::MotochoListIn});
  AddBudgetBlock(s);
  // TODO: SP_YOJITU_HENDOUSONEKI_BUMON.
  AddOverviewAndDictionaryBlock(s, AccInf.DATATYPE);
  // TODO: the fixed-form trial balances (SP_SISANHYO_A4/A3, _BUMON_A4, _BUMON_A3, _KESSAN).
  // TODO: SP_YOSAN_READ, SP_UPDATE_YOSANSUB and SP_UPDATE_YOSAN join the trigger's block.
  s.push_back("SET TERM ^ ;");
  AddBranchLabelTrigger(s);
  s.push_back("SET TERM ; ^");
  AddCashFlowRow(s);
  s.push_back("SET TERM ^ ;");
  AddKurikosiZeigakuAdd(s);
  // TODO: ALTER of SP_SETHOJOKAISIZAN, SP_KURIKOSIBUMONZANDAKA and SP_KURIKOSIZANDAKA in this
  // block. Until all blocks are written this builder is not in the step table.
  s.push_back("SET TERM ; ^");
  s.push_back("Commit;");
  userupdate::TStepBody body;
  body.Statements = std::move(s);
  return userupdate::RunStep({2, 0, 0}, body);
}
