// Checks against independent readers and writers: TagLib, mutagen, ffprobe,
// with MP3 files that lame makes at test time.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>

#include <id3v1tag.h>
#include <mpegfile.h>
#include <mpegproperties.h>
#include <tstring.h>
#include <xingheader.h>

#include "testsupport/peer_tools.hpp"
#include "metadata/cmp3id3v1.hpp"
#include "metadata/csplaymodul.hpp"
#include "metadata/id3v2_extent.hpp"
#include "metadata/module7.hpp"

namespace {

using metadata::cMP3ID3v1;
using metadata::MpegInfo;
using metadata::Module7::GetMpegInfo;

#define REQUIRE_PEERS()                                              \
    do {                                                             \
        if (!peer::havePeers()) GTEST_SKIP() << "lame, ffprobe or python3 missing"; \
    } while (0)

std::string utf8(const TagLib::String& s) { return s.to8Bit(true); }

// Whole seconds of a "M:SS" or "H:M:SS" text.
int seconds(const std::string& text) {
    int total = 0;
    std::size_t start = 0;
    while (true) {
        std::size_t colon = text.find(':', start);
        total = total * 60 + std::atoi(text.substr(start, colon - start).c_str());
        if (colon == std::string::npos) return total;
        start = colon + 1;
    }
}

// Adds a leading ID3v2.3 tag whose cover art is full of bytes that look like
// MPEG frame headers.
const char* kAddCoverArt = R"(
import sys
from mutagen.id3 import ID3, APIC, TIT2
art = b'\xff\xd8\xff\xe0' + (b'\xff\xfb\x90\x44' + bytes(range(200))) * 150
t = ID3()
t.add(TIT2(encoding=0, text='Cover'))
t.add(APIC(encoding=0, mime='image/jpeg', type=3, desc='', data=art))
t.save(sys.argv[1], v2_version=3)
)";

struct Encoding {
    const char* name;
    const char* options;
    int rate;
    int channels;
    bool vbr;
    bool crc;
    bool coverArt;
};

TEST(MpegPeers, FiguresAgreeWithFfprobeAndTagLib) {
    REQUIRE_PEERS();
    testsupport::TempDir dir;
    const Encoding encodings[] = {
        {"cbr", "-b 128", 44100, 2, false, false, false},
        {"vbr", "-V 2", 44100, 2, true, false, false},
        {"mono-vbr", "-V 4 -m m", 44100, 1, true, false, false},
        {"48k", "-b 192", 48000, 2, false, false, false},
        {"32k-vbr", "-V 5 --resample 32", 32000, 2, true, false, false},
        {"crc", "-b 160 -p", 44100, 2, false, true, false},
        {"cover-cbr", "-b 128", 44100, 2, false, false, true},
        {"cover-vbr", "-V 3", 44100, 2, true, false, true},
    };
    for (const auto& e : encodings) {
        SCOPED_TRACE(e.name);
        const std::string mp3 = dir.file(std::string(e.name) + ".mp3");
        peer::lame(mp3, e.options, 12.0, e.rate, e.channels);
        if (e.coverArt) {
            auto r = peer::python(dir, kAddCoverArt, {mp3});
            ASSERT_EQ(r.status, 0) << r.output;
        }
        MpegInfo ours = GetMpegInfo(mp3);
        auto probe = peer::ffprobe(mp3);
        TagLib::MPEG::File file(mp3.c_str(), true, TagLib::AudioProperties::Accurate);
        ASSERT_TRUE(file.isValid());
        const TagLib::MPEG::Properties* props = file.audioProperties();
        ASSERT_NE(props, nullptr);

        EXPECT_EQ(ours.SampleRate, std::atoi(probe["sample_rate"].c_str()));
        EXPECT_EQ(ours.SampleRate, props->sampleRate());
        EXPECT_EQ(ours.SampleRate, e.rate);
        EXPECT_EQ(ours.MpegVersion, 1);
        EXPECT_EQ(ours.Layer, 3);
        EXPECT_EQ(ours.IsVbr, e.vbr);

        static const char* kModes[] = {"stereo", "joint stereo", "dual channel", "single channel"};
        EXPECT_EQ(ours.ChannelMode, kModes[props->channelMode()]);
        EXPECT_EQ(ours.ChannelMode == "single channel", std::atoi(probe["channels"].c_str()) == 1);
        EXPECT_EQ(ours.Crc, props->protectionEnabled() ? "Yes" : "No");
        EXPECT_EQ(ours.Crc == "Yes", e.crc);

        const double probeKbps = std::atof(probe["bit_rate"].c_str()) / 1000.0;
        if (e.vbr) {
            EXPECT_NEAR(ours.Bitrate, probeKbps, 2.0);
            EXPECT_NEAR(ours.Bitrate, props->bitrate(), 2.0);
        } else {
            EXPECT_EQ(ours.Bitrate, static_cast<int>(std::lround(probeKbps)));
        }

        const double probeSeconds = std::atof(probe["duration"].c_str());
        EXPECT_NEAR(seconds(ours.LengthText), probeSeconds, 1.0) << ours.LengthText;
        EXPECT_NEAR(seconds(ours.LengthText), props->lengthInMilliseconds() / 1000.0, 1.0) << ours.LengthText;

        const double probeFrames = std::atof(probe["nb_read_frames"].c_str());
        EXPECT_NEAR(ours.Frames, probeFrames, probeFrames * 0.02);
        if (e.vbr && props->xingHeader()) {
            EXPECT_NEAR(ours.Frames, props->xingHeader()->totalFrames(), probeFrames * 0.02);
        }
        if (e.coverArt) {
            int fd = ::open(mp3.c_str(), O_RDONLY | O_CLOEXEC);
            ASSERT_GE(fd, 0);
            auto tag = metadata::ReadId3v2Header(metadata::ReadAtDescriptor(fd), ::lseek(fd, 0, SEEK_END));
            ::close(fd);
            ASSERT_TRUE(tag);
            EXPECT_GT(tag->extent, 30000);
            EXPECT_TRUE(ours.HeaderPosition == 0 || ours.HeaderPosition > tag->extent) << ours.HeaderPosition;
        }
    }
}

