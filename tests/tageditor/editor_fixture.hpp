#pragma once
// A headless tag editor for tests: the main window of the player fixture
// (scripted media control and dialogs, manual scheduler, temporary program
// folder), the editor opened on a file as the main window opens it, and
// small MP3 files made in code or by lame.
//
//     editortest::Editor e;
//     std::string mp3 = e.mp3("a.mp3");        // frames of MPEG audio, no tags
//     auto& f = e.open(mp3);                   // Show, txtpath, Timer1, one tick
//     f.txtTitleV2.setText("New");
//     f.Command2.click();

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "../metadata/id3v2_fixtures.hpp"
#include "../player/player_fixture.hpp"
#include "metadata/cmp3id3v1.hpp"
#include "metadata/cmp3id3v2.hpp"
#include "metadata/id3v2_extent.hpp"
#include "runtime/app.hpp"
#include "runtime/files.hpp"
#include "tageditor/Form1.hpp"
#include "testsupport/peer_tools.hpp"

namespace editortest {

inline const std::string kCrLf = "\r\n";

class Editor {
public:
    // The program folder holds the editor's skin and design pictures as the
    // build draws them, unless withSkin is false.
    explicit Editor(bool withSkin = true) {
        namespace fs = std::filesystem;
        const std::string built = playertest::builtProgramDir();
        if (withSkin && fs::exists(built + "/3.kmf")) {
            fs::copy_file(built + "/3.kmf", player.app.file("3.kmf"));
            fs::create_directories(player.app.file("tageditor"));
            for (auto& e : fs::directory_iterator(built + "/tageditor"))
                fs::copy_file(e.path(), player.app.file("tageditor/" + e.path().filename().string()));
        }
        player.start();
        media = player.media;
    }

    playertest::Player player;
    media::ScriptedMediaPlayer* media = nullptr;

    forms::TestEnvironment& env() { return player.env; }
    tageditor::Form1& form() { return forms::Get<tageditor::Form1>(); }

    // The editor opened for the selected playlist entry: Show, txtpath, then
    // the loader switched on and run by the next tick.
    tageditor::Form1& open(const std::string& path) {
        auto& f = form();
        f.show();
        f.txtpath.setText(path);
        f.Timer1.setEnabled(true);
        env().scheduler.advance(1);
        return f;
    }
    // Loads another file into the open window, as the main window does.
    void reload(const std::string& path) {
        auto& f = form();
        f.txtpath.setText(path);
        f.Timer1.setEnabled(true);
        env().scheduler.advance(1);
    }

    // A file under the home folder with these bytes; its path.
    std::string file(const std::string& name, std::string_view bytes) {
        std::string p = player.home.file(name);
        std::filesystem::create_directories(std::filesystem::path(p).parent_path());
        testsupport::writeFile(p, bytes);
        return p;
    }
    // Frames of MPEG audio (a leading ID3v2 tag when given).
    std::string mp3(const std::string& name, std::string_view id3v2 = {}, std::size_t frames = 8) {
        return file(name, std::string(id3v2) + id3v2test::audio(frames));
    }
    // One second of audio encoded by lame, made once per test program.
    static const std::string& lameAudio() {
        static std::string bytes;
        if (bytes.empty()) {
            testsupport::TempDir dir;
            std::string out = dir.file("one.mp3");
            peer::lame(out, "--cbr -b 128", 1.0, 44100, 2);
            bytes = testsupport::readFile(out);
        }
        return bytes;
    }
    std::string lameMp3(const std::string& name) { return file(name, lameAudio()); }

    // Writes an ID3v1 tag into the file with the tag object.
    static void writeId3v1(const std::string& path, const std::string& title, const std::string& artist = "",
                           std::uint8_t genre = 255, std::uint8_t track = 0) {
        metadata::cMP3ID3v1 t;
        t.setMP3File(path);
        t.setTitle(title);
        t.setArtist(artist);
        t.setGenre(genre);
        t.setTrack(track);
        t.Update();
    }

    // The last message box shown, and how many were shown.
    const forms::MessageBoxRequest& lastMessage() { return env().dialogs.shown().back().message; }
    std::size_t shownCount() { return env().dialogs.shown().size(); }
};

// Runs `action` in a child process that is killed (SIGKILL) at `step` of the
// next file replacement, as a crash of the program at that moment would end
// it; without a step the action runs to its end. True when the child was
// killed there.
inline bool killedAt(std::optional<runtime::detail::ReplaceStep> step, const std::function<void()>& action) {
    // Only the child's one thread lives on after the fork; another thread of
    // the test holding a lock at that moment could hang the child.
    std::size_t threads = 0;
    for ([[maybe_unused]] const auto& t : std::filesystem::directory_iterator("/proc/self/task")) ++threads;
    EXPECT_EQ(threads, 1u) << "the test runs other threads";
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (step)
            runtime::detail::WatchNextReplace([at = *step](runtime::detail::ReplaceStep now) {
                if (now == at) ::raise(SIGKILL);
            });
        action();
        ::_exit(0);
    }
    int status = 0;
    EXPECT_EQ(::waitpid(pid, &status, 0), pid);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

// The tags as a fresh pair of objects reads them from the file.
struct ReadBack {
    explicit ReadBack(const std::string& path) {
        v1.setMP3File(path);
        v2.setMP3File(path);
    }
    metadata::cMP3ID3v1 v1;
    metadata::cMP3ID3v2 v2;
};

// Every frame of a file as a mutagen script prints it ("key=value" lines),
// the script run with the file's path.
inline std::map<std::string, std::string> mutagenFrames(const testsupport::TempDir& dir, const std::string& script,
                                                        const std::string& path) {
    auto r = peer::python(dir, script, {path});
    EXPECT_EQ(r.status, 0) << r.output;
    return peer::keyValues(r.output);
}

// The bytes of an MP3 file between its ID3v2 tag (as its header measures it)
// and a trailing ID3v1 block.
inline std::string audioBetweenTags(const std::string& file) {
    auto read = [&](std::int64_t offset, std::size_t count) {
        return offset >= static_cast<std::int64_t>(file.size()) ? std::string()
                                                                 : file.substr(static_cast<std::size_t>(offset), count);
    };
    std::size_t start = 0;
    if (auto h = metadata::ReadId3v2Header(read, static_cast<std::int64_t>(file.size())))
        start = static_cast<std::size_t>(h->extent);
    std::size_t end = file.size();
    if (end >= 128 && file.compare(end - 128, 3, "TAG") == 0) end -= 128;
    return file.substr(start, end - start);
}

}  // namespace editortest
