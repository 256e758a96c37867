// The transfer display: the progress timer (sizes, percent, bar) and the
// clock timer (elapsed and remaining time, speed, completion).

#include "downloader/Form1.hpp"
#include "downloader/progress.hpp"
#include "runtime/convert.hpp"

namespace downloader {

void Form1::tmrUpdateProgress_Timer() {
    if (st.sngPosition <= 0 || st.sngFileSize <= 0) return;
    runtime::Steps step;
    step([&] { lblRecieve.setCaption(FormatByteSize(st.sngPosition)); });
    step([&] { lblSize.setCaption(FormatByteSize(st.sngFileSize)); });
    step([&] { st.intPercent = PercentOf(st.sngPosition, st.sngFileSize); });
    step([&] { per.setCaption(runtime::CStr(st.intPercent)); });
    step([&] { prgStatus.setMax(100); });
    // A figure above 100 is refused by the bar, which keeps its value.
    step([&] { prgStatus.setValue(runtime::CInt(per.caption())); });
}

void Form1::tmrTimeLeft_Timer() {
    if (st.sngFileSize <= 0 || st.sngPosition <= 0) return;
    if (st.sngPosition > st.sngFileSize) {
        // Every byte of the size is written: the download is complete.
        lblSpeed.setCaption("0");
        closesocket();
        lblElapsed.setCaption(ElapsedText(st.intHours, st.intMinutes, st.intSeconds));
        Command1.setEnabled(false);
        cmdRun.setEnabled(true);
        prgStatus.setVisible(false);
        lblStatus.setVisible(true);
        lblStatus.setCaption("Download Completed");
        Reset();
        return;
    }
    if (++st.intSeconds == 60) {
        st.intSeconds = 0;
        if (++st.intMinutes == 60) {
            st.intMinutes = 0;
            ++st.intHours;
        }
    }
    Command1.setEnabled(true);
    cmdRun.setEnabled(false);
    lblElapsed.setCaption(ElapsedText(st.intHours, st.intMinutes, st.intSeconds));
    lblRemaining.setCaption(RemainingText(st.sngFileSize, st.sngPosition, st.sngSpeed));
    lblSpeed.setCaption(SpeedText(st.sngSpeed));
}

}  // namespace downloader
