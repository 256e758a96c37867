#pragma once
// A GStreamer control on a real-time scheduler with a sink that needs no
// sound card, and the files it plays in a temporary folder.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "fixtures.hpp"
#include "media/gst_media_player.hpp"
#include "runtime/error.hpp"
#include "runtime/scheduler.hpp"
#include "testsupport/support.hpp"
#include "testsupport/errors.hpp"

namespace mediatest {

class Backend : public ::testing::Test {
protected:
    explicit Backend(const std::string& sink = "fakesink sync=true") : sinkEnv_("DOVETUNE_AUDIO_SINK", sink) {
        runtime::Scheduler::setCurrent(&ui);
        player = std::make_unique<media::GstMediaPlayer>(ui);
        player->setEndOfStreamHandler([this](std::int32_t) {
            ++ends;
            endedAtMs = ui.nowMs();
            if (onEnd) onEnd();
        });
    }
    ~Backend() override {
        player.reset();
        runtime::Scheduler::setCurrent(nullptr);
    }

    // Runs the UI loop until pred holds or ms pass.
    bool runUntil(const std::function<bool()>& pred, int ms = 6000) { return ui.runUntil(pred, ms); }
    void runFor(int ms) {
        runUntil([] { return false; }, ms);
    }
    bool ended(int ms = 6000) {
        return runUntil([this] { return ends > 0; }, ms);
    }
    bool rolling(int ms = 6000) {
        return runUntil([this] { return player->rolling(); }, ms);
    }
    std::string wav(const std::string& name, double seconds, int channels = 2) {
        std::string p = dir.file(name);
        writeWav(p, seconds, channels);
        return p;
    }

    template <typename F>
    static int errorOf(F&& f) {
        return testsupport::errorOf(std::forward<F>(f));
    }

    testsupport::ScopedEnv sinkEnv_;
    testsupport::TempDir dir;
    runtime::PollScheduler ui;
    std::unique_ptr<media::GstMediaPlayer> player;
    int ends = 0;
    std::int64_t endedAtMs = -1;
    std::function<void()> onEnd;
};

// Counts the lines of standard error that hold `what` while it is captured.
inline int countLines(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace mediatest
