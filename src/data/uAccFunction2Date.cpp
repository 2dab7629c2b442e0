#include "data/uAccFunction2Date.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <exception>
#include <initializer_list>

#include "data/uAccDateCmp.h"
#include "data/uAccFunction.h"
#include "data/uAccRecord.h"

namespace {

__attribute__((format(printf, 1, 2))) std::string Sprintf(const char* format, ...) {
  char buf[128];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buf, sizeof buf, format, args);
  va_end(args);
  return n < 0 ? std::string() : std::string(buf, std::min<size_t>(static_cast<size_t>(n), sizeof buf - 1));
}

bool IsOneOf(std::string_view p, std::initializer_list<std::string_view> patterns) {
  for (std::string_view q : patterns)
    if (p == q) return true;
  return false;
}

bool EraForm() { return SystemDef.R4Bit10 == 1; }

// What leads an era date: nothing, the era name or the era sign.
std::string EraText(const TWarekiRec& w, int32_t kind) {
  if (kind == 0) return {};
  if (kind == 2) return w.GengoSign;
  return w.GengoName;
}

std::string TrimBlanks(std::string s) {
  const size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  const size_t e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

// Kind 0 leaves the blank after the (empty) era text at the front.
std::string FinishEra(std::string r, int32_t kind) { return kind == 0 ? TrimBlanks(std::move(r)) : r; }

struct Ymd {
  int y, m, d;
  int y2() const { return y % 100; }
};

Ymd Decode(TDateTime date) {
  Ymd v{};
  DecodeDate(date, v.y, v.m, v.d);
  return v;
}

std::string SlashEra(std::string_view p, int32_t kind, TDateTime date) {
  const TWarekiRec w = DateToWareki(date);
  const std::string g = EraText(w, kind == 3 ? 2 : kind);
  const char* s = g.c_str();
  const int y = w.Year, m = w.Month, d = w.Day;
  std::string r;
  if (IsOneOf(p, {"yyyy/mm/dd", "yy/mm/dd"})) r = Sprintf("%s %.2d/%.2d/%.2d", s, y, m, d);
  else if (IsOneOf(p, {"yyyy/mm", "yy/mm"})) r = Sprintf("%s %.2d/%.2d", s, y, m);
  else if (IsOneOf(p, {"yyyy", "yy"})) r = Sprintf("%s %.2d", s, y);
  else if (IsOneOf(p, {"yyyy/m/d", "yy/m/d", "y/m/d"})) r = Sprintf("%s %2d/%2d/%2d", s, y, m, d);
  else if (IsOneOf(p, {"yyyy/m", "yy/m", "y/m"})) r = Sprintf("%s %2d/%2d", s, y, m);
  else if (p == "y") r = Sprintf("%s %2d", s, y);
  else if (p == "yy2/mm/dd") r = Sprintf("%s%.2d/%.2d/%.2d", s, y, m, d);
  if (kind == 3) return RemoveBlanks(r);
  return FinishEra(std::move(r), kind);
}

std::string SlashWestern(std::string_view p, TDateTime date) {
  const Ymd v = Decode(date);
  if (p == "yyyy/m/d") return Sprintf("%4d/%2d/%2d", v.y, v.m, v.d);
  if (IsOneOf(p, {"yy/m/d", "y/m/d"})) return Sprintf("%2d/%2d/%2d", v.y2(), v.m, v.d);
  if (p == "yyyy/m") return Sprintf("%4d/%2d", v.y, v.m);
  if (IsOneOf(p, {"yy/m", "y/m/"})) return Sprintf("%2d/%2d", v.y2(), v.m);
  if (p == "yy2/mm/dd") return FormatDateTime("yy/mm/dd", date);
  return FormatDateTime(p, date);
}

std::string KanjiEra(std::string_view p, int32_t kind, TDateTime date) {
  const TWarekiRec w = DateToWareki(date);
  const std::string g = EraText(w, kind);
  const char* s = g.c_str();
  const int y = w.Year, m = w.Month, d = w.Day;
  std::string r;
  if (IsOneOf(p, {"yyyy年mm月dd日", "yy年mm月dd日"})) r = Sprintf("%s %.2d年%.2d月%.2d日", s, y, m, d);
  else if (IsOneOf(p, {"yyyy年mm月", "yy年mm月"})) r = Sprintf("%s %.2d年%.2d月", s, y, m);
  else if (IsOneOf(p, {"yyyy年", "yy年"})) r = Sprintf("%s %.2d年", s, y);
  else if (IsOneOf(p, {"yyyy年 mm月 dd日", "yy年 mm月 dd日"})) r = Sprintf("%s %.2d年 %.2d月 %.2d日", s, y, m, d);
  else if (IsOneOf(p, {"yyyy年 mm月", "yy年 mm月"})) r = Sprintf("%s %.2d年 %.2d月", s, y, m);
  else if (IsOneOf(p, {"yyyy年m月d日", "yy年m月d日", "y年m月d日"})) r = Sprintf("%s %2d年%2d月%2d日", s, y, m, d);
  else if (IsOneOf(p, {"yyyy年m月", "yy年m月", "y年m月"})) r = Sprintf("%s %2d年%2d月", s, y, m);
  else if (p == "y") r = Sprintf("%s %2d年", s, y);
  else if (IsOneOf(p, {"yyyy年 m月 d日", "yy年 m月 d日", "y年 m月 d日"})) r = Sprintf("%s %2d年 %d月 %d日", s, y, m, d);
  else if (IsOneOf(p, {"yyyy年 m月", "yy年 m月", "y年 m月"})) r = Sprintf("%s %2d年 %d月", s, y, m);
  return FinishEra(std::move(r), kind);
}

std::string KanjiWestern(std::string_view p, TDateTime date) {
  const Ymd v = Decode(date);
  if (p == "yyyy年m月d日") return Sprintf("%4d年%2d月%2d日", v.y, v.m, v.d);
  if (IsOneOf(p, {"yy年m月d日", "y年m月d日"})) return Sprintf("%2d年%2d月%2d日", v.y2(), v.m, v.d);
  if (p == "yyyy年m月") return Sprintf("%4d年%2d月", v.y, v.m);
  if (IsOneOf(p, {"yy年m月", "y年m月"})) return Sprintf("%.2d年%2d月", v.y2(), v.m);
  if (p == "yyyy年 m月 d日") return Sprintf("%4d年 %d月 %d日", v.y, v.m, v.d);
  if (IsOneOf(p, {"yy年 m月 d日", "y年 m月 d日"})) return Sprintf("%.2d年 %d月 %d日", v.y2(), v.m, v.d);
  if (p == "yyyy年 m月") return Sprintf("%4d年 %d月", v.y, v.m);
  if (IsOneOf(p, {"yy年 m月", "y年 m月"})) return Sprintf("%.2d年 %d月", v.y2(), v.m);
  return FormatDateTime(p, date);
}

std::string Wareki(std::string_view p, int32_t kind, TDateTime date) {
  if (p.empty()) p = "gg ee年";
  const TWarekiRec w = DateToWareki(date);
  const std::string g = EraText(w, kind);
  const char* s = g.c_str();
  const int y = w.Year, m = w.Month, d = w.Day;
  const bool zero = date == 0;
  std::string r;
  if (p == "gg ee年") r = Sprintf("%s %.2d年", s, y);
  else if (p == "gg ee年mm月dd日") r = Sprintf("%s %.2d年%.2d月%.2d日", s, y, m, d);
  else if (p == "e") r = zero ? std::string() : Sprintf("%d", y);
  else if (p == "ee") r = zero ? std::string() : Sprintf("%.2d", y);
  else if (p == "ggee･mm･dd") r = zero ? Sprintf("%3s･%2s･%2s", "", "", "") : Sprintf("%s%.2d･%.2d･%.2d", s, y, m, d);
  else if (p == "ee.mm.dd") r = zero ? Sprintf("%2s･%2s･%2s", "", "", "") : Sprintf("%.2d.%.2d.%.2d", y, m, d);
  return FinishEra(std::move(r), kind);
}

}  // namespace

