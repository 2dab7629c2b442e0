#include "tax/z5TaxCalcu101.h"

#include "tax/z5TaxCalcu102.h"
#include "tax/z5TaxArith.h"

using taxarith::Max0;
using taxarith::Tr100;

bool CalcGeneralReturn(TTAXPAR& settings, TSyohizeiSinkoku& ret) {
  CalcFuhyou1(settings, ret);
  CalcReturnPaymentLines(settings, ret);
  return true;
}

void CalcReturnPaymentLines(const TTAXPAR& settings, TSyohizeiSinkoku& ret) {
  ret.TYUUKAN_ZEIGAKU = Tr100(settings.TYUUKAN_NOUFU);
  ret.NOUFU_ZEIGAKU = Max0(ret.SASHIHIKI_ZEIGAKU - ret.TYUUKAN_ZEIGAKU);
  ret.TYUUKAN_KANPU = Max0(ret.TYUUKAN_ZEIGAKU - ret.SASHIHIKI_ZEIGAKU);

  ret.TIHO_SASHIHIKI = Tr100(ret.TIHO_SASHIHIKI);

  ret.TYUUKAN_JOUTOWARI = Tr100(settings.TYUUKAN_JOUTO);
  if (ret.TYUUKAN_JOUTOWARI > ret.JOUTO_NOUZEI) {
    ret.JOUTO_NOUFU = Currency();
    ret.TYUUKAN_JOUTO_KANPU = ret.TYUUKAN_JOUTOWARI - ret.JOUTO_NOUZEI;
  } else {
    ret.JOUTO_NOUFU = ret.JOUTO_NOUZEI - ret.TYUUKAN_JOUTOWARI;
    ret.TYUUKAN_JOUTO_KANPU = Currency();
  }

  ret.SASHIHIKI_NOUFU = Currency();
  ret.SASHIHIKI_JOUTO = Currency();

  ret.GOUKEI_ZEIGAKU = (ret.NOUFU_ZEIGAKU + ret.JOUTO_NOUFU) -
                       (ret.KANPU_ZEIGAKU + ret.TYUUKAN_KANPU + ret.JOUTO_KANPU +
                        ret.TYUUKAN_JOUTO_KANPU);
  // An interim return claims no refund.
  if (settings.SINKOKUSYO == 1 && ret.GOUKEI_ZEIGAKU < Currency()) ret.GOUKEI_ZEIGAKU = Currency();
}
