#include "numbered_file.hpp"

#include <cerrno>

#include <unistd.h>

#include "runtime/error.hpp"

namespace metadata::detail {

NumberedFile::NumberedFile(std::string_view path, runtime::Access access, runtime::Lock lock)
    : path_(path) {
    auto& files = runtime::Files();
    int number = files.FreeFile();
    files.Open(path, runtime::OpenMode::Binary, number, access, lock);
    number_ = number;
    try {
        fd_ = files.Descriptor(number_);
        length_ = files.LOF(number_);
    } catch (...) {
        close();
        throw;
    }
}

NumberedFile::~NumberedFile() { close(); }

void NumberedFile::close() {
    if (number_ != 0) {
        int number = number_;
        number_ = 0;
        fd_ = -1;
        runtime::Close(number);
    }
}

std::string NumberedFile::read(std::int64_t offset, std::size_t count) const {
    std::string out;
    if (offset < 0 || offset >= length_ || count == 0) return out;
    std::int64_t left = length_ - offset;
    if (static_cast<std::uint64_t>(left) < count) count = static_cast<std::size_t>(left);
    out.resize(count);
    std::size_t got = 0;
    while (got < count) {
        ssize_t n = ::pread(fd_, out.data() + got, count - got,
                            static_cast<off_t>(offset + static_cast<std::int64_t>(got)));
        if (n < 0) {
            if (errno == EINTR) continue;
            throw runtime::fileError(errno, path_);
        }
        if (n == 0) break;  // the file shrank under us
        got += static_cast<std::size_t>(n);
    }
    out.resize(got);
    return out;
}

void NumberedFile::write(std::int64_t offset, std::string_view bytes) {
    runtime::Files().PutBytes(number_, offset + 1, bytes);
}

void NumberedFile::requireFile(const std::optional<runtime::FileIdentity>& read) const {
    if (read && identity() != *read)
        throw runtime::Error(runtime::err::PathFileAccessError,
                             path_ + " is no longer the file whose tags were read: it was moved, replaced or linked "
                                     "to another file since");
}

std::int64_t LeadingDigits(std::string_view text) {
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace metadata::detail
