#include "print/Zenpagex_Paint.h"

#include <QFileInfo>
#include <QImageReader>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "platform/AsciiCase.h"
#include "platform/Encoding.h"
#include "print/Zenpagex_ChartPaint.h"
#include "print/Zenpagex_Function.h"
#include "print/Zenpagex_Hensuu.h"
#include "print/Zenpagex_Pages.h"
#include "print/Zenpagex_State.h"

namespace {

// Forms placed by FORM records inside forms; a form that places itself stops here.
constexpr int kMaxFormDepth = 8;
int formDepth = 0;

// The characters of a UTF-8 text, one string each.
std::vector<std::string> Characters(std::string_view text) {
  std::vector<std::string> chars;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    std::size_t len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 1;
    if (i + len > text.size()) len = text.size() - i;
    chars.emplace_back(text.substr(i, len));
    i += len;
  }
  return chars;
}

int Bytes(std::string_view text) { return static_cast<int>(sjis::ByteLength(text)); }

bool FileExists(const std::string& name) {
  std::error_code ec;
  return !name.empty() && std::filesystem::is_regular_file(std::filesystem::u8path(name), ec);
}

std::string ExtensionUpper(const std::string& name) {
  const auto dot = name.find_last_of('.');
  const auto slash = name.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return ascii::Upper(name.substr(dot));
}

class PagePainter {
 public:
  PagePainter(std::string_view layer, TCanvas& canvas, int dpi, double hf, double vf, int zoom, bool even, int formPage,
              int baseX, int baseY)
      : layer_(layer), c_(canvas), dpi_(dpi), hf_(hf), vf_(vf), zoom_(zoom), even_(even), formPage_(formPage),
        baseX_(baseX), baseY_(baseY) {}

  bool Paint(TTextFile& f);

 private:
  void UpdateLayerOffsets();
  int PX(int x) const { return ScaleX(Nearest(x * hf_) + xOff_ + baseX_, layer_); }
  int PY(int y) const { return ScaleY(Nearest(y * vf_) + yOff_ + baseY_, layer_); }
  int FontHeight(int size) const;
  void AutoPageNumber(std::vector<std::string>& lines) const;
  void Record(TRecordLine& r);
  void Text(TRecordLine& r, TRecordKind kind);
  void Memo(TRecordLine& r);
  void Line(TRecordLine& r, bool eline);
  void Box(TRecordLine& r, TRecordKind kind);
  void FRect(TRecordLine& r, bool firstPass);
  void SLine(TRecordLine& r);
  void MaruMoji(TRecordLine& r);
  void BasePoint(TRecordLine& r);
  void Image(TRecordLine& r);
  void Chart(TRecordLine& r);
  void Form(TRecordLine& r);
  void Margin(TRecordLine& r, bool top);

  std::string layer_;
  TCanvas& c_;
  int dpi_;
  double hf_, vf_;
  int zoom_;
  bool even_;
  int formPage_;
  int baseX_, baseY_;
  int xOff_ = 0, yOff_ = 0;
  int leftBase0_ = 0, topBase0_ = 0;
  int bottomLimit_ = 0;
  bool result_ = true;
};

void PagePainter::UpdateLayerOffsets() {
  const TZenpagexState& s = Zpx();
  const TZPGXDEF& j = s.CurrentJob;
  double left = s.LeftBase + (even_ ? s.EvenShiftCur : 0);
  double top = s.TopBase;
  if (c_.IsPrinter()) {
    left += j.LeftCorrect;
    top += j.TopCorrect;
  }
  if (layer_ == kLayerForm) {
    left += j.FormLeftMargin;
    top += j.FormTopMargin;
  }
  xOff_ = Nearest(hf_ * left);
  yOff_ = Nearest(vf_ * top);
}

int PagePainter::FontHeight(int size) const {
  const double ratio = Zpx().VRatioCur;
  if (ratio != 0 && ratio != 1000) return -(Nearest(size * dpi_ * ratio * 0.001) / 72);
  return -MulDiv(size, dpi_, 72);
}

