#pragma once
// The password dialog: asks for a new operator password, and for the current one when a
// password is stored. It only checks the entries; its caller stores the result.
//
//   auto* box = forms::CreateForm<TUpPasswordBox>(nullptr);
//   box->Setup(stored);                     // "" : "パスワードの設定", else "パスワードの変更"
//   if (box->ShowModal() == mrOk) Store(box->NewPassword);
//   box->Free();
//
// The edits take letters and digits only (10 at most); both comparisons are case-sensitive.
#include <string>

#include "ui/SDI.h"
#include "ui/forms/Label.h"
#include "ui/forms/Panel.h"
#include "ui/xEdit.h"
#include "ui/xPlButton.h"

// Whether the password edits take the typed character: Enter, Backspace, 0-9, A-Z, a-z.
bool PasswordKeyAccepted(char32_t key);

class TUpPasswordBox : public TBSDI {
 public:
  explicit TUpPasswordBox(QWidget* owner);

  forms::TPanel* pnlTop;
  forms::TLabel* Label1;
  forms::TGroupBox* GroupBox1;
  forms::TLabel* Label2;
  TxEdit* txtPasswordNow;
  forms::TLabel* Label3;
  TxEdit* txtPasswordNew1;
  forms::TLabel* Label4;
  TxEdit* txtPasswordNew2;
  TxPlButton* btnOk;
  TxPlButton* btnCancel;

  bool HasCurrent = false;
  std::string CurrentPassword;
  std::string NewPassword;  // the result after OK

  // Prepares the dialog for a run: the change layout with a current password, the setting
  // layout without; the edits are emptied.
  void Setup(const std::string& currentPassword);

  void FormCreate(QObject* Sender) override;

 protected:
  void CMShowingChanged() override;

 private:
  void btnOkClick(QObject* sender);
  void PasswordKeyPress(QObject* sender, char32_t& key);
  void Refuse(const char* text, TxEdit* focus);
};
