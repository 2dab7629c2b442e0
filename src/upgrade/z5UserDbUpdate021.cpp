// Company step 0.2.1: repair of the past-year balances. The allocation rates of the two earlier
// years take those of the current year's slot; where departments are in use, the copies of the
// past-year balances kept on the rows without a department are cleared.
#include "upgrade/z5UserDbUpdate020.h"

int32_t ExecUserDbUpdate021() {
  userupdate::Lines s;
  userupdate::AddText(s, R"(SET TERM ^ ;
RECREATE PROCEDURE "ONE_TIME_PROC"
AS
  DECLARE VARIABLE dvRECCNT INTEGER;
  DECLARE VARIABLE dvSCODE VARCHAR(6);
  DECLARE VARIABLE dvKCODE VARCHAR(6);
  DECLARE VARIABLE dvHCODE VARCHAR(6);
  DECLARE VARIABLE dvBCODE VARCHAR(6);
  DECLARE VARIABLE dvMNUM INTEGER;
  DECLARE VARIABLE dvMNUM1 INTEGER;
  DECLARE VARIABLE dvMNUM2 INTEGER;
  DECLARE VARIABLE dvHAIBUN NUMERIC(16,4);
BEGIN
  FOR SELECT SCODE, KCODE, HCODE, BCODE, MNUM, HAIBUN FROM KAMOKU_PZ
      WHERE MNUM BETWEEN 1 AND 16
      ORDER BY SCODE, KCODE, HCODE, BCODE
      INTO :dvSCODE, :dvKCODE, :dvHCODE, :dvBCODE, :dvMNUM, :dvHAIBUN DO
  BEGIN
    dvMNUM1 = dvMNUM - 16;
    dvMNUM2 = dvMNUM - 32;
    UPDATE KAMOKU_PZ SET HAIBUN = :dvHAIBUN
      WHERE SCODE = :dvSCODE AND KCODE = :dvKCODE AND HCODE = :dvHCODE AND BCODE = :dvBCODE AND MNUM = :dvMNUM1;
    UPDATE KAMOKU_PZ SET HAIBUN = :dvHAIBUN
      WHERE SCODE = :dvSCODE AND KCODE = :dvKCODE AND HCODE = :dvHCODE AND BCODE = :dvBCODE AND MNUM = :dvMNUM2;
  END
  FOR SELECT SCODE, KCODE, HCODE, COUNT(*) FROM KAMOKU_VIEW
      WHERE BCODE <> ' '
      GROUP BY SCODE, KCODE, HCODE
      ORDER BY SCODE, KCODE, HCODE
      INTO :dvSCODE, :dvKCODE, :dvHCODE, :dvRECCNT DO
  BEGIN
    UPDATE KAMOKU_PZ SET NUKIZAN = 0, ZEIGAKU = 0
      WHERE SCODE = :dvSCODE AND KCODE = :dvKCODE AND HCODE = :dvHCODE AND BCODE = ' ' AND MNUM <= 0;
  END
  SUSPEND;
END^
SET TERM ; ^
EXECUTE PROCEDURE ONE_TIME_PROC;
Commit;
DROP PROCEDURE ONE_TIME_PROC;)");
  userupdate::TStepBody body;
  body.Statements = std::move(s);
  return userupdate::RunStep({0, 2, 1}, body);
}
