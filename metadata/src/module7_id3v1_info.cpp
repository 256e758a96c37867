// GetId3v1Info and the Lyrics3 v2 reader: the ID3v1 fields as the tag
// editor's info view shows them, named from this module's own genre list, and
// the lyrics of a Lyrics3 v2 block in front of the ID3v1 block.

#include <optional>

#include "metadata/module7.hpp"
#include "numbered_file.hpp"
#include "runtime/error.hpp"
#include "runtime/strings.hpp"

namespace metadata::Module7 {

std::string GenreString;
bool HasId3v1 = false;
bool HasLyrics3 = false;
std::string Lyrics3Text;

namespace {

using detail::NumberedFile;

// Index = genre code; this list spells several names its own way and names 123.
constexpr std::array<std::string_view, kGenreSlots> kGenres = {
    "Blues", "Classic Rock", "Country", "Dance",
    "Disco", "Funk", "Grunge", "Hip-Hop",
    "Jazz", "Metal", "New Age", "Oldies",
    "Other", "Pop", "R&B", "Rap",
    "Reggae", "Rock", "Techno", "Industrial",
    "Alternative", "Ska", "Death Metal", "Pranks",
    "Soundtrack", "Euro-Techno", "Ambient", "Trip-Hop",
    "Vocal", "Jazz+Funk", "Fusion", "Trance",
    "Classical", "Instrumental", "Acid", "House",
    "Game", "Sound Clip", "Gospel", "Noise",
    "Alternative Rock", "Bass", "Soul", "Punk",
    "Space", "Meditative", "Instrumental Pop", "Instrumental Rock",
    "Ethnic", "Gothic", "Darkwave", "Techno-Industrial",
    "Electronic", "Pop-Folk", "Eurodance", "Dream",
    "Southern Rock", "Comedy", "Cult", "Gangsta",
    "Top 40", "Christian Rap", "Pop/Funk", "Jungle",
    "Native US", "Cabaret", "New Wave", "Psychadelic",
    "Rave", "Showtunes", "Trailer", "Lo-Fi",
    "Tribal", "Acid Punk", "Acid Jazz", "Polka",
    "Retro", "Musical", "Rock & Roll", "Hard Rock",
    "Folk", "Folk-Rock", "National Folk", "Swing",
    "Fast Fusion", "Bebob", "Latin", "Revival",
    "Celtic", "Bluegrass", "Avantgarde", "Gothic Rock",
    "Progressive Rock", "Psychedelic Rock", "Symphonic Rock", "Slow Rock",
    "Big Band", "Chorus", "Easy Listening", "Acoustic",
    "Humour", "Speech", "Chanson", "Opera",
    "Chamber Music", "Sonata", "Symphony", "Booty Bass",
    "Primus", "Porn Groove", "Satire", "Slow Jam",
    "Club", "Tango", "Samba", "Folklore",
    "Ballad", "Power Ballad", "Rhytmic Soul", "Freestyle",
    "Duet", "Punk Rock", "Drum Solo", "Acapella",
    "Euro-House", "Dance Hall", "Goa", "Drum & Bass",
    "Club-House", "Hardcore", "Terror", "Indie",
    "BritPop", "Negerpunk", "Polsk Punk", "Beat",
    "Christian Gangsta Rap", "Heavy Metal", "Black Metal", "Crossover",
    "Contemporary Christian", "Christian Rock", "Merengue", "Salsa",
    "Trash Metal", "Anime", "Jpop", "Synthpop",
};

std::string removeNuls(std::string text) {
    std::erase(text, '\0');
    return text;
}

// 1-based positions as the block's layout is described; 0-based reads.
std::string readAt1(const NumberedFile& file, std::int64_t position, std::size_t count) {
    if (position < 1) runtime::raise(runtime::err::BadRecordNumber);
    return file.read(position - 1, count);
}

}  // namespace

void BuildGenreString() {
    std::string list;
    list.reserve(static_cast<std::size_t>(kGenreSlots * kGenreSlotWidth));
    for (std::string_view name : kGenres) {
        std::string slot(name);
        slot.resize(kGenreSlotWidth, ' ');
        list += slot;
    }
    GenreString = std::move(list);
}

Id3v1Info GetId3v1Info(std::string_view Path) {
    Id3v1Info info;
    std::string marker;
    try {
        NumberedFile file(Path, runtime::Access::Read, runtime::Lock::Shared);
        const std::int64_t length = file.length();
        if (length < 128) runtime::raise(runtime::err::BadRecordNumber);
        std::string block = file.read(length - 128, 128);
        if (block.size() < 128 || block.compare(0, 3, "TAG") != 0) {
            HasId3v1 = false;
            info.HasTag = false;
        } else {
            auto field = [&](std::size_t at, std::size_t width) {
                return runtime::cp1252::decode(std::string_view(block).substr(at, width));
            };
            HasId3v1 = true;
            info.Title = removeNuls(runtime::Trim(field(3, 30)));
            info.Artist = removeNuls(runtime::Trim(field(33, 30)));
            info.Album = removeNuls(runtime::Trim(field(63, 30)));
            info.Year = removeNuls(runtime::Trim(field(93, 4)));
            info.Comment = runtime::Trim(removeNuls(runtime::Trim(field(97, 30))));
            const int genre = static_cast<unsigned char>(block[127]);
            info.Genre = genre;

            BuildGenreString();
            std::string name;
            if (genre < kGenreSlots)
                name = runtime::Trim(std::string_view(GenreString).substr(
                    static_cast<std::size_t>(genre * kGenreSlotWidth), kGenreSlotWidth));
            info.GenreName = name.empty() ? "Other" : name;
            GenreString.clear();
            info.HasTag = HasId3v1;
        }
        marker = readAt1(file, HasId3v1 ? length - 136 : length - 8, 6);
    } catch (const runtime::Error&) {
        return info;  // closed on the way out; the record holds what was read
    }
    if (marker == "LYRICS") {
        HasLyrics3 = ReadLyrics3(Path);
        info.Lyrics = Lyrics3Text;
        info.HasLyrics3 = HasLyrics3;
    } else {
        HasLyrics3 = false;
        info.HasLyrics3 = false;
    }
    return info;
}

bool ReadLyrics3(std::string_view Path) {
    Lyrics3Text.clear();
    try {
        NumberedFile file(Path, runtime::Access::Read, runtime::Lock::Shared);
        const std::int64_t length = file.length();
        const std::int64_t end = HasId3v1 ? length - 136 : length - 8;  // the end marker
        if (readAt1(file, end, 9) != "LYRICS200") return false;
        const std::int64_t size = detail::LeadingDigits(readAt1(file, end - 6, 6));
        const std::int64_t begin = (end - 6) - size;
        if (readAt1(file, begin, 11) != "LYRICSBEGIN") return false;
        // Each field: a 3-letter ID, 5 digits of length, the data. Only "LYR" is kept.
        for (std::int64_t p = begin + 11; p < end - 9;) {
            std::string head = readAt1(file, p, 8);
            const std::int64_t n = detail::LeadingDigits(std::string_view(head).substr(head.size() < 3 ? head.size() : 3));
            if (head.compare(0, 3, "LYR") == 0 && head.size() >= 3)
                Lyrics3Text = runtime::Trim(runtime::cp1252::decode(readAt1(file, p + 8, static_cast<std::size_t>(n))));
            p += 8 + n;
        }
        return true;
    } catch (const runtime::Error&) {
        return false;
    }
}

}  // namespace metadata::Module7
