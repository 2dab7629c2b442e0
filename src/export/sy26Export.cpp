#include "export/sy26Export.h"

#include <stdexcept>

#include "data/DataModule.h"
#include "export/sy26.h"

void TakeAccInfo(TComDataExport& exporter, const TACCINF& info) {
  exporter.KomonsakiName = info.SHOUGOU;
  exporter.FiscalYear = info.NENDO;
  exporter.YearStart = info.KISHU;
  exporter.YearEnd = info.KIMATU;
  exporter.ClosingDay = info.SIME;
  exporter.StartSlot = info.PrevKikanNo;
  exporter.EndSlot = info.LastKikanNo;
  exporter.LastSlot = info.LastKikanNo;
  exporter.TaxCalcKind = info.TAXDEFUH;
  exporter.Simplified = info.TAXKANNI;
  exporter.MainBusinessType = info.TAXJIGYOU;
  exporter.AccumMethod = 0;
  exporter.DataType = info.DATATYPE;
  exporter.CodeType = info.CODETYPE;
  exporter.IncomeKind = 0;
  if (info.DATATYPE == 2) exporter.IncomeKind = info.CODETYPE == 2 ? 3 : info.CODETYPE == 4 ? 4 : 1;
}

namespace {

// Keeps the data set connected and marked in use for one export.
class DataConnection {
 public:
  explicit DataConnection(const std::string& folder) : folder_(folder) {
    if (DM == nullptr) throw std::runtime_error("the data module does not exist");
    // A failed connection has marked nothing (and has told the user why).
    if (!DM->fnAccDatConnected("", folder_, true)) {
      throw std::runtime_error("会計データに接続できませんでした。(" + folder_ + ")");
    }
  }
  ~DataConnection() {
    try {
      DM->AccDatDisconnect(folder_, true, false);
    } catch (const std::exception&) {
      // The export's own outcome is what the caller needs; the mark is refreshed next time.
    }
  }
  DataConnection(const DataConnection&) = delete;
  DataConnection& operator=(const DataConnection&) = delete;

 private:
  std::string folder_;
};

}  // namespace

void ExportSyohizeiFile(const std::string& folder, int32_t startSlot, int32_t endSlot,
                        const std::string& exportFile, int32_t functionId) {
  DataConnection connection(folder);
  if (!DM->fnGetAccInfo()) throw std::runtime_error("会計情報を読み込めませんでした。(" + folder + ")");

  TSyohizeiDataExport exporter(exportFile, functionId);
  TakeAccInfo(exporter, AccInf);
  exporter.StartSlot = startSlot;
  exporter.EndSlot = endSlot == kLastSlotOfYear ? AccInf.LastKikanNo : endSlot;
  exporter.ExportFile = exportFile;

  WriteSyohizeiFile(exporter);
}

void WriteSyohizeiFile(TComDataExport& exporter) {
  TXmlSaveDoc doc("1.0", "Shift_JIS", "");
  exporter.SetSystemNode(doc);
  exporter.SetBasicNode(doc);
  exporter.SetDataNode(doc);
  doc.SaveToFile(exporter.ExportFile);
}
