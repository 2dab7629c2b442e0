#pragma once
// The consumption-tax engine's records. The engine keeps its whole state in these plain,
// process-wide records: the settings and journal totals of a pass (`TaxPar`), the refund
// details of the entity kind, and the form records the method chains fill. One pass runs at
// a time, on the main thread; nothing here is locked.
//
// Conventions: amounts are `Currency` (10000 = 1 yen); a rate held as a fraction is the
// fraction itself (90% is 0.9000); a ratio held as a percent is the percentage (95% is
// 95.0000). Columns of the forms are counted from 0 (0 is the total column). Lists and rows
// that the forms number from 1 are `OneBased`, so the numbers of the forms are used as they
// stand.
#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Currency.h"
#include "platform/DateTime.h"

// A fixed array indexed 1..N.
template <typename T, std::size_t N>
struct OneBased {
  std::array<T, N> items{};

  T& operator[](int i) {
    assert(i >= 1 && static_cast<std::size_t>(i) <= N);
    return items[static_cast<std::size_t>(i - 1)];
  }
  const T& operator[](int i) const {
    assert(i >= 1 && static_cast<std::size_t>(i) <= N);
    return items[static_cast<std::size_t>(i - 1)];
  }
  static constexpr int size() { return static_cast<int>(N); }
  auto begin() { return items.begin(); }
  auto end() { return items.end(); }
  auto begin() const { return items.begin(); }
  auto end() const { return items.end(); }
};

// Journal tables: [rate class][tax-code slot].
constexpr int kRateClassCount = 3;  // 0 = 3%, 1 = 5% (national 4%), 2 = 8% (national 6.3%)
constexpr int kTaxSlotCount = 95;   // slot 0 = codes outside the slot table; 94 unused
using TJournalTable = Currency[kRateClassCount][kTaxSlotCount];

// Settings and work record of a pass.
struct TTAXPAR {
  int32_t FORM_ERA = 0;                 // 1..3
  int32_t SINKOKUSYO = 0;               // 0 final, 1 interim, 2 amended
  std::string SINKOKUSYO_NAME = "確定";
  std::string ENTRY_MODE;               // always empty: every form value is computed
  std::string SCODE;                    // empty: every branch
  bool KEISANTOKUREI = false;
  TDateTime KIKAN_KAISI = 0;            // first day of the calculation period
  TDateTime KIKAN_SYURYO = 0;           // last day of the calculation period
  int32_t SINKOKU_KUBUN = 0;            // 0 general, 1 simplified
  int32_t KAZEIURI95MIMAN = 0;          // non-zero proportional, zero itemised
  int32_t ANBUNWARIAI = 0;              // zero the taxable-sales ratio, else JUNZURUWARIAI
  Currency JUNZURUWARIAI;               // percent
  Currency MINASIRITU1, MINASIRITU2, MINASIRITU3, MINASIRITU4, MINASIRITU5;  // fractions
  Currency TYUUKAN_NOUFU;               // interim national tax paid
  Currency TYUUKAN_JOUTO;               // interim local transfer tax paid
  Currency KOUJYOZEI_18A, KOUJYOZEI_18B;  // fixed-asset adjustment, ratio change: 3%, 4%
  Currency KOUJYOZEI_19A, KOUJYOZEI_19B;  // fixed-asset conversion adjustment: 3%, 4%
  Currency KOUJYOZEI_18C, KOUJYOZEI_19C;  // the 6.3% members; no settings column fills them
  Currency KIJYUNKIKANURI;              // taxable sales of the base period
  TJournalTable NUK_SUM{};              // net amounts
  TJournalTable ZEI_SUM{};              // tax amounts
  TJournalTable KOMI_SUM{};             // tax-inclusive amounts

