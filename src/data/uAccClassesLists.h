#pragma once
// Who may work with the system and with a data set: the operators of a group, the operators
// logged on right now, and the facilities (branches, 施設) of the open company data set.
//
// Each list fills an array of records and, beside it, the display items, and counts them.
// Execute starts the transaction of its statement when it is idle and commits what it
// started; a failure is reported only when the list started the transaction (an outer one
// belongs to the caller, who reports).
#include <cstdint>
#include <string>
#include <vector>

#include "platform/db/IBDatabase.h"
#include "platform/db/IBSQL.h"

struct TUseSitenRec {
  std::string Code;
  std::string Name;
};
using TUseSitenList = std::vector<TUseSitenRec>;

struct TUserListRec {
  int32_t GROUPID = 0;
  int32_t OPCODE = 0;
  std::string OPNAME;
  std::string PASWORD;
  int32_t JOBLEVEL = 0;  // 9 = administrator
  std::string LEVELNAME;
  uint8_t JIMUSHO = 0;
  uint8_t OKINIIRI = 0;
  uint8_t KANSA = 0;  // always false here
  TUseSitenList UseSitenList;
  std::string UseSitenText;
  uint8_t MYNUMBER_ADM = 0;
};

// The operators of a group (codes from 10 on), optionally under a header line that stands for
// all of them.
class TUserList {
 public:
  TUserList();
  TUserList(const TUserList&) = delete;
  TUserList& operator=(const TUserList&) = delete;

  void Execute();
  void Clear();
  // The number before the first ":" of an item; 0 without one or outside the list.
  int32_t GetOpCode(int index) const;
  std::string GetText() const;

  TIBTransaction OwnTransaction;  // read committed, no wait, on the system database
  TIBSQL DefSQL;
  TIBSQL DatSQL;
  std::string HeaderText;
  int32_t Group = 0;
  std::vector<TUserListRec> Rows;
  std::vector<std::string> Items;
  int Count = 0;
};

struct TLoginUserListRec {
  int32_t OPERATORCODE = 0;
  std::string OPNAME;
  std::string PCNAME;
};

class TLoginUserList {
 public:
  virtual ~TLoginUserList() = default;
  void Clear();

  TIBSQL SQL;
  std::vector<TLoginUserListRec> Rows;
  std::vector<std::string> Items;
  int Count = 0;
  int32_t Group = 0;
  int32_t OpCode = 0;  // the caller's logon id
  uint8_t IncludeSelf = 0;
};

// The operators of a group logged on right now, from the system database's logon table. The
// caller's own logons are left out unless includeSelf. Failures are passed on.
class TLoginUserListOnDef : public TLoginUserList {
 public:
  TLoginUserListOnDef();
  void Execute(int32_t group, int32_t logonId, bool includeSelf);
};

struct TSitenListRec {
  std::string Code;
  std::string Name;
  int32_t Kind = 0;  // 0 company-wide, 1 group / business kind, 2 facility, 3 facility with departments, 5 group (medical)
  int32_t Jigyou = 0;
  int32_t Bumex = 0;
  int32_t Color = 0;
  std::string Reserve1;
  std::string Reserve2;
};

// The facilities of the open company data set, for every operator (-1) or for those an
// operator has a right to. Failures are passed on.
class TSitenList {
 public:
  enum : uint8_t { skTotal = 1, skGroups = 2, skFacilities = 4, skFacilitiesWithDepartments = 8 };

  TSitenList();
  TSitenList(const TSitenList&) = delete;
  TSitenList& operator=(const TSitenList&) = delete;

  void Execute(int32_t opCode);
  void Clear();
  std::string GetCode(int index) const;
  void SetTransaction(TIBTransaction* tr) { SQL.SetTransaction(tr); }

  TIBSQL SQL;
  std::vector<TSitenListRec> Rows;
  std::vector<std::string> Items;
  int Count = 0;
  uint8_t Kinds = 0;
  int32_t OpCode = 0;
  int32_t JigyouFilter = 0;
  uint8_t Quoted = 0;
  uint8_t WithCode00 = 1;

 private:
  void Add(const TSitenListRec& row, bool permitQueried = false);
  bool OperatorHasAll(const std::string& sql, int32_t opCode);
  void AddFacilities(bool medical, bool withDepartments, int32_t opCode);
  std::string TotalName() const;
};
