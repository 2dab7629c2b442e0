#pragma once
// The data-communication module: the dialog through which a company data set goes to a relay
// folder (data send) or comes from one over the open data (data receive), the server check
// of the cash-book folders, and the dispatch of the cash-book kinds. Started by program id:
//
//   RegisterDataTusin();                                  // once, at start-up
//   int r = RunSyoriModule("VqDataTusin", 1, "SyoriType=2");
//
// Kinds (SyoriType): 1 data send, 2 data receive (both a dialog over the ten relay folders;
// F12 runs the chain, F5 empties a folder), 8 server check (the three cash-book folders; F5
// empties one without asking), 3 to 7, 9 and 10 the cash-book exchanges (no dialog).
//
// Execute: -1 refused or stopped before anything ran (also a modal server check, which ends
// without a result); 0 a modeless dialog was shown, the relay information could not be read,
// or a dialog ended without a restore; 1 a receive restored data.
//
// The cash-book exchanges use the cash-book account (TUSIN_ID row 1) and the relay folders
// "/01" (cash journals of the cash book: sent by 7 and 9, received by 4), "/02" (cash journals
// of this program: sent by 3, received by 6 and 10) and "/03" (the whole company: sent by 5,
// received by 6 and 10 before "/02"). Their results: 1 a send completed or "/01"/"/02" was
// imported, 2 "/03" was imported; 0 the relay could not be read, a chain failed (after its
// message), there was nothing to receive or the receive's last question was declined; -1
// refused, or declined before anything was sent or deleted. A cash-book send reports
// "finished" only when its whole chain completed; a relay folder is emptied (1750) only after
// its import succeeded.
//
// The chains return a not-completed flag (true = declined or failed, the dialog stays open);
// a completed chain closes the dialog. Each chain deletes its work files ("ComS" or "ComR"
// under the work folder) on every path past its confirmation.
//
// Soundness beyond the plain chain:
//  - The receive restores through the backup layer's temporary file: a failed restore leaves
//    the open data as it was. Before the restore every attachment of this program to the file
//    (the data module's and the form's own) is closed; closing the dialog reconnects.
//  - An upload that fails after the previous file was moved aside puts it back (deleting the
//    partial file); a stale qvacc.wenbak is deleted before the move.
//  - A relay folder's information changes only on a completion status "000".
//  - A failed download or extraction says so.
//  - A data folder that does not end in a data number is refused before the data list is
//    written, with a clear message.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "comm/CommConfig.h"
#include "comm/RelayProtocol.h"
#include "comm/Unlha.h"
#include "data/uAccClasses.h"
#include "data/uAccClassesBackup.h"
#include "platform/db/IBDatabase.h"
#include "selection/z5ComDataSentaku.h"
#include "selection/z5Kidou.h"
#include "ui/SDI.h"
#include "ui/forms/Label.h"
#include "ui/forms/Memo.h"
#include "ui/forms/Panel.h"
#include "ui/xPlButton.h"

class TPerfectGrid;
class TfmWaitMess;
class TFtpSession;

// The key of the communication archives for an account's password: a fixed six-character
// constant followed by the password. The same on every installation.
std::string CommFileKey(const std::string& password);

// The title of the cash-book product's version-up window. While it runs, a named lock of this
// name is held (there are no top-level windows of other programs to look for here), and the
// cash-book sends stop without a word.
inline constexpr const char* kCashBookVersionUpLock = "現金出納帳バージョンアップ";

class TfmDataTusin : public TBSDI, public ISyoriKidou {
 public:
  explicit TfmDataTusin(QWidget* owner);
  ~TfmDataTusin() override;

  // ---- components ----
  forms::TPanel* pnlClient;
  forms::TLabel* Label1;
  TPerfectGrid* PerfectGrid1;
  forms::TPanel* pnlBottom;
  forms::TPanel* PanelHint;
  forms::TMemo* HintArea;
  TxPlButton* ESC;
  TxPlButton* F1;
  TxPlButton* F2;
  TxPlButton* F3;
  TxPlButton* F4;
  TxPlButton* F5;
  TxPlButton* F6;
  TxPlButton* F7;
  TxPlButton* F8;
  TxPlButton* F12;

  // ---- fields ----
  int32_t SyoriType = 0;
  std::vector<std::string> ParamLines;
  std::string BackupFileName;     // "qvacc.fbk"
  std::string OperationName;      // "データ通信", or "データ送受信" in the OEM editions
  int32_t CloudKind = 0;          // 通信設定 / クラウド区分
  TRelayInfo RelayInfo;
  TDataSentakuRecArray DataRows;
  TDataInfomation DataInfo;
  uint8_t RefreshPending = 0;
  uint8_t Initialized = 0;
  uint8_t Success = 0;
  int32_t StepWaitCount = 0;
  std::string GassanKubun;        // 基本設定 / 合算データ区分 of the open data, as read before a receive
  std::string GassanCount;        // 基本設定 / 合算データ数
  uint8_t DisconnectOnClose = 0;
  TArchiverEntries Archiver;
  bool ArchiverLoaded = false;
  TCommConfig Config;
  TIBDatabase IBDatabaseOwn;      // the form's own company connection (consolidation settings)
  TfmWaitMess* WaitMess = nullptr;