  // Return-form header values, carried unchanged; no computation reads them.
  TDateTime TEISYUTUBI = 0;
  std::string ZEIMUSYO;
  std::string TAXPAYER_ADD1, TAXPAYER_ADD2, TAXPAYER_TEL, TAXPAYER_NAME, TAXPAYER_KANA;
  std::string DAIHYOU, DAIHYOUKANA, KEIRITANTOU, SEIRIBANGOU;
  TDateTime SINKOKUBI = 0;
  TDateTime SIDOUBI = 0;
  int32_t FUKI_KAPPU = 0, FUKI_NOBEBARAI = 0, FUKI_KOUJI = 0, FUKI_GENKIN = 0;
  std::string GINKOUMEI;
  int32_t GINKOUKUBUN = 0;
  std::string SITENMEI;
  int32_t SITENKUBUN = 0;
  int32_t YOKINSYUBETU = 0;
  std::string KOUZA, YUBINKYOKUMEI, TYOKIN_KIGOU, TYOKIN_BANGOU;
  std::string ZEIRISI, ZEIRISI_JIMUSHO, ZEIRISI_TEL;
  int32_t ZEIRISI_H30 = 0, ZEIRISI_H33 = 0;
  int32_t FUHYO22_KAZEI_COPY = 0, FUHYO52_KAZEI_COPY = 0;

  int32_t PERIOD_BASIS = 0;             // 0: era and 500-million test judged on the fiscal year
  int32_t ESTIMATED_IMPORT = 0;         // 1 once an estimated-import line was aggregated
  Currency MINASIRITU6;                 // fraction; no settings column fills it
  int32_t MAIN_JIGYOU = 0;              // main business type 1..6 of the simplified method
  int32_t SIMPLE_FLAG2 = 0;             // 1: totals of 付表4/付表5 from their own totals
  int32_t TRANSITIONAL = 0;             // 2 only the 8% class holds amounts, else -1
};

// One row of a refund-detail list of assets or goods.
struct TKanpuSisan {
  std::string SYURUI;
  int32_t KEIZOKU = 0;
  TDateTime HIZUKE = 0;
  Currency KINGAKU;
  std::string SIMEI;
  std::string JYUSYO;
};

// One row of the refund-detail list of export transactions.
struct TKanpuTorihiki {
  std::string SIMEI;
  std::string JYUSYO;
  Currency KINGAKU;
  std::string SHOHIN;
  std::string ZEIKAN;
};

// One row of a refund purchase grid (col0..col3).
struct TKanpuGridRow {
  Currency KESSANKIN;         // book amount
  Currency NOTKAZEISIIREKIN;  // the part that is not a taxable purchase
  Currency TOKUTEI;           // specified purchases (journal-fed grids only)
  Currency KAZEISIIREKIN;     // taxable purchases
};

// Refund detail of corporations and medical corporations (DATATYPE 1 and 3).
struct TKanpuMeisai_Hojin {
  int32_t ZEIKBN = 0;
  int32_t KEIRI_HOUSIKI = 0;
  int32_t ZEINUKI_HYOUJI = 0;
  int32_t KANPURIYUU01 = 0, KANPURIYUU02 = 0, KANPURIYUUOTHER = 0;
  std::string KANPURIYUUOTHERTEXT01, KANPURIYUUOTHERTEXT02, KANPURIYUUOTHERTEXT03;
  OneBased<TKanpuSisan, 10> TRANSFER_ROWS;
  OneBased<TKanpuTorihiki, 10> EXPORT_ROWS;
  std::string YUSYUTU_KINYUKIKAN;
  int32_t YUSYUTU_KINYUKIKANKBN = 0;
  std::string YUSYUTU_KINYUMISE;
  int32_t YUSYUTU_KINYUMISEKBN = 0;
  int32_t YUSYUTU_KINYUKOZAKBN = 0;
  std::string YUSYUTU_KINYUKOZANO;
  std::string YUSYUTU_TUKANSIMEI;
  std::string YUSYUTU_TUKANJYUSYO;
  OneBased<TKanpuGridRow, 5> PL_GRID;     // rows 1..4, row 5 total
  OneBased<TKanpuGridRow, 4> ASSET_GRID;  // rows 1..3, row 4 total
  Currency SIIREKIN_ZEIGAKU;
  OneBased<TKanpuSisan, 5> STOCK_ROWS;
  OneBased<TKanpuSisan, 10> FIXED_ROWS;
  std::string TOKUSYUJIJYOTEXT01, TOKUSYUJIJYOTEXT02, TOKUSYUJIJYOTEXT03;
  OneBased<TKanpuGridRow, 5> PL_ENTERED;
  OneBased<TKanpuGridRow, 4> ASSET_ENTERED;
  Currency SIIREKIN_ZEIGAKU2;
};

