#include "print/Zenpagex_ChartPaint.h"

#include <algorithm>
#include <stdexcept>

#include "print/Zenpagex_State.h"

namespace {

TChartPanelProvider& Provider() {
  if (!Zpx().ChartForm) throw std::runtime_error("チャートが登録されていません。");
  return *Zpx().ChartForm;
}

}  // namespace

void SetChartPanelProvider(TChartPanelProvider* provider) { Zpx().ChartForm = provider; }

void PaintChartPanel(QPainter& canvas, const QRect& rect, int index) {
  // The same two corners, ordered (QRect::normalized would move them by one).
  const QRect ordered(QPoint(std::min(rect.left(), rect.right()), std::min(rect.top(), rect.bottom())),
                      QPoint(std::max(rect.left(), rect.right()), std::max(rect.top(), rect.bottom())));
  Provider().PaintPanel(index, canvas, ordered);
}

void SaveChartMetafile(const std::string& fileName) { Provider().SavePanel(0, fileName); }

bool ChartFileCheck(const std::string&) { return true; }
