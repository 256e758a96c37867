#include "player/media_factory.hpp"

#include "media/scripted_media_player.hpp"

namespace player {

namespace {
MediaPlayerFactory& factory() {
    static MediaPlayerFactory f;
    return f;
}
}  // namespace

void SetMediaPlayerFactory(MediaPlayerFactory f) { factory() = std::move(f); }

std::unique_ptr<media::MediaPlayer> MakeMediaPlayer() {
    if (factory()) {
        if (auto p = factory()()) return p;
    }
    return std::make_unique<media::ScriptedMediaPlayer>();
}

}  // namespace player
