// Renders a form with Japanese captions in the IPA fonts and writes it to
// ui_form_screenshot.png in the working directory (the build folder under ctest) for a
// person to look at. The test itself checks only that text was drawn.
#include <QImage>
#include <QSet>
#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "ui/forms/Button.h"
#include "ui/forms/Label.h"
#include "ui/forms/Memo.h"
#include "ui/forms/Panel.h"
#include "ui/xCheckBox.h"
#include "ui/xComboBox.h"
#include "ui/xEdit.h"
#include "ui/xRadioButton.h"

using namespace forms;

namespace {

class TSampleForm : public TForm {
 public:
  explicit TSampleForm(QWidget* owner) : TForm(owner) {
    SetName("TSampleForm");
    SetCaption("連動ﾃﾞｰﾀの作成");
    SetBorderStyle(bsSingle);
    TFontSpec font;
    font.Name = "ＭＳ Ｐゴシック";
    font.Height = -13;
    SetFont(font);
    SetClientSize(480, 300);

    auto* header = new TPanel(this);
    header->SetName("pnlHeader");
    header->SetAlign(alTop);
    header->SetHeight(36);
    header->SetColor(clNavy);
    TFontSpec white = font;
    white.Color = clWhite;
    white.Style = fsBold;
    header->SetFont(white);
    header->SetCaption("計算条件を指定してください。");

    Label1 = new TLabel(this);
    Label1->SetName("Label1");
    Label1->SetCaption("会社名(&C):");
    Label1->SetBounds(16, 52, 0, 0);
    auto* edit = new TxEdit(this);
    edit->SetName("Edit1");
    edit->SetBounds(120, 48, 220, 21);
    edit->SetText("株式会社テスト商事");

    auto* group = new TGroupBox(this);
    group->SetName("GroupBox3b");
    group->SetCaption("消費税計算区分");
    group->SetBounds(16, 80, 220, 60);
    auto* r1 = new TxRadioButton(group);
    r1->SetCaption("税込み");
    r1->SetBounds(12, 26, 90, 17);
    r1->SetChecked(true);
    auto* r2 = new TxRadioButton(group);
    r2->SetCaption("税抜き");
    r2->SetBounds(110, 26, 90, 17);

    auto* combo = new TxComboBox(this);
    combo->SetName("Combo1");
    combo->SetItems({"001:現金", "002:普通預金"});
    combo->SetItemIndex(1);
    combo->SetBounds(252, 96, 200, 21);

    auto* agree = new TxCheckBox(this);
    agree->SetName("cboxAgree");
    agree->SetCaption("同意する");
    agree->SetBounds(16, 150, 200, 17);
    agree->SetChecked(true);

    auto* memo = new TMemo(this);
    memo->SetName("Memo5b");
    memo->SetReadOnly(true);
    TFontSpec fixed = font;
    fixed.Name = "ＭＳ ゴシック";
    fixed.Height = -12;
    memo->SetFont(fixed);
    memo->SetLines({"【連動元情報】", " 会社名        : 株式会社テスト商事", " 会計期間      : 令和6年4月1日 ～ 令和7年3月31日"});
    memo->SetBounds(16, 174, 448, 70);

    const char* captions[] = {"< 戻る(&B)", "次へ(&N) >", "ｷｬﾝｾﾙ"};
    int x = 224;
    for (const char* caption : captions) {
      auto* b = new TButton(this);
      b->SetCaption(caption);
      b->SetBounds(x, 260, 75, 25);
      b->SetAnchors(akRight | akBottom);
      x += 82;
    }
  }
  TLabel* Label1 = nullptr;
};

TEST(Screenshot, JapaneseFormRendersInTheIpaFonts) {
  auto* form = CreateForm<TSampleForm>(nullptr);
  uitest::ShowActive(*form);
  const QImage image = form->grab().toImage();
  ASSERT_EQ(image.size(), QSize(480, 300));
  ASSERT_TRUE(image.save(QStringLiteral("ui_form_screenshot.png")));

  // Text was drawn: the label's area holds dark glyph pixels on the button face, and the
  // whole picture has far more colours than a blank or single-colour window.
  const QRect label = form->Label1->Widget()->geometry();
  int dark = 0;
  for (int y = label.top(); y <= label.bottom(); ++y) {
    for (int x = label.left(); x <= label.right(); ++x) {
      if (qGray(image.pixel(x, y)) < 100) ++dark;
    }
  }
  EXPECT_GT(dark, 20);
  QSet<QRgb> colours;
  for (int y = 0; y < image.height(); y += 2) {
    for (int x = 0; x < image.width(); x += 2) colours.insert(image.pixel(x, y));
  }
  EXPECT_GT(colours.size(), 30);
  EXPECT_EQ(image.pixelColor(2, 10), QColor(0, 0, 128)) << "the navy header";
  form->Free();
}

}  // namespace
