// The operator, logged-on user and facility lists over fixture installations.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "data/DataModule.h"
#include "data/uAccClassesLists.h"
#include "data/uAccRecord.h"
#include "fixtures/CompanyBuilder.h"
#include "fixtures/FixtureDb.h"
#include "fixtures/Installation.h"
#include "support/DataModuleTestBase.h"

namespace {

using fixtures::Installation;

fixtures::InstallationOptions WithOperators(bool dropMyNumberAdm = false) {
  fixtures::InstallationOptions o;
  o.operators = fixtures::DefaultOperators();
  o.operators.push_back({5, "システム", 9, "sys", false, false});
  o.operators.push_back({12, "監査担当", 1, "kansa", false, true});
  o.dropMyNumberAdm = dropMyNumberAdm;
  return o;
}


class OperatorLists : public DataModuleTestBase {
 protected:
  void SetUp() override {
    DataModuleTestBase::SetUp();
    CreateDataModule();
  }
  void OpenSystem(const Installation& inst) { Open(DM->IBDatabaseDEF, inst.SystemDbFile()); }
};

class FacilityList : public DataModuleTestBase {
 protected:
  void SetUp() override {
    DataModuleTestBase::SetUp();
    SystemDef.JobLevel = 1;
    SystemDef.JimushoOperator = 0;
    SystemDef.SisetuAllSw = 0;
    CreateDataModule();
  }
  void Load(const fixtures::Company& co) {
    Open(DM->IBDatabaseDAT, co.DbFile());
    ASSERT_TRUE(DM->fnGetAccInfo());
  }
  static std::vector<std::string> Codes(const TSitenList& l) {
    std::vector<std::string> codes;
    for (int i = 0; i < l.Count; ++i) codes.push_back(l.GetCode(i));
    return codes;
  }
};

}  // namespace

TEST_F(OperatorLists, UserListSkipsSystemCodesAndAnswersByIndex) {
  Installation inst(WithOperators());
  OpenSystem(inst);
  TUserList list;
  list.Group = Installation::kGroupId;
  list.HeaderText = "全担当者";
  list.Execute();
  ASSERT_EQ(list.Count, 4) << list.GetText();
  EXPECT_EQ(list.Items[0], "全担当者");
  EXPECT_EQ(list.Items[1], "10:管理者");
  EXPECT_EQ(list.Items[3], "12:監査担当");
  EXPECT_EQ(list.GetOpCode(0), 0);
  EXPECT_EQ(list.GetOpCode(1), 10);
  EXPECT_EQ(list.GetOpCode(4), 0);
  EXPECT_EQ(list.Rows[0].JOBLEVEL, 9);
  EXPECT_EQ(list.Rows[3].MYNUMBER_ADM, 1);
  EXPECT_FALSE(list.OwnTransaction.Active());
}

TEST_F(OperatorLists, SystemDatabaseWithoutMyNumberColumnStillLists) {
  Installation inst(WithOperators(true));
  OpenSystem(inst);
  TUserList list;
  list.Group = Installation::kGroupId;
  list.Execute();
  ASSERT_EQ(list.Count, 3);
  for (const TUserListRec& r : list.Rows) EXPECT_EQ(r.MYNUMBER_ADM, 0) << r.OPNAME;
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(OperatorLists, LoggedOnUsersLeaveOutTheCallersOwnLogon) {
  Installation inst(WithOperators());
  {
    fixtures::DbSession s(inst.SystemDbFile());
    for (auto [op, pc] : {std::pair{10, "PC-A"}, std::pair{10, "PC-B"}, std::pair{11, "PC01"}})
      s.Exec("INSERT INTO LOGONUSERLIST (GROUPID, OPCODE, OPERATORCODE, PCNAME) VALUES (10000, " +
             std::to_string(Installation::LogonId(op)) + ", " + std::to_string(op) + ", '" + pc + "')");
    s.Commit();
  }
  OpenSystem(inst);
  TLoginUserListOnDef others;
  others.Execute(Installation::kGroupId, Installation::LogonId(11), false);
  EXPECT_EQ(others.Items, (std::vector<std::string>{"10:管理者", "10:管理者"})) << "one row per computer";
  TLoginUserListOnDef all;
  all.Execute(Installation::kGroupId, Installation::LogonId(11), true);
  EXPECT_EQ(all.Count, 3);
  EXPECT_FALSE(DM->IBTransactionDEF.Active());
}

TEST_F(FacilityList, RightsBusinessKindsAndCompanyWideRow) {
  fixtures::Company& med = inst_->AddCompany(fixtures::CompanyPlan::Medical());
  {
    fixtures::DbSession s(med.DbFile());
    s.Exec("DELETE FROM OPLICENSE WHERE OPCODE = " + std::to_string(Installation::LogonId(11)) + " AND SCODE = '02'");
    s.Exec("INSERT INTO SISETUGROUP (GCODE, GNAME) VALUES ('G1', '\"本\"グループ')");
    s.Exec("INSERT INTO SISETUGROUPLIST (GCODE, SCODE) VALUES ('G1', '01')");
    s.Exec("INSERT INTO SISETUGROUPLIST (GCODE, SCODE) VALUES ('G1', '02')");
    s.Commit();
  }
  Load(med);
  const int op = Installation::LogonId(11);

  TSitenList l;
  l.Kinds = TSitenList::skFacilities;
  l.Execute(-1);
  EXPECT_EQ(Codes(l), (std::vector<std::string>{"00", "01", "02"}));
  l.Execute(op);
  EXPECT_EQ(Codes(l), (std::vector<std::string>{"00", "01"})) << "2 of 3 facilities";
  l.WithCode00 = 0;
  l.Execute(-1);
  EXPECT_EQ(Codes(l), (std::vector<std::string>{"01", "02"}));

  TSitenList kinds;
  kinds.Kinds = TSitenList::skGroups;
  kinds.Execute(-1);
  EXPECT_EQ(kinds.Items, (std::vector<std::string>{"老人保健施設", "指定訪問看護", "(G1):\"本\"グループ"}))
      << "00 counts for no kind";
  ASSERT_EQ(kinds.Count, 3);
  EXPECT_EQ(kinds.Rows[2].Kind, 5);
  kinds.Execute(op);
  EXPECT_EQ(kinds.Items, (std::vector<std::string>{"老人保健施設"}))
      << "a kind or group used only in part gives no row";

  TSitenList quoted;
  quoted.Kinds = TSitenList::skGroups | TSitenList::skFacilities;
  quoted.Quoted = 1;
  quoted.JigyouFilter = 4;
  quoted.Execute(-1);
  EXPECT_EQ(quoted.Items, (std::vector<std::string>{"\"老人保健施設\"\t\"\"\t\"\"",
                                                    "\"(G1)\"\t\"G1\"\t\"'本'グループ\"",
                                                    "\"01\"\t\"\"\t\"サンプル病院\""}));
  EXPECT_FALSE(DM->IBTransactionDAT.Active());

  // Without facility accounting both listings give the one company-wide row.
  fixtures::Company& corp = inst_->AddCompany(fixtures::CompanyPlan::Corporation());
  Load(corp);
  TSitenList c;
  c.Kinds = TSitenList::skFacilities;
  c.Execute(-1);
  ASSERT_EQ(c.Count, 1);
  EXPECT_EQ(c.Rows[0].Kind, 0);
  EXPECT_EQ(c.Items[0], AccInf.SHOUGOU);
  c.Execute(op);
  EXPECT_EQ(c.Count, 1);
}
