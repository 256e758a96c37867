#pragma once
// An emulated HKEY_CLASSES_ROOT: keys with default string values, created with
// the keys on the way. Key names match without regard to case and keep the
// case they were created with. Kept in $XDG_DATA_HOME/dovetune/registry
// (default ~/.local/share/dovetune/), rewritten through a temporary file and a
// rename on every change.
//
// The calls return the system's result codes as the original's: 0 for success.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sys {

using HKEY = std::intptr_t;
inline constexpr HKEY HKEY_CLASSES_ROOT = static_cast<HKEY>(0x80000000);
inline constexpr long ERROR_SUCCESS = 0;
inline constexpr long ERROR_BADKEY = 1010;
inline constexpr long ERROR_CANTWRITE = 1013;
inline constexpr long ERROR_INVALID_HANDLE = 6;
inline constexpr long ERROR_INVALID_PARAMETER = 87;
inline constexpr std::uint32_t REG_SZ = 1;

// Opens or creates root\subKey (sub-keys separated by "\"), creating the keys
// on the way; the handle is written to result and stays valid until
// RegCloseKey. root is HKEY_CLASSES_ROOT or an open handle (another is
// ERROR_INVALID_HANDLE). ERROR_CANTWRITE when the store cannot be read or
// written (it then stays as it was).
long RegCreateKey(HKEY root, std::string_view subKey, HKEY* result);
// Sets a value of an open key; the empty name is the key's default value.
// Value names match without regard to case. Only REG_SZ is kept (another type
// is ERROR_INVALID_PARAMETER); the data is text up to its first NUL.
long RegSetValueEx(HKEY key, std::string_view valueName, std::uint32_t reserved, std::uint32_t type,
                   std::string_view data);
long RegCloseKey(HKEY key);  // ERROR_INVALID_HANDLE for a handle not open
// Why the last call of this thread that returned ERROR_CANTWRITE failed: the
// store's file and the reason.
std::string RegLastFailure();

// Reads a key's default value back (for the options window and for tests);
// nullopt when the key or its default value does not exist.
std::optional<std::string> RegQueryDefault(HKEY root, std::string_view subKey);
// Reads a named value of a key (the empty name is the default value), the
// name matched without regard to case; nullopt when the key or the value
// does not exist.
std::optional<std::string> RegQueryValue(HKEY root, std::string_view subKey, std::string_view valueName);
// The keys directly below root\subKey (the empty subKey: below root), as
// they were created, in the order of their creation; empty when the key does
// not exist.
std::vector<std::string> RegEnumKeys(HKEY root, std::string_view subKey);
std::string RegistryFilePath();

}  // namespace sys
