// The scripted test server's reads as an SMTP sink uses them: lines, and a
// mail's data up to CR LF "." CR LF, however the client splits its bytes.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "nettest/scripted_server.hpp"

namespace {

void sendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        ASSERT_GT(n, 0);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

TEST(ScriptedServer, LinesAndMailDataWhateverTheSplit) {
    const std::string stream = "EHLO here\r\nMAIL FROM:<a@b.example>\r\nDATA\r\nline\r\n..dot\r\n\r\n.\r\nQUIT\r\nrest";
    for (std::size_t piece : {stream.size(), std::size_t{1}, std::size_t{5}}) {
        std::vector<std::string> got;
        nettest::ScriptedServer server([&](nettest::Connection& c) {
            for (int i = 0; i < 3; ++i) got.push_back(c.readLine());
            got.push_back(c.readData());
            got.push_back(c.readLine());
            got.push_back(c.readLine(300));  // no CR LF: what came before the close
        });
        int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(static_cast<std::uint16_t>(server.port()));
        ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        for (std::size_t at = 0; at < stream.size(); at += piece) {
            sendAll(fd, std::string_view(stream).substr(at, piece));
            if (piece < stream.size()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ::shutdown(fd, SHUT_WR);
        ASSERT_TRUE(server.waitForConnections(1));
        ::close(fd);
        const std::vector<std::string> want = {"EHLO here\r\n", "MAIL FROM:<a@b.example>\r\n", "DATA\r\n",
                                               "line\r\n..dot\r\n\r\n.\r\n", "QUIT\r\n", "rest"};
        EXPECT_EQ(got, want) << "pieces of " << piece;
    }
}

}  // namespace
