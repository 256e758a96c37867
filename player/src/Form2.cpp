// The main window's construction: design values, positions and the wiring of
// every event to its handler. The handlers live in the Form2_*.cpp files.

#include "player/Form2.hpp"

#include "player/media_factory.hpp"
#include "runtime/app.hpp"
#include "skin_pictures.hpp"

namespace player {

namespace {

using forms::Shortcut;
using forms::ctrlKey;
using forms::fKey;

constexpr float kTwips = 15.0f;

// A control on the skin, in pixels of the client area.
void place(forms::Control& c, int x, int y, int w, int h) {
    c.setRectTwips(x * kTwips, y * kTwips, w * kTwips, h * kTwips);
}

// Controls the user never sees stand in a column right of the client area.
class HiddenColumn {
public:
    void put(forms::Control& c, float w = 1200, float h = 300) {
        c.setRectTwips(left_, top_, w, h);
        top_ += h + 30;
        if (top_ > 7000) top_ = 0, left_ += 1500;
    }

private:
    float left_ = 4800;
    float top_ = 0;
};

}  // namespace

Form2::Form2()
    : forms::Form("Form2"),
      mediaPlayer_(MakeMediaPlayer()),
      MediaPlayer1(*mediaPlayer_),
      Label1(*this, "Label1"),
      Image13(*this, "Image13"),
      Image3(*this, "Image3"),
      Image4(*this, "Image4"),
      List2(*this, "List2"),
      List1(*this, "List1"),
      lstFiles(*this, "lstFiles"),
      Timer3(*this, "Timer3"),
      tmrNotice(*this, "tmrNotice"),
      tmrStepOn(*this, "tmrStepOn"),
      Text1(*this, "Text1"),
      Image6(*this, "Image6"), Image1(*this, "Image1"),
      Image2(*this, "Image2"), Image5(*this, "Image5"),
      Image8(*this, "Image8"), Image7(*this, "Image7"),
      pause1(*this, "pause1"), Image9(*this, "Image9"),
      Image12(*this, "Image12"), Image11(*this, "Image11"),
      Image16(*this, "Image16"), Image17(*this, "Image17"),
      Timer1(*this, "Timer1"),
      Image14(*this, "Image14"), Image15(*this, "Image15"),
      Vol1(*this, "Vol1"), Vol5(*this, "Vol5"), Vol2(*this, "Vol2"), Vol6(*this, "Vol6"),
      Vol3(*this, "Vol3"), Vol7(*this, "Vol7"), Vol4(*this, "Vol4"), Vol8(*this, "Vol8"),
      Vol9(*this, "Vol9"), Vol10(*this, "Vol10"),
      B1(*this, "B1"), B2(*this, "B2"), B3(*this, "B3"), B4(*this, "B4"), B5(*this, "B5"), B6(*this, "B6"),
      Mute1(*this, "Mute1"), Mute2(*this, "Mute2"),
      Timer5(*this, "Timer5"),
      Label3(*this, "Label3"),
      Label20(*this, "Label20"),
      Label14(*this, "Label14"),
      Label12(*this, "Label12"),
      Label15(*this, "Label15"),
      labela(*this, "labela"),
      Slider1(*this, "Slider1"), Slider2(*this, "Slider2"), Slider3(*this, "Slider3"),
      Label4(*this, "Label4"),
      Label2(*this, "Label2"),
      Check1(*this, "Check1"), Check2(*this, "Check2"), Check3(*this, "Check3"), Check4(*this, "Check4"),
      Option1(*this, "Option1"), Option2(*this, "Option2"), Option3(*this, "Option3"),
      Label6(*this, "Label6"), Label7(*this, "Label7"), Label8(*this, "Label8"), Label9(*this, "Label9"),
      Label10(*this, "Label10"), Label11(*this, "Label11"),
      Command1(*this, "Command1"), Command2(*this, "Command2"), Command6(*this, "Command6"),
      Command8(*this, "Command8"),
      Open(*this, "Open"), Stop(*this, "Stop"), next(*this, "next"),
      Command3(*this, "Command3"),
      Command11(*this, "Command11"), Command12(*this, "Command12"), Command13(*this, "Command13"),
      Command14(*this, "Command14"), Command15(*this, "Command15"), Command16(*this, "Command16"),
      txtStartDir(*this, "txtStartDir"),
      txtPattern(*this, "txtPattern"),
      lblNumFiles(*this, "lblNumFiles"),
      cmdSearch(*this, "cmdSearch"),
      Command20(*this, "Command20"),
      CD1(*this, "CD1"),
      CommonDialog1(*this, "CommonDialog1"),
      Text2(*this, "Text2"),
      File1(*this, "File1"),
      Text4(*this, "Text4"),
      mnupopup(*this, "mnupopup", "mnupopup"),
      mnufile(mnupopup, "mnufile", "File"),
      mnuadd(mnufile, "mnuadd", "Add"),
      mnucopy(mnufile, "mnucopy", "Copy"),
      mnuclipboard(mnucopy, "mnuclipboard", "Copy Track"),
      mnufolder(mnucopy, "mnufolder", "To Folder"),
      mnutrackpath(mnucopy, "mnutrackpath", "Track Path"),
      mnudelete1(mnufile, "mnudelete1", "Delete"),
      mnudelete(mnudelete1, "mnudelete", "Delete"),
      mnudeletetrack(mnudelete1, "mnudeletetrack", "Delete Track"),
      mnuopenmain(mnufile, "mnuopenmain", "Open"),
      mnuopentrack(mnuopenmain, "mnuopentrack", "Open Track"),
      mnuopenurl(mnuopenmain, "mnuopenurl", "Open URL"),
      mnurename(mnufile, "mnurename", "Rename"),
      mnurun(mnufile, "mnurun", "Run"),
      mnuruntrack(mnurun, "mnuruntrack", "Run Track"),
      mnucontain(mnurun, "mnucontain", "Containing Folder"),
      mnuplaylist(mnufile, "mnuplaylist", "Play List"),
      mnusaveplaylist(mnuplaylist, "mnusaveplaylist", "Save"),
      mnuplaylistload(mnuplaylist, "mnuplaylistload", "Load"),
      mnusearch(mnufile, "mnusearch", "Search"),
      mnufavorites(mnupopup, "mnufavorites", "Favorites"),
      mnuaddtofavorites(mnufavorites, "mnuaddtofavorites", "Add To Favorites"),
      mnuadd1(mnuaddtofavorites, "mnuadd1", "1"),
      mnuadd2(mnuaddtofavorites, "mnuadd2", "2"),
      mnuadd3(mnuaddtofavorites, "mnuadd3", "3"),
      mnuadd4(mnuaddtofavorites, "mnuadd4", "4"),
      mnuadd5(mnuaddtofavorites, "mnuadd5", "5"),
      mnusepfav2(mnufavorites, "mnusepfav2", "-"),
      mnuremovefavorites(mnufavorites, "mnuremovefavorites", "Remove Favorites"),
      mnuremove1(mnuremovefavorites, "mnuremove1", "1"),
      mnuremove2(mnuremovefavorites, "mnuremove2", "2"),
      mnuremove3(mnuremovefavorites, "mnuremove3", "3"),
      mnuremove4(mnuremovefavorites, "mnuremove4", "4"),
      mnuremove5(mnuremovefavorites, "mnuremove5", "5"),
      mnusepfav3(mnufavorites, "mnusepfav3", "-"),
      mnu1(mnufavorites, "mnu1", "1"),
      mnu2(mnufavorites, "mnu2", "2"),
      mnu3(mnufavorites, "mnu3", "3"),
      mnu4(mnufavorites, "mnu4", "4"),
      mnu5(mnufavorites, "mnu5", "5"),
      mnuplaystatus(mnupopup, "mnuplaystatus", "Play Mode"),
      mnupopupplay(mnuplaystatus, "mnupopupplay", "&Play"),
      mnupopupstop(mnuplaystatus, "mnupopupstop", "&Stop"),
      mnusep5(mnuplaystatus, "mnusep5", "-"),
      mnupopupfarward(mnuplaystatus, "mnupopupfarward", "Farward"),
      mnupopuprewind(mnuplaystatus, "mnupopuprewind", "Rewind"),
      mnupopuppause(mnuplaystatus, "mnupopuppause", "&Pause     Space"),
      mnupopupresume(mnuplaystatus, "mnupopupresume", "&Resume"),
      mnuplaystatussep(mnuplaystatus, "mnuplaystatussep", "-"),
      mnupopupnext(mnuplaystatus, "mnupopupnext", "&Next"),
      mnupopupprevious(mnuplaystatus, "mnupopupprevious", "&Previous"),
      mnusepert(mnuplaystatus, "mnusepert", "-"),
      mnuuplist(mnuplaystatus, "mnuuplist", "Up List"),
      mnurepeat(mnuplaystatus, "mnurepeat", "Repeat"),
      mnuplayaftercurrent(mnuplaystatus, "mnuplayaftercurrent", "Play After Current"),
      mnuturnoff(mnuplaystatus, "mnuturnoff", "Off After Track"),
      mnushufle(mnuplaystatus, "mnushufle", "Shufle"),
      mnuspe4(mnupopup, "mnuspe4", "-"),
      mnusongs(mnupopup, "mnusongs", "Songs"),
      mnuLevel1(mnusongs, "mnuLevel1", {0}),
      mnutag(mnupopup, "mnutag", "Tag Info"),
      mnupopuptag(mnutag, "mnupopuptag", "Selected "),
      mnuplayingtag(mnutag, "mnuplayingtag", "Playing "),
      mnusep(mnupopup, "mnusep", "-"),
      mnupopupspeed(mnupopup, "mnupopupspeed", "&Speed"),
      mnupopup25(mnupopupspeed, "mnupopup25", "-25"),
      mnupopup50(mnupopupspeed, "mnupopup50", "-50"),
      mnupopup75(mnupopupspeed, "mnupopup75", "-75"),
      mnusep7(mnupopupspeed, "mnusep7", "-"),
      mnupopup100(mnupopupspeed, "mnupopup100", "100"),
      mnusep6(mnupopupspeed, "mnusep6", "-"),
      mnupopup125(mnupopupspeed, "mnupopup125", "+125"),
      mnupopup150(mnupopupspeed, "mnupopup150", "+150"),
      mnupopup200(mnupopupspeed, "mnupopup200", "+200"),
      mnupopupvolume(mnupopup, "mnupopupvolume", "Volume"),
      mnupopupoptionsmute(mnupopupvolume, "mnupopupoptionsmute", "&Mute"),
      mnupopupvolumeinc(mnupopupvolume, "mnupopupvolumeinc", "Increase  +"),
      mnupopupvolumedec(mnupopupvolume, "mnupopupvolumedec", "Decrease  -"),
      mnusepvol(mnupopupvolume, "mnusepvol", "-"),
      mnupopubalanceleft(mnupopupvolume, "mnupopubalanceleft", "Balance Left"),
      mnupopupbalancecenter(mnupopupvolume, "mnupopupbalancecenter", "Balance Center"),
      mnupopupbalanceright(mnupopupvolume, "mnupopupbalanceright", "Balance Right"),
      mnuwindow(mnupopup, "mnuwindow", "Options"),
      mnusettings(mnuwindow, "mnusettings", "Settings"),
      mnualwaysontop(mnuwindow, "mnualwaysontop", "Always on Top"),
      mnumainplayer(mnualwaysontop, "mnumainplayer", "Main Player"),
      mnuscrollinfoontop(mnualwaysontop, "mnuscrollinfoontop", "Info Bar"),
      mnupopupcd(mnuwindow, "mnupopupcd", "&CD Door"),
      mnupopupeject(mnupopupcd, "mnupopupeject", "&Eject"),
      mnupopupclose(mnupopupcd, "mnupopupclose", "&Close"),
      mnumakedefault(mnuwindow, "mnumakedefault", "Make Default"),
      mnuOpacity(mnuwindow, "mnuOpacity", "Opacity"),
      mnuPercent(mnuOpacity, "mnuPercent", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}),
      mnumarquee(mnuwindow, "mnumarquee", "Info Bar"),
      mnumedialibrary(mnupopup, "mnumedialibrary", "Online Media "),
      mnusonghaul1(mnumedialibrary, "mnusonghaul1", "Songhaul1"),
      mnusonghaul2(mnumedialibrary, "mnusonghaul2", "Songhaul2"),
      mnusonghaul3(mnumedialibrary, "mnusonghaul3", "Songhaul3"),
      mnusep1(mnupopup, "mnusep1", "-"),
      mnupopupoptions(mnupopup, "mnupopupoptions", "Help"),
      mnupopupreadme(mnupopupoptions, "mnupopupreadme", "Help"),
      mnupopupabout(mnupopupoptions, "mnupopupabout", "&About"),
      mnumail(mnupopupoptions, "mnumail", "Email Me"),
      mnuhomepage(mnupopupoptions, "mnuhomepage", "Home Page"),
      mnusongrequest(mnupopupoptions, "mnusongrequest", "Song Request"),
      mnucontactme(mnupopupoptions, "mnucontactme", "Contact Us"),
      mnubugreport(mnupopupoptions, "mnubugreport", "Bug Report"),
      mnusepexe(mnupopup, "mnusepexe", "-"),
      mnuexit(mnupopup, "mnuexit", "Exit") {
    // ---- the window: sizing frame, title and menu bar, all cut away by the skin ----
    setCaption(kWindowTitle);
    setBorderStyle(forms::BorderStyle::Sizable);
    setClientSize(4080, 7290);
    move(1000, 1000);
    setIcon(SkinPicture("icon.png"));
    setOleDropMode(1);

    // ---- chrome ----
    place(Label1, 16, 6, 200, 18);
    Label1.setCaption(kWindowTitle);
    Label1.setBackStyle(0);
    Label1.setForeColor(forms::RGB(232, 238, 246));
    Label1.setFontBold(true);
    Image13.setRectTwips(470, 6320, 540, 510);
    Image13.setPicture(SkinPicture("close.png"));
    Image3.setRectTwips(470, 6320, 540, 510);
    Image4.setRectTwips(3480, 0, 255, 375);

    // ---- playlist ----
    place(List2, 14, 36, 244, 250);
    List2.setSorted(true);
    List2.setOleDropMode(1);
    List2.setBackColor(forms::RGB(163, 165, 172));
    HiddenColumn hidden;
    // The two lists in step with the paths are state the user never sees;
    // not shown at all, the window system does not lay out their lines.
    hidden.put(List1, 2400, 1200);
    List1.setVisible(false);
    hidden.put(lstFiles, 2400, 1200);
    lstFiles.setVisible(false);
    Timer3.setInterval(1);
    Timer3.setEnabled(false);
    tmrNotice.setInterval(5000);
    tmrNotice.setEnabled(false);
    tmrStepOn.setInterval(1);
    tmrStepOn.setEnabled(false);

    // ---- search box ----
    place(Text1, 14, 292, 244, 20);
    Text1.setText("Search Track");
    Text1.setToolTipText("Type the Name of Song and then Press(Enter)");
    Text1.setBackColor(forms::RGB(163, 165, 172));

    // ---- transport: click areas and their pressed pictures ----
    struct Spot {
        forms::Image* pressed;
        forms::Image* area;
        const char* picture;
        float left;
    };
    const Spot spots[] = {
        {&Image6, &Image1, "pressed_prev.png", 480},  {&Image2, &Image5, "pressed_play.png", 960},
        {&Image8, &Image7, "pressed_next.png", 1440}, {&pause1, &Image9, "paused.png", 1920},
        {&Image12, &Image11, "pressed_open.png", 2400}, {&Image16, &Image17, "pressed_folder.png", 2880},
    };
    for (const Spot& s : spots) {
        s.pressed->setRectTwips(s.left, 5520, 450, 435);
        s.pressed->setPicture(SkinPicture(s.picture));
        s.pressed->setVisible(false);
        s.area->setRectTwips(s.left, 5520, 450, 435);
    }
    Timer1.setInterval(500);

    // ---- repeat pair ----
    Image14.setRectTwips(120, 4920, 960, 210);
    Image14.setPicture(SkinPicture("repeat_off.png"));
    Image15.setRectTwips(120, 4920, 960, 210);
    Image15.setPicture(SkinPicture("repeat_on.png"));

    // ---- meter, balance lights, mute ----
    forms::Picture unlit = SkinPicture("light_off.png");
    forms::Picture lit = SkinPicture("light_on.png");
    forms::Image* meter[5][2] = {{&Vol1, &Vol5}, {&Vol2, &Vol6}, {&Vol3, &Vol7}, {&Vol4, &Vol8}, {&Vol9, &Vol10}};
    for (int i = 0; i < 5; ++i) {
        float left = 240.0f + 240.0f * i;
        meter[i][0]->setRectTwips(left, 5160, 195, 210);
        meter[i][0]->setPicture(unlit);
        meter[i][1]->setRectTwips(left, 5160, 195, 210);
        meter[i][1]->setPicture(lit);
    }
    forms::Image* lights[3][2] = {{&B2, &B1}, {&B4, &B3}, {&B6, &B5}};
    for (int i = 0; i < 3; ++i) {
        float left = 1800.0f + 240.0f * i;
        lights[i][0]->setRectTwips(left, 5160, 195, 210);
        lights[i][0]->setPicture(unlit);
        lights[i][1]->setRectTwips(left, 5160, 195, 210);
        lights[i][1]->setPicture(lit);
    }
    Mute1.setRectTwips(1200, 4920, 720, 210);
    Mute1.setPicture(SkinPicture("mute_off.png"));
    Mute2.setRectTwips(1200, 4920, 720, 210);
    Mute2.setPicture(SkinPicture("mute_on.png"));
    Timer5.setInterval(1);
    // Of each stacked pair, the design shows one lit meter segment, the lit
    // centre light, sound on and Repeat off.
    for (forms::Image* top : {&Vol5, &Vol2, &Vol3, &Vol4, &Vol9, &B2, &B3, &B6, &Mute1, &Image14}) top->zOrder(0);

    // ---- labels over the skin ----
    for (forms::Label* l : {&Label20, &Label3, &Label14}) {
        l->setBackStyle(0);
        l->setForeColor(forms::RGB(214, 224, 238));
        l->setAlignment(2);
    }
    place(Label20, 84, 432, 52, 18);
    Label20.setCaption("Menu");
    place(Label3, 140, 432, 64, 18);
    Label3.setCaption("Favorites");
    place(Label14, 208, 432, 48, 18);
    Label14.setCaption("Tag");
    hidden.put(Label12);
    Label12.setCaption("Tray");
    hidden.put(Label15);
    Label15.setCaption("Start directory");
    hidden.put(labela);
    labela.setCaption("labela");

    // ---- rockers ----
    for (forms::Slider* s : {&Slider1, &Slider2, &Slider3}) {
        hidden.put(*s, 1200, 450);
        s->setMin(1);
        s->setMax(3);
        s->setValue(2);
    }

    // ---- state holders ----
    hidden.put(Label4);
    Label4.setCaption("CurLabel4");
    hidden.put(Label2);
    Label2.setCaption("TotLabel2");
    hidden.put(Check1);
    Check1.setCaption("Repeat");
    hidden.put(Check2);
    Check2.setCaption("Turn off");
    hidden.put(Check3);
    Check3.setCaption("Shufle");
    hidden.put(Check4);
    Check4.setCaption("Up");
    Option1.setRectTwips(9000, 0, 495, 255);
    Option1.setCaption("R");
    Option2.setRectTwips(9000, 300, 495, 255);
    Option2.setCaption("C");
    Option3.setRectTwips(9120, 600, 495, 255);
    Option3.setCaption("L");

    const std::pair<forms::Label*, const char*> operations[] = {
        {&Label6, "Open"}, {&Label7, "Play"}, {&Label8, "Pause"}, {&Label9, "Next"}, {&Label10, "Prev"}, {&Label11, ""}};
    for (auto& [label, caption] : operations) {
        hidden.put(*label);
        label->setCaption(caption);
    }

    // ---- hidden buttons ----
    const std::pair<forms::CommandButton*, const char*> buttons[] = {
        {&Command1, "&Mute"}, {&Command2, "Pl&ay"}, {&Command6, "&Next"}, {&Command8, "&Prev"},
        {&Open, "&Open"},     {&Stop, "&Stop"},     {&next, "Command3"}, {&Command3, "Command3"}};
    for (auto& [button, caption] : buttons) {
        hidden.put(*button);
        button->setCaption(caption);
    }
    const std::pair<forms::CommandButton*, const char*> pictureButtons[] = {
        {&Command11, "cmd_next.png"},  {&Command12, "cmd_prev.png"}, {&Command13, "cmd_play.png"},
        {&Command14, "cmd_pause.png"}, {&Command15, "cmd_stop.png"}, {&Command16, "cmd_open.png"}};
    for (auto& [button, picture] : pictureButtons) {
        hidden.put(*button, 450, 450);
        button->setStyle(1);
        button->setPicture(SkinPicture(picture));
    }

    // ---- adding files ----
    hidden.put(txtStartDir);
    txtStartDir.setText("e:\\test\\");
    hidden.put(txtPattern);
    txtPattern.setText("*.mp3");
    hidden.put(lblNumFiles);
    lblNumFiles.setCaption("0 Files, 0 K");
    hidden.put(cmdSearch);
    cmdSearch.setCaption("Search");
    hidden.put(Command20);
    Command20.setCaption("Command20");

    // ---- folder boxes ----
    hidden.put(Text2);
    Text2.setText("Text2");
    hidden.put(File1, 1200, 900);
    hidden.put(Text4);
    Text4.setText("Text4");
    Text4.setBackColor(forms::RGB(163, 165, 172));

    // ---- menu shortcuts and design items ----
    mnuadd.setShortcut(fKey(5));
    mnuclipboard.setShortcut(ctrlKey('C'));
    mnudelete.setShortcut(Shortcut{forms::vbKeyDelete, 0});
    mnudeletetrack.setShortcut(Shortcut{forms::vbKeyDelete, forms::vbShiftMask});
    mnuopentrack.setShortcut(fKey(6));
    mnurename.setShortcut(ctrlKey('R'));
    mnusearch.setShortcut(fKey(3));
    mnupopupnext.setShortcut(ctrlKey('N'));
    mnupopupprevious.setShortcut(ctrlKey('P'));
    mnuLevel1(0).setCaption("Songs");
    mnupopuptag.setShortcut(fKey(4));
    mnupopupoptionsmute.setShortcut(ctrlKey('M'));
    mnupopupeject.setShortcut(fKey(1, forms::vbShiftMask | forms::vbCtrlMask));
    mnupopupclose.setShortcut(fKey(2, forms::vbShiftMask | forms::vbCtrlMask));
    for (int i = 1; i <= 10; ++i) mnuPercent(i).setCaption(std::to_string(i * 10) + "%");
    mnumarquee.setShortcut(fKey(7));
    mnusonghaul1.setShortcut(fKey(1, forms::vbCtrlMask));
    mnusonghaul2.setShortcut(fKey(2, forms::vbCtrlMask));
    mnusonghaul3.setShortcut(fKey(3, forms::vbCtrlMask));
    mnupopupreadme.setShortcut(fKey(1));
    mnupopupabout.setShortcut(fKey(2));
    mnumail.setShortcut(ctrlKey('E'));
    mnuhomepage.setShortcut(Shortcut{forms::vbKeyBack, forms::vbAltMask});
    mnuexit.setShortcut(fKey(8));

    // State holders and controls run only by code are not shown at all (the
    // buttons with access keys, the picture buttons, Command20 and the rockers
    // stay: the keyboard reaches them).
    for (forms::Control* c : std::initializer_list<forms::Control*>{
             &Label12, &Label15, &labela, &Label4, &Label2, &Check1, &Check2, &Check3, &Check4, &Option1, &Option2,
             &Option3, &Label6, &Label7, &Label8, &Label9, &Label10, &Label11, &Command3, &txtStartDir, &txtPattern,
             &lblNumFiles, &cmdSearch, &Text2, &File1, &Text4})
        c->setVisible(false);

    wireEvents();
}

