// The journal aggregation of the engine's hub.
#include <memory>
#include <stdexcept>

#include "data/DataModule.h"
#include "data/uAccRecord.h"
#include "data/uAccTaxCmp.h"
#include "platform/UiServices.h"
#include "platform/db/IBSQL.h"
#include "platform/db/TransactionScope.h"
#include "tax/z5TaxCul_H.h"

namespace {

using taxarith::Contains;
using taxarith::kImportNationalTax;
using taxarith::kImportNationalTaxReturns;
using taxarith::kImportReturns;
using taxarith::kImports;
using taxarith::kSpecified;
using taxarith::kSpecifiedReturns;

// The progress window and the rest of the GUI are served every so many lines, so a long
// aggregation stays responsive without paying for the event loop on every line.
constexpr int kLinesPerEventPump = 1024;

}  // namespace

int32_t TaxRateClass(Currency rate, TDateTime date) { return ZeiRituToNo(rate, date); }

bool IsSeparateTaxCode(int32_t code) {
  for (const taxarith::CodeSet set : {kImports, kImportReturns, kImportNationalTax,
                                      kImportNationalTaxReturns, kSpecified, kSpecifiedReturns})
    if (Contains(set, code)) return true;
  return false;
}

bool FlagEstimatedImport(int32_t code, Currency tax) {
  // An import on the tax paid (the 700 codes) is always an estimate; one on the purchase
  // side only when it carries tax.
  const bool import = Contains(kImports, code) || Contains(kImportReturns, code);
  const bool estimated = import && (code >= 700 || !tax.IsZero());
  if (estimated && TaxPar.ESTIMATED_IMPORT == 0) TaxPar.ESTIMATED_IMPORT = 1;
  return estimated;
}

TTaxAccounts TTaxAccounts::FromAccInf() {
  return {AccInf.SysKCode[kSysKaribaraiTax], AccInf.SysKCode[kSysKariukeTax]};
}

bool TTaxAccounts::Contains(const std::string& kcode) const {
  // A data set without one of the accounts has no account of that kind: an empty code
  // matches nothing.
  return !kcode.empty() && (kcode == karibarai || kcode == kariuke);
}

void AccumulateJournalLine(const TJournalLine& line, const TTaxAccounts& taxAccounts) {
  const int c = TaxRateClass(line.RIT, line.HIZUKE);
  const int s = TaxCodeSlot(line.TAXCODE);

  // The tax code counts positive on its own side; a line whose side pair is neither way
  // round touches no table.
  int sign = 0;
  if ((line.TAISHAKU == 1 && line.TAXDC == 1) || (line.TAISHAKU == 2 && line.TAXDC == 3))
    sign = 1;
  else if ((line.TAISHAKU == 1 && line.TAXDC == 3) || (line.TAISHAKU == 2 && line.TAXDC == 1))
    sign = -1;

  if (sign != 0) {
    Currency& komi = TaxPar.KOMI_SUM[c][s];
    Currency& nuk = TaxPar.NUK_SUM[c][s];
    Currency& zei = TaxPar.ZEI_SUM[c][s];
    const Currency whole = line.NUK + line.ZEI;
    if (!IsSeparateTaxCode(line.TAXCODE)) {
      komi += whole * sign;
    } else if (line.AUTCALCU != 0) {
      if (taxAccounts.Contains(line.KCODE)) {
        // On a consumption-tax account the line's amount is the tax itself.
        zei += line.NUK * sign;
      } else if (!line.ZEI.IsZero()) {
        komi += whole * sign;
      } else {
        nuk += line.NUK * sign;
      }
    } else {
      nuk += line.NUK * sign;
      zei += line.ZEI * sign;
    }
  }

  FlagEstimatedImport(line.TAXCODE, line.ZEI);
  AccumulateRefundDetail(taxAccounts.Contains(line.R_KCODE), line.TAISHAKU, line.GROUPM0, line.DAC,
                         line.TAXCODE, line.NUK, line.ZEI, line.LINKKUB);
}

void ClearJournalTables() {
  for (TJournalTable* t : {&TaxPar.NUK_SUM, &TaxPar.ZEI_SUM, &TaxPar.KOMI_SUM})
    for (auto& row : *t)
      for (Currency& cell : row) cell = Currency();
  TaxPar.ESTIMATED_IMPORT = 0;
}

const char* JournalAggregationSql() {
  // Only the columns the sums read: every column more is carried through the engine and the
  // wire for each of up to millions of lines.
  return "SELECT S.HIZUKE,S.TAISHAKU,S.KCODE,S.TAXCODE,S.TAXDC,S.NUK,S.ZEI,S.RIT,S.AUTCALCU,"
         "S.R_KCODE,KM.GROUPM0,KM.DAC,S2.LINKKUB FROM SIWAKE S\n"
         "INNER JOIN KAMOKUMST KM ON (S.KCODE=KM.KCODE)\n"
         "INNER JOIN SIWAKE2   S2 ON (S.REC=S2.REC)\n"
         "WHERE (S.DELFLG=0) AND (S.HIZUKE>=:DT1) AND (S.HIZUKE<=:DT2)";
}

void AggregateJournals() {
  ClearJournalTables();
  ClearRefundJournalGrids();

  std::unique_ptr<TIBSQL> q = CreateAccSQL("ACCDAT", true);
  if (!q || !DM) throw std::runtime_error("会社データベースに接続されていません。");

  // The refund-detail tables and the journal are read in one snapshot, so both see one state
  // of the data. A snapshot left active by an earlier failure is ended first. After a failure
  // the snapshot is rolled back: it only read, and an open one would hold back the engine's
  // garbage collection until the next pass.
  TTransactionScope snapshot(DM->IBTransactionDATSS, TTransactionScope::End::CommitOrRollback,
                             TTransactionScope::Begin::Afresh);
  LoadRefundDetails();

  q->SQL = JournalAggregationSql();
  // HIZUKE is a date: the period's days are bound as dates, both ends included.
  q->ParamByName("DT1").SetDate(TaxPar.KIKAN_KAISI);
  q->ParamByName("DT2").SetDate(TaxPar.KIKAN_SYURYO);

  const TTaxAccounts taxAccounts = TTaxAccounts::FromAccInf();
  TJournalLine line;
  int sincePump = 0;
  for (q->ExecQuery(); !q->Eof(); q->Next()) {
    line.HIZUKE = q->Fields(0).AsDateTime();
    line.TAISHAKU = q->Fields(1).AsInteger();
    line.KCODE = q->Fields(2).AsString();
    line.TAXCODE = q->Fields(3).AsInteger();
    line.TAXDC = q->Fields(4).AsInteger();
    line.NUK = q->Fields(5).AsCurrency();
    line.ZEI = q->Fields(6).AsCurrency();
    line.RIT = q->Fields(7).AsCurrency();
    line.AUTCALCU = q->Fields(8).AsInteger();
    line.R_KCODE = q->Fields(9).AsString();
    line.GROUPM0 = q->Fields(10).AsString();
    line.DAC = q->Fields(11).AsInteger();
    line.LINKKUB = q->Fields(12).AsInteger();
    AccumulateJournalLine(line, taxAccounts);
    if (++sincePump == kLinesPerEventPump) {
      sincePump = 0;
      uis::Ui().ProcessPendingEvents();
    }
  }
  q->Close();
}
