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

#include "benchsupport/findtree.hpp"
#include "runtime/filesystem.hpp"

extern char** environ;

namespace {

using benchsupport::brief;
using Tree = benchsupport::MusicTree;

Tree* current = nullptr;
Tree& tree() {
    if (!current) current = new Tree("dovetune-bench-dir");
    return *current;
}

void Find(benchmark::State& state) { benchsupport::findInameMp3(state, tree().root); }

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
    benchsupport::MedianCollector collector;
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
