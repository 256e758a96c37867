// The ID3v1 readers: the raw record, the tag object (read, then written back
// and read again), over any file content.

#include <cstdint>

#include "fuzz_input_file.hpp"
#include "metadata/cmp3id3v1.hpp"
#include "metadata/csplaymodul.hpp"
#include "runtime/error.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = fuzzsupport::InputFile::instance().write(data, size);
    metadata::Id3v1Record rec;
    if (metadata::CSPlaymodul::ReadId3v1Record(path, rec)) {
        if (rec.Title.empty() || rec.Genre.empty()) __builtin_trap();
        (void)metadata::CSPlaymodul::GenreCharToName(rec.Genre);
    }
    metadata::cMP3ID3v1 tag;
    tag.setMP3File(path);
    const std::string title = tag.Title(), comment = tag.Comment();
    const std::uint8_t track = tag.Track(), genre = tag.Genre();
    (void)tag.GenreName(genre);
    try {
        tag.Update();
    } catch (const runtime::Error&) {
        return 0;  // the empty file
    }
    // What was read and written back reads the same again (a 1.0 comment is cut to 28).
    if (tag.HasID3v1Tag()) {
        metadata::cMP3ID3v1 again;
        again.setMP3File(path);
        if (!again.HasID3v1Tag() || again.Genre() != genre || again.Track() != track) __builtin_trap();
        if (again.Comment() != comment.substr(0, again.Comment().size())) __builtin_trap();
        (void)title;
    }
    return 0;
}
