// Search conditions: the sort-column numbering between list and table, the kind combo's
// mapping, and a stored record read back (with the first reading inserting the defaults),
// the dialog editing a record as a user would. Picture: selection_datalistkensaku.png.
#include <QImage>
#include <gtest/gtest.h>

#include <string>

#include "DataListTestBase.h"
#include "selection/z5DataListKensaku.h"
#include "ui/UiTestSupport.h"

using namespace forms;

namespace {

TEST(DataListKensaku, SortColumnNumbering) {
  const std::pair<int, int> listToStored[] = {{1, 6}, {2, 1}, {3, 2}, {4, 3}, {5, 4}, {6, 5}, {0, 0}, {7, 0}, {-1, 0}};
  for (auto [list, stored] : listToStored) {
    EXPECT_EQ(ListToStoredSortCol(list), stored) << list;
    if (stored != 0) EXPECT_EQ(StoredToListSortCol(stored), list) << stored;
  }
  EXPECT_EQ(StoredToListSortCol(7), 0);
}

TEST(DataListKensaku, KindComboOfAStoredPair) {
  struct Case {
    int type, code, item;
  };
  const Case cases[] = {{2, 4, 6}, {1, 2, 1}, {2, 2, 3}, {2, 3, 5}, {3, 9, 4}, {2, 9, 0}, {0, 0, 0}, {5, 1, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(DataKbnItemOf(c.type, c.code), c.item) << c.type << "," << c.code;
    if (c.item > 0 && c.type != 3 && !(c.type == 1 && c.code != 1))
      EXPECT_EQ(DataKbnItems()[c.item].second, std::make_pair(c.type, c.code));
  }
}

class DataListKensakuDb : public DataListTestBase {
 protected:
  void SetUp() override {
    DataListTestBase::SetUp();
    Sys({"DELETE FROM KENSAKUJYOKEN"});
  }
};

TEST_F(DataListKensakuDb, StoredConditionReadsBack) {
  auto* box = CreateForm<TDataListKensakuBox>(nullptr);
  TDataKensakuRec rec;
  rec.LISTTYPE = 0;
  ASSERT_TRUE(box->SelectRecord(rec));
  EXPECT_EQ(rec.OPCODE, SystemDef.LogonId);
  EXPECT_EQ(rec.JYOKENUSE, 0);
  EXPECT_EQ(rec.SORTCOL, 0);
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM KENSAKUJYOKEN WHERE LISTTYPE=0"), 1);

  // The user edits the conditions in the dialog.
  box->KensakuRec = rec;
  box->Setup(1);
  QImage shot;
  uitest::ModalScript script({[&](TForm&) {
    box->txtCode->SetFocus();
    uitest::Type("ab");
    box->cmbDataKbn->SetItemIndex(6);
    box->txtListName->SetText("サンプル");
    box->cboxYukou->SetChecked(true);
    shot = box->grab().toImage();
    uitest::Click(box->btnOK);
  }});
  ASSERT_EQ(box->ShowModal(), mrOk);
  EXPECT_FALSE(script.WatchdogFired());
  EXPECT_TRUE(shot.save(QStringLiteral("selection_datalistkensaku.png")));
  TDataKensakuRec edited = box->KensakuRec;
  edited.SORTCOL = 1;  // sorted by コード
  edited.SORTTYPE = 1;
  ASSERT_TRUE(box->UpdateRecord(edited));
  EXPECT_EQ(SysScalar("SELECT SORTCOL FROM KENSAKUJYOKEN WHERE LISTTYPE=0"), 6);

  TDataKensakuRec back;
  ASSERT_TRUE(box->SelectRecord(back));
  EXPECT_EQ(back.JYOKENUSE, 1);
  EXPECT_EQ(back.DATATYPE, 2);
  EXPECT_EQ(back.CODETYPE, 4);
  EXPECT_EQ(back.DATACODE, "ab");
  EXPECT_EQ(back.DATANAME, "サンプル");
  EXPECT_EQ(back.SORTCOL, 1);
  EXPECT_EQ(back.SORTTYPE, 1);

  // The other list keeps a row of its own; a sort change leaves the conditions alone.
  TDataKensakuRec shared;
  box->ListType = 1;
  shared.LISTTYPE = 1;
  ASSERT_TRUE(box->SelectRecord(shared));
  EXPECT_EQ(shared.JYOKENUSE, 0);
  back.SORTCOL = 3;
  back.DATACODE = "zz";
  ASSERT_TRUE(box->UpdateRecordSortField(back));
  EXPECT_EQ(SysScalar("SELECT SORTCOL FROM KENSAKUJYOKEN WHERE LISTTYPE=0"), 2);
  box->ListType = 0;
  TDataKensakuRec again;
  ASSERT_TRUE(box->SelectRecord(again));
  EXPECT_EQ(again.DATACODE, "ab");
  EXPECT_EQ(again.SORTCOL, 3);
  box->Free();
}

}  // namespace
