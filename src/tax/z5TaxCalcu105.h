#pragma once
// Simplified method: the head of the chain, the consumption-tax return.
#include "tax/z5ComSyohizei.h"

// Computes 付表4 (and through it 付表5 and the business-type breakdown), then the
// interim-payment, local-tax and total lines of the return. Always true.
bool CalcSimplifiedReturn(TTAXPAR& settings, TSyohizeiSinkoku& ret);
