#include "downloader/http.hpp"
#include "downloader/transfer.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using downloader::ResponseHead;
using downloader::TransferState;
using Verdict = downloader::TransferState::Verdict;

TEST(Request, BothFormsByteForByte) {
    TransferState st;
    st.StartUpdate("http://127.0.0.1:8123/music/Song%20One.mp3");
    EXPECT_EQ(st.request(),
              "GET http://127.0.0.1:8123/music/Song%20One.mp3 HTTP/1.0\r\n"
              "Accept: *.*, */*\r\n"
              "User-Agent: Brimhold\r\n"
              "Referer: 127.0.0.1:8123\r\n"
              "\r\n");
    st.bln404Retry = true;
    EXPECT_EQ(st.request(),
              "GET /Song%20One.mp3 HTTP/1.0\r\n"
              "Accept: *.*, */*\r\n"
              "User-Agent: Brimhold\r\n"
              "Host: 127.0.0.1:8123\r\n"
              "\r\n");
    st.bln404Retry = false;
    st.blnResume = true;
    st.sngResumeFrom = 20000000;  // beyond what a single-precision count holds exactly
    EXPECT_EQ(st.request(),
              "GET http://127.0.0.1:8123/music/Song%20One.mp3 HTTP/1.0\r\n"
              "Accept: *.*, */*\r\n"
              "Range: bytes=20000000-\r\n"
              "User-Agent: Brimhold\r\n"
              "Referer: 127.0.0.1:8123\r\n"
              "\r\n");
}

TEST(StartUpdate, SplitsTheUrlAndKeepsEarlierPartsWhenItCannot) {
    struct Case {
        const char* url;
        const char* full;
        const char* host;
        const char* file;
    };
    // Each case starts from the fields the previous one left.
    const Case cases[] = {
        {"http://h:81/a/b/c.mp3", "http://h:81/a/b/c.mp3", "h:81", "c.mp3"},
        {"host2/x.mp3", "host2/x.mp3", "host2", "x.mp3"},           // no "://": host before the first "/"
        {"http://nopath", "http://nopath", "host2", "x.mp3"},       // no "/" behind the host: kept
        {"", "http://nopath", "host2", "x.mp3"},                    // empty: nothing but the position
        {"ftp://h3/dir/", "ftp://h3/dir/", "h3", ""},
    };
    TransferState st;
    for (const auto& c : cases) {
        st.sngPosition = 77;
        st.StartUpdate(c.url);
        EXPECT_EQ(st.sngPosition, 1) << c.url;
        EXPECT_EQ(st.strFullURL, c.full) << c.url;
        EXPECT_EQ(st.strHost, c.host) << c.url;
        EXPECT_EQ(st.strFileName, c.file) << c.url;
    }
}

TEST(HostPort, PortIsHonouredAndDefaultsTo80) {
    struct Case {
        const char* text;
        bool ok;
        const char* host;
        int port;
    };
    const Case cases[] = {
        {"127.0.0.1:8123", true, "127.0.0.1", 8123}, {"127.0.0.1", true, "127.0.0.1", 80},
        {"example.test:65535", true, "example.test", 65535}, {"[::1]:8080", true, "::1", 8080},
        {"[::1]", true, "::1", 80}, {"h:0", false, "", 0}, {"h:65536", false, "", 0}, {"h:8x", false, "", 0},
        {"h:", false, "", 0}, {":80", false, "", 0}, {"", false, "", 0}, {"[::1", false, "", 0},
    };
    for (const auto& c : cases) {
        auto hp = downloader::splitHostPort(c.text);
        ASSERT_EQ(hp.has_value(), c.ok) << c.text;
        if (!c.ok) continue;
        EXPECT_EQ(hp->host, c.host) << c.text;
        EXPECT_EQ(hp->port, c.port) << c.text;
    }
}

