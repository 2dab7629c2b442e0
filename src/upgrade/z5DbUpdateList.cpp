#include "upgrade/z5DbUpdateList.h"

#include <charconv>
#include <cstdio>
#include <initializer_list>

#include "data/DbErrorReport.h"
#include "data/uAccClassesSplit.h"
#include "platform/db/IBDatabase.h"
#include "platform/db/IBSQL.h"

namespace {

// Memo lines are joined by CR; a memo "ending with a CR" carries an empty last line.
std::string Lines(std::initializer_list<std::string> lines) {
  std::string memo;
  for (const std::string& line : lines) {
    if (!memo.empty()) memo += '\r';
    memo += line;
  }
  return memo;
}

TDbUpdateListRec Step(int32_t major, int32_t minor1, int32_t minor2, int32_t backup, std::string title,
                      std::string memo) {
  TDbUpdateListRec r;
  r.Major = major;
  r.Minor1 = minor1;
  r.Minor2 = minor2;
  r.Backup = backup;
  r.Title = std::move(title);
  r.Memo = std::move(memo);
  return r;
}

TArrayDbUpdateListRec SystemSteps(const std::string& product, bool oem) {
  return {
      Step(0, 3, 1, 1, "共有サーバー機能の追加", "共有サーバー機能を追加します。"),
      Step(0, 3, 2, 0, "電子帳簿用ユーザーの追加", "電子帳簿用ユーザーを追加します。"),
      Step(0, 3, 3, 0, "経営Velkoranユーザーの追加", "経営Velkoranユーザーを追加します。"),
      Step(1, 0, 1, 0, "データリスト上のデータフォルダ名を大文字に統一",
           "データリスト上のデータフォルダ名が大文字と小文字の混在表記のため全て大文字に統一します。"),
      Step(3, 0, 0, 0, "旧バージョンデータの更新を禁止する機能を追加",
           "旧バージョンデータの更新を設定により禁止することが可能になります。"),
      Step(3, 0, 5, 0, "データ合算機能の追加", "データの合算処理が可能になります。"),
      Step(3, 0, 7, 0, "処理コントロールデータの改修", "処理レベルによる処理コントロールのデータ関連性を改修します。"),
      Step(4, 0, 0, 1, "データ選択に会社コード列を追加 他",
           Lines({"１）データ選択で会社コードをキーとした検索機能が利用可能となります。",
                  "２）コード体系保存件数が20件へ拡張となります。"})),
      Step(4, 0, 2, 1, "データ選択でデータの破損検証", "１）データ選択でデータの破損を検証する機能が追加されます。"),
      Step(5, 0, 0, 1, "Ｃ／Ｓ版でフォルダ毎にデータを管理する機能を追加",
           "１）Ｃ／Ｓ版でフォルダ毎にデータを管理する機能を追加する。"),
      oem ? Step(7, 0, 0, 0, "個別原価管理機能の追加", "１）個別原価管理機能を追加する。")
          : Step(7, 0, 0, 0, product + "１５のデータ形式に変換", "１）" + product + "１５のデータ形式に変換する。"),
      Step(7, 0, 4, 0, "消費税・特定課税仕入れ に対応", "１）特定課税仕入れの取引 に対応します。"),
      Step(8, 0, 0, 1, "マイナンバー制度に対応", "１）マイナンバー制度に対応する。"),
      Step(8, 0, 2, 1, "メニューの起動管理方法を変更", "１）メニューの起動管理方法を変更する"),
      Step(9, 0, 4, 1, "仕訳帳、元帳の入力方法の管理項目を変更", "１）仕訳帳、元帳の入力方法の管理項目を変更する。"),
  };
}

TArrayDbUpdateListRec UserSteps(const std::string& p, bool oem) {
  TArrayDbUpdateListRec list = {
      Step(0, 1, 1, 1, "減価償却処理を追加　他",
           Lines({"1)減価償却処理用のテーブルを作成します。", "2)３期比較経営分析用のプロシジャーを作成します。"})),
      Step(0, 1, 2, 1, "当座残高調整表を追加", "当座残高調整表用のプロシジャーを作成します。"),
      Step(0, 1, 3, 1, "監査処理機能を追加", "監査処理用のテーブルを作成します。"),
      Step(0, 1, 4, 1, "キャッシュ・フロー計算書を追加", "キャッシュ・フロー計算書用のテーブルを作成します。"),
      Step(0, 1, 5, 1, "ページ辞書機能の仕様変更 他",
           Lines({"1)補助または部門を削除したときに、削除対象の補助または部門がページ辞書仕訳に使用されていた場合に"
                  "削除されないように仕様を変更しました。",
                  "2)決算書の注記表「タイトルと会計期間を印刷する」のフィールドを追加しました。",
                  "3)青色申告書用テーブルを作成します。"})),
      Step(0, 2, 0, 0, "Tallix財務０９評価版 Ver0.2.0", "Tallix財務０９評価版 Ver0.2.0データへ更新します。"),
      Step(0, 2, 1, 1, "過年度残高の修復 ", "過年度残高を修復します。"),
      Step(0, 2, 2, 1, "科目マスタの構造変更 他",
           Lines({"1)科目マスタの構造を変更します。", "2)キャッシュフロー項目を再作成します。",
                  "3)青色申告決算書で上書入力に対応します。", "4)内訳書用テーブルを作成します。"})),
      Step(0, 3, 0, 0, "Tallix財務０９評価版 Ver0.3.0", "Tallix財務０９評価版 Ver0.3.0データへ更新します。"),
      Step(0, 3, 1, 1, "３期比較集計プログラムの更新 他",
           Lines({"３期比較集計プログラムを更新します。", "基本情報に通信フォルダー列を追加します。"})),
      Step(0, 3, 2, 0, "電子帳簿用ユーザーの追加", "電子帳簿用ユーザーを追加します。"),
      Step(0, 3, 3, 1, "経営Velkoran機能の追加 他",
           Lines({"比較経営分析表の初期値を設定します。", "元入金の繰り入れ計算を更新します。"})),
      Step(0, 3, 4, 1, "特定科目コード取得プログラムの変更 他",
           Lines({"特定科目コード取得プログラムを変更します。", "試算表用の当座資産分類コードを変更します。"})),
      Step(0, 4, 0, 0, "Tallix財務０９評価版 Ver0.4.0", "Tallix財務０９評価版 Ver0.4.0データへ更新します。"),
      Step(0, 4, 1, 1, "監査処理項目の変更", "監査処理の規定項目を変更します。"),
      Step(1, 0, 0, 1, "Tallix財務０９ Ver1.0.0", "Tallix財務０９ Ver1.0.0データへ更新します。"),
      Step(1, 0, 1, 1, "財務分析で期中開始データが適正に集計されない不具合を修正 他",
           Lines({"１）財務分析で期中開始データが適正に集計されるように修正します。",
                  "２）比較経営分析の科目内訳表示範囲を修正します。（経営Velkoran）"})),
      Step(1, 0, 2, 1, "コンバートデータの減価償却資産の修復 他",
           Lines({"１）コンバートデータの減価償却資産を修復します。",
                  "２）前期末残高が正しいか評価し、異常があった場合は修復します。"})),
      Step(1, 0, 3, 1, "本・支店管理データの予算または過年度残高を調整 他",
           Lines({"１）本・支店管理データの予算または過年度残高を調整します。",
                  "２）定形試算表の共通部門集計を適正に処理出来るように修正します。"})),
      Step(1, 0, 5, 1, "合計残高試算表の集計項目名称の変更機能を追加",
           "１）合計残高試算表の集計項目名称の変更機能を追加します。"),
      Step(2, 0, 0, 1, "Tallix財務１０のデータ形式に変換", "１）Tallix財務１０のデータ形式に変換します。"),
      Step(2, 0, 4, 1, "出納帳スペシャル機能の追加", "１）出納帳スペシャル機能を追加します。"),
      Step(3, 0, 0, 1, "Tallix財務１１のデータ形式に変換", "１）Tallix財務１１のデータ形式に変換します。"),
      Step(3, 0, 1, 1, "仕訳更新プログラムの改修", "１）仕訳の更新プログラムを改修します。"),
      Step(3, 0, 3, 1, "科目設定プログラムの改修 他",
           Lines({"１）医療法人用の科目設定の更新プログラムを改修します。",
                  "２）医療法人用の残高集計プログラムを改修します。"})),
      Step(3, 0, 4, 1, "現金出納帳の送受信処理の改修", "１）現金出納帳の送受信処理の更新プログラムを改修します。"),
      Step(3, 0, 6, 1, "医療法人データの既定科目数の増加 他", "１）医療法人データの既定の科目数を増やします。"),
      Step(3, 0, 7, 1, "医療法人データの施設グループ集計を追加 他",
           Lines({"１）医療法人データの施設グループ集計を追加します。", "２）窓口日報の参照キーを変更します。",
                  "３）支店比較パターンの保持情報を変更します。"})),
      Step(4, 0, 0, 1, p + "１２のデータ形式に変換",
           Lines({"１）" + p + "１２のデータ形式に変換します。", "２）過年度残高集計処理を高速化します。"})),
      Step(4, 0, 2, 1, "消費税の仕入税額控除制度における追加要件に対応 他",
           Lines({"１）消費税の仕入税額控除制度における追加要件に対応します。",
                  "２）還付申告書への「消費税の還付申告に関する明細書」に対応します。",
                  "３）減価償却制度の平成23年12月改正に対応します。"})),
      Step(5, 0, 0, 1, p + "１３のデータ形式に変換", Lines({"１）" + p + "１３のデータ形式に変換します。", ""})),
      Step(5, 0, 2, 1, "法人・個人データの日報入力に対応 他", "１）法人・個人データの日報入力に対応します。"),
      Step(5, 0, 5, 1, "法人決算書の手形相殺機能に対応", "１）法人決算書の手形相殺機能に対応します。"),
      Step(6, 0, 0, 1, p + "１４のデータ形式に変換 他",
           Lines({"１）" + p + "１４のデータ形式に変換します。", "２）過年度残高に税込・税抜額の記録が可能になります。",
                  "３）法人・個人データの製造原価報告書に外注費ブロックを追加します。"})),
      Step(6, 1, 0, 1, p + "１４ 消費税改正版のデータ形式に変換 他",
           Lines({"１）２０１４年４月の消費税改正 に対応します。", ""})),
      Step(6, 1, 3, 1, "仕訳変更時の並び順の調整 他",
           Lines({"１）決算同日仕訳変更時の並び順を調整します。",
                  "２）定形試算表の販売費及び一般管理費の集計項目名称（縦）の入力文字数を拡張します。"})),
      Step(7, 0, 0, 1, p + "１５のデータ形式に変換 他",
           oem ? Lines({"１）" + p + "１５のデータ形式に変換します。",
                        "２）「個人／農業」体系を新たに追加し、青色申告決算書（農業所得用）を作成します。",
                        "３）個別原価管理機能を新たに追加します。"})
               : Lines({"１）" + p + "１５のデータ形式に変換します。",
                        "２）「個人／農業」体系を新たに追加し、青色申告決算書（農業所得用）を作成します。"})),
      Step(7, 0, 2, 1, "簡易課税制度のみなし仕入率の見直し", Lines({"１）簡易課税制度のみなし仕入率の見直しに対応します。", ""})),
      oem ? Step(7, 0, 3, 1, "消費税試算表の仕訳帳ジャンプ機能の仕様変更",
                 Lines({"１）消費税試算表の仕訳帳ジャンプ機能の仕様を変更しました。", ""}))
          : Step(7, 0, 3, 1, "医療法人データの決算書レイアウトを変更",
                 Lines({"１）医療法人データの決算書レイアウトを変更しました。", ""})),
      Step(7, 0, 4, 1, "消費税・特定課税仕入れ に対応", Lines({"１）消費税申告書・付表の新様式に対応します。", ""})),
      Step(8, 0, 0, 1, p + "１６のデータ形式に変換 他",
           Lines({"１）" + p + "１６のデータ形式に変換する。", "２）マイナンバー制度に対応する。"})),
      oem ? Step(8, 0, 2, 1, "不具合修正", "１）不具合を修正（詳しくはＨＰで確認ください）")
          : Step(8, 0, 2, 1, "予算管理機能強化", "１）法人データの予算管理を強化します。"),
      Step(8, 0, 3, 1, "個人データの予算管理機能強化 他",
           Lines({"１）個人データの予算管理を強化します。",
                  "２）決算書の個別注記表項目を「法人税のSoravin」へ連動可能にします。"})),
      Step(9, 0, 0, 1, p + "１７のデータ形式に変換", "１）" + p + "１７のデータ形式に変換する。"),
      Step(9, 0, 1, 1, "補助の削除処理障害に対応", "１）補助の削除処理が適正におこなえるように対応します。"),
      Step(9, 0, 2, 1, "仕訳帳の法人全体参照時の機能強化 他",
           Lines({"１）仕訳帳の法人全体参照時に仕訳登録や他支店への訂正が可能となります。",
                  "２）総勘定元帳の法人全体参照時に仕訳登録や他支店への訂正が可能となります。",
                  "３）仕訳モニターで法人全体の参照が可能となります。"})),
      Step(9, 0, 3, 1, "法人全体試算表の科目内訳の取得方法を変更 他", "１）法人全体試算表の科目内訳の取得方法を変更しました。"),
      Step(9, 0, 4, 1, "中期予算作成時の実績額の調整機能 他",
           Lines({"１）中期予算作成時に実績額の調整が可能となります。", "２）汎用仕訳データのインポートが可能となります。",
                  "３）フリーウェイ仕訳データのインポートが可能となります。",
                  "４）ページ辞書からの仕訳追加時にグループ化し登録します。"})),
      Step(9, 0, 5, 1, "中期予算作成の一括調整機能の不具合修正",
           "１）中期予算作成の実績調整の一括調整機能の不具合を修正しました。"),
      Step(10, 0, 0, 1, "試算表、分析帳票の印刷で出力科目の設定機能を追加 他",
           Lines({"１）試算表、分析帳票の印刷で出力科目が設定可能となりました。",
                  "２）製造原価報告書に当期製造費用行を追加しました。",
                  "３）繰越残高調整で前期データの内訳書の移行機能を追加しました。",
                  "４）総勘定元帳の印刷時に総計行の出力の有無が選択可能となりました。"})),
  };
  if (oem) {
    // The OEM editions describe their later steps in one general line.
    for (TDbUpdateListRec& r : list) {
      if (r.Version() >= TDbVersion{8, 0, 3}) {
        r.Title = "機能強化および不具合修正";
        r.Memo = "１）機能強化および不具合の修正（詳しくはＨＰで確認ください）";
      }
    }
  }
  return list;
}

// Whole number as the framework's integer conversion takes it; anything else is 0.
int32_t ItemNumber(const std::string& item) {
  const char* first = item.data();
  const char* last = first + item.size();
  if (first != last && *first == '+') ++first;
  int32_t value = 0;
  auto [end, ec] = std::from_chars(first, last, value);
  if (ec != std::errc() || end != last || first == last) return 0;
  return value;
}

}  // namespace

