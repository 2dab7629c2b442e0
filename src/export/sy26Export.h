#pragma once
// The consumption-tax export of one company data set without the wizard: what the wizard
// does between choosing the data set and saving the file, in one call. The tests, the demo
// and the command-line exporter use it.
//
// The data module must exist and SystemDef must hold the connection (user, password, host,
// connection mode); the application information must be applied.
#include <cstdint>
#include <string>

#include "data/uAccRecord.h"
#include "export/ComRendo.h"

class TComDataExport;

// Period slot that stands for the last period of the fiscal year (LastKikanNo).
inline constexpr int32_t kLastSlotOfYear = -1;

// The record of an opened company as the wizard fills it when a data set is chosen: fiscal
// year, the default period (from the period after the input start to the fiscal-year end), the
// tax switches, data and code type.
TExportParams ExportParamsOf(const TACCINF& info);

// Copies the opened company into the exporter as the wizard does when a data set is chosen:
// the company name and ExportParamsOf(info).
void TakeAccInfo(TComDataExport& exporter, const TACCINF& info);

// The export proper, on the connected data set whose accounting information is loaded: the
// REPORT with its SYSTEM, BASIC and DATA nodes, saved to the exporter's ExportFile. Before
// anything is read it refuses an output file that would destroy data (CheckExportFile) and a
// period the maker cannot use (CheckExportPeriod), and warns when the registry did not name
// the accounting product. A company name whose stored bytes are not code page 932 is refused
// (EDataExportError 257) rather than written with '?' in its place. Database failures come as
// EIBError whose message begins with the export's step and table (ExportDbError).
void WriteSyohizeiFile(TComDataExport& exporter);

// Connects the company data set in folder (marked in use while the export runs), loads its
// accounting information and writes the intermediate file of the periods startSlot to endSlot
// (kLastSlotOfYear: to the fiscal-year end) to exportFile. functionId is the caller's id (0
// when run alone). Raises what the export raises (EDataExportError, EXmlDocError, EIBError)
// and std::runtime_error when the data set cannot be opened; the file is then not written.
void ExportSyohizeiFile(const std::string& folder, int32_t startSlot, int32_t endSlot,
                        const std::string& exportFile, int32_t functionId = 0);
