// The tag editor window: its design values, Form_Load, the one-shot file
// loader with its no-tag action, moving and closing the window, and the
// ID3v1 enable switch.

#include "tageditor/Form1.hpp"

#include "metadata/csplaymodul.hpp"
#include "metadata/module7.hpp"
#include "player/Form2.hpp"
#include "player/shape.hpp"
#include "runtime/app.hpp"
#include "runtime/convert.hpp"
#include "runtime/error.hpp"
#include "runtime/files.hpp"

namespace tageditor {

namespace {

constexpr forms::Colour kInk = forms::RGB(14, 42, 74);
constexpr forms::Colour kPanel = forms::RGB(237, 237, 237);
constexpr float kRow = 285;  // height of a one-line box

// The design pictures, drawn at build time beside the program.
forms::Picture artwork(const char* name) {
    try {
        return forms::LoadPicture(runtime::App::Path() + "/tageditor/" + name);
    } catch (const runtime::Error&) {
        return {};  // the window works without its pictures
    }
}

}  // namespace

Form1::Form1()
    : forms::Form("Form1"),
      txtpath(*this, "txtpath"),
      cmdPick(*this, "cmdPick"),
      Idtag(*this, "Idtag"),
      Text2(*this, "Text2"),
      Image2(*this, "Image2"),
      Image1(*this, "Image1"),
      Label1(*this, "Label1"),
      txtTitle(*this, "txtTitle"),
      txtartist(*this, "txtartist"),
      txtalbum(*this, "txtalbum"),
      Combo1(*this, "Combo1"),
      txtYear(*this, "txtYear"),
      txtComments(*this, "txtComments"),
      txtTrack(*this, "txtTrack"),
      txtTitleV2(*this, "txtTitleV2"),
      txtArtistV2(*this, "txtArtistV2"),
      txtAlbumV2(*this, "txtAlbumV2"),
      cboGenreV2(*this, "cboGenreV2"),
      txtYearV2(*this, "txtYearV2"),
      txtTrackV2(*this, "txtTrackV2"),
      txtOriginalArtist(*this, "txtOriginalArtist"),
      txtComposer(*this, "txtComposer"),
      txtCopyright(*this, "txtCopyright"),
      txtEncodedBy(*this, "txtEncodedBy"),
      txtLinkTo(*this, "txtLinkTo"),
      txtbuyurl(*this, "txtbuyurl"),
      txtaudiourl(*this, "txtaudiourl"),
      txtartisturl(*this, "txtartisturl"),
      Combo2(*this, "Combo2"),
      Star1(*this, "Star1"),
      Star2(*this, "Star2"),
      Star3(*this, "Star3"),
      Star4(*this, "Star4"),
      Star5(*this, "Star5"),
      Head1(*this, "Head1"),
      Head2(*this, "Head2"),
      pr1(*this, "pr1"),
      Label2(*this, "Label2"),
      p1(*this, "p1"),
      Label3(*this, "Label3"),
      Command2(*this, "Command2"),
      Command6(*this, "Command6"),
      Command3(*this, "Command3"),
      Command9(*this, "Command9"),
      Command7(*this, "Command7"),
      Command8(*this, "Command8"),
      Command12(*this, "Command12"),
      Command11(*this, "Command11"),
      Command10(*this, "Command10"),
      Command16(*this, "Command16"),
      Command17(*this, "Command17"),
      Picture1(*this, "Picture1"),
      Label6(Picture1, "Label6"),
      Image4(Picture1, "Image4"),
      Shape1(Picture1, "Shape1"),
      Command13(Picture1, "Command13"),
      Command14(Picture1, "Command14"),
      Command15(Picture1, "Command15"),
      Frame2(Picture1, "Frame2"),
      ProgressBar1(Frame2, "ProgressBar1"),
      LabelProgress(Frame2, "LabelProgress"),
      Timer5(Frame2, "Timer5"),
      Text4(Picture1, "Text4"),
      Cd1(Picture1, "Cd1"),
      Picture2(*this, "Picture2"),
      txtCommentV2(Picture2, "txtCommentV2"),
      Text13(Picture2, "Text13"),
      Picture3(*this, "Picture3"),
      txtlyrics(Picture3, "txtlyrics"),
      Text5(Picture3, "Text5"),
      Picture4(*this, "Picture4"),
      Frame1(Picture4, "Frame1"),
      Label10(Frame1, "Label10"),
      Label12(Frame1, "Label12"),
      Label13(Frame1, "Label13"),
      Label15(Frame1, "Label15"),
      Label7(Frame1, "Label7"),
      Label8(Frame1, "Label8"),
      Label9(Frame1, "Label9"),
      Text9(Frame1, "Text9"),
      Text12(Frame1, "Text12"),
      Label11(Frame1, "Label11"),
      Label14(Frame1, "Label14"),
      Text6(Frame1, "Text6"),
      Text7(Frame1, "Text7"),
      Text8(Frame1, "Text8"),
      Read(Picture4, "Read"),
      Hidden(Picture4, "Hidden"),
      Archive(Picture4, "Archive"),
      Picture5(*this, "Picture5"),
      Check1(Picture5, "Check1"),
      Command20(Picture5, "Command20"),
      Command19(Picture5, "Command19"),
      Command18(Picture5, "Command18"),
      List1(Picture5, "List1"),
      Label4(*this, "Label4"),
      Label5(*this, "Label5"),
      Command1(*this, "Command1"),
      Command4(*this, "Command4"),
      Command5(*this, "Command5"),
      Text1(*this, "Text1"),
      Text3(*this, "Text3"),
      lstFiles(*this, "lstFiles"),
      txtStartDir(*this, "txtStartDir"),
      txtPattern(*this, "txtPattern"),
      Timer1(*this, "Timer1"),
      Timer2(*this, "Timer2"),
      Timer3(*this, "Timer3"),
      Timer4(*this, "Timer4"),
      TimerFile(*this, "TimerFile"),
      mnutag(*this, "mnutag", "Tag"),
      mnuparstag(mnutag, "mnuparstag", "Parse Tag"),
      mnutitle(mnuparstag, "mnutitle", "# Title"),
      mnusep3(mnuparstag, "mnusep3", "-"),
      mnuartisttitle(mnuparstag, "mnuartisttitle", "Artist # Title"),
      mnusep1(mnuparstag, "mnusep1", "-"),
      mnualbumartisttitle(mnuparstag, "mnualbumartisttitle", "Album # Artist # Title"),
      mnuaddfolder(mnutag, "mnuaddfolder", "Add Folder"),
      mnumultitag(mnutag, "mnumultitag", "Multi Tag"),
      lblInfo(*this, "lblInfo") {
    // ---- the window ----
    setBorderStyle(forms::BorderStyle::None);
    setCaption("");
    setClientSize(8070, 7305);
    setBackColor(forms::RGB(64, 64, 64));
    setOleDropMode(1);
    mnutag.setVisible(false);  // a popup only, never in a menu bar

    auto box = [](forms::TextBox& t, float left, float top, float width, long maxLength = 0) {
        t.setRectTwips(left, top, width, kRow);
        t.setText("");
        if (maxLength) t.setMaxLength(maxLength);
    };
    auto button = [](forms::CommandButton& b, const char* caption, float left, float top, float width = 1095) {
        b.setCaption(caption);
        b.setRectTwips(left, top, width, 375);
    };
    auto label = [](forms::Label& l, const char* caption, float left, float top, float width, float height = 195) {
        l.setCaption(caption);
        l.setRectTwips(left, top, width, height);
    };

    // ---- field captions: lblInfo 0 to 27, in the panels where they stand ----
    struct Caption {
        int index;
        const char* text;
        float left, top, width;
    };
    const Caption captions[] = {
        {0, "Artist", 360, 1965, 735},        {1, "Title", 360, 1605, 735},
        {2, "Album", 360, 2325, 735},         {3, "Genre", 360, 2685, 735},
        {4, "Year", 2640, 2685, 435},         {5, "Comment", 360, 3045, 735},
        {6, "MPEG info", 4200, 3720, 795},    {7, "Artist", 4200, 1605, 735},
        {8, "Title", 4200, 1245, 735},        {9, "Album", 4200, 1965, 735},
        {12, "Track#", 2760, 1245, 615},      {13, "Orig. Artist", 360, 3405, 855},
        {14, "Encoded by", 360, 4485, 855},   {15, "URL", 360, 4845, 735},
        {16, "Composer", 360, 3765, 855},     {17, "Copyright", 360, 4125, 855},
        {18, "Artist URL", 360, 5925, 855},   {19, "Buy URL", 360, 5205, 855},
        {20, "Location", 360, 900, 735},      {21, "Audio URL", 360, 5565, 855},
        {22, "Track#", 6720, 900, 465},       {23, "Year", 5520, 900, 435},
        {24, "Menu", 4800, 900, 495},         {25, "Genre", 4200, 2325, 735},
        {26, "Rating", 4200, 2685, 735},
    };
    for (const Caption& c : captions) label(lblInfo.add(c.index), c.text, c.left, c.top, c.width);
    label(lblInfo.add(10, Picture2), "Enter Notes Bellow", 120, 0, 2415);
    label(lblInfo.add(11, Picture3), "Enter Lyrics Bellow", 120, 0, 2415);
    label(lblInfo.add(27, Picture5), "Multi Tag", 120, 0, 2415);

    // ---- path, ID3v1 switch, MPEG information ----
    box(txtpath, 1200, 840, 2715);
    txtpath.setLocked(true);
    button(cmdPick, "...", 7680, 240, 315);
    cmdPick.setVisible(false);
    Idtag.setCaption("ID3v1 Tag");
    Idtag.setRectTwips(1200, 1200, 1455, 255);
    Text2.setRectTwips(5040, 3535, 2715, 1875);
    Text2.setMultiLine(true);
    Text2.setScrollBars(2);
    Text2.setLocked(true);
    Text2.setText("");
    Image2.setRectTwips(5040, 3000, 2730, 495);
    Image2.setPicture(artwork("Image2.png"));
    Image2.setStretch(true);
    Image1.setRectTwips(0, 0, 8190, 7350);
    Image1.setPicture(artwork("Image1.png"));
    Image1.setStretch(true);
    Image1.setVisible(false);
    label(Label1, "X", 3255, 255, 195, 255);
    Label1.setBackStyle(0);

    // ---- ID3v1 fields ----
    box(txtTitle, 1200, 1560, 2715, 30);
    box(txtartist, 1200, 1920, 2715, 30);
    box(txtalbum, 1200, 2280, 2715, 30);
    Combo1.setStyle(2);
    Combo1.setRectTwips(1200, 2640, 1335, 315);
    box(txtYear, 3120, 2640, 795, 4);
    box(txtComments, 1200, 3000, 2715, 30);
    box(txtTrack, 3480, 1200, 435, 4);

    // ---- ID3v2 fields ----
    box(txtTitleV2, 5040, 1200, 2715);
    box(txtArtistV2, 5040, 1560, 2715);
    box(txtAlbumV2, 5040, 1920, 2715);
    cboGenreV2.setStyle(0);
    cboGenreV2.setText("");
    cboGenreV2.setRectTwips(5040, 2280, 2715, 315);
    box(txtYearV2, 5985, 855, 615, 4);
    box(txtTrackV2, 7200, 860, 555, 4);
    box(txtOriginalArtist, 1200, 3360, 2715);
    box(txtComposer, 1200, 3720, 2715);
    box(txtCopyright, 1200, 4080, 2715);
    box(txtEncodedBy, 1200, 4440, 2715);
    box(txtLinkTo, 1200, 4800, 2715);
    box(txtbuyurl, 1200, 5160, 2715);
    box(txtaudiourl, 1200, 5520, 2715);
    box(txtartisturl, 1200, 5880, 2715);

    // ---- rating and gauges ----
    Combo2.setStyle(2);
    Combo2.setRectTwips(5040, 2640, 1215, 315);
    forms::Image* stars[] = {&Star1, &Star2, &Star3, &Star4, &Star5};
    for (int i = 0; i < 5; ++i) {
        stars[i]->setRectTwips(6300 + 300 * static_cast<float>(i), 2640, 405, 390);
        stars[i]->setPicture(artwork("star.png"));
        stars[i]->setVisible(false);
    }
    Head1.setRectTwips(6300, 2670, 270, 270);
    Head2.setRectTwips(6600, 2670, 270, 270);
    for (forms::Image* h : {&Head1, &Head2}) {
        h->setPicture(artwork("head.png"));
        h->setVisible(false);
    }
    pr1.setRectTwips(5040, 5980, 2715, 255);
    pr1.setMin(0);
    pr1.setMax(100);
    label(Label2, "", 4200, 5950, 795);
    p1.setRectTwips(1200, 6280, 2715, 255);
    p1.setMin(0);
    p1.setMax(100);
    label(Label3, "Used", 360, 6310, 795);
    Label3.setToolTipText("Idtagv1 Used and Total Space");

    // ---- buttons ----
    button(Command2, "Update", 360, 6700);
    button(Command6, "Copy Info", 1560, 6700);
    button(Command3, "Parse to Tag", 2760, 6700);
    button(Command9, "Copy from1", 4320, 6720);
    button(Command7, "Copy to 1", 5520, 6700);
    button(Command8, "Renew", 6720, 6700);
    button(Command12, "Upper", 4320, 6240, 795);
    button(Command11, "Lower", 5160, 6240, 795);
    button(Command10, "Proper", 6000, 6240, 795);
    button(Command16, "Artist Image", 6840, 6240);
    button(Command17, "Multi Tag", 5040, 5520, 1095);

    // ---- side panels: right of the window at design, moved over the ID3v2
    //      column at load ----
    for (forms::PictureBox* p : {&Picture1, &Picture2, &Picture3, &Picture4, &Picture5}) {
        p->setRectTwips(8400, 840, 3615, 5100);
        p->setBorderStyle(0);
        p->setVisible(false);
    }
    label(Label6, "Artist Image", 120, 0, 2415);
    Image4.setRectTwips(120, 240, 3375, 2895);
    Image4.setStretch(true);
    Shape1.setRectTwips(105, 225, 3405, 2925);
    button(Command13, "Add", 120, 3240, 1095);
    button(Command14, "Remove", 1260, 3240, 1095);
    button(Command15, "Download", 2400, 3240, 1095);
    Command15.setStyle(1);
    Command15.setPicture(artwork("download.png"));
    Frame2.setCaption("Status");
    Frame2.setRectTwips(120, 3720, 3375, 1335);
    ProgressBar1.setRectTwips(120, 300, 3135, 255);
    ProgressBar1.setMin(0);
    ProgressBar1.setMax(100);
    label(LabelProgress, "", 120, 600, 3135, 675);  // three lines: room for a failure's reason
    LabelProgress.setWordWrap(true);
    Timer5.setInterval(100);
    Timer5.setEnabled(false);
    box(Text4, 120, 5400, 3375);
    Text4.setText("Text4");

    txtCommentV2.setRectTwips(120, 240, 3375, 4695);
    txtlyrics.setRectTwips(120, 240, 3375, 4695);
    for (forms::TextBox* t : {&txtCommentV2, &txtlyrics}) {
        t->setMultiLine(true);
        t->setScrollBars(2);
        t->setText("");
    }
    box(Text13, 120, 5400, 3375);
    Text13.setText("Text4");
    box(Text5, 120, 5400, 3375);
    Text5.setText("Text4");

    Frame1.setCaption("Track Information");
    Frame1.setRectTwips(120, 0, 3375, 3135);
    struct Row {
        forms::Label& caption;
        const char* text;
        forms::Label& value;
    };
    Row rows[] = {
        {Label10, "Type :", Text9},     {Label12, "Size :", Text12},  {Label13, "Bitrate:", Label11},
        {Label15, "Duration:", Label14}, {Label7, "Modified :", Text6}, {Label8, "Created :", Text7},
        {Label9, "Accessed :", Text8},
    };
    float top = 360;
    for (Row& r : rows) {
        label(r.caption, r.text, 120, top, 975);
        label(r.value, "Type :", 1140, top, 2115);
        top += 360;
    }
    Read.setCaption("Read Only");
    Read.setRectTwips(120, 3360, 1095, 255);
    Hidden.setCaption("Hidden");
    Hidden.setRectTwips(1260, 3360, 975, 255);
    Archive.setCaption("Archive");
    Archive.setRectTwips(2280, 3360, 975, 255);

    Check1.setCaption("Take Title From File Name");
    Check1.setToolTipText("Auto Title From File Name When Multi Tag Update");
    Check1.setRectTwips(120, 240, 3375, 255);
    button(Command20, "Add Folder", 120, 600, 1095);
    button(Command19, "Add Files", 1260, 600, 1095);
    button(Command18, "Update", 2400, 600, 1095);
    List1.setRectTwips(120, 1080, 3375, 3855);

    // ---- hidden helpers: hidden, or below or right of the skin ----
    label(Label4, "", 5880, 7560, 1215);
    label(Label5, "Label5", 8400, 480, 1215);
    Label5.setVisible(false);
    button(Command1, "Command1", 8400, 6000);
    Command1.setVisible(false);
    button(Command4, "Command4", 8400, 6480);
    Command4.setVisible(false);
    button(Command5, "Open", 480, 7920);
    Text1.setRectTwips(5520, 8520, 2415, 735);
    Text1.setMultiLine(true);
    Text1.setText("Text1");
    box(Text3, 4320, 8280, 1215);
    Text3.setVisible(false);
    lstFiles.setRectTwips(3000, 8880, 2415, 450);
    box(txtStartDir, 0, 8520, 2895);
    txtStartDir.setText("e:\\test\\");
    box(txtPattern, 0, 8880, 2895);
    txtPattern.setText("*.mp3");
    // Nobody sees these, so the Tab key does not stop at them.
    for (forms::Control* c : std::initializer_list<forms::Control*>{&Command5, &Text1, &lstFiles, &txtStartDir,
                                                                     &txtPattern, &Text4, &Text13, &Text5})
        c->setTabStop(false);
    // The side panels are containers only: Tab goes straight to their controls.
    for (forms::PictureBox* p : {&Picture1, &Picture2, &Picture3, &Picture4, &Picture5}) p->setTabStop(false);

    // ---- timers ----
    Timer1.setInterval(1);
    Timer1.setEnabled(false);
    Timer2.setInterval(5);
    Timer2.setEnabled(false);
    Timer3.setInterval(5);
    Timer3.setEnabled(true);
    Timer4.setInterval(1000);
    Timer4.setEnabled(false);
    TimerFile.setInterval(1);
    TimerFile.setEnabled(false);

    // The keyboard reads the window as a user does: the path and the ID3v1
    // switch, the left column top to bottom (the ID3v1 fields, then the ID3v2
    // fields placed under them), the right column top to bottom, then the
    // buttons and the side panels as declared.
    int tab = 0;
    for (forms::Control* c : std::initializer_list<forms::Control*>{
             &txtpath, &cmdPick, &Idtag, &txtTrack, &txtTitle, &txtartist, &txtalbum, &Combo1, &txtYear,
             &txtComments, &txtOriginalArtist, &txtComposer, &txtCopyright, &txtEncodedBy, &txtLinkTo, &txtbuyurl,
             &txtaudiourl, &txtartisturl, &txtYearV2, &txtTrackV2, &txtTitleV2, &txtArtistV2, &txtAlbumV2,
             &cboGenreV2, &Combo2, &Text2})
        c->setTabIndex(tab++);
    setKeyPreview(true);

    // ---- wiring ----
    auto mouse = [this](void (Form1::*fn)(int, int, float, float)) {
        return [this, fn](int Button, int Shift, float X, float Y) { (this->*fn)(Button, Shift, X, Y); };
    };
    Timer1.Tick = [this] { Timer1_Timer(); };
    Command1.Click = [this] { Command1_Click(); };
    Image2.MouseDown = mouse(&Form1::Image2_MouseDown);
    Label1.Click = [this] { Label1_Click(); };
    Idtag.Click = [this] { Idtag_Click(); };
    Label4.Click = [this] { Label4_Click(); };

    Command2.Click = [this] { Command2_Click(); };
    Command4.Click = [this] { Command4_Click(); };
    cmdPick.Click = [this] { cmdPick_Click(); };

    Timer2.Tick = [this] { Timer2_Timer(); };
    Timer3.Tick = [this] { Timer3_Timer(); };
    Combo2.Click = [this] { Combo2_Click(); };
    txtCopyright.LostFocus = [this] { txtCopyright_LostFocus(); };

    Command10.Click = [this] { Command10_Click(); };
    Command11.Click = [this] { Command11_Click(); };
    Command12.Click = [this] { Command12_Click(); };

    lblInfo.wire([this](forms::Label& l) {
        l.MouseDown = [this, i = l.index()](int Button, int Shift, float X, float Y) {
            lblInfo_MouseDown(i, Button, Shift, X, Y);
        };
    });
    mnutitle.Click = [this] { mnutitle_Click(); };
    mnuartisttitle.Click = [this] { mnuartisttitle_Click(); };
    Command3.Click = [this] { Command3_Click(); };
    mnualbumartisttitle.Click = [this] { mnualbumartisttitle_Click(); };

    Command17.Click = [this] { Command17_Click(); };
    Command19.Click = [this] { Command19_Click(); };
    Command20.Click = [this] { Command20_Click(); };
    mnuaddfolder.Click = [this] { mnuaddfolder_Click(); };
    TimerFile.Tick = [this] { TimerFile_Timer(); };
    List1.Click = [this] { List1_Click(); };
    mnumultitag.Click = [this] { mnumultitag_Click(); };
    Command18.Click = [this] { Command18_Click(); };
    Timer4.Tick = [this] { Timer4_Timer(); };

    Command16.Click = [this] { Command16_Click(); };
    Command13.Click = [this] { Command13_Click(); };
    Command14.Click = [this] { Command14_Click(); };
    Command15.Click = [this] { Command15_Click(); };
    Timer5.Tick = [this] { Timer5_Timer(); };

    Read.Click = [this] { Read_Click(); };
    Hidden.Click = [this] { Hidden_Click(); };
    Archive.Click = [this] { Archive_Click(); };

    Command6.Click = [this] { Command6_Click(); };
    Command7.Click = [this] { Command7_Click(); };
    Command8.Click = [this] { Command8_Click(); };
    Command9.Click = [this] { Command9_Click(); };
}

Form1::~Form1() = default;

// The main window, which opened this one. The editor never loads it: where it
// is gone (at the end of the program) a use fails as an object not set.
player::Form2& Form1::mainWindow() {
    player::Form2* f = forms::IfLoaded<player::Form2>();
    if (!f) runtime::raise(runtime::err::ObjectVariableNotSet, "Form1");
    return *f;
}

metadata::cMP3ID3v1& Form1::tagV1() {
    if (!id3v1) id3v1 = std::make_unique<metadata::cMP3ID3v1>();
    return *id3v1;
}

metadata::cMP3ID3v2& Form1::tagV2() {
    if (!id3v2) id3v2 = std::make_unique<metadata::cMP3ID3v2>();
    return *id3v2;
}

void Form1::Form_Load() {
    runtime::Steps step;
    step([&] { Shape1.setBorderColor(forms::RGB(127, 157, 185)); });
    for (forms::PictureBox* p : {&Picture1, &Picture2, &Picture3, &Picture4, &Picture5})
        step([&] { p->setLeft(4200); });
    for (const char* r : {"Unrated", "Excellent", "Very Good", "Good", "Fair", "Poor", "Bad Taste"})
        step([&] { Combo2.addItem(r); });
    for (forms::Label* l : {&Label10, &Text9, &Label12, &Text12, &Label7, &Text6, &Label8, &Text7, &Label9, &Text8,
                            &Label1, &Label4, &Label3, &Label5})
        step([&] { l->setForeColor(kInk); });
    for (forms::Control* c : std::initializer_list<forms::Control*>{
             &Idtag, &Read, &Hidden, &Archive, &Label3, &Label2, &Check1, &Picture1, &Picture2, &Picture3, &Picture4,
             &Picture5, &Frame1, &Frame2, &LabelProgress})
        step([&] { c->setBackColor(kPanel); });
    step([&] { Timer2.setEnabled(true); });
    step([&] { player::ShapeWindow(*this, runtime::App::Path() + "/3.kmf"); });
    step([&] { setIcon(mainWindow().icon()); });
    step([&] {
        id3v1 = std::make_unique<metadata::cMP3ID3v1>();
        id3v2 = std::make_unique<metadata::cMP3ID3v2>();
    });
    step([&] {
        Combo1.addItem("");
        Combo1.setItemData(Combo1.newIndex(), 255);
        cboGenreV2.addItem("");
        cboGenreV2.setItemData(cboGenreV2.newIndex(), 255);
        for (int code = 0; code <= 255; ++code) {
            std::string name = tagV1().GenreName(static_cast<std::uint8_t>(code));
            if (name.empty()) continue;
            Combo1.addItem(name);
            Combo1.setItemData(Combo1.newIndex(), code);
            cboGenreV2.addItem(name);
            cboGenreV2.setItemData(cboGenreV2.newIndex(), code);
        }
    });
    step([&] { show(); });
}

void Form1::Timer1_Timer() {
    runtime::Steps step;
    // A load during a Multi Tag run would put this file's fields into the
    // files the run writes next.
    if (!refuseDuringRun("Load the file")) step([&] { loadFile(); });
    step([&] { Timer1.setEnabled(false); });
}

// Reads the 3 bytes at the ID3v1 position of the file open as number 1. The
// marker is emptied first, so a file that cannot be read there (missing,
// unreadable, shorter than 128 bytes) reads as one without a tag, never as
// the file loaded before it.
void Form1::readTagMarker(const std::string& p) {
    tagMarker_.clear();
    tagMarker_ = runtime::Files().GetText(1, runtime::Files().LOF(1) - 127, 3);
    (void)p;
}

// The loader: the ID3v1 test, the MPEG information and both tags. Each step
// that fails is skipped and the next one runs.
bool Form1::loadFile(std::string* failure) {
    runtime::Steps step;
    const std::string p = txtpath.text();
    tagMarker_.clear();
    // Opened for reading only: a dead playlist entry must not leave an empty
    // file behind.
    const bool opened =
        step([&] { runtime::Files().Open(p, runtime::OpenMode::Binary, 1, runtime::Access::Read); });
    step([&] { readTagMarker(p); });
    if (tagMarker_ != "TAG") {
        step([&] { Command1_Click(); });
    } else {
        step([&] { setId3v1Enabled(true); });
        step([&] { pathCopy_ = txtpath.text(); });
        step([&] {
            metadata::Id3v1Record rec;
            if (metadata::CSPlaymodul::ReadId3v1Record(pathCopy_, rec)) {
                Idtag.setValue(1);
                Combo1.setText(metadata::CSPlaymodul::GenreCharToName(rec.Genre));
            }
        });
    }
    step([&] { runtime::Close(1); });
    step([&] {
        const metadata::MpegInfo m = metadata::Module7::GetMpegInfo(txtpath.text());
        Label11.setCaption(runtime::CStr(m.Bitrate));
        Label14.setCaption(m.LengthText);
        const std::string crlf = "\r\n";
        Text2.setText("# Size: " + m.SizeText + crlf +                                                 //
                      "# Length: " + m.LengthText + crlf +                                             //
                      "# Header found at: " + runtime::CStr(m.HeaderPosition) + " Bytes" + crlf +      //
                      "# MPEG " + runtime::CStr(m.MpegVersion) + " Layer " + runtime::CStr(m.Layer) + crlf +
                      "# " + runtime::CStr(m.Bitrate) + " Kbps, " + runtime::CStr(m.Frames) + " Frames" + crlf +
                      "# " + runtime::CStr(m.SampleRate) + " Hz  " + m.ChannelMode + crlf +           //
                      "# CRCs: " + m.Crc + crlf +                                                      //
                      "# Copyrighted: " + m.Copyrighted + crlf +                                       //
                      "# Original: " + m.Original + crlf +                                             //
                      "# Emphasis: " + m.Emphasis);
    });
    // While the information panel is shown, its rows and boxes follow the
    // file now loaded, so a click on a box acts on the state the user sees.
    if (Picture4.visible()) step([&] { refreshInfo(); });
    const bool loaded = step([&] { LoadEditorTags(); });
    if (!loaded && failure) *failure = step.lastDescription();
    // A save goes only into this file, and only when it could be read.
    loadedPath_ = p;
    loadedOk_ = opened && loaded;
    return loaded;
}

// The no-tag action; its first failing step ends it.
void Form1::Command1_Click() {
    tagMarker_.clear();
    try {
        readTagMarker(txtpath.text());
    } catch (const runtime::Error&) {
        // unreadable there: no tag
    }
    if (tagMarker_ != "TAG") {
        Idtag.setValue(0);
        setId3v1Enabled(false);
    }
    runtime::Close(1);
    for (forms::TextBox* t : {&txtTitle, &txtartist, &txtalbum, &txtYear, &txtComments}) t->setText("");
    Combo1.setListIndex(Combo1.listCount() > 0 ? 0 : -1);
}

void Form1::setId3v1Enabled(bool enabled) {
    runtime::Steps step;
    for (forms::Control* c : std::initializer_list<forms::Control*>{&txtTitle, &txtartist, &txtalbum, &Combo1,
                                                                     &txtYear, &txtComments})
        step([&] { c->setEnabled(enabled); });
}

void Form1::Image2_MouseDown(int Button, int Shift, float X, float Y) {
    (void)Shift, (void)X, (void)Y;
    runtime::Steps step;
    if (Button == 1) step([&] { beginSystemMove(); });
}

void Form1::Form_MouseDown(int Button, int Shift, float X, float Y) {
    (void)Shift, (void)X, (void)Y;
    runtime::Steps step;
    if (Button == 1) step([&] { beginSystemMove(); });
    if (Button & 2) step([&] { popupMenu(mnutag); });
}

void Form1::Label1_Click() {
    runtime::Steps step;
    step([&] { unload(); });
}

void Form1::Form_KeyDown(int& KeyCode, int Shift) {
    if (KeyCode != forms::vbKeyEscape || Shift != 0) return;
    KeyCode = 0;
    Label1_Click();
}

void Form1::Idtag_Click() {
    runtime::Steps step;
    step([&] { setId3v1Enabled(Idtag.value() != 0); });
}

void Form1::Label4_Click() {
    runtime::Steps step;
    step([&] { Label4.setCaption(runtime::CStr(mainWindow().MediaPlayer1.currentPosition())); });
}

}  // namespace tageditor
