// Company step 2.0.0: the data format of the year-10 edition. The budget of the management
// analysis with its variance thresholds, the new journal and ledger paging lists, the
// business-overview items and the repaired department keys of the dictionaries.
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "data/uAccRecord.h"
#include "upgrade/z5UserDbUpdate100.h"
#include "upgrade/z5UserDbUpdateProcs.h"

namespace {

using userprocs::JournalListProcedure;
using userprocs::TListMember;

// ------------------------------------------------------------------ shared pieces of the texts

constexpr const char* kCode = "VARCHAR(6) CHARACTER SET ASCII";
constexpr const char* kMoney = "NUMERIC(16,4)";
// Sums and shares are gathered wider than the stored amounts so that a rate times a large
// amount cannot overflow.
constexpr const char* kWork = "NUMERIC(18,4)";

std::string Two(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

// "KAR01, KAR02, ..." with each name written as before + prefix + nn + after.
std::string Slots(const std::string& prefix, int first, int last, const std::string& before = "",
                  const std::string& after = "") {
  std::string out;
  for (int n = first; n <= last; ++n) out += (out.empty() ? "" : ", ") + before + prefix + Two(n) + after;
  return out;
}

// One statement per slot, four to a line.
void AddEachSlot(userupdate::Lines& s, const std::string& in, int first, int last,
                 const std::function<std::string(int)>& statement) {
  std::string line;
  for (int n = first; n <= last; ++n) {
    line += (line.empty() ? in : " ") + statement(n);
    if ((n - first) % 4 == 3 || n == last) {
      s.push_back(line);
      line.clear();
    }
  }
}

// "IF (var = 1) THEN ... ELSE IF (var = 2) ..." over the sixteen slots.
void AddBySlot(userupdate::Lines& s, const std::string& in, const std::string& var,
               const std::function<std::string(int)>& statement) {
  for (int n = 1; n <= 16; ++n)
    s.push_back(in + (n == 1 ? "" : "ELSE ") + "IF (" + var + " = " + std::to_string(n) + ") THEN BEGIN " +
                statement(n) + " END");
}

// A slot amount of KAMOKU_MS row `m`: net, plus its tax when PTAX is 0.
std::string Amount(const std::string& m, const std::string& side) {
  return "COALESCE(" + m + "." + side + "_NUK, 0) + CASE WHEN :PTAX = 0 THEN COALESCE(" + m + "." + side +
         "_TAX, 0) ELSE 0 END";
}

// The sixteen debit, credit and (optionally) budget totals of the KAMOKU_MS rows M that
// `where` selects, into the variables of the given prefixes.
void AddSlotSums(userupdate::Lines& s, const std::string& in, const std::string& where, const std::string& kar,
                 const std::string& kas, const std::string& budget = "", const std::string& budgetColumn = "") {
  s.push_back(in + "SELECT");
  std::vector<std::pair<std::string, std::string>> parts = {{kar, Amount("M", "KAR")}, {kas, Amount("M", "KAS")}};
  if (!budget.empty()) parts.push_back({budget, "COALESCE(M." + budgetColumn + ", 0)"});
  for (size_t p = 0; p < parts.size(); ++p)
    for (int n = 1; n <= 16; ++n)
      s.push_back(in + "    COALESCE(SUM(CASE WHEN M.MNUM = " + std::to_string(n) + " THEN " + parts[p].second +
                  " ELSE 0 END), 0)" + (p + 1 == parts.size() && n == 16 ? "" : ","));
  s.push_back(in + "  FROM KAMOKU_MS M WHERE " + where);
  std::string into = Slots(kar, 1, 16, ":") + ", " + Slots(kas, 1, 16, ":");
  if (!budget.empty()) into += ", " + Slots(budget, 1, 16, ":");
  s.push_back(in + "  INTO " + into + ";");
}

void AddParameters(userupdate::Lines& s, const std::vector<std::pair<std::string, std::string>>& list) {
  for (size_t i = 0; i < list.size(); ++i)
    s.push_back("  " + list[i].first + " " + list[i].second + (i + 1 < list.size() ? "," : ")"));
}

void AddSlotParameters(std::vector<std::pair<std::string, std::string>>& list, const std::string& prefix, int last) {
  for (int n = 1; n <= last; ++n) list.push_back({prefix + Two(n), kMoney});
}

void AddDeclare(userupdate::Lines& s, const std::vector<std::string>& names, const std::string& type) {
  for (const std::string& n : names) s.push_back("  DECLARE VARIABLE " + n + " " + type + ";");
}

std::vector<std::string> SlotNames(const std::string& prefix) {
  std::vector<std::string> out;
  for (int n = 1; n <= 16; ++n) out.push_back(prefix + Two(n));
  return out;
}

std::string Joined(const userupdate::Lines& lines) {
  std::string out;
  for (const std::string& l : lines) out += (out.empty() ? "" : "\n") + l;
  return out;
}

// The rate of slot `var` among H01 .. H16.
std::string RateOfSlot(const std::string& var) {
  std::string out = "CASE " + var;
  for (int n = 1; n <= 16; ++n) out += " WHEN " + std::to_string(n) + " THEN H" + Two(n);
  return out + " ELSE 0 END";
}

// ------------------------------------------------------------------ budget/actual variance

// Mid-year data: the slots before the first month of the data hold no journal totals, so they
// are taken from the past-year balances, each slot the change of the balance since the slot
// before it, on the side of the account's nature. `where` selects the KAMOKU_PZ rows P; with
// `shared` the balance is first allocated like the department's amounts (VOWN for the
// department's own, VCOM for the common department's).
void AddPastYearSlots(userupdate::Lines& s, const std::string& in, const std::string& where, bool shared) {
  AddEachSlot(s, in, 1, 16, [](int n) {
    return "IF (WPAST >= " + std::to_string(n) + ") THEN BEGIN KAR" + Two(n) + " = 0; KAS" + Two(n) + " = 0; END";
  });
  s.push_back(in + "WPREV = 0;");
  if (shared) {
    s.push_back(in + "FOR SELECT P.MNUM, COALESCE(SUM(CASE WHEN P.BCODE = :PBCODE THEN P.NUKIZAN ELSE 0 END), 0),");
    s.push_back(in + "    COALESCE(SUM(CASE WHEN P.BCODE = '00' THEN P.NUKIZAN ELSE 0 END), 0)");
  } else {
    s.push_back(in + "FOR SELECT P.MNUM, COALESCE(SUM(P.NUKIZAN), 0), 0");
  }
  s.push_back(in + "  FROM KAMOKU_PZ P WHERE " + where + " AND P.MNUM BETWEEN 1 AND :WPAST");
  s.push_back(in + "  GROUP BY P.MNUM ORDER BY P.MNUM");
  s.push_back(in + "  INTO :WMNUM, :VOWN, :VCOM");
  s.push_back(in + "DO");
  s.push_back(in + "BEGIN");
  if (shared) {
    s.push_back(in + "  WRATE = " + RateOfSlot("WMNUM") + ";");
    s.push_back(in + "  IF (PHIBUN = 1 AND PBCODE = '00') THEN VOWN = FLOOR(0.5 + VOWN * WRATE);");
    s.push_back(in + "  ELSE IF (PHIBUN = 1) THEN VOWN = VOWN + FLOOR(0.5 + VCOM * WRATE);");
  }
  s.push_back(in + "  WDIFF = VOWN - WPREV;");
  s.push_back(in + "  WPREV = VOWN;");
  s.push_back(in + "  IF (TAISHAKU = 1 OR TAISHAKU = 4) THEN");
  AddBySlot(s, in + "    ", "WMNUM", [](int n) { return "KAR" + Two(n) + " = WDIFF; KAS" + Two(n) + " = 0;"; });
  s.push_back(in + "  ELSE");
  AddBySlot(s, in + "    ", "WMNUM", [](int n) { return "KAR" + Two(n) + " = 0; KAS" + Two(n) + " = WDIFF;"; });
  s.push_back(in + "END");
}

// The common department's allocation of the amounts just read: "00" keeps its rated part, any
// other department adds its rated share of the common department's amounts (read into C*).
void AddAllocation(userupdate::Lines& s, const std::string& in, const std::string& where, bool accountRow) {
  s.push_back(in + "IF (PHIBUN = 1 AND PBCODE = '00') THEN");
  s.push_back(in + "BEGIN");
  AddEachSlot(s, in + "  ", 1, 16, [](int n) {
    const std::string t = Two(n);
    return "KAR" + t + " = FLOOR(0.5 + KAR" + t + " * H" + t + "); KAS" + t + " = FLOOR(0.5 + KAS" + t + " * H" + t +
           "); YOSAN" + t + " = FLOOR(0.5 + YOSAN" + t + " * H" + t + ");";
  });
  s.push_back(in + "END");
  s.push_back(in + "ELSE IF (PHIBUN = 1) THEN");
  s.push_back(in + "BEGIN");
  AddSlotSums(s, in + "  ", where, "CKAR", "CKAS", "CYOSAN", "RYOSAN");
  AddEachSlot(s, in + "  ", 1, 16, [accountRow](int n) {
    const std::string t = Two(n);
    std::string out = "KAR" + t + " = KAR" + t + " + FLOOR(0.5 + CKAR" + t + " * H" + t + "); KAS" + t + " = KAS" + t +
                      " + FLOOR(0.5 + CKAS" + t + " * H" + t + ");";
    // The account row's slot-16 budget stays the department's own.
    if (!(accountRow && n == 16)) out += " YOSAN" + t + " = YOSAN" + t + " + FLOOR(0.5 + CYOSAN" + t + " * H" + t + ");";
    return out;
  });
  s.push_back(in + "END");
}

// Any of the 32 amounts not 0. Equal debits and credits are real postings, so the row is left
// out only when every amount is 0.
std::string AnyAmount() {
  std::string out;
  for (const char* side : {"KAR", "KAS"})
    for (int n = 1; n <= 16; ++n) out += std::string(out.empty() ? "" : " OR ") + side + Two(n) + " <> 0";
  return out;
}

// The budget/actual variable-cost profit and loss of the management analysis: over the
// branches that PSCODE and PSGROUP let through, or (`department`) one department of one branch
// with the common department's allocation.
std::string YojituProcedure(bool department) {
  userupdate::Lines s;
  s.push_back(std::string("RECREATE PROCEDURE ") +
              (department ? "SP_YOJITU_HENDOUSONEKI_BUMON (" : "SP_YOJITU_HENDOU_SONEKI ("));
  if (department)
    AddParameters(s, {{"PTAX", "INTEGER"}, {"PHIBUN", "INTEGER"}, {"PSCODE", kCode}, {"PBCODE", kCode}});
  else
    AddParameters(s, {{"PTAX", "INTEGER"}, {"PSCODE", kCode}, {"PSGROUP", kCode}});
  s.push_back("RETURNS (");
  std::vector<std::pair<std::string, std::string>> out = {
      {"GROUPM0", kCode},      {"USERCODE", kCode},   {"KCODE", kCode},    {"KNAME", "VARCHAR(14)"},
      {"KEIHKUBU", "VARCHAR(4)"}, {"HOJCNT", "INTEGER"}, {"HCODE", kCode},    {"HNAME", "VARCHAR(14)"},
      {"TAISHAKU", "INTEGER"}, {"BRATE", kMoney},     {"BKIND", "INTEGER"}, {"GRATE", kMoney},
      {"GKIND", "INTEGER"}};
  AddSlotParameters(out, "KAR", 16);
  AddSlotParameters(out, "KAS", 16);
  AddSlotParameters(out, "YOSAN", 16);
  AddParameters(s, out);
  s.push_back("AS");
  AddDeclare(s, {"WKAISINO", "WPAST", "WMNUM", "WOWNROWS"}, "INTEGER");
  AddDeclare(s, {"WPREV", "WDIFF", "VOWN", "VCOM", "WRATE"}, kWork);
  if (department) {
    for (const char* p : {"H", "CKAR", "CKAS", "CYOSAN"}) AddDeclare(s, SlotNames(p), kWork);
  }
  s.push_back("BEGIN");
  s.push_back("  WKAISINO = 1;");
  s.push_back("  SELECT COALESCE(KAISINO, 1) FROM ACCDEF1 WHERE REC = 1 INTO :WKAISINO;");
  s.push_back("  /* The last slot of the months before the data's first month; every completed quarter");
  s.push_back("     adds its closing slot. */");
  s.push_back("  WPAST = 0;");
  s.push_back("  IF (WKAISINO > 1) THEN WPAST = (WKAISINO - 1) + (WKAISINO - 1) / 3;");
  // Row filters of KAMOKU_MS (M), KAMOKU_PZ (P) and KAMOKU_SZ (Z).
  auto branches = [department](const std::string& a) {
    if (department) return a + ".SCODE = :PSCODE AND " + a + ".BCODE = :PBCODE";
    return "(:PSCODE = '' OR " + a + ".SCODE = :PSCODE) AND (:PSGROUP = '' OR EXISTS (SELECT 1 FROM SISETUGROUPLIST G "
           "WHERE G.GCODE = :PSGROUP AND G.SCODE = " + a + ".SCODE))";
  };
  const std::string common = "M.SCODE = :PSCODE AND M.BCODE = '00'";
  if (department) {
    s.push_back("  FOR SELECT V.GROUPM0, V.USERCODE, V.KCODE FROM KAMOKU_VIEW V");
    s.push_back("       WHERE V.SCODE = :PSCODE AND V.BCODE = :PBCODE AND V.GROUPM0 BETWEEN '4000' AND '6100'");
    s.push_back("       GROUP BY V.SCODE, V.GROUPM0, V.USERCODE, V.KCODE");
    s.push_back("       ORDER BY V.SCODE, V.GROUPM0, V.USERCODE, V.KCODE");
    s.push_back("        INTO :GROUPM0, :USERCODE, :KCODE");
  } else {
    s.push_back("  FOR SELECT K.GROUPM0, K.USERCODE, K.KCODE FROM KAMOKUMST K");
    s.push_back("       WHERE K.GROUPM0 BETWEEN '4000' AND '6100'");
    s.push_back("         AND EXISTS (SELECT 1 FROM KAMOKU_MS M WHERE M.KCODE = K.KCODE AND " + branches("M") + ")");
    s.push_back("       ORDER BY K.GROUPM0, K.USERCODE, K.KCODE");
    s.push_back("        INTO :GROUPM0, :USERCODE, :KCODE");
  }
  s.push_back("  DO");
  s.push_back("  BEGIN");
  s.push_back("    SELECT KNAME, DAC, KEIHKUBU, VELKORAN_YOJITU_RATE1, VELKORAN_YOJITU_KIND1, VELKORAN_YOJITU_RATE2,");
  s.push_back("           VELKORAN_YOJITU_KIND2 FROM KAMOKUMST WHERE KCODE = :KCODE");
  s.push_back("      INTO :KNAME, :TAISHAKU, :KEIHKUBU, :BRATE, :BKIND, :GRATE, :GKIND;");
  if (department) {
    AddEachSlot(s, "    ", 1, 16, [](int n) { return "H" + Two(n) + " = 0;"; });
    s.push_back("    SELECT " + Slots("HAIBUN", 1, 16, "COALESCE(", ", 0) * 0.01"));
    s.push_back("      FROM KAMOKU_SZ WHERE SCODE = :PSCODE AND KCODE = :KCODE AND HCODE = ' ' AND BCODE = :PBCODE");
    s.push_back("      INTO " + Slots("H", 1, 16, ":") + ";");
    s.push_back("    SELECT COUNT(*) FROM KAMOKU_SZ WHERE SCODE = :PSCODE AND KCODE = :KCODE AND BCODE = :PBCODE");
    s.push_back("       AND HCODE <> ' ' INTO :HOJCNT;");
  } else {
    s.push_back("    SELECT COUNT(DISTINCT Z.HCODE) FROM KAMOKU_SZ Z WHERE Z.KCODE = :KCODE AND Z.HCODE <> ' '");
    s.push_back("       AND Z.BCODE = ' ' AND " + branches("Z") + " INTO :HOJCNT;");
    s.push_back("    /* The account's own rows count as one more line when they carry amounts. */");
    s.push_back("    IF (HOJCNT > 0) THEN");
    s.push_back("    BEGIN");
    s.push_back("      SELECT COUNT(*) FROM KAMOKU_MS M WHERE M.KCODE = :KCODE AND M.HCODE = ' ' AND " + branches("M"));
    s.push_back("         AND M.MNUM BETWEEN 1 AND 16 AND (" + Amount("M", "KAR") + " <> 0 OR " + Amount("M", "KAS") +
                " <> 0)");
    s.push_back("        INTO :WOWNROWS;");
    s.push_back("      IF (WOWNROWS > 0) THEN HOJCNT = HOJCNT + 1;");
    s.push_back("    END");
  }
  // The account row.
  const std::string accountWhere = "M.KCODE = :KCODE AND " + branches("M");
  AddSlotSums(s, "    ", accountWhere, "KAR", "KAS", "YOSAN", "RYOSAN");
  if (department) AddAllocation(s, "    ", "M.KCODE = :KCODE AND " + common, true);
  if (!department) s.push_back("    YOSAN16 = 0;");
  s.push_back("    IF (WPAST > 0) THEN");
  s.push_back("    BEGIN");
  if (department)
    AddPastYearSlots(s, "      ", "P.SCODE = :PSCODE AND P.KCODE = :KCODE AND P.BCODE IN (:PBCODE, '00')", true);
  else
    AddPastYearSlots(s, "      ", "P.KCODE = :KCODE AND " + branches("P"), false);
  s.push_back("    END");
  s.push_back("    HCODE = '';");
  s.push_back("    HNAME = '';");
  s.push_back("    SUSPEND;");
  // The sub-account rows; a sub-account without a slot-16 row has no complete year and is left out.
  s.push_back("    IF (HOJCNT > 0) THEN");
  s.push_back("    FOR SELECT M.HCODE FROM KAMOKU_MS M WHERE " + accountWhere);
  s.push_back("         GROUP BY M.HCODE HAVING SUM(CASE WHEN M.MNUM = 16 THEN 1 ELSE 0 END) > 0");
  s.push_back("         ORDER BY M.HCODE");
  s.push_back("          INTO :HCODE");
  s.push_back("    DO");
  s.push_back("    BEGIN");
  const std::string subWhere = accountWhere + " AND M.HCODE = :HCODE";
  AddSlotSums(s, "      ", subWhere, "KAR", "KAS", "YOSAN", "RYOSAN");
  if (department) AddAllocation(s, "      ", "M.KCODE = :KCODE AND M.HCODE = :HCODE AND " + common, false);
  s.push_back("      IF (WPAST > 0) THEN");
  s.push_back("      BEGIN");
  if (department)
    AddPastYearSlots(s, "        ",
                     "P.SCODE = :PSCODE AND P.KCODE = :KCODE AND P.HCODE = :HCODE AND P.BCODE IN (:PBCODE, '00')", true);
  else
    AddPastYearSlots(s, "        ", "P.KCODE = :KCODE AND P.HCODE = :HCODE AND " + branches("P"), false);
  s.push_back("      END");
  s.push_back("      IF (HCODE = ' ') THEN");
  s.push_back("      BEGIN");
  s.push_back("        HNAME = KNAME;");
  s.push_back("        IF (" + AnyAmount() + ") THEN SUSPEND;");
  s.push_back("      END");
  s.push_back("      ELSE");
  s.push_back("      BEGIN");
  s.push_back("        HNAME = '';");
  s.push_back("        SELECT HNAME FROM HOJOMST WHERE KCODE = :KCODE AND HCODE = :HCODE INTO :HNAME;");
  s.push_back("        SUSPEND;");
  s.push_back("      END");
  s.push_back("    END");
  s.push_back("  END");
  s.push_back("END ^");
  return Joined(s);
}

// ------------------------------------------------------------------ budget input

// The budget column a caller names: 1 the management analysis's, otherwise the analysis's.
std::string BudgetColumn(const std::string& m) {
  return "CASE WHEN :PFIELD = 1 THEN " + m + ".RYOSAN ELSE " + m + ".BYOSAN END";
}

// The twelve monthly budgets of every profit-and-loss line of one branch and department, for
// the budget input; the closing slots are not months and are never reported.
std::string YosanReadProcedure() {
  userupdate::Lines s{"ALTER PROCEDURE SP_YOSAN_READ ("};
  AddParameters(s, {{"PFIELD", "INTEGER"}, {"PSCODE", kCode}, {"PBCODE", kCode}});
  s.push_back("RETURNS (");
  std::vector<std::pair<std::string, std::string>> out = {
      {"KGROUP", kCode}, {"USERCODE", kCode}, {"KCODE", kCode},        {"KNAME", "VARCHAR(14)"},
      {"HCODE", kCode},  {"HNAME", "VARCHAR(14)"}, {"TAISHAKU", "INTEGER"}};
  AddSlotParameters(out, "YOSAN", 12);
  AddParameters(s, out);
  s.push_back("AS");
  s.push_back("BEGIN");
  s.push_back("  FOR SELECT V.GROUPM1, V.USERCODE, V.KCODE, V.KNAME, V.HCODE, V.HNAME, V.DAC FROM KAMOKU_VIEW V");
  s.push_back("       WHERE V.SCODE = :PSCODE AND V.BCODE = :PBCODE AND V.BPFLG = 'P' AND V.GROUPM1 <> '9900'");
  s.push_back("       ORDER BY V.GROUPM1, V.USERCODE, V.HCODE");
  s.push_back("        INTO :KGROUP, :USERCODE, :KCODE, :KNAME, :HCODE, :HNAME, :TAISHAKU");
  s.push_back("  DO");
  s.push_back("  BEGIN");
  s.push_back("    /* A blank branch or department stands for all of them. */");
  s.push_back("    SELECT");
  for (int month = 1; month <= 12; ++month) {
    const int slot = month + (month - 1) / 3;
    s.push_back("        COALESCE(SUM(CASE WHEN M.MNUM = " + std::to_string(slot) + " THEN " + BudgetColumn("M") +
                " ELSE 0 END), 0)" + (month < 12 ? "," : ""));
  }
  s.push_back("      FROM KAMOKU_MS M WHERE M.KCODE = :KCODE AND M.HCODE = :HCODE");
  s.push_back("       AND (:PSCODE = ' ' OR M.SCODE = :PSCODE) AND (:PBCODE = ' ' OR M.BCODE = :PBCODE)");
  s.push_back("      INTO " + Slots("YOSAN", 1, 12, ":") + ";");
  s.push_back("    SUSPEND;");
  s.push_back("  END");
  s.push_back("END ^");
  return Joined(s);
}

std::string UpdateYosanSubProcedure() {
  return R"(ALTER PROCEDURE SP_UPDATE_YOSANSUB (
  PFIELD INTEGER,
  PSCODE VARCHAR(6) CHARACTER SET ASCII,
  PKCODE VARCHAR(6) CHARACTER SET ASCII,
  PHCODE VARCHAR(6) CHARACTER SET ASCII,
  PBCODE VARCHAR(6) CHARACTER SET ASCII,
  PMNO INTEGER,
  PVALUE NUMERIC(16,4))
AS
BEGIN
  IF (PFIELD = 1) THEN
    UPDATE KAMOKU_MS SET RYOSAN = :PVALUE
     WHERE SCODE = :PSCODE AND KCODE = :PKCODE AND HCODE = :PHCODE AND BCODE = :PBCODE AND MNUM = :PMNO;
  ELSE
    UPDATE KAMOKU_MS SET BYOSAN = :PVALUE
     WHERE SCODE = :PSCODE AND KCODE = :PKCODE AND HCODE = :PHCODE AND BCODE = :PBCODE AND MNUM = :PMNO;
END ^)";
}

