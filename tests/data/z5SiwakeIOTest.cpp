// Journal entries of a fixture company: the journal procedures as the writer drives them, the
// writer's own protocol (round trip, old data versions, a lock held by another connection),
// and the checks before an entry is written.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "data/DataModule.h"
#include "data/uAccRecord.h"
#include "data/z5SiwakeIO.h"
#include "fixtures/CompanyBuilder.h"
#include "fixtures/FixtureDb.h"
#include "support/DataModuleTestBase.h"

namespace {

class JournalBase : public DataModuleTestBase {
 protected:
  static void SetUpTestSuite() {
    DataModuleTestBase::SetUpTestSuite();
    company_ = &inst_->AddCompany(fixtures::CompanyPlan::Corporation());
    // Two banks as sub-accounts of the ordinary deposit account in the branch's combinations.
    fixtures::DbSession s(company_->DbFile());
    const std::string bank = company_->AccountOf("110").kcode;
    for (const char* h : {"001", "002"})
      s.Exec("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE) VALUES (' ', '" + bank + "', '" + h + "', ' ')");
    s.Commit();
  }
  static void TearDownTestSuite() {
    company_ = nullptr;
    DataModuleTestBase::TearDownTestSuite();
  }

  void SetUp() override {
    DataModuleTestBase::SetUp();
    SystemDef.JobLevel = 1;
    SystemDef.JimushoOperator = 0;
    SystemDef.PcName = "PC01";
    CreateDataModule();
    Open(DM->IBDatabaseDAT, company_->DbFile());
    ASSERT_TRUE(DM->fnGetAccInfo());
    w_ = std::make_unique<TSiwakeWrite>();
    w_->SetTransaction(&DM->IBTransactionDAT);
  }
  void TearDown() override {
    w_.reset();
    DataModuleTestBase::TearDown();
  }

  // Cash sale of 1,000 yen to department 01 on 2016-05-10.
  TSWKREC Sale(int yen = 1000) {
    TSWKREC r;
    w_->InitSiwakeRec(r, 0, EncodeDate(2016, 5, 10));
    r.SCODE = " ";
    r.L.UserCode = "100";
    r.L.HCODE = " ";
    r.L.BCODE = " ";
    r.L.KNAME = "現金";
    r.L.TAXCODE = 810;
    r.R.UserCode = "400";
    r.R.HCODE = " ";
    r.R.BCODE = "01";
    r.R.KNAME = "売上高";
    r.R.TAXCODE = 110;
    r.KINGAKU = Currency::FromYen(yen);
    r.TEKTEXT = "売上";
    return r;
  }

  // Writes in an own transaction, as one call.
  int Put(TSWKREC& r) {
    w_->OwnTransaction = 1;
    return w_->PutSiwake(r);
  }

  // Checks in an own transaction, as one call.
  bool Check(TSWKREC& r, int& err, std::string& msg) {
    w_->OwnTransaction = 1;
    return w_->TestSiwake(r, err, msg);
  }

  static int64_t Count(const std::string& sql) { return Scalar(company_->DbFile(), sql); }

  static inline fixtures::Company* company_ = nullptr;
  std::unique_ptr<TSiwakeWrite> w_;
};

class JournalProcedures : public JournalBase {};
class JournalWrite : public JournalBase {};
class JournalCheck : public JournalBase {};

}  // namespace

