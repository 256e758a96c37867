// Multi Tag's writer per file (the body of one Timer4 tick, driven without
// its 1000 ms pacing) against TagLib's MPEG::File setting the same ID3v1 and
// ID3v2 fields and saving, on copies of a 30 s lame MP3 in the same run,
// median of 3 rounds:
// - copies with an ID3v1 tag and a padded ID3v2.3 tag (every write in place);
// - untagged copies, where every write grows the file (made afresh before
//   each round, not timed).
// Goal: our rate / TagLib's rate at least 1.0 for the tagged copies; both
// ratios are printed. 1,000 copies; DOVETUNE_BENCH_BRIEF=1 uses 50.

#include <stdlib.h>
#include <unistd.h>

#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/urllinkframe.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "benchsupport/bench.hpp"
#include "forms/forms.hpp"
#include "forms/testing.hpp"
#include "metadata/cmp3id3v1.hpp"
#include "metadata/cmp3id3v2.hpp"
#include "runtime/app.hpp"
#include "tageditor/Form1.hpp"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

using benchsupport::brief;
using benchsupport::median;
using benchsupport::readAll;

// The common fields a run writes, as the editor's boxes hold them.
struct Fields {
    std::string artist = "Common Artist", album = "Common Album", year = "2011", comment = "A common note";
    std::string artist2 = "Common Artist 2", album2 = "Common Album 2", year2 = "2012", comment2 = "A note for all";
    std::string original = "An Original Artist", composer = "A Composer", copyright = "\u00a9 2011 A Label",
                encodedBy = "dovetune", linkTo = "http://link.example/", buyUrl = "http://buy.example/",
                artistUrl = "http://artist.example/", audioUrl = "http://audio.example/";
};

void fillBoxes(tageditor::Form1& f, const Fields& v) {
    f.txtartist.setText(v.artist);
    f.txtalbum.setText(v.album);
    f.txtYear.setText(v.year);
    f.txtComments.setText(v.comment);
    f.txtArtistV2.setText(v.artist2);
    f.txtAlbumV2.setText(v.album2);
    f.txtYearV2.setText(v.year2);
    f.txtCommentV2.setText(v.comment2);
    f.txtOriginalArtist.setText(v.original);
    f.txtComposer.setText(v.composer);
    f.txtCopyright.setText(v.copyright);
    f.txtEncodedBy.setText(v.encodedBy);
    f.txtLinkTo.setText(v.linkTo);
    f.txtbuyurl.setText(v.buyUrl);
    f.txtartisturl.setText(v.artistUrl);
    f.txtaudiourl.setText(v.audioUrl);
}

TagLib::String utf8(const std::string& s) { return TagLib::String(s, TagLib::String::UTF8); }

void setText(TagLib::ID3v2::Tag* t, const char* id, const std::string& value) {
    t->removeFrames(id);
    auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id, TagLib::String::Latin1);
    frame->setText(utf8(value));
    t->addFrame(frame);
}

void setUrl(TagLib::ID3v2::Tag* t, const char* id, const std::string& value) {
    t->removeFrames(id);
    auto* frame = new TagLib::ID3v2::UrlLinkFrame(id);
    frame->setUrl(utf8(value));
    t->addFrame(frame);
}

// TagLib writing the same fields into one file.
void taglibWrite(const std::string& path, const Fields& v) {
    TagLib::MPEG::File f(path.c_str(), false);
    TagLib::ID3v1::Tag* t1 = f.ID3v1Tag(true);
    t1->setArtist(utf8(v.artist));
    t1->setAlbum(utf8(v.album));
    t1->setYear(static_cast<unsigned>(std::stoi(v.year)));
    t1->setComment(utf8(v.comment));
    TagLib::ID3v2::Tag* t2 = f.ID3v2Tag(true);
    t2->setArtist(utf8(v.artist2));
    t2->setAlbum(utf8(v.album2));
    t2->setYear(static_cast<unsigned>(std::stoi(v.year2)));
    t2->setComment(utf8(v.comment2));
    setText(t2, "TOPE", v.original);
    setText(t2, "TCOM", v.composer);
    setText(t2, "TCOP", v.copyright);
    setText(t2, "TENC", v.encodedBy);
    setUrl(t2, "WOAF", v.audioUrl);
    setUrl(t2, "WOAR", v.artistUrl);
    setUrl(t2, "WCOM", v.buyUrl);
    t2->removeFrames("WXXX");
    auto* link = new TagLib::ID3v2::UserUrlLinkFrame(TagLib::String::Latin1);
    link->setUrl(utf8(v.linkTo));
    t2->addFrame(link);
    f.save(TagLib::MPEG::File::ID3v1 | TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, TagLib::ID3v2::v3);
}

struct Result {
    double ours = 0, theirs = 0;  // seconds per pass, medians
    bool ok = true;
};

