#include "fixtures.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "testsupport/support.hpp"

namespace mediatest {

namespace {

void put16(std::string& s, std::uint16_t v) {
    s.push_back(static_cast<char>(v & 0xff));
    s.push_back(static_cast<char>(v >> 8));
}
void put32(std::string& s, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}
void putBE32(std::string& s, std::uint32_t v) {
    for (int i = 3; i >= 0; --i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}
void putVarLen(std::string& s, std::uint32_t v) {
    char bytes[5];
    int n = 0;
    bytes[n++] = static_cast<char>(v & 0x7f);
    while (v >>= 7) bytes[n++] = static_cast<char>((v & 0x7f) | 0x80);
    while (n--) s.push_back(bytes[n]);
}

}  // namespace

void writeWav(const std::string& path, double seconds, int channels, int rate, double amplitude, double frequency) {
    auto frames = static_cast<std::uint32_t>(seconds * rate);
    std::uint32_t dataBytes = frames * channels * 2;
    std::string s = "RIFF";
    put32(s, 36 + dataBytes);
    s += "WAVEfmt ";
    put32(s, 16);
    put16(s, 1);
    put16(s, static_cast<std::uint16_t>(channels));
    put32(s, static_cast<std::uint32_t>(rate));
    put32(s, static_cast<std::uint32_t>(rate * channels * 2));
    put16(s, static_cast<std::uint16_t>(channels * 2));
    put16(s, 16);
    s += "data";
    put32(s, dataBytes);
    s.reserve(s.size() + dataBytes);
    for (std::uint32_t i = 0; i < frames; ++i) {
        double v = amplitude * std::sin(2.0 * M_PI * frequency * i / rate);
        auto sample = static_cast<std::int16_t>(std::lround(v * 32767.0));
        for (int c = 0; c < channels; ++c) put16(s, static_cast<std::uint16_t>(sample));
    }
    testsupport::writeFile(path, s);
}

void writeMidi(const std::string& path, double seconds) {
    const std::uint32_t division = 480;  // ticks per quarter note; 120 bpm: 960 ticks a second
    std::string track;
    putVarLen(track, 0);
    track += std::string("\xff\x51\x03\x07\xa1\x20", 6);  // tempo: 500000 us a quarter
    putVarLen(track, 0);
    track += std::string("\xc0\x00", 2);  // program 0, piano
    putVarLen(track, 0);
    track += std::string("\x90\x3c\x64", 3);  // note on, middle C
    putVarLen(track, static_cast<std::uint32_t>(seconds * 960));
    track += std::string("\x80\x3c\x40", 3);  // note off
    putVarLen(track, 0);
    track += std::string("\xff\x2f\x00", 3);  // end of track
    std::string s = "MThd";
    putBE32(s, 6);
    s += std::string("\x00\x00\x00\x01", 4);
    s.push_back(static_cast<char>(division >> 8));
    s.push_back(static_cast<char>(division & 0xff));
    s += "MTrk";
    putBE32(s, static_cast<std::uint32_t>(track.size()));
    s += track;
    testsupport::writeFile(path, s);
}

std::vector<std::int16_t> readS16(const std::string& path) {
    std::string bytes = testsupport::readFile(path);
    std::vector<std::int16_t> out(bytes.size() / 2);
    std::memcpy(out.data(), bytes.data(), out.size() * 2);
    return out;
}

double rms(const std::vector<std::int16_t>& samples, int channels, int channel) {
    double sum = 0;
    std::size_t n = 0;
    for (std::size_t i = static_cast<std::size_t>(channel); i < samples.size(); i += channels, ++n)
        sum += static_cast<double>(samples[i]) * samples[i];
    return n ? std::sqrt(sum / n) / 32768.0 : 0.0;
}

HttpServer::HttpServer(std::string body) : body_(std::move(body)) {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) throw std::runtime_error("socket");
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(listenFd_, 8) != 0)
        throw std::runtime_error("bind/listen");
    socklen_t len = sizeof addr;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { serve(); });
}

HttpServer::~HttpServer() {
    stop_ = true;
    thread_.join();
    ::close(listenFd_);
}

std::string HttpServer::url(const std::string& name) const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/" + name;
}

void HttpServer::serve() {
    while (!stop_) {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        answer(fd);
        ::close(fd);
    }
}

void HttpServer::answer(int fd) {
    std::string request;
    char buf[2048];
    while (request.find("\r\n\r\n") == std::string::npos) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 2000) <= 0) return;
        ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0) return;
        request.append(buf, static_cast<std::size_t>(n));
    }
    ++requests_;
    std::size_t from = 0;
    bool ranged = false;
    for (const char* key : {"Range: bytes=", "range: bytes="}) {
        auto at = request.find(key);
        if (at != std::string::npos) {
            from = std::stoul(request.substr(at + std::strlen(key)));
            ranged = true;
        }
    }
    if (from > body_.size()) from = body_.size();
    std::string head = ranged ? "HTTP/1.1 206 Partial Content\r\n" : "HTTP/1.1 200 OK\r\n";
    head += "Content-Type: application/octet-stream\r\nAccept-Ranges: bytes\r\nConnection: close\r\n";
    head += "Content-Length: " + std::to_string(body_.size() - from) + "\r\n";
    if (ranged)
        head += "Content-Range: bytes " + std::to_string(from) + "-" + std::to_string(body_.size() - 1) + "/" +
                std::to_string(body_.size()) + "\r\n";
    head += "\r\n";
    std::string out = head;
    if (request.rfind("HEAD", 0) != 0) out += body_.substr(from);
    std::size_t sent = 0;
    while (sent < out.size() && !stop_) {
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        ssize_t n = ::send(fd, out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
    }
}

}  // namespace mediatest
