#include "tax/z5TaxCalcu108.h"

#include <cstdint>
#include <initializer_list>

#include "data/uAccFunction2.h"
#include "tax/z5TaxArith.h"
#include "tax/z5TaxCul_H.h"

namespace {

using taxarith::CodeSet;
using taxarith::Journal;
using taxarith::kReturnsBase;
using taxarith::kReturnsTaxBase;
using taxarith::kSalesBase;
using taxarith::kSalesTaxBase;
using taxarith::Max0;
using taxarith::NationalTax;
using taxarith::Tr;

using Line = Currency TFuhyou5_H260401::*;

constexpr int kTypes = taxarith::kBusinessTypeCount;
constexpr Currency kShare75 = Currency::FromYen(75);
constexpr Currency kHundred = Currency::FromYen(100);

// The pairs of business types of the 75% rule, in the order in which they compete.
struct TypePair {
  int a, b;  // a < b
  Line line;
};
constexpr TypePair kPairs[] = {
    {1, 2, &TFuhyou5_H260401::TOKUREI12}, {1, 3, &TFuhyou5_H260401::TOKUREI13},
    {1, 4, &TFuhyou5_H260401::TOKUREI14}, {1, 5, &TFuhyou5_H260401::TOKUREI15},
    {1, 6, &TFuhyou5_H260401::TOKUREI16}, {2, 3, &TFuhyou5_H260401::TOKUREI23},
    {2, 4, &TFuhyou5_H260401::TOKUREI24}, {2, 5, &TFuhyou5_H260401::TOKUREI25},
    {2, 6, &TFuhyou5_H260401::TOKUREI26}, {3, 4, &TFuhyou5_H260401::TOKUREI34},
    {3, 5, &TFuhyou5_H260401::TOKUREI35}, {3, 6, &TFuhyou5_H260401::TOKUREI36},
    {4, 5, &TFuhyou5_H260401::TOKUREI45}, {4, 6, &TFuhyou5_H260401::TOKUREI46},
    {5, 6, &TFuhyou5_H260401::TOKUREI56},
};

TFuhyou5_H260401& ColumnOf(int selector) {
  return selector == -1 ? Fuhyou5[1] : Fuhyou5[selector + 2];
}

Currency Rate(const TTAXPAR& s, int type) {
  switch (type) {
    case 1: return s.MINASIRITU1;
    case 2: return s.MINASIRITU2;
    case 3: return s.MINASIRITU3;
    case 4: return s.MINASIRITU4;
    case 5: return s.MINASIRITU5;
    case 6: return s.MINASIRITU6;
    default: return Currency();
  }
}

// The credit cut: num / den yen (den > 0) plus a tolerance of 0.000001, cut to the yen, the
// way `RoundToDigits` cuts to whole units, but on the exact quotient.
Currency CutQuotient(__int128 num, __int128 den) {
  if (num == 0) return Currency();
  constexpr __int128 kTolerance = 1'000'000;  // 1 / 0.000001
  __int128 q = (num * kTolerance + den) / (den * kTolerance);  // toward zero
  if (num < 0) q -= 1;
  return Currency::FromYen(static_cast<int64_t>(q));
}

// Cut(base × rate).
Currency CutProduct(Currency base, Currency rate) {
  return CutQuotient(static_cast<__int128>(base.Raw()) * rate.Raw(),
                     static_cast<__int128>(Currency::kScale) * Currency::kScale);
}

// Cut(base × num / den), den > 0.
Currency CutScaled(Currency base, Currency num, Currency den) {
  return CutQuotient(static_cast<__int128>(base.Raw()) * num.Raw(),
                     static_cast<__int128>(den.Raw()) * Currency::kScale);
}

// Tr(tax × rate): the tax of a type at its deemed rate, cut to the yen.
Currency DeemedTax(Currency tax, Currency rate) { return Tr(tax * rate); }

// Net sales of one business type: tax-inclusive amounts converted to net and cut to the
// yen, plus the net amounts.
Currency TypeSales(const Journal& j, CodeSet codes) {
  return Tr(j.Conv(TaxConv::KOMI2NUKI, j.K(codes))) + j.N(codes);
}

void ClearCreditLines(TFuhyou5_H260401& col) {
  col.SENGYOU_KOUJO = Currency();
  col.GENSOKU = Currency();
  col.TOKUREI1 = Currency();
  for (const TypePair& p : kPairs) col.*p.line = Currency();
}

void ClearPairLines(TFuhyou5_H260401& col) {
  for (const TypePair& p : kPairs) col.*p.line = Currency();
}

Currency SumOfLine(Line line, int first, int last) {
  Currency s;
  for (int k = first; k <= last; ++k) s += Fuhyou5[k].*line;
  return s;
}

// Share of a pair of types in the summed sales, in percent rounded to four decimals; 0 when
// there are no sales.
Currency PairShare(const TFuhyou5_H260401& sum, int a, int b) {
  if (sum.URIAGE_GOUKEI <= Currency()) return Currency();
  const Currency pair = sum.URIAGE[a] + sum.URIAGE[b];
  return pair.MulDiv(kHundred.Raw(), sum.URIAGE_GOUKEI.Raw());
}

}  // namespace

