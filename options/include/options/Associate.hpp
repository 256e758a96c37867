#pragma once
// Module Associate: ties a file extension to a file type whose open command
// starts the player, in the emulated HKEY_CLASSES_ROOT and on the desktop.

#include <string>
#include <vector>

namespace options::Associate {

// Ext (".mp3") names the file type ProgID, and ProgID\Shell\Open\Command
// holds Command (the program's path, one blank, "%1"). The desktop is told
// too: the program becomes the default for the extension's MIME types.
// Nothing is removed and nothing else is written. Returns whether every step
// succeeded; a failing step does not stop the ones after it. The reasons of
// the failures (each naming its file) are added to reasons when given,
// each once: a reason already there is not added again.
bool AssociateFileType(std::string ProgID, std::string Command, std::string Ext,
                       std::vector<std::string>* reasons = nullptr);

// The program path of an open command: the command without its " %1".
std::string ProgramOfCommand(const std::string& Command);

}  // namespace options::Associate
