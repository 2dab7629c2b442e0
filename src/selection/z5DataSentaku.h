#pragma once
// The data-selection dialog "データ選択": the operator's data list as a grid (one row per data
// area, the members of combined data below their parent), filtered by the search conditions,
// sorted by a heading, searched by typing a code. Enter, a double click or F12 chooses the
// current row; what a choice means depends on the processing type:
//
//   type 0, 1, 3, 5  a data set to work on: its folder and registered path go to SystemDef
//   type 2, 4        an empty area for new data: "PATH1=<folder>\rPATH2=<path>" goes to
//                    SystemDef.ModuleResultText, the selected folder stays
//
// It is the module "VqDataSenkaku" of the module registry:
//
//   RegisterDataSentakuBox();                                       // at start-up
//   RunSyoriModule("VqDataSenkaku", 1, "SyoriType=3\rJyokenSet=1\rDataVerMajor=10");
//
// Results: 1 chosen, 2 cancelled, 3 quit confirmed (type 1), -1 not started.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/uAccClasses.h"
#include "selection/DbUpdateCheck.h"
#include "selection/z5ComDataSentaku.h"
#include "selection/z5DataListKensaku.h"
#include "selection/z5GassanSyori.h"
#include "selection/z5Kidou.h"
#include "ui/SDI.h"
#include "ui/forms/Label.h"
#include "ui/forms/Memo.h"
#include "ui/forms/Panel.h"
#include "ui/forms/Timer.h"
#include "ui/xCheckBox.h"
#include "ui/xComboBox.h"
#include "ui/xEdit.h"
#include "ui/xPlButton.h"

class TPerfectGrid;
class TFileOperationBox;
class TDataPlaceBox;
class TDataSyosaiInfoBox;
class TFileOperationBoxEx1;
class TServerSentakuBox;

// Grid columns.
enum : int {
  kColNo = 0, kColCode = 1, kColName = 2, kColNendo = 3, kColKikan = 4, kColFolder = 5, kColVer = 6,
  kColLockPic = 7, kColSharePic = 8, kColLock = 9, kColShare = 10, kColVerNo = 11, kColUpdate = 12,
  kColGassan = 13, kColIndex = 14, kColChild = 15, kColStatus = 16, kColCount = 17,
};

// Key bar: ESC, F1 .. F8, F12.
inline constexpr int kKeyCount = 10;
using TDataSentakuCaptions = std::array<std::string, kKeyCount>;
// The full captions in bar order (F4 of the local list).
const TDataSentakuCaptions& DataSentakuFullCaptions();

// What decides the key bar: the dialog's kinds, the grid and the current row.
struct TDataSentakuKeyInput {
  uint8_t ConnectMode = 0;
  uint8_t SyoriType = 0;
  uint8_t ProgramKind = 0;
  bool GridActive = true;    // the grid is the active control
  bool GridEnabled = true;   // false while a data place is being chosen
  bool HasRow = true;        // the grid has a current row
  bool CopyPending = false;
  bool AutoChecked = false;  // the automatic shared-data check box is ticked
  bool AutoVisible = true;   // ... and shown
  TDataListRec Row;          // the current row's record
  uint8_t ParentGassan = 0;  // the kind of its parent entry
  bool ShareUpEnabled = false;    // the shared buttons as they are now
  bool ShareDownEnabled = false;
};
struct TDataSentakuKeyOutput {
  TDataSentakuCaptions Captions;
  int32_t KeyState = 0;  // 0 no row, 1 a row, 2 a paste pending
  bool ShareUpEnabled = false;
  bool ShareDownEnabled = false;
  bool SearchEnabled = true;  // 検索 and 検索解除 may be used
};
TDataSentakuKeyOutput DataSentakuKeys(const TDataSentakuKeyInput& in);

// Does a row pass the active search conditions of the data-selection list?
bool DataSentakuRowPasses(const TDataKensakuRec& cond, const TDataListRec& row);

class TDataSentakuBox : public TBSDI, public ISyoriKidou {
 public:
  explicit TDataSentakuBox(QWidget* owner);
  ~TDataSentakuBox() override;

  // ---- controls ----
  forms::TPanel* pnlClient;
  forms::TPanel* pnlDataMan;
  forms::TLabel* Label1;
  TxComboBox* cmbDataMan;
  TxPlButton* btnDataMan;
  TxCheckBox* cboxKyoyuDataAuto;
  TxPlButton* btnKyoyuDataUp;
  TxPlButton* btnKyoyuDataDown;
  TxPlButton* btnSearchCancel;
  TxPlButton* btnSearch;
  TxPlButton* btnDataInfo;
  TxPlButton* btnListUpdate;
  TPerfectGrid* PerfectGrid1;
  TxEdit* txtIncSerch;
  forms::TPanel* pnlBottom;
  forms::TPanel* PanelHint;
  forms::TMemo* HintArea;
  std::array<TxPlButton*, kKeyCount> KeyButtons{};  // ESC, F1 .. F8, F12
  forms::TTimer* IncSerchTimer;

