// The data module's small lookups: data folders, name=value texts, the data-kind tables,
// schema existence, linked journal entries, and the saved screen values.
#include <gtest/gtest.h>

#include <cctype>
#include <initializer_list>
#include <string>
#include <vector>

#include "DataModuleTestEnv.h"
#include "data/DataModule.h"
#include "data/uAccClassesGamen.h"
#include "data/uAccConst.h"
#include "data/uAccRecord.h"
#include "fixtures/FixtureDb.h"
#include "fixtures/Installation.h"
#include "fixtures/JournalGenerator.h"
#include "platform/Encoding.h"
#include "support/ScriptedUi.h"

using fixtures::Company;
using fixtures::CompanyPlan;

TEST(DataModuleUtil, SplitDataPath) {
  struct {
    std::string path, dataNo, childNo;
  } const cases[] = {
      {"C:\\QV\\DATA\\12\\3", "12", "3"},
      {"C:\\QV\\cb_data\\7", "7", ""},
      {"/srv/qv/Data/0012", "0012", ""},
      {"/srv/my data/DATA/1 2/3\u30004", "12", "34"},  // blanks and full-width spaces go first
      {"/srv/DA TA/5/6", "5", "6"},
      {"/srv/qv/0012", "", ""},
      {"/srv/qv/DATA", "", ""},
      {"/a/DATA/1/2/DATA/9", "1", "2"},  // the first DATA counts
      {"", "", ""},
  };
  for (const auto& c : cases) {
    std::string dataNo = "x", childNo = "x";
    TDM::SplitDataPath(c.path, dataNo, childNo);
    EXPECT_EQ(dataNo + "|" + childNo, c.dataNo + "|" + c.childNo) << c.path;
  }
}

TEST(DataModuleUtil, NameValuesAndDataKindNames) {
  struct {
    std::string text, name, value;
  } const cases[] = {
      {"a=1\r\nCOLOR=5", "color", "5"}, {"a=1\nb=2\rc=3", "C", "3"}, {"x=1\r\nx=2", "x", "1"},
      {"a=b=c", "a", "b=c"},          {"a =1", "a", ""},         {"abc", "abc", ""},
      {"", "a", ""},
  };
  for (const auto& c : cases) {
    std::string v = "old";
    TDM::GetNameValue(c.text, c.name, v);
    EXPECT_EQ(v, c.value) << c.text << " / " << c.name;
  }
  EXPECT_TRUE(IsMedicalDataKind("医療法人"));
  EXPECT_TRUE(IsMedicalDataKind("個人(クリニック)"));
  EXPECT_FALSE(IsMedicalDataKind("個人(一般)"));
  EXPECT_FALSE(IsMedicalDataKind("医療法人 "));
  EXPECT_EQ(TDM::PassInt(-7), -7);
  EXPECT_EQ(TDM::PassText("値"), "値");
}

TEST(DataModuleUtil, DataKindTablesFollowTheLastLoad) {
  EXPECT_TRUE(TDM::PrepareDataKindTables(3, 1));
  // Medical layout.
  const std::vector<std::pair<int, std::string>> medical = {
      {0, "1100"},   {60, "5580"},  {65, "5790"},  {72, "6950"},  {73, "7110"},  {75, "7210"}, {78, "8110"},
      {80, "8210"},  {82, "8300"},  {84, "9280"},  {87, "5688"},  {88, "3450"},  {98, "6110"}, {132, "6880"},
      {141, "9600"}, {142, "1900"}, {146, "9600"}, {147, "7300"}, {148, "****"}, {149, "****"}};
  for (const auto& [i, code] : medical) EXPECT_EQ(AccGroupCodes[i], code) << "medical " << i;
  ASSERT_EQ(SikinguriTable.size(), 38u);
  EXPECT_EQ(SikinguriTable[1].Name, "窓口収入");
  EXPECT_EQ(SikinguriTable[36].Name + SikinguriTable[36].Qualifier, "その他の支出（財務収支）");

  // Individual clinics keep the general layout.
  for (auto [dataType, codeType] : {std::pair{1, 1}, std::pair{2, 3}, std::pair{3, 2}}) {
    EXPECT_FALSE(TDM::PrepareDataKindTables(dataType, codeType));
    const std::vector<std::pair<int, std::string>> general = {
        {0, "1100"},  {65, "5790"},  {72, "6200"},  {73, "7100"},  {75, "7200"},  {78, "8100"},  {80, "8200"},
        {82, "8290"}, {84, "8400"},  {86, "5685"},  {88, "****"},  {141, "****"}, {142, "1900"}, {146, "8400"},
        {147, "7300"}, {148, "5510"}, {149, "5820"}};
    for (const auto& [i, code] : general) EXPECT_EQ(AccGroupCodes[i], code) << "general " << i;
    ASSERT_EQ(SikinguriTable.size(), 39u);
    EXPECT_EQ(SikinguriTable.front().Code + SikinguriTable.front().Name, "0－");
    EXPECT_EQ(SikinguriTable[8].Name + SikinguriTable[8].Qualifier, "その他の収入（経常収支）");
    EXPECT_EQ(SikinguriTable.back().Code + SikinguriTable.back().Name, "99流動性現預金");
  }
}

