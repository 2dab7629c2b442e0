// The refund detail (還付申告明細書): what the user entered, and the purchase grids fed from
// the journal.
#include <memory>
#include <stdexcept>
#include <string_view>
#include <type_traits>

#include "data/DataModule.h"
#include "data/uAccRecord.h"
#include "platform/db/IBQuery.h"
#include "platform/db/TransactionScope.h"
#include "tax/z5TaxCul_H.h"

namespace {

using taxarith::kRatio95;

bool IsCorporate(int32_t dataType) { return dataType == 1 || dataType == 3; }

// --- Which grid row a journal line feeds, by the group code of its account. ---

enum class Grid { Pl, Asset, Business, RealEstate };

struct FeedRange {
  std::string_view lo, hi;  // group codes, compared as text, both included
  Grid grid;
  int row;
};

constexpr FeedRange kCorporateRanges[] = {
    {"1400", "1680", Grid::Asset, 1}, {"1800", "1880", Grid::Asset, 2}, {"5100", "5880", Grid::Pl, 1},
    {"6100", "6180", Grid::Pl, 2},    {"7200", "7280", Grid::Pl, 3},    {"8200", "8280", Grid::Pl, 4},
};
// Medical corporations count their wider range of expense groups.
constexpr FeedRange kMedicalRanges[] = {
    {"1400", "1680", Grid::Asset, 1}, {"1800", "1880", Grid::Asset, 2}, {"5100", "5880", Grid::Pl, 1},
    {"6110", "6880", Grid::Pl, 2},    {"7200", "7280", Grid::Pl, 3},    {"8200", "8280", Grid::Pl, 4},
};
constexpr FeedRange kBusinessRanges[] = {
    {"1400", "1680", Grid::Business, 3}, {"5100", "5880", Grid::Business, 1}, {"6100", "6180", Grid::Business, 2},
};
constexpr FeedRange kRealEstateRanges[] = {
    {"1400", "1680", Grid::RealEstate, 2}, {"6100", "6180", Grid::RealEstate, 1},
};

// Stock and its movements inside the purchase groups: not purchases of the period.
constexpr std::string_view kStockGroups[] = {"5100", "5300", "5510", "5530", "5810", "5820"};

struct FedRow {
  TKanpuGridRow* row = nullptr;
  bool asset = false;  // asset rows lose amounts on the credit side only against a tax account
};

template <size_t N>
const FeedRange* FindRange(const FeedRange (&ranges)[N], std::string_view group) {
  for (const FeedRange& r : ranges)
    if (group >= r.lo && group <= r.hi) return &r;
  return nullptr;
}

FedRow FindFedRow(std::string_view group) {
  const FeedRange* r = nullptr;
  switch (AccInf.DATATYPE) {
    case 1: r = FindRange(kCorporateRanges, group); break;
    case 3: r = FindRange(kMedicalRanges, group); break;
    case 2:
      if (AccInf.CODETYPE == 1 || AccInf.CODETYPE == 3)
        r = FindRange(kBusinessRanges, group);
      else if (AccInf.CODETYPE == 2 || AccInf.CODETYPE == 4)
        r = FindRange(kRealEstateRanges, group);
      break;
    default: break;
  }
  if (!r) return {};
  // The stock groups all lie in the purchase range, which they leave out.
  for (std::string_view stock : kStockGroups)
    if (group == stock) return {};
  switch (r->grid) {
    case Grid::Pl: return {&KanpuMeisai_Hojin.PL_GRID[r->row], false};
    case Grid::Asset: return {&KanpuMeisai_Hojin.ASSET_GRID[r->row], true};
    case Grid::Business: return {&KanpuMeisai_Kojin.BUSINESS_GRID[r->row], r->row == 3};
    case Grid::RealEstate: return {&KanpuMeisai_Kojin.REALESTATE_GRID[r->row], r->row == 2};
  }
  return {};
}

// --- Loading what the user entered. ---

template <typename Record>
void ReadHeader(Record& r, TIBQuery& q) {
  r.ZEIKBN = q.FieldByName("ZEIKBN").AsInteger();
  r.KANPURIYUU01 = q.FieldByName("KANPURIYUU01").AsInteger();
  r.KANPURIYUU02 = q.FieldByName("KANPURIYUU02").AsInteger();
  r.KANPURIYUUOTHER = q.FieldByName("KANPURIYUUOTHER").AsInteger();
  r.KANPURIYUUOTHERTEXT01 = q.FieldByName("KANPURIYUUOTHERTEXT01").AsString();
  r.KANPURIYUUOTHERTEXT02 = q.FieldByName("KANPURIYUUOTHERTEXT02").AsString();
  r.KANPURIYUUOTHERTEXT03 = q.FieldByName("KANPURIYUUOTHERTEXT03").AsString();
  r.YUSYUTU_KINYUKIKAN = q.FieldByName("YUSYUTU_KINYUKIKAN").AsString();
  r.YUSYUTU_KINYUKIKANKBN = q.FieldByName("YUSYUTU_KINYUKIKANKBN").AsInteger();
  r.YUSYUTU_KINYUMISE = q.FieldByName("YUSYUTU_KINYUMISE").AsString();
  r.YUSYUTU_KINYUMISEKBN = q.FieldByName("YUSYUTU_KINYUMISEKBN").AsInteger();
  r.YUSYUTU_KINYUKOZAKBN = q.FieldByName("YUSYUTU_KINYUKOZAKBN").AsInteger();
  r.YUSYUTU_KINYUKOZANO = q.FieldByName("YUSYUTU_KINYUKOZANO").AsString();
  r.YUSYUTU_TUKANSIMEI = q.FieldByName("YUSYUTU_TUKANSIMEI").AsString();
  r.YUSYUTU_TUKANJYUSYO = q.FieldByName("YUSYUTU_TUKANJYUSYO").AsString();
  r.SIIREKIN_ZEIGAKU = q.FieldByName("SIIREKIN_ZEIGAKU").AsCurrency();
  r.TOKUSYUJIJYOTEXT01 = q.FieldByName("TOKUSYUJIJYOTEXT01").AsString();
  r.TOKUSYUJIJYOTEXT02 = q.FieldByName("TOKUSYUJIJYOTEXT02").AsString();
  r.TOKUSYUJIJYOTEXT03 = q.FieldByName("TOKUSYUJIJYOTEXT03").AsString();
}

void ReadSisan(TKanpuSisan& e, TIBQuery& q) {
  e.SYURUI = q.FieldByName("SYURUI").AsString();
  e.KEIZOKU = q.FieldByName("KEIZOKU").AsInteger();
  e.HIZUKE = q.FieldByName("HIZUKE").AsDateTime();
  e.KINGAKU = q.FieldByName("KINGAKU").AsCurrency();
  e.SIMEI = q.FieldByName("SIMEI").AsString();
  e.JYUSYO = q.FieldByName("JYUSYO").AsString();
}

void ReadTorihiki(TKanpuTorihiki& e, TIBQuery& q) {
  e.SIMEI = q.FieldByName("SIMEI").AsString();
  e.JYUSYO = q.FieldByName("JYUSYO").AsString();
  e.KINGAKU = q.FieldByName("KINGAKU").AsCurrency();
  e.SHOHIN = q.FieldByName("SHOHIN").AsString();
  e.ZEIKAN = q.FieldByName("ZEIKAN").AsString();
}

// Entry n of a list, when the list has room for it; the k-th row of a list fills entry k,
// whatever its ROWNO.
template <typename Entry, size_t N>
void PutListRow(OneBased<Entry, N>& list, int n, TIBQuery& q) {
  if (n > list.size()) return;
  if constexpr (std::is_same_v<Entry, TKanpuSisan>)
    ReadSisan(list[n], q);
  else
    ReadTorihiki(list[n], q);
}

// Row n of an entered statement, when it is one of its data rows; the last row is the
// statement's total.
template <size_t N>
void PutStatementRow(OneBased<TKanpuGridRow, N>& grid, int& n, TIBQuery& q) {
  constexpr int total = static_cast<int>(N);
  if (n >= total) return;
  TKanpuGridRow& row = grid[n];
  row.KESSANKIN = q.FieldByName("KESSANKIN").AsCurrency();
  row.NOTKAZEISIIREKIN = q.FieldByName("NOTKAZEISIIREKIN").AsCurrency();
  row.KAZEISIIREKIN = q.FieldByName("KAZEISIIREKIN").AsCurrency();
  grid[total].KESSANKIN += row.KESSANKIN;
  grid[total].NOTKAZEISIIREKIN += row.NOTKAZEISIIREKIN;
  grid[total].KAZEISIIREKIN += row.KAZEISIIREKIN;
  ++n;
}

template <typename Record>
void ClearEnteredLists(Record& r) {
  for (auto& e : r.TRANSFER_ROWS) e = {};
  for (auto& e : r.EXPORT_ROWS) e = {};
  for (auto& e : r.STOCK_ROWS) e = {};
  for (auto& e : r.FIXED_ROWS) e = {};
}

template <size_t N>
void ClearGrid(OneBased<TKanpuGridRow, N>& grid) {
  for (TKanpuGridRow& row : grid) row = {};
}

// Runs the query and hands each row to put(rec, n), with n the row's place within its run of
// equal REC values; it starts at 1 for each run, and put advances it for the rows it keeps.
template <typename Put>
void ForEachRecRow(TIBQuery& q, Put put) {
  bool haveRec = false;
  int32_t current = 0;
  int n = 0;
  for (q.Open(); !q.Eof(); q.Next()) {
    const int32_t rec = q.FieldByName("REC").AsInteger();
    if (!haveRec || rec != current) {
      haveRec = true;
      current = rec;
      n = 1;
    }
    put(rec, n);
  }
  q.Close();
}

template <typename Record>
void LoadLists(Record& r, TIBQuery& q) {
  ClearEnteredLists(r);
  ForEachRecRow(q, [&](int32_t rec, int& n) {
    switch (rec) {
      case 10: PutListRow(r.TRANSFER_ROWS, n++, q); break;
      case 20: PutListRow(r.EXPORT_ROWS, n++, q); break;
      case 30: PutListRow(r.STOCK_ROWS, n++, q); break;
      case 40: PutListRow(r.FIXED_ROWS, n++, q); break;
      default: break;  // not a list: skipped, not counted
    }
  });
}

void LoadStatements(TIBQuery& q) {
  const int32_t dataType = AccInf.DATATYPE;
  TKanpuMeisai_Hojin& h = KanpuMeisai_Hojin;
  TKanpuMeisai_Kojin& k = KanpuMeisai_Kojin;
  if (IsCorporate(dataType)) {
    ClearGrid(h.PL_ENTERED);
    ClearGrid(h.ASSET_ENTERED);
  } else if (dataType == 2) {
    ClearGrid(k.BUSINESS_ENTERED);
    ClearGrid(k.REALESTATE_ENTERED);
    ClearGrid(k.OTHER_ENTERED);
  }

  ForEachRecRow(q, [&](int32_t rec, int& n) {
    if (IsCorporate(dataType)) {
      if (rec == 10) PutStatementRow(h.PL_ENTERED, n, q);
      if (rec == 20) PutStatementRow(h.ASSET_ENTERED, n, q);
    } else if (dataType == 2) {
      if (rec == 10) PutStatementRow(k.BUSINESS_ENTERED, n, q);
      if (rec == 20) PutStatementRow(k.REALESTATE_ENTERED, n, q);
      if (rec == 30) PutStatementRow(k.OTHER_ENTERED, n, q);
    }
  });
  if (dataType == 2)
    k.KAZEISIIREKIN_ENTERED_TOTAL = k.BUSINESS_ENTERED[4].KAZEISIIREKIN +
                                    k.REALESTATE_ENTERED[3].KAZEISIIREKIN + k.OTHER_ENTERED[4].KAZEISIIREKIN;
}

// --- Finishing. ---

// Whole thousands of yen, cut toward zero (the quotient first held to four decimals).
Currency Thousands(Currency yen) { return taxarith::Thousands(yen, RoundMode::TowardZero); }

// Taxable purchases of each data row and the total row's sums.
template <size_t N>
void Total(OneBased<TKanpuGridRow, N>& grid) {
  constexpr int total = static_cast<int>(N);
  TKanpuGridRow& sum = grid[total];
  sum.KESSANKIN = sum.NOTKAZEISIIREKIN = sum.KAZEISIIREKIN = Currency();
  for (int i = 1; i < total; ++i) {
    TKanpuGridRow& row = grid[i];
    row.KAZEISIIREKIN = row.KESSANKIN - row.NOTKAZEISIIREKIN;
    sum.KESSANKIN += row.KESSANKIN;
    sum.NOTKAZEISIIREKIN += row.NOTKAZEISIIREKIN;
    sum.KAZEISIIREKIN += row.KAZEISIIREKIN;
  }
}

// At a ratio of 95% or more, specified purchases are no taxable purchases.
template <size_t N>
void MergeSpecified(OneBased<TKanpuGridRow, N>& grid) {
  for (int i = 1; i < static_cast<int>(N); ++i) grid[i].NOTKAZEISIIREKIN += grid[i].TOKUTEI;
}

template <size_t N>
void CutToThousands(OneBased<TKanpuGridRow, N>& grid) {
  for (int i = 1; i < static_cast<int>(N); ++i) {
    grid[i].KESSANKIN = Thousands(grid[i].KESSANKIN);
    grid[i].NOTKAZEISIIREKIN = Thousands(grid[i].NOTKAZEISIIREKIN);
    grid[i].KAZEISIIREKIN = Currency();
  }
}

}  // namespace

