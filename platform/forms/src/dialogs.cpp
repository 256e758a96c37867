#include "forms/dialogs.hpp"

#include "runtime/app.hpp"

namespace forms {

namespace {
Dialogs*& currentDialogs() {
    static Dialogs* d = nullptr;
    return d;
}
ScriptedDialogs& defaultDialogs() {
    static ScriptedDialogs* d = new ScriptedDialogs;
    return *d;
}
const char* kindText(ScriptedDialogs::Kind k) {
    switch (k) {
        case ScriptedDialogs::Kind::MessageBox: return "message box";
        case ScriptedDialogs::Kind::InputBox: return "input box";
        case ScriptedDialogs::Kind::FileDialog: return "file dialog";
        case ScriptedDialogs::Kind::Folder: return "folder browser";
    }
    return "dialog";
}
}  // namespace

Dialogs& dialogs() {
    Dialogs* d = currentDialogs();
    return d ? *d : defaultDialogs();
}

void setDialogs(Dialogs* d) { currentDialogs() = d; }

int MsgBox(std::string_view prompt, int buttons, std::string_view title) {
    MessageBoxRequest r;
    r.prompt = std::string(prompt);
    r.buttons = buttons;
    r.title = title.empty() ? runtime::App::Title() : std::string(title);
    return dialogs().messageBox(r);
}

std::string InputBox(std::string_view prompt, std::string_view title, std::string_view defaultText) {
    InputBoxRequest r;
    r.prompt = std::string(prompt);
    r.title = title.empty() ? runtime::App::Title() : std::string(title);
    r.defaultText = std::string(defaultText);
    auto answer = dialogs().inputBox(r);
    return answer ? *answer : std::string();
}

void ScriptedDialogs::answerMessageBox(int answer) {
    Queued q;
    q.kind = Kind::MessageBox;
    q.button = answer;
    answers_.push_back(std::move(q));
}
void ScriptedDialogs::answerInputBox(std::optional<std::string> text) {
    Queued q;
    q.kind = Kind::InputBox;
    q.text = std::move(text);
    answers_.push_back(std::move(q));
}
void ScriptedDialogs::answerFileDialog(FileDialogResult result) {
    Queued q;
    q.kind = Kind::FileDialog;
    q.file = std::move(result);
    answers_.push_back(std::move(q));
}
void ScriptedDialogs::answerFolder(std::optional<std::string> folder) {
    Queued q;
    q.kind = Kind::Folder;
    q.text = std::move(folder);
    answers_.push_back(std::move(q));
}

ScriptedDialogs::Queued ScriptedDialogs::next(Kind kind, const std::string& what) {
    if (answers_.empty())
        throw UnexpectedDialog(std::string("unexpected ") + kindText(kind) + " (no answer queued): " + what);
    if (answers_.front().kind != kind)
        throw UnexpectedDialog(std::string("unexpected ") + kindText(kind) + " (the next answer is for a " +
                               kindText(answers_.front().kind) + "): " + what);
    Queued q = std::move(answers_.front());
    answers_.pop_front();
    return q;
}

int ScriptedDialogs::messageBox(const MessageBoxRequest& r) {
    Shown s;
    s.kind = Kind::MessageBox;
    s.message = r;
    shown_.push_back(s);
    return next(Kind::MessageBox, r.prompt).button;
}

std::optional<std::string> ScriptedDialogs::inputBox(const InputBoxRequest& r) {
    Shown s;
    s.kind = Kind::InputBox;
    s.input = r;
    shown_.push_back(s);
    return next(Kind::InputBox, r.prompt).text;
}

FileDialogResult ScriptedDialogs::fileDialog(const FileDialogRequest& r) {
    Shown s;
    s.kind = Kind::FileDialog;
    s.file = r;
    shown_.push_back(s);
    return next(Kind::FileDialog, r.title).file;
}

std::optional<std::string> ScriptedDialogs::browseForFolder(const FolderRequest& r) {
    Shown s;
    s.kind = Kind::Folder;
    s.folder = r;
    shown_.push_back(s);
    return next(Kind::Folder, r.title).text;
}

void ScriptedDialogs::reset() {
    answers_.clear();
    shown_.clear();
}

}  // namespace forms
