#pragma once
// A small per-user store kept as one UTF-8 text file, shared by the settings
// store and the registry emulation.
//
// The file is a first line naming its format, then one record per line with
// its fields separated by tabs. Backslash, tab, line ends, other control
// characters and bytes that are not UTF-8 are escaped (\\, \t, \n, \r, \xHH),
// so any text keeps exactly.
//
// Reading: the file is read again only when it changed since the last read
// (its identity, size or modification time). A missing or empty file holds no
// records. A damaged or unreadable file is reported once on standard error
// and read as holding none.
//
// Writing: the whole file is replaced through a temporary file and a rename
// (WriteFileAtomically), its folder created when missing, under an advisory
// lock on the folder so that two programs do not lose each other's changes. A
// damaged file is never overwritten before a copy of it is kept beside it
// ("settings.damaged", then "settings.damaged.1" ...). A file that is there
// but cannot be read (its permissions, a folder in its place, a read error)
// is never replaced: the update fails and the file stays byte for byte.

#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace runtime {

class RecordFile {
public:
    using Record = std::vector<std::string>;

    // kind names the store in messages ("settings store"); header is the
    // file's first line; valid tells whether a record read back is sound.
    RecordFile(std::string kind, std::string header, std::function<bool(const Record&)> valid);

    // The records of the file at path.
    std::vector<Record> load(const std::string& path);
    // Reads the records under the folder's lock, lets change() edit them and,
    // when it returns true, writes them back. Raises runtime::Error when the
    // file cannot be read or written (the old file then stays as it was).
    void update(const std::string& path, const std::function<bool(std::vector<Record>&)>& change);

    // Reads records from a file's text; false with a reason when the text is
    // damaged (no records then).
    bool parse(std::string_view text, std::vector<Record>& records, std::string& problem) const;

    // The escaping of one field, and its inverse (false on a bad escape).
    static std::string escape(std::string_view field);
    static bool unescape(std::string_view text, std::string& field);

private:
    struct Identity {
        dev_t dev = 0;
        ino_t ino = 0;
        off_t size = -1;
        long long mtimeNs = 0;
        bool operator==(const Identity&) const = default;
    };

    const std::vector<Record>& loadLocked(const std::string& path);
    void keepDamagedCopy(const std::string& path);

    std::string kind_;
    std::string header_;
    std::function<bool(const Record&)> valid_;
    std::mutex mu_;
    std::string cachedPath_;
    bool cached_ = false;
    Identity cachedId_;
    std::vector<Record> records_;
    bool damaged_ = false;      // the cached file is damaged or unreadable
    std::string unreadable_;    // why the file there could not be read ("" when it could)
    int unreadableNumber_ = 0;  // the error number of that failure
    Identity reportedId_;       // the damaged file last reported
    std::string reportedPath_;
};

// A per-user folder: $<xdgVariable> when it holds an absolute path, else
// $HOME/<belowHome> (the password database's home when HOME is not set).
std::string UserFolder(const char* xdgVariable, const char* belowHome);

}  // namespace runtime