// Every sample rate lame makes, through MPEG-1, MPEG-2 and MPEG-2.5, at a
// constant and a variable bitrate, in mono and stereo.
TEST(MpegPeers, EveryRateLameMakesAgreesWithFfprobe) {
    REQUIRE_PEERS();
    testsupport::TempDir dir;
    struct Rate {
        const char* resample;
        int rate;
        int version;
    } rates[] = {{"8", 8000, 0},      {"11.025", 11025, 0}, {"12", 12000, 0},
                 {"16", 16000, 2},    {"22.05", 22050, 2},  {"24", 24000, 2},
                 {"32", 32000, 1},    {"44.1", 44100, 1},   {"48", 48000, 1}};
    for (const Rate& r : rates) {
        for (bool vbr : {false, true}) {
            for (int channels : {1, 2}) {
                const std::string name = std::string(r.resample) + (vbr ? "-vbr-" : "-cbr-") + std::to_string(channels);
                SCOPED_TRACE(name);
                const std::string mp3 = dir.file(name + ".mp3");
                peer::lame(mp3, std::string(vbr ? "-V 5" : "-b 32") + " --resample " + r.resample, 3.0, 44100, channels);
                MpegInfo ours = GetMpegInfo(mp3);
                auto probe = peer::ffprobe(mp3);
                EXPECT_EQ(ours.SampleRate, std::atoi(probe["sample_rate"].c_str()));
                EXPECT_EQ(ours.SampleRate, r.rate);
                EXPECT_EQ(ours.MpegVersion, r.version);
                EXPECT_EQ(ours.Layer, 3);
                EXPECT_EQ(ours.IsVbr, vbr);
                EXPECT_EQ(ours.HeaderPosition, 1);
                EXPECT_EQ(ours.ChannelMode == "single channel", channels == 1);
                EXPECT_NEAR(ours.Bitrate, std::atof(probe["bit_rate"].c_str()) / 1000.0, 2.0);
                if (!vbr) {
                    EXPECT_EQ(ours.Bitrate, 32);
                }
                EXPECT_NEAR(seconds(ours.LengthText), std::atof(probe["duration"].c_str()), 1.0) << ours.LengthText;
            }
        }
    }
}

