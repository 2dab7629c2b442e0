// The procedure texts of company step 0.2.2 (see z5UserDbUpdate022.h).
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "upgrade/z5UserDbUpdate020.h"
#include "upgrade/z5UserDbUpdate022.h"

namespace step022 {
namespace {

using userupdate::Lines;
using Columns = std::vector<std::pair<std::string, std::string>>;

constexpr const char* kCode = "VARCHAR(6) CHARACTER SET ASCII";
constexpr const char* kName = "VARCHAR(14)";
constexpr const char* kAmount = "NUMERIC(16,4)";
constexpr const char* kWork = "NUMERIC(18,4)";

std::string Two(int i) { return (i < 10 ? "0" : "") + std::to_string(i); }

// The header of a re-created procedure: inputs, results (none: not selectable) and the
// declared work variables.
Lines Header(const char* name, const Columns& inputs, const Columns& results, const Columns& variables) {
  Lines s{std::string("ReCREATE PROCEDURE \"") + name + "\"" + (inputs.empty() ? "" : " (")};
  for (size_t i = 0; i < inputs.size(); ++i)
    s.push_back("  " + inputs[i].first + " " + inputs[i].second + (i + 1 < inputs.size() ? "," : ")"));
  if (!results.empty()) {
    s.push_back("RETURNS (");
    for (size_t i = 0; i < results.size(); ++i)
      s.push_back("  " + results[i].first + " " + results[i].second + (i + 1 < results.size() ? "," : ")"));
  }
  s.push_back("AS");
  for (const auto& v : variables) s.push_back("  DECLARE VARIABLE " + v.first + " " + v.second + ";");
  return s;
}

std::string Text(const Lines& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) out += (i ? "\r\n" : "") + s[i];
  return out;
}

void Add(Lines& s, std::initializer_list<std::string> lines) { s.insert(s.end(), lines.begin(), lines.end()); }

// A statement per item, several to a line.
void AddPer(Lines& s, const std::string& in, int first, int last, const std::function<std::string(int)>& statement) {
  std::string line = in;
  for (int i = first; i <= last; ++i) {
    line += statement(i) + " ";
    if (line.size() > 100) {
      line.pop_back();
      s.push_back(line);
      line = in;
    }
  }
  if (line != in) {
    line.pop_back();
    s.push_back(line);
  }
}

// "IF (slot = n) THEN column = value;" for every slot that `column` maps (empty: none).
void AddSlotStore(Lines& s, const std::string& in, const std::string& slot, int first, int last,
                  const std::function<std::string(int)>& column, const std::string& value) {
  bool any = false;
  for (int n = first; n <= last; ++n) {
    const std::string c = column(n);
    if (c.empty()) continue;
    s.push_back(in + (any ? "ELSE " : "") + "IF (" + slot + " = " + std::to_string(n) + ") THEN " + c + " = " + value +
                ";");
    any = true;
  }
}

// The month (1 to 12) of a current-year slot, 0 for the closing slots 4, 8, 12 and 16.
int MonthOfSlot(int slot) { return slot % 4 == 0 ? 0 : slot - (slot - 1) / 4; }

const std::string kOpeningRows = "KAMOKU_SZ Z WHERE Z.SCODE = :PSCODE AND Z.KCODE = :KCODE AND Z.HCODE = :HCODE";

}  // namespace

std::string BumonKaisizanCount() {
  Lines s = Header("SP_BUMONKAISIZAN_COUNT", {{"PSCODE", kCode}}, {{"RECCOUNT", "INTEGER"}}, {});
  Add(s, {
      "BEGIN",
      "  RECCOUNT = 0;",
      "  SELECT COUNT(*) FROM KAMOKU_VIEW V WHERE V.SCODE = :PSCODE AND V.BCODE = '00'",
      "    AND (V.HCODE <> ' ' OR (SELECT COUNT(*) FROM KAMOKU_SZ Z WHERE Z.SCODE = :PSCODE AND Z.BCODE = '00'",
      "      AND Z.KCODE = V.KCODE) < 2)",
      "    INTO :RECCOUNT;",
      "  SUSPEND;",
      "END ^",
  });
  return Text(s);
}

