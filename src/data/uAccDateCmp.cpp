#include "data/uAccDateCmp.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "platform/db/IBDatabase.h"
#include "platform/db/IBSQL.h"
#include "platform/db/TransactionScope.h"

TGengoArray GengoArray;

namespace {

// The eras an installation knows without its GENGO table, newest first.
constexpr TGengo2Rec kBuiltInGengo[] = {
    {"平成", "H", "1989/01/08", 1989},
    {"昭和", "S", "1926/12/25", 1926},
    {"大正", "T", "1912/07/30", 1912},
    {"明治", "M", "1868/09/08", 1868},
};

// Fiscal month (0-based) of each slot: a closing slot shares its quarter's last month.
constexpr int32_t kSlotMonth[16] = {0, 1, 2, 2, 3, 4, 5, 5, 6, 7, 8, 8, 9, 10, 11, 11};

TDateTime EncodeOr(int y, int m, int d, TDateTime fallback) {
  TDateTime r;
  return TryEncodeDate(y, m, d, r) ? r : fallback;
}

}  // namespace

void InitGengoTable() {
  GengoArray.clear();
  for (const auto& g : kBuiltInGengo) {
    TGengoRec rec;
    rec.Name = g.Name;
    rec.Sign = g.Sign;
    TryStrToDate(g.StartDate, rec.StartDate);
    int y, m, d;
    DecodeDate(rec.StartDate, y, m, d);
    rec.YearOffset = y;
    GengoArray.push_back(rec);
  }
}

void LoadGengoTableFrom(TIBDatabase& db, TIBTransaction& tr) {
  GengoArray.clear();
  try {
    TTransactionScope tx(tr, TTransactionScope::End::CommitQuietly);
    TIBSQL q;
    q.SetDatabase(&db);
    q.SetTransaction(&tr);
    q.SQL = "SELECT COUNT(*) AS RECCNT FROM GENGO";
    q.ExecQuery();
    const int64_t count = q.Eof() ? 0 : q.FieldByName("RECCNT").AsInt64();
    q.Close();
    GengoArray.resize(static_cast<size_t>(std::max<int64_t>(count, 0)));

    q.SQL = "SELECT GNAME,GSIGN,STARTDATE,YEAROFFSET FROM GENGO\nORDER BY YEAROFFSET DESC";
    q.ExecQuery();
    // Rows added since the count are left out rather than written past the table.
    for (size_t i = 0; !q.Eof() && i < GengoArray.size(); ++i) {
      TGengoRec& rec = GengoArray[i];
      rec.Name = q.FieldByName("GNAME").AsString();
      rec.Sign = q.FieldByName("GSIGN").AsString();
      rec.StartDate = DateOf(q.FieldByName("STARTDATE").AsDateTime());
      rec.YearOffset = q.FieldByName("YEAROFFSET").AsInteger();
      q.Next();
    }
    q.Close();
  } catch (const std::exception&) {
    // A half-read table would hide the built-in eras behind empty rows.
    GengoArray.clear();
  }
  if (GengoArray.empty()) InitGengoTable();
}

TWarekiRec DateToWareki(TDateTime date) {
  TWarekiRec w;
  int y, m, d;
  DecodeDate(date, y, m, d);
  bool named = false;
  if (date > 0) {
    for (const TGengoRec& g : GengoArray) {
      if (g.Name.empty()) break;
      w.GengoName = g.Name;
      w.GengoSign = g.Sign;
      w.Year = static_cast<int16_t>(y - g.YearOffset + 1);
      named = true;
      if (g.StartDate <= date) break;
    }
  }
  if (!named) w.Year = static_cast<int16_t>(y);
  w.Month = static_cast<uint16_t>(m);
  w.Day = static_cast<uint16_t>(d);
  return w;
}

bool IsLeapYearSafe(int32_t year) { return year >= 1 && year <= 9999 && IsLeapYear(year); }

TDateTime AddDays(int32_t n, TDateTime date) { return date + n; }

int32_t DayOfDate(TDateTime date) {
  int y, m, d;
  DecodeDate(date, y, m, d);
  return d;
}

TDateTime IncMonthClamp(int32_t n, TDateTime date) { return IncMonth(date, n); }

TDateTime GetSimeDate(int32_t n, int32_t sime, TDateTime date) {
  if (!((sime >= 1 && sime <= 28) || sime == 99)) return date;
  int y, m, d;
  DecodeDate(date, y, m, d);
  // The period containing the date closes this month, or next month once the closing day
  // has passed.
  long months = y * 12L + (m - 1) + n + (sime != 99 && d > sime ? 1 : 0);
  if (months < 12) return date;  // before year 1: nothing to compute
  const int ty = static_cast<int>(months / 12);
  const int tm = static_cast<int>(months % 12) + 1;
  const int td = sime == 99 ? DaysInAMonth(ty, tm) : sime;
  return EncodeOr(ty, tm, td, date);
}

TDateTime GetSimeStartDate(int32_t n, int32_t sime, TDateTime date) {
  return AddDays(1, GetSimeDate(n - 1, sime, date));
}

int32_t GetMonthOffset(int32_t sime, TDateTime date1, TDateTime date2) {
  int y1, m1, d1, y2, m2, d2;
  DecodeDate(GetSimeDate(0, sime, date1), y1, m1, d1);
  DecodeDate(GetSimeDate(0, sime, date2), y2, m2, d2);
  return 12 * (y2 - y1) + (m2 - m1);
}

int32_t GetKikanNo(int32_t sime, int32_t kessan, TDateTime kishu, TDateTime date, TDateTime kimatu) {
  const int32_t m = std::min(GetMonthOffset(sime, kishu, date), GetMonthOffset(sime, kishu, kimatu));
  int32_t flag = kessan == 1 ? 1 : 0;
  if (flag == 1) {
    if (DateOf(date) == DateOf(kimatu)) return 16;
    if (m != 2 && m != 5 && m != 8 && m != 11) flag = 0;
  }
  if (m >= 0 && m <= 2) return m + 1 + flag;
  if (m >= 3 && m <= 5) return m + 2 + flag;
  if (m >= 6 && m <= 8) return m + 3 + flag;
  if (m >= 9 && m <= 11) return m + 4 + flag;
  return -1;
}

TDateTime GetKikanStartDate(int32_t k, int32_t sime, bool clamp, TDateTime kishu, TDateTime kimatu) {
  TDateTime r = kishu;
  if (k >= 1 && k <= 15 && kSlotMonth[k] != 0) r = GetSimeStartDate(kSlotMonth[k], sime, kishu);
  if (clamp && r > kimatu) r = kimatu;
  return r;
}

TDateTime GetKikanEndDate(int32_t k, int32_t sime, bool clamp, TDateTime kishu, TDateTime kimatu) {
  TDateTime r = GetSimeDate(0, sime, GetKikanStartDate(k, sime, clamp, kishu, kimatu));
  if (clamp && r > kimatu) r = kimatu;
  return r;
}

int32_t MonthToKikanIndex(int32_t month) {
  static constexpr int32_t kIndex[12] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14};
  return month >= 1 && month <= 12 ? kIndex[month - 1] : 0;
}