bool IsFuhyou5ColumnPlain(int selector) {
  auto negativeTax = [](const TFuhyou5_H260401& col) {
    for (int t = 1; t <= kTypes; ++t)
      if (col.ZEI_RAW[t] < Currency()) return true;
    return false;
  };
  if (selector == -1 || (selector >= 0 && selector <= 2)) {
    const TFuhyou5_H260401& col = ColumnOf(selector);
    if (col.KAISYUU_ZEIGAKU > Currency()) return false;
    return !(col.HENKAN_ZEIGAKU > Currency() && negativeTax(col));
  }
  if (selector == -2) {
    for (int k = 2; k <= 4; ++k)
      if (Fuhyou5[k].KAISYUU_ZEIGAKU > Currency() || negativeTax(Fuhyou5[k])) return false;
  }
  return true;
}

void CalcFuhyou5Column(int selector, TTAXPAR& settings, TSyohizeiSinkoku& /*ret*/) {
  TFuhyou5_H260401& col = ColumnOf(selector);
  TFuhyou5_H260401& sum = Fuhyou5[0];
  ClearCreditLines(col);

  // One business type: its own rate on the whole base, nothing else.
  if (sum.SENGYOU_JIGYOU > 0) {
    sum.SENGYOU_URIAGE = sum.URIAGE_GOUKEI;
    col.SENGYOU_KOUJO = CutProduct(col.KISO_ZEIGAKU, Rate(settings, sum.SENGYOU_JIGYOU));
    return;
  }

  // Principle: the base at the rates weighted by each type's tax. The weighted rate is held
  // in double precision, as these forms have always computed it; the tolerance of the cut
  // absorbs its error.
  if (col.ZEI_GOUKEI > Currency()) {
    Currency weighted;
    for (int t = 1; t <= kTypes; ++t) weighted += DeemedTax(col.ZEI[t], Rate(settings, t));
    const double ratio = static_cast<double>(static_cast<long double>(weighted.Raw()) /
                                             static_cast<long double>(col.ZEI_GOUKEI.Raw()));
    const long double yen =
        static_cast<long double>(col.KISO_ZEIGAKU.Raw()) * ratio / Currency::kScale;
    col.GENSOKU = Currency::FromYen(static_cast<int64_t>(RoundToDigits(1, yen)));
  }

  // One type with 75% of the sales: the shares tested are the truncated one-decimal shares.
  sum.TOKUREI_JIGYOU = 0;
  for (int t = 1; t <= kTypes; ++t) {
    if (sum.WARIAI[t] >= kShare75) {
      sum.TOKUREI_JIGYOU = t;
      break;
    }
  }
  if (sum.TOKUREI_JIGYOU > 0)
    col.TOKUREI1 = CutProduct(col.KISO_ZEIGAKU, Rate(settings, sum.TOKUREI_JIGYOU));

  // Two types with 75% together: the lower-numbered type keeps its rate, all other tax of
  // the column goes at the rate of the higher-numbered one. A column without tax has
  // nothing to weight and gets 0.
  for (const TypePair& p : kPairs) {
    if (!(sum.URIAGE_ABS[p.a] > Currency() && sum.URIAGE_ABS[p.b] > Currency())) continue;
    if (PairShare(sum, p.a, p.b) < kShare75) continue;
    if (col.ZEI_GOUKEI <= Currency()) continue;
    const Currency weighted = DeemedTax(col.ZEI[p.a], Rate(settings, p.a)) +
                              DeemedTax(col.ZEI_GOUKEI - col.ZEI[p.a], Rate(settings, p.b));
    col.*p.line = CutScaled(col.KISO_ZEIGAKU, weighted, col.ZEI_GOUKEI);
  }
}

