#include "selection/z5DataSentaku.h"

#include <QImage>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <stdexcept>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccFunction.h"
#include "data/uAccRecord.h"
#include "data/uAccRecordHooks.h"
#include "data/z5AppInfo.h"
#include "platform/UiServices.h"
#include "selection/z5DataSentakuPrintDlg.h"
#include "selection/z5FileOperationDlg.h"
#include "selection/z5GassanSyori.h"
#include "selection/z5ServerSentaku.h"
#include "ui/PerfectGrid.h"
#include "ui/forms/Application.h"
#include "ui/forms/Keys.h"
#include "ui/z5HtmlHelp.h"
#include "ui/z5MessageDlg.h"
#include "ui/z5MessageDlg2.h"

using namespace forms;
namespace fs = std::filesystem;

namespace {

// The pictures of the lock and share columns, drawn here: icon 0 is no picture, icon 1 a
// padlock (a data lock is held), icon 2 a server box (shared data stored on the share server).
const forms::TPicture& NoPicture() {
  static const forms::TPicture none;
  return none;
}

const forms::TPicture& LockPicture() {
  static const forms::TPicture picture = [] {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x60, 0x60, 0x60), 2));
    p.drawArc(QRectF(4.5, 1.5, 7, 9), 0, 180 * 16);
    p.drawLine(QPointF(4.5, 6), QPointF(4.5, 8));
    p.drawLine(QPointF(11.5, 6), QPointF(11.5, 8));
    p.setPen(QColor(0x80, 0x60, 0x00));
    p.setBrush(QColor(0xE0, 0xB0, 0x20));
    p.drawRect(QRectF(2.5, 7.5, 11, 7));
    p.setBrush(QColor(0x40, 0x30, 0x00));
    p.drawEllipse(QRectF(7, 9.5, 2, 2));
    p.end();
    forms::TPicture pic;
    pic.Assign(image, forms::TGraphicKind::Icon);
    return pic;
  }();
  return picture;
}

const forms::TPicture& SharePicture() {
  static const forms::TPicture picture = [] {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setPen(QColor(0x30, 0x40, 0x70));
    for (int i = 0; i < 3; ++i) {
      p.setBrush(QColor(0x90, 0xA8, 0xD8));
      p.drawRect(QRect(3, 1 + i * 5, 10, 4));
      p.setPen(QColor(0x20, 0xA0, 0x20));
      p.drawPoint(11, 3 + i * 5);
      p.setPen(QColor(0x30, 0x40, 0x70));
    }
    p.end();
    forms::TPicture pic;
    pic.Assign(image, forms::TGraphicKind::Icon);
    return pic;
  }();
  return picture;
}

constexpr const char* kTypeOutOfRange = "処理タイプに範囲外の値が設定されました。";
constexpr const char* kBadFolder = "データフォルダパスが不正です。\r処理を中止します。";
constexpr const char* kNoAccData = "このフォルダには財務データがありません。\r";
constexpr const char* kNotYet = "この機能はまだ使用できません。";
constexpr const char* kOnServer = "このデータは共有サーバーに保管されています。\r共有取得を実行してから選択して下さい。";
constexpr const char* kCreateNew = "選択したパスにはデータが存在しません。\r新規にデータを作成しますか？";
constexpr const char* kCurrentData = "このデータは現在選択中のデータです。\r他の場所を選んで下さい。";
constexpr const char* kDataExists = "選択したパスには既にデータが存在します。\r他の場所を選んで下さい。";
constexpr const char* kPrevDeleted = "前回、選択したデータは削除されています。\r";
constexpr const char* kOtherWindows = "メニュー以外の処理が開いています。\r全ての処理を閉じてから処理を実行してください。";
constexpr const char* kGridHintHead = "［ENTER］又はﾀﾞﾌﾞﾙｸﾘｯｸ又は［F12］で選択します。|";
constexpr TColor kGrey = 0x808080;
constexpr TColor kDamagedBack = 0x0000FF;  // $00BBGGRR: red
constexpr TColor kServerHighlight = 0x804000;
constexpr int kKeyVk[kKeyCount] = {VK_ESCAPE, VK_F1, VK_F2, VK_F3, VK_F4, VK_F5, VK_F6, VK_F7, VK_F8, VK_F12};
constexpr const char* kKeyNames[kKeyCount] = {"ESC", "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F12"};
enum { kEsc = 0, kF1, kF2, kF3, kF4, kF5, kF6, kF7, kF8, kF12 };

bool ToInt(const std::string& text, int64_t& value) {
  const std::string t = TrimZenkaku(text);
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
  return ec == std::errc() && end == t.data() + t.size() && !t.empty();
}

std::string Bare(int key) { return std::string(kKeyNames[key]) + ":"; }

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// Full-width, upper-case form for the name condition: compatibility forms folded together,
// so half-width katakana and full-width letters meet their other forms.
QString FoldedName(const std::string& text) {
  return QString::fromStdString(text).normalized(QString::NormalizationForm_KC).toUpper();
}

// Replaces every occurrence of `root` in `text` by "~", ignoring case.
std::string ShortenRoot(const std::string& text, const std::string& root) {
  if (root.empty()) return text;
  QString t = QString::fromStdString(text);
  t.replace(QString::fromStdString(WithoutTrailingSlash(root)), "~", Qt::CaseInsensitive);
  return t.toStdString();
}

std::string DataFileName() { return fw::AccDbFile.empty() ? std::string("qvacc.fdb") : fw::AccDbFile; }

bool IsAreaName(const std::string& name) { return name == kFreeAreaName || name == kNewAreaName; }

}  // namespace

// ---------------------------------------------------------------------------------------
// Key bar and filter rules

const TDataSentakuCaptions& DataSentakuFullCaptions() {
  static const TDataSentakuCaptions captions = {"ESC:ｷｬﾝｾﾙ", "F1:ヘルプ", "F2:コピー", "F3:新規作成", "F4:割当解除",
                                                "F5:ﾃﾞｰﾀ削除", "F6:保存",  "F7:復元",   "F8:印刷",     "F12:選択"};
  return captions;
}

TDataSentakuKeyOutput DataSentakuKeys(const TDataSentakuKeyInput& in) {
  TDataSentakuKeyOutput out;
  TDataSentakuCaptions& c = out.Captions;
  c = DataSentakuFullCaptions();
  auto bare = [&c](std::initializer_list<int> keys) {
    for (int k : keys) c[k] = Bare(k);
  };
  if (in.ConnectMode != 0) c[kF4] = "F4:領域追加";
  if (in.SyoriType == 2 || in.SyoriType == 4) bare({kF3});
  out.ShareUpEnabled = in.ShareUpEnabled;
  out.ShareDownEnabled = in.ShareDownEnabled;

  const TDataListRec& r = in.Row;
  const bool empty = r.ENTTEXT.empty();
  const bool child = r.GASSAN == kChildKind;
  const int shareKind = r.NETDRIVE != 1 ? 0 : (r.KYOYULOCK == 0 ? 1 : 2);
  out.KeyState = 0;
  if (in.GridActive && in.HasRow) {
    out.KeyState = in.CopyPending ? 2 : 1;
    if (in.CopyPending) c[kF2] = "F2:貼り付け";
    if (in.ConnectMode == 0) {
      if (shareKind == 0) {
        bare({kF4});
        if (empty) {
          if (!in.CopyPending) bare({kF2});
          bare({kF5, kF6});
        } else {
          bare({kF3});
          if (r.GASSAN == 1) c[kF3] = "F3:分散追加";
          else if (child && in.ParentGassan == 2) bare({kF5});
        }
      } else if (shareKind == 1) {
        bare({kF2, kF3, kF5, kF7});
        if (child) bare({kF4});
        if ((in.ProgramKind == 0 && in.AutoVisible && !in.AutoChecked) || in.ProgramKind == 2 || in.ProgramKind == 3)
          bare({kF12});
      } else {
        bare({kF3, kF4, kF5});
        if ((IsParentKind(r.GASSAN) && r.ENTTEXT == kFreeAreaName) || r.ENTTEXT == kNewAreaName) {
          c[kF3] = "F3:新規作成";
          c[kF4] = "F4:割当解除";
        }
        if (r.GASSAN == 1) c[kF3] = "F3:分散追加";
        if (child && in.ParentGassan == 1) c[kF5] = "F5:ﾃﾞｰﾀ削除";
      }
    } else {
      if (empty) {
        if (!in.CopyPending) bare({kF2});
        bare({kF5, kF6});
      } else {
        bare({kF3});
        if (in.ConnectMode == 1) c[kF3] = "F3:持ち出し";
      }
    }
  }
  if (out.KeyState == 1) {
    if (!in.AutoChecked) {
      if (shareKind == 0) {
        out.ShareDownEnabled = empty;
        out.ShareUpEnabled = false;
      } else if (empty || IsAreaName(r.ENTTEXT)) {
        out.ShareUpEnabled = out.ShareDownEnabled = false;
      } else {
        out.ShareDownEnabled = shareKind == 1;
        out.ShareUpEnabled = shareKind == 2;
      }
    }
    if (r.DATA_STATUS != 0) {
      bare({kF2, kF3, kF4, kF6, kF12});
      out.ShareUpEnabled = false;
    }
  } else {
    out.ShareUpEnabled = out.ShareDownEnabled = false;
  }
  if (!in.GridEnabled) {
    out.KeyState = 0;
    bare({kF8, kF12});
  }
  if (in.ProgramKind == 2 || in.ProgramKind == 3) {
    if (r.NETDRIVE == 1) bare({kF3});
    if (in.ProgramKind == 3 && r.GASSAN == 1) bare({kF3});
    bare({kF4});
    if (in.ProgramKind == 2) bare({kF6, kF7});
    if (in.ProgramKind == 3) out.SearchEnabled = false;
  }
  if (out.KeyState == 0) bare({kF2, kF3, kF4, kF5, kF6, kF7});
  if (in.SyoriType == 3) {
    bare({kF1, kF2, kF3, kF4, kF5, kF6, kF7, kF8});
    out.SearchEnabled = false;
  } else if (in.SyoriType == 4) {
    bare({kF1, kF2, kF3, kF6, kF7, kF8});
  } else if (in.SyoriType == 5) {
    bare({kF1, kF2, kF3, kF4, kF5, kF6, kF7, kF8});
  }
  return out;
}

