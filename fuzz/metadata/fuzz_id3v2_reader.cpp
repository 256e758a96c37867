// The ID3v2 reader over any file content: every property read out. Only a
// frame size with its top bit set may raise (error 5); every text read is
// valid UTF-8, and the store's identifiers all hold values.

#include <cstdint>

#include "fuzz_input_file.hpp"
#include "metadata/cmp3id3v2.hpp"
#include "runtime/error.hpp"
#include "runtime/strings.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = fuzzsupport::InputFile::instance().write(data, size);
    metadata::cMP3ID3v2 t;
    try {
        t.setMP3File(path);
    } catch (const runtime::Error& e) {
        if (e.number() != runtime::err::InvalidProcedureCall) __builtin_trap();
    }
    for (const std::string* text :
         {&t.Title(), &t.Artist(), &t.Album(), &t.Year(), &t.Comment(), &t.Track(), &t.PlayCounter(),
          &t.EncodedBy(), &t.OtherGenreName(), &t.LinkTo(), &t.OriginalArtist(), &t.Composer(), &t.Copyright(),
          &t.AudioURL(), &t.BuyURL(), &t.ArtistURL(), &t.Lyrics()})
        if (!runtime::IsValidUtf8(*text)) __builtin_trap();
    (void)t.GenreName(t.Genre());
    if (t.HasID3v2Tag() && (t.TagVersion() < 2 || t.TagVersion() > 4)) __builtin_trap();
    for (std::int32_t i = 1; i <= t.FrameCount(); ++i)
        if (t.TagsInFrame(t.Frame(i)) < 1) __builtin_trap();
    return 0;
}
