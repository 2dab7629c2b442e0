// The database layer on embedded databases created in a temporary folder.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <limits>
#include <memory>
#include <stdexcept>

#include "platform/Currency.h"
#include "platform/DateTime.h"
#include "platform/Encoding.h"
#include "platform/db/IBDatabase.h"
#include "platform/db/IBQuery.h"
#include "platform/db/IBSQL.h"
#include "platform/db/IBScript.h"
#include "platform/db/IBStoredProc.h"
#include "platform/db/SqlText.h"
#include "platform/db/TransactionScope.h"
#include "fixtures/FixtureDb.h"
#include "support/ScratchDb.h"
#include "support/TempDir.h"

namespace {

const std::vector<std::string> kParams = fixtures::DbParams();

class DbTest : public ::testing::Test, public ScratchDb {
 protected:
  int64_t Count(const std::string& table) {
    bool started = !tr.InTransaction();
    if (started) tr.StartTransaction();
    TIBSQL q;
    q.SetDatabase(&db);
    q.SQL = "SELECT COUNT(*) FROM " + table;
    q.ExecQuery();
    int64_t n = q.Fields(0).AsInt64();
    q.Close();
    if (started) tr.Commit();
    return n;
  }
  // A statement in whatever transaction `tr` has running.
  void Run(const std::string& sql) {
    TIBSQL q;
    q.SetDatabase(&db);
    q.SQL = sql;
    q.ExecQuery();
  }
};

TEST_F(DbTest, JapaneseTextRoundTripsThroughSjis0208Columns) {
  Script("CREATE TABLE T (ID INTEGER, A VARCHAR(40), C CHAR(10));");
  const std::vector<std::string> texts = {"漢字ひらがなカタカナ", "ｶﾞｷﾞｸﾞﾊﾟﾝｺｰﾅｰ", "H 26/04/01 ～ H 27/03/31",
                                          "－１２３", "〒・＄ABC", ""};
  tr.StartTransaction();
  TIBSQL ins;
  ins.SetDatabase(&db);
  ins.SQL = "INSERT INTO T (ID, A, C) VALUES (:ID, :A, :C)";
  for (size_t i = 0; i < texts.size(); ++i) {
    ins.ParamByName("ID").SetInteger(static_cast<int>(i));
    ins.ParamByName("A").SetString(texts[i]);
    ins.ParamByName("C").SetString(sjis::CutToBytes(texts[i], 10));
    ins.ExecQuery();
  }
  tr.Commit();

  tr.StartTransaction();
  TIBQuery q;
  q.SetDatabase(&db);
  q.SQL = "SELECT ID, A, C, OCTET_LENGTH(A) AS BYTES FROM T ORDER BY ID";
  q.Open();
  for (size_t i = 0; i < texts.size(); ++i, q.Next()) {
    ASSERT_FALSE(q.Eof());
    SCOPED_TRACE(texts[i]);
    EXPECT_EQ(q.FieldByName("A").AsString(), texts[i]);
    // CHAR comes back without the blanks that pad it to its byte length.
    EXPECT_EQ(q.FieldByName("C").AsString(), sjis::CutToBytes(texts[i], 10));
    // Stored as CP932 bytes: a half-width kana takes one byte, a kanji two.
    EXPECT_EQ(q.FieldByName("bytes").AsInt64(), static_cast<int64_t>(sjis::ByteLength(texts[i])));
  }
  EXPECT_TRUE(q.Eof());
  q.Close();

  // Literals in the statement text go through the same conversion as parameters.
  TIBSQL lit;
  lit.SetDatabase(&db);
  lit.SQL = "SELECT ID FROM T WHERE A = 'H 26/04/01 ～ H 27/03/31' AND C LIKE 'H 26%'";
  lit.ExecQuery();
  EXPECT_EQ(lit.FieldByName("ID").AsInteger(), 2);
  tr.Commit();
}

TEST_F(DbTest, CharactersSjis0208CannotHoldRaiseInsteadOfBeingReplaced) {
  Script("CREATE TABLE T (A VARCHAR(20), B BLOB SUB_TYPE TEXT);");
  // ① and 髙 are CP932 but not SJIS_0208; the emoji is not even CP932.
  for (const char* bad : {"株①", "髙橋", "a\xF0\x9F\x98\x80"}) {
    SCOPED_TRACE(bad);
    tr.StartTransaction();
    TIBSQL ins;
    ins.SetDatabase(&db);
    ins.SQL = "INSERT INTO T (A) VALUES (:A)";
    ins.ParamByName("A").SetString(bad);
    try {
      ins.ExecQuery();
      FAIL() << "no error";
    } catch (const EIBError& e) {
      EXPECT_EQ(e.IBErrorCode, 335544565);
      EXPECT_NE(e.Message.find("Cannot transliterate character between character sets"), std::string::npos);
      EXPECT_NE(e.SQLCode, 0);
    }
    ins.SQL = "INSERT INTO T (B) VALUES (:B)";
    ins.ParamByName("B").SetString(bad);
    EXPECT_THROW(ins.ExecQuery(), EIBError);
    ins.SQL = std::string("INSERT INTO T (A) VALUES ('") + bad + "')";
    EXPECT_THROW(ins.ExecQuery(), EIBError);
    tr.Commit();
  }
  EXPECT_EQ(Count("T"), 0);
}

TEST_F(DbTest, AmountsRoundTripExactly) {
  Script(
      "CREATE TABLE M (ID INTEGER, N NUMERIC(18,4), N2 NUMERIC(15,2), N6 NUMERIC(18,6), I INTEGER, D DOUBLE PRECISION);");
  const int64_t kMax = std::numeric_limits<int64_t>::max();
  const int64_t kMin = std::numeric_limits<int64_t>::min();
  const std::vector<int64_t> raws = {kMax, kMin, 1, -1, 0, 123456789012345678, 950000};
  tr.StartTransaction();
  TIBSQL q;
  q.SetDatabase(&db);
  q.SQL = "INSERT INTO M (ID, N) VALUES (:ID, :N)";
  for (size_t i = 0; i < raws.size(); ++i) {
    q.ParamByName("ID").SetInteger(static_cast<int>(i));
    q.ParamByName("N").SetCurrency(Currency::FromRaw(raws[i]));
    q.ExecQuery();
  }
  q.SQL = "SELECT N FROM M ORDER BY ID";
  q.ExecQuery();
  for (int64_t raw : raws) {
    ASSERT_FALSE(q.Eof());
    EXPECT_EQ(q.Fields(0).AsCurrency().Raw(), raw);
    q.Next();
  }
  q.Close();
  q.SQL = "SELECT N FROM M WHERE N = 0.0001";
  q.ExecQuery();
  EXPECT_EQ(q.Fields(0).AsString(), "0.0001");
  EXPECT_DOUBLE_EQ(q.Fields(0).AsDouble(), 0.0001);
  q.Close();

  // Other scales convert exactly to 1/10000, a finer one rounds half away from zero.
  q.SQL = "INSERT INTO M (ID, N2, N6, I, D) VALUES (100, 12.34, 0.00005, 7, 0.5)";
  q.ExecQuery();
  q.SQL = "INSERT INTO M (ID, N2, N6, I, D) VALUES (101, -12.34, -0.00005, -7, NULL)";
  q.ExecQuery();
  q.SQL = "SELECT N2, N6, I, D, N FROM M WHERE ID >= 100 ORDER BY ID";
  q.ExecQuery();
  EXPECT_EQ(q.FieldByName("N2").AsCurrency().Raw(), 123400);
  EXPECT_EQ(q.FieldByName("N6").AsCurrency().Raw(), 1);
  EXPECT_EQ(q.FieldByName("I").AsCurrency().Raw(), 70000);
  EXPECT_EQ(q.FieldByName("D").AsCurrency().Raw(), 5000);
  EXPECT_EQ(q.FieldByName("N2").AsInteger(), 12);  // cut toward zero
  EXPECT_EQ(q.FieldByName("N2").AsString(), "12.34");
  q.Next();
  EXPECT_EQ(q.FieldByName("N2").AsCurrency().Raw(), -123400);
  EXPECT_EQ(q.FieldByName("N6").AsCurrency().Raw(), -1);
  EXPECT_EQ(q.FieldByName("N2").AsInteger(), -12);
  EXPECT_TRUE(q.FieldByName("D").IsNull());
  EXPECT_TRUE(q.FieldByName("N").IsNull());
  EXPECT_EQ(q.FieldByName("N").AsCurrency().Raw(), 0);
  tr.Commit();
}

TEST_F(DbTest, DatesConvertAtOnePointAndNullIsTheZeroDate) {
  Script("CREATE TABLE D (ID INTEGER, DT DATE, TS TIMESTAMP);");
  const TDateTime day = EncodeDate(2014, 4, 1);
  const TDateTime stamp = EncodeDate(2014, 3, 31) + EncodeTime(23, 59, 58, 789);
  const TDateTime old = -1.25;  // 1899-12-29 06:00: before the zero date the time counts backwards
  tr.StartTransaction();
  TIBSQL q;
  q.SetDatabase(&db);
  q.SQL = "INSERT INTO D (ID, DT, TS) VALUES (:ID, :DT, :TS)";
  q.ParamByName("ID").SetInteger(1);
  q.ParamByName("DT").SetDate(day + 0.75);  // the time of day is dropped
  q.ParamByName("TS").SetDateTime(stamp);
  q.ExecQuery();
  q.ParamByName("ID").SetInteger(2);
  q.ParamByName("DT").SetNull();
  q.ParamByName("TS").SetDateTime(old);
  q.ExecQuery();
  q.ParamByName("ID").SetInteger(3);
  q.ParamByName("DT").SetDate(0);  // the zero date is written, not NULL
  q.ParamByName("TS").SetNull();
  q.ExecQuery();

  // The engine agrees on the calendar.
  q.SQL = "SELECT ID FROM D WHERE DT = DATE '2014-04-01' AND TS = TIMESTAMP '2014-03-31 23:59:58.789'";
  q.ExecQuery();
  ASSERT_FALSE(q.Eof());
  EXPECT_EQ(q.Fields(0).AsInteger(), 1);
  q.SQL = "SELECT COUNT(*) FROM D WHERE DT = DATE '1899-12-30'";
  q.ExecQuery();
  EXPECT_EQ(q.Fields(0).AsInteger(), 1);

  q.SQL = "SELECT DT, TS FROM D ORDER BY ID";
  q.ExecQuery();
  EXPECT_EQ(q.FieldByName("DT").AsDateTime(), day);
  EXPECT_NEAR(q.FieldByName("TS").AsDateTime(), stamp, 1e-9);
  EXPECT_EQ(q.FieldByName("DT").AsString(), "2014/04/01");
  q.Next();
  EXPECT_TRUE(q.FieldByName("DT").IsNull());
  EXPECT_EQ(q.FieldByName("DT").AsDateTime(), 0);
  EXPECT_NEAR(q.FieldByName("TS").AsDateTime(), old, 1e-9);
  q.Next();
  EXPECT_FALSE(q.FieldByName("DT").IsNull());
  EXPECT_EQ(q.FieldByName("DT").AsDateTime(), 0);
  EXPECT_EQ(q.FieldByName("TS").AsDateTime(), 0);
  tr.Commit();
}

TEST(DbParams, NamesAreFoundOutsideLiteralsAndComments) {
  struct Case {
    const char* sql;
    const char* text;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"UPDATE S SET OPCODE=:OPCODE WHERE OPCODE=:opcode AND X=:Other",
       "UPDATE S SET OPCODE=? WHERE OPCODE=? AND X=?", {"OPCODE", "OPCODE", "OTHER"}},
      {"SELECT 'a:b', \"c:d\" FROM T WHERE A=:A -- :not\n/* :nor */ AND B='it''s :x'",
       "SELECT 'a:b', \"c:d\" FROM T WHERE A=? -- :not\n/* :nor */ AND B='it''s :x'", {"A"}},
      {"SELECT * FROM P(:Table_NAME, :\"Mixed\", ?)", "SELECT * FROM P(?, ?, ?)", {"TABLE_NAME", "Mixed", ""}},
      {"SELECT CAST(:D AS DATE), 10:30 FROM T", "SELECT CAST(? AS DATE), 10:30 FROM T", {"D"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    ibdb::ParsedSql p = ibdb::ParseParams(c.sql);
    EXPECT_EQ(p.text, c.text);
    EXPECT_EQ(p.names, c.names);
  }
}

TEST(DbParams, QuotedPiecesAndCommentsAreSkippedWhole) {
  using ibdb::SqlPiece;
  struct Case {
    const char* sql;
    size_t at;
    SqlPiece piece;
    size_t end;
  };
  const Case cases[] = {
      {"A='it''s' B", 2, SqlPiece::Quoted, 9},
      {"\"a \"\"b\"\"\" ", 0, SqlPiece::Quoted, 9},
      {"X 'never closed", 2, SqlPiece::Quoted, 15},
      {"-- note\nNEXT", 0, SqlPiece::LineComment, 7},  // the line break is not part of it
      {"A -- to the end", 2, SqlPiece::LineComment, 15},
      {"/* a\n*/B", 0, SqlPiece::BlockComment, 7},
      {"/* never closed", 0, SqlPiece::BlockComment, 15},
      {"A-B/C", 1, SqlPiece::None, 1},
      {"A-B/C", 3, SqlPiece::None, 3},
      {"A", 1, SqlPiece::None, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    const ibdb::SqlSkip skip = ibdb::SkipQuotedOrComment(c.sql, c.at);
    EXPECT_EQ(skip.piece, c.piece);
    EXPECT_EQ(skip.end, c.end);
  }
}

TEST_F(DbTest, ARepeatedParameterBindsEveryOccurrence) {
  Script(
      "CREATE TABLE S (OPCODE INTEGER, NAME VARCHAR(20));"
      "INSERT INTO S VALUES (10001, 'a');"
      "INSERT INTO S VALUES (10002, 'b');");
  tr.StartTransaction();
  TIBSQL q;
  q.SetDatabase(&db);
  q.SQL = "UPDATE S SET OPCODE=:OPCODE + 100, NAME=:Name WHERE OPCODE=:opcode AND NAME<>':opcode'";
  EXPECT_EQ(q.ParamCount(), 2);
  q.ParamByName("opCode").SetInteger(10002);
  q.ParamByName("NAME").SetString("変更");
  q.ExecQuery();
  EXPECT_EQ(q.RowsAffected(), 1);
  q.SQL = "SELECT OPCODE, NAME FROM S ORDER BY OPCODE";
  q.ExecQuery();
  EXPECT_EQ(q.FieldByName("OPCODE").AsInteger(), 10001);
  q.Next();
  EXPECT_EQ(q.FieldByName("opcode").AsInteger(), 10102);
  EXPECT_EQ(q.FieldByName("Name").AsString(), "変更");
  // A name used both where the engine describes no type and as a column value.
  q.SQL = "SELECT COUNT(*) FROM S WHERE :N IS NULL OR NAME = :N";
  q.ParamByName("N").SetNull();
  q.ExecQuery();
  EXPECT_EQ(q.Fields(0).AsInteger(), 2);
  q.ParamByName("N").SetString("変更");
  q.ExecQuery();
  EXPECT_EQ(q.Fields(0).AsInteger(), 1);
  // Unknown names raise, naming what was asked for.
  try {
    q.FieldByName("MISSING");
    FAIL();
  } catch (const EIBError& e) {
    EXPECT_NE(e.Message.find("MISSING"), std::string::npos);
  }
  EXPECT_THROW(q.ParamByName("NOPE"), EIBError);
  tr.Commit();
}

TEST_F(DbTest, BlobsKeepTextAndBytes) {
  Script("CREATE TABLE B (ID INTEGER, MEMO BLOB SUB_TYPE TEXT, PIC BLOB SUB_TYPE BINARY);");
  std::string memo;
  for (int i = 0; i < 6000; ++i) memo += "摘要ﾃｷﾖｳ行" + std::to_string(i) + "\r\n";  // beyond one segment
  std::string bytes;
  for (int i = 0; i < 70000; ++i) bytes += static_cast<char>(i * 7 % 256);
  tr.StartTransaction();
  TIBSQL q;
  q.SetDatabase(&db);
  q.SQL = "INSERT INTO B (ID, MEMO, PIC) VALUES (:ID, :MEMO, :PIC)";
  q.ParamByName("ID").SetInteger(1);
  q.ParamByName("MEMO").SetString(memo);
  q.ParamByName("PIC").SetBlob(bytes);
  q.ExecQuery();
  q.ParamByName("ID").SetInteger(2);
  q.ParamByName("MEMO").SetNull();
  q.ParamByName("PIC").SetNull();
  q.ExecQuery();
  tr.Commit();

  tr.StartTransaction();
  TIBQuery r;
  r.SetDatabase(&db);
  r.SQL = "SELECT MEMO, PIC, OCTET_LENGTH(MEMO) FROM B ORDER BY ID";
  r.Open();
  EXPECT_EQ(r.FieldByName("MEMO").AsString(), memo);
  EXPECT_EQ(r.FieldByName("MEMO").AsBlob(), sjis::FromUtf8(memo));  // CP932 in the database
  EXPECT_EQ(r.Fields(2).AsInt64(), static_cast<int64_t>(sjis::ByteLength(memo)));
  EXPECT_EQ(r.FieldByName("PIC").AsBlob(), bytes);
  r.Next();
  EXPECT_TRUE(r.FieldByName("MEMO").IsNull());
  EXPECT_EQ(r.FieldByName("PIC").AsBlob(), "");
  tr.Commit();
}

TEST_F(DbTest, ErrorsCarryTheEngineCodes) {
  tr.StartTransaction();
  TIBSQL q;
  q.SetDatabase(&db);
  q.SQL = "SELECT * FROM NO_SUCH_TABLE";
  try {
    q.ExecQuery();
    FAIL();
  } catch (const EIBError& e) {
    EXPECT_EQ(e.IBErrorCode, 335544569);  // dynamic SQL error
    EXPECT_EQ(e.SQLCode, -204);
    EXPECT_NE(e.Message.find("Table unknown"), std::string::npos);
    EXPECT_NE(e.Message.find("NO_SUCH_TABLE"), std::string::npos);
  }
  tr.Commit();

  // Statements never start a transaction on their own.
  q.SQL = "SELECT 1 FROM RDB$DATABASE";
  try {
    q.ExecQuery();
    FAIL();
  } catch (const EIBError& e) {
    EXPECT_EQ(e.IBErrorCode, 0);
    EXPECT_NE(e.Message.find("not active"), std::string::npos);
  }

  TIBDatabase missing;
  missing.DatabaseName = (tmp.Path() / "nowhere" / "qvacc.fdb").string();
  missing.Params = kParams;
  try {
    missing.Open();
    FAIL();
  } catch (const EIBError& e) {
    EXPECT_EQ(e.IBErrorCode, 335544344);  // I/O error
    EXPECT_NE(e.Message.find("qvacc.fdb"), std::string::npos);
  }
  EXPECT_FALSE(missing.Connected());

  TIBDatabase notADatabase;
  notADatabase.DatabaseName = tmp.Write("junk.fdb", std::string(20000, 'x'));
  notADatabase.Params = kParams;
  EXPECT_THROW(notADatabase.Open(), EIBError);
  EXPECT_FALSE(notADatabase.Connected());

  TIBDatabase badParams;
  badParams.DatabaseName = db.DatabaseName;
  badParams.Params = {"user_nam=GKFMCB"};
  EXPECT_THROW(badParams.Open(), EIBError);
}

TEST_F(DbTest, TransactionsCommitRollBackAndIsolate) {
  Script("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, V INTEGER);");
  Exec("INSERT INTO T VALUES (1, 10)");
  tr.StartTransaction();
  TIBSQL q;
  q.SetDatabase(&db);
  q.SQL = "INSERT INTO T VALUES (2, 20)";
  q.ExecQuery();
  tr.Rollback();
  EXPECT_EQ(Count("T"), 1);

  // A second connection: a snapshot does not see what is committed after it started, a
  // read-committed transaction does.
  TIBDatabase other;
  other.DatabaseName = db.DatabaseName;
  other.Params = kParams;
  other.Open();
  TIBTransaction snapshot, committed;
  snapshot.SetDefaultDatabase(&other);
  snapshot.Params = {"concurrency", "nowait"};
  committed.SetDefaultDatabase(&other);
  committed.Params = {"read_committed", "rec_version", "nowait"};
  snapshot.StartTransaction();
  committed.StartTransaction();
  TIBSQL s;
  s.SetDatabase(&other);
  s.SetTransaction(&snapshot);
  s.SQL = "SELECT COUNT(*) FROM T";
  s.ExecQuery();
  EXPECT_EQ(s.Fields(0).AsInteger(), 1);
  Exec("INSERT INTO T VALUES (3, 30)");
  s.ExecQuery();
  EXPECT_EQ(s.Fields(0).AsInteger(), 1);
  s.SetTransaction(&committed);
  s.ExecQuery();
  EXPECT_EQ(s.Fields(0).AsInteger(), 2);

  // nowait: a row locked by an uncommitted update is a conflict at once.
  s.SQL = "UPDATE T SET V = V + 1 WHERE ID = 1";
  s.ExecQuery();
  tr.StartTransaction();
  q.SQL = "UPDATE T SET V = 0 WHERE ID = 1";
  try {
    q.ExecQuery();
    FAIL();
  } catch (const EIBError& e) {
    EXPECT_EQ(e.IBErrorCode, 335544336);  // deadlock: update conflicts with concurrent update
    EXPECT_NE(e.Message.find("update conflicts"), std::string::npos) << e.Message;
  }
  tr.Rollback();
  committed.Commit();
  snapshot.Commit();

  // Closing a connection rolls back what nobody committed.
  committed.StartTransaction();
  s.SQL = "DELETE FROM T";
  s.ExecQuery();
  EXPECT_EQ(s.RowsAffected(), 2);
  other.Close();
  EXPECT_FALSE(committed.InTransaction());
  EXPECT_EQ(Count("T"), 2);
}

TEST_F(DbTest, TransactionScopeEndsOnlyWhatItStarted) {
  Script("CREATE TABLE T (ID INTEGER);");
  using End = TTransactionScope::End;
  struct Case {
    End end;
    bool raise;  // an exception leaves the scope
    bool kept;   // the scope's row is committed (when the scope started the transaction)
  };
  const Case cases[] = {
      {End::CommitOrRollback, false, true}, {End::CommitOrRollback, true, false},
      {End::Commit, false, true},           {End::Commit, true, true},
      {End::CommitQuietly, false, true},    {End::CommitQuietly, true, true},
  };
  for (const Case& c : cases) {
    for (const bool outer : {false, true}) {
      SCOPED_TRACE(testing::Message() << "end " << static_cast<int>(c.end) << (c.raise ? " raising" : "")
                                      << (outer ? " in the caller's transaction" : ""));
      Exec("DELETE FROM T");
      if (outer) tr.StartTransaction();
      try {
        TTransactionScope scope(tr, c.end);
        EXPECT_EQ(scope.Started(), !outer);
        Run("INSERT INTO T VALUES (1)");
        if (c.raise) throw std::runtime_error("inside");
      } catch (const std::runtime_error&) {
      }
      if (outer) {
        // The caller's transaction runs on with the scope's work in it, neither rolled back
        // nor committed.
        ASSERT_TRUE(tr.InTransaction());
        EXPECT_EQ(Count("T"), 1);
        tr.Rollback();
        EXPECT_EQ(Count("T"), 0);
      } else {
        EXPECT_FALSE(tr.InTransaction());
        EXPECT_EQ(Count("T"), c.kept ? 1 : 0);
      }
    }
  }
}

TEST_F(DbTest, TransactionScopeAfreshCommitsTheRunningTransactionAndOwnsTheNewOne) {
  Script("CREATE TABLE T (ID INTEGER);");
  tr.StartTransaction();
  Run("INSERT INTO T VALUES (1)");
  try {
    TTransactionScope scope(tr, TTransactionScope::End::CommitOrRollback, TTransactionScope::Begin::Afresh);
    EXPECT_TRUE(scope.Started());
    Run("INSERT INTO T VALUES (2)");
    throw std::runtime_error("inside");
  } catch (const std::runtime_error&) {
  }
  EXPECT_FALSE(tr.InTransaction());
  EXPECT_EQ(Count("T"), 1);  // the earlier transaction's row only
}

TEST_F(DbTest, TransactionScopeReportsAFailedCommitUnlessQuiet) {
  // Metadata work is done at commit: dropping a table that another connection has a cursor
  // open on fails there, not at the statement.
  using End = TTransactionScope::End;
  for (const End end : {End::CommitOrRollback, End::Commit, End::CommitQuietly}) {
    SCOPED_TRACE(static_cast<int>(end));
    Script("CREATE TABLE T (ID INTEGER); INSERT INTO T VALUES (1);");
    TIBDatabase other;
    other.DatabaseName = db.DatabaseName;
    other.Params = kParams;
    other.Open();
    TIBTransaction reader;
    reader.SetDefaultDatabase(&other);
    reader.StartTransaction();
    TIBSQL cursor;
    cursor.SetDatabase(&other);
    cursor.SetTransaction(&reader);
    cursor.SQL = "SELECT ID FROM T";
    cursor.ExecQuery();

    bool raised = false;
    try {
      TTransactionScope scope(tr, end);
      Run("DROP TABLE T");
    } catch (const EIBError&) {
      raised = true;
    }
    EXPECT_EQ(raised, end != End::CommitQuietly);
    EXPECT_FALSE(tr.InTransaction()) << "nothing stays open after the failed commit";
    cursor.Close();
    reader.Commit();
    other.Close();
    EXPECT_EQ(Count("T"), 1);  // the table is still there
    Script("DROP TABLE T;");
  }
}

TEST_F(DbTest, CommitEndsOpenCursorsAndRetainingKeepsThem) {
  Script("CREATE TABLE T (ID INTEGER); INSERT INTO T VALUES (1); INSERT INTO T VALUES (2); INSERT INTO T VALUES (3);");
  tr.StartTransaction();
  TIBSQL q;
  q.SetDatabase(&db);
  q.SQL = "SELECT ID FROM T ORDER BY ID";
  q.ExecQuery();
  tr.CommitRetaining();
  q.Next();
  EXPECT_EQ(q.Fields(0).AsInteger(), 2);
  tr.Commit();
  EXPECT_TRUE(q.Eof());
  EXPECT_FALSE(q.Open());
}

TEST_F(DbTest, QueryWalksRowsAndCountsThem) {
  Script("CREATE TABLE T (ID INTEGER); INSERT INTO T VALUES (1); INSERT INTO T VALUES (2); INSERT INTO T VALUES (3);");
  tr.StartTransaction();
  TIBQuery q;
  q.SetDatabase(&db);
  q.SQL = "SELECT ID FROM T WHERE ID >= :FROM ORDER BY ID";
  q.ParamByName("FROM").SetInteger(2);
  q.Open();
  EXPECT_TRUE(q.Active());
  EXPECT_EQ(q.RecordCount(), 2);
  EXPECT_EQ(q.FieldByName("ID").AsInteger(), 2);  // the position is kept
  q.Next();
  EXPECT_EQ(q.FieldByName("ID").AsInteger(), 3);
  q.Next();
  EXPECT_TRUE(q.Eof());
  q.Close();
  EXPECT_FALSE(q.Active());

  q.ParamByName("FROM").SetInteger(9);
  q.Open();
  EXPECT_TRUE(q.Eof());
  EXPECT_EQ(q.RecordCount(), 0);
  q.Close();

  q.SQL = "DELETE FROM T";
  EXPECT_THROW(q.Open(), EIBError);  // a DELETE returns no rows, and is not run by Open
  q.SQL = "DELETE FROM T WHERE ID = 1";
  q.ExecSQL();
  EXPECT_EQ(q.RowsAffected(), 1);
  tr.Commit();
  EXPECT_EQ(Count("T"), 2);
}

// Rows are decoded into the same fields one after another: nothing of a row may show in the
// next (a longer text's tail, a value where the next row has NULL, a number's scale).
TEST_F(DbTest, EachRowReadsAsItselfWhateverTheRowBefore) {
  Script(
      "CREATE TABLE R (ID INTEGER, T VARCHAR(20), C CHAR(6), A NUMERIC(18,4), D DATE);"
      "INSERT INTO R VALUES (1, '長い長いテキスト', 'AB', 12.5, '2016-04-01');"
      "INSERT INTO R VALUES (2, 'x', NULL, NULL, NULL);"
      "INSERT INTO R VALUES (3, NULL, 'ｶﾅ', -0.0001, '1899-12-30');"
      "INSERT INTO R VALUES (4, '', '', 0, '2017-03-31');");
  struct Row {
    const char* t;
    bool tNull;
    const char* c;
    bool cNull;
    int64_t amountRaw;
    bool aNull;
    TDateTime d;
  };
  const Row want[] = {
      {"長い長いテキスト", false, "AB", false, 125'000, false, EncodeDate(2016, 4, 1)},
      {"x", false, "", true, 0, true, 0},
      {"", true, "ｶﾅ", false, -1, false, 0},
      {"", false, "", false, 0, false, EncodeDate(2017, 3, 31)},
  };
  auto check = [&](TIBStatement& q, int id) {
    const Row& w = want[id - 1];
    EXPECT_EQ(q.FieldByName("ID").AsInteger(), id);
    EXPECT_EQ(q.FieldByName("T").AsString(), w.t) << id;
    EXPECT_EQ(q.FieldByName("T").IsNull(), w.tNull) << id;
    EXPECT_EQ(q.FieldByName("C").AsString(), w.c) << id;
    EXPECT_EQ(q.FieldByName("C").IsNull(), w.cNull) << id;
    EXPECT_EQ(q.FieldByName("A").AsCurrency().Raw(), w.amountRaw) << id;
    EXPECT_EQ(q.FieldByName("A").IsNull(), w.aNull) << id;
    EXPECT_EQ(q.FieldByName("D").AsDateTime(), w.d) << id;
  };
  tr.StartTransaction();
  TIBSQL sql;
  sql.SetDatabase(&db);
  sql.SQL = "SELECT ID, T, C, A, D FROM R ORDER BY ID";
  int id = 0;
  for (sql.ExecQuery(); !sql.Eof(); sql.Next()) check(sql, ++id);
  EXPECT_EQ(id, 4);
  EXPECT_TRUE(sql.FieldByName("T").IsNull());  // past the end every field reads as NULL

  // The same statement object with other columns: the layout is the new statement's.
  sql.SQL = "SELECT D, ID FROM R WHERE ID = 3";
  sql.ExecQuery();
  EXPECT_EQ(sql.FieldCount(), 2);
  EXPECT_EQ(sql.Fields(1).AsInteger(), 3);
  EXPECT_EQ(sql.Fields(0).AsDateTime(), 0);
  sql.Close();

  // A query that counted ahead hands out the rows it keeps, then fetches the rest.
  TIBQuery q;
  q.SetDatabase(&db);
  q.SQL = "SELECT ID, T, C, A, D FROM R WHERE ID <= :LAST ORDER BY ID";
  q.ParamByName("LAST").SetInteger(2);
  q.Open();
  check(q, 1);
  EXPECT_EQ(q.RecordCount(), 2);
  q.Next();
  check(q, 2);
  q.Close();
  q.ParamByName("LAST").SetInteger(4);
  id = 0;
  for (q.Open(); !q.Eof(); q.Next()) check(q, ++id);
  EXPECT_EQ(id, 4);
  q.Close();
  tr.Commit();
}

TEST_F(DbTest, StoredProceduresTakeAndReturnParametersByName) {
  Script(R"(
    SET TERM ^ ;
    CREATE PROCEDURE ADDUP (A INTEGER, B NUMERIC(18,4), NAME VARCHAR(20))
      RETURNS (TOTAL NUMERIC(18,4), LABEL VARCHAR(40))
    AS
    BEGIN
      TOTAL = COALESCE(:A, 0) + :B;  -- a ';' inside the body
      LABEL = 'name:' || COALESCE(:NAME, '(null)');
    END^
    CREATE PROCEDURE COUNTDOWN (N INTEGER) RETURNS (I INTEGER)
    AS
    BEGIN
      I = N;
      WHILE (I > 0) DO BEGIN SUSPEND; I = I - 1; END
    END^
    SET TERM ; ^
  )");
  tr.StartTransaction();
  TIBStoredProc sp;
  sp.SetDatabase(&db);
  sp.StoredProcName = "ADDUP";
  sp.ParamByName("a").SetInteger(2);
  sp.ParamByName("B").SetCurrency(Currency::FromRaw(5));
  sp.ExecProc();
  EXPECT_EQ(sp.ParamByName("TOTAL").AsCurrency().Raw(), 20005);
  EXPECT_EQ(sp.ParamByName("LABEL").AsString(), "name:(null)");  // inputs not set are NULL
  sp.ParamByName("NAME").SetString("山田");
  sp.ExecProc();
  EXPECT_EQ(sp.ParamByName("LABEL").AsString(), "name:山田");
  sp.ParamByName("TYPO").SetInteger(1);
  EXPECT_THROW(sp.ExecProc(), EIBError);

  TIBQuery q;
  q.SetDatabase(&db);
  q.SQL = "SELECT I FROM COUNTDOWN(:N)";
  q.ParamByName("N").SetInteger(3);
  q.Open();
  EXPECT_EQ(q.RecordCount(), 3);
  tr.Commit();
}

TEST(DbScript, SplitsOnTheCurrentTerminator) {
  std::vector<TScriptStatement> s = SplitSqlScript(
      "-- heading; not a statement\n"
      "CREATE TABLE A (X VARCHAR(5) DEFAULT ';');\n"
      "/* ; */ INSERT INTO A VALUES ('a;b');\n"
      "SET TERM !! ;\n"
      "CREATE PROCEDURE P AS BEGIN EXIT; END!!\n"
      "SET TERM ; !!\n"
      "COMMIT;");
  ASSERT_EQ(s.size(), 4u);
  EXPECT_EQ(s[0].text, "CREATE TABLE A (X VARCHAR(5) DEFAULT ';')");
  EXPECT_EQ(s[0].line, 2);
  EXPECT_EQ(s[1].text, "INSERT INTO A VALUES ('a;b')");
  EXPECT_EQ(s[1].line, 3);
  EXPECT_EQ(s[2].text, "CREATE PROCEDURE P AS BEGIN EXIT; END");
  EXPECT_EQ(s[2].line, 5);
  EXPECT_EQ(s[3].text, "COMMIT");
}

TEST_F(DbTest, AFailingScriptKeepsCommittedDdlAndNamesTheLine) {
  try {
    Script(
        "CREATE TABLE A (X INTEGER);\n"
        "INSERT INTO A VALUES (1);\n"
        "INSERT INTO MISSING VALUES (2);\n");
    FAIL();
  } catch (const EIBError& e) {
    EXPECT_EQ(e.SQLCode, -204);
    EXPECT_NE(e.Message.find("line 3"), std::string::npos);
  }
  EXPECT_EQ(Count("A"), 0);  // the table exists, the uncommitted row is gone
}

TEST_F(DbTest, ForceCloseAndDropLeaveNoConnection) {
  TIBDatabase second;
  second.DatabaseName = db.DatabaseName;
  second.Params = kParams;
  second.Open();
  TIBTransaction t2;
  t2.SetDefaultDatabase(&second);
  t2.StartTransaction();
  TIBSQL q;
  q.SetDatabase(&second);
  q.SetTransaction(&t2);
  q.SQL = "SELECT 1 FROM RDB$DATABASE";
  q.ExecQuery();
  second.ForceClose();
  EXPECT_FALSE(second.Connected());
  EXPECT_FALSE(t2.InTransaction());
  second.ForceClose();  // harmless twice
  second.Open();        // and the object can connect again
  EXPECT_TRUE(second.Connected());
  second.Close();

  db.DropDatabase();
  EXPECT_FALSE(db.Connected());
  EXPECT_FALSE(std::filesystem::exists(db.DatabaseName));
}

TEST_F(DbTest, ObjectsMayBeDestroyedInAnyOrder) {
  // A statement with an open cursor outlives its transaction and its connection.
  auto other = std::make_unique<TIBDatabase>();
  other->DatabaseName = db.DatabaseName;
  other->Params = kParams;
  other->Open();
  auto t = std::make_unique<TIBTransaction>();
  t->SetDefaultDatabase(other.get());
  other->DefaultTransaction = t.get();
  t->StartTransaction();
  TIBQuery q;
  q.SetDatabase(other.get());
  q.SQL = "SELECT RDB$RELATION_NAME FROM RDB$RELATIONS";
  q.Open();
  EXPECT_FALSE(q.Eof());
  t.reset();
  EXPECT_EQ(other->DefaultTransaction, nullptr);
  EXPECT_FALSE(q.Active());
  EXPECT_THROW(q.Open(), EIBError);  // no transaction any more
  other.reset();
  EXPECT_EQ(q.Database(), nullptr);
  EXPECT_THROW(q.Open(), EIBError);
}

}  // namespace
