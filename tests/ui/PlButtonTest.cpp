// The painted button: its gradient row by row, the caption looks of a disabled button, the
// focus mark, taEven spacing, the first caption taken from the name, pictures, and the
// clicks and dialog keys that close a modal form with a result.
#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>
#include <QSet>
#include <gtest/gtest.h>
#include <vector>

#include "UiTestSupport.h"
#include "ui/forms/Application.h"
#include "ui/xPlButton.h"

using namespace forms;

namespace {

class TButtonForm : public TForm {
 public:
  explicit TButtonForm(QWidget* owner) : TForm(owner) {
    SetName("TButtonForm");
    SetCaption("TButtonForm");
    SetBorderStyle(bsDialog);
    SetClientSize(320, 120);
    btnOK = Make("btnOK", 10, 1);
    btnOK->CaptionA().SetCaption("OK");
    btnOK->OnClick = [this](QObject*) { ++okClicks; };
    btnCancel = Make("btnCancel", 100, 2);
    btnCancel->CaptionA().SetCaption("キャンセル");
    btnCancel->SetCancel(true);
    btnCancel->OnClick = [this](QObject*) { ++cancelClicks; };
    btnF2 = Make("btnF2", 190, 0);
    btnF2->CaptionA().SetCaption("F2:コピー");
    btnF2->SetHasFocus(false);
    btnF2->SetTabStop(false);
    btnF2->OnClick = [this](QObject*) { ++f2Clicks; };
  }

  TxPlButton* Make(const char* name, int left, int result) {
    auto* b = new TxPlButton(this);
    b->SetName(name);
    b->SetBounds(left, 40, 80, 26);
    b->SetModalResult(result);
    return b;
  }

  TxPlButton* btnOK;
  TxPlButton* btnCancel;
  TxPlButton* btnF2;
  int okClicks = 0, cancelClicks = 0, f2Clicks = 0;
};

QColor Pixel(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

QSet<QRgb> Colors(const QImage& image) {
  QSet<QRgb> set;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) set.insert(image.pixel(x, y) & 0xFFFFFF);
  }
  return set;
}

int Expected(int begin, int end, int y, int height) { return height == 1 ? begin : begin + y * (end - begin) / (height - 1); }

TEST(PlButton, GradientRowsFollowTheIntegerFormula) {
  struct Case {
    int height;
    TColor begin, end;
  } cases[] = {
      {1, clWhite, clSilver},
      {2, clWhite, clSilver},
      {26, clWhite, clSilver},
      // Falling and rising channels: the division truncates toward zero both ways.
      {26, RGB(10, 200, 30), RGB(250, 0, 131)},
      {7, RGB(0, 255, 100), RGB(3, 250, 100)},
  };
  auto* form = CreateForm<TForm>(nullptr);
  form->SetClientSize(200, 100);
  auto* button = new TxPlButton(form);
  button->SetButtonStyle(bsFlatNoFrame);
  form->Show();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.height);
    button->SetBounds(5, 5, 40, c.height);
    button->SetGradBeginColor(c.begin);
    button->SetGradEndColor(c.end);
    const QImage image = button->grab().toImage();
    ASSERT_EQ(image.height(), c.height);
    for (int y = 0; y < c.height; ++y) {
      const QColor want(Expected(GetRValue(c.begin), GetRValue(c.end), y, c.height),
                        Expected(GetGValue(c.begin), GetGValue(c.end), y, c.height),
                        Expected(GetBValue(c.begin), GetBValue(c.end), y, c.height));
      for (int x : {0, 20, 39}) EXPECT_EQ(Pixel(image, x, y), want) << "row " << y << " x " << x;
    }
  }
  form->Free();
}

TEST(PlButton, DisabledCaptionsAreEmbossedOnlyWithHasFocus) {
  auto* form = CreateForm<TForm>(nullptr);
  form->SetClientSize(200, 100);
  auto* button = new TxPlButton(form);
  button->SetBounds(10, 10, 120, 40);
  button->SetButtonStyle(bsFlatNoFrame);
  button->SetGradation(false);
  button->CaptionA().SetCaption("■■■");
  button->SetEnabled(false);
  form->Show();
  // The face is 240 grey. Text edges are smoothed, so the highlight shows as pixels lighter
  // than the face; the strokes' insides are exactly the shadow or the grey-text colour.
  const QRgb shadow = ToQColor(clBtnShadow).rgb() & 0xFFFFFF;
  const QRgb grey = ToQColor(clGrayText).rgb() & 0xFFFFFF;
  auto lighter = [](const QSet<QRgb>& colors) {
    for (QRgb c : colors) {
      if (qRed(c) > 245) return true;
    }
    return false;
  };

  QSet<QRgb> embossed = Colors(button->grab().toImage());
  EXPECT_TRUE(lighter(embossed));
  EXPECT_TRUE(embossed.contains(shadow));
  EXPECT_FALSE(embossed.contains(grey));

  button->SetHasFocus(false);
  QSet<QRgb> flat = Colors(button->grab().toImage());
  EXPECT_TRUE(flat.contains(grey));
  EXPECT_FALSE(lighter(flat));
  EXPECT_FALSE(flat.contains(shadow));
  form->Free();
}