std::string BumonKaisizanList() {
  Lines s = Header("SP_BUMONKAISIZAN_LIST", {{"PSCODE", kCode}},
                   {{"BCODE", kCode},
                    {"KGROUP", kCode},
                    {"KCODE", kCode},
                    {"USERCODE", kCode},
                    {"HCODE", kCode},
                    {"KNAME", "VARCHAR(28)"},
                    {"HNAME", "VARCHAR(28)"},
                    {"HCNT", "INTEGER"},
                    {"DAC", "INTEGER"},
                    {"KAISIZAN", kAmount},
                    {"BUMGOUKEI", kAmount}},
                   {});
  Add(s, {
      "BEGIN",
      "  FOR SELECT DISTINCT BCODE, GROUPM0, KCODE, USERCODE, KNAME, HCODE, HNAME, DAC, KAISIZAN FROM KAMOKU_VIEW",
      "    WHERE SCODE = :PSCODE AND BCODE <> ' '",
      "    ORDER BY BCODE, GROUPM0, USERCODE, HCODE",
      "    INTO :BCODE, :KGROUP, :KCODE, :USERCODE, :KNAME, :HCODE, :HNAME, :DAC, :KAISIZAN",
      "  DO",
      "  BEGIN",
      "    BUMGOUKEI = 0;",
      "    SELECT COALESCE(SUM(Z.KAISIZAN), 0) FROM " + kOpeningRows + " INTO :BUMGOUKEI;",
      "    HCNT = 0;",
      "    IF (HCODE = ' ') THEN",
      "      SELECT COUNT(*) FROM KAMOKU_SZ Z WHERE Z.SCODE = :PSCODE AND Z.KCODE = :KCODE AND Z.BCODE = :BCODE",
      "        INTO :HCNT;",
      "    SUSPEND;",
      "  END",
      "END ^",
  });
  return Text(s);
}

std::string KaisizanList() {
  Lines s = Header("SP_KAISIZAN_LIST", {{"PSCODE", kCode}, {"PSHOKUTI", kCode}},
                   {{"KGROUP", kCode},
                    {"KCODE", kCode},
                    {"USERCODE", kCode},
                    {"KNAME", kName},
                    {"HCODE", kCode},
                    {"HNAME", kName},
                    {"DAC", "INTEGER"},
                    {"BPFLG", "CHAR(1) CHARACTER SET ASCII"},
                    {"KAISIZAN", kAmount},
                    {"BUMONZAN", kAmount}},
                   {{"VSHOKUTI", kCode}});
  Add(s, {
      "BEGIN",
      "  VSHOKUTI = '';",
      "  SELECT CODE FROM SYSKMKCODEINF('諸口') INTO :VSHOKUTI;",
      "  FOR SELECT DISTINCT V.GROUPM0, V.USERCODE, V.KCODE, V.KNAME, V.HCODE, V.HNAME, V.DAC, V.BPFLG",
      "    FROM KAMOKU_VIEW V",
      "    WHERE V.SCODE = :PSCODE AND V.KCODE IS DISTINCT FROM :VSHOKUTI",
      "      AND (V.HCODE <> ' ' OR (SELECT COUNT(*) FROM KAMOKU_SZ Z WHERE Z.SCODE = :PSCODE AND Z.KCODE = V.KCODE",
      "        AND Z.BCODE IN (' ', '00')) < 2)",
      "    ORDER BY V.GROUPM0, V.KCODE, V.HCODE",
      "    INTO :KGROUP, :USERCODE, :KCODE, :KNAME, :HCODE, :HNAME, :DAC, :BPFLG",
      "  DO",
      "  BEGIN",
      "    KAISIZAN = 0;",
      "    BUMONZAN = 0;",
      "    SELECT COALESCE(SUM(Z.KAISIZAN), 0),",
      "        COALESCE(SUM(CASE WHEN Z.BCODE NOT IN ('00', ' ') THEN Z.KAISIZAN ELSE 0 END), 0)",
      "      FROM " + kOpeningRows + " INTO :KAISIZAN, :BUMONZAN;",
      "    SUSPEND;",
      "  END",
      "END ^",
  });
  return Text(s);
}

std::string KaisizanCount() {
  Lines s = Header("SP_KAISIZAN_COUNT", {{"PSCODE", kCode}, {"PSHOKUTI", kCode}}, {{"RECCOUNT", "INTEGER"}}, {});
  Add(s, {
      "BEGIN",
      "  RECCOUNT = 0;",
      "  SELECT COUNT(*) FROM SP_KAISIZAN_LIST(:PSCODE, :PSHOKUTI) INTO :RECCOUNT;",
      "  SUSPEND;",
      "END ^",
  });
  return Text(s);
}

