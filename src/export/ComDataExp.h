#pragma once
// The export framework: the object that holds everything the header of the intermediate file
// needs (the export's identity, the caller's function id and output file, the accounting
// product's name and version from the registry, the company's fiscal dates and tax settings
// copied in by the wizard) and the per-kind settings kept in Soravin.ini. It writes the
// REPORT root with its SYSTEM and BASIC nodes; the DATA node is the job of SetDataNode,
// which each kind of export implements.
//
// One object lives from the wizard's creation to its end: created (identity, registry values,
// Soravin.ini read), filled by the wizard (possibly several times: the company name, the
// output file and one TExportParams record), exported, destroyed (Soravin.ini written).
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "export/ComRendo.h"
#include "export/XMLSaveDoc.h"
#include "platform/DateTime.h"
#include "platform/db/IBError.h"

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
inline constexpr int32_t kExportErrUnknownPrefix = 256;      // SetBasicNode: no layout for the prefix
inline constexpr int32_t kExportErrBadText = 257;            // a free text the file cannot hold
inline constexpr int32_t kExportErrPeriod = 258;             // period number out of range, or start after end
inline constexpr int32_t kExportErrNoOutputFile = 259;       // no output file named
inline constexpr int32_t kExportErrOutputIsDatabase = 260;   // the output would overwrite a database file
inline constexpr int32_t kExportErrOutputInDataFolder = 261; // the output would land among the data sets

// A database failure in one of the export's steps, told in the export's own words first: that
// the consumption-tax data could not be made, the step and its table(s) in parentheses, then
// the engine's text on the next line. The engine's codes are kept for callers that look at them.
EIBError ExportDbError(const EIBError& error, const std::string& step, const std::string& tables);

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

  // Warns (through the UI services) when the registry gave no product name or version: the
  // file is still written, with PROGRAMNAME and PROGRAMVER empty, which the importing
  // application may refuse.
  void WarnIfProductUnknown() const;

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
  std::string LastDataPath;         // key DATA of Soravin.ini, written back unchanged
  // The company's fiscal dates, the period and the tax switches, as the caller filled them;
  // SetDataNode hands this record to the data maker as it is.
  TExportParams Params;
  std::string ExportFile;           // full path of the intermediate file
  int32_t SelectCondition = 0;      // data condition of the data-selection dialog
  std::string DataVerMajor;         // "10"
};

// Refuses an output file that would destroy data instead of holding the intermediate file:
// no name (259); a database file, by its extension (.fdb, .gdb, .ib in any case) or because it
// is the file of a connection the data module holds open (260); a path inside the system
// folder SystemDef.SysDir, where the system database and the company data folders live, or
// inside the folder of the connected company database (261).
void CheckExportFile(const std::string& exportFile);

// Refuses a free text (company name, product name and version) that the intermediate file
// cannot hold: a character outside code page 932 or a control character other than tab and
// line breaks. element names the element for the message.
void CheckExportText(const std::string& text, const std::string& element);
// Refuses a text whose stored bytes (cp932, as read from a database) hold a sequence that
// code page 932 does not define: the database layer hands such a text on with '?' in its
// place, which the check above cannot tell from a real question mark. Code 257, as above.
void CheckStoredText(std::string_view cp932, const std::string& element);
