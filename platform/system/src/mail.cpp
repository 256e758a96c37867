#include "system/mail.hpp"

#include <unistd.h>

#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "curl_api.hpp"
#include "runtime/error.hpp"
#include "runtime/scheduler.hpp"

namespace sys {

// The sockets of one Send, which it opens through libcurl's socket callbacks.
// A watch thread shuts them down when the Send's time is up, and another
// thread may shut them down at once: a shut socket ends whatever libcurl
// waits for on it (an answer, the goodbye of its clean-up) without delay, and
// stays open until libcurl closes it, so its number is never reused while
// libcurl still holds it.
class MailCut {
public:
    MailCut() = default;
    MailCut(const MailCut&) = delete;
    MailCut& operator=(const MailCut&) = delete;
    ~MailCut() { disarm(); }

    // Starts the watch: the sockets are shut limitMs from now.
    void arm(long limitMs) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
        std::lock_guard lock(mu_);
        stop_ = false;
        watch_ = std::thread([this, deadline] {
            std::unique_lock lock(mu_);
            if (!cv_.wait_until(lock, deadline, [this] { return stop_ || cut_; })) {
                timedOut_ = true;
                cutLocked();
            }
        });
    }
    // Ends the watch (the Send is over).
    void disarm() {
        {
            std::lock_guard lock(mu_);
            stop_ = true;
        }
        cv_.notify_all();
        if (watch_.joinable()) watch_.join();
    }
    // Shuts every socket both ways and refuses new ones.
    void cutNow() {
        std::lock_guard lock(mu_);
        cutLocked();
    }
    // From another thread: the Send is not wanted any more.
    void abandon() {
        {
            std::lock_guard lock(mu_);
            abandoned_ = true;
            cutLocked();
        }
        cv_.notify_all();
    }
    // Every read from now on finds the end at once; writes still go out.
    void stopReading() {
        std::lock_guard lock(mu_);
        for (int fd : fds_) ::shutdown(fd, SHUT_RD);
    }
    bool timedOut() {
        std::lock_guard lock(mu_);
        return timedOut_;
    }
    bool abandoned() {
        std::lock_guard lock(mu_);
        return abandoned_;
    }

    static curl_socket_t openSocket(void* self, curlsocktype, curl_sockaddr* address) {
        auto* cut = static_cast<MailCut*>(self);
        std::lock_guard lock(cut->mu_);
        if (cut->cut_) return CURL_SOCKET_BAD;
        int fd = ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
        if (fd >= 0) cut->fds_.insert(fd);
        return fd >= 0 ? fd : CURL_SOCKET_BAD;
    }
    static int closeSocket(void* self, curl_socket_t fd) {
        auto* cut = static_cast<MailCut*>(self);
        std::lock_guard lock(cut->mu_);
        cut->fds_.erase(fd);
        return ::close(fd);
    }
    // Also ends a Send that waits for something other than a socket (a name
    // lookup) once it is cut.
    static int progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
        auto* cut = static_cast<MailCut*>(self);
        std::lock_guard lock(cut->mu_);
        return cut->cut_ ? 1 : 0;
    }

private:
    void cutLocked() {
        cut_ = true;
        for (int fd : fds_) ::shutdown(fd, SHUT_RDWR);
    }

    std::mutex mu_;
    std::condition_variable cv_;
    std::set<int> fds_;
    bool cut_ = false;
    bool timedOut_ = false;
    bool abandoned_ = false;
    bool stop_ = false;
    std::thread watch_;
};

namespace {

// The original's "The transport failed to connect to the server".
constexpr int kSendFailed = -2147220973;

[[noreturn]] void refuse(const std::string& why) {
    runtime::raise(runtime::err::InvalidProcedureCall, "Mail", "The mail was not sent: " + why + ".");
}

bool isAddress(std::string_view a) {
    std::size_t at = a.find('@');
    if (at == std::string_view::npos || at == 0 || at + 1 == a.size() || a.find('@', at + 1) != std::string_view::npos)
        return false;
    for (unsigned char c : a)
        if (c < 0x21 || c > 0x7E || c == '<' || c == '>') return false;
    return true;
}

bool isAscii(std::string_view s) {
    for (unsigned char c : s)
        if (c < 0x20 || c > 0x7E) return false;
    return true;
}

std::string base64(std::string_view bytes) {
    static const char table[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 2]);
        out += table[(v >> 18) & 63];
        out += table[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? table[(v >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? table[v & 63] : '=';
    }
    return out;
}

// A header text as it may stand in the header: ASCII as it is, other text as
// UTF-8 encoded words, split between characters.
std::string headerText(std::string_view text) {
    if (isAscii(text)) return std::string(text);
    std::string out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = std::min(text.size(), start + 39);
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
        if (!out.empty()) out += "\r\n ";
        out += "=?UTF-8?B?" + base64(text.substr(start, end - start)) + "?=";
        start = end;
    }
    return out;
}

std::string dateHeader() {
    static const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    long offset = t.tm_gmtoff / 60;
    char sign = offset < 0 ? '-' : '+';
    if (offset < 0) offset = -offset;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s, %d %s %04d %02d:%02d:%02d %c%02ld%02ld", days[t.tm_wday % 7], t.tm_mday,
                  months[t.tm_mon % 12], t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec, sign, offset / 60,
                  offset % 60);
    return buf;
}

