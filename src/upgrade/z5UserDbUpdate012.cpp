// Company step 0.1.2: the procedures behind the bank reconciliation statement. Two return one
// page of an account's journal sides, read backwards or forwards from a cursor side; one
// computes the running balance up to a side or to the end of a month slot.
//
// In the position tests a closing-adjustment side, and the cursor when it is one, count one day
// later than their date: on the same day the closing sides come after the ordinary ones.
#include <iterator>
#include <string>

#include "upgrade/z5UserDbUpdate.h"

namespace {

struct TColumn {
  const char* name;
  const char* type;
};

constexpr const char* kCode = "VARCHAR(6) CHARACTER SET ASCII";
constexpr const char* kAmount = "NUMERIC(16,4)";

// The sides' columns as the two list procedures return them (after RECORDCNT), in order; all
// come from the journal view but RESERVE1 and RESERVE2, which are returned null.
constexpr TColumn kSideColumns[] = {
    {"REC", "INTEGER"},       {"SWKREC", "INTEGER"},    {"SWKNO", "INTEGER"},     {"DELFLG", "INTEGER"},
    {"TAISHAKU", "INTEGER"},  {"HIZUKE", "DATE"},       {"MNUM", "INTEGER"},      {"KESSAN", "INTEGER"},
    {"DNUM", "INTEGER"},      {"SNUM", "INTEGER"},      {"MDAYNUM", "INTEGER"},   {"SDAYNUM", "INTEGER"},
    {"SCODE", kCode},         {"KGROUP", kCode},        {"KCODE", kCode},         {"USERCODE", kCode},
    {"HCODE", kCode},         {"BCODE", kCode},         {"KNAME", "VARCHAR(14) CHARACTER SET SJIS_0208"},
    {"HNAME", "VARCHAR(14) CHARACTER SET SJIS_0208"},   {"BNAME", "VARCHAR(14) CHARACTER SET SJIS_0208"},
    {"TAXCODE", "INTEGER"},   {"TAXUH", "INTEGER"},     {"TAXDC", "INTEGER"},     {"NUK", kAmount},
    {"ZEI", kAmount},         {"RIT", kAmount},         {"SIKIN", "INTEGER"},     {"R_KGROUP", kCode},
    {"R_KCODE", kCode},       {"R_USERCODE", kCode},    {"R_HCODE", kCode},       {"R_BCODE", kCode},
    {"R_KNAME", "VARCHAR(56) CHARACTER SET SJIS_0208"}, {"R_HNAME", "VARCHAR(56) CHARACTER SET SJIS_0208"},
    {"R_BNAME", "VARCHAR(56) CHARACTER SET SJIS_0208"}, {"R_TAXCODE", "INTEGER"}, {"R_TAXUH", "INTEGER"},
    {"R_TAXDC", "INTEGER"},   {"R_NUK", kAmount},       {"R_ZEI", kAmount},       {"R_RIT", kAmount},
    {"R_SIKIN", "INTEGER"},   {"KINGAKU", kAmount},     {"ZEIGAKU", kAmount},     {"ZEIRITUNO", "INTEGER"},
    {"AUTCALCU", "INTEGER"},  {"TAXCALCU", "INTEGER"},  {"OLDRATE", "INTEGER"},   {"TEKCODE", "INTEGER"},
    {"TEKTEXT", "VARCHAR(50) CHARACTER SET SJIS_0208"}, {"TORCODE", "INTEGER"},
    {"TORTEXT", "VARCHAR(20) CHARACTER SET SJIS_0208"}, {"FUSEN1", "INTEGER"},    {"FUSEN2", "INTEGER"},
    {"FUSEN3", "INTEGER"},    {"FUSEN4", "INTEGER"},    {"FUSEN5", "INTEGER"},    {"CTIME", "TIMESTAMP"},
    {"COMMENT", "VARCHAR(50) CHARACTER SET SJIS_0208"}, {"AO_COMMENT", "VARCHAR(50) CHARACTER SET SJIS_0208"},
    {"LINKKEY", "VARCHAR(20) CHARACTER SET SJIS_0208"}, {"LINKKUB", "INTEGER"},   {"LINKREC", "INTEGER"},
    {"LOCALFLG", "INTEGER"},  {"RESERVE1", "INTEGER"},  {"RESERVE2", "INTEGER"},  {"RTIME", "TIMESTAMP"},
    {"OPCODE", "INTEGER"},
};

bool ReturnedNull(const std::string& name) { return name == "RESERVE1" || name == "RESERVE2"; }

// One list procedure. Backwards: the cursor is the end date and the sides come newest first;
// forwards: the cursor is the start date, the sides come oldest first and stay within the month
// slot, except those of the cursor's own day.
void AddListProcedure(userupdate::Lines& s, const char* name, bool backwards) {
  s.push_back(std::string("RECREATE PROCEDURE ") + name + " (");
  s.insert(s.end(), {
      "  PPROCTYPE INTEGER,",
      "  PSCODE VARCHAR(6) CHARACTER SET ASCII,",
      "  PKCODE VARCHAR(6) CHARACTER SET ASCII,",
      "  PHCODE VARCHAR(6) CHARACTER SET ASCII,",
      "  PBCODE VARCHAR(6) CHARACTER SET ASCII,",
      "  PMNUM INTEGER,",
      "  PKESSAN INTEGER,",
      "  PSHIZUKE DATE,",
      "  PEHIZUKE DATE,",
      "  PSWKNO INTEGER,",
      "  PTAISHAKU INTEGER,",
      "  PDELFLG INTEGER,",
      "  POFFSET INTEGER,",
      "  PLIMIT INTEGER)",
      "RETURNS (",
      "  RECORDCNT INTEGER,",
  });
  constexpr size_t n = std::size(kSideColumns);
  for (size_t i = 0; i < n; ++i) {
    s.push_back(std::string("  ") + kSideColumns[i].name + " " + kSideColumns[i].type + (i + 1 < n ? "," : ")"));
  }
  s.insert(s.end(), {
      "AS",
      "  DECLARE VARIABLE VSTART DATE;",
      "  DECLARE VARIABLE VEND DATE;",
      "  DECLARE VARIABLE VCURSOR DATE;",
      "  DECLARE VARIABLE VSIDEDATE DATE;",
      "  DECLARE VARIABLE VLIMIT INTEGER;",
      "  DECLARE VARIABLE VOFFSET INTEGER;",
      "  DECLARE VARIABLE VCOUNT INTEGER;",
      "  DECLARE VARIABLE VTAKE INTEGER;",
      "BEGIN",
      "  IF (PPROCTYPE IS NULL OR PPROCTYPE NOT IN (0, 1)) THEN EXIT;",
      "  VLIMIT = COALESCE(PLIMIT, 0);",
      "  IF (VLIMIT = 0) THEN VLIMIT = 50;",
      "  VOFFSET = COALESCE(POFFSET, 0);",
      "  VSTART = PSHIZUKE;",
      "  VEND = PEHIZUKE;",
      "  IF (VEND < VSTART) THEN",
      "    SELECT KISHU FROM ACCDEF1 WHERE REC = 1 INTO :VSTART;",
  });
  s.push_back(backwards ? "  VCURSOR = VEND;" : "  VCURSOR = VSTART;");
  s.insert(s.end(), {
      "  IF (PKESSAN = 1) THEN VCURSOR = VCURSOR + 1;",
      "  VCOUNT = 0;",
      "  FOR SELECT",
  });
  std::string columns, into;
  for (size_t i = 0; i < n; ++i) {
    const std::string c = kSideColumns[i].name;
    if (ReturnedNull(c)) continue;
    columns += (columns.empty() ? "    " : ", ") + c;
    into += (into.empty() ? "    :" : ", :") + c;
  }
  s.push_back(columns);
  s.insert(s.end(), {
      "    FROM SIWAKE_VIEW",
      "    WHERE KCODE = :PKCODE AND HIZUKE BETWEEN :VSTART AND :VEND AND DELFLG = :PDELFLG",
      "      AND (COALESCE(:PSCODE, '') = '' OR SCODE = :PSCODE)",
      "      AND (COALESCE(:PHCODE, '') = '' OR HCODE = :PHCODE)",
      "      AND (COALESCE(:PBCODE, '') = '' OR BCODE = :PBCODE)",
      "      AND (:PPROCTYPE = 0 OR FUSEN2 = 0)",
  });
  s.push_back(backwards ? "    ORDER BY HIZUKE DESC, KESSAN DESC, SDAYNUM DESC, SWKNO DESC, TAISHAKU DESC"
                        : "    ORDER BY HIZUKE, KESSAN, SDAYNUM, SWKNO, TAISHAKU");
  s.push_back("    INTO");
  s.push_back(into);
  s.insert(s.end(), {
      "  DO",
      "  BEGIN",
      "    VSIDEDATE = HIZUKE;",
      "    IF (KESSAN = 1) THEN VSIDEDATE = VSIDEDATE + 1;",
      "    VTAKE = 0;",
  });
  if (backwards) {
    s.insert(s.end(), {
        "    IF (VSIDEDATE < VCURSOR) THEN VTAKE = 1;",
        "    ELSE IF (VSIDEDATE = VCURSOR) THEN",
        "    BEGIN",
        "      IF (HIZUKE < VEND OR PSWKNO = 0 OR SWKNO < PSWKNO OR (SWKNO = PSWKNO AND TAISHAKU <= PTAISHAKU)) THEN",
        "        VTAKE = 1;",
        "    END",
    });
  } else {
    s.insert(s.end(), {
        "    IF (VSIDEDATE > VCURSOR) THEN",
        "    BEGIN",
        "      IF (MNUM <= PMNUM) THEN VTAKE = 1;",
        "    END",
        "    ELSE IF (VSIDEDATE = VCURSOR) THEN",
        "    BEGIN",
        "      IF (HIZUKE > VSTART OR PSWKNO = 0 OR SWKNO > PSWKNO OR (SWKNO = PSWKNO AND TAISHAKU >= PTAISHAKU)) THEN",
        "        VTAKE = 1;",
        "    END",
    });
  }
  s.insert(s.end(), {
      "    IF (VTAKE = 1) THEN",
      "    BEGIN",
      "      VCOUNT = VCOUNT + 1;",
      "      IF (VCOUNT > VOFFSET + VLIMIT) THEN EXIT;",
      "      IF (VCOUNT > VOFFSET) THEN",
      "      BEGIN",
      "        RECORDCNT = VCOUNT;",
      "        RESERVE1 = NULL;",
      "        RESERVE2 = NULL;",
      "        SUSPEND;",
      "      END",
      "    END",
      "  END",
      "END ^",
      "",
  });
}

// The running balance. The statement counts the balance the opposite way from the ledger, so
// every side goes to the balance procedure with its side reversed.
void AddBalanceProcedure(userupdate::Lines& s) {
  s.insert(s.end(), {
      "RECREATE PROCEDURE SP_TOUZACHOSEIHYO_ZENZAN (",
      "  PPROCTYPE INTEGER,",
      "  PCALCTYPE INTEGER,",
      "  PSCODE VARCHAR(6) CHARACTER SET ASCII,",
      "  PKCODE VARCHAR(6) CHARACTER SET ASCII,",
      "  PHCODE VARCHAR(6) CHARACTER SET ASCII,",
      "  PBCODE VARCHAR(6) CHARACTER SET ASCII,",
      "  PZEIKBN INTEGER,",
      "  PMNUM INTEGER,",
      "  PHIZUKE DATE,",
      "  PKESSAN INTEGER,",
      "  PDAC INTEGER,",
      "  PSWKREC INTEGER,",
      "  PTAISHAKU INTEGER,",
      "  PKIMATUZAN NUMERIC(16,4))",
      "RETURNS (",
      "  ZANDAKA NUMERIC(16,4))",
      "AS",
      "  DECLARE VARIABLE VSWKREC INTEGER;",
      "  DECLARE VARIABLE VTAISHAKU INTEGER;",
      "  DECLARE VARIABLE VSIDE INTEGER;",
      "  DECLARE VARIABLE VNUK NUMERIC(18,4);",
      "  DECLARE VARIABLE VZEI NUMERIC(18,4);",
      "  DECLARE VARIABLE VZAN NUMERIC(18,4);",
      "BEGIN",
      "  VZAN = PKIMATUZAN;",
      "  IF (PPROCTYPE IN (0, 1) AND PCALCTYPE IN (0, 1)) THEN",
      "  BEGIN",
      "    FOR SELECT SWKREC, TAISHAKU, NUK, ZEI",
      "      FROM SIWAKE",
      "      WHERE DELFLG = 0 AND KCODE = :PKCODE",
      "        AND (COALESCE(:PSCODE, '') = '' OR SCODE = :PSCODE)",
      "        AND (COALESCE(:PHCODE, '') = '' OR HCODE = :PHCODE)",
      "        AND (COALESCE(:PBCODE, '') = '' OR BCODE = :PBCODE)",
      "        AND (:PPROCTYPE = 0 OR FUSEN2 = 0)",
      "        AND ((:PCALCTYPE = 0 AND MNUM = :PMNUM AND HIZUKE <= :PHIZUKE) OR (:PCALCTYPE = 1 AND MNUM <= :PMNUM))",
      "      ORDER BY HIZUKE, KESSAN, SWKNO, TAISHAKU",
      "      INTO :VSWKREC, :VTAISHAKU, :VNUK, :VZEI",
      "    DO",
      "    BEGIN",
      "      IF (PCALCTYPE = 0 AND VSWKREC = PSWKREC AND VTAISHAKU = PTAISHAKU) THEN",
      "      BEGIN",
      "        ZANDAKA = VZAN;",
      "        SUSPEND;",
      "        EXIT;",
      "      END",
      "      VSIDE = VTAISHAKU;",
      "      IF (VTAISHAKU = 1) THEN VSIDE = 2;",
      "      ELSE IF (VTAISHAKU = 2) THEN VSIDE = 1;",
      "      EXECUTE PROCEDURE SP_GETZANDAKA(:PZEIKBN, :PDAC, :VSIDE, :VNUK, :VZEI, :VZAN) RETURNING_VALUES :VZAN;",
      "    END",
      "  END",
      "  ZANDAKA = VZAN;",
      "  SUSPEND;",
      "END ^",
      "",
  });
}

}  // namespace

int32_t ExecUserDbUpdate012() {
  userupdate::Lines s{"SET TERM ^ ;", ""};
  AddListProcedure(s, "SP_TOUZACHOSEIHYO_LISTUP", true);
  AddListProcedure(s, "SP_TOUZACHOSEIHYO_LISTDOWN", false);
  AddBalanceProcedure(s);
  s.insert(s.end(), {"SET TERM ; ^", "COMMIT;"});
  return userupdate::RunStep01(2, std::move(s));
}
