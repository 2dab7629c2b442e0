// The shared-server data list dialog: drives, list, grid, keys and buttons. The data
// operations on the areas (copy and paste, new area, delete, folder state) are in
// z5ServerSentakuOps.cpp.
#include "selection/z5ServerSentaku.h"

#include <QImage>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "data/DataModule.h"
#include "data/uAccFunction.h"
#include "data/uAccFunction2Date.h"
#include "data/uAccRecord.h"
#include "data/uAccShellOp.h"
#include "data/z5AppInfo.h"
#include "platform/DateTime.h"
#include "platform/Encoding.h"
#include "platform/Folders.h"
#include "platform/Paths.h"
#include "platform/UiServices.h"
#include "platform/ini/IniFile.h"
#include "selection/z5DataSentakuPrintDlg.h"
#include "selection/z5DataSyosaiInfo.h"
#include "ui/PerfectGrid.h"
#include "ui/forms/Application.h"
#include "ui/forms/Keys.h"
#include "ui/z5HtmlHelp.h"
#include "ui/z5InputDlg.h"
#include "ui/z5MessageDlg.h"
#include "ui/z5MessageDlg2.h"

using namespace forms;
namespace fs = std::filesystem;

namespace {

constexpr int kKeys = 10;
enum { kEsc = 0, kF1, kF2, kF3, kF4, kF5, kF6, kF7, kF8, kF12 };
constexpr const char* kKeyNames[kKeys] = {"ESC", "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F12"};
constexpr const char* kBare[kKeys] = {"ESC:", "F1:", "F2:", "F3:", "F4:", "F5:", "F6:", "F7:", "F8:", "F12:"};
const std::array<std::string, kKeys> kFullCaptions = {"ESC:ｷｬﾝｾﾙ", "F1:ヘルプ", "F2:コピー", "F3:",    "F4:領域追加",
                                                       "F5:ﾃﾞｰﾀ削除", "F6:",       "F7:",       "F8:印刷", "F12:選択"};
constexpr TColor kAltRow = 0xFFF0E1;
constexpr TColor kFocusText = 0x804000;
constexpr TColor kBroken = 0x0000FF;

constexpr const char* kGridHint =
    "［ENTER］又はﾀﾞﾌﾞﾙｸﾘｯｸ又は［F12］で選択します。|［ENTER］又はﾀﾞﾌﾞﾙｸﾘｯｸ又は［F12］で選択します。\r\n"
    "［共有］欄にｱｲｺﾝが付いているﾃﾞｰﾀは他のｵﾍﾟﾚｰﾀが使用しているため取得できません。\r\n"
    "［F4］で新規にﾃﾞｰﾀ領域を作成できます。\r\n"
    "行を選択すると［ﾃﾞｰﾀ選択］に戻ります。「新しい領域」行への新規ﾃﾞｰﾀ作成や、共有ﾃﾞｰﾀのﾌﾗｯｼｭﾒﾓﾘなどへの保存は［ﾃﾞｰﾀ選択］で行います。";
constexpr const char* kGridHintNoDrive = "|[共有割当]ボタンよりネットワーク上の共有フォルダをドライブに割り当てて下さい。";
constexpr const char* kGridHintEmpty = "|［F4］でﾃﾞｰﾀ領域を作成してください。";
constexpr const char* kGridHintPaste =
    "貼り付け先を選択して［F2］を押します。|貼り付け先を選択して［F2］を押します。\r\nｺﾋﾟｰ処理を中断する場合は［ESC］を押します。";

bool IsAreaName(const std::string& name) { return name.empty() || name == kFreeAreaName || name == kNewAreaName; }

// The two share pictures: an area free, and an area taken by an operator.
const TPicture& FreePicture() {
  static const TPicture none;
  return none;
}
const TPicture& InUsePicture() {
  static const TPicture picture = [] {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0x30, 0x40, 0x70));
    p.setBrush(QColor(0xF0, 0xC0, 0x40));
    p.drawEllipse(QRectF(4.5, 1.5, 7, 7));
    p.setBrush(QColor(0x50, 0x80, 0xD0));
    p.drawRoundedRect(QRectF(2.5, 9.5, 11, 5.5), 2, 2);
    p.end();
    TPicture pic;
    pic.Assign(image, TGraphicKind::Icon);
    return pic;
  }();
  return picture;
}

// Full-width and half-width forms folded together, upper case: the name condition matches
// whatever width the name was typed in.
QString FoldedName(const std::string& text) {
  return QString::fromStdString(text).normalized(QString::NormalizationForm_KC).toUpper();
}

TDateTime DateOf(const std::string& text) {
  TDateTime d = 0;
  return TryStrToDate(text, d) ? d : 0;
}

int ToInt(const std::string& s) {
  try {
    return s.empty() ? 0 : std::stoi(s);
  } catch (...) {
    return 0;
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Drives and statuses

std::string ServerShareDir() { return fw::ShareName.empty() ? std::string("Zivodarorer") : fw::ShareName; }

std::string ServerShareRoot(const std::string& letter) {
  if (letter.empty()) return {};
  return std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(letter[0])))) + ":/" + ServerShareDir();
}

std::vector<std::string> SharedDriveLetters() {
  std::vector<std::string> letters;
  for (char c = 'A'; c <= 'Z'; ++c) {
    if (c == 'C' || DriveFolder(c).empty()) continue;
    std::error_code ec;
    const std::string letter(1, c);
    if (fs::is_directory(ResolvePath(ServerShareRoot(letter)), ec)) letters.push_back(letter);
  }
  return letters;
}

bool SetServerShareStatus(TDataInfomation& info, const std::string& folder, uint8_t kind) {
  TDataInfomationRec rec;
  info.ReadDataInfo(folder, rec);
  if (kind != 1 && kind != 2) return false;
  if (rec.SHARE_STATUS == kind) return false;
  info.SetShareStatus(folder, kind);
  return true;
}

