#include "net/winsock.hpp"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "runtime/error.hpp"
#include "runtime/scheduler.hpp"
#include "runtime/strings.hpp"

namespace net {

namespace {

// Waiting bytes beyond this many chunks pause reading until GetData.
constexpr std::size_t kMaxWaitingChunks = 16;

struct Failure {
    int number;
    std::string description;
};

Failure failureFromErrno(int e) {
    switch (e) {
    case ECONNREFUSED: return {sck::ConnectionRefused, "Connection is forcefully rejected"};
    case ETIMEDOUT: return {sck::TimedOut, "Attempt to connect timed out without establishing a connection"};
    case ENETUNREACH:
    case EHOSTUNREACH: return {sck::NetworkUnreachable, "Network cannot be reached from this host at this time"};
    case ECONNRESET:
    case EPIPE: return {sck::ConnectionReset, "The connection is reset by remote side"};
    case EADDRINUSE: return {sck::AddressInUse, "Address in use"};
    default: return {10053, std::string("Connection is aborted: ") + std::strerror(e)};
    }
}

}  // namespace

struct Winsock::Impl : std::enable_shared_from_this<Winsock::Impl> {
    Winsock* owner = nullptr;
    runtime::Scheduler* fixedScheduler = nullptr;
    runtime::Scheduler* sched = nullptr;  // the scheduler of the current connection

    int fd = -1;
    int state = sckClosed;
    runtime::Scheduler::Id watch = 0;
    runtime::Scheduler::Id timer = 0;
    std::uint64_t generation = 0;  // changes at every Close and Connect

    std::string in;    // received, not yet taken
    std::string out;   // queued for sending
    std::size_t outSent = 0;
    bool readPaused = false;

    std::string remoteHost;
    int remotePort = 0;
    int localPort = 0;
    std::size_t chunk = 1 << 20;
    int connectTimeoutMs = 30000;

    // Runs one event handler of the owner. Returns false when the handler
    // closed, reconnected or destroyed the control, so the caller stops.
    template <class Call>
    bool fire(Call&& call) {
        std::uint64_t g = generation;
        if (!owner) return false;
        try {
            call(*owner);
        } catch (const runtime::Error&) {
            // A failing handler does not end the program; the event is over.
        }
        return owner && generation == g;
    }

    void updateWatch() {
        if (fd < 0 || !sched) return;
        bool r = state == sckConnected && !readPaused;
        bool w = state == sckConnecting || (state == sckConnected && outSent < out.size());
        if (watch == 0) {
            std::weak_ptr<Impl> weak = weak_from_this();
            watch = sched->watchFd(fd, r, w, [weak](bool readable, bool writable) {
                if (auto self = weak.lock()) self->ready(readable, writable);
            });
        } else {
            sched->updateFd(watch, r, w);
        }
    }

    void stopTimer() {
        if (timer && sched) sched->stopTimer(timer);
        timer = 0;
    }

    void release() {
        stopTimer();
        if (watch && sched) sched->unwatchFd(watch);
        watch = 0;
        if (fd >= 0) ::close(fd);
        fd = -1;
    }

    void close() {
        ++generation;
        release();
        in.clear();
        out.clear();
        outSent = 0;
        readPaused = false;
        state = sckClosed;
    }

    void fail(const Failure& f) {
        release();
        state = sckError;
        raiseError(f);
    }

    void raiseError(const Failure& f) {
        fire([&](Winsock& w) {
            auto handler = w.onError;  // a copy: the handler may destroy the control
            if (handler) handler(f.number, f.description);
        });
    }

    // A failure found inside a call of the owner (SendData): the control is
    // in its error state at once, the event comes from the loop.
    void failFromLoop(Failure f) {
        release();
        state = sckError;
        std::weak_ptr<Impl> weak = weak_from_this();
        std::uint64_t g = generation;
        sched->defer([weak, g, f] {
            auto self = weak.lock();
            if (!self || self->generation != g) return;
            self->raiseError(f);
        });
    }

