#include "export/sy26.h"

#include <cstring>
#include <initializer_list>
#include <memory>
#include <tuple>

#include "data/DataModule.h"
#include "data/uAccDateCmp.h"
#include "data/uAccRecord.h"
#include "platform/UiServices.h"
#include "platform/db/IBError.h"
#include "tax/z5TaxArith.h"
#include "tax/z5TaxCul_H.h"

namespace {

// Whole yen, halves away from zero.
int64_t Yen(Currency amount) {
  return Round(amount, RoundMode::HalfAwayFromZero, Currency::FromYen(1)).Trunc();
}

Currency ReadCell(const std::string& text) {
  Currency value;
  if (text.empty() || !Currency::TryParse(text, value)) return Currency();
  return value;
}

// The rate digit of a table code and the rate class it stands for.
struct RateBlock {
  char digit;
  int rateClass;
};
constexpr RateBlock kRates[] = {{'8', 2}, {'5', 1}, {'3', 0}};

std::string Code(char letter, char digit) { return std::string{letter, digit}; }

constexpr int kNuki = 0, kGaku = 1, kKomi = 2;  // columns

// The SQL of the settings row, as the accounting product keeps it.
constexpr const char* kCountSql =
    "SELECT COUNT(REC) AS RECCNT FROM TAX_KAZEIHOUSIKI\n"
    "WHERE REC=1";
constexpr const char* kInsertSql =
    "INSERT INTO TAX_KAZEIHOUSIKI(REC,KIKAN_KAISI,KIKAN_SYURYO,SCODE,SINKOKU_KUBUN,MINASIRITU1,MINASIRITU2,"
    "MINASIRITU3,MINASIRITU4,MINASIRITU5,TYUUKAN_NOUFU,TYUUKAN_JOUTO,KOUJYOZEI_18A,KOUJYOZEI_18B,KOUJYOZEI_19A,"
    "KOUJYOZEI_19B,KIJYUNKIKANURI,KEISANTOKUREI,KAZEIURI95MIMAN,ANBUNWARIAI,JUNZURUWARIAI,TEISYUTUBI,ZEIMUSYO,"
    "NOUZEITI1,NOUZEITI2,DAIHYOUKANA,DAIHYOU,KEIRITANTOU,SEIRIBANGOU,SINKOKUBI,SIDOUBI,FUKI_KAPPU,FUKI_NOBEBARAI,"
    "FUKI_KOUJI,FUKI_GENKIN,SINKOKUSYO,GINKOUMEI,GINKOUKUBUN,SITENMEI,SITENKUBUN,YOKINSYUBETU,KOUZA,YUBINKYOKUMEI,"
    "TYOKIN_KIGOU,TYOKIN_BANGOU,ZEIRISI,ZEIRISI_TEL,ZEIRISI_H30,ZEIRISI_H33,FUHYO22_KAZEI_COPY,ZEIRISI_JIMUSHO,"
    "FUHYO52_KAZEI_COPY)\n"
    "VALUES(:REC,:KIKAN_KAISI,:KIKAN_SYURYO,:SCODE,:SINKOKU_KUBUN,:MINASIRITU1,:MINASIRITU2,:MINASIRITU3,"
    ":MINASIRITU4,:MINASIRITU5,:TYUUKAN_NOUFU,:TYUUKAN_JOUTO,:KOUJYOZEI_18A,:KOUJYOZEI_18B,:KOUJYOZEI_19A,"
    ":KOUJYOZEI_19B,:KIJYUNKIKANURI,:KEISANTOKUREI,:KAZEIURI95MIMAN,:ANBUNWARIAI,:JUNZURUWARIAI,:TEISYUTUBI,"
    ":ZEIMUSYO,:NOUZEITI1,:NOUZEITI2,:DAIHYOUKANA,:DAIHYOU,:KEIRITANTOU,:SEIRIBANGOU,:SINKOKUBI,:SIDOUBI,"
    ":FUKI_KAPPU,:FUKI_NOBEBARAI,:FUKI_KOUJI,:FUKI_GENKIN,:SINKOKUSYO,:GINKOUMEI,:GINKOUKUBUN,:SITENMEI,"
    ":SITENKUBUN,:YOKINSYUBETU,:KOUZA,:YUBINKYOKUMEI,:TYOKIN_KIGOU,:TYOKIN_BANGOU,:ZEIRISI,:ZEIRISI_TEL,"
    ":ZEIRISI_H30,:ZEIRISI_H33,:FUHYO22_KAZEI_COPY,:ZEIRISI_JIMUSHO,:FUHYO52_KAZEI_COPY)";
constexpr const char* kSelectSql =
    "SELECT REC,KIKAN_KAISI,KIKAN_SYURYO,SCODE,SINKOKU_KUBUN,MINASIRITU1,MINASIRITU2,MINASIRITU3,MINASIRITU4,"
    "MINASIRITU5,TYUUKAN_NOUFU,TYUUKAN_JOUTO,KOUJYOZEI_18A,KOUJYOZEI_18B,KOUJYOZEI_19A,KOUJYOZEI_19B,"
    "KIJYUNKIKANURI,KEISANTOKUREI,KAZEIURI95MIMAN,ANBUNWARIAI,JUNZURUWARIAI,TEISYUTUBI,ZEIMUSYO,NOUZEITI1,"
    "NOUZEITI2,DAIHYOUKANA,DAIHYOU,KEIRITANTOU,SEIRIBANGOU,SINKOKUBI,SIDOUBI,FUKI_KAPPU,FUKI_NOBEBARAI,FUKI_KOUJI,"
    "FUKI_GENKIN,SINKOKUSYO,GINKOUMEI,GINKOUKUBUN,SITENMEI,SITENKUBUN,YOKINSYUBETU,KOUZA,YUBINKYOKUMEI,"
    "TYOKIN_KIGOU,TYOKIN_BANGOU,ZEIRISI,ZEIRISI_TEL,ZEIRISI_H30,ZEIRISI_H33,FUHYO22_KAZEI_COPY,ZEIRISI_JIMUSHO,"
    "FUHYO52_KAZEI_COPY FROM TAX_KAZEIHOUSIKI\n"
    "WHERE REC=1";

// The taxpayer texts of the return come from the company's accounting information.
void SetTaxpayer(TTAXPAR& s) {
  if (AccInf.DATATYPE == 1) {
    s.TAXPAYER_ADD1 = AccInf.ADD1;
    s.TAXPAYER_ADD2 = AccInf.ADD2;
    s.TAXPAYER_TEL = AccInf.TEL;
    s.TAXPAYER_NAME = AccInf.SHOUGOU;
    s.TAXPAYER_KANA = AccInf.SKANA;
  } else if (AccInf.DATATYPE == 2) {
    s.TAXPAYER_ADD1 = AccInf.AO_ADD1;
    s.TAXPAYER_ADD2 = AccInf.AO_ADD2;
    s.TAXPAYER_TEL = AccInf.AO_TEL;
    s.TAXPAYER_NAME = AccInf.AO_SIMEI;
    s.TAXPAYER_KANA = AccInf.AO_KANA;
  } else {
    s.TAXPAYER_ADD1.clear();
    s.TAXPAYER_ADD2.clear();
    s.TAXPAYER_TEL.clear();
    s.TAXPAYER_NAME.clear();
    s.TAXPAYER_KANA.clear();
  }
}

// A deemed rate is kept in whole percent; the engine holds the fraction.
Currency Percent(const TIBField& f) { return f.AsCurrency().MulDiv(1, 100); }

void InsertDefaultSettings(TIBQuery& q) {
  q.SQL = kInsertSql;
  q.ParamByName("REC").SetInteger(1);
  q.ParamByName("KIKAN_KAISI").SetDate(AccInf.KISHU);
  q.ParamByName("KIKAN_SYURYO").SetDate(AccInf.KIMATU);
  q.ParamByName("SCODE").SetString("");
  q.ParamByName("SINKOKU_KUBUN").SetInteger(AccInf.TAXKANNI);
  const int deemed[] = {90, 80, 70, 60, 50};
  for (int i = 0; i < 5; ++i) q.ParamByName("MINASIRITU" + std::to_string(i + 1)).SetInteger(deemed[i]);
  for (const char* name : {"TYUUKAN_NOUFU", "TYUUKAN_JOUTO", "KOUJYOZEI_18A", "KOUJYOZEI_18B", "KOUJYOZEI_19A",
                           "KOUJYOZEI_19B", "KIJYUNKIKANURI"}) {
    q.ParamByName(name).SetCurrency(Currency());
  }
  for (const char* name : {"KEISANTOKUREI", "KAZEIURI95MIMAN", "ANBUNWARIAI", "JUNZURUWARIAI", "FUKI_KAPPU",
                           "FUKI_NOBEBARAI", "FUKI_KOUJI", "FUKI_GENKIN", "SINKOKUSYO", "GINKOUKUBUN", "SITENKUBUN",
                           "YOKINSYUBETU", "ZEIRISI_H30", "ZEIRISI_H33"}) {
    q.ParamByName(name).SetInteger(0);
  }
  for (const char* name : {"TEISYUTUBI", "SINKOKUBI", "SIDOUBI"}) q.ParamByName(name).SetDate(0);
  q.ParamByName("FUHYO22_KAZEI_COPY").SetInteger(1);
  q.ParamByName("FUHYO52_KAZEI_COPY").SetInteger(1);
  for (const char* name : {"ZEIMUSYO", "NOUZEITI1", "NOUZEITI2", "DAIHYOUKANA", "DAIHYOU", "KEIRITANTOU",
                           "SEIRIBANGOU", "GINKOUMEI", "SITENMEI", "KOUZA", "YUBINKYOKUMEI", "TYOKIN_KIGOU",
                           "TYOKIN_BANGOU", "ZEIRISI", "ZEIRISI_TEL", "ZEIRISI_JIMUSHO"}) {
    q.ParamByName(name).SetString("");
  }
  q.ExecSQL();
  q.Close();
}

void ReadSettingsRow(TIBQuery& q, TTAXPAR& s) {
  auto F = [&q](const char* name) -> TIBField& { return q.FieldByName(name); };
  s.KIKAN_KAISI = F("KIKAN_KAISI").AsDateTime();
  s.KIKAN_SYURYO = F("KIKAN_SYURYO").AsDateTime();
  s.SCODE.clear();  // every branch: the column is not taken
  s.ENTRY_MODE.clear();
  s.SINKOKU_KUBUN = F("SINKOKU_KUBUN").AsInteger();
  s.MINASIRITU1 = Percent(F("MINASIRITU1"));
  s.MINASIRITU2 = Percent(F("MINASIRITU2"));
  s.MINASIRITU3 = Percent(F("MINASIRITU3"));
  s.MINASIRITU4 = Percent(F("MINASIRITU4"));
  s.MINASIRITU5 = Percent(F("MINASIRITU5"));
  s.TYUUKAN_NOUFU = F("TYUUKAN_NOUFU").AsCurrency();
  s.TYUUKAN_JOUTO = F("TYUUKAN_JOUTO").AsCurrency();
  s.KOUJYOZEI_18A = F("KOUJYOZEI_18A").AsCurrency();
  s.KOUJYOZEI_18B = F("KOUJYOZEI_18B").AsCurrency();
  s.KOUJYOZEI_19A = F("KOUJYOZEI_19A").AsCurrency();
  s.KOUJYOZEI_19B = F("KOUJYOZEI_19B").AsCurrency();
  s.KIJYUNKIKANURI = F("KIJYUNKIKANURI").AsCurrency();
  s.KEISANTOKUREI = F("KEISANTOKUREI").AsInteger() == 1;
  s.KAZEIURI95MIMAN = F("KAZEIURI95MIMAN").AsInteger();
  s.ANBUNWARIAI = F("ANBUNWARIAI").AsInteger();
  s.JUNZURUWARIAI = F("JUNZURUWARIAI").AsCurrency();
  s.TEISYUTUBI = F("TEISYUTUBI").AsDateTime();
  s.ZEIMUSYO = F("ZEIMUSYO").AsString();
  s.DAIHYOUKANA = F("DAIHYOUKANA").AsString();
  s.DAIHYOU = F("DAIHYOU").AsString();
  s.KEIRITANTOU = F("KEIRITANTOU").AsString();
  s.SEIRIBANGOU = F("SEIRIBANGOU").AsString();
  s.SINKOKUBI = F("SINKOKUBI").AsDateTime();
  s.SIDOUBI = F("SIDOUBI").AsDateTime();
  s.FUKI_KAPPU = F("FUKI_KAPPU").AsInteger();
  s.FUKI_NOBEBARAI = F("FUKI_NOBEBARAI").AsInteger();
  s.FUKI_KOUJI = F("FUKI_KOUJI").AsInteger();
  s.FUKI_GENKIN = F("FUKI_GENKIN").AsInteger();
  s.SINKOKUSYO = F("SINKOKUSYO").AsInteger();
  switch (s.SINKOKUSYO) {
    case 0: s.SINKOKUSYO_NAME = "確定"; break;
    case 1: s.SINKOKUSYO_NAME = "中間"; break;
    case 2: s.SINKOKUSYO_NAME = "修正"; break;
    default: s.SINKOKUSYO_NAME.clear();
  }
  s.GINKOUMEI = F("GINKOUMEI").AsString();
  s.GINKOUKUBUN = F("GINKOUKUBUN").AsInteger();
  s.SITENMEI = F("SITENMEI").AsString();
  s.SITENKUBUN = F("SITENKUBUN").AsInteger();
  s.YOKINSYUBETU = F("YOKINSYUBETU").AsInteger();
  s.KOUZA = F("KOUZA").AsString();
  s.YUBINKYOKUMEI = F("YUBINKYOKUMEI").AsString();
  s.TYOKIN_KIGOU = F("TYOKIN_KIGOU").AsString();
  s.TYOKIN_BANGOU = F("TYOKIN_BANGOU").AsString();
  s.ZEIRISI = F("ZEIRISI").AsString();
  s.ZEIRISI_TEL = F("ZEIRISI_TEL").AsString();
  s.ZEIRISI_H30 = F("ZEIRISI_H30").AsInteger();
  s.ZEIRISI_H33 = F("ZEIRISI_H33").AsInteger();
  s.FUHYO22_KAZEI_COPY = F("FUHYO22_KAZEI_COPY").AsInteger();
  s.ZEIRISI_JIMUSHO = F("ZEIRISI_JIMUSHO").AsString();
  s.FUHYO52_KAZEI_COPY = F("FUHYO52_KAZEI_COPY").AsInteger();
  SetTaxpayer(s);
}

}  // namespace

