#pragma once
// The cash-book import box: merges a received company database (restored from a cash-book
// relay folder into a work database) with the open company data, and shows what it did.
//
//   TCashBookLoaderBox box;                  // needs the data module with the open company
//   box.DataMode = 1; box.JournalImport = 1; // data of the accounting side, journal pipeline
//   box.OpenReceivedDatabase(workDb);
//   box.RunQuiet();                          // data mode 1; data mode 0: box.ShowModal()
//   bool ok = box.GetResult() == 1;
//
// Runs:
//   - RunQuiet (data mode 1) runs without showing the box. A run that fails then shows the
//     box modally with its log, so the user learns why (forms::TForm::ShowModal: tests answer
//     it through the modal-form hooks).
//   - ShowModal (data mode 0) shows the box; its timer starts the run 1.5 s later; the box
//     closes with 1 when the user presses 閉じる after the run.
//
// Pipelines, in one transaction that spans both databases (ReceiveIBTransaction: the company
// database is its default database, the received one is added), so a failed run leaves both
// as they were:
//   - journal pipeline (JournalImport 1): version check, account-system check (a difference
//     stops the run at once), the received sub-accounts, the cash account's opening balances,
//     the cash journals merged into the open data through the journal writer (each written
//     or deleted row carries the link columns RESERVE1 = the received REC and RESERVE2 = the
//     received LINKREC), and for cash-book data the comparison of the cash balances;
//   - master pipeline (JournalImport 0): the open data's dictionaries and data-list name are
//     brought into the received database, which is cleaned of operator rows and then copied
//     over the company file. The company file is first moved aside as ".f00"; that copy is
//     deleted only after a successful copy, and when it cannot be moved back it is kept and
//     its place logged, so the company file is never lost.
//   Only a transaction the run started itself is committed or rolled back.
//
// The log holds information, warning and error lines. Each added line becomes the last
// result; the stages of a run go on only while no error was logged. GetResult gives the
// result of the first error line or of the success summary (result 1), else that of the last
// line, and 0 for an empty log.
//
// The log saved as a file: one line per entry with the kind caption, the result and the text;
// CSV encloses every field in "'" and follows it with ",", the text form follows each field
// with a tab. Fields are not escaped (readers of these files expect them as they are), and
// every entry is followed by an empty line.
#include <QProgressBar>
#include <QTreeWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "comm/z5FileLoader.h"
#include "data/FrameworkHooks.h"
#include "data/uAccClassesLists.h"
#include "data/z5SiwakeIO.h"
#include "platform/db/IBDatabase.h"
#include "platform/db/IBSQL.h"
#include "ui/forms/Button.h"
#include "ui/forms/FileDialog.h"
#include "ui/forms/Form.h"
#include "ui/forms/Label.h"
#include "ui/forms/Memo.h"
#include "ui/forms/Panel.h"
#include "ui/forms/Timer.h"
#include "ui/xAnimeProgressDialog.h"

// The lowest data version (major, minor 1, minor 2) a received database must have for the
// journal pipeline; 0.0.0 lets every version pass.
extern std::array<int32_t, 3> CashBookMinDataVersion;

// The log list: one row per log line, the kind caption and the text.
class TCashBookLogList : public forms::TWidgetControl<QTreeWidget> {
 public:
  explicit TCashBookLogList(QWidget* parent);
  void SetColumns(const std::vector<std::pair<std::string, int>>& columns);
  void AddItem(const std::string& caption, const std::string& text, int imageIndex);
  void Clear();
  int Count() const { return topLevelItemCount(); }
  std::string Text(int row, int column) const;
  int ItemIndex() const;
  void SetItemIndex(int row);
  forms::TNotifyEvent OnSelectItem;
};

class TCashBookProgressBar : public forms::TWidgetControl<QProgressBar> {
 public:
  explicit TCashBookProgressBar(QWidget* parent);
  void SetPosition(int position) { setValue(position); }
  int Position() const { return value(); }
  void SetMax(int max) { setMaximum(max); }
  void StepIt() { setValue(std::min(value() + 1, maximum())); }
};

class TCashBookLoaderBox : public forms::TForm {
 public:
  TCashBookLoaderBox();
  ~TCashBookLoaderBox() override;

