#include "runtime/strings.hpp"

#include <algorithm>
#include <array>

#include "runtime/error.hpp"

namespace runtime {

namespace {

// ---------------------------------------------------------------------------
// UTF-8 decoding. A byte that does not start a well-formed sequence counts as
// one character of its own. Inside the string functions such a byte is kept
// as the "escape" unit 0xDC00 + byte (a lone surrogate, which well-formed
// UTF-8 never yields), so Mid, Replace and the like pass it through unchanged
// instead of losing it.

struct Decoded {
    char32_t cp;       // the code point, or U+FFFD for a stray byte
    std::size_t len;   // bytes taken (1 for a stray byte)
    bool valid;
};

Decoded decodeAt(std::string_view s, std::size_t i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) return {b0, 1, true};
    std::size_t need;
    char32_t cp;
    char32_t min;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        need = 1; cp = b0 & 0x1F; min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        need = 2; cp = b0 & 0x0F; min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        need = 3; cp = b0 & 0x07; min = 0x10000;
    } else {
        return {0xFFFD, 1, false};
    }
    if (i + need >= s.size()) return {0xFFFD, 1, false};
    for (std::size_t k = 1; k <= need; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return {0xFFFD, 1, false};
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {0xFFFD, 1, false};
    return {cp, need + 1, true};
}

constexpr char32_t kEscapeBase = 0xDC00;

bool isEscape(char32_t u) { return u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF; }

// The characters of the text as units: code points, stray bytes escaped.
std::u32string units(std::string_view s) {
    std::u32string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const Decoded d = decodeAt(s, i);
        out.push_back(d.valid ? d.cp : kEscapeBase + static_cast<unsigned char>(s[i]));
        i += d.len;
    }
    return out;
}

void appendUnit(std::string& out, char32_t u) {
    if (isEscape(u)) {
        out.push_back(static_cast<char>(u - kEscapeBase));
    } else {
        AppendUtf8(out, u);
    }
}

std::string fromUnits(std::u32string_view u) {
    std::string out;
    out.reserve(u.size());
    for (char32_t c : u) appendUnit(out, c);
    return out;
}

// Byte offset after the first `count` characters (the end when shorter).
std::size_t byteOffset(std::string_view s, long count) {
    std::size_t i = 0;
    for (long n = 0; n < count && i < s.size(); ++n) i += decodeAt(s, i).len;
    return i;
}

// ---------------------------------------------------------------------------
// Case mapping, fixed tables independent of the process locale: ASCII,
// Latin-1 Supplement, Latin Extended-A, Greek, Cyrillic, Armenian and Latin
// Extended Additional. One character always maps to one character, so
// positions found in folded text are positions in the original.

bool inRange(char32_t c, char32_t lo, char32_t hi) { return c >= lo && c <= hi; }
bool isEven(char32_t c) { return (c & 1U) == 0; }

char32_t upperOf(char32_t c) {
    if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 32 : c;
    if (c < 0x100) {
        if (inRange(c, 0xE0, 0xFE) && c != 0xF7) return c - 32;
        if (c == 0xFF) return 0x178;
        return c;
    }
    if (c < 0x180) {
        if (c == 0x131) return 'I';
        if (c == 0x17F) return 'S';
        if (inRange(c, 0x100, 0x137) && c != 0x130 && !isEven(c)) return c - 1;
        if (inRange(c, 0x139, 0x148) && isEven(c)) return c - 1;
        if (inRange(c, 0x14A, 0x177) && !isEven(c)) return c - 1;
        if (inRange(c, 0x179, 0x17E) && isEven(c)) return c - 1;
        return c;
    }
    if (inRange(c, 0x370, 0x3FF)) {
        if (c == 0x3C2) return 0x3A3;  // final sigma
        if (inRange(c, 0x3B1, 0x3CB)) return c - 32;
        if (c == 0x3AC) return 0x386;
        if (inRange(c, 0x3AD, 0x3AF)) return c - 37;
        if (c == 0x3CC) return 0x38C;
        if (c == 0x3CD || c == 0x3CE) return c - 63;
        if (inRange(c, 0x3D9, 0x3EF) && !isEven(c)) return c - 1;
        return c;
    }
    if (inRange(c, 0x400, 0x52F)) {
        if (inRange(c, 0x430, 0x44F)) return c - 32;
        if (inRange(c, 0x450, 0x45F)) return c - 80;
        if (inRange(c, 0x461, 0x481) && !isEven(c)) return c - 1;
        if (inRange(c, 0x48B, 0x4BF) && !isEven(c)) return c - 1;
        if (c == 0x4CF) return 0x4C0;
        if (inRange(c, 0x4C2, 0x4CE) && isEven(c)) return c - 1;
        if (inRange(c, 0x4D1, 0x52F) && !isEven(c)) return c - 1;
        return c;
    }
    if (inRange(c, 0x561, 0x586)) return c - 48;
    if ((inRange(c, 0x1E01, 0x1E95) || inRange(c, 0x1EA1, 0x1EFF)) && !isEven(c)) return c - 1;
    return c;
}