namespace {

class DataModuleDb : public DataModuleTestBase {
 protected:
  void SetUp() override {
    DataModuleTestBase::SetUp();
    SystemDef.GroupId = fixtures::Installation::kGroupId;
    CreateDataModule();
  }
};

}  // namespace

TEST_F(DataModuleDb, TableAndFieldExistence) {
  Company& full = inst_->AddCompany(CompanyPlan::Corporation());
  CompanyPlan older = CompanyPlan::Corporation();
  older.dropOptionalColumns = true;
  Company& old = inst_->AddCompany(older);

  struct {
    const Company* co;
    std::string table, field;
    bool exists;
  } const cases[] = {
      {&full, "TUSIN_ID", "", true},      {&old, "TUSIN_ID", "", false},  {&full, "tusin_id", "", false},
      {&full, "ACCDEF1", "WEB_HOLDER", true}, {&old, "ACCDEF1", "WEB_HOLDER", false},
      {&old, "ACCDEF1", "SHOUGOU", true}, {&full, "ACCDEF1", "NOPE", false},
  };
  for (const auto& c : cases) {
    Open(DM->IBDatabaseDAT, c.co->DbFile());
    DM->IBTransactionDAT.StartTransaction();  // the tests run in the caller's transaction
    const bool exists = c.field.empty() ? DM->fnExistence_Table(c.table) : DM->fnExistence_Field(c.table, c.field);
    EXPECT_EQ(exists, c.exists) << c.table << "." << c.field;
    DM->IBTransactionDAT.Commit();
  }
  EXPECT_TRUE(ui_.messages.empty());

  // Without a transaction the test cannot run: reported, and false.
  EXPECT_FALSE(DM->fnExistence_Table("ACCDEF1"));
  EXPECT_TRUE(ui_.Shown("テーブルの存在情報の取得に失敗しました。"));
}

