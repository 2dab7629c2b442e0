#include "print/Zenpagex_Record.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/AsciiCase.h"
#include "platform/Encoding.h"
#include "platform/TextLines.h"
#include "print/Zenpagex_Function.h"

namespace {

struct KindName {
  std::string_view name;
  TRecordKind kind;
};

constexpr KindName kKinds[] = {
    {"TEXT", TRecordKind::Text},
    {"NTEXT", TRecordKind::NText},
    {"UTEXT", TRecordKind::UText},
    {"VTEXT", TRecordKind::VText},
    {"MEMO", TRecordKind::Memo},
    {"LINE", TRecordKind::Line},
    {"ELINE", TRecordKind::ELine},
    {"BOX", TRecordKind::Box},
    {"RRECT", TRecordKind::RRect},
    {"CIRCLE", TRecordKind::Circle},
    {"FRECT", TRecordKind::FRect},
    {"SLINE", TRecordKind::SLine},
    {"MARUMOJI", TRecordKind::MaruMoji},
    {"BP", TRecordKind::BasePoint},
    {"LINEB", TRecordKind::LineB},
    {"IMAGE", TRecordKind::Image},
    {"CHART", TRecordKind::Chart},
    {"FORM", TRecordKind::Form},
    {"MESSAGE", TRecordKind::Message},
    {"TOPMARGIN", TRecordKind::TopMargin},
    {"LEFTMARGIN", TRecordKind::LeftMargin},
    {"ORIENTATION", TRecordKind::Orientation},
    {"@", TRecordKind::Variable},
    {"E", TRecordKind::PageEnd},
    {"&", TRecordKind::VariableDef},
    {"$", TRecordKind::TotalDef},
};

}  // namespace

TRecordKind KindOf(std::string_view upperKind) {
  for (const auto& k : kKinds) {
    if (k.name == upperKind) return k.kind;
  }
  return TRecordKind::Unknown;
}

std::string HeaderFirstLine() { return std::string(kDataFileMagic) + std::string(60, '*'); }
std::string HeaderLastLine() { return std::string(61, '*') + "ZENPAGEX*"; }

bool IsPageEndLine(std::string_view line) { return ascii::Upper(line.substr(0, 2)) == "E;"; }

std::string ReadField(std::string_view line, char sep, int& fieldPos) {
  if (fieldPos < 1) fieldPos = 1;
  if (static_cast<std::size_t>(fieldPos) > line.size()) return {};
  const std::size_t start = static_cast<std::size_t>(fieldPos) - 1;
  const std::size_t end = line.find(sep, start);
  if (end == std::string_view::npos) {
    fieldPos = static_cast<int>(line.size()) + 1;
    return std::string(line.substr(start));
  }
  fieldPos = static_cast<int>(end) + 2;
  return std::string(line.substr(start, end - start));
}

TRecordLine::TRecordLine(std::string_view line, std::string_view terminator) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::string prepared(line);
  if (prepared.empty() || prepared.back() != ';') prepared += terminator;
  text_.reserve(prepared.size());
  for (char c : prepared) {
    if (c != '"') text_ += c;
  }
  kind_ = ascii::Upper(ReadField(text_, ';', FieldPos));
}

std::string TRecordLine::Next() { return ReadField(text_, ';', FieldPos); }

int TRecordLine::NextInt(int def) { return StrToIntDef(Next(), def); }

void TTextFile::Assign(std::string path) {
  Close();
  path_ = std::move(path);
}

void TTextFile::Reset() {
  Close();
  std::ifstream in(path_, std::ios::binary);
  if (!in) throw std::runtime_error(path_ + ": " + std::strerror(errno));
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw std::runtime_error(path_ + ": " + std::strerror(errno));
  lines_ = textlines::FromText(sjis::ToUtf8(bytes));
  next_ = 0;
  open_ = true;
}

void TTextFile::Close() {
  lines_.clear();
  next_ = 0;
  open_ = false;
}

std::string TTextFile::ReadLn() {
  if (Eof()) return {};
  return lines_[next_++];
}