void PagePainter::AutoPageNumber(std::vector<std::string>& lines) const {
  const TZenpagexState& s = Zpx();
  const TPAGEBANGO& pb = s.CurrentJob.PageBango;
  if (layer_ != kLayerData || !pb.Switch || (pb.Count != 1 && pb.Count != 2)) return;
  const int index = s.DataPageNo - 1;
  if (index < 0 || index >= static_cast<int>(s.PageNumberList.size())) return;
  const int number = StrToIntDef(s.PageNumberList[static_cast<std::size_t>(index)], 0);
  if (number == 0) {
    lines.emplace_back("*");
    return;
  }
  const std::string text = FormatPageNumber(pb.Format, number, pb.Count == 2 ? s.NumberedPages : number);
  lines.push_back("TEXT;" + std::to_string(pb.Left) + ";" + std::to_string(pb.Top) + ";" + text + ";" + pb.FontName +
                  ";" + std::to_string(pb.FontSize) + ";;黒;OFF;" + std::to_string(pb.Alignment) + ";0;0;" +
                  std::string(kAutoPageMark) + ";");
}

bool PagePainter::Paint(TTextFile& f) {
  TZenpagexState& s = Zpx();
  s.MessageText.clear();
  UpdateLayerOffsets();
  leftBase0_ = s.LeftBase;
  topBase0_ = s.TopBase;
  bottomLimit_ = (PaperSizeMM(s.Printer ? s.Printer->GetPaper() : 9).Height - 10) * 10;
  if (formPage_ >= 0 && formPage_ < kFormPages) ResetUseCounts(formPage_);

  std::vector<std::string> lines;
  try {
    AutoPageNumber(lines);
  } catch (const std::exception&) {
    lines.clear();  // no number
  }
  while (!f.Eof()) {
    std::string line = f.ReadLn();
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line.back() != ';') line += ';';
    std::erase(line, '"');
    int pos = 1;
    const bool end = ascii::Upper(ReadField(line, ';', pos)) == "E";
    lines.push_back(std::move(line));
    if (end) break;
  }

  // A page that only turns the paper or draws one rule carries no number.
  const bool numbering = layer_ == kLayerData && s.CurrentJob.PageBango.Switch;
  if (numbering && lines.size() < 3 && !lines.empty() && lines[0].find(kAutoPageMark) != std::string::npos) {
    const bool alone = lines.size() == 1;
    const bool ruleOnly = lines.size() == 2 && (lines[1].find("ORIENTATION") != std::string::npos ||
                                                lines[1].find("LINE") != std::string::npos);
    if (alone || ruleOnly) lines[0].insert(0, "*");
  }

  c_.SetZoom(zoom_);
  c_.MoveTo(baseX_, baseY_);

  for (const auto& line : lines) {
    TRecordLine r(line);
    if (r.KindCode() != TRecordKind::FRect) continue;
    try {
      FRect(r, true);
    } catch (const std::exception& e) {
      WriteErrorLog("ImageOut.(" + r.Kind() + "):" + e.what());
      s.PaintFailed = true;
    }
  }
  UpdateLayerOffsets();
  for (const auto& line : lines) {
    TRecordLine r(line);
    try {
      Record(r);
    } catch (const std::exception& e) {
      WriteErrorLog("ImageOut.(" + r.Kind() + "):" + e.what());
      s.PaintFailed = true;
    }
  }
  s.LeftBase = leftBase0_;
  s.TopBase = topBase0_;
  return result_;
}

