#include "id3v2_frame.hpp"

#include <algorithm>
#include <utility>
#include <vector>

#include "id3v2_codec.hpp"
#include "runtime/error.hpp"
#include "runtime/strings.hpp"

namespace metadata::id3v2 {

namespace {

unsigned byteAt(std::string_view b, std::size_t i) { return static_cast<unsigned char>(b[i]); }

// 2.4 frame flags (status byte, then format byte).
constexpr unsigned kV4Grouping = 0x0040;
constexpr unsigned kV4Compression = 0x0008;
constexpr unsigned kV4Encryption = 0x0004;
constexpr unsigned kV4Unsynchronised = 0x0002;
constexpr unsigned kV4DataLength = 0x0001;
// 2.3 frame flags.
constexpr unsigned kV3Compression = 0x0080;
constexpr unsigned kV3Encryption = 0x0040;
constexpr unsigned kV3Grouping = 0x0020;

// The longest play counter shown in decimal, in bytes without leading zeros.
constexpr std::size_t kMaxCounterBytes = 64;

bool allZero(std::string_view b) {
    return std::all_of(b.begin(), b.end(), [](char c) { return c == '\0'; });
}

// The size of a 2.4 frame. The standard stores it syncsafe, but some writers
// stored a plain number: a byte with its top bit set can only be plain, and
// when the syncsafe reading does not land on a frame, padding or the end while
// the plain one does, the plain one is taken.
std::uint64_t v4FrameSize(std::string_view area, std::size_t pos) {
    const std::uint32_t plain = be32(area, pos + 4);
    const std::uint32_t safe = syncsafe32(area, pos + 4);
    if (byteAt(area, pos + 5) >= 0x80 || byteAt(area, pos + 6) >= 0x80 || byteAt(area, pos + 7) >= 0x80)
        return plain;
    if (plain == safe) return safe;
    const std::uint64_t left = area.size() - pos - 10;
    auto landsWell = [&](std::uint64_t n) {
        if (n > left) return false;
        std::size_t next = pos + 10 + static_cast<std::size_t>(n);
        if (next == area.size() || area[next] == '\0') return true;
        return next + 4 <= area.size() && isValidFrameId(area.substr(next, 4));
    };
    if (!landsWell(safe) && landsWell(plain)) return plain;
    return safe;
}

struct Extras {
    bool ok = true;           // the extra fields fit in the body
    bool compressed = false, encrypted = false, grouped = false, dataLength = false;
    std::string group, method, length;  // the extra fields themselves
    std::size_t dataStart = 0;
};

Extras extrasOf(const RawFrame& f) {
    Extras e;
    std::size_t need = 0;
    if (f.version == 3) {
        e.compressed = f.flags & kV3Compression;
        e.encrypted = f.flags & kV3Encryption;
        e.grouped = f.flags & kV3Grouping;
        need = (e.compressed ? 4 : 0) + (e.encrypted ? 1 : 0) + (e.grouped ? 1 : 0);
    } else if (f.version == 4) {
        e.grouped = f.flags & kV4Grouping;
        e.compressed = f.flags & kV4Compression;
        e.encrypted = f.flags & kV4Encryption;
        e.dataLength = f.flags & kV4DataLength;
        need = (e.grouped ? 1 : 0) + (e.encrypted ? 1 : 0) + (e.dataLength ? 4 : 0);
    }
    if (need > f.body.size()) {
        e.ok = false;
        return e;
    }
    std::size_t p = 0;
    if (f.version == 4) {
        if (e.grouped) e.group = f.body.substr(p++, 1);
        if (e.encrypted) e.method = f.body.substr(p++, 1);
        if (e.dataLength) e.length = f.body.substr(p, 4), p += 4;
    } else if (f.version == 3) {
        if (e.compressed) e.length = f.body.substr(p, 4), p += 4;
        if (e.encrypted) e.method = f.body.substr(p++, 1);
        if (e.grouped) e.group = f.body.substr(p++, 1);
    }
    e.dataStart = p;
    return e;
}

// Text in a 2.4-only encoding (2 or 3) turned into 0 or 1, for the frame
// layouts that carry an encoding byte. Other data is returned unchanged.
std::string textForV23(std::string_view id, std::string_view data) {
    if (data.empty() || id.empty()) return std::string(data);
    const int enc = byteAt(data, 0);
    if (enc != Utf16BE && enc != Utf8) return std::string(data);
    auto recode = [](const std::string& text, int e) { return encode(text, e); };
    std::string out;
    if (id[0] == 'T') {
        std::string text = decode(data.substr(1), enc);
        int e = encodingFor(text);
        out += static_cast<char>(e);
        out += recode(text, e);
        return out;
    }
    if (id == "COMM" || id == "USLT" || id == "USER") {
        if (data.size() < 4) return std::string(data);
        std::string text = decode(data.substr(4), enc);
        int e = encodingFor(text);
        out += static_cast<char>(e);
        out += data.substr(1, 3);
        out += recode(text, e);
        return out;
    }
    if (id == "WXXX") {
        std::size_t t = findTerminator(data, 1, enc);
        if (t == std::string_view::npos) return std::string(data);
        std::string desc = decode(data.substr(1, t - 1), enc);
        int e = encodingFor(desc);
        out += static_cast<char>(e);
        out += recode(desc, e);
        out += std::string(terminatorLength(e), '\0');
        out += data.substr(t + terminatorLength(enc));
        return out;
    }
    if (id == "APIC") {
        std::size_t m = data.find('\0', 1);
        if (m == std::string_view::npos || m + 2 > data.size()) return std::string(data);
        std::size_t t = findTerminator(data, m + 2, enc);
        if (t == std::string_view::npos) return std::string(data);
        std::string desc = decode(data.substr(m + 2, t - m - 2), enc);
        int e = encodingFor(desc);
        out += static_cast<char>(e);
        out += data.substr(1, m + 1);  // MIME type, its terminator and the picture type
        out += recode(desc, e);
        out += std::string(terminatorLength(e), '\0');
        out += data.substr(t + terminatorLength(enc));
        return out;
    }
    if (id == "GEOB") {
        std::size_t m = data.find('\0', 1);
        if (m == std::string_view::npos) return std::string(data);
        std::size_t t1 = findTerminator(data, m + 1, enc);
        if (t1 == std::string_view::npos) return std::string(data);
        std::size_t s2 = t1 + terminatorLength(enc);
        std::size_t t2 = findTerminator(data, s2, enc);
        if (t2 == std::string_view::npos) return std::string(data);
        std::string names = decode(data.substr(m + 1, t1 - m - 1), enc) + '\0' + decode(data.substr(s2, t2 - s2), enc);
        int e = encodingFor(names);
        out += static_cast<char>(e);
        out += data.substr(1, m);  // MIME type and its terminator
        out += recode(names, e);
        out += std::string(terminatorLength(e), '\0');
        out += data.substr(t2 + terminatorLength(enc));
        return out;
    }
    return std::string(data);
}

std::optional<std::string> v4BodyForV23(std::string_view id23, const RawFrame& f, unsigned& flags23) {
    Extras e = extrasOf(f);
    if (!e.ok) return std::nullopt;
    // A compressed frame needs its decompressed size, which 2.4 keeps in the
    // data length field; without one the frame cannot be put into 2.3 form.
    if (e.compressed && !e.dataLength) return std::nullopt;
    std::string_view data = std::string_view(f.body).substr(e.dataStart);
    unsigned status = ((f.flags >> 8) << 1) & 0xE0;
    unsigned format = (e.compressed ? kV3Compression : 0) | (e.encrypted ? kV3Encryption : 0) |
                      (e.grouped ? kV3Grouping : 0);
    flags23 = status << 8 | format;
    std::string body;
    if (e.compressed) putBe32(body, syncsafe32(e.length, 0));
    body += e.method;
    body += e.group;
    if (e.compressed || e.encrypted) {
        body += data;
    } else if (id23 == "TYER" && f.id == "TDRC" && !data.empty()) {
        // The recording time goes into 2.3's year frame as its year alone.
        std::string year = yearOfTimestamp(removeNuls(decode(data.substr(1), byteAt(data, 0))));
        int enc = encodingFor(year);
        body += static_cast<char>(enc);
        body += encode(year, enc);
    } else {
        body += textForV23(id23, data);
    }
    return body;
}

// PIC (2.2) to APIC (2.3): the three-letter image format becomes a MIME type.
std::string picToApic(std::string_view b) {
    if (b.size() < 5) return std::string(b);
    std::string format = runtime::UCase(runtime::cp1252::decode(removeNuls(b.substr(1, 3))));
    std::string mime;
    if (format == "JPG" || format == "JPEG")
        mime = "image/jpeg";
    else if (format == "-->")
        mime = "-->";
    else
        mime = "image/" + runtime::LCase(runtime::Trim(format));
    std::string out;
    out += b[0];
    out += mime;
    out += '\0';
    out += b.substr(4);
    return out;
}

void putFrameHeader(std::string& out, std::string_view id, std::size_t size, unsigned flags) {
    out += id;
    putBe32(out, static_cast<std::uint32_t>(size));
    out += static_cast<char>(flags >> 8);
    out += static_cast<char>(flags & 0xFF);
}

// Decimal digits to a big-endian binary counter of at least 4 bytes.
std::string counterBytes(std::string_view text) {
    std::vector<unsigned> bytes;  // little-endian while building
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        unsigned carry = static_cast<unsigned>(text[i] - '0');
        for (auto& b : bytes) {
            unsigned v = b * 10 + carry;
            b = v & 0xFF;
            carry = v >> 8;
        }
        while (carry) {
            bytes.push_back(carry & 0xFF);
            carry >>= 8;
        }
    }
    while (bytes.size() < 4) bytes.push_back(0);
    std::string out;
    for (auto it = bytes.rbegin(); it != bytes.rend(); ++it) out += static_cast<char>(*it);
    return out;
}

}  // namespace

