// The downloader's handling of an answer: arbitrary bytes, cut into
// arbitrary chunks, as a fresh download or as a resume. Whatever arrives,
// nothing crashes, and the bytes written are exactly the bytes behind the
// first CR LF CR LF of an accepted answer: never a byte of its head.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "downloader/transfer.hpp"

using downloader::ResponseHead;
using downloader::TransferState;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    TransferState st;
    st.StartUpdate("http://127.0.0.1:8123/Song%20One.mp3");
    st.blnResume = in.ConsumeBool();
    st.sngResumeFrom = in.ConsumeIntegralInRange<std::int64_t>(0, 1 << 20);
    st.bln404Retry = in.ConsumeBool();
    std::vector<std::size_t> cuts;
    for (int i = 0, n = in.ConsumeIntegralInRange<int>(0, 16); i < n; ++i)
        cuts.push_back(in.ConsumeIntegralInRange<std::size_t>(1, 4096));
    std::string answer = in.ConsumeRemainingBytesAsString();

    std::string written;  // the bytes given to the file, in order
    std::int64_t firstPosition = 0;
    bool accepted = false;
    bool refused = false;
    std::size_t at = 0, cut = 0;
    while (at < answer.size() && !refused) {
        std::size_t len = cuts.empty() ? answer.size() : cuts[cut++ % cuts.size()];
        st.strData = answer.substr(at, len);
        at += st.strData.size();
        switch (st.takeChunk()) {
        case TransferState::Verdict::Waiting: break;
        case TransferState::Verdict::Write:
            if (!accepted) firstPosition = st.sngPosition;
            accepted = true;
            written += st.strData;
            st.sngPosition += static_cast<std::int64_t>(st.strData.size());
            break;
        default: refused = true; break;
        }
    }

    std::size_t end = answer.find("\r\n\r\n");
    if (accepted) {
        if (end == std::string::npos || end + 4 > ResponseHead::kMaxHead) std::abort();
        if (written != answer.substr(end + 4, at - end - 4)) std::abort();
        if (firstPosition != (st.blnResume ? st.sngResumeFrom + 1 : 1)) std::abort();
        if (st.varHeader != answer.substr(0, end)) std::abort();
        // The head's readers on whatever the head held.
        (void)st.head.contentLength();
        (void)st.head.contentRange();
        (void)st.head.field("Content-Type");
    } else if (!written.empty()) {
        std::abort();
    }
    return 0;
}
