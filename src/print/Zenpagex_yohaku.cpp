#include "print/Zenpagex_yohaku.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTextDocument>
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string>

#include "print/Zenpagex_Function.h"

using namespace forms;

namespace {

bool IsDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

// The text as a 64-bit integer; nothing when it is not one.
bool IsZeroValue(std::string_view text) {
  std::int64_t v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  return ec == std::errc() && end == text.data() + text.size() && v == 0;
}

}  // namespace

char32_t CharFilter(std::string_view text, char32_t key, int mode, bool allSelected) {
  const bool hasDot = text.find('.') != std::string_view::npos;
  const bool hasMinus = text.find('-') != std::string_view::npos;
  switch (mode) {
    case 0:
    case 1:
      if (key == 8 && mode == 1) return key;
      if (!IsDigit(key)) return 0;
      if (key == U'0' && !text.empty() && IsZeroValue(text)) return 0;
      return key;
    case 2:
      if (key == 8) return key;
      if (IsDigit(key)) return key == U'0' && !allSelected && (text == "0" || text == ".") ? 0 : key;
      if (key == U'.') return hasDot || text.empty() ? 0 : key;
      return 0;
    case 3:
    case 4:
      if (key == 8) return key;
      if (IsDigit(key)) {
        const bool zeroText = text == "0" || text == "-" || (mode == 4 && text == ".");
        return key == U'0' && !allSelected && zeroText ? 0 : key;
      }
      if (key == U'-') return !allSelected && (hasMinus || !text.empty()) ? 0 : key;
      if (key == U'.' && mode == 4) return hasDot || text.empty() ? 0 : key;
      return 0;
    default:
      return 0;
  }
}

// ---- the up-down ----

TUpDown::TUpDown(QWidget* parent) : TWidgetControl<QWidget>(parent) {
  SetWindowed(false);
  setFocusPolicy(Qt::NoFocus);
  resize(15, 20);
}

void TUpDown::SetRange(int min, int max) {
  min_ = min;
  max_ = max;
  SetPosition(position_);
}

void TUpDown::SetPosition(int v) {
  position_ = std::clamp(v, min_, max_);
  if (associate_) associate_->SetText(std::to_string(position_));
}

void TUpDown::SetAssociate(TEdit* edit) {
  associate_ = edit;
  if (!edit) return;
  SetBounds(edit->Left() + edit->Width(), edit->Top(), Width(), edit->Height());
  SetPosition(position_);
}

void TUpDown::Step(bool up) {
  if (associate_) position_ = std::clamp(StrToIntDef(associate_->Text(), position_), min_, max_);
  SetPosition(position_ + (up ? increment_ : -increment_));
}

void TUpDown::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && isEnabled()) Step(event->position().y() < height() / 2.0);
}

void TUpDown::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const int w = width(), h = height(), half = h / 2;
  p.fillRect(rect(), palette().button());
  p.setPen(palette().dark().color());
  p.drawRect(0, 0, w - 1, half - 1);
  p.drawRect(0, half, w - 1, h - half - 1);
  p.setBrush(isEnabled() ? palette().buttonText() : palette().mid());
  p.setPen(Qt::NoPen);
  const double cx = w / 2.0;
  p.drawPolygon(QPolygonF({QPointF(cx - 3, half - 3), QPointF(cx + 3, half - 3), QPointF(cx, half - 6)}));
  p.drawPolygon(QPolygonF({QPointF(cx - 3, half + 3), QPointF(cx + 3, half + 3), QPointF(cx, half + 6)}));
}

// ---- the dialog ----