void walkFrames(std::string_view tag, int version, int flags, std::int64_t size,
                const std::function<void(RawFrame&&)>& frame) {
    if (tag.size() <= 10 || size <= 0) return;
    std::string_view area = tag.substr(10, static_cast<std::size_t>(std::min<std::int64_t>(
                                               size, static_cast<std::int64_t>(tag.size()) - 10)));
    std::string resynced;
    if (version < 4 && (flags & 0x80)) {
        resynced = resynchronise(area);
        area = resynced;
    }
    if (version == 2 && (flags & 0x40)) return;  // compressed 2.2 tag: no scheme was ever defined
    std::size_t pos = 0;
    // Extended header: skipped. Some writers set its flag without writing one;
    // a frame identifier where its size would stand shows that.
    if (version > 2 && (flags & 0x40) && !(area.size() >= 4 && isValidFrameId(area.substr(0, 4)))) {
        if (area.size() < 4) return;
        if (version == 3) {
            std::uint32_t n = be32(area, 0);
            if (n > area.size() - 4) return;
            pos = 4 + n;
        } else {
            for (std::size_t i = 0; i < 4; ++i)
                if (byteAt(area, i) >= 0x80) return;
            std::uint32_t n = syncsafe32(area, 0);
            if (n < 6 || n > area.size()) return;
            pos = n;
        }
    }
    const bool allUnsynchronised = version == 4 && (flags & 0x80);
    const std::size_t idLength = version == 2 ? 3 : 4;
    const std::size_t headerLength = version == 2 ? 6 : 10;
    while (area.size() - pos >= headerLength) {
        std::string_view id = area.substr(pos, idLength);
        if (allZero(id) || !isValidFrameId(id)) return;
        const std::uint64_t left = area.size() - pos - headerLength;
        std::uint64_t d;
        if (version == 2) {
            d = be24(area, pos + 3);
        } else {
            if (byteAt(area, pos + 4) >= 0x80) throw runtime::Error(runtime::err::InvalidProcedureCall);
            d = version == 3 ? be32(area, pos + 4) : v4FrameSize(area, pos);
        }
        if (d > left) return;
        RawFrame f;
        f.version = version;
        f.id = std::string(id);
        f.flags = version == 2 ? 0 : (byteAt(area, pos + 8) << 8 | byteAt(area, pos + 9));
        f.body = std::string(area.substr(pos + headerLength, static_cast<std::size_t>(d)));
        if (version == 4 && (allUnsynchronised || (f.flags & kV4Unsynchronised))) f.body = resynchronise(f.body);
        pos += headerLength + static_cast<std::size_t>(d);
        frame(std::move(f));
    }
}