bool DataSentakuRowPasses(const TDataKensakuRec& cond, const TDataListRec& row) {
  if (cond.DATATYPE > 0) {
    if (cond.CODETYPE != 0) {
      if (std::to_string(cond.DATATYPE) + std::to_string(cond.CODETYPE) !=
          std::to_string(row.DATATYPE) + std::to_string(row.CODETYPE))
        return false;
    } else if (row.DATATYPE != cond.DATATYPE) {
      return false;
    }
  } else if (cond.DATATYPE == -13 && row.DATATYPE != 1 && row.DATATYPE != 3) {
    return false;
  }
  if (!cond.DATANAME.empty() && !FoldedName(row.ENTTEXT).contains(FoldedName(cond.DATANAME))) return false;
  if (cond.TANTO != 0 && cond.TANTO != row.TANTOU) return false;
  if (!cond.DATAVER.empty() && !DataVersionPasses(row, cond.DATAVER, cond.DataVerMode)) return false;
  const std::string code = TrimZenkaku(cond.DATACODE);
  if (!code.empty()) {
    const QString want = QString::fromStdString(code).toUpper();
    const QString have = QString::fromStdString(row.DATACODE).toUpper();
    if (!have.startsWith(want)) return false;
  }
  return true;
}

// ---------------------------------------------------------------------------------------
// Creation

TDataSentakuBox::TDataSentakuBox(QWidget* owner) : TBSDI(owner) {
  SetName("DataSentakuBox");
  SetCaption("データ選択");
  SetBorderStyle(bsDialog);
  SetBorderIcons(biSystemMenu);
  SetPosition(poScreenCenter);
  SetKeyPreview(true);
  SetShowHint(true);
  SetClientSize(992, 564);

  pnlBottom = new TPanel(this);
  pnlBottom->SetName("pnlBottom");
  pnlBottom->SetCaption("");
  pnlBottom->SetBevelOuter(bvNone);
  pnlBottom->SetBounds(0, 436, 992, 128);
  pnlBottom->SetAlign(alBottom);
  pnlClient = new TPanel(this);
  pnlClient->SetName("pnlClient");
  pnlClient->SetCaption("");
  pnlClient->SetBevelOuter(bvNone);
  pnlClient->SetBounds(0, 0, 992, 436);
  pnlClient->SetAlign(alClient);

  pnlDataMan = new TPanel(pnlClient);
  pnlDataMan->SetName("pnlDataMan");
  pnlDataMan->SetCaption("");
  pnlDataMan->SetBevelOuter(bvNone);
  pnlDataMan->SetBounds(8, 11, 360, 26);
  Label1 = new TLabel(pnlDataMan);
  Label1->SetName("Label1");
  Label1->SetCaption("データの場所:");
  Label1->SetBounds(8, 5, 0, 0);
  cmbDataMan = new TxComboBox(pnlDataMan);
  cmbDataMan->SetName("cmbDataMan");
  cmbDataMan->SetStyle(csDropDownList);
  cmbDataMan->SetBounds(100, 2, 170, 21);
  cmbDataMan->SetDropDownCount(10);
  cmbDataMan->SetKeyStyles({ksEnter});
  btnDataMan = new TxPlButton(pnlDataMan);
  btnDataMan->SetName("btnDataMan");
  btnDataMan->CaptionA().SetCaption("設定");
  btnDataMan->SetBounds(276, 0, 60, 25);

  cboxKyoyuDataAuto = new TxCheckBox(pnlClient);
  cboxKyoyuDataAuto->SetName("cboxKyoyuDataAuto");
  cboxKyoyuDataAuto->SetCaption("共有データの取得と保管を自動化する");
  cboxKyoyuDataAuto->SetBounds(16, 40, 270, 17);

  auto topButton = [this](const char* name, const char* caption, int left) {
    auto* b = new TxPlButton(pnlClient);
    b->SetName(name);
    b->CaptionA().SetCaption(caption);
    b->SetBounds(left, 8, 65, 49);
    return b;
  };
  btnKyoyuDataUp = topButton("btnKyoyuDataUp", "共有保管", 552);
  btnKyoyuDataUp->SetEnabled(false);
  btnKyoyuDataDown = topButton("btnKyoyuDataDown", "共有取得", 624);
  btnKyoyuDataDown->SetEnabled(false);
  btnSearchCancel = topButton("btnSearchCancel", "検索解除", 695);
  btnSearchCancel->SetEnabled(false);
  btnSearch = topButton("btnSearch", "検索", 767);
  btnDataInfo = topButton("btnDataInfo", "情報", 839);
  btnListUpdate = topButton("btnListUpdate", "更新", 911);

  PerfectGrid1 = new TPerfectGrid(pnlClient);
  PerfectGrid1->SetName("PerfectGrid1");
  PerfectGrid1->SetBounds(16, 64, 961, 368);
  PerfectGrid1->SetSelectMode(gsRow);

  txtIncSerch = new TxEdit(pnlClient);
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

  PanelHint = new TPanel(pnlBottom);
  PanelHint->SetName("PanelHint");
  PanelHint->SetCaption("");
  PanelHint->SetBevelOuter(bvNone);
  PanelHint->SetBounds(16, 8, 961, 65);
  HintArea = new TMemo(PanelHint);
  HintArea->SetName("HintArea");
  HintArea->SetBounds(0, 0, 961, 65);
  HintArea->SetReadOnly(true);
  HintArea->SetTabStop(false);

  // ESC at the left, F1 to F8 in the middle, F12 at the right.
  const int lefts[kKeyCount] = {16, 112, 208, 304, 400, 496, 592, 688, 784, 880};
  for (int k = 0; k < kKeyCount; ++k) {
    auto* b = new TxPlButton(pnlBottom);
    b->SetName(kKeyNames[k]);
    b->CaptionA().SetCaption(DataSentakuFullCaptions()[k]);
    b->SetBounds(lefts[k], 84, 94, 32);
    b->SetTabStop(false);
    KeyButtons[k] = b;
  }

  IncSerchTimer = new TTimer(this);
  IncSerchTimer->SetEnabled(false);
  IncSerchTimer->SetInterval(0);
}

TDataSentakuBox::~TDataSentakuBox() = default;