void ClearRefundJournalGrids() {
  ClearGrid(KanpuMeisai_Hojin.PL_GRID);
  ClearGrid(KanpuMeisai_Hojin.ASSET_GRID);
  ClearGrid(KanpuMeisai_Kojin.BUSINESS_GRID);
  ClearGrid(KanpuMeisai_Kojin.REALESTATE_GRID);
  ClearGrid(KanpuMeisai_Kojin.OTHER_GRID);
  KanpuMeisai_Kojin.KAZEISIIREKIN_TOTAL = Currency();
}

void LoadRefundDetails() {
  std::unique_ptr<TIBQuery> q = CreateAccQuery("ACCDAT", true);
  if (!q || !DM) throw std::runtime_error("会社データベースに接続されていません。");
  // Inside the caller's snapshot the tables are read there; otherwise in one of their own,
  // which a failure rolls back.
  TTransactionScope snapshot(DM->IBTransactionDATSS);
  const int32_t dataType = AccInf.DATATYPE;

  q->SQL =
      "SELECT ZEIKBN,KANPURIYUU01,KANPURIYUU02,KANPURIYUUOTHER,KANPURIYUUOTHERTEXT01,"
      "KANPURIYUUOTHERTEXT02,KANPURIYUUOTHERTEXT03,\n"
      "YUSYUTU_KINYUKIKAN,YUSYUTU_KINYUKIKANKBN,YUSYUTU_KINYUMISE,YUSYUTU_KINYUMISEKBN,"
      "YUSYUTU_KINYUKOZAKBN,YUSYUTU_KINYUKOZANO,YUSYUTU_TUKANSIMEI,YUSYUTU_TUKANJYUSYO,\n"
      "SIIREKIN_ZEIGAKU,SIIREKIN_OTHERSYOTOKU_NAME,TOKUSYUJIJYO_NEN,TOKUSYUJIJYOTEXT01,"
      "TOKUSYUJIJYOTEXT02,TOKUSYUJIJYOTEXT03,SONOTA\n"
      "FROM KANPU_SINKOKU\n"
      "WHERE (REC=1)";
  for (q->Open(); !q->Eof(); q->Next()) {
    if (IsCorporate(dataType)) {
      ReadHeader(KanpuMeisai_Hojin, *q);
    } else if (dataType == 2) {
      TKanpuMeisai_Kojin& k = KanpuMeisai_Kojin;
      ReadHeader(k, *q);
      k.SIIREKIN_OTHERSYOTOKU_NAME = q->FieldByName("SIIREKIN_OTHERSYOTOKU_NAME").AsString();
      k.TOKUSYUJIJYO_NEN = q->FieldByName("TOKUSYUJIJYO_NEN").AsInteger();
    }
  }
  q->Close();

  q->SQL =
      "SELECT REC,ROWNO,SYURUI,KEIZOKU,HIZUKE,KINGAKU,SIMEI,JYUSYO,SHOHIN,ZEIKAN,SONOTA\n"
      "FROM KANPU_SINKOKU_TORIHIKI\n"
      "ORDER BY REC,ROWNO";
  if (IsCorporate(dataType))
    LoadLists(KanpuMeisai_Hojin, *q);
  else if (dataType == 2)
    LoadLists(KanpuMeisai_Kojin, *q);

  q->SQL =
      "SELECT REC,ROWNO,NYURYOKUKBN,KESSANKIN,NOTKAZEISIIREKIN,KAZEISIIREKIN,SONOTA\n"
      "FROM KANPU_SINKOKU_SIIREKIN\n"
      "ORDER BY REC,ROWNO";
  LoadStatements(*q);
}

