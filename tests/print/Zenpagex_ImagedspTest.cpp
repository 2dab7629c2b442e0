// The preview window of a six-page job, driven by clicks as a user does, off-screen, with the
// PDF pseudo-printer behind it.
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <filesystem>

#include "PrintTestSupport.h"
#include "platform/Encoding.h"
#include "print/Zenpagex_Class.h"
#include "print/Zenpagex_Colors.h"
#include "print/Zenpagex_Imagedsp.h"
#include "print/Zenpagex_Pages.h"
#include "print/Zenpagex_Paint.h"
#include "print/Zenpagex_Vdb.h"
#include "print/Zenpagex_yohaku.h"
#include "ui/forms/Application.h"

namespace {

using printtest::Click;
using printtest::ModalScript;

class PrintPreview : public PrintTest {
 protected:
  void SetUp() override {
    PrintTest::SetUp();
    pdf_ = dir_.Str() + "/out.pdf";
    const std::string pdf = pdf_;
    EngineStartup([pdf] { return std::make_unique<TVDBPrint>(pdf); });
    ASSERT_TRUE(Zpx().EngineReady);
    std::vector<std::string> lines = printtest::DataHeader();
    for (const auto& l : printtest::JoinPages({
             {"TEXT;200;200;消費税の申告書;;14;", "BOX;150;150;1900;600;4;0;黒;白;1;"},
             {"TEXT;200;200;第二頁;;12;", "LINE;200;300;1800;300;4;0;黒;"},
             {"TEXT;200;200;第三頁;;12;"},
             {"ORIENTATION;1;", "TEXT;200;200;横向きの頁;;12;"},
             {"TEXT;200;200;第五頁;;12;"},
             {"TEXT;200;200;最後の頁;;12;"},
         })) {
      lines.push_back(l);
    }
    data_ = WriteRecords("data.zpx", lines);
    job_.DataFile = data_;
    job_.PaperSize = 9;
    job_.Title = "データリストの印刷";
  }

  TImageDispForm& Form() { return *ImageDispForm(); }
  std::string Where() { return Form().WherePage->Caption(); }

