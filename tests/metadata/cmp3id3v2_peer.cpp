// cMP3ID3v2 against independent tag libraries and tools: what it writes is
// read the same by mutagen and TagLib, the audio behind the tag is never
// touched, and tags written by mutagen, TagLib and lame are read right and
// survive an Update with their other frames intact.

#include <gtest/gtest.h>

#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2frame.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <map>
#include <sstream>
#include <vector>

#include "id3v2_fixtures.hpp"
#include "metadata/cmp3id3v2.hpp"
#include "metadata/id3v2_extent.hpp"
#include "runtime/error.hpp"
#include "testsupport/support.hpp"

namespace {

using namespace id3v2test;
using metadata::cMP3ID3v2;
using testsupport::readFile;
using testsupport::runCommand;

// Prints a tag as mutagen reads it: version, size, then one line per frame
// with the identifier and the frame's text (language and description in front
// of comments and lyrics, NULs of the language left out), hex-encoded.
const char* kMutagenDump = R"PY(
import sys, mutagen.id3 as m
def hx(s): return s.encode('utf-8', 'surrogatepass').hex()
try:
    t = m.ID3(sys.argv[1], translate=False, load_v1=False)
except Exception as e:
    print("ERROR"); sys.exit(0)
print("VERSION\t%d" % t.version[1])
print("SIZE\t%d" % t.size)
for f in t.values():
    fid = f.FrameID
    if fid == "COMM": text = f.lang.replace("\0", "") + f.desc + "".join(f.text)
    elif fid == "USLT": text = f.lang.replace("\0", "") + f.desc + f.text
    elif fid.startswith("W"): text = f.url
    elif fid == "TXXX": text = f.desc + "=" + "".join(f.text)
    elif fid.startswith("T"): text = "".join(str(x) for x in f.text)
    elif fid == "APIC": text = f.mime + ":" + f.desc + ":" + f.data.hex()
    elif fid == "PCNT": text = str(f.count)
    else: text = ""
    print(fid + "\t" + hx(text))
)PY";

// Writes a tag with mutagen: version, text encoding, "0" for no padding, then
// title, artist, album and comment as hex-encoded UTF-8.
const char* kMutagenWrite = R"PY(
import sys, mutagen.id3 as m
path, version, enc, padding = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
title, artist, album, comment = [bytes.fromhex(x).decode() for x in sys.argv[5:9]]
t = m.ID3()
t.add(m.TIT2(encoding=enc, text=title))
t.add(m.TPE1(encoding=enc, text=artist))
t.add(m.TALB(encoding=enc, text=album))
t.add(m.COMM(encoding=enc, lang="eng", desc="", text=comment))
t.add(m.TRCK(encoding=enc, text="7/9"))
t.add(m.APIC(encoding=enc, mime="image/png", type=3, desc="cover", data=b"\x89PNG\r\n\x1a\n" + bytes(range(256))))
t.add(m.PRIV(owner="peer@example", data=b"\x00\x01\xff\x00"))
t.add(m.POPM(email="rater@example", rating=196, count=3))
t.save(path, v2_version=version, padding=(lambda info: 0) if padding == "0" else None)
)PY";

std::string hex(std::string_view s) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : s) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string unhex(std::string_view h) {
    std::string out;
    for (std::size_t i = 0; i + 1 < h.size(); i += 2) out += static_cast<char>(std::stoi(std::string(h.substr(i, 2)), nullptr, 16));
    return out;
}

struct PeerTag {
    bool read = false;
    int version = 0;
    long size = 0;
    std::multimap<std::string, std::string> frames;  // identifier -> text
    std::string text(const std::string& id) const {
        auto it = frames.find(id);
        return it == frames.end() ? "<none>" : it->second;
    }
};

