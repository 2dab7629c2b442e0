#include "print/Zenpagex_Class.h"

#include <QFontDatabase>
#include <algorithm>
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>

#include "platform/AsciiCase.h"
#include "platform/DateTime.h"
#include "platform/Encoding.h"
#include "print/Zenpagex_Imagedsp.h"
#include "print/Zenpagex_PrintIng.h"
#include "print/Zenpagex_Record.h"
#include "print/Zenpagex_State.h"
#include "print/Zenpagex_Vdb.h"

namespace {

bool FontInstalled(std::string_view name) {
  if (!qGuiApp) return false;
  return QFontDatabase::families().contains(QString::fromUtf8(name.data(), static_cast<int>(name.size())),
                                            Qt::CaseInsensitive);
}

// Every CR, LF and NUL as a blank: a text never breaks its record's line.
std::string OneLine(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  }
  return out;
}

std::string Hex6(std::int32_t colour) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "$%06X", static_cast<std::uint32_t>(colour));
  return buf;
}

// CP932 bytes of `text` back as UTF-8; the cuts below never leave half a character.
std::string Utf8(const std::string& cp932) { return sjis::ToUtf8(cp932); }

// Whether byte `n` (1-based) of `bytes` is the first byte of a double-byte character, walking
// from the first byte so that a second byte is never taken for a first one.
bool CutSplitsPair(const std::string& bytes, std::size_t n) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const bool lead = sjis::IsLeadByte(static_cast<unsigned char>(bytes[i]));
    if (i + 1 == n) return lead;
    i += lead ? 2 : 1;
  }
  return false;
}

// Whether byte `n` (1-based) is the second byte of a double-byte character.
bool IsSecondByte(const std::string& bytes, std::size_t n) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const bool lead = sjis::IsLeadByte(static_cast<unsigned char>(bytes[i]));
    if (lead && i + 2 == n) return true;
    if (i + 1 >= n) return false;
    i += lead ? 2 : 1;
  }
  return false;
}

}  // namespace

TZenpagex::TZenpagex() {
  SetOcrFontName({});
  if (TVDBPrint* vdb = Vdb()) PrinterNum = vdb->PrinterIndex();
}

TZenpagex::~TZenpagex() {
  if (out_.is_open()) out_.close();
}

// ---- setters ----

void TZenpagex::SetOcrFontName(std::string_view name) {
  if (name.empty()) {
    ocrFontName_ = FontInstalled("OCR-B") ? "OCR-B" : FontInstalled("OCRB") ? "OCRB" : "ＭＳ ゴシック";
  } else if (FontInstalled(name)) {
    ocrFontName_ = name;
  }
}

void TZenpagex::SetCopie(int v) {
  if (v >= 1 && v <= 99) copie_ = v;
}
void TZenpagex::SetZoom(int v) {
  if (v >= 5 && v <= 20) zoom_ = v;
}
void TZenpagex::SetScale(int v) {
  if (v >= 50 && v <= 150) scale_ = v;
}
void TZenpagex::SetPrintQuality(int v) {
  if (v >= -4 && v <= -1) printQuality_ = v;
}
void TZenpagex::SetColorMode(int v) { colorMode_ = v < 0 || v > 2 ? 0 : v; }
void TZenpagex::SetDuplex(int v) {
  if (v >= 1 && v <= 3) duplex_ = v;
}
void TZenpagex::SetCollate(int v) {
  if (v == 0 || v == 1) collate_ = v;
}

namespace {
int Ratio(int v) {
  if (v >= -50 && v <= 50) v += 1000;
  return v < 950 || v > 1050 ? 1000 : v;
}
}  // namespace

void TZenpagex::SetVRATIO(int v) { vratio_ = Ratio(v); }
void TZenpagex::SetHRATIO(int v) { hratio_ = Ratio(v); }

void TZenpagex::SetPageBangoFormat(std::string_view format) {
  std::string upper = ascii::Upper(format);
  int count = 0;
  for (std::size_t at; (at = upper.find("%D")) != std::string::npos;) {
    upper.erase(at, 2);
    ++count;
  }
  std::optional<std::string> trial;
  if (count == 1) trial = TryFormat(format, {1});
  if (count == 2) trial = TryFormat(format, {1, 1});
  if (trial) {
    pageBangoFormat_ = format;
    placeholderCount_ = count;
  } else {
    PageBango = false;
    pageBangoFormat_ = "(%d/%d)";
    placeholderCount_ = 2;
  }
}

void TZenpagex::SetPageBangoAlignment(int code) {
  if (code >= pbLeft && code <= pbRight) pageBangoAlignment_ = code;
}

// ---- helpers ----

