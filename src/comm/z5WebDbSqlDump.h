#pragma once
// The cloud analysis dump: writes the company database that is open in the data module
// (DM->IBDatabaseDAT) as one MySQL script, which the cloud service loads unchanged. The script
// is a format of its own: a comment header, the statements that drop, create and select the
// target database, the table-creation template, one block of rows per table (46 tables, in a
// fixed order), the index template and a closing comment with the time the writing took.
//
// Use (the uploader does this once per upload):
//   TWebDbSqlDump dump;                  // reads the paths, version and job level (below)
//   dump.DatabaseName = "velkor_d_AB12CD_3";
//   if (dump.WriteDump()) { ... dump.ScriptPath() is the finished script ... }
//
// What the constructor fixes, from the shared records as they stand at that moment:
//   - DataVersionText(): SystemDef.OpenDataVer, or when that is empty the open data set's
//     version AccInf.VerMajor/VerMinor1/VerMinor2 as "%d.%d.%d";
//   - DataTemplatePath() / IndexTemplatePath(): init/velkoran_empty_data.sql and
//     init/velkoran_empty_index.sql under the installation root (SystemDef.BaseDir, the parent
//     of the program's folder);
//   - ScriptPath(): <SystemDef.TempDir>/TallixVelkoran_Sql/qvacc.sql;
//   - JobLevel(): 1200 for a medical corporation (AccInf.DATATYPE 3), else 200.
//
// The file:
//   - lines end in CR LF; the writer's own text is ASCII, except the application name and the
//     script path in the header, which are written in Shift-JIS (CP932) as the system stores them;
//   - the templates are copied line by line with their bytes unchanged, each line ended by CR LF;
//   - rows and the settings statements are UTF-8 (the target database is created as utf8);
//   - rows are written as they are read, so memory does not grow with the number of journal
//     lines; the six large tables are cut into INSERT statements of at most 100 rows.
//
// Quoting. Every quoted value ('NAME', NAME:STR, the settings texts) has "\" written as "\\"
// and "'" as "\'", so no stored text can end a literal early or smuggle a statement into a
// script that runs with full rights; ordinary values come out unchanged. A NULL in a bare column
// is written NULL (an empty place between two commas would not parse). A backquote in the
// database name is doubled.
//
// Privacy. The script holds a whole company's data: the TallixVelkoran_Sql folder is made
// private to the user (0700) and the script is created afresh (an old one is deleted first)
// with mode 0600 and exclusively, so a file or link that appears in its place is never written
// through.
//
// Transactions. When DM->IBTransactionDAT is not active, the writer starts it and ends it again
// (commit) also when the writing fails; a transaction that was active stays active. The only
// rows the writer itself writes are the six default rows of AOPRO_YOSAN_KIHONRULE (for a data
// set of version 8.0.2 or later that has none); they are committed at once and stay.
//
// Failures:
//   - DatabaseName empty: WriteDump returns false; nothing is written and no file is touched.
//   - The script cannot be created: WriteDump raises EWebDbSqlDumpFileInUse, whose text is the
//     script path between double quotes followed by "が使用中です。".
//   - Anything after the file was opened (a missing template, a failing query, a write error):
//     the file is closed with what was written so far, the user is shown
//     "SQLDumpファイルの作成に失敗しました。" with the error's text as detail (ShowErrorDetail,
//     kind Error), and WriteDump returns false.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/DateTime.h"

class TIBField;

// The script file could not be created; what() is "\"<path>\"が使用中です。".
class EWebDbSqlDumpFileInUse : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TWebDbSqlDump {
 public:
  TWebDbSqlDump();
  ~TWebDbSqlDump();
  TWebDbSqlDump(const TWebDbSqlDump&) = delete;
  TWebDbSqlDump& operator=(const TWebDbSqlDump&) = delete;

  // The target MySQL database; set by the caller before WriteDump.
  std::string DatabaseName;

  const std::string& DataVersionText() const { return dataVersionText_; }
  const std::string& DataTemplatePath() const { return dataTemplatePath_; }
  const std::string& IndexTemplatePath() const { return indexTemplatePath_; }
  const std::string& ScriptPath() const { return scriptPath_; }
  uint16_t JobLevel() const { return jobLevel_; }

  // Writes the whole script (see the top of this file); true when written to the end. May run
  // again on the same object: it deletes and rewrites the script.
  bool WriteDump();

  // The value of the named column of the current row in the form of its class ("STR",
  // "DATE", "DATETIME", anything else bare; compared without regard to case). Valid while
  // WriteDump reads a table.
  std::string FormatFieldValue(const std::string& column, std::string_view cls) const;

  // The same for one field (what FormatFieldValue does with the column it finds):
  //   STR       NULL -> NULL; else the text quoted (see Quoting above);
  //   DATETIME  NULL or the zero date -> '0000-00-00 00:00:00'; else the field's text quoted,
  //             with the date-time bounds of FormatDumpDate;
  //   DATE      the same with '0000-00-00' and the date-only bound texts;
  //   other     NULL -> NULL; else the bare text (BareText).
  static std::string FormatValue(const TIBField& field, std::string_view cls);

  // A value quoted for the script: "\" -> "\\", "'" -> "\'", between single quotes.
  static std::string Quote(std::string_view text);

  // The bare text of a field: an integer in decimal; a scaled number in its shortest form ("."
  // point, no trailing zeros); a floating number in the shortest general form; a text as
  // stored; a date as yyyy/mm/dd; a timestamp as yyyy/mm/dd h:mm:ss, the date alone at
  // midnight; NULL as the empty text.
  static std::string BareText(const TIBField& field);

  // "DATE": 'yyyy-mm-dd'; "DATETIME": 'yyyy-mm-dd hh:nn:ss'; anything else '0000-00-00'. Then
  // the bounds, on the whole value: not later than 1970-01-01 00:00:00 gives '1970-01-02'
  // ('1970-01-02 00:00:00'); at or after 2038-01-01 00:00:00 gives '2038-01-01'
  // ('2038-01-01 00:00:00'). The zero of the date-time count (1899-12-30) counts as no date:
  // '0000-00-00' ('0000-00-00 00:00:00'), as for NULL.
  static std::string FormatDumpDate(std::string_view cls, TDateTime value);

 private:
  struct Writer;
  std::string dataVersionText_;
  std::string dataTemplatePath_;
  std::string indexTemplatePath_;
  std::string scriptPath_;
  uint16_t jobLevel_ = 200;
  Writer* current_ = nullptr;  // the writing in progress, for FormatFieldValue
};
