#include "platform/db/IBField.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "platform/db/FbClient.h"
#include "platform/db/IBError.h"

using ibdb::Value;
using Kind = ibdb::Value::Kind;

namespace {

int64_t Pow10(int n) {
  int64_t p = 1;
  while (n-- > 0) p *= 10;
  return p;
}

[[noreturn]] void CannotConvert(const std::string& name, const char* to) {
  throw EIBError("Cannot convert the value of \"" + name + "\" to " + to);
}

std::string Trimmed(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return std::string(s.substr(b, e - b));
}

// Decimal text of i × 10^scale in its shortest form ("12.5", "-0.0001", "100").
std::string ScaledText(int64_t i, int scale) {
  if (scale >= 0) return std::to_string(i) + std::string(static_cast<size_t>(scale), '0');
  int places = -scale;
  uint64_t mag = i < 0 ? static_cast<uint64_t>(0) - static_cast<uint64_t>(i) : static_cast<uint64_t>(i);
  uint64_t p = static_cast<uint64_t>(Pow10(places));
  std::string whole = std::to_string(mag / p);
  std::string frac = std::to_string(mag % p);
  frac.insert(0, static_cast<size_t>(places) - frac.size(), '0');
  while (!frac.empty() && frac.back() == '0') frac.pop_back();
  std::string text = (i < 0 ? "-" : "") + whole;
  if (!frac.empty()) text += "." + frac;
  return text;
}

std::string TextOf(const Value& v) { return v.utf8 ? v.bytes : ibdb::FromWire(v.bytes); }

}  // namespace

std::string TIBField::AsString() const {
  const Value& v = value_;
  switch (v.kind) {
    case Kind::Null: return "";
    case Kind::Integer: return ScaledText(v.i, v.scale);
    case Kind::Float: {
      // Independent of the process locale, which a GUI may have set.
      char buf[40];
      auto r = std::to_chars(buf, buf + sizeof buf, v.d, std::chars_format::general, 15);
      return std::string(buf, r.ptr);
    }
    case Kind::Text:
    case Kind::Blob: return TextOf(v);
    case Kind::Date: return FormatDateTime("yyyy/mm/dd", v.d);
    case Kind::Time: return FormatDateTime("hh:nn:ss", v.d);
    case Kind::Timestamp: return FormatDateTime("yyyy/mm/dd hh:nn:ss", v.d);
    case Kind::Boolean: return v.i ? "TRUE" : "FALSE";
  }
  return "";
}

int64_t TIBField::AsInt64() const {
  const Value& v = value_;
  switch (v.kind) {
    case Kind::Null: return 0;
    case Kind::Integer:
      if (v.scale >= 0) return v.i * Pow10(v.scale);
      return v.i / Pow10(-v.scale);
    case Kind::Boolean: return v.i;
    case Kind::Float:
    case Kind::Date:
    case Kind::Time:
    case Kind::Timestamp: {
      double t = std::trunc(v.d);
      if (!(t >= -9.2e18 && t <= 9.2e18)) CannotConvert(name_, "an integer");
      return static_cast<int64_t>(t);
    }
    case Kind::Text:
    case Kind::Blob: {
      std::string s = Trimmed(TextOf(v));
      char* end = nullptr;
      errno = 0;
      long long n = std::strtoll(s.c_str(), &end, 10);
      if (s.empty() || *end != '\0' || errno == ERANGE) CannotConvert(name_, "an integer");
      return n;
    }
  }
  return 0;
}

int TIBField::AsInteger() const {
  int64_t n = AsInt64();
  if (n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max())
    throw EIBError("Integer overflow reading \"" + name_ + "\"");
  return static_cast<int>(n);
}