// Refund detail of individuals (DATATYPE 2).
struct TKanpuMeisai_Kojin {
  int32_t ZEIKBN = 0;
  int32_t KEIRI_HOUSIKI = 0;
  int32_t ZEINUKI_HYOUJI = 0;
  int32_t KANPURIYUU01 = 0, KANPURIYUU02 = 0, KANPURIYUUOTHER = 0;
  std::string KANPURIYUUOTHERTEXT01, KANPURIYUUOTHERTEXT02, KANPURIYUUOTHERTEXT03;
  OneBased<TKanpuSisan, 5> TRANSFER_ROWS;
  OneBased<TKanpuTorihiki, 5> EXPORT_ROWS;
  std::string YUSYUTU_KINYUKIKAN;
  int32_t YUSYUTU_KINYUKIKANKBN = 0;
  std::string YUSYUTU_KINYUMISE;
  int32_t YUSYUTU_KINYUMISEKBN = 0;
  int32_t YUSYUTU_KINYUKOZAKBN = 0;
  std::string YUSYUTU_KINYUKOZANO;
  std::string YUSYUTU_TUKANSIMEI;
  std::string YUSYUTU_TUKANJYUSYO;
  std::string SIIREKIN_OTHERSYOTOKU_NAME;
  OneBased<TKanpuGridRow, 4> BUSINESS_GRID;    // rows 1..3, row 4 total
  OneBased<TKanpuGridRow, 3> REALESTATE_GRID;  // rows 1..2, row 3 total
  OneBased<TKanpuGridRow, 4> OTHER_GRID;       // rows 1..3, row 4 total
  Currency KAZEISIIREKIN_TOTAL;
  Currency SIIREKIN_ZEIGAKU;
  OneBased<TKanpuSisan, 5> STOCK_ROWS;
  OneBased<TKanpuSisan, 5> FIXED_ROWS;
  std::string TOKUSYUJIJYOTEXT01, TOKUSYUJIJYOTEXT02, TOKUSYUJIJYOTEXT03;
  int32_t TOKUSYUJIJYO_NEN = 0;
  OneBased<TKanpuGridRow, 4> BUSINESS_ENTERED;
  OneBased<TKanpuGridRow, 3> REALESTATE_ENTERED;
  OneBased<TKanpuGridRow, 4> OTHER_ENTERED;
  Currency KAZEISIIREKIN_ENTERED_TOTAL;
  Currency SIIREKIN_ZEIGAKU2;
};

// The return (申告書第一表), shared by both methods.
struct TSyohizeiSinkoku {
  Currency KAZEI_HYOUJUN;        // ①
  Currency SYOHIZEIGAKU;         // ②
  Currency KOUJYO_KADAI;         // ③
  Currency KOUJYO_SIIRE;         // ④
  Currency HENKAN_ZEIGAKU;       // ⑤
  Currency KASHIDAORE_ZEIGAKU;   // ⑥
  Currency KOUJYO_SYOUKEI;       // ⑦
  Currency KANPU_ZEIGAKU;        // ⑧
  Currency SASHIHIKI_ZEIGAKU;    // ⑨
  Currency TYUUKAN_ZEIGAKU;      // ⑩
  Currency NOUFU_ZEIGAKU;        // ⑪
  Currency TYUUKAN_KANPU;        // ⑫
  Currency KIKAKUTEI_ZEIGAKU;    // ⑬
  Currency SASHIHIKI_NOUFU;      // ⑭
  Currency SANKOU_URIAGE1;       // ⑮
  Currency SANKOU_URIAGE2;       // ⑯
  Currency TIHO_KANPU;           // ⑰
  Currency TIHO_SASHIHIKI;       // ⑱
  Currency JOUTO_KANPU;          // ⑲
  Currency JOUTO_NOUZEI;         // ⑳
  Currency TYUUKAN_JOUTOWARI;    // ㉑
  Currency JOUTO_NOUFU;          // ㉒
  Currency TYUUKAN_JOUTO_KANPU;  // ㉓
  Currency KIKAKUTEI_JOUTO;      // ㉔
  Currency SASHIHIKI_JOUTO;      // ㉕
  Currency GOUKEI_ZEIGAKU;       // ㉖, negative for a refund
  Currency HYOUJUN_4;            // thousands of yen
  Currency HYOUJUN_3;            // thousands of yen
  Currency SYOHIZEIGAKU_4;
  Currency SYOHIZEIGAKU_3;
  Currency HYOUJUN_63;           // thousands of yen
  Currency SYOHIZEIGAKU_63;
  Currency TIHO_KIJYUN_4;
  Currency TIHO_KIJYUN_63;
  OneBased<Currency, 6> JIGYOU_URIAGE;  // business types 1..6, thousands of yen
  OneBased<Currency, 6> JIGYOU_WARIAI;  // business types 1..6, percent with one decimal
  Currency JIGYOU_URIAGE_GOUKEI;
  bool TOKUTEI_SIIRE_ARI = false;
};