TServerKeyOutput ServerSentakuKeys(const TServerKeyInput& in) {
  TServerKeyOutput out;
  auto& c = out.Captions;
  c = kFullCaptions;
  auto bare = [&c](std::initializer_list<int> keys) {
    for (int k : keys) c[k] = kBare[k];
  };
  out.KeyMode = 0;
  out.F12Enabled = true;
  if (in.GridActive && in.HasRow) {
    out.KeyMode = in.CopyPending ? 2 : 1;
    if (in.CopyPending) c[kF2] = "F2:貼り付け";
    const TDataListRec& r = in.Row;
    if (r.GASSAN == kChildKind) {
      bare({kF2, kF5, kF12});
      out.F12Enabled = false;
    }
    if (IsAreaName(r.ENTTEXT) && !in.CopyPending) bare({kF2});
    if (in.InUse) {
      if (in.CopyPending) bare({kF2});
      bare({kF5});
    }
    if (r.DATA_STATUS != 0) {
      if (out.KeyMode == 1) bare({kF2});
      bare({kF12});
    }
  }
  if (out.KeyMode == 0) bare({kF2, kF3, kF4, kF5, kF6, kF7});
  if (in.ShareRootSet) c[kF4] = "F4:領域追加";
  return out;
}

// ---------------------------------------------------------------------------------------
// Creation

TServerSentakuBox::TServerSentakuBox(QWidget* owner) : TBSDI(owner) {
  SetName("ServerSentakuBox");
  SetCaption("共有データの選択");
  SetBorderStyle(bsDialog);
  SetBorderIcons(biSystemMenu);
  SetPosition(poScreenCenter);
  SetKeyPreview(true);
  SetShowHint(true);
  SetClientSize(992, 566);

  Label1 = new TLabel(this);
  Label1->SetName("Label1");
  Label1->SetCaption("共有ドライブ:");
  Label1->SetBounds(16, 16, 0, 0);
  cmbDrive = new TxComboBox(this);
  cmbDrive->SetName("cmbDrive");
  cmbDrive->SetStyle(csDropDownList);
  cmbDrive->SetBounds(104, 12, 260, 21);
  cmbDrive->SetDropDownWidth(300);
  cmbDrive->SetKeyStyles({ksEnter});
  cboxDataListUpdate = new TxCheckBox(this);
  cboxDataListUpdate->SetName("cboxDataListUpdate");
  cboxDataListUpdate->SetCaption("データリストを自動更新する");
  cboxDataListUpdate->SetBounds(16, 40, 240, 17);

  auto topButton = [this](const char* name, const char* caption, int left) {
    auto* b = new TxPlButton(this);
    b->SetName(name);
    b->CaptionA().SetCaption(caption);
    b->SetBounds(left, 8, 65, 49);
    return b;
  };
  btnMount = topButton("btnMount", "共有割当", 624);
  btnSearchCancel = topButton("btnSearchCancel", "検索解除", 695);
  btnSearchCancel->SetEnabled(false);
  btnSearch = topButton("btnSearch", "検索", 767);
  btnDataInfo = topButton("btnDataInfo", "情報", 839);
  btnListUpdate = topButton("btnListUpdate", "更新", 911);

  PerfectGrid1 = new TPerfectGrid(this);
  PerfectGrid1->SetName("PerfectGrid1");
  PerfectGrid1->SetBounds(16, 64, 961, 369);
  PerfectGrid1->SetSelectMode(gsRow);

  txtIncSerch = new TxEdit(this);
  txtIncSerch->SetName("txtIncSerch");
  txtIncSerch->SetBounds(288, 40, 80, 19);
  txtIncSerch->SetMaxLength(8);
  txtIncSerch->SetReadOnly(true);
  txtIncSerch->SetTabStop(false);
  txtIncSerch->SetVisible(false);
  {
    TFontSpec f = txtIncSerch->Font();
    f.Name = "ＭＳ Ｐゴシック";
    f.Color = clWhite;
    f.Style = fsBold;
    txtIncSerch->SetFont(f);
    txtIncSerch->SetColor(clHighlight);
  }

  HintArea = new TMemo(this);
  HintArea->SetName("HintArea");
  HintArea->SetBounds(16, 444, 961, 65);
  HintArea->SetReadOnly(true);
  HintArea->SetTabStop(false);

  const int lefts[kKeys] = {16, 112, 208, 304, 400, 496, 592, 688, 784, 880};
  for (int k = 0; k < kKeys; ++k) {
    auto* b = new TxPlButton(this);
    b->SetName(kKeyNames[k]);
    b->CaptionA().SetCaption(kFullCaptions[k]);
    b->SetBounds(lefts[k], 520, 94, 32);
    b->SetTabStop(false);
    KeyButtons[k] = b;
  }
  KeyButtons[kEsc]->SetModalResult(mrCancel);
  KeyButtons[kF12]->SetModalResult(mrOk);

  IncSerchTimer = new TTimer(this);
  IncSerchTimer->SetEnabled(false);
  IncSerchTimer->SetInterval(0);
}

TServerSentakuBox::~TServerSentakuBox() = default;