std::string KanendozanYomikomi() {
  Columns results = {{"KGROUP", kCode}, {"USERCODE", kCode}, {"KCODE", kCode},
                     {"KNAME", kName},  {"HCODE", kCode},    {"HNAME", kName},
                     {"BSPL", "VARCHAR(1) CHARACTER SET ASCII"}, {"TAISHAKU", "INTEGER"}};
  for (int n = -32; n <= 15; ++n) results.push_back({userupdate::BalanceColumn(n), kAmount});
  Lines s = Header("SP_KANENDOZAN_YOMIKOMI", {{"PSCODE", kCode}, {"PBCODE", kCode}}, results,
                   {{"VKAISINO", "INTEGER"}, {"VBOUND", "INTEGER"}, {"VMNUM", "INTEGER"}, {"VVALUE", kWork}});
  Add(s, {
      "BEGIN",
      "  VKAISINO = 1;",
      "  SELECT COALESCE(KAISINO, 1) FROM ACCDEF1 WHERE REC = 1 INTO :VKAISINO;",
      // The slot after the start month's: every slot before it holds a balance of the past.
      "  VBOUND = CASE VKAISINO WHEN 3 THEN 4 WHEN 4 THEN 5 WHEN 5 THEN 6 WHEN 6 THEN 8 WHEN 7 THEN 9 WHEN 8 THEN 10",
      "    WHEN 9 THEN 12 WHEN 10 THEN 13 WHEN 11 THEN 14 WHEN 12 THEN 16 ELSE VKAISINO END;",
      "  FOR SELECT GROUPM0, USERCODE, KCODE, KNAME, HCODE, HNAME, BPFLG, DAC FROM KAMOKU_VIEW",
      "    WHERE SCODE = :PSCODE AND BCODE = :PBCODE AND GROUPM0 <> '9900'",
      "    ORDER BY GROUPM0, USERCODE, HCODE",
      "    INTO :KGROUP, :USERCODE, :KCODE, :KNAME, :HCODE, :HNAME, :BSPL, :TAISHAKU",
      "  DO",
      "  BEGIN",
  });
  userupdate::AddSlotClear(s, "ZAN", "0", "    ");
  Add(s, {
      "    FOR SELECT MNUM, COALESCE(SUM(NUKIZAN), 0) FROM KAMOKU_PZ",
      "      WHERE KCODE = :KCODE AND HCODE = :HCODE AND (:PSCODE = ' ' OR SCODE = :PSCODE)",
      "        AND (:PBCODE = ' ' OR BCODE = :PBCODE) AND MNUM BETWEEN -32 AND 15 AND MNUM < :VBOUND",
      "      GROUP BY MNUM INTO :VMNUM, :VVALUE",
      "    DO",
      "    BEGIN",
  });
  userupdate::AddSlotAssignments(s, "ZAN", "VMNUM", "VVALUE", "      ");
  Add(s, {"    END", "    SUSPEND;", "  END", "END ^"});
  return Text(s);
}

