#include "comm/z5CashBookLoader.h"

#include <QHeaderView>
#include <filesystem>

#include "data/DataModule.h"
#include "data/uAccFunction2.h"
#include "data/uAccFunction2Date.h"
#include "data/uAccFunction2Win.h"
#include "data/uAccRecord.h"
#include "platform/Encoding.h"
#include "platform/FileReplace.h"
#include "platform/TextLines.h"
#include "platform/UiServices.h"

using namespace forms;

std::array<int32_t, 3> CashBookMinDataVersion = {0, 0, 0};

// ---- the log list ----

TCashBookLogList::TCashBookLogList(QWidget* parent) : TWidgetControl<QTreeWidget>(parent) {
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setAllColumnsShowFocus(true);
  connect(this, &QTreeWidget::currentItemChanged, this, [this] {
    if (OnSelectItem) OnSelectItem(this);
  });
}

void TCashBookLogList::SetColumns(const std::vector<std::pair<std::string, int>>& columns) {
  setColumnCount(static_cast<int>(columns.size()));
  QStringList titles;
  for (const auto& c : columns) titles << QString::fromStdString(c.first);
  setHeaderLabels(titles);
  for (int i = 0; i < static_cast<int>(columns.size()); ++i) setColumnWidth(i, columns[i].second);
}

void TCashBookLogList::AddItem(const std::string& caption, const std::string& text, int imageIndex) {
  auto* item = new QTreeWidgetItem(this);
  item->setText(0, QString::fromStdString(caption));
  item->setText(1, QString::fromStdString(text));
  // The image of a line follows its kind: information, warning, error.
  static const QStyle::StandardPixmap kIcons[] = {QStyle::SP_MessageBoxInformation, QStyle::SP_MessageBoxWarning,
                                                  QStyle::SP_MessageBoxCritical};
  if (imageIndex >= 0 && imageIndex < 3) item->setIcon(0, style()->standardIcon(kIcons[imageIndex]));
}

void TCashBookLogList::Clear() { clear(); }

std::string TCashBookLogList::Text(int row, int column) const {
  const QTreeWidgetItem* item = topLevelItem(row);
  return item ? item->text(column).toStdString() : std::string();
}

int TCashBookLogList::ItemIndex() const { return currentItem() ? indexOfTopLevelItem(currentItem()) : -1; }

void TCashBookLogList::SetItemIndex(int row) {
  QTreeWidgetItem* item = topLevelItem(row);
  setCurrentItem(item);
  if (item) item->setSelected(true);
}

TCashBookProgressBar::TCashBookProgressBar(QWidget* parent) : TWidgetControl<QProgressBar>(parent) {
  setTextVisible(false);
  setMinimum(0);
}

// ---- the form ----

