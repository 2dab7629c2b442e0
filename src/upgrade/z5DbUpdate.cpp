#include "upgrade/z5DbUpdate.h"

#include <QGuiApplication>
#include <QHeaderView>

#include <filesystem>
#include <memory>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccClassesBackup.h"
#include "data/uAccClassesLists.h"
#include "data/uAccFunction2Win.h"
#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "platform/DateTime.h"
#include "platform/Paths.h"
#include "platform/UiServices.h"
#include "ui/forms/Keys.h"
#include "ui/z5MessageDlg.h"
#include "upgrade/z5SystemDbUpdate.h"
#include "upgrade/z5UserDbUpdate.h"

using namespace forms;

namespace {

// Design values are logical pixels at 96 dots per inch; Qt scales logical pixels itself.
int Scaled(int value) { return value; }

// The memo's CR-separated lines.
std::vector<std::string> MemoLines(const std::string& memo) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (;;) {
    size_t cr = memo.find('\r', start);
    lines.push_back(memo.substr(start, cr == std::string::npos ? std::string::npos : cr - start));
    if (cr == std::string::npos) break;
    start = cr + 1;
  }
  return lines;
}

// A plain filled square standing in for the mode and state icons.
TPicture Square(TColor color) {
  QImage image(33, 33, QImage::Format_RGB32);
  image.fill(QColor(GetRValue(color), GetGValue(color), GetBValue(color)));
  TPicture picture;
  picture.Assign(image, TGraphicKind::Bitmap);
  return picture;
}

}  // namespace

TDbUpdateBox::TDbUpdateBox(QWidget* owner) : TForm(owner) {
  SetName("DbUpdateBox");
  SetCaption("データベースの更新");
  SetBorderStyle(bsDialog);
  SetBorderIcons(0);
  SetPosition(poScreenCenter);
  SetKeyPreview(true);
  SetFont(TFontSpec{.Height = -12});
  SetClientSize(472, 520);

  pnlClient = new TPanel(this);
  pnlClient->SetName("pnlClient");
  pnlClient->SetBevelOuter(bvNone);
  pnlClient->SetCaption("");
  pnlClient->SetAlign(alClient);

  ImageRed = new TImage(pnlClient);
  ImageRed->SetName("ImageRed");
  ImageRed->SetBounds(24, 16, 33, 33);
  ImageRed->SetPicture(Square(clRed));
  ImageRed->SetVisible(false);
  ImageGrn = new TImage(pnlClient);
  ImageGrn->SetName("ImageGrn");
  ImageGrn->SetBounds(24, 16, 33, 33);
  ImageGrn->SetPicture(Square(RGB(0, 160, 0)));

  lblTitle1 = new TLabel(pnlClient);
  lblTitle1->SetName("lblTitle1");
  lblTitle1->SetBounds(72, 28, 380, 15);
  lblTitle1->SetCaption("データの更新を行います。");

  ListView1 = new QTreeWidget(pnlClient);
  ListView1->setObjectName("ListView1");
  ListView1->setGeometry(16, 64, 440, 249);
  ListView1->setRootIsDecorated(false);
  ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
  ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListView1->setFocusPolicy(Qt::NoFocus);
  QObject::connect(ListView1, &QTreeWidget::currentItemChanged, ListView1,
                   [this](QTreeWidgetItem*, QTreeWidgetItem*) { ListView1SelectItem(); });

  RichEdit1 = new TMemo(pnlClient);
  RichEdit1->SetName("RichEdit1");
  RichEdit1->SetBounds(15, 320, 442, 89);
  RichEdit1->SetReadOnly(true);
  RichEdit1->SetScrollBars(ssBoth);
  RichEdit1->SetTabStop(false);

  cboxAgree = new TxCheckBox(pnlClient);
  cboxAgree->SetName("cboxAgree");
  cboxAgree->SetBounds(16, 419, 297, 17);
  cboxAgree->SetCaption("データの更新に同意します。");
  cboxAgree->OnClick = [this](QObject* sender) { cboxAgreeClick(sender); };

  lblTitle2 = new TLabel(pnlClient);
  lblTitle2->SetName("lblTitle2");
  lblTitle2->SetBounds(32, 442, 430, 15);
  lblTitle2->SetCaption("");
  lblTitle3 = new TLabel(pnlClient);
  lblTitle3->SetName("lblTitle3");
  lblTitle3->SetBounds(32, 458, 430, 15);
  lblTitle3->SetCaption("");

  pnlProgress = new TPanel(pnlClient);
  pnlProgress->SetName("pnlProgress");
  pnlProgress->SetBounds(96, 192, 281, 57);
  pnlProgress->SetBevelOuter(bvNone);
  pnlProgress->SetCaption("");
  Label1 = new TLabel(pnlProgress);
  Label1->SetName("Label1");
  Label1->SetBounds(16, 8, 250, 15);
  Label1->SetCaption("データの更新中です…");
  ProgressBar1 = new QProgressBar(pnlProgress);
  ProgressBar1->setObjectName("ProgressBar1");
  ProgressBar1->setGeometry(16, 28, 249, 17);
  ProgressBar1->setTextVisible(false);

  btnOk = new TxPlButton(pnlClient);
  btnOk->SetName("btnOk");
  btnOk->SetBounds(280, 480, 75, 26);
  btnOk->CaptionA().SetCaption("OK");
  btnOk->OnClick = [this](QObject* sender) { btnOkClick(sender); };
  btnCancel = new TxPlButton(pnlClient);
  btnCancel->SetName("btnCancel");
  btnCancel->SetBounds(380, 480, 75, 26);
  btnCancel->CaptionA().SetCaption("キャンセル");
  btnCancel->OnClick = [this](QObject* sender) { btnCancelClick(sender); };

  OnCreate = [this](QObject* sender) { FormCreate(sender); };
  OnKeyUp = [this](QObject*, int& key, TShiftState shift) { FormKeyUp(key, shift); };
  // The creator frees the box.
  OnClose = [](QObject*, TCloseAction& action) { action = caHide; };
}

