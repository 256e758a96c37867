#pragma once
// Module CSPlaymodul: the raw 128-byte ID3v1 block at the end of an audio
// file, and the genre lookups through the module's genre table.

#include <array>
#include <string>
#include <string_view>

namespace metadata {

// The raw ID3v1 block, field by field, one character per byte (Windows-1252),
// nothing trimmed: padding blanks and NULs stay as they stand in the file.
struct Id3v1Record {
    std::string Tag;      // 3: "TAG" when a tag is present
    std::string Title;    // 30
    std::string Artist;   // 30
    std::string Album;    // 30
    std::string Year;     // 4
    std::string Comment;  // 30 (an ID3v1.1 track number stays in its last two bytes)
    std::string Genre;    // 1: the character whose code is the genre number
};

namespace CSPlaymodul {

// 127 entries, empty at start; nothing in the program fills them, so the
// lookups below answer as if no genre had a name.
extern std::array<std::string, 127> GenreTable;

// Fills `Rec` from the last 128 bytes of the file at `Path` and returns true
// when its marker is "TAG" (case-sensitive). Never raises: a missing or
// unreadable file, or one shorter than 128 bytes, gives false. Opens the file
// on its own number, so it reads its own file whatever else is open.
bool ReadId3v1Record(std::string_view Path, Id3v1Record& Rec);

// The name for a one-character genre code: "Other" above 63 (and for empty
// text, code 255), else the table's entry.
std::string GenreCharToName(std::string_view GenreChar);

// The one-character code of the first entry 0 to 63 equal to `Name`, or "".
std::string GenreNameToChar(std::string_view Name);

}  // namespace CSPlaymodul
}  // namespace metadata
