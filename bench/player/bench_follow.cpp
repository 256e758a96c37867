// How soon the main window shows what its polling timers show, now that they
// slow down while nothing changes (Xvfb, the Qt backend, the GStreamer
// control): the volume meter after a "+" or "-" key that lands the volume on
// a meter step, each key pressed after the window has been left alone long
// enough for its timers to slow down (goal: within one frame, 16 ms); and,
// while an MP3 plays, the Info Bar's remaining time after the position
// passes the half second at which the rounded position steps (goal: within
// 100 ms). Twenty keys and 8 s of playing (six keys and 4 s in brief mode).
// Without a display the program runs itself again under xvfb-run.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "benchsupport/bench.hpp"
#include "benchsupport/peers.hpp"
#include "benchsupport/process.hpp"
#include "forms/forms.hpp"
#include "formsqt/run.hpp"
#include "media/gst_media_player.hpp"
#include "player/Form2.hpp"
#include "player/Form4.hpp"
#include "player/mMain.hpp"
#include "player/media_factory.hpp"
#include "runtime/app.hpp"
#include "runtime/settings.hpp"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

constexpr double GoalKeyMs = 16;
constexpr double GoalClockMs = 100;

// The meter's lit segments as the window shows them (segment k lit: its lit
// picture shown, its unlit one hidden).
int litSegments(player::Form2& f) {
    const forms::Image* lit[] = {&f.Vol5, &f.Vol6, &f.Vol7, &f.Vol8, &f.Vol10};
    int n = 0;
    for (const forms::Image* i : lit) n += i->visible() ? 1 : 0;
    return n;
}

// Presses key (its character typed) and returns how long the meter took to
// show `segments` lit, or -1 when it did not within a second.
double keyToMeter(formsqt::Session& qt, player::Form2& f, char key, int segments) {
    const auto t0 = Clock::now();
    qt.pressKey(f, key == '+' ? 107 : 109, 0, std::string(1, key));  // the keypad's + and -
    if (!qt.waitUntil([&] { return litSegments(f) == segments; }, 1000)) return -1;
    return Ms(Clock::now() - t0).count();
}

void report(const char* what, std::vector<double> ms, double goal) {
    if (ms.empty()) {
        std::printf("bench_follow: %s: nothing measured\n", what);
        return;
    }
    std::sort(ms.begin(), ms.end());
    const double worst = ms.back();
    std::printf("bench_follow: %s: median %.1f ms, worst %.1f ms of %zu (goal within %.0f ms: %s)\n", what,
                benchsupport::median(ms), worst, ms.size(), goal, worst <= goal ? "met" : "MISSED");
}

}  // namespace

int main(int argc, char** argv) {
    (void)argc;
    if (!benchsupport::haveDisplay(argv[0], "bench_follow")) return 1;
    if (!benchsupport::onPath("lame")) {
        std::printf("bench_follow: skipped (lame missing)\n");
        return 0;
    }
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    setenv("DOVETUNE_AUDIO_SINK", "fakesink sync=true", 1);
    const bool brief = benchsupport::brief();
    const int keys = brief ? 6 : 20;
    const double playSeconds = brief ? 4 : 8;

    const std::string root = benchsupport::makeProgramRoot("bench_follow", "bench-follow");
    if (root.empty()) return 1;
    const std::string app = root + "/app";
    runtime::SaveSetting(app, " setting", "mnumarquee", "True");  // the Info Bar shown
    const std::string mp3 = root + "/tone.mp3";
    std::ofstream(mp3, std::ios::binary) << benchsupport::encodedAudio(root, static_cast<int>(playSeconds) + 10);

    formsqt::Session qt;
    player::SetMediaPlayerFactory([] { return std::make_unique<media::GstMediaPlayer>(); });

    // ---- the meter after a key, the window left alone before each ----
    runtime::App::setForTest(app, {});
    player::mMain::Main();
    auto& f = forms::Get<player::Form2>();
    qt.processEvents(1500);
    std::vector<double> meter;
    bool meterOk = true;
    // From -2500 (one lit): "+" to -2250 changes nothing, "+" to -2000 lights
    // two; "-" to -2250 changes nothing, "-" to -2500 lights one again.
    f.setKeyPreview(true);  // as the pointer over the window leaves it
    f.MediaPlayer1.setVolume(-2500);
    qt.waitUntil([&] { return litSegments(f) == 1; }, 1000);
    for (int i = 0; i < keys && meterOk; ++i) {
        const char key = i % 2 ? '-' : '+';
        qt.pressKey(f, key == '+' ? 107 : 109, 0, std::string(1, key));
        qt.processEvents(400);  // the timers slow down again
        const double ms = keyToMeter(qt, f, key, key == '+' ? 2 : 1);
        qt.processEvents(400);
        meterOk = ms >= 0;
        if (meterOk) meter.push_back(ms);
    }
    forms::Application::instance().reset();

    // ---- the Info Bar's remaining time while playing ----
    runtime::App::setForTest(app, {mp3});
    player::mMain::Main();
    auto& g = forms::Get<player::Form2>();
    auto& bar = forms::Get<player::Form4>();
    std::vector<double> clock;
    const bool playing = qt.waitUntil(
        [&] { return g.MediaPlayer1.playState() == media::Playing && g.MediaPlayer1.currentPosition() > 0.7; }, 10000);
    if (playing) {
        // The remaining time counts whole seconds of the rounded position: it
        // steps when the position passes a half second.
        long step = std::lround(g.MediaPlayer1.currentPosition());
        std::string caption = bar.Label4.caption();
        Clock::time_point passed{};
        bool waiting = false;
        const auto end = Clock::now() + std::chrono::duration<double>(playSeconds);
        while (Clock::now() < end) {
            qt.processEvents(0);
            const long now = std::lround(g.MediaPlayer1.currentPosition());
            if (now != step && !waiting) {
                step = now;
                passed = Clock::now();
                waiting = true;
            }
            if (bar.Label4.caption() != caption) {
                caption = bar.Label4.caption();
                if (waiting) clock.push_back(Ms(Clock::now() - passed).count());
                waiting = false;
            }
        }
    }
    forms::Application::instance().reset();
    runtime::App::setForTest("", {});
    fs::remove_all(root);

    if (!meterOk) std::printf("bench_follow: the meter did not follow a key within a second\n");
    report("the volume meter after a key", meter, GoalKeyMs);
    if (!playing) std::printf("bench_follow: the file did not play\n");
    report("the Info Bar's remaining time after the position stepped", clock, GoalClockMs);
    return meterOk && playing ? 0 : 1;
}
