#include "ui/z5MessageDlg2.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QStyle>
#include <algorithm>
#include <vector>

#include "ui/forms/Application.h"
#include "ui/z5HtmlHelp.h"

using namespace forms;

namespace {

// The form is laid out in design pixels (96 dpi); the form layer does not rescale forms, so
// the design values apply as they are.
constexpr int kLabelLeft = 80;
constexpr int kLabelTop = 24;
constexpr int kLabelStep = 24;
constexpr int kMinTextRight = 500;
constexpr int kRightMargin = 30;
constexpr int kClientPanelHeight = 265;  // room for all ten lines
constexpr int kButtonGap = 10;

constexpr TColor kLinkColor = RGB(0, 0, 255);
constexpr TColor kVisitedLinkColor = RGB(128, 0, 128);
constexpr TColor kRed = RGB(255, 0, 0);

struct CannedLine {
  const char* text;
  bool red;
};

struct CannedMessage {
  std::int32_t number;
  std::uint8_t icon;
  TMsgDlgButtons buttons;
  const char* caption;
  std::vector<CannedLine> lines;
};

const std::vector<CannedMessage>& CannedMessages() {
  static const std::vector<CannedMessage> table = {
      {0x1010, 3, {mbOK, mbCancel}, "確認",
       {
           {"このデータは、お使いのプログラムより新しいプログラムでデータ更新が行われています。", false},
           {"データを使用するにはプログラムのバージョンアップが必要となります。", false},
           {"続行してもよろしいですか？", false},
           {"（ウィルス対策ソフトをご利用中の場合は、該当ソフトを終了して下さい。）", false},
       }},
      {0x1011, 2, {mbOK}, "情報",
       {
           {"このデータは、「データの更新」処理を行うことが禁止されています。", false},
           {"データを選択したい場合は、「データ選択」画面の[情報]ボタンを押し「データの詳細情報」画面を", false},
           {"開き、[データの更新: 禁止する]項目のチェックを外して下さい。", false},
       }},
      {0x1020, 2, {mbOK}, "情報",
       {
           {"このデータは現金出納帳システムと通信しています。マスター情報の変更は、事前に現金出納帳システムから", false},
           {"送られた最新のデータを受信し、現金出納帳システム側の処理をストップさせてから行ってください。", false},
           {"また、変更後には必ず「現金出納帳マスター送信」を実行してください。", false},
       }},
      // An error told with the question icon.
      {0x1030, 3, {mbOK}, "エラー",
       {
           {"データ使用後検証の結果、このデータは破損している恐れがあります。", false},
           {"データのバックアップを行っている場合は、適正な方法で破損前の状態へ戻して下さい。", false},
           {"ご不明な点がございましたら、お問い合わせ先をご確認の上ご連絡下さい。", false},
       }},
      {0x2014, 2, {mbOK}, "情報",
       {
           {"過年度明細の取り込みが行われていません。", false},
           {"このデータに対して過年度明細を取り込むには以下の方法があります。", false},
           {"１）「過年度残高登録」の[仕訳取込]より過年度明細を取り込みます。", false},
           {"２）「繰越残高調整」で過年度明細を繰り越します。（前期のみ）", false},
       }},
      {0x10001010, 2, {mbOK}, "情報",
       {
           {"この仕訳は他システムから作成された自動仕訳のため、訂正・削除を行うことはできません。", false},
       }},
      {0x10001011, 2, {mbOK}, "情報",
       {
           {"この仕訳は他処理から作成された自動仕訳のため、自科目訂正を行うことはできません。", false},
       }},
      {0x10002010, 3, {mbOK, mbCancel}, "確認",
       {
           {"会計データと連動する項目を「上書き入力」に切り替えます。", false},
           {"よろしいですか？", false},
       }},
      {0x10002011, 3, {mbOK, mbCancel}, "確認",
       {
           {"会計データと連動する項目を「自動取得」に切り替えます。", false},
           {"よろしいですか？", false},
           {"注意）上書き入力した項目は、会計データの集計値により書き換えられます。", true},
       }},
      {0x10003010, 3, {mbOK, mbCancel}, "内訳書の削除",
       {
           {"選択行の内訳を削除します、よろしいですか？", false},
           {"注意）削除を行うと、内訳に記述してある名称などの情報は科目情報を取り込んでも記述されません。", true},
           {"一時的に内訳書より削除したい場合は、残高を0円に訂正して印刷方法の[0円の明細を省略する]にチェックを", true},
           {"入れてください。", true},
       }},
      {0x10003011, 3, {mbOK, mbCancel}, "内訳書の削除",
       {
           {"選択行の内訳を削除します、よろしいですか？", false},
           {"注意）削除を行うと、内訳に記述してある金融機関名などの情報は科目情報を取り込んでも記述されません。", true},
           {"一時的に内訳書より削除したい場合は、残高を0円に訂正して印刷方法の[0円の明細を省略する]にチェックを", true},
           {"入れてください。", true},
       }},
      {0x10003012, 3, {mbOK, mbCancel}, "内訳書の削除",
       {
           {"選択行の内訳を削除します、よろしいですか？", false},
           {"注意）削除を行うと、内訳に記述してある借入先などの情報は科目情報を取り込んでも記述されません。", true},
           {"一時的に内訳書より削除したい場合は、残高を0円に訂正して印刷方法の[0円の明細を省略する]にチェックを", true},
           {"入れてください。", true},
       }},
      {0x10004010, 2, {mbOK}, "情報",
       {
           {"「基本設定」の「消費税＞一括税抜処理区分」に[処理する]が選択されているため、消費税処理区分を[税込]へは変更出来ません。", false},
       }},
  };
  return table;
}

QStyle::StandardPixmap IconOf(std::uint8_t kind, bool& known) {
  known = true;
  switch (kind) {
    case 0: return QStyle::SP_MessageBoxWarning;
    case 1: return QStyle::SP_MessageBoxCritical;
    case 2: return QStyle::SP_MessageBoxInformation;
    case 3: return QStyle::SP_MessageBoxQuestion;
    default: known = false; return QStyle::SP_MessageBoxInformation;
  }
}

bool Blank(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

}  // namespace

std::string MsgDlgBtnCaption(TMsgDlgBtn button) {
  switch (button) {
    case mbYes: return "はい(&Y)";
    case mbNo: return "いいえ(&N)";
    case mbOK: return "OK(&O)";
    case mbCancel: return "ｷｬﾝｾﾙ(&C)";
    case mbAbort: return "中断(&A)";
    case mbRetry: return "再試行(&R)";
    case mbIgnore: return "無視(&I)";
    case mbAll: return "すべて(&A)";
    case mbNoToAll: return "すべていいえ";
    case mbYesToAll: return "すべてはい";
    case mbHelp: return "ヘルプ(&H)";
  }
  return {};
}

int MsgDlgBtnResult(TMsgDlgBtn button) {
  switch (button) {
    case mbYes: return mrYes;
    case mbNo: return mrNo;
    case mbOK: return mrOk;
    case mbCancel: return mrCancel;
    case mbAbort: return mrAbort;
    case mbRetry: return mrRetry;
    case mbIgnore: return mrIgnore;
    case mbAll: return mrAll;
    case mbNoToAll: return mrNoToAll;
    case mbYesToAll: return mrYesToAll;
    case mbHelp: return 0;
  }
  return 0;
}

void InitMessage2Info(std::uint8_t kind, TMessage2InfoRec& info) {
  info.MessageNo = 0;
  info.IconKind = 4;
  info.Buttons = {mbOK};
  info.Caption.clear();
  switch (kind) {
    case 0: info.IconKind = 0; info.Caption = "警告"; break;
    case 1: info.IconKind = 1; info.Caption = "エラー"; break;
    case 2: info.IconKind = 2; info.Caption = "情報"; break;
    case 3: info.IconKind = 3; info.Buttons = {mbOK, mbCancel}; info.Caption = "確認"; break;
    default: break;
  }
  for (auto& line : info.Lines) line = TMessage2Line{};
  info.AgreeMode = 0;
  info.AgreeCaption.clear();
  info.AgreeResult = false;
}

int ShowMessage2(TMessage2InfoRec& info) {
  auto* form = CreateForm<TMessageBox2>(Application().MainForm());
  int result = mrCancel;
  try {
    form->SetMessageNo(info.MessageNo);
    form->ApplyInfo(info);
    form->Setup(1);
    result = form->ShowModal();
    info.AgreeResult = form->AgreeChecked();
  } catch (...) {
    form->Free();
    throw;
  }
  form->Free();
  return result;
}

// ---------------------------------------------------------------------------------------

TMessageBox2::TMessageBox2(QWidget* owner) : TForm(owner) {
  SetName("MessageBox2");
  SetCaption("警告");
  SetBorderStyle(bsDialog);
  SetBorderIcons(biSystemMenu);
  SetFormStyle(fsStayOnTop);
  SetPosition(poScreenCenter);
  SetKeyPreview(true);
  SetFont(TFontSpec{.Height = -12});
  SetClientSize(500, 335);

  auto panel = [this](const char* name, TAlign align, int top, int height) {
    auto* p = new TPanel(this);
    p->SetName(name);
    p->SetBevelOuter(bvNone);
    p->SetCaption("");
    p->SetBounds(0, top, 500, height);
    p->SetAlign(align);
    return p;
  };
  pnlClient = panel("pnlClient", alClient, 0, 265);
  Image1 = new TImage(pnlClient);
  Image1->SetName("Image1");
  Image1->SetBounds(24, 16, 41, 41);
  for (int i = 0; i < 10; ++i) {
    auto* label = new TLabel(pnlClient);
    label->SetName("Label" + std::to_string(i + 1));
    label->SetShowAccelChar(false);  // a message shows "&" as it is
    label->SetCaption("ﾒｯｾｰｼﾞ");
    label->SetBounds(kLabelLeft, kLabelTop + kLabelStep * i, 0, 0);
    label->SetTag(i);
    Labels[i] = label;
  }
  pnlAgree = panel("pnlAgree", alBottom, 265, 32);
  btnAgree = new TxCheckBox(pnlAgree);
  btnAgree->SetName("btnAgree");
  btnAgree->SetCaption("同意する");
  btnAgree->SetBounds(82, 3, 375, 17);
  btnAgree->SetKeyStyles({ksEnter});
  btnAgree->OnClick = [this](QObject* sender) { btnAgreeClick(sender); };
  pnlBottom = panel("pnlBottom", alBottom, 297, 38);
  const char* captions[] = {"はい(&Y)", "ｷｬﾝｾﾙ(&C)", "ｷｬﾝｾﾙ(&C)"};
  const int lefts[] = {165, 261, 357};
  for (int i = 0; i < 3; ++i) {
    auto* button = new TButton(pnlBottom);
    button->SetName("btnButton" + std::to_string(i + 1));
    button->SetCaption(captions[i]);
    button->SetBounds(lefts[i], 3, 75, 25);
    button->OnClick = [this](QObject* sender) { btnButton1Click(sender); };
    Buttons[i] = button;
  }

  OnKeyDown = [this](QObject*, int& key, TShiftState shift) { FormKeyDown(key, shift); };
  OnKeyUp = [this](QObject*, int& key, TShiftState shift) { FormKeyUp(key, shift); };
  // The creator frees the form.
  OnClose = [](QObject*, TCloseAction& action) { action = caHide; };
}

void TMessageBox2::SetMessageNo(std::int32_t number) {
  messageNo_ = number;
  if (number == 0) return;
  InitMessage2Info(2, info_);
  info_.MessageNo = number;
  for (const CannedMessage& m : CannedMessages()) {
    if (m.number != number) continue;
    info_.IconKind = m.icon;
    info_.Buttons = m.buttons;
    info_.Caption = m.caption;
    for (size_t i = 0; i < m.lines.size() && i < info_.Lines.size(); ++i) {
      info_.Lines[i].Text = m.lines[i].text;
      info_.Lines[i].Color = m.lines[i].red ? kRed : 0;
    }
    break;
  }
}

void TMessageBox2::ApplyInfo(const TMessage2InfoRec& info) {
  if (&info != &info_) info_ = info;
  SetMessageNo(info_.MessageNo);

  const TFontSpec plain = [this] {
    TFontSpec f = Font();
    f.Color = clWindowText;
    f.Style = 0;
    return f;
  }();
  for (TLabel* label : Labels) {
    label->SetCaption("");
    label->unsetCursor();
    label->SetFont(plain);
    label->OnClick = nullptr;
  }

  SetCaption(info_.Caption);
  Image1->SetBounds(24, 16, 41, 41);
  bool known = false;
  const QStyle::StandardPixmap icon = IconOf(info_.IconKind, known);
  TPicture picture;
  if (known) picture.Assign(style()->standardIcon(icon).pixmap(32, 32).toImage(), TGraphicKind::Icon);
  Image1->SetPicture(picture);

  // The lines; the text area reaches down to the last line that has text (an empty line in
  // between keeps its place, so a line below it must not fall off the form).
  int right = kMinTextRight;
  int last = 0;
  for (size_t i = 0; i < Labels.size(); ++i) {
    TLabel* label = Labels[i];
    const TMessage2Line& line = info_.Lines[i];
    TFontSpec font = plain;
    font.Color = line.Color;
    if (!line.Text.empty()) last = static_cast<int>(i) + 1;
    if (!line.Link.empty()) {
      label->OnClick = [this](QObject* sender) { LinkClick(sender); };
      label->setCursor(Qt::PointingHandCursor);
      font.Color = kLinkColor;
      font.Style = fsUnderline;
    }
    label->SetFont(font);
    label->SetCaption(line.Text);
    right = std::max(right, label->Left() + label->Width());
  }
  SetClientWidth(right + kRightMargin);
  int textHeight;
  if (last < 2) textHeight = Labels[2]->Top();
  else if (last <= 8) textHeight = Labels[last + 1]->Top();
  else textHeight = kClientPanelHeight;
  SetClientHeight(pnlBottom->Height() + textHeight);

  // Up to three buttons, taken from the set in bit order.
  for (TButton* button : Buttons) button->SetVisible(false);
  std::vector<TButton*> shown;
  for (int b = mbYes; b <= mbHelp && shown.size() < Buttons.size(); ++b) {
    const auto btn = static_cast<TMsgDlgBtn>(b);
    if (!info_.Buttons.Contains(btn)) continue;
    TButton* button = Buttons[shown.size()];
    button->SetCaption(MsgDlgBtnCaption(btn));
    button->SetModalResult(MsgDlgBtnResult(btn));
    button->SetVisible(true);
    shown.push_back(button);
  }
  const int centre = pnlBottom->ClientWidth() / 2;
  switch (shown.size()) {
    case 1:
      shown[0]->SetLeft(centre - shown[0]->Width() / 2);
      break;
    case 2:
      shown[0]->SetLeft(centre - kButtonGap - shown[0]->Width());
      shown[1]->SetLeft(centre + kButtonGap);
      break;
    case 3:
      shown[1]->SetLeft(centre - shown[1]->Width() / 2);
      shown[0]->SetLeft(shown[1]->Left() - kButtonGap - shown[0]->Width());
      shown[2]->SetLeft(shown[1]->Left() + shown[1]->Width() + kButtonGap);
      break;
    default:
      break;
  }

  agreeMode_ = info_.AgreeMode;
  agreeCaption_ = info_.AgreeCaption;
  agreeResult_ = info_.AgreeResult;
}

void TMessageBox2::Setup(std::uint8_t value) {
  setupValue_ = value;
  SetMessageNo(messageNo_);
  ApplyInfo(info_);
  pnlAgree->SetVisible(false);
  if (Blank(agreeCaption_)) agreeMode_ = 0;
  for (TButton* button : Buttons) button->SetEnabled(true);
  if (agreeMode_ != 0) {
    btnAgree->SetCaption(agreeCaption_);
    btnAgree->SetChecked(agreeResult_);
    if (agreeMode_ == 1) Buttons[0]->SetEnabled(btnAgree->Checked());
    SetClientHeight(ClientHeight() + pnlAgree->Height());
    // Above the button panel, which stays at the bottom.
    pnlAgree->SetTop(pnlBottom->Top() - pnlAgree->Height());
    pnlAgree->SetVisible(true);
  }
  SetModalResult(0);
}

std::string TMessageBox2::ClipboardText() const {
  const std::string dashes(27, '-');
  std::string text = dashes + "\r\n" + Caption() + "\r\n" + dashes + "\r\n";
  for (const TLabel* label : Labels) text += label->Caption() + "\r\n";
  return text;
}

void TMessageBox2::btnButton1Click(QObject* sender) {
  // TButton has already set the form's ModalResult from its own.
  if (auto* button = dynamic_cast<TButton*>(sender)) SetModalResult(button->ModalResult());
}

void TMessageBox2::btnAgreeClick(QObject*) {
  if (agreeMode_ == 1) Buttons[0]->SetEnabled(btnAgree->Checked());
}

void TMessageBox2::LinkClick(QObject* sender) {
  auto* label = dynamic_cast<TLabel*>(sender);
  if (!label || label->Tag() < 0 || label->Tag() >= static_cast<int>(info_.Lines.size())) return;
  HlinkNavigateString(info_.Lines[label->Tag()].Link);
  TFontSpec font = label->Font();
  font.Color = kVisitedLinkColor;
  label->SetFont(font);
}

void TMessageBox2::FormKeyDown(int& key, TShiftState shift) {
  if (key == 'C' && (shift & kModifierKeys) == ssCtrl) {
    QGuiApplication::clipboard()->setText(QString::fromStdString(ClipboardText()));
  }
}

void TMessageBox2::FormKeyUp(int& key, TShiftState) {
  if (key == VK_ESCAPE) {
    key = 0;
    Close();
  }
}
