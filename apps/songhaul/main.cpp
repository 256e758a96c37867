// Songhaul1, Songhaul2 and Songhaul3: one source, built three times with
// SONGHAUL_BUILD set to the build's number. The program takes no arguments;
// it shows its one window and lives as long as the window does.

#include <cstdio>
#include <cstdlib>

#include "downloader/Form1.hpp"
#include "formsqt/run.hpp"
#include "runtime/app.hpp"

#ifndef SONGHAUL_BUILD
#error "SONGHAUL_BUILD must name the build (1, 2 or 3)"
#endif

namespace {

bool haveDisplay() {
    for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* s = std::getenv(v);
        if (s && *s) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    runtime::App::init(argc, argv);
    downloader::SetBuild(SONGHAUL_BUILD);
    if (!haveDisplay()) {
        std::fprintf(stderr,
                     "%s: no display to open the window on (DISPLAY is not set). Start it in a desktop "
                     "session, under xvfb-run, or with QT_QPA_PLATFORM=offscreen.\n",
                     runtime::App::EXEName().c_str());
        return 1;
    }
    return formsqt::run(argc, argv, [] { forms::Get<downloader::Form1>().show(); });
}
