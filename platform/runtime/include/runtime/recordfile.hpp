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
// records. A store cut short (a copy or a write that stopped partway, a tail
// of NULs after a crash) has a last line without its line end, or one that is
// not a record: that line is dropped and the whole records before it are
// read. Any other damage (no header, a line before the last that is not a
// record) means the file is no store: it is read as holding none. A damaged,
// cut or unreadable file is reported once on standard error.
//
// Writing: the whole file is replaced through a temporary file and a rename
// (WriteFileAtomically), its folder created when missing, under an advisory
// lock on the folder so that two programs do not lose each other's changes. A
// damaged file is never overwritten before a copy of it is kept beside it
// ("settings.damaged", then "settings.damaged.1" ...); a cut store is written
// whole again at the first update, whether or not it changes a record. A file that is there
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

    // What a file's text holds.
    enum class Parsed {
        Whole,    // a store, every line after the header a record
        Cut,      // a store cut short: records holds the records of its whole
                  // lines, the last line (without its line end, or not a
                  // record) dropped
        Damaged,  // no store: no records
    };
    // Reads records from a file's text; the reason in problem when it is not
    // Whole.
    Parsed parse(std::string_view text, std::vector<Record>& records, std::string& problem) const;

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

    // One line after the header as a record; false when it is none.
    bool recordOf(std::string_view line, Record& record) const;
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
    bool damaged_ = false;      // the cached file is damaged, cut or unreadable
    bool cut_ = false;          // the cached file is a store cut short
    std::string unreadable_;    // why the file there could not be read ("" when it could)
    int unreadableNumber_ = 0;  // the error number of that failure
    Identity reportedId_;       // the damaged file last reported
    std::string reportedPath_;
};

// A per-user folder: $<xdgVariable> when it holds an absolute path, else
// $HOME/<belowHome> (the password database's home when HOME is not set).
std::string UserFolder(const char* xdgVariable, const char* belowHome);

}  // namespace runtime
