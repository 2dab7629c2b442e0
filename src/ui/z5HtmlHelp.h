#pragma once
// Opening pages of the product's HTML manual, and the hyperlink navigation that the manual
// and the links of message forms share.
//
// A manual page is looked for under the manual folder of the system definition record: the
// top pages of a manual sit in the manual's own folder, every other page in the manual's
// companion folder:
//
//   ProgramKind   top pages ("zod.html" ...)    any other page
//   0             <manual>/zaimu/               <manual>/zaimu/zod.files/
//   1             <manual>/                     <manual>/darore.files/
//   2             <manual>/velkoran/            <manual>/velkoran/vlkolm.files/
//   3             <manual>/                     <manual>/rirare.files/
//
// The navigation opens the target with the desktop's default handler. Tests (and a program
// that must not start a browser) install a navigator of their own with SetHlinkNavigator.
#include <functional>
#include <string>

// Result codes of the navigation: 0 when the target was handed to the desktop.
constexpr int kHlinkOk = 0;
constexpr int kHlinkFailed = static_cast<int>(0x80004005u);  // the platform's "unspecified failure"

// Opens `target` (a file path, or a URL with its scheme) with the desktop's default handler
// or with the installed navigator; its result code is returned.
int HlinkNavigateString(const std::string& target);

using THlinkNavigator = std::function<int(const std::string& target)>;
// Installs `navigator` (an empty one restores the desktop's handler); returns the previous one.
THlinkNavigator SetHlinkNavigator(THlinkNavigator navigator);

// The file a manual page name stands for under the current ProgramKind; empty when the name
// is empty or the kind has no manual (nothing is to be opened then).
std::string HtmlManualPath(const std::string& page);

// Opens the manual page `page` and returns the navigation's result code. An empty name or a
// ProgramKind without a manual opens nothing and returns 0.
int ShowHtmlManual(const std::string& page);
