// Playback: starting the chosen entry, stepping with wrap-around, what plays
// at the end of a track, pause, resume, stop, seek, mute, opening outside the
// playlist and the play-mode flags.
//
// The playing entry's 1-based number and the playlist's total are kept as
// text in the hidden labels Label4 and Label2, compared as text and read back
// as numbers. Until a track has been started they hold their design texts,
// which are no numbers: the index steps then fail and the selected entry plays.
// Every handler here but Label11_Click goes on past a failing step.
//
// An entry the control refuses or reports as unplayable is named on the
// title line with the reason; when the end of a track was moving on, the
// entry after it is tried on the next tick, until a whole round of entries
// has found none that plays.

#include "player/Form2.hpp"
#include "player/playlist.hpp"

#include <algorithm>
#include <string>

#include "forms/application.hpp"
#include "forms/dialogs.hpp"
#include "runtime/convert.hpp"
#include "runtime/error.hpp"
#include "runtime/filesystem.hpp"

namespace player {

namespace {

// The file a dialog's answer names: a multi-select answer is the folder,
// then each name, NUL separated, and the first file is the one taken.
std::string firstChosenFile(const std::string& answer) {
    auto nul = answer.find('\0');
    if (nul == std::string::npos) return answer;
    std::string folder = answer.substr(0, nul);
    auto end = answer.find('\0', nul + 1);
    std::string name = answer.substr(nul + 1, end == std::string::npos ? std::string::npos : end - nul - 1);
    if (name.empty()) return folder;
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder + name;
}

}  // namespace

// ---- starting an entry ----

void Form2::List2_DblClick() {
    runtime::Steps step;
    step([&] { Text1.setVisible(false); });
    step([&] { OpenEntry(lstFiles.text()); });
    step([&] { Label4.setCaption(runtime::CStr(List2.listIndex() + 1)); });
    step([&] { Label2.setCaption(runtime::CStr(List2.listCount())); });
    step([&] { Text2.setText(lstFiles.text()); });
    step([&] { pic(); });
}

void Form2::Label7_Click() {
    runtime::Steps step;
    step([&] { MediaPlayer1.play(); });
    step([&] { OpenEntry(lstFiles.text()); });
    step([&] { Label2.setCaption(runtime::CStr(List2.listCount())); });
    step([&] { Label4.setCaption(runtime::CStr(List2.listIndex() + 1)); });
}

void Form2::mnupopupplay_Click() {
    runtime::Steps step;
    step([&] { OpenEntry(lstFiles.text()); });
    step([&] { Label4.setCaption(runtime::CStr(List2.listIndex() + 1)); });
    step([&] { pic(); });
}

// ---- next and previous, by the stored total ----

void Form2::Label9_Click() {
    runtime::Steps step;
    if (Label4.caption() == Label2.caption()) {
        step([&] { List2.setListIndex(0); });
    } else {
        step([&] { List2.setListIndex(runtime::CLng(Label4.caption())); });
    }
    step([&] { OpenEntry(lstFiles.text()); });
    step([&] { Label4.setCaption(runtime::CStr(List2.listIndex() + 1)); });
    step([&] { Label2.setCaption(runtime::CStr(List2.listCount())); });
    // The Info Bar follows the wrap to the first entry as it follows a plain step.
    step([&] { pic(); });
}

void Form2::Label10_Click() {
    runtime::Steps step;
    const std::string total = Label2.caption();
    if (Label4.caption() == "1") {
        step([&] { List2.setListIndex(runtime::CLng(total) - 1); });
        step([&] { OpenEntry(lstFiles.text()); });
        step([&] { Label4.setCaption(runtime::CStr(List2.listIndex() + 1)); });
    } else {
        step([&] { List2.setListIndex(runtime::CLng(Label4.caption()) - 2); });
        step([&] { OpenEntry(lstFiles.text()); });
        step([&] { Label4.setCaption(runtime::CStr(List2.listIndex() + 1)); });
        step([&] { Label2.setCaption(runtime::CStr(List2.listCount())); });
    }
    step([&] { pic(); });
}

void Form2::mnupopupnext_Click() {
    runtime::Steps step;
    step([&] { Label9_Click(); });
    step([&] { pic(); });
}

void Form2::mnupopupprevious_Click() {
    runtime::Steps step;
    step([&] { Label10_Click(); });
    step([&] { pic(); });
}

// ---- the end of a track ----

void Form2::MediaPlayer1_EndOfStream(std::int32_t) {
    unplayableInRow_ = 0;  // a track played to its end
    StepOn();
}

void Form2::StepOn() {
    // What these steps open, and what they could not, is theirs to step past.
    struct Stepping {
        bool& flag;
        explicit Stepping(bool& f) : flag(f) { flag = true; }
        ~Stepping() { flag = false; }
    } stepping(steppingOn_);
    runtime::Steps step;
    step([&] { Label2.setCaption(runtime::CStr(List2.listCount())); });
    // The entry that has just ended, whatever line was selected meanwhile.
    step([&] { List2.setListIndex(runtime::CLng(Label4.caption()) - 1); });

    auto start = [&](bool storeNumber) {
        step([&] { OpenEntry(lstFiles.text()); });
        if (storeNumber) step([&] { Label4.setCaption(runtime::CStr(List2.listIndex() + 1)); });
        step([&] { pic(); });
    };

    if (Check1.value() == 1) {  // Repeat
        step([&] { List2.setListIndex(List2.listIndex()); });
        start(false);
        return;
    }
    if (Check2.value() == 1) {  // Turn off: Exit's steps (the playlist and settings are saved), then the end
        mnuexit_Click();
        forms::End();
    }
    if (Check3.value() == 1) {  // Shufle: the entry after next (the ended one again when there is none)
        step([&] { List2.setListIndex(List2.listIndex() + 2); });
        start(true);
        return;
    }
    if (Label4.caption() == Label2.caption()) {  // the last entry ended: the first
        step([&] { List2.setListIndex(0); });
        step([&] { Label4.setCaption(runtime::CStr(List2.listIndex() + 1)); });
        start(false);
        return;
    }
    if (Check4.value() == 1) {  // Up, wrapping from the first entry to the last
        step([&] {
            long index = List2.listIndex();
            List2.setListIndex(index == 0 ? List2.listCount() - 1 : index - 1);
        });
        start(true);
        return;
    }
    step([&] { List2.setListIndex(List2.listIndex() + 1); });
    start(true);
}

void Form2::mnuplayaftercurrent_Click() {
    runtime::Steps step;
    // Only the current number changes: the end of the track reaches the selected line.
    if (Check1.value() == 0) {
        step([&] { Label4.setCaption(runtime::CStr(List2.listIndex())); });
    } else if (Check1.value() == 1) {
        step([&] { Label4.setCaption(runtime::CStr(List2.listIndex() + 1)); });
    }
}

// ---- pause, resume, stop, seek, mute ----

void Form2::Label8_Click() {
    runtime::Steps step;
    step([&] { MediaPlayer1.pause(); });
}

void Form2::mnupopuppause_Click() {
    runtime::Steps step;
    step([&] { Command3.setCaption("aa"); });
    std::int32_t state = 0;
    step([&] { state = MediaPlayer1.playState(); });
    if (state == media::Playing) {
        step([&] { pause1.setVisible(true); });
        step([&] { MediaPlayer1.pause(); });
    } else if (state == media::Paused) {
        step([&] { MediaPlayer1.play(); });
        step([&] { pause1.setVisible(false); });
    }
}

void Form2::mnupopupresume_Click() {
    runtime::Steps step;
    step([&] { MediaPlayer1.play(); });
    step([&] { pause1.setVisible(false); });
}

void Form2::mnupopupstop_Click() {
    runtime::Steps step;
    step([&] { MediaPlayer1.stop(); });
}

void Form2::mnupopupfarward_Click() {
    runtime::Steps step;
    step([&] { MediaPlayer1.setCurrentPosition(MediaPlayer1.currentPosition() + 10.0); });
}

void Form2::mnupopuprewind_Click() {
    runtime::Steps step;
    step([&] { MediaPlayer1.setCurrentPosition(MediaPlayer1.currentPosition() - 10.0); });
}

void Form2::Label11_Click() {
    // No guard of its own: a refused Mute goes to the caller.
    if (!MediaPlayer1.mute())
        MediaPlayer1.setMute(true);
    else
        MediaPlayer1.setMute(false);
}

// ---- opening outside the playlist ----

void Form2::Label6_Click() {
    runtime::Steps step;
    step([&] { CD1.setFilter("Music Files(*.Mp3 *.Wav *.Mid *.Wma) |*.Mp3; *.Wav; *.Mid; *.Wma"); });
    step([&] { CD1.setDialogTitle("Open Music Files"); });
    // Emptied first, so that Cancel does not replay an earlier choice.
    step([&] { CD1.setFileName(""); });
    step([&] { CD1.showOpen(); });
    const std::string chosen = firstChosenFile(CD1.fileName());
    if (chosen.empty()) return;
    step([&] { OpenEntry(chosen); });
}

void Form2::mnuopentrack_Click() {
    runtime::Steps step;
    step([&] { Image11_Click(); });
}

void Form2::mnuopenurl_Click() {
    runtime::Steps step;
    std::string url;
    step([&] { url = forms::InputBox(" Enter URL Address Include http://"); });
    if (url.empty()) return;
    step([&] { OpenEntry(url); });
}

// ---- a file that cannot be played ----

void Form2::OpenEntry(const std::string& Path) {
    const bool stepping = steppingOn_;
    if (!stepping) {
        // A play the user asked for: a round of failures starts anew, and a
        // step past an earlier one still to come is called off.
        unplayableInRow_ = 0;
        tmrStepOn.setEnabled(false);
    }
    openedByStepping_ = stepping;
    try {
        MediaPlayer1.setFileName(Path);
    } catch (const runtime::Error& e) {
        if (!Path.empty()) CannotPlay(Path, e.description(), stepping);
        throw;
    }
}

void Form2::MediaPlayer1_Error(const std::string& Reason) {
    CannotPlay(MediaPlayer1.fileName(), Reason, openedByStepping_);
}

void Form2::CannotPlay(const std::string& path, const std::string& reason, bool byStepping) {
    runtime::Steps step;
    step([&] { ShowNotice(FileNameOf(path) + ": " + reason, "Cannot play " + path + ": " + reason); });
    // The line of a file that is gone no longer shows the size it had.
    step([&] {
        const long index = lstFiles.listIndex();
        if (index < 0 || index >= List1.listCount() || lstFiles.text() != path || runtime::FileExists(path)) return;
        if (List1.list(index) != DisplayLine(path)) ReplaceEntryPath(index, path);
    });
    if (!byStepping) return;  // a play the user asked for plays nothing else
    // Repeat would only try the same entry again; after a whole round of
    // entries none of which could be played, the stepping ends.
    if (Check1.value() == 1) return;
    if (++unplayableInRow_ >= std::max(1L, List2.listCount())) {
        unplayableInRow_ = 0;
        step([&] { ShowNotice("No entry could be played", "No entry of the playlist could be played"); });
        return;
    }
    // On the next tick, as after a track's end: a list of many such entries
    // never holds the window up.
    step([&] { tmrStepOn.setEnabled(true); });
}

void Form2::ShowNotice(const std::string& Text, const std::string& Detail) {
    runtime::Steps step;
    step([&] { Label1.setCaption(Text); });
    step([&] { Label1.setToolTipText(Detail); });
    step([&] { setCaption(Detail); });
    // Five seconds from the latest notice.
    step([&] { tmrNotice.setEnabled(false); });
    step([&] { tmrNotice.setEnabled(true); });
}

void Form2::tmrNotice_Timer() {
    runtime::Steps step;
    step([&] { tmrNotice.setEnabled(false); });
    step([&] { Label1.setCaption(kWindowTitle); });
    step([&] { Label1.setToolTipText(""); });
    step([&] { setCaption(kWindowTitle); });
}

void Form2::tmrStepOn_Timer() {
    tmrStepOn.setEnabled(false);
    StepOn();
}

// ---- the play-mode flags ----

namespace {
// Flips a flag's box between 0 and 1 with its menu tick; another value stays.
void toggleFlag(forms::CheckBox& box, forms::Menu& item) {
    runtime::Steps step;
    const int v = box.value();
    if (v == 0) {
        step([&] { box.setValue(1); });
        step([&] { item.setChecked(true); });
    } else if (v == 1) {
        step([&] { box.setValue(0); });
        step([&] { item.setChecked(false); });
    }
}
}  // namespace

void Form2::mnurepeat_Click() {
    runtime::Steps step;
    const int before = Check1.value();
    toggleFlag(Check1, mnurepeat);
    if (before == 0) {
        step([&] { Image14.setVisible(false); });
        step([&] { Image15.setVisible(true); });
    } else if (before == 1) {
        step([&] { Image14.setVisible(true); });
        step([&] { Image15.setVisible(false); });
    }
}

void Form2::mnuturnoff_Click() { toggleFlag(Check2, mnuturnoff); }
void Form2::mnushufle_Click() { toggleFlag(Check3, mnushufle); }
void Form2::mnuuplist_Click() { toggleFlag(Check4, mnuuplist); }

}  // namespace player