std::string FormatYenOrEmpty(Currency amount) {
  const int64_t yen = Yen(amount);
  return yen == 0 ? std::string() : std::to_string(yen);
}

std::string FormatYen(Currency amount) { return std::to_string(Yen(amount)); }

// ---------------------------------------------------------------------------------------------
// The exporter.

void TSyohizeiDataExport::SetDataNode(TXmlSaveDoc& doc) {
  TSyohizeiDataMake maker;
  maker.StartSlot = StartSlot;
  maker.EndSlot = EndSlot;
  maker.LastSlot = LastSlot;
  maker.TaxCalcKind = TaxCalcKind;
  maker.Simplified = Simplified;
  maker.MainBusinessType = MainBusinessType;
  maker.AccumMethod = AccumMethod;
  maker.Make(doc);
  TXmlNode basic = doc.FindNode(nullptr, "BASIC");
  doc.SetChildText(basic, "KEIKASHOCHIKAZEISHISAN", std::to_string(maker.TransitionalFlag));
}

// ---------------------------------------------------------------------------------------------
// The maker.

int32_t TSyohizeiDataMake::Make(TXmlSaveDoc& doc) {
  ResultCode = 3;
  auto scan = std::make_unique<TJournalScan>();
  RunPass(1, *scan, true);
  MakeKanValues();
  RunPass(0, *scan, false);
  MakeGenValues();
  TransitionalFlag = TaxPar.TRANSITIONAL >= 0 ? 2 : 1;

  TXmlNode data = doc.AddNode(nullptr, "DATA");
  static const char kGeneralTables[] = {'U', 'S', 'K'};
  static const char kSimplifiedTables[] = {'U', 'H', 'K'};
  for (int method : {kGeneral, kSimplified}) {
    const char* letters = method == kGeneral ? kGeneralTables : kSimplifiedTables;
    int index = 0;
    for (int t = 0; t < 3; ++t) {
      for (const RateBlock& rate : kRates) {
        ++index;
        const std::string code = Code(letters[t], rate.digit);
        if (rate.digit == '8' && !UseRate8Groups(1)) continue;
        TXmlNode group = doc.AddNode(data, GroupName(method, index));
        const int rows = RowCount(method, code);
        for (int row = 0; row < rows; ++row) {
          for (int column = 0; column < 3; ++column) {
            const std::string name = ValueName(method, code, row, column);
            if (!name.empty()) doc.AddTextNode(group, name, Value(method, code, row, column));
          }
        }
      }
    }
  }
  WriteRefundGroup(doc, data);
  return ResultCode;
}

