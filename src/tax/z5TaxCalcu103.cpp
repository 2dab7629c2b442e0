#include "tax/z5TaxCalcu103.h"

#include "tax/z5TaxCalcu104.h"

bool CalcPurchaseCredit(TTAXPAR& settings, TSyohizeiSinkoku& ret) {
  CalcFuhyou2(settings);
  ret.SANKOU_URIAGE1 = Fuhyou2[0].KAZEI_TAIKA;
  ret.SANKOU_URIAGE2 = Fuhyou2[0].SISAN_TAIKA;
  return true;
}
