#pragma once
// What both implementations of the control accept and refuse, so the scripted
// double used by window tests refuses exactly what the real control refuses.

#include <cstdint>
#include <string_view>

namespace media::rules {

inline constexpr std::int32_t MinVolume = -10000;
inline constexpr std::int32_t MaxVolume = 0;
inline constexpr std::int32_t MaxBalance = 10000;

// A name with a scheme ("http://host/a.mp3") is a URL; anything else is a
// local path. "d:\me" has no "//" after its colon and stays a path.
bool isUrl(std::string_view name);

// A name that holds a NUL byte names no file or address (the system would
// read it only up to that byte): refused with 53, as a missing file.
void checkFileName(std::string_view name);

// Each raises runtime::Error 380 when the value is out of range.
void checkVolume(std::int32_t volume);
void checkBalance(std::int32_t balance);
void checkRate(double rate);
// Returns the position to use: below 0 becomes 0; NaN is refused with 380.
double checkPosition(double seconds);
// Refuses (380) a position beyond a known duration (duration > 0).
void checkWithinDuration(double seconds, double duration);

// Linear amplitude factor for an attenuation in hundredths of a decibel.
double amplitude(std::int32_t hundredthsOfDb);

[[noreturn]] void refuse(const char* property);

}  // namespace media::rules
