#pragma once
// A scripted media control for window tests. It records every write and call
// in order, plays nothing, and lets the test set what the control reports
// (PlayState, Duration, CurrentPosition), make any write or call fail, and
// fire end-of-stream.
//
// Without a scripted failure it behaves as the real control does on a file
// that opens at once: writing FileName starts it (PlayState Playing, position
// 0); Volume, Balance, Rate and positions are refused (380) exactly where the
// real control refuses them, a position also while no file is open. It never
// looks at the file system.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "media/media_player.hpp"

namespace media {

class ScriptedMediaPlayer : public MediaPlayer {
public:
    // The members whose writes and calls a test can make fail.
    enum class Member {
        FileName, CurrentPosition, Rate, Volume, Balance, Mute, Width, Play, Pause, Stop,
        GetMediaInfoString
    };

    ScriptedMediaPlayer();

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

    // What the control was told, in order, one entry per write or call:
    // "FileName=/music/a.mp3", "CurrentPosition=12.5", "Volume=-2750",
    // "Mute=True", "Play", "GetMediaInfoString(7)". A refused one ends in
    // " [error N]". Reads are not recorded.
    const std::vector<std::string>& calls() const { return calls_; }
    void clearCalls() { calls_.clear(); }
    // The entries that start with prefix ("FileName" gives every name written).
    std::vector<std::string> callsTo(std::string_view prefix) const;

    // What the control reports from now on.
    void scriptPlayState(std::int32_t state) { playState_ = state; }
    void scriptDuration(double seconds) { duration_ = seconds; }
    void scriptPosition(double seconds) { position_ = seconds; }

    // The next `times` writes or calls of member fail with runtime::Error
    // `number` (times < 0: every one until cleared) and change nothing, except
    // that a refused FileName closes the open file, as the real control does.
    void fail(Member member, int number = 380, int times = -1);
    void clearFailures() { failures_.clear(); }

    // Raises the end-of-stream event now, as the control does when the open
    // file has played to its end (PlayState becomes Stopped first).
    void endOfStream();
    // Raises the error event now, as the control does when the open file
    // turns out not to play (PlayState becomes Stopped first).
    void error(const std::string& reason);

private:
    struct Failure {
        int number;
        int times;
    };
    // Records the entry; raises the scripted failure for member, if any.
    void enter(Member member, std::string entry) const;

    // GetMediaInfoString is a read of the interface but a call to record.
    mutable std::vector<std::string> calls_;
    mutable std::map<Member, Failure> failures_;
    std::string fileName_;
    std::string openName_;
    double position_ = 0.0;
    double duration_ = 0.0;
    double rate_ = DefaultRate;
    std::int32_t volume_ = DefaultVolume;
    std::int32_t balance_ = 0;
    bool mute_ = false;
    std::int32_t playState_ = Stopped;
    float width_ = 0.0f;
};

}  // namespace media