TEST(MediaFileName, OneComponentWithTheRestOfTheLineKept) {
    struct Case {
        std::string in;
        bool ok;
        std::string out;
    };
    const std::vector<Case> cases = {
        {"12 Rain/Shine.mp3", true, "12 Rain-Shine.mp3"},
        {"a\\b.mp3", true, "a-b.mp3"},
        {std::string("x\0y.mp3", 7), true, "x-y.mp3"},
        {"  .mp3", true, "  .mp3"},
        {"7\xC2\xA0Title .mp3", true, "7\xC2\xA0Title .mp3"},
        {"../../etc.mp3", true, "..-..-etc.mp3"},
        {".mp3", true, ".mp3"},
        {".", false, ""},
        {"..", false, ""},
    };
    for (const auto& c : cases) {
        auto name = downloader::mediaFileName(c.in);
        ASSERT_EQ(name.has_value(), c.ok) << c.in;
        if (c.ok) {
            EXPECT_EQ(*name, c.out);
        }
    }
}

namespace {

// Feeds the answer cut at the given offsets; returns the body bytes given back.
std::string feedCut(ResponseHead& head, const std::string& answer, const std::vector<std::size_t>& cuts) {
    std::string body;
    std::size_t at = 0;
    for (std::size_t i = 0; i <= cuts.size(); ++i) {
        std::size_t end = i < cuts.size() ? cuts[i] : answer.size();
        body += head.feed(std::string_view(answer).substr(at, end - at));
        at = end;
    }
    return body;
}

}  // namespace

TEST(ResponseHead, HeadEndsAtTheFirstBlankLineWhereverTheChunksAreCut) {
    const std::string head = "HTTP/1.1 200 OK\r\ncontent-TYPE:  audio/mpeg \r\nContent-Length:\t11\r\n";
    const std::string body = "Content-Type: x\r\n\r\n404 Not Found";  // body bytes that look like a head
    const std::string answer = head + "\r\n" + body;
    // Every cut in and around the terminator, and a cut after every byte.
    for (std::size_t cut = 1; cut < answer.size(); ++cut) {
        ResponseHead h;
        EXPECT_EQ(feedCut(h, answer, {cut}), body) << cut;
        ASSERT_TRUE(h.complete());
        EXPECT_EQ(h.text(), head.substr(0, head.size() - 2));
    }
    std::vector<std::size_t> everyByte;
    for (std::size_t i = 1; i < answer.size(); ++i) everyByte.push_back(i);
    ResponseHead h;
    EXPECT_EQ(feedCut(h, answer, everyByte), body);
    EXPECT_EQ(h.status(), 200);
    EXPECT_EQ(h.reason(), "OK");
    EXPECT_EQ(h.field("Content-Type"), "audio/mpeg");
    EXPECT_EQ(h.contentLength(), 11);
    EXPECT_EQ(h.field("X-Missing"), std::nullopt);
}

