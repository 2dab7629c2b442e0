// The per-data typed settings store, its picture and memo store, and the query factories.
#include <gtest/gtest.h>

#include <filesystem>

#include "DataModuleTestEnv.h"
#include "data/uAccFunctionDb.h"
#include "platform/db/IBSQL.h"
#include "support/TempDir.h"

namespace {

class AccReg : public DataModuleTest {
 protected:
  void SetUp() override {
    DataModuleTest::SetUp();
    folder_ = CopyCompany("accreg-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    ASSERT_TRUE(DM->fnAccDatConnected("", folder_, false));
  }
  std::string DbFile() const { return folder_ + "/qvacc.fdb"; }
  // ATYPE and ATEXT of a row: "<none>" when missing, "<null>" for a null text.
  std::string Row(const std::string& group, const std::string& key) const {
    fixtures::DbSession s(DbFile());
    TIBSQL q;
    s.Prepare(q, "SELECT ATYPE, ATEXT FROM ACCREG WHERE AGROUP = :G AND ACODE = :K");
    q.ParamByName("G").SetString(group);
    q.ParamByName("K").SetString(key);
    q.ExecQuery();
    if (q.Eof()) return "<none>";
    return q.Fields(0).AsString() + ":" + (q.Fields(1).IsNull() ? "<null>" : q.Fields(1).AsString());
  }

  std::string folder_;
};

}  // namespace

TEST_F(AccReg, EachTypeWordWritesAndReadsItsTextForm) {
  struct Case {
    const char* type;
    TAccValue value;
    const char* stored;
    TAccValue readBack;
  };
  const Case cases[] = {
      {"文字", TAccValue("株式会社ｶﾞｲﾄﾞ"), "株式会社ｶﾞｲﾄﾞ", TAccValue("株式会社ｶﾞｲﾄﾞ")},
      {"文字", TAccValue(""), "", TAccValue(" ")},  // an empty text reads as one blank
      {"論理", TAccValue(true), "TRUE", TAccValue(true)},
      {"日付", TAccValue::Date(EncodeDate(2016, 4, 1)), "2016/04/01", TAccValue::Date(EncodeDate(2016, 4, 1))},
      {"日付", TAccValue::Date(0), "", TAccValue::Date(0)},
      {"整数", TAccValue(-12), "-12", TAccValue(-12)},
      {"金額", TAccValue(Currency::FromRaw(12345000)), "1234.5", TAccValue(Currency::FromRaw(12345000))},
      {"実数", TAccValue::Real(0.1), "0.1", TAccValue::Real(0.1)},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string key = "型" + std::to_string(n++);
    PutAccReg("テスト", key, c.type, c.value);
    EXPECT_EQ(Row("テスト", key), std::string(c.type) + ":" + c.stored) << c.type;
    TAccValue v;
    GetAccReg("テスト", key, c.type, v, "unused");
    EXPECT_EQ(v, c.readBack) << c.type << " " << c.stored;
  }
  EXPECT_FALSE(DM->IBTransactionDAT.Active());
}

TEST_F(AccReg, MissingRowsUnknownTypesAndTheCaseOfTrue) {
  TAccValue v;
  GetAccReg("基本設定", "新規", "論理", v, "");
  EXPECT_EQ(v, TAccValue(false));
  EXPECT_EQ(Row("基本設定", "新規"), "論理:");
  GetAccReg("基本設定", "新規整数", "整数", v, "7");
  EXPECT_EQ(v, TAccValue(7));
  EXPECT_EQ(Row("基本設定", "新規整数"), "整数:7");

  for (const char* text : {"true", "True", "TRUE"}) {
    PutAccReg("基本設定", "真偽", "文字", TAccValue(text));
    GetAccReg("基本設定", "真偽", "論理", v, "");
    EXPECT_EQ(v, TAccValue(true)) << text;  // here any letter case counts
  }
  PutAccReg("基本設定", "真偽", "文字", TAccValue("yes"));
  GetAccReg("基本設定", "真偽", "論理", v, "");
  EXPECT_EQ(v, TAccValue(false));
  EXPECT_EQ(Row("基本設定", "真偽"), "文字:yes");  // a write keeps the stored type word

  PutAccReg("基本設定", "謎", "謎型", TAccValue(5));
  EXPECT_EQ(Row("基本設定", "謎"), "謎型:<null>");
  GetAccReg("基本設定", "謎", "謎型", v, "");
  EXPECT_EQ(v, TAccValue("Data Type Error"));

  DeleteAccReg("基本設定", "謎");
  EXPECT_EQ(Row("基本設定", "謎"), "<none>");
}

TEST_F(AccReg, InsideTheCallersTransactionNothingIsCommitted) {
  DM->IBTransactionDAT.StartTransaction();
  PutAccReg("基本設定", "保留", "整数", TAccValue(1));
  TAccValue v;
  GetAccReg("基本設定", "保留2", "整数", v, "2");
  EXPECT_TRUE(DM->IBTransactionDAT.Active());
  EXPECT_EQ(Row("基本設定", "保留"), "<none>");
  DM->IBTransactionDAT.Rollback();
  EXPECT_EQ(Row("基本設定", "保留"), "<none>");
  EXPECT_EQ(Row("基本設定", "保留2"), "<none>");

  // A failure inside the caller's transaction leaves it to the caller.
  DM->IBTransactionDAT.StartTransaction();
  EXPECT_THROW(PutAccReg(std::string(60, 'G'), "k", "整数", TAccValue(1)), EIBError);
  EXPECT_TRUE(DM->IBTransactionDAT.Active());
  DM->IBTransactionDAT.Rollback();
  // On its own it rolls back what it started.
  EXPECT_THROW(PutAccReg(std::string(60, 'G'), "k", "整数", TAccValue(1)), EIBError);
  EXPECT_FALSE(DM->IBTransactionDAT.Active());
}

TEST_F(AccReg, PicturesAndMemos) {
  TempDir work;
  SystemDef.WorkDir = work.Str();
  const std::string bytes("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01", 12);
  const std::string picture = work.Write("in.jpg", bytes);
  PutAccRegBlob("画像", "ロゴ", "JPG", TAccValue(picture));
  PutAccRegBlob("画像", "ロゴ", "JPG", TAccValue(picture));  // an update, not a second row

  TAccValue first, second;
  GetAccRegBlob("画像", "ロゴ", "", first);
  GetAccRegBlob("画像", "ロゴ", "", second);
  const std::string a = first.AsString(), b = second.AsString();
  EXPECT_EQ(std::filesystem::path(a).extension(), ".jpg");
  EXPECT_EQ(std::filesystem::path(a).parent_path(), work.Path());
  EXPECT_EQ(std::filesystem::path(a).filename().string().rfind("accreg-", 0), 0u);
  EXPECT_NE(a, b);  // two reads within one second never share a file
  EXPECT_EQ(TempDir::Read(a), bytes);
  EXPECT_EQ(TempDir::Read(b), bytes);

  PutAccRegBlob("メモ", "連絡", "メモ", TAccValue("一行目\n二行目"));
  TAccValue memo;
  GetAccRegBlob("メモ", "連絡", "文字", memo);
  EXPECT_EQ(memo.AsString(), "一行目\r\n二行目\r\n");

  TAccValue untouched("前の値");
  GetAccRegBlob("メモ", "無い", "メモ", untouched);
  EXPECT_EQ(untouched.AsString(), "前の値");
  EXPECT_THROW(PutAccRegBlob("画像", "無い", "BMP", TAccValue(work.Str() + "/missing.bmp")), std::exception);
  EXPECT_FALSE(DM->IBTransactionDAT.Active());
}

TEST_F(AccReg, QueryFactoriesAndTheComputerName) {
  auto def = CreateAccQuery("ACCDEF", true);
  ASSERT_TRUE(def);
  EXPECT_EQ(def->Database(), &DM->IBDatabaseDEF);
  EXPECT_EQ(def->Transaction(), &DM->IBTransactionDEF);
  auto snap = CreateAccSQL("ACCDAT", true);
  ASSERT_TRUE(snap);
  EXPECT_EQ(snap->Database(), &DM->IBDatabaseDAT);
  EXPECT_EQ(snap->Transaction(), &DM->IBTransactionDATSS);
  EXPECT_EQ(CreateAccQuery("ACCDAT", false)->Transaction(), &DM->IBTransactionDAT);
  EXPECT_TRUE(snap->SQL.empty());

  ConnectMode = 2;
  SystemDef.WinUserName = "";
  EXPECT_EQ(GetPCName(), "ANONYMOUS");
  SystemDef.WinUserName = "tanaka";
  EXPECT_EQ(GetPCName(), "tanaka");
  ConnectMode = 0;
  EXPECT_FALSE(GetPCName().empty());

  FreeDataModule();
  EXPECT_EQ(CreateAccQuery("ACCDEF", false), nullptr);
}
