// The Info Bar window, and the two pieces of the main window that belong to
// it: pic, which refills it for the playing file, and the "Info Bar" toggle.

#include "player/Form4.hpp"

#include "player/Form2.hpp"
#include "skin_pictures.hpp"

namespace player {

Form4::Form4()
    : forms::Form("Form4"),
      Image3(*this, "Image3"),
      Title(*this, "Title"),
      Artist(*this, "Artist"),
      Album(*this, "Album"),
      Text1(*this, "Text1"),
      Label1(*this, "Label1"),
      Label4(*this, "Label4"),
      Bitrate(*this, "Bitrate"),
      Timer1(*this, "Timer1"),
      Timer2(*this, "Timer2"),
      Timer3(*this, "Timer3") {
    setBorderStyle(forms::BorderStyle::None);
    setShowInTaskbar(false);
    setClientSize(4650, 780);

    // The background picture (310 x 53 pixels) goes here once it is drawn.
    Image3.setRectTwips(0, 0, 4650, 795);
    Image3.setPicture(SkinPicture(kInfoBarPicture));

    forms::Font track;
    track.name = "MS Sans Serif";
    track.size = 9.75f;
    track.bold = true;
    for (forms::Label* l : {&Title, &Artist, &Album}) {
        l->setRectTwips(120, 90, 4455, 255);
        l->setBackStyle(0);
        l->setFont(track);
        l->setForeColor(forms::vbButtonText);
    }
    Title.setCaption("Title");
    Artist.setCaption("Artist");
    Artist.setVisible(false);
    Album.setCaption("Album");
    Album.setVisible(false);

    const forms::Colour white = forms::RGB(255, 255, 255);
    Text1.setRectTwips(1200, 225, 2655, 255);
    Text1.setCaption("Korvane Media Player ");
    Label1.setRectTwips(120, 555, 1320, 255);
    Label1.setCaption("More Info");
    Label4.setRectTwips(1080, 555, 1440, 255);
    Label4.setCaption("More Info");
    Bitrate.setRectTwips(2400, 555, 2775, 255);
    Bitrate.setCaption("Bitrate");
    for (forms::Label* l : {&Text1, &Label1, &Label4, &Bitrate}) {
        l->setBackStyle(0);
        l->setForeColor(white);
    }

    Timer1.setInterval(5000);
    Timer1.setEnabled(false);
    Timer2.setInterval(1);
    Timer3.setInterval(5000);

    using MouseHandler = void (Form4::*)(int, int, float, float);
    auto mouse = [this](MouseHandler h) {
        return [this, h](int b, int s, float x, float y) { (this->*h)(b, s, x, y); };
    };
    Image3.MouseDown = mouse(&Form4::Image3_MouseDown);
    Image3.MouseMove = mouse(&Form4::Image3_MouseMove);
    Label1.MouseDown = mouse(&Form4::Label1_MouseDown);
    Label4.MouseDown = mouse(&Form4::Label4_MouseDown);
    Timer1.Tick = [this] { Timer1_Timer(); };
    Timer2.Tick = [this] { Timer2_Timer(); };
    Timer3.Tick = [this] { Timer3_Timer(); };
}

Form4::~Form4() = default;

void Form4::Form_Load() {}
void Form4::Form_Unload(int&) {}
void Form4::Form_MouseDown(int, int, float, float) {}
void Form4::Image3_MouseDown(int, int, float, float) {}
void Form4::Image3_MouseMove(int, int, float, float) {}
void Form4::Label1_MouseDown(int, int, float, float) {}
void Form4::Label4_MouseDown(int, int, float, float) {}
void Form4::Timer1_Timer() {}
void Form4::Timer2_Timer() {}
void Form4::Timer3_Timer() {}

// ---- on the main window ----

void Form2::pic() {}

void Form2::mnumarquee_Click() {}

}  // namespace player
