// The file-URI decoder of playlists, drops and the clipboard against GLib's
// g_filename_from_uri, which file managers and GStreamer's file source use:
// a URI names the path GLib finds in it, and none where GLib finds none.

#include <glib.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "runtime/filesystem.hpp"

namespace {

// GLib's reading of a URI as a path of this machine; none when it refuses
// the URI or names another host.
std::optional<std::string> glibPath(const std::string& uri) {
    gchar* host = nullptr;
    GError* error = nullptr;
    gchar* path = g_filename_from_uri(uri.c_str(), &host, &error);
    std::optional<std::string> out;
    if (path && (!host || std::string(host) == "localhost")) out = path;
    g_free(path);
    g_free(host);
    if (error) g_error_free(error);
    return out;
}

}  // namespace

TEST(FileUris, NameThePathGLibNamesAndNoneWhereItNamesNone) {
    // URIs whose escapes are all whole and that hold no "#": there the two
    // readings are meant to agree (elsewhere ours keeps a stray "%" or "#" as
    // a character of the name, which other players' lists write).
    const char* uris[] = {
        "file:///m/a%20b.mp3",
        "file:///m/caf%C3%A9.mp3",
        "file:///m/caf%e9%FF.mp3",
        "FILE://localhost/m/x.mp3",
        "file:/m/x.mp3",
        "file:///m/a/../b.mp3",
        "file:///m/%5C%3F%25.mp3",
        "file:///m/sub%2F..%2F..%2Fother%2Fa.mp3",
        "file:///m/a%2fb.mp3",
        "file:///m/%2F",
        "file:///m/a%00b.mp3",
        "file://server/share/x.mp3",
    };
    for (const char* uri : uris) EXPECT_EQ(runtime::PathFromFileUri(uri), glibPath(uri)) << uri;
}
