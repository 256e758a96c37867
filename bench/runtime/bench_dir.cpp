// A search for music files over a tree, as the player's folder search runs
// it (a walk of the folders, Dir "*.mp3" in each, every path appended to a
// list), against `find DIR -iname '*.mp3'` on the same tree in the same run,
// warm, the median of five. Also shown: the raw readdir floor, and the same
// with the user.DOSATTRIB read that tells hidden and system files apart, to
// show what that read costs. Goal: the search within 1.5x find.

#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <spawn.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "runtime/filesystem.hpp"

extern char** environ;

namespace {

bool brief() {
    const char* b = std::getenv("DOVETUNE_BENCH_BRIEF");
    return b && *b && std::string(b) != "0";
}

// Artists, their albums, some albums with disc folders; five music files in
// eight (extensions in mixed case), pictures, text and playlists among them.
struct Tree {
    std::string root;
    int files = 0;
    int music = 0;

    Tree() {
        char tmpl[] = "/tmp/dovetune-bench-dir-XXXXXX";
        root = mkdtemp(tmpl);
        const int total = brief() ? 2000 : 20000;
        const char* extensions[] = {".mp3", ".MP3", ".jpg", ".Mp3", ".mp3", ".txt", ".mP3", ".m3u"};
        const int perFolder = 25;
        for (int folder = 0; files < total; ++folder) {
            std::string path = root + "/Artist " + std::to_string(folder / 8) + "/Album " + std::to_string(folder % 8 / 2);
            if (folder % 2) path += "/CD" + std::to_string(folder % 2 + 1);
            std::filesystem::create_directories(path);
            for (int i = 0; i < perFolder && files < total; ++i, ++files) {
                const char* ext = extensions[(i + folder) % 8];
                std::string name = path + "/Track " + std::to_string(i) + ext;
                std::ofstream(name, std::ios::binary) << "x";
                if (std::string(ext).size() == 4 && (ext[1] | 0x20) == 'm' && (ext[2] | 0x20) == 'p') ++music;
            }
        }
    }
    ~Tree() { std::filesystem::remove_all(root); }
};

Tree* current = nullptr;
Tree& tree() {
    if (!current) current = new Tree;
    return *current;
}

void Find(benchmark::State& state) {
    auto& t = tree();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::string root = t.root;
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

// attributes: what Dir is asked for. Normal files need each file's
// user.DOSATTRIB (hidden and system files are left out); asking for hidden
// and system files too needs none, the dot-files then left out by name.
template <int Attributes>
void Search(benchmark::State& state) {
    auto& t = tree();
    std::size_t found = 0;
    for (auto _ : state) {
        std::vector<std::string> list;
        runtime::WalkFolders(t.root, [&](const std::string& folder) {
            for (std::string n = runtime::Dir(folder + "/*.mp3", Attributes); !n.empty(); n = runtime::Dir())
                if (n[0] != '.') list.push_back(folder + "/" + n);
        });
        found = list.size();
        benchmark::DoNotOptimize(list.data());
    }
    if (found != static_cast<std::size_t>(t.music)) state.SkipWithError("the search missed files");
}

template <bool ReadAttribute>
void RawReaddir(benchmark::State& state) {
    auto& t = tree();
    for (auto _ : state) {
        std::vector<std::string> list;
        std::vector<std::string> pending{t.root};
        while (!pending.empty()) {
            std::string folder = std::move(pending.back());
            pending.pop_back();
            DIR* d = opendir(folder.c_str());
            if (!d) continue;
            while (dirent* e = readdir(d)) {
                if (e->d_name[0] == '.') continue;
                std::string path = folder + "/" + e->d_name;
                if (e->d_type == DT_DIR) {
                    pending.push_back(std::move(path));
                } else if (fnmatch("*.mp3", e->d_name, FNM_CASEFOLD) == 0) {
                    if (ReadAttribute) {
                        char buf[64];
                        benchmark::DoNotOptimize(getxattr(path.c_str(), "user.DOSATTRIB", buf, sizeof buf));
                    }
                    list.push_back(std::move(path));
                }
            }
            closedir(d);
        }
        benchmark::DoNotOptimize(list.data());
    }
}

class Collector : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> ns;
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (r.aggregate_name == "median") ns[r.run_name.function_name] = r.GetAdjustedRealTime();
    }
};

}  // namespace

int main(int argc, char** argv) {
    double minTime = brief() ? 0.02 : 0.2;
    auto add = [&](const char* name, void (*f)(benchmark::State&)) {
        benchmark::RegisterBenchmark(name, f)
            ->MinTime(minTime)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true)
            ->Unit(benchmark::kMillisecond);
    };
    add("find_iname_mp3", Find);
    add("search_walk_dir_mp3", Search<runtime::vbNormal>);
    add("search_no_attribute_read", Search<runtime::vbHidden | runtime::vbSystem>);
    add("raw_readdir_fnmatch", RawReaddir<false>);
    add("raw_readdir_fnmatch_getxattr", RawReaddir<true>);
    benchmark::Initialize(&argc, argv);
    Tree& t = tree();
    std::printf("tree: %d files, %d music files\n", t.files, t.music);
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    auto ratio = [&](const char* ours, const char* other) {
        if (collector.ns.count(ours) && collector.ns.count(other) && collector.ns[other] > 0)
            std::printf("ratio %-28s / %-28s = %.2f\n", ours, other, collector.ns[ours] / collector.ns[other]);
    };
    ratio("search_walk_dir_mp3", "find_iname_mp3");
    ratio("search_no_attribute_read", "find_iname_mp3");
    ratio("raw_readdir_fnmatch_getxattr", "raw_readdir_fnmatch");
    ratio("search_walk_dir_mp3", "raw_readdir_fnmatch");
    delete current;
    return 0;
}