  // ---- state ----
  std::vector<std::string> ParamLines;
  uint8_t SyoriType = 0;
  uint8_t Prepared = 0;
  int32_t KeyState = 0;
  bool CopyPending = false;
  std::string CopySourceFolder;
  std::string WorkFolder;  // the chosen row's data folder
  std::string WorkPath;    // its registered path
  std::string StartFolder;
  bool CancelledByEsc = false;
  TDataKensakuRec CallerJoken, EditJoken, ActiveJoken;
  int32_t SortCol = -1;
  bool SortDesc = false;
  int32_t DataPlaceNo = 0;
  std::string DataPlacePath;
  int32_t BackupMode = 0;  // type 5: 0 backup, 1 restore
  std::string BackupFolder;
  TDataSentakuRecArray Rows;
  TDataSentakuRecDispArray DispRows;
  int32_t GridRowCounter = 0;
  std::string SearchText;

  TDataListKensakuBox* KensakuBox = nullptr;  // owned
  std::unique_ptr<TDataSentakuListCtl> ListCtl;
  TDataInfomation DataInfo;
  TDataInfomationRec DataInfoRec;  // the last status check's folder
  std::unique_ptr<IDbUpdateCheck> DbUpdateBox;
  TFileOperationBox* FileOperationBox = nullptr;  // created on first use
  TFileOperationBoxEx1* FileOperationBoxEx1 = nullptr;  // created on first use
  std::unique_ptr<TGassanDataCtl> GassanCtl;            // created on first use
  // What was copied or restored from: its kind decides the combination settings afterwards.
  TDataListRec CopySource;
  std::vector<std::string> MsgLines;  // detail lines of the last check
  // The connection state kept while the nested selection runs on this computer's own list.
  struct TSavedConnection {
    uint8_t ConnectMode = 0;
    std::string HostName;
    std::string SysDir;
    std::string DataDir;
    int32_t SisetuAllSw = 0;
  } SavedConnection;
  // Runs the nested data selection (take-out and bring-back); RunSyoriModule when unset.
  std::function<int32_t(const std::string& ProgramId, int32_t Mode, const std::string& ParamText)> RunNested;

  // ---- ISyoriKidou ----
  int32_t Execute(bool Modal) override;
  void SetParams(const std::vector<std::string>& Params) override;

  // ---- list (display and choice) ----
  void Reload();
  int32_t LoadList();
  void BuildDispList();
  void FillGrid(int32_t index);  // -1 all
  void FillRow(int gridRow, const TDataListRec& rec);
  // The share column's value (1 taken to a computer, 0 stored on the server) and picture.
  void SetShareCell(int row, bool taken);
  // The lock column's value (the holder's operator code, 0 none) and picture.
  void SetLockCell(int row, int32_t lock);
  void LocateSelected();
  void SortByColumn(int col);
  void IncSerchTimerTimer(QObject* Sender);

  // ---- rows ----
  TDataListRec& GetRowRecord(int row);
  std::string GetRowDataFolder(int row);
  int GetParentRow(int row);
  int32_t SharedDataKind(int mode, int index);
  int32_t GetDisplayIndex(int row);
  bool CheckUpdateNeeded(int row, bool recheck);
  void MarkDamaged(int row);
  // Re-reads rows from their folders: -1 all (behind the progress dialog, cancellable), else
  // one grid row.
  void RefreshRows(int row);
  void EmptyRow(TDataListRec& rec);
  // Server modes: a click on the lock cell locks the row's data set for this operator or
  // releases this operator's lock.
  void LockCellClick(int row);

  // ---- choice ----
  void F12Click(QObject* Sender);
  int32_t CheckDataFolder(const std::string& folder);
  uint8_t CheckDataStatus(const std::string& folder, bool warnIfEmpty, bool showRefusal);
  void SetDataStatus(const std::string& folder, uint8_t status);

  // ---- keys and buttons ----
  void UpdateFunctionKeys() override;
  void LoadHints();
  void EscClick(QObject* Sender);
  void NotYetClick(QObject* Sender);
  // F8: the print dialog, then the data list printed or previewed as shown in the grid.
  void DataListPrint(QObject* Sender);
  void btnSearchClick(QObject* Sender);
  void btnSearchCancelClick(QObject* Sender);
  void cboxKyoyuDataAutoClick(QObject* Sender);
  void btnKyoyuDataDownClick(QObject* Sender);
  void btnKyoyuDataUpClick(QObject* Sender);
  void btnListUpdateClick(QObject* Sender);
  // Shared get and put of the current row's data set; automatic 1 asks nothing. The data-list
  // control's result: 1 done.
  int32_t KyoyuDataGet(int32_t automatic);
  int32_t KyoyuDataPut(int32_t automatic);