namespace {

// The three management-analysis readers share their walk: the rows of `table` with the blank
// sub-account joined with the view, summed per slot and account (and department when one is
// asked for); a result row goes out when the key changes and after the last row.
struct TMbReader {
  const char* Name;
  const char* Table;          // KAMOKU_PZ or KAMOKU_MS
  Columns Inputs;
  Columns Amounts;            // the result columns after the key columns
  const char* Value;          // the summed value of one slot, over alias P
  const char* Accounts;       // the accounts read, over alias V
  const char* Slots;          // the slots read, over alias P
  std::function<std::string(int)> Column;  // the amount column of a slot ("" none)
  int FirstSlot, LastSlot;
};

void AddMbWalk(Lines& s, const TMbReader& r, bool perDepartment) {
  const std::string dept = perDepartment ? "V.BCODE, V.BNAME" : "CAST('' AS VARCHAR(6)), CAST('' AS VARCHAR(14))";
  Add(s, {
      std::string("    FOR SELECT V.GROUPM0, V.KCODE, ") + dept + ", V.KNAME, V.DAC, P.MNUM, SUM(" + r.Value + ")",
      std::string("      FROM ") + r.Table + " P JOIN KAMOKU_VIEW V ON V.SCODE = P.SCODE AND V.KCODE = P.KCODE",
      "        AND V.HCODE = P.HCODE AND V.BCODE = P.BCODE",
      std::string("      WHERE P.SCODE = :PSCODE AND P.HCODE = ' ' AND ") + r.Accounts + " AND " + r.Slots +
          (perDepartment ? " AND P.BCODE = :VBCODE" : ""),
      std::string("      GROUP BY V.GROUPM0, V.KCODE, ") + (perDepartment ? "V.BCODE, V.BNAME, " : "") +
          "V.KNAME, V.DAC, P.MNUM",
      std::string("      ORDER BY V.GROUPM0, V.KCODE, ") + (perDepartment ? "V.BCODE, " : "") + "P.MNUM",
      "      INTO :VGROUP, :VKCODE, :VBCODE2, :VBNAME, :VKNAME, :VDAC, :VMNUM, :VVALUE",
      "    DO",
      "    BEGIN",
      "      IF (VFIRST = 0 AND (VKCODE <> KCODE OR VBCODE2 <> BCODE)) THEN",
      "      BEGIN",
      "        SUSPEND;",
  });
  AddPer(s, "        ", r.FirstSlot, r.LastSlot, [&](int n) {
    const std::string c = r.Column(n);
    return c.empty() ? std::string() : c + " = 0;";
  });
  Add(s, {
      "      END",
      "      VFIRST = 0;",
      "      KGROUP = VGROUP;",
      "      KCODE = VKCODE;",
      "      BCODE = VBCODE2;",
      "      BNAME = VBNAME;",
      "      KNAME = VKNAME;",
  });
  if (r.Amounts.front().first == "DAC") s.push_back("      DAC = VDAC;");
  AddSlotStore(s, "      ", "VMNUM", r.FirstSlot, r.LastSlot, r.Column, "VVALUE");
  s.push_back("    END");
}

std::string MbReader(const TMbReader& r) {
  Columns results = {{"KGROUP", kCode}, {"KCODE", kCode}, {"BCODE", kCode}, {"KNAME", kName}, {"BNAME", kName}};
  results.insert(results.end(), r.Amounts.begin(), r.Amounts.end());
  Lines s = Header(r.Name, r.Inputs, results,
                   {{"VBCODE", kCode},
                    {"VGROUP", kCode},
                    {"VKCODE", kCode},
                    {"VBCODE2", kCode},
                    {"VKNAME", kName},
                    {"VBNAME", kName},
                    {"VDAC", "INTEGER"},
                    {"VMNUM", "INTEGER"},
                    {"VFIRST", "INTEGER"},
                    {"VVALUE", kWork}});
  Add(s, {
      "BEGIN",
      "  VBCODE = COALESCE(PBCODE, ' ');",
      "  IF (VBCODE = '') THEN VBCODE = ' ';",
      "  VFIRST = 1;",
      "  KCODE = '';",
      "  BCODE = '';",
  });
  AddPer(s, "  ", r.FirstSlot, r.LastSlot, [&](int n) {
    const std::string c = r.Column(n);
    return c.empty() ? std::string() : c + " = 0;";
  });
  s.push_back("  IF (VBCODE = ' ') THEN");
  s.push_back("  BEGIN");
  AddMbWalk(s, r, false);
  s.push_back("  END");
  s.push_back("  ELSE");
  s.push_back("  BEGIN");
  AddMbWalk(s, r, true);
  s.push_back("  END");
  Add(s, {"  IF (VFIRST = 0) THEN SUSPEND;", "END ^"});
  return Text(s);
}

TMbReader MonthlyReader(const char* name, const char* column, const char* value) {
  TMbReader r{name,
              "KAMOKU_MS",
              {{"PSCODE", kCode}, {"PBCODE", kCode}},
              {},
              value,
              "V.GROUPM0 >= '4000' AND V.GROUPM0 < '9900'",
              "P.MNUM BETWEEN 1 AND 15",
              [column](int slot) {
                const int m = MonthOfSlot(slot);
                return m == 0 ? std::string() : std::string(column) + std::to_string(m);
              },
              1,
              15};
  for (int m = 1; m <= 12; ++m) r.Amounts.push_back({std::string(column) + std::to_string(m), kAmount});
  return r;
}

}  // namespace

std::string MbSelectKanendozan() {
  // Slot -32 is the opening of the year before; then the year before, the previous year and
  // this year, sixteen slots each.
  const auto column = [](int slot) {
    if (slot == -32) return std::string("ZZZ_ZAN16");
    if (slot <= -16) return "ZZ_ZAN" + std::to_string(slot + 32);
    if (slot <= 0) return "Z_ZAN" + std::to_string(slot + 16);
    return "T_ZAN" + std::to_string(slot);
  };
  TMbReader r{"SP_MB_SELECT_KANENDOZAN",
              "KAMOKU_PZ",
              {{"PSCODE", kCode}, {"PBCODE", kCode}, {"PTAXUH", "INTEGER"}},
              {{"DAC", "INTEGER"}},
              "COALESCE(P.NUKIZAN, 0) + CASE WHEN :PTAXUH = 0 THEN COALESCE(P.ZEIGAKU, 0) ELSE 0 END",
              "V.GROUPM0 < '9900'",
              "P.MNUM BETWEEN -32 AND 16",
              column,
              -32,
              16};
  for (int n = -32; n <= 16; ++n) r.Amounts.push_back({column(n), kAmount});
  return MbReader(r);
}

