#include "platform/base/variant.h"

#include <cmath>

namespace vcl {

namespace {

[[noreturn]] void CastError(TVarType From, const char* To) {
  throw EVariantError(std::string("Could not convert variant of type (") + VarTypeName(From) +
                      ") into type (" + To + ")");
}

}  // namespace

const char* VarTypeName(TVarType Type) {
  switch (Type) {
    case TVarType::Empty: return "Empty";
    case TVarType::Null: return "Null";
    case TVarType::Boolean: return "Boolean";
    case TVarType::Integer: return "Integer";
    case TVarType::Float: return "Double";
    case TVarType::String: return "String";
    case TVarType::DateTime: return "Date";
    case TVarType::Array: return "Array";
  }
  return "Unknown";
}

Variant Variant::FromDateTime(TDateTime Value) {
  Variant v;
  v.FType = TVarType::DateTime;
  v.FFloat = Value;
  return v;
}

Variant::Variant(const Variant& Other)
    : FType(Other.FType), FInt(Other.FInt), FFloat(Other.FFloat), FString(Other.FString) {
  if (Other.FArray) FArray = std::make_unique<ArrayData>(*Other.FArray);
}

Variant& Variant::operator=(const Variant& Other) {
  if (this != &Other) {
    Variant copy(Other);
    *this = std::move(copy);
  }
  return *this;
}

bool Variant::IsNumeric() const {
  return FType == TVarType::Integer || FType == TVarType::Float || FType == TVarType::DateTime ||
         FType == TVarType::Boolean;
}

std::int64_t Variant::AsInteger() const {
  switch (FType) {
    case TVarType::Empty: return 0;
    case TVarType::Boolean: return FInt ? -1 : 0;
    case TVarType::Integer: return FInt;
    case TVarType::Float:
    case TVarType::DateTime:
      if (!std::isfinite(FFloat) || std::fabs(FFloat) > 9.2e18) CastError(FType, "Integer");
      return static_cast<std::int64_t>(std::llround(FFloat));
    case TVarType::String: {
      std::int64_t v;
      if (TryStrToInt(FString, v)) return v;
      double d;
      if (TryStrToFloat(FString, d) && std::fabs(d) < 9.2e18) return std::llround(d);
      CastError(FType, "Integer");
    }
    default: CastError(FType, "Integer");
  }
}

double Variant::AsFloat() const {
  switch (FType) {
    case TVarType::Empty: return 0;
    case TVarType::Boolean: return FInt ? -1 : 0;
    case TVarType::Integer: return static_cast<double>(FInt);
    case TVarType::Float:
    case TVarType::DateTime: return FFloat;
    case TVarType::String: {
      double d;
      if (TryStrToFloat(FString, d)) return d;
      TDateTime dt;
      if (TryStrToDateTime(FString, dt)) return dt;
      CastError(FType, "Double");
    }
    default: CastError(FType, "Double");
  }
}

bool Variant::AsBoolean() const {
  switch (FType) {
    case TVarType::Empty: return false;
    case TVarType::Boolean:
    case TVarType::Integer: return FInt != 0;
    case TVarType::Float:
    case TVarType::DateTime: return FFloat != 0;
    case TVarType::String: {
      bool b;
      if (TryStrToBool(FString, b)) return b;
      CastError(FType, "Boolean");
    }
    default: CastError(FType, "Boolean");
  }
}

TDateTime Variant::AsDateTime() const {
  if (FType == TVarType::String) {
    TDateTime dt;
    if (TryStrToDateTime(FString, dt)) return dt;
    double d;
    if (TryStrToFloat(FString, d)) return d;
    CastError(FType, "Date");
  }
  if (FType == TVarType::Null || FType == TVarType::Array) CastError(FType, "Date");
  return AsFloat();
}

std::string Variant::AsString() const {
  switch (FType) {
    case TVarType::Empty:
    case TVarType::Null: return std::string();
    case TVarType::Boolean: return BoolToStr(FInt != 0);
    case TVarType::Integer: return IntToStr(FInt);
    case TVarType::Float: return FloatToStr(FFloat);
    case TVarType::DateTime: return DateTimeToStr(FFloat);
    case TVarType::String: return FString;
    case TVarType::Array: CastError(FType, "String");
  }
  return std::string();
}

// ---------------------------------------------------------------------------------------------
// Arrays
// ---------------------------------------------------------------------------------------------

Variant VarArrayCreate(int Low, int High) {
  if (High < Low - 1) throw ERangeError("Variant array bounds error");
  Variant v;
  v.FType = TVarType::Array;
  v.FArray = std::make_unique<Variant::ArrayData>();
  v.FArray->Low = Low;
  v.FArray->Items.resize(static_cast<size_t>(High - Low + 1));
  return v;
}

Variant VarArrayOf(std::initializer_list<Variant> Values) {
  Variant v = VarArrayCreate(0, static_cast<int>(Values.size()) - 1);
  int i = 0;
  for (const Variant& e : Values) v.PutElement(i++, e);
  return v;
}

const Variant::ArrayData& Variant::Array() const {
  if (FType != TVarType::Array || !FArray) throw EVariantError("Variant is not an array");
  return *FArray;
}

int Variant::LowBound() const {
  return Array().Low;
}
int Variant::HighBound() const {
  return Array().Low + static_cast<int>(Array().Items.size()) - 1;
}
int Variant::ElementCount() const {
  return static_cast<int>(Array().Items.size());
}

const Variant& Variant::GetElement(int Index) const {
  const ArrayData& a = Array();
  if (Index < a.Low || Index >= a.Low + static_cast<int>(a.Items.size()))
    throw ERangeError("Variant or safe array index out of bounds");
  return a.Items[static_cast<size_t>(Index - a.Low)];
}

void Variant::PutElement(int Index, const Variant& Value) {
  Array();
  if (Index < FArray->Low || Index >= FArray->Low + static_cast<int>(FArray->Items.size()))
    throw ERangeError("Variant or safe array index out of bounds");
  FArray->Items[static_cast<size_t>(Index - FArray->Low)] = Value;
}

void Variant::Redim(int HighBound) {
  Array();
  if (HighBound < FArray->Low - 1) throw ERangeError("Variant array bounds error");
  FArray->Items.resize(static_cast<size_t>(HighBound - FArray->Low + 1));
}

int VarArrayLowBound(const Variant& V, int) {
  return V.LowBound();
}
int VarArrayHighBound(const Variant& V, int) {
  return V.HighBound();
}
void VarArrayRedim(Variant& V, int HighBound) {
  V.Redim(HighBound);
}

// ---------------------------------------------------------------------------------------------
// Equality
// ---------------------------------------------------------------------------------------------

bool Variant::operator==(const Variant& Other) const {
  const TVarType a = FType, b = Other.FType;
  if (a == TVarType::Empty || b == TVarType::Empty) return a == b;
  if (a == TVarType::Null || b == TVarType::Null) return a == b;
  if (a == TVarType::Array || b == TVarType::Array) {
    if (a != b) throw EVariantError("Invalid variant operation: an array compared with a value");
    if (FArray->Low != Other.FArray->Low || FArray->Items.size() != Other.FArray->Items.size()) return false;
    for (size_t i = 0; i < FArray->Items.size(); ++i)
      if (FArray->Items[i] != Other.FArray->Items[i]) return false;
    return true;
  }
  if (a == TVarType::String && b == TVarType::String) return FString == Other.FString;
  if (a == TVarType::Boolean && b == TVarType::Boolean) return (FInt != 0) == (Other.FInt != 0);
  // A string against a typed value converts to that value's type (raising when it can't).
  if (a == TVarType::String || b == TVarType::String) {
    const Variant& str = a == TVarType::String ? *this : Other;
    const Variant& typed = a == TVarType::String ? Other : *this;
    switch (typed.FType) {
      case TVarType::Boolean: return str.AsBoolean() == (typed.FInt != 0);
      case TVarType::Integer: {
        std::int64_t v;
        if (TryStrToInt(str.FString, v)) return v == typed.FInt;
        return str.AsFloat() == static_cast<double>(typed.FInt);
      }
      case TVarType::Float: return str.AsFloat() == typed.FFloat;
      case TVarType::DateTime: return str.AsDateTime() == typed.FFloat;
      default: break;
    }
  }
  if (a == TVarType::Integer && b == TVarType::Integer) return FInt == Other.FInt;
  return AsFloat() == Other.AsFloat();
}

std::string Variant::DebugString() const {
  switch (FType) {
    case TVarType::Empty: return "Unassigned";
    case TVarType::Null: return "Null";
    case TVarType::String: return "String '" + FString + "'";
    case TVarType::Array: {
      std::string s = "Array[" + std::to_string(FArray->Low) + ".." +
                      std::to_string(FArray->Low + static_cast<int>(FArray->Items.size()) - 1) + "](";
      for (size_t i = 0; i < FArray->Items.size(); ++i) s += (i ? ", " : "") + FArray->Items[i].DebugString();
      return s + ")";
    }
    default: return std::string(VarTypeName(FType)) + " " + AsString();
  }
}

}  // namespace vcl
