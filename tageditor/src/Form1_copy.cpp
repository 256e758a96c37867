// Copy Info, Copy to 1, Copy from1 and Renew: they work on the boxes only;
// the file changes when the user saves.

#include "tageditor/Form1.hpp"

#include "forms/clipboard.hpp"
#include "runtime/error.hpp"

namespace tageditor {

namespace {

const std::string kCrLf = "\r\n";

}  // namespace

// Copy Info: the fields and the MPEG information as one plain text, kept in
// Text1 and put on the clipboard.
void Form1::Command6_Click() {
    runtime::Steps step;
    std::string info;
    step([&] {
        const std::pair<const char*, const forms::Control*> lines[] = {
            {"Title: ", &txtTitle},
            {"Artist: ", &txtartist},
            {"Album: ", &txtalbum},
            {"Genre: ", &Combo1},
            {"Year: ", &txtYear},
            {"Comments: ", &txtComments},
            {"Original Artist: ", &txtOriginalArtist},
            {"Composer: ", &txtComposer},
            {"Copyright: ", &txtCopyright},
            {"Encoded By: ", &txtEncodedBy},
            {"Link To: ", &txtLinkTo},
            {"Buy URL: ", &txtbuyurl},
            {"Title2: ", &txtTitleV2},
            {"Artist2: ", &txtArtistV2},
            {"Album2: ", &txtAlbumV2},
            {"Comment2: ", &txtCommentV2},
            {"Lyrics: ", &txtlyrics},
        };
        for (const auto& [label, box] : lines) {
            info += label;
            if (box == &Combo1)
                info += Combo1.text();
            else
                info += static_cast<const forms::TextBox*>(box)->text();
            info += kCrLf;
        }
        info += "    MPEG info:   " + kCrLf + Text2.text();
    });
    step([&] { Text1.setText(info); });
    // A clipboard that refuses the text is not reported; Text1 keeps it.
    step([&] { forms::clipboard().clear(); });
    step([&] { forms::clipboard().setText(Text1.text()); });
}

namespace {

// The six fields both tags have, ID3v1 box first; a box with a length limit
// keeps the first characters of a longer text.
template <typename F>
void eachCommonField(Form1& f, F copy) {
    runtime::Steps step;
    const std::pair<forms::TextBox*, forms::TextBox*> pairs[] = {
        {&f.txtTitle, &f.txtTitleV2},       {&f.txtartist, &f.txtArtistV2}, {&f.txtalbum, &f.txtAlbumV2},
        {&f.txtComments, &f.txtCommentV2}, {&f.txtTrack, &f.txtTrackV2},   {&f.txtYear, &f.txtYearV2},
    };
    for (const auto& pair : pairs) step([&] { copy(*pair.first, *pair.second); });
}

}  // namespace

// Copy to 1: the ID3v2 texts into the ID3v1 boxes.
void Form1::Command7_Click() {
    eachCommonField(*this, [](forms::TextBox& v1, forms::TextBox& v2) { v1.setText(v2.text()); });
}

// Copy from1: the ID3v1 texts into the ID3v2 boxes.
void Form1::Command9_Click() {
    eachCommonField(*this, [](forms::TextBox& v1, forms::TextBox& v2) { v2.setText(v1.text()); });
}

// Renew: every field box empty; the path, the genre and rating lists, the
// MPEG information and the file stay.
void Form1::Command8_Click() {
    runtime::Steps step;
    for (forms::TextBox* t : {&txtTrack,          &txtTitle,    &txtartist,    &txtalbum,     &txtYear,
                              &txtComments,       &txtOriginalArtist, &txtComposer, &txtCopyright, &txtEncodedBy,
                              &txtLinkTo,         &txtbuyurl,   &txtaudiourl,  &txtartisturl, &txtYearV2,
                              &txtTrackV2,        &txtTitleV2,  &txtArtistV2,  &txtAlbumV2,   &txtCommentV2,
                              &txtlyrics})
        step([&] { t->setText(""); });
}

}  // namespace tageditor
