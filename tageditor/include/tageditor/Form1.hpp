#pragma once
// The tag editor window: edits the tags of the one file named in txtpath,
// which its one-shot timer loads after the main window switches it on.

#include "forms/forms.hpp"

namespace tageditor {

class Form1 : public forms::Form {
public:
    Form1();
    ~Form1() override;

    // ---- the file the editor works on, and its one-shot loader ----
    forms::TextBox txtpath;
    forms::Timer Timer1;

    void Form_Load() override;
    void Timer1_Timer();
};

}  // namespace tageditor