class Id3v2Peer : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* p : {"lame", "ffmpeg"})
            if (!testsupport::haveProgram(p)) {
                GTEST_SKIP() << p << " missing";
            }
        if (runCommand("/usr/bin/python3 -c 'import mutagen' 2>&1").status != 0) GTEST_SKIP() << "mutagen missing";
        testsupport::writeFile(dir.file("dump.py"), kMutagenDump);
        testsupport::writeFile(dir.file("write.py"), kMutagenWrite);
    }

    // A second of a sine tone, encoded by lame with `options`.
    std::string lameFile(const std::string& name, const std::string& options = "") {
        std::string wav = dir.file("tone.wav");
        if (!testsupport::exists(wav)) {
            EXPECT_EQ(runCommand("ffmpeg -v error -f lavfi -i sine=frequency=440:duration=1 -ac 1 -ar 44100 '" + wav + "'").status, 0);
        }
        std::string out = dir.file(name);
        EXPECT_EQ(runCommand("LANG=C.UTF-8 lame --quiet " + options + " '" + wav + "' '" + out + "'").status, 0);
        return out;
    }

    PeerTag mutagen(const std::string& path) {
        PeerTag t;
        auto r = runCommand("/usr/bin/python3 '" + dir.file("dump.py") + "' '" + path + "'");
        std::istringstream in(r.output);
        std::string line;
        while (std::getline(in, line)) {
            auto tab = line.find('\t');
            if (tab == std::string::npos) continue;
            std::string key = line.substr(0, tab), value = line.substr(tab + 1);
            if (key == "VERSION") {
                t.version = std::stoi(value);
                t.read = true;
            } else if (key == "SIZE") {
                t.size = std::stol(value);
            } else {
                t.frames.emplace(key, unhex(value));
            }
        }
        return t;
    }

    // The decoded samples' checksum.
    std::string samples(const std::string& path) {
        auto r = runCommand("ffmpeg -v error -i '" + path + "' -f s16le - | md5sum");
        EXPECT_EQ(r.status, 0);
        return r.output;
    }

    testsupport::TempDir dir;
};

// The bytes after a leading tag (the whole file when there is none).
std::string audioOf(const std::string& file) {
    auto read = [&](std::int64_t offset, std::size_t count) {
        return offset >= static_cast<std::int64_t>(file.size()) ? std::string() : file.substr(static_cast<std::size_t>(offset), count);
    };
    auto h = metadata::ReadId3v2Header(read, static_cast<std::int64_t>(file.size()));
    return h ? file.substr(static_cast<std::size_t>(h->extent)) : file;
}

struct TagLibView {
    int version = 0;
    long size = 0;
    std::vector<std::pair<std::string, std::string>> frames;  // identifier, toString()
};

TagLibView taglib(const std::string& path) {
    TagLibView v;
    TagLib::MPEG::File f(path.c_str(), false);
    TagLib::ID3v2::Tag* tag = f.ID3v2Tag();
    if (!tag) return v;
    v.version = static_cast<int>(tag->header()->majorVersion());
    v.size = static_cast<long>(tag->header()->completeTagSize());
    for (TagLib::ID3v2::Frame* frame : tag->frameList())
        v.frames.emplace_back(frame->frameID().data() ? std::string(frame->frameID().data(), frame->frameID().size()) : "",
                              frame->toString().to8Bit(true));
    return v;
}

// Frames of a 2.3 or 2.4 tag as (identifier, flags and body), for byte-for-byte comparison.
std::vector<std::pair<std::string, std::string>> rawFrames(std::string_view file) {
    std::vector<std::pair<std::string, std::string>> out;
    const int version = file[3];
    const std::size_t end = 10 + tagSize(file);
    std::size_t pos = 10;
    auto b = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(file[i])); };
    while (pos + 10 <= end && file[pos] != '\0') {
        std::uint32_t n = version == 4 ? (b(pos + 4) << 21 | b(pos + 5) << 14 | b(pos + 6) << 7 | b(pos + 7))
                                       : (b(pos + 4) << 24 | b(pos + 5) << 16 | b(pos + 6) << 8 | b(pos + 7));
        out.emplace_back(std::string(file.substr(pos, 4)), std::string(file.substr(pos + 8, 2 + n)));
        pos += 10 + n;
    }
    return out;
}

