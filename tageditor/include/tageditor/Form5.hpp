#pragma once
// The rename window: renames the playlist's selected file, which it takes
// from the main window when it loads, to a name made from its ID3v1 title,
// artist and album (or typed), in the same folder and with the same
// extension. A rename that went through moves the playlist entry along.

#include <string>

#include "forms/forms.hpp"

namespace tageditor {

class Form5 : public forms::Form {
public:
    Form5();
    ~Form5() override;

    // ---- the artwork, lowest of all ----
    forms::Image Image1;

    // ---- the new name and how it is made ----
    forms::CheckBox Check1;  // "Show ID": the three tag boxes on or off
    forms::ComboBox Combo2;  // separator, chosen or typed
    forms::TextBox Text4;    // the new name without its extension
    forms::ComboBox Combo3;  // letter case
    forms::ComboBox Combo1;  // name pattern

    // ---- what the file holds (read-only) ----
    forms::TextBox txtTitle;
    forms::TextBox txtartist;
    forms::TextBox txtalbum;
    forms::TextBox Text3;  // full path
    forms::TextBox Text2;  // file name
    forms::TextBox Text1;  // folder, with its final "/"

    // ---- progress and buttons ----
    forms::ProgressBar pr1;
    forms::Label Label3;
    forms::CommandButton Command1;  // OK
    forms::CommandButton Command2;  // Cancel
    forms::Label Label1;            // the note

    forms::Timer Timer1;  // trims trailing blanks off the tag boxes
    forms::Timer Timer2;  // drives the progress after a rename

    // The field captions, 0 to 9.
    forms::ControlArray<forms::Label> lblInfo;

    void Form_Load() override;
    void Form_MouseDown(int Button, int Shift, float X, float Y) override;
    void Combo1_Click();
    void Combo3_Click();
    void Text4_LostFocus();
    void Command1_Click();
    void Command2_Click();
    void Timer1_Timer();
    void Timer2_Timer();
    void Image1_MouseDown(int Button, int Shift, float X, float Y);
    void Check1_Click();

private:
    // Rewrites Text4 in the case Combo3 names (nothing when none is chosen).
    void applyCase();
    // Renames the file; false (with the reason shown) when it did not happen.
    bool renameFile();

    // The playlist index that was selected at load (-1 when none), so that a
    // rename can move that entry along.
    long entryIndex_ = -1;
    // Set once the file has been renamed: OK then does nothing more.
    bool renamed_ = false;
};

}  // namespace tageditor
