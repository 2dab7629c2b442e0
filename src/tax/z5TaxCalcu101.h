#pragma once
// General method: the head of the chain, the consumption-tax return.
#include "tax/z5ComSyohizei.h"

// Computes 付表2 and 付表1 (through CalcFuhyou1), then the interim-payment, local-tax and
// total lines of the return. Always true.
bool CalcGeneralReturn(TTAXPAR& settings, TSyohizeiSinkoku& ret);

// The interim-payment, local-tax and total lines of the return, once its form has filled
// lines ⑧, ⑨, ⑲ and ⑳. The simplified return takes them by the same rules.
void CalcReturnPaymentLines(const TTAXPAR& settings, TSyohizeiSinkoku& ret);