void PagePainter::Record(TRecordLine& r) {
  const TRecordKind kind = r.KindCode();
  switch (kind) {
    case TRecordKind::Text:
    case TRecordKind::NText:
    case TRecordKind::UText:
    case TRecordKind::VText:
    case TRecordKind::Variable: Text(r, kind); break;
    case TRecordKind::Memo: Memo(r); break;
    case TRecordKind::Line: Line(r, false); break;
    case TRecordKind::ELine: Line(r, true); break;
    case TRecordKind::Box:
    case TRecordKind::RRect:
    case TRecordKind::Circle: Box(r, kind); break;
    case TRecordKind::FRect: FRect(r, false); break;
    case TRecordKind::SLine: SLine(r); break;
    case TRecordKind::MaruMoji: MaruMoji(r); break;
    case TRecordKind::BasePoint: BasePoint(r); break;
    case TRecordKind::LineB: {
      const int x = PX(r.NextInt());
      const int y = PY(r.NextInt());
      c_.LineTo(x, y);
      break;
    }
    case TRecordKind::Image: Image(r); break;
    case TRecordKind::Chart: Chart(r); break;
    case TRecordKind::Form: Form(r); break;
    case TRecordKind::Message:
      if (c_.IsPrinter()) Zpx().MessageText = r.Next();
      break;
    case TRecordKind::TopMargin: Margin(r, true); break;
    case TRecordKind::LeftMargin: Margin(r, false); break;
    case TRecordKind::PageEnd: result_ = false; break;
    default: break;
  }
}

void PagePainter::Text(TRecordLine& r, TRecordKind kind) {
  const bool variable = kind == TRecordKind::Variable;
  int x, y, size, alignment, width, anchor, lineOffset = 0;
  std::string text, font, style;
  TColor colour, background;
  if (variable) {
    const std::string name = r.Next();
    text = r.Next();
    const int recSize = r.NextInt();
    const std::string recStyle = ascii::Upper(r.Next());
    lineOffset = r.NextInt();
    const TVariableUse use = UseDataField(formPage_, name, recSize, recStyle, bottomLimit_);
    if (!use.Draw) return;
    x = use.Field.X;
    y = use.Field.Y;
    font = use.Field.FontName;
    size = use.Field.FontSize;
    style = use.Field.Style;
    colour = use.Field.Colour;
    background = use.Field.Background;
    alignment = use.Field.Alignment;
    width = use.Field.Width;
    anchor = use.Field.Anchor;
  } else {
    x = r.NextInt();
    y = r.NextInt();
    text = r.Next();
    font = r.Next();
    size = r.NextInt(10);
    style = ascii::Upper(r.Next());
    colour = ColorByName(r.Next(), layer_);
    background = BackgroundByName(r.Next(), layer_);
    alignment = AlignmentByName(r.Next());
    width = r.NextInt();
    anchor = r.NextInt();
  }

  c_.Font.Style = StyleFromCode(style);
  c_.Font.Name = MapFontName(font);
  if (size > 0) c_.Font.Height = FontHeight(size);
  c_.Font.Color = colour;
  const int shift = anchor == 1 ? Nearest(std::abs(c_.Font.Height) * 0.5 - 0.55) : 0;
  if (background > 15) {
    c_.Brush.Color = background;
    c_.Brush.Style = bsSolid;
    c_.Opaque = true;
  } else {
    c_.Opaque = false;
  }

  const auto restore = [&] {
    c_.Font.Style = 0;
    c_.Font.Color = 0;
    c_.Opaque = true;
  };
  if (text.empty()) {
    restore();
    return;
  }
  const std::vector<std::string> chars = Characters(text);
  const int firstW = anchor == 1 ? c_.TextWidth(chars.front()) : 0;
  const int xs = AlignX(alignment, ScaleX(Nearest(x * hf_), layer_), c_.TextWidth(text), firstW, anchor);
  int ys = Nearest(y * vf_);
  const int left = ScaleX(baseX_ + xOff_, layer_) + xs;
  const auto plain = [&] { c_.TextOut(left, ScaleY(ys + baseY_ + yOff_, layer_), text); };

  const int n = static_cast<int>(chars.size());
  if (kind == TRecordKind::UText || (variable && width > 0)) {
    if (n < 2) {
      plain();
    } else {
      const int bytes = Bytes(text);
      const int lastBytes = Bytes(chars.back());
      double step = bytes - lastBytes > 0 ? (width - c_.TextWidth(chars.back()) / hf_) / (bytes - lastBytes) : 0;
      if (variable && c_.TextWidth(chars.front()) / hf_ > step) {
        --size;
        if (size > 0) c_.Font.Height = FontHeight(size);
      }
      if (step <= 0) {
        plain();
      } else {
        double pos = x;
        for (const auto& ch : chars) {
          c_.TextOut(ScaleX(Nearest(pos * hf_) + baseX_ + xOff_, layer_), ScaleY(ys + baseY_ + yOff_ - shift, layer_),
                     ch);
          pos += step * Bytes(ch);
        }
      }
    }
  } else if (kind == TRecordKind::VText) {
    const int h = c_.TextHeight(chars.front());
    const int step = n < 3 ? width - Nearest(h / vf_) : Nearest((width - h / vf_) / (n - 1));
    if (step < 1) {
      plain();
    } else {
      for (int k = 0; k < n; ++k) {
        const int px = ScaleX(baseX_ + xOff_, layer_) + xs;
        const int py = ScaleY(Nearest((y + k * step) * vf_) + baseY_ + yOff_ - shift, layer_);
        if (chars[static_cast<std::size_t>(k)] == "ー") {
          // The long-vowel mark stands upright in vertical writing.
          const int height = c_.Font.Height;
          if (size - 1 > 0) c_.Font.Height = FontHeight(size - 1);
          c_.TextOut(px, py, "｜");
          c_.Font.Height = height;
        } else {
          c_.TextOut(px, py, chars[static_cast<std::size_t>(k)]);
        }
      }
    }
  } else {
    const int lineHeight = c_.TextHeight(text);
    if (variable && lineOffset < 0) ys += lineOffset * lineHeight;
    if (style == "DU") DoubleUnderline(c_, left, ScaleY(ys + baseY_ + yOff_ - shift, layer_), vf_, text);
    if (text.find('\t') == std::string::npos) {
      c_.TextOut(left, ScaleY(ys + baseY_ + yOff_ - shift, layer_), text);
    } else {
      std::size_t from = 0;
      for (int k = 0;; ++k) {
        const std::size_t tab = text.find('\t', from);
        const std::string part = text.substr(from, tab == std::string::npos ? std::string::npos : tab - from);
        if (!part.empty()) c_.TextOut(left, ScaleY(ys + baseY_ + yOff_ - shift + k * lineHeight, layer_), part);
        if (tab == std::string::npos) break;
        from = tab + 1;
      }
    }
  }
  restore();
}

