#pragma once
// Short audio files written in code, and a one-file HTTP server on 127.0.0.1,
// for the tests of the real media backend.

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace mediatest {

// A 16-bit PCM WAV file holding a sine of `amplitude` (0..1 of full scale) on
// every channel.
void writeWav(const std::string& path, double seconds, int channels = 2, int rate = 44100,
              double amplitude = 0.5, double frequency = 440.0);

// A standard MIDI file (format 0) that holds one note for `seconds`.
void writeMidi(const std::string& path, double seconds);

// Interleaved 16-bit samples read back from a raw PCM file.
std::vector<std::int16_t> readS16(const std::string& path);
// Root mean square of one channel of interleaved samples, 0..1 of full scale.
double rms(const std::vector<std::int16_t>& samples, int channels, int channel);

// Serves one file's bytes to every GET (with byte ranges) until destroyed.
class HttpServer {
public:
    explicit HttpServer(std::string body);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    std::string url(const std::string& name) const;  // http://127.0.0.1:port/name
    int requests() const { return requests_.load(); }

private:
    void serve();
    void answer(int fd);

    std::string body_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> requests_{0};
    std::thread thread_;
};

}  // namespace mediatest
