#pragma once
// The tag editor: one borderless, skinned window that edits the ID3v1 and
// ID3v2 tags of the file named in txtpath, shows its MPEG stream information
// and whether it carries an ID3v1 tag.
//
// Every control of the window is declared here and wired in Form1.cpp; the
// handlers live in one file per subject:
//   Form1.cpp           design values, Form_Load, the one-shot loader, moving
//                       and closing, the ID3v1 switch
//   Form1_tags.cpp      loading the boxes from the tag objects and saving
//                       them, save while playing, drops and the file picker
//   Form1_tidy.cpp      the tidy run, rating stars, ID3v1 length meter
//   Form1_case.cpp      Upper, Lower, Proper
//   Form1_names.cpp     tags from file and folder names, the popup menu
//   Form1_multitag.cpp  Multi Tag
//   Form1_panels.cpp    side panel cycle and artist pictures
//   Form1_info.cpp      file information and attributes
//   Form1_copy.cpp      Copy Info, Copy to 1, Copy from1, Renew

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "forms/forms.hpp"
#include "metadata/cmp3id3v1.hpp"
#include "metadata/cmp3id3v2.hpp"
#include "runtime/files.hpp"
#include "system/url_download.hpp"
#include "tageditor/tag_write.hpp"

namespace player {
class Form2;
}

namespace tageditor {

class Form1 : public forms::Form {
public:
    Form1();
    ~Form1() override;

    // ---- path, ID3v1 switch, MPEG information ----
    forms::TextBox txtpath;
    forms::CommandButton cmdPick;
    forms::CheckBox Idtag;
    forms::TextBox Text2;
    forms::Image Image2;
    forms::Image Image1;
    forms::Label Label1;

    // ---- ID3v1 fields ----
    forms::TextBox txtTitle;
    forms::TextBox txtartist;
    forms::TextBox txtalbum;
    forms::ComboBox Combo1;
    forms::TextBox txtYear;
    forms::TextBox txtComments;
    forms::TextBox txtTrack;

    // ---- ID3v2 fields (the comment and lyrics boxes stand in their panels) ----
    forms::TextBox txtTitleV2;
    forms::TextBox txtArtistV2;
    forms::TextBox txtAlbumV2;
    forms::ComboBox cboGenreV2;
    forms::TextBox txtYearV2;
    forms::TextBox txtTrackV2;
    forms::TextBox txtOriginalArtist;
    forms::TextBox txtComposer;
    forms::TextBox txtCopyright;
    forms::TextBox txtEncodedBy;
    forms::TextBox txtLinkTo;
    forms::TextBox txtbuyurl;
    forms::TextBox txtaudiourl;
    forms::TextBox txtartisturl;

    // ---- rating, gauges ----
    forms::ComboBox Combo2;
    forms::Image Star1, Star2, Star3, Star4, Star5;
    forms::Image Head1, Head2;
    forms::ProgressBar pr1;
    forms::Label Label2;
    forms::ProgressBar p1;
    forms::Label Label3;

    // ---- buttons of the main area ----
    forms::CommandButton Command2;   // Update
    forms::CommandButton Command6;   // Copy Info
    forms::CommandButton Command3;   // Parse to Tag
    forms::CommandButton Command9;   // Copy from1
    forms::CommandButton Command7;   // Copy to 1
    forms::CommandButton Command8;   // Renew
    forms::CommandButton Command12;  // Upper
    forms::CommandButton Command11;  // Lower
    forms::CommandButton Command10;  // Proper
    forms::CommandButton Command16;  // side panel cycle
    forms::CommandButton Command17;  // Multi Tag

    // ---- side panel: artist picture ----
    forms::PictureBox Picture1;
    forms::Label Label6;
    forms::Image Image4;
    forms::Shape Shape1;
    forms::CommandButton Command13;  // Add
    forms::CommandButton Command14;  // Remove
    forms::CommandButton Command15;  // download
    forms::Frame Frame2;
    forms::ProgressBar ProgressBar1;
    forms::Label LabelProgress;
    forms::Timer Timer5;
    forms::TextBox Text4;
    forms::CommonDialog Cd1;