std::string mapV22FrameId(std::string_view id) {
    // Every frame of the 2.2 standard with a 2.3 counterpart, and the iTunes
    // sort and compilation frames. CRM (encrypted meta frame) has no 2.3 form;
    // LNK names 2.2 identifiers inside its data, which 2.3 readers would misread.
    static const std::pair<const char*, const char*> table[] = {
        {"BUF", "RBUF"}, {"CNT", "PCNT"}, {"COM", "COMM"}, {"CRA", "AENC"}, {"ETC", "ETCO"}, {"EQU", "EQUA"},
        {"GEO", "GEOB"}, {"IPL", "IPLS"}, {"MCI", "MCDI"}, {"MLL", "MLLT"}, {"PIC", "APIC"}, {"POP", "POPM"},
        {"REV", "RVRB"}, {"RVA", "RVAD"}, {"SLT", "SYLT"}, {"STC", "SYTC"}, {"TAL", "TALB"}, {"TBP", "TBPM"},
        {"TCM", "TCOM"}, {"TCO", "TCON"}, {"TCR", "TCOP"}, {"TDA", "TDAT"}, {"TDY", "TDLY"}, {"TEN", "TENC"},
        {"TFT", "TFLT"}, {"TIM", "TIME"}, {"TKE", "TKEY"}, {"TLA", "TLAN"}, {"TLE", "TLEN"}, {"TMT", "TMED"},
        {"TOA", "TOPE"}, {"TOF", "TOFN"}, {"TOL", "TOLY"}, {"TOR", "TORY"}, {"TOT", "TOAL"}, {"TP1", "TPE1"},
        {"TP2", "TPE2"}, {"TP3", "TPE3"}, {"TP4", "TPE4"}, {"TPA", "TPOS"}, {"TPB", "TPUB"}, {"TRC", "TSRC"},
        {"TRD", "TRDA"}, {"TRK", "TRCK"}, {"TSI", "TSIZ"}, {"TSS", "TSSE"}, {"TT1", "TIT1"}, {"TT2", "TIT2"},
        {"TT3", "TIT3"}, {"TXT", "TEXT"}, {"TXX", "TXXX"}, {"TYE", "TYER"}, {"UFI", "UFID"}, {"ULT", "USLT"},
        {"WAF", "WOAF"}, {"WAR", "WOAR"}, {"WAS", "WOAS"}, {"WCM", "WCOM"}, {"WCP", "WCOP"}, {"WPB", "WPUB"},
        {"WXX", "WXXX"}, {"TCP", "TCMP"}, {"TS2", "TSO2"}, {"TSA", "TSOA"}, {"TSC", "TSOC"}, {"TSP", "TSOP"},
        {"TST", "TSOT"},
    };
    for (const auto& [from, to] : table)
        if (id == from) return to;
    return {};
}

