#pragma once
// The main window: the skinned player face, the playlist (three lists kept in
// step), the media control and every command of the popup menu.
//
// The window's code is split by subject over several files; the class below
// lists them all. Controls that the user never sees (state holders, buttons
// that carry access keys) lie outside the 4080 x 7290-twip client area.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "forms/forms.hpp"
#include "media/media_player.hpp"

namespace player {

// The skin picture beside the program, and the length the start-up check wants.
inline constexpr const char* kSkinFile = "New2.kmf";
inline constexpr long kSkinLength = 17423;
// The window's caption, which its title line on the skin shows too.
inline constexpr const char* kWindowTitle = "Korvane Media Player";
// The main window's fixed outer size, in twips.
inline constexpr float kForm2OuterWidth = 4215;
inline constexpr float kForm2OuterHeight = 8055;

class Form2 : public forms::Form {
public:
    Form2();
    ~Form2() override;

    // The media control, made by the program's media factory.
    std::unique_ptr<media::MediaPlayer> mediaPlayer_;
    media::MediaPlayer& MediaPlayer1;

    // ---- chrome: title, close and minimise hot areas ----
    forms::Label Label1;      // title label; right click opens the menu
    forms::Image Image13;     // close picture, hidden while pressed
    forms::Image Image3;      // close hot area over Image13
    forms::Image Image4;      // minimise hot area

    // ---- the playlist: visible sorted lines, hidden display lines and paths ----
    forms::ListBox List2;
    forms::ListBox List1;
    forms::ListBox lstFiles;
    forms::Timer Timer3;      // display builder, a slice of entries per tick
    forms::Timer tmrNotice;   // ends the title line's notice of a file that could not be played
    forms::Timer tmrStepOn;   // steps on past an entry that the end of a track could not start

    // ---- search box under the playlist ----
    forms::TextBox Text1;

    // ---- transport click areas over the skin, and their pressed pictures ----
    forms::Image Image6, Image1;    // previous
    forms::Image Image2, Image5;    // play
    forms::Image Image8, Image7;    // next
    forms::Image pause1, Image9;    // paused picture / pause button
    forms::Image Image12, Image11;  // open files
    forms::Image Image16, Image17;  // search a folder
    forms::Timer Timer1;            // ticks and does nothing

    // ---- repeat indicator pair ----
    forms::Image Image14, Image15;

    // ---- volume meter segments (unlit / lit) ----
    forms::Image Vol1, Vol5, Vol2, Vol6, Vol3, Vol7, Vol4, Vol8, Vol9, Vol10;
    // ---- balance lights (lit / unlit) ----
    forms::Image B1, B2, B3, B4, B5, B6;
    // ---- mute pair ----
    forms::Image Mute1, Mute2;
    forms::Timer Timer5;      // keeps the meter and the repeat pair in line

    // ---- labels over the skin that open menus and windows ----
    forms::Label Label3;      // right click: the Favorites menu alone
    forms::Label Label20;     // release of either button: the whole menu
    forms::Label Label14;     // shows the tag editor
    forms::Label Label12;     // "Tray": tag editor window state
    forms::Label Label15;     // "Start directory": no action
    forms::Label labela;

    // ---- rockers: volume, seek, track (focus targets, outside the face) ----
    forms::Slider Slider1, Slider2, Slider3;

    // ---- playback state holders: current and total numbers, play-mode boxes ----
    forms::Label Label4;      // current number, 1-based
    forms::Label Label2;      // total when last stored
    forms::CheckBox Check1, Check2, Check3, Check4;
    // ---- balance choice ----
    forms::OptionButton Option1, Option2, Option3;

    // ---- hidden labels whose clicks are the playback operations ----
    forms::Label Label6, Label7, Label8, Label9, Label10, Label11;

    // ---- hidden buttons with access keys, and picture buttons ----
    forms::CommandButton Command1, Command2, Command6, Command8;
    forms::CommandButton Open, Stop, next;
    forms::CommandButton Command3;   // Space-key latch
    forms::CommandButton Command11, Command12, Command13, Command14, Command15, Command16;

