#include "tax/z5TaxCul_H.h"

#include <initializer_list>
#include <string>
#include <utility>

#include "data/DataModule.h"
#include "data/uAccRecord.h"
#include "platform/UiServices.h"
#include "tax/z5TaxCalcu101.h"
#include "tax/z5TaxCalcu105.h"

namespace {

constexpr int32_t kGeneral = 0;
constexpr int32_t kSimplified = 1;

using taxarith::kBusinessTypeBases;
using taxarith::kBusinessTypeCount;
using taxarith::kRatio95;

// The main business type that the simplified forms can take: 1..6; anything else (0 = none
// set) is read as type 4, so that no amount is ever folded into a code no form reads.
int32_t MainBusinessType(int32_t taxJigyou) { return taxJigyou >= 1 && taxJigyou <= 6 ? taxJigyou : 4; }

// --- Clearing the form records: amounts to 0, the other fields as they are. ---

void ClearAmounts(TSyohizeiSinkoku& r) {
  const bool tokutei = r.TOKUTEI_SIIRE_ARI;
  r = TSyohizeiSinkoku{};
  r.TOKUTEI_SIIRE_ARI = tokutei;
}

void ClearAmounts(TFuhyou2_H260401& r) {
  TFuhyou2_H260401 fresh;
  fresh.KOUJYO_HOUSIKI = std::move(r.KOUJYO_HOUSIKI);
  fresh.ZENGAKU = r.ZENGAKU;
  r = std::move(fresh);
}

void ClearAmounts(TFuhyou5_H260401& r) {
  TFuhyou5_H260401 fresh;
  fresh.SENGYOU_JIGYOU = r.SENGYOU_JIGYOU;
  fresh.TOKUREI_JIGYOU = r.TOKUREI_JIGYOU;
  fresh.TANJUN = r.TANJUN;
  r = fresh;
}

// Presets the refund detail of one entity kind; everything else of the record is cleared.
template <typename Record>
void PresetRefundDetail(Record& r) {
  r = Record{};
  const int32_t taxDefUH = AccInf.TAXDEFUH;
  r.ZEIKBN = taxDefUH;
  r.KEIRI_HOUSIKI = TDM::PassInt(taxDefUH);
  // Without a data module there is no journal to look into: no linked lines.
  r.ZEINUKI_HYOUJI = DM ? DM->CheckLinkSiwake(taxDefUH, 0, 0) : taxDefUH;
  r.KANPURIYUU01 = 1;
  r.KANPURIYUU02 = 0;
  r.KANPURIYUUOTHER = 0;
}

// --- The business-type folds of the simplified pass. ---

// Sum over the three tables and the three rate classes of the cells of the codes base + type
// of the business-type groups: type 0 the untyped codes, 1..6 the codes of that type.
Currency SumOfTypeCells(int32_t type) {
  Currency s;
  for (const TJournalTable* t : {&TaxPar.NUK_SUM, &TaxPar.ZEI_SUM, &TaxPar.KOMI_SUM})
    for (int c = 0; c < kRateClassCount; ++c)
      for (int32_t base : kBusinessTypeBases) s += (*t)[c][TaxCodeSlot(base + type)];
  return s;
}

// In every table and rate class: the cell of `target` := the sum of the cells `base` ..
// `base` + 6, the others := 0.
void FoldInto(int32_t base, int32_t target) {
  for (TJournalTable* t : {&TaxPar.NUK_SUM, &TaxPar.ZEI_SUM, &TaxPar.KOMI_SUM}) {
    for (int c = 0; c < kRateClassCount; ++c) {
      Currency sum;
      for (int32_t k = 0; k <= kBusinessTypeCount; ++k) {
        Currency& cell = (*t)[c][TaxCodeSlot(base + k)];
        sum += cell;
        cell = Currency();
      }
      (*t)[c][TaxCodeSlot(target)] = sum;
    }
  }
}

// In every table and rate class: the cell of `to` += the cell of `from`, which becomes 0.
void MoveCell(int32_t from, int32_t to) {
  for (TJournalTable* t : {&TaxPar.NUK_SUM, &TaxPar.ZEI_SUM, &TaxPar.KOMI_SUM}) {
    for (int c = 0; c < kRateClassCount; ++c) {
      Currency& source = (*t)[c][TaxCodeSlot(from)];
      (*t)[c][TaxCodeSlot(to)] += source;
      source = Currency();
    }
  }
}

void Notify(const std::string& text) { uis::ShowMessage(uis::MsgKind::Information, text); }

}  // namespace

// ---------------------------------------------------------------------------------------
// Form eras.

int32_t TaxEra(TTAXPAR& settings) {
  // The fiscal year of the data set decides, not the calculation period.
  const TDateTime start = AccInf.KISHU;
  const TDateTime end = AccInf.KIMATU;

  settings.MAIN_JIGYOU = MainBusinessType(AccInf.TAXJIGYOU);
  int32_t era = end >= EncodeDate(2014, 4, 1) ? 1 : 0;
  if (settings.SINKOKU_KUBUN == kSimplified) {
    if (start >= EncodeDate(2015, 4, 1)) era = 2;
    // The sixth business type exists only for fiscal years that start in era 2 or later,
    // even when the year ends in era 3.
    if (era < 2 && settings.MAIN_JIGYOU == 6) settings.MAIN_JIGYOU = 5;
    if (end >= EncodeDate(2016, 1, 1)) era = 3;
  } else if (settings.SINKOKU_KUBUN == kGeneral) {
    if (end >= EncodeDate(2015, 10, 1)) era = 3;
  }
  return era;
}

int32_t FormEra(TTAXPAR& settings) {
  const int32_t era = TaxEra(settings);
  return era == 0 ? 1 : era;
}

