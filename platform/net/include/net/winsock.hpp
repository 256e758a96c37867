#pragma once
// The socket control: one TCP client connection over a non-blocking POSIX
// socket, driven by the UI thread's Scheduler and raising the original
// control's events (Connect, DataArrival, Close, Error).
//
//     net::Winsock sock;
//     sock.onConnect = [&] { sock.SendData("GET / HTTP/1.0\r\n\r\n"); };
//     sock.onDataArrival = [&](long) { std::string chunk; sock.GetData(chunk); ... };
//     sock.onClose = [&] { sock.Close(); };
//     sock.Connect("127.0.0.1", 8080);
//
// - State() follows the original's numbers: 0 closed, 6 connecting,
//   7 connected, 8 closing (the peer closed its side), 9 error.
// - Close() closes the socket and sets State() to 0 at once; no event of the
//   old connection runs after it.
// - Events run on the scheduler's thread, never inside the call that caused
//   them. A runtime::Error escaping a handler is caught at the dispatch.
// - Received bytes are read in chunks of up to readChunk() bytes per
//   DataArrival; a handler that leaves them waiting gets them again, with
//   what came after, in the next event (reading pauses at 16 chunks waiting).
// - The peer's close is reported after every byte before it has been
//   offered through DataArrival.
// - A connection that fails (refused, host not found, no answer within the
//   connect timeout) raises Error and leaves State() at 9 until Close().

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace runtime {
class Scheduler;
}

namespace net {

// Error numbers of the socket control (the original's values).
namespace sck {
inline constexpr int InvalidArgument = 40014;    // "The argument passed to a function was not in the correct format"
inline constexpr int BadState = 40006;           // "Wrong protocol or connection state ..."
inline constexpr int InvalidOperation = 40020;   // "Invalid operation at current state"
inline constexpr int AddressInUse = 10048;
inline constexpr int NetworkUnreachable = 10051;
inline constexpr int ConnectionReset = 10054;
inline constexpr int TimedOut = 10060;
inline constexpr int ConnectionRefused = 10061;
inline constexpr int HostNotFound = 11001;
}  // namespace sck

class Winsock {
public:
    enum StateValue : int {
        sckClosed = 0,
        sckOpen = 1,
        sckListening = 2,
        sckConnectionPending = 3,
        sckResolvingHost = 4,
        sckHostResolved = 5,
        sckConnecting = 6,
        sckConnected = 7,
        sckClosing = 8,
        sckError = 9,
    };

    // The scheduler is taken at each Connect: the one given here, or
    // runtime::Scheduler::current() when none was given.
    explicit Winsock(runtime::Scheduler* scheduler = nullptr);
    ~Winsock();
    Winsock(const Winsock&) = delete;
    Winsock& operator=(const Winsock&) = delete;

    // Starts connecting to host (a dotted address, an IPv6 address or a
    // name) on port 1-65535. Error 40020 when the control is not closed,
    // 40014 for a port out of range. Failures to reach the host come later,
    // as the Error event.
    void Connect(std::string_view host, int port);
    // Queues bytes for sending; error 40006 unless connected.
    void SendData(std::string_view bytes);
    // Takes every received byte that is waiting (possibly none). The string's
    // old contents are replaced; its storage is reused for later reads.
    void GetData(std::string& bytes);
    std::string GetData();
    // Closes the connection; State() is 0 on return. Closing a closed
    // control does nothing.
    void Close();

    int State() const;
    // The local port: the bound port while a socket is open, else the value
    // last set (0 lets the system choose). Setting it is error 40020 unless
    // the control is closed; a value outside 0-65535 is error 380.
    int LocalPort() const;
    void setLocalPort(int port);
    const std::string& RemoteHost() const;
    int RemotePort() const;
    // Bytes received and not yet taken by GetData.
    long BytesReceived() const;

    // Most bytes read from the socket for one DataArrival (default 1 MiB).
    std::size_t readChunk() const;
    void setReadChunk(std::size_t bytes);
    // How long a connection attempt may take before it fails with error
    // 10060 (default 30000 ms, on the scheduler's clock).
    void setConnectTimeoutMs(int ms);

    // Events.
    std::function<void()> onConnect;
    std::function<void(long bytesTotal)> onDataArrival;
    std::function<void()> onClose;
    std::function<void(int number, const std::string& description)> onError;

private:
    struct Impl;
    std::shared_ptr<Impl> impl_;
};

}  // namespace net