  std::string pdf_;
  std::string data_;
  TZPGXDEF job_;
};

TEST_F(PrintPreview, PagesZoomAndJump) {
  ui_.inputAnswers = {ScriptedUi::Ok("0"), ScriptedUi::Ok("7"), ScriptedUi::Ok("4"), ScriptedUi::Ok("ページ"),
                      ScriptedUi::Ok("5"), ScriptedUi::Cancel()};
  ModalScript script({[&](QWidget& w) {
    TImageDispForm& f = Form();
    EXPECT_EQ(f.Caption(), "データリストの印刷");
    EXPECT_EQ(Where(), "1/6");
    printtest::Screenshot(w, "print_preview.png");
    Click(f.NextPage);
    EXPECT_EQ(Where(), "2/6");
    Click(f.PrevPage);
    Click(f.PrevPage);
    EXPECT_EQ(Where(), "1/6");
    Click(f.LastPage);
    Click(f.NextPage);
    EXPECT_EQ(Where(), "6/6");
    Click(f.TopPage);
    EXPECT_EQ(Where(), "1/6");

    // Jumps: 0 and 7 keep the page, 4 is taken, text reads as 1, cancel answers 1.
    const char* after[] = {"1/6", "1/6", "4/6", "1/6"};
    for (const char* expected : after) {
      Click(f.PgJump);
      EXPECT_EQ(Where(), expected);
    }
    Click(f.PgJump);
    EXPECT_EQ(Where(), "5/6");
    Click(f.PgJump);
    EXPECT_EQ(Where(), "1/6");
    ASSERT_EQ(ui_.inputs.size(), 6u);
    EXPECT_EQ(ui_.inputs[0].caption, "ページ指定");
    EXPECT_EQ(ui_.inputs[0].value, "1");

    // Page 4 is landscape: the sheet turns while it is shown and back afterwards.
    const QSize portrait = f.PaperPanel->size();
    EXPECT_LT(portrait.width(), portrait.height());
    Click(f.NextPage);
    Click(f.NextPage);
    Click(f.NextPage);
    EXPECT_GT(f.PaperPanel->width(), f.PaperPanel->height());
    Click(f.NextPage);
    EXPECT_EQ(f.PaperPanel->size(), portrait);

    // The zoom stays within 50 % and 200 %.
    for (int i = 0; i < 20; ++i) Click(f.ZoomInButton);
    EXPECT_EQ(Zpx().PreviewZoom, 20);
    EXPECT_EQ(f.DispZoom->Caption(), "200%");
    const int wide = f.PaperPanel->width();
    for (int i = 0; i < 20; ++i) Click(f.ZoomOutButton);
    EXPECT_EQ(Zpx().PreviewZoom, 5);
    EXPECT_EQ(f.DispZoom->Caption(), "50%");
    EXPECT_GT(wide, 3 * f.PaperPanel->width());
    Click(f.SpeedButton3);
    EXPECT_EQ(f.DispZoom->Caption(), "100%");
    // The whole sheet in the window (A4 in 796 × 796 pixels at 96 dpi: 60 %).
    Click(f.ZoomJustButton);
    EXPECT_EQ(f.DispZoom->Caption(), "60%");
    EXPECT_LE(f.PaperPanel->y() + f.PaperPanel->height(), f.ImagePaintScrollBox->height());
    Click(f.CloseButton);
  }});
  EXPECT_EQ(ShowPreview(job_), 0);
  EXPECT_EQ(script.Left(), 0u);
  EXPECT_FALSE(script.WatchdogFired());
  EXPECT_EQ(ImageDispForm(), nullptr);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(PrintPreview, PaintBoxShowsWhatTheRendererDraws) {
  ModalScript script({[&](QWidget&) {
    TImageDispForm& f = Form();
    Click(f.NextPage);
    Click(f.ZoomOutButton);
    printtest::Pump();
    const QImage shown = f.ImagePaintBox->grab().toImage().convertToFormat(QImage::Format_RGB32);

    // The same page drawn directly at the same dpi and zoom.
    QImage direct(f.ImagePaintBox->size(), QImage::Format_RGB32);
    direct.fill(Qt::white);
    {
      QPainter painter(&direct);
      painter.setPen(QPen(QColor(0, 0, 255), 0, Qt::DotLine));
      painter.drawRect(0, 0, direct.width() - 1, direct.height() - 1);
      TQtCanvas canvas(painter, false);
      TTextFile data;
      data.Assign(data_);
      data.Reset();
      ASSERT_TRUE(SkipToPage(data, 2, false));
      PaintPart(kLayerData, data, canvas, 96, 96 / 254.0, 96 / 254.0, Zpx().PreviewZoom, true, 0, 0, 0);
    }
    EXPECT_EQ(shown.size(), direct.size());
    EXPECT_TRUE(shown == direct) << "the paint box differs from the page drawn directly";
    // Not a blank page: the 0.4 mm rule of page 2 is there.
    int dark = 0;
    for (int x = 0; x < shown.width(); ++x) {
      for (int y = 0; y < shown.height(); ++y) dark += qGray(shown.pixel(x, y)) < 80;
    }
    EXPECT_GT(dark, 200);
    Click(f.CloseButton);
  }});
  ShowPreview(job_);
  EXPECT_EQ(script.Left(), 0u);
}

TEST_F(PrintPreview, ButtonsFollowTheJob) {
  job_.Permit = false;
  Zpx().CurrentJob.CurrentPage = false;  // the engine's own switch (the writer sets it)
  job_.PrevPaperButton = true;
  ModalScript script({[&](QWidget&) {
    TImageDispForm& f = Form();
    EXPECT_FALSE(f.PrintButton->Enabled());
    EXPECT_FALSE(f.PrintSetupButton->Enabled());
    EXPECT_FALSE(f.CurrentPage->Enabled());
    EXPECT_FALSE(f.CurrentPage->isVisibleTo(&f));
    EXPECT_TRUE(f.PrevPaper->isVisibleTo(&f));
    EXPECT_TRUE(f.PrevPaper->Enabled());
    EXPECT_TRUE(f.NextPaper->isVisibleTo(&f));
    EXPECT_FALSE(f.NextPaper->Enabled());
    Click(f.PrintButton);  // disabled: nothing
    f.Close();             // the close box
  }});
  // The close box with the report buttons shown answers 0.
  EXPECT_EQ(ShowPreview(job_), 0);
  EXPECT_FALSE(std::filesystem::exists(pdf_));

  // Without them it answers 1; the previous-report button answers −1.
  job_.PrevPaperButton = false;
  ModalScript closeBox({[&](QWidget&) { Form().Close(); }});
  EXPECT_EQ(ShowPreview(job_), 1);
  job_.PrevPaperButton = true;
  ModalScript previous({[&](QWidget&) { Click(Form().PrevPaper); }});
  EXPECT_EQ(ShowPreview(job_), -1);
}

TEST_F(PrintPreview, DraggingMovesThePage) {
  ModalScript script({[&](QWidget&) {
    TImageDispForm& f = Form();
    for (int i = 0; i < 10; ++i) Click(f.ZoomInButton);
    QWidget* box = f.ImagePaintBox;
    const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
      QMouseEvent e(type, QPointF(at), QPointF(box->mapToGlobal(at)), Qt::LeftButton, buttons, Qt::NoModifier);
      QCoreApplication::sendEvent(box, &e);
    };
    send(QEvent::MouseButtonPress, {300, 300}, Qt::LeftButton);
    EXPECT_EQ(box->cursor().shape(), Qt::SizeAllCursor);
    send(QEvent::MouseMove, {250, 260}, Qt::LeftButton);
    EXPECT_EQ(f.ImagePaintScrollBox->horizontalScrollBar()->value(), 50);
    EXPECT_EQ(f.ImagePaintScrollBox->verticalScrollBar()->value(), 40);
    send(QEvent::MouseMove, {400, 400}, Qt::LeftButton);  // not past the start
    EXPECT_EQ(f.ImagePaintScrollBox->horizontalScrollBar()->value(), 0);
    send(QEvent::MouseButtonRelease, {400, 400}, Qt::NoButton);
    send(QEvent::MouseMove, {100, 100}, Qt::NoButton);  // released: no more dragging
    EXPECT_EQ(f.ImagePaintScrollBox->verticalScrollBar()->value(), 0);
    EXPECT_EQ(box->cursor().shape(), Qt::ArrowCursor);
    Click(f.CloseButton);
  }});
  ShowPreview(job_);
  EXPECT_EQ(script.Left(), 0u);
}

TEST_F(PrintPreview, PrinterSetUpFromThePreview) {
  ModalScript script({
      [&](QWidget&) {
        TImageDispForm& f = Form();
        const QSize portrait = f.PaperPanel->size();
        Click(f.PrintSetupButton);  // A5 landscape chosen below
        EXPECT_EQ(Vdb()->GetPaper(), 11);
        EXPECT_EQ(Vdb()->Orientation(), 1);
        EXPECT_GT(f.PaperPanel->width(), f.PaperPanel->height());
        EXPECT_LT(f.PaperPanel->width(), portrait.height());
        Click(f.CloseButton);
      },
      [&](QWidget& w) {
        auto& dlg = static_cast<TPrinterSetupDialog&>(w);
        EXPECT_EQ(dlg.PrinterCombo->Text(), "PDF");
        EXPECT_EQ(dlg.PaperCombo->Text(), "A4");
        dlg.PaperCombo->SetItemIndex(2);  // A3, A4, A5 ...
        Click(dlg.LandscapeButton, QPoint(8, dlg.LandscapeButton->height() / 2));
        printtest::Screenshot(w, "printer_setup_dialog.png");
        Click(dlg.OkButton);
      },
  });
  ShowPreview(job_);
  EXPECT_EQ(script.Left(), 0u);
}

TEST_F(PrintPreview, SnapshotSavedLoadedAndLeftAgain) {
  // A client that offers the snapshot tools shows their buttons itself.
  QImage picture(20, 20, QImage::Format_RGB32);
  picture.fill(Qt::red);
  const std::string pictureFile = dir_.Str() + "/stamp.bmp";
  ASSERT_TRUE(picture.save(QString::fromStdString(pictureFile)));
  std::vector<std::string> lines = printtest::DataHeader();
  for (const auto& l : printtest::JoinPages({{"TEXT;200;200;控え;;12;", "IMAGE;100;100;300;300;" + pictureFile + ";0;"},
                                             {"TEXT;200;200;二枚目;;12;"}})) {
    lines.push_back(l);
  }
  const std::string snapshotData = WriteRecords("snap.zpx", lines);
  std::filesystem::create_directory(dir_.Str() + "/saved");
  const std::string saved = dir_.Str() + "/saved/控え.zpx";
  const std::string foreign = dir_.Write("foreign.zpx", "not a print file\r\n");
  ui_.fileAnswers = {saved, foreign, saved};
  ModalScript script({[&](QWidget&) {
    TImageDispForm& f = Form();
    for (auto* b : {f.ImageOut, f.ImageOpen, f.ImageOpenCancel}) b->SetVisible(true);
    f.ImageOut->SetEnabled(true);
    f.ImageOpen->SetEnabled(true);
    // Saving the 6-page job's data file and the picture its first page names.
    Zpx().DataFileName = snapshotData;
    Click(f.ImageOut);
    Zpx().DataFileName = data_;
    ASSERT_TRUE(std::filesystem::exists(saved));
    EXPECT_TRUE(std::filesystem::exists(dir_.Str() + "/saved/控え_stamp.bmp"));
    const std::string text = sjis::ToUtf8(TempDir::Read(std::filesystem::u8path(saved)));
    EXPECT_NE(text.find("IMAGE;100;100;300;300;" + dir_.Str() + "/saved/控え_stamp.bmp;0;"), std::string::npos);

    // A file that is no print file is refused.
    Click(f.ImageOpen);
    EXPECT_TRUE(ui_.Shown("[ZENPAGEX]印刷ファイルではありません。"));
    EXPECT_EQ(Zpx().DataFileName, data_);

    Click(f.ImageOpen);
    EXPECT_EQ(Zpx().DataFileName, saved);
    EXPECT_EQ(Where(), "1/2");
    EXPECT_TRUE(f.ImageOpenCancel->Enabled());
    Click(f.ImageOpenCancel);
    EXPECT_EQ(Zpx().DataFileName, data_);
    EXPECT_EQ(Where(), "1/6");
    EXPECT_FALSE(f.ImageOpenCancel->Enabled());
    Click(f.CloseButton);
  }});
  ShowPreview(job_);
  EXPECT_EQ(script.Left(), 0u);
  EXPECT_EQ(ErrorLog(), "");
}

TEST_F(PrintPreview, PrintingFromThePreview) {
  ModalScript script({[&](QWidget&) {
    TImageDispForm& f = Form();
    Click(f.NextPage);
    Click(f.NextPage);
    Click(f.PrintButton);
    EXPECT_EQ(printtest::PdfPages(pdf_), 6);
    EXPECT_EQ(Where(), "3/6");
    EXPECT_EQ(Vdb()->Orientation(), 0);
    Click(f.CurrentPage);
    EXPECT_EQ(printtest::PdfPages(pdf_), 1);
    EXPECT_NE(printtest::Shell("pdftotext '" + pdf_ + "' -").find("第三頁"), std::string::npos);
    Click(f.CloseButton);
  }});
  ShowPreview(job_);
  EXPECT_EQ(script.Left(), 0u);
  EXPECT_EQ(ErrorLog(), "");
}

TEST_F(PrintPreview, MarginsChangedInThePreviewStayInTheJob) {
  ModalScript script({
      [&](QWidget&) {
        TImageDispForm& f = Form();
        Click(f.SB_MARGIN);  // typed and confirmed below
        EXPECT_EQ(Zpx().CurrentJob.TopMargin, 50);
        EXPECT_EQ(Zpx().CurrentJob.VRATIO, 1020);
        EXPECT_EQ(Zpx().TopBase, 50);
        Click(f.SB_MARGIN);  // closed by its close box below
        Click(f.CloseButton);
      },
      [&](QWidget& w) {
        auto& dlg = static_cast<Tfmyohaku&>(w);
        EXPECT_TRUE(dlg.GroupBox3->isVisibleTo(&dlg));  // the printer holds the job's own paper
        dlg.ED_TOP->SetFocus();
        printtest::Pump();
        printtest::Type("50");
        dlg.ED_VRATIO->SetFocus();
        printtest::Pump();
        printtest::Type("20");
        printtest::Screenshot(w, "preview_margin_dialog.png");
        Click(dlg.Button1);
      },
      [&](QWidget& w) {
        auto& dlg = static_cast<Tfmyohaku&>(w);
        dlg.ED_TOP->SetFocus();
        printtest::Pump();
        printtest::Type("99");
        dlg.Close();
      },
  });
  ShowPreview(job_);
  EXPECT_EQ(script.Left(), 0u);
  EXPECT_EQ(Zpx().CurrentJob.TopMargin, 50);
  EXPECT_EQ(Zpx().CurrentJob.VRATIO, 1020);
}

TEST_F(PrintPreview, MissingFilesAreReportedOnceAndNeverFromAPaint) {
  // At the start: a message, no window.
  TZPGXDEF missing = job_;
  missing.DataFile = dir_.Str() + "/nothing.zpx";
  EXPECT_EQ(ShowPreview(missing), 0);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.MessageText(0), "<" + missing.DataFile + "> が見つかりません。");

