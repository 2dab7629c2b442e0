#include "export/sy26.h"

#include <cstring>
#include <initializer_list>
#include <memory>
#include <tuple>
#include <variant>

#include "data/DataModule.h"
#include "data/DbQuietly.h"
#include "data/DbRows.h"
#include "data/uAccDateCmp.h"
#include "data/uAccRecord.h"
#include "platform/UiServices.h"
#include "platform/db/IBError.h"
#include "platform/db/TransactionScope.h"
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

// The consumption-tax settings row TAX_KAZEIHOUSIKI (REC 1), one entry per column in the
// order the accounting product writes them: the parameter type and default of the row the
// export inserts when the company has none, and the field of the settings record the column
// is read into (none for the columns the export does not take).
enum class ColumnKind : uint8_t { Integer, Currency, Date, Text };
// Defaults that come from the company rather than from the table.
enum class DefaultFrom : uint8_t { Table, FiscalYearStart, FiscalYearEnd, CompanyMethod };
using SettingsField = std::variant<std::monostate, int32_t TTAXPAR::*, bool TTAXPAR::*, Currency TTAXPAR::*,
                                   TDateTime TTAXPAR::*, std::string TTAXPAR::*>;

struct SettingsColumn {
  const char* name;
  ColumnKind kind;
  int32_t value = 0;  // default of an Integer column (other kinds default to 0 / empty)
  DefaultFrom from = DefaultFrom::Table;
  SettingsField field{};
  bool percent = false;  // kept in whole percent, held as the fraction
};

using K = ColumnKind;
using P = TTAXPAR;
const SettingsColumn kSettingsColumns[] = {
    {"REC", K::Integer, 1},
    {"KIKAN_KAISI", K::Date, 0, DefaultFrom::FiscalYearStart, &P::KIKAN_KAISI},
    {"KIKAN_SYURYO", K::Date, 0, DefaultFrom::FiscalYearEnd, &P::KIKAN_SYURYO},
    {"SCODE", K::Text},  // every branch: the column is not taken
    {"SINKOKU_KUBUN", K::Integer, 0, DefaultFrom::CompanyMethod, &P::SINKOKU_KUBUN},
    {"MINASIRITU1", K::Integer, 90, DefaultFrom::Table, &P::MINASIRITU1, true},
    {"MINASIRITU2", K::Integer, 80, DefaultFrom::Table, &P::MINASIRITU2, true},
    {"MINASIRITU3", K::Integer, 70, DefaultFrom::Table, &P::MINASIRITU3, true},
    {"MINASIRITU4", K::Integer, 60, DefaultFrom::Table, &P::MINASIRITU4, true},
    {"MINASIRITU5", K::Integer, 50, DefaultFrom::Table, &P::MINASIRITU5, true},
    {"TYUUKAN_NOUFU", K::Currency, 0, DefaultFrom::Table, &P::TYUUKAN_NOUFU},
    {"TYUUKAN_JOUTO", K::Currency, 0, DefaultFrom::Table, &P::TYUUKAN_JOUTO},
    {"KOUJYOZEI_18A", K::Currency, 0, DefaultFrom::Table, &P::KOUJYOZEI_18A},
    {"KOUJYOZEI_18B", K::Currency, 0, DefaultFrom::Table, &P::KOUJYOZEI_18B},
    {"KOUJYOZEI_19A", K::Currency, 0, DefaultFrom::Table, &P::KOUJYOZEI_19A},
    {"KOUJYOZEI_19B", K::Currency, 0, DefaultFrom::Table, &P::KOUJYOZEI_19B},
    {"KIJYUNKIKANURI", K::Currency, 0, DefaultFrom::Table, &P::KIJYUNKIKANURI},
    {"KEISANTOKUREI", K::Integer, 0, DefaultFrom::Table, &P::KEISANTOKUREI},
    {"KAZEIURI95MIMAN", K::Integer, 0, DefaultFrom::Table, &P::KAZEIURI95MIMAN},
    {"ANBUNWARIAI", K::Integer, 0, DefaultFrom::Table, &P::ANBUNWARIAI},
    {"JUNZURUWARIAI", K::Integer, 0, DefaultFrom::Table, &P::JUNZURUWARIAI},
    {"TEISYUTUBI", K::Date, 0, DefaultFrom::Table, &P::TEISYUTUBI},
    {"ZEIMUSYO", K::Text, 0, DefaultFrom::Table, &P::ZEIMUSYO},
    {"NOUZEITI1", K::Text},
    {"NOUZEITI2", K::Text},
    {"DAIHYOUKANA", K::Text, 0, DefaultFrom::Table, &P::DAIHYOUKANA},
    {"DAIHYOU", K::Text, 0, DefaultFrom::Table, &P::DAIHYOU},
    {"KEIRITANTOU", K::Text, 0, DefaultFrom::Table, &P::KEIRITANTOU},
    {"SEIRIBANGOU", K::Text, 0, DefaultFrom::Table, &P::SEIRIBANGOU},
    {"SINKOKUBI", K::Date, 0, DefaultFrom::Table, &P::SINKOKUBI},
    {"SIDOUBI", K::Date, 0, DefaultFrom::Table, &P::SIDOUBI},
    {"FUKI_KAPPU", K::Integer, 0, DefaultFrom::Table, &P::FUKI_KAPPU},
    {"FUKI_NOBEBARAI", K::Integer, 0, DefaultFrom::Table, &P::FUKI_NOBEBARAI},
    {"FUKI_KOUJI", K::Integer, 0, DefaultFrom::Table, &P::FUKI_KOUJI},
    {"FUKI_GENKIN", K::Integer, 0, DefaultFrom::Table, &P::FUKI_GENKIN},
    {"SINKOKUSYO", K::Integer, 0, DefaultFrom::Table, &P::SINKOKUSYO},
    {"GINKOUMEI", K::Text, 0, DefaultFrom::Table, &P::GINKOUMEI},
    {"GINKOUKUBUN", K::Integer, 0, DefaultFrom::Table, &P::GINKOUKUBUN},
    {"SITENMEI", K::Text, 0, DefaultFrom::Table, &P::SITENMEI},
    {"SITENKUBUN", K::Integer, 0, DefaultFrom::Table, &P::SITENKUBUN},
    {"YOKINSYUBETU", K::Integer, 0, DefaultFrom::Table, &P::YOKINSYUBETU},
    {"KOUZA", K::Text, 0, DefaultFrom::Table, &P::KOUZA},
    {"YUBINKYOKUMEI", K::Text, 0, DefaultFrom::Table, &P::YUBINKYOKUMEI},
    {"TYOKIN_KIGOU", K::Text, 0, DefaultFrom::Table, &P::TYOKIN_KIGOU},
    {"TYOKIN_BANGOU", K::Text, 0, DefaultFrom::Table, &P::TYOKIN_BANGOU},
    {"ZEIRISI", K::Text, 0, DefaultFrom::Table, &P::ZEIRISI},
    {"ZEIRISI_TEL", K::Text, 0, DefaultFrom::Table, &P::ZEIRISI_TEL},
    {"ZEIRISI_H30", K::Integer, 0, DefaultFrom::Table, &P::ZEIRISI_H30},
    {"ZEIRISI_H33", K::Integer, 0, DefaultFrom::Table, &P::ZEIRISI_H33},
    {"FUHYO22_KAZEI_COPY", K::Integer, 1, DefaultFrom::Table, &P::FUHYO22_KAZEI_COPY},
    {"ZEIRISI_JIMUSHO", K::Text, 0, DefaultFrom::Table, &P::ZEIRISI_JIMUSHO},
    {"FUHYO52_KAZEI_COPY", K::Integer, 1, DefaultFrom::Table, &P::FUHYO52_KAZEI_COPY},
};

