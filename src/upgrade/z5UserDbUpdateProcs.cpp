// The journal paging lists are one family: the same 71 columns, a page counted from a position
// in one direction. They differ in the lines they select, their order, the test that puts a
// line on the requested side of the position and the width of their texts; one template writes
// them all from those four facts.
#include "upgrade/z5UserDbUpdateProcs.h"

#include <iterator>
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

}  // namespace userprocs
