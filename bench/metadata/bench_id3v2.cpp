// The ID3v2 tag object's speed:
// - loading a tag, against TagLib reading the same file without audio properties
//   (goal: at least 1.5 times TagLib's rate);
// - an Update that fits the old tag, on a small and a large file (goal: the cost
//   does not grow with the audio, within 20%);
// - an Update that grows the tag of a large file, against `cp --reflink=never`
//   of the same file followed by an fsync of the copy (goal: within 1.5 times).
// Prints each measurement and its ratio. DOVETUNE_BENCH_BRIEF=1 uses a 20 MB
// file in place of the 100 MB one and fewer rounds.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "metadata/cmp3id3v2.hpp"

namespace {

using Clock = std::chrono::steady_clock;

bool brief() {
    const char* b = std::getenv("DOVETUNE_BENCH_BRIEF");
    return b && *b && std::string(b) != "0";
}

std::string be32(std::uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>((v >> 16) & 0xFF), static_cast<char>((v >> 8) & 0xFF),
            static_cast<char>(v & 0xFF)};
}

std::string syncsafe(std::uint32_t v) {
    return {static_cast<char>((v >> 21) & 0x7F), static_cast<char>((v >> 14) & 0x7F), static_cast<char>((v >> 7) & 0x7F),
            static_cast<char>(v & 0x7F)};
}

std::string frame(const std::string& id, const std::string& body) { return id + be32(static_cast<std::uint32_t>(body.size())) + std::string(2, '\0') + body; }

// A tag as a tagger leaves it: a dozen text frames, a comment, lyrics, a
// 30 KB cover picture, then padding.
std::string typicalTag(std::size_t padding) {
    std::string frames;
    const char* ids[] = {"TIT2", "TPE1", "TALB", "TYER", "TRCK", "TCON", "TCOM", "TENC", "TCOP", "TOPE", "TPE2", "TPOS"};
    for (const char* id : ids) frames += frame(id, std::string(1, '\0') + "Some text for " + id);
    frames += frame("TPE3", std::string("\x01\xFF\xFE", 3) + std::string("C\0o\0n\0d\0u\0c\0t\0o\0r\0", 18));
    frames += frame("COMM", std::string("\0eng\0", 5) + "A comment of some length, as rippers leave them.");
    frames += frame("USLT", std::string("\0eng\0", 5) + std::string(2000, 'l'));
    std::string picture = std::string("\0image/jpeg\0\x03\0", 14) + std::string(30000, '\x5A');
    frames += frame("APIC", picture);
    frames += std::string(padding, '\0');
    return "ID3" + std::string("\x03\x00\x00", 3) + syncsafe(static_cast<std::uint32_t>(frames.size())) + frames;
}

// `bytes` of MPEG-1 Layer III frames.
std::string audio(std::size_t bytes) {
    std::string one = std::string("\xFF\xFB\x90\x00", 4) + std::string(413, '\x55');
    std::string out;
    out.reserve(bytes + one.size());
    while (out.size() < bytes) out += one;
    out.resize(bytes);
    return out;
}

// Writes the file and makes it durable, so no write-back of it runs while
// something else is measured.
void writeFile(const std::string& path, const std::string& head, std::size_t audioBytes) {
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << head;
        const std::string block = audio(1 << 20);
        for (std::size_t left = audioBytes; left > 0;) {
            std::size_t n = std::min(left, block.size());
            out.write(block.data(), static_cast<std::streamsize>(n));
            left -= n;
        }
    }
    int fd = ::open(path.c_str(), O_RDONLY);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
}

// The median time of `rounds` runs of `run`, in seconds.
double median(int rounds, const std::function<void()>& run) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        auto start = Clock::now();
        run();
        times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void runCommand(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
}

}  // namespace

int main() {
    char tmpl[] = "/tmp/dovetune-bench-id3v2-XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    const std::string dir = tmpl;
    const std::size_t mb = 1 << 20;
    const std::size_t large = (brief() ? 20 : 100) * mb;
    const char* largeName = brief() ? "20 MB" : "100 MB";

    // Loading.
    const std::string loadPath = dir + "/load.mp3";
    writeFile(loadPath, typicalTag(2048), mb);
    const int loads = brief() ? 300 : 3000;
    std::size_t sink = 0;
    double ours = median(5, [&] {
        for (int i = 0; i < loads; ++i) {
            metadata::cMP3ID3v2 t;
            t.setMP3File(loadPath);
            sink += t.Title().size() + static_cast<std::size_t>(t.FrameCount());
        }
    });
    double theirs = median(5, [&] {
        for (int i = 0; i < loads; ++i) {
            TagLib::MPEG::File f(loadPath.c_str(), false);
            sink += f.ID3v2Tag()->title().size() + f.ID3v2Tag()->frameList().size();
        }
    });
    std::printf("load: %.0f loads/s, TagLib %.0f loads/s, ratio %.2f (goal >= 1.5)\n", loads / ours, loads / theirs,
                theirs / ours);

    // In place, small and large file, in alternating batches so that drift of
    // the machine falls on both; the fastest batch of each counts.
    const std::string smallPath = dir + "/small.mp3", largePath = dir + "/large.mp3";
    writeFile(smallPath, typicalTag(4096), mb);
    writeFile(largePath, typicalTag(4096), large);
    metadata::cMP3ID3v2 smallTag, largeTag;
    smallTag.setMP3File(smallPath);
    largeTag.setMP3File(largePath);
    const int updates = brief() ? 50 : 200;
    int n = 0;
    auto batch = [&](metadata::cMP3ID3v2& t) {
        auto start = Clock::now();
        for (int i = 0; i < updates; ++i) {
            t.setTitle(++n % 2 ? "A title" : "Another title");
            t.Update();
        }
        return std::chrono::duration<double>(Clock::now() - start).count() / updates;
    };
    double small = 1e9, big = 1e9;
    for (int round = 0; round < (brief() ? 5 : 15); ++round) {
        small = std::min(small, batch(smallTag));
        big = std::min(big, batch(largeTag));
    }
    std::printf("in-place update: 1 MB file %.1f us, %s file %.1f us, ratio %.2f (goal <= 1.2)\n", small * 1e6, largeName,
                big * 1e6, big / small);
    // Growing a large file, against a plain copy of it made durable.
    const std::string growPath = dir + "/grow.mp3";
    writeFile(growPath, typicalTag(0), large);
    std::size_t titleLength = 40000;
    const int rounds = brief() ? 3 : 5;
    double grow = median(rounds, [&] {
        metadata::cMP3ID3v2 t;
        t.setMP3File(growPath);
        titleLength += 3000;  // always more than the old tag holds
        t.setTitle(std::string(titleLength, 'g'));
        t.Update();
    });
    const std::string copyPath = dir + "/copy.mp3";
    double copy = median(rounds, [&] {
        runCommand("cp --reflink=never '" + growPath + "' '" + copyPath + "'");
        int fd = ::open(copyPath.c_str(), O_RDONLY);
        if (fd < 0 || ::fsync(fd) != 0) std::exit(1);
        ::close(fd);
    });
    std::printf("growing update of a %s file: %.1f ms, cp --reflink=never + fsync %.1f ms, ratio %.2f (goal <= 1.5)\n",
                largeName, grow * 1e3, copy * 1e3, grow / copy);

    std::filesystem::remove_all(dir);
    return sink == 42 ? 1 : 0;
}
