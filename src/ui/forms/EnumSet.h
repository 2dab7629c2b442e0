#pragma once
// A set of the values of an enumeration, one bit each (bit n for the value n), as the
// controls' option sets (key styles, dialog buttons) are kept. Storage: the type that holds the bits;
// Mask: the bits that stand for a value, so that FromBits drops the others.
#include <initializer_list>

namespace forms {

template <class E, class Storage, Storage Mask>
class TEnumSet {
 public:
  constexpr TEnumSet() = default;
  constexpr TEnumSet(std::initializer_list<E> values) {
    for (E v : values) bits_ = static_cast<Storage>(bits_ | (1u << v));
  }
  static constexpr TEnumSet FromBits(Storage bits) {
    TEnumSet s;
    s.bits_ = static_cast<Storage>(bits & Mask);
    return s;
  }
  constexpr Storage Bits() const { return bits_; }
  constexpr bool Contains(E v) const { return (bits_ >> v) & 1u; }
  constexpr bool operator==(const TEnumSet&) const = default;

 private:
  Storage bits_ = 0;
};

}  // namespace forms
