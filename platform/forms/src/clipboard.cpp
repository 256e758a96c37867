#include "forms/clipboard.hpp"

#include <cctype>
#include <optional>

#include "runtime/filesystem.hpp"

namespace forms {

namespace {
Clipboard*& current() {
    static Clipboard* c = nullptr;
    return c;
}
MemoryClipboard& fallback() {
    static MemoryClipboard* c = new MemoryClipboard;
    return *c;
}
}  // namespace

Clipboard& clipboard() {
    Clipboard* c = current();
    return c ? *c : fallback();
}
void setClipboard(Clipboard* c) { current() = c; }

void MemoryClipboard::clear() {
    text_.clear();
    files_.clear();
    uriList_.clear();
    gnome_.clear();
}

void MemoryClipboard::setText(const std::string& text) {
    clear();
    text_ = text;
}

bool MemoryClipboard::setFiles(const std::vector<std::string>& paths) {
    if (refuse_) return false;
    std::string list = forms::uriList(paths);
    std::string gnome = forms::gnomeCopiedFiles(paths);
    clear();
    files_ = paths;
    uriList_ = std::move(list);
    gnome_ = std::move(gnome);
    return true;
}

std::string fileUri(const std::string& path) {
    static const char* hex = "0123456789ABCDEF";
    std::string out = "file://";
    for (unsigned char c : path) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string uriList(const std::vector<std::string>& paths) {
    std::string out;
    for (auto& p : paths) out += fileUri(p) + "\r\n";
    return out;
}

std::string gnomeCopiedFiles(const std::vector<std::string>& paths) {
    std::string out = "copy";
    for (auto& p : paths) out += "\n" + fileUri(p);
    return out;
}

std::vector<std::string> pathsFromUriList(const std::string& list) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    while (pos < list.size()) {
        std::size_t end = list.find('\n', pos);
        std::string line = list.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        pos = end == std::string::npos ? list.size() : end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const std::string scheme = "file://";
        if (line.compare(0, scheme.size(), scheme) != 0) continue;
        std::size_t slash = line.find('/', scheme.size());
        if (slash == std::string::npos) continue;
        // A host name ("file://localhost/...", the machine's own name) is dropped.
        std::optional<std::string> path = runtime::PathFromFileUri(scheme + line.substr(slash));
        if (!path) continue;
        out.push_back(std::move(*path));
    }
    return out;
}

}  // namespace forms