    // A failure found inside Connect is reported from the event loop, as the
    // original reports it, never inside the call.
    void failLater(Failure f) {
        release();
        std::weak_ptr<Impl> weak = weak_from_this();
        std::uint64_t g = generation;
        sched->defer([weak, g, f] {
            auto self = weak.lock();
            if (!self || self->generation != g) return;
            self->fail(f);
        });
    }

    void ready(bool readable, bool writable) {
        auto keep = shared_from_this();  // a handler may destroy the control
        if (state == sckConnecting) {
            if (!writable && !readable) return;
            int err = 0;
            socklen_t len = sizeof err;
            if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) err = errno;
            if (err != 0) {
                fail(failureFromErrno(err));
                return;
            }
            stopTimer();
            state = sckConnected;
            updateWatch();
            fire([](Winsock& w) {
                auto handler = w.onConnect;
                if (handler) handler();
            });
            return;
        }
        if (state != sckConnected) return;
        if (writable && outSent < out.size() && !flush()) return;
        if (readable && !readPaused) receive();
    }

    // Sends what is queued as far as the socket takes it. False after a
    // failure, which is reported from the loop when the owner's call sent.
    bool flush(bool insideCall = false) {
        while (outSent < out.size()) {
            ssize_t n = ::send(fd, out.data() + outSent, out.size() - outSent, MSG_NOSIGNAL);
            if (n > 0) {
                outSent += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
            Failure f = failureFromErrno(n < 0 ? errno : EPIPE);
            if (insideCall)
                failFromLoop(f);
            else
                fail(f);
            return false;
        }
        if (outSent == out.size()) {
            out.clear();
            outSent = 0;
        }
        updateWatch();
        return true;
    }

    void receive() {
        std::size_t old = in.size();
        in.resize(old + chunk);  // one fill of the space, then reads into it
        std::size_t got = 0;
        bool eof = false;
        int err = 0;
        while (got < chunk) {
            ssize_t n = ::recv(fd, in.data() + old + got, chunk - got, 0);
            if (n > 0) {
                got += static_cast<std::size_t>(n);
            } else if (n == 0) {
                eof = true;
                break;
            } else if (errno == EINTR) {
                continue;
            } else {
                if (errno != EAGAIN && errno != EWOULDBLOCK) err = errno;
                break;
            }
        }
        in.resize(old + got);
        if (got > 0) {
            long total = static_cast<long>(in.size());
            if (!fire([total](Winsock& w) {
                    auto handler = w.onDataArrival;
                    if (handler) handler(total);
                }))
                return;
        }
        if (err) {
            fail(failureFromErrno(err));
            return;
        }
        if (eof) {
            // The peer closed its side: no more reading; the socket stays
            // until Close, as the original keeps it in its closing state.
            if (watch && sched) sched->unwatchFd(watch);
            watch = 0;
            state = sckClosing;
            fire([](Winsock& w) {
                auto handler = w.onClose;
                if (handler) handler();
            });
            return;
        }
        if (!readPaused && in.size() >= kMaxWaitingChunks * chunk) {
            readPaused = true;
            updateWatch();
        }
    }
};

Winsock::Winsock(runtime::Scheduler* scheduler) : impl_(std::make_shared<Impl>()) {
    impl_->owner = this;
    impl_->fixedScheduler = scheduler;
}

Winsock::~Winsock() {
    impl_->owner = nullptr;
    impl_->close();
}

void Winsock::Connect(std::string_view host, int port) {
    Impl& d = *impl_;
    if (d.state != sckClosed) runtime::raise(sck::InvalidOperation, "Winsock", "Invalid operation at current state");
    if (port < 1 || port > 65535)
        runtime::raise(sck::InvalidArgument, "Winsock",
                       "The argument passed to a function was not in the correct format or in the specified range");
    d.sched = d.fixedScheduler ? d.fixedScheduler : &runtime::Scheduler::current();
    ++d.generation;
    d.remoteHost = std::string(host);
    d.remotePort = port;
    d.state = sckConnecting;

    // Names are resolved here; the programs connect to numeric addresses,
    // which resolve without asking any name server. The control speaks IPv4
    // only, as the original's does, so "localhost" means 127.0.0.1 even where
    // the hosts file lists ::1 first.
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* res = nullptr;
    std::string portText = std::to_string(port);
    // "localhost" is the loopback address without asking the hosts file or a
    // name server, as the original platform's resolver answers it (a machine
    // without /etc/hosts still reaches its own servers).
    const std::string name = runtime::LCase(d.remoteHost) == "localhost" ? std::string("127.0.0.1") : d.remoteHost;
    if (name.empty() || ::getaddrinfo(name.c_str(), portText.c_str(), &hints, &res) != 0 || !res) {
        if (res) ::freeaddrinfo(res);
        d.failLater({sck::HostNotFound, "Authoritative answer: Host not found"});
        return;
    }
    d.fd = ::socket(res->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (d.fd < 0) {
        int e = errno;
        ::freeaddrinfo(res);
        d.failLater(failureFromErrno(e));
        return;
    }
    int one = 1;
    ::setsockopt(d.fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (d.localPort != 0) {
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_ANY);
        local.sin_port = htons(static_cast<std::uint16_t>(d.localPort));
        if (::bind(d.fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
            int e = errno;
            ::freeaddrinfo(res);
            d.failLater(failureFromErrno(e));
            return;
        }
    }
    int r = ::connect(d.fd, res->ai_addr, res->ai_addrlen);
    int e = errno;
    ::freeaddrinfo(res);
    if (r != 0 && e != EINPROGRESS) {
        d.failLater(failureFromErrno(e));
        return;
    }
    // Connected or not, the outcome is taken from the first writable event.
    d.updateWatch();
    std::weak_ptr<Impl> weak = d.weak_from_this();
    std::uint64_t g = d.generation;
    d.timer = d.sched->startTimer(d.connectTimeoutMs, [weak, g] {
        auto self = weak.lock();
        if (!self || self->generation != g || self->state != sckConnecting) return;
        self->fail(failureFromErrno(ETIMEDOUT));
    });
}

void Winsock::SendData(std::string_view bytes) {
    Impl& d = *impl_;
    if (d.state != sckConnected)
        runtime::raise(sck::BadState, "Winsock",
                       "Wrong protocol or connection state for the requested transaction or request");
    d.out.append(bytes);
    d.flush(true);
}

void Winsock::GetData(std::string& bytes) {
    Impl& d = *impl_;
    bytes.clear();
    bytes.swap(d.in);  // the caller's old storage serves the next reads
    if (d.readPaused) {
        d.readPaused = false;
        d.updateWatch();
    }
}

std::string Winsock::GetData() {
    std::string s;
    GetData(s);
    return s;
}

void Winsock::Close() { impl_->close(); }

int Winsock::State() const { return impl_->state; }

int Winsock::LocalPort() const {
    const Impl& d = *impl_;
    if (d.fd >= 0) {
        sockaddr_in a{};
        socklen_t len = sizeof a;
        if (::getsockname(d.fd, reinterpret_cast<sockaddr*>(&a), &len) == 0 && a.sin_family == AF_INET)
            return ntohs(a.sin_port);
    }
    return d.localPort;
}

void Winsock::setLocalPort(int port) {
    if (impl_->state != sckClosed) runtime::raise(sck::InvalidOperation, "Winsock", "Invalid operation at current state");
    if (port < 0 || port > 65535) runtime::raise(runtime::err::InvalidPropertyValue, "Winsock");
    impl_->localPort = port;
}

const std::string& Winsock::RemoteHost() const { return impl_->remoteHost; }
int Winsock::RemotePort() const { return impl_->remotePort; }
long Winsock::BytesReceived() const { return static_cast<long>(impl_->in.size()); }
std::size_t Winsock::readChunk() const { return impl_->chunk; }
void Winsock::setReadChunk(std::size_t bytes) { impl_->chunk = bytes < 1 ? 1 : bytes; }
void Winsock::setConnectTimeoutMs(int ms) { impl_->connectTimeoutMs = ms < 1 ? 1 : ms; }

}  // namespace net