TCashBookLoaderBox::TCashBookLoaderBox() : TForm(nullptr) {
  SetName("CashBookLoaderBox");
  SetCaption("現金出納帳の取り込み");
  SetBorderStyle(bsDialog);
  SetBorderIcons(0);
  SetPosition(poScreenCenter);
  SetClientSize(631, 466);

  pnlClient = new TPanel(this);
  pnlClient->SetName("pnlClient");
  pnlClient->SetBounds(0, 0, 631, 418);
  pnlClient->SetBevelOuter(bvNone);
  auto label = [this](const char* name, const char* caption, int top) {
    auto* l = new TLabel(pnlClient);
    l->SetName(name);
    l->SetCaption(caption);
    l->SetAutoSize(true);
    l->SetBounds(56, top, 0, 0);
    return l;
  };
  lblTitle1 = label("lblTitle1", "出納帳レコードの更新を行います。", 14);
  lblTitle2 = label("lblTitle2", "", 34);
  lblTitle3 = label("lblTitle3", "", 54);
  TFontSpec red = lblTitle3->Font();
  red.Color = clRed;
  lblTitle3->SetFont(red);
  btnOutput = new TButton(pnlClient);
  btnOutput->SetName("btnOutput");
  btnOutput->SetCaption("ファイル出力");
  btnOutput->SetBounds(519, 48, 100, 25);
  btnOutput->SetEnabled(false);
  ListView1 = new TCashBookLogList(pnlClient);
  ListView1->SetName("ListView1");
  ListView1->SetBounds(12, 80, 607, 236);
  RichEdit1 = new TMemo(pnlClient);
  RichEdit1->SetName("RichEdit1");
  RichEdit1->SetBounds(12, 320, 607, 92);
  RichEdit1->SetReadOnly(true);
  RichEdit1->SetScrollBars(ssBoth);

  pnlProgress = new TPanel(this);
  pnlProgress->SetName("pnlProgress");
  pnlProgress->SetBounds(115, 150, 400, 110);
  pnlProgress->SetVisible(false);
  Animate1 = new TxBusyAnime(pnlProgress);
  Animate1->setGeometry(16, 16, 40, 40);
  Label1 = new TLabel(pnlProgress);
  Label1->SetName("Label1");
  Label1->SetCaption("データの更新中です…");
  Label1->SetAutoSize(true);
  Label1->SetBounds(72, 28, 0, 0);
  ProgressBar1 = new TCashBookProgressBar(pnlProgress);
  ProgressBar1->SetName("ProgressBar1");
  ProgressBar1->SetBounds(16, 72, 368, 18);

  btnOk = new TButton(this);
  btnOk->SetName("btnOk");
  btnOk->SetCaption("OK");
  btnOk->SetModalResult(mrOk);
  btnOk->SetBounds(427, 428, 92, 28);
  btnCancel = new TButton(this);
  btnCancel->SetName("btnCancel");
  btnCancel->SetCaption("キャンセル");
  btnCancel->SetBounds(527, 428, 92, 28);

  Timer1 = new TTimer(this);
  Timer1->SetEnabled(false);
  SaveDialog1 = new TSaveDialog(this);

  ListView1->OnSelectItem = [this](QObject*) { ShowLogItem(); };
  btnOk->OnClick = [this](QObject* s) { btnOkClick(s); };
  btnCancel->OnClick = [this](QObject* s) { btnCancelClick(s); };
  btnOutput->OnClick = [this](QObject* s) { btnOutputClick(s); };
  Timer1->OnTimer = [this](QObject* s) { Timer1Timer(s); };
  OnShow = [this](QObject* s) { FormShow(s); };

  Info.Name = "CashBookLoader";
  ReceiveIBDatabase.SQLDialect = 3;
  ReceiveIBTransaction.Params = {"read_committed", "rec_version", "nowait"};
  PrepareTransaction();
  SetAutoRun(true);
}

TCashBookLoaderBox::~TCashBookLoaderBox() {
  try {
    if (ReceiveIBTransaction.InTransaction()) ReceiveIBTransaction.Rollback();
    if (ReceiveIBDatabase.Connected()) ReceiveIBDatabase.Close();
  } catch (...) {
  }
}

void TCashBookLoaderBox::PrepareTransaction() {
  if (ReceiveIBTransaction.InTransaction()) return;
  TIBDatabase* company = DM ? &DM->IBDatabaseDAT : nullptr;
  if (company) {
    ReceiveIBTransaction.RemoveDatabase(company);
    ReceiveIBTransaction.SetDefaultDatabase(company);
    ReceiveIBTransaction.AddDatabase(&ReceiveIBDatabase);
  } else {
    ReceiveIBTransaction.SetDefaultDatabase(&ReceiveIBDatabase);
  }
}

void TCashBookLoaderBox::OpenReceivedDatabase(const std::string& path) {
  ReceivedPath = path;
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return;
  ReceiveIBDatabase.DatabaseName = path;
  ReceiveIBDatabase.Params = {"user_name=" + SystemDef.DbUser, "password=" + SystemDef.DbPassword, "lc_ctype=SJIS_0208"};
}

