#include "tax/z5TaxCalcu102.h"

#include "tax/z5TaxCalcu103.h"
#include "tax/z5TaxCalcu104.h"
#include "tax/z5TaxCul_H.h"

using namespace gencalc;

namespace {

// A net figure of a column split into the refund and the payable side: the refund keeps its
// yen, the payable side is cut to 100 yen.
void SplitNet(Currency net, Currency& refund, Currency& payable) {
  refund = Currency();
  payable = Currency();
  if (net < Currency())
    refund = -net;
  else if (net > Currency())
    payable = Tr100(net);
}

}  // namespace

bool CalcFuhyou1(TTAXPAR& settings, TSyohizeiSinkoku& ret) {
  CalcPurchaseCredit(settings, ret);

  const bool era3 = settings.FORM_ERA == 3;
  const bool ratio95 = Fuhyou2[0].KAZEI_WARIAI >= kRatio95;

  for (int c = 0; c < 3; ++c) {
    const Journal j(settings, c);
    TFuhyou1_H260401& col = Fuhyou1[c + 1];
    // Tax-inclusive sales are taxed at the national rate on their net amount cut to 1,000
    // yen; tax-exclusive sales contribute the national part of their recorded tax.
    const Currency inclusiveNet = Tr(j.Conv("KOMI2NUKI", j.K(kSales)));
    const Currency recordedTax = Tr(j.Conv("TAX_KOKUZEI", j.Z(kSales)));
    if (era3) {
      col.KAZEI_TAIKA = inclusiveNet + j.N(kSales);
      col.TOKUTEI_TAIKA = ratio95 ? Currency() : j.N(kSpecified);
      col.KAZEI_HYOUJUN = Tr1000(col.KAZEI_TAIKA + col.TOKUTEI_TAIKA);
      col.SYOHIZEIGAKU =
          j.Conv("TAX_ZEIRITU", Tr1000(inclusiveNet + col.TOKUTEI_TAIKA)) + recordedTax;
    } else {
      col.KAZEI_HYOUJUN = Tr1000(inclusiveNet + j.N(kSales));
      col.SYOHIZEIGAKU = j.Conv("TAX_ZEIRITU", Tr1000(inclusiveNet)) + recordedTax;
    }

    const Currency salesReturns = Tr(j.Conv("KOMI_KOKUZEI", j.K(kReturns))) +
                                  Tr(j.Conv("TAX_KOKUZEI", j.Z(kReturns)));
    if (era3) {
      col.URIAGE_HENKAN_ZEIGAKU = salesReturns;
      col.TOKUTEI_HENKAN_ZEIGAKU =
          ratio95 ? Currency() : Tr(j.Conv("NUKI_KOKUZEI", j.N(kSpecifiedReturns)));
      col.HENKAN_ZEIGAKU = col.URIAGE_HENKAN_ZEIGAKU + col.TOKUTEI_HENKAN_ZEIGAKU;
    } else {
      col.HENKAN_ZEIGAKU = salesReturns;
    }
    col.KASHIDAORE_ZEIGAKU = Tr(j.Conv("KOMI_KOKUZEI", j.K(kBadDebt))) +
                             Tr(j.Conv("TAX_KOKUZEI", j.Z(kBadDebt)));

    col.KOUJYO_SYOUKEI = col.KOUJYO_SIIRE + col.HENKAN_ZEIGAKU + col.KASHIDAORE_ZEIGAKU;
    col.KANPU_ZEIGAKU = Max0(col.KOUJYO_SYOUKEI - col.SYOHIZEIGAKU - col.KOUJYO_KADAI);
    col.SASHIHIKI_ZEIGAKU = Max0(col.SYOHIZEIGAKU + col.KOUJYO_KADAI - col.KOUJYO_SYOUKEI);
    // The 3% class has no local consumption tax.
    if (c > 0) {
      col.TIHO_KANPU = col.KANPU_ZEIGAKU;
      col.TIHO_SASHIHIKI = col.SASHIHIKI_ZEIGAKU;
      col.JOUTO_KANPU = Tr(j.Conv("JYOTOWARI", col.TIHO_KANPU));
      col.JOUTO_NOUZEI = Tr(j.Conv("JYOTOWARI", col.TIHO_SASHIHIKI));
    }
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
    total.KOUJYO_SYOUKEI += col.KOUJYO_SYOUKEI;
    total.KANPU_ZEIGAKU += col.KANPU_ZEIGAKU;
    total.SASHIHIKI_ZEIGAKU += col.SASHIHIKI_ZEIGAKU;
    total.TIHO_KANPU += col.TIHO_KANPU;
    total.TIHO_SASHIHIKI += col.TIHO_SASHIHIKI;
    total.JOUTO_KANPU += col.JOUTO_KANPU;
    total.JOUTO_NOUZEI += col.JOUTO_NOUZEI;
    total.KAZEI_TAIKA += col.KAZEI_TAIKA;
    total.TOKUTEI_TAIKA += col.TOKUTEI_TAIKA;
    total.URIAGE_HENKAN_ZEIGAKU += col.URIAGE_HENKAN_ZEIGAKU;
    total.TOKUTEI_HENKAN_ZEIGAKU += col.TOKUTEI_HENKAN_ZEIGAKU;
  }
  total.GOUKEI_SASHIHIKI = total.SASHIHIKI_ZEIGAKU - total.KANPU_ZEIGAKU;
  total.TIHO_GOUKEI = total.TIHO_SASHIHIKI - total.TIHO_KANPU;
  total.JOUTO_GOUKEI = total.JOUTO_NOUZEI - total.JOUTO_KANPU;

  // The return.
  ret.KAZEI_HYOUJUN = total.KAZEI_HYOUJUN;
  ret.SYOHIZEIGAKU = total.SYOHIZEIGAKU;
  ret.KOUJYO_KADAI = total.KOUJYO_KADAI;
  ret.KOUJYO_SIIRE = total.KOUJYO_SIIRE;
  ret.HENKAN_ZEIGAKU = total.HENKAN_ZEIGAKU;
  ret.KASHIDAORE_ZEIGAKU = total.KASHIDAORE_ZEIGAKU;
  ret.KOUJYO_SYOUKEI = total.KOUJYO_SYOUKEI;
  SplitNet(total.GOUKEI_SASHIHIKI, ret.KANPU_ZEIGAKU, ret.SASHIHIKI_ZEIGAKU);
  SplitNet(total.TIHO_GOUKEI, ret.TIHO_KANPU, ret.TIHO_SASHIHIKI);
  SplitNet(total.JOUTO_GOUKEI, ret.JOUTO_KANPU, ret.JOUTO_NOUZEI);

  ret.HYOUJUN_4 = Th(Fuhyou1[2].KAZEI_HYOUJUN);
  ret.HYOUJUN_3 = Th(Fuhyou1[1].KAZEI_HYOUJUN);
  ret.HYOUJUN_63 = Th(Fuhyou1[3].KAZEI_HYOUJUN);
  ret.SYOHIZEIGAKU_4 = Fuhyou1[2].SYOHIZEIGAKU;
  ret.SYOHIZEIGAKU_3 = Fuhyou1[1].SYOHIZEIGAKU;
  ret.SYOHIZEIGAKU_63 = Fuhyou1[3].SYOHIZEIGAKU;
  ret.TIHO_KIJYUN_4 = Fuhyou1[2].TIHO_SASHIHIKI - Fuhyou1[2].TIHO_KANPU;
  ret.TIHO_KIJYUN_63 = Fuhyou1[3].TIHO_SASHIHIKI - Fuhyou1[3].TIHO_KANPU;

  // With amounts in the 8% class only, the local tax is taken on the return's whole base at
  // that class's conversion rather than summed from the columns.
  settings.TRANSITIONAL = CheckTransitionalAmounts(true);
  if (settings.TRANSITIONAL == 2) {
    const TFuhyou1_H260401& col63 = Fuhyou1[3];
    ret.TIHO_KIJYUN_4 = Currency();
    ret.TIHO_KIJYUN_63 = Currency();
    if (ret.TIHO_KANPU > Currency()) {
      ret.JOUTO_KANPU = Tr(ConvertTaxAmount(2, "JYOTOWARI", ret.TIHO_KANPU));
      ret.TIHO_KIJYUN_63 = col63.TIHO_SASHIHIKI - col63.TIHO_KANPU;
    } else if (ret.TIHO_SASHIHIKI > Currency()) {
      ret.JOUTO_NOUZEI = Tr100(ConvertTaxAmount(2, "JYOTOWARI", ret.TIHO_SASHIHIKI));
      ret.TIHO_KIJYUN_63 = Tr100(col63.TIHO_SASHIHIKI - col63.TIHO_KANPU);
    }
  }

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
