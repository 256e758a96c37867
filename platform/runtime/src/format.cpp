#include "runtime/format.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <ctime>
#include <optional>
#include <vector>

#include "decimal.hpp"
#include "runtime/convert.hpp"
#include "runtime/error.hpp"
#include "runtime/strings.hpp"

namespace runtime {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool startsWithNoCase(std::string_view s, std::size_t at, std::string_view prefix) {
    return s.size() - at >= prefix.size() && EqualsNoCase(s.substr(at, prefix.size()), prefix);
}

std::string twoDigits(int n) {
    std::string s = std::to_string(n);
    return s.size() < 2 ? "0" + s : s;
}

std::string padded(int n, std::size_t width) {
    std::string s = std::to_string(n);
    if (s.size() < width) s.insert(0, width - s.size(), '0');
    return s;
}

// ---------------------------------------------------------------------------
// Splitting a pattern into sections and reading its literal characters.

// Splits at ";" outside quotes and escapes.
std::vector<std::string_view> sections(std::string_view pattern) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    bool quoted = false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && c == '\\') {
            ++i;
        } else if (!quoted && c == ';') {
            out.push_back(pattern.substr(start, i - start));
            start = i + 1;
        }
    }
    out.push_back(pattern.substr(start));
    return out;
}

// Reads a quoted text or an escaped character at `i`; false when there is none.
bool readLiteral(std::string_view p, std::size_t& i, std::string& out) {
    if (p[i] == '"') {
        const std::size_t end = p.find('"', i + 1);
        const std::size_t stop = end == std::string_view::npos ? p.size() : end;
        out.append(p.substr(i + 1, stop - i - 1));
        i = stop == p.size() ? stop : stop + 1;
        return true;
    }
    if (p[i] == '\\') {
        if (i + 1 < p.size()) out.push_back(p[i + 1]);
        i += 2;
        return true;
    }
    return false;
}

// True when the pattern places digits ("0" or "#" outside quotes).
bool hasDigitPlaceholder(std::string_view pattern) {
    std::string ignored;
    for (std::size_t i = 0; i < pattern.size();) {
        if (readLiteral(pattern, i, ignored)) continue;
        if (pattern[i] == '0' || pattern[i] == '#') return true;
        ++i;
    }
    return false;
}

