// The two step lists and the version check: which steps a database of a given version still
// needs, read from a version text or from the database itself.
#include <gtest/gtest.h>

#include <string>

#include "support/ScratchDb.h"
#include "support/ScriptedUi.h"
#include "upgrade/z5DbUpdateList.h"

namespace {

TEST(UpgradeDialogSteps, PendingStepsOfAVersion) {
  const TDbUpdateLists lists = MakeDbUpdateLists("Tallix財務", 0);
  struct Case {
    int mode;              // 0 system list, 1 company list
    const char* text;
    const char* read;      // the version the text stands for
    const char* first;     // first pending step, "" for none
    int count;
    int backups;
  } cases[] = {
      {1, "10.0.0", "10.0.0", "", 0, 0},
      {1, "10.0.1", "10.0.1", "", 0, 0},
      {1, "9.0.5", "9.0.5", "10.0.0", 1, 1},
      {1, "0.0.0", "0.0.0", "0.1.1", 50, 46},
      {1, "", "0.0.0", "0.1.1", 50, 46},
      {1, "3.0", "0.0.0", "0.1.1", 50, 46},
      {1, "3.0.0.1", "0.0.0", "0.1.1", 50, 46},
      {1, "3.x.7", "3.0.7", "4.0.0", 22, 22},
      {1, "2.0.5", "2.0.5", "3.0.0", 28, 28},       // not a step's version: compared, not looked up
      {1, "0.1.5", "0.1.5", "0.2.0", 45, 41},
      {1, "0.9.9", "0.9.9", "1.0.0", 35, 35},       // the second number outweighs the third
      {0, "0.3.1", "0.3.1", "0.3.2", 14, 6},
      {0, "0.0.0", "0.0.0", "0.3.1", 15, 7},
      {0, "9.0.4", "9.0.4", "", 0, 0},
      {0, "8.0.3", "8.0.3", "9.0.4", 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.mode) + " " + c.text);
    TDbVersion v{7, 7, 7};
    DbVersionFromText(c.text, v);
    EXPECT_EQ(v.Text(), c.read);
    const TArrayDbUpdateListRec& list = c.mode == 0 ? lists.SystemList : lists.UserList;
    const TDbUpdatePending p = FindPendingSteps(list, v);
    EXPECT_EQ(p.NeedUpdate, c.count > 0);
    if (c.count == 0) {
      EXPECT_EQ(p.FirstIndex, -1);
      EXPECT_EQ(p.LastIndex, -1);
    } else {
      ASSERT_GE(p.FirstIndex, 0);
      EXPECT_EQ(list[static_cast<size_t>(p.FirstIndex)].Version().Text(), c.first);
      EXPECT_EQ(p.LastIndex, static_cast<int>(list.size()) - 1);
      EXPECT_EQ(p.LastIndex - p.FirstIndex + 1, c.count);
    }
    EXPECT_EQ(p.BackupCount, c.backups);
  }
}

