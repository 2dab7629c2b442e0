#include "print/Zenpagex_Colors.h"

#include <vector>

#include "platform/AsciiCase.h"
#include "print/Zenpagex_Function.h"
#include "print/Zenpagex_Record.h"
#include "print/Zenpagex_State.h"

namespace {

bool IsFormLayer(std::string_view layer) { return layer == kLayerForm || layer == kLayerSubForm; }

bool ListHolds(const std::vector<std::string>& list, std::string_view name) {
  for (const auto& face : list) {
    if (ascii::SameText(face, name)) return true;
  }
  return false;
}

struct PaperEntry {
  int paper;
  TPaperMM size;
};
constexpr PaperEntry kPapers[] = {
    {8, {297, 420}},  {9, {210, 297}},  {11, {148, 210}}, {12, {250, 354}}, {13, {182, 257}}, {16, {254, 356}},
    {17, {280, 432}}, {44, {229, 280}}, {45, {254, 280}}, {46, {381, 280}}, {90, {305, 280}},
};

struct PaperPair {
  int job;
  int printer;
  int vertical;
  int horizontal;
};
constexpr PaperPair kPaperPairs[] = {
    {8, 9, 707, 707},    {8, 12, 843, 842},   {9, 11, 707, 705},  {9, 13, 865, 867},   {12, 13, 726, 728},
    {12, 9, 839, 840},   {13, 9, 1156, 1154}, {9, 12, 1192, 1190}, {9, 8, 1414, 1414}, {12, 8, 1186, 1188},
};

int Scale(int v, double ratio, std::string_view layer) {
  const bool unprintedSubForm = layer == kLayerSubForm && !Zpx().CurrentJob.PrintFom;
  if (unprintedSubForm || ratio == 0) return v;
  return Nearest(ratio * v * 0.001);
}

}  // namespace

TColor ColorByIndex(int n) {
  const TZPGXDEF& job = Zpx().CurrentJob;
  if (n >= 0 && n <= 15) return kNamedColors[n].Color;
  if (n >= 16 && n <= 35) return forms::SystemColor(n - 15);
  switch (n) {
    case 40: return job.NetColor1;
    case 41: return job.NetColor2;
    case 42: return job.UserColor1;
    case 43: return job.UserColor2;
    default: return n;
  }
}

TColor ToGrayScale(TColor c) {
  if (!Zpx().CurrentJob.GrayScale || c == 0x000000 || c == 0xFFFFFF) return c;
  const int g = Nearest(0.299 * forms::GetRValue(c) + 0.587 * forms::GetGValue(c) + 0.114 * forms::GetBValue(c));
  return forms::RGB(g, g, g);
}

TColor ColorByName(std::string_view value, std::string_view layer) {
  const TZPGXDEF& job = Zpx().CurrentJob;
  if (IsFormLayer(layer) && !job.PrintFom) return kUnprintedFormColor;
  for (const auto& named : kNamedColors) {
    if (named.Name == value) return ToGrayScale(named.Color);
  }
  if (value == kNetColor1Name) return ToGrayScale(job.NetColor1);
  if (value == kNetColor2Name) return ToGrayScale(job.NetColor2);
  const std::string upper = ascii::Upper(value);
  const struct {
    std::string_view name;
    TColor color;
  } jobColors[] = {
      {"UCOLOR1", job.UserColor1},     {"UCOLOR2", job.UserColor2},   {"OCRGREEN", job.OcrGreen},
      {"OCRBLUE", job.OcrBlue},        {"OCRBROWN", job.OcrBrown},    {"OCRPINK", job.OcrPink},
      {"OCRORANGE", job.OcrOrange},    {"OCRVIOLET", job.OcrViolet},  {"OCRPURPLE", job.OcrPurple},
  };
  for (const auto& jc : jobColors) {
    if (jc.name == upper) return ToGrayScale(jc.color);
  }
  return ToGrayScale(ColorByIndex(StrToIntDef(value, 0)));
}

TColor BackgroundByName(std::string_view value, std::string_view layer) {
  if (value == "1" || value == "OFF") return 1;
  if (value == "ON") return 0xFFFFFF;
  return ColorByName(value, layer);
}

int AlignmentByName(std::string_view value) {
  if (value == "CENTER" || value == "1") return 1;
  if (value == "RIGHT" || value == "2" || value == "BOTTOM") return 2;
  return 0;
}

forms::TFontStyles StyleFromCode(std::string_view code) {
  using namespace forms;
  const struct {
    std::string_view code;
    TFontStyles style;
  } styles[] = {
      {"B", fsBold},
      {"I", fsItalic},
      {"U", fsUnderline},
      {"S", fsStrikeOut},
      {"BI", fsBold | fsItalic},
      {"BU", fsBold | fsUnderline},
      {"BS", fsBold | fsStrikeOut},
      {"IU", fsItalic | fsUnderline},
      {"IS", fsItalic | fsStrikeOut},
      {"BIU", fsBold | fsItalic | fsUnderline},
      {"BIS", fsBold | fsItalic | fsStrikeOut},
      {"DU", fsUnderline},  // the renderer draws the second line
  };
  for (const auto& s : styles) {
    if (s.code == code) return s.style;
  }
  return 0;
}

int AlignX(int alignment, int x, int w, int c, int anchor) {
  if (alignment == 1) return x - Nearest(w / 2.0);
  if (alignment == 2) return x - w;
  if (anchor == 1) return x - Nearest(c * 0.5);
  return x;
}

std::string MapFontName(std::string_view field) {
  if (field.empty()) return std::string(kDefaultFontName);
  if (field == "OCR-B") {
    const auto& installed = Zpx().FontsDefault;
    if (ListHolds(installed, "OCR-B")) return "OCR-B";
    if (ListHolds(installed, "OCRB")) return "OCRB";
    return "ＭＳ ゴシック";
  }
  return std::string(field);
}

int CharsetOfFont(std::string_view name) {
  const TZenpagexState& s = Zpx();
  if (ListHolds(s.FontsShiftJis, name)) return 128;
  if (ListHolds(s.FontsSymbol, name)) return 2;
  if (ListHolds(s.FontsEastEurope, name)) return 238;
  if (ListHolds(s.FontsOem, name)) return 255;
  return 0;
}

TPaperMM PaperSizeMM(int paper) {
  for (const auto& p : kPapers) {
    if (p.paper == paper) return p.size;
  }
  TZenpagexState& s = Zpx();
  s.PaperMode = 2;
  TPaperMM area;
  if (s.Printer) area = {s.Printer->PrintableWidthMM(), s.Printer->PrintableHeightMM()};
  return {area.Width + 20, area.Height + 20};
}

void UpdateScaleRatios() {
  TZenpagexState& s = Zpx();
  const int job = s.CurrentJob.PaperSize;
  const int printer = s.Printer ? s.Printer->GetPaper() : 0;
  if (job == printer) {
    s.VRatioCur = s.CurrentJob.VRATIO;
    s.HRatioCur = s.CurrentJob.HRATIO;
    return;
  }
  // A pair outside the table prints unscaled, whatever an earlier job left here.
  s.VRatioCur = 0;
  s.HRatioCur = 0;
  for (const auto& pair : kPaperPairs) {
    if (pair.job == job && pair.printer == printer) {
      s.VRatioCur = pair.vertical;
      s.HRatioCur = pair.horizontal;
      return;
    }
  }
}

int ScaleX(int v, std::string_view layer) { return Scale(v, Zpx().HRatioCur, layer); }
int ScaleY(int v, std::string_view layer) { return Scale(v, Zpx().VRatioCur, layer); }
