#pragma once
// The program's one window, TForm1: the linkage wizard and the life cycle around it.
//
// Start-up: the main block (RunProgram) refuses to start beside the accounting product, its
// tools or a second copy, creates the form (FormCreate: hooks, command line, application
// information, exporter, version check, page texts), runs InitApplication (folders and
// connection settings, data module) and the event loop. When the window is first shown the
// operator logs on. Closing closes the company data and the logon; destroying the form posts
// the result code to the calling program.
//
// The wizard: five pages (introduction, data set, period, intermediate file, summary);
// [完了] on the summary writes the intermediate file through the consumption-tax exporter.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/forms/Form.h"

class TxWizard;
class TxKikanPanel16;
class TxPlButton;
class TxAnimeProgressDialog;
class TValueListEditor;
class TSyohizeiDataExport;
class TDataSentakuListCtl;
namespace forms {
class TButton;
class TEdit;
class TGroupBox;
class TLabel;
class TMemo;
class TPanel;
class TSaveDialog;
class TRadioButton;
}  // namespace forms

// The program's argument from a calling program: "window,message,function id,output file".
// Fields 1 to 3 are whole decimal numbers; field 4 is everything after the third comma (a
// path may hold commas). False for anything else; the fields are then left at 0 and empty.
bool ParseCallerArgument(const std::string& argument, int32_t& callerWnd, int32_t& callerMsg,
                         int32_t& callerParam, std::string& callerFile);

// Whether a dotted version ("major.minor.build", fewer parts meaning zeros) is at least the
// minimum. Parts compare one by one as numbers; a part that is not a number counts as 0; more
// than three parts count as 0.0.0; a version of 0.0.0 is never enough.
bool IsVersionAtLeast(const std::string& Version, const std::string& Minimum);

class TForm1 : public forms::TForm {
 public:
  // `args` are the program's arguments after the program name.
  TForm1(QWidget* owner, std::vector<std::string> args);
  ~TForm1() override;

  // ---- controls ----
  TxWizard* Wizard1 = nullptr;
  forms::TButton* Button1 = nullptr;   // [< 戻る]
  forms::TButton* Button2 = nullptr;   // [次へ >] / [完了]
  forms::TButton* btnCancel = nullptr;
  forms::TSaveDialog* SaveDialog1 = nullptr;
  TxAnimeProgressDialog* xAnimeProgressDialog1 = nullptr;
  forms::TPanel* Panel1 = nullptr;
  forms::TMemo* Memo1a = nullptr;
  forms::TMemo* Memo1b = nullptr;
  forms::TLabel* Label2a = nullptr;
  TxPlButton* btnDataSentaku = nullptr;
  TValueListEditor* listDataInfo = nullptr;
  forms::TLabel* Label2c = nullptr;
  forms::TLabel* Label3a = nullptr;
  forms::TGroupBox* GroupBox3a = nullptr;
  TxKikanPanel16* xKikanPanel3a = nullptr;
  forms::TGroupBox* GroupBox3b = nullptr;
  forms::TRadioButton* RadioButton3a = nullptr;
  forms::TRadioButton* RadioButton3b = nullptr;
  forms::TLabel* Label3b = nullptr;
  forms::TLabel* Label4a = nullptr;
  forms::TGroupBox* GroupBox4a = nullptr;
  forms::TEdit* Edit4a = nullptr;
  forms::TButton* BitBtn4a = nullptr;
  forms::TLabel* Label4b = nullptr;
  // The five controls of page 4 are null when a caller removed the page.
  forms::TMemo* Memo5a = nullptr;
  forms::TMemo* Memo5b = nullptr;

  // ---- state ----
  int32_t CallerWnd = 0;
  int32_t CallerMsg = 0;
  int32_t CallerParam = 0;
  std::string CallerFile;
  std::string SystemDrive;
  int32_t ResultCode = 2;
  std::unique_ptr<TSyohizeiDataExport> Exporter;
  std::string DocumentsDir;
  std::string InitErrorText;
  bool DataConnected = false;
  bool LoggedOn = false;
  std::string PrevDataDir;
  // The data-list control of the share exchange; made on first use.
  std::unique_ptr<TDataSentakuListCtl> ListCtl;
  // FormCreate ended the program: the main block frees the form and ends.
  bool Halted() const { return halted_; }

  // ---- start-up and end ----
  void FormCreate(QObject* Sender);
  bool InitApplication();
  void LoadStartupSettings();
  bool ShowAppIniCreate();
  bool ShowLogon();
  void FormCloseQuery(QObject* Sender, bool& CanClose);
  void CloseDataAndLogoff();
  void FormDestroy(QObject* Sender);

  // ---- wizard ----
  void Wizard1NextClicking(QObject* Sender, bool FinalState, bool& AllowChange);
  void Wizard1NextClick(QObject* Sender, bool FinalState);
  void Wizard1PageChanged(QObject* Sender);
  void xKikanPanel3aMouseUp(QObject* Sender);
  void BitBtn4aClick(QObject* Sender);
  void btnCancelClick(QObject* Sender);
  void btnDataSentakuClick(QObject* Sender);
  bool CheckDataSelected();
  void ShowSummary();
  // 1 created, 3 stopped with information, 4 failed.
  int32_t RunExport();
  bool SelectData(int32_t SyoriType, int32_t Ask);
  int32_t ReceiveSharedData();
  int32_t SendBackSharedData();
  TDataSentakuListCtl& DataListCtl();
  // The progress dialog of a connection or share exchange: no cancel button, over the form.
  void ShowExchangeProgress(const std::string& caption, const std::string& info);
  // The period rule: a start on a closing-adjustment cell moves back by one cell.
  void ApplyPeriodRule();
  // The output file as it will be written: a name without a folder lies in DocumentsDir.
  std::string ResolvedExportFile(const std::string& text) const;

 protected:
  void CMShowingChanged() override;
  bool event(QEvent* event) override;

 private:
  void BuildControls();
  void BuildPages();
  void SetPageTexts();
  // Shows an error box and ends the program at once (FormCreate's fatal paths).
  [[noreturn]] void Halt(const std::string& message);
  void FillDataInfo();
  // Closes a connected company data set of `folder` and marks it closed.
  void DisconnectData(const std::string& folder);

  std::vector<std::string> args_;
  bool halted_ = false;
  bool shownOnce_ = false;
};

// The main block, on a running QApplication with the UI services installed: the three locks,
// the form, InitApplication, the event loop; the form is freed (the caller gets its result)
// before it returns. Returns the process's exit status: 0 when the wizard ran.
int RunProgram(const std::vector<std::string>& args);

// Called with the main form once it exists, before the event loop runs (tests and the demo
// drive the window from here); null for none.
void SetMainFormHook(std::function<void(TForm1&)> hook);
