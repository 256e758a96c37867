#include "runtime/convert.hpp"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

#include "decimal.hpp"
#include "runtime/error.hpp"
#include "runtime/strings.hpp"

namespace runtime {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// "&H" / "&O" digits as the original reads them: a value that fits in 16 bits
// is a 16-bit pattern (&HFFFF is -1), one that fits in 32 bits a 32-bit
// pattern; a longer one overflows.
double fromRadixPattern(std::uint64_t value) {
    if (value <= 0xFFFF) return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

// Accumulates one digit of base `base`; false once the value passes 32 bits.
bool addDigit(std::uint64_t& value, int base, int digit) {
    value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    return value <= 0xFFFFFFFFULL;
}

// Converts "[-]digits[.digits][e[+-]digits]" (already checked) to a double;
// error 6 when it lies beyond the double range, 0 when it is too small.
double decimalToDouble(const std::string& clean) {
    double value = 0;
    const auto [end, ec] = std::from_chars(clean.data(), clean.data() + clean.size(), value);
    (void)end;
    if (ec == std::errc()) return value;
    // Out of range: find the magnitude to tell overflow from underflow.
    long intDigits = 0;      // significant digits before the point
    long fractionZeros = 0;  // zeros after the point before the first significant digit
    long exponent = 0;
    bool significant = false;
    bool inFraction = false;
    for (std::size_t i = clean[0] == '-' ? 1 : 0; i < clean.size(); ++i) {
        const char c = clean[i];
        if (c == '.') {
            inFraction = true;
        } else if (c == 'e') {
            const bool negative = clean[i + 1] == '-';
            for (std::size_t k = i + 1; k < clean.size(); ++k) {
                if (isDigit(clean[k]) && exponent < 100000) exponent = exponent * 10 + (clean[k] - '0');
            }
            if (negative) exponent = -exponent;
            break;
        } else if (c != '0' || significant) {
            significant = true;
            if (!inFraction) ++intDigits;
        } else if (inFraction) {
            ++fractionZeros;
        }
    }
    const long magnitude = intDigits > 0 ? intDigits + exponent : exponent - fractionZeros;
    if (magnitude > 0) raise(err::Overflow);
    return 0.0;
}

// The original's coercion of text to a number: blanks around, a sign, digits
// with "," thousands separators, a "." decimal point, an exponent E or D, or
// "&H" / "&O" digits. Error 6 when the number lies beyond the double range.
std::optional<double> parseNumber(std::string_view text) {
    std::string_view s = trimBlanks(text);
    if (s.empty()) return std::nullopt;
    if (s.size() >= 2 && s[0] == '&') {
        const char kind = s[1];
        const int base = (kind == 'H' || kind == 'h') ? 16 : (kind == 'O' || kind == 'o') ? 8 : 0;
        if (base == 0 || s.size() == 2) return std::nullopt;
        std::uint64_t value = 0;
        for (char c : s.substr(2)) {
            const int d = hexValue(c);
            if (d < 0 || d >= base) return std::nullopt;
            if (!addDigit(value, base, d)) raise(err::Overflow);
        }
        return fromRadixPattern(value);
    }
    std::string clean;
    std::size_t i = 0;
    if (s[i] == '+' || s[i] == '-') {
        if (s[i] == '-') clean.push_back('-');
        ++i;
        while (i < s.size() && isBlank(s[i])) ++i;
    }
    bool digits = false;
    for (; i < s.size(); ++i) {
        if (isDigit(s[i])) {
            clean.push_back(s[i]);
            digits = true;
        } else if (s[i] == ',' && digits) {
            // thousands separator, wherever it stands after the first digit
        } else {
            break;
        }
    }
    if (i < s.size() && s[i] == '.') {
        clean.push_back('.');
        for (++i; i < s.size() && isDigit(s[i]); ++i) {
            clean.push_back(s[i]);
            digits = true;
        }
    }
    if (!digits) return std::nullopt;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        clean.push_back('e');
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) clean.push_back(s[i++]);
        bool expDigits = false;
        for (; i < s.size() && isDigit(s[i]); ++i) {
            clean.push_back(s[i]);
            expDigits = true;
        }
        if (!expDigits) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    if (clean.back() == '.') clean.pop_back();
    if (clean.empty() || clean == "-") clean.push_back('0');
    return decimalToDouble(clean);
}

// Text as a number for the numeric conversions: a number, or "True"/"False".
double numberFromText(std::string_view text) {
    if (const auto v = parseNumber(text)) return *v;
    const std::string_view t = trimBlanks(text);
    if (EqualsNoCase(t, "true")) return -1;
    if (EqualsNoCase(t, "false")) return 0;
    raise(err::TypeMismatch);
}

double wholeInRange(double value, double lo, double hi) {
    const double r = RoundHalfEven(value);
    if (!(r >= lo && r <= hi)) raise(err::Overflow);  // NaN fails too
    return r;
}

// See detail::decimalDigits.
template <typename T>
void digitsOf(T value, int significant, std::string& digits, int& exponent) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific,
                                   significant - 1);
    const std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
    const std::size_t e = text.find('e');
    digits.clear();
    for (char c : text.substr(0, e)) {
        if (isDigit(c)) digits.push_back(c);
    }
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    exponent = 0;
    std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(), exponent);
}