// The column names joined by ",", each after prefix.
std::string ColumnList(const char* prefix) {
  std::string list;
  for (const SettingsColumn& c : kSettingsColumns) {
    if (!list.empty()) list += ',';
    list += prefix;
    list += c.name;
  }
  return list;
}

constexpr const char* kCountSql =
    "SELECT COUNT(REC) AS RECCNT FROM TAX_KAZEIHOUSIKI\n"
    "WHERE REC=1";
const std::string kInsertSql =
    "INSERT INTO TAX_KAZEIHOUSIKI(" + ColumnList("") + ")\nVALUES(" + ColumnList(":") + ")";
const std::string kSelectSql = "SELECT " + ColumnList("") + " FROM TAX_KAZEIHOUSIKI\nWHERE REC=1";

// Whether text holds word as a word of its own (not as part of a longer name such as
// KANPU_SINKOKU within KANPU_SINKOKU_SIIREKIN).
bool NamesWord(const std::string& text, const std::string& word) {
  if (word.empty()) return false;
  auto wordChar = [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '$';
  };
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
    const size_t end = at + word.size();
    if ((at == 0 || !wordChar(text[at - 1])) && (end == text.size() || !wordChar(text[end]))) return true;
  }
  return false;
}

// A database failure while the engine reads the period: the refund details and the journal
// are read in one go, and the engine's text names the table when the failure is about one.
EIBError InJournalStep(const EIBError& e) {
  static const struct {
    const char* step;
    const char* tables[3];
  } kSteps[] = {
      {"還付明細の読込", {"KANPU_SINKOKU", "KANPU_SINKOKU_TORIHIKI", "KANPU_SINKOKU_SIIREKIN"}},
      {"仕訳の集計", {"SIWAKE", "SIWAKE2", "KAMOKUMST"}},
  };
  std::string all;
  for (const auto& step : kSteps) {
    for (const char* table : step.tables) {
      if (NamesWord(e.Message, table)) return ExportDbError(e, step.step, table);
      all += all.empty() ? "" : ", ";
      all += table;
    }
  }
  return ExportDbError(e, "仕訳と還付明細の集計", all);
}

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
  for (const SettingsColumn& c : kSettingsColumns) {
    TIBParam& p = q.ParamByName(c.name);
    switch (c.from) {
      case DefaultFrom::FiscalYearStart: p.SetDate(AccInf.KISHU); continue;
      case DefaultFrom::FiscalYearEnd: p.SetDate(AccInf.KIMATU); continue;
      case DefaultFrom::CompanyMethod: p.SetInteger(AccInf.TAXKANNI); continue;
      case DefaultFrom::Table: break;
    }
    switch (c.kind) {
      case ColumnKind::Integer: p.SetInteger(c.value); break;
      case ColumnKind::Currency: p.SetCurrency(Currency()); break;
      case ColumnKind::Date: p.SetDate(0); break;
      case ColumnKind::Text: p.SetString(""); break;
    }
  }
  q.ExecSQL();
  q.Close();
}

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;  // clang before 17 deduces no aggregate's arguments

