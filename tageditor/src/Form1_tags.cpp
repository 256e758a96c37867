// Loading the boxes from the two tag objects and saving them back ("Update"),
// the save while the file plays in the main window, and opening another file
// from a drop or the open dialog.

#include <algorithm>

#include "player/Form2.hpp"
#include "player/os_helpers.hpp"
#include "runtime/app.hpp"
#include "runtime/convert.hpp"
#include "runtime/error.hpp"
#include "runtime/files.hpp"
#include "runtime/strings.hpp"
#include "tageditor/Form1.hpp"
#include "tageditor/mp3_check.hpp"
#include "tageditor/tag_write.hpp"

namespace tageditor {

namespace {

const std::string kCrLf = "\r\n";

// The entry of a genre list that the text names: the selected one when its
// name is the text, else the first whose name equals it without regard to
// case; -1 when none.
long genreEntry(const forms::ComboBox& list, const std::string& text) {
    if (list.listIndex() >= 0 && list.list(list.listIndex()) == text) return list.listIndex();
    for (long i = 0; i < list.listCount(); ++i)
        if (runtime::UCase(list.list(i)) == runtime::UCase(text)) return i;
    return -1;
}

}  // namespace

// Fills every ID3v1 and ID3v2 box from the tag objects; the first failing
// step ends it.
void Form1::LoadEditorTags() {
    metadata::cMP3ID3v1& v1 = tagV1();
    v1.setMP3File(txtpath.text());
    txtartist.setText(v1.Artist());
    txtTitle.setText(v1.Title());
    txtalbum.setText(v1.Album());
    txtComments.setText(v1.Comment());
    txtYear.setText(v1.Year());
    txtTrack.setText(runtime::CStr(v1.Track()));
    const std::string n = v1.GenreName(v1.Genre());
    if (!n.empty())
        Combo1.setText(n);
    else
        Combo1.setListIndex(0);

    metadata::cMP3ID3v2& v2 = tagV2();
    v2.setMP3File(txtpath.text());
    txtArtistV2.setText(v2.Artist());
    txtTitleV2.setText(v2.Title());
    txtAlbumV2.setText(v2.Album());
    // The ID3v2 genre box starts from the ID3v1 genre code.
    cboGenreV2.setText(v2.GenreName(v1.Genre()));
    txtYearV2.setText(v2.Year());

    // The comment box stands for one comment frame, the one the tag object's
    // Comment does, and shows its text; a leading digit 0 to 6 of that text
    // is the rating. The digit leaves the box here, once, so that it does not
    // pile up from save to save.
    std::string comment = v2.Comment();
    long rating = -1;
    if (!comment.empty() && comment[0] >= '0' && comment[0] <= '6') {
        rating = comment[0] - '0';
        comment.erase(0, 1);
    }
    Combo2.setListIndex(rating);
    txtCommentV2.setText(comment);

    txtTrackV2.setText(v2.Track());
    txtOriginalArtist.setText(v2.OriginalArtist());
    txtComposer.setText(v2.Composer());
    txtCopyright.setText(v2.Copyright());
    txtEncodedBy.setText(v2.EncodedBy());
    txtLinkTo.setText(v2.LinkTo());
    txtlyrics.setText(v2.Lyrics());
    txtartisturl.setText(v2.ArtistURL());
    txtaudiourl.setText(v2.AudioURL());
    txtbuyurl.setText(v2.BuyURL());
    rememberLoadedV2();
}

// What the ID3v2 boxes show now, as the state the file holds.
void Form1::rememberLoadedV2() {
    LoadedV2& l = loadedV2_;
    l.title = txtTitleV2.text();
    l.artist = txtArtistV2.text();
    l.album = txtAlbumV2.text();
    l.genre = cboGenreV2.text();
    l.year = txtYearV2.text();
    l.comment = txtCommentV2.text();
    l.rating = Combo2.listIndex();
    l.track = txtTrackV2.text();
    l.originalArtist = txtOriginalArtist.text();
    l.composer = txtComposer.text();
    l.copyright = txtCopyright.text();
    l.encodedBy = txtEncodedBy.text();
    l.linkTo = txtLinkTo.text();
    l.lyrics = txtlyrics.text();
    l.artistUrl = txtartisturl.text();
    l.audioUrl = txtaudiourl.text();
    l.buyUrl = txtbuyurl.text();
}

bool Form1::SaveEditorTags() {
    saveFailure_.clear();
    const std::string path = txtpath.text();
    auto refuse = [&](int style, const std::string& reason) {
        saveFailureStyle_ = style;
        saveFailure_ = "The tags of '" + path + "' were not saved." + kCrLf + kCrLf + reason;
        return false;
    };

    // Only into the file the boxes were loaded from, and only when that load
    // read it: the boxes of another file (or of none) would overwrite its tags.
    if (loadedPath_.empty()) return refuse(forms::vbCritical, "No file has been loaded into the editor.");
    if (path != loadedPath_ || tagV1().MP3File() != loadedPath_ || tagV2().MP3File() != loadedPath_)
        return refuse(forms::vbCritical,
                      "The fields hold the tags of another file. Load '" + path + "' again before saving.");
    if (!loadedOk_) return refuse(forms::vbCritical, "The file could not be read when it was loaded.");
    // And only into the very file the tag objects read (its device and
    // inode), not into whatever the path names now: a file moved away and
    // replaced by another, or by a link to another, keeps its tags.
    const std::optional<runtime::FileIdentity> now = runtime::IdentityOf(path);
    if (!now)
        return refuse(forms::vbCritical, "No file is there any more: it was moved or deleted after it was loaded.");
    if (tagV1().fileIdentity() != now || tagV2().fileIdentity() != now)
        return refuse(forms::vbCritical,
                      "It is no longer the file that was loaded: it was moved, replaced or linked to another file "
                      "since. Load it again to edit its tags.");
    if (!IsMp3ByContent(path))
        return refuse(forms::vbInformation, "It is not an MP3 file; tags are written only into MP3 files.");

    std::uint8_t track = 0;
    if (!txtTrack.text().empty()) {
        try {
            track = runtime::CByte(txtTrack.text());
        } catch (const runtime::Error&) {
            return refuse(forms::vbCritical, "The ID3v1 track number must be a number from 0 to 255.");
        }
    }
    if (Combo1.listIndex() < 0) return refuse(forms::vbCritical, "No ID3v1 genre is chosen.");

    metadata::cMP3ID3v1& v1 = tagV1();
    v1.setArtist(txtartist.text());
    v1.setTitle(txtTitle.text());
    v1.setAlbum(txtalbum.text());
    v1.setYear(txtYear.text());
    v1.setComment(txtComments.text());
    v1.setTrack(track);
    v1.setGenre(static_cast<std::uint8_t>(Combo1.itemData(Combo1.listIndex())));

    metadata::cMP3ID3v2& v2 = tagV2();
    try {
        // A property is set only when its box differs from what the load put
        // there: the boxes' typing limits cut what they show ("10/12" shows
        // "10/1"), so an untouched box must not write back its cut text, and
        // a frame not set keeps what it held.
        const LoadedV2& l = loadedV2_;
        auto changed = [](const forms::TextBox& box, const std::string& loaded) { return box.text() != loaded; };
        if (changed(txtArtistV2, l.artist)) v2.setArtist(txtArtistV2.text());
        if (changed(txtTitleV2, l.title)) v2.setTitle(txtTitleV2.text());
        if (changed(txtAlbumV2, l.album)) v2.setAlbum(txtAlbumV2.text());
        if (changed(txtYearV2, l.year)) v2.setYear(txtYearV2.text());
        if (changed(txtCommentV2, l.comment) || Combo2.listIndex() != l.rating) {
            const long r = Combo2.listIndex();
            const std::string digit = r >= 0 && r <= 6 ? std::string(1, static_cast<char>('0' + r)) : "";
            v2.setComment(digit + txtCommentV2.text());
        }
        if (cboGenreV2.text() != l.genre) {
            const long entry = genreEntry(cboGenreV2, cboGenreV2.text());
            if (entry >= 0) {
                v2.setOtherGenreName(cboGenreV2.list(entry));
                v2.setGenre(static_cast<std::uint8_t>(cboGenreV2.itemData(entry)));
            } else {
                if (v2.TagsInFrame("TCON") > 0) v2.RemoveFrame("TCON");
                v2.AddTag("TCON", cboGenreV2.text());
            }
        }
        if (changed(txtTrackV2, l.track)) v2.setTrack(txtTrackV2.text());
        if (changed(txtOriginalArtist, l.originalArtist)) v2.setOriginalArtist(txtOriginalArtist.text());
        if (changed(txtComposer, l.composer)) v2.setComposer(txtComposer.text());
        if (changed(txtCopyright, l.copyright)) v2.setCopyright(txtCopyright.text());
        if (changed(txtEncodedBy, l.encodedBy)) v2.setEncodedBy(txtEncodedBy.text());
        if (changed(txtLinkTo, l.linkTo)) v2.setLinkTo(txtLinkTo.text());
        if (changed(txtlyrics, l.lyrics)) v2.setLyrics(txtlyrics.text());
        if (changed(txtbuyurl, l.buyUrl)) v2.setBuyURL(txtbuyurl.text());
        if (changed(txtaudiourl, l.audioUrl)) v2.setAudioURL(txtaudiourl.text());
        if (changed(txtartisturl, l.artistUrl)) v2.setArtistURL(txtartisturl.text());
    } catch (const runtime::Error& e) {
        return refuse(forms::vbCritical, "The ID3v2 tag could not be written: " + e.description());
    }

    const TagWrite w = writeTags(v1, v2);
    if (!w.id3v2) return refuse(forms::vbCritical, "The ID3v2 tag could not be written: " + w.failure);
    rememberLoadedV2();  // the file now holds what the ID3v2 boxes show
    if (!w.id3v1) {
        saveFailureStyle_ = forms::vbCritical;
        saveFailure_ = "The ID3v2 tag of '" + path + "' was saved, but its ID3v1 tag was not." + kCrLf + kCrLf +
                       "The ID3v1 tag could not be written: " + w.failure;
        return false;
    }
    return true;
}

TagWrite Form1::writeTags(metadata::cMP3ID3v1& v1, metadata::cMP3ID3v2& v2) {
    const std::optional<runtime::FileIdentity> before = v2.fileIdentity();
    TagWrite w = WriteBothTags(v1, v2);
    const std::optional<runtime::FileIdentity>& now = v2.fileIdentity();
    if (w.id3v2 && before && now && *now != *before)
        std::replace(listedFiles_.begin(), listedFiles_.end(), before, now);
    return w;
}

void Form1::reportSaveFailure() {
    runtime::Steps step;
    step([&] { forms::MsgBox(saveFailure_, saveFailureStyle_, runtime::App::Title()); });
}

void Form1::Command2_Click() {
    runtime::Steps step;
    bool playing = false;
    step([&] { playing = txtpath.text() == mainWindow().MediaPlayer1.fileName(); });
    bool saved = false;
    if (playing) {
        step([&] { Command4_Click(); });
        saved = lastSaveOk_;
    } else {
        step([&] { saved = SaveEditorTags(); });
    }
    if (saved) {
        // The tidy run ends with "Updated" only after a save that went through.
        step([&] { pr1.setValue(0); });
        step([&] { Timer2.setEnabled(true); });
        return;
    }
    step([&] { Timer2.setEnabled(false); });
    step([&] { Label2.setCaption(""); });
    reportSaveFailure();
}

void Form1::Command4_Click() {
    runtime::Steps step;
    media::MediaPlayer* mp = nullptr;
    step([&] { mp = &mainWindow().MediaPlayer1; });
    lastSaveOk_ = false;
    saveFailureStyle_ = forms::vbCritical;
    saveFailure_ = "The tags of '" + txtpath.text() + "' were not saved.";
    if (!mp) {
        step([&] { lastSaveOk_ = SaveEditorTags(); });
        return;
    }
    step([&] { Label4.setCaption(runtime::CStr(mp->currentPosition())); });
    step([&] { Label5.setCaption(mp->fileName()); });
    // The control lets go of the track's file before the tags rewrite it.
    step([&] { mp->setFileName("d:\\me"); });
    step([&] { lastSaveOk_ = SaveEditorTags(); });
    step([&] { mp->setFileName(Label5.caption()); });
    step([&] { mp->setCurrentPosition(runtime::CDbl(Label4.caption())); });
    step([&] { mp->setMute(false); });
}

// Whether the file can be opened for reading; the reason when not.
static bool readable(const std::string& path, std::string& reason) {
    runtime::FileTable& files = runtime::Files();
    try {
        const int n = files.FreeFile();
        files.Open(path, runtime::OpenMode::Binary, n, runtime::Access::Read);
        files.Close(n);
        return true;
    } catch (const runtime::Error& e) {
        reason = e.description();
        return false;
    }
}

void Form1::OpenTagFile(std::string Path) {
    if (refuseDuringRun("Load the file")) return;
    // A file that cannot be read leaves the window on the file it shows.
    std::string reason;
    if (!readable(Path, reason)) {
        forms::MsgBox("Could not load file '" + Path + "'" + kCrLf + kCrLf + reason, forms::vbInformation,
                      runtime::App::Title());
        return;
    }
    txtpath.setText(Path);
    // The whole loader runs, so the ID3v1 switch and the MPEG information
    // follow the new file too.
    std::string failure;
    if (!loadFile(&failure))
        forms::MsgBox("Could not load file '" + Path + "'" + kCrLf + kCrLf + failure, forms::vbInformation,
                      runtime::App::Title());
}

void Form1::PickTagFile() {
    std::string fileName, fileTitle;
    bool readOnly = false;
    std::string filter = "MP3 Files (*.MP3)|*.MP3|All Files (*.*)|*.*";
    std::int32_t filterIndex = 1;
    std::int32_t flags = 0;
    if (player::ShowOpenFileDialog(fileName, fileTitle, true, false, readOnly, false, filter, filterIndex, "", "",
                                   "MP3", hWnd(), flags))
        OpenTagFile(fileName);
}

void Form1::cmdPick_Click() {
    runtime::Steps step;
    step([&] { PickTagFile(); });
}

void Form1::Form_OLEDragOver(forms::DataObject& Data, int& Effect, int Button, int Shift, float X, float Y,
                             int State) {
    (void)Button, (void)Shift, (void)X, (void)Y, (void)State;
    runtime::Steps step;
    bool files = false;
    step([&] { files = Data.GetFormat(forms::vbCFFiles) && Data.filesCount() >= 1; });
    Effect = files ? 1 : 0;
}

void Form1::Form_OLEDragDrop(forms::DataObject& Data, int& Effect, int Button, int Shift, float X, float Y) {
    (void)Button, (void)Shift, (void)X, (void)Y;
    runtime::Steps step;
    bool files = false;
    step([&] { files = Data.GetFormat(forms::vbCFFiles) && Data.filesCount() >= 1; });
    if (!files) return;
    Effect = 1;
    step([&] { OpenTagFile(Data.file(1)); });
}

}  // namespace tageditor