TEST_F(JournalProcedures, InsertWritesBothRowsSwappedWithInternalCodesAndLinkRows) {
  TSWKREC r = Sale(1000);
  r.LINKKEY = "K1";
  r.LINKKUB = 3;
  const int rec = Put(r);
  ASSERT_GT(rec, 0);
  EXPECT_EQ(rec, r.REC);
  EXPECT_EQ(r.SWKNO, r.SWKREC);
  EXPECT_GT(r.SITREC, 0);
  EXPECT_FALSE(DM->IBTransactionDAT.Active()) << "the own transaction ended with the call";

  fixtures::DbSession s(company_->DbFile());
  TIBSQL q;
  s.Prepare(q, "SELECT REC, TAISHAKU, SWKNO, KCODE, R_KCODE, BCODE, R_BCODE, TAXCODE, R_TAXCODE FROM SIWAKE "
               "WHERE SWKREC = :S ORDER BY REC");
  q.ParamByName("S").SetInteger(r.SWKREC);
  q.ExecQuery();
  const std::string cash = company_->AccountOf("100").kcode, sales = company_->AccountOf("400").kcode;
  struct Row { int rec, taishaku; std::string k, rk, b, rb; int tax, rtax; };
  const std::vector<Row> expected = {{rec, 1, cash, sales, " ", "01", 810, 110},
                                     {rec + 1, 2, sales, cash, "01", " ", 110, 810}};
  for (const Row& e : expected) {
    ASSERT_FALSE(q.Eof());
    EXPECT_EQ(q.FieldByName("REC").AsInteger(), e.rec);
    EXPECT_EQ(q.FieldByName("TAISHAKU").AsInteger(), e.taishaku);
    EXPECT_EQ(q.FieldByName("SWKNO").AsInteger(), r.SWKREC);
    EXPECT_EQ(q.FieldByName("KCODE").AsString(), e.k);
    EXPECT_EQ(q.FieldByName("R_KCODE").AsString(), e.rk);
    EXPECT_EQ(q.FieldByName("BCODE").AsString(), e.b);
    EXPECT_EQ(q.FieldByName("R_BCODE").AsString(), e.rb);
    EXPECT_EQ(q.FieldByName("TAXCODE").AsInteger(), e.tax);
    EXPECT_EQ(q.FieldByName("R_TAXCODE").AsInteger(), e.rtax);
    q.Next();
  }
  EXPECT_TRUE(q.Eof());
  q.Close();
  EXPECT_EQ(s.Scalar("SELECT COUNT(*) FROM SIWAKE2 WHERE SWKREC = " + std::to_string(r.SWKREC) +
                     " AND LINKKEY = 'K1' AND LINKKUB = 3"),
            2);
}

