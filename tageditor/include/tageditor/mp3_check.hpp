#pragma once
// Whether a file is MP3 by its content, so that tags are written only into
// MP3 files: an ID3v2 tag at byte 0 breaks a WAV, MIDI, WMA or RealMedia file.
//
// A file is MP3 when its audio (after a leading ID3v2 tag, if any) begins
// with an MPEG audio frame header, or when it starts with an ID3v2 tag and
// its audio is no other container (RIFF, FORM, MThd, ASF, ".RMF", OggS,
// fLaC, or "ftyp" at byte 4). A leading ID3v2 tag that claims more bytes
// than the file holds, or that reaches into the trailing ID3v1 block, makes
// it no MP3.

#include <string_view>

namespace tageditor {

// An MPEG audio frame header: sync, a version and layer that exist, bitrate
// index 1 to 14, sample-rate index 0 to 2. Fewer than 4 bytes: false.
bool IsMpegFrameHeader(std::string_view bytes);

// The start of another container format (at least the first 12 bytes of the audio).
bool IsOtherContainer(std::string_view bytes);

// Reads the start of the file; a file that cannot be read is not MP3.
bool IsMp3ByContent(std::string_view path);

}  // namespace tageditor
