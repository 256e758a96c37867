#include "downloader/http.hpp"

#include <algorithm>
#include <charconv>

namespace downloader {

namespace {

bool allDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<std::int64_t> toNumber(std::string_view s) {
    if (!allDigits(s)) return std::nullopt;
    std::int64_t v = 0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
    return v;
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

}  // namespace

std::optional<HostPort> splitHostPort(std::string_view hostText) {
    HostPort hp;
    std::string_view name = hostText;
    std::string_view port;
    if (!name.empty() && name.front() == '[') {
        auto close = name.find(']');
        if (close == std::string_view::npos) return std::nullopt;
        std::string_view rest = name.substr(close + 1);
        name = name.substr(1, close - 1);
        if (!rest.empty()) {
            if (rest.front() != ':') return std::nullopt;
            port = rest.substr(1);
            if (port.empty()) return std::nullopt;
        }
    } else if (auto colon = name.rfind(':'); colon != std::string_view::npos) {
        port = name.substr(colon + 1);
        name = name.substr(0, colon);
        if (port.empty()) return std::nullopt;
    }
    if (name.empty()) return std::nullopt;
    if (!port.empty()) {
        auto n = toNumber(port);
        if (!n || *n < 1 || *n > 65535) return std::nullopt;
        hp.port = static_cast<int>(*n);
    }
    hp.host = std::string(name);
    return hp;
}

std::string buildRequest(const RequestForm& f) {
    std::string r;
    if (f.secondForm)
        r += "GET /" + f.fileName + " HTTP/1.0\r\n";
    else
        r += "GET " + f.fullUrl + " HTTP/1.0\r\n";
    r += "Accept: *.*, */*\r\n";
    if (f.resume) r += "Range: bytes=" + std::to_string(f.resumeFrom) + "-\r\n";
    r += "User-Agent: Brimhold\r\n";
    if (f.secondForm)
        r += "Host: " + f.hostText + "\r\n";
    else
        r += "Referer: " + f.hostText + "\r\n";
    r += "\r\n";
    return r;
}

std::optional<std::string> mediaFileName(std::string_view name) {
    std::string out(name);
    for (char& c : out)
        if (c == '/' || c == '\\' || c == '\0') c = '-';
    if (out == "." || out == "..") return std::nullopt;
    return out;
}

std::string_view ResponseHead::feed(std::string_view chunk) {
    if (phase_ == Phase::Complete) return chunk;
    if (phase_ != Phase::Head) return {};
    // Look for the terminator only where it can newly end: the last three
    // bytes already held may start it.
    std::size_t from = buffer_.size() >= 3 ? buffer_.size() - 3 : 0;
    std::size_t room = kMaxHead - buffer_.size();  // never more than the longest head
    buffer_.append(chunk.substr(0, std::min(chunk.size(), room)));
    std::size_t end = buffer_.find("\r\n\r\n", from);
    if (end == std::string::npos) {
        if (buffer_.size() >= kMaxHead) {
            phase_ = Phase::TooLong;
            buffer_.clear();
        }
        return {};
    }
    // The body starts behind the terminator: in what was buffered of this
    // chunk, and in the part of the chunk that was not buffered.
    std::size_t bodyInBuffer = buffer_.size() - (end + 4);
    std::size_t taken = std::min(chunk.size(), room);
    text_ = buffer_.substr(0, end);
    parse();
    if (phase_ == Phase::Malformed) {
        buffer_.clear();
        return {};
    }
    phase_ = Phase::Complete;
    // The body part is always a suffix of this chunk.
    std::size_t bodyLen = bodyInBuffer + (chunk.size() - taken);
    buffer_.clear();
    return chunk.substr(chunk.size() - bodyLen);
}

void ResponseHead::parse() {
    std::string_view t = text_;
    auto eol = t.find("\r\n");
    std::string_view status = t.substr(0, eol);
    std::string_view rest = eol == std::string_view::npos ? std::string_view{} : t.substr(eol + 2);
    statusLine_ = std::string(status);
    // "HTTP/" major "." minor SP code [SP reason]
    if (status.size() < 12 || status.substr(0, 5) != "HTTP/" || status[6] != '.' || status[8] != ' ' ||
        !allDigits(status.substr(5, 1)) || !allDigits(status.substr(7, 1)) || !allDigits(status.substr(9, 3)) ||
        (status.size() > 12 && status[12] != ' ')) {
        phase_ = Phase::Malformed;
        return;
    }
    major_ = status[5] - '0';
    minor_ = status[7] - '0';
    status_ = (status[9] - '0') * 100 + (status[10] - '0') * 10 + (status[11] - '0');
    reason_ = status.size() > 13 ? std::string(status.substr(13)) : std::string();
    fields_.clear();
    while (!rest.empty()) {
        auto e = rest.find("\r\n");
        std::string_view line = rest.substr(0, e);
        rest = e == std::string_view::npos ? std::string_view{} : rest.substr(e + 2);
        auto colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0) continue;  // not a field; ignored
        fields_.emplace_back(std::string(trimBlanks(line.substr(0, colon))),
                             std::string(trimBlanks(line.substr(colon + 1))));
    }
}

std::optional<std::string> ResponseHead::field(std::string_view name) const {
    for (auto& [n, v] : fields_)
        if (equalsNoCase(n, name)) return v;
    return std::nullopt;
}

std::optional<std::int64_t> ResponseHead::contentLength() const {
    auto v = field("Content-Length");
    if (!v) return std::nullopt;
    return toNumber(*v);
}

std::optional<ResponseHead::Range> ResponseHead::contentRange() const {
    auto v = field("Content-Range");
    if (!v) return std::nullopt;
    std::string_view s = *v;
    if (s.size() < 6 || !equalsNoCase(s.substr(0, 5), "bytes") || (s[5] != ' ' && s[5] != '=')) return std::nullopt;
    s = trimBlanks(s.substr(6));
    auto dash = s.find('-');
    auto slash = s.find('/');
    if (dash == std::string_view::npos || slash == std::string_view::npos || slash < dash) return std::nullopt;
    auto first = toNumber(trimBlanks(s.substr(0, dash)));
    auto last = toNumber(trimBlanks(s.substr(dash + 1, slash - dash - 1)));
    std::string_view totalText = trimBlanks(s.substr(slash + 1));
    if (!first || !last || *last < *first) return std::nullopt;
    Range r{*first, *last, std::nullopt};
    if (totalText != "*") {
        auto total = toNumber(totalText);
        if (!total || *total <= *last) return std::nullopt;
        r.total = total;
    }
    return r;
}

void ResponseHead::reset() { *this = ResponseHead(); }

}  // namespace downloader
