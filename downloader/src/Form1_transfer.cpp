// The transfer: Download, Pause/Resume, Stop, the socket's events, the
// request, the answer's head and the writing of each chunk.

#include <string>

#include "downloader/Form1.hpp"
#include "downloader/progress.hpp"
#include "runtime/files.hpp"
#include "runtime/filesystem.hpp"
#include "runtime/scheduler.hpp"
#include "runtime/strings.hpp"

namespace downloader {

namespace {
constexpr const char* kFailedTitle = "Download Failed";
constexpr const char* kIncomplete = "The connection closed before the file was complete.";
}  // namespace

double Form1::monotonicSeconds() { return static_cast<double>(runtime::Scheduler::current().nowMs()) / 1000.0; }

void Form1::StartUpdate(std::string strURL) { st.StartUpdate(std::move(strURL)); }

void Form1::closesocket() {
    while (Winsock.State() != net::Winsock::sckClosed) {
        Winsock.Close();
        Winsock.setLocalPort(0);
        runtime::Close(1);
    }
    runtime::Close(1);  // the target stays open only while its transfer runs
}

void Form1::Reset() {
    closesocket();
    st.clearTransfer();
    prgStatus.setValue(0);
    Command1.setEnabled(true);
}

void Form1::connectToHost() {
    st.head.reset();
    st.truncatePending = false;
    requestSent_ = false;
    auto hp = splitHostPort(st.strHost);
    if (!hp) {
        forms::MsgBox("Could not connect to " + st.strHost + ".", forms::vbCritical, kFailedTitle);
        return;
    }
    Winsock.Connect(hp->host, hp->port);
}

void Form1::Command1_Click() {
    // A running transfer is never redirected into another file or position.
    if (Winsock.State() != net::Winsock::sckClosed) return;
    // Without a chosen line there is no name to save under.
    if (List1.listIndex() < 0) {
        forms::MsgBox("Choose a song from the list first.", forms::vbInformation, caption());
        return;
    }
    runtime::Steps step;
    std::string url;
    step([&] { url = txtFrom.text(); });
    std::string name;
    step([&] { name = List1.text() + runtime::Right(url, 4); });
    auto fileName = mediaFileName(name);
    if (!fileName) {
        forms::MsgBox("\"" + name + "\" cannot name a file.", forms::vbCritical, kFailedTitle);
        return;
    }
    step([&] { txtTo.setText(mediaFolder() + "/" + *fileName); });
    // A fresh download carries nothing over from an earlier or paused one.
    step([&] { Reset(); });
    st.intSeconds = st.intMinutes = st.intHours = 0;
    step([&] { StartUpdate(url); });
    step([&] { lblStatus.setVisible(false); });
    step([&] { prgStatus.setVisible(true); });
    step([&] { connectToHost(); });
}

void Form1::Command2_Click() {
    // Only while a size is known and bytes are still missing.
    if (!(st.sngFileSize > 0 && st.sngPosition <= st.sngFileSize)) return;
    runtime::Steps step;
    if (Winsock.State() != net::Winsock::sckClosed) {
        st.strData.clear();
        st.sngStartTime = 0;
        st.varHeader.clear();
        step([&] { closesocket(); });
        step([&] { showPaused(); });
    } else {
        // Until the answer's first body byte is written (and empties the
        // target), the file on disk is not this download's; nor is there
        // anything to continue when the file cannot be measured. Then the
        // resume asks from the start and still replaces the file.
        const bool nothingWritten = st.truncatePending;
        step([&] { prgStatus.setVisible(true); });
        step([&] { lblStatus.setVisible(false); });
        st.sngResumeFrom = 0;
        if (!nothingWritten) step([&] { st.sngResumeFrom = runtime::FileLen(txtTo.text()); });
        st.blnResume = true;
        step([&] { connectToHost(); });
        st.truncatePending = nothingWritten;
        step([&] { Command2.setCaption("Pause"); });
    }
}

void Form1::showPaused() {
    runtime::Steps step;
    step([&] { prgStatus.setVisible(false); });
    step([&] { lblStatus.setVisible(true); });
    step([&] { lblStatus.setCaption("Download Paused"); });
    step([&] { Command2.setCaption("Resume"); });
}

void Form1::Command3_Click() {
    if (Winsock.State() == net::Winsock::sckClosed) return;
    closesocket();
    forms::MsgBox("Transfer Aborted!", forms::vbExclamation, "Aborted");
    Reset();
}

void Form1::Winsock_Connect() {
    runtime::Steps step;
    step([&] { Winsock.SendData(st.request()); });
    requestSent_ = true;
    st.sngStartTime = monotonicSeconds();
}

// Ends the transfer with a message. The socket closes first, so that no
// chunk of the refused answer can arrive while the message is up.
void Form1::failTransfer(const std::string& message) {
    closesocket();
    forms::MsgBox(message, forms::vbCritical, kFailedTitle);
    Reset();
}

void Form1::Winsock_DataArrival(long bytesTotal) {
    (void)bytesTotal;
    runtime::Steps step;
    step([&] { Winsock.GetData(st.strData); });
    const bool headBefore = st.head.complete();
    switch (st.takeChunk()) {
    case TransferState::Verdict::Waiting: return;
    case TransferState::Verdict::Retry404:
        st.bln404Retry = true;
        step([&] { Reset(); });
        step([&] { closesocket(); });
        step([&] { connectToHost(); });
        return;
    case TransferState::Verdict::NotFound:
        st.bln404Retry = false;
        step([&] { closesocket(); });
        forms::MsgBox("File not found on this server.", forms::vbCritical, "File Not Found");
        step([&] { Reset(); });
        return;
    case TransferState::Verdict::ResumeRefused:
        step([&] { closesocket(); });
        forms::MsgBox("Server did not accept resuming.", forms::vbCritical, "No Resuming Support");
        step([&] { Reset(); });
        return;
    case TransferState::Verdict::BadStatus:
        failTransfer("The server answered \"" + runtime::cp1252::decode(st.head.statusLine()) + "\".");
        return;
    case TransferState::Verdict::HeadTooLong:
        failTransfer("The server's answer has a head longer than 64 KB.");
        return;
    case TransferState::Verdict::Malformed:
        failTransfer("The server's answer is not HTTP.");
        return;
    case TransferState::Verdict::Write: break;
    }
    if (!headBefore) step([&] { txtHead.setText(runtime::cp1252::decode(st.varHeader)); });
    writeChunk();
    step([&] { measureSpeed(); });
}

void Form1::writeChunk() {
    // Bytes past the announced size are no part of the file.
    if (st.sngFileSize > 0) {
        const std::int64_t room = st.sngFileSize - (st.sngPosition - 1);
        if (room <= 0)
            st.strData.clear();
        else if (static_cast<std::int64_t>(st.strData.size()) > room)
            st.strData.resize(static_cast<std::size_t>(room));
    }
    if (st.strData.empty()) return;
    const std::string path = txtTo.text();
    try {
        auto& files = runtime::Files();
        if (!files.IsOpen(1)) {
            std::string folder = mediaFolder();
            if (!runtime::FolderExists(folder)) runtime::MkDir(folder);
            // A fresh answer replaces the old file, but only once its first
            // byte is here: a download that fails before leaves it as it was.
            if (st.truncatePending) {
                files.Open(path, runtime::OpenMode::Output, 1);
                files.Close(1);
            }
            files.Open(path, runtime::OpenMode::Binary, 1, runtime::Access::Write);
        }
        st.truncatePending = false;
        files.PutBytes(1, st.sngPosition, st.strData);
        st.sngPosition = files.Seek(1);
    } catch (const runtime::Error& e) {
        failTransfer("Could not save the download as " + path + "." + runtime::vbCrLf + e.description());
    }
}

void Form1::measureSpeed() {
    double now = monotonicSeconds();
    std::int64_t counted = st.blnResume ? st.sngPosition - st.sngResumeFrom : st.sngPosition;
    st.sngSpeed = SpeedFigure(counted, now - st.sngStartTime, st.sngSpeed);
}

// The connection ended while bytes were missing: the transfer waits,
// paused, for Resume to finish it.
void Form1::connectionBroke() {
    closesocket();
    showPaused();
    forms::MsgBox(kIncomplete, forms::vbCritical, kFailedTitle);
}

void Form1::Winsock_Close() {
    SetFormTopmost(*this, false);
    const bool bytesMissing = st.sngFileSize > 0 && st.sngPosition <= st.sngFileSize;
    if (!st.head.complete()) {
        if (bytesMissing)
            connectionBroke();  // a resume that got no answer stays paused
        else
            failTransfer(kIncomplete);
        return;
    }
    if (st.sngFileSize <= 0) {
        // No length was announced: what came is the whole file, and the
        // clock completes it. With nothing written there is nothing to complete.
        if (st.sngPosition > 1)
            st.sngFileSize = st.sngPosition - 1;
        else
            Reset();
        return;
    }
    if (bytesMissing) connectionBroke();
}

void Form1::Winsock_Error(int number, const std::string& description) {
    (void)number, (void)description;
    if (requestSent_ && st.head.complete() && st.sngFileSize > 0 && st.sngPosition <= st.sngFileSize) {
        connectionBroke();
        return;
    }
    closesocket();
    forms::MsgBox(requestSent_ ? std::string(kIncomplete) : "Could not connect to " + st.strHost + ".",
                  forms::vbCritical, kFailedTitle);
    // A resume that could not connect is still paused.
    if (st.sngFileSize > 0 && st.sngPosition <= st.sngFileSize) showPaused();
}

}  // namespace downloader