void TSyohizeiDataMake::RunPass(int32_t method, TJournalScan& scan, bool readJournal) {
  TTAXPAR settings;
  ReadTaxSettings(settings);
  TaxPar = settings;
  TaxPar.KIKAN_KAISI = GetKikanStartDate(StartSlot, AccInf.SIME, true, AccInf.KISHU, AccInf.KIMATU);
  TaxPar.KIKAN_SYURYO = GetKikanEndDate(EndSlot, AccInf.SIME, true, AccInf.KISHU, AccInf.KIMATU);
  // A short fiscal year ends at its own last day, not at its last month's closing date.
  if (LastSlot != 15 && LastSlot == EndSlot) TaxPar.KIKAN_SYURYO = AccInf.KIMATU;
  TaxPar.SINKOKU_KUBUN = method;
  TaxPar.KEISANTOKUREI = false;
  TaxPar.FORM_ERA = FormEra(TaxPar);
  ResetTaxResults();
  // The journal is read once for both passes: what it gives does not depend on the method,
  // except the specified purchases of the refund grids, which only the general pass's grids
  // carry and only those reach the file. So it is read as the general pass reads it, and each
  // pass works on its own copy (the simplified pass folds its tables in place).
  if (readJournal) {
    TaxPar.SINKOKU_KUBUN = 0;
    AggregateJournals();
    TaxPar.SINKOKU_KUBUN = method;
    std::memcpy(scan.NUK_SUM, TaxPar.NUK_SUM, sizeof scan.NUK_SUM);
    std::memcpy(scan.ZEI_SUM, TaxPar.ZEI_SUM, sizeof scan.ZEI_SUM);
    std::memcpy(scan.KOMI_SUM, TaxPar.KOMI_SUM, sizeof scan.KOMI_SUM);
    scan.ESTIMATED_IMPORT = TaxPar.ESTIMATED_IMPORT;
    scan.hojin = KanpuMeisai_Hojin;
    scan.kojin = KanpuMeisai_Kojin;
  } else {
    std::memcpy(TaxPar.NUK_SUM, scan.NUK_SUM, sizeof scan.NUK_SUM);
    std::memcpy(TaxPar.ZEI_SUM, scan.ZEI_SUM, sizeof scan.ZEI_SUM);
    std::memcpy(TaxPar.KOMI_SUM, scan.KOMI_SUM, sizeof scan.KOMI_SUM);
    TaxPar.ESTIMATED_IMPORT = scan.ESTIMATED_IMPORT;
    KanpuMeisai_Hojin = scan.hojin;
    KanpuMeisai_Kojin = scan.kojin;
  }
  CheckTaxCodes(false);
}