void TServerSentakuBox::FormCreate(QObject* Sender) {
  TBSDI::FormCreate(Sender);
  UsePlainDialogFlags(HintArea);
  FKeepOnClose = true;
  CopyPending = false;
  SortColumn = -1;
  SortDescending = false;

  ListCtl = std::make_unique<TDataSentakuListCtl>();
  ListCtl->ConnectKind = ConnectMode;
  ListCtl->ListKind = 1;
  DataInfo.ConnectKind = ConnectMode;
  KensakuBox = CreateForm<TDataListKensakuBox>(this);
  KensakuBox->ListType = 1;
  CopyFiles = [](const std::string& from, const std::string& to) { return SafeCopyMoveFiles(from, to, soCopy); };

  SetGridColors(PerfectGrid1, 0);
  PerfectGrid1->SetBackColor(0xFFFFFF);
  PerfectGrid1->SetOddRowBackColor(kAltRow);
  PerfectGrid1->SetFocusBorderColor(kFocusText);
  struct Column {
    const char* heading;
    int width;
    TAlignment align;
  };
  const Column columns[kSvColCount] = {
      {"No", 40, taRightJustify},     {"コード", 70, taLeftJustify},      {"データ名", 248, taLeftJustify},
      {"会計年度", 80, taCenter},       {"会計期間", 180, taCenter},         {"データフォルダ", 200, taLeftJustify},
      {"バージョン", 90, taCenter},     {"共有", 32, taCenter},             {"共有値", 0, taRightJustify},
      {"バージョン", 0, taLeftJustify}, {"データ更新", 0, taLeftJustify},    {"", 0, taLeftJustify},
      {"", 0, taLeftJustify},         {"", 0, taLeftJustify},             {"データステータス", 0, taLeftJustify}};
  PerfectGrid1->SetCols(kSvColCount);
  for (int c = 0; c < kSvColCount; ++c) {
    PerfectGrid1->SetCellText(c, TPerfectGrid::kHeadingRow, columns[c].heading);
    PerfectGrid1->SetColWidth(c, columns[c].width);
    PerfectGrid1->SetColAlign(c, columns[c].align);
  }

  PerfectGrid1->OnCellGotFocus = [this](QObject*, int, int row) {
    if (row < 0 || row >= PerfectGrid1->Rows()) return;
    if (PerfectGrid1->CellText(kSvColStatus, row) != "1") PerfectGrid1->SetRowForeColor(row, kFocusText);
    UpdateFunctionKeys();
  };
  PerfectGrid1->OnCellLostFocus = [this](QObject*, int, int row) {
    if (row < 0 || row >= PerfectGrid1->Rows()) return;
    PerfectGrid1->SetRowForeColor(row, PerfectGrid1->ForeColor());
  };
  PerfectGrid1->OnCellClick = [this](QObject*, int col, int row) {
    if (row == TPerfectGrid::kHeadingRow) HeaderClick(col);
  };
  PerfectGrid1->OnDblClick = [this](QObject*) {
    if (PerfectGrid1->Rows() > 0 && PerfectGrid1->Row() != TPerfectGrid::kNoRow) F12Click(KeyButtons[kF12]);
  };
  PerfectGrid1->OnKeyDown = [this](QObject*, int& key, TShiftState shift) { GridKeyDown(key, shift); };
  IncSerchTimer->OnTimer = [this](QObject* s) { IncSerchTimerTimer(s); };
  KeyButtons[kEsc]->OnClick = [this](QObject* s) { ESCClick(s); };
  for (int k = kF1; k <= kF8; ++k) KeyButtons[k]->OnClick = [this](QObject* s) { F1Click(s); };
  KeyButtons[kF12]->OnClick = [this](QObject* s) { F12Click(s); };
  cmbDrive->OnChange = [this](QObject* s) { cmbDriveChange(s); };
  btnSearch->OnClick = [this](QObject* s) { btnSearchClick(s); };
  btnSearchCancel->OnClick = [this](QObject* s) { btnSearchClick(s); };
  btnDataInfo->OnClick = [this](QObject* s) { btnDataInfoClick(s); };
  btnListUpdate->OnClick = [this](QObject* s) { btnListUpdateClick(s); };
  btnMount->OnClick = [this](QObject* s) { btnMountClick(s); };
  cboxDataListUpdate->OnClick = [this](QObject* s) { cboxDataListUpdateClick(s); };
  FCreatedOK = true;
}

void TServerSentakuBox::FormDestroy(QObject* Sender) {
  ListCtl.reset();
  TBSDI::FormDestroy(Sender);
}

void TServerSentakuBox::CMShowingChanged() {
  TBSDI::CMShowingChanged();
  if (!FCreatedOK) {
    ReportInitFailed();
    Close();
    return;
  }
  if (!Showing()) return;
  repaint();
  PerfectGrid1->SetFocus();
  UpdateFunctionKeys();
}

void TServerSentakuBox::LoadHints() {
  std::string drive =
      "ﾘｽﾄからﾃﾞｰﾀを管理しているﾄﾞﾗｲﾌﾞを選択します。|ﾘｽﾄからﾃﾞｰﾀを管理しているﾄﾞﾗｲﾌﾞを選択します。\r\n"
      "ﾏｲｺﾝﾋﾟｭｰﾀに表示されるﾄﾞﾗｲﾌﾞの中からﾄﾞﾗｲﾌﾞ直下に“Zivodarorer”ﾌｫﾙﾀﾞのあるﾄﾞﾗｲﾌﾞのみを表示しています。";
  const std::string dir = ServerShareDir();
  if (dir != "Zivodarorer") {
    const size_t at = drive.find("Zivodarorer");
    if (at != std::string::npos) drive.replace(at, 11, dir);
  }
  cmbDrive->SetHint(drive);
  btnMount->SetHint("ネットワーク上の共有フォルダをドライブに割り当てます。|");
  btnSearchCancel->SetHint("検索状態を解除します。|");
  btnSearch->SetHint("［検索条件の設定］画面を開きます。一定条件に該当するﾃﾞｰﾀを抽出表示する場合に使用します。|");
  btnDataInfo->SetHint("「ﾃﾞｰﾀの詳細情報」画面を開きます。選択ﾃﾞｰﾀの基本情報を表示します。ﾃﾞｰﾀの表示名を変更できます。|");
  btnListUpdate->SetHint("ﾃﾞｰﾀﾘｽﾄを更新します。ﾌﾟﾛｸﾞﾗﾑの機能を使わずに移行したﾃﾞｰﾀを表示できます。|");
  PerfectGrid1->SetHint(kGridHint);
}

// ---------------------------------------------------------------------------------------
// Interface

void TServerSentakuBox::Setup(uint8_t mode) {
  Mode = mode;
  Initialise();
  FSetupPending = false;
}

void TServerSentakuBox::UpdateServerRow(TDataListRec& row) {
  if (IsParentKind(row.GASSAN)) {
    if (ListCtl->UpdateServerDataListRecord(row, 1, true)) {
      DataInfo.WriteIniValue(row.PASNAME, "DATAINFO", false, row.ENTTEXT, "DATALISTNAME");
      DataInfo.WriteIniValue(row.PASNAME, "DATASTS", false, static_cast<int64_t>(row.UPDATE_LOCK), "UPDATE_LOCK");
    }
  } else {
    ListCtl->UpdateServerDataListChildRecord(row, 1, true);
  }
}

bool TServerSentakuBox::SetServerShareStatus(const std::string& folder, uint8_t kind) {
  return ::SetServerShareStatus(DataInfo, folder, kind);
}

// ---------------------------------------------------------------------------------------
// The list

