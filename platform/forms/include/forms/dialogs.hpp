#pragma once
// Message boxes, input boxes, open/save dialogs and the folder browser go
// through one Dialogs interface: Qt dialogs on screen, a scripted queue of
// answers in tests (an unexpected dialog fails the test instead of hanging it).

#include <cstdint>
#include <deque>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace forms {

// MsgBox buttons and icons (added together), and the answers.
inline constexpr int vbOKOnly = 0;
inline constexpr int vbOKCancel = 1;
inline constexpr int vbAbortRetryIgnore = 2;
inline constexpr int vbYesNoCancel = 3;
inline constexpr int vbYesNo = 4;
inline constexpr int vbRetryCancel = 5;
inline constexpr int vbCritical = 16;
inline constexpr int vbQuestion = 32;
inline constexpr int vbExclamation = 48;
inline constexpr int vbInformation = 64;
inline constexpr int vbDefaultButton2 = 256;
inline constexpr int vbOK = 1;
inline constexpr int vbCancel = 2;
inline constexpr int vbAbort = 3;
inline constexpr int vbRetry = 4;
inline constexpr int vbIgnore = 5;
inline constexpr int vbYes = 6;
inline constexpr int vbNo = 7;

struct MessageBoxRequest {
    std::string prompt;
    int buttons = vbOKOnly;  // buttons + icon + default button
    std::string title;
};

struct InputBoxRequest {
    std::string prompt;
    std::string title;
    std::string defaultText;
};

struct FileFilter {
    std::string description;  // "MP3 Files (*.MP3)"
    std::string patterns;     // "*.MP3" or "*.Mp3; *.Wav" (";" separated)
};

struct FileDialogRequest {
    bool save = false;
    std::string title;
    std::string initialDir;
    std::string fileName;
    std::string defaultExt;  // without the dot
    std::vector<FileFilter> filters;
    int filterIndex = 1;     // 1-based
    bool multiSelect = false;
    bool fileMustExist = false;
    bool overwritePrompt = false;
    bool readOnlyChecked = false;
    bool hideReadOnly = false;
    std::int32_t owner = 0;  // window handle, 0 none
};

struct FileDialogResult {
    bool accepted = false;
    std::vector<std::string> paths;  // full paths of the chosen files
    int filterIndex = 1;
    bool readOnlyChecked = false;
};

struct FolderRequest {
    std::string title;
    std::int32_t owner = 0;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual int messageBox(const MessageBoxRequest& r) = 0;  // vbOK, vbYes ...
    // nullopt: Cancel.
    virtual std::optional<std::string> inputBox(const InputBoxRequest& r) = 0;
    virtual FileDialogResult fileDialog(const FileDialogRequest& r) = 0;
    // The chosen folder's full path; nullopt: Cancel.
    virtual std::optional<std::string> browseForFolder(const FolderRequest& r) = 0;
};

// The dialogs of the running program (scripted with no answers until a
// backend or a test sets others).
Dialogs& dialogs();
void setDialogs(Dialogs* d);  // nullptr restores the default

// The original's MsgBox; an empty title is the application's title.
int MsgBox(std::string_view prompt, int buttons = vbOKOnly, std::string_view title = {});
// The original's InputBox: "" on Cancel.
std::string InputBox(std::string_view prompt, std::string_view title = {}, std::string_view defaultText = {});

// Thrown by ScriptedDialogs when a dialog comes that no answer was queued for.
class UnexpectedDialog : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

class ScriptedDialogs : public Dialogs {
public:
    enum class Kind { MessageBox, InputBox, FileDialog, Folder };
    struct Shown {
        Kind kind;
        MessageBoxRequest message;
        InputBoxRequest input;
        FileDialogRequest file;
        FolderRequest folder;
    };

    void answerMessageBox(int answer);
    void answerInputBox(std::optional<std::string> text);
    void answerFileDialog(FileDialogResult result);
    void answerFolder(std::optional<std::string> folder);

    int messageBox(const MessageBoxRequest& r) override;
    std::optional<std::string> inputBox(const InputBoxRequest& r) override;
    FileDialogResult fileDialog(const FileDialogRequest& r) override;
    std::optional<std::string> browseForFolder(const FolderRequest& r) override;

    const std::vector<Shown>& shown() const { return shown_; }
    std::size_t pending() const { return answers_.size(); }
    void reset();

private:
    struct Queued {
        Kind kind;
        int button = 0;
        std::optional<std::string> text;
        FileDialogResult file;
    };
    Queued next(Kind kind, const std::string& what);
    std::deque<Queued> answers_;
    std::vector<Shown> shown_;
};

}  // namespace forms