// CBR, ABR and VBR files of lame and of ffmpeg over MPEG-1, 2 and 2.5, mono and
// stereo, 8 to 320 kbit/s. Both write their frame count as "Info" into a CBR
// file, ffmpeg in a first frame of a higher bitrate where the header does not
// fit one of the audio's (lame leaves the header out then). Bitrate and play
// time are the audio's, as ffprobe finds them; only a Xing header marks VBR.
TEST(MpegPeers, CbrAbrAndVbrOfLameAndFfmpegAgreeWithFfprobe) {
    REQUIRE_PEERS();
    if (!testsupport::haveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg missing";
    testsupport::TempDir dir;
    const std::string wav = dir.file("in.wav");
    testsupport::writeFile(wav, peer::wav(6.0, 44100, 2));
    struct Encoding {
        bool byLame;
        const char* options;
        int rate, version;
        bool mono, vbr;
        int bitrate;  // a CBR file's; 0 for ABR and VBR
    } encodings[] = {
        {true, "-b 8 --resample 8 -m m", 8000, 0, true, false, 8},
        {true, "-b 64 --resample 11.025 -m m", 11025, 0, true, false, 64},
        {true, "-b 32 --resample 12", 12000, 0, false, false, 32},
        {true, "-b 16 --resample 16 -m m", 16000, 2, true, false, 16},
        {true, "-b 160 --resample 24", 24000, 2, false, false, 160},
        {true, "-b 40 --resample 32 -m m", 32000, 1, true, false, 40},
        {true, "-b 320", 44100, 1, false, false, 320},
        {true, "--abr 16 --resample 16 -m m", 16000, 2, true, true, 0},
        {true, "--abr 128", 44100, 1, false, true, 0},
        {true, "-V 9 --resample 8 -m m", 8000, 0, true, true, 0},
        {true, "-V 6 --resample 22.05", 22050, 2, false, true, 0},
        {true, "-V 0 --resample 48", 48000, 1, false, true, 0},
        {false, "-ar 8000 -ac 1 -b:a 8k", 8000, 0, true, false, 8},
        {false, "-ar 11025 -ac 1 -b:a 8k", 11025, 0, true, false, 8},
        {false, "-ar 16000 -ac 1 -b:a 16k", 16000, 2, true, false, 16},
        {false, "-ar 22050 -ac 2 -b:a 24k", 22050, 2, false, false, 24},
        {false, "-ar 32000 -ac 2 -b:a 32k", 32000, 1, false, false, 32},
        {false, "-ar 48000 -ac 1 -b:a 64k", 48000, 1, true, false, 64},
        {false, "-ar 44100 -ac 2 -b:a 320k", 44100, 1, false, false, 320},
        {false, "-ar 16000 -ac 1 -abr 1 -b:a 16k", 16000, 2, true, true, 0},
        {false, "-ar 44100 -ac 2 -abr 1 -b:a 64k", 44100, 1, false, true, 0},
        {false, "-ar 8000 -ac 1 -q:a 9", 8000, 0, true, true, 0},
        {false, "-ar 44100 -ac 2 -q:a 4", 44100, 1, false, true, 0},
    };
    int n = 0;
    for (const Encoding& e : encodings) {
        const std::string what = std::string(e.byLame ? "lame " : "ffmpeg ") + e.options;
        SCOPED_TRACE(what);
        const std::string mp3 = dir.file(std::to_string(++n) + ".mp3");
        const std::string command =
            e.byLame ? "lame -S " + std::string(e.options) + " " + peer::quote(wav) + " " + peer::quote(mp3)
                     : "ffmpeg -v error -y -i " + peer::quote(wav) + " " + e.options + " -c:a libmp3lame " +
                           peer::quote(mp3);
        auto r = testsupport::runCommand(command + " 2>&1");
        ASSERT_EQ(r.status, 0) << r.output;
        MpegInfo ours = GetMpegInfo(mp3);
        auto probe = peer::ffprobe(mp3);
        EXPECT_EQ(ours.SampleRate, e.rate);
        EXPECT_EQ(ours.SampleRate, std::atoi(probe["sample_rate"].c_str()));
        EXPECT_EQ(ours.MpegVersion, e.version);
        EXPECT_EQ(ours.ChannelMode == "single channel", e.mono);
        EXPECT_EQ(ours.IsVbr, e.vbr);
        const double probeKbps = std::atof(probe["bit_rate"].c_str()) / 1000.0;
        if (e.vbr) {
            EXPECT_NEAR(ours.Bitrate, probeKbps, 1.0);
        } else {
            EXPECT_EQ(ours.Bitrate, e.bitrate);
            EXPECT_EQ(ours.Bitrate, static_cast<int>(std::lround(probeKbps)));
        }
        const double probeSeconds = std::atof(probe["duration"].c_str());
        EXPECT_NEAR(seconds(ours.LengthText), probeSeconds, 1.0) << ours.LengthText;
        if (!e.vbr) {
            // Counted from the audio's first frame: an Info frame is none of them.
            const double probeFrames = std::atof(probe["nb_read_frames"].c_str());
            EXPECT_NEAR(ours.Frames, probeFrames, probeFrames * 0.02);
        }
    }

    // An hour and more of 8 kbit/s at 8 kHz shows its hours.
    const std::string hour = dir.file("hour.mp3");
    auto r = testsupport::runCommand("ffmpeg -v error -y -f lavfi -i anullsrc=r=8000:cl=mono -t 3725 -c:a libmp3lame "
                                     "-b:a 8k " + peer::quote(hour) + " 2>&1");
    ASSERT_EQ(r.status, 0) << r.output;
    MpegInfo ours = GetMpegInfo(hour);
    EXPECT_EQ(ours.Bitrate, 8);
    EXPECT_EQ(ours.LengthText, "1:2:05");
    EXPECT_FALSE(ours.IsVbr);
}

// MPEG-2 audio that holds FF FB pairs: one before the first frame and one in
// the audio; the frames are found where they are, as ffprobe finds them.
TEST(MpegPeers, AStrayMpeg1PairInMpeg2AudioIsPassedOver) {
    REQUIRE_PEERS();
    testsupport::TempDir dir;
    const std::string mp3 = dir.file("16k.mp3");
    peer::lame(mp3, "-b 32 --resample 16", 20.0, 44100, 1);
    std::string audio = testsupport::readFile(mp3);
    ASSERT_GT(audio.size(), 10000u);
    ASSERT_EQ(static_cast<unsigned char>(audio[1]), 0xF3);
    audio.replace(5000, 4, "\xFF\xFB\x90\x00");
    const std::string junk = std::string("\x00\x00\xFF\xFB\xB0\x00", 6) + std::string(58, '\x00');
    testsupport::writeFile(mp3, junk + audio);
    MpegInfo ours = GetMpegInfo(mp3);
    auto probe = peer::ffprobe(mp3);
    EXPECT_EQ(ours.HeaderPosition, 65);
    EXPECT_EQ(ours.MpegVersion, 2);
    EXPECT_EQ(ours.SampleRate, 16000);
    EXPECT_EQ(ours.SampleRate, std::atoi(probe["sample_rate"].c_str()));
    EXPECT_EQ(ours.Bitrate, 32);
    EXPECT_NEAR(seconds(ours.LengthText), std::atof(probe["duration"].c_str()), 1.0) << ours.LengthText;
    EXPECT_NEAR(seconds(ours.LengthText), 20.0, 1.0) << ours.LengthText;
}

// A VBRI header (as Fraunhofer's encoder writes) put in place of the Info or
// Xing header of lame's first frame: a VBR file whose frame count it holds.
TEST(MpegPeers, AVbriHeaderIsReadAsAXingHeaderIs) {
    REQUIRE_PEERS();
    testsupport::TempDir dir;
    for (const char* options : {"-b 128", "-V 2"}) {
        SCOPED_TRACE(options);
        const std::string mp3 = dir.file("vbri.mp3");
        peer::lame(mp3, options, 10.0, 44100, 2);
        const MpegInfo asLameWrote = GetMpegInfo(mp3);
        std::string file = testsupport::readFile(mp3);
        // MPEG-1 stereo: the Info or Xing header 36 bytes on, its frame count 8 bytes into it.
        const std::string tag = file.substr(36, 4);
        ASSERT_TRUE(tag == "Info" || tag == "Xing") << tag;
        const std::string frames = file.substr(44, 4);
        std::string vbri = "VBRI" + std::string("\x00\x01\x04\x40\x00\x4B", 6);
        const auto size = static_cast<std::uint32_t>(file.size());
        for (int shift : {24, 16, 8, 0}) vbri += static_cast<char>((size >> shift) & 0xFF);
        vbri += frames;
        vbri += std::string(8, '\0');  // no table of contents
        file.replace(36, vbri.size(), vbri);
        testsupport::writeFile(mp3, file);

        MpegInfo ours = GetMpegInfo(mp3);
        auto probe = peer::ffprobe(mp3);
        EXPECT_TRUE(ours.IsVbr);
        if (tag == "Xing") {
            EXPECT_EQ(ours.Bitrate, asLameWrote.Bitrate);
            EXPECT_EQ(ours.LengthText, asLameWrote.LengthText);
        }
        EXPECT_NEAR(ours.Bitrate, std::atof(probe["bit_rate"].c_str()) / 1000.0, 2.0);
        EXPECT_NEAR(seconds(ours.LengthText), std::atof(probe["duration"].c_str()), 1.0) << ours.LengthText;
        EXPECT_NEAR(ours.Frames, std::atof(probe["nb_read_frames"].c_str()), 2.0);
    }
}

// Reads the ID3v1 block of a file through mutagen's own parser.
const char* kMutagenReadV1 = R"(
import sys
from mutagen.id3 import ParseID3v1
with open(sys.argv[1], 'rb') as f:
    f.seek(-128, 2)
    frames = ParseID3v1(f.read(128))
for key in ('TIT2', 'TPE1', 'TALB', 'TDRC', 'COMM', 'TRCK'):
    if key in frames:
        print(key + '=' + str(frames[key].text[0]))
if 'TCON' in frames:
    print('TCON=' + frames['TCON'].genres[0])
)";