std::string MbSelectYosan() { return MbReader(MonthlyReader("SP_MB_SELECT_YOSAN", "T_YOSAN", "COALESCE(P.BYOSAN, 0)")); }

std::string MbSelectYosoku() {
  return MbReader(MonthlyReader("SP_MB_SELECT_YOSOKU", "T_YOSOKU", "COALESCE(P.BYOSOKU, 0)"));
}

std::string MbUpdateJissekiYosan() {
  Columns vars = {{"VBCODE", kCode}, {"VS1", "INTEGER"}, {"VS2", "INTEGER"},
                  {"VMNUM", "INTEGER"}, {"VVALUE", kWork}, {"VRUN", kWork}, {"VMONTH", kWork}};
  for (int m = 1; m <= 12; ++m) vars.push_back({"M" + Two(m), kWork});
  Lines s = Header("SP_MB_UPDATE_JISSEKIYOSAN",
                   {{"PSCODE", kCode},
                    {"PKCODE", kCode},
                    {"PBCODE", kCode},
                    {"PTAIHI", kAmount},
                    {"PMNUM1", "INTEGER"},
                    {"PMNUM2", "INTEGER"}},
                   {}, vars);
  const auto month = [](int slot) {
    const int m = MonthOfSlot(slot);
    return m == 0 ? std::string() : "M" + Two(m);
  };
  const std::string view =
      " JOIN KAMOKU_VIEW V ON V.SCODE = P.SCODE AND V.KCODE = P.KCODE AND V.HCODE = P.HCODE AND V.BCODE = P.BCODE";
  const std::string keys = "P.SCODE = :PSCODE AND P.KCODE = :PKCODE AND P.HCODE = ' ' AND (:VBCODE = ' ' OR P.BCODE = :VBCODE)";
  Add(s, {
      "BEGIN",
      // Month numbers to slots: each quarter is followed by its closing slot.
      "  VS1 = PMNUM1 + CASE WHEN PMNUM1 BETWEEN 4 AND 6 THEN 1 WHEN PMNUM1 BETWEEN 7 AND 9 THEN 2",
      "    WHEN PMNUM1 BETWEEN 10 AND 12 THEN 3 ELSE 0 END;",
      "  VS2 = PMNUM2 + CASE WHEN PMNUM2 BETWEEN 4 AND 6 THEN 1 WHEN PMNUM2 BETWEEN 7 AND 9 THEN 2",
      "    WHEN PMNUM2 BETWEEN 10 AND 12 THEN 3 ELSE 0 END;",
      "  VBCODE = COALESCE(PBCODE, ' ');",
      "  IF (VBCODE = '') THEN VBCODE = ' ';",
  });
  AddPer(s, "  ", 1, 12, [](int m) { return "M" + Two(m) + " = 0;"; });
  // This year's monthly budgets from the cumulative ones.
  Add(s, {
      "  VRUN = 0;",
      "  FOR SELECT P.MNUM, COALESCE(SUM(P.BYOSAN), 0) FROM KAMOKU_MS P" + view,
      "    WHERE " + keys + " AND P.MNUM BETWEEN 1 AND 16",
      "    GROUP BY P.MNUM ORDER BY P.MNUM INTO :VMNUM, :VVALUE",
      "  DO",
      "  BEGIN",
      "    IF (VMNUM = 1) THEN",
      "    BEGIN",
      "      M01 = VVALUE;",
      "      VRUN = VVALUE;",
      "    END",
      "    ELSE IF (MOD(VMNUM, 4) <> 0) THEN",
      "    BEGIN",
      "      VMONTH = VVALUE - VRUN;",
      "      VRUN = VRUN + VMONTH;",
  });
  AddSlotStore(s, "      ", "VMNUM", 2, 15, month, "VMONTH");
  Add(s, {
      "    END",
      "  END",
      // Last year's monthly actuals; the closing slots carry the running total on.
      "  VRUN = 0;",
      "  FOR SELECT P.MNUM, COALESCE(SUM(P.NUKIZAN + P.ZEIGAKU), 0) FROM KAMOKU_PZ P" + view,
      "    WHERE " + keys + " AND P.MNUM BETWEEN -15 AND -1",
      "    GROUP BY P.MNUM ORDER BY P.MNUM INTO :VMNUM, :VVALUE",
      "  DO",
      "  BEGIN",
      "    IF (VMNUM IN (-12, -8, -4)) THEN VRUN = VVALUE;",
      "    ELSE",
      "    BEGIN",
      "      IF (VMNUM = -15) THEN VMONTH = VVALUE;",
      "      ELSE VMONTH = VVALUE - VRUN;",
      "      VRUN = VRUN + VMONTH;",
      "      VMNUM = VMNUM + 16;",
      "      IF (VMNUM BETWEEN VS1 AND VS2) THEN",
      "      BEGIN",
  });
  AddSlotStore(s, "        ", "VMNUM", 1, 15, month, "F_ROUND(VMONTH * PTAIHI)");
  Add(s, {
      "      END",
      "    END",
      "  END",
      "  EXECUTE PROCEDURE SP_MB_UPDATE_HASSEIYOSAN(:PSCODE, :PKCODE, :PBCODE, 1, " + [] {
        std::string out;
        for (int m = 1; m <= 12; ++m) out += (m > 1 ? ", :M" : ":M") + Two(m);
        return out;
      }() + ");",
      "END ^",
  });
  return Text(s);
}

