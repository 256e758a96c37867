#include "tageditor/windows.hpp"

#include "forms/application.hpp"
#include "tageditor/Form1.hpp"
#include "tageditor/Form5.hpp"

namespace tageditor {

void TagEditorWindows::setTagEditorPath(const std::string& path) { forms::Get<Form1>().txtpath.setText(path); }
void TagEditorWindows::showTagEditor() { forms::Get<Form1>().show(); }
void TagEditorWindows::startTagEditorTimer() { forms::Get<Form1>().Timer1.setEnabled(true); }
void TagEditorWindows::setTagEditorWindowState(int state) { forms::Get<Form1>().setWindowState(state); }
void TagEditorWindows::unloadTagEditor() { forms::Unload<Form1>(); }
void TagEditorWindows::showRename() { forms::Get<Form5>().show(); }
void TagEditorWindows::unloadRename() { forms::Unload<Form5>(); }

}  // namespace tageditor
