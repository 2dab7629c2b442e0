#include "platform/db/FbClient.h"

#include <ibase.h>
#include <iconv.h>

#include <algorithm>
#include <bitset>
#include <cmath>
#include <functional>
#include <mutex>

#include "platform/AsciiCase.h"
#include "platform/Encoding.h"
#include "platform/db/FbEnvironment.h"

using namespace Firebird;

namespace ibdb {

namespace {

// The engine's environment comes first: the client library reads it when first used.
IMaster* StartClient() {
  std::string why;
  if (!fbenv::TryPrepare(&why)) throw EIBError("The database engine cannot start: " + why);
  return fb_get_master_interface();
}

}  // namespace

IMaster* Master() {
  static IMaster* master = StartClient();
  return master;
}

IUtil* Util() {
  static IUtil* util = Master()->getUtilInterface();
  return util;
}

IProvider* Provider() {
  // Held for the life of the process, like the client library itself.
  static IProvider* provider = Master()->getDispatcher();
  return provider;
}

Status::Status() : status_(Master()->getStatus()), wrapper_(status_) {}
Status::~Status() { status_->dispose(); }

namespace {

bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    size_t n = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += n;
  }
  return true;
}

std::string Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r' || s[e - 1] == '\n')) --e;
  return std::string(s.substr(b, e - b));
}

struct Line {
  std::string name;   // lower case, prefix removed
  std::string value;  // text after the first '='
  bool hasValue = false;
};

Line SplitLine(const std::string& text, std::string_view prefix) {
  Line line;
  size_t eq = text.find('=');
  line.name = ascii::Lower(Trim(eq == std::string::npos ? std::string_view(text) : std::string_view(text).substr(0, eq)));
  if (line.name.rfind(prefix, 0) == 0) line.name.erase(0, prefix.size());
  if (eq != std::string::npos) {
    line.value = text.substr(eq + 1);
    while (!line.value.empty() && (line.value.back() == '\r' || line.value.back() == '\n')) line.value.pop_back();
    line.hasValue = true;
  }
  return line;
}

enum class Kind { Text, Number, Flag };
struct Known {
  const char* name;
  unsigned char tag;
  Kind kind;
};

int ToNumber(const Line& line) {
  try {
    size_t used = 0;
    int n = std::stoi(Trim(line.value), &used);
    if (used == Trim(line.value).size()) return n;
  } catch (const std::exception&) {
  }
  throw EIBError("Invalid value for parameter \"" + line.name + "\": " + line.value);
}

Block Finish(IXpbBuilder* xpb, Status& st) {
  const unsigned char* p = xpb->getBuffer(st.get());
  unsigned n = xpb->getBufferLength(st.get());
  Block block(p, p + n);
  xpb->dispose();
  return block;
}

template <size_t N>
void AddLines(IXpbBuilder* xpb, Status& st, const std::vector<std::string>& lines, std::string_view prefix,
              const Known (&table)[N], const char* what) {
  for (const std::string& text : lines) {
    if (Trim(text).empty()) continue;
    Line line = SplitLine(text, prefix);
    const Known* k = std::find_if(std::begin(table), std::end(table),
                                  [&](const Known& e) { return line.name == e.name; });
    if (k == std::end(table)) throw EIBError(std::string("Unknown ") + what + " parameter \"" + line.name + "\"");
    switch (k->kind) {
      case Kind::Text: xpb->insertString(st.get(), k->tag, line.value.c_str()); break;
      case Kind::Number: xpb->insertInt(st.get(), k->tag, ToNumber(line)); break;
      case Kind::Flag: xpb->insertTag(st.get(), k->tag); break;
    }
  }
}

// A parameter block of the kind from the lines, then what `more` adds to it.
template <size_t N>
Block BuildBlock(unsigned kind, const std::vector<std::string>& lines, std::string_view prefix,
                 const Known (&table)[N], const char* what,
                 const std::function<void(IXpbBuilder*, Status&)>& more = {}) {
  Status st;
  try {
    IXpbBuilder* xpb = Util()->getXpbBuilder(st.get(), kind, nullptr, 0);
    try {
      AddLines(xpb, st, lines, prefix, table, what);
      if (more) more(xpb, st);
    } catch (...) {
      xpb->dispose();
      throw;
    }
    return Finish(xpb, st);
  } catch (const FbException& e) {
    Raise(e);
  }
}

}  // namespace

