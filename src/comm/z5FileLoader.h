#pragma once
// The description and partner dictionaries of a company database moved to another company
// database through a text file.
//
// File: CP932 on disk, one item a line, CR LF. Header lines begin with "//"; then the
// records: every field followed by ",", texts in double quotes, integers bare. The loaders
// keep the lines as UTF-8 in `Lines` and convert only when reading and writing the file.
//
//   TJisyoLoader jl;                         // queries on DM->IBDatabaseDAT / IBTransactionDAT
//   jl.ExportDictionaries(path, false);      // the open data's dictionaries
//   jl.SetDatabase(&other); jl.SetTransaction(&otherTr);
//   jl.ImportDictionaries(path, false);      // replaces the other data's dictionary entries
//
// Quirks kept because files written by other installations rely on them:
//   - Only TEXT and TEKTEXT are escaped: tab, CR and LF are dropped and a double quote is
//     written as two apostrophes; reading turns every two apostrophes back into a double
//     quote, so a text that really held "''" reads back as one double quote.
//   - Titles are matched by their position within the branch, not by their key: the file's
//     first title of a branch fills the target's first title of that branch.
//   - An empty branch code is written as one blank.
//
// Failures: ExportDictionaries/ImportDictionaries answer false for a blank file name, an
// unreadable or empty file, a failed header check or a file without records. Database and
// file errors raise; the import first rolls back the transaction it started (work inside a
// caller's transaction is left to the caller), the export ends its own read transaction.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "data/uAccClassesSplit.h"
#include "platform/DateTime.h"
#include "platform/db/IBDatabase.h"
#include "platform/db/IBSQL.h"

class TBaseLoader {
 public:
  TBaseLoader();
  virtual ~TBaseLoader();
  TBaseLoader(const TBaseLoader&) = delete;
  TBaseLoader& operator=(const TBaseLoader&) = delete;

  // All five statements at once.
  void SetDatabase(TIBDatabase* db);
  void SetTransaction(TIBTransaction* tr);
  TIBTransaction* Transaction() const;

  // removeControls: tab, CR and LF are dropped as well.
  static std::string EscapeText(const std::string& text, bool removeControls);
  static std::string UnescapeText(const std::string& text, bool removeControls);

  // Appends the header lines of this file kind to Lines.
  void WriteHeader();
  // True when a line is exactly the file-kind line and, with MajorCheck 1, a version line
  // (when there is one) names the same major version as FileVersion.
  bool CheckHeader() const;
  // The records this loader would read from Lines.
  virtual int CountRecords() { return 0; }

  // The major number of a version text: the integer before the "." of "m.n"; otherwise 0.
  static int MajorOf(const std::string& version);

  std::array<TIBSQL, 5> IBSQL;
  int32_t OpCode = 0;
  std::string FileKind;
  std::string FileVersion;
  uint8_t MajorCheck = 1;
  std::vector<std::string> Lines;  // UTF-8
  char Quote = '"';
  char Delimiter = ',';
  TMojiBunkatu Splitter;

 protected:
  // The file's lines (CP932 -> UTF-8); false when it cannot be read.
  bool LoadLines(const std::string& fileName);
  // Lines written whole to the file (UTF-8 -> CP932, CR LF); raises when it cannot be.
  void SaveLines(const std::string& fileName) const;
  // Record fields.
  std::string Text(const std::string& value) const;  // "value",
  static std::string Int(int64_t value);              // value,
};

// One row of the account map: the combinations of the branch being read.
struct TKamokuCodeRec {
  std::string KCODE;
  std::string USERCODE;
  std::string HCODE;
  std::string BCODE;
  int32_t Reserve1 = 0;
  int32_t Reserve2 = 0;
};

class TJisyoLoader : public TBaseLoader {
 public:
  TJisyoLoader();

  // "1.0" writes accounts as internal codes (entry kinds 201/301), "1.1" as user codes
  // (202/302); any other text selects the kinds of "1.0".
  void SetVersion(const std::string& version);
  int CountRecords() override;

  bool ExportDictionaries(const std::string& fileName, bool quiet);
  bool ImportDictionaries(const std::string& fileName, bool quiet);

  std::string TekTitleKind = "200";
  std::string TekEntryKind = "202";
  std::string TorTitleKind = "300";
  std::string TorEntryKind = "302";
  std::string SCODE = " ";      // the branch when AllBranches is 0
  uint8_t Target = 0;           // 0 both dictionaries, 1 description only, 2 partner only
  uint8_t AllBranches = 1;      // 1 every branch, 0 only SCODE

  // Lines "fileCREC-branch=targetCREC" of the titles read last.
  std::vector<std::string> TitleMap;
  std::string MapBranch = "**";  // the branch of AccountMap ("**" none)
  std::vector<TKamokuCodeRec> AccountMap;

  // One side of an entry translated into the target's codes: with byUserCode the account is
  // looked up by its user code and replaced by the internal code. A found account keeps the
  // sub-account and department only where some combination of it has them; an account that
  // is not found (or empty) empties all three.
  void TranslateAccount(bool byUserCode, std::string& kcode, std::string& hcode, std::string& bcode) const;

 private:
  struct Dictionary;
  void ExportDictionary(const Dictionary& d);
  void ImportDictionary(const Dictionary& d, TDateTime fiscalEnd, bool numberKeys);
  void LoadAccountMap(const std::string& branch);
  bool KeyIsNumbered(const std::string& table);
};
