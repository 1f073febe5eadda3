#include "platform/base/sysutils.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/base/variant.h"

namespace vcl {

namespace {

unsigned char UpperByte(unsigned char C) {
  return (C >= 'a' && C <= 'z') ? C - 32 : C;
}
unsigned char LowerByte(unsigned char C) {
  return (C >= 'A' && C <= 'Z') ? C + 32 : C;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Text
// ---------------------------------------------------------------------------------------------

int CompareText(const std::string& A, const std::string& B) {
  const size_t n = std::min(A.size(), B.size());
  for (size_t i = 0; i < n; ++i) {
    const int a = UpperByte(static_cast<unsigned char>(A[i]));
    const int b = UpperByte(static_cast<unsigned char>(B[i]));
    if (a != b) return a - b;
  }
  return static_cast<int>(A.size()) - static_cast<int>(B.size());
}

int CompareStr(const std::string& A, const std::string& B) {
  const size_t n = std::min(A.size(), B.size());
  for (size_t i = 0; i < n; ++i) {
    const int a = static_cast<unsigned char>(A[i]);
    const int b = static_cast<unsigned char>(B[i]);
    if (a != b) return a - b;
  }
  return static_cast<int>(A.size()) - static_cast<int>(B.size());
}

bool SameText(const std::string& A, const std::string& B) {
  return A.size() == B.size() && CompareText(A, B) == 0;
}

std::string UpperCase(const std::string& S) {
  std::string r(S);
  for (char& c : r) c = static_cast<char>(UpperByte(static_cast<unsigned char>(c)));
  return r;
}

std::string LowerCase(const std::string& S) {
  std::string r(S);
  for (char& c : r) c = static_cast<char>(LowerByte(static_cast<unsigned char>(c)));
  return r;
}

std::string Trim(const std::string& S) {
  size_t b = 0, e = S.size();
  while (b < e && static_cast<unsigned char>(S[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(S[e - 1]) <= ' ') --e;
  return S.substr(b, e - b);
}

// ---------------------------------------------------------------------------------------------
// Format
// ---------------------------------------------------------------------------------------------

std::string Format(const std::string& Fmt, std::initializer_list<Variant> Args) {
  const std::vector<Variant> args(Args);
  std::string out;
  size_t next = 0;  // next argument index
  size_t i = 0;
  auto fail = [&](const std::string& why) -> void {
    throw EConvertError("Format '" + Fmt + "' invalid or incompatible with argument: " + why);
  };
  while (i < Fmt.size()) {
    const char c = Fmt[i];
    if (c != '%') {
      out += c;
      ++i;
      continue;
    }
    ++i;
    if (i < Fmt.size() && Fmt[i] == '%') {
      out += '%';
      ++i;
      continue;
    }
    // %[index:][-][width][.prec]type
    size_t start = i;
    while (i < Fmt.size() && isdigit(static_cast<unsigned char>(Fmt[i]))) ++i;
    if (i < Fmt.size() && Fmt[i] == ':' && i > start) {
      next = static_cast<size_t>(std::stoi(Fmt.substr(start, i - start)));
      ++i;
    } else {
      i = start;
    }
    bool left = false;
    if (i < Fmt.size() && Fmt[i] == '-') {
      left = true;
      ++i;
    }
    int width = 0;
    while (i < Fmt.size() && isdigit(static_cast<unsigned char>(Fmt[i])))
      width = width * 10 + (Fmt[i++] - '0');
    int prec = -1;
    if (i < Fmt.size() && Fmt[i] == '.') {
      ++i;
      prec = 0;
      while (i < Fmt.size() && isdigit(static_cast<unsigned char>(Fmt[i])))
        prec = prec * 10 + (Fmt[i++] - '0');
    }
    if (i >= Fmt.size()) fail("missing type");
    const char type = static_cast<char>(tolower(static_cast<unsigned char>(Fmt[i++])));
    if (next >= args.size()) fail("missing argument");
    const Variant& arg = args[next++];
    std::string text;
    char buf[512];
    try {
      switch (type) {
        case 's':
          text = VarToStr(arg);
          if (prec >= 0 && static_cast<int>(text.size()) > prec) text.resize(prec);
          break;
        case 'd':
        case 'u': {
          if (arg.VarType() == TVarType::Float) fail("%d with a float");
          long long v = arg.AsInteger();
          snprintf(buf, sizeof buf, "%lld", v);
          text = buf;
          if (prec > 0) {
            bool neg = !text.empty() && text[0] == '-';
            std::string digits = neg ? text.substr(1) : text;
            while (static_cast<int>(digits.size()) < prec) digits.insert(digits.begin(), '0');
            text = (neg ? "-" : "") + digits;
          }
          break;
        }
        case 'x':
          snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(arg.AsInteger()));
          text = buf;
          while (prec > 0 && static_cast<int>(text.size()) < prec) text.insert(text.begin(), '0');
          break;
        case 'f':
        case 'n':
          snprintf(buf, sizeof buf, "%.*f", prec < 0 ? 2 : prec, arg.AsFloat());
          text = buf;
          break;
        case 'e':
          snprintf(buf, sizeof buf, "%.*E", prec < 0 ? 14 : std::max(prec - 1, 0), arg.AsFloat());
          text = buf;
          break;
        case 'g': text = FloatToStr(arg.AsFloat()); break;
        default: fail(std::string("unknown type '") + type + "'");
      }
    } catch (const EVariantError& e) {
      fail(e.Message());
    }
    if (static_cast<int>(text.size()) < width) {
      if (left)
        text.append(width - text.size(), ' ');
      else
        text.insert(0, width - text.size(), ' ');
    }
    out += text;
  }
  return out;
}

// ---------------------------------------------------------------------------------------------
// Numbers
// ---------------------------------------------------------------------------------------------

std::string IntToStr(std::int64_t Value) {
  return std::to_string(Value);
}

std::string FloatToStr(double Value) {
  if (std::isnan(Value)) return "NAN";
  if (std::isinf(Value)) return Value > 0 ? "INF" : "-INF";
  char buf[64];
  snprintf(buf, sizeof buf, "%.15G", Value);
  std::string s = buf;
  // "%G" may give "1E+20"; keep its mantissa/exponent form but drop a '+' and leading zeros
  // of the exponent, as the framework writes "1E20".
  size_t e = s.find('E');
  if (e != std::string::npos) {
    std::string mant = s.substr(0, e), exp = s.substr(e + 1);
    bool neg = !exp.empty() && exp[0] == '-';
    if (!exp.empty() && (exp[0] == '+' || exp[0] == '-')) exp.erase(0, 1);
    while (exp.size() > 1 && exp[0] == '0') exp.erase(0, 1);
    s = mant + "E" + (neg ? "-" : "") + exp;
  }
  return s;
}

bool TryStrToInt(const std::string& S, std::int64_t& Value) {
  std::string t = Trim(S);
  if (t.empty()) return false;
  size_t i = 0;
  bool neg = false;
  if (t[i] == '+' || t[i] == '-') {
    neg = t[i] == '-';
    ++i;
  }
  if (i >= t.size()) return false;
  int base = 10;
  if (t[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= t.size()) return false;
  unsigned long long acc = 0;
  for (; i < t.size(); ++i) {
    int d;
    const char c = t[i];
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else
      return false;
    if (acc > (~0ULL - d) / base) return false;
    acc = acc * base + d;
  }
  if (!neg && acc > static_cast<unsigned long long>(INT64_MAX)) return false;
  if (neg && acc > static_cast<unsigned long long>(INT64_MAX) + 1) return false;
  Value = neg ? static_cast<std::int64_t>(0 - acc) : static_cast<std::int64_t>(acc);
  return true;
}

std::int64_t StrToInt(const std::string& S) {
  std::int64_t v;
  if (!TryStrToInt(S, v)) throw EConvertError("'" + S + "' is not a valid integer value");
  return v;
}

bool TryStrToFloat(const std::string& S, double& Value) {
  std::string t = Trim(S);
  if (t.empty()) return false;
  // Only plain decimal notation with an optional exponent: no hex, no "inf", no "nan".
  size_t i = 0;
  if (t[i] == '+' || t[i] == '-') ++i;
  bool digits = false;
  while (i < t.size() && isdigit(static_cast<unsigned char>(t[i]))) ++i, digits = true;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && isdigit(static_cast<unsigned char>(t[i]))) ++i, digits = true;
  }
  if (!digits) return false;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    bool exp = false;
    while (i < t.size() && isdigit(static_cast<unsigned char>(t[i]))) ++i, exp = true;
    if (!exp) return false;
  }
  if (i != t.size()) return false;
  errno = 0;
  char* end = nullptr;
  double v = strtod(t.c_str(), &end);
  if (errno == ERANGE && std::isinf(v)) return false;
  Value = v;
  return true;
}

double StrToFloat(const std::string& S) {
  double v;
  if (!TryStrToFloat(S, v)) throw EConvertError("'" + S + "' is not a valid floating point value");
  return v;
}

bool TryStrToBool(const std::string& S, bool& Value) {
  const std::string t = Trim(S);
  if (SameText(t, "True")) {
    Value = true;
    return true;
  }
  if (SameText(t, "False")) {
    Value = false;
    return true;
  }
  double d;
  if (TryStrToFloat(t, d)) {
    Value = d != 0;
    return true;
  }
  return false;
}

bool StrToBool(const std::string& S) {
  bool v;
  if (!TryStrToBool(S, v)) throw EConvertError("'" + S + "' is not a valid boolean value");
  return v;
}

std::string BoolToStr(bool Value) {
  return Value ? "True" : "False";
}

// ---------------------------------------------------------------------------------------------
// Dates
// ---------------------------------------------------------------------------------------------

namespace {

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long yy = static_cast<long long>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yy + (m <= 2));
}

const long long kEpochOffset = DaysFromCivil(1899, 12, 30);  // TDateTime 0 in Unix days

bool IsLeap(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}
int DaysInMonth(int y, int m) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

}  // namespace

