// dovetune: the skinned music player. The program's argument text is the
// file or playlist to start with; without one the last playlist comes back.

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "formsqt/run.hpp"
#include "media/gst_media_player.hpp"
#include "options/windows.hpp"
#include "player/mMain.hpp"
#include "player/media_factory.hpp"
#include "runtime/app.hpp"
#include "runtime/error.hpp"
#include "tageditor/windows.hpp"

namespace {

bool haveDisplay() {
    for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* s = std::getenv(v);
        if (s && *s) return true;
    }
    return false;
}

// The GStreamer control; where GStreamer cannot start, a control that plays
// nothing, so the window still opens and keeps its playlist.
std::unique_ptr<media::MediaPlayer> makeMediaPlayer() {
    try {
        return std::make_unique<media::GstMediaPlayer>();
    } catch (const runtime::Error& e) {
        std::fprintf(stderr, "dovetune: no media playback (%s)\n", e.what());
        return nullptr;
    }
}

}  // namespace

int main(int argc, char** argv) {
    runtime::App::init(argc, argv);
    if (!haveDisplay()) {
        std::fprintf(stderr,
                     "%s: no display to open the window on (DISPLAY is not set). Start it in a desktop "
                     "session, under xvfb-run, or with QT_QPA_PLATFORM=offscreen.\n",
                     runtime::App::EXEName().c_str());
        return 1;
    }
    tageditor::TagEditorWindows tagWindows;
    options::OptionsWindows optionWindows;
    player::SetTagEditorWindows(&tagWindows);
    player::SetOptionsWindows(&optionWindows);
    // GStreamer starts when the control is first needed, not on the way to the window.
    player::SetMediaPlayerFactory([] { return player::DeferUntilUsed(makeMediaPlayer); });
    int rc = formsqt::run(argc, argv, [] { player::mMain::Main(); });
    player::SetTagEditorWindows(nullptr);
    player::SetOptionsWindows(nullptr);
    return rc;
}
