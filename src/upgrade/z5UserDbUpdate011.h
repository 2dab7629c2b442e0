#pragma once
// Company step 0.1.1: the default journal settings of the fixed-asset accounts, which the step
// writes into KS_SETSWK_INIT and later steps write again.
#include <vector>

namespace userupdate {

// One default row: data type (1 corporation, 2 individual), account class (0 tangible,
// 1 intangible, 2 investments, 3 deferred), the account (null: the class's default row) and
// the settings that differ between rows; null codes are written as NULL.
struct TKsSetSwkInitRow {
  int DataType = 0;
  int KGroup = 0;
  const char* KCode = nullptr;
  int GsTaisyou = 0, GsKeijyo = 0, GsKahi = 0, GsHouhou = 0, SetSwk = 0;
  const char* Ruikei = nullptr;
  const char* Syokyaku1 = nullptr;
  const char* Syokyaku2 = nullptr;
  const char* Jigyounusi = nullptr;
  const char* Baison = nullptr;
  const char* Jyoson = nullptr;
  const char* Baieki = nullptr;
};

// The seventy rows in the order they are inserted: data type 1, then 2; classes 0 to 3; the
// accounts in ascending order, then the class's default row.
const std::vector<TKsSetSwkInitRow>& KsSetSwkInitRows();

}  // namespace userupdate
