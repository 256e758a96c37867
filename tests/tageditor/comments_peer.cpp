// The comment and lyrics boxes against mutagen: files holding comment and
// lyrics frames of other languages and descriptions (iTunes' iTunNORM and
// the like, a second language, this program's own "\0nt" frame) are loaded,
// rated or edited and saved twice; mutagen then reads every COMM and USLT
// frame. The boxes stand for one frame each, the first without a
// description, and show its text alone; every other frame stays byte for byte.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "editor_fixture.hpp"

namespace {

using editortest::Editor;
using id3v2test::frame23;

// Every COMM and USLT frame as mutagen reads it: identifier, language,
// description and text, each as Python writes it out.
const char* kDump = R"(
import sys
from mutagen.id3 import ID3
t = ID3(sys.argv[1])
for f in t.getall('COMM') + t.getall('USLT'):
    text = '|'.join(f.text) if f.FrameID == 'COMM' else f.text
    print(f.FrameID, repr(f.lang), repr(f.desc), repr(text))
)";

std::vector<std::string> mutagenLines(const testsupport::TempDir& dir, const std::string& path) {
    auto r = peer::python(dir, kDump, {path});
    EXPECT_EQ(r.status, 0) << r.output;
    std::vector<std::string> lines;
    std::istringstream in(r.output);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
}

// A COMM or USLT frame body: encoding, language, description, text.
std::string langBody(int encoding, std::string_view lang, std::string_view desc, std::string_view text) {
    std::string out(1, static_cast<char>(encoding));
    out += lang;
    if (encoding == 0) return out + std::string(desc) + '\0' + std::string(text);
    auto utf16 = [](std::string_view ascii) {
        std::string s = "\xFF\xFE";
        for (char c : ascii) s += std::string{c, '\0'};
        return s;
    };
    return out + utf16(desc) + std::string(2, '\0') + utf16(text);
}

struct Frame {
    std::string id, body;
    bool kept;  // must come back byte for byte
};
Frame comm(std::string_view lang, std::string_view desc, std::string_view text, bool kept, int encoding = 0) {
    return {"COMM", langBody(encoding, lang, desc, text), kept};
}
Frame uslt(std::string_view lang, std::string_view desc, std::string_view text, bool kept, int encoding = 0) {
    return {"USLT", langBody(encoding, lang, desc, text), kept};
}

struct Case {
    const char* name;
    std::vector<Frame> frames;
    std::string comment, lyrics;  // the boxes after the load
    long rating;
    std::function<void(tageditor::Form1&)> edit;
    std::vector<std::string> after;  // mutagen's lines after the save, sorted
    std::string reloadedComment;
    long reloadedRating;
};

