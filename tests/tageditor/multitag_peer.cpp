// Multi Tag against independent readers: a run over files tagged by mutagen,
// untagged lame files, a locked file, a missing one, a WAV and a MIDI file, in
// plain and in title mode; mutagen and TagLib then read the common fields in
// both tags and every file's own title, track, lyrics and genre as before
// (plain mode) or its name as title (title mode). The audio stays byte for
// byte, the WAV and MIDI files whole. And a run over the file that plays in
// the real GStreamer control: written while it plays on.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <map>
#include <string>
#include <vector>

#include "../runtime/fs_test_support.hpp"
#include "editor_fixture.hpp"
#include "media/gst_media_player.hpp"
#include "metadata/id3v2_extent.hpp"

namespace {

namespace fs = std::filesystem;
using editortest::Editor;

const char* kDump = R"(
import sys
from mutagen.id3 import ID3
t = ID3(sys.argv[1])
for k in sorted(t.keys()):
    f = t[k]
    if hasattr(f, 'text'):
        v = '|'.join(str(x) for x in (f.text if isinstance(f.text, list) else [f.text]))
    elif hasattr(f, 'url'):
        v = f.url
    else:
        v = repr(f)
    print(k + '=' + v.replace('\r', '\\r').replace('\n', '\\n'))
)";

const char* kTag = R"(
import sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TRCK, TCON, USLT
t = ID3()
t.add(TIT2(encoding=3, text='Own Title'))
t.add(TPE1(encoding=3, text='Own Artist'))
t.add(TALB(encoding=3, text='Own Album'))
t.add(TRCK(encoding=3, text='4/9'))
t.add(TCON(encoding=3, text='(17)Rock'))
t.add(USLT(encoding=3, lang='eng', desc='', text='own lyrics'))
t.save(sys.argv[1], v2_version=3, v1=2)
)";

std::map<std::string, std::string> mutagenFrames(const testsupport::TempDir& dir, const std::string& path) {
    return editortest::mutagenFrames(dir, kDump, path);
}

using editortest::audioBetweenTags;

void runOver(Editor& e, const std::vector<std::string>& paths, bool titleMode) {
    auto& f = e.form();
    f.Command17.click();
    f.Check1.setValue(titleMode ? 1 : 0);
    f.txtartist.setText("V1 Artist");
    f.txtalbum.setText("V1 Album");
    f.txtYear.setText("1999");
    f.txtComments.setText("v1 note");
    f.txtArtistV2.setText("V2 Artist");
    f.txtAlbumV2.setText("V2 Album");
    f.txtYearV2.setText("2001");
    f.txtCommentV2.setText("common note");
    f.txtComposer.setText("Comp");
    f.txtbuyurl.setText("http://buy.example/");
    forms::FileDialogResult r;
    r.accepted = true;
    r.paths = paths;
    e.env().dialogs.answerFileDialog(r);
    f.Command19.click();
    for (int i = 0; i < 1000 && f.TimerFile.enabled(); ++i) e.env().scheduler.advance(1);
    e.env().dialogs.answerMessageBox(forms::vbYes);
    f.Command18.click();
    e.env().dialogs.answerMessageBox(forms::vbOK);  // the summary
    e.env().scheduler.advance(1000 * static_cast<long>(paths.size()));
    ASSERT_FALSE(f.Timer4.enabled());
    ASSERT_EQ(f.Label2.caption(), "100%");
}

