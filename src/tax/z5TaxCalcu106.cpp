#include "tax/z5TaxCalcu106.h"

#include "tax/z5TaxArith.h"
#include "tax/z5TaxCalcu102.h"
#include "tax/z5TaxCalcu107.h"

using namespace gencalc;
using namespace taxarith;

bool CalcFuhyou4(TTAXPAR& settings, TSyohizeiSinkoku& ret) {
  for (TFuhyou4_H260401& col : Fuhyou4) col = TFuhyou4_H260401{};

  TFuhyou4_H260401& total = Fuhyou4[0];
  for (int c = 0; c < kRateClassCount; ++c) {
    const Journal j(settings, c);
    TFuhyou4_H260401& col = Fuhyou4[c + 1];
    // Tax-inclusive sales are taxed at the national rate on their net amount cut to 1,000
    // yen; tax-exclusive sales contribute the national part of their recorded tax.
    const Currency inclusiveNet = Tr(j.Conv(TaxConv::KOMI2NUKI, j.K(kSales)));
    col.KAZEI_HYOUJUN = Tr1000(inclusiveNet + j.N(kSales));
    col.SYOHIZEIGAKU = j.Conv(TaxConv::TAX_ZEIRITU, Tr1000(inclusiveNet)) +
                       Tr(j.Conv(TaxConv::TAX_KOKUZEI, j.Z(kSales)));
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
    SetColumnLocalTax(Journal(settings, c), col);
    AddBalanceLines(total, col);
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
  // The return.
  TakeTotalColumn(total, ret);
  // ③ of the return is the tax on written-off debts collected.
  ret.KOUJYO_KADAI = total.KAISYUU_ZEIGAKU;

  // Taxable sales of the period: taxable sales net of returns, plus exempt sales and exports
  // of non-taxable assets as far as they were booked tax-inclusive, less their bad debts.
  ret.SANKOU_URIAGE1 = Currency();
  for (int c = 0; c < kRateClassCount; ++c) {
    const Journal j(settings, c);
    ret.SANKOU_URIAGE1 += Tr(j.Conv(TaxConv::KOMI2NUKI, j.K(kSales))) + j.N(kSales);
    ret.SANKOU_URIAGE1 -= Tr(j.Conv(TaxConv::KOMI2NUKI, j.K(kReturns))) + j.N(kReturns);
    ret.SANKOU_URIAGE1 += j.K({120}) - j.K({320}) + j.K({220}) - j.K({420}) + j.K({150}) -
                          j.K({350}) + j.K({250}) - j.K({450});
  }

  TakeColumnFigures(settings, Fuhyou4, ret);
  return true;
}
