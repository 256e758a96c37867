// The downloader window driven as a user would, headless on the manual
// scheduler, against scripted HTTP servers on 127.0.0.1. Socket events are
// taken with runUntil (real time, virtual clock still); the timers tick only
// when the test advances the clock.

#include "downloader/Form1.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <vector>

#include "downloader/catalogue.hpp"
#include "forms/testing.hpp"
#include "nettest/scripted_server.hpp"
#include "runtime/app.hpp"
#include "runtime/filesystem.hpp"
#include "testsupport/support.hpp"

using downloader::Form1;
using nettest::Connection;
using nettest::Gate;
using nettest::ScriptedServer;

namespace {

std::string payload(std::size_t n, unsigned seed = 7) {
    std::string s(n, '\0');
    std::uint32_t x = seed;
    for (auto& c : s) {
        x = x * 1664525u + 1013904223u;
        c = static_cast<char>(x >> 24);
    }
    return s;
}

std::string head200(std::size_t length) {
    return "HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nContent-Length: " + std::to_string(length) + "\r\n\r\n";
}

std::string head206(std::size_t from, std::size_t total) {
    return "HTTP/1.1 206 Partial Content\r\nContent-Type: audio/mpeg\r\nContent-Range: bytes " + std::to_string(from) +
           "-" + std::to_string(total - 1) + "/" + std::to_string(total) + "\r\nContent-Length: " +
           std::to_string(total - from) + "\r\n\r\n";
}

// One downloader window in a temporary program folder.
struct Downloader {
    explicit Downloader(int build = 1, bool mediaFolder = true) {
        runtime::App::setForTest(dir.path(), {}, "Songhaul" + std::to_string(build));
        if (mediaFolder) ::mkdir(media().c_str(), 0755);
        downloader::SetBuild(build);
        downloader::SetShellOpener([this](const std::string& t) { opened.push_back(t); });
        form = &forms::Get<Form1>();
    }
    ~Downloader() { downloader::SetShellOpener({}); }

    std::string media() const { return dir.path() + "/Media"; }
    std::string target() const { return form->txtTo.text(); }
    std::string saved() const { return testsupport::readFile(target()); }

    // Chooses a catalogue line (-1: none) and presses Download.
    void download(const std::string& url, long line = 3) {
        form->txtFrom.setText(url);
        if (line >= 0) form->List1.clickItem(line);
        form->Command1.click();
    }
    bool waitFor(const std::function<bool()>& pred, int ms = 5000) { return env.scheduler.runUntil(pred, ms); }
    bool waitForBytes(std::int64_t n, int ms = 5000) {
        return waitFor([&] { return form->st.sngPosition == n + 1; }, ms);
    }
    bool waitForIdle() {
        return waitFor([&] { return form->Winsock.State() == net::Winsock::sckClosed; });
    }
    void tick(int ms) { env.scheduler.advance(ms); }
    // The message boxes shown so far, as "text|style|title".
    std::vector<std::string> messages() const {
        std::vector<std::string> out;
        for (auto& s : env.dialogs.shown())
            out.push_back(s.message.prompt + "|" + std::to_string(s.message.buttons) + "|" + s.message.title);
        return out;
    }
    void expectMessages(int n) {
        for (int i = 0; i < n; ++i) env.dialogs.answerMessageBox(forms::vbOK);
    }

    forms::TestEnvironment env;
    testsupport::TempDir dir;
    Form1* form = nullptr;
    std::vector<std::string> opened;
};

}  // namespace

// ------------------------------------------------------------ window