TDateTime EncodeDate(int Year, int Month, int Day) {
  if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 || Day > DaysInMonth(Year, Month))
    throw EConvertError("Invalid argument to date encode");
  return static_cast<double>(DaysFromCivil(Year, Month, Day) - kEpochOffset);
}

TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec) {
  if (Hour < 0 || Hour > 23 || Min < 0 || Min > 59 || Sec < 0 || Sec > 59 || MSec < 0 || MSec > 999)
    throw EConvertError("Invalid argument to time encode");
  return (((Hour * 60.0 + Min) * 60.0 + Sec) * 1000.0 + MSec) / 86400000.0;
}

void DecodeDate(TDateTime Value, int& Year, int& Month, int& Day) {
  const long long days = static_cast<long long>(std::floor(Value + 1e-9));
  CivilFromDays(days + kEpochOffset, Year, Month, Day);
}

void DecodeTime(TDateTime Value, int& Hour, int& Min, int& Sec, int& MSec) {
  double frac = std::fabs(Value - std::floor(Value + 1e-9));
  long long ms = std::llround(frac * 86400000.0);
  if (ms >= 86400000) ms = 86399999;
  MSec = static_cast<int>(ms % 1000);
  ms /= 1000;
  Sec = static_cast<int>(ms % 60);
  ms /= 60;
  Min = static_cast<int>(ms % 60);
  Hour = static_cast<int>(ms / 60);
}

