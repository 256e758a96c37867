#pragma once
// TransferState: the state of the one download in progress, and the
// handling of each received chunk up to the point where its bytes are
// written. The window (Form1) owns one and acts on the verdicts.

#include <cstdint>
#include <string>

#include "downloader/http.hpp"

namespace downloader {

struct TransferState {
    // Fields of the window; Reset clears them.
    std::string strData;           // the chunk last taken; after takeChunk its body part
    std::int16_t intPercent = 0;   // whole percent shown
    double sngStartTime = 0;       // monotonic seconds when the request went out
    std::int64_t sngPosition = 0;  // 1-based position of the next byte to write
    std::int64_t sngFileSize = 0;  // total size; 0 while unknown
    std::string varHeader;         // the response heads taken so far
    float sngSpeed = 0;            // thousands of bytes per second; never cleared

    // Fields of the program; Reset leaves them.
    std::string strHost;           // the URL's host text, port included
    std::string strFullURL;
    std::string strFileName;       // the URL's text after its last "/"
    bool blnResume = false;        // the request in flight resumes a paused download
    std::int64_t sngResumeFrom = 0;
    bool bln404Retry = false;      // the second request form is in use
    int intSeconds = 0, intMinutes = 0, intHours = 0;  // the elapsed clock

    // The answer being read, and whether the target is to be emptied when
    // its first body byte is written (a fresh download's 2xx answer).
    ResponseHead head;
    bool truncatePending = false;

    // Splits the URL into strFullURL, strHost and strFileName and sets
    // sngPosition to 1. An empty URL changes nothing else; a URL without a
    // "/" behind the host keeps the earlier host and file name.
    void StartUpdate(std::string strURL);

    // The request for the connection being opened.
    std::string request() const;

    enum class Verdict {
        Waiting,        // the head is not complete yet; nothing to write
        Write,          // strData holds body bytes for position sngPosition (maybe none)
        Retry404,       // a first "404 Not Found": retry with the second form
        NotFound,       // "404 Not Found" on the second form
        ResumeRefused,  // the answer to a resume is not a fitting 206
        BadStatus,      // any other status that is not a success
        HeadTooLong,    // no end of head within ResponseHead::kMaxHead bytes
        Malformed,      // no status line that can be read
    };
    // Handles the chunk in strData. On a head that is accepted, sets the size
    // (and on a resume the position), appends the head to varHeader and
    // leaves only the body part in strData.
    Verdict takeChunk();

    // The window fields' part of Reset: strData, intPercent, sngStartTime,
    // sngPosition (1), sngFileSize, varHeader; blnResume False; the answer.
    void clearTransfer();
};

}  // namespace downloader
