#pragma once
// Marks the cash journal rows of the open company around a cash-book exchange.
//
//   TCashBookSender s;
//   s.MarkMode = 0;            // or ModeSet = 1 (forces MarkMode 1)
//   s.MarkCashJournal();
//   if (s.GetResult() != 1) ...  // the failure was shown and logged
//
// A cash row is a debit-side journal line (TAISHAKU 1, DELFLG 0 or 1) whose account or
// counter account is the company's cash account; lines already linked (LINKREC > 0) are read
// too. Every update goes by SWKREC, so both lines of an entry change together.
//  - MarkMode 0 (before a master send): every row read is reset; a cash row then gets
//    RESERVE1 = REC and, when it is live, LINKKEY = REC (as text) and LINKKUB 10. A deleted
//    cash row keeps LINKKEY empty and LINKKUB 0. Other rows read get all link columns 0/empty.
//  - MarkMode 1 (after a cash send): live unlinked (LINKKUB 0) rows get LINKKEY = REC and
//    LINKKUB 10; nothing else changes.
//
// The run works in the data module's company transaction (read committed): inside a running
// one it leaves the end to the caller, otherwise it starts its own and commits it, or rolls
// it back on a failure. A failure is logged (kind 3, result -100, with the cause) and shown.
//
// Count is the number of updates, halved (truncated) at the end: the peers read it that way.
#include <cstdint>
#include <string>

#include "data/FrameworkHooks.h"

class TCashBookSender {
 public:
  TCashBookSender();
  virtual ~TCashBookSender() = default;
  TCashBookSender(const TCashBookSender&) = delete;
  TCashBookSender& operator=(const TCashBookSender&) = delete;

  uint8_t ModeSet = 0;   // 1: the run uses MarkMode 1 whatever MarkMode says
  uint8_t MarkMode = 1;  // 0 reset and link every cash row, 1 link unlinked cash rows
  int32_t Count = 0;
  TLomatraSyoriInfo Info;
  TLomatraSyoriLog Log;

  virtual void MarkCashJournal();
  // The result of the first entry of kind 3 or with result 1; else that of the last entry;
  // 0 for an empty log.
  int32_t GetResult() const;
  // Appends an entry and refreshes the stored result.
  void AddLog(uint8_t kind, int32_t result, const std::string& text);
  void ClearLog();

 private:
  int32_t result_ = 0;
};
