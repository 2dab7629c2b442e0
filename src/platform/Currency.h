#pragma once
// Fixed-point amount: a signed 64-bit count of 1/10000 units (10000 = one yen, 950000 = 95%).
// Sums never go through floating point.
#include <compare>
#include <cstdint>
#include <string>
#include <string_view>

class Currency {
 public:
  static constexpr int64_t kScale = 10000;

  constexpr Currency() = default;
  static constexpr Currency FromRaw(int64_t raw) { return Currency(raw); }
  static constexpr Currency FromYen(int64_t whole) { return Currency(whole * kScale); }
  // Nearest 1/10000, halves away from zero.
  static Currency FromDouble(double value);

  constexpr int64_t Raw() const { return raw_; }
  double ToDouble() const { return static_cast<double>(raw_) / kScale; }
  // Whole units, the fraction dropped (toward zero).
  constexpr int64_t Trunc() const { return raw_ / kScale; }
  constexpr int64_t Frac() const { return raw_ % kScale; }
  constexpr bool IsZero() const { return raw_ == 0; }

  constexpr Currency operator-() const { return Currency(-raw_); }
  constexpr Currency operator+(Currency o) const { return Currency(raw_ + o.raw_); }
  constexpr Currency operator-(Currency o) const { return Currency(raw_ - o.raw_); }
  constexpr Currency& operator+=(Currency o) { raw_ += o.raw_; return *this; }
  constexpr Currency& operator-=(Currency o) { raw_ -= o.raw_; return *this; }
  constexpr Currency operator*(int64_t n) const { return Currency(raw_ * n); }
  constexpr auto operator<=>(const Currency&) const = default;

  // this × num ÷ den in 128-bit, the quotient rounded to the nearest 1/10000 (halves away
  // from zero). den must not be 0.
  Currency MulDiv(int64_t num, int64_t den) const;
  // this × other, rounded to the nearest 1/10000 (halves away from zero).
  Currency operator*(Currency other) const { return MulDiv(other.raw_, kScale); }

  // Shortest text: "1234", "-12.5", "0.0001"; '.' as the decimal point, no separators.
  std::string ToString() const;
  // Blanks around, an optional sign, digits with an optional '.' and decimals (beyond four
  // decimals rounded half away from zero). Anything else, or overflow, fails.
  static bool TryParse(std::string_view text, Currency& out);

 private:
  constexpr explicit Currency(int64_t raw) : raw_(raw) {}
  int64_t raw_ = 0;
};

// How Round treats the part of an amount below its unit.
enum class RoundMode {
  TowardZero,        // dropped
  AwayFromZero,      // any part moves to the next unit away from zero
  HalfAwayFromZero,  // a half or more moves away from zero, less is dropped
};

// The amount rounded to a multiple of unit (Currency::FromYen(1), FromYen(1000),
// FromRaw(1) ...). Throws std::invalid_argument for a unit of 0 or less and
// std::overflow_error when the rounded amount does not fit an amount.
Currency Round(Currency amount, RoundMode mode, Currency unit);
