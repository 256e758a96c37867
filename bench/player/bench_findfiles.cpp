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

#include "benchsupport/findtree.hpp"
#include "forms/forms.hpp"
#include "player/Form2.hpp"

extern char** environ;

namespace {

using benchsupport::brief;

benchsupport::MusicTree* tree = nullptr;

struct Holder : forms::Form {
    forms::ListBox lstFiles{*this, "lstFiles"};
    Holder() : Form("Holder") {}
};

void Find(benchmark::State& state) { benchsupport::findInameMp3(state, tree->root); }

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
    tree = new benchsupport::MusicTree("dovetune-bench-findfiles");
    std::printf("tree: %d files, %d music files\n", tree->files, tree->music);
    benchsupport::MedianCollector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    double ours = collector.ns["FindFiles_into_list"], find = collector.ns["find_iname_mp3"];
    if (find > 0)
        std::printf("ratio FindFiles_into_list / find_iname_mp3 = %.2f (%.2f ms / %.2f ms, aim 1.5)\n", ours / find,
                    ours, find);
    forms::Application::instance().reset();
    delete tree;
    return 0;
}