char32_t lowerOf(char32_t c) {
    if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    if (c < 0x100) return (inRange(c, 0xC0, 0xDE) && c != 0xD7) ? c + 32 : c;
    if (c < 0x180) {
        if (c == 0x130) return 'i';
        if (c == 0x178) return 0xFF;
        if (inRange(c, 0x100, 0x137) && c != 0x131 && isEven(c)) return c + 1;
        if (inRange(c, 0x139, 0x148) && !isEven(c)) return c + 1;
        if (inRange(c, 0x14A, 0x177) && isEven(c)) return c + 1;
        if (inRange(c, 0x179, 0x17E) && !isEven(c)) return c + 1;
        return c;
    }
    if (inRange(c, 0x370, 0x3FF)) {
        if (inRange(c, 0x391, 0x3AB) && c != 0x3A2) return c + 32;
        if (c == 0x386) return 0x3AC;
        if (inRange(c, 0x388, 0x38A)) return c + 37;
        if (c == 0x38C) return 0x3CC;
        if (c == 0x38E || c == 0x38F) return c + 63;
        if (inRange(c, 0x3D8, 0x3EE) && isEven(c)) return c + 1;
        return c;
    }
    if (inRange(c, 0x400, 0x52F)) {
        if (inRange(c, 0x410, 0x42F)) return c + 32;
        if (inRange(c, 0x400, 0x40F)) return c + 80;
        if (inRange(c, 0x460, 0x480) && isEven(c)) return c + 1;
        if (inRange(c, 0x48A, 0x4BE) && isEven(c)) return c + 1;
        if (c == 0x4C0) return 0x4CF;
        if (inRange(c, 0x4C1, 0x4CD) && !isEven(c)) return c + 1;
        if (inRange(c, 0x4D0, 0x52E) && isEven(c)) return c + 1;
        return c;
    }
    if (inRange(c, 0x531, 0x556)) return c + 48;
    if (c == 0x1E9E) return 0xDF;  // capital sharp s
    if ((inRange(c, 0x1E00, 0x1E94) || inRange(c, 0x1EA0, 0x1EFE)) && isEven(c)) return c + 1;
    return c;
}

template <typename Map>
std::string mapChars(std::string_view s, Map map) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const Decoded d = decodeAt(s, i);
        if (d.valid) {
            AppendUtf8(out, map(d.cp));
        } else {
            out.push_back(s[i]);
        }
        i += d.len;
    }
    return out;
}

std::u32string fold(std::u32string u) {
    for (char32_t& c : u) c = lowerOf(c);
    return u;
}

void requireNonNegative(long n) {
    if (n < 0) raise(err::InvalidProcedureCall);
}

// A repeat count for Space and String: negative is error 5, more than the
// original's longest string (2^31 - 1 characters) is error 7.
void requireRepeatCount(long n) {
    requireNonNegative(n);
    if (n > 0x7FFFFFFFL) raise(err::OutOfMemory);
}

// ---------------------------------------------------------------------------
// Windows-1252: the codes 0x80-0x9F; the rest equal their code point.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

// ---------------------------------------------------------------------------
// UTF-8 helpers

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const Decoded d = decodeAt(bytes, i);
        if (!d.valid) return false;
        i += d.len;
    }
    return true;
}

std::vector<char32_t> ToCodePoints(std::string_view utf8) {
    std::vector<char32_t> out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const Decoded d = decodeAt(utf8, i);
        out.push_back(d.cp);
        i += d.len;
    }
    return out;
}

