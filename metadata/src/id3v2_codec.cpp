#include "id3v2_codec.hpp"

#include <vector>

#include "runtime/strings.hpp"

namespace metadata::id3v2 {

namespace {

unsigned byteAt(std::string_view b, std::size_t i) { return static_cast<unsigned char>(b[i]); }

bool isUtf16(int encoding) { return encoding == Utf16 || encoding == Utf16BE; }

// One UTF-16 string (no terminator in it). `bigEndian` is the byte order to
// assume without a BOM; a BOM at the start overrides it, and the order found
// is handed back for the strings that follow.
void decodeUtf16(std::string_view b, bool& bigEndian, std::string& out) {
    std::size_t i = 0;
    if (b.size() >= 2) {
        unsigned b0 = byteAt(b, 0), b1 = byteAt(b, 1);
        if (b0 == 0xFF && b1 == 0xFE) {
            bigEndian = false;
            i = 2;
        } else if (b0 == 0xFE && b1 == 0xFF) {
            bigEndian = true;
            i = 2;
        }
    }
    char32_t pendingHigh = 0;
    for (; i + 1 < b.size(); i += 2) {
        char32_t u = bigEndian ? (byteAt(b, i) << 8 | byteAt(b, i + 1)) : (byteAt(b, i + 1) << 8 | byteAt(b, i));
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (pendingHigh) runtime::AppendUtf8(out, 0xFFFD);
            pendingHigh = u;
            continue;
        }
        if (u >= 0xDC00 && u <= 0xDFFF) {
            if (pendingHigh) {
                runtime::AppendUtf8(out, 0x10000 + ((pendingHigh - 0xD800) << 10) + (u - 0xDC00));
                pendingHigh = 0;
            } else {
                runtime::AppendUtf8(out, 0xFFFD);
            }
            continue;
        }
        if (pendingHigh) {
            runtime::AppendUtf8(out, 0xFFFD);
            pendingHigh = 0;
        }
        runtime::AppendUtf8(out, u);
    }
    if (pendingHigh) runtime::AppendUtf8(out, 0xFFFD);
}

void decodeOne(std::string_view b, int encoding, bool& bigEndian, std::string& out) {
    switch (encoding) {
    case Utf16:
    case Utf16BE: decodeUtf16(b, bigEndian, out); break;
    case Utf8:
        for (char32_t cp : runtime::ToCodePoints(b)) runtime::AppendUtf8(out, cp);
        break;
    default:
        // Windows-1252; ASCII, by far the most common, is copied as it is.
        for (std::size_t i = 0; i < b.size();) {
            std::size_t run = i;
            while (run < b.size() && byteAt(b, run) < 0x80) ++run;
            out.append(b.data() + i, run - i);
            if (run < b.size()) runtime::AppendUtf8(out, runtime::cp1252::codePointOf(static_cast<unsigned char>(b[run++])));
            i = run;
        }
        break;
    }
}

void appendUtf16Le(std::string& out, char32_t cp) {
    auto unit = [&](unsigned u) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    };
    if (cp >= 0x10000) {
        cp -= 0x10000;
        unit(0xD800 + (cp >> 10));
        unit(0xDC00 + (cp & 0x3FF));
    } else {
        unit(cp);
    }
}

}  // namespace

std::uint32_t be24(std::string_view b, std::size_t at) {
    return byteAt(b, at) << 16 | byteAt(b, at + 1) << 8 | byteAt(b, at + 2);
}

std::uint32_t be32(std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(byteAt(b, at)) << 24 | byteAt(b, at + 1) << 16 | byteAt(b, at + 2) << 8 |
           byteAt(b, at + 3);
}

std::uint32_t syncsafe32(std::string_view b, std::size_t at) {
    return (byteAt(b, at) & 0x7F) << 21 | (byteAt(b, at + 1) & 0x7F) << 14 | (byteAt(b, at + 2) & 0x7F) << 7 |
           (byteAt(b, at + 3) & 0x7F);
}