TEST(EditorCommentsPeer, EachBoxStandsForOneFrameAndEveryOtherFrameIsKept) {
    if (!peer::havePeers()) GTEST_SKIP() << "lame, ffprobe or python3 with mutagen missing";
    auto rate = [](long r) { return [r](tageditor::Form1& f) { f.Combo2.setListIndex(r); }; };
    auto type = [](std::string text) { return [text](tageditor::Form1& f) { f.txtCommentV2.setText(text); }; };
    const std::string nt("\0nt", 3), nuls(3, '\0');
    const Case cases[] = {
        {"another language, rated",
         {comm("deu", "", "Hallo Welt", false), uslt("deu", "", "Liedtext", true)},
         "Hallo Welt", "Liedtext", -1, rate(3),
         {"COMM 'deu' '' '3Hallo Welt'", "USLT 'deu' '' 'Liedtext'"}, "Hallo Welt", 3},
        {"another language, lyrics edited",
         {comm("fra", "", "Bonjour", true), uslt("fra", "", "Paroles", false)},
         "Bonjour", "Paroles", -1, [](tageditor::Form1& f) { f.txtlyrics.setText("Paroles neuves"); },
         {"COMM 'fra' '' 'Bonjour'", "USLT 'fra' '' 'Paroles neuves'"}, "Bonjour", -1},
        {"a language of three NULs",
         {comm(nuls, "", "sans langue", false)}, "sans langue", "", -1, type("edited"),
         {"COMM '\\x00\\x00\\x00' '' 'edited'"}, "edited", -1},
        {"a language XXX, untouched",
         {comm("XXX", "", "xxx note", true)}, "xxx note", "", -1,
         [](tageditor::Form1& f) { f.txtTitleV2.setText("other box"); },
         {"COMM 'XXX' '' 'xxx note'"}, "xxx note", -1},
        {"this program's own frame beginning with nt",
         {comm(nt, "", "ntfs notes", false)}, "ntfs notes", "", -1, rate(4),
         {"COMM '\\x00nt' '' '4ntfs notes'"}, "ntfs notes", 4},
        {"the iTunes frames beside the comment",
         {comm("eng", "iTunNORM", " 00000A2B 00000A2B 00001F5C 00001F5C", true),
          comm("eng", "", "Real comment", false, 1),
          comm("eng", "iTunSMPB", " 00000000 00000210 000007E8", true, 1), comm("eng", "iTunPGAP", "0", true)},
         "Real comment", "", -1, rate(3),
         {"COMM 'eng' '' '3Real comment'", "COMM 'eng' 'iTunNORM' ' 00000A2B 00000A2B 00001F5C 00001F5C'",
          "COMM 'eng' 'iTunPGAP' '0'", "COMM 'eng' 'iTunSMPB' ' 00000000 00000210 000007E8'"},
         "Real comment", 3},
        {"two languages: the first is the box's",
         {comm("eng", "", "English words", false), comm("deu", "", "Deutsche Worte", true)},
         "English words", "", -1, type("Other words"),
         {"COMM 'deu' '' 'Deutsche Worte'", "COMM 'eng' '' 'Other words'"}, "Other words", -1},
        {"english notes typed into a file without a comment", {}, "", "", -1, type("english notes"),
         {"COMM '\\x00nt' '' 'english notes'"}, "english notes", -1},
        {"a rating digit before eng",
         {comm("eng", "", "2english", false)}, "english", "", 2, type("english too"),
         {"COMM 'eng' '' '2english too'"}, "english too", 2},
        {"a digit typed without a rating is read as one",
         {}, "", "", -1, type("5 stars"), {"COMM '\\x00nt' '' '5 stars'"}, " stars", 5},
        {"emptied boxes remove their frames only",
         {comm("eng", "iTunNORM", " 0000012C", true), comm("eng", "", "remove me", false),
          uslt("eng", "", "old words", false), uslt("eng", "Verse", "not the box's", true)},
         "remove me", "old words", -1,
         [](tageditor::Form1& f) {
             f.txtCommentV2.setText("");
             f.txtlyrics.setText("");
         },
         {"COMM 'eng' 'iTunNORM' ' 0000012C'", "USLT 'eng' 'Verse' \"not the box's\""}, "", -1},
        {"lyrics beside lyrics with a description",
         {uslt("eng", "Verse", "not the box's", true, 1), uslt("eng", "", "ours", false, 1)}, "", "ours", -1,
         [](tageditor::Form1& f) { f.txtlyrics.setText("mine"); },
         {"USLT 'eng' '' 'mine'", "USLT 'eng' 'Verse' \"not the box's\""}, "", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Editor e;
        testsupport::TempDir scripts;
        std::string frames = frame23("TIT2", id3v2test::latin1("Song"));
        for (const Frame& fr : c.frames) frames += frame23(fr.id, fr.body);
        const std::string p = e.mp3("c.mp3", id3v2test::tag(3, frames, 64));

        auto& f = e.open(p);
        EXPECT_EQ(f.txtCommentV2.text(), c.comment);
        EXPECT_EQ(f.txtlyrics.text(), c.lyrics);
        EXPECT_EQ(f.Combo2.listIndex(), c.rating);
        c.edit(f);
        f.Command2.click();
        ASSERT_EQ(e.shownCount(), 0u) << e.lastMessage().prompt;
        EXPECT_EQ(mutagenLines(scripts, p), c.after);
        const std::string saved = testsupport::readFile(p);
        for (const Frame& fr : c.frames) {
            if (!fr.kept) continue;
            bool found = false;
            for (int i = 1; !found && id3v2test::frameBody(saved, fr.id, i) != "<none>"; ++i)
                found = id3v2test::frameBody(saved, fr.id, i) == fr.body;
            EXPECT_TRUE(found) << fr.id << " not kept byte for byte";
        }

        // Loaded again, the box shows what was saved; a second save of
        // another box changes none of the frames.
        e.reload(p);
        EXPECT_EQ(f.txtCommentV2.text(), c.reloadedComment);
        EXPECT_EQ(f.Combo2.listIndex(), c.reloadedRating);
        f.txtArtistV2.setText("second save");
        f.Command2.click();
        ASSERT_EQ(e.shownCount(), 0u) << e.lastMessage().prompt;
        EXPECT_EQ(mutagenLines(scripts, p), c.after);
    }
}

}  // namespace
