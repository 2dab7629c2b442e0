#include "tax/z5TaxCalcu107.h"

#include "tax/z5TaxArith.h"
#include "tax/z5TaxCalcu108.h"

namespace {

// Whole thousands of yen, half away from zero (1,499,500 yen gives 1,500).
Currency Thousands(Currency yen) { return taxarith::Thousands(yen, RoundMode::HalfAwayFromZero); }

}  // namespace

bool CalcBusinessTypeBreakdown(TTAXPAR& settings, TSyohizeiSinkoku& ret) {
  CalcFuhyou5(settings, ret);

  // 付表4 column k takes the credit of 付表5 column k + 1 (the reported total for column 0).
  const TFuhyou5_H260401& reported = Fuhyou5[1];
  const int onlyType = reported.SENGYOU_JIGYOU;
  for (int k = 0; k <= 3; ++k)
    Fuhyou4[k].KOUJYO_SIIRE = onlyType > 0 ? Fuhyou5[k + 1].SENGYOU_KOUJO : Fuhyou5[k + 1].SENTAKU;

  if (onlyType > 0) {
    for (int t = 1; t <= 6; ++t) {
      ret.JIGYOU_URIAGE[t] = Currency();
      ret.JIGYOU_WARIAI[t] = Currency();
    }
    ret.JIGYOU_URIAGE[onlyType] = Thousands(reported.SENGYOU_URIAGE);
    ret.JIGYOU_WARIAI[onlyType] = Currency::FromYen(100);
    ret.JIGYOU_URIAGE_GOUKEI = Thousands(reported.SENGYOU_URIAGE);
  } else {
    // The total is rounded once from the exact sum, not summed from the rounded types.
    Currency total;
    for (int t = 1; t <= 6; ++t) {
      ret.JIGYOU_URIAGE[t] = Thousands(reported.URIAGE[t]);
      ret.JIGYOU_WARIAI[t] = reported.WARIAI[t];
      total += reported.URIAGE[t];
    }
    ret.JIGYOU_URIAGE_GOUKEI = Thousands(total);
  }
  return true;
}