TEST(Form1Window, EachBuildStartsWithItsCaptionCatalogueSizeAndFocus) {
    struct Case {
        int build;
        const char* caption;
        long lines;
        float clientWidth;
        float shift;
        const char* focus;
    };
    const Case cases[] = {
        {1, "Songhaul1", 1181, 11280, 0, "Command3"},
        {2, "Songhaul2", 1138, 11265, 120, "Command1"},
        {3, "Songhaul3", 1172, 11265, 120, "Command3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        Downloader d(c.build);
        Form1& f = *d.form;
        EXPECT_EQ(f.clientWidthTwips(), c.clientWidth) << "at load";
        EXPECT_EQ(f.clientHeightTwips(), 8055);
        f.show();
        EXPECT_EQ(f.caption(), c.caption);
        EXPECT_FALSE(f.maxButton());
        ASSERT_EQ(f.List1.listCount(), c.lines);
        const auto& lines = downloader::catalogue(c.build);
        for (long i = 0; i < c.lines; ++i) ASSERT_EQ(f.List1.list(i), lines[static_cast<std::size_t>(i)]);
        EXPECT_EQ(f.List1.listIndex(), -1);
        EXPECT_EQ(f.List1.text(), "");
        EXPECT_FALSE(f.cmdRun.enabled());
        ASSERT_NE(f.activeControl(), nullptr);
        EXPECT_EQ(f.activeControl()->name(), c.focus);
        EXPECT_EQ(f.Image1.leftTwips(), 0);
        EXPECT_EQ(f.Image2.leftTwips(), -c.shift);
        EXPECT_EQ(f.Command1.leftTwips(), 360 - c.shift);
        EXPECT_EQ(f.txtFrom.leftTwips(), 120 - c.shift);
        EXPECT_EQ(f.Frame1.leftTwips(), 7920 - c.shift);
        EXPECT_EQ(f.per.leftTwips(), 1320) << "inside the frame nothing moves";
        EXPECT_EQ(f.txtTo.text(), d.media());
        EXPECT_EQ(f.File1.path(), d.media());
        EXPECT_EQ(f.Command2.caption(), "Paused");
        EXPECT_EQ(f.per.caption(), "00");
        EXPECT_FALSE(f.txtFrom.visible());
        EXPECT_FALSE(f.lblStatus.visible());
    }
}

TEST(Form1Window, TabGoesThroughTheButtonsListsAndHeaderBoxInEachBuildsOrder) {
    const std::vector<std::string> songhaul1 = {"Command3", "txtHead", "File1", "List1", "Command2", "Command1"};
    const std::vector<std::string> songhaul2 = {"Command1", "Command2", "List1", "File1", "txtHead", "Command3"};
    for (int build : {1, 2, 3}) {
        SCOPED_TRACE(build);
        Downloader d(build);
        d.form->show();
        std::vector<std::string> seen;
        for (int i = 0; i < 6; ++i) {
            ASSERT_NE(d.form->activeControl(), nullptr);
            seen.push_back(d.form->activeControl()->name());
            d.form->tabToNext();
        }
        EXPECT_EQ(seen, build == 2 ? songhaul2 : songhaul1);
        // Round after round, the focus never lands on a control the user
        // cannot see (the empty picture box lies below the client area).
        for (int i = 0; i < 20; ++i) {
            d.form->tabToNext();
            forms::Control* c = d.form->activeControl();
            ASSERT_NE(c, nullptr);
            EXPECT_LE(c->top() + c->height(), d.form->clientHeightTwips()) << c->name();
        }
    }
}

TEST(Form1Window, SourceUrlIsLoopbackWithAPortAndAnEscapedBlank) {
    Downloader d;
    const std::string url = d.form->txtFrom.text();
    EXPECT_EQ(url.rfind("http://127.0.0.1:", 0), 0u) << url;
    EXPECT_NE(url.find("%20"), std::string::npos);
    EXPECT_EQ(url.substr(url.size() - 4), ".mp3");
    EXPECT_EQ(url.find('/', 7), url.rfind('/')) << "one file name at the root";
}

TEST(Form1Window, Songhaul1KeepsItsSizeTheOthersResizeFreely) {
    {
        Downloader d(1);
        d.form->show();
        d.form->userResized(5000, 3000);
        EXPECT_EQ(d.form->width(), 11385);
        EXPECT_EQ(d.form->height(), 8505);
        d.form->userWindowState(forms::vbMinimized);
        d.form->userWindowState(forms::vbNormal);
        EXPECT_EQ(d.form->width(), 11385);
        EXPECT_EQ(d.form->height(), 8505);
    }
    {
        Downloader d(2);
        d.form->show();
        d.form->userResized(5000, 9000);
        EXPECT_EQ(d.form->clientWidthTwips(), 5000);
        EXPECT_EQ(d.form->clientHeightTwips(), 9000);
    }
}

TEST(Form1Window, CountMessageOfSonghaul1CountsTheFolderAsItWasAtLoad) {
    for (int build : {1, 2}) {
        testsupport::TempDir pre;
        Downloader d(build, false);
        // A fresh window on a folder with three songs and one other file.
        forms::Application::instance().reset();
        ::mkdir(d.media().c_str(), 0755);
        for (const char* n : {"a.mp3", "b.MP3", "c.Mp3", "notes.txt"}) testsupport::writeFile(d.media() + "/" + n, "x");
        d.form = &forms::Get<Form1>();
        testsupport::writeFile(d.media() + "/d.mp3", "x");  // after load: not counted
        d.form->Label3.click();
        EXPECT_EQ(d.form->Label3.caption(), build == 1 ? "You Have Downloaded 3 From 1012 Songs" : "Percent:");
    }
}

TEST(Form1Window, MissingMediaFolderListsTheCurrentFolderAndIsMadeByTheDownload) {
    Downloader d(1, false);
    EXPECT_EQ(d.form->File1.path(), runtime::CurDir());
    EXPECT_EQ(d.form->List1.listCount(), 1181);
    std::string body = payload(300);
    ScriptedServer server([&](Connection& c) {
        c.readHead();
        c.send(head200(body.size()) + body);
    });
    d.download(server.url("/x.mp3"));
    ASSERT_TRUE(d.waitForBytes(300));
    EXPECT_EQ(d.saved(), body);
}

// ------------------------------------------------------------ requests

TEST(Form1Download, BothRequestFormsAndTheOne404Retry) {
    Downloader d;
    std::string body = payload(500);
    ScriptedServer server([&](Connection& c) {
        c.readHead();
        if (c.index() == 0)
            c.send("HTTP/1.0 404 Not Found\r\nContent-Type: text/html\r\n\r\n<h1>404 Not Found</h1>");
        else
            c.send(head200(body.size()) + body);
    });
    const std::string url = server.url("/dir/Song%20One.mp3");
    const std::string host = "127.0.0.1:" + std::to_string(server.port());
    d.download(url, 5);
    ASSERT_TRUE(d.waitForBytes(500));
    ASSERT_TRUE(server.waitForConnections(2));
    auto req = server.requests();
    ASSERT_EQ(req.size(), 2u);
    EXPECT_EQ(req[0], "GET " + url + " HTTP/1.0\r\nAccept: *.*, */*\r\nUser-Agent: Brimhold\r\nReferer: " + host +
                          "\r\n\r\n");
    EXPECT_EQ(req[1], "GET /Song%20One.mp3 HTTP/1.0\r\nAccept: *.*, */*\r\nUser-Agent: Brimhold\r\nHost: " + host +
                          "\r\n\r\n");
    EXPECT_EQ(d.target(), d.media() + "/" + d.form->List1.list(5) + ".mp3");
    EXPECT_EQ(d.saved(), body);
    EXPECT_TRUE(d.messages().empty());
    EXPECT_TRUE(d.form->st.bln404Retry) << "the second form stays in use, as before";
}

TEST(Form1Download, Second404IsReportedWritesNothingAndRestoresTheFirstForm) {
    Downloader d;
    ScriptedServer server([&](Connection& c) {
        c.readHead();
        c.send("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot here!");
    });
    d.expectMessages(1);
    d.download(server.url("/x.mp3"));
    ASSERT_TRUE(d.waitFor([&] { return !d.messages().empty(); }));
    EXPECT_EQ(d.messages(), (std::vector<std::string>{"File not found on this server.|16|File Not Found"}));
    EXPECT_FALSE(d.form->st.bln404Retry);
    EXPECT_FALSE(testsupport::exists(d.target()));
    EXPECT_EQ(server.connections(), 2);
    EXPECT_EQ(d.form->Winsock.State(), 0);
}

TEST(Form1Download, HeadInOneChunkOrSplitAndBodyThatLooksLikeAHead) {
    const std::string body = "Content-Type: text/plain\r\n\r\nHTTP/1.1 404 Not Found\r\n\r\n" + payload(4000);
    for (std::size_t piece : {std::size_t(0), std::size_t(1), std::size_t(7)}) {
        SCOPED_TRACE(piece);
        Downloader d;
        ScriptedServer server([&](Connection& c) {
            c.readHead();
            std::string answer = head200(body.size()) + body;
            if (piece == 0)
                c.send(answer);
            else
                c.sendInPieces(answer.substr(0, 200), piece, 0), c.send(answer.substr(200));
        });
        d.download(server.url("/x.mp3"));
        ASSERT_TRUE(d.waitForBytes(static_cast<std::int64_t>(body.size())));
        EXPECT_EQ(d.saved(), body);
        EXPECT_EQ(d.form->txtHead.text(), head200(body.size()).substr(0, head200(body.size()).size() - 4));
    }
}

// ------------------------------------------------------------ progress and completion

TEST(Form1Progress, LabelsWhileReceivingAndAtCompletion) {
    Downloader d;
    Gate rest;
    const std::string body = payload(200);
    ScriptedServer server([&](Connection& c) {
        c.readHead();
        c.send(head200(200) + body.substr(0, 100));
        rest.wait();
        c.send(body.substr(100));
    });
    d.form->st.intSeconds = 41;  // left from an earlier download: the clock restarts
    d.download(server.url("/x.mp3"));
    ASSERT_TRUE(d.waitForBytes(100));
    d.tick(1);
    Form1& f = *d.form;
    EXPECT_EQ(f.lblRecieve.caption(), "101 Bytes");
    EXPECT_EQ(f.lblSize.caption(), "200 Bytes");
    EXPECT_EQ(f.per.caption(), "51");
    EXPECT_EQ(f.prgStatus.value(), 51);
    EXPECT_TRUE(f.prgStatus.visible());
    d.tick(999);  // the clock's first tick: one second, no speed measured yet
    EXPECT_EQ(f.lblElapsed.caption(), "00:00:01");
    EXPECT_EQ(f.lblRemaining.caption(), "--:--:--");
    EXPECT_EQ(f.lblSpeed.caption(), "0");
    EXPECT_FALSE(f.cmdRun.enabled());
    rest.open();
    ASSERT_TRUE(d.waitForBytes(200));
    // 201 bytes counted over 1 s of the clock: 201 bytes per second.
    EXPECT_FLOAT_EQ(f.st.sngSpeed, 0.2f);
    d.tick(1);
    EXPECT_EQ(f.lblRecieve.caption(), "201 Bytes") << "one more than the total, as the position is";
    EXPECT_EQ(f.per.caption(), "101");
    EXPECT_EQ(f.prgStatus.value(), 51) << "a figure above 100 is refused by the bar";
    d.tick(999);
    EXPECT_EQ(f.lblStatus.caption(), "Download Completed");
    EXPECT_TRUE(f.lblStatus.visible());
    EXPECT_FALSE(f.prgStatus.visible());
    EXPECT_TRUE(f.cmdRun.enabled());
    EXPECT_TRUE(f.Command1.enabled());
    EXPECT_EQ(f.lblSpeed.caption(), "0");
    EXPECT_EQ(f.lblElapsed.caption(), "00:00:01");
    EXPECT_EQ(f.st.sngFileSize, 0);
    EXPECT_EQ(f.Winsock.State(), 0);
    EXPECT_EQ(d.saved(), body);
    f.cmdRun.click();
    EXPECT_EQ(d.opened, (std::vector<std::string>{d.target()}));
    d.tick(5000);
    EXPECT_EQ(f.lblStatus.caption(), "Download Completed") << "the timers go quiet after completion";
}

TEST(Form1Progress, WithoutALengthTheClosedConnectionGivesTheSize) {
    Downloader d;
    const std::string body = payload(3000);
    ScriptedServer server([&](Connection& c) {
        c.readHead();
        c.send("HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\n\r\n" + body);
    });
    d.download(server.url("/x.mp3"));
    ASSERT_TRUE(d.waitFor([&] { return d.form->st.sngFileSize == 3000; }));
    d.tick(1000);
    EXPECT_EQ(d.form->lblStatus.caption(), "Download Completed");
    EXPECT_EQ(d.form->lblSize.caption(), "2.93 KB");
    EXPECT_EQ(d.saved(), body);
    EXPECT_TRUE(d.messages().empty());
}

// ------------------------------------------------------------ pause, resume, stop

TEST(Form1Resume, PauseAfterKBytesThenResumeWithARangeGivesTheSameFile) {
    Downloader d;
    const std::size_t total = 50000, k = 12345;
    const std::string body = payload(total);
    ScriptedServer server([&](Connection& c) {
        std::string req = c.readHead();
        if (c.index() == 0) {
            c.send(head200(total) + body.substr(0, k));
            c.waitForPeerClose();
        } else {
            c.send(head206(k, total) + body.substr(k));
        }
    });
    d.download(server.url("/x.mp3"));
    ASSERT_TRUE(d.waitForBytes(k));
    Form1& f = *d.form;
    f.Command2.click();  // pause
    EXPECT_EQ(f.Winsock.State(), 0);
    EXPECT_EQ(f.Command2.caption(), "Resume");
    EXPECT_EQ(f.lblStatus.caption(), "Download Paused");
    EXPECT_TRUE(f.lblStatus.visible());
    EXPECT_FALSE(f.prgStatus.visible());
    f.Command3.click();  // Stop while paused does nothing
    EXPECT_TRUE(d.messages().empty());
    f.Command2.click();  // resume
    EXPECT_EQ(f.Command2.caption(), "Pause");
    ASSERT_TRUE(d.waitForBytes(total));
    auto req = server.requests();
    ASSERT_EQ(req.size(), 2u);
    EXPECT_NE(req[1].find("\r\nRange: bytes=12345-\r\nUser-Agent: Brimhold\r\n"), std::string::npos) << req[1];
    EXPECT_EQ(req[0].find("Range:"), std::string::npos);
    d.tick(1000);
    EXPECT_EQ(f.lblStatus.caption(), "Download Completed");
    EXPECT_TRUE(d.saved() == body);
}

TEST(Form1Resume, AnswersThatCannotContinueTheFileAreRefused) {
    const std::size_t total = 3000, k = 1000;
    const std::string body = payload(total);
    struct Case {
        const char* what;
        std::string answer;
        bool accepted;
    };
    const Case cases[] = {
        {"200", head200(total) + body, false},
        {"404", "HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\n\r\nnope", false},
        {"206 from elsewhere", head206(0, total) + body, false},
        {"206 without a range",
         "HTTP/1.1 206 Partial Content\r\nContent-Length: 2000\r\n\r\n" + body.substr(k), false},
        {"206 under HTTP/1.0",
         "HTTP/1.0 206 Partial Content\r\nContent-Range: bytes 1000-2999/3000\r\n\r\n" + body.substr(k), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Downloader d;
        ScriptedServer server([&](Connection& conn) {
            conn.readHead();
            if (conn.index() == 0) {
                conn.send(head200(total) + body.substr(0, k));
                conn.waitForPeerClose();
            } else {
                conn.send(c.answer);
            }
        });
        d.download(server.url("/x.mp3"));
        ASSERT_TRUE(d.waitForBytes(k));
        d.form->Command2.click();
        if (!c.accepted) d.expectMessages(1);
        d.form->Command2.click();
        if (c.accepted) {
            ASSERT_TRUE(d.waitForBytes(total));
            EXPECT_TRUE(d.saved() == body);
            continue;
        }
        ASSERT_TRUE(d.waitFor([&] { return !d.messages().empty(); }));
        EXPECT_EQ(d.messages(), (std::vector<std::string>{"Server did not accept resuming.|16|No Resuming Support"}));
        EXPECT_TRUE(d.saved() == body.substr(0, k)) << "nothing of the refused answer is written";
        EXPECT_EQ(d.form->Winsock.State(), 0);
        EXPECT_EQ(d.form->st.sngFileSize, 0);
        EXPECT_FALSE(d.form->st.blnResume);
    }
}

TEST(Form1Resume, ResumeWithNothingOfTheDownloadOnDiskStartsFromTheBeginning) {
    // When the file holds nothing of this download (the pause came between
    // the head and the first body byte, so an older file or none is there;
    // or the file went away while paused), a resume from its length, or from
    // an offset left by an earlier resume, would splice foreign bytes or a
    // hole into the new file.
    const std::size_t total = 6000;
    const std::string body = payload(total);
    struct Case {
        const char* what;
        bool earlierResume;     // an earlier download was resumed
        const char* olderFile;  // in the way of the new download
        bool headOnly;          // the first answer stops after its head
        bool removeWhilePaused;
    };
    const Case cases[] = {
        {"an older, shorter file in the way", false, "an older download", true, false},
        {"no file yet, an offset left by an earlier resume", true, nullptr, true, false},
        {"the file removed while paused", true, nullptr, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Downloader d;
        std::atomic<bool> headOnly{false};
        ScriptedServer server([&](Connection& conn) {
            std::string req = conn.readHead();
            auto at = req.find("\r\nRange: bytes=");
            if (at != std::string::npos) {
                std::size_t from = std::stoul(req.substr(at + 15));
                if (from < total) conn.send(head206(from, total) + body.substr(from));
                return;
            }
            conn.send(head200(total) + (headOnly ? std::string() : body.substr(0, 1000)));
            conn.waitForPeerClose();
        });
        if (c.earlierResume) {
            d.download(server.url("/x.mp3"), 3);
            ASSERT_TRUE(d.waitForBytes(1000));
            d.form->Command2.click();
            d.form->Command2.click();
            ASSERT_TRUE(d.waitForBytes(total));
            d.tick(1000);
            ASSERT_EQ(d.form->lblStatus.caption(), "Download Completed");
        }
        d.form->List1.clickItem(4);
        const std::string target = d.media() + "/" + d.form->List1.text() + ".mp3";
        if (c.olderFile) testsupport::writeFile(target, c.olderFile);
        headOnly = c.headOnly;
        d.download(server.url("/x.mp3"), 4);
        ASSERT_TRUE(d.waitFor([&] { return d.form->st.sngFileSize == static_cast<std::int64_t>(total); }));
        if (!c.headOnly) {
            ASSERT_TRUE(d.waitForBytes(1000));
        }
        d.form->Command2.click();  // pause
        ASSERT_EQ(d.form->Command2.caption(), "Resume");
        if (c.removeWhilePaused) {
            ASSERT_EQ(::unlink(target.c_str()), 0);
        }
        d.form->Command2.click();  // resume
        ASSERT_TRUE(d.waitForBytes(total));
        EXPECT_NE(server.requests().back().find("\r\nRange: bytes=0-\r\n"), std::string::npos)
            << server.requests().back();
        EXPECT_TRUE(d.saved() == body);
        EXPECT_TRUE(d.messages().empty());
    }
}

TEST(Form1Stop, StopAbortsAndDownloadWhileOpenDoesNothing) {
    Downloader d;
    ScriptedServer server([&](Connection& c) {
        c.readHead();
        c.send(head200(100000) + payload(5000));
        c.waitForPeerClose();
    });
    d.download(server.url("/x.mp3"), 3);
    ASSERT_TRUE(d.waitForBytes(5000));
    const std::string firstTarget = d.target();
    d.download(server.url("/other.mp3"), 9);  // refused while the socket is open
    EXPECT_EQ(d.target(), firstTarget);
    EXPECT_EQ(d.form->st.sngPosition, 5001);
    d.expectMessages(1);
    d.form->Command3.click();
    EXPECT_EQ(d.messages(), (std::vector<std::string>{"Transfer Aborted!|48|Aborted"}));
    EXPECT_EQ(d.form->Winsock.State(), 0);
    EXPECT_EQ(d.form->st.sngFileSize, 0);
    ASSERT_TRUE(server.waitForConnections(1));
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST(Form1Stop, DownloadFromThePausedStateStartsAfresh) {
    Downloader d;
    const std::string first = payload(8000, 1), second = payload(3000, 2);
    ScriptedServer server([&](Connection& c) {
        c.readHead();
        if (c.index() == 0) {
            c.send(head200(first.size()) + first.substr(0, 6000));
            c.waitForPeerClose();
        } else {
            c.send(head200(second.size()) + second);
        }
    });
    d.download(server.url("/x.mp3"), 3);
    ASSERT_TRUE(d.waitForBytes(6000));
    d.form->Command2.click();  // pause with 6000 bytes in the file
    d.download(server.url("/x.mp3"), 3);
    ASSERT_TRUE(d.waitForBytes(3000));
    EXPECT_EQ(server.requests()[1].find("Range:"), std::string::npos);
    EXPECT_TRUE(d.saved() == second) << "the old, longer file is replaced, not overwritten in part";
}

// ------------------------------------------------------------ faults

TEST(Form1Faults, OtherStatusesAreNamedAndLeaveAnExistingFileAsItWas) {
    Downloader d;
    ScriptedServer server([&](Connection& c) {
        c.readHead();
        c.send("HTTP/1.1 500 Internal Server Error\r\nContent-Type: text/html\r\nContent-Length: 5\r\n\r\noops!");
    });
    d.form->List1.clickItem(3);
    const std::string target = d.media() + "/" + d.form->List1.text() + ".mp3";
    testsupport::writeFile(target, "an older download");
    d.expectMessages(1);
    d.download(server.url("/x.mp3"));
    ASSERT_TRUE(d.waitFor([&] { return !d.messages().empty(); }));
    EXPECT_EQ(d.messages(),
              (std::vector<std::string>{"The server answered \"HTTP/1.1 500 Internal Server Error\".|16|Download Failed"}));
    EXPECT_EQ(testsupport::readFile(target), "an older download");
    EXPECT_EQ(d.form->Winsock.State(), 0);
}

TEST(Form1Faults, RefusedConnectionIsReportedAndDownloadWorksAgain) {
    Downloader d;
    int port = nettest::unusedPort();
    d.expectMessages(1);
    d.download("http://127.0.0.1:" + std::to_string(port) + "/x.mp3");
    ASSERT_TRUE(d.waitFor([&] { return !d.messages().empty(); }));
    EXPECT_EQ(d.messages(),
              (std::vector<std::string>{"Could not connect to 127.0.0.1:" + std::to_string(port) + ".|16|Download Failed"}));
    EXPECT_EQ(d.form->Winsock.State(), 0);
    std::string body = payload(10);
    ScriptedServer server([&](Connection& c) {
        c.readHead();
        c.send(head200(10) + body);
    });
    d.download(server.url("/x.mp3"));
    ASSERT_TRUE(d.waitForBytes(10));
}

TEST(Form1Faults, TruncatedTransferIsReportedPausedAndResumable) {
    Downloader d;
    const std::string body = payload(1000);
    ScriptedServer server([&](Connection& c) {
        c.readHead();
        if (c.index() == 0)
            c.send(head200(1000) + body.substr(0, 400));
        else
            c.send(head206(400, 1000) + body.substr(400));
    });
    d.expectMessages(1);
    d.download(server.url("/x.mp3"));
    ASSERT_TRUE(d.waitFor([&] { return !d.messages().empty(); }));
    EXPECT_EQ(d.messages(),
              (std::vector<std::string>{"The connection closed before the file was complete.|16|Download Failed"}));
    EXPECT_EQ(d.form->Command2.caption(), "Resume");
    EXPECT_EQ(d.form->lblStatus.caption(), "Download Paused");
    d.tick(1000);
    EXPECT_NE(d.form->lblStatus.caption(), "Download Completed");
    d.form->Command2.click();
    ASSERT_TRUE(d.waitForBytes(1000));
    d.tick(1000);
    EXPECT_EQ(d.form->lblStatus.caption(), "Download Completed");
    EXPECT_TRUE(d.saved() == body);
}

TEST(Form1Faults, BytesPastTheAnnouncedLengthAreNotTheFiles) {
    const std::string body = payload(300);
    for (bool oneChunk : {true, false}) {
        SCOPED_TRACE(oneChunk ? "in the last body chunk" : "in a chunk of their own");
        Downloader d;
        Gate more;
        ScriptedServer server([&](Connection& c) {
            c.readHead();
            if (oneChunk) {
                c.send(head200(200) + body);
            } else {
                c.send(head200(200) + body.substr(0, 200));
                more.wait();
                c.send(body.substr(200));
            }
            c.waitForPeerClose();
        });
        d.download(server.url("/x.mp3"));
        ASSERT_TRUE(d.waitFor([&] { return d.form->st.sngPosition > 200; }));
        if (!oneChunk) {
            more.open();
            d.waitFor([] { return false; }, 100);  // the extra bytes arrive
        }
        EXPECT_EQ(d.form->st.sngPosition, 201);
        d.tick(1000);
        EXPECT_EQ(d.form->lblStatus.caption(), "Download Completed");
        EXPECT_TRUE(d.saved() == body.substr(0, 200));
    }
}

TEST(Form1Faults, TargetThatCannotBeWrittenStopsTheTransferWithAMessage) {
    Downloader d;
    ScriptedServer server([&](Connection& c) {
        c.readHead();
        c.send(head200(100) + payload(100));
        c.waitForPeerClose(2000);
    });
    d.form->List1.clickItem(3);
    const std::string target = d.media() + "/" + d.form->List1.text() + ".mp3";
    ::mkdir(target.c_str(), 0755);  // a folder where the file should go
    d.expectMessages(1);
    d.download(server.url("/x.mp3"));
    ASSERT_TRUE(d.waitFor([&] { return !d.messages().empty(); }));
    ASSERT_EQ(d.messages().size(), 1u);
    EXPECT_EQ(d.messages()[0].rfind("Could not save the download as " + target + ".\r\n", 0), 0u) << d.messages()[0];
    EXPECT_NE(d.messages()[0].find("|16|Download Failed"), std::string::npos);
    EXPECT_EQ(d.form->Winsock.State(), 0);
    EXPECT_EQ(d.form->st.sngFileSize, 0);
}

TEST(Form1Faults, CatalogueLineIsOneFileNameInsideMedia) {
    Downloader d(1);
    long slashLine = -1;
    for (long i = 0; i < d.form->List1.listCount(); ++i)
        if (d.form->List1.list(i).find('/') != std::string::npos) {
            slashLine = i;
            break;
        }
    ASSERT_GE(slashLine, 0);
    std::string line = d.form->List1.list(slashLine);
    std::string expected = line;
    for (auto& c : expected)
        if (c == '/') c = '-';
    ScriptedServer server([&](Connection& c) {
        c.readHead();
        c.send(head200(4) + "abcd");
    });
    d.download(server.url("/x.mp3"), slashLine);
    ASSERT_TRUE(d.waitForBytes(4));
    EXPECT_EQ(d.target(), d.media() + "/" + expected + ".mp3");
    EXPECT_EQ(testsupport::readFile(d.media() + "/" + expected + ".mp3"), "abcd");
}

TEST(Form1Faults, DownloadWithNoLineChosenAsksForOneAndDoesNothingElse) {
    for (int build : {1, 2, 3}) {
        SCOPED_TRACE(build);
        Downloader d(build);
        d.form->show();
        std::atomic<int> connections{0};
        ScriptedServer server([&](Connection& c) {
            ++connections;
            c.readHead();
            c.send(head200(2) + "ok");
        });
        std::string before = d.target();
        d.expectMessages(1);
        d.download(server.url("/x.mp3"), -1);
        d.waitFor([] { return false; }, 200);
        EXPECT_EQ(d.messages(), (std::vector<std::string>{"Choose a song from the list first.|64|Songhaul" +
                                                          std::to_string(build)}));
        EXPECT_EQ(connections, 0);
        EXPECT_EQ(d.form->Winsock.State(), net::Winsock::sckClosed);
        EXPECT_EQ(d.target(), before);
        EXPECT_FALSE(runtime::FileExists(d.media() + "/.mp3"));
        EXPECT_TRUE(d.form->Command1.enabled());
        EXPECT_FALSE(d.form->lblStatus.visible());
    }
}

TEST(Form1Faults, FileOver16MiBWithAPauseBeyondItIsByteExact) {
    Downloader d;
    const std::size_t total = (17u << 20) + 3, k = (16u << 20) + 1;
    const std::string body = payload(total);
    ScriptedServer server([&](Connection& c) {
        c.readHead();
        if (c.index() == 0) {
            c.send(head200(total) + body.substr(0, k));
            c.waitForPeerClose();
        } else {
            c.send(head206(k, total) + body.substr(k));
        }
    });
    d.download(server.url("/big.mp3"));
    ASSERT_TRUE(d.waitForBytes(static_cast<std::int64_t>(k)));
    d.form->Command2.click();
    d.form->Command2.click();
    ASSERT_TRUE(d.waitForBytes(static_cast<std::int64_t>(total), 20000));
    EXPECT_NE(server.requests()[1].find("Range: bytes=16777217-"), std::string::npos);
    d.tick(1);
    EXPECT_EQ(d.form->lblSize.caption(), "17.41 MB");
    EXPECT_TRUE(d.saved() == body);
}

TEST(Form1Closing, ClosingTheWindowClosesTheConnection) {
    Downloader d;
    Gate closed;
    ScriptedServer server([&](Connection& c) {
        c.readHead();
        c.send(head200(1000) + payload(10));
        if (c.waitForPeerClose()) closed.open();
    });
    d.download(server.url("/x.mp3"));
    ASSERT_TRUE(d.waitForBytes(10));
    EXPECT_TRUE(d.form->userClose());
    EXPECT_TRUE(closed.wait());
}