std::string FromCodePoints(const std::vector<char32_t>& cps) {
    std::string out;
    out.reserve(cps.size());
    for (char32_t cp : cps) AppendUtf8(out, cp);
    return out;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// ---------------------------------------------------------------------------
// Lengths and pieces

long Len(std::string_view s) {
    long n = 0;
    for (std::size_t i = 0; i < s.size(); ++n) i += decodeAt(s, i).len;
    return n;
}

std::string Left(std::string_view s, long length) {
    requireNonNegative(length);
    return std::string(s.substr(0, byteOffset(s, length)));
}

std::string Right(std::string_view s, long length) {
    requireNonNegative(length);
    const long n = Len(s);
    if (length >= n) return std::string(s);
    return std::string(s.substr(byteOffset(s, n - length)));
}

std::string Mid(std::string_view s, long start) {
    if (start < 1) raise(err::InvalidProcedureCall);
    return std::string(s.substr(byteOffset(s, start - 1)));
}

std::string Mid(std::string_view s, long start, long length) {
    if (start < 1) raise(err::InvalidProcedureCall);
    requireNonNegative(length);
    const std::string_view rest = s.substr(byteOffset(s, start - 1));
    return std::string(rest.substr(0, byteOffset(rest, length)));
}

// ---------------------------------------------------------------------------
// Searching

long InStr(std::string_view haystack, std::string_view needle, Compare cmp) {
    return InStr(1, haystack, needle, cmp);
}

long InStr(long start, std::string_view haystack, std::string_view needle, Compare cmp) {
    if (start < 1) raise(err::InvalidProcedureCall);
    std::u32string hay = units(haystack);
    if (hay.empty() || static_cast<std::size_t>(start) > hay.size()) return 0;
    if (needle.empty()) return start;
    std::u32string pin = units(needle);
    if (cmp == Compare::Text) {
        hay = fold(std::move(hay));
        pin = fold(std::move(pin));
    }
    const std::size_t at = hay.find(pin, static_cast<std::size_t>(start - 1));
    return at == std::u32string::npos ? 0 : static_cast<long>(at) + 1;
}

long InStrRev(std::string_view haystack, std::string_view needle, long start, Compare cmp) {
    if (start == 0 || start < -1) raise(err::InvalidProcedureCall);
    std::u32string hay = units(haystack);
    if (start == -1) start = static_cast<long>(hay.size());
    if (hay.empty() || static_cast<std::size_t>(start) > hay.size()) return 0;
    if (needle.empty()) return start;
    std::u32string pin = units(needle);
    if (pin.size() > static_cast<std::size_t>(start)) return 0;
    if (cmp == Compare::Text) {
        hay = fold(std::move(hay));
        pin = fold(std::move(pin));
    }
    // The match has to lie wholly within the first `start` characters.
    const std::size_t at = hay.rfind(pin, static_cast<std::size_t>(start) - pin.size());
    return at == std::u32string::npos ? 0 : static_cast<long>(at) + 1;
}

// ---------------------------------------------------------------------------
// Case

std::string LCase(std::string_view s) { return mapChars(s, lowerOf); }
std::string UCase(std::string_view s) { return mapChars(s, upperOf); }

std::string ProperCase(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    bool wordStart = true;
    for (std::size_t i = 0; i < s.size();) {
        const Decoded d = decodeAt(s, i);
        if (!d.valid) {
            out.push_back(s[i]);  // a stray byte passes unchanged and is part of its word
            wordStart = false;
        } else {
            const char32_t c = d.cp;
            const bool separator = c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
                                   c == '\r' || c == '\0';
            AppendUtf8(out, separator ? c : (wordStart ? upperOf(c) : lowerOf(c)));
            wordStart = separator;
        }
        i += d.len;
    }
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) { return LCase(a) == LCase(b); }

// ---------------------------------------------------------------------------
// Trimming, splitting, replacing

std::string LTrim(std::string_view s) {
    const std::size_t first = s.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string() : std::string(s.substr(first));
}

std::string RTrim(std::string_view s) {
    const std::size_t last = s.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string() : std::string(s.substr(0, last + 1));
}

std::string Trim(std::string_view s) { return LTrim(RTrim(s)); }

std::string TrimAtNul(std::string_view s) { return std::string(s.substr(0, s.find('\0'))); }

std::vector<std::string> Split(std::string_view s, std::string_view delimiter) {
    std::vector<std::string> items;
    if (s.empty()) return items;
    if (delimiter.empty()) {
        items.emplace_back(s);
        return items;
    }
    const std::u32string hay = units(s);
    const std::u32string pin = units(delimiter);
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = hay.find(pin, from);
        if (at == std::u32string::npos) break;
        items.push_back(fromUnits(std::u32string_view(hay).substr(from, at - from)));
        from = at + pin.size();
    }
    items.push_back(fromUnits(std::u32string_view(hay).substr(from)));
    return items;
}