  // ---- new data, data areas, data places, details (z5DataSentakuNew.cpp) ----
  TDataPlaceBox* DataPlaceBox = nullptr;        // created on first use (server modes)
  TDataSyosaiInfoBox* SyosaiInfoBox = nullptr;  // created on first use
  // F3 on an empty row: makes the folder, marks it "新規作成中" and runs the new-data module
  // "VqKihonWiz" on it; a cancelled run takes the folder away again.
  void NewDataCreate();
  // F4 in the server modes: registers an empty row for a new folder below the system data
  // folder. Always true.
  bool AddDataArea();
  // Server modes: the place combo from the named places, the current place selected (place 0
  // when it is gone).
  void FillPlaceCombo();
  void cmbDataManChange(QObject* Sender);
  void btnDataManClick(QObject* Sender);
  void btnDataInfoClick(QObject* Sender);
  // ---- copy, paste, delete, release (z5DataSentakuCopy.cpp) ----
  std::string CopyName;         // the name the pending copy will get
  int32_t CopySourceIndex = -1; // the source's entry in Rows
  // F2: the copy step while CopyPending is set (the key sets it just before), else the
  // paste onto the current row. False only when the paste's copy of the files failed.
  bool DataCopyPaste();
  // F5: deletes the current row's data set after the checks and the user's agreement. True
  // when the row was deleted or nothing was done; a folder that could not be removed keeps
  // its row (reported with ReportFailure).
  bool DataDelete(bool ReportFailure);
  // F4 (local mode): the row no longer stands for shared data; its working copy is removed
  // and the server area is marked free again when this computer held it.
  bool ReleaseSharedData();
  void ReloadAndLocate(int topRow, const TDataListRec& rec);
  // [共有取得] on an empty local row: the area chosen in the shared-server list becomes the
  // row's shared data, fetched to this computer.
  void AssignSharedData(int row);
  // The shared-server list, opened from [共有取得] on an empty row; created on first use.
  TServerSentakuBox* ServerBox = nullptr;
  std::string ServerDriveLetter;  // the letter chosen last

  // ---- save and restore, combined data, take-out (z5DataSentakuSave.cpp) ----
  bool PrepareSharedBackup();
  // 1 saved, 0 nothing done, -1 failed. An empty folder lets the operator choose.
  int32_t DataBackup(const std::string& DestFolder);
  // 1 restored, 0 nothing attempted, -1 declined or failed. An empty folder lets the
  // operator choose.
  int32_t DataRestore(const std::string& SourceFolder);
  bool CheckPasteTarget(const std::string& OperationName, const TDataInfomationRec& Source,
                        const std::string& TargetFolder);
  bool CompareDataInfo(const std::string& OperationName, const TDataInfomationRec& Source,
                       const TDataInfomationRec& Target);
  void AddDistributedData();
  void RebuildChildList(int row);
  void ClearChildList(int row, bool all);
  void CopyChildList(int row);
  void NumberChildNames(int row);
  // Brings the combination settings of the row's database in line after a paste or restore,
  // from CopySource's kind and the row's kind before it (the row's present kind when -1).
  void FixGassanSettings(int row, int32_t targetKindBefore = -1);
  bool TakeOutBringBack();
  void SwitchConnection(const std::string& Action);
  void SetRowLock(int32_t Locked);
  // Processing type 5: F12 on a row restores the transfer folder's backup into it or saves
  // it there (found: the row's folder holds data).
  void TransferChoice(int row, int32_t found);
  void F3Click(QObject* Sender);
  void F6Click(QObject* Sender);
  void F7Click(QObject* Sender);

  // ---- handlers ----
  void FormCreate(QObject* Sender) override;
  void FormDestroy(QObject* Sender) override;
  void FormClose(QObject* Sender, forms::TCloseAction& Action) override;
  void FormCloseQuery(QObject* Sender, bool& CanClose);
  void FormKeyUp(QObject* Sender, int& Key, forms::TShiftState Shift) override;

 protected:
  void CMShowingChanged() override;

 private:
  void GridKeyDown(int& key, forms::TShiftState shift);
  bool CopyStep(int row);
  bool PasteStep(int row);
  void ClearChoice();
  void WriteSelected();
  bool RowIsEmpty(const TDataListRec& r) const { return r.ENTTEXT.empty(); }
  bool settingCheck_ = false;
};

// Registers the dialog under "VqDataSenkaku" (once; later calls do nothing).
void RegisterDataSentakuBox();
