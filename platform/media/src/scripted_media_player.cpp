#include "media/scripted_media_player.hpp"

#include <charconv>

#include "rules.hpp"
#include "runtime/error.hpp"

namespace media {

namespace {

std::string number(double v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

}  // namespace

ScriptedMediaPlayer::ScriptedMediaPlayer() = default;

void ScriptedMediaPlayer::fail(Member member, int number, int times) {
    if (times == 0) {
        failures_.erase(member);
        return;
    }
    failures_[member] = Failure{number, times};
}

void ScriptedMediaPlayer::enter(Member member, std::string entry) const {
    auto it = failures_.find(member);
    if (it == failures_.end()) {
        calls_.push_back(std::move(entry));
        return;
    }
    int n = it->second.number;
    if (it->second.times > 0 && --it->second.times == 0) failures_.erase(it);
    calls_.push_back(entry + " [error " + std::to_string(n) + "]");
    runtime::raise(n, "MediaPlayer");
}

std::vector<std::string> ScriptedMediaPlayer::callsTo(std::string_view prefix) const {
    std::vector<std::string> out;
    for (auto& c : calls_)
        if (std::string_view(c).substr(0, prefix.size()) == prefix) out.push_back(c);
    return out;
}

std::string ScriptedMediaPlayer::fileName() const { return fileName_; }

void ScriptedMediaPlayer::setFileName(std::string_view name) {
    // As the real control: the name reads back as written, and a refused
    // name closes the file that was open.
    fileName_ = std::string(name);
    openName_.clear();
    position_ = 0.0;
    playState_ = Stopped;
    enter(Member::FileName, "FileName=" + fileName_);
    rules::checkFileName(name);
    openName_ = fileName_;
    if (!name.empty()) playState_ = Playing;
}

double ScriptedMediaPlayer::currentPosition() const { return position_; }

void ScriptedMediaPlayer::setCurrentPosition(double seconds) {
    enter(Member::CurrentPosition, "CurrentPosition=" + number(seconds));
    if (openName_.empty()) rules::refuse("CurrentPosition");  // no file is open
    double p = rules::checkPosition(seconds);
    rules::checkWithinDuration(p, duration_);
    position_ = p;
}

double ScriptedMediaPlayer::duration() const { return duration_; }

double ScriptedMediaPlayer::rate() const { return rate_; }

void ScriptedMediaPlayer::setRate(double rate) {
    enter(Member::Rate, "Rate=" + number(rate));
    rules::checkRate(rate);
    rate_ = rate;
}

std::int32_t ScriptedMediaPlayer::volume() const { return volume_; }

void ScriptedMediaPlayer::setVolume(std::int32_t v) {
    enter(Member::Volume, "Volume=" + std::to_string(v));
    rules::checkVolume(v);
    volume_ = v;
}

std::int32_t ScriptedMediaPlayer::balance() const { return balance_; }

void ScriptedMediaPlayer::setBalance(std::int32_t b) {
    enter(Member::Balance, "Balance=" + std::to_string(b));
    rules::checkBalance(b);
    balance_ = b;
}

bool ScriptedMediaPlayer::mute() const { return mute_; }

void ScriptedMediaPlayer::setMute(bool m) {
    enter(Member::Mute, std::string("Mute=") + (m ? "True" : "False"));
    mute_ = m;
}

std::int32_t ScriptedMediaPlayer::playState() const { return playState_; }

void ScriptedMediaPlayer::play() {
    enter(Member::Play, "Play");
    if (!openName_.empty()) playState_ = Playing;
}

void ScriptedMediaPlayer::pause() {
    enter(Member::Pause, "Pause");
    if (!openName_.empty()) playState_ = Paused;
}

void ScriptedMediaPlayer::stop() {
    enter(Member::Stop, "Stop");
    playState_ = Stopped;
    position_ = 0.0;
}

std::string ScriptedMediaPlayer::getMediaInfoString(std::int32_t kind) const {
    enter(Member::GetMediaInfoString, "GetMediaInfoString(" + std::to_string(kind) + ")");
    return kind == ClipFileName ? openName_ : std::string();
}

float ScriptedMediaPlayer::width() const { return width_; }

void ScriptedMediaPlayer::setWidth(float twips) {
    enter(Member::Width, "Width=" + number(twips));
    width_ = twips;
}

void ScriptedMediaPlayer::endOfStream() {
    playState_ = Stopped;
    raiseEndOfStream();
}

void ScriptedMediaPlayer::error(const std::string& reason) {
    playState_ = Stopped;
    raiseError(reason);
}

}  // namespace media