TEST(PlButton, EvenSpacingSpreadsTheRemainderOverTheFirstGaps) {
  struct Case {
    std::vector<int> widths;
    int start, span;
    std::vector<int> positions;
  } cases[] = {
      // Two characters on an 80-pixel button: the first at 2, the second ends at 78.
      {{12, 12}, 2, 76, {2, 66}},
      {{10, 10, 10}, 2, 35, {2, 15, 27}},
      // Wider than the span: negative gap and remainder.
      {{20, 20, 20}, 2, 55, {2, 19, 37}},
      // One character is centred.
      {{12}, 2, 76, {34}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PlBtnEvenPositions(c.widths, c.start, c.span), c.positions);
    if (c.widths.size() > 1) {
      EXPECT_EQ(c.positions.back() + c.widths.back(), c.start + c.span);
    }
  }
}

TEST(PlButton, FirstCaptionIsTheNameGivenBeforeTheFirstParent) {
  auto* form = CreateForm<TForm>(nullptr);
  auto* named = new TxPlButton(nullptr);
  named->SetName("btnSansyo");
  named->SetParent(form);
  EXPECT_EQ(named->CaptionA().Caption(), "btnSansyo");
  // Only the first parent counts.
  named->CaptionA().SetCaption("");
  auto* panel = new QWidget(form);
  named->SetParent(nullptr);
  named->setParent(panel);
  EXPECT_EQ(named->CaptionA().Caption(), "");
  form->Free();
}

TEST(PlButton, PictureTakesOnlyBitmapsAndIcons) {
  auto* form = CreateForm<TForm>(nullptr);
  auto* button = new TxPlButton(form);
  QImage image(16, 16, QImage::Format_RGB32);
  image.fill(Qt::red);
  TPicture picture;
  picture.Assign(image, TGraphicKind::Bitmap);
  button->Image().SetPicture(picture);
  EXPECT_FALSE(button->Image().Picture().Empty());
  picture.Assign(image, TGraphicKind::Metafile);
  button->Image().SetPicture(picture);
  EXPECT_TRUE(button->Image().Picture().Empty());
  picture.Assign(image, TGraphicKind::Other);
  button->Image().SetPicture(picture);
  EXPECT_TRUE(button->Image().Picture().Empty());

  // A vertically centred bitmap is drawn at (Left, (Height - height) / 2).
  picture.Assign(image, TGraphicKind::Icon);
  button->Image().SetPicture(picture);
  button->SetBounds(0, 0, 75, 26);
  form->Show();
  const QImage shot = button->grab().toImage();
  EXPECT_EQ(button->Image().Top(), 5);
  EXPECT_EQ(Pixel(shot, 10, 5), QColor(Qt::red));
  EXPECT_EQ(Pixel(shot, 25, 20), QColor(Qt::red));
  EXPECT_NE(Pixel(shot, 26, 20), QColor(Qt::red));
  form->Free();
}

TEST(PlButton, FocusMarkOnlyOnTheActiveButton) {
  auto* form = CreateForm<TButtonForm>(nullptr);
  uitest::ShowActive(*form);
  form->btnOK->SetFocus();
  uitest::Pump();
  // Row 3 of the white-to-silver gradient of a 26-pixel button is 248; the focus mark
  // inverts every other pixel of the rectangle 3 pixels inside the edges.
  const QImage focused = form->btnOK->grab().toImage();
  EXPECT_EQ(Pixel(focused, 3, 3), QColor(7, 7, 7));
  EXPECT_EQ(Pixel(focused, 4, 3), QColor(248, 248, 248));
  const QImage other = form->btnCancel->grab().toImage();
  EXPECT_EQ(Pixel(other, 3, 3), QColor(248, 248, 248));
  form->Free();
}

// ---- clicks and dialog keys in a modal form ----

struct ModalCase {
  const char* name;
  std::function<void(TButtonForm&)> act;
  int result;
  int okClicks, cancelClicks;
};

