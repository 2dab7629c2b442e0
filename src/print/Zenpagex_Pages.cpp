#include "print/Zenpagex_Pages.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QStringList>
#include <cerrno>
#include <exception>
#include <filesystem>
#include <stdexcept>

#include "platform/AsciiCase.h"
#include "platform/DateTime.h"
#include "platform/Encoding.h"
#include "platform/UiServices.h"
#include "print/Zenpagex_Function.h"
#include "ui/forms/Graphics.h"

namespace {

// The MS faces record files name. Where the stand-in of one is installed, the face counts as
// installed too, in the same lists.
constexpr std::string_view kMsFaces[] = {"ＭＳ 明朝", "ＭＳ ゴシック", "ＭＳ Ｐ明朝", "ＭＳ Ｐゴシック"};

void FillFontList(std::vector<std::string>& list, const QStringList& families) {
  list.clear();
  for (const QString& family : families) {
    const std::string face = family.toStdString();
    AddFontName(face, list);
    for (std::string_view ms : kMsFaces) {
      if (forms::SubstituteFontName(std::string(ms)) == face) AddFontName(ms, list);
    }
  }
}

void BuildFontLists(TZenpagexState& s) {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    throw std::runtime_error("フォントの一覧を作成できません。");
  }
  forms::InstallFontSubstitutions();
  FillFontList(s.FontsShiftJis, QFontDatabase::families(QFontDatabase::Japanese));
  FillFontList(s.FontsSymbol, QFontDatabase::families(QFontDatabase::Symbol));
  FillFontList(s.FontsEastEurope, QFontDatabase::families(QFontDatabase::Latin));
  s.FontsOem.clear();  // no OEM faces on this platform
  FillFontList(s.FontsDefault, QFontDatabase::families());
}

void ClearFontLists(TZenpagexState& s) {
  s.FontsShiftJis.clear();
  s.FontsSymbol.clear();
  s.FontsEastEurope.clear();
  s.FontsOem.clear();
  s.FontsDefault.clear();
}

// One page's lines as far as numbering needs them: how many, and the first.
struct PageLines {
  int count = 0;
  std::string first;
};

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

std::string NextField(std::string_view line, char sep) { return ReadField(line, sep, Zpx().FieldPos); }

std::string FirstField(std::string_view line, char sep) {
  Zpx().FieldPos = 1;
  return ascii::Upper(NextField(line, sep));
}

bool SkipToPage(TTextFile& f, int n, bool wrap) {
  int i = 1;
  while (i < n && !f.Eof()) {
    const std::string line = f.ReadLn();
    if (f.Eof() && wrap) {
      f.Reset();
      ++i;
    } else if (IsPageEndLine(line)) {
      ++i;
    }
  }
  return i >= n;
}

int CountPages(const std::string& fileName, bool isData) {
  TZenpagexState& s = Zpx();
  const bool numbering = isData && s.CurrentJob.PageBango.Switch;
  if (isData) s.PageNumberList.clear();
  int pages = 1;
  int nextNumber = 1;
  PageLines page;
  // Only the data pages' count touches the numbering: a form counted later (a print range)
  // must not add entries behind the data pages or reset NumberedPages.
  const auto closePage = [&] {
    const bool unnumbered =
        page.count == 0 || (page.count == 1 && (page.first.find("ORIENTATION") != std::string::npos ||
                                                 page.first.find("LINE") != std::string::npos));
    s.PageNumberList.push_back(unnumbered ? "0" : std::to_string(nextNumber++));
    page = PageLines();
  };
  TTextFile f;
  if (OpenTextFile(f, fileName)) {
    f.Reset();
    while (!f.Eof()) {
      std::string line = f.ReadLn();
      if (IsPageEndLine(line)) {
        ++pages;
        if (numbering) closePage();
      } else if (numbering) {
        if (page.count++ == 0) page.first = std::move(line);
      }
    }
    if (isData) closePage();
    f.Close();
  }
  if (isData) s.NumberedPages = nextNumber - 1;
  return pages;
}

