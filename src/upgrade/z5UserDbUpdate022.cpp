// Company step 0.2.2: the account master's own group column, by which the balance, budget and
// analysis procedures group accounts from then on, and the view of the account rows with it.
// A database that already has the column gets the version alone.
#include "upgrade/z5UserDbUpdate020.h"

namespace {

using userupdate::Lines;

void AddGroupM0Block(Lines& s) {
  userupdate::AddText(s, R"(ALTER TABLE KAMOKUMST ADD GROUPM0 AC_CODE;
UPDATE KAMOKUMST SET GROUPM0=GROUPM1;
DROP VIEW KAMOKU_VIEW;
COMMIT;
RECREATE VIEW KAMOKU_VIEW (SCODE, SNAME, GROUPM0, GROUPM1, GROUPM2, KCODE, USERCODE, KNAME, DAC, BCODE, BNAME,
  BPFLG, HCODE, HNAME, KAISIZAN) AS
SELECT Z.SCODE, S.SNAME, K.GROUPM0, K.GROUPM1, K.GROUPM2, Z.KCODE, K.USERCODE, K.KNAME, K.DAC, Z.BCODE, B.BNAME,
  K.BPFLG, Z.HCODE, H.HNAME, Z.KAISIZAN
FROM KAMOKU_SZ Z
JOIN SISETUMST S ON S.SCODE = Z.SCODE
JOIN BUMONMST B ON B.BCODE = Z.BCODE
JOIN KAMOKUMST K ON K.KCODE = Z.KCODE
JOIN HOJOMST H ON H.KCODE = Z.KCODE AND H.HCODE = Z.HCODE;
COMMIT;)");
}

}  // namespace

int32_t ExecUserDbUpdate022() {
  Lines s;
  if (!userupdate::ColumnExists("KAMOKUMST", "GROUPM0")) AddGroupM0Block(s);
  userupdate::TStepBody body;
  body.Statements = std::move(s);
  return userupdate::RunStep({0, 2, 2}, body);
}
