// Record fields to drawing values: colours with the grey-scale and form-layer rules,
// backgrounds, alignments, styles, faces and character sets; paper sizes and the scale
// between the job's paper and the printer's.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "PrintTestSupport.h"
#include "print/Zenpagex_Colors.h"

using namespace forms;

TEST_F(PrintColours, ColourFieldsByNameNumberAndJob) {
  TZPGXDEF& job = Zpx().CurrentJob;
  job.NetColor1 = 0x123456;
  job.NetColor2 = 0x654321;
  job.UserColor1 = 0x0A0B0C;
  const struct {
    const char* value;
    std::string_view layer;
    bool printFom, grayScale;
    TColor expected;
  } cases[] = {
      {"16711680", kLayerData, true, false, 0xFF0000},  // blue
      {"5", kLayerData, true, false, 0x800080},         // purple
      {"", kLayerData, true, false, 0x000000},
      {"abc", kLayerData, true, false, 0x000000},
      {"赤", kLayerData, true, false, 0x0000FF},
      {"赤", kLayerData, true, true, RGB(76, 76, 76)},  // grey of red: 0.299 × 255
      {"青", kLayerData, true, true, RGB(29, 29, 29)},  // 0.114 × 255 = 29.07
      {"白", kLayerData, true, true, 0xFFFFFF},
      {"赤", kLayerForm, false, false, 0xE6E6E6},      // the unprinted form shows faintly
      {"赤", kLayerSubForm, false, true, 0xE6E6E6},    // ... and is never turned grey
      {"赤", kLayerForm, true, false, 0x0000FF},
      {"赤", kLayerData, false, false, 0x0000FF},
      {"40", kLayerData, true, false, 0x123456},
      {"41", kLayerData, true, false, 0x654321},
      {"薄網掛", kLayerData, true, false, 0x123456},
      {"濃網掛", kLayerData, true, false, 0x654321},
      {"ucolor1", kLayerData, true, false, 0x0A0B0C},
      {"OcrGreen", kLayerData, true, false, 0x2CBE00},
      {"16", kLayerData, true, false, SystemColor(1)},
      {"35", kLayerData, true, false, SystemColor(20)},
      {"36", kLayerData, true, false, 36},
      {"44", kLayerData, true, false, 44},
  };
  for (const auto& c : cases) {
    job.PrintFom = c.printFom;
    job.GrayScale = c.grayScale;
    EXPECT_EQ(ColorByName(c.value, c.layer), c.expected)
        << c.value << " " << c.layer << " PrintFom " << c.printFom << " GrayScale " << c.grayScale;
  }
}

TEST_F(PrintColours, BackgroundAlignmentAndStyleWords) {
  const struct {
    const char* value;
    TColor background;
  } backgrounds[] = {{"1", 1}, {"OFF", 1}, {"ON", 0xFFFFFF}, {"白", 0xFFFFFF}, {"黒", 0}, {"on", 0}, {"", 0}};
  for (const auto& b : backgrounds) EXPECT_EQ(BackgroundByName(b.value, kLayerData), b.background) << b.value;

  const struct {
    const char* value;
    int alignment;
  } alignments[] = {{"CENTER", 1}, {"1", 1}, {"RIGHT", 2}, {"2", 2}, {"BOTTOM", 2},
                    {"LEFT", 0},   {"", 0},  {"center", 0}, {"3", 0}};
  for (const auto& a : alignments) EXPECT_EQ(AlignmentByName(a.value), a.alignment) << a.value;

  const struct {
    const char* code;
    TFontStyles style;
  } styles[] = {
      {"B", fsBold},   {"BIS", fsBold | fsItalic | fsStrikeOut}, {"IU", fsItalic | fsUnderline},
      {"DU", fsUnderline}, {"BUS", 0}, {"b", 0}, {"", 0},
  };
  for (const auto& s : styles) EXPECT_EQ(StyleFromCode(s.code), s.style) << s.code;
}

TEST_F(PrintColours, AlignXPlacesTheText) {
  const struct {
    int alignment, x, w, c, anchor, expected;
  } cases[] = {
      {1, 100, 31, 0, 0, 84},  // 15.5 rounds to 16
      {1, 100, 29, 0, 0, 86},  // 14.5 rounds to 14
      {2, 100, 30, 0, 0, 70},
      {0, 100, 30, 9, 1, 96},  // the first character centred: 4.5 rounds to 4
      {0, 100, 30, 11, 1, 94},
      {0, 100, 30, 9, 0, 100},
      {1, 100, 30, 9, 1, 85},  // the anchor counts only for left alignment
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AlignX(c.alignment, c.x, c.w, c.c, c.anchor), c.expected)
        << c.alignment << "," << c.x << "," << c.w << "," << c.c << "," << c.anchor;
  }
}