// One column of 付表1 (general method).
struct TFuhyou1_H260401 {
  Currency KAZEI_HYOUJUN;           // ①
  Currency SYOHIZEIGAKU;            // ②
  Currency KOUJYO_KADAI;            // ③
  Currency KOUJYO_SIIRE;            // ④
  Currency HENKAN_ZEIGAKU;          // ⑤
  Currency KASHIDAORE_ZEIGAKU;      // ⑥
  Currency KOUJYO_SYOUKEI;          // ⑦
  Currency KANPU_ZEIGAKU;           // ⑧
  Currency SASHIHIKI_ZEIGAKU;       // ⑨
  Currency GOUKEI_SASHIHIKI;        // ⑩ total column only
  Currency TIHO_KANPU;              // ⑪
  Currency TIHO_SASHIHIKI;          // ⑫
  Currency TIHO_GOUKEI;             // ⑬ total column only
  Currency JOUTO_KANPU;             // ⑭
  Currency JOUTO_NOUZEI;            // ⑮
  Currency JOUTO_GOUKEI;            // ⑯ total column only
  Currency KAZEI_TAIKA;             // ①-1
  Currency TOKUTEI_TAIKA;           // ①-2
  Currency URIAGE_HENKAN_ZEIGAKU;   // ⑤-1
  Currency TOKUTEI_HENKAN_ZEIGAKU;  // ⑤-2
};

// One column of 付表2 (general method: the ratio and the purchase-tax credit).
struct TFuhyou2_H260401 {
  Currency KAZEI_URIAGE;
  Currency MENZEI_URIAGE;
  Currency HIKAZEI_YUSHUTSU;
  Currency KAZEI_TAIKA;
  Currency KAZEI_TAIKA_SAIKEI;
  Currency HIKAZEI_URIAGE;
  Currency SISAN_TAIKA;
  Currency KAZEI_WARIAI;  // percent, one decimal
  Currency SIIRE_TAIKA;
  Currency SIIRE_ZEIGAKU;
  Currency YUNYU_ZEIGAKU;
  Currency TYOUSEI_ZEIGAKU;
  Currency SIIRE_ZEIGAKU_KEI;
  Currency ZENGAKU_KOUJYO;
  Currency KOBETU_KAZEI;
  Currency KOBETU_KYOTUU;
  Currency KOBETU_KOUJYO;
  Currency HIREI_KOUJYO;
  Currency HENDOU_TYOUSEI;
  Currency TENYOU_TYOUSEI;
  Currency KOUJYO_SIIRE;
  Currency KOUJYO_KADAI;
  Currency KAISYUU_ZEIGAKU;
  std::string KOUJYO_HOUSIKI;  // "全額控除", "個別対応" or "比例配分"
  int32_t ZENGAKU = 0;         // 1 when the full credit applies
  Currency TOKUTEI_TAIKA;
  Currency TOKUTEI_ZEIGAKU;
};

