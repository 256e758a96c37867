#include "nettest/smtp_sink.hpp"

#include <cctype>

namespace nettest {

namespace {

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool startsNoCase(const std::string& s, const std::string& prefix) {
    return s.size() >= prefix.size() && upper(s.substr(0, prefix.size())) == upper(prefix);
}

}  // namespace

std::string SmtpMail::header(const std::string& name) const {
    std::size_t end = data.find("\r\n\r\n");
    std::string head = data.substr(0, end);
    std::size_t at = 0;
    while (at < head.size()) {
        std::size_t next = head.find("\r\n", at);
        if (next == std::string::npos) next = head.size();
        std::string line = head.substr(at, next - at);
        if (startsNoCase(line, name + ":")) {
            std::string value = line.substr(name.size() + 1);
            if (!value.empty() && value[0] == ' ') value.erase(0, 1);
            return value;
        }
        at = next + 2;
    }
    return {};
}

std::string DecodeQuotedPrintable(const std::string& text) {
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '=') {
            out += text[i];
        } else if (text.compare(i, 3, "=\r\n") == 0) {
            i += 2;
        } else if (i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
            out += static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
            i += 2;
        } else {
            out += '=';
        }
    }
    return out;
}

std::string SmtpMail::body() const {
    std::size_t start = data.find("\r\n\r\n");
    if (start == std::string::npos) return {};
    std::string raw = data.substr(start + 4);
    if (raw.size() >= 5 && raw.compare(raw.size() - 5, 5, "\r\n.\r\n") == 0) raw.erase(raw.size() - 3);
    // Lines that begin with "." came with it doubled.
    std::string unstuffed;
    std::size_t at = 0;
    while (at < raw.size()) {
        std::size_t next = raw.find("\r\n", at);
        next = next == std::string::npos ? raw.size() : next + 2;
        std::string line = raw.substr(at, next - at);
        if (line.rfind("..", 0) == 0) line.erase(0, 1);
        unstuffed += line;
        at = next;
    }
    if (unstuffed.size() >= 2 && unstuffed.compare(unstuffed.size() - 2, 2, "\r\n") == 0) unstuffed.erase(unstuffed.size() - 2);
    return DecodeQuotedPrintable(unstuffed);
}

SmtpSink::SmtpSink() : SmtpSink(Script{}) {}

SmtpSink::SmtpSink(Script script) : script_(std::move(script)) {
    server_ = std::make_unique<ScriptedServer>([this](Connection& c) { serve(c); });
}

std::string SmtpSink::url() const { return "smtp://127.0.0.1:" + std::to_string(server_->port()); }

std::vector<SmtpMail> SmtpSink::mails() {
    std::lock_guard lock(m_);
    return mails_;
}

std::vector<std::string> SmtpSink::commands() {
    std::lock_guard lock(m_);
    return commands_;
}

void SmtpSink::serve(Connection& c) {
    SmtpMail mail;
    bool started = false;
    // Falls silent when the script says so at this stage: true once the
    // client has gone.
    auto stalls = [&](Stall stage) {
        if (script_.stall != stage) return false;
        c.waitForPeerClose(10000);
        return true;
    };
    if (stalls(Stall::Greeting)) return;
    c.send("220 sink.test ESMTP ready\r\n");
    for (;;) {
        std::string line = c.readLine();
        if (line.size() < 2 || line.compare(line.size() - 2, 2, "\r\n") != 0) break;
        line.erase(line.size() - 2);
        {
            std::lock_guard lock(m_);
            commands_.push_back(line);
        }
        if (startsNoCase(line, "EHLO") || startsNoCase(line, "HELO")) {
            c.send("250-sink.test\r\n250 HELP\r\n");
        } else if (startsNoCase(line, "MAIL FROM:")) {
            mail.mailFrom = line.substr(10);
            started = true;
            if (stalls(Stall::Mail)) break;
            c.send("250 OK\r\n");
        } else if (startsNoCase(line, "RCPT TO:")) {
            mail.rcptTo = line.substr(8);
            if (stalls(Stall::Rcpt)) break;
            c.send(script_.rcptAnswer + "\r\n");
        } else if (startsNoCase(line, "DATA")) {
            if (stalls(Stall::Data)) break;
            c.send("354 End data with <CR><LF>.<CR><LF>\r\n");
            mail.data = c.readData();
            if (stalls(Stall::AfterData)) break;
            mail.accepted = true;
            c.send("250 OK queued\r\n");
        } else if (startsNoCase(line, "QUIT")) {
            if (stalls(Stall::Quit)) break;
            c.send("221 bye\r\n");
            break;
        } else if (startsNoCase(line, "RSET") || startsNoCase(line, "NOOP")) {
            c.send("250 OK\r\n");
        } else {
            c.send("500 unknown command\r\n");
        }
    }
    if (started) {
        std::lock_guard lock(m_);
        mails_.push_back(mail);
    }
}

}  // namespace nettest
