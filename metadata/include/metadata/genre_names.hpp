#pragma once
// The genre names that both tag objects (ID3v1 and ID3v2) show for a genre
// code: the published ID3v1 list (0-79) with the Winamp extension (80-147), in
// this program's own spellings.

#include <string>

namespace metadata {

// The name of a genre code, or empty text for a code without one (123, and
// every code outside 0-147).
std::string Id3v1GenreName(int code);

}  // namespace metadata
