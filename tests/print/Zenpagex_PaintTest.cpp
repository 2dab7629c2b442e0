// The page renderer on a 254-dpi image, where one pixel is 0.1 mm: what the records draw, where,
// and in which order, read back from the pixels and from the recording canvas.
#include <QImage>
#include <memory>

#include "PrintTestSupport.h"
#include "print/Zenpagex_Colors.h"
#include "print/Zenpagex_Function.h"
#include "print/Zenpagex_Hensuu.h"
#include "print/Zenpagex_Pages.h"
#include "print/Zenpagex_Paint.h"

namespace {

constexpr int kDpi = 254;

class PageRender : public PrintTest {
 protected:
  PageRender() : image_(2100, 2970, QImage::Format_RGB32) { image_.fill(Qt::white); }

  // Draws `lines` as one page of the data layer and keeps what was drawn.
  bool Render(const std::vector<std::string>& lines, std::string_view layer = kLayerData) {
    const std::string file = WriteRecords("page.txt", lines);
    TTextFile f;
    f.Assign(file);
    f.Reset();
    canvas_ = std::make_unique<TRecordingCanvas>(image_);
    const bool atEnd = PaintPart(layer, f, *canvas_, kDpi, 1.0, 1.0, 10, false, 0, 0, 0);
    drawn_ = canvas_->Drawn;
    canvas_.reset();  // ends the painter, the image is complete
    return atEnd;
  }
  QRgb Pixel(int x, int y) const { return image_.pixel(x, y) & 0xFFFFFF; }
  bool Dark(int x, int y) const { return qGray(image_.pixel(x, y)) < 128; }
  const TDrawn* Find(const std::string& kind, const std::string& text = {}) const {
    for (const auto& d : drawn_) {
      if (d.Kind == kind && (text.empty() || d.Text == text)) return &d;
    }
    return nullptr;
  }
  // The first row from `top` down with a dark pixel in columns x0..x1; -1 when none.
  int FirstDarkRow(int top, int bottom, int x0, int x1) const {
    for (int y = top; y < bottom; ++y) {
      for (int x = x0; x < x1; ++x) {
        if (Dark(x, y)) return y;
      }
    }
    return -1;
  }

  QImage image_;
  std::unique_ptr<TRecordingCanvas> canvas_;
  std::vector<TDrawn> drawn_;
};

TEST_F(PageRender, BareTextSitsByItsCellTopInMinchoTenPointBlack) {
  EXPECT_TRUE(Render({"TEXT;100;100;A"}));
  const TDrawn* t = Find("text", "A");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->Rect.topLeft(), QPoint(100, 100));  // 10 mm right, 10 mm below
  EXPECT_EQ(t->Font.Name, "ＭＳ 明朝");
  EXPECT_EQ(t->Font.Height, -35);  // 10 pt at 254 dpi
  EXPECT_EQ(t->Font.Color, 0);
  EXPECT_FALSE(t->Opaque);
  // On the image the glyph starts below the cell top and within the cell.
  const int row = FirstDarkRow(90, 160, 95, 140);
  EXPECT_GE(row, 100);
  EXPECT_LT(row, 100 + t->Rect.height());
  EXPECT_EQ(FirstDarkRow(0, 100, 0, 2100), -1);
}

TEST_F(PageRender, LineOfWidthFourCoversTwoPixelsEachSide) {
  EXPECT_FALSE(Render({"LINE;100;500;1000;500;4;0;赤;", "E;"}));
  // Four rows, two each side of the line's axis, in the exact colour.
  std::vector<int> rows;
  for (int y = 490; y < 510; ++y) {
    if (Pixel(500, y) == 0xFF0000u) rows.push_back(y);
    else EXPECT_EQ(Pixel(500, y), 0xFFFFFFu) << y;
  }
  EXPECT_EQ(rows, (std::vector<int>{498, 499, 500, 501}));
  const TDrawn* l = Find("line");
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->Pen.Width, 4);
}

TEST_F(PageRender, FilledRectanglesLayerByTheirMode) {
  Render({
      "TEXT;200;200;■;;20;;黒;",                 // under a late mode-1 fill: stays visible
      "FRECT;150;150;600;600;銀;1;",
      "BOX;1000;200;1400;600;1;0;黒;黒;0;",       // covered by the mode-0 fill after it
      "FRECT;1000;200;1400;600;白;0;",
      "FRECT;200;1000;600;1400;銀;0;",            // mode 2 ANDs onto what lies beneath
      "FRECT;200;1000;600;1400;赤;2;",
  });
  EXPECT_EQ(Pixel(400, 400), 0xC0C0C0u);  // the fill, drawn first
  EXPECT_GE(FirstDarkRow(200, 300, 200, 300), 200);  // the text over it
  EXPECT_EQ(Pixel(1200, 400), 0xFFFFFFu);
  EXPECT_EQ(Pixel(400, 1200), 0xC00000u);  // silver AND red
  EXPECT_EQ(drawn_.front().Kind, "fill");
}

