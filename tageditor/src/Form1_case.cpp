// Upper, Lower and Proper over the text fields: fifteen boxes of both tags,
// never the numbers, web addresses, the path or the rating.

#include "runtime/error.hpp"
#include "runtime/strings.hpp"
#include "tageditor/Form1.hpp"

namespace tageditor {

namespace {

using Conversion = std::string (*)(std::string_view);

// Converts each field in turn; a field that cannot take its new text is
// skipped. The ID3v1 genre list selects the entry equal to the converted
// text without regard to case (the one it showed, as listed); the ID3v2
// genre box takes the converted text as it is.
void convertFields(Form1& f, Conversion convert) {
    runtime::Steps step;
    auto box = [&](forms::TextBox& t) { step([&] { t.setText(convert(t.text())); }); };
    auto list = [&](forms::ComboBox& c) { step([&] { c.setText(convert(c.text())); }); };
    box(f.txtTitle);
    box(f.txtartist);
    box(f.txtalbum);
    list(f.Combo1);
    box(f.txtComments);
    box(f.txtOriginalArtist);
    box(f.txtComposer);
    box(f.txtCopyright);
    box(f.txtEncodedBy);
    box(f.txtTitleV2);
    box(f.txtArtistV2);
    box(f.txtAlbumV2);
    list(f.cboGenreV2);
    box(f.txtCommentV2);
    box(f.txtlyrics);
}

}  // namespace

void Form1::Command10_Click() { convertFields(*this, runtime::ProperCase); }
void Form1::Command11_Click() { convertFields(*this, runtime::LCase); }
void Form1::Command12_Click() { convertFields(*this, runtime::UCase); }

}  // namespace tageditor
