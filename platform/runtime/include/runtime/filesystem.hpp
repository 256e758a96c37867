#pragma once
// File-system functions of the original runtime.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/format.hpp"

namespace runtime {

// Attribute bits, as the original numbers them.
inline constexpr int vbNormal = 0;
inline constexpr int vbReadOnly = 1;    // no write permission for the owner
inline constexpr int vbHidden = 2;      // the name starts with "."
inline constexpr int vbSystem = 4;      // kept in user.DOSATTRIB where supported
inline constexpr int vbVolume = 8;
inline constexpr int vbDirectory = 16;
inline constexpr int vbArchive = 32;    // kept in user.DOSATTRIB where supported

// Dir(pattern, attributes): the first name (not path) in the pattern's folder
// matching its last component ("*" and "?", without regard to case; a pattern
// ending in "/" lists every name); Dir() the next one of the same search; ""
// when there are no more. Names come in name order, without regard to case.
// One cursor for the whole program: a new search ends the one before; Dir()
// before any search is error 5. Hidden and system entries are skipped unless
// asked for; folders only with vbDirectory; "." and ".." never. A pattern
// naming a folder that does not exist gives "". Leaving hidden or system
// files out costs a read of user.DOSATTRIB for every matching file (where
// the file system keeps extended attributes); with both vbHidden and
// vbSystem none is read.
std::string Dir(std::string_view pattern, int attributes = vbNormal);
std::string Dir();

bool FileExists(std::string_view path);      // a file or folder, resolved without regard to case
bool FolderExists(std::string_view path);
std::int64_t FileLen(std::string_view path); // 53 when missing
DateTime FileDateTime(std::string_view path);  // last modification, local time; 53 when missing
// The attribute bits of a file or folder (53 when missing). Hidden is a
// leading "." or the hidden bit of user.DOSATTRIB.
int GetAttr(std::string_view path);
// Replaces the whole set: read-only takes every write permission away, and
// clearing it gives back the owner's and those it took away (remembered by
// the file's device and inode while the program runs; for a file that came
// read-only, those the umask allows to whoever may read it); hidden, system
// and archive go to user.DOSATTRIB where the file system keeps it.
// vbDirectory, vbVolume or other bits are error 5.
void SetAttr(std::string_view path, int attributes);
// Deletes files: one name, or every normal file matching a pattern (not
// folders, hidden or system files); 53 when nothing matches. A file this
// program holds open is error 55, a read-only file or a folder error 75.
void Kill(std::string_view pattern);
// Deletes exactly the one file path names: "*" and "?" are characters of the
// name, never a pattern (a Linux name may hold them). The refusals are
// Kill's: 53 when missing, 55 when this program holds it open, 75 for a
// read-only file or a folder.
void KillFile(std::string_view path);
// Renames or moves a file or folder. The new name is kept as written (a
// change of case alone is a rename); 58 when another file has the new name
// (also in another case), 53 when the old one is missing, 76 when the new
// folder is missing, 75 when this program holds the file open.
void Name(std::string_view oldPath, std::string_view newPath);
// Copies a file, replacing the destination (through a temporary file, so a
// failed copy leaves it as it was) and keeping the source's permissions and
// modification time. Error 70 onto the file itself (also through another
// spelling or a link), from a file this program is writing, or onto one that
// is read-only or open here; 75 onto a folder, or from anything but a file
// (a folder, a named pipe, a device).
void FileCopy(std::string_view source, std::string_view destination);
void MkDir(std::string_view path);           // 75 when it exists (in any case), 76 when its folder is missing
void RmDir(std::string_view path);           // 75 when not empty, 76 when missing
std::string CurDir();

// The path a line read back from a text file (a playlist) names, as folder &
// line; folder is "" or ends in "/" (the folder a relative line lies in, kept
// as it is). The line's bytes are the file's name as Linux keeps it: bytes
// that are valid UTF-8, or that name a file or folder, are kept exactly;
// bytes that name nothing but whose Windows-1252 reading does name something
// (a list written on the original platform) are taken in that reading;
// anything else is kept exactly, so an entry is never rewritten into a name
// that does not exist.
std::string PathFromText(std::string_view line, std::string_view folder = {});

// The local path a "file:" URI names ("file:///m/a%20b.mp3" gives
// "/m/a b.mp3"): the host empty or "localhost", every %XX escape decoded to
// the byte it stands for (the name's bytes, UTF-8 or not). nullopt for any
// other text, another host, a NUL byte (escaped or not), which no path holds,
// or an escaped "/" ("%2F"), which would be a separator inside a name: such
// a URI names no file, as GLib's g_filename_from_uri has it.
std::optional<std::string> PathFromFileUri(std::string_view uri);

// Wildcard match of a name against a pattern ("*", "?"), without regard to
// case. As the original's "*.*" matches every name, "x.*" also matches "x".
bool MatchesPattern(std::string_view name, std::string_view pattern);

// Visits root and every folder beneath it (root first, then depth first in
// name order). Links to folders are never followed and no folder is visited
// twice, so a link loop cannot hang a search. "" is the root folder "/".
// descend, when given, is asked about every folder beneath root (its path)
// before it is visited: false skips that folder and all beneath it.
void WalkFolders(std::string_view root, const std::function<void(const std::string& folder)>& visit,
                 const std::function<bool(const std::string& folder)>& descend = {});

namespace detail {
// For tests: Dir reads user.DOSATTRIB by the file's whole path, as on a
// kernel without getxattrat (on) or as it chooses (off).
void ReadAttributesByPath(bool on);
}  // namespace detail

}  // namespace runtime