void AccumulateRefundDetail(bool counterIsTaxAccount, int32_t TAISHAKU, const std::string& GROUPM0,
                            int32_t DAC, int32_t TAXCODE, Currency NUK, Currency ZEI, int32_t LINKKUB) {
  const int32_t keiri =
      AccInf.DATATYPE == 2 ? KanpuMeisai_Kojin.KEIRI_HOUSIKI : KanpuMeisai_Hojin.KEIRI_HOUSIKI;
  // Batch tax-exclusion lines of tax-excluded bookkeeping only move tax between accounts.
  if (keiri == 1 && LINKKUB == 9) return;
  const Currency h = keiri == 0 ? NUK + ZEI : keiri == 1 ? NUK : Currency();

  const FedRow fed = FindFedRow(GROUPM0);
  if (!fed.row || DAC < 1 || DAC > 4 || (TAISHAKU != 1 && TAISHAKU != 2)) return;
  TKanpuGridRow& row = *fed.row;

  const bool notTaxable = !counterIsTaxAccount && (TAXCODE == 540 || TAXCODE == 810 || TAXCODE == 910);
  const bool specified = TaxPar.SINKOKU_KUBUN == 0 &&
                         (taxarith::Contains(taxarith::kSpecified, TAXCODE) ||
                          taxarith::Contains(taxarith::kSpecifiedReturns, TAXCODE));
  if (TAISHAKU == 1) {
    row.KESSANKIN += h;
    if (notTaxable) row.NOTKAZEISIIREKIN += h;
    if (specified) row.TOKUTEI += h;
  } else {
    if (!fed.asset || counterIsTaxAccount) row.KESSANKIN -= h;
    if (!fed.asset) {
      if (notTaxable) row.NOTKAZEISIIREKIN -= h;
      if (specified) row.TOKUTEI -= h;
    }
  }
}

