#pragma once
// The per-user settings store (GetSetting/SaveSetting/DeleteSetting).
//
// Addressed by application name, section and key. Keys and application names
// match without regard to case; application names that are folder paths are
// kept as data; section names are kept exactly (" setting" begins with a
// blank and differs from "setting"). Values are strings.
//
// One file, $XDG_CONFIG_HOME/dovetune/settings (default ~/.config/dovetune/),
// rewritten through a temporary file and a rename on every save. A store cut
// short partway through its last line keeps its whole lines (only the cut
// line is dropped); one that is otherwise damaged, or unreadable, is read as
// empty. Either is reported once on standard error; before it is next written
// (a cut store at the next save, whatever it saves) the damaged file is kept
// as a backup copy.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace runtime {

std::string GetSetting(std::string_view app, std::string_view section, std::string_view key,
                       std::string_view defaultValue = "");
void SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                 std::string_view value);
// Deletes one key, or the whole section when key is empty. Deleting what does
// not exist is error 5, as the original.
void DeleteSetting(std::string_view app, std::string_view section, std::string_view key = "");
std::vector<std::pair<std::string, std::string>> GetAllSettings(std::string_view app,
                                                                std::string_view section);

// The store's file path (from the environment at the time of the call).
std::string SettingsFilePath();

}  // namespace runtime
