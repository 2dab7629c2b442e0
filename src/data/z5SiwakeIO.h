#pragma once
// Reading, checking, writing, deleting and restoring one journal entry of the open company
// database, and the account combinations of one branch.
//
// The two SIWAKE rows of an entry are written only through the journal procedures
// SP_SIWAKE_INS, SP_SIWAKE_UPD and SP_SIWAKE_DEL, which keep both rows, their SIWAKE2 rows and
// the entry's history in step (the restore of a deleted entry is the one plain UPDATE).
//
// Transactions: the object works in the transaction given with SetTransaction. With
// OwnTransaction set, the next operation starts that transaction when it is idle and ends it
// (reads and checks commit, writes roll back after an error); the flag covers that one call.
// Without it the caller owns the transaction completely.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "data/uAccTaxCmp.h"
#include "platform/DateTime.h"
#include "platform/db/IBDatabase.h"
#include "platform/db/IBSQL.h"

// One account of a combination.
struct TKMKREC {
  std::string KCODE;     // internal code
  std::string USERCODE;  // the code the user sees
  std::string GROUPM1;
  std::string GROUPM2;
  std::string KNAME;
  int32_t REC = 0;
  int32_t BLDAC = 0;
  int32_t DAC = 0;
  int32_t DELFLG = 0;
  int32_t TAX_LCODE = 0;
  int32_t TAX_RCODE = 0;
  int32_t FUN_LCODE = 0;
  int32_t FUN_RCODE = 0;
  std::string HOJOSW;    // trimmed
  std::string BPFLG;
  std::string KEIHKUBU;  // trimmed
  int32_t EXT1_KS = 0;
  int32_t EXT1_A4 = 0;
  int32_t EXT1_A3 = 0;
};

struct THOJREC {
  std::string KCODE;
  std::string HCODE;
  std::string HNAME;
  int32_t REC = 0;
  int32_t TAX_LCODE = 0;
  int32_t TAX_RCODE = 0;
};

struct TBUMREC {
  std::string BCODE;
  std::string BNAME;
};

// One row of a branch's combination table KAMOKU_SZ with its names. The two flags are set on
// the first combination of each account only.
struct TKamokuRec {
  TKMKREC Kmk;
  THOJREC Hoj;
  TBUMREC Bum;
  uint8_t HasHojo = 0;   // the account has sub-accounts in the branch
  uint8_t HasBumon = 0;  // the account has departments in the branch
};

// The combination found last by FindCombination.
struct TCurrentCombination {
  std::string SCODE;
  std::string SNAME;
  std::string BCODE;
  std::string BNAME;
  std::string HCODE;
  std::string HNAME;
  TKMKREC Kmk;  // Kmk.KCODE: the internal code when found, else the user code asked for
};

// One entry of the owner's cost-code table (個別原価).
struct TCostCodeEntry {
  std::string Code;
  int32_t Length = 0;
  int32_t Found = 0;
};

class TSiwakeWrite {
 public:
  // Indices of Checks.
  enum : int { ckAccounts = 1, ckTaxCodes = 2, ckAmount = 3, ckTexts = 4, ckCostCode = 5 };

  TSiwakeWrite();
  TSiwakeWrite(const TSiwakeWrite&) = delete;
  TSiwakeWrite& operator=(const TSiwakeWrite&) = delete;

  void SetTransaction(TIBTransaction* tr);
  TIBTransaction* Transaction() const { return tr_; }

  // A new entry's defaults: tax codes 910, the rate number valid on the date, now and the
  // logged-on operator.
  void InitSiwakeRec(TSWKREC& rec, int32_t kessan, TDateTime date);
  // The entry of a debit row; a missing row leaves a freshly initialised record (today).
  void GetSiwake(TSWKREC& rec, int32_t recNo, bool fromView);
  // REC 0 inserts (the result is the new REC); otherwise updates: 0 written, -1 the entry was
  // deleted meanwhile, -2 it was corrected meanwhile (REC then names its current version).
  // A lock held by another user is retried LockRetries times, then raised.
  int PutSiwake(TSWKREC& rec);
  // 1 on success.
  int DeleteSiwake(int32_t swkrec);
  // Both rows of a deleted entry become live again; 1.
  int RestoreSiwake(int32_t swkrec);

  void SetSitenCode(const std::string& code);
  const std::string& SitenCode() const { return siten_; }
  bool GetKamokuArray(const std::string& scode);
  bool FindCombination(const std::string& scode, const std::string& bcode, const std::string& userCode,
                       std::string hcode);

  // Checks the entry before it is written and completes it (period, groups, names, tax
  // sides, texts). False with the number and message of the first failed check.
  bool TestSiwake(TSWKREC& rec, int& errNo, std::string& message);
  // Stored user codes, codes and names of both sides of an entry.
  void LoadStoredCodes(int32_t recNo, TSwkBalance& debit, TSwkBalance& credit);
  bool FindCostCode(const std::string& code);
  bool HasSubAccounts(const std::string& scode, const std::string& userCode);
  bool HasDepartments(const std::string& scode, const std::string& userCode);
  // The text of a message pair in the current style.
  std::string Message(int pair) const;

  uint8_t MessageStyle = 0;
  uint8_t OwnTransaction = 0;
  int HistoryView = 0;  // 0 journal, 1 and 2 the past journals
  std::array<uint8_t, 6> Checks = {1, 1, 1, 1, 1, 1};
  const std::vector<TCostCodeEntry>* CostCodes = nullptr;
  int CostCodeIndex = 0;  // index found by the last FindCostCode

  // The branch's combinations, the index lines "user code=first index" and the count.
  std::vector<TKamokuRec> Combinations;
  std::vector<std::string> CombinationIndex;
  int CombinationCount = 0;
  TCurrentCombination Current;

  // Lock conflicts in PutSiwake: attempts after the first, and the pause between them.
  int LockRetries = 5;
  int LockPauseMs = 200;

 private:
  class OwnScope;
  std::string WriteSql(bool insert) const;
  void BindWrite(const TSWKREC& rec);

  TIBTransaction* tr_ = nullptr;
  TIBSQL sql_;
  std::string siten_;
};
