#pragma once
// The dialog "データの詳細情報": the basic information of one company data set, its display
// name (データリスト名) and update lock, the clearing of a status an aborted program left behind,
// and the rebuild of the company database ([F7:再構築], a backup and restore through the
// database services).
//
//   box->ServerMode = false; box->RowRef = row; box->DetailFolder = folder;
//   box->ListName = row.ENTTEXT; box->UpdateLock = row.UPDATE_LOCK; box->ReadOnly = false;
//   box->Setup(1);
//   if (box->ShowModal() == mrOk) ... ListName, UpdateLock, StatusClearRequested ...
//   if (box->Rebuilt) ...
//
// The dialog itself writes only the folder's status, the data-list lock during a rebuild and
// the rebuilt database. DetailFolder is used for file access as it is stored; only what is
// shown compares without regard to case.
#include <cstdint>
#include <string>

#include "data/uAccClasses.h"
#include "selection/z5ComDataSentaku.h"
#include "ui/SDI.h"
#include "ui/forms/Image.h"
#include "ui/forms/Label.h"
#include "ui/forms/Memo.h"
#include "ui/forms/Panel.h"
#include "ui/xCheckBox.h"
#include "ui/xEdit.h"
#include "ui/xPlButton.h"

class TBackupRestoreThread;

// The name of a data kind (DATAKBN, CODEKBN); "設定なし" for a pair that names none.
std::string DataKbnName(int32_t dataKbn, int32_t codeKbn);

// What the status decides: may the status be cleared here (a normal status never; an operator
// who may use every facility always; else only the operator who left it behind), and which of
// the clear box and OK show. readOnly is the dialog's decision after reading the folder.
struct TDataDetailsShow {
  bool CanClearStatus = false;
  bool ClearBoxVisible = false;
  bool OkVisible = false;
};
TDataDetailsShow DataDetailsShow(uint8_t status, uint8_t connectMode, bool readOnly, bool admin, int32_t logonId,
                                 int32_t opCode, int32_t groupId);

class TDataSyosaiInfoBox : public TBSDI {
 public:
  explicit TDataSyosaiInfoBox(QWidget* owner);

  // ---- controls ----
  forms::TGroupBox* GroupBox1;  // 管理情報
  forms::TLabel* lblStatus;
  TxCheckBox* cboxStatusClear;
  forms::TMemo* txtDataPath;
  forms::TImage* Image1;
  forms::TLabel* lblDataSeigenMessage;
  TxCheckBox* cboxDataUpdateLock;
  forms::TGroupBox* GroupBox2;  // 基本情報
  forms::TLabel* lblCode;
  forms::TLabel* lblDataKbn;
  forms::TLabel* lblName;
  forms::TLabel* lblKana;
  TxEdit* txtListName;
  forms::TLabel* lblNendo;
  forms::TLabel* lblKikan;
  forms::TLabel* lblTanto;
  forms::TLabel* lblBumonKanri;
  forms::TLabel* lblSitenKanri;
  forms::TLabel* lblSiwakeKensu;
  forms::TPanel* PanelHint;
  forms::TMemo* HintArea;
  TxPlButton* btnOK;
  TxPlButton* btnCancel;
  TxPlButton* F1;
  TxPlButton* F2;
  TxPlButton* F3;
  TxPlButton* F4;
  TxPlButton* F5;
  TxPlButton* F6;
  TxPlButton* F7;

  // ---- caller fields ----
  bool ServerMode = false;     // called from the shared-server list
  TDataListRec RowRef;         // the caller's row of the data set
  std::string DetailFolder;    // the data folder (PASNAME)
  std::string ListName;        // in and out; empty: the company name is shown
  int32_t UpdateLock = 0;      // in and out
  bool ReadOnly = false;       // in and out
  int32_t DataPlaceRec = 0;    // the data place the row belongs to (server modes)
  // ---- results ----
  bool StatusClearRequested = false;
  bool Rebuilt = false;
  // ---- internal ----
  TDataInfomation DataInfo;
  TDataInfomationRec InfoRec;
  bool CanClearStatus = false;
  bool CanRebuild = false;
  uint8_t SetupMode = 0;

  void Setup(uint8_t mode);
  void ShowDetails();
  void UpdateKeys();
  void F1Click(QObject* Sender);
  void btnOKClick(QObject* Sender);
  bool RebuildDatabase();

  void FormCreate(QObject* Sender) override;
  void FormClose(QObject* Sender, forms::TCloseAction& Action) override;
  void FormKeyUp(QObject* Sender, int& Key, forms::TShiftState Shift) override;

 protected:
  void CMShowingChanged() override;
  // Starts the worker and waits for its end while the main thread keeps running its steps;
  // true when it succeeded.
  virtual bool RunWorker(TBackupRestoreThread& worker);

 private:
  void LoadHints();
  void LockDataList(bool lock);
};
