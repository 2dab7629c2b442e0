#pragma once
// Simplified method, 付表5: the deemed purchase tax. Sales and their tax per business type and
// rate class, the principle computation that weights the deemed rates by each type's tax,
// the special computations for one type or a pair of types at 75% of the sales or more, and
// the choice of the most favourable one.
//
// Columns of `Fuhyou5`: 0 the rate columns summed (shares and the 75% tests are judged on
// it), 1 the total column as reported, 2..4 the rate classes 0..2.
#include "tax/z5ComSyohizei.h"

// Fills every column of 付表5 from the journal tables and from the three tax lines that
// 付表4 handed over (HYOUJUN_ZEIGAKU, KAISYUU_ZEIGAKU, HENKAN_ZEIGAKU of columns 1..4), and
// sets SIMPLE_FLAG2. Always true.
bool CalcFuhyou5(TTAXPAR& settings, TSyohizeiSinkoku& ret);

// Computes the credit lines of one column: selector 0..2 for the rate classes (columns
// 2..4), -1 for the reported total column. Shares, sales and the business-type count are
// read from column 0, the amounts from the column itself.
void CalcFuhyou5Column(int selector, TTAXPAR& settings, TSyohizeiSinkoku& ret);

// Whether a column can be reported as the plain sum of its parts: selector 0..2 and -1 test
// one column, -2 the three rate columns together; any other selector is plain.
bool IsFuhyou5ColumnPlain(int selector);