void PagePainter::Memo(TRecordLine& r) {
  const int x1 = Nearest(r.NextInt() * hf_), y1 = Nearest(r.NextInt() * vf_);
  const int x2 = Nearest(r.NextInt() * hf_), y2 = Nearest(r.NextInt() * vf_);
  const std::string text = r.Next();
  const int frame = r.NextInt();
  c_.Font.Name = MapFontName(r.Next());
  const int size = r.NextInt();
  c_.Font.Height = FontHeight(size);
  c_.Font.Style = StyleFromCode(ascii::Upper(r.Next()));
  c_.Font.Color = ColorByName(r.Next(), layer_);
  c_.Pen = {c_.Font.Color, Nearest(frame * hf_), psSolid};
  c_.Brush = {0xFFFFFF, bsSolid};
  if (frame >= 0) {
    c_.Opaque = true;
    c_.Rectangle(ScaleX(x1 + xOff_ + baseX_ - 5, layer_), ScaleY(y1 + yOff_ + baseY_ - 5, layer_),
                 ScaleX(x2 + xOff_ + baseX_ + 5, layer_), ScaleY(y2 + yOff_ + baseY_ + 5, layer_));
  }
  c_.Opaque = false;
  const int lineHeight = c_.TextHeight(text);
  const int boxWidth = x2 - x1;
  std::vector<std::string> pieces;
  std::size_t from = 0;
  while (true) {
    std::size_t br = text.find('\n', from);
    std::string line = text.substr(from, br == std::string::npos ? std::string::npos : br - from);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto chars = Characters(line);
    if (chars.empty()) pieces.emplace_back();
    std::size_t i = 0;
    while (i < chars.size()) {
      std::string piece = chars[i++];
      while (i < chars.size() && c_.TextWidth(piece + chars[i]) <= boxWidth) piece += chars[i++];
      pieces.push_back(piece);
    }
    if (br == std::string::npos) break;
    from = br + 1;
  }
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    const int top = y1 + static_cast<int>(k) * lineHeight;
    if (top >= y2 - lineHeight) break;
    if (!pieces[k].empty()) {
      c_.TextOut(ScaleX(x1 + xOff_ + baseX_, layer_), ScaleY(top + yOff_ + baseY_, layer_), pieces[k]);
    }
  }
  c_.Font.Style = 0;
  c_.Font.Color = 0;
  c_.Opaque = true;
}

