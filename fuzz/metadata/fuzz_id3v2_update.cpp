// The ID3v2 tag object over any file content: load, change the title, write,
// and load again. The new file holds the new title, every other field as it
// was, and the audio behind the tag unchanged; where the load failed (or the
// file is empty) Update raises and leaves the file as it was.

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "metadata/cmp3id3v2.hpp"
#include "metadata/id3v2_extent.hpp"
#include "runtime/error.hpp"

namespace {

std::string& folder() {
    static std::string f;
    return f;
}

// A real file in a folder of its own: a grown tag is written beside it and
// renamed over it.
const std::string& inputPath() {
    static const std::string path = [] {
        std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string tmpl = base + "/dovetune-fuzz-id3v2-XXXXXX";
        std::vector<char> buf(tmpl.begin(), tmpl.end());
        buf.push_back('\0');
        if (!mkdtemp(buf.data())) __builtin_trap();
        folder() = buf.data();
        std::atexit([] { std::filesystem::remove_all(folder()); });
        return folder() + "/input.mp3";
    }();
    return path;
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The bytes after the leading tag.
std::string audioOf(const std::string& file) {
    auto read = [&](std::int64_t offset, std::size_t count) {
        return offset >= static_cast<std::int64_t>(file.size()) ? std::string()
                                                                 : file.substr(static_cast<std::size_t>(offset), count);
    };
    auto h = metadata::ReadId3v2Header(read, static_cast<std::int64_t>(file.size()));
    if (!h) return file;
    return h->extent >= static_cast<std::int64_t>(file.size()) ? std::string()
                                                               : file.substr(static_cast<std::size_t>(h->extent));
}

std::vector<std::string> fields(const metadata::cMP3ID3v2& t) {
    return {t.Artist(),         t.Album(),     t.Year(),      t.Comment(),   t.Track(),
            t.PlayCounter(),    t.EncodedBy(), t.LinkTo(),    t.Composer(),  t.OriginalArtist(),
            t.OtherGenreName(), t.Copyright(), t.AudioURL(),  t.BuyURL(),    t.ArtistURL(),
            t.Lyrics(),         std::to_string(t.Genre())};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = inputPath();
    const std::string original(reinterpret_cast<const char*>(data), size);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(original.data(), static_cast<std::streamsize>(original.size()));
    }
    metadata::cMP3ID3v2 t;
    bool loaded = true;
    try {
        t.setMP3File(path);
    } catch (const runtime::Error&) {
        loaded = false;
    }
    const std::vector<std::string> before = fields(t);
    const std::string title = "Fuzzed title \xE2\x9C\x93";
    t.setTitle(title);
    try {
        t.Update();
    } catch (const runtime::Error&) {
        if (loaded && size > 0) __builtin_trap();
        if (readAll(path) != original) __builtin_trap();
        return 0;
    }
    if (!loaded || size == 0) __builtin_trap();

    const std::string written = readAll(path);
    if (audioOf(written) != audioOf(original)) __builtin_trap();
    metadata::cMP3ID3v2 again;
    again.setMP3File(path);
    if (!again.HasID3v2Tag() || again.TagVersion() != 3 || again.Title() != title) __builtin_trap();
    if (fields(again) != before) __builtin_trap();
    return 0;
}
