#pragma once
// Shared by CStr and Format: the decimal digits of a number, independent of
// the process locale.

#include <string>

namespace runtime::detail {

// The decimal digits of |value| to `significant` places and the exponent of
// the first one ("12345" and 2 for 123.45), trailing zeros removed ("0" and 0
// for zero). The float overload rounds the single itself.
void decimalDigits(double value, int significant, std::string& digits, int& exponent);
void decimalDigits(float value, int significant, std::string& digits, int& exponent);

}  // namespace runtime::detail
