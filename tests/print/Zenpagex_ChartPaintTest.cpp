// CHART records reach chart panels only through a registered provider; this program registers
// none, so drawing or saving a chart fails (the renderer logs it) instead of drawing nothing.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <stdexcept>

#include "PrintTestSupport.h"
#include "print/Zenpagex_ChartPaint.h"

namespace {

class RecordingCharts : public TChartPanelProvider {
 public:
  void PaintPanel(int index, QPainter&, const QRect& rect) override {
    if (index != 0) throw std::out_of_range("no panel");
    painted = rect;
  }
  void SavePanel(int index, const std::string& fileName) override {
    saved = std::to_string(index) + ":" + fileName;
  }
  QRect painted;
  std::string saved;
};

}  // namespace

TEST_F(PrintRecords, ChartsWithoutProviderFail) {
  QImage image(100, 100, QImage::Format_RGB32);
  QPainter painter(&image);
  EXPECT_THROW(PaintChartPanel(painter, QRect(0, 0, 10, 10), 0), std::runtime_error);
  EXPECT_THROW(SaveChartMetafile(dir_.Str() + "/CHART.WMF"), std::runtime_error);
  EXPECT_TRUE(ChartFileCheck("anything"));
}

TEST_F(PrintRecords, ChartsGoToTheRegisteredProvider) {
  RecordingCharts charts;
  SetChartPanelProvider(&charts);
  QImage image(100, 100, QImage::Format_RGB32);
  QPainter painter(&image);

  // The rectangle reaches the panel with left <= right and top <= bottom.
  PaintChartPanel(painter, QRect(QPoint(80, 70), QPoint(20, 10)), 0);
  EXPECT_EQ(charts.painted, QRect(QPoint(20, 10), QPoint(80, 70)));
  EXPECT_THROW(PaintChartPanel(painter, QRect(0, 0, 5, 5), 3), std::out_of_range);

  SaveChartMetafile("CHART.WMF");
  EXPECT_EQ(charts.saved, "0:CHART.WMF");

  Zpx().Reset();
  EXPECT_THROW(PaintChartPanel(painter, QRect(0, 0, 5, 5), 0), std::runtime_error);
}