void TDbUpdateBox::FormCreate(QObject*) {
  NeedUpdate = false;
  UpdateDone = false;
  FirstIndex = 0;
  LastIndex = 0;
  BackupCount = 0;
  BackupFile.clear();
  pnlProgress->SetVisible(false);
  TDbUpdateLists lists = MakeDbUpdateLists(AppInfo.AppTitle, OemKind);
  SystemList = std::move(lists.SystemList);
  UserList = std::move(lists.UserList);
  InstallSystemDbUpdateBuilders(SystemList);
  InstallUserDbUpdateBuilders(UserList);
  CurrentList = &SystemList;
}

void TDbUpdateBox::PrepareUpdate(uint8_t mode, const std::string& versionText) {
  UpdateMode = mode;
  NeedUpdate = false;
  UpdateDone = false;
  FirstIndex = -1;
  LastIndex = -1;
  LatestVersion = {};
  BackupCount = 0;

  ListView1->setColumnCount(3);
  ListView1->setHeaderLabels({"Ver.", "説明", "状況"});
  ListView1->setColumnWidth(0, Scaled(60));
  ListView1->setColumnWidth(1, Scaled(280));
  ListView1->setColumnWidth(2, Scaled(80));

  btnCancel->SetVisible(mode == 1);
  TFontSpec red = lblTitle2->Font();
  red.Color = clRed;
  if (mode == 0) {
    ImageRed->SetVisible(true);
    ImageGrn->SetVisible(false);
    CurrentList = &SystemList;
    lblTitle1->SetCaption("システムデータの更新を行います。");
    lblTitle2->SetCaption("");
    lblTitle3->SetCaption("");
    cboxAgree->SetVisible(false);
    btnOk->SetLeft(Scaled(380));
  } else {
    ImageGrn->SetVisible(true);
    ImageRed->SetVisible(false);
    CurrentList = &UserList;
    lblTitle1->SetCaption("会計データの更新を行います。");
    lblTitle2->SetCaption("バックアップを取得せずに、この処理を行うと元に戻すことが出来ません。");
    lblTitle3->SetCaption("必ずバックアップを取得後に実行することを強く推奨します。");
    lblTitle2->SetFont(red);
    lblTitle3->SetFont(red);
    cboxAgree->SetVisible(true);
    btnOk->SetLeft(Scaled(280));
    btnCancel->SetLeft(Scaled(380));
  }
  cboxAgreeClick(cboxAgree);

  if (!CurrentList->empty()) LatestVersion = CurrentList->back().Version();
  if (!versionText.empty()) {
    SetDbVersionText(versionText);
  } else {
    SetDbVersion();
  }
  // A version that could not be read is unknown, not old: running every step over a current
  // database would replay its oldest changes.
  if (VersionRead == TDbVersionRead::Failed) return;

  const TDbUpdatePending pending = FindPendingSteps(*CurrentList, DbVersion);
  if (pending.FirstIndex < 0) return;
  NeedUpdate = pending.NeedUpdate;
  FirstIndex = pending.FirstIndex;
  LastIndex = pending.LastIndex;
  ListView1->clear();
  for (int32_t i = FirstIndex; i <= LastIndex; ++i) {
    const TDbUpdateListRec& step = (*CurrentList)[static_cast<size_t>(i)];
    auto* row = new QTreeWidgetItem(ListView1);
    row->setText(0, QString::fromStdString(step.Version().Text()));
    row->setText(1, QString::fromStdString(step.Title));
    // A title longer than its column (kept at its design width) is read whole in the tip.
    row->setToolTip(1, QString::fromStdString(step.Title));
    row->setText(2, QString());
    BackupCount += step.Backup;
  }
  ListView1->setCurrentItem(ListView1->topLevelItem(0));
  ListView1SelectItem();
}

