#pragma once
// The options window: a side bar of pages, the start-fade and file-type
// boxes kept in the program folder's settings.

#include "forms/forms.hpp"

namespace options {

class frmTestControls : public forms::Form {
public:
    frmTestControls();
    ~frmTestControls() override;

    // ---- side-bar labels that mark the current page ----
    forms::Label Label6, Label7, Label10;
    // ---- pages: main player, file types, contact, about, help, opacity ----
    forms::PictureBox Picture1, Picture2, Picture3, Picture4, Picture5, Picture7;
    // ---- the boxes kept in the settings ----
    forms::CheckBox Fade, Mp3, Wma, Wav, Mid, RM, M3u;

    void Form_Load() override;
};

}  // namespace options
