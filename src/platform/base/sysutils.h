// Text helpers and the exception family shared by every layer of the platform.
#pragma once

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string>

namespace vcl {

using Byte = std::uint8_t;
using Word = std::uint16_t;
using DWORD = std::uint32_t;
using Cardinal = std::uint32_t;
using Integer = std::int32_t;
using TDateTime = double;  // days since 1899-12-30, the fraction being the time of day

class Variant;

// ---------------------------------------------------------------------------------------------
// Exceptions
// ---------------------------------------------------------------------------------------------

// Base of every error the platform raises. Message() is the text shown to a user.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : FMessage(std::move(message)) {}
  const std::string& Message() const noexcept { return FMessage; }
  void SetMessage(std::string message) { FMessage = std::move(message); }
  const char* what() const noexcept override { return FMessage.c_str(); }

 private:
  std::string FMessage;
};

#define KT_DECLARE_EXCEPTION(Name, Base) \
  class Name : public Base {             \
   public:                               \
    using Base::Base;                    \
  }

KT_DECLARE_EXCEPTION(EAbort, Exception);             // a silent exception: aborts an operation
KT_DECLARE_EXCEPTION(EConvertError, Exception);      // text that does not convert
KT_DECLARE_EXCEPTION(EVariantError, Exception);      // variants that can't be compared or converted
KT_DECLARE_EXCEPTION(EInvalidOperation, Exception);  // an operation the object's state forbids
KT_DECLARE_EXCEPTION(EComponentError, Exception);    // naming and ownership of components
KT_DECLARE_EXCEPTION(EListError, Exception);         // an index outside a list
KT_DECLARE_EXCEPTION(ERangeError, Exception);        // an index outside an array's bounds

// ---------------------------------------------------------------------------------------------
// Text
// ---------------------------------------------------------------------------------------------

// Compares two strings ignoring the case of the letters A to Z only; every other byte compares
// by its code. Returns 0 when equal, a negative number when A sorts first, positive otherwise.
int CompareText(const std::string& A, const std::string& B);
// Compares two strings byte by byte, case-sensitively; same result convention as CompareText.
int CompareStr(const std::string& A, const std::string& B);
// True when the two strings are equal ignoring the case of A to Z.
bool SameText(const std::string& A, const std::string& B);

std::string UpperCase(const std::string& S);  // A-Z only
std::string LowerCase(const std::string& S);  // a-z only
std::string Trim(const std::string& S);       // removes control characters and blanks at both ends

// Delphi-style formatting: %s, %d, %u, %x, %f, %g, %e, %n and %% with optional index ("%0:s"),
// flags ("-"), width and precision ("%5.2f"). Arguments are Variants, so Format("%s: %d",
// {Name, 3}) works. A missing or mismatched argument raises EConvertError.
std::string Format(const std::string& Fmt, std::initializer_list<Variant> Args);

// Number and date conversions used by fields and variants. The decimal separator is '.'.
std::string IntToStr(std::int64_t Value);
std::string FloatToStr(double Value);         // shortest of up to 15 significant digits: "1.5", "0.1"
std::int64_t StrToInt(const std::string& S);  // raises EConvertError: "'x' is not a valid integer value"
bool TryStrToInt(const std::string& S, std::int64_t& Value);
double StrToFloat(const std::string& S);  // raises EConvertError
bool TryStrToFloat(const std::string& S, double& Value);
bool StrToBool(const std::string& S);  // True/False (any case), or a number; raises EConvertError
bool TryStrToBool(const std::string& S, bool& Value);
std::string BoolToStr(bool Value);  // "True" / "False"

// Dates: "yyyy-mm-dd", "yyyy-mm-dd hh:nn:ss" (time omitted when it is midnight) and "hh:nn:ss".
TDateTime EncodeDate(int Year, int Month, int Day);  // raises EConvertError on an invalid date
TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec = 0);
void DecodeDate(TDateTime Value, int& Year, int& Month, int& Day);
void DecodeTime(TDateTime Value, int& Hour, int& Min, int& Sec, int& MSec);
std::string DateTimeToStr(TDateTime Value);
TDateTime StrToDateTime(const std::string& S);  // raises EConvertError
bool TryStrToDateTime(const std::string& S, TDateTime& Value);

}  // namespace vcl