  // ---- controls ----
  forms::TPanel* pnlClient;
  forms::TLabel* lblTitle1;
  forms::TLabel* lblTitle2;
  forms::TLabel* lblTitle3;
  forms::TButton* btnOutput;
  TCashBookLogList* ListView1;
  forms::TMemo* RichEdit1;
  forms::TPanel* pnlProgress;
  TxBusyAnime* Animate1;
  forms::TLabel* Label1;
  TCashBookProgressBar* ProgressBar1;
  forms::TButton* btnOk;
  forms::TButton* btnCancel;
  forms::TTimer* Timer1;
  forms::TSaveDialog* SaveDialog1;

  // Keeps the path; when the file exists the received connection is set to it.
  void OpenReceivedDatabase(const std::string& path);

  // True: the box runs by itself (OK hidden, the cancel button reads "閉じる"); set at creation.
  void SetAutoRun(bool on);
  // Data of the accounting side: runs the import without showing the box; a failed run shows
  // the box with its log.
  void RunQuiet();

  // One run (ignored while a run is active): the in-use and connection checks, RunImport,
  // then the connections and the open data's settings refreshed.
  void btnOkClick(QObject* Sender);
  void btnCancelClick(QObject* Sender);
  // Saves the log through the save dialog as CSV or text (by the extension chosen).
  void btnOutputClick(QObject* Sender);
  void Timer1Timer(QObject* Sender);
  void FormShow(QObject* Sender);

  // The pipeline of one import; see the top of this file.
  void RunImport();

  void AddLog(uint8_t kind, int32_t result, const std::string& text);
  int32_t GetResult() const;
  int32_t LastResult() const { return lastResult_; }
  // True once an error line was logged: the remaining stages are skipped.
  bool Stopped() const;
  // "情報", "警告", "エラー"; empty for kind 0.
  static std::string KindCaption(uint8_t kind);
  // The log as the file holds it (UTF-8 here; CP932 on disk).
  std::string LogFileText(bool csv) const;
  // Writes the log to the file (CP932, replaced whole); false when it cannot be written.
  bool SaveLogFile(const std::string& path, bool csv) const;

  std::string ReceivedPath;
  uint8_t DataMode = 0;       // 0 data of the cash book, 1 data of the accounting side
  uint8_t JournalImport = 1;  // 1 journal pipeline, 0 master pipeline
  uint8_t AutoRun = 1;
  uint8_t ShowLogAfterFail = 0;
  TLomatraSyoriInfo Info;     // the line being logged; at the end the summary
  TLomatraSyoriLog Log;
  TIBDatabase ReceiveIBDatabase;
  TIBTransaction ReceiveIBTransaction;
  TIBSQL IBSQL1, IBSQL2;                  // company database
  TIBSQL ReceiveIBSQL1, ReceiveIBSQL2;    // received database
  TSitenList SitenList;
  TJisyoLoader JisyoLoader;
  TSiwakeWrite SiwakeWrite;
  TSWKREC SwkRec;
  std::array<int32_t, 3> ReceivedVersion = {0, 0, 0};

 private:
  // One received journal row, for the merge and its log texts.
  struct ReceivedRow;
  struct FoundRow;

  // The company database is the transaction's default one (the journal writer works on it)
  // and the received one is added.
  void PrepareTransaction();
  void SetStep(const std::string& label, bool step);
  void SetResultTitles();
  void SetStartTitles();
  void ShowLogItem();
  // Runs one stage; an exception logs `failure` with its cause and is passed on.
  void Stage(const std::string& failure, const std::function<void()>& body);
  static std::vector<std::array<int32_t, 3>> ReadVersion(TIBSQL& q);

  bool CheckVersion();
  void MoveDictionaries();
  void MoveDataListName();
  bool CheckAccountSystem();
  void ImportSubAccounts();
  void ImportOpeningBalances();
  void MergeCashJournals();
  void CompareCashBalances();
  void FinishReceived();
  void CopyOverCompanyFile();

  // The merge, one received row at a time.
  void MergeRow(const ReceivedRow& r);
  bool FindOpenRow(const ReceivedRow& r, FoundRow& found);
  bool LookUp(const std::string& where, const std::vector<std::pair<std::string, std::string>>& textParams,
              const std::vector<std::pair<std::string, int32_t>>& intParams, FoundRow& found);
  int WriteEntry(const ReceivedRow& r, std::string& message);
  void SetLinkReserve(const ReceivedRow& r, bool found);
  std::string RowText(const ReceivedRow& r, bool withNumber) const;

  bool running_ = false;
  bool startedTransaction_ = false;
  int32_t lastResult_ = 0;
  std::string cashKCode_;
};
