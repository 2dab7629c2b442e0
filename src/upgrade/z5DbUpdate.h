#pragma once
// The database-upgrade dialog "データベースの更新": shows the upgrade steps that a system
// database (mode 0) or a company database (mode 1) still needs, and asks for consent.
//
//   auto* box = forms::CreateForm<TDbUpdateBox>(owner);   // fills both step lists
//   box->PrepareUpdate(1, "2.0.5");                         // or "" to read the connected database
//   if (box->NeedUpdate) ...
//
// The step lists and the version check are headless (z5DbUpdateList.h); this form puts them
// on the screen and runs them: OK refuses while others use the database, backs it up when a
// pending step asks for it, runs the steps in order and restores the backup after a failed
// one. The modal result is 1 after a complete run, 4 after a refusal or a failure; Esc closes
// it with 2 while no run is in progress.
#include <QProgressBar>
#include <QTreeWidget>
#include <cstdint>
#include <string>

#include "ui/forms/Form.h"
#include "ui/forms/Image.h"
#include "ui/forms/Label.h"
#include "ui/forms/Memo.h"
#include "ui/forms/Panel.h"
#include "ui/xCheckBox.h"
#include "ui/xPlButton.h"
#include "upgrade/z5DbUpdateList.h"

class TDbUpdateBox : public forms::TForm {
 public:
  explicit TDbUpdateBox(QWidget* owner);

  forms::TPanel* pnlClient;
  forms::TImage* ImageRed;
  forms::TImage* ImageGrn;
  forms::TLabel* lblTitle1;
  QTreeWidget* ListView1;
  forms::TMemo* RichEdit1;
  TxCheckBox* cboxAgree;
  forms::TLabel* lblTitle2;
  forms::TLabel* lblTitle3;
  forms::TPanel* pnlProgress;
  forms::TLabel* Label1;
  QProgressBar* ProgressBar1;
  TxPlButton* btnOk;
  TxPlButton* btnCancel;

  // ---- state ----
  uint8_t UpdateMode = 0;  // 0 system database, 1 company database
  bool NeedUpdate = false;
  bool UpdateDone = false;
  TArrayDbUpdateListRec SystemList;
  TArrayDbUpdateListRec UserList;
  TArrayDbUpdateListRec* CurrentList = &SystemList;
  TDbVersion DbVersion;
  TDbVersion LatestVersion;
  int32_t FirstIndex = 0;
  int32_t LastIndex = 0;
  int32_t BackupCount = 0;
  std::string BackupFile;
  // The backup could not be restored after a failed step: it is kept (and the user told where)
  // as the only copy of the database before the run.
  bool BackupKept = false;
  // The run guard: 1 while a click on OK is being handled.
  int OkTag = 0;
  // How the last version read went (Read also for a version text).
  TDbVersionRead VersionRead = TDbVersionRead::Read;

  // Sets the dialog up for the system (0) or a company (1) database and computes the pending
  // steps. A non-empty version text gives the version; an empty one reads it from the database
  // connected for the mode. A database whose version cannot be read has no pending steps.
  void PrepareUpdate(uint8_t mode, const std::string& versionText);
  // The version of the connected database of the current mode.
  void SetDbVersion();
  void SetDbVersionText(const std::string& text);

  void FormCreate(QObject* Sender);

  // Runs the pending steps: 1 every one applied; 0 a step failed and the database is back at
  // its version before the run (restored, or no backup was needed); -1 nothing pending, the
  // backup failed, or the restore failed.
  int32_t ExecuteUpdate();
  // Mode 0: one line "[ %.4d ]:  %s" (operator code, name) per other logon of the own group,
  // each ended by CR; empty in mode 1.
  void GetLoginUserText(std::string& text);
  // The database file of the mode.
  std::string DbFilePath() const;

  // Handlers, also driven by the keys and clicks of the form.
  void cboxAgreeClick(QObject* sender);
  void ListView1SelectItem();
  void btnCancelClick(QObject* sender);
  void btnOkClick(QObject* sender);

 protected:
  void CMShowingChanged() override;

 private:
  void FormKeyUp(int& key, forms::TShiftState shift);
  // Backs up (operation 0) or restores (1) the database on the backup/restore thread, waiting
  // for it with messages; true on success.
  bool RunBackupThread(int32_t operation, const std::string& caption, const std::string& info);
  // Runs one step and checks that the database reached its version.
  int32_t RunStep(const TDbUpdateListRec& step);
  void MarkRow(int row, int32_t result);
  bool DatabaseInUse();
  void Reconnect();
};
