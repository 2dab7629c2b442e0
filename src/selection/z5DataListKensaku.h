#pragma once
// Search and sort conditions of the data lists: one record per operator and list (0 the data
// selection's list, 1 the shared-server list) in KENSAKUJYOKEN, and the dialog
// "検索条件の設定" that edits a record. The owner of a list loads its record, lets the dialog
// edit a copy, stores it, and applies the active conditions when it builds its display list.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "data/uAccClasses.h"
#include "data/uAccClassesLists.h"
#include "platform/db/IBSQL.h"
#include "ui/SDI.h"
#include "ui/forms/Label.h"
#include "ui/forms/Memo.h"
#include "ui/forms/Panel.h"
#include "ui/xCheckBox.h"
#include "ui/xComboBox.h"
#include "ui/xEdit.h"
#include "ui/xPlButton.h"

struct TDataKensakuRec {
  int32_t OPCODE = 0;
  int32_t LISTTYPE = 0;
  int32_t JYOKENUSE = 0;  // 1: the conditions apply whenever the list opens
  int32_t DATATYPE = 0;   // 0 any; -13 (callers only) type 1 or 3
  int32_t CODETYPE = 0;
  std::string DATACODE;   // code prefix
  std::string DATANAME;   // contained in the list name
  int32_t TANTO = 0;
  std::string DATAVER;    // "%d.%d" (callers may give "%d")
  std::string DataVerText;  // not stored
  int32_t DataVerMode = 0;  // not stored: 0 equal major.minor, 1 equal major, 2 from major.minor on
  std::string SEIHINNAME;
  int32_t SORTCOL = 0;    // list-column numbering; 0 not set
  int32_t SORTTYPE = 0;   // 0 ascending, 1 descending
  std::string Reserve1, Reserve2;
};

// Sort column numbering: the lists number their columns 1 コード .. 6 バージョン, the table
// stores コード as 6 and the others one lower. Anything else is 0 (not set).
int32_t StoredToListSortCol(int32_t stored);
int32_t ListToStoredSortCol(int32_t listCol);

// The data kinds of the kind combo with their (DATATYPE, CODETYPE) pairs, item 0 "選択なし".
const std::vector<std::pair<std::string, std::pair<int32_t, int32_t>>>& DataKbnItems();
// The combo item that shows a stored pair.
int DataKbnItemOf(int32_t dataType, int32_t codeType);

class TDataListKensakuBox : public TBSDI {
 public:
  explicit TDataListKensakuBox(QWidget* owner);

  forms::TGroupBox* GroupBox1;
  forms::TLabel* Label1;
  TxEdit* txtCode;
  forms::TLabel* Label2;
  TxComboBox* cmbDataKbn;
  forms::TLabel* Label3;
  TxEdit* txtListName;
  forms::TLabel* Label4;
  TxComboBox* cmbTanto;
  forms::TLabel* Label5;
  TxComboBox* cmbDataVer;
  TxCheckBox* cboxYukou;
  forms::TMemo* HintArea;
  TxPlButton* btnOK;
  TxPlButton* btnCancel;

  int32_t ListType = 0;
  TDataKensakuRec KensakuRec;  // edited by the dialog; the owner sets and reads it
  uint8_t SetupMode = 0;

  void InitKensakuRec(TDataKensakuRec& rec) const;
  // The operator's record of rec's list type; a missing row is inserted with the defaults.
  // False after a reported failure (rec then holds the defaults).
  bool SelectRecord(TDataKensakuRec& rec);
  bool UpdateRecord(const TDataKensakuRec& rec);
  bool UpdateRecordSortField(const TDataKensakuRec& rec);

  void Setup(uint8_t mode);
  void btnOKClick(QObject* Sender);

  void FormCreate(QObject* Sender) override;
  void FormClose(QObject* Sender, forms::TCloseAction& Action) override;

 protected:
  void CMShowingChanged() override;

 private:
  void LoadHints();
  void BindAll(TIBSQL& q, const TDataKensakuRec& rec);

  TIBTransaction tr_;
  TIBSQL sql_;
  TUserList users_;
  TSeihinVersionList editions_;
};
