#pragma once
// General method, 付表2: the taxable-sales ratio, the 95% rule and the deductible purchase
// tax per rate column.
#include "platform/Currency.h"
#include "platform/DateTime.h"
#include "tax/z5ComSyohizei.h"

// Sets every amount of the total column of 付表2 to 0; the method name and the full-credit
// flag stay as they are.
void ClearFuhyou2Totals(TTAXPAR& settings);

// Whether the taxable sales, annualised over a period of 1 to 11 months, are at most
// 500,000,000 yen.
bool IsWithin500Million(const TTAXPAR& settings, Currency taxableSales);

// Fills 付表2 and lines ③ and ④ of the rate columns of 付表1. Always true.
bool CalcFuhyou2(TTAXPAR& settings);