void TServerSentakuBox::Initialise() {
  LoadHints();
  SelectedPath.clear();
  SelectedName.clear();
  CopyPending = false;
  CopySourceFolder.clear();
  CopySourceIndex = -1;
  ShareRoot.clear();

  EditJoken = TDataKensakuRec{};
  EditJoken.OPCODE = SystemDef.LogonId;
  EditJoken.LISTTYPE = 1;
  KensakuBox->ListType = 1;
  if (DM) KensakuBox->SelectRecord(EditJoken);
  ActiveJoken = EditJoken;
  if (ActiveJoken.JYOKENUSE == 0) {
    ActiveJoken.DATATYPE = ActiveJoken.CODETYPE = ActiveJoken.TANTO = 0;
    ActiveJoken.DATACODE.clear();
    ActiveJoken.DATANAME.clear();
    ActiveJoken.DATAVER.clear();
    ActiveJoken.SEIHINNAME.clear();
  }
  btnSearchCancel->SetEnabled(ActiveJoken.JYOKENUSE == 1);
  if (SortColumn >= 0) {
    ActiveJoken.SORTCOL = SortColumn;
    ActiveJoken.SORTTYPE = SortDescending ? 1 : 0;
  }
  if (ActiveJoken.SORTCOL == 0) {
    ActiveJoken.SORTCOL = kSvColFolder;
    ActiveJoken.SORTTYPE = 0;
  }
  SortColumn = ActiveJoken.SORTCOL;
  SortDescending = ActiveJoken.SORTTYPE != 0;

  LoadDrives();
  settingCheck_ = true;
  cboxDataListUpdate->SetChecked(SystemDef.R4Bit2 == 1);
  settingCheck_ = false;
  PerfectGrid1->DeleteAllRows();
  if (DriveLetter.empty()) return;
  LoadList(0);
  ShowList();
  if (SystemDef.R4Bit2 == 1 || PerfectGrid1->Rows() == 0) RefreshFromFolders();
}

void TServerSentakuBox::LoadDrives() {
  fillingDrives_ = true;
  std::vector<std::string> items;
  DriveLetters = SharedDriveLetters();
  for (const std::string& l : DriveLetters) items.push_back(l + ": [" + DriveFolder(l[0]) + "]");
  if (!DriveLetters.empty()) {
    cmbDrive->SetItems(items);
    std::string want = DriveLetter.empty() ? std::string() : std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(DriveLetter[0]))));
    auto it = std::find(DriveLetters.begin(), DriveLetters.end(), want);
    if (it == DriveLetters.end()) it = DriveLetters.begin();
    DriveLetter = *it;
    cmbDrive->SetItemIndex(static_cast<int>(it - DriveLetters.begin()));
    ShareRoot = ServerShareRoot(DriveLetter);
  } else {
    cmbDrive->SetItems({"[" + ServerShareDir() + "]が見つかりません"});
    DriveLetters = {""};
    cmbDrive->SetItemIndex(0);
    DriveLetter.clear();
    ShareRoot.clear();
  }
  fillingDrives_ = false;
}

void TServerSentakuBox::LoadList(uint8_t mode) {
  uint8_t kind = 1;
  switch (SortColumn) {
    case 1: kind = 7; break;
    case 2: kind = 2; break;
    case 3: kind = 3; break;
    case 4: kind = 4; break;
    case 5: kind = 5; break;
    case 6: kind = 6; break;
    default: kind = 1; break;
  }
  ListCtl->ServerExecute(mode, ShareRoot, kind, SortDescending);
  Rows = ListCtl->Rows;
  ChildRows = ListCtl->ChildRows;
  if (mode == 1) {
    ChildRows.clear();
    for (TDataSentakuRec& row : Rows) {
      if (CheckFolderState(row.PASNAME, false, false) == 10) row.DATA_STATUS = 1;
      RowFromDataInfo(row, false);
      RegisterRow(row);
      for (int32_t j = 0; j < static_cast<int32_t>(row.Children.size()); ++j) {
        TDataListRec& child = row.Children[j];
        if (CheckFolderState(child.PASNAME, false, false) == 10) child.DATA_STATUS = 1;
        RowFromDataInfo(child, false);
        child.REC = row.REC;
        child.ROWNO = j + 1;
        child.GASSAN = kChildKind;
        RegisterRow(child);
        ChildRows.push_back(child);
      }
    }
  }
  BuildDisplayList();
}

void TServerSentakuBox::RowFromDataInfo(TDataListRec& row, bool empty) {
  if (empty) {
    row.REC = 0;
    row.ROWNO = 0;
    row.GROUPID = SystemDef.GroupId;
    row.DATACODE.clear();
    row.ENTTEXT = kFreeAreaName;
    row.SHOUGOU.clear();
    row.NENDO = 0;
    row.KikanText = "～";
    row.KISHU = row.KIMATU = 0;
    row.NETDRIVE = 1;
    row.PASNAME.clear();
    row.DATATYPE = row.CODETYPE = row.TANTOU = row.DATALOCK = 0;
    row.VER_MAJOR = row.VER_MINOR1 = row.VER_MINOR2 = 0;
    row.VER_TEXT.clear();
    row.UPDATE_LOCK = 0;
    row.GASSAN = 0;
    row.DispName = row.ENTTEXT;
    return;
  }
  const TDataInfomationRec& i = DataInfoRec;
  row.GROUPID = SystemDef.GroupId;
  row.DATACODE = i.CODE;
  row.ENTTEXT = i.DATALISTNAME;
  row.SHOUGOU = i.SHOUGOU;
  if (row.ENTTEXT.empty()) row.ENTTEXT = kFreeAreaName;
  if (IsAreaName(row.ENTTEXT)) row.SHOUGOU.clear();
  row.NENDO = i.NENDO;
  row.KikanText = i.KISHU + " ～ " + i.KIMATU;
  row.KISHU = DateOf(i.KISHU);
  row.KIMATU = DateOf(i.KIMATU);
  row.DATATYPE = i.DATAKBN;
  row.CODETYPE = i.CODEKBN;
  row.TANTOU = i.TANTO;
  row.DATALOCK = (i.STATUS == 3 && i.OPCODE != 0) ? 1 : 0;
  row.VER_MAJOR = i.MAJOR;
  row.VER_MINOR1 = i.MINOR1;
  row.VER_MINOR2 = i.MINOR2;
  row.VER_TEXT = i.VERSION2;
  row.UPDATE_LOCK = i.UPDATE_LOCK;
  row.GASSAN = i.GASSANKBN;
  row.DispName = row.ENTTEXT;
}

void TServerSentakuBox::RegisterRow(TDataListRec& row) {
  std::error_code ec;
  const std::string db = ExcludeTrailingPathDelimiter(row.PASNAME) + "/" + fw::AccDbFile;
  if (fs::exists(ResolvePath(db), ec)) {
    ListCtl->UpdateServerDataListRecord(row, 1, true);
    return;
  }
  if (row.ENTTEXT.empty()) return;
  const int32_t rec = row.REC;
  const std::string name = row.ENTTEXT;
  const std::string path = row.PASNAME;
  RowFromDataInfo(row, true);
  row.REC = rec;
  row.ENTTEXT = name;
  row.DispName = name;
  row.PASNAME = path;
  ListCtl->UpdateServerDataListRecord(row, 1, true);
}