void TDbUpdateBox::SetDbVersion() {
  DbVersion = {};
  VersionRead = TDbVersionRead::Failed;
  if (!DM) return;
  TIBDatabase& db = UpdateMode == 0 ? DM->IBDatabaseDEF : DM->IBDatabaseDAT;
  VersionRead = ReadDbVersion(db, UpdateMode, DbVersion);
}

void TDbUpdateBox::SetDbVersionText(const std::string& text) {
  DbVersionFromText(text, DbVersion);
  VersionRead = TDbVersionRead::Read;
}

void TDbUpdateBox::cboxAgreeClick(QObject*) {
  btnOk->SetEnabled(cboxAgree->isVisibleTo(pnlClient) ? cboxAgree->Checked() : true);
}

void TDbUpdateBox::ListView1SelectItem() {
  RichEdit1->Clear();
  QTreeWidgetItem* row = ListView1->currentItem();
  if (!row) return;
  const int index = ListView1->indexOfTopLevelItem(row) + FirstIndex;
  if (index < 0 || index >= static_cast<int>(CurrentList->size())) return;
  RichEdit1->SetLines(MemoLines((*CurrentList)[static_cast<size_t>(index)].Memo));
}

void TDbUpdateBox::btnCancelClick(QObject*) {
  if (OkTag != 1) SetModalResult(mrCancel);
}

void TDbUpdateBox::FormKeyUp(int& key, TShiftState shift) {
  if ((shift & kModifierKeys) != 0) return;
  if (key == VK_ESCAPE) btnCancelClick(this);
}

void TDbUpdateBox::CMShowingChanged() {
  if (Showing()) {
    repaint();
    QGuiApplication::restoreOverrideCursor();
  }
}

std::string TDbUpdateBox::DbFilePath() const {
  return UpdateMode == 0 ? IncludeTrailingPathDelimiter(SystemDef.SysDir) + fw::SysDbFile
                         : IncludeTrailingPathDelimiter(SystemDef.DataDir) + fw::AccDbFile;
}

void TDbUpdateBox::GetLoginUserText(std::string& text) {
  text.clear();
  if (UpdateMode != 0 || !DM) return;
  try {
    if (DM->fnAccDefConnected("", false)) {
      TLoginUserListOnDef list;
      list.Execute(SystemDef.GroupId, SystemDef.LogonId, false);
      for (const TLoginUserListRec& r : list.Rows) {
        char line[64];
        std::snprintf(line, sizeof line, "[ %.4d ]:  ", r.OPERATORCODE);
        text += line + r.OPNAME + "\r";
      }
    }
  } catch (const std::exception&) {
    // The list only explains a refusal; without it the refusal stands.
  }
  if (DM->IBDatabaseDEF.Connected()) DM->IBDatabaseDEF.Close();
}

bool TDbUpdateBox::DatabaseInUse() {
  if (UpdateMode == 0) {
    if (DM->IBDatabaseDEF.Connected()) DM->IBDatabaseDEF.Close();
    if (!DM->AccDatInConnection(0, SystemDef.HostName, SystemDef.SysDir, true)) return false;
    TMessageInfoRec info;
    InitMessageInfo(info);
    info.Kind = 1;
    info.Position = poScreenCenter;
    info.Caption = "情報";
    info.Message = "現在、他のオペレータがシステムを利用中です。\r"
                   "データベースの更新を行うには、システムを終了するようにご連絡して下さい。";
    std::string users;
    GetLoginUserText(users);
    info.Lines = {"利用中のオペレータ (異常終了時のオペレータ含む)", ""};
    size_t start = 0;
    while (start < users.size()) {
      const size_t cr = users.find('\r', start);
      info.Lines.push_back(users.substr(start, cr == std::string::npos ? std::string::npos : cr - start));
      if (cr == std::string::npos) break;
      start = cr + 1;
    }
    ShowMessageBox(info);
    return true;
  }
  if (DM->IBDatabaseDAT.Connected()) DM->AccDatDisconnect(SystemDef.DataDir, false, false);
  if (!DM->AccDatInConnection(1, SystemDef.HostName, SystemDef.DataDir, true)) return false;
  uis::ShowMessage(uis::MsgKind::Information,
                   "現在、他のオペレータが会計データを利用中です。\r"
                   "データベースの更新を行うには、会計データの利用を停止するようにご連絡して下さい。");
  return true;
}

