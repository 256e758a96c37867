#pragma once
// Starting programs and opening documents. A program is started by argument
// vector, never through a shell string; documents, folders, web addresses and
// mail links are opened by the desktop's handler (xdg-open).

#include <string>
#include <string_view>
#include <vector>

namespace sys {

// Starts argv[0] (a path, or a name looked up on PATH) with the arguments
// that follow, without waiting for it; returns its process id. A program that
// does not exist is error 53; one that cannot be started, or an argument that
// holds a NUL byte (which the program would get cut there), error 5.
long StartProgram(const std::vector<std::string>& argv);

// The original's Shell(pathname, windowstyle): the path names the program
// alone, without arguments. The window style (0, 1, 2, 3, 4 or 6; others are
// error 5) is a wish the started program's window manager may not grant.
// Returns the process id; error 53 when the program does not exist.
long Shell(std::string_view program, int windowStyle = 2);

// Opens a file, folder, web address or mail link with the desktop's handler:
// xdg-open, or the program named by DOVETUNE_OPENER. Returns false when the
// opener could not be started or the target holds a NUL byte (a path that
// names no file: the part before the NUL is not opened); nothing is reported.
bool ShellOpen(std::string_view target);

}  // namespace sys