// CP932 Japanese is almost never valid UTF-8 (its lead bytes 0x81-0x9F are UTF-8 continuation
// bytes), so text that is valid UTF-8 is taken as it is.
std::string MessageToUtf8(std::string_view raw) {
  if (IsValidUtf8(raw)) return std::string(raw);
  return sjis::ToUtf8(raw);
}

EIBError ToError(const IStatus* status) {
  IStatus* s = const_cast<IStatus*>(status);
  const intptr_t* v = s->getErrors();
  int code = (v[0] == isc_arg_gds) ? static_cast<int>(v[1]) : 0;
  int sqlCode = static_cast<int>(isc_sqlcode(v));
  char buf[4096];
  unsigned n = Util()->formatStatus(buf, sizeof buf, s);
  std::string text(buf, std::min<size_t>(n, sizeof buf - 1));
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '\0')) text.pop_back();
  EIBError error(code, sqlCode, MessageToUtf8(text));
  for (const intptr_t* p = v; *p != isc_arg_end;) {
    if (p[0] == isc_arg_gds) error.StatusCodes.push_back(static_cast<int>(p[1]));
    p += p[0] == isc_arg_cstring ? 3 : 2;
  }
  return error;
}

void Raise(const FbException& e) { throw ToError(e.getStatus()); }

EIBError ErrorFromCodes(std::initializer_list<long> codes) {
  std::vector<intptr_t> v;
  for (long c : codes) {
    v.push_back(isc_arg_gds);
    v.push_back(c);
  }
  v.push_back(isc_arg_end);
  IStatus* s = Master()->getStatus();
  s->setErrors(v.data());
  EIBError e = ToError(s);
  s->dispose();
  return e;
}

Block BuildDpb(const std::vector<std::string>& lines, int pageSize, const char* dbCharset) {
  static const Known table[] = {
      {"user_name", isc_dpb_user_name, Kind::Text},       {"password", isc_dpb_password, Kind::Text},
      {"lc_ctype", isc_dpb_lc_ctype, Kind::Text},         {"sql_role_name", isc_dpb_sql_role_name, Kind::Text},
      {"num_buffers", isc_dpb_num_buffers, Kind::Number}, {"sql_dialect", isc_dpb_sql_dialect, Kind::Number},
      {"page_size", isc_dpb_page_size, Kind::Number},     {"set_db_charset", isc_dpb_set_db_charset, Kind::Text},
      {"force_write", isc_dpb_force_write, Kind::Number},
  };
  return BuildBlock(IXpbBuilder::DPB, lines, "isc_dpb_", table, "database", [&](IXpbBuilder* xpb, Status& st) {
    if (pageSize > 0) {
      xpb->insertInt(st.get(), isc_dpb_page_size, pageSize);
      xpb->insertInt(st.get(), isc_dpb_sql_dialect, 3);
    }
    if (dbCharset) xpb->insertString(st.get(), isc_dpb_set_db_charset, dbCharset);
  });
}

Block BuildTpb(const std::vector<std::string>& lines) {
  static const Known table[] = {
      {"consistency", isc_tpb_consistency, Kind::Flag},
      {"concurrency", isc_tpb_concurrency, Kind::Flag},
      {"shared", isc_tpb_shared, Kind::Flag},
      {"protected", isc_tpb_protected, Kind::Flag},
      {"exclusive", isc_tpb_exclusive, Kind::Flag},
      {"wait", isc_tpb_wait, Kind::Flag},
      {"nowait", isc_tpb_nowait, Kind::Flag},
      {"read", isc_tpb_read, Kind::Flag},
      {"write", isc_tpb_write, Kind::Flag},
      {"lock_read", isc_tpb_lock_read, Kind::Text},
      {"lock_write", isc_tpb_lock_write, Kind::Text},
      {"ignore_limbo", isc_tpb_ignore_limbo, Kind::Flag},
      {"read_committed", isc_tpb_read_committed, Kind::Flag},
      {"autocommit", isc_tpb_autocommit, Kind::Flag},
      {"rec_version", isc_tpb_rec_version, Kind::Flag},
      {"no_rec_version", isc_tpb_no_rec_version, Kind::Flag},
      {"restart_requests", isc_tpb_restart_requests, Kind::Flag},
      {"no_auto_undo", isc_tpb_no_auto_undo, Kind::Flag},
      {"lock_timeout", isc_tpb_lock_timeout, Kind::Number},
  };
  bool any = std::any_of(lines.begin(), lines.end(), [](const std::string& l) { return !Trim(l).empty(); });
  if (!any) return {};  // the engine's default: concurrency, wait, write
  return BuildBlock(IXpbBuilder::TPB, lines, "isc_tpb_", table, "transaction");
}