    // ---- side panels: notes and lyrics ----
    forms::PictureBox Picture2;
    forms::TextBox txtCommentV2;
    forms::TextBox Text13;
    forms::PictureBox Picture3;
    forms::TextBox txtlyrics;
    forms::TextBox Text5;

    // ---- side panel: file information ----
    forms::PictureBox Picture4;
    forms::Frame Frame1;
    forms::Label Label10, Label12, Label13, Label15, Label7, Label8, Label9;  // row captions
    forms::Label Text9, Text12, Label11, Label14, Text6, Text7, Text8;        // row values
    forms::CheckBox Read;
    forms::CheckBox Hidden;
    forms::CheckBox Archive;

    // ---- side panel: Multi Tag ----
    forms::PictureBox Picture5;
    forms::CheckBox Check1;
    forms::CommandButton Command20;  // Add Folder
    forms::CommandButton Command19;  // Add Files
    forms::CommandButton Command18;  // Update
    forms::ListBox List1;

    // ---- hidden helpers (hidden, or outside the skin) ----
    forms::Label Label4;  // the playing position during a save while playing
    forms::Label Label5;  // the playing file during a save while playing
    forms::CommandButton Command1;
    forms::CommandButton Command4;
    forms::CommandButton Command5;
    forms::TextBox Text1;
    forms::TextBox Text3;
    forms::ListBox lstFiles;
    forms::TextBox txtStartDir;
    forms::TextBox txtPattern;

    // ---- timers ----
    forms::Timer Timer1;     // one-shot file loader
    forms::Timer Timer2;     // tidy run
    forms::Timer Timer3;     // ID3v1 length meter
    forms::Timer Timer4;     // Multi Tag writer
    forms::Timer TimerFile;  // Multi Tag name list filler

    // ---- popup menu ----
    forms::Menu mnutag;
    forms::Menu mnuparstag;
    forms::Menu mnutitle;
    forms::Menu mnusep3;
    forms::Menu mnuartisttitle;
    forms::Menu mnusep1;
    forms::Menu mnualbumartisttitle;
    forms::Menu mnuaddfolder;
    forms::Menu mnumultitag;

    // The field captions, 0 to 27; some stand in the panels above, so the
    // array is declared after them (and goes before them).
    forms::ControlArray<forms::Label> lblInfo;

    // The two tag objects of the window, made at load; a use that finds one
    // missing makes it anew.
    std::unique_ptr<metadata::cMP3ID3v1> id3v1;
    std::unique_ptr<metadata::cMP3ID3v2> id3v2;
    metadata::cMP3ID3v1& tagV1();
    metadata::cMP3ID3v2& tagV2();

    // ---- the window, the loader, moving and closing (Form1.cpp) ----
    void Form_Load() override;
    void Form_MouseDown(int Button, int Shift, float X, float Y) override;
    void Timer1_Timer();
    void Command1_Click();
    void Image2_MouseDown(int Button, int Shift, float X, float Y);
    void Label1_Click();
    // Escape closes the window as its X does.
    void Form_KeyDown(int& KeyCode, int Shift) override;
    void Idtag_Click();
    void Label4_Click();

    // ---- loading and saving (Form1_tags.cpp) ----
    void Command2_Click();
    void Command4_Click();
    void cmdPick_Click();
    void Form_OLEDragOver(forms::DataObject& Data, int& Effect, int Button, int Shift, float X, float Y,
                          int State) override;
    void Form_OLEDragDrop(forms::DataObject& Data, int& Effect, int Button, int Shift, float X, float Y) override;

    // ---- tidy run, rating, length meter (Form1_tidy.cpp) ----
    void Timer2_Timer();
    void Timer3_Timer();
    void Combo2_Click();
    void txtCopyright_LostFocus();

    // ---- case conversion (Form1_case.cpp) ----
    void Command10_Click();
    void Command11_Click();
    void Command12_Click();

    // ---- tags from names, the popup menu (Form1_names.cpp) ----
    void lblInfo_MouseDown(int Index, int Button, int Shift, float X, float Y);
    void mnutitle_Click();
    void mnuartisttitle_Click();
    void Command3_Click();
    void mnualbumartisttitle_Click();

