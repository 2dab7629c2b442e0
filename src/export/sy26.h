#pragma once
// The consumption-tax export: the exporter of kind "SY" and its data maker, which turns one
// company data set and one calculation period into the DATA node of the intermediate file.
//
// The maker runs the consumption-tax engine twice over the period, by the simplified method
// and then by the general method, and turns the journal tables each pass leaves into one text
// per cell of the file's row tables: the simplified groups read the simplified pass (its
// business-type folds applied), the general groups, the refund-detail group and the
// transitional flag read the general pass.
#include <array>
#include <cstdint>
#include <string>

#include "export/ComDataExp.h"
#include "export/ComRendo.h"
#include "platform/Currency.h"
#include "tax/z5ComSyohizei.h"

class TSyohizeiDataExport : public TComDataExport {
 public:
  using TComDataExport::TComDataExport;

  // Runs the data maker on the export's Params, writes DATA and then sets
  // BASIC/KEIKASHOCHIKAZEISHISAN from the maker's transitional flag.
  void SetDataNode(TXmlSaveDoc& doc) override;
};

class TSyohizeiDataMake : public TZaimuDataLoad {
 public:
  // Methods of the name tables.
  static constexpr int kGeneral = 0;
  static constexpr int kSimplified = 1;
  // Cells of the row tables: 144 rows of three (tax-excluded, tax, tax-inclusive).
  static constexpr int kCellCount = 432;

  TSyohizeiDataMake() = default;
  // A maker for the export's record; Make refuses a period the record cannot give.
  explicit TSyohizeiDataMake(const TExportParams& params) : TZaimuDataLoad(params) {}

  // The whole job: both passes, the values, the DATA node. Returns ResultCode (1). A period
  // number outside 0..15 or a start after the end raises EDataExportError before anything
  // is read.
  int32_t Make(TXmlSaveDoc& doc);

  // The company's consumption-tax settings row (inserted with its defaults when missing).
  void ReadTaxSettings(TTAXPAR& settings);
  // The defaults of a settings record; the journal tables are left as they are.
  static void ClearTaxSettings(TTAXPAR& settings);

  // The simplified and the general cells of Values from the engine's journal tables.
  void MakeKanValues();
  void MakeGenValues();

  // Group element of a method (0 general, 1 simplified) by index 1..13; empty for others.
  static std::string GroupName(int method, int index);
  // Element of a cell: table codes "U8" ... "K3" (general "U", "S", "K"; simplified "U",
  // "H", "K", with the rate digit 8, 5 or 3), row and column from 0. Empty for a cell without
  // an element and for anything outside the tables.
  static std::string ValueName(int method, const std::string& tableCode, int row, int column);
  // Number of rows of a table (0 for an unknown code).
  static int RowCount(int method, const std::string& tableCode);
  // Whether the 8% groups are written: for kind 1 unless the pass's form era is 0.
  static bool UseRate8Groups(int kind);

  // The amount of a tax-code slot in a rate class that the general and the simplified cells
  // read from the journal tables.
  Currency GenAmount(int rateClass, int slot) const;
  Currency KanAmount(int rateClass, int slot) const;

  // The text of a cell (see ValueName for the arguments).
  const std::string& Value(int method, const std::string& tableCode, int row, int column) const;

  int32_t ResultCode = 3;        // 3 not done, 1 done
  std::array<std::string, kCellCount> Values;
  int32_t TransitionalFlag = 2;  // BASIC/KEIKASHOCHIKAZEISHISAN: 1 or 2

 private:
  // Index into Values of a cell (see ValueName); -1 outside the tables.
  static int CellIndex(int method, const std::string& tableCode, int row, int column);
  // What the one read of the period's journal leaves for both passes.
  struct TJournalScan {
    TJournalTable NUK_SUM{}, ZEI_SUM{}, KOMI_SUM{};
    int32_t ESTIMATED_IMPORT = 0;
    TKanpuMeisai_Hojin hojin;
    TKanpuMeisai_Kojin kojin;
  };
  // One pass of the engine by the method (1 simplified, 0 general). The first pass reads the
  // journal into scan, the second takes its own copy from there.
  void RunPass(int32_t method, TJournalScan& scan, bool readJournal);
  std::string& Cell(int method, const std::string& tableCode, int row, int column);
  // Adds an amount into a cell: the cell's text read as an amount, the sum written back in
  // whole yen, empty for 0.
  void AddToCell(int method, const std::string& tableCode, int row, int column, Currency amount);
  void WriteRefundGroup(TXmlSaveDoc& doc, TXmlNode data) const;
};

// Formats of the intermediate file: whole yen (halves away from zero), "-" for negatives, no
// separators; FormatYenOrEmpty gives the empty text for 0, FormatYen "0".
std::string FormatYenOrEmpty(Currency amount);
std::string FormatYen(Currency amount);
