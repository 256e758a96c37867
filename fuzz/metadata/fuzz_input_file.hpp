#pragma once
// The readers under test take a path, so each fuzz input is written to one
// in-memory file (a memfd, named by its /proc/self/fd path), rewritten in
// place for every run; it goes away with the process.

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace fuzzsupport {

class InputFile {
public:
    static InputFile& instance() {
        static InputFile file;
        return file;
    }
    const std::string& write(const std::uint8_t* data, std::size_t size) {
        if (::ftruncate(fd_, 0) != 0) std::abort();
        std::size_t done = 0;
        while (done < size) {
            ssize_t n = ::pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
            if (n <= 0) std::abort();
            done += static_cast<std::size_t>(n);
        }
        return path_;
    }

private:
    InputFile() {
        fd_ = ::memfd_create("dovetune-fuzz.mp3", MFD_CLOEXEC);
        if (fd_ < 0) std::abort();
        path_ = "/proc/self/fd/" + std::to_string(fd_);
    }
    std::string path_;
    int fd_ = -1;
};

}  // namespace fuzzsupport
