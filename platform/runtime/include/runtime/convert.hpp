#pragma once
// Conversions with the original's failures: error 13 (type mismatch) for text
// that is not a number or a boolean, error 6 (overflow) when the value does not
// fit. Whole-number conversions round an exact half to the even neighbour.

#include <cstdint>
#include <string>
#include <string_view>

namespace runtime {

// Text accepted as a number: optional blanks, sign, digits with "," thousands
// separators, ".", exponent "E"/"D", "&H" hex and "&O" octal; "True"/"False"
// (any case) are -1 and 0 as the original's coercion takes them.
std::int16_t CInt(std::string_view text);
std::int16_t CInt(double value);
std::int32_t CLng(std::string_view text);
std::int32_t CLng(double value);
float CSng(std::string_view text);
float CSng(double value);
double CDbl(std::string_view text);
std::uint8_t CByte(std::string_view text);
std::uint8_t CByte(double value);
bool CBool(std::string_view text);  // "True"/"False" any case, or a number (0 is False)
bool CBool(double value);

// The leading number of the text; never fails on text (0 when there is none).
// Blanks, tabs and line feeds inside the number are skipped, "&H"/"&O" prefixes
// read, "," ends the number. Only a number beyond the double range ("1e999")
// is an error (6), as in the original.
double Val(std::string_view text);

// Whole part rounded half to even (banker's rounding), as CInt/CLng do.
double RoundHalfEven(double value);
// Rounds to `decimals` places, halves to even (the original's Round).
double Round(double value, int decimals = 0);
// Int(x): the whole part rounded down; Fix(x): towards zero.
double Int(double value);
double Fix(double value);

// How the original writes numbers and booleans as text: "True", "False",
// "1.5", "-2500", "1E+20", up to 15 significant digits for doubles and 7 for
// singles, no trailing zeros, "." as decimal point.
std::string CStr(bool value);
std::string CStr(int value);
std::string CStr(long value);
std::string CStr(long long value);
std::string CStr(unsigned value);
std::string CStr(unsigned long value);
std::string CStr(unsigned long long value);
std::string CStr(double value);
std::string CStrSingle(float value);
inline std::string CStr(float value) { return CStrSingle(value); }
inline std::string CStr(short value) { return CStr(static_cast<int>(value)); }
inline std::string CStr(unsigned short value) { return CStr(static_cast<int>(value)); }
inline std::string CStr(unsigned char value) { return CStr(static_cast<int>(value)); }
inline std::string CStr(std::string s) { return s; }
inline std::string CStr(const char* s) { return s; }

// True when the text would convert as a number (the original's IsNumeric);
// "True" and "False" are no numbers here.
bool IsNumeric(std::string_view text);

}  // namespace runtime