TEST_F(DataModuleDb, LinkedJournalEntries) {
  Company& co = inst_->AddCompany(CompanyPlan::Corporation());
  // A linked entry (LINKKUB 9) of 100 against 900; the steps below vary it.
  const auto linked = [](TDateTime date, int64_t yen) {
    fixtures::Entry e;
    e.date = date;
    e.debit = "100";
    e.credit = "900";
    e.amount = Currency::FromYen(yen);
    e.linkKub = 9;
    return e;
  };
  const auto write = [&co](std::initializer_list<fixtures::Entry> entries) {
    fixtures::JournalWriter w(co);
    for (const fixtures::Entry& e : entries) w.AddEntry(e);
    w.Finish();
  };

  fixtures::Entry deleted = linked(EncodeDate(2016, 6, 10), 1000);
  deleted.delFlg = 1;  // deleted links do not count
  fixtures::Entry unlinked = linked(EncodeDate(2016, 6, 10), 1000);
  unlinked.linkKub = 0;
  write({deleted, unlinked});
  Open(DM->IBDatabaseDAT, co.DbFile());
  EXPECT_FALSE(DM->GetLinkSiwakeCount(0, 0));
  EXPECT_EQ(DM->CheckLinkSiwake(0, 0, 0), 0);

  write({linked(EncodeDate(2016, 6, 10), 500)});
  EXPECT_TRUE(DM->GetLinkSiwakeCount(0, 0));
  EXPECT_FALSE(DM->GetLinkSiwakeCount(1, 0));  // not in the closing period
  EXPECT_EQ(DM->CheckLinkSiwake(0, 0, 0), 1);
  EXPECT_EQ(DM->CheckLinkSiwake(0, 1, 0), 0);
  EXPECT_FALSE(DM->GetLinkSiwakeCount(0, 1));  // the past journals are empty
  EXPECT_FALSE(DM->GetLinkSiwakeCount(0, 2));
  EXPECT_FALSE(DM->IBTransactionDAT.Active());

  fixtures::Entry closing = linked(EncodeDate(2017, 3, 31), 500);
  closing.kessan = 1;
  write({closing});
  EXPECT_TRUE(DM->GetLinkSiwakeCount(1, 0));

  // Other statuses, other years and an unreachable database give no query and no message.
  DM->IBDatabaseDAT.Close();
  EXPECT_EQ(DM->CheckLinkSiwake(2, 0, 0), 2);
  EXPECT_FALSE(DM->GetLinkSiwakeCount(0, 3));
  EXPECT_FALSE(DM->GetLinkSiwakeCount(0, 0));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(DataModuleDb, DataPathToRecByModes) {
  Company& co = inst_->AddCompany(CompanyPlan::Corporation());
  int32_t dataNo = -1, childNo = -1;
  ConnectMode = 0;
  DM->DataPathToRec("D:\\X\\DATA\\ab", dataNo, childNo);
  EXPECT_EQ(dataNo * 100 + childNo, 0);
  DM->DataPathToRec("/srv/DATA/12/3", dataNo, childNo);
  EXPECT_EQ(dataNo * 100 + childNo, 1203);
  DM->DataPathToRec("  ", dataNo, childNo);
  EXPECT_EQ(dataNo * 100 + childNo, 0);

  // On a database server the data list knows the folder, whatever its case.
  ConnectMode = 1;
  Open(DM->IBDatabaseDEF, inst_->SystemDbFile());
  std::string folder = co.Folder().string();
  for (char& c : folder) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  DM->DataPathToRec(folder, dataNo, childNo);
  EXPECT_EQ(dataNo, co.DataNo());
  EXPECT_EQ(childNo, 0);
  DM->DataPathToRec("/nowhere/9999", dataNo, childNo);
  EXPECT_EQ(dataNo, 0);
  EXPECT_FALSE(DM->IBTransactionDEF.Active());
  DM->IBDatabaseDEF.Close();
  DM->DataPathToRec(folder, dataNo, childNo);  // failures give 0 quietly
  EXPECT_EQ(dataNo, 0);
  ConnectMode = 3;
  DM->DataPathToRec("/srv/DATA/12/3", dataNo, childNo);
  EXPECT_EQ(dataNo, 0);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(DataModuleDb, SavedScreenValues) {
  Open(DM->IBDatabaseDEF, inst_->SystemDbFile());
  TGamenKeyValue gv;
  EXPECT_EQ(gv.OpCode, SystemDef.LogonId);
  gv.SetKey("DataListForm");
  EXPECT_EQ(gv.StyleName, "020-DATALISTFORM");
  gv.SetKey("ｶﾅ漢字Form" + std::string(40, 'x'));
  EXPECT_EQ(sjis::ByteLength(gv.StyleName), 40u);
  gv.SetKey(std::string(35, 'a') + "漢");  // 39 bytes and half a character: the half goes
  EXPECT_EQ(gv.StyleName, "020-" + std::string(35, 'A'));

  std::string text = "untouched";
  gv.FukugenValue("DataListForm", text);
  EXPECT_EQ(text, "untouched");  // nothing saved yet

  gv.HozonValue("DataListForm", "  first  ");
  gv.HozonValue("DataListForm", std::string(1499, 'y') + "漢");  // 1501 bytes
  const std::string rows = "SELECT COUNT(*) FROM STYLECOLOR WHERE STYLENAME = '020-DATALISTFORM'";
  const auto count = [&] { return Scalar(inst_->SystemDbFile(), rows); };
  EXPECT_EQ(count(), 1);  // the second save updated the row
  gv.FukugenValue("datalistform", text);
  EXPECT_EQ(text, std::string(1024, 'y'));
  EXPECT_EQ(gv.Value, "");

  gv.HozonValue("DataListForm", "　漢字 ");
  gv.FukugenValue("DataListForm", text);
  EXPECT_EQ(text, "漢字");
  EXPECT_FALSE(DM->IBTransactionDEF.Active());

  // Before the logon nothing is read or written.
  SystemDef.LogonId = 0;
  TGamenKeyValue before;
  before.HozonValue("DataListForm", "x");
  text = "kept";
  before.FukugenValue("DataListForm", text);
  EXPECT_EQ(text, "kept");
  EXPECT_EQ(count(), 1);
  EXPECT_TRUE(ui_.messages.empty());
}