void TDataSentakuBox::FormCreate(QObject* Sender) {
  TBSDI::FormCreate(Sender);
  UsePlainDialogFlags(HintArea);

  KensakuBox = CreateForm<TDataListKensakuBox>(this);
  KensakuBox->ListType = 0;
  if (DbUpdateCheckFactory) DbUpdateBox = DbUpdateCheckFactory();
  ListCtl = std::make_unique<TDataSentakuListCtl>();
  ListCtl->ConnectKind = ConnectMode;
  DataInfo.ConnectKind = ConnectMode;
  DataPlaceNo = SystemDef.DataPlaceRec;

  // Caption and colours by connection mode.
  SetGridColors(PerfectGrid1, 0);
  if (ConnectMode == 0) {
    SetCaption("データ選択");
    pnlDataMan->SetVisible(false);
  } else {
    SetCaption(ConnectMode == 1 ? "データ選択（サーバー）" : "データ選択");
    PerfectGrid1->SetOddRowBackColor(0xFFF0E1);
    btnKyoyuDataUp->SetVisible(false);
    btnKyoyuDataDown->SetVisible(false);
    cboxKyoyuDataAuto->SetVisible(false);
    pnlDataMan->SetVisible(true);
  }

  // The grid's columns.
  struct Column {
    const char* heading;
    int width;
    TAlignment align;
  };
  const Column columns[kColCount] = {
      {"No", 40, taRightJustify},         {"コード", 70, taLeftJustify},   {"データ名  ", 248, taLeftJustify},
      {"会計年度", 80, taCenter},           {"会計期間", 180, taCenter},      {"データフォルダ", 200, taLeftJustify},
      {"バージョン", 90, taCenter},         {"", 0, taCenter},               {"", 0, taCenter},
      {"鍵", 0, taRightJustify},           {"共有", 0, taRightJustify},     {"バージョン", 0, taCenter},
      {"データ更新", 0, taCenter},          {"合算区分", 0, taLeftJustify},   {"", 0, taLeftJustify},
      {"", 0, taLeftJustify},             {"データステータス", 0, taLeftJustify}};
  PerfectGrid1->SetCols(kColCount);
  for (int c = 0; c < kColCount; ++c) {
    PerfectGrid1->SetCellText(c, TPerfectGrid::kHeadingRow, columns[c].heading);
    PerfectGrid1->SetColWidth(c, columns[c].width);
    PerfectGrid1->SetColAlign(c, columns[c].align);
  }
  if (ConnectMode == 0) {
    PerfectGrid1->SetColWidth(kColSharePic, 32);
  } else {
    PerfectGrid1->SetColWidth(kColLockPic, 32);
  }

  // Events.
  PerfectGrid1->OnCellGotFocus = [this](QObject*, int, int row) {
    if (row < 0 || row >= PerfectGrid1->Rows()) return;
    const bool damaged = PerfectGrid1->CellText(kColStatus, row) == "1";
    TColor fore = ConnectMode == 0 ? TColor(SystemDef.ActiveColor) : kServerHighlight;
    if (CheckUpdateNeeded(row, false)) fore = kGrey;
    else if (damaged) fore = PerfectGrid1->ForeColor();
    PerfectGrid1->SetRowForeColor(row, fore);
    UpdateFunctionKeys();
  };
  PerfectGrid1->OnCellLostFocus = [this](QObject*, int, int row) {
    if (row < 0 || row >= PerfectGrid1->Rows()) return;
    PerfectGrid1->SetRowForeColor(row, CheckUpdateNeeded(row, false) ? kGrey : PerfectGrid1->ForeColor());
  };
  PerfectGrid1->OnCellClick = [this](QObject*, int col, int row) {
    if (row == TPerfectGrid::kHeadingRow) SortByColumn(col);
    else if (col == kColLockPic && ConnectMode != 0) LockCellClick(row);
  };
  PerfectGrid1->OnDblClick = [this](QObject*) {
    if (PerfectGrid1->Row() != TPerfectGrid::kNoRow) F12Click(KeyButtons[kF12]);
  };
  PerfectGrid1->OnKeyDown = [this](QObject*, int& key, TShiftState shift) { GridKeyDown(key, shift); };
  IncSerchTimer->OnTimer = [this](QObject* s) { IncSerchTimerTimer(s); };

  KeyButtons[kEsc]->OnClick = [this](QObject* s) { EscClick(s); };
  KeyButtons[kF1]->OnClick = [this](QObject*) {
    if (!KeyOffered(KeyButtons[kF1])) return;
    ShowHtmlManual("file01.html");
    UpdateFunctionKeys();
  };
  for (int k = kF2; k <= kF7; ++k) KeyButtons[k]->OnClick = [this](QObject* s) { NotYetClick(s); };
  KeyButtons[kF3]->OnClick = [this](QObject* s) { F3Click(s); };
  KeyButtons[kF4]->OnClick = [this](QObject*) {
    if (!KeyOffered(KeyButtons[kF4])) return;
    if (KeyButtons[kF4]->CaptionA().Caption() == "F4:領域追加") AddDataArea();
    else ReleaseSharedData();
    UpdateFunctionKeys();
  };
  KeyButtons[kF2]->OnClick = [this](QObject*) {
    if (!KeyOffered(KeyButtons[kF2])) return;
    // The paste's refusals and failures that raise end here with their message; the
    // operation has taken its marks back by then.
    try {
      if (KeyState == 1) {
        CopyPending = true;
        DataCopyPaste();
      } else if (KeyState == 2) {
        CopyPending = false;
        try {
          DataCopyPaste();
        } catch (...) {
          CopySourceFolder.clear();
          throw;
        }
        CopySourceFolder.clear();
      }
    } catch (const std::exception& e) {
      uis::ShowMessage(uis::MsgKind::Error, e.what());
    }
    PerfectGrid1->SetFocus();
    UpdateFunctionKeys();
  };
  KeyButtons[kF5]->OnClick = [this](QObject*) {
    if (!KeyOffered(KeyButtons[kF5])) return;
    try {
      DataDelete(true);
    } catch (const std::exception& e) {
      uis::ShowMessage(uis::MsgKind::Error, e.what());
    }
    UpdateFunctionKeys();
  };
  KeyButtons[kF6]->OnClick = [this](QObject* s) { F6Click(s); };
  KeyButtons[kF7]->OnClick = [this](QObject* s) { F7Click(s); };
  KeyButtons[kF8]->OnClick = [this](QObject* s) { DataListPrint(s); };
  KeyButtons[kF12]->OnClick = [this](QObject* s) { F12Click(s); };
  btnKyoyuDataUp->OnClick = [this](QObject* s) { btnKyoyuDataUpClick(s); };
  btnKyoyuDataDown->OnClick = [this](QObject* s) { btnKyoyuDataDownClick(s); };
  btnListUpdate->OnClick = [this](QObject* s) { btnListUpdateClick(s); };
  btnDataMan->OnClick = [this](QObject* s) { btnDataManClick(s); };
  btnDataInfo->OnClick = [this](QObject* s) { btnDataInfoClick(s); };
  cmbDataMan->OnChange = [this](QObject* s) { cmbDataManChange(s); };
  btnSearch->OnClick = [this](QObject* s) { btnSearchClick(s); };
  btnSearchCancel->OnClick = [this](QObject* s) { btnSearchCancelClick(s); };
  cboxKyoyuDataAuto->OnClick = [this](QObject* s) { cboxKyoyuDataAutoClick(s); };
  OnCloseQuery = [this](QObject* s, bool& canClose) { FormCloseQuery(s, canClose); };

  FCreatedOK = true;
}

void TDataSentakuBox::FormDestroy(QObject* Sender) {
  DbUpdateBox.reset();
  ListCtl.reset();
  TBSDI::FormDestroy(Sender);
}

// ---------------------------------------------------------------------------------------
// Module interface

void TDataSentakuBox::SetParams(const std::vector<std::string>& Params) {
  ParamLines = Params;
  auto value = [this](const char* name, std::string& out) {
    for (const std::string& line : ParamLines) {
      const auto eq = line.find('=');
      const std::string key = eq == std::string::npos ? line : line.substr(0, eq);
      if (QString::fromStdString(key).compare(QString::fromLatin1(name), Qt::CaseInsensitive) == 0) {
        out = eq == std::string::npos ? std::string() : line.substr(eq + 1);
        return true;
      }
    }
    return false;
  };
  std::string v;
  int64_t n = 0;
  if (value("SyoriType", v) && ToInt(v, n) && n >= 0) {
    if (n > 5) throw std::runtime_error(kTypeOutOfRange);
    SyoriType = static_cast<uint8_t>(n);
  }
  // Only modal runs are made here (FormStyle 2); the style is a normal window in every case.
  if (value("FormStyle", v)) SetFormStyle(fsNormal);

  CallerJoken = TDataKensakuRec{};
  CallerJoken.OPCODE = SystemDef.LogonId;
  CallerJoken.LISTTYPE = 0;
  if (value("JyokenSet", v)) {
    CallerJoken.JYOKENUSE = 1;
    if (value("DataType", v)) CallerJoken.DATATYPE = ToInt(v, n) ? static_cast<int32_t>(n) : 0;
    if (value("CodeType", v)) CallerJoken.CODETYPE = ToInt(v, n) ? static_cast<int32_t>(n) : 0;
    if (value("DataVer", v)) {
      CallerJoken.DATAVER = v;
      CallerJoken.DataVerMode = 0;
    }
    if (value("DataVerMajor", v)) {
      CallerJoken.DATAVER = v;
      CallerJoken.DataVerMode = 1;
      CallerJoken.DataVerText.clear();
    }
    if (value("DataVerMore", v)) {
      CallerJoken.DATAVER = v;
      CallerJoken.DataVerMode = 2;
      CallerJoken.DataVerText.clear();
    }
    if (value("ManualFree", v) && v == "1") FKeepOnClose = true;
  }
  BackupMode = 0;
  BackupFolder.clear();
  if (SyoriType == 5) {
    if (value("OnlySA_Syori", v)) BackupMode = v == "Restore" ? 1 : 0;
    if (value("OnlySA_BackupPath", v)) BackupFolder = v;
  }
}

int32_t TDataSentakuBox::Execute(bool Modal) {
  Screen().SetCursor(crDefault);
  if (!Modal) {
    Show();
    return 1;
  }
  if (!FSkipOpenCheck && MenuHook && MenuHook(10, "") > 0) {
    uis::ShowMessage(uis::MsgKind::Warning, kOtherWindows);
    return -1;
  }
  if (!FCreatedOK) {
    ReportInitFailed();
    return -1;
  }
  SetFormPosition(0, 0, 0, 0, 3);
  Prepared = 1;
  if (SyoriType == 2 || SyoriType == 5) {
    FMenuLink = false;
    SystemDef.ModuleResultText.clear();
  }
  Reload();
  FSetupPending = false;
  return ShowModal();
}

void TDataSentakuBox::CMShowingChanged() {
  TBSDI::CMShowingChanged();
  if (!FCreatedOK) {
    ReportInitFailed();
    Close();
    return;
  }
  if (!Showing()) return;
  repaint();
  LocateSelected();
  PerfectGrid1->SetFocus();
  UpdateFunctionKeys();
}

// ---------------------------------------------------------------------------------------
// The list

