#pragma once
// An SMTP server on 127.0.0.1 for tests, scripted on ScriptedServer: it takes
// one mail per connection and keeps what arrived, with the answers a test
// chooses (a refused recipient, a server that falls silent at some stage).
//
//     nettest::SmtpSink sink;                    // accepts every mail
//     ScopedEnv url("DOVETUNE_SMTP_URL", sink.url());
//     ... send ...
//     EXPECT_EQ(sink.mails()[0].rcptTo, "<support@dovetune.example>");
//     EXPECT_EQ(sink.mails()[0].body(), "the text as built");

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "nettest/scripted_server.hpp"

namespace nettest {

struct SmtpMail {
    std::string mailFrom;  // the MAIL FROM argument as sent: "<a@b>"
    std::string rcptTo;    // the RCPT TO argument
    std::string data;      // what came after DATA, up to and with CR LF "." CR LF
    bool accepted = false; // the data was answered 250
    // A header's value as it came (the first of that name, without regard
    // to case); "" when the mail has none.
    std::string header(const std::string& name) const;
    // The body with the dots a client doubles taken away and decoded from
    // quoted-printable, without the CR LF that ends the data.
    std::string body() const;
};

// Decodes quoted-printable text (soft breaks removed, =XX decoded).
std::string DecodeQuotedPrintable(const std::string& text);

class SmtpSink {
public:
    // Where the server falls silent: it answers nothing from there on and
    // waits for the client to close the connection.
    enum class Stall {
        None,
        Greeting,   // accepts the connection and sends no greeting
        Mail,       // no answer to MAIL FROM
        Rcpt,       // no answer to RCPT TO
        Data,       // no answer to DATA
        AfterData,  // reads the whole mail, then no answer to its end
        Quit,       // accepts the mail (250), then no answer to QUIT
    };
    struct Script {
        std::string rcptAnswer = "250 OK";  // e.g. "550 5.1.1 No such user here"
        Stall stall = Stall::None;
    };
    SmtpSink();
    explicit SmtpSink(Script script);

    std::string url() const;  // smtp://127.0.0.1:<port>
    // The mails, one per connection that reached MAIL FROM.
    std::vector<SmtpMail> mails();
    // The commands as they came, CR LF removed ("EHLO ...", "MAIL FROM:<...>").
    std::vector<std::string> commands();
    int connections() const { return server_->connections(); }
    bool waitForConnections(int n, int timeoutMs = 5000) { return server_->waitForConnections(n, timeoutMs); }

private:
    void serve(Connection& c);
    Script script_;
    std::mutex m_;
    std::vector<SmtpMail> mails_;
    std::vector<std::string> commands_;
    std::unique_ptr<ScriptedServer> server_;
};

}  // namespace nettest
