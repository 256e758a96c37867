// Copy Info, Copy to 1, Copy from1 and Renew: the clipboard text byte for
// byte, the copies cut to the boxes' limits, and Renew's boxes (the file
// untouched until a save).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor_fixture.hpp"
#include "forms/clipboard.hpp"
#include "runtime/error.hpp"

namespace {

using editortest::Editor;
using editortest::kCrLf;

// The labels of Copy Info's seventeen field lines, in order.
const std::vector<std::string> kLabels = {
    "Title: ",         "Artist: ",    "Album: ",      "Genre: ",    "Year: ",    "Comments: ",
    "Original Artist: ", "Composer: ", "Copyright: ", "Encoded By: ", "Link To: ", "Buy URL: ",
    "Title2: ",        "Artist2: ",   "Album2: ",     "Comment2: ", "Lyrics: ",
};

std::size_t count(const std::string& s, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + what.size())) ++n;
    return n;
}

// A clipboard that refuses every write.
class RefusingClipboard : public forms::MemoryClipboard {
public:
    void clear() override { runtime::raise(521, "Clipboard"); }
    void setText(const std::string&) override { runtime::raise(521, "Clipboard"); }
};

}  // namespace

TEST(EditorCopy, CopyInfoWithEveryBoxEmpty) {
    Editor e;
    auto& f = e.form();
    e.env().clipboard.setText("old");
    f.Command6.click();
    std::string want;
    for (const std::string& l : kLabels) want += l + kCrLf;
    want += "    MPEG info:   " + kCrLf;  // and the empty MPEG information
    const std::string got = e.env().clipboard.text();
    EXPECT_EQ(got, want);
    EXPECT_EQ(count(got, kCrLf), 18u);
    EXPECT_EQ(f.Text1.text(), want);
}

TEST(EditorCopy, CopyInfoByteForByte) {
    Editor e;
    const std::string mp3 = e.mp3("a.mp3");
    editortest::Editor::writeId3v1(mp3, "T1", "A1", 17);
    auto& f = e.open(mp3);
    ASSERT_EQ(f.Combo1.text(), "Rock");
    const std::pair<forms::TextBox*, std::string> values[] = {
        {&f.txtTitle, "Title one"},   {&f.txtartist, "Artist one"},     {&f.txtalbum, "Album one"},
        {&f.txtYear, "1999"},         {&f.txtComments, "a comment"},    {&f.txtOriginalArtist, "Orig"},
        {&f.txtComposer, "Comp"},     {&f.txtCopyright, "(c) me"},      {&f.txtEncodedBy, "enc"},
        {&f.txtLinkTo, "http://l/"},  {&f.txtbuyurl, "http://b/"},      {&f.txtTitleV2, "Title two"},
        {&f.txtArtistV2, "Artist two"}, {&f.txtAlbumV2, "Album two"},   {&f.txtCommentV2, "notes\r\nmore"},
        {&f.txtlyrics, "la la\r\nla\r\n"}, {&f.txtTrack, "7"},          {&f.txtYearV2, "2001"},
        {&f.txtTrackV2, "8"},         {&f.txtaudiourl, "http://audio/"}, {&f.txtartisturl, "http://artist/"},
    };
    for (const auto& [box, text] : values) box->setText(text);
    f.Command6.click();
    const std::string want = "Title: Title one" + kCrLf + "Artist: Artist one" + kCrLf + "Album: Album one" +
                             kCrLf + "Genre: Rock" + kCrLf + "Year: 1999" + kCrLf + "Comments: a comment" + kCrLf +
                             "Original Artist: Orig" + kCrLf + "Composer: Comp" + kCrLf +
                             "Copyright: (c) me" + kCrLf + "Encoded By: enc" + kCrLf + "Link To: http://l/" +
                             kCrLf + "Buy URL: http://b/" + kCrLf + "Title2: Title two" + kCrLf +
                             "Artist2: Artist two" + kCrLf + "Album2: Album two" + kCrLf +
                             "Comment2: notes\r\nmore" + kCrLf + "Lyrics: la la\r\nla\r\n" + kCrLf +
                             "    MPEG info:   " + kCrLf + f.Text2.text();
    EXPECT_FALSE(f.Text2.text().empty());
    EXPECT_EQ(e.env().clipboard.text(), want);
    EXPECT_EQ(f.Text1.text(), want);
    EXPECT_GT(count(want, kCrLf), 18u);  // the multi-line texts keep their own breaks
    // Not in the text: the ID3v1 track, the ID3v2 year and track, the two URLs.
    for (const char* absent : {"2001", "http://audio/", "http://artist/"})
        EXPECT_EQ(want.find(absent), std::string::npos) << absent;
}

