#pragma once
// Module Module7: the MPEG audio header analyser (GetMpegInfo), the ID3v1 info
// reader with its own genre list (GetId3v1Info) and the Lyrics3 v2 reader.
// None of them raises: a failure ends in an empty or partly filled result.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace metadata {

// What GetMpegInfo finds in the first Layer III frame of a file (MPEG-1, 2 or
// 2.5): the first whose next frame follows it, else the first FF FA / FF FB pair.
// An empty record has every text empty, every number 0 and IsVbr false.
struct MpegInfo {
    std::string SizeText;          // file size in MiB, up to two decimals, " MB"
    std::int32_t Bitrate = 0;      // kbit/s: the average for VBR, the audio frames' after an Info frame
    std::int32_t SampleRate = 0;   // Hz
    std::int16_t MpegVersion = 0;  // 1, 2, or 0 for MPEG-2.5
    std::int16_t Layer = 0;        // 3
    std::int16_t HeaderPosition = 0;  // 1-based position of the sync byte; 0 above 32767
    std::string ChannelMode;       // "stereo", "joint stereo", "dual channel", "single channel"
    std::string Emphasis;          // "None", "50/15", "Reserved", "CCITT J 17"
    std::string Original;          // "Yes" / "No"
    std::string Copyrighted;
    std::string PrivateBit;
    std::string Crc;               // "Yes" when the frame carries a CRC
    std::string LengthText;        // "M:SS" or "H:M:SS": from the frame count a header tells, else the bytes
    std::int16_t FrameLength = 0;  // bytes per frame
    std::int32_t Frames = 0;       // frame count derived from the audio's length
    std::string Padding;
    bool IsVbr = false;            // a Xing or VBRI header was found (not an Info header, as CBR files hold)

    friend bool operator==(const MpegInfo&, const MpegInfo&) = default;
};

// What GetId3v1Info reads: the ID3v1 fields, the genre named from Module7's
// own list, and the lyrics of a Lyrics3 v2 block.
struct Id3v1Info {
    std::string Title;
    std::string Artist;
    std::string Album;
    std::string Year;
    std::string Comment;            // all 30 bytes, cleaned
    std::optional<int> Genre;       // the genre byte when a tag was read
    std::string GenreName;          // "Other" when the code has no name
    std::string Lyrics;             // the "LYR" field, trimmed
    bool HasLyrics3 = false;        // a Lyrics3 v2 block was walked to its end
    bool HasTag = false;            // the file ends in an ID3v1 block
};

namespace Module7 {

// Module variables that link the procedures below.
extern std::string GenreString;  // the genre list while GetId3v1Info uses it, else ""
extern bool HasId3v1;            // the file GetId3v1Info reads ends in "TAG"
extern bool HasLyrics3;          // result of the last ReadLyrics3
extern std::string Lyrics3Text;  // the "LYR" field found by the last ReadLyrics3

// Slots of the genre list: 148 names of 22 characters each.
inline constexpr int kGenreSlots = 148;
inline constexpr int kGenreSlotWidth = 22;

MpegInfo GetMpegInfo(std::string_view Path);

// Four bytes as binary digits, most significant first, leading zeros of the
// whole text left out (four zero bytes give "").
std::string BytesToBits(const std::array<std::uint8_t, 4>& bytes);
// The value of a text of binary digits ("" gives 0). Raises 6 (overflow) when
// the value does not fit in a signed 32-bit number.
std::int32_t BitsToLong(std::string_view bits);

Id3v1Info GetId3v1Info(std::string_view Path);
// Walks the Lyrics3 v2 block of `Path`, whose end marker stands before an
// ID3v1 block when HasId3v1 is set; sets Lyrics3Text.
bool ReadLyrics3(std::string_view Path);
// Sets GenreString to the whole genre list.
void BuildGenreString();

}  // namespace Module7
}  // namespace metadata
