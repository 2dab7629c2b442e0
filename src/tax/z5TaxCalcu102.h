#pragma once
// General method: 付表1 (taxable base, tax and local consumption tax per rate column) and the
// return lines taken from it.
#include "tax/z5ComSyohizei.h"

// Runs the purchase-tax credit first, then fills 付表1, lines ① to ⑨ and ⑰ to ⑳ of the
// return, its per-column figures, TRANSITIONAL and, for the forms from 2015-10-01, the
// specified-purchase mark and the breakdown of the taxable base. Always true.
bool CalcFuhyou1(TTAXPAR& settings, TSyohizeiSinkoku& ret);
