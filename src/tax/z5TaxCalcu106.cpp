#include "tax/z5TaxCalcu106.h"

#include "tax/z5TaxCalcu104.h"
#include "tax/z5TaxCalcu107.h"
#include "tax/z5TaxCul_H.h"

using namespace gencalc;

namespace {

// Tax on written-off debts of taxable sales collected.
constexpr std::initializer_list<int> kCollected = {210, 620};

// A net figure split into the refund side, which keeps its yen, and the payable side, cut to
// 100 yen.
void SplitNet(Currency net, Currency& refund, Currency& payable) {
  refund = Currency();
  payable = Currency();
  if (net < Currency())
    refund = -net;
  else if (net > Currency())
    payable = Tr100(net);
}

// National tax of a set of codes: tax-inclusive amounts and recorded tax each converted and
// cut to the yen.
Currency NationalTax(const Journal& j, std::initializer_list<int> codes) {
  return Tr(j.Conv("KOMI_KOKUZEI", j.K(codes))) + Tr(j.Conv("TAX_KOKUZEI", j.Z(codes)));
}

}  // namespace

bool CalcFuhyou4(TTAXPAR& settings, TSyohizeiSinkoku& ret) {
  for (TFuhyou4_H260401& col : Fuhyou4) col = TFuhyou4_H260401{};

  TFuhyou4_H260401& total = Fuhyou4[0];
  for (int c = 0; c < kRateClassCount; ++c) {
    const Journal j(settings, c);
    TFuhyou4_H260401& col = Fuhyou4[c + 1];
    // Tax-inclusive sales are taxed at the national rate on their net amount cut to 1,000
    // yen; tax-exclusive sales contribute the national part of their recorded tax.
    const Currency inclusiveNet = Tr(j.Conv("KOMI2NUKI", j.K(kSales)));
    col.KAZEI_HYOUJUN = Tr1000(inclusiveNet + j.N(kSales));
    col.SYOHIZEIGAKU =
        j.Conv("TAX_ZEIRITU", Tr1000(inclusiveNet)) + Tr(j.Conv("TAX_KOKUZEI", j.Z(kSales)));
    col.KAISYUU_ZEIGAKU = NationalTax(j, kCollected);
    col.HENKAN_ZEIGAKU = NationalTax(j, kReturns);
    col.KASHIDAORE_ZEIGAKU = NationalTax(j, kBadDebt);

    total.KAZEI_HYOUJUN += col.KAZEI_HYOUJUN;
    total.SYOHIZEIGAKU += col.SYOHIZEIGAKU;
    total.KAISYUU_ZEIGAKU += col.KAISYUU_ZEIGAKU;
    total.HENKAN_ZEIGAKU += col.HENKAN_ZEIGAKU;
    total.KASHIDAORE_ZEIGAKU += col.KASHIDAORE_ZEIGAKU;
  }
  total.KAZEI_HYOUJUN = Tr1000(total.KAZEI_HYOUJUN);

  // 付表5 takes the sales-tax lines of each column and gives back the deemed credit (④).
  for (int k = 0; k <= 3; ++k) {
    Fuhyou5[k + 1].HYOUJUN_ZEIGAKU = Fuhyou4[k].SYOHIZEIGAKU;
    Fuhyou5[k + 1].KAISYUU_ZEIGAKU = Fuhyou4[k].KAISYUU_ZEIGAKU;
    Fuhyou5[k + 1].HENKAN_ZEIGAKU = Fuhyou4[k].HENKAN_ZEIGAKU;
  }
  CalcBusinessTypeBreakdown(settings, ret);

  for (int c = 0; c < kRateClassCount; ++c) {
    TFuhyou4_H260401& col = Fuhyou4[c + 1];
    col.KOUJYO_SYOUKEI = col.KOUJYO_SIIRE + col.HENKAN_ZEIGAKU + col.KASHIDAORE_ZEIGAKU;
    col.KANPU_ZEIGAKU = Max0(col.KOUJYO_SYOUKEI - col.SYOHIZEIGAKU - col.KAISYUU_ZEIGAKU);
    col.SASHIHIKI_ZEIGAKU = Max0(col.SYOHIZEIGAKU + col.KAISYUU_ZEIGAKU - col.KOUJYO_SYOUKEI);
    // The 3% class has no local consumption tax.
    if (c > 0) {
      const Journal j(settings, c);
      col.TIHO_KANPU = col.KANPU_ZEIGAKU;
      col.TIHO_SASHIHIKI = col.SASHIHIKI_ZEIGAKU;
      col.JOUTO_KANPU = Tr(j.Conv("JYOTOWARI", col.TIHO_KANPU));
      col.JOUTO_NOUZEI = Tr(j.Conv("JYOTOWARI", col.TIHO_SASHIHIKI));
    }
    total.KOUJYO_SYOUKEI += col.KOUJYO_SYOUKEI;
    total.KANPU_ZEIGAKU += col.KANPU_ZEIGAKU;
    total.SASHIHIKI_ZEIGAKU += col.SASHIHIKI_ZEIGAKU;
    total.TIHO_KANPU += col.TIHO_KANPU;
    total.TIHO_SASHIHIKI += col.TIHO_SASHIHIKI;
    total.JOUTO_KANPU += col.JOUTO_KANPU;
    total.JOUTO_NOUZEI += col.JOUTO_NOUZEI;
  }
  // When 付表5's total column was computed from its own lines, so is this one's balance: its
  // credit need not be the sum of the rate columns' credits.
  if (settings.SIMPLE_FLAG2 == 1) {
    total.KOUJYO_SYOUKEI = total.KOUJYO_SIIRE + total.HENKAN_ZEIGAKU + total.KASHIDAORE_ZEIGAKU;
    total.KANPU_ZEIGAKU =
        Max0(total.KOUJYO_SYOUKEI - total.SYOHIZEIGAKU - total.KAISYUU_ZEIGAKU);
    total.SASHIHIKI_ZEIGAKU =
        Max0(total.SYOHIZEIGAKU + total.KAISYUU_ZEIGAKU - total.KOUJYO_SYOUKEI);
  }
  total.GOUKEI_SASHIHIKI = total.SASHIHIKI_ZEIGAKU - total.KANPU_ZEIGAKU;
  total.TIHO_GOUKEI = total.TIHO_SASHIHIKI - total.TIHO_KANPU;
  total.JOUTO_GOUKEI = total.JOUTO_NOUZEI - total.JOUTO_KANPU;

  // The return.
  ret.KAZEI_HYOUJUN = total.KAZEI_HYOUJUN;
  ret.SYOHIZEIGAKU = total.SYOHIZEIGAKU;
  ret.KOUJYO_KADAI = total.KAISYUU_ZEIGAKU;
  ret.KOUJYO_SIIRE = total.KOUJYO_SIIRE;
  ret.HENKAN_ZEIGAKU = total.HENKAN_ZEIGAKU;
  ret.KASHIDAORE_ZEIGAKU = total.KASHIDAORE_ZEIGAKU;
  ret.KOUJYO_SYOUKEI = total.KOUJYO_SYOUKEI;
  SplitNet(total.GOUKEI_SASHIHIKI, ret.KANPU_ZEIGAKU, ret.SASHIHIKI_ZEIGAKU);
  SplitNet(total.TIHO_GOUKEI, ret.TIHO_KANPU, ret.TIHO_SASHIHIKI);
  SplitNet(total.JOUTO_GOUKEI, ret.JOUTO_KANPU, ret.JOUTO_NOUZEI);

  // Taxable sales of the period: taxable sales net of returns, plus exempt sales and exports
  // of non-taxable assets as far as they were booked tax-inclusive, less their bad debts.
  ret.SANKOU_URIAGE1 = Currency();
  for (int c = 0; c < kRateClassCount; ++c) {
    const Journal j(settings, c);
    ret.SANKOU_URIAGE1 += Tr(j.Conv("KOMI2NUKI", j.K(kSales))) + j.N(kSales);
    ret.SANKOU_URIAGE1 -= Tr(j.Conv("KOMI2NUKI", j.K(kReturns))) + j.N(kReturns);
    ret.SANKOU_URIAGE1 += j.K({120}) - j.K({320}) + j.K({220}) - j.K({420}) + j.K({150}) -
                          j.K({350}) + j.K({250}) - j.K({450});
  }

  ret.HYOUJUN_4 = Th(Fuhyou4[2].KAZEI_HYOUJUN);
  ret.HYOUJUN_3 = Th(Fuhyou4[1].KAZEI_HYOUJUN);
  ret.HYOUJUN_63 = Th(Fuhyou4[3].KAZEI_HYOUJUN);
  ret.SYOHIZEIGAKU_4 = Fuhyou4[2].SYOHIZEIGAKU;
  ret.SYOHIZEIGAKU_3 = Fuhyou4[1].SYOHIZEIGAKU;
  ret.SYOHIZEIGAKU_63 = Fuhyou4[3].SYOHIZEIGAKU;
  ret.TIHO_KIJYUN_4 = Fuhyou4[2].TIHO_SASHIHIKI - Fuhyou4[2].TIHO_KANPU;
  ret.TIHO_KIJYUN_63 = Fuhyou4[3].TIHO_SASHIHIKI - Fuhyou4[3].TIHO_KANPU;

  // With amounts in the 8% class only, the local tax is taken on the return's whole base at
  // that class's conversion rather than summed from the columns.
  settings.TRANSITIONAL = CheckTransitionalAmounts(true);
  if (settings.TRANSITIONAL == 2) {
    const TFuhyou4_H260401& col63 = Fuhyou4[3];
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
  return true;
}