Block BuildSpbAttach(const std::vector<std::string>& lines) {
  static const Known table[] = {
      {"user_name", isc_spb_user_name, Kind::Text},
      {"password", isc_spb_password, Kind::Text},
      {"sql_role_name", isc_spb_sql_role_name, Kind::Text},
  };
  return BuildBlock(IXpbBuilder::SPB_ATTACH, lines, "isc_spb_", table, "service");
}

namespace {

// Which CP932 codes SJIS_0208 holds. The engine's repertoire is JIS X 0208 plus ASCII and
// half-width katakana, the same as glibc's "SJIS" decoder accepts (checked code by code against
// the engine), so the table is built from that decoder once.
struct Repertoire {
  std::bitset<65536> pairs;
  std::bitset<256> singles;
};

bool Decodes(iconv_t cd, const char* in, size_t n) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char out[16];
  char* src = const_cast<char*>(in);
  char* dst = out;
  size_t left = n, room = sizeof out;
  size_t r = iconv(cd, &src, &left, &dst, &room);
  return r != static_cast<size_t>(-1) && left == 0;
}

const Repertoire& Sjis0208() {
  static Repertoire rep;
  static std::once_flag once;
  std::call_once(once, [] {
    iconv_t cd = iconv_open("UTF-16LE", "SJIS");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw EIBError("iconv cannot decode SJIS");
    for (int b = 0; b < 256; ++b) {
      char c = static_cast<char>(b);
      rep.singles[b] = b < 0x80 || Decodes(cd, &c, 1);
    }
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
      if (!sjis::IsLeadByte(static_cast<unsigned char>(lead))) continue;
      for (int trail = 0x40; trail <= 0xFC; ++trail) {
        char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        rep.pairs[(lead << 8) | trail] = Decodes(cd, pair, 2);
      }
    }
    iconv_close(cd);
  });
  return rep;
}

}  // namespace

bool FitsSjis0208(std::string_view cp932) {
  const Repertoire& rep = Sjis0208();
  for (size_t i = 0; i < cp932.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(cp932[i]);
    if (b < 0x80) continue;
    if (sjis::IsLeadByte(b) && i + 1 < cp932.size()) {
      if (!rep.pairs[(b << 8) | static_cast<unsigned char>(cp932[i + 1])]) return false;
      ++i;
      continue;
    }
    if (!rep.singles[b]) return false;
  }
  return true;
}

std::string ToWire(std::string_view utf8) {
  std::string cp932;
  bool ascii = std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii) return std::string(utf8);
  if (!sjis::TryFromUtf8(utf8, cp932) || !FitsSjis0208(cp932)) throw ErrorFromCodes({kTransliterationFailed});
  return cp932;
}

std::string FromWire(std::string_view cp932) {
  bool ascii = std::all_of(cp932.begin(), cp932.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii) return std::string(cp932);
  return sjis::ToUtf8(cp932);
}

namespace {
constexpr int kDateOffset = 15018;                // ISC_DATE of 1899-12-30, the zero of TDateTime
constexpr int64_t kTicksPerDay = 864000000;       // ISC_TIME units (1/10000 s) per day
}  // namespace

void ToIscTimestamp(TDateTime dt, ISC_DATE& date, ISC_TIME& time) {
  // TDateTime keeps the time of day as the absolute fraction, also before 1899-12-30.
  double whole = std::trunc(dt);
  int64_t ticks = std::llround(std::fabs(dt - whole) * static_cast<double>(kTicksPerDay));
  int64_t days = static_cast<int64_t>(whole);
  if (ticks >= kTicksPerDay) {
    ticks -= kTicksPerDay;
    days += 1;
  }
  date = static_cast<ISC_DATE>(days + kDateOffset);
  time = static_cast<ISC_TIME>(ticks);
}

TDateTime FromIscTimestamp(ISC_DATE date, ISC_TIME time) {
  double days = static_cast<double>(static_cast<int64_t>(date) - kDateOffset);
  double frac = static_cast<double>(time) / static_cast<double>(kTicksPerDay);
  return days < 0 ? days - frac : days + frac;
}

}  // namespace ibdb