void TSyohizeiDataMake::ClearTaxSettings(TTAXPAR& settings) {
  // Everything but the journal tables goes back to its default.
  TTAXPAR fresh;
  for (int c = 0; c < kRateClassCount; ++c) {
    for (int s = 0; s < kTaxSlotCount; ++s) {
      fresh.NUK_SUM[c][s] = settings.NUK_SUM[c][s];
      fresh.ZEI_SUM[c][s] = settings.ZEI_SUM[c][s];
      fresh.KOMI_SUM[c][s] = settings.KOMI_SUM[c][s];
    }
  }
  fresh.SINKOKUSYO = 0;
  fresh.SINKOKUSYO_NAME = "確定";
  fresh.FUHYO22_KAZEI_COPY = 1;
  fresh.FUHYO52_KAZEI_COPY = 1;
  SetTaxpayer(fresh);
  settings = fresh;
}

void TSyohizeiDataMake::ReadTaxSettings(TTAXPAR& settings) {
  ClearTaxSettings(settings);
  TTAXPAR rec;
  rec.SINKOKUSYO_NAME.clear();

  TIBTransaction& tr = DM->IBTransactionDAT;
  TIBQuery& q = DM->IBQACC1;
  bool started = false;
  auto finish = [&] {
    if (q.Active()) q.Close();
    if (started && tr.Active()) tr.Commit();
  };
  try {
    if (!tr.Active()) {
      tr.StartTransaction();
      started = true;
    }
    q.Close();
    q.SQL = kCountSql;
    q.Open();
    const int count = q.FieldByName("RECCNT").AsInteger();
    q.Close();
    if (count == 0) InsertDefaultSettings(q);
    q.SQL = kSelectSql;
    for (q.Open(); !q.Eof(); q.Next()) ReadSettingsRow(q, rec);
    finish();
  } catch (const EIBError& e) {
    uis::ShowMessage(uis::MsgKind::Error, "ﾃﾞｰﾀﾍﾞｰｽ ｴﾗｰ\r" + e.Message + "\r\r");
    try {
      finish();
    } catch (const std::exception&) {
      // The error being raised is the one the caller needs to see.
    }
    throw;
  } catch (...) {
    try {
      finish();
    } catch (const std::exception&) {
    }
    throw;
  }

  if (rec.KIKAN_KAISI < AccInf.KISHU || rec.KIKAN_KAISI > AccInf.KIMATU) rec.KIKAN_KAISI = AccInf.KAISI;
  if (rec.KIKAN_SYURYO < AccInf.KISHU || rec.KIKAN_SYURYO > AccInf.KIMATU) rec.KIKAN_SYURYO = AccInf.KIMATU;
  settings = rec;
}