    // ---- adding files: folder search state and the hidden commands ----
    forms::TextBox txtStartDir;
    forms::TextBox txtPattern;
    forms::Label lblNumFiles;
    forms::CommandButton cmdSearch;
    forms::CommandButton Command20;
    forms::CommonDialog CD1;
    forms::CommonDialog CommonDialog1;

    // ---- last folder, its file list, and the folder box of file commands ----
    forms::TextBox Text2;
    forms::FileListBox File1;
    forms::TextBox Text4;

    // ---- the menu tree ----
    forms::Menu mnupopup;
    forms::Menu mnufile;
    forms::Menu mnuadd;
    forms::Menu mnucopy, mnuclipboard, mnufolder, mnutrackpath;
    forms::Menu mnudelete1, mnudelete, mnudeletetrack;
    forms::Menu mnuopenmain, mnuopentrack, mnuopenurl;
    forms::Menu mnurename;
    forms::Menu mnurun, mnuruntrack, mnucontain;
    forms::Menu mnuplaylist, mnusaveplaylist, mnuplaylistload;
    forms::Menu mnusearch;
    forms::Menu mnufavorites;
    forms::Menu mnuaddtofavorites, mnuadd1, mnuadd2, mnuadd3, mnuadd4, mnuadd5;
    forms::Menu mnusepfav2;
    forms::Menu mnuremovefavorites, mnuremove1, mnuremove2, mnuremove3, mnuremove4, mnuremove5;
    forms::Menu mnusepfav3;
    forms::Menu mnu1, mnu2, mnu3, mnu4, mnu5;
    forms::Menu mnuplaystatus;
    forms::Menu mnupopupplay, mnupopupstop, mnusep5, mnupopupfarward, mnupopuprewind, mnupopuppause,
        mnupopupresume, mnuplaystatussep, mnupopupnext, mnupopupprevious, mnusepert, mnuuplist, mnurepeat,
        mnuplayaftercurrent, mnuturnoff, mnushufle;
    forms::Menu mnuspe4;
    forms::Menu mnusongs;
    forms::ControlArray<forms::Menu> mnuLevel1;
    forms::Menu mnutag, mnupopuptag, mnuplayingtag;
    forms::Menu mnusep;
    forms::Menu mnupopupspeed, mnupopup25, mnupopup50, mnupopup75, mnusep7, mnupopup100, mnusep6, mnupopup125,
        mnupopup150, mnupopup200;
    forms::Menu mnupopupvolume, mnupopupoptionsmute, mnupopupvolumeinc, mnupopupvolumedec, mnusepvol,
        mnupopubalanceleft, mnupopupbalancecenter, mnupopupbalanceright;
    forms::Menu mnuwindow, mnusettings;
    forms::Menu mnualwaysontop, mnumainplayer, mnuscrollinfoontop;
    forms::Menu mnupopupcd, mnupopupeject, mnupopupclose;
    forms::Menu mnumakedefault;
    forms::Menu mnuOpacity;
    forms::ControlArray<forms::Menu> mnuPercent;
    forms::Menu mnumarquee;
    forms::Menu mnumedialibrary, mnusonghaul1, mnusonghaul2, mnusonghaul3;
    forms::Menu mnusep1;
    forms::Menu mnupopupoptions, mnupopupreadme, mnupopupabout, mnumail, mnuhomepage, mnusongrequest,
        mnucontactme, mnubugreport;
    forms::Menu mnusepexe;
    forms::Menu mnuexit;

    // ---- state ----
    std::int16_t SongsMenuCount = 0;   // Songs submenu items the last fill used
    // The folder whose files the Songs submenu is to list: the selected
    // entry's, set by a selection; none before the first.
    std::optional<std::string> SongsFolder;
    std::int16_t LastPercent = 0;      // opacity item chosen last
    // How long one tick of the display builder goes on making lines: its pace
    // is the machine's, not the timer's, and the window still handles events
    // between ticks. Every tick makes at least one line, so a slice of 0
    // makes one line per tick. Measured on BuilderClock (a real monotonic
    // clock; tests may put another in its place).
    std::chrono::microseconds BuilderSlice{std::chrono::milliseconds(5)};
    std::function<std::chrono::steady_clock::time_point()> BuilderClock = [] {
        return std::chrono::steady_clock::now();
    };

