// One file from one local server, fetched by the downloader window (headless,
// on the poll loop) and by curl in the same run, both writing to the same
// tmpfs; the median of the runs of each, and the ratio of the throughputs.
//
// 256 MiB and 5 runs each; with DOVETUNE_BENCH_BRIEF=1, 32 MiB and one run.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/wait.h>
#include <unistd.h>
#include <fcntl.h>
#include <linux/magic.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "downloader/Form1.hpp"
#include "forms/forms.hpp"
#include "runtime/app.hpp"
#include "runtime/scheduler.hpp"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Serves the file at every request, with a Content-Length, by sendfile.
class FileServer {
public:
    FileServer(std::string path, std::size_t size) : path_(std::move(path)), size_(size) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        int one = 1;
        ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd_, 8) != 0) std::exit(1);
        socklen_t len = sizeof a;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        stop_ = ::eventfd(0, EFD_CLOEXEC);
        thread_ = std::thread([this] { loop(); });
    }
    ~FileServer() {
        std::uint64_t one = 1;
        [[maybe_unused]] auto r = ::write(stop_, &one, sizeof one);
        thread_.join();
        ::close(fd_);
        ::close(stop_);
    }
    int port() const { return port_; }

private:
    void loop() {
        for (;;) {
            pollfd p[2] = {{fd_, POLLIN, 0}, {stop_, POLLIN, 0}};
            if (::poll(p, 2, -1) < 0) continue;
            if (p[1].revents) return;
            int c = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (c < 0) continue;
            std::string head;
            char buf[4096];
            while (head.find("\r\n\r\n") == std::string::npos) {
                ssize_t n = ::recv(c, buf, sizeof buf, 0);
                if (n <= 0) break;
                head.append(buf, static_cast<std::size_t>(n));
            }
            std::string answer = "HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nContent-Length: " +
                                 std::to_string(size_) + "\r\n\r\n";
            [[maybe_unused]] auto w = ::send(c, answer.data(), answer.size(), MSG_NOSIGNAL);
            int f = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
            off_t off = 0;
            while (off < static_cast<off_t>(size_)) {
                ssize_t n = ::sendfile(c, f, &off, size_ - static_cast<std::size_t>(off));
                if (n <= 0) break;
            }
            ::close(f);
            ::close(c);
        }
    }
    std::string path_;
    std::size_t size_;
    int fd_ = -1, stop_ = -1, port_ = 0;
    std::thread thread_;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// A folder on tmpfs for the source and both outputs (the temporary folder
// when /dev/shm is not tmpfs).
std::string tmpfsFolder() {
    struct statfs s{};
    std::string base = "/dev/shm";
    if (::statfs(base.c_str(), &s) != 0 || s.f_type != TMPFS_MAGIC) base = std::filesystem::temp_directory_path();
    std::string t = base + "/bench_downloader-XXXXXX";
    if (!::mkdtemp(t.data())) std::exit(1);
    return t;
}

double runCurl(const std::string& url, const std::string& out) {
    std::string o = out;
    std::vector<char*> argv = {const_cast<char*>("curl"), const_cast<char*>("-s"), const_cast<char*>("-o"),
                               o.data(), const_cast<char*>(url.c_str()), nullptr};
    auto t0 = Clock::now();
    pid_t pid = 0;
    if (::posix_spawnp(&pid, "curl", nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    ::waitpid(pid, &status, 0);
    auto t1 = Clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return std::chrono::duration<double>(t1 - t0).count();
}

}  // namespace

int main() {
    const bool brief = std::getenv("DOVETUNE_BENCH_BRIEF") && std::string(std::getenv("DOVETUNE_BENCH_BRIEF")) == "1";
    const std::size_t size = (brief ? 32u : 256u) << 20;
    const int runs = brief ? 1 : 5;

    const std::string dir = tmpfsFolder();
    const std::string source = dir + "/source.mp3";
    {
        std::vector<char> block(1 << 20);
        std::uint32_t x = 12345;
        for (auto& c : block) {
            x = x * 1664525u + 1013904223u;
            c = static_cast<char>(x >> 24);
        }
        FILE* f = std::fopen(source.c_str(), "wb");
        for (std::size_t i = 0; i < size; i += block.size()) std::fwrite(block.data(), 1, block.size(), f);
        std::fclose(f);
    }
    FileServer server(source, size);
    const std::string url = "http://127.0.0.1:" + std::to_string(server.port()) + "/Songhaul%20Sampler.mp3";

    // The window, headless, on the poll loop.
    runtime::PollScheduler loop;
    runtime::Scheduler::setCurrent(&loop);
    runtime::App::setForTest(dir, {}, "Songhaul1");
    ::mkdir((dir + "/Media").c_str(), 0755);
    downloader::SetBuild(1);
    auto& form = forms::Get<downloader::Form1>();
    form.txtFrom.setText(url);
    form.List1.setListIndex(3);

    std::vector<double> ours, theirs;
    for (int i = 0; i < runs; ++i) {
        double c = runCurl(url, dir + "/curl.mp3");
        if (c < 0) {
            std::printf("bench_downloader: curl failed or is missing\n");
            return 1;
        }
        theirs.push_back(c);

        auto t0 = Clock::now();
        form.Command1.click();
        bool done = loop.runUntil([&] { return form.st.sngPosition == static_cast<std::int64_t>(size) + 1; }, 120000);
        auto t1 = Clock::now();
        if (!done || std::filesystem::file_size(form.txtTo.text()) != size) {
            std::printf("bench_downloader: our download did not complete\n");
            return 1;
        }
        ours.push_back(std::chrono::duration<double>(t1 - t0).count());
        // Let the clock declare completion, so the next Download starts idle.
        loop.runUntil([&] { return form.st.sngFileSize == 0; }, 3000);
    }
    forms::Application::instance().reset();
    runtime::Scheduler::setCurrent(nullptr);

    const double mib = static_cast<double>(size) / (1 << 20);
    const double oursRate = mib / median(ours), curlRate = mib / median(theirs);
    std::printf("bench_downloader: %.0f MiB from 127.0.0.1 to tmpfs, median of %d: ours %.0f MiB/s, curl %.0f MiB/s, "
                "ratio %.2f (aim 0.80)\n",
                mib, runs, oursRate, curlRate, oursRate / curlRate);
    std::filesystem::remove_all(dir);
    return 0;
}