std::optional<std::string> TZenpagex::TryFormat(std::string_view format, std::initializer_list<int> numbers) {
  std::string out;
  auto next = numbers.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') {
      out += format[i];
      continue;
    }
    if (++i >= format.size()) return std::nullopt;
    if (format[i] == '%') {
      out += '%';
      continue;
    }
    // %[-][width][.precision]type
    const bool left = format[i] == '-';
    if (left) ++i;
    int width = 0, precision = -1;
    while (i < format.size() && format[i] >= '0' && format[i] <= '9') width = std::min(width * 10 + (format[i++] - '0'), 999);
    if (i < format.size() && format[i] == '.') {
      precision = 0;
      ++i;
      while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
        precision = std::min(precision * 10 + (format[i++] - '0'), 999);
      }
    }
    if (i >= format.size()) return std::nullopt;
    const char type = ascii::Upper(format.substr(i, 1))[0];
    if (type != 'D' && type != 'U' && type != 'X') return std::nullopt;
    if (next == numbers.end()) return std::nullopt;
    const int n = *next++;
    std::string digits;
    if (type == 'X') {
      char buf[16];
      std::snprintf(buf, sizeof buf, "%X", static_cast<unsigned>(n));
      digits = buf;
    } else if (type == 'U') {
      digits = std::to_string(static_cast<unsigned>(n));
    } else {
      digits = std::to_string(n < 0 ? -static_cast<long long>(n) : n);
    }
    if (precision > 0 && static_cast<int>(digits.size()) < precision) digits.insert(0, precision - digits.size(), '0');
    if (type == 'D' && n < 0) digits.insert(0, 1, '-');
    if (static_cast<int>(digits.size()) < width) {
      const std::string pad(width - digits.size(), ' ');
      digits = left ? digits + pad : pad + digits;
    }
    out += digits;
  }
  return out;
}

std::string TZenpagex::SafeText(std::string_view text) {
  std::string out(text);
  // ';' never occurs inside a multi-byte character, so a byte-wise replacement keeps them whole.
  for (char& c : out) {
    if (c == ';') c = ':';
  }
  return out;
}

std::string TZenpagex::BackgroundText(std::string_view value) {
  if (value == "OFF" || value == "ON") return "1";
  return std::string(value);
}

std::string TZenpagex::SpaceText(int count) {
  if (count < 1 || count > 126) return {};
  return std::string(static_cast<std::size_t>(count), ' ');
}

std::string TZenpagex::PadLeftText(std::string_view text, int width) {
  const std::string bytes = sjis::FromUtf8(text);
  const auto w = static_cast<std::size_t>(std::max(width, 0));
  if (bytes.size() < w) return std::string(text) + SpaceText(static_cast<int>(w - bytes.size()));
  if (bytes.size() == w) return std::string(text);
  const std::size_t keep = CutSplitsPair(bytes, w) ? w - 1 : w;
  return Utf8(bytes.substr(0, keep));
}

std::string TZenpagex::PadRightText(std::string_view text, int width) {
  const std::string bytes = sjis::FromUtf8(text);
  const auto w = static_cast<std::size_t>(std::max(width, 0));
  if (bytes.size() < w) return SpaceText(static_cast<int>(w - bytes.size())) + std::string(text);
  if (bytes.size() == w) return std::string(text);
  std::size_t first = bytes.size() - w + 1;  // 1-based first kept byte
  if (IsSecondByte(bytes, first)) ++first;
  return Utf8(bytes.substr(first - 1));
}

std::string TZenpagex::MakeTempFileName(const std::string& folder) {
  std::string pattern = (folder.empty() ? std::string(".") : folder) + "/~XXXXXX.tmp";
  const int fd = ::mkstemps(pattern.data(), 4);
  if (fd < 0) {
    throw std::ios_base::failure("一時ファイルを作成できません: " + folder,
                                 std::error_code(errno, std::generic_category()));
  }
  ::close(fd);
  std::error_code ec;
  const auto full = std::filesystem::absolute(std::filesystem::u8path(pattern), ec);
  return ec ? pattern : full.string();
}

// ---- writing ----

void TZenpagex::OpenDataFile(bool useTempName) {
  if (out_.is_open()) out_.close();
  headerWritten_ = false;
  tempFile_ = false;
  if (useTempName) {
    DataFile = MakeTempFileName(std::filesystem::u8path(DataFile).parent_path().string());
    tempFile_ = true;
  }
  out_.open(std::filesystem::u8path(DataFile), std::ios::binary | std::ios::out | std::ios::trunc);
  if (!out_) {
    Abandon();
    throw std::ios_base::failure("ファイルを作成できません: " + DataFile);
  }
  WriteHeader();
}

