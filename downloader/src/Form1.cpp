// The downloader window: its design values, loading, the fixed size of
// Songhaul1, the downloaded-count message, Run and closing; and the module
// routines ShellOpen and SetFormTopmost.

#include "downloader/Form1.hpp"

#include <spawn.h>
#include <sys/wait.h>

#include <thread>

#include "downloader/catalogue.hpp"
#include "runtime/app.hpp"
#include "runtime/convert.hpp"
#include "runtime/error.hpp"
#include "runtime/files.hpp"

extern char** environ;

namespace downloader {

namespace {

int g_build = 1;

std::function<void(const std::string&)>& shellOpener() {
    static std::function<void(const std::string&)> opener;
    return opener;
}

// Starts xdg-open on the target with an argument vector (never a shell
// line), and reaps it when it ends.
void spawnXdgOpen(const std::string& target) {
    std::string program = "xdg-open";
    char* argv[] = {program.data(), const_cast<char*>(target.c_str()), nullptr};
    pid_t pid = 0;
    if (::posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ) != 0) return;
    std::thread([pid] {
        int status = 0;
        ::waitpid(pid, &status, 0);
    }).detach();
}

// The design pictures, drawn at build time into the program folder.
forms::Picture artwork(const char* name) {
    try {
        return forms::LoadPicture(runtime::App::Path() + "/songhaul/" + name);
    } catch (const runtime::Error&) {
        return {};  // the window works without its pictures
    }
}

constexpr forms::Colour kWhite = forms::vbWhite;

}  // namespace

void SetBuild(int build) {
    buildTraits(build);  // error 5 for a build that does not exist
    g_build = build;
}

int Build() { return g_build; }

void SetShellOpener(std::function<void(const std::string&)> opener) { shellOpener() = std::move(opener); }

void ShellOpen(forms::Form& form, const std::string& target) {
    (void)form;
    auto& opener = shellOpener();
    if (opener)
        opener(target);
    else
        spawnXdgOpen(target);
}

void SetFormTopmost(forms::Form& form, bool onTop) {
    // The window keeps its place and size; only its band changes, and it
    // comes to the front. Nothing is reported when that fails.
    runtime::Steps step;
    step([&] { form.setTopmost(onTop); });
    step([&] { form.zOrder(0); });
}

