// The mail object against an SMTP sink on 127.0.0.1: the envelope, the
// headers, the body arriving byte for byte, and every way a send fails.

#include <gtest/gtest.h>

#include <chrono>

#include "nettest/smtp_sink.hpp"
#include "runtime/error.hpp"
#include "system/mail.hpp"
#include "testsupport/support.hpp"

namespace {

using testsupport::ScopedEnv;

sys::MailMessage message(std::string body = "Hello") {
    sys::MailMessage m;
    m.Subject = "5Durezi";
    m.Sender = "user@home.example";
    m.To = "support@dovetune.example";
    m.TextBody = std::move(body);
    return m;
}

// The description of the error Send raises; "" when it sent.
std::string sendFailure(sys::MailMessage& m) {
    try {
        m.Send();
    } catch (const runtime::Error& e) {
        return e.description();
    }
    return {};
}

TEST(Mail, TheServerDefaultsToThisMachine) {
    {
        ScopedEnv none("DOVETUNE_SMTP_URL", "");
        EXPECT_EQ(sys::SmtpUrl(), "smtp://localhost:25");
    }
    ScopedEnv set("DOVETUNE_SMTP_URL", "smtp://mail.example:2525");
    EXPECT_EQ(sys::SmtpUrl(), "smtp://mail.example:2525");
    sys::MailLimits limits;
    EXPECT_EQ(limits.connectTimeoutMs, 10000);
    EXPECT_EQ(limits.totalTimeoutMs, 30000);
}

TEST(Mail, EnvelopeHeadersAndBodyArriveAsGiven) {
    nettest::SmtpSink sink;
    ScopedEnv url("DOVETUNE_SMTP_URL", sink.url());
    // Dots that begin lines, a lone ".", "=", UTF-8, trailing blanks, a long
    // line, a lone LF and an empty line at the end.
    const std::string body = "Bug Report\r\n\r\n.\r\n.leading dot\r\n..two\r\nx = y \r\nGrüße, café ☕\r\n" +
                             std::string(200, 'a') + " b\r\nlone\nfeed\r\nend   \r\n";
    sys::MailMessage m = message(body);
    ASSERT_EQ(sendFailure(m), "");
    ASSERT_TRUE(sink.waitForConnections(1));
    auto mails = sink.mails();
    ASSERT_EQ(mails.size(), 1u);
    const nettest::SmtpMail& got = mails[0];
    EXPECT_EQ(got.mailFrom, "<user@home.example>");
    EXPECT_EQ(got.rcptTo, "<support@dovetune.example>");
    EXPECT_EQ(got.header("From"), "user@home.example");
    EXPECT_EQ(got.header("To"), "support@dovetune.example");
    EXPECT_EQ(got.header("Subject"), "5Durezi");
    EXPECT_EQ(got.header("Content-Type"), "text/plain; charset=UTF-8");
    EXPECT_EQ(got.header("Content-Transfer-Encoding"), "quoted-printable");
    EXPECT_NE(got.header("Date"), "");
    EXPECT_NE(got.header("Message-ID").find("@home.example>"), std::string::npos);
    EXPECT_EQ(got.body(), body);
    // Every line of the data is short and plain ASCII.
    std::size_t at = 0;
    while (at < got.data.size()) {
        std::size_t next = got.data.find("\r\n", at);
        ASSERT_NE(next, std::string::npos);
        EXPECT_LE(next - at, 77u) << got.data.substr(at, next - at);  // 76, and a doubled dot
        at = next + 2;
    }
    for (unsigned char c : got.data) EXPECT_TRUE(c == '\r' || c == '\n' || (c >= 32 && c < 127));
}

TEST(Mail, QuotedPrintableKeepsLinesShortAndEndsClean) {
    struct Case {
        std::string text, encoded;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"a=b", "a=3Db"},
        {"end ", "end=20"},
        {"tab\t\r\nnext", "tab=09\r\nnext"},
        {"é", "=C3=A9"},
        {"cr\ronly", "cr=0Donly"},
        {std::string(76, 'x'), std::string(76, 'x')},
        {std::string(77, 'x'), std::string(75, 'x') + "=\r\nxx"},
        {std::string(74, 'x') + "==", std::string(74, 'x') + "=\r\n=3D=3D"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sys::QuotedPrintable(c.text), c.encoded) << c.text;
        EXPECT_EQ(nettest::DecodeQuotedPrintable(c.encoded), c.text);
    }
}

TEST(Mail, ANonAsciiSubjectIsAnEncodedWord) {
    sys::MailMessage m = message();
    m.Subject = "Grüße";
    std::string composed = m.Compose();
    EXPECT_NE(composed.find("Subject: =?UTF-8?B?R3LDvMOfZQ==?=\r\n"), std::string::npos);
}

