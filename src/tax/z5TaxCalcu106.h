#pragma once
// Simplified method, 付表4: the taxable base, the taxes and the local consumption tax per rate
// column, with the deemed credit of 付表5, and the return lines taken from it.
#include "tax/z5ComSyohizei.h"

// Fills 付表4, hands its tax lines to 付表5 and runs the business-type breakdown (which
// sets the deemed credit), then fills lines ① to ⑨, ⑮ and ⑰ to ⑳ of the return, its
// per-column figures and TRANSITIONAL. Always true.
bool CalcFuhyou4(TTAXPAR& settings, TSyohizeiSinkoku& ret);