    // ---- public procedures ----
    // Refills the Info Bar for the media control's file.
    void pic();
    // Raises a layered window's alpha from 0 in steps, handling events between steps.
    void lwa_FadeIn(std::int32_t hWnd, std::int16_t Step);

    // ---- start-up, load, unload and chrome (Form2_lifecycle.cpp) ----
    void Form_Load() override;
    void Form_Unload(int& Cancel) override;
    void Form_Resize() override;
    void Form_DblClick() override;
    void Image3_Click();
    void Image3_MouseDown(int Button, int Shift, float X, float Y);
    void Image3_MouseUp(int Button, int Shift, float X, float Y);
    void Image4_Click();
    void Image13_Click();
    void mnuexit_Click();
    void List2_GotFocus();
    void List2_KeyDown(int& KeyCode, int Shift);
    void Command12_MouseDown(int Button, int Shift, float X, float Y);

    // ---- playlist triple: builder, selection chain, Songs fill (Form2_playlist.cpp) ----
    void Timer3_Timer();
    void List2_Click();
    void List1_Click();
    // The Songs submenu opens: it lists the MP3 files of the folder of the
    // entry selected last, listed anew only when that folder is another one
    // or has changed since (a selection itself lists nothing).
    void mnusongs_AboutToShow();
    // Gives the playlist entry at Index (of lstFiles) another path, as after
    // a rename on disk: the path, its List1 line at the same index, and in
    // the sorted List2 the old line taken out and the new one put in its
    // place in order (selected again when the old line was). An entry whose
    // line the builder has not made yet gets only its path. Error 381 for an
    // index outside the list.
    void ReplaceEntryPath(long Index, const std::string& NewPath);

    // ---- playback and track stepping (Form2_playback.cpp) ----
    void List2_DblClick();
    void Label7_Click();
    void mnupopupplay_Click();
    void Label9_Click();
    void Label10_Click();
    void mnupopupnext_Click();
    void mnupopupprevious_Click();
    void MediaPlayer1_EndOfStream(std::int32_t Result);
    void mnuplayaftercurrent_Click();
    void Label8_Click();
    void mnupopuppause_Click();
    void mnupopupresume_Click();
    void mnupopupstop_Click();
    void mnupopupfarward_Click();
    void mnupopuprewind_Click();
    void Label11_Click();
    void Label6_Click();
    void mnuopentrack_Click();
    void mnuopenurl_Click();
    void mnurepeat_Click();
    void mnuturnoff_Click();
    void mnushufle_Click();
    void mnuuplist_Click();

    // ---- a file that cannot be played (Form2_playback.cpp) ----
    // Opens Path on the media control, as every play command does. When the
    // control refuses it (missing, unreadable, no file), the title line names
    // the file and the reason for a few seconds, and when the end of a track
    // was moving on, the entry after it is tried as at a track's end; the
    // refusal then goes on to the caller.
    void OpenEntry(const std::string& Path);
    // The control's error event: the open file turned out not to play (not
    // audio, no decoder). Shown and stepped past as a refusal is.
    void MediaPlayer1_Error(const std::string& Reason);
    // Shows Text on the title line (the whole of Detail in its tooltip and as
    // the window's caption) until tmrNotice ends it.
    void ShowNotice(const std::string& Text, const std::string& Detail);
    void tmrNotice_Timer();
    void tmrStepOn_Timer();