TEST_F(JournalProcedures, UpdateOutcomes) {
  struct Case {
    const char* what;
    void (*change)(TSWKREC&);
    bool deleteFirst, correctFirst;
    int result;
    bool inPlace, swknoMoves;
  };
  const std::vector<Case> cases = {
      {"same content, sticky note", [](TSWKREC& r) { r.FUSEN1 = 1; }, false, false, 0, true, false},
      {"amount", [](TSWKREC& r) { r.KINGAKU = Currency::FromYen(2000); }, false, false, 0, false, false},
      {"date", [](TSWKREC& r) { r.HIZUKE = EncodeDate(2016, 6, 1); }, false, false, 0, false, true},
      {"deleted meanwhile", [](TSWKREC& r) { r.KINGAKU = Currency::FromYen(3000); }, true, false, -1, false, false},
      {"corrected meanwhile", [](TSWKREC& r) { r.KINGAKU = Currency::FromYen(4000); }, false, true, -2, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TSWKREC r = Sale(1000);
    ASSERT_GT(Put(r), 0);
    const TSWKREC stored = r;
    int live = 0;
    if (c.deleteFirst) {
      w_->OwnTransaction = 1;
      ASSERT_EQ(w_->DeleteSiwake(r.SWKREC), 1);
    }
    if (c.correctFirst) {
      TSWKREC other = r;
      other.KINGAKU = Currency::FromYen(1500);
      ASSERT_EQ(Put(other), 0);
      live = other.REC;
    }
    c.change(r);
    const int result = Put(r);
    EXPECT_EQ(result, c.result);
    if (c.result == -1) {
      EXPECT_EQ(r.REC, stored.REC);
    } else if (c.result == -2) {
      EXPECT_EQ(r.REC, live);
    } else if (c.inPlace) {
      EXPECT_EQ(r.REC, stored.REC);
      EXPECT_EQ(r.SWKREC, stored.SWKREC);
      EXPECT_EQ(Count("SELECT FUSEN1 FROM SIWAKE WHERE REC = " + std::to_string(r.REC)), 1);
    } else {
      EXPECT_NE(r.REC, stored.REC);
      EXPECT_EQ(Count("SELECT COUNT(*) FROM SIWAKE WHERE DELFLG = 2 AND SWKREC = " + std::to_string(stored.SWKREC)), 2);
      EXPECT_EQ(r.SWKNO, c.swknoMoves ? r.SWKREC : stored.SWKNO);
      EXPECT_EQ(Count("SELECT COUNT(*) FROM SIWAKE WHERE SWKNO = " + std::to_string(r.SWKNO)), 4)
          << "the old and the new pair share the history number";
    }
  }
}

TEST_F(JournalProcedures, DeleteMarksBothRowsAndClearsTheirLink) {
  TSWKREC r = Sale();
  r.LINKKEY = "K9";
  r.LINKKUB = 10;
  r.LINKREC = 77;
  ASSERT_GT(Put(r), 0);
  fixtures::DbSession s(company_->DbFile());
  EXPECT_EQ(s.Scalar("SELECT RESULT FROM SP_SIWAKE_DEL(" + std::to_string(r.SWKREC) + ", 5)"), 0);
  const std::string where = " WHERE SWKREC = " + std::to_string(r.SWKREC);
  EXPECT_EQ(s.Scalar("SELECT COUNT(*) FROM SIWAKE" + where + " AND DELFLG = 1 AND OPCODE = 5"), 2);
  EXPECT_EQ(s.Scalar("SELECT COUNT(*) FROM SIWAKE" + where + " AND LINKKUB = 0 AND LINKREC = 0 AND LINKKEY = ''"), 2);
  EXPECT_EQ(s.Scalar("SELECT COUNT(*) FROM SIWAKE2" + where + " AND LINKKUB = 0 AND LINKREC = 0 AND LINKKEY = ''"), 2);
}

TEST_F(JournalWrite, PutGetDeleteRestoreRoundTrip) {
  TSWKREC r = Sale(1234);
  r.TORTEXT = "取引先";
  r.CTIME = 0;
  ASSERT_GT(Put(r), 0);

  for (bool fromView : {false, true}) {
    TSWKREC back;
    w_->OwnTransaction = 1;
    w_->GetSiwake(back, r.REC, fromView);
    EXPECT_EQ(back.REC, r.REC);
    EXPECT_EQ(back.SWKREC, r.SWKREC);
    EXPECT_EQ(back.HIZUKE, r.HIZUKE);
    EXPECT_EQ(back.L.UserCode, "100");
    EXPECT_EQ(back.R.UserCode, "400");
    EXPECT_EQ(back.R.BCODE, "01");
    EXPECT_EQ(back.KINGAKU, Currency::FromYen(1234));
    EXPECT_EQ(back.TEKTEXT, "売上");
    EXPECT_EQ(back.TORTEXT, "取引先");
    EXPECT_EQ(back.OPCODE, SystemDef.LogonId);
  }

  w_->OwnTransaction = 1;
  EXPECT_EQ(w_->DeleteSiwake(r.SWKREC), 1);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM SIWAKE WHERE DELFLG = 1 AND SWKREC = " + std::to_string(r.SWKREC)), 2);
  w_->OwnTransaction = 1;
  EXPECT_EQ(w_->RestoreSiwake(r.SWKREC), 1);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM SIWAKE WHERE DELFLG = 0 AND SWKREC = " + std::to_string(r.SWKREC)), 2);

  TSWKREC missing;
  w_->OwnTransaction = 1;
  w_->GetSiwake(missing, 999999, false);
  EXPECT_EQ(missing.REC, 0);
  EXPECT_EQ(missing.HIZUKE, Today());
  EXPECT_EQ(missing.L.TAXCODE, 910);
  EXPECT_EQ(missing.R.TAXCODE, 910);
}

TEST_F(JournalWrite, OwnTransactionCoversOneCallAndTheCallerKeepsHis) {
  TSWKREC r = Sale();
  ASSERT_GT(Put(r), 0);
  EXPECT_EQ(w_->OwnTransaction, 0);
  EXPECT_FALSE(DM->IBTransactionDAT.Active());

  // Without the flag the write stays in the caller's transaction until he ends it.
  DM->IBTransactionDAT.StartTransaction();
  TSWKREC second = Sale(50);
  ASSERT_GT(w_->PutSiwake(second), 0);
  EXPECT_TRUE(DM->IBTransactionDAT.Active());
  DM->IBTransactionDAT.Rollback();
  EXPECT_EQ(Count("SELECT COUNT(*) FROM SIWAKE WHERE SWKREC = " + std::to_string(second.SWKREC)), 0);
}

TEST_F(JournalWrite, DataVersionSixZeroInsertsWithoutBranchNumber) {
  TSWKREC current = Sale();
  ASSERT_GT(Put(current), 0);
  EXPECT_GT(current.SITREC, 0) << "6.1 and later number the entries of a branch";

  fixtures::CompanyPlan old = fixtures::CompanyPlan::Corporation();
  old.verMajor = 6;
  old.verMinor1 = 0;
  fixtures::Company& co = inst_->AddCompany(old);
  Open(DM->IBDatabaseDAT, co.DbFile());
  ASSERT_TRUE(DM->fnGetAccInfo());
  ASSERT_EQ(AccInf.VerMajor, 6);
  ASSERT_EQ(AccInf.VerMinor1, 0);
  TSWKREC r = Sale();
  ASSERT_GT(Put(r), 0);
  EXPECT_EQ(r.SITREC, 0) << "the insert asked for 0 AS NEWSITREC";
  EXPECT_EQ(Scalar(co.DbFile(), "SELECT COUNT(*) FROM SIWAKE WHERE SWKREC = " + std::to_string(r.SWKREC)), 2);
}

TEST_F(JournalWrite, RowsHeldByAnotherConnectionAreRetriedThenRaised) {
  TSWKREC r = Sale();
  ASSERT_GT(Put(r), 0);
  fixtures::DbSession holder(company_->DbFile());
  holder.Exec("UPDATE SIWAKE SET FUSEN2 = 1 WHERE SWKREC = " + std::to_string(r.SWKREC));

  w_->LockRetries = 2;
  w_->LockPauseMs = 10;
  for (bool own : {true, false}) {
    SCOPED_TRACE(own ? "own transaction" : "caller's transaction");
    TSWKREC change = r;
    change.KINGAKU = Currency::FromYen(5000);
    if (!own) DM->IBTransactionDAT.StartTransaction();
    w_->OwnTransaction = own ? 1 : 0;
    EXPECT_THROW(w_->PutSiwake(change), EIBError);
    EXPECT_EQ(change.REC, r.REC) << "nothing written";
    if (!own) {
      EXPECT_TRUE(DM->IBTransactionDAT.Active()) << "the caller's transaction is his to end";
      DM->IBTransactionDAT.Rollback();
    } else {
      EXPECT_FALSE(DM->IBTransactionDAT.Active());
    }
  }
  holder.Commit();
  TSWKREC change = r;
  change.KINGAKU = Currency::FromYen(5000);
  EXPECT_EQ(Put(change), 0) << "free again once the holder is done";
}

TEST_F(JournalCheck, PassingEntryIsCompleted) {
  TSWKREC r = Sale();
  r.KESSAN = 0;
  r.R.KNAME.clear();
  r.TEKTEXT = "売\t上\r\n";
  int err = -1;
  std::string msg = "x";
  ASSERT_TRUE(Check(r, err, msg)) << err << " " << msg;
  EXPECT_EQ(err, 0);
  EXPECT_EQ(msg, "");
  EXPECT_EQ(r.MNUM, 2);
  EXPECT_EQ(r.R.KNAME, "売上高");
  EXPECT_EQ(r.R.BNAME, "営業部");
  EXPECT_EQ(r.R.KGROUP, "4100");
  EXPECT_EQ(r.TEKTEXT, "売上");
  EXPECT_FALSE(DM->IBTransactionDAT.Active());

  // A closing entry on the fiscal end is period 16.
  TSWKREC c = Sale();
  c.KESSAN = 1;
  c.HIZUKE = AccInf.KIMATU;
  ASSERT_TRUE(Check(c, err, msg)) << err << " " << msg;
  EXPECT_EQ(c.MNUM, 16);
}

TEST_F(JournalCheck, FailuresGiveNumberAndMessageInBothStyles) {
  struct Case {
    const char* what;
    void (*change)(TSWKREC&);
    int err;
    const char* style0;
    const char* style1;  // nullptr: as style 0
  };
  const std::vector<Case> cases = {
      {"before the fiscal year", [](TSWKREC& r) { r.HIZUKE = EncodeDate(2016, 3, 31); }, 1,
       "日付が会計期間外または、決算区分の指定が不正です。", "日付が会計期間外または、決算区分の設定が不正です。"},
      {"audited entry", [](TSWKREC& r) { AccInf.KANSA_LOCK = 1; r.CTIME = EncodeDate(2016, 6, 1); }, 2,
       "監査済みの仕訳は訂正できません。", "監査済みの仕訳が設定されました。"},
      {"audited date",
       [](TSWKREC&) {
         AccInf.KANSA_LOCK = 1;
         AccInf.KANSA_DATE = EncodeDate(2016, 6, 1);
         AccInf.KANSA_FIXDATE = EncodeDate(2016, 5, 31);
       },
       3, "監査済みの日付は入力できません。", "日付に監査済みの日付が設定されました。"},
      {"unknown cost code",
       [](TSWKREC& r) {
         AccInf.KobetuGenkaUse = 1;
         AccInf.KobetuGenkaName = "工事";
         r.SNUM = 8;
       },
       4, "工事コードが見つかりません。", "工事コードの設定が不正です。"},
      {"no branch",
       [](TSWKREC& r) {
         AccInf.SITEN = 1;
         r.SCODE = "";
       },
       5, "本・支店コードが不正です。データを選択し直してください。", "本・支店コードが不正です。"},
      {"no branch, medical",
       [](TSWKREC& r) {
         AccInf.SITEN = 1;
         AccInf.DATATYPE = 3;
         r.SCODE = " ";
       },
       5, "施設コードが不正です。データを選択し直してください。", "施設コードが不正です。"},
      {"unknown debit account", [](TSWKREC& r) { r.L.UserCode = "999"; }, 11, "借方の科目コードが見つかりません。",
       "借方の科目コードの設定が不正です。"},
      {"debit bank without sub-account", [](TSWKREC& r) { r.L.UserCode = "110"; r.L.HCODE = ""; }, 11,
       "借方の補助コードを入力してください。", "借方の補助コードの設定が不正です。"},
      {"debit expense without department", [](TSWKREC& r) { r.L.UserCode = "610"; r.L.BCODE = ""; }, 11,
       "借方の部門コードが見つかりません。", "借方の部門コードの設定が不正です。"},
      {"unknown debit tax code", [](TSWKREC& r) { r.L.TAXCODE = 999; }, 12, "借方の消費税コードを確認してください。",
       "借方の消費税コードの設定が不正です。"},
      {"debit 700s on cash", [](TSWKREC& r) { r.L.TAXCODE = 711; }, 13,
       "税コードが[700番台]は、科目に仮払消費税を使用してください。", nullptr},
      {"debit tax account, credit taxed",
       [](TSWKREC& r) {
         r.L.UserCode = "160";
         r.R.TAXCODE = 110;
       },
       14, "仮受消費税、仮払消費税の相手税コードは[810,910]を使用してください。", nullptr},
      {"debit 諸口 taxed",
       [](TSWKREC& r) {
         r.L.UserCode = "900";
         r.L.TAXCODE = 110;
       },
       15, "諸口の消費税コードは、[810,910]を使用してください。", nullptr},
      {"debit specified purchase at 5%",
       [](TSWKREC& r) {
         r.L.TAXCODE = 551;
         r.OLDRATE = 2;
       },
       16, "特定課税仕入れ用の消費税コード[551,552,553,581,582,583]では税率[5%]は使用できません。", nullptr},
      {"unknown credit account", [](TSWKREC& r) { r.R.UserCode = "999"; }, 21, "貸方の科目コードが見つかりません。",
       "貸方の科目コードの設定が不正です。"},
      {"credit bank without sub-account",
       [](TSWKREC& r) {
         r.R.UserCode = "110";
         r.R.HCODE = "";
         r.R.BCODE = " ";
         r.R.TAXCODE = 810;
       },
       21, "貸方の補助コードを入力してください。", "貸方の補助コードの設定が不正です。"},
      {"credit sales without department", [](TSWKREC& r) { r.R.BCODE = ""; }, 21, "貸方の部門コードが見つかりません。",
       "貸方の部門コードの設定が不正です。"},
      {"unknown credit tax code", [](TSWKREC& r) { r.R.TAXCODE = 999; }, 22, "貸方の消費税コードを確認してください。",
       "貸方の消費税コードの設定が不正です。"},
      {"credit 600s on sales", [](TSWKREC& r) { r.R.TAXCODE = 610; }, 23,
       "税コードが[600番台]は、科目に仮受消費税を使用してください。", nullptr},
      {"credit tax account, debit taxed",
       [](TSWKREC& r) {
         r.R.UserCode = "230";
         r.R.BCODE = " ";
         r.R.TAXCODE = 810;
         r.L.UserCode = "510";
         r.L.BCODE = "01";
         r.L.TAXCODE = 511;
       },
       24, "仮受消費税、仮払消費税の相手税コードは[810,910]を使用してください。", nullptr},
      {"credit 諸口 taxed",
       [](TSWKREC& r) {
         r.R.UserCode = "900";
         r.R.BCODE = " ";
       },
       25, "諸口の消費税コードは、[810,910]を使用してください。", nullptr},
      {"credit specified purchase at 5%",
       [](TSWKREC& r) {
         r.R.TAXCODE = 551;
         r.OLDRATE = 2;
       },
       26, "特定課税仕入れ用の消費税コード[551,552,553,581,582,583]では税率[5%]は使用できません。", nullptr},
      {"zero amount", [](TSWKREC& r) { r.KINGAKU = Currency(); }, 31, "金額を入力してください。",
       "金額の設定が不正です。（０円 または null）"},
      {"negative amount", [](TSWKREC& r) { r.KINGAKU = Currency::FromYen(-5); }, 31, "マイナス金額は入力できません。",
       "金額にマイナス値が設定されました。"},
      {"amount too large", [](TSWKREC& r) { r.KINGAKU = Currency::FromYen(9999999999LL) + Currency::FromRaw(1); }, 31,
       "金額桁数がオーバーしています。", "金額の設定が不正です。（桁数オーバー）"},
  };
  const TACCINF saved = AccInf;
  for (const Case& c : cases) {
    for (int style : {0, 1}) {
      SCOPED_TRACE(std::string(c.what) + " style " + std::to_string(style));
      AccInf = saved;
      TSWKREC r = Sale();
      c.change(r);
      w_->MessageStyle = static_cast<uint8_t>(style);
      int err = 0;
      std::string msg;
      EXPECT_FALSE(Check(r, err, msg));
      EXPECT_EQ(err, c.err);
      EXPECT_EQ(msg, style == 1 && c.style1 ? c.style1 : c.style0);
      EXPECT_FALSE(DM->IBTransactionDAT.Active());
    }
  }
  AccInf = saved;
}

TEST_F(JournalCheck, LimitsAuditOverrideAndCostCodeWidth) {
  int err = 0;
  std::string msg;
  TSWKREC top = Sale();
  top.KINGAKU = Currency::FromYen(9999999999LL);
  EXPECT_TRUE(Check(top, err, msg)) << msg;

  const TACCINF saved = AccInf;
  AccInf.KANSA_LOCK = 1;
  SystemDef.JobLevel = 9;
  TSWKREC audited = Sale();
  audited.CTIME = EncodeDate(2016, 6, 1);
  EXPECT_TRUE(Check(audited, err, msg)) << "job level 9 may correct audited entries";
  SystemDef.JobLevel = 1;

  AccInf.KobetuGenkaUse = 1;
  AccInf.KobetuGenkaDigits = 1;
  const std::vector<TCostCodeEntry> codes = {{"007", 3, 0}, {"0007", 4, 0}};
  w_->CostCodes = &codes;
  TSWKREC cost = Sale();
  cost.SNUM = 7;
  EXPECT_TRUE(Check(cost, err, msg)) << msg;
  EXPECT_EQ(w_->CostCodeIndex, 1) << "SNUM 7 is looked up as 0007";
  AccInf = saved;
}

TEST_F(JournalCheck, StoredEntryKeepsItsRecordedNamesUntilTheAccountChanges) {
  TSWKREC r = Sale();
  r.R.KNAME = "旧売上";
  ASSERT_GT(Put(r), 0);
  int err = 0;
  std::string msg;
  TSWKREC same = r;
  ASSERT_TRUE(Check(same, err, msg)) << msg;
  EXPECT_EQ(same.R.KNAME, "旧売上");

  TSWKREC changed = r;
  changed.R.UserCode = "420";
  changed.R.TAXCODE = 130;
  ASSERT_TRUE(Check(changed, err, msg)) << msg;
  EXPECT_EQ(changed.R.KNAME, "受取地代");
}

TEST_F(JournalWrite, CombinationsOfABranch) {
  w_->OwnTransaction = 1;
  w_->SetSitenCode(" ");
  ASSERT_GT(w_->CombinationCount, 0);
  EXPECT_EQ(static_cast<int>(w_->Combinations.size()), w_->CombinationCount);
  auto first = [&](const std::string& user) {
    for (const std::string& line : w_->CombinationIndex)
      if (line.rfind(user + "=", 0) == 0) return std::stoi(line.substr(user.size() + 1));
    return -1;
  };
  const int bank = first("110"), sales = first("400"), cash = first("100");
  ASSERT_GE(bank, 0);
  ASSERT_GE(sales, 0);
  ASSERT_GE(cash, 0);
  EXPECT_EQ(w_->Combinations[bank].HasHojo, 1);
  EXPECT_EQ(w_->Combinations[bank].HasBumon, 0);
  EXPECT_EQ(w_->Combinations[sales].HasBumon, 1);
  EXPECT_EQ(w_->Combinations[cash].HasHojo, 0);
  EXPECT_EQ(w_->Combinations[cash].Kmk.KNAME, "現金");

  w_->OwnTransaction = 1;
  EXPECT_TRUE(w_->GetKamokuArray("ZZ"));
  EXPECT_EQ(w_->CombinationCount, 0);
  EXPECT_TRUE(w_->CombinationIndex.empty());
  EXPECT_FALSE(DM->IBTransactionDAT.Active());
}
