#include "ui/z5HtmlHelp.h"

#include <QDesktopServices>
#include <QUrl>
#include <array>
#include <utility>

#include "data/uAccRecord.h"

namespace {

THlinkNavigator& Navigator() {
  static THlinkNavigator navigator;
  return navigator;
}

// A target that names its scheme ("https://...", "mailto:...", "file:///...") is a URL; anything
// else is a file path.
bool HasScheme(const std::string& target) {
  const auto colon = target.find(':');
  if (colon == std::string::npos || colon < 2) return false;  // "C:" is a drive, not a scheme
  for (size_t i = 0; i < colon; ++i) {
    const char c = target[i];
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool later = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    if (!letter && !(i > 0 && later)) return false;
  }
  return true;
}

int OpenWithDesktop(const std::string& target) {
  const QString text = QString::fromStdString(target);
  const QUrl url = HasScheme(target) ? QUrl(text) : QUrl::fromLocalFile(text);
  return QDesktopServices::openUrl(url) ? kHlinkOk : kHlinkFailed;
}

struct ManualFolders {
  const char* top;
  const char* other;
};

constexpr std::array<ManualFolders, 4> kFolders = {{
    {"/zaimu/", "/zaimu/zod.files/"},
    {"/", "/darore.files/"},
    {"/velkoran/", "/velkoran/vlkolm.files/"},
    {"/", "/rirare.files/"},
}};

bool IsTopPage(const std::string& page) {
  return page == "zod.html" || page == "darore.html" || page == "vlkolm.html" || page == "rirare.html";
}

}  // namespace

int HlinkNavigateString(const std::string& target) {
  if (const THlinkNavigator& navigator = Navigator()) return navigator(target);
  return OpenWithDesktop(target);
}

THlinkNavigator SetHlinkNavigator(THlinkNavigator navigator) { return std::exchange(Navigator(), std::move(navigator)); }

std::string HtmlManualPath(const std::string& page) {
  if (page.empty() || ProgramKind >= kFolders.size()) return {};
  std::string folder = SystemDef.HelpDir;
  while (!folder.empty() && folder.back() == '/') folder.pop_back();
  const ManualFolders& f = kFolders[ProgramKind];
  return folder + (IsTopPage(page) ? f.top : f.other) + page;
}

int ShowHtmlManual(const std::string& page) {
  const std::string path = HtmlManualPath(page);
  if (path.empty()) return 0;
  return HlinkNavigateString(path);
}
