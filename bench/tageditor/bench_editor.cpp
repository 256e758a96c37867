// The tag editor's speed over 500 copies of a tagged lame MP3 (cache warm,
// median of 3 rounds):
// - the loader per file (ID3v1 test, MPEG information, both tags into the
//   boxes) against TagLib's MPEG::File with audio properties reading the same
//   fields;
// - Update of one edited box (in place) against TagLib saving that field.
// Goal: our rate / TagLib's rate at least 1.0 for each; both ratios are
// printed. DOVETUNE_BENCH_BRIEF=1 uses 50 copies.

#include <stdlib.h>
#include <unistd.h>

#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>

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

using Clock = std::chrono::steady_clock;

using benchsupport::brief;
using benchsupport::median;
using benchsupport::readAll;

// Seconds of the best-of-run median for one pass over every file.
double measure(int rounds, const std::function<void()>& pass) {
    std::vector<double> t;
    for (int r = 0; r < rounds; ++r) {
        auto start = Clock::now();
        pass();
        t.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    return median(t);
}

// Every field the editor's loader shows, read through TagLib.
std::size_t taglibRead(const std::string& path) {
    TagLib::MPEG::File f(path.c_str(), true, TagLib::AudioProperties::Average);
    std::size_t n = 0;
    if (TagLib::ID3v1::Tag* t1 = f.ID3v1Tag()) {
        n += t1->title().size() + t1->artist().size() + t1->album().size() + t1->comment().size() + t1->year() +
             t1->track() + t1->genreNumber();
    }
    if (TagLib::ID3v2::Tag* t2 = f.ID3v2Tag()) {
        const auto& frames = t2->frameListMap();
        for (const char* id : {"TPE1", "TIT2", "TALB", "TCON", "TYER", "COMM", "TRCK", "TOPE", "TCOM", "TCOP", "TENC",
                               "WXXX", "USLT", "WOAR", "WOAF", "WPAY"}) {
            auto it = frames.find(id);
            if (it != frames.end() && !it->second.isEmpty()) n += it->second.front()->toString().size();
        }
    }
    if (auto* p = f.audioProperties()) n += static_cast<std::size_t>(p->bitrate() + p->sampleRate() + p->channels() + p->lengthInMilliseconds());
    return n;
}

}  // namespace

int main() {
    const int copies = brief() ? 50 : 500;
    const int rounds = 3;
    namespace fs = std::filesystem;
    std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    const std::string folder = benchsupport::makeTempFolder(base, "dovetune-bench-editor");
    if (folder.empty()) return 1;

    setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
    runtime::App::setForTest(folder, {});
    int status = 0;
    {
        forms::TestEnvironment env;
        tageditor::Form1& editor = forms::Get<tageditor::Form1>();

        // One tagged file, then its copies.
        const std::string model = folder + "/model.mp3";
        {
            std::ofstream out(model, std::ios::binary);
            out << benchsupport::encodedAudio(folder, 10);
        }
        metadata::cMP3ID3v1 v1;
        v1.setMP3File(model);
        v1.setTitle("A Title of Some Length");
        v1.setArtist("Some Artist");
        v1.setAlbum("Some Album");
        v1.setYear("2004");
        v1.setGenre(17);
        v1.setTrack(3);
        v1.Update();
        metadata::cMP3ID3v2 v2;
        v2.setMP3File(model);
        v2.setTitle("A Title of Some Length");
        v2.setArtist("Some Artist");
        v2.setAlbum("Some Album");
        v2.setYear("2004");
        v2.setTrack("3/12");
        v2.setComment("3A comment as this program stores it");
        v2.setComposer("A Composer");
        v2.setLyrics(std::string(800, 'l'));
        v2.setGenre(17);
        v2.Update();
        std::vector<std::string> ours, theirs;
        for (int i = 0; i < copies; ++i) {
            ours.push_back(folder + "/ours" + std::to_string(i) + ".mp3");
            theirs.push_back(folder + "/taglib" + std::to_string(i) + ".mp3");
            fs::copy_file(model, ours.back());
            fs::copy_file(model, theirs.back());
        }

        // Warm the cache and check the editor reads the copies.
        std::size_t sink = 0;
        for (auto& p : ours) sink += readAll(p).size();
        for (auto& p : theirs) sink += taglibRead(p);

        const double loadOurs = measure(rounds, [&] {
            for (auto& p : ours) {
                editor.txtpath.setText(p);
                editor.Timer1_Timer();
            }
        });
        if (editor.txtTitleV2.text() != "A Title of Some Length") {
            std::printf("the editor did not load the copies\n");
            status = 1;
        }
        const double loadTheirs = measure(rounds, [&] {
            for (auto& p : theirs) sink += taglibRead(p);
        });

        // Update of one edited box, in place: the file is loaded first, then
        // the box edited and saved; only the save is timed.
        std::vector<double> oursSaves, theirsSaves;
        for (int r = 0; r < rounds; ++r) {
            double spent = 0;
            for (auto& p : ours) {
                editor.txtpath.setText(p);
                editor.Timer1_Timer();
                editor.txtTitleV2.setText("Again " + std::to_string(r));
                auto start = Clock::now();
                editor.Command2_Click();
                spent += std::chrono::duration<double>(Clock::now() - start).count();
            }
            oursSaves.push_back(spent);
            spent = 0;
            for (auto& p : theirs) {
                TagLib::MPEG::File f(p.c_str(), true, TagLib::AudioProperties::Average);
                auto start = Clock::now();
                f.ID3v2Tag(true)->setTitle(TagLib::String("Again " + std::to_string(r), TagLib::String::UTF8));
                f.save(TagLib::MPEG::File::ID3v1 | TagLib::MPEG::File::ID3v2, TagLib::File::StripNone,
                       TagLib::ID3v2::v3);
                spent += std::chrono::duration<double>(Clock::now() - start).count();
            }
            theirsSaves.push_back(spent);
        }
        metadata::cMP3ID3v2 check;
        check.setMP3File(ours.back());
        if (check.Title() != "Again " + std::to_string(rounds - 1) || fs::file_size(ours.back()) != fs::file_size(model)) {
            std::printf("the editor's save did not go in place\n");
            status = 1;
        }

        const double saveOursMedian = median(oursSaves), saveTheirsMedian = median(theirsSaves);
        const double loadRatio = loadTheirs / loadOurs;      // our rate / TagLib's rate
        const double saveRatio = saveTheirsMedian / saveOursMedian;
        std::printf("files: %d copies of %zu bytes (checksum %zu)\n", copies,
                    static_cast<std::size_t>(fs::file_size(model)), sink % 1000);
        std::printf("loader: ours %.3f ms/file, TagLib %.3f ms/file, ratio (our rate / TagLib's) %.2f (goal >= 1.0)\n",
                    1000 * loadOurs / copies, 1000 * loadTheirs / copies, loadRatio);
        std::printf("update one box in place: ours %.3f ms/file, TagLib %.3f ms/file, ratio %.2f (goal >= 1.0)\n",
                    1000 * saveOursMedian / copies, 1000 * saveTheirsMedian / copies, saveRatio);
        forms::Application::instance().reset();
    }
    fs::remove_all(folder);
    return status;
}