TEST(EditorCopy, ARefusingClipboardIsReportedToNoOne) {
    Editor e;
    auto& f = e.form();
    f.txtTitle.setText("kept");
    RefusingClipboard refusing;
    forms::setClipboard(&refusing);
    EXPECT_NO_THROW(f.Command6.click());
    forms::setClipboard(&e.env().clipboard);
    EXPECT_EQ(f.Text1.text().substr(0, 13), "Title: kept" + kCrLf);
    EXPECT_EQ(e.shownCount(), 0u);
}

TEST(EditorCopy, CopyToOneAndFromOneCutToTheLimits) {
    Editor e;
    auto& f = e.form();
    const std::string title40 = "0123456789abcdefghijABCDEFGHIJ0123456789";
    // Thirty characters of two bytes each, and ten more.
    std::string wide;
    for (int i = 0; i < 40; ++i) wide += "\xC3\xA9";
    struct Case {
        forms::TextBox& v2;
        forms::TextBox& v1;
        std::string typed;
        std::string inV1;
    } cases[] = {
        {f.txtTitleV2, f.txtTitle, title40, title40.substr(0, 30)},
        {f.txtArtistV2, f.txtartist, wide, wide.substr(0, 60)},
        {f.txtAlbumV2, f.txtalbum, " Album with blanks ", " Album with blanks "},
        {f.txtCommentV2, f.txtComments, "short", "short"},
        {f.txtTrackV2, f.txtTrack, "12", "12"},
        {f.txtYearV2, f.txtYear, "1999", "1999"},
    };
    f.Combo1.setListIndex(3);
    f.cboGenreV2.setText("Jazz");
    for (Case& c : cases) c.v2.setText(c.typed);
    f.Command7.click();  // Copy to 1
    for (Case& c : cases) {
        EXPECT_EQ(c.v1.text(), c.inV1) << c.v1.name();
        EXPECT_EQ(c.v2.text(), c.typed) << c.v2.name();
    }
    EXPECT_EQ(f.Combo1.listIndex(), 3);  // genres are not copied
    EXPECT_EQ(f.cboGenreV2.text(), "Jazz");

    f.Command9.click();  // Copy from1: what fits comes back as it was, the rest cut
    for (Case& c : cases) EXPECT_EQ(c.v2.text(), c.inV1) << c.v2.name();

    // The other way, the ID3v2 boxes without a limit take the text whole.
    f.txtTitle.setText("ID3v1 title");
    f.Command9.click();
    EXPECT_EQ(f.txtTitleV2.text(), "ID3v1 title");
}

TEST(EditorCopy, RenewEmptiesTheFieldBoxesAndLeavesTheFile) {
    Editor e;
    const std::string mp3 = e.mp3("a.mp3", id3v2test::tag(3, id3v2test::frame23("TIT2", id3v2test::latin1("Song"))));
    editortest::Editor::writeId3v1(mp3, "T1", "A1", 17);
    const std::string bytes = testsupport::readFile(mp3);
    auto& f = e.open(mp3);
    ASSERT_EQ(f.txtTitleV2.text(), "Song");
    std::vector<forms::TextBox*> boxes = {
        &f.txtTrack,    &f.txtTitle,   &f.txtartist,   &f.txtalbum,      &f.txtYear,      &f.txtComments,
        &f.txtOriginalArtist, &f.txtComposer, &f.txtCopyright, &f.txtEncodedBy, &f.txtLinkTo, &f.txtbuyurl,
        &f.txtaudiourl, &f.txtartisturl, &f.txtYearV2, &f.txtTrackV2,  &f.txtTitleV2,   &f.txtArtistV2,
        &f.txtAlbumV2,  &f.txtCommentV2, &f.txtlyrics,
    };
    ASSERT_EQ(boxes.size(), 21u);
    for (forms::TextBox* b : boxes) b->setText("x");
    f.Combo2.setListIndex(2);
    const std::string text2 = f.Text2.text(), genre = f.Combo1.text(), bitrate = f.Label11.caption();
    f.Command8.click();
    for (forms::TextBox* b : boxes) EXPECT_EQ(b->text(), "") << b->name();
    EXPECT_EQ(f.txtpath.text(), mp3);
    EXPECT_EQ(f.Combo1.text(), genre);
    EXPECT_EQ(f.Combo2.listIndex(), 2);
    EXPECT_EQ(f.Text2.text(), text2);
    EXPECT_EQ(f.Label11.caption(), bitrate);
    EXPECT_EQ(testsupport::readFile(mp3), bytes);  // nothing reaches the file before a save
}