// One column of 付表4 (simplified method).
struct TFuhyou4_H260401 {
  Currency KAZEI_HYOUJUN;       // ①
  Currency SYOHIZEIGAKU;        // ②
  Currency KAISYUU_ZEIGAKU;     // ③
  Currency KOUJYO_SIIRE;        // ④
  Currency HENKAN_ZEIGAKU;      // ⑤
  Currency KASHIDAORE_ZEIGAKU;  // ⑥
  Currency KOUJYO_SYOUKEI;      // ⑦
  Currency KANPU_ZEIGAKU;       // ⑧
  Currency SASHIHIKI_ZEIGAKU;   // ⑨
  Currency GOUKEI_SASHIHIKI;    // ⑩ total column only
  Currency TIHO_KANPU;          // ⑪
  Currency TIHO_SASHIHIKI;      // ⑫
  Currency TIHO_GOUKEI;         // ⑬ total column only
  Currency JOUTO_KANPU;         // ⑭
  Currency JOUTO_NOUZEI;        // ⑮
  Currency JOUTO_GOUKEI;        // ⑯ total column only
};

// One column of 付表5 (simplified method: the deemed purchase tax). Arrays are indexed by
// business type 1..6.
struct TFuhyou5_H260401 {
  Currency HYOUJUN_ZEIGAKU;
  Currency KAISYUU_ZEIGAKU;
  Currency HENKAN_ZEIGAKU;
  Currency KISO_ZEIGAKU;
  Currency SENGYOU_KOUJO;
  Currency URIAGE_GOUKEI;
  OneBased<Currency, 6> URIAGE;
  Currency URIAGE_ABS_GOUKEI;
  OneBased<Currency, 6> URIAGE_ABS;
  OneBased<Currency, 6> WARIAI;
  Currency ZEI_GOUKEI;
  OneBased<Currency, 6> ZEI;
  Currency ZEI_GOUKEI_RAW;
  OneBased<Currency, 6> ZEI_RAW;
  Currency GENSOKU;
  Currency TOKUREI1;
  Currency TOKUREI12, TOKUREI13, TOKUREI14, TOKUREI15;
  Currency TOKUREI23, TOKUREI24, TOKUREI25;
  Currency TOKUREI34, TOKUREI35;
  Currency TOKUREI45;
  Currency TOKUREI16, TOKUREI26, TOKUREI36, TOKUREI46, TOKUREI56;
  Currency SENTAKU;
  int32_t SENGYOU_JIGYOU = 0;
  Currency SENGYOU_URIAGE;
  int32_t TOKUREI_JIGYOU = 0;
  bool TANJUN = false;
};

// Breakdown of the taxable base (forms from 2015-10-01). Arrays are the columns 0..3 of 付表1.
struct TKazeiHyoujunUtiwake {
  Currency KAZEI_HYOUJUN;
  Currency KAZEI_TAIKA[4];
  Currency TOKUTEI_TAIKA[4];
  Currency TAIKA_KEI[4];
  Currency HENKAN_ZEIGAKU;
  Currency URIAGE_HENKAN_ZEIGAKU;
  Currency TOKUTEI_HENKAN_ZEIGAKU;
};

// The process-wide instances.
extern TTAXPAR TaxPar;
extern TKanpuMeisai_Hojin KanpuMeisai_Hojin;
extern TKanpuMeisai_Kojin KanpuMeisai_Kojin;
extern TSyohizeiSinkoku Sinkoku;
extern TKazeiHyoujunUtiwake KazeiHyoujunUtiwake;
extern TFuhyou1_H260401 Fuhyou1[4];  // 0 total, 1..3 rate classes 0..2
extern TFuhyou2_H260401 Fuhyou2[4];  // 0 total, 1..3 rate classes 0..2
extern TFuhyou4_H260401 Fuhyou4[4];  // 0 total, 1..3 rate classes 0..2
extern TFuhyou5_H260401 Fuhyou5[5];  // 0 summed, 1 reported total, 2..4 rate classes 0..2

// Puts every record back into its state at program start. Tests call it between cases.
void ResetTaxEngineRecords();
