#pragma once
// The ways a path comes to name another file, or none, after a program read
// the file there: each moves that file to movedTo(path) and then leaves at
// the path a link to another file, a copy of another file renamed over it, or
// nothing. Tests check that a write meant for the file that was read goes
// into none of them.

#include <unistd.h>

#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>

#include "testsupport/support.hpp"

namespace testsupport {

inline std::string movedTo(const std::string& path) { return path + ".moved"; }

// The bytes of the file a path names; none when it names none.
inline std::optional<std::string> bytesAt(const std::string& path) {
    if (!exists(path)) return std::nullopt;
    return readFile(path);
}

struct PathSwap {
    const char* name;
    void (*apply)(const std::string& path, const std::string& other);
    bool leavesAFile;  // the path names a file afterwards
};

inline void moveAway(const std::string& path) {
    if (std::rename(path.c_str(), movedTo(path).c_str()) != 0) throw std::runtime_error("rename " + path);
}

inline const PathSwap kPathSwaps[] = {
    {"a link to another file",
     [](const std::string& path, const std::string& other) {
         moveAway(path);
         if (symlink(other.c_str(), path.c_str()) != 0) throw std::runtime_error("symlink " + path);
     },
     true},
    {"another file renamed over it",
     [](const std::string& path, const std::string& other) {
         moveAway(path);
         writeFile(path + ".new", readFile(other));
         if (std::rename((path + ".new").c_str(), path.c_str()) != 0) throw std::runtime_error("rename " + path);
     },
     true},
    {"moved away", [](const std::string& path, const std::string&) { moveAway(path); }, false},
};

}  // namespace testsupport