// True when the pattern is a date or time pattern: named, or holding a date or
// time letter outside quotes and no digit placeholder.
bool isDatePattern(std::string_view pattern) {
    if (EqualsNoCase(pattern, "General Date")) return true;
    if (EqualsNoCase(pattern, "General Number")) return false;
    if (hasDigitPlaceholder(pattern)) return false;
    std::string ignored;
    for (std::size_t i = 0; i < pattern.size();) {
        if (readLiteral(pattern, i, ignored)) continue;
        switch (lower(pattern[i])) {
        case 'd': case 'm': case 'y': case 'h': case 'n': case 's': case 'w': case 'q': case 'c': case 't':
            return true;
        default:
            break;
        }
        if (startsWithNoCase(pattern, i, "AM/PM") || startsWithNoCase(pattern, i, "A/P")) return true;
        ++i;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Number patterns

// |value| in decimal to `decimals` places, halves away from zero, taken from
// its 15 significant digits as the original does (so 2.675 gives 2.68).
void fixedDigits(double absValue, int decimals, std::string& whole, std::string& fraction) {
    whole.clear();
    fraction.clear();
    if (!std::isfinite(absValue)) raise(err::Overflow);  // a percent of the largest doubles
    if (absValue != 0) {
        std::string digits;
        int exponent = 0;
        detail::decimalDigits(absValue, 15, digits, exponent);
        const int pointAt = exponent + 1;  // digits before the decimal point
        if (pointAt <= 0) {
            fraction.assign(static_cast<std::size_t>(-pointAt), '0');
            fraction += digits;
        } else if (static_cast<std::size_t>(pointAt) >= digits.size()) {
            whole = digits;
            whole.append(static_cast<std::size_t>(pointAt) - digits.size(), '0');
        } else {
            whole = digits.substr(0, static_cast<std::size_t>(pointAt));
            fraction = digits.substr(static_cast<std::size_t>(pointAt));
        }
    }
    const auto keep = static_cast<std::size_t>(decimals);
    bool carry = fraction.size() > keep && fraction[keep] >= '5';
    if (fraction.size() > keep) fraction.resize(keep);
    fraction.append(keep - fraction.size(), '0');
    for (std::size_t i = fraction.size(); carry && i-- > 0;) {
        if (fraction[i] == '9') {
            fraction[i] = '0';
        } else {
            ++fraction[i];
            carry = false;
        }
    }
    for (std::size_t i = whole.size(); carry && i-- > 0;) {
        if (whole[i] == '9') {
            whole[i] = '0';
        } else {
            ++whole[i];
            carry = false;
        }
    }
    if (carry) whole.insert(whole.begin(), '1');
    const std::size_t nonZero = whole.find_first_not_of('0');
    whole.erase(0, nonZero == std::string::npos ? whole.size() : nonZero);
}

struct NumberToken {
    enum Kind { Zero, Hash, Point, Comma, Percent, Literal } kind;
    std::string text;  // for Literal
};

std::vector<NumberToken> numberTokens(std::string_view p) {
    std::vector<NumberToken> tokens;
    for (std::size_t i = 0; i < p.size();) {
        std::string lit;
        if (readLiteral(p, i, lit)) {
            tokens.push_back({NumberToken::Literal, lit});
            continue;
        }
        switch (p[i]) {
        case '0': tokens.push_back({NumberToken::Zero, {}}); break;
        case '#': tokens.push_back({NumberToken::Hash, {}}); break;
        case '.': tokens.push_back({NumberToken::Point, {}}); break;
        case ',': tokens.push_back({NumberToken::Comma, {}}); break;
        case '%': tokens.push_back({NumberToken::Percent, "%"}); break;
        default: tokens.push_back({NumberToken::Literal, std::string(1, p[i])}); break;
        }
        ++i;
    }
    return tokens;
}

bool isPlaceholder(const NumberToken& t) { return t.kind == NumberToken::Zero || t.kind == NumberToken::Hash; }

// Formats |value| with one section of a number pattern. `isZero` tells
// whether every digit shown is 0 (a negative number then takes no sign).
std::string formatSection(double absValue, std::string_view section, bool& isZero) {
    std::vector<NumberToken> tokens = numberTokens(section);
    std::size_t point = tokens.size();
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].kind == NumberToken::Point) {
            point = i;
            break;
        }
    }
    // A second decimal point is shown as it stands.
    for (std::size_t i = point + 1; i < tokens.size(); ++i) {
        if (tokens[i].kind == NumberToken::Point) tokens[i] = {NumberToken::Literal, "."};
    }
    bool grouping = false;
    int minWhole = 0;
    bool seenZero = false;
    std::size_t wholePlaceholders = 0;
    for (std::size_t i = 0; i < point; ++i) {
        NumberToken& t = tokens[i];
        if (isPlaceholder(t)) {
            ++wholePlaceholders;
            seenZero = seenZero || t.kind == NumberToken::Zero;
            if (seenZero) ++minWhole;
        } else if (t.kind == NumberToken::Comma) {
            bool placeholderBefore = false;
            bool placeholderAfter = false;
            for (std::size_t k = 0; k < i; ++k) placeholderBefore = placeholderBefore || isPlaceholder(tokens[k]);
            for (std::size_t k = i + 1; k < point; ++k) placeholderAfter = placeholderAfter || isPlaceholder(tokens[k]);
            if (placeholderBefore && placeholderAfter) {
                grouping = true;
            } else if (placeholderBefore) {
                absValue /= 1000;  // a comma right before the point scales by a thousand
            } else {
                t = {NumberToken::Literal, ","};
            }
        }
    }
    int maxFraction = 0;
    int minFraction = 0;
    for (std::size_t i = point + 1; i < tokens.size(); ++i) {
        if (isPlaceholder(tokens[i])) {
            ++maxFraction;
            if (tokens[i].kind == NumberToken::Zero) minFraction = maxFraction;
        } else if (tokens[i].kind == NumberToken::Comma) {
            tokens[i] = {NumberToken::Literal, ","};
        }
    }
    for (const NumberToken& t : tokens) {
        if (t.kind == NumberToken::Percent) absValue *= 100;
    }

    std::string whole;
    std::string fraction;
    fixedDigits(absValue, maxFraction, whole, fraction);
    isZero = whole.empty() && fraction.find_first_not_of('0') == std::string::npos;
    while (static_cast<int>(fraction.size()) > minFraction && fraction.back() == '0') fraction.pop_back();
    if (static_cast<int>(whole.size()) < minWhole) whole.insert(0, static_cast<std::size_t>(minWhole) - whole.size(), '0');
    if (grouping) {
        for (std::size_t i = whole.size(); i > 3; i -= 3) whole.insert(i - 3, 1, ',');
    }

    // The whole part fills its placeholders from the right; the leftmost one
    // takes every digit that is left.
    std::vector<std::string> wholeOut(point);
    std::size_t left = whole.size();
    std::size_t placeholdersLeft = wholePlaceholders;
    for (std::size_t i = point; i-- > 0;) {
        const NumberToken& t = tokens[i];
        if (isPlaceholder(t)) {
            --placeholdersLeft;
            const std::size_t take = placeholdersLeft == 0 ? left : std::min<std::size_t>(left, 1);
            wholeOut[i] = whole.substr(left - take, take);
            left -= take;
        } else if (t.kind == NumberToken::Literal || t.kind == NumberToken::Percent) {
            wholeOut[i] = t.text;
        }
    }
    std::string out;
    for (const std::string& piece : wholeOut) out += piece;
    if (point < tokens.size()) {
        if (wholePlaceholders == 0) out += whole;
        out += '.';
        std::size_t next = 0;
        for (std::size_t i = point + 1; i < tokens.size(); ++i) {
            const NumberToken& t = tokens[i];
            if (isPlaceholder(t)) {
                if (next < fraction.size()) out += fraction[next++];
            } else if (t.kind == NumberToken::Literal || t.kind == NumberToken::Percent) {
                out += t.text;
            }
        }
    }
    return out;
}