void putBe32(std::string& out, std::uint32_t v) {
    out += static_cast<char>(v >> 24);
    out += static_cast<char>((v >> 16) & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
    out += static_cast<char>(v & 0xFF);
}

void putSyncsafe32(std::string& out, std::uint32_t v) {
    out += static_cast<char>((v >> 21) & 0x7F);
    out += static_cast<char>((v >> 14) & 0x7F);
    out += static_cast<char>((v >> 7) & 0x7F);
    out += static_cast<char>(v & 0x7F);
}

std::string resynchronise(std::string_view b) {
    std::string out;
    out.reserve(b.size());
    for (std::size_t i = 0; i < b.size(); ++i) {
        out += b[i];
        if (byteAt(b, i) == 0xFF && i + 1 < b.size() && b[i + 1] == '\0') ++i;
    }
    return out;
}

std::size_t terminatorLength(int encoding) { return isUtf16(encoding) ? 2 : 1; }

std::size_t findTerminator(std::string_view b, std::size_t from, int encoding) {
    if (!isUtf16(encoding)) {
        std::size_t p = b.find('\0', from);
        return p;
    }
    for (std::size_t i = from; i + 1 < b.size(); i += 2)
        if (b[i] == '\0' && b[i + 1] == '\0') return i;
    return std::string_view::npos;
}

std::string decode(std::string_view b, int encoding) {
    std::string out;
    bool bigEndian = encoding == Utf16BE;
    std::size_t pos = 0;
    const std::size_t term = terminatorLength(encoding);
    for (;;) {
        std::size_t end = findTerminator(b, pos, encoding);
        if (end == std::string_view::npos) {
            decodeOne(b.substr(pos), encoding, bigEndian, out);
            return out;
        }
        decodeOne(b.substr(pos, end - pos), encoding, bigEndian, out);
        out += '\0';
        pos = end + term;
    }
}

std::string removeNuls(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        std::size_t nul = s.find('\0', i);
        if (nul == std::string_view::npos) nul = s.size();
        out.append(s.data() + i, nul - i);
        i = nul + 1;
    }
    return out;
}

bool fitsLatin1(std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        unsigned c = byteAt(utf8, i);
        if (c < 0x80) continue;
        // U+00A0..U+00FF are C2 A0..C2 BF and C3 80..C3 BF.
        if (i + 1 < utf8.size() && ((c == 0xC2 && byteAt(utf8, i + 1) >= 0xA0 && byteAt(utf8, i + 1) <= 0xBF) ||
                                    (c == 0xC3 && byteAt(utf8, i + 1) >= 0x80 && byteAt(utf8, i + 1) <= 0xBF))) {
            ++i;
            continue;
        }
        return false;
    }
    return true;
}

int encodingFor(std::string_view utf8) { return fitsLatin1(utf8) ? Latin1 : Utf16; }

std::string encode(std::string_view utf8, int encoding) {
    std::string out;
    if (encoding == Latin1) {
        out.reserve(utf8.size());
        for (char32_t cp : runtime::ToCodePoints(utf8)) out += static_cast<char>(cp < 0x100 ? cp : '?');
        return out;
    }
    std::vector<char32_t> cps = runtime::ToCodePoints(utf8);
    out.reserve(cps.size() * 2 + 2);
    bool startOfString = true;
    for (std::size_t i = 0; i < cps.size(); ++i) {
        if (cps[i] == 0) {
            if (startOfString) out += "\xFF\xFE";
            out += std::string(2, '\0');
            startOfString = true;
            continue;
        }
        if (startOfString) out += "\xFF\xFE";
        startOfString = false;
        appendUtf16Le(out, cps[i]);
    }
    // The first string always carries its BOM, even when empty; an empty
    // string after the last terminator is not written at all.
    if (cps.empty()) out += "\xFF\xFE";
    return out;
}

std::string latin1OrPercent(std::string_view utf8) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    out.reserve(utf8.size());
    for (char32_t cp : runtime::ToCodePoints(utf8)) {
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out += static_cast<char>(cp);
            continue;
        }
        std::string bytes;
        runtime::AppendUtf8(bytes, cp);
        for (unsigned char c : bytes) {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0x0F];
        }
    }
    return out;
}

bool isValidFrameId(std::string_view id) {
    if (id.empty()) return false;
    for (char c : id)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    return true;
}

}  // namespace metadata::id3v2