// The twelve monthly budgets of one account written as the running totals the slots keep; a
// closing slot repeats the total of the quarter's last month.
std::string UpdateYosanProcedure() {
  userupdate::Lines s{"ALTER PROCEDURE SP_UPDATE_YOSAN ("};
  std::vector<std::pair<std::string, std::string>> in = {{"PFIELD", "INTEGER"}, {"PHASSEI", "INTEGER"},
                                                         {"PSCODE", kCode},     {"PKCODE", kCode},
                                                         {"PHCODE", kCode},     {"PBCODE", kCode}};
  for (int n = 1; n <= 12; ++n) in.push_back({"PVALUE" + std::to_string(n), kMoney});
  AddParameters(s, in);
  s.push_back("AS");
  AddDeclare(s, {"WSCODE", "WBCODE"}, kCode);
  AddDeclare(s, {"WTOTAL"}, kWork);
  s.push_back("BEGIN");
  s.push_back("  WSCODE = COALESCE(PSCODE, ' ');");
  s.push_back("  IF (WSCODE = '') THEN WSCODE = ' ';");
  s.push_back("  WBCODE = COALESCE(PBCODE, ' ');");
  s.push_back("  IF (WBCODE = '') THEN WBCODE = ' ';");
  s.push_back("  WTOTAL = 0;");
  for (int month = 1; month <= 12; ++month) {
    const std::string value = "COALESCE(PVALUE" + std::to_string(month) + ", 0)";
    const int slot = month + (month - 1) / 3;
    s.push_back("  IF (PHASSEI = 1) THEN WTOTAL = WTOTAL + " + value + "; ELSE WTOTAL = " + value + ";");
    for (int k = slot; k <= (month % 3 == 0 ? slot + 1 : slot); ++k)
      s.push_back("  EXECUTE PROCEDURE SP_UPDATE_YOSANSUB(:PFIELD, :WSCODE, :PKCODE, :PHCODE, :WBCODE, " +
                  std::to_string(k) + ", :WTOTAL);");
  }
  s.push_back("END ^");
  return Joined(s);
}

