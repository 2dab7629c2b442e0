#pragma once
// The application INI and the database-server settings dialog ("データサーバーの設定").
//
// The application INI (SystemDef.AppIniFile) holds the connection settings per connection
// mode: [LOCAL] (0, this computer), [SERVER] (1, client/server) and [SBC] (2, terminal
// server), each with HOSTNAME, GOGLOBAL, GROUP, SYSDIR, USER and PASSWORD; [APPLICATION]
// keeps the main window's bounds and CONNECT, the mode of the last logon.
//
// Reading upper-cases USER and lower-cases PASSWORD; SYSDIR is kept as written (a folder
// of this system is case-sensitive and uses "/"). The dialog stores the host in lower case,
// the user in upper case and the password in lower case.
//
// The start-up creates the dialog without showing it to write a missing INI (WriteAppIni(1));
// the logon shows it for the server settings and frees it with itself.
#include <cstdint>
#include <string>

#include "ui/SDI.h"
#include "ui/forms/Label.h"
#include "ui/forms/Panel.h"
#include "ui/xComboBox.h"
#include "ui/xEdit.h"
#include "ui/xPlButton.h"

// The section of a connection mode: "SERVER" for 1, "SBC" for 2, else "LOCAL".
const char* AppIniSection(int32_t kind);

// Defaults of keys that are missing.
inline constexpr const char* kDefaultDbUser = "TALLIX";
inline constexpr const char* kDefaultDbPassword = "mirsol";
// The data path the dialog offers below the chosen drive.
inline constexpr const char* kDefaultDataPath = "/zivodarorer/data";

class TAppIniCreateBox : public TBSDI {
 public:
  explicit TAppIniCreateBox(QWidget* owner);

  forms::TPanel* pnlTop;
  forms::TLabel* Label1;
  forms::TLabel* Label2;
  forms::TGroupBox* GroupBox1;
  forms::TLabel* Label3;
  TxEdit* txtHostName;
  TxPlButton* btnCompShow;
  forms::TLabel* Label4;
  TxComboBox* cmbDrive;
  TxEdit* txtDataPath;
  forms::TLabel* Label5;
  TxEdit* txtUserName;
  forms::TLabel* Label6;
  TxEdit* txtPassWord;
  TxPlButton* btnOK;
  TxPlButton* btnCancel;

  // 1: the dialog closes itself after OK or Cancel (used on its own); 0 here.
  int32_t FStandAlone = 0;
  // The connection mode whose section the dialog shows and writes (1 at creation).
  int32_t FConnectKind = 1;

  // Writes the INI; always true. Reset 1: in mode 0 the host is cleared; DATABASE and
  // MAINFORM are erased; APPLICATION gets its defaults; LOCAL the current values; SERVER an
  // empty host and folder, "NO", "NO" and the current user and password. Reset 0: the six
  // keys of the section of the current ConnectMode. The file is replaced once.
  bool WriteAppIni(int32_t Reset);
  // CONNECT := kind, only for kinds 0 to 2 and only in program kind 0.
  void WriteConnectMode(int32_t Kind);
  // 0 outside program kind 0; else CONNECT (0 when missing or not a number).
  int32_t ReadConnectMode();
  // Reads the section of the kind into SystemDef: host, terminal flag (GOGLOBAL exactly
  // "YES"), system folder, user, password; clears the group flag and the two after it.
  // Always 1.
  int32_t ReadAppIni(int32_t Kind);
  // The connection settings of the program kind: kinds 0 and 2 read the INI, kinds 1 and 3
  // take the local defaults; 0 for any other program kind.
  int32_t LoadConnectSettings(int32_t Kind);

  // The drive the list selects for a system folder: its drive letter when the list has it,
  // else the first item.
  int DriveIndexOf(const std::string& sysDir) const;

  void FormCreate(QObject* Sender) override;

 protected:
  void CMShowingChanged() override;

 private:
  void btnOKClick(QObject* sender);
  void btnCancelClick(QObject* sender);
  void btnCompShowClick(QObject* sender);
  void WriteSection(const std::string& section);
  void FillDriveList();
};