void PagePainter::Line(TRecordLine& r, bool eline) {
  const int x1 = PX(r.NextInt()), y1 = PY(r.NextInt());
  const int x2 = PX(r.NextInt()), y2 = PY(r.NextInt());
  const int w = r.NextInt(1);
  c_.Pen.Width = eline ? Nearest(w * 0.1 * hf_) : Nearest(w * hf_);
  c_.Pen.Style = r.NextInt(0);
  c_.Pen.Color = ColorByName(r.Next(), layer_);
  c_.Opaque = false;
  c_.MoveTo(x1, y1);
  c_.LineTo(x2, y2);
}

void PagePainter::Box(TRecordLine& r, TRecordKind kind) {
  const int x1 = PX(r.NextInt()), y1 = PY(r.NextInt());
  const int x2 = PX(r.NextInt()), y2 = PY(r.NextInt());
  int cw = 0, ch = 0;
  if (kind == TRecordKind::RRect) {
    cw = ScaleX(Nearest(r.NextInt() * hf_) + 1, layer_);
    ch = ScaleY(Nearest(r.NextInt() * vf_) + 1, layer_);
  }
  c_.Pen.Width = Nearest(r.NextInt(kind == TRecordKind::Box ? 1 : 0) * hf_);
  c_.Pen.Style = r.NextInt();
  c_.Pen.Color = ColorByName(r.Next(), layer_);
  // Rounded boxes and circles take their fill colour as written, also on the form layers.
  c_.Brush.Color = ColorByName(r.Next(), kind == TRecordKind::Box ? std::string_view(layer_) : std::string_view());
  c_.Brush.Style = r.NextInt();
  c_.Opaque = true;
  if (kind == TRecordKind::Box) c_.Rectangle(x1, y1, x2, y2);
  else if (kind == TRecordKind::RRect) c_.RoundRect(x1, y1, x2, y2, cw, ch);
  else c_.Ellipse(x1, y1, x2, y2);
}

void PagePainter::FRect(TRecordLine& r, bool firstPass) {
  const int x1 = PX(r.NextInt()), y1 = PY(r.NextInt());
  const int x2 = PX(r.NextInt()), y2 = PY(r.NextInt());
  const TColor colour = ColorByName(r.Next(), layer_);
  const int mode = r.NextInt();
  if (firstPass != (mode == 1)) return;
  c_.Brush = {colour, bsSolid};
  c_.Opaque = true;
  if (mode == 0 || mode == 1) {
    c_.FillRect(x1, y1, x2, y2);
  } else if (mode == 2) {
    QImage fill(std::max(1, std::abs(x2 - x1)), std::max(1, std::abs(y2 - y1)), QImage::Format_RGB32);
    fill.fill(forms::ToQColor(colour));
    char context[80];
    std::snprintf(context, sizeof context, "FRECT %d;%d;%d;%d", x1, y1, x2, y2);
    DrawBitmapDIB(c_, x1, y1, context, true, fill, y2, x2);
  }
}

