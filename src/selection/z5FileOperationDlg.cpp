#include "selection/z5FileOperationDlg.h"

#include <algorithm>

#include "data/uAccFunction.h"
#include "data/uAccFunction2Win.h"
#include "data/uAccRecord.h"
#include "platform/Paths.h"
#include "platform/UiServices.h"
#include "ui/xRadioButton.h"
#include "ui/z5MessageDlg2.h"

using namespace forms;

namespace {

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string Trimmed(const std::string& text) {
  const auto b = text.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  return text.substr(b, text.find_last_not_of(" \t") - b + 1);
}

}  // namespace

TFileOperationBox::TFileOperationBox(QWidget* owner) : TBSDI(owner) {
  SetName("FileOperationBox");
  SetBorderStyle(bsDialog);
  SetBorderIcons(biSystemMenu);
  SetPosition(poOwnerFormCenter);
  SetKeyPreview(true);
  SetShowHint(true);
  SetClientSize(475, 299);

  lblMain = new TLabel(this);
  lblMain->SetName("lblMain");
  lblMain->SetWordWrap(true);
  lblMain->SetAutoSize(false);
  lblMain->SetBounds(16, 12, 443, 40);
  lblFileSelect = new TLabel(this);
  lblFileSelect->SetName("lblFileSelect");
  lblFileSelect->SetBounds(16, 62, 0, 0);
  cmbFileSelect = new TxComboBox(this);
  cmbFileSelect->SetName("cmbFileSelect");
  cmbFileSelect->SetStyle(csDropDownList);
  cmbFileSelect->SetDropDownCount(10);
  cmbFileSelect->SetBounds(16, 80, 320, 21);
  cmbFileSelect->SetKeyStyles({ksEnter});
  btnSansyo = new TxPlButton(this);
  btnSansyo->SetName("btnSansyo");
  btnSansyo->CaptionA().SetCaption("参照");
  btnSansyo->SetBounds(342, 77, 50, 27);
  btnSansyo->OnClick = [this](QObject* s) { btnSansyoClick(s); };
  btnHistDelete = new TxPlButton(this);
  btnHistDelete->SetName("btnHistDelete");
  btnHistDelete->CaptionA().SetCaption("履歴削除");
  btnHistDelete->SetBounds(396, 77, 66, 27);
  btnHistDelete->OnClick = [this](QObject* s) { btnHistDeleteClick(s); };
  lblFileName = new TLabel(this);
  lblFileName->SetName("lblFileName");
  lblFileName->SetCaption("ファイル名:");
  lblFileName->SetBounds(16, 114, 0, 0);
  txtFileName = new TxEdit(this);
  txtFileName->SetName("txtFileName");
  txtFileName->SetBounds(16, 132, 330, 21);
  HintArea = new TMemo(this);
  HintArea->SetName("HintArea");
  HintArea->SetReadOnly(true);
  HintArea->SetTabStop(false);
  HintArea->SetBounds(16, 164, 443, 82);
  btnOK = new TxPlButton(this);
  btnOK->SetName("btnOK");
  btnOK->CaptionA().SetCaption("OK");
  btnOK->SetBounds(256, 258, 97, 28);
  btnOK->OnClick = [this](QObject* s) { btnOKClick(s); };
  btnCancel = new TxPlButton(this);
  btnCancel->SetName("btnCancel");
  btnCancel->CaptionA().SetCaption("キャンセル");
  btnCancel->SetBounds(362, 258, 97, 28);
  btnCancel->SetModalResult(mrCancel);
}

void TFileOperationBox::FormCreate(QObject* Sender) {
  TBSDI::FormCreate(Sender);
  UsePlainDialogFlags(HintArea);
  HistoryFolder = SystemDef.IniDir;
  MessageColor = Font().Color;
  FCreatedOK = true;
}

void TFileOperationBox::FormClose(QObject* Sender, TCloseAction& Action) {
  TBSDI::FormClose(Sender, Action);
  Action = caHide;
}

void TFileOperationBox::CMShowingChanged() {
  TBSDI::CMShowingChanged();
  if (!FCreatedOK) {
    ReportInitFailed();
    Close();
    return;
  }
  if (!Showing()) return;
  repaint();
  cmbFileSelect->SetFocus();
}

void TFileOperationBox::Setup(uint8_t Value) {
  SetupValue = Value;
  ApplySettings();
  FSetupPending = false;
}

void TFileOperationBox::ApplySettings() {
  LoadHints();
  const bool fileMode = Mode == 0 || Mode == 1;
  lblFileName->SetVisible(fileMode);
  txtFileName->SetVisible(fileMode);
  txtFileName->SetText(fileMode ? DefaultFileName : std::string());
  btnHistDelete->SetVisible(HistoryFlag);
  SetCaption(FormCaption);
  lblMain->SetCaption(Message);
  TFontSpec f = lblMain->Font();
  f.Color = MessageColor;
  lblMain->SetFont(f);
  lblFileSelect->SetCaption(FolderLabel);
  cmbFileSelect->SetItems({});
  LoadHistory(cmbFileSelect, HistoryValues);
}