std::string SisanhyoBumonGroup() {
  Columns results = {{"GROUPM1", kCode}, {"GROUPM2", kCode}, {"USERCODE", kCode},
                     {"KCODE", kCode},   {"KNAME", kName},   {"BSPL", "VARCHAR(1) CHARACTER SET ASCII"},
                     {"HOJCNT", "INTEGER"}, {"HCODE", kCode}, {"HNAME", kName},
                     {"TAISHAKU", "INTEGER"}, {"KAISIZAN", kAmount}};
  for (const char* p : {"KAR", "KAS"})
    for (int i = 1; i <= 16; ++i) results.push_back({p + Two(i), kAmount});
  Lines s = Header("SP_SISANHYO_BUMON_GROUP", {{"PTAX", "INTEGER"}, {"PSCODE", kCode}, {"PGCODE", kCode}}, results,
                   {{"VSCODE", kCode},
                    {"VBCODE", kCode},
                    {"VHCODE", kCode},
                    {"VKARIUKE", kCode},
                    {"VKARIBARAI", kCode},
                    {"VBUMON", "INTEGER"},
                    {"VKIND", "INTEGER"},
                    {"VMNUM", "INTEGER"},
                    {"VKAR", kWork},
                    {"VKAS", kWork},
                    {"VTOTAL", kWork}});
  const std::string inGroup = "BCODE IN (SELECT G.BCODE FROM GROUPLIST G WHERE G.GCODE = :PGCODE)";
  const std::string amounts =
      "COALESCE(SUM(KAR_NUK + CASE WHEN :PTAX = 0 THEN KAR_TAX ELSE 0 END), 0), "
      "COALESCE(SUM(KAS_NUK + CASE WHEN :PTAX = 0 THEN KAS_TAX ELSE 0 END), 0)";
  const auto clear = [&](const std::string& in) {
    AddPer(s, in, 1, 16, [](int i) { return "KAR" + Two(i) + " = 0; KAS" + Two(i) + " = 0;"; });
  };
  const auto store = [&](const std::string& in) {
    for (int i = 1; i <= 16; ++i)
      s.push_back(in + (i == 1 ? "" : "ELSE ") + "IF (VMNUM = " + std::to_string(i) + ") THEN BEGIN KAR" + Two(i) +
                  " = VKAR; KAS" + Two(i) + " = VKAS; END");
  };
  const std::string slots32 = [] {
    std::string out;
    for (const char* p : {":KAR", ":KAS"})
      for (int i = 1; i <= 16; ++i) out += (out.empty() ? "" : ", ") + std::string(p) + Two(i);
    return out;
  }();
  Add(s, {
      "BEGIN",
      "  VBUMON = 0;",
      "  SELECT COALESCE(BUMON, 0) FROM ACCDEF1 WHERE REC = 1 INTO :VBUMON;",
      "  VKARIUKE = '';",
      "  VKARIBARAI = '';",
      "  SELECT CODE FROM SYSKMKCODEINF('仮受消費税') INTO :VKARIUKE;",
      "  SELECT CODE FROM SYSKMKCODEINF('仮払消費税') INTO :VKARIBARAI;",
      "  FOR SELECT SCODE, GROUPM1, USERCODE FROM KAMOKU_VIEW WHERE SCODE = :PSCODE AND " + inGroup,
      "    GROUP BY SCODE, GROUPM1, USERCODE ORDER BY SCODE, GROUPM1, USERCODE",
      "    INTO :VSCODE, :GROUPM1, :USERCODE",
      "  DO",
      "  BEGIN",
      "    SELECT FIRST 1 KCODE, GROUPM2, KNAME, BPFLG, DAC FROM KAMOKUMST WHERE USERCODE = :USERCODE ORDER BY KCODE",
      "      INTO :KCODE, :GROUPM2, :KNAME, :BSPL, :TAISHAKU;",
      "    HOJCNT = 0;",
      "    SELECT COUNT(DISTINCT HCODE) FROM KAMOKU_SZ WHERE SCODE = :PSCODE AND KCODE = :KCODE AND HCODE <> ' '",
      "      AND " + inGroup + " INTO :HOJCNT;",
      "    KAISIZAN = 0;",
      "    SELECT COALESCE(SUM(KAISIZAN), 0) FROM KAMOKU_SZ WHERE SCODE = :PSCODE AND KCODE = :KCODE AND " + inGroup,
      "      INTO :KAISIZAN;",
  });
  clear("    ");
  Add(s, {
      "    FOR SELECT MNUM, " + amounts + " FROM KAMOKU_MS",
      "      WHERE SCODE = :PSCODE AND KCODE = :KCODE AND MNUM BETWEEN 1 AND 16 AND " + inGroup,
      "      GROUP BY MNUM INTO :VMNUM, :VKAR, :VKAS",
      "    DO",
      "    BEGIN",
  });
  store("      ");
  Add(s, {
      "    END",
      // The tax tables of the departments complete the suspense tax accounts.
      "    IF (VBUMON = 2 AND PTAX = 1 AND (KCODE = VKARIUKE OR KCODE = VKARIBARAI)) THEN",
      "    BEGIN",
      "      VKIND = 2;",
      "      IF (KCODE = VKARIUKE) THEN VKIND = 1;",
      "      FOR SELECT BCODE FROM GROUPLIST WHERE GCODE = :PGCODE ORDER BY BCODE INTO :VBCODE",
      "      DO",
      "        SELECT " + [] {
        std::string out;
        for (const char* p : {"RKAR", "RKAS"})
          for (int i = 1; i <= 16; ++i) out += (out.empty() ? "" : ", ") + std::string(p) + Two(i);
        return out;
      }(),
      "          FROM SP_ZEIGAKU_ADD(:PSCODE, :VBCODE, :VKIND, " + slots32 + ", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0)",
      "          INTO " + slots32 + ";",
      "    END",
      "    HCODE = '';",
      "    HNAME = '';",
      "    SUSPEND;",
      "    IF (HOJCNT > 0) THEN",
      "    BEGIN",
      "      HOJCNT = 0;",
  });
  clear("      ");
  Add(s, {
      "      FOR SELECT HCODE, MNUM, " + amounts + " FROM KAMOKU_MS",
      "        WHERE SCODE = :PSCODE AND KCODE = :KCODE AND MNUM BETWEEN 1 AND 16 AND " + inGroup,
      "        GROUP BY HCODE, MNUM ORDER BY HCODE, MNUM INTO :VHCODE, :VMNUM, :VKAR, :VKAS",
      "      DO",
      "      BEGIN",
  });
  store("        ");
  Add(s, {
      "        IF (VMNUM = 16) THEN",
      "        BEGIN",
      "          HCODE = VHCODE;",
      "          KAISIZAN = 0;",
      "          SELECT COALESCE(SUM(KAISIZAN), 0) FROM KAMOKU_SZ WHERE SCODE = :PSCODE AND KCODE = :KCODE",
      "            AND HCODE = :VHCODE AND " + inGroup + " INTO :KAISIZAN;",
      "          IF (VHCODE = ' ') THEN",
      "          BEGIN",
      // The account's own postings show only when there is something to show.
      "            HNAME = KNAME;",
      "            VTOTAL = KAISIZAN;",
  });
  AddPer(s, "            ", 1, 16, [](int i) { return "VTOTAL = VTOTAL + KAR" + Two(i) + " + KAS" + Two(i) + ";"; });
  Add(s, {
      "            IF (VTOTAL <> 0) THEN SUSPEND;",
      "          END",
      "          ELSE",
      "          BEGIN",
      "            HNAME = NULL;",
      "            SELECT HNAME FROM HOJOMST WHERE KCODE = :KCODE AND HCODE = :VHCODE INTO :HNAME;",
      "            SUSPEND;",
      "          END",
  });
  // The next sub-account starts from nothing, also where it has no row for a slot.
  clear("          ");
  Add(s, {"        END", "      END", "    END", "  END", "END ^"});
  return Text(s);
}

