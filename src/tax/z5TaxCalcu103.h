#pragma once
// General method: the purchase-tax credit, handed on to the return.
#include "tax/z5ComSyohizei.h"

// Computes 付表2 (and lines ③ and ④ of 付表1's rate columns), then gives the return the
// ratio's numerator and denominator (⑮, ⑯). Always true.
bool CalcPurchaseCredit(TTAXPAR& settings, TSyohizeiSinkoku& ret);
