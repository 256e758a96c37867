// The folder-search benchmarks' common ground: a tree of music files among
// others, `find DIR -iname '*.mp3'` as the yardstick, and a reporter that
// keeps each benchmark's median.
#pragma once

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "benchsupport/bench.hpp"

extern char** environ;

namespace benchsupport {

// Artists, their albums, some albums with disc folders; five music files in
// eight (extensions in mixed case), pictures, text and playlists among them.
// 20,000 files, 2,000 in brief mode; made under /tmp/<name>-XXXXXX and
// removed with the tree.
struct MusicTree {
    std::string root;
    int files = 0;
    int music = 0;

    explicit MusicTree(const std::string& name) {
        root = makeTempFolder("/tmp", name);
        const int total = brief() ? 2000 : 20000;
        const char* extensions[] = {".mp3", ".MP3", ".jpg", ".Mp3", ".mp3", ".txt", ".mP3", ".m3u"};
        const int perFolder = 25;
        for (int folder = 0; files < total; ++folder) {
            std::string path = root + "/Artist " + std::to_string(folder / 8) + "/Album " + std::to_string(folder % 8 / 2);
            if (folder % 2) path += "/CD2";
            std::filesystem::create_directories(path);
            for (int i = 0; i < perFolder && files < total; ++i, ++files) {
                const std::string ext = extensions[(i + folder) % 8];
                std::ofstream(path + "/Track " + std::to_string(i) + ext, std::ios::binary) << "x";
                if ((ext[1] | 0x20) == 'm' && (ext[2] | 0x20) == 'p' && ext[3] == '3') ++music;
            }
        }
    }
    ~MusicTree() { std::filesystem::remove_all(root); }
    MusicTree(const MusicTree&) = delete;
    MusicTree& operator=(const MusicTree&) = delete;
};

// One `find root -iname '*.mp3'` (output to /dev/null) per iteration.
inline void findInameMp3(benchmark::State& state, const std::string& folder) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::string root = folder;
    char* argv[] = {const_cast<char*>("find"), root.data(), const_cast<char*>("-iname"),
                    const_cast<char*>("*.mp3"), nullptr};
    for (auto _ : state) {
        pid_t pid;
        if (posix_spawnp(&pid, "find", &actions, nullptr, argv, environ) != 0) {
            state.SkipWithError("find is missing");
            break;
        }
        int status = 0;
        waitpid(pid, &status, 0);
    }
    posix_spawn_file_actions_destroy(&actions);
}

// The console report, keeping each benchmark's median real time by name.
class MedianCollector : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> ns;
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (r.aggregate_name == "median") ns[r.run_name.function_name] = r.GetAdjustedRealTime();
    }
};

}  // namespace benchsupport
