// Reading one file's ID3v1 record, ID3v1 tag fields and MPEG information, as
// the Info Bar and the tag editor do, against TagLib reading the same files
// with audio properties, and against a floor: three rounds of open, fstat,
// pread and close (the three readers each open the file once).
//
// Prints: our files per second over TagLib's (aim: 1.5 or more) and our time
// per file over the floor's (aim: 1.5 or less). DOVETUNE_BENCH_BRIEF=1 asks
// for short runs.

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

#include <id3v1tag.h>
#include <mpegfile.h>
#include <mpegproperties.h>

#include "metadata/cmp3id3v1.hpp"
#include "metadata/csplaymodul.hpp"
#include "metadata/module7.hpp"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> g_files;

bool brief() {
    const char* v = std::getenv("DOVETUNE_BENCH_BRIEF");
    return v && *v && std::string(v) != "0";
}

// A 16-bit PCM WAV of a tone with some noise.
void writeWav(const std::string& path, double seconds, int rate, int channels) {
    std::uint32_t frames = static_cast<std::uint32_t>(seconds * rate);
    std::uint32_t dataBytes = frames * static_cast<std::uint32_t>(channels) * 2;
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](std::uint32_t v) { for (int i = 0; i < 4; ++i) out.put(static_cast<char>((v >> (8 * i)) & 0xFF)); };
    auto u16 = [&](std::uint16_t v) { out.put(static_cast<char>(v & 0xFF)); out.put(static_cast<char>(v >> 8)); };
    out << "RIFF";
    u32(36 + dataBytes);
    out << "WAVEfmt ";
    u32(16);
    u16(1);
    u16(static_cast<std::uint16_t>(channels));
    u32(static_cast<std::uint32_t>(rate));
    u32(static_cast<std::uint32_t>(rate * channels * 2));
    u16(static_cast<std::uint16_t>(channels * 2));
    u16(16);
    out << "data";
    u32(dataBytes);
    std::uint32_t noise = 1;
    for (std::uint32_t i = 0; i < frames * static_cast<std::uint32_t>(channels); ++i) {
        noise = noise * 1103515245u + 12345u;
        int v = static_cast<int>((i * 37) % 2000) - 1000 + static_cast<int>((noise >> 20) & 0x3FF);
        u16(static_cast<std::uint16_t>(static_cast<std::int16_t>(v * 8)));
    }
}

// The files measured: what lame makes here (CBR, VBR, mono VBR, one with a
// large leading ID3v2 tag), each with an ID3v1 tag, plus the shared corpus.
std::vector<std::string> prepareFiles(const std::string& dir) {
    std::vector<std::string> files;
    if (std::system("command -v lame >/dev/null 2>&1") == 0) {
        struct Kind {
            const char* name;
            const char* options;
            int channels;
        } kinds[] = {{"cbr", "-b 128", 2}, {"vbr", "-V 2", 2}, {"mono", "-V 4 -m m", 1}};
        const double seconds = brief() ? 3 : 20;
        for (const auto& k : kinds) {
            std::string wav = dir + "/" + k.name + ".wav", mp3 = dir + "/" + k.name + ".mp3";
            writeWav(wav, seconds, 44100, k.channels);
            std::string cmd = std::string("lame -S ") + k.options + " --id3v1-only --tt Title --ta Artist --tl Album --ty 2001 --tn 3 '" +
                              wav + "' '" + mp3 + "' >/dev/null 2>&1";
            if (std::system(cmd.c_str()) == 0) files.push_back(mp3);
            fs::remove(wav);
        }
        // A copy of the CBR file behind a 64 KiB ID3v2.3 tag (mostly padding).
        if (!files.empty()) {
            std::string tagged = dir + "/tagged.mp3";
            std::ofstream out(tagged, std::ios::binary);
            const std::uint32_t size = 65536 - 10;
            out << "ID3" << '\3' << '\0' << '\0';
            for (int shift : {21, 14, 7, 0}) out.put(static_cast<char>((size >> shift) & 0x7F));
            out << "TIT2" << '\0' << '\0' << '\0' << '\6' << '\0' << '\0' << '\0' << "Title";
            out << std::string(size - 16, '\0');
            std::ifstream in(files.front(), std::ios::binary);
            out << in.rdbuf();
            out.close();
            files.push_back(tagged);
        }
    }
#ifdef DOVETUNE_SHARED_DIR
    std::error_code ec;
    for (auto& e : fs::directory_iterator(fs::path(DOVETUNE_SHARED_DIR) / "corpus" / "mp3", ec)) {
        if (e.is_regular_file() && e.path().extension() == ".mp3") {
            TagLib::MPEG::File probe(e.path().c_str(), false);
            if (probe.isValid()) files.push_back(e.path().string());
        }
    }
#endif
    return files;
}