std::string mapV24FrameId(std::string_view id) { return id == "TDRC" ? "TYER" : std::string(id); }

std::string yearOfTimestamp(std::string_view text) {
    if (text.size() > 4 && std::all_of(text.begin(), text.begin() + 4, [](char c) { return c >= '0' && c <= '9'; }))
        return std::string(text.substr(0, 4));
    return std::string(text);
}

std::optional<std::string> readableData(const RawFrame& f) {
    if (f.version == 2) return f.body;
    Extras e = extrasOf(f);
    if (!e.ok || e.compressed || e.encrypted) return std::nullopt;
    return f.body.substr(e.dataStart);
}

std::string textOf(std::string_view data) {
    if (data.empty()) return {};
    return removeNuls(decode(data.substr(1), byteAt(data, 0)));
}

LangText langTextOfData(std::string_view data) {
    LangText out;
    if (data.empty()) return out;
    const int enc = byteAt(data, 0);
    out.lang = std::string(data.substr(1, 3));
    if (data.size() <= 4) {
        out.lang.resize(3, '\0');
        return out;
    }
    const std::string rest = decode(data.substr(4), enc);
    const std::size_t nul = rest.find('\0');
    if (nul != std::string::npos) {
        out.desc = rest.substr(0, nul);
        out.text = removeNuls(std::string_view(rest).substr(nul + 1));
    } else if (enc == Latin1 && data[1] == '\0') {
        // No end of a description, and a language that starts with a zero
        // byte: the lyrics as the original program wrote them, two zero bytes
        // and single-byte text. There is no language.
        out.lang.clear();
        out.text = removeNuls(decode(data.substr(2), enc));
    } else {
        out.text = removeNuls(rest);  // no description: all of it is the text
    }
    return out;
}

