// Company step 0.4.1: the default audit checklist, with the ledgers of a corporation or of
// other data.
#include "upgrade/z5UserDbUpdate020.h"

namespace {

struct TAuditItem {
  int Rec;
  const char* Text;
  const char* Note;
  int Choubo;
  int Kensaku;
  const char* MotCorporation;  // nullptr: none
  const char* MotOther;
  const char* Toz;
};

constexpr TAuditItem kAuditItems[] = {
    {1, "監査済み仕訳の修正チェック", "前回監査から今回監査までの間に訂正・追加・削除した監査済み仕訳を確認しました。", 1, 1,
     nullptr, nullptr, nullptr},
    {2, "現・預金の残高確認", "現金及び預金の残高を確認しました。", 0, 0, nullptr, nullptr, nullptr},
    {3, "当座残高調整表の作成", "当座残高調整表を作成し、残高照合表と元帳の差額を確認しました。", 3, 0, nullptr, nullptr,
     "1102"},
    {4, "売掛残の確認", "売掛金の残高を確認しました。", 0, 0, nullptr, nullptr, nullptr},
    {5, "買掛残の確認", "買掛金の残高を確認しました。", 0, 0, nullptr, nullptr, nullptr},
    {6, "受取手形の確認", "受取手形の残高を確認しました。", 0, 0, nullptr, nullptr, nullptr},
    {7, "支払手形の確認", "支払手形の残高を確認しました。", 0, 0, nullptr, nullptr, nullptr},
    {8, "経過勘定の確認", "仮払金、未払金等経過勘定の明細を確認しました。", 2, 0, "1306", "2104", nullptr},
    {9, "不明勘定の確認", "帳簿入力で相手科目の指定がなかった仕訳を確認し、正しい科目を割り当てました。", 2, 0, "1101",
     "1101", nullptr},
    {10, "資本的支出の確認", "修繕費の中に資本的支出（維持管理・原状回復費用）が含まれているかどうかを確認しました。", 2,
     0, "6206", "6109", nullptr},
    {11, "高額経費の確認", "経費処理した取引の中に資産計上すべき取引がなかったかを確認しました。", 1, 1, nullptr, nullptr,
     nullptr},
    {12, "消費税区分の確認", "商品券の購入を課税取引とするなど、消費税の取り扱いに誤りがないか確認しました。", 2, 0, "6212",
     "6107", nullptr},
};

std::string Code(const char* code) { return code ? std::string("'") + code + "'" : "NULL"; }

}  // namespace

int32_t ExecUserDbUpdate041() {
  const bool corporation = userupdate::CurrentFilter().DataType == 1;
  userupdate::Lines s{"DELETE FROM KANSA_ITEM;"};
  for (const TAuditItem& i : kAuditItems) {
    const std::string rec = std::to_string(i.Rec);
    // All sixteen columns in table order: REC, JUNJO, TEXT, NOTE, PRINT, CHECKMARK, CHOUBO,
    // KENSAKU, SWK_KENSAKU, MOT_KENSAKU, MOT_KCODE, MOT_HCODE, MOT_BCODE, TOZ_KCODE, TOZ_HCODE,
    // TOZ_BCODE.
    s.push_back("INSERT INTO KANSA_ITEM VALUES (" + rec + "," + rec + ",'" + i.Text + "','" + i.Note + "',0,0," +
                std::to_string(i.Choubo) + "," + std::to_string(i.Kensaku) + ",NULL,NULL," +
                Code(corporation ? i.MotCorporation : i.MotOther) + ",NULL,NULL," + Code(i.Toz) + ",NULL,NULL);");
  }
  s.push_back("COMMIT;");
  userupdate::TStepBody body;
  body.Statements = std::move(s);
  return userupdate::RunStep({0, 4, 1}, body);
}