void TCashBookLoaderBox::SetAutoRun(bool on) {
  AutoRun = on ? 1 : 0;
  btnOk->SetVisible(!on);
  btnOk->SetEnabled(!on);
  btnCancel->SetEnabled(!on);
  btnCancel->SetCaption(on ? "閉じる" : "キャンセル");
  Timer1->SetEnabled(false);
  Timer1->SetInterval(on ? 1500 : 0);
}

void TCashBookLoaderBox::SetStartTitles() {
  const int dpi = uis::Ui().ScreenDpi();
  ListView1->SetColumns({{"ステータス", ScaleByDpi(80, dpi, 96)}, {"情報", ScaleByDpi(500, dpi, 96)}});
  if (DataMode == 0) {
    lblTitle1->SetCaption("現金出納帳データの取り込みを行います。");
    lblTitle2->SetCaption("この処理を実行することにより、顧問先と現金残高の同期が行われます。");
  } else {
    lblTitle1->SetCaption("データの取り込みを行います。");
    lblTitle2->SetCaption("この処理を実行することにより、送信元とデータの同期が行われます。");
  }
  lblTitle3->SetCaption("");
}

void TCashBookLoaderBox::SetResultTitles() {
  if (GetResult() > 0) {
    lblTitle1->SetCaption(DataMode == 0 ? "現金出納帳データの取り込みを行いました。" : "データの取り込みを行いました。");
    lblTitle2->SetCaption("下記の情報を確認して下さい。");
  } else {
    lblTitle1->SetCaption(DataMode == 0 ? "現金出納帳データの取り込みが中止されました。" : "データの取り込みが中止されました。");
    lblTitle2->SetCaption("下記の情報より、中止された理由を確認して下さい。");
  }
  lblTitle3->SetCaption("");
}

void TCashBookLoaderBox::ShowLogItem() {
  const int row = ListView1->ItemIndex();
  RichEdit1->SetText(row >= 0 ? ListView1->Text(row, 1) : std::string());
}

void TCashBookLoaderBox::FormShow(QObject*) {
  if (ShowLogAfterFail) {
    // A quiet run failed: the box shows what happened, nothing runs again.
    Animate1->SetActive(false);
    pnlProgress->SetVisible(false);
    SetResultTitles();
    btnCancel->SetFocus();
    return;
  }
  SetStartTitles();
  if (AutoRun) Timer1->SetEnabled(true);
}

void TCashBookLoaderBox::Timer1Timer(QObject*) {
  Timer1->SetEnabled(false);
  btnOkClick(btnOk);
}

void TCashBookLoaderBox::RunQuiet() {
  Timer1->SetEnabled(false);
  SetStartTitles();
  btnOkClick(btnOk);
}

void TCashBookLoaderBox::btnOkClick(QObject*) {
  if (btnOk->Tag() == 1) return;
  btnOk->SetTag(1);
  running_ = true;
  SetModalResult(mrNone);
  btnCancel->SetCaption("閉じる");
  btnOk->SetEnabled(false);
  btnCancel->SetEnabled(false);
  [&] {
    if (!DM) {
      AddLog(3, -100, "会計データの接続に失敗しました。");
      return;
    }
    if (DM->AccDatInConnection(1, "", SystemDef.DataDir, false)) {
      AddLog(3, -100,
             "現在、他のユーザーがデータを使用中です。他のユーザーがデータを使用している間は現金出納帳の取り込みは行えません。");
      return;
    }
    try {
      ReceiveIBDatabase.Open();
      if (!DM->IBDatabaseDAT.Connected()) DM->IBDatabaseDAT.Open();
    } catch (const std::exception&) {
      AddLog(3, -100, "会計データの接続に失敗しました。");
      return;
    }
    Animate1->SetActive(true);
    pnlProgress->SetVisible(true);
    pnlProgress->raise();
    RunImport();
    if (ListView1->Count() > 0) ListView1->SetItemIndex(0);
  }();

  AutoRun = 0;
  SetResultTitles();
  Animate1->SetActive(false);
  pnlProgress->SetVisible(false);
  if (DM && !DM->IBDatabaseDAT.Connected()) {
    try {
      DM->IBDatabaseDAT.Open();
    } catch (const std::exception&) {
      // The reconnection failed; the caller's next use of the data reports it.
    }
  }
  if (GetResult() > 0 && DM && DM->IBDatabaseDAT.Connected()) {
    DM->fnGetAccInfo();
    if (DataCaptionHook) {
      DataCaptionHook(0, AccInf.SHOUGOU, AccInf.SITEN, FormatKikanText(AccInf.KISHU, AccInf.KIMATU));
      std::string facility;
      DM->GetOpeDefSisetu(facility);
      DataCaptionHook(1, facility, AccInf.SITEN, "");
    }
    if (DataMenuHook) {
      DataMenuHook(0, 0);
      DataMenuHook(1, 0);
    }
  }
  btnOutput->SetEnabled(ListView1->Count() > 0);
  btnCancel->SetEnabled(true);
  btnOk->SetTag(0);
  running_ = false;
  if (Showing()) {
    btnCancel->SetFocus();
  } else if (GetResult() < 0) {
    ShowLogAfterFail = 1;
    ShowModal();
  }
}