TEST_F(Id3v2Peer, WhatUpdateWritesIsReadTheSameByMutagenAndTagLib) {
    const std::string uni = "\xE6\x97\xA5\xE6\x9C\xAC \xE2\x98\x83";  // CJK and a snowman
    struct Step {
        const char* what;
        std::string start;  // lame options of the file's start, "" to keep the previous file
        std::string title;
        std::string lyrics;
    };
    std::string path;
    std::string originalAudio, originalSamples;
    for (const Step& s : {Step{"first tag", "-", "First", "short"},
                          Step{"grown tag", "--id3v2-only --tt Lame --ta LameArtist", "Grown " + uni, std::string(3000, 'l')},
                          Step{"in place", "", "In place", "short again"}}) {
        SCOPED_TRACE(s.what);
        if (!s.start.empty()) {
            path = lameFile(std::string(s.what) + ".mp3", s.start == "-" ? "" : s.start);
            originalAudio = audioOf(readFile(path));
            originalSamples = samples(path);
        }
        const std::size_t sizeBefore = readFile(path).size();
        cMP3ID3v2 t;
        t.setMP3File(path);
        t.setArtist("Art\xC3\xA9 " + uni);
        t.setTitle(s.title);
        t.setAlbum("Album");
        t.setYear("2001");
        t.setComment("4 good");
        t.setGenre(17);
        t.setOtherGenreName("Rock");
        t.setTrack("3/12");
        t.setComposer("Comp");
        t.setLinkTo("http://link.example");
        t.setLyrics(s.lyrics);
        t.setArtistURL("http://artist.example");
        t.setBuyURL("");
        t.Update();

        const std::string file = readFile(path);
        if (std::string(s.what) == "in place") {
            EXPECT_EQ(file.size(), sizeBefore);
        }
        EXPECT_EQ(audioOf(file), originalAudio);
        EXPECT_EQ(samples(path), originalSamples);

        const std::map<std::string, std::string> expected{
            {"TPE1", "Art\xC3\xA9 " + uni}, {"TIT2", s.title},           {"TALB", "Album"},
            {"TYER", "2001"},               {"COMM", "nt4 good"},        {"TCON", "(17)Rock"},
            {"TRCK", "3/12"},               {"TCOM", "Comp"},            {"WXXX", "http://link.example"},
            {"USLT", "eng" + s.lyrics},     {"WOAR", "http://artist.example"}};
        PeerTag m = mutagen(path);
        ASSERT_TRUE(m.read);
        EXPECT_EQ(m.version, 3);
        EXPECT_EQ(static_cast<std::size_t>(m.size) + audioOf(file).size(), file.size());  // the tag's extent is ours
        for (const auto& [id, text] : expected) EXPECT_EQ(m.text(id), text) << id;
        EXPECT_EQ(m.frames.count("WCOM"), 0u);  // empty URL, not written

        TagLibView tl = taglib(path);
        EXPECT_EQ(tl.version, 3);
        EXPECT_EQ(static_cast<std::size_t>(tl.size), file.size() - audioOf(file).size());
        // TagLib shows a 2.3 year (TYER) as the 2.4 recording time (TDRC).
        std::string ours = frameIds(file), theirs;
        for (auto& [id, text] : tl.frames) {
            if (id == "TDRC") id = "TYER";
            theirs += (theirs.empty() ? "" : " ") + id;
        }
        EXPECT_EQ(theirs, ours);
        for (const auto& [id, text] : tl.frames) {
            auto want = expected.find(id);
            if (id[0] == 'T' && id != "TCON" && want != expected.end()) {
                EXPECT_EQ(text, want->second) << id;
            }
        }
    }
}