std::string formatNumber(double value, std::string_view pattern) {
    if (!std::isfinite(value)) return CStr(value);
    const std::vector<std::string_view> parts = sections(pattern);
    bool isZero = false;
    if (value < 0 && parts.size() >= 2 && !parts[1].empty()) return formatSection(-value, parts[1], isZero);
    if (value == 0 && parts.size() >= 3 && !parts[2].empty()) return formatSection(0, parts[2], isZero);
    std::string out = formatSection(std::fabs(value), parts[0], isZero);
    return (value < 0 && !isZero) ? "-" + out : out;
}

// ---------------------------------------------------------------------------
// Dates

constexpr std::array<const char*, 12> kMonths = {"January", "February", "March",     "April",   "May",      "June",
                                                 "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<const char*, 7> kDays = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday",
                                              "Saturday"};

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return (m == 2 && isLeap(y)) ? 29 : days[m - 1];
}

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
long daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(long z, int& y, int& m, int& d) {
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

const long kZeroDate = daysFromCivil(1899, 12, 30);

// Days since the zero date 12/30/1899.
long serialDays(const DateTime& t) { return daysFromCivil(t.year, t.month, t.day) - kZeroDate; }

double toSerial(const DateTime& t) {
    const long days = serialDays(t);
    const double time = (t.hour * 3600.0 + t.minute * 60.0 + t.second) / 86400.0;
    return days >= 0 ? days + time : days - time;  // the original counts the time away from the zero date
}

DateTime fromSerial(double serial) {
    // The original's dates run from 1/1/100 to 12/31/9999.
    if (!(serial > -657435.0 && serial < 2958466.0)) raise(err::Overflow);
    long days = static_cast<long>(std::trunc(serial));
    long seconds = std::lround(std::fabs(serial - static_cast<double>(days)) * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        days += serial < 0 ? -1 : 1;
    }
    DateTime t;
    civilFromDays(days + kZeroDate, t.year, t.month, t.day);
    t.hour = static_cast<int>(seconds / 3600);
    t.minute = static_cast<int>(seconds / 60 % 60);
    t.second = static_cast<int>(seconds % 60);
    return t;
}

int weekday(const DateTime& t) {  // 1 = Sunday
    const long days = serialDays(t);  // the zero date was a Saturday
    return static_cast<int>(((days % 7) + 7 + 6) % 7) + 1;
}

int dayOfYear(const DateTime& t) {
    return static_cast<int>(daysFromCivil(t.year, t.month, t.day) - daysFromCivil(t.year, 1, 1)) + 1;
}

std::string timeOfDay12(const DateTime& t) {
    const int h12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
    return std::to_string(h12) + ":" + twoDigits(t.minute) + ":" + twoDigits(t.second) + (t.hour < 12 ? " AM" : " PM");
}

std::string shortDate(const DateTime& t) {
    return std::to_string(t.month) + "/" + std::to_string(t.day) + "/" + padded(t.year, 4);
}

struct DateToken {
    enum Kind { Literal, Day, Month, Minute, Year, Hour, Second, Weekday, Week, Quarter, AmPm, General, LongTime } kind;
    int count = 0;      // letters in the run (dd = 2)
    std::string text;   // literal text, or the AM/PM spelling
};

std::vector<DateToken> dateTokens(std::string_view p) {
    std::vector<DateToken> tokens;
    auto run = [&](std::size_t i) {
        std::size_t n = 1;
        while (i + n < p.size() && lower(p[i + n]) == lower(p[i])) ++n;
        return n;
    };
    for (std::size_t i = 0; i < p.size();) {
        std::string lit;
        if (readLiteral(p, i, lit)) {
            tokens.push_back({DateToken::Literal, 0, lit});
            continue;
        }
        if (startsWithNoCase(p, i, "AM/PM") || startsWithNoCase(p, i, "A/P")) {
            const std::size_t len = lower(p[i + 1]) == 'm' ? 5 : 3;
            tokens.push_back({DateToken::AmPm, 0, std::string(p.substr(i, len))});
            i += len;
            continue;
        }
        if (startsWithNoCase(p, i, "AMPM")) {
            tokens.push_back({DateToken::AmPm, 0, "AM/PM"});
            i += 4;
            continue;
        }
        const std::size_t n = run(i);
        const int count = static_cast<int>(n);
        switch (lower(p[i])) {
        case 'd': tokens.push_back({DateToken::Day, count, {}}); break;
        case 'm': tokens.push_back({DateToken::Month, count, {}}); break;
        case 'y': tokens.push_back({DateToken::Year, count, {}}); break;
        case 'h': tokens.push_back({DateToken::Hour, count, {}}); break;
        case 'n': tokens.push_back({DateToken::Minute, count, {}}); break;
        case 's': tokens.push_back({DateToken::Second, count, {}}); break;
        case 'w': tokens.push_back({count >= 2 ? DateToken::Week : DateToken::Weekday, count, {}}); break;
        case 'q': tokens.push_back({DateToken::Quarter, count, {}}); break;
        case 'c': tokens.push_back({DateToken::General, count, {}}); break;
        case 't':
            if (n >= 5) {
                tokens.push_back({DateToken::LongTime, count, {}});
            } else {
                tokens.push_back({DateToken::Literal, 0, std::string(p.substr(i, n))});
            }
            break;
        default: tokens.push_back({DateToken::Literal, 0, std::string(p.substr(i, n))}); break;
        }
        i += n;
    }
    // "m" right after an hour, or right before a second, is the minute.
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].kind != DateToken::Month || tokens[i].count > 2) continue;
        bool afterHour = false;
        for (std::size_t k = i; k-- > 0;) {
            if (tokens[k].kind == DateToken::Literal) continue;
            afterHour = tokens[k].kind == DateToken::Hour;
            break;
        }
        bool beforeSecond = false;
        for (std::size_t k = i + 1; k < tokens.size(); ++k) {
            if (tokens[k].kind == DateToken::Literal) continue;
            beforeSecond = tokens[k].kind == DateToken::Second;
            break;
        }
        if (afterHour || beforeSecond) tokens[i].kind = DateToken::Minute;
    }
    return tokens;
}

