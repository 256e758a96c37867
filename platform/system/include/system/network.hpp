#pragma once
// The network identity the contact mail names: the user's login name and the
// computer's name. A lookup that fails gives the empty text.

#include <optional>
#include <string>
#include <string_view>

namespace sys::Network {

// The login name of the real user id, from the password database.
std::string UserName();
// The host name up to its first "." ("box.example.org" -> "box").
std::string ComputerName();

// The computer name of a host name as ComputerName cuts it.
std::string ComputerNameOf(std::string_view hostName);

// For tests: what the two lookups answer from now on (nullopt: the lookup
// fails); the host name is cut as the system's is. Restores the system's
// lookups when the object goes.
class ScopedLookups {
public:
    ScopedLookups(std::optional<std::string> loginName, std::optional<std::string> hostName);
    ~ScopedLookups();
    ScopedLookups(const ScopedLookups&) = delete;
    ScopedLookups& operator=(const ScopedLookups&) = delete;
};

}  // namespace sys::Network