Tfmyohaku::Tfmyohaku(QWidget* owner) : TForm(owner) {
  SetName("fmyohaku");
  SetCaption("設定");
  SetBorderStyle(bsDialog);
  SetBorderIcons(biSystemMenu);
  SetPosition(poOwnerFormCenter);
  SetFont(TFontSpec{.Name = "ＭＳ Ｐゴシック", .Height = -12});
  SetClientSize(235, 286);

  GroupBox2 = new TGroupBox(this);
  GroupBox2->SetName("GroupBox2");
  GroupBox2->SetBounds(14, 9, 210, 136);
  GroupBox2->SetCaption("余白設定");
  GroupBox2->SetTabOrder(0);
  Label6 = new TLabel(GroupBox2);
  Label6->SetName("Label6");
  Label6->SetBounds(89, 16, 0, 0);
  Label6->SetCaption("左右");
  Label7 = new TLabel(GroupBox2);
  Label7->SetName("Label7");
  Label7->SetBounds(25, 55, 0, 0);
  Label7->SetCaption("上下");
  Label1 = new TLabel(GroupBox2);
  Label1->SetName("Label1");
  Label1->SetBounds(12, 116, 0, 0);
  Label1->SetCaption("逆方向はマイナス （max=100）");
  Memo1 = new TMemo(GroupBox2);
  Memo1->SetName("Memo1");
  Memo1->SetBounds(110, 56, 97, 58);
  Memo1->document()->setDocumentMargin(1);
  Memo1->SetReadOnly(true);
  Memo1->SetBorderStyle(bsNone);
  Memo1->SetParentColor(true);
  Memo1->SetTabStop(false);
  Memo1->SetWordWrap(false);
  Memo1->SetLines({"　・ →", " ↓ (1/10)mm", "　　　‥‥‥‥　", "　　  ‥‥‥‥"});
  UpDown1 = new TUpDown(GroupBox2);
  UpDown1->SetName("UpDown1");
  UpDown1->SetRange(-100, 100);
  UpDown1->SetIncrement(10);
  UpDown2 = new TUpDown(GroupBox2);
  UpDown2->SetName("UpDown2");
  UpDown2->SetRange(-100, 100);
  UpDown2->SetIncrement(10);

  GroupBox3 = new TGroupBox(this);
  GroupBox3->SetName("GroupBox3");
  GroupBox3->SetBounds(12, 160, 210, 81);
  GroupBox3->SetCaption("行間隔・文字間隔");
  GroupBox3->SetTabOrder(1);
  Label2 = new TLabel(GroupBox3);
  Label2->SetName("Label2");
  Label2->SetBounds(30, 29, 0, 0);
  Label2->SetCaption("縦補正");
  Label4 = new TLabel(GroupBox3);
  Label4->SetName("Label4");
  Label4->SetBounds(30, 53, 0, 0);
  Label4->SetCaption("横補正");
  Label3 = new TLabel(GroupBox3);
  Label3->SetName("Label3");
  Label3->SetBounds(140, 29, 0, 0);
  Label3->SetCaption("(1/10) ％");
  Label5 = new TLabel(GroupBox3);
  Label5->SetName("Label5");
  Label5->SetBounds(140, 53, 0, 0);
  Label5->SetCaption("(max=50)");
  UpDown3 = new TUpDown(GroupBox3);
  UpDown3->SetName("UpDown3");
  UpDown3->SetRange(-50, 50);
  UpDown4 = new TUpDown(GroupBox3);
  UpDown4->SetName("UpDown4");
  UpDown4->SetRange(-50, 50);

  Panel1 = new TPanel(this);
  Panel1->SetName("Panel1");
  Panel1->SetCaption("");
  Panel1->SetBounds(0, 253, 235, 33);
  Panel1->SetAlign(alBottom);
  Button1 = new TButton(Panel1);
  Button1->SetName("Button1");
  Button1->SetCaption("ＯＫ");
  Button1->SetBounds(80, 4, 75, 25);
  Button1->SetModalResult(mrOk);
  Button1->OnClick = [this](QObject* sender) { Button1Click(sender); };

  OnCreate = [this](QObject* sender) { FormCreate(sender); };
}