struct Source {
    const char* what;
    int version;    // of the tag as written
    bool unicode;   // text outside Latin-1
    std::string make;  // "mutagen:<version>:<encoding>[:0]", "taglib:<version>", "lame:<options>", "hand:utf8"
};

TEST_F(Id3v2Peer, TagsOfOtherWritersAreReadAndSurviveAnUpdate) {
    const std::string latin = "Caf\xC3\xA9";
    const std::string uni = "\xE6\x97\xA5\xE6\x9C\xAC \xE2\x98\x83";
    for (const Source& src : {
             Source{"mutagen 2.3 Latin-1", 3, false, "mutagen:3:0"},
             Source{"mutagen 2.3 UTF-16", 3, true, "mutagen:3:1"},
             Source{"mutagen 2.4 Latin-1", 4, false, "mutagen:4:0"},
             Source{"mutagen 2.4 UTF-16", 4, true, "mutagen:4:1"},
             Source{"mutagen 2.4 UTF-8", 4, true, "mutagen:4:3"},
             Source{"mutagen 2.4 UTF-8 without padding", 4, true, "mutagen:4:3:0"},
             Source{"mutagen 2.3 without padding", 3, true, "mutagen:3:1:0"},
             Source{"2.3 with UTF-8 text, by hand", 3, true, "hand:utf8"},
             Source{"TagLib 2.4", 4, true, "taglib:4"},
             Source{"TagLib 2.3", 3, true, "taglib:3"},
             Source{"lame Latin-1", 3, false, "lame:--id3v2-only --id3v2-latin1"},
             Source{"lame UTF-16", 3, true, "lame:--id3v2-only --id3v2-utf16"},
         }) {
        SCOPED_TRACE(src.what);
        const std::string text = src.unicode ? uni : latin;
        const std::string title = "T " + text, artist = "A " + text, comment = "C " + text;
        std::string path;
        std::string make = src.make;
        if (make.rfind("mutagen:", 0) == 0) {
            path = lameFile("m.mp3");
            std::string version = make.substr(8, 1), enc = make.substr(10, 1), pad = make.size() > 11 ? "0" : "-";
            ASSERT_EQ(runCommand("/usr/bin/python3 '" + dir.file("write.py") + "' '" + path + "' " + version + " " + enc + " " +
                                 pad + " " + hex(title) + " " + hex(artist) + " " + hex("Alb") + " " + hex(comment) + " 2>&1")
                          .status,
                      0);
        } else if (make == "hand:utf8") {
            path = lameFile("h.mp3");
            std::string frames = frame23("TIT2", "\x03" + title) + frame23("TPE1", "\x03" + artist) +
                                 frame23("TALB", latin1("Alb")) + frame23("COMM", "\x03" "eng" + std::string(1, '\0') + comment) +
                                 frame23("APIC", std::string("\0image/png\0\x03\0\x89PNG", 17));
            testsupport::writeFile(path, tag(3, frames, 64) + readFile(path));
        } else if (make.rfind("taglib:", 0) == 0) {
            path = lameFile("t.mp3");
            TagLib::MPEG::File f(path.c_str(), false);
            TagLib::ID3v2::Tag* tag = f.ID3v2Tag(true);
            tag->setTitle(TagLib::String(title, TagLib::String::UTF8));
            tag->setArtist(TagLib::String(artist, TagLib::String::UTF8));
            tag->setAlbum("Alb");
            tag->setComment(TagLib::String(comment, TagLib::String::UTF8));
            auto* pic = new TagLib::ID3v2::AttachedPictureFrame;
            pic->setMimeType("image/jpeg");
            pic->setPicture(TagLib::ByteVector("\xFF\xD8\xFF\xE0 jpeg", 9));
            tag->addFrame(pic);
            ASSERT_TRUE(f.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers,
                               make == "taglib:3" ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4));
        } else {
            path = lameFile("l.mp3", make.substr(5) + " --tt '" + title + "' --ta '" + artist + "' --tl Alb --tc '" + comment + "'");
        }

        const std::string before = readFile(path);
        ASSERT_EQ(before[3], src.version);
        const PeerTag peerBefore = mutagen(path);
        ASSERT_TRUE(peerBefore.read);

        cMP3ID3v2 t;
        t.setMP3File(path);
        EXPECT_EQ(t.Title(), title);
        EXPECT_EQ(t.Artist(), artist);
        EXPECT_EQ(t.Album(), "Alb");
        // Comment is the text alone of the one comment frame, which every
        // writer here gives a language ("eng"; TagLib's "XXX") and no
        // description.
        EXPECT_EQ(peerBefore.text("COMM").substr(3), comment);
        EXPECT_EQ(t.Comment(), comment);

        t.setAlbum("Changed");
        t.Update();
        const std::string after = readFile(path);
        EXPECT_EQ(audioOf(after), audioOf(before));

        // mutagen reads every frame as before, but the album.
        PeerTag peerAfter = mutagen(path);
        ASSERT_TRUE(peerAfter.read);
        EXPECT_EQ(peerAfter.version, 3);
        EXPECT_EQ(peerAfter.text("TALB"), "Changed");
        auto expected = peerBefore.frames;
        expected.erase("TALB");
        peerAfter.frames.erase("TALB");
        EXPECT_EQ(peerAfter.frames, expected);

        // Frames other than the album stay byte for byte (flags and body); a
        // 2.4 frame only where it needs no conversion to 2.3.
        auto old = rawFrames(before), now = rawFrames(after);
        std::erase_if(old, [](const auto& f) { return f.first == "TALB"; });
        ASSERT_EQ(now.back().first, "TALB");
        now.pop_back();
        ASSERT_EQ(now.size(), old.size());
        for (std::size_t i = 0; i < old.size(); ++i) {
            EXPECT_EQ(now[i].first, old[i].first);
            const bool converted = src.version == 4 && (old[i].second.size() > 2 && (old[i].second[2] == 2 || old[i].second[2] == 3));
            if (src.version == 3 || !converted) {
                EXPECT_EQ(hex(now[i].second.substr(2)), hex(old[i].second.substr(2))) << old[i].first;
                if (src.version == 3) {
                    EXPECT_EQ(hex(now[i].second.substr(0, 2)), hex(old[i].second.substr(0, 2)));
                }
            }
        }
    }
}