// True when the tokens show a clock only (hours, minutes, seconds, no AM/PM):
// the only patterns that can show an elapsed time of 24 hours or more.
bool isClockOnly(const std::vector<DateToken>& tokens) {
    for (const DateToken& t : tokens) {
        if (t.kind != DateToken::Literal && t.kind != DateToken::Hour && t.kind != DateToken::Minute &&
            t.kind != DateToken::Second) {
            return false;
        }
    }
    return true;
}

std::string formatDate(const DateTime& t, const std::vector<DateToken>& tokens) {
    if (t.month < 1 || t.month > 12) raise(err::InvalidProcedureCall);
    bool twelveHour = false;
    for (const DateToken& tok : tokens) twelveHour = twelveHour || tok.kind == DateToken::AmPm;
    std::string out;
    for (const DateToken& tok : tokens) {
        const int n = tok.count;
        switch (tok.kind) {
        case DateToken::Literal: out += tok.text; break;
        case DateToken::Day:
            if (n == 1) out += std::to_string(t.day);
            else if (n == 2) out += twoDigits(t.day);
            else if (n == 3) out += std::string(kDays[weekday(t) - 1]).substr(0, 3);
            else if (n == 4) out += kDays[weekday(t) - 1];
            else if (n == 5) out += shortDate(t);
            else out += std::string(kDays[weekday(t) - 1]) + ", " + kMonths[t.month - 1] + " " + twoDigits(t.day) +
                        ", " + padded(t.year, 4);
            break;
        case DateToken::Month:
            if (n == 1) out += std::to_string(t.month);
            else if (n == 2) out += twoDigits(t.month);
            else if (n == 3) out += std::string(kMonths[t.month - 1]).substr(0, 3);
            else out += kMonths[t.month - 1];
            break;
        case DateToken::Year:
            if (n == 1) out += std::to_string(dayOfYear(t));
            else if (n <= 3) out += twoDigits(t.year % 100);
            else out += padded(t.year, 4);
            break;
        case DateToken::Hour: {
            const int h = twelveHour ? (t.hour % 12 == 0 ? 12 : t.hour % 12) : t.hour;
            out += n == 1 ? std::to_string(h) : twoDigits(h);
            break;
        }
        case DateToken::Minute: out += n == 1 ? std::to_string(t.minute) : twoDigits(t.minute); break;
        case DateToken::Second: out += n == 1 ? std::to_string(t.second) : twoDigits(t.second); break;
        case DateToken::Weekday: out += std::to_string(weekday(t)); break;
        case DateToken::Week: {
            DateTime jan1 = t;
            jan1.month = 1;
            jan1.day = 1;
            out += std::to_string((dayOfYear(t) + weekday(jan1) - 2) / 7 + 1);
            break;
        }
        case DateToken::Quarter: out += std::to_string((t.month - 1) / 3 + 1); break;
        case DateToken::AmPm: {
            const bool am = t.hour < 12;
            const std::string& s = tok.text;  // "AM/PM", "am/pm", "A/P", "a/p" as written
            const std::size_t slash = s.find('/');
            out += am ? s.substr(0, slash) : s.substr(slash + 1);
            break;
        }
        case DateToken::General: out += GeneralDate(t); break;
        case DateToken::LongTime: out += timeOfDay12(t); break;
        }
    }
    return out;
}

