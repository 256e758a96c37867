// The display builder on the poll loop: a 10,000-line ".m3u" on the command
// line until Timer3 stops, against 10,000 ticks of a bare 1 ms timer on the
// same scheduler in the same run (1,000 in brief mode). The builder makes
// one line per tick, so the ratio shows what its work adds to the ticks.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <string>

#include "forms/forms.hpp"
#include "player/Form2.hpp"
#include "player/mMain.hpp"
#include "runtime/app.hpp"
#include "runtime/scheduler.hpp"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Bare : forms::Form {
    forms::Timer Timer1{*this, "Timer1"};
    long ticks = 0;
    Bare() : Form("Bare") {
        Timer1.setInterval(1);
        Timer1.Tick = [this] { ++ticks; };
    }
};

}  // namespace

int main() {
    const bool brief = std::getenv("DOVETUNE_BENCH_BRIEF") && *std::getenv("DOVETUNE_BENCH_BRIEF") == '1';
    const int n = brief ? 1000 : 10000;
    std::string root = fs::temp_directory_path() / ("bench-builder-" + std::to_string(::getpid()));
    fs::create_directories(root + "/music");
    fs::copy_file(DOVETUNE_BUILT_PROGRAM_DIR "/New2.kmf", root + "/New2.kmf");
    setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    {
        // Real files, so every line measures its file as a user's would.
        std::ofstream list(root + "/list.m3u", std::ios::binary);
        for (int i = 0; i < n; ++i) {
            std::string p = root + "/music/Track " + std::to_string(i) + ".mp3";
            std::ofstream(p, std::ios::binary) << std::string(static_cast<std::size_t>(i % 4096), 'x');
            list << p << "\r\n";
        }
    }

    runtime::PollScheduler loop;
    runtime::Scheduler::setCurrent(&loop);

    auto& bare = forms::Get<Bare>();
    auto b0 = Clock::now();
    loop.runUntil([&] { return bare.ticks >= n; }, 600000);
    double bareS = std::chrono::duration<double>(Clock::now() - b0).count();
    bare.Timer1.setEnabled(false);

    runtime::App::setForTest(root, {root + "/list.m3u"});
    auto t0 = Clock::now();
    player::mMain::Main();
    auto& f = forms::Get<player::Form2>();
    loop.runUntil([&] { return !f.Timer3.enabled(); }, 600000);
    double buildS = std::chrono::duration<double>(Clock::now() - t0).count();
    bool complete = f.List1.listCount() == n && f.List2.listCount() == n;

    forms::Application::instance().reset();
    runtime::Scheduler::setCurrent(nullptr);
    fs::remove_all(root);
    if (!complete) {
        std::printf("bench_builder: the build did not complete\n");
        return 1;
    }
    std::printf("bench_builder: %d lines built in %.2f s, %d bare 1 ms ticks in %.2f s, ratio %.3f (aim 1.1)\n", n,
                buildS, n, bareS, buildS / bareS);
    return 0;
}
