#pragma once
// The engine's hub: what frames the two method chains and the services they share.
//
// One pass of the engine, as the exporter runs it (simplified method first, then general):
//   TaxPar.SINKOKU_KUBUN = method; TaxPar.FORM_ERA = FormEra(TaxPar);
//   ResetTaxResults();      // form records cleared, refund detail preset
//   AggregateJournals();    // journal tables and refund grids from the period's journal
//   CheckTaxCodes(false);   // business-type folds, then DispatchTaxCalc(): the method's chain
//
// Everything works on the process-wide records of z5ComSyohizei.h and on the open company's
// AccInf. Sources: z5TaxCul_H.cpp (eras, code checks, dispatch, the chains' checks),
// z5TaxCul_HJournal.cpp (the journal aggregation), z5TaxCul_HKanpu.cpp (the refund detail).
// The rate conversions, the tax-code slots and sets and the cuts of amounts that the hub
// shares with the chains are in z5TaxArith.h.
#include <cstdint>
#include <string>

#include "platform/Currency.h"
#include "platform/DateTime.h"
#include "tax/z5ComSyohizei.h"
#include "tax/z5TaxArith.h"

// ---------------------------------------------------------------------------------------
// Form eras, presets, code checks and dispatch.

// The form era of a pass, 1..3: TaxEra, with era 0 read as 1. Sets MAIN_JIGYOU of settings.
int32_t FormEra(TTAXPAR& settings);
// The form era 0..3 of the fiscal year of the open data set for the method in
// SINKOKU_KUBUN; sets MAIN_JIGYOU of settings (the main business type, 4 when none is set).
int32_t TaxEra(TTAXPAR& settings);

// Clears the form records and presets the refund-detail record of the entity kind. A caller
// that puts back refund-detail records of its own passes false: the preset (which counts the
// linked lines of the whole journal) is then skipped and the records are left as they are.
void ResetTaxResults(bool presetRefundDetail = true);

// Simplified pass: folds the business-type cells of the journal tables (see the source).
// Then clears the return record and runs DispatchTaxCalc. showMessages: tell the user about
// the folds and about estimated-import amounts.
void CheckTaxCodes(bool showMessages);

// Runs the chain of the pass's method and form era; after the general chain, finishes the
// refund detail and stores its purchase-tax base.
void DispatchTaxCalc();

// Whether the 500-million-yen limit of the 95% rule applies. Judged on the fiscal-year start
// of the open data set and its entity kind; the dates are not consulted.
bool Uses500MillionTest(int32_t periodBasis, TDateTime start, TDateTime end);

// 2 when, in the lines of the method's forms that count, only the 8% class holds amounts;
// else -1 (also when no class holds any). Stored in TaxPar.TRANSITIONAL.
int32_t CheckTransitionalAmounts(bool fromForms);

// General method: whether a rate column of 付表1 reports specified purchases (or their
// returns) while the taxable-sales ratio is below 95.0. Simplified method: false.
bool HasSpecifiedPurchases(bool fromForms);

// 1 when the summed column of 付表5 is not plain, so that the reported totals of 付表4 and
// 付表5 are computed from their own lines; else 0. Stored in TaxPar.SIMPLE_FLAG2.
int32_t DecideDirectTotal();

// ---------------------------------------------------------------------------------------
// The journal aggregation (the tax-code slots are those of z5TaxArith.h).

// Rate class 0..2 of a journal line with the rate (percent) on the date.
int32_t TaxRateClass(Currency rate, TDateTime date);
// Codes whose net amount and tax are summed apart (imports, specified purchases, returns).
bool IsSeparateTaxCode(int32_t code);
// True for an estimated-import line; raises TaxPar.ESTIMATED_IMPORT then.
bool FlagEstimatedImport(int32_t code, Currency tax);

// One line of the period's journal as the aggregation reads it.
struct TJournalLine {
  TDateTime HIZUKE = 0;
  int32_t TAISHAKU = 0;   // 1 debit row, 2 credit row
  std::string KCODE;      // the line's account
  int32_t TAXCODE = 0;
  int32_t TAXDC = 0;      // side on which the code counts positive: 1 debit, 3 credit
  Currency NUK;
  Currency ZEI;
  Currency RIT;           // percent
  int32_t AUTCALCU = 0;   // non-zero: tax computed automatically
  int32_t ZEIRITUNO = 0;  // not used by the sums, so not read
  std::string R_KCODE;    // the counter account
  std::string GROUPM0;    // the account's group code
  int32_t BLDAC = 0;      // not used by the sums, so not read
  int32_t DAC = 0;        // the account's side attribute
  int32_t LINKKUB = 0;    // link kind of the line's second row
};

// The account codes of 仮払消費税 and 仮受消費税.
struct TTaxAccounts {
  std::string karibarai;
  std::string kariuke;

  static TTaxAccounts FromAccInf();
  bool Contains(const std::string& kcode) const;
};

// Adds one journal line into the journal tables, the estimated-import flag and the refund
// grids.
void AccumulateJournalLine(const TJournalLine& line, const TTaxAccounts& taxAccounts);

// Sets the three journal tables to 0 and clears ESTIMATED_IMPORT.
void ClearJournalTables();

// Fills the journal tables and the refund detail from the journal of KIKAN_KAISI ..
// KIKAN_SYURYO of the connected company database, in one snapshot. Database errors reach
// the caller as exceptions.
void AggregateJournals();

// The query AggregateJournals reads the journal with: the live lines of the dates :DT1 ..
// :DT2 (both included) with their account's attributes and their link kind.
const char* JournalAggregationSql();

// ---------------------------------------------------------------------------------------
// The refund detail (還付申告明細書).

// Clears the grids that the journal feeds (both entity kinds).
void ClearRefundJournalGrids();

// Reads what the user entered in KANPU_SINKOKU, KANPU_SINKOKU_TORIHIKI and
// KANPU_SINKOKU_SIIREKIN into the record of the entity kind, in IBTransactionDATSS (started
// and ended here when it is not active).
void LoadRefundDetails();

// Adds one journal line to the purchase grid row of its account group.
// counterIsTaxAccount: the line's counter account is 仮払消費税 or 仮受消費税.
void AccumulateRefundDetail(bool counterIsTaxAccount, int32_t TAISHAKU, const std::string& GROUPM0,
                            int32_t DAC, int32_t TAXCODE, Currency NUK, Currency ZEI, int32_t LINKKUB);

// After the general chain: merges specified purchases at a ratio of 95% or more, cuts the
// corporate rows to thousands of yen, works out the taxable purchases and the totals.
void FinishRefundDetail();

// After FinishRefundDetail: the purchase-tax base from the total column of 付表2
// (corporations in thousands of yen, individuals in yen).
void StoreRefundPurchaseTaxBase();