std::string TDbVersion::Text() const {
  char text[48];
  std::snprintf(text, sizeof text, "%d.%d.%d", Major, Minor1, Minor2);
  return text;
}

TDbUpdateLists MakeDbUpdateLists(const std::string& productName, int oemKind) {
  const bool oem = oemKind == 1 || oemKind == 2;
  return {SystemSteps(productName, oem), UserSteps(productName, oem)};
}

void DbVersionFromText(const std::string& text, TDbVersion& version) {
  version = {};
  TMojiBunkatu split;
  split.Delimiter = '.';
  split.SetText(text);
  if (split.Count != 3) return;
  version = {ItemNumber(split.Items[0]), ItemNumber(split.Items[1]), ItemNumber(split.Items[2])};
}

TDbUpdatePending FindPendingSteps(const TArrayDbUpdateListRec& list, const TDbVersion& version) {
  TDbUpdatePending p;
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i].Version() > version) {
      p.NeedUpdate = true;
      p.FirstIndex = static_cast<int32_t>(i);
      p.LastIndex = static_cast<int32_t>(list.size()) - 1;
      break;
    }
  }
  if (p.FirstIndex >= 0) {
    for (int32_t i = p.FirstIndex; i <= p.LastIndex; ++i) p.BackupCount += list[static_cast<size_t>(i)].Backup;
  }
  return p;
}