void TDataSentakuBox::Reload() {
  LoadHints();
  FillPlaceCombo();
  EditJoken = TDataKensakuRec{};
  EditJoken.OPCODE = SystemDef.LogonId;
  KensakuBox->SelectRecord(EditJoken);
  ActiveJoken = EditJoken;
  if (ActiveJoken.JYOKENUSE == 0) {
    ActiveJoken.DATATYPE = ActiveJoken.CODETYPE = ActiveJoken.TANTO = 0;
    ActiveJoken.DATACODE.clear();
    ActiveJoken.DATANAME.clear();
    ActiveJoken.DATAVER.clear();
    ActiveJoken.SEIHINNAME.clear();
  }
  if (CallerJoken.JYOKENUSE == 1) {
    CallerJoken.SORTCOL = EditJoken.SORTCOL;
    CallerJoken.SORTTYPE = EditJoken.SORTTYPE;
    ActiveJoken = CallerJoken;
  }
  btnSearchCancel->SetEnabled(ActiveJoken.JYOKENUSE == 1);
  // 0 is "not set": the list's own order by number, which a click on "No" then sorts up.
  SortCol = ActiveJoken.SORTCOL == 0 ? -1 : ActiveJoken.SORTCOL;
  SortDesc = ActiveJoken.SORTTYPE != 0;
  if (LoadList() > 0) {
    FillGrid(-1);
    settingCheck_ = true;
    cboxKyoyuDataAuto->SetChecked(SystemDef.R4Bit2 == 1);
    settingCheck_ = false;
    StartFolder = SystemDef.DataDir;
    CancelledByEsc = false;
  }
}

int32_t TDataSentakuBox::LoadList() {
  ListCtl->SetDataPlaceRec(ConnectMode == 0 ? 0 : DataPlaceNo);
  uint8_t kind = 1;
  switch (SortCol) {
    case 1: kind = 7; break;
    case 2: kind = 2; break;
    case 3: kind = 3; break;
    case 4: kind = 4; break;
    case 5: kind = 5; break;
    case 6: kind = 6; break;
    default: kind = 1; break;
  }
  ListCtl->Execute(0, kind, SortDesc, "");
  Rows = ListCtl->Rows;
  BuildDispList();
  return static_cast<int32_t>(Rows.size());
}

void TDataSentakuBox::BuildDispList() {
  DispRows.clear();
  for (size_t i = 0; i < Rows.size(); ++i)
    if (DataSentakuRowPasses(ActiveJoken, Rows[i])) DispRows.push_back(static_cast<int32_t>(i));
}

void TDataSentakuBox::FillGrid(int32_t index) {
  TPerfectGrid* g = PerfectGrid1;
  if (index < 0) {
    g->SetRedraw(false);
    g->DeleteAllRows();
    for (int c = 0; c <= kColVer; ++c) g->SetSortMark(c, gsNone);
    const int markCol = SortCol > 0 && SortCol <= kColVer ? SortCol : 0;
    g->SetSortMark(markCol, SortDesc ? gsDescending : gsAscending);
    if (ConnectMode == 0) g->SetCellText(kColSharePic, TPerfectGrid::kHeadingRow, "共有");
    else g->SetCellText(kColLockPic, TPerfectGrid::kHeadingRow, "鍵");
    const int shown = std::min<int>(static_cast<int>(DispRows.size()), g->MaxRows() - 1);
    g->InsertRows(0, shown);
    GridRowCounter = 0;
    for (int i = 0; i < shown; ++i) FillGrid(i);
    g->SetRedraw(true);
    if (g->Rows() > 0) g->SetCurCell(0, 0);
    return;
  }
  if (index >= static_cast<int32_t>(DispRows.size())) return;
  const int32_t r = DispRows[index];
  TDataSentakuRec& rec = Rows[r];
  if (!IsParentKind(rec.GASSAN)) return;
  const int parentRow = GridRowCounter;
  auto shareState = [this](int row, const TDataListRec& x) {
    if (x.NETDRIVE == 1) SetShareCell(row, x.KYOYULOCK != 0);
  };
  g->SetCellText(kColIndex, parentRow, std::to_string(r));
  g->SetCellText(kColChild, parentRow, "0");
  FillRow(parentRow, rec);
  shareState(parentRow, rec);
  if (rec.ChildCount > 0) {
    TDataSentakuListCtl::SetChildDispNames(rec);
    g->InsertRows(parentRow + 1, rec.ChildCount);
    for (int k = 0; k < rec.ChildCount; ++k) {
      ++GridRowCounter;
      g->SetCellText(kColIndex, GridRowCounter, std::to_string(r));
      g->SetCellText(kColChild, GridRowCounter, std::to_string(k));
      FillRow(GridRowCounter, rec.Children[k]);
      g->SetCellText(kColNo, GridRowCounter, "");
      shareState(GridRowCounter, rec.Children[k]);
    }
  }
  ++GridRowCounter;
}

void TDataSentakuBox::SetShareCell(int row, bool taken) {
  PerfectGrid1->SetCellText(kColShare, row, taken ? "1" : "0");
  PerfectGrid1->SetCellPicture(kColSharePic, row, taken ? NoPicture() : SharePicture());
}

void TDataSentakuBox::SetLockCell(int row, int32_t lock) {
  PerfectGrid1->SetCellText(kColLock, row, std::to_string(lock));
  PerfectGrid1->SetCellPicture(kColLockPic, row, lock != 0 ? LockPicture() : NoPicture());
}

void TDataSentakuBox::FillRow(int row, const TDataListRec& rec) {
  TPerfectGrid* g = PerfectGrid1;
  const bool area = rec.ENTTEXT.empty() || IsAreaName(rec.ENTTEXT);
  g->SetCellText(kColNo, row, std::to_string(rec.REC));
  g->SetCellText(kColCode, row, rec.DATACODE);
  g->SetCellText(kColName, row, rec.DispName.empty() ? rec.ENTTEXT : rec.DispName);
  g->SetCellText(kColNendo, row, area ? std::string() : std::to_string(rec.NENDO) + " 期");
  g->SetCellText(kColKikan, row, area ? std::string("～") : rec.KikanText);
  g->SetCellText(kColFolder, row, ShortenRoot(rec.PASNAME, SystemDef.AppDataDir));
  g->SetCellText(kColVer, row, rec.VER_TEXT);
  SetLockCell(row, rec.DATALOCK);
  g->SetCellText(kColShare, row, "");
  g->SetCellPicture(kColSharePic, row, NoPicture());
  g->SetCellText(kColVerNo, row,
                 std::to_string(rec.VER_MAJOR) + "." + std::to_string(rec.VER_MINOR1) + "." + std::to_string(rec.VER_MINOR2));
  g->SetCellText(kColUpdate, row, std::to_string(rec.UPDATE_LOCK));
  g->SetCellText(kColGassan, row, std::to_string(rec.GASSAN));
  g->SetCellText(kColStatus, row, std::to_string(rec.DATA_STATUS));
  g->SetRowBackColor(row, rec.DATA_STATUS == 1 ? kDamagedBack : clDefault);
  g->SetRowForeColor(row, CheckUpdateNeeded(row, true) ? kGrey : g->ForeColor());
}

void TDataSentakuBox::LocateSelected() {
  TPerfectGrid* g = PerfectGrid1;
  const QString want = QString::fromStdString(WithoutTrailingSlash(SystemDef.DataDir));
  if (want.isEmpty()) return;
  for (int row = 0; row < g->Rows(); ++row) {
    if (QString::fromStdString(GetRowDataFolder(row)).compare(want, Qt::CaseInsensitive) != 0) continue;
    g->SetCurCell(0, row);
    if (row >= 6) g->SetTopRow(row - 6);
    return;
  }
}

void TDataSentakuBox::SortByColumn(int col) {
  if (col < 0 || col > kColVer) return;
  if (PerfectGrid1->Row() == TPerfectGrid::kNoRow) return;
  if (col == SortCol) SortDesc = !SortDesc;
  else SortDesc = false;
  SortCol = col;
  LoadList();
  FillGrid(-1);
  if (PerfectGrid1->Rows() > 0) PerfectGrid1->SetCurCell(0, 0);
}