// ---------------------------------------------------------------------------
// Reading a date or a time from text: "M/D/YYYY", "YYYY-MM-DD", "h:m[:s]"
// with an optional AM/PM, or a date and a time separated by blanks. A time
// without a date and without AM/PM may run to 24 hours or more (an elapsed
// clock such as "25:0:1").

std::optional<int> readInt(std::string_view s, std::size_t& i, std::size_t maxDigits) {
    std::size_t start = i;
    int v = 0;
    while (i < s.size() && isDigit(s[i]) && i - start < maxDigits) v = v * 10 + (s[i++] - '0');
    if (i == start) return std::nullopt;
    return v;
}

void skipBlanks(std::string_view s, std::size_t& i) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
}

bool readDate(std::string_view s, std::size_t& i, DateTime& t) {
    std::size_t k = i;
    const auto a = readInt(s, k, 4);
    const std::size_t firstLen = k - i;
    if (!a || k >= s.size() || (s[k] != '/' && s[k] != '-')) return false;
    const char sep = s[k++];
    const auto b = readInt(s, k, 2);
    if (!b || k >= s.size() || s[k] != sep) return false;
    ++k;
    const std::size_t yearStart = k;
    const auto c = readInt(s, k, 4);
    if (!c) return false;
    int year, month, day;
    if (firstLen > 2) {  // year first: YYYY-MM-DD or YYYY/MM/DD
        year = *a;
        month = *b;
        day = *c;
    } else {
        month = *a;
        day = *b;
        year = *c;
        if (k - yearStart <= 2) year += year < 30 ? 2000 : 1900;
    }
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month)) return false;
    t.year = year;
    t.month = month;
    t.day = day;
    i = k;
    return true;
}

