// The other windows and programs opened from the menu: the tag editor, the
// options window's pages, the contact window, the three downloaders beside
// the program, the home page, a mail to the maker and the CD drive's door.

#include "player/Form2.hpp"
#include "player/addresses.hpp"
#include "player/other_windows.hpp"

#include "runtime/app.hpp"
#include "runtime/error.hpp"
#include "system/cddoor.hpp"
#include "system/shell.hpp"
#include "system/url_download.hpp"

namespace player {

namespace {

// Starts a downloader from the program folder, with no arguments; a missing
// program is ignored.
void StartDownloader(const char* name) {
    runtime::Steps step;
    step([&] { sys::Shell(runtime::App::Path() + "/" + name, 2); });
}

}  // namespace

// ---- the tag editor ----

void Form2::mnupopuptag_Click() {
    runtime::Steps step;
    step([&] { TagWindows().showTagEditor(); });
    step([&] { TagWindows().setTagEditorPath(lstFiles.text()); });
    step([&] { TagWindows().startTagEditorTimer(); });
}

void Form2::mnuplayingtag_Click() {
    runtime::Steps step;
    step([&] { TagWindows().setTagEditorPath(MediaPlayer1.getMediaInfoString(media::ClipFileName)); });
    step([&] { TagWindows().showTagEditor(); });
    step([&] { TagWindows().startTagEditorTimer(); });
}

void Form2::Label14_Click() { TagWindows().showTagEditor(); }

// "Tray": the editor is loaded and minimised, not shown.
void Form2::Label12_Click() {
    runtime::Steps step;
    step([&] { TagWindows().setTagEditorWindowState(1); });
}

void Form2::Label15_Click() {}

// ---- the options window's pages ----

void Form2::mnusettings_Click() { ShowOptionsPage(OptionWindows(), OptionsPage::Settings); }
void Form2::mnumakedefault_Click() { ShowOptionsPage(OptionWindows(), OptionsPage::MakeDefault); }
void Form2::mnupopupabout_Click() { ShowOptionsPage(OptionWindows(), OptionsPage::About); }
void Form2::mnupopupreadme_Click() { ShowOptionsPage(OptionWindows(), OptionsPage::Help); }

// ---- the contact window: all three open it in the same state ----

void Form2::mnucontactme_Click() { OptionWindows().showContact(); }
void Form2::mnubugreport_Click() { OptionWindows().showContact(); }
void Form2::mnusongrequest_Click() { OptionWindows().showContact(); }

// ---- the downloaders ----

void Form2::mnusonghaul1_Click() { StartDownloader("Songhaul1"); }
void Form2::mnusonghaul2_Click() { StartDownloader("Songhaul2"); }
void Form2::mnusonghaul3_Click() { StartDownloader("Songhaul3"); }

// ---- the maker's home page and mail ----

void Form2::mnuhomepage_Click() {
    runtime::Steps step;
    step([&] { sys::ShellOpen(addresses::HomePage); });
}

void Form2::mnumail_Click() {
    sys::ShellOpen("mailto:" + std::string(addresses::SupportMail) + "?subject=" +
                   sys::PercentEncode(addresses::MailSubject));
}

// ---- the CD drive's door: a machine without a drive shows nothing ----

void Form2::mnupopupeject_Click() { sys::OpenCdDoor(); }
void Form2::mnupopupclose_Click() { sys::CloseCdDoor(); }

}  // namespace player