void SetPageTotals() {
  TZenpagexState& s = Zpx();
  const int f = CountPages(s.FormFileName, false);
  const int d = CountPages(s.DataFileName, true);
  if (f < d) {
    const int r = d % f;
    s.TotalPages = r == 0 ? d : d + (f - r);
  } else {
    s.TotalPages = f;
  }
  s.ShownPage = 1;
}

std::vector<int> ReadOrientations(const std::string& fileName, int def) {
  std::vector<int> orientations;
  TTextFile f;
  if (!OpenTextFile(f, fileName)) return orientations;
  f.Reset();
  int value = def;
  while (!f.Eof()) {
    const std::string line = f.ReadLn();
    if (!line.empty() && line[0] == '*') continue;
    TRecordLine r(line);
    switch (r.KindCode()) {
      case TRecordKind::Orientation:
        value = r.NextInt(def);
        break;
      case TRecordKind::PageEnd:
        orientations.push_back(value);
        value = def;
        break;
      default:
        break;
    }
  }
  orientations.push_back(value);
  return orientations;
}

bool OpenTextFile(TTextFile& f, const std::string& name) {
  // A blank name names no file, as an empty one does.
  if (TrimBlanks(name).empty()) return false;
  std::error_code ec;
  const std::filesystem::path full = std::filesystem::absolute(name, ec);
  if (!ec && std::filesystem::is_regular_file(full, ec)) {
    f.Assign(full.string());
    return true;
  }
  uis::ShowMessage(uis::MsgKind::Error, "<" + name + "> が見つかりません。");
  return false;
}

void WriteErrorLog(std::string_view text) noexcept {
  try {
    const std::string dir = SpecialFolderPath(CSIDL_PERSONAL);
    if (dir.empty()) return;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    // One entry, one line: breaks inside a message become blanks.
    std::string entry = FormatDateTime("yy/mm/dd hh:nn:ss", Now()) + "  " + std::string(text);
    for (char& c : entry) {
      if (c == '\r' || c == '\n') c = ' ';
    }
    const std::string bytes = sjis::FromUtf8(entry) + "\r\n";
    const std::string file = dir + "/Zenpagex_Error.log";
    const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return;
    WriteAll(fd, bytes);
    ::close(fd);
  } catch (...) {
    // A log that cannot be written must not disturb the work that is being logged.
  }
}

std::string RemoveChar(std::string_view text, std::string_view c) {
  std::string out(text);
  if (c.empty()) return out;
  for (std::size_t p = out.find(c); p != std::string::npos; p = out.find(c, p)) out.erase(p, c.size());
  return out;
}

void AddFontName(std::string_view face, std::vector<std::string>& list) {
  if (!list.empty() && ascii::SameText(list.back(), face)) return;
  list.emplace_back(face);
}

void EngineStartup(const TEnginePrinterFactory& makePrinter) {
  TZenpagexState& s = Zpx();
  s.EngineReady = false;
  s.Printer.reset();
  ClearFontLists(s);
  s.PaperMode = 0;
  s.UserPaperWidth = 0;
  s.UserPaperLength = 0;
  s.TotalPages = 1;
  s.ShownPage = 1;
  try {
    s.PageNumberList.clear();
    s.DataPageNo = 1;
    s.NumberedPages = 1;
    BuildFontLists(s);
    std::unique_ptr<TEnginePrinter> printer = makePrinter ? makePrinter() : nullptr;
    if (!printer) throw std::runtime_error("プリンタが使用できません。");
    printer->SetTTOption(2);
    s.Printer = std::move(printer);
    s.EngineReady = true;
  } catch (const std::exception& e) {
    WriteErrorLog(std::string("Zenpagex.Startup:") + e.what());
  } catch (...) {
    WriteErrorLog("Zenpagex.Startup:");
  }
}

void EngineShutdown() {
  TZenpagexState& s = Zpx();
  s.EngineReady = false;
  s.Printer.reset();
  ClearFontLists(s);
  s.PageNumberList.clear();
  for (auto& page : s.DataFields) page.fill(TDataField{});
  for (auto& page : s.TotalFields) page.fill(TTotalField{});
  s.FormPageCount = 0;
}
