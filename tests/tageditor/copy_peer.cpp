// Renew, then a save: mutagen reads every field the boxes hold as empty, in
// the ID3v2 tag and in the ID3v1 block, while the genre (which Renew leaves)
// stays.

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "editor_fixture.hpp"

namespace {

using editortest::Editor;

const char* kTagIt = R"(
import sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TYER, TRCK, COMM, TCON, TCOM, TOPE, TCOP, TENC, USLT, WXXX
t = ID3()
t.add(TIT2(encoding=3, text='Old Title'))
t.add(TPE1(encoding=3, text='Old Artist'))
t.add(TALB(encoding=3, text='Old Album'))
t.add(TYER(encoding=3, text='2003'))
t.add(TRCK(encoding=3, text='5'))
t.add(COMM(encoding=3, lang='eng', desc='', text='hello'))
t.add(TCON(encoding=3, text='(13)'))
t.add(TCOM(encoding=3, text='Old Composer'))
t.add(TOPE(encoding=3, text='Old Original'))
t.add(TCOP(encoding=3, text='Old Copyright'))
t.add(TENC(encoding=3, text='Old Encoder'))
t.add(USLT(encoding=3, lang='eng', desc='', text='old lyrics'))
t.save(sys.argv[1], v2_version=3, v1=2)
)";

// The text of every ID3v2 frame, then the ID3v1 fields as "v1.<field>".
const char* kDump = R"(
import sys
from mutagen.id3 import ID3
t = ID3(sys.argv[1], load_v1=False)
for k in sorted(t.keys()):
    f = t[k]
    v = '|'.join(str(x) for x in f.text) if hasattr(f, 'text') else getattr(f, 'url', repr(f))
    print(k + '=' + v)
data = open(sys.argv[1], 'rb').read()[-128:]
if data[:3] == b'TAG':
    for name, a, b in (('title', 3, 33), ('artist', 33, 63), ('album', 63, 93), ('year', 93, 97),
                       ('comment', 97, 125)):
        print('v1.' + name + '=' + data[a:b].rstrip(b'\0 ').decode('latin-1'))
    print('v1.track=' + (str(data[126]) if data[125] == 0 and data[126] else ''))  # 0: no track
    print('v1.genre=' + str(data[127]))
)";

}  // namespace

TEST(EditorCopyPeer, RenewThenSaveWritesEmptyFields) {
    if (!peer::havePeers()) GTEST_SKIP() << "lame, ffprobe or python3 with mutagen missing";
    Editor e;
    testsupport::TempDir scripts;
    const std::string p = e.lameMp3("renew.mp3");
    auto tagged = peer::python(scripts, kTagIt, {p});
    ASSERT_EQ(tagged.status, 0) << tagged.output;
    auto& f = e.open(p);
    ASSERT_EQ(f.txtTitleV2.text(), "Old Title");
    ASSERT_EQ(f.txtTitle.text(), "Old Title");

    f.Command8.click();
    f.Command2.click();
    ASSERT_EQ(e.shownCount(), 0u) << e.lastMessage().prompt;

    auto dumped = peer::python(scripts, kDump, {p});
    ASSERT_EQ(dumped.status, 0) << dumped.output;
    const auto frames = peer::keyValues(dumped.output);
    for (const char* key : {"TIT2", "TPE1", "TALB", "TYER", "TRCK", "COMM::eng", "TCOM", "TOPE", "TCOP", "TENC",
                            "USLT::eng", "v1.title", "v1.artist", "v1.album", "v1.year", "v1.comment", "v1.track"}) {
        auto it = frames.find(key);
        if (it != frames.end()) {
            EXPECT_EQ(it->second, "") << key;  // empty, or no frame at all
        }
    }
    for (const auto& [key, value] : frames)
        EXPECT_EQ(value.find("Old"), std::string::npos) << key << "=" << value;
    // The genre is not a box Renew empties.
    ASSERT_TRUE(frames.count("v1.genre"));
    EXPECT_EQ(frames.at("v1.genre"), "13");
}