TEditZpx* Tfmyohaku::MakeField(QWidget* parent, const char* name, int left, int top, int tabOrder, TUpDown* upDown) {
  auto* edit = new TEditZpx(parent);
  edit->SetName(name);
  edit->SetBounds(left, top, 30, 20);
  edit->SetMaxLength(3);
  edit->SetText("0");
  edit->SetAlignment(taRightJustify);
  edit->SetKeyEdit3D(bsNone);
  edit->SetImeMode(imDisable);
  edit->SetTabOrder(tabOrder);
  edit->OnExit = [this](QObject* sender) { ED_TOPExit(sender); };
  edit->OnKeyPress = [this](QObject* sender, char32_t& key) { ED_TOPKeyPress(sender, key); };
  upDown->SetAssociate(edit);
  return edit;
}

void Tfmyohaku::FormCreate(QObject*) {
  leftMargin_ = topMargin_ = vRatio_ = hRatio_ = 0;
  ED_TOP = MakeField(GroupBox2, "ED_TOP", 28, 68, 0, UpDown2);
  ED_LEFT = MakeField(GroupBox2, "ED_LEFT", 88, 33, 2, UpDown1);
  ED_VRATIO = MakeField(GroupBox3, "ED_VRATIO", 89, 25, 0, UpDown3);
  ED_HRATIO = MakeField(GroupBox3, "ED_HRATIO", 89, 49, 2, UpDown4);
}

void Tfmyohaku::SetTopMargin(int v) {
  if (v == topMargin_) return;
  UpDown2->SetPosition(v);
  topMargin_ = v;
}

void Tfmyohaku::SetLeftMargin(int v) {
  if (v == leftMargin_) return;
  UpDown1->SetPosition(v);
  leftMargin_ = v;
}

void Tfmyohaku::SetVRatio(int r) {
  UpDown3->SetPosition(r >= 950 && r <= 1050 ? r - 1000 : 0);
  vRatio_ = r;
}

void Tfmyohaku::SetHRatio(int r) {
  UpDown4->SetPosition(r >= 950 && r <= 1050 ? r - 1000 : 0);
  hRatio_ = r;
}

void Tfmyohaku::ED_TOPExit(QObject* sender) {
  auto* edit = dynamic_cast<TEditZpx*>(ControlOf(sender));
  if (!edit) return;
  const bool margin = edit == ED_TOP || edit == ED_LEFT;
  const int limit = margin ? 100 : 50;
  const int v = StrToIntDef(edit->Text(), 0);
  if (v < -limit) edit->SetText(std::to_string(-limit));
  if (v > limit) edit->SetText(std::to_string(limit));
  const int value = StrToIntDef(edit->Text(), 0);
  if (edit == ED_TOP) topMargin_ = value;
  if (edit == ED_LEFT) leftMargin_ = value;
  if (edit == ED_VRATIO) vRatio_ = value;
  if (edit == ED_HRATIO) hRatio_ = value;
}

void Tfmyohaku::ED_TOPKeyPress(QObject* sender, char32_t& key) {
  if (key == U'\r') return;
  auto* edit = dynamic_cast<TEditZpx*>(ControlOf(sender));
  if (!edit) return;
  const std::string text = edit->Text();
  const bool allSelected = edit->SelLength() == static_cast<int>(edit->text().size());
  key = CharFilter(text, key, 3, allSelected);
}

void Tfmyohaku::Button1Click(QObject*) {
  // A field still holding a typed value beyond its limit (OK reached without leaving it) is
  // taken at the limit, as leaving it would have made it.
  const auto value = [](TEditZpx* edit, int limit) { return std::clamp(StrToIntDef(edit->Text(), 0), -limit, limit); };
  topMargin_ = value(ED_TOP, 100);
  leftMargin_ = value(ED_LEFT, 100);
  vRatio_ = value(ED_VRATIO, 50) + 1000;
  hRatio_ = value(ED_HRATIO, 50) + 1000;
}