TEST(ResponseHead, StatusLinesFieldsAndRanges) {
    struct Case {
        std::string head;
        ResponseHead::Phase phase;
        int status;
        std::optional<std::int64_t> length;
        std::optional<std::int64_t> rangeFirst;
        std::optional<std::int64_t> rangeTotal;
    };
    using P = ResponseHead::Phase;
    const std::vector<Case> cases = {
        {"HTTP/1.0 206 Partial Content\r\nContent-Range: bytes 100-199/200\r\nContent-Length: 100", P::Complete, 206,
         100, 100, 200},
        {"HTTP/1.1 206 Partial\r\ncontent-range: bytes 5-9/*", P::Complete, 206, std::nullopt, 5, std::nullopt},
        {"HTTP/1.0 200", P::Complete, 200, std::nullopt, std::nullopt, std::nullopt},
        {"HTTP/1.0 200 OK\r\nContent-Length: 12a", P::Complete, 200, std::nullopt, std::nullopt, std::nullopt},
        {"HTTP/1.0 200 OK\r\nContent-Length: 99999999999999999999", P::Complete, 200, std::nullopt, std::nullopt,
         std::nullopt},
        {"HTTP/1.0 200 OK\r\nContent-Length: 20000000000", P::Complete, 200, 20000000000LL, std::nullopt, std::nullopt},
        {"HTTP/1.1 206 x\r\nContent-Range: bytes 9-5/20", P::Complete, 206, std::nullopt, std::nullopt, std::nullopt},
        {"ICY 200 OK", P::Malformed, 0, std::nullopt, std::nullopt, std::nullopt},
        {"HTTP/1.0 20 OK", P::Malformed, 0, std::nullopt, std::nullopt, std::nullopt},
        {"", P::Malformed, 0, std::nullopt, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        ResponseHead h;
        EXPECT_EQ(h.feed(c.head + "\r\n\r\nBODY"), c.phase == P::Complete ? "BODY" : "") << c.head;
        ASSERT_EQ(h.phase(), c.phase) << c.head;
        if (c.phase != P::Complete) continue;
        EXPECT_EQ(h.status(), c.status) << c.head;
        EXPECT_EQ(h.contentLength(), c.length) << c.head;
        auto r = h.contentRange();
        EXPECT_EQ(r ? std::optional<std::int64_t>(r->first) : std::nullopt, c.rangeFirst) << c.head;
        EXPECT_EQ(r ? r->total : std::nullopt, c.rangeTotal) << c.head;
    }
}

TEST(ResponseHead, HeadOverTheLimitIsRefusedHoweverItArrives) {
    std::string longField = "X-Pad: " + std::string(ResponseHead::kMaxHead, 'a') + "\r\n";
    ResponseHead whole;
    EXPECT_EQ(whole.feed("HTTP/1.0 200 OK\r\n" + longField + "\r\nbody"), "");
    EXPECT_EQ(whole.phase(), ResponseHead::Phase::TooLong);
    EXPECT_EQ(whole.feed("more"), "") << "nothing passes after a refused head";

    ResponseHead pieces;
    std::string answer = "HTTP/1.0 200 OK\r\n" + longField + "\r\n";
    for (std::size_t at = 0; at < answer.size() && pieces.phase() == ResponseHead::Phase::Head; at += 1000)
        EXPECT_EQ(pieces.feed(std::string_view(answer).substr(at, 1000)), "");
    EXPECT_EQ(pieces.phase(), ResponseHead::Phase::TooLong);

    // Exactly at the limit, terminator included, is still a head.
    std::string head = "HTTP/1.0 200 OK\r\nX-Pad: ";
    head += std::string(ResponseHead::kMaxHead - head.size() - 4, 'b') + "\r\n\r\n";
    ASSERT_EQ(head.size(), ResponseHead::kMaxHead);
    ResponseHead edge;
    EXPECT_EQ(edge.feed(head + "z"), "z");
    EXPECT_TRUE(edge.complete());
}

namespace {

TransferState::Verdict take(TransferState& st, const std::string& chunk) {
    st.strData = chunk;
    return st.takeChunk();
}

}  // namespace

TEST(TakeChunk, VerdictsOfFreshAndResumedAnswers) {
    struct Case {
        const char* what;
        bool resume;
        std::int64_t resumeFrom;
        bool retry404;
        std::string head;
        Verdict verdict;
        std::int64_t size;      // after an accepted head
        std::int64_t position;  // after an accepted head
    };
    const std::vector<Case> cases = {
        {"fresh 200", false, 0, false, "HTTP/1.0 200 OK\r\nContent-Length: 5", Verdict::Write, 5, 1},
        {"fresh 200 without a length", false, 0, false, "HTTP/1.0 200 OK", Verdict::Write, 0, 1},
        {"fresh 204", false, 0, false, "HTTP/1.1 204 No Content", Verdict::Write, 0, 1},
        {"first 404", false, 0, false, "HTTP/1.0 404 Not Found", Verdict::Retry404, 0, 1},
        {"second 404", false, 0, true, "HTTP/1.0 404 Not Found", Verdict::NotFound, 0, 1},
        {"404 in other words", false, 0, false, "HTTP/1.1 404 Nope", Verdict::Retry404, 0, 1},
        {"500", false, 0, false, "HTTP/1.0 500 Internal Server Error", Verdict::BadStatus, 0, 1},
        {"301", false, 0, false, "HTTP/1.0 301 Moved\r\nLocation: /x", Verdict::BadStatus, 0, 1},
        {"fresh 206 from the start", false, 0, false, "HTTP/1.1 206 P\r\nContent-Range: bytes 0-4/9",
         Verdict::Write, 9, 1},
        {"fresh 206 from elsewhere", false, 0, false, "HTTP/1.1 206 P\r\nContent-Range: bytes 3-4/9",
         Verdict::BadStatus, 0, 1},
        {"resume 206 HTTP/1.1", true, 100, false, "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 100-149/150",
         Verdict::Write, 150, 101},
        {"resume 206 HTTP/1.0", true, 100, false, "HTTP/1.0 206 Partial Content\r\nContent-Range: bytes 100-149/150",
         Verdict::Write, 150, 101},
        {"resume 206 size from length", true, 100, false,
         "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 100-149/*\r\nContent-Length: 50", Verdict::Write, 150,
         101},
        {"resume 206 with a length beyond any file", true, 100, false,
         "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 100-149/*\r\nContent-Length: 9223372036854775807",
         Verdict::Write, 0, 101},
        {"resume 206 at another offset", true, 100, false, "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 0-149/150",
         Verdict::ResumeRefused, 0, 1},
        {"resume 206 without a range", true, 100, false, "HTTP/1.1 206 Partial Content\r\nContent-Length: 50",
         Verdict::ResumeRefused, 0, 1},
        {"resume 200", true, 100, false, "HTTP/1.1 200 OK\r\nContent-Length: 150", Verdict::ResumeRefused, 0, 1},
        {"resume 404", true, 100, false, "HTTP/1.1 404 Not Found", Verdict::ResumeRefused, 0, 1},
        {"resume 206 HTTP/2", true, 100, false, "HTTP/2.0 206 Partial Content\r\nContent-Range: bytes 100-149/150",
         Verdict::ResumeRefused, 0, 1},
        {"no status line", false, 0, false, "Content-Type: text/html", Verdict::Malformed, 0, 1},
    };
    for (const auto& c : cases) {
        TransferState st;
        st.StartUpdate("http://h/f.mp3");
        st.blnResume = c.resume;
        st.sngResumeFrom = c.resumeFrom;
        st.bln404Retry = c.retry404;
        Verdict v = take(st, c.head + "\r\n\r\nBODY");
        EXPECT_EQ(v, c.verdict) << c.what;
        if (v == Verdict::Write) {
            EXPECT_EQ(st.strData, "BODY") << c.what;
            EXPECT_EQ(st.varHeader, c.head) << c.what;
            EXPECT_EQ(st.sngFileSize, c.size) << c.what;
            EXPECT_EQ(st.sngPosition, c.position) << c.what;
            EXPECT_EQ(st.truncatePending, !c.resume) << c.what;
        } else {
            EXPECT_EQ(st.strData, "") << c.what << ": nothing of a refused answer is written";
            EXPECT_EQ(st.varHeader, "") << c.what;
        }
    }
}

TEST(TakeChunk, HeadSplitOverChunksWritesOnlyTheBody) {
    TransferState st;
    st.StartUpdate("http://h/f.mp3");
    EXPECT_EQ(take(st, "HTTP/1.0 200 OK\r\nContent-Le"), Verdict::Waiting);
    EXPECT_EQ(st.strData, "");
    EXPECT_EQ(take(st, "ngth: 6\r\n\r"), Verdict::Waiting);
    EXPECT_EQ(take(st, "\nab"), Verdict::Write);
    EXPECT_EQ(st.strData, "ab");
    EXPECT_EQ(st.sngFileSize, 6);
    EXPECT_EQ(take(st, "HTTP/1.0 200 OK\r\n\r\n"), Verdict::Write) << "after the head every byte is body";
    EXPECT_EQ(st.strData, "HTTP/1.0 200 OK\r\n\r\n");
    st.clearTransfer();
    EXPECT_EQ(take(st, "HTTP/1.0 404 Not Found\r\n\r\n"), Verdict::Retry404) << "a new answer after the reset";
}
