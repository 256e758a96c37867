#include "media/media_player.hpp"

#include <cctype>
#include <cmath>
#include <string>

#include "rules.hpp"
#include "runtime/error.hpp"

namespace media {

MediaPlayer::~MediaPlayer() = default;

void MediaPlayer::raiseEndOfStream() {
    // A copy: the handler may replace itself, or close the window that owns
    // this control, while it runs.
    EndOfStreamHandler handler = endOfStream_;
    if (!handler) return;
    try {
        handler(0);
    } catch (const runtime::Error&) {
        // A failure the handler did not trap ends at the event dispatch.
    }
}

void MediaPlayer::raiseError(const std::string& reason) {
    ErrorHandler handler = error_;
    if (!handler) return;
    try {
        handler(reason);
    } catch (const runtime::Error&) {
        // As for end-of-stream: it ends at the event.
    }
}

namespace rules {

bool isUrl(std::string_view name) {
    // scheme = letter *( letter / digit / "+" / "-" / "." ), then "://".
    if (name.empty() || !std::isalpha(static_cast<unsigned char>(name[0]))) return false;
    std::size_t i = 1;
    while (i < name.size()) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (std::isalnum(c) || c == '+' || c == '-' || c == '.') {
            ++i;
            continue;
        }
        break;
    }
    return name.substr(i, 3) == "://";
}

void refuse(const char* property) {
    runtime::raise(runtime::err::InvalidPropertyValue, "MediaPlayer",
                   std::string("Invalid property value (") + property + ")");
}

void checkFileName(std::string_view name) {
    if (name.find('\0') != std::string_view::npos)
        runtime::raise(runtime::err::FileNotFound, "MediaPlayer", "File not found (the name holds a NUL byte)");
}

void checkVolume(std::int32_t volume) {
    if (volume < MinVolume || volume > MaxVolume) refuse("Volume");
}

void checkBalance(std::int32_t balance) {
    if (balance < -MaxBalance || balance > MaxBalance) refuse("Balance");
}

void checkRate(double rate) {
    if (!std::isfinite(rate) || rate <= 0.0) refuse("Rate");
}

double checkPosition(double seconds) {
    if (std::isnan(seconds) || seconds == HUGE_VAL) refuse("CurrentPosition");
    return seconds < 0.0 ? 0.0 : seconds;
}

void checkWithinDuration(double seconds, double duration) {
    if (duration > 0.0 && seconds > duration) refuse("CurrentPosition");
}

double amplitude(std::int32_t hundredthsOfDb) { return std::pow(10.0, hundredthsOfDb / 2000.0); }

}  // namespace rules
}  // namespace media