Currency TIBField::AsCurrency() const {
  const Value& v = value_;
  switch (v.kind) {
    case Kind::Null: return Currency();
    case Kind::Integer: {
      int shift = v.scale + 4;  // decimal places to add to reach 1/10000
      if (shift >= 0) {
        int64_t raw;
        if (__builtin_mul_overflow(v.i, Pow10(shift), &raw)) CannotConvert(name_, "an amount");
        return Currency::FromRaw(raw);
      }
      int64_t p = Pow10(-shift);
      int64_t q = v.i / p, r = v.i % p;
      if (r * 2 >= p) ++q;
      if (r * 2 <= -p) --q;
      return Currency::FromRaw(q);
    }
    case Kind::Boolean: return Currency::FromYen(v.i);
    case Kind::Float:
    case Kind::Date:
    case Kind::Time:
    case Kind::Timestamp: return Currency::FromDouble(v.d);
    case Kind::Text:
    case Kind::Blob: {
      Currency c;
      if (!Currency::TryParse(TextOf(v), c)) CannotConvert(name_, "an amount");
      return c;
    }
  }
  return Currency();
}

double TIBField::AsDouble() const {
  const Value& v = value_;
  switch (v.kind) {
    case Kind::Null: return 0;
    case Kind::Integer:
      if (v.scale >= 0) return static_cast<double>(v.i) * static_cast<double>(Pow10(v.scale));
      return static_cast<double>(static_cast<long double>(v.i) / static_cast<long double>(Pow10(-v.scale)));
    case Kind::Boolean: return static_cast<double>(v.i);
    case Kind::Float:
    case Kind::Date:
    case Kind::Time:
    case Kind::Timestamp: return v.d;
    case Kind::Text:
    case Kind::Blob: {
      std::string s = Trimmed(TextOf(v));
      double d = 0;
      auto r = std::from_chars(s.data(), s.data() + s.size(), d);
      if (s.empty() || r.ec != std::errc() || r.ptr != s.data() + s.size()) CannotConvert(name_, "a number");
      return d;
    }
  }
  return 0;
}

TDateTime TIBField::AsDateTime() const {
  const Value& v = value_;
  switch (v.kind) {
    case Kind::Null: return 0;
    case Kind::Date:
    case Kind::Time:
    case Kind::Timestamp:
    case Kind::Float: return v.d;
    case Kind::Integer:
    case Kind::Boolean: return AsDouble();
    case Kind::Text:
    case Kind::Blob: {
      TDateTime dt;
      if (!TryStrToDate(Trimmed(TextOf(v)), dt)) CannotConvert(name_, "a date");
      return dt;
    }
  }
  return 0;
}

std::string TIBField::AsBlob() const {
  const Value& v = value_;
  switch (v.kind) {
    case Kind::Null: return "";
    case Kind::Text:
    case Kind::Blob: return v.bytes;
    default: return AsString();
  }
}

void TIBParam::SetString(std::string_view utf8) {
  value_ = Value{};
  value_.kind = Kind::Text;
  value_.bytes = std::string(utf8);
  value_.utf8 = true;
}

void TIBParam::SetInteger(int v) { SetInt64(v); }

void TIBParam::SetInt64(int64_t v) {
  value_ = Value{};
  value_.kind = Kind::Integer;
  value_.i = v;
}

void TIBParam::SetCurrency(Currency v) {
  value_ = Value{};
  value_.kind = Kind::Integer;
  value_.i = v.Raw();
  value_.scale = -4;
}

void TIBParam::SetDouble(double v) {
  value_ = Value{};
  value_.kind = Kind::Float;
  value_.d = v;
}

void TIBParam::SetDateTime(TDateTime v) {
  value_ = Value{};
  value_.kind = Kind::Timestamp;
  value_.d = v;
}

void TIBParam::SetDate(TDateTime v) {
  value_ = Value{};
  value_.kind = Kind::Date;
  value_.d = std::trunc(v);
}

void TIBParam::SetBlob(std::string_view bytes) {
  value_ = Value{};
  value_.kind = Kind::Blob;
  value_.bytes = std::string(bytes);
}

void TIBParam::SetNull() { value_ = Value{}; }
