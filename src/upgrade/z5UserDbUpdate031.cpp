// Company step 0.3.1: the data set's identifier for data communication, the three-year
// comparison of a group of departments with summed past-year balances, and the past balance
// flag of the account rows kept current.
#include "upgrade/z5UserDbUpdate020.h"

namespace {

using userupdate::Lines;

// Past-year balances and budgets of the accounts of a group of departments, one row per
// account and sub-account. A slot's past-year balance is the sum over the group's
// departments; a slot without a row reads 0, never the previous row's value.
void AddGroupZandaka(Lines& s) {
  const std::string inGroup = "BCODE IN (SELECT BCODE FROM GROUPLIST WHERE GCODE = :PGCODE)";
  s.push_back("ALTER PROCEDURE SP_KANENDO_BUMON_GROUPZANDAKA " + userupdate::GroupZandakaSignature());
  userupdate::AddText(s, R"(AS
  DECLARE VARIABLE dvMNUM INTEGER;
  DECLARE VARIABLE dvVALUE NUMERIC(18,4);
BEGIN)");
  s.push_back("  FOR SELECT KCODE, USERCODE FROM KAMOKU_VIEW WHERE SCODE = :PSCODE AND " + inGroup);
  s.push_back("      GROUP BY KCODE, USERCODE ORDER BY KCODE INTO :KCODE, :USERCODE DO");
  s.push_back("  BEGIN");
  s.push_back("    FOR SELECT HCODE FROM KAMOKU_SZ WHERE SCODE = :PSCODE AND KCODE = :KCODE AND " + inGroup);
  s.push_back("        GROUP BY HCODE ORDER BY HCODE INTO :HCODE DO");
  s.push_back("    BEGIN");
  userupdate::AddSlotClear(s, "YOSAN", "0", "      ");
  userupdate::AddSlotClear(s, "ZAN", "0", "      ");
  s.push_back("      FOR SELECT MNUM, BYOSAN FROM KAMOKU_MS WHERE SCODE = :PSCODE AND KCODE = :KCODE AND HCODE = :HCODE");
  s.push_back("          AND " + inGroup + " AND MNUM < 16 INTO :dvMNUM, :dvVALUE DO");
  s.push_back("      BEGIN");
  userupdate::AddSlotAssignments(s, "YOSAN", "dvMNUM", "dvVALUE", "        ");
  s.push_back("      END");
  s.push_back("      FOR SELECT MNUM, SUM(NUKIZAN) FROM KAMOKU_PZ WHERE SCODE = :PSCODE AND KCODE = :KCODE AND "
              "HCODE = :HCODE");
  s.push_back("          AND " + inGroup + " AND MNUM < 16 GROUP BY MNUM ORDER BY MNUM INTO :dvMNUM, :dvVALUE DO");
  s.push_back("      BEGIN");
  userupdate::AddSlotAssignments(s, "ZAN", "dvMNUM", "dvVALUE", "        ");
  s.push_back("      END");
  userupdate::AddText(s, R"(      SUSPEND;
    END
  END
END^)");
}

}  // namespace

int32_t ExecUserDbUpdate031() {
  Lines s;
  userupdate::AddText(s, R"(ALTER TABLE ACCDEF1 ADD WEB_HOLDER VARCHAR(30) CHARACTER SET ASCII;
UPDATE ACCDEF1 SET WEB_HOLDER='';
COMMIT;
SET TERM ^ ;)");
  AddGroupZandaka(s);
  userupdate::AddText(s, R"(SET TERM ; ^
SET TERM ^ ;
ALTER TRIGGER KAMOKU_PZ_AFTER_UPDATE ACTIVE AFTER UPDATE POSITION 0
AS
  DECLARE VARIABLE KAKOZAN NUMERIC(16,4);
BEGIN
  IF (NEW.NUKIZAN IS DISTINCT FROM OLD.NUKIZAN) THEN
  BEGIN
    KAKOZAN = NULL;
    SELECT MAX(NUKIZAN) FROM KAMOKU_PZ
      WHERE SCODE = NEW.SCODE AND KCODE = NEW.KCODE AND HCODE = NEW.HCODE AND BCODE = NEW.BCODE
        AND NUKIZAN <> 0 AND MNUM <> -32
      INTO :KAKOZAN;
    UPDATE KAMOKU_SZ SET KAKOZAN = COALESCE(:KAKOZAN, 0)
      WHERE SCODE = NEW.SCODE AND KCODE = NEW.KCODE AND HCODE = NEW.HCODE AND BCODE = NEW.BCODE;
  END
END^
SET TERM ; ^)");
  userupdate::TStepBody body;
  body.Statements = std::move(s);
  return userupdate::RunStep({0, 3, 1}, body);
}