  // A blank form name is no form; a data file that goes away while shown leaves a blank page.
  job_.FormFile = "   ";
  ModalScript script({[&](QWidget&) {
    TImageDispForm& f = Form();
    std::filesystem::remove(data_);
    for (int i = 0; i < 3; ++i) {
      f.ImagePaintBox->repaint();
      Click(f.NextPage);
    }
    Click(f.CloseButton);
  }});
  ShowPreview(job_);
  EXPECT_EQ(ui_.messages.size(), 1u);
  const std::string log = ErrorLog();
  EXPECT_NE(log.find("PREVIEW.ImageBoxPaint:\"" + data_ + "\"が見つかりません。"), std::string::npos) << log;
  EXPECT_EQ(log.find("PREVIEW.ImageBoxPaint"), log.rfind("PREVIEW.ImageBoxPaint"));
}

TEST_F(PrintPreview, TheWriterPreviewsItsReport) {
  TZenpagex zp;
  zp.DataFile = dir_.Str() + "/list.zpx";
  zp.Title = "帳票";
  zp.NextPaperButton = true;
  zp.OpenDataFile(true);
  zp.WriteText(200, 200, "一頁目", "", 12, "", "黒", "OFF", "LEFT", 0);
  zp.NewPage();
  zp.WriteText(200, 200, "二頁目", "", 12, "", "黒", "OFF", "LEFT", 0);
  zp.CloseDataFile();
  const std::string written = zp.DataFile;
  ModalScript script({[&](QWidget&) {
    EXPECT_EQ(Where(), "1/2");
    EXPECT_EQ(Form().Caption(), "帳票");
    Click(Form().NextPaper);
  }});
  EXPECT_TRUE(zp.Preview());
  EXPECT_EQ(zp.PreviewCloseNum(), 1);
  EXPECT_FALSE(std::filesystem::exists(written));
}

}  // namespace
