#include "system/url_download.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "../runtime/fs_test_support.hpp"
#include "nettest/scripted_server.hpp"
#include "testsupport/support.hpp"

using sys::DownloadLimits;
using sys::DownloadUrlToFile;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

// Bytes that a text-mode or truncating copy would spoil.
std::string pictureBytes(std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += static_cast<char>((i * 7 + i / 251) & 0xFF);
    return s;
}

std::string answer(const std::string& statusLine, const std::string& body, const std::string& extra = "") {
    return "HTTP/1.1 " + statusLine + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" + extra +
           "Connection: close\r\n\r\n" + body;
}

// A folder holding an old picture, to see what a download leaves behind.
struct Target {
    TempDir dir;
    std::string path = dir.file("Artist.jpg");
    std::string old = pictureBytes(300);
    Target() { writeFile(path, old); }
    void expectUntouched() {
        EXPECT_EQ(readFile(path), old);
        EXPECT_EQ(onlyEntries(dir.path()), std::vector<std::string>{"Artist.jpg"});  // no temporary file left
    }
};

}  // namespace

TEST(UrlDownload, CompleteAnswerReplacesTheFile) {
    const std::string body = pictureBytes(200'000);
    nettest::ScriptedServer server([&](nettest::Connection& c) {
        c.readHead();
        c.sendInPieces(answer("200 OK", body, "Content-Type: image/jpeg\r\n"), 65536, 1);
    });
    Target t;
    auto result = DownloadUrlToFile(server.url("/Artist/A.jpg"), t.path);
    EXPECT_TRUE(result.ok) << result.reason;
    EXPECT_EQ(result.status, 200);
    EXPECT_EQ(result.reason, "");
    EXPECT_EQ(readFile(t.path), body);
    EXPECT_EQ(onlyEntries(t.dir.path()), std::vector<std::string>{"Artist.jpg"});
}

TEST(UrlDownload, NewFileAndRedirectOverHttp) {
    nettest::ScriptedServer server([&](nettest::Connection& c) {
        std::string head = c.readHead();
        if (c.index() == 0)
            c.send(answer("302 Found", "moved", "Location: /Artist/B.jpg\r\n"));
        else
            c.send(answer("200 OK", "picture"));
    });
    TempDir dir;
    auto result = DownloadUrlToFile(server.url("/Artist/A.jpg"), dir.file("new.jpg"));
    EXPECT_TRUE(result.ok) << result.reason;
    EXPECT_EQ(readFile(dir.file("new.jpg")), "picture");
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(server.requests()[1].substr(0, 27), "GET /Artist/B.jpg HTTP/1.1\r");
}

TEST(UrlDownload, FailuresLeaveTheOldFileAndSayWhy) {
    struct Case {
        const char* name;
        nettest::ScriptedServer::Script script;
        long status;
        const char* reasonHas;
    } cases[] = {
        {"not found",
         [](nettest::Connection& c) {
             c.readHead();
             c.send(answer("404 Not Found", "<html>no such picture</html>"));
         },
         404, "HTTP 404 Not Found"},
        {"server error",
         [](nettest::Connection& c) {
             c.readHead();
             c.send(answer("500 Internal Server Error", "oops"));
         },
         500, "HTTP 500"},
        {"truncated body",
         [](nettest::Connection& c) {
             c.readHead();
             c.send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + pictureBytes(400));
         },
         200, "remaining"},
        {"truncated chunked body",
         [](nettest::Connection& c) {
             c.readHead();
             c.send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n10\r\n0123456789abcdef\r\n");
         },
         200, ""},
        {"redirect to a file: URL",
         [](nettest::Connection& c) {
             c.readHead();
             c.send(answer("302 Found", "", "Location: file:///etc/passwd\r\n"));
         },
         302, "file"},
        {"no HTTP at all",
         [](nettest::Connection& c) {
             c.readHead();
             c.send("SSH-2.0-OpenSSH\r\n");
         },
         0, ""},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        nettest::ScriptedServer server(c.script);
        Target t;
        auto result = DownloadUrlToFile(server.url("/Artist/A.jpg"), t.path);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.status, c.status);
        EXPECT_NE(result.reason, "");
        EXPECT_NE(result.reason.find(c.reasonHas), std::string::npos) << result.reason;
        t.expectUntouched();
    }
}