void TDbUpdateBox::Reconnect() {
  if (!DM) return;
  if (UpdateMode == 0) {
    if (!DM->IBDatabaseDEF.Connected()) DM->fnAccDefConnected(SystemDef.HostName, true);
    return;
  }
  if (!DM->IBDatabaseDAT.Connected()) DM->fnAccDatConnected(SystemDef.HostName, SystemDef.DataDir, false);
  // Closing with the mark and the refresh gives the data list the new version.
  if (DM->IBDatabaseDAT.Connected()) DM->AccDatDisconnect(SystemDef.DataDir, true, true);
  DM->fnAccDatConnected(SystemDef.HostName, SystemDef.DataDir, false);
  if (DM->IBDatabaseDAT.Connected()) DM->fnGetAccInfo();
}

void TDbUpdateBox::btnOkClick(QObject*) {
  if (OkTag == 1) return;
  OkTag = 1;
  SetModalResult(4);
  try {
    if (DM && !DatabaseInUse()) {
      try {
        ExecuteUpdate();
      } catch (...) {
        if (!BackupKept) DM->FDel(BackupFile, ConnectMode != 0 ? 1 : 0);
        throw;
      }
      if (!BackupFile.empty() && !BackupKept && DM->FExist(BackupFile, ConnectMode != 0 ? 1 : 0))
        DM->FDel(BackupFile, ConnectMode != 0 ? 1 : 0);
      if (UpdateDone) {
        SetModalResult(1);
      } else {
        uis::ShowMessage(uis::MsgKind::Error,
                         UpdateMode == 0 ? "システムデータの更新に失敗しました。" : "会計データの更新に失敗しました。");
      }
    }
  } catch (const std::exception& e) {
    ReportFailure(e, "TDbUpdateBox.btnOkClick",
                  UpdateMode == 0 ? "システムデータの更新に失敗しました。" : "会計データの更新に失敗しました。", false);
  }
  try {
    Reconnect();
  } catch (const std::exception& e) {
    ReportFailure(e, "TDbUpdateBox.btnOkClick", "", false);
  }
  OkTag = 0;
}

bool TDbUpdateBox::RunBackupThread(int32_t operation, const std::string& caption, const std::string& info) {
  uis::Ui().ProgressShow(caption, info);
  bool ok = false;
  {
    auto thread = std::make_unique<TBackupRestoreThread>(true);
    thread->Mode = operation;
    thread->Remote = ConnectMode == 1 || ConnectMode == 2 ? 1 : 0;
    thread->Confirm = 0;
    thread->Host = SystemDef.HostName;
    thread->DbFile = DbFilePath();
    thread->BackupFile = BackupFile;
    thread->ActivateIndexes = 1;
    thread->Resume();
    while (!thread->IsTerminated()) WaitWithMessages(300);
    ok = thread->Succeeded != 0;
  }
  // Every attachment of the program to the file is closed before isql works on it.
  if (UpdateMode == 0 && DM->IBDatabaseDEF.Connected()) DM->IBDatabaseDEF.Close();
  uis::Ui().ProgressClose();
  raise();
  activateWindow();
  return ok;
}

int32_t TDbUpdateBox::RunStep(const TDbUpdateListRec& step) {
  // A step without a script builder has nothing to run.
  if (!step.RunProc) return kStepFileMissing;
  int32_t result;
  try {
    result = step.RunProc();
  } catch (const std::exception&) {
    return kStepException;
  }
  if (result != kStepOk) return result;
  // isql goes on after a failed statement: the version the database reached tells whether the
  // step took effect as a whole.
  TIBDatabase db;
  db.DatabaseName = TDM::DatabaseName(ConnectMode, SystemDef.HostName,
                                      UpdateMode == 0 ? SystemDef.SysDir : SystemDef.DataDir,
                                      UpdateMode == 0 ? fw::SysDbFile : fw::AccDbFile);
  db.Params = TDM::ConnectParams();
  TDbVersion reached;
  try {
    db.Open();
  } catch (const std::exception& e) {
    ReportFailure(e, "TDbUpdateBox.SetDbVersion", "データベースバージョンの取得に失敗しました。", false);
    return kStepIsqlError;
  }
  const TDbVersionRead read = ReadDbVersion(db, UpdateMode, reached);
  db.Close();
  return read == TDbVersionRead::Read && reached == step.Version() ? kStepOk : kStepIsqlError;
}