void TDataSentakuBox::GridKeyDown(int& key, TShiftState shift) {
  if (key == VK_RETURN && !(shift & (ssShift | ssCtrl | ssAlt))) {
    key = 0;
    if (PerfectGrid1->Row() != TPerfectGrid::kNoRow) F12Click(KeyButtons[kF12]);
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
  SearchText += ch;
  if (SearchText.size() <= 8) {
    txtIncSerch->SetText(SearchText);
    txtIncSerch->SetBounds(PerfectGrid1->Left() + 4 + PerfectGrid1->Width() / 10, PerfectGrid1->Top() - 12, 80, 19);
    txtIncSerch->SetVisible(true);
  }
  int interval = IncSerchTimer->Interval();
  if (interval < 2000) interval = std::min(interval + 500, 1000);
  IncSerchTimer->SetInterval(interval);
  IncSerchTimer->SetEnabled(false);
  IncSerchTimer->SetEnabled(true);
}

void TDataSentakuBox::IncSerchTimerTimer(QObject*) {
  TPerfectGrid* g = PerfectGrid1;
  if (g->hasFocus() && g->Rows() > 0 && !SearchText.empty()) {
    const QString want = QString::fromStdString(SearchText).toUpper();
    const int current = g->Row() == TPerfectGrid::kNoRow ? -1 : g->Row();
    auto matches = [&](int row) { return QString::fromStdString(g->CellText(kColCode, row)).toUpper().startsWith(want); };
    int found = -1;
    for (int row = current + 1; row < g->Rows() && found < 0; ++row)
      if (matches(row)) found = row;
    for (int row = 0; row <= current && found < 0; ++row)
      if (matches(row)) found = row;
    if (found >= 0) g->SetCurCell(0, found);
  }
  IncSerchTimer->SetEnabled(false);
  IncSerchTimer->SetInterval(0);
  SearchText.clear();
  txtIncSerch->SetText("");
  txtIncSerch->SetVisible(false);
}

// ---------------------------------------------------------------------------------------
// Rows

TDataListRec& TDataSentakuBox::GetRowRecord(int row) {
  TPerfectGrid* g = PerfectGrid1;
  const int index = std::stoi("0" + g->CellText(kColIndex, row));
  const int gassan = std::stoi("0" + g->CellText(kColGassan, row));
  TDataSentakuRec& parent = Rows.at(index);
  if (IsParentKind(gassan)) return parent;
  return parent.Children.at(std::stoi("0" + g->CellText(kColChild, row)));
}

std::string TDataSentakuBox::GetRowDataFolder(int row) { return LocalDataFolder(GetRowRecord(row)); }

int TDataSentakuBox::GetParentRow(int row) {
  TPerfectGrid* g = PerfectGrid1;
  if (IsParentKind(std::stoi("0" + g->CellText(kColGassan, row)))) return row;
  const std::string index = g->CellText(kColIndex, row);
  for (int r = 0; r < g->Rows(); ++r)
    if (g->CellText(kColIndex, r) == index && g->CellText(kColChild, r) == "0" &&
        IsParentKind(std::stoi("0" + g->CellText(kColGassan, r))))
      return r;
  return row;
}

int32_t TDataSentakuBox::SharedDataKind(int mode, int index) {
  const TDataListRec* rec = nullptr;
  if (mode == 0) rec = &GetRowRecord(index);
  else if (mode == 1 && index >= 0 && index < static_cast<int>(Rows.size())) rec = &Rows[index];
  if (!rec) return 0;
  return rec->NETDRIVE != 1 ? 0 : (rec->KYOYULOCK == 0 ? 1 : 2);
}

int32_t TDataSentakuBox::GetDisplayIndex(int row) {
  const int32_t index = std::stoi("0" + PerfectGrid1->CellText(kColIndex, row));
  if (!btnSearchCancel->Enabled() && SyoriType != 3) return index;
  const auto it = std::find(DispRows.begin(), DispRows.end(), index);
  return it == DispRows.end() ? 0 : static_cast<int32_t>(it - DispRows.begin());
}

bool TDataSentakuBox::CheckUpdateNeeded(int row, bool recheck) {
  const std::string version = PerfectGrid1->CellText(kColVerNo, row);
  if (version.empty()) return false;
  bool needed = PerfectGrid1->CellText(kColUpdate, row) == "1";
  if (!recheck || !needed || !DbUpdateBox) return needed;
  DbUpdateBox->PrepareUpdate(1, version);
  needed = DbUpdateBox->UpdatePending();
  PerfectGrid1->SetCellText(kColUpdate, row, needed ? "1" : "0");
  return needed;
}

void TDataSentakuBox::MarkDamaged(int row) {
  GetRowRecord(row).DATA_STATUS = 1;
  PerfectGrid1->SetCellText(kColStatus, row, "1");
  PerfectGrid1->SetRowBackColor(row, kDamagedBack);
}

void TDataSentakuBox::EmptyRow(TDataListRec& rec) {
  TDataListRec empty;
  empty.REC = rec.REC;
  empty.ROWNO = rec.ROWNO;
  empty.NETDRIVE = rec.NETDRIVE;
  empty.PASNAME = rec.PASNAME;
  empty.DataFolder = rec.DataFolder;
  empty.GROUPID = SystemDef.GroupId;
  empty.NENDO = 1;
  if (rec.NETDRIVE == 1) {
    empty.ENTTEXT = kFreeAreaName;
    empty.DispName = kFreeAreaName;
    empty.KYOYULOCK = 1;
  }
  rec = empty;
}

void TDataSentakuBox::RefreshRows(int row) {
  TPerfectGrid* g = PerfectGrid1;
  if (row < 0) {
    if (ConnectMode == 1 || ConnectMode == 2) {
      uis::Ui().ProgressText("データリストの更新中…");
      try {
        ListCtl->RenumberDataListRecord();
        const int current = g->Row();
        const int top = g->TopRow();
        const TDataListRec rec = current != TPerfectGrid::kNoRow ? GetRowRecord(current) : TDataListRec{};
        LoadList();
        FillGrid(-1);
        g->SetTopRow(top);
        for (int r = 0; r < g->Rows(); ++r)
          if (g->CellText(kColNo, r) == std::to_string(rec.REC)) {
            g->SetCurCell(0, r);
            break;
          }
      } catch (const std::exception& e) {
        ReportFailure(e, "TDataSentakuBox.DataListRefresh", "データリストの更新に失敗しました。");
      }
    }
    for (int r = 0; r < g->Rows(); ++r) {
      uis::Ui().ProgressText("データリスト（" + std::to_string(r + 1) + "行目）の更新中…");
      RefreshRows(r);
      uis::Ui().ProcessPendingEvents();
    }
    return;
  }
  if (row >= g->Rows()) return;
  TDataListRec& rec = GetRowRecord(row);
  if (rec.DATA_STATUS == 1) {
    MarkDamaged(row);
    return;
  }
  const int gassan = std::stoi("0" + g->CellText(kColGassan, row));
  if (!IsParentKind(gassan) && gassan != kChildKind) return;
  const std::string folder = GetRowDataFolder(row);
  const std::string file = WithoutTrailingSlash(folder) + "/" + DataFileName();
  const bool named = !g->CellText(kColName, row).empty();
  const bool exists = ConnectMode == 0 ? fs::exists(file) : (DM && DM->FExist(file, ConnectMode));
  if (exists) {
    TDataInfomationRec info;
    DataInfo.ReadDataInfo(folder, info);
    bool read = true;
    if (ConnectMode == 0) {
      read = DataInfo.GetDataInfoOfFolder(folder, info) == 1;
      if (read) {
        DataInfo.WriteIniValue(folder, "DATASTS", false, static_cast<int64_t>(info.UPDATE_LOCK), "UPDATE_LOCK");
        DataInfo.WriteIniFile(folder, "DATAINFO", info);
      }
    }
    if (read) {
      ListCtl->SetFromDataInfo(info, rec);
      if (IsParentKind(gassan)) rec.GASSAN = info.GASSANKBN;
      ListCtl->UpdateDataListRecord(rec, 1, true);
    } else if (SystemDef.DataCheckFailed == 1) {
      rec.DATA_STATUS = 1;
    }
  } else {
    std::error_code ec;
    if (ConnectMode == 0 && rec.NETDRIVE == 0) fs::remove(TDataInfomation::IniFileName(folder), ec);
    if (named && IsParentKind(gassan)) {
      auto& parent = static_cast<TDataSentakuRec&>(rec);
      EmptyRow(rec);
      parent.ChildCount = 0;
      parent.Children.clear();
      ListCtl->UpdateDataListRecord(rec, 1, true);
    }
  }
  FillRow(row, rec);
}

void TDataSentakuBox::LockCellClick(int row) {
  if (row < 0 || row >= PerfectGrid1->Rows()) return;
  const std::string folder = GetRowDataFolder(row);
  const uint8_t s = CheckDataStatus(folder, false, false);
  if (s == 0) return;
  auto holderLines = [&](int32_t opCode, const std::string& name) {
    return std::vector<std::string>{"【データフォルダ】", "　" + folder, "", "【オペレータ】", "　" + std::to_string(opCode),
                                    "", "【オペレータ名】", "　" + name};
  };
  TMessageInfoRec info;
  InitMessageInfo(info);
  info.Kind = 1;
  if (s > 3) {
    std::string name;
    DataStatusName(s, name);
    info.Caption = "選択データの状態";
    info.Message = "このデータは" + name + "のため処理が行えません。";
    info.Lines = holderLines(OperatorCodeOf(DataInfoRec.OPCODE, SystemDef.GroupId), DataInfoRec.OPERATOR);
    ShowMessageBox(info);
    return;
  }
  int32_t value = std::stoi("0" + PerfectGrid1->CellText(kColLock, row));
  if (value != 0) {
    if (DataInfoRec.STATUS == 3 && DataInfoRec.OPCODE != SystemDef.LogonId) {
      info.Caption = "ロックデータの状態";
      info.Message = "このデータは違うオペレータによりロックされているため解除は行えません。";
      info.Lines = holderLines(OperatorCodeOf(DataInfoRec.OPCODE, SystemDef.GroupId), DataInfoRec.OPERATOR);
      ShowMessageBox(info);
      return;
    }
    SetDataStatus(folder, 1);
    value = 0;
  } else {
    SetDataStatus(folder, 3);
    value = OperatorCodeOf(SystemDef.LogonId, SystemDef.GroupId);
  }
  TDataListRec& rec = GetRowRecord(row);
  rec.DATALOCK = value;
  SetLockCell(row, value);
  if (TrimZenkaku(rec.PASNAME).empty()) {
    uis::ShowMessage(uis::MsgKind::Error, kBadFolder);
    return;
  }
  ListCtl->UpdateDataListRecord(rec, 1, true);
}

void TDataSentakuBox::btnListUpdateClick(QObject*) {
  if (!PerfectGrid1->Enabled()) {
    TMessage2InfoRec info;
    InitMessage2Info(2, info);
    info.Lines[0].Text = "データリストが応答状態ではないので処理は行えません。";
    ShowMessage2(info);
    return;
  }
  if (uis::ShowMessage(uis::MsgKind::Confirmation, "データリストの更新をおこないます。\rよろしいですか？", {},
                       uis::Buttons::YesNo, uis::mrYes) == uis::mrYes) {
    uis::Ui().ProgressShow("更新中", "データリストの更新中…");
    try {
      RefreshRows(-1);
    } catch (...) {
      uis::Ui().ProgressClose();
      throw;
    }
    uis::Ui().ProgressClose();
  }
  PerfectGrid1->SetFocus();
  UpdateFunctionKeys();
}

// ---------------------------------------------------------------------------------------
// The choice

void TDataSentakuBox::ClearChoice() {
  WorkFolder.clear();
  WorkPath.clear();
  SetModalResult(mrNone);
}

void TDataSentakuBox::WriteSelected() {
  SystemDef.DataDir = WorkFolder;
  SystemDef.DataPasName = WorkPath;
}

void TDataSentakuBox::F12Click(QObject*) {
  SetModalResult(mrNone);
  SystemDef.DataCheckFailed = 0;
  if (!KeyOffered(KeyButtons[kF12])) return;
  const int row = PerfectGrid1->Row();
  if (row == TPerfectGrid::kNoRow || row < 0 || row >= PerfectGrid1->Rows()) return;
  const TDataListRec rec = GetRowRecord(row);
  WorkFolder = GetRowDataFolder(row);
  WorkPath = rec.PASNAME;

  if (SyoriType == 2 || SyoriType == 4) {
    if (WorkFolder == SystemDef.DataDir) {
      uis::ShowMessage(uis::MsgKind::Information, kCurrentData);
      ClearChoice();
      return;
    }
    int32_t r = -1;
    try {
      r = CheckDataFolder(WorkFolder);
    } catch (const std::exception& e) {
      uis::ShowMessage(uis::MsgKind::Error, e.what());
      r = -1;
    }
    if (r < 0) {
      ClearChoice();
    } else if (r == 0) {
      SystemDef.ModuleResultText = "PATH1=" + WorkFolder + "\rPATH2=" + WorkPath;
      SetModalResult(mrOk);
    } else {
      uis::ShowMessage(uis::MsgKind::Information, kDataExists);
      ClearChoice();
    }
    return;
  }

  if (rec.NETDRIVE == 1 && rec.KYOYULOCK == 0 && SystemDef.R4Bit2 != 1) {
    uis::ShowMessage(uis::MsgKind::Information, kOnServer);
    ClearChoice();
    return;
  }
  if (rec.NETDRIVE == 1 && rec.KYOYULOCK == 0 && SyoriType != 5 && KyoyuDataGet(1) < 1) {
    // Shared data on the server with the automatic setting on is fetched without a question.
    ClearChoice();
    return;
  }
  int32_t r = -1;
  try {
    r = CheckDataFolder(WorkFolder);
  } catch (const std::exception&) {
    r = (DM && DM->CallDataCheckHook(SystemDef.HostName, WorkFolder, 0, 0) == 0) ? -3 : -1;
  }
  if (r < 0) {
    if (r == -3) MarkDamaged(row);
    ClearChoice();
    return;
  }
  if (SyoriType == 5) {
    TransferChoice(row, r);
    return;
  }
  if (r == 0) {
    std::error_code ec;
    fs::create_directories(WorkFolder, ec);
    if (uis::ShowMessage(uis::MsgKind::Confirmation, kCreateNew, {}, uis::Buttons::YesNo, uis::mrYes) == uis::mrYes)
      NewDataCreate();
    ClearChoice();
    return;
  }
  if ((SyoriType == 0 || SyoriType == 1) && PerfectGrid1->CellText(kColUpdate, row) != "0") {
    TMessage2InfoRec info;
    info.MessageNo = 0x1011;
    ShowMessage2(info);
    ClearChoice();
    return;
  }
  WriteSelected();
  SetModalResult(mrOk);
}

int32_t TDataSentakuBox::CheckDataFolder(const std::string& folder) {
  const std::string f = TrimZenkaku(folder);
  if (f.empty()) {
    if (SyoriType == 3) return -2;
    throw std::runtime_error(kBadFolder);
  }
  const std::string file = WithoutTrailingSlash(f) + "/" + DataFileName();
  if (ConnectMode == 0) {
    if (SyoriType != 5) {
      const bool quietCheck = SyoriType == 2 || SyoriType == 4;
      const uint8_t s = CheckDataStatus(f, false, !quietCheck);
      if (s != 1) return SystemDef.DataCheckFailed == 1 ? -3 : -1;
    }
    std::error_code ec;
    return fs::exists(file, ec) ? 1 : 0;
  }
  if (ConnectMode == 1 || ConnectMode == 2) {
    if (SyoriType == 2 || SyoriType == 4) return (DM && DM->FExist(file, ConnectMode)) ? 1 : 0;
    if (SyoriType == 5) return -1;
    const uint8_t s = CheckDataStatus(f, true, true);
    if (s != 1 && s != 2) return SystemDef.DataCheckFailed == 1 ? -3 : -1;
    if (DM && DM->FExist(file, ConnectMode)) return 1;
    uis::ShowMessage(uis::MsgKind::Warning, kNoAccData);
    return -1;
  }
  uis::ShowMessage(uis::MsgKind::Error, "製品タイプ不整合のためデータを起動できませんでした。\r");
  return -1;
}

uint8_t TDataSentakuBox::CheckDataStatus(const std::string& folder, bool warnIfEmpty, bool showRefusal) {
  const std::string file = WithoutTrailingSlash(folder) + "/" + DataFileName();
  const bool exists = ConnectMode == 0 ? fs::exists(file) : (DM && DM->FExist(file, ConnectMode));
  if (!exists) {
    if (warnIfEmpty) {
      uis::ShowMessage(uis::MsgKind::Warning, kNoAccData);
      return 0;
    }
    return 1;
  }
  DataInfo.ReadDataInfo(folder, DataInfoRec);
  const uint8_t s = DataInfoRec.STATUS;
  const bool allowed = ConnectMode == 0 ? s == 1 : ((ConnectMode == 1 || ConnectMode == 2) && (s == 1 || s == 2));
  if (s == 0 || s == 10 || !showRefusal || allowed) return s;
  std::string name;
  DataStatusName(s, name);
  TMessageInfoRec info;
  InitMessageInfo(info);
  info.Kind = 1;
  info.Caption = "選択データの状態";
  info.Message = "このデータは" + name + "のため処理が行えません。";
  if (s == 2) info.Message += "\r前回、異常終了した場合は情報ボタンを押してデータの状態をクリアして下さい。";
  info.MessageColor = kDamagedBack;
  info.Lines = {"【データフォルダ】",
                "　" + folder,
                "",
                "【オペレータ】",
                "　" + std::to_string(OperatorCodeOf(DataInfoRec.OPCODE, SystemDef.GroupId)),
                "",
                "【オペレータ名】",
                "　" + DataInfoRec.OPERATOR};
  ShowMessageBox(info);
  return s;
}

void TDataSentakuBox::SetDataStatus(const std::string& folder, uint8_t status) { DataInfo.SetStatus(folder, status); }

// ---------------------------------------------------------------------------------------
// Keys and buttons

void TDataSentakuBox::UpdateFunctionKeys() {
  if (!FCreatedOK) return;
  TDataSentakuKeyInput in;
  in.ConnectMode = ConnectMode;
  in.SyoriType = SyoriType;
  in.ProgramKind = ProgramKind;
  in.GridActive = ActiveControl() == PerfectGrid1;
  in.GridEnabled = PerfectGrid1->Enabled();
  const int row = PerfectGrid1->Row();
  in.HasRow = row != TPerfectGrid::kNoRow && row >= 0 && row < PerfectGrid1->Rows();
  in.CopyPending = CopyPending;
  in.AutoChecked = cboxKyoyuDataAuto->Checked();
  in.AutoVisible = cboxKyoyuDataAuto->Visible();
  in.ShareUpEnabled = btnKyoyuDataUp->Enabled();
  in.ShareDownEnabled = btnKyoyuDataDown->Enabled();
  if (in.GridActive) LoadHints();
  if (in.HasRow) {
    in.Row = GetRowRecord(row);
    in.ParentGassan = Rows.at(std::stoi("0" + PerfectGrid1->CellText(kColIndex, row))).GASSAN;
  }
  const TDataSentakuKeyOutput out = DataSentakuKeys(in);
  KeyState = out.KeyState;
  if (in.CopyPending && in.GridActive && in.HasRow)
    PerfectGrid1->SetHint(
        "貼り付け先を選択して［F2］を押します。|貼り付け先を選択して［F2］を押します。\r\nｺﾋﾟｰ処理を中断する場合は［ESC］を押します。");
  btnKyoyuDataUp->SetEnabled(out.ShareUpEnabled);
  btnKyoyuDataDown->SetEnabled(out.ShareDownEnabled);
  if (SyoriType == 3 || ProgramKind == 3) {
    btnSearch->SetEnabled(false);
    btnSearchCancel->SetEnabled(false);
  }
  for (int k = 0; k < kKeyCount; ++k) KeyButtons[k]->CaptionA().SetCaption(out.Captions[k]);
  if (in.GridActive) ShowLongHint(PerfectGrid1, HintArea);
}

void TDataSentakuBox::LoadHints() {
  cboxKyoyuDataAuto->SetHint(
      "ﾁｪｯｸを入れると取得・保管ﾎﾞﾀﾝを使わずに共有ﾃﾞｰﾀを処理できます。空白行に共有ﾃﾞｰﾀを割り当てる場合やLANから切り離してﾃﾞｰﾀ持ち出す場合はﾁｪｯｸを外してください。|");
  btnKyoyuDataUp->SetHint("選択した共有ﾃﾞｰﾀを他のPCで使用可能にします。保管を行うと［共有］欄にｱｲｺﾝが付きます。|");
  btnKyoyuDataDown->SetHint(
      "空白行を選択してｸﾘｯｸすると［共有ﾃﾞｰﾀの選択］画面が開きます。共有ﾃﾞｰﾀ行を選択してｸﾘｯｸすると選択可能になります。（［共有］欄のｱｲｺﾝが外れます。）|");
  btnSearchCancel->SetHint("検索状態を解除します。|");
  btnSearch->SetHint("［検索条件の設定］画面を開きます。一定条件に該当するﾃﾞｰﾀを抽出表示する場合に使用します。|");
  btnDataInfo->SetHint(
      "「ﾃﾞｰﾀの詳細情報」画面を開きます。入力済み仕訳件数や部門・本支店の設定状況など、選択ﾃﾞｰﾀの基本情報を表示します。|「ﾃﾞｰﾀの詳細情報」画面を開きます。入力済み仕訳件数や部門・本支店の設定状況など、選択ﾃﾞｰﾀの基本情報を表示します。\r\nﾃﾞｰﾀ選択画面におけるﾃﾞｰﾀの表示名を変更することも可能です。");
  btnListUpdate->SetHint(
      "ﾃﾞｰﾀﾘｽﾄを更新します。［F5：ﾃﾞｰﾀ削除］や［F7：復元］などの機能を使わずに移行したﾃﾞｰﾀを再表示します。|ﾃﾞｰﾀﾘｽﾄを更新します。入力済み仕訳件数や部門・本支店の設定状況など、選択ﾃﾞｰﾀの基本情報を表示します。\r\nﾃﾞｰﾀ選択画面におけるﾃﾞｰﾀの表示名を変更することも可能です。");
  cmbDataMan->SetHint(
      "データの場所を選択します。|データの場所をドロップダウンリストより選択します。選択された場所のデータリストが表示されます。");
  btnDataMan->SetHint("データの場所を設定します。|データの場所を設定する画面が開きます。");
  if (SyoriType == 5) return;
  const std::string head = "［ENTER］又はﾀﾞﾌﾞﾙｸﾘｯｸ又は［F12］で選択します。\r\n";
  const std::string empty4 = "［ENTER］又はﾀﾞﾌﾞﾙｸﾘｯｸ又は［F12］で空いている行を選択します。\r\n";
  const std::string shared =
      "共有ﾃﾞｰﾀを処理する場合は［共有取得］、取得した共有ﾃﾞｰﾀを他のｵﾍﾟﾚｰﾀが使えるようにする場合は［共有保管］をｸﾘｯｸします。";
  std::string tail;
  if (SyoriType == 4) {
    tail = empty4;
  } else if (SyoriType == 2) {
    if (ConnectMode == 0)
      tail = head + "［F7］で作成済みのﾃﾞｰﾀを復元してください。\r\n選択ﾃﾞｰﾀを削除する場合は［F5］、ﾌﾗｯｼｭﾒﾓﾘなどのﾒﾃﾞｨｱに保存する場合は［F6］を押します。\r\n" +
             shared;
    else if (ConnectMode == 1)
      tail = head;
    else
      tail = head + "［F7］で作成済みのﾃﾞｰﾀを復元してください。\r\n選択ﾃﾞｰﾀを削除する場合は［F5］を、ﾌﾗｯｼｭﾒﾓﾘなどのﾒﾃﾞｨｱに保存する場合は［F6］を押します。";
  } else {
    if (ConnectMode == 0)
      tail = head +
             "空白行は選択できません。［F3］で新規にﾃﾞｰﾀを作成するか、又は［F7］で作成済みのﾃﾞｰﾀを復元してください。\r\n選択ﾃﾞｰﾀを削除する場合は［F5］、ﾌﾗｯｼｭﾒﾓﾘなどのﾒﾃﾞｨｱに保存する場合は［F6］を押します。\r\n" +
             shared;
    else if (ConnectMode == 1)
      tail = head + "空白行は選択できません。";
    else
      tail = head +
             "空白行は選択できません。［F3］で新規にﾃﾞｰﾀを作成するか、又は［F7］で作成済みのﾃﾞｰﾀを復元してください。\r\n選択ﾃﾞｰﾀを削除する場合は［F5］を、ﾌﾗｯｼｭﾒﾓﾘなどのﾒﾃﾞｨｱに保存する場合は［F6］を押します。";
  }
  PerfectGrid1->SetHint(kGridHintHead + tail);
}

void TDataSentakuBox::EscClick(QObject*) {
  if (CopyPending) {
    CopyPending = false;
    if (!CopySourceFolder.empty()) SetDataStatus(CopySourceFolder, 1);
    CopySourceFolder.clear();
    UpdateFunctionKeys();
    return;
  }
  CancelledByEsc = true;
  SetModalResult(mrCancel);
}

void TDataSentakuBox::NotYetClick(QObject* Sender) {
  auto* key = dynamic_cast<TxPlButton*>(Sender);
  if (key && std::find(KeyButtons.begin(), KeyButtons.end(), key) != KeyButtons.end() && !KeyOffered(key)) return;
  uis::ShowMessage(uis::MsgKind::Information, kNotYet);
  UpdateFunctionKeys();
}

void TDataSentakuBox::DataListPrint(QObject*) {
  if (!KeyOffered(KeyButtons[kF8])) return;
  if (PerfectGrid1->Rows() <= 0) {
    uis::ShowMessage(uis::MsgKind::Information, "データリストが絞り込みにより表示されていません。\r");
    UpdateFunctionKeys();
    return;
  }
  TDefaultPrintRec rec;
  SetDefaultPrintRec(rec);
  rec.Name = "DataSentakuList";
  auto* dlg = CreateForm<TDataSentakuPrintDlg>(this);
  dlg->Reserved = 0;
  dlg->StyleStorage = false;  // the data-list print dialog keeps its row itself
  dlg->Rec = &rec;
  dlg->CaptionText = "データリストの印刷";
  dlg->Message = "データリストを印刷します。";
  dlg->MessageColor = clWindowText;
  dlg->GuideText =
      "［OK］を押すとﾃﾞｰﾀ選択ﾘｽﾄの印刷を実行します。印刷ｲﾒｰｼﾞを確認する場合は［ﾌﾟﾚﾋﾞｭｰ］を押します。";
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
    pr.ListKind = 0;
    pr.Rows = Rows;
    pr.DispRows = DispRows;
    pr.Orientation = orientation;
    pr.Execute(result == 1);
  }
  UpdateFunctionKeys();
}

