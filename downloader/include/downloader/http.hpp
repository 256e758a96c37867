#pragma once
// The downloader's HTTP/1.0 pieces that need no window: the request text,
// the host text's port, the saved file's name, and the response head, read
// by a per-response state machine that buffers until CR LF CR LF however the
// answer is cut into chunks.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace downloader {

// The host text of a URL ("127.0.0.1:8123", "example.test", "[::1]:8080")
// split into the name to connect to and the port (80 when none is written).
// nullopt when the port is not a number from 1 to 65535 or the name is empty.
struct HostPort {
    std::string host;
    int port = 80;
};
std::optional<HostPort> splitHostPort(std::string_view hostText);

// The request, line by line, each ended by CR LF, then an empty line.
// The first form asks for the whole URL and names the host text as referrer;
// the second (after a "404 Not Found") asks for the file name at the root
// and sends a Host line. The Range line goes only with a resume.
struct RequestForm {
    std::string fullUrl;
    std::string fileName;
    std::string hostText;
    bool secondForm = false;
    bool resume = false;
    std::int64_t resumeFrom = 0;
};
std::string buildRequest(const RequestForm& form);

// One path component for the "Media" folder: "/", "\" and NUL become "-";
// nullopt for a name that would be "." or "..". Everything else is kept.
std::optional<std::string> mediaFileName(std::string_view name);

// The head of one response.
class ResponseHead {
public:
    // Heads longer than this (terminator included) are refused.
    static constexpr std::size_t kMaxHead = 64 * 1024;

    enum class Phase { Head, Complete, TooLong, Malformed };

    // Takes the next chunk of the answer. While the head is incomplete the
    // chunk is buffered and nothing is returned; the chunk that completes it
    // gives back the bytes behind CR LF CR LF (the start of the body). Once
    // complete, a chunk is body through and through and is returned whole.
    std::string_view feed(std::string_view chunk);

    Phase phase() const { return phase_; }
    bool complete() const { return phase_ == Phase::Complete; }

    // Of a complete head: the status line's parts.
    int versionMajor() const { return major_; }
    int versionMinor() const { return minor_; }
    int status() const { return status_; }
    const std::string& reason() const { return reason_; }
    const std::string& statusLine() const { return statusLine_; }
    // The head's text without the terminating CR LF CR LF.
    const std::string& text() const { return text_; }

    // The first field of that name, without regard to case, its value with
    // blanks and tabs trimmed.
    std::optional<std::string> field(std::string_view name) const;
    // Content-Length as a number (nullopt when missing or not a number).
    std::optional<std::int64_t> contentLength() const;
    // Content-Range "bytes first-last/total" ("*" as total gives nullopt).
    struct Range {
        std::int64_t first = 0;
        std::int64_t last = 0;
        std::optional<std::int64_t> total;
    };
    std::optional<Range> contentRange() const;

    void reset();

private:
    void parse();

    Phase phase_ = Phase::Head;
    std::string buffer_;  // the head so far; then the body part of the completing chunk
    std::string text_;
    std::string statusLine_;
    std::string reason_;
    int major_ = 0, minor_ = 0, status_ = 0;
    std::vector<std::pair<std::string, std::string>> fields_;
};

}  // namespace downloader
