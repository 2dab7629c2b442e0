#pragma once
// What the engine's tests share: amounts in yen, hand-filled journal tables and their
// comparison, and a fixture that puts the engine's records and AccInf back around each test.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "data/uAccRecord.h"
#include "platform/Currency.h"
#include "platform/DateTime.h"
#include "tax/z5ComSyohizei.h"
#include "tax/z5TaxCul_H.h"

inline void PrintTo(const Currency& c, std::ostream* os) { *os << c.ToString(); }

inline Currency Yen(int64_t yen) { return Currency::FromYen(yen); }

// One cell of the journal tables: 'K' tax-inclusive, 'N' net, 'Z' tax.
struct Cell {
  char table;
  int rateClass;
  int code;
  int64_t yen;
};

// Adds the cells into the journal tables of t.
inline void Fill(TTAXPAR& t, const std::vector<Cell>& cells) {
  for (const Cell& c : cells) {
    TJournalTable& table = c.table == 'K' ? t.KOMI_SUM : c.table == 'N' ? t.NUK_SUM : t.ZEI_SUM;
    table[c.rateClass][TaxCodeSlot(c.code)] += Yen(c.yen);
  }
}
inline void Fill(const std::vector<Cell>& cells) { Fill(TaxPar, cells); }

// Every cell of TaxPar's journal tables that differs from the expected tables, as
// "K[2][slot 5] 0 != 1500".
inline std::vector<std::string> Differences(const TTAXPAR& expected) {
  std::vector<std::string> out;
  const struct {
    char name;
    const TJournalTable& actual;
    const TJournalTable& wanted;
  } tables[] = {{'K', TaxPar.KOMI_SUM, expected.KOMI_SUM},
                {'N', TaxPar.NUK_SUM, expected.NUK_SUM},
                {'Z', TaxPar.ZEI_SUM, expected.ZEI_SUM}};
  for (const auto& t : tables)
    for (int c = 0; c < kRateClassCount; ++c)
      for (int s = 0; s < kTaxSlotCount; ++s)
        if (t.actual[c][s] != t.wanted[c][s])
          out.push_back(std::string(1, t.name) + "[" + std::to_string(c) + "][slot " + std::to_string(s) +
                        "] " + t.actual[c][s].ToString() + " != " + t.wanted[c][s].ToString());
  return out;
}

// The same against tables that hold the given cells and 0 everywhere else.
inline std::vector<std::string> TableDifferences(const std::vector<Cell>& cells) {
  TTAXPAR expected;
  Fill(expected, cells);
  return Differences(expected);
}

// The engine's records and AccInf cleared before and after each test.
class TaxRecordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetTaxEngineRecords();
    AccInf = TACCINF{};
  }
  void TearDown() override {
    ResetTaxEngineRecords();
    AccInf = TACCINF{};
  }

  // The fiscal year of AccInf and the calculation period of TaxPar.
  static void SetYear(TDateTime start, TDateTime end) {
    AccInf.KISHU = start;
    AccInf.KIMATU = end;
    TaxPar.KIKAN_KAISI = start;
    TaxPar.KIKAN_SYURYO = end;
  }
};
