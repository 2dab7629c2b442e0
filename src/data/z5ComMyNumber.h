#pragma once
// Personal numbers (マイナンバー) of a company data set: whether the data set manages them and
// the management password that guards them (three settings of ACCREG group "基本設定": "＃USE",
// "＃KEY", "＃VALUE", the last two kept through the protected-value transform), and the log of
// every event that touches them (table MYNUMBER_LOG of the company database).
//
// The operations that name a database file work on that data set: they connect it for the
// call when the company database is not connected to it and leave the connection as they
// found it. A database file that does not exist, or a data set that cannot be connected, ends
// such an operation without a message and without changes.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/DateTime.h"
#include "platform/db/IBSQL.h"

struct TMyNumberLogRec {
  TDateTime FHIZUKE = 0;  // 0: AddLog stamps the time of insertion
  std::string FSERIAL;
  std::string FOPCODE;
  std::string FOPNAME;
  std::string FHOST;
  uint8_t FSTATE = 0;
  std::string FPROCNAME;
  std::string FCOMMENT;
};
using TMyNumberLogList = std::vector<TMyNumberLogRec>;

// Asks for the management password, up to three tries. True when it was entered exactly
// (blanks around it aside), or when the operator does not administer personal numbers; false
// for an empty expected password (no dialog), a cancelled dialog or three wrong entries.
bool MyNumberPasswordDlg(const std::string& expected);

class TMyNumberIO {
 public:
  TMyNumberIO();
  ~TMyNumberIO();
  TMyNumberIO(const TMyNumberIO&) = delete;
  TMyNumberIO& operator=(const TMyNumberIO&) = delete;

  TIBSQL Sql;
  TIBSQL Sql2;
  std::string CompanyName;  // SHOUGOU of the data set whose log was read last
  int32_t LogCount = 0;
  TMyNumberLogList LogList;
  TMyNumberLogRec LogRec;   // the row of the object's own log entries
  int32_t MyNumberUse = 0;
  std::string MyNumberKey;    // read form
  std::string MyNumberValue;  // read form
  // The stored forms as read. A stored value our transform cannot read is written back as it
  // was, so that a data set whose password came from elsewhere never loses it.
  std::string StoredKey;
  std::string StoredValue;

  // A row for the logged-on operator; state 0 to 10.
  void MakeLogRec(TMyNumberLogRec& rec, uint8_t state, const std::string& procName);
  // CompanyName and the whole log of the connected company database; newestFirst 1 sorts
  // the newest first. Failures are shown, not raised.
  void GetLogList(int32_t newestFirst);
  void GetLogListOfData(const std::string& host, const std::string& dbFile);
  // Inserts the row into the connected company database; a time stamp already taken is
  // retried with a fresh one (four attempts in all).
  void AddLog(TMyNumberLogRec& rec);
  void AddLogOfData(TMyNumberLogRec& rec, const std::string& host, const std::string& dbFile);
  // Adds the rows of LogList that the data set does not have, when it is the same company.
  void MergeLog(const std::string& host, const std::string& dbFile);
  void DeleteLog(const TMyNumberLogRec& rec);
  // Reads the three settings; the request "MYNUMBER_CLEAR" (any case) then removes them from
  // the data set and logs it (state 3). The object keeps what it read.
  void ReadSettings(const std::string& host, const std::string& dbFile, const std::string& request,
                    const std::string& procName);
  // Writes the object's settings back (only when MyNumberUse is 1) and removes the log row of
  // an earlier clear request.
  void WriteSettings(const std::string& host, const std::string& dbFile);

 private:
  void BindRow(TIBSQL& q, const TMyNumberLogRec& rec);
};
