// Tags from file and folder names, and the popup menu on the field captions.
//
// The parses read txtpath as folder of the artist / folder of the album /
// file named after the song, and only fill the boxes; nothing is written
// until the user saves. Nothing is trimmed and the case is kept.

#include "runtime/error.hpp"
#include "runtime/strings.hpp"
#include "tageditor/Form1.hpp"

namespace tageditor {

namespace {

// The part after the last "/" (all of the text when it holds none).
std::string fileNameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The part after the last "/"; empty when the text holds none.
std::string lastPart(const std::string& text) {
    const auto slash = text.rfind('/');
    return slash == std::string::npos ? std::string() : text.substr(slash + 1);
}

// The path without its last "/" and what follows; empty when it holds none.
std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

// The file name without its last four characters (the extension and its
// dot); a name of four characters or fewer whole.
std::string TitleFromFileName(const std::string& path) {
    const std::string n = fileNameOf(path);
    const long len = runtime::Len(n);
    return len > 4 ? runtime::Left(n, len - 4) : n;
}

void Form1::lblInfo_MouseDown(int Index, int Button, int Shift, float X, float Y) {
    (void)Index, (void)Shift, (void)X, (void)Y;
    runtime::Steps step;
    if (Button & 2) step([&] { popupMenu(mnutag); });
}

// The title step every parse begins with: the ID3v1 switch on (its click
// enables the boxes) and the title from the file name. The box keeps at most
// its 30 characters.
static void parseTitle(Form1& f, runtime::Steps& step) {
    step([&] { f.Idtag.setValue(1); });
    step([&] { f.txtTitle.setText(TitleFromFileName(f.txtpath.text())); });
}

void Form1::mnutitle_Click() {
    runtime::Steps step;
    parseTitle(*this, step);
}

void Form1::mnuartisttitle_Click() {
    runtime::Steps step;
    parseTitle(*this, step);
    step([&] { txtartist.setText(lastPart(folderOf(txtpath.text()))); });
}

void Form1::Command3_Click() {
    runtime::Steps step;
    parseTitle(*this, step);
    const std::string f = folderOf(txtpath.text());
    const std::string album = lastPart(f);
    step([&] { Text3.setText(f); });
    step([&] { txtalbum.setText(album); });
    // The folder above the album's: without "/" and the album's name; a
    // folder without "/" loses its last character.
    std::string above;
    if (f.find('/') != std::string::npos)
        above = folderOf(f);
    else if (!f.empty())
        above = runtime::Left(f, runtime::Len(f) - 1);
    step([&] { Text3.setText(above); });
    step([&] { txtartist.setText(lastPart(above)); });
}

void Form1::mnualbumartisttitle_Click() {
    runtime::Steps step;
    step([&] { Command3_Click(); });
}

}  // namespace tageditor
