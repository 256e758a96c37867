#include <string>

#include "media/scripted_media_player.hpp"
#include "player/media_factory.hpp"
#include "runtime/error.hpp"

namespace player {

namespace {

class DeferredMediaPlayer : public media::MediaPlayer {
public:
    explicit DeferredMediaPlayer(MediaPlayerFactory make) : make_(std::move(make)) {}

    std::string fileName() const override { return real_ ? real_->fileName() : std::string(); }
    void setFileName(std::string_view name) override { real().setFileName(name); }
    double currentPosition() const override { return real_ ? real_->currentPosition() : 0.0; }
    void setCurrentPosition(double seconds) override {
        if (!real_) runtime::raise(380, "MediaPlayer1", "Invalid property value");
        real_->setCurrentPosition(seconds);
    }
    double duration() const override { return real_ ? real_->duration() : 0.0; }
    double rate() const override { return real_ ? real_->rate() : rate_; }
    void setRate(double rate) override {
        if (real_) return real_->setRate(rate);
        if (!(rate > 0)) runtime::raise(380, "MediaPlayer1", "Invalid property value");
        rate_ = rate;
    }
    std::int32_t volume() const override { return real_ ? real_->volume() : volume_; }
    void setVolume(std::int32_t v) override {
        if (real_) return real_->setVolume(v);
        probe().setVolume(v);  // refused where the real control refuses
        volume_ = v;
    }
    std::int32_t balance() const override { return real_ ? real_->balance() : balance_; }
    void setBalance(std::int32_t b) override {
        if (real_) return real_->setBalance(b);
        probe().setBalance(b);
        balance_ = b;
    }
    bool mute() const override { return real_ ? real_->mute() : mute_; }
    void setMute(bool m) override {
        if (real_) return real_->setMute(m);
        mute_ = m;
    }
    std::int32_t playState() const override { return real_ ? real_->playState() : media::Stopped; }
    void play() override { real().play(); }
    void pause() override { real().pause(); }
    void stop() override { real().stop(); }
    std::string getMediaInfoString(std::int32_t kind) const override {
        return real_ ? real_->getMediaInfoString(kind) : std::string();
    }
    float width() const override { return real_ ? real_->width() : width_; }
    void setWidth(float twips) override {
        if (real_) return real_->setWidth(twips);
        width_ = twips;
    }

private:
    media::MediaPlayer& real() {
        if (!real_) {
            if (make_) real_ = make_();
            if (!real_) real_ = std::make_unique<media::ScriptedMediaPlayer>();
            runtime::Steps step;
            step([&] { real_->setVolume(volume_); });
            step([&] { real_->setBalance(balance_); });
            step([&] { real_->setMute(mute_); });
            step([&] { real_->setRate(rate_); });
            step([&] { real_->setWidth(width_); });
            real_->setEndOfStreamHandler([this](std::int32_t) { raiseEndOfStream(); });
            real_->setErrorHandler([this](const std::string& reason) { raiseError(reason); });
        }
        return *real_;
    }
    // Checks a value the way the control would, without making it.
    media::ScriptedMediaPlayer& probe() { return probe_; }

    MediaPlayerFactory make_;
    std::unique_ptr<media::MediaPlayer> real_;
    media::ScriptedMediaPlayer probe_;
    double rate_ = DefaultRate;
    std::int32_t volume_ = DefaultVolume;
    std::int32_t balance_ = 0;
    bool mute_ = false;
    float width_ = 0.0f;
};

}  // namespace

std::unique_ptr<media::MediaPlayer> DeferUntilUsed(MediaPlayerFactory make) {
    return std::make_unique<DeferredMediaPlayer>(std::move(make));
}

}  // namespace player