std::string YosanRead() {
  Columns results = {{"KGROUP", kCode}, {"USERCODE", kCode}, {"KCODE", kCode}, {"KNAME", kName},
                     {"HCODE", kCode},  {"HNAME", kName},    {"TAISHAKU", "INTEGER"}};
  for (int m = 1; m <= 12; ++m) results.push_back({"YOSAN" + Two(m), kAmount});
  Lines s = Header("SP_YOSAN_READ", {{"PSCODE", kCode}, {"PBCODE", kCode}}, results,
                   {{"VMNUM", "INTEGER"}, {"VVALUE", kWork}});
  Add(s, {
      "BEGIN",
      "  FOR SELECT GROUPM1, USERCODE, KCODE, KNAME, HCODE, HNAME, DAC FROM KAMOKU_VIEW",
      "    WHERE SCODE = :PSCODE AND BCODE = :PBCODE AND BPFLG = 'P' AND GROUPM1 <> '9900'",
      "    ORDER BY GROUPM1, USERCODE, HCODE",
      "    INTO :KGROUP, :USERCODE, :KCODE, :KNAME, :HCODE, :HNAME, :TAISHAKU",
      "  DO",
      "  BEGIN",
  });
  AddPer(s, "    ", 1, 12, [](int m) { return "YOSAN" + Two(m) + " = 0;"; });
  Add(s, {
      "    FOR SELECT MNUM, COALESCE(SUM(BYOSAN), 0) FROM KAMOKU_MS",
      "      WHERE KCODE = :KCODE AND HCODE = :HCODE AND (:PSCODE = ' ' OR SCODE = :PSCODE)",
      "        AND (:PBCODE = ' ' OR BCODE = :PBCODE) AND MNUM BETWEEN 1 AND 15",
      "      GROUP BY MNUM INTO :VMNUM, :VVALUE",
      "    DO",
      "    BEGIN",
  });
  AddSlotStore(s, "      ", "VMNUM", 1, 15,
               [](int slot) {
                 const int m = MonthOfSlot(slot);
                 return m == 0 ? std::string() : "YOSAN" + Two(m);
               },
               "VVALUE");
  Add(s, {"    END", "    SUSPEND;", "  END", "END ^"});
  return Text(s);
}

