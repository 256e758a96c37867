#include "nettest/scripted_server.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>

namespace nettest {

namespace {
thread_local std::vector<std::string>* t_requests = nullptr;
thread_local std::mutex* t_mutex = nullptr;
}  // namespace

void Gate::open() {
    {
        std::lock_guard<std::mutex> lock(m_);
        open_ = true;
    }
    cv_.notify_all();
}

bool Gate::wait(int timeoutMs) {
    std::unique_lock<std::mutex> lock(m_);
    return cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return open_; });
}

bool Gate::isOpen() {
    std::lock_guard<std::mutex> lock(m_);
    return open_;
}

Connection::Connection(int fd, int index) : fd_(fd), index_(index) {
    int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

Connection::~Connection() {
    if (fd_ >= 0) ::close(fd_);
}

std::string Connection::readHead(int timeoutMs) {
    std::string head = std::move(pending_);
    pending_.clear();
    receiveInto(head, "\r\n\r\n", timeoutMs);
    if (t_requests) {
        std::lock_guard<std::mutex> lock(*t_mutex);
        t_requests->push_back(head);
    }
    return head;
}

void Connection::receiveInto(std::string& buffer, std::string_view terminator, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (buffer.find(terminator) == std::string::npos) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) break;
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0) break;
        char buf[4096];
        ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
        if (n <= 0) break;
        buffer.append(buf, static_cast<std::size_t>(n));
    }
}

std::string Connection::readUntil(std::string_view terminator, int timeoutMs) {
    receiveInto(pending_, terminator, timeoutMs);
    const std::size_t end = pending_.find(terminator);
    std::size_t take = end == std::string::npos ? pending_.size() : end + terminator.size();
    std::string out = pending_.substr(0, take);
    pending_.erase(0, take);
    return out;
}

std::string Connection::readLine(int timeoutMs) { return readUntil("\r\n", timeoutMs); }

std::string Connection::readData(int timeoutMs) {
    // The data may end at once with "." CR LF (an empty mail): the CR LF
    // before it is then the one that ended the DATA command.
    if (pending_.rfind(".\r\n", 0) == 0) {
        pending_.erase(0, 3);
        return ".\r\n";
    }
    return readUntil("\r\n.\r\n", timeoutMs);
}

bool Connection::send(std::string_view bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

bool Connection::sendInPieces(std::string_view bytes, std::size_t piece, int pauseMs) {
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        if (!send(bytes.substr(at, piece))) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    }
    return true;
}

bool Connection::waitForPeerClose(int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) return false;
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0) return false;
        char buf[4096];
        ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
        if (n <= 0) return true;
    }
}

void Connection::reset() {
    linger l{1, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    ::close(fd_);
    fd_ = -1;
}

ScriptedServer::ScriptedServer(Script script) : script_(std::move(script)) {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) throw std::runtime_error("socket failed");
    int one = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(listenFd_, 16) != 0)
        throw std::runtime_error("bind/listen failed");
    socklen_t len = sizeof a;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    stopFd_ = ::eventfd(0, EFD_CLOEXEC);
    thread_ = std::thread([this] { loop(); });
}

ScriptedServer::~ScriptedServer() {
    std::uint64_t one = 1;
    [[maybe_unused]] auto r = ::write(stopFd_, &one, sizeof one);
    thread_.join();
    ::close(listenFd_);
    ::close(stopFd_);
}

std::string ScriptedServer::url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

std::vector<std::string> ScriptedServer::requests() {
    std::lock_guard<std::mutex> lock(m_);
    return requests_;
}

bool ScriptedServer::waitForConnections(int n, int timeoutMs) {
    std::unique_lock<std::mutex> lock(m_);
    return cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return finished_.load() >= n; });
}

void ScriptedServer::loop() {
    t_requests = &requests_;
    t_mutex = &m_;
    for (;;) {
        pollfd p[2] = {{listenFd_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
        if (::poll(p, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (p[1].revents) return;
        if (!(p[0].revents & POLLIN)) continue;
        int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        {
            Connection c(fd, connections_.fetch_add(1));
            script_(c);
        }
        {
            std::lock_guard<std::mutex> lock(m_);
            finished_.fetch_add(1);
        }
        cv_.notify_all();
    }
}

int unusedPort() {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

}  // namespace nettest
