// The side panel cycle and the artist pictures: one ".jpg" per artist in the
// "Artist" folder beside the program, added from a file, removed, or fetched
// from the program's web folder of artist pictures.

#include "tageditor/Form1.hpp"

#include <filesystem>
#include <system_error>

#include "player/addresses.hpp"
#include "runtime/app.hpp"
#include "runtime/error.hpp"
#include "runtime/filesystem.hpp"
#include "system/url_download.hpp"

namespace tageditor {

namespace {

const std::string kCrLf = "\r\n";
const char* const kWaiting = "Please Wait For Few Seconds Trying To Cennect..";
const char* const kPictureFilter =
    "Pictures (*.jpg;*.jpeg;*.gif;*.bmp;*.png)|*.jpg;*.jpeg;*.gif;*.bmp;*.png|All Files (*.*)|*.*";

std::string artistFolder() { return runtime::App::Path() + "/Artist"; }
std::string firstDefaultPicture() { return artistFolder() + "/Add.gif"; }
std::string secondDefaultPicture() { return runtime::App::Path() + "/Add.gif"; }

// The artist's picture: the artist text as one name in the Artist folder.
// "/", "\" and NUL become "-", so no text reaches another folder; with
// ".jpg" after it the name is never "." or "..".
std::string artistPicturePath(const std::string& artist) {
    std::string name = artist;
    for (char& c : name)
        if (c == '/' || c == '\\' || c == '\0') c = '-';
    return artistFolder() + "/" + name + ".jpg";
}

// The web address of the artist's picture: the text percent-encoded as one
// name in the web folder.
std::string artistPictureUrl(const std::string& artist) {
    return player::addresses::ArtistPicturesUrl() + sys::PercentEncode(artist) + ".jpg";
}

// Whether a path is one the cycle stores: an artist picture directly in the
// Artist folder.
bool isArtistPicture(const std::string& path) {
    const std::string folder = artistFolder() + "/";
    if (path.size() <= folder.size() || path.compare(0, folder.size(), folder) != 0) return false;
    const std::string name = path.substr(folder.size());
    return name.find('/') == std::string::npos && name.find('\0') == std::string::npos && name.size() >= 4 &&
           name.compare(name.size() - 4, 4, ".jpg") == 0;
}

// Loads a picture file into the image; a missing or unreadable file fails and
// the image keeps what it showed.
void showPicture(forms::Image& image, const std::string& path) { image.setPicture(forms::LoadPicture(path)); }

void tell(const std::string& text, int style) {
    try {
        forms::MsgBox(text, style, runtime::App::Title());
    } catch (const runtime::Error&) {
    }
}

}  // namespace

// The cycler: its caption names the panel the next click shows.
void Form1::Command16_Click() {
    runtime::Steps step;
    const std::string caption = Command16.caption();
    auto hide = [&](std::initializer_list<forms::PictureBox*> panels) {
        for (forms::PictureBox* p : panels) step([&] { p->setVisible(false); });
    };
    auto showArtist = [&](const std::string& defaultPicture) {
        step([&] { showPicture(Image4, defaultPicture); });
        step([&] { showPicture(Image4, artistPicturePath(txtartist.text())); });
        step([&] { Text4.setText(artistPicturePath(txtartist.text())); });
    };
    if (caption == "Artist Image") {
        step([&] { Command16.setCaption("Lyrics"); });
        step([&] { Picture1.setVisible(true); });
        hide({&Picture2, &Picture3, &Picture5});
        showArtist(firstDefaultPicture());
    } else if (caption == "Lyrics") {
        step([&] { Command16.setCaption("Note"); });
        step([&] { Picture3.setVisible(true); });
        hide({&Picture1, &Picture2, &Picture5});
    } else if (caption == "Note") {
        step([&] { Command16.setCaption("Info"); });
        step([&] { Picture2.setVisible(true); });
        hide({&Picture1, &Picture3, &Picture5});
    } else if (caption == "Info") {
        step([&] { Command16.setCaption("Tag 2"); });
        step([&] { Picture4.setVisible(true); });
        step([&] { LoadInfo(); });
        hide({&Picture1, &Picture2, &Picture3, &Picture5});
    } else if (caption == "Tag 2") {
        step([&] { Command16.setCaption("Artist Image"); });
        hide({&Picture1, &Picture2, &Picture3, &Picture4, &Picture5});
        showArtist(secondDefaultPicture());
    }
}

// Add: a picture file chosen now becomes the artist's picture. Whatever
// stops it is reported, and the old picture then stays.
void Form1::Command13_Click() {
    const std::string artist = txtartist.text();
    if (artist.empty()) {
        tell("Add Tag First No Tag Found", forms::vbInformation);
        return;
    }
    // The dialog is shared with Multi Tag's "Add Files", which leaves its own
    // options and last pick in it: Add sets its own each time.
    std::string chosen;
    try {
        Cd1.setFileName("");
        Cd1.setFlags(forms::cdlOFNFileMustExist | forms::cdlOFNPathMustExist | forms::cdlOFNHideReadOnly);
        Cd1.setFilter(kPictureFilter);
        Cd1.setFilterIndex(1);
        Cd1.showOpen();
        chosen = Cd1.fileName();
    } catch (const runtime::Error&) {
        return;  // cancelled (with CancelError set), or no dialog: nothing chosen
    }
    if (chosen.empty()) return;

    const std::string target = artistPicturePath(artist);
    const std::string notAdded = "The picture of " + artist + " was not changed." + kCrLf + kCrLf;
    if (!runtime::FolderExists(artistFolder())) {
        tell(notAdded + "The folder '" + artistFolder() + "' that keeps the artist pictures is missing.",
             forms::vbInformation);
        return;
    }
    try {
        (void)forms::LoadPicture(chosen);
    } catch (const runtime::Error& e) {
        tell(notAdded + "'" + chosen + "' is no picture this program can read (" + e.description() + ").",
             forms::vbInformation);
        return;
    }
    std::error_code ec;
    if (std::filesystem::equivalent(chosen, target, ec)) {
        tell(notAdded + "'" + chosen + "' is already the picture of " + artist + ".", forms::vbInformation);
        return;
    }
    try {
        runtime::FileCopy(chosen, target);
    } catch (const runtime::Error& e) {
        tell(notAdded + "'" + chosen + "' could not be copied to '" + target + "'." + kCrLf + kCrLf + e.description(),
             forms::vbInformation);
        return;
    }
    // The copy keeps the source's permissions; a picture taken from a
    // read-only place must still be replaceable and removable later.
    std::filesystem::permissions(target, std::filesystem::perms::owner_write, std::filesystem::perm_options::add,
                                 ec);
    try {
        showPicture(Image4, target);
    } catch (const runtime::Error&) {
        // copied, but not readable back: the image keeps what it showed
    }
}

// Remove: deletes the picture the cycle stored last, that one file only, and
// shows the program folder's default picture.
void Form1::Command14_Click() {
    runtime::Steps step;
    int answer = forms::vbNo;
    step([&] {
        answer = forms::MsgBox("Are You Sure You Want to Remove ", forms::vbYesNo + forms::vbQuestion,
                               runtime::App::Title());
    });
    if (answer != forms::vbYes) return;
    step([&] {
        const std::string stored = Text4.text();
        // Before the cycle stored a picture Text4 holds its design text, which
        // names no picture.
        if (!isArtistPicture(stored)) return;
        try {
            runtime::KillFile(stored);
        } catch (const runtime::Error& e) {
            if (e.number() != runtime::err::FileNotFound)
                tell("'" + stored + "' was not removed." + kCrLf + kCrLf + e.description(), forms::vbExclamation);
        }
    });
    step([&] { showPicture(Image4, secondDefaultPicture()); });
}

// Download: fetches the artist's picture from the web folder into the
// artist's picture file, whole or not at all, then waits 100 ticks of Timer5
// before it shows the picture.
void Form1::Command15_Click() {
    runtime::Steps step;
    sys::DownloadResult result;
    result.reason = "the download did not run";
    step([&] {
        const std::string artist = txtartist.text();
        result = sys::DownloadUrlToFile(artistPictureUrl(artist), artistPicturePath(artist), pictureDownloadLimits);
    });
    step([&] { ProgressBar1.setValue(0); });
    step([&] {
        const std::string text = result.ok ? std::string(kWaiting) : "Download failed: " + result.reason;
        LabelProgress.setCaption(text);
        LabelProgress.setToolTipText(result.ok ? std::string() : text);  // the whole reason, where it is cut
    });
    step([&] { Timer5.setEnabled(true); });
}

void Form1::Timer5_Timer() {
    runtime::Steps step;
    step([&] { ProgressBar1.setValue(ProgressBar1.value() + 1); });
    if (ProgressBar1.value() == ProgressBar1.max()) {
        step([&] { showPicture(Image4, artistPicturePath(txtartist.text())); });
        step([&] { Timer5.setEnabled(false); });
    }
}

}  // namespace tageditor
