#include "platform/Currency.h"

#include <cmath>
#include <limits>
#include <stdexcept>

Currency Currency::FromDouble(double value) {
  return Currency(static_cast<int64_t>(std::llround(value * static_cast<double>(kScale))));
}

Currency Currency::MulDiv(int64_t num, int64_t den) const {
  __int128 p = static_cast<__int128>(raw_) * num;
  __int128 q = p / den;
  __int128 r = p % den;
  if (r < 0) r = -r;
  __int128 d = den < 0 ? -static_cast<__int128>(den) : den;
  if (2 * r >= d) q += ((p < 0) != (den < 0)) ? -1 : 1;
  return Currency(static_cast<int64_t>(q));
}

Currency Round(Currency amount, RoundMode mode, Currency unit) {
  const int64_t u = unit.Raw();
  if (u <= 0) throw std::invalid_argument("rounding unit must be positive");
  const int64_t raw = amount.Raw();
  __int128 units = raw / u;  // toward zero
  const int64_t rest = raw % u;  // same sign as raw, |rest| < u
  if (rest != 0) {
    const int sign = raw < 0 ? -1 : 1;
    const __int128 restAbs = rest < 0 ? -static_cast<__int128>(rest) : rest;
    switch (mode) {
      case RoundMode::TowardZero: break;
      case RoundMode::AwayFromZero: units += sign; break;
      case RoundMode::HalfAwayFromZero:
        if (2 * restAbs >= u) units += sign;
        break;
    }
  }
  const __int128 result = units * u;
  if (result > std::numeric_limits<int64_t>::max() || result < std::numeric_limits<int64_t>::min())
    throw std::overflow_error("amount out of range");
  return Currency::FromRaw(static_cast<int64_t>(result));
}

std::string Currency::ToString() const {
  uint64_t a = raw_ < 0 ? 0 - static_cast<uint64_t>(raw_) : static_cast<uint64_t>(raw_);
  std::string s = std::to_string(a / kScale);
  uint64_t f = a % kScale;
  if (f != 0) {
    std::string d = std::to_string(f + kScale).substr(1);
    while (!d.empty() && d.back() == '0') d.pop_back();
    s += '.' + d;
  }
  return raw_ < 0 ? '-' + s : s;
}

bool Currency::TryParse(std::string_view t, Currency& out) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!t.empty() && blank(t.front())) t.remove_prefix(1);
  while (!t.empty() && blank(t.back())) t.remove_suffix(1);
  bool neg = false;
  if (!t.empty() && (t[0] == '-' || t[0] == '+')) {
    neg = t[0] == '-';
    t.remove_prefix(1);
  }
  if (t.empty()) return false;
  __int128 whole = 0;
  size_t i = 0, digits = 0;
  for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, ++digits) {
    whole = whole * 10 + (t[i] - '0');
    if (whole > std::numeric_limits<int64_t>::max()) return false;
  }
  __int128 frac = 0;
  int fracDigits = 0;
  bool roundUp = false;
  if (i < t.size() && t[i] == '.') {
    ++i;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, ++digits) {
      if (fracDigits < 4) {
        frac = frac * 10 + (t[i] - '0');
        ++fracDigits;
      } else if (fracDigits == 4) {
        roundUp = t[i] >= '5';
        ++fracDigits;
      }
    }
  }
  if (i != t.size() || digits == 0) return false;
  for (; fracDigits < 4; ++fracDigits) frac *= 10;
  __int128 raw = whole * kScale + frac + (roundUp ? 1 : 0);
  if (neg) raw = -raw;
  if (raw > std::numeric_limits<int64_t>::max() || raw < std::numeric_limits<int64_t>::min()) return false;
  out = Currency(static_cast<int64_t>(raw));
  return true;
}
