// The editor's save against independent tag readers: files tagged by mutagen
// (ID3v2.3; 2.4 with a recording time, "10/12", a text genre, two comments,
// lyrics and a picture; 2.2 built here) and by TagLib get one box edited and
// saved. mutagen and TagLib then read the edit as typed and every other
// frame as before; the audio between the tags is byte for byte the same and
// decodes to the same samples.

#include <gtest/gtest.h>

#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tstring.h>

#include <functional>
#include <map>
#include <string>

#include "editor_fixture.hpp"
#include "metadata/id3v2_extent.hpp"

namespace {

using editortest::Editor;
using id3v2test::frame22;
using id3v2test::latin1;

// Every frame as mutagen reads it, one "key=value" line each.
const char* kDump = R"(
import sys, hashlib
from mutagen.id3 import ID3
t = ID3(sys.argv[1])
for k in sorted(t.keys()):
    f = t[k]
    if k.startswith('APIC'):
        v = f.mime + ':' + str(f.type) + ':' + hashlib.md5(f.data).hexdigest()
    elif k.startswith('TDRC'):
        v = str(f.text[0]).replace(' ', 'T')
        if v.endswith(':00') and v.count(':') == 2: v = v[:-3]
    elif hasattr(f, 'text'):
        v = '|'.join(str(x) for x in (f.text if isinstance(f.text, list) else [f.text]))
    elif hasattr(f, 'url'):
        v = f.url
    else:
        v = repr(f)
    print(k + '=' + v.replace('\r', '\\r').replace('\n', '\\n'))
)";

const char* kTag23 = R"(
import sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TDRC, TRCK, COMM, TCON, TCOM
t = ID3()
t.add(TIT2(encoding=3, text='Old Title'))
t.add(TPE1(encoding=3, text='Old Artist'))
t.add(TALB(encoding=3, text='Old Album'))
t.add(TDRC(encoding=3, text='2003'))
t.add(TRCK(encoding=3, text='5'))
t.add(COMM(encoding=3, lang='eng', desc='', text='hello'))
t.add(TCON(encoding=3, text='(13)'))
t.add(TCOM(encoding=3, text='Old Composer'))
t.save(sys.argv[1], v2_version=3, v1=2)
)";

const char* kTag24 = R"(
import sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TDRC, TRCK, COMM, TCON, USLT, APIC
t = ID3()
t.add(TIT2(encoding=3, text='Title 24'))
t.add(TPE1(encoding=3, text='Artist 24'))
t.add(TALB(encoding=3, text='Album 24'))
t.add(TDRC(encoding=3, text='2004-05-12T10:30'))
t.add(TRCK(encoding=3, text='10/12'))
t.add(TCON(encoding=3, text='Chillwave'))
t.add(COMM(encoding=3, lang='eng', desc='', text='first'))
t.add(COMM(encoding=3, lang='deu', desc='d', text='zweite'))
t.add(USLT(encoding=3, lang='eng', desc='', text='some lyrics'))
t.add(APIC(encoding=3, mime='image/jpeg', type=3, desc='cover', data=bytes(range(256)) * 8))
t.save(sys.argv[1], v2_version=4)
)";

std::map<std::string, std::string> mutagenFrames(const testsupport::TempDir& dir, const std::string& path) {
    return editortest::mutagenFrames(dir, kDump, path);
}

// Every frame as TagLib reads it: identifier and occurrence, its text.
std::map<std::string, std::string> taglibFrames(const std::string& path) {
    TagLib::MPEG::File f(path.c_str(), false);
    std::map<std::string, std::string> out;
    if (TagLib::ID3v2::Tag* t = f.ID3v2Tag()) {
        for (const auto& [id, frames] : t->frameListMap()) {
            int i = 0;
            for (auto* fr : frames) {
                std::string key = std::string(id.data(), id.size()) + "#" + std::to_string(i++);
                out[key] = id == "APIC" ? std::to_string(fr->size()) : fr->toString().to8Bit(true);
            }
        }
    }
    return out;
}

// The bytes between the ID3v2 tag and a trailing ID3v1 block.
std::string audioBetweenTags(const std::string& path) {
    return editortest::audioBetweenTags(testsupport::readFile(path));
}

std::string decodedSamples(const std::string& path) {
    auto r = testsupport::runCommand("ffmpeg -v error -i " + peer::quote(path) + " -f s16le - | md5sum");
    EXPECT_EQ(r.status, 0) << r.output;
    return r.output;
}

struct PeerCase {
    const char* name;
    std::function<void(Editor&, const testsupport::TempDir&, const std::string&)> tagIt;
    std::function<void(tageditor::Form1&)> edit;
    std::string mutagenKey;  // the frame the edit writes, as mutagen names it
    std::string typed;
    std::string taglibId;
};