TEST(MultiTagPeer, MutagenAndTagLibReadTheCommonFieldsAndEachFilesOwn) {
    if (!testsupport::haveProgram("lame")) GTEST_SKIP() << "lame missing";
    for (bool titleMode : {false, true}) {
        Editor e;
        testsupport::TempDir scripts;
        const std::string tagged = e.lameMp3("Track 01.mp3");
        ASSERT_EQ(peer::python(scripts, kTag, {tagged}).status, 0);
        const std::string longName = e.lameMp3(std::string(40, 'L') + ".mp3");
        const std::string locked = e.lameMp3("locked.mp3");
        const std::string missing = e.player.home.file("missing.mp3");
        const std::string wav = e.file("sound.wav", peer::wav(0.2, 8000, 1));
        const std::string mid = e.file("tune.mid", std::string("MThd\0\0\0\x06\0\0\0\x01\0\x60", 14) +
                                                       std::string("MTrk\0\0\0\x04\0\xff\x2f\0", 12));
        const std::vector<std::string> paths = {tagged, longName, locked, missing, wav, mid};
        std::map<std::string, std::string> before;
        for (const std::string& p : paths)
            if (fs::exists(p)) before[p] = testsupport::readFile(p);
        Immutable lock(locked);
        runOver(e, paths, titleMode);

        const std::string& summary = e.lastMessage().prompt;
        for (const std::string& p : {missing, wav, mid}) EXPECT_NE(summary.find(p + ": "), std::string::npos) << p;
        EXPECT_EQ(testsupport::readFile(wav), before[wav]);
        EXPECT_EQ(testsupport::readFile(mid), before[mid]);
        if (lock.on()) {
            EXPECT_EQ(testsupport::readFile(locked), before[locked]);
            EXPECT_NE(summary.find(locked + ": "), std::string::npos);
        }

        for (const std::string& p : {tagged, longName}) {
            const std::string now = testsupport::readFile(p);
            EXPECT_EQ(audioBetweenTags(now), audioBetweenTags(before[p])) << p;
            auto m = mutagenFrames(scripts, p);
            EXPECT_EQ(m["TPE1"], "V2 Artist") << p;
            EXPECT_EQ(m["TALB"], "V2 Album") << p;
            EXPECT_EQ(m["TCOM"], "Comp") << p;
            EXPECT_EQ(m["WCOM:http://buy.example/"], "http://buy.example/") << p;
            bool comment = false;
            for (auto& [k, v] : m)
                if (k.rfind("COMM", 0) == 0 && v == "common note") comment = true;
            EXPECT_TRUE(comment) << p;
            TagLib::MPEG::File t(p.c_str(), false);
            ASSERT_NE(t.ID3v1Tag(), nullptr);
            EXPECT_EQ(t.ID3v1Tag()->artist().to8Bit(true), "V1 Artist");
            EXPECT_EQ(t.ID3v1Tag()->album().to8Bit(true), "V1 Album");
            EXPECT_EQ(t.ID3v1Tag()->year(), 1999u);
            EXPECT_EQ(t.ID3v1Tag()->comment().stripWhiteSpace().to8Bit(true), "v1 note");
            ASSERT_NE(t.ID3v2Tag(), nullptr);
            EXPECT_EQ(t.ID3v2Tag()->artist().to8Bit(true), "V2 Artist");
            EXPECT_EQ(t.ID3v2Tag()->year(), 2001u);
        }
        auto own = mutagenFrames(scripts, tagged);
        EXPECT_EQ(own["TRCK"], "4/9");
        EXPECT_EQ(own["USLT::eng"], "own lyrics");
        EXPECT_EQ(own["TCON"], "Rock");
        TagLib::MPEG::File t(tagged.c_str(), false), l(longName.c_str(), false);
        if (titleMode) {
            EXPECT_EQ(own["TIT2"], "Track 01");
            EXPECT_EQ(t.ID3v1Tag()->title().to8Bit(true), "Track 01");
            EXPECT_EQ(mutagenFrames(scripts, longName)["TIT2"], std::string(40, 'L'));
            EXPECT_EQ(l.ID3v2Tag()->title().to8Bit(true), std::string(40, 'L'));
            EXPECT_EQ(l.ID3v1Tag()->title().to8Bit(true), std::string(30, 'L'));
        } else {
            EXPECT_EQ(own["TIT2"], "Own Title");
            EXPECT_EQ(t.ID3v1Tag()->title().to8Bit(true), "Own Title");
            EXPECT_EQ(l.ID3v2Tag()->title().to8Bit(true), "");
        }
    }
}

TEST(MultiTagPeer, ThePlayingFileIsWrittenAndPlaysOn) {
    if (!testsupport::haveProgram("lame")) GTEST_SKIP() << "lame missing";
    Editor e;
    testsupport::ScopedEnv sink("DOVETUNE_AUDIO_SINK", "fakesink sync=true");
    media::GstMediaPlayer gst(e.env().scheduler);
    const std::string path = e.player.home.file("playing.mp3");
    peer::lame(path, "--cbr -b 128", 6.0, 44100, 2);
    gst.setFileName(path);
    ASSERT_TRUE(e.env().scheduler.runUntil([&] { return gst.rolling() && gst.currentPosition() >= 1.0; }, 8000));
    const double at = gst.currentPosition();
    runOver(e, {path}, false);
    TagLib::MPEG::File t(path.c_str(), false);
    ASSERT_NE(t.ID3v2Tag(), nullptr);
    EXPECT_EQ(t.ID3v2Tag()->artist().to8Bit(true), "V2 Artist");
    EXPECT_EQ(gst.fileName(), path);
    ASSERT_TRUE(e.env().scheduler.runUntil([&] { return gst.rolling() && gst.currentPosition() > at + 0.5; }, 8000));
}

}  // namespace
