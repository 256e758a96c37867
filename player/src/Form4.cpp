// The Info Bar window, and the two pieces of the main window that belong to
// it: pic, which refills it for the playing file, and the "Info Bar" toggle.

#include "player/Form4.hpp"

#include <cmath>
#include <cstdint>
#include <string>

#include "forms/application.hpp"
#include "metadata/csplaymodul.hpp"
#include "metadata/module7.hpp"
#include "player/Form2.hpp"
#include "player/os_helpers.hpp"
#include "runtime/app.hpp"
#include "runtime/convert.hpp"
#include "runtime/error.hpp"
#include "runtime/settings.hpp"
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
    // It floats beside the main window and takes no keys: shown at the start
    // or by F7, it leaves the keyboard with the main window.
    setShowWithoutActivating(true);
    setClientSize(4650, 780);

    // The background picture, 310 x 53 pixels: one row more than the window shows.
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

namespace {
constexpr const char* kSettings = "Settings";
}  // namespace

// ---- position ----

void Form4::Form_Load() {
    runtime::Steps step;
    const std::string title = runtime::App::Title();
    step([&] { setLeft(runtime::CSng(runtime::GetSetting(title, kSettings, "MainLeft", "1000"))); });
    step([&] { setTop(runtime::CSng(runtime::GetSetting(title, kSettings, "MainTop", "1000"))); });
    // A position saved on a larger screen, or wholly off this one, would leave
    // the Info Bar where nobody can reach it.
    const bool reachable = left() + width() > 0 && top() + height() > 0 && left() < forms::Screen::Width() &&
                           top() < forms::Screen::Height();
    if (!reachable) step([&] { move(1000, 1000); });
}

void Form4::Form_Unload(int&) {
    runtime::Steps step;
    const std::string title = runtime::App::Title();
    step([&] { runtime::SaveSetting(title, kSettings, "MainLeft", runtime::CStr(left())); });
    step([&] { runtime::SaveSetting(title, kSettings, "MainTop", runtime::CStr(top())); });
}

// ---- dragging by the background and the time labels, left button only ----

namespace {
void dragBy(forms::Form& f, int Button) {
    if (Button != forms::vbLeftButton) return;
    runtime::Steps step;
    step([&] { f.beginSystemMove(); });
}
}  // namespace

void Form4::Form_MouseDown(int Button, int, float, float) { dragBy(*this, Button); }
void Form4::Image3_MouseDown(int Button, int, float, float) { dragBy(*this, Button); }
void Form4::Label1_MouseDown(int Button, int, float, float) { dragBy(*this, Button); }
void Form4::Label4_MouseDown(int Button, int, float, float) { dragBy(*this, Button); }

// ---- half-transparency when idle ----

void Form4::Timer1_Timer() {
    runtime::Steps step;
    step([&] { SetWindowAlpha(hWnd(), 128); });
    step([&] { Timer1.setEnabled(false); });
}

void Form4::Image3_MouseMove(int, int, float, float) {
    Timer1.setEnabled(false);
    SetWindowAlpha(hWnd(), 255);
    Timer1.setEnabled(true);
}

// ---- time labels ----

void Form4::Timer2_Timer() {
    runtime::Steps step;
    auto* main = forms::IfLoaded<Form2>();
    if (!main) return;
    media::MediaPlayer& control = main->MediaPlayer1;

    // One reading of the control per tick: the tick runs every millisecond,
    // and each question walks the media pipeline, so the remaining time and
    // the first-ten-seconds test use the same position.
    double D = 0, position = 0;
    bool known = false;
    step([&] { D = control.duration(); });
    step([&] {
        position = control.currentPosition();
        known = true;
    });
    // The remaining time rounds to the nearest second; the minutes drop the rest.
    std::int32_t P = 0, M = 0, S = 0;
    step([&] { P = runtime::CLng(position); });
    step([&] {
        const double R = D - P;
        M = runtime::CLng(R) / 60;
        S = runtime::CLng(R - 60.0 * M);
    });
    step([&] { Label4.setCaption(" Remain " + runtime::CStr(M) + " : " + runtime::CStr(S)); });

    // The total, truncated, only during a track's first ten seconds.
    if (!known || std::trunc(position / 60) != 0 || !(std::trunc(position) < 10)) return;
    step([&] {
        const double TM = std::trunc(D / 60);
        const double TS = std::trunc(D) - 60 * TM;
        const std::string minutes = runtime::CStr(runtime::CLng(TM));
        const std::string seconds = runtime::CStr(runtime::CLng(TS));
        Label1.setCaption("Time: " + minutes + (TS < 10 ? ":0" : ":") + seconds);
    });
}

// ---- rotation of the track labels ----

void Form4::Timer3_Timer() {
    if (Title.visible()) {
        Title.setVisible(false);
        Artist.setVisible(true);
        Album.setVisible(false);
    } else if (Artist.visible()) {
        Title.setVisible(false);
        Artist.setVisible(false);
        Album.setVisible(true);
    } else if (Album.visible()) {
        Title.setVisible(true);
        Artist.setVisible(false);
        Album.setVisible(false);
    }
}

// ---- on the main window ----

void Form2::pic() {
    // No guard of its own: a failure goes to the caller's step.
    Form4& bar = forms::Get<Form4>();
    bar.Timer1.setEnabled(false);
    SetWindowAlpha(bar.hWnd(), 255);
    bar.Title.setCaption("Title: Untitled");
    bar.Artist.setCaption("Artist: Unknown");
    bar.Album.setCaption("Album: Unknown");
    const std::string path = MediaPlayer1.fileName();
    metadata::Id3v1Record record;
    if (metadata::CSPlaymodul::ReadId3v1Record(path, record)) {
        // The fields as they stand in the file: padding blanks and NULs included.
        bar.Title.setCaption("Title: " + record.Title);
        bar.Artist.setCaption("Artist: " + record.Artist);
        bar.Album.setCaption("Album: " + record.Album);
        const metadata::MpegInfo info = metadata::Module7::GetMpegInfo(path);
        bar.Bitrate.setCaption("Bitrate: " + runtime::CStr(info.Bitrate) + " Kbps " + runtime::CStr(info.SampleRate) +
                               " Hz");
        bar.Timer1.setEnabled(true);
    } else {
        // No figures of the previous track stay behind for a file without a record.
        bar.Bitrate.setCaption("Bitrate");
    }
}

void Form2::mnumarquee_Click() {
    runtime::Steps step;
    bool shown = false;
    step([&] { shown = forms::Get<Form4>().visible(); });
    if (!shown) {
        step([] { forms::Get<Form4>().show(); });
        step([&] { pic(); });
        step([&] { mnumarquee.setChecked(true); });
    } else {
        step([] { forms::Get<Form4>().hide(); });
        step([&] { mnumarquee.setChecked(false); });
    }
}

}  // namespace player
