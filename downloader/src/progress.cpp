#include "downloader/progress.hpp"

#include <cmath>

#include "runtime/convert.hpp"
#include "runtime/format.hpp"

namespace downloader {

std::string FormatByteSize(std::int64_t n) {
    // The tests run in this order, a later match replacing an earlier one.
    std::string text;
    if (n <= 1024) text = runtime::CStr(static_cast<long long>(n)) + " Bytes";
    if (n > 1024) text = runtime::Format(static_cast<double>(n) / 1024.0, "0.00") + " KB";
    if (n > 1024000) text = runtime::Format(static_cast<double>(n) / 1024000.0, "###,###,##0.00") + " MB";
    return text;
}

std::string ConvertTime(double x) {
    if (x >= 60) {
        double minutes = std::floor(x / 60);
        double seconds = x - minutes * 60;
        double hours = std::floor(minutes / 60);
        minutes -= hours * 60;
        return runtime::Format(runtime::CStr(hours) + ":" + runtime::CStr(minutes) + ":" + runtime::CStr(seconds),
                               "HH:MM:SS");
    }
    return runtime::Format("00:00:" + runtime::CStr(x), "HH:MM:SS");
}

std::string ElapsedText(int hours, int minutes, int seconds) {
    return runtime::Format(runtime::CStr(hours) + ":" + runtime::CStr(minutes) + ":" + runtime::CStr(seconds),
                           "HH:MM:SS");
}

std::int16_t PercentOf(std::int64_t position, std::int64_t size) {
    float ratio = static_cast<float>(position) / static_cast<float>(size) * 100.0f;
    return runtime::CInt(runtime::Format(static_cast<double>(ratio), "00"));
}

float SpeedFigure(std::int64_t bytesCounted, double elapsedSeconds, float previous) {
    if (!(elapsedSeconds > 0)) return previous;
    double rate = std::floor(static_cast<double>(bytesCounted) / elapsedSeconds);
    return runtime::CSng(runtime::Format(rate / 1000.0, "####.00"));
}

std::string SpeedText(float speed) { return runtime::CStrSingle(speed); }

std::string RemainingText(std::int64_t size, std::int64_t position, float speed) {
    if (!(speed > 0)) return "--:--:--";
    double seconds = std::floor(static_cast<double>(size - position) / 1024.0 / static_cast<double>(speed));
    return ConvertTime(seconds);
}

}  // namespace downloader
