#pragma once
// The clipboard: text, and a list of files as the file managers copy files
// (text/uri-list and x-special/gnome-copied-files).

#include <string>
#include <vector>

namespace forms {

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void clear() = 0;
    virtual void setText(const std::string& text) = 0;
    virtual std::string text() = 0;
    // Replaces the whole contents with the file list in one step; false when
    // the clipboard refused it (the old contents then stay).
    virtual bool setFiles(const std::vector<std::string>& paths) = 0;
    virtual std::vector<std::string> files() = 0;
};

// An in-memory clipboard (headless runs and tests).
class MemoryClipboard : public Clipboard {
public:
    void clear() override;
    void setText(const std::string& text) override;
    std::string text() override { return text_; }
    bool setFiles(const std::vector<std::string>& paths) override;
    std::vector<std::string> files() override { return files_; }
    // The data as the desktop's formats carry it.
    const std::string& uriList() const { return uriList_; }
    const std::string& gnomeCopiedFiles() const { return gnome_; }
    void setRefuse(bool r) { refuse_ = r; }  // tests: the clipboard refuses data

private:
    std::string text_;
    std::vector<std::string> files_;
    std::string uriList_;
    std::string gnome_;
    bool refuse_ = false;
};

Clipboard& clipboard();
void setClipboard(Clipboard* c);  // nullptr restores the in-memory default

// "file://" URI of an absolute path, with every byte outside the unreserved
// set and "/" percent-encoded (UTF-8 names stay exact).
std::string fileUri(const std::string& path);
// text/uri-list: one URI per line, each ended by CR LF.
std::string uriList(const std::vector<std::string>& paths);
// x-special/gnome-copied-files: "copy", then one URI per line.
std::string gnomeCopiedFiles(const std::vector<std::string>& paths);
// The paths of a text/uri-list (comment lines and non-file URIs skipped).
std::vector<std::string> pathsFromUriList(const std::string& list);

}  // namespace forms
