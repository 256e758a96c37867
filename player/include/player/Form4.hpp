#pragma once
// The Info Bar: a small borderless window beside the main window showing the
// playing track's title, artist and album in turn, its bitrate and times. It
// dims itself when idle and keeps its position between runs.

#include "forms/forms.hpp"

namespace player {

// The Info Bar's background picture beside the program.
inline constexpr const char* kInfoBarPicture = "infobar.gif";

class Form4 : public forms::Form {
public:
    Form4();
    ~Form4() override;

    // ---- background picture: hover and drag area ----
    forms::Image Image3;
    // ---- the rotating track labels, sharing one rectangle ----
    forms::Label Title, Artist, Album;
    // ---- fixed caption, times and stream details ----
    forms::Label Text1;
    forms::Label Label1;   // total time
    forms::Label Label4;   // time remaining
    forms::Label Bitrate;
    // ---- dimming delay, time labels, label rotation ----
    forms::Timer Timer1, Timer2, Timer3;

    // ---- handlers ----
    void Form_Load() override;
    void Form_Unload(int& Cancel) override;
    void Form_MouseDown(int Button, int Shift, float X, float Y) override;
    void Image3_MouseDown(int Button, int Shift, float X, float Y);
    void Image3_MouseMove(int Button, int Shift, float X, float Y);
    void Label1_MouseDown(int Button, int Shift, float X, float Y);
    void Label4_MouseDown(int Button, int Shift, float X, float Y);
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();
};

}  // namespace player
