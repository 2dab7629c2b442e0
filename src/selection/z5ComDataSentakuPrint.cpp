// The printed data list (TPrDataList).
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "data/uAccRecord.h"
#include "platform/AsciiCase.h"
#include "print/Zenpagex_Class.h"
#include "print/z5PrintColors.h"
#include "selection/z5ComDataSentaku.h"

namespace {

// Geometry in 0.1 mm from the paper's top-left corner.
struct TPageLayout {
  int Right;        // right end of the rules
  int Bottom;       // the closing rule
  int RowsPerPage;
  int NoX, CodeX, NameX, NendoX, KikanX, FolderX;  // CodeX < 0: no code column
};
constexpr TPageLayout kPortrait{2000, 2820, 55, 170, -1, 250, 1050, 1350, 1600};
constexpr TPageLayout kLandscape{2820, 1945, 35, 170, 250, 450, 1250, 1550, 1800};

constexpr int kLeft = 150;      // left end of every rule
constexpr int kFirstRowY = 405;
constexpr int kRowPitch = 44;

std::string Format(const char* format, int value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, format, value);
  return buf;
}

// Every occurrence of `root` in `path` as "~", ignoring the case of ASCII letters; the rest
// of the path stays as stored.
std::string ShortenRoot(const std::string& path, std::string root) {
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  if (root.empty()) return path;
  const std::string upperPath = ascii::Upper(path);
  const std::string upperRoot = ascii::Upper(root);
  std::string out;
  std::size_t pos = 0;
  while (true) {
    const std::size_t hit = upperPath.find(upperRoot, pos);
    if (hit == std::string::npos) break;
    out.append(path, pos, hit - pos);
    out += "~";
    pos = hit + root.size();
  }
  out.append(path, pos, std::string::npos);
  return out;
}

class TDataListWriter {
 public:
  TDataListWriter(TPrDataList& list)
      : list_(list),
        zp_(*list.Component),
        layout_(list.Orientation == 1 ? kLandscape : kPortrait),
        font_(PrintFontName(list.PrintRec.FontIndex)) {}

  void Write() {
    int number = 0;
    for (int32_t index : list_.DispRows) {
      if (index < 0 || static_cast<std::size_t>(index) >= list_.Rows.size()) continue;
      const TDataSentakuRec& row = list_.Rows[static_cast<std::size_t>(index)];
      ++number;
      Line(row, Format("%3d", list_.ListKind == 0 ? row.REC : number));
      const std::size_t children = std::min<std::size_t>(static_cast<std::size_t>(std::max(row.ChildCount, 0)),
                                                         row.Children.size());
      for (std::size_t c = 0; c < children; ++c) Line(row.Children[c], {});
    }
  }

 private:
  void Text(int x, int y, const std::string& text, int size, const char* align) {
    zp_.WriteText(x, y, text, font_, size, "", "黒", "OFF", align, 0);
  }
  void Rule(int y, int width, int penStyle) {
    zp_.WriteLine(kLeft, y, layout_.Right, y, width, penStyle, std::to_string(zp_.UserColor1), false);
  }

  void PageHeading() {
    const TDefaultPrintRec& rec = list_.PrintRec;
    // Halves go to the even neighbour.
    const int centre = static_cast<int>(std::nearbyint(layout_.Right / 2.0));
    Text(centre, 150, list_.ListKind == 0 ? "データリスト" : "共有データリスト", rec.TitleSize, "CENTER");
    Text(layout_.Right, 250, Format("PAGE %4d", page_), rec.HeadingSize, "RIGHT");
    Rule(300, 4, 0);
    const int y = 325;
    Text(layout_.NoX + 10, y, "No", rec.HeadingSize, "LEFT");
    if (layout_.CodeX >= 0) Text(layout_.CodeX, y, "コード", rec.HeadingSize, "LEFT");
    Text(layout_.NameX, y, "データリスト名", rec.HeadingSize, "LEFT");
    Text(layout_.NendoX, y, "会計年度", rec.HeadingSize, "CENTER");
    Text(layout_.KikanX, y, "会計期間", rec.HeadingSize, "CENTER");
    Text(layout_.FolderX, y, "データフォルダ", rec.HeadingSize, "LEFT");
    Rule(390, 4, 0);
    Rule(layout_.Bottom, 4, 0);
  }

  void Line(const TDataListRec& row, const std::string& number) {
    if (lines_ != 0 && lines_ < layout_.RowsPerPage) {
      ++lines_;
    } else {
      if (lines_ > 0) zp_.NewPage();
      PageHeading();
      lines_ = 1;
      ++page_;
    }
    const int y = (lines_ - 1) * kRowPitch + kFirstRowY;
    const int size = list_.PrintRec.BodySize;
    const bool dated = !row.ENTTEXT.empty() && row.NENDO >= 1;
    Text(layout_.NoX, y, number, size, "LEFT");
    if (layout_.CodeX >= 0) Text(layout_.CodeX, y, row.DATACODE, size, "LEFT");
    Text(layout_.NameX, y, row.DispName, size, "LEFT");
    Text(layout_.NendoX, y, dated ? Format("%d 期", row.NENDO) : std::string(), size, "CENTER");
    Text(layout_.KikanX, y, dated ? row.KikanText : std::string(), size, "CENTER");
    Text(layout_.FolderX, y, ShortenRoot(row.PASNAME, SystemDef.AppDataDir), size, "LEFT");
    // The last line of a page is closed by the bottom rule.
    if (lines_ < layout_.RowsPerPage) Rule(y + 34, 0, 2);
  }

  TPrDataList& list_;
  TZenpagex& zp_;
  const TPageLayout& layout_;
  const std::string font_;
  int page_ = 1;
  int lines_ = 0;
};

}  // namespace

TPrDataList::TPrDataList() : Component(std::make_unique<TZenpagex>()) { SetDefaultPrintRec(PrintRec); }

TPrDataList::~TPrDataList() = default;

void TPrDataList::WriteDataFile() {
  PrintRec.BodySize = 9;
  TZenpagex& zp = *Component;
  zp.Title = "印刷プレビュー";
  zp.DataFile = SystemDef.WorkDir + "/データリスト.TMP";
  zp.FormFile.clear();
  zp.PaperSize = 9;  // A4
  zp.Orientation = Orientation;
  zp.TopMargin = 0;
  zp.LeftMargin = 0;
  zp.SetZoom(10);
  zp.UserColor1 = 0;
  zp.UserColor2 = 0;
  zp.NetColor1 = SystemDef.NetColor1;
  zp.NetColor2 = SystemDef.NetColor2;
  MonoPrintColors(PrintRec.ColorMode, zp);
  zp.PrintFom = false;
  zp.ModeSw = false;
  zp.Permit = true;

  zp.OpenDataFile(true);
  try {
    TDataListWriter(*this).Write();
    zp.CloseDataFile();
  } catch (...) {
    // A half-written list is of no use to anyone: the file goes with the failure.
    try {
      zp.CloseDataFile();
    } catch (...) {
    }
    std::error_code ec;
    std::filesystem::remove(std::filesystem::u8path(zp.DataFile), ec);
    throw;
  }
}

bool TPrDataList::Execute(bool DoPrint) {
  WriteDataFile();
  return DoPrint ? Component->Print() : Component->Preview();
}