std::string Zenkuri() {
  Lines s = Header("SP_ZENKURI", {{"SCODE", kCode}, {"KAMOKUCODE", kCode}}, {{"BCODE", kCode}, {"KAISIZAN", kAmount}},
                   {{"VDATATYPE", "INTEGER"},
                    {"VBUMON", "INTEGER"},
                    {"VBUMEX", "INTEGER"},
                    {"VKURIKOSI", kCode},
                    {"VKARI", kWork},
                    {"VKASI", kWork}});
  const Lines carry = {
      "    VKARI = 0;",
      "    VKASI = 0;",
      "    SELECT COALESCE(SUM(CASE WHEN V.DAC IN (1, 4) THEN V.KAISIZAN ELSE 0 END), 0),",
      "        COALESCE(SUM(CASE WHEN V.DAC IN (2, 3) THEN V.KAISIZAN ELSE 0 END), 0)",
      "      FROM KAMOKU_VIEW V WHERE V.SCODE = :SCODE AND V.BCODE = :BCODE AND V.BPFLG = 'B'",
      "        AND V.KCODE IS DISTINCT FROM :VKURIKOSI",
      "      INTO :VKARI, :VKASI;",
      "    KAISIZAN = VKARI - VKASI;",
      "    UPDATE KAMOKU_SZ Z SET Z.KAISIZAN = :KAISIZAN",
      "      WHERE Z.SCODE = :SCODE AND Z.KCODE = :VKURIKOSI AND Z.HCODE = ' ' AND Z.BCODE = :BCODE;",
      "    SUSPEND;",
  };
  Add(s, {
      "BEGIN",
      "  VDATATYPE = 0;",
      "  VBUMON = 0;",
      "  SELECT COALESCE(A.DATATYPE, 0), COALESCE(A.BUMON, 0) FROM ACCDEF1 A WHERE A.REC = 1 INTO :VDATATYPE, :VBUMON;",
      "  IF (VDATATYPE <> 1) THEN EXIT;",
      "  VKURIKOSI = '';",
      "  SELECT CODE FROM SYSKMKCODEINF('繰越利益剰余金') INTO :VKURIKOSI;",
      "  VBUMEX = 0;",
      "  SELECT COALESCE(S.BUMEX, 0) FROM SISETUMST S WHERE S.SCODE = :SCODE INTO :VBUMEX;",
      "  IF (VBUMON = 2 AND VBUMEX = 1) THEN",
      "  FOR SELECT B.BCODE FROM BUMONMST B ORDER BY B.BCODE INTO :BCODE",
      "  DO",
      "  BEGIN",
  });
  s.insert(s.end(), carry.begin(), carry.end());
  Add(s, {"  END", "  ELSE", "  BEGIN", "    BCODE = ' ';"});
  s.insert(s.end(), carry.begin(), carry.end());
  Add(s, {"  END", "END ^"});
  return Text(s);
}

}  // namespace step022