void TDbUpdateBox::MarkRow(int row, int32_t result) {
  QTreeWidgetItem* item = ListView1->topLevelItem(row);
  if (!item) return;
  const char* text = result == kStepOk ? "完了" : result == kStepFileMissing ? "ﾌｧｲﾙ不足" : "失敗";
  item->setText(2, QString::fromUtf8(text));
  QPixmap mark(12, 12);
  mark.fill(result == kStepOk ? QColor(0, 160, 0) : QColor(220, 0, 0));
  item->setIcon(2, QIcon(mark));
}

int32_t TDbUpdateBox::ExecuteUpdate() {
  int32_t result = -1;
  BackupFile = IncludeTrailingPathDelimiter(SystemDef.TempDir) + "dataup.fbk";
  BackupKept = false;
  UpdateDone = false;
  if (!NeedUpdate || FirstIndex < 0) return -1;
  // The company steps choose what they write by the facts of the company they upgrade: those
  // of the selected data set are loaded before the first of them, and without them nothing runs.
  if (UpdateMode == 1) {
    const bool loaded = DM->fnAccDatConnected(SystemDef.HostName, SystemDef.DataDir, false) && DM->fnGetAccInfo();
    if (DM->IBDatabaseDAT.Connected()) DM->AccDatDisconnect(SystemDef.DataDir, false, false);
    if (!loaded) {
      FirstIndex = LastIndex = -1;
      return -1;
    }
  }

  if (BackupCount > 0) {
    if (UpdateMode == 0 && !DM->IBDatabaseDEF.Connected()) DM->fnAccDefConnected(SystemDef.HostName, true);
    const bool ok = RunBackupThread(0, "データ更新の準備中", "準備中、しばらくお待ちください…");
    const std::string before = IncludeTrailingPathDelimiter(SystemDef.DocDir) + "更新前データ";
    const uint8_t where = ConnectMode != 0 ? 1 : 0;
    if (!SystemDef.DocDir.empty() && DM->DExist(before, where)) DM->RmDir(before, where);
    if (!ok) {
      FirstIndex = LastIndex = -1;
      return -1;
    }
  }
  if (UpdateMode == 1 && DM->IBDatabaseDAT.Connected()) DM->AccDatDisconnect(SystemDef.DataDir, false, false);
  if (UpdateMode == 0 && DM->IBDatabaseDEF.Connected()) DM->IBDatabaseDEF.Close();

  int32_t last = kStepOk;
  ProgressBar1->setRange(0, LastIndex - FirstIndex + 1);
  ProgressBar1->setValue(0);
  pnlProgress->SetVisible(true);
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  for (int32_t i = FirstIndex; i <= LastIndex; ++i) {
    last = RunStep((*CurrentList)[static_cast<size_t>(i)]);
    MarkRow(i - FirstIndex, last);
    if (last != kStepOk) break;
    ProgressBar1->setValue(ProgressBar1->value() + 1);
  }
  WaitWithMessages(300);
  pnlProgress->SetVisible(false);
  QGuiApplication::restoreOverrideCursor();

  if (last != kStepOk && BackupCount > 0) {
    if (!RunBackupThread(1, "更新前データの復元中", "復元中、しばらくお待ちください…")) {
      // The restore went to a file of its own and left the database as the failed step did;
      // the backup is now the only copy of the data before the run.
      BackupKept = true;
      // Under a name of its own, so that the next run's backup does not overwrite it.
      const std::string kept = ChangeFileExt(BackupFile, "") + "-" + FormatDateTime("yyyymmddhhnnss", Now()) + ".fbk";
      std::error_code ec;
      std::filesystem::rename(BackupFile, kept, ec);
      if (!ec) BackupFile = kept;
      uis::ShowMessage(uis::MsgKind::Error, "更新前データの復元に失敗しました。\r更新前データのバックアップを次の場所に残しました。",
                       BackupFile);
      FirstIndex = LastIndex = -1;
      return -1;
    }
  }
  FirstIndex = LastIndex = -1;
  if (last == kStepOk) {
    DbVersion = LatestVersion;
    result = 1;
  } else {
    result = 0;
  }
  UpdateDone = result == 1;
  return result;
}
