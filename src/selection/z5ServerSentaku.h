#pragma once
// The shared-server data list "共有データの選択": the company data areas kept on a shared
// server drive, one sub-folder each of the shared folder "<letter>:/<ShareDir>" (the members of
// combined data are sub-folders of their parent's area). The dialog keeps the system
// database's rows of the drive (SERVERDATALIST, CHILD_SERVERDATALIST) in step with the
// folders, shows them in a grid, and lets the user choose an area (F12), copy a data set
// from one area onto another (F2, F2), add an empty area (F4), delete an area's data (F5),
// print the list (F8), look at an area's details and filter the list.
//
// A shared drive is a drive letter of the drive table whose folder holds the shared folder;
// [共有割当] maps a folder to a letter in that table.
//
//   auto* box = forms::CreateForm<TServerSentakuBox>(owner);
//   box->DriveLetter = lastLetter;
//   box->Setup(0);
//   if (box->ShowModal() == mrOk) use(box->SelectedPath, box->SelectedName, box->DriveLetter);
//
// Closing hides the dialog; it is freed with its owner.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/uAccClasses.h"
#include "selection/z5ComDataSentaku.h"
#include "selection/z5DataListKensaku.h"
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
class TInputDlgBox;
class TDataSyosaiInfoBox;

// Grid columns of the shared-server list.
enum : int {
  kSvColNo = 0, kSvColCode = 1, kSvColName = 2, kSvColNendo = 3, kSvColKikan = 4, kSvColFolder = 5,
  kSvColVer = 6, kSvColSharePic = 7, kSvColShare = 8, kSvColVerNo = 9, kSvColUpdate = 10, kSvColGassan = 11,
  kSvColIndex = 12, kSvColChild = 13, kSvColStatus = 14, kSvColCount = 15,
};

// At most this many areas per drive; adding beyond is refused.
inline constexpr int kMaxServerAreas = 2000;

// The shared folder's name on a shared drive: [Zaimu] ShareDir, "Zivodarorer" when unset.
std::string ServerShareDir();
// "<letter>:/<ShareDir>", or "" for no letter.
std::string ServerShareRoot(const std::string& letter);
// The letters (upper case, in order) that stand for a network drive: every mapped letter but
// C whose shared folder exists.
std::vector<std::string> SharedDriveLetters();

// The share status of an area's data set: kind 2 taken by an operator, 1 free. True when it
// was changed.
bool SetServerShareStatus(TDataInfomation& info, const std::string& folder, uint8_t kind);

// What decides the key bar of the list.
struct TServerKeyInput {
  bool GridActive = true;
  bool HasRow = true;
  bool CopyPending = false;
  bool ShareRootSet = true;
  bool InUse = false;  // the row's area is taken by an operator (column 8)
  TDataListRec Row;
};
struct TServerKeyOutput {
  std::array<std::string, 10> Captions;  // ESC, F1 .. F8, F12
  int32_t KeyMode = 0;                   // 0 no row, 1 a row, 2 a row while a copy is pending
  bool F12Enabled = true;
};
TServerKeyOutput ServerSentakuKeys(const TServerKeyInput& in);

class TServerSentakuBox : public TBSDI {
 public:
  explicit TServerSentakuBox(QWidget* owner);
  ~TServerSentakuBox() override;

  // ---- controls ----
  forms::TLabel* Label1;
  TxComboBox* cmbDrive;
  TxCheckBox* cboxDataListUpdate;
  TxPlButton* btnMount;
  TxPlButton* btnSearchCancel;
  TxPlButton* btnSearch;
  TxPlButton* btnDataInfo;
  TxPlButton* btnListUpdate;
  TPerfectGrid* PerfectGrid1;
  forms::TMemo* HintArea;
  std::array<TxPlButton*, 10> KeyButtons{};  // ESC, F1 .. F8, F12
  TxEdit* txtIncSerch;
  forms::TTimer* IncSerchTimer;

