#pragma once
// The program-wide file-number table: the original's Open/Get/Put/Line Input/
// Print/Close by file number, with case-insensitive path resolution.
//
// Semantics the metadata and window code rely on:
// - FreeFile gives the lowest free number (1..511); opening a number already
//   in use is error 55; a number outside 1..511 is error 52.
// - Input needs an existing file (53). Output creates or truncates, Append
//   creates and writes at the end. Binary with Access::Read never creates the
//   file (53 when missing); Binary with Write or ReadWrite creates it; Binary
//   with Access::Default opens for reading and writing (creating the file) and,
//   where the file may not be written, for reading only, as the original does.
//   A file to be created in a missing folder is error 76; a folder is error 75.
// - The path is resolved without regard to case when it does not exist as
//   given (ResolvePath); PathOf tells the file that was opened.
// - Locks hold between our own opens: an open that denies writers
//   (Lock::Write, Lock::ReadWrite) fails with 70 while this program has the
//   file open for writing, and an open for writing fails with 70 while another
//   open of the same file denies writers (likewise for readers). Opens without
//   a lock share the file freely.
// - Get/Put positions are 1-based byte positions; FileTable::CurrentPosition
//   continues where the last Get or Put ended (the original's omitted
//   position); a position below 1 is error 63 (bad record number), so a
//   position worked out from a file too short for it fails. Get past the
//   end gives the bytes there are (possibly none) and sets EOF. Get/Put on a
//   file not opened Binary is error 54; Get on a file opened for writing only
//   (or Put on one opened for reading) is error 75.
// - Text through Get/Put goes one character per byte through Windows-1252.
// - Print writes UTF-8 and CR LF; Line Input ends a line at CR LF, LF or CR,
//   decodes UTF-8 and falls back to Windows-1252 for a line that is not valid
//   UTF-8 (a UTF-8 byte-order mark at the start of the file is dropped), and
//   raises 62 at the end of the file.
// - Close(n) of a number not open does nothing; CloseAll closes every file,
//   whoever opened it.
// - A path that holds a NUL byte names no file, since no file name holds one:
//   the file calls here and in filesystem.hpp refuse it with 64 (bad file
//   name), naming the path and the reason, and the questions (FileExists,
//   FolderExists, IdentityOf, Dir) find nothing, so no system call ever sees
//   the shorter path before the NUL.

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace runtime {

enum class OpenMode { Input, Output, Append, Binary };

// Which file a path or an open number stands for: its device and inode. A
// file replaced through a rename (as AtomicFile does) is a new file with a new
// identity, however like the old one it looks.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};
enum class Access { Default, Read, Write, ReadWrite };
// What an open denies to other opens of the same file.
enum class Lock { Shared, Read, Write, ReadWrite };

class FileTable {
public:
    static constexpr int MaxNumber = 511;

    static FileTable& instance();

    int FreeFile() const;  // 67 (too many files) when all numbers are taken
    void Open(std::string_view path, OpenMode mode, int number, Access access = Access::Default,
              Lock lock = Lock::Shared);
    void Close(int number);
    void CloseAll();
    bool IsOpen(int number) const;
    // The resolved path of an open number ("" when not open).
    std::string PathOf(int number) const;

    // Binary access. position is 1-based; CurrentPosition continues at the
    // current position.
    static constexpr std::int64_t CurrentPosition = std::numeric_limits<std::int64_t>::min();
    std::string GetBytes(int number, std::int64_t position, std::size_t count);
    void PutBytes(int number, std::int64_t position, std::string_view bytes);
    // Text of `count` characters, one byte each through Windows-1252.
    std::string GetText(int number, std::int64_t position, std::size_t count);
    void PutText(int number, std::int64_t position, std::string_view utf8);
    std::uint8_t GetByte(int number, std::int64_t position);
    void PutByte(int number, std::int64_t position, std::uint8_t value);

    std::int64_t LOF(int number) const;
    // End of file: an Input file has no more bytes at its position; a Binary
    // file's last Get (or Line Input) reached the end; Output and Append are
    // always at their end. (<cstdio> makes EOF a macro in nearly every
    // translation unit, so the function is called Eof; EOF stays declared for
    // code that has undefined the macro.)
    bool Eof(int number) const;
#pragma push_macro("EOF")
#undef EOF
    bool EOF(int number) const { return Eof(number); }
#pragma pop_macro("EOF")
    std::int64_t Seek(int number) const;              // the next 1-based position
    void Seek(int number, std::int64_t position);     // below 1 is error 63

    // Text files.
    std::string LineInput(int number);
    // The next line as the file holds its bytes, undecoded (for paths, whose
    // bytes are the name); line ends and the byte-order mark as LineInput.
    std::string LineInputBytes(int number);
    std::string Input(int number);  // one comma-separated field (quotes removed)
    void Print(int number, std::string_view text);    // text then CR LF
    void PrintNoNewline(int number, std::string_view text);

    // The open descriptor, for readers that want pread on a number they hold.
    int Descriptor(int number) const;
    // The file open on a number, as it was when it was opened.
    FileIdentity Identity(int number) const;

    FileTable(const FileTable&) = delete;
    FileTable& operator=(const FileTable&) = delete;
    ~FileTable();

private:
    friend struct FileTableAccess;
    struct Impl;
    FileTable();
    std::unique_ptr<Impl> impl_;
};

// Shorthands on the program-wide table.
inline FileTable& Files() { return FileTable::instance(); }
inline int FreeFile() { return FileTable::instance().FreeFile(); }
inline void Close(int number) { FileTable::instance().Close(number); }
inline void CloseAll() { FileTable::instance().CloseAll(); }

// Resolves a path as the original's case-insensitive file system would: the
// exact path when it exists, else each component matched without regard to
// case (exact match preferred). Components that match nothing are kept as
// given, so a path to a file that is about to be created resolves its folders.
// A path that holds a NUL is refused (64), so code that resolves a path before
// a system call of its own never acts on the part before the NUL.
std::string ResolvePath(std::string_view path);

// The file a path names now, links followed and the path resolved as Open
// resolves it; none when it names no file.
std::optional<FileIdentity> IdentityOf(std::string_view path);

// Writes a whole file through a temporary file in the same folder and a rename,
// so a crash never leaves a half-written file. Raises 75 when the folder cannot
// be written, 76 when it is missing (or the mapped errno error) and leaves the
// old file untouched on failure.
void WriteFileAtomically(std::string_view path, std::string_view bytes);

// A file replaced as a whole: written to a private temporary file in the
// target's folder (the link's target's folder when the path is a symbolic
// link), then flushed, named and renamed over it by commit(). The temporary
// file is unnamed while it is written where the file system allows it, so a
// crash leaves nothing behind; elsewhere it is a hidden file of mode 0600. It
// gets the old file's owner, permissions and extended attributes just before
// it is named (a new file: 0666 less the umask). Without commit() the
// temporary file is removed and the target is untouched.
class AtomicFile {
public:
    explicit AtomicFile(std::string_view target);  // raises when the folder cannot be written (75)
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    int descriptor() const noexcept { return fd_; }
    const std::string& targetPath() const noexcept { return target_; }
    void write(std::string_view bytes);          // appends; raises on a short write
    // The permission bits commit() gives the file in place of the old file's.
    void setMode(unsigned mode) noexcept { mode_ = static_cast<int>(mode & 07777); }
    // commit() replaces only this file: when the target names another file
    // (or none) by the time of the rename, it raises 75 (53 for none), removes
    // the temporary file and leaves whatever is at the target alone.
    void replaceOnly(const FileIdentity& file) noexcept { expected_ = file; }
    void commit();                               // metadata, fsync, name, rename
    // The file that commit() put at the target.
    const FileIdentity& committedIdentity() const noexcept { return committedId_; }

private:
    std::string target_;
    std::string temp_;      // the temporary file's name once it has one
    int fd_ = -1;
    int mode_ = -1;
    bool unnamed_ = false;  // opened with O_TMPFILE
    bool committed_ = false;
    std::optional<FileIdentity> expected_;
    FileIdentity committedId_;
};

// Reads a whole file (resolved without regard to case); raises 53 when missing.
std::string ReadWholeFile(std::string_view path);
// Reads the whole file at exactly this path; nullopt when it is not there.
// A file that is there but cannot be read raises its error (70 for want of
// permission; the description "<path> could not be read (<reason>)"), so
// that a caller about to replace it never takes it for empty.
std::optional<std::string> ReadFileIfThere(std::string_view path);

namespace detail {
// For tests: the next WriteFileAtomically or AtomicFile::commit fails with
// errnum after its temporary file is complete and before the rename, as a
// crash at that moment would leave it (the temporary file is removed).
void FailNextReplace(int errnum);
// For tests: while set, AtomicFile acts as on a file system that refuses
// unnamed temporary files and writes a named one.
void RefuseUnnamedTemporaryFiles(bool refuse);
// For tests: the next AtomicFile::commit calls `watcher` at two of its steps:
// Complete when the temporary file is written and flushed (before it is
// named), Renamed right after it took the target's place. A test that kills
// its process there sees what a crash at that moment leaves.
enum class ReplaceStep { Complete, Renamed };
void WatchNextReplace(std::function<void(ReplaceStep)> watcher);
}  // namespace detail

}  // namespace runtime