TEST(EditorPeer, OneEditedBoxAndEveryOtherFrameAsBefore) {
    if (!peer::havePeers()) GTEST_SKIP() << "lame, ffprobe or python3 with mutagen missing";
    const std::string nonLatin = "\xC3\x9C" "ber \xE6\x97\xA5\xE6\x9C\xAC \xD0\x9F\xD0\xB5\xD1\x81\xD0\xBD\xD1\x8F";
    const PeerCase cases[] = {
        {"mutagen 2.3, title",
         [](Editor&, const testsupport::TempDir& d, const std::string& p) {
             auto r = peer::python(d, kTag23, {p});
             ASSERT_EQ(r.status, 0) << r.output;
         },
         [&](tageditor::Form1& f) { f.txtTitleV2.setText(nonLatin); }, "TIT2", nonLatin, "TIT2"},
        {"mutagen 2.4, artist",
         [](Editor&, const testsupport::TempDir& d, const std::string& p) {
             auto r = peer::python(d, kTag24, {p});
             ASSERT_EQ(r.status, 0) << r.output;
         },
         [](tageditor::Form1& f) { f.txtArtistV2.setText("Neue K\xC3\xBCnstlerin"); }, "TPE1",
         "Neue K\xC3\xBCnstlerin", "TPE1"},
        {"mutagen 2.4, composer",
         [](Editor&, const testsupport::TempDir& d, const std::string& p) {
             auto r = peer::python(d, kTag24, {p});
             ASSERT_EQ(r.status, 0) << r.output;
         },
         [&](tageditor::Form1& f) { f.txtComposer.setText(nonLatin); }, "TCOM", nonLatin, "TCOM"},
        {"2.2, album",
         [](Editor&, const testsupport::TempDir&, const std::string& p) {
             std::string frames = frame22("TT2", latin1("Old 22")) + frame22("TP1", latin1("Band 22")) +
                                  frame22("TAL", latin1("Album 22")) + frame22("TRK", latin1("4/9"));
             testsupport::writeFile(p, id3v2test::tag(2, frames, 32) + testsupport::readFile(p));
         },
         [](tageditor::Form1& f) { f.txtAlbumV2.setText("Album Neu"); }, "TALB", "Album Neu", "TALB"},
        {"TagLib 2.4, year",
         [](Editor&, const testsupport::TempDir&, const std::string& p) {
             TagLib::MPEG::File f(p.c_str(), false);
             TagLib::ID3v2::Tag* t = f.ID3v2Tag(true);
             t->setTitle(TagLib::String("TagLib Title", TagLib::String::UTF8));
             t->setArtist(TagLib::String("TagLib \xC3\x84rtist", TagLib::String::UTF8));
             t->setAlbum("TagLib Album");
             t->setTrack(7);
             t->setGenre("Jazz");
             t->setComment("from taglib");
             ASSERT_TRUE(f.save(TagLib::MPEG::File::ID3v2 | TagLib::MPEG::File::ID3v1));
         },
         [](tageditor::Form1& f) { f.txtYearV2.setText("1999"); }, "TDRC", "1999", "TDRC"},
    };
    for (const PeerCase& c : cases) {
        SCOPED_TRACE(c.name);
        Editor e;
        testsupport::TempDir scripts;
        const std::string p = e.lameMp3("peer.mp3");
        c.tagIt(e, scripts, p);
        const auto mutagenBefore = mutagenFrames(scripts, p);
        const auto taglibBefore = taglibFrames(p);
        const std::string audioBefore = audioBetweenTags(p);
        const std::string samplesBefore = decodedSamples(p);
        ASSERT_FALSE(mutagenBefore.empty());

        auto& f = e.open(p);
        c.edit(f);
        f.Command2.click();
        ASSERT_EQ(e.shownCount(), 0u) << e.lastMessage().prompt;

        const auto mutagenAfter = mutagenFrames(scripts, p);
        ASSERT_TRUE(mutagenAfter.count(c.mutagenKey)) << c.mutagenKey;
        EXPECT_EQ(mutagenAfter.at(c.mutagenKey), c.typed);
        for (const auto& [key, value] : mutagenBefore) {
            if (key == c.mutagenKey) continue;
            ASSERT_TRUE(mutagenAfter.count(key)) << "mutagen lost " << key;
            EXPECT_EQ(mutagenAfter.at(key), value) << key;
        }
        for (const auto& [key, value] : mutagenAfter)
            EXPECT_TRUE(key == c.mutagenKey || mutagenBefore.count(key)) << "new frame " << key << "=" << value;

        const auto taglibAfter = taglibFrames(p);
        ASSERT_TRUE(taglibAfter.count(c.taglibId + "#0"));
        EXPECT_EQ(taglibAfter.at(c.taglibId + "#0"), c.typed);
        for (const auto& [key, value] : taglibBefore) {
            if (key.rfind(c.taglibId, 0) == 0) continue;
            // 2.3 has no TDRC: TagLib reads the year frames that carry it.
            if (key.rfind("TDRC", 0) == 0) continue;
            if (taglibAfter.count(key)) {
                EXPECT_EQ(taglibAfter.at(key), value) << key;
            }
        }

        EXPECT_EQ(audioBetweenTags(p), audioBefore);
        EXPECT_EQ(decodedSamples(p), samplesBefore);
    }
}

}  // namespace
