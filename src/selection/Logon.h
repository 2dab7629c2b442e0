#pragma once
// The logon dialog ("ログイン"): the operator gives group (when asked), code and password;
// the dialog connects the system database with the application INI's settings of the chosen
// connection mode (stand-alone or client/server), lets the system database's LOGONUSERTEST
// check them, and on success fills the operator part of SystemDef and stores the mode as
// CONNECT in the INI.
//
//   auto* logon = forms::CreateForm<TLogonBox>(nullptr);
//   bool ok = logon->FCreatedOK && logon->ShowModal() == mrOk;
//   logon->Free();
//
// A failed logon keeps the dialog open (each wrong try gets the same message); only an
// unexpected failure of the check itself ends it with Cancel. The system database stays
// connected after a successful logon.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/db/IBQuery.h"
#include "ui/SDI.h"
#include "ui/forms/Label.h"
#include "ui/forms/Panel.h"
#include "ui/xEdit.h"
#include "ui/xPlButton.h"
#include "ui/xRadioButton.h"

class TAppIniCreateBox;
class TUpPasswordBox;

// The lines of the notice shown when the system database cannot be connected, for a
// database error (code, SQL code, the engine's text) or any other failure (its text).
// caller mode 1 names a missing installation among the reasons of a local failure.
std::vector<std::string> LogonConnectFailureLines(uint8_t connectMode, int32_t callerMode, int ibErrorCode,
                                                  int sqlCode);
std::vector<std::string> LogonConnectFailureLines(const std::string& exceptionText);

class TLogonBox : public TBSDI {
 public:
  explicit TLogonBox(QWidget* owner);

  forms::TPanel* pnlTop;
  forms::TLabel* Label1;
  forms::TLabel* Label2;
  forms::TLabel* Label3;
  forms::TPanel* pnlClient;
  forms::TGroupBox* GroupBox1;
  forms::TLabel* Label4;
  TxEdit* txtGroupID;
  forms::TLabel* Label5;
  TxEdit* txtOpCode;
  forms::TLabel* Label6;
  TxEdit* txtPassword;
  forms::TGroupBox* GroupBox2;
  TxRadioButton* btnSA;
  TxRadioButton* btnCS;
  TxPlButton* btnServerSettei;
  TxPlButton* btnUpPassword;
  TxPlButton* OKBtn;
  TxPlButton* CancelBtn;
  TIBQuery IBQuery1;  // on the system database, in IBTransactionDEF

  // 0 at creation; 1: a local failure names a missing installation first; 2: the focus
  // starts on OK.
  int32_t FCallerMode = 0;
  bool FGroupEntry = false;
  TAppIniCreateBox* AppIniCreateBox = nullptr;  // the server settings, owned
  TUpPasswordBox* UpPasswordBox = nullptr;      // created on first use, owned

  // The normal logon (OK).
  void OKBtnClick(QObject* Sender);
  // The stored password of an operator of the group; true when one is stored. Outside
  // program kinds 2 and 3: true with an empty password.
  bool GetEntryPassword(int32_t Code, std::string& Password);
  // Stores an operator's password (the operator is created as the system user when missing);
  // the system database is connected for it and disconnected afterwards.
  bool UpdatePassword(int32_t Code, const std::string& Password);

  void FormCreate(QObject* Sender) override;
  void FormDestroy(QObject* Sender) override;

 protected:
  void CMShowingChanged() override;

 private:
  void RadioClick(QObject* sender);
  void btnServerSetteiClick(QObject* sender);
  void DigitsOnly(QObject* sender, char32_t& key);
  // The connection mode the logon reads the settings of: 2 stays 2, else by the radio buttons.
  uint8_t ChosenMode() const;
  // Connects the system database afresh; false after the failure notice.
  bool ConnectSystemDb(uint8_t mode);
  void CheckLogon(int32_t group, int32_t code, uint8_t mode);
  void Refuse(const std::string& text, forms::TControl* focus);
};
