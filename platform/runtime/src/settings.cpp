#include "runtime/settings.hpp"

#include "files_internal.hpp"
#include "runtime/error.hpp"
#include "runtime/recordfile.hpp"

namespace runtime {

namespace {

// Records: application, section, key, value.
enum Field { kApp, kSection, kKey, kValue, kFields };

RecordFile& store() {
    static RecordFile file("settings store", "dovetune settings 1",
                           [](const RecordFile::Record& r) { return r.size() == kFields; });
    return file;
}

// Application names and keys match without regard to case; sections exactly.
bool sameApp(const RecordFile::Record& r, std::string_view app) {
    return detail::FoldCase(r[kApp]) == detail::FoldCase(app);
}

bool matches(const RecordFile::Record& r, std::string_view app, std::string_view section) {
    return r[kSection] == section && sameApp(r, app);
}

bool matches(const RecordFile::Record& r, std::string_view app, std::string_view section, std::string_view key) {
    return matches(r, app, section) && detail::FoldCase(r[kKey]) == detail::FoldCase(key);
}

}  // namespace

std::string SettingsFilePath() { return UserFolder("XDG_CONFIG_HOME", ".config") + "/dovetune/settings"; }

std::string GetSetting(std::string_view app, std::string_view section, std::string_view key,
                       std::string_view defaultValue) {
    for (const auto& r : store().load(SettingsFilePath()))
        if (matches(r, app, section, key)) return r[kValue];
    return std::string(defaultValue);
}

void SaveSetting(std::string_view app, std::string_view section, std::string_view key, std::string_view value) {
    if (app.empty() || section.empty() || key.empty()) raise(err::InvalidProcedureCall);
    store().update(SettingsFilePath(), [&](std::vector<RecordFile::Record>& records) {
        for (auto& r : records) {
            if (!matches(r, app, section, key)) continue;
            if (r[kValue] == value) return false;  // nothing to write
            r[kValue] = std::string(value);
            return true;
        }
        // A new key of a known application keeps the application's spelling.
        std::string appName(app);
        for (const auto& r : records)
            if (sameApp(r, app)) {
                appName = r[kApp];
                break;
            }
        records.push_back({appName, std::string(section), std::string(key), std::string(value)});
        return true;
    });
}

void DeleteSetting(std::string_view app, std::string_view section, std::string_view key) {
    bool found = false;
    store().update(SettingsFilePath(), [&](std::vector<RecordFile::Record>& records) {
        auto before = records.size();
        std::erase_if(records, [&](const RecordFile::Record& r) {
            return key.empty() ? matches(r, app, section) : matches(r, app, section, key);
        });
        found = records.size() != before;
        return found;
    });
    if (!found) raise(err::InvalidProcedureCall);
}

std::vector<std::pair<std::string, std::string>> GetAllSettings(std::string_view app, std::string_view section) {
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& r : store().load(SettingsFilePath()))
        if (matches(r, app, section)) out.emplace_back(r[kKey], r[kValue]);
    return out;
}

}  // namespace runtime
