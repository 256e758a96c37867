#pragma once
// The program's own addresses, kept in one place: its home page, the mail
// addresses of its maker and of its help desk, the subject its mail links
// carry, and the web folder the tag editor fetches artist pictures from.

#include <cstdlib>
#include <string>
#include <string_view>

namespace player::addresses {

inline constexpr std::string_view HomePage = "http://www.dovetune.example/";
inline constexpr std::string_view SupportMail = "support@dovetune.example";
inline constexpr std::string_view HelpMail = "help@dovetune.example";
inline constexpr std::string_view MailSubject = "dovetune support";

// A local server by default, so the pictures work with one started on this
// machine; the environment variable DOVETUNE_ARTIST_URL names another.
inline constexpr std::string_view DefaultArtistPictures = "http://127.0.0.1:8123/Artist/";
inline constexpr const char* ArtistPicturesVariable = "DOVETUNE_ARTIST_URL";

// The artist pictures' web folder, ending in "/" (the picture's name is
// appended to it).
inline std::string ArtistPicturesUrl() {
    const char* set = std::getenv(ArtistPicturesVariable);
    std::string url = set && *set ? std::string(set) : std::string(DefaultArtistPictures);
    if (url.back() != '/') url += '/';
    return url;
}

}  // namespace player::addresses
