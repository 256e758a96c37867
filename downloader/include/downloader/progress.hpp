#pragma once
// The texts and figures of the transfer display: sizes, times, percent and
// the speed figure. All formatting is fixed en-US ("." decimals, ","
// thousands), whatever the process locale.

#include <cstdint>
#include <string>

namespace downloader {

// "1000 Bytes" up to 1024 bytes; "1.00 KB" above (n / 1024); "2.00 MB" above
// 1,024,000 bytes (n / 1,024,000, thousands grouped).
std::string FormatByteSize(std::int64_t n);

// A whole number of seconds as "HH:MM:SS"; hours are not wrapped at 24.
std::string ConvertTime(double seconds);

// The elapsed clock's text, "HH:MM:SS".
std::string ElapsedText(int hours, int minutes, int seconds);

// The whole percent of position (one more than the bytes written) in size.
std::int16_t PercentOf(std::int64_t position, std::int64_t size);

// The speed figure: thousands of bytes per second, rounded down to whole
// bytes per second and then to two decimals ("####.00"). A zero or negative
// elapsed time gives no figure, and `previous` is kept.
float SpeedFigure(std::int64_t bytesCounted, double elapsedSeconds, float previous);

// The speed as shown: its shortest decimal form (2.5, 12).
std::string SpeedText(float speed);

// The time still needed for the missing bytes at the given speed
// (thousands of bytes per second); "--:--:--" when there is no speed.
std::string RemainingText(std::int64_t size, std::int64_t position, float speed);

}  // namespace downloader