void TDataSentakuBox::btnSearchClick(QObject*) {
  KensakuBox->ListType = 0;
  KensakuBox->KensakuRec = EditJoken;
  KensakuBox->Setup(1);
  if (KensakuBox->ShowModal() == mrOk) {
    EditJoken = KensakuBox->KensakuRec;
    KensakuBox->UpdateRecord(EditJoken);
    ActiveJoken = EditJoken;
    LoadList();
    FillGrid(-1);
    btnSearchCancel->SetEnabled(true);
  }
  PerfectGrid1->SetFocus();
  UpdateFunctionKeys();
}

void TDataSentakuBox::btnSearchCancelClick(QObject*) {
  ActiveJoken.JYOKENUSE = 0;
  ActiveJoken.DATATYPE = ActiveJoken.CODETYPE = ActiveJoken.TANTO = 0;
  ActiveJoken.DATACODE.clear();
  ActiveJoken.DATANAME.clear();
  ActiveJoken.DATAVER.clear();
  ActiveJoken.SEIHINNAME.clear();
  LoadList();
  FillGrid(-1);
  PerfectGrid1->SetFocus();
  btnSearchCancel->SetEnabled(false);
  UpdateFunctionKeys();
}

void TDataSentakuBox::cboxKyoyuDataAutoClick(QObject*) {
  if (settingCheck_) return;
  SystemDef.R4Bit2 = cboxKyoyuDataAuto->Checked() ? 1 : 0;
  PerfectGrid1->SetFocus();
  UpdateFunctionKeys();
}