void PrintTo(const ModalCase& c, std::ostream* os) { *os << c.name; }

class PlButtonModal : public ::testing::TestWithParam<ModalCase> {};

TEST_P(PlButtonModal, ClosesWithTheButtonsResult) {
  const ModalCase& c = GetParam();
  auto* form = CreateForm<TButtonForm>(nullptr);
  // The case's action, then (if the form is still up) OK's click ends the run.
  uitest::ModalScript script({[&](TForm&) { c.act(*form); },
                              [&](TForm&) {
                                if (form->Modal() && form->ModalResult() == 0) uitest::Click(form->btnOK);
                              }});
  const int result = form->ShowModal();
  EXPECT_FALSE(script.WatchdogFired());
  EXPECT_EQ(result, c.result);
  EXPECT_EQ(form->okClicks, c.okClicks);
  EXPECT_EQ(form->cancelClicks, c.cancelClicks);
  form->Free();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlButtonModal,
    ::testing::Values(
        ModalCase{"Click", [](TButtonForm& f) { uitest::Click(f.btnOK); }, 1, 1, 0},
        ModalCase{"EnterOnFocused", [](TButtonForm&) { uitest::Key(Qt::Key_Return); }, 1, 1, 0},
        ModalCase{"EscapeClicksCancel", [](TButtonForm&) { uitest::Key(Qt::Key_Escape); }, 2, 0, 1},
        // Shift+Esc clicks nothing; the script's own OK click ends the run.
        ModalCase{"ShiftEscape", [](TButtonForm&) { uitest::Key(Qt::Key_Escape, Qt::ShiftModifier); }, 1, 1, 0},
        // Shift+Enter fires only OnClick: the result stays 0 and the form stays up.
        ModalCase{"ShiftEnterOnlyClicks", [](TButtonForm&) { uitest::Key(Qt::Key_Return, Qt::ShiftModifier); }, 1, 2, 0},
        // A function-key button sets its result (0) and keeps the focus where it was.
        ModalCase{"NoFocusButton",
                  [](TButtonForm& f) {
                    uitest::Click(f.btnF2);
                    EXPECT_EQ(f.f2Clicks, 1);
                    EXPECT_EQ(uitest::FocusedName(), "btnOK");
                  },
                  1, 1, 0},
        // A disabled Cancel button does not answer Esc.
        ModalCase{"DisabledCancel",
                  [](TButtonForm& f) {
                    f.btnCancel->SetEnabled(false);
                    uitest::Key(Qt::Key_Escape);
                    f.btnCancel->SetEnabled(true);
                  },
                  1, 1, 0}),
    [](const ::testing::TestParamInfo<ModalCase>& info) { return std::string(info.param.name); });

TEST(PlButton, PressLeaveReleaseDoesNotClick) {
  auto* form = CreateForm<TButtonForm>(nullptr);
  uitest::ShowActive(*form);
  TxPlButton* b = form->btnOK;
  const QPointF inside(10, 10), outside(-20, -20);
  QMouseEvent press(QEvent::MouseButtonPress, inside, b->mapToGlobal(inside), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(b, &press);
  EXPECT_TRUE(b->Pressed());
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(b, &leave);
  EXPECT_FALSE(b->Pressed());
  QMouseEvent release(QEvent::MouseButtonRelease, outside, b->mapToGlobal(outside), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(b, &release);
  uitest::Pump();
  EXPECT_EQ(form->okClicks, 0);
  EXPECT_EQ(form->ModalResult(), 0);
  form->Free();
}

TEST(PlButton, MouseEnterAndLeaveReportThePosition) {
  auto* form = CreateForm<TButtonForm>(nullptr);
  uitest::ShowActive(*form);
  std::vector<std::pair<int, int>> enters;
  int leaves = 0;
  form->btnOK->OnMouseEnter = [&](QObject* sender, TShiftState, int x, int y) {
    EXPECT_EQ(sender, form->btnOK);
    enters.emplace_back(x, y);
  };
  form->btnOK->OnMouseLeave = [&](QObject*, TShiftState, int, int) { ++leaves; };
  const QPointF at(7, 9);
  QEnterEvent enter(at, form->btnOK->mapTo(form, at), form->btnOK->mapToGlobal(at));
  QCoreApplication::sendEvent(form->btnOK, &enter);
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(form->btnOK, &leave);
  ASSERT_EQ(enters.size(), 1u);
  EXPECT_EQ(enters[0], std::make_pair(7, 9));
  EXPECT_EQ(leaves, 1);
  form->Free();
}

}  // namespace