// Reads "h:m[:s] [AM|PM|A|P]"; `elapsed` allows hours beyond 23 when there is no AM/PM.
bool readTime(std::string_view s, std::size_t& i, DateTime& t, bool elapsed) {
    std::size_t k = i;
    const auto h = readInt(s, k, 6);
    if (!h || k >= s.size() || s[k] != ':') return false;
    ++k;
    const auto m = readInt(s, k, 2);
    if (!m) return false;
    int sec = 0;
    if (k < s.size() && s[k] == ':') {
        ++k;
        const auto sv = readInt(s, k, 2);
        if (!sv) return false;
        sec = *sv;
    }
    std::size_t after = k;
    skipBlanks(s, after);
    int hour = *h;
    bool meridiem = false;
    for (const char* mark : {"AM", "PM", "A", "P"}) {
        if (startsWithNoCase(s, after, mark)) {
            const std::size_t len = std::string_view(mark).size();
            if (hour > 12) return false;
            const bool pm = lower(mark[0]) == 'p';
            hour = hour % 12 + (pm ? 12 : 0);
            k = after + len;
            meridiem = true;
            break;
        }
    }
    if (*m > 59 || sec > 59) return false;
    if (hour > 23 && (meridiem || !elapsed)) return false;
    t.hour = hour;
    t.minute = *m;
    t.second = sec;
    i = k;
    return true;
}

std::optional<DateTime> parseDateTime(std::string_view text) {
    std::size_t i = 0;
    skipBlanks(text, i);
    DateTime t;
    const bool date = readDate(text, i, t);
    if (date) skipBlanks(text, i);
    const bool time = i < text.size() && readTime(text, i, t, !date);
    skipBlanks(text, i);
    if ((!date && !time) || i != text.size()) return std::nullopt;
    return t;
}

}  // namespace

// ---------------------------------------------------------------------------

DateTime DateTime::fromTimePoint(std::chrono::system_clock::time_point tp) {
    const auto secs = std::chrono::floor<std::chrono::seconds>(tp);
    const std::time_t tt = static_cast<std::time_t>(secs.time_since_epoch().count());
    std::tm tm{};
    localtime_r(&tt, &tm);
    DateTime t;
    t.year = tm.tm_year + 1900;
    t.month = tm.tm_mon + 1;
    t.day = tm.tm_mday;
    t.hour = tm.tm_hour;
    t.minute = tm.tm_min;
    t.second = std::min(tm.tm_sec, 59);  // a leap second shows as :59
    return t;
}

DateTime DateTime::now() { return fromTimePoint(std::chrono::system_clock::now()); }

std::string GeneralDate(const DateTime& value) {
    const bool zeroDate = value.year == 1899 && value.month == 12 && value.day == 30;
    const bool midnight = value.hour == 0 && value.minute == 0 && value.second == 0;
    if (zeroDate) return timeOfDay12(value);
    if (midnight) return shortDate(value);
    return shortDate(value) + " " + timeOfDay12(value);
}

std::string Format(double value, std::string_view pattern) {
    if (pattern.empty() || EqualsNoCase(pattern, "General Number")) return CStr(value);
    if (isDatePattern(pattern)) return Format(fromSerial(value), pattern);
    return formatNumber(value, pattern);
}

std::string Format(const DateTime& value, std::string_view pattern) {
    if (pattern.empty() || EqualsNoCase(pattern, "General Date")) return GeneralDate(value);
    if (!isDatePattern(pattern)) return Format(toSerial(value), pattern);
    return formatDate(value, dateTokens(pattern));
}

std::string Format(std::string_view text, std::string_view pattern) {
    if (pattern.empty()) return std::string(text);
    if (IsNumeric(text)) return Format(CDbl(text), pattern);
    if (!isDatePattern(pattern)) return std::string(text);
    const std::optional<DateTime> t = parseDateTime(text);
    if (!t) return std::string(text);
    if (t->hour > 23) {
        // An elapsed clock past a day is no time of day: only a clock pattern
        // shows it, with its hours as they are.
        const std::vector<DateToken> tokens = dateTokens(pattern);
        if (EqualsNoCase(pattern, "General Date") || !isClockOnly(tokens)) return std::string(text);
        return formatDate(*t, tokens);
    }
    return Format(*t, pattern);
}

}  // namespace runtime
