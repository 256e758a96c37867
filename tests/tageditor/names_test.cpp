// Tags from file and folder names: the three parses as one table of paths,
// and the popup menu on the field captions.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor_fixture.hpp"

namespace {

using editortest::Editor;

struct Case {
    std::string path;
    std::string title;        // every parse
    std::string folderName;   // "Artist # Title"'s artist, "Parse to Tag"'s album
    std::string aboveFolder;  // "Parse to Tag"'s artist
};

TEST(EditorNames, TheParsesCutThePathIntoTitleAlbumAndArtist) {
    const std::string forty(40, 'n');
    const Case cases[] = {
        {"/Music/Some Artist/Some Album/03 Song.mp3", "03 Song", "Some Album", "Some Artist"},
        {"/song.mp3", "song", "", ""},
        {"/Album/song.mp3", "song", "Album", ""},
        {"//server/share/Artist/Album/x.mp3", "x", "Album", "Artist"},
        {"/m/a.mp", "a.mp", "m", ""},
        {"/m/abc", "abc", "m", ""},
        {"/m/README1", "REA", "m", ""},
        {"", "", "", ""},
        {"song.mp3", "song", "", ""},
        {"/ A /  B /x .mp3", "x ", "  B ", " A "},  // nothing trimmed
        {"/m/" + forty + ".mp3", forty.substr(0, 30), "m", ""},  // the box holds 30
    };
    Editor e;
    auto& f = e.form();
    enum Parse { Title, ArtistTitle, ParseToTag, Menu };
    for (const Case& c : cases)
        for (Parse p : {Title, ArtistTitle, ParseToTag, Menu}) {
            f.Idtag.setValue(1);
            f.Idtag.setValue(0);  // unticked: the ID3v1 boxes off
            ASSERT_FALSE(f.txtTitle.enabled());
            f.txtpath.setText(c.path);
            for (forms::TextBox* t : {&f.txtTitle, &f.txtartist, &f.txtalbum}) t->setText("old");
            switch (p) {
                case Title: f.mnutitle.choose(); break;
                case ArtistTitle: f.mnuartisttitle.choose(); break;
                case ParseToTag: f.Command3.click(); break;
                case Menu: f.mnualbumartisttitle.choose(); break;
            }
            const std::string what = c.path + " parse " + std::to_string(p);
            EXPECT_EQ(f.txtTitle.text(), c.title) << what;
            EXPECT_EQ(f.txtartist.text(), p == Title ? "old" : p == ArtistTitle ? c.folderName : c.aboveFolder)
                << what;
            EXPECT_EQ(f.txtalbum.text(), p == Title || p == ArtistTitle ? "old" : c.folderName) << what;
            EXPECT_EQ(f.Idtag.value(), 1) << what;
            for (forms::Control* b : std::initializer_list<forms::Control*>{&f.txtTitle, &f.txtartist, &f.txtalbum,
                                                                             &f.Combo1, &f.txtYear, &f.txtComments})
                EXPECT_TRUE(b->enabled()) << what << " " << b->name();
        }
    // The box still takes 30 typed characters.
    EXPECT_EQ(f.txtTitle.maxLength(), 30);
    f.txtTitle.userEdited(std::string(35, 't'));
    EXPECT_EQ(f.txtTitle.text(), std::string(30, 't'));
}

TEST(EditorNames, TheRightButtonOnAnyCaptionOrTheWindowPopsUpTheTagMenu) {
    Editor e;
    auto& f = e.form();
    int expected = 0;
    for (int i = 0; i <= 27; ++i) {
        f.lblInfo(i).mouseDown(1, 0, 10, 10);
        EXPECT_EQ(f.popupCount(), expected) << i;
        f.lblInfo(i).mouseDown(2, 0, 10, 10);
        EXPECT_EQ(f.popupCount(), ++expected) << i;
        EXPECT_EQ(f.lastPopupMenu(), &f.mnutag);
    }
    f.mouseDown(1, 0, 100, 100);
    EXPECT_EQ(f.popupCount(), expected);
    f.mouseDown(2, 0, 100, 100);
    EXPECT_EQ(f.popupCount(), expected + 1);
    EXPECT_EQ(f.lastPopupMenu(), &f.mnutag);
}

}  // namespace
