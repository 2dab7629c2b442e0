#pragma once
// The layout of the cash-flow statement that step 0.1.4 writes and a later step writes again:
// the statement's lines and the accounts whose amounts make up each line.
#include <string>
#include <vector>

namespace userupdate {

// One line of the statement (a CASHFMST row).
struct TCashFlowLine {
  int Rec = 0;
  int Kind = 0;   // 1 indirect method, 0 direct method
  int Group = 0;
  int Order = 0;
  int Del = 0, Mku = 0, Margin = 0, Hosei = 0;
  std::string Name;
};

// One account of a line (a CASHFMKU row).
struct TCashFlowAccount {
  int CfRec = 0;
  int CmRec = 0;
  char Cal = '+';    // the amount is added (+) or subtracted (-)
  std::string KCode;
  int CType = 0;     // which amount of the account is taken
};

// The 102 lines in line order.
const std::vector<TCashFlowLine>& CashFlowLines();
// The 502 account rows, line by line in line order.
const std::vector<TCashFlowAccount>& CashFlowAccounts();
// The INSERT statements of both tables: the lines, then the account rows.
std::vector<std::string> CashFlowInserts();

}  // namespace userupdate
