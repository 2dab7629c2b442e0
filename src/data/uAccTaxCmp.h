#pragma once
// Consumption-tax codes and rates of journal entries.
#include "platform/Currency.h"

// Rounds a tax amount to whole yen by the data set's rounding mode: 0 toward zero, 2 any
// fraction to the next whole yen away from zero, every other mode half away from zero.
// Throws std::overflow_error when the rounded amount does not fit an amount.
Currency RoundYen(int mode, Currency amount);
