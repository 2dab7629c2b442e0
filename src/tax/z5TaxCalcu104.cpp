#include "tax/z5TaxCalcu104.h"

#include <cstdint>

#include "data/uAccRecord.h"
#include "tax/z5TaxArith.h"
#include "tax/z5TaxCul_H.h"

namespace {

using taxarith::Journal;
using taxarith::kImportNationalTax;
using taxarith::kImportNationalTaxReturns;
using taxarith::kImportReturns;
using taxarith::kImports;
using taxarith::kPurchaseReturns;
using taxarith::kPurchases;
using taxarith::kRatio95;
using taxarith::kReturns;
using taxarith::kSales;
using taxarith::kSpecified;
using taxarith::kSpecifiedReturns;
using taxarith::kStockAdjustments;
using taxarith::Max0;
using taxarith::NationalTax;
using taxarith::Tr;

constexpr int64_t kYenRaw = Currency::kScale;

// Year and month of the closing date of the closing period that holds the date.
void ClosingMonth(int closingDay, TDateTime date, int& year, int& month) {
  int day = 0;
  DecodeDate(date, year, month, day);
  const bool closes = (closingDay >= 1 && closingDay <= 28) || closingDay == 99;
  if (closes && closingDay != 99 && day > closingDay) {
    if (++month > 12) {
      month = 1;
      ++year;
    }
  }
}

// Months from the closing month of the first date to that of the second.
int MonthOffset(int closingDay, TDateTime from, TDateTime to) {
  int y1 = 0, m1 = 0, y2 = 0, m2 = 0;
  ClosingMonth(closingDay, from, y1, m1);
  ClosingMonth(closingDay, to, y2, m2);
  return 12 * (y2 - y1) + (m2 - m1);
}

// Tr(x × num / den) with x, num, den amounts, computed on the exact quotient.
Currency TruncMulDiv(Currency x, Currency num, Currency den) {
  const __int128 p = static_cast<__int128>(x.Raw()) * num.Raw();
  const __int128 yen = p / (static_cast<__int128>(den.Raw()) * kYenRaw);
  return Currency::FromYen(static_cast<int64_t>(yen));
}

// Itemised-method tax of the purchases with one use (the codes given), less their returns.
Currency ItemisedTax(const Journal& j, taxarith::CodeSet codes, taxarith::CodeSet returns,
                     int importNationalCode, int importNationalReturnCode, int specifiedCode,
                     int specifiedReturnCode, bool withSpecified) {
  Currency tax = Tr(j.Conv(TaxConv::KOMI_KOKUZEI, j.K(codes) - j.K(returns))) +
                 Tr(j.Conv(TaxConv::TAX_KOKUZEI, j.Z(codes) - j.Z(returns))) +
                 j.Z({importNationalCode}) - j.Z({importNationalReturnCode});
  if (withSpecified)
    tax += Tr(j.Conv(TaxConv::NUKI_KOKUZEI, j.N({specifiedCode})) -
              j.Conv(TaxConv::NUKI_KOKUZEI, j.N({specifiedReturnCode})));
  return tax;
}

}  // namespace

void ClearFuhyou2Totals(TTAXPAR& /*settings*/) {
  TFuhyou2_H260401& t = Fuhyou2[0];
  const std::string method = t.KOUJYO_HOUSIKI;
  const int32_t full = t.ZENGAKU;
  t = TFuhyou2_H260401{};
  t.KOUJYO_HOUSIKI = method;
  t.ZENGAKU = full;
}

bool IsWithin500Million(const TTAXPAR& settings, Currency taxableSales) {
  const int months = MonthOffset(AccInf.SIME, settings.KIKAN_KAISI, settings.KIKAN_SYURYO) + 1;
  Currency annual = taxableSales;
  if (months >= 1 && months <= 11) {
    // Exact: a quotient rounded before the × 12 would move the boundary by a yen.
    const __int128 raw = static_cast<__int128>(taxableSales.Raw()) * 12 / months;
    annual = Tr(Currency::FromRaw(static_cast<int64_t>(raw)));
  }
  return annual <= Currency::FromYen(500'000'000);
}

