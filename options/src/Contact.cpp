#include "options/Contact.hpp"

#include "forms/dialogs.hpp"
#include "player/Form2.hpp"
#include "player/addresses.hpp"
#include "runtime/app.hpp"
#include "runtime/error.hpp"
#include "runtime/strings.hpp"
#include "system/mail.hpp"
#include "system/network.hpp"

namespace options {

Contact::Contact()
    : forms::Form("Contact"), Label5(*this, "Label5"), Label1(*this, "Label1"), Combo1(*this, "Combo1"),
      lblInfo(*this, "lblInfo"), Name1(*this, "Name1"), Text1(*this, "Text1"), Text2(*this, "Text2"),
      Label2(*this, "Label2"), Label3(*this, "Label3"), Text3(*this, "Text3"), Label4(*this, "Label4"),
      Text4(*this, "Text4"), pr1(*this, "pr1"), Command1(*this, "Command1"), Command2(*this, "Command2"),
      Text5(*this, "Text5"), Timer1(*this, "Timer1") {
    setCaption("Contact Us");
    setBorderStyle(forms::BorderStyle::FixedDialog);
    setMinButton(false);
    setMaxButton(false);
    setClientSize(4755, 6270);

    Label5.setRectTwips(120, 30, 4455, 255);
    Label5.setCaption("1 Connect To The Internet 2 Turn Off Firewall ");
    Label1.setRectTwips(120, 405, 615, 255);
    Label1.setCaption(" Reason");
    Combo1.setRectTwips(960, 360, 3615, 315);
    Combo1.setStyle(2);
    Combo1.Click = [this] { Combo1_Click(); };

    // The captions sit before the boxes they name, so Tab passes through
    // them in the order the user reads.
    forms::Label& nameCaption = lblInfo.add(1);
    nameCaption.setRectTwips(120, 1020, 795, 255);
    nameCaption.setCaption("Full Name");
    Name1.setRectTwips(960, 960, 3555, 315);
    Name1.setMaxLength(30);
    forms::Label& mailCaption = lblInfo.add(0);
    mailCaption.setRectTwips(120, 1380, 795, 255);
    mailCaption.setCaption("Email Add:");
    Text1.setRectTwips(960, 1320, 3555, 315);
    Text1.setMaxLength(30);
    forms::Label& messageCaption = lblInfo.add(2);
    messageCaption.setRectTwips(120, 1800, 795, 255);
    messageCaption.setCaption("Message:");
    Text2.setRectTwips(960, 1680, 3615, 2295);
    Text2.setMultiLine(true);
    Text2.setScrollBars(2);
    Text2.setMaxLength(500);

    Label2.setRectTwips(1080, 4080, 3135, 495);
    Label2.setCaption("Which Song You Need Fill Song Info:    Note: Your Will Get The Song In Few Days.");
    Label2.setWordWrap(true);
    Label3.setRectTwips(360, 4560, 495, 255);
    Label3.setCaption("Title:");
    Text3.setRectTwips(960, 4560, 3555, 315);
    Text3.setMaxLength(30);
    Label4.setRectTwips(360, 4920, 495, 255);
    Label4.setCaption("Artist:");
    Text4.setRectTwips(960, 4920, 3555, 315);
    Text4.setMaxLength(30);

    pr1.setRectTwips(960, 5330, 3495, 375);
    pr1.setMin(0);
    pr1.setMax(100);
    Command1.setRectTwips(960, 5760, 1575, 375);
    Command1.setCaption("Send");
    Command1.Click = [this] { Command1_Click(); };
    Command2.setRectTwips(2640, 5760, 1575, 375);
    Command2.setCaption("Exit");
    Command2.Click = [this] { Command2_Click(); };

    // Right of the client area: the user never sees it, nor tabs into it.
    Text5.setRectTwips(4920, 360, 4695, 5655);
    Text5.setMultiLine(true);
    Text5.setScrollBars(2);
    Text5.setMaxLength(500);
    Text5.setText("Text2");
    Text5.setTabStop(false);
    for (forms::TextBox* box : {&Name1, &Text1, &Text2, &Text3, &Text4}) box->setText("");

    Timer1.setInterval(100);
    Timer1.setEnabled(false);
    Timer1.Tick = [this] { Timer1_Timer(); };
}

Contact::~Contact() = default;

void Contact::Form_Load() {
    runtime::Steps step;
    step([&] { setIcon(forms::Get<player::Form2>().icon()); });
    for (const char* kind : {"Bug Report", "Song Request", "Question", "Comments"}) Combo1.addItem(kind);
}

void Contact::Combo1_Click() {
    bool song = Combo1.text() == "Song Request";
    for (forms::Control* c : std::initializer_list<forms::Control*>{&Label2, &Label3, &Text3, &Label4, &Text4})
        c->setVisible(song);
}

namespace {

// The message's line breaks as the mail's own, CR LF (the box on screen
// gives a typed line break as a line feed alone).
std::string crlfLines(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out += "\r\n";
            ++i;
        } else if (c == '\r' || c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::string Contact::MailBody(const std::string& userName, const std::string& computerName) const {
    auto label = [](const char* word, int blanks) { return std::string(word) + std::string(blanks, ' '); };
    return Combo1.text() + "\r\n" +                                   //
           "\r\n" +                                                   //
           label("Name", 19) + Name1.text() + "\r\n" +                //
           label("Email", 20) + Text1.text() + "\r\n" +               //
           label("Message", 14) + crlfLines(Text2.text()) + "\r\n" +             //
           label("User Name", 11) + userName + "\r\n" +               //
           label("Computer Name", 3) + computerName + "\r\n" +        //
           label("Title", 22) + Text3.text() + "\r\n" +               //
           label("Artist", 22) + Text4.text();
}

void Contact::Command1_Click() {
    if (sending_) return;
    // The body is built afresh from the fields at every Send; a failed
    // identity lookup gives empty names.
    lastBody_ = MailBody(sys::Network::UserName(), sys::Network::ComputerName());
    runtime::Steps step;
    step([&] { Text5.setText(lastBody_); });  // keeps its first 500 characters
    sys::MailMessage mail;
    mail.Subject = MailSubject;
    mail.Sender = Text1.text();
    mail.To = std::string(player::addresses::SupportMail);
    mail.TextBody = lastBody_;  // the whole body, so no line is lost
    // The mail goes out on a thread of its own, so the window keeps painting
    // and taking keys while a slow server answers; Send waits disabled.
    step([&] { Command1.setEnabled(false); });
    sending_ = std::make_unique<sys::MailSending>(
        std::move(mail), [this](const std::optional<runtime::Error>& failure) { sendEnded(failure); });
}

void Contact::sendEnded(const std::optional<runtime::Error>& failure) {
    sending_.reset();
    runtime::Steps step;
    step([&] { Command1.setEnabled(true); });
    if (failure) {
        step([&] { forms::MsgBox(failure->description(), forms::vbCritical, runtime::App::Title()); });
        return;  // the bar fills only for a mail that went out
    }
    step([&] { Timer1.setEnabled(true); });
}

// Closing the window abandons a Send still running: its connection is cut
// at once.
void Contact::Form_Unload(int& /*Cancel*/) { sending_.reset(); }

void Contact::Timer1_Timer() {
    runtime::Steps step;
    step([&] { pr1.setValue(pr1.value() + 1); });
    step([&] {
        if (pr1.max() == pr1.value()) Timer1.setEnabled(false);
    });
}

void Contact::Command2_Click() { unload(); }

}  // namespace options