bool TSyohizeiDataMake::UseRate8Groups(int kind) { return kind != 1 || TaxPar.FORM_ERA != 0; }

Currency TSyohizeiDataMake::GenAmount(int rateClass, int slot) const {
  if (AccumMethod != 0) {
    return TaxPar.KOMI_SUM[rateClass][slot] + TaxPar.NUK_SUM[rateClass][slot] + TaxPar.ZEI_SUM[rateClass][slot];
  }
  // Import taxes count by their tax, specified purchases by their net amount.
  auto holds = [slot](taxarith::CodeSet codes) {
    for (int code : codes)
      if (slot == TaxCodeSlot(code)) return true;
    return false;
  };
  if (holds(taxarith::kImportNationalTax) || holds(taxarith::kImportNationalTaxReturns))
    return TaxPar.ZEI_SUM[rateClass][slot];
  if (holds(taxarith::kSpecified) || holds(taxarith::kSpecifiedReturns))
    return TaxPar.NUK_SUM[rateClass][slot];
  return TaxPar.KOMI_SUM[rateClass][slot];
}

Currency TSyohizeiDataMake::KanAmount(int rateClass, int slot) const {
  if (AccumMethod != 0) {
    return TaxPar.KOMI_SUM[rateClass][slot] + TaxPar.NUK_SUM[rateClass][slot] + TaxPar.ZEI_SUM[rateClass][slot];
  }
  return TaxPar.KOMI_SUM[rateClass][slot];
}