LangText langTextOfValue(std::string_view value) {
    LangText out;
    std::vector<char32_t> cps = runtime::ToCodePoints(value);
    std::size_t skip = 0;
    bool fits = true;
    for (std::size_t i = 0; i < 3 && i < cps.size(); ++i)
        fits = fits && (cps[i] < 0x80 || (cps[i] >= 0xA0 && cps[i] <= 0xFF));
    std::string rest;
    if (fits) {
        for (; skip < 3 && skip < cps.size(); ++skip) out.lang += static_cast<char>(cps[skip]);
        for (std::size_t i = skip; i < cps.size(); ++i) runtime::AppendUtf8(rest, cps[i]);
    } else {
        rest = std::string(value);  // a language cannot hold these; the text keeps them
    }
    out.lang.resize(3, '\0');
    std::size_t nul = rest.find('\0');
    if (nul == std::string::npos) {
        out.text = rest;
    } else {
        out.desc = rest.substr(0, nul);
        out.text = rest.substr(nul + 1);
    }
    return out;
}

std::optional<std::string> languageAsText(std::string_view lang) {
    if (lang.size() != 3) return std::nullopt;
    std::string out;
    for (char c : lang) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 && b < 0xA0) return std::nullopt;
        runtime::AppendUtf8(out, b);
    }
    return out;
}

std::string urlOf(std::string_view data) { return runtime::cp1252::decode(removeNuls(data)); }

std::string userUrlOf(std::string_view data) {
    if (data.empty()) return {};
    const int enc = byteAt(data, 0);
    std::size_t t = findTerminator(data, 1, enc);
    if (t == std::string_view::npos) return urlOf(data.substr(1));  // no description: all of it is the URL
    return urlOf(data.substr(t + terminatorLength(enc)));
}