TEST_F(Id3v2Peer, CorpusFilesLoadAndAgreeWithMutagen) {
    if (!testsupport::exists(testsupport::corpusDir())) GTEST_SKIP() << "no corpus";
    int compared = 0;
    for (const std::string& path : testsupport::corpusFiles()) {
        SCOPED_TRACE(path);
        cMP3ID3v2 t;
        try {
            t.setMP3File(path);
        } catch (const runtime::Error& e) {
            ADD_FAILURE() << "load raised " << e.number() << " " << e.description();
            continue;
        }
        PeerTag m = mutagen(path);
        if (!m.read || !t.HasID3v2Tag()) continue;
        const std::pair<const char*, const std::string*> fields[] = {
            {"TIT2", &t.Title()},         {"TPE1", &t.Artist()},    {"TALB", &t.Album()},
            {"TRCK", &t.Track()},         {"TYER", &t.Year()},      {"TCOM", &t.Composer()},
            {"TENC", &t.EncodedBy()},     {"TCOP", &t.Copyright()}, {"TOPE", &t.OriginalArtist()},
        };
        for (const auto& [id, field] : fields) {
            if (m.frames.count(id) != 1 || t.TagsInFrame(id) != 1) continue;
            EXPECT_EQ(*field, m.text(id)) << id;
            ++compared;
        }
    }
    EXPECT_GT(compared, 20);
}

}  // namespace
