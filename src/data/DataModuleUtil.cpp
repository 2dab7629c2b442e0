// The data-check hook call and the journal-entry counts.
#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccFunction.h"
#include "platform/db/TransactionScope.h"

int32_t TDM::CallDataCheckHook(const std::string& host, const std::string& folder, int32_t quiet, int32_t forced) {
  if (forced != 1 && SystemDef.DataCheckKbn != 1) return 1;
  if (!DataCheckHook) return 1;
  int32_t result = 1;
  DataCheckHook(host, folder, quiet, result);
  return result;
}

namespace {

// Runs `work` in IBTransactionDAT, starting it when it is not active. A transaction started
// here is committed also after a failure (the work only reads); the failure is then reported
// once, without a message, and passed on. Inside a caller's transaction the caller reports.
template <class Work>
int32_t CountInTransaction(TIBTransaction& tr, const char* context, Work work) {
  const bool started = !tr.Active();
  try {
    TTransactionScope tx(tr, TTransactionScope::End::Commit);
    return work();
  } catch (const EIBError& e) {
    if (started) ReportDbError(e, context, "", true);
    throw;
  }
}

}  // namespace

int32_t TDM::CountSiwake(const char* context, const std::string& sisetuCode, bool yukou) {
  return CountInTransaction(IBTransactionDAT, context, [&] {
    auto q = CreateAccQuery("ACCDAT", false);
    const bool byCode = !TrimZenkaku(sisetuCode).empty();
    if (yukou)
      q->SQL = byCode ? "SELECT SIWAKECOUNT AS SWKCNT FROM SISETUMST\nWHERE (SCODE=:SCODE)"
                      : "SELECT SUM(SIWAKECOUNT) AS SWKCNT FROM SISETUMST";
    else
      q->SQL = byCode ? "SELECT COUNT(REC) AS SWKCNT FROM SIWAKE\nWHERE (DELFLG IN (1,2) AND TAISHAKU=1)\nAND (SCODE=:SCODE)"
                      : "SELECT COUNT(REC) AS SWKCNT FROM SIWAKE\nWHERE (DELFLG IN (1,2) AND TAISHAKU=1)";
    if (byCode) q->ParamByName("SCODE").SetString(sisetuCode);
    q->Open();
    const int32_t n = q->Eof() ? 0 : q->Fields(0).AsInteger();
    q->Close();
    return n;
  });
}

int32_t TDM::GetYukouSiwakeCount(const std::string& sisetuCode) {
  return CountSiwake("TDM.GetYukouSiwakeCount", sisetuCode, true);
}

int32_t TDM::GetUpDelSiwakeCount(const std::string& sisetuCode) {
  return CountSiwake("TDM.GetUpDelSiwakeCount", sisetuCode, false);
}

int32_t TDM::GetSiwakeCount(const std::string& sisetuCode, int32_t& valid, int32_t& changed) {
  return CountInTransaction(IBTransactionDAT, "TDM.GetSiwakeCount", [&] {
    valid = GetYukouSiwakeCount(sisetuCode);
    changed = GetUpDelSiwakeCount(sisetuCode);
    return valid + changed;
  });
}

int32_t TDM::GetSiwakeCounts(const std::string& sisetuCode) {
  int32_t valid = 0, changed = 0;
  return GetSiwakeCount(sisetuCode, valid, changed);
}