const std::string& TSyohizeiDataMake::Value(int method, const std::string& tableCode, int row, int column) const {
  static const std::string kNone;
  const int i = CellIndex(method, tableCode, row, column);
  return i < 0 ? kNone : Values[static_cast<size_t>(i)];
}

std::string& TSyohizeiDataMake::Cell(int method, const std::string& tableCode, int row, int column) {
  return Values.at(static_cast<size_t>(CellIndex(method, tableCode, row, column)));
}

void TSyohizeiDataMake::AddToCell(int method, const std::string& tableCode, int row, int column, Currency amount) {
  std::string& cell = Cell(method, tableCode, row, column);
  cell = FormatYenOrEmpty(ReadCell(cell) + amount);
}

void TSyohizeiDataMake::MakeGenValues() {
  const int m = kGeneral;
  for (const RateBlock& rate : kRates) {
    for (char t : {'U', 'S', 'K'}) {
      const std::string code = Code(t, rate.digit);
      for (int row = 0; row < RowCount(m, code); ++row)
        for (int column = 0; column < 3; ++column) Cell(m, code, row, column).clear();
    }
  }
  for (const RateBlock& rate : kRates) {
    const int c = rate.rateClass;
    auto amount = [&](int taxCode) { return GenAmount(c, TaxCodeSlot(taxCode)); };
    auto add = [&](char table, int row, int column, taxarith::CodeSet codes) {
      for (int taxCode : codes) AddToCell(m, Code(table, rate.digit), row, column, amount(taxCode));
    };
    // The 5% and 3% purchase forms have no rows for specified purchases: a row of the 8%
    // form is mapped to theirs, or has none.
    auto purchaseRow = [&](int row8) {
      if (rate.digit == '8') return row8;
      if (row8 <= 2) return row8;
      if (row8 >= 6 && row8 <= 12) return row8 - 3;
      if (row8 >= 16) return row8 - 6;
      return -1;
    };
    auto addPurchase = [&](int row8, int column, taxarith::CodeSet codes) {
      const int row = purchaseRow(row8);
      if (row >= 0) add('S', row, column, codes);
    };

    add('U', 0, kKomi, taxarith::kSales);
    add('U', 1, kNuki, {120});
    AddToCell(m, Code('U', rate.digit), 2, kNuki, amount(140) - amount(340));
    add('U', 3, kNuki, {130});
    add('U', 4, kNuki, {150});
    add('U', 6, kKomi, taxarith::kReturns);
    add('U', 7, kNuki, {320});
    add('U', 8, kNuki, {330});
    add('U', 9, kNuki, {350});

    addPurchase(0, kKomi, {511, 711});
    addPurchase(1, kKomi, {513, 713});
    addPurchase(2, kKomi, {512, 712});
    addPurchase(3, kNuki, {551});
    addPurchase(4, kNuki, {553});
    addPurchase(5, kNuki, {552});
    addPurchase(6, kGaku, {724});
    addPurchase(7, kGaku, {726});
    addPurchase(8, kGaku, {725});
    addPurchase(10, kKomi, {561, 761});
    addPurchase(11, kKomi, {563, 763});
    addPurchase(12, kKomi, {562, 762});
    addPurchase(13, kNuki, {581});
    addPurchase(14, kNuki, {583});
    addPurchase(15, kNuki, {582});
    addPurchase(16, kGaku, {774});
    addPurchase(17, kGaku, {776});
    addPurchase(18, kGaku, {775});
    // The local-tax cells of imports are never filled.
    Cell(m, Code('S', rate.digit), purchaseRow(9), kGaku).clear();
    Cell(m, Code('S', rate.digit), purchaseRow(19), kGaku).clear();

    add('K', 0, kKomi, taxarith::kBadDebt);
    add('K', 1, kKomi, taxarith::kCollected);
  }
  ResultCode = 1;
}