void TFileOperationBox::LoadHints() {
  cmbFileSelect->SetHint(FolderHint);
  btnSansyo->SetHint(FolderHint);
  btnHistDelete->SetHint("履歴を削除します。|履歴を削除します。");
  txtFileName->SetHint(FileNameHint);
  btnOK->SetHint("処理を確定します。");
  btnCancel->SetHint("処理をキャンセルします。");
}

void TFileOperationBox::LoadHistory(TxComboBox* list, std::vector<std::string>& values) {
  std::vector<std::string> items = list->Items();
  if (!HistoryFolder.empty() && !HistoryFileName.empty() && !HistorySection.empty()) {
    values.clear();
    HistoryFilePath = WithoutTrailingSlash(HistoryFolder) + "/" + HistoryFileName;
    std::string text;
    ReadIniSection(HistoryFilePath, HistorySection, text);
    size_t pos = 0;
    while (pos < text.size()) {
      size_t end = text.find("\r\n", pos);
      if (end == std::string::npos) end = text.size();
      const std::string line = text.substr(pos, end - pos);
      const auto eq = line.find('=');
      if (eq != std::string::npos) values.push_back(line.substr(eq + 1));
      pos = end + 2;
    }
    items = values;
  }
  if (!DefaultFolder.empty() && std::find(items.begin(), items.end(), DefaultFolder) == items.end())
    items.push_back(DefaultFolder);
  list->SetItems(items);
  list->SetItemIndex(items.empty() ? -1 : 0);
}

void TFileOperationBox::SaveHistory(TxComboBox* list, std::vector<std::string>& values) {
  const std::string current = list->Text();
  values.erase(std::remove(values.begin(), values.end(), current), values.end());
  values.insert(values.begin(), current);
  HistoryLines.clear();
  for (size_t i = 0; i < values.size() && i < kHistoryMax; ++i)
    HistoryLines.push_back("HIST" + std::to_string(i + 1) + "=" + values[i]);
  if (HistoryFilePath.empty()) HistoryFilePath = WithoutTrailingSlash(HistoryFolder) + "/" + HistoryFileName;
  ReadIniSectionList(HistoryFilePath, HistorySection, HistoryLines);
}

void TFileOperationBox::PutFolder(const std::string& folder) {
  std::vector<std::string> items = cmbFileSelect->Items();
  auto it = std::find(items.begin(), items.end(), folder);
  int index = 0;
  if (it == items.end()) {
    items.insert(items.begin(), folder);
    cmbFileSelect->SetItems(items);
  } else {
    index = static_cast<int>(it - items.begin());
  }
  cmbFileSelect->SetItemIndex(index);
}

std::string TFileOperationBox::ListFolder() const { return cmbFileSelect->Text(); }

void TFileOperationBox::btnSansyoClick(QObject*) {
  if (Mode == 2 || Mode == 3) {
    std::string folder = ListFolder();
    if (SelectFolderDlg("フォルダの選択", folder, 0)) PutFolder(WithoutTrailingSlash(folder));
    return;
  }
  uis::FileDialogRequest request;
  request.caption = "ファイルの選択";
  std::string filter;
  if (!FileType.empty() && !DefaultExt.empty()) {
    std::string lower = DefaultExt, upper = DefaultExt;
    std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
    std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
    filter = FileType + " (*." + lower + ")|*." + upper + "|";
  }
  request.filter = filter + "すべてのﾌｧｲﾙ(*.*)|*.*";
  request.defaultExt = DefaultExt;
  request.save = Mode == 1;
  const std::string start = WithoutTrailingSlash(ListFolder()) + "/" + Trimmed(txtFileName->Text());
  request.initialDir = DefaultFolder.empty() ? ListFolder() : DefaultFolder;
  request.fileName = start;
  std::string chosen;
  bool ok = false;
  if (Mode == 1) {
    ok = CheckSaveFileName(request, chosen);
  } else {
    ok = uis::Ui().FileDialog(request);
    chosen = request.fileName;
  }
  if (!ok || chosen.empty()) return;
  const auto slash = chosen.find_last_of('/');
  PutFolder(slash == std::string::npos ? std::string() : chosen.substr(0, slash));
  txtFileName->SetText(slash == std::string::npos ? chosen : chosen.substr(slash + 1));
}

void TFileOperationBox::btnOKClick(QObject*) {
  if ((Mode == 0 || Mode == 1) && Trimmed(txtFileName->Text()).empty()) {
    uis::ShowMessage(uis::MsgKind::Information, "ファイル名を入力または[参照]ボタンより選択して下さい。\r", {},
                     uis::Buttons::Ok);
    return;
  }
  std::string folder = ListFolder();
  if (!CheckSaveFolder(folder)) return;
  folder = WithoutTrailingSlash(folder);
  if (folder != WithoutTrailingSlash(ListFolder())) PutFolder(folder);
  Result = (Mode == 0 || Mode == 1) ? WithoutTrailingSlash(folder) + "/" + Trimmed(txtFileName->Text()) : folder;
  if (HistoryFlag) SaveHistory(cmbFileSelect, HistoryValues);
  SetModalResult(mrOk);
}