void ReadSettingsRow(TIBQuery& q, TTAXPAR& s) {
  for (const SettingsColumn& c : kSettingsColumns) {
    if (std::holds_alternative<std::monostate>(c.field)) continue;
    const TIBField& f = q.FieldByName(c.name);
    std::visit(Overloaded{
                   [](std::monostate) {},
                   [&](int32_t TTAXPAR::*m) { s.*m = f.AsInteger(); },
                   [&](bool TTAXPAR::*m) { s.*m = f.AsInteger() == 1; },
                   [&](Currency TTAXPAR::*m) { s.*m = c.percent ? Percent(f) : f.AsCurrency(); },
                   [&](TDateTime TTAXPAR::*m) { s.*m = f.AsDateTime(); },
                   [&](std::string TTAXPAR::*m) { s.*m = f.AsString(); },
               },
               c.field);
  }
  s.SCODE.clear();  // every branch
  s.ENTRY_MODE.clear();
  switch (s.SINKOKUSYO) {
    case 0: s.SINKOKUSYO_NAME = "確定"; break;
    case 1: s.SINKOKUSYO_NAME = "中間"; break;
    case 2: s.SINKOKUSYO_NAME = "修正"; break;
    default: s.SINKOKUSYO_NAME.clear();
  }
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
  TSyohizeiDataMake maker(Params);
  maker.Make(doc);
  TXmlNode basic = doc.FindNode(nullptr, "BASIC");
  doc.SetChildText(basic, "KEIKASHOCHIKAZEISHISAN", std::to_string(maker.TransitionalFlag));
}

// ---------------------------------------------------------------------------------------------
// The maker.

int32_t TSyohizeiDataMake::Make(TXmlSaveDoc& doc) {
  ResultCode = 3;
  CheckExportPeriod(*this);
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
  // The journal is read once for both passes: what it gives does not depend on the method,
  // except the specified purchases of the refund grids, which only the general pass's grids
  // carry and only those reach the file. So it is read as the general pass reads it, and each
  // pass works on its own copy (the simplified pass folds its tables in place). The pass that
  // takes the copy also takes the refund detail from it, so its preset is not made again.
  ResetTaxResults(readJournal);
  if (readJournal) {
    TaxPar.SINKOKU_KUBUN = 0;
    try {
      AggregateJournals();
    } catch (const EIBError& e) {
      throw InJournalStep(e);
    }
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

  TIBQuery& q = DM->IBQACC1;
  try {
    // The default row inserted here is kept even when the read after it fails.
    TTransactionScope tx(DM->IBTransactionDAT, TTransactionScope::End::Commit);
    try {
      if (!RowExists(q, kCountSql)) InsertDefaultSettings(q);
      q.SQL = kSelectSql;
      for (q.Open(); !q.Eof(); q.Next()) ReadSettingsRow(q, rec);
      q.Close();
    } catch (...) {
      CloseQuietly(q);
      throw;
    }
  } catch (const EIBError& e) {
    const EIBError failure = ExportDbError(e, "消費税の設定の読込", "TAX_KAZEIHOUSIKI");
    uis::ShowMessage(uis::MsgKind::Error, "ﾃﾞｰﾀﾍﾞｰｽ ｴﾗｰ\r" + failure.Message + "\r\r");
    throw failure;
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
