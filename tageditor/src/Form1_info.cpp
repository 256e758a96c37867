// File information and attributes: the rows of the information panel and the
// three attribute boxes.

#include "tageditor/Form1.hpp"

#include "runtime/app.hpp"
#include "runtime/error.hpp"
#include "runtime/filesystem.hpp"
#include "runtime/format.hpp"
#include "system/file_info.hpp"

namespace tageditor {

namespace {

const std::string kCrLf = "\r\n";

// The bits a box may change; the others (folder, volume) are never written.
constexpr int kWritable = runtime::vbReadOnly | runtime::vbHidden | runtime::vbSystem | runtime::vbArchive;

}  // namespace

// Fills the panel's rows for the file in txtpath. The first failing step ends
// it (no file loaded, or one that is gone): what is not reached keeps its text.
void Form1::LoadInfo() {
    const sys::FileInfo file = sys::GetFile(txtpath.text());
    Text6.setCaption(runtime::GeneralDate(file.modified));
    // Where the file system keeps no creation time the row stays empty.
    Text7.setCaption(file.created ? runtime::GeneralDate(*file.created) : std::string());
    Text8.setCaption(runtime::GeneralDate(file.accessed));
    Text9.setCaption(file.type);
    Text12.setCaption(std::to_string(file.size));
    showAttributes(file.attributes);
}

void Form1::refreshInfo() {
    try {
        LoadInfo();
    } catch (const runtime::Error&) {
        // Nothing of an earlier file stays beside the new path.
        for (forms::Label* row : {&Text6, &Text7, &Text8, &Text9, &Text12}) row->setCaption("");
        showAttributes(0);
    }
}

// The boxes show the file's bits, each box its own. Setting a box raises its
// Click, which must not write the file back.
void Form1::showAttributes(int attributes) {
    const bool before = showingAttributes_;
    showingAttributes_ = true;
    try {
        Read.setValue((attributes & runtime::vbReadOnly) ? 1 : 0);
        Hidden.setValue((attributes & runtime::vbHidden) ? 1 : 0);
        Archive.setValue((attributes & runtime::vbArchive) ? 1 : 0);
    } catch (...) {
        showingAttributes_ = before;
        throw;
    }
    showingAttributes_ = before;
}

// A click on an attribute box: that one bit of the file is set or cleared and
// the others stay. Afterwards the boxes show what the file holds; a write
// that failed, or a bit the file could not keep, is reported with the file's
// name.
void Form1::writeAttribute(forms::CheckBox& box, int bit, const std::string& name) {
    if (showingAttributes_) return;
    const std::string path = txtpath.text();
    const bool wanted = box.value() == 1;
    std::string failure;
    if (path.empty()) {
        failure = "No file is loaded.";
    } else {
        try {
            const int held = runtime::GetAttr(path);
            if (held & runtime::vbDirectory) runtime::raise(runtime::err::PathFileAccessError, "Form1");
            const int next = wanted ? ((held | bit) & kWritable) : (held & ~bit & kWritable);
            runtime::SetAttr(path, next);
            const bool kept = ((runtime::GetAttr(path) & bit) != 0) == wanted;
            if (!kept) {
                if (bit == runtime::vbHidden && !wanted)
                    failure = "Its name starts with \".\", and such a file is always hidden.";
                else if (bit == runtime::vbReadOnly)
                    failure = "The file system did not take the change.";
                else
                    failure = "Its file system keeps no extended attributes, where this attribute is stored.";
            }
        } catch (const runtime::Error& e) {
            failure = e.description();
        }
    }
    bool shown = false;
    if (!path.empty()) {
        try {
            showAttributes(runtime::GetAttr(path));
            shown = true;
        } catch (const runtime::Error&) {
            // the file is gone: the click is taken back below
        }
    }
    if (!shown) {
        showingAttributes_ = true;
        try {
            box.setValue(wanted ? 0 : 1);
        } catch (const runtime::Error&) {
        }
        showingAttributes_ = false;
    }
    if (failure.empty()) return;
    const std::string text = path.empty()
                                 ? "No file is loaded: the " + name + " attribute was not changed."
                                 : "The " + name + " attribute of '" + path + "' was not changed." + kCrLf + kCrLf +
                                       failure;
    try {
        forms::MsgBox(text, forms::vbExclamation, runtime::App::Title());
    } catch (const runtime::Error&) {
    }
}

void Form1::Read_Click() { writeAttribute(Read, runtime::vbReadOnly, "Read Only"); }
void Form1::Hidden_Click() { writeAttribute(Hidden, runtime::vbHidden, "Hidden"); }
void Form1::Archive_Click() { writeAttribute(Archive, runtime::vbArchive, "Archive"); }

}  // namespace tageditor
