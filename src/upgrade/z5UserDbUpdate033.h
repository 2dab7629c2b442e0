#pragma once
// Company step 0.3.3: the default management-analysis rates and search keys of the standard
// accounts, by the company's kind of data.
#include <string>

#include "upgrade/z5UserDbUpdate.h"

namespace userupdate {

// The warning and good rates of an account for the comparative management-analysis table, as
// they are written into the script.
struct TVelkoranRates {
  std::string BadRate;
  int BadKind = 0;
  std::string GoodRate;
  int GoodKind = 0;
  bool operator==(const TVelkoranRates&) const = default;
};
// By the account code: gains and assets (1, 3, 4, 71, 81) warn at or below 95 %; costs and
// liabilities (2, 5, 6, 72, 82, 83) warn at or above 105 %; 9999 and any other code get zeros.
TVelkoranRates VelkoranRatesOf(const std::string& kcode);

// Each appends one script line holding the UPDATE statements of its standard accounts,
// separated by CR LF: the corporation's chart, the general chart of other data (code type 1),
// the real-estate chart (code type 2).
void SetVelkoranKamokuCorp(Lines& lines);
void SetVelkoranKamokuKojin(Lines& lines);
void SetVelkoranKamokuFudousan(Lines& lines);
// The block of the data: corporations take theirs; other data by the code type (1 general,
// 2 real estate); other code types get none.
void AddVelkoranKamokuBlock(Lines& lines, int dataType, int codeType);

}  // namespace userupdate
