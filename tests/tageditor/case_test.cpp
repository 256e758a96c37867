// Proper, Lower and Upper over the tag editor's fields: one table over the
// fifteen converted fields and the boxes left alone.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "editor_fixture.hpp"

namespace {

using editortest::Editor;

struct Field {
    const char* name;
    std::function<std::string(tageditor::Form1&)> get;
    std::function<void(tageditor::Form1&, const std::string&)> set;
};

Field box(const char* name, forms::TextBox tageditor::Form1::*member) {
    return {name, [member](tageditor::Form1& f) { return (f.*member).text(); },
            [member](tageditor::Form1& f, const std::string& t) { (f.*member).setText(t); }};
}

struct Row {
    Field field;
    std::string given, proper, lower, upper;
};

std::vector<Row> table() {
    using F = tageditor::Form1;
    auto genreV2 = Field{"cboGenreV2", [](F& f) { return f.cboGenreV2.text(); },
                         [](F& f, const std::string& t) { f.cboGenreV2.userEdited(t); }};
    auto genreV1 = Field{"Combo1", [](F& f) { return f.Combo1.text(); },
                         [](F& f, const std::string& t) { f.Combo1.setText(t); }};
    return {
        {box("txtTitle", &F::txtTitle), "ROCK'N'ROLL HIP-HOP", "Rock'n'roll Hip-hop", "rock'n'roll hip-hop",
         "ROCK'N'ROLL HIP-HOP"},
        {box("txtartist", &F::txtartist), "AC/DC", "Ac/dc", "ac/dc", "AC/DC"},
        {box("txtalbum", &F::txtalbum), "3rd ALBUM", "3rd Album", "3rd album", "3RD ALBUM"},
        {genreV1, "Rock 'n'Roll", "Rock 'n'Roll", "Rock 'n'Roll", "Rock 'n'Roll"},  // the entry as listed
        {box("txtComments", &F::txtComments), "", "", "", ""},
        {box("txtOriginalArtist", &F::txtOriginalArtist), "\u00c9COLE de musique", "\u00c9cole De Musique",
         "\u00e9cole de musique", "\u00c9COLE DE MUSIQUE"},
        {box("txtComposer", &F::txtComposer), "jOHN smith", "John Smith", "john smith", "JOHN SMITH"},
        {box("txtCopyright", &F::txtCopyright), "\u00a9 2004 label", "\u00a9 2004 Label", "\u00a9 2004 label",
         "\u00a9 2004 LABEL"},
        {box("txtEncodedBy", &F::txtEncodedBy), "lame 3.100", "Lame 3.100", "lame 3.100", "LAME 3.100"},
        {box("txtTitleV2", &F::txtTitleV2), "two  words\ttab", "Two  Words\tTab", "two  words\ttab",
         "TWO  WORDS\tTAB"},
        {box("txtArtistV2", &F::txtArtistV2), "mc o'NEIL", "Mc O'neil", "mc o'neil", "MC O'NEIL"},
        {box("txtAlbumV2", &F::txtAlbumV2), "", "", "", ""},
        {genreV2, "my own genre", "My Own Genre", "my own genre", "MY OWN GENRE"},
        {box("txtCommentV2", &F::txtCommentV2), "5great song", "5great Song", "5great song", "5GREAT SONG"},
        {box("txtlyrics", &F::txtlyrics), "la la\r\nLA la", "La La\r\nLa La", "la la\r\nla la", "LA LA\r\nLA LA"},
        // left alone by every button
        {box("txtYear", &F::txtYear), "mCmX", "mCmX", "mCmX", "mCmX"},
        {box("txtTrack", &F::txtTrack), "aB", "aB", "aB", "aB"},
        {box("txtYearV2", &F::txtYearV2), "xY", "xY", "xY", "xY"},
        {box("txtTrackV2", &F::txtTrackV2), "1/A", "1/A", "1/A", "1/A"},
        {box("txtLinkTo", &F::txtLinkTo), "http://Link.example/A", "http://Link.example/A",
         "http://Link.example/A", "http://Link.example/A"},
        {box("txtbuyurl", &F::txtbuyurl), "http://Buy.example/B", "http://Buy.example/B",
         "http://Buy.example/B", "http://Buy.example/B"},
        {box("txtartisturl", &F::txtartisturl), "http://Artist.example/C", "http://Artist.example/C",
         "http://Artist.example/C", "http://Artist.example/C"},
        {box("txtaudiourl", &F::txtaudiourl), "http://Audio.example/D", "http://Audio.example/D",
         "http://Audio.example/D", "http://Audio.example/D"},
        {box("txtpath", &F::txtpath), "/Music/Some Song.MP3", "/Music/Some Song.MP3", "/Music/Some Song.MP3",
         "/Music/Some Song.MP3"},
    };
}

TEST(EditorCase, EachButtonConvertsTheFifteenFieldsAndNothingElse) {
    struct Button {
        const char* name;
        forms::CommandButton tageditor::Form1::*button;
        std::string Row::*expected;
    };
    const Button buttons[] = {
        {"Proper", &tageditor::Form1::Command10, &Row::proper},
        {"Lower", &tageditor::Form1::Command11, &Row::lower},
        {"Upper", &tageditor::Form1::Command12, &Row::upper},
    };
    for (const Button& b : buttons) {
        Editor e;
        auto& f = e.form();
        EXPECT_EQ((f.*b.button).caption(), b.name);
        f.Combo2.chooseItem(2);
        const std::vector<Row> rows = table();
        for (const Row& r : rows) r.field.set(f, r.given);
        const long genreEntry = f.Combo1.listIndex();
        (f.*b.button).click();
        for (const Row& r : rows) EXPECT_EQ(r.field.get(f), r.*b.expected) << b.name << " " << r.field.name;
        EXPECT_EQ(f.Combo1.listIndex(), genreEntry) << b.name;
        EXPECT_EQ(f.Combo2.listIndex(), 2) << b.name;
        // A second press changes nothing more.
        (f.*b.button).click();
        for (const Row& r : rows) EXPECT_EQ(r.field.get(f), r.*b.expected) << b.name << " twice " << r.field.name;
    }
}

TEST(EditorCase, AGenreListWithoutASelectionStaysWithout) {
    Editor e;
    auto& f = e.form();
    ASSERT_EQ(f.Combo1.listIndex(), -1);
    for (forms::CommandButton* b : {&f.Command10, &f.Command11, &f.Command12}) {
        b->click();
        EXPECT_EQ(f.Combo1.listIndex(), -1) << b->caption();
        EXPECT_EQ(f.Combo1.text(), "");
    }
    // A chosen entry stays chosen and spelled as listed.
    f.Combo1.setText("pop / folk");
    ASSERT_GE(f.Combo1.listIndex(), 0);
    const long entry = f.Combo1.listIndex();
    const std::string listed = f.Combo1.text();
    for (forms::CommandButton* b : {&f.Command10, &f.Command11, &f.Command12}) {
        b->click();
        EXPECT_EQ(f.Combo1.listIndex(), entry) << b->caption();
        EXPECT_EQ(f.Combo1.text(), listed);
    }
}

}  // namespace
