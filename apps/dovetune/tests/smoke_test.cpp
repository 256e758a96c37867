// dovetune as a program: without a display it says so; a SIGTERM or SIGINT
// closes its windows so the playlist is saved; and its start-up with the
// GStreamer control plays the file given on the command line.

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "formsqt/run.hpp"
#include "media/gst_media_player.hpp"
#include "player_fixture.hpp"
#include "testsupport/peer_tools.hpp"

namespace {

namespace fs = std::filesystem;

// A program folder beside the test: the skin and its pictures.
void makeProgramFolder(const testsupport::TempDir& dir) {
    fs::copy_file(playertest::builtProgramDir() + "/New2.kmf", dir.file("New2.kmf"));
    fs::copy(playertest::builtProgramDir() + "/skin", dir.file("skin"), fs::copy_options::recursive);
}

// Starts dovetune with the given environment changes and one argument.
pid_t spawn(const testsupport::TempDir& app, const testsupport::TempDir& home, const std::string& arg, bool display) {
    pid_t pid = fork();
    if (pid == 0) {
        setenv("DOVETUNE_APP_PATH", app.path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", home.file("config").c_str(), 1);
        setenv("DOVETUNE_AUDIO_SINK", "fakesink sync=true", 1);
        if (display && !getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        if (!display) {
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            unsetenv("QT_QPA_PLATFORM");
        }
        ::freopen("/dev/null", "w", stdout);
        if (!display) ::freopen(home.file("stderr.txt").c_str(), "w", stderr);
        if (arg.empty())
            execl(DOVETUNE_EXE, DOVETUNE_EXE, static_cast<char*>(nullptr));
        else
            execl(DOVETUNE_EXE, DOVETUNE_EXE, arg.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

int waitFor(pid_t pid, int seconds) {
    for (int i = 0; i < seconds * 100; ++i) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}

TEST(DovetuneProgram, WithoutADisplayItSaysSoAndStops) {
    testsupport::TempDir app, home;
    makeProgramFolder(app);
    EXPECT_EQ(waitFor(spawn(app, home, "", false), 20), 1);
    EXPECT_NE(testsupport::readFile(home.file("stderr.txt")).find("no display"), std::string::npos);
    EXPECT_FALSE(fs::exists(app.file("Path.m3u")));
}

TEST(DovetuneProgram, ASignalClosesTheWindowsAndSavesThePlaylist) {
    for (int sig : {SIGTERM, SIGINT}) {
        testsupport::TempDir app, home;
        makeProgramFolder(app);
        std::string list = home.file("list.m3u");
        testsupport::writeFile(list, "/music/one.mp3\r\n/music/two.mp3\r\n");
        pid_t pid = spawn(app, home, list, true);
        usleep(2500 * 1000);
        kill(pid, sig);
        EXPECT_EQ(waitFor(pid, 20), 0) << sig;
        EXPECT_EQ(testsupport::readFile(app.file("Path.m3u")), "/music/one.mp3\r\n/music/two.mp3\r\n") << sig;
        EXPECT_EQ(testsupport::readFile(app.file("Name.m3u")), "one - \r\ntwo - \r\n") << sig;
    }
}

TEST(DovetuneStart, PlaysTheCommandLineFileThroughGStreamer) {
    if (!testsupport::haveProgram("lame")) GTEST_SKIP() << "lame is not installed";
    playertest::Player p;
    std::string mp3 = p.home.file("Two Seconds.mp3");
    peer::lame(mp3, "-b 128", 2.0, 44100, 2);
    runtime::App::setForTest(p.app.path(), {mp3});
    testsupport::ScopedEnv sink("DOVETUNE_AUDIO_SINK", "fakesink sync=true");
    formsqt::Session session;
    media::GstMediaPlayer* gst = nullptr;
    player::SetMediaPlayerFactory([&] {
        auto m = std::make_unique<media::GstMediaPlayer>();
        gst = m.get();
        return m;
    });
    player::mMain::Main();
    ASSERT_TRUE(forms::IsLoaded<player::Form2>());
    auto& f = forms::Get<player::Form2>();
    ASSERT_NE(gst, nullptr);
    EXPECT_TRUE(session.waitUntil([&] { return gst->playState() == media::Playing; }, 5000));
    double first = gst->currentPosition();
    EXPECT_TRUE(session.waitUntil([&] { return gst->currentPosition() > first + 0.3; }, 5000));
    EXPECT_EQ(playertest::Player::items(f.lstFiles), std::vector<std::string>{mp3});
    EXPECT_TRUE(session.waitUntil([&] { return f.List2.listCount() == 1; }, 2000));
    f.unload();
}

}  // namespace