// Three rounds over the copies; `prepare` runs before each round, untimed.
Result compare(forms::TestEnvironment& env, tageditor::Form1& editor, const std::vector<std::string>& ours,
               const std::vector<std::string>& theirs, const Fields& v, const std::function<void()>& prepare) {
    std::vector<double> o, t;
    Result r;
    for (int round = 0; round < 3; ++round) {
        prepare();
        editor.List1.clear();
        editor.lstFiles.clear();
        // Listed the way the window lists them, so each line stands for the
        // file its path names now.
        for (const std::string& p : ours) editor.lstFiles.addItem(p);
        while (editor.List1.listCount() < editor.lstFiles.listCount()) editor.TimerFile_Timer();
        fillBoxes(editor, v);
        env.dialogs.answerMessageBox(forms::vbYes);
        editor.mnumultitag_Click();
        auto start = Clock::now();
        for (std::size_t i = 0; i < ours.size(); ++i) editor.Timer4_Timer();
        o.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        if (editor.Timer4.enabled() || editor.Label2.caption() != "100%") r.ok = false;  // a run of every copy

        start = Clock::now();
        for (const std::string& p : theirs) taglibWrite(p, v);
        t.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    r.ours = median(o);
    r.theirs = median(t);
    metadata::cMP3ID3v2 check;
    check.setMP3File(ours.back());
    if (check.Composer() != v.composer || check.Artist() != v.artist2) r.ok = false;
    return r;
}

}  // namespace

int main() {
    const int copies = brief() ? 50 : 1000;
    const std::string folder = benchsupport::makeTempFolder("/tmp", "dovetune-bench-multitag");
    if (folder.empty()) return 1;

    setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
    runtime::App::setForTest(folder, {});
    int status = 0;
    {
        forms::TestEnvironment env;
        tageditor::Form1& editor = forms::Get<tageditor::Form1>();

        const std::string bare = folder + "/bare.mp3", model = folder + "/model.mp3";
        {
            std::ofstream out(bare, std::ios::binary);
            out << benchsupport::encodedAudio(folder, 30);
        }
        fs::copy_file(bare, model);
        metadata::cMP3ID3v1 v1;
        v1.setMP3File(model);
        v1.setTitle("A Title of Some Length");
        v1.setArtist("Some Artist");
        v1.setTrack(3);
        v1.Update();
        metadata::cMP3ID3v2 v2;
        v2.setMP3File(model);
        v2.setTitle("A Title of Some Length");
        v2.setArtist("Some Artist");
        v2.setTrack("3/12");
        v2.setLyrics(std::string(400, 'l'));
        v2.Update();  // padded up to the next 2048 bytes

        std::vector<std::string> ours, theirs;
        for (int i = 0; i < copies; ++i) {
            ours.push_back(folder + "/ours" + std::to_string(i) + ".mp3");
            theirs.push_back(folder + "/taglib" + std::to_string(i) + ".mp3");
        }
        auto copyAll = [&](const std::string& from) {
            for (std::size_t i = 0; i < ours.size(); ++i) {
                fs::copy_file(from, ours[i], fs::copy_options::overwrite_existing);
                fs::copy_file(from, theirs[i], fs::copy_options::overwrite_existing);
            }
            std::size_t sink = 0;  // warm the cache
            for (std::size_t i = 0; i < ours.size(); ++i) sink += readAll(ours[i]).size() + readAll(theirs[i]).size();
            if (sink == 0) std::printf("no bytes\n");
        };

        Fields v;
        copyAll(model);
        const Result tagged = compare(env, editor, ours, theirs, v, [] {});
        const std::uintmax_t taggedSize = fs::file_size(ours.front());
        const Result untagged = compare(env, editor, ours, theirs, v, [&] { copyAll(bare); });
        if (!tagged.ok || !untagged.ok) {
            std::printf("the writer did not write the copies\n");
            status = 1;
        }
        if (fs::file_size(ours.front()) <= fs::file_size(bare)) {
            std::printf("the untagged copies did not grow\n");
            status = 1;
        }
        std::printf("files: %d copies of a 30 s MP3 (%ju bytes tagged, %ju untagged)\n", copies,
                    static_cast<std::uintmax_t>(taggedSize), static_cast<std::uintmax_t>(fs::file_size(bare)));
        std::printf("writer, tagged copies (in place): ours %.3f ms/file, TagLib %.3f ms/file, "
                    "ratio (our rate / TagLib's) %.2f (goal >= 1.0)\n",
                    1000 * tagged.ours / copies, 1000 * tagged.theirs / copies, tagged.theirs / tagged.ours);
        std::printf("writer, untagged copies (each write grows the file): ours %.3f ms/file, TagLib %.3f ms/file, "
                    "ratio %.2f\n",
                    1000 * untagged.ours / copies, 1000 * untagged.theirs / copies, untagged.theirs / untagged.ours);
        forms::Application::instance().reset();
    }
    fs::remove_all(folder);
    return status;
}