// Appends an ID3v1 block made by mutagen's own writer.
const char* kMutagenWriteV1 = R"(
import sys
from mutagen.id3 import MakeID3v1, TIT2, TPE1, TALB, TDRC, COMM, TRCK, TCON
v1 = MakeID3v1({
    'TIT2': TIT2(encoding=0, text='Caf\xe9 au lait'),
    'TPE1': TPE1(encoding=0, text='Bj\xf6rk-like Band'),
    'TALB': TALB(encoding=0, text='Se\xf1or'),
    'TDRC': TDRC(encoding=0, text='1997'),
    'COMM': COMM(encoding=0, lang='eng', desc='', text='Comentario \xfc'),
    'TRCK': TRCK(encoding=0, text='9'),
    'TCON': TCON(encoding=0, text='Jazz'),
})
with open(sys.argv[1], 'ab') as f:
    f.write(v1)
)";

TEST(Id3v1Peers, OurTagIsReadByTagLibAndMutagen) {
    REQUIRE_PEERS();
    testsupport::TempDir dir;
    const std::string mp3 = dir.file("ours.mp3");
    peer::lame(mp3, "-b 128", 2.0, 44100, 2);
    cMP3ID3v1 tag;
    tag.setMP3File(mp3);
    tag.setTitle("Caf\xC3\xA9 del Mar");
    tag.setArtist("Mot\xC3\xB6rhead Tribute");
    tag.setAlbum("Espa\xC3\xB1ol");
    tag.setYear("2003");
    tag.setComment("R\xC3\xBC" "ckblick");
    tag.setTrack(11);
    tag.setGenre(17);
    tag.Update();

    TagLib::MPEG::File file(mp3.c_str(), false);
    ASSERT_TRUE(file.hasID3v1Tag());
    TagLib::ID3v1::Tag* t = file.ID3v1Tag();
    EXPECT_EQ(utf8(t->title()), tag.Title());
    EXPECT_EQ(utf8(t->artist()), tag.Artist());
    EXPECT_EQ(utf8(t->album()), tag.Album());
    EXPECT_EQ(t->year(), 2003u);
    EXPECT_EQ(utf8(t->comment()), tag.Comment());
    EXPECT_EQ(t->track(), 11u);
    EXPECT_EQ(t->genreNumber(), 17u);

    auto r = peer::python(dir, kMutagenReadV1, {mp3});
    ASSERT_EQ(r.status, 0) << r.output;
    auto m = peer::keyValues(r.output);
    EXPECT_EQ(m["TIT2"], tag.Title());
    EXPECT_EQ(m["TPE1"], tag.Artist());
    EXPECT_EQ(m["TALB"], tag.Album());
    EXPECT_EQ(m["TDRC"], "2003");
    EXPECT_EQ(m["COMM"], tag.Comment());
    EXPECT_EQ(m["TRCK"], "11");
    EXPECT_EQ(m["TCON"], "Rock");
}

