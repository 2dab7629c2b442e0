#include "data/uAccTaxCmp.h"

#include "data/uAccFunction.h"

// The tax computation and the amount helpers must round alike, so there is one rule.
Currency RoundYen(int mode, Currency amount) { return RoundCurrency(mode, amount); }