// ------------------------------------------------------------------ year change

// The suspense tax accounts of the system account names.
void AddSuspenseAccounts(userupdate::Lines& s) {
  s.push_back("  WKARIUKE = '';");
  s.push_back("  WKARIBARAI = '';");
  s.push_back("  SELECT CODE FROM SYSKMKCODEINF('仮受消費税') INTO :WKARIUKE;");
  s.push_back("  SELECT CODE FROM SYSKMKCODEINF('仮払消費税') INTO :WKARIBARAI;");
}

// Every account row's opening balance becomes its closing balance; profit and loss close at 0.
std::string SetHojoKaisizanProcedure() {
  userupdate::Lines s{"ALTER PROCEDURE SP_SETHOJOKAISIZAN (", "  PTAX INTEGER)", "RETURNS (", "  BCOUNT INTEGER,",
                      "  PCOUNT INTEGER)", "AS"};
  AddDeclare(s, {"WSCODE", "WKCODE", "WHCODE", "WBCODE", "WKARIUKE", "WKARIBARAI"}, kCode);
  AddDeclare(s, {"WBPFLG"}, "VARCHAR(1) CHARACTER SET ASCII");
  AddDeclare(s, {"WDAC", "WKIND"}, "INTEGER");
  AddDeclare(s, {"WKAISIZAN", "WKAR", "WKAS", "WTKAR", "WTKAS"}, kWork);
  userupdate::AddText(s, R"(BEGIN
  BCOUNT = 0;
  PCOUNT = 0;)");
  AddSuspenseAccounts(s);
  userupdate::AddText(s, R"(  FOR SELECT Z.SCODE, Z.KCODE, Z.HCODE, Z.BCODE, COALESCE(Z.KAISIZAN, 0), K.BPFLG, K.DAC
        FROM KAMOKU_SZ Z JOIN KAMOKUMST K ON K.KCODE = Z.KCODE
       ORDER BY Z.SCODE, Z.KCODE, Z.HCODE DESC, Z.BCODE
        INTO :WSCODE, :WKCODE, :WHCODE, :WBCODE, :WKAISIZAN, :WBPFLG, :WDAC
  DO
  BEGIN
    IF (WBPFLG = 'B') THEN
    BEGIN
      BCOUNT = BCOUNT + 1;)");
  s.push_back("      SELECT COALESCE(SUM(" + Amount("M", "KAR") + "), 0), COALESCE(SUM(" + Amount("M", "KAS") + "), 0)");
  userupdate::AddText(s, R"(        FROM KAMOKU_MS M WHERE M.SCODE = :WSCODE AND M.KCODE = :WKCODE AND M.HCODE = :WHCODE
         AND M.BCODE = :WBCODE AND M.MNUM < 17
        INTO :WKAR, :WKAS;
      /* Net amounts leave the tax on the suspense tax accounts in the tax table; it is added
         once, to the account's own row, not again to each of its sub-accounts. */
      IF (PTAX <> 0 AND WHCODE = ' ' AND (WKCODE = WKARIUKE OR WKCODE = WKARIBARAI)) THEN
      BEGIN
        WKIND = 2;
        IF (WKCODE = WKARIUKE) THEN WKIND = 1;
        SELECT COALESCE(SUM(KAR), 0), COALESCE(SUM(KAS), 0) FROM KAMOKU_TAX
         WHERE SCODE = :WSCODE AND BCODE = :WBCODE AND KKUBUN = :WKIND AND MNUM < 17
          INTO :WTKAR, :WTKAS;
        WKAR = WKAR + WTKAR;
        WKAS = WKAS + WTKAS;
      END
      IF (WDAC = 1 OR WDAC = 4) THEN WKAISIZAN = WKAISIZAN + WKAR - WKAS;
      ELSE WKAISIZAN = WKAISIZAN + WKAS - WKAR;
    END
    ELSE IF (WBPFLG = 'P') THEN
    BEGIN
      PCOUNT = PCOUNT + 1;
      WKAISIZAN = 0;
    END
    UPDATE KAMOKU_SZ SET KAISIZAN = :WKAISIZAN
     WHERE SCODE = :WSCODE AND KCODE = :WKCODE AND HCODE = :WHCODE AND BCODE = :WBCODE;
  END
  SUSPEND;
END ^)");
  return Joined(s);
}

