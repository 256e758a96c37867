#pragma once
// The options window: a side bar of seven entries that switch between six
// pages (main player, opacity, file types, help, about, contact links), the
// start-fade and file-type boxes kept in the program folder's settings, Done
// (save, register the ticked file types, a progress bar, then close) and
// Cancel (close without saving).

#include <string>

#include "forms/forms.hpp"

namespace options {

class frmTestControls : public forms::Form {
public:
    frmTestControls();
    ~frmTestControls() override;

    // ---- background and side bar ----
    forms::Image Image1;
    forms::Label Label6, Label3, Label4, Label5, Label7, Label10, Label11;
    // ---- pages: main player, file types, contact, about, help, opacity ----
    forms::PictureBox Picture1, Picture2, Picture3, Picture4, Picture5, Picture7;
    // Picture1: main player
    forms::Label Label13;
    forms::CheckBox Fade;
    forms::Label Label12;
    forms::CheckBox smooth;
    forms::Label Label30;
    // Picture2: associated file types
    forms::Label Label15;
    forms::CheckBox Mp3;
    forms::Label Label14;
    forms::CheckBox Wma;
    forms::Label Label16;
    forms::CheckBox Wav;
    forms::Label Label17;
    forms::CheckBox Mid;
    forms::Label Label18;
    forms::CheckBox RM;
    forms::Label Label19;
    forms::CheckBox M3u;
    forms::Label Label25;
    // Picture3: contact links
    forms::Label Label24, Label22, Label21, Label20, Label23;
    // Picture4: about (product, version, copyright)
    forms::Label Label26, Label27, Label28;
    // Picture5: help (keys and actions)
    forms::Label Label32, Label31, Label33;
    // Picture7: opacity
    forms::Label Label38, Label34;
    forms::TextBox Opacitytext;
    forms::CommandButton Command5;
    // ---- below the pages ----
    forms::CommandButton Command2;  // "Cancel"
    forms::ProgressBar p1;
    forms::CommandButton Command3;  // Done
    forms::Timer Timer1;

    void Form_Load() override;
    void Form_Resize() override;
    void Form_KeyDown(int& KeyCode, int Shift) override;

    void Label6_Click();
    void Label3_Click();
    void Label4_Click();
    void Label5_Click();
    void Label7_Click();
    void Label10_Click();
    void Label11_Click();
    void Label12_Click();
    void Command3_Click();
    void Timer1_Timer();
    void Command2_Click();
    void Command5_Click();
    void Label20_Click();
    void Label21_Click();
    void Label22_Click();
    void Label23_Click();
    void Image1_MouseMove(int Button, int Shift, float X, float Y);

    // The file-type name and the open command Done registers.
    static constexpr const char* FileTypeName = "Korvane Media Files";
    static std::string OpenCommand();
    // The help columns: keys, and actions.
    static std::string HelpKeys();
    static std::string HelpActions();

private:
    // Marks the entry bold and shows its page (none: the shown page stays).
    void sideBar(forms::Label& entry, forms::PictureBox* page);
    bool dressed_ = false;  // the pictures are set (on the first show)
};

}  // namespace options