void TZenpagex::WriteHeader() {
  if (headerWritten_) return;
  const std::string folder = std::filesystem::u8path(DataFile).parent_path().string();
  const std::string lines[kHeaderLineCount] = {
      HeaderFirstLine(),
      "*[SETTING]",
      "*PATH=" + folder,
      "*VERSION=" + std::string(EngineVersion),
      "*DATE=" + FormatDateTime("yyyy/mm/dd", Today()),
      "*TITLE=" + Title,
      "*FORMFILE=" + FormFile,
      "*PAPERSIZE=" + std::to_string(PaperSize),
      "*OUTPUTPAPER=" + std::to_string(OutPutPaper),
      "*ORIENTATION=" + std::to_string(Orientation),
      "*TOPMARGIN=" + std::to_string(TopMargin),
      "*LEFTMARGIN=" + std::to_string(LeftMargin),
      "*FORMTOPMARGIN=" + std::to_string(FormTopMargin),
      "*FORMLEFTMARGIN=" + std::to_string(FormLeftMargin),
      "*NETC1=" + Hex6(NetColor1),
      "*NETC2=" + Hex6(NetColor2),
      "*USERC1=" + Hex6(UserColor1),
      "*USERC2=" + Hex6(UserColor2),
      "*FORMPRINT=" + BoolText(PrintFom),
      "*COPIES=" + std::to_string(copie_),
      "*PAGENOSWITCH=" + BoolText(PageBango),
      "*PAGENOLEFT=" + std::to_string(PageBangoLeft),
      "*PAGENOTOP=" + std::to_string(PageBangoTop),
      "*PAGENOALIGNMENT=" + std::to_string(pageBangoAlignment_),
      "*PAGENOFORMAT=" + pageBangoFormat_,
      HeaderLastLine(),
  };
  for (const auto& line : lines) WriteRecord(line);
  headerWritten_ = true;
}

void TZenpagex::CloseDataFile() {
  if (out_.is_open()) {
    out_.flush();
    const bool ok = static_cast<bool>(out_);
    out_.close();
    if (!ok || out_.fail()) {
      Abandon();
      throw std::ios_base::failure("ファイルに書き込めません: " + DataFile);
    }
  }
  headerWritten_ = false;
  tempFile_ = false;
}

void TZenpagex::Abandon() {
  if (out_.is_open()) out_.close();
  out_.clear();
  headerWritten_ = false;
  if (tempFile_) {
    std::error_code ec;
    std::filesystem::remove(std::filesystem::u8path(DataFile), ec);
  }
  tempFile_ = false;
}

void TZenpagex::WriteRecord(std::string_view line) {
  if (!out_.is_open()) throw std::ios_base::failure("印刷ファイルが開かれていません。");
  out_ << sjis::FromUtf8(OneLine(line)) << "\r\n";
  if (!out_) {
    Abandon();
    throw std::ios_base::failure("ファイルに書き込めません: " + DataFile);
  }
}

void TZenpagex::NewPage() {
  ++PageNo;
  if (BlankPage != 0) WriteBox(100, 100, 101, 101, 0, 0, "黒", "白", 1);
  WriteRecord("E;");
}

void TZenpagex::WriteText(int x, int y, std::string_view text, std::string_view fontName, int fontSize,
                          std::string_view style, std::string_view colour, std::string_view background,
                          std::string_view align, int width) {
  WriteTextEx(x, y, text, fontName, fontSize, style, colour, background, ascii::Upper(align), 0, width);
}

void TZenpagex::WriteTextEx(int x, int y, std::string_view text, std::string_view fontName, int fontSize,
                            std::string_view style, std::string_view colour, std::string_view background,
                            std::string_view align, int anchor, int width) {
  std::string fitted = SafeText(OneLine(text));
  if (width != 0 && align != "CENTER") {
    fitted = align == "RIGHT" ? PadRightText(fitted, width) : PadLeftText(fitted, width);
  }
  const auto f = [](std::string_view s) { return SafeText(s); };
  WriteRecord("TEXT;" + std::to_string(x) + ";" + std::to_string(y) + ";" + fitted + ";" + f(fontName) + ";" +
              std::to_string(fontSize) + ";" + f(style) + ";" + f(colour) + ";" + f(BackgroundText(background)) + ";" +
              f(ascii::Upper(align)) + ";0;" + std::to_string(anchor) + ";");
}

void TZenpagex::WriteLine(int x1, int y1, int x2, int y2, int width, int penStyle, std::string_view colour,
                          bool extended) {
  WriteRecord(std::string(extended ? "ELINE" : "LINE") + ";" + std::to_string(x1) + ";" + std::to_string(y1) + ";" +
              std::to_string(x2) + ";" + std::to_string(y2) + ";" + std::to_string(width) + ";" +
              std::to_string(penStyle) + ";" + SafeText(colour) + ";");
}

