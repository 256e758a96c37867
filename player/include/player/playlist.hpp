#pragma once
// The playlist's display lines: title & " - " & size text.

#include <cstdint>
#include <string>
#include <vector>

namespace player {

// The part after the last "/" (the whole path when it has none).
std::string FileNameOf(const std::string& path);
// The path up to and including its last "/" (the whole path when it has none).
std::string FolderOf(const std::string& path);
// The file name less its last four characters; four or fewer are kept whole.
std::string TitleOf(const std::string& path);
// " Bytes" below 1004, " KB" below 1,027,604, " MB" from there on, with up
// to two decimals: 1536 gives "1.5 KB", 1004 gives ".98 KB".
std::string SizeText(std::int64_t bytes);
// The display line of a path; a file that cannot be measured gets "name - ".
std::string DisplayLine(const std::string& path);
// Every line of a playlist file as its bytes (undecoded: a path's bytes are
// its name), each without its line end, read on the program-wide file
// number 1; the end is tested before each line, so an empty file gives none.
// Errors are the file table's (53 for a missing file).
std::vector<std::string> ReadLines(const std::string& path);
// Whether a command-line path names a playlist: it ends in "m3u" or in
// "m3u8" (UTF-8 lists, as other players save them), in any case; a dot
// before it is not needed.
bool IsPlaylistName(const std::string& path);
// The entries of a playlist file as other players write it, from its lines
// (ReadLines) and its own path: lines that begin with "#" (#EXTM3U, #EXTINF
// and other comments) and blank lines are skipped; a "file:" URI becomes the
// path it names; a relative path is taken in the list file's folder; any
// other line (a full path, a stream address) is taken whole.
std::vector<std::string> PlaylistEntries(const std::vector<std::string>& lines, const std::string& listFile);

}  // namespace player
