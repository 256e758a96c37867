#include "options/Associate.hpp"

#include <algorithm>
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

bool AssociateFileType(std::string ProgID, std::string Command, std::string Ext, std::vector<std::string>* reasons) {
    using namespace sys;
    bool ok = true;
    auto because = [&](const std::string& why) {
        if (reasons && !why.empty() && std::find(reasons->begin(), reasons->end(), why) == reasons->end())
            reasons->push_back(why);
    };
    // The data counts the text and its terminating NUL, as REG_SZ wants.
    auto withNul = [](const std::string& s) { return s + std::string(1, '\0'); };
    HKEY key = 0;
    // Each registry call that fails tells why.
    auto done = [&](long rc) {
        if (rc == ERROR_CANTWRITE) because(RegLastFailure());
        return rc == ERROR_SUCCESS;
    };
    bool open = done(RegCreateKey(HKEY_CLASSES_ROOT, Ext, &key));
    ok = open && ok;
    ok = open && done(RegSetValueEx(key, "", 0, REG_SZ, withNul(ProgID))) && ok;
    if (open) ok = RegCloseKey(key) == ERROR_SUCCESS && ok;

    open = done(RegCreateKey(HKEY_CLASSES_ROOT, ProgID + "\\Shell\\Open\\Command", &key));
    ok = open && ok;
    ok = open && done(RegSetValueEx(key, "", 0, REG_SZ, withNul(Command))) && ok;
    if (open) ok = RegCloseKey(key) == ERROR_SUCCESS && ok;

    // The desktop reads its own files: without them nothing would open the
    // type with this program.
    try {
        std::string program = ProgramOfCommand(Command);
        std::string icon = (std::filesystem::path(program).parent_path() / "skin" / "icon.png").string();
        MakeDesktopDefault(program, icon, Ext);
    } catch (const runtime::Error& e) {
        because(e.description());
        ok = false;
    }
    return ok;
}

}  // namespace options::Associate
