#pragma once
// The file-system object's view of one file: its dates, its type as the
// desktop names it, its size and its attribute bits.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/format.hpp"

namespace sys {

struct FileInfo {
    std::string path;                           // as found (resolved without regard to case)
    runtime::DateTime modified;                 // local time, to the second
    // None where the file system records no creation time (the caller shows
    // an empty text for it).
    std::optional<runtime::DateTime> created;
    runtime::DateTime accessed;
    std::string type;                           // FileTypeDescription of the file
    std::int64_t size = 0;                      // bytes
    int attributes = 0;                         // runtime::GetAttr
};

// The file at path. Error 53 when there is none (also for a folder, or an
// empty path); the type is left "File" when the file cannot be read.
FileInfo GetFile(std::string_view path);

// The English description the desktop MIME database gives a file's type,
// guessed from its name and its first bytes ("MP3 audio"), whatever the
// process's locale. A type the database does not know gives the name's
// extension in capitals and " File" ("ZZQ File"), or "File" for a name with
// no extension.
std::string FileTypeDescription(std::string_view name, std::string_view firstBytes);

}  // namespace sys
