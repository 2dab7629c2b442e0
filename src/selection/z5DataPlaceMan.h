#pragma once
// Data places (データの場所): in the client/server and terminal modes the company data sets are
// grouped by named data-management folders on the data server, each with its own block of
// rows in DATALIST_EX. DATAPLACEMAN holds 100 slots: place 0 is the standard place (the system
// data folder), places 1 to 99 are the system data folder followed by two digits and are free
// while their name is empty.
//
// The data-selection dialog keeps one TDataPlaceBox: as a look-up for its place combo
// (GetPlaceNames, PlaceRecAt ...) and, from its place button, as the dialog "データの場所の設定"
// in which the user names, renames, deletes and orders the places. Every action is written to
// the database at once; closing only hides the dialog.
//
//   box->Setup(1);
//   box->ShowModal();            // 1 closed with 閉じる, 2 otherwise
//   box->GetPlaceNames(items);   // the caller reloads its combo
#include <cstdint>
#include <string>
#include <vector>

#include "ui/SDI.h"
#include "ui/forms/Memo.h"
#include "ui/forms/Panel.h"
#include "ui/xPlButton.h"

class TPerfectGrid;

struct TDataPlaceRec {
  int32_t REC = 0;
  int32_t State = 0;  // 0 unchanged, 1 named for the first time, 2 renamed or moved, 9 freed
  int32_t ORDERKBN = 0;
  std::string PATH;
  std::string NAME;
  std::string Spare;  // emptied on load, not otherwise used
};
using TDataPlaceList = std::vector<TDataPlaceRec>;

// The name of place 0 at the first filling: the system data folder when it takes 40 bytes or
// fewer, else "標準の場所".
std::string StandardPlaceName(const std::string& sysDataFolder);

// Grid columns: 0 "No", 1 名称, 2 フォルダパス, 3 (hidden) REC.
enum : int { kPlaceColNo = 0, kPlaceColName = 1, kPlaceColPath = 2, kPlaceColRec = 3, kPlaceColCount = 4 };

class TDataPlaceBox : public TBSDI {
 public:
  explicit TDataPlaceBox(QWidget* owner);

  // ---- controls ----
  TPerfectGrid* PerfectGrid1;
  TxPlButton* F1;
  TxPlButton* F2;
  TxPlButton* F3;
  TxPlButton* F5;
  TxPlButton* F6;
  TxPlButton* F7;
  forms::TPanel* PanelHint;
  forms::TMemo* HintArea;
  TxPlButton* btnOK;
  TxPlButton* btnCancel;

  // ---- state ----
  TDataPlaceList PlaceList;
  uint8_t SetupMode = 0;

  // ---- look-ups (on the list GetPlaceNames loaded) ----
  // Reloads the named places (in display order) and gives their names, each followed by "\r".
  void GetPlaceNames(std::string& text);
  int32_t PlaceRecAt(int index) const;
  void PlacePathAt(int index, std::string& path) const;
  int IndexOfPlaceRec(int32_t rec) const;
  void PlacePathOfRec(int32_t rec, std::string& path) const;

  // ---- store ----
  // Fills an empty DATAPLACEMAN first (100 rows), then reads all places, or the named ones,
  // ordered by ORDERKBN, REC. False after a failure (reported), with the list as far as read.
  bool LoadPlaces(bool namedOnly);
  // Writes every changed row (naming creates the place's data-list rows, freeing deletes them)
  // in one transaction; the states return to 0 after the commit. Errors pass on.
  void SavePlaces();
  // A registered data folder of the place still exists on the data server (or the question
  // failed).
  bool HasData(int32_t rec);

  // ---- dialog ----
  void Setup(uint8_t mode);
  void UpdateKeys();
  void F1Click(QObject* Sender);
  void F2Click(QObject* Sender);
  void F3Click(QObject* Sender);
  void F5Click(QObject* Sender);
  void F6Click(QObject* Sender);
  void F7Click(QObject* Sender);
  void btnOKClick(QObject* Sender);

  void FormCreate(QObject* Sender) override;
  void FormClose(QObject* Sender, forms::TCloseAction& Action) override;
  void FormKeyUp(QObject* Sender, int& Key, forms::TShiftState Shift) override;

 protected:
  void CMShowingChanged() override;

 private:
  void LoadHints();
  void FillGrid();
  int CurrentRow() const;
  TDataPlaceRec* ListRowOf(int32_t rec);
  // Runs SavePlaces; a failure is reported as the action's error.
  bool SaveAction(const char* method);
  void MoveRow(int delta);
  void FocusGrid();
  bool AskName(const char* caption, const char* message, const char* hint, std::string& name);
};
