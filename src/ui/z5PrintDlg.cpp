#include "ui/z5PrintDlg.h"

#include <charconv>
#include <limits>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccFunction.h"
#include "data/uAccRecord.h"
#include "platform/AsciiCase.h"
#include "platform/db/TransactionScope.h"
#include "ui/forms/Application.h"
#include "ui/z5PrnColorSet.h"

using namespace forms;

namespace {

constexpr const char* kGetContext = "TPrintDlgBox.GetStyleColorRec";
constexpr const char* kPutContext = "TPrintDlgBox.PutStyleColorRec";
constexpr const char* kGetFailed = "ユーザー別帳票色情報の取得に失敗しました。";
constexpr const char* kPutFailed = "ユーザー別帳票色情報の更新に失敗しました。";

// A text's lines as a string list takes them: CR LF, LF and CR all end a line.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

// Blanks and control characters off both ends.
std::string TrimBlanks(std::string s) {
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The record

std::string PrintFontName(std::int32_t index) {
  if (index < 0 || index >= static_cast<std::int32_t>(PrintFontNames.size())) index = 0;
  return PrintFontNames[static_cast<std::size_t>(index)];
}

void SetDefaultPrintRec(TDefaultPrintRec& rec) {
  rec = TDefaultPrintRec{};
  rec.LineColor1 = SystemDef.PLineColor1;
  rec.LineColor2 = SystemDef.PLineColor2;
  rec.NetColor1 = SystemDef.NetColor1;
  rec.NetColor2 = SystemDef.NetColor2;
}

std::string MakeStyleName(std::string_view name, std::string_view prefix) {
  // The column holds 40 bytes: a longer name is cut there, never inside a character.
  return TrimBlanks(PadRightSJIS(std::string(prefix) + ascii::Upper(name), 40));
}

std::int32_t StartPageOf(const std::string& text) {
  const std::string t = TrimZenkaku(text);
  std::int32_t value = 0;
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
  if (t.empty() || ec != std::errc() || end != t.data() + t.size() || value == 0) return 1;
  return value;
}

// ---------------------------------------------------------------------------------------
// The dialog

TPrintDlgBox::TPrintDlgBox(QWidget* owner) : TBSDI(owner) {
  SetName("PrintDlgBox");
  SetCaption("科目情報の印刷");
  SetBorderStyle(bsDialog);
  SetBorderIcons(biSystemMenu);
  SetPosition(poOwnerFormCenter);
  SetClientSize(457, 174);

  pnlBottom = new TPanel(this);
  pnlBottom->SetName("pnlBottom");
  pnlBottom->SetCaption("");
  pnlBottom->SetBounds(0, 55, 457, 119);
  pnlBottom->SetAlign(alBottom);
  pnlClient = new TPanel(this);
  pnlClient->SetName("pnlClient");
  pnlClient->SetCaption("");
  pnlClient->SetBevelOuter(bvNone);
  pnlClient->SetAlign(alClient);

  lblMain = new TLabel(pnlClient);
  lblMain->SetName("lblMain");
  lblMain->SetShowAccelChar(false);
  lblMain->SetAutoSize(false);
  lblMain->SetWordWrap(true);
  lblMain->SetBounds(24, 16, 405, 34);

  lblColor = new TLabel(pnlClient);
  lblColor->SetName("lblColor");
  lblColor->SetBounds(37, 63, 0, 0);
  lblColor->SetCaption("色指定:");
  grpColor = new TGroupBox(pnlClient);
  grpColor->SetName("grpColor");
  grpColor->SetCaption("");
  grpColor->SetBounds(112, 52, 201, 33);
  btnMono = new TxRadioButton(grpColor);
  btnMono->SetName("btnMono");
  btnMono->SetBounds(12, 10, 85, 17);
  btnMono->SetCaption("白黒印刷");
  btnMono->SetChecked(true);
  btnColor = new TxRadioButton(grpColor);
  btnColor->SetName("btnColor");
  btnColor->SetBounds(104, 10, 89, 17);
  btnColor->SetCaption("カラー印刷");
  btnColor->SetTag(1);
  btnColorSelect = new TSpeedButton(pnlClient);
  btnColorSelect->SetName("btnColorSelect");
  btnColorSelect->SetBounds(320, 58, 57, 25);
  btnColorSelect->SetCaption("色選択");
  btnColorSelect->OnClick = [this](QObject* s) { btnColorSelectClick(s); };

  lblStartPage = new TLabel(pnlClient);
  lblStartPage->SetName("lblStartPage");
  lblStartPage->SetBounds(37, 100, 0, 0);
  lblStartPage->SetCaption("開始ﾍﾟｰｼﾞ:");
  txtStartPage = new TxEdit(pnlClient);
  txtStartPage->SetName("txtStartPage");
  txtStartPage->SetBounds(112, 95, 57, 21);
  txtStartPage->SetText("1");
  txtStartPage->SetAlignment(taRightJustify);
  txtStartPage->SetImeMode(imDisable);
  txtStartPage->SetKeyEdit3D(bsNone);
  chkBoth = new TxCheckBox(pnlClient);
  chkBoth->SetName("chkBoth");
  chkBoth->SetBounds(112, 123, 220, 17);
  chkBoth->SetCaption("両面印刷用に余白を調整する");

  PanelHint = new TPanel(pnlBottom);
  PanelHint->SetName("PanelHint");
  PanelHint->SetCaption("");
  PanelHint->SetBounds(1, 1, 455, 78);
  PanelHint->SetAlign(alTop);
  HintArea = new TMemo(PanelHint);
  HintArea->SetName("HintArea");
  HintArea->SetBounds(24, 8, 409, 65);
  HintArea->SetReadOnly(true);
  HintArea->SetTabStop(false);
  // The hint panel takes no input; it is not disabled in Qt's sense, which would grey the text.
  PanelHint->setAttribute(Qt::WA_TransparentForMouseEvents);
  HintArea->setFocusPolicy(Qt::NoFocus);
  HintArea->SetParentColor(true);
  HintArea->SetBorderStyle(bsNone);

  auto button = [this](const char* name, int left, const char* caption, int result) {
    auto* b = new TxPlButton(pnlBottom);
    b->SetName(name);
    b->SetBounds(left, 84, 90, 26);
    b->CaptionA().SetCaption(caption);
    b->SetModalResult(result);
    return b;
  };
  btnPreview = button("btnPreview", 23, "プレビュー", mrOk);
  btnCopy = button("btnCopy", 127, "コピー", mrOk);
  btnOK = button("btnOK", 240, "OK", mrOk);
  btnCancel = button("btnCancel", 344, "キャンセル", mrCancel);
  btnCancel->SetCancel(true);
  for (TxPlButton* b : {btnPreview, btnCopy, btnOK}) b->OnClick = [this](QObject* s) { btnOKClick(s); };

  if (DM) {
    IBSQL1.SetDatabase(&DM->IBDatabaseDEF);
    IBSQL1.SetTransaction(&DM->IBTransactionDEF);
  }
}

TPrintDlgBox::~TPrintDlgBox() = default;

void TPrintDlgBox::FormCreate(QObject* Sender) {
  TBSDI::FormCreate(Sender);
  UsePlainDialogFlags(HintArea);
  OptionByte = 0;
  Reserved = 0;
  StyleStorage = false;
  Rec = nullptr;
  CaptionText.clear();
  Message.clear();
  MessageColor = Font().Color;
  GuideText.clear();
  ShowColor = ShowStartPage = ShowBothSides = ShowPreview = ShowCopy = false;
  Result = 0;
  StylePrefix = "020-";
  StyleName.clear();
  SettingsList.clear();
  FCreatedOK = true;
}

void TPrintDlgBox::FormActivate(QObject* Sender) {
  TBSDI::FormActivate(Sender);
  if (Showing() && btnOK->isVisible()) btnOK->SetFocus();
  Screen().SetCursor(crDefault);
}

void TPrintDlgBox::FormDestroy(QObject* Sender) {
  SettingsList.clear();
  TBSDI::FormDestroy(Sender);
}

void TPrintDlgBox::FormClose(QObject* Sender, TCloseAction& Action) {
  TBSDI::FormClose(Sender, Action);
  Action = caHide;  // the caller reads the result and frees the dialog
  PutStyleColorRec();
}

void TPrintDlgBox::CMShowingChanged() {
  TBSDI::CMShowingChanged();
  if (!FCreatedOK) {
    ReportInitFailed();
    Close();
  }
}

void TPrintDlgBox::Setup(std::uint8_t value) {
  OptionByte = value;
  LoadHints();
  ApplyInfo();
  FSetupPending = false;
}

void TPrintDlgBox::ApplyInfo() {
  Result = 0;
  SetCaption(CaptionText);
  lblMain->SetCaption(Message);
  TFontSpec font = lblMain->Font();
  font.Color = MessageColor;
  lblMain->SetFont(font);

  lblColor->SetVisible(ShowColor);
  grpColor->SetVisible(ShowColor);
  btnColorSelect->SetVisible(ShowColor);
  lblStartPage->SetVisible(ShowStartPage);
  txtStartPage->SetVisible(ShowStartPage);
  chkBoth->SetVisible(ShowBothSides);
  btnPreview->SetVisible(ShowPreview);
  btnCopy->SetVisible(ShowCopy);

  if (FSetupPending) {
    // Room for the options shown; the first Setup only.
    if (ShowColor) SetHeight(250);
    if (ShowStartPage) SetHeight(300);
    if (ShowBothSides) SetHeight(300);
  }
  GetStyleColorRec();
  HozonFukugen("Fukugen");
}

void TPrintDlgBox::LoadHints() {
  btnMono->SetHint("白黒で印刷する場合に選択します。|白黒で印刷する場合に選択します。");
  btnColor->SetHint(
      "色付きで印刷する場合に選択します。|色付きで印刷する場合に選択します。\r\n"
      "「色選択」ﾎﾞﾀﾝを押すと好みの色に変更できます。");
  btnColorSelect->SetHint(
      "「色選択」画面を開きます。|「色選択」画面を開きます。\r\n「ｶﾗｰ印刷」を行う場合の色を指定します。");
  txtStartPage->SetHint("1ﾍﾟｰｼﾞ目のﾍﾟｰｼﾞ番号を指定します。|1ﾍﾟｰｼﾞ目のﾍﾟｰｼﾞ番号を指定します。");
  chkBoth->SetHint(
      "偶数ﾍﾟｰｼﾞの余白を右側に取る場合にﾁｪｯｸします。|偶数ﾍﾟｰｼﾞの余白を右側に取る場合にﾁｪｯｸします。\r\n"
      "両面への印刷は「印刷」ﾎﾞﾀﾝ押下後に表示する「印刷」画面で「ﾌﾟﾛﾊﾟﾃｨ」ﾎﾞﾀﾝを押して設定します。");
  btnPreview->SetHint("帳票の印刷ｲﾒｰｼﾞを画面に表示します。|帳票の印刷ｲﾒｰｼﾞを画面に表示します。");
  btnCopy->SetHint(
      "帳票の情報をｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰします。|帳票の情報をｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰします。\r\n"
      "ｺﾋﾟｰした情報はﾜｰﾌﾟﾛｿﾌﾄ、表計算ｿﾌﾄで貼り付けられます。");
  btnOK->SetHint("帳票を印刷します。|帳票を印刷します。");
  btnCancel->SetHint("印刷を取り止めます。|印刷を取り止めます。");
}

std::string TPrintDlgBox::SettingValue(const std::string& key) const {
  const std::string wanted = ascii::Upper(key);
  for (const std::string& line : SettingsList) {
    const auto eq = line.find('=');
    if (eq != std::string::npos && ascii::Upper(line.substr(0, eq)) == wanted) return line.substr(eq + 1);
  }
  return {};
}

void TPrintDlgBox::StoreSettingsList() {
  if (!Rec) return;
  std::string text;
  for (const std::string& line : SettingsList) text += line + "\r\n";
  Rec->Settings = text;
}

void TPrintDlgBox::HozonFukugen(const std::string& mode) {
  if (!Rec) return;
  const std::string m = ascii::Upper(mode);
  if (m == "HOZON") {
    SettingsList.clear();
    if (ShowColor && Rec->ColorMode == 1) SettingsList.push_back("C010=1");
    if (ShowBothSides && Rec->BothSides) SettingsList.push_back("C020=1");
    StoreSettingsList();
  } else if (m == "FUKUGEN") {
    SettingsList = SplitLines(Rec->Settings);
    if (ShowColor && SettingValue("C010") == "1") {
      Rec->ColorMode = 1;
      btnColor->SetChecked(true);
    }
    if (ShowBothSides && SettingValue("C020") == "1") {
      Rec->BothSides = true;
      chkBoth->SetChecked(true);
    }
  }
}

void TPrintDlgBox::btnOKClick(QObject* Sender) {
  if (Rec) {
    Rec->ColorMode = btnColor->Checked() ? 1 : 0;
    Rec->StartPage = StartPageOf(txtStartPage->Text());
    Rec->BothSides = chkBoth->Checked();
  }
  HozonFukugen("Hozon");
  if (Sender == btnOK->Object()) Result = 1;
  else if (Sender == btnPreview->Object()) Result = 2;
  else if (Sender == btnCopy->Object()) Result = 3;
  SetModalResult(mrOk);
}

void TPrintDlgBox::btnColorSelectClick(QObject*) {
  auto* box = CreateForm<TPrnColorSetBox>(this);
  box->ReportColours = StyleStorage ? 1 : 0;
  if (Rec) {
    box->SetLineColor1(Rec->LineColor1);
    box->SetLineColor2(Rec->LineColor2);
    box->SetNetColor1(Rec->NetColor1);
    box->SetNetColor2(Rec->NetColor2);
  }
  box->SetFormPosition(0, 0, 0, 0, 2);
  box->Setup(1);
  const int result = box->ShowModal();
  if (result == mrOk && Rec) {
    Rec->LineColor1 = box->LineColor1;
    Rec->LineColor2 = box->LineColor2;
    Rec->NetColor1 = box->NetColor1;
    Rec->NetColor2 = box->NetColor2;
    PutStyleColorRec();
  }
  box->Free();
}

// ---------------------------------------------------------------------------------------
// The STYLECOLOR row

void TPrintDlgBox::GetStyleColorRec() {
  if (!StyleStorage || !Rec || Rec->Name.empty() || !DM) return;
  StyleName = MakeStyleName(Rec->Name, StylePrefix);
  // Read into a copy: a failure half way leaves the record as it was.
  TDefaultPrintRec read = *Rec;
  try {
    TTransactionScope tx(DM->IBTransactionDEF);
    IBSQL1.Close();
    IBSQL1.SQL =
        "SELECT LINECOLOR1,LINECOLOR2,NETCOLOR1,NETCOLOR2,SSTR FROM STYLECOLOR\n"
        "WHERE OPCODE=:OPCODE AND STYLENAME=:STYLENAME";
    IBSQL1.ParamByName("OPCODE").SetInteger(SystemDef.LogonId);
    IBSQL1.ParamByName("STYLENAME").SetString(StyleName);
    IBSQL1.ExecQuery();
    for (; !IBSQL1.Eof(); IBSQL1.Next()) {
      const auto take = [&](const char* column, std::int32_t& colour) {
        const std::int32_t v = IBSQL1.FieldByName(column).AsInteger();
        if (v != -1) colour = v;  // -1: the environment's colour, which the record holds
      };
      take("LINECOLOR1", read.LineColor1);
      take("LINECOLOR2", read.LineColor2);
      take("NETCOLOR1", read.NetColor1);
      take("NETCOLOR2", read.NetColor2);
      read.Settings = IBSQL1.FieldByName("SSTR").AsString();
    }
    IBSQL1.Close();
  } catch (const std::exception& e) {
    IBSQL1.Close();
    ReportFailure(e, kGetContext, kGetFailed);
    return;
  }
  *Rec = read;
}

bool TPrintDlgBox::PutStyleColorRec() {
  if (!StyleStorage || !Rec || Rec->Name.empty() || !DM) return true;
  StyleName = MakeStyleName(Rec->Name, StylePrefix);
  try {
    TTransactionScope tx(DM->IBTransactionDEF);
    IBSQL1.Close();
    IBSQL1.SQL =
        "SELECT COUNT(OPCODE) AS RECCNT FROM STYLECOLOR\n"
        "WHERE OPCODE=:OPCODE AND STYLENAME=:STYLENAME";
    IBSQL1.ParamByName("OPCODE").SetInteger(SystemDef.LogonId);
    IBSQL1.ParamByName("STYLENAME").SetString(StyleName);
    IBSQL1.ExecQuery();
    const bool exists = !IBSQL1.Eof() && IBSQL1.FieldByName("RECCNT").AsInteger() != 0;
    IBSQL1.Close();
    if (exists) {
      IBSQL1.SQL =
          "UPDATE STYLECOLOR SET "
          "OPCODE=:OPCODE,STYLENAME=:STYLENAME,LINECOLOR1=:LINECOLOR1,LINECOLOR2=:LINECOLOR2,LINECOLOR3=:LINECOLOR3,"
          "LINECOLOR4=:LINECOLOR4,LINECOLOR5=:LINECOLOR5,NETCOLOR1=:NETCOLOR1,NETCOLOR2=:NETCOLOR2,SSTR=:SSTR\n"
          "WHERE OPCODE=:OPCODE AND STYLENAME=:STYLENAME";
    } else {
      IBSQL1.SQL =
          "INSERT INTO "
          "STYLECOLOR(OPCODE,STYLENAME,LINECOLOR1,LINECOLOR2,LINECOLOR3,LINECOLOR4,LINECOLOR5,NETCOLOR1,NETCOLOR2,"
          "SSTR)\n"
          "VALUES(:OPCODE,:STYLENAME,:LINECOLOR1,:LINECOLOR2,:LINECOLOR3,:LINECOLOR4,:LINECOLOR5,:NETCOLOR1,:NETCOLOR2,"
          ":SSTR)";
    }
    IBSQL1.ParamByName("OPCODE").SetInteger(SystemDef.LogonId);
    IBSQL1.ParamByName("STYLENAME").SetString(StyleName);
    for (const char* c : {"LINECOLOR1", "LINECOLOR2", "LINECOLOR3", "LINECOLOR4", "LINECOLOR5", "NETCOLOR1", "NETCOLOR2"})
      IBSQL1.ParamByName(c).SetInteger(-1);
    // A colour of the environment is stored as -1, so that it follows the environment.
    const auto own = [&](const char* column, std::int32_t colour, std::int32_t environment) {
      if (colour != environment) IBSQL1.ParamByName(column).SetInteger(colour);
    };
    own("LINECOLOR1", Rec->LineColor1, SystemDef.PLineColor1);
    own("LINECOLOR2", Rec->LineColor2, SystemDef.PLineColor2);
    own("NETCOLOR1", Rec->NetColor1, SystemDef.NetColor1);
    own("NETCOLOR2", Rec->NetColor2, SystemDef.NetColor2);
    IBSQL1.ParamByName("SSTR").SetString(Rec->Settings);
    IBSQL1.ExecQuery();
    IBSQL1.Close();
  } catch (const std::exception& e) {
    IBSQL1.Close();
    ReportFailure(e, kPutContext, kPutFailed);
    return false;
  }
  return true;
}
