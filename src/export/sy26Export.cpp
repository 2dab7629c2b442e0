#include "export/sy26Export.h"

#include <memory>
#include <stdexcept>

#include "data/DataModule.h"
#include "data/DbQuietly.h"
#include "data/uAccFunctionDb.h"
#include "export/sy26.h"
#include "platform/Encoding.h"
#include "platform/db/TransactionScope.h"

TExportParams ExportParamsOf(const TACCINF& info) {
  TExportParams p;
  p.FiscalYear = info.NENDO;
  p.YearStart = info.KISHU;
  p.YearEnd = info.KIMATU;
  p.ClosingDay = info.SIME;
  p.StartSlot = info.PrevKikanNo;
  p.EndSlot = info.LastKikanNo;
  p.LastSlot = info.LastKikanNo;
  p.TaxCalcKind = info.TAXDEFUH;
  p.Simplified = info.TAXKANNI;
  p.MainBusinessType = info.TAXJIGYOU;
  p.AccumMethod = 0;
  p.DataType = info.DATATYPE;
  p.CodeType = info.CODETYPE;
  p.IncomeKind = 0;
  if (info.DATATYPE == 2) p.IncomeKind = info.CODETYPE == 2 ? 3 : info.CODETYPE == 4 ? 4 : 1;
  return p;
}

void TakeAccInfo(TComDataExport& exporter, const TACCINF& info) {
  exporter.KomonsakiName = info.SHOUGOU;
  exporter.Params = ExportParamsOf(info);
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

// The company name as the company database stores it, in its own bytes.
std::string StoredCompanyName() {
  std::unique_ptr<TIBQuery> q = CreateAccQuery("ACCDAT", false);
  if (!q) throw std::runtime_error("会社データベースに接続されていません。");
  std::string name;
  try {
    TTransactionScope tx(DM->IBTransactionDAT, TTransactionScope::End::CommitQuietly);
    q->SQL = "SELECT SHOUGOU FROM ACCDEF1";
    for (q->Open(); !q->Eof(); q->Next()) name = q->FieldByName("SHOUGOU").AsBlob();
    q->Close();
  } catch (const EIBError& e) {
    CloseQuietly(*q);
    throw ExportDbError(e, "会社名の読込", "ACCDEF1");
  }
  return name;
}

}  // namespace

void ExportSyohizeiFile(const std::string& folder, int32_t startSlot, int32_t endSlot,
                        const std::string& exportFile, int32_t functionId) {
  DataConnection connection(folder);
  if (!DM->fnGetAccInfo()) throw std::runtime_error("会計情報を読み込めませんでした。(" + folder + ")");

  TSyohizeiDataExport exporter(exportFile, functionId);
  TExportParams params = ExportParamsOf(AccInf);
  params.StartSlot = startSlot;
  params.EndSlot = endSlot == kLastSlotOfYear ? AccInf.LastKikanNo : endSlot;
  exporter.KomonsakiName = AccInf.SHOUGOU;
  exporter.Params = params;
  exporter.ExportFile = exportFile;

  WriteSyohizeiFile(exporter);
}

void WriteSyohizeiFile(TComDataExport& exporter) {
  CheckExportFile(exporter.ExportFile);
  CheckExportPeriod(exporter.Params);
  exporter.WarnIfProductUnknown();
  // The name the wizard took from the company: the data module has read it with '?' for what
  // code page 932 does not define, so its stored bytes decide.
  if (DM != nullptr && DM->IBDatabaseDAT.Connected()) {
    const std::string stored = StoredCompanyName();
    if (sjis::ToUtf8(stored) == exporter.KomonsakiName) CheckStoredText(stored, "KOMONSAKINAME");
  }

  TXmlSaveDoc doc("1.0", "Shift_JIS", "");
  exporter.SetSystemNode(doc);
  exporter.SetBasicNode(doc);
  exporter.SetDataNode(doc);
  doc.SaveToFile(exporter.ExportFile);
}