Form1::Form1()
    : forms::Form("Form1"),
      Image1(*this, "Image1"),
      Image2(*this, "Image2"),
      txtFrom(*this, "txtFrom"),
      txtTo(*this, "txtTo"),
      Command1(*this, "Command1"),
      Command2(*this, "Command2"),
      Command3(*this, "Command3"),
      cmdRun(*this, "cmdRun"),
      prgStatus(*this, "prgStatus"),
      List1(*this, "List1"),
      File1(*this, "File1"),
      Frame1(*this, "Frame1"),
      Label10(Frame1, "Label10"),
      lblSpeed(Frame1, "lblSpeed"),
      Label9(Frame1, "Label9"),
      lblSize(Frame1, "lblSize"),
      Label11(Frame1, "Label11"),
      lblRecieve(Frame1, "lblRecieve"),
      Label13(Frame1, "Label13"),
      lblRemaining(Frame1, "lblRemaining"),
      Label12(Frame1, "Label12"),
      lblElapsed(Frame1, "lblElapsed"),
      Label3(Frame1, "Label3"),
      per(Frame1, "per"),
      txtHead(Frame1, "txtHead"),
      lblStatus(*this, "lblStatus"),
      Label1(*this, "Label1"),
      Label2(*this, "Label2"),
      picProgress(*this, "picProgress"),
      tmrUpdateProgress(*this, "tmrUpdateProgress"),
      tmrTimeLeft(*this, "tmrTimeLeft"),
      build_(g_build) {
    const BuildTraits& traits = buildTraits(build_);

    setCaption(traits.caption);
    setBorderStyle(forms::BorderStyle::Sizable);
    setMaxButton(false);
    setClientSize(static_cast<float>(traits.clientWidth), static_cast<float>(traits.clientHeight));
    setIcon(artwork("icon.png"));

    // The banner stays at the corner in every build; every other control of
    // Songhaul2 and Songhaul3 stands 120 twips further left.
    Image1.setPicture(artwork("banner.png"));
    place(Image1, 0, 0, 11280, 1635, false);
    Image2.setPicture(artwork("backdrop.png"));
    place(Image2, 0, 1560, 11985, 6495);
    Image2.zOrder(1);  // behind the lower controls

    txtFrom.setText(kSourceUrl);
    place(txtFrom, 120, 120, 7695, 285);
    txtFrom.setVisible(false);
    txtTo.setText(runtime::App::Path() + "/Songhaul.DAT");
    place(txtTo, 120, 360, 7695, 285);
    txtTo.setVisible(false);

    Command1.setCaption("Download");
    place(Command1, 360, 1720, 1095, 375);
    Command2.setCaption("Paused");
    place(Command2, 1560, 1720, 1095, 375);
    Command3.setCaption("Stop");
    place(Command3, 2760, 1720, 1095, 375);
    cmdRun.setCaption("&Run");
    place(cmdRun, 3960, 1720, 1215, 375);
    cmdRun.setEnabled(false);

    place(prgStatus, 255, 2760, 10935, 375);
    prgStatus.setMin(0);
    prgStatus.setMax(100);

    place(List1, 240, 3340, 3735, 4515);
    List1.setSorted(false);
    place(File1, 4080, 3360, 3735, 4515);
    File1.setPattern("*.Mp3");

    Frame1.setCaption("File Status");
    place(Frame1, 7920, 3360, 3255, 4575);
    Frame1.setBackColor(kWhite);
    forms::Font tahoma;
    tahoma.name = "Tahoma";
    tahoma.size = 8.25f;
    struct Row {
        forms::Label& caption;
        const char* text;
        forms::Label& value;
        float top;
    };
    Row rows[] = {
        {Label10, "Speed:", lblSpeed, 480},          {Label9, "Total Size:", lblSize, 840},
        {Label11, "Recieved Size:", lblRecieve, 1200}, {Label13, "Time Remaining:", lblRemaining, 1560},
        {Label12, "Elapsed Time:", lblElapsed, 1920},  {Label3, "Percent:", per, 2280},
    };
    for (Row& r : rows) {
        r.caption.setCaption(r.text);
        r.caption.setRectTwips(120, r.top, &r.caption == &Label3 ? 615 : 1170, 195);
        r.value.setCaption("");
        r.value.setRectTwips(1320, r.top, 1575, 195);
        for (forms::Label* l : {&r.caption, &r.value}) {
            l->setBackColor(kWhite);
            l->setFont(tahoma);
        }
    }
    per.setCaption("00");
    txtHead.setText("");
    txtHead.setMultiLine(true);
    txtHead.setRectTwips(120, 2640, 2775, 1815);

    // Below the client area: shown only when the window is made taller.
    lblStatus.setCaption("Donloaded");
    place(lblStatus, 8280, 8160, 1335, 255);
    lblStatus.setVisible(false);
    Label1.setCaption("Totla");
    place(Label1, 8400, 8760, 1335, 255);
    Label1.setVisible(false);
    Label2.setCaption("Donloaded");
    place(Label2, 8280, 8880, 1335, 255);
    Label2.setVisible(false);
    place(picProgress, 5040, 10920, 2835, 1755);

    tmrUpdateProgress.setInterval(1);
    tmrUpdateProgress.setEnabled(true);
    tmrTimeLeft.setInterval(1000);
    tmrTimeLeft.setEnabled(true);

    // Tab order of the buttons, lists and the header box; the rest follow.
    forms::Control* songhaul1Order[] = {&cmdRun, &Command3, &txtHead, &File1, &List1, &Command2, &Command1};
    forms::Control* songhaul2Order[] = {&Command1, &Command2, &List1, &File1, &txtHead, &Command3, &cmdRun};
    int tab = 0;
    for (forms::Control* c : traits.downloadFirstInTab ? songhaul2Order : songhaul1Order) c->setTabIndex(tab++);
    for (forms::Control* c : std::initializer_list<forms::Control*>{&txtFrom, &txtTo, &picProgress})
        c->setTabIndex(tab++);

    // Events.
    if (traits.countMessage) Label3.Click = [this] { Label3_Click(); };
    List1.Click = [this] { List1_Click(); };
    cmdRun.Click = [this] { cmdRun_Click(); };
    Command1.Click = [this] { Command1_Click(); };
    Command2.Click = [this] { Command2_Click(); };
    Command3.Click = [this] { Command3_Click(); };
    tmrUpdateProgress.Tick = [this] { tmrUpdateProgress_Timer(); };
    tmrTimeLeft.Tick = [this] { tmrTimeLeft_Timer(); };
    Winsock.onConnect = [this] { dispatch([this] { Winsock_Connect(); }); };
    Winsock.onDataArrival = [this](long total) { dispatch([this, total] { Winsock_DataArrival(total); }); };
    Winsock.onClose = [this] { dispatch([this] { Winsock_Close(); }); };
    Winsock.onError = [this](int number, const std::string& description) {
        dispatch([this, number, description] { Winsock_Error(number, description); });
    };
}

Form1::~Form1() { runtime::Close(1); }

void Form1::place(forms::Control& c, float left, float top, float width, float height, bool shift) {
    float dx = shift ? static_cast<float>(buildTraits(build_).shiftLeft) : 0.0f;
    c.setRectTwips(left - dx, top, width, height);
}

std::string Form1::mediaFolder() { return runtime::App::Path() + "/Media"; }

void Form1::Form_Load() {
    runtime::Steps step;
    step([&] { txtTo.setText(mediaFolder()); });
    // A missing folder keeps the file list on the current directory.
    step([&] { File1.setPath(txtTo.text()); });
    step([&] {
        for (const std::string& line : catalogue(build_)) List1.addItem(line);
    });
}

void Form1::Form_Resize() {
    if (!buildTraits(build_).fixedSize) return;
    runtime::Steps step;
    step([&] { setHeight(8505); });
    step([&] { setWidth(11385); });
}

void Form1::Label3_Click() {
    runtime::Steps step;
    step([&] {
        Label3.setCaption("You Have Downloaded " + runtime::CStr(File1.listCount()) + " From 1012 Songs");
    });
}

void Form1::List1_Click() {}

void Form1::cmdRun_Click() { ShellOpen(*this, txtTo.text()); }

void Form1::Form_QueryUnload(int& Cancel, int UnloadMode) {
    (void)Cancel, (void)UnloadMode;
    closesocket();
}

void Form1::Form_Unload(int& Cancel) {
    (void)Cancel;
    closesocket();
}

}  // namespace downloader
