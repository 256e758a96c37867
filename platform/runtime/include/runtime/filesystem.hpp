#pragma once
// File-system functions of the original runtime.

#include <cstdint>
#include <functional>
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
// matching its last component ("*" and "?", without regard to case); Dir() the
// next one of the same search; "" when there are no more. One cursor for the
// whole program. Hidden and system entries are skipped unless asked for;
// folders only with vbDirectory. A pattern naming a folder that does not exist
// gives "".
std::string Dir(std::string_view pattern, int attributes = vbNormal);
std::string Dir();

bool FileExists(std::string_view path);      // a file or folder, resolved without regard to case
bool FolderExists(std::string_view path);
std::int64_t FileLen(std::string_view path); // 53 when missing
DateTime FileDateTime(std::string_view path);  // last modification, local time
int GetAttr(std::string_view path);
void SetAttr(std::string_view path, int attributes);
void Kill(std::string_view pattern);         // wildcards allowed; 53 when nothing matches
void Name(std::string_view oldPath, std::string_view newPath);  // 58 when the new name exists
void FileCopy(std::string_view source, std::string_view destination);  // onto itself is error 70
void MkDir(std::string_view path);           // 75 when it exists
void RmDir(std::string_view path);
std::string CurDir();

// Wildcard match of a name against a pattern ("*", "?"), without regard to case.
bool MatchesPattern(std::string_view name, std::string_view pattern);

// Visits root and every folder beneath it (root first, then depth first in
// name order). Links to folders are never followed and no folder is visited
// twice, so a link loop cannot hang a search.
void WalkFolders(std::string_view root, const std::function<void(const std::string& folder)>& visit);

}  // namespace runtime