    // ---- skin click areas, indicators and hidden buttons (Form2_transport.cpp) ----
    void Image1_Click();
    void Image1_MouseDown(int Button, int Shift, float X, float Y);
    void Image1_MouseUp(int Button, int Shift, float X, float Y);
    void Image5_Click();
    void Image5_MouseDown(int Button, int Shift, float X, float Y);
    void Image5_MouseUp(int Button, int Shift, float X, float Y);
    void Image7_Click();
    void Image7_MouseDown(int Button, int Shift, float X, float Y);
    void Image7_MouseUp(int Button, int Shift, float X, float Y);
    void Image9_Click();
    void pause1_Click();
    void Image8_Click();
    void Image11_MouseDown(int Button, int Shift, float X, float Y);
    void Image11_MouseUp(int Button, int Shift, float X, float Y);
    void Image17_MouseDown(int Button, int Shift, float X, float Y);
    void Image17_MouseUp(int Button, int Shift, float X, float Y);
    void Image14_Click();
    void Image15_Click();
    void Form_MouseMove(int Button, int Shift, float X, float Y) override;
    // The pause and mute pictures set as the control stands, then its Width
    // set to 239; each a step of its own (a failing one skips only itself).
    void refreshIndicators();
    void Check1_Click();
    void Timer1_Timer();
    void Command1_Click();
    void Command2_Click();
    void Command6_Click();
    void Command8_Click();
    void Command11_Click();
    void Command12_Click();
    void Command13_Click();
    void Command14_Click();
    void Command15_Click();
    void Command16_Click();
    void next_Click();
    void Open_Click();
    void Stop_Click();

    // ---- opacity, always on top (Form2_opacity.cpp) ----
    void mnumainplayer_Click();
    void mnuscrollinfoontop_Click();
    void mnuPercent_Click(int Index);

    // ---- the Info Bar toggle (Form4.cpp) ----
    void mnumarquee_Click();

    // ---- volume, balance, mute, rockers, rate (Form2_sound.cpp) ----
    void Timer5_Timer();
    void Vol1_Click();
    void Vol2_Click();
    void Vol3_Click();
    void Vol4_Click();
    void Vol5_Click();
    void Vol6_Click();
    void Vol7_Click();
    void Vol8_Click();
    void Vol9_Click();
    void Vol10_Click();
    void Slider1_Change();
    void Slider2_Change();
    void Slider3_Change();
    void B2_Click();
    void B3_Click();
    void B4_Click();
    void B6_Click();
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Mute1_Click();
    void Mute2_Click();
    void mnupopupoptionsmute_Click();
    void mnupopupvolumeinc_Click();
    void mnupopupvolumedec_Click();
    void mnupopubalanceleft_Click();
    void mnupopupbalancecenter_Click();
    void mnupopupbalanceright_Click();
    void mnupopup25_Click();
    void mnupopup50_Click();
    void mnupopup75_Click();
    void mnupopup100_Click();
    void mnupopup125_Click();
    void mnupopup150_Click();
    void mnupopup200_Click();

    // ---- popup openers, window drag, hotkeys (Form2_menu.cpp) ----
    void Form_MouseDown(int Button, int Shift, float X, float Y) override;
    void Form_KeyPress(int& KeyAscii) override;
    void List2_MouseDown(int Button, int Shift, float X, float Y);
    void Label1_MouseDown(int Button, int Shift, float X, float Y);
    void Label20_MouseUp(int Button, int Shift, float X, float Y);
    void Label3_MouseDown(int Button, int Shift, float X, float Y);

    // ---- playlist files Save and Load (Form2_playlistfiles.cpp) ----
    void mnusaveplaylist_Click();
    void mnuplaylistload_Click();

    // ---- adding files: open dialog, folder search, drop, playing file (Form2_adding.cpp) ----
    void Image11_Click();
    void Image17_Click();
    void cmdSearch_Click();
    void Command20_Click();
    void Form_OLEDragDrop(forms::DataObject& Data, int& Effect, int Button, int Shift, float X, float Y) override;
    void List2_OLEDragDrop(forms::DataObject& Data, int& Effect, int Button, int Shift, float X, float Y);

private:
    // What a drop on the window or on List2 does.
    void DropPlaylist(forms::DataObject& Data, int& Effect);

public:

    // ---- search box (Form2_search.cpp) ----
    void Text1_Change();
    void Text1_Click();
    void Text1_GotFocus();
    void Text1_LostFocus();
    void Text1_KeyPress(int& KeyAscii);
    void mnusearch_Click();
    // The first line of List2 that begins with Key (upper case), found by
    // halving the sorted list; -1 when no line begins with it.
    long FindLine(const std::string& Key) const;
    // After a slice of the builder: the key typed while it lists selects
    // again among the lines listed so far (nothing once the box is hidden
    // or holds other text).
    void FollowSearch();

    // ---- track file commands of the File submenu (Form2_filecmds.cpp) ----
    void mnuclipboard_Click();
    void mnufolder_Click();
    void mnutrackpath_Click();
    void mnudelete_Click();
    void mnudeletetrack_Click();
    void mnurename_Click();
    void mnuruntrack_Click();
    void mnucontain_Click();

private:
    // The entry of List2's selected line, as a click on it maps it; -1 for none.
    long SelectedEntry() const;
    // Takes the entry off the three lists (line: its List2 line).
    void RemoveEntry(long entry, long line);

public:

    // ---- windows and programs opened from the menu (Form2_windows.cpp) ----
    void mnupopuptag_Click();
    void mnuplayingtag_Click();
    void Label14_Click();
    void Label12_Click();
    void Label15_Click();
    void mnusettings_Click();
    void mnumakedefault_Click();
    void mnupopupabout_Click();
    void mnupopupreadme_Click();
    void mnucontactme_Click();
    void mnubugreport_Click();
    void mnusongrequest_Click();
    void mnusonghaul1_Click();
    void mnusonghaul2_Click();
    void mnusonghaul3_Click();
    void mnuhomepage_Click();
    void mnumail_Click();
    void mnupopupeject_Click();
    void mnupopupclose_Click();

    // ---- favourite folders, File "Add" and the Songs items (Form2_favourites.cpp) ----
    void mnuadd_Click();
    void mnuadd1_Click();
    void mnuadd2_Click();
    void mnuadd3_Click();
    void mnuadd4_Click();
    void mnuadd5_Click();
    void mnuremove1_Click();
    void mnuremove2_Click();
    void mnuremove3_Click();
    void mnuremove4_Click();
    void mnuremove5_Click();
    void mnu1_Click();
    void mnu2_Click();
    void mnu3_Click();
    void mnu4_Click();
    void mnu5_Click();
    void mnuLevel1_Click(int Index);

private:
    void AddFavourite(forms::Menu& favourite);
    void OpenFavourite(forms::Menu& favourite);

public:

private:
    void wireEvents();

    // ---- playback (Form2_playback.cpp) ----
    // The end-of-track steps: what plays after the entry Label4 numbers.
    void StepOn();
    // An entry that could not be played: the notice, and the next entry
    // when the end-of-track steps had opened it.
    void CannotPlay(const std::string& path, const std::string& reason, bool byStepping);
    bool steppingOn_ = false;        // the end-of-track steps are opening an entry
    bool openedByStepping_ = false;  // the open file was opened by them
    long unplayableInRow_ = 0;       // entries in a row they could not play

    // The folder the Songs submenu lists now and its modification time
    // then (nanoseconds; -1 when it could not be read).
    std::optional<std::string> songsListed_;
    std::int64_t songsListedStamp_ = -1;
    // The search key typed while the builder runs, which follows the lines
    // it lists until the build ends.
    std::optional<std::string> searchFollowed_;

    // ---- start-up and exit (Form2_lifecycle.cpp) ----
    // Set when the skin check refused the skin: the unload then writes nothing.
    bool skinRefused_ = false;
    void restoreSavedPlaylist();
    void takeCommandLine(const std::string& command);
    void writePlaylistFiles();
    void saveSettings();
};

// Appends to Target the full path of every file under Folder (no trailing
// "/"), at any depth, whose name matches Pattern; a folder's own files come
// before those of its subfolders.
void FindFiles(const std::string& Folder, const std::string& Pattern, forms::ListBox& Target);

// The folder the folder search walks for txtStartDir's text: blanks trimmed
// and one trailing "/" cut, so the root "/" becomes "" (which FindFiles
// takes as the root).
std::string SearchFolder(const std::string& startDir);

}  // namespace player