  // ---- module interface ----
  int32_t Execute(bool Modal) override;
  void SetParams(const std::vector<std::string>& Params) override;

  // ---- operations ----
  void RefreshRelayList();
  void FillRelayGrid();
  void ResetFunctionKeys();
  int32_t GetDataListRecord();
  void SetDataStatus(const std::string& Folder, uint8_t Status);
  int32_t ConfirmOverwrite(int Index);
  static std::string VersionLabel(int Major, int Minor);
  // Holds the main thread for 0.48 seconds without handling events.
  void StepWait();
  bool GetRelayFolderList();
  // The relay account of the kind: the data account for kinds 1 and 2, else the cash-book one.
  TRelayAccount Account() const;

  bool SendDataToRelay();
  bool SaveSendData(bool ShowError);
  bool SendCloudDump();
  bool ReceiveDataFromRelay();
  bool RestoreReceivedData();
  std::string DecryptAndExtract(const std::string& work, const std::string& wen, const std::string& lzh,
                                const std::string& fbk, const std::string& key);
  bool CheckDataMatch(const std::string& Op, const TDataInfomationRec& Source, const TDataInfomationRec& Target);
  bool CheckRestoredMatch(const std::string& Op, const std::string& Host, const std::string& Target,
                          const std::string& Source);
  bool CheckTrailerMatch(const std::string& Op, const TDataInfomationRec& Source, const std::string& Target);
  int32_t ReadGassanKubun();
  int32_t WriteGassanKubun();
  void UpdateDataListRecord(int Index);
  int32_t DeleteRelayFolder();
  int32_t DeleteCashBookFolder(int Index);
  // The cash-book kinds (3 to 7, 9, 10): the checks before the relay is asked (consolidated
  // data, the version-up window, the send confirmation); false: refused.
  bool CashBookPreChecks();
  // With the relay folders read: the folder rules, then the send or receive chain; the result
  // of Execute.
  int32_t RunCashBookBranch();
  // How a cash-book send chain ended: completed; stopped at a step that showed its message;
  // stopped because the journal rows could not be marked (also after its message).
  enum class TCashBookSend { Completed, Failed, MarkingFailed };
  TCashBookSend SendCashBook();
  // Receives, restores into the work database and imports relay folder 0..2 ("/01".."/03");
  // true only when the import succeeded. On false ReportedFailure says whether a message (or
  // the import box's log) already told the user.
  bool ReceiveCashBook(int FolderIndex);
  bool ReportedFailure = false;

  // ---- handlers ----
  void FormCreate(QObject* Sender) override;
  void FormShow(QObject* Sender) override;
  void FormActivate(QObject* Sender) override;
  void FormCloseQuery(QObject* Sender, bool& CanClose);
  void FormClose(QObject* Sender, forms::TCloseAction& Action) override;
  void FormDestroy(QObject* Sender) override;
  void FormKeyUp(QObject* Sender, int& Key, forms::TShiftState Shift) override;
  void F1Click(QObject* Sender);
  void ESCClick(QObject* Sender);
  void PerfectGrid1CellGotFocus(int Row);
  void PerfectGrid1CellLostFocus(int Row);

 protected:
  void CMFocusChanged(forms::TControl* control) override;
  void UpdateFunctionKeys() override { ResetFunctionKeys(); }

 private:
  // The caption and help page of the kind.
  void ApplyKindCaption();
  // Shows the grid dialog (modal or not) and gives Execute's result.
  int32_t RunDialog(bool Modal);
  int32_t ExecuteKind(bool Modal);
  // The step window of the relay-information request (steps 1 and 2; 3 and 4 with read).
  void StartInfoSteps();
  bool RunInfoSteps();
  void FreeWaitMess();
  void ClearRow(int row);
  // A chain's step window over the disabled form: four rows, the first one running; the fifth
  // (the cloud row) only when given.
  void OpenChainSteps(const std::array<const char*, 4>& rows, const char* cloudRow = nullptr);
  // Every way out of a chain past its confirmation: the form usable again (with F12 and F5
  // when `keys`), the default cursor, the step window gone, the chain's work files deleted.
  struct TChainCleanup {
    TfmDataTusin* form;
    std::string work;
    bool keys = false;
    ~TChainCleanup();
  };
  bool RunThread(TBackupRestoreThread& t);
  // Opens the form's own connection on the selected data; false after reporting.
  bool ConnectOwn();
  // Reconnects the company data after a receive replaced it (the close rule).
  void ReconnectAfterReceive();
  std::string HelpPage() const;
  // The difference notice of a cash-book receive; true when answered yes or OK.
  bool ShowReceiveNotice(const TRelayFolder& f, bool name, bool period, bool question);
  // The folder number of the grid's current row ("01".."10"); empty without one.
  int CurrentRow() const;

  bool Finished_ = false;  // set once a completed chain asked to close
};

// Registers the module under "VqDataTusin".
void RegisterDataTusin();
