#pragma once
// Byte-level helpers of the ID3v2 tag object: the four text encodings of a
// frame, syncsafe numbers and the unsynchronisation scheme.

#include <cstdint>
#include <string>
#include <string_view>

namespace metadata::id3v2 {

enum Encoding : int { Latin1 = 0, Utf16 = 1, Utf16BE = 2, Utf8 = 3 };

// Big-endian numbers of 3 or 4 bytes, and the 7-bits-per-byte syncsafe form.
std::uint32_t be24(std::string_view b, std::size_t at);
std::uint32_t be32(std::string_view b, std::size_t at);
std::uint32_t syncsafe32(std::string_view b, std::size_t at);
void putBe32(std::string& out, std::uint32_t value);
void putSyncsafe32(std::string& out, std::uint32_t value);  // value below 2^28

// Undoes unsynchronisation: every 0xFF 0x00 pair becomes 0xFF.
std::string resynchronise(std::string_view bytes);

// Where the terminator of the string starting at `from` begins (one zero byte,
// or two aligned zero bytes for the UTF-16 encodings); npos when there is none.
std::size_t findTerminator(std::string_view bytes, std::size_t from, int encoding);
std::size_t terminatorLength(int encoding);

// Decodes text of the given encoding to UTF-8. Encoding 0 is read as
// Windows-1252; UTF-16 strings take their byte order from a BOM (little-endian
// without one). Terminators inside the bytes become U+0000 characters, and
// each string after one may carry its own BOM. Unknown encodings read as 0.
std::string decode(std::string_view bytes, int encoding);
// The text without its U+0000 characters.
std::string removeNuls(std::string_view utf8);

// True when every character is ASCII or U+00A0 to U+00FF, the range that every
// reader takes the same way from a Latin-1 field.
bool fitsLatin1(std::string_view utf8);
// The encoding this program writes text in: 0 when it fits Latin-1, else 1.
int encodingFor(std::string_view utf8);
// UTF-8 text in encoding 0 (Latin-1 bytes; the text must fit) or 1 (UTF-16
// little-endian with a BOM on every string; U+0000 characters become two-byte
// terminators, and an empty string after the last one is left out).
std::string encode(std::string_view utf8, int encoding);
// Bytes for a field that is Latin-1 by definition (URLs, MIME types, language):
// Latin-1 where the character fits, else its UTF-8 bytes percent-encoded as a
// URL does it.
std::string latin1OrPercent(std::string_view utf8);

// A frame identifier of the given length made of A-Z and 0-9 only.
bool isValidFrameId(std::string_view id);

}  // namespace metadata::id3v2