bool CalcFuhyou5(TTAXPAR& settings, TSyohizeiSinkoku& ret) {
  // Rate columns: keep what 付表4 handed over, rebuild the rest.
  for (int k = 2; k <= 4; ++k) {
    TFuhyou5_H260401& col = Fuhyou5[k];
    TFuhyou5_H260401 fresh;
    fresh.HYOUJUN_ZEIGAKU = col.HYOUJUN_ZEIGAKU;
    fresh.KAISYUU_ZEIGAKU = col.KAISYUU_ZEIGAKU;
    fresh.HENKAN_ZEIGAKU = col.HENKAN_ZEIGAKU;
    col = fresh;
    col.KISO_ZEIGAKU = Max0(col.HYOUJUN_ZEIGAKU + col.KAISYUU_ZEIGAKU - col.HENKAN_ZEIGAKU);
  }

  // Sales and tax per business type and rate class, net of returns. Sales may go negative;
  // the tax is floored at 0 and kept unfloored for the plain tests.
  for (int c = 0; c < kRateClassCount; ++c) {
    const Journal j(settings, c);
    TFuhyou5_H260401& col = Fuhyou5[c + 2];
    for (int t = 1; t <= kTypes; ++t) {
      const CodeSet sales = {kSalesBase + t, kSalesTaxBase + t};
      const CodeSet returns = {kReturnsBase + t, kReturnsTaxBase + t};
      col.URIAGE[t] = TypeSales(j, sales) - TypeSales(j, returns);
      col.ZEI_RAW[t] = NationalTax(j, sales) - NationalTax(j, returns);
      col.ZEI[t] = Max0(col.ZEI_RAW[t]);
    }
    for (int t = 1; t <= kTypes; ++t) {
      col.URIAGE_GOUKEI += col.URIAGE[t];
      col.URIAGE_ABS[t] = col.URIAGE[t] < Currency() ? -col.URIAGE[t] : col.URIAGE[t];
      col.URIAGE_ABS_GOUKEI += col.URIAGE_ABS[t];
      col.ZEI_GOUKEI += col.ZEI[t];
    }
    col.ZEI_GOUKEI_RAW = col.ZEI_GOUKEI;
  }

  // The summed column.
  TFuhyou5_H260401& sum = Fuhyou5[0];
  sum = TFuhyou5_H260401{};
  for (int k = 2; k <= 4; ++k) {
    const TFuhyou5_H260401& col = Fuhyou5[k];
    sum.HYOUJUN_ZEIGAKU += col.HYOUJUN_ZEIGAKU;
    sum.KAISYUU_ZEIGAKU += col.KAISYUU_ZEIGAKU;
    sum.HENKAN_ZEIGAKU += col.HENKAN_ZEIGAKU;
    sum.KISO_ZEIGAKU += col.KISO_ZEIGAKU;
    sum.URIAGE_GOUKEI += col.URIAGE_GOUKEI;
    sum.URIAGE_ABS_GOUKEI += col.URIAGE_ABS_GOUKEI;
    for (int t = 1; t <= kTypes; ++t) {
      sum.URIAGE[t] += col.URIAGE[t];
      sum.URIAGE_ABS[t] += col.URIAGE_ABS[t];
      sum.ZEI_RAW[t] += col.ZEI_RAW[t];
    }
  }
  sum.URIAGE_GOUKEI = Max0(sum.URIAGE_GOUKEI);
  for (int t = 1; t <= kTypes; ++t) {
    sum.URIAGE[t] = Max0(sum.URIAGE[t]);
    sum.ZEI[t] = Max0(sum.ZEI_RAW[t]);
    sum.ZEI_GOUKEI_RAW += sum.ZEI_RAW[t];
    sum.ZEI_GOUKEI += sum.ZEI[t];
  }

  // Shares in percent, cut to one decimal; a type's sales can exceed the floored total when
  // another type is negative, so a share is capped at 100.
  if (sum.URIAGE_GOUKEI > Currency()) {
    for (int t = 1; t <= kTypes; ++t) {
      if (!(sum.URIAGE[t] > Currency())) continue;
      const long double percent = static_cast<long double>(sum.URIAGE[t].Raw()) /
                                  static_cast<long double>(sum.URIAGE_GOUKEI.Raw()) * 100;
      const Currency share = Currency::FromDouble(static_cast<double>(RoundToDigits(2, percent)));
      sum.WARIAI[t] = share > kHundred ? kHundred : share;
    }
  }

  for (int s = 0; s <= 2; ++s) ColumnOf(s).TANJUN = IsFuhyou5ColumnPlain(s);
  sum.TANJUN = IsFuhyou5ColumnPlain(-2);
  settings.SIMPLE_FLAG2 = DecideDirectTotal();

  // Business types that have sales in any rate class, whatever their sign.
  int typesWithSales = 0;
  int onlyType = 0;
  for (int t = 1; t <= kTypes; ++t) {
    Currency s;
    for (int k = 2; k <= 4; ++k) s += Fuhyou5[k].URIAGE_ABS[t];
    if (s > Currency()) {
      ++typesWithSales;
      onlyType = t;
    }
  }
  sum.SENGYOU_JIGYOU = typesWithSales == 1 ? onlyType : 0;
  sum.SENGYOU_URIAGE = Currency();
  sum.TOKUREI_JIGYOU = 0;

  for (int s = 0; s <= 2; ++s) CalcFuhyou5Column(s, settings, ret);

  ClearCreditLines(sum);
  sum.SENGYOU_KOUJO = SumOfLine(&TFuhyou5_H260401::SENGYOU_KOUJO, 2, 4);
  if (sum.SENGYOU_JIGYOU == 0) {
    sum.GENSOKU = SumOfLine(&TFuhyou5_H260401::GENSOKU, 2, 4);
    sum.TOKUREI1 = SumOfLine(&TFuhyou5_H260401::TOKUREI1, 2, 4);
    for (const TypePair& p : kPairs) sum.*p.line = SumOfLine(p.line, 2, 4);
  }

  // The reported total column: the summed column, or its own computation when the sum is not
  // plain (collected debts, or a type whose tax after returns is negative).
  TFuhyou5_H260401& reported = Fuhyou5[1];
  reported = sum;
  reported.TANJUN = IsFuhyou5ColumnPlain(-1);
  if (settings.SIMPLE_FLAG2 == 1) {
    reported.KISO_ZEIGAKU = Max0(reported.HYOUJUN_ZEIGAKU + reported.KAISYUU_ZEIGAKU -
                                 reported.HENKAN_ZEIGAKU);
    CalcFuhyou5Column(-1, settings, ret);
  }

  if (reported.SENGYOU_JIGYOU > 0) {
    // One business type: only the sales total and the one-type credit remain.
    for (TFuhyou5_H260401& col : Fuhyou5) {
      col.SENGYOU_URIAGE = col.URIAGE_GOUKEI;
      col.URIAGE_GOUKEI = Currency();
      for (int t = 1; t <= kTypes; ++t) {
        col.URIAGE[t] = Currency();
        col.WARIAI[t] = Currency();
        col.ZEI[t] = Currency();
      }
      col.ZEI_GOUKEI = Currency();
      col.GENSOKU = Currency();
      col.TOKUREI1 = Currency();
      ClearPairLines(col);
      col.SENTAKU = Currency();
    }
  } else {
    // One formula for all columns: the largest sum over columns 1..4, strictly larger than
    // what came before, so the principle wins a tie and so does the earlier candidate.
    for (TFuhyou5_H260401& col : Fuhyou5) col.SENTAKU = col.GENSOKU;
    Currency best = SumOfLine(&TFuhyou5_H260401::GENSOKU, 1, 4);
    auto tryCandidate = [&best](Line line) {
      const Currency s = SumOfLine(line, 1, 4);
      if (s > best) {
        best = s;
        for (TFuhyou5_H260401& col : Fuhyou5) col.SENTAKU = col.*line;
      }
    };
    tryCandidate(&TFuhyou5_H260401::TOKUREI1);
    for (const TypePair& p : kPairs) tryCandidate(p.line);

    for (TFuhyou5_H260401& col : Fuhyou5) {
      col.SENGYOU_KOUJO = Currency();
      if (typesWithSales <= 2) ClearPairLines(col);
    }
  }

  reported.URIAGE_GOUKEI = Max0(reported.URIAGE_GOUKEI);
  for (int t = 1; t <= kTypes; ++t) reported.URIAGE[t] = Max0(reported.URIAGE[t]);
  for (TFuhyou5_H260401& col : Fuhyou5) {
    col.ZEI_GOUKEI = Currency();
    for (int t = 1; t <= kTypes; ++t) {
      col.ZEI[t] = Max0(col.ZEI[t]);
      col.ZEI_GOUKEI += col.ZEI[t];
    }
  }
  return true;
}