TEST(Id3v1Peers, TagsWrittenByTagLibAndMutagenAreReadByUs) {
    REQUIRE_PEERS();
    testsupport::TempDir dir;
    const std::string byTagLib = dir.file("taglib.mp3"), byMutagen = dir.file("mutagen.mp3");
    peer::lame(byTagLib, "-b 128", 2.0, 44100, 2);
    peer::lame(byMutagen, "-b 128", 2.0, 44100, 2);
    {
        TagLib::MPEG::File file(byTagLib.c_str(), false);
        TagLib::ID3v1::Tag* t = file.ID3v1Tag(true);
        t->setTitle(TagLib::String("Na\xC3\xAFve Melody", TagLib::String::UTF8));
        t->setArtist(TagLib::String("The Artists", TagLib::String::UTF8));
        t->setAlbum(TagLib::String("\xC3\x80 la carte", TagLib::String::UTF8));
        t->setYear(1985);
        t->setComment(TagLib::String("A comment from TagLib", TagLib::String::UTF8));
        t->setTrack(4);
        t->setGenreNumber(80);
        ASSERT_TRUE(file.save(TagLib::MPEG::File::ID3v1));
    }
    auto r = peer::python(dir, kMutagenWriteV1, {byMutagen});
    ASSERT_EQ(r.status, 0) << r.output;

    cMP3ID3v1 a;
    a.setMP3File(byTagLib);
    ASSERT_TRUE(a.HasID3v1Tag());
    EXPECT_EQ(a.Title(), "Na\xC3\xAFve Melody");
    EXPECT_EQ(a.Artist(), "The Artists");
    EXPECT_EQ(a.Album(), "\xC3\x80 la carte");
    EXPECT_EQ(a.Year(), "1985");
    EXPECT_EQ(a.Comment(), "A comment from TagLib");
    EXPECT_EQ(a.Track(), 4);
    EXPECT_EQ(a.Genre(), 80);
    EXPECT_EQ(a.GenreName(a.Genre()), "Folk");

    cMP3ID3v1 b;
    b.setMP3File(byMutagen);
    ASSERT_TRUE(b.HasID3v1Tag());
    EXPECT_EQ(b.Title(), "Caf\xC3\xA9 au lait");
    EXPECT_EQ(b.Artist(), "Bj\xC3\xB6rk-like Band");
    EXPECT_EQ(b.Album(), "Se\xC3\xB1or");
    EXPECT_EQ(b.Year(), "1997");
    EXPECT_EQ(b.Comment(), "Comentario \xC3\xBC");
    EXPECT_EQ(b.Track(), 9);
    EXPECT_EQ(b.Genre(), 8);

    metadata::Id3v1Record rec;
    ASSERT_TRUE(metadata::CSPlaymodul::ReadId3v1Record(byMutagen, rec));
    EXPECT_EQ(rec.Title.substr(0, 13), "Caf\xC3\xA9 au lait");
    auto info = metadata::Module7::GetId3v1Info(byMutagen);
    EXPECT_EQ(info.Title, "Caf\xC3\xA9 au lait");
    EXPECT_EQ(info.GenreName, "Jazz");
}