// The carry-over balances of one branch by account, sub-account and department, or
// (`bySubAccount` false) by account and department.
std::string KurikosiZandakaProcedure(bool bySubAccount) {
  userupdate::Lines s{std::string("ALTER PROCEDURE ") +
                      (bySubAccount ? "SP_KURIKOSIZANDAKA (" : "SP_KURIKOSIBUMONZANDAKA (")};
  AddParameters(s, {{"PTAX", "INTEGER"}, {"PSCODE", kCode}});
  s.push_back("RETURNS (");
  std::vector<std::pair<std::string, std::string>> out = {
      {"GROUPM1", kCode}, {"GROUPM2", kCode}, {"KCODE", kCode},  {"KNAME", "VARCHAR(14)"},
      {"HCODE", kCode},   {"BCODE", kCode},   {"BSPL", "VARCHAR(1) CHARACTER SET ASCII"},
      {"HOJCNT", "INTEGER"}, {"TAISHAKU", "INTEGER"}, {"KAISIZAN", kMoney}};
  AddSlotParameters(out, "KAR", 19);
  AddSlotParameters(out, "KAS", 19);
  AddParameters(s, out);
  s.push_back("AS");
  AddDeclare(s, {"WKARIUKE", "WKARIBARAI"}, kCode);
  AddDeclare(s, {"WKIND"}, "INTEGER");
  s.push_back("BEGIN");
  AddSuspenseAccounts(s);
  const std::string keys = bySubAccount ? "M.KCODE, M.HCODE, M.BCODE" : "M.KCODE, M.BCODE";
  s.push_back("  FOR SELECT " + keys + " FROM KAMOKU_MS M WHERE M.SCODE = :PSCODE");
  s.push_back("       GROUP BY " + keys + " HAVING SUM(CASE WHEN M.MNUM = 16 THEN 1 ELSE 0 END) > 0");
  s.push_back("       ORDER BY " + keys);
  s.push_back(std::string("        INTO ") + (bySubAccount ? ":KCODE, :HCODE, :BCODE" : ":KCODE, :BCODE"));
  s.push_back("  DO");
  s.push_back("  BEGIN");
  if (!bySubAccount) s.push_back("    HCODE = ' ';");
  const std::string where = std::string("M.SCODE = :PSCODE AND M.KCODE = :KCODE AND M.BCODE = :BCODE") +
                            (bySubAccount ? " AND M.HCODE = :HCODE" : "");
  AddSlotSums(s, "    ", where, "KAR", "KAS");
  s.push_back("    SELECT COUNT(*) FROM KAMOKU_SZ WHERE SCODE = :PSCODE AND KCODE = :KCODE AND HCODE <> ' '");
  s.push_back("       AND BCODE = ' ' INTO :HOJCNT;");
  s.push_back("    SELECT GROUPM1, GROUPM2, KNAME, BPFLG, DAC FROM KAMOKUMST WHERE KCODE = :KCODE");
  s.push_back("      INTO :GROUPM1, :GROUPM2, :KNAME, :BSPL, :TAISHAKU;");
  s.push_back("    SELECT COALESCE(SUM(KAISIZAN), 0) FROM KAMOKU_SZ WHERE SCODE = :PSCODE AND KCODE = :KCODE");
  s.push_back(std::string("       AND BCODE = :BCODE") + (bySubAccount ? " AND HCODE = :HCODE" : "") + " INTO :KAISIZAN;");
  s.push_back("    /* Net amounts: the suspense tax accounts carry the tax table, once per department. */");
  s.push_back("    IF (PTAX = 1 AND HCODE = ' ' AND (KCODE = WKARIUKE OR KCODE = WKARIBARAI)) THEN");
  s.push_back("    BEGIN");
  s.push_back("      WKIND = 2;");
  s.push_back("      IF (KCODE = WKARIUKE) THEN WKIND = 1;");
  s.push_back("      SELECT " + Slots("RKAR", 1, 16) + ", " + Slots("RKAS", 1, 16));
  s.push_back("        FROM SP_KURIKOSI_ZEIGAKU_ADD(:PSCODE, :BCODE, :WKIND, " + Slots("KAR", 1, 16, ":") + ", " +
              Slots("KAS", 1, 16, ":") + ")");
  s.push_back("        INTO " + Slots("KAR", 1, 16, ":") + ", " + Slots("KAS", 1, 16, ":") + ";");
  s.push_back("    END");
  s.push_back("    KAR17 = 0; KAR18 = 0; KAR19 = 0; KAS17 = 0; KAS18 = 0; KAS19 = 0;");
  s.push_back("    SUSPEND;");
  s.push_back("  END");
  s.push_back("END ^");
  return Joined(s);
}

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
END ^)");
  s.push_back(YojituProcedure(false));
  s.push_back("SET TERM ; ^");
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
  s.push_back("SET TERM ^ ;");
  s.push_back(YojituProcedure(true));
  s.push_back("SET TERM ; ^");
  AddOverviewAndDictionaryBlock(s, AccInf.DATATYPE);
  using userprocs::TFixedForm;
  auto block = [&s](std::initializer_list<std::string> procs) {
    s.push_back("SET TERM ^ ;");
    s.insert(s.end(), procs.begin(), procs.end());
    s.push_back("SET TERM ; ^");
  };
  block({userprocs::SisanhyoFormProcedure(TFixedForm::A4, userprocs::kStep200, "ALTER"),
         userprocs::SisanhyoFormProcedure(TFixedForm::A3, userprocs::kStep200, "ALTER")});
  block({userprocs::SisanhyoBumonFormProcedure(TFixedForm::A4, userprocs::kStep200, "ALTER")});
  block({userprocs::SisanhyoBumonFormProcedure(TFixedForm::A3, userprocs::kStep200, "ALTER")});
  block({userprocs::SisanhyoKessanProcedure(userprocs::kStep200, "ALTER")});
  s.push_back("SET TERM ^ ;");
  s.push_back(YosanReadProcedure());
  s.push_back(UpdateYosanSubProcedure());
  s.push_back(UpdateYosanProcedure());
  AddBranchLabelTrigger(s);
  s.push_back("SET TERM ; ^");
  AddCashFlowRow(s);
  s.push_back("SET TERM ^ ;");
  AddKurikosiZeigakuAdd(s);
  s.push_back(SetHojoKaisizanProcedure());
  s.push_back(KurikosiZandakaProcedure(true));
  s.push_back(KurikosiZandakaProcedure(false));
  s.push_back("SET TERM ; ^");
  s.push_back("Commit;");
  userupdate::TStepBody body;
  body.Statements = std::move(s);
  return userupdate::RunStep({2, 0, 0}, body);
}