void TDataSentakuBox::btnKyoyuDataDownClick(QObject*) {
  const int row = PerfectGrid1->Row();
  if (row == TPerfectGrid::kNoRow || row < 0 || row >= PerfectGrid1->Rows()) return;
  const TDataListRec& rec = GetRowRecord(row);
  if (rec.NETDRIVE == 1) {
    KyoyuDataGet(0);
  } else if (!PerfectGrid1->CellText(kColName, row).empty()) {
    uis::ShowMessage(uis::MsgKind::Information, "選択したフォルダには既にデータが登録されています。\r");
  } else {
    AssignSharedData(row);
  }
  UpdateFunctionKeys();
}

void TDataSentakuBox::AssignSharedData(int row) {
  if (!ServerBox) ServerBox = CreateForm<TServerSentakuBox>(this);
  ServerBox->DriveLetter = TrimZenkaku(SystemDef.ZenkaiDrive);
  ServerBox->Setup(0);
  if (ServerBox->ShowModal() == mrOk) {
    uis::Ui().ProgressShow("共有データ受信中", "共有データから受信中…");
    try {
      SystemDef.ZenkaiDrive = ServerBox->DriveLetter;
      if (DM) DM->fnPutSysDef();
      TDataSentakuRec& rec = Rows.at(std::stoi("0" + PerfectGrid1->CellText(kColIndex, row)));
      rec.NETDRIVE = 1;
      rec.PASNAME = ServerBox->SelectedPath;
      rec.ENTTEXT = ServerBox->SelectedName;
      rec.DispName = ServerBox->SelectedName;
      rec.DataFolder = LocalDataFolder(rec);
      if (ListCtl->CheckKyoyuDataGet(rec, 0) == 0) DataInfo.SetShareStatus(rec.PASNAME, 1);
      ListCtl->GetDataListRecordFromPath(rec.DataFolder, rec);
      FillRow(row, rec);
      PerfectGrid1->SetCurCell(0, row);
    } catch (...) {
      uis::Ui().ProgressClose();
      throw;
    }
    uis::Ui().ProgressClose();
  }
  show();
  activateWindow();
  raise();
}

