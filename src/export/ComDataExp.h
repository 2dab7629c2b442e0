#pragma once
// The export framework: the object that holds everything the header of the intermediate file
// needs (the export's identity, the caller's function id and output file, the accounting
// product's name and version from the registry, the company's fiscal dates and tax settings
// copied in by the wizard) and the per-kind settings kept in Soravin.ini. It writes the
// REPORT root with its SYSTEM and BASIC nodes; the DATA node is the job of SetDataNode,
// which each kind of export implements.
//
// One object lives from the wizard's creation to its end: created (identity, registry values,
// Soravin.ini read), filled by the wizard (possibly several times), exported, destroyed
// (Soravin.ini written).
#include <cstdint>
#include <stdexcept>
#include <string>

#include "export/XMLSaveDoc.h"
#include "platform/DateTime.h"

// The export's one exception class: the wizard turns it into a message (Message, then Detail)
// and a result code; codes 6 and 16 are shown as information, every other code as an error.
class EDataExportError : public std::runtime_error {
 public:
  EDataExportError(const std::string& msg, int32_t code, std::string detail)
      : std::runtime_error(msg), Detail(std::move(detail)), Code(code) {}

  std::string Detail;  // where the error arose
  int32_t Code;
};

// Error codes of EDataExportError.
inline constexpr int32_t kExportErrUnknownPrefix = 256;  // SetBasicNode: no layout for the prefix
inline constexpr int32_t kExportErrBadText = 257;        // a free text the file cannot hold

class TComDataExport {
 public:
  // Sets the identity, reads the product's name and version from the registry, creates the
  // settings folder when needed and reads Soravin.ini.
  TComDataExport(std::string exportFile, int32_t functionId);
  // Writes Soravin.ini. A failure is logged to standard error rather than thrown (a
  // destructor must not throw): callers that need to know call SaveSettings themselves.
  virtual ~TComDataExport();
  TComDataExport(const TComDataExport&) = delete;
  TComDataExport& operator=(const TComDataExport&) = delete;

  void LoadSettings();
  // Raises what the INI writer raises (EIniFileException).
  void SaveSettings();

  // The REPORT root and its SYSTEM node.
  void SetSystemNode(TXmlSaveDoc& doc);
  // The BASIC node. An unknown business prefix raises EDataExportError 256 after BASIC and
  // its KOMONSAKINAME have been written.
  void SetBasicNode(TXmlSaveDoc& doc);
  // The DATA node of the kind.
  virtual void SetDataNode(TXmlSaveDoc& doc) = 0;

  // One value of the installed accounting product of the given major version: the string
  // value valueName of the last subkey (in registry order) whose lower-cased name contains
  // the product id in lower case followed by the version in two digits. value keeps what the
  // caller passed when no subkey matches. For "rootdir" the value becomes a folder name
  // below it: "/", the product id, version + 8 in two digits and, for letter > 0, the letter
  // 'a' + letter.
  static void GetSeihinRegValue(int32_t version, int32_t letter, const std::string& valueName,
                                std::string& value);

  // The section of Soravin.ini for a kind; empty for a kind without settings.
  static std::string SettingsSection(const std::string& kind);
  std::string SettingsFile() const { return IniDir + "/Soravin.ini"; }

  std::string ExeName;              // file name of the running program, upper case
  std::string ExeDir;               // folder of the running program
  std::string ExeDrive;             // drive of that folder ("" on a POSIX path)
  std::string DataRootDir;          // common application data / the product's folder key
  std::string IniDir;               // DataRootDir + "/ini"
  std::string Caption;              // the wizard's window caption
  std::string TargetName;           // the target application's name in the wizard's texts
  std::string Kind;                 // "SY"
  int32_t CallerFunctionId = 0;     // the caller's function id; 0 when run alone
  std::string GyoumuPrefix;         // business prefix "SY26"
  int32_t FormatVersion = 1;
  int32_t FunctionId = 1;           // CallerFunctionId, or 1 when that is 0
  std::string ConnectedProgramVer;  // "10.0.0"
  std::string ProgramName;          // registry value Product of the accounting product
  std::string ProgramVer;           // registry value Version of the accounting product
  std::string MinProgramVer;        // "10.0.0": the lowest product and data version accepted
  std::string KomonsakiName;        // client name; the wizard puts the company name here
  int32_t FiscalYear = 0;
  TDateTime YearStart = 0;
  TDateTime YearEnd = 0;
  int32_t ClosingDay = 99;
  int32_t IncomeKind = 0;           // income-tax kinds only
  int32_t HasuuSyoukyaku = 0;       // income-tax kinds only
  uint8_t IncludeDetails = 0;       // income-tax kinds only
  std::string LastDataPath;         // key DATA of Soravin.ini, written back unchanged
  int32_t StartSlot = 0;            // first period number (MNUM 0..15) of the period
  int32_t EndSlot = 0;              // last period number of the period
  int32_t LastSlot = 0;             // last period number of the fiscal year
  int32_t TaxCalcKind = 0;          // 0 tax-included, 1 tax-excluded
  int32_t Simplified = 0;           // non-zero: simplified method
  int32_t MainBusinessType = 0;     // 1..6, 0 none
  int32_t AccumMethod = 0;          // 0 principle, non-zero accumulation; always 0 here
  int32_t DataType = 0;             // 1 corporation, 2 individual, 3 medical corporation
  int32_t CodeType = 0;
  std::string ExportFile;           // full path of the intermediate file
  int32_t SelectCondition = 0;      // data condition of the data-selection dialog
  std::string DataVerMajor;         // "10"
};

// Refuses a free text (company name, product name and version) that the intermediate file
// cannot hold: a character outside code page 932 or a control character other than tab and
// line breaks. element names the element for the message.
void CheckExportText(const std::string& text, const std::string& element);
