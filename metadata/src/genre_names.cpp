#include "metadata/genre_names.hpp"

#include <array>
#include <string_view>

namespace metadata {

namespace {

// Index = genre code; code 123 has no name.
constexpr std::array<std::string_view, 148> kNames = {
    "Blues", "Classic Rock", "Country", "Dance",
    "Disco", "Funk", "Grunge", "Hip Hop",
    "Jazz", "Metal", "New Age", "Oldies",
    "Other", "Pop", "R&B", "Rap",
    "Reggae", "Rock", "Techno", "Industrial",
    "Alternative", "Ska", "Death Metal", "Pranks",
    "Soundtrack", "Euro - Techno", "Ambient", "Trip Hop",
    "Vocal", "Jazz - Funk", "Fusion", "Trance",
    "Classical", "Instrumental", "Acid", "House",
    "Game", "Sound Clip", "Gospel", "Noise",
    "Alt.Rock", "Bass", "Soul", "Punk",
    "Space", "Meditative", "Instrumental Pop", "Instrumental Rock",
    "Ethnic", "Gothic", "Darkwave", "Techno - Industrial",
    "Electronic", "Pop / Folk", "Eurodance", "Dream",
    "Southern Rock", "Comedy", "Cult", "Gangsta Rap",
    "Top 40", "Christian Rap", "Pop / Funk", "Jungle",
    "Native American", "Cabaret", "New Wave", "Psychedelic",
    "Rave", "Showtunes", "Trailer", "Lo - fi",
    "Tribal", "Acid Punk", "Acid Jazz", "Polka",
    "Retro", "Musical", "Rock 'n'Roll", "Hard Rock",
    "Folk", "Folk / Rock", "National Folk", "Swing",
    "Fast Fusion", "Bebob", "Latin", "Revival",
    "Celtic", "Blue Grass", "Avant Garde", "Gothic Rock",
    "Progressive Rock", "Psychedelic Rock", "Symphonic Rock", "Slow Rock",
    "Big Band", "Chorus", "Easy Listening", "Acoustic",
    "Humour", "Speech", "Chanson", "Opera",
    "Chamber Music", "Sonata", "Symphony", "Booty Bass",
    "Primus", "Pr0n Groove", "Satire", "Slow Jam",
    "Club", "Tango", "Samba", "Folklore",
    "Ballad", "Power Ballad", "Rhythmic Soul", "Freestyle",
    "Duet", "Punk Rock", "Drum Solo", "",
    "Euro - House", "Dance Hall", "Goa", "Drum & Bass",
    "Club - House", "Hardcore", "Terror", "Indie",
    "Brit Pop", "Negerpunk", "Polsk Punk", "Beat",
    "Christian Gangsta Rap", "Heavy Metal", "Black Metal", "Crossover",
    "Contemporary Christian", "Christian Rock", "Merengue", "Salsa",
    "Thrash Metal", "Anime", "JPop", "Synth Pop",
};

}  // namespace

std::string Id3v1GenreName(int code) {
    if (code < 0 || code >= static_cast<int>(kNames.size())) return {};
    return std::string(kNames[static_cast<std::size_t>(code)]);
}

}  // namespace metadata
