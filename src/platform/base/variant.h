// Variant: the tagged value that fields, keys and locate arguments travel in.
//
// A Variant is unassigned (Empty), Null, a Boolean, an Integer (64-bit), a Float, a String, a
// DateTime or an array of Variants with bounds. Copies are deep: an array copied and then
// changed leaves the original alone.
//
// Equality (operator==):
//  - Empty equals only Empty; Null equals only Null (Null = Null is true). Neither raises.
//  - numbers (Integer, Float, DateTime, Boolean as 0/-1) compare by value;
//  - a String compared with a number, a DateTime or a Boolean is converted to that type first,
//    and EVariantError is raised when it does not convert ("abc" = 1 raises);
//  - two Strings compare byte by byte, case-sensitively;
//  - two arrays are equal when their bounds are and every element is; an array compared with
//    a scalar raises EVariantError.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/sysutils.h"

namespace vcl {

enum class TVarType : std::uint8_t { Empty, Null, Boolean, Integer, Float, String, DateTime, Array };

// Tag types to build the two special values: Variant(Unassigned) and Variant(Null).
struct TUnassignedTag {};
struct TNullTag {};
inline constexpr TUnassignedTag Unassigned{};
inline constexpr TNullTag Null{};

class Variant {
 public:
  Variant() = default;  // Empty (unassigned)
  Variant(TUnassignedTag) {}
  Variant(TNullTag) : FType(TVarType::Null) {}
  Variant(bool Value) : FType(TVarType::Boolean), FInt(Value ? 1 : 0) {}
  Variant(int Value) : FType(TVarType::Integer), FInt(Value) {}
  Variant(long Value) : FType(TVarType::Integer), FInt(Value) {}
  Variant(long long Value) : FType(TVarType::Integer), FInt(Value) {}
  Variant(unsigned Value) : FType(TVarType::Integer), FInt(Value) {}
  Variant(double Value) : FType(TVarType::Float), FFloat(Value) {}
  Variant(const char* Value) : FType(TVarType::String), FString(Value ? Value : "") {}
  Variant(std::string Value) : FType(TVarType::String), FString(std::move(Value)) {}
  static Variant FromDateTime(TDateTime Value);

  Variant(const Variant& Other);
  Variant(Variant&& Other) noexcept = default;
  Variant& operator=(const Variant& Other);
  Variant& operator=(Variant&& Other) noexcept = default;
  ~Variant() = default;

  TVarType VarType() const { return FType; }
  bool IsEmpty() const { return FType == TVarType::Empty; }
  bool IsNull() const { return FType == TVarType::Null; }
  bool IsArray() const { return FType == TVarType::Array; }
  bool IsNumeric() const;  // Integer, Float, DateTime or Boolean

  // Conversions. Empty converts to 0, '' and False; Null and arrays raise EVariantError, as
  // does a String that is not a number (or date, or Boolean).
  std::int64_t AsInteger() const;
  double AsFloat() const;
  bool AsBoolean() const;
  TDateTime AsDateTime() const;
  std::string AsString() const;  // '' for Empty and Null; raises for arrays

  // Arrays.
  int LowBound() const;   // raises EVariantError when not an array
  int HighBound() const;  // LowBound - 1 when the array holds no element
  int ElementCount() const;
  const Variant& GetElement(int Index) const;  // raises ERangeError outside the bounds
  void PutElement(int Index, const Variant& Value);
  // Changes the high bound, keeping the elements that stay and filling new ones with Empty.
  // A high bound of LowBound - 1 leaves no element; anything lower raises ERangeError.
  void Redim(int HighBound);

  // Equality as described at the top of this file; may raise EVariantError.
  bool operator==(const Variant& Other) const;
  bool operator!=(const Variant& Other) const { return !(*this == Other); }

  // A short description for diagnostics: "Null", "Integer 3", "String 'x'".
  std::string DebugString() const;

 private:
  struct ArrayData {
    int Low = 0;
    std::vector<Variant> Items;
  };

  TVarType FType = TVarType::Empty;
  std::int64_t FInt = 0;
  double FFloat = 0;
  std::string FString;
  std::unique_ptr<ArrayData> FArray;

  friend Variant VarArrayCreate(int Low, int High);
  const ArrayData& Array() const;
};

Variant VarArrayCreate(int Low, int High);                  // elements Empty; High = Low - 1 gives none
Variant VarArrayOf(std::initializer_list<Variant> Values);  // bounds 0..n-1

inline bool VarIsNull(const Variant& V) {
  return V.IsNull();
}
inline bool VarIsEmpty(const Variant& V) {
  return V.IsEmpty();
}
inline bool VarIsArray(const Variant& V) {
  return V.IsArray();
}
// '' for Null and Empty, the text of the value otherwise.
inline std::string VarToStr(const Variant& V) {
  return V.IsArray() ? std::string() : V.AsString();
}
int VarArrayLowBound(const Variant& V, int Dim = 1);
int VarArrayHighBound(const Variant& V, int Dim = 1);
void VarArrayRedim(Variant& V, int HighBound);

// Name of a type for messages: "Empty", "Null", "Integer", "String" ...
const char* VarTypeName(TVarType Type);

}  // namespace vcl