void TServerSentakuBox::BuildDisplayList() {
  DispRows.clear();
  const TDataKensakuRec& c = ActiveJoken;
  for (size_t k = 0; k < Rows.size(); ++k) {
    const TDataSentakuRec& r = Rows[k];
    if (c.DATATYPE != 0 && c.CODETYPE != 0 &&
        std::to_string(c.DATATYPE) + std::to_string(c.CODETYPE) != std::to_string(r.DATATYPE) + std::to_string(r.CODETYPE))
      continue;
    if (!c.DATANAME.empty() && !FoldedName(r.ENTTEXT).contains(FoldedName(c.DATANAME))) continue;
    if (c.TANTO != 0 && c.TANTO != r.TANTOU) continue;
    if (!c.DATAVER.empty() && c.DATAVER != std::to_string(r.VER_MAJOR) + "." + std::to_string(r.VER_MINOR1)) continue;
    const std::string code = TrimZenkaku(c.DATACODE);
    if (!code.empty()) {
      const int width = static_cast<int>(sjis::ByteLength(code));
      if (QString::fromStdString(c.DATACODE).toUpper() != QString::fromStdString(PadRightSJIS(r.DATACODE, width)).toUpper())
        continue;
    }
    DispRows.push_back(static_cast<int32_t>(k));
  }
}

void TServerSentakuBox::ShowList() {
  TPerfectGrid* g = PerfectGrid1;
  g->SetRedraw(false);
  g->DeleteAllRows();
  for (int c = 0; c <= kSvColVer; ++c) g->SetSortMark(c, gsNone);
  if (SortColumn >= 1 && SortColumn <= kSvColVer) g->SetSortMark(SortColumn, SortDescending ? gsDescending : gsAscending);
  const int n = std::min<int>(static_cast<int>(DispRows.size()), g->MaxRows() - 1);
  g->InsertRows(0, n);
  int r = 0;
  for (int i = 0; i < n; ++i) {
    if (r >= g->Rows()) break;
    g->SetCellText(kSvColNo, r, std::to_string(i + 1));
    ShowEntry(i, r);
  }
  g->SetRedraw(true);
  if (g->Rows() > 0) g->SetCurCell(0, 0);
}

void TServerSentakuBox::ShowEntry(int index, int& gridRow) {
  TPerfectGrid* g = PerfectGrid1;
  const int32_t k = DispRows[index];
  TDataSentakuRec& row = Rows[k];
  if (!IsParentKind(row.GASSAN)) {
    ++gridRow;
    return;
  }
  const std::string no = g->CellText(kSvColNo, gridRow);
  FillGridRow(gridRow, row);
  g->SetCellText(kSvColNo, gridRow, no);
  g->SetCellText(kSvColIndex, gridRow, std::to_string(k));
  const bool inUse = ReadShareStatus(row.PASNAME) == 2;
  g->SetCellText(kSvColShare, gridRow, inUse ? "1" : "0");
  g->SetCellPicture(kSvColSharePic, gridRow, inUse ? InUsePicture() : FreePicture());
  TDataSentakuListCtl::SetChildDispNames(row);
  if (row.ChildCount > 0) {
    g->InsertRows(gridRow + 1, row.ChildCount);
    for (int32_t j = 0; j < row.ChildCount; ++j) {
      ++gridRow;
      const TDataListRec& child = row.Children[j];
      FillGridRow(gridRow, child);
      g->SetCellText(kSvColNo, gridRow, "");
      g->SetCellText(kSvColIndex, gridRow, std::to_string(k));
      g->SetCellText(kSvColChild, gridRow, std::to_string(j));
      const bool childInUse = ReadShareStatus(child.PASNAME) == 2;
      g->SetCellText(kSvColShare, gridRow, childInUse ? "1" : "0");
      g->SetCellPicture(kSvColSharePic, gridRow, childInUse ? InUsePicture() : FreePicture());
    }
  }
  ++gridRow;
}

void TServerSentakuBox::FillGridRow(int r, const TDataListRec& row) {
  TPerfectGrid* g = PerfectGrid1;
  const bool area = IsAreaName(row.ENTTEXT);
  g->SetCellText(kSvColCode, r, row.DATACODE);
  g->SetCellText(kSvColName, r, row.DispName.empty() ? row.ENTTEXT : row.DispName);
  g->SetCellText(kSvColNendo, r, area ? std::string() : std::to_string(row.NENDO) + " 期");
  g->SetCellText(kSvColKikan, r, area ? std::string("～") : row.KikanText);
  g->SetCellText(kSvColFolder, r, row.PASNAME);
  g->SetCellText(kSvColVer, r, row.VER_TEXT);
  g->SetCellText(kSvColShare, r, "0");
  g->SetCellPicture(kSvColSharePic, r, FreePicture());
  g->SetCellText(kSvColUpdate, r, std::to_string(row.UPDATE_LOCK));
  g->SetCellText(kSvColGassan, r, std::to_string(row.GASSAN));
  g->SetCellText(kSvColIndex, r, "0");
  g->SetCellText(kSvColChild, r, "0");
  g->SetCellText(kSvColStatus, r, std::to_string(row.DATA_STATUS));
  g->SetRowBackColor(r, row.DATA_STATUS == 1 ? kBroken : (r % 2 == 0 ? TColor(0xFFFFFF) : kAltRow));
}

void TServerSentakuBox::RefreshFromFolders() {
  LoadList(1);
  ShowList();
  LoadList(0);
  ShowList();
}

uint8_t TServerSentakuBox::ReadShareStatus(const std::string& folder) {
  if (folder.empty()) return 1;
  TDataInfomationRec rec;
  DataInfo.ReadDataInfo(folder, rec);
  return rec.SHARE_STATUS;
}

TDataListRec& TServerSentakuBox::GetRowRecord(int gridRow) {
  TPerfectGrid* g = PerfectGrid1;
  TDataSentakuRec& parent = Rows.at(ToInt(g->CellText(kSvColIndex, gridRow)));
  if (IsParentKind(ToInt(g->CellText(kSvColGassan, gridRow)))) return parent;
  return parent.Children.at(ToInt(g->CellText(kSvColChild, gridRow)));
}