TEST_F(PrintColours, FaceNamesAndCharacterSets) {
  TZenpagexState& s = Zpx();
  EXPECT_EQ(MapFontName(""), "ＭＳ 明朝");
  EXPECT_EQ(MapFontName("JAN"), "JAN");
  EXPECT_EQ(MapFontName("ＭＳ ゴシック"), "ＭＳ ゴシック");
  EXPECT_EQ(MapFontName("OCR-B"), "ＭＳ ゴシック");
  s.FontsDefault = {"Arial", "ocrb"};
  EXPECT_EQ(MapFontName("OCR-B"), "OCRB");
  s.FontsDefault = {"OCRB", "OCR-B"};
  EXPECT_EQ(MapFontName("OCR-B"), "OCR-B");
  EXPECT_EQ(SubstituteFontName(MapFontName("")), "IPAMincho");

  s.FontsShiftJis = {"IPAMincho", "ＭＳ 明朝"};
  s.FontsSymbol = {"Symbol"};
  s.FontsEastEurope = {"IPAMincho", "DejaVu Sans"};
  s.FontsOem = {"Terminal"};
  const struct {
    const char* face;
    int charset;
  } cases[] = {{"ＭＳ 明朝", 128}, {"ipamincho", 128}, {"SYMBOL", 2}, {"DejaVu Sans", 238}, {"Terminal", 255},
               {"Unknown", 0},     {"", 0}};
  for (const auto& c : cases) EXPECT_EQ(CharsetOfFont(c.face), c.charset) << c.face;
}

TEST_F(PrintColours, PaperSizesInMillimetres) {
  const struct {
    int paper;
    TPaperMM size;
  } table[] = {
      {8, {297, 420}},  {9, {210, 297}},  {11, {148, 210}}, {12, {250, 354}}, {13, {182, 257}}, {16, {254, 356}},
      {17, {280, 432}}, {44, {229, 280}}, {45, {254, 280}}, {46, {381, 280}}, {90, {305, 280}},
  };
  for (const auto& p : table) EXPECT_EQ(PaperSizeMM(p.paper), p.size) << p.paper;
  EXPECT_EQ(Zpx().PaperMode, 0);

  // A paper outside the table: the printer's printable area and 20 mm more.
  Zpx().Printer = std::make_unique<printtest::FixedPrinter>(256, 200, 287);
  EXPECT_EQ(PaperSizeMM(256), (TPaperMM{220, 307}));
  EXPECT_EQ(Zpx().PaperMode, 2);
}

TEST_F(PrintColours, PaperScaleBetweenJobAndPrinter) {
  TZenpagexState& s = Zpx();
  const struct {
    int jobPaper, printerPaper, vratio;
    double v, h;
    int y1000, x2000;  // ScaleY(1000), ScaleX(2000) on the data layer
  } cases[] = {
      {8, 9, 1000, 707, 707, 707, 1414},      // A3 job on A4
      {11, 9, 1000, 0, 0, 1000, 2000},        // A5 on A4: no pair, no scaling (not the A3 ratios)
      {9, 9, 1020, 1020, 1000, 1020, 2000},   // own paper: the correction stretches by 2 %
      {13, 9, 1000, 1156, 1154, 1156, 2308},  // B5 on A4
      {12, 8, 1000, 1186, 1188, 1186, 2376},  // B4 on A3
  };
  for (const auto& c : cases) {
    s.CurrentJob.PaperSize = c.jobPaper;
    s.CurrentJob.VRATIO = c.vratio;
    s.Printer = std::make_unique<printtest::FixedPrinter>(c.printerPaper, 200, 287);
    UpdateScaleRatios();
    SCOPED_TRACE(std::to_string(c.jobPaper) + " on " + std::to_string(c.printerPaper));
    EXPECT_EQ(s.VRatioCur, c.v);
    EXPECT_EQ(s.HRatioCur, c.h);
    EXPECT_EQ(ScaleY(1000, kLayerData), c.y1000);
    EXPECT_EQ(ScaleX(2000, kLayerData), c.x2000);
  }
}

TEST_F(PrintColours, UnprintedSubFormIsNotScaled) {
  TZenpagexState& s = Zpx();
  s.CurrentJob.PaperSize = 8;
  s.Printer = std::make_unique<printtest::FixedPrinter>(9, 200, 287);
  UpdateScaleRatios();
  s.CurrentJob.PrintFom = false;
  EXPECT_EQ(ScaleY(1000, kLayerSubForm), 1000);
  EXPECT_EQ(ScaleY(1000, kLayerForm), 707);
  s.CurrentJob.PrintFom = true;
  EXPECT_EQ(ScaleY(1000, kLayerSubForm), 707);
}