std::string messageId(std::string_view sender) {
    static std::atomic<unsigned> counter{0};
    std::string_view domain = sender.substr(sender.find('@') + 1);
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return "<" + std::to_string(ts.tv_sec) + "." + std::to_string(ts.tv_nsec) + "." + std::to_string(::getpid()) +
           "." + std::to_string(counter.fetch_add(1)) + ".dovetune@" + std::string(domain) + ">";
}

struct Upload {
    std::string data;
    std::size_t at = 0;
    // libcurl has taken the whole mail (it then ends the data and waits for
    // the server's answer).
    bool finished() const { return at == data.size(); }
    static size_t read(char* buffer, size_t size, size_t count, void* user) {
        auto* self = static_cast<Upload*>(user);
        size_t n = std::min(size * count, self->data.size() - self->at);
        self->data.copy(buffer, n, self->at);
        self->at += n;
        return n;
    }
};

// The last answer of the server that was an error (4xx or 5xx).
struct Conversation {
    std::string lastError;
    static int debug(CURL*, curl_infotype type, char* data, size_t size, void* user) {
        if (type != CURLINFO_HEADER_IN) return 0;
        std::string line(data, size);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        if (!line.empty() && (line[0] == '4' || line[0] == '5')) static_cast<Conversation*>(user)->lastError = line;
        return 0;
    }
};

}  // namespace

MailLimits& DefaultMailLimits() {
    static MailLimits limits;
    return limits;
}

std::string SmtpUrl() {
    const char* url = std::getenv("DOVETUNE_SMTP_URL");
    return url && *url ? std::string(url) : std::string("smtp://localhost:25");
}

std::string QuotedPrintable(std::string_view text) {
    static const char hex[] = "0123456789ABCDEF";
    auto encoded = [](unsigned char c) { return std::string{'=', hex[c >> 4], hex[c & 15]}; };
    std::string out;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find("\r\n", start);
        std::string_view line = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        std::vector<std::string> tokens;
        for (unsigned char c : line) {
            if ((c >= 33 && c <= 126 && c != '=') || c == ' ' || c == '\t') tokens.emplace_back(1, static_cast<char>(c));
            else tokens.push_back(encoded(c));
        }
        if (!tokens.empty() && (tokens.back() == " " || tokens.back() == "\t"))
            tokens.back() = encoded(static_cast<unsigned char>(tokens.back()[0]));
        std::size_t width = 0;
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            bool last = i + 1 == tokens.size();
            if (width + tokens[i].size() > (last ? 76u : 75u)) {
                out += "=\r\n";
                width = 0;
            }
            out += tokens[i];
            width += tokens[i].size();
        }
        if (end == std::string_view::npos) break;
        out += "\r\n";
        start = end + 2;
    }
    return out;
}

std::string MailMessage::Compose() const {
    std::string m;
    m += "From: " + Sender + "\r\n";
    m += "To: " + To + "\r\n";
    m += "Subject: " + headerText(Subject) + "\r\n";
    m += "Date: " + dateHeader() + "\r\n";
    m += "Message-ID: " + messageId(Sender) + "\r\n";
    m += "MIME-Version: 1.0\r\n";
    m += "Content-Type: text/plain; charset=UTF-8\r\n";
    m += "Content-Transfer-Encoding: quoted-printable\r\n";
    m += "\r\n";
    m += QuotedPrintable(TextBody);
    m += "\r\n";
    return m;
}

namespace {

// "30 seconds", "0.6 seconds", "1 second".
std::string seconds(long ms) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", static_cast<double>(ms) / 1000.0);
    return std::string(buf) + (ms == 1000 ? " second" : " seconds");
}

}  // namespace

void MailMessage::Send() {
    MailCut cut;
    send(cut, SmtpUrl());
}