void TFileOperationBox::btnHistDeleteClick(QObject*) {
  TMessage2InfoRec info;
  InitMessage2Info(3, info);
  info.Lines[0].Text = "履歴を削除します。よろしいですか？";
  if (ShowMessage2(info) != mrOk) return;
  const std::string current = ListFolder();
  cmbFileSelect->SetItems({current});
  cmbFileSelect->SetItemIndex(0);
  HistoryValues.clear();
  SaveHistory(cmbFileSelect, HistoryValues);
}

// ---------------------------------------------------------------------------------------

TFileOperationBoxEx1::TFileOperationBoxEx1(QWidget* owner) : TFileOperationBox(owner) {
  SetName("FileOperationBoxEx1");
  SetClientSize(495, 327);
  btnSelect1 = new TxRadioButton(this);
  btnSelect1->SetName("btnSelect1");
  btnSelect1->SetCaption("ファイルの場所を選択する");
  btnSelect1->SetBounds(16, 58, 300, 17);
  btnSelect1->SetChecked(true);
  btnSelect2 = new TxRadioButton(this);
  btnSelect2->SetName("btnSelect2");
  btnSelect2->SetCaption("既定の場所から実行する");
  btnSelect2->SetBounds(16, 170, 300, 17);
  btnSelect1->OnClick = [this](QObject* s) { btnSelect1Click(s); };
  btnSelect2->OnClick = [this](QObject* s) { btnSelect1Click(s); };
  // The place controls move below the first choice.
  for (TControl* c : std::initializer_list<TControl*>{lblFileSelect, cmbFileSelect, btnSansyo, btnHistDelete,
                                                      lblFileName, txtFileName})
    c->SetBounds(c->Left() + 16, c->Top() + 22, c->Width(), c->Height());
  HintArea->SetBounds(16, 196, 463, 70);
  btnOK->SetBounds(276, 282, 97, 28);
  btnCancel->SetBounds(382, 282, 97, 28);
}

void TFileOperationBoxEx1::FormCreate(QObject* Sender) {
  Choice = 1;
  TFileOperationBox::FormCreate(Sender);
}

void TFileOperationBoxEx1::Setup(uint8_t Value) {
  if (Mode == 2 || Mode == 3) btnSelect2->SetBounds(btnSelect2->Left(), txtFileName->Top(), btnSelect2->Width(),
                                                    btnSelect2->Height());
  TFileOperationBox::Setup(Value);
}

void TFileOperationBoxEx1::ApplySettings() {
  TFileOperationBox::ApplySettings();
  if (FSetupPending) SetClientHeight(360 * PixelsPerInch() / 96 - (Height() - ClientHeight()));
}

void TFileOperationBoxEx1::LoadHints() {
  TFileOperationBox::LoadHints();
  btnSelect1->SetHint(
      "選択した場所に保存されているﾃﾞｰﾀを復元する場合に選択します。|選択した場所に保存されているﾃﾞｰﾀを復元する場合に選択します。");
  btnSelect2->SetHint(
      "ｼｽﾃﾑが随所で行う自動ﾊﾞｯｸｱｯﾌﾟﾃﾞｰﾀを復元し、ﾃﾞｰﾀを元に戻す場合に選択します。|「仕訳の全削除」、「仕訳のｲﾝﾎﾟｰﾄ」は処理実行時に実行前ﾃﾞｰﾀをﾊﾞｯｸｱｯﾌﾟするように設定されています。\r\n"
      "［OK］を押すと現在のﾃﾞｰﾀをこれらの処理を実行する前の状態に戻す事ができます。\r\n"
      "尚、ﾊﾞｯｸｱｯﾌﾟを取らずにこれらの処理を実行することも出来ますので、確実に実行前の状態に戻せるとは限りません。");
}

void TFileOperationBoxEx1::SetChoice1Caption(const std::string& text) { btnSelect1->SetCaption(text); }
void TFileOperationBoxEx1::SetChoice2Caption(const std::string& text) { btnSelect2->SetCaption(text); }

void TFileOperationBoxEx1::SetChoice(int32_t n) {
  if (n == 1) btnSelect1->SetChecked(true);
  else if (n == 2) btnSelect2->SetChecked(true);
  btnSelect1Click(btnSelect1);
}

void TFileOperationBoxEx1::btnSelect1Click(QObject*) {
  const bool own = btnSelect1->Checked();
  for (TControl* c : std::initializer_list<TControl*>{lblFileSelect, cmbFileSelect, btnSansyo, btnHistDelete,
                                                      lblFileName, txtFileName})
    c->SetEnabled(own);
}

void TFileOperationBoxEx1::btnOKClick(QObject* Sender) {
  if (btnSelect1->Checked()) {
    Choice = 1;
    TFileOperationBox::btnOKClick(Sender);
    return;
  }
  Choice = 2;
  SetModalResult(mrOk);
}
