#pragma once
// A headless main window for tests: the manual scheduler, scripted dialogs
// and media control, the recording other windows, a temporary program folder
// holding the built skin, and a private settings store.
//
//     playertest::Player p;                     // no command line
//     p.writeSavedPlaylist({"/m/a.mp3"}, {"a - 1 KB"});
//     auto& f = p.start();                      // Main: Form2 loads and shows
//     p.fill({p.track("a.mp3", 1024)});         // paths in, builder run to its end
//     f.List2.doubleClickItem(0);
//     EXPECT_EQ(p.media->fileName(), p.track("a.mp3"));

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "forms/application.hpp"
#include "forms/testing.hpp"
#include "media/scripted_media_player.hpp"
#include "player/Form2.hpp"
#include "player/Form4.hpp"
#include "player/mMain.hpp"
#include "player/media_factory.hpp"
#include "player/other_windows.hpp"
#include "runtime/app.hpp"
#include "testsupport/support.hpp"

#ifndef DOVETUNE_BUILT_PROGRAM_DIR
#error "DOVETUNE_BUILT_PROGRAM_DIR must name the build's program folder"
#endif

namespace playertest {

inline std::string builtProgramDir() { return DOVETUNE_BUILT_PROGRAM_DIR; }

class Player {
public:
    // args: the program's command line, word by word.
    explicit Player(std::vector<std::string> args = {}, bool withSkin = true)
        : config_("XDG_CONFIG_HOME", home.file("config")) {
        namespace fs = std::filesystem;
        fs::create_directories(app.file("skin"));
        if (withSkin) {
            fs::copy_file(builtProgramDir() + "/New2.kmf", app.file("New2.kmf"));
            for (auto& e : fs::directory_iterator(builtProgramDir() + "/skin"))
                fs::copy_file(e.path(), app.file("skin/" + e.path().filename().string()));
        }
        runtime::App::setForTest(app.path(), std::move(args));
        player::SetMediaPlayerFactory([this] {
            auto m = std::make_unique<media::ScriptedMediaPlayer>();
            media = m.get();
            return m;
        });
        player::SetTagEditorWindows(&windows);
        player::SetOptionsWindows(&windows);
    }
    ~Player() {
        forms::Application::instance().reset();
        player::SetMediaPlayerFactory(nullptr);
        player::SetTagEditorWindows(nullptr);
        player::SetOptionsWindows(nullptr);
        runtime::App::setForTest("", {});
    }
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    forms::TestEnvironment env;
    testsupport::TempDir app;   // the program folder
    testsupport::TempDir home;  // settings and music live here
    player::RecordingWindows windows;
    media::ScriptedMediaPlayer* media = nullptr;  // Form2's control once it exists

    // Runs the start-up procedure (Form2 loads and shows) and returns Form2,
    // which must still be loaded (a start that ends the program calls Main).
    player::Form2& start() {
        player::mMain::Main();
        auto* f = forms::IfLoaded<player::Form2>();
        if (!f) throw std::logic_error("Form2 did not stay loaded after its start");
        return *f;
    }
    // The main window; made and loaded at the first reference.
    player::Form2& form2() { return forms::Get<player::Form2>(); }
    bool form2Loaded() const { return forms::IsLoaded<player::Form2>(); }

    // A music file of the given length under the home folder; its full path.
    std::string track(const std::string& name, std::int64_t bytes = 0) {
        std::string p = home.file("music/" + name);
        std::filesystem::create_directories(std::filesystem::path(p).parent_path());
        if (bytes >= 0 && !std::filesystem::exists(p)) {
            std::string data(static_cast<std::size_t>(bytes), '\0');
            testsupport::writeFile(p, data);
        }
        return p;
    }

    // The playlist files the last exit would have written, CR LF after each line.
    void writeSavedPlaylist(const std::vector<std::string>& paths, const std::vector<std::string>& names) {
        testsupport::writeFile(app.file("Path.m3u"), lines(paths));
        testsupport::writeFile(app.file("Name.m3u"), lines(names));
    }
    static std::string lines(const std::vector<std::string>& items) {
        std::string s;
        for (auto& i : items) s += i + "\r\n";
        return s;
    }

    // Replaces the playlist with these paths as an adder does (the three lists
    // cleared, the paths appended, the builder started) and runs the builder
    // to its end.
    void fill(const std::vector<std::string>& paths) {
        auto& f = form2();
        f.List1.clear();
        f.List2.clear();
        f.lstFiles.clear();
        for (auto& p : paths) f.lstFiles.addItem(p);
        f.Timer3.setEnabled(true);
        runBuilder();
    }
    // Advances the clock until the builder has stopped (at most `limit` ticks).
    void runBuilder(long limit = 100000) {
        auto& f = form2();
        for (long i = 0; i < limit && f.Timer3.enabled(); ++i) env.scheduler.advance(1);
    }

    // The three lists' items.
    static std::vector<std::string> items(const forms::ListBox& l) {
        std::vector<std::string> v;
        for (long i = 0; i < l.listCount(); ++i) v.push_back(l.list(i));
        return v;
    }

private:
    testsupport::ScopedEnv config_;
};

}  // namespace playertest