TDbVersionRead ReadDbVersion(TIBDatabase& db, int mode, TDbVersion& version) {
  version = {};
  TIBTransaction tr;
  tr.Params = {"read_committed", "rec_version", "nowait"};
  tr.SetDefaultDatabase(&db);
  TIBSQL q;
  q.SetDatabase(&db);
  q.SetTransaction(&tr);
  q.SQL = std::string("SELECT MAJOR,MINOR1 AS MINOR,MINOR2 AS REV FROM ") + (mode == 0 ? "VERSION" : "ACCVERSION") +
          "\r\nORDER BY MAJOR DESC,MINOR1 DESC,MINOR2 DESC";
  try {
    tr.StartTransaction();
    q.ExecQuery();
    TDbVersionRead result = TDbVersionRead::NoRows;
    if (!q.Eof()) {
      version = {q.FieldByName("MAJOR").AsInteger(), q.FieldByName("MINOR").AsInteger(),
                 q.FieldByName("REV").AsInteger()};
      result = TDbVersionRead::Read;
    }
    q.Close();
    tr.Commit();
    return result;
  } catch (const std::exception& e) {
    try {
      q.Close();
      if (tr.Active()) tr.Rollback();
    } catch (...) {
    }
    version = {};
    ReportFailure(e, "TDbUpdateBox.SetDbVersion", "データベースバージョンの取得に失敗しました。", false);
    return TDbVersionRead::Failed;
  }
}
