// The file-number table against the raw calls it stands on. The metadata
// readers open a file, read a 128-byte block and close it several times per
// file; playlists are read line by line. Prints each case's time beside its
// raw counterpart and the ratio (goal: within 1.5x).

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "runtime/files.hpp"

namespace {

bool brief() {
    const char* b = std::getenv("DOVETUNE_BENCH_BRIEF");
    return b && *b && std::string(b) != "0";
}

struct Fixture {
    std::string dir;
    std::vector<std::string> files;
    std::string playlist;

    Fixture() {
        char tmpl[] = "/tmp/dovetune-bench-XXXXXX";
        dir = mkdtemp(tmpl);
        int count = brief() ? 50 : 500;
        std::string body(8192, 'a');
        for (int i = 0; i < count; ++i) {
            std::string path = dir + "/Track " + std::to_string(i) + ".mp3";
            std::ofstream(path, std::ios::binary) << body;
            files.push_back(path);
        }
        playlist = dir + "/Path.m3u";
        std::ofstream out(playlist, std::ios::binary);
        for (int i = 0; i < (brief() ? 2000 : 20000); ++i) out << "/home/user/Music/Artist " << i << "/Track.mp3\r\n";
    }
    ~Fixture() { std::filesystem::remove_all(dir); }
};

Fixture* current = nullptr;
Fixture& fixture() {
    if (!current) current = new Fixture;
    return *current;
}

void RawOpenReadBlockClose(benchmark::State& state) {
    auto& f = fixture();
    std::size_t i = 0;
    char block[128];
    for (auto _ : state) {
        const std::string& path = f.files[i++ % f.files.size()];
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat st;
        fstat(fd, &st);
        benchmark::DoNotOptimize(pread(fd, block, sizeof block, st.st_size - 128));
        ::close(fd);
    }
}

void TableOpenReadBlockClose(benchmark::State& state) {
    auto& f = fixture();
    auto& files = runtime::Files();
    std::size_t i = 0;
    for (auto _ : state) {
        const std::string& path = f.files[i++ % f.files.size()];
        int n = files.FreeFile();
        files.Open(path, runtime::OpenMode::Binary, n, runtime::Access::Read);
        std::int64_t length = files.LOF(n);
        benchmark::DoNotOptimize(files.GetBytes(n, length - 127, 128));
        files.Close(n);
    }
}

void RawReadLines(benchmark::State& state) {
    auto& f = fixture();
    for (auto _ : state) {
        FILE* in = std::fopen(f.playlist.c_str(), "rb");
        char* line = nullptr;
        std::size_t cap = 0;
        std::size_t count = 0;
        while (getline(&line, &cap, in) > 0) ++count;
        std::free(line);
        std::fclose(in);
        benchmark::DoNotOptimize(count);
    }
}

void TableReadLines(benchmark::State& state) {
    auto& f = fixture();
    auto& files = runtime::Files();
    for (auto _ : state) {
        files.Open(f.playlist, runtime::OpenMode::Input, 1);
        std::size_t count = 0;
        while (!files.Eof(1)) {
            benchmark::DoNotOptimize(files.LineInput(1));
            ++count;
        }
        files.Close(1);
        benchmark::DoNotOptimize(count);
    }
}

// A path spelt in another case costs a folder search; shown for information.
void TableOpenOtherCase(benchmark::State& state) {
    auto& f = fixture();
    auto& files = runtime::Files();
    std::size_t i = 0;
    for (auto _ : state) {
        std::string path = f.files[i++ % f.files.size()];
        path.replace(path.size() - 3, 3, "MP3");
        files.Open(path, runtime::OpenMode::Binary, 1, runtime::Access::Read);
        files.Close(1);
    }
}

class Collector : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> ns;
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) ns[r.run_name.function_name] = r.GetAdjustedRealTime();
    }
};

}  // namespace

int main(int argc, char** argv) {
    double minTime = brief() ? 0.05 : 0.5;
    benchmark::RegisterBenchmark("raw_open_read128_close", RawOpenReadBlockClose)->MinTime(minTime);
    benchmark::RegisterBenchmark("table_open_read128_close", TableOpenReadBlockClose)->MinTime(minTime);
    benchmark::RegisterBenchmark("raw_read_lines", RawReadLines)->MinTime(minTime);
    benchmark::RegisterBenchmark("table_read_lines", TableReadLines)->MinTime(minTime);
    benchmark::RegisterBenchmark("table_open_other_case", TableOpenOtherCase)->MinTime(minTime);
    benchmark::Initialize(&argc, argv);
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    auto ratio = [&](const char* ours, const char* raw) {
        if (collector.ns.count(ours) && collector.ns.count(raw) && collector.ns[raw] > 0)
            std::printf("ratio %-26s / %-24s = %.2f\n", ours, raw, collector.ns[ours] / collector.ns[raw]);
    };
    ratio("table_open_read128_close", "raw_open_read128_close");
    ratio("table_read_lines", "raw_read_lines");
    ratio("table_open_other_case", "raw_open_read128_close");
    delete current;
    return 0;
}
