#pragma once
// What the file table, the file-system functions and the stores share inside
// the runtime library.

#include <sys/stat.h>
#include <sys/types.h>

#include <string>
#include <string_view>

namespace runtime::detail {

// No file name holds a NUL byte, and a system call reads a path only up to
// its first one, so a path that holds one names no file: the file calls
// refuse it instead of acting on the shorter path before the NUL.
inline bool HoldsNul(std::string_view path) { return path.find('\0') != std::string_view::npos; }
// Raises 64 (bad file name), naming the path and the reason, when it holds a NUL.
void RefuseNul(std::string_view path);

// Names compared without regard to case: ASCII folded byte by byte, other
// text through LCase.
bool IsAscii(std::string_view s);
std::string FoldCase(std::string_view s);
// Orders names as a listing shows them: without regard to case, then exactly.
bool NameLess(const std::string& a, const std::string& b);

// The entry of `folder` whose name equals `name` without regard to case (the
// exact name when present), or "" when there is none.
std::string FindEntryNoCase(const std::string& folder, std::string_view name);

// Joins a folder and a name with one "/" ("" stands for the current folder).
std::string JoinPath(std::string_view folder, std::string_view name);
// The folder part of a path ("" for a bare name, "/" for a name at the root)
// and the last component.
std::string FolderOf(std::string_view path);
std::string NameOf(std::string_view path);

// Whether this program's file table holds the file with that identity open,
// and whether any of those opens writes to it.
struct OpenState {
    bool open = false;
    bool writing = false;
};
OpenState OpenStateOf(dev_t dev, ino_t ino);

}  // namespace runtime::detail