    // ---- Multi Tag (Form1_multitag.cpp) ----
    void Command17_Click();
    void Command19_Click();
    void Command20_Click();
    void mnuaddfolder_Click();
    void TimerFile_Timer();
    void List1_Click();
    void mnumultitag_Click();
    void Command18_Click();
    void Timer4_Timer();

    // ---- side panels and artist pictures (Form1_panels.cpp) ----
    void Command16_Click();
    void Command13_Click();
    void Command14_Click();
    void Command15_Click();
    void Timer5_Timer();
    // The download's limits (tests set short ones).
    sys::DownloadLimits pictureDownloadLimits;

    // ---- file information and attributes (Form1_info.cpp) ----
    void LoadInfo();
    void Read_Click();
    void Hidden_Click();
    void Archive_Click();

    // ---- copying and clearing the fields (Form1_copy.cpp) ----
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();

private:
    player::Form2& mainWindow();

    // ---- the loader (Form1.cpp) ----
    // The whole loader, for the timer, drops and the picker. False (with the
    // reason in failure) when the tag fields could not be loaded.
    bool loadFile(std::string* failure = nullptr);
    void readTagMarker(const std::string& p);
    void setId3v1Enabled(bool enabled);

    // ---- loading and saving (Form1_tags.cpp) ----
    void LoadEditorTags();
    // True when both tags were written; otherwise saveFailure_ says why.
    bool SaveEditorTags();
    void OpenTagFile(std::string Path);
    void PickTagFile();
    void reportSaveFailure();
    void rememberLoadedV2();

    // The 3 bytes read at the ID3v1 position; emptied at each loader run.
    std::string tagMarker_;
    // txtpath as the loader's tag path copied it.
    std::string pathCopy_;

    // What the boxes were last loaded from: the path, and whether that load
    // went through. A save goes only into that file, which the tag objects
    // know by its device and inode (fileIdentity), as they read it or as
    // their last write left it.
    std::string loadedPath_;
    bool loadedOk_ = false;
    // What the load put into each ID3v2 box, and the rating it read; the save
    // writes a property only when its box differs.
    struct LoadedV2 {
        std::string title, artist, album, genre, year, comment, track, originalArtist, composer, copyright,
            encodedBy, linkTo, lyrics, artistUrl, audioUrl, buyUrl;
        long rating = -1;
    } loadedV2_;
    // Why the last save did not write (empty when it did).
    std::string saveFailure_;
    int saveFailureStyle_ = 0;
    bool lastSaveOk_ = false;  // the save of the last save while playing

    // ---- file information and attributes (Form1_info.cpp) ----
    // LoadInfo for the file the loader has just loaded; where there is none,
    // the rows are emptied and the boxes cleared.
    void refreshInfo();
    void showAttributes(int attributes);
    void writeAttribute(forms::CheckBox& box, int bit, const std::string& name);
    bool showingAttributes_ = false;  // the boxes are being set from the file

    // ---- Multi Tag (Form1_multitag.cpp) ----
public:
    // True while a Multi Tag run writes its list.
    bool multiTagRunning() const;

private:
    // When a run writes its list: shows that `what` must wait for its end,
    // and returns true.
    bool refuseDuringRun(const std::string& what);
    // Writes the editor's common fields into the file in txtpath, the one
    // that line `line` of the lists stands for.
    void writeRunFile(bool titleMode, long line);
    void reportRun();
    long runNext_ = 0;                      // the line the next tick writes
    std::vector<std::string> runFailures_;  // "path: reason" of the files not written whole
    // The file each line of the lists stood for when the filler gave it its
    // name (none when its path named no file then). A run writes a line's
    // tags only into that file, not into whatever its path names by then.
    std::vector<std::optional<runtime::FileIdentity>> listedFiles_;

    // Both tags, ID3v2 first (tag_write.hpp). A grown ID3v2 tag puts a new
    // file at the path; the lines listed for the old one stand for it then,
    // so neither this window's saves nor a run refuse a file the window
    // itself replaced.
    TagWrite writeTags(metadata::cMP3ID3v1& v1, metadata::cMP3ID3v2& v2);
};

// The title the parses take from a path: the file name without its last four
// characters, or whole when it has four or fewer.
std::string TitleFromFileName(const std::string& path);

}  // namespace tageditor
