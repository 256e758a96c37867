#pragma once
// The tag editor and rename windows as the main window reaches them.

#include "player/other_windows.hpp"

namespace tageditor {

class TagEditorWindows : public player::TagEditorWindows {
public:
    void setTagEditorPath(const std::string& path) override;
    void showTagEditor() override;
    void startTagEditorTimer() override;
    void setTagEditorWindowState(int state) override;
    void unloadTagEditor() override;
    void showRename() override;
    void unloadRename() override;
};

}  // namespace tageditor
