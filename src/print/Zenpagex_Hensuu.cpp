#include "print/Zenpagex_Hensuu.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <vector>

#include "platform/AsciiCase.h"
#include "print/Zenpagex_Colors.h"
#include "print/Zenpagex_Function.h"
#include "print/Zenpagex_Pages.h"
#include "print/Zenpagex_Record.h"
#include "print/Zenpagex_State.h"

namespace {

bool ValidPage(int formPage) { return formPage >= 0 && formPage < kFormPages; }

void ClearTables(TZenpagexState& s) {
  for (auto& page : s.DataFields) page.fill(TDataField{});
  for (auto& page : s.TotalFields) page.fill(TTotalField{});
  s.FormPageCount = 0;
}

void ReadVariable(TRecordLine& r, std::array<TDataField, kFieldSlots>& page, int& nextVariable, int offsetX,
                  int offsetY) {
  const int x = r.NextInt();
  const int y = r.NextInt();
  const std::string name = ascii::Upper(r.Next());
  int index;
  if (name == "0" || name == "行間") {
    index = 0;
  } else {
    index = nextVariable++;
  }
  TDataField& f = page[static_cast<std::size_t>(index)];
  f.Name = name;
  f.X = x + offsetX;
  f.Y = y + offsetY;
  f.FontName = r.Next();
  f.FontSize = r.NextInt();
  f.Style = ascii::Upper(r.Next());
  f.Colour = ColorByName(r.Next(), "");
  f.Background = BackgroundByName(r.Next(), "");
  f.Alignment = AlignmentByName(r.Next());
  f.Width = r.NextInt();
  f.Once = r.NextInt();
  f.Anchor = r.NextInt();
  if (f.FontSize == 0) f.FontSize = 12;
}

void ReadTotal(TRecordLine& r, int formPage, std::array<TTotalField, kFieldSlots>& page, int& nextTotal,
               int offsetX, int offsetY) {
  const int x = r.NextInt();
  const int y = r.NextInt();
  const std::string name = ascii::Upper(r.Next());
  if (name.empty() || FindTotalField(formPage, name)) return;
  TTotalField& t = page[static_cast<std::size_t>(nextTotal++)];
  t.Name = name;
  t.X = x + offsetX;
  t.Y = y + offsetY;
}

}  // namespace

bool HensuuYomikomi(const std::string& fileName, int offsetX, int offsetY) {
  TZenpagexState& s = Zpx();
  ClearTables(s);
  try {
    TTextFile f;
    if (!OpenTextFile(f, fileName)) return true;
    f.Reset();
    int formPage = 0;
    std::array<int, kFormPages> nextVariable;
    std::array<int, kFormPages> nextTotal;
    nextVariable.fill(1);
    nextTotal.fill(0);
    while (!f.Eof()) {
      TRecordLine r(f.ReadLn(), ";0;");
      switch (r.KindCode()) {
        case TRecordKind::PageEnd:
          ++s.FormPageCount;
          if (s.FormPageCount >= kFormPages) return true;
          formPage = s.FormPageCount;
          break;
        case TRecordKind::VariableDef:
          if (nextVariable[formPage] < kVariableLimit) {
            ReadVariable(r, s.DataFields[formPage], nextVariable[formPage], offsetX, offsetY);
          }
          break;
        case TRecordKind::TotalDef:
          if (nextTotal[formPage] < kTotalLimit) {
            ReadTotal(r, formPage, s.TotalFields[formPage], nextTotal[formPage], offsetX, offsetY);
          }
          break;
        default:
          break;
      }
    }
  } catch (const std::exception& e) {
    WriteErrorLog(std::string("ImageOut.HensuuYomikomi:") + e.what());
  }
  return true;
}

int FindDataField(int formPage, std::string_view name) {
  if (!ValidPage(formPage)) return 0;
  const std::string upper = ascii::Upper(name);
  const auto& page = Zpx().DataFields[formPage];
  for (int i = 1; i <= kFindLimit; ++i) {
    if (page[static_cast<std::size_t>(i)].Name == upper) return i;
  }
  return 0;
}

bool FindTotalField(int formPage, std::string_view name) {
  if (!ValidPage(formPage)) return false;
  const std::string upper = ascii::Upper(name);
  auto& page = Zpx().TotalFields[formPage];
  for (int i = 0; i <= kFindLimit; ++i) {
    if (page[static_cast<std::size_t>(i)].Name == upper) {
      page[static_cast<std::size_t>(i)].Used = true;
      return true;
    }
  }
  return false;
}

void ReadFormVersion(const std::string& fileName) {
  TZenpagexState& s = Zpx();
  s.FormVersion = 1.75;
  std::error_code ec;
  if (fileName.empty() || !std::filesystem::is_regular_file(fileName, ec)) return;
  TTextFile f;
  f.Assign(fileName);
  f.Reset();
  while (!f.Eof()) {
    const std::string line = f.ReadLn();
    if (line.find("VER") == std::string::npos) continue;
    std::vector<std::string> pieces;
    SplitFields(line, '"', pieces);
    if (pieces.size() < 2) continue;
    const double version = StrToFloatDef0(pieces[1]);
    if (version > 0) {
      s.FormVersion = version;
      return;
    }
  }
}

TVariableUse UseDataField(int formPage, std::string_view name, int size, std::string_view style, int bottomLimit) {
  TVariableUse use;
  if (!ValidPage(formPage)) return use;
  const int n = FindDataField(formPage, name);
  if (n < 1 || n >= kVariableLimit) return use;
  auto& page = Zpx().DataFields[formPage];
  TDataField& entry = page[static_cast<std::size_t>(n)];
  if (entry.Name.empty()) return use;
  use.Field = entry;
  if (size != 0) use.Field.FontSize = size;
  if (!style.empty()) use.Field.Style = std::string(style);
  use.Draw = !(entry.Once == 1 && entry.UseCount > 0);
  const int pitch = page[0].Width;
  if (pitch > 0) {
    const std::int64_t y = static_cast<std::int64_t>(entry.Y) + static_cast<std::int64_t>(entry.UseCount) * pitch;
    use.Field.Y = static_cast<int>(std::min<std::int64_t>(y, bottomLimit));
    ++entry.UseCount;
  }
  return use;
}

void ResetUseCounts(int formPage) {
  if (!ValidPage(formPage)) return;
  auto& page = Zpx().DataFields[formPage];
  for (int i = 0; i <= kFindLimit; ++i) page[static_cast<std::size_t>(i)].UseCount = 0;
}
