#pragma once
// A web address fetched to a file: the whole answer or nothing.

#include <cstdint>
#include <string>
#include <string_view>

namespace sys {

struct DownloadLimits {
    long connectTimeoutMs = 10'000;             // to reach the server
    long totalTimeoutMs = 30'000;               // for the whole transfer, redirects included
    std::int64_t maxBytes = 16 * 1024 * 1024;   // a larger body fails
};

struct DownloadResult {
    bool ok = false;
    long status = 0;        // the last HTTP status, 0 when no answer came
    std::string reason;     // what failed ("HTTP 404 Not Found", libcurl's reason); "" on success
    explicit operator bool() const { return ok; }
};

// Fetches an http or https address (redirects followed, to http and https
// only) into target. Only a complete answer with a 2xx status counts: the
// body is written beside target and renamed over it then, so any failure
// (a refused connection, an error status, a cut or oversized body, a time
// limit) leaves an existing target as it was. Never throws.
DownloadResult DownloadUrlToFile(std::string_view url, std::string_view target, const DownloadLimits& limits = {});

// Text for one component of a URL's path: UTF-8 bytes other than letters,
// digits and "-._~" become %XX, so "/" or "?" in it cannot reach another
// place on the server.
std::string PercentEncode(std::string_view text);

}  // namespace sys
