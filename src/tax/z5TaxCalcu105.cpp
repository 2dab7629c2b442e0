#include "tax/z5TaxCalcu105.h"

#include "tax/z5TaxCalcu101.h"
#include "tax/z5TaxCalcu106.h"

bool CalcSimplifiedReturn(TTAXPAR& settings, TSyohizeiSinkoku& ret) {
  CalcFuhyou4(settings, ret);
  // Taxable sales of the base period, as stored.
  ret.SANKOU_URIAGE2 = settings.KIJYUNKIKANURI;
  CalcReturnPaymentLines(settings, ret);
  return true;
}