TEST(Mail, RefusedBeforeConnecting) {
    nettest::SmtpSink sink;
    ScopedEnv url("DOVETUNE_SMTP_URL", sink.url());
    struct Case {
        const char* what;
        void (*spoil)(sys::MailMessage&);
        const char* reason;
    };
    const Case cases[] = {
        {"empty sender", [](sys::MailMessage& m) { m.Sender = ""; }, "no sender address"},
        {"sender with CR LF", [](sys::MailMessage& m) { m.Sender = "a@b.example\r\nBcc: x@y.example"; },
         "the sender holds a line break"},
        {"subject with LF", [](sys::MailMessage& m) { m.Subject = "x\nBcc: y@z.example"; },
         "the subject holds a line break"},
        {"recipient with CR", [](sys::MailMessage& m) { m.To = "a@b.example\r"; }, "the recipient holds a line break"},
        {"no @", [](sys::MailMessage& m) { m.Sender = "user"; }, "is not an e-mail address"},
        {"two @", [](sys::MailMessage& m) { m.Sender = "a@b@c"; }, "is not an e-mail address"},
        {"blank", [](sys::MailMessage& m) { m.Sender = "a b@c.example"; }, "is not an e-mail address"},
        {"not ASCII", [](sys::MailMessage& m) { m.Sender = "jörg@c.example"; }, "is not an e-mail address"},
        {"bad recipient", [](sys::MailMessage& m) { m.To = "@dovetune.example"; }, "is not an e-mail address"},
    };
    for (const Case& c : cases) {
        sys::MailMessage m = message();
        c.spoil(m);
        try {
            m.Send();
            ADD_FAILURE() << c.what << ": sent";
        } catch (const runtime::Error& e) {
            EXPECT_EQ(e.number(), runtime::err::InvalidProcedureCall) << c.what;
            EXPECT_NE(e.description().find(c.reason), std::string::npos) << c.what << ": " << e.description();
        }
    }
    EXPECT_EQ(sink.connections(), 0);
}

TEST(Mail, ServerFailuresCarryTheirReason) {
    {
        nettest::SmtpSink sink({"550 5.1.1 No such user here"});
        ScopedEnv url("DOVETUNE_SMTP_URL", sink.url());
        sys::MailMessage m = message();
        std::string why = sendFailure(m);
        EXPECT_NE(why.find("550 5.1.1 No such user here"), std::string::npos) << why;
        sink.waitForConnections(1);
        ASSERT_EQ(sink.mails().size(), 1u);
        EXPECT_FALSE(sink.mails()[0].accepted);
    }
    {
        ScopedEnv url("DOVETUNE_SMTP_URL", "smtp://127.0.0.1:" + std::to_string(nettest::unusedPort()));
        sys::MailMessage m = message();
        std::string why = sendFailure(m);
        EXPECT_NE(why.find("127.0.0.1"), std::string::npos) << why;
        EXPECT_NE(why.find("connect"), std::string::npos) << why;
    }
    {
        nettest::SmtpSink sink({"250 OK", nettest::SmtpSink::Stall::Greeting});
        ScopedEnv url("DOVETUNE_SMTP_URL", sink.url());
        sys::MailMessage m = message();
        m.limits.totalTimeoutMs = 300;
        auto start = std::chrono::steady_clock::now();
        std::string why = sendFailure(m);
        auto took = std::chrono::steady_clock::now() - start;
        EXPECT_NE(why.find("timed out"), std::string::npos) << why;
        EXPECT_LT(took, std::chrono::seconds(3));
    }
    {
        ScopedEnv url("DOVETUNE_SMTP_URL", "http://127.0.0.1:1/");
        sys::MailMessage m = message();
        EXPECT_NE(sendFailure(m), "");
    }
}

// A server that falls silent at any stage: Send ends within its limit, all
// of it (connecting, the conversation and closing the connection), and counts
// as sent exactly when the server had accepted the data.
TEST(Mail, AServerFallingSilentEndsTheSendWithinItsLimit) {
    using Stall = nettest::SmtpSink::Stall;
    struct Case {
        const char* what;
        Stall stall;
        bool sent;
        const char* reason;  // in the failure's description
    };
    const Case cases[] = {
        {"no greeting", Stall::Greeting, false, "timed out"},
        {"no answer to MAIL", Stall::Mail, false, "timed out"},
        {"no answer to RCPT", Stall::Rcpt, false, "timed out"},
        {"no answer to DATA", Stall::Data, false, "timed out"},
        {"no answer after the data", Stall::AfterData, false, "may still deliver it"},
        {"no answer to QUIT", Stall::Quit, true, ""},
    };
    const long limitMs = 600;
    for (const Case& k : cases) {
        nettest::SmtpSink sink({"250 OK", k.stall});
        ScopedEnv url("DOVETUNE_SMTP_URL", sink.url());
        sys::MailMessage m = message();
        m.limits.totalTimeoutMs = limitMs;
        auto start = std::chrono::steady_clock::now();
        std::string why = sendFailure(m);
        auto tookMs = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
        EXPECT_LE(tookMs, limitMs + 300) << k.what;  // room for a busy machine
        if (k.sent) {
            EXPECT_EQ(why, "") << k.what;
        } else {
            EXPECT_NE(why.find(k.reason), std::string::npos) << k.what << ": " << why;
            EXPECT_NE(why.find("0.6 seconds"), std::string::npos) << k.what << ": " << why;
        }
        // The connection is closed, not left waiting for the server.
        EXPECT_TRUE(sink.waitForConnections(1, 500)) << k.what;
        auto mails = sink.mails();
        EXPECT_EQ(!mails.empty() && mails[0].accepted, k.sent) << k.what;
    }
}

}  // namespace
