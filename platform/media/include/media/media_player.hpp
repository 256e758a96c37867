#pragma once
// The media-player control the windows drive (the main window's MediaPlayer1).
//
// Units: Volume is hundredths of a decibel (-10000 to 0, 0 loudest); Balance
// runs from -10000 (full left) through 0 to 10000 (full right), the other
// channel being attenuated by that many hundredths of a decibel;
// CurrentPosition and Duration are seconds; Rate is a multiple of normal speed.
//
// Everything runs on the UI thread. The end-of-stream event is raised there,
// between other events, and never from inside a property write or a call.
// Refused writes throw runtime::Error (53 for a file that cannot be opened,
// 380 for a value out of range) and leave the property as it was.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace media {

// PlayState values.
inline constexpr std::int32_t Stopped = 0;
inline constexpr std::int32_t Paused = 1;
inline constexpr std::int32_t Playing = 2;

// GetMediaInfoString kinds this control answers.
inline constexpr std::int32_t ClipFileName = 7;

class MediaPlayer {
public:
    // The end-of-stream event; its argument carries no meaning (always 0).
    using EndOfStreamHandler = std::function<void(std::int32_t result)>;

    virtual ~MediaPlayer();

    // Writing opens that file or URL and starts it from its beginning. A local
    // path (anything without a scheme such as "http://") is resolved without
    // regard to case; one that does not exist or cannot be opened is refused
    // with 53 and closes the file that was open, as is a name (path or URL)
    // that holds a NUL byte, which names nothing. "" closes the open file.
    // Reading gives the name last written, as written.
    virtual std::string fileName() const = 0;
    virtual void setFileName(std::string_view name) = 0;

    // Seconds from the start. A value below 0 is taken as 0; one beyond
    // Duration is refused with 380. While a file is still opening the value is
    // kept and applied before any sound, and reads back as written.
    virtual double currentPosition() const = 0;
    virtual void setCurrentPosition(double seconds) = 0;

    virtual double duration() const = 0;  // 0 until known

    // Playback speed, kept across file changes. Refused (380) unless above 0.
    virtual double rate() const = 0;
    virtual void setRate(double rate) = 0;

    virtual std::int32_t volume() const = 0;
    virtual void setVolume(std::int32_t hundredthsOfDb) = 0;
    virtual std::int32_t balance() const = 0;
    virtual void setBalance(std::int32_t balance) = 0;
    virtual bool mute() const = 0;
    virtual void setMute(bool mute) = 0;

    virtual std::int32_t playState() const = 0;  // Stopped, Paused or Playing
    virtual void play() = 0;   // starts or resumes the open file
    virtual void pause() = 0;  // PlayState then reads Paused
    virtual void stop() = 0;   // stops and goes back to the start

    // Kind 7 gives the name of the open file ("" when none); other kinds "".
    virtual std::string getMediaInfoString(std::int32_t kind) const = 0;

    // The width of the control's place on its form, in twips.
    virtual float width() const = 0;
    virtual void setWidth(float twips) = 0;

    void setEndOfStreamHandler(EndOfStreamHandler handler) { endOfStream_ = std::move(handler); }

    // The error event: a file taken by FileName turned out not to play (not
    // audio, no decoder for it, unreadable). The control has stopped and
    // raises no end-of-stream for it; the argument says why in a few words
    // ("Not audio", "No decoder for it", "Cannot be decoded", "Cannot be
    // read", "File not found", or the media framework's own text). Raised
    // once per file, on the UI thread, never from inside a write or a call.
    using ErrorHandler = std::function<void(const std::string& reason)>;
    void setErrorHandler(ErrorHandler handler) { error_ = std::move(handler); }

    // The values a new control starts with.
    static constexpr std::int32_t DefaultVolume = -2500;
    static constexpr double DefaultRate = 1.0;

protected:
    // Raises the event on the calling (UI) thread. A runtime::Error that
    // escapes the handler ends there, as at any event dispatch.
    void raiseEndOfStream();
    // Raises the error event the same way.
    void raiseError(const std::string& reason);

private:
    EndOfStreamHandler endOfStream_;
    ErrorHandler error_;
};

}  // namespace media