bool CalcFuhyou2(TTAXPAR& settings) {
  ClearFuhyou2Totals(settings);
  TFuhyou2_H260401& total = Fuhyou2[0];

  // Fixed-asset adjustments, as entered.
  const Currency hendou[3] = {settings.KOUJYOZEI_18A, settings.KOUJYOZEI_18B,
                              settings.KOUJYOZEI_18C};
  const Currency tenyou[3] = {settings.KOUJYOZEI_19A, settings.KOUJYOZEI_19B,
                              settings.KOUJYOZEI_19C};
  for (int c = 0; c < 3; ++c) {
    Fuhyou2[c + 1].HENDOU_TYOUSEI = hendou[c];
    Fuhyou2[c + 1].TENYOU_TYOUSEI = tenyou[c];
    total.HENDOU_TYOUSEI += hendou[c];
    total.TENYOU_TYOUSEI += tenyou[c];
  }

  // Sales.
  for (int c = 0; c < 3; ++c) {
    const Journal j(settings, c);
    TFuhyou2_H260401& col = Fuhyou2[c + 1];
    col.KAZEI_URIAGE = (Tr(j.Conv(TaxConv::KOMI2NUKI, j.K(kSales))) -
                        Tr(j.Conv(TaxConv::KOMI2NUKI, j.K(kReturns)))) +
                       j.N(kSales) - j.N(kReturns);
    total.KAZEI_URIAGE += col.KAZEI_URIAGE;
    total.MENZEI_URIAGE += j.K({120, 220}) + j.N({120, 220}) - j.K({320}) - j.N({320});
    total.HIKAZEI_YUSHUTSU += j.K({150, 250}) + j.N({150, 250}) - j.K({350}) - j.N({350});
  }
  total.KAZEI_TAIKA_SAIKEI = total.KAZEI_URIAGE + total.MENZEI_URIAGE + total.HIKAZEI_YUSHUTSU;
  total.KAZEI_TAIKA = Max0(total.KAZEI_TAIKA_SAIKEI);

  // Non-taxable sales; securities count at 5% of their value.
  for (int c = 0; c < 3; ++c) {
    const Journal j(settings, c);
    const Currency securities = j.K({140}) - j.K({340}) + j.N({140}) - j.N({340});
    const Currency securitiesCollected = j.K({240}) + j.N({240});
    total.HIKAZEI_URIAGE += Tr((j.K({130}) - j.K({330}) + j.N({130}) - j.N({330})) +
                               securities.MulDiv(5, 100) + j.K({230}) + j.N({230}) +
                               securitiesCollected.MulDiv(5, 100));
  }
  total.SISAN_TAIKA = Max0(total.KAZEI_TAIKA_SAIKEI + total.HIKAZEI_URIAGE);

  // The ratio: a percentage cut toward zero to one decimal, on the exact quotient, so that
  // 94.99999% stays 94.9.
  total.KAZEI_WARIAI = Currency();
  const Currency hundred = Currency::FromYen(100);
  if (total.KAZEI_TAIKA > Currency() && total.SISAN_TAIKA > Currency()) {
    const __int128 tenths =
        static_cast<__int128>(total.KAZEI_TAIKA.Raw()) * 1000 / total.SISAN_TAIKA.Raw();
    total.KAZEI_WARIAI = tenths >= 1000 ? hundred
                                        : Currency::FromRaw(static_cast<int64_t>(tenths) * 1000);
  } else if (total.SISAN_TAIKA.IsZero() && total.KAZEI_TAIKA > Currency()) {
    total.KAZEI_WARIAI = hundred;
  }
  const bool ratio95 = total.KAZEI_WARIAI >= kRatio95;

  // Purchases.
  for (int c = 0; c < 3; ++c) {
    const Journal j(settings, c);
    TFuhyou2_H260401& col = Fuhyou2[c + 1];
    col.SIIRE_TAIKA = (j.K(kPurchases) - j.K(kPurchaseReturns)) + (j.N(kPurchases) - j.N(kPurchaseReturns)) +
                      (j.Z(kPurchases) - j.Z(kPurchaseReturns));
    col.SIIRE_ZEIGAKU = NationalTax(j, kPurchases) - NationalTax(j, kPurchaseReturns);
    col.YUNYU_ZEIGAKU = NationalTax(j, kImports) - NationalTax(j, kImportReturns) +
                        j.Z(kImportNationalTax) - j.Z(kImportNationalTaxReturns);
    col.TYOUSEI_ZEIGAKU = NationalTax(j, kStockAdjustments);
    if (ratio95) {
      col.TOKUTEI_TAIKA = Currency();
      col.TOKUTEI_ZEIGAKU = Currency();
    } else {
      col.TOKUTEI_TAIKA = j.N(kSpecified) - j.N(kSpecifiedReturns);
      col.TOKUTEI_ZEIGAKU = Tr(j.Conv(TaxConv::NUKI_KOKUZEI, j.N(kSpecified)) -
                               j.Conv(TaxConv::NUKI_KOKUZEI, j.N(kSpecifiedReturns)));
    }
    col.SIIRE_ZEIGAKU_KEI =
        col.SIIRE_ZEIGAKU + col.YUNYU_ZEIGAKU + col.TYOUSEI_ZEIGAKU + col.TOKUTEI_ZEIGAKU;
    total.SIIRE_TAIKA += col.SIIRE_TAIKA;
    total.SIIRE_ZEIGAKU += col.SIIRE_ZEIGAKU;
    total.YUNYU_ZEIGAKU += col.YUNYU_ZEIGAKU;
    total.TYOUSEI_ZEIGAKU += col.TYOUSEI_ZEIGAKU;
    total.TOKUTEI_TAIKA += col.TOKUTEI_TAIKA;
    total.TOKUTEI_ZEIGAKU += col.TOKUTEI_ZEIGAKU;
    total.SIIRE_ZEIGAKU_KEI += col.SIIRE_ZEIGAKU_KEI;
  }

  // The 95% rule.
  bool full = ratio95;
  if (Uses500MillionTest(settings.PERIOD_BASIS, settings.KIKAN_KAISI,
                                 settings.KIKAN_SYURYO))
    full = full && IsWithin500Million(settings, total.KAZEI_URIAGE + total.MENZEI_URIAGE);
  total.ZENGAKU = full ? 1 : 0;
  for (int c = 1; c <= 3; ++c) {
    Fuhyou2[c].KOUJYO_SIIRE = Currency();
    Fuhyou2[c].KOUJYO_KADAI = Currency();
  }

  // Common purchases are prorated by the ratio's exact quotient, never above 1: non-taxable
  // returns larger than non-taxable sales would otherwise credit more than the purchase tax,
  // and with no sales left at all there is nothing to divide by.
  const bool prorate = total.KAZEI_WARIAI > Currency();
  const bool wholeFactor = total.SISAN_TAIKA.IsZero() || total.KAZEI_TAIKA >= total.SISAN_TAIKA;
  auto prorated = [&](Currency x) {
    return wholeFactor ? Tr(x) : TruncMulDiv(x, total.KAZEI_TAIKA, total.SISAN_TAIKA);
  };

  if (full) {
    total.KOUJYO_HOUSIKI = "全額控除";
  } else if (settings.KAZEIURI95MIMAN == 0) {
    total.KOUJYO_HOUSIKI = "個別対応";
  } else {
    total.KOUJYO_HOUSIKI = "比例配分";
  }
  for (int c = 0; c < 3; ++c) {
    const Journal j(settings, c);
    TFuhyou2_H260401& col = Fuhyou2[c + 1];
    Currency x;
    if (full) {
      col.ZENGAKU_KOUJYO = col.SIIRE_ZEIGAKU_KEI;
      x = col.ZENGAKU_KOUJYO;
      total.ZENGAKU_KOUJYO += col.ZENGAKU_KOUJYO;
    } else if (settings.KAZEIURI95MIMAN == 0) {
      col.KOBETU_KAZEI = ItemisedTax(j, {511, 711, 521, 721, 531, 731}, {561, 761, 571, 771},
                                     724, 774, 551, 581, !ratio95);
      col.KOBETU_KYOTUU = ItemisedTax(j, {512, 712, 522, 722, 532, 732}, {562, 762, 572, 772},
                                      725, 775, 552, 582, !ratio95);
      if (settings.ANBUNWARIAI != 0) {
        col.KOBETU_KOUJYO =
            TruncMulDiv(col.KOBETU_KYOTUU, settings.JUNZURUWARIAI, hundred) + col.KOBETU_KAZEI;
      } else if (prorate) {
        col.KOBETU_KOUJYO = prorated(col.KOBETU_KYOTUU) + col.KOBETU_KAZEI;
      } else {
        col.KOBETU_KOUJYO = col.KOBETU_KAZEI;
      }
      x = col.KOBETU_KOUJYO;
      total.KOBETU_KAZEI += col.KOBETU_KAZEI;
      total.KOBETU_KYOTUU += col.KOBETU_KYOTUU;
      total.KOBETU_KOUJYO += col.KOBETU_KOUJYO;
    } else {
      col.HIREI_KOUJYO = prorate ? prorated(col.SIIRE_ZEIGAKU_KEI) : Currency();
      x = col.HIREI_KOUJYO;
      total.HIREI_KOUJYO += col.HIREI_KOUJYO;
    }
    x += col.HENDOU_TYOUSEI + col.TENYOU_TYOUSEI;
    if (x >= Currency())
      col.KOUJYO_SIIRE = x;
    else
      col.KOUJYO_KADAI = -x;
    total.KOUJYO_SIIRE += col.KOUJYO_SIIRE;
    total.KOUJYO_KADAI += col.KOUJYO_KADAI;
  }

  // Tax on written-off debts collected, and the hand-over to 付表1.
  for (int c = 0; c < 3; ++c) {
    const Journal j(settings, c);
    TFuhyou2_H260401& col = Fuhyou2[c + 1];
    col.KAISYUU_ZEIGAKU = NationalTax(j, taxarith::kCollected);
    total.KAISYUU_ZEIGAKU += col.KAISYUU_ZEIGAKU;
    Fuhyou1[c + 1].KOUJYO_SIIRE = col.KOUJYO_SIIRE;
    Fuhyou1[c + 1].KOUJYO_KADAI = col.KOUJYO_KADAI + col.KAISYUU_ZEIGAKU;
  }
  return true;
}
