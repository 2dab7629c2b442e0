// Company step 1.0.0: the comparison item renamed, and the opening-balance trigger that keeps
// the past-year balance of the slot before the data's first month equal to the opening balance.
#include "upgrade/z5UserDbUpdate100.h"

namespace userupdate {

int32_t SlotBeforeStartMonth(int32_t kaisino) {
  // Months 1 to 12 of the fiscal year skip the closing slots 4, 8 and 12.
  static constexpr int32_t kSlots[] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14};
  return kaisino >= 1 && kaisino <= 12 ? kSlots[kaisino - 1] : 0;
}

}  // namespace userupdate

int32_t ExecUserDbUpdate100() {
  userupdate::Lines s = {
      "UPDATE VELKORAN_HIKAKU SET MEISHOU='一人当たり人件費' WHERE REC=31;",
      "COMMIT;",
      "SET TERM ^;",
      // CREATE OR ALTER: a database that never had the trigger gets it rather than an error.
      "CREATE OR ALTER TRIGGER KAMOKUSZ_AFTER_UPDATE FOR KAMOKU_SZ ACTIVE AFTER UPDATE POSITION 0\r\n"
      "AS\r\n"
      "  DECLARE VARIABLE WDATATYPE INTEGER;\r\n"
      "  DECLARE VARIABLE WKAISINO INTEGER;\r\n"
      "  DECLARE VARIABLE WCOUNT INTEGER;\r\n"
      "  DECLARE VARIABLE WWRITE INTEGER;\r\n"
      "  DECLARE VARIABLE WMNUM INTEGER;\r\n"
      "  DECLARE VARIABLE WZAN NUMERIC(18,4);\r\n"
      "  DECLARE VARIABLE WCODE1 VARCHAR(6) CHARACTER SET ASCII;\r\n"
      "  DECLARE VARIABLE WCODE2 VARCHAR(6) CHARACTER SET ASCII;\r\n"
      "  DECLARE VARIABLE WCODE3 VARCHAR(6) CHARACTER SET ASCII;\r\n"
      "BEGIN\r\n"
      "  IF (NEW.KAISIZAN <> OLD.KAISIZAN) THEN\r\n"
      "  BEGIN\r\n"
      "    SELECT DATATYPE, KAISINO FROM ACCDEF1 WHERE REC=1 INTO :WDATATYPE, :WKAISINO;\r\n"
      "    WWRITE = 0;\r\n"
      "    IF (WDATATYPE = 1) THEN\r\n"
      "    BEGIN\r\n"
      "      SELECT CODE FROM SYSKMKCODEINF('繰越利益剰余金') INTO :WCODE1;\r\n"
      "      IF (NEW.KCODE IS DISTINCT FROM WCODE1) THEN WWRITE = 1;\r\n"
      "    END\r\n"
      "    ELSE IF (WDATATYPE = 2) THEN\r\n"
      "    BEGIN\r\n"
      "      SELECT COUNT(*) FROM OPINF WHERE JOBNAME IN ('翌年度更新', '繰越残高調整') INTO :WCOUNT;\r\n"
      "      IF (WCOUNT > 0 OR WKAISINO = 1) THEN\r\n"
      "      BEGIN\r\n"
      "        SELECT CODE FROM SYSKMKCODEINF('元入金') INTO :WCODE1;\r\n"
      "        SELECT CODE FROM SYSKMKCODEINF('事業主貸') INTO :WCODE2;\r\n"
      "        SELECT CODE FROM SYSKMKCODEINF('事業主借') INTO :WCODE3;\r\n"
      "        IF (NEW.KCODE IS DISTINCT FROM WCODE1 AND NEW.KCODE IS DISTINCT FROM WCODE2 AND\r\n"
      "            NEW.KCODE IS DISTINCT FROM WCODE3) THEN WWRITE = 1;\r\n"
      "      END\r\n"
      "      ELSE\r\n"
      "        WWRITE = 1;\r\n"
      "    END\r\n"
      "    IF (WWRITE = 1) THEN\r\n"
      "    BEGIN\r\n"
      "      WMNUM = CASE WKAISINO WHEN 1 THEN 0 WHEN 2 THEN 1 WHEN 3 THEN 2 WHEN 4 THEN 4 WHEN 5 THEN 5\r\n"
      "                 WHEN 6 THEN 6 WHEN 7 THEN 8 WHEN 8 THEN 9 WHEN 9 THEN 10 WHEN 10 THEN 12\r\n"
      "                 WHEN 11 THEN 13 WHEN 12 THEN 14 END;\r\n"
      "      SELECT SUM(KAISIZAN) FROM KAMOKU_SZ\r\n"
      "       WHERE SCODE=NEW.SCODE AND KCODE=NEW.KCODE AND HCODE=NEW.HCODE AND BCODE=NEW.BCODE\r\n"
      "        INTO :WZAN;\r\n"
      "      UPDATE KAMOKU_PZ SET NUKIZAN=:WZAN\r\n"
      "       WHERE SCODE=NEW.SCODE AND KCODE=NEW.KCODE AND HCODE=NEW.HCODE AND BCODE=NEW.BCODE\r\n"
      "         AND MNUM=:WMNUM;\r\n"
      "    END\r\n"
      "  END\r\n"
      "END^",
      "SET TERM ;^",
  };
  userupdate::TStepBody body;
  body.Statements = std::move(s);
  return userupdate::RunStep({1, 0, 0}, body);
}