void TServerSentakuBox::LocateFolder(const std::string& folder) {
  TPerfectGrid* g = PerfectGrid1;
  for (int r = 0; r < g->Rows(); ++r)
    if (QString::fromStdString(g->CellText(kSvColFolder, r)).compare(QString::fromStdString(folder), Qt::CaseInsensitive) == 0) {
      g->SetCurCell(0, r);
      return;
    }
}

// ---------------------------------------------------------------------------------------
// Keys

void TServerSentakuBox::UpdateFunctionKeys() {
  if (!FCreatedOK) return;
  TServerKeyInput in;
  in.GridActive = ActiveControl() == PerfectGrid1;
  const int row = PerfectGrid1->Row();
  in.HasRow = row != TPerfectGrid::kNoRow && row >= 0 && row < PerfectGrid1->Rows();
  in.CopyPending = CopyPending;
  in.ShareRootSet = !ShareRoot.empty();
  if (in.HasRow) {
    in.Row = GetRowRecord(row);
    in.InUse = PerfectGrid1->CellText(kSvColShare, row) == "1";
  }
  if (in.GridActive) {
    if (DriveLetter.empty()) PerfectGrid1->SetHint(kGridHintNoDrive);
    else if (PerfectGrid1->Rows() == 0) PerfectGrid1->SetHint(kGridHintEmpty);
    else if (CopyPending) PerfectGrid1->SetHint(kGridHintPaste);
    else PerfectGrid1->SetHint(kGridHint);
  }
  const TServerKeyOutput out = ServerSentakuKeys(in);
  KeyMode = out.KeyMode;
  for (int k = 0; k < kKeys; ++k) KeyButtons[k]->CaptionA().SetCaption(out.Captions[k]);
  KeyButtons[kF12]->SetEnabled(out.F12Enabled);
  if (in.GridActive) ShowLongHint(PerfectGrid1, HintArea);
}

void TServerSentakuBox::FormKeyUp(QObject* Sender, int& Key, TShiftState Shift) {
  if (Key == VK_ESCAPE) {
    ESCClick(KeyButtons[kEsc]);
    Key = 0;
  } else if (Key >= VK_F1 && Key <= VK_F8) {
    PressKey(Key);
  } else if (Key == VK_F12) {
    F12Click(KeyButtons[kF12]);
    Key = 0;
  }
  TBSDI::FormKeyUp(Sender, Key, Shift);
}

void TServerSentakuBox::ESCClick(QObject*) {
  if (CopyPending) {
    EndPendingCopy();
    UpdateFunctionKeys();
    return;
  }
  SetModalResult(mrCancel);
}

void TServerSentakuBox::EndPendingCopy() {
  CopyPending = false;
  if (!CopySourceFolder.empty()) SetDataStatus(CopySourceFolder, 1);
  CopySourceFolder.clear();
  CopySourceIndex = -1;
}

void TServerSentakuBox::F1Click(QObject* Sender) {
  auto* key = dynamic_cast<TxPlButton*>(Sender);
  if (!key || !KeyOffered(key)) {
    SetModalResult(mrNone);
    return;
  }
  const int k = static_cast<int>(std::find(KeyButtons.begin(), KeyButtons.end(), key) - KeyButtons.begin());
  auto backToGrid = [this] {
    PerfectGrid1->SetFocus();
    const int row = PerfectGrid1->Row();
    if (PerfectGrid1->OnCellGotFocus && row != TPerfectGrid::kNoRow) PerfectGrid1->OnCellGotFocus(PerfectGrid1, 0, row);
  };
  try {
    switch (k) {
      case kF1:
        ShowHtmlManual("kyoyudata.html");
        break;
      case kF2:
        if (KeyMode == 1) {
          CopyPending = true;
          CopyOrPaste();
        } else if (KeyMode == 2) {
          CopyPending = false;
          CopyOrPaste();
          CopySourceFolder.clear();
          CopySourceIndex = -1;
          backToGrid();
        }
        break;
      case kF4:
        AddArea();
        backToGrid();
        break;
      case kF5:
        DeleteData(true);
        break;
      case kF8:
        PrintList();
        break;
      default:
        break;
    }
  } catch (const std::exception& e) {
    uis::ShowMessage(uis::MsgKind::Error, e.what());
  }
  UpdateFunctionKeys();
}

void TServerSentakuBox::F12Click(QObject*) {
  SetModalResult(mrNone);
  const int row = PerfectGrid1->Row();
  if (!KeyOffered(KeyButtons[kF12]) || row == TPerfectGrid::kNoRow || row < 0 || row >= PerfectGrid1->Rows()) return;
  if (!IsParentKind(ToInt(PerfectGrid1->CellText(kSvColGassan, row)))) return;
  const TDataSentakuRec& rec = Rows.at(ToInt(PerfectGrid1->CellText(kSvColIndex, row)));
  SelectedPath = rec.PASNAME;
  SelectedName = rec.ENTTEXT;
  if (ReadShareStatus(rec.PASNAME) == 2 && (rec.ENTTEXT == kFreeAreaName || rec.ENTTEXT == kNewAreaName)) {
    TMessage2InfoRec info;
    InitMessage2Info(2, info);
    info.Lines[0].Text = "この領域は、現在データが作成されている可能性があるため選択できません。";
    ShowMessage2(info);
    return;
  }
  std::error_code ec;
  if (!fs::is_directory(ResolvePath(rec.PASNAME), ec)) {
    TMessage2InfoRec info;
    InitMessage2Info(2, info);
    info.Lines[0].Text = "共有サーバーが起動していない、接続が切断されている または 共有サーバー上のデータ領域が削除された可能性があります。";
    info.Lines[1].Text = "共有サーバーが起動している場合は [更新]ボタンを押しデータリストの再作成を行って下さい。";
    ShowMessage2(info);
    return;
  }
  if (IsCombinedKind(rec.GASSAN)) {
    for (const TDataListRec& child : rec.Children) {
      if (child.DATA_STATUS != 1) continue;
      TMessageInfoRec info;
      InitMessageInfo(info);
      info.Kind = 1;
      info.Position = poScreenCenter;
      info.Caption = "選択データの状態";
      info.Message = "共有サーバー上のデータが破損しているため、共有データの取得を中止します。\rデータのバックアップを行っている場合は、適正な方法で破損前の状態へ戻して下さい。";
      info.Lines = {"【データフォルダ】", "　" + child.PASNAME, "", "【オペレータ】", "", "【オペレータ名】", ""};
      ShowMessageBox(info);
      return;
    }
  }
  SetModalResult(mrOk);
}