  // ---- state ----
  std::string DriveLetter;   // in: the letter used last; out: the chosen drive
  std::string ShareRoot;     // "<letter>:/<ShareDir>"; empty when no drive qualifies
  std::string SelectedPath;  // the chosen area (F12)
  std::string SelectedName;
  uint8_t Mode = 0;
  bool CopyPending = false;
  std::string CopySourceFolder;
  TDataListRec CopySourceRow;  // its ENTTEXT and DispName are the copy's name
  int32_t CopySourceIndex = -1;
  int32_t SortColumn = -1;
  bool SortDescending = false;
  TDataKensakuRec EditJoken, ActiveJoken;
  std::string IncSearchText;
  int32_t KeyMode = 0;
  TDataSentakuRecArray Rows;
  TDataListArray ChildRows;
  TDataSentakuRecDispArray DispRows;
  std::vector<std::string> DriveLetters;  // parallel to cmbDrive's items
  std::unique_ptr<TDataSentakuListCtl> ListCtl;
  TDataInfomation DataInfo;
  TDataInfomationRec DataInfoRec;  // the area CheckFolderState read last
  std::vector<std::string> MsgLines;
  TDataListKensakuBox* KensakuBox = nullptr;
  TDataSyosaiInfoBox* SyosaiInfoBox = nullptr;
  TInputDlgBox* InputBox = nullptr;
  // The paste's file copy (the shell copy of whole folders); a test may put a failing one in.
  std::function<bool(const std::string& from, const std::string& to)> CopyFiles;

  // ---- interface ----
  void Setup(uint8_t mode);
  // Writes a row back after the caller changed its name or update lock.
  void UpdateServerRow(TDataListRec& row);
  bool SetServerShareStatus(const std::string& folder, uint8_t kind);

  // ---- list ----
  void Initialise();
  void LoadDrives();
  // 0 reads the drive's rows; 1 rebuilds them from the folders.
  void LoadList(uint8_t mode);
  void RowFromDataInfo(TDataListRec& row, bool empty);
  void RegisterRow(TDataListRec& row);
  void BuildDisplayList();
  void ShowList();
  void ShowEntry(int index, int& gridRow);
  void FillGridRow(int gridRow, const TDataListRec& row);
  void RefreshFromFolders();
  uint8_t ReadShareStatus(const std::string& folder);
  TDataListRec& GetRowRecord(int gridRow);
  void LocateFolder(const std::string& folder);

  // ---- operations ----
  uint8_t CheckFolderState(const std::string& folder, bool warnNoData, bool refuseBusy);
  void SetDataStatus(const std::string& folder, uint8_t status);
  void CopyOrPaste();
  bool CheckDataMatch(const std::string& word, const std::string& source, const std::string& target);
  void AddArea();
  void DeleteData(bool showFailure);
  void DropChildren(int32_t index);
  void CopyChildRows(int32_t index);
  void EndPendingCopy();

  // ---- keys, buttons and handlers ----
  void UpdateFunctionKeys() override;
  void ESCClick(QObject* Sender);
  void F1Click(QObject* Sender);
  void F12Click(QObject* Sender);
  void PrintList();
  void cmbDriveChange(QObject* Sender);
  void btnSearchClick(QObject* Sender);
  void btnDataInfoClick(QObject* Sender);
  void btnListUpdateClick(QObject* Sender);
  void btnMountClick(QObject* Sender);
  void cboxDataListUpdateClick(QObject* Sender);
  void HeaderClick(int col);
  void GridKeyDown(int& key, forms::TShiftState shift);
  void IncSerchTimerTimer(QObject* Sender);

  void FormCreate(QObject* Sender) override;
  void FormDestroy(QObject* Sender) override;
  void FormClose(QObject* Sender, forms::TCloseAction& Action) override;
  void FormKeyUp(QObject* Sender, int& Key, forms::TShiftState Shift) override;

 protected:
  void CMShowingChanged() override;

 private:
  void LoadHints();
  bool settingCheck_ = false;
  bool fillingDrives_ = false;
};

// The stand-in for the system's network-drive dialog: a letter and a folder; OK writes the
// mapping into the drive table (drives.ini of the configuration folder).
class TDriveMapDlg : public forms::TForm {
 public:
  explicit TDriveMapDlg(QWidget* owner);
  TxComboBox* cmbLetter;
  TxEdit* txtFolder;
  TxPlButton* btnOK;
  TxPlButton* btnCancel;
  // Writes the mapping; false (with a message) when the folder does not exist.
  bool Apply();
};
