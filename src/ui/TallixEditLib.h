#pragma once
// The set types of the numeric edit (TallixEdit).
#include <cstdint>
#include <initializer_list>

#include "ui/xKeyStyles.h"

// Character filter and number handling.
enum TEditStyle { esNone, esNumeric, esFloat, esNumericMinus, esFloatMinus };
// Capture of the reading typed through the input method, and its form.
enum TKanaMode { kmNone, kmZenkaku, kmHankaku };
// The key that types "00" or "000": none, ".", "+", "-", "*" or "/".
enum TZeroKey { zkNone, zkDot, zkPlus, zkMinus, zkAsterisk, zkSlash };
// Automatic moves and the signals the edit raises for its owner.
enum TAutoNextCtl { acMaxLength, acTabKey, acDownKey, acSendEnter };

// A set of TAutoNextCtl, one bit each.
class TAutoNextCtls {
 public:
  constexpr TAutoNextCtls() = default;
  constexpr TAutoNextCtls(std::initializer_list<TAutoNextCtl> items) {
    for (TAutoNextCtl a : items) Include(a);
  }
  constexpr bool Contains(TAutoNextCtl a) const { return (bits_ >> a) & 1u; }
  constexpr void Include(TAutoNextCtl a) { bits_ = static_cast<std::uint8_t>(bits_ | (1u << a)); }
  constexpr void Exclude(TAutoNextCtl a) { bits_ = static_cast<std::uint8_t>(bits_ & ~(1u << a)); }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr std::uint8_t Bits() const { return bits_; }
  constexpr bool operator==(const TAutoNextCtls&) const = default;

 private:
  std::uint8_t bits_ = 0;
};
