#include "upgrade/z5DbUpdate.h"

#include <QGuiApplication>
#include <QHeaderView>

#include "data/DataModule.h"
#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "ui/forms/Keys.h"

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
