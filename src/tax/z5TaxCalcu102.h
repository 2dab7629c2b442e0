#pragma once
// General method: 付表1 (taxable base, tax and local consumption tax per rate column) and the
// return lines taken from it. The simplified method's 付表4 follows the same rules for its
// local tax and for the return lines it hands over; its columns carry the same fields, so the
// rules below serve both forms.
#include "tax/z5ComSyohizei.h"
#include "tax/z5TaxArith.h"
#include "tax/z5TaxCul_H.h"

// Runs the purchase-tax credit first, then fills 付表1, lines ① to ⑨ and ⑰ to ⑳ of the
// return, its per-column figures, TRANSITIONAL and, for the forms from 2015-10-01, the
// specified-purchase mark and the breakdown of the taxable base. Always true.
bool CalcFuhyou1(TTAXPAR& settings, TSyohizeiSinkoku& ret);

namespace gencalc {

using taxarith::Journal;
using taxarith::SplitNet;
using taxarith::Th;
using taxarith::Tr;
using taxarith::Tr100;

// The local-tax lines of a rate column from its balance. The 3% class has no local
// consumption tax, so its column keeps them at 0.
template <class Column>
void SetColumnLocalTax(const Journal& j, Column& col) {
  if (j.RateClass() == 0) return;
  col.TIHO_KANPU = col.KANPU_ZEIGAKU;
  col.TIHO_SASHIHIKI = col.SASHIHIKI_ZEIGAKU;
  col.JOUTO_KANPU = Tr(j.Conv(TaxConv::JYOTOWARI, col.TIHO_KANPU));
  col.JOUTO_NOUZEI = Tr(j.Conv(TaxConv::JYOTOWARI, col.TIHO_SASHIHIKI));
}

// Adds the balance and local-tax lines ⑦ to ⑨, ⑪, ⑫, ⑭ and ⑮ of a rate column to the total
// column.
template <class Column>
void AddBalanceLines(Column& total, const Column& col) {
  total.KOUJYO_SYOUKEI += col.KOUJYO_SYOUKEI;
  total.KANPU_ZEIGAKU += col.KANPU_ZEIGAKU;
  total.SASHIHIKI_ZEIGAKU += col.SASHIHIKI_ZEIGAKU;
  total.TIHO_KANPU += col.TIHO_KANPU;
  total.TIHO_SASHIHIKI += col.TIHO_SASHIHIKI;
  total.JOUTO_KANPU += col.JOUTO_KANPU;
  total.JOUTO_NOUZEI += col.JOUTO_NOUZEI;
}

// The net lines ⑩, ⑬ and ⑯ of the total column, and the return's lines taken from that
// column: ① to ⑦ except ③, which each form fills from a line of its own, and the refund and
// payable sides of the three net lines.
template <class Column>
void TakeTotalColumn(Column& total, TSyohizeiSinkoku& ret) {
  total.GOUKEI_SASHIHIKI = total.SASHIHIKI_ZEIGAKU - total.KANPU_ZEIGAKU;
  total.TIHO_GOUKEI = total.TIHO_SASHIHIKI - total.TIHO_KANPU;
  total.JOUTO_GOUKEI = total.JOUTO_NOUZEI - total.JOUTO_KANPU;

  ret.KAZEI_HYOUJUN = total.KAZEI_HYOUJUN;
  ret.SYOHIZEIGAKU = total.SYOHIZEIGAKU;
  ret.KOUJYO_SIIRE = total.KOUJYO_SIIRE;
  ret.HENKAN_ZEIGAKU = total.HENKAN_ZEIGAKU;
  ret.KASHIDAORE_ZEIGAKU = total.KASHIDAORE_ZEIGAKU;
  ret.KOUJYO_SYOUKEI = total.KOUJYO_SYOUKEI;
  SplitNet(total.GOUKEI_SASHIHIKI, ret.KANPU_ZEIGAKU, ret.SASHIHIKI_ZEIGAKU);
  SplitNet(total.TIHO_GOUKEI, ret.TIHO_KANPU, ret.TIHO_SASHIHIKI);
  SplitNet(total.JOUTO_GOUKEI, ret.JOUTO_KANPU, ret.JOUTO_NOUZEI);
}

// The per-column figures of the return from the rate columns 1..3 of the form; then
// TRANSITIONAL of settings.
template <class Column>
void TakeColumnFigures(TTAXPAR& settings, const Column (&form)[4], TSyohizeiSinkoku& ret) {
  ret.HYOUJUN_4 = Th(form[2].KAZEI_HYOUJUN);
  ret.HYOUJUN_3 = Th(form[1].KAZEI_HYOUJUN);
  ret.HYOUJUN_63 = Th(form[3].KAZEI_HYOUJUN);
  ret.SYOHIZEIGAKU_4 = form[2].SYOHIZEIGAKU;
  ret.SYOHIZEIGAKU_3 = form[1].SYOHIZEIGAKU;
  ret.SYOHIZEIGAKU_63 = form[3].SYOHIZEIGAKU;
  ret.TIHO_KIJYUN_4 = form[2].TIHO_SASHIHIKI - form[2].TIHO_KANPU;
  ret.TIHO_KIJYUN_63 = form[3].TIHO_SASHIHIKI - form[3].TIHO_KANPU;

  // With amounts in the 8% class only, the local tax is taken on the return's whole base at
  // that class's conversion rather than summed from the columns.
  settings.TRANSITIONAL = CheckTransitionalAmounts(true);
  if (settings.TRANSITIONAL == 2) {
    const Column& col63 = form[3];
    ret.TIHO_KIJYUN_4 = Currency();
    ret.TIHO_KIJYUN_63 = Currency();
    if (ret.TIHO_KANPU > Currency()) {
      ret.JOUTO_KANPU = Tr(ConvertTaxAmount(2, TaxConv::JYOTOWARI, ret.TIHO_KANPU));
      ret.TIHO_KIJYUN_63 = col63.TIHO_SASHIHIKI - col63.TIHO_KANPU;
    } else if (ret.TIHO_SASHIHIKI > Currency()) {
      ret.JOUTO_NOUZEI = Tr100(ConvertTaxAmount(2, TaxConv::JYOTOWARI, ret.TIHO_SASHIHIKI));
      ret.TIHO_KIJYUN_63 = Tr100(col63.TIHO_SASHIHIKI - col63.TIHO_KANPU);
    }
  }
}

}  // namespace gencalc
