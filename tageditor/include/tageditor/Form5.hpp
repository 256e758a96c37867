#pragma once
// The rename window: renames the playlist's selected file, which it takes
// from the main window when it loads.

#include "forms/forms.hpp"

namespace tageditor {

class Form5 : public forms::Form {
public:
    Form5();
    ~Form5() override;

    // ---- the file to rename: full path, file name, folder ----
    forms::TextBox Text3;
    forms::TextBox Text2;
    forms::TextBox Text1;

    void Form_Load() override;
};

}  // namespace tageditor