void PagePainter::SLine(TRecordLine& r) {
  const int x = r.NextInt();
  const int y1 = PY(r.NextInt()), y2 = PY(r.NextInt());
  const int count = r.NextInt();
  c_.Pen.Width = Nearest(r.NextInt() * hf_);
  c_.Pen.Style = r.NextInt();
  c_.Pen.Color = ColorByName(r.Next(), layer_);
  c_.Font.Name = MapFontName(r.Next());
  c_.Font.Height = -MulDiv(r.NextInt(), dpi_, 72);
  c_.Font.Style = 0;
  c_.Font.Color = 0;
  c_.Opaque = false;
  for (int k = 1; k <= count; ++k) {
    const int d = k * c_.TextWidth("000") + 1;
    const int lx = ScaleX(Nearest(x * hf_) + xOff_ + baseX_ - d, layer_);
    c_.MoveTo(lx, y1);
    c_.LineTo(lx, y2);
  }
}

void PagePainter::MaruMoji(TRecordLine& r) {
  const int x = r.NextInt(), y = r.NextInt(), diameter = r.NextInt();
  const std::string text = r.Next();
  const std::string font = r.Next();
  const int size = r.NextInt(10);
  const std::string style = ascii::Upper(r.Next());
  const TColor colour = ColorByName(r.Next(), layer_);
  if (text.empty()) return;
  c_.Font.Style = StyleFromCode(style);
  c_.Font.Name = MapFontName(font);
  c_.Font.Height = FontHeight(size);
  c_.Font.Color = colour;
  c_.Pen = {colour, Nearest((style == "B" ? 2 : 1) * hf_), psSolid};
  c_.Brush.Style = bsClear;
  c_.Opaque = false;
  const int cx = Nearest(x * hf_), cy = Nearest(y * vf_), rad = Nearest(diameter * 0.5 * vf_);
  const int tx = cx - Nearest(c_.TextWidth(text) / 2.0), ty = cy - Nearest(std::abs(c_.Font.Height) * 0.5);
  c_.TextOut(ScaleX(tx + xOff_ + baseX_, layer_), ScaleY(ty + yOff_ + baseY_, layer_), text);
  c_.Ellipse(ScaleX(cx - rad + xOff_ + baseX_, layer_), ScaleY(cy - rad + yOff_ + baseY_, layer_),
             ScaleX(cx + rad + xOff_ + baseX_, layer_), ScaleY(cy + rad + yOff_ + baseY_, layer_));
  c_.Font.Style = 0;
  c_.Font.Color = 0;
  c_.Brush.Style = bsSolid;
  c_.Opaque = true;
}

void PagePainter::BasePoint(TRecordLine& r) {
  baseX_ = Nearest(r.NextInt() * hf_);
  baseY_ = Nearest(r.NextInt() * vf_);
  c_.Pen.Width = Nearest(r.NextInt() * hf_);
  c_.Pen.Style = r.NextInt();
  c_.Pen.Color = ColorByName(r.Next(), layer_);
  c_.MoveTo(ScaleX(xOff_ + baseX_, layer_), ScaleY(yOff_ + baseY_, layer_));
}

void PagePainter::Image(TRecordLine& r) {
  const int x1 = PX(r.NextInt()), y1 = PY(r.NextInt());
  const int x2 = PX(r.NextInt()), y2 = PY(r.NextInt());
  const std::string file = r.Next();
  const bool andMode = r.NextInt() != 0;
  if (!FileExists(file)) return;
  const std::string ext = ExtensionUpper(file);
  if (ext == ".WMF" || ext == ".EMF") throw std::runtime_error("メタファイルは描画できません。" + file);
  if (ext != ".BMP" && ext != ".JPG") return;
  QImageReader reader(QString::fromStdString(file), ext == ".BMP" ? "bmp" : "jpeg");
  QImage picture = reader.read();
  if (picture.isNull()) throw std::runtime_error("画像を読み込めません。" + file + " " + reader.errorString().toStdString());
  DrawBitmapDIB(c_, x1, y1, "IMAGE " + file, andMode, picture, y2, x2);
}