void MailMessage::send(MailCut& cut, const std::string& url) const {
    const std::pair<const char*, const std::string*> headers[] = {{"subject", &Subject}, {"sender", &Sender}, {"recipient", &To}};
    for (auto& [name, value] : headers)
        if (value->find_first_of("\r\n") != std::string::npos) refuse(std::string("the ") + name + " holds a line break");
    if (Sender.empty()) refuse("no sender address is given");
    if (!isAddress(Sender)) refuse("the sender \"" + Sender + "\" is not an e-mail address");
    if (!isAddress(To)) refuse("the recipient \"" + To + "\" is not an e-mail address");

    // From here on the whole Send, the clean-up included, ends by the deadline.
    cut.arm(limits.totalTimeoutMs);
    struct Disarm {
        MailCut& cut;
        ~Disarm() { cut.disarm(); }
    } disarm{cut};

    std::string unavailable;
    const curl::Api* lib = curl::api(&unavailable);
    if (!lib) runtime::raise(kSendFailed, "Mail", "The mail could not be sent: " + unavailable);
    CURL* c = lib->easy_init();
    if (!c) runtime::raise(kSendFailed, "Mail", "libcurl could not start a transfer");
    Upload upload{Compose(), 0};
    Conversation conversation;
    std::string from = "<" + Sender + ">";
    std::unique_ptr<curl_slist, void (*)(curl_slist*)> rcpt(lib->slist_append(nullptr, ("<" + To + ">").c_str()),
                                                           lib->slist_free_all);
    char errorBuffer[CURL_ERROR_SIZE] = "";
    lib->easy_setopt(c, CURLOPT_URL, url.c_str());
    lib->easy_setopt(c, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    lib->easy_setopt(c, CURLOPT_MAIL_FROM, from.c_str());
    lib->easy_setopt(c, CURLOPT_MAIL_RCPT, rcpt.get());
    lib->easy_setopt(c, CURLOPT_UPLOAD, 1L);
    lib->easy_setopt(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(upload.data.size()));
    lib->easy_setopt(c, CURLOPT_READFUNCTION, &Upload::read);
    lib->easy_setopt(c, CURLOPT_READDATA, &upload);
    lib->easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, std::min(limits.connectTimeoutMs, limits.totalTimeoutMs));
    lib->easy_setopt(c, CURLOPT_TIMEOUT_MS, limits.totalTimeoutMs);
    lib->easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    // A name lookup still running is left behind, not waited for.
    lib->easy_setopt(c, CURLOPT_QUICK_EXIT, 1L);
    // The sockets are ours, so that the deadline can cut them wherever
    // libcurl waits, its clean-up included.
    lib->easy_setopt(c, CURLOPT_OPENSOCKETFUNCTION, &MailCut::openSocket);
    lib->easy_setopt(c, CURLOPT_OPENSOCKETDATA, &cut);
    lib->easy_setopt(c, CURLOPT_CLOSESOCKETFUNCTION, &MailCut::closeSocket);
    lib->easy_setopt(c, CURLOPT_CLOSESOCKETDATA, &cut);
    lib->easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    lib->easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &MailCut::progress);
    lib->easy_setopt(c, CURLOPT_XFERINFODATA, &cut);
    lib->easy_setopt(c, CURLOPT_ERRORBUFFER, errorBuffer);
    lib->easy_setopt(c, CURLOPT_VERBOSE, 1L);
    lib->easy_setopt(c, CURLOPT_DEBUGFUNCTION, &Conversation::debug);
    lib->easy_setopt(c, CURLOPT_DEBUGDATA, &conversation);
    CURLcode code = lib->easy_perform(c);
    // The server's answer to the end of the data makes the mail sent. The
    // goodbye (QUIT) that libcurl's clean-up sends is not waited for: once
    // the mail is accepted its answer changes nothing, and a server that
    // never gives it would hold the clean-up for minutes.
    bool accepted = code == CURLE_OK;
    if (accepted)
        cut.stopReading();
    else
        cut.cutNow();
    lib->easy_cleanup(c);
    if (accepted) return;

    std::string reason;
    if (cut.abandoned()) {
        reason = "The mail was not sent: the Send was abandoned";
    } else if (cut.timedOut() || code == CURLE_OPERATION_TIMEDOUT) {
        if (upload.finished())
            reason = "The mail server at " + url + " timed out (no answer within " + seconds(limits.totalTimeoutMs) +
                     ") after the whole mail was sent: it did not confirm the mail, and it may still deliver it";
        else
            reason = "The mail could not be sent to " + url + ": the server timed out (no answer within " +
                     seconds(limits.totalTimeoutMs) + ")";
    } else if (!conversation.lastError.empty()) {
        reason = "The mail server answered: " + conversation.lastError;
    } else {
        reason = std::string("The mail could not be sent to ") + url + ": " + (*errorBuffer ? errorBuffer : lib->easy_strerror(code));
    }
    runtime::raise(kSendFailed, "Mail", reason);
}

struct MailSending::State {
    MailMessage message;
    std::string url;
    Done done;
    MailCut cut;
    bool wanted = true;  // read and written on the UI thread only
};

MailSending::MailSending(MailMessage message, Done done) : state_(std::make_shared<State>()) {
    state_->message = std::move(message);
    state_->url = SmtpUrl();
    state_->done = std::move(done);
    runtime::Scheduler* ui = &runtime::Scheduler::current();
    thread_ = std::thread([state = state_, ui] {
        std::optional<runtime::Error> failure;
        try {
            state->message.send(state->cut, state->url);
        } catch (const runtime::Error& e) {
            failure = e;
        } catch (const std::exception& e) {
            failure = runtime::Error(kSendFailed, std::string("The mail could not be sent: ") + e.what(), "Mail");
        }
        ui->post([state, failure] {
            if (state->wanted) state->done(failure);
        });
    });
}

MailSending::~MailSending() {
    state_->wanted = false;
    state_->cut.abandon();
    if (thread_.joinable()) thread_.join();
}

}  // namespace sys
