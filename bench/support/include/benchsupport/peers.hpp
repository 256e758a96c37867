// The independent players the CPU benchmarks measure dovetune against, each
// with its settings in a folder of the benchmark (its window shown, nothing
// else of the user's touched) and a silent sink that plays in real time:
// Audacious (GTK window, SDL's dummy audio driver), Qmmp (skinned window,
// visualisation off, its null output) and gst-play-1.0 (fakesink sync=true,
// as dovetune plays in these benchmarks).
#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace benchsupport {

struct Peer {
    std::string name;
    std::vector<std::string> argv;  // empty when it cannot run here
    std::vector<std::string> env;   // NAME=value, over the benchmark's own
    std::string missing;            // why it cannot run
    bool ok() const { return !argv.empty(); }
};

inline bool onPath(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// Audacious with its window, playing file when one is given. Its output is
// chosen in the plugin registry it keeps among its settings: SDL's, whose
// dummy driver takes the sound in real time and plays nothing.
inline Peer audacious(const std::string& dir, const std::string& file = {}) {
    namespace fs = std::filesystem;
    Peer p{"Audacious", {}, {}, {}};
    if (!onPath("audacious")) {
        p.missing = "not installed (Debian package audacious)";
        return p;
    }
    std::string sdl;
    for (const char* lib : {"/usr/lib/x86_64-linux-gnu", "/usr/lib/aarch64-linux-gnu", "/usr/lib"})
        if (fs::exists(std::string(lib) + "/audacious/Output/sdlout.so")) {
            sdl = std::string(lib) + "/audacious/Output/sdlout.so";
            break;
        }
    struct stat st {};
    if (sdl.empty() || ::stat(sdl.c_str(), &st) != 0) {
        p.missing = "its SDL output plugin is missing";
        return p;
    }
    fs::create_directories(dir + "/config/audacious");
    fs::create_directories(dir + "/home");
    std::ofstream(dir + "/config/audacious/plugin-registry")
        << "format 11\noutput " << sdl << "\nstamp " << st.st_mtime
        << "\nversion 48\nflags 0\nname SDL Output\ndomain audacious-plugins\npriority 9\nabout 1\nconfig 0\nenabled 1\n";
    p.argv = {"audacious"};
    if (!file.empty()) p.argv.push_back(file);
    p.env = {"HOME=" + dir + "/home", "XDG_CONFIG_HOME=" + dir + "/config", "SDL_AUDIODRIVER=dummy"};
    return p;
}

// Qmmp with its skinned window and no visualisation, playing file when one
// is given, into its null output.
inline Peer qmmp(const std::string& dir, const std::string& file = {}) {
    namespace fs = std::filesystem;
    Peer p{"Qmmp", {}, {}, {}};
    if (!onPath("qmmp")) {
        p.missing = "not installed (Debian package qmmp)";
        return p;
    }
    fs::create_directories(dir + "/home/.qmmp");
    fs::create_directories(dir + "/config");
    std::ofstream(dir + "/home/.qmmp/qmmprc") << "[Output]\ncurrent_plugin=null\n\n[Skinned]\nvis_type=None\n";
    p.argv = {"qmmp"};
    if (!file.empty()) p.argv.push_back(file);
    p.env = {"HOME=" + dir + "/home", "XDG_CONFIG_HOME=" + dir + "/config"};
    return p;
}

// gst-play-1.0 playing file into a fakesink that keeps real time.
inline Peer gstPlay(const std::string& file) {
    Peer p{"gst-play-1.0", {}, {}, {}};
    if (!onPath("gst-play-1.0")) {
        p.missing = "not installed (Debian package gstreamer1.0-plugins-base-apps)";
        return p;
    }
    p.argv = {"gst-play-1.0", "-q", "--no-interactive", "--audiosink=fakesink sync=true", file};
    return p;
}

}  // namespace benchsupport
