#include "options/Associate.hpp"

#include <filesystem>

#include "runtime/error.hpp"
#include "system/desktop_association.hpp"
#include "system/registry.hpp"

namespace options::Associate {

std::string ProgramOfCommand(const std::string& Command) {
    const std::string arg = " %1";
    if (Command.size() >= arg.size() && Command.compare(Command.size() - arg.size(), arg.size(), arg) == 0)
        return Command.substr(0, Command.size() - arg.size());
    return Command;
}

bool AssociateFileType(std::string ProgID, std::string Command, std::string Ext) {
    using namespace sys;
    bool ok = true;
    // The data counts the text and its terminating NUL, as REG_SZ wants.
    auto withNul = [](const std::string& s) { return s + std::string(1, '\0'); };
    HKEY key = 0;
    bool open = RegCreateKey(HKEY_CLASSES_ROOT, Ext, &key) == ERROR_SUCCESS;
    ok = open && ok;
    ok = open && RegSetValueEx(key, "", 0, REG_SZ, withNul(ProgID)) == ERROR_SUCCESS && ok;
    if (open) ok = RegCloseKey(key) == ERROR_SUCCESS && ok;

    open = RegCreateKey(HKEY_CLASSES_ROOT, ProgID + "\\Shell\\Open\\Command", &key) == ERROR_SUCCESS;
    ok = open && ok;
    ok = open && RegSetValueEx(key, "", 0, REG_SZ, withNul(Command)) == ERROR_SUCCESS && ok;
    if (open) ok = RegCloseKey(key) == ERROR_SUCCESS && ok;

    // The desktop reads its own files: without them nothing would open the
    // type with this program.
    try {
        std::string program = ProgramOfCommand(Command);
        std::string icon = (std::filesystem::path(program).parent_path() / "skin" / "icon.png").string();
        MakeDesktopDefault(program, icon, Ext);
    } catch (const runtime::Error&) {
        ok = false;
    }
    return ok;
}

}  // namespace options::Associate
