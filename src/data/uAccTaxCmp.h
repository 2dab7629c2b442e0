#pragma once
// Consumption-tax codes and rates of journal entries: the table of tax codes, the checks that
// a code fits an account, the history of rates and the look-ups by rate number, rate and
// date, the rounding of tax to whole yen, and the net amount and tax of a journal entry.
//
// The settings of the open data set come from AccInf (data/uAccRecord.h): TAXKANNI,
// TAXJIGYOU, TAXU_HASUU, TAXH_HASUU, the data version and the user codes of the standard
// accounts 仮払消費税, 仮受消費税 and 諸口.
#include <array>
#include <cstdint>
#include <string>

#include "platform/Currency.h"
#include "platform/DateTime.h"

// One side of a journal entry.
struct TSwkBalance {
  std::string KGROUP;    // account group code (GROUPM1 of the account)
  std::string UserCode;  // the account's user code (KAMOKUMST.USERCODE)
  std::string HCODE;     // sub-account code; " " for none
  std::string BCODE;     // department code; " " for none
  std::string KNAME;
  std::string HNAME;
  std::string BNAME;
  int32_t TAXCODE = 0;
  int32_t TAXUH = 0;  // from the tax-code table
  int32_t TAXDC = 0;  // from the tax-code table
  Currency NUK;       // net amount
  Currency ZEI;       // tax
  Currency RIT;       // tax rate, percent
  int32_t SIKIN = 0;  // fund class
};

// A journal entry: the debit side L and the credit side R, as the SIWAKE columns L_* and R_*.
struct TSWKREC {
  std::string PcName;
  int32_t REC = 0;
  int32_t SITREC = 0;
  int32_t SWKREC = 0;
  int32_t SWKNO = 0;
  int32_t DELFLG = 0;
  int32_t TAISHAKU = 0;
  TDateTime HIZUKE = 0;
  int32_t MNUM = 0;
  int32_t KESSAN = 0;
  int32_t SDAYNUM = 0;
  int32_t MDAYNUM = 0;
  int32_t DNUM = 0;
  int32_t SNUM = 0;
  std::string SCODE;
  TSwkBalance L;
  TSwkBalance R;
  Currency KINGAKU;
  Currency ZEIGAKU;
  int32_t ZEIRITUNO = 0;
  int32_t AUTCALCU = 0;  // 0 tax as entered, otherwise computed
  int32_t TAXCALCU = 0;  // 0 tax included in the amount, 1 tax on top, 2 no tax
  int32_t OLDRATE = 0;   // rate number (see GetZeiRitu)
  int32_t TEKCODE = 0;
  std::string TEKTEXT;
  int32_t TORCODE = 0;
  std::string TORTEXT;
  int32_t FUSEN1 = 0;
  int32_t FUSEN2 = 0;
  int32_t FUSEN3 = 0;
  int32_t FUSEN4 = 0;
  int32_t FUSEN5 = 0;
  TDateTime CTIME = 0;
  std::string COMMENT;
  std::string AO_COMMENT;
  std::string LINKKEY;
  int32_t LINKKUB = 0;
  int32_t LINKREC = 0;
  int32_t LOCALFLG = 0;
  int32_t RESERVE1 = 0;
  int32_t RESERVE2 = 0;
  TDateTime RTIME = 0;
  int32_t OPCODE = 0;
};

// What the tax-code table says about one code.
struct TTaxCodeInfo {
  std::string Kind;       // 区分: "売上", "仕入", "仮受" ...
  std::string Name;       // exactly 24 CP932 bytes, padded with half-width blanks
  int32_t TAXDC = 0;      // side on which the code counts positive: 1 debit, 3 credit, 0 neither
  int32_t TAXUH = 0;      // 1 tax on the sales side, 2 on the purchase side, 0 no tax
  int32_t BizClass = 0;   // 1 refined by business type under the simplified method, 2 has a business type
};

// One rate of the rate history.
struct TZeiRituRec {
  const char* RateText;  // "8%"
  Currency Rate;         // percent
  int32_t RateNo;
  int32_t RateClass;     // index of the tax engine's journal tables: 0 = 3%, 1 = 5%, 2 = 8%
  const char* FromDate;  // "yyyy/mm/dd"
  int32_t VerMajor;      // first data version that knows the rate
  int32_t VerMinor;
};

// The rates, newest first.
const std::array<TZeiRituRec, 3>& ZeiRituTable();

// False for a code not in the table (info is then cleared).
bool GetTaxCodeInfo(int32_t code, TTaxCodeInfo& info);

// Brings a code to the data set's taxation method: a simplified-method data set refines 110,
// 310, 610 and 630 by its main business type; otherwise the business types fold back.
void NormalizeTaxCode(int32_t& code);

// The checks leave message empty when they pass; a check that passes with a warning returns
// true with the warning in message.
bool CheckTaxCodeForAccount(std::string& message, const std::string& userCode, int32_t code);
// On 仮受消費税 or 仮払消費税 the counter side's code must be 810 or 910; otherwise code becomes 810.
bool CheckTaxAccountCounterCode(std::string& message, const std::string& userCode, int32_t& code);
// On 諸口 the code must be 810 or 910; otherwise code becomes 810.
bool CheckSyokuchiTaxCode(std::string& message, const std::string& userCode, int32_t& code);

// 551 to 553 and 581 to 583 (特定課税仕入れ).
bool IsSpecifiedPurchaseCode(int32_t code);
// A specified-purchase code is allowed from 2015-10-01 and only at 8%.
bool CheckSpecifiedPurchase(std::string& message, int32_t code, int32_t rateNo, TDateTime date);

// Rounds a tax amount to whole yen by the data set's rounding mode: 0 toward zero, 2 any
// fraction to the next whole yen away from zero, every other mode half away from zero.
// Throws std::overflow_error when the rounded amount does not fit an amount.
Currency RoundYen(int mode, Currency amount);

// The rate in percent of a rate number on a date: 3 before 1997-04-01; number 1 keeps 3%,
// number 2 keeps 5%; any other number is the standard rate of the date (8% from 2014-04-01
// in a data set of version 6.1 or later, else 5%).
Currency GetZeiRitu(int32_t rateNo, TDateTime date);
// The rate number as valid on the date: a number that does not exist yet becomes 0.
int32_t CheckZeiRituNo(int32_t rateNo, TDateTime date);
// The rate class of a line with the rate (percent) on the date.
int32_t ZeiRituToNo(Currency rate, TDateTime date);

// Fills one side's TAXDC, TAXUH, NUK, ZEI and RIT from the entry's amount, tax and rate.
// Shows an error and returns false when the amounts cannot be computed.
bool CalcSiwakeTaxSide(TSWKREC& entry, TSwkBalance& side);
// Both sides, then balances a tax-on-top entry and sets ZEIGAKU.
bool CalcSiwakeTax(TSWKREC& entry);