std::string FormatKikanText(TDateTime from, TDateTime to) {
  auto one = [](TDateTime date) {
    if (!EraForm()) return FormatDateTime("yyyy/mm/dd", date);
    const TWarekiRec w = DateToWareki(date);
    return Sprintf("%s %.2d/%.2d/%.2d", w.GengoSign.c_str(), int{w.Year}, int{w.Month}, int{w.Day});
  };
  return one(from) + " ～ " + one(to);
}

std::string FormatDateStyle(std::string_view pattern, int32_t kind, TDateTime date) {
  try {
    return EraForm() ? SlashEra(pattern, kind, date) : SlashWestern(pattern, date);
  } catch (const std::exception&) {
    return FormatDateTime("yyyy/mm/dd", date);
  }
}

std::string FormatDateStyleJ(std::string_view pattern, int32_t kind, TDateTime date) {
  try {
    return EraForm() ? KanjiEra(pattern, kind, date) : KanjiWestern(pattern, date);
  } catch (const std::exception&) {
    return FormatDateTime("yyyy年mm月dd日", date);
  }
}

std::string FormatWarekiText(std::string_view pattern, int32_t kind, TDateTime date) {
  try {
    return Wareki(pattern, kind, date);
  } catch (const std::exception&) {
    return FormatDateTime("yyyy年", date);
  }
}