std::string DateTimeToStr(TDateTime Value) {
  int y, m, d, h, n, s, ms;
  DecodeDate(Value, y, m, d);
  DecodeTime(Value, h, n, s, ms);
  char buf[64];
  if (h == 0 && n == 0 && s == 0)
    snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
  else
    snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, m, d, h, n, s);
  return buf;
}

bool TryStrToDateTime(const std::string& S, TDateTime& Value) {
  const std::string t = Trim(S);
  int y = 0, m = 0, d = 0, h = 0, n = 0, s = 0;
  char tail = 0;
  try {
    if (sscanf(t.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &m, &d, &h, &n, &s, &tail) == 6 ||
        (sscanf(t.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) == 3 && t.size() == 10)) {
      Value = EncodeDate(y, m, d) + EncodeTime(h, n, s);
      return true;
    }
    if (sscanf(t.c_str(), "%2d:%2d:%2d%c", &h, &n, &s, &tail) == 3) {
      Value = EncodeTime(h, n, s);
      return true;
    }
  } catch (const EConvertError&) {
  }
  return false;
}

TDateTime StrToDateTime(const std::string& S) {
  TDateTime v;
  if (!TryStrToDateTime(S, v)) throw EConvertError("'" + S + "' is not a valid date and time");
  return v;
}

}  // namespace vcl
