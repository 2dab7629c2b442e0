#pragma once
// General method: the head of the chain, the consumption-tax return.
#include "tax/z5ComSyohizei.h"

// Computes 付表2 and 付表1 (through CalcFuhyou1), then the interim-payment, local-tax and
// total lines of the return. Always true.
bool CalcGeneralReturn(TTAXPAR& settings, TSyohizeiSinkoku& ret);