void TServerSentakuBox::HeaderClick(int col) {
  if (col < 1 || col > kSvColVer || PerfectGrid1->Row() == TPerfectGrid::kNoRow) return;
  if (col == SortColumn) {
    SortDescending = !SortDescending;
  } else {
    SortColumn = col;
    SortDescending = false;
  }
  LoadList(0);
  ShowList();
}

void TServerSentakuBox::GridKeyDown(int& key, TShiftState shift) {
  if (key == VK_RETURN && !(shift & (ssShift | ssCtrl | ssAlt))) {
    key = 0;
    if (PerfectGrid1->Rows() > 0 && PerfectGrid1->Row() != TPerfectGrid::kNoRow) F12Click(KeyButtons[kF12]);
    return;
  }
  if (PerfectGrid1->Rows() == 0) return;
  char ch = 0;
  if ((key >= 48 && key <= 57) || (key >= 65 && key <= 90)) ch = static_cast<char>(key);
  else if (key >= 96 && key <= 105) ch = static_cast<char>(key - 48);
  else if (key >= 106 && key <= 111) ch = static_cast<char>(key - 64);
  else if (key == 186 || key == 187 || (key >= 192 && key <= 224)) ch = static_cast<char>(key - 128);
  else if (key == 225 || key == 226) ch = static_cast<char>(key - 134);
  else if (key >= 188 && key <= 191) ch = static_cast<char>(key - 144);
  else return;
  key = 0;
  IncSearchText += ch;
  if (IncSearchText.size() <= 8) {
    txtIncSerch->SetText(IncSearchText);
    txtIncSerch->SetBounds(PerfectGrid1->Left() + (PerfectGrid1->Width() * 10 + 50) / 100 + 4, PerfectGrid1->Top() - 12, 80,
                           19);
    txtIncSerch->SetVisible(true);
  }
  int interval = IncSerchTimer->Interval();
  if (interval < 2000) interval = std::min(interval + 500, 1000);
  IncSerchTimer->SetInterval(interval);
  IncSerchTimer->SetEnabled(false);
  IncSerchTimer->SetEnabled(true);
}

void TServerSentakuBox::IncSerchTimerTimer(QObject*) {
  TPerfectGrid* g = PerfectGrid1;
  if (g->hasFocus() && g->Rows() > 0 && !IncSearchText.empty()) {
    const QString want = QString::fromStdString(IncSearchText).toUpper();
    const int current = g->Row() == TPerfectGrid::kNoRow ? -1 : g->Row();
    auto matches = [&](int row) {
      return QString::fromStdString(g->CellText(kSvColCode, row)).toUpper().startsWith(want);
    };
    int found = -1;
    for (int row = current + 1; row < g->Rows() && found < 0; ++row)
      if (matches(row)) found = row;
    for (int row = 0; row <= current && found < 0; ++row)
      if (matches(row)) found = row;
    if (found >= 0) g->SetCurCell(0, found);
  }
  IncSerchTimer->SetEnabled(false);
  IncSerchTimer->SetInterval(0);
  IncSearchText.clear();
  txtIncSerch->SetText("");
  txtIncSerch->SetVisible(false);
}

// ---------------------------------------------------------------------------------------
// Buttons

void TServerSentakuBox::cmbDriveChange(QObject*) {
  if (fillingDrives_) return;
  const int i = cmbDrive->ItemIndex();
  const std::string letter = i >= 0 && i < static_cast<int>(DriveLetters.size()) ? DriveLetters[i] : std::string();
  if (letter != DriveLetter) {
    DriveLetter = letter;
    ShareRoot = ServerShareRoot(letter);
    LoadList(0);
    ShowList();
    if (!ShareRoot.empty() && (SystemDef.R4Bit2 == 1 || PerfectGrid1->Rows() == 0)) RefreshFromFolders();
  }
  UpdateFunctionKeys();
}

void TServerSentakuBox::cboxDataListUpdateClick(QObject*) {
  if (settingCheck_) return;
  SystemDef.R4Bit2 = cboxDataListUpdate->Checked() ? 1 : 0;
}

void TServerSentakuBox::btnListUpdateClick(QObject*) {
  if (DriveLetter.empty()) return;
  std::string question = "データリストの更新をおこないます。";
  if (btnSearchCancel->Enabled()) question += "検索実行中のため検索は解除されます。";
  question += "\rよろしいですか？";
  if (uis::ShowMessage(uis::MsgKind::Confirmation, question, {}, uis::Buttons::YesNo, uis::mrYes) == uis::mrYes) {
    uis::Ui().ProgressShow("更新中", "データリストの更新中…");
    try {
      if (btnSearchCancel->Enabled()) btnSearchClick(btnSearchCancel);
      RefreshFromFolders();
    } catch (...) {
      uis::Ui().ProgressClose();
      throw;
    }
    uis::Ui().ProgressClose();
    activateWindow();
    raise();
  }
  UpdateFunctionKeys();
}

void TServerSentakuBox::btnSearchClick(QObject* Sender) {
  if (Sender == btnSearchCancel) {
    ActiveJoken.JYOKENUSE = 0;
    ActiveJoken.DATATYPE = ActiveJoken.CODETYPE = ActiveJoken.TANTO = 0;
    ActiveJoken.DATACODE.clear();
    ActiveJoken.DATANAME.clear();
    ActiveJoken.DATAVER.clear();
    ActiveJoken.SEIHINNAME.clear();
    LoadList(0);
    ShowList();
    btnSearchCancel->SetEnabled(false);
  } else {
    KensakuBox->ListType = 1;
    KensakuBox->KensakuRec = EditJoken;
    KensakuBox->Setup(1);
    if (KensakuBox->ShowModal() == mrOk) {
      EditJoken = KensakuBox->KensakuRec;
      KensakuBox->UpdateRecord(EditJoken);
      const int32_t sortCol = ActiveJoken.SORTCOL, sortType = ActiveJoken.SORTTYPE;
      ActiveJoken = EditJoken;
      ActiveJoken.SORTCOL = sortCol;
      ActiveJoken.SORTTYPE = sortType;
      LoadList(0);
      ShowList();
      btnSearchCancel->SetEnabled(true);
    }
  }
  UpdateFunctionKeys();
}

