// Set<E>: a small bit set over an enumeration, the platform's stand-in for the framework's
// "set of" types (shift state, control style and state, component state, options).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <type_traits>

namespace vcl {

template <typename E>
class Set {
  static_assert(std::is_enum_v<E>, "Set<E> needs an enumeration");

 public:
  constexpr Set() = default;
  constexpr Set(E Element) : FBits(Bit(Element)) {}
  constexpr Set(std::initializer_list<E> Elements) {
    for (E e : Elements) FBits |= Bit(e);
  }
  static constexpr Set FromBits(std::uint64_t Bits) {
    Set s;
    s.FBits = Bits;
    return s;
  }

  constexpr bool Contains(E Element) const { return (FBits & Bit(Element)) != 0; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr std::uint64_t Bits() const { return FBits; }
  constexpr Set& Include(E Element) {
    FBits |= Bit(Element);
    return *this;
  }
  constexpr Set& Exclude(E Element) {
    FBits &= ~Bit(Element);
    return *this;
  }

  // Union, difference and intersection, as with the framework's + - * on sets.
  friend constexpr Set operator+(Set A, Set B) { return FromBits(A.FBits | B.FBits); }
  friend constexpr Set operator-(Set A, Set B) { return FromBits(A.FBits & ~B.FBits); }
  friend constexpr Set operator*(Set A, Set B) { return FromBits(A.FBits & B.FBits); }
  constexpr Set& operator+=(Set B) { return *this = *this + B; }
  constexpr Set& operator-=(Set B) { return *this = *this - B; }
  constexpr Set& operator*=(Set B) { return *this = *this * B; }
  friend constexpr bool operator==(Set A, Set B) { return A.FBits == B.FBits; }
  // True when every element of A is in B (the framework's <=).
  friend constexpr bool operator<=(Set A, Set B) { return (A.FBits & ~B.FBits) == 0; }

 private:
  static constexpr std::uint64_t Bit(E Element) { return std::uint64_t{1} << static_cast<unsigned>(Element); }
  std::uint64_t FBits = 0;
};

}  // namespace vcl