void TSyohizeiDataMake::MakeKanValues() {
  const int m = kSimplified;
  for (const RateBlock& rate : kRates) {
    for (char t : {'U', 'H', 'K'}) {
      const std::string code = Code(t, rate.digit);
      for (int row = 0; row < RowCount(m, code); ++row)
        for (int column = 0; column < 3; ++column) Cell(m, code, row, column).clear();
    }
  }
  // Row of the codes without a business type: the main business type's; the fourth type
  // when there is none, and also for a main type the forms do not know (above 6), which
  // would otherwise point past the six rows.
  const int mainRow = (MainBusinessType <= 0 || MainBusinessType > 6 ? 4 : MainBusinessType) - 1;
  for (const RateBlock& rate : kRates) {
    const int c = rate.rateClass;
    auto add = [&](char table, int row, int column, int taxCode) {
      AddToCell(m, Code(table, rate.digit), row, column, KanAmount(c, TaxCodeSlot(taxCode)));
    };
    // Sales and the tax received on them into 'U', their returns into 'H'.
    for (const auto& [table, base, base2] : {std::tuple{'U', taxarith::kSalesBase, taxarith::kSalesTaxBase},
                                             std::tuple{'H', taxarith::kReturnsBase, taxarith::kReturnsTaxBase}}) {
      if (Simplified == 1) {
        for (int n = 1; n <= taxarith::kBusinessTypeCount; ++n) {
          add(table, n - 1, kKomi, base + n);
          add(table, n - 1, kKomi, base2 + n);
        }
        add(table, mainRow, kKomi, base);
        add(table, mainRow, kKomi, base2);
      } else if (Simplified == 0 && MainBusinessType == 0) {
        for (int n = 0; n <= taxarith::kBusinessTypeCount; ++n) {
          add(table, 3, kKomi, base + n);
          add(table, 3, kKomi, base2 + n);
        }
      }
    }
    add('U', 8, kNuki, 120);
    add('H', 8, kNuki, 320);
    for (int taxCode : taxarith::kBadDebt) add('K', 0, kKomi, taxCode);
    for (int taxCode : taxarith::kCollected) add('K', 1, kKomi, taxCode);
  }
  ResultCode = 1;
}

