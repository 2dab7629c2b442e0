// Company step 0.3.4: the code of a system account by its name always comes as one row with
// the lowest matching code, and the notes and bills accounts move to the quick-asset class of
// the trial balance.
#include "upgrade/z5UserDbUpdate020.h"

int32_t ExecUserDbUpdate034() {
  userupdate::Lines s;
  userupdate::AddText(s, R"(SET TERM ^ ;
ALTER PROCEDURE SYSKMKCODEINF (TXT VARCHAR(40) CHARACTER SET SJIS_0208)
RETURNS (CODE VARCHAR(6) CHARACTER SET ASCII)
AS
BEGIN
  CODE = '';
  FOR SELECT KCODE FROM ACCDEF2 WHERE KNAME = :TXT ORDER BY KCODE INTO :CODE DO
  BEGIN
    IF (CODE IS NULL) THEN CODE = '';
    SUSPEND;
    EXIT;
  END
  CODE = '';
  SUSPEND;
END^
SET TERM ; ^)");
  for (const char* kcode : {"1141", "1142", "1143", "1145", "1146", "1147"}) {
    s.push_back(std::string("UPDATE KAMOKUMST SET GROUPM2='1130' WHERE (KCODE='") + kcode + "');");
  }
  for (const char* table : {"EXTERA4", "EXTERA3"}) {
    for (int sub = 1; sub <= 6; ++sub) {
      s.push_back(std::string("UPDATE ") + table + " SET KGROUP='1130',SUBREC=" + std::to_string(sub) +
                  " WHERE (REC=" + std::to_string(sub + 6) + ");");
    }
  }
  s.push_back("COMMIT;");
  userupdate::TStepBody body;
  body.Statements = std::move(s);
  return userupdate::RunStep({0, 3, 4}, body);
}
