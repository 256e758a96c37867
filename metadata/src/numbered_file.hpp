#pragma once
// A file opened on a number of the program-wide file table for as long as one
// reader runs, and closed again on every path. Reads go straight to the
// descriptor at 0-based offsets and are bounded by the file's length, so no
// size field read from the file can make a reader run past its end.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/files.hpp"

namespace metadata::detail {

class NumberedFile {
public:
    // Takes the lowest free number and opens `path` in binary mode on it.
    NumberedFile(std::string_view path, runtime::Access access, runtime::Lock lock);
    ~NumberedFile();
    NumberedFile(const NumberedFile&) = delete;
    NumberedFile& operator=(const NumberedFile&) = delete;

    int number() const noexcept { return number_; }
    std::int64_t length() const noexcept { return length_; }
    const std::string& path() const noexcept { return path_; }

    // Up to `count` bytes at 0-based `offset`; fewer at the end of the file,
    // none before its start. Raises the mapped error when the read fails.
    std::string read(std::int64_t offset, std::size_t count) const;
    // Writes at a 0-based offset through the file table.
    void write(std::int64_t offset, std::string_view bytes);

    // The file that is open here.
    runtime::FileIdentity identity() const { return runtime::Files().Identity(number_); }
    // Raises 75 when a tag object that read `read` finds another file open
    // here: the path was moved, replaced or linked elsewhere since, and the
    // tag read from one file must not be written into another.
    void requireFile(const std::optional<runtime::FileIdentity>& read) const;

    void close();  // closes this number only

private:
    int number_ = 0;
    int fd_ = -1;
    std::int64_t length_ = 0;
    std::string path_;
};

// The value of the leading decimal digits of a text (0 when it starts with none),
// as the Lyrics3 size fields are read.
std::int64_t LeadingDigits(std::string_view text);

}  // namespace metadata::detail
