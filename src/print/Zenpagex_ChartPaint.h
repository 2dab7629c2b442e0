#pragma once
// The bridge from CHART records to chart panels. A client that writes CHART records registers
// a provider of numbered panels (from 0) in the engine state before it prints; the renderer
// asks it to draw panel n into a rectangle, the preview's snapshot asks it to save panel 0 as
// a picture file. This program registers none, so a CHART record fails (and is logged by the
// renderer) and no chart file is written.
#include <QRect>
#include <string>

class QPainter;

class TChartPanelProvider {
 public:
  virtual ~TChartPanelProvider() = default;
  // Draws panel `index` into `rect` of `canvas`; throws when there is no such panel.
  virtual void PaintPanel(int index, QPainter& canvas, const QRect& rect) = 0;
  // Writes panel `index` as a picture of its own size to `fileName` (created or replaced);
  // throws on failure.
  virtual void SavePanel(int index, const std::string& fileName) = 0;
};

// Installs the provider (not owned; nullptr: none). The engine state's reset removes it.
void SetChartPanelProvider(TChartPanelProvider* provider);

// Panel `index` draws itself into the rectangle between the corners of `rect`, ordered so that
// left <= right and top <= bottom. Throws std::runtime_error when no provider is registered.
void PaintChartPanel(QPainter& canvas, const QRect& rect, int index);
// Panel 0 saved at `fileName`. Throws std::runtime_error when no provider is registered.
void SaveChartMetafile(const std::string& fileName);
// Any name is accepted.
bool ChartFileCheck(const std::string& fileName);
