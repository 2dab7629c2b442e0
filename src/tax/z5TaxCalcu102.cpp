#include "tax/z5TaxCalcu102.h"

#include "tax/z5TaxArith.h"
#include "tax/z5TaxCalcu103.h"
#include "tax/z5TaxCul_H.h"

using namespace gencalc;
using namespace taxarith;

bool CalcFuhyou1(TTAXPAR& settings, TSyohizeiSinkoku& ret) {
  CalcPurchaseCredit(settings, ret);

  const bool era3 = settings.FORM_ERA == 3;
  const bool ratio95 = Fuhyou2[0].KAZEI_WARIAI >= kRatio95;

  for (int c = 0; c < 3; ++c) {
    const Journal j(settings, c);
    TFuhyou1_H260401& col = Fuhyou1[c + 1];
    // Tax-inclusive sales are taxed at the national rate on their net amount cut to 1,000
    // yen; tax-exclusive sales contribute the national part of their recorded tax.
    const Currency inclusiveNet = Tr(j.Conv(TaxConv::KOMI2NUKI, j.K(kSales)));
    const Currency recordedTax = Tr(j.Conv(TaxConv::TAX_KOKUZEI, j.Z(kSales)));
    if (era3) {
      col.KAZEI_TAIKA = inclusiveNet + j.N(kSales);
      col.TOKUTEI_TAIKA = ratio95 ? Currency() : j.N(kSpecified);
      col.KAZEI_HYOUJUN = Tr1000(col.KAZEI_TAIKA + col.TOKUTEI_TAIKA);
      col.SYOHIZEIGAKU =
          j.Conv(TaxConv::TAX_ZEIRITU, Tr1000(inclusiveNet + col.TOKUTEI_TAIKA)) + recordedTax;
    } else {
      col.KAZEI_HYOUJUN = Tr1000(inclusiveNet + j.N(kSales));
      col.SYOHIZEIGAKU = j.Conv(TaxConv::TAX_ZEIRITU, Tr1000(inclusiveNet)) + recordedTax;
    }

    const Currency salesReturns = Tr(j.Conv(TaxConv::KOMI_KOKUZEI, j.K(kReturns))) +
                                  Tr(j.Conv(TaxConv::TAX_KOKUZEI, j.Z(kReturns)));
    if (era3) {
      col.URIAGE_HENKAN_ZEIGAKU = salesReturns;
      col.TOKUTEI_HENKAN_ZEIGAKU =
          ratio95 ? Currency() : Tr(j.Conv(TaxConv::NUKI_KOKUZEI, j.N(kSpecifiedReturns)));
      col.HENKAN_ZEIGAKU = col.URIAGE_HENKAN_ZEIGAKU + col.TOKUTEI_HENKAN_ZEIGAKU;
    } else {
      col.HENKAN_ZEIGAKU = salesReturns;
    }
    col.KASHIDAORE_ZEIGAKU = Tr(j.Conv(TaxConv::KOMI_KOKUZEI, j.K(kBadDebt))) +
                             Tr(j.Conv(TaxConv::TAX_KOKUZEI, j.Z(kBadDebt)));

    col.KOUJYO_SYOUKEI = col.KOUJYO_SIIRE + col.HENKAN_ZEIGAKU + col.KASHIDAORE_ZEIGAKU;
    col.KANPU_ZEIGAKU = Max0(col.KOUJYO_SYOUKEI - col.SYOHIZEIGAKU - col.KOUJYO_KADAI);
    col.SASHIHIKI_ZEIGAKU = Max0(col.SYOHIZEIGAKU + col.KOUJYO_KADAI - col.KOUJYO_SYOUKEI);
    SetColumnLocalTax(j, col);
  }

  // Total column.
  TFuhyou1_H260401& total = Fuhyou1[0];
  total = TFuhyou1_H260401{};
  for (int k = 1; k <= 3; ++k) {
    const TFuhyou1_H260401& col = Fuhyou1[k];
    total.KAZEI_HYOUJUN += col.KAZEI_HYOUJUN;
    total.SYOHIZEIGAKU += col.SYOHIZEIGAKU;
    total.KOUJYO_KADAI += col.KOUJYO_KADAI;
    total.KOUJYO_SIIRE += col.KOUJYO_SIIRE;
    total.HENKAN_ZEIGAKU += col.HENKAN_ZEIGAKU;
    total.KASHIDAORE_ZEIGAKU += col.KASHIDAORE_ZEIGAKU;
    AddBalanceLines(total, col);
    total.KAZEI_TAIKA += col.KAZEI_TAIKA;
    total.TOKUTEI_TAIKA += col.TOKUTEI_TAIKA;
    total.URIAGE_HENKAN_ZEIGAKU += col.URIAGE_HENKAN_ZEIGAKU;
    total.TOKUTEI_HENKAN_ZEIGAKU += col.TOKUTEI_HENKAN_ZEIGAKU;
  }
  // The return.
  TakeTotalColumn(total, ret);
  ret.KOUJYO_KADAI = total.KOUJYO_KADAI;

  TakeColumnFigures(settings, Fuhyou1, ret);

  if (era3) {
    ret.TOKUTEI_SIIRE_ARI = HasSpecifiedPurchases(true);
    TKazeiHyoujunUtiwake& u = KazeiHyoujunUtiwake;
    u.KAZEI_HYOUJUN = total.KAZEI_HYOUJUN;
    for (int k = 0; k <= 3; ++k) {
      u.KAZEI_TAIKA[k] = Fuhyou1[k].KAZEI_TAIKA;
      u.TOKUTEI_TAIKA[k] = Fuhyou1[k].TOKUTEI_TAIKA;
      u.TAIKA_KEI[k] = Fuhyou1[k].KAZEI_TAIKA + Fuhyou1[k].TOKUTEI_TAIKA;
    }
    u.HENKAN_ZEIGAKU = total.HENKAN_ZEIGAKU;
    u.URIAGE_HENKAN_ZEIGAKU = total.URIAGE_HENKAN_ZEIGAKU;
    u.TOKUTEI_HENKAN_ZEIGAKU = total.TOKUTEI_HENKAN_ZEIGAKU;
  }
  return true;
}