TEST(UrlDownload, OnlyHttpAndHttpsAddresses) {
    Target t;
    for (std::string url : {std::string("file://") + t.path, std::string("ftp://127.0.0.1/x.jpg"),
                            std::string("gopher://127.0.0.1/"), std::string("not a url"), std::string()}) {
        SCOPED_TRACE(url);
        auto result = DownloadUrlToFile(url, t.path);
        EXPECT_FALSE(result.ok);
        EXPECT_NE(result.reason, "");
    }
    t.expectUntouched();
}

TEST(UrlDownload, RefusedConnectionAndMissingFolder) {
    Target t;
    auto refused = DownloadUrlToFile("http://127.0.0.1:" + std::to_string(nettest::unusedPort()) + "/x.jpg", t.path);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.status, 0);
    EXPECT_NE(refused.reason, "");
    t.expectUntouched();

    nettest::ScriptedServer server([](nettest::Connection& c) {
        c.readHead();
        c.send(answer("200 OK", "x"));
    });
    auto noFolder = DownloadUrlToFile(server.url("/x.jpg"), t.dir.file("Artist/x.jpg"));
    EXPECT_FALSE(noFolder.ok);
    EXPECT_NE(noFolder.reason, "");
    t.expectUntouched();
}

TEST(UrlDownload, StallingServerEndsAtTheTimeLimit) {
    nettest::Gate done;
    nettest::ScriptedServer server([&](nettest::Connection& c) {
        c.readHead();
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nabc");
        done.wait(5000);  // and nothing more
    });
    Target t;
    DownloadLimits limits;
    limits.totalTimeoutMs = 300;
    auto start = std::chrono::steady_clock::now();
    auto result = DownloadUrlToFile(server.url("/slow.jpg"), t.path, limits);
    auto took = std::chrono::steady_clock::now() - start;
    done.open();
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.reason.find("timed out"), std::string::npos) << result.reason;
    EXPECT_LT(took, std::chrono::seconds(3));
    t.expectUntouched();
}

TEST(UrlDownload, BodyLargerThanTheLimitFails) {
    const std::string body = pictureBytes(5000);
    for (bool announced : {true, false}) {
        SCOPED_TRACE(announced ? "with Content-Length" : "until the close");
        nettest::ScriptedServer server([&](nettest::Connection& c) {
            c.readHead();
            if (announced)
                c.send(answer("200 OK", body));
            else
                c.send("HTTP/1.0 200 OK\r\n\r\n" + body);
        });
        Target t;
        DownloadLimits limits;
        limits.maxBytes = 4096;
        auto result = DownloadUrlToFile(server.url("/big.jpg"), t.path, limits);
        EXPECT_FALSE(result.ok);
        EXPECT_NE(result.reason.find("larger than 4096 bytes"), std::string::npos) << result.reason;
        t.expectUntouched();
    }
    EXPECT_EQ(DownloadLimits{}.maxBytes, 16 * 1024 * 1024);
    EXPECT_EQ(DownloadLimits{}.connectTimeoutMs, 10'000);
    EXPECT_EQ(DownloadLimits{}.totalTimeoutMs, 30'000);
}

TEST(UrlDownload, PercentEncodedPathReachesTheServerAsWritten) {
    nettest::ScriptedServer server([](nettest::Connection& c) {
        c.readHead();
        c.send(answer("200 OK", "x"));
    });
    TempDir dir;
    std::string artist = "AC/DC & Zoë?#..";
    EXPECT_EQ(sys::PercentEncode(artist), "AC%2FDC%20%26%20Zo%C3%AB%3F%23..");
    auto result = DownloadUrlToFile(server.url("/Artist/" + sys::PercentEncode(artist) + ".jpg"), dir.file("a.jpg"));
    EXPECT_TRUE(result.ok) << result.reason;
    ASSERT_EQ(server.requests().size(), 1u);
    std::string line = server.requests()[0].substr(0, server.requests()[0].find("\r\n"));
    EXPECT_EQ(line, "GET /Artist/AC%2FDC%20%26%20Zo%C3%AB%3F%23...jpg HTTP/1.1");
    EXPECT_EQ(sys::PercentEncode(".."), "..");  // the caller keeps ".." out of a path component
}
