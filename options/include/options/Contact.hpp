#pragma once
// The contact window: writes a feedback mail (a bug report, a song request,
// a question or a comment) to the support mailbox. It closes only by its own
// Exit button or its close box, so it outlives the main window.

#include <memory>
#include <optional>
#include <string>

#include "forms/control_array.hpp"
#include "forms/forms.hpp"
#include "runtime/error.hpp"

namespace sys {
class MailSending;
}

namespace options {

class Contact : public forms::Form {
public:
    Contact();
    ~Contact() override;

    forms::Label Label5;  // advice
    forms::Label Label1;  // " Reason"
    forms::ComboBox Combo1;  // kind of message
    forms::ControlArray<forms::Label> lblInfo;  // captions of Name1, Text1, Text2
    forms::TextBox Name1;
    forms::TextBox Text1;
    forms::TextBox Text2;
    // ---- the song group ----
    forms::Label Label2;
    forms::Label Label3;
    forms::TextBox Text3;
    forms::Label Label4;
    forms::TextBox Text4;
    // ----
    forms::ProgressBar pr1;
    forms::CommandButton Command1;  // "Send"
    forms::CommandButton Command2;  // "Exit"
    forms::TextBox Text5;  // the mail body's first 500 characters, right of the client area
    forms::Timer Timer1;

    void Form_Load() override;
    void Form_Unload(int& Cancel) override;
    void Combo1_Click();
    void Command1_Click();
    void Command2_Click();
    void Timer1_Timer();

    // The mail's subject and the body as Send builds it.
    static constexpr const char* MailSubject = "5Durezi";
    std::string MailBody(const std::string& userName, const std::string& computerName) const;
    // The whole body of the last Send (Text5 holds its first 500 characters).
    const std::string& lastBody() const { return lastBody_; }

private:
    // The end of a Send, on the UI thread.
    void sendEnded(const std::optional<runtime::Error>& failure);
    std::string lastBody_;
    std::unique_ptr<sys::MailSending> sending_;  // while a Send runs
};

}  // namespace options