Form2::~Form2() {
    MediaPlayer1.setEndOfStreamHandler(nullptr);
    MediaPlayer1.setErrorHandler(nullptr);
}

void Form2::wireEvents() {
    using MouseHandler = void (Form2::*)(int, int, float, float);
    auto mouse = [this](MouseHandler h) {
        return [this, h](int b, int s, float x, float y) { (this->*h)(b, s, x, y); };
    };

    // ---- media control ----
    MediaPlayer1.setEndOfStreamHandler(
        [this](std::int32_t result) { forms::Dispatch(this, [this, result] { MediaPlayer1_EndOfStream(result); }); });
    MediaPlayer1.setErrorHandler(
        [this](const std::string& reason) { forms::Dispatch(this, [this, reason] { MediaPlayer1_Error(reason); }); });
    tmrNotice.Tick = [this] { tmrNotice_Timer(); };
    tmrStepOn.Tick = [this] { tmrStepOn_Timer(); };

    // ---- chrome ----
    Image3.Click = [this] { Image3_Click(); };
    Image3.MouseDown = mouse(&Form2::Image3_MouseDown);
    Image3.MouseUp = mouse(&Form2::Image3_MouseUp);
    Image4.Click = [this] { Image4_Click(); };
    Image13.Click = [this] { Image13_Click(); };
    Label1.MouseDown = mouse(&Form2::Label1_MouseDown);
    Label3.MouseDown = mouse(&Form2::Label3_MouseDown);
    Label20.MouseUp = mouse(&Form2::Label20_MouseUp);

    // ---- playlist ----
    Timer3.Tick = [this] { Timer3_Timer(); };
    List2.Click = [this] { List2_Click(); };
    List2.DblClick = [this] { List2_DblClick(); };
    List2.GotFocus = [this] { List2_GotFocus(); };
    List2.KeyDown = [this](int& k, int s) { List2_KeyDown(k, s); };
    List2.MouseDown = mouse(&Form2::List2_MouseDown);
    List2.OLEDragDrop = [this](forms::DataObject& d, int& e, int b, int s, float x, float y) {
        List2_OLEDragDrop(d, e, b, s, x, y);
    };
    List1.Click = [this] { List1_Click(); };

    // ---- search box ----
    Text1.Change = [this] { Text1_Change(); };
    Text1.Click = [this] { Text1_Click(); };
    Text1.GotFocus = [this] { Text1_GotFocus(); };
    Text1.LostFocus = [this] { Text1_LostFocus(); };
    Text1.KeyPress = [this](int& k) { Text1_KeyPress(k); };

    // ---- transport ----
    Image1.Click = [this] { Image1_Click(); };
    Image1.MouseDown = mouse(&Form2::Image1_MouseDown);
    Image1.MouseUp = mouse(&Form2::Image1_MouseUp);
    Image5.Click = [this] { Image5_Click(); };
    Image5.MouseDown = mouse(&Form2::Image5_MouseDown);
    Image5.MouseUp = mouse(&Form2::Image5_MouseUp);
    Image7.Click = [this] { Image7_Click(); };
    Image7.MouseDown = mouse(&Form2::Image7_MouseDown);
    Image7.MouseUp = mouse(&Form2::Image7_MouseUp);
    Image8.Click = [this] { Image8_Click(); };
    Image9.Click = [this] { Image9_Click(); };
    pause1.Click = [this] { pause1_Click(); };
    Image11.Click = [this] { Image11_Click(); };
    Image11.MouseDown = mouse(&Form2::Image11_MouseDown);
    Image11.MouseUp = mouse(&Form2::Image11_MouseUp);
    Image17.Click = [this] { Image17_Click(); };
    Image17.MouseDown = mouse(&Form2::Image17_MouseDown);
    Image17.MouseUp = mouse(&Form2::Image17_MouseUp);
    Image14.Click = [this] { Image14_Click(); };
    Image15.Click = [this] { Image15_Click(); };
    Check1.Click = [this] { Check1_Click(); };
    Timer1.Tick = [this] { Timer1_Timer(); };
    Command1.Click = [this] { Command1_Click(); };
    Command2.Click = [this] { Command2_Click(); };
    Command6.Click = [this] { Command6_Click(); };
    Command8.Click = [this] { Command8_Click(); };
    Command11.Click = [this] { Command11_Click(); };
    Command12.Click = [this] { Command12_Click(); };
    Command12.MouseDown = mouse(&Form2::Command12_MouseDown);
    Command13.Click = [this] { Command13_Click(); };
    Command14.Click = [this] { Command14_Click(); };
    Command15.Click = [this] { Command15_Click(); };
    Command16.Click = [this] { Command16_Click(); };
    next.Click = [this] { next_Click(); };
    Open.Click = [this] { Open_Click(); };
    Stop.Click = [this] { Stop_Click(); };

    // ---- hidden operations ----
    Label6.Click = [this] { Label6_Click(); };
    Label7.Click = [this] { Label7_Click(); };
    Label8.Click = [this] { Label8_Click(); };
    Label9.Click = [this] { Label9_Click(); };
    Label10.Click = [this] { Label10_Click(); };
    Label11.Click = [this] { Label11_Click(); };
    Label12.Click = [this] { Label12_Click(); };
    Label14.Click = [this] { Label14_Click(); };
    Label15.Click = [this] { Label15_Click(); };

    // ---- sound ----
    Timer5.Tick = [this] { Timer5_Timer(); };
    Vol1.Click = [this] { Vol1_Click(); };
    Vol2.Click = [this] { Vol2_Click(); };
    Vol3.Click = [this] { Vol3_Click(); };
    Vol4.Click = [this] { Vol4_Click(); };
    Vol5.Click = [this] { Vol5_Click(); };
    Vol6.Click = [this] { Vol6_Click(); };
    Vol7.Click = [this] { Vol7_Click(); };
    Vol8.Click = [this] { Vol8_Click(); };
    Vol9.Click = [this] { Vol9_Click(); };
    Vol10.Click = [this] { Vol10_Click(); };
    Slider1.Change = [this] { Slider1_Change(); };
    Slider2.Change = [this] { Slider2_Change(); };
    Slider3.Change = [this] { Slider3_Change(); };
    B2.Click = [this] { B2_Click(); };
    B3.Click = [this] { B3_Click(); };
    B4.Click = [this] { B4_Click(); };
    B6.Click = [this] { B6_Click(); };
    Option1.Click = [this] { Option1_Click(); };
    Option2.Click = [this] { Option2_Click(); };
    Option3.Click = [this] { Option3_Click(); };
    Mute1.Click = [this] { Mute1_Click(); };
    Mute2.Click = [this] { Mute2_Click(); };

    // ---- adding files ----
    cmdSearch.Click = [this] { cmdSearch_Click(); };
    Command20.Click = [this] { Command20_Click(); };

    // ---- menus ----
    const std::pair<forms::Menu*, void (Form2::*)()> items[] = {
        {&mnuadd, &Form2::mnuadd_Click},
        {&mnuclipboard, &Form2::mnuclipboard_Click},
        {&mnufolder, &Form2::mnufolder_Click},
        {&mnutrackpath, &Form2::mnutrackpath_Click},
        {&mnudelete, &Form2::mnudelete_Click},
        {&mnudeletetrack, &Form2::mnudeletetrack_Click},
        {&mnuopentrack, &Form2::mnuopentrack_Click},
        {&mnuopenurl, &Form2::mnuopenurl_Click},
        {&mnurename, &Form2::mnurename_Click},
        {&mnuruntrack, &Form2::mnuruntrack_Click},
        {&mnucontain, &Form2::mnucontain_Click},
        {&mnusaveplaylist, &Form2::mnusaveplaylist_Click},
        {&mnuplaylistload, &Form2::mnuplaylistload_Click},
        {&mnusearch, &Form2::mnusearch_Click},
        {&mnuadd1, &Form2::mnuadd1_Click},
        {&mnuadd2, &Form2::mnuadd2_Click},
        {&mnuadd3, &Form2::mnuadd3_Click},
        {&mnuadd4, &Form2::mnuadd4_Click},
        {&mnuadd5, &Form2::mnuadd5_Click},
        {&mnuremove1, &Form2::mnuremove1_Click},
        {&mnuremove2, &Form2::mnuremove2_Click},
        {&mnuremove3, &Form2::mnuremove3_Click},
        {&mnuremove4, &Form2::mnuremove4_Click},
        {&mnuremove5, &Form2::mnuremove5_Click},
        {&mnu1, &Form2::mnu1_Click},
        {&mnu2, &Form2::mnu2_Click},
        {&mnu3, &Form2::mnu3_Click},
        {&mnu4, &Form2::mnu4_Click},
        {&mnu5, &Form2::mnu5_Click},
        {&mnupopupplay, &Form2::mnupopupplay_Click},
        {&mnupopupstop, &Form2::mnupopupstop_Click},
        {&mnupopupfarward, &Form2::mnupopupfarward_Click},
        {&mnupopuprewind, &Form2::mnupopuprewind_Click},
        {&mnupopuppause, &Form2::mnupopuppause_Click},
        {&mnupopupresume, &Form2::mnupopupresume_Click},
        {&mnupopupnext, &Form2::mnupopupnext_Click},
        {&mnupopupprevious, &Form2::mnupopupprevious_Click},
        {&mnuuplist, &Form2::mnuuplist_Click},
        {&mnurepeat, &Form2::mnurepeat_Click},
        {&mnuplayaftercurrent, &Form2::mnuplayaftercurrent_Click},
        {&mnuturnoff, &Form2::mnuturnoff_Click},
        {&mnushufle, &Form2::mnushufle_Click},
        {&mnupopuptag, &Form2::mnupopuptag_Click},
        {&mnuplayingtag, &Form2::mnuplayingtag_Click},
        {&mnupopup25, &Form2::mnupopup25_Click},
        {&mnupopup50, &Form2::mnupopup50_Click},
        {&mnupopup75, &Form2::mnupopup75_Click},
        {&mnupopup100, &Form2::mnupopup100_Click},
        {&mnupopup125, &Form2::mnupopup125_Click},
        {&mnupopup150, &Form2::mnupopup150_Click},
        {&mnupopup200, &Form2::mnupopup200_Click},
        {&mnupopupoptionsmute, &Form2::mnupopupoptionsmute_Click},
        {&mnupopupvolumeinc, &Form2::mnupopupvolumeinc_Click},
        {&mnupopupvolumedec, &Form2::mnupopupvolumedec_Click},
        {&mnupopubalanceleft, &Form2::mnupopubalanceleft_Click},
        {&mnupopupbalancecenter, &Form2::mnupopupbalancecenter_Click},
        {&mnupopupbalanceright, &Form2::mnupopupbalanceright_Click},
        {&mnusettings, &Form2::mnusettings_Click},
        {&mnumainplayer, &Form2::mnumainplayer_Click},
        {&mnuscrollinfoontop, &Form2::mnuscrollinfoontop_Click},
        {&mnupopupeject, &Form2::mnupopupeject_Click},
        {&mnupopupclose, &Form2::mnupopupclose_Click},
        {&mnumakedefault, &Form2::mnumakedefault_Click},
        {&mnumarquee, &Form2::mnumarquee_Click},
        {&mnusonghaul1, &Form2::mnusonghaul1_Click},
        {&mnusonghaul2, &Form2::mnusonghaul2_Click},
        {&mnusonghaul3, &Form2::mnusonghaul3_Click},
        {&mnupopupreadme, &Form2::mnupopupreadme_Click},
        {&mnupopupabout, &Form2::mnupopupabout_Click},
        {&mnumail, &Form2::mnumail_Click},
        {&mnuhomepage, &Form2::mnuhomepage_Click},
        {&mnusongrequest, &Form2::mnusongrequest_Click},
        {&mnucontactme, &Form2::mnucontactme_Click},
        {&mnubugreport, &Form2::mnubugreport_Click},
        {&mnuexit, &Form2::mnuexit_Click},
    };
    for (auto& [menu, handler] : items) menu->Click = [this, h = handler] { (this->*h)(); };
    mnuLevel1.wire([this](forms::Menu& m) { m.Click = [this, i = m.index()] { mnuLevel1_Click(i); }; });
    mnusongs.AboutToShow = [this] { mnusongs_AboutToShow(); };
    mnuPercent.wire([this](forms::Menu& m) { m.Click = [this, i = m.index()] { mnuPercent_Click(i); }; });
}

}  // namespace player