void TSyohizeiDataMake::WriteRefundGroup(TXmlSaveDoc& doc, TXmlNode data) const {
  auto pair = [&doc](TXmlNode group, const std::string& name, const TKanpuGridRow& row, int64_t scale) {
    doc.AddTextNode(group, name + "1", FormatYen(row.KESSANKIN * scale));
    doc.AddTextNode(group, name + "2", FormatYen(row.NOTKAZEISIIREKIN * scale));
  };
  const int32_t dataType = AccInf.DATATYPE;
  if (dataType == 1 || dataType == 3) {
    const TKanpuMeisai_Hojin& k = KanpuMeisai_Hojin;
    const std::string flag = k.ZEINUKI_HYOUJI == 1 ? "2" : "1";
    // The corporate grids hold thousands of yen.
    TXmlNode g = doc.AddNode(data, GroupName(kSimplified, 12));
    doc.AddTextNode(g, "KESSANZEIKUBUN", flag);
    pair(g, "SHOHINSHIIRE", k.PL_GRID[1], 1000);
    pair(g, "HANBAIIPPAN", k.PL_GRID[2], 1000);
    pair(g, "EIGYOGAIHIYOU", k.PL_GRID[3], 1000);
    pair(g, "SONOTASONEKI", k.PL_GRID[4], 1000);
    doc.AddTextNode(g, "SHISANZEIKUBUN", flag);
    pair(g, "KOTEISHISAN", k.ASSET_GRID[1], 1000);
    pair(g, "KURINOBESHISAN", k.ASSET_GRID[2], 1000);
    pair(g, "SONOTASISAN", k.ASSET_GRID[3], 1000);
  } else if (dataType == 2) {
    const TKanpuMeisai_Kojin& k = KanpuMeisai_Kojin;
    TXmlNode g = doc.AddNode(data, GroupName(kSimplified, 13));
    doc.AddTextNode(g, "KESSANZEIKUBUN", k.ZEINUKI_HYOUJI == 1 ? "2" : "1");
    pair(g, "JIGYOSHIIRE", k.BUSINESS_GRID[1], 1);
    pair(g, "JIGYOHITSUYOU", k.BUSINESS_GRID[2], 1);
    pair(g, "JIGYOKOTEISHISAN", k.BUSINESS_GRID[3], 1);
    pair(g, "FUDOUSANHITSUYOU", k.REALESTATE_GRID[1], 1);
    pair(g, "FUDOUSANKOTEISHISAN", k.REALESTATE_GRID[2], 1);
    pair(g, "SONOTASHIIRE", k.OTHER_GRID[1], 1);
    pair(g, "SONOTAHITSUYOU", k.OTHER_GRID[2], 1);
    pair(g, "SONOTAKOTEISHISAN", k.OTHER_GRID[3], 1);
  }
}