void PagePainter::Chart(TRecordLine& r) {
  const std::string name = r.Next();
  ChartFileCheck(name);
  const double z = zoom_ * 0.1;
  const int x1 = ScaleX(Nearest(r.NextInt() * hf_ * z) + xOff_ + baseX_, layer_);
  const int y1 = ScaleY(Nearest(r.NextInt() * vf_ * z) + yOff_ + baseY_, layer_);
  const int x2 = ScaleX(Nearest(r.NextInt() * hf_ * z) + xOff_ + baseX_, layer_);
  const int y2 = ScaleY(Nearest(r.NextInt() * vf_ * z) + yOff_ + baseY_, layer_);
  const int panel = r.NextInt();
  QPainter* painter = c_.Painter();
  if (!painter) throw std::runtime_error("グラフを描画できません。");
  c_.SetZoom(10);
  struct Rezoom {
    TCanvas& c;
    int zoom;
    ~Rezoom() { c.SetZoom(zoom); }
  } rezoom{c_, zoom_};
  PaintChartPanel(*painter, QRect(QPoint(x1, y1), QPoint(x2, y2)), panel);
}

void PagePainter::Form(TRecordLine& r) {
  const TZenpagexState& s = Zpx();
  if (!s.CurrentJob.PrintFom && c_.IsPrinter()) return;
  const std::string file = r.Next();
  const std::string variables = ascii::Upper(r.Next());
  const int x = r.NextInt(), y = r.NextInt();
  if (!FileExists(file)) return;
  if (formDepth >= kMaxFormDepth) throw std::runtime_error("フォームの入れ子が深すぎます。" + file);
  if (variables == "TRUE") {
    ReadFormVersion(file);
    HensuuYomikomi(file, x, y);
  }
  TTextFile sub;
  sub.Assign(file);
  sub.Reset();
  ++formDepth;
  struct Depth {
    ~Depth() { --formDepth; }
  } depth;
  PaintPart(kLayerSubForm, sub, c_, dpi_, hf_, vf_, zoom_, even_, 0, Nearest(x * hf_), Nearest(y * vf_));
  sub.Close();
}

void PagePainter::Margin(TRecordLine& r, bool top) {
  const int v = r.NextInt();
  if (v == 0) return;
  if (top) Zpx().TopBase = v + topBase0_;
  else Zpx().LeftBase = v + leftBase0_;
  UpdateLayerOffsets();
}

}  // namespace

bool PaintPart(std::string_view layer, TTextFile& f, TCanvas& canvas, int dpi, double hFactor, double vFactor,
               int zoom, bool evenPage, int formPage, int baseX, int baseY) {
  PagePainter painter(layer, canvas, dpi, hFactor, vFactor, zoom, evenPage, formPage, baseX, baseY);
  return painter.Paint(f);
}

void DoubleUnderline(TCanvas& canvas, int x, int y, double vFactor, std::string_view text) {
  const int bytes = Bytes(text);
  if (bytes < 1 || bytes > 126) return;
  canvas.TextOut(x, y + Nearest(4 * vFactor), std::string(static_cast<std::size_t>(bytes), ' '));
}

void DrawBitmapDIB(TCanvas& canvas, int x1, int y1, std::string_view context, bool andMode, const QImage& bitmap,
                   int y2, int x2) {
  try {
    if (bitmap.isNull()) {
      WriteErrorLog(std::string(context) + " ビットマップイメージの取得ができない　GETDIB()");
      return;
    }
    canvas.DrawImage(QRect(QPoint(x1, y1), QPoint(x2, y2)), bitmap, andMode);
  } catch (const std::exception& e) {
    WriteErrorLog(std::string(context) + ":" + e.what());
  }
}

std::string FormatPageNumber(std::string_view format, int page, int pages) {
  std::string out;
  int used = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size() && (format[i + 1] == 'd' || format[i + 1] == 'D') && used < 2) {
      out += std::to_string(used++ == 0 ? page : pages);
      ++i;
    } else {
      out += format[i];
    }
  }
  return out;
}
