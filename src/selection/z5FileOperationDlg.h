#pragma once
// The folder (or file) choice for file operations: a drop-down of the places used before,
// remembered in an INI section as HIST1..HIST8 (most recent first), a browse button, and in
// the file modes a file-name box. Closing hides the dialog; its owner keeps it between uses
// and sets the fields and calls Setup before each one.
//
//   box->Mode = 3; box->HistoryFlag = true; box->HistoryFileName = "history.ini";
//   box->HistorySection = "DataBackFolder"; box->DefaultFolder = docs;
//   box->Setup(1);
//   if (box->ShowModal() == mrOk) use(box->Result);
#include <cstdint>
#include <string>
#include <vector>

#include "ui/SDI.h"
#include "ui/forms/Label.h"
#include "ui/forms/Memo.h"
#include "ui/xComboBox.h"
#include "ui/xEdit.h"
#include "ui/xPlButton.h"

class TFileOperationBox : public TBSDI {
 public:
  explicit TFileOperationBox(QWidget* owner);

  forms::TLabel* lblMain;
  forms::TLabel* lblFileSelect;
  TxComboBox* cmbFileSelect;
  TxPlButton* btnSansyo;
  TxPlButton* btnHistDelete;
  forms::TLabel* lblFileName;
  TxEdit* txtFileName;
  forms::TMemo* HintArea;
  TxPlButton* btnOK;
  TxPlButton* btnCancel;

  static constexpr int kHistoryMax = 8;

  uint8_t SetupValue = 0;
  int32_t Mode = 0;  // 0 open a file, 1 save a file, 2 a folder to restore from, 3 a folder to save into
  uint8_t Flag = 0;
  bool HistoryFlag = false;
  std::string HistoryFilePath;
  std::string HistoryFolder;  // the application ini folder by default
  std::string HistoryFileName;
  std::string HistorySection;
  std::string FormCaption;
  std::string Message;
  forms::TColor MessageColor = forms::clWindowText;
  std::string FolderLabel = "保存先の場所:";
  std::string DefaultFolder;
  std::string DefaultFileName;
  std::string FolderHint;
  std::string FileNameHint;
  std::string DefaultExt;
  std::string FileType;
  std::vector<std::string> HistoryLines;
  std::vector<std::string> HistoryValues;
  std::string Result;

  virtual void Setup(uint8_t Value);
  virtual void ApplySettings();
  virtual void LoadHints();
  void LoadHistory(TxComboBox* list, std::vector<std::string>& values);
  // The list's folder to the top of the values, and HIST1.. of the first eight written.
  void SaveHistory(TxComboBox* list, std::vector<std::string>& values);
  // Puts a folder at the top of the list (when new) and selects it.
  void PutFolder(const std::string& folder);

  void FormCreate(QObject* Sender) override;
  void FormClose(QObject* Sender, forms::TCloseAction& Action) override;
  void btnSansyoClick(QObject* Sender);
  virtual void btnOKClick(QObject* Sender);
  void btnHistDeleteClick(QObject* Sender);

 protected:
  void CMShowingChanged() override;
  std::string ListFolder() const;
};

// The same choice with a second way out: restore from the program's own default place, in
// which case the place controls are disabled and OK closes at once without any check.
class TxRadioButton;
class TFileOperationBoxEx1 : public TFileOperationBox {
 public:
  explicit TFileOperationBoxEx1(QWidget* owner);

  TxRadioButton* btnSelect1;
  TxRadioButton* btnSelect2;
  int32_t Choice = 1;  // 1 the chosen place, 2 the default place

  void Setup(uint8_t Value) override;
  void ApplySettings() override;
  void LoadHints() override;
  void SetChoice1Caption(const std::string& text);
  void SetChoice2Caption(const std::string& text);
  void SetChoice(int32_t n);
  void btnOKClick(QObject* Sender) override;
  void btnSelect1Click(QObject* Sender);
  void FormCreate(QObject* Sender) override;
};