void TDataSentakuBox::btnKyoyuDataUpClick(QObject*) {
  KyoyuDataPut(0);
  UpdateFunctionKeys();
}

int32_t TDataSentakuBox::KyoyuDataGet(int32_t automatic) {
  if (automatic != 1 &&
      uis::ShowMessage(uis::MsgKind::Confirmation, "共有データの取得を行います。よろしいですか？", {}, uis::Buttons::YesNo,
                       uis::mrYes) != uis::mrYes)
    return 0;
  const int row = PerfectGrid1->Row();
  if (row == TPerfectGrid::kNoRow || row < 0 || row >= PerfectGrid1->Rows()) return 0;
  const int parentRow = GetParentRow(row);
  const std::string index = PerfectGrid1->CellText(kColIndex, parentRow);
  TDataSentakuRec& parent = Rows.at(std::stoi("0" + index));
  uis::Ui().ProgressShow("共有データ受信中", "共有データから受信中…");
  int32_t result = 0;
  try {
    result = ListCtl->CheckKyoyuDataGet(parent, automatic);
  } catch (...) {
    uis::Ui().ProgressClose();
    throw;
  }
  if (result == 1) {
    for (int r = parentRow; r < PerfectGrid1->Rows() && PerfectGrid1->CellText(kColIndex, r) == index; ++r)
      SetShareCell(r, true);
    PerfectGrid1->SetCurCell(0, row);
  } else {
    DataInfo.SetShareStatus(LocalDataFolder(parent), 1);
  }
  uis::Ui().ProgressClose();
  return result;
}

int32_t TDataSentakuBox::KyoyuDataPut(int32_t automatic) {
  const int row = PerfectGrid1->Row();
  if (row == TPerfectGrid::kNoRow || row < 0 || row >= PerfectGrid1->Rows()) return 0;
  auto checkFails = [&](const std::string& folder, int32_t quiet) {
    return DM && DM->CallDataCheckHook(SystemDef.HostName, folder, quiet, 0) == 0;
  };
  if (checkFails(GetRowDataFolder(row), automatic == 1 ? 1 : 0)) {
    MarkDamaged(row);
    UpdateFunctionKeys();
    return 0;
  }
  const int parentRow = GetParentRow(row);
  const std::string index = PerfectGrid1->CellText(kColIndex, parentRow);
  TDataSentakuRec& parent = Rows.at(std::stoi("0" + index));
  bool broken = false;
  if (IsCombinedKind(parent.GASSAN)) {
    if (parent.DATA_STATUS == 1 || checkFails(LocalDataFolder(parent), 1)) {
      broken = true;
      MarkDamaged(parentRow);
    } else {
      for (int k = 0; k < parent.ChildCount && !broken; ++k) {
        TDataListRec& child = parent.Children[k];
        if (child.DATA_STATUS == 1 || checkFails(LocalDataFolder(child), 1)) {
          broken = true;
          child.DATA_STATUS = 1;
        }
      }
    }
  }
  // A broken member stops the put whether it was asked for or automatic: storing it would
  // hand damaged data to the other computers.
  if (broken) {
    if (automatic != 1) {
      TMessage2InfoRec info;
      InitMessage2Info(2, info);
      info.Lines[0].Text = "合算・分散データに破損したデータが存在するため、共有データの保管を中止します。";
      info.Lines[1].Text = "データのバックアップを行っている場合は、適正な方法で破損前の状態へ戻して下さい。";
      info.Lines[2].Text = "ご不明な点がございましたら、お問い合わせ先をご確認の上ご連絡下さい。";
      ShowMessage2(info);
    }
    UpdateFunctionKeys();
    return 0;
  }
  if (automatic != 1 &&
      uis::ShowMessage(uis::MsgKind::Confirmation, "共有データの保管を行います。よろしいですか？", {}, uis::Buttons::YesNo,
                       uis::mrYes) != uis::mrYes)
    return 0;
  uis::Ui().ProgressShow("共有データ送信中", "共有データへ送信中…");
  int32_t result = 0;
  try {
    result = ListCtl->CheckKyoyuDataPut(parent, automatic);
  } catch (...) {
    uis::Ui().ProgressClose();
    throw;
  }
  if (result == 1)
    for (int r = parentRow; r < PerfectGrid1->Rows() && PerfectGrid1->CellText(kColIndex, r) == index; ++r)
      SetShareCell(r, false);
  uis::Ui().ProgressClose();
  return result;
}

void TDataSentakuBox::FormKeyUp(QObject* Sender, int& Key, TShiftState Shift) {
  if (Key == VK_ESCAPE) {
    KeyButtons[kEsc]->Click();
    Key = 0;
  } else if (Key >= VK_F1 && Key <= VK_F8) {
    PressKey(Key);
  } else if (Key == VK_F12) {
    PressKey(VK_F12);
    Key = 0;
  }
  TBSDI::FormKeyUp(Sender, Key, Shift);
}

// ---------------------------------------------------------------------------------------
// Closing

void TDataSentakuBox::FormCloseQuery(QObject*, bool& CanClose) {
  CanClose = true;
  if ((SyoriType == 1 || SyoriType == 3) && ModalResult() != mrOk) {
    if (SyoriType == 1 && ModalResult() == mrCancel && !CancelledByEsc) {
      TMessage2InfoRec info;
      InitMessage2Info(3, info);
      info.Lines[0].Text = SystemDef.ProgramTitle + "を終了します。よろしいですか？";
      if (ShowMessage2(info) == mrOk) {
        SetModalResult(3);
      } else {
        SetModalResult(mrNone);
        CanClose = false;
      }
    } else {
      WorkFolder = WithoutTrailingSlash(StartFolder);
      WorkPath.clear();
      int32_t r = -1;
      try {
        r = CheckDataFolder(WorkFolder);
        if (r < 0) {
          WorkFolder.clear();
          if (SyoriType == 1) CanClose = false;
        } else if (r == 0) {
          uis::ShowMessage(uis::MsgKind::Information, kPrevDeleted);
          WorkFolder.clear();
          if (SyoriType == 1) CanClose = false;
        } else {
          WriteSelected();
        }
      } catch (const std::exception& e) {
        uis::ShowMessage(uis::MsgKind::Error, e.what());
        CanClose = false;
      }
    }
  } else if (SyoriType == 2) {
    if (DM && !DM->IBDatabaseDAT.Connected() && !SystemDef.DataDir.empty())
      DM->fnAccDatConnected(SystemDef.HostName, SystemDef.DataDir, false);
  }
  if (!CanClose) CancelledByEsc = false;
}

void TDataSentakuBox::FormClose(QObject* Sender, TCloseAction& Action) {
  TBSDI::FormClose(Sender, Action);
  if (CopyPending) {
    CopyPending = false;
    if (!CopySourceFolder.empty()) SetDataStatus(CopySourceFolder, 1);
  }
  ActiveJoken.SORTCOL = SortCol < 0 ? 0 : SortCol;
  ActiveJoken.SORTTYPE = SortDesc ? 1 : 0;
  if (DM) KensakuBox->UpdateRecordSortField(ActiveJoken);
  if (SyoriType == 5) return;
  SystemDef.DataPlaceRec = ConnectMode == 0 ? 0 : DataPlaceNo;
  if (SyoriType != 2 && DM) DM->fnPutSysDef();
}

void RegisterDataSentakuBox() { RegisterSyoriClass<TDataSentakuBox>("VqDataSenkaku"); }
