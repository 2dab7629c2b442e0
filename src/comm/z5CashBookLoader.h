#pragma once
// The merge of a received company database into the open company data: its processing log.
//
// The log holds information, warning and error lines. Each added line becomes the last
// result; the stages of a run go on only while it is 0 or above. GetResult gives the result
// of the first error line or of the success summary (result 1), else that of the last line,
// and 0 for an empty log.
//
// The log saved as a file: one line per entry with the kind caption, the result and the text;
// CSV encloses every field in "'" and follows it with ",", the text form follows each field
// with a tab. Fields are not escaped (readers of these files expect them as they are), and
// every entry is followed by an empty line.
#include <cstdint>
#include <string>

#include "data/FrameworkHooks.h"
#include "platform/db/IBDatabase.h"

class TCashBookLoaderBox {
 public:
  TCashBookLoaderBox();
  TCashBookLoaderBox(const TCashBookLoaderBox&) = delete;
  TCashBookLoaderBox& operator=(const TCashBookLoaderBox&) = delete;

  // Keeps the path; when the file exists the received connection is set to it.
  void OpenReceivedDatabase(const std::string& path);

  // True: the box runs by itself (OK hidden, the cancel button reads "閉じる"); set at creation.
  void SetAutoRun(bool on);
  // Data of the accounting side: runs the import without showing the box; a failed run shows
  // the box with its log.
  void RunQuiet();
  // Cash-book data: shows the box modally and the import starts by itself; the modal result.
  int ShowModal();

  void AddLog(uint8_t kind, int32_t result, const std::string& text);
  int32_t GetResult() const;
  int32_t LastResult() const { return lastResult_; }
  // "情報", "警告", "エラー"; empty for kind 0.
  static std::string KindCaption(uint8_t kind);
  // The log as the file holds it (UTF-8 here; CP932 on disk).
  std::string LogFileText(bool csv) const;
  // Writes the log to the file (CP932, replaced whole); false when it cannot be written.
  bool SaveLogFile(const std::string& path, bool csv) const;

  std::string ReceivedPath;
  uint8_t DataMode = 0;       // 0 data of the cash book, 1 data of the accounting side
  uint8_t JournalImport = 1;  // 1 journal pipeline, 0 master pipeline
  TLomatraSyoriInfo Info;     // the line being logged; at the end the summary
  TLomatraSyoriLog Log;
  TIBDatabase ReceiveIBDatabase;
  TIBTransaction ReceiveIBTransaction;

 private:
  bool autoRun_ = true;
  int32_t lastResult_ = 0;
};