void BM_Ours(benchmark::State& state) {
    std::size_t i = 0;
    for (auto _ : state) {
        const std::string& path = g_files[i++ % g_files.size()];
        metadata::Id3v1Record rec;
        bool has = metadata::CSPlaymodul::ReadId3v1Record(path, rec);
        metadata::cMP3ID3v1 tag;
        tag.setMP3File(path);
        metadata::MpegInfo info = metadata::Module7::GetMpegInfo(path);
        benchmark::DoNotOptimize(has);
        benchmark::DoNotOptimize(tag.Title().size() + tag.Artist().size() + tag.Album().size() + tag.Track());
        benchmark::DoNotOptimize(info.Bitrate + info.SampleRate);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

void BM_TagLib(benchmark::State& state) {
    std::size_t i = 0;
    for (auto _ : state) {
        const std::string& path = g_files[i++ % g_files.size()];
        TagLib::MPEG::File file(path.c_str(), true, TagLib::AudioProperties::Average);
        TagLib::Tag* tag = file.tag();
        if (tag) benchmark::DoNotOptimize(tag->title().size() + tag->artist().size() + tag->album().size() + tag->track());
        if (auto* p = file.audioProperties()) benchmark::DoNotOptimize(p->bitrate() + p->sampleRate());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

void BM_Floor(benchmark::State& state) {
    std::size_t i = 0;
    char buf[128];
    for (auto _ : state) {
        const std::string& path = g_files[i++ % g_files.size()];
        for (int round = 0; round < 3; ++round) {
            int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) continue;
            struct stat st;
            ::fstat(fd, &st);
            ssize_t n = ::pread(fd, buf, sizeof buf, st.st_size > 128 ? st.st_size - 128 : 0);
            benchmark::DoNotOptimize(n);
            ::close(fd);
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

// Keeps each benchmark's time per file (the fastest repetition).
class Collect : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> nsPerFile;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& r : runs) {
            if (r.run_type != Run::RT_Iteration || r.iterations == 0) continue;
            std::string name = r.benchmark_name();
            name = name.substr(0, name.find('/'));
            double ns = r.GetAdjustedRealTime();
            auto it = nsPerFile.find(name);
            if (it == nsPerFile.end() || ns < it->second) nsPerFile[name] = ns;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    std::string dir = fs::temp_directory_path().string() + "/dovetune-bench-XXXXXX";
    if (!::mkdtemp(dir.data())) return 1;
    g_files = prepareFiles(dir);
    if (g_files.empty()) {
        std::printf("bench_id3v1_mpeg: no MP3 files to measure (lame missing and no corpus)\n");
        fs::remove_all(dir);
        return 0;
    }
    std::printf("bench_id3v1_mpeg: %zu files\n", g_files.size());

    std::vector<std::string> args(argv, argv + argc);
    args.push_back(brief() ? "--benchmark_min_time=0.05" : "--benchmark_min_time=0.5");
    args.push_back(brief() ? "--benchmark_repetitions=1" : "--benchmark_repetitions=3");
    std::vector<char*> cargs;
    for (auto& a : args) cargs.push_back(a.data());
    int cargc = static_cast<int>(cargs.size());
    benchmark::Initialize(&cargc, cargs.data());

    benchmark::RegisterBenchmark("ours_id3v1_record_tag_mpeg", BM_Ours);
    benchmark::RegisterBenchmark("taglib_mpeg_file_with_properties", BM_TagLib);
    benchmark::RegisterBenchmark("floor_3x_open_fstat_pread_close", BM_Floor);
    Collect reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    fs::remove_all(dir);

    double ours = reporter.nsPerFile["ours_id3v1_record_tag_mpeg"];
    double taglib = reporter.nsPerFile["taglib_mpeg_file_with_properties"];
    double floor = reporter.nsPerFile["floor_3x_open_fstat_pread_close"];
    if (ours > 0 && taglib > 0 && floor > 0) {
        std::printf("ratio files/s ours : TagLib (with audio properties) = %.2f (aim >= 1.5)\n", taglib / ours);
        std::printf("ratio time ours : floor (3 x open/fstat/pread/close) = %.2f (aim <= 1.5)\n", ours / floor);
    }
    return 0;
}
