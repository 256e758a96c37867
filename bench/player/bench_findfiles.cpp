// The folder search's finder FindFiles, with its appends to a list box, over
// 20,000 files in nested folders (2,000 in brief mode; music among pictures,
// text and playlists, extensions in mixed case), against
// `find DIR -iname '*.mp3'` on the same tree in the same run, warm, the
// median of five. Aim: FindFiles within 1.5x find.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "forms/forms.hpp"
#include "player/Form2.hpp"

extern char** environ;

namespace {

bool brief() {
    const char* b = std::getenv("DOVETUNE_BENCH_BRIEF");
    return b && *b && std::string(b) != "0";
}

// Artists, their albums, some albums with disc folders; five music files in
// eight.
struct Tree {
    std::string root;
    int files = 0;
    int music = 0;

    Tree() {
        char tmpl[] = "/tmp/dovetune-bench-findfiles-XXXXXX";
        root = mkdtemp(tmpl);
        const int total = brief() ? 2000 : 20000;
        const char* extensions[] = {".mp3", ".MP3", ".jpg", ".Mp3", ".mp3", ".txt", ".mP3", ".m3u"};
        for (int folder = 0; files < total; ++folder) {
            std::string path = root + "/Artist " + std::to_string(folder / 8) + "/Album " + std::to_string(folder % 8 / 2);
            if (folder % 2) path += "/CD2";
            std::filesystem::create_directories(path);
            for (int i = 0; i < 25 && files < total; ++i, ++files) {
                const char* ext = extensions[(i + folder) % 8];
                std::ofstream(path + "/Track " + std::to_string(i) + ext, std::ios::binary) << "x";
                std::string e = ext;
                if ((e[1] | 0x20) == 'm' && (e[2] | 0x20) == 'p' && e[3] == '3') ++music;
            }
        }
    }
    ~Tree() { std::filesystem::remove_all(root); }
};

Tree* tree = nullptr;

struct Holder : forms::Form {
    forms::ListBox lstFiles{*this, "lstFiles"};
    Holder() : Form("Holder") {}
};

void Find(benchmark::State& state) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::string root = tree->root;
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

void FindFilesIntoAList(benchmark::State& state) {
    auto& list = forms::Get<Holder>().lstFiles;
    long found = 0;
    for (auto _ : state) {
        list.clear();
        player::FindFiles(tree->root, "*.mp3", list);
        found = list.listCount();
    }
    if (found != tree->music) state.SkipWithError("the search missed files");
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
    for (auto [name, f] : {std::pair{"find_iname_mp3", &Find}, {"FindFiles_into_list", &FindFilesIntoAList}})
        benchmark::RegisterBenchmark(name, f)
            ->MinTime(minTime)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true)
            ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    tree = new Tree;
    std::printf("tree: %d files, %d music files\n", tree->files, tree->music);
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    double ours = collector.ns["FindFiles_into_list"], find = collector.ns["find_iname_mp3"];
    if (find > 0)
        std::printf("ratio FindFiles_into_list / find_iname_mp3 = %.2f (%.2f ms / %.2f ms, aim 1.5)\n", ours / find,
                    ours, find);
    forms::Application::instance().reset();
    delete tree;
    return 0;
}
