#pragma once
// The media control over GStreamer's playbin: MP3, WAV, MIDI (FluidSynth with
// a General MIDI soundfont), WMA and RealMedia (libav), and http URLs.
//
// The audio sink is autoaudiosink; DOVETUNE_AUDIO_SINK holds another one as a
// pipeline description ("fakesink sync=true" plays in real time without a
// sound card). Where no sound device can be opened the control plays into a
// clock-synchronised fakesink and says so once on standard error, so a
// playlist still steps on.
//
// The pipeline's bus is read on GStreamer's threads and every message is
// posted to the UI thread through the scheduler given at construction, which
// must outlive the control. A file that turns out to be undecodable stops the
// control, is reported once on standard error and raises the error event,
// without end-of-stream.

#include <memory>

#include "media/media_player.hpp"
#include "runtime/scheduler.hpp"

namespace media {

class GstMediaPlayer : public MediaPlayer {
public:
    // Raises runtime::Error 429 when GStreamer or its playbin is missing.
    explicit GstMediaPlayer(runtime::Scheduler& ui = runtime::Scheduler::current());
    ~GstMediaPlayer() override;
    GstMediaPlayer(const GstMediaPlayer&) = delete;
    GstMediaPlayer& operator=(const GstMediaPlayer&) = delete;

    std::string fileName() const override;
    void setFileName(std::string_view name) override;
    double currentPosition() const override;
    void setCurrentPosition(double seconds) override;
    double duration() const override;
    double rate() const override;
    void setRate(double rate) override;
    std::int32_t volume() const override;
    void setVolume(std::int32_t hundredthsOfDb) override;
    std::int32_t balance() const override;
    void setBalance(std::int32_t balance) override;
    bool mute() const override;
    void setMute(bool mute) override;
    std::int32_t playState() const override;
    void play() override;
    void pause() override;
    void stop() override;
    std::string getMediaInfoString(std::int32_t kind) const override;
    float width() const override;
    void setWidth(float twips) override;

    // True once the pipeline runs in its playing state for the open file, as
    // last reported on the UI thread (PlayState reports what was asked for,
    // also while the file is still opening).
    bool rolling() const;

private:
    struct Impl;
    std::shared_ptr<Impl> impl_;
};

}  // namespace media