TEST(UpgradeDialogSteps, ListsInOrderWithTheirTexts) {
  const TDbUpdateLists std = MakeDbUpdateLists("Tallix財務", 0);
  const TDbUpdateLists oem = MakeDbUpdateLists("会計王", 2);
  ASSERT_EQ(std.SystemList.size(), 15u);
  ASSERT_EQ(std.UserList.size(), 50u);
  for (const TArrayDbUpdateListRec* list : {&std.SystemList, &std.UserList}) {
    for (size_t i = 1; i < list->size(); ++i) EXPECT_LT((*list)[i - 1].Version(), (*list)[i].Version());
  }
  EXPECT_EQ(std.SystemList.front().Version().Text(), "0.3.1");
  EXPECT_EQ(std.SystemList.back().Version().Text(), "9.0.4");
  EXPECT_EQ(std.UserList.front().Version().Text(), "0.1.1");
  EXPECT_EQ(std.UserList.back().Version().Text(), "10.0.0");
  // Only these company steps take no backup.
  std::string noBackup;
  for (const TDbUpdateListRec& r : std.UserList) {
    if (r.Backup == 0) noBackup += r.Version().Text() + " ";
  }
  EXPECT_EQ(noBackup, "0.2.0 0.3.0 0.3.2 0.4.0 ");

  auto find = [](const TArrayDbUpdateListRec& list, const std::string& version) -> const TDbUpdateListRec& {
    for (const TDbUpdateListRec& r : list) {
      if (r.Version().Text() == version) return r;
    }
    throw std::runtime_error("no step " + version);
  };
  struct Case {
    const TArrayDbUpdateListRec* list;
    const char* version;
    const char* title;
    const char* memo;
  } cases[] = {
      {&std.SystemList, "7.0.0", "Tallix財務１５のデータ形式に変換", "１）Tallix財務１５のデータ形式に変換する。"},
      {&oem.SystemList, "7.0.0", "個別原価管理機能の追加", "１）個別原価管理機能を追加する。"},
      {&std.SystemList, "7.0.4", "消費税・特定課税仕入れ に対応", "１）特定課税仕入れの取引 に対応します。"},
      {&std.UserList, "0.2.1", "過年度残高の修復 ", "過年度残高を修復します。"},
      {&std.UserList, "0.1.1", "減価償却処理を追加　他",
       "1)減価償却処理用のテーブルを作成します。\r2)３期比較経営分析用のプロシジャーを作成します。"},
      {&oem.UserList, "4.0.0", "会計王１２のデータ形式に変換",
       "１）会計王１２のデータ形式に変換します。\r２）過年度残高集計処理を高速化します。"},
      {&std.UserList, "5.0.0", "Tallix財務１３のデータ形式に変換", "１）Tallix財務１３のデータ形式に変換します。\r"},
      {&std.UserList, "7.0.0", "Tallix財務１５のデータ形式に変換 他",
       "１）Tallix財務１５のデータ形式に変換します。\r２）「個人／農業」体系を新たに追加し、青色申告決算書（農業所得用）を作成します。"},
      {&oem.UserList, "7.0.0", "会計王１５のデータ形式に変換 他",
       "１）会計王１５のデータ形式に変換します。\r２）「個人／農業」体系を新たに追加し、青色申告決算書（農業所得用）を作成します。"
       "\r３）個別原価管理機能を新たに追加します。"},
      {&oem.UserList, "7.0.3", "消費税試算表の仕訳帳ジャンプ機能の仕様変更",
       "１）消費税試算表の仕訳帳ジャンプ機能の仕様を変更しました。\r"},
      {&oem.UserList, "8.0.2", "不具合修正", "１）不具合を修正（詳しくはＨＰで確認ください）"},
      {&oem.UserList, "8.0.0", "会計王１６のデータ形式に変換 他", "１）会計王１６のデータ形式に変換する。\r２）マイナンバー制度に対応する。"},
      {&oem.UserList, "10.0.0", "機能強化および不具合修正", "１）機能強化および不具合の修正（詳しくはＨＰで確認ください）"},
      {&std.UserList, "9.0.5", "中期予算作成の一括調整機能の不具合修正",
       "１）中期予算作成の実績調整の一括調整機能の不具合を修正しました。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    const TDbUpdateListRec& r = find(*c.list, c.version);
    EXPECT_EQ(r.Title, c.title);
    EXPECT_EQ(r.Memo, c.memo);
  }
}

TEST(UpgradeDialogSteps, ReadsTheHighestVersionRowOfTheDatabase) {
  ScriptedUi ui;
  ScopedUi useUi{ui};
  ScratchDb sys("qvaccdef.fdb");
  sys.Exec("CREATE TABLE VERSION (REC INTEGER NOT NULL, MAJOR INTEGER, MINOR1 INTEGER, MINOR2 INTEGER, "
           "MEMO VARCHAR(20))");
  ScratchDb co("qvacc.fdb");
  co.Exec("CREATE TABLE ACCVERSION (REC INTEGER NOT NULL, MAJOR INTEGER, MINOR1 INTEGER, MINOR2 INTEGER, "
          "MEMO VARCHAR(20))");
  TDbVersion v{7, 7, 7};

  // A system database before its first step has no version row: 0.0.0, and every step pends.
  EXPECT_EQ(ReadDbVersion(sys.db, 0, v), TDbVersionRead::NoRows);
  EXPECT_EQ(v.Text(), "0.0.0");

  // The highest row counts, whatever order the rows were written in.
  sys.Exec("INSERT INTO VERSION VALUES (1, 0, 3, 1, 'a')");
  sys.Exec("INSERT INTO VERSION VALUES (3, 3, 0, 0, 'c')");
  sys.Exec("INSERT INTO VERSION VALUES (2, 1, 0, 1, 'b')");
  sys.Exec("INSERT INTO VERSION VALUES (4, 0, 9, 9, 'd')");
  EXPECT_EQ(ReadDbVersion(sys.db, 0, v), TDbVersionRead::Read);
  EXPECT_EQ(v.Text(), "3.0.0");

  co.Exec("INSERT INTO ACCVERSION VALUES (1, 2, 0, 4, 'x')");
  EXPECT_EQ(ReadDbVersion(co.db, 1, v), TDbVersionRead::Read);
  EXPECT_EQ(v.Text(), "2.0.4");
  EXPECT_TRUE(ui.messages.empty());

  // A version that cannot be read is reported and is not taken for 0.0.0 by the caller.
  EXPECT_EQ(ReadDbVersion(co.db, 0, v), TDbVersionRead::Failed);
  EXPECT_EQ(v.Text(), "0.0.0");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_TRUE(ui.Shown("データベースバージョンの取得に失敗しました。"));
  // The database stays usable afterwards.
  EXPECT_EQ(ReadDbVersion(co.db, 1, v), TDbVersionRead::Read);
}

}  // namespace
