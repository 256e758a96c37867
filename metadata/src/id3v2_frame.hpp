#pragma once
// Frames of an ID3v2 tag: the walk over a tag's frame area, what the named
// fields read from a frame, and each frame in the ID3v2.3 form that the writer
// puts into the file.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace metadata::id3v2 {

// One frame as it stands in the tag it was read from.
struct RawFrame {
    int version = 0;      // 2, 3 or 4
    std::string id;       // as read (three characters in version 2)
    unsigned flags = 0;   // the two flag bytes, status byte first (0 in version 2)
    std::string body;     // the bytes after the frame header, unsynchronisation undone
};

// Walks the frames of a tag. `tag` is the whole tag as read from the file (the
// 10-byte header first; it may be shorter than the header's size says when
// the file ends early). Calls `frame` for every frame in order. The walk ends
// at padding, at an identifier that is not A-Z/0-9, or at a frame that does
// not fit in the bytes left. A frame size with its top bit set cannot be a
// length: runtime::Error 5 is thrown after the frames before it were handed on.
void walkFrames(std::string_view tag, int version, int flags, std::int64_t size,
                const std::function<void(RawFrame&&)>& frame);

// The 2.3 identifier of a 2.2 frame, or "" for a frame without a counterpart.
std::string mapV22FrameId(std::string_view id);
// The 2.3 identifier of a 2.4 frame: the recording time TDRC becomes the year
// TYER (2.3 has no TDRC); every other identifier stays.
std::string mapV24FrameId(std::string_view id);
// The year of a 2.4 timestamp ("2004-05-12T10:30" gives "2004"): its four
// leading digits; text that does not start with four digits is kept whole.
std::string yearOfTimestamp(std::string_view text);

// The frame's data without the extra header fields its flags announce; nullopt
// when the data is compressed or encrypted and so cannot be read.
std::optional<std::string> readableData(const RawFrame& frame);

// What the named fields take from a frame's data.
std::string textOf(std::string_view data);         // text frames: the text, NULs removed

// The parts of a COMM or USLT frame.
struct LangText {
    std::string lang;  // the three bytes of the language field; empty when the frame has none
    std::string desc, text;
};
// From a frame's data (the encoding byte first). Data without the end of a
// description has none and is all text; when it is single-byte text and its
// language field starts with a zero byte, it is lyrics as the original program
// wrote them (two zero bytes, then the text) and has no language either.
LangText langTextOfData(std::string_view data);
// From a value given through AddTag or a setter: three characters of
// language, the description, a NUL and the text (no NUL: all of it is text).
LangText langTextOfValue(std::string_view value);
// The language bytes as the first three characters of such a value; nullopt
// when a byte (0x80 to 0x9F) has no place in one.
std::optional<std::string> languageAsText(std::string_view lang);
std::string urlOf(std::string_view data);          // WOAR, WCOM, WOAF...
std::string userUrlOf(std::string_view data);      // WXXX: the URL after the description
std::string counterOf(std::string_view data);      // PCNT: the count in decimal

// The frame as written into a 2.3 tag: 10-byte header and body. A frame read
// from a 2.3 tag comes back byte for byte; 2.4 frames get their flags and extra
// fields in the 2.3 layout and text in encodings 0 or 1 (a 2.4 recording time
// becomes the year frame, followed by date and time frames when it has a day
// and a time); 2.2 frames take the 2.3 layout of their counterpart. nullopt: the frame cannot be expressed in
// 2.3 and is left out.
std::optional<std::string> frameFromRaw(std::string_view id23, const RawFrame& frame);
// A frame built from a value given through AddTag or a property setter.
// nullopt for a URL frame with an empty URL (it is not written).
std::optional<std::string> frameFromValue(std::string_view id23, std::string_view value);

}  // namespace metadata::id3v2