void TServerSentakuBox::btnDataInfoClick(QObject*) {
  const int row = PerfectGrid1->Row();
  if (row == TPerfectGrid::kNoRow || row < 0 || row >= PerfectGrid1->Rows()) return;
  TDataListRec& rec = GetRowRecord(row);
  if (!SyosaiInfoBox) SyosaiInfoBox = CreateForm<TDataSyosaiInfoBox>(this);
  SyosaiInfoBox->ServerMode = true;
  SyosaiInfoBox->RowRef = rec;
  SyosaiInfoBox->DetailFolder = rec.PASNAME;
  SyosaiInfoBox->UpdateLock = rec.UPDATE_LOCK;
  SyosaiInfoBox->ListName = rec.ENTTEXT;
  SyosaiInfoBox->Setup(1);
  const int result = SyosaiInfoBox->ShowModal();
  if (result == mrOk && SyosaiInfoBox->StatusClearRequested) {
    rec.DATALOCK = 0;
    SetDataStatus(rec.PASNAME, 1);
    PerfectGrid1->SetCellText(kSvColShare, row, "0");
    PerfectGrid1->SetCellPicture(kSvColSharePic, row, FreePicture());
    ListCtl->UpdateServerDataListRecord(rec, 1, true);
  }
  if (SyosaiInfoBox->Rebuilt) {
    SetDataStatus(rec.PASNAME, 1);
    rec.DATA_STATUS = 0;
    ListCtl->UpdateServerDataListRecord(rec, 1, true);
    RefreshFromFolders();
  }
  UpdateFunctionKeys();
}

void TServerSentakuBox::btnMountClick(QObject*) {
  auto* dlg = CreateForm<TDriveMapDlg>(this);
  const int result = dlg->ShowModal();
  dlg->Free();
  if (result == mrOk) {
    LoadDrives();
    if (!ShareRoot.empty()) RefreshFromFolders();
  }
  activateWindow();
  raise();
  UpdateFunctionKeys();
}

void TServerSentakuBox::PrintList() {
  if (PerfectGrid1->Rows() <= 0) {
    uis::ShowMessage(uis::MsgKind::Information, "共有データリストが表示されていません。");
    return;
  }
  TDefaultPrintRec rec;
  SetDefaultPrintRec(rec);
  rec.Name = "DataSentakuList";
  auto* dlg = CreateForm<TDataSentakuPrintDlg>(this);
  dlg->Reserved = 0;
  dlg->StyleStorage = false;
  dlg->Rec = &rec;
  dlg->CaptionText = "共有データリストの印刷";
  dlg->Message = "共有データリストを印刷します。";
  dlg->MessageColor = clWindowText;
  dlg->GuideText = "［OK］を押すとﾃﾞｰﾀ選択ﾘｽﾄの印刷を実行します。印刷ｲﾒｰｼﾞを確認する場合は［ﾌﾟﾚﾋﾞｭｰ］を押します。";
  dlg->ShowPreview = true;
  dlg->ShowCopy = false;
  dlg->Setup(1);
  const int modal = dlg->ShowModal();
  const uint8_t result = dlg->Result;
  const int32_t orientation = dlg->Orientation;
  dlg->Free();
  if (modal == mrOk && (result == 1 || result == 2)) {
    TPrDataList pr;
    pr.PrintRec = rec;
    pr.ListKind = 1;
    pr.Rows = Rows;
    pr.DispRows = DispRows;
    pr.Orientation = orientation;
    pr.Execute(result == 1);
  }
}

void TServerSentakuBox::FormClose(QObject* Sender, TCloseAction& Action) {
  TBSDI::FormClose(Sender, Action);
  if (CopyPending) EndPendingCopy();
  ActiveJoken.SORTCOL = SortColumn < 0 ? 0 : SortColumn;
  ActiveJoken.SORTTYPE = SortDescending ? 1 : 0;
  ActiveJoken.LISTTYPE = 1;
  ActiveJoken.OPCODE = SystemDef.LogonId;
  KensakuBox->ListType = 1;
  if (DM) KensakuBox->UpdateRecordSortField(ActiveJoken);
  Action = caHide;
}

// ---------------------------------------------------------------------------------------
// The drive-mapping dialog

TDriveMapDlg::TDriveMapDlg(QWidget* owner) : TForm(owner) {
  SetName("DriveMapDlg");
  SetCaption("ネットワークドライブの割り当て");
  SetBorderStyle(bsDialog);
  SetBorderIcons(biSystemMenu);
  SetPosition(poOwnerFormCenter);
  SetClientSize(420, 120);
  auto* l1 = new TLabel(this);
  l1->SetCaption("ドライブ:");
  l1->SetBounds(16, 18, 0, 0);
  cmbLetter = new TxComboBox(this);
  cmbLetter->SetName("cmbLetter");
  cmbLetter->SetStyle(csDropDownList);
  cmbLetter->SetBounds(96, 14, 80, 21);
  std::vector<std::string> letters;
  for (char c = 'Z'; c >= 'D'; --c) letters.push_back(std::string(1, c) + ":");
  cmbLetter->SetItems(letters);
  cmbLetter->SetItemIndex(0);
  auto* l2 = new TLabel(this);
  l2->SetCaption("フォルダ:");
  l2->SetBounds(16, 50, 0, 0);
  txtFolder = new TxEdit(this);
  txtFolder->SetName("txtFolder");
  txtFolder->SetBounds(96, 46, 308, 21);
  btnOK = new TxPlButton(this);
  btnOK->SetName("btnOK");
  btnOK->CaptionA().SetCaption("OK");
  btnOK->SetBounds(226, 80, 86, 30);
  btnCancel = new TxPlButton(this);
  btnCancel->SetName("btnCancel");
  btnCancel->CaptionA().SetCaption("ｷｬﾝｾﾙ");
  btnCancel->SetBounds(318, 80, 86, 30);
  btnCancel->SetModalResult(mrCancel);
  btnCancel->SetCancel(true);
  btnOK->OnClick = [this](QObject*) {
    if (Apply()) SetModalResult(mrOk);
  };
}

bool TDriveMapDlg::Apply() {
  const std::string folder = TrimZenkaku(txtFolder->Text());
  std::error_code ec;
  if (folder.empty() || folder.front() != '/' || !fs::is_directory(folder, ec)) {
    uis::ShowMessage(uis::MsgKind::Information, "フォルダが見つかりません。\r" + folder);
    return false;
  }
  const std::string letter = cmbLetter->Text().substr(0, 1);
  TIniFile ini(folders::ConfigDir() + "/drives.ini");
  ini.WriteString("Drives", letter, folder);
  return true;
}