std::string Join(const std::vector<std::string>& items, std::string_view delimiter) {
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out.append(delimiter);
        out.append(items[i]);
    }
    return out;
}

std::string Replace(std::string_view s, std::string_view find, std::string_view with, Compare cmp) {
    if (s.empty() || find.empty()) return std::string(s);
    const std::u32string hay = units(s);
    std::u32string look = hay;
    std::u32string pin = units(find);
    if (cmp == Compare::Text) {
        look = fold(std::move(look));
        pin = fold(std::move(pin));
    }
    std::string out;
    out.reserve(s.size());
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = look.find(pin, from);
        if (at == std::u32string::npos) break;
        out += fromUnits(std::u32string_view(hay).substr(from, at - from));
        out.append(with);
        from = at + pin.size();
    }
    out += fromUnits(std::u32string_view(hay).substr(from));
    return out;
}

std::string StrReverse(std::string_view s) {
    std::u32string u = units(s);
    std::reverse(u.begin(), u.end());
    return fromUnits(u);
}

// ---------------------------------------------------------------------------
// Characters and codes

std::string Chr(long code) {
    if (code < 0 || code > 255) raise(err::InvalidProcedureCall);
    std::string out;
    AppendUtf8(out, cp1252::codePointOf(static_cast<unsigned char>(code)));
    return out;
}

std::string ChrW(long codePoint) {
    if (codePoint >= -32768 && codePoint < 0) codePoint += 65536;  // the original's signed form
    if (codePoint < 0 || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        raise(err::InvalidProcedureCall);
    }
    std::string out;
    AppendUtf8(out, static_cast<char32_t>(codePoint));
    return out;
}

int Asc(std::string_view s) {
    if (s.empty()) raise(err::InvalidProcedureCall);
    const Decoded d = decodeAt(s, 0);
    if (!d.valid) return '?';
    const int code = cp1252::codeOf(d.cp);
    return code < 0 ? '?' : code;
}

long AscW(std::string_view s) {
    if (s.empty()) raise(err::InvalidProcedureCall);
    return static_cast<long>(decodeAt(s, 0).cp);
}

std::string Space(long count) {
    requireRepeatCount(count);
    return std::string(static_cast<std::size_t>(count), ' ');
}

std::string String(long count, std::string_view character) {
    requireRepeatCount(count);
    if (character.empty()) raise(err::InvalidProcedureCall);
    const std::string_view one = character.substr(0, decodeAt(character, 0).len);
    std::string out;
    out.reserve(one.size() * static_cast<std::size_t>(count));
    for (long i = 0; i < count; ++i) out.append(one);
    return out;
}

std::string String(long count, int code) {
    requireNonNegative(count);
    if (code < 0) raise(err::InvalidProcedureCall);
    return String(count, Chr(code % 256));
}

// ---------------------------------------------------------------------------
// Windows-1252

namespace cp1252 {

char32_t codePointOf(unsigned char code) {
    return (code >= 0x80 && code <= 0x9F) ? kHigh[code - 0x80] : static_cast<char32_t>(code);
}

int codeOf(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (std::size_t i = 0; i < kHigh.size(); ++i) {
        if (kHigh[i] == cp) return static_cast<int>(0x80 + i);
    }
    return -1;
}

std::string encode(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const Decoded d = decodeAt(utf8, i);
        const int code = d.valid ? codeOf(d.cp) : -1;
        out.push_back(code < 0 ? '?' : static_cast<char>(code));
        i += d.len;
    }
    return out;
}

std::string decode(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char b : bytes) AppendUtf8(out, codePointOf(static_cast<unsigned char>(b)));
    return out;
}

bool canEncode(std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size();) {
        const Decoded d = decodeAt(utf8, i);
        if (!d.valid || codeOf(d.cp) < 0) return false;
        i += d.len;
    }
    return true;
}

}  // namespace cp1252

}  // namespace runtime