TEST_F(PageRender, JobOnA3PrintedOnA4ShrinksTo707PerMille) {
  Zpx().Printer = std::make_unique<printtest::FixedPrinter>(9, 210, 297);
  Zpx().CurrentJob.PaperSize = 8;
  UpdateScaleRatios();
  Render({"LINE;1000;1000;2000;1000;1;0;黒;", "TEXT;1000;2000;A;;10;"});
  const TDrawn* l = Find("line");
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->Rect.topLeft(), QPoint(707, 707));
  EXPECT_EQ(l->Rect.bottomRight(), QPoint(1414, 707));
  const TDrawn* t = Find("text", "A");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->Rect.topLeft(), QPoint(707, 1414));
  EXPECT_EQ(t->Font.Height, -24);  // nearest(10 × 254 × 0.707) / 72, truncated
}

TEST_F(PageRender, AnchorCentresTheFirstCharacterOnThePoint) {
  Render({"TEXT;300;300;Ａ;;10;;黒;;;0;1;"});
  const TDrawn* t = Find("text", "Ａ");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->Rect.left(), 300 - Nearest(t->Rect.width() * 0.5));
  EXPECT_EQ(t->Rect.top(), 300 - 17);  // half the 35-pixel height, less 0.55
}

TEST_F(PageRender, AutomaticPageNumberOnlyOnNumberedPages) {
  TZPGXDEF& job = Zpx().CurrentJob;
  job.PageBango.Switch = true;
  job.PageBango.Count = 2;
  job.PageBango.Left = 1900;
  job.PageBango.Top = 2800;
  const std::string data = WriteRecords(
      "data.txt", printtest::JoinPages({{"TEXT;100;100;一頁"}, {"LINE;100;100;500;100;1;0;黒;"}, {"TEXT;1;1;三"}}));
  CountPages(data, true);
  Zpx().DataPageNo = 2;
  Render({"LINE;100;100;500;100;1;0;黒;", "E;"});
  EXPECT_EQ(Find("text"), nullptr);
  Zpx().DataPageNo = 3;
  Render({"TEXT;1;1;三", "E;"});
  const TDrawn* n = Find("text", "(2/2)");
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(n->Rect.right() + 1, 1900);  // right-aligned at its left position
}

TEST_F(PageRender, FailingRecordIsLoggedOnceAndTheRestIsDrawn) {
  const std::string broken = dir_.Write("broken.bmp", "not a picture");
  const std::string metafile = dir_.Write("chart.wmf", "metafile");
  Render({"IMAGE;100;100;500;500;" + broken + ";0;", "TEXT;100;700;後の文字", "IMAGE;100;100;500;500;" + metafile + ";0;",
          "CHART;x;100;100;500;500;0;", "LINE;100;900;500;900;1;0;黒;"});
  EXPECT_NE(Find("text", "後の文字"), nullptr);
  EXPECT_NE(Find("line"), nullptr);
  const std::string log = ErrorLog();
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 3) << log;
  EXPECT_NE(log.find("ImageOut.(IMAGE):"), std::string::npos);
  EXPECT_NE(log.find("ImageOut.(CHART):"), std::string::npos);
  EXPECT_TRUE(Zpx().PaintFailed);
}

TEST_F(PageRender, PicturesAreStretchedIntoTheirBox) {
  QImage red(10, 10, QImage::Format_RGB32);
  red.fill(Qt::red);
  const std::string bmp = dir_.Str() + "/red.bmp";
  const std::string jpg = dir_.Str() + "/red.JPG";
  ASSERT_TRUE(red.save(QString::fromStdString(bmp), "BMP"));
  ASSERT_TRUE(red.save(QString::fromStdString(jpg), "JPEG"));
  Render({"IMAGE;100;100;300;300;" + bmp + ";0;", "IMAGE;500;100;700;300;" + jpg + ";0;"});
  EXPECT_EQ(Pixel(200, 200), 0xFF0000u);
  EXPECT_GT(qRed(Pixel(600, 200)), 200);
  EXPECT_LT(qGreen(Pixel(600, 200)), 50);
  EXPECT_EQ(Pixel(400, 200), 0xFFFFFFu);
  EXPECT_EQ(ErrorLog(), "");
}

TEST_F(PageRender, BasePointMovesLaterRecordsAndFormsPlaceThemselvesOnThePage) {
  // The sub-form places a further form inside itself; that one is placed on the page, and a
  // form that places itself stops instead of recursing without end.
  const std::string inner = WriteRecords("inner.frm", {"TEXT;0;0;内"});
  const std::string outer = WriteRecords("outer.frm", {"TEXT;0;0;外", "FORM;" + inner + ";;50;60;"});
  const std::string self = dir_.Str() + "/self.frm";
  WriteRecords("self.frm", {"FORM;" + self + ";;0;0;"});
  Render({"BP;1000;1000;1;0;黒;", "LINEB;100;0;", "FORM;" + outer + ";;200;300;", "FORM;" + self + ";;0;0;"});
  const TDrawn* l = Find("line");
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->Rect.topLeft(), QPoint(1000, 1000));
  EXPECT_EQ(l->Rect.bottomRight(), QPoint(1100, 1000));
  ASSERT_NE(Find("text", "外"), nullptr);
  EXPECT_EQ(Find("text", "外")->Rect.topLeft(), QPoint(200, 300));
  ASSERT_NE(Find("text", "内"), nullptr);
  EXPECT_EQ(Find("text", "内")->Rect.topLeft(), QPoint(50, 60));
  EXPECT_NE(ErrorLog().find("ImageOut.(FORM):"), std::string::npos);
}


