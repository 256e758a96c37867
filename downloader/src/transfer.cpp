#include "downloader/transfer.hpp"

#include <cstdint>

namespace downloader {

void TransferState::StartUpdate(std::string strURL) {
    sngPosition = 1;
    if (strURL.empty()) return;
    strFullURL = strURL;
    if (auto scheme = strURL.find("://"); scheme != std::string::npos) strURL.erase(0, scheme + 3);
    auto first = strURL.find('/');
    if (first == std::string::npos) return;
    strFileName = strURL.substr(strURL.rfind('/') + 1);
    strHost = strURL.substr(0, first);
}

std::string TransferState::request() const {
    RequestForm f;
    f.fullUrl = strFullURL;
    f.fileName = strFileName;
    f.hostText = strHost;
    f.secondForm = bln404Retry;
    f.resume = blnResume;
    f.resumeFrom = sngResumeFrom;
    return buildRequest(f);
}

TransferState::Verdict TransferState::takeChunk() {
    if (head.complete()) return Verdict::Write;  // body through and through
    std::string_view body = head.feed(strData);
    std::size_t bodyLen = body.size();
    switch (head.phase()) {
    case ResponseHead::Phase::Head: strData.clear(); return Verdict::Waiting;
    case ResponseHead::Phase::TooLong: strData.clear(); return Verdict::HeadTooLong;
    case ResponseHead::Phase::Malformed: strData.clear(); return Verdict::Malformed;
    case ResponseHead::Phase::Complete: break;
    }

    const int status = head.status();
    if (blnResume) {
        // Only a partial answer that starts exactly where the file ends
        // continues it; anything else would corrupt the file.
        auto range = head.contentRange();
        if (status != 206 || head.versionMajor() != 1 || !range || range->first != sngResumeFrom) {
            strData.clear();
            return Verdict::ResumeRefused;
        }
        sngPosition = sngResumeFrom + 1;
        if (range->total)
            sngFileSize = *range->total;
        else if (auto length = head.contentLength(); length && *length <= INT64_MAX - sngResumeFrom)
            sngFileSize = sngResumeFrom + *length;
        else  // no size, or one that no file can have
            sngFileSize = 0;
    } else {
        if (status == 404) {
            strData.clear();
            return bln404Retry ? Verdict::NotFound : Verdict::Retry404;
        }
        bool success = status >= 200 && status <= 299;
        std::optional<ResponseHead::Range> range;
        if (success && status == 206) {
            // Nothing was asked for but the whole file; a part of it from
            // elsewhere than the start would land at the wrong place.
            range = head.contentRange();
            success = range && range->first == 0;
        }
        if (!success) {
            strData.clear();
            return Verdict::BadStatus;
        }
        if (range && range->total)
            sngFileSize = *range->total;
        else
            sngFileSize = head.contentLength().value_or(0);
        truncatePending = true;
    }
    varHeader += head.text();
    strData.erase(0, strData.size() - bodyLen);
    return Verdict::Write;
}

void TransferState::clearTransfer() {
    strData.clear();
    intPercent = 0;
    sngStartTime = 0;
    sngPosition = 1;
    sngFileSize = 0;
    varHeader.clear();
    blnResume = false;
    head.reset();
    truncatePending = false;
}

}  // namespace downloader
