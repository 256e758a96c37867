#include "system/network.hpp"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <mutex>
#include <vector>

namespace sys::Network {

namespace {

struct Override {
    std::mutex mu;
    bool active = false;
    std::optional<std::string> login, host;
};

Override& override_() {
    static Override o;
    return o;
}

std::optional<std::string> systemLogin() {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    for (;;) {
        int rc = ::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found);
        if (rc == ERANGE && buffer.size() < (1u << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (rc != 0 || !found || !found->pw_name) return std::nullopt;
        return std::string(found->pw_name);
    }
}

std::optional<std::string> systemHost() {
    char name[HOST_NAME_MAX + 2] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return std::nullopt;
    return std::string(name);
}

}  // namespace

std::string UserName() {
    {
        Override& o = override_();
        std::lock_guard lock(o.mu);
        if (o.active) return o.login.value_or("");
    }
    return systemLogin().value_or("");
}

std::string ComputerNameOf(std::string_view hostName) { return std::string(hostName.substr(0, hostName.find('.'))); }

std::string ComputerName() {
    std::optional<std::string> host;
    {
        Override& o = override_();
        std::lock_guard lock(o.mu);
        if (o.active) host = o.host;
        else host = systemHost();
    }
    return host ? ComputerNameOf(*host) : std::string();
}

ScopedLookups::ScopedLookups(std::optional<std::string> loginName, std::optional<std::string> hostName) {
    Override& o = override_();
    std::lock_guard lock(o.mu);
    o.active = true;
    o.login = std::move(loginName);
    o.host = std::move(hostName);
}

ScopedLookups::~ScopedLookups() {
    Override& o = override_();
    std::lock_guard lock(o.mu);
    o.active = false;
    o.login.reset();
    o.host.reset();
}

}  // namespace sys::Network
