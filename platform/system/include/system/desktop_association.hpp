#pragma once
// Tells a Linux desktop which program opens a file type: the desktop entry
// "dovetune.desktop" in $XDG_DATA_HOME/applications/ lists every MIME type
// made ours so far, and $XDG_CONFIG_HOME/mimeapps.list names the entry as
// the default (and first added association) of the extension's types. Other
// lines of mimeapps.list, and other programs' entries, stay byte for byte.
// Both files are replaced atomically and as one step: when mimeapps.list
// cannot be written, the desktop entry is left (or put back) as it was, byte
// for byte, or left out when there was none, so the desktop holds the whole
// registration or none of it. update-desktop-database is run on the
// applications folder when it is installed.

#include <string>
#include <string_view>
#include <vector>

namespace sys {

inline constexpr std::string_view DesktopEntryName = "dovetune.desktop";

// The MIME types of a file extension with its dot, without regard to case:
// ".mp3" audio/mpeg; ".wma" audio/x-ms-wma; ".wav" audio/x-wav, audio/wav;
// ".mid" audio/midi, audio/x-midi; ".rm" application/vnd.rn-realmedia,
// audio/x-pn-realaudio; ".m3u" audio/x-mpegurl, audio/mpegurl. Empty for
// any other extension.
std::vector<std::string> MimeTypesOfExtension(std::string_view ext);

// Makes the program (a path; its files come as one argument each) the
// desktop's default for the extension's MIME types, with the icon (a path,
// or empty for none). An extension without types changes nothing. Raises
// runtime::Error, naming the file and the reason, when a file cannot be
// read or written (a file there that cannot be read is never replaced).
void MakeDesktopDefault(std::string_view program, std::string_view icon, std::string_view ext);

std::string DesktopEntryPath();  // $XDG_DATA_HOME/applications/dovetune.desktop
std::string MimeAppsListPath();  // $XDG_CONFIG_HOME/mimeapps.list

// For tests: mimeapps.list's text with the types' defaults set to the entry
// (what MakeDesktopDefault writes).
std::string WithDefaults(std::string_view mimeApps, const std::vector<std::string>& types,
                         std::string_view entry = DesktopEntryName);
// The Exec value that starts the program on one file (quoted and escaped as
// the desktop entry format wants).
std::string DesktopExec(std::string_view program);

}  // namespace sys
