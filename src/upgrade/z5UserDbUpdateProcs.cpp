// The journal paging lists are one family: the same 71 columns, a page counted from a position
// in one direction. They differ in the lines they select, their order, the test that puts a
// line on the requested side of the position and the width of their texts; one template writes
// them all from those four facts.
#include "upgrade/z5UserDbUpdateProcs.h"

#include <functional>
#include <iterator>
#include <utility>
#include <stdexcept>
#include <vector>

namespace userprocs {
namespace {

using Lines = std::vector<std::string>;

std::string Join(const Lines& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

std::string Two(int i) { return (i < 10 ? "0" : "") + std::to_string(i); }

// ------------------------------------------------------------------ journal paging lists

// Which width a text column takes.
enum class TText : uint8_t { None, Name, Tek, Tor, Comment, LinkKey };

struct TListColumn {
  const char* name;
  const char* type;  // when not a text
  TText text;
};

constexpr const char* kCode = "VARCHAR(6) CHARACTER SET ASCII";
constexpr const char* kAmount = "NUMERIC(16,4)";
constexpr const char* kInt = "INTEGER";

// After RECORDCNT, in order. RESERVE1 and RESERVE2 are not read by the ledger members.
constexpr TListColumn kListColumns[] = {
    {"REC", kInt, TText::None},          {"SWKREC", kInt, TText::None},       {"SWKNO", kInt, TText::None},
    {"DELFLG", kInt, TText::None},       {"TAISHAKU", kInt, TText::None},     {"HIZUKE", "DATE", TText::None},
    {"MNUM", kInt, TText::None},         {"KESSAN", kInt, TText::None},       {"DNUM", kInt, TText::None},
    {"SNUM", kInt, TText::None},         {"MDAYNUM", kInt, TText::None},      {"SDAYNUM", kInt, TText::None},
    {"SCODE", kCode, TText::None},       {"SITREC", kInt, TText::None},       {"KGROUP", kCode, TText::None},
    {"KCODE", kCode, TText::None},       {"USERCODE", kCode, TText::None},    {"HCODE", kCode, TText::None},
    {"BCODE", kCode, TText::None},       {"KNAME", "", TText::Name},          {"HNAME", "", TText::Name},
    {"BNAME", "", TText::Name},          {"TAXCODE", kInt, TText::None},      {"TAXUH", kInt, TText::None},
    {"TAXDC", kInt, TText::None},        {"NUK", kAmount, TText::None},       {"ZEI", kAmount, TText::None},
    {"RIT", kAmount, TText::None},       {"SIKIN", kInt, TText::None},        {"R_KGROUP", kCode, TText::None},
    {"R_KCODE", kCode, TText::None},     {"R_USERCODE", kCode, TText::None},  {"R_HCODE", kCode, TText::None},
    {"R_BCODE", kCode, TText::None},     {"R_KNAME", "", TText::Name},        {"R_HNAME", "", TText::Name},
    {"R_BNAME", "", TText::Name},        {"R_TAXCODE", kInt, TText::None},    {"R_TAXUH", kInt, TText::None},
    {"R_TAXDC", kInt, TText::None},      {"R_NUK", kAmount, TText::None},     {"R_ZEI", kAmount, TText::None},
    {"R_RIT", kAmount, TText::None},     {"R_SIKIN", kInt, TText::None},      {"KINGAKU", kAmount, TText::None},
    {"ZEIGAKU", kAmount, TText::None},   {"ZEIRITUNO", kInt, TText::None},    {"AUTCALCU", kInt, TText::None},
    {"TAXCALCU", kInt, TText::None},     {"OLDRATE", kInt, TText::None},      {"TEKCODE", kInt, TText::None},
    {"TEKTEXT", "", TText::Tek},         {"TORCODE", kInt, TText::None},      {"TORTEXT", "", TText::Tor},
    {"FUSEN1", kInt, TText::None},       {"FUSEN2", kInt, TText::None},       {"FUSEN3", kInt, TText::None},
    {"FUSEN4", kInt, TText::None},       {"FUSEN5", kInt, TText::None},       {"CTIME", "TIMESTAMP", TText::None},
    {"COMMENT", "", TText::Comment},     {"AO_COMMENT", "", TText::Comment},  {"LINKKEY", "", TText::LinkKey},
    {"LINKKUB", kInt, TText::None},      {"LINKREC", kInt, TText::None},      {"LOCALFLG", kInt, TText::None},
    {"RESERVE1", kInt, TText::None},     {"RESERVE2", kInt, TText::None},     {"RTIME", "TIMESTAMP", TText::None},
    {"OPCODE", kInt, TText::None},
};

// Text widths: names, TEKTEXT, TORTEXT, COMMENT/AO_COMMENT, LINKKEY.
struct TWidths {
  int name, tek, tor, comment, linkKey;
};
constexpr TWidths kNarrowMonitor{56, 200, 80, 200, 80};
constexpr TWidths kWide{112, 400, 160, 400, 160};
constexpr TWidths kJournalBook{28, 100, 40, 100, 40};

enum class TKind : uint8_t { Monitor, Siwake, Motocho };

TKind KindOf(TListMember m) {
  switch (m) {
    case TListMember::SiwakeListUp:
    case TListMember::SiwakeListDown:
    case TListMember::SiwakeListIn:
      return TKind::Siwake;
    case TListMember::MotochoListUp:
    case TListMember::MotochoListDown:
    case TListMember::MotochoListIn:
      return TKind::Motocho;
    default:
      return TKind::Monitor;
  }
}

std::string ColumnType(const TListColumn& c, const TWidths& w) {
  int width = 0;
  switch (c.text) {
    case TText::None:
      return c.type;
    case TText::Name:
      width = w.name;
      break;
    case TText::Tek:
      width = w.tek;
      break;
    case TText::Tor:
      width = w.tor;
      break;
    case TText::Comment:
      width = w.comment;
      break;
    case TText::LinkKey:
      width = w.linkKey;
      break;
  }
  return "VARCHAR(" + std::to_string(width) + ") CHARACTER SET SJIS_0208";
}

// The page counter shared by every member: count the qualifying line, return it once the
// offset is passed, stop at the first line that finds the page full.
void AddPageRow(Lines& s, const std::string& indent, bool ledger) {
  s.insert(s.end(), {
      indent + "VCOUNT = VCOUNT + 1;",
      indent + "IF (VCOUNT > VOFFSET) THEN",
      indent + "BEGIN",
      indent + "  IF (VPAGE >= VLIMIT) THEN EXIT;",
      indent + "  RECORDCNT = VCOUNT;",
  });
  if (ledger) s.insert(s.end(), {indent + "  RESERVE1 = NULL;", indent + "  RESERVE2 = NULL;"});
  s.insert(s.end(), {
      indent + "  VPAGE = VPAGE + 1;",
      indent + "  SUSPEND;",
      indent + "END",
  });
}

}  // namespace

const char* ListMemberName(TListMember member) {
  switch (member) {
    case TListMember::MonitorListUp:
      return "SP_MONITOR_LISTUP";
    case TListMember::MonitorListDown:
      return "SP_MONITOR_LISTDOWN";
    case TListMember::MonitorListUpEntryOrder:
      return "SP_MONITOR_LISTUP_ENTRYORDER";
    case TListMember::MonitorListDownEntryOrder:
      return "SP_MONITOR_LISTDOWN_ENTRYORDER";
    case TListMember::SiwakeListUp:
      return "SP_SIWAKE_LISTUP";
    case TListMember::SiwakeListDown:
      return "SP_SIWAKE_LISTDOWN";
    case TListMember::SiwakeListIn:
      return "SP_SIWAKE_LISTIN";
    case TListMember::MotochoListUp:
      return "SP_MOTOCHO_LISTUP";
    case TListMember::MotochoListDown:
      return "SP_MOTOCHO_LISTDOWN";
    case TListMember::MotochoListIn:
      return "SP_MOTOCHO_LISTIN";
  }
  return "";
}

std::string JournalListProcedure(TListMember member, int32_t step, const std::string& verb) {
  const TKind kind = KindOf(member);
  const bool monitorUpDown = member == TListMember::MonitorListUp || member == TListMember::MonitorListDown;
  if (step < kStep200 && !(step == kStep103 && monitorUpDown))
    throw std::invalid_argument(std::string(ListMemberName(member)) + " has no version before 2.0.0");
  // The up/down monitor lists of 1.0.3 position on the entry number; 2.0.0 orders them by entry
  // record; from 2.0.4 on they position on the branch's entry number.
  const int version = monitorUpDown ? (step >= kStep204 ? kStep204 : step >= kStep200 ? kStep200 : kStep103)
                                    : kStep200;
  const TWidths widths = kind == TKind::Siwake ? kJournalBook
                         : (monitorUpDown && version == kStep103) ? kNarrowMonitor
                                                                   : kWide;
  const bool ledger = kind == TKind::Motocho;
  const bool up = member == TListMember::MonitorListUp || member == TListMember::MonitorListUpEntryOrder ||
                  member == TListMember::SiwakeListUp || member == TListMember::MotochoListUp;
  const bool listIn = member == TListMember::SiwakeListIn || member == TListMember::MotochoListIn;

  Lines s{verb + " PROCEDURE " + ListMemberName(member) + " ("};
  if (kind == TKind::Monitor) {
    s.insert(s.end(), {
        "  PSCODE VARCHAR(6) CHARACTER SET ASCII,",
        "  PSWKREC INTEGER,",
        "  PSWKNO INTEGER,",
        "  PDELFLG1 INTEGER,",
        "  PDELFLG2 INTEGER,",
        "  PDELFLG3 INTEGER,",
    });
  } else {
    if (ledger) s.push_back("  PPROCTYPE INTEGER,");
    s.push_back("  PSCODE VARCHAR(6) CHARACTER SET ASCII,");
    if (ledger) {
      s.insert(s.end(), {
          "  PKCODE VARCHAR(6) CHARACTER SET ASCII,",
          "  PHCODE VARCHAR(6) CHARACTER SET ASCII,",
          "  PBCODE VARCHAR(6) CHARACTER SET ASCII,",
      });
    }
    s.insert(s.end(), {"  PKESSAN INTEGER,", "  PSHIZUKE DATE,", "  PEHIZUKE DATE,", "  PSWKNO INTEGER,"});
    if (ledger) s.push_back("  PTAISHAKU INTEGER,");
    s.push_back("  PDELFLG INTEGER,");
  }
  s.insert(s.end(), {"  POFFSET INTEGER,", "  PLIMIT INTEGER)", "RETURNS (", "  RECORDCNT INTEGER,"});
  constexpr size_t n = std::size(kListColumns);
  for (size_t i = 0; i < n; ++i)
    s.push_back(std::string("  ") + kListColumns[i].name + " " + ColumnType(kListColumns[i], widths) +
                (i + 1 < n ? "," : ")"));
  s.insert(s.end(), {
      "AS",
      "  DECLARE VARIABLE VLIMIT INTEGER;",
      "  DECLARE VARIABLE VOFFSET INTEGER;",
      "  DECLARE VARIABLE VCOUNT INTEGER;",
      "  DECLARE VARIABLE VPAGE INTEGER;",
  });
  if (kind == TKind::Monitor) {
    s.insert(s.end(), {"  DECLARE VARIABLE VSWKREC INTEGER;", "  DECLARE VARIABLE VSWKNO INTEGER;"});
  } else {
    s.insert(s.end(), {
        "  DECLARE VARIABLE VSTART DATE;",
        "  DECLARE VARIABLE VEND DATE;",
        "  DECLARE VARIABLE VPOS DATE;",
        "  DECLARE VARIABLE VSORT DATE;",
        "  DECLARE VARIABLE VTAKE INTEGER;",
    });
  }
  s.insert(s.end(), {
      "BEGIN",
      "  VLIMIT = COALESCE(PLIMIT, 0);",
      "  IF (VLIMIT <= 0) THEN VLIMIT = 50;",
      "  VOFFSET = COALESCE(POFFSET, 0);",
      "  VCOUNT = 0;",
      "  VPAGE = 0;",
  });

  std::string columns, into;
  for (const TListColumn& c : kListColumns) {
    const std::string name = c.name;
    if (ledger && (name == "RESERVE1" || name == "RESERVE2")) continue;
    columns += (columns.empty() ? "    " : ", ") + name;
    into += (into.empty() ? "    :" : ", :") + name;
  }

  if (kind == TKind::Monitor) {
    const bool entryOrder =
        member == TListMember::MonitorListUpEntryOrder || member == TListMember::MonitorListDownEntryOrder;
    s.insert(s.end(), {"  VSWKREC = COALESCE(PSWKREC, 0);", "  VSWKNO = COALESCE(PSWKNO, 0);"});
    if (up) {
      // An up-list without a position starts at the branch's newest entry.
      s.insert(s.end(), {
          "  IF (VSWKREC = 0) THEN",
          "    SELECT COALESCE(MAX(SWKREC), 0), COALESCE(MAX(SWKNO), 0) FROM SIWAKE WHERE SCODE = :PSCODE",
          "      INTO :VSWKREC, :VSWKNO;",
      });
    }
    // 1.0.3 positions on the entry number, later versions on the branch's entry number.
    const std::string pos = version == kStep103 ? "SWKNO" : "SITREC";
    std::string where = "    WHERE TAISHAKU = 1 AND SCODE = :PSCODE";
    std::string order;
    if (entryOrder) {
      where += up ? " AND SWKREC <= :VSWKREC" : " AND SWKREC >= :VSWKREC";
      order = up ? "SWKREC DESC" : "SWKREC";
    } else {
      where += " AND " + pos + (up ? " <= :VSWKNO" : " >= :VSWKNO");
      if (version == kStep200)
        order = up ? "SWKREC DESC" : "SWKREC";
      else
        order = up ? "SITREC DESC, REC DESC" : "SITREC, REC";
    }
    s.insert(s.end(), {"  FOR SELECT", columns, "    FROM SIWAKE_VIEW", where,
                       "      AND (:PDELFLG1 = -1 OR DELFLG IN (:PDELFLG1, :PDELFLG2, :PDELFLG3))",
                       "    ORDER BY " + order, "    INTO", into, "  DO", "  BEGIN"});
    if (entryOrder) {
      AddPageRow(s, "    ", false);
    } else if (up) {
      s.push_back("    IF (" + pos + " < VSWKNO OR (" + pos + " = VSWKNO AND SWKREC <= VSWKREC)) THEN");
      s.push_back("    BEGIN");
      AddPageRow(s, "      ", false);
      s.push_back("    END");
    } else {
      s.push_back("    IF (VSWKREC = 0 OR " + pos + " > VSWKNO OR (" + pos + " = VSWKNO AND SWKREC >= VSWKREC)) THEN");
      s.push_back("    BEGIN");
      AddPageRow(s, "      ", false);
      s.push_back("    END");
    }
    s.insert(s.end(), {"  END", "END ^", ""});
    return Join(s);
  }

  // Journal book and ledger: a date range, corrected when it is reversed.
  s.insert(s.end(), {"  VSTART = PSHIZUKE;", "  VEND = PEHIZUKE;", "  IF (VEND < VSTART) THEN"});
  if (member == TListMember::SiwakeListDown)
    s.push_back("    SELECT KIMATU FROM ACCDEF1 WHERE REC = 1 INTO :VEND;");
  else
    s.push_back("    SELECT KISHU FROM ACCDEF1 WHERE REC = 1 INTO :VSTART;");

  std::string where = "    WHERE HIZUKE BETWEEN :VSTART AND :VEND";
  Lines filter;
  if (ledger) {
    filter = {
        "      AND DELFLG = :PDELFLG",
        "      AND (KCODE = :PKCODE OR (:PPROCTYPE IN (1, 2) AND TAXUH = :PPROCTYPE AND ZEI > 0))",
        "      AND (COALESCE(:PSCODE, '') = '' OR SCODE = :PSCODE)",
        "      AND (COALESCE(:PHCODE, '') = '' OR HCODE = :PHCODE)",
        "      AND (COALESCE(:PBCODE, '') = '' OR BCODE = :PBCODE)",
    };
  } else {
    filter = {"      AND TAISHAKU = 1 AND SCODE = :PSCODE"};
    filter.push_back(listIn ? "      AND DELFLG = :PDELFLG" : "      AND (:PDELFLG = -1 OR DELFLG = :PDELFLG)");
  }
  if (listIn) filter.push_back("      AND (:PKESSAN = -1 OR KESSAN = :PKESSAN)");

  std::string order;
  const std::string dir = up ? " DESC" : "";
  if (listIn)
    order = ledger ? "SWKNO DESC, TAISHAKU DESC" : "SWKNO DESC";
  else {
    order = "HIZUKE" + dir + ", KESSAN" + dir + ", SDAYNUM" + dir + ", SWKNO" + dir;
    if (ledger) order += ", TAISHAKU" + dir;
  }

  if (!listIn) {
    // Closing lines sort after the ordinary lines of their day: they and a closing position
    // count one day later.
    s.push_back(up ? "  VPOS = VEND;" : "  VPOS = VSTART;");
    s.push_back("  IF (PKESSAN = 1) THEN VPOS = VPOS + 1;");
  }
  s.insert(s.end(), {"  FOR SELECT", columns, "    FROM SIWAKE_VIEW", where});
  s.insert(s.end(), filter.begin(), filter.end());
  s.insert(s.end(), {"    ORDER BY " + order, "    INTO", into, "  DO", "  BEGIN", "    VTAKE = 0;"});
  if (listIn) {
    s.push_back("    IF (HIZUKE < VEND OR COALESCE(PSWKNO, 0) = 0 OR SWKNO <= PSWKNO) THEN VTAKE = 1;");
  } else {
    const std::string tie = ledger ? (up ? "SWKNO < PSWKNO OR (SWKNO = PSWKNO AND TAISHAKU <= PTAISHAKU)"
                                         : "SWKNO > PSWKNO OR (SWKNO = PSWKNO AND TAISHAKU >= PTAISHAKU)")
                                   : (up ? "SWKNO <= PSWKNO" : "SWKNO >= PSWKNO");
    s.insert(s.end(), {
        "    VSORT = HIZUKE;",
        "    IF (KESSAN = 1) THEN VSORT = VSORT + 1;",
        std::string("    IF (VSORT ") + (up ? "<" : ">") + " VPOS) THEN VTAKE = 1;",
        "    ELSE IF (VSORT = VPOS) THEN",
        "    BEGIN",
        std::string("      IF (HIZUKE ") + (up ? "< VEND" : "> VSTART") + " OR COALESCE(PSWKNO, 0) = 0 OR " + tie +
            ") THEN",
        "        VTAKE = 1;",
        "    END",
    });
  }
  s.insert(s.end(), {"    IF (VTAKE = 1) THEN", "    BEGIN"});
  AddPageRow(s, "      ", ledger);
  s.insert(s.end(), {"    END", "  END", "END ^", ""});
  return Join(s);
}

// ------------------------------------------------------------------ balance procedures

std::string ZeigakuAddProcedure(const std::string& verb) {
  Lines s{verb + " PROCEDURE SP_ZEIGAKU_ADD (",
          "  PSISCODE VARCHAR(6) CHARACTER SET ASCII,",
          "  PBUMCODE VARCHAR(6) CHARACTER SET ASCII,",
          "  PTKCODE INTEGER,"};
  for (const char* p : {"KAR", "KAS", "HAIBUN"})
    for (int i = 1; i <= 16; ++i)
      s.push_back(std::string("  ") + p + Two(i) + " NUMERIC(16,4)" + (std::string(p) == "HAIBUN" && i == 16 ? ")" : ","));
  s.push_back("RETURNS (");
  for (const char* p : {"RKAR", "RKAS"})
    for (int i = 1; i <= 16; ++i)
      s.push_back(std::string("  ") + p + Two(i) + " NUMERIC(16,4)" + (std::string(p) == "RKAS" && i == 16 ? ")" : ","));
  s.insert(s.end(), {
      "AS",
      "  DECLARE VARIABLE VMNUM INTEGER;",
      "  DECLARE VARIABLE VKAR NUMERIC(18,4);",
      "  DECLARE VARIABLE VKAS NUMERIC(18,4);",
      "  DECLARE VARIABLE VRATE NUMERIC(18,4);",
      "  DECLARE VARIABLE VSHARE INTEGER;",
      "BEGIN",
  });
  for (int i = 1; i <= 16; ++i)
    s.push_back("  RKAR" + Two(i) + " = COALESCE(KAR" + Two(i) + ", 0); RKAS" + Two(i) + " = COALESCE(KAS" + Two(i) + ", 0);");
  s.insert(s.end(), {
      // Only the branch-and-department case shares the table out by the rates.
      "  VSHARE = 0;",
      "  IF (COALESCE(:PSISCODE, '') <> '' AND COALESCE(:PBUMCODE, '') <> '') THEN VSHARE = 1;",
      "  FOR SELECT MNUM, SUM(KAR), SUM(KAS) FROM KAMOKU_TAX",
      "    WHERE KKUBUN = :PTKCODE",
      "      AND ((COALESCE(:PSISCODE, '') = '' AND COALESCE(:PBUMCODE, '') = '')",
      "        OR (COALESCE(:PBUMCODE, '') = '' AND SCODE = :PSISCODE)",
      "        OR (COALESCE(:PBUMCODE, '') <> '' AND SCODE = :PSISCODE AND BCODE = :PBUMCODE))",
      "    GROUP BY MNUM",
      "    INTO :VMNUM, :VKAR, :VKAS",
      "  DO",
      "  BEGIN",
      "    VKAR = COALESCE(VKAR, 0);",
      "    VKAS = COALESCE(VKAS, 0);",
      "    IF (VSHARE = 1) THEN",
      "    BEGIN",
      "      VRATE = CASE VMNUM",
  });
  for (int i = 1; i <= 16; ++i) s.push_back("        WHEN " + std::to_string(i) + " THEN HAIBUN" + Two(i));
  s.insert(s.end(), {
      "        ELSE 0 END;",
      "      VRATE = COALESCE(VRATE, 0);",
      "      VKAR = FLOOR(0.5 + VKAR * VRATE);",
      "      VKAS = FLOOR(0.5 + VKAS * VRATE);",
      "    END",
  });
  for (int i = 1; i <= 16; ++i)
    s.push_back("    " + std::string(i == 1 ? "" : "ELSE ") + "IF (VMNUM = " + std::to_string(i) + ") THEN BEGIN RKAR" +
                Two(i) + " = RKAR" + Two(i) + " + VKAR; RKAS" + Two(i) + " = RKAS" + Two(i) + " + VKAS; END");
  s.insert(s.end(), {"  END", "  SUSPEND;", "END ^", ""});
  return Join(s);
}


// ------------------------------------------------------------------ trial balances
//
// Every trial balance works on one account at a time: its opening balance and the debit and
// credit totals of the sixteen slots are gathered into the work variables AKAISIZAN, AKARnn and
// AKASnn, and the procedure then returns them as they are (department trial balance) or adds
// them to the line of a fixed form. Sums and shares are kept in NUMERIC(18,4); rates are held
// as fractions, so an amount times a rate stays within range for any realistic amount.

namespace {

using Columns = std::vector<std::pair<std::string, std::string>>;

constexpr const char* kCodeType = "VARCHAR(6) CHARACTER SET ASCII";
constexpr const char* kAmountType = "NUMERIC(16,4)";
constexpr const char* kWorkType = "NUMERIC(18,4)";
constexpr const char* kNameType = "VARCHAR(14)";

std::string Num(int i) { return std::to_string(i); }

// The slot of a month of the fiscal year: the closing slots 4, 8 and 12 follow each quarter.
int SlotOfMonth(int month) { return month + (month - 1) / 3; }

// "P01, P02, ..." over the slots, each written as before + prefix + nn + after.
std::string SlotList(const std::string& prefix, int first, int last, const std::string& before = "",
                     const std::string& after = "") {
  std::string out;
  for (int i = first; i <= last; ++i) out += (out.empty() ? "" : ", ") + before + prefix + Two(i) + after;
  return out;
}

// The balance column of a past-year slot: ZANM32 .. ZANM00 up to slot 0, ZANP01 .. after it.
std::string ZanColumn(int slot) { return slot <= 0 ? "ZANM" + Two(-slot) : "ZANP" + Two(slot); }

// A statement per slot, several to a line.
void AddPerSlot(Lines& s, const std::string& indent, int first, int last,
                const std::function<std::string(int)>& statement) {
  std::string line = indent;
  for (int i = first; i <= last; ++i) {
    line += statement(i) + " ";
    if (line.size() > 100) {
      line.pop_back();
      s.push_back(line);
      line = indent;
    }
  }
  if (line != indent) {
    line.pop_back();
    s.push_back(line);
  }
}

// Writes "  NAME TYPE," lines, the last one closing the list.
void AddDeclared(Lines& s, const Columns& columns) {
  for (size_t i = 0; i < columns.size(); ++i)
    s.push_back("  " + columns[i].first + " " + columns[i].second + (i + 1 < columns.size() ? "," : ")"));
}

void AddSlotColumns(Columns& c) {
  c.push_back({"KAISIZAN", kAmountType});
  for (const char* p : {"KAR", "KAS"})
    for (int i = 1; i <= 16; ++i) c.push_back({p + Two(i), kAmountType});
}

void AddDeclare(Lines& s, const std::vector<std::string>& names, const std::string& type) {
  for (const std::string& n : names) s.push_back("  DECLARE VARIABLE " + n + " " + type + ";");
}

std::vector<std::string> SlotNames(const std::string& prefix, int first, int last) {
  std::vector<std::string> out;
  for (int i = first; i <= last; ++i) out.push_back(prefix + Two(i));
  return out;
}

// The work variables of one account's amounts and of the department shares.
void AddAmountVariables(Lines& s) {
  AddDeclare(s, {"AKAISIZAN"}, kWorkType);
  AddDeclare(s, SlotNames("AKAR", 1, 16), kWorkType);
  AddDeclare(s, SlotNames("AKAS", 1, 16), kWorkType);
  AddDeclare(s, SlotNames("H", 1, 16), kWorkType);
  AddDeclare(s, {"VOWN", "VCOM", "VOKAR", "VOKAS", "VCKAR", "VCKAS", "VRATE", "VOPENRATE", "VTOTAL"}, kWorkType);
  AddDeclare(s, {"VMNUM", "VKAISINO", "VBUMON", "VKIND"}, "INTEGER");
  AddDeclare(s, {"VKCODE", "VHCODE", "VKARIUKE", "VKARIBARAI"}, kCodeType);
}

// The accounting settings and the two suspense tax accounts, which get the tax table added.
void AddSettingsRead(Lines& s) {
  s.insert(s.end(), {
      "  VKAISINO = 1;",
      "  VBUMON = 0;",
      "  SELECT COALESCE(KAISINO, 1), COALESCE(BUMON, 0) FROM ACCDEF1 WHERE REC = 1 INTO :VKAISINO, :VBUMON;",
      "  VKARIUKE = '';",
      "  VKARIBARAI = '';",
      "  SELECT CODE FROM SYSKMKCODEINF('仮受消費税') INTO :VKARIUKE;",
      "  SELECT CODE FROM SYSKMKCODEINF('仮払消費税') INTO :VKARIBARAI;",
  });
}

// A slot amount of KAMOKU_MS with or without its tax part.
std::string Amount(const std::string& side) {
  return "COALESCE(" + side + "_NUK, 0) + CASE WHEN :PTAX = 0 THEN COALESCE(" + side + "_TAX, 0) ELSE 0 END";
}

std::string RateOfSlot(const std::string& slot) {
  std::string out = "CASE " + slot;
  for (int i = 1; i <= 16; ++i) out += " WHEN " + Num(i) + " THEN H" + Two(i);
  return out + " ELSE 0 END";
}

// Puts VOKAR and VOKAS into the work columns of slot VMNUM.
void AddSlotStore(Lines& s, const std::string& in) {
  for (int i = 1; i <= 16; ++i)
    s.push_back(in + (i == 1 ? "" : "ELSE ") + "IF (VMNUM = " + Num(i) + ") THEN BEGIN AKAR" + Two(i) +
                " = VOKAR; AKAS" + Two(i) + " = VOKAS; END");
}

void AddClearAmounts(Lines& s, const std::string& in) {
  s.push_back(in + "AKAISIZAN = 0;");
  AddPerSlot(s, in, 1, 16, [](int i) { return "AKAR" + Two(i) + " = 0; AKAS" + Two(i) + " = 0;"; });
}

std::string Repeat(const std::string& value, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += (i ? ", " : "") + value;
  return out;
}

// The tax table of suspense tax account VKCODE (kind VKIND) added to the work columns.
void AddZeigakuAdd(Lines& s, const std::string& in, const std::string& scode, const std::string& bcode,
                   const std::string& rates) {
  const std::string work = SlotList("AKAR", 1, 16, ":") + ", " + SlotList("AKAS", 1, 16, ":");
  s.push_back(in + "SELECT " + SlotList("RKAR", 1, 16) + ", " + SlotList("RKAS", 1, 16));
  s.push_back(in + "  FROM SP_ZEIGAKU_ADD(" + scode + ", " + bcode + ", :VKIND, " + work + ", " + rates + ")");
  s.push_back(in + "  INTO " + work + ";");
}

constexpr const char* kSuspense = "(VKCODE = VKARIUKE OR VKCODE = VKARIBARAI)";

void AddKind(Lines& s, const std::string& in) {
  s.push_back(in + "VKIND = 2;");
  s.push_back(in + "IF (VKCODE = VKARIUKE) THEN VKIND = 1;");
}

// How a department's amounts are gathered.
struct TDeptAmounts {
  bool step102 = false;      // the shares and the tax table as step 1.0.2 wrote them
  bool subAccount = false;   // one sub-account VHCODE: no tax table, the opening balance always shared
  bool monthBefore = false;  // the mid-year opening share by the slot of the month before the start month
};

// The rate of the slot that shares the opening balance, chosen by the start month VKAISINO.
std::string OpeningRate(bool monthBefore) {
  std::string out = "CASE VKAISINO WHEN 1 THEN H01";
  for (int m = 2; m <= 12; ++m) out += " WHEN " + Num(m) + " THEN H" + Two(SlotOfMonth(monthBefore ? m - 1 : m));
  return out + " ELSE 0 END";
}

// The amounts of account VKCODE (and sub-account VHCODE) of branch PSCODE and department
// PBCODE, with the common department's shares when PHIBUN is 1.
void AddDeptAmounts(Lines& s, const TDeptAmounts& o, const std::string& in) {
  const std::string h = o.subAccount ? " AND HCODE = :VHCODE" : "";
  // The department's own rates (the account's row comes first: its sub-account is blank).
  AddPerSlot(s, in, 1, 16, [](int i) { return "H" + Two(i) + " = 0;"; });
  s.push_back(in + "SELECT FIRST 1 " + SlotList("HAIBUN", 1, 16, "COALESCE(", ", 0) * 0.01"));
  s.push_back(in + "  FROM KAMOKU_SZ WHERE SCODE = :PSCODE AND KCODE = :VKCODE AND BCODE = :PBCODE" + h +
              " ORDER BY HCODE");
  s.push_back(in + "  INTO " + SlotList("H", 1, 16, ":") + ";");
  s.push_back(in + "VOPENRATE = " + OpeningRate(o.monthBefore) + ";");
  // Opening balance: the common department's share by the rate of the start month's slot;
  // "00" keeps its own share of its own balance.
  s.insert(s.end(), {
      in + "SELECT COALESCE(SUM(CASE WHEN BCODE = :PBCODE THEN KAISIZAN ELSE 0 END), 0),",
      in + "    COALESCE(SUM(CASE WHEN BCODE = '00' THEN KAISIZAN ELSE 0 END), 0)",
      in + "  FROM KAMOKU_SZ WHERE SCODE = :PSCODE AND KCODE = :VKCODE AND BCODE IN (:PBCODE, '00')" + h,
      in + "  INTO :VOWN, :VCOM;",
      in + "AKAISIZAN = VOWN;",
      in + "IF (PHIBUN = 1" + (o.subAccount ? std::string() : " AND (VKAISINO > 1 OR VBUMON = 2)") + ") THEN",
      in + "BEGIN",
      in + "  IF (PBCODE = '00') THEN AKAISIZAN = FLOOR(0.5 + VOWN * VOPENRATE);",
      in + "  ELSE AKAISIZAN = VOWN + FLOOR(0.5 + VCOM * VOPENRATE);",
      in + "END",
  });
  // Slot totals, each share rounded on its own.
  AddPerSlot(s, in, 1, 16, [](int i) { return "AKAR" + Two(i) + " = 0; AKAS" + Two(i) + " = 0;"; });
  const bool shareCommonInLoop = o.step102 || o.subAccount;
  s.insert(s.end(), {
      in + "FOR SELECT MNUM,",
      in + "    COALESCE(SUM(CASE WHEN BCODE = :PBCODE THEN " + Amount("KAR") + " ELSE 0 END), 0),",
      in + "    COALESCE(SUM(CASE WHEN BCODE = :PBCODE THEN " + Amount("KAS") + " ELSE 0 END), 0),",
      in + "    COALESCE(SUM(CASE WHEN BCODE = '00' THEN " + Amount("KAR") + " ELSE 0 END), 0),",
      in + "    COALESCE(SUM(CASE WHEN BCODE = '00' THEN " + Amount("KAS") + " ELSE 0 END), 0)",
      in + "  FROM KAMOKU_MS WHERE SCODE = :PSCODE AND KCODE = :VKCODE AND BCODE IN (:PBCODE, '00')" + h,
      in + "    AND MNUM BETWEEN 1 AND 16",
      in + "  GROUP BY MNUM",
      in + "  INTO :VMNUM, :VOKAR, :VOKAS, :VCKAR, :VCKAS",
      in + "DO",
      in + "BEGIN",
      in + "  VRATE = " + RateOfSlot("VMNUM") + ";",
      in + "  IF (PHIBUN = 1 AND PBCODE <> '00') THEN",
      in + "  BEGIN",
      in + "    VOKAR = VOKAR + FLOOR(0.5 + VCKAR * VRATE);",
      in + "    VOKAS = VOKAS + FLOOR(0.5 + VCKAS * VRATE);",
      in + "  END",
  });
  if (shareCommonInLoop) {
    s.insert(s.end(), {
        in + "  IF (PHIBUN = 1 AND PBCODE = '00') THEN",
        in + "  BEGIN",
        in + "    VOKAR = FLOOR(0.5 + VOKAR * VRATE);",
        in + "    VOKAS = FLOOR(0.5 + VOKAS * VRATE);",
        in + "  END",
    });
  }
  AddSlotStore(s, in + "  ");
  s.push_back(in + "END");
  if (o.subAccount) return;
  const std::string rates = SlotList("H", 1, 16, ":");
  if (o.step102) {
    // Every department, "00" included, adds its own tax table at its rates.
    s.push_back(in + "IF (PTAX = 1 AND PHIBUN = 1 AND " + kSuspense + ") THEN");
    s.push_back(in + "BEGIN");
    AddKind(s, in + "  ");
    AddZeigakuAdd(s, in + "  ", ":PSCODE", ":PBCODE", rates);
    s.push_back(in + "END");
    return;
  }
  // The department's own tax table, then the common department's at the department's rates;
  // "00" keeps its rated part of the whole.
  s.push_back(in + "IF (PTAX = 1 AND " + kSuspense + ") THEN");
  s.push_back(in + "BEGIN");
  AddKind(s, in + "  ");
  AddZeigakuAdd(s, in + "  ", ":PSCODE", ":PBCODE", Repeat("1", 16));
  s.push_back(in + "  IF (PHIBUN = 1 AND PBCODE <> '00') THEN");
  s.push_back(in + "  BEGIN");
  AddZeigakuAdd(s, in + "    ", ":PSCODE", "'00'", rates);
  s.push_back(in + "  END");
  s.push_back(in + "END");
  s.push_back(in + "IF (PHIBUN = 1 AND PBCODE = '00') THEN");
  s.push_back(in + "BEGIN");
  AddPerSlot(s, in + "  ", 1, 16, [](int i) {
    return "AKAR" + Two(i) + " = FLOOR(0.5 + AKAR" + Two(i) + " * H" + Two(i) + "); AKAS" + Two(i) +
           " = FLOOR(0.5 + AKAS" + Two(i) + " * H" + Two(i) + ");";
  });
  s.push_back(in + "END");
}

// The amounts of account VKCODE over the branches that `filter` (on alias Z) lets through, and
// the tax table of branch `taxScode` for the suspense tax accounts.
void AddBranchAmounts(Lines& s, const std::string& filter, const std::string& taxScode, const std::string& in) {
  s.push_back(in + "SELECT COALESCE(SUM(Z.KAISIZAN), 0) FROM KAMOKU_SZ Z WHERE Z.KCODE = :VKCODE AND " + filter);
  s.push_back(in + "  INTO :AKAISIZAN;");
  AddPerSlot(s, in, 1, 16, [](int i) { return "AKAR" + Two(i) + " = 0; AKAS" + Two(i) + " = 0;"; });
  s.insert(s.end(), {
      in + "FOR SELECT Z.MNUM, COALESCE(SUM(" + Amount("Z.KAR") + "), 0),",
      in + "    COALESCE(SUM(" + Amount("Z.KAS") + "), 0)",
      in + "  FROM KAMOKU_MS Z WHERE Z.KCODE = :VKCODE AND Z.MNUM BETWEEN 1 AND 16 AND " + filter,
      in + "  GROUP BY Z.MNUM",
      in + "  INTO :VMNUM, :VOKAR, :VOKAS",
      in + "DO",
      in + "BEGIN",
  });
  AddSlotStore(s, in + "  ");
  s.push_back(in + "END");
  s.push_back(in + "IF (PTAX = 1 AND " + std::string(kSuspense) + ") THEN");
  s.push_back(in + "BEGIN");
  AddKind(s, in + "  ");
  AddZeigakuAdd(s, in + "  ", taxScode, "''", Repeat("0", 16));
  s.push_back(in + "END");
}

void AddCopyAmounts(Lines& s, const std::string& in) {
  s.push_back(in + "KAISIZAN = AKAISIZAN;");
  AddPerSlot(s, in, 1, 16, [](int i) { return "KAR" + Two(i) + " = AKAR" + Two(i) + "; KAS" + Two(i) + " = AKAS" + Two(i) + ";"; });
}

void AddSumAmounts(Lines& s, const std::string& in) {
  s.push_back(in + "KAISIZAN = KAISIZAN + AKAISIZAN;");
  AddPerSlot(s, in, 1, 16, [](int i) {
    return "KAR" + Two(i) + " = KAR" + Two(i) + " + AKAR" + Two(i) + "; KAS" + Two(i) + " = KAS" + Two(i) + " + AKAS" +
           Two(i) + ";";
  });
}

const std::vector<std::pair<std::string, std::string>> kInDepartment = {
    {"PTAX", "INTEGER"}, {"PHIBUN", "INTEGER"}, {"PSCODE", kCodeType}, {"PBCODE", kCodeType}};

void AddInputs(Lines& s, const Columns& inputs) {
  for (size_t i = 0; i < inputs.size(); ++i)
    s.push_back("  " + inputs[i].first + " " + inputs[i].second + (i + 1 < inputs.size() ? "," : ")"));
}

}  // namespace

std::string SisanhyoBumonProcedure(int32_t step, const std::string& verb) {
  if (step != kStep102 && step != kStep103)
    throw std::invalid_argument("SP_SISANHYO_BUMON is written by the steps 1.0.2 and 1.0.3 only");
  Lines s{verb + " PROCEDURE SP_SISANHYO_BUMON ("};
  AddInputs(s, kInDepartment);
  s.push_back("RETURNS (");
  Columns out = {{"GROUPM1", kCodeType}, {"GROUPM2", kCodeType}, {"USERCODE", kCodeType},
                 {"KCODE", kCodeType},   {"KNAME", kNameType},    {"BSPL", "VARCHAR(1) CHARACTER SET ASCII"},
                 {"HOJCNT", "INTEGER"},  {"HCODE", kCodeType},    {"HNAME", kNameType},
                 {"TAISHAKU", "INTEGER"}};
  AddSlotColumns(out);
  AddDeclared(s, out);
  s.push_back("AS");
  AddAmountVariables(s);
  AddDeclare(s, {"VSCODE"}, kCodeType);
  s.push_back("BEGIN");
  AddSettingsRead(s);
  s.insert(s.end(), {
      "  FOR SELECT DISTINCT SCODE, GROUPM1, USERCODE FROM KAMOKU_VIEW",
      "    WHERE SCODE = :PSCODE AND BCODE = :PBCODE",
      "    ORDER BY SCODE, GROUPM1, USERCODE",
      "    INTO :VSCODE, :GROUPM1, :USERCODE",
      "  DO",
      "  BEGIN",
      "    SELECT FIRST 1 KCODE, GROUPM2, KNAME, BPFLG, DAC FROM KAMOKUMST WHERE USERCODE = :USERCODE ORDER BY KCODE",
      "      INTO :VKCODE, :GROUPM2, :KNAME, :BSPL, :TAISHAKU;",
      "    KCODE = VKCODE;",
      "    SELECT COUNT(*) FROM KAMOKU_SZ WHERE SCODE = :PSCODE AND BCODE = :PBCODE AND KCODE = :VKCODE",
      "      AND HCODE <> ' ' INTO :HOJCNT;",
  });
  AddDeptAmounts(s, {.step102 = step == kStep102}, "    ");
  AddCopyAmounts(s, "    ");
  s.insert(s.end(), {
      "    HCODE = '';",
      "    HNAME = '';",
      "    SUSPEND;",
      "    IF (HOJCNT > 0) THEN",
      "    BEGIN",
      "      HOJCNT = 0;",
      "      FOR SELECT Z.HCODE FROM KAMOKU_SZ Z",
      "        WHERE Z.SCODE = :PSCODE AND Z.BCODE = :PBCODE AND Z.KCODE = :VKCODE",
      "          AND EXISTS (SELECT 1 FROM KAMOKU_MS M WHERE M.SCODE = Z.SCODE AND M.KCODE = Z.KCODE",
      "            AND M.HCODE = Z.HCODE AND M.BCODE IN (:PBCODE, '00'))",
      "        ORDER BY Z.HCODE",
      "        INTO :VHCODE",
      "      DO",
      "      BEGIN",
  });
  AddDeptAmounts(s, {.step102 = step == kStep102, .subAccount = true}, "        ");
  AddCopyAmounts(s, "        ");
  s.insert(s.end(), {
      "        HCODE = VHCODE;",
      "        IF (VHCODE = ' ') THEN",
      "        BEGIN",
      // The account's own postings show only when there is something to show.
      "          HNAME = KNAME;",
      "          VTOTAL = ABS(AKAISIZAN);",
  });
  AddPerSlot(s, "          ", 1, 16, [](int i) {
    return "VTOTAL = VTOTAL + ABS(AKAR" + Two(i) + ") + ABS(AKAS" + Two(i) + ");";
  });
  s.insert(s.end(), {
      "          IF (VTOTAL <> 0) THEN SUSPEND;",
      "        END",
      "        ELSE",
      "        BEGIN",
      "          HNAME = NULL;",
      "          SELECT HNAME FROM HOJOMST WHERE KCODE = :VKCODE AND HCODE = :VHCODE INTO :HNAME;",
      "          SUSPEND;",
      "        END",
      "      END",
      "    END",
      "  END",
      "END ^",
      "",
  });
  return Join(s);
}

// ------------------------------------------------------------------ fixed forms

namespace {

enum class TFormScope : uint8_t { Branches, Department, Whole };

struct TFormSpec {
  std::string name;       // procedure
  std::string lines;      // line table
  std::string assign;     // the account column naming the line
  TFormScope scope;
  int32_t version;        // 103, 200 or 204
  int lastZanSlot;        // KESSAN: past-year balances from slot -15 to this slot; else below -15
};

constexpr int kNoZan = -16;

// The branches a whole-company or branch form reads, on alias Z.
constexpr const char* kBranchFilter =
    "(COALESCE(:PSITENGROUP, '') = '' OR Z.SCODE IN (SELECT G.SCODE FROM SISETUGROUPLIST G WHERE G.GCODE = "
    ":PSITENGROUP)) AND (COALESCE(:PSCODE, '') = '' OR Z.SCODE = :PSCODE)";

std::string FormProcedure(const TFormSpec& f, const std::string& verb) {
  Lines s{verb + " PROCEDURE " + f.name + " ("};
  switch (f.scope) {
    case TFormScope::Branches:
      AddInputs(s, {{"PTAX", "INTEGER"}, {"PSCODE", kCodeType}, {"PSITENGROUP", kCodeType}});
      break;
    case TFormScope::Department:
      AddInputs(s, kInDepartment);
      break;
    case TFormScope::Whole:
      AddInputs(s, {{"PTAX", "INTEGER"}});
      break;
  }
  s.push_back("RETURNS (");
  Columns out = {{"GROUPM1", kCodeType}, {"GROUPM2", kCodeType},  {"MSTREC", "INTEGER"},
                 {"SUBREC", "INTEGER"},  {"USERCODE", kCodeType}, {"KCODE", kCodeType},
                 {"KNAME", kNameType},   {"BSPL", "VARCHAR(1) CHARACTER SET ASCII"}, {"TAISHAKU", "INTEGER"}};
  AddSlotColumns(out);
  for (int n = -15; n <= f.lastZanSlot; ++n) out.push_back({ZanColumn(n), kAmountType});
  AddDeclared(s, out);
  s.push_back("AS");
  AddAmountVariables(s);
  AddDeclare(s, {"VUSERCODE", "VGROUPM1", "VGROUPM2", "VONEUSER", "VONEKCODE"}, kCodeType);
  AddDeclare(s, {"VBSPL"}, "VARCHAR(1) CHARACTER SET ASCII");
  AddDeclare(s, {"VLINENAME", "VKNAME", "VONENAME"}, kNameType);
  AddDeclare(s, {"VDAC", "VCOUNT", "VNAMED", "VTAKE"}, "INTEGER");
  s.push_back("BEGIN");
  AddSettingsRead(s);
  s.insert(s.end(), {
      "  FOR SELECT REC, SUBREC, KNAME1 FROM " + f.lines + " ORDER BY KGROUP, SUBREC",
      "    INTO :MSTREC, :SUBREC, :VLINENAME",
      "  DO",
      "  BEGIN",
      "    KNAME = VLINENAME;",
      "    VCOUNT = 0;",
      "    VNAMED = 0;",
      "    KAISIZAN = 0;",
  });
  AddPerSlot(s, "    ", 1, 16, [](int i) { return "KAR" + Two(i) + " = 0; KAS" + Two(i) + " = 0;"; });
  if (f.lastZanSlot > kNoZan) AddPerSlot(s, "    ", -15, f.lastZanSlot, [](int n) { return ZanColumn(n) + " = 0;"; });
  s.insert(s.end(), {
      "    FOR SELECT KCODE, USERCODE, GROUPM1, GROUPM2, KNAME, BPFLG, DAC FROM KAMOKUMST",
      "      WHERE " + f.assign + " = :MSTREC ORDER BY KCODE",
      "      INTO :VKCODE, :VUSERCODE, :VGROUPM1, :VGROUPM2, :VKNAME, :VBSPL, :VDAC",
      "    DO",
      "    BEGIN",
      "      VTAKE = 0;",
  });
  // Which accounts count for the line.
  switch (f.scope) {
    case TFormScope::Branches:
      s.push_back(std::string("      IF (EXISTS (SELECT 1 FROM KAMOKU_SZ Z WHERE Z.KCODE = :VKCODE AND ") + kBranchFilter +
                  ")) THEN VTAKE = 1;");
      break;
    case TFormScope::Whole:
      s.push_back("      IF (EXISTS (SELECT 1 FROM KAMOKU_SZ Z WHERE Z.KCODE = :VKCODE)) THEN VTAKE = 1;");
      break;
    case TFormScope::Department:
      if (f.version == kStep103)
        s.push_back("      IF (EXISTS (SELECT 1 FROM KAMOKU_MS M WHERE M.KCODE = :VKCODE AND M.SCODE = :PSCODE AND "
                    "(M.BCODE = :PBCODE OR (:PHIBUN = 1 AND M.BCODE = '00')))) THEN VTAKE = 1;");
      else
        s.push_back("      IF (EXISTS (SELECT 1 FROM KAMOKU_SZ Z WHERE Z.KCODE = :VKCODE AND Z.SCODE = :PSCODE AND "
                    "Z.BCODE = :PBCODE)) THEN VTAKE = 1;");
      break;
  }
  s.insert(s.end(), {"      IF (VTAKE = 1) THEN", "      BEGIN"});
  switch (f.scope) {
    case TFormScope::Branches:
      AddBranchAmounts(s, kBranchFilter, ":PSCODE", "        ");
      break;
    case TFormScope::Whole:
      AddBranchAmounts(s, "1 = 1", "''", "        ");
      break;
    case TFormScope::Department:
      AddDeptAmounts(s, {.monthBefore = true}, "        ");
      break;
  }
  AddSumAmounts(s, "        ");
  if (f.lastZanSlot > kNoZan) {
    // Past-year balances; without tax only the suspense tax accounts keep their tax part.
    s.insert(s.end(), {
        "        FOR SELECT MNUM, COALESCE(SUM(COALESCE(NUKIZAN, 0) + CASE WHEN :PTAX = 0 OR :VKCODE = :VKARIUKE",
        "            OR :VKCODE = :VKARIBARAI THEN COALESCE(ZEIGAKU, 0) ELSE 0 END), 0)",
        "          FROM KAMOKU_PZ WHERE KCODE = :VKCODE AND MNUM BETWEEN -15 AND " + Num(f.lastZanSlot),
        "          GROUP BY MNUM",
        "          INTO :VMNUM, :VOWN",
        "        DO",
        "        BEGIN",
    });
    for (int n = -15; n <= f.lastZanSlot; ++n)
      s.push_back(std::string("          ") + (n == -15 ? "" : "ELSE ") + "IF (VMNUM = " + Num(n) + ") THEN " +
                  ZanColumn(n) + " = " + ZanColumn(n) + " + VOWN;");
    s.push_back("        END");
  }
  s.insert(s.end(), {
      "        VCOUNT = VCOUNT + 1;",
      "        GROUPM1 = VGROUPM1;",
      "        GROUPM2 = VGROUPM2;",
      "        BSPL = VBSPL;",
      "        TAISHAKU = VDAC;",
      "        VONEUSER = VUSERCODE;",
      "        VONEKCODE = VKCODE;",
      "        VONENAME = VKNAME;",
  });
  if (f.version >= kStep200) {
    // A line without a name of its own takes the account's and is named after it.
    s.insert(s.end(), {
        "        IF (COALESCE(KNAME, '') = '') THEN",
        "        BEGIN",
        "          KNAME = VKNAME;",
        "          VNAMED = 1;",
        "        END",
    });
    if (f.version >= kStep204) s.push_back("        ELSE IF (KNAME = VKNAME) THEN VNAMED = 1;");
  }
  s.insert(s.end(), {"      END", "    END", "    IF (VCOUNT > 0) THEN", "    BEGIN"});
  if (f.version == kStep103) {
    s.insert(s.end(), {
        "      IF (VCOUNT = 1) THEN",
        "      BEGIN",
        "        USERCODE = VONEUSER;",
        "        KCODE = VONEKCODE;",
        "        KNAME = VONENAME;",
        "      END",
    });
  } else {
    s.insert(s.end(), {
        "      IF (VCOUNT = 1 AND VNAMED = 1) THEN",
        "      BEGIN",
        "        USERCODE = VONEUSER;",
        "        KCODE = VONEKCODE;",
        "      END",
    });
  }
  s.insert(s.end(), {
      "      ELSE",
      "      BEGIN",
      "        USERCODE = '-';",
      "        KCODE = '-';",
      "      END",
      "      SUSPEND;",
      "    END",
      "  END",
      "END ^",
      "",
  });
  return Join(s);
}

const char* FormTable(TFixedForm form) { return form == TFixedForm::A4 ? "EXTERA4" : "EXTERA3"; }
const char* FormColumn(TFixedForm form) { return form == TFixedForm::A4 ? "EXT1_A4" : "EXT1_A3"; }
const char* FormSuffix(TFixedForm form) { return form == TFixedForm::A4 ? "A4" : "A3"; }

}  // namespace

std::string SisanhyoFormProcedure(TFixedForm form, int32_t step, const std::string& verb) {
  if (step != kStep200 && step != kStep204)
    throw std::invalid_argument("SP_SISANHYO_A4 and _A3 are written by the steps 2.0.0 and 2.0.4 only");
  return FormProcedure({std::string("SP_SISANHYO_") + FormSuffix(form), FormTable(form), FormColumn(form),
                        TFormScope::Branches, step, kNoZan},
                       verb);
}

std::string SisanhyoBumonFormProcedure(TFixedForm form, int32_t step, const std::string& verb) {
  if (step != kStep103 && step != kStep200 && step != kStep204)
    throw std::invalid_argument("SP_SISANHYO_BUMON_A4 and _A3 are written by the steps 1.0.3, 2.0.0 and 2.0.4 only");
  return FormProcedure({std::string("SP_SISANHYO_BUMON_") + FormSuffix(form), FormTable(form), FormColumn(form),
                        TFormScope::Department, step, kNoZan},
                       verb);
}

std::string SisanhyoKessanProcedure(int32_t step, const std::string& verb) {
  if (step != kStep200 && step != kStep204)
    throw std::invalid_argument("SP_SISANHYO_KESSAN is written by the steps 2.0.0 and 2.0.4 only");
  return FormProcedure({"SP_SISANHYO_KESSAN", "EXTERKS", "EXT1_KS", TFormScope::Whole, step, step == kStep200 ? 0 : 15},
                       verb);
}

// ------------------------------------------------------------------ past-year balance readers

namespace {

// Every balance and budget column set to 0.
void AddKanendoClear(Lines& s, const std::string& in) {
  AddPerSlot(s, in, -32, 15, [](int n) { return ZanColumn(n) + " = 0;"; });
  AddPerSlot(s, in, 1, 15, [](int i) { return "YOSAN" + Two(i) + " = 0;"; });
}

// VOWN added to the balance (`zan`) or budget column of slot VMNUM.
void AddKanendoStore(Lines& s, const std::string& in, bool zan) {
  const int first = zan ? -32 : 1;
  for (int n = first; n <= 15; ++n) {
    const std::string col = zan ? ZanColumn(n) : "YOSAN" + Two(n);
    s.push_back(in + (n == first ? "" : "ELSE ") + "IF (VMNUM = " + Num(n) + ") THEN " + col + " = " + col +
                " + VOWN;");
  }
}

// The summed past-year balances (slots -32 to 15) and budgets (1 to 15) of the KAMOKU_PZ and
// KAMOKU_MS rows that `where` selects, added to the columns.
void AddKanendoSums(Lines& s, const std::string& in, const std::string& where, bool budgets = true) {
  s.insert(s.end(), {
      in + "FOR SELECT MNUM, COALESCE(SUM(NUKIZAN), 0) FROM KAMOKU_PZ",
      in + "  WHERE " + where + " AND MNUM BETWEEN -32 AND 15",
      in + "  GROUP BY MNUM INTO :VMNUM, :VOWN",
      in + "DO",
      in + "BEGIN",
  });
  AddKanendoStore(s, in + "  ", true);
  s.push_back(in + "END");
  if (!budgets) return;
  s.insert(s.end(), {
      in + "FOR SELECT MNUM, COALESCE(SUM(BYOSAN), 0) FROM KAMOKU_MS",
      in + "  WHERE " + where + " AND MNUM BETWEEN 1 AND 15",
      in + "  GROUP BY MNUM INTO :VMNUM, :VOWN",
      in + "DO",
      in + "BEGIN",
  });
  AddKanendoStore(s, in + "  ", false);
  s.push_back(in + "END");
}

// The balances and budgets of one department with the common department's shares: balances by
// the KAMOKU_PZ rate of the department's row of the slot, budgets by the KAMOKU_SZ rates of
// the department (`rateRow` selects the row). "00" keeps its own rated part.
void AddKanendoShared(Lines& s, const std::string& in, const std::string& keys, const std::string& rateRow) {
  const std::string where = "SCODE = :PSCODE AND " + keys + " AND BCODE IN (:PBCODE, '00')";
  AddPerSlot(s, in, 1, 16, [](int i) { return "H" + Two(i) + " = 0;"; });
  s.push_back(in + "SELECT FIRST 1 " + SlotList("HAIBUN", 1, 16, "COALESCE(", ", 0) * 0.01"));
  s.push_back(in + "  FROM KAMOKU_SZ WHERE SCODE = :PSCODE AND BCODE = :PBCODE AND " + rateRow + " ORDER BY HCODE");
  s.push_back(in + "  INTO " + SlotList("H", 1, 16, ":") + ";");
  const Lines share = {
      in + "  IF (PHIBUN = 1 AND PBCODE = '00') THEN VOWN = VOKAR;",
      in + "  ELSE IF (PHIBUN = 1) THEN VOWN = VOWN + FLOOR(0.5 + VCOM * VRATE);",
  };
  s.insert(s.end(), {
      in + "FOR SELECT MNUM, COALESCE(SUM(CASE WHEN BCODE = :PBCODE THEN NUKIZAN ELSE 0 END), 0),",
      in + "    COALESCE(SUM(CASE WHEN BCODE = '00' THEN NUKIZAN ELSE 0 END), 0),",
      in + "    COALESCE(SUM(CASE WHEN BCODE = :PBCODE THEN NUKIZAN * CAST(COALESCE(HAIBUN, 0) * 0.01 AS NUMERIC(18,4)) "
           "ELSE 0 END), 0),",
      in + "    COALESCE(MAX(CASE WHEN BCODE = :PBCODE THEN HAIBUN ELSE 0 END), 0) * 0.01",
      in + "  FROM KAMOKU_PZ WHERE " + where + " AND MNUM BETWEEN -32 AND 15",
      in + "  GROUP BY MNUM INTO :VMNUM, :VOWN, :VCOM, :VOKAR, :VRATE",
      in + "DO",
      in + "BEGIN",
      in + "  VOKAR = FLOOR(0.5 + VOKAR);",
  });
  s.insert(s.end(), share.begin(), share.end());
  AddKanendoStore(s, in + "  ", true);
  s.push_back(in + "END");
  s.insert(s.end(), {
      in + "FOR SELECT MNUM, COALESCE(SUM(CASE WHEN BCODE = :PBCODE THEN BYOSAN ELSE 0 END), 0),",
      in + "    COALESCE(SUM(CASE WHEN BCODE = '00' THEN BYOSAN ELSE 0 END), 0)",
      in + "  FROM KAMOKU_MS WHERE " + where + " AND MNUM BETWEEN 1 AND 15",
      in + "  GROUP BY MNUM INTO :VMNUM, :VOWN, :VCOM",
      in + "DO",
      in + "BEGIN",
      in + "  VRATE = " + RateOfSlot("VMNUM") + ";",
      in + "  VOKAR = FLOOR(0.5 + VOWN * VRATE);",
  });
  s.insert(s.end(), share.begin(), share.end());
  AddKanendoStore(s, in + "  ", false);
  s.push_back(in + "END");
}

// Sets the balance (`zan`) or budget column of slot VMNUM to VOWN.
void AddKanendoSet(Lines& s, const std::string& in, bool zan) {
  const int first = zan ? -32 : 1;
  for (int n = first; n <= 15; ++n) {
    const std::string col = zan ? ZanColumn(n) : "YOSAN" + Two(n);
    s.push_back(in + (n == first ? "" : "ELSE ") + "IF (VMNUM = " + Num(n) + ") THEN " + col + " = VOWN;");
  }
}

// The start month of the data (1 to 12).
void AddKaisinoRead(Lines& s) {
  s.push_back("  VKAISINO = 1;");
  s.push_back("  SELECT COALESCE(KAISINO, 1) FROM ACCDEF1 WHERE REC = 1 INTO :VKAISINO;");
}

// The readers as step 0.2.2 writes them (see the header).
std::string Kanendo022(TKanendoMember member, const std::string& verb) {
  using M = TKanendoMember;
  if (member != M::Zandaka && member != M::BumonZandaka && member != M::BumonGroupZandaka)
    throw std::invalid_argument(std::string(KanendoMemberName(member)) + " is not written by step 0.2.2");
  Lines s{verb + " PROCEDURE \"" + KanendoMemberName(member) + "\" ("};
  if (member == M::Zandaka)
    AddInputs(s, {{"PSCODE", kCodeType}});
  else if (member == M::BumonZandaka)
    AddInputs(s, {{"PSCODE", kCodeType}, {"PBCODE", kCodeType}, {"PHIBUN", "INTEGER"}});
  else
    AddInputs(s, {{"PSCODE", kCodeType}, {"PGCODE", kCodeType}});
  s.push_back("RETURNS (");
  Columns out = {{"USERCODE", kCodeType}, {"KCODE", kCodeType}, {"HCODE", kCodeType}};
  for (int n = -32; n <= 15; ++n) out.push_back({ZanColumn(n), kAmountType});
  for (int i = 1; i <= 15; ++i) out.push_back({"YOSAN" + Two(i), kAmountType});
  AddDeclared(s, out);
  s.push_back("AS");
  AddDeclare(s, SlotNames("H", 1, 16), kWorkType);
  AddDeclare(s, {"VOWN", "VCOM", "VRATE"}, kWorkType);
  AddDeclare(s, {"VMNUM", "VKAISINO"}, "INTEGER");
  s.push_back("BEGIN");

  if (member == M::BumonGroupZandaka) {
    const std::string inGroup = "BCODE IN (SELECT G.BCODE FROM GROUPLIST G WHERE G.GCODE = :PGCODE)";
    const std::string keys = "SCODE = :PSCODE AND KCODE = :KCODE AND HCODE = :HCODE AND " + inGroup;
    s.insert(s.end(), {
        "  FOR SELECT KCODE, USERCODE FROM KAMOKU_VIEW WHERE SCODE = :PSCODE AND " + inGroup,
        "    GROUP BY KCODE, USERCODE ORDER BY KCODE INTO :KCODE, :USERCODE",
        "  DO",
        "  FOR SELECT HCODE FROM KAMOKU_SZ WHERE SCODE = :PSCODE AND KCODE = :KCODE AND " + inGroup,
        "    GROUP BY HCODE ORDER BY HCODE INTO :HCODE",
        "  DO",
        "  BEGIN",
    });
    AddKanendoClear(s, "    ");
    s.insert(s.end(), {
        "    FOR SELECT MNUM, COALESCE(BYOSAN, 0) FROM KAMOKU_MS WHERE " + keys + " AND MNUM BETWEEN 1 AND 15",
        "      INTO :VMNUM, :VOWN",
        "    DO",
        "    BEGIN",
    });
    AddKanendoSet(s, "      ", false);
    s.insert(s.end(), {
        "    END",
        "    FOR SELECT MNUM, COALESCE(NUKIZAN, 0) FROM KAMOKU_PZ WHERE " + keys + " AND MNUM BETWEEN -32 AND 15",
        "      INTO :VMNUM, :VOWN",
        "    DO",
        "    BEGIN",
    });
    AddKanendoSet(s, "      ", true);
    s.insert(s.end(), {"    END", "    SUSPEND;", "  END", "END ^", ""});
    return Join(s);
  }

  AddKaisinoRead(s);
  if (member == M::Zandaka) {
    const std::string branch = "(COALESCE(:PSCODE, '') = '' OR SCODE = :PSCODE)";
    const std::string keys = branch + " AND KCODE = :KCODE AND HCODE = :HCODE";
    s.insert(s.end(), {
        "  FOR SELECT USERCODE, KCODE FROM KAMOKU_VIEW WHERE " + branch,
        "    GROUP BY USERCODE, KCODE INTO :USERCODE, :KCODE",
        "  DO",
        "  FOR SELECT HCODE FROM KAMOKU_SZ WHERE " + branch + " AND KCODE = :KCODE",
        "    GROUP BY HCODE ORDER BY HCODE INTO :HCODE",
        "  DO",
        "  BEGIN",
    });
    AddKanendoClear(s, "    ");
    s.insert(s.end(), {
        "    FOR SELECT MNUM, COALESCE(SUM(BYOSAN), 0) FROM KAMOKU_MS WHERE " + keys + " AND MNUM BETWEEN 1 AND 15",
        "      GROUP BY MNUM INTO :VMNUM, :VOWN",
        "    DO",
        "    BEGIN",
    });
    AddKanendoSet(s, "      ", false);
    s.insert(s.end(), {
        "    END",
        "    FOR SELECT MNUM, COALESCE(SUM(NUKIZAN), 0) FROM KAMOKU_PZ WHERE " + keys,
        "      AND MNUM BETWEEN -32 AND 15 AND MNUM < :VKAISINO",
        "      GROUP BY MNUM INTO :VMNUM, :VOWN",
        "    DO",
        "    BEGIN",
    });
    AddKanendoSet(s, "      ", true);
    s.insert(s.end(), {"    END", "    SUSPEND;", "  END", "END ^", ""});
    return Join(s);
  }

  // One department; with allocation the common department "00" keeps its rated share and the
  // others add theirs of the common amount, each share rounded on its own.
  const std::string keys = "SCODE = :PSCODE AND KCODE = :KCODE AND HCODE = :HCODE";
  s.insert(s.end(), {
      "  FOR SELECT USERCODE, KCODE FROM KAMOKU_VIEW WHERE SCODE = :PSCODE AND BCODE = :PBCODE",
      "    GROUP BY USERCODE, KCODE INTO :USERCODE, :KCODE",
      "  DO",
      "  BEGIN",
  });
  AddPerSlot(s, "    ", 1, 16, [](int i) { return "H" + Two(i) + " = 0;"; });
  s.insert(s.end(), {
      "    IF (PHIBUN = 1) THEN",
      "      SELECT " + SlotList("HAIBUN", 1, 16, "COALESCE(", ", 0) * 0.01"),
      "        FROM KAMOKU_SZ WHERE SCODE = :PSCODE AND KCODE = :KCODE AND HCODE = ' ' AND BCODE = :PBCODE",
      "        INTO " + SlotList("H", 1, 16, ":") + ";",
      "    FOR SELECT HCODE FROM KAMOKU_SZ WHERE SCODE = :PSCODE AND KCODE = :KCODE AND BCODE = :PBCODE",
      "      GROUP BY HCODE ORDER BY HCODE INTO :HCODE",
      "    DO",
      "    BEGIN",
  });
  AddKanendoClear(s, "      ");
  s.insert(s.end(), {
      "      IF (PHIBUN = 1) THEN",
      "      FOR SELECT MNUM, COALESCE(BYOSAN, 0) FROM KAMOKU_MS WHERE " + keys + " AND BCODE = :PBCODE",
      "        AND MNUM BETWEEN 1 AND 15 INTO :VMNUM, :VOWN",
      "      DO",
      "      BEGIN",
      "        VCOM = 0;",
      "        IF (PBCODE = '00') THEN",
      "        BEGIN",
      "          VCOM = VOWN;",
      "          VOWN = 0;",
      "        END",
      "        ELSE",
      "          SELECT COALESCE(SUM(BYOSAN), 0) FROM KAMOKU_MS WHERE SCODE = :PSCODE AND KCODE = :KCODE",
      "            AND BCODE = '00' AND MNUM = :VMNUM INTO :VCOM;",
      "        VOWN = VOWN + FLOOR(0.5 + VCOM * (" + RateOfSlot("VMNUM") + "));",
  });
  AddKanendoSet(s, "        ", false);
  s.insert(s.end(), {
      "      END",
      "      FOR SELECT MNUM, COALESCE(NUKIZAN, 0), CAST(COALESCE(HAIBUN, 0) * 0.01 AS NUMERIC(18,4)) FROM KAMOKU_PZ",
      "        WHERE " + keys + " AND BCODE = :PBCODE AND MNUM BETWEEN -32 AND 15 AND MNUM < :VKAISINO",
      "        INTO :VMNUM, :VOWN, :VRATE",
      "      DO",
      "      BEGIN",
      "        IF (PHIBUN = 1 AND PBCODE = '00') THEN VOWN = FLOOR(0.5 + VOWN * VRATE);",
      "        ELSE IF (PHIBUN = 1) THEN",
      "        BEGIN",
      "          VCOM = 0;",
      "          SELECT COALESCE(NUKIZAN, 0) FROM KAMOKU_PZ WHERE " + keys + " AND BCODE = '00' AND MNUM = :VMNUM",
      "            INTO :VCOM;",
      "          VOWN = VOWN + FLOOR(0.5 + VCOM * VRATE);",
      "        END",
  });
  AddKanendoSet(s, "        ", true);
  s.insert(s.end(), {"      END", "      SUSPEND;", "    END", "  END", "END ^", ""});
  return Join(s);
}

}  // namespace

const char* KanendoMemberName(TKanendoMember member) {
  switch (member) {
    case TKanendoMember::Zandaka:
      return "SP_KANENDO_ZANDAKA";
    case TKanendoMember::BumonZandaka:
      return "SP_KANENDO_BUMON_ZANDAKA";
    case TKanendoMember::GroupZandaka:
      return "SP_KANENDO_GROUPZANDAKA";
    case TKanendoMember::BumonGroupZandaka:
      return "SP_KANENDO_BUMON_GROUPZANDAKA";
    case TKanendoMember::BumonZandakaA4:
      return "SP_KANENDO_BUMON_ZANDAKA_A4";
  }
  return "";
}

std::string KanendoProcedure(TKanendoMember member, const std::string& verb, int32_t step) {
  if (step == kStep022) return Kanendo022(member, verb);
  using M = TKanendoMember;
  Lines s{verb + " PROCEDURE " + KanendoMemberName(member) + " ("};
  switch (member) {
    case M::Zandaka:
      AddInputs(s, {{"PSCODE", kCodeType}});
      break;
    case M::BumonZandaka:
    case M::BumonZandakaA4:
      AddInputs(s, {{"PSCODE", kCodeType}, {"PBCODE", kCodeType}, {"PHIBUN", "INTEGER"}});
      break;
    case M::GroupZandaka:
      AddInputs(s, {{"PGCODE", kCodeType}});
      break;
    case M::BumonGroupZandaka:
      AddInputs(s, {{"PSCODE", kCodeType}, {"PGCODE", kCodeType}});
      break;
  }
  s.push_back("RETURNS (");
  Columns out;
  if (member == M::BumonZandakaA4)
    out = {{"GROUPM1", kCodeType}, {"GROUPM2", kCodeType}, {"MSTREC", "INTEGER"}, {"SUBREC", "INTEGER"}};
  else
    out = {{"USERCODE", kCodeType}, {"KCODE", kCodeType}, {"HCODE", kCodeType}};
  for (int n = -32; n <= 15; ++n) out.push_back({ZanColumn(n), kAmountType});
  for (int i = 1; i <= 15; ++i) out.push_back({"YOSAN" + Two(i), kAmountType});
  AddDeclared(s, out);
  s.push_back("AS");
  AddDeclare(s, SlotNames("H", 1, 16), kWorkType);
  AddDeclare(s, {"VOWN", "VCOM", "VOKAR", "VRATE"}, kWorkType);
  AddDeclare(s, {"VMNUM", "VCOUNT"}, "INTEGER");
  AddDeclare(s, {"VKCODE", "VBPFLG"}, kCodeType);
  s.push_back("BEGIN");

  if (member == M::BumonZandakaA4) {
    // With allocation one row per account of a line, each with its shares; without, one row
    // per line, its budgets those of the line's profit-and-loss accounts.
    s.insert(s.end(), {
        "  FOR SELECT REC, SUBREC FROM EXTERA4 ORDER BY KGROUP, SUBREC INTO :MSTREC, :SUBREC",
        "  DO",
        "  BEGIN",
        "    VCOUNT = 0;",
    });
    AddKanendoClear(s, "    ");
    s.insert(s.end(), {
        "    FOR SELECT K.KCODE, K.GROUPM1, K.GROUPM2, K.BPFLG FROM KAMOKUMST K",
        "      WHERE K.EXT1_A4 = :MSTREC AND EXISTS (SELECT 1 FROM KAMOKU_SZ Z WHERE Z.KCODE = K.KCODE",
        "        AND Z.SCODE = :PSCODE AND Z.BCODE = :PBCODE)",
        "      ORDER BY K.KCODE",
        "      INTO :VKCODE, :GROUPM1, :GROUPM2, :VBPFLG",
        "    DO",
        "    BEGIN",
        "      VCOUNT = VCOUNT + 1;",
        "      IF (PHIBUN = 1) THEN",
        "      BEGIN",
    });
    AddKanendoClear(s, "        ");
    AddKanendoShared(s, "        ", "KCODE = :VKCODE", "KCODE = :VKCODE");
    s.insert(s.end(), {
        "        SUSPEND;",
        "      END",
        "      ELSE",
        "      BEGIN",
    });
    AddKanendoSums(s, "        ", "SCODE = :PSCODE AND BCODE = :PBCODE AND KCODE = :VKCODE", false);
    s.insert(s.end(), {
        "        IF (VBPFLG = 'P') THEN",
        "        BEGIN",
        "          FOR SELECT MNUM, COALESCE(SUM(BYOSAN), 0) FROM KAMOKU_MS",
        "            WHERE SCODE = :PSCODE AND BCODE = :PBCODE AND KCODE = :VKCODE AND MNUM BETWEEN 1 AND 15",
        "            GROUP BY MNUM INTO :VMNUM, :VOWN",
        "          DO",
        "          BEGIN",
    });
    AddKanendoStore(s, "            ", false);
    s.insert(s.end(), {
        "          END",
        "        END",
        "      END",
        "    END",
        "    IF (PHIBUN IS DISTINCT FROM 1 AND VCOUNT > 0) THEN SUSPEND;",
        "  END",
        "END ^",
        "",
    });
    return Join(s);
  }

  // The keys: account and sub-account, over the rows that the member reads.
  std::string rows;  // on KAMOKU_SZ, KAMOKU_PZ and KAMOKU_MS alike (unqualified columns)
  switch (member) {
    case M::Zandaka:
      rows = "(COALESCE(:PSCODE, '') = '' OR SCODE = :PSCODE)";
      break;
    case M::BumonZandaka:
      rows = "SCODE = :PSCODE AND BCODE = :PBCODE";
      break;
    case M::GroupZandaka:
      rows = "SCODE IN (SELECT G.SCODE FROM SISETUGROUPLIST G WHERE G.GCODE = :PGCODE)";
      break;
    case M::BumonGroupZandaka:
      rows = "SCODE = :PSCODE AND BCODE IN (SELECT G.BCODE FROM GROUPLIST G WHERE G.GCODE = :PGCODE)";
      break;
    default:
      break;
  }
  s.insert(s.end(), {
      "  FOR SELECT KCODE, HCODE FROM KAMOKU_SZ WHERE " + rows,
      "    GROUP BY KCODE, HCODE ORDER BY KCODE, HCODE",
      "    INTO :KCODE, :HCODE",
      "  DO",
      "  BEGIN",
      "    USERCODE = NULL;",
      "    SELECT USERCODE FROM KAMOKUMST WHERE KCODE = :KCODE INTO :USERCODE;",
  });
  AddKanendoClear(s, "    ");
  if (member == M::BumonZandaka) {
    s.push_back("    IF (PHIBUN = 1) THEN");
    s.push_back("    BEGIN");
    AddKanendoShared(s, "      ", "KCODE = :KCODE AND HCODE = :HCODE", "KCODE = :KCODE AND HCODE = :HCODE");
    s.push_back("    END");
    s.push_back("    ELSE");
    s.push_back("    BEGIN");
    AddKanendoSums(s, "      ", rows + " AND KCODE = :KCODE AND HCODE = :HCODE");
    s.push_back("    END");
  } else {
    AddKanendoSums(s, "    ", rows + " AND KCODE = :KCODE AND HCODE = :HCODE");
  }
  s.insert(s.end(), {"    SUSPEND;", "  END", "END ^", ""});
  return Join(s);
}

}  // namespace userprocs