// TagLib trims all white space, we trim blanks only; compare text that both
// read the same way (ASCII and Latin-1 letters, not the C1 range).
std::string peerComparable(std::string s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
    std::size_t i = 0;
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    return s.substr(i);
}

bool latin1Text(const TagLib::String& s) {
    for (auto c : s)
        if ((c >= 0x80 && c < 0xA0) || c > 0xFF) return false;
    return true;
}

TEST(CorpusPeers, EveryFileLoadsAndAgreesWithTagLib) {
    auto files = testsupport::corpusFiles();
    if (files.empty()) GTEST_SKIP() << "no corpus at " << testsupport::corpusDir();
    int tagged = 0;
    for (const auto& path : files) {
        SCOPED_TRACE(path);
        cMP3ID3v1 tag;
        ASSERT_NO_THROW(tag.setMP3File(path));
        metadata::Id3v1Record rec;
        const bool recordFound = metadata::CSPlaymodul::ReadId3v1Record(path, rec);
        MpegInfo mpeg = GetMpegInfo(path);
        auto info = metadata::Module7::GetId3v1Info(path);
        EXPECT_EQ(info.HasTag, tag.HasID3v1Tag() || (recordFound && rec.Tag == "TAG"));

        TagLib::MPEG::File file(path.c_str(), true);
        if (!file.isValid()) continue;
        EXPECT_EQ(tag.HasID3v1Tag(), file.hasID3v1Tag());
        if (!file.hasID3v1Tag()) continue;
        ++tagged;
        TagLib::ID3v1::Tag* t = file.ID3v1Tag();
        struct Field {
            const char* name;
            TagLib::String theirs;
            std::string ours;
        } fields[] = {{"title", t->title(), tag.Title()},
                      {"artist", t->artist(), tag.Artist()},
                      {"album", t->album(), tag.Album()},
                      {"comment", t->comment(), tag.Comment()}};
        for (const auto& f : fields)
            if (latin1Text(f.theirs)) {
                EXPECT_EQ(peerComparable(f.ours), utf8(f.theirs)) << f.name;
            }
        EXPECT_EQ(tag.Track(), t->track());
        if (t->year() != 0) {
            EXPECT_EQ(std::atoi(tag.Year().c_str()), static_cast<int>(t->year()));
        }
        EXPECT_EQ(tag.Genre(), t->genreNumber());
        (void)mpeg;
    }
    EXPECT_GT(tagged, 0);
}

