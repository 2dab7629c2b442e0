#pragma once
// The script of one upgrade step and the runner that has isql carry it out.
//
// Every step writes one script in the work folder (qvzdataup.sql, CP932, CR LF, readable by
// the user only) and runs it:
//
//   /* 2024/04/01 09:30:00,PC01,100000011 */
//
//   CONNECT '/data/0001/qvacc.fdb' USER 'TALLIX' PASSWORD '...';
//   SET NAMES SJIS_0208;                        (system steps from 4.0.2, company from 3.0.6)
//   ... the step's statements ...
//   UPDATE ACCVERSION SET ... WHERE REC=1; COMMIT;   (or INSERT INTO VERSION ...; COMMIT;)
//   EXIT;
//
// The version lines always follow the statements: a step whose statements fail never marks
// the database as upgraded. A step whose statements come from update files (folder "sql/NNN"
// of the installation) writes nothing and returns 18 when one of its files is missing.
//
// Result codes: 1 success, 16 isql reported an error (or did not end normally), 17 isql could
// not be started, 18 a script or update file is missing, 19 a step's own database work failed.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DateTime.h"
#include "upgrade/z5DbUpdateList.h"

// The database kind of a script: the system database or the selected company's.
enum class TUpdateDb : uint8_t { System = 0, Company = 1 };

// The clock of the comment line and of the version rows' memo; null = the current time.
extern std::function<TDateTime()> UpdateScriptClock;
// The isql program; empty = "isql" of the program folder when it is there, else isql-fb on
// the PATH.
extern std::string UpdateIsqlProgram;

// Files of the runner: script and isql log in the work folder, update files below the
// installation ("sql" beside the program folder, one folder per step named by its digits).
std::string UpdateScriptFile();
std::string UpdateLogFile();
std::string UpdateFileFolder(const TDbVersion& version);
std::string IsqlProgramPath();

// A text as an SQL string literal: in single quotes, each quote doubled.
std::string SqlLiteral(std::string_view text);

// The lines of one step's script (UTF-8 here; saved in CP932).
class TUpdateScript {
 public:
  TUpdateScript(TUpdateDb db, const TDbVersion& version);

  TUpdateDb Db() const { return db_; }
  const TDbVersion& Version() const { return version_; }
  // Whether the script switches the connection's names to SJIS_0208.
  bool SetNames() const;

  std::vector<std::string> Lines;

  // The comment line, an empty line, the CONNECT line and SET NAMES where the step uses it.
  void AddHeader();
  // The lines that record the step's version, committed.
  void AddVersionLines();
  void AddExit();
  // Appends the non-empty lines of each file, in order. False, with nothing added, when a file
  // is missing or unreadable; `missing` names it.
  bool AddUpdateFiles(const std::vector<std::string>& files, std::string& missing);
  // Saves the script as UpdateScriptFile() in one piece, readable by the user only.
  bool Save() const;

 private:
  TUpdateDb db_;
  TDbVersion version_;
};

// The frame around a step's statements, saved and run: header, statements, version lines,
// EXIT. Returns the runner's result (18 when the script cannot be saved).
int32_t RunUpdateStatements(TUpdateDb db, const TDbVersion& version, const std::vector<std::string>& statements);
// The same with the statements of update files of the step's folder (names such as
// "sysup01.sql"); 18 at once, nothing written or run, when one of them is missing.
int32_t RunUpdateFiles(TUpdateDb db, const TDbVersion& version, const std::vector<std::string>& fileNames);

// Runs UpdateScriptFile() through isql and returns 1, 16, 17 or 18 (see above). The version
// text names the step in the failure message. After a failed run the log is kept as
// ErrDataup.txt (replaced) and appended to ErrDataup.log in the log folder, with passwords
// masked. Neither the script nor the log is left behind, except the script when nothing ran
// because it was missing.
int32_t ExecIsqlScript(const std::string& versionText);
// Appends the lines (CP932) to ErrDataup.log of the log folder, created when missing.
bool AppendErrDataupLog(const std::vector<std::string>& lines);
