// The contact window headless: the kinds and the song group, the body as
// built, and the mail sent to an SMTP sink on 127.0.0.1, with every failure
// shown to the user and the bar left empty.

#include <gtest/gtest.h>

#include <chrono>

#include "nettest/smtp_sink.hpp"
#include "options/Contact.hpp"
#include "options/windows.hpp"
#include "player_fixture.hpp"
#include "system/mail.hpp"
#include "system/network.hpp"

namespace {

using options::Contact;
using testsupport::ScopedEnv;

struct ContactFixture : playertest::Player {
    options::OptionsWindows real;
    sys::Network::ScopedLookups identity{"jo", "desk.home.example"};
    ContactFixture() { player::SetOptionsWindows(&real); }

    Contact& open() {
        real.showContact();
        return forms::Get<Contact>();
    }
    // Presses Send and waits (in real time) until it has ended: the mail goes
    // out on a thread of its own and its outcome comes back to the window.
    void send(Contact& c) {
        c.Command1.click();
        EXPECT_TRUE(env.scheduler.runUntil([&] { return c.Command1.enabled(); }, 10000)) << "Send did not end";
    }
    // Fills the fields as a user types them.
    void fill(Contact& c, long kind, const std::string& message = "It skips.") {
        if (kind >= 0) c.Combo1.chooseItem(kind);
        c.Name1.setText("Jo Doe");
        c.Text1.setText("jo@home.example");
        c.Text2.setText(message);
    }
};

std::string label(const char* word, int blanks) { return word + std::string(blanks, ' '); }

std::string body(const std::string& kind, const std::string& message, const std::string& user = "jo",
                 const std::string& computer = "desk", const std::string& title = "",
                 const std::string& artist = "") {
    return kind + "\r\n\r\n" + label("Name", 19) + "Jo Doe\r\n" + label("Email", 20) + "jo@home.example\r\n" +
           label("Message", 14) + message + "\r\n" + label("User Name", 11) + user + "\r\n" +
           label("Computer Name", 3) + computer + "\r\n" + label("Title", 22) + title + "\r\n" +
           label("Artist", 22) + artist;
}

TEST(Contact, TheKindsAndTheSongGroup) {
    ContactFixture p;
    auto& c = p.open();
    EXPECT_EQ(c.caption(), "Contact Us");
    ASSERT_EQ(c.Combo1.listCount(), 4);
    const char* kinds[] = {"Bug Report", "Song Request", "Question", "Comments"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(c.Combo1.list(i), kinds[i]);
    EXPECT_EQ(c.Combo1.listIndex(), -1);
    forms::Control* group[] = {&c.Label2, &c.Label3, &c.Text3, &c.Label4, &c.Text4};
    for (auto* g : group) EXPECT_TRUE(g->visible());
    c.Combo1.chooseItem(1);
    for (auto* g : group) EXPECT_TRUE(g->visible());
    c.Text3.setText("Song");
    c.Combo1.chooseItem(2);
    for (auto* g : group) EXPECT_FALSE(g->visible());
    EXPECT_EQ(c.Text3.text(), "Song");
    c.Combo1.chooseItem(1);
    for (auto* g : group) EXPECT_TRUE(g->visible());
    EXPECT_EQ(c.Text5.text(), "Text2");
    EXPECT_GE(c.Text5.leftTwips(), c.clientWidthTwips());  // out of sight
}

TEST(Contact, TypingLimits) {
    ContactFixture p;
    auto& c = p.open();
    c.show();
    for (forms::TextBox* box : {&c.Name1, &c.Text1, &c.Text3, &c.Text4, &c.Text2}) {
        long limit = box == &c.Text2 ? 500 : 30;
        box->setFocus();
        for (long i = 0; i <= limit; ++i) box->typeChar("a");
        EXPECT_EQ(box->text(), std::string(limit, 'a')) << box->name();
    }
}

TEST(Contact, TheMailReachesTheServerWithTheBodyAsBuilt) {
    ContactFixture p;
    nettest::SmtpSink sink;
    ScopedEnv url("DOVETUNE_SMTP_URL", sink.url());
    auto& c = p.open();
    struct Case {
        const char* what;
        long kind;
        std::string message;
        const char* title;
        const char* artist;
        long hideWith;  // a kind chosen after the song boxes were filled (-1: none)
        std::string expected;
    };
    const std::string longMessage(500, 'm');
    const Case cases[] = {
        {"bug report", 0, "It skips.", "", "", -1, body("Bug Report", "It skips.")},
        {"no kind chosen", -1, "Hi", "", "", -1, body("", "Hi")},
        {"song lines of a hidden group", 1, "Please", "Tune", "Band", 2,
         body("Question", "Please", "jo", "desk", "Tune", "Band")},
        {"a line holding a dot alone", 3, "one\r\n.\r\n..\r\ntwo", "", "", -1,
         body("Comments", "one\r\n.\r\n..\r\ntwo")},
        {"a 500-character message", 0, longMessage, "", "", -1, body("Bug Report", longMessage)},
        {"line feeds as the box on screen gives them", 0, "one\ntwo\n", "", "", -1,
         body("Bug Report", "one\r\ntwo\r\n")},
    };
    int sent = 0;
    for (const Case& k : cases) {
        forms::Unload<Contact>();
        auto& w = p.open();
        p.fill(w, k.kind, k.message);
        w.Text3.setText(k.title);
        w.Text4.setText(k.artist);
        if (k.hideWith >= 0) w.Combo1.chooseItem(k.hideWith);
        p.send(w);
        ++sent;
        ASSERT_TRUE(sink.waitForConnections(sent)) << k.what;
        EXPECT_TRUE(p.env.dialogs.shown().empty()) << k.what;
        EXPECT_EQ(w.lastBody(), k.expected) << k.what;
        EXPECT_EQ(w.Text5.text(), k.expected.substr(0, 500)) << k.what;  // its first 500 characters
        auto mails = sink.mails();
        ASSERT_EQ(mails.size(), static_cast<std::size_t>(sent)) << k.what;
        const nettest::SmtpMail& m = mails.back();
        EXPECT_EQ(m.mailFrom, "<jo@home.example>");
        EXPECT_EQ(m.rcptTo, "<support@dovetune.example>");
        EXPECT_EQ(m.header("Subject"), "5Durezi");
        EXPECT_EQ(m.header("From"), "jo@home.example");
        EXPECT_EQ(m.header("To"), "support@dovetune.example");
        EXPECT_EQ(m.body(), k.expected) << k.what;  // whole, the last lines too
        EXPECT_TRUE(w.Timer1.running()) << k.what;
    }
    (void)c;
}

TEST(Contact, TheBarFillsAfterASentMailAndAFullBarStopsTheNextSendsTimer) {
    ContactFixture p;
    nettest::SmtpSink sink;
    ScopedEnv url("DOVETUNE_SMTP_URL", sink.url());
    auto& c = p.open();
    p.fill(c, 0);
    p.send(c);
    EXPECT_EQ(c.pr1.value(), 0);
    p.env.scheduler.advance(5000);
    EXPECT_EQ(c.pr1.value(), 50);
    p.env.scheduler.advance(5000);
    EXPECT_EQ(c.pr1.value(), 100);
    EXPECT_FALSE(c.Timer1.running());
    p.send(c);
    EXPECT_TRUE(c.Timer1.running());
    p.env.scheduler.advance(100);
    EXPECT_EQ(c.pr1.value(), 100);
    EXPECT_FALSE(c.Timer1.running());
    // Reopened from a menu: the same fields and the full bar.
    p.real.showContact();
    EXPECT_EQ(&forms::Get<Contact>(), &c);
    EXPECT_EQ(c.Name1.text(), "Jo Doe");
    EXPECT_EQ(c.pr1.value(), 100);
    c.userClose();
    EXPECT_FALSE(forms::IsLoaded<Contact>());
}

TEST(Contact, AFailedSendIsShownAndLeavesTheBarEmpty) {
    struct Case {
        const char* what;
        nettest::SmtpSink::Script script;
        bool listening;
        const char* sender;
        const char* reason;
        bool reachesServer;
    };
    const Case cases[] = {
        {"550 to RCPT", {"550 5.1.1 No such user here"}, true, "jo@home.example", "550 5.1.1 No such user here",
         true},
        {"nothing listening", {}, false, "jo@home.example", "connect", false},
        {"a server that stalls", {"250 OK", nettest::SmtpSink::Stall::Greeting}, true, "jo@home.example", "timed out", true},
        {"an empty sender", {}, true, "", "no sender address", false},
        {"a sender with CR LF", {}, true, "jo@home.example\r\nBcc: x", "line break", false},
    };
    for (const Case& k : cases) {
        ContactFixture p;
        nettest::SmtpSink sink(k.script);
        ScopedEnv url("DOVETUNE_SMTP_URL", k.listening ? sink.url()
                                                       : "smtp://127.0.0.1:" + std::to_string(nettest::unusedPort()));
        sys::MailLimits saved = sys::DefaultMailLimits();
        sys::DefaultMailLimits().totalTimeoutMs = 400;
        auto& c = p.open();
        p.fill(c, 0);
        c.Text1.setText(k.sender);
        p.env.dialogs.answerMessageBox(forms::vbOK);
        p.send(c);
        sys::DefaultMailLimits() = saved;
        ASSERT_EQ(p.env.dialogs.shown().size(), 1u) << k.what;
        const auto& box = p.env.dialogs.shown()[0].message;
        EXPECT_EQ(box.buttons, forms::vbCritical) << k.what;
        EXPECT_EQ(box.title, runtime::App::Title()) << k.what;
        EXPECT_NE(box.prompt.find(k.reason), std::string::npos) << k.what << ": " << box.prompt;
        EXPECT_FALSE(c.Timer1.running()) << k.what;
        p.env.scheduler.advance(10000);
        EXPECT_EQ(c.pr1.value(), 0) << k.what;
        if (k.listening) {
            EXPECT_EQ(sink.connections() > 0, k.reachesServer) << k.what;
        }
        EXPECT_TRUE(sink.mails().empty() || !sink.mails()[0].accepted) << k.what;
    }
}

TEST(Contact, ABodyIsBuiltAfreshAndAFailedLookupGivesEmptyNames) {
    ContactFixture p;
    nettest::SmtpSink sink;
    ScopedEnv url("DOVETUNE_SMTP_URL", sink.url());
    auto& c = p.open();
    p.fill(c, 0);
    p.send(c);
    EXPECT_EQ(c.lastBody(), body("Bug Report", "It skips."));
    {
        sys::Network::ScopedLookups none(std::nullopt, std::nullopt);
        c.Text2.setText("Second");
        p.send(c);
    }
    const std::string second = body("Bug Report", "Second", "", "");
    EXPECT_EQ(c.lastBody(), second);
    EXPECT_EQ(c.Text5.text(), second);
    ASSERT_TRUE(sink.waitForConnections(2));
    EXPECT_EQ(sink.mails()[1].body(), second);
}

// While the server takes its time the window goes on: Send returns at once
// and waits disabled, the fields take keys and the timers tick; the outcome
// comes within the Send's limit, a mail the server accepted counting as sent
// even when it never says goodbye.
TEST(Contact, ASlowServerDoesNotFreezeTheWindow) {
    using Stall = nettest::SmtpSink::Stall;
    struct Case {
        const char* what;
        Stall stall;
        bool sent;
        const char* reason;
    };
    const Case cases[] = {
        {"no answer to DATA", Stall::Data, false, "timed out"},
        {"no answer after the data", Stall::AfterData, false, "may still deliver it"},
        {"no answer to QUIT", Stall::Quit, true, ""},
    };
    const long limitMs = 600;
    for (const Case& k : cases) {
        ContactFixture p;
        nettest::SmtpSink sink({"250 OK", k.stall});
        ScopedEnv url("DOVETUNE_SMTP_URL", sink.url());
        sys::MailLimits saved = sys::DefaultMailLimits();
        sys::DefaultMailLimits().totalTimeoutMs = limitMs;
        auto& c = p.open();
        c.show();
        p.fill(c, 0);
        p.env.dialogs.answerMessageBox(forms::vbOK);
        auto start = std::chrono::steady_clock::now();
        c.Command1.click();
        sys::DefaultMailLimits() = saved;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200)) << k.what;
        EXPECT_FALSE(c.Command1.enabled()) << k.what;
        // The window still works meanwhile; a second press starts nothing.
        c.Text2.setFocus();
        c.Text2.typeChar("x");
        EXPECT_NE(c.Text2.text().find('x'), std::string::npos) << k.what;
        c.Command1.click();
        int ticks = 0;
        runtime::Scheduler::Id timer = p.env.scheduler.startTimer(10, [&] { ++ticks; });
        p.env.scheduler.advance(50);
        p.env.scheduler.stopTimer(timer);
        EXPECT_EQ(ticks, 5) << k.what;
        ASSERT_TRUE(p.env.scheduler.runUntil([&] { return c.Command1.enabled(); }, 5000)) << k.what;
        auto tookMs =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
        EXPECT_LE(tookMs, limitMs + 300) << k.what;  // room for a busy machine
        EXPECT_EQ(c.Timer1.running(), k.sent) << k.what;
        if (k.sent) {
            EXPECT_TRUE(p.env.dialogs.shown().empty()) << k.what;
        } else {
            ASSERT_EQ(p.env.dialogs.shown().size(), 1u) << k.what;
            const std::string& prompt = p.env.dialogs.shown()[0].message.prompt;
            EXPECT_NE(prompt.find(k.reason), std::string::npos) << k.what << ": " << prompt;
        }
        EXPECT_TRUE(sink.waitForConnections(1, 500)) << k.what;
        EXPECT_EQ(sink.connections(), 1) << k.what;
    }
}

// Exit while a Send waits: the window closes at once, the connection is cut
// and nothing comes back to the closed window.
TEST(Contact, ExitDuringASendAbandonsIt) {
    ContactFixture p;
    nettest::SmtpSink sink({"250 OK", nettest::SmtpSink::Stall::Data});
    ScopedEnv url("DOVETUNE_SMTP_URL", sink.url());
    auto& c = p.open();
    p.fill(c, 0);
    c.Command1.click();
    ASSERT_FALSE(c.Command1.enabled());
    auto waitsForData = [&] {
        for (const std::string& command : sink.commands())
            if (command == "DATA") return true;
        return false;
    };
    ASSERT_TRUE(p.env.scheduler.runUntil(waitsForData, 5000));
    auto start = std::chrono::steady_clock::now();
    c.Command2.click();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_FALSE(forms::IsLoaded<Contact>());
    EXPECT_TRUE(sink.waitForConnections(1, 1000));
    p.env.scheduler.runUntil([] { return false; }, 200);
    EXPECT_TRUE(p.env.dialogs.shown().empty());
    ASSERT_EQ(sink.mails().size(), 1u);
    EXPECT_FALSE(sink.mails()[0].accepted);
}

}  // namespace