TEST_F(PageRender, TextKindsSpreadStackAndBreakTheirText) {
  Render({
      "UTEXT;100;100;ABC;;10;;黒;;;300;",        // spread over 30 mm
      "VTEXT;1000;100;縦書;;10;;黒;;;500;",      // set downwards over 50 mm
      "TEXT;100;1000;上\t\t下;;10;",              // TAB: a line each, the empty one kept
      "TEXT;100;1500;二重;;10;DU;",               // a second underline of blanks, 0.4 mm lower
  });
  const TDrawn* a = Find("text", "A");
  const TDrawn* c = Find("text", "C");
  ASSERT_TRUE(a && c && Find("text", "B"));
  EXPECT_EQ(a->Rect.left(), 100);
  EXPECT_NEAR(c->Rect.left() + c->Rect.width(), 400, 1);
  const TDrawn* v1 = Find("text", "縦");
  const TDrawn* v2 = Find("text", "書");
  ASSERT_TRUE(v1 && v2);
  EXPECT_EQ(v1->Rect.left(), v2->Rect.left());
  EXPECT_EQ(v2->Rect.top() - v1->Rect.top(), 500 - v1->Rect.height());
  const TDrawn* up = Find("text", "上");
  const TDrawn* down = Find("text", "下");
  ASSERT_TRUE(up && down);
  EXPECT_EQ(down->Rect.top() - up->Rect.top(), 2 * up->Rect.height());
  const TDrawn* blanks = Find("text", "    ");
  ASSERT_NE(blanks, nullptr);
  EXPECT_EQ(blanks->Rect.topLeft(), QPoint(100, 1504));
}

TEST_F(PageRender, ShapesMemoAndMarginsByTheirFields) {
  Render({
      "MEMO;100;100;300;400;あいうえおかきくけこさしすせそ;1;;10;;黒;",
      "SLINE;1500;100;500;2;1;0;黒;;10;",
      "MARUMOJI;500;1500;100;済;;10;;黒;",
      "RRECT;100;2000;300;2200;20;20;1;0;黒;白;0;",
      "CIRCLE;400;2000;600;2200;1;0;黒;白;0;",
      "TOPMARGIN;100;",
      "TEXT;1000;1000;下がる",
      "MESSAGE;画面には出ない;",
  });
  const TDrawn* frame = Find("rect");
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->Rect, QRect(QPoint(95, 95), QPoint(305, 405)));
  std::vector<const TDrawn*> pieces;
  for (const auto& d : drawn_) {
    if (d.Kind == "text" && d.Rect.left() == 100) pieces.push_back(&d);
  }
  ASSERT_GE(pieces.size(), 2u);
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    EXPECT_LE(pieces[k]->Rect.width(), 200);
    EXPECT_LT(pieces[k]->Rect.top(), 400 - pieces[k]->Rect.height());
  }
  int slines = 0;
  for (const auto& d : drawn_) {
    if (d.Kind == "line" && d.Rect.top() == 100 && d.Rect.bottom() == 500 && d.Rect.left() < 1500) ++slines;
  }
  EXPECT_EQ(slines, 2);
  const TDrawn* circle = Find("ellipse");
  ASSERT_NE(circle, nullptr);
  EXPECT_EQ(circle->Rect, QRect(QPoint(450, 1450), QPoint(550, 1550)));
  EXPECT_NE(Find("roundrect"), nullptr);
  ASSERT_NE(Find("text", "下がる"), nullptr);
  EXPECT_EQ(Find("text", "下がる")->Rect.top(), 1100);
  EXPECT_EQ(Zpx().TopBase, 0);        // the margin lasts for the page only
  EXPECT_EQ(Zpx().MessageText, "");   // messages come from the printer's page only
}

TEST_F(PageRender, VariablesFollowTheFormPagesLinePitch) {
  const std::string form = WriteRecords("vars.frm", {
                                                        "&;1000;500;AMOUNT;ＭＳ 明朝;10;;黒;1;LEFT;0;0;0;",
                                                        "&;0;0;行間;ＭＳ 明朝;10;;黒;1;LEFT;50;0;0;",
                                                    });
  HensuuYomikomi(form, 0, 0);
  Render({"@;AMOUNT;1,000;", "@;AMOUNT;2,000;", "@;UNKNOWN;3,000;"});
  ASSERT_NE(Find("text", "1,000"), nullptr);
  ASSERT_NE(Find("text", "2,000"), nullptr);
  EXPECT_EQ(Find("text", "1,000")->Rect.topLeft(), QPoint(1000, 500));
  EXPECT_EQ(Find("text", "2,000")->Rect.topLeft(), QPoint(1000, 550));
  EXPECT_EQ(Find("text", "3,000"), nullptr);
}

}  // namespace