std::string counterOf(std::string_view data) {
    if (data.empty()) return {};
    // The text form this program used to write: a zero byte, then digits.
    if (data.size() >= 2 && data[0] == '\0' &&
        std::all_of(data.begin() + 1, data.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::string(data.substr(1));
    // The decimal conversion costs the square of the length. A real count fits
    // in a few bytes; one of more than 64 significant bytes (over 150 digits)
    // is not converted, so a crafted frame cannot stall the load.
    std::size_t first = 0;
    while (first + 1 < data.size() && data[first] == '\0') ++first;
    if (data.size() - first > kMaxCounterBytes) return {};
    std::vector<unsigned> bytes(data.begin() + static_cast<std::ptrdiff_t>(first), data.end());
    for (auto& b : bytes) b &= 0xFF;
    std::string digits;
    bool nonZero = true;
    while (nonZero) {
        unsigned rem = 0;
        nonZero = false;
        for (auto& b : bytes) {
            unsigned v = rem << 8 | b;
            b = v / 10;
            rem = v % 10;
            nonZero = nonZero || b != 0;
        }
        digits += static_cast<char>('0' + rem);
    }
    std::reverse(digits.begin(), digits.end());
    return digits;
}

// The 2.3 date (TDAT, "DDMM") and time (TIME, "HHMM") frames that carry the
// rest of a 2.4 recording time such as "2004-05-12T10:30"; empty when the
// timestamp has no day.
std::string dateAndTimeFrames(const RawFrame& f) {
    std::optional<std::string> data = readableData(f);
    if (!data || data->empty()) return {};
    std::string t = removeNuls(decode(std::string_view(*data).substr(1), byteAt(*data, 0)));
    auto digits = [&](std::size_t at, std::size_t n) {
        return t.size() >= at + n && std::all_of(t.begin() + static_cast<long>(at), t.begin() + static_cast<long>(at + n),
                                                 [](char c) { return c >= '0' && c <= '9'; });
    };
    std::string out;
    auto put = [&](const char* id, const std::string& text) {
        putFrameHeader(out, id, 1 + text.size(), 0);
        out += '\0';
        out += text;
    };
    if (!(t.size() >= 10 && digits(0, 4) && t[4] == '-' && digits(5, 2) && t[7] == '-' && digits(8, 2))) return {};
    put("TDAT", t.substr(8, 2) + t.substr(5, 2));
    if (t.size() >= 16 && t[10] == 'T' && digits(11, 2) && t[13] == ':' && digits(14, 2))
        put("TIME", t.substr(11, 2) + t.substr(14, 2));
    return out;
}

std::optional<std::string> frameFromRaw(std::string_view id23, const RawFrame& f) {
    unsigned flags23 = 0;
    std::string body;
    switch (f.version) {
    case 3:
        flags23 = f.flags;
        body = f.body;
        break;
    case 2: body = id23 == "APIC" ? picToApic(f.body) : f.body; break;
    case 4: {
        auto b = v4BodyForV23(id23, f, flags23);
        if (!b) return std::nullopt;
        body = std::move(*b);
        break;
    }
    default: return std::nullopt;
    }
    std::string out;
    out.reserve(10 + body.size());
    putFrameHeader(out, id23, body.size(), flags23);
    out += body;
    if (f.version == 4 && f.id == "TDRC" && id23 == "TYER") out += dateAndTimeFrames(f);
    return out;
}

std::optional<std::string> frameFromValue(std::string_view id, std::string_view value) {
    std::string body;
    if (id == "PCNT") {
        body = counterBytes(value);
    } else if (id == "WXXX") {
        std::string desc, url;
        std::size_t nul = value.find('\0');
        if (nul == std::string_view::npos) {
            url = value;
        } else {
            desc = value.substr(0, nul);
            url = value.substr(nul + 1);
        }
        int e = encodingFor(desc);
        body += static_cast<char>(e);
        body += encode(desc, e);
        body += std::string(terminatorLength(e), '\0');
        body += latin1OrPercent(url);
    } else if (id[0] == 'W') {
        body = latin1OrPercent(value);
        if (body.empty()) return std::nullopt;
    } else if (id == "COMM" || id == "USLT") {
        LangText lt = langTextOfValue(value);
        std::string text = lt.desc + '\0' + lt.text;
        int e = encodingFor(text);
        body += static_cast<char>(e);
        body += lt.lang;
        body += encode(text, e);
    } else {
        int e = encodingFor(value);
        body += static_cast<char>(e);
        body += encode(value, e);
    }
    std::string out;
    out.reserve(10 + body.size());
    putFrameHeader(out, id, body.size(), 0);
    out += body;
    return out;
}

}  // namespace metadata::id3v2
