#pragma once
// SetOf<E>: a set of the values of an enumeration whose ordinals lie in
// 0..63, the shape of the runtime's "set of" types (component state, locate
// options, resync modes). Values are plain bits, so sets are cheap to copy
// and compare.

#include <cstdint>
#include <initializer_list>
#include <type_traits>

template <class E>
requires std::is_enum_v<E> class SetOf {
 public:
  constexpr SetOf() = default;
  constexpr SetOf(std::initializer_list<E> values) {
    for (E value : values) bits_ |= Bit(value);
  }

  constexpr bool Contains(E value) const { return (bits_ & Bit(value)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr void Include(E value) { bits_ |= Bit(value); }
  constexpr void Exclude(E value) { bits_ &= ~Bit(value); }
  // The ordinals as bits (bit n for ordinal n).
  constexpr uint64_t Bits() const { return bits_; }
  static constexpr SetOf FromBits(uint64_t bits) {
    SetOf result;
    result.bits_ = bits;
    return result;
  }

  friend constexpr SetOf operator+(SetOf a, SetOf b) { return FromBits(a.bits_ | b.bits_); }
  friend constexpr SetOf operator-(SetOf a, SetOf b) { return FromBits(a.bits_ & ~b.bits_); }
  friend constexpr SetOf operator*(SetOf a, SetOf b) { return FromBits(a.bits_ & b.bits_); }
  friend constexpr bool operator==(SetOf a, SetOf b) = default;

 private:
  static constexpr uint64_t Bit(E value) { return uint64_t{1} << static_cast<unsigned>(value); }

  uint64_t bits_ = 0;
};
