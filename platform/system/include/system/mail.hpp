#pragma once
// The mail object: one plain-text message sent over SMTP (libcurl) to the
// server named by DOVETUNE_SMTP_URL (default smtp://localhost:25).
//
//     sys::MailMessage m;
//     m.Subject = "Hello";
//     m.Sender = "me@example.org";        // envelope sender and From header
//     m.To = "you@example.org";
//     m.TextBody = "line one\r\nline two";
//     m.Send();                           // runtime::Error on any failure
//
// The message carries From, To, Subject, Date, Message-ID and the body as
// UTF-8 in quoted-printable, so every byte of the text arrives as written.
// Before any connection, Send refuses a header value holding CR or LF, an
// empty sender, and an address that is not printable ASCII with one "@".
//
// A Send ends within its time limit, all of it: connecting, the conversation
// and closing the connection. It counts as sent once the server has accepted
// the mail (its answer after the end of the data); the goodbye that follows
// is sent but not waited for.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "runtime/error.hpp"

namespace sys {

struct MailLimits {
    long connectTimeoutMs = 10000;  // to reach the server
    long totalTimeoutMs = 30000;    // for the whole Send, from connecting to closing
};

// The limits every new message starts with (tests may lower them).
MailLimits& DefaultMailLimits();

// The server's address: DOVETUNE_SMTP_URL, or smtp://localhost:25.
std::string SmtpUrl();

class MailCut;

class MailMessage {
public:
    std::string Subject;
    std::string Sender;
    std::string To;
    std::string TextBody;
    MailLimits limits = DefaultMailLimits();

    // Sends the message and returns once the server has taken it. Raises
    // runtime::Error (number 5 for a message refused before sending, else
    // -2147220973, the original's "transport failed to connect") with the
    // reason: the server's answer, or libcurl's.
    void Send();

    // The whole message as sent after the DATA command (headers, empty line,
    // encoded body), without dot-stuffing; for tests and for Send.
    std::string Compose() const;

private:
    friend class MailSending;
    void send(MailCut& cut, const std::string& url) const;
};

// A Send on a thread of its own, so that the window that asked for it keeps
// painting and taking keys while the server takes its time. The outcome is
// posted onto the UI thread (the scheduler current when the Send starts).
//
//     sending_ = std::make_unique<sys::MailSending>(mail, [this](auto failure) {
//         ... failure is nullopt once the server accepted the mail ...
//     });
//
// Destroying it first abandons the Send: its connection is cut at once (the
// mail stays sent only when the server had accepted it already), the thread
// is waited for (milliseconds), and done is not called.
class MailSending {
public:
    using Done = std::function<void(const std::optional<runtime::Error>& failure)>;
    MailSending(MailMessage message, Done done);
    ~MailSending();
    MailSending(const MailSending&) = delete;
    MailSending& operator=(const MailSending&) = delete;

private:
    struct State;
    std::shared_ptr<State> state_;
    std::thread thread_;
};

// Quoted-printable of UTF-8 text (RFC 2045): CR LF pairs stay hard line
// breaks, a lone CR or LF is encoded, lines are kept to 76 characters by soft
// breaks, trailing blanks before a break are encoded.
std::string QuotedPrintable(std::string_view text);

}  // namespace sys