// ---------------------------------------------------------------------------------------
// Presets, code checks and dispatch.

void ResetTaxResults(bool presetRefundDetail) {
  Sinkoku = TSyohizeiSinkoku{};
  KazeiHyoujunUtiwake = TKazeiHyoujunUtiwake{};
  for (TFuhyou1_H260401& col : Fuhyou1) col = TFuhyou1_H260401{};
  for (TFuhyou2_H260401& col : Fuhyou2) ClearAmounts(col);
  for (TFuhyou4_H260401& col : Fuhyou4) col = TFuhyou4_H260401{};
  for (TFuhyou5_H260401& col : Fuhyou5) ClearAmounts(col);

  if (!presetRefundDetail) return;
  switch (AccInf.DATATYPE) {
    case 1:
    case 3: PresetRefundDetail(KanpuMeisai_Hojin); break;
    case 2: PresetRefundDetail(KanpuMeisai_Kojin); break;
    default: break;
  }
}

void CheckTaxCodes(bool showMessages) {
  if (TaxPar.SINKOKU_KUBUN == kSimplified) {
    // Sales and returns booked without a business type go to the main type, together with
    // every typed amount of the same group. Only when such amounts exist: amounts that
    // cancel out move nothing.
    if (!SumOfTypeCells(0).IsZero()) {
      const int32_t m = MainBusinessType(TaxPar.MAIN_JIGYOU);
      for (int32_t base : kBusinessTypeBases) FoldInto(base, base + m);
      if (showMessages) Notify("事業区分のない売上等を第" + std::to_string(m) + "種事業として集計しました。");
    }
    // Forms of the first era have no sixth business type: it counts as the fifth.
    if (TaxPar.FORM_ERA == 1 && !SumOfTypeCells(6).IsZero()) {
      for (int32_t base : kBusinessTypeBases) MoveCell(base + 6, base + 5);
      if (showMessages) Notify("第六種事業の売上等を第五種事業として集計しました。");
    }
  }
  if (showMessages && TaxPar.ESTIMATED_IMPORT != 0)
    Notify("輸入の消費税額に見積額が含まれています。");

  ClearAmounts(Sinkoku);
  KazeiHyoujunUtiwake = TKazeiHyoujunUtiwake{};

  DispatchTaxCalc();
}

void DispatchTaxCalc() {
  if (TaxPar.FORM_ERA >= 1 && TaxPar.FORM_ERA <= 3) {
    if (TaxPar.SINKOKU_KUBUN == kGeneral)
      CalcGeneralReturn(TaxPar, Sinkoku);
    else if (TaxPar.SINKOKU_KUBUN == kSimplified)
      CalcSimplifiedReturn(TaxPar, Sinkoku);
  }
  if (TaxPar.SINKOKU_KUBUN != kGeneral) return;
  FinishRefundDetail();
  StoreRefundPurchaseTaxBase();
}

// ---------------------------------------------------------------------------------------
// Checks the chains call.

bool Uses500MillionTest(int32_t /*periodBasis*/, TDateTime /*start*/, TDateTime /*end*/) {
  switch (AccInf.DATATYPE) {
    case 1:
    case 3: return AccInf.KISHU >= EncodeDate(2012, 4, 1);
    case 2: return AccInf.KISHU >= EncodeDate(2013, 1, 1);
    default: return true;
  }
}

int32_t CheckTransitionalAmounts(bool /*fromForms*/) {
  bool holds[kRateClassCount] = {false, false, false};
  for (int c = 0; c < kRateClassCount; ++c) {
    bool any = false;
    if (TaxPar.SINKOKU_KUBUN == kGeneral) {
      const TFuhyou2_H260401& f2 = Fuhyou2[c + 1];
      for (Currency line : {f2.KAZEI_URIAGE, f2.SIIRE_TAIKA, f2.SIIRE_ZEIGAKU, f2.YUNYU_ZEIGAKU,
                            f2.TYOUSEI_ZEIGAKU, f2.HENDOU_TYOUSEI, f2.TENYOU_TYOUSEI,
                            f2.KAISYUU_ZEIGAKU, f2.TOKUTEI_TAIKA, f2.TOKUTEI_ZEIGAKU,
                            Fuhyou1[c + 1].KASHIDAORE_ZEIGAKU})
        any = any || !line.IsZero();
    } else if (TaxPar.SINKOKU_KUBUN == kSimplified) {
      const TFuhyou5_H260401& f5 = Fuhyou5[c + 2];
      for (Currency line : {f5.HYOUJUN_ZEIGAKU, f5.KAISYUU_ZEIGAKU, f5.HENKAN_ZEIGAKU,
                            Fuhyou4[c + 1].KASHIDAORE_ZEIGAKU})
        any = any || !line.IsZero();
      for (int t = 1; t <= 6; ++t) any = any || !f5.URIAGE_ABS[t].IsZero();
    }
    holds[c] = any;
  }
  TaxPar.TRANSITIONAL = (!holds[0] && !holds[1] && holds[2]) ? 2 : -1;
  return TaxPar.TRANSITIONAL;
}

bool HasSpecifiedPurchases(bool /*fromForms*/) {
  if (TaxPar.SINKOKU_KUBUN != kGeneral) return false;
  if (Fuhyou2[0].KAZEI_WARIAI >= kRatio95) return false;
  for (int k = 1; k <= 3; ++k)
    if (Fuhyou1[k].TOKUTEI_TAIKA > Currency() || Fuhyou1[k].TOKUTEI_HENKAN_ZEIGAKU > Currency())
      return true;
  return false;
}

int32_t DecideDirectTotal() {
  TaxPar.SIMPLE_FLAG2 = Fuhyou5[0].TANJUN ? 0 : 1;
  return TaxPar.SIMPLE_FLAG2;
}