void TCashBookLoaderBox::btnCancelClick(QObject*) {
  if (running_ || btnOk->Tag() == 1) return;
  SetModalResult(btnCancel->Caption() == "閉じる" ? mrOk : mrCancel);
}

void TCashBookLoaderBox::btnOutputClick(QObject*) {
  SaveDialog1->Title = "ファイル出力";
  SaveDialog1->Filter = "ＣＳＶシート(*.csv)|*.CSV|テキストファイル(*.txt)|*.TXT";
  SaveDialog1->DefaultExt = "csv";
  SaveDialog1->FileName = "現金出納帳の受信ログ";
  SaveDialog1->InitialDir = SystemDef.DocDir;
  if (!SaveDialog1->Execute()) return;
  std::string path = SaveDialog1->FileName;
  if (!CheckSaveFilePath(path)) return;
  std::string ext = std::filesystem::path(path).extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  // The extension decides the form; a name without one takes the chosen filter's.
  const bool csv = ext == ".csv" || (ext != ".txt" && SaveDialog1->FilterIndex != 2);
  if (!SaveLogFile(path, csv))
    uis::ShowMessage(uis::MsgKind::Error, "ファイルの出力に失敗しました。", path);
}

// ---- the log ----

void TCashBookLoaderBox::AddLog(uint8_t kind, int32_t result, const std::string& text) {
  Info.Kind = kind;
  Info.Result = result;
  Info.Text = text;
  Log.push_back(Info);
  lastResult_ = result;
  ListView1->AddItem(KindCaption(kind), text, kind - 1);
}

int32_t TCashBookLoaderBox::GetResult() const {
  if (Log.empty()) return 0;
  for (const TLomatraSyoriInfo& e : Log)
    if (e.Kind == 3 || e.Result == 1) return e.Result;
  return Log.back().Result;
}

bool TCashBookLoaderBox::Stopped() const {
  if (lastResult_ < 0) return true;
  for (const TLomatraSyoriInfo& e : Log)
    if (e.Kind == 3 || e.Result < 0) return true;
  return false;
}

std::string TCashBookLoaderBox::KindCaption(uint8_t kind) {
  switch (kind) {
    case 1: return "情報";
    case 2: return "警告";
    case 3: return "エラー";
  }
  return "";
}

std::string TCashBookLoaderBox::LogFileText(bool csv) const {
  std::vector<std::string> lines;
  for (const TLomatraSyoriInfo& e : Log) {
    std::string line;
    for (const std::string& f : {KindCaption(e.Kind), std::to_string(e.Result), e.Text})
      line += csv ? "'" + f + "'," : f + "\t";
    lines.push_back(line + "\r\n");
  }
  return textlines::ToText(lines);
}

bool TCashBookLoaderBox::SaveLogFile(const std::string& path, bool csv) const {
  return static_cast<bool>(filereplace::Replace(path, sjis::FromUtf8(LogFileText(csv))));
}