void TZenpagex::WriteBox(int x1, int y1, int x2, int y2, int width, int penStyle, std::string_view penColour,
                         std::string_view brushColour, int brushStyle) {
  WriteRecord("BOX;" + std::to_string(x1) + ";" + std::to_string(y1) + ";" + std::to_string(x2) + ";" +
              std::to_string(y2) + ";" + std::to_string(width) + ";" + std::to_string(penStyle) + ";" +
              SafeText(penColour) + ";" + SafeText(brushColour) + ";" + std::to_string(brushStyle) + ";");
}

// ---- preview and print ----

void TZenpagex::FillJob(TZPGXDEF& job) const {
  job.FormFile = FormFile;
  job.DataFile = DataFile;
  job.Title = JobText(Title);
  job.PaperName = JobText(PaperName);
  job.DocTitle = JobText(!DocTitle.empty() ? DocTitle
                         : !Title.empty()  ? Title
                                           : "ZENPAGEX-" + std::string(EngineVersion));
  job.PrinterNum = PrinterNum;
  job.PaperSize = PaperSize;
  job.OutPutPaper = OutPutPaper;
  job.Orientation = Orientation;
  job.Scale = scale_;
  job.Copies = copie_;
  job.PrintQuality = printQuality_;
  job.ColorMode = colorMode_;
  job.Duplex = duplex_;
  job.Collate = collate_;
  job.TopMargin = TopMargin;
  job.LeftMargin = LeftMargin;
  job.EvenShift = EvenLeftMargin != 0 ? EvenLeftMargin - LeftMargin : 0;
  job.TopCorrect = TopCorrect;
  job.LeftCorrect = LeftCorrect;
  job.FormTopMargin = FormTopMargin;
  job.FormLeftMargin = FormLeftMargin;
  job.NetColor1 = NetColor1;
  job.NetColor2 = NetColor2;
  job.UserColor1 = UserColor1;
  job.UserColor2 = UserColor2;
  job.OcrGreen = OcrGreen;
  job.OcrBlue = OcrBlue;
  job.OcrBrown = OcrBrown;
  job.OcrPink = OcrPink;
  job.OcrOrange = OcrOrange;
  job.OcrViolet = OcrViolet;
  job.OcrPurple = OcrPurple;
  job.PrintFom = PrintFom;
  job.PrnDlg = PrnDlg;
  job.Zoom = zoom_;
  job.SizeChange = SizeChange;
  job.ModeSw = ModeSw;
  job.PaperLength = PaperLength;
  job.PaperWidth = PaperWidth;
  job.Permit = Permit;
  job.ImageOut = ImageOut;
  job.CurrentPage = CurrentPage;
  job.VRATIO = vratio_;
  job.HRATIO = hratio_;
  job.GrayScale = GrayScale;
  job.PrevPaperButton = PrevPaperButton;
  job.NextPaperButton = NextPaperButton;
  job.PageBango.Switch = PageBango;
  job.PageBango.Left = PageBangoLeft;
  job.PageBango.Top = PageBangoTop;
  job.PageBango.Alignment = pageBangoAlignment_;
  job.PageBango.Format = pageBangoFormat_;
  job.PageBango.FontName = PageBangoFontName;
  job.PageBango.FontSize = PageBangoFontSize;
  job.PageBango.Count = placeholderCount_;
}

void TZenpagex::AfterSteps(const TZPGXDEF& job) {
  if (DelFile) {
    std::error_code ec;
    std::filesystem::remove(std::filesystem::u8path(DataFile), ec);
    // A chart picture beside the data file is the client's own unless the engine wrote it;
    // the engine writes none here, so nothing else is deleted.
    (void)job;
  }
  if (TVDBPrint* vdb = Vdb()) {
    PrinterNum = vdb->PrinterIndex();
    copie_ = vdb->DevMode().Copies;
    Zpx().CurrentJob.PrinterNum = PrinterNum;
    Zpx().CurrentJob.Copies = copie_;
  }
  PageBango = false;
}

bool TZenpagex::Preview() {
  TZPGXDEF& job = Zpx().CurrentJob;
  FillJob(job);
  previewCloseNum_ = ShowPreview(job);
  AfterSteps(job);
  return previewCloseNum_ != 0;
}

bool TZenpagex::Print() {
  TZPGXDEF job = Zpx().CurrentJob;  // the printer's own fields keep their values
  FillJob(job);
  const bool printed = StartPrint(job) != 0;
  previewCloseNum_ = printed ? 1 : 0;
  AfterSteps(job);
  return printed;
}