template <typename T>
std::string writeNumber(T value, int significant) {
    if (std::isnan(value)) return "-1.#IND";
    if (std::isinf(value)) return value < 0 ? "-1.#INF" : "1.#INF";
    if (value == 0) return "0";
    std::string digits;
    int exponent = 0;
    digitsOf(value, significant, digits, exponent);
    std::string out = value < 0 ? "-" : "";
    if (exponent < -4 || exponent >= significant) {
        out += digits[0];
        if (digits.size() > 1) {
            out += '.';
            out.append(digits, 1);
        }
        char exp[16];
        std::snprintf(exp, sizeof exp, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
        return out + exp;
    }
    if (exponent < 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        return out + digits;
    }
    const auto intLen = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= intLen) {
        out += digits;
        out.append(intLen - digits.size(), '0');
        return out;
    }
    out.append(digits, 0, intLen);
    out += '.';
    out.append(digits, intLen);
    return out;
}

}  // namespace

void detail::decimalDigits(double value, int significant, std::string& digits, int& exponent) {
    digitsOf(value, significant, digits, exponent);
}

void detail::decimalDigits(float value, int significant, std::string& digits, int& exponent) {
    digitsOf(value, significant, digits, exponent);
}

// ---------------------------------------------------------------------------
// Rounding

double RoundHalfEven(double value) {
    if (!std::isfinite(value)) return value;
    const double down = std::floor(value);
    const double diff = value - down;
    if (diff > 0.5) return down + 1;
    if (diff < 0.5) return down;
    return std::fmod(down, 2.0) == 0 ? down : down + 1;
}

double Round(double value, int decimals) {
    if (decimals < 0) raise(err::InvalidProcedureCall);
    if (decimals == 0) return RoundHalfEven(value);
    const double scale = std::pow(10.0, decimals);
    const double scaled = value * scale;
    if (!std::isfinite(scaled)) return value;
    return RoundHalfEven(scaled) / scale;
}

double Int(double value) { return std::floor(value); }
double Fix(double value) { return std::trunc(value); }

// ---------------------------------------------------------------------------
// Conversions

std::int16_t CInt(double value) { return static_cast<std::int16_t>(wholeInRange(value, -32768, 32767)); }
std::int16_t CInt(std::string_view text) { return CInt(numberFromText(text)); }

std::int32_t CLng(double value) {
    return static_cast<std::int32_t>(wholeInRange(value, -2147483648.0, 2147483647.0));
}
std::int32_t CLng(std::string_view text) { return CLng(numberFromText(text)); }

std::uint8_t CByte(double value) { return static_cast<std::uint8_t>(wholeInRange(value, 0, 255)); }
std::uint8_t CByte(std::string_view text) { return CByte(numberFromText(text)); }

float CSng(double value) {
    if (!std::isfinite(value) || std::fabs(value) > FLT_MAX) raise(err::Overflow);
    return static_cast<float>(value);
}
float CSng(std::string_view text) { return CSng(numberFromText(text)); }

double CDbl(std::string_view text) { return numberFromText(text); }

bool CBool(double value) { return value != 0; }
bool CBool(std::string_view text) { return numberFromText(text) != 0; }

bool IsNumeric(std::string_view text) {
    try {
        return parseNumber(text).has_value();
    } catch (const Error&) {
        return false;  // beyond the double range
    }
}

double Val(std::string_view text) {
    // Blanks, tabs and line feeds are skipped wherever they stand.
    std::string s;
    s.reserve(text.size());
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\n') s.push_back(c);
    }
    std::size_t i = 0;
    if (s.size() >= 2 && s[0] == '&') {
        const char kind = s[1];
        const int base = (kind == 'H' || kind == 'h') ? 16 : (kind == 'O' || kind == 'o') ? 8 : 0;
        if (base == 0) return 0;
        std::uint64_t value = 0;
        for (i = 2; i < s.size(); ++i) {
            const int d = hexValue(s[i]);
            if (d < 0 || d >= base) break;
            if (!addDigit(value, base, d)) raise(err::Overflow);
        }
        return fromRadixPattern(value);
    }
    std::string clean;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-') clean.push_back('-');
        ++i;
    }
    bool digits = false;
    for (; i < s.size() && isDigit(s[i]); ++i) {
        clean.push_back(s[i]);
        digits = true;
    }
    if (i < s.size() && s[i] == '.') {
        clean.push_back('.');
        for (++i; i < s.size() && isDigit(s[i]); ++i) {
            clean.push_back(s[i]);
            digits = true;
        }
    }
    if (!digits) return 0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::size_t k = i + 1;
        std::string exp = "e";
        if (k < s.size() && (s[k] == '+' || s[k] == '-')) exp.push_back(s[k++]);
        bool expDigits = false;
        for (; k < s.size() && isDigit(s[k]); ++k) {
            exp.push_back(s[k]);
            expDigits = true;
        }
        if (expDigits) clean += exp;  // "1e" alone is the number 1
    }
    if (clean.back() == '.') clean.pop_back();
    if (clean.empty() || clean == "-") return 0;
    const double v = decimalToDouble(clean);
    return v == 0 ? 0.0 : v;  // never -0
}

// ---------------------------------------------------------------------------
// Numbers as text

std::string CStr(bool value) { return value ? "True" : "False"; }
std::string CStr(int value) { return std::to_string(value); }
std::string CStr(long value) { return std::to_string(value); }
std::string CStr(long long value) { return std::to_string(value); }
std::string CStr(unsigned value) { return std::to_string(value); }
std::string CStr(unsigned long value) { return std::to_string(value); }
std::string CStr(unsigned long long value) { return std::to_string(value); }
std::string CStr(double value) { return writeNumber(value, 15); }
std::string CStrSingle(float value) { return writeNumber(value, 7); }

}  // namespace runtime