// The extent of a leading ID3v2 tag is the tag size mutagen reports, for every
// corpus file mutagen reads a tag from.
const char* kMutagenTagSizes = R"(
import sys
from mutagen.id3 import ID3, ID3NoHeaderError
for path in sys.argv[1:]:
    try:
        t = ID3(path)
        print(path + '=' + (str(t.size) if t.version[0] == 2 else 'none'))
    except ID3NoHeaderError:
        print(path + '=none')
    except Exception as e:
        print(path + '=error')
)";

TEST(CorpusPeers, Id3v2ExtentAgreesWithMutagen) {
    auto files = testsupport::corpusFiles();
    if (files.empty()) GTEST_SKIP() << "no corpus at " << testsupport::corpusDir();
    REQUIRE_PEERS();
    testsupport::TempDir dir;
    auto r = peer::python(dir, kMutagenTagSizes, files);
    ASSERT_EQ(r.status, 0) << r.output;
    auto sizes = peer::keyValues(r.output);
    int compared = 0;
    for (const auto& path : files) {
        SCOPED_TRACE(path);
        const std::string theirs = sizes[path];
        if (theirs == "error" || theirs.empty()) continue;
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        auto ours = metadata::ReadId3v2Header(metadata::ReadAtDescriptor(fd), ::lseek(fd, 0, SEEK_END));
        ::close(fd);
        if (theirs == "none") {
            EXPECT_FALSE(ours);
        } else {
            ASSERT_TRUE(ours);
            EXPECT_EQ(ours->extent, std::atoll(theirs.c_str()));
            ++compared;
        }
    }
    EXPECT_GE(compared, 3);
}

}  // namespace
