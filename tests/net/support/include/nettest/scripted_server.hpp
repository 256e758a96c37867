#pragma once
// A TCP server on 127.0.0.1 for tests, whose answers are scripted: each
// accepted connection runs the script on the server's thread, one connection
// after the other, so a test decides every byte, every split and every stall.
//
//     nettest::ScriptedServer server([](nettest::Connection& c) {
//         c.readHead();                       // the request, up to CR LF CR LF
//         c.send("HTTP/1.0 200 OK\r\n");      // each send is its own segment
//         c.send("Content-Length: 3\r\n\r\nabc");
//     });                                     // the connection closes after the script
//     ... connect to 127.0.0.1:server.port() ...
//     EXPECT_EQ(server.requests()[0], "GET ...");

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace nettest {

// A flag the test raises and a script waits for (with a time limit).
class Gate {
public:
    void open();
    bool wait(int timeoutMs = 5000);  // true when opened in time
    bool isOpen();

private:
    std::mutex m_;
    std::condition_variable cv_;
    bool open_ = false;
};

class Connection {
public:
    Connection(int fd, int index);
    ~Connection();

    int index() const { return index_; }  // 0 for the first connection
    // Reads until CR LF CR LF (or the peer's close, or the time limit) and
    // returns what came, the terminator included.
    std::string readHead(int timeoutMs = 5000);
    // Reads one line up to and with its CR LF; what came before the peer's
    // close or the time limit when no CR LF came. Bytes after the line stay
    // for the next read.
    std::string readLine(int timeoutMs = 5000);
    // Reads a mail's data up to and with the CR LF "." CR LF that ends it (as
    // an SMTP server does after DATA); bytes after it stay for the next read.
    std::string readData(int timeoutMs = 5000);
    // Sends the bytes; false when the peer has gone. Every send is flushed
    // with TCP_NODELAY so the client tends to get it as its own chunk.
    bool send(std::string_view bytes);
    // Sends in pieces of `piece` bytes with a short pause between them.
    bool sendInPieces(std::string_view bytes, std::size_t piece, int pauseMs = 2);
    // Waits until the client closes its side (true) or the time passes.
    bool waitForPeerClose(int timeoutMs = 5000);
    // Ends the connection with a reset instead of an orderly close.
    void reset();

private:
    // Reads until the buffered bytes hold the terminator (or close, or time)
    // and takes them up to its end.
    std::string readUntil(std::string_view terminator, int timeoutMs);
    // Receives into buffer until it holds the terminator, the peer closes or
    // the time runs out.
    void receiveInto(std::string& buffer, std::string_view terminator, int timeoutMs);
    int fd_;
    int index_;
    std::string pending_;  // read from the socket, not yet returned
};

class ScriptedServer {
public:
    using Script = std::function<void(Connection&)>;
    explicit ScriptedServer(Script script);
    ~ScriptedServer();

    int port() const { return port_; }
    // "http://127.0.0.1:<port>" + path
    std::string url(std::string_view path) const;
    // The request heads read by readHead, one per connection, in order.
    std::vector<std::string> requests();
    int connections() const { return connections_.load(); }
    // Waits until n connections have finished their scripts.
    bool waitForConnections(int n, int timeoutMs = 5000);

private:
    friend class Connection;
    void loop();

    Script script_;
    int listenFd_ = -1;
    int stopFd_ = -1;
    int port_ = 0;
    std::thread thread_;
    std::mutex m_;
    std::condition_variable cv_;
    std::vector<std::string> requests_;
    std::atomic<int> connections_{0};
    std::atomic<int> finished_{0};
};

// A port on 127.0.0.1 where nothing listens (bound, then released).
int unusedPort();

}  // namespace nettest
