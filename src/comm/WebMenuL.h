#pragma once
// "ログインユーザー": the other operators logged on to the system database, listed so that a
// caller can tell the user why a version-up cannot run now. It is the module "WebMenuL" of the
// module registry:
//
//   RegisterWebMenuL();                                   // at start-up
//   if (RunSyoriModule("WebMenuL", 1, "") == 1) ...       // somebody else is logged on
//
// Contract:
//  - Creation loads the list (fnDBConect_OP). Every LOGONUSERLIST row whose logon id
//    (OPCODE) is not the own one (SystemDef.LogonId) is one entry, in the table's order; the
//    name comes from the OPERATOR row of its group and operator code, and stays empty when
//    there is none. Nothing limits the number of entries.
//  - A modal Execute returns 1 when somebody else is logged on, else 0. With nobody else the
//    window closes again as soon as it is shown; with others the user reads the list and
//    closes it with F12, the F12 button or the close box.
//  - Esc and F1 do nothing: the window is closed on purpose only, by F12.
//  - A modal Execute that cannot show the list (other process windows open as the menu hook
//    reports, or a creation that failed) frees the form; the result is the same test.
//
// Failures: a database error while loading is reported ("TfmWebMenuL.fnDBConect_OP") and
// passed on; the form is then not created completely and Execute says so. The loading ends
// the system-database transaction it started, also after a failure; a transaction the caller
// had open stays open.
#include <cstdint>
#include <string>
#include <vector>

#include "selection/z5Kidou.h"
#include "ui/SDI.h"
#include "ui/forms/Memo.h"
#include "ui/forms/Panel.h"
#include "ui/xPlButton.h"

class TPerfectGrid;

// One other logged-on operator.
struct TLoginUserR {
  int32_t OperatorCode = 0;  // OPERATORCODE
  int32_t GroupId = 0;       // GROUPID
  std::string OpName;        // OPNAME, empty without an OPERATOR row
};

class TfmWebMenuL : public TBSDI, public ISyoriKidou {
 public:
  explicit TfmWebMenuL(QWidget* owner);

  // Grid columns.
  enum : int { kColNo = 0, kColCode = 1, kColName = 2, kColCount = 3 };

  // ---- controls ----
  forms::TPanel* pnlClient;
  TPerfectGrid* PerfectGrid1;
  forms::TPanel* pnlBottom;
  forms::TMemo* HintArea;
  TxPlButton* ESC;
  TxPlButton* F1;
  TxPlButton* F12;

  // ---- state ----
  std::vector<TLoginUserR> LoginUsers;  // the other logged-on operators
  int32_t UserCount = 0;                // their number, kept after the list is cleared on close
  std::vector<std::string> ParamList;   // the lines of SetParams
  int32_t SyoriType = 0;

  // ---- module interface ----
  // SyoriType is taken when it is a number of 0 or above. FormStyle: absent or 0 an MDI child,
  // 1 an MDI form, 2 a normal window, anything else stays on top.
  void SetParams(const std::vector<std::string>& Params) override;
  // Not modal: shows the form and returns 1. Modal: 1 when others are logged on, else 0.
  int32_t Execute(bool Modal) override;

  // Loads LoginUsers and UserCount; true when somebody else is logged on.
  bool fnDBConect_OP();

  // ---- handlers ----
  void FormCreate(QObject* Sender) override;
  void FormClose(QObject* Sender, forms::TCloseAction& Action) override;
  void FormKeyUp(QObject* Sender, int& Key, forms::TShiftState Shift) override;
  void ESCClick(QObject* Sender);
  void F12Click(QObject* Sender);

 protected:
  void CMShowingChanged() override;

 private:
  void FillGrid();
  int32_t OthersLoggedOn() const { return UserCount > 0 ? 1 : 0; }
};

// Registers TfmWebMenuL under "WebMenuL" in the module registry (once, at start-up).
void RegisterWebMenuL();
