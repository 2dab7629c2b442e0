#pragma once
// Page bookkeeping of record files, the engine's error log and its start-up.
//
// Pages of a record file: a line whose first two characters, upper-cased, are "E;" ends a
// page, so a file has one page more than it has such lines. With the job's automatic page
// number on, every data page gets the next number unless it holds no lines, or exactly one
// line containing "ORIENTATION" or "LINE" (a page that only turns the paper or draws one
// rule); page 1 holds the header block and is always numbered.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "print/Zenpagex_Record.h"
#include "print/Zenpagex_State.h"

// The next field of `line` at the engine's shared cursor FieldPos (ReadField's rules).
std::string NextField(std::string_view line, char sep);
// The cursor back to the line's start; the first field, upper-cased.
std::string FirstField(std::string_view line, char sep);

// Reads `f` forward from where it stands until it stands at the first line of page `n`
// (counting from the current page as 1). With `wrap` the end of the file counts as a page end
// and the file starts over, so form pages repeat over the data pages. False when the file
// ended first.
bool SkipToPage(TTextFile& f, int n, bool wrap);
// The pages of a record file (1 for a missing one). With `isData` it also rebuilds
// PageNumberList and NumberedPages, the automatic numbers of the data pages.
int CountPages(const std::string& fileName, bool isData);
// TotalPages of the job in FormFileName and DataFileName: the data pages rounded up to whole
// cycles of the form pages, or the form pages when the form is longer; ShownPage back to 1.
void SetPageTotals();
// The orientation of every page of a record file (its ORIENTATION record, else `def`), one
// value per page; nothing for a missing file.
std::vector<int> ReadOrientations(const std::string& fileName, int def);
// Assigns `f` to the file `name` names, expanded to a full path. A missing file shows
// "<name> が見つかりません。" and gives false; an empty or blank name gives false silently.
bool OpenTextFile(TTextFile& f, const std::string& name);

// Appends "yy/mm/dd hh:nn:ss  text" to Zenpagex_Error.log in the user's documents folder.
// A log that cannot be written is given up silently.
void WriteErrorLog(std::string_view text) noexcept;

// `text` without any occurrence of the character `c`.
std::string RemoveChar(std::string_view text, std::string_view c);
// Adds `face` to `list` unless it equals the last name added, ignoring case.
void AddFontName(std::string_view face, std::vector<std::string>& list);

// Makes the printer the engine works with; throws or returns nullptr when there is none.
using TEnginePrinterFactory = std::function<std::unique_ptr<TEnginePrinter>()>;
// Start-up, once before any preview or print: the page state to its first values, the font
// lists of the installed faces (the MS faces counted where their IPA stand-ins are
// installed), the printer with TrueType option 2. EngineReady tells whether it succeeded; a
// failure leaves the engine switched off.
void EngineStartup(const TEnginePrinterFactory& makePrinter);
// Releases the printer, the lists and the form tables.
void EngineShutdown();