void FinishRefundDetail() {
  TKanpuMeisai_Hojin& h = KanpuMeisai_Hojin;
  TKanpuMeisai_Kojin& k = KanpuMeisai_Kojin;
  if (Fuhyou2[0].KAZEI_WARIAI >= kRatio95) {
    MergeSpecified(h.PL_GRID);
    MergeSpecified(h.ASSET_GRID);
    MergeSpecified(k.BUSINESS_GRID);
    MergeSpecified(k.REALESTATE_GRID);
    MergeSpecified(k.OTHER_GRID);
  }

  if (IsCorporate(AccInf.DATATYPE)) {
    // The corporate statement is in thousands of yen.
    CutToThousands(h.PL_GRID);
    CutToThousands(h.ASSET_GRID);
    Total(h.PL_GRID);
    Total(h.ASSET_GRID);
    h.SIIREKIN_ZEIGAKU = Currency();
  } else if (AccInf.DATATYPE == 2) {
    Total(k.BUSINESS_GRID);
    Total(k.REALESTATE_GRID);
    Total(k.OTHER_GRID);
    k.KAZEISIIREKIN_TOTAL =
        k.BUSINESS_GRID[4].KAZEISIIREKIN + k.REALESTATE_GRID[3].KAZEISIIREKIN + k.OTHER_GRID[4].KAZEISIIREKIN;
    k.SIIREKIN_ZEIGAKU = Currency();
  }
}

void StoreRefundPurchaseTaxBase() {
  const TFuhyou2_H260401& total = Fuhyou2[0];
  Currency base = total.SIIRE_ZEIGAKU + total.YUNYU_ZEIGAKU;
  if (total.KAZEI_WARIAI < kRatio95) base += total.TOKUTEI_ZEIGAKU;

  if (IsCorporate(AccInf.DATATYPE)) {
    KanpuMeisai_Hojin.SIIREKIN_ZEIGAKU = Thousands(base);
    KanpuMeisai_Hojin.SIIREKIN_ZEIGAKU2 = KanpuMeisai_Hojin.SIIREKIN_ZEIGAKU;
  } else if (AccInf.DATATYPE == 2) {
    KanpuMeisai_Kojin.SIIREKIN_ZEIGAKU = base;
    KanpuMeisai_Kojin.SIIREKIN_ZEIGAKU2 = base;
  }
}
