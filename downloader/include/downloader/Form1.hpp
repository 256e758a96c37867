#pragma once
// The downloader's one window: the song catalogue, the HTTP/1.0 download of
// the source URL into the "Media" folder under the chosen line's name, with
// pause, resume by byte range and stop, and the transfer display.
//
// One class serves the three builds; SetBuild (called by main before the
// window is first referenced) picks the catalogue and the build's details.

#include <functional>
#include <string>

#include "downloader/transfer.hpp"
#include "forms/forms.hpp"
#include "net/winsock.hpp"

namespace downloader {

// The build this program is: 1, 2 or 3 (error 5 otherwise). Default 1.
void SetBuild(int build);
int Build();

// The source URL: the initial text of the hidden txtFrom box.
inline constexpr const char* kSourceUrl = "http://127.0.0.1:8123/Songhaul%20Sampler.mp3";

class Form1 : public forms::Form {
public:
    Form1();
    ~Form1() override;

    // ---- controls ----
    forms::Image Image1;  // banner
    forms::Image Image2;  // backdrop
    forms::TextBox txtFrom;
    forms::TextBox txtTo;
    forms::CommandButton Command1;
    forms::CommandButton Command2;
    forms::CommandButton Command3;
    forms::CommandButton cmdRun;
    forms::ProgressBar prgStatus;
    forms::ListBox List1;
    forms::FileListBox File1;
    forms::Frame Frame1;
    forms::Label Label10, lblSpeed;
    forms::Label Label9, lblSize;
    forms::Label Label11, lblRecieve;
    forms::Label Label13, lblRemaining;
    forms::Label Label12, lblElapsed;
    forms::Label Label3, per;
    forms::TextBox txtHead;
    forms::Label lblStatus;
    forms::Label Label1;
    forms::Label Label2;
    forms::PictureBox picProgress;
    forms::Timer tmrUpdateProgress;
    forms::Timer tmrTimeLeft;
    net::Winsock Winsock;

    // The one transfer in progress.
    TransferState st;

    // ---- handlers ----
    void Form_Load() override;
    void Form_Resize() override;
    void Form_QueryUnload(int& Cancel, int UnloadMode) override;
    void Form_Unload(int& Cancel) override;
    void Label3_Click();
    void List1_Click();
    void cmdRun_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Winsock_Connect();
    void Winsock_DataArrival(long bytesTotal);
    void Winsock_Close();
    void Winsock_Error(int number, const std::string& description);
    void tmrUpdateProgress_Timer();
    void tmrTimeLeft_Timer();

    // ---- procedures ----
    void StartUpdate(std::string strURL);
    void Reset();
    void closesocket();

    // The download folder: the program folder's "Media".
    static std::string mediaFolder();

private:
    void place(forms::Control& c, float left, float top, float width, float height, bool shift = true);
    void connectToHost();
    void writeChunk();
    void measureSpeed();
    void showPaused();
    void failTransfer(const std::string& message);
    void connectionBroke();
    static double monotonicSeconds();

    int build_;
    bool requestSent_ = false;  // the current connection has sent its request
};

// Module routines.
// Opens Target with the desktop's handler for it (xdg-open); reports nothing.
void ShellOpen(forms::Form& form, const std::string& target);
// Puts the window into or out of the topmost band; reports nothing.
void SetFormTopmost(forms::Form& form, bool onTop);

// How ShellOpen starts the opener (tests replace it; an empty function
// restores xdg-open).
void SetShellOpener(std::function<void(const std::string& target)> opener);

}  // namespace downloader
