#include "system/registry.hpp"

#include <map>
#include <mutex>
#include <vector>

#include "runtime/error.hpp"
#include "runtime/recordfile.hpp"
#include "runtime/strings.hpp"

namespace sys {

namespace {

// Records: a key alone (its path), or a value (key path, value name, text).
// Paths are the keys below HKEY_CLASSES_ROOT joined by "\", as created.
using Record = runtime::RecordFile::Record;

runtime::RecordFile& store() {
    static runtime::RecordFile file("registry", "dovetune registry 1",
                                    [](const Record& r) { return r.size() == 1 || r.size() == 3; });
    return file;
}

struct Handles {
    std::mutex mu;
    std::map<HKEY, std::string> open;  // handle -> key path
    HKEY next = 0x1000;
};

Handles& handles() {
    static Handles h;
    return h;
}

// Why the last call of this thread that returned ERROR_CANTWRITE failed.
thread_local std::string lastFailure;

bool sameName(std::string_view a, std::string_view b) { return runtime::EqualsNoCase(a, b); }

// The key path an open handle (or the root) stands for.
bool pathOf(HKEY key, std::string& path) {
    if (key == HKEY_CLASSES_ROOT) {
        path.clear();
        return true;
    }
    Handles& h = handles();
    std::lock_guard lock(h.mu);
    auto it = h.open.find(key);
    if (it == h.open.end()) return false;
    path = it->second;
    return true;
}

std::vector<std::string> components(std::string_view subKey) {
    std::vector<std::string> parts;
    for (std::size_t i = 0; i <= subKey.size();) {
        std::size_t j = subKey.find('\\', i);
        if (j == std::string_view::npos) j = subKey.size();
        if (j > i) parts.emplace_back(subKey.substr(i, j - i));
        i = j + 1;
    }
    return parts;
}

std::string join(const std::string& parent, const std::string& name) {
    return parent.empty() ? name : parent + "\\" + name;
}

// The stored spelling of each key on the way to base\subKey; the names not
// stored yet are taken as given and reported in *missing.
std::string canonical(const std::vector<Record>& records, const std::string& base, std::string_view subKey,
                      std::vector<std::string>* missing = nullptr) {
    std::string path = base;
    for (const std::string& part : components(subKey)) {
        std::string wanted = join(path, part);
        const Record* found = nullptr;
        for (const Record& r : records)
            if (r.size() == 1 && sameName(r[0], wanted)) {
                found = &r;
                break;
            }
        path = found ? (*found)[0] : wanted;
        if (!found && missing) missing->push_back(path);
    }
    return path;
}

}  // namespace

std::string RegLastFailure() { return lastFailure; }

std::string RegistryFilePath() { return runtime::UserFolder("XDG_DATA_HOME", ".local/share") + "/dovetune/registry"; }

long RegCreateKey(HKEY root, std::string_view subKey, HKEY* result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    std::string base;
    if (!pathOf(root, base)) return ERROR_INVALID_HANDLE;
    std::string path;
    try {
        store().update(RegistryFilePath(), [&](std::vector<Record>& records) {
            std::vector<std::string> missing;
            path = canonical(records, base, subKey, &missing);
            for (const std::string& key : missing) records.push_back({key});
            return !missing.empty();
        });
    } catch (const runtime::Error& e) {
        lastFailure = e.description();
        return ERROR_CANTWRITE;
    }
    Handles& h = handles();
    std::lock_guard lock(h.mu);
    HKEY handle = h.next;
    h.next += 4;
    h.open[handle] = path;
    *result = handle;
    return ERROR_SUCCESS;
}

long RegSetValueEx(HKEY key, std::string_view valueName, std::uint32_t /*reserved*/, std::uint32_t type,
                   std::string_view data) {
    std::string path;
    if (!pathOf(key, path)) return ERROR_INVALID_HANDLE;
    if (type != REG_SZ) return ERROR_INVALID_PARAMETER;
    // Text ends at its first NUL (callers pass the terminating one along).
    std::string text(data.substr(0, data.find('\0')));
    try {
        store().update(RegistryFilePath(), [&](std::vector<Record>& records) {
            for (Record& r : records) {
                if (r.size() == 3 && r[0] == path && sameName(r[1], valueName)) {
                    if (r[2] == text) return false;
                    r[2] = text;
                    return true;
                }
            }
            // The key may have been created by another program's store since.
            if (!path.empty()) {
                bool known = false;
                for (const Record& r : records) known = known || (r.size() == 1 && r[0] == path);
                if (!known) records.push_back({path});
            }
            records.push_back({path, std::string(valueName), text});
            return true;
        });
    } catch (const runtime::Error& e) {
        lastFailure = e.description();
        return ERROR_CANTWRITE;
    }
    return ERROR_SUCCESS;
}

long RegCloseKey(HKEY key) {
    if (key == HKEY_CLASSES_ROOT) return ERROR_SUCCESS;
    Handles& h = handles();
    std::lock_guard lock(h.mu);
    return h.open.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

std::optional<std::string> RegQueryValue(HKEY root, std::string_view subKey, std::string_view valueName) {
    std::string base;
    if (!pathOf(root, base)) return std::nullopt;
    std::vector<Record> records = store().load(RegistryFilePath());
    std::vector<std::string> missing;
    std::string path = canonical(records, base, subKey, &missing);
    if (!missing.empty()) return std::nullopt;
    for (const Record& r : records)
        if (r.size() == 3 && r[0] == path && sameName(r[1], valueName)) return r[2];
    return std::nullopt;
}

std::optional<std::string> RegQueryDefault(HKEY root, std::string_view subKey) {
    return RegQueryValue(root, subKey, "");
}

std::vector<std::string> RegEnumKeys(HKEY root, std::string_view subKey) {
    std::vector<std::string> names;
    std::string base;
    if (!pathOf(root, base)) return names;
    std::vector<Record> records = store().load(RegistryFilePath());
    std::vector<std::string> missing;
    std::string path = canonical(records, base, subKey, &missing);
    if (!missing.empty()) return names;
    const std::string prefix = path.empty() ? std::string() : path + "\\";
    for (const Record& r : records) {
        if (r.size() != 1 || r[0].size() <= prefix.size() || r[0].compare(0, prefix.size(), prefix) != 0) continue;
        std::string rest = r[0].substr(prefix.size());
        if (rest.find('\\') == std::string::npos) names.push_back(rest);
    }
    return names;
}

}  // namespace sys
